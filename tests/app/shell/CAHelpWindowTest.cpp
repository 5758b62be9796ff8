#include "app/document/CAHelpButton.h"
#include "app/shell/CAHelpWindow.h"

#include "ScratchBundle.h"
#include "ShellTestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>

using namespace Qt::StringLiterals;

namespace {

QString pageOf(const QUrl &url)
{
    return QFileInfo(url.path()).fileName();
}

void clickAction(CAHelpWindow &window, QAction *action)
{
    QToolBar *bar = window.findChild<QToolBar *>(u"helpNavigation"_s);
    ASSERT_TRUE(bar);
    QWidget *button = bar->widgetForAction(action);
    ASSERT_TRUE(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

const QStringList kPages = {u"index.html"_s, u"getting-started.html"_s, u"designing-a-label.html"_s,
                            u"printing.html"_s, u"contacts.html"_s};

} // namespace

TEST(CAHelpWindowTest, TheBookIsTheFolderTheInfoDictionaryNames)
{
    const QString book = CAHelpWindow::helpBookPath(PWBundle::mainBundle());
    EXPECT_EQ(book, u":/bundle/en.lproj/ParcelwickHelp"_s);
    CAHelpWindow window(PWBundle::mainBundle());
    EXPECT_EQ(window.pathForPage(u"printing.html"_s), book + u"/printing.html"_s);
    EXPECT_EQ(window.pathForPage(QString()), book + u"/"_s);
    EXPECT_EQ(window.homePage(), QUrl(u"qrc:/bundle/en.lproj/ParcelwickHelp/index.html"_s));
}

TEST(CAHelpWindowTest, OpensPagesAndRefusesNamesOutsideTheBook)
{
    struct Case
    {
        QString name;
        bool opens;
        QString page;
    };
    const Case cases[] = {
        {u"printing.html"_s, true, u"printing.html"_s},
        // The book's folder itself opens at its first page.
        {QString(), true, u"index.html"_s},
        {u"no-such-page.html"_s, false, QString()},
        {u"../Info.plist"_s, false, QString()},
        {u"../../bundle/Info.plist"_s, false, QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        CAHelpWindow window(PWBundle::mainBundle());
        ASSERT_TRUE(window.showPage(u"contacts.html"_s));
        pwtest::LogCapture log;
        EXPECT_EQ(window.showPage(c.name), c.opens);
        EXPECT_TRUE(window.isVisible());
        // A refused name leaves the window on its page, and says why in the log.
        EXPECT_EQ(pageOf(window.currentPage()), c.opens ? c.page : u"contacts.html"_s);
        EXPECT_EQ(pwtest::LogCapture::lines().filter(u"no help page"_s).size(), c.opens ? 0 : 1);
    }
}

TEST(CAHelpWindowTest, APageNameMayNameAPlaceInThePage)
{
    CAHelpWindow window(PWBundle::mainBundle());
    ASSERT_TRUE(window.showPage(u"printing.html#calibration"_s));
    EXPECT_EQ(pageOf(window.currentPage()), u"printing.html"_s);
    EXPECT_EQ(window.currentPage().fragment(), u"calibration"_s);
    EXPECT_EQ(window.windowTitle(), u"Printing"_s);
}

TEST(CAHelpWindowTest, BackForwardAndHomeFromTheToolbar)
{
    CAHelpWindow window(PWBundle::mainBundle());
    ASSERT_TRUE(window.showPage(u"printing.html"_s));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_FALSE(window.backAction()->isEnabled());
    EXPECT_FALSE(window.forwardAction()->isEnabled());

    clickAction(window, window.homeAction());
    EXPECT_EQ(pageOf(window.currentPage()), u"index.html"_s);
    EXPECT_EQ(window.windowTitle(), u"Parcelwick Help"_s);
    EXPECT_TRUE(window.backAction()->isEnabled());

    // Following a link with the keyboard: the first link of the first page.
    window.browser()->setFocus();
    QTest::keyClick(window.browser(), Qt::Key_Tab);
    QTest::keyClick(window.browser(), Qt::Key_Return);
    EXPECT_EQ(pageOf(window.currentPage()), u"getting-started.html"_s);

    clickAction(window, window.backAction());
    EXPECT_EQ(pageOf(window.currentPage()), u"index.html"_s);
    EXPECT_TRUE(window.forwardAction()->isEnabled());
    clickAction(window, window.backAction());
    EXPECT_EQ(pageOf(window.currentPage()), u"printing.html"_s);
    EXPECT_FALSE(window.backAction()->isEnabled());
    clickAction(window, window.forwardAction());
    clickAction(window, window.forwardAction());
    EXPECT_EQ(pageOf(window.currentPage()), u"getting-started.html"_s);
    EXPECT_FALSE(window.forwardAction()->isEnabled());
}

// Every page has a title, is reached from the first page, and links only to pages of the book
// or to addresses outside the application.
TEST(CAHelpWindowTest, EveryPageIsReachableAndNoLinkIsBroken)
{
    const QString book = CAHelpWindow::helpBookPath(PWBundle::mainBundle());
    QStringList found;
    for (QDirIterator it(book, {u"*.html"_s}, QDir::Files); it.hasNext();)
        found << QFileInfo(it.next()).fileName();
    found.sort();
    QStringList expected = kPages;
    expected.sort();
    EXPECT_EQ(found, expected);

    const QRegularExpression href(u"href=\"([^\"]*)\""_s);
    const QRegularExpression title(u"<title>([^<]+)</title>"_s);
    QSet<QString> linked;
    for (const QString &page : found) {
        SCOPED_TRACE(page.toStdString());
        const QString html = QString::fromUtf8(pwtest::readFile(book + u'/' + page));
        EXPECT_TRUE(title.match(html).hasMatch());
        for (auto match = href.globalMatch(html); match.hasNext();) {
            const QUrl target(match.next().captured(1));
            if (!target.scheme().isEmpty()) {
                ADD_FAILURE() << "links out of the book: " << target.toString().toStdString();
                continue;
            }
            EXPECT_TRUE(QFileInfo(book + u'/' + target.path()).isFile()) << target.path().toStdString();
            linked.insert(target.path());
        }
    }
    for (const QString &page : found) {
        if (page != u"index.html"_s) {
            EXPECT_TRUE(linked.contains(page)) << page.toStdString() << " is linked from no page";
        }
    }
}

TEST(CAHelpWindowTest, ABundleWithoutABookOpensNothing)
{
    shelltest::ScratchBundle scratch("<key>CFBundleVersion</key><string>100</string>\n");
    EXPECT_EQ(CAHelpWindow::helpBookPath(scratch.bundle()), QString());
    CAHelpWindow window(scratch.bundle());
    pwtest::LogCapture log;
    EXPECT_FALSE(window.showPage(u"index.html"_s));
    EXPECT_FALSE(window.showPage(QString()));
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.homeAction()->isEnabled());
}

// The help button opens its page once the mouse comes up: on the button, and also away from it.
TEST(CAHelpButtonTest, OpensItsPageOnRelease)
{
    QWidget form;
    form.resize(200, 100);
    CAHelpButton::setPageOpener(&GoToMyHelpAnchor);
    auto *button = new CAHelpButton(&form);
    button->setGeometry(10, 10, 24, 24);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    CAHelpWindow &help = CAHelpWindow::sharedHelpWindow();

    button->setPageName(u"printing.html"_s);
    QTest::mousePress(button, Qt::LeftButton);
    EXPECT_NE(pageOf(help.currentPage()), u"printing.html"_s);
    QTest::mouseRelease(button, Qt::LeftButton);
    EXPECT_EQ(pageOf(help.currentPage()), u"printing.html"_s);
    const int history = help.browser()->backwardHistoryCount();

    button->setPageName(u"contacts.html"_s);
    QTest::mousePress(button, Qt::LeftButton);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(150, 80));
    EXPECT_EQ(pageOf(help.currentPage()), u"contacts.html"_s);
    // One page opened for one press.
    EXPECT_EQ(help.browser()->backwardHistoryCount(), history + 1);

    // Set by the form as a property; empty opens the first page.
    button->setProperty("pageName", QString());
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(pageOf(help.currentPage()), u"index.html"_s);
    EXPECT_EQ(help.browser()->backwardHistoryCount(), history + 2);
    help.close();
}
