// The audio side and the text formatters of the ID3 reader.
#include "kernel/base/FTID3Reader.h"

#include "platform/PWBundle.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <climits>

namespace {

// The version 1 genre list with its common extension, spelled as published.
constexpr std::array<const char *, 126> kGenres = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz", "Metal",
    "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial",
    "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop", "Vocal",
    "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental", "Acid", "House", "Game", "Sound Clip", "Gospel",
    "Noise", "AlternRock", "Bass", "Soul", "Punk", "Space", "Meditative", "Instrumental Pop", "Instrumental Rock",
    "Ethnic", "Gothic", "Darkwave", "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance", "Dream",
    "Southern Rock", "Comedy", "Cult", "Gangsta", "Top 40", "Christian Rap", "Pop/Funk", "Jungle",
    "Native American", "Cabaret", "New Wave", "Psychadelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal",
    "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock",
    // The extension.
    "Folk", "Folk-Rock", "National Folk", "Swing", "Fast Fusion", "Bebob", "Latin", "Revival", "Celtic",
    "Bluegrass", "Avantgarde", "Gothic Rock", "Progressive Rock", "Psychedelic Rock", "Symphonic Rock",
    "Slow Rock", "Big Band", "Chorus", "Easy Listening", "Acoustic", "Humour", "Speech", "Chanson", "Opera",
    "Chamber Music", "Sonata", "Symphony", "Booty Bass", "Primus", "Porn Groove", "Satire", "Slow Jam", "Club",
    "Tango", "Samba", "Folklore", "Ballad", "Power Ballad", "Rhythmic Soul", "Freestyle", "Duet", "Punk Rock",
    "Drum Solo", "A capella", "Euro-House", "Dance Hall"};

// Bit rates in kbit/s by bit-rate index (0 free format, 15 invalid: both unknown).
constexpr int kMpeg1Layer1[16] = {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0};
constexpr int kMpeg1Layer2[16] = {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0};
constexpr int kMpeg1Layer3[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
constexpr int kMpeg2Layer1[16] = {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0};
constexpr int kMpeg2Layer23[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};

enum Version { Mpeg25 = 0, Reserved = 1, Mpeg2 = 2, Mpeg1 = 3 };
enum Layer { LayerReserved = 0, Layer3 = 1, Layer2 = 2, Layer1 = 3 };

int bitRateFor(int version, int layer, int index)
{
    if (version == Reserved || layer == LayerReserved)
        return 0;
    if (version == Mpeg1)
        return layer == Layer1 ? kMpeg1Layer1[index] : layer == Layer2 ? kMpeg1Layer2[index] : kMpeg1Layer3[index];
    return layer == Layer1 ? kMpeg2Layer1[index] : kMpeg2Layer23[index];
}

int sampleRateFor(int version, int index)
{
    static constexpr int kMpeg1Rates[3] = {44100, 48000, 32000};
    if (index > 2 || version == Reserved)
        return 0;
    const int rate = kMpeg1Rates[index];
    return version == Mpeg1 ? rate : version == Mpeg2 ? rate / 2 : rate / 4;
}

int samplesPerFrame(int version, int layer)
{
    if (layer == Layer1)
        return 384;
    if (layer == Layer3 && version != Mpeg1)
        return 576;
    return 1152;
}

QString grouped(std::initializer_list<int> parts)
{
    QStringList texts;
    for (int part : parts)
        texts.append(QString::number(part));
    return texts.join(u',') + u' ';
}

QString durationString(qint64 days, qint64 hours, qint64 minutes, qint64 seconds, bool minuteBelow)
{
    if (days > 0)
        return QString::asprintf("%lld:%lld:%lld:%02lld", days, hours, minutes, seconds);
    if (hours > 0)
        return QString::asprintf("%lld:%lld:%02lld", hours, minutes, seconds);
    if (minutes > 0 || minuteBelow)
        return QString::asprintf("%lld:%02lld", minutes, seconds);
    return QString::asprintf("%lld", seconds);
}

} // namespace

QString FTID3Reader::genreName(int index)
{
    if (index < 0 || index >= int(kGenres.size()))
        return QStringLiteral("Other");
    return QString::fromLatin1(kGenres[size_t(index)]);
}

