// Makes the shipped postage art and basic shapes. The postage art comes from the drawings of
// make_postart_drawings.py, one folder per category, each picture as PNG and a few as PDF. The
// basic shapes are drawn by the kernel itself, one picture per name of its shape table, so that
// each picture shows exactly the shape a drag of it creates.
//
//   pw_make_picture_library <postage-art drawings folder> <library folder>

#include "kernel/FTKernelStartup.h"
#include "kernel/base/CDDColor.h"
#include "kernel/base/FTUtilities.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/drawing/CFTBoxField.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// Pictures are drawn at twice the screen's density: 144 dots per inch.
constexpr double kScale = 2.0;
constexpr int kDotsPerMeter = int(144.0 / 0.0254 + 0.5);
constexpr double kPostArtPoints = 100.0;
constexpr double kShapePoints = 64.0;

bool writePng(const QImage &image, const QString &path)
{
    QImage copy = image;
    copy.setDotsPerMeterX(kDotsPerMeter);
    copy.setDotsPerMeterY(kDotsPerMeter);
    if (copy.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

bool writePdf(QSvgRenderer &renderer, const QString &path)
{
    QPdfWriter writer(path);
    writer.setResolution(72);
    writer.setPageSize(QPageSize(QSizeF(kPostArtPoints, kPostArtPoints), QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter(&writer);
    if (!painter.isActive()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    renderer.render(&painter, QRectF(0, 0, kPostArtPoints, kPostArtPoints));
    // The document is written out when the painter ends: only then is a failure known.
    if (!painter.end()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

int makePostArt(const QString &drawings, const QDir &out)
{
    int written = 0;
    const QStringList categories = QDir(drawings).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &category : categories) {
        const QDir from(QDir(drawings).filePath(category));
        const QDir to(out.filePath(category));
        QDir().mkpath(to.path());
        const QStringList files = from.entryList({QStringLiteral("*.svg")}, QDir::Files, QDir::Name);
        for (qsizetype i = 0; i < files.size(); ++i) {
            QSvgRenderer renderer(from.filePath(files[i]));
            if (!renderer.isValid()) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(from.filePath(files[i])));
                return -1;
            }
            const QString base = to.filePath(QFileInfo(files[i]).completeBaseName());
            bool done = false;
            // Every third picture is vector art, so that the pane shows both kinds.
            if (i % 3 == 2) {
                done = writePdf(renderer, base + QStringLiteral(".pdf"));
            } else {
                const int pixels = int(kPostArtPoints * kScale);
                QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
                image.fill(Qt::transparent);
                QPainter painter(&image);
                painter.setRenderHint(QPainter::Antialiasing);
                renderer.render(&painter, QRectF(0, 0, pixels, pixels));
                painter.end();
                done = writePng(image, base + QStringLiteral(".png"));
            }
            if (!done)
                return -1;
            ++written;
        }
    }
    return written;
}

int makeBasicShapes(const QDir &out)
{
    QDir().mkpath(out.path());
    int written = 0;
    for (const QString &name : basicShapeNames()) {
        CFTBoxField shape;
        // A light fill under the outline, so that the pane shows each shape's area as well.
        const CDDColor fill(0.78f, 0.87f, 0.97f, 1.0f);
        shape.SetFillColor(&fill);
        shape.SetFilled(true);
        shape.setType(componentTypeByFileName(name));
        shape.SetOrigin(0.0, 0.0);
        shape.SetSize(kShapePoints, kShapePoints);
        const QImage image = dragComponentImage(&shape, kScale);
        if (image.isNull() || !writePng(image, out.filePath(name + QStringLiteral(".png"))))
            return -1;
        ++written;
    }
    return written;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: pw_make_picture_library POSTART_DRAWINGS LIBRARY_FOLDER\n");
        return 2;
    }
    // The kernel's start-up writes settings: keep them away from the account that builds.
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (home.path() + QStringLiteral("/cache")).toLocal8Bit());
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    startKernel();

    const QDir library(QString::fromLocal8Bit(argv[2]));
    const int postArt = makePostArt(QString::fromLocal8Bit(argv[1]), QDir(library.filePath(QStringLiteral("PostArt"))));
    const int shapes = makeBasicShapes(QDir(library.filePath(QStringLiteral("BasicShapes"))));
    if (postArt <= 0 || shapes <= 0) {
        std::fprintf(stderr, "the picture library is incomplete\n");
        return 1;
    }
    std::printf("%d postage-art pictures, %d basic shapes\n", postArt, shapes);
    return 0;
}
