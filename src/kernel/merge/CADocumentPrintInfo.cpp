// The document's print information as its layout asks for it.

#include "kernel/merge/CADocument.h"

#include "kernel/document/CFTADocument.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/printing/CATemplateFormat.h"

#include <QPageSize>

#include <optional>

namespace {

// How a label maker's labels get their paper: a roll printer's own paper size, the printable
// size of the label, or the sheet the labels come on.
enum class LabelPaper { RollPaper, PrintableSize, Sheet };

// The maker table is matched in any letter case: the catalogue spells one maker "Dymo".
LabelPaper labelPaperForMaker(const QString &maker)
{
    if (maker.compare(QLatin1String("DYMO"), Qt::CaseInsensitive) == 0)
        return LabelPaper::RollPaper;
    if (maker.compare(QLatin1String("Seiko"), Qt::CaseInsensitive) == 0
        || maker.compare(QLatin1String("Brother"), Qt::CaseInsensitive) == 0)
        return LabelPaper::PrintableSize;
    return LabelPaper::Sheet;
}

// Whether the print system has a paper of this size, lying either way.
bool isKnownPaper(const QSizeF &points)
{
    if (points.isEmpty())
        return false;
    return QPageSize::id(points, QPageSize::Point, QPageSize::FuzzyOrientationMatch) != QPageSize::Custom;
}

QSizeF sizeOrFallback(const QSizeF &size, const QSizeF &fallback)
{
    return size.width() > 0.0 && size.height() > 0.0 ? size : fallback;
}

// Whether the layout's labels or cards print on the sheet its paper-size name gives.
bool printsOnNamedSheet(const CFTADocument &design)
{
    if (design.getDocumentType() == dtLabel)
        return labelPaperForMaker(design.GetManufacturer().getData()) == LabelPaper::Sheet && !design.isLabelRoll();
    return design.getDocumentType() == dtPostcard && design.GetColCount() > 0 && design.GetRowCount() > 0;
}

} // namespace

void CADocument::setupPrintInfo(bool usePrinterSettings)
{
    const CFTADocument *design = ftDocument();
    if (!design)
        return;
    const QSizeF card(design->getCardSizeX(), design->getCardSizeY());
    // The orientation here is not the user's choice (the print dialog keeps that): it is what
    // turns the paper into the page the printing views draw on, and only a turned roll sets it
    // otherwise. Every set-up therefore sets it, so that no later layout inherits a roll's turn.
    m_printSettings.orientation = QPageLayout::Portrait;
    // A card without a sheet grid is fed like an envelope: on its card paper when the printer's
    // settings are used, else on the default page, where the envelope view turns it to stand
    // upright (its item image lies on its long side). Its card paper is asked for as the card
    // stands, not by its item size: the item size always lies, and a standing card printed on
    // lying paper would come out on its side. A card with a sheet grid is a sheet of cards and
    // gets the sheet's paper, as labels do: the default page would cut a Letter sheet printed
    // where A4 is the default, and the item size would hold one card of the sheet.
    const bool singleCard =
        design->getDocumentType() == dtPostcard && (design->GetColCount() <= 0 || design->GetRowCount() <= 0);
    switch (singleCard ? int(dtEnvelope) : int(design->getDocumentType())) {
    case dtEnvelope: {
        const QSizeF own = singleCard ? QSizeF(design->getDocumentSizeX(0), design->getDocumentSizeY(0)) : card;
        // An envelope larger than the default page either way would lose its edges there (a C4's
        // sender), or all of it: it gets paper of its own size, as with the printer's settings.
        const bool pageTooSmall = !CAPrintSettings::paperHolds(
            CAEnvironment::defaultPageSize(), QSizeF(design->getLayoutSizeX(), design->getLayoutSizeY()));
        if (usePrinterSettings || pageTooSmall) {
            m_printSettings.paperSize = own;
            // A size the print system has no paper for is not one it knows, whatever it was told
            // before.
            m_printSettings.knownPaperFormat = isKnownPaper(m_printSettings.paperSize);
        } else {
            m_printSettings.paperSize = CAEnvironment::defaultPageSize();
            m_printSettings.knownPaperFormat = false;
        }
        break;
    }
    case dtLabel: {
        const LabelPaper rule = labelPaperForMaker(design->GetManufacturer().getData());
        // A roll of a maker the table does not know still prints on its roll paper: a roll has
        // no sheet to name.
        if (rule == LabelPaper::Sheet && !design->isLabelRoll()) {
            if (const std::optional<QSizeF> paper = CATemplateFormat::sheetPaperForName(design->GetPageSize().getData()))
                m_printSettings.paperSize = *paper;
            break;
        }
        if (rule == LabelPaper::PrintableSize)
            m_printSettings.paperSize =
                sizeOrFallback(QSizeF(design->getPrintableSizeX(), design->getPrintableSizeY()), card);
        else
            m_printSettings.paperSize =
                sizeOrFallback(QSizeF(design->GetDYMOPaperWidth(), design->GetDYMOPaperHeight()), card);
        // The roll's paper is named the way the printer feeds it; the label is printed the way
        // the design lies on it, so that the whole label is on the page.
        const QSizeF &fed = m_printSettings.paperSize;
        if (fed.width() != fed.height() && design->getLayoutSizeX() != design->getLayoutSizeY()
            && (fed.width() > fed.height()) != (design->getLayoutSizeX() > design->getLayoutSizeY()))
            m_printSettings.orientation = QPageLayout::Landscape;
        break;
    }
    default:
        // Cards on a sheet print on the sheet, as labels do.
        if (const std::optional<QSizeF> paper = CATemplateFormat::sheetPaperForName(design->GetPageSize().getData()))
            m_printSettings.paperSize = *paper;
        break;
    }
}

std::optional<QString> CADocument::unknownSheetPaper() const
{
    const CFTADocument *design = ftDocument();
    if (!design || !printsOnNamedSheet(*design))
        return std::nullopt;
    // A layout that names no paper claims none: it prints on the paper the print information
    // has, as a sheet always has.
    const QString name = design->GetPageSize().getData();
    if (name.trimmed().isEmpty() || CATemplateFormat::sheetPaperForName(name))
        return std::nullopt;
    return name;
}
