#include "kernel/merge/CALabelPrintingView.h"

#include "kernel/base/CDDFile.h"
#include "kernel/printing/CACalibrationScale.h"
#include "kernel/printing/CACalibrationSettings.h"
#include "kernel/printing/CAPrintingLog.h"
#include "kernel/merge/CADocument.h"
#include "kernel/merge/CAPrintedItemChecks.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CAImageEx.h"
#include "kernel/render/CDDDrawer.h"
#include "platform/PWJobReport.h"
#include "platform/PWPerson.h"
#include "platform/PWUserDefaults.h"
#include "kernel/printing/CATemplateFormat.h"

#include <QColor>
#include <QPainter>
#include <QPen>
#include <QStringList>

#include <algorithm>
#include <vector>

namespace {

// Counters and file fields are drawn at the resolution the sheet has always used for them.
constexpr double kCounterResolution = 25.0 / 6.0;

QPen markPen(double width)
{
    QPen pen(Qt::black, width);
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

// How far an item may reach past the paper's edge and still count as on it: the rounding of the
// single-precision measures of a template whose labels run to the edge.
constexpr double kOffPaperTolerance = 1.0;

// The positions of a sheet (0-based slots) whose item does not lie wholly on the paper.
std::vector<int> slotsOffPaper(const CALabelSheetLayout &sheet, const QSizeF &paper)
{
    std::vector<int> off;
    const QRectF onPaper = QRectF(QPointF(0.0, 0.0), paper)
                               .adjusted(-kOffPaperTolerance, -kOffPaperTolerance, kOffPaperTolerance, kOffPaperTolerance);
    const QSizeF item(sheet.itemWidth(), sheet.itemHeight());
    const QPointF origin(sheet.originX(), sheet.originY());
    for (int slot = 0; slot < sheet.itemsPerPage(); ++slot)
        if (!onPaper.contains(QRectF(origin + sheet.slotOrigin(slot), item)))
            off.push_back(slot);
    return off;
}

// The job's line on a layout whose grid runs off its paper: how many of a sheet's positions are
// lost, and the first of them by row and column.
QString offPaperLine(const CALabelSheetLayout &sheet, const std::vector<int> &off, const QSizeF &paper)
{
    constexpr std::size_t kNamed = 8;
    const int columns = std::max(sheet.columns(), 1);
    QStringList named;
    for (std::size_t i = 0; i < std::min(off.size(), kNamed); ++i)
        named.append(QStringLiteral("row %1 column %2").arg(off[i] / columns + 1).arg(off[i] % columns + 1));
    if (off.size() > kNamed)
        named.append(QStringLiteral("%1 more").arg(off.size() - kNamed));
    return QStringLiteral("the layout's %1 columns and %2 rows do not fit its paper of %3 x %4 pt: %5 of a sheet's %6 "
                          "positions lie off the paper, and what is printed there is lost (%7)")
        .arg(sheet.columns())
        .arg(sheet.rows())
        .arg(paper.width(), 0, 'f', 0)
        .arg(paper.height(), 0, 'f', 0)
        .arg(off.size())
        .arg(sheet.itemsPerPage())
        .arg(named.join(QStringLiteral(", ")));
}

} // namespace

CALabelPrintingView::CALabelPrintingView(DocumentList documentList, std::optional<PersonList> personList,
                                         const CAPrintSettings &settings, const CATemplateFormat &layout,
                                         bool vectorPrinting)
    : CAPrintingView(std::move(documentList), std::move(personList), settings, vectorPrinting)
    , m_sheet(layout)
{
    setLayout(layout);
    setCardSize(QSizeF(layout.ItemWidth(), layout.ItemHeight()));
    int copies = 1;
    if (isUsePrintList() && this->personList())
        copies = int(std::max<std::size_t>(this->personList()->size(), 1) * CAPrintingView::documentList().size());
    setCopiesValue(copies);
    updateDocumentMap();
}

std::unique_ptr<CALabelPrintingView> CALabelPrintingView::initForCalibrateWithLayout(
    const CATemplateFormat &layout, const CAPrintSettings &settings)
{
    auto view = std::unique_ptr<CALabelPrintingView>(
        new CALabelPrintingView(DocumentList(), std::nullopt, settings, layout, true));
    view->setPrintViewMode(kCalibrationMode);
    return view;
}

int CALabelPrintingView::effectiveStartFrom() const
{
    return calibrationMode() ? 1 : startFrom();
}

int CALabelPrintingView::itemCount() const
{
    const int copies = peopleCount();
    return copies >= 0 ? copies : int(documentMap().size());
}

int CALabelPrintingView::pageCount() const
{
    if (calibrationMode())
        return 1;
    return m_sheet.pageCount(itemCount(), effectiveStartFrom());
}

std::pair<int, int> CALabelPrintingView::mapRangeForPage(int page) const
{
    if (calibrationMode())
        return {0, 0};
    const int startFrom = effectiveStartFrom();
    const int used = m_sheet.usedSlots(page, itemCount(), startFrom);
    const int first = m_sheet.firstNumber(page, startFrom) - 1;
    const int mapSize = int(documentMap().size());
    if (used <= 0 || first < 0 || first >= mapSize)
        return {std::clamp(first, 0, mapSize), 0};
    const int count = used - m_sheet.skippedSlots(page, startFrom);
    return {first, std::clamp(count, 0, mapSize - first)};
}

QTransform CALabelPrintingView::calibrationTransform(const QPainter &painter) const
{
    QTransform transform;
    if (viewMode() != kPrintMode)
        return transform;
    const std::optional<CACalibrationSettings> calibration =
        CACalibrationSettings::storedForPrinter(PWUserDefaults::standardUserDefaults(), printerForPainter(painter));
    if (!calibration)
        return transform;
    const QPointF shift = calibration->pageTranslation(m_sheet.columns(), m_sheet.rows());
    transform.translate(shift.x(), shift.y());
    // The page is drawn into bounds taller or shorter by the factor, which scales it about its
    // top edge.
    if (const std::optional<double> factor =
            calibration->verticalScaleFactor(m_sheet.rows(), m_sheet.cardOffsetY(), m_sheet.itemHeight()))
        transform.scale(1.0, *factor);
    return transform;
}

void CALabelPrintingView::drawPage(QPainter &painter, int page)
{
    const bool preview = previewMode();
    if (!preview && CDDDrawer::isScreenDevice(painter.device()))
        return;
    painter.save();
    const QRectF paper(QPointF(0.0, 0.0), paperSize());
    if (preview)
        painter.fillRect(paper, Qt::white);

    if (calibrationMode()) {
        if (page == 1 && layout())
            drawCalibrationForLayout(painter, *layout());
        painter.restore();
        return;
    }

    painter.setTransform(calibrationTransform(painter), true);
    painter.save();
    painter.translate(m_sheet.originX(), m_sheet.originY());

    const int startFrom = effectiveStartFrom();
    const int used = m_sheet.usedSlots(page, itemCount(), startFrom);
    const int skip = m_sheet.skippedSlots(page, startFrom);
    int number = m_sheet.firstNumber(page, startFrom);
    const bool cut = drawCutMarkers();
    const bool dots = drawDotMarkers();

    // A grid larger than its paper prints its last columns or rows nowhere: the job says so.
    if (viewMode() == kPrintMode && PWJobReport::anyOpen()) {
        const std::vector<int> off = slotsOffPaper(m_sheet, paper.size());
        if (std::any_of(off.begin(), off.end(), [&](int slot) {
                return slot >= skip && slot < used && number + (slot - skip) - 1 < int(documentMap().size());
            }))
            PWJobReport::note(PWJobReport::Kind::OffPaper, QStringLiteral("layout"),
                              offPaperLine(m_sheet, off, paper.size()));
    }
    if (viewMode() == kPrintMode && page == 1 && PWJobReport::anyOpen())
        noteSheetProblems(paper.size());
    for (int slot = skip; slot < used; ++slot, ++number) {
        painter.save();
        painter.translate(m_sheet.slotOrigin(slot));
        drawItem(painter, slot, number, page);
        painter.restore();
    }
    // The marks go over all items: an item's bleed reaches into its neighbours' edges and would
    // hide the lines drawn along them before it.
    for (int slot = 0; slot < used; ++slot) {
        painter.save();
        painter.translate(m_sheet.slotOrigin(slot));
        drawMarks(painter, slot, used, cut, dots);
        painter.restore();
    }

    if (preview)
        outlineGrid(painter);
    painter.restore();
    if (preview) {
        painter.setPen(QPen(QColor::fromRgbF(0.3f, 0.3f, 0.3f), 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(paper);
    }
    painter.restore();
}

void CALabelPrintingView::noteSheetProblems(const QSizeF &paper) const
{
    const CADocument *design = documentList().empty() ? nullptr : documentList().front().get();
    if (!design)
        return;
    if (const std::optional<QString> name = design->unknownSheetPaper()) {
        // Quoted as a line can hold it: a file may give any text here.
        constexpr int kQuoted = 60;
        QString quoted = name->simplified();
        quoted.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
        if (quoted.size() > kQuoted)
            quoted = quoted.left(kQuoted) + QStringLiteral("...");
        PWJobReport::note(
            PWJobReport::Kind::UnknownPaper, QStringLiteral("paper"),
            QStringLiteral("the layout's paper \"%1\" is no paper size this system knows: its sheets were "
                           "printed on paper of %2, which need not be theirs")
                .arg(quoted, CAPrintedItemChecks::millimetres(paper)));
    }
    if (!layout())
        return;
    const QStringList lost = CATemplateFormat::placementLostAgainstCatalogue(*layout());
    if (!lost.isEmpty())
        PWJobReport::note(PWJobReport::Kind::PlacementLost, QStringLiteral("placement"),
                          QStringLiteral("the layout %1 %2 has no %3, which its sheet has: every label was printed off "
                                         "its die-cut place")
                              .arg(layout()->Manufacturer(), layout()->ID(), lost.join(QStringLiteral(", "))));
}

void CALabelPrintingView::drawItem(QPainter &painter, int slot, int number, int page)
{
    const int index = number - 1;
    // A slot past the end of the map has no item to show.
    if (index < 0 || index >= int(documentMap().size()))
        return;
    // A missing image leaves the slot blank: never another item's image in its place.
    const bool direct = drawsItemsDirectly();
    CADocument *document = direct ? documentToDrawForMapIndex(index) : documentForMapIndex(index);
    CFTADocument *kernel = document ? document->ftDocument() : nullptr;
    if (!kernel) {
        if (direct)
            recordItemFailure(index);
        return;
    }

    CAImageEx *image = nullptr;
    std::optional<QSizeF> directSize;
    if (direct) {
        directSize = document->pictureSizeForComponents(nullptr, bleedForDocument(*document), false);
        if (!directSize)
            recordItemFailure(index);
    } else {
        image = imageForMapIndex(index);
        if (!image)
            qCWarning(lcPrinting) << "error loading preview image while printing" << index;
    }
    const double bleed = m_sheet.bleed() > 0.0f ? m_sheet.bleed() : 0.0;
    const QSizeF imageSize = image        ? image->size()
                             : directSize ? *directSize
                                          : QSizeF(kernel->getLayoutSizeX() + 2.0 * bleed,
                                                   kernel->getLayoutSizeY() + 2.0 * bleed);
    const QRectF rect = m_sheet.imageRectForImage(imageSize);
    const bool rotated = (kernel->getLayoutSizeX() < kernel->getLayoutSizeY())
                         != (m_sheet.itemWidth() < m_sheet.itemHeight());

    painter.save();
    if (rotated) {
        // A quarter turn clockwise on the page: the image's top-left corner goes to the
        // top-right of the slot and the bleed stays outside the item on every side.
        painter.translate(rect.height() + 2.0 * rect.y(), 0.0);
        painter.rotate(90.0);
    }
    if (image) {
        image->drawInRect(painter, rect);
    } else if (directSize) {
        // Where the item's picture would be played: its output scaled onto the rectangle.
        painter.save();
        painter.translate(rect.topLeft());
        painter.scale(rect.width() / directSize->width(), rect.height() / directSize->height());
        if (drawItemStraight(painter, *document, resolution()))
            markDrawn(index);
        painter.restore();
    }
    painter.setClipRect(rect, Qt::IntersectClip);

    CDDDrawer drawer(false, &painter);
    drawer.SetResolution(kCounterResolution);
    document->setValueObjects(number);
    kernel->DrawCounterComponents(kernel->GetComponents(0, true), &drawer);
    kernel->DrawCounterComponents(kernel->GetComponents(0, false), &drawer);
    if (viewMode() == kPrintMode)
        CAPrintedItemChecks::notePastEdges(*document);
    document->clearObjects();
    painter.restore();

    const QPointF origin = QPointF(m_sheet.originX(), m_sheet.originY()) + m_sheet.slotOrigin(slot);
    const QSizeF extent = rotated ? rect.size().transposed() : rect.size();
    m_hitRecords[index] = HitRecord{QRectF(origin, extent), page};
    // An item drawn into the page needs its copy no more: the page's next items may use it, so
    // that a sheet of a large design holds one or two copies rather than one per slot.
    if (direct)
        releaseMapRange(index, 1);
}

void CALabelPrintingView::drawMarks(QPainter &painter, int slot, int used, bool cut, bool dots) const
{
    if (!cut && !dots)
        return;
    painter.save();
    painter.setBrush(Qt::NoBrush);
    if (cut) {
        painter.setPen(markPen(0.5));
        for (const QLineF &line : m_sheet.cutMarks(slot, used))
            painter.drawLine(line);
    }
    if (dots) {
        // 1 point on, 5 off; a pen's dash pattern counts in pen widths.
        constexpr double width = 0.25;
        QPen pen = markPen(width);
        pen.setDashPattern({1.0 / width, 5.0 / width});
        pen.setDashOffset(0.0);
        painter.setPen(pen);
        for (const QLineF &line : m_sheet.dottedLines(slot, used))
            painter.drawLine(line);
    }
    painter.restore();
}

void CALabelPrintingView::outlineGrid(QPainter &painter) const
{
    if (!layout())
        return;
    painter.save();
    painter.setPen(QPen(Qt::black, 0.5));
    painter.setBrush(Qt::NoBrush);
    const QRectF item(0.0, 0.0, m_sheet.itemWidth(), m_sheet.itemHeight());
    const QPainterPath outline = layout()->documentSurfacePathForRect(item).path();
    for (int slot = 0; slot < m_sheet.itemsPerPage(); ++slot)
        painter.drawPath(outline.translated(m_sheet.slotOrigin(slot)));
    painter.restore();
}

void CALabelPrintingView::drawCalibrationForLayout(QPainter &painter, const CATemplateFormat &layout) const
{
    const CALabelSheetLayout sheet(layout);
    const double width = sheet.itemWidth();
    const double height = sheet.itemHeight();
    const double originX = sheet.originX();
    const double originY = sheet.originY();
    if (layout.Columns() > 1) {
        const QSizeF size = CACalibrationScale::size(CACalibrationScale::kHorizontal);
        CACalibrationScale::draw(painter, CACalibrationScale::kHorizontal,
                                 QPointF(originX + width, originY + height / 2.0 - size.height() / 2.0 + 20.0));
    }
    if (layout.Rows() > 1) {
        const QSizeF size = CACalibrationScale::size(CACalibrationScale::kVertical);
        CACalibrationScale::draw(painter, CACalibrationScale::kVertical,
                                 QPointF(originX + width / 2.0 + size.width() / 2.0, originY + height));
    }
    if (layout.Rows() > 2) {
        const QSizeF size = CACalibrationScale::size(CACalibrationScale::kVertical2);
        const int lastColumn = std::max(layout.Columns(), 1) - 1;
        CACalibrationScale::draw(painter, CACalibrationScale::kVertical2,
                                 QPointF(originX + lastColumn * sheet.cardOffsetX() + width / 2.0 - size.width() / 2.0,
                                         originY + (layout.Rows() - 1) * sheet.cardOffsetY()));
    }
}

std::optional<CALabelPrintingView::HitRecord> CALabelPrintingView::hitRecord(int index) const
{
    const auto found = m_hitRecords.find(index);
    if (found == m_hitRecords.end())
        return std::nullopt;
    return found->second;
}

int CALabelPrintingView::itemIndexAtPoint(const QPointF &point) const
{
    for (const auto &[index, record] : m_hitRecords) {
        if (record.page == curPage() && index < int(documentMap().size()) && record.rect.contains(point))
            return index;
    }
    return -1;
}

std::shared_ptr<CADocument> CALabelPrintingView::startEditingAtPoint(const QPointF &point, int clickCount)
{
    if (guiMode() != 1 && clickCount <= 1)
        return nullptr;
    setEditingIndex(-1);
    const int index = itemIndexAtPoint(point);
    if (index < 0)
        return nullptr;
    CADocument *copy = documentForMapIndex(index);
    if (!copy)
        return nullptr;
    const int personIndex = documentMap()[std::size_t(index)].personIndex;
    if (personIndex >= 0 && personList() && personIndex < int(personList()->size())) {
        if (const std::shared_ptr<PWPerson> &person = (*personList())[std::size_t(personIndex)]) {
            copy->setCurrentPerson(person.get(), true, true, true);
            documentMap()[std::size_t(index)].copy->heldPerson = personIndex;
        }
    }

    auto editing = std::make_shared<CADocument>();
    QString error;
    const CDDFile::Folder files(copy->designFolder());
    editing->setDesignFolder(copy->designFolder());
    if (!editing->loadDataRepresentation(copy->dataRepresentationOfType(CADocument::kAddressDocumentType),
                                         CADocument::kAddressDocumentType, &error)) {
        qCWarning(lcPrinting) << "cannot open the item for editing:" << error;
        return nullptr;
    }
    if (CFTADocument *kernel = editing->ftDocument())
        kernel->setAuto(false);
    processFilter(currentDocumentFilter(), *editing, false);
    setEditingIndex(index);
    return editing;
}
