// What a picture dragged out of a catalogue carries: PDF before EPS before TIFF with the
// picture's name, a basic shape as an editable shape the kernel and a canvas read back, and the
// press that moves (a drag) against the press that does not (a click).
#include "app/canvas/CADocView.h"
#include "app/pictures/CCPictCatalog.h"
#include "app/pictures/CCPictDragOut.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/component/CFTACoreDoc.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWImage.h"
#include "platform/PWPasteboardTypes.h"
#include "platform/PWPlist.h"
#include "platform/PWUndoManager.h"
#include "platform/PWUserDefaults.h"

#include "DeferredPictureSupport.h"
#include "PictureTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace PWPasteboardTypes;

namespace {

const QByteArray kEps = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 20 10\n"
                        "newpath 0 0 moveto 20 10 lineto stroke\n%%EOF\n";

QString savePicture(const QString &path, QRgb colour = 0xff22aa44, QSize size = QSize(16, 12))
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    // 72 dots per inch: a pixel is a point.
    image.setDotsPerMeterX(2835);
    image.setDotsPerMeterY(2835);
    image.save(path, "PNG");
    return path;
}

// Reads a design fragment back through the kernel: its components, owned.
std::vector<std::unique_ptr<CFTComponent>> readBack(const QByteArray &xml)
{
    std::vector<std::unique_ptr<CFTComponent>> owned;
    const std::optional<PWPlist> plist = PWPlist::parse(xml);
    if (!plist)
        return owned;
    CDDArchive archive(false, ptInline);
    archive.Attach(*plist);
    std::vector<CFTComponent *> list;
    CFTACoreDoc::SerializeComponents(archive, &list, true);
    for (CFTComponent *component : list)
        owned.emplace_back(component);
    return owned;
}

// A catalogue that records the drag it would start rather than running one.
class DragRecordingCatalog : public CCPictCatalog
{
public:
    int drags = 0;
    QStringList formats;
    QByteArray named;
    QByteArray design;
    QByteArray postScript;
    bool hadPicture = false;
    QImage picture;

protected:
    Qt::DropAction execDrag(QDrag &drag) override
    {
        ++drags;
        formats = drag.mimeData()->formats();
        named = drag.mimeData()->data(mimeTypeOf(kNamedImage));
        design = drag.mimeData()->data(mimeTypeOf(kProductDocument));
        postScript = drag.mimeData()->data(mimeTypeOf(kPostScript));
        hadPicture = !drag.pixmap().isNull();
        picture = drag.pixmap().toImage();
        return Qt::CopyAction;
    }
};

void sendMouseTo(QWidget *widget, QEvent::Type type, const QPointF &at, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

TEST(CCPictDragOut, PictureWithPdfAndEpsCarriesOnlyThePdfAndItsName)
{
    std::shared_ptr<PWImage> picture = PWImage::create();
    const QByteArray pdf = pictest::quadrantPdf(30, 20);
    picture->addRepresentation(*PWImageRep::fromEPS(kEps));
    picture->addRepresentation(*PWImageRep::fromPDF(pdf));
    picture->setName(u"Animals/cat.pdf"_s);
    const std::unique_ptr<QMimeData> data = CCPictDragOut::mimeDataForPicture(picture.get());
    EXPECT_EQ(data->data(mimeTypeOf(kPDF)), pdf);
    EXPECT_FALSE(data->hasFormat(mimeTypeOf(kPostScript)));
    EXPECT_FALSE(data->hasFormat(mimeTypeOf(kTIFF)));
    EXPECT_EQ(data->data(mimeTypeOf(kNamedImage)), "Animals/cat.pdf");
}

TEST(CCPictDragOut, EpsWithoutPdfGoesAsPostScriptAndABitmapAsTiffOfItsPixels)
{
    std::shared_ptr<PWImage> eps = PWImage::create(*PWImageRep::fromEPS(kEps));
    const std::unique_ptr<QMimeData> epsData = CCPictDragOut::mimeDataForPicture(eps.get());
    EXPECT_EQ(epsData->data(mimeTypeOf(kPostScript)), kEps);
    EXPECT_FALSE(epsData->hasFormat(mimeTypeOf(kPDF)));

    QImage pixels(9, 5, QImage::Format_ARGB32);
    pixels.fill(0xff1030f0);
    std::shared_ptr<PWImage> bitmap = PWImage::fromQImage(pixels);
    bitmap->setName(u"blue"_s);
    const std::unique_ptr<QMimeData> tiffData = CCPictDragOut::mimeDataForPicture(bitmap.get());
    ASSERT_TRUE(tiffData->hasFormat(mimeTypeOf(kTIFF)));
    EXPECT_FALSE(tiffData->hasFormat(mimeTypeOf(kPDF)));
    const std::shared_ptr<PWImage> back = PWImage::fromData(tiffData->data(mimeTypeOf(kTIFF)));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->pixelSize(), QSize(9, 5));
    EXPECT_EQ(back->toImage(QSize(9, 5)).pixelColor(4, 2), QColor(0x10, 0x30, 0xf0));
    EXPECT_EQ(tiffData->data(mimeTypeOf(kNamedImage)), "blue");
    EXPECT_TRUE(CCPictDragOut::mimeDataForPicture(nullptr)->formats().isEmpty());
}

