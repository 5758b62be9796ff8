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
    // The document window round the page, which panels stand off where they can.
    QRect window = QRect();
};

class CAFloatingPanelsLeastSizeTest : public testing::TestWithParam<SizedScreenCase>
{
};

// Colours (fixed), fonts, addresses, design, inspector: their sizes and least sizes.
const QList<std::pair<QSize, QSize>> kStartPanels = {{{533, 438}, {533, 438}},
                                                     {{504, 394}, {323, 309}},
                                                     {{384, 474}, {384, 276}},
                                                     {{264, 454}, {224, 259}},
                                                     {{406, 504}, {406, 490}}};

TEST_P(CAFloatingPanelsLeastSizeTest, PanelsShrinkToTheirLeastSizeRatherThanCoverOneAnother)
{
    const SizedScreenCase &param = GetParam();
    QList<QRect> placed;
    for (const auto &[size, least] : kStartPanels) {
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

// At a first start every panel opens, whatever the screen: inside it, at a size it can take, off
// the page wherever the screen has room off it. The panels stand clear of each other where they
// can: one stands over another only where no place is left clear of the page and of those that
// stand clear, and then leaves the page and the window's title bar in reach where the screen has
// such a place, and its own title bar shows on the usual screens; on the larger screens every
// panel stands clear.
TEST_P(CAFloatingPanelsLeastSizeTest, AtAFirstStartEveryPanelOpensAndStandsClearWhereItCan)
{
    const SizedScreenCase &param = GetParam();
    QList<QSize> sizes;
    QList<QSize> least;
    for (const auto &[size, smallest] : kStartPanels) {
        sizes << size;
        least << smallest;
    }
    const QList<QRect> window = param.window.isValid() ? QList<QRect> {param.window} : QList<QRect>();
    const QList<QRect> frames = CAFloatingPanels::firstStartFrames(sizes, least, param.room, {param.page}, window);
    ASSERT_EQ(frames.size(), sizes.size());
    // The panels that stand clear of each other, the ones the work is done in first; the others
    // stand over some of them.
    QList<QRect> clear;
    QList<qsizetype> over;
    for (qsizetype i = 0; i < frames.size(); ++i) {
        const QRect &frame = frames.at(i);
        ASSERT_FALSE(frame.isEmpty()) << param.name << ": panel " << i << " stays closed";
        EXPECT_TRUE(param.room.contains(frame)) << param.name << " panel " << i;
        EXPECT_TRUE(frame.width() >= least.at(i).width() && frame.height() >= least.at(i).height()) << param.name << " panel " << i;
        EXPECT_TRUE(frame.width() <= sizes.at(i).width() && frame.height() <= sizes.at(i).height()) << param.name << " panel " << i;
        if (clearSpotExists(least.at(i), param.room, {param.page})) {
            EXPECT_FALSE(frame.intersects(param.page)) << param.name << ": panel " << i << " covers the page";
        }
    }
    for (qsizetype i = frames.size() - 1; i >= 0; --i) {
        if (std::any_of(clear.begin(), clear.end(), [&](const QRect &other) { return other.intersects(frames.at(i)); }))
            over << i;
        else
            clear << frames.at(i);
    }
    for (const qsizetype i : std::as_const(over)) {
        const QRect &frame = frames.at(i);
        EXPECT_FALSE(clearSpotExists(least.at(i), param.room, clear + QList<QRect> {param.page}))
            << param.name << ": panel " << i << " stands over another with a clear place left";
        // The document window's title bar stays in reach where the screen leaves a place for that.
        for (const QRect &title : std::as_const(window)) {
            const QRect bar(title.topLeft(), QSize(title.width(), 28));
            if (clearSpotExists(frame.size(), param.room, {bar, param.page})) {
                EXPECT_FALSE(frame.intersects(bar)) << param.name << ": panel " << i << " covers the window's title bar";
            }
        }
    }
    // On the screens of 1280 pixels and more every panel's title bar shows somewhere, to be taken
    // and moved: none lies wholly under the panels opened after it (in the order of the panels,
    // the inspector last, on top).
    for (qsizetype i = 0; i < frames.size() && param.room.width() >= 1280; ++i) {
        const QRect bar(frames.at(i).topLeft(), QSize(frames.at(i).width(), 28));
        bool free = false;
        for (int x = bar.left(); x <= bar.right() && !free; x += 2) {
            for (int y = bar.top(); y <= bar.bottom() && !free; y += 2) {
                free = std::none_of(frames.begin() + i + 1, frames.end(), [&](const QRect &above) { return above.contains(x, y); });
            }
        }
        EXPECT_TRUE(free) << param.name << ": the title bar of panel " << i << " lies under the others";
    }
    if (param.room.width() >= 1600) {
        EXPECT_TRUE(over.isEmpty()) << param.name << ": a larger screen has room for every panel";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Screens, CAFloatingPanelsLeastSizeTest,
    testing::Values(SizedScreenCase {"s1600x1000", QRect(0, 0, 1600, 1000), QRect(62, 216, 586, 222)},
                    SizedScreenCase {"s1280x800", QRect(0, 0, 1280, 800), QRect(62, 216, 586, 222)},
                    SizedScreenCase {"s1920x1080", QRect(0, 0, 1920, 1080), QRect(62, 216, 586, 222)},
                    SizedScreenCase {"s1280x800BesideItsWindow", QRect(0, 0, 1280, 800), QRect(62, 216, 586, 222),
                                     QRect(0, 20, 727, 590)},
                    SizedScreenCase {"s1600x1000BesideItsWindow", QRect(0, 0, 1600, 1000), QRect(62, 216, 586, 222),
                                     QRect(0, 20, 727, 590)},
                    // 1920 x 1080 at 200 % and 1280 x 800 at 150 %, screens smaller in logical pixels,
                    // the page as large as at 100 %; and a page that leaves room beside it.
                    SizedScreenCase {"s1920x1080At200", QRect(0, 0, 960, 540), QRect(62, 192, 586, 222), QRect(0, 0, 727, 540)},
                    SizedScreenCase {"s1280x800At150", QRect(0, 0, 853, 533), QRect(62, 189, 586, 222), QRect(0, 0, 727, 533)},
                    SizedScreenCase {"s1920x1080At200SmallPage", QRect(0, 0, 960, 540), QRect(20, 110, 380, 300),
                                     QRect(0, 20, 440, 480)},
                    SizedScreenCase {"s1280x800At150SmallPage", QRect(0, 0, 853, 533), QRect(30, 150, 390, 150),
                                     QRect(0, 20, 480, 400)}),
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
