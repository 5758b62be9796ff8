#include "kernel/merge/CAPrintingView.h"

#include "kernel/merge/CADocument.h"
#include "kernel/drawing/CAImageEx.h"
#include "kernel/merge/CAPrintedItemChecks.h"
#include "platform/PWJobReport.h"

#include <QImage>
#include <QPicture>

std::shared_ptr<CAImageEx> CAPrintingView::defaultItemImage(CADocument &document, bool vector, bool withPrinting,
                                                            double resolution, double bleed)
{
    // The letters its texts lack are named for the item's person.
    const PWJobReport::ItemScope item(CAPrintedItemChecks::personOf(document));
    std::shared_ptr<CAImageEx> image;
    if (vector) {
        const QPicture picture =
            document.pictureForComponents(nullptr, bleed, false, false, true, withPrinting, resolution);
        image = CAImageEx::initWithPicture(picture);
    } else {
        const QImage bitmap = document.imageForComponents(nullptr, bleed, true, withPrinting, resolution);
        image = CAImageEx::initWithImage(bitmap);
    }
    return image;
}

bool CAPrintingView::drawItemStraight(QPainter &painter, const CADocument &document, double resolution)
{
    // The letters its texts lack are named for the item's person.
    const PWJobReport::ItemScope item(CAPrintedItemChecks::personOf(document));
    return document.drawComponents(painter, nullptr, bleedForDocument(document), false, false, true, true, resolution);
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