// Makes folder the user's content library for the test's life.
struct UserLibrary
{
    explicit UserLibrary(const QString &folder)
    {
        PWUserDefaults::standardUserDefaults().setString(u"FTSharedContentLibraryPath"_s, folder);
    }
    ~UserLibrary() { PWUserDefaults::standardUserDefaults().removeObject(u"FTSharedContentLibraryPath"_s); }
};

TEST(CCPictDragOut, FilePictureIsReadWholeAndKeepsItsExactName)
{
    QTemporaryDir dir;
    const QString path = savePicture(dir.path() + u"/My Photos/Red Door.png"_s, 0xffcc2222, QSize(40, 30));
    const QString reference = u"PREFIX_FILE"_s + path;
    std::shared_ptr<PWImage> picture = CCPictDragOut::fullPicture(reference);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->pixelSize(), QSize(40, 30)) << "the whole picture, not the cell's reduction";
    EXPECT_EQ(PWImage::imageNamed(reference), picture);
    const std::unique_ptr<QMimeData> data = CCPictDragOut::mimeDataForPicture(picture.get());
    EXPECT_EQ(QString::fromUtf8(data->data(mimeTypeOf(kNamedImage))), reference);
    EXPECT_TRUE(data->hasFormat(mimeTypeOf(kTIFF)));

    // Nothing to drag: a placeholder, an unreadable file, a name outside the clip-art folder.
    const UserLibrary library(dir.path());
    QFile text(dir.path() + u"/notes.png"_s);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a picture");
    text.close();
    for (const QString &nothing : {u"loading"_s, u"PREFIX_FILE"_s + text.fileName(), u"PREFIX_FILE"_s + dir.path(),
                                   u"../../My Photos/Red Door.png"_s, QString()})
        EXPECT_FALSE(CCPictDragOut::fullPicture(nothing)) << nothing.toStdString();
    // A clip-art item is read from the collection's folder and registered under its full-size name.
    savePicture(CAEnvironment::clipArtPath() + u"/Animals/dog.png"_s);
    std::shared_ptr<PWImage> clip = CCPictDragOut::fullPicture(u"Animals/dog.png"_s);
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->name(), u"FULLSIZE_Animals/dog.png"_s);
}

TEST(CCPictDragOut, FivePointStarFileDragsAStarTheKernelReadsBack)
{
    const QString reference = u"PREFIX_FILE/home/u/.local/share/Parcelwick/Library/BasicShapes/5-Point Star.png"_s;
    EXPECT_TRUE(CCPictDragOut::dragsAsBasicShape(reference));
    EXPECT_FALSE(CCPictDragOut::dragsAsBasicShape(u"PREFIX_FILE/pictures/5-Point Star.png"_s))
        << "outside the basic-shape folder a star picture is a picture";
    EXPECT_FALSE(CCPictDragOut::dragsAsBasicShape(u"PREFIX_FILE/Library/BasicShapes/Teapot.png"_s))
        << "a file there that names no shape drags as the picture it shows";
    std::unique_ptr<CFTComponent> shape = CCPictDragOut::basicShapeComponent(reference, QSizeF(64, 48), nullptr);
    const std::unique_ptr<QMimeData> data = CCPictDragOut::mimeDataForBasicShape(shape.get());
    EXPECT_TRUE(data->data(mimeTypeOf(kPDF)).startsWith("%PDF"));
    EXPECT_FALSE(data->hasFormat(mimeTypeOf(kNamedImage)));
    const std::vector<std::unique_ptr<CFTComponent>> back = readBack(data->data(mimeTypeOf(kProductDocument)));
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0]->getType(), ctStar5);
    EXPECT_DOUBLE_EQ(back[0]->GetSizeX(), 64.0);
    EXPECT_DOUBLE_EQ(back[0]->GetSizeY(), 48.0);
    EXPECT_FALSE(CCPictDragOut::basicShapeDragImage(shape.get()).isNull());
}

