#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// What libfreexl does not tell of an Excel workbook (5.0 to 2003): which of its sheets are shown. The
// workbook stream is taken out of the compound file and its sheet records read; every count and
// offset is checked, since the file may be damaged anywhere.
namespace CAXlsSheets {

// The named stream of a compound file ("Workbook"); nothing when the file is damaged or has none.
std::optional<QByteArray> compoundStream(QByteArrayView file, const QString &name);
// A sheet by its place among the workbook's sheets (hidden ones and charts counted too, from 0)
// and its name.
struct ShownSheet
{
    int index = 0;
    QString name;
};
// The first worksheet the workbook shows (hidden sheets and charts passed over), in an Excel 97-2003
// workbook or an Excel 5.0/95 one, each read in its own layout; nothing when the workbook cannot tell.
std::optional<ShownSheet> firstVisibleSheet(QByteArrayView file);
// Its name.
std::optional<QString> firstVisibleWorksheet(QByteArrayView file);

} // namespace CAXlsSheets
