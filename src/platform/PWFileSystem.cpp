#include "platform/PWFileSystem.h"

#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PWFileSystem {

namespace {

int answer(int result)
{
    return result == 0 ? 0 : errno;
}

} // namespace

int makeFolder(const QByteArray &path, int mode)
{
    return answer(::mkdir(path.constData(), mode_t(mode)));
}

int removeFile(const QByteArray &path)
{
    return answer(::unlink(path.constData()));
}

int removeEmptyFolder(const QByteArray &path)
{
    return answer(::rmdir(path.constData()));
}

int renamePath(const QByteArray &from, const QByteArray &to)
{
    return answer(::rename(from.constData(), to.constData()));
}

int setPermissions(const QByteArray &path, int mode)
{
    return answer(::chmod(path.constData(), mode_t(mode)));
}

int touch(const QByteArray &path)
{
    return answer(::utimensat(AT_FDCWD, path.constData(), nullptr, 0));
}

int setTimes(const QByteArray &path, PWPathStatus::Timestamp accessed, PWPathStatus::Timestamp modified)
{
    const struct timespec times[2] = {{time_t(accessed.seconds), long(accessed.nanoseconds)},
                                      {time_t(modified.seconds), long(modified.nanoseconds)}};
    return answer(::utimensat(AT_FDCWD, path.constData(), times, 0));
}

int list(const QByteArray &folder, QList<QByteArray> *names)
{
    DIR *listing = ::opendir(folder.constData());
    if (!listing)
        return errno;
    while (const dirent *entry = ::readdir(listing)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != ".." && names)
            names->append(name);
    }
    ::closedir(listing);
    return 0;
}

} // namespace PWFileSystem
