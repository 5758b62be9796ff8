// One component alone as an image or as PDF: for drag images and the pasteboard of the design
// window and the picture catalogues.

#include "kernel/component/CFTComponent.h"

#include "kernel/render/CDDDrawer.h"

#include <QImage>
#include <QRectF>

QImage dragComponentImage(CFTComponent *component, double scale)
{
    if (!component)
        return QImage();
    return CDDDrawer::dragComponentImage(QSizeF(component->GetSizeX(), component->GetSizeY()), scale,
                                         [component](CDDDrawer *drawer) {
                                             component->Draw(drawer, false, nullptr, false, false);
                                         });
}

QByteArray PDFDataForComponent(CFTComponent *component, double, double imageResolution)
{
    if (!component)
        return QByteArray();
    double left = 0.0, top = 0.0, right = 0.0, bottom = 0.0;
    component->GetDrawRect(&left, &top, &right, &bottom, false);
    const QRectF page(float(left), float(top), float(right - left), float(bottom - top));
    return CDDDrawer::PDFDataForDrawing(page, imageResolution, [component](CDDDrawer &drawer) {
        component->Draw(&drawer, false, nullptr, false, true);
    });
}
