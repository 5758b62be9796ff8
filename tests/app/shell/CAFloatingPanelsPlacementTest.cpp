// Panels shown for the first time stand beside each other, never over each other.
#include "app/shell/CAFloatingPanels.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

TEST(CAFloatingPanelsPlacementTest, PanelsThatDoNotFitInOneColumnStartAnotherToTheLeft)
{
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    CAFloatingPanels panels;
    // Three panels, each taller than a third of the screen: two cannot stand in one column.
    std::vector<std::unique_ptr<QWidget>> windows;
    const int height = room.height() * 2 / 5;
    for (int i = 0; i < 3; ++i) {
        auto window = std::make_unique<QWidget>();
        window->resize(room.width() / 4, height);
        panels.placeOnFirstShow(window.get());
        windows.push_back(std::move(window));
    }
    for (size_t i = 0; i < windows.size(); ++i) {
        const QRect frame(windows[i]->pos(), windows[i]->size());
        EXPECT_TRUE(room.contains(frame)) << i;
        for (size_t j = 0; j < i; ++j)
            EXPECT_FALSE(frame.intersects(QRect(windows[j]->pos(), windows[j]->size()))) << i << " over " << j;
    }
    // A panel the user moved keeps its place.
    QWidget moved;
    moved.move(5, 7);
    panels.placeOnFirstShow(&moved);
    EXPECT_EQ(moved.pos(), QPoint(5, 7));
}

// Whether any frame of the size fits in the room clear of every area, looked for on a fine grid.
bool clearSpotExists(const QSize &size, const QRect &room, const QList<QRect> &taken)
{
    for (int y = room.top(); y + size.height() <= room.bottom() + 1; y += 4) {
        for (int x = room.left(); x + size.width() <= room.right() + 1; x += 4) {
            const QRect frame(QPoint(x, y), size);
            if (std::none_of(taken.begin(), taken.end(), [&](const QRect &area) { return area.intersects(frame); }))
                return true;
        }
    }
    return false;
}

struct ScreenCase
{
    const char *name;
    QRect room;
    // The document's page as its window shows it at first start.
    QRect page;
};

class CAFloatingPanelsFirstStartTest : public testing::TestWithParam<ScreenCase>
{
};

// The five panels of a first start (colour, font, address, design, inspector, with their title
// bars), placed one after the other as the application opens them: inside the screen, clear of
// the page and of each other where the screen has room for that, and never over the page while
// there is room beside it, even if that means standing over another panel.
TEST_P(CAFloatingPanelsFirstStartTest, PanelsLeaveThePageFreeWhereTheScreenHasRoom)
{
    const ScreenCase &param = GetParam();
    const QList<QSize> sizes = {{522, 450}, {440, 330}, {300, 450}, {330, 500}, {340, 500}};
    QList<QRect> placed;
    for (const QSize &size : sizes) {
        const int index = int(placed.size());
        const bool roomForAll = clearSpotExists(size, param.room, placed + QList<QRect> {param.page});
        const bool roomBesidePage = clearSpotExists(size, param.room, {param.page});
        const QRect frame = CAFloatingPanels::placeFrame(size, param.room, {param.page}, placed);
        EXPECT_TRUE(param.room.contains(frame)) << param.name << " panel " << index;
        EXPECT_EQ(frame.size(), size.boundedTo(param.room.size())) << param.name;
        const bool onPanel = std::any_of(placed.begin(), placed.end(), [&](const QRect &other) { return other.intersects(frame); });
        if (roomBesidePage) {
            EXPECT_FALSE(frame.intersects(param.page)) << param.name << ": panel " << index << " covers the page";
        }
        if (roomForAll) {
            EXPECT_FALSE(onPanel) << param.name << ": panel " << index << " covers another with room left";
        }
        placed.append(frame);
    }
}

// The five panels of a first start as they are, with their least sizes and what the window
// manager adds round them: on the screens users have, each stands inside the screen, off the
// page, and off the other panels wherever some size it can take has room for that.
struct SizedScreenCase
{
    const char *name;
    QRect room;
    QRect page;
};

class CAFloatingPanelsLeastSizeTest : public testing::TestWithParam<SizedScreenCase>
{
};

TEST_P(CAFloatingPanelsLeastSizeTest, PanelsShrinkToTheirLeastSizeRatherThanCoverOneAnother)
{
    const SizedScreenCase &param = GetParam();
    // Colours (fixed), fonts, addresses, design, inspector.
    const QList<std::pair<QSize, QSize>> panels = {{{533, 438}, {533, 438}},
                                                   {{504, 394}, {323, 309}},
                                                   {{384, 474}, {384, 276}},
                                                   {{264, 454}, {224, 259}},
                                                   {{406, 504}, {406, 490}}};
    QList<QRect> placed;
    for (const auto &[size, least] : panels) {
        const int index = int(placed.size());
        const bool roomForAll = clearSpotExists(least, param.room, placed + QList<QRect> {param.page});
        const QRect frame = CAFloatingPanels::placeFrame(size, param.room, {param.page}, placed, least);
        EXPECT_TRUE(param.room.contains(frame)) << param.name << " panel " << index;
        EXPECT_GE(frame.width(), least.width());
        EXPECT_GE(frame.height(), least.height());
        EXPECT_LE(frame.width(), size.width());
        EXPECT_LE(frame.height(), size.height());
        if (roomForAll) {
            EXPECT_FALSE(frame.intersects(param.page)) << param.name << ": panel " << index << " covers the page";
            EXPECT_FALSE(std::any_of(placed.begin(), placed.end(), [&](const QRect &other) { return other.intersects(frame); }))
                << param.name << ": panel " << index << " covers another with room left";
        }
        placed.append(frame);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Screens, CAFloatingPanelsLeastSizeTest,
    testing::Values(SizedScreenCase {"s1600x1000", QRect(0, 0, 1600, 1000), QRect(62, 216, 586, 222)},
                    SizedScreenCase {"s1280x800", QRect(0, 0, 1280, 800), QRect(62, 216, 586, 222)},
                    SizedScreenCase {"s1920x1080", QRect(0, 0, 1920, 1080), QRect(62, 216, 586, 222)}),
    [](const testing::TestParamInfo<SizedScreenCase> &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Screens, CAFloatingPanelsFirstStartTest,
    testing::Values(ScreenCase {"full_hd", QRect(0, 0, 1920, 1080), QRect(40, 150, 640, 380)},
                    ScreenCase {"full_hd_with_a_panel_bar", QRect(0, 32, 1920, 1016), QRect(300, 200, 640, 380)},
                    // 1920 x 1080 at 200 %: not all panels fit beside the page and each other.
                    ScreenCase {"double_scale", QRect(0, 0, 960, 540), QRect(20, 110, 380, 300)},
                    // A page wider than the room beside it leaves no panel a place off it.
                    ScreenCase {"page_fills_the_screen", QRect(0, 0, 960, 540), QRect(10, 40, 900, 480)}),
    [](const testing::TestParamInfo<ScreenCase> &info) { return std::string(info.param.name); });

} // namespace
