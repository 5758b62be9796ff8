// The canvas driven by real mouse and key events on its widget: moving at several zooms, making a
// shape with the shape tool, a rubber band, and editing a text in place.
#include "app/canvas/CACanvasTextEditor.h"
#include "app/canvas/CADocView.h"
#include "kernel/base/CDDColor.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDText.h"
#include "platform/PWUndoManager.h"
#include "kernel/text/CFTAText.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

struct Canvas
{
    Canvas(double zoom = 1.0)
    {
        box = new CFTBoxField(40.0, 40.0, 50.0, 30.0, nullptr);
        // Filled, so that a press inside picks it, not only one on its outline.
        const CDDColor yellow(0.98f, 0.86f, 0.24f, 1.0f);
        box->SetFillColor(&yellow);
        box->SetFilled(true);
        document.ftDocument()->AddObject(box, 0, false);
        text = new CFTAText(120.0, 40.0, 90.0, 24.0, nullptr);
        text->GetText()->setString(u"Hello"_s, nullptr);
        document.ftDocument()->AddObject(text, 0, false);
        view.setScreenResolution(96.0);
        EXPECT_TRUE(view.setDocument(&document));
        view.setZoom(zoom);
        QObject::connect(&view, &CADocView::operationEnded, [this](const CFTAOperationReport &report) {
            reports.push_back(report.kind);
        });
        QObject::connect(&view, &CADocView::designEdited, [this] { ++edits; });
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    QWidget *target() { return view.viewport(); }
    QPoint at(double x, double y) const { return view.geometry().widgetPoint(QPointF(x, y)).toPoint(); }
    void press(QPoint p, Qt::KeyboardModifiers keys = {}) { QTest::mousePress(target(), Qt::LeftButton, keys, p); }
    void move(QPoint p, Qt::KeyboardModifiers keys = {})
    {
        QMouseEvent event(QEvent::MouseMove, QPointF(p), target()->mapToGlobal(QPointF(p)), Qt::NoButton,
                          Qt::LeftButton, keys);
        QApplication::sendEvent(target(), &event);
    }
    void release(QPoint p, Qt::KeyboardModifiers keys = {}) { QTest::mouseRelease(target(), Qt::LeftButton, keys, p); }
    // Press, three steps, release; Ctrl keeps snapping out of the measurement.
    void drag(QPoint from, QPoint by, Qt::KeyboardModifiers keys = Qt::ControlModifier)
    {
        press(from);
        for (int step = 1; step <= 3; ++step)
            move(from + by * step / 3, keys);
        release(from + by, keys);
    }

    CADocument document;
    CFTBoxField *box;
    CFTAText *text;
    CADocView view;
    std::vector<CFTAOperationReport::Kind> reports;
    int edits = 0;
};

class CADocViewZoomTest : public ::testing::TestWithParam<double>
{
};

TEST_P(CADocViewZoomTest, DragMovesTheObjectByThePixelsOverTheScale)
{
    Canvas c(GetParam());
    const double s = c.view.scale();
    EXPECT_DOUBLE_EQ(s, 96.0 / 72.0 * GetParam());
    const QPoint by(48, 24);
    c.drag(c.at(60, 50), by);
    EXPECT_NEAR(c.box->GetOriginX(), 40.0 + by.x() / s, 1e-6);
    EXPECT_NEAR(c.box->GetOriginY(), 40.0 + by.y() / s, 1e-6);
    ASSERT_EQ(c.reports.size(), 1u);
    EXPECT_EQ(c.reports[0], CFTAOperationReport::Kind::Move);
    EXPECT_GE(c.edits, 1);
    ASSERT_EQ(c.view.ftView()->getSelComponents().size(), 1u);
    EXPECT_EQ(c.view.ftView()->getSelComponents()[0], c.box);
}

INSTANTIATE_TEST_SUITE_P(Zooms, CADocViewZoomTest, ::testing::Values(0.5, 1.0, 2.0, 3.0));

TEST(CADocViewTest, ClickSelectsAndClickOnEmptyPaperDeselects)
{
    Canvas c;
    QTest::mouseClick(c.target(), Qt::LeftButton, {}, c.at(60, 50));
    ASSERT_EQ(c.view.ftView()->getSelComponents().size(), 1u);
    EXPECT_EQ(c.view.ftView()->getSelComponents()[0], c.box);
    EXPECT_TRUE(c.reports.empty()) << "a click changes nothing";
    EXPECT_EQ(c.edits, 0);
    QTest::mouseClick(c.target(), Qt::LeftButton, {}, c.at(20, 140));
    EXPECT_TRUE(c.view.ftView()->getSelComponents().empty());
}

TEST(CADocViewTest, RubberBandSelectsWhatItMeets)
{
    Canvas c;
    c.drag(c.at(30, 30), c.at(220, 80) - c.at(30, 30), {});
    EXPECT_EQ(c.view.ftView()->getSelComponents().size(), 2u);
    EXPECT_TRUE(c.reports.empty());
}

TEST(CADocViewTest, HandleDragResizesTheObject)
{
    Canvas c;
    QTest::mouseClick(c.target(), Qt::LeftButton, {}, c.at(60, 50));
    // The bottom-right handle sits on the frame's corner.
    const double s = c.view.scale();
    c.drag(c.at(90, 70), QPoint(40, 20));
    EXPECT_NEAR(c.box->GetOriginX(), 40.0, 1e-6);
    EXPECT_NEAR(c.box->GetSizeX(), 50.0 + 40 / s, 1.0);
    EXPECT_NEAR(c.box->GetSizeY(), 30.0 + 20 / s, 1.0);
    ASSERT_FALSE(c.reports.empty());
    EXPECT_EQ(c.reports.back(), CFTAOperationReport::Kind::Resize);
}

TEST(CADocViewTest, DragWithTheShapeToolMakesAShape)
{
    Canvas c(2.0);
    const std::size_t before = c.view.ftView()->GetCurrentComponents().size();
    c.view.ftView()->setToolMode(toolField);
    const QPoint from = c.at(30, 100);
    c.press(from);
    c.move(from + QPoint(40, 20), Qt::ControlModifier);
    c.move(from + QPoint(80, 40), Qt::ControlModifier);
    c.release(from + QPoint(80, 40), Qt::ControlModifier);
    const std::vector<CFTComponent *> &components = c.view.ftView()->GetCurrentComponents();
    ASSERT_EQ(components.size(), before + 1);
    const CFTComponent *made = components.back();
    EXPECT_EQ(made->getType(), ctRect);
    const double s = c.view.scale();
    EXPECT_NEAR(made->GetOriginX(), 30.0, 1.0);
    EXPECT_NEAR(made->GetOriginY(), 100.0, 1.0);
    // Exactly the pixels dragged, the first step included.
    EXPECT_NEAR(made->GetSizeX(), 80 / s, 1e-6);
    EXPECT_NEAR(made->GetSizeY(), 40 / s, 1e-6);
    ASSERT_FALSE(c.reports.empty());
    EXPECT_EQ(c.reports.front(), CFTAOperationReport::Kind::Create);
    EXPECT_EQ(c.view.ftView()->getToolMode(), toolSelect);
}

TEST(CADocViewTest, ObjectDraggedOffThePageGrowsTheFrame)
{
    Canvas c;
    const QSize before = c.view.size();
    c.drag(c.at(60, 50), c.at(0, 0) - c.at(80, 0));
    EXPECT_LT(c.box->GetOriginX(), 0.0);
    EXPECT_LT(c.view.geometry().frame().left(), c.box->GetOriginX());
    EXPECT_GT(c.view.size().width(), before.width());
}

TEST(CADocViewTest, UndoAndRedoOfAMoveOffThePageRefitTheFrame)
{
    Canvas c;
    const QRectF pageFrame = c.view.geometry().frame();
    const QSize before = c.view.size();
    c.drag(c.at(60, 50), c.at(0, 0) - c.at(80, 0));
    ASSERT_LT(c.box->GetOriginX(), 0.0);
    const QRectF grown = c.view.geometry().frame();
    ASSERT_LT(grown.left(), pageFrame.left());
    PWUndoManager *undo = c.document.undoManager();
    ASSERT_TRUE(undo->canUndo());

    undo->undo();
    EXPECT_DOUBLE_EQ(c.box->GetOriginX(), 40.0);
    EXPECT_EQ(c.view.geometry().frame(), pageFrame) << "the desk shrinks back to the page";
    EXPECT_EQ(c.view.size(), before);
    EXPECT_EQ(c.view.sceneRect(), pageFrame);

    undo->redo();
    EXPECT_LT(c.box->GetOriginX(), 0.0);
    EXPECT_EQ(c.view.geometry().frame(), grown) << "the desk grows again with the object";
    EXPECT_GT(c.view.size().width(), before.width());
}

TEST(CADocViewTest, DoubleClickEditsTheTextInPlaceUntilAClickOutside)
{
    Canvas c;
    // Past the end of "Hello": the caret goes after its last letter.
    QTest::mouseDClick(c.target(), Qt::LeftButton, {}, c.at(200, 50));
    ASSERT_TRUE(c.view.isEditingText());
    CACanvasTextEditor *editor = c.view.fieldEditor();
    EXPECT_EQ(editor->document(), c.text->GetText()->getContents()) << "the editor edits the text's own document";
    EXPECT_TRUE(editor->isVisible());
    QTest::keyClicks(&c.view, u" world"_s);
    EXPECT_EQ(c.text->GetText()->getContents()->toPlainText(), u"Hello world"_s);
    EXPECT_GE(c.edits, 1);
    QTest::mouseClick(c.target(), Qt::LeftButton, {}, c.at(30, 140));
    EXPECT_FALSE(c.view.isEditingText());
    EXPECT_FALSE(editor->isVisible());
    EXPECT_NE(editor->document(), c.text->GetText()->getContents());
    EXPECT_EQ(c.text->GetText()->getContents()->toPlainText(), u"Hello world"_s);
}

TEST(CADocViewTest, EscapeEndsEditingAndTheEditorTurnsWithARotatedText)
{
    Canvas c;
    c.text->SetAngle(M_PI / 6);
    QTest::mouseDClick(c.target(), Qt::LeftButton, {}, c.at(165, 52));
    ASSERT_TRUE(c.view.isEditingText());
    EXPECT_NEAR(c.view.fieldEditor()->rotation(), 30.0, 1e-6);
    QTest::keyClick(&c.view, Qt::Key_Escape);
    EXPECT_FALSE(c.view.isEditingText());
    EXPECT_DOUBLE_EQ(c.text->GetText()->editorRotation(), 0.0);
}

TEST(CADocViewTest, OpenCompositionIsCommittedWhenEditingEnds)
{
    Canvas c;
    QTest::mouseDClick(c.target(), Qt::LeftButton, {}, c.at(200, 50));
    ASSERT_TRUE(c.view.isEditingText());
    QInputMethodEvent compose(u"ka"_s, {});
    QApplication::sendEvent(&c.view, &compose);
    QTest::keyClick(&c.view, Qt::Key_Escape);
    EXPECT_EQ(c.text->GetText()->getContents()->toPlainText(), u"Helloka"_s);
}

TEST(CADocViewTest, MissingOrUnknownDocumentIsRefusedWithoutEndingTheProcess)
{
    CADocView view;
    EXPECT_FALSE(view.setDocument(nullptr));
    EXPECT_EQ(view.document(), nullptr);
    CADocument document;
    document.ftDocument()->setDocumentType(static_cast<documentType>(42));
    EXPECT_FALSE(view.setDocument(&document));
    EXPECT_EQ(view.ftView(), nullptr);
    // Without a design events do nothing.
    view.show();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(5, 5));
}

} // namespace
