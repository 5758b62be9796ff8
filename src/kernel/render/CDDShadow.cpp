#include "kernel/render/CDDShadow.h"

#include "kernel/render/CDDDrawer.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The platform's grey.
CDDColor grey()
{
    return CDDColor(PWColor::calibratedWhite(0.5f, 1.0f));
}

// Renderings larger than this many pixels are made at a lower resolution and scaled up: a
// shadow is blurred anyway, and a huge component at print resolution must not exhaust memory.
constexpr double kMaxCachePixels = 16.0 * 1024 * 1024;

// One box blur pass of a line of coverage (every stride-th byte of in), radius r, with nothing
// beyond the ends, into the contiguous out.
void boxLine(const quint8 *in, quint8 *out, int count, int stride, int r)
{
    const int width = 2 * r + 1;
    int sum = 0;
    for (int i = 0; i < std::min(r, count); ++i)
        sum += in[i * stride];
    for (int i = 0; i < count; ++i) {
        const int enter = i + r;
        const int leave = i - r - 1;
        if (enter < count)
            sum += in[enter * stride];
        if (leave >= 0)
            sum -= in[leave * stride];
        out[i] = quint8((sum + width / 2) / width);
    }
}

// The three box widths whose succession approximates a gaussian of deviation sigma.
std::vector<int> boxRadii(double sigma)
{
    constexpr int passes = 3;
    const double ideal = std::sqrt(12.0 * sigma * sigma / passes + 1.0);
    int lower = int(std::floor(ideal));
    if (lower % 2 == 0)
        --lower;
    const int upper = lower + 2;
    const double m = (12.0 * sigma * sigma - passes * lower * lower - 4.0 * passes * lower - 3.0 * passes)
                     / (-4.0 * lower - 4.0);
    const int lowerCount = int(std::lround(m));
    std::vector<int> radii;
    for (int i = 0; i < passes; ++i)
        radii.push_back(((i < lowerCount ? lower : upper) - 1) / 2);
    return radii;
}

} // namespace

bool CDDShadow::cacheParams::isParamsValid(double res, double sizeX, double sizeY, const PWColor *fill,
                                          const PWColor *outline, double penWidth) const
{
    return std::trunc(res * 100.0) == std::trunc(mdRes * 100.0) && sizeX == mdSizeX && sizeY == mdSizeY
           && penWidth == mOutlinePenWidth && fill == mFillColor && outline == mOutlineColor;
}

void CDDShadow::cacheParams::saveParams(double res, double sizeX, double sizeY, const PWColor *fill,
                                        const PWColor *outline, double penWidth)
{
    mdRes = res;
    mdSizeX = sizeX;
    mdSizeY = sizeY;
    mFillColor = fill;
    mOutlineColor = outline;
    mOutlinePenWidth = penWidth;
}

CDDShadow::CDDShadow()
    : mShadowColor(grey())
{
}

CDDShadow::CDDShadow(double offsetX, double offsetY, double blurRadius, const CDDColor *color)
    : mShadowColor(color ? *color : grey())
{
    setShadowOffset(offsetX, offsetY);
    setShadowBlurRadius(blurRadius);
}

CDDShadow::~CDDShadow() = default;

CDDShadow::CDDShadow(const CDDShadow &other) = default;

CDDShadow &CDDShadow::operator=(const CDDShadow &other) = default;

bool CDDShadow::operator==(const CDDShadow &other) const
{
    return mdOffsetX == other.mdOffsetX && mdOffsetY == other.mdOffsetY && mdBlurRadius == other.mdBlurRadius
           && mShadowColor == other.mShadowColor;
}

void CDDShadow::setShadowOffset(double dx, double dy)
{
    mdOffsetX = std::isfinite(dx) ? dx : 0.0;
    mdOffsetY = std::isfinite(dy) ? dy : 0.0;
}

void CDDShadow::setShadowBlurRadius(double radius)
{
    mdBlurRadius = std::isfinite(radius) && radius > 0.0 ? radius : 0.0;
    mCache.valid = false;
}

void CDDShadow::setShadowColor(const CDDColor *color)
{
    if (color)
        mShadowColor = *color;
    mCache.valid = false;
}

void CDDShadow::blurAlpha(QImage &image, double radius)
{
    if (image.isNull() || !(radius >= 0.5))
        return;
    if (image.format() != QImage::Format_Alpha8)
        image = image.convertToFormat(QImage::Format_Alpha8);
    const int width = image.width();
    const int height = image.height();
    const int stride = int(image.bytesPerLine());
    // A blur radius is the extent of the soft edge, about two standard deviations.
    const std::vector<int> radii = boxRadii(radius / 2.0);
    std::vector<quint8> scratch(size_t(std::max(width, height)));
    for (const int r : radii) {
        if (r <= 0)
            continue;
        for (int y = 0; y < height; ++y) {
            quint8 *line = image.scanLine(y);
            boxLine(line, scratch.data(), width, 1, r);
            std::copy(scratch.begin(), scratch.begin() + width, line);
        }
        quint8 *bits = image.bits();
        for (int x = 0; x < width; ++x) {
            boxLine(bits + x, scratch.data(), height, stride, r);
            for (int y = 0; y < height; ++y)
                bits[x + y * stride] = scratch[size_t(y)];
        }
    }
}

