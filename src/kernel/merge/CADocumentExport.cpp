// The document's output builders: vector (a recorded picture, PDF) through the rendering view,
// bitmaps (an image, TIFF) drawn directly with a print drawer.
#include "kernel/merge/CADocument.h"
#include "kernel/merge/CAPrintedItemChecks.h"

#include "kernel/merge/CABandedTiff.h"
#include "kernel/merge/CADocumentLog.h"

#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/base/CDDFileProgress.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/render/CDDDrawer.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/printing/CCRenderingView.h"
#include "platform/PWJobReport.h"

#include <QLocale>
#include <QPainter>

#include <cmath>
#include <optional>

namespace {

// Bitmaps larger than this many pixels are refused rather than allocated.
constexpr double kMaxBitmapPixels = 400.0e6;
constexpr int kMaxBitmapSide = 32000;

// Where and how a design or a list of its components lands on the output.
struct OutputPlan
{
    QRectF rect;           // the output, in design points
    bool wholeDesign = false;
    double bleed = 0.0;
    int rotateMode = 0;    // quarter turns
    const std::vector<CFTComponent *> *front = nullptr;
    const std::vector<CFTComponent *> *back = nullptr;
    std::optional<QPainterPath> clip;
};

bool finite(const QRectF &rect)
{
    return std::isfinite(rect.x()) && std::isfinite(rect.y()) && std::isfinite(rect.width())
           && std::isfinite(rect.height());
}

// turnTall: a taller-than-wide design is turned to landscape. The output's width and height are
// exchanged only together with an odd number of quarter turns, so the drawing always fills it.
std::optional<OutputPlan> planOutput(const CADocument &document, const std::vector<CFTComponent *> *components,
                                     double bleed, bool turnTall)
{
    CFTADocument *kernel = document.ftDocument();
    if (!kernel)
        return std::nullopt;
    OutputPlan plan;
    if (components) {
        double left = 0.0, top = 0.0, right = 0.0, bottom = 0.0;
        CFTACoreDoc::GetBoundForComponents(&left, &top, &right, &bottom, *components);
        plan.rect = QRectF(left, top, right - left, bottom - top);
        plan.front = components;
    } else {
        const CFTACoreDoc::ftSide *side = kernel->getPage(0);
        const int orientation = side ? (side->getPageOrientation() & 3) : 0;
        double width = kernel->getDocumentSizeX(0);
        double height = kernel->getDocumentSizeY(0);
        plan.rotateMode = orientation;
        if (turnTall && height > width && orientation % 2 == 0)
            plan.rotateMode = orientation + 1;
        if (plan.rotateMode % 2 == 1)
            std::swap(width, height);
        plan.bleed = std::isfinite(bleed) && bleed > 0.0 ? bleed : 0.0;
        plan.rect = QRectF(0.0, 0.0, width + 2.0 * plan.bleed, height + 2.0 * plan.bleed);
        plan.wholeDesign = true;
        plan.front = kernel->GetComponentsPtr(0, false);
        plan.back = kernel->GetComponentsPtr(0, true);
    }
    if (!finite(plan.rect) || plan.rect.width() <= 0.0 || plan.rect.height() <= 0.0 || !plan.front)
        return std::nullopt;
    if (kernel->HasWindow()) {
        if (const std::optional<QPainterPath> window = document.windowPath()) {
            // The window is a hole whatever the direction its outline runs in: a square window
            // (corner radius 0) is cut out like a rounded one, so nothing prints over its film.
            QPainterPath clip;
            clip.setFillRule(Qt::OddEvenFill);
            clip.addRect(plan.rect);
            clip.addPath(*window);
            plan.clip = clip;
        }
    }
    return plan;
}

std::unique_ptr<CCRenderingView> makeRenderer(const CFTADocument &kernel, const OutputPlan &plan, bool printCutMarks,
                                              bool fitAddressPanel, bool withPrinting, double resolution)
{
    auto renderer = std::make_unique<CCRenderingView>(
        QRectF(QPointF(0, 0), plan.rect.size()), float(plan.bleed), plan.front, plan.back, plan.clip, printCutMarks,
        plan.rotateMode, fitAddressPanel, kernel.isFIMBarcodeAllow(), withPrinting, true, float(resolution), &kernel);
    renderer->setBounds(plan.rect);
    return renderer;
}

// An export draws its addresses as they are, never fitted to the card: one that reaches past the
// card's edge is cut there, and the job names it.
void noteAddressesPastEdge(const CADocument &document)
{
    CFTADocument *kernel = document.ftDocument();
    if (!kernel || !PWJobReport::anyOpen())
        return;
    const QString output = document.docType() == dtEnvelope  ? QStringLiteral("envelope")
                           : document.docType() == dtPostcard ? QStringLiteral("card")
                                                              : QStringLiteral("label");
    const double width = kernel->getDocumentSizeX(0);
    const double height = kernel->getDocumentSizeY(0);
    for (const bool back : {true, false})
        if (const std::vector<CFTComponent *> *list = kernel->GetComponentsPtr(0, back))
            for (CFTComponent *component : *list)
                if (component && component->getClassID() == ciAddressPanel)
                    static_cast<CFTAAddressPanel *>(component)->notePastOutput(width, height, output);
    // Laid out for print as they were drawn: what the window cuts away of them is told too.
    CAPrintedItemChecks::noteCutByWindow(document);
}

// A number of points or pixels as a reader takes it in: 333,334.
QString grouped(double value)
{
    return QLocale(QLocale::English).toString(std::round(value), 'f', 0);
}

} // namespace

