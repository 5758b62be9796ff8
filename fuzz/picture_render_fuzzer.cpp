#include "FuzzSupport.h"

#include "platform/PWImage.h"
#include "platform/PWIsolatedCall.h"
#include "platform/PWPictureRenderer.h"

#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Pictures are rendered by a fresh start of this program, which serves the rendering here and
    // ends; a fault of poppler, Ghostscript or Qt's SVG reader is the child's, and comes back as a
    // placeholder.
    PWIsolatedCall::serveIfChild();
    pwFuzzSilenceLog();
    PWPictureRenderer::setDeadlineMs(5000);
    PWPictureRenderer::collectFailures(true);
    return 0;
}

// Picture bytes (PDF, EPS, SVG or a bitmap) read as a design's picture is read, then drawn the way the
// design draws it: at two sizes, the second a part of the picture, and again from the kept
// raster. Whatever the bytes, a picture, a placeholder or nothing, never a crash of this process.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString error;
    const std::shared_ptr<PWImage> image = PWImage::fromData(bytes, &error);
    pwFuzzCheck(image || !error.isEmpty());
    if (!image || !image->isValid())
        return 0;
    QImage target(64, 64, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::transparent);
    QPainter painter(&target);
    image->draw(painter, QRectF(0, 0, 64, 64), QRectF(), 1.0);
    const QSizeF whole = image->size();
    image->draw(painter, QRectF(0, 0, 32, 48), QRectF(0, 0, whole.width() / 2, whole.height() / 3), 2.0);
    image->draw(painter, QRectF(0, 0, 64, 64), QRectF(), 1.0);
    painter.end();
    // Every failure is named once, and then only the new ones.
    PWPictureRenderer::takeFailures();
    return 0;
}
