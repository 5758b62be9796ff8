#include "platform/PWDescriptor.h"

#include <cerrno>
#include <cstdio>
#include <utility>

#include <fcntl.h>
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

bool PWDescriptor::close()
{
    const int descriptor = std::exchange(m_descriptor, -1);
    return descriptor < 0 || ::close(descriptor) == 0;
}

bool PWDescriptor::writeAll(const char *bytes, qsizetype length) const
{
    if (length > 0 && !bytes) {
        errno = EINVAL;
        return false;
    }
    while (length > 0) {
        const ssize_t written = ::write(m_descriptor, bytes, size_t(length));
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
    m_saved = PWDescriptor(::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0));
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
