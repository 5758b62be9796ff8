#pragma once

#include "kernel/merge/CAPrintTarget.h"
#include "kernel/merge/CAPrintingView.h"

#include <QPageRanges>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CADocument;
class CAPrintListArray;
class CAPrintTarget;
class QPrinter;

// Which of the three print sheets a design prints through.
enum class CAPrintSheetKind { Roll, LabelSheet, Envelope };

// The steps between the print command and the sheet, as plain functions the sheet, the shell and
// the tests share.
namespace CAPrintJob {

// A roll label prints on the roll sheet, other labels and postcards laid out in rows and columns
// on the label sheet, envelopes and postcards without a grid on the envelope sheet; nothing for
// any other kind of design.
std::optional<CAPrintSheetKind> sheetKindForDocument(const CADocument &document);
// The name of the sheet's layout: "PrintViewDYMO", "PrintViewLabel" or "PrintViewEnvelope".
QString sheetName(CAPrintSheetKind kind);

struct PersonChoice
{
    std::optional<CAPrintingView::PersonList> persons;
    // Whether the persons are those of a shared print list.
    bool fromPrintList = false;
    QString listName;
};
// The persons a print starts with: the document's own list when it has one; else, when the print
// list is asked for, the document's print list or the current shared one. Records the choice as
// the settings' "PersonList".
PersonChoice choosePersons(CADocument &document, bool usePrintList, CAPrintListArray &lists);

// Pages of a job: one per item on rolls and envelopes; else the sheets the copies fill from the
// start position.
int pageCount(CAPrintSheetKind kind, int copies, int startFrom, int itemsPerPage);
// The copies the copies stepper gives: its maximum stands for one full sheet.
int copiesFromStepper(int value, int maximum, int itemsPerPage);
// The envelope's rotation after a click on a rotate button (tag 1 left, tag 2 right); with the
// printer's own settings each click turns it half way round.
int rotate(int rotation, int tag, bool printerSettings);

// The printing view of the sheet, in preview mode, made as a print without the sheet makes it;
// null for a design no sheet prints.
std::unique_ptr<CAPrintingView> makePrintingView(const std::shared_ptr<CADocument> &document,
                                                 const std::optional<CAPrintingView::PersonList> &persons,
                                                 bool vectorPrinting);

// A print target that reports each page and lets the caller stop the job: everything is passed
// on to the target it wraps.
class ProgressTarget : public CAPrintTarget
{
public:
    // Answers false to stop after the page.
    using Progress = std::function<bool(int page, int pages)>;
    ProgressTarget(CAPrintTarget &target, Progress progress)
        : m_target(target)
        , m_progress(std::move(progress))
    {
    }
    QPagedPaintDevice &device() override { return m_target.device(); }
    void setResolution(int dotsPerInch) override { m_target.setResolution(dotsPerInch); }
    QString printerName() const override { return m_target.printerName(); }
    bool pagePrinted(int page, int pages) override;
    void abort() override { m_target.abort(); }
    std::vector<int> pageOrder(int pages) const override { return m_target.pageOrder(pages); }
    bool wasCancelled() const { return m_cancelled; }

private:
    CAPrintTarget &m_target;
    Progress m_progress;
    bool m_cancelled = false;
};

// Prints the view's pages into a PDF file: written whole or not at all, so that a cancelled or
// failed export leaves an existing file as it was.
enum class ExportResult { Written, Cancelled, Failed };
ExportResult exportPdf(CAPrintingView &view, const QString &path, const ProgressTarget::Progress &progress,
                       QString *error);

// Whether the printer is the print dialog's PDF printer, which prints to a file.
bool printsToFile(const QPrinter &printer);
// The pages (1-based) of a job of pages pages a file holds as the print dialog asked: those of
// its ranges in ascending order (every page for none), and for copies either the whole run
// again (collated) or each page again at once; lastFirst (the dialog's Reverse) turns the whole
// order round. No printer repeats, picks or reverses pages of a file.
std::vector<int> pageOrder(int pages, int copies, bool collate, const QPageRanges &ranges, bool lastFirst = false);
// Prints the view's pages into the printer's file as exportPdf() writes it, for the toolkit's
// own file printer cuts the old file at once and drops the errors of its writes; the copies,
// their collation, the page range and the page order are the printer's. The view stays in the mode it printed
// in. False with the reason when the file was not written, without one when the job was
// cancelled.
bool printToFile(CAPrintingView &view, const QPrinter &printer, const ProgressTarget::Progress &progress, QString *error);

} // namespace CAPrintJob
