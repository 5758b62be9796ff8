#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// What libfreexl does not tell of an Excel 97-2003 workbook: which of its sheets are shown. The
// workbook stream is taken out of the compound file and its sheet records read; every count and
// offset is checked, since the file may be damaged anywhere.
namespace CAXlsSheets {

// The named stream of a compound file ("Workbook"); nothing when the file is damaged or has none.
std::optional<QByteArray> compoundStream(QByteArrayView file, const QString &name);
// The name of the first worksheet the workbook shows (hidden sheets and charts passed over);
// nothing when the workbook cannot tell.
std::optional<QString> firstVisibleWorksheet(QByteArrayView file);

} // namespace CAXlsSheets
