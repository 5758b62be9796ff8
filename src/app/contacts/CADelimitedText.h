#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include "app/contacts/CATextEncodings.h"

#include <optional>

// Rows of text fields from the bytes of a delimited text file (tab-, comma- or
// semicolon-separated contact lists, spreadsheet and webmail exports), the first stage of text
// import: it knows nothing of persons. Decodes the bytes with a chosen encoding, splits the text
// into records and each record into fields, finds the delimiter by itself when none is given,
// and recognises a header row by keywords, building the registry of which column holds which
// person field ("firstname", "workstreet", ...).
//
// Fields follow RFC 4180 where exports agree with it: a field that starts with a double quote
// runs to its closing quote, a doubled quote inside it stands for one quote, and line breaks
// inside it belong to the field, however many lines it spans; lines such a field takes that look
// like records of their own are named. A quote that is never closed leaves the rest of its line
// as the line's last field. Blank lines and rows of empty fields
// only are no records. Everything is bounded: the bytes (by the file reader), the rows, the
// fields of a row and the characters of a record; what passes a bound is left out and named in
// problems(), a record past its bound as a whole.
class CADelimitedText
{
public:
    // Field key to 0-based column.
    using Registry = QMap<QString, int>;

    static constexpr qsizetype kMaxRows = 1000000;
    static constexpr qsizetype kMaxFieldsPerRow = 1024;
    static constexpr qsizetype kMaxRecordCharacters = qsizetype(1) << 20;

    // Detects the encoding (CATextEncodings::detect: a byte-order mark, else UTF-8 when the file
    // is that in the main, else the 8-bit encoding its letters show, else Windows Latin 1, else
    // ISO Latin 1) and reads the bytes; the lines a guessed encoding read that are no UTF-8 are
    // named in problems(), unless the whole file is text of that one encoding (notes()). Only CR
    // and LF end a record.
    explicit CADelimitedText(QByteArray data);

    // Whether the last reading gave text: false with errorString() when the encoding rejected
    // the bytes or they are no text at all (a picture or program chosen by mistake).
    bool isValid() const { return m_valid; }
    QString errorString() const { return m_error; }
    // What the last reading left out or read otherwise (rows past a bound, fields cut, lines not
    // in the file's encoding), one sentence each.
    QStringList problems() const { return m_problems; }
    // What the last reading did that the text does not lack: a file of one 8-bit encoding read
    // in it, said once.
    QStringList notes() const { return m_notes; }
    // The lines that fields of many lines took in the last reading although they hold as many
    // separators as the first row: records of their own, by their look, which a stray or missing
    // quote joined to a field. Each such field is named in problems().
    qsizetype recordsTakenByQuotes() const { return m_recordsTakenByQuotes; }
    // The most characters one field held at once in the last reading: a record that passes
    // kMaxRecordCharacters lets go of its fields, so that a quote running to the end of a large
    // file never holds the file a second time; this stays within that bound and one line.
    qsizetype longestFieldHeld() const { return m_longestFieldHeld; }

    quint32 encoding() const { return m_encoding; }
    // Stores the number, now a choice, and reads the text again; false as reloadData().
    bool setEncoding(quint32 encoding);
    // The 8-bit reading the letters of the bytes suggested, while nobody chose another encoding
    // (CATextEncodings::guessEightBit); nothing for UTF-8, UTF-16 or a file no reading fits.
    std::optional<CATextEncodings::EightBitReading> eightBitReading() const
    {
        return m_encodingGuessed && m_eightBit && m_eightBit->encoding == m_encoding ? m_eightBit : std::nullopt;
    }
    // Whether the encoding was chosen, or is the one the bytes show: not one of several 8-bit
    // readings whose letters read alike, which a detector or the locale's language picked.
    bool decidedByLetters() const
    {
        const std::optional<CATextEncodings::EightBitReading> reading = eightBitReading();
        return !reading || reading->decidedBy == CATextEncodings::EightBitReading::By::Letters;
    }
    // The encoding read in is the user's, as chosen: nothing is said of it any more. No new
    // reading, so the registry stays.
    void takeEncodingAsChosen();

