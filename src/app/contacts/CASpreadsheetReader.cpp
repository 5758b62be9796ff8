#include "app/contacts/CASpreadsheetReader.h"

#include "app/contacts/CASpreadsheetCells.h"
#include "app/contacts/CAXlsSheets.h"

#include "platform/PWFileReader.h"
#include "platform/PWIsolatedCall.h"

#include <QFile>
#include <QHash>
#include <QXmlStreamReader>

#include <freexl.h>
#include <zip.h>

#include <QtEndian>

#include <cmath>
#include <memory>

namespace {

const QByteArray kZipMagic("PK\x03\x04", 4);
const QByteArray kCompoundMagic("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

bool isWorkbook(QByteArrayView head)
{
    return head.startsWith(kZipMagic) || head.startsWith(kCompoundMagic);
}

void setError(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
}

// One zip archive held in memory, closed and freed when it goes.
class ZipArchive
{
public:
    explicit ZipArchive(const QByteArray &bytes)
        : m_bytes(bytes)
    {
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t *source = zip_source_buffer_create(m_bytes.constData(), zip_uint64_t(m_bytes.size()), 0, &error);
        if (source) {
            m_zip = zip_open_from_source(source, ZIP_RDONLY, &error);
            if (!m_zip)
                zip_source_free(source);
        }
        zip_error_fini(&error);
    }
    ~ZipArchive()
    {
        if (m_zip)
            zip_discard(m_zip);
    }
    ZipArchive(const ZipArchive &) = delete;
    ZipArchive &operator=(const ZipArchive &) = delete;

    bool isOpen() const { return m_zip != nullptr; }
    bool contains(const QString &name) const
    {
        return m_zip && zip_name_locate(m_zip, name.toUtf8().constData(), 0) >= 0;
    }

    // The unpacked part, or nothing with a reason: missing, damaged, or larger than the limit.
    std::optional<QByteArray> part(const QString &name, QString *error) const
    {
        const zip_int64_t index = zip_name_locate(m_zip, name.toUtf8().constData(), 0);
        if (index < 0) {
            setError(error, QStringLiteral("the workbook has no part %1").arg(name));
            return std::nullopt;
        }
        zip_file_t *file = zip_fopen_index(m_zip, zip_uint64_t(index), 0);
        if (!file) {
            setError(error, QStringLiteral("the part %1 of the workbook cannot be opened").arg(name));
            return std::nullopt;
        }
        // The stated size may lie; what counts is what unpacks, read up to the limit.
        QByteArray bytes;
        char buffer[65536];
        bool failed = false;
        for (;;) {
            const zip_int64_t read = zip_fread(file, buffer, sizeof buffer);
            if (read < 0) {
                failed = true;
                break;
            }
            if (read == 0)
                break;
            if (bytes.size() + read > CASpreadsheetReader::kMaxPartBytes) {
                zip_fclose(file);
                setError(error, QStringLiteral("the part %1 of the workbook is too large").arg(name));
                return std::nullopt;
            }
            bytes.append(buffer, qsizetype(read));
        }
        if (zip_fclose(file) != 0 || failed) {
            setError(error, QStringLiteral("the part %1 of the workbook is damaged").arg(name));
            return std::nullopt;
        }
        return bytes;
    }

private:
    QByteArray m_bytes; // the buffer source reads from it: it lives as long as the archive
    zip_t *m_zip = nullptr;
};

// "xl/worksheets/sheet1.xml" from a relationship target, which is relative to "xl/" or absolute.
QString partFromTarget(const QString &target)
{
    if (target.startsWith(u'/'))
        return target.mid(1);
    QString part = QStringLiteral("xl/") + target;
    // "../" never leaves the package; a target that tries gives no part.
    while (part.contains(QStringLiteral("/../"))) {
        const qsizetype up = part.indexOf(QStringLiteral("/../"));
        const qsizetype parent = part.lastIndexOf(u'/', up - 1);
        part.remove(parent + 1, up + 4 - (parent + 1));
    }
    return part;
}

std::optional<QString> firstSheetPart(const ZipArchive &zip, QString *error)
{
    const std::optional<QByteArray> workbook = zip.part(QStringLiteral("xl/workbook.xml"), error);
    if (!workbook)
        return std::nullopt;
    // The first sheet the workbook shows; a hidden one is passed over (the first of all when
    // every sheet is hidden, which a workbook is not meant to be).
    QString relationId, firstHidden;
    QXmlStreamReader xml(*workbook);
    while (!xml.atEnd() && relationId.isEmpty()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("sheet")) {
            QString id;
            for (const QXmlStreamAttribute &attribute : xml.attributes()) {
                if (attribute.name() == QLatin1String("id"))
                    id = attribute.value().toString();
            }
            if (id.isEmpty())
                break;
            const QStringView state = xml.attributes().value(QLatin1String("state"));
            if (state == QLatin1String("hidden") || state == QLatin1String("veryHidden")) {
                if (firstHidden.isEmpty())
                    firstHidden = id;
                continue;
            }
            relationId = id;
        }
    }
    if (relationId.isEmpty())
        relationId = firstHidden;
    if (relationId.isEmpty()) {
        setError(error, QStringLiteral("the workbook names no worksheet"));
        return std::nullopt;
    }
    const std::optional<QByteArray> relations = zip.part(QStringLiteral("xl/_rels/workbook.xml.rels"), error);
    if (!relations)
        return std::nullopt;
    QXmlStreamReader rels(*relations);
    while (!rels.atEnd()) {
        if (rels.readNext() == QXmlStreamReader::StartElement && rels.name() == QLatin1String("Relationship")
            && rels.attributes().value(QLatin1String("Id")) == relationId)
            return partFromTarget(rels.attributes().value(QLatin1String("Target")).toString());
    }
    setError(error, QStringLiteral("the workbook's first worksheet cannot be found"));
    return std::nullopt;
}

// The number formats of the workbook's cell styles, and its date system. A workbook without
// styles shows every number as a number.
std::optional<CASpreadsheetCells::Styles> cellStyles(const ZipArchive &zip, QString *error)
{
    CASpreadsheetCells::Styles styles;
    if (const std::optional<QByteArray> workbook = zip.part(QStringLiteral("xl/workbook.xml"), error)) {
        QXmlStreamReader xml(*workbook);
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("workbookPr")) {
                const QStringView flag = xml.attributes().value(QLatin1String("date1904"));
                styles.epoch1904 = flag == QLatin1String("1") || flag == QLatin1String("true");
                break;
            }
        }
    }
    const QString name = QStringLiteral("xl/styles.xml");
    if (!zip.contains(name))
        return styles;
    const std::optional<QByteArray> bytes = zip.part(name, error);
    if (!bytes)
        return std::nullopt;
    QHash<int, QString> codes;
    QXmlStreamReader xml(*bytes);
    bool inCellFormats = false;
    qint64 style = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("cellXfs"))
            inCellFormats = false;
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        // A format code is at most 255 characters; a longer one, shown in every cell, would make
        // reading cost what the workbook's size does not tell.
        constexpr qsizetype kMaxCodeLength = 255;
        if (xml.name() == QLatin1String("numFmt")) {
            const QStringView code = attributes.value(QLatin1String("formatCode"));
            if (code.size() <= kMaxCodeLength)
                codes.insert(attributes.value(QLatin1String("numFmtId")).toInt(), code.toString());
        } else if (xml.name() == QLatin1String("cellXfs")) {
            inCellFormats = true;
            style = 0;
        } else if (xml.name() == QLatin1String("xf") && inCellFormats) {
            bool ok = false;
            const int id = attributes.value(QLatin1String("numFmtId")).toInt(&ok);
            const QString code = ok ? codes.value(id, CASpreadsheetCells::builtInDateFormat(id)) : QString();
            if (CASpreadsheetCells::isDateFormat(code))
                styles.dateFormatOfStyle.insert(style, code);
            ++style;
        }
    }
    if (xml.hasError()) {
        setError(error, QStringLiteral("the workbook's styles are damaged: %1").arg(xml.errorString()));
        return std::nullopt;
    }
    return styles;
}

