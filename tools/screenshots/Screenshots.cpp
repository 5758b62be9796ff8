#include "Screenshots.h"

#include "SampleDesigns.h"

#include "kernel/merge/CADocument.h"
#include "app/contacts/CAServiceDialogController.h"
#include "app/contacts/FTAddressRecognition.h"
#include "app/printing/CASheetController.h"
#include "app/canvas/CADocView.h"
#include "app/printsheet/CACalibrationController.h"
#include "app/printsheet/CAPrintJob.h"
#include "app/printsheet/CAPrintViewController.h"
#include "app/shell/CAAssistantController.h"
#include "app/shell/CAAssistantDesingController.h"
#include "app/shell/CADocumentController.h"
#include "app/shell/CADocumentManager.h"
#include "app/shell/CAFloatingPanels.h"
#include "app/shell/CAMainMenu.h"
#include "app/shell/CAMainWindowController.h"
#include "app/shell/CAOpenDocument.h"
#include "app/shell/CAPreferencesController.h"
#include "app/shell/CASavePanel.h"
#include "app/shell/CExportAccViewController.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTAView.h"

#include <QAbstractButton>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QFileDialog>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>

using namespace Qt::StringLiterals;

CAMainWindowController *sampleWindow(CADocumentController &application, int which)
{
    static QList<QPointer<CAMainWindowController>> made(3);
    if (!made[which]) {
        std::unique_ptr<CADocument> design = which == 0   ? SampleDesigns::label()
                                             : which == 1 ? SampleDesigns::envelope()
                                                          : SampleDesigns::postcard();
        const auto record = application.manager().addDocument(std::move(design));
        made[which] = record ? qobject_cast<CAMainWindowController *>(record->window.data()) : nullptr;
    }
    return made[which];
}

namespace {

QWidget *shown(QWidget *widget)
{
    widget->show();
    return widget;
}

QWidget *menu(CADocumentController &application, const QString &path)
{
    sampleWindow(application, 0)->activateWindow();
    application.mainMenu().validate();
    QMenu *menu = application.mainMenu().menu(path);
    Q_EMIT menu->aboutToShow();
    menu->adjustSize();
    return menu;
}

// The change-layout sheet of a sample design, with what the picture shows set up by typing into
// the search field and clicking.
QWidget *templateSheet(CADocumentController &application, int which, const QString &search,
                       const char *clicked = nullptr, int editorTag = -1)
{
    CAMainWindowController *window = sampleWindow(application, which);
    CASheetController *sheet = CASheetController::beginSheet(window, *window->document(), nullptr);
    QDialog *dialog = sheet->window();
    if (!search.isEmpty())
        dialog->findChild<QLineEdit *>(u"_search"_s)->setText(search);
    if (editorTag >= 0)
        sheet->btnCreateCustom(editorTag);
    if (clicked)
        dialog->findChild<QAbstractButton *>(QLatin1String(clicked))->click();
    return dialog;
}

// A fresh sample label whose canvas shows a selection, or the first text being edited in place.
QWidget *canvasWindow(CADocumentController &application, bool editing)
{
    const auto record = application.manager().addDocument(SampleDesigns::label());
    auto *window = record ? qobject_cast<CAMainWindowController *>(record->window.data()) : nullptr;
    if (!window)
        return nullptr;
    window->show();
    CADocView *canvas = window->docView();
    for (CFTComponent *component : canvas->ftView()->GetCurrentComponents()) {
        if (!editing) {
            canvas->ftView()->select(component);
            break;
        }
        if (component->GetText()) {
            canvas->ftView()->select(component);
            canvas->startEditText(component);
            break;
        }
    }
    canvas->viewport()->update();
    return window;
}

// A menu while a fresh sample label's canvas has every object selected: the selection's
// commands on.
QWidget *menuWithSelection(CADocumentController &application, const QString &path)
{
    auto *window = qobject_cast<CAMainWindowController *>(canvasWindow(application, false));
    if (!window)
        return nullptr;
    window->docView()->ftView()->selectAll();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    application.mainMenu().validate();
    QMenu *shownMenu = application.mainMenu().menu(path);
    Q_EMIT shownMenu->aboutToShow();
    shownMenu->adjustSize();
    return shownMenu;
}

// The print sheet of a sample design, its preview built.
QWidget *printSheet(CADocumentController &application, int which)
{
    CAMainWindowController *window = sampleWindow(application, which);
    CADocument *document = window->document();
    const std::shared_ptr<CADocument> shared(window->record(), document);
    auto *sheet = new CAPrintViewController(shared, *CAPrintJob::sheetKindForDocument(*document), {},
                                            {u"Office"_s, u"Labels"_s}, window);
    sheet->setWindowTitle(window->windowTitle());
    sheet->show();
    sheet->loadImageView();
    return sheet;
}

// The assistant on a kind's chooser, or on its design step showing a category's first design. The
// window owns its own assistant, so that the picture's window goes with it.
QWidget *assistantStep(const QString &layout, const QString &category = QString())
{
    auto *wizard = new CAAssistantController;
    if (!wizard->beginRun(false, layout, QString())) {
        delete wizard;
        return nullptr;
    }
    QWidget *window = wizard->window();
    wizard->setParent(window);
    window->show();
    if (!category.isEmpty()) {
        wizard->buttonNext();
        auto *popup = window->findChild<QWidget *>(u"_designView"_s)->findChild<QComboBox *>(u"_categoryPopup"_s);
        if (popup && popup->findText(category) >= 0) {
            popup->setCurrentIndex(popup->findText(category));
            wizard->designController()->categoryChanged();
        }
    }
    return window;
}

QWidget *preferencesPane(int pane)
{
    CAPreferencesController &preferences = CAPreferencesController::sharedPreferencesController();
    preferences.showWindow();
    preferences.selectPane(pane);
    return preferences.window();
}

} // namespace

