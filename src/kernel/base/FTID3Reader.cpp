#include "kernel/base/FTID3Reader.h"

#include "platform/PWFileReader.h"
#include "platform/PWImage.h"

#include <QImage>
#include <QLoggingCategory>
#include <QStringDecoder>

Q_LOGGING_CATEGORY(lcID3, "pw.kernel.id3")

namespace {

constexpr qsizetype kHeaderSize = 10;

QString fieldName(QByteArrayView id)
{
    return QString::fromLatin1(id);
}

bool isIdStart(char c)
{
    return c >= 'A' && c <= 'Z';
}

bool isIdChar(char c)
{
    return isIdStart(c) || (c >= '0' && c <= '9');
}

bool looksLikeId(QByteArrayView bytes)
{
    if (bytes.isEmpty() || !isIdStart(bytes.front()))
        return false;
    for (char c : bytes.sliced(1)) {
        if (!isIdChar(c))
            return false;
    }
    return true;
}

quint32 bigEndian(QByteArrayView bytes)
{
    quint32 value = 0;
    for (char c : bytes)
        value = (value << 8) | quint8(c);
    return value;
}

bool isTrimmed(QChar c)
{
    return c == u' ' || c == u'\r' || c == u'\n' || c == u'\t' || c == QChar(0);
}

QString trimmedText(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmed(text.at(begin)))
        ++begin;
    while (end > begin && isTrimmed(text.at(end - 1)))
        --end;
    return text.sliced(begin, end - begin);
}

// Where a text that ends in a terminator of the encoding ends: one zero byte, or an aligned pair
// of them for the two UTF-16 encodings. Answers the terminator's offset, or -1.
qsizetype terminatorOf(int encoding, QByteArrayView data)
{
    if (encoding == 1 || encoding == 2) {
        for (qsizetype i = 0; i + 1 < data.size(); i += 2) {
            if (data[i] == 0 && data[i + 1] == 0)
                return i;
        }
        return -1;
    }
    return data.indexOf('\0');
}

qsizetype terminatorLength(int encoding)
{
    return encoding == 1 || encoding == 2 ? 2 : 1;
}

// Splits "5/12" into its number and total, each empty when absent.
void storePart(const std::optional<QString> &text, const QString &numberKey, const QString &totalKey,
               QVariantMap &fields)
{
    if (!text || text->isEmpty())
        return;
    const qsizetype slash = text->indexOf(u'/');
    fields.insert(numberKey, slash < 0 ? *text : text->left(slash));
    fields.insert(totalKey, slash < 0 ? QString() : text->mid(slash + 1));
}

// A surrogate left without its pair at the end is no error to the decoder, which waits for more.
std::optional<QString> checkedUtf16(const QStringDecoder &decoder, const QString &text)
{
    if (decoder.hasError() || !text.isValidUtf16())
        return std::nullopt;
    return text;
}

// The bytes with the zero byte after each 0xFF taken out: the unsynchronisation scheme puts one
// there so that no byte pair of the tag looks like an audio frame's start.
QByteArray resynchronised(QByteArrayView bytes)
{
    QByteArray plain;
    plain.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        plain.append(bytes[i]);
        if (quint8(bytes[i]) == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == 0)
            ++i;
    }
    return plain;
}

QImage decodePicture(const QByteArray &bytes)
{
    return PWImage::decodeBoundedBitmap(bytes, FTID3Reader::kMaxPictureSide, FTID3Reader::kMaxPicturePixels);
}

} // namespace

qint64 FTID3Reader::packedLengthFrom(QByteArrayView data)
{
    if (data.size() < 4)
        return 0;
    const qint64 size = ((qint64(quint8(data[0])) * 128 + quint8(data[1])) * 128 + quint8(data[2])) * 128
        + quint8(data[3]);
    return std::min(size, kTagSizeCap);
}

