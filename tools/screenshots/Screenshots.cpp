#include "Screenshots.h"

#include "SampleDesigns.h"

#include "kernel/merge/CADocument.h"
#include "app/contacts/CAServiceDialogController.h"
#include "app/contacts/FTAddressRecognition.h"
#include "app/printing/CASheetController.h"
#include "app/canvas/CADocView.h"
#include "app/canvas/CACanvasEdits.h"
#include "app/inspector/CAPropertiesController.h"
#include "app/printsheet/CACalibrationController.h"
#include "app/printsheet/CAPrintJob.h"
#include "app/printsheet/CAPrintPreview.h"
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
#include "app/shell/CASettingsSaveMonitor.h"
#include "app/printsheet/CAJobReportMessages.h"
#include "platform/PWJobReport.h"
#include "app/shell/CExportAccViewController.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CALabelPrintingView.h"
#include "kernel/render/CDDText.h"
#include "platform/PWImage.h"
#include "kernel/text/CFTAText.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QLineEdit>
#include <QFileDialog>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>

using namespace Qt::StringLiterals;

CAMainWindowController *sampleWindow(CADocumentController &application, int which, bool fresh)
{
    static QList<QPointer<CAMainWindowController>> made(kInspectorLabel + 1);
    if (fresh && made[which]) {
        // Set aside, not closed: closing an edited design would ask whether to save it.
        made[which]->hide();
        made[which] = nullptr;
    }
    if (!made[which]) {
        std::unique_ptr<CADocument> design = which == 0 || which == kInspectorLabel ? SampleDesigns::label()
                                             : which == 1 ? SampleDesigns::envelope()
                                             : which == 2 ? SampleDesigns::postcard()
                                                          : SampleDesigns::roll();
        const auto record = application.manager().addDocument(std::move(design));
        made[which] = record ? qobject_cast<CAMainWindowController *>(record->window.data()) : nullptr;
    }
    return made[which];
}

