#include "kernel/base/FTID3Reader.h"

#include "TestSupport.h"
#include "PictureTestSupport.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (int value : values)
        result.append(char(value));
    return result;
}

QByteArray packed(quint32 size)
{
    return bytes({int((size >> 21) & 0x7F), int((size >> 14) & 0x7F), int((size >> 7) & 0x7F), int(size & 0x7F)});
}

QByteArray plain32(quint32 size)
{
    return bytes({int(size >> 24), int((size >> 16) & 0xFF), int((size >> 8) & 0xFF), int(size & 0xFF)});
}

QByteArray frameV22(const char *id, const QByteArray &data)
{
    const int size = int(data.size());
    return QByteArray(id) + bytes({size >> 16, (size >> 8) & 0xFF, size & 0xFF}) + data;
}

QByteArray frameV23(const char *id, const QByteArray &data)
{
    return QByteArray(id) + plain32(quint32(data.size())) + bytes({0, 0}) + data;
}

QByteArray frameV24(const char *id, const QByteArray &data)
{
    return QByteArray(id) + packed(quint32(data.size())) + bytes({0, 0}) + data;
}

QByteArray tagV2(int major, const QByteArray &frames, int flags = 0, int padding = 16)
{
    const QByteArray body = frames + QByteArray(padding, '\0');
    return QByteArray("ID3") + bytes({major, 0, flags}) + packed(quint32(body.size())) + body;
}

QByteArray latin1Text(const char *text)
{
    return QByteArray(1, '\0') + QByteArray(text);
}

QByteArray utf16Be(const QString &text)
{
    QByteArray result;
    for (QChar c : text)
        result += bytes({c.unicode() >> 8, c.unicode() & 0xFF});
    return result;
}

QByteArray utf16LeWithMark(const QString &text)
{
    QByteArray result = bytes({0xFF, 0xFE});
    for (QChar c : text)
        result += bytes({c.unicode() & 0xFF, c.unicode() >> 8});
    return result;
}

QByteArray pngBytes(int width, int height)
{
    return pictest::solidPng(Qt::red, QSize(width, height));
}

// One MPEG audio frame header followed by zeros up to length bytes.
// version: 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5; layer: 1 Layer III, 2 Layer II, 3 Layer I.
QByteArray stream(qsizetype length, int version, int layer, int bitRateIndex, int sampleRateIndex = 0,
                  bool mono = false)
{
    QByteArray audio(length, '\0');
    audio[0] = char(0xFF);
    audio[1] = char(0xE0 | (version << 3) | (layer << 1) | 1);
    audio[2] = char((bitRateIndex << 4) | (sampleRateIndex << 2));
    audio[3] = char(mono ? 0xC0 : 0x00);
    return audio;
}

// A stream whose first frame carries a VBR header with the frame count at offset.
QByteArray xingStream(qsizetype length, int version, bool mono, qsizetype offset, quint32 frames,
                      int sampleRateIndex = 0)
{
    QByteArray audio = stream(length, version, 1, 9, sampleRateIndex, mono);
    audio.replace(offset, 12, QByteArray("Xing") + bytes({0, 0, 0, 1}) + plain32(frames));
    return audio;
}

TEST(ID3ReaderTest, FileWithoutTagGivesOnlyThePath)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plain.mp3"));
    ASSERT_TRUE(pwtest::writeFile(path, stream(1600000, 3, 1, 9)));
    const QVariantMap result = FTID3Reader::getDataFromID3Tag(path);
    EXPECT_EQ(result.keys(), QStringList{QStringLiteral("Path")});
    EXPECT_EQ(result.value(QStringLiteral("Path")).toString(), path);
    EXPECT_TRUE(FTID3Reader::getDataFromID3Tag(dir.filePath(QStringLiteral("missing.mp3"))).isEmpty());
    EXPECT_TRUE(FTID3Reader::getDataFromID3Tag(dir.path()).isEmpty());
}

TEST(ID3ReaderTest, ShortFilesGetNothingButThePath)
{
    for (const QByteArray &data : {QByteArray(), QByteArray("ID3"), QByteArray("ID3\x03\x00\x00\x7f\x7f\x7f", 9)}) {
        const QVariantMap result = FTID3Reader::dictionaryFromBytes(data, QStringLiteral("x"));
        EXPECT_EQ(result.keys(), QStringList{QStringLiteral("Path")}) << data.toHex().constData();
    }
}

