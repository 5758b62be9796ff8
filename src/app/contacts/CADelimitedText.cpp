#include "app/contacts/CADelimitedText.h"

#include "app/contacts/CAContactsLog.h"
#include "app/contacts/CATextEncodings.h"

#include <QStringView>

#include <algorithm>
#include <utility>

namespace {

// Only CR and LF end a record: U+0085 is an ellipsis in Windows Latin 1, and U+2028 and U+2029
// are characters of a value that no export writes as its line end.
bool isLineBreak(QChar c)
{
    const char16_t u = c.unicode();
    return u == u'\n' || u == u'\r';
}

// The position after the line break at i; CR LF is one break.
qsizetype afterBreak(const QString &text, qsizetype i)
{
    if (text.at(i) == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
        return i + 2;
    return i + 1;
}

struct RecordScan
{
    QStringList fields;
    qsizetype end = 0; // after the record's last line break
    int lines = 1;
    bool fieldsCut = false;
    // Longer than kMaxRecordCharacters: its fields are dropped as soon as that is known.
    bool tooLong = false;
    // The most characters the field being read held at a line break or at its end.
    qsizetype held = 0;
};

// One record from start. With multiLine a quoted field runs on over line breaks to its closing
// quote, however many lines that takes; a record that passes kMaxRecordCharacters keeps no
// fields but is still read to its end. When a quote is still open at the end of the text there
// is nothing, and the caller reads the line alone, where an open quote ends with the line.
std::optional<RecordScan> scanRecord(const QString &text, qsizetype start, const QString &delimiter, bool multiLine)
{
    RecordScan scan;
    const qsizetype size = text.size();
    const QStringView whole(text);
    const qsizetype delimiterLength = delimiter.size();
    const QChar first = delimiter.at(0);
    const auto atDelimiter = [&](qsizetype at) {
        return text.at(at) == first && (delimiterLength == 1 || whole.mid(at, delimiterLength) == delimiter);
    };
    QString field;
    // Past the bound nothing more is kept: a runaway quote must not hold the whole file twice.
    const auto checkLength = [&](qsizetype at) {
        if (!scan.tooLong && at - start > CADelimitedText::kMaxRecordCharacters) {
            scan.tooLong = true;
            scan.fields.clear();
            field.clear();
        }
    };
    const auto pushField = [&] {
        scan.held = std::max(scan.held, field.size());
        if (scan.tooLong)
            return;
        if (scan.fields.size() < CADelimitedText::kMaxFieldsPerRow)
            scan.fields.append(std::exchange(field, QString()));
        else
            scan.fieldsCut = true;
        field.clear();
    };
    qsizetype i = start;
    for (;;) {
        if (i < size && text.at(i) == u'"') {
            ++i;
            bool closed = false;
            while (i < size) {
                const QChar c = text.at(i);
                if (c == u'"') {
                    if (i + 1 < size && text.at(i + 1) == u'"') {
                        if (!scan.tooLong)
                            field += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                if (isLineBreak(c)) {
                    if (!multiLine)
                        break;
                    scan.held = std::max(scan.held, field.size());
                    checkLength(i);
                    if (!scan.tooLong)
                        field += u'\n';
                    i = afterBreak(text, i);
                    ++scan.lines;
                    continue;
                }
                if (!scan.tooLong)
                    field += c;
                ++i;
            }
            if (!closed) {
                if (multiLine)
                    return std::nullopt;
                // The line the open quote ends with meets the bound as any record does.
                checkLength(i);
                pushField();
                scan.end = i < size ? afterBreak(text, i) : size;
                return scan;
            }
        }
        // An unquoted field, or what follows a closing quote, runs to the delimiter or the line end.
        const qsizetype from = i;
        while (i < size && !isLineBreak(text.at(i)) && !atDelimiter(i))
            ++i;
        checkLength(i);
        if (!scan.tooLong) {
            if (field.isEmpty())
                field = whole.sliced(from, i - from).toString();
            else
                field += whole.sliced(from, i - from);
        }
        if (i < size && atDelimiter(i)) {
            pushField();
            i += delimiterLength;
            continue;
        }
        pushField();
        scan.end = i < size ? afterBreak(text, i) : size;
        return scan;
    }
}

// The lines after the first of a record that spans several, that hold as many separators as the
// file's first record: by their look records of their own, which a quote never closed took into a
// field. The first line is passed over: it opens the field, whatever it holds.
qsizetype recordShapedLines(QStringView record, const QString &delimiter, qsizetype separators)
{
    qsizetype shaped = 0;
    bool first = true;
    for (qsizetype at = 0; at < record.size();) {
        qsizetype end = at;
        while (end < record.size() && !isLineBreak(record.at(end)))
            ++end;
        if (!first && record.sliced(at, end - at).count(delimiter) == separators)
            ++shaped;
        first = false;
        if (end >= record.size())
            break;
        at = end + (record.at(end) == u'\r' && end + 1 < record.size() && record.at(end + 1) == u'\n' ? 2 : 1);
    }
    return shaped;
}

bool allEmpty(const QStringList &fields)
{
    for (const QString &field : fields) {
        if (!field.isEmpty())
            return false;
    }
    return true;
}

// Text holds no NUL and next to no control characters; binary files (pictures, archives,
// programs, random bytes) are full of them, whatever encoding they were read in. A stray control
// character or two, and the end-of-file mark of old DOS files, leave text text.
bool looksBinary(const QString &text)
{
    qsizetype controls = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == 0)
            return true;
        const bool c0 = u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r' && u != u'\f' && u != u'\v' && u != 0x1A;
        if (c0 || u == 0x7F || u == 0xFFFD)
            ++controls;
    }
    return controls >= 3 && controls * 100 > text.size();
}

// The row of these fields as the text holds it.
QString packedRow(const QStringList &fields)
{
    qsizetype size = fields.size() - 1;
    for (const QString &field : fields)
        size += field.size();
    QString row(size, Qt::Uninitialized);
    QChar *out = row.data();
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            *out++ = QChar(0);
        out = std::copy(fields.at(i).cbegin(), fields.at(i).cend(), out);
    }
    return row;
}

// A reading that the letters alone did not decide: what was taken, why, and what else reads as
// words.
QString alternativesNote(const CATextEncodings::EightBitReading &reading)
{
    using By = CATextEncodings::EightBitReading::By;
    const QString why = reading.decidedBy == By::Detector ? QStringLiteral("which a charset detector finds far the likeliest")
                        : reading.decidedBy == By::Locale ? QStringLiteral("the encoding of the locale's language")
                                                          : QStringLiteral("whose words are the likeliest");
    QStringList others;
    for (const quint32 other : reading.alternatives)
        others.append(CATextEncodings::displayName(other));
    const QString listed = others.size() < 2 ? others.join(QString())
                                             : others.first(others.size() - 1).join(QStringLiteral(", "))
                                                   + QStringLiteral(" or ") + others.last();
    return QStringLiteral("The file is not UTF-8 text; it was read as %1, %2, but its letters read as words in %3 as well.")
        .arg(CATextEncodings::displayName(reading.encoding), why, listed);
}

} // namespace

