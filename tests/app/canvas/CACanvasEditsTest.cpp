// Every undoable edit of the canvas, applied as one command, undone and redone: the saved design
// must change, come back byte for byte on undo and be the edited design again on redo.
#include "CanvasEditsFixture.h"

#include "kernel/base/FTUtilities.h"
#include "kernel/drawing/CFTExtPicture.h"
#include "platform/PWFont.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct CanvasEditCase
{
    const char *name;
    std::function<void(CanvasEditsFixture &)> apply;
    // Some objects must first be in a given state for the edit to change anything.
    std::function<void(CanvasEditsFixture &)> prepare = nullptr;
};

void PrintTo(const CanvasEditCase &edit, std::ostream *out)
{
    *out << edit.name;
}

using F = CanvasEditsFixture;

const CDDColor kRed(1.0f, 0.0f, 0.0f, 1.0f);
const CDDColor kBlue(0.0f, 0.0f, 1.0f, 1.0f);

const CanvasEditCase kEdits[] = {
    {"MoveComponent", [](F &f) { f.edits().moveComponentDxDyForObject(7.5, -3.25, f.box); }},
    {"FlipX", [](F &f) { f.edits().setFlipXForObject(true, f.picture); }},
    {"FlipY", [](F &f) { f.edits().setFlipYForObject(true, f.picture); }},
    {"Shadow", [](F &f) { f.edits().setShadowForObject(true, f.box); }},
    {"Tile", [](F &f) { f.edits().setTileForObject(true, f.picture); }},
    {"TileScale", [](F &f) { f.edits().setTileScaleForObject(2.5f, f.picture); }},
    {"DataPlacing", [](F &f) { f.edits().setDataPlacingForObject(placingMode(2), f.picture); }},
    {"Filled", [](F &f) { f.edits().setFilledForObject(false, f.box); }},
    {"Stroked", [](F &f) { f.edits().setStrokedForObject(true, f.bare); }},
    {"LineWidth", [](F &f) { f.edits().setLineWidthForObject(4.5, f.box); }},
    {"Opacity", [](F &f) { f.edits().setOpacityForObject(0.25, f.box); }},
    {"Angle", [](F &f) { f.edits().setAngleForObject(0.4, f.box); }},
    {"Font", [](F &f) { f.edits().setFontForObject(PWFont(QStringLiteral("DejaVuSerif"), 19.0), f.text); }},
    {"ChangeFontSize", [](F &f) { f.edits().changeFontSizeForObject(3.0f, f.text); }},
    {"FontSize", [](F &f) { f.edits().setFontSizeForObject(31.0f, f.text); }},
    {"Alignment", [](F &f) { f.edits().setAlignmentForObject(taRight, f.text); }},
    {"TextColor", [](F &f) { f.edits().setTextColorForObject(kRed, f.text); }},
    {"ForeColorAddsTheOutline", [](F &f) { f.edits().setForeColorForObject(kRed, f.bare); }},
    {"BackColorAddsTheFill", [](F &f) { f.edits().setBackColorForObject(kBlue, f.bare); }},
    {"ObjectBound", [](F &f) { f.edits().setObjectBound(f.box, QRectF(11.0, 12.0, 70.0, 45.0)); }},
    {"SideCount", [](F &f) { f.edits().setSideCountForObject(7.0, f.box); }, [](F &f) { f.box->setType(ctPolygon); }},
    {"CurveRadius", [](F &f) { f.edits().setCurveRadiusForObject(9.0, f.box); },
     [](F &f) { f.box->setType(ctRoundedRect); }},
    {"CounterStart", [](F &f) { f.edits().setCounterStartNumberForObject(40, f.counter); }},
    {"CounterIncrement", [](F &f) { f.edits().setCounterIncrementForObject(5, f.counter); }},
    {"CounterDigits", [](F &f) { f.edits().setCounterNumberOfDigitsForObject(6, f.counter); }},
    {"CounterLeadingZeros", [](F &f) { f.edits().setCounterLeadingZerosForObject(true, f.counter); }},
    {"FileCountFields", [](F &f) { f.edits().setFileCountFieldsForObject(fieldsCount(2), f.fileField); }},
    {"FileNumberField", [](F &f) { f.edits().setFileNumberFieldForObject(3, f.fileField); }},
    {"Delimiter", [](F &f) { f.edits().setDelimeterForObject(QStringLiteral(";"), f.fileField); }},
    {"RaiseBaseline", [](F &f) { f.edits().raiseBaselineForObject(f.text); }},
    {"LoosenKerning", [](F &f) { f.edits().loosenKerningForObject(f.text); }},
    {"ReplaceImage",
     [](F &f) { f.edits().replaceImageForObject(F::image(30, 30, 0xffcc2200, QStringLiteral("red")), f.picture); }},
    {"Crop", [](F &f) { f.edits().setSourceRectIsClearForObject(QRectF(2, 3, 20, 10), false, f.picture); }},
    {"Insert", [](F &f) { f.edits().insertObjectSelect(new CFTBoxField(5.0, 5.0, 10.0, 10.0, nullptr), true); }},
    {"Delete", [](F &f) { f.edits().deleteObjectDeselect(f.text, true); }},
    {"SendToBack", [](F &f) { f.edits().sendToBack(f.text); }},
    {"SendToFront", [](F &f) { f.edits().sendToFront(f.bare); }},
    {"StepToBack", [](F &f) { f.edits().stepToBack(f.text); }},
    {"StepToFront", [](F &f) { f.edits().stepToFront(f.text); }},
    {"Exchange",
     [](F &f) {
         f.edits().exchangeObjectOnObjectSideIsBack(f.bare, new CFTBoxField(1.0, 2.0, 3.0, 4.0, nullptr), 0, false);
     }},
    {"SetBackground", [](F &f) { f.edits().setBackground(F::image(16, 16, 0xff00aa00)); }},
    {"InsertImage", [](F &f) { f.edits().insertImageAtPoint(F::image(12, 8, 0xff777777), QPointF(50, 50)); }},
    {"InsertShape", [](F &f) { f.edits().insertBasicShapeAtPoint(ctStar5, QPointF(80, 60)); }},
    {"ReplaceShape", [](F &f) { f.edits().replaceBasicShapeForObject(ctHexagon, f.box); }},
    {"MoveSelection",
     [](F &f) {
         f.view.ftView()->select(f.box);
         f.view.ftView()->select(f.text);
         f.edits().moveSelectedByPoint(QPointF(2.5, 1.0));
     }},
    {"DeleteSelection",
     [](F &f) {
         f.view.ftView()->select(f.picture);
         f.edits().deleteSelection();
     }},
    {"CategoryToCounter", [](F &f) { f.edits().setTextCategoryForObject(tcCounter, f.street); }},
    {"CategoryToFileData", [](F &f) { f.edits().setTextCategoryForObject(tcFileData, f.street); }},
};

