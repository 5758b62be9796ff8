#include "Screenshots.h"

#include "SampleDesigns.h"

#include "app/canvas/CADocView.h"
#include "app/inspector/CACustomFormatEditor.h"
#include "app/inspector/CADesignWindow.h"
#include "app/inspector/CAGuidelinesController.h"
#include "app/pictures/CCPictBrowserView.h"
#include "app/pictures/CCSearchField.h"
#include "app/shell/CADocumentController.h"
#include "app/shell/CADocumentManager.h"
#include "app/shell/CAMainWindowController.h"
#include "app/shell/CAOpenDocument.h"
#include "app/shell/CASampleDesignLibrary.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWUserDefaults.h"

#include <QColorDialog>
#include <QDir>
#include <QListWidget>

QWidget *designWindowScreenshot(int tab)
{
    auto *window = new CADesignWindow;
    window->displayDesignPanelIndex(tab, tab == CADesignWindow::ImageCollection ? CADesignWindow::BasicShapes : 0);
    return window;
}

QWidget *designWindowClipArtScreenshot(const QString &keywords)
{
    CASampleDesignLibrary::installClipArtForUser();
    auto *window = new CADesignWindow;
    window->resize(260, 460);
    window->displayDesignPanelIndex(CADesignWindow::ImageCollection, CADesignWindow::Clipart);
    CCPictBrowserView *pane = window->clipArtPane();
    pane->searchField()->setText(keywords);
    pane->searchText(pane->searchField());
    return window;
}

QWidget *designPicturePaneScreenshot(int pad)
{
    // The panes show the library the build ships: its shapes, its postage art, and its clip-art
    // pictures standing in for a folder of the user's own.
    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    const QString library = CASampleDesignLibrary::shippedLibraryPath();
    const PWPlist previousLibrary = defaults.objectForKey(QStringLiteral("FTSharedContentLibraryPath"));
    defaults.setString(QStringLiteral("FTSharedContentLibraryPath"), library);
    defaults.setString(QStringLiteral("RecentImagesCustomFolder"), QDir(library).filePath(QStringLiteral("ClipArt/Images")));
    CAEnvironment::setPostArtPath(CASampleDesignLibrary::shippedPostArtPath(library));
    auto *window = new CADesignWindow;
    window->displayDesignPanelIndex(CADesignWindow::ImageCollection, pad);
    // The other screenshots keep the account's own library.
    if (previousLibrary.isString())
        defaults.setObject(QStringLiteral("FTSharedContentLibraryPath"), previousLibrary);
    else
        defaults.removeObject(QStringLiteral("FTSharedContentLibraryPath"));
    CAEnvironment::setPostArtPath(QString());
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
