// The floating panels from one run to the next on the screens users have: a first start opens
// every one of them inside the screen and off the page; the next start puts each back where the
// user left it, open or closed as the user left it; a place kept from another screen, or a
// damaged one, comes back inside this screen. Each run ends with Ctrl+Q typed into a panel.
#include "ShellTestSupport.h"
#include "ScreenRun.h"

#include "app/document/CAWindowPlacement.h"
#include "app/shell/CAAddressWindowPanel.h"
#include "app/shell/CADesignWindowPanel.h"
#include "app/shell/CAPropertiesPanel.h"

#include <QScreen>

#include <string>

using namespace shelltest;

namespace {

constexpr int kPanels = CAFloatingPanels::PanelCount;

class PanelPlacesTest : public shelltest::Test
{
protected:
    // A start as main() makes it: the label, then the panels of the last quit (all of them at a
    // first start), every panel of the application installed.
    void startRun()
    {
        unregisterMenuCommands();
        controller.reset();
        CADocumentController::resetLaunchState();
        PWUserDefaults::standardUserDefaults().setInteger(u"FTStartingDocument"_s, 1);
        controller = std::make_unique<CADocumentController>();
        installAddressWindow(*controller);
        installDesignWindow(*controller);
        installPropertiesPanel(*controller);
        controller->applicationWillFinishLaunching();
        controller->openStartupDocuments({});
        controller->applicationDidFinishLaunching();
        QCoreApplication::processEvents();
    }
    QWidget *panel(int which) const
    {
        return controller->panels().panelWindow(static_cast<CAFloatingPanels::Panel>(which));
    }
    bool shown(int which) const
    {
        return controller->panels().isPanelVisible(static_cast<CAFloatingPanels::Panel>(which));
    }
    static QRect room() { return QGuiApplication::primaryScreen()->availableGeometry(); }
    // Quits as the user does: Ctrl+Q typed into the window that has the keyboard.
    void quitFrom(QWidget *window)
    {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
        ASSERT_TRUE(manager().documents().isEmpty()) << "Ctrl+Q did not quit";
    }
    // Every panel on the screen whole, and its contents with the room they need.
    void expectInside(int which) const
    {
        QWidget *window = panel(which);
        ASSERT_TRUE(window);
        const QRect frame = CAWindowPlacement::frameOf(window);
        EXPECT_TRUE(room().contains(frame)) << "panel " << which << " at " << frame.x() << "," << frame.y() << " "
                                            << frame.width() << "x" << frame.height();
        const QSize least = window->minimumSizeHint().boundedTo(room().size());
        EXPECT_TRUE(window->width() >= least.width() && window->height() >= least.height()) << "panel " << which;
    }
};

class PanelPlaces : public PanelPlacesTest, public ::testing::WithParamInterface<pwtest::TestScreen>
{
};

const QString kVisibleKeys[kPanels] = {u"FTColorPanelVisible"_s, u"FTFontPanelVisible"_s, u"FTAddressWindowVisible"_s,
                                       u"FTDesignWindowVisible"_s, u"FTPropertiesWindowVisible"_s};

// What the last quit wrote for the panel; none when it wrote nothing.
std::optional<bool> storedVisible(int which)
{
    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    if (!defaults.hasStoredValue(kVisibleKeys[which]))
        return std::nullopt;
    return defaults.boolForKey(kVisibleKeys[which]);
}

TEST_P(PanelPlaces, AFirstStartOpensEveryPanelInsideTheScreenAndNoneIsKeptClosed)
{
    if (!pwtest::runsOnScreen(GetParam()))
        return;
    startRun();
    const QRect page = window(0)->pageOnScreen();
    ASSERT_FALSE(page.isEmpty());
    for (int which = 0; which < kPanels; ++which) {
        EXPECT_TRUE(shown(which)) << "panel " << which << " left closed";
        expectInside(which);
        EXPECT_FALSE(CAWindowPlacement::frameOf(panel(which)).intersects(page)) << "panel " << which << " covers the page";
    }
    quitFrom(panel(CAFloatingPanels::PropertiesWindow));
    for (int which = 0; which < kPanels; ++which)
        EXPECT_EQ(storedVisible(which), std::optional<bool>(true)) << "panel " << which;
}

TEST_P(PanelPlaces, ALaterStartPutsEachPanelBackWhereTheUserLeftIt)
{
    if (!pwtest::runsOnScreen(GetParam()))
        return;
    startRun();
    // The user moves every panel to a place of its own, then closes two: the design window by its
    // menu item, the colours by Escape.
    QList<QRect> left;
    for (int which = 0; which < kPanels; ++which) {
        QWidget *window = panel(which);
        ASSERT_TRUE(window);
        const int across = std::max(0, room().width() - window->width() - 60);
        window->move(room().left() + 10 + across * which / (kPanels - 1), room().top() + 10 + 25 * which);
        left << QRect(window->pos(), window->size());
    }
    const QList<int> closed = {CAFloatingPanels::DesignWindow, CAFloatingPanels::ColorPanel};
    QAction *design = controller->mainMenu().itemForAction(u"designWindow"_s);
    ASSERT_TRUE(design);
    controller->mainMenu().validate();
    design->trigger();
    QTest::keyClick(panel(CAFloatingPanels::ColorPanel), Qt::Key_Escape);
    for (const int which : closed)
        ASSERT_FALSE(shown(which)) << "panel " << which;
    quitFrom(panel(CAFloatingPanels::FontPanel));
    for (int which = 0; which < kPanels; ++which)
        EXPECT_EQ(storedVisible(which), std::optional<bool>(!closed.contains(which))) << "panel " << which;

    startRun();
    for (int which = 0; which < kPanels; ++which) {
        SCOPED_TRACE(which);
        EXPECT_EQ(shown(which), !closed.contains(which));
        if (closed.contains(which))
            continue;
        EXPECT_EQ(QRect(panel(which)->pos(), panel(which)->size()), left.at(which));
    }
    // Opened again from their menus, the closed ones come where they were closed.
    for (const char *command : {"designWindow", "orderFrontColorPanel"}) {
        QAction *item = controller->mainMenu().itemForAction(QString::fromLatin1(command));
        ASSERT_TRUE(item) << command;
        controller->mainMenu().validate();
        item->trigger();
    }
    for (const int which : closed) {
        ASSERT_TRUE(shown(which)) << "panel " << which;
        EXPECT_EQ(QRect(panel(which)->pos(), panel(which)->size()), left.at(which)) << "panel " << which;
    }
    quitFrom(panel(CAFloatingPanels::DesignWindow));
}

// A panel the user left in the screen's bottom right corner, its frame as the window system
// draws it just inside the screen: it comes back to the very pixel start after start, moved by no
// frame assumed thicker than the one drawn, and its drawn frame stays inside the screen.
TEST_F(PanelPlacesTest, APanelLeftAtTheScreensEdgeComesBackToThePixel)
{
    if (!pwtest::runsOnScreen({1280, 800}))
        return;
    startRun();
    // The frame as the window system draws it, measured round the document window.
    const QRect outer = window(0)->frameGeometry();
    const QRect inner = window(0)->geometry();
    ASSERT_TRUE(outer != inner && outer.contains(inner)) << "the window system reports no frame to measure";
    const QSize around(outer.width() - inner.width(), outer.height() - inner.height());
    QList<QRect> left;
    for (int which = 0; which < kPanels; ++which) {
        QWidget *window = panel(which);
        ASSERT_TRUE(window && shown(which)) << "panel " << which;
        const QSize size = window->size();
        const QPoint at(room().right() + 1 - size.width() - around.width(),
                        room().bottom() + 1 - size.height() - around.height());
        window->move(at);
        left << QRect(at, size);
    }
    quitFrom(panel(CAFloatingPanels::PropertiesWindow));
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        startRun();
        for (int which = 0; which < kPanels; ++which) {
            ASSERT_TRUE(shown(which)) << "panel " << which;
            EXPECT_EQ(QRect(panel(which)->pos(), panel(which)->size()), left.at(which)) << "panel " << which;
            EXPECT_TRUE(room().contains(panel(which)->frameGeometry())) << "panel " << which;
        }
        quitFrom(panel(CAFloatingPanels::DesignWindow));
    }
}