QByteArray v1Tag(const QByteArray &title, int track, int genre, const char *year = "1997")
{
    QByteArray tag = QByteArray("TAG") + title.leftJustified(30, '\0', true)
        + QByteArray("The Artist").leftJustified(30, ' ', true) + QByteArray("Album").leftJustified(30, '\0', true)
        + QByteArray(year).leftJustified(4, '\0', true) + QByteArray("A remark").leftJustified(28, '\0', true);
    return tag + bytes({0, track, genre});
}

TEST(ID3ReaderTest, VersionOneFieldsTrimmedWithGenreAndTrackBytes)
{
    const struct { QByteArray title; int genre; const char *genreName; } cases[] = {
        {QByteArray("Two Words") + QByteArray(21, '\0'), 17, "Rock"},
        {QByteArray("Two Words") + QByteArray(21, ' '), 200, "Other"},
        {QByteArray("  Two Words\t\r\n"), 125, "Dance Hall"},
        {QByteArray("Two Words\0junk", 14), 67, "Psychadelic"}};
    for (const auto &c : cases) {
        const QByteArray data = stream(1600000, 3, 1, 9) + v1Tag(c.title, 5, c.genre);
        const QVariantMap r = FTID3Reader::dictionaryFromBytes(data, QStringLiteral("p"));
        EXPECT_EQ(r.value(QStringLiteral("Name")).toString(), QStringLiteral("Two Words"));
        EXPECT_EQ(r.value(QStringLiteral("Artist")).toString(), QStringLiteral("The Artist"));
        EXPECT_EQ(r.value(QStringLiteral("Album")).toString(), QStringLiteral("Album"));
        EXPECT_EQ(r.value(QStringLiteral("Year")).toString(), QStringLiteral("1997"));
        EXPECT_EQ(r.value(QStringLiteral("Comment")).toString(), QStringLiteral("A remark"));
        EXPECT_EQ(r.value(QStringLiteral("TrackNumber")).toString(), QStringLiteral("5"));
        EXPECT_EQ(r.value(QStringLiteral("Genre")).toString(), QString::fromLatin1(c.genreName));
        for (const char *empty : {"Composer", "BPM", "DiscNumber", "TotalDiscs", "TotalTracks"}) {
            ASSERT_TRUE(r.contains(QString::fromLatin1(empty))) << empty;
            EXPECT_EQ(r.value(QString::fromLatin1(empty)).toString(), QString()) << empty;
        }
        // The time is of the audio without the tag's 128 bytes.
        EXPECT_EQ(r.value(QStringLiteral("Total Time")).toString(), QStringLiteral("1:40"));
        EXPECT_EQ(r.value(QStringLiteral("BitRate")).toInt(), 128);
    }
    const QVariantMap noYear =
        FTID3Reader::dictionaryFromBytes(QByteArray(100, 'x') + v1Tag("T", 255, 0, "0000"), QStringLiteral("p"));
    EXPECT_FALSE(noYear.contains(QStringLiteral("Year")));
    EXPECT_EQ(noYear.value(QStringLiteral("TrackNumber")).toString(), QStringLiteral("255"));
    EXPECT_EQ(noYear.value(QStringLiteral("Genre")).toString(), QStringLiteral("Blues"));
}

TEST(ID3ReaderTest, VersionTwoTwoFrames)
{
    const QByteArray png = pngBytes(4, 3);
    const QByteArray frames = frameV22("TT2", latin1Text("Song")) + frameV22("TP1", latin1Text("Singer"))
        + frameV22("TAL", latin1Text("Record")) + frameV22("TCM", latin1Text("Writer"))
        + frameV22("TBP", latin1Text("120")) + frameV22("TCO", latin1Text("(17)"))
        + frameV22("TRK", latin1Text("5/12")) + frameV22("TPA", latin1Text("1/2")) + frameV22("TYE", latin1Text("2003"))
        + frameV22("TLE", latin1Text("100000"))
        + frameV22("COM", QByteArray(1, '\0') + "eng" + QByteArray("About", 6) + "Liner notes")
        + frameV22("PIC", QByteArray(1, '\0') + "PNG" + bytes({3}) + QByteArray("Cover", 6) + png);
    const QVariantMap r =
        FTID3Reader::dictionaryFromBytes(tagV2(2, frames) + stream(1600000, 3, 1, 9), QStringLiteral("p"));
    EXPECT_EQ(r.value(QStringLiteral("Name")).toString(), QStringLiteral("Song"));
    EXPECT_EQ(r.value(QStringLiteral("Artist")).toString(), QStringLiteral("Singer"));
    EXPECT_EQ(r.value(QStringLiteral("Album")).toString(), QStringLiteral("Record"));
    EXPECT_EQ(r.value(QStringLiteral("Composer")).toString(), QStringLiteral("Writer"));
    EXPECT_EQ(r.value(QStringLiteral("BPM")).toString(), QStringLiteral("120"));
    EXPECT_EQ(r.value(QStringLiteral("Genre")).toString(), QStringLiteral("Rock"));
    EXPECT_EQ(r.value(QStringLiteral("TrackNumber")).toString(), QStringLiteral("5"));
    EXPECT_EQ(r.value(QStringLiteral("TotalTracks")).toString(), QStringLiteral("12"));
    EXPECT_EQ(r.value(QStringLiteral("DiscNumber")).toString(), QStringLiteral("1"));
    EXPECT_EQ(r.value(QStringLiteral("TotalDiscs")).toString(), QStringLiteral("2"));
    EXPECT_EQ(r.value(QStringLiteral("Year")).toString(), QStringLiteral("2003"));
    EXPECT_EQ(r.value(QStringLiteral("Comment")).toString(), QStringLiteral("Liner notes"));
    EXPECT_EQ(r.value(QStringLiteral("Total Time")).toString(), QStringLiteral("1:40"));
    EXPECT_EQ(r.value(QStringLiteral("BitRate")).toInt(), 128);
    const QVariantList images = r.value(QStringLiteral("Images")).toList();
    ASSERT_EQ(images.size(), 1);
    EXPECT_EQ(images.front().value<QImage>().size(), QSize(4, 3));
}

