#pragma once

#include "platform/PWTextAlignment.h"

#include <QList>
#include <QTextBlockFormat>

// The paragraph attributes styled text carries in documents, in the units and numbering the
// codecs store (points; alignment and tab kinds as archived). The keyed-archive and RTF codecs
// both go through it, so that a paragraph means the same in a QTextBlockFormat whichever codec
// read it. Qt's own block properties hold what Qt has; the rest rides as the user properties of
// PWTextAttributes.
class PWParagraphStyle
{
public:
    // Block properties of a paragraph laid out in other units than points, beside those of
    // PWTextAttributes.
    enum LengthProperty {
        // double: Qt's own side margins and first-line indent of the block are in 1/LengthScale
        // of a point; points when absent. A text laid out finer than in points keeps them in its
        // layout's units; fromBlockFormat reads them back in points.
        LengthScale = QTextFormat::UserProperty + 40,
        // double: the share of Qt's default resolution the layout's device has. Qt multiplies
        // the spacing before and after a paragraph, its line height and its tab stops by it;
        // such a block gives Qt these lengths divided by it and keeps the points they came from
        // below, as they were read.
        LengthDeviceShare,
        PointSpacingBefore,
        PointSpacingAfter,
        // QList<QTextOption::Tab> in points.
        PointTabStops,
    };

    enum class TabType : int { Left = 0, Right = 1, Center = 2, Decimal = 3 };

    struct Tab
    {
        double location = 0.0;
        TabType type = TabType::Left;

        bool operator==(const Tab &other) const = default;
    };

    PWTextAlignment alignment = PWTextAlignment::Natural;
    QList<Tab> tabStops;
    double lineSpacing = 0.0;
    double paragraphSpacing = 0.0;
    double paragraphSpacingBefore = 0.0;
    double headIndent = 0.0;
    double firstLineHeadIndent = 0.0;
    // Zero or negative: from the trailing margin; positive: from the leading margin. Qt keeps
    // only the first kind (as the right margin).
    double tailIndent = 0.0;
    int lineBreakMode = 0;
    double minimumLineHeight = 0.0;
    double maximumLineHeight = 0.0;
    double lineHeightMultiple = 0.0;

    // A block format with these attributes; attributes at their default value are not set, so
    // that a default style gives an empty format.
    QTextBlockFormat toBlockFormat() const;
    // Reads the lengths in points whatever units the format keeps them in (see
    // PWTextAttributes::LengthScale).
    static PWParagraphStyle fromBlockFormat(const QTextBlockFormat &format);
    // The format with its lengths for a layout in 1/scale of a point on a device that has the
    // given share of Qt's default resolution (see PWTextAttributes::LengthScale); a scale and a
    // share of 1 give points, and nothing of the conversion is recorded. The other properties
    // stay as they are.
    static QTextBlockFormat withLengthScale(const QTextBlockFormat &format, double scale, double deviceShare = 1.0);

    bool operator==(const PWParagraphStyle &other) const = default;
};
