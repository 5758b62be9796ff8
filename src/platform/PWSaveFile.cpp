#include "platform/PWSaveFile.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSaveFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

// Closes a descriptor when it goes out of scope; -1 holds none.
class Descriptor
{
public:
    explicit Descriptor(int descriptor) : m_descriptor(descriptor) { }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor() { release(); }

    int get() const { return m_descriptor; }
    // Closes now and answers whether the close succeeded (a network file system reports a late
    // write failure here).
    bool release()
    {
        const int descriptor = std::exchange(m_descriptor, -1);
        return descriptor < 0 || ::close(descriptor) == 0;
    }

private:
    int m_descriptor;
};

bool writeAll(int descriptor, const QByteArray &bytes)
{
    const char *next = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(descriptor, next, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        next += written;
        left -= written;
    }
    return true;
}

} // namespace

bool writeAtBytes(const QByteArray &path, const QByteArray &bytes, QString *reason)
{
    const auto failed = [reason](int error) {
        if (reason)
            *reason = failureReason(error, QString::fromLocal8Bit(std::strerror(error)));
        return false;
    };
    if (path.isEmpty() || path.contains('\0'))
        return failed(ENOENT);
    QByteArray target = path;
    if (char *resolved = ::realpath(path.constData(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folderName = slash > 0 ? target.left(slash) : slash == 0 ? QByteArray("/") : QByteArray(".");
    const QByteArray name = target.mid(slash + 1);
    if (name.isEmpty())
        return failed(EISDIR);

    const Descriptor folder(::open(folderName.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0)
        return failed(errno);
    struct stat old {};
    const bool replacing = ::fstatat(folder.get(), name.constData(), &old, 0) == 0;
    if (replacing && S_ISDIR(old.st_mode))
        return failed(EISDIR);

    // The new bytes go to a file of their own beside the old one, which is replaced only once they
    // are all on disk.
    QByteArray temporary;
    int created = -1;
    for (int attempt = 0; attempt < 100 && created < 0; ++attempt) {
        temporary = "." + name.left(200) + "." + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".part";
        created = ::openat(folder.get(), temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (created < 0 && errno != EEXIST)
            return failed(errno);
    }
    if (created < 0)
        return failed(EEXIST);
    Descriptor file(created);
    const auto discard = [&](int error) {
        file.release();
        ::unlinkat(folder.get(), temporary.constData(), 0);
        return failed(error);
    };
    if (replacing && ::fchmod(file.get(), old.st_mode & 07777) != 0)
        return discard(errno);
    if (!writeAll(file.get(), bytes))
        return discard(errno);
    if (::fsync(file.get()) != 0)
        return discard(errno);
    errno = 0;
    if (!file.release())
        return discard(errno);
    if (::renameat(folder.get(), temporary.constData(), folder.get(), name.constData()) != 0)
        return discard(errno);
    ::fsync(folder.get());
    return true;
}

bool write(const QString &path, const QByteArray &bytes, QString *reason)
{
    return writeAtBytes(QFile::encodeName(path), bytes, reason);
}

} // namespace PWSaveFile
