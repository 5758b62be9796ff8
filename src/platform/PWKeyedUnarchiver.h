#pragma once

#include "platform/PWAttributedString.h"
#include "platform/PWColor.h"
#include "platform/PWFont.h"
#include "platform/PWKeyedArchive.h"
#include "platform/PWParagraphStyle.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

// Reads the objects of a checked keyed-archive table (PWKeyedArchive) into values: strings,
// numbers, data, dates, arrays and dictionaries as QVariant; colours, fonts, paragraph styles and
// attributed strings (text storages too) as the platform's values. Objects of other classes are
// left out where they occur. References are followed depth-limited and cycle-safe, and the work
// is bounded, so that shared references cannot multiply it. The first failure ends decoding and
// leaves its reason in error(), but for a text attribute whose value does not read: that one is
// left out and named in notes().
class PWKeyedUnarchiver
{
public:
    static constexpr int kMaxDepth = 64;

    explicit PWKeyedUnarchiver(const PWKeyedArchive &archive);

    // Entry points for bytes. Each answers nothing and gives a reason for bytes that are no
    // keyed archive, a root of another kind, or a malformed object. A root that is no object
    // ("$null") answers nothing with an empty reason and *isNil set.
    static std::optional<QVariant> unarchiveObject(const QByteArray &bytes, QString *error = nullptr);
    static std::optional<PWColor> unarchiveColor(const QByteArray &bytes, QString *error = nullptr,
                                                 bool *isNil = nullptr);
    static std::optional<PWFont> unarchiveFont(const QByteArray &bytes, QString *error = nullptr);
    // notes, when given, receives the parts left out of a string that reads (notes()).
    static std::optional<PWAttributedString> unarchiveAttributedString(const QByteArray &bytes,
                                                                       QString *error = nullptr,
                                                                       QStringList *notes = nullptr);

    // Decoders of one table entry. decodeObject answers an invalid QVariant for "$null" and for
    // objects of unknown classes; colours, fonts, paragraph styles and attributed strings ride in
    // it as PWColor, PWFont, PWParagraphStyle and PWAttributedString.
    std::optional<QVariant> decodeObject(quint64 uid);
    std::optional<PWColor> decodeColor(quint64 uid);
    std::optional<PWFont> decodeFont(quint64 uid);
    std::optional<PWParagraphStyle> decodeParagraphStyle(quint64 uid);
    std::optional<PWAttributedString> decodeAttributedString(quint64 uid);

    const PWKeyedArchive &archive() const { return m_archive; }
    QString error() const { return m_error; }
    // Parts left out of what was decoded, in words a reader can pass on to its user: a text
    // attribute whose value does not read (a font size or paragraph spacing that is no number) is
    // dropped, its characters keep the default, and the rest of the text is read.
    const QStringList &notes() const { return m_notes; }

    // True for the values a property list can hold (text attributes of unknown names are kept
    // only then).
    static bool isPlistValue(const QVariant &value, int depth = 0);

private:
    class Visit;
    struct Attributes
    {
        QTextCharFormat character;
        QTextBlockFormat paragraph;
    };

    // A field of an object: an inline value, or a UID naming a table entry.
    PWPlist field(quint64 uid, const QString &key) const;
    std::optional<QVariant> decodeReference(const PWPlist &value);
    std::optional<QString> decodeString(const PWPlist &value);
    std::optional<QByteArray> decodeData(const PWPlist &value);
    // A number field; defaultValue when absent.
    std::optional<double> decodeNumber(quint64 uid, const QString &key, double defaultValue);
    std::optional<QVariantList> decodeArrayElements(quint64 uid);
    std::optional<QVariantMap> decodeDictionary(quint64 uid);
    template <typename T>
    std::optional<T> decodeTyped(quint64 uid, const char *className, const char *what,
                                 std::optional<T> (PWKeyedUnarchiver::*entry)(quint64));

    // Readers of an entry that the caller has already entered (see Visit).
    std::optional<QString> stringEntry(quint64 uid);
    std::optional<QByteArray> dataEntry(quint64 uid);
    std::optional<PWColor> colorEntry(quint64 uid);
    std::optional<PWFont> fontEntry(quint64 uid);
    std::optional<PWParagraphStyle> paragraphStyleEntry(quint64 uid);
    std::optional<PWAttributedString> attributedStringEntry(quint64 uid);
    std::optional<Attributes> attributesEntry(quint64 uid);
    bool applyAttribute(const QString &key, const PWPlist &value, QTextCharFormat *format,
                        QTextBlockFormat *block);
    bool fail(const QString &reason);
    void note(const QString &text);

    const PWKeyedArchive &m_archive;
    QSet<quint64> m_active;
    int m_depth = 0;
    qint64 m_budget = 0;
    QString m_error;
    QStringList m_notes;
};
