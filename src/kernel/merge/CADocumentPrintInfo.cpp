// The document's print information as its layout asks for it.

#include "kernel/merge/CADocument.h"

#include "kernel/document/CFTADocument.h"
#include "kernel/base/CAEnvironment.h"

#include <QStringList>

namespace {

// The paper of a sheet layout by the name its template gives; other names print on the
// environment's default paper.
QSizeF paperForName(const QString &name)
{
    if (name == QLatin1String("A4"))
        return QSizeF(595.28, 841.89);
    if (name == QLatin1String("Letter"))
        return QSizeF(612.0, 792.0);
    return CAEnvironment::defaultPageSize();
}

} // namespace

void CADocument::autoSelectPrinter(const QStringList &printerNames)
{
    const CFTADocument *design = ftDocument();
    if (!design || design->getDocumentType() != dtLabel || !design->isLabelRoll())
        return;
    for (const QString &name : printerNames) {
        if (name.contains(QLatin1String("label"), Qt::CaseInsensitive)) {
            m_printSettings.printerName = name;
            return;
        }
    }
}

void CADocument::setupPrintInfo(bool usePrinterSettings)
{
    const CFTADocument *design = ftDocument();
    if (!design)
        return;
    const QSizeF card(design->getCardSizeX(), design->getCardSizeY());
    m_printSettings.orientation = QPageLayout::Portrait;
    // A card without a sheet grid is fed like an envelope: on the printer's own card paper when
    // its settings are used, else on the default page, where the envelope view turns it to stand
    // upright (its item image lies on its long side).
    const bool singleCard =
        design->getDocumentType() == dtPostcard && (design->GetColCount() <= 0 || design->GetRowCount() <= 0);
    switch (singleCard ? int(dtEnvelope) : int(design->getDocumentType())) {
    case dtEnvelope:
        m_printSettings.usePrinterSettings = usePrinterSettings;
        if (usePrinterSettings) {
            // A standing card asks for its card paper standing, so that it prints upright on it.
            m_printSettings.paperSize =
                singleCard ? QSizeF(design->getDocumentSizeX(0), design->getDocumentSizeY(0)) : card;
            m_printSettings.knownPaperFormat = !m_printSettings.paperSize.isEmpty();
        } else {
            m_printSettings.paperSize = CAEnvironment::defaultPageSize();
            m_printSettings.knownPaperFormat = false;
        }
        break;
    case dtLabel:
        if (design->isLabelRoll()) {
            const QSizeF paper(design->GetDYMOPaperWidth(), design->GetDYMOPaperHeight());
            m_printSettings.paperSize = paper.isEmpty() ? card : paper;
            // The roll's paper is named the way the printer feeds it; the label is printed the way
            // the design lies on it, so that the whole label is on the page.
            const QSizeF &fed = m_printSettings.paperSize;
            if (fed.width() != fed.height() && design->getLayoutSizeX() != design->getLayoutSizeY()
                && (fed.width() > fed.height()) != (design->getLayoutSizeX() > design->getLayoutSizeY()))
                m_printSettings.orientation = QPageLayout::Landscape;
            break;
        }
        m_printSettings.paperSize = paperForName(design->GetPageSize().getData());
        break;
    default:
        m_printSettings.paperSize = paperForName(design->GetPageSize().getData());
        break;
    }
}