TEST(ID3ReaderTest, VersionTwoThreeFramesWithExtendedHeader)
{
    const QByteArray first = pngBytes(2, 2);
    const QByteArray second = pngBytes(5, 1);
    const QByteArray frames = frameV23("TIT2", bytes({1}) + utf16LeWithMark(QStringLiteral("Z\u00f6e ")))
        + frameV23("TRCK", latin1Text("5")) + frameV23("TYER", latin1Text("1999"))
        + frameV23("TDRC", latin1Text("2010")) + frameV23("TCON", latin1Text("(4)Eurodisco"))
        + frameV23("TXXX", latin1Text("ignored")) + QByteArray(7, '\0') // zero fill between frames
        + frameV23("COMM", bytes({1}) + "eng" + utf16LeWithMark(QStringLiteral("Desc")) + bytes({0, 0})
                               + utf16LeWithMark(QStringLiteral("Said so")))
        + frameV23("APIC", QByteArray(1, '\0') + QByteArray("image/png", 10) + bytes({3}) + QByteArray("a", 2) + first)
        + frameV23("APIC", bytes({1}) + QByteArray("image/png", 10) + bytes({0}) + utf16LeWithMark(QStringLiteral("b"))
                               + bytes({0, 0}) + second)
        + frameV23("APIC", QByteArray(1, '\0') + QByteArray("image/png", 10) + bytes({3, 0}) + "not a picture");
    const QByteArray extended = packed(6) + bytes({0, 0});
    const QVariantMap r = FTID3Reader::dictionaryFromBytes(tagV2(3, extended + frames, 0x40), QStringLiteral("p"));
    EXPECT_EQ(r.value(QStringLiteral("Name")).toString(), QStringLiteral("Z\u00f6e"));
    EXPECT_EQ(r.value(QStringLiteral("TrackNumber")).toString(), QStringLiteral("5"));
    EXPECT_EQ(r.value(QStringLiteral("TotalTracks")).toString(), QString());
    // "TDRC" belongs to version 4 tags.
    EXPECT_EQ(r.value(QStringLiteral("Year")).toString(), QStringLiteral("1999"));
    EXPECT_EQ(r.value(QStringLiteral("Genre")).toString(), QStringLiteral("Disco/Eurodisco"));
    EXPECT_EQ(r.value(QStringLiteral("Comment")).toString(), QStringLiteral("Said so"));
    const QVariantList images = r.value(QStringLiteral("Images")).toList();
    ASSERT_EQ(images.size(), 2);
    EXPECT_EQ(images[0].value<QImage>().size(), QSize(2, 2));
    EXPECT_EQ(images[1].value<QImage>().size(), QSize(5, 1));
    EXPECT_FALSE(r.contains(QStringLiteral("Total Time")));
}

