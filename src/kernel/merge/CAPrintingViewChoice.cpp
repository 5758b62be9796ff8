#include "kernel/merge/CAPrintingViewChoice.h"

#include "kernel/merge/CADocument.h"
#include "kernel/merge/CAEnvelopePrintingView.h"
#include "kernel/merge/CALabelPrintingView.h"

#include "kernel/document/CFTADocument.h"
#include "kernel/printing/CATemplateFormat.h"

#include <QString>

bool printsOnLabelRoll(const CFTADocument &design)
{
    return design.isLabelRoll()
           || design.GetManufacturer().getData().compare(QLatin1String("DYMO"), Qt::CaseInsensitive) == 0;
}

std::unique_ptr<CAPrintingView> makePrintingViewForDocument(const std::shared_ptr<CADocument> &document,
                                                            std::optional<CAPrintingView::PersonList> persons,
                                                            const CAPrintSettings &settings, bool vectorPrinting,
                                                            QString *error)
{
    const CFTADocument *design = document ? document->ftDocument() : nullptr;
    if (!design) {
        if (error)
            *error = QStringLiteral("The design is empty.");
        return nullptr;
    }
    CAPrintingView::DocumentList designs{document};
    const bool hasGrid = document->rowCount() > 0 && document->colCount() > 0;
    switch (document->docType()) {
    case dtLabel:
        if (printsOnLabelRoll(*design))
            return std::make_unique<CADYMOPrintingView>(std::move(designs), std::move(persons), settings,
                                                        vectorPrinting);
        return std::make_unique<CALabelPrintingView>(std::move(designs), std::move(persons), settings,
                                                     CATemplateFormat::initFromDocument(*design), vectorPrinting);
    case dtPostcard:
        // Postcards come on sheets of several as well as one to a page; a sheet prints through the
        // grid like labels, else each card is a page of its own like an envelope.
        if (hasGrid)
            return std::make_unique<CALabelPrintingView>(std::move(designs), std::move(persons), settings,
                                                         CATemplateFormat::initFromDocument(*design), vectorPrinting);
        return std::make_unique<CAEnvelopePrintingView>(std::move(designs), std::move(persons), settings,
                                                        vectorPrinting);
    case dtEnvelope:
        return std::make_unique<CAEnvelopePrintingView>(std::move(designs), std::move(persons), settings,
                                                        vectorPrinting);
    default:
        if (error)
            *error = QStringLiteral("Designs of this kind cannot be printed.");
        return nullptr;
    }
}
