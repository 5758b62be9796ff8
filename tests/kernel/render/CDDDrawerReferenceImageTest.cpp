// No text is drawn, so fonts do not matter.
#include "kernel/render/CDDDrawer.h"

#include "ReferenceImage.h"
#include "kernel/base/CDDColor.h"
#include "kernel/base/CDDPen.h"
#include "kernel/base/CDDString.h"
#include "platform/PWBezierPath.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

class ReferenceImageTest : public ::testing::TestWithParam<int>
{
protected:
    double resolution() const { return GetParam(); }
    QString name(const char *scene) const { return QStringLiteral("drawing/%1-r%2").arg(QLatin1String(scene)).arg(GetParam()); }
};

TEST_P(ReferenceImageTest, Decorations)
{
    const QImage image = drawtest::render(QSizeF(240, 200), resolution(), [](CDDDrawer &d) {
        d.DrawDot(10, 10, 4, 4);
        d.DrawDot(20.4, 10.3, 4, 4);
        d.DrawDot(30, 10, 20, 20); // the size arguments are not used
        for (int kind = 0; kind < 4; ++kind)
            d.DrawSpecialDot(60 + 15 * kind, 14, 0, 0, 0, kind);
        d.DrawSpecialDot(130, 14, 130, 14, 0.5, 2);
        d.DrawPlus(150, 8, 10, 10);
        d.DrawSelectionBox(10, 35, 40, 30, 0);
        d.DrawSelectionBox(60, 35, 40, 30, 0.3);
        d.DrawSelectionDropBox(110, 35, 40, 30, 0);
        d.DrawSelectTextRect(165, 35, 40, 30, 0.2);
        d.FrameTextRect(10, 90, 30, 20);
        d.DrawNamedRect(50, 90, 30, 20);
        d.DrawSelectionBox2(90, 85, 50, 35, 8);
        d.DrawHighlightBox(150, 85, 40, 35, 6);
        const CDDColor green(0.6f, 0.85f, 0.6f, 1.0f);
        d.DrawFilledBox(200, 85, 35, 35, 10, &green);
        d.DrawSnapLine(10, 135, 110, 135);
        d.DrawSnapLine(10, 140.3, 60, 155.6);
        d.DrawGuideLine(120, 135, 230, 150);
        d.DrawGuidelineArea(10, 160, 100, 30, true, false, false);
        d.DrawGuidelineArea(130, 160, 100, 30, false, false, false);
    });
    EXPECT_TRUE(drawtest::matchesReference(image, name("decorations")));
}

TEST_P(ReferenceImageTest, PrimitiveStrokes)
{
    const QImage image = drawtest::render(QSizeF(120, 60), resolution(), [](CDDDrawer &d) {
        const CDDColor black(0, 0, 0, 1), teal(0.0f, 0.5f, 0.5f, 1.0f);
        CDDPen thin, thick;
        thin.SetWidth(0.5);
        thick.SetWidth(3.0);
        d.StrokeLine(5.3, 5.2, 55.7, 25.6, &black, &thin);
        d.StrokeRect(60.4, 5.4, 50.2, 20.3, &teal, &thick);
        d.StrokeHorizontalLine(5, 110, 40.2, &black, &thick);
        d.StrokeVerticalLine(30.4, 32, 58, &teal, &thick);
    });
    EXPECT_TRUE(drawtest::matchesReference(image, name("primitives")));
}

// Each shape in a 60 x 45 cell: filled light orange and outlined in dark blue.
using Builder = std::function<PWBezierPath(double, double, double, double)>;

