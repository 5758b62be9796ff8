#include "app/pictures/CCImageEditorController.h"

#include "TestSupport.h"
#include "app/pictures/CCImageEditorView.h"
#include "app/pictures/CCImageFilterPlugIn.h"
#include "app/pictures/ICoreImageFilter.h"
#include "platform/PWImage.h"
#include "platform/PWUserDefaults.h"

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QPluginLoader>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

std::shared_ptr<PWImage> picture(int width, int height)
{
    QImage bitmap(width, height, QImage::Format_ARGB32);
    bitmap.fill(Qt::white);
    bitmap.setPixel(0, 0, qRgb(255, 0, 0));
    return PWImage::fromQImage(bitmap);
}

void dragOn(CCImageEditorView *view, const QPointF &from, const QPointF &to)
{
    const auto send = [view](QEvent::Type type, const QPointF &imagePoint, Qt::MouseButton button,
                             Qt::MouseButtons buttons) {
        const QPointF at = view->widgetPoint(imagePoint);
        QMouseEvent event(type, at, view->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(view, &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

// The editor's own window (no plug-in anywhere); whatever the user does runs inside the modal
// loop once it has started.
struct EditorFixture : ::testing::Test
{
    EditorFixture()
    {
        PWUserDefaults::standardUserDefaults().removeObject(CCImageFilterPlugIn::pathSettingKey());
        editor.setDefaultPlugInPaths({});
    }
    ~EditorFixture() override
    {
        PWUserDefaults::standardUserDefaults().removeObject(CCImageFilterPlugIn::pathSettingKey());
    }
    // Runs the editor with what the user does once its window shows; a safety Cancel keeps a
    // window that never appeared from holding the test.
    bool run(std::shared_ptr<PWImage> image, bool useSelection, const QRectF &rect,
             std::function<void()> user)
    {
        QTimer::singleShot(0, &editor, [this, user] {
            if (!editor.isVisible()) {
                failedToShow = true;
                return;
            }
            user();
        });
        return editor.startEditorUseSelectionWithRectSourceSize(std::move(image), useSelection, rect, QSizeF(72, 36));
    }
    QPushButton *button(const char *name) { return editor.findChild<QPushButton *>(QString::fromLatin1(name)); }

    CCImageEditorController editor;
    bool failedToShow = false;
};

TEST_F(EditorFixture, SetReturnsTheDrawnSelectionAndNoNewImage)
{
    const bool accepted = run(picture(200, 100), false, QRectF(), [this] {
        dragOn(editor.pictureView(), QPointF(20, 10), QPointF(120, 60));
        QTest::mouseClick(button("_buttonSet"), Qt::LeftButton);
    });
    EXPECT_FALSE(failedToShow);
    EXPECT_TRUE(accepted);
    EXPECT_TRUE(editor.isSelected());
    const QRectF chosen = editor.getSelectedRect();
    EXPECT_NEAR(chosen.x(), 20, 1e-3);
    EXPECT_NEAR(chosen.y(), 10, 1e-3);
    EXPECT_NEAR(chosen.width(), 100, 1e-3);
    EXPECT_NEAR(chosen.height(), 50, 1e-3);
    EXPECT_EQ(editor.outputImage(), nullptr) << "the own window never makes an image";
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(editor.pictureView()->picture(), nullptr) << "the canvas lets the picture go";
}

TEST_F(EditorFixture, CancelCloseAndEscapeAllAnswerNo)
{
    const std::function<void()> ways[] = {
        [this] { QTest::mouseClick(button("_buttonCancel"), Qt::LeftButton); },
        [this] { editor.close(); },
        [this] { QTest::keyClick(&editor, Qt::Key_Escape); },
    };
    for (const auto &way : ways) {
        EXPECT_FALSE(run(picture(200, 100), false, QRectF(), way));
        EXPECT_FALSE(failedToShow);
        EXPECT_FALSE(editor.isVisible());
    }
}

TEST_F(EditorFixture, AnOpeningSelectionShowsAndComesBackUntouched)
{
    const bool accepted = run(picture(300, 200), true, QRectF(10, 20, 50, 40), [this] {
        EXPECT_TRUE(editor.pictureView()->geometry().isTouched());
        QTest::mouseClick(button("_buttonSet"), Qt::LeftButton);
    });
    ASSERT_TRUE(accepted);
    EXPECT_TRUE(editor.isSelected());
    EXPECT_EQ(editor.getSelectedRect(), QRectF(10, 20, 50, 40));

    // The next opening starts without one; Set with none means no crop.
    EXPECT_TRUE(run(picture(300, 200), false, QRectF(10, 20, 50, 40),
                    [this] { QTest::mouseClick(button("_buttonSet"), Qt::LeftButton); }));
    EXPECT_FALSE(editor.isSelected());
}

TEST_F(EditorFixture, TheWindowOpensAgainAtTheSizeItWasLeftAt)
{
    EXPECT_FALSE(run(picture(100, 100), false, QRectF(), [this] {
        editor.resize(700, 530);
        QTest::keyClick(&editor, Qt::Key_Escape);
    }));
    CCImageEditorController next;
    EXPECT_EQ(next.size(), QSize(700, 530));
    PWUserDefaults::standardUserDefaults().removeObject(QStringLiteral("NSWindow Frame ImageEditor"));
    CCImageEditorController fresh;
    EXPECT_EQ(fresh.size(), QSize(560, 480)) << "the window's own size until one is kept";
}

TEST_F(EditorFixture, OpeningScaleFillsFourFifthsAndTheSliderMatchesIt)
{
    editor.resize(560, 480);
    ASSERT_TRUE(editor.prepareEditor(picture(50, 40), false, QRectF()));
    const QSizeF content = editor.pictureView()->contentSize();
    ASSERT_GT(content.width(), 100);
    const double small = 0.8 * std::min(content.width() / 50.0, content.height() / 40.0);
    EXPECT_NEAR(editor.pictureView()->getScaleFactor(), small, 1e-9) << "a small image is enlarged";
    EXPECT_EQ(editor.scaleSlider()->value(), std::lround((small - 1.0) * 8.0));

    // An image twice as large as the area opens at 0.4 with the slider at -12.
    ASSERT_TRUE(editor.prepareEditor(picture(int(content.width() * 2), int(content.height() * 2)), false, QRectF()));
    EXPECT_NEAR(editor.pictureView()->getScaleFactor(), 0.4, 0.005);
    EXPECT_EQ(editor.scaleSlider()->value(), -12);

    editor.scaleSlider()->setValue(0);
    EXPECT_DOUBLE_EQ(editor.pictureView()->getScaleFactor(), 1.0);
    editor.findChild<QToolButton *>(QStringLiteral("_zoomInButton"))->click();
    EXPECT_EQ(editor.scaleSlider()->value(), 8);
    EXPECT_DOUBLE_EQ(editor.pictureView()->getScaleFactor(), 2.0);
    editor.zoomOut();
    editor.zoomOut();
    EXPECT_EQ(editor.scaleSlider()->value(), -8);
    EXPECT_DOUBLE_EQ(editor.pictureView()->getScaleFactor(), 0.5);
    // The slider's bounds hold.
    editor.scaleSlider()->setValue(editor.scaleSlider()->maximum());
    editor.zoomIn();
    EXPECT_EQ(editor.scaleSlider()->value(), editor.scaleSlider()->maximum());
    EXPECT_DOUBLE_EQ(editor.pictureView()->getScaleFactor(), 80.0);

    // The wheel moves the canvas's scale and the slider follows.
    editor.scaleSlider()->setValue(8);
    editor.pictureView()->setScaleFactor(3.0);
    editor.scrollWheelDidChange();
    EXPECT_EQ(editor.scaleSlider()->value(), 16);
}

TEST_F(EditorFixture, APictureWithoutSizeIsRefused)
{
    pwtest::LogCapture log;
    EXPECT_FALSE(editor.startEditorUseSelectionWithRectSourceSize(PWImage::create(), false, QRectF(), QSizeF()));
    EXPECT_FALSE(editor.startEditorUseSelectionWithRectSourceSize(nullptr, false, QRectF(), QSizeF()));
    EXPECT_FALSE(editor.isVisible());
}

// --- the image-filter plug-in -----------------------------------------------------------------

QObject *filterRoot()
{
    QPluginLoader loader(QStringLiteral(PW_TEST_IMAGE_FILTER));
    return loader.instance();
}

TEST(CCImageFilterPlugIn, PathComesFromTheSettingElseTheFirstPresentDefault)
{
    const QString present = QStringLiteral(PW_TEST_IMAGE_FILTER);
    EXPECT_EQ(CCImageFilterPlugIn::pathFor(QStringLiteral("/nowhere/x.so"), {present}), QStringLiteral("/nowhere/x.so"));
    EXPECT_EQ(CCImageFilterPlugIn::pathFor(QString(), {QStringLiteral("/nowhere/a.so"), present}), present);
    EXPECT_EQ(CCImageFilterPlugIn::pathFor(QString(), {QStringLiteral("/nowhere/a.so"), QStringLiteral("/nowhere/b.so")}),
              QStringLiteral("/nowhere/a.so"));
    const QStringList defaults = CCImageFilterPlugIn::defaultPaths();
    ASSERT_EQ(defaults.size(), 2);
    for (const QString &path : defaults)
        EXPECT_TRUE(path.endsWith(QStringLiteral("/CoreImageFilter.so"))) << path.toStdString();
}

TEST_F(EditorFixture, PlugInNamedByTheSettingDoesTheWorkWithoutTheOwnWindow)
{
    PWUserDefaults::standardUserDefaults().setString(CCImageFilterPlugIn::pathSettingKey(),
                                                     QStringLiteral(PW_TEST_IMAGE_FILTER));
    QObject *root = filterRoot();
    ASSERT_NE(root, nullptr);
    const int callsBefore = root->property("dialogCalls").toInt();
    // The plug-in's answer comes back at once; were the own window run instead, this ends it.
    bool ownWindowShown = false;
    QTimer::singleShot(0, &editor, [this, &ownWindowShown] {
        ownWindowShown = editor.isVisible();
        editor.reject();
    });
    const bool accepted =
        editor.startEditorUseSelectionWithRectSourceSize(picture(200, 100), true, QRectF(10, 20, 30, 40), QSizeF(72, 36));
    EXPECT_FALSE(ownWindowShown);
    EXPECT_TRUE(accepted);
    EXPECT_EQ(root->property("dialogCalls").toInt(), callsBefore + 1);
    EXPECT_TRUE(root->property("lastUseSelection").toBool());
    EXPECT_EQ(root->property("lastRect").toRectF(), QRectF(10, 20, 30, 40));
    EXPECT_EQ(root->property("lastSourceSize").toSizeF(), QSizeF(72, 36));
    EXPECT_EQ(root->property("lastImageSize").toSizeF(), QSizeF(200, 100));
    EXPECT_TRUE(editor.isSelected());
    EXPECT_EQ(editor.getSelectedRect(), QRectF(10, 20, 30, 40));
    const std::shared_ptr<PWImage> made = editor.outputImage();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->size(), QSizeF(100, 50));
    const QImage pixels = made->toImage(QSize(100, 50));
    EXPECT_EQ(qRed(pixels.pixel(99, 0)), 255) << "the plug-in's mirrored picture, not ours";

    // A selection the plug-in hands back off the image is held inside it.
    root->setProperty("selectOffImage", true);
    EXPECT_TRUE(editor.startEditorUseSelectionWithRectSourceSize(picture(200, 100), false, QRectF(), QSizeF()));
    root->setProperty("selectOffImage", false);
    EXPECT_EQ(editor.getSelectedRect(), QRectF(100, 0, 100, 50));
    // A cancelled plug-in dialog answers no.
    root->setProperty("cancel", true);
    EXPECT_FALSE(editor.startEditorUseSelectionWithRectSourceSize(picture(200, 100), false, QRectF(), QSizeF()));
    root->setProperty("cancel", false);
}

TEST_F(EditorFixture, AWrongSettingMeansNoPlugInEvenWithOneInTheDefaultFolders)
{
    editor.setDefaultPlugInPaths({QStringLiteral(PW_TEST_IMAGE_FILTER)});
    PWUserDefaults::standardUserDefaults().setString(CCImageFilterPlugIn::pathSettingKey(),
                                                     QStringLiteral("/nowhere/CoreImageFilter.so"));
    pwtest::LogCapture log;
    EXPECT_EQ(editor.createCIFPlugInInstance(), nullptr);
    ASSERT_FALSE(pwtest::LogCapture::lines().isEmpty());
    EXPECT_TRUE(pwtest::LogCapture::lines().join(u'\n').contains(QStringLiteral("/nowhere/CoreImageFilter.so")));

    // Without the setting the default folder's plug-in is found, and kept.
    PWUserDefaults::standardUserDefaults().removeObject(CCImageFilterPlugIn::pathSettingKey());
    ICoreImageFilter *found = editor.createCIFPlugInInstance();
    EXPECT_NE(found, nullptr);
    PWUserDefaults::standardUserDefaults().setString(CCImageFilterPlugIn::pathSettingKey(), QStringLiteral("/nowhere"));
    EXPECT_EQ(editor.createCIFPlugInInstance(), found);
}

TEST_F(EditorFixture, PlugInsThatAreNoImageFiltersAreRefusedClearly)
{
    const QString notALibrary = QDir(pwtest::homePath()).filePath(QStringLiteral("CoreImageFilter.so"));
    ASSERT_TRUE(pwtest::writeFile(notALibrary, QByteArrayLiteral("this is not a shared library\n")));
    for (const QString &path : {QStringLiteral(PW_TEST_FOREIGN_PLUGIN), notALibrary}) {
        PWUserDefaults::standardUserDefaults().setString(CCImageFilterPlugIn::pathSettingKey(), path);
        pwtest::LogCapture log;
        EXPECT_EQ(editor.createCIFPlugInInstance(), nullptr) << path.toStdString();
        EXPECT_TRUE(pwtest::LogCapture::lines().join(u'\n').contains(path)) << "the refusal names the file";
        // The editor then works with its own window.
        EXPECT_TRUE(run(picture(40, 40), false, QRectF(),
                        [this] { QTest::mouseClick(button("_buttonSet"), Qt::LeftButton); }));
        EXPECT_FALSE(failedToShow);
    }
}

// A filter that knows only the three-argument dialog.
class ThreeArgumentFilter : public ICoreImageFilter
{
public:
    bool CIFShowDialogUseSelectionWithRect(const QImage &image, bool useSelection, const QRectF &rect) override
    {
        ++calls;
        seenSize = image.deviceIndependentSize();
        seenUse = useSelection;
        seenRect = rect;
        return true;
    }
    QRectF CIFSelectionRect() const override { return QRectF(1, 2, 3, 4); }
    bool CIFIsSelected() const override { return true; }
    QImage CIFOutputImage() const override { return QImage(); }

    int calls = 0;
    QSizeF seenSize;
    bool seenUse = false;
    QRectF seenRect;
};

TEST_F(EditorFixture, AFilterWithoutTheFourArgumentDialogGetsTheThreeArgumentOne)
{
    ThreeArgumentFilter filter;
    editor.setFilter(&filter);
    EXPECT_TRUE(editor.startEditorUseSelectionWithRectSourceSize(picture(64, 32), true, QRectF(5, 6, 7, 8),
                                                                 QSizeF(200, 100)));
    EXPECT_EQ(filter.calls, 1);
    EXPECT_EQ(filter.seenSize, QSizeF(64, 32));
    EXPECT_TRUE(filter.seenUse);
    EXPECT_EQ(filter.seenRect, QRectF(5, 6, 7, 8));
    EXPECT_EQ(editor.getSelectedRect(), QRectF(1, 2, 3, 4));
    EXPECT_EQ(editor.outputImage(), nullptr) << "a filter that made no image replaces nothing";
    editor.setFilter(nullptr);
}

} // namespace