class CACanvasEditsTest : public ::testing::TestWithParam<CanvasEditCase>
{
};

TEST_P(CACanvasEditsTest, UndoRestoresTheSavedBytesAndRedoRepeatsThem)
{
    F f;
    if (GetParam().prepare)
        GetParam().prepare(f);
    const QByteArray before = f.saved();
    ASSERT_FALSE(before.isEmpty());
    {
        CACanvasEdits::Step step(f.edits(), QStringLiteral("MOVE_OBJECT"));
        GetParam().apply(f);
    }
    const QByteArray after = f.saved();
    ASSERT_NE(after, before) << "the edit changed nothing that is saved";
    ASSERT_TRUE(f.undo().canUndo());

    f.undo().undo();
    EXPECT_TRUE(sameDesign(f.saved(), before)) << "undo left the design changed";
    EXPECT_FALSE(f.undo().canUndo()) << "the command was more than one step";
    ASSERT_TRUE(f.undo().canRedo());

    f.undo().redo();
    EXPECT_TRUE(sameDesign(f.saved(), after)) << "redo did not repeat the edit";

    f.undo().undo();
    EXPECT_TRUE(sameDesign(f.saved(), before)) << "a second undo did not restore the design";
}

INSTANTIATE_TEST_SUITE_P(Edits, CACanvasEditsTest, ::testing::ValuesIn(kEdits),
                         [](const ::testing::TestParamInfo<CanvasEditCase> &info) {
                             return std::string(info.param.name);
                         });

} // namespace
