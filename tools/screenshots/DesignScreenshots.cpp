#include "Screenshots.h"

#include "SampleDesigns.h"

#include "app/canvas/CADocView.h"
#include "app/inspector/CACustomFormatEditor.h"
#include "app/inspector/CADesignWindow.h"
#include "app/inspector/CAGuidelinesController.h"
#include "app/shell/CADocumentController.h"
#include "app/shell/CADocumentManager.h"
#include "app/shell/CAMainWindowController.h"
#include "app/shell/CAOpenDocument.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWUserDefaults.h"

#include <QColorDialog>
#include <QListWidget>

QWidget *designWindowScreenshot(int tab)
{
    auto *window = new CADesignWindow;
    window->displayDesignPanelIndex(tab, tab == CADesignWindow::ImageCollection ? CADesignWindow::BasicShapes : 0);
    return window;
}

QWidget *customFormatEditorScreenshot(int page)
{
    // A stored format of its own, so that the list shows one and the grid holds it.
    PWUserDefaults::standardUserDefaults().removeObject(QStringLiteral("CustomAddressFormat"));
    auto *editor = new CACustomFormatEditor;
    editor->doAddCustomFormat();
    if (page == CACustomFormatEditor::kSelectionPage)
        editor->onDesignOkButton();
    editor->show();
    return editor;
}

QWidget *guidelinesScreenshot()
{
    auto *window = new CAGuidelinesController;
    window->showWindow();
    return window;
}

QWidget *colorPanelOverCanvas(CADocumentController &application)
{
    const auto record = application.manager().addDocument(SampleDesigns::label());
    auto *window = record ? qobject_cast<CAMainWindowController *>(record->window.data()) : nullptr;
    if (!window)
        return nullptr;
    window->resize(1000, 720);
    window->show();
    CADocView *canvas = window->docView();
    const std::vector<CFTComponent *> &components = canvas->ftView()->GetCurrentComponents();
    if (!components.empty())
        canvas->ftView()->select(components.front());
    // The panel as the application makes it (no buttons, alpha), laid into the window so that
    // one picture holds both; the floating panel itself is a window of its own.
    auto *panel = new QColorDialog(window);
    panel->setOptions(QColorDialog::NoButtons | QColorDialog::DontUseNativeDialog | QColorDialog::ShowAlphaChannel);
    panel->setWindowFlags(Qt::Widget);
    panel->setCurrentColor(QColor(40, 120, 200, 200));
    panel->setAutoFillBackground(true);
    panel->adjustSize();
    panel->move(window->width() - panel->width() - 24, 80);
    panel->show();
    panel->raise();
    canvas->viewport()->update();
    return window;
}
