// The document window as a user sees it after each gesture: what the canvas shows must be what a
// full repaint of the same design shows, with no trail, stale handle or half-drawn panel left.
// Typing in place is an undo step of its own.
#include "app/canvas/CACanvasTextEditor.h"
#include "app/canvas/CADocView.h"
#include "app/shell/CAAddressCommands.h"
#include "app/shell/CACanvasCommands.h"
#include "app/shell/CAChangeLayoutSheet.h"
#include "app/shell/CAMainMenu.h"
#include "kernel/base/CDDColor.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWUndoManager.h"
#include "platform/PWUserDefaults.h"

#include "ShellTestSupport.h"
#include "ShownPixels.h"

#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QMouseEvent>

#include <functional>

using namespace shelltest;

namespace {

class CACanvasRepaintShellTest : public shelltest::Test
{
public:
    // A window with two filled shapes and a text, shown and active.
    bool start()
    {
        launch(1);
        installChangeLayoutSheet();
        installCanvasCommands();
        installAddressCommands();
        // A blinking caret would differ between two photographs of the same state.
        QApplication::setCursorFlashTime(0);
        w = window(0);
        if (!w)
            return false;
        canvas = w->docView();
        CFTADocument *design = canvas->document()->ftDocument();
        const CDDColor yellow(0.98f, 0.86f, 0.24f, 1.0f);
        for (const QPointF at : {QPointF(40, 40), QPointF(40, 100)}) {
            auto *box = new CFTBoxField(at.x(), at.y(), 50.0, 30.0, nullptr);
            box->SetFillColor(&yellow);
            box->SetFilled(true);
            design->AddObject(box, 0, false);
            boxes.push_back(box);
        }
        text = new CFTAText(120.0, 40.0, 90.0, 24.0, nullptr);
        text->GetText()->setString(u"Hello there"_s, nullptr);
        design->AddObject(text, 0, false);
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w))
            return false;
        canvas->setFocus();
        canvas->viewport()->repaint();
        return true;
    }
    QWidget *target() const { return canvas->viewport(); }
    QPoint at(double x, double y) const { return canvas->geometry().widgetPoint(QPointF(x, y)).toPoint(); }
    void drag(QPoint from, QPoint by, Qt::KeyboardModifiers keys = {})
    {
        QTest::mousePress(target(), Qt::LeftButton, keys, from);
        for (int step = 1; step <= 4; ++step) {
            const QPointF p = from + by * step / 4;
            QMouseEvent event(QEvent::MouseMove, p, target()->mapToGlobal(p), Qt::NoButton, Qt::LeftButton, keys);
            QApplication::sendEvent(target(), &event);
            // Each step is looked at as the user would see it, trails and all.
            look();
        }
        QTest::mouseRelease(target(), Qt::LeftButton, keys, from + by);
    }
    void selectBothBoxes()
    {
        QTest::mouseClick(target(), Qt::LeftButton, {}, at(60, 50));
        QTest::mouseClick(target(), Qt::LeftButton, Qt::ShiftModifier, at(60, 110));
    }
    void key(int key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(canvas, Qt::Key(key), modifiers);
    }
    void perform(const QString &action)
    {
        controller->mainMenu().validate();
        QAction *item = controller->mainMenu().itemForAction(action);
        ASSERT_TRUE(item) << action.toStdString();
        ASSERT_TRUE(item->isEnabled()) << action.toStdString();
        item->trigger();
    }
    // What a full repaint would change of the screen now, kept for the end of the gesture.
    void look() { stale.push_back(shownpixels::stalePixels(target())); }
    std::size_t objectCount() const { return canvas->ftView()->GetCurrentComponents().size(); }

    CAMainWindowController *w = nullptr;
    CADocView *canvas = nullptr;
    std::vector<CFTBoxField *> boxes;
    CFTAText *text = nullptr;
    std::vector<int> stale;
};

