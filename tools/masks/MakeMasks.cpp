// Makes the shipped picture masks from the drawings of make_mask_drawings.py: every drawing as a
// grey PNG mask (the grey level is how much of the picture shows) in "Masks/Images" and its JPEG
// thumbnail of the same name in "Masks/Thumbnails".
//
//   pw_make_masks <drawings folder> <library folder>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

namespace {

constexpr int kMaskPixels = 300;
constexpr int kThumbnailPixels = 64;

QImage render(QSvgRenderer &renderer, int pixels)
{
    QImage image(pixels, pixels, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, pixels, pixels));
    painter.end();
    return image.convertToFormat(QImage::Format_Grayscale8);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: pw_make_masks <drawings folder> <library folder>\n");
        return 2;
    }
    const QDir drawings(QString::fromLocal8Bit(argv[1]));
    const QDir library(QString::fromLocal8Bit(argv[2]));
    const QString images = library.filePath(QStringLiteral("Masks/Images"));
    const QString thumbnails = library.filePath(QStringLiteral("Masks/Thumbnails"));
    QDir(library.filePath(QStringLiteral("Masks"))).removeRecursively();
    if (!QDir().mkpath(images) || !QDir().mkpath(thumbnails)) {
        std::fprintf(stderr, "pw_make_masks: cannot make the mask folders\n");
        return 1;
    }
    const QStringList files = drawings.entryList({QStringLiteral("*.svg")}, QDir::Files, QDir::Name);
    if (files.isEmpty()) {
        std::fprintf(stderr, "pw_make_masks: no drawings in %s\n", argv[1]);
        return 1;
    }
    for (const QString &file : files) {
        QSvgRenderer renderer(drawings.filePath(file));
        if (!renderer.isValid()) {
            std::fprintf(stderr, "pw_make_masks: %s is no drawing\n", qPrintable(file));
            return 1;
        }
        const QString base = file.chopped(4);
        if (!render(renderer, kMaskPixels).save(QDir(images).filePath(base + QStringLiteral(".png")), "PNG")
            || !render(renderer, kThumbnailPixels)
                    .save(QDir(thumbnails).filePath(base + QStringLiteral(".jpg")), "JPEG", 90)) {
            std::fprintf(stderr, "pw_make_masks: cannot write %s\n", qPrintable(base));
            return 1;
        }
    }
    return 0;
}
