// The internet picture search as the application wires it: the Window menu's search panel hands
// its text to the design window, whose search reaches the grid beside its search field, and the
// document window's link strip follows the page's selection.
#include "ShellTestSupport.h"
#include "PictureTestSupport.h"

#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CADocView.h"
#include "app/inspector/CADesignWindow.h"
#include "app/pictures/CAPostartBrowserView.h"
#include "app/pictures/CCGoogleSearch.h"
#include "app/pictures/CCGoogleSearchAnswer.h"
#include "app/pictures/CCPictBrowserView.h"
#include "app/pictures/CCPictCatalog.h"
#include "app/pictures/CCSearchField.h"
#include "app/pictures/CCSearchFieldCell.h"
#include "app/pictures/CInternetView.h"
#include "app/pictures/CSearchInternetPanelController.h"
#include "app/shell/CADesignWindowPanel.h"
#include "app/shell/CAInternetSearchCommands.h"
#include "app/shell/CAMainMenu.h"
#include "app/shell/CAMainWindowController.h"
#include "app/shell/CDocScrollView.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWBundle.h"
#include "platform/PWImage.h"
#include "platform/PWUndoManager.h"
#include "platform/PWUserDefaults.h"

#include "../pictures/LoopbackHttpServer.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class CAInternetSearchCommandsTest : public shelltest::Test
{
protected:
    void TearDown() override
    {
        CAMainWindowController::setInternetPaneFactory(nullptr);
        PWUserDefaults::standardUserDefaults().removeObject(CCGoogleSearch::kServiceKey);
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
    LoopbackHttpServer server;
    ASSERT_TRUE(server.isListening());
    const QUrl request = CCGoogleSearchAnswer::requestURL(QUrl(server.base()), u"red barn"_s);
    QByteArray page = "<html>";
    for (const char *n : {"1", "2"}) {
        page += QByteArray("<a href=/imgres?imgurl=http://pics.test/") + n + ".jpg&imgrefurl=http://site.test/" + n
            + "&h=1>\n<img src=/thumb" + n + " width=80></a>\n";
        server.set(u"/thumb"_s + QString::fromLatin1(n),
                   {"200 OK", "image/png", pictest::solidPng(Qt::darkRed), true, false});
    }
    server.set(request.path(QUrl::FullyEncoded) + u'?' + request.query(QUrl::FullyEncoded),
               {"200 OK", "text/html", page, true, false});
    PWUserDefaults::standardUserDefaults().setString(CCGoogleSearch::kServiceKey, server.base());
    CADocumentController &application = launch(1);
    installDesignWindow(application);
    CADesignWindow *window = sharedDesignWindow();
    ASSERT_NE(window, nullptr);
    CCPictBrowserView *pane = window->clipArtPane();
    QStringList notices;
    pane->setNoticeHandler([&](const QString &text) { notices << text; });

    QAction *item = application.mainMenu().itemForAction(u"searchInInternet"_s);
    ASSERT_NE(item, nullptr);
    answerPanel(QString());
    item->trigger();
    EXPECT_TRUE(server.requests().isEmpty()) << "a cancelled panel searches nothing";
    EXPECT_FALSE(pane->googleSearch().isInUse());

    answerPanel(u"red barn"_s);
    item->trigger();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->currentDesignPanelIndex(), CADesignWindow::ImageCollection);
    EXPECT_EQ(window->currentDesignPadIndex(), CADesignWindow::Clipart);
    EXPECT_EQ(pane->searchField()->text(), u"red barn"_s);
    EXPECT_EQ(pane->searchField()->searchCell()->mode(), CCSearchFieldCell::Mode::Internet);
    // The pane's own search fills the grid beside its field.
    CCPictCatalog *grid = pane->catalog();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return pane->googleSearch().itemCount() == 2 && !pane->googleSearch().isRunning(); }, 30000))
        << "requests: " << server.requests().join(u' ').toStdString() << " in use " << pane->googleSearch().isInUse()
        << " items " << pane->googleSearch().itemCount();
    QStringList shown;
    for (int row = 0; row < grid->numberOfRows(); ++row)
        for (int column = 0; column < grid->numberOfColumns(); ++column)
            if (grid->cellAtRowColumn(row, column)->image())
                shown << grid->cellAtRowColumn(row, column)->imageReference();
    EXPECT_EQ(shown, QStringList({CCPictImageResolver::kUrlPrefix + u"http://pics.test/1.jpg http://site.test/1"_s,
                                  CCPictImageResolver::kUrlPrefix + u"http://pics.test/2.jpg http://site.test/2"_s}));
    EXPECT_EQ(server.count(u"/thumb"_s), 2);
    EXPECT_EQ(pane->searchField()->doubleValue(), 0.0);
    EXPECT_TRUE(notices.isEmpty());

    // No service is set: the user is told, and nothing was sent.
    PWUserDefaults::standardUserDefaults().removeObject(CCGoogleSearch::kServiceKey);
    const int sent = int(server.requests().size());
    answerPanel(u"red barn"_s);
    item->trigger();
    EXPECT_EQ(notices, QStringList({CCPictBrowserView::noServiceMessage()}));
    EXPECT_EQ(server.requests().size(), sent);
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

TEST_F(CAInternetSearchCommandsTest, StripShowsByItselfWhenABrowserPlacesAnInternetPicture)
{
    CADocumentController &application = launch(1);
    installDesignWindow(application);
    CAMainWindowController *documentWindow = window(0);
    ASSERT_NE(documentWindow, nullptr);
    CADesignWindow *designWindow = sharedDesignWindow();
    ASSERT_NE(designWindow, nullptr);
    ASSERT_EQ(documentWindow->scrollView()->internetPane(), nullptr);
    CADocView *canvas = documentWindow->docView();
    const std::vector<CFTComponent *> &components = canvas->document()->ftDocument()->GetComponents(0, false);
    const size_t before = components.size();
    const auto picture = [](const QString &name, QColor colour) {
        QImage bitmap(20, 10, QImage::Format_RGB32);
        bitmap.fill(colour);
        std::shared_ptr<PWImage> image = PWImage::fromQImage(bitmap);
        image->setName(name);
        return image;
    };

    // A picture found on the internet, chosen in the clip-art pane, comes in with its link shown.
    Q_EMIT designWindow->clipArtPane()->pictureChosen(
        picture(u"PREFIX_URL_LOADED http://pics.test/barn.jpg http://site.test/barn"_s, Qt::darkRed));
    ASSERT_EQ(components.size(), before + 1);
    auto *strip = qobject_cast<CInternetView *>(documentWindow->scrollView()->internetPane());
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->currentURL(), u"http://site.test/barn"_s);
    EXPECT_EQ(canvas->document()->undoManager()->undoActionName(), u"Insert Object"_s);

    // Another browser's picture replaces the selected one, and the strip goes.
    Q_EMIT designWindow->postArtView()->pictureChosen(picture(u"FULLSIZE_stamp.png"_s, Qt::darkBlue));
    EXPECT_EQ(components.size(), before + 1);
    EXPECT_EQ(components.back()->GetObjectData()->name(), u"FULLSIZE_stamp.png"_s);
    EXPECT_EQ(canvas->document()->undoManager()->undoActionName(), PWLocalizedString(u"CHANGE_IMAGE"_s));
    EXPECT_EQ(documentWindow->scrollView()->internetPane(), nullptr);
}
