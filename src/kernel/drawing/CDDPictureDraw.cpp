#include "kernel/drawing/CDDPicture.h"

#include "kernel/render/CDDDrawer.h"
#include "kernel/base/CDDColor.h"
#include "kernel/base/CDDPen.h"
#include "kernel/base/FTGeometry.h"
#include "platform/PWBezierPath.h"
#include "platform/PWImage.h"
#include "platform/PWJobReport.h"
#include "platform/PWPictureRenderer.h"

#include <QCryptographicHash>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// No bitmap the drawing makes grows beyond this many pixels a side: a huge frame at a high zoom
// is drawn coarser instead of exhausting memory.
constexpr double kMaxBitmapSide = 8192.0;

bool positive(double v)
{
    return std::isfinite(v) && v > 0.0;
}

QImage transparentImage(int width, int height)
{
    QImage image(std::max(width, 1), std::max(height, 1), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// The image with every pixel's alpha scaled by the opacity. Qt's raster engine blends a
// painter's opacity with the untouched destination for the destination-in and destination-atop
// operators, so the fraction of those operators is baked into their source instead.
QImage withOpacity(const QImage &image, float opacity)
{
    if (opacity >= 1.0f)
        return image;
    QImage faded = transparentImage(image.width(), image.height());
    QPainter painter(&faded);
    painter.setOpacity(opacity);
    painter.drawImage(QPointF(0, 0), image);
    return faded;
}

} // namespace

QSizeF CDDPicture::tileSize(float tileScale, const float *srcRect) const
{
    double aspect = 0.0;
    if (srcRect && srcRect[3] != 0.0f)
        aspect = double(srcRect[2]) / double(srcRect[3]);
    else if (!srcRect && getImageSizeY() > 0.0)
        aspect = getImageSizeX() / getImageSizeY();
    if (!positive(aspect) || !positive(tileScale))
        return QSizeF();
    const double width = std::sqrt(double(tileScale) * aspect);
    const QSizeF size(width, width / aspect);
    return positive(size.width()) && positive(size.height()) ? size : QSizeF();
}

QRectF CDDPicture::sourceRectDown(const float *srcRect) const
{
    if (!srcRect || !(srcRect[2] > 0.0f) || !(srcRect[3] > 0.0f))
        return QRectF();
    return QRectF(srcRect[0], getImageSizeY() - srcRect[1] - srcRect[3], srcRect[2], srcRect[3]);
}

void CDDPicture::paintImage(QPainter &painter, const QRectF &target, const float *srcRect, double resolution,
                            const QSizeF *tiles) const
{
    if (!mImage || target.isEmpty())
        return;
    if (!tiles) {
        mImage->draw(painter, target, sourceRectDown(srcRect), resolution);
        return;
    }
    // Whole tiles begin at the target's lower-left corner.
    const double tw = tiles->width();
    const double th = tiles->height();
    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    for (int j = 0; target.bottom() - j * th > target.top() && j < 100000; ++j) {
        const double ty = target.bottom() - (j + 1) * th;
        for (int i = 0; target.left() + i * tw < target.right() && i < 100000; ++i)
            mImage->draw(painter, QRectF(target.left() + i * tw, ty, tw, th), sourceRectDown(srcRect), resolution);
    }
    painter.restore();
}

void CDDPicture::draw(double x, double y, double width, double height, bool masked, CDDPicture *mask, bool tinted,
                      CDDColor *tint, float opacity, CDDDrawer *drawer, placingMode mode, double angle, bool flipX,
                      bool flipY, bool fitRotated, float tileScale, CDDColor *strokeColor, CDDPen *strokePen)
{
    if (!drawer || !drawer->GetPainter())
        return;
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(width) || !std::isfinite(height))
        return;
    if (!std::isfinite(angle))
        angle = 0.0;
    if (!(opacity >= 0.0f))
        opacity = 0.0f;
    opacity = std::min(opacity, 1.0f);
    if (fitRotated && angle != 0.0) {
        const double cx = x + width / 2.0;
        const double cy = y + height / 2.0;
        double x0 = float(x), y0 = float(y), x1 = float(x + width), y1 = float(y + height);
        rotatePoint(&x0, &y0, -angle, cx, cy);
        rotatePoint(&x1, &y1, -angle, cx, cy);
        x = std::min(x0, x1);
        y = std::min(y0, y1);
        width = std::abs(x1 - x0);
        height = std::abs(y1 - y0);
    }
    const bool screen = drawer->isOverrideDrawScreen() || drawer->IsDrawingToScreen() || drawer->IsDrawingToShadow();
    const float *src = mCrop.value.has ? mCrop.value.rect : nullptr;
    if (keepsUnreadPart() && !loadFromDataRefIfMissing())
        drawMissing(x, y, width, height, angle, drawer);
    else if (screen)
        drawScreen(x, y, width, height, masked, mask, tinted, tint, opacity, drawer, mode, angle, flipX, flipY, src,
                   tileScale);
    else
        drawPrinter(x, y, width, height, masked, mask, tinted, tint, opacity, drawer, mode, angle, flipX, flipY, src,
                    tileScale);

    if (strokePen) {
        PWBezierPath frame = CDDDrawer::PathRect(x, y, width, height);
        const CDDColor black(0.0f, 0.0f, 0.0f, 1.0f);
        drawer->StrokeAndFillFigure(&frame, x, y, width, height, angle, strokeColor ? strokeColor : &black, strokePen,
                                    nullptr, false, false);
    }
}