QString FTID3Reader::getGenresFromStringV20(const QString &text)
{
    QStringList names;
    auto add = [&names](const QString &name) {
        if (!name.isEmpty() && !names.contains(name))
            names.append(name);
    };
    auto nameOfNumber = [](QStringView digits) {
        bool ok = false;
        const int index = digits.toInt(&ok);
        return ok ? genreName(index) : QStringLiteral("Other");
    };
    auto allDigits = [](QStringView piece) {
        return !piece.isEmpty() && std::all_of(piece.begin(), piece.end(), [](QChar c) { return c.isDigit(); });
    };
    // Several values are separated by zero characters.
    const QStringList values = text.split(QChar(0), Qt::SkipEmptyParts);
    for (const QString &raw : values) {
        QStringView value = QStringView(raw).trimmed();
        if (allDigits(value)) {
            add(nameOfNumber(value));
            continue;
        }
        // References in parentheses come first; "((" starts a name that begins with "(".
        while (value.startsWith(u'(') && !value.startsWith(u"((")) {
            const qsizetype close = value.indexOf(u')');
            if (close < 0)
                break;
            const QStringView inside = value.sliced(1, close - 1);
            if (inside == u"RX")
                add(QStringLiteral("Remix"));
            else if (inside == u"CR")
                add(QStringLiteral("Cover"));
            else if (allDigits(inside))
                add(nameOfNumber(inside));
            else
                add(inside.toString());
            value = value.sliced(close + 1).trimmed();
        }
        if (value.startsWith(u"(("))
            value = value.sliced(1);
        add(value.toString());
    }
    return names.join(u'/');
}

FTID3Reader::Audio FTID3Reader::bitRateAndDuration(QByteArrayView audio)
{
    Audio result;
    const qsizetype length = audio.size();
    qsizetype p = 0;
    while (p < length - 1 && !(quint8(audio[p]) == 0xFF && (quint8(audio[p + 1]) & 0xE0) == 0xE0))
        ++p;
    // A header needs its four bytes.
    if (p + 4 > length)
        return result;
    const int version = (quint8(audio[p + 1]) >> 3) & 3;
    const int layer = (quint8(audio[p + 1]) >> 1) & 3;
    const int index = quint8(audio[p + 2]) >> 4;
    const int rateIndex = (quint8(audio[p + 2]) >> 2) & 3;
    const bool mono = (quint8(audio[p + 3]) >> 6) == 3;
    result.bitRate = bitRateFor(version, layer, index);
    if (result.bitRate >= 1)
        result.seconds = qint64(length) * 8 / (qint64(result.bitRate) * 1000);

    // The VBR header sits after the side information, whose size depends on the version and the
    // channels: 32 or 17 bytes for MPEG-1, 17 or 9 for MPEG-2 and 2.5, after the 4-byte header.
    const qsizetype offset = version == Mpeg1 ? (mono ? 21 : 36) : (mono ? 13 : 21);
    const qsizetype at = p + offset;
    if (version == Reserved || at + 12 > length || audio.sliced(at, 4) != "Xing" || !(quint8(audio[at + 7]) & 1))
        return result;
    const quint32 frames = (quint32(quint8(audio[at + 8])) << 24) | (quint32(quint8(audio[at + 9])) << 16)
        | (quint32(quint8(audio[at + 10])) << 8) | quint32(quint8(audio[at + 11]));
    const int sampleRate = sampleRateFor(version, rateIndex);
    if (frames == 0 || sampleRate == 0)
        return result;
    // Each frame plays its samples at the stream's sample rate.
    const qint64 samples = qint64(frames) * samplesPerFrame(version, layer);
    result.seconds = samples / sampleRate;
    result.bitRate = int((qint64(length) * 8 * sampleRate / samples + 500) / 1000);
    return result;
}

void FTID3Reader::fillBitRateAndDuration(QByteArrayView audio, QVariantMap &fields)
{
    const Audio found = bitRateAndDuration(audio);
    if (found.seconds != 0)
        fields.insert(QStringLiteral("Total Time"), getSecondsString(int(std::min<qint64>(found.seconds, INT_MAX))));
    if (found.bitRate != 0)
        fields.insert(QStringLiteral("BitRate"), found.bitRate);
}

QString FTID3Reader::getSecondsString(int seconds)
{
    if (seconds <= 0)
        return QString();
    const qint64 s = seconds;
    return durationString(s / 86400, s % 86400 / 3600, s % 3600 / 60, s % 60, false);
}

QString FTID3Reader::getSecondsStringMicroseconds(int milliseconds)
{
    if (milliseconds <= 0)
        return QString();
    const qint64 ms = milliseconds;
    return durationString(ms / 86400000, ms % 86400000 / 3600000, ms % 3600000 / 60000, ms % 60000 / 1000, true);
}

QString FTID3Reader::getSizeString(int bytes, const char *zeroText)
{
    if (bytes == 0)
        return zeroText ? QString::fromUtf8(zeroText) : PWLocalizedString(QStringLiteral("Zero b"));
    // A negative count is no size: its magnitude is shown.
    const qint64 n = bytes < 0 ? -qint64(bytes) : qint64(bytes);
    const int g = int(n >> 30);
    const int m = int((n >> 20) & 1023);
    const int k = int((n >> 10) & 1023);
    const int b = int(n & 1023);
    if (g > 0)
        return grouped({g, m, k, b}) + PWLocalizedString(QStringLiteral("Gb"));
    if (m > 0)
        return grouped({m, k, b}) + PWLocalizedString(QStringLiteral("Mb"));
    if (k > 0)
        return grouped({k, b}) + PWLocalizedString(QStringLiteral("Kb"));
    return grouped({b}) + PWLocalizedString(QStringLiteral("b"));
}
