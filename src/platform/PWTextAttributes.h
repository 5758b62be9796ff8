#pragma once

#include <QTextFormat>
#include <QVariantMap>

// Text attributes the original platform's styled text carried and Qt's formats lack. They ride as
// user properties of QTextCharFormat and QTextBlockFormat so that a text read and written again
// keeps them. Every codec (keyed archive, RTF, RTFD) and the text model use these identifiers.
namespace PWTextAttributes {

enum CharProperty {
    // QString: the font's PostScript name as stored (e.g. "Helvetica-Bold"); written back verbatim
    // while the family, weight and italic of the format still match it.
    PostScriptFontName = QTextFormat::UserProperty + 1,
    // double, points: extra space after each character (kerning); 0 when absent.
    Kerning,
    // double, points: baseline offset, positive upwards; 0 when absent.
    BaselineOffset,
    // QVariantMap: attributes of the text engine's own (data-field markers and the like), kept
    // by name so that they survive a round trip.
    CustomAttributes,
    // QString: the key under which the characters' stored font stands when that key names no
    // attribute (a damaged "NSFont"): they are drawn in the text's default font, which a job
    // notes. Never written.
    FontUnderOtherKey,
};

enum BlockProperty {
    // double, points: extra space between the lines of a paragraph (the platform's line spacing).
    LineSpacing = QTextFormat::UserProperty + 20,
    // double: line height multiple (0 = none).
    LineHeightMultiple,
    // double, points: minimum and maximum line height (0 = none).
    MinimumLineHeight,
    MaximumLineHeight,
    // int: line break mode, 0 word wrap, 1 char wrap, 2 clip, 3 truncate head, 4 truncate tail,
    // 5 truncate middle.
    LineBreakMode,
    // int: the platform's paragraph alignment as stored (0 left, 1 right, 2 centre, 3 justified,
    // 4 natural), kept because "natural" has no Qt counterpart.
    NativeAlignment,
    // double, points: the first line's head indent as stored (Qt keeps it relative to the head
    // indent, as textIndent).
    FirstLineHeadIndent,
    // bool: the first two tab stops are a list item's marker and text tabs (the "FTTextListTab"
    // option of the platform's tab stops).
    ListTabStops,
};

// The list object of a list item's marker ("FTTextList"), as it rides among the custom attributes:
// its type and an identity that tells two lists apart (two markers carrying the same identity
// belong to the same list). The keyed archive stores it as one "CCTextList" object per identity.
inline const QString kTextListClass = QStringLiteral("CCTextList");
inline const QString kTextListClassKey = QStringLiteral("$class");
inline const QString kTextListTypeKey = QStringLiteral("listType");
inline const QString kTextListIdentityKey = QStringLiteral("identity");

inline QVariantMap textListValue(int listType, qint64 identity)
{
    return QVariantMap{{kTextListClassKey, kTextListClass},
                       {kTextListTypeKey, listType},
                       {kTextListIdentityKey, identity}};
}

inline bool isTextListValue(const QVariant &value)
{
    return value.typeId() == QMetaType::QVariantMap && value.toMap().value(kTextListClassKey).toString() == kTextListClass;
}

} // namespace PWTextAttributes