TEST(CCPictDragOut, StarDroppedOnACanvasBecomesAnEditableStarAsOneUndoStep)
{
    std::unique_ptr<CFTComponent> shape =
        CCPictDragOut::basicShapeComponent(u"PREFIX_FILE/x/BasicShapes/5-Point Star.pdf"_s, QSizeF(50, 50), nullptr);
    const std::unique_ptr<QMimeData> data = CCPictDragOut::mimeDataForBasicShape(shape.get());
    CADocument document;
    CADocView view;
    view.setScreenResolution(72.0);
    ASSERT_TRUE(view.setDocument(&document));
    view.resize(700, 600);
    view.show();
    document.undoManager()->setGroupsByEvent(false);
    document.undoManager()->removeAllActions();
    const size_t before = document.ftDocument()->GetComponents(0, false).size();
    const QPoint at = view.geometry().widgetPoint(QPointF(100, 80)).toPoint();
    QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &drop);
    const std::vector<CFTComponent *> &list = document.ftDocument()->GetComponents(0, false);
    ASSERT_EQ(list.size(), before + 1);
    EXPECT_EQ(list.back()->getType(), ctStar5);
    EXPECT_NEAR(list.back()->GetSizeX(), 50.0, 0.01);
    EXPECT_TRUE(document.undoManager()->canUndo());
    document.undoManager()->undo();
    EXPECT_EQ(document.ftDocument()->GetComponents(0, false).size(), before);
}

TEST(CCPictCatalogDrag, PressThatMovesDragsAndPressThatDoesNotSelects)
{
    QTemporaryDir dir;
    savePicture(dir.path() + u"/a.png"_s);
    savePicture(dir.path() + u"/BasicShapes/Circle.png"_s);
    DragRecordingCatalog catalog;
    catalog.resize(200, 200);
    catalog.show();
    catalog.changeBySearchInFolder({{u"a.png"_s, {}}, {u"BasicShapes/Circle.png"_s, {}}}, dir.path());
    QSignalSpy activated(&catalog, &CCPictCatalog::activated);
    const QPointF second = catalog.cellFrameAtRowColumn(0, 1).center();
    sendMouseTo(&catalog, QEvent::MouseButtonPress, second, Qt::LeftButton);
    sendMouseTo(&catalog, QEvent::MouseButtonRelease, second, Qt::NoButton);
    EXPECT_EQ(activated.size(), 1);
    EXPECT_EQ(catalog.selectedColumn(), 1);
    EXPECT_EQ(catalog.drags, 0);

    const QPointF first = catalog.cellFrameAtRowColumn(0, 0).center();
    sendMouseTo(&catalog, QEvent::MouseButtonPress, first, Qt::LeftButton);
    sendMouseTo(&catalog, QEvent::MouseMove, first + QPointF(1, 1), Qt::LeftButton);
    EXPECT_EQ(catalog.drags, 0) << "less than the drag distance is still a click";
    sendMouseTo(&catalog, QEvent::MouseMove, first + QPointF(30, 20), Qt::LeftButton);
    sendMouseTo(&catalog, QEvent::MouseButtonRelease, first + QPointF(30, 20), Qt::NoButton);
    ASSERT_EQ(catalog.drags, 1);
    EXPECT_EQ(QString::fromUtf8(catalog.named), u"PREFIX_FILE"_s + dir.path() + u"/a.png"_s);
    EXPECT_TRUE(catalog.hadPicture);
    EXPECT_EQ(activated.size(), 1) << "a drag selects nothing";
    EXPECT_EQ(catalog.selectedColumn(), 1);

    // The circle of the basic-shape folder drags as a shape of the picture's size.
    sendMouseTo(&catalog, QEvent::MouseButtonPress, second, Qt::LeftButton);
    sendMouseTo(&catalog, QEvent::MouseMove, second + QPointF(0, 25), Qt::LeftButton);
    ASSERT_EQ(catalog.drags, 2);
    EXPECT_TRUE(catalog.named.isEmpty());
    const std::vector<std::unique_ptr<CFTComponent>> back = readBack(catalog.design);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0]->getType(), ctCircle);
    EXPECT_NEAR(back[0]->GetSizeX(), 16.0, 0.01);
    EXPECT_NEAR(back[0]->GetSizeY(), 12.0, 0.01);

    // A press in the spacing between cells starts nothing.
    const QPointF gap((catalog.cellFrameAtRowColumn(0, 0).right() + catalog.cellFrameAtRowColumn(0, 1).left()) / 2.0, 40);
    sendMouseTo(&catalog, QEvent::MouseButtonPress, gap, Qt::LeftButton);
    sendMouseTo(&catalog, QEvent::MouseMove, gap + QPointF(0, 30), Qt::LeftButton);
    EXPECT_EQ(catalog.drags, 2);
}

