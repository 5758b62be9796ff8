#include "kernel/component/CFTACoreView.h"

#include "ComponentTestSupport.h"
#include "kernel/component/CFTDocumentController.h"
#include "kernel/component/CFTLayoutGuideline.h"
#include "kernel/component/FTComponentFactory.h"

#include <gtest/gtest.h>

#include <memory>
#include <numbers>
#include <span>
#include <vector>

namespace {

class ViewProbe : public comptest::ProbeComponent
{
public:
    ViewProbe(double x, double y, double width, double height, int classID = 0)
        : ProbeComponent(classID)
    {
        SetOrigin(x, y);
        SetSize(width, height);
    }
    bool IsHidden() const override { return hidden; }
    // Filled: the inside is hit as well as the frame.
    CFTComponent *PickMe(double x, double y, bool &selected, double tolerance, actionType &action, int mode) override
    {
        if (CFTComponent *frame = CFTComponent::PickMe(x, y, selected, tolerance, action, mode))
            return frame;
        action = actionNone;
        const bool inside =
            x > GetOriginX() && x < GetOriginX() + GetSizeX() && y > GetOriginY() && y < GetOriginY() + GetSizeY();
        return inside ? this : nullptr;
    }
    void selectAll() override { ++blockSelections; }
    void StartOperation(operMode mode, const CFTACoreView *view, int modifiers, int handle) override
    {
        ++started;
        CFTComponent::StartOperation(mode, view, modifiers, handle);
    }
    void EndOperation(operMode mode) override
    {
        ++ended;
        CFTComponent::EndOperation(mode);
    }
    CFTComponent *SetTextCategory(textCategory newCategory, const CDDString *label) override
    {
        category = newCategory;
        placeholder = label ? label->getData() : QString();
        return this;
    }

    bool hidden = false;
    int blockSelections = 0;
    int started = 0;
    int ended = 0;
    textCategory category = tcNone;
    QString placeholder;
};

// A controller holding one document whose first side lists the given objects, back to front.
class ViewTest : public ::testing::Test
{
protected:
    ViewTest()
        : view(&controller)
    {
        controller.AddDocument(std::make_unique<comptest::TestCoreDoc>());
    }
    ViewProbe *add(double x, double y, double width, double height, int classID = 0)
    {
        auto *component = new ViewProbe(x, y, width, height, classID);
        controller.GetCurrentDocument()->AddObject(component, 0, false);
        return component;
    }
    CFTComponent *at(int index) const { return index < 0 ? nullptr : view.GetCurrentComponents()[index]; }
    static FTComponentFactory::Creator probes()
    {
        return [](CFTComponent *) { return std::make_unique<ViewProbe>(0, 0, 0, 0); };
    }