namespace {

// The picture's bounding rectangle: the output's size in whole points.
QSizeF pictureSize(const OutputPlan &plan)
{
    return QSizeF(std::ceil(plan.rect.width()), std::ceil(plan.rect.height()));
}

// What the vector form holds, drawn into painter at the output's origin.
void drawPlan(QPainter &painter, const CFTADocument &kernel, const OutputPlan &plan, bool printCutMarks,
              bool fitAddressPanel, bool withPrinting, double resolution)
{
    const std::unique_ptr<CCRenderingView> renderer =
        makeRenderer(kernel, plan, printCutMarks, fitAddressPanel, withPrinting, resolution);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(-plan.rect.topLeft());
    renderer->draw(painter);
}

} // namespace

QPicture CADocument::pictureForComponents(const std::vector<CFTComponent *> *components, double bleed,
                                          bool printCutMarks, bool forceHorizontal, bool fitAddressPanel,
                                          bool withPrinting, double resolution) const
{
    const std::optional<OutputPlan> plan = planOutput(*this, components, bleed, forceHorizontal);
    if (!plan) {
        qCWarning(lcDocument) << "nothing to record: the design or component list has no area";
        return QPicture();
    }
    QPicture picture;
    QPainter painter;
    if (!painter.begin(&picture)) {
        qCWarning(lcDocument) << "could not record a picture";
        return QPicture();
    }
    drawPlan(painter, *ftDocument(), *plan, printCutMarks, fitAddressPanel, withPrinting, resolution);
    painter.end();
    picture.setBoundingRect(QRect(QPoint(0, 0), pictureSize(*plan).toSize()));
    return picture;
}

bool CADocument::drawComponents(QPainter &painter, const std::vector<CFTComponent *> *components, double bleed,
                                bool printCutMarks, bool forceHorizontal, bool fitAddressPanel, bool withPrinting,
                                double resolution) const
{
    const std::optional<OutputPlan> plan = planOutput(*this, components, bleed, forceHorizontal);
    if (!plan) {
        qCWarning(lcDocument) << "nothing to draw: the design or component list has no area";
        return false;
    }
    painter.save();
    drawPlan(painter, *ftDocument(), *plan, printCutMarks, fitAddressPanel, withPrinting, resolution);
    painter.restore();
    return true;
}

std::optional<QTransform> CADocument::outputTransform(double bleed, bool forceHorizontal) const
{
    const std::optional<OutputPlan> plan = planOutput(*this, nullptr, bleed, forceHorizontal);
    if (!plan)
        return std::nullopt;
    // As the renderer draws (in its single-precision measures): the margin of the bleed, then
    // the turn inside what it leaves.
    const double margin = float(plan->bleed);
    const double w = float(plan->rect.width() - 2.0 * margin);
    const double h = float(plan->rect.height() - 2.0 * margin);
    QTransform transform = CCRenderingView::turnTransform(plan->rotateMode, w, h);
    transform *= QTransform::fromTranslate(margin, margin);
    return transform;
}

