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

#include "ShellTestSupport.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

using namespace shelltest;

namespace {

class CACanvasCommandsShellTest : public shelltest::Test
{
protected:
    void TearDown() override
    {
        CAMainWindowController::setChangeLayoutSheet(nullptr);
        for (const char *action :
             {"stepBack", "stepFront", "orderBack", "orderFront", "delete", "insertImage", "insertBackground", "copy",
              "cut", "paste", "duplicate", "selectAll", "undo", "redo", "alignComponentsLeft", "alignComponentsRight",
              "alignComponentsTop", "alignComponentsBottom", "alignComponentsCenterVertically",
              "alignComponentsCenterHorizontally", "alignComponentsToDocumentCenter",
              "distributeComponentsSpacingHorizontally", "distributeComponentsSpacingVertically",
              "distributeComponentsCenterHorizontally", "distributeComponentsCenterVertically", "setShadow", "flipX",
              "flipY", "capitalizeSelection"})
            CAMainWindowController::unregisterCommand(QString::fromLatin1(action));
        shelltest::Test::TearDown();
    }
    bool valid(const char *action) { return controller->router().validate(QString::fromLatin1(action), nullptr); }
    bool perform(const char *action) { return controller->router().perform(QString::fromLatin1(action)); }
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

} // namespace
