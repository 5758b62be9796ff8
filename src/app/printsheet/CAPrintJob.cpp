#include "app/printsheet/CAPrintJob.h"

#include "app/contacts/CAPrintListArray.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "kernel/merge/CAEnvelopePrintingView.h"
#include "kernel/merge/CALabelPrintingView.h"
#include "kernel/merge/CAPrintingViewChoice.h"
#include "kernel/printing/CATemplateFormat.h"
#include "platform/PWSaveFile.h"

#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

#include <algorithm>
#include <cmath>

namespace CAPrintJob {

std::optional<CAPrintSheetKind> sheetKindForDocument(const CADocument &document)
{
    const CFTADocument *design = document.ftDocument();
    if (!design)
        return std::nullopt;
    switch (document.docType()) {
    case dtLabel:
        return printsOnLabelRoll(*design) ? CAPrintSheetKind::Roll : CAPrintSheetKind::LabelSheet;
    case dtEnvelope:
        return CAPrintSheetKind::Envelope;
    case dtPostcard:
        return design->GetColCount() != 0 && design->GetRowCount() != 0 ? CAPrintSheetKind::LabelSheet
                                                                         : CAPrintSheetKind::Envelope;
    default:
        return std::nullopt;
    }
}

QString sheetName(CAPrintSheetKind kind)
{
    switch (kind) {
    case CAPrintSheetKind::Roll:
        return QStringLiteral("PrintViewDYMO");
    case CAPrintSheetKind::LabelSheet:
        return QStringLiteral("PrintViewLabel");
    case CAPrintSheetKind::Envelope:
        break;
    }
    return QStringLiteral("PrintViewEnvelope");
}

PersonChoice choosePersons(CADocument &document, bool usePrintList, CAPrintListArray &lists)
{
    PersonChoice choice;
    if (usePrintList && !document.personList()) {
        QString name = document.getPrintListName().value_or(QString());
        if (name.isEmpty() && lists.currentPrintListIndex() != -1)
            name = lists.getPrintListNameAt(lists.currentPrintListIndex());
        if (!name.isEmpty()) {
            if (const std::optional<CAPersonList> list = lists.getPrintListByName(name)) {
                choice.persons = CAPrintingView::PersonList(list->cbegin(), list->cend());
                choice.listName = name;
            }
        }
        choice.fromPrintList = true;
    } else {
        choice.persons = document.personList();
    }
    document.printSettings().personList = choice.fromPrintList;
    return choice;
}

int pageCount(CAPrintSheetKind kind, int copies, int startFrom, int itemsPerPage)
{
    if (kind != CAPrintSheetKind::LabelSheet || itemsPerPage <= 0)
        return copies;
    return int(std::ceil(double(copies + startFrom - 1) / double(itemsPerPage)));
}

int copiesFromStepper(int value, int maximum, int itemsPerPage)
{
    if (itemsPerPage > 0 && value == maximum)
        return itemsPerPage;
    return value;
}

int rotate(int rotation, int tag, bool printerSettings)
{
    if (printerSettings)
        rotation += 180;
    else if (tag == 2)
        rotation += 90;
    else if (tag == 1)
        rotation += 270;
    return rotation % 360;
}

std::unique_ptr<CAPrintingView> makePrintingView(const std::shared_ptr<CADocument> &document,
                                                 const std::optional<CAPrintingView::PersonList> &persons,
                                                 bool vectorPrinting)
{
    if (!document || !document->ftDocument())
        return nullptr;
    // An empty list prints the design's own recipient.
    std::optional<CAPrintingView::PersonList> list = persons && !persons->empty() ? persons : std::nullopt;
    // The same view a print without the sheet makes, so that both print the same pages.
    return makePrintingViewForDocument(document, std::move(list), document->printSettings(), vectorPrinting);
}

bool ProgressTarget::pagePrinted(int page, int pages)
{
    if (m_progress && !m_progress(page, pages))
        m_cancelled = true;
    return !m_cancelled;
}

namespace {

// A PDF file that holds the pages in an order of its own.
class OrderedPdfTarget : public CAPdfPrintTarget
{
public:
    OrderedPdfTarget(QPdfWriter &writer, std::function<std::vector<int>(int)> order)
        : CAPdfPrintTarget(writer)
        , m_order(std::move(order))
    {
    }
    std::vector<int> pageOrder(int pages) const override
    {
        return m_order ? m_order(pages) : CAPdfPrintTarget::pageOrder(pages);
    }

private:
    std::function<std::vector<int>(int)> m_order;
};

ExportResult writePdf(CAPrintingView &view, const QString &path, const ProgressTarget::Progress &progress,
                      QString *error, std::function<std::vector<int>(int)> order = {})
{
    PWSaveFile::File file(path);
    if (!PWSaveFile::open(file, error))
        return ExportResult::Failed;
    bool printed = false;
    bool cancelled = false;
    {
        QPdfWriter writer(&file);
        writer.setCreator(QStringLiteral("Parcelwick"));
        OrderedPdfTarget pdf(writer, std::move(order));
        ProgressTarget target(pdf, progress);
        printed = view.printPages(target, error);
        cancelled = target.wasCancelled();
    }
    if (!printed) {
        file.cancelWriting();
        return cancelled ? ExportResult::Cancelled : ExportResult::Failed;
    }
    if (!PWSaveFile::commit(file, error))
        return ExportResult::Failed;
    return ExportResult::Written;
}

} // namespace

ExportResult exportPdf(CAPrintingView &view, const QString &path, const ProgressTarget::Progress &progress,
                       QString *error)
{
    const ExportResult result = writePdf(view, path, progress, error);
    // The sheet goes on showing the preview after the job.
    view.setPrintViewMode(CAPrintingView::kPreviewMode);
    return result;
}

bool printsToFile(const QPrinter &printer)
{
    return printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
}

std::vector<int> pageOrder(int pages, int copies, bool collate, const QPageRanges &ranges, bool lastFirst)
{
    std::vector<int> run;
    for (int page = 1; page <= pages; ++page)
        if (ranges.isEmpty() || ranges.contains(page))
            run.push_back(page);
    copies = std::max(copies, 1);
    std::vector<int> order;
    order.reserve(run.size() * std::size_t(copies));
    if (collate) {
        for (int copy = 0; copy < copies; ++copy)
            order.insert(order.end(), run.begin(), run.end());
    } else {
        for (const int page : run)
            order.insert(order.end(), std::size_t(copies), page);
    }
    // The stack a printer delivers face up from its last page: the whole job turned round.
    if (lastFirst)
        std::reverse(order.begin(), order.end());
    return order;
}

bool printToFile(CAPrintingView &view, const QPrinter &printer, const ProgressTarget::Progress &progress, QString *error)
{
    // The dialog's range: pages, or every page for the other choices (a selection and the current
    // page are not offered).
    const QPageRanges ranges = printer.printRange() == QPrinter::PageRange ? printer.pageRanges() : QPageRanges();
    const int copies = printer.copyCount();
    const bool collate = printer.collateCopies();
    const bool lastFirst = printer.pageOrder() == QPrinter::LastPageFirst;
    const ExportResult result = writePdf(view, printer.outputFileName(), progress, error,
                                         [ranges, copies, collate, lastFirst](int pages) {
                                             return pageOrder(pages, copies, collate, ranges, lastFirst);
                                         });
    if (result == ExportResult::Cancelled && error)
        error->clear();
    return result == ExportResult::Written;
}

} // namespace CAPrintJob
