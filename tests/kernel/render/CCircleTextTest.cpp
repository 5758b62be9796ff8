// Circle text: ellipse lengths and arc walks, and glyphs placed on a circle and an ellipse.
#include "kernel/render/CCircleText.h"

#include "kernel/base/CDDColor.h"
#include "kernel/render/CCircleTextContainer.h"
#include "kernel/render/CDDDrawer.h"
#include "kernel/render/CDDText.h"

#include <QImage>
#include <QPainter>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

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
    bool inside;
};

class CCircleTextGlyphTest : public testing::TestWithParam<GlyphCase>
{
protected:
    // A font's line measured in thirty-seconds of a point: the font's own height, not one
    // rounded up to whole points.
    static constexpr double kUnitsPerPoint = 32.0;
    static QImage fineDevice()
    {
        QImage device(1, 1, QImage::Format_ARGB32_Premultiplied);
        device.setDotsPerMeterX(qRound(72.0 * kUnitsPerPoint / 0.0254));
        device.setDotsPerMeterY(qRound(72.0 * kUnitsPerPoint / 0.0254));
        return device;
    }
    void SetUp() override
    {
        QTextCharFormat format;
        format.setFontFamilies({u"DejaVu Sans"_s});
        format.setFontPointSize(14.0);
        // No descenders, so that every glyph keeps to its side of its baseline.
        QTextCursor(&text).insertText(u"ROUND ME\nAB"_s, format);
        QFont font(u"DejaVu Sans"_s);
        font.setPointSizeF(14.0);
        QImage device = fineDevice();
        QTextLayout probe(u"R"_s, font, &device);
        probe.beginLayout();
        QTextLine line = probe.createLine();
        probe.endLayout();
        ascent = line.ascent() / kUnitsPerPoint;
        lineHeight = line.height() / kUnitsPerPoint;
        // The font's height is no whole number of points: a layout that rounded it would
        // place the second line elsewhere.
        EXPECT_GT(std::abs(lineHeight - std::round(lineHeight)), 0.05);
    }
    QTextDocument text;
    double ascent = 0.0;
    double lineHeight = 0.0;
    const QPointF centre {300, 300};
};

// Outside, the first baseline lies the first line's ascent within the radii, so the tops of
// the glyphs touch the oval; inside, one point within them. Each further line one line lower.
TEST_P(CCircleTextGlyphTest, EveryGlyphsBaselineLiesOnItsLinesEllipse)
{
    const GlyphCase &c = GetParam();
    std::vector<FTAGlyphLocation> glyphs;
    CCircleTextContainer container(QSizeF(500, 500));
    CCircleText::doDrawCircleText(nullptr, false, &text, &container, c.rx, c.ry, 0.0, centre,
                                  c.inside ? -std::numbers::pi / 2.0 : std::numbers::pi / 2.0, c.inside, false, 0,
                                  glyphs);
    EXPECT_EQ(container.containerSize(), QSizeF(500, 500)) << "the container's size is put back";
    // Eight glyphs on the first line (the blank included), two on the second; the line break none.
    ASSERT_EQ(glyphs.size(), 10u);
    const double first = c.inside ? 1.0 : ascent;
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        const double shrink = i < 8 ? first : first + lineHeight;
        const double a = c.rx - shrink, b = c.ry - shrink;
        const double dx = glyphs[i].x - centre.x();
        const double dy = glyphs[i].y - centre.y();
        EXPECT_NEAR((dx * dx) / (a * a) + (dy * dy) / (b * b), 1.0, 1e-4) << i;
        EXPECT_LT(glyphs[i].width, 0.0);
        if (i > 0 && i != 8) {
            // Outside the glyphs run clockwise over the top, inside anticlockwise under the bottom:
            // left to right either way.
            EXPECT_GT(glyphs[i].x, glyphs[i - 1].x) << i;
        }
    }
}

TEST_P(CCircleTextGlyphTest, NothingIsDrawnOutsideTheOvalsFrame)
{
    const GlyphCase &c = GetParam();
    QImage image(600, 600, QImage::Format_ARGB32);
    image.fill(Qt::white);
    std::vector<FTAGlyphLocation> glyphs;
    {
        QPainter painter(&image);
        CCircleTextContainer container;
        CCircleText::doDrawCircleText(&painter, false, &text, &container, c.rx, c.ry, 0.0, centre,
                                      c.inside ? -std::numbers::pi / 2.0 : std::numbers::pi / 2.0, c.inside, false, 0,
                                      glyphs);
    }
    const QRect frame = QRectF(centre.x() - c.rx, centre.y() - c.ry, 2 * c.rx, 2 * c.ry).toAlignedRect();
    int inked = 0, outside = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) > 200)
                continue;
            ++inked;
            if (!frame.adjusted(-1, -1, 1, 1).contains(x, y))
                ++outside;
        }
    }
    EXPECT_GT(inked, 100);
    EXPECT_EQ(outside, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, CCircleTextGlyphTest,
                         testing::Values(GlyphCase {"CircleOutside", 150, 150, false},
                                         GlyphCase {"EllipseOutside", 200, 120, false},
                                         GlyphCase {"CircleInside", 150, 150, true},
                                         GlyphCase {"EllipseInside", 200, 120, true}),
                         [](const testing::TestParamInfo<GlyphCase> &info) { return std::string(info.param.name); });

