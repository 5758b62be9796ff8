#include "kernel/foundation/FTGeometry.h"

#include "platform/PWBezierPath.h"

#include <QRectF>
#include <QTransform>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

TEST(FTGeometryTest, RotatePointTurnsClockwiseOnAYDownPage)
{
    double x = 20.0;
    double y = 10.0;
    rotatePoint(&x, &y, kPi / 2.0, 10.0, 10.0);
    // The point right of the centre ends below it: clockwise on the page.
    EXPECT_NEAR(x, 10.0, 1e-12);
    EXPECT_NEAR(y, 20.0, 1e-12);
    rotatePoint(&x, &y, -kPi / 2.0, 10.0, 10.0);
    EXPECT_NEAR(x, 20.0, 1e-12);
    EXPECT_NEAR(y, 10.0, 1e-12);
}

TEST(FTGeometryTest, RotatePointIgnoresNullPointers)
{
    double x = 3.0;
    rotatePoint(&x, nullptr, 1.0, 0.0, 0.0);
    EXPECT_EQ(x, 3.0);
    double y = 4.0;
    rotatePoint(nullptr, &y, 1.0, 0.0, 0.0);
    EXPECT_EQ(y, 4.0);
}

struct PointCase { const char *name; double px, py, x1, y1, x2, y2, tolerance; bool hit; };

class IsPointInRectTest : public ::testing::TestWithParam<PointCase> {};

TEST_P(IsPointInRectTest, AnswersWhetherThePointIsNearTheSegment)
{
    const PointCase &c = GetParam();
    EXPECT_EQ(IsPointInRect(c.px, c.py, c.x1, c.y1, c.x2, c.y2, c.tolerance), c.hit);
}

INSTANTIATE_TEST_SUITE_P(Cases, IsPointInRectTest,
    ::testing::Values(PointCase { "OnTheSegment", 5, 0, 0, 0, 10, 0, 0.5, true },
                      PointCase { "BeyondToleranceOfADiagonal", 5, 6, 0, 0, 10, 10, 0.5, false },
                      PointCase { "NearTheLineButPastTheEnd", 20, 0, 0, 0, 10, 0, 0.5, false },
                      // 0.9 points away from a one-point segment: a distance truncated to a whole
                      // number would call this a hit.
                      PointCase { "FractionalDistanceIsExact", 0.5, 0.9, 0, 0, 1, 0, 0.5, false },
                      PointCase { "ZeroLengthSegmentHitNearby", 10.3, 9.8, 10, 10, 10, 10, 0.5, true },
                      PointCase { "ZeroLengthSegmentMissed", 11, 11, 10, 10, 10, 10, 0.5, false }),
    [](const ::testing::TestParamInfo<PointCase> &info) { return info.param.name; });

struct SegmentCase { const char *name; double x1, y1, x2, y2, x3, y3, x4, y4; bool meet; };

class IsLinesIntersectedTest : public ::testing::TestWithParam<SegmentCase> {};

TEST_P(IsLinesIntersectedTest, AnswersWhetherTheSegmentsMeet)
{
    const SegmentCase &c = GetParam();
    EXPECT_EQ(IsLinesIntersected(c.x1, c.y1, c.x2, c.y2, c.x3, c.y3, c.x4, c.y4), c.meet);
    // Meeting does not depend on which segment comes first or which way it runs.
    EXPECT_EQ(IsLinesIntersected(c.x3, c.y3, c.x4, c.y4, c.x1, c.y1, c.x2, c.y2), c.meet);
    EXPECT_EQ(IsLinesIntersected(c.x2, c.y2, c.x1, c.y1, c.x4, c.y4, c.x3, c.y3), c.meet);
}

INSTANTIATE_TEST_SUITE_P(Cases, IsLinesIntersectedTest,
    ::testing::Values(SegmentCase {"Crossing", 0, 0, 10, 10, 0, 10, 10, 0, true},
                      SegmentCase {"TouchingAtAnEnd", 0, 0, 10, 0, 5, 0, 5, 10, true},
                      SegmentCase {"ApartNotParallel", 0, 0, 10, 0, 20, -5, 20, 5, false},
                      SegmentCase {"VerticalCrossingHorizontal", 5, -5, 5, 5, 0, 0, 10, 0, true},
                      SegmentCase {"VerticalMissingHorizontal", 5, 1, 5, 5, 0, 0, 10, 0, false},
                      // Parallel vertical segments at different x never meet, whatever their y ranges.
                      SegmentCase {"VerticalAtDifferentX", 0, 0, 0, 10, 5, 5, 5, 15, false},
                      SegmentCase {"VerticalOverlapping", 3, 0, 3, 10, 3, 5, 3, 15, true},
                      SegmentCase {"VerticalSharingAnEnd", 3, 0, 3, 10, 3, 10, 3, 20, true},
                      SegmentCase {"VerticalApart", 3, 0, 3, 10, 3, 11, 3, 20, false},
                      SegmentCase {"HorizontalSharingAnEnd", 0, 0, 10, 0, 10, 0, 20, 0, true},
                      SegmentCase {"HorizontalApartOnOneLine", 0, 0, 10, 0, 11, 0, 20, 0, false},
                      SegmentCase {"HorizontalParallel", 0, 0, 10, 0, 0, 1, 10, 1, false},
                      SegmentCase {"DiagonalOverlapping", 0, 0, 10, 10, 5, 5, 15, 15, true},
                      SegmentCase {"PointOnSegment", 0, 0, 10, 0, 4, 0, 4, 0, true},
                      SegmentCase {"PointOffSegment", 0, 0, 10, 0, 4, 1, 4, 1, false}),
    [](const ::testing::TestParamInfo<SegmentCase> &info) { return info.param.name; });

