// Gestures scripted through the editing view's mouse operations on a real design: making each
// kind of object, moving a multiple selection, resizing by every handle of a turned shape, double
// clicks, command-click cycling, guideline drags, and the object services the canvas calls.
#include "kernel/document/CFTAView.h"

#include "ComponentTestSupport.h"
#include "ViewGestureSupport.h"
#include "PictureTestSupport.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/address/CFTABarcode.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/drawing/CFTSeparator.h"
#include "kernel/component/CFTDocumentController.h"
#include "kernel/component/CFTLayoutGuideline.h"
#include "kernel/base/FTClassID.h"
#include "kernel/base/FTGeometry.h"
#include "kernel/text/CFTAText.h"
#include "kernel/text/CFTSmartField.h"

#include <gtest/gtest.h>

#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr modifierKeys shift = modifierShift;
constexpr modifierKeys command = modifierCommand;

using viewtest::Design;
using viewtest::frame;

TEST(CFTAViewGestureTest, EachToolMakesItsKindAndLeavesItSelectedForTyping)
{
    Design d;
    // The object spans from the press point to the release, however small the first step.
    d.view.setToolMode(toolField);
    d.view.MouseLDown(100, 80, {});
    EXPECT_EQ(d.view.MouseMove(99, 79, {}), mouseRedrawInvalid | mouseChanged);
    d.view.MouseMove(40, 30, {});
    EXPECT_EQ(d.view.MouseUp(40, 30, {}), mouseCreated | mouseStartTextEdit | mouseChanged | mouseRedrawSnapGuides);
    d.view.setToolMode(toolSeparator);
    d.view.MouseLDown(20, 100, {});
    d.view.MouseMove(21, 100, {}), d.view.MouseMove(120, 111, {}), d.view.MouseUp(120, 111, {});
    // The separator is offered for typing; a click on empty space ends that before the text tool.
    EXPECT_TRUE(d.view.isTextEditing());
    d.click(200, 130);
    EXPECT_EQ(d.view.getOperMode(), operNone);
    d.view.setToolMode(toolText);
    EXPECT_EQ(d.view.MouseLDown(150, 20, {}), mouseCreated | mouseStartTextEdit);
    d.view.MouseUp(150, 20, {});
    ASSERT_EQ(d.list().size(), 3u);
    EXPECT_EQ(d.list()[0]->getClassID(), ciShape);
    EXPECT_EQ(d.list()[0]->getType(), ctRect);
    // Dragged up and left, by its top-left handle.
    EXPECT_EQ(frame(d.list()[0]), QRectF(40, 30, 60, 50));
    ASSERT_EQ(d.list()[1]->getClassID(), ciSeparator);
    // The release squares it: wider than tall, it lies flat on the press point's row.
    EXPECT_EQ(frame(d.list()[1]), QRectF(20, 100, 100, 0));
    ASSERT_EQ(d.list()[2]->getClassID(), ciAddressText);
    EXPECT_EQ(d.list()[2]->GetTextCategory(), tcSimpleText);
    EXPECT_EQ(QPointF(d.list()[2]->GetOriginX(), d.list()[2]->GetOriginY()), QPointF(150, 20));
    EXPECT_EQ(d.view.getSelComponents(), std::vector<CFTComponent *> {d.list()[2]});
    EXPECT_TRUE(d.view.isTextEditing());
    EXPECT_EQ(d.view.getToolMode(), toolSelect);

    d.view.MouseLDown(70, 60, {});
    CFTComponent *barcode = d.view.CreateBarcodeWithMousePos();
    ASSERT_NE(barcode, nullptr);
    EXPECT_EQ(barcode->getClassID(), ciBarcode);
    EXPECT_EQ(d.list().back(), barcode);
    EXPECT_EQ(QPointF(barcode->GetOriginX(), barcode->GetOriginY()), QPointF(70, 60));
}

struct DrawCase
{
    toolMode tool;
    double dx, dy;
    int steps;
    QRectF made;
};

class CFTAViewDrawTest : public ::testing::TestWithParam<DrawCase>
{
};