TEST(ID3ReaderTest, VersionTwoFourEncodingsDatesAndPackedFrameSizes)
{
    const QString longName = QString(200, u'x');
    const QByteArray frames = frameV24("TIT2", bytes({2}) + utf16Be(QStringLiteral("\u00c5se")))
        + frameV24("TPE1", bytes({3}) + QStringLiteral("Bj\u00f6rk").toUtf8())
        + frameV24("TALB", latin1Text(longName.toLatin1().constData())) // size above 127: packed
        + frameV24("TYER", latin1Text("1999")) + frameV24("TDRC", latin1Text("2004-05-01"))
        + frameV24("TCON", QByteArray(1, '\0') + QByteArray("17\0Jazz\0(200)", 13))
        + frameV24("TPOS", latin1Text("2/3")) + frameV24("TBPM", bytes({3, 0xC3, 0x28}));
    const QVariantMap r = FTID3Reader::dictionaryFromBytes(tagV2(4, frames), QStringLiteral("p"));
    EXPECT_EQ(r.value(QStringLiteral("Name")).toString(), QStringLiteral("\u00c5se"));
    EXPECT_EQ(r.value(QStringLiteral("Artist")).toString(), QStringLiteral("Bj\u00f6rk"));
    EXPECT_EQ(r.value(QStringLiteral("Album")).toString(), longName);
    const QVariant year = r.value(QStringLiteral("Year"));
    EXPECT_EQ(year.typeId(), QMetaType::Int);
    EXPECT_EQ(year.toInt(), 2004);
    EXPECT_EQ(r.value(QStringLiteral("Genre")).toString(), QStringLiteral("Rock/Jazz/Other"));
    EXPECT_EQ(r.value(QStringLiteral("DiscNumber")).toString(), QStringLiteral("2"));
    EXPECT_EQ(r.value(QStringLiteral("TotalDiscs")).toString(), QStringLiteral("3"));
    // Undecodable UTF-8 counts as missing, which stores the empty string.
    ASSERT_TRUE(r.contains(QStringLiteral("BPM")));
    EXPECT_EQ(r.value(QStringLiteral("BPM")).toString(), QString());
}

TEST(ID3ReaderTest, TextEncodingsByTheirByte)
{
    const QString text = QStringLiteral("\u00e9t\u00e9 \u20ac");
    const struct { int encoding; QByteArray data; std::optional<QString> expected; } cases[] = {
        {0, QByteArray("\xe9t\xe9"), QStringLiteral("\u00e9t\u00e9")},
        {1, utf16LeWithMark(text), text},
        {1, bytes({0xFE, 0xFF}) + utf16Be(text), text},
        {1, utf16Be(text), text}, // no mark: big-endian
        {2, utf16Be(text), text},
        {2, utf16Be(text) + bytes({0x41}), text}, // an odd byte at the end is no character
        {2, bytes({0xD8, 0x00}), std::nullopt},   // a lone surrogate
        {3, text.toUtf8(), text},
        {3, QByteArray("\xff"), std::nullopt},
        {9, QByteArray("\xe9"), QStringLiteral("\u00e9")}};
    for (const auto &c : cases)
        EXPECT_EQ(FTID3Reader::convertTextCodingByte(c.encoding, c.data), c.expected)
            << c.encoding << " " << c.data.toHex().constData();
}

TEST(ID3ReaderTest, LoneCharactersAreKeptAndMissingYearsAndPartsStoreNothing)
{
    const QByteArray frames = frameV23("TIT2", latin1Text(" ")) + frameV23("TPE1", latin1Text("\r\nA\t"))
        + frameV23("TYER", latin1Text("  ")) + frameV23("TRCK", QByteArray()) + frameV23("TALB", QByteArray());
    const QVariantMap r = FTID3Reader::dictionaryFromBytes(tagV2(3, frames), QStringLiteral("p"));
    EXPECT_EQ(r.value(QStringLiteral("Name")).toString(), QStringLiteral(" "));
    EXPECT_EQ(r.value(QStringLiteral("Artist")).toString(), QStringLiteral("A"));
    EXPECT_FALSE(r.contains(QStringLiteral("Year")));
    EXPECT_FALSE(r.contains(QStringLiteral("TrackNumber")));
    ASSERT_TRUE(r.contains(QStringLiteral("Album")));
    EXPECT_EQ(r.value(QStringLiteral("Album")).toString(), QString());
}

TEST(ID3ReaderTest, FrameRunningPastItsTagEndsTheWalk)
{
    // The second frame claims 4000 bytes in a tag of a few dozen; the frames after it are not read
    // and nothing is read outside the data.
    const QByteArray lying = QByteArray("TPE1") + plain32(4000) + bytes({0, 0}) + latin1Text("Short");
    for (int major : {3, 4}) {
        const QByteArray frames = frameV23("TIT2", latin1Text("Kept")) + lying + frameV23("TALB", latin1Text("Lost"));
        const QVariantMap r = FTID3Reader::dictionaryFromBytes(tagV2(major, frames, 0, 0), QStringLiteral("p"));
        EXPECT_EQ(r.value(QStringLiteral("Name")).toString(), QStringLiteral("Kept")) << major;
        EXPECT_FALSE(r.contains(QStringLiteral("Artist"))) << major;
        EXPECT_FALSE(r.contains(QStringLiteral("Album"))) << major;
    }
    const QByteArray v22 = frameV22("TT2", latin1Text("Kept")) + QByteArray("TP1") + bytes({0x7F, 0, 0}) + "x"
        + frameV22("TAL", latin1Text("Lost"));
    const QVariantMap r22 = FTID3Reader::dictionaryFromBytes(tagV2(2, v22, 0, 0), QStringLiteral("p"));
    EXPECT_EQ(r22.value(QStringLiteral("Name")).toString(), QStringLiteral("Kept"));
    EXPECT_FALSE(r22.contains(QStringLiteral("Album")));
}

