// PDF of a single component, for the pasteboard when a picture is dragged out of a catalogue.

#include "kernel/foundation/CDDDrawer.h"

#include "kernel/foundation/CFTComponent.h"

#include <QRectF>

QByteArray CDDDrawer::PDFDataForComponent(CFTComponent *component, double, double imageResolution)
{
    if (!component)
        return QByteArray();
    double left = 0.0, top = 0.0, right = 0.0, bottom = 0.0;
    component->GetDrawRect(&left, &top, &right, &bottom, false);
    const QRectF page(float(left), float(top), float(right - left), float(bottom - top));
    return PDFDataForDrawing(page, imageResolution, [component](CDDDrawer &drawer) {
        component->Draw(&drawer, false, nullptr, false, true);
    });
}
