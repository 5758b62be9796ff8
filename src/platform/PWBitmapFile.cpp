#include "platform/PWBitmapFile.h"

#include <QList>

#include <zlib.h>

#include <algorithm>

namespace {

// No profile is larger: ICC profiles of printing conditions stay well below it.
constexpr qsizetype kMaxProfileBytes = 16 * 1024 * 1024;

quint32 bigEndian16(const QByteArray &bytes, qsizetype at)
{
    return quint32(quint8(bytes[at])) << 8 | quint8(bytes[at + 1]);
}

quint32 bigEndian32(const QByteArray &bytes, qsizetype at)
{
    return bigEndian16(bytes, at) << 16 | bigEndian16(bytes, at + 2);
}

// One marker segment of a JPEG: its marker, where it starts (at its 0xFF) and where its payload
// (after the length) starts and ends.
struct Segment
{
    quint8 marker = 0;
    qsizetype start = 0;
    qsizetype payload = 0;
    qsizetype end = 0;
};

// The segment at pos, past any fill bytes; nothing at the end of the bytes or for a cut segment.
std::optional<Segment> segmentAt(const QByteArray &bytes, qsizetype pos)
{
    if (pos >= bytes.size() || quint8(bytes[pos]) != 0xFF)
        return std::nullopt;
    Segment segment;
    segment.start = pos;
    while (pos < bytes.size() && quint8(bytes[pos]) == 0xFF)
        ++pos;
    if (pos >= bytes.size())
        return std::nullopt;
    segment.marker = quint8(bytes[pos++]);
    if (segment.marker == 0xD8 || segment.marker == 0xD9) {
        segment.payload = segment.end = pos;
        return segment;
    }
    if (pos + 2 > bytes.size())
        return std::nullopt;
    const qsizetype length = bigEndian16(bytes, pos);
    if (length < 2 || pos + length > bytes.size())
        return std::nullopt;
    segment.payload = pos + 2;
    segment.end = pos + length;
    return segment;
}

// The end of the entropy-coded data that starts at pos: the first marker other than a stuffed
// zero or a restart marker.
qsizetype scanEnd(const QByteArray &bytes, qsizetype pos)
{
    while (pos + 1 < bytes.size()) {
        if (quint8(bytes[pos]) == 0xFF) {
            const quint8 next = quint8(bytes[pos + 1]);
            if (next != 0x00 && !(next >= 0xD0 && next <= 0xD7) && next != 0xFF)
                return pos;
        }
        ++pos;
    }
    return -1;
}

QByteArray jpegProfile(const QByteArray &bytes)
{
    static const QByteArray kTag("ICC_PROFILE\0", 12);
    QList<QByteArray> chunks;
    int expected = 0;
    qsizetype pos = 2;
    while (std::optional<Segment> segment = segmentAt(bytes, pos)) {
        if (segment->marker == 0xDA || segment->marker == 0xD9)
            break;
        const qsizetype size = segment->end - segment->payload;
        if (segment->marker == 0xE2 && size > 14 && bytes.mid(segment->payload, 12) == kTag) {
            const int sequence = quint8(bytes[segment->payload + 12]);
            const int count = quint8(bytes[segment->payload + 13]);
            if (count == 0 || sequence == 0 || sequence > count || (expected && count != expected))
                return QByteArray();
            expected = count;
            chunks.resize(count);
            if (!chunks[sequence - 1].isEmpty())
                return QByteArray();
            chunks[sequence - 1] = bytes.mid(segment->payload + 14, size - 14);
        }
        pos = segment->end;
    }
    QByteArray profile;
    for (const QByteArray &chunk : std::as_const(chunks)) {
        if (chunk.isEmpty())
            return QByteArray();
        profile += chunk;
    }
    return profile;
}

QByteArray inflated(const QByteArray &compressed)
{
    z_stream stream {};
    if (inflateInit(&stream) != Z_OK)
        return QByteArray();
    QByteArray out;
    char buffer[16384];
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(compressed.constData()));
    stream.avail_in = uInt(compressed.size());
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef *>(buffer);
        stream.avail_out = sizeof buffer;
        status = inflate(&stream, Z_NO_FLUSH);
        out.append(buffer, qsizetype(sizeof buffer - stream.avail_out));
        if (out.size() > kMaxProfileBytes || (status == Z_OK && stream.avail_in == 0 && stream.avail_out != 0))
            status = Z_DATA_ERROR;
    }
    inflateEnd(&stream);
    return status == Z_STREAM_END ? out : QByteArray();
}

