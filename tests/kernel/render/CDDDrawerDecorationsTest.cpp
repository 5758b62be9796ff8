#include "kernel/render/CDDDrawer.h"

#include "ReferenceImage.h"
#include "kernel/base/CDDString.h"

#include <gtest/gtest.h>

namespace {

bool isWhite(const QImage &image, int x, int y) { return image.pixelColor(x, y) == QColor(Qt::white); }

// Device pixels that are not white inside the rectangle (design points).
int marked(const QImage &image, const QRectF &area, double resolution)
{
    int count = 0;
    const QRect pixels(QPoint(static_cast<int>(area.left() * resolution), static_cast<int>(area.top() * resolution)),
                       QPoint(static_cast<int>(area.right() * resolution) - 1, static_cast<int>(area.bottom() * resolution) - 1));
    for (int y = pixels.top(); y <= pixels.bottom(); ++y)
        for (int x = pixels.left(); x <= pixels.right(); ++x)
            count += isWhite(image, x, y) ? 0 : 1;
    return count;
}

TEST(DecorationTest, PortKindsBeyondTwoAreEmptyAndGuidelineCaptionsOnlyWhenAsked)
{
    const auto port = [](int kind) {
        return drawtest::render(QSizeF(20, 20), 2.0, [kind](CDDDrawer &d) { d.DrawSpecialDot(10, 10, 0, 0, 0, kind); });
    };
    EXPECT_EQ(port(3), port(0));
    EXPECT_EQ(port(-1), port(0));
    const auto area = [](bool recipient, bool caption) {
        return drawtest::render(QSizeF(200, 80), 1.0, [=](CDDDrawer &d) { d.DrawGuidelineArea(10, 10, 180, 60, recipient, caption, false); });
    };
    // The caption sits inside the area's bottom-right corner.
    const QRectF corner(100, 58, 88, 10);
    for (const bool recipient : {true, false}) {
        EXPECT_EQ(marked(area(recipient, false), corner, 1.0), 0) << recipient;
        EXPECT_GT(marked(area(recipient, true), corner, 1.0), 10) << recipient;
    }
}

TEST(DecorationTest, BoxLabelTabsAreAsWideAsTheHitTestSays)
{
    // Panel at (100, 50), corner radius 10: the tab spans y 42 to 50; a wide tab ends at 85, a
    // 50-wide panel has a 40-point tab. Region 0 is the caption, as wide for either kind.
    const struct { double px, py, width; bool recipient; int region; } cases[] = {{150, 50, 300, true, -1}, {100, 46, 300, true, -1},
        {150, 42, 300, true, -1}, {118, 46, 300, false, 0}, {118, 46, 300, true, 0}, {122, 46, 300, true, 1}, {184, 46, 300, true, 1},
        {185, 46, 300, true, -1}, {139, 46, 50, false, 1}, {141, 46, 50, false, -1}};
    for (const auto &c : cases)
        EXPECT_EQ(CDDDrawer::regionIndexForBoxLabel(c.px, c.py, 100, 50, c.width, 80, 10, c.recipient, CDDString(QStringLiteral("label"))), c.region)
            << c.px << ", " << c.py << " in " << c.width;
    for (const double width : { 50.0, 300.0 }) {
        const QImage image = drawtest::render(QSizeF(420, 120), 2.0, [width](CDDDrawer &d) {
            d.DrawBoxLabel(100, 50, width, 60, 10, false, CDDString(QStringLiteral("Home")));
        });
        const double tab = std::min(85.0, width - 10);
        // Shaded just inside the tab's right end, and nothing beyond it.
        EXPECT_FALSE(isWhite(image, static_cast<int>((100 + tab - 1) * 2), 95)) << width;
        EXPECT_EQ(marked(image, QRectF(100 + tab + 1, 40, 100, 9), 2.0), 0) << width;
        // The arrow at the tab's right end is darker than the shade.
        const QColor arrow = image.pixelColor(static_cast<int>((100 + tab - 7) * 2), static_cast<int>(47.5 * 2));
        EXPECT_LT(arrow.red(), 200) << width;
    }
}

// The hint box's yellow area in device pixels.
QRect yellowArea(const QImage &image)
{
    QRect area;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (const QColor c = image.pixelColor(x, y); c.red() == 255 && c.green() == 255 && c.blue() < 240 && c.blue() > 200)
                area |= QRect(x, y, 1, 1);
    return area;
}

TEST(DecorationTest, HintTextKeepsAboutItsDeviceSize)
{
    const CDDString text(QStringLiteral("Snap to the guide"));
    const auto box = [&](double r) {
        return yellowArea(drawtest::render(QSizeF(300, 60), r, [&](CDDDrawer &d) { d.DrawHintBox(10, 10, text); }));
    };
    const QRect atOne = box(1.0), atThree = box(3.0);
    ASSERT_FALSE(atOne.isEmpty() || atThree.isEmpty());
    // In device pixels the text area is scaled by r / (r + 0.1), the margins stay 3 pixels.
    EXPECT_NEAR(double(atThree.width() - 6) / (atOne.width() - 6), (3.0 / 3.1) / (1.0 / 1.1), 0.03);
    EXPECT_EQ(atOne.left(), 11); // the 1-pixel black frame is outside the yellow
}

} // namespace