void CDDPicture::drawMissing(double x, double y, double w, double h, double angle, CDDDrawer *drawer) const
{
    if (!positive(w) || !positive(h))
        return;
    if (!mMissingName.isEmpty()) {
        PWJobReport::note(PWJobReport::Kind::Placeholder, QStringLiteral("missing picture ") + mMissingName,
                          QStringLiteral("the picture \"%1\" is not in the content library and is drawn as a "
                                         "placeholder").arg(nameForUser(mMissingName)));
    } else {
        // Named once by what the file holds, however many cards show it.
        const QByteArray stored = mUnreadStored.toBinary();
        PWJobReport::note(PWJobReport::Kind::Placeholder,
                          QStringLiteral("unread picture ")
                              + QString::fromLatin1(QCryptographicHash::hash(stored, QCryptographicHash::Sha1).toHex()),
                          (mUnreadStored.isData() ? QStringLiteral("the picture of %1 bytes stored in the design")
                                                        .arg(mUnreadStored.toData().size())
                                                  : QStringLiteral("a picture stored in the design as no picture data"))
                              + QStringLiteral(" cannot be read and is drawn as a placeholder"));
    }
    // The renderer's plate, drawn here: the job was told of it by name, not as a picture that
    // cannot be read.
    const QRectF frame(x, y, w, h);
    QPainter *painter = drawer->GetPainter();
    painter->save();
    painter->setTransform(CDDDrawer::figureTransform(x, y, w, h, angle, false, true), true);
    painter->fillRect(frame, PWPictureRenderer::placeholderColor());
    QPen pen(QColor(0x90, 0x90, 0x90));
    pen.setCosmetic(true);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(frame);
    painter->drawLine(frame.topLeft(), frame.bottomRight());
    painter->drawLine(frame.topRight(), frame.bottomLeft());
    painter->restore();
}

