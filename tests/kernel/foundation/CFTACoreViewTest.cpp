#include "kernel/foundation/CFTACoreView.h"

#include "ComponentTestSupport.h"
#include "kernel/foundation/CFTDocumentController.h"
#include "kernel/foundation/CFTLayoutGuideline.h"

#include <gtest/gtest.h>

#include <memory>
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
    void selectAll() override { ++blockSelections; }

    bool hidden = false;
    int blockSelections = 0;
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

constexpr int command = CFTACoreView::commandModifier;
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
        EXPECT_EQ(view.PickObject(10, 10, selected, action, CFTACoreView::commandModifier), nullptr);
        EXPECT_EQ(view.PickDot(10, 10, nullptr), nullptr);
        EXPECT_EQ(view.PickLayoutGuideline(10, 10, selected, action, 0), nullptr);
        EXPECT_FALSE(view.UpdateHighlightedObject(10, 10));
        EXPECT_EQ(view.defBox(), nullptr);
    }
}

} // namespace