const QList<Screenshot> &screenshots()
{
    static const QList<Screenshot> list = {
        {u"document-label"_s, [](CADocumentController &a) { return sampleWindow(a, 0); }},
        {u"document-envelope"_s, [](CADocumentController &a) { return sampleWindow(a, 1); }},
        {u"document-postcard"_s, [](CADocumentController &a) { return sampleWindow(a, 2); }},
        {u"canvas-selection"_s, [](CADocumentController &a) { return canvasWindow(a, false); }},
        {u"canvas-editing"_s, [](CADocumentController &a) { return canvasWindow(a, true); }},
        {u"preferences-general"_s, [](CADocumentController &) { return preferencesPane(0); }},
        {u"preferences-address-panel"_s, [](CADocumentController &) { return preferencesPane(1); }},
        {u"preferences-printing"_s, [](CADocumentController &) { return preferencesPane(2); }},
        {u"preferences-address-importing"_s, [](CADocumentController &) { return preferencesPane(3); }},
        {u"assistant-layout-label"_s, [](CADocumentController &) { return assistantStep(u"11"_s); }},
        {u"assistant-layout-envelope"_s, [](CADocumentController &) { return assistantStep(u"12"_s); }},
        {u"assistant-layout-postcard"_s, [](CADocumentController &) { return assistantStep(u"13"_s); }},
        {u"assistant-design-label"_s, [](CADocumentController &) { return assistantStep(u"11"_s, u"Business"_s); }},
        {u"assistant-design-label-handling"_s, [](CADocumentController &) { return assistantStep(u"11"_s, u"Handling"_s); }},
        {u"assistant-design-envelope"_s, [](CADocumentController &) { return assistantStep(u"12"_s, u"Personal"_s); }},
        {u"assistant-design-postcard"_s, [](CADocumentController &) { return assistantStep(u"13"_s, u"Personal"_s); }},
        {u"panel-address-senders"_s, [](CADocumentController &) { return addressWindowScreenshot(0); }},
        {u"panel-address-contacts"_s, [](CADocumentController &) { return addressWindowScreenshot(1); }},
        {u"panel-address-print-lists"_s, [](CADocumentController &) { return addressWindowScreenshot(2); }},
        {u"panel-colors"_s,
         [](CADocumentController &a) {
             a.panels().show(CAFloatingPanels::ColorPanel);
             return static_cast<QWidget *>(a.panels().colorPanel());
         }},
        {u"sheet-save-changes"_s,
         [](CADocumentController &a) {
             return shown(CASavePanel::makeSaveChangesQuestion(sampleWindow(a, 0), u"Untitled"_s));
         }},
        {u"sheet-save"_s,
         [](CADocumentController &a) {
             return shown(CASavePanel::makeSavePanel(sampleWindow(a, 0), CADocumentManager::SaveKind::SaveAs,
                                                     u"Untitled.pwdc"_s, nullptr));
         }},
        {u"sheet-export"_s,
         [](CADocumentController &a) {
             auto *accessory = new CExportAccViewController;
             QFileDialog *panel = CASavePanel::makeSavePanel(sampleWindow(a, 1), CADocumentManager::SaveKind::Export,
                                                             u"Untitled.pdf"_s, accessory);
             accessory->setParent(panel);
             return shown(panel);
         }},
        {u"sheet-open"_s, [](CADocumentController &a) { return shown(CASavePanel::makeOpenPanel(sampleWindow(a, 0))); }},
        {u"sheet-failure"_s,
         [](CADocumentController &a) {
             auto *box = new QMessageBox(QMessageBox::Warning, u"Parcelwick"_s,
                                         u"The document “broken.pwdc” could not be opened. The file is not a "
                                         "design: it is not a property list."_s,
                                         QMessageBox::Ok, sampleWindow(a, 0));
             box->setWindowModality(Qt::WindowModal);
             return shown(box);
         }},
        {u"sheet-read-problems"_s,
         [](CADocumentController &a) {
             return shown(CASavePanel::makeReadProblemsMessage(
                 sampleWindow(a, 0), u"“party.pwdc” was opened with parts that could not be read."_s,
                 {u"The fields of an address panel could not be read (the file has \"components\" in its place)"_s,
                  u"Component 3 was left out: its class could not be read"_s}));
         }},
        {u"sheet-replace-damaged"_s,
         [](CADocumentController &a) {
             return shown(CASavePanel::makeReplaceDamagedQuestion(sampleWindow(a, 0), u"party.pwdc"_s));
         }},
        {u"sheet-confirm-address"_s,
         [](CADocumentController &a) {
             auto *sheet = new CAServiceDialogController(sampleWindow(a, 0));
             sheet->initFormWithDictionary(parseServiceText(
                 u"Dr. Mary Ann Baker\nAcme Widgets. Sales\n1200 Harbor Boulevard Suite 400\nSpringfield, IL 62704-1234\nUSA"_s));
             sheet->setWindowModality(Qt::WindowModal);
             return shown(sheet);
         }},
        {u"sheet-layout-chooser-filtered"_s, [](CADocumentController &a) { return templateSheet(a, 0, u"5160"_s); }},
        {u"sheet-layout-preview-roll"_s, [](CADocumentController &a) { return templateSheet(a, 0, u"30252"_s); }},
        {u"sheet-layout-preview-envelope-window"_s,
         [](CADocumentController &a) { return templateSheet(a, 1, u"10 Window"_s, "_chkUseWindow"); }},
        {u"sheet-layout-preview-postcard"_s, [](CADocumentController &a) { return templateSheet(a, 2, QString()); }},
        {u"sheet-layout-label-editor"_s, [](CADocumentController &a) { return templateSheet(a, 0, QString(), "_auto", 0); }},
        {u"sheet-layout-envelope-editor"_s,
         [](CADocumentController &a) { return templateSheet(a, 1, QString(), "_enableWindow", 0); }},
        {u"sheet-print-label"_s, [](CADocumentController &a) { return printSheet(a, 0); }},
        {u"sheet-print-envelope"_s, [](CADocumentController &a) { return printSheet(a, 1); }},
        {u"sheet-print-postcard"_s, [](CADocumentController &a) { return printSheet(a, 2); }},
        {u"sheet-calibration"_s,
         [](CADocumentController &a) {
             CAMainWindowController *window = sampleWindow(a, 0);
             return shown(new CACalibrationController(*window->document(), {u"Office"_s, u"Labels"_s}, window));
         }},
        {u"menu-file"_s, [](CADocumentController &a) { return menu(a, u"File"_s); }},
        {u"menu-edit"_s, [](CADocumentController &a) { return menu(a, u"Edit"_s); }},
        {u"menu-format"_s, [](CADocumentController &a) { return menu(a, u"Format"_s); }},
        {u"menu-arrange"_s, [](CADocumentController &a) { return menu(a, u"Arrange"_s); }},
        {u"menu-edit-selection"_s, [](CADocumentController &a) { return menuWithSelection(a, u"Edit"_s); }},
        {u"menu-arrange-selection"_s, [](CADocumentController &a) { return menuWithSelection(a, u"Arrange"_s); }},
        {u"menu-view"_s, [](CADocumentController &a) { return menu(a, u"View"_s); }},
        {u"menu-window"_s, [](CADocumentController &a) { return menu(a, u"Window"_s); }},
        {u"menu-help"_s, [](CADocumentController &a) { return menu(a, u"Help"_s); }},
    };
    return list;
}
