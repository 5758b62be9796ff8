#include "platform/PWPathStatus.h"

#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

namespace PWPathStatus {

Kind kindAt(const QByteArray &path)
{
    struct stat status {};
    if (path.isEmpty() || ::stat(path.constData(), &status) != 0)
        return Kind::Missing;
    if (S_ISREG(status.st_mode))
        return Kind::RegularFile;
    return S_ISDIR(status.st_mode) ? Kind::Folder : Kind::Other;
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
