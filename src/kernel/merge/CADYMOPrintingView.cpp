#include "kernel/merge/CADYMOPrintingView.h"

#include "kernel/base/CDDFile.h"
#include "kernel/merge/CADocument.h"
#include "kernel/merge/CAPrintedItemChecks.h"
#include "kernel/merge/CAPrintTarget.h"
#include "kernel/printing/CACalibrationSettings.h"
#include "kernel/printing/CAPrintingLog.h"

#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CAImageEx.h"
#include "kernel/render/CDDDrawer.h"
#include "platform/PWPerson.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPointsPerMillimetre = 72.0 / 25.4;

// A size counts only when both sides truncate to whole points above zero.
bool isValidSize(double width, double height)
{
    return std::trunc(width) > 0.0 && std::trunc(height) > 0.0;
}

// The printable area as the design lies. A catalogue template gives it the way the label stands
// in the template, while the design of a predefined layout always lies on its long side: taken
// unturned, a lying design was squeezed into a standing area and its preview cut off.
QSizeF printableSizeOf(const CFTADocument &ft)
{
    const QSizeF printable(ft.getPrintableSizeX(), ft.getPrintableSizeY());
    const bool layoutLies = ft.getLayoutSizeX() > ft.getLayoutSizeY();
    const bool printableLies = printable.width() > printable.height();
    if (ft.getLayoutSizeX() != ft.getLayoutSizeY() && printable.width() != printable.height()
        && layoutLies != printableLies)
        return printable.transposed();
    return printable;
}

QRectF itemRectForDocument(const CADocument &document)
{
    const CFTADocument *ft = document.ftDocument();
    if (!ft)
        return QRectF();
    const QSizeF printable = printableSizeOf(*ft);
    if (isValidSize(printable.width(), printable.height()))
        return QRectF(QPointF(), printable);
    return QRectF(0.0, 0.0, ft->getLayoutSizeX(), ft->getLayoutSizeY());
}

} // namespace

CADYMOPrintingView::CADYMOPrintingView(DocumentList documentList, std::optional<PersonList> personList,
                                       const CAPrintSettings &settings, bool vectorPrinting)
    : CAPrintingView(std::move(documentList), std::move(personList), settings, vectorPrinting)
{
    if (!this->documentList().empty() && this->documentList().front())
        _imageRect = itemRectForDocument(*this->documentList().front());
    setCardSize(_imageRect.size());

    const int copies = isUsePrintList() && this->personList() ? int(this->personList()->size()) : 1;
    setCopiesValue(copies);
    setDocumentMap(getDocumentMap(this->documentList(), isUsePrintList() ? this->personList() : std::nullopt,
                                  copies));
    fillCurrentMarkerDocumentMap();
}

CADYMOPrintingView::CADYMOPrintingView(const CATemplateFormat &layout, const CAPrintSettings &settings)
    : CAPrintingView(layout, settings)
{
    setPrintViewMode(kCalibrationMode);
}

CADYMOPrintingView::~CADYMOPrintingView() = default;

int CADYMOPrintingView::pageCount() const
{
    if (calibrationMode())
        return 1;
    return int(documentMap().size());
}

std::pair<int, int> CADYMOPrintingView::mapRangeForPage(int page) const
{
    const int size = int(documentMap().size());
    if (page < 1 || page > size)
        return { std::clamp(page - 1, 0, size), 0 };
    return { page - 1, 1 };
}

QRectF CADYMOPrintingView::imageRectForDocument(const CADocument &document, int viewMode)
{
    const CFTADocument *ft = document.ftDocument();
    if (!ft)
        return QRectF();
    QRectF rect = itemRectForDocument(document);
    if (ft->isLabelRoll())
        rect.adjust(-kLabelRollBleed, -kLabelRollBleed, kLabelRollBleed, kLabelRollBleed);
    const QSizeF printable = printableSizeOf(*ft);
    if (viewMode == kPrintMode && isValidSize(printable.width(), printable.height())) {
        const double dx = (ft->getLayoutSizeX() - printable.width()) / 2.0;
        const double dy = (ft->getLayoutSizeY() - printable.height()) / 2.0;
        rect.adjust(-dx, -dy, dx, dy);
    }
    return rect;
}

QPointF CADYMOPrintingView::calibrationOffsetsForPrinter(const QString &printer)
{
    const std::optional<CACalibrationSettings> stored = CACalibrationSettings::storedForPrinter(printer);
    if (!stored)
        return QPointF();
    const double x = double(stored->horizontal()) * kPointsPerMillimetre;
    const double y = double(stored->vertical()) * kPointsPerMillimetre;
    // A reading that is not a number must not throw the whole page off the paper.
    return QPointF(std::isfinite(x) ? x : 0.0, std::isfinite(y) ? y : 0.0);
}

