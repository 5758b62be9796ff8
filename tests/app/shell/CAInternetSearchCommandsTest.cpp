// The internet picture search as the application wires it: the Window menu's search panel hands
// its text to the design window, whose search reaches the grid beside its search field, and the
// document window's link strip follows the page's selection.
#include "ShellTestSupport.h"

#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CADocView.h"
#include "app/inspector/CADesignWindow.h"
#include "app/pictures/CCGoogleSearch.h"
#include "app/pictures/CCInternetSearchBinding.h"
#include "app/pictures/CCPictBrowserView.h"
#include "app/pictures/CCPictCatalogView.h"
#include "app/pictures/CCSearchField.h"
#include "app/pictures/CInternetView.h"
#include "app/pictures/CSearchInternetPanelController.h"
#include "app/shell/CADesignWindowPanel.h"
#include "app/shell/CAInternetSearchCommands.h"
#include "app/shell/CAMainMenu.h"
#include "app/shell/CAMainWindowController.h"
#include "app/shell/CDocScrollView.h"
#include "platform/PWImage.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class CAInternetSearchCommandsTest : public shelltest::Test
{
protected:
    void TearDown() override
    {
        CAMainWindowController::setInternetPaneFactory(nullptr);
        shelltest::Test::TearDown();
    }
    // Answers the search panel that the menu item runs with the text (none: Cancel).
    void answerPanel(const QString &text)
    {
        QTimer::singleShot(0, [text] {
            auto *panel = qobject_cast<CSearchInternetPanelController *>(QApplication::activeModalWidget());
            ASSERT_NE(panel, nullptr);
            if (text.isEmpty()) {
                QTest::mouseClick(panel->cancelButton(), Qt::LeftButton);
                return;
            }
            QTest::keyClicks(panel->searchField(), text);
            QTest::mouseClick(panel->searchButton(), Qt::LeftButton);
        });
    }
};

} // namespace

TEST_F(CAInternetSearchCommandsTest, PanelTextReachesTheGridBesideTheSearchField)
{
    PWUserDefaults::standardUserDefaults().removeObject(CCGoogleSearch::kServiceKey);
    CADocumentController &application = launch(1);
    installDesignWindow(application);
    CADesignWindow *window = sharedDesignWindow();
    ASSERT_NE(window, nullptr);
    auto *binding = window->findChild<CCInternetSearchBinding *>(u"internetSearch"_s);
    ASSERT_NE(binding, nullptr);
    QStringList notices;
    binding->setNoticeHandler([&](const QString &text) { notices << text; });
    // The design window's clip-art pane: its field over its grid.
    auto *clipArt = window->findChild<CCPictBrowserView *>();
    ASSERT_NE(clipArt, nullptr);
    CCSearchField *field = clipArt->searchField();
    CCPictCatalogView *grid = clipArt->catalogView();

    QAction *item = application.mainMenu().itemForAction(u"searchInInternet"_s);
    ASSERT_NE(item, nullptr);
    answerPanel(QString());
    item->trigger();
    EXPECT_TRUE(notices.isEmpty()) << "a cancelled panel searches nothing";

    answerPanel(u"red barn"_s);
    item->trigger();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->currentDesignPanelIndex(), CADesignWindow::ImageCollection);
    EXPECT_EQ(window->currentDesignPadIndex(), CADesignWindow::Clipart);
    EXPECT_EQ(binding->searchField(), field);
    EXPECT_EQ(binding->catalog(), grid->catalog());
    // No service is set: the user is told, and nothing was sent.
    EXPECT_EQ(notices, QStringList({CCInternetSearchBinding::noServiceMessage()}));
    EXPECT_FALSE(binding->search().isInUse());
    application.panels().close(CAFloatingPanels::DesignWindow);
}

TEST_F(CAInternetSearchCommandsTest, StripShowsTheLinkOfTheSelectedInternetPicture)
{
    CADocumentController &application = launch(1);
    installDesignWindow(application);
    CAMainWindowController *documentWindow = window(0);
    ASSERT_NE(documentWindow, nullptr);
    documentWindow->showInternet();
    auto *strip = qobject_cast<CInternetView *>(documentWindow->scrollView()->internetPane());
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->tag(), CDocScrollView::kInternetPaneTag);
    EXPECT_TRUE(strip->currentURL().isEmpty());

    QImage bitmap(20, 10, QImage::Format_RGB32);
    bitmap.fill(Qt::darkRed);
    std::shared_ptr<PWImage> image = PWImage::fromQImage(bitmap);
    ASSERT_NE(image, nullptr);
    image->setName(u"PREFIX_URL_LOADED http://pics.test/barn.jpg http://site.test/barn"_s);
    CADocView *canvas = documentWindow->docView();
    canvas->edits().insertImageAtPoint(image, QPointF(100, 50));
    EXPECT_EQ(strip->currentURL(), u"http://site.test/barn"_s);
    documentWindow->hideInternet();
    EXPECT_EQ(documentWindow->scrollView()->internetPane(), nullptr);
}
