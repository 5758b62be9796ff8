#include "kernel/address/CFTAAddressPanelFiles.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <new>

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
    const Descriptor file(openFile(path, O_RDONLY));
    if (file.get() < 0)
        return errno;
    struct stat status = {};
    // Only a regular file says its size; reading anything else would allocate on a guess.
    if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < 0)
        return kNoStatus;
    if (status.st_size > kMaxReadFileSize)
        return kNoMemory;
    QByteArray buffer;
    try {
        buffer.resize(qsizetype(status.st_size));
    } catch (const std::bad_alloc &) {
        return kNoMemory;
    }
    if (::lseek(file.get(), 0, SEEK_SET) < 0)
        return kNoStatus;
    qsizetype done = 0;
    while (done < buffer.size()) {
        const ssize_t got = ::read(file.get(), buffer.data() + done, std::size_t(buffer.size() - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += got;
    }
    if (done != buffer.size()) {
        report("readFile: short read\n");
        return kShortTransfer;
    }
    *contents = std::move(buffer);
    return 0;
}
