#pragma once

#include <QByteArrayView>
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