QByteArray pngProfile(const QByteArray &bytes)
{
    qsizetype pos = 8;
    while (pos + 12 <= bytes.size()) {
        const qsizetype length = bigEndian32(bytes, pos);
        const QByteArray type = bytes.mid(pos + 4, 4);
        if (length > bytes.size() - pos - 12 || type == "IDAT" || type == "IEND")
            return QByteArray();
        if (type == "iCCP") {
            const QByteArray data = bytes.mid(pos + 8, length);
            const qsizetype nameEnd = data.indexOf('\0');
            // A name of 1 to 79 bytes, then compression method 0 (deflate).
            if (nameEnd < 1 || nameEnd > 79 || nameEnd + 2 > data.size() || data[nameEnd + 1] != 0)
                return QByteArray();
            return inflated(data.mid(nameEnd + 2));
        }
        pos += length + 12;
    }
    return QByteArray();
}

} // namespace

QByteArray PWBitmapFile::iccProfile(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xD8"))
        return jpegProfile(bytes);
    if (bytes.startsWith("\x89PNG\r\n\x1A\n"))
        return pngProfile(bytes);
    return QByteArray();
}

std::optional<PWBitmapFile::BaselineJpeg> PWBitmapFile::baselineJpeg(const QByteArray &bytes)
{
    if (!bytes.startsWith("\xFF\xD8"))
        return std::nullopt;
    BaselineJpeg jpeg;
    jpeg.tables = QByteArray("\xFF\xD8", 2);
    jpeg.stream = jpeg.tables;
    bool adobeRgb = false;
    QByteArray componentIds;
    qsizetype pos = 2;
    while (true) {
        const std::optional<Segment> segment = segmentAt(bytes, pos);
        if (!segment)
            return std::nullopt;
        const quint8 m = segment->marker;
        const QByteArray whole = bytes.mid(segment->start, segment->end - segment->start);
        const qsizetype size = segment->end - segment->payload;
        if (m == 0xEE && size >= 12 && bytes.mid(segment->payload, 5) == "Adobe") {
            // Transform 0: the three components are RGB (or CMYK), not YCbCr.
            adobeRgb = quint8(bytes[segment->payload + 11]) == 0;
        } else if ((m >= 0xE0 && m <= 0xEF) || m == 0xFE) {
            // Application data and comments stay in the file the picture came from.
        } else if (m == 0xDB || m == 0xC4) {
            jpeg.tables += whole;
        } else if (m == 0xDD) {
            jpeg.stream += whole;
        } else if (m == 0xC0 || m == 0xC1) {
            if (jpeg.components != 0 || size < 6 || quint8(bytes[segment->payload]) != 8)
                return std::nullopt;
            jpeg.height = int(bigEndian16(bytes, segment->payload + 1));
            jpeg.width = int(bigEndian16(bytes, segment->payload + 3));
            jpeg.components = quint8(bytes[segment->payload + 5]);
            if (size != 6 + 3 * jpeg.components || (jpeg.components != 1 && jpeg.components != 3) || jpeg.width == 0
                || jpeg.height == 0)
                return std::nullopt;
            for (int c = 0; c < jpeg.components; ++c) {
                const quint8 sampling = quint8(bytes[segment->payload + 6 + 3 * c + 1]);
                const int h = sampling >> 4, v = sampling & 0x0F;
                componentIds += bytes[segment->payload + 6 + 3 * c];
                if (c == 0) {
                    jpeg.horizontalSampling = h;
                    jpeg.verticalSampling = v;
                } else if (h != 1 || v != 1) {
                    return std::nullopt;
                }
            }
            const auto allowed = [](int s) { return s == 1 || s == 2 || s == 4; };
            if (!allowed(jpeg.horizontalSampling) || !allowed(jpeg.verticalSampling)
                || jpeg.verticalSampling > jpeg.horizontalSampling
                || (jpeg.components == 1 && jpeg.horizontalSampling * jpeg.verticalSampling != 1))
                return std::nullopt;
            jpeg.stream += whole;
        } else if (m == 0xDA) {
            if (jpeg.components == 0 || size < 1 || quint8(bytes[segment->payload]) != jpeg.components)
                return std::nullopt;
            const qsizetype end = scanEnd(bytes, segment->end);
            // One scan, and the image ends with it.
            if (end < 0 || quint8(bytes[end + 1]) != 0xD9)
                return std::nullopt;
            jpeg.stream += bytes.mid(segment->start, end - segment->start);
            break;
        } else {
            // Other coding processes, a DNL height, hierarchical files, markers out of place.
            return std::nullopt;
        }
        pos = segment->end;
    }
    if (jpeg.components == 3 && (adobeRgb || componentIds == "RGB"))
        return std::nullopt;
    jpeg.tables += QByteArray("\xFF\xD9", 2);
    jpeg.stream += QByteArray("\xFF\xD9", 2);
    return jpeg;
}