struct OutlineCase
{
    const char *name;
    bool showOutline;
    bool outlineOnly;
    bool inside;
    double ring; // radius of the dashed circle; 0 for none
};

class CCircleTextOutlineTest : public testing::TestWithParam<OutlineCase>
{
};

// The dashed circle lies just beyond the glyphs' circle inside and just within it outside; the
// outline alone leaves the recorded glyphs as they were.
TEST_P(CCircleTextOutlineTest, TheDashedOvalIsDrawnOnlyWhenAskedForAndWhereTheSideSays)
{
    const OutlineCase &c = GetParam();
    QTextDocument empty;
    QImage image(300, 300, QImage::Format_ARGB32);
    image.fill(Qt::white);
    std::vector<FTAGlyphLocation> glyphs {{1, 2, 3, 4, 5}};
    {
        QPainter painter(&image);
        CCircleText::doDrawCircleText(&painter, c.showOutline, &empty, nullptr, 100, 100, 0.0, QPointF(150, 150),
                                      0.0, c.inside, c.outlineOnly, 0, glyphs);
    }
    EXPECT_EQ(glyphs.size(), c.outlineOnly ? 1u : 0u);
    int ringInk = 0, otherInk = 0;
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < 300; ++x) {
            if (image.pixel(x, y) == qRgb(255, 255, 255))
                continue;
            const double r = std::hypot(x + 0.5 - 150.0, y + 0.5 - 150.0);
            (c.ring > 0.0 && std::abs(r - c.ring) < 1.5 ? ringInk : otherInk)++;
        }
    }
    EXPECT_EQ(otherInk, 0);
    if (c.ring > 0.0) {
        EXPECT_GT(ringInk, 200);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CCircleTextOutlineTest,
                         testing::Values(OutlineCase {"Nothing", false, false, false, 0.0},
                                         OutlineCase {"ShownOutside", true, false, false, 99.0},
                                         OutlineCase {"ShownInside", true, false, true, 101.0},
                                         OutlineCase {"OnlyTheOutline", false, true, false, 99.0}),
                         [](const testing::TestParamInfo<OutlineCase> &info) { return std::string(info.param.name); });

TEST(CCircleTextTest, AContainerLineIsAsLongAsTheEllipseAtItsTop)
{
    CCircleTextContainer container(QSizeF(10, 10));
    EXPECT_EQ(QList<double>({container.radiusX(), container.radiusY()}), QList<double>({200.0, 200.0}));
    container.setRadiusXAndRadiusY(50, 50);
    EXPECT_EQ(container.containerSize(), QSizeF(1000000.0, 1000000.0));
    QRectF remaining;
    const QRectF line = container.lineFragmentRectForProposedRect(QRectF(3, 10, 500, 16), &remaining);
    EXPECT_NEAR(line.width(), 2.0 * std::numbers::pi * 40.0, 1e-3);
    EXPECT_EQ(QList<double>({line.x(), line.y(), line.height()}), QList<double>({3, 10, 16}));
    EXPECT_EQ(QList<double>({remaining.y(), remaining.height()}), QList<double>({26, 1000000.0}));
    EXPECT_EQ(container.lineFragmentRectForProposedRect(QRectF(0, 60, 10, 16), nullptr).width(), 0.0)
        << "past the middle no line is left";
}

// A circle text fills the oval inscribed in its frame, not the frame, and draws its glyphs in it.
TEST(CCircleTextTest, ACircleTextFillsItsOvalAndHandsItsGlyphsOn)
{
    CDDText text(true);
    ASSERT_NE(text.circleTextContainer(), nullptr);
    EXPECT_EQ(CDDText().circleTextContainer(), nullptr);
    text.setString(u"HELLO"_s, nullptr);
    QImage image(200, 200, QImage::Format_ARGB32);
    image.fill(Qt::white);
    std::vector<FTAGlyphLocation> glyphs;
    {
        QPainter painter(&image);
        CDDDrawer drawer(true);
        drawer.SetPainter(&painter);
        const CDDColor yellow(1.0f, 1.0f, 0.0f, 1.0f);
        text.drawCircleText(20, 20, 160, 160, true, &yellow, &drawer, 0.0, std::numbers::pi / 2.0, false, false,
                            taCenter, glyphs);
    }
    EXPECT_EQ(glyphs.size(), 5u);
    EXPECT_EQ(image.pixel(100, 100), qRgb(255, 255, 0)) << "the oval's middle is filled";
    EXPECT_EQ(image.pixel(25, 25), qRgb(255, 255, 255)) << "the frame's corner is not";
    // Centred on the top: the middle glyph stands over the middle of the oval.
    EXPECT_NEAR(glyphs[2].x, 100.0, 8.0);
}

} // namespace
