#include "FuzzSupport.h"

#include "app/contacts/CASpreadsheetReader.h"
#include "platform/PWIsolatedCall.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The workbook is read by a fresh start of this program, which serves it here and ends.
    PWIsolatedCall::serveIfChild();
    pwFuzzSilenceLog();
    return 0;
}

namespace {

void checkRows(const std::optional<CASpreadsheetReader::Rows> &rows, const QString &error)
{
    pwFuzzCheck(rows.has_value() || !error.isEmpty());
    if (!rows)
        return;
    qint64 cells = 0;
    for (const QStringList &row : *rows) {
        pwFuzzCheck(row.size() <= CASpreadsheetReader::kMaxColumns);
        cells += row.size();
    }
    pwFuzzCheck(cells <= CASpreadsheetReader::kMaxCells);
}

} // namespace

// Excel 97-2003 workbooks: the bytes as a workbook file, read the way the contact source reads it
// (libfreexl in a child process, whose faults come back as refusals), and the same bytes as what
// that child sends back, which the reader checks like any bytes from outside. Rows or a reason,
// never a crash.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir folder;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString path = folder.filePath(QStringLiteral("input.xls"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return 0;
    file.close();
    QString error;
    checkRows(CASpreadsheetReader::readFirstSheet(path, &error), error);

    QString answerError;
    checkRows(CASpreadsheetReader::rowsFromChildAnswer(bytes, &answerError), answerError);
    return 0;
}
