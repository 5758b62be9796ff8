// What the editing view reports to its observer when an operation ends: the canvas registers its
// undo steps from these reports.
#include "kernel/document/CFTAView.h"

#include "ViewGestureSupport.h"
#include "kernel/document/CFTAViewObserver.h"
#include "kernel/component/CFTAOperationReport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using viewtest::Design;
using viewtest::frame;
using Kind = CFTAOperationReport::Kind;

struct Recorder : CFTAViewObserver
{
    void viewOperationEnded(const CFTAOperationReport &report) override { reports.push_back(report); }
    std::vector<CFTAOperationReport> reports;
};

class OperationReportTest : public ::testing::Test
{
protected:
    OperationReportTest() { d.view.setObserver(&recorder); }
    Design d;
    Recorder recorder;
};

TEST_F(OperationReportTest, AMoveReportsEverySelectedObjectWithItsFrameBefore)
{
    CFTComponent *a = d.shape(10, 10, 20, 20);
    CFTComponent *b = d.shape(60, 10, 20, 30);
    d.view.select(a);
    d.view.select(b);
    d.drag(20, 20, 45, 70, modifierCommand, 4);
    ASSERT_EQ(recorder.reports.size(), 1u);
    const CFTAOperationReport &report = recorder.reports.front();
    EXPECT_EQ(report.kind, Kind::Move);
    ASSERT_EQ(report.entries.size(), 2u);
    EXPECT_EQ(report.entries[0].component, a);
    EXPECT_EQ(report.entries[0].frameBefore, QRectF(10, 10, 20, 20));
    EXPECT_EQ(report.entries[1].component, b);
    EXPECT_EQ(report.entries[1].frameBefore, QRectF(60, 10, 20, 30));
    // The report tells the frame before; the objects themselves have moved on.
    EXPECT_EQ(frame(a), QRectF(35, 60, 20, 20));
}

TEST_F(OperationReportTest, AResizeReportsTheOperatedObjectOnly)
{
    CFTComponent *a = d.shape(10, 10, 20, 20);
    CFTComponent *other = d.shape(100, 100, 20, 20);
    d.view.select(a);
    d.view.select(other);
    // The bottom-right handle of a; Command keeps the drag free of snapping.
    d.drag(30, 30, 50, 45, modifierCommand, 2);
    ASSERT_EQ(recorder.reports.size(), 1u);
    EXPECT_EQ(recorder.reports[0].kind, Kind::Resize);
    ASSERT_EQ(recorder.reports[0].entries.size(), 1u);
    EXPECT_EQ(recorder.reports[0].entries[0].component, a);
    EXPECT_EQ(recorder.reports[0].entries[0].frameBefore, QRectF(10, 10, 20, 20));
    EXPECT_EQ(frame(a), QRectF(10, 10, 40, 35));
}

TEST_F(OperationReportTest, CreationsByDragAndByTextClickAreReportedAndEmptyGesturesAreNot)
{
    d.view.setToolMode(toolField);
    d.drag(10, 10, 60, 40, modifierCommand, 3);
    ASSERT_EQ(recorder.reports.size(), 1u);
    EXPECT_EQ(recorder.reports[0].kind, Kind::Create);
    ASSERT_EQ(recorder.reports[0].entries.size(), 1u);
    EXPECT_EQ(recorder.reports[0].entries[0].component, d.list().back());
    EXPECT_TRUE(recorder.reports[0].entries[0].frameBefore.isNull());

    // Ends the typing the creation started, then a text-tool click makes a text.
    d.click(300, 300);
    d.view.setToolMode(toolText);
    d.view.MouseLDown(150, 150, {});
    d.view.MouseUp(150, 150, {});
    ASSERT_EQ(recorder.reports.size(), 2u);
    EXPECT_EQ(recorder.reports[1].kind, Kind::Create);
    EXPECT_EQ(recorder.reports[1].entries[0].component, d.list().back());

    // A creation released where it was pressed makes nothing, a plain click and a select box
    // change nothing: no report for any of them.
    d.click(300, 300);
    d.view.setToolMode(toolField);
    d.click(200, 200);
    d.click(250, 250);
    d.drag(240, 240, 260, 260);
    EXPECT_EQ(recorder.reports.size(), 2u);
}

TEST_F(OperationReportTest, AnEraseReportsTheObjectAndItsPlaceInTheList)
{
    d.shape(10, 10, 20, 20);
    CFTComponent *middle = d.shape(40, 10, 20, 20);
    d.shape(70, 10, 20, 20);
    ASSERT_TRUE(d.view.EreaseComponent(middle, true));
    ASSERT_EQ(recorder.reports.size(), 1u);
    EXPECT_EQ(recorder.reports[0].kind, Kind::Erase);
    ASSERT_EQ(recorder.reports[0].entries.size(), 1u);
    EXPECT_EQ(recorder.reports[0].entries[0].component, middle);
    EXPECT_EQ(recorder.reports[0].entries[0].indexBefore, 1);
    EXPECT_EQ(recorder.reports[0].entries[0].frameBefore, QRectF(40, 10, 20, 20));
    EXPECT_FALSE(d.view.EreaseComponent(middle, true)) << "not listed any more";
    EXPECT_EQ(recorder.reports.size(), 1u);
}

// The canvas translates its events into the view's own modifier keys and reads typed results.
TEST_F(OperationReportTest, TypedModifiersAndResultsAtTheCanvasDoor)
{
    static_assert(modifierShift == 0x20000 && modifierOption == 0x80000 && modifierCommand == 0x100000);
    CFTComponent *under = d.shape(10, 10, 40, 40);
    CFTComponent *over = d.shape(20, 20, 40, 40);
    d.view.select(over);
    // Command on the selected object reaches the unselected one beneath it.
    bool selected = false;
    actionType action = actionNone;
    EXPECT_EQ(d.view.PickObject(30, 30, selected, action, modifierCommand), under);
    EXPECT_EQ(action, actionCycled);

    const mouseResults pressed = d.view.MouseLDown(300, 300, modifierShift | modifierCommand);
    EXPECT_FALSE(pressed.testFlag(mouseCreated));
    const mouseResults released = d.view.MouseUp(300, 300, modifierShift | modifierCommand);
    EXPECT_TRUE(released.testFlag(mouseRedrawSnapGuides));
    EXPECT_TRUE(released.testFlag(mouseRedrawInvalid)) << "a click on nothing clears the selection";
    EXPECT_TRUE(d.view.getSelComponents().empty());
}

} // namespace