TEST(CCPictCatalogDrag, PressedCellIsShadedUntilTheReleaseOrTheDrag)
{
    QTemporaryDir dir;
    savePicture(dir.path() + u"/a.png"_s);
    savePicture(dir.path() + u"/b.png"_s);
    DragRecordingCatalog catalog;
    catalog.resize(200, 120);
    catalog.show();
    catalog.changeBySearchInFolder({{u"a.png"_s, {}}, {u"b.png"_s, {}}}, dir.path());
    // The second cell is the one selected by a click first, so that only the press tells them apart.
    const QPointF second = catalog.cellFrameAtRowColumn(0, 1).center();
    sendMouseTo(&catalog, QEvent::MouseButtonPress, second, Qt::LeftButton);
    sendMouseTo(&catalog, QEvent::MouseButtonRelease, second, Qt::NoButton);
    const QPoint inFirst = (catalog.cellFrameAtRowColumn(0, 0).topLeft() + QPointF(20, 4)).toPoint();
    const QPoint inSecond = (catalog.cellFrameAtRowColumn(0, 1).topLeft() + QPointF(20, 4)).toPoint();
    const auto lightness = [&](const QPoint &at) { return catalog.grab().toImage().pixelColor(at).lightness(); };
    const int unpressed = lightness(inFirst);
    const QPointF first = catalog.cellFrameAtRowColumn(0, 0).center();
    sendMouseTo(&catalog, QEvent::MouseButtonPress, first, Qt::LeftButton);
    EXPECT_LT(lightness(inFirst), unpressed - 10);
    EXPECT_GT(lightness(inSecond), lightness(inFirst) + 10) << "only the pressed cell is shaded";
    sendMouseTo(&catalog, QEvent::MouseButtonRelease, first, Qt::NoButton);
    EXPECT_EQ(lightness(inFirst), unpressed);
}

