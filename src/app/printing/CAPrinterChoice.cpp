#include "app/printing/CAPrinterChoice.h"

#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"

#include <QPrinterInfo>

namespace CAPrinterChoice {

namespace {

std::function<QList<CAPrinterDescription>()> &printersSource()
{
    static std::function<QList<CAPrinterDescription>()> source;
    return source;
}

} // namespace

void setSystemPrintersSource(std::function<QList<CAPrinterDescription>()> source)
{
    printersSource() = std::move(source);
}

QList<CAPrinterDescription> systemPrinters()
{
    if (printersSource())
        return printersSource()();
    QList<CAPrinterDescription> printers;
    for (const QPrinterInfo &info : QPrinterInfo::availablePrinters())
        printers.append({info.printerName(), info.makeAndModel(), info.isDefault()});
    return printers;
}

std::optional<LabelPrinter> labelPrinterFor(const QString &manufacturer)
{
    static const struct
    {
        const char16_t *manufacturer;
        LabelPrinter printer;
    } kTable[] = {
        {u"DYMO", {QStringLiteral("DYMO"), QStringLiteral("DYMO"), QStringLiteral("DYMO")}},
        {u"Seiko", {QStringLiteral("SLP"), QStringLiteral("SLP"), QStringLiteral("SII")}},
        {u"Brother", {QStringLiteral("P-touch"), QStringLiteral("P-touch"), QStringLiteral("Brother")}},
    };
    for (const auto &row : kTable) {
        if (QStringView(manufacturer).compare(QStringView(row.manufacturer), Qt::CaseInsensitive) == 0)
            return row.printer;
    }
    return std::nullopt;
}

QString systemPrinterNameWithTypeManufacturer(const QList<CAPrinterDescription> &printers, const QString &type,
                                              const QString &maker)
{
    for (const CAPrinterDescription &printer : printers) {
        if (!type.isEmpty() && !printer.makeAndModel.contains(type, Qt::CaseInsensitive))
            continue;
        if (!maker.isEmpty() && !printer.makeAndModel.contains(maker, Qt::CaseInsensitive))
            continue;
        return printer.name;
    }
    return QString();
}

bool autoSelectPrinter(CADocument &document, const QList<CAPrinterDescription> &printers)
{
    const CFTADocument *design = document.ftDocument();
    if (!design || design->getDocumentType() != dtLabel)
        return false;
    const std::optional<LabelPrinter> wanted = labelPrinterFor(design->GetManufacturer().getData());
    if (!wanted)
        return false;
    const QString current = document.printSettings().printerName;
    for (const CAPrinterDescription &printer : printers) {
        const bool isCurrent = current.isEmpty() ? printer.isDefault : printer.name == current;
        if (isCurrent && printer.makeAndModel.contains(wanted->mustContain, Qt::CaseInsensitive))
            return false;
    }
    const QString name = systemPrinterNameWithTypeManufacturer(printers, wanted->type, wanted->maker);
    if (name.isEmpty() || name == current)
        return false;
    document.printSettings().printerName = name;
    return true;
}

} // namespace CAPrinterChoice
