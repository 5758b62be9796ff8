// Circle text: ellipse lengths and arc walks, and glyphs placed on a circle and an ellipse.
#include "kernel/text/CCircleText.h"

#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace Qt::StringLiterals;

namespace {

TEST(CCircleTextTest, LengthsOfCirclesAndEllipses)
{
    EXPECT_DOUBLE_EQ(CCircleText::calculateEllipseLength(10, 10), 20.0 * std::numbers::pi);
    // Ramanujan's approximation of an ellipse of radii 200 and 100.
    const double a = 200.0, b = 100.0;
    const double h = (a - b) * (a - b) / ((a + b) * (a + b));
    const double expected = std::numbers::pi * (a + b) * (1.0 + 3.0 * h / (10.0 + std::sqrt(4.0 - 3.0 * h)));
    EXPECT_NEAR(CCircleText::calculateEllipseLength(a, b), expected, expected * 1e-3);
}

TEST(CCircleTextTest, ArcWalksAndStartAngles)
{
    EXPECT_DOUBLE_EQ(CCircleText::calculateAngleForArcLength(1.0, true, 50, 50, 25), 1.5);
    EXPECT_DOUBLE_EQ(CCircleText::calculateAngleForArcLength(1.0, false, 50, 50, 25), 0.5);
    // A quarter of an ellipse's perimeter walks a quarter turn.
    const double quarter = CCircleText::calculateEllipseLength(200, 100) / 4.0;
    EXPECT_NEAR(CCircleText::calculateAngleForArcLength(0.0, true, 200, 100, quarter), std::numbers::pi / 2.0, 0.01);
    const QPointF centre;
    EXPECT_DOUBLE_EQ(CCircleText::calculateStartTextAngle(true, centre, 50, 50, 1.0, 20, 0), 1.0);
    EXPECT_DOUBLE_EQ(CCircleText::calculateStartTextAngle(true, centre, 50, 50, 1.0, 20, 2), 1.2);
    EXPECT_DOUBLE_EQ(CCircleText::calculateStartTextAngle(true, centre, 50, 50, 1.0, 20, 1), 1.4);
}

TEST(CCircleTextTest, AGlyphIsPlacedOnTheEllipseAndTurnedToItsTangent)
{
    double angle = 0.0;
    QPointF location;
    double t = std::numbers::pi / 2.0;
    CCircleText::calcAngleAndLocation(angle, location, true, QPointF(100, 100), 50, 30, QSizeF(10, 12), t);
    EXPECT_NEAR(location.x(), 100.0, 1e-4);
    EXPECT_NEAR(location.y(), 70.0, 1e-4);
    // At the top the tangent runs horizontally (leftwards as t grows).
    EXPECT_NEAR(std::abs(angle), std::numbers::pi, 0.01);
    // The next glyph starts one glyph width further along the ellipse.
    const double step = t - std::numbers::pi / 2.0;
    EXPECT_NEAR(step * 50.0, 10.0, 0.1);
}

struct GlyphCase
{
    const char *name;
    double rx;
    double ry;
};

class CCircleTextGlyphTest : public testing::TestWithParam<GlyphCase>
{
};

TEST_P(CCircleTextGlyphTest, EveryGlyphLiesOnItsEllipse)
{
    QTextDocument text;
    QTextCharFormat format;
    format.setFontFamilies({u"DejaVu Sans"_s});
    format.setFontPointSize(14.0);
    QTextCursor(&text).insertText(u"ROUND ME\nAB"_s, format);
    std::vector<FTAGlyphLocation> glyphs;
    const QPointF centre(300, 300);
    CCircleText::doDrawCircleText(nullptr, &text, GetParam().rx, GetParam().ry, 0.0, centre, std::numbers::pi / 2.0,
                                  false, 0, glyphs);
    // Eight glyphs on the first line (the blank included), two on the second; the line break none.
    ASSERT_EQ(glyphs.size(), 10u);
    double previousX = -1e9;
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        const double dx = glyphs[i].x - centre.x();
        const double dy = glyphs[i].y - centre.y();
        if (i == 8)
            previousX = -1e9;
        // Points on an ellipse with radii shrunk by the line's offset share one value of
        // (dx/a)^2 + (dy/b)^2 = 1 for some offset; check the first line against the radii.
        if (i < 8) {
            const double onEllipse = (dx * dx) / (GetParam().rx * GetParam().rx) + (dy * dy) / (GetParam().ry * GetParam().ry);
            EXPECT_NEAR(onEllipse, 1.0, 0.02) << i;
            EXPECT_GT(glyphs[i].x, previousX) << "glyphs advance along the top, left to right: " << i;
        }
        EXPECT_LT(glyphs[i].width, 0.0);
        previousX = glyphs[i].x;
    }
    // The second line lies inside the first.
    const double dx = glyphs[8].x - centre.x();
    const double dy = glyphs[8].y - centre.y();
    EXPECT_LT((dx * dx) / (GetParam().rx * GetParam().rx) + (dy * dy) / (GetParam().ry * GetParam().ry), 0.95);
}

INSTANTIATE_TEST_SUITE_P(Cases, CCircleTextGlyphTest,
                         testing::Values(GlyphCase {"Circle", 150, 150}, GlyphCase {"Ellipse", 200, 120}),
                         [](const testing::TestParamInfo<GlyphCase> &info) { return std::string(info.param.name); });

TEST(CCircleTextTest, AnEmptyTextPlacesNoGlyph)
{
    QTextDocument text;
    std::vector<FTAGlyphLocation> glyphs {{1, 2, 3, 4, 5}};
    CCircleText::doDrawCircleText(nullptr, &text, 100, 100, 0.0, QPointF(), 0.0, false, 0, glyphs);
    EXPECT_TRUE(glyphs.empty());
}

} // namespace