void CDDShadow::render(const Caster &caster, CDDDrawer *drawer, double res, double stroke)
{
    const double blur = mdBlurRadius;
    const double pageWidth = 2.0 * blur + caster.width + 2.0 * stroke;
    const double pageHeight = 2.0 * blur + caster.height + 2.0 * stroke;
    double cacheRes = res;
    if (pageWidth * pageHeight * res * res > kMaxCachePixels)
        cacheRes = std::sqrt(kMaxCachePixels / (pageWidth * pageHeight));
    const int pixelsX = std::max(1, int(std::ceil(pageWidth * cacheRes)));
    const int pixelsY = std::max(1, int(std::ceil(pageHeight * cacheRes)));

    QImage coverage(pixelsX, pixelsY, QImage::Format_ARGB32_Premultiplied);
    coverage.fill(Qt::transparent);
    {
        QPainter painter(&coverage);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.scale(cacheRes, cacheRes);
        painter.translate(-caster.originX + blur + stroke, -caster.originY + blur + stroke);

        QPainter *const passPainter = drawer->GetPainter();
        const double passRes = drawer->GetResolution();
        drawer->SetPainter(&painter);
        drawer->SetResolution(cacheRes);
        drawer->BeginDrawingToShadow();
        caster.drawLevel(drawer);
        drawer->EndDrawingToShadow();
        drawer->SetPainter(passPainter);
        drawer->SetResolution(passRes);
    }

    QImage mask = coverage.convertToFormat(QImage::Format_Alpha8);
    blurAlpha(mask, blur * cacheRes);

    // A picture's shadow is as transparent as the picture.
    const QColor color = mShadowColor.toQColor().isValid() ? mShadowColor.toQColor() : QColor(Qt::black);
    const double alpha = color.alphaF() * std::clamp(caster.opacity, 0.0, 1.0);
    QImage shadow(pixelsX, pixelsY, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < pixelsY; ++y) {
        const quint8 *in = mask.constScanLine(y);
        QRgb *out = reinterpret_cast<QRgb *>(shadow.scanLine(y));
        for (int x = 0; x < pixelsX; ++x) {
            const double a = in[x] / 255.0 * alpha;
            out[x] = qRgba(int(std::lround(color.redF() * a * 255.0)), int(std::lround(color.greenF() * a * 255.0)),
                           int(std::lround(color.blueF() * a * 255.0)), int(std::lround(a * 255.0)));
        }
    }
    mCache.image = shadow;
}

void CDDShadow::draw(const Caster &caster, CDDDrawer *drawer)
{
    if (!caster.drawLevel || !drawer || !drawer->GetPainter())
        return;
    const double res = drawer->GetResolution();
    const double width = caster.width;
    const double height = caster.height;
    const double penWidth = caster.strokeWidth;
    const double stroke = 2.0 * penWidth;
    const double blur = mdBlurRadius;
    const double pageWidth = 2.0 * blur + width + 2.0 * stroke;
    const double pageHeight = 2.0 * blur + height + 2.0 * stroke;
    if (!(res > 0.0) || !std::isfinite(res) || !(pageWidth > 0.0) || !(pageHeight > 0.0) || !std::isfinite(pageWidth)
        || !std::isfinite(pageHeight))
        return;

    const PWColor *fillObject = caster.fill ? caster.fill->getData().get() : nullptr;
    const PWColor *outlineObject = caster.outline ? caster.outline->getData().get() : nullptr;
    if (!mCache.valid || !mCache.params.isParamsValid(res, width, height, fillObject, outlineObject, penWidth)) {
        mCache.valid = true;
        mCache.params.saveParams(res, width, height, fillObject, outlineObject, penWidth);
        render(caster, drawer, res, stroke);
    }
    if (mCache.image.isNull())
        return;

    // The offset's y points up, as the shadows of the original platform's drawing did.
    const QRectF target(caster.originX + mdOffsetX - blur - stroke, caster.originY - mdOffsetY - blur - stroke,
                        pageWidth, pageHeight);
    QPainter *painter = drawer->GetPainter();
    painter->save();
    const QPointF center = target.center();
    QTransform place;
    place.translate(center.x(), center.y());
    if (caster.angle != 0.0)
        place.rotateRadians(caster.angle);
    place.scale(caster.flipX ? -1.0 : 1.0, caster.flipY ? -1.0 : 1.0);
    place.translate(-center.x(), -center.y());
    painter->setTransform(place, true);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter->setOpacity(1.0);
    painter->drawImage(target, mCache.image, QRectF(0, 0, mCache.image.width(), mCache.image.height()));
    painter->restore();
}
