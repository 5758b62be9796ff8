// Layout guidelines: placement, locking, snapping, picking, rectangles and archive.

#include "kernel/foundation/CFTLayoutGuideline.h"

#include "kernel/foundation/CDDDrawer.h"
#include "kernel/foundation/CDDArchive.h"
#include "kernel/foundation/CDDArchiveKeys.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(CFTLayoutGuidelineTest, NewGuidelineSitsOnAWholePointAndMovesFreely)
{
    CFTLayoutGuideline guideline(gtVertical, 72.9);
    EXPECT_DOUBLE_EQ(guideline.getOrigin(), 72.0);
    guideline.StartOperation(omMove, nullptr, 0, 0);
    guideline.Move(0.4, 99, nullptr);
    EXPECT_DOUBLE_EQ(guideline.getOrigin(), 72.4);
    EXPECT_DOUBLE_EQ(CFTLayoutGuideline(gtHorizontal, -3.5).getOrigin(), -3.0);
}

TEST(CFTLayoutGuidelineTest, LockedGuidelineIsNeitherPickedNorMoved)
{
    CFTLayoutGuideline guideline(gtHorizontal, 50);
    bool selected = false;
    actionType action = atNothing;
    EXPECT_EQ(guideline.PickMe(1000, 51, selected, 2, action, 0), &guideline);
    EXPECT_EQ(guideline.PickMe(0, 52, selected, 2, action, 0), nullptr);
    guideline.Lock();
    EXPECT_TRUE(guideline.isLocked());
    EXPECT_EQ(guideline.PickMe(0, 50, selected, 2, action, 0), nullptr);
    guideline.Move(0, 10, nullptr);
    EXPECT_DOUBLE_EQ(guideline.getOrigin(), 50);
    SRect rect;
    EXPECT_EQ(guideline.getCursorRectsByType(crTopBottom, &rect, true, 4), 0);
    guideline.Unlock();
    EXPECT_EQ(guideline.getCursorRectsByType(crTopBottom, &rect, true, 4), 1);
    EXPECT_EQ(rect, (SRect{-1e6, 47.5, 2e6, 5}));
    EXPECT_EQ(guideline.getCursorRectsByType(crLeftRight, &rect, true, 4), 0);
}

TEST(CFTLayoutGuidelineTest, SnapsOnlyAlongItsOwnAxis)
{
    const CFTLayoutGuideline vertical(gtVertical, 30);
    float values[2] = {0, 0};
    EXPECT_EQ(vertical.getYSnapArrayFrom(values), 0);
    EXPECT_EQ(vertical.getXSnapArrayTo(values), 1);
    EXPECT_FLOAT_EQ(values[0], 30);
    EXPECT_EQ(vertical.getXSnapArrayFrom(nullptr), 0);
    EXPECT_FLOAT_EQ(vertical.getMinSnapXFrom(), 30);
    EXPECT_FLOAT_EQ(vertical.getMinSnapYFrom(), 1e6f);
    const CFTLayoutGuideline horizontal(gtHorizontal, 40);
    EXPECT_EQ(horizontal.getYSnapArrayTo(values), 1);
    EXPECT_FLOAT_EQ(values[0], 40);
    EXPECT_FLOAT_EQ(horizontal.getMaxSnapXTo(), -1e6f);
    EXPECT_FLOAT_EQ(horizontal.getMaxSnapYFrom(), 40);
}

TEST(CFTLayoutGuidelineTest, DrawRectangleRaisesASmallBottomToOne)
{
    CFTLayoutGuideline horizontal(gtHorizontal, 0);
    horizontal.StartOperation(omMove, nullptr, 0, 0);
    horizontal.Move(0, 0.2, nullptr);
    double l, t, r, b;
    horizontal.GetDrawRect(&l, &t, &r, &b, false);
    EXPECT_DOUBLE_EQ(l, -1e6);
    EXPECT_NEAR(t, -0.3, 1e-12);
    EXPECT_DOUBLE_EQ(r, 1e6);
    EXPECT_DOUBLE_EQ(b, 1.0);
    const CFTLayoutGuideline vertical(gtVertical, 100);
    const QRectF redraw = vertical.GetNSDrawRect(QRectF(0, 10, 500, 400), 4);
    EXPECT_NEAR(redraw.left(), 99.5 - 0.5 - 2, 1e-4);
    EXPECT_NEAR(redraw.width(), 1 + 1 + 4, 1e-4);
    EXPECT_NEAR(redraw.top(), 10, 1e-4);
}

// The darkest pixel of a column: where a thin band was painted.
QColor darkest(const QImage &image, int x0, int x1, int y)
{
    QColor found(Qt::white);
    for (int x = x0; x <= x1; ++x) {
        if (image.pixelColor(x, y).lightness() < found.lightness())
            found = image.pixelColor(x, y);
    }
    return found;
}

TEST(CFTLayoutGuidelineTest, DrawsAcrossTheVisibleRectangle)
{
    QImage image(100, 60, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    CDDDrawer drawer(true, &painter);
    CFTLayoutGuideline(gtVertical, 40).Draw(&drawer, 0, 0, 100, 60, false);
    CFTLayoutGuideline locked(gtHorizontal, 20);
    locked.Lock();
    locked.Draw(&drawer, 50, 0, 50, 60, false);
    painter.end();
    for (const int y : {1, 30, 58}) {
        const QColor line = darkest(image, 38, 41, y);
        EXPECT_NE(line, QColor(Qt::white)) << y;
        EXPECT_GT(line.blue(), line.red()) << y;
    }
    EXPECT_EQ(darkest(image, 55, 70, 30), QColor(Qt::white));
    // The locked line spans only the given rectangle, in its darker colour.
    QColor lockedLine(Qt::white);
    for (int y = 18; y <= 21; ++y) {
        if (image.pixelColor(75, y).lightness() < lockedLine.lightness())
            lockedLine = image.pixelColor(75, y);
    }
    EXPECT_NE(lockedLine, QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(10, 19), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(10, 20), QColor(Qt::white));
}

TEST(CFTLayoutGuidelineTest, ArchiveRoundTripAndMissingType)
{
    CFTLayoutGuideline original(gtVertical, 120);
    original.Lock();
    CDDArchive archive(true);
    EXPECT_TRUE(original.Serialize(archive, nullptr));
    EXPECT_EQ(CFTLayoutGuideline::SerializeFromArchive(archive, nullptr), nullptr);
    archive.setStoring(false);
    std::vector<CFTLayoutGuideline *> list;
    std::unique_ptr<CFTLayoutGuideline> loaded(CFTLayoutGuideline::SerializeFromArchive(archive, &list));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(list, std::vector<CFTLayoutGuideline *> {loaded.get()});
    EXPECT_EQ(loaded->getType(), gtVertical);
    EXPECT_DOUBLE_EQ(loaded->getOrigin(), 120);
    EXPECT_TRUE(loaded->isLocked());
    CDDArchive withoutType(false);
    withoutType.Attach(PWPlist(PWPlist::Dictionary {{key_Origin, PWPlist::fromString(QStringLiteral("8"))},
                                                    {key_LayoutGuidelineType, PWPlist::fromString(QStringLiteral("7"))}}));
    CFTLayoutGuideline fromFile;
    fromFile.Serialize(withoutType, nullptr);
    EXPECT_EQ(fromFile.getType(), gtHorizontal);
    EXPECT_DOUBLE_EQ(fromFile.getOrigin(), 8);
}

} // namespace