// The text of every <t> inside the element the reader is at (rich runs joined, phonetic
// readings left out), up to its end.
QString textOfElement(QXmlStreamReader &xml)
{
    QString text;
    int depth = 1;
    int phonetic = 0;
    while (depth > 0 && !xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            if (xml.name() == QLatin1String("t")) {
                // Reads through its own end, so the depth stays.
                const QString part = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                if (phonetic == 0)
                    text += part;
                break;
            }
            ++depth;
            if (xml.name() == QLatin1String("rPh"))
                phonetic = depth;
            break;
        case QXmlStreamReader::EndElement:
            if (depth == phonetic)
                phonetic = 0;
            --depth;
            break;
        default:
            break;
        }
    }
    return text;
}

std::optional<QStringList> sharedStrings(const ZipArchive &zip, QString *error)
{
    QStringList strings;
    const QString name = QStringLiteral("xl/sharedStrings.xml");
    if (!zip.contains(name))
        return strings; // a workbook of numbers only has none
    const std::optional<QByteArray> bytes = zip.part(name, error);
    if (!bytes)
        return std::nullopt;
    QXmlStreamReader xml(*bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("si"))
            strings.append(textOfElement(xml));
    }
    if (xml.hasError()) {
        setError(error, QStringLiteral("the workbook's shared strings are damaged: %1").arg(xml.errorString()));
        return std::nullopt;
    }
    return strings;
}

