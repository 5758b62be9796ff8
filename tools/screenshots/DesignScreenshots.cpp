#include "Screenshots.h"

#include "app/inspector/CACustomFormatEditor.h"
#include "app/inspector/CADesignWindow.h"
#include "app/inspector/CAGuidelinesController.h"
#include "app/pictures/CCPictBrowserView.h"
#include "app/pictures/CCSearchField.h"
#include "app/shell/CASampleDesignLibrary.h"
#include "platform/PWUserDefaults.h"

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
