// Panels shown for the first time stand beside each other, never over each other.
#include "app/shell/CAFloatingPanels.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

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

} // namespace
