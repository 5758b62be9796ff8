#include "kernel/address/CFTAAddressPanelFiles.h"

#include "platform/PWDescriptor.h"
#include "platform/PWFileReader.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <utility>

namespace {

constexpr int kShortTransfer = 5;
constexpr int kNoMemory = 12;
constexpr int kNoStatus = -1;

void report(const char *message)
{
    std::fputs(message, stdout);
    std::fflush(stdout);
}

// Files this program makes here are the user's alone.
constexpr mode_t kOwnerReadWrite = 0600;

int writeAt(const QString &path, bool append, const char *bytes, std::size_t length, bool withCR)
{
    const QByteArray name = QFile::encodeName(path);
    const PWDescriptor file =
        append ? PWDescriptor::openToAppend(name, kOwnerReadWrite) : PWDescriptor::openToReplace(name, kOwnerReadWrite);
    if (!file.isValid())
        return errno;
    if (append && !file.seekToEnd())
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
    return writeAt(path, false, bytes, length, false);
}

int appendFileWithCR(const QString &path, const char *bytes, std::size_t length)
{
    return writeAt(path, true, bytes, length, true);
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
