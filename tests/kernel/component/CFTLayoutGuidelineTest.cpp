#include "kernel/component/CFTLayoutGuideline.h"

#include "kernel/render/CDDDrawer.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(CFTLayoutGuidelineTest, NewGuidelinesSitOnAWholePointAndLockedOnesAreNeitherPickedNorMoved)
{
    CFTLayoutGuideline guideline(gtVertical, 72.9);
    EXPECT_DOUBLE_EQ(guideline.getOrigin(), 72.0);
    guideline.StartOperation(operMovePending, nullptr, 0, 0);
    guideline.Move(0.4, 99, nullptr);
    EXPECT_DOUBLE_EQ(guideline.getOrigin(), 72.4);
    EXPECT_DOUBLE_EQ(CFTLayoutGuideline(gtHorizontal, -3.5).getOrigin(), -3.0);
    CFTLayoutGuideline horizontal(gtHorizontal, 50);
    bool selected = false;
    actionType action = actionNone;
    EXPECT_EQ(horizontal.PickMe(1000, 51, selected, 2, action, 0), &horizontal);
    EXPECT_EQ(horizontal.PickMe(0, 52, selected, 2, action, 0), nullptr);
    horizontal.Lock();
    EXPECT_TRUE(horizontal.isLocked());
    EXPECT_EQ(horizontal.PickMe(0, 50, selected, 2, action, 0), nullptr);
    horizontal.Move(0, 10, nullptr);
    EXPECT_DOUBLE_EQ(horizontal.getOrigin(), 50);
    SRect rect;
    EXPECT_EQ(horizontal.getCursorRectsByType(cursorResizeVertical, &rect, true, 4), 0);
    horizontal.Unlock();
    EXPECT_EQ(horizontal.getCursorRectsByType(cursorResizeVertical, &rect, true, 4), 1);
    EXPECT_EQ(rect, (SRect{-1e6, 47.5, 2e6, 5}));
    EXPECT_EQ(horizontal.getCursorRectsByType(cursorResizeHorizontal, &rect, true, 4), 0);
}

TEST(CFTLayoutGuidelineTest, SnapsOnlyAlongItsOwnAxisAndRaisesASmallDrawBottomToOne)
{
    const CFTLayoutGuideline vertical(gtVertical, 30);
    float values[2] = {0, 0};
    EXPECT_EQ(QList<int>({vertical.getYSnapArrayFrom(values), vertical.getXSnapArrayTo(values), vertical.getXSnapArrayFrom({}), vertical.getYSnapArrayTo({})}),
              QList<int>({0, 1, 1, 0}));
    EXPECT_EQ(QList<float>({values[0], vertical.getMinSnapXFrom(), vertical.getMinSnapYFrom()}), QList<float>({30, 30, 1e6f}));
    const CFTLayoutGuideline horizontal(gtHorizontal, 40);
    EXPECT_EQ(horizontal.getYSnapArrayTo(values), 1);
    EXPECT_EQ(QList<float>({values[0], horizontal.getMaxSnapXTo(), horizontal.getMaxSnapYFrom()}), QList<float>({40, -1e6f, 40}));
    CFTLayoutGuideline moved(gtHorizontal, 0);
    moved.StartOperation(operMovePending, nullptr, 0, 0);
    moved.Move(0, 0.2, nullptr);
    double l, t, r, b;
    moved.GetDrawRect(&l, &t, &r, &b, false);
    EXPECT_NEAR(t, -0.3, 1e-12);
    EXPECT_EQ(QList<double>({l, r, b}), QList<double>({-1e6, 1e6, 1.0}));
    const CFTLayoutGuideline visible(gtVertical, 100);
    const QRectF redraw = visible.GetNSDrawRect(QRectF(0, 10, 500, 400), 4);
    EXPECT_NEAR(QLineF(redraw.topLeft(), QPointF(99.5 - 0.5 - 2, 10)).length(), 0, 1e-4);
    EXPECT_NEAR(redraw.width(), 1 + 1 + 4, 1e-4);
}

// The darkest pixel of a short run of a row or column: where a thin band was painted.
QColor darkest(const QImage &image, QPoint from, QPoint step, int count)
{
    QColor found(Qt::white);
    for (QPoint p = from; count-- > 0; p += step)
        if (image.pixelColor(p).lightness() < found.lightness())
            found = image.pixelColor(p);
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
        const QColor line = darkest(image, QPoint(38, y), QPoint(1, 0), 4);
        EXPECT_NE(line, QColor(Qt::white)) << y;
        EXPECT_GT(line.blue(), line.red()) << y;
    }
    EXPECT_EQ(darkest(image, QPoint(55, 30), QPoint(1, 0), 16), QColor(Qt::white));
    // The locked line spans only the given rectangle.
    EXPECT_NE(darkest(image, QPoint(75, 18), QPoint(0, 1), 4), QColor(Qt::white));
    EXPECT_EQ(darkest(image, QPoint(10, 19), QPoint(0, 1), 2), QColor(Qt::white));
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
    EXPECT_EQ(QList<double>({double(loaded->getType()), loaded->getOrigin(), double(loaded->isLocked())}), QList<double>({gtVertical, 120, 1}));
    CDDArchive withoutType(false);
    withoutType.Attach(PWPlist(PWPlist::Dictionary {{key_Origin, PWPlist::fromString(QStringLiteral("8"))},
                                                    {key_LayoutGuidelineType, PWPlist::fromString(QStringLiteral("7"))}}));
    CFTLayoutGuideline fromFile;
    fromFile.Serialize(withoutType, nullptr);
    EXPECT_EQ(QList<double>({double(fromFile.getType()), fromFile.getOrigin()}), QList<double>({gtHorizontal, 8}));
}

} // namespace