CADelimitedText::CADelimitedText(QByteArray data)
    : m_data(std::move(data))
{
    m_encoding = CATextEncodings::detect(m_data, CATextEncodings::localeLanguage(), &m_eightBit);
    if (!reloadData() && !m_binary && m_encoding != CATextEncodings::kISOLatin1) {
        m_encoding = CATextEncodings::kISOLatin1;
        reloadData();
    }
}

void CADelimitedText::takeEncodingAsChosen()
{
    m_encodingGuessed = false;
    m_notes.removeAll(m_encodingNote);
    m_encodingNote.clear();
}

bool CADelimitedText::setEncoding(quint32 encoding)
{
    m_encoding = encoding;
    m_encodingGuessed = false;
    return reloadData();
}

void CADelimitedText::setDelimiter(const std::optional<QString> &delimiter)
{
    if (delimiter == m_delimiter)
        return;
    m_delimiter = delimiter;
    reloadData();
}

QStringList CADelimitedText::fieldsOf(const QString &record)
{
    return record.split(QChar(0));
}

QStringList CADelimitedText::row(qsizetype row) const
{
    return row >= 0 && row < m_rows.size() ? fieldsOf(m_rows.at(row)) : QStringList();
}

QList<QStringList> CADelimitedText::rows() const
{
    QList<QStringList> rows;
    rows.reserve(m_rows.size());
    for (const QString &row : m_rows)
        rows.append(fieldsOf(row));
    return rows;
}