INSTANTIATE_TEST_SUITE_P(Screens, PanelPlaces,
                         ::testing::Values(pwtest::TestScreen {1280, 800}, pwtest::TestScreen {1600, 1000},
                                           pwtest::TestScreen {1280, 800, 200}),
                         [](const auto &info) { return info.param.testName(); });

// A place kept on another screen (a larger one, a second one since unplugged), or a setting that
// is no place at all: every panel opens inside this screen, with the room its contents need.
TEST_F(PanelPlacesTest, APlaceKeptElsewhereComesBackInsideTheScreen)
{
    if (!pwtest::runsOnScreen({1280, 800}))
        return;
    const struct
    {
        const char *name;
        QString stored;
        // Where the panel's frame then starts, when that is known.
        std::optional<QPoint> at = std::nullopt;
    } rows[] = {
        {"on this screen", u"100 120 200 200 0 0 1280 800 "_s, QPoint(100, 120)},
        {"at the screen's bottom right", u"1270 790 200 200 0 0 1280 800 "_s},
        {"from a larger screen", u"1900 1100 420 480 0 0 2560 1440 "_s},
        {"from a screen to the left", u"-1500 200 400 400 -1920 0 1920 1080 "_s},
        {"above the top", u"300 -200 400 400 0 0 1280 800 "_s},
        {"larger than the screen", u"0 0 5000 4000 0 0 5120 2880 "_s},
        {"smaller than its contents", u"100 100 10 10 0 0 1280 800 "_s},
        {"far beyond any screen", u"90000 90000 340 480 0 0 1024 746 "_s},
        {"damaged", u"12 x 5"_s},
        {"empty", QString()},
    };
    int quitFromPanel = 0;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
        for (int which = 0; which < kPanels; ++which) {
            defaults.setBool(kVisibleKeys[which], true);
            defaults.setString(CAFloatingPanels::frameKey(static_cast<CAFloatingPanels::Panel>(which)), row.stored);
        }
        startRun();
        for (int which = 0; which < kPanels; ++which) {
            EXPECT_TRUE(shown(which)) << "panel " << which;
            expectInside(which);
            if (row.at) {
                EXPECT_EQ(panel(which)->pos(), *row.at) << "panel " << which;
            }
        }
        quitFrom(panel(quitFromPanel++ % kPanels));
        TearDown();
        SetUp();
    }
}

} // namespace