TEST(CCPictCatalogDrag, ADrawnClipArtCellDragsTheFullSizePictureNotItsThumbnail)
{
    QTemporaryDir dir;
    const UserLibrary library(dir.path());
    savePicture(CAEnvironment::clipArtPath() + u"/Animals/cat.png"_s, 0xffcc2222, QSize(40, 30));
    QDir().mkpath(CAEnvironment::thumbClipArtPath() + u"/Animals"_s);
    QImage thumbnail(8, 6, QImage::Format_RGB32);
    thumbnail.fill(Qt::green);
    ASSERT_TRUE(thumbnail.save(CAEnvironment::thumbClipArtPath() + u"/Animals/cat.jpg"_s, "JPG"));
    DragRecordingCatalog catalog;
    catalog.resize(200, 120);
    catalog.show();
    catalog.changeBySearchInFolder({{u"Animals/cat.png"_s, {}}}, CAEnvironment::clipArtPath());
    ASSERT_EQ(catalog.cellAtRowColumn(0, 0)->imageReference(), u"Animals/cat.png"_s);
    // Drawn, the cell holds the thumbnail, registered under the bare reference.
    catalog.grab();
    const std::shared_ptr<PWImage> shown = PWImage::imageNamed(u"Animals/cat.png"_s);
    ASSERT_TRUE(shown);
    ASSERT_EQ(catalog.cellAtRowColumn(0, 0)->image(), shown);
    ASSERT_NE(shown->pixelSize(), QSize(40, 30));

    const QPointF cell = catalog.cellFrameAtRowColumn(0, 0).center();
    sendMouseTo(&catalog, QEvent::MouseButtonPress, cell, Qt::LeftButton);
    sendMouseTo(&catalog, QEvent::MouseMove, cell + QPointF(30, 20), Qt::LeftButton);
    ASSERT_EQ(catalog.drags, 1);
    EXPECT_EQ(QString::fromUtf8(catalog.named), u"FULLSIZE_Animals/cat.png"_s);
    const std::shared_ptr<PWImage> full = catalog.fullPictureAt(0, 0);
    ASSERT_TRUE(full);
    EXPECT_EQ(full->pixelSize(), QSize(40, 30));
    EXPECT_EQ(full->name(), u"FULLSIZE_Animals/cat.png"_s);
}

// A drag never waits for a rendering: the endless picture goes at once as its file, under the
// placeholder.
TEST(CCPictCatalogDrag, ADragOfAnEndlessPictureStartsAtOnceWithItsFileAndThePlaceholder)
{
    const deferredpicture::ShortDeadline deadline;
    QTemporaryDir dir;
    QFile endless(pwtest::dataPath(u"pictures/eps-endless-loop.eps"_s));
    ASSERT_TRUE(endless.open(QIODevice::ReadOnly));
    const QByteArray bytes = endless.readAll();
    ASSERT_TRUE(pwtest::writeFile(dir.filePath(u"loop.eps"_s), bytes));
    DragRecordingCatalog catalog;
    {
        // No rendering can end meanwhile: a drag that waited for one would end after it.
        const deferredpicture::HeldRenderings held;
        const int renders = PWPictureRenderer::renderCount();
        catalog.resize(200, 120);
        catalog.show();
        catalog.changeBySearchInFolder({{u"loop.eps"_s, {}}}, dir.path());
        catalog.grab();
        const QPointF cell = catalog.cellFrameAtRowColumn(0, 0).center();
        sendMouseTo(&catalog, QEvent::MouseButtonPress, cell, Qt::LeftButton);
        sendMouseTo(&catalog, QEvent::MouseMove, cell + QPointF(30, 20), Qt::LeftButton);
        EXPECT_EQ(PWPictureRenderer::renderCount(), renders);
    }
    ASSERT_EQ(catalog.drags, 1);
    EXPECT_EQ(catalog.postScript, bytes);
    EXPECT_EQ(QString::fromUtf8(catalog.named), u"PREFIX_FILE"_s + dir.filePath(u"loop.eps"_s));
    const QImage &shown = catalog.picture;
    const QColor plate = shown.pixelColor(shown.width() / 2, shown.height() / 4);
    EXPECT_NEAR(plate.alpha(), 128, 8);
    EXPECT_TRUE(pictest::near(plate, PWPictureRenderer::placeholderColor(), 8)) << qPrintable(plate.name());
    PWPictureRenderer::waitForBackground();
}

// The drag's picture is the raster there is already, or the placeholder while there is none.
TEST(CCPictDragOut, DragPictureIsTheRasterThereIsOrThePlaceholder)
{
    const deferredpicture::ShortDeadline deadline;
    const std::shared_ptr<PWImage> pdf = deferredpicture::blackPdf();
    const QSize size(50, 50);
    for (const bool rendered : {false, true}) {
        if (rendered)
            pdf->toImage(size);
        const QImage image = CCPictDragOut::pictureDragImage(pdf.get(), size);
        const QColor shown = image.pixelColor(size.width() / 2, size.height() / 4);
        EXPECT_TRUE(pictest::near(shown, rendered ? QColor(Qt::black) : PWPictureRenderer::placeholderColor(), 8))
            << rendered << " " << qPrintable(shown.name());
        PWPictureRenderer::waitForBackground();
    }
}
