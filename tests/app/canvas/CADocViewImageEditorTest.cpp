#include "CanvasEditsFixture.h"

#include "app/pictures/CCImageEditorController.h"
#include "app/pictures/CCImageEditorView.h"
#include "app/pictures/CCImageFilterPlugIn.h"
#include "app/pictures/ICoreImageFilter.h"
#include "kernel/drawing/CFTPicture.h"
#include "platform/PWBundle.h"
#include "platform/PWUserDefaults.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

using namespace Qt::StringLiterals;

struct ImageEditorCommand : CanvasEditsFixture
{
    ImageEditorCommand()
    {
        PWUserDefaults::standardUserDefaults().removeObject(CCImageFilterPlugIn::pathSettingKey());
        editor.setDefaultPlugInPaths({});
        view.ftView()->select(picture);
    }
    CFTPicture *pict() const { return static_cast<CFTPicture *>(picture); }
    QRectF crop() const
    {
        return QRectF(pict()->getSrcRectX(), pict()->getSrcRectY(), pict()->getSrcRectWidth(), pict()->getSrcRectHeight());
    }
    // The command, with what the user does in the editor's window once it shows; a window that
    // does not show (or should not) is cancelled, and said so.
    bool open(std::function<void()> user)
    {
        editorShown = false;
        QTimer::singleShot(0, &editor, [this, user] {
            editorShown = editor.isVisible();
            if (editorShown && user)
                user();
            if (editor.isVisible())
                editor.reject();
        });
        const bool changed = view.openImageEditorDialog(&editor);
        QCoreApplication::processEvents();
        return changed;
    }
    void drag(const QPointF &from, const QPointF &to)
    {
        CCImageEditorView *canvas = editor.pictureView();
        const auto send = [canvas](QEvent::Type type, const QPointF &p, Qt::MouseButton button, Qt::MouseButtons buttons) {
            const QPointF at = canvas->widgetPoint(p);
            QMouseEvent event(type, at, canvas->mapToGlobal(at), button, buttons, Qt::NoModifier);
            QApplication::sendEvent(canvas, &event);
        };
        send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        if (to != from)
            send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }
    void set() { QTest::mouseClick(editor.findChild<QPushButton *>(u"_buttonSet"_s), Qt::LeftButton); }

    CCImageEditorController editor;
    bool editorShown = false;
};

TEST(CADocViewImageEditor, ACropChosenInTheEditorIsOneUndoableStep)
{
    ImageEditorCommand f;
    const QByteArray before = f.saved();
    ASSERT_TRUE(f.open([&] {
        f.drag(QPointF(5, 2), QPointF(25, 12));
        f.set();
    }));
    EXPECT_TRUE(f.editorShown);
    ASSERT_TRUE(f.pict()->hasSrcRect());
    EXPECT_NEAR(f.crop().x(), 5, 1e-3);
    EXPECT_NEAR(f.crop().y(), 2, 1e-3);
    EXPECT_NEAR(f.crop().width(), 20, 1e-3);
    EXPECT_NEAR(f.crop().height(), 10, 1e-3);
    EXPECT_EQ(f.undo().undoActionName(), PWLocalizedString(u"CROP_IMAGE"_s));
    const QByteArray cropped = f.saved();
    EXPECT_NE(cropped, before);

    f.undo().undo();
    EXPECT_FALSE(f.pict()->hasSrcRect());
    EXPECT_TRUE(sameDesign(f.saved(), before)) << "one undo takes the whole edit back";
    EXPECT_FALSE(f.undo().canUndo());
    f.undo().redo();
    EXPECT_TRUE(sameDesign(f.saved(), cropped));
}

TEST(CADocViewImageEditor, TheEditorOpensOnTheCurrentCropAndSetWithoutOneRemovesIt)
{
    ImageEditorCommand f;
    f.pict()->setSrcRect(10, 5, 20, 10);
    QRectF shown;
    ASSERT_TRUE(f.open([&] {
        shown = f.editor.pictureView()->getSelection();
        f.set();
    }));
    EXPECT_EQ(shown, QRectF(10, 5, 20, 10));
    EXPECT_EQ(f.crop(), QRectF(10, 5, 20, 10)) << "Set without a change keeps the crop";
    const QByteArray kept = f.saved();

    // A click (no drag) outside the selection drops it: Set then shows the whole picture.
    ASSERT_TRUE(f.open([&] {
        f.drag(QPointF(38, 19), QPointF(38, 19));
        f.set();
    }));
    EXPECT_FALSE(f.pict()->hasSrcRect());
    f.undo().undo();
    EXPECT_TRUE(f.pict()->hasSrcRect());
    EXPECT_EQ(f.crop(), QRectF(10, 5, 20, 10));
    EXPECT_TRUE(sameDesign(f.saved(), kept));
}