std::optional<QString> CADelimitedText::dataForLine(qsizetype record, qsizetype field) const
{
    const qsizetype at = m_hasHeader ? record + 1 : record;
    if (record < 0 || field < 0 || at >= m_rows.size())
        return std::nullopt;
    const QStringList fields = row(at);
    if (field >= fields.size())
        return std::nullopt;
    return fields.at(field);
}

std::optional<QString> CADelimitedText::headerForField(qsizetype field) const
{
    if (!m_hasHeader || m_rows.isEmpty() || field < 0)
        return std::nullopt;
    const QStringList header = row(0);
    if (field >= header.size())
        return std::nullopt;
    return header.at(field);
}

CADelimitedText::Records CADelimitedText::personRecords() const
{
    if (!m_hasHeader || m_rows.isEmpty())
        return m_rows;
    return m_rows.mid(1);
}

QList<QStringList> CADelimitedText::personData() const
{
    QList<QStringList> records;
    for (const QString &record : personRecords())
        records.append(fieldsOf(record));
    return records;
}

CADelimitedText::Records CADelimitedText::takePersonData()
{
    Records records = std::exchange(m_rows, Records());
    if (m_hasHeader && !records.isEmpty())
        records.removeFirst();
    m_data = QByteArray();
    return records;
}

qsizetype CADelimitedText::fieldsCount() const
{
    qsizetype most = 0;
    for (const QString &row : m_rows)
        most = std::max(most, row.count(QChar(0)) + 1);
    return most;
}

qsizetype CADelimitedText::recordsCount() const
{
    return std::max<qsizetype>(0, m_rows.size() - (m_hasHeader ? 1 : 0));
}

bool CADelimitedText::reloadData()
{
    m_rows.clear();
    m_registry.clear();
    m_hasHeader = false;
    m_problems.clear();
    m_notes.clear();
    m_encodingNote.clear();
    m_recordsTakenByQuotes = 0;
    m_longestFieldHeld = 0;
    m_error.clear();
    m_valid = false;
    m_binary = false;
    QString reason;
    QString linesNote;
    QString fileNote;
    const std::optional<CATextEncodings::EightBitReading> eightBit = eightBitReading();
    const bool readsAsWords = eightBit && eightBit->encoding == m_encoding;
    const std::optional<QString> text = CATextEncodings::decode(m_data, m_encoding, &reason, &linesNote,
                                                                m_encodingGuessed, &fileNote, readsAsWords);
    if (!text) {
        m_error = reason;
        qCInfo(lcContacts).noquote() << "delimited text not read:" << reason;
        return false;
    }
    if (looksBinary(*text)) {
        m_binary = true;
        m_error = QStringLiteral("the file holds binary data, not text");
        qCInfo(lcContacts).noquote() << "delimited text not read:" << m_error;
        return false;
    }
    if (!linesNote.isEmpty())
        m_problems.append(linesNote);
    if (!fileNote.isEmpty()) {
        if (readsAsWords && !eightBit->alternatives.isEmpty())
            fileNote = alternativesNote(*eightBit);
        m_encodingNote = fileNote;
        m_notes.append(fileNote);
        qCInfo(lcContacts).noquote() << "delimited text:" << fileNote;
    }
    readRecords(*text);
    parseHeader();
    m_valid = true;
    return true;
}

