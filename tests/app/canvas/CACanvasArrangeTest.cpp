// Align and distribute: the moves with worked numbers on three and five objects, and the commands
// on a canvas moving the selection as one step that undo takes back exactly.
#include "app/canvas/CACanvasArrange.h"

#include "CanvasEditsFixture.h"

#include "platform/PWBundle.h"

#include <functional>

using namespace Qt::StringLiterals;
using namespace CACanvasArrange;

namespace {

// Frames of width 10 and height 10 at the given left edges (top 0), or tops (left 0).
std::vector<QRectF> atX(std::initializer_list<double> lefts, double width = 10.0)
{
    std::vector<QRectF> frames;
    for (double x : lefts)
        frames.emplace_back(x, 0.0, width, 10.0);
    return frames;
}

std::vector<QRectF> atY(std::initializer_list<double> tops)
{
    std::vector<QRectF> frames;
    for (double y : tops)
        frames.emplace_back(0.0, y, 10.0, 10.0);
    return frames;
}

std::vector<double> movedX(const std::vector<QRectF> &frames, const std::vector<QPointF> &moves)
{
    std::vector<double> xs;
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(moves[i].y(), 0.0) << "moves across only";
        xs.push_back(frames[i].left() + moves[i].x());
    }
    return xs;
}

std::vector<double> movedY(const std::vector<QRectF> &frames, const std::vector<QPointF> &moves)
{
    std::vector<double> ys;
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(moves[i].x(), 0.0) << "moves down only";
        ys.push_back(frames[i].top() + moves[i].y());
    }
    return ys;
}

TEST(CACanvasArrangeTest, EdgesGoToTheOutermostEdge)
{
    const auto frames = atX({30, 10, 50});
    EXPECT_EQ(movedX(frames, alignMoves(frames, Align::Left)), (std::vector<double>{10, 10, 10}));
    EXPECT_EQ(movedX(frames, alignMoves(frames, Align::Right)), (std::vector<double>{50, 50, 50}));
    const auto tall = atY({40, 5, 25, 60, 15});
    EXPECT_EQ(movedY(tall, alignMoves(tall, Align::Top)), (std::vector<double>{5, 5, 5, 5, 5}));
    EXPECT_EQ(movedY(tall, alignMoves(tall, Align::Bottom)), (std::vector<double>{60, 60, 60, 60, 60}));
    // Right edges all left of the page: they meet at 0, never further left.
    const auto off = atX({-50, -30, -20});
    EXPECT_EQ(movedX(off, alignMoves(off, Align::Right)), (std::vector<double>{-10, -10, -10}));
}

TEST(CACanvasArrangeTest, CentresMeetAtTheRunningHalfSum)
{
    // Centres 0, 40, 100: ((0 + 0) / 2 + 40) / 2 = 20, (20 + 100) / 2 = 60.
    const auto frames = atX({-5, 35, 95});
    EXPECT_EQ(movedX(frames, alignMoves(frames, Align::CentersVertically)), (std::vector<double>{55, 55, 55}));
    const auto two = atY({0, 30});
    EXPECT_EQ(movedY(two, alignMoves(two, Align::CentersHorizontally)), (std::vector<double>{15, 15}))
        << "two objects meet at their mean";
    EXPECT_TRUE(alignMoves({}, Align::CentersVertically).empty());
}

TEST(CACanvasArrangeTest, PageCentreMovesOneWayByTag)
{
    const std::vector<QRectF> frames{QRectF(10, 20, 40, 10), QRectF(100, 5, 20, 30)};
    const QSizeF page(200, 100);
    const std::vector<QPointF> across = pageCentreMoves(frames, page, false);
    EXPECT_EQ(across, (std::vector<QPointF>{QPointF(70, 0), QPointF(-10, 0)}));
    const std::vector<QPointF> down = pageCentreMoves(frames, page, true);
    EXPECT_EQ(down, (std::vector<QPointF>{QPointF(0, 25), QPointF(0, 30)}));
}

TEST(CACanvasArrangeTest, SpacingLeavesEqualGapsBetweenNeighbours)
{
    // 0 (width 10), 15, 100: the middle one goes to 50.
    const auto three = atX({0, 15, 100});
    EXPECT_EQ(movedX(three, distributeMoves(three, Distribute::SpacingHorizontally)),
              (std::vector<double>{0, 50, 100}));
    // Five in no order, widths 10: span 90 - 10 = 80, inner widths 30, four gaps of 12.5.
    const auto five = atX({90, 20, 0, 70, 30});
    EXPECT_EQ(movedX(five, distributeMoves(five, Distribute::SpacingHorizontally)),
              (std::vector<double>{90, 22.5, 0, 67.5, 45}));
    const auto tall = atY({0, 15, 100});
    EXPECT_EQ(movedY(tall, distributeMoves(tall, Distribute::SpacingVertically)), (std::vector<double>{0, 50, 100}));
    // Two objects have no gap between others to share.
    const auto two = atX({0, 70});
    EXPECT_EQ(distributeMoves(two, Distribute::SpacingHorizontally), (std::vector<QPointF>(2)));
}