struct Gesture
{
    const char *name;
    std::function<void(CACanvasRepaintShellTest &)> run;
    // An undo ends where it began.
    bool endsChanged = true;
};

} // namespace

TEST_F(CACanvasRepaintShellTest, EveryGestureLeavesWhatAFullRepaintShows)
{
    const auto dragBoth = [](bool snap) {
        return [snap](CACanvasRepaintShellTest &t) {
            PWUserDefaults::standardUserDefaults().setBool(u"FTSnap"_s, snap);
            t.selectBothBoxes();
            t.drag(t.at(60, 50), QPoint(37, 23));
        };
    };
    const Gesture gestures[] = {
        {"drag of two objects, snapping on", dragBoth(true)},
        {"drag of two objects, snapping off", dragBoth(false)},
        {"paste",
         [](CACanvasRepaintShellTest &t) {
             QTest::mouseClick(t.target(), Qt::LeftButton, {}, t.at(60, 50));
             t.key(Qt::Key_C, Qt::ControlModifier);
             t.key(Qt::Key_V, Qt::ControlModifier);
         }},
        {"duplicate",
         [](CACanvasRepaintShellTest &t) {
             t.selectBothBoxes();
             t.key(Qt::Key_D, Qt::ControlModifier);
         }},
        {"new recipient panel",
         [](CACanvasRepaintShellTest &t) {
             t.perform(u"addressTo"_s);
             // Drawn and fitted at its laid-out size from the start.
             ASSERT_EQ(t.canvas->ftView()->getSelComponents().size(), 1u);
             EXPECT_GT(t.canvas->ftView()->getSelComponents().front()->GetSizeY(), 10.0);
         }},
        {"typing that shrinks a text",
         [](CACanvasRepaintShellTest &t) {
             QTest::mouseDClick(t.target(), Qt::LeftButton, {}, t.at(130, 50));
             ASSERT_TRUE(t.canvas->isEditingText());
             t.key(Qt::Key_End);
             for (int i = 0; i < 6; ++i) {
                 t.key(Qt::Key_Backspace);
                 t.look();
             }
         }},
        {"undo of a layout change",
         [](CACanvasRepaintShellTest &t) {
             t.perform(u"openChangeLayoutDialog"_s);
             QDialog *sheet = nullptr;
             for (QDialog *dialog : t.w->findChildren<QDialog *>())
                 if (dialog->isVisible())
                     sheet = dialog;
             ASSERT_TRUE(sheet);
             auto *search = sheet->findChild<QLineEdit *>(u"_search"_s);
             ASSERT_TRUE(search);
             search->setFocus();
             QTest::keyClicks(search, u"5163"_s);
             QTest::mouseClick(sheet->findChild<QAbstractButton *>(u"_btnOK"_s), Qt::LeftButton);
             t.look();
             t.canvas->setFocus();
             t.key(Qt::Key_Z, Qt::ControlModifier);
         },
         false},
        {"undo of a move",
         [](CACanvasRepaintShellTest &t) {
             t.drag(t.at(60, 50), QPoint(60, 40), Qt::ControlModifier);
             t.canvas->viewport()->repaint();
             t.key(Qt::Key_Z, Qt::ControlModifier);
         },
         false},
    };
    // Handles and guides keep their screen size while the objects scale: every zoom draws them
    // over other pixels.
    for (const double zoom : {0.5, 1.0, 2.0})
    for (const Gesture &gesture : gestures) {
        SCOPED_TRACE(gesture.name);
        SCOPED_TRACE(zoom);
        ASSERT_TRUE(start());
        canvas->setZoom(zoom);
        canvas->viewport()->repaint();
        const QImage before = shownpixels::shown(target());
        const std::size_t count = objectCount();
        gesture.run(*this);
        const QImage after = shownpixels::shown(target());
        if (gesture.endsChanged) {
            EXPECT_NE(after, before) << "the gesture shows a change";
        }
        look();
        for (std::size_t i = 0; i < stale.size(); ++i)
            EXPECT_EQ(stale[i], 0) << "look " << i << " of " << stale.size() << "; objects before: " << count;
        TearDown();
        SetUp();
        boxes.clear();
        stale.clear();
    }
}

