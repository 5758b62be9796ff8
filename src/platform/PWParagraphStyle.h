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
    static PWParagraphStyle fromBlockFormat(const QTextBlockFormat &format);

    bool operator==(const PWParagraphStyle &other) const = default;
};
