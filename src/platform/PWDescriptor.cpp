#include "platform/PWDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <utility>

#include <cstdlib>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

PWDescriptor::PWDescriptor(PWDescriptor &&other) noexcept
    : m_descriptor(std::exchange(other.m_descriptor, -1))
{
}

PWDescriptor &PWDescriptor::operator=(PWDescriptor &&other) noexcept
{
    if (this != &other) {
        close();
        m_descriptor = std::exchange(other.m_descriptor, -1);
    }
    return *this;
}

PWDescriptor::~PWDescriptor()
{
    close();
}

PWDescriptor PWDescriptor::open(const QByteArray &path, int flags, mode_t mode)
{
    int descriptor = -1;
    do
        descriptor = ::open(path.constData(), flags | O_CLOEXEC, mode);
    while (descriptor < 0 && errno == EINTR);
    return PWDescriptor(descriptor);
}

PWDescriptor PWDescriptor::duplicate(int descriptor)
{
    return PWDescriptor(::fcntl(descriptor, F_DUPFD_CLOEXEC, 0));
}

int PWDescriptor::release()
{
    const int given = m_descriptor;
    m_descriptor = -1;
    return given;
}

PWDescriptor PWDescriptor::openToRead(const QByteArray &path)
{
    return open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY);
}

PWDescriptor PWDescriptor::createNew(const QByteArray &path, mode_t mode)
{
    return open(path, O_WRONLY | O_CREAT | O_EXCL, mode);
}

PWDescriptor PWDescriptor::createUnique(QByteArray *pattern)
{
    if (!pattern) {
        errno = EINVAL;
        return PWDescriptor();
    }
    return PWDescriptor(::mkostemp(pattern->data(), O_CLOEXEC));
}

PWDescriptor PWDescriptor::openToReplace(const QByteArray &path, mode_t mode)
{
    return open(path, O_RDWR | O_CREAT | O_TRUNC, mode);
}

PWDescriptor PWDescriptor::openToAppend(const QByteArray &path, mode_t mode)
{
    return open(path, O_WRONLY | O_CREAT | O_APPEND, mode);
}

PWDescriptor PWDescriptor::openLock(const QByteArray &path)
{
    PWDescriptor lock = open(path, O_RDWR | O_CREAT | O_NOFOLLOW, S_IRUSR | S_IWUSR);
    if (!lock.isValid() && (errno == EACCES || errno == EPERM))
        lock = open(path, O_RDONLY | O_NONBLOCK | O_NOFOLLOW);
    return lock;
}

bool PWDescriptor::close()
{
    const int descriptor = std::exchange(m_descriptor, -1);
    return descriptor < 0 || ::close(descriptor) == 0;
}

ssize_t PWDescriptor::systemWrite(int descriptor, const void *data, size_t size)
{
    return ::write(descriptor, data, size);
}

bool PWDescriptor::writeAll(const char *bytes, qsizetype length) const
{
    return writeAll(bytes, length, &systemWrite);
}

bool PWDescriptor::writeAll(const char *bytes, qsizetype length, WriteCall call) const
{
    if (!call)
        call = &systemWrite;
    if (length > 0 && !bytes) {
        errno = EINVAL;
        return false;
    }
    while (length > 0) {
        const ssize_t written = call(m_descriptor, bytes, size_t(length));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return false;
        if (written == 0) {
            errno = EIO;
            return false;
        }
        bytes += written;
        length -= written;
    }
    return true;
}

qsizetype PWDescriptor::readSome(char *buffer, qsizetype size) const
{
    ssize_t got = -1;
    do
        got = ::read(m_descriptor, buffer, size_t(std::max<qsizetype>(size, 0)));
    while (got < 0 && errno == EINTR);
    return qsizetype(got);
}

bool PWDescriptor::tryLockExclusive() const
{
    return ::flock(m_descriptor, LOCK_EX | LOCK_NB) == 0;
}

std::optional<PWPathStatus::Identity> PWDescriptor::identity() const
{
    struct stat status {};
    if (m_descriptor < 0 || ::fstat(m_descriptor, &status) != 0)
        return std::nullopt;
    return PWPathStatus::Identity {quint64(status.st_dev), quint64(status.st_ino)};
}

bool PWDescriptor::seekToEnd() const
{
    return ::lseek(m_descriptor, 0, SEEK_END) >= 0;
}

bool PWDescriptor::isRegularFile() const
{
    struct stat status {};
    return m_descriptor >= 0 && ::fstat(m_descriptor, &status) == 0 && S_ISREG(status.st_mode);
}

QByteArray PWDescriptor::processPath() const
{
    return "/proc/self/fd/" + QByteArray::number(m_descriptor);
}

PWSilencedStandardOutput::PWSilencedStandardOutput()
{
    std::fflush(stdout);
    m_saved = PWDescriptor::duplicate(STDOUT_FILENO);
    const PWDescriptor null = PWDescriptor::open("/dev/null", O_WRONLY);
    if (m_saved.isValid() && null.isValid())
        ::dup2(null.get(), STDOUT_FILENO);
}

PWSilencedStandardOutput::~PWSilencedStandardOutput()
{
    std::fflush(stdout);
    if (m_saved.isValid())
        ::dup2(m_saved.get(), STDOUT_FILENO);
}