std::optional<QSizeF> CADocument::pictureSizeForComponents(const std::vector<CFTComponent *> *components,
                                                           double bleed, bool forceHorizontal) const
{
    const std::optional<OutputPlan> plan = planOutput(*this, components, bleed, forceHorizontal);
    if (!plan)
        return std::nullopt;
    return pictureSize(*plan);
}

QByteArray CADocument::PDFDataForComponents(const std::vector<CFTComponent *> *components, double bleed,
                                            bool printCutMarks, bool forceHorizontal, bool fitAddressPanel,
                                            bool withPrinting, double resolution) const
{
    const std::optional<OutputPlan> plan = planOutput(*this, components, bleed, forceHorizontal);
    if (!plan) {
        qCWarning(lcDocument) << "no PDF: the design or component list has no area";
        return QByteArray();
    }
    const std::unique_ptr<CCRenderingView> renderer =
        makeRenderer(*ftDocument(), *plan, printCutMarks, fitAddressPanel, withPrinting, resolution);
    // A watched export goes through each component once, the back list's too.
    if (CDDFileProgress *progress = CDDFileProgress::current())
        progress->addToTotal(qint64(plan->front->size()) + (plan->back ? qint64(plan->back->size()) : 0));
    const QByteArray pdf = CDDDrawer::PDFDataForDrawing(plan->rect, resolution, [&renderer](CDDDrawer &drawer) {
        if (QPainter *painter = drawer.GetPainter())
            renderer->draw(*painter);
    });
    if (pdf.isEmpty())
        qCWarning(lcDocument) << "the PDF could not be written at" << resolution << "dpi";
    else if (!components)
        noteAddressesPastEdge(*this);
    return pdf;
}

namespace {

// The bitmap form's output and its size in pixels.
struct BitmapPlan
{
    OutputPlan plan;
    double scale = 1.0; // pixels a point
    int width = 0;
    int height = 0;
};

std::optional<BitmapPlan> planBitmap(const CADocument &document, const std::vector<CFTComponent *> *components,
                                     double bleed, double resolution, QString *error)
{
    const auto refuse = [error](const QString &reason) -> std::optional<BitmapPlan> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    if (!std::isfinite(resolution) || resolution <= 0.0) {
        qCWarning(lcDocument) << "no bitmap at a resolution of" << resolution << "dpi";
        return refuse(QStringLiteral("no picture can be made at a resolution of %1 dpi").arg(resolution));
    }
    const std::optional<OutputPlan> plan = planOutput(document, components, bleed, true);
    if (!plan) {
        qCWarning(lcDocument) << "no bitmap: the design or component list has no area";
        return refuse(QStringLiteral("the design has no area to draw"));
    }
    const double scale = resolution / 72.0;
    const double pixelWidth = std::ceil(plan->rect.width() * scale - 1e-6);
    const double pixelHeight = std::ceil(plan->rect.height() * scale - 1e-6);
    if (pixelWidth < 1.0 || pixelHeight < 1.0 || pixelWidth > kMaxBitmapSide || pixelHeight > kMaxBitmapSide
        || pixelWidth * pixelHeight > kMaxBitmapPixels) {
        qCWarning(lcDocument) << "refusing a bitmap of" << pixelWidth << "x" << pixelHeight << "pixels";
        if (pixelWidth < 1.0 || pixelHeight < 1.0)
            return refuse(QStringLiteral("the design is too small to give a picture of even one pixel at %1 dpi")
                              .arg(resolution));
        return refuse(QStringLiteral("the design is %1 x %2 pt, which at %3 dpi is a picture of %4 x %5 pixels; "
                                     "a picture may have at most %6 pixels a side and %7 million pixels in all")
                          .arg(grouped(plan->rect.width()), grouped(plan->rect.height()), grouped(resolution),
                               grouped(pixelWidth), grouped(pixelHeight), grouped(kMaxBitmapSide),
                               grouped(kMaxBitmapPixels / 1.0e6)));
    }
    return BitmapPlan{*plan, scale, int(pixelWidth), int(pixelHeight)};
}

// Draws the bitmap form's rows from top on into device, whose first row is that one. The band is
// moved by whole pixels, so that every row is drawn as it would be in the whole bitmap.
void drawBitmapRows(QPaintDevice &device, CFTADocument *kernel, const BitmapPlan &bitmap, int top)
{
    const OutputPlan &plan = bitmap.plan;
    QPainter painter(&device);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    painter.translate(0.0, -double(top));
    painter.scale(bitmap.scale, bitmap.scale);
    painter.translate(-plan.rect.topLeft());
    if (plan.clip)
        painter.setClipPath(*plan.clip, Qt::IntersectClip);
    if (plan.wholeDesign)
        painter.fillRect(plan.rect, Qt::white);
    CDDDrawer drawer(false, &painter);
    drawer.SetResolution(bitmap.scale);
    if (plan.wholeDesign) {
        painter.translate(plan.bleed, plan.bleed);
        const double innerWidth = plan.rect.width() - 2.0 * plan.bleed;
        const double innerHeight = plan.rect.height() - 2.0 * plan.bleed;
        if (plan.rotateMode != 0) {
            painter.rotate(-90.0 * plan.rotateMode);
            if (plan.rotateMode == 1)
                painter.translate(-innerHeight, 0.0);
            else if (plan.rotateMode == 2)
                painter.translate(-innerWidth, -innerHeight);
            else
                painter.translate(0.0, -innerWidth);
        }
        // The background picture may be the slowest thing drawn: a stop asked meanwhile is heard
        // right after it.
        kernel->DrawBackground(&drawer);
        CDDFileProgress::checkpoint();
    } else {
        // A copied selection carries no background picture, but the facing identification mark
        // stands where it stands on the card, as in the whole design.
        kernel->DrawFIMBarcode(&drawer);
    }
    // The same wrap outlines as the vector form, so that both forms of an item look alike. An
    // export someone watches counts each component drawn, and stops at one when asked.
    for (CFTComponent *component : *plan.front) {
        CDDFileProgress::step();
        component->Draw(&drawer, false, kernel, false, true);
    }
    painter.end();
}

} // namespace