std::optional<QString> FTID3Reader::convertTextCodingByte(int encoding, QByteArrayView text)
{
    switch (encoding) {
    case 1: {
        // The byte-order mark decides; without one the text is taken as big-endian, the order
        // UTF-16 has when nothing says otherwise.
        if (text.size() >= 2 && quint8(text[0]) == 0xFF && quint8(text[1]) == 0xFE) {
            QStringDecoder decoder(QStringDecoder::Utf16LE, QStringDecoder::Flag::Stateless);
            QString result = decoder(text.sliced(2, (text.size() - 2) & ~qsizetype(1)));
            return checkedUtf16(decoder, result);
        }
        const qsizetype skip = text.size() >= 2 && quint8(text[0]) == 0xFE && quint8(text[1]) == 0xFF ? 2 : 0;
        QStringDecoder decoder(QStringDecoder::Utf16BE, QStringDecoder::Flag::Stateless);
        QString result = decoder(text.sliced(skip, (text.size() - skip) & ~qsizetype(1)));
        return checkedUtf16(decoder, result);
    }
    case 2: {
        QStringDecoder decoder(QStringDecoder::Utf16BE, QStringDecoder::Flag::Stateless);
        QString result = decoder(text.first(text.size() & ~qsizetype(1)));
        return checkedUtf16(decoder, result);
    }
    case 3: {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString result = decoder(text);
        return decoder.hasError() ? std::nullopt : std::optional<QString>(result);
    }
    default:
        return QString::fromLatin1(text);
    }
}

std::optional<QString> FTID3Reader::parseTextFrameV20(QByteArrayView data)
{
    if (data.isEmpty())
        return std::nullopt;
    std::optional<QString> text = convertTextCodingByte(quint8(data[0]), data.sliced(1));
    if (!text)
        return std::nullopt;
    // A lone character that is not zero is kept as it is: a blank may be the whole answer.
    if (text->size() == 1 && data.size() > 1 && data[1] != 0)
        return text;
    return trimmedText(*text);
}

void FTID3Reader::parseCommentFrameV20(QByteArrayView data, QVariantMap &fields)
{
    static const QString comment = QStringLiteral("Comment");
    // Encoding, language (3), then a description ended by its terminator and the text.
    if (data.size() < 4) {
        fields.insert(comment, QString());
        return;
    }
    const int encoding = quint8(data[0]);
    QByteArrayView rest = data.sliced(4);
    const qsizetype end = terminatorOf(encoding, rest);
    if (end >= 0)
        rest = rest.sliced(end + terminatorLength(encoding));
    std::optional<QString> text = convertTextCodingByte(encoding, rest);
    if (text) {
        // A terminator after the text is no part of it.
        while (text->endsWith(QChar(0)))
            text->chop(1);
    }
    fields.insert(comment, text.value_or(QString()));
}

void FTID3Reader::appendPicture(int encoding, QByteArrayView rest, Tag &tag)
{
    // The description, ended as its encoding ends texts, then the picture's bytes.
    const qsizetype end = terminatorOf(encoding, rest);
    if (end < 0)
        return;
    rest = rest.sliced(end + terminatorLength(encoding));
    if (!rest.isEmpty() && rest.front() == 0)
        rest = rest.sliced(1);
    if (rest.isEmpty())
        return;
    if (tag.pictures.size() >= FTID3Reader::kMaxPictures) {
        qCDebug(lcID3, "Picture past the first %d left out", FTID3Reader::kMaxPictures);
        return;
    }
    tag.pictures.append(rest.toByteArray());
}

void FTID3Reader::parseImageFrameV20(QByteArrayView data, Tag &tag)
{
    // Encoding, image format (3), picture type, description, image data.
    if (data.size() < 5)
        return;
    const int encoding = quint8(data[0]);
    QByteArrayView rest = data.sliced(5);
    appendPicture(encoding, rest, tag);
}

void FTID3Reader::parseImageFrameV23(QByteArrayView data, Tag &tag)
{
    // Encoding, MIME type ended by a zero byte, picture type, description, image data.
    if (data.size() < 2)
        return;
    const int encoding = quint8(data[0]);
    const qsizetype mimeEnd = data.sliced(1).indexOf('\0');
    if (mimeEnd < 0 || 1 + mimeEnd + 2 > data.size())
        return;
    QByteArrayView rest = data.sliced(1 + mimeEnd + 2);
    appendPicture(encoding, rest, tag);
}

void FTID3Reader::parseFrameV20(QByteArrayView id, QByteArrayView data, Tag &tag)
{
    parseFrameV23(id, data, 2, tag);
}

