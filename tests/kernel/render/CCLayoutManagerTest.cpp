#include "kernel/render/CCLayoutManager.h"

#include <gtest/gtest.h>

namespace {

TEST(CCLayoutManagerTest, HighlightingTellsTheEditor)
{
    CCLayoutManager manager;
    int collapsed = 0, redrawn = 0;
    manager.collapseSelection = [&collapsed] { ++collapsed; };
    manager.needsDisplay = [&redrawn] { ++redrawn; };
    manager.setHighlightedDataField(3);
    manager.setHighlightedDataField(3);
    EXPECT_EQ(std::pair(collapsed, redrawn), std::pair(1, 0));
    manager.setHighlightedDataField(4);
    manager.setHighlightedDataField(0);
    EXPECT_EQ(std::pair(collapsed, redrawn), std::pair(1, 2));
    EXPECT_EQ(manager.getHighlightedDataField(), 0);
}

} // namespace
