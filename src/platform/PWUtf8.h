#pragma once

#include <QByteArrayView>
#include <QList>
#include <QStringList>
#include <QStringDecoder>
#include <QVarLengthArray>

#include <algorithm>

// Whether the bytes are valid UTF-8 as a whole, checked a piece at a time into one buffer of a
// piece's size: a file of tens of megabytes is not decoded whole only to be checked. Pieces end
// after line feeds, which are never inside a UTF-8 sequence.
inline bool PWIsValidUtf8(QByteArrayView bytes)
{
    constexpr qsizetype kPiece = 256 * 1024;
    QVarLengthArray<QChar, 1> buffer;
    for (qsizetype at = 0; at < bytes.size();) {
        qsizetype end = std::min(at + kPiece, bytes.size());
        if (end < bytes.size()) {
            const qsizetype feed = bytes.indexOf('\n', end);
            end = feed < 0 ? bytes.size() : feed + 1;
        }
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        buffer.resize(decoder.requiredSpace(end - at));
        decoder.appendToBuffer(buffer.data(), bytes.sliced(at, end - at));
        if (decoder.hasError())
            return false;
        at = end;
    }
    return true;
}

// Windows Latin 1 (code page 1252): ISO Latin 1 with the euro sign, typographic quotes and
// dashes from 0x80 to 0x9F; its five undefined places keep their ISO Latin 1 character.
inline QString PWDecodeWindowsLatin1(QByteArrayView bytes)
{
    static constexpr char16_t kHigh[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes) {
        const auto value = quint8(byte);
        *out++ = QChar(value >= 0x80 && value < 0xA0 ? kHigh[value - 0x80] : char16_t(value));
    }
    return text;
}

// The length of the valid UTF-8 sequence of two to four bytes at the start of the bytes; 0 when
// none starts there (an ASCII byte, a stray continuation byte, an overlong form, a surrogate, a
// sequence cut short).
inline qsizetype PWUtf8SequenceAt(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return 0;
    const auto lead = quint8(bytes.at(0));
    qsizetype length = 0;
    quint8 low = 0x80, high = 0xBF; // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() < length)
        return 0;
    for (qsizetype i = 1; i < length; ++i) {
        const auto byte = quint8(bytes.at(i));
        if (byte < (i == 1 ? low : 0x80) || byte > (i == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

// What the non-ASCII bytes of a piece of text say of UTF-8: the valid sequences of two bytes or
// more, and the bytes that stand in none.
struct PWUtf8Evidence
{
    qsizetype sequences = 0;
    qsizetype strayBytes = 0;
};

inline PWUtf8Evidence PWWeighUtf8(QByteArrayView bytes)
{
    PWUtf8Evidence evidence;
    for (qsizetype at = 0; at < bytes.size();) {
        if (quint8(bytes.at(at)) < 0x80) {
            ++at;
        } else if (const qsizetype length = PWUtf8SequenceAt(bytes.sliced(at))) {
            ++evidence.sequences;
            at += length;
        } else {
            ++evidence.strayBytes;
            ++at;
        }
    }
    return evidence;
}

// Text whose bytes are mostly UTF-8 but not all (a line pasted together from a UTF-8 program and
// an older one): each valid UTF-8 sequence as that, each byte that stands in none as Windows
// Latin 1, so that "Zo\xc3\xab" keeps its letter beside a stray byte of another encoding.
inline QString PWDecodeUtf8AndWindowsLatin1(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype length = quint8(bytes.at(at)) < 0x80 ? 0 : PWUtf8SequenceAt(bytes.sliced(at));
        if (length > 0) {
            text += QString::fromUtf8(bytes.sliced(at, length));
            at += length;
        } else {
            text += PWDecodeWindowsLatin1(bytes.sliced(at, 1));
            ++at;
        }
    }
    return text;
}

// A piece of text that should be UTF-8: as that when it is, else with *other set as Windows
// Latin 1, the encoding of what older programs wrote; when its UTF-8 sequences are not outnumbered
// by the bytes that stand in none, those sequences stay UTF-8 (see PWDecodeUtf8AndWindowsLatin1).
inline QString PWDecodeUtf8OrWindowsLatin1(QByteArrayView bytes, bool *other = nullptr)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    const bool failed = utf8.hasError();
    if (other)
        *other = failed;
    if (!failed)
        return text;
    const PWUtf8Evidence evidence = PWWeighUtf8(bytes);
    return evidence.sequences > 0 && evidence.sequences >= evidence.strayBytes ? PWDecodeUtf8AndWindowsLatin1(bytes)
                                                                               : PWDecodeWindowsLatin1(bytes);
}

// The sentence a reader of a mostly UTF-8 file says of the lines it read in another encoding:
// "Lines 4 and 9 of the file are not UTF-8 text like the rest; they were read as ...". At most
// ten line numbers are named, then how many more there are. notWhat, when given, takes the place
// of "UTF-8 text like the rest".
inline QString PWOtherEncodingLinesMessage(const QList<qsizetype> &lines, const QString &encodingName,
                                           const QString &notWhat = QString())
{
    constexpr qsizetype kNamed = 10;
    QStringList named;
    for (qsizetype i = 0; i < std::min(lines.size(), kNamed); ++i)
        named.append(QString::number(lines.at(i)));
    QString list;
    if (lines.size() == 1)
        list = QStringLiteral("Line %1").arg(named.first());
    else if (lines.size() > kNamed)
        list = QStringLiteral("Lines %1 and %2 more").arg(named.join(QStringLiteral(", "))).arg(lines.size() - kNamed);
    else if (!named.isEmpty()) {
        const QString last = named.takeLast();
        list = QStringLiteral("Lines %1 and %2").arg(named.join(QStringLiteral(", ")), last);
    }
    const bool one = lines.size() == 1;
    return QStringLiteral("%1 of the file %2 %3; %4 read as %5.")
        .arg(list, one ? QStringLiteral("is") : QStringLiteral("are"),
             notWhat.isEmpty() ? QStringLiteral("not UTF-8 text like the rest") : notWhat,
             one ? QStringLiteral("it was") : QStringLiteral("they were"), encodingName);
}