TEST(CACanvasArrangeTest, CentreDistributionStepsEvenly)
{
    // Centres 0, 10, 90: the middle centre goes to 45.
    const auto three = atX({-5, 5, 85});
    EXPECT_EQ(movedX(three, distributeMoves(three, Distribute::CentersHorizontally)),
              (std::vector<double>{-5, 40, 85}));
    // Five with centres 5, 25, 35, 75, 105 in sorted order: steps of 25.
    const auto five = atY({100, 0, 30, 70, 20});
    EXPECT_EQ(movedY(five, distributeMoves(five, Distribute::CentersVertically)),
              (std::vector<double>{100, 0, 50, 75, 25}));
}

class CACanvasArrangeCommandTest : public ::testing::Test, public CanvasEditsFixture
{
};

TEST_F(CACanvasArrangeCommandTest, AlignIsOneStepThatUndoTakesBackExactly)
{
    const QByteArray before = saved();
    view.ftView()->select(box);
    view.ftView()->select(picture);
    view.ftView()->select(text);
    align(view, Align::Left);
    EXPECT_EQ(box->GetOriginX(), 40.0);
    EXPECT_EQ(picture->GetOriginX(), 40.0);
    EXPECT_EQ(text->GetOriginX(), 40.0);
    EXPECT_EQ(undo().undoActionName(), PWLocalizedString(u"CHANGE_ALIGN_COLUMN"_s));
    undo().undo();
    EXPECT_FALSE(undo().canUndo());
    EXPECT_TRUE(sameDesign(saved(), before));
}

TEST_F(CACanvasArrangeCommandTest, DistributionNamesItsStepAndUndoes)
{
    const QByteArray before = saved();
    view.ftView()->select(box);
    view.ftView()->select(picture);
    view.ftView()->select(text);
    const double boxLeft = box->GetOriginX();
    const double textLeft = text->GetOriginX();
    distribute(view, Distribute::SpacingHorizontally);
    EXPECT_EQ(box->GetOriginX(), boxLeft);
    EXPECT_EQ(text->GetOriginX(), textLeft);
    const double gapBefore = picture->GetOriginX() - (box->GetOriginX() + box->GetSizeX());
    const double gapAfter = text->GetOriginX() - (picture->GetOriginX() + picture->GetSizeX());
    EXPECT_DOUBLE_EQ(gapBefore, gapAfter);
    EXPECT_EQ(undo().undoActionName(), PWLocalizedString(u"DISTRIBUTE_OBJECTS"_s));
    undo().undo();
    EXPECT_TRUE(sameDesign(saved(), before));

    // With two objects nothing moves and no step is made.
    view.ftView()->deselect(text);
    distribute(view, Distribute::CentersHorizontally);
    EXPECT_FALSE(undo().canUndo());
}

// Five objects through the canvas: the worked numbers of the moves, each command one step that
// undo takes back exactly.
TEST_F(CACanvasArrangeCommandTest, FiveObjectsTakeTheWorkedNumbersAndUndoExactly)
{
    std::vector<CFTComponent *> five;
    for (double left : {90.0, 20.0, 0.0, 70.0, 30.0}) {
        auto *shape = new CFTBoxField(left, 200.0 + left, 10.0, 10.0, nullptr);
        document.ftDocument()->AddObject(shape, 0, false);
        view.ftView()->select(shape);
        five.push_back(shape);
    }
    undo().removeAllActions();
    const QByteArray before = saved();
    const auto lefts = [&five] {
        std::vector<double> xs;
        for (CFTComponent *component : five)
            xs.push_back(component->GetOriginX());
        return xs;
    };
    struct Case
    {
        const char *name;
        std::function<void()> command;
        std::vector<double> expected;
    };
    const Case cases[] = {
        {"spacing", [this] { distribute(view, Distribute::SpacingHorizontally); }, {90, 22.5, 0, 67.5, 45}},
        {"left", [this] { align(view, Align::Left); }, {0, 0, 0, 0, 0}},
        {"right", [this] { align(view, Align::Right); }, {90, 90, 90, 90, 90}},
        {"centres", [this] { distribute(view, Distribute::CentersHorizontally); }, {90, 22.5, 0, 67.5, 45}},
    };
    for (const Case &c : cases) {
        c.command();
        EXPECT_EQ(lefts(), c.expected) << c.name;
        ASSERT_TRUE(undo().canUndo()) << c.name;
        undo().undo();
        EXPECT_FALSE(undo().canUndo()) << c.name << ": one step";
        EXPECT_TRUE(sameDesign(saved(), before)) << c.name;
    }
}

TEST_F(CACanvasArrangeCommandTest, PageCentreByTag)
{
    view.ftView()->select(box);
    const double top = box->GetOriginY();
    alignToPageCentre(view, 100);
    const CFTADocument *design = document.ftDocument();
    EXPECT_DOUBLE_EQ(box->GetOriginX() + box->GetSizeX() / 2.0, design->getDocumentSizeX(0) / 2.0);
    EXPECT_EQ(box->GetOriginY(), top);
    const double left = box->GetOriginX();
    alignToPageCentre(view, 101);
    EXPECT_DOUBLE_EQ(box->GetOriginY() + box->GetSizeY() / 2.0, design->getDocumentSizeY(0) / 2.0);
    EXPECT_EQ(box->GetOriginX(), left);

    // Tag 0 is across, as 100.
    box->Move(-7.0, 3.0, view.ftView());
    const double lower = box->GetOriginY();
    alignToPageCentre(view, 0);
    EXPECT_DOUBLE_EQ(box->GetOriginX() + box->GetSizeX() / 2.0, design->getDocumentSizeX(0) / 2.0);
    EXPECT_EQ(box->GetOriginY(), lower);
}

} // namespace