// "BC12" -> 54 (zero-based column); -1 when the reference has no letters or too many.
int columnOfReference(QStringView reference)
{
    int column = 0;
    qsizetype letters = 0;
    for (const QChar c : reference) {
        const char16_t u = c.toUpper().unicode();
        if (u < u'A' || u > u'Z')
            break;
        column = column * 26 + (u - u'A' + 1);
        if (++letters > 3)
            return -1;
    }
    return letters == 0 || column > CASpreadsheetReader::kMaxColumns ? -1 : column - 1;
}

QString cellText(const QString &type, const QString &value, const QString &inlineText, const QStringList &shared,
                 const QString &dateFormat, bool epoch1904, bool *ok)
{
    *ok = true;
    if (type == QLatin1String("s")) {
        bool isNumber = false;
        const qlonglong index = value.trimmed().toLongLong(&isNumber);
        if (!isNumber || index < 0 || index >= shared.size()) {
            *ok = false;
            return {};
        }
        return shared.at(qsizetype(index));
    }
    if (type == QLatin1String("inlineStr"))
        return inlineText;
    if (type == QLatin1String("b"))
        return value.trimmed() == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    if (type.isEmpty() || type == QLatin1String("n")) {
        if (!dateFormat.isEmpty()) {
            bool isNumber = false;
            const double serial = value.trimmed().toDouble(&isNumber);
            if (isNumber)
                return CASpreadsheetCells::dateText(serial, dateFormat, epoch1904);
        }
        return CASpreadsheetCells::numberCellText(value).value_or(value);
    }
    return value; // "str" (a formula's text), "e" (an error such as #N/A), dates as written
}

} // namespace

QString CASpreadsheetReader::numberText(double value)
{
    return CASpreadsheetCells::numberText(value);
}

std::optional<CASpreadsheetReader::Rows> CASpreadsheetReader::readXlsx(const QByteArray &bytes, QString *error)
{
    const ZipArchive zip(bytes);
    if (!zip.isOpen()) {
        setError(error, QStringLiteral("the workbook is not a readable zip archive"));
        return std::nullopt;
    }
    const std::optional<QString> sheetPart = firstSheetPart(zip, error);
    if (!sheetPart)
        return std::nullopt;
    const std::optional<QStringList> shared = sharedStrings(zip, error);
    if (!shared)
        return std::nullopt;
    const std::optional<CASpreadsheetCells::Styles> styles = cellStyles(zip, error);
    if (!styles)
        return std::nullopt;
    const std::optional<QByteArray> sheet = zip.part(*sheetPart, error);
    if (!sheet)
        return std::nullopt;

    Rows rows;
    qint64 cells = 0;
    qint64 characters = 0;
    QXmlStreamReader xml(*sheet);
    QStringList *row = nullptr;
    // The cell being read: its type, column, <v> text and inline text.
    QString type, value, inlineText, dateFormat;
    int column = -1;
    bool inCell = false;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QStringView name = xml.name();
            if (name == QLatin1String("row")) {
                rows.append(QStringList());
                row = &rows.last();
            } else if (name == QLatin1String("c") && row) {
                inCell = true;
                type = xml.attributes().value(QLatin1String("t")).toString();
                dateFormat = styles->dateFormatOf(xml.attributes().value(QLatin1String("s")));
                const QStringView reference = xml.attributes().value(QLatin1String("r"));
                column = reference.isEmpty() ? int(row->size()) : columnOfReference(reference);
                value.clear();
                inlineText.clear();
            } else if (name == QLatin1String("v") && inCell) {
                value = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            } else if (name == QLatin1String("is") && inCell) {
                inlineText = textOfElement(xml);
            }
        } else if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("c") && inCell) {
            inCell = false;
            if (column < 0 || column >= kMaxColumns) {
                setError(error, QStringLiteral("a cell of the worksheet has no usable position"));
                return std::nullopt;
            }
            bool ok = true;
            const QString text = cellText(type, value, inlineText, *shared, dateFormat, styles->epoch1904, &ok);
            if (!ok) {
                setError(error, QStringLiteral("a cell of the worksheet names a text the workbook does not hold"));
                return std::nullopt;
            }
            characters += text.size();
            if (characters > kMaxTextCharacters) {
                setError(error, QStringLiteral("the texts of the worksheet's cells come to more than %1 characters")
                                    .arg(kMaxTextCharacters));
                return std::nullopt;
            }
            if (column >= row->size()) {
                cells += column + 1 - row->size();
                if (cells > kMaxCells) {
                    setError(error, QStringLiteral("the worksheet is too large"));
                    return std::nullopt;
                }
                row->resize(column + 1);
            }
            (*row)[column] = text;
        }
    }
    if (xml.hasError()) {
        setError(error, QStringLiteral("the worksheet is damaged: %1").arg(xml.errorString()));
        return std::nullopt;
    }
    return rows;
}