void FTID3Reader::parseFrameV23(QByteArrayView id, QByteArrayView data, int majorVersion, Tag &tag)
{
    struct TextFrame
    {
        const char *v23;
        const char *v22;
        const char *key;
    };
    // Texts that store the empty string when they do not decode.
    static constexpr TextFrame kTexts[] = {
        {"TIT2", "TT2", "Name"},     {"TPE1", "TP1", "Artist"}, {"TALB", "TAL", "Album"},
        {"TCOM", "TCM", "Composer"}, {"TBPM", "TBP", "BPM"},
    };
    const bool v22 = majorVersion <= 2;
    auto is = [&](const char *v23Id, const char *v22Id) { return id == QByteArrayView(v22 ? v22Id : v23Id); };
    QVariantMap &fields = tag.fields;
    for (const TextFrame &frame : kTexts) {
        if (is(frame.v23, frame.v22)) {
            fields.insert(QString::fromLatin1(frame.key), parseTextFrameV20(data).value_or(QString()));
            return;
        }
    }
    if (is("TCON", "TCO")) {
        const std::optional<QString> text = parseTextFrameV20(data);
        fields.insert(QStringLiteral("Genre"), text ? getGenresFromStringV20(*text) : QString());
    } else if (v22 ? id == "TYE" : (id == "TYER" && majorVersion == 3)) {
        const std::optional<QString> text = parseTextFrameV20(data);
        if (text && !text->isEmpty())
            fields.insert(QStringLiteral("Year"), *text);
    } else if (!v22 && id == "TDRC" && majorVersion == 4) {
        const std::optional<QString> text = parseTextFrameV20(data);
        if (text) {
            const QString first = text->section(u'-', 0, 0);
            if (!first.isEmpty())
                fields.insert(QStringLiteral("Year"), first.toInt());
        }
    } else if (is("TPOS", "TPA")) {
        storePart(parseTextFrameV20(data), QStringLiteral("DiscNumber"), QStringLiteral("TotalDiscs"), fields);
    } else if (is("TRCK", "TRK")) {
        storePart(parseTextFrameV20(data), QStringLiteral("TrackNumber"), QStringLiteral("TotalTracks"), fields);
    } else if (is("COMM", "COM")) {
        parseCommentFrameV20(data, fields);
    } else if (v22 && id == "PIC") {
        parseImageFrameV20(data, tag);
    } else if (!v22 && id == "APIC") {
        parseImageFrameV23(data, tag);
    }
    // "TLEN"/"TLE" and every other frame carry nothing the result holds.
}

void FTID3Reader::parseID3FramesV20(QByteArrayView area, Tag &tag)
{
    parseFrames(area, 2, false, tag);
}

void FTID3Reader::parseID3FramesV23(QByteArrayView area, int majorVersion, bool unsynchronised, Tag &tag)
{
    parseFrames(area, majorVersion, unsynchronised, tag);
}

void FTID3Reader::parseFrames(QByteArrayView area, int majorVersion, bool unsynchronised, Tag &tag)
{
    // Version 2.2 frames have a 3-byte name and size (6 bytes of header), later ones 4 bytes of
    // each and 2 of flags; 2.4 stores the size 7 bits a byte.
    const qsizetype idLength = majorVersion <= 2 ? 3 : 4;
    const qsizetype header = majorVersion <= 2 ? 6 : kHeaderSize;
    qsizetype i = 0;
    while (i < area.size() - idLength) {
        if (!looksLikeId(area.sliced(i, idLength))) {
            ++i;
            continue;
        }
        if (i + header > area.size()) {
            qCDebug(lcID3, "Frame header at %lld runs past the tag", qint64(i));
            return;
        }
        const QByteArrayView sizeBytes = area.sliced(i + idLength, idLength);
        const qint64 size = majorVersion == 4 ? packedLengthFrom(sizeBytes) : qint64(bigEndian(sizeBytes));
        if (size > area.size() - i - header) {
            qCDebug(lcID3, "Frame %s at %lld states %lld bytes, past the tag",
                    qPrintable(fieldName(area.sliced(i, idLength))), qint64(i), size);
            return;
        }
        const QByteArrayView id = area.sliced(i, idLength);
        QByteArrayView data = area.sliced(i + header, qsizetype(size));
        // A 2.4 frame says for itself whether it is unsynchronised (0x02) and whether its data
        // starts with its length before that (0x01, four bytes).
        QByteArray plain;
        if (majorVersion == 4) {
            const int format = quint8(area[i + 9]);
            if ((format & 0x01) != 0)
                data = data.size() >= 4 ? data.sliced(4) : QByteArrayView();
            if (unsynchronised || (format & 0x02) != 0) {
                plain = resynchronised(data);
                data = plain;
            }
        }
        if (majorVersion <= 2)
            parseFrameV20(id, data, tag);
        else
            parseFrameV23(id, data, majorVersion, tag);
        i += header + qsizetype(size);
    }
}

