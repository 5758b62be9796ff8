#include "kernel/address/CFTAAddressPanelFiles.h"

#include "platform/PWFileReader.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kShortTransfer = 5;
constexpr int kNoMemory = 12;
constexpr int kNoStatus = -1;

// Closes the descriptor on every way out.
class Descriptor
{
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

int openFile(const QString &path, int flags)
{
    int fd = -1;
    do
        fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC, S_IRUSR | S_IWUSR);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// Writes all bytes, going on after a partial write; false when the file takes no more.
bool writeAll(int fd, const char *bytes, std::size_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, bytes, length);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        length -= std::size_t(written);
    }
    return true;
}

void report(const char *message)
{
    std::fputs(message, stdout);
    std::fflush(stdout);
}

int writeAt(const QString &path, int flags, int whence, const char *bytes, std::size_t length, bool withCR)
{
    const Descriptor file(openFile(path, flags));
    if (file.get() < 0)
        return errno;
    if (::lseek(file.get(), 0, whence) < 0)
        return errno;
    static const char carriageReturn = '\r';
    if ((length > 0 && !bytes) || !writeAll(file.get(), bytes, length)
        || (withCR && !writeAll(file.get(), &carriageReturn, 1))) {
        report("writeFile: short write\n");
        return kShortTransfer;
    }
    return 0;
}

} // namespace

int writeFile(const QString &path, const char *bytes, std::size_t length)
{
    return writeAt(path, O_RDWR | O_CREAT | O_TRUNC, SEEK_SET, bytes, length, false);
}

int appendFileWithCR(const QString &path, const char *bytes, std::size_t length)
{
    return writeAt(path, O_WRONLY | O_CREAT | O_APPEND, SEEK_END, bytes, length, true);
}

int readFile(const QString &path, QByteArray *contents)
{
    if (!contents)
        return kNoStatus;
    contents->clear();
    PWFileReader::Result file = PWFileReader::read(path, kMaxReadFileSize);
    switch (file.status) {
    case PWFileReader::Status::Read:
        *contents = std::move(file.bytes);
        return 0;
    case PWFileReader::Status::CannotOpen:
        return file.systemError;
    case PWFileReader::Status::TooLarge:
    case PWFileReader::Status::OutOfMemory:
        return kNoMemory;
    case PWFileReader::Status::ReadFailed:
        report("readFile: short read\n");
        return kShortTransfer;
    default:
        return kNoStatus;
    }
}
