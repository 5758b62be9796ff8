#include "kernel/address/CFTAAddressPanelFiles.h"

#include "platform/PWDescriptor.h"
#include "platform/PWFileReader.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

constexpr int kShortTransfer = 5;
constexpr int kNoMemory = 12;
constexpr int kNoStatus = -1;

void report(const char *message)
{
    std::fputs(message, stdout);
    std::fflush(stdout);
}

int writeAt(const QString &path, int flags, const char *bytes, std::size_t length, bool withCR)
{
    const PWDescriptor file = PWDescriptor::open(QFile::encodeName(path), flags, S_IRUSR | S_IWUSR);
    if (!file.isValid())
        return errno;
    if ((flags & O_APPEND) && !file.seekToEnd())
        return errno;
    if (!file.writeAll(bytes, qsizetype(length)) || (withCR && !file.writeAll("\r", 1))) {
        report("writeFile: short write\n");
        return kShortTransfer;
    }
    return 0;
}

} // namespace

int writeFile(const QString &path, const char *bytes, std::size_t length)
{
    return writeAt(path, O_RDWR | O_CREAT | O_TRUNC, bytes, length, false);
}

int appendFileWithCR(const QString &path, const char *bytes, std::size_t length)
{
    return writeAt(path, O_WRONLY | O_CREAT | O_APPEND, bytes, length, true);
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