// A drag of any number of steps, in any direction, draws from the press point to the release;
// the first step counts as much as the others.
TEST_P(CFTAViewDrawTest, TheNewObjectSpansFromThePressToTheRelease)
{
    const DrawCase &c = GetParam();
    Design d;
    d.view.setToolMode(c.tool);
    d.drag(100, 100, 100 + c.dx, 100 + c.dy, {}, c.steps);
    ASSERT_EQ(d.list().size(), 1u);
    EXPECT_EQ(d.list()[0]->getClassID(), c.tool == toolField ? ciShape : ciSeparator);
    EXPECT_EQ(frame(d.list()[0]), c.made);
}

std::vector<DrawCase> drawCases()
{
    std::vector<DrawCase> cases;
    for (int steps : {1, 3, 10}) {
        for (double dx : {30.0, -30.0}) {
            for (double dy : {60.0, -60.0}) {
                const QRectF span = QRectF(QPointF(100, 100), QPointF(100 + dx, 100 + dy)).normalized();
                cases.push_back({toolField, dx, dy, steps, span});
                // A separator keeps its longer side and lies on the press point's row or column.
                cases.push_back({toolSeparator, dx, dy, steps, QRectF(100, span.y(), 0, span.height())});
                cases.push_back({toolSeparator, dy, dx, steps, QRectF(span.y(), 100, span.height(), 0)});
            }
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Cases, CFTAViewDrawTest, ::testing::ValuesIn(drawCases()), [](const auto &info) {
    const DrawCase &c = info.param;
    return std::string(c.tool == toolField ? "box_" : "separator_") + (c.dx > 0 ? "right_" : "left_")
        + (c.dy > 0 ? "down_in_" : "up_in_") + std::to_string(c.steps) + "_" + std::to_string(info.index);
});

TEST(CFTAViewGestureTest, PressingOneOfSeveralSelectedObjectsMovesThemAllAndAPlainClickKeepsOnlyIt)
{
    Design d;
    std::vector<CFTComponent *> shapes;
    for (int i = 0; i < 3; ++i)
        shapes.push_back(d.shape(30 + 40 * i, 30, 20, 20));
    const auto selectAll = [&] {
        d.view.deselectAll();
        for (CFTComponent *shape : shapes)
            d.view.select(shape);
    };
    selectAll();
    EXPECT_EQ(d.drag(80, 40, 93, 47, command, 5) & mouseChanged, mouseChanged);
    EXPECT_EQ(d.view.getSelComponents(), shapes);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(frame(shapes[i]), QRectF(43 + 40 * i, 37, 20, 20)) << i;

    // A click without a drag on one member leaves it the only selected object.
    d.click(93, 47);
    EXPECT_EQ(d.view.getSelComponents(), std::vector<CFTComponent *> {shapes[1]});

    // Shift takes the pressed one out; dragging it on makes it the only selection and moves it alone.
    selectAll();
    d.drag(93, 47, 93, 67, shift | command);
    EXPECT_EQ(d.view.getSelComponents(), std::vector<CFTComponent *> {shapes[1]});
    EXPECT_EQ(frame(shapes[1]).topLeft(), QPointF(83, 57));
    EXPECT_EQ(frame(shapes[0]).topLeft(), QPointF(43, 37));
}

TEST(CFTAViewGestureTest, CommandClicksCycleThroughStackedObjects)
{
    Design d;
    CFTComponent *back = d.shape(50, 50, 40, 40);
    CFTComponent *middle = d.shape(50, 50, 40, 40);
    CFTComponent *front = d.shape(50, 50, 40, 40);
    d.click(70, 70);
    EXPECT_EQ(d.view.getSelComponents(), std::vector<CFTComponent *> {front});
    for (CFTComponent *expected : {middle, back, front, middle}) {
        EXPECT_EQ(d.click(70, 70, command) & mouseRedrawInvalid, mouseRedrawInvalid);
        EXPECT_EQ(d.view.getSelComponents(), std::vector<CFTComponent *> {expected});
    }
    // Without Command a press keeps hitting the front-most object.
    d.click(70, 70);
    EXPECT_EQ(d.view.getSelComponents(), std::vector<CFTComponent *> {front});
}

struct TurnedCase
{
    int dot;
    double angle;
};

class TurnedResizeTest : public ::testing::TestWithParam<TurnedCase>
{
};

// The handle across the object from the given one: columns and rows swap ends, the centre stays.
int opposite(int dot)
{
    const int column = dot & 12, row = dot & 3;
    return (column == 4 ? 12 : column == 12 ? 4 : 8) | (row == 1 ? 3 : row == 3 ? 1 : 2);
}

// Where the handle stands on the page: on the unturned frame, then turned about the centre.
QPointF handleOnPage(const CFTComponent &component, int dot)
{
    const int column = dot & 12, row = dot & 3;
    double x = component.GetOriginX() + component.GetSizeX() * (column == 4 ? 0.0 : column == 8 ? 0.5 : 1.0);
    double y = component.GetOriginY() + component.GetSizeY() * (row == 1 ? 0.0 : row == 2 ? 0.5 : 1.0);
    rotatePoint(&x, &y, component.GetAngle(), component.GetOriginX() + component.GetSizeX() / 2.0,
                component.GetOriginY() + component.GetSizeY() / 2.0);
    return {x, y};
}

TEST_P(TurnedResizeTest, TheOppositeHandleStaysAndTheDraggedOneFollowsTheMouseAlongItsAxes)
{
    const TurnedCase &c = GetParam();
    Design d;
    CFTBoxField *box = d.shape(80, 50, 80, 40);
    box->SetAngle(c.angle);
    d.view.select(box);
    const QPointF pressed = handleOnPage(*box, c.dot), fixed = handleOnPage(*box, opposite(c.dot));
    const double px = pressed.x(), py = pressed.y();
    // The drag in the shape's own frame, cut to the axes the handle moves, then back on the page.
    const double dragX = 9, dragY = -6;
    double lx = dragX, ly = dragY;
    rotatePoint(&lx, &ly, -c.angle, 0, 0);
    lx = dotCode::movesX(c.dot) ? lx : 0;
    ly = dotCode::movesY(c.dot) ? ly : 0;
    rotatePoint(&lx, &ly, c.angle, 0, 0);

    d.view.MouseLDown(px, py, command);
    ASSERT_EQ(d.view.getOperDot(), c.dot);
    ASSERT_EQ(d.view.getOperMode(), operResizePending);
    d.view.MouseMove(px + dragX / 2, py + dragY / 2, command);
    d.view.MouseMove(px + dragX, py + dragY, command);
    EXPECT_EQ(d.view.MouseUp(px + dragX, py + dragY, command), mouseChanged | mouseRedrawSnapGuides);
    const QPointF handle = handleOnPage(*box, c.dot), stayed = handleOnPage(*box, opposite(c.dot));
    EXPECT_NEAR(stayed.x(), fixed.x(), 1e-9);
    EXPECT_NEAR(stayed.y(), fixed.y(), 1e-9);
    EXPECT_NEAR(handle.x(), px + lx, 1e-9);
    EXPECT_NEAR(handle.y(), py + ly, 1e-9);
    EXPECT_NEAR(box->GetAngle(), c.angle, 1e-12);
    EXPECT_EQ(d.view.getSelComponents(), std::vector<CFTComponent *> {box});
}

std::vector<TurnedCase> everyDotTurned()
{
    std::vector<TurnedCase> cases;
    for (const double angle : {0.0, std::numbers::pi / 6, -2.0})
        for (const int dot : {5, 6, 7, 9, 11, 13, 14, 15})
            cases.push_back({dot, angle});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Dots, TurnedResizeTest, ::testing::ValuesIn(everyDotTurned()), [](const auto &info) {
    return std::to_string(info.param.dot) + "_" + std::to_string(info.index / 8);
});

TEST(CFTAViewGestureTest, DoubleClicksStartTypingOpenPicturesAndActOnSmartFields)
{
    Design d;
    auto *text = new CFTAText(20, 20, 80, 30, nullptr);
    d.view.InsertComponent(text, false);
    auto *picture = new CFTPicture(CDDPicture(pictest::quadrantImage(10, 10)));
    picture->SetOrigin(120, 20), picture->SetSize(40, 40);
    d.view.InsertComponent(picture, false);
    auto *smart = new CFTSmartField(20, 80, nullptr, tcSimpleText);
    smart->SetSize(60, 20);
    d.view.InsertComponent(smart, false);
    d.view.select(picture);

    EXPECT_EQ(d.view.MouseLDoubleClick(50, 35, {}), mouseStartTextEdit);
    EXPECT_TRUE(d.view.isTextEditing());
    EXPECT_EQ(d.view.getOperObject(), text);
    EXPECT_EQ(d.view.getSelComponents(), std::vector<CFTComponent *> {text});
    EXPECT_EQ(d.view.getInvalObjects(), (std::vector<CFTComponent *> {picture, text}));

    EXPECT_EQ(d.view.MouseLDoubleClick(140, 40, {}), mouseOpenImageEditor);
    EXPECT_EQ(d.view.MouseLDoubleClick(140, 40, command), 0);
    EXPECT_EQ(d.view.MouseLDoubleClick(50, 90, {}), mouseObjectAction);
    EXPECT_EQ(d.view.getSelComponents(), std::vector<CFTComponent *> {text});
    // Nowhere: nothing happens and the object last operated stays.
    EXPECT_EQ(d.view.MouseLDoubleClick(230, 130, {}), 0);
    EXPECT_EQ(d.view.getOperObject(), smart);
    // Other tools do not type.
    d.view.setToolMode(toolField);
    EXPECT_EQ(d.view.MouseLDoubleClick(50, 35, {}), 0);
}

TEST(CFTAViewGestureTest, GuidelinesAreDraggedMadeAtTheMouseAndRemovedIntoThePool)
{
    Design d;
    d.view.setMouseLoc(60, 70, 0);
    d.view.SetLayoutGuidelinesVisible(false);
    CFTLayoutGuideline *vertical = d.view.CreateLayoutGuidelineWithMouse(gtVertical);
    ASSERT_NE(vertical, nullptr);
    EXPECT_TRUE(d.view.LayoutGuidelinesVisible());
    d.view.SetLayoutGuidelinesVisible(false);
    CFTLayoutGuideline *horizontal = d.view.CreateLayoutGuidelineWithOrigin(gtHorizontal, 110, 1);
    EXPECT_FALSE(d.view.LayoutGuidelinesVisible());
    // Whatever side is named, the guidelines go to the edited one.
    EXPECT_EQ(d.document->GetLayoutGuidelines(0), (std::vector<CFTLayoutGuideline *> {vertical, horizontal}));
    EXPECT_EQ(vertical->getOrigin(), 60);

    d.view.SetLayoutGuidelinesVisible(true);
    CFTComponent *under = d.shape(40, 40, 60, 60);
    EXPECT_EQ(d.drag(60, 90, 75, 95, {}, 3), mouseChanged | mouseObjectAction | mouseRedrawSnapGuides);
    EXPECT_EQ(vertical->getOrigin(), 75);
    EXPECT_EQ(frame(under), QRectF(40, 40, 60, 60));
    EXPECT_TRUE(d.view.getSelComponents().empty());
    EXPECT_EQ(d.view.getOperMode(), operNone);

    d.view.DeleteLayoutGuideline(vertical, 1);
    EXPECT_TRUE(d.document->isInDeletedPool(vertical));
    d.view.DeleteCurrentLayoutGuidelines();
    EXPECT_TRUE(d.document->GetLayoutGuidelines(0).empty());
    EXPECT_TRUE(d.document->isInDeletedPool(horizontal));
}

TEST(CFTAViewGestureTest, PicturesAreMadeOutsideTheListAndBarcodesNeedADocument)
{
    Design d;
    std::unique_ptr<CFTComponent> picture(CFTAView::CreatePicture(CDDPicture(pictest::quadrantImage(4, 4))));
    EXPECT_EQ(picture->getType(), ctPicture);
    EXPECT_EQ(frame(picture.get()), QRectF(1, 1, 1, 1));
    EXPECT_TRUE(d.list().empty());
    CFTDocumentController empty;
    CFTAView lonely(&empty);
    lonely.MouseLDown(5, 5, {});
    EXPECT_EQ(lonely.CreateBarcodeWithMousePos(), nullptr);
    lonely.InsertComponent(nullptr, true);
    EXPECT_TRUE(lonely.getSelComponents().empty());
}

} // namespace
