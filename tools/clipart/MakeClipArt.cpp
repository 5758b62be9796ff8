// Makes the shipped clip-art library from the drawings of make_clipart_drawings.py: every
// picture in its format (PNG, JPEG, PDF or an "hpi" container of a JPEG colour picture and a
// grey PNG mask), its JPEG thumbnail, one keyed-archive category index per category and the
// Swish-e keyword index, whose documents are "<file>,<caption>" with the caption and keywords
// as their words.
//
//   pw_make_clipart <drawings folder> <library folder> <swish-e program>

#include "SwishIndexBuilder.h"

#include "platform/PWKeyedArchiver.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <map>

namespace {

constexpr int kPicturePixels = 400;
constexpr int kThumbnailPixels = 96;

QImage render(QSvgRenderer &renderer, int pixels)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, pixels, pixels));
    return image;
}

QImage overWhite(const QImage &image)
{
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    return flat;
}

QByteArray encoded(const QImage &image, const char *format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

void appendLE32(QByteArray &bytes, quint32 value)
{
    for (int shift = 0; shift < 32; shift += 8)
        bytes.append(char((value >> shift) & 0xff));
}

// The container FTImageUtilities reads: signature, four unread bytes, then offset and length of
// the colour block and of the mask block, little-endian.
QByteArray hpiContainer(const QImage &picture)
{
    const QByteArray colour = encoded(overWhite(picture), "JPG", 90);
    QImage mask(picture.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < picture.height(); ++y) {
        const auto *source = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
        uchar *target = mask.scanLine(y);
        for (int x = 0; x < picture.width(); ++x)
            target[x] = uchar(qAlpha(source[x]));
    }
    const QByteArray maskBytes = encoded(mask, "PNG");
    constexpr quint32 kHeader = 8 + 4 + 16;
    QByteArray container("\x89HPI\r\n\x1a\n", 8);
    appendLE32(container, 0);
    appendLE32(container, kHeader);
    appendLE32(container, quint32(colour.size()));
    appendLE32(container, kHeader + quint32(colour.size()));
    appendLE32(container, quint32(maskBytes.size()));
    return container + colour + maskBytes;
}

bool writePdf(QSvgRenderer &renderer, const QString &path)
{
    QPdfWriter writer(path);
    writer.setResolution(72);
    writer.setPageSize(QPageSize(QSizeF(200, 200), QPageSize::Point, QString(), QPageSize::ExactMatch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setCreator(QStringLiteral("Parcelwick"));
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    renderer.render(&painter, QRectF(0, 0, 200, 200));
    return painter.end();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

int fail(const QString &message)
{
    std::fprintf(stderr, "pw_make_clipart: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 4)
        return fail(QStringLiteral("usage: pw_make_clipart <drawings folder> <library folder> <swish-e program>"));
    const QDir drawings(arguments.at(1));
    const QDir library(arguments.at(2));
    const QString swish = arguments.at(3);

    const QDir clipArt(library.filePath(QStringLiteral("ClipArt")));
    QDir(clipArt.path()).removeRecursively();
    const QString images = clipArt.filePath(QStringLiteral("Images"));
    const QString thumbnails = clipArt.filePath(QStringLiteral("Thumbnails"));
    const QString localized = clipArt.filePath(QStringLiteral("en.lproj"));
    const QString categoriesFolder = localized + QStringLiteral("/CategoriesIndex");
    for (const QString &folder : {images, thumbnails, categoriesFolder}) {
        if (!QDir().mkpath(folder))
            return fail(QStringLiteral("cannot make %1").arg(folder));
    }

    QFile manifest(drawings.filePath(QStringLiteral("manifest.tsv")));
    if (!manifest.open(QIODevice::ReadOnly | QIODevice::Text))
        return fail(QStringLiteral("no manifest in %1").arg(drawings.path()));
    std::map<QString, QVariantList> categories;
    std::vector<SwishDocument> documents;
    QTextStream lines(&manifest);
    while (!lines.atEnd()) {
        const QStringList fields = lines.readLine().split(QLatin1Char('\t'));
        if (fields.size() != 5)
            continue;
        const QString &name = fields.at(0);
        const QString &format = fields.at(1);
        QSvgRenderer renderer(drawings.filePath(QStringLiteral("svg/") + name + QStringLiteral(".svg")));
        if (!renderer.isValid())
            return fail(QStringLiteral("cannot read the drawing of %1").arg(name));
        const QImage picture = render(renderer, kPicturePixels);
        const QString target = QDir(images).filePath(name);
        bool written = false;
        if (format == QLatin1String("png"))
            written = picture.save(target, "PNG");
        else if (format == QLatin1String("jpg"))
            written = overWhite(picture).save(target, "JPG", 90);
        else if (format == QLatin1String("pdf"))
            written = writePdf(renderer, target);
        else if (format == QLatin1String("hpi"))
            written = writeFile(target, hpiContainer(picture));
        if (!written)
            return fail(QStringLiteral("cannot write %1").arg(target));
        const QString thumbnail = QDir(thumbnails).filePath(name.section(QLatin1Char('.'), 0, -2) + QStringLiteral(".jpg"));
        if (!overWhite(render(renderer, kThumbnailPixels)).save(thumbnail, "JPG", 85))
            return fail(QStringLiteral("cannot write %1").arg(thumbnail));

        categories[fields.at(2)].append(QVariantMap{{QStringLiteral("name"), name}, {QStringLiteral("hint"), fields.at(3)}});
        // The drawings' captions and keywords are ASCII, which Mac OS Roman shares.
        documents.push_back({(name + QLatin1Char(',') + fields.at(3)).toLatin1(),
                             (fields.at(3) + QLatin1Char(' ') + fields.at(4)).toLatin1()});
    }
    if (documents.empty())
        return fail(QStringLiteral("the manifest lists no pictures"));

    for (const auto &[category, entries] : categories) {
        const QByteArray archive = PWKeyedArchiver::archivedObject(QVariantMap{{QStringLiteral("values"), entries}});
        const QString path = QDir(categoriesFolder).filePath(category + QStringLiteral(".idx"));
        if (!writeFile(path, archive))
            return fail(QStringLiteral("cannot write %1").arg(path));
    }
    QString error;
    if (!buildSwishIndex(swish, localized + QStringLiteral("/clipart.idx"), documents, &error))
        return fail(QStringLiteral("the keyword index was not made: %1").arg(error));
    return 0;
}