void CDDPicture::drawScreen(double x, double y, double w, double h, bool masked, CDDPicture *mask, bool tinted,
                            CDDColor *tint, float opacity, CDDDrawer *drawer, placingMode mode, double angle,
                            bool flipX, bool flipY, const float *srcRect, float tileScale)
{
    if (!loadFromDataRefIfMissing())
        return;
    QPainter *painter = drawer->GetPainter();
    double res = positive(drawer->GetResolution()) ? drawer->GetResolution() : 1.0;
    if (!positive(w) || !positive(h))
        return;
    double pw = std::max(1.0, std::ceil(w * res));
    double ph = std::max(1.0, std::ceil(h * res));
    if (pw > kMaxBitmapSide || ph > kMaxBitmapSide) {
        const double shrink = kMaxBitmapSide / std::max(pw, ph);
        res *= shrink;
        pw = std::max(1.0, std::ceil(w * res));
        ph = std::max(1.0, std::ceil(h * res));
    }
    const QSizeF tile = mode == pmTiled ? tileSize(tileScale, srcRect) : QSizeF();
    const bool tiled = mode == pmTiled && !tile.isEmpty();
    const PWImageRep *rep = mImage->bestRepresentation();
    // A bitmap is cached at no more than its own pixels; a picture that could not be read has none,
    // and is drawn at the drawing's resolution (its placeholder, or an SVG drawn apart after all),
    // as is one drawn from its paths.
    const bool unreadable = rep && !rep->isReadable();
    if (rep && rep->isBitmap() && !unreadable && !rep->vectorDrawing()) {
        const QSize px = rep->pixelSize();
        if (tiled) {
            if (px.width() < tile.width() * res && px.height() < tile.height() * res) {
                pw = std::max(1.0, std::ceil(px.width() * (w / tile.width())));
                ph = std::max(1.0, std::ceil(px.height() * (h / tile.height())));
                res = pw / w;
            }
        } else if (px.width() < pw && px.height() < ph) {
            pw = std::max(1, px.width());
            ph = std::max(1, px.height());
            res = pw / w;
        }
    }

    const PWImage *maskImage = masked && mask ? mask->getData().get() : nullptr;
    if ((masked && maskImage != mCache.mask) || (!masked && mCache.mask)) {
        mCache.dirty = true;
        mCache.mask = maskImage;
    }
    std::shared_ptr<const PWColor> tintColor = tinted && tint ? tint->getData() : nullptr;
    if ((tinted && tintColor != mCache.tint) || (!tinted && mCache.tint) || opacity != mCache.opacity) {
        mCache.dirty = true;
        mCache.tint = tintColor;
        mCache.opacity = opacity;
    }
    if (mCache.size[0] != float(pw) || mCache.size[1] != float(ph))
        mCache.dirty = true;

    if (mCache.dirty || mCache.image.isNull()) {
        const int needW = int(pw);
        const int needH = int(ph);
        int cw = mCache.image.isNull() ? 0 : mCache.image.width();
        int ch = mCache.image.isNull() ? 0 : mCache.image.height();
        const bool newW = cw < needW || cw > 2 * needW;
        const bool newH = ch < needH || ch > 2 * needH;
        if (newW)
            cw = needW;
        if (newH)
            ch = needH;
        if (newW || newH)
            mCache.image = transparentImage(cw, ch);
        else
            mCache.image.fill(Qt::transparent);
        mCache.dirty = false;
        mCache.size[0] = float(pw);
        mCache.size[1] = float(ph);
        ++mCache.builds;

        // The picture takes the part Q at the bitmap's origin; the spare margin lies beyond the
        // frame's right and bottom edges when the bitmap is shown.
        const QRectF q(0.0, 0.0, pw, ph);
        // A picture whose raster is still being rendered (a window's drawing does not wait for
        // it) leaves the cache stale, so that the repaint that follows the raster rebuilds it.
        const int pendingBefore = PWPictureRenderer::pendingCount();
        QPainter cache(&mCache.image);
        cache.setRenderHint(QPainter::Antialiasing);
        cache.setRenderHint(QPainter::SmoothPixmapTransform);
        if (tiled) {
            QImage tileImage = transparentImage(int(std::ceil(tile.width() * res)), int(std::ceil(tile.height() * res)));
            {
                QPainter tp(&tileImage);
                tp.setRenderHint(QPainter::SmoothPixmapTransform);
                paintImage(tp, QRectF(QPointF(0, 0), tileImage.size()), srcRect, 1.0, nullptr);
            }
            QBrush pattern(tileImage);
            pattern.setTransform(QTransform::fromTranslate(0.0, ph));
            cache.fillRect(q, pattern);
        } else {
            cache.save();
            cache.setClipRect(q);
            paintImage(cache, q, srcRect, 1.0, nullptr);
            cache.restore();
        }
        if (tinted && tint && tint->getData()) {
            cache.setCompositionMode(QPainter::CompositionMode_SourceAtop);
            cache.fillRect(q, tint->toQColor());
        }
        if (masked || opacity < 1.0f) {
            QImage maskBitmap = transparentImage(needW + 1, needH + 1);
            const QRectF m(0.0, 0.0, needW + 1, needH + 1);
            {
                QPainter mp(&maskBitmap);
                mp.setRenderHint(QPainter::SmoothPixmapTransform);
                if (masked && maskImage && maskImage->isValid()) {
                    maskImage->draw(mp, m);
                } else {
                    mp.setCompositionMode(QPainter::CompositionMode_Source);
                    mp.fillRect(m, Qt::white);
                }
            }
            cache.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            cache.drawImage(m, withOpacity(maskBitmap, opacity));
        }
        // Nor is the placeholder of a picture that could not be read kept: each drawing draws it
        // again, so that a job names it and a picture that failed for the moment is tried again.
        if (PWPictureRenderer::pendingCount() != pendingBefore || unreadable)
            mCache.dirty = true;
    }

    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->setTransform(CDDDrawer::figureTransform(x, y, w, h, angle, flipX, flipY), true);
    painter->drawImage(QRectF(x, y, mCache.image.width() / pw * w, mCache.image.height() / ph * h), mCache.image);
    painter->restore();

    if (mbLoading)
        drawer->DrawLoadingText(x, y, w, h);
}

