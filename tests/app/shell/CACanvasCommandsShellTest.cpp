// The canvas's Edit and Arrange commands through the window's router: enabled by the canvas's
// menu rules, copy and paste over the application's clipboard, align as one step.
#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CADocView.h"
#include "app/shell/CACanvasCommands.h"
#include "app/shell/CAChangeLayoutSheet.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWBundle.h"
#include "platform/PWUndoManager.h"

#include "ShellTestSupport.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

using namespace shelltest;

namespace {

class CACanvasCommandsShellTest : public shelltest::Test
{
protected:
    void TearDown() override
    {
        setBackgroundFileChooser(nullptr);
        shelltest::Test::TearDown();
    }
};

TEST_F(CACanvasCommandsShellTest, EditAndArrangeCommandsFollowTheSelection)
{
    launch(1);
    installChangeLayoutSheet();
    installCanvasCommands();
    CAMainWindowController *w = window(0);
    ASSERT_TRUE(w);
    CADocView *canvas = w->docView();
    CFTADocument *design = canvas->document()->ftDocument();
    auto *first = new CFTBoxField(40.0, 40.0, 20.0, 20.0, nullptr);
    auto *second = new CFTBoxField(90.0, 70.0, 20.0, 20.0, nullptr);
    design->AddObject(first, 0, false);
    design->AddObject(second, 0, false);

    for (const char *action : {"copy", "cut", "duplicate", "alignComponentsLeft", "alignComponentsToDocumentCenter"})
        EXPECT_FALSE(valid(action)) << action << " with nothing selected";
    canvas->ftView()->select(first);
    EXPECT_TRUE(valid("copy"));
    EXPECT_TRUE(valid("alignComponentsToDocumentCenter"));
    EXPECT_FALSE(valid("alignComponentsLeft")) << "one object has nothing to align with";
    canvas->ftView()->select(second);
    EXPECT_TRUE(valid("alignComponentsLeft"));
    EXPECT_FALSE(valid("distributeComponentsSpacingHorizontally")) << "two objects";

    ASSERT_TRUE(perform("alignComponentsLeft"));
    EXPECT_EQ(second->GetOriginX(), 40.0);
    ASSERT_TRUE(perform("undo"));
    EXPECT_EQ(second->GetOriginX(), 90.0);

    const size_t count = design->GetComponents(0, false).size();
    ASSERT_TRUE(perform("copy"));
    ASSERT_TRUE(QGuiApplication::clipboard()->mimeData());
    ASSERT_TRUE(valid("paste"));
    ASSERT_TRUE(perform("paste"));
    ASSERT_EQ(design->GetComponents(0, false).size(), count + 2);
    EXPECT_EQ(CACanvasEdits::frameOf(design->GetComponents(0, false).back()),
              CACanvasEdits::frameOf(second).translated(10.0, 10.0));
    QAction item(u"Undo"_s);
    ASSERT_TRUE(controller->router().validate(u"undo"_s, &item));
    EXPECT_EQ(item.text(), u"Undo Paste"_s);

    ASSERT_TRUE(perform("selectAll"));
    EXPECT_EQ(canvas->ftView()->getSelComponents().size(), count + 2);
}

TEST_F(CACanvasCommandsShellTest, FlipAndShadowSwitchTheSelectionAsOneStep)
{
    launch(1);
    installChangeLayoutSheet();
    installCanvasCommands();
    CAMainWindowController *w = window(0);
    ASSERT_TRUE(w);
    CADocView *canvas = w->docView();
    CFTADocument *design = canvas->document()->ftDocument();
    auto *first = new CFTBoxField(40.0, 40.0, 20.0, 20.0, nullptr);
    auto *second = new CFTBoxField(90.0, 70.0, 20.0, 20.0, nullptr);
    design->AddObject(first, 0, false);
    design->AddObject(second, 0, false);
    EXPECT_FALSE(valid("flipX")) << "nothing selected";
    canvas->ftView()->select(first);
    canvas->ftView()->select(second);

    struct Case
    {
        const char *action;
        const char *undoTitle;
        bool (CFTComponent::*state)() const;
    };
    for (const Case &c : {Case{"flipX", "Undo Flip", &CFTComponent::IsFlipX},
                          Case{"flipY", "Undo Flip", &CFTComponent::IsFlipY},
                          Case{"setShadow", "Undo Shadow", &CFTComponent::IsShadowed}}) {
        const bool before = (first->*c.state)();
        ASSERT_TRUE(valid(c.action)) << c.action;
        ASSERT_TRUE(perform(c.action)) << c.action;
        EXPECT_NE((first->*c.state)(), before) << c.action;
        EXPECT_EQ((second->*c.state)(), (first->*c.state)()) << c.action << ": both selected objects";
        QAction item(u"Undo"_s);
        ASSERT_TRUE(controller->router().validate(u"undo"_s, &item));
        EXPECT_EQ(item.text(), QString::fromLatin1(c.undoTitle)) << c.action;
        ASSERT_TRUE(perform("undo"));
        EXPECT_EQ((first->*c.state)(), before) << c.action;
        EXPECT_EQ((second->*c.state)(), before) << c.action;
    }
}

// Insert Background… sets the background with its placing as one step: the placing of the
// background it replaces stays; a file that is no picture changes nothing.
TEST_F(CACanvasCommandsShellTest, InsertBackgroundIsOneStepWithItsPlacing)
{
    launch(1);
    installChangeLayoutSheet();
    installCanvasCommands();
    CAMainWindowController *w = window(0);
    ASSERT_TRUE(w);
    CADocView *canvas = w->docView();
    PWUndoManager *undo = canvas->document()->undoManager();
    undo->setGroupsByEvent(false);
    undo->removeAllActions();
    const QString picture = path(u"back.png"_s);
    QImage bitmap(16, 8, QImage::Format_ARGB32);
    bitmap.fill(0xff3060c0);
    ASSERT_TRUE(bitmap.save(picture, "PNG"));
    const QString notPicture = path(u"notes.png"_s);
    {
        QFile file(notPicture);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("no picture at all");
    }

    for (const QString &refused : {QString(), notPicture}) {
        setBackgroundFileChooser([refused](QWidget *) { return refused; });
        ASSERT_TRUE(perform("insertBackground"));
        EXPECT_FALSE(canvas->ftView()->getBackground()) << refused.toStdString();
        EXPECT_FALSE(undo->canUndo()) << refused.toStdString();
    }

    setBackgroundFileChooser([picture](QWidget *) { return picture; });
    ASSERT_TRUE(perform("insertBackground"));
    CFTComponent *first = canvas->ftView()->getBackground();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->GetDataPlacing(), pmCover) << "a first background covers the page";
    EXPECT_EQ(canvas->ftView()->getToolMode(), toolBackground) << "the background is edited";
    first->SetDataPlacing(pmTiled);
    undo->removeAllActions();

    ASSERT_TRUE(perform("insertBackground"));
    CFTComponent *second = canvas->ftView()->getBackground();
    ASSERT_TRUE(second);
    EXPECT_NE(second, first);
    EXPECT_EQ(second->GetDataPlacing(), pmTiled) << "the placing of the one replaced stays";
    EXPECT_EQ(undo->undoActionName(), PWLocalizedString(u"SET_BACKGROUND"_s));
    ASSERT_TRUE(perform("undo"));
    EXPECT_EQ(canvas->ftView()->getBackground(), first) << "one undo takes the background and its placing back";
    EXPECT_EQ(first->GetDataPlacing(), pmTiled);
    EXPECT_FALSE(undo->canUndo());
}

} // namespace