TEST_P(ReferenceImageTest, EveryShapeKind)
{
    using D = CDDDrawer;
    const auto polygon = [](int sides) -> Builder {
        return [=](double x, double y, double w, double h) { return D::PathPolygon(x, y, w, h, 0, sides); };
    };
    const auto triangle = [](int direction, int kind) -> Builder {
        return [=](double x, double y, double w, double h) { return D::PathTriangle(x, y, w, h, direction, kind); };
    };
    const std::vector<Builder> shapes {[](double x, double y, double w, double h) { return D::PathRect(x, y, w, h); },
        [](double x, double y, double w, double h) { return D::PathLine(x, y, w, h); }, polygon(3), polygon(5), polygon(6), polygon(8),
        [](double x, double y, double w, double h) { return D::PathCircle(x, y, w, h, 0); },
        [](double x, double y, double w, double h) { return D::PathCircle(x, y, w, h, 0.5); },
        [](double x, double y, double w, double h) { return D::PathRoundedRectangle(x, y, w, h, 0.5); }, triangle(0, 0), triangle(1, 0),
        triangle(2, 0), triangle(3, 0), triangle(0, 1), triangle(1, 1), triangle(2, 1), triangle(3, 1),
        [](double x, double y, double w, double h) { return D::PathOctagon(x, y, w, h); },
        [](double x, double y, double w, double h) { return D::PathHexagon(x, y, w, h); },
        [](double x, double y, double w, double h) { return D::PathCross(x, y, w, h); },
        [](double x, double y, double w, double h) { return D::PathArrow(x, y, w, h); },
        [](double x, double y, double w, double h) { return D::PathTwoWayArrow(x, y, w, h); },
        [](double x, double y, double w, double h) { return D::PathTrapezoid(x, y, w, h, 0.4); },
        [](double x, double y, double w, double h) { return D::PathMoon(x, y, w, h, 0.5); },
        [](double x, double y, double w, double h) { return D::PathStar(x, y, w, h, 0.4, 5); },
        [](double x, double y, double w, double h) { return D::PathStar(x, y, w, h, 0.6, 8); },
        [](double x, double y, double w, double h) { return D::PathCloud(x, y, w, h); },
        [](double x, double y, double w, double h) { return D::PathCallout(x, y, w, h); },
        [](double x, double y, double w, double h) { return D::PathWave(x, y, w, h); }};
    const QImage image = drawtest::render(QSizeF(360, 225), resolution(), [&](CDDDrawer &d) {
        const CDDColor outline(0.1f, 0.2f, 0.5f, 1.0f), fill(1.0f, 0.8f, 0.55f, 1.0f);
        CDDPen pen;
        pen.SetWidth(1.5);
        for (size_t i = 0; i < shapes.size(); ++i) {
            const double x = 60.0 * static_cast<double>(i % 6) + 6;
            const double y = 45.0 * static_cast<double>(i / 6) + 6;
            PWBezierPath path = shapes[i](x, y, 48, 33);
            d.StrokeAndFillFigure(&path, x, y, 48, 33, 0, &outline, &pen, &fill, false, false);
        }
    });
    EXPECT_TRUE(drawtest::matchesReference(image, name("shapes")));
}

TEST_P(ReferenceImageTest, FlipsRotationAndSeparators)
{
    const QImage image = drawtest::render(QSizeF(300, 150), resolution(), [](CDDDrawer &d) {
        const CDDColor outline(0.1f, 0.2f, 0.5f, 1.0f), fill(0.55f, 0.8f, 1.0f, 1.0f);
        CDDPen pen;
        pen.SetWidth(2.0);
        const struct
        {
            bool flipX, flipY;
            double angle;
        } placements[] = {{false, false, 0}, {true, false, 0}, {false, true, 0}, {true, true, 0}, {false, false, 0.4}};
        for (int i = 0; i < 5; ++i) {
            const double x = 10 + 58.0 * i;
            const auto &p = placements[i];
            PWBezierPath triangle = CDDDrawer::PathTriangle(x, 10, 44, 30, 0, 1);
            d.StrokeAndFillFigure(&triangle, x, 10, 44, 30, p.angle, &outline, &pen, &fill, p.flipX, p.flipY);
            PWBezierPath moon = CDDDrawer::PathMoon(x + 10, 50, 24, 40, 0.4);
            d.StrokeAndFillFigure(&moon, x + 10, 50, 24, 40, p.angle, &outline, &pen, &fill, p.flipX, p.flipY);
        }
        const CDDColor red(0.8f, 0.1f, 0.1f, 1.0f);
        for (int direction = 0; direction < 4; ++direction)
            d.DrawSeparator(10 + 58.0 * direction, 105, 44, 35, 0, direction, &red, &pen, false, false);
        d.DrawSeparator(242, 105, 44, 35, 0.4, 3, &red, &pen, true, false);
    });
    EXPECT_TRUE(drawtest::matchesReference(image, name("flips")));
}

INSTANTIATE_TEST_SUITE_P(Resolutions, ReferenceImageTest, ::testing::Values(1, 2),
                         // Appended, not "R" + ...: GCC 12 at -O3 reports a false overlap in that operator+.
                         [](const ::testing::TestParamInfo<int> &info) {
                             return std::string("R").append(std::to_string(info.param));
                         });

} // namespace
