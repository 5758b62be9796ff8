// Every window opens inside the available area of the screen, title bar included: the placement
// rule itself, the windows of the application placed by it on a 1600 x 1000 screen, and the
// country menu of address panels, which scrolls rather than running off the screen.
#include "app/document/CAWindowPlacement.h"
#include "app/contacts/CAAddressWindow.h"
#include "app/inspector/CADesignWindow.h"
#include "app/inspector/CAPropertiesController.h"
#include "app/printsheet/CAPrintViewController.h"
#include "app/shell/CAAboutController.h"
#include "app/shell/CAAddressWindowPanel.h"
#include "app/shell/CAAssistantController.h"
#include "app/shell/CADesignWindowPanel.h"
#include "app/shell/CAHelpWindow.h"
#include "app/shell/CAPreferencesController.h"
#include "app/shell/CAPropertiesPanel.h"

#include "ShellTestSupport.h"

#include <QDialog>
#include <QMenu>
#include <QScreen>

#include <functional>
#include <set>
#include <string>

using namespace shelltest;

namespace {

struct PlacementFrameCase
{
    const char *name;
    QRect frame;
    QRect placed;
};

class FrameInside : public ::testing::TestWithParam<PlacementFrameCase>
{
};

TEST_P(FrameInside, MovesAndCutsTheFrameIntoTheRoom)
{
    const QRect room(0, 0, 1600, 1000);
    EXPECT_EQ(CAWindowPlacement::frameInside(GetParam().frame, room), GetParam().placed);
}

INSTANTIATE_TEST_SUITE_P(
    Screen1600x1000, FrameInside,
    ::testing::Values(
        PlacementFrameCase {"inside_stays", QRect(100, 50, 400, 300), QRect(100, 50, 400, 300)},
        PlacementFrameCase {"below_the_bottom_comes_up", QRect(1200, 700, 340, 500), QRect(1200, 500, 340, 500)},
        PlacementFrameCase {"title_bar_above_the_top_comes_down", QRect(600, -28, 500, 600), QRect(600, 0, 500, 600)},
        PlacementFrameCase {"past_the_right_edge_comes_left", QRect(1500, 10, 300, 200), QRect(1300, 10, 300, 200)},
        PlacementFrameCase {"taller_than_the_screen_is_cut", QRect(10, 20, 500, 1300), QRect(10, 0, 500, 1000)},
        PlacementFrameCase {"wider_than_the_screen_is_cut", QRect(-50, 20, 1900, 300), QRect(0, 20, 1600, 300)}),
    [](const ::testing::TestParamInfo<PlacementFrameCase> &info) { return std::string(info.param.name); });

class WindowPlacementTest : public shelltest::Test
{
public:
    // The windows' frames are held against this screen, with a panel bar at its top.
    const QRect room {0, 32, 1600, 968};
};

struct WindowCase
{
    const char *name;
    std::function<QWidget *(WindowPlacementTest &)> make;
};

class EveryWindow : public WindowPlacementTest, public ::testing::WithParamInterface<WindowCase>
{
};

// Each window as the application makes it, placed where it would stand at its first showing and
// then through the placement rule: all of it, title bar included, lies on the screen, and it is
// no smaller than its contents need.
TEST_P(EveryWindow, OpensInsideTheScreen)
{
    launch(1);
    QWidget *window = GetParam().make(*this);
    ASSERT_TRUE(window);
    for (const QPoint &at : {QPoint(0, 0), QPoint(1400, 900), QPoint(200, -100)}) {
        window->move(at);
        const QRect frame = CAWindowPlacement::placeInside(window, room);
        EXPECT_TRUE(room.contains(frame)) << GetParam().name << " at " << at.x() << "," << at.y() << ": "
                                          << frame.x() << "," << frame.y() << " " << frame.width() << "x"
                                          << frame.height();
        EXPECT_EQ(frame, CAWindowPlacement::frameOf(window));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Windows, EveryWindow,
    ::testing::Values(
        WindowCase {"inspector", [](WindowPlacementTest &) { return CAPropertiesController::sharedPropertiesController()->window(); }},
        WindowCase {"addresses",
                    [](WindowPlacementTest &t) -> QWidget * {
                        installAddressWindow(*t.controller);
                        return sharedAddressWindow();
                    }},
        WindowCase {"design",
                    [](WindowPlacementTest &t) -> QWidget * {
                        installDesignWindow(*t.controller);
                        return sharedDesignWindow();
                    }},
        WindowCase {"preferences", [](WindowPlacementTest &) { return CAPreferencesController::sharedPreferencesController().window(); }},
        WindowCase {"help", [](WindowPlacementTest &) -> QWidget * { return &CAHelpWindow::sharedHelpWindow(); }},
        WindowCase {"document", [](WindowPlacementTest &t) -> QWidget * { return t.window(0); }},
        WindowCase {"print_sheet",
                    [](WindowPlacementTest &t) -> QWidget * {
                        const std::shared_ptr<CAOpenDocument> record = t.manager().documents().at(0);
                        const std::shared_ptr<CADocument> shared(record, record->document.get());
                        const std::optional<CAPrintSheetKind> kind = CAPrintJob::sheetKindForDocument(*record->document);
                        if (!kind)
                            return nullptr;
                        return new CAPrintViewController(shared, *kind, CAPrintJob::PersonChoice(), {u"Office"_s}, t.window(0));
                    }}),
    [](const ::testing::TestParamInfo<WindowCase> &info) { return std::string(info.param.name); });

// A first start with the address, design and inspector windows to reopen: each opens with its
// whole frame on the screen.
TEST_F(WindowPlacementTest, AtFirstStartThePanelsOpenInsideTheScreen)
{
    launch(1);
    installAddressWindow(*controller);
    installDesignWindow(*controller);
    installPropertiesPanel(*controller);
    for (const CAFloatingPanels::Panel panel :
         {CAFloatingPanels::AddressWindow, CAFloatingPanels::DesignWindow, CAFloatingPanels::PropertiesWindow})
        controller->panels().show(panel);
    QCoreApplication::processEvents();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const struct
    {
        const char *name;
        QWidget *window;
    } panels[] = {{"addresses", sharedAddressWindow()},
                  {"design", sharedDesignWindow()},
                  {"inspector", CAPropertiesController::sharedPropertiesController()->window()}};
    for (const auto &panel : panels) {
        ASSERT_TRUE(panel.window && panel.window->isVisible()) << panel.name;
        const QRect frame = CAWindowPlacement::frameOf(panel.window);
        EXPECT_TRUE(screen.contains(frame)) << panel.name << ": " << frame.x() << "," << frame.y() << " "
                                            << frame.width() << "x" << frame.height();
    }
    controller->panels().close(CAFloatingPanels::PropertiesWindow);
}

// A sheet taller than its window, whose window stands at the top of the screen, opens with its
// title bar on the screen, centred over the window as far as the screen lets it.
TEST_F(WindowPlacementTest, ASheetTallerThanItsWindowKeepsItsTitleBarOnTheScreen)
{
    launch(1);
    CAMainWindowController *document = window(0);
    document->setGeometry(300, room.top() + CAWindowPlacement::kTitleBar, 700, 200);
    QDialog sheet(document);
    sheet.resize(600, 700);
    const QRect frame = CAWindowPlacement::placeCentred(&sheet, document, room);
    EXPECT_TRUE(room.contains(frame));
    EXPECT_EQ(frame.top(), room.top());
    EXPECT_EQ(frame.center().x(), CAWindowPlacement::frameOf(document).center().x());
}

// The title-bar rule held against the frame the window system reports for a real window, not
// against the placement's own reckoning: wherever a document window or the inspector stood, once
// placed (again, after showing, as the panels are) the whole frame, title bar included, lies
// on the screen, around the window's contents.
TEST_F(WindowPlacementTest, TheFrameTheWindowSystemReportsLiesOnTheScreen)
{
    launch(1);
    const struct
    {
        const char *name;
        std::function<QWidget *(WindowPlacementTest &)> window;
    } windows[] = {{"document", [](WindowPlacementTest &t) -> QWidget * { return t.window(0); }},
                   {"inspector",
                    [](WindowPlacementTest &) { return CAPropertiesController::sharedPropertiesController()->window(); }}};
    const QPoint places[] = {QPoint(200, -100), QPoint(1400, 900), QPoint(-300, 500), QPoint(0, 0)};
    for (const auto &row : windows) {
        QWidget *window = row.window(*this);
        ASSERT_TRUE(window) << row.name;
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window)) << row.name;
        for (const QPoint &at : places) {
            SCOPED_TRACE(testing::Message() << row.name << " at " << at.x() << "," << at.y());
            window->move(at);
            QCoreApplication::processEvents();
            CAWindowPlacement::placeInside(window, room);
            QCoreApplication::processEvents();
            const QRect frame = window->frameGeometry();
            const QRect contents = window->geometry();
            ASSERT_NE(frame, contents) << "the window system reports no frame to measure";
            EXPECT_TRUE(frame.contains(contents));
            EXPECT_GE(frame.top(), room.top()) << "the title bar is on the screen";
            EXPECT_TRUE(room.contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width() << "x"
                                              << frame.height();
        }
        window->hide();
    }
}

// The country menu of the main menu's address panel entries, open on the screen: one column
// inside the screen, every country whole, and every one reached with the arrow keys.
TEST_F(WindowPlacementTest, EveryCountryOfTheMenuCanBeReachedWhole)
{
    launch(1);
    QMenu *menu = controller->mainMenu().menu(u"Format/Address Panel/Country"_s);
    ASSERT_TRUE(menu);
    QList<QAction *> countries;
    for (QAction *action : menu->actions())
        if (!action->isSeparator())
            countries.append(action);
    ASSERT_GT(countries.size(), 200);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    menu->popup(screen.topLeft() + QPoint(40, 40));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    // One column no taller and no wider than the screen (where Qt puts a scrolling menu of the
    // screen's height is its own affair).
    EXPECT_LE(menu->width(), screen.width());
    EXPECT_LE(menu->height(), screen.height());
    EXPECT_GE(menu->y(), screen.top());

    const QFontMetrics metrics(menu->font());
    std::set<QString> reached;
    for (QAction *country : std::as_const(countries)) {
        // As the arrow keys and the scroll arrows bring it in.
        menu->setActiveAction(country);
        const QRect place = menu->actionGeometry(country);
        EXPECT_TRUE(menu->rect().contains(place)) << country->text().toStdString();
        EXPECT_GT(place.width(), metrics.horizontalAdvance(country->text())) << country->text().toStdString();
        if (menu->rect().contains(place))
            reached.insert(country->text());
    }
    menu->close();
    for (const char *country : {"United Kingdom", "United States"})
        EXPECT_EQ(reached.count(QString::fromLatin1(country)), 1u) << country;
    EXPECT_EQ(reached.size(), size_t(countries.size()));
}

} // namespace
