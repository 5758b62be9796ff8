// The particular promises of the canvas edits: exact order on undo and redo, the barcode switch,
// backgrounds kept by the design, arrows at several zooms, text category changes that swap the
// object's class, and gestures of the mouse taken back by one undo.
#include "CanvasEditsFixture.h"

#include "kernel/base/FTClassID.h"
#include "kernel/drawing/CFTExtPicture.h"
#include "platform/PWFont.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

using F = CanvasEditsFixture;

// --- Order --------------------------------------------------------------------------------------

struct OrderCase
{
    const char *name;
    void (CACanvasEdits::*primitive)(CFTComponent *);
    // Where the middle object (the text, third of seven) ends.
    int indexAfter;
};

class CACanvasOrderTest : public ::testing::TestWithParam<OrderCase>
{
};

TEST_P(CACanvasOrderTest, UndoPutsTheObjectBackAtItsOwnPlaceAndRedoMovesItAgain)
{
    F f;
    ASSERT_EQ(f.indexOf(f.text), 2);
    const std::vector<CFTComponent *> before = f.list();
    {
        CACanvasEdits::Step step(f.edits(), QStringLiteral("SEND_BACK"));
        (f.edits().*GetParam().primitive)(f.text);
    }
    EXPECT_EQ(f.indexOf(f.text), GetParam().indexAfter);
    const std::vector<CFTComponent *> after = f.list();
    f.undo().undo();
    EXPECT_EQ(f.list(), before) << "undo must not send the object to the opposite end";
    f.undo().redo();
    EXPECT_EQ(f.list(), after);
    f.undo().undo();
    EXPECT_EQ(f.list(), before);
}