// The photographs tell a stale screen from a fresh one: a shape moved behind the canvas's back
// shows where it was until the canvas is painted again.
TEST_F(CACanvasRepaintShellTest, AChangeNobodyRepaintsIsSeen)
{
    ASSERT_TRUE(start());
    boxes.front()->SetOrigin(200.0, 200.0);
    EXPECT_GT(shownpixels::stalePixels(target()), 0);
    EXPECT_EQ(shownpixels::stalePixels(target()), 0);
}

TEST_F(CACanvasRepaintShellTest, TypingIsItsOwnUndoStep)
{
    ASSERT_TRUE(start());
    const std::size_t count = objectCount();
    QTest::mouseClick(w->findChild<QWidget *>(u"textModeCell"_s), Qt::LeftButton);
    QTest::mouseClick(target(), Qt::LeftButton, {}, at(60, 200));
    ASSERT_TRUE(canvas->isEditingText());
    ASSERT_EQ(objectCount(), count + 1);
    CFTComponent *made = canvas->ftView()->getOperObject();
    ASSERT_TRUE(made && made->GetText());
    QTest::keyClicks(canvas, u"Dear"_s);
    key(Qt::Key_Return);
    ASSERT_FALSE(canvas->isEditingText());
    EXPECT_EQ(made->GetText()->getString(), u"Dear"_s);

    QAction *undo = controller->mainMenu().itemForAction(u"undo"_s);
    QAction *redo = controller->mainMenu().itemForAction(u"redo"_s);
    ASSERT_TRUE(undo && redo);
    controller->mainMenu().validate();
    EXPECT_EQ(undo->text(), u"Undo Typing"_s);

    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(objectCount(), count + 1) << "the text made stays";
    EXPECT_TRUE(made->GetText()->getString().isEmpty());
    controller->mainMenu().validate();
    EXPECT_EQ(undo->text(), u"Undo Create Object"_s);
    EXPECT_EQ(redo->text(), u"Redo Typing"_s);

    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(made->GetText()->getString(), u"Dear"_s);
    EXPECT_EQ(shownpixels::stalePixels(target()), 0);
}

// Ctrl+D on a text at the card's bottom edge: the copy lies on the card, selected, and undo takes
// it away again.
TEST_F(CACanvasRepaintShellTest, ADuplicateOfATextAtTheBottomEdgeLandsOnTheCard)
{
    ASSERT_TRUE(start());
    const CFTADocument *design = canvas->document()->ftDocument();
    const QRectF card(0, 0, design->getDocumentSizeX(0), design->getDocumentSizeY(0));
    // Most of the text hangs below the card: ten points further down it would lie wholly off it.
    text->SetOrigin(40.0, card.height() - 6.0);
    canvas->viewport()->repaint();
    QTest::mouseClick(target(), Qt::LeftButton, {}, at(50.0, card.height() - 3.0));
    ASSERT_EQ(canvas->ftView()->getSelComponents(), (std::vector<CFTComponent *> {text}));
    const std::size_t count = objectCount();
    key(Qt::Key_D, Qt::ControlModifier);
    ASSERT_EQ(objectCount(), count + 1);
    const std::vector<CFTComponent *> selected = canvas->ftView()->getSelComponents();
    ASSERT_EQ(selected.size(), 1u);
    CFTComponent *copy = selected.front();
    ASSERT_NE(copy, text);
    const QRectF frame(copy->GetOriginX(), copy->GetOriginY(), copy->GetSizeX(), copy->GetSizeY());
    EXPECT_TRUE(card.contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
    EXPECT_EQ(copy->GetOriginX(), 50.0) << "ten points to the right, where there is room";
    EXPECT_EQ(copy->GetText()->getString(), text->GetText()->getString());
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(objectCount(), count);
}