TEST(ID3ReaderTest, TagSizeBeyondTheFileIsCutToTheFile)
{
    const QByteArray frames = frameV23("TIT2", latin1Text("Title"));
    QByteArray data = QByteArray("ID3") + bytes({3, 0, 0}) + packed(0x0FFFFFFF) + frames;
    QVariantMap r = FTID3Reader::dictionaryFromBytes(data, QStringLiteral("p"));
    EXPECT_EQ(r.value(QStringLiteral("Name")).toString(), QStringLiteral("Title"));
    EXPECT_FALSE(r.contains(QStringLiteral("Total Time")));
    // An extended header larger than the tag leaves no frames to read.
    data = QByteArray("ID3") + bytes({4, 0, 0x40}) + packed(20) + packed(400) + frames;
    r = FTID3Reader::dictionaryFromBytes(data, QStringLiteral("p"));
    EXPECT_EQ(r.keys(), QStringList{QStringLiteral("Path")});
    // Frames cut short inside their fixed fields.
    for (const QByteArray &frame : {frameV23("COMM", bytes({0, 'e'})), frameV23("APIC", bytes({0})),
                                    frameV23("APIC", QByteArray(1, '\0') + "image/png"),
                                    frameV23("APIC", QByteArray(1, '\0') + QByteArray("image/png", 10) + bytes({3}))}) {
        r = FTID3Reader::dictionaryFromBytes(tagV2(3, frame), QStringLiteral("p"));
        EXPECT_FALSE(r.contains(QStringLiteral("Images"))) << frame.toHex().constData();
    }
    // Major versions other than 2.2 to 2.4 read no frames.
    r = FTID3Reader::dictionaryFromBytes(tagV2(5, frames), QStringLiteral("p"));
    EXPECT_FALSE(r.contains(QStringLiteral("Name")));
}

TEST(ID3ReaderTest, BitRateAndTimeOfTheFirstFrame)
{
    const struct { int version; int layer; int index; qsizetype length; int bitRate; qint64 seconds; } cases[] = {
        {3, 1, 9, 1600000, 128, 100},  // MPEG-1 Layer III
        {3, 2, 14, 480000, 384, 10},   // MPEG-1 Layer II
        {3, 3, 14, 560000, 448, 10},   // MPEG-1 Layer I
        {2, 1, 14, 200000, 160, 10},   // MPEG-2 Layer III
        {0, 1, 1, 10000, 8, 10},       // MPEG-2.5 Layer III
        {2, 3, 13, 280000, 224, 10},   // MPEG-2 Layer I
        {1, 1, 9, 1600000, 0, 0},      // reserved version
        {3, 0, 9, 1600000, 0, 0},      // reserved layer
        {3, 1, 0, 1600000, 0, 0},      // free format
        {3, 1, 15, 1600000, 0, 0},     // invalid index
    };
    for (const auto &c : cases) {
        const FTID3Reader::Audio audio = FTID3Reader::bitRateAndDuration(stream(c.length, c.version, c.layer, c.index));
        EXPECT_EQ(audio.bitRate, c.bitRate) << c.version << " " << c.layer << " " << c.index;
        EXPECT_EQ(audio.seconds, c.seconds) << c.version << " " << c.layer << " " << c.index;
    }
    // The header is found after leading bytes, and a header cut short gives nothing.
    const FTID3Reader::Audio late = FTID3Reader::bitRateAndDuration(QByteArray(7, 'a') + stream(1600000, 3, 1, 9));
    EXPECT_EQ(late.bitRate, 128);
    EXPECT_EQ(FTID3Reader::bitRateAndDuration(bytes({0, 0xFF, 0xFB, 0x90})).bitRate, 0);
    EXPECT_EQ(FTID3Reader::bitRateAndDuration(QByteArray(1000, '\0')).bitRate, 0);
}

struct XingCase
{
    const char *name;
    int version;
    bool mono;
    qsizetype offset;
    int sampleRateIndex;
    quint32 frames;
    qint64 seconds;
    int bitRate;
};