INSTANTIATE_TEST_SUITE_P(Order, CACanvasOrderTest,
                         ::testing::Values(OrderCase{"SendToBack", &CACanvasEdits::sendToBack, 0},
                                           OrderCase{"SendToFront", &CACanvasEdits::sendToFront, 6},
                                           OrderCase{"StepToBack", &CACanvasEdits::stepToBack, 1},
                                           OrderCase{"StepToFront", &CACanvasEdits::stepToFront, 3}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(CACanvasEditsCases, AnOrderChangeThatMovesNothingLeavesNoStep)
{
    F f;
    ASSERT_EQ(f.indexOf(f.box), 0);
    f.edits().stepToBack(f.box);
    f.edits().sendToBack(f.box);
    f.edits().sendToFront(f.street);
    EXPECT_FALSE(f.undo().canUndo()) << "its undo would move an object that never moved";
}

// --- Setters with particulars -------------------------------------------------------------------

TEST(CACanvasEditsCases, UndoingTileRestoresThePlacingItHad)
{
    F f;
    f.picture->SetDataPlacing(placingMode(2));
    f.edits().setTileForObject(true, f.picture);
    EXPECT_EQ(f.picture->GetDataPlacing(), placingMode(1));
    f.undo().undo();
    EXPECT_EQ(f.picture->GetDataPlacing(), placingMode(2));
}

TEST(CACanvasEditsCases, OutlineColourOnAShapeWithoutOutlineIsOneStepWithTheOutline)
{
    F f;
    const CDDColor red(1.0f, 0.0f, 0.0f, 1.0f);
    {
        CACanvasEdits::Step step(f.edits(), QStringLiteral("CHANGE_FIELD_COLOR"));
        f.edits().setForeColorForObject(red, f.bare);
    }
    EXPECT_TRUE(f.bare->IsStroked());
    EXPECT_TRUE(*f.bare->GetStrokeColor() == red);
    f.undo().undo();
    EXPECT_FALSE(f.bare->IsStroked());
    EXPECT_FALSE(f.undo().canUndo());
}

TEST(CACanvasEditsCases, ChangeFontSizeIsUndoneByTheOppositeChange)
{
    F f;
    const double size = f.text->GetFont(nullptr)->pointSize();
    f.edits().changeFontSizeForObject(2.0f, f.text);
    EXPECT_DOUBLE_EQ(f.text->GetFont(nullptr)->pointSize(), size + 2.0);
    f.undo().undo();
    EXPECT_DOUBLE_EQ(f.text->GetFont(nullptr)->pointSize(), size);
}

TEST(CACanvasEditsCases, UndoOfAShrinkStoppedAtTheSmallestSizeGivesTheSizeBack)
{
    F f;
    f.edits().setFontSizeForObject(4.0f, f.text);
    f.undo().removeAllActions();
    f.edits().changeFontSizeForObject(-2.0f, f.text);
    ASSERT_DOUBLE_EQ(f.text->GetFont(nullptr)->pointSize(), CDDText::kMinFontSize);
    f.undo().undo();
    EXPECT_DOUBLE_EQ(f.text->GetFont(nullptr)->pointSize(), 4.0) << "the opposite change alone would give 5";
}

TEST(CACanvasEditsCases, UndoingAFontKeepsEveryRunItsOwnSize)
{
    F f;
    QTextCursor cursor(f.text->GetText()->getContents());
    cursor.setPosition(0);
    cursor.setPosition(2, QTextCursor::KeepAnchor);
    QTextCharFormat big;
    big.setFontPointSize(20.0);
    cursor.mergeCharFormat(big);
    cursor.setPosition(2);
    cursor.setPosition(5, QTextCursor::KeepAnchor);
    QTextCharFormat small;
    small.setFontPointSize(12.0);
    cursor.mergeCharFormat(small);
    const QByteArray before = f.saved();
    f.edits().setFontForObject(PWFont(QStringLiteral("DejaVuSerif"), 15.0), f.text);
    f.undo().undo();
    EXPECT_TRUE(sameDesign(f.saved(), before)) << "one font for the whole text would lose the second run's size";
}

TEST(CACanvasEditsCases, PictureOnlyEditsRegisterNothingOnOtherObjects)
{
    F f;
    f.edits().setSourceRectIsClearForObject(QRectF(1, 1, 5, 5), false, f.text);
    f.edits().setSourceRectIsClearForObject(QRectF(1, 1, 5, 5), false, f.box);
    f.edits().setMaskForObject(F::image(4, 4, 0xff000000), f.text);
    f.edits().setCounterIncrementForObject(3, f.box);
    f.edits().setDelimeterForObject(QStringLiteral(","), f.counter);
    EXPECT_FALSE(f.undo().canUndo());
    EXPECT_EQ(f.counter->GetIncrement(), 1);
}

TEST(CACanvasEditsCases, DeletedObjectIsSelectedAgainOnlyWhenItWasSelected)
{
    F f;
    CFTAView *view = f.view.ftView();
    view->select(f.box);
    f.edits().deleteObjectDeselect(f.box, true);
    f.edits().deleteObjectDeselect(f.text, true);
    EXPECT_EQ(f.indexOf(f.box), -1);
    EXPECT_TRUE(f.document.ftDocument()->isInDeletedPool(f.box)) << "a deleted object waits for its undo";
    f.undo().undo();
    ASSERT_EQ(f.indexOf(f.box), 0);
    EXPECT_EQ(f.indexOf(f.text), 2);
    EXPECT_TRUE(view->isSelected(f.box));
    EXPECT_FALSE(view->isSelected(f.text));
}

// --- Barcode ------------------------------------------------------------------------------------

TEST(CACanvasEditsCases, ShowBarcodeFollowsItsFlagAndUndoRestoresThePreviousState)
{
    F f;
    ASSERT_EQ(f.edits().separateBarcode(), nullptr);
    f.edits().showBarcode(false);
    EXPECT_FALSE(f.undo().canUndo()) << "hiding what is not shown changes nothing";

    f.edits().showBarcode(true);
    CFTComponent *barcode = f.edits().separateBarcode();
    ASSERT_NE(barcode, nullptr);
    EXPECT_EQ(barcode->getClassID(), ciBarcode);
    const std::size_t shown = f.list().size();
    f.edits().showBarcode(true);
    EXPECT_EQ(f.list().size(), shown) << "showing twice makes no second barcode";

    f.undo().undo();
    EXPECT_EQ(f.edits().separateBarcode(), nullptr);
    f.undo().redo();
    EXPECT_EQ(f.edits().separateBarcode(), barcode) << "redo brings back the same barcode";

    f.edits().showBarcode(false);
    EXPECT_EQ(f.edits().separateBarcode(), nullptr);
    f.undo().undo();
    EXPECT_EQ(f.edits().separateBarcode(), barcode);
}

// --- Background ---------------------------------------------------------------------------------

TEST(CACanvasEditsCases, BackgroundIsKeptDrawnFirstSavedRemovableAndUndoable)
{
    F f;
    f.edits().setBackground(F::image(20, 10, 0xff112233));
    CFTExtPicture *background = f.document.ftDocument()->getBackground(0);
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(f.document.ftDocument()->GetComponents(0, true).front(), background) << "drawn before the rest";
    EXPECT_EQ(f.undo().undoActionName(), QStringLiteral("Set Background"));

    CADocument reread;
    ASSERT_TRUE(reread.loadDataRepresentation(f.saved(), CADocument::kAddressDocumentType));
    EXPECT_NE(reread.ftDocument()->getBackground(0), nullptr) << "the background is saved with the design";

    f.edits().removeBackground();
    EXPECT_EQ(f.document.ftDocument()->getBackground(0), nullptr);
    EXPECT_EQ(f.undo().undoActionName(), QStringLiteral("Remove Background"));
    f.undo().undo();
    EXPECT_EQ(f.document.ftDocument()->getBackground(0), background);
    f.undo().undo();
    EXPECT_EQ(f.document.ftDocument()->getBackground(0), nullptr);
    f.undo().redo();
    EXPECT_EQ(f.document.ftDocument()->getBackground(0), background);
}

// --- Pictures and shapes ------------------------------------------------------------------------

TEST(CACanvasEditsCases, LargePictureGoesInAtHalfThePageAreaCentredOnThePoint)
{
    F f;
    const CFTADocument *design = f.document.ftDocument();
    const double pageArea = design->getDocumentSizeX(0) * design->getDocumentSizeY(0);
    const QSizeF small = f.edits().prepareImageSize(QSizeF(10, 5));
    EXPECT_EQ(small, QSizeF(10, 5));
    CFTComponent *made = f.edits().insertImageAtPoint(F::image(4000, 2000, 0xff00ff00), QPointF(60, 40));
    ASSERT_NE(made, nullptr);
    EXPECT_NEAR(made->GetSizeX() * made->GetSizeY(), pageArea / 2.0, 1e-6);
    EXPECT_NEAR(made->GetSizeX() / made->GetSizeY(), 2.0, 1e-9);
    EXPECT_NEAR(made->GetOriginX() + made->GetSizeX() / 2.0, 60.0, 1e-9);
    EXPECT_NEAR(made->GetOriginY() + made->GetSizeY() / 2.0, 40.0, 1e-9);
    ASSERT_EQ(f.view.ftView()->getSelComponents().size(), 1u);
    EXPECT_EQ(f.view.ftView()->getSelComponents().front(), made);
}

TEST(CACanvasEditsCases, BasicShapeOnASelectionOfTextsInsertsANewShape)
{
    F f;
    f.view.ftView()->select(f.text);
    const std::size_t before = f.list().size();
    f.edits().replaceBasicShape(QStringLiteral("Hexagon"));
    ASSERT_EQ(f.list().size(), before + 1);
    EXPECT_EQ(f.list().back()->getType(), ctHexagon);
    EXPECT_EQ(f.undo().undoActionName(), QStringLiteral("Insert Object"));
    f.undo().undo();
    EXPECT_EQ(f.list().size(), before);
}

// --- Keys ---------------------------------------------------------------------------------------

class CACanvasArrowTest : public ::testing::TestWithParam<double>
{
};

TEST_P(CACanvasArrowTest, AnArrowMovesTheSelectionOneScreenPixel)
{
    F f;
    f.view.setZoom(GetParam());
    const double pixel = 1.0 / f.view.scale();
    QTest::keyClick(&f.view, Qt::Key_Right);
    EXPECT_FALSE(f.undo().canUndo()) << "nothing selected, nothing moved";

    f.view.ftView()->select(f.box);
    f.view.ftView()->select(f.text);
    const QRectF box = CACanvasEdits::frameOf(f.box);
    const QRectF text = CACanvasEdits::frameOf(f.text);
    QTest::keyClick(&f.view, Qt::Key_Right);
    QTest::keyClick(&f.view, Qt::Key_Down);
    EXPECT_DOUBLE_EQ(f.box->GetOriginX(), box.x() + pixel);
    EXPECT_DOUBLE_EQ(f.box->GetOriginY(), box.y() + pixel);
    EXPECT_DOUBLE_EQ(f.text->GetOriginX(), text.x() + pixel);
    EXPECT_EQ(f.undo().undoActionName(), QStringLiteral("Move Object"));
    f.undo().undo();
    f.undo().undo();
    EXPECT_EQ(CACanvasEdits::frameOf(f.box), box);
    EXPECT_EQ(CACanvasEdits::frameOf(f.text), text);
}

INSTANTIATE_TEST_SUITE_P(Zooms, CACanvasArrowTest, ::testing::Values(2.0, 0.5));

TEST(CACanvasEditsCases, DeleteKeyDeletesTheSelectionAsOneStep)
{
    F f;
    f.view.ftView()->select(f.box);
    f.view.ftView()->select(f.picture);
    QTest::keyClick(&f.view, Qt::Key_Delete);
    EXPECT_EQ(f.indexOf(f.box), -1);
    EXPECT_EQ(f.indexOf(f.picture), -1);
    EXPECT_TRUE(f.view.ftView()->getSelComponents().empty());
    EXPECT_EQ(f.undo().undoActionName(), QStringLiteral("Delete Object"));
    f.undo().undo();
    EXPECT_EQ(f.indexOf(f.box), 0);
    EXPECT_EQ(f.indexOf(f.picture), 3);
    EXPECT_FALSE(f.undo().canUndo());
}

// --- Text categories ----------------------------------------------------------------------------

TEST(CACanvasEditsCases, CategoryChangeSwapsTheClassWhereNeededAndUndoBringsTheTextBack)
{
    F f;
    const int index = f.indexOf(f.street);
    {
        CACanvasEdits::Step step(f.edits(), QStringLiteral("CHANGE_CATEGORY"));
        f.edits().setTextCategoryForObject(tcCounter, f.street);
    }
    CFTComponent *counter = f.list()[index];
    ASSERT_NE(counter, f.street);
    EXPECT_EQ(counter->getClassID(), ciCounter);
    EXPECT_EQ(counter->GetTextCategory(), tcCounter);
    EXPECT_DOUBLE_EQ(counter->GetOriginX(), f.street->GetOriginX()) << "the counter copies the text";
    EXPECT_TRUE(f.view.ftView()->isSelected(counter));

    f.undo().undo();
    EXPECT_EQ(f.list()[index], f.street);
    EXPECT_EQ(f.street->GetTextCategory(), tcStreet);
    f.undo().redo();
    EXPECT_EQ(f.list()[index], counter) << "redo brings the same counter back";

    // And back to a person field: an address text again.
    f.edits().setTextCategoryForObject(tcCity, counter);
    CFTComponent *city = f.list()[index];
    EXPECT_EQ(city->getClassID(), ciAddressText);
    EXPECT_EQ(city->GetTextCategory(), tcCity);
    f.undo().undo();
    EXPECT_EQ(f.list()[index], counter);
}

TEST(CACanvasEditsCases, CategoryChangeBetweenPersonFieldsKeepsTheObject)
{
    F f;
    const int index = f.indexOf(f.street);
    f.edits().setTextCategoryForObject(tcCity, f.street);
    EXPECT_EQ(f.list()[index], f.street);
    EXPECT_EQ(f.street->GetTextCategory(), tcCity);
    f.undo().undo();
    EXPECT_EQ(f.street->GetTextCategory(), tcStreet);
}

TEST(CACanvasEditsCases, FileFieldMadeFromATextStartsWithASpaceDelimiter)
{
    F f;
    const int index = f.indexOf(f.street);
    f.edits().setTextCategoryForObject(tcFileData, f.street);
    CFTComponent *made = f.list()[index];
    ASSERT_EQ(made->getClassID(), ciFileField);
    EXPECT_EQ(static_cast<CFTFileField *>(made)->GetDelimeter().getData(), QStringLiteral(" "));
}

// --- Gestures -----------------------------------------------------------------------------------

struct MouseCanvas : F
{
    MouseCanvas()
    {
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    QWidget *target() { return view.viewport(); }
    QPoint at(double x, double y) const { return view.geometry().widgetPoint(QPointF(x, y)).toPoint(); }
    void move(QPoint p)
    {
        QMouseEvent event(QEvent::MouseMove, QPointF(p), target()->mapToGlobal(QPointF(p)), Qt::NoButton,
                          Qt::LeftButton, Qt::ControlModifier);
        QApplication::sendEvent(target(), &event);
    }
    void drag(QPoint from, QPoint by)
    {
        QTest::mousePress(target(), Qt::LeftButton, {}, from);
        for (int step = 1; step <= 3; ++step)
            move(from + by * step / 3);
        QTest::mouseRelease(target(), Qt::LeftButton, Qt::ControlModifier, from + by);
    }
};

TEST(CACanvasEditsCases, DragMoveIsOneStepThatUndoPutsBack)
{
    MouseCanvas c;
    const QRectF before = CACanvasEdits::frameOf(c.box);
    const QByteArray saved = c.saved();
    c.drag(c.at(60, 50), QPoint(30, 12));
    ASSERT_NE(CACanvasEdits::frameOf(c.box), before);
    ASSERT_TRUE(c.undo().canUndo());
    EXPECT_EQ(c.undo().undoActionName(), QStringLiteral("Move Object"));
    c.undo().undo();
    EXPECT_EQ(CACanvasEdits::frameOf(c.box), before);
    EXPECT_TRUE(sameDesign(c.saved(), saved));
    c.undo().redo();
    EXPECT_NE(CACanvasEdits::frameOf(c.box), before);
}

TEST(CACanvasEditsCases, HandleResizeIsNamedChangeBoundAndUndone)
{
    MouseCanvas c;
    const QRectF before = CACanvasEdits::frameOf(c.box);
    QTest::mouseClick(c.target(), Qt::LeftButton, {}, c.at(60, 50));
    c.drag(c.at(90, 70), QPoint(20, 10));
    ASSERT_NE(CACanvasEdits::frameOf(c.box), before);
    EXPECT_EQ(c.undo().undoActionName(), QStringLiteral("Resize Object"));
    c.undo().undo();
    EXPECT_EQ(CACanvasEdits::frameOf(c.box), before);
}

TEST(CACanvasEditsCases, ShapeMadeWithTheToolIsTakenAwayByUndo)
{
    MouseCanvas c;
    const std::size_t before = c.list().size();
    c.view.ftView()->setToolMode(toolField);
    c.drag(c.at(30, 160), QPoint(40, 20));
    ASSERT_EQ(c.list().size(), before + 1);
    CFTComponent *made = c.list().back();
    EXPECT_EQ(c.undo().undoActionName(), QStringLiteral("Create Object"));
    c.undo().undo();
    EXPECT_EQ(c.list().size(), before);
    c.undo().redo();
    ASSERT_EQ(c.list().size(), before + 1);
    EXPECT_EQ(c.list().back(), made);
}

} // namespace