void CADYMOPrintingView::drawPage(QPainter &painter, int page)
{
    if (calibrationMode()) {
        drawCalibrationForLayout(painter);
        return;
    }
    if (page < 1 || page > int(documentMap().size()))
        return;
    if (previewMode())
        painter.fillRect(QRectF(QPointF(), paperSize()), Qt::white);
    else if (CDDDrawer::isScreenDevice(painter.device()))
        return;

    painter.save();
    // The item lies in a y-up frame whose origin is the paper's bottom-left corner, moved right by
    // the roll's x offset and up by its y offset. Every copy carries the design's offsets; reading
    // them from the design itself never brings back a copy already printed and let go of.
    QPointF frameOrigin(0.0, paperSize().height());
    if (!_envelopeMode) {
        const DocumentList &designs = documentList();
        if (!designs.empty() && designs.front() && designs.front()->ftDocument()) {
            // The offsets place a label on roll paper larger than the label; a roll printed on
            // paper of its printable area has no room for them, and moved by them the label would
            // lose its right and top edges. They move it only as far as the paper has room.
            const QSizeF room(std::max(0.0, paperSize().width() - _imageRect.width()),
                              std::max(0.0, paperSize().height() - _imageRect.height()));
            frameOrigin.rx() += std::clamp(designs.front()->ftDocument()->GetDYMOOffsetX(), 0.0, room.width());
            frameOrigin.ry() -= std::clamp(designs.front()->ftDocument()->GetDYMOOffsetY(), 0.0, room.height());
        }
    } else {
        frameOrigin.setY(_imageRect.height());
    }
    m_pageTransform = painter.worldTransform();
    painter.setTransform(itemPlacement(), true);
    drawItem(painter, page, frameOrigin);
    painter.restore();
}

void CADYMOPrintingView::drawItem(QPainter &painter, int page, const QPointF &frameOrigin)
{
    const int index = page - 1;
    CADocument *design = documentForMapIndex(index);
    if (!design || !design->ftDocument())
        return;
    CFTADocument *ft = design->ftDocument();
    CAImageEx *image = imageForMapIndex(index);
    if (!image)
        qCWarning(lcPrinting) << "error loading preview image while printing" << "(page" << page << ")";

    QPointF origin = frameOrigin;
    m_lastCalibration = QPointF();
    if (viewMode() == kPrintMode) {
        m_lastCalibration = calibrationOffsetsForPrinter(printerForPainter(painter));
        origin += QPointF(m_lastCalibration.x(), -m_lastCalibration.y());
    }

    // y-up rectangles of the item frame become y-down rectangles of the painter.
    const auto toPainter = [&origin](const QRectF &up) {
        return QRectF(origin.x() + up.x(), origin.y() - up.y() - up.height(), up.width(), up.height());
    };

    const QRectF destination = toPainter(imageRectForDocument(*design, viewMode()));
    if (image)
        image->drawInRect(painter, destination);

    const QRectF item = toPainter(QRectF(QPointF(), _imageRect.size()));
    const QTransform toPage = painter.worldTransform() * m_pageTransform.inverted();
    m_hitRecords[index] = HitRecord { toPage.mapRect(item), page };

    if (previewMode()) {
        if (const std::optional<QPainterPath> outline =
                design->documentSurfacePathForRect(QRectF(QPointF(), _imageRect.size()))) {
            painter.save();
            painter.setPen(QPen(QColor::fromRgbF(0.3, 0.3, 0.3), 1.0));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(outline->translated(item.topLeft()));
            painter.restore();
        }
    }

    // The live counters and file fields, laid over the image exactly where the design lies in it:
    // the image shows the design with its bleed on every side, turned as its side is (a bitmap
    // always lying), stretched onto the destination.
    if (!image || destination.isEmpty())
        return;
    const bool vector = isVectorPrinting() || previewMode();
    const std::optional<QTransform> inImage = design->outputTransform(bleedForDocument(*design), !vector);
    const QSizeF imageSize = image->size();
    if (!inImage || imageSize.isEmpty())
        return;
    design->setValueObjects(page);
    painter.save();
    painter.translate(destination.topLeft());
    painter.scale(destination.width() / imageSize.width(), destination.height() / imageSize.height());
    painter.setTransform(*inImage, true);
    CDDDrawer drawer(false, &painter);
    drawer.SetResolution(kCounterResolution);
    ft->DrawCounterComponents(ft->GetComponents(0, true), &drawer);
    ft->DrawCounterComponents(ft->GetComponents(0, false), &drawer);
    painter.restore();
    if (viewMode() == kPrintMode)
        CAPrintedItemChecks::notePastEdges(*design);
    else
        CAPrintedItemChecks::noteCutByWindow(*design); // the sheet's preview shows the holes, and says so
}