class XingHeaderTest : public testing::TestWithParam<XingCase>
{
};

TEST_P(XingHeaderTest, FrameCountGivesTimeAndAverageRate)
{
    const XingCase &c = GetParam();
    constexpr qsizetype kLength = 1000000;
    const FTID3Reader::Audio audio = FTID3Reader::bitRateAndDuration(
        xingStream(kLength, c.version, c.mono, c.offset, c.frames, c.sampleRateIndex));
    EXPECT_EQ(audio.seconds, c.seconds);
    EXPECT_EQ(audio.bitRate, c.bitRate);
    // The same header one byte off is not found: the constant rate of the frame header stands.
    const FTID3Reader::Audio off = FTID3Reader::bitRateAndDuration(
        xingStream(kLength, c.version, c.mono, c.offset + 1, c.frames, c.sampleRateIndex));
    EXPECT_NE(off.bitRate, c.bitRate);
    // Through a whole file, after a tag.
    const QVariantMap r = FTID3Reader::dictionaryFromBytes(
        tagV2(3, frameV23("TIT2", latin1Text("x")))
            + xingStream(kLength, c.version, c.mono, c.offset, c.frames, c.sampleRateIndex),
        QStringLiteral("p"));
    EXPECT_EQ(r.value(QStringLiteral("Total Time")).toString(), FTID3Reader::getSecondsString(int(c.seconds)));
    EXPECT_EQ(r.value(QStringLiteral("BitRate")).toInt(), c.bitRate);
}

// 1,000,000 bytes; frames of 1152 samples (MPEG-1 Layer III) or 576 (MPEG-2 and 2.5 Layer III).
INSTANTIATE_TEST_SUITE_P(
    Versions, XingHeaderTest,
    testing::Values(XingCase{"Mpeg1Stereo", 3, false, 36, 0, 3828, 99, 80},   // 44.1 kHz: 99.99 s
                    XingCase{"Mpeg1Mono", 3, true, 21, 1, 2500, 60, 133},     // 48 kHz: 60 s
                    XingCase{"Mpeg2Stereo", 2, false, 21, 0, 7656, 199, 40},  // 22.05 kHz: 199.99 s
                    XingCase{"Mpeg2Mono", 2, true, 13, 2, 5000, 180, 44},     // 16 kHz: 180 s
                    XingCase{"Mpeg25Stereo", 0, false, 21, 0, 3000, 156, 51}, // 11.025 kHz: 156.73 s
                    XingCase{"Mpeg25Mono", 0, true, 13, 2, 1000, 72, 111}),   // 8 kHz: 72 s
    [](const testing::TestParamInfo<XingCase> &info) { return std::string(info.param.name); });

TEST(ID3ReaderTest, XingHeaderWithoutFrameCountOrZeroFramesIsIgnored)
{
    QByteArray audio = xingStream(1600000, 3, false, 36, 1000);
    audio[36 + 7] = 0; // the frame-count flag off
    EXPECT_EQ(FTID3Reader::bitRateAndDuration(audio).bitRate, 128);
    EXPECT_EQ(FTID3Reader::bitRateAndDuration(xingStream(1600000, 3, false, 36, 0)).bitRate, 128);
    // A VBR header cut short by the end of the data.
    QByteArray cut = stream(40, 3, 1, 9);
    cut.replace(36, 4, "Xing");
    EXPECT_EQ(FTID3Reader::bitRateAndDuration(cut).bitRate, 128);
}

TEST(ID3FormattersTest, SecondsMillisecondsAndSizes)
{
    const struct { int value; const char *seconds; const char *milliseconds; } durations[] = {
        {0, "", ""}, {59, "59", "0:00"}, {60, "1:00", "0:00"}, {100, "1:40", "0:00"}, {3725, "1:2:05", "0:03"},
        {59000, "16:23:20", "0:59"}, {60000, "16:40:00", "1:00"}, {90061, "1:1:1:01", "1:30"},
        {3725000, "43:2:43:20", "1:2:05"}, {90061000, "1042:8:56:40", "1:1:1:01"}, {-5, "", ""}};
    for (const auto &d : durations) {
        EXPECT_EQ(FTID3Reader::getSecondsString(d.value), QString::fromLatin1(d.seconds)) << d.value;
        EXPECT_EQ(FTID3Reader::getSecondsStringMicroseconds(d.value), QString::fromLatin1(d.milliseconds)) << d.value;
    }
    const struct { int bytes; const char *text; } sizes[] = {
        {1, "1 b"},        {1023, "1023 b"},   {1024, "1,0 Kb"},     {1536, "1,512 Kb"},
        {1048576, "1,0,0 Mb"}, {1049601, "1,1,1 Mb"}, {1073741824, "1,0,0,0 Gb"}, {2147483647, "1,1023,1023,1023 Gb"},
        {-1536, "1,512 Kb"}};
    for (const auto &s : sizes)
        EXPECT_EQ(FTID3Reader::getSizeString(s.bytes), QString::fromLatin1(s.text)) << s.bytes;
    EXPECT_EQ(FTID3Reader::getSizeString(0), QStringLiteral("Zero b"));
    EXPECT_EQ(FTID3Reader::getSizeString(0, "none"), QStringLiteral("none"));
}

