#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QVariantMap>

#include <optional>

// The metadata of an MPEG audio file: its ID3 tag (version 1, 2.2, 2.3 or 2.4) and, from the first
// audio frame (or the VBR header it carries), the bit rate and playing time. Nothing in the
// application calls it; it is a library function with a fixed result format, plus the three
// formatters of durations and byte counts.
//
// Reading has two stages: parse() turns bytes into the text fields and the raw picture bytes
// (the stage a fuzz target drives), dictionaryFromBytes() adds the path and decodes the pictures.
// Every read is bounded by the data: a tag size beyond the file is cut to the file, and a frame
// whose stated size runs past its tag ends the walk over the frames. An unsynchronised tag (2.2,
// 2.3) or frame (2.4) has the zero byte after each 0xFF taken out before it is read.
class FTID3Reader
{
public:
    // Larger files are refused as a whole rather than read into memory.
    static constexpr qint64 kAudioFileLimit = qint64(256) * 1024 * 1024;
    // The version 2 tag size is 28 bits.
    static constexpr qint64 kTagSizeCap = qint64(1) << 28;
    // Pictures beyond these are not decoded.
    static constexpr int kMaxPictureSide = 16384;
    static constexpr qint64 kMaxPicturePixels = qint64(64) * 1024 * 1024;
    // Pictures past this many in one tag are not kept (nor decoded).
    static constexpr int kMaxPictures = 8;

    // What the bytes hold, before any picture is decoded.
    struct Tag
    {
        QVariantMap fields;         // every result key but "Path" and "Images"
        QList<QByteArray> pictures; // the picture frames' image bytes, in file order
    };

    // The first stage: never reads outside bytes.
    static Tag parse(QByteArrayView bytes);
    // Both stages over bytes already read: "Path" set to path, "Images" a list of QImage when
    // any picture decoded.
    static QVariantMap dictionaryFromBytes(QByteArrayView bytes, const QString &path);
    // Reads the file at path; an unreadable file gives an empty dictionary.
    static QVariantMap getDataFromID3Tag(const QString &path);

    // "" for 0 (and below); else d:h:mm:ss, h:mm:ss, m:ss or s, leading units left out when 0.
    static QString getSecondsString(int seconds);
    // The same for milliseconds, the rest dropped, except that below a minute it is "0:ss".
    static QString getSecondsStringMicroseconds(int milliseconds);
    // The count in groups of 1024 with the largest unit's localized name ("1,512 Kb"); for 0,
    // zeroText when given, else the localized "Zero b".
    static QString getSizeString(int bytes, const char *zeroText = nullptr);

    // The name of a version 1 genre index; "Other" from 126 up and for anything negative.
    static QString genreName(int index);
    // The names a genre text stands for, joined with "/": references "(n)", plain names,
    // numbers alone, "(RX)" and "(CR)", values separated by zero characters.
    static QString getGenresFromStringV20(const QString &text);
    // The 7-bit packed size at data (4 bytes), capped at kTagSizeCap.
    static qint64 packedLengthFrom(QByteArrayView data);
    // The text of a frame's data after its encoding byte, or nothing when it does not decode:
    // 0 Latin-1, 1 UTF-16 with byte-order mark, 2 UTF-16 big-endian, 3 UTF-8, others Latin-1.
    static std::optional<QString> convertTextCodingByte(int encoding, QByteArrayView text);

    // Bit rate (kbit/s, 0 when unknown) and time (whole seconds) of an audio area.
    struct Audio
    {
        int bitRate = 0;
        qint64 seconds = 0;
    };
    static Audio bitRateAndDuration(QByteArrayView audio);

private:
    static void fillBitRateAndDuration(QByteArrayView audio, QVariantMap &fields);
    static void parseID3FramesV10(QByteArrayView tag, QVariantMap &fields);
    static void parseID3FramesV20(QByteArrayView area, Tag &tag);
    static void parseID3FramesV23(QByteArrayView area, int majorVersion, bool unsynchronised, Tag &tag);
    // The frame walk both versions share; unsynchronised marks every 2.4 frame so.
    static void parseFrames(QByteArrayView area, int majorVersion, bool unsynchronised, Tag &tag);
    static void parseFrameV20(QByteArrayView id, QByteArrayView data, Tag &tag);
    static void parseFrameV23(QByteArrayView id, QByteArrayView data, int majorVersion, Tag &tag);
    static std::optional<QString> parseTextFrameV20(QByteArrayView data);
    static void parseCommentFrameV20(QByteArrayView data, QVariantMap &fields);
    static void parseImageFrameV20(QByteArrayView data, Tag &tag);
    static void parseImageFrameV23(QByteArrayView data, Tag &tag);
    static void appendPicture(int encoding, QByteArrayView rest, Tag &tag);
    static QString getString(QByteArrayView field);
};
