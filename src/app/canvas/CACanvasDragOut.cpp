#include "app/canvas/CACanvasDragOut.h"

#include "kernel/component/CFTACoreDoc.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWPasteboardTypes.h"

#include <QMimeData>

#include <algorithm>
#include <cmath>

namespace {

void put(QMimeData &data, const char *type, const QByteArray &bytes)
{
    if (!bytes.isEmpty())
        data.setData(PWPasteboardTypes::mimeTypeOf(type), bytes);
}

} // namespace

std::unique_ptr<QMimeData> CACanvasDragOut::mimeDataForComponents(const CADocument &document,
                                                                  const std::vector<CFTComponent *> &components,
                                                                  const QPointF &startInWindow)
{
    auto data = std::make_unique<QMimeData>();
    if (components.empty())
        return data;
    put(*data, PWPasteboardTypes::kProductDocument, document.documentDataForComponents(&components));
    put(*data, PWPasteboardTypes::kPDF,
        document.PDFDataForComponents(&components, 0.0, false, false, false, true, kResolution));
    put(*data, PWPasteboardTypes::kTIFF, document.TIFFDataForComponents(&components, 0.0, false, true, kResolution));
    put(*data, PWPasteboardTypes::kDragAndDropStartX, QString::asprintf("%f", startInWindow.x()).toLatin1());
    put(*data, PWPasteboardTypes::kDragAndDropStartY, QString::asprintf("%f", startInWindow.y()).toLatin1());
    return data;
}

QImage CACanvasDragOut::dragImage(const CADocument &document, const std::vector<CFTComponent *> &components,
                                  double scale)
{
    double left = 0, top = 0, right = 0, bottom = 0;
    CFTACoreDoc::GetBoundForComponents(&left, &top, &right, &bottom, components);
    const double s = scale > 0 && std::isfinite(scale) ? scale : 1.0;
    const double width = components.empty() ? 1.0 : std::max(1.0, (right - left) * s);
    const double height = components.empty() ? 1.0 : std::max(1.0, (bottom - top) * s);
    const QSize size(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height)));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (components.empty())
        return image;
    const QImage rendering = document.imageForComponents(&components, 0.0, false, false, 72.0 * s);
    if (!rendering.isNull()) {
        // The rendering fills the bounds; a zero-width line is stretched to its pixel.
        image = rendering.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                    .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    return image;
}
