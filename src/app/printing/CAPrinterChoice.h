#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>

class CADocument;

// An installed printer as the print system describes it.
struct CAPrinterDescription
{
    QString name;
    // The driver's make and model ("Acme LabelJet 450"): what a printer's kind is told by.
    QString makeAndModel;
    bool isDefault = false;
};

// Picks the label printer a label layout is made for among the installed printers, by the label
// maker's name and the printer's make and model.
namespace CAPrinterChoice {

struct LabelPrinter
{
    // A printer whose make and model holds this text already suits the layout.
    QString mustContain;
    // The texts searched for in the make and model of the installed printers.
    QString type;
    QString maker;
};

// The printers of the system.
QList<CAPrinterDescription> systemPrinters();
// Replaces where systemPrinters reads them (tests list printers of their own); an empty function
// puts the print system back.
void setSystemPrintersSource(std::function<QList<CAPrinterDescription>()> source);

// The label printer of a layout maker, matched in any letter case; nothing for other makers.
std::optional<LabelPrinter> labelPrinterFor(const QString &manufacturer);

// The name of the first printer whose make and model contains both texts, in any letter case (an
// empty text is not tested); empty when none does.
QString systemPrinterNameWithTypeManufacturer(const QList<CAPrinterDescription> &printers, const QString &type,
                                              const QString &maker);

// For a label design of a known label maker, makes a matching printer the design's printer unless
// the current one (the design's, else the default) already suits it. Answers whether the printer
// changed; other designs and layouts without a match keep their printer.
bool autoSelectPrinter(CADocument &document, const QList<CAPrinterDescription> &printers);

} // namespace CAPrinterChoice
