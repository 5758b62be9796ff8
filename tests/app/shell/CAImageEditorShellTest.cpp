// Edit Picture… through the window's router and a double click's request: enabled for one
// selected picture alone, it runs the shared image editor and crops as one undo step.
#include "app/canvas/CADocView.h"
#include "app/pictures/CCImageEditorController.h"
#include "app/pictures/CCImageEditorView.h"
#include "app/shell/CACanvasCommands.h"
#include "app/shell/CAChangeLayoutSheet.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWImage.h"

#include "ShellTestSupport.h"

#include <QAction>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace shelltest;

namespace {

class CAImageEditorShellTest : public shelltest::Test
{
protected:
    void TearDown() override
    {
        delete watch;
        shelltest::Test::TearDown();
    }

    // Arms the user's part for the shared editor's next run: a selection from the image's
    // lower-left corner, then Set. Whether the window showed is recorded; the watch goes on
    // until the window shows, since the run may begin after other queued work.
    void armSetWithSelection()
    {
        CCImageEditorController *editor = CCImageEditorController::sharedImageEditor();
        editorShown = false;
        delete watch;
        watch = new QTimer(editor);
        watch->setInterval(0);
        QObject::connect(watch, &QTimer::timeout, editor, [this, editor] {
            if (!editor->isVisible())
                return;
            watch->stop();
            editorShown = true;
            editor->setSelectedRect(QRectF(0, 0, 20, 10));
            QTest::mouseClick(editor->findChild<QPushButton *>(QStringLiteral("_buttonSet")), Qt::LeftButton);
        });
        watch->start();
    }

    QPointer<QTimer> watch;
    bool editorShown = false;
};

TEST_F(CAImageEditorShellTest, EditPictureCropsTheOnePictureSelected)
{
    launch(1);
    installChangeLayoutSheet();
    installCanvasCommands();
    CAMainWindowController *w = window(0);
    ASSERT_TRUE(w);
    CADocView *canvas = w->docView();
    CFTADocument *design = canvas->document()->ftDocument();
    auto *box = new CFTBoxField(40.0, 40.0, 20.0, 20.0, nullptr);
    design->AddObject(box, 0, false);
    QImage bitmap(40, 20, QImage::Format_ARGB32);
    bitmap.fill(Qt::darkCyan);
    auto *picture = static_cast<CFTPicture *>(CFTAView::CreatePicture(CDDPicture(PWImage::fromQImage(bitmap))).release());
    picture->SetOrigin(90.0, 60.0);
    picture->SetSize(40.0, 20.0);
    design->AddObject(picture, 0, false);

    EXPECT_FALSE(valid("openImageEditorDialog")) << "nothing selected";
    canvas->ftView()->select(box);
    EXPECT_FALSE(valid("openImageEditorDialog")) << "no picture";
    canvas->ftView()->select(picture);
    EXPECT_FALSE(valid("openImageEditorDialog")) << "a picture among others";
    canvas->ftView()->deselect(box);
    ASSERT_TRUE(valid("openImageEditorDialog"));

    armSetWithSelection();
    ASSERT_TRUE(perform("openImageEditorDialog"));
    EXPECT_TRUE(editorShown);
    ASSERT_TRUE(picture->hasSrcRect());
    EXPECT_EQ(picture->getSrcRectWidth(), 20.0f);
    QAction item(QStringLiteral("Undo"));
    ASSERT_TRUE(controller->router().validate(QStringLiteral("undo"), &item));
    EXPECT_EQ(item.text(), QStringLiteral("Undo Crop Picture"));
    ASSERT_TRUE(perform("undo"));
    EXPECT_FALSE(picture->hasSrcRect());

    // A double click (or the inspector's Edit button) asks the window, which opens the editor
    // once the canvas's own event is over.
    armSetWithSelection();
    Q_EMIT canvas->imageEditorRequested();
    EXPECT_FALSE(picture->hasSrcRect()) << "not inside the request";
    QCoreApplication::processEvents();
    EXPECT_TRUE(editorShown);
    EXPECT_TRUE(picture->hasSrcRect());
}

} // namespace