namespace {

// The library's index of the first sheet the workbook shows; the first sheet when that cannot
// be told.
unsigned short firstShownSheet(const void *handle, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > CASpreadsheetReader::kMaxPartBytes)
        return 0;
    // The library lists every sheet record in order, hidden ones and charts too: the sheet's
    // place among them is its index there, whatever code page its name was written in.
    const std::optional<CAXlsSheets::ShownSheet> shown = CAXlsSheets::firstVisibleSheet(file.readAll());
    unsigned int sheets = 0;
    if (!shown || freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK
        || unsigned(shown->index) >= sheets || shown->index > 0xFFFF)
        return 0;
    return (unsigned short)shown->index;
}

// The first shown worksheet of an ".xls" workbook, read in this process through libfreexl.
std::optional<CASpreadsheetReader::Rows> readXlsHere(const QString &path, QString *error)
{
    using Rows = CASpreadsheetReader::Rows;
    constexpr qint64 kMaxCells = CASpreadsheetReader::kMaxCells;
    const auto numberText = &CASpreadsheetReader::numberText;
    const void *handle = nullptr;
    if (freexl_open(QFile::encodeName(path).constData(), &handle) != FREEXL_OK) {
        if (handle)
            freexl_close(handle);
        setError(error, QStringLiteral("the workbook is damaged or not an Excel 97-2003 workbook"));
        return std::nullopt;
    }
    const std::unique_ptr<const void, int (*)(const void *)> closer(handle, freexl_close);
    unsigned int rowCount = 0;
    unsigned short columnCount = 0;
    if (freexl_select_active_worksheet(handle, firstShownSheet(handle, path)) != FREEXL_OK
        || freexl_worksheet_dimensions(handle, &rowCount, &columnCount) != FREEXL_OK) {
        setError(error, QStringLiteral("the workbook has no readable worksheet"));
        return std::nullopt;
    }
    if (qint64(rowCount) * columnCount > kMaxCells) {
        setError(error, QStringLiteral("the worksheet is too large"));
        return std::nullopt;
    }
    Rows rows;
    rows.reserve(rowCount);
    qint64 characters = 0;
    constexpr uint kTextProbe = uint(CASpreadsheetReader::kMaxTextCharacters) + 1;
    for (unsigned int r = 0; r < rowCount; ++r) {
        QStringList row;
        row.reserve(columnCount);
        for (unsigned short c = 0; c < columnCount; ++c) {
            FreeXL_CellValue cell;
            if (freexl_get_cell_value(handle, r, c, &cell) != FREEXL_OK) {
                setError(error, QStringLiteral("a cell of the worksheet cannot be read"));
                return std::nullopt;
            }
            if (cell.type == FREEXL_CELL_TEXT || cell.type == FREEXL_CELL_SST_TEXT) {
                // The library hands out pointers into its own tables; a damaged count makes them long.
                characters += cell.value.text_value ? qint64(qstrnlen(cell.value.text_value, kTextProbe)) : 0;
                if (characters > CASpreadsheetReader::kMaxTextCharacters) {
                    setError(error, QStringLiteral("the texts of the worksheet's cells come to more than %1 characters")
                                        .arg(CASpreadsheetReader::kMaxTextCharacters));
                    return std::nullopt;
                }
            }
            switch (cell.type) {
            case FREEXL_CELL_INT:
                row.append(QString::number(cell.value.int_value));
                break;
            case FREEXL_CELL_DOUBLE:
                row.append(numberText(cell.value.double_value));
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME:
                row.append(cell.value.text_value ? QString::fromUtf8(cell.value.text_value) : QString());
                break;
            default:
                row.append(QString());
                break;
            }
        }
        rows.append(row);
    }
    return rows;
}