TEST(ID3FormattersTest, GenreTexts)
{
    const struct { const char *text; const char *genres; } cases[] = {
        {"(17)", "Rock"},          {"(126)", "Other"},          {"(255)", "Other"}, {"17", "Rock"},
        {"Synthpop", "Synthpop"},  {"(4)Eurodisco", "Disco/Eurodisco"}, {"(17)(8)", "Rock/Jazz"},
        {"(RX)(CR)", "Remix/Cover"}, {"((Nearly) Jazz", "(Nearly) Jazz"}, {"(17)Rock", "Rock"},
        {"(12", "(12"},            {"", ""},                    {"(99999999999)", "Other"}};
    for (const auto &c : cases)
        EXPECT_EQ(FTID3Reader::getGenresFromStringV20(QString::fromLatin1(c.text)), QString::fromLatin1(c.genres))
            << c.text;
    EXPECT_EQ(FTID3Reader::getGenresFromStringV20(QString::fromLatin1("8\0(0)\0Folk", 10)),
              QStringLiteral("Jazz/Blues/Folk"));
    EXPECT_EQ(FTID3Reader::genreName(0), QStringLiteral("Blues"));
    EXPECT_EQ(FTID3Reader::genreName(79), QStringLiteral("Hard Rock"));
    EXPECT_EQ(FTID3Reader::genreName(80), QStringLiteral("Folk"));
    EXPECT_EQ(FTID3Reader::genreName(85), QStringLiteral("Bebob"));
    EXPECT_EQ(FTID3Reader::genreName(123), QStringLiteral("A capella"));
    EXPECT_EQ(FTID3Reader::genreName(-1), QStringLiteral("Other"));
}

TEST(ID3FormattersTest, PackedLengthsAreCapped)
{
    EXPECT_EQ(FTID3Reader::packedLengthFrom(packed(257)), 257);
    EXPECT_EQ(FTID3Reader::packedLengthFrom(bytes({0x7F, 0x7F, 0x7F, 0x7F})), (qint64(1) << 28) - 1);
    EXPECT_EQ(FTID3Reader::packedLengthFrom(bytes({0xFF, 0xFF, 0xFF, 0xFF})), qint64(1) << 28);
    EXPECT_EQ(FTID3Reader::packedLengthFrom(bytes({1, 2})), 0);
}

TEST(ID3ReaderTest, FixtureFilesOfEachVersion)
{
    const QVariantMap v1 = FTID3Reader::getDataFromID3Tag(pwtest::dataPath(QStringLiteral("id3/v1.mp3")));
    EXPECT_EQ(v1.value(QStringLiteral("Name")).toString(), QStringLiteral("Two Words"));
    EXPECT_EQ(v1.value(QStringLiteral("Genre")).toString(), QStringLiteral("Rock"));
    EXPECT_EQ(v1.value(QStringLiteral("BitRate")).toInt(), 8); // MPEG-2.5 Layer III, index 1
    EXPECT_FALSE(v1.contains(QStringLiteral("Total Time")));

    const QVariantMap v22 = FTID3Reader::getDataFromID3Tag(pwtest::dataPath(QStringLiteral("id3/v22.mp3")));
    EXPECT_EQ(v22.value(QStringLiteral("Name")).toString(), QStringLiteral("Song"));
    EXPECT_EQ(v22.value(QStringLiteral("TotalTracks")).toString(), QStringLiteral("12"));
    EXPECT_EQ(v22.value(QStringLiteral("Comment")).toString(), QStringLiteral("Notes"));
    EXPECT_EQ(v22.value(QStringLiteral("Images")).toList().size(), 1);

    const QVariantMap v23 = FTID3Reader::getDataFromID3Tag(pwtest::dataPath(QStringLiteral("id3/v23.mp3")));
    EXPECT_EQ(v23.value(QStringLiteral("Name")).toString(), QStringLiteral("AB"));
    EXPECT_EQ(v23.value(QStringLiteral("Comment")).toString(), QStringLiteral("X"));
    EXPECT_EQ(v23.value(QStringLiteral("Total Time")).toString(), QStringLiteral("26")); // 1000 frames at 44.1 kHz

    const QVariantMap v24 = FTID3Reader::getDataFromID3Tag(pwtest::dataPath(QStringLiteral("id3/v24.mp3")));
    EXPECT_EQ(v24.value(QStringLiteral("Name")).toString(), QStringLiteral("AB"));
    EXPECT_EQ(v24.value(QStringLiteral("Artist")).toString(), QStringLiteral("Bj\u00f6rk"));
    EXPECT_EQ(v24.value(QStringLiteral("Year")).toInt(), 2004);
    EXPECT_EQ(v24.value(QStringLiteral("Genre")).toString(), QStringLiteral("Rock/Jazz"));
    EXPECT_EQ(v24.value(QStringLiteral("Total Time")).toString(), QStringLiteral("26")); // 1000 frames at 22.05 kHz
}