constexpr float mmToPoints(float mm)
{
    return mm / 25.4f * 72.0f;
}

struct SizeGroupCase { const char *name; float widthMm; float heightMm; documentType type; int group; };

class SizeGroupTest : public ::testing::TestWithParam<SizeGroupCase> {};

TEST_P(SizeGroupTest, FindsTheGroupOfThePaperSize)
{
    const SizeGroupCase &c = GetParam();
    EXPECT_EQ(getSizeGroupType(mmToPoints(c.widthMm), mmToPoints(c.heightMm), c.type), c.group);
}

INSTANTIATE_TEST_SUITE_P(Cases, SizeGroupTest,
                         ::testing::Values(SizeGroupCase {"PostcardSmall", 90, 140, dtPostcard, 81},
                                           SizeGroupCase {"EnvelopeBeyondEveryRow", 20000, 11000, dtEnvelope, 62},
                                           // DL: short side 110 mm, ratio 220.1 / 110 just above 2.0.
                                           SizeGroupCase {"EnvelopeDL", 110, 220, dtEnvelope, 58},
                                           SizeGroupCase {"LabelNarrowAnyRatio", 10, 90, dtLabel, 1},
                                           // Short side between 12 and 16.5 mm with a ratio below 3.0: the row before
                                           // the first large enough row.
                                           SizeGroupCase {"LabelFallsBackToRowBefore", 14, 28, dtLabel, 2},
                                           // Between the ratios 3.0 and 3.5 the nearer one wins.
                                           SizeGroupCase {"LabelNearerToLowerRatio", 14, 43, dtLabel, 1},
                                           SizeGroupCase {"LabelNearerToUpperRatio", 14, 48, dtLabel, 2},
                                           // A square label: the 0.1 mm added to the height makes it the long side.
                                           SizeGroupCase {"LabelSquareInch", 25.4f, 25.4f, dtLabel, 3},
                                           SizeGroupCase {"LabelBeyondEveryRow", 1200, 1500, dtLabel, 30},
                                           SizeGroupCase {"UnknownTypeUsesLabelTable", 10, 90, dtUnknown, 1}),
                         [](const ::testing::TestParamInfo<SizeGroupCase> &info) { return info.param.name; });

TEST(FTGeometryTest, SizeGroupOfADegenerateSizeIsTheFirstRow)
{
    EXPECT_EQ(getSizeGroupType(0.0f, 0.0f, dtLabel), 1);
    EXPECT_EQ(getSizeGroupType(-50.0f, 100.0f, dtEnvelope), 51);
}

PWBezierPath squareOutline(double x, double y, double side)
{
    QPainterPath path;
    path.addRect(x, y, side, side);
    return PWBezierPath(path);
}

TEST(FTGeometryTest, WrapExtensionFillsTheSideWithoutText)
{
    const QRectF frame(0, 0, 100, 50);
    PWBezierPath right = squareOutline(10, 10, 20);
    modifyPathForWrapType(&right, twTextOnLeft, frame, 0.0);
    EXPECT_EQ(right.path().boundingRect(), QRectF(10, 10, 90, 20));
    EXPECT_TRUE(right.path().contains(QPointF(90, 20)));
    EXPECT_FALSE(right.path().contains(QPointF(5, 20)));
    PWBezierPath left = squareOutline(40, 10, 20);
    modifyPathForWrapType(&left, twTextOnRight, frame, 0.0);
    // The extension runs from the object's right side to the frame's left edge.
    EXPECT_EQ(left.path().boundingRect(), QRectF(0, 10, 60, 20));
    EXPECT_TRUE(left.path().contains(QPointF(5, 20)));
}

TEST(FTGeometryTest, WrapExtensionOnlyForLeftAndRightWrap)
{
    for (textWrap wrap : { twTextAboveAndBelow, twNoWrap, twMostSpace }) {
        PWBezierPath outline = squareOutline(10, 10, 20);
        const PWBezierPath before = outline;
        modifyPathForWrapType(&outline, wrap, QRectF(0, 0, 100, 50), 0.0);
        EXPECT_EQ(outline, before) << "wrap " << wrap;
    }
    modifyPathForWrapType(nullptr, twTextOnLeft, QRectF(0, 0, 100, 50), 0.0);
}

TEST(FTGeometryTest, WrapExtensionOfATurnedObjectIsTurnedWithIt)
{
    const QRectF frame(0, 0, 100, 50);
    const double angle = kPi / 2.0;
    QTransform turn;
    turn.translate(50, 25);
    turn.rotateRadians(angle);
    turn.translate(-50, -25);
    // The object stands turned on the page; measured in its own frame it is the square again.
    PWBezierPath outline(turn.map(squareOutline(60, 15, 20).path()));
    modifyPathForWrapType(&outline, twTextOnLeft, frame, angle);
    const QRectF own = turn.inverted().map(outline.path()).boundingRect();
    // At a quarter turn the extension starts on the object's left side and reaches the frame's
    // right edge, both measured unturned.
    EXPECT_NEAR(own.left(), 60.0, 1e-9);
    EXPECT_NEAR(own.right(), 100.0, 1e-9);
    EXPECT_NEAR(own.top(), 15.0, 1e-9);
    EXPECT_NEAR(own.bottom(), 35.0, 1e-9);
}

} // namespace
