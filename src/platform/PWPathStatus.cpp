#include "platform/PWPathStatus.h"

#include <cerrno>
#include <cstring>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

namespace PWPathStatus {

namespace {

Kind kindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return Kind::RegularFile;
    return S_ISDIR(mode) ? Kind::Folder : Kind::Other;
}

Entry entryOf(const struct stat &status)
{
    Entry entry;
    entry.kind = kindOf(status.st_mode);
    entry.isLink = S_ISLNK(status.st_mode);
    entry.ownedByThisUser = status.st_uid == ::getuid();
    entry.openToOthers = (status.st_mode & (S_IRWXG | S_IRWXO)) != 0;
    entry.identity = Identity {quint64(status.st_dev), quint64(status.st_ino)};
    entry.size = qint64(status.st_size);
    entry.accessed = Timestamp {qint64(status.st_atim.tv_sec), qint64(status.st_atim.tv_nsec)};
    entry.modified = Timestamp {qint64(status.st_mtim.tv_sec), qint64(status.st_mtim.tv_nsec)};
    return entry;
}

} // namespace

Kind kindAt(const QByteArray &path)
{
    int error = 0;
    return kindAt(path, &error);
}

Kind kindAt(const QByteArray &path, int *error)
{
    struct stat status {};
    if (path.isEmpty() || ::stat(path.constData(), &status) != 0) {
        if (error)
            *error = path.isEmpty() ? ENOENT : errno;
        return Kind::Missing;
    }
    return kindOf(status.st_mode);
}

QString missingReason(int error)
{
    if (error == ENOENT || error == 0)
        return QString();
    return QString::fromLocal8Bit(std::strerror(error));
}

Entry entryAt(const QByteArray &path)
{
    struct stat status {};
    if (path.isEmpty() || ::lstat(path.constData(), &status) != 0)
        return Entry();
    return entryOf(status);
}

Entry statusAt(const QByteArray &path)
{
    struct stat status {};
    if (path.isEmpty() || ::stat(path.constData(), &status) != 0)
        return Entry();
    return entryOf(status);
}

quint32 userId()
{
    return quint32(::getuid());
}

std::optional<Identity> identityAt(const QByteArray &path)
{
    struct stat status {};
    if (path.isEmpty() || ::stat(path.constData(), &status) != 0)
        return std::nullopt;
    return Identity {quint64(status.st_dev), quint64(status.st_ino)};
}

bool isReadable(const QByteArray &path)
{
    return ::access(path.constData(), R_OK) == 0;
}

bool isWritableFolder(const QByteArray &folder)
{
    return ::access(folder.constData(), W_OK | X_OK) == 0;
}

QByteArray workingFolder()
{
    char *name = ::getcwd(nullptr, 0);
    if (!name)
        return QByteArray();
    QByteArray result(name);
    std::free(name);
    return result;
}

QByteArray resolved(const QByteArray &path)
{
    char *name = ::realpath(path.constData(), nullptr);
    if (!name)
        return path;
    QByteArray result(name);
    std::free(name);
    return result;
}

} // namespace PWPathStatus
