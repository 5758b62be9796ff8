#include "app/pictures/CCPictDragOut.h"

#include "app/pictures/CCPictImageResolver.h"
#include "app/pictures/CCPicturesLog.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/base/FTImageArchive.h"
#include "kernel/base/FTImageUtilities.h"
#include "kernel/base/FTUtilities.h"
#include "kernel/component/CFTACoreDoc.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/drawing/CFTBoxField.h"
#include "platform/PWImage.h"
#include "platform/PWPasteboardTypes.h"
#include "platform/PWPictureRenderer.h"

#include <QFileInfo>
#include <QMimeData>
#include <QPainter>

#include <algorithm>
#include <vector>

namespace CCPictDragOut {

namespace {

using namespace PWPasteboardTypes;

constexpr double kShapeResolution = 600.0;

void put(QMimeData &data, const char *type, const QByteArray &bytes)
{
    if (!bytes.isEmpty())
        data.setData(mimeTypeOf(type), bytes);
}

std::shared_ptr<PWImage> readWhole(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return nullptr;
    if (QFileInfo(path).suffix().compare(u"hpi", Qt::CaseInsensitive) == 0)
        return loadHemeraImage(path);
    QString error;
    std::shared_ptr<PWImage> image = PWImage::fromFile(path, &error);
    if (!image)
        qCWarning(lcPictures).noquote() << QStringLiteral("Can't drag the picture %1: %2").arg(path, error);
    return image && image->isValid() ? image : nullptr;
}

const PWImageRep *firstOfKind(const PWImage &image, PWImageRep::Kind kind)
{
    for (const PWImageRep &rep : image.representations())
        if (rep.kind() == kind)
            return &rep;
    return nullptr;
}

} // namespace

std::shared_ptr<PWImage> fullPicture(const QString &reference)
{
    if (reference.isEmpty() || reference == CCPictImageResolver::kLoading)
        return nullptr;
    // An internet result exists only as the picture its cell was given.
    if (reference.startsWith(CCPictImageResolver::kUrlPrefix))
        return PWImage::imageNamed(reference);
    if (reference.startsWith(CCPictImageResolver::kFilePrefix)) {
        // Cells read files reduced and never register them: a picture of this name is whole.
        if (std::shared_ptr<PWImage> named = PWImage::imageNamed(reference))
            return named;
        std::shared_ptr<PWImage> image = readWhole(reference.mid(CCPictImageResolver::kFilePrefix.size()));
        if (image)
            image->setName(reference);
        return image;
    }
    // A clip-art item: the bare reference may name its thumbnail, the full-size name never does.
    return CAEnvironment::loadFullSizedImage(reference);
}

bool isBasicShapeReference(const QString &reference)
{
    return reference.split(u'/').contains(kBasicShapesFolder);
}

bool dragsAsBasicShape(const QString &reference)
{
    return isBasicShapeReference(reference) && basicShapeTypeByFileName(reference).has_value();
}

std::unique_ptr<QMimeData> mimeDataForPicture(const PWImage *picture)
{
    auto data = std::make_unique<QMimeData>();
    if (!picture || !picture->isValid())
        return data;
    if (const PWImageRep *pdf = firstOfKind(*picture, PWImageRep::Kind::PDF)) {
        put(*data, kPDF, pdf->data());
    } else if (const PWImageRep *eps = firstOfKind(*picture, PWImageRep::Kind::EPS)) {
        put(*data, kPostScript, eps->data());
    } else {
        const QSize pixels = picture->pixelSize().expandedTo(QSize(1, 1));
        put(*data, kTIFF, FTImageArchive::tiffData(picture->toImage(pixels)));
    }
    put(*data, kNamedImage, picture->name().toUtf8());
    return data;
}

std::unique_ptr<CFTComponent> basicShapeComponent(const QString &fileName, const QSizeF &size,
                                                  CFTComponent *defaultComponent)
{
    auto shape = std::make_unique<CFTBoxField>(defaultComponent);
    shape->setType(componentTypeByFileName(fileName));
    const double width = size.width() >= 1.0 ? size.width() : 1.0;
    const double height = size.height() >= 1.0 ? size.height() : 1.0;
    shape->SetOrigin(0.0, 0.0);
    shape->SetSize(width, height);
    return shape;
}

std::unique_ptr<QMimeData> mimeDataForBasicShape(CFTComponent *shape)
{
    auto data = std::make_unique<QMimeData>();
    if (!shape)
        return data;
    CDDArchive archive(true, ptInline);
    std::vector<CFTComponent *> one {shape};
    CFTACoreDoc::SerializeComponents(archive, &one, true);
    const QByteArray xml = archive.Dettach().toXml();
    if (xml.isEmpty())
        qCWarning(lcPictures) << "The dragged shape could not be archived";
    put(*data, kProductDocument, xml);
    put(*data, kPDF, PDFDataForComponent(shape, 0.0, kShapeResolution));
    return data;
}

QImage pictureDragImage(const PWImage *cellImage, const QSize &pixelSize)
{
    const QSize size = pixelSize.expandedTo(QSize(1, 1));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (!cellImage || !cellImage->isValid())
        return image;
    // The drag starts at once: a PDF or EPS picture shows the raster there is of it, and one
    // still being rendered (or never ending) goes as the placeholder.
    QImage picture;
    bool pending = false;
    {
        const PWPictureRenderer::Deferred deferred;
        const int pendingBefore = PWPictureRenderer::pendingCount();
        picture = cellImage->toImage(size);
        pending = PWPictureRenderer::pendingCount() != pendingBefore;
    }
    QPainter painter(&image);
    painter.setOpacity(0.5);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (pending)
        PWPictureRenderer::drawPlaceholder(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    else
        painter.drawImage(QPoint(0, 0), picture);
    return image;
}

void setDragImageFrame(QMimeData &data, const QRectF &frame)
{
    if (!frame.isValid())
        return;
    const QString text = QString::asprintf("%f %f %f %f", frame.x(), frame.y(), frame.width(), frame.height());
    put(data, kDragImageFrame, text.toLatin1());
}

QRectF basicShapeDragFrame(const CFTComponent *shape, const QPoint &hotSpot)
{
    if (!shape)
        return QRectF();
    // The picture is drawn a pixel a point, the shape a point in from its edges so that an
    // outline on the frame shows whole.
    constexpr double kPictureMargin = 1.0;
    return QRectF(QPointF(kPictureMargin, kPictureMargin) - QPointF(hotSpot), QSizeF(shape->GetSizeX(), shape->GetSizeY()));
}

QImage basicShapeDragImage(CFTComponent *shape)
{
    QImage image = dragComponentImage(shape, 1.0);
    return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace CCPictDragOut