QString FTID3Reader::getString(QByteArrayView field)
{
    const qsizetype zero = field.indexOf('\0');
    return trimmedText(QString::fromLatin1(zero < 0 ? field : field.first(zero)));
}

void FTID3Reader::parseID3FramesV10(QByteArrayView tag, QVariantMap &fields)
{
    fields.insert(QStringLiteral("Name"), getString(tag.sliced(3, 30)));
    fields.insert(QStringLiteral("Artist"), getString(tag.sliced(33, 30)));
    fields.insert(QStringLiteral("Album"), getString(tag.sliced(63, 30)));
    const QString year = getString(tag.sliced(93, 4));
    if (year.toInt() != 0)
        fields.insert(QStringLiteral("Year"), year);
    fields.insert(QStringLiteral("Comment"), getString(tag.sliced(97, 28)));
    fields.insert(QStringLiteral("TrackNumber"), QString::number(quint8(tag[126])));
    fields.insert(QStringLiteral("Genre"), genreName(quint8(tag[127])));
    for (const char *empty : {"Composer", "BPM", "DiscNumber", "TotalDiscs", "TotalTracks"})
        fields.insert(QString::fromLatin1(empty), QString());
}

FTID3Reader::Tag FTID3Reader::parse(QByteArrayView bytes)
{
    Tag tag;
    if (bytes.size() < kHeaderSize)
        return tag;
    if (bytes.startsWith("ID3")) {
        const int major = quint8(bytes[3]);
        const int flags = quint8(bytes[5]);
        const qint64 tagSize = packedLengthFrom(bytes.sliced(6, 4));
        // A tag that claims more than the file holds ends with the file.
        const qsizetype tagEnd = qsizetype(std::min<qint64>(kHeaderSize + tagSize, bytes.size()));
        if (tagEnd - kHeaderSize < tagSize)
            qCDebug(lcID3, "Tag of %lld bytes in a file of %lld", tagSize, qint64(bytes.size()));
        fillBitRateAndDuration(bytes.sliced(tagEnd), tag.fields);
        const bool unsynchronised = (flags & 0x80) != 0;
        // Before 2.4 the whole tag after its header is unsynchronised, the extended header too,
        // and frame sizes count the bytes as they are once resynchronised.
        QByteArray plain;
        QByteArrayView body = bytes.sliced(kHeaderSize, tagEnd - kHeaderSize);
        if (unsynchronised && major < 4) {
            plain = resynchronised(body);
            body = plain;
        }
        qsizetype framesStart = 0;
        if ((major == 3 || major == 4) && (flags & 0x40)) {
            if (body.size() < 4)
                return tag;
            const qint64 extended = packedLengthFrom(body.first(4));
            if (extended > body.size())
                return tag;
            framesStart = qsizetype(extended);
        }
        const QByteArrayView area = body.sliced(framesStart);
        if (major <= 2)
            parseID3FramesV20(area, tag);
        else if (major <= 4)
            parseID3FramesV23(area, major, unsynchronised, tag);
        return tag;
    }
    constexpr qsizetype kV1Size = 128;
    if (bytes.size() >= kV1Size && bytes.sliced(bytes.size() - kV1Size).startsWith("TAG")) {
        fillBitRateAndDuration(bytes.first(bytes.size() - kV1Size), tag.fields);
        parseID3FramesV10(bytes.sliced(bytes.size() - kV1Size), tag.fields);
    }
    return tag;
}

QVariantMap FTID3Reader::dictionaryFromBytes(QByteArrayView bytes, const QString &path)
{
    Tag tag = parse(bytes);
    QVariantMap result = std::move(tag.fields);
    result.insert(QStringLiteral("Path"), path);
    QVariantList images;
    for (const QByteArray &picture : std::as_const(tag.pictures)) {
        const QImage image = decodePicture(picture);
        if (!image.isNull())
            images.append(image);
    }
    if (!images.isEmpty())
        result.insert(QStringLiteral("Images"), images);
    return result;
}

QVariantMap FTID3Reader::getDataFromID3Tag(const QString &path)
{
    const PWFileReader::Result read = PWFileReader::read(path, kAudioFileLimit);
    if (!read.ok()) {
        qCDebug(lcID3, "%s: %s", qPrintable(path), qPrintable(read.reason));
        return {};
    }
    return dictionaryFromBytes(read.bytes, path);
}
