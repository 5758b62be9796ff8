#include "Screenshots.h"

#include "app/inspector/CACustomFormatEditor.h"
#include "app/inspector/CADesignWindow.h"
#include "app/inspector/CAGuidelinesController.h"
#include "app/pictures/CCPictBrowserView.h"
#include "app/pictures/CCSearchField.h"
#include "app/shell/CASampleDesignLibrary.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWUserDefaults.h"

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
