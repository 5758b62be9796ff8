#include "platform/PWSvgPicture.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImageReader>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <zlib.h>

#include <memory>

namespace {

// SVGs inside SVGs (data images), each made safe in turn; a deeper one is not drawn.
constexpr int kMaxNesting = 4;

void setError(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
}

// The XML of a compressed SVG (gzip, as Qt's reader takes it), or nothing past the bound.
std::optional<QByteArray> unpacked(const QByteArray &packed, QString *error)
{
    z_stream stream {};
    if (inflateInit2(&stream, MAX_WBITS + 16) != Z_OK) {
        setError(error, QStringLiteral("the compressed SVG cannot be unpacked"));
        return std::nullopt;
    }
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(packed.constData()));
    stream.avail_in = uInt(packed.size());
    QByteArray xml;
    char chunk[65536];
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef *>(chunk);
        stream.avail_out = sizeof chunk;
        status = inflate(&stream, Z_NO_FLUSH);
        const qsizetype made = qsizetype(sizeof chunk - stream.avail_out);
        if (xml.size() + made > PWSvgPicture::kMaxUnpackedBytes) {
            inflateEnd(&stream);
            setError(error, QStringLiteral("the compressed SVG unpacks to more than %1 MB")
                                .arg(PWSvgPicture::kMaxUnpackedBytes / (1024 * 1024)));
            return std::nullopt;
        }
        xml.append(chunk, made);
        if (status == Z_BUF_ERROR && stream.avail_in == 0)
            break;
    }
    inflateEnd(&stream);
    if (status != Z_STREAM_END) {
        setError(error, QStringLiteral("the compressed SVG is damaged"));
        return std::nullopt;
    }
    return xml;
}

class Rewriter
{
public:
    // The pixels the embedded bitmaps of the whole picture state so far.
    qint64 pixels = 0;
    // A reason that refuses the whole picture (not merely one embedded image).
    QString refusal;

    std::optional<QByteArray> rewrite(const QByteArray &svg, int nesting, QString *error);

private:
    // The href of an <image> as it may stay, or nothing when it goes.
    std::optional<QString> embedded(const QString &uri, int nesting);
};

std::optional<QByteArray> Rewriter::rewrite(const QByteArray &svg, int nesting, QString *error)
{
    QByteArray xml;
    if (svg.startsWith("\x1f\x8b")) {
        std::optional<QByteArray> plain = unpacked(svg, error);
        if (!plain)
            return std::nullopt;
        xml = *plain;
    } else {
        xml = svg;
    }
    // Names as written (prefix and all): what Qt's reader matches is the prefixed name.
    QXmlStreamReader reader(xml);
    reader.setNamespaceProcessing(false);
    QByteArray out;
    QXmlStreamWriter writer(&out);
    writer.writeStartDocument();
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement: {
            const bool image = reader.name() == u"image";
            writer.writeStartElement(reader.qualifiedName().toString());
            const QXmlStreamAttributes attributes = reader.attributes();
            for (const QXmlStreamAttribute &attribute : attributes) {
                QString value = attribute.value().toString();
                // Whatever its prefix: a reference within the document stays, one outside goes.
                if (attribute.name() == u"href") {
                    std::optional<QString> kept;
                    if (value.startsWith(u"data:") && image)
                        kept = embedded(value, nesting);
                    else if (value.startsWith(u'#') && !image)
                        kept = value;
                    if (!refusal.isEmpty()) {
                        setError(error, refusal);
                        return std::nullopt;
                    }
                    if (!kept)
                        continue;
                    value = *kept;
                }
                writer.writeAttribute(attribute.qualifiedName().toString(), value);
            }
            break;
        }
        case QXmlStreamReader::EndElement:
            writer.writeEndElement();
            break;
        case QXmlStreamReader::Characters:
            if (reader.isCDATA())
                writer.writeCDATA(reader.text().toString());
            else
                writer.writeCharacters(reader.text().toString());
            break;
        default:
            // The DTD (its entities are read in place), comments, instructions (a style sheet
            // named by "xml-stylesheet" is a file), references to entities nobody declared.
            break;
        }
    }
    if (reader.hasError()) {
        setError(error, QStringLiteral("the SVG does not read as XML: %1 (line %2)")
                            .arg(reader.errorString())
                            .arg(reader.lineNumber()));
        return std::nullopt;
    }
    writer.writeEndDocument();
    return out;
}

std::optional<QString> Rewriter::embedded(const QString &uri, int nesting)
{
    // Qt takes what follows the last "base64," and nothing else.
    const qsizetype at = uri.lastIndexOf(u"base64,");
    if (at < 0)
        return uri;
    QByteArray payload = QByteArray::fromBase64(QStringView(uri).sliced(at + 7).toLatin1());
    QBuffer buffer(&payload);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    if (!PWSvgPicture::isSvgFormat(format)) {
        const QSize size = reader.size();
        if (size.isValid() && size.width() > 0 && size.height() > 0)
            pixels += qint64(size.width()) * size.height();
        if (pixels > PWSvgPicture::kMaxEmbeddedPixels)
            refusal = QStringLiteral("its embedded pictures hold more than %1 megapixels")
                          .arg(PWSvgPicture::kMaxEmbeddedPixels / (1000 * 1000));
        return uri;
    }
    buffer.close();
    if (nesting + 1 >= kMaxNesting)
        return std::nullopt;
    const std::optional<QByteArray> inner = rewrite(payload, nesting + 1, nullptr);
    if (!inner)
        return std::nullopt;
    return QStringLiteral("data:image/svg+xml;base64,") + QString::fromLatin1(inner->toBase64());
}

} // namespace

bool PWSvgPicture::isSvg(QByteArrayView bytes)
{
    QByteArray view = QByteArray::fromRawData(bytes.data(), bytes.size());
    QBuffer buffer(&view);
    if (!buffer.open(QIODevice::ReadOnly))
        return false;
    return isSvgFormat(QImageReader::imageFormat(&buffer));
}

std::optional<QByteArray> PWSvgPicture::withoutExternalReferences(const QByteArray &svg, QString *error)
{
    Rewriter rewriter;
    return rewriter.rewrite(svg, 0, error);
}

void PWSvgPicture::prepareToDrawText()
{
    if (QCoreApplication::instance())
        return;
    // The child has no display; the offscreen platform brings the font database all the same.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "parcelwick";
    static char *argv[] = {name, nullptr};
    static const std::unique_ptr<QGuiApplication> application = std::make_unique<QGuiApplication>(argc, argv);
}
