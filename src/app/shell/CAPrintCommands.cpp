#include "app/shell/CAPrintCommands.h"

#include "app/document/CAWindowPlacement.h"
#include "app/canvas/CADocView.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CAPrintMultipleDialog.h"
#include "app/printsheet/CACalibrationController.h"
#include "app/printsheet/CAJobReportMessages.h"
#include "app/printsheet/CAPrintJob.h"
#include "app/printsheet/CAPrintViewController.h"
#include "app/shell/CADocumentManager.h"
#include "app/shell/CAMainWindowController.h"
#include "app/shell/CAOpenDocument.h"
#include "app/shell/CASavePanel.h"
#include "kernel/merge/CADocument.h"
#include "kernel/merge/CAPrintingView.h"
#include "platform/PWBundle.h"
#include "platform/PWJobReport.h"
#include "platform/PWNotificationCenter.h"

#include <QAction>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QPrinterInfo>

namespace {

std::function<QStringList()> &printerNames()
{
    static std::function<QStringList()> source = [] { return QPrinterInfo::availablePrinterNames(); };
    return source;
}

void report(CAMainWindowController &window, const QString &text, const QString &detail)
{
    auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Parcelwick"), text, QMessageBox::Ok, &window);
    box->setInformativeText(detail);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->open();
}

void sheetEnded(QPointer<CAMainWindowController> window, CAPrintViewController *sheet, int code)
{
    sheet->deleteLater();
    // However the sheet ends, a design shown with a print list takes that list as its own, so
    // that its next print starts on it. One shown with the persons a script imported into it was
    // printed from no shared list: it keeps no list's name.
    const CAPrintingView *view = sheet->printView();
    const bool ownPersons = sheet->document().personList() && view && view->isUsePrintList();
    if (sheet->usesPrintList() || ownPersons) {
        const QString &name = sheet->currentPersonListName();
        sheet->document().setPrintListName(name.isEmpty() ? std::nullopt : std::optional<QString>(name));
    }
    if (!window)
        return;
    window->setSheetActive(false);
    if (code == CAPrintViewController::EditList) {
        window->performAction(QStringLiteral("openPrintMultipleDialog"), nullptr);
    } else if (code == CAPrintViewController::Print && sheet->printView()) {
        QString error;
        // Told after the job: the pictures printed as placeholders, the addresses past their labels.
        const PWJobReport job;
        if (CAPrintViewController::printWithPrinter(window, *sheet->printView(), &error))
            CAJobReportMessages::tellAfterJob(window, job);
        else if (!error.isEmpty())
            report(*window, PWLocalizedString(QStringLiteral("The design could not be printed.")), error);
    }
}

} // namespace

bool openPrintSheet(CAMainWindowController &window, bool usePrintList)
{
    CADocument *document = window.document();
    if (!document || window.isSheetActive())
        return false;
    const std::optional<CAPrintSheetKind> kind = CAPrintJob::sheetKindForDocument(*document);
    if (!kind) {
        report(window, PWLocalizedString(QStringLiteral("This kind of design cannot be printed.")),
               QStringLiteral("CADocument::printShowingPrintPanel - Document Type is not Supported"));
        return false;
    }
    // Text typed in place is part of the design that prints: the editing ends before the persons
    // are read from the components and the preview copies the design.
    if (CADocView *canvas = window.docView())
        canvas->endEditText();
    document->rebuildPersonsFromComponents();
    CAPrintJob::PersonChoice persons = CAPrintJob::choosePersons(*document, usePrintList, CAPrintListArray::getShared());
    // The window's record keeps the design alive as long as the sheet has it.
    const std::shared_ptr<CADocument> shared(window.record(), document);
    auto *sheet = new CAPrintViewController(shared, *kind, std::move(persons), printerNames()(), &window);
    sheet->setWindowTitle(window.windowTitle());
    sheet->setDesignName(CADocumentManager::displayName(*window.record()));
    const QString file = window.record()->filePath;
    sheet->setDesignFolder(file.isEmpty() ? CASavePanel::documentsFolder() : QFileInfo(file).absolutePath());
    window.setSheetActive(true);
    QPointer<CAMainWindowController> target = &window;
    QObject::connect(sheet, &QDialog::finished, &window, [target, sheet](int code) { sheetEnded(target, sheet, code); });
    CAWindowPlacement::placeCentred(sheet, &window);
    sheet->open();
    return true;
}