QImage CADocument::imageForComponents(const std::vector<CFTComponent *> *components, double bleed, bool, bool,
                                      double resolution, QString *error) const
{
    const std::optional<BitmapPlan> bitmap = planBitmap(*this, components, bleed, resolution, error);
    if (!bitmap)
        return QImage();
    QImage image(bitmap->width, bitmap->height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        qCWarning(lcDocument) << "could not allocate a bitmap of" << bitmap->width << "x" << bitmap->height << "pixels";
        if (error)
            *error = QStringLiteral("there is not enough memory for a picture of %1 x %2 pixels (%3 MB)")
                         .arg(grouped(bitmap->width), grouped(bitmap->height),
                              grouped(double(bitmap->width) * bitmap->height * 4.0 / 1.0e6));
        return QImage();
    }
    image.fill(Qt::transparent);
    const int dotsPerMetre = int(std::lround(resolution / 0.0254));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    drawBitmapRows(image, ftDocument(), *bitmap, 0);
    return image;
}

QByteArray CADocument::TIFFDataForComponents(const std::vector<CFTComponent *> *components, double bleed,
                                             bool, bool, double resolution, QString *error,
                                             int bandRows) const
{
    const std::optional<BitmapPlan> bitmap = planBitmap(*this, components, bleed, resolution, error);
    if (!bitmap)
        return QByteArray();
    CFTADocument *kernel = ftDocument();
    // A whole design is drawn on white, which leaves no pixel clear unless a window is cut out.
    const bool opaqueLikely = bitmap->plan.wholeDesign && !bitmap->plan.clip;
    // Every band draws every component: a watched export goes through them once a band, and
    // once more for each pass the bitmap takes.
    CDDFileProgress *const progress = CDDFileProgress::current();
    const qint64 rows = bandRows > 0 ? bandRows : CABandedTiff::defaultBandRows(bitmap->width);
    const qint64 perPass = qint64(bitmap->plan.front->size()) * ((bitmap->height + rows - 1) / rows);
    QString failure;
    const QByteArray tiff = CABandedTiff::write(
        bitmap->width, bitmap->height, resolution, bandRows, opaqueLikely,
        [kernel, &bitmap, progress, perPass](QImage &band, int top) {
            if (progress && top == 0)
                progress->addToTotal(perPass);
            drawBitmapRows(band, kernel, *bitmap, top);
            return true;
        },
        &failure);
    if (tiff.isEmpty()) {
        qCWarning(lcDocument) << "the TIFF could not be written:" << failure;
        if (error)
            *error = QStringLiteral("the TIFF could not be written: %1").arg(failure);
    } else if (!components) {
        noteAddressesPastEdge(*this);
    }
    return tiff;
}
