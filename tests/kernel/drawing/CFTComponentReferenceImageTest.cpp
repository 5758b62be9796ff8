// The component drawing path: every shape kind mirrored and turned, shadowed shapes, separators and
// selection handles, compared with reference images (no text, so fonts do not matter).

#include "kernel/drawing/CFTBoxField.h"

#include "ReferenceImage.h"
#include "kernel/drawing/CFTSeparator.h"
#include "kernel/foundation/CDDDrawer.h"
#include "kernel/foundation/CFTACoreView.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr double kCellWidth = 64;
constexpr double kCellHeight = 52;
constexpr int kColumns = 6;

std::vector<compType> everyKind()
{
    std::vector<compType> kinds = {ctRect};
    for (int kind = ctRectTriangleLeft; kind <= ctRightDiagonalLine; ++kind)
        kinds.push_back(compType(kind));
    return kinds;
}

// One cell per kind: filled light orange, outlined dark blue, 2 points wide.
QImage sheet(double resolution, bool flipX, bool flipY, double angle)
{
    const std::vector<compType> kinds = everyKind();
    const int rows = int((kinds.size() + kColumns - 1) / kColumns);
    return drawtest::render(QSizeF(kColumns * kCellWidth, rows * kCellHeight), resolution, [&](CDDDrawer &drawer) {
        const CDDColor fill(1.0f, 0.8f, 0.55f, 1.0f);
        const CDDColor outline(0.1f, 0.15f, 0.45f, 1.0f);
        for (size_t i = 0; i < kinds.size(); ++i) {
            const double x = double(i % kColumns) * kCellWidth + 8;
            const double y = double(i / kColumns) * kCellHeight + 8;
            CFTBoxField shape(x, y, kCellWidth - 16, kCellHeight - 16, nullptr);
            shape.setType(kinds[i]);
            shape.SetFillColor(&fill);
            shape.SetStrokeColor(&outline);
            shape.SetLineWidth(2);
            shape.setFlipX(flipX);
            shape.setFlipY(flipY);
            shape.SetAngle(angle);
            shape.Draw(&drawer, false, nullptr, false, true);
        }
    });
}

TEST(CFTComponentReferenceImageTest, EveryShapeKindMirroredAndTurned)
{
    EXPECT_TRUE(drawtest::matchesReference(sheet(1, false, true, 0.4), QStringLiteral("components/shapes-turned-r1")));
}

QImage shadowScene(double resolution)
{
    return drawtest::render(QSizeF(260, 120), resolution, [](CDDDrawer &drawer) {
        const CDDColor fill(0.3f, 0.6f, 0.9f, 1.0f);
        const CDDColor outline(0.1f, 0.1f, 0.1f, 1.0f);
        CFTBoxField box(15, 15, 60, 40, nullptr);
        box.SetFillColor(&fill);
        box.SetStrokeColor(&outline);
        box.SetDefaultShadow(true);
        box.Draw(&drawer, false, nullptr, false, true);
        CFTBoxField star(100, 10, 60, 60, nullptr);
        star.setType(ctStar5);
        star.SetFillColor(&fill);
        star.SetAngle(0.3);
        star.SetShadow(true);
        star.SetShadowOffset(6, -4);
        star.SetShadowBlurRadius(3);
        const CDDColor red(0.8f, 0.0f, 0.0f, 0.6f);
        star.SetShadowColor(&red);
        star.Draw(&drawer, false, nullptr, false, true);
        CFTBoxField triangle(185, 15, 50, 45, nullptr);
        triangle.setType(ctRectTriangleLeft);
        triangle.SetFillColor(&fill);
        triangle.setFlipX(true);
        triangle.SetDefaultShadow(true);
        triangle.Draw(&drawer, false, nullptr, false, true);
        CFTBoxField line(20, 85, 200, 10, nullptr);
        line.setType(ctLeftDiagonalLine);
        line.SetLineWidth(3);
        line.SetShadow(true);
        line.SetShadowOffset(0, -6);
        line.SetShadowBlurRadius(2);
        line.Draw(&drawer, false, nullptr, false, true);
    });
}

TEST(CFTComponentReferenceImageTest, ShadowedComponents)
{
    EXPECT_TRUE(drawtest::matchesReference(shadowScene(1), QStringLiteral("components/shadows-r1")));
}

TEST(CFTComponentReferenceImageTest, SeparatorsAndSelectionHandles)
{
    const QImage image = drawtest::render(QSizeF(160, 100), 2, [](CDDDrawer &drawer) {
        // Without a template a separator has the colour type's white: give it a colour.
        CFTSeparator across(10, 20, 140, 0, nullptr);
        const CDDColor black(0, 0, 0, 1);
        across.SetFillColor(&black);
        across.SetLineWidth(2);
        across.Draw(&drawer, false, nullptr, false, true);
        CFTSeparator down(80, 30, 0, 60, nullptr);
        const CDDColor blue(0, 0, 0.8f, 1);
        down.SetFillColor(&blue);
        down.SetLineWidth(1.5);
        down.Draw(&drawer, false, nullptr, false, true);
        CFTACoreView view;
        view.SetResolution(2);
        across.DrawSelection(&drawer, &view);
        CFTBoxField diagonal(20, 40, 40, 40, nullptr);
        diagonal.setType(ctRightDiagonalLine);
        diagonal.Draw(&drawer, false, nullptr, false, true);
        diagonal.DrawSelection(&drawer, &view);
        CFTBoxField box(100, 40, 40, 40, nullptr);
        box.SetAngle(0.5);
        box.Draw(&drawer, false, nullptr, false, true);
        box.DrawSelection(&drawer, &view);
    });
    EXPECT_TRUE(drawtest::matchesReference(image, QStringLiteral("components/separators-handles-r2")));
}

} // namespace