// The unsynchronisation scheme: a zero byte after every 0xFF.
QByteArray unsynchronised(const QByteArray &plain)
{
    QByteArray result;
    for (const char c : plain) {
        result.append(c);
        if (quint8(c) == 0xFF)
            result.append('\0');
    }
    return result;
}

struct UnsyncCase
{
    const char *name;
    QByteArray tag;
};

class ID3UnsynchronisationTest : public ::testing::TestWithParam<UnsyncCase>
{
};

// A title of two 0xFF characters reads as written however the tag marks its unsynchronisation.
TEST_P(ID3UnsynchronisationTest, TitleReadsAsWritten)
{
    const QVariantMap r = FTID3Reader::dictionaryFromBytes(GetParam().tag, QStringLiteral("p"));
    EXPECT_EQ(r.value(QStringLiteral("Name")).toString(), QStringLiteral("\u00ff\u00ff"));
    EXPECT_EQ(r.value(QStringLiteral("Artist")).toString(), QStringLiteral("Kim"));
}

const QByteArray kTitle = latin1Text("\xff\xff");
const QByteArray kArtist = latin1Text("Kim");

QByteArray unsyncTag(int major, const QByteArray &frames, int flags)
{
    const QByteArray body = frames + QByteArray(16, '\0');
    return QByteArray("ID3") + bytes({major, 0, flags}) + packed(quint32(body.size())) + body;
}

QByteArray frameV24Flagged(const char *id, const QByteArray &data, int format)
{
    return QByteArray(id) + packed(quint32(data.size())) + bytes({0, format}) + data;
}

INSTANTIATE_TEST_SUITE_P(
    Tags, ID3UnsynchronisationTest,
    ::testing::Values(
        UnsyncCase {"WholeTagV22", unsyncTag(2, unsynchronised(frameV22("TT2", kTitle) + frameV22("TP1", kArtist)), 0x80)},
        UnsyncCase {"WholeTagV23", unsyncTag(3, unsynchronised(frameV23("TIT2", kTitle) + frameV23("TPE1", kArtist)), 0x80)},
        UnsyncCase {"OneFrameV24", unsyncTag(4, frameV24Flagged("TIT2", unsynchronised(kTitle), 0x02) + frameV24("TPE1", kArtist), 0)},
        UnsyncCase {"EveryFrameV24", unsyncTag(4, frameV24("TIT2", unsynchronised(kTitle)) + frameV24("TPE1", kArtist), 0x80)},
        UnsyncCase {"FrameWithItsLengthV24",
                    unsyncTag(4, frameV24Flagged("TIT2", packed(quint32(kTitle.size())) + unsynchronised(kTitle), 0x03)
                                     + frameV24("TPE1", kArtist), 0)}),
    [](const auto &info) { return std::string(info.param.name); });

// However many pictures a tag holds, only the first few are kept and decoded.
TEST(ID3ReaderTest, PicturesPastTheLimitAreNotDecoded)
{
    const QByteArray picture = pngBytes(3, 2);
    QByteArray frames;
    for (int i = 0; i < FTID3Reader::kMaxPictures * 4; ++i)
        frames += frameV23("APIC", QByteArray(1, '\0') + QByteArray("image/png", 10) + bytes({3, 0}) + picture);
    const QByteArray tag = tagV2(3, frames);
    EXPECT_EQ(FTID3Reader::parse(tag).pictures.size(), FTID3Reader::kMaxPictures);
    EXPECT_EQ(FTID3Reader::dictionaryFromBytes(tag, QStringLiteral("p")).value(QStringLiteral("Images")).toList().size(),
              FTID3Reader::kMaxPictures);
}

} // namespace