CADocView *inspectorOverSample(CADocumentController &application)
{
    // Each inspector picture over a sample of its own: what one adds is not in the next.
    CAMainWindowController *window = sampleWindow(application, kInspectorLabel, true);
    if (!window)
        return nullptr;
    window->show();
    CAPropertiesController::sharedPropertiesController()->showWindow();
    QCoreApplication::processEvents();
    return window->docView();
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

// The inspector over a sample label with a new shape selected.
QWidget *inspectorFill(CADocumentController &application)
{
    CAMainWindowController *window = sampleWindow(application, kInspectorLabel, true);
    if (!window)
        return nullptr;
    window->show();
    CADocView *canvas = window->docView();
    CAPropertiesController *inspector = CAPropertiesController::sharedPropertiesController();
    inspector->showWindow();
    canvas->edits().insertBasicShapeAtPoint(ctRoundedRect, QPointF(60.0, 40.0));
    // The windows' activation settles first: a window losing it tells the inspector so.
    QCoreApplication::processEvents();
    canvas->notifySelectionChanged();
    return inspector->window();
}

// The inspector over the sample label's first address panel; with the fields pull-down open when
// asked.
QWidget *inspectorAddress(CADocumentController &application, bool menuOpen)
{
    CADocView *canvas = inspectorOverSample(application);
    if (!canvas)
        return nullptr;
    CAPropertiesController *inspector = CAPropertiesController::sharedPropertiesController();
    canvas->ftView()->deselectAll();
    for (CFTComponent *component : canvas->ftView()->GetCurrentComponents()) {
        if (component->getType() == ctAddressPanel) {
            canvas->ftView()->select(component);
            break;
        }
    }
    canvas->notifySelectionChanged();
    if (!menuOpen)
        return inspector->window();
    auto *button = inspector->window()->findChild<QToolButton *>(u"_fieldsListButton"_s);
    QMenu *fields = button ? button->menu() : nullptr;
    if (!fields)
        return nullptr;
    fields->popup(button->mapToGlobal(QPoint(0, button->height())));
    return fields;
}

// The inspector over the sample label's first text that is no address panel.
QWidget *inspectorText(CADocumentController &application)
{
    CADocView *canvas = inspectorOverSample(application);
    if (!canvas)
        return nullptr;
    CAPropertiesController *inspector = CAPropertiesController::sharedPropertiesController();
    canvas->ftView()->deselectAll();
    auto *text = new CFTAText(20.0, 20.0, 90.0, 24.0, nullptr);
    text->GetText()->setString(u"Thank you!"_s, nullptr);
    canvas->edits().insertObjectSelect(text, true);
    canvas->notifySelectionChanged();
    return inspector->window();
}

// The inspector over a picture placed on the sample label.
QWidget *inspectorImage(CADocumentController &application)
{
    CADocView *canvas = inspectorOverSample(application);
    if (!canvas)
        return nullptr;
    CAPropertiesController *inspector = CAPropertiesController::sharedPropertiesController();
    QImage bitmap(60, 40, QImage::Format_ARGB32);
    bitmap.fill(QColor(0x33, 0x66, 0xcc));
    canvas->edits().insertImageAtPoint(PWImage::fromQImage(bitmap), QPointF(80.0, 50.0));
    canvas->notifySelectionChanged();
    return inspector->window();
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

// The print sheet with its first item opened in the editing tab, as a double click on it (or
// edit-on-click on a roll) opens it.
QWidget *printSheetEditing(CADocumentController &application, int which)
{
    auto *sheet = static_cast<CAPrintViewController *>(printSheet(application, which));
    auto *preview = sheet->findChild<CAPrintPreview *>(u"_imageView"_s);
    if (auto *labels = dynamic_cast<CALabelPrintingView *>(sheet->printView())) {
        // The page drawn once, so that the items' places are known.
        preview->grab();
        if (const auto hit = labels->hitRecord(0)) {
            const QPointF at = preview->widgetPoint(hit->rect.center());
            QMouseEvent click(QEvent::MouseButtonDblClick, at, preview->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
            QApplication::sendEvent(preview, &click);
        }
    } else if (auto *mode = sheet->findChild<QPushButton *>(u"_guiModeButton"_s)) {
        mode->click();
    }
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
        {u"canvas-color-panel"_s, [](CADocumentController &a) { return colorPanelOverCanvas(a); }},
        {u"panel-inspector-fill-line"_s, [](CADocumentController &a) { return inspectorFill(a); }},
        {u"panel-inspector-image"_s, [](CADocumentController &a) { return inspectorImage(a); }},
        {u"panel-inspector-text"_s, [](CADocumentController &a) { return inspectorText(a); }},
        {u"panel-inspector-address"_s, [](CADocumentController &a) { return inspectorAddress(a, false); }},
        {u"panel-inspector-address-fields"_s, [](CADocumentController &a) { return inspectorAddress(a, true); }},
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
        {u"assistant-contacts-sender"_s, [](CADocumentController &) { return assistantContactsScreenshot(0); }},
        {u"assistant-contacts-recipient"_s, [](CADocumentController &) { return assistantContactsScreenshot(1); }},
        {u"assistant-contacts-print-list"_s, [](CADocumentController &) { return assistantContactsScreenshot(2); }},
        {u"panel-address-senders"_s, [](CADocumentController &) { return addressWindowScreenshot(0); }},
        {u"panel-address-contacts"_s, [](CADocumentController &) { return addressWindowScreenshot(1); }},
        {u"panel-address-print-lists"_s, [](CADocumentController &) { return addressWindowScreenshot(2); }},
        {u"sheet-contact-editor"_s, [](CADocumentController &) { return contactEditorScreenshot(); }},
        {u"sheet-text-import"_s, [](CADocumentController &) { return textImportScreenshot(); }},
        {u"window-print-multiple-lists"_s, [](CADocumentController &) { return printMultipleScreenshot(1); }},
        {u"window-print-multiple-new-list"_s, [](CADocumentController &) { return printMultipleScreenshot(2); }},
        {u"window-print-multiple-senders"_s, [](CADocumentController &) { return printMultipleScreenshot(3); }},
        {u"window-print-multiple-local-base"_s, [](CADocumentController &) { return printMultipleScreenshot(4); }},
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
                  u"Component 3 was left out: its class could not be read"_s},
                 true, false));
         }},
        {u"sheet-job-report"_s,
         [](CADocumentController &a) -> QWidget * {
             CAMainWindowController *window = sampleWindow(a, 0);
             const PWJobReport report;
             PWJobReport::note(PWJobReport::Kind::NoFonts, u"fonts"_s,
                               u"no fonts are installed (the font configuration names none): "
                               "every text was printed as boxes"_s);
             PWJobReport::note(PWJobReport::Kind::OffPaper, u"layout"_s,
                               u"the layout's 5 columns and 5 rows do not fit its paper of 612 x 792 pt: 5 of a sheet's "
                               "25 positions lie off the paper (row 1 column 5, row 2 column 5, row 3 column 5, ...)"_s);
             PWJobReport::note(PWJobReport::Kind::AddressPastEdge, u"ann"_s,
                               u"the address of Ann Abbott runs past the edge of its card"_s);
             PWJobReport::note(PWJobReport::Kind::Placeholder, u"pic"_s,
                               u"the picture \"Animals/cat.png\" is not in the content library and is drawn as a placeholder"_s);
             CAJobReportMessages::tellAfterJob(window, report);
             return window->findChild<QMessageBox *>(u"_jobReport"_s);
         }},
        {u"message-settings-not-saved"_s,
         [](CADocumentController &) -> QWidget * {
             CASettingsSaveMonitor::tellInWindow(
                 CASettingsSaveMonitor::textFor({u"PrintListArray"_s, u"SenderList"_s}),
                 CASettingsSaveMonitor::detailFor(u"/home/ann/.config/Parcelwick/Parcelwick.plist"_s,
                                                  u"No space left on device"_s));
             for (QWidget *top : QApplication::topLevelWidgets())
                 if (top->objectName() == u"_settingsNotSaved"_s && top->isVisible())
                     return top;
             return nullptr;
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
        {u"sheet-print-roll"_s, [](CADocumentController &a) { return printSheet(a, 3); }},
        {u"sheet-print-label-editing"_s, [](CADocumentController &a) { return printSheetEditing(a, 0); }},
        {u"sheet-print-roll-editing"_s, [](CADocumentController &a) { return printSheetEditing(a, 3); }},
        {u"sheet-calibration"_s,
         [](CADocumentController &a) {
             CAMainWindowController *window = sampleWindow(a, 0);
             return shown(new CACalibrationController(*window->document(), {u"Office"_s, u"Labels"_s}, window));
         }},
        {u"panel-design-address-panels"_s, [](CADocumentController &) { return designWindowScreenshot(0); }},
        {u"panel-design-address-fields"_s, [](CADocumentController &) { return designWindowScreenshot(1); }},
        {u"panel-design-image-collection"_s, [](CADocumentController &) { return designWindowScreenshot(2); }},
        {u"panel-design-handling"_s, [](CADocumentController &) { return designWindowScreenshot(3); }},
        {u"panel-design-basic-shapes"_s, [](CADocumentController &) { return designPicturePaneScreenshot(1); }},
        {u"panel-design-custom-folder"_s, [](CADocumentController &) { return designPicturePaneScreenshot(3); }},
        {u"panel-design-postage-art"_s, [](CADocumentController &) { return designPicturePaneScreenshot(4); }},
        {u"window-custom-formats"_s, [](CADocumentController &) { return customFormatEditorScreenshot(0); }},
        {u"window-custom-format-grid"_s, [](CADocumentController &) { return customFormatEditorScreenshot(1); }},
        {u"window-postal-guidelines"_s, [](CADocumentController &) { return guidelinesScreenshot(); }},
        {u"panel-picture-catalogue"_s, [](CADocumentController &) { return pictureCatalogScreenshot(); }},
        {u"panel-clipart-category"_s, [](CADocumentController &) { return clipArtPaneScreenshot(QString()); }},
        {u"panel-clipart-search"_s, [](CADocumentController &) { return clipArtPaneScreenshot(u"star"_s); }},
        {u"panel-clipart-internet"_s, [](CADocumentController &) { return clipArtPaneInternetScreenshot(); }},
        {u"panel-design-clipart-search"_s, [](CADocumentController &) { return designWindowClipArtScreenshot(u"tree"_s); }},
        {u"panel-photo-albums"_s, [](CADocumentController &) { return albumBrowserScreenshot(); }},
        {u"panel-inspector-masks"_s, [](CADocumentController &a) { return maskCatalogueScreenshot(a); }},
        {u"window-image-editor"_s, [](CADocumentController &) { return imageEditorScreenshot(); }},
        {u"control-search-field-collection"_s, [](CADocumentController &) { return searchFieldScreenshot(0); }},
        {u"control-search-field-internet"_s, [](CADocumentController &) { return searchFieldScreenshot(1); }},
        {u"control-search-field-simple"_s, [](CADocumentController &) { return searchFieldScreenshot(2); }},
        {u"window-document-internet-link"_s, [](CADocumentController &a) { return internetStripScreenshot(a); }},
        {u"panel-search-internet"_s, [](CADocumentController &) { return searchPanelScreenshot(); }},
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