TEST(CADocViewImageEditor, ASelectionWithoutAreaShowsTheWholePicture)
{
    ImageEditorCommand f;
    f.pict()->setSrcRect(10, 5, 20, 10);
    ASSERT_TRUE(f.open([&] {
        f.drag(QPointF(3, 3), QPointF(3, 15));
        EXPECT_TRUE(f.editor.isSelected());
        f.set();
    }));
    EXPECT_FALSE(f.pict()->hasSrcRect()) << "a crop to a line would show nothing";
}

TEST(CADocViewImageEditor, CancelChangesNothing)
{
    ImageEditorCommand f;
    f.pict()->setSrcRect(10, 5, 20, 10);
    const QByteArray before = f.saved();
    EXPECT_FALSE(f.open([&] { f.drag(QPointF(1, 1), QPointF(30, 15)); }));
    EXPECT_TRUE(f.editorShown);
    EXPECT_TRUE(sameDesign(f.saved(), before));
    EXPECT_FALSE(f.undo().canUndo());
}

TEST(CADocViewImageEditor, OnlyASelectedPictureOpensTheEditor)
{
    ImageEditorCommand f;
    f.view.ftView()->deselectAll();
    EXPECT_FALSE(f.open({}));
    EXPECT_FALSE(f.editorShown);
    f.view.ftView()->select(f.text);
    EXPECT_FALSE(f.open({}));
    EXPECT_FALSE(f.editorShown);
    EXPECT_FALSE(f.undo().canUndo());
}

// A filter that halves the image and selects (10, 10, 100, 50) on the image it was given.
class HalvingFilter : public ICoreImageFilter
{
public:
    bool CIFShowDialogUseSelectionWithRect(const QImage &image, bool, const QRectF &) override
    {
        m_output = image.scaled(image.size() / 2);
        m_output.setDevicePixelRatio(image.devicePixelRatio());
        return true;
    }
    QRectF CIFSelectionRect() const override { return QRectF(10, 10, 100, 50); }
    bool CIFIsSelected() const override { return selects; }
    QImage CIFOutputImage() const override { return m_output; }
    bool selects = true;

private:
    QImage m_output;
};

TEST(CADocViewImageEditor, AFilteredImageReplacesThePictureAndTheCropFollowsItsSize)
{
    ImageEditorCommand f;
    const std::shared_ptr<PWImage> original = CanvasEditsFixture::image(1000, 500, 0xff336699);
    f.picture->SetObjectData(original);
    f.undo().removeAllActions();
    const QByteArray before = f.saved();
    HalvingFilter filter;
    f.editor.setFilter(&filter);
    ASSERT_TRUE(f.open({}));
    EXPECT_FALSE(f.editorShown) << "the filter's dialog replaces the editor's own window";
    ASSERT_NE(f.picture->GetObjectData(), original);
    EXPECT_EQ(f.picture->GetObjectData()->size(), QSizeF(500, 250));
    EXPECT_EQ(f.crop(), QRectF(5, 5, 50, 25));
    EXPECT_EQ(f.undo().undoActionName(), PWLocalizedString(u"EDIT_IMAGE"_s));
    f.undo().undo();
    EXPECT_EQ(f.picture->GetObjectData(), original);
    EXPECT_FALSE(f.pict()->hasSrcRect());
    EXPECT_TRUE(sameDesign(f.saved(), before));

    // Without a selection from the filter the new image is shown whole.
    filter.selects = false;
    f.pict()->setSrcRect(1, 1, 10, 10);
    ASSERT_TRUE(f.open({}));
    EXPECT_FALSE(f.pict()->hasSrcRect());
    f.editor.setFilter(nullptr);
}

} // namespace
