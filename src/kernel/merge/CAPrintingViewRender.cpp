#include "kernel/merge/CAPrintingView.h"

#include "kernel/merge/CADocument.h"
#include "kernel/drawing/CAImageEx.h"

#include <QImage>
#include <QPicture>

std::shared_ptr<CAImageEx> CAPrintingView::defaultItemImage(CADocument &document, bool vector, bool withPrinting,
                                                            double resolution, double bleed)
{
    if (vector) {
        const QPicture picture =
            document.pictureForComponents(nullptr, bleed, false, false, true, withPrinting, resolution);
        return CAImageEx::initWithPicture(picture);
    }
    const QImage bitmap = document.imageForComponents(nullptr, bleed, true, withPrinting, resolution);
    return CAImageEx::initWithImage(bitmap);
}

bool CAPrintingView::dropIncompleteImages()
{
    bool dropped = false;
    for (CADocMapEntry &entry : m_documentMap) {
        if (!entry.incomplete)
            continue;
        dropped = dropped || entry.preview;
        entry.preview.reset();
        entry.incomplete = false;
    }
    return dropped;
}
