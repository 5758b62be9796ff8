#include "FuzzSupport.h"

#include "app/contacts/CASpreadsheetReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    pwFuzzSilenceLog();
    return 0;
}

// Workbooks of the spreadsheet contact source: the zip container, the workbook's relations, the
// shared strings and the first worksheet. Rows or a reason, never a crash; rows are never wider
// than a worksheet can be, and a refusal always says why.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString error;
    const std::optional<CASpreadsheetReader::Rows> rows = CASpreadsheetReader::readXlsx(bytes, &error);
    pwFuzzCheck(rows.has_value() || !error.isEmpty());
    if (rows) {
        for (const QStringList &row : *rows)
            pwFuzzCheck(row.size() <= CASpreadsheetReader::kMaxColumns);
        CASpreadsheetReader::toCsv(*rows);
    }
    return 0;
}
