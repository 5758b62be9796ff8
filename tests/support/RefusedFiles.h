#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <sys/stat.h>

// Files no reader may take whole: a named pipe nobody writes to (an ordinary open blocks for
// ever), an endless device, a file over the reader's limit and a file that is not of its kind.
// Each reader's tests make them with refusedFile() and look for refusedReason() in its answer.
namespace pwtest {

enum class RefusedFile { Fifo, Zero, OverLimit, WrongKind };

inline const char *refusedFileName(RefusedFile kind)
{
    switch (kind) {
    case RefusedFile::Fifo:
        return "Fifo";
    case RefusedFile::Zero:
        return "DevZero";
    case RefusedFile::OverLimit:
        return "OverLimit";
    case RefusedFile::WrongKind:
        return "WrongKind";
    }
    return "";
}

// Makes the file at path: over the limit it is sparse (large on paper, nothing on disk), of the
// wrong kind it holds wrongKind. False when it could not be made.
inline bool makeRefusedFile(RefusedFile kind, const QString &path, qint64 limit, const QByteArray &wrongKind = {})
{
    switch (kind) {
    case RefusedFile::Fifo:
        return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    case RefusedFile::Zero:
        // A link, so that a reader that moves a bad file aside moves the link, never the device.
        return QFile::link(QStringLiteral("/dev/zero"), path);
    case RefusedFile::OverLimit: {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.resize(limit + 1);
    }
    case RefusedFile::WrongKind: {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(wrongKind) == wrongKind.size();
    }
    }
    return false;
}

// The reason every reader gives for the file; notOfKind is the reader's own for the wrong kind.
inline QString refusedReason(RefusedFile kind, const QString &notOfKind = QString())
{
    switch (kind) {
    case RefusedFile::Fifo:
    case RefusedFile::Zero:
        return QStringLiteral("not a regular file");
    case RefusedFile::OverLimit:
        return QStringLiteral("the file is too large");
    case RefusedFile::WrongKind:
        return notOfKind;
    }
    return QString();
}

} // namespace pwtest
