// What a drag of the selection out of the canvas carries, built without a drag: the design type
// that reads back as the same objects, real PDF and TIFF, the start point, and a drag image that
// never vanishes.
#include "app/canvas/CACanvasDragOut.h"
#include "kernel/base/CDDColor.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/drawing/CFTSeparator.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWPasteboardTypes.h"

#include <QMimeData>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using PWPasteboardTypes::mimeTypeOf;

namespace {

struct Design
{
    Design()
    {
        box = new CFTBoxField(40.0, 30.0, 50.0, 20.0, nullptr);
        const CDDColor red(0.9f, 0.1f, 0.1f, 1.0f);
        box->SetFillColor(&red);
        box->SetFilled(true);
        document.ftDocument()->AddObject(box, 0, false);
        text = new CFTAText(100.0, 30.0, 80.0, 24.0, nullptr);
        text->GetText()->setString(u"Dragged"_s, nullptr);
        document.ftDocument()->AddObject(text, 0, false);
    }
    CADocument document;
    CFTBoxField *box;
    CFTAText *text;
};

TEST(CACanvasDragOutTest, CarriesTheDesignTypeThenPdfTiffAndTheStartPointInThatOrder)
{
    Design d;
    const std::unique_ptr<QMimeData> data =
        CACanvasDragOut::mimeDataForComponents(d.document, {d.box, d.text}, QPointF(12.5, 300.25));
    const QStringList expected = {mimeTypeOf(PWPasteboardTypes::kProductDocument), mimeTypeOf(PWPasteboardTypes::kPDF),
                                  mimeTypeOf(PWPasteboardTypes::kTIFF),
                                  mimeTypeOf(PWPasteboardTypes::kDragAndDropStartX),
                                  mimeTypeOf(PWPasteboardTypes::kDragAndDropStartY)};
    EXPECT_EQ(data->formats(), expected);
    EXPECT_EQ(data->data(mimeTypeOf(PWPasteboardTypes::kDragAndDropStartX)), QByteArray("12.500000"));
    EXPECT_EQ(data->data(mimeTypeOf(PWPasteboardTypes::kDragAndDropStartY)), QByteArray("300.250000"));
    EXPECT_TRUE(data->data(mimeTypeOf(PWPasteboardTypes::kPDF)).startsWith("%PDF-"));
    const QByteArray tiff = data->data(mimeTypeOf(PWPasteboardTypes::kTIFF));
    EXPECT_TRUE(tiff.startsWith(QByteArray("II*\0", 4)) || tiff.startsWith(QByteArray("MM\0*", 4)));
}

TEST(CACanvasDragOutTest, DesignTypeReadsBackAsTheDraggedObjectsInTheirOrder)
{
    Design d;
    const std::unique_ptr<QMimeData> data = CACanvasDragOut::mimeDataForComponents(d.document, {d.text, d.box}, {});
    QString error;
    const auto components =
        CADocument::componentsFromData(data->data(mimeTypeOf(PWPasteboardTypes::kProductDocument)), &error);
    ASSERT_EQ(components.size(), 2u) << error.toStdString();
    EXPECT_EQ(components[0]->getClassID(), d.text->getClassID());
    EXPECT_EQ(components[1]->getClassID(), d.box->getClassID());
    EXPECT_DOUBLE_EQ(components[1]->GetOriginX(), 40.0);
    EXPECT_DOUBLE_EQ(components[1]->GetSizeX(), 50.0);
}

TEST(CACanvasDragOutTest, NothingSelectedCarriesNothing)
{
    Design d;
    EXPECT_TRUE(CACanvasDragOut::mimeDataForComponents(d.document, {}, QPointF(1, 1))->formats().isEmpty());
}

TEST(CACanvasDragOutTest, DragImageIsTheObjectsAtTheCanvasScaleAndNeverEmpty)
{
    Design d;
    const QImage image = CACanvasDragOut::dragImage(d.document, {d.box}, 2.0);
    const QRectF bounds = d.box->GetNSDrawRect(false, 0.0);
    EXPECT_NEAR(image.width(), bounds.width() * 2.0, 1.0);
    EXPECT_NEAR(image.height(), bounds.height() * 2.0, 1.0);
    // The filled box shows in its middle.
    const QColor middle = image.pixelColor(image.width() / 2, image.height() / 2);
    EXPECT_GT(middle.red(), 200);
    EXPECT_LT(middle.green(), 80);

    // A vertical line has no width of its own; its picture still has a pixel's.
    auto *line = new CFTSeparator(60.0, 60.0, 0.0, 40.0, nullptr);
    d.document.ftDocument()->AddObject(line, 0, false);
    const QImage thin = CACanvasDragOut::dragImage(d.document, {line}, 1.0);
    EXPECT_GE(thin.width(), 1);
    EXPECT_GE(thin.height(), 1);
    EXPECT_FALSE(CACanvasDragOut::dragImage(d.document, {}, 1.0).isNull());
}

} // namespace
