// The component drawing path: every shape kind mirrored and turned, separators and selection
// handles, compared with reference images (no text, so fonts do not matter).

#include "kernel/drawing/CFTBoxField.h"

#include "ReferenceImage.h"
#include "kernel/drawing/CFTSeparator.h"
#include "kernel/render/CDDDrawer.h"
#include "ComponentTestSupport.h"

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
            shape.setType(kinds[i]); shape.SetFillColor(&fill); shape.SetStrokeColor(&outline); shape.SetLineWidth(2);
            shape.setFlipX(flipX); shape.setFlipY(flipY); shape.SetAngle(angle);
            shape.Draw(&drawer, false, nullptr, false, true);
        }
    });
}

TEST(CFTComponentReferenceImageTest, EveryShapeKindMirroredAndTurned)
{
    EXPECT_TRUE(drawtest::matchesReference(sheet(1, false, true, 0.4), QStringLiteral("components/shapes-turned-r1")));
}

TEST(CFTComponentReferenceImageTest, SeparatorsAndSelectionHandles)
{
    const QImage image = drawtest::render(QSizeF(160, 100), 2, [](CDDDrawer &drawer) {
        // Without a template a separator has the colour type's white: give it a colour.
        CFTSeparator across(10, 20, 140, 0, nullptr);
        const CDDColor black(0, 0, 0, 1);
        across.SetFillColor(&black); across.SetLineWidth(2);
        across.Draw(&drawer, false, nullptr, false, true);
        CFTSeparator down(80, 30, 0, 60, nullptr);
        const CDDColor blue(0, 0, 0.8f, 1);
        down.SetFillColor(&blue); down.SetLineWidth(1.5);
        down.Draw(&drawer, false, nullptr, false, true);
        comptest::TestCoreView view;
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
