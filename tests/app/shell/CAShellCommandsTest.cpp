// The shell's own commands as the menus send them: About, the help book, the four web links, the
// font panel among the floating panels, and Bigger and Smaller through the font manager.
#include "ShellTestSupport.h"

#include "app/shell/CAAboutPanel.h"
#include "app/shell/CAFontManager.h"
#include "app/shell/CAHelpWindow.h"
#include "app/shell/CAMainMenu.h"

#include <QDesktopServices>
#include <QFontDialog>
#include <QLabel>
#include <QMenu>
#include <QTextBrowser>
#include <QTimer>

namespace {

class LinkCatcher : public QObject
{
    Q_OBJECT
public:
    LinkCatcher()
    {
        for (const QString &scheme : {u"https"_s, u"mailto"_s})
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    ~LinkCatcher() override
    {
        for (const QString &scheme : {u"https"_s, u"mailto"_s})
            QDesktopServices::unsetUrlHandler(scheme);
    }
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl &url) { opened.append(url); }
};

class CAShellCommandsTest : public shelltest::Test
{
public:
    void TearDown() override
    {
        CAFontManager::sharedFontManager().closeFontPanel();
        CAHelpWindow::sharedHelpWindow().hide();
        shelltest::Test::TearDown();
    }
    QAction *item(const char *action)
    {
        controller->mainMenu().validate();
        return controller->mainMenu().itemForAction(QString::fromLatin1(action));
    }
};

TEST_F(CAShellCommandsTest, AboutRunsItsPanelUntilAKeyIsPressed)
{
    launch(1);
    QAction *about = item("aboutWindow");
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(about->isEnabled());
    QString version;
    bool wasModal = false;
    QTimer::singleShot(0, [&] {
        auto *panel = qobject_cast<CAAboutPanel *>(QApplication::activeModalWidget());
        ASSERT_NE(panel, nullptr);
        wasModal = panel->isModal() && panel->isVisible();
        if (const auto *field = panel->findChild<QLabel *>(u"versionField"_s))
            version = field->text();
        QTest::keyClick(panel, Qt::Key_Space);
    });
    about->trigger();
    EXPECT_TRUE(wasModal);
    EXPECT_TRUE(version.startsWith(u"Version "_s)) << version.toStdString();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    for (QWidget *widget : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<CAAboutPanel *>(widget) && widget->isVisible());
    EXPECT_TRUE(reports.isEmpty());
}

TEST_F(CAShellCommandsTest, HelpFromTheKeyboardOpensTheBooksFirstPage)
{
    launch(1);
    CAMainWindowController *w = window(0);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    ASSERT_TRUE(item("showHelp")->isEnabled());
    QTest::keyClick(w, Qt::Key_F1);
    CAHelpWindow &help = CAHelpWindow::sharedHelpWindow();
    EXPECT_TRUE(help.isVisible());
    EXPECT_EQ(help.currentPage(), help.homePage());
    EXPECT_FALSE(help.browser()->toPlainText().isEmpty());
    // Closed from the keyboard like any other window.
    help.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&help));
    QTest::keyClick(help.browser(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(help.isVisible());
    GoToMyHelpAnchor(QString());
    help.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&help));
    QTest::keyClick(help.browser(), Qt::Key_Escape);
    EXPECT_FALSE(help.isVisible());
}

TEST_F(CAShellCommandsTest, EachWebLinkOfTheHelpMenuOpensItsAddress)
{
    launch(1);
    LinkCatcher catcher;
    const struct
    {
        const char *action;
        std::optional<QUrl> (*url)();
    } cases[] = {
        {"gotoHomePage", &CAEnvironment::homePageURL},
        {"checkUpdates", &CAEnvironment::checkUpdatesURL},
        {"sendFeedBack", &CAEnvironment::feedBackURL},
        {"gotoUsefulResources", &CAEnvironment::usefulResourcesURL},
        {"gotoCompanionProduct", [] { return std::optional<QUrl>(QUrl(u"https://parcelwick.example.org/companion"_s)); }},
    };
    QMenu *help = controller->mainMenu().menu(u"Help"_s);
    ASSERT_NE(help, nullptr);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.action);
        QAction *link = item(c.action);
        ASSERT_NE(link, nullptr);
        EXPECT_TRUE(help->actions().contains(link));
        ASSERT_TRUE(link->isEnabled());
        catcher.opened.clear();
        link->trigger();
        ASSERT_TRUE(c.url().has_value());
        EXPECT_EQ(catcher.opened, QList<QUrl> {*c.url()});
    }
    EXPECT_TRUE(reports.isEmpty());
}

