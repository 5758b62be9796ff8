// The separator: squared at the end of every operation, and its own line width in the archive.

#include "kernel/drawing/CFTSeparator.h"

#include "kernel/foundation/CDDArchive.h"

#include <gtest/gtest.h>

namespace {

TEST(CFTSeparatorTest, EndOfOperationSquaresTheLine)
{
    // Wider than tall, negative width taller still, negative width, negative height, equal counts as horizontal.
    for (const auto &[before, after, vertical] : {std::tuple {QRectF(10, 10, 60, 25), QRectF(10, 10, 60, 0), false},
                                                  {QRectF(10, 10, -40, 70), QRectF(10, 10, 0, 70), true},
                                                  {QRectF(100, 10, -50, 20), QRectF(50, 10, 50, 0), false},
                                                  {QRectF(10, 100, 5, -30), QRectF(10, 70, 0, 30), true},
                                                  {QRectF(0, 0, 30, 30), QRectF(0, 0, 30, 0), false}}) {
        CFTSeparator separator(before.x(), before.y(), before.width(), before.height(), nullptr);
        separator.StartOperation(omMove, nullptr, 0, 6);
        separator.EndOperation(omMove);
        EXPECT_EQ(separator.GetNSBoundRect(), after) << before.width() << "x" << before.height();
        EXPECT_EQ(separator.isVert(), vertical);
    }
}

TEST(CFTSeparatorTest, BoundsCarryTheLineWidth)
{
    CFTSeparator separator(10, 20, 100, 0, nullptr);
    separator.SetLineWidth(4);
    EXPECT_EQ(separator.GetNSDrawRect(false, 0), QRectF(8, 16, 106, 10));
    EXPECT_EQ(separator.GetNSDrawRect(true, 6), QRectF(5, 15, 112, 12));
    // A line shorter than a point still covers one; null outputs are skipped.
    double r, b;
    CFTSeparator near(0, 0, 0.2, 0, nullptr);
    near.GetDrawRect(nullptr, nullptr, &r, &b, false);
    EXPECT_DOUBLE_EQ(r, 1.2);
    EXPECT_DOUBLE_EQ(b, 1.0);
}

TEST(CFTSeparatorTest, SavesOnePenWidthThatBothPensTake)
{
    CFTSeparator separator(1, 2, 50, 0, nullptr);
    separator.SetLineWidth(2.5);
    CDDArchive archive(true);
    separator.Serialize(archive, nullptr);
    archive.setStoring(false);
    CFTSeparator loaded;
    loaded.Serialize(archive, nullptr);
    EXPECT_EQ(QList<float>({loaded.GetStrokeWidth(), loaded.CFTComponent::GetStrokeWidth()}), QList<float>({2.5f, 2.5f}));
    EXPECT_TRUE(loaded.IsStroked());
}

} // namespace