// --- the calibration page -----------------------------------------------------------------------

QSizeF CADYMOPrintingView::calibrationDrawingSize()
{
    return QSizeF(144.0, 72.0);
}

void CADYMOPrintingView::drawCalibrationForLayout(QPainter &painter) const
{
    if (!layout()) {
        qCWarning(lcPrinting) << "the roll calibration page has no paper template to centre on";
        return;
    }
    double width = layout()->PrintableWidth();
    double height = layout()->PrintableHeight();
    if (!isValidSize(width, height)) {
        width = layout()->ItemWidth();
        height = layout()->ItemHeight();
    }
    const QSizeF size = calibrationDrawingSize();
    const QPointF centre(width / 2.0, height / 2.0);
    const QRectF frame(centre - QPointF(size.width() / 2.0, size.height() / 2.0), size);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 0.5));
    painter.drawRect(frame);
    painter.drawLine(QPointF(frame.left(), centre.y()), QPointF(frame.right(), centre.y()));
    painter.drawLine(QPointF(centre.x(), frame.top()), QPointF(centre.x(), frame.bottom()));
    // Millimetre ticks along both axes, longer every five: the printed centre's distance from the
    // label's centre is read off them.
    const int ticksX = int(size.width() / 2.0 / kPointsPerMillimetre);
    for (int i = -ticksX; i <= ticksX; ++i) {
        const double x = centre.x() + i * kPointsPerMillimetre;
        const double half = (i % 5 == 0) ? 4.0 : 2.0;
        painter.drawLine(QPointF(x, centre.y() - half), QPointF(x, centre.y() + half));
    }
    const int ticksY = int(size.height() / 2.0 / kPointsPerMillimetre);
    for (int i = -ticksY; i <= ticksY; ++i) {
        const double y = centre.y() + i * kPointsPerMillimetre;
        const double half = (i % 5 == 0) ? 4.0 : 2.0;
        painter.drawLine(QPointF(centre.x() - half, y), QPointF(centre.x() + half, y));
    }
    painter.drawEllipse(centre, kPointsPerMillimetre, kPointsPerMillimetre);
    painter.restore();
}

// --- in-place editing ---------------------------------------------------------------------------

std::optional<CADYMOPrintingView::HitRecord> CADYMOPrintingView::hitRecordForMapIndex(int index) const
{
    const auto found = m_hitRecords.find(index);
    if (found == m_hitRecords.end())
        return std::nullopt;
    return found->second;
}

int CADYMOPrintingView::clickAtPoint(const QPointF &point, int clickCount, int currentPage)
{
    if (guiMode() != 1 && clickCount <= 1)
        return 0;
    setEditingIndex(-1);
    if (_envelopeMode) {
        startEditingPage(currentPage);
        return currentPage;
    }
    const std::optional<HitRecord> hit = hitRecordForMapIndex(currentPage - 1);
    if (!hit || hit->page != currentPage || !hit->rect.contains(point))
        return 0;
    startEditingPage(hit->page);
    return hit->page;
}

void CADYMOPrintingView::setGUIMode(int mode)
{
    CAPrintingView::setGUIMode(mode);
    if (mode == 1)
        startEditingPage(curPage());
}

void CADYMOPrintingView::startEditingPage(int page)
{
    const int index = page - 1;
    if (index < 0 || index >= int(documentMap().size()))
        return;
    CADocument *design = documentForMapIndex(index);
    if (!design)
        return;
    const int personIndex = documentMap()[std::size_t(index)].personIndex;
    if (personIndex >= 0 && personList() && personIndex < int(personList()->size())
        && (*personList())[std::size_t(personIndex)])
        design->setCurrentPerson((*personList())[std::size_t(personIndex)].get(), true, true, true);
    if (!m_editingHandler)
        return;

    auto copy = std::make_shared<CADocument>();
    QString error;
    const CDDFile::Folder files(design->designFolder());
    copy->setDesignFolder(design->designFolder());
    if (!copy->loadDataRepresentation(design->dataRepresentationOfType(CADocument::kAddressDocumentType),
                                      CADocument::kAddressDocumentType, &error)) {
        qCWarning(lcPrinting) << "cannot open page" << page << "for editing:" << error;
        return;
    }
    if (fitAddressPanel() && copy->ftDocument()) {
        CFTADocument *ft = copy->ftDocument();
        ft->updateComponentsPositionToFitSize(ft->getDocumentSizeX(0), ft->getDocumentSizeY(0));
    }
    setEditingIndex(index);
    m_editingHandler(std::move(copy));
}
