#pragma once

#include "platform/PWAttributedString.h"
#include "platform/PWColor.h"
#include "platform/PWFont.h"
#include "platform/PWParagraphStyle.h"
#include "platform/PWPlist.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

// Writes values in the original platform's keyed-archive layout, as a binary property list that
// the platform's own unarchiver and PWKeyedUnarchiver read: "$archiver" "NSKeyedArchiver",
// "$version" 100000, "$top" {"root": UID}, "$objects" with "$null" at 0 and one
// "$classname"/"$classes" description per class. Encoding adds objects to a table and answers
// their reference; archive() then makes the property list around a root reference.
class PWKeyedArchiver
{
public:
    // The class an attributed string is archived as.
    enum class StringClass { AttributedString, MutableAttributedString, TextStorage };

    PWKeyedArchiver();

    // Strings, numbers, data (QByteArray), dates (QDateTime), lists, maps with string keys and
    // the values below; anything else, and an invalid QVariant, is no object ("$null").
    PWPlist encodeObject(const QVariant &value);
    PWPlist encodeString(const QString &text);
    PWPlist encodeColor(const PWColor &color);
    PWPlist encodeFont(const PWFont &font);
    PWPlist encodeParagraphStyle(const PWParagraphStyle &style);
    PWPlist encodeAttributedString(const PWAttributedString &text,
                                   StringClass stringClass = StringClass::AttributedString);

    // The archive around a root reference (from the encoders above; UID 0 for no object).
    PWPlist archive(const PWPlist &root) const;
    QByteArray archivedData(const PWPlist &root) const;

    static QByteArray archivedData(const PWColor &color);
    static QByteArray archivedData(const PWFont &font);
    static QByteArray archivedData(const PWAttributedString &text,
                                   StringClass stringClass = StringClass::AttributedString);
    // The archive of a generic value; an invalid QVariant gives the archive of no object.
    static QByteArray archivedObject(const QVariant &value);

    // The colour text of the archive ("0.5 1 0" and the alpha when it is not 1, NUL-terminated).
    static QByteArray componentText(std::initializer_list<float> components, float alpha);

private:
    quint64 reserve();
    PWPlist encodeTextList(const QVariantMap &list);
    PWPlist append(const PWPlist &value);
    PWPlist store(quint64 index, PWPlist::Dictionary fields, const QStringList &classes);
    PWPlist classReference(const QStringList &classes);
    PWPlist encodeObject(const QVariant &value, int depth);
    PWPlist encodeAttributes(const QTextCharFormat &format, const QTextBlockFormat &block);

    PWPlist::Array m_objects;
    QHash<QString, quint64> m_classes;
    QHash<QString, quint64> m_strings;
    QHash<QString, quint64> m_shared;
    QHash<qint64, quint64> m_textLists;
};
