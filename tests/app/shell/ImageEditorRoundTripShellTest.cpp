// The image editor's crop, set with the mouse on its canvas as a user does (the whole picture,
// the smallest drag, none) and accepted with Set, on a picture of a design's window: the design
// saved from the File menu and read again holds the same crop and reads without a word.
#include "app/canvas/CADocView.h"
#include "app/pictures/CCImageEditorController.h"
#include "app/pictures/CCImageEditorView.h"
#include "app/shell/CACanvasCommands.h"
#include "app/shell/CAChangeLayoutSheet.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTPicture.h"
#include "platform/PWImage.h"

#include "ShellTestSupport.h"

#include <QAction>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

namespace croproundtrip {

// Where the user presses and lets go, in the picture's own units (y up from its lower edge);
// the drag goes outside the canvas where a point lies outside the picture.
struct CropValue
{
    const char *name;
    QSize pixels;
    // A crop made first, in a run of its own (an empty rectangle for none).
    QRectF before;
    QPointF press;
    QPointF release;
    // The crop the picture holds, in the picture's units; empty for none. A negative width stands
    // for "the smallest one the drag makes", which must be more than nothing.
    QRectF expected;
};

void PrintTo(const CropValue &row, std::ostream *out)
{
    *out << row.name;
}

QString cropOf(const CFTPicture &picture)
{
    if (!picture.hasSrcRect())
        return u"none"_s;
    // Lengths are written with three decimals.
    return QStringList {QString::number(picture.getSrcRectX(), 'f', 3), QString::number(picture.getSrcRectY(), 'f', 3),
                        QString::number(picture.getSrcRectWidth(), 'f', 3),
                        QString::number(picture.getSrcRectHeight(), 'f', 3)}
        .join(u' ');
}

// A left-button press, move and release on the canvas, at widget points.
void dragOn(QWidget *canvas, const QPointF &from, const QPointF &to)
{
    QMouseEvent press(QEvent::MouseButtonPress, from, canvas->mapToGlobal(from), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(canvas, &press);
    if (to != from) {
        QMouseEvent move(QEvent::MouseMove, to, canvas->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(canvas, &move);
    }
    QMouseEvent release(QEvent::MouseButtonRelease, to, canvas->mapToGlobal(to), Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(canvas, &release);
}

class ImageEditorRoundTrip : public shelltest::Test, public ::testing::WithParamInterface<CropValue>
{
protected:
    void TearDown() override
    {
        delete watch;
        shelltest::Test::TearDown();
    }

    // The user's part of the editor's next run, once its window shows: a drag from press to
    // release (picture units; none when they are the same and the picture had no crop), then Set.
    void armDrag(const QPointF &pressAt, const QPointF &releaseAt, bool smallest)
    {
        CCImageEditorController *editor = CCImageEditorController::sharedImageEditor();
        shown = false;
        delete watch;
        watch = new QTimer(editor);
        watch->setInterval(0);
        QObject::connect(watch, &QTimer::timeout, editor, [=, this] {
            if (!editor->isVisible())
                return;
            watch->stop();
            shown = true;
            CCImageEditorView *canvas = editor->pictureView();
            const QPointF from = canvas->widgetPoint(pressAt);
            // The smallest drag the mouse makes: one pixel of the screen each way.
            const QPointF to = smallest ? from + QPointF(1.0, -1.0) : canvas->widgetPoint(releaseAt);
            dragOn(canvas, from, to);
            QTest::mouseClick(editor->findChild<QPushButton *>(u"_buttonSet"_s), Qt::LeftButton);
        });
        watch->start();
    }

    QPointer<QTimer> watch;
    bool shown = false;
};

TEST_P(ImageEditorRoundTrip, TheCropSetIsSavedAndReadBackWithoutAWord)
{
    const CropValue &row = GetParam();
    launch(1);
    installChangeLayoutSheet();
    installCanvasCommands();
    CAMainWindowController *w = window(0);
    ASSERT_TRUE(w);
    CADocView *canvas = w->docView();
    CFTADocument *design = canvas->document()->ftDocument();
    QImage bitmap(row.pixels, QImage::Format_ARGB32);
    bitmap.fill(Qt::darkCyan);
    auto *picture = static_cast<CFTPicture *>(CFTAView::CreatePicture(CDDPicture(PWImage::fromQImage(bitmap))).release());
    picture->SetOrigin(60.0, 60.0);
    picture->SetSize(40.0, 20.0);
    design->AddObject(picture, 0, false);
    canvas->ftView()->deselectAll();
    canvas->ftView()->select(picture);
    QAction *edit = controller->mainMenu().itemForAction(u"openImageEditorDialog"_s);
    ASSERT_NE(edit, nullptr);

    // Picture > Edit Picture…, once for the crop to start from and once for the value.
    const auto run = [&](const QPointF &from, const QPointF &to, bool smallest) {
        armDrag(from, to, smallest);
        controller->mainMenu().validate();
        ASSERT_TRUE(edit->isEnabled());
        edit->trigger();
        ASSERT_TRUE(shown);
    };
    if (!row.before.isEmpty()) {
        run(row.before.topLeft(), row.before.bottomRight(), false);
        ASSERT_TRUE(picture->hasSrcRect());
    }
    const bool smallest = row.expected.width() < 0.0;
    run(row.press, row.release, smallest);
    if (HasFatalFailure())
        return;
    const QString held = cropOf(*picture);
    if (smallest) {
        ASSERT_TRUE(picture->hasSrcRect());
        EXPECT_GT(picture->getSrcRectWidth(), 0.0f);
        EXPECT_GT(picture->getSrcRectHeight(), 0.0f);
    } else {
        const QRectF &e = row.expected;
        const QString expected = e.isEmpty() ? u"none"_s
                                             : QStringList {QString::number(e.x(), 'f', 3), QString::number(e.y(), 'f', 3),
                                                            QString::number(e.width(), 'f', 3),
                                                            QString::number(e.height(), 'f', 3)}
                                                   .join(u' ');
        EXPECT_EQ(held, expected) << "as set";
    }

    savePath = path(u"crop.pwdc"_s);
    QAction *save = controller->mainMenu().itemForAction(u"saveDocument"_s);
    ASSERT_NE(save, nullptr);
    save->trigger();
    EXPECT_EQ(reports.join(u'\n'), QString());
    const std::vector<CFTComponent *> &written = design->GetComponents(0, false);
    const auto index = std::find(written.begin(), written.end(), picture) - written.begin();
    ASSERT_LT(size_t(index), written.size());

    CADocument reopened;
    QString error;
    ASSERT_TRUE(reopened.readFromFile(savePath, &error)) << qPrintable(error);
    EXPECT_EQ(reopened.readProblems().join(u'\n'), QString());
    const std::vector<CFTComponent *> &read = reopened.ftDocument()->GetComponents(0, false);
    ASSERT_EQ(read.size(), written.size());
    auto *readPicture = dynamic_cast<CFTPicture *>(read[size_t(index)]);
    ASSERT_NE(readPicture, nullptr);
    EXPECT_EQ(cropOf(*readPicture), held) << "as read back";
}

constexpr QSize kSmall(40, 20);
const QRectF kNone;
// Wider than any page, as a panorama scanned at a printer's resolution is.
constexpr QSize kPanorama(120000, 2);

INSTANTIATE_TEST_SUITE_P(
    Crop, ImageEditorRoundTrip,
    ::testing::Values(
        CropValue {"WholePicture", kSmall, kNone, QPointF(-50, 70), QPointF(90, -50), QRectF(0, 0, 40, 20)},
        CropValue {"LowerLeftQuarter", kSmall, kNone, QPointF(0, 0), QPointF(20, 10), QRectF(0, 0, 20, 10)},
        CropValue {"SmallestDrag", kSmall, kNone, QPointF(20, 10), QPointF(20, 10), QRectF(0, 0, -1, -1)},
        // A click without a drag outside the crop leaves the picture uncropped.
        CropValue {"NoCrop", kSmall, QRectF(0, 0, 20, 10), QPointF(35, 18), QPointF(35, 18), kNone},
        CropValue {"WholePanorama", kPanorama, kNone, QPointF(-1000, 10), QPointF(121000, -10), QRectF(0, 0, 120000, 2)}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace croproundtrip
