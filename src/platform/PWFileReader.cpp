#include "platform/PWFileReader.h"

#include "platform/PWDescriptor.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Result = PWFileReader::Result;
using Status = PWFileReader::Status;

// A file that grows while it is read (or says it is empty, as some system files do) is read on
// in steps of this size, so its limit is met without a buffer far beyond it.
constexpr qsizetype kStep = qsizetype(1) << 20;

// Beyond any file the system reads, and far from overflowing a size.
constexpr qint64 kLimitCeiling = qint64(1) << 40;

Result refused(Status status, const QString &reason, int systemError = 0)
{
    Result result;
    result.status = status;
    result.reason = reason;
    result.systemError = systemError;
    return result;
}

QString tooLarge()
{
    return QStringLiteral("the file is too large");
}

QString notRegular()
{
    return QStringLiteral("not a regular file");
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Reads up to length bytes, fewer only at the end of the file; -1 (errno set) on failure.
qsizetype fill(int fd, char *into, qsizetype length)
{
    qsizetype done = 0;
    while (done < length) {
        const ssize_t got = ::read(fd, into + done, std::size_t(length - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

Result readResource(const QString &path, qint64 maxBytes, const PWFileReader::Signature &signature)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refused(Status::CannotOpen, file.errorString());
    if (file.size() > maxBytes)
        return refused(Status::TooLarge, tooLarge());
    if (signature.matches && !signature.matches(QByteArrayView(file.peek(signature.headBytes))))
        return refused(Status::NotOfKind, signature.refusal);
    // Resources are held in memory at the size they claim.
    Result result;
    result.bytes = file.readAll();
    if (result.bytes.size() > maxBytes)
        return refused(Status::TooLarge, tooLarge());
    result.status = Status::Read;
    return result;
}

Result readDescriptor(int fd, qint64 maxBytes, const PWFileReader::Signature &signature)
{
    struct stat status = {};
    if (::fstat(fd, &status) != 0)
        return refused(Status::ReadFailed, systemReason(errno), errno);
    if (!S_ISREG(status.st_mode))
        return refused(Status::NotRegularFile, notRegular());
    if (status.st_size > maxBytes)
        return refused(Status::TooLarge, tooLarge());

    // One byte over the size the file claims tells a file that grew from one that did not.
    const qsizetype expected = qsizetype(std::clamp<qint64>(status.st_size, 0, maxBytes)) + 1;
    QByteArray bytes;
    qsizetype done = 0;
    if (signature.matches) {
        bytes.resize(std::clamp<qsizetype>(signature.headBytes, 0, expected));
        done = fill(fd, bytes.data(), bytes.size());
        if (done < 0)
            return refused(Status::ReadFailed, systemReason(errno), errno);
        if (!signature.matches(QByteArrayView(bytes.constData(), done)))
            return refused(Status::NotOfKind, signature.refusal);
    }
    // The head may have reached the end of the file already. The bytes are held at the size the
    // file claims, not at the room a growing array would take on the way there.
    bool atEnd = done < bytes.size();
    if (!atEnd)
        bytes.reserve(expected);
    while (!atEnd) {
        if (bytes.size() > maxBytes)
            return refused(Status::TooLarge, tooLarge());
        const qsizetype wanted = bytes.size() < expected ? expected : bytes.size() + kStep;
        bytes.resize(qsizetype(std::min<qint64>(wanted, maxBytes + 1)));
        const qsizetype got = fill(fd, bytes.data() + done, bytes.size() - done);
        if (got < 0)
            return refused(Status::ReadFailed, systemReason(errno), errno);
        done += got;
        atEnd = done < bytes.size();
    }
    bytes.truncate(done);
    Result result;
    result.status = Status::Read;
    result.bytes = std::move(bytes);
    return result;
}

Result readChecked(const QString &path, qint64 maxBytes, const PWFileReader::Signature &signature)
{
    maxBytes = std::clamp<qint64>(maxBytes, 0, kLimitCeiling);
    if (path.isEmpty())
        return refused(Status::CannotOpen, QStringLiteral("no file was named"), ENOENT);
    if (path.startsWith(QLatin1Char(':')))
        return readResource(path, maxBytes, signature);

    const QByteArray name = QFile::encodeName(path);
    // A device is refused before it is opened: opening some (a tape, a serial line) acts on them.
    struct stat named = {};
    if (::stat(name.constData(), &named) == 0 && !S_ISREG(named.st_mode))
        return refused(Status::NotRegularFile, notRegular());
    const PWDescriptor file = PWDescriptor::open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (!file.isValid()) {
        const int error = errno;
        return refused(Status::CannotOpen, systemReason(error), error);
    }
    return readDescriptor(file.get(), maxBytes, signature);
}

} // namespace

PWFileReader::Result PWFileReader::read(const QString &path, qint64 maxBytes, const Signature &signature) noexcept
{
    try {
        return readChecked(path, maxBytes, signature);
    } catch (const std::bad_alloc &) {
        return refused(Status::OutOfMemory, QStringLiteral("there is not enough memory to read the file"));
    } catch (...) {
        return refused(Status::ReadFailed, QStringLiteral("the file could not be read"));
    }
}

PWFileReader::Result PWFileReader::read(const QString &path, qint64 maxBytes) noexcept
{
    static const Signature any;
    return read(path, maxBytes, any);
}

bool PWFileReader::looksLikePropertyList(QByteArrayView head)
{
    if (head.startsWith("bplist"))
        return true;
    if (head.startsWith("\xEF\xBB\xBF"))
        head = head.sliced(3);
    while (!head.isEmpty() && (head.front() == ' ' || head.front() == '\t' || head.front() == '\n'
                               || head.front() == '\r'))
        head = head.sliced(1);
    return head.startsWith('<');
}

PWFileReader::Signature PWFileReader::propertyListSignature()
{
    return Signature{&looksLikePropertyList, 4096, QStringLiteral("the file is not a property list")};
}