namespace {

void openCalibration(CAMainWindowController &window, CACalibrationController *existing = nullptr)
{
    CADocument *document = window.document();
    if (!document)
        return;
    CACalibrationController *sheet = existing ? existing : new CACalibrationController(*document, printerNames()(), &window);
    window.setSheetActive(true);
    QPointer<CAMainWindowController> target = &window;
    QObject::disconnect(sheet, &QDialog::finished, nullptr, nullptr);
    QObject::connect(sheet, &QDialog::finished, &window, [target, sheet](int code) {
        if (!target) {
            sheet->deleteLater();
            return;
        }
        target->setSheetActive(false);
        if (code != CACalibrationController::PrintPage || !target->document()) {
            sheet->deleteLater();
            return;
        }
        if (std::unique_ptr<CAPrintingView> view = CACalibrationController::calibrationView(*target->document())) {
            QString error;
            if (!CAPrintViewController::printWithPrinter(target, *view, &error) && !error.isEmpty())
                report(*target, PWLocalizedString(QStringLiteral("The calibration page could not be printed.")), error);
        }
        // Printed or not, the sheet comes back with its edits.
        openCalibration(*target, sheet);
    });
    CAWindowPlacement::placeCentred(sheet, &window);
    sheet->open();
}

// Print for several people: the print lists edited first; on OK the design takes the current list
// as its own, and the print sheet then prints that list (asked for explicitly, whatever the
// design held before). After Cancel the sheet opens on the design's own list as well.
void openPrintMultiple(CAMainWindowController &window)
{
    if (!window.document() || window.isSheetActive())
        return;
    // The lists are edited in one window at a time: one open on them already comes forward.
    if (CAPrintMultipleDialog *open = CAPrintMultipleDialog::editorOf(CAPrintListEditor::PrintLists)) {
        open->raise();
        open->activateWindow();
        return;
    }
    auto *dialog = new CAPrintMultipleDialog(CAAddressWindow::sharedModels(), &window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->prepare(CAPrintListEditor::PrintLists, -1);
    window.setSheetActive(true);
    QPointer<CAMainWindowController> target = &window;
    QObject::connect(dialog, &QDialog::finished, &window, [target](int code) {
        if (!target)
            return;
        target->setSheetActive(false);
        CAPrintListArray &lists = CAPrintListArray::getShared();
        if (code == CAPrintMultipleDialog::kOK && target->document() && lists.currentPrintListIndex() >= 0)
            target->document()->setPrintListName(lists.getPrintListNameAt(lists.currentPrintListIndex()));
        PWNotificationCenter::defaultCenter().postNotification(QStringLiteral("Update PrintList Controller"));
        openPrintSheet(*target, true);
    });
    dialog->open();
}

bool canOpenSheet(CAMainWindowController &window, QAction *)
{
    return window.document() && !window.isSheetActive();
}

} // namespace

void setPrinterNamesSource(std::function<QStringList()> source)
{
    printerNames() = std::move(source);
}

void installPrintCommands()
{
    CAMainWindowController::setPrintMultipleSheet(openPrintMultiple);
    CAMainWindowController::registerCommand(
        QStringLiteral("printDocument"),
        {canOpenSheet, [](CAMainWindowController &window, QAction *item) { openPrintSheet(window, item && item->data().toInt() != 0); }});
    CAMainWindowController::registerCommand(
        QStringLiteral("calibratePrinter"),
        {[](CAMainWindowController &window, QAction *item) {
             return canOpenSheet(window, item) && window.document()->docType() != dtEnvelope;
         },
         [](CAMainWindowController &window, QAction *) { openCalibration(window); }});
}
