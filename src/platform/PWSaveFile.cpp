#include "platform/PWSaveFile.h"

#include <QSaveFile>

#include <cerrno>
#include <cstring>

namespace PWSaveFile {

QString failureReason(int error, const QString &qtReason)
{
    switch (error) {
    case ENOSPC:
        return QStringLiteral("the disk is full");
    case EFBIG:
        return QStringLiteral("the file is larger than this system allows");
#ifdef EDQUOT
    case EDQUOT:
        return QStringLiteral("the disk quota is used up");
#endif
    default:
        break;
    }
    if (error != 0 && (qtReason.isEmpty() || qtReason == QLatin1String("Unknown error")))
        return QString::fromLocal8Bit(std::strerror(error));
    return qtReason.isEmpty() ? QStringLiteral("the file could not be written") : qtReason;
}

bool commit(QSaveFile &file, QString *reason)
{
    // QSaveFile::commit closes the file without looking at the flush of its write buffer: a file
    // smaller than that buffer on a full disk would replace the old one empty. The flush is
    // checked here first, while the old file can still be kept.
    errno = 0;
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        const int error = errno;
        if (reason)
            *reason = failureReason(error, file.errorString());
        file.cancelWriting();
        return false;
    }
    errno = 0;
    if (!file.commit()) {
        const int error = errno;
        if (reason)
            *reason = failureReason(error, file.errorString());
        return false;
    }
    return true;
}

bool write(const QString &path, const QByteArray &bytes, QString *reason)
{
    QSaveFile file(path);
    errno = 0;
    const auto failed = [&](int error) {
        if (reason)
            *reason = failureReason(error, file.errorString());
        file.cancelWriting();
        return false;
    };
    if (!file.open(QIODevice::WriteOnly))
        return failed(errno);
    errno = 0;
    if (file.write(bytes) != bytes.size())
        return failed(errno);
    return commit(file, reason);
}

} // namespace PWSaveFile