// What the child sends back: "E" and the reason, or "R" and the rows, each row its cell count
// and each cell its length and UTF-8 bytes, counts as 32-bit little-endian numbers.
QByteArray childAnswer(const QByteArray &encodedPath)
{
    const QString path = QFile::decodeName(encodedPath);
    QString error;
    const std::optional<CASpreadsheetReader::Rows> rows = readXlsHere(path, &error);
    if (!rows)
        return "E" + error.toUtf8();
    QByteArray answer("R");
    const auto appendCount = [&answer](qsizetype count) {
        char bytes[4];
        qToLittleEndian(quint32(count), bytes);
        answer.append(bytes, 4);
    };
    for (const QStringList &row : *rows) {
        appendCount(row.size());
        for (const QString &cell : row) {
            const QByteArray text = cell.toUtf8();
            appendCount(text.size());
            answer.append(text);
        }
    }
    return answer;
}

// The workbook's path is the request.
constexpr char kXlsJob[] = "xls-first-sheet";
[[maybe_unused]] const bool kXlsJobRegistered = PWIsolatedCall::registerJob(kXlsJob, &childAnswer);

} // namespace

std::optional<CASpreadsheetReader::Rows> CASpreadsheetReader::rowsFromChildAnswer(QByteArrayView answer,
                                                                                  QString *error)
{
    if (answer.startsWith('E')) {
        // A reason is a line, whatever a damaged child may have sent.
        const QByteArrayView reason = answer.sliced(1).first(std::min<qsizetype>(answer.size() - 1, 500));
        setError(error, reason.isEmpty() ? QStringLiteral("the workbook cannot be read") : QString::fromUtf8(reason));
        return std::nullopt;
    }
    const auto damaged = [error] {
        setError(error, QStringLiteral("the reading of the workbook gave damaged rows"));
        return std::nullopt;
    };
    if (!answer.startsWith('R'))
        return damaged();
    qsizetype at = 1;
    const auto takeCount = [&](quint32 *count) {
        if (answer.size() - at < 4)
            return false;
        *count = qFromLittleEndian<quint32>(answer.constData() + at);
        at += 4;
        return true;
    };
    Rows rows;
    qint64 cells = 0;
    qint64 characters = 0;
    while (at < answer.size()) {
        quint32 count = 0;
        if (!takeCount(&count) || count > quint32(kMaxColumns) || (cells += count) > kMaxCells)
            return damaged();
        QStringList row;
        row.reserve(count);
        for (quint32 c = 0; c < count; ++c) {
            quint32 length = 0;
            if (!takeCount(&length) || length > quint64(answer.size() - at))
                return damaged();
            row.append(QString::fromUtf8(answer.sliced(at, length)));
            at += length;
            if ((characters += row.last().size()) > kMaxTextCharacters)
                return damaged();
        }
        rows.append(std::move(row));
    }
    return rows;
}

std::optional<CASpreadsheetReader::Rows> CASpreadsheetReader::readXls(const QString &path, QString *error)
{
    PWIsolatedCall::Limits limits;
    limits.deadlineMs = 60000;
    limits.memoryBytes = qint64(1024) * 1024 * 1024;
    // Every character as three bytes of UTF-8 and every cell's length: room for the most a
    // worksheet may hold.
    limits.answerBytes = 3 * kMaxTextCharacters + 4 * (kMaxCells + kMaxCells / kMaxColumns) + 1;
    const PWIsolatedCall::Outcome outcome = PWIsolatedCall::run(kXlsJob, QFile::encodeName(path), limits);
    if (!outcome.ok) {
        setError(error, QStringLiteral("the workbook is damaged: %1").arg(outcome.reason));
        return std::nullopt;
    }
    return rowsFromChildAnswer(outcome.answer, error);
}

std::optional<CASpreadsheetReader::Rows> CASpreadsheetReader::readFirstSheet(const QString &path, QString *error)
{
    const PWFileReader::Signature signature {&isWorkbook, kCompoundMagic.size(),
                                             QStringLiteral("the file is not an Excel workbook")};
    const PWFileReader::Result file = PWFileReader::read(path, kMaxPartBytes, signature);
    if (!file.ok()) {
        setError(error, file.reason);
        return std::nullopt;
    }
    if (file.bytes.startsWith(kZipMagic))
        return readXlsx(file.bytes, error);
    return readXls(path, error);
}

QString CASpreadsheetReader::csvField(const QString &field)
{
    if (!field.contains(u',') && !field.contains(u'"') && !field.contains(u'\n') && !field.contains(u'\r'))
        return field;
    QString quoted = field;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QByteArray CASpreadsheetReader::toCsv(const Rows &rows)
{
    QString text;
    for (const QStringList &row : rows) {
        for (qsizetype i = 0; i < row.size(); ++i) {
            if (i > 0)
                text += u',';
            text += csvField(row.at(i));
        }
        text += QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}