    // The delimiter: nothing until determined; "" means each line is one field.
    std::optional<QString> delimiter() const { return m_delimiter; }
    // Nothing asks for a new determination. An equal delimiter changes nothing; another one
    // reads the text again.
    void setDelimiter(const std::optional<QString> &delimiter);

    bool hasHeader() const { return m_hasHeader; }
    // Only the flag: no new reading, the registry stays.
    void setHasHeader(bool hasHeader) { m_hasHeader = hasHeader; }

    // The field of a record (counted after the header when there is one); nothing when the
    // record or the field does not exist.
    std::optional<QString> dataForLine(qsizetype record, qsizetype field) const;
    // The header text of a column; nothing without a header or beyond row 0's fields.
    std::optional<QString> headerForField(qsizetype field) const;

    const Registry &registry() const { return m_registry; }
    void setRegistry(const Registry &registry) { m_registry = registry; }

    // The records: every row, or every row after the header.
    QList<QStringList> personData() const;
    // The largest number of fields of any row, the header included.
    qsizetype fieldsCount() const;
    qsizetype recordsCount() const;
    // Every row, made from what the text holds (see Records); a preview asks for row().
    QList<QStringList> rows() const;
    qsizetype rowCount() const { return m_rows.size(); }
    // The fields of a row; empty beyond the rows.
    QStringList row(qsizetype row) const;

    // Rows as the text holds them: each one text, its fields apart by a U+0000, which no text
    // read holds (it would be binary). A row of fields each its own text would cost several
    // times the file while the rows wait for their persons.
    using Records = QList<QString>;
    static QStringList fieldsOf(const QString &record);
    // The records: every row, or every row after the header.
    Records personRecords() const;
    // The records, handed over for good: the text keeps no rows and lets go of its bytes, so that
    // neither is held beside what is made of the records. It can not be read again afterwards.
    Records takePersonData();

    // Reads the bytes again with the encoding and delimiter: rows, registry and header flag
    // are rebuilt. False, with errorString(), when there is no text (no rows then).
    bool reloadData();

    // The delimiter of a line: of the candidates, the one whose first character comes first
    // outside double quotes; "" when none occurs there.
    static QString determineDelimiter(const QString &line, const QStringList &candidates);
    // The fields of one line under the quoting rules above; a line break ends the line. An
    // empty delimiter gives the whole line.
    static QStringList divideString(const QString &line, const QString &delimiter);

    // Recognises row 0 as a header: fills the registry from the keyword table and sets the
    // header flag when any key was found. Answers the registry.
    const Registry &parseHeader();
    // The registry the keywords of these header fields give.
    static Registry registryForHeader(const QStringList &header);

    // Whether a header names a part of a delivery address (a street, a PO box, a city, a state,
    // a ZIP, a country): a column that must never go unread unnamed.
    static bool namesAnAddressPart(const QString &header);

    // The ways a header says which of a person's addresses a column belongs to, as the start of
    // the column's name: none (the first address not yet given), "Work ", "Home ", ...,
    // "Address 1 - ", ....
    static QStringList addressKindPrefixes();

    // The keys the import can place, in the order a chooser offers them.
    static const QStringList &fieldKeys();

private:
    void readRecords(const QString &text);

    QByteArray m_data;
    quint32 m_encoding = 4;
    // Detected from the bytes, not chosen: the lines that are not UTF-8 are named as read in it.
    bool m_encodingGuessed = true;
    std::optional<CATextEncodings::EightBitReading> m_eightBit;
    // The note of the reading of the whole file in one 8-bit encoding, among m_notes.
    QString m_encodingNote;
    std::optional<QString> m_delimiter;
    Records m_rows;
    Registry m_registry;
    bool m_hasHeader = false;
    bool m_valid = false;
    bool m_binary = false;
    QString m_error;
    QStringList m_problems;
    QStringList m_notes;
    qsizetype m_recordsTakenByQuotes = 0;
    qsizetype m_longestFieldHeld = 0;
};