void CDDPicture::drawPrinter(double x, double y, double w, double h, bool masked, CDDPicture *mask, bool tinted,
                             CDDColor *tint, float opacity, CDDDrawer *drawer, placingMode mode, double angle,
                             bool flipX, bool flipY, const float *srcRect, float tileScale)
{
    if (!loadFromDataRefIfMissing())
        return;
    if (!positive(w) || !positive(h))
        return;
    QPainter *painter = drawer->GetPainter();
    const PWImage *maskImage = mask ? mask->getData().get() : nullptr;
    mCache.tint = tint ? tint->getData() : nullptr;
    mCache.mask = maskImage;
    const bool tintUsable = tinted && tint && tint->getData();
    const bool offscreen = tintUsable || masked || opacity < 1.0f;
    double res = positive(drawer->GetResolution()) ? drawer->GetResolution() : 1.0;
    const QSizeF tile = mode == pmTiled ? tileSize(tileScale, srcRect) : QSizeF();
    const bool tiled = mode == pmTiled && !tile.isEmpty();

    QRectF target(x, y, w, h);
    if (offscreen) {
        target = tiled ? QRectF(0, 0, w * res, h * res) : QRectF(0, 0, std::ceil(w * res), std::ceil(h * res));
        const PWImageRep *rep = mImage->bestRepresentation();
        // Pixels fewer than the output's are drawn at their own number; paths, and pixels more
        // than the output shows, at the output's resolution.
        if (rep && rep->isBitmap() && !rep->vectorDrawing()) {
            const QSize px = rep->pixelSize();
            if (tiled) {
                if (px.width() < tile.width() * res && px.height() < tile.height() * res)
                    target = QRectF(0, 0, px.width() * w / tile.width(), px.height() * h / tile.height());
            } else if (px.width() < target.width() && px.height() < target.height()) {
                target = QRectF(0, 0, px.width(), px.height());
            }
            res = target.width() / w;
        }
        if (target.width() > kMaxBitmapSide || target.height() > kMaxBitmapSide) {
            const double shrink = kMaxBitmapSide / std::max(target.width(), target.height());
            target = QRectF(0, 0, target.width() * shrink, target.height() * shrink);
            res *= shrink;
        }
        if (target.width() < 1.0 || target.height() < 1.0)
            target = QRectF(0, 0, std::max(1.0, target.width()), std::max(1.0, target.height()));
    }

    QImage offImage;
    QPainter offPainter;
    if (offscreen) {
        offImage = transparentImage(int(std::ceil(target.width())), int(std::ceil(target.height())));
        offPainter.begin(&offImage);
        offPainter.setRenderHint(QPainter::SmoothPixmapTransform);
        offPainter.setRenderHint(QPainter::Antialiasing);
    }
    QPainter &tp = offscreen ? offPainter : *painter;
    // Points of the offscreen image are its pixels; the printer's painter keeps the drawer's.
    const double paintRes = offscreen ? 1.0 : res;
    const double turn = offscreen ? 0.0 : angle;

    tp.save();
    if (tiled) {
        const QSizeF tilePts = offscreen ? QSizeF(std::ceil(tile.width() * res), std::ceil(tile.height() * res))
                                         : QSizeF(std::ceil(tile.width()), std::ceil(tile.height()));
        tp.setTransform(CDDDrawer::figureTransform(target.x(), target.y(), target.width(), target.height(), turn,
                                                   flipX, flipY),
                        true);
        paintImage(tp, target, srcRect, paintRes, &tilePts);
    } else {
        QRectF d = target;
        const double iw = getImageSizeX();
        const double ih = getImageSizeY();
        if (mode == pmCover && positive(iw) && positive(ih)) {
            const double aspect = iw / ih;
            if (iw / target.width() < ih / target.height())
                d.setSize(QSizeF(target.width(), target.width() / aspect));
            else
                d.setSize(QSizeF(target.height() * aspect, target.height()));
            d.moveTo(target.x() - (d.width() - target.width()) / 2.0, target.y() - (d.height() - target.height()) / 2.0);
        }
        tp.setTransform(CDDDrawer::figureTransform(d.x(), d.y(), d.width(), d.height(), turn, flipX, flipY), true);
        paintImage(tp, d, srcRect, paintRes, nullptr);
    }
    tp.restore();

    if (!offscreen)
        return;
    if (masked && maskImage && maskImage->isValid()) {
        QImage maskBitmap = transparentImage(offImage.width(), offImage.height());
        {
            QPainter mp(&maskBitmap);
            mp.setRenderHint(QPainter::SmoothPixmapTransform);
            mp.setTransform(
                CDDDrawer::figureTransform(target.x(), target.y(), target.width(), target.height(), 0.0, flipX, flipY));
            maskImage->draw(mp, target);
        }
        offPainter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        offPainter.drawImage(QPointF(0, 0), maskBitmap);
    }
    offPainter.end();
    if (tintUsable || opacity < 1.0f) {
        QImage second = transparentImage(offImage.width(), offImage.height());
        QPainter sp(&second);
        if (tintUsable)
            sp.fillRect(QRectF(QPointF(0, 0), second.size()), tint->toQColor());
        sp.setCompositionMode(QPainter::CompositionMode_DestinationAtop);
        sp.drawImage(QPointF(0, 0), withOpacity(offImage, opacity));
        sp.end();
        offImage = second;
    }
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    // Pixels made of a lossless picture stay lossless in a PDF.
    const PWImageRep *shown = mImage->bestRepresentation();
    painter->setRenderHint(QPainter::LosslessImageRendering, !(shown && shown->isLossy()));
    painter->setTransform(CDDDrawer::figureTransform(x, y, w, h, angle, false, false), true);
    painter->setClipRect(QRectF(x, y, w, h), Qt::IntersectClip);
    painter->drawImage(QRectF(x, y, w, h), offImage, QRectF(0, 0, target.width(), target.height()));
    painter->restore();
}
