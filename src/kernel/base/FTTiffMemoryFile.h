#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <utility>

typedef struct tiff TIFF;

// A TIFF that libtiff writes into a byte array instead of a file. Writes past the array's bound,
// and running out of memory, fail inside libtiff as a full disk would: no exception crosses it.
class FTTiffMemoryFile
{
public:
    explicit FTTiffMemoryFile(qint64 mostBytes);
    FTTiffMemoryFile(const FTTiffMemoryFile &) = delete;
    FTTiffMemoryFile &operator=(const FTTiffMemoryFile &) = delete;

    // A new TIFF open for writing into this file; null when libtiff cannot open one. The caller
    // closes it (TIFFClose) before taking the bytes.
    TIFF *openForWriting();
    QByteArray takeBytes() { return std::move(m_bytes); }

private:
    QByteArray m_bytes;
    quint64 m_position = 0;
    qint64 m_mostBytes;

    friend struct FTTiffMemoryCalls;
};
