#include "kernel/merge/CAEnvelopePrintingView.h"

#include "kernel/merge/CADocument.h"
#include "kernel/merge/CAPrintedItemChecks.h"

#include "kernel/base/CAEnvironment.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/render/CDDDrawer.h"
#include "platform/PWJobReport.h"

#include <QPainter>
#include <QPen>

CAEnvelopePrintingView::CAEnvelopePrintingView(DocumentList documentList, std::optional<PersonList> personList,
                                               const CAPrintSettings &settings, bool vectorPrinting)
    : CADYMOPrintingView(std::move(documentList), std::move(personList), settings, vectorPrinting)
{
    setEnvelopeMode(true);
    _alignment = kAlignLeft;
    _rotateDegree = defaultRotation(settings.orientation, settings.orientedPaperSize(), itemSizeOf(this->documentList()));
}

int CAEnvelopePrintingView::defaultRotation(QPageLayout::Orientation orientation, const QSizeF &paper,
                                            const QSizeF &itemSize)
{
    const int byOrientation = orientation == QPageLayout::Portrait ? 90 : 0;
    if (itemSize.isEmpty() || paper.isEmpty())
        return byOrientation;
    // Half a point of slack: sizes come through inches and millimetres.
    constexpr double kSlack = 0.5;
    const auto fits = [&paper](double w, double h) {
        return w <= paper.width() + kSlack && h <= paper.height() + kSlack;
    };
    const bool unturned = fits(itemSize.width(), itemSize.height());
    const bool turned = fits(itemSize.height(), itemSize.width());
    if (unturned != turned)
        return unturned ? 0 : 90;
    return byOrientation;
}

QSizeF CAEnvelopePrintingView::itemSizeOf(const DocumentList &documentList)
{
    if (documentList.empty() || !documentList.front() || !documentList.front()->ftDocument())
        return QSizeF();
    const CFTADocument *design = documentList.front()->ftDocument();
    return QSizeF(design->getLayoutSizeX(), design->getLayoutSizeY());
}

CAEnvelopePrintingView::~CAEnvelopePrintingView() = default;

void CAEnvelopePrintingView::rotateClockwise(bool clockwise)
{
    const int current = ((_rotateDegree % 360) + 360) % 360;
    setRotation((current + (clockwise ? 90 : 270)) % 360);
}

QTransform CAEnvelopePrintingView::placementTransform(int degrees, int alignment, double paperWidth, double lx,
                                                      double ly)
{
    const double W = paperWidth;
    QPointF offset;
    bool known = alignment >= kAlignLeft && alignment <= kAlignRight;
    switch (degrees) {
    case 0:
        offset = alignment == kAlignLeft ? QPointF(0.0, 0.0)
            : alignment == kAlignCentre  ? QPointF((W - lx) / 2.0, 0.0)
                                         : QPointF(W - lx, 0.0);
        break;
    case 90:
        offset = alignment == kAlignLeft ? QPointF(0.0, -ly)
            : alignment == kAlignCentre  ? QPointF(0.0, -(W + ly) / 2.0)
                                         : QPointF(0.0, -W);
        break;
    case 180:
        offset = alignment == kAlignLeft ? QPointF(-lx, -ly)
            : alignment == kAlignCentre  ? QPointF(-(W + lx) / 2.0, -ly)
                                         : QPointF(-W, -ly);
        break;
    case 270:
        offset = alignment == kAlignLeft ? QPointF(-lx, 0.0)
            : alignment == kAlignCentre  ? QPointF(-lx, (W - ly) / 2.0)
                                         : QPointF(-lx, W - ly);
        break;
    default:
        known = false;
        break;
    }
    QTransform transform;
    transform.rotate(degrees);
    if (known)
        transform.translate(offset.x(), offset.y());
    return transform;
}

QTransform CAEnvelopePrintingView::itemPlacement() const
{
    const QSizeF item = itemSizeOf(documentList());
    return placementTransform(_rotateDegree, _alignment, paperSize().width(), item.width(), item.height());
}

void CAEnvelopePrintingView::notePlacementOnPaper() const
{
    const QSizeF item = itemSizeOf(documentList());
    if (item.isEmpty())
        return;
    const CADocument *design = documentList().front().get();
    const QString kind = CAPrintedItemChecks::itemWord(*design);
    const QSizeF paper = paperSize();
    const QRectF placed = itemPlacement().mapRect(QRectF(QPointF(), item));
    // Half a point of slack, as for the turn: sizes come through inches and millimetres.
    constexpr double kPaperSlack = 0.5;
    if (!QRectF(QPointF(), paper).adjusted(-kPaperSlack, -kPaperSlack, kPaperSlack, kPaperSlack).contains(placed)) {
        PWJobReport::note(PWJobReport::Kind::OffPaper, QStringLiteral("envelope"),
                          QStringLiteral("the %1 of %2, turned %3 degrees and fed as set, lies partly off its paper "
                                         "of %4: what is printed there is lost")
                              .arg(kind, CAPrintedItemChecks::millimetres(item))
                              .arg(_rotateDegree)
                              .arg(CAPrintedItemChecks::millimetres(paper)));
        return;
    }
    const QSizeF page = CAEnvironment::defaultPageSize();
    if (!printSettings().usePrinterSettings && !page.isEmpty() && !CAPrintSettings::paperHolds(page, item)
        && paper != page && paper != page.transposed())
        PWJobReport::note(
            PWJobReport::Kind::OwnPaper, QStringLiteral("envelope"),
            QStringLiteral("the %1 of %2 is larger than the default page of %3: it was printed whole, "
                           "on a page of its own size")
                .arg(kind, CAPrintedItemChecks::millimetres(item), CAPrintedItemChecks::millimetres(page)));
}

void CAEnvelopePrintingView::drawPage(QPainter &painter, int page)
{
    // Once a job, before its first page: each page lies on the same paper the same way.
    if (viewMode() == kPrintMode && page == 1 && PWJobReport::anyOpen())
        notePlacementOnPaper();
    CADYMOPrintingView::drawPage(painter, page);
    if (!previewMode() || page < 1 || page > int(documentMap().size()))
        return;
    painter.save();
    painter.setPen(QPen(QColor::fromRgbF(0.3, 0.3, 0.3), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(QPointF(), paperSize()));
    painter.restore();
}
