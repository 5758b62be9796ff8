#include "platform/PWEpsRenderer.h"

#include <QTemporaryFile>
#include <QtEndian>

#include <libspectre/spectre.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

void setError(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
}

struct DocumentFree
{
    void operator()(SpectreDocument *d) const { spectre_document_free(d); }
};
struct PageFree
{
    void operator()(SpectrePage *p) const { spectre_page_free(p); }
};
struct ContextFree
{
    void operator()(SpectreRenderContext *c) const { spectre_render_context_free(c); }
};

// The PostScript section of a DOS EPS file, or the bytes themselves.
QByteArray postscriptSection(const QByteArray &bytes)
{
    if (bytes.size() >= 12 && quint8(bytes[0]) == 0xC5 && quint8(bytes[1]) == 0xD0 && quint8(bytes[2]) == 0xD3
        && quint8(bytes[3]) == 0xC6) {
        const quint64 offset = qFromLittleEndian<quint32>(bytes.constData() + 4);
        const quint64 length = qFromLittleEndian<quint32>(bytes.constData() + 8);
        if (offset + length > quint64(bytes.size()))
            return QByteArray();
        return bytes.mid(qsizetype(offset), qsizetype(length));
    }
    return bytes;
}

} // namespace

QImage PWEpsRenderer::render(const QByteArray &eps, double xScale, double yScale, QString *error)
{
    if (!(xScale > 0) || !(yScale > 0) || !std::isfinite(xScale) || !std::isfinite(yScale)) {
        setError(error, QStringLiteral("no scale to render at"));
        return QImage();
    }
    const QByteArray postscript = postscriptSection(eps);
    if (!postscript.startsWith("%!PS")) {
        setError(error, QStringLiteral("not a PostScript file"));
        return QImage();
    }
    // libspectre reads documents from files only.
    QTemporaryFile file;
    if (!file.open() || file.write(postscript) != postscript.size() || !file.flush()) {
        setError(error, QStringLiteral("the PostScript could not be written to a temporary file"));
        return QImage();
    }
    std::unique_ptr<SpectreDocument, DocumentFree> document(spectre_document_new());
    spectre_document_load(document.get(), QFile::encodeName(file.fileName()).constData());
    if (spectre_document_status(document.get()) != SPECTRE_STATUS_SUCCESS) {
        setError(error, QStringLiteral("Ghostscript cannot open the document: %1")
                            .arg(QString::fromUtf8(spectre_status_to_string(spectre_document_status(document.get())))));
        return QImage();
    }
    std::unique_ptr<SpectrePage, PageFree> page(spectre_document_get_page(document.get(), 0));
    if (!page) {
        setError(error, QStringLiteral("the document has no page"));
        return QImage();
    }
    int width = 0, height = 0;
    spectre_page_get_size(page.get(), &width, &height);
    if (width <= 0 || height <= 0) {
        setError(error, QStringLiteral("the page has no size"));
        return QImage();
    }
    const double side = std::max(width * xScale, height * yScale);
    if (side > kMaxSide) {
        xScale *= kMaxSide / side;
        yScale *= kMaxSide / side;
    }
    std::unique_ptr<SpectreRenderContext, ContextFree> context(spectre_render_context_new());
    spectre_render_context_set_scale(context.get(), xScale, yScale);
    spectre_render_context_set_antialias_bits(context.get(), 4, 4);
    unsigned char *data = nullptr;
    int rowStride = 0;
    spectre_page_render(page.get(), context.get(), &data, &rowStride);
    const SpectreStatus status = spectre_page_status(page.get());
    if (status != SPECTRE_STATUS_SUCCESS || !data || rowStride <= 0) {
        free(data);
        setError(error, QStringLiteral("Ghostscript cannot render the page: %1")
                            .arg(QString::fromUtf8(spectre_status_to_string(status))));
        return QImage();
    }
    const int pixelsWide = std::max(1, int(std::lround(width * xScale)));
    const int pixelsHigh = std::max(1, int(std::lround(height * yScale)));
    const int usableWide = std::min(pixelsWide, rowStride / 4);
    // The bytes belong to libspectre's allocator: copy them out before freeing.
    QImage image = QImage(data, usableWide, pixelsHigh, rowStride, QImage::Format_RGB32).copy();
    free(data);
    // Ghostscript leaves the padding byte zero; Qt expects it opaque.
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] |= 0xFF000000u;
    }
    return image;
}