void CADelimitedText::readRecords(const QString &text)
{
    const qsizetype size = text.size();
    qsizetype position = 0;
    qsizetype lineNumber = 1;
    qsizetype rowsWithCutFields = 0;
    // The separators of the file's first record, against which a field of many lines is weighed.
    std::optional<qsizetype> headerSeparators;
    // Fields that took lines like records: the first few are named, the rest counted.
    constexpr qsizetype kJoiningFieldsNamed = 10;
    qsizetype joiningFields = 0;
    while (position < size) {
        qsizetype lineEnd = position;
        while (lineEnd < size && !isLineBreak(text.at(lineEnd)))
            ++lineEnd;
        if (lineEnd == position) {
            position = afterBreak(text, lineEnd);
            ++lineNumber;
            continue;
        }
        if (!m_delimiter)
            m_delimiter = determineDelimiter(text.mid(position, lineEnd - position),
                                             {QStringLiteral("\t"), QStringLiteral(","), QStringLiteral(";")});
        RecordScan scan;
        if (m_delimiter->isEmpty()) {
            scan.fields = QStringList{text.mid(position, lineEnd - position)};
            scan.end = lineEnd < size ? afterBreak(text, lineEnd) : size;
        } else if (std::optional<RecordScan> multi = scanRecord(text, position, *m_delimiter, true)) {
            scan = std::move(*multi);
        } else {
            scan = *scanRecord(text, position, *m_delimiter, false);
            m_problems.append(QStringLiteral("Line %1: a quote is never closed; the rest of the line is read as one field.")
                                  .arg(lineNumber));
        }
        // Only a row that is a record meets the bound: a row of empty fields after the last one
        // (spreadsheets write them) loses nothing.
        const bool record = !scan.tooLong && !allEmpty(scan.fields);
        if (record && m_rows.size() >= kMaxRows) {
            m_problems.append(QStringLiteral("Line %1 and the lines after it were left out: a file is read up to %2 rows.")
                                  .arg(lineNumber)
                                  .arg(kMaxRows));
            break;
        }
        // A field may hold any number of lines, and is read so; but lines that look like records
        // of their own are named, since two stray quotes would make one person of thousands.
        const qsizetype shaped = scan.lines > 1 && headerSeparators && *headerSeparators > 0
                                     ? recordShapedLines(QStringView(text).sliced(position, scan.end - position),
                                                         *m_delimiter, *headerSeparators)
                                     : 0;
        if (shaped > 0 && ++joiningFields > kJoiningFieldsNamed) {
            m_recordsTakenByQuotes += shaped;
        } else if (shaped > 0) {
            m_recordsTakenByQuotes += shaped;
            m_problems.append(
                QStringLiteral("Line %1: a quoted field starts there and takes the %2 lines after it, to line %3; "
                               "%4 of them look like records of their own (as many separators as the first row). "
                               "A quote is likely missing or stray.")
                    .arg(lineNumber)
                    .arg(scan.lines - 1)
                    .arg(lineNumber + scan.lines - 1)
                    .arg(shaped));
        }
        if (scan.tooLong) {
            // Never split into records of its lines: each of them would be a person of its own.
            m_problems.append(scan.lines > 1
                                  ? QStringLiteral("Lines %1 to %2 were left out: they make one record of more than %3 characters.")
                                        .arg(lineNumber)
                                        .arg(lineNumber + scan.lines - 1)
                                        .arg(kMaxRecordCharacters)
                                  : QStringLiteral("Line %1 was left out: it is a record of more than %2 characters.")
                                        .arg(lineNumber)
                                        .arg(kMaxRecordCharacters));
        } else if (scan.fieldsCut) {
            ++rowsWithCutFields;
        }
        if (!headerSeparators && !scan.tooLong)
            headerSeparators = scan.fields.size() - 1;
        m_longestFieldHeld = std::max(m_longestFieldHeld, scan.held);
        if (record)
            m_rows.append(packedRow(scan.fields));
        position = scan.end;
        lineNumber += scan.lines;
    }
    if (joiningFields > kJoiningFieldsNamed)
        m_problems.append(QStringLiteral("%1 more quoted fields take lines that look like records of their own.")
                              .arg(joiningFields - kJoiningFieldsNamed));
    if (rowsWithCutFields > 0)
        m_problems.append(QStringLiteral("%1 rows have more than %2 fields; the fields after that were left out.")
                              .arg(rowsWithCutFields)
                              .arg(kMaxFieldsPerRow));
    for (const QString &problem : std::as_const(m_problems))
        qCInfo(lcContacts).noquote() << "delimited text:" << problem;
}

QString CADelimitedText::determineDelimiter(const QString &line, const QStringList &candidates)
{
    QString best;
    qsizetype bestPosition = -1;
    for (const QString &candidate : candidates) {
        if (candidate.isEmpty())
            continue;
        bool inQuotes = false;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar c = line.at(i);
            if (c == u'"') {
                inQuotes = !inQuotes;
            } else if (!inQuotes && c == candidate.at(0)) {
                if (bestPosition < 0 || i < bestPosition) {
                    bestPosition = i;
                    best = candidate;
                }
                break;
            }
        }
    }
    return best;
}

QStringList CADelimitedText::divideString(const QString &line, const QString &delimiter)
{
    if (delimiter.isEmpty())
        return QStringList{line};
    return scanRecord(line, 0, delimiter, false)->fields;
}
