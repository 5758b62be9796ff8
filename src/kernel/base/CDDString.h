#pragma once

#include <QByteArray>
#include <QString>
#include <QTextDocumentFragment>

#include <memory>
#include <optional>


// The kernel's text value: an immutable string shared between copies. Besides plain text it can
// hold an attributed text (the barcode placeholder, whose style a text takes over whole) or
// nothing at all (a value set to null), which an archive writes as no entry. A null value has
// no characters, so it is empty, and it equals only another null value.
class CDDString
{
public:
    CDDString() = default;
    // The text of str; a null QString gives an empty value, never a null one.
    CDDString(const QString &str);

    CDDString(const CDDString &) = default;
    CDDString &operator=(const CDDString &) = default;

    // Literal, case-sensitive comparison of the characters.
    bool operator==(const CDDString &other) const;
    bool isEqualToData(const QString &str) const;
    bool isEmpty() const { return m_text.isEmpty(); }
    bool isNull() const { return m_null; }
    bool isAttributed() const { return m_attributed.has_value(); }

    // The characters (empty for a null value); the plain text of an attributed value.
    const QString &getData() const { return m_text; }
    // The attributed text, or null for a plain or null value.
    const QTextDocumentFragment *getAttributedData() const;

    void setData(const QString &str);
    void setData(const QTextDocumentFragment &attributed);
    void setData(std::nullptr_t);

    QByteArray UTF8String() const { return m_text.toUtf8(); }
    // Appends the other value's characters. The result is always plain text: an attributed
    // value loses its style and a null value becomes the other text.
    CDDString &appendString(const CDDString &other);

    // The barcode field's placeholder: the localized invitation to enter a postcode, in the
    // user's font at 7 points, grey. Always succeeds.
    static bool initStringWithBarcodeLabel(CDDString &label);
    // "Counter <start> by <increment>" in the user's language.
    static CDDString initStringWithCounterFieldParameters(int start, int increment);
    // The file-data field's label: the file's name, shortened to 9 characters, and which field
    // of each line it shows (0 for the whole line).
    static CDDString initStringWithFileFieldParameters(const CDDString &path, int field);

    // The text with separator appended, unless onlyWhenMissing and the text already ends with
    // it, or onlyAfterSeparator and the reference text (blanks trimmed) does not end with it.
    static std::unique_ptr<CDDString> createStringByAppendingString(const QString &separator,
                                                                    const CDDString &reference,
                                                                    const CDDString &text,
                                                                    bool onlyWhenMissing,
                                                                    bool onlyAfterSeparator);
    // The text without a trailing separator and the blanks after it; leading blanks stay. The
    // reference text and the flags are not used.
    static std::unique_ptr<CDDString> createStringByRemovingString(const QString &separator,
                                                                   const CDDString &reference,
                                                                   const CDDString &text,
                                                                   bool onlyWhenMissing,
                                                                   bool onlyAfterSeparator);
    // First character upper case, the rest lower case; a one-character text follows the flag.
    static std::unique_ptr<CDDString> createStringWithCapitalize(const CDDString &text, bool upper);
    static std::unique_ptr<CDDString> createStringWithUppercase(const CDDString &text);
    // The label of a new free text.
    static CDDString createDefTextLabel();
    // The lower-case country code whose names match the text (see the "Countries" resource),
    // or an empty value.
    static CDDString getCountryCodeFromString(const CDDString &text);

private:
    QString m_text;
    std::optional<QTextDocumentFragment> m_attributed;
    bool m_null = false;
};