    CFTDocumentController controller;
    comptest::TestCoreView view;
};

struct DotCase
{
    const char *name;
    double resolution;
    double x, y;
    int object, dot;
};

class PickDotTest : public ViewTest, public ::testing::WithParamInterface<DotCase>
{
};

TEST_P(PickDotTest, AsksTheSelectionInOrderWithAToleranceOfFourAndAHalfDevicePixels)
{
    const DotCase &c = GetParam();
    view.select(add(10, 10, 20, 20));
    view.select(add(100, 10, 3, 20));
    view.SetResolution(c.resolution);
    int dot = -1;
    EXPECT_EQ(view.PickDot(c.x, c.y, &dot), at(c.object));
    EXPECT_EQ(dot, c.dot);
}

INSTANTIATE_TEST_SUITE_P(Cases, PickDotTest,
                         ::testing::Values(DotCase {"RightMiddle", 1, 30, 20, 0, 14},
                                           DotCase {"BottomCentre", 1, 21, 30, 0, 11},
                                           DotCase {"CentreIsNoHandle", 1, 20, 20, -1, 0},
                                           DotCase {"WithinTwoAndAQuarterAtZoomTwo", 2, 12.2, 10, 0, 5},
                                           DotCase {"BeyondTwoAndAQuarterAtZoomTwo", 2, 12.3, 10, -1, 0},
                                           DotCase {"WithinNineAtHalfZoom", 0.5, 18.9, 10, 0, 5},
                                           DotCase {"NarrowObjectTakesTheLeftColumn", 1, 102, 10, 1, 5}),
                         [](const auto &info) { return std::string(info.param.name); });

struct CycleCase
{
    const char *name;
    double x;
    unsigned selectedMask; // bit i: object i selected
    int modifiers, object;
    actionType action;
};

class PickObjectTest : public ViewTest, public ::testing::WithParamInterface<CycleCase>
{
};

TEST_P(PickObjectTest, FrontMostHitOrWithCommandTheNextUnselectedBeneathTheSelection)
{
    const CycleCase &c = GetParam();
    add(10, 10, 20, 20);
    add(10, 10, 20, 20);
    add(10, 10, 40, 20); // front; alone at x 50
    for (int i = 0; i < 3; ++i)
        if (c.selectedMask & (1u << i))
            view.select(at(i));
    bool selected = true;
    actionType action = actionNone;
    EXPECT_EQ(view.PickObject(c.x, 20, selected, action, c.modifiers), at(c.object));
    EXPECT_EQ(action, c.action);
    EXPECT_EQ(selected, c.object >= 0 && view.isSelected(at(c.object)));
}

constexpr modifierKeys command = modifierCommand;
INSTANTIATE_TEST_SUITE_P(
    Cases, PickObjectTest,
    ::testing::Values(CycleCase {"PlainTakesTheFront", 10, 0b100, 0, 2, actionFrame},
                      CycleCase {"FrontSelectedGivesTheMiddle", 10, 0b100, command, 1, actionCycled},
                      CycleCase {"MiddleSelectedGivesTheBack", 10, 0b010, command, 0, actionCycled},
                      CycleCase {"BackSelectedWrapsToTheFront", 10, 0b001, command, 2, actionCycled},
                      CycleCase {"NothingSelectedCyclesToTheFront", 10, 0, command, 2, actionCycled},
                      CycleCase {"LoneSelectedKeepsItsZone", 50, 0b100, command, 2, actionFrame},
                      CycleCase {"OutsideEveryObject", 70, 0b111, command, -1, actionNone}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ViewTest, GuidelinesArePickedLastAddedFirstUnlessLockedOrHidden)
{
    CFTACoreDoc *document = controller.GetCurrentDocument();
    auto *vertical = new CFTLayoutGuideline(gtVertical, 50);
    auto *horizontal = new CFTLayoutGuideline(gtHorizontal, 50);
    document->AddLayoutGuideline(vertical, 0);
    document->AddLayoutGuideline(horizontal, 0);
    bool selected = true;
    actionType action = actionNone;
    EXPECT_EQ(view.PickLayoutGuideline(50, 200, selected, action, 0), vertical);
    EXPECT_FALSE(selected);
    EXPECT_EQ(view.PickLayoutGuideline(50, 50, selected, action, 0), horizontal);
    horizontal->Lock();
    EXPECT_EQ(view.PickLayoutGuideline(50, 50, selected, action, 0), vertical);
    view.SetLayoutGuidelinesVisible(false);
    EXPECT_EQ(view.PickLayoutGuideline(50, 50, selected, action, 0), nullptr);
}

TEST_F(ViewTest, SelectionKeepsTheOrderOfSelectingAndSelectAllSkipsHiddenObjects)
{
    ViewProbe *first = add(0, 0, 10, 10);
    add(0, 0, 10, 10)->hidden = true;
    ViewProbe *extended = add(0, 0, 10, 10, ciExtendedText);
    view.select(extended);
    view.select(first);
    view.select(extended);
    view.select(nullptr);
    EXPECT_EQ(view.getSelComponents(), (std::vector<CFTComponent *> {extended, first}));
    view.selectAll();
    EXPECT_EQ(view.getSelComponents(), (std::vector<CFTComponent *> {first, extended}));
    EXPECT_EQ(extended->blockSelections, 1);
    first->hidden = extended->hidden = true;
    view.selectAll();
    EXPECT_TRUE(view.getSelComponents().empty());
}

TEST(CFTACoreViewTest, AViewWithoutADocumentPicksAndSelectsNothing)
{
    CFTDocumentController empty;
    for (CFTDocumentController *controller : {static_cast<CFTDocumentController *>(nullptr), &empty}) {
        comptest::TestCoreView view(controller);
        bool selected = true;
        actionType action = actionNone;
        view.selectAll();
        EXPECT_TRUE(view.getSelComponents().empty());
        EXPECT_EQ(view.PickObject(10, 10, selected, action, modifierCommand), nullptr);
        EXPECT_EQ(view.PickDot(10, 10, nullptr), nullptr);
        EXPECT_EQ(view.PickLayoutGuideline(10, 10, selected, action, 0), nullptr);
        EXPECT_FALSE(view.UpdateHighlightedObject(10, 10));
        EXPECT_EQ(view.defBox(), nullptr);
    }
}

struct SnapCase
{
    const char *name;
    float value, offset;
    int owner;
};

class GetSnapTest : public ViewTest, public ::testing::WithParamInterface<SnapCase>
{
};

TEST_P(GetSnapTest, NearestWithinTheStrictWindowTheEarlierOnATie)
{
    const SnapCase &c = GetParam();
    snapTable table;
    ViewProbe *owners[] = {add(10, 0, 10, 5), add(14, 0, 20, 5)}; // x coordinates 10, 20, 14, 34
    for (ViewProbe *owner : owners)
        table.append(owner, &CFTSnapObject::getXSnapArrayTo);
    CFTSnapObject *owner = nullptr;
    EXPECT_FLOAT_EQ(CFTACoreView::getSnap(c.value, table, 4.5f, &owner), c.offset);
    EXPECT_EQ(owner, c.owner < 0 ? nullptr : owners[c.owner]);
    EXPECT_EQ(CFTACoreView::getSnap(c.value, table, 0.0f, nullptr), 0.0f);
}

INSTANTIATE_TEST_SUITE_P(Cases, GetSnapTest,
                         ::testing::Values(SnapCase {"TieKeepsTheEarlier", 12, -2, 0},
                                           SnapCase {"OnACoordinateIsZero", 14, 0, 1},
                                           SnapCase {"JustInsideTheWindow", 5.6f, 4.4f, 0},
                                           SnapCase {"WindowEdgeExcluded", 5.5f, 0, -1},
                                           SnapCase {"OwnerFollowsTheRuns", 31, 3, 1}),
                         [](const auto &info) { return std::string(info.param.name); });

struct MoveCase
{
    const char *name;
    double dx;
    modifierKeys modifiers;
    double left;
    bool guide;
};

class MoveTest : public ViewTest, public ::testing::WithParamInterface<MoveCase>
{
};

TEST_P(MoveTest, ALeftEdgeSnapsOntoAnotherRightEdgeWithinTheTolerance)
{
    const MoveCase &c = GetParam();
    add(10, 100, 20, 20); // right edge 30
    ViewProbe *moved = add(50, 10, 20, 20);
    EXPECT_EQ(view.MouseLDown(60, 20, c.modifiers), mouseRedrawInvalid);
    EXPECT_EQ(view.MouseMove(60 + c.dx, 20, c.modifiers),
              int(mouseChanged) | (c.guide ? int(mouseRedrawSnapGuides) : 0));
    EXPECT_NEAR(moved->GetOriginX(), c.left, 1e-4);
    EXPECT_EQ(view.IsSnapOccuredX(), c.guide);
    if (c.guide) {
        EXPECT_EQ(std::vector<float>(view.getSnapRectX(), view.getSnapRectX() + 3), (std::vector<float> {30, 10, 120}));
    }
    EXPECT_FALSE(view.IsSnapOccuredY());
    view.MouseUp(60 + c.dx, 20, c.modifiers);
    EXPECT_EQ(moved->ended, 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, MoveTest,
                         ::testing::Values(MoveCase {"SnapsAtFourPointFour", -15.6, {}, 30, true},
                                           MoveCase {"FreeAtFourPointFive", -15.5, {}, 34.5, false},
                                           MoveCase {"CommandNeverSnaps", -15.6, modifierCommand, 34.4,
                                                     false}),
                         [](const auto &info) { return std::string(info.param.name); });

struct ResizeSnapCase
{
    const char *name;
    int dot;
    double angle, dx, dy;
    int result;
    bool guideX, guideY;
    std::vector<float> guide; // of the axis that snapped
};

class ResizeSnapTest : public ViewTest, public ::testing::WithParamInterface<ResizeSnapCase>
{
};

// The target's right edge is at 30, its top at 100; the dragged box spans 50-70 by 10-30.
TEST_P(ResizeSnapTest, AHandleSnapsOnlyAlongTheAxesItMovesUnlessTheObjectIsTurned)
{
    const ResizeSnapCase &c = GetParam();
    add(10, 100, 20, 20);
    ViewProbe *box = add(50, 10, 20, 20);
    box->SetAngle(c.angle);
    view.select(box);
    // The probe picks its handles on the unturned frame; snapping measures the turned handle.
    const int column = c.dot & 12, row = c.dot & 3;
    const double px = 50 + (column == 4 ? 0 : column == 8 ? 10 : 20), py = 10 + (row == 1 ? 0 : row == 2 ? 10 : 20);
    view.MouseLDown(px, py, {});
    ASSERT_EQ(view.getOperDot(), c.dot);
    EXPECT_EQ(view.MouseMove(px + c.dx, py + c.dy, {}), c.result);
    EXPECT_EQ(std::pair(view.IsSnapOccuredX(), view.IsSnapOccuredY()), std::pair(c.guideX, c.guideY));
    const float *rect = c.guideX ? view.getSnapRectX() : view.getSnapRectY();
    for (std::size_t i = 0; i < c.guide.size(); ++i)
        EXPECT_NEAR(rect[i], c.guide[i], 1e-4) << i;
    view.MouseUp(px + c.dx, py + c.dy, {});
    EXPECT_FALSE(view.IsSnapOccuredX() || view.IsSnapOccuredY());
    EXPECT_TRUE(view.NeedDrawSnapX() || view.NeedDrawSnapY() || !(c.guideX || c.guideY));
}

constexpr int snapped = mouseChanged | mouseRedrawSnapGuides;
INSTANTIATE_TEST_SUITE_P(
    Cases, ResizeSnapTest,
    ::testing::Values(ResizeSnapCase {"LeftPulledLeft", 6, 0, -15.6, 0, snapped, true, false, {30, 30, 120}},
                      ResizeSnapCase {"TopNeverInX", 9, 0, -38, 0, mouseChanged, false, false, {}},
                      // Half a turn puts handle 9's far corner, where it is measured from, at (50, 30).
                      ResizeSnapCase {"TurnedTopInX", 9, std::numbers::pi, -18, 0, snapped, true, false, {30, 30, 120}},
                      ResizeSnapCase {"BottomPulledUp", 11, 0, 0, 74.4, snapped, false, true, {100, 10, 70}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ViewTest, ThreeHundredObjectsAllServeAsTargetsAndEverySelectedObjectEndsItsMove)
{
    for (int i = 0; i < 300; ++i)
        add(1000 + 100 * i, 500, 10, 10);
    std::vector<ViewProbe *> movers = {add(0, 0, 10, 10), add(20, 0, 10, 10), add(40, 0, 10, 10)};
    for (ViewProbe *mover : movers)
        view.select(mover);
    // The last target's left edge lies far beyond any fixed table: 1000 + 100 * 299.
    view.MouseLDown(45, 5, {});
    view.MouseMove(45 + 30900 - 40 - 3, 5, {});
    view.MouseUp(45 + 30900 - 40 - 3, 5, {});
    EXPECT_EQ(view.xSnapsTo().coordinates.size(), 600u);
    EXPECT_NEAR(movers[2]->GetOriginX(), 30900, 1e-3);
    for (ViewProbe *mover : movers)
        EXPECT_EQ(std::pair(mover->started, mover->ended), std::pair(1, 1));
}

// A snap object with far more coordinates than any fixed room per writer: a comb of teeth.
class Comb : public ViewProbe
{
public:
    explicit Comb(int teeth)
        : ViewProbe(0, 0, 10, 10), mTeeth(teeth)
    {
    }
    int getXSnapArrayTo(std::span<float> array) const override
    {
        if (array.empty())
            return mTeeth;
        if (int(array.size()) < mTeeth)
            return 0;
        for (int i = 0; i < mTeeth; ++i)
            array[i] = 1000.0f + 10.0f * float(i);
        return mTeeth;
    }

private:
    int mTeeth;
};

TEST(CFTACoreViewSnapTableTest, AWriterWithManyCoordinatesGetsRoomForAllOfThem)
{
    for (const int teeth : {1, 64, 65, 500}) {
        SCOPED_TRACE(teeth);
        Comb comb(teeth);
        snapTable table;
        table.append(&comb, &CFTSnapObject::getXSnapArrayTo);
        ASSERT_EQ(table.coordinates.size(), std::size_t(teeth));
        ASSERT_EQ(table.runs.size(), 1u);
        EXPECT_EQ(table.runs.front().count, teeth);
        // The last tooth is reached like the first.
        CFTSnapObject *owner = nullptr;
        const float last = 1000.0f + 10.0f * float(teeth - 1);
        EXPECT_FLOAT_EQ(CFTACoreView::getSnap(last + 2.0f, table, 4.5f, &owner), -2.0f);
        EXPECT_EQ(owner, &comb);
    }
    Comb none(0);
    snapTable table;
    table.append(&none, &CFTSnapObject::getXSnapArrayTo);
    EXPECT_TRUE(table.runs.empty()) << "an owner with no coordinates leaves no run";
}

struct BoxCase
{
    const char *name;
    modifierKeys modifiers;
    std::vector<int> wide, narrow; // selection at the wide and at the narrower box
};

class SelectBoxTest : public ViewTest, public ::testing::WithParamInterface<BoxCase>
{
};

TEST_P(SelectBoxTest, TheSelectionFollowsTheBoxAndShiftOnlyAdds)
{
    const BoxCase &c = GetParam();
    add(10, 10, 10, 10);
    add(40, 10, 10, 10);
    view.select(add(100, 100, 10, 10));
    auto selection = [&](const std::vector<int> &indexes) {
        std::vector<CFTComponent *> expected;
        for (int index : indexes)
            expected.push_back(at(index));
        return view.getSelComponents() == expected;
    };
    EXPECT_EQ(view.MouseLDown(0, 0, c.modifiers), 0);
    EXPECT_EQ(view.MouseMove(60, 30, c.modifiers) & mouseRedrawSelectBox, mouseRedrawSelectBox);
    EXPECT_TRUE(selection(c.wide));
    view.MouseMove(30, 30, c.modifiers);
    EXPECT_TRUE(selection(c.narrow));
    EXPECT_EQ(view.MouseUp(30, 30, c.modifiers), mouseRedrawSelectBox | mouseRedrawSnapGuides);
    EXPECT_EQ(view.getOperMode(), operNone);
}

INSTANTIATE_TEST_SUITE_P(Cases, SelectBoxTest,
                         ::testing::Values(BoxCase {"Plain", {}, {0, 1}, {0}},
                                           BoxCase {"Shift", modifierShift, {2, 0, 1}, {2, 0, 1}}),
                         [](const auto &info) { return std::string(info.param.name); });

struct ResizeCase
{
    int dot;
    double x, y, width, height;
};

class ResizeTest : public ViewTest, public ::testing::WithParamInterface<ResizeCase>
{
};

TEST_P(ResizeTest, EachHandleMovesItsEdgesByTheDrag)
{
    const ResizeCase &c = GetParam();
    ViewProbe *box = add(100, 100, 40, 40);
    view.select(box);
    const double hx = 100 + 20 * (c.dot / 4 - 1), hy = 100 + 20 * (c.dot % 4 - 1);
    view.MouseLDown(hx, hy, {});
    EXPECT_EQ(view.getOperDot(), c.dot);
    EXPECT_EQ(view.MouseMove(hx + 10, hy + 10, {}), mouseChanged);
    EXPECT_EQ(view.MouseUp(hx + 10, hy + 10, {}), mouseChanged | mouseRedrawSnapGuides);
    EXPECT_EQ(std::vector<double>({box->GetOriginX(), box->GetOriginY(), box->GetSizeX(), box->GetSizeY()}),
              std::vector<double>({c.x, c.y, c.width, c.height}));
    EXPECT_EQ(std::pair(box->started, box->ended), std::pair(1, 1));
}

INSTANTIATE_TEST_SUITE_P(Cases, ResizeTest,
                         ::testing::Values(ResizeCase {5, 110, 110, 30, 30}, ResizeCase {6, 110, 100, 30, 40},
                                           ResizeCase {7, 110, 100, 30, 50}, ResizeCase {9, 100, 110, 40, 30},
                                           ResizeCase {11, 100, 100, 40, 50}, ResizeCase {13, 100, 110, 50, 30},
                                           ResizeCase {14, 100, 100, 50, 40}, ResizeCase {15, 100, 100, 50, 50}),
                         [](const auto &info) { return std::to_string(info.param.dot); });

struct CreateCase
{
    double dx, dy;
    int dot;
    int steps;
};

class CreateTest : public ViewTest, public ::testing::WithParamInterface<CreateCase>
{
};

// However many steps the drag takes, the new box spans exactly from the press point to the
// release point, with the dot chosen from the drag direction under the mouse.
TEST_P(CreateTest, TheBoxSpansFromThePressToTheReleaseWhateverTheSteps)
{
    const CreateCase &c = GetParam();
    FTComponentFactory::ScopedOverride shapes(ciShape, probes());
    const double pressX = 100.0, pressY = 100.0;
    view.setToolMode(toolField);
    view.MouseLDown(pressX, pressY, {});
    for (int step = 1; step <= c.steps; ++step) {
        const int result = view.MouseMove(pressX + c.dx * step / c.steps, pressY + c.dy * step / c.steps, {});
        if (step == 1) {
            EXPECT_EQ(result, mouseRedrawInvalid | mouseChanged);
            EXPECT_EQ(view.getOperDot(), c.dot);
        }
    }
    EXPECT_EQ(view.MouseUp(pressX + c.dx, pressY + c.dy, {}),
              mouseCreated | mouseStartTextEdit | mouseChanged | mouseRedrawSnapGuides);
    ASSERT_EQ(view.GetCurrentComponents().size(), 1u);
    CFTComponent *box = at(0);
    EXPECT_EQ(view.getSelComponents(), std::vector<CFTComponent *> {box});
    EXPECT_EQ(std::vector<double>({box->GetOriginX(), box->GetOriginY(), box->GetSizeX(), box->GetSizeY()}),
              std::vector<double>({std::min(pressX, pressX + c.dx), std::min(pressY, pressY + c.dy), std::abs(c.dx),
                                   std::abs(c.dy)}));
    EXPECT_EQ(view.getToolMode(), toolSelect);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CreateTest,
    ::testing::Values(CreateCase {30, 60, 15, 1}, CreateCase {30, 60, 15, 3}, CreateCase {30, 60, 15, 10},
                      CreateCase {30, -60, 13, 1}, CreateCase {30, -60, 13, 3}, CreateCase {30, -60, 13, 10},
                      CreateCase {-30, 60, 7, 1}, CreateCase {-30, 60, 7, 3}, CreateCase {-30, 60, 7, 10},
                      CreateCase {-30, -60, 5, 1}, CreateCase {-30, -60, 5, 3}, CreateCase {-30, -60, 5, 10}),
    [](const auto &info) { return std::to_string(info.param.dot) + "_in_" + std::to_string(info.param.steps); });

TEST_F(ViewTest, ZeroSizeCreationGoesToThePoolAndAClickCreatesNothing)
{
    FTComponentFactory::ScopedOverride shapes(ciShape, probes());
    CFTACoreDoc *document = controller.GetCurrentDocument();
    for (bool moved : {false, true}) {
        view.setToolMode(toolField);
        view.MouseLDown(50, 50, {});
        if (moved)
            view.MouseMove(50, 50, {});
        view.MouseUp(50, 50, {});
        EXPECT_TRUE(view.GetCurrentComponents().empty());
        EXPECT_EQ(document->deletedPoolSize(), moved ? 1 : 0);
        EXPECT_EQ(std::tuple(view.getOperMode(), view.getToolMode(), view.getOperObject()),
                  std::tuple(operNone, toolSelect, nullptr));
    }
}

TEST_F(ViewTest, ATextClickMakesASimpleTextAndASecondClickElsewhereEndsTheEditing)
{
    FTComponentFactory::ScopedOverride texts(ciAddressText, probes());
    view.setToolMode(toolText);
    EXPECT_EQ(view.MouseLDown(70, 80, {}), mouseStartTextEdit | mouseCreated);
    view.MouseUp(70, 80, {});
    ASSERT_EQ(view.GetCurrentComponents().size(), 1u);
    auto *text = static_cast<ViewProbe *>(at(0));
    EXPECT_EQ(std::tuple(text->GetOriginX(), text->GetOriginY(), text->category, text->placeholder),
              std::tuple(70.0, 80.0, tcSimpleText, QStringLiteral("Simple text")));
    EXPECT_TRUE(view.isTextEditing());
    view.setToolMode(toolText);
    EXPECT_EQ(view.MouseLDown(200, 200, {}), 0);
    EXPECT_EQ(view.getOperMode(), operNone);
    EXPECT_EQ(view.GetCurrentComponents().size(), 1u);
}

TEST_F(ViewTest, PressesOutsideEveryObjectAndViewsWithoutADocumentComeToRest)
{
    CFTDocumentController empty;
    comptest::TestCoreView lonely(&empty);
    add(10, 10, 10, 10);
    const auto gesture = [](CFTACoreView &target, toolMode tool) {
        target.setToolMode(tool);
        target.MouseLDown(500, 500, {});
        target.MouseMove(-1e7, 1e7, {});
        target.MouseUp(-1e7, 1e7, {});
        EXPECT_EQ(std::tuple(target.getToolMode(), target.getOperMode(), target.getSelComponents().size()),
                  std::tuple(toolSelect, operNone, 0ul));
    };
    gesture(view, toolSelect);
    for (toolMode tool : {toolSelect, toolText, toolField, toolSeparator})
        gesture(lonely, tool);
    EXPECT_EQ(view.GetCurrentComponents().size(), 1u);
    EXPECT_EQ(lonely.MouseRDown(1, 1, {}), mouseRedrawInvalid);
    EXPECT_EQ(lonely.MouseLDoubleClick(1, 1, {}), 0);
}

} // namespace