TEST_F(CAShellCommandsTest, ShowFontsOpensTheFontPanelAndItIsRememberedAtQuit)
{
    launch(1);
    CAFontManager &fonts = CAFontManager::sharedFontManager();
    EXPECT_FALSE(fonts.isFontPanelVisible());
    CAMainWindowController *w = window(0);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    QAction *show = item("orderFrontFontPanel");
    ASSERT_TRUE(show->isEnabled());
    QTest::keyClick(w, Qt::Key_T, Qt::ControlModifier);
    EXPECT_TRUE(fonts.isFontPanelVisible());
    EXPECT_TRUE(controller->panels().isPanelVisible(CAFloatingPanels::FontPanel));
    EXPECT_TRUE(fonts.fontPanel()->windowFlags().testFlag(Qt::Tool));

    ASSERT_TRUE(controller->terminate());
    EXPECT_TRUE(CAFloatingPanels::rememberedVisible(CAFloatingPanels::FontPanel));
    EXPECT_FALSE(fonts.isFontPanelVisible()) << "quitting closes it";

    // Closed at quit this time: the next launch leaves it closed.
    controller.reset();
    CADocumentController::resetLaunchState();
    controller = std::make_unique<CADocumentController>();
    controller->openStartupDocuments({});
    controller->applicationDidFinishLaunching();
    EXPECT_TRUE(fonts.isFontPanelVisible());
    controller->panels().close(CAFloatingPanels::FontPanel);
    ASSERT_TRUE(controller->terminate());
    controller.reset();
    CADocumentController::resetLaunchState();
    controller = std::make_unique<CADocumentController>();
    controller->openStartupDocuments({});
    controller->applicationDidFinishLaunching();
    EXPECT_FALSE(fonts.isFontPanelVisible());
    EXPECT_FALSE(CAFloatingPanels::rememberedVisible(CAFloatingPanels::FontPanel));
}

// A text that takes font changes as the canvas will: each run converted through the sender.
struct FakeText
{
    QList<double> sizes {9.0, 12.0};
    QMetaObject::Connection connection;
    void listen()
    {
        connection = QObject::connect(&CAFontManager::sharedFontManager(), &CAFontManager::changeFont,
                                      [this](CAFontManager *sender) {
                                          for (double &size : sizes)
                                              size = sender->convertFont(PWFont(u"DejaVuSans"_s, size)).pointSize();
                                      });
    }
    ~FakeText() { QObject::disconnect(connection); }
};

TEST_F(CAShellCommandsTest, BiggerAndSmallerStepTheActiveTextByAPointOnceThereIsOne)
{
    launch(1);
    controller->newDocument(1);
    CAMainWindowController *w = window(1);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    QAction *bigger = item("increaseFontSize");
    QAction *smaller = item("decreaseFontSize");
    ASSERT_TRUE(bigger && smaller);
    EXPECT_TRUE(controller->mainMenu().menu(u"Format/Font"_s)->actions().contains(bigger));
    EXPECT_FALSE(bigger->isEnabled()) << "no text takes font changes yet";
    EXPECT_FALSE(smaller->isEnabled());
    EXPECT_FALSE(controller->router().perform(u"increaseFontSize"_s));

    FakeText text;
    text.listen();
    EXPECT_TRUE(item("increaseFontSize")->isEnabled());
    QTest::keyClick(w, Qt::Key_Equal, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(text.sizes, (QList<double> {10.0, 13.0}));
    smaller->trigger();
    smaller->trigger();
    EXPECT_EQ(text.sizes, (QList<double> {8.0, 11.0}));
    // The override is off again after each step: a later conversion keeps the size.
    EXPECT_FALSE(CAFontManager::sharedFontManager().getConvertSize());
    EXPECT_EQ(CAFontManager::sharedFontManager().convertFont(PWFont(u"DejaVuSans"_s, 12.0)).pointSize(), 12.0);
}

} // namespace

#include "CAShellCommandsTest.moc"
