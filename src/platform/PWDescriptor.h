#pragma once

#include "platform/PWPathStatus.h"

#include <QByteArray>

#include <optional>

#include <sys/types.h>

// One open file descriptor and its one owner: closed when the owner goes, on every way out. The
// system calls on descriptors that the kernel and the application need are made here, so that
// the rest of the program names no system call: an open that is tried again when a signal cuts it
// short and never leaks into a started program, writes that go on after a partial write, and the
// close whose answer tells a late write failure (a network file system reports one there).
class PWDescriptor
{
public:
    PWDescriptor() = default;
    explicit PWDescriptor(int descriptor)
        : m_descriptor(descriptor)
    {
    }
    PWDescriptor(PWDescriptor &&other) noexcept;
    PWDescriptor &operator=(PWDescriptor &&other) noexcept;
    PWDescriptor(const PWDescriptor &) = delete;
    PWDescriptor &operator=(const PWDescriptor &) = delete;
    ~PWDescriptor();

    // The file at path (the bytes the system knows it by) opened with flags (O_CLOEXEC added) and,
    // when made, mode; holds none, errno set, when it cannot be opened.
    static PWDescriptor open(const QByteArray &path, int flags, mode_t mode = 0);
    // The regular file or other thing at path opened to read, never waiting for a writer (a
    // FIFO opens at once) nor taking a terminal for this process's own; holds none, errno set,
    // when it cannot be opened.
    static PWDescriptor openToRead(const QByteArray &path);
    // A new file at path made to write with mode, never over anything of that name; holds none,
    // errno set, when something is there or it cannot be made.
    static PWDescriptor createNew(const QByteArray &path, mode_t mode = 0666);
    // A new file named by pattern, whose trailing XXXXXX are replaced by the name made.
    static PWDescriptor createUnique(QByteArray *pattern);
    // The file at path opened to write, made with mode when missing: emptied first, or with every
    // write going to its end.
    static PWDescriptor openToReplace(const QByteArray &path, mode_t mode);
    static PWDescriptor openToAppend(const QByteArray &path, mode_t mode);
    // The lock file at path, made for this user alone when missing, a link never followed. A lock
    // needs no right to write: a file of another user's that this user may read is opened to read.
    static PWDescriptor openLock(const QByteArray &path);

    // A second descriptor of the same open file, never inherited by a started program; holds
    // none, errno set, when the system gives none.
    static PWDescriptor duplicate(int descriptor);

    int get() const { return m_descriptor; }
    // Hands the descriptor to a new owner (a folder listing): holds none afterwards.
    int release();
    bool isValid() const { return m_descriptor >= 0; }
    // Closes now; answers whether the close succeeded. Holds none afterwards.
    bool close();

    // Writes every byte, going on after a partial write; false, errno set, when the file takes no
    // more (a full disk, the file-size limit).
    bool writeAll(const char *bytes, qsizetype length) const;
    bool writeAll(const QByteArray &bytes) const { return writeAll(bytes.constData(), bytes.size()); }
    // The same through call in place of the system's write (a test makes the disk fill up).
    using WriteCall = ssize_t (*)(int descriptor, const void *data, size_t size);
    static ssize_t systemWrite(int descriptor, const void *data, size_t size);
    bool writeAll(const char *bytes, qsizetype length, WriteCall call) const;
    // Reads up to size bytes, tried again when a signal cuts it short: how many (0 at the end),
    // -1 with errno set on failure.
    qsizetype readSome(char *buffer, qsizetype size) const;
    // Takes the exclusive lock of this open file without waiting (flock: it belongs to the open
    // file, so two holders in one process exclude each other too, and it goes however the
    // process ends); false, errno set (EWOULDBLOCK while another holds it), when not.
    bool tryLockExclusive() const;
    // The identity of the open file; none when it cannot be asked.
    std::optional<PWPathStatus::Identity> identity() const;
    // Moves the position to the end of the file; false, errno set, on failure.
    bool seekToEnd() const;
    // Whether the open file is a regular file (no pipe, device or folder).
    bool isRegularFile() const;
    // A name by which another reader opens the same file, whatever bytes its own name holds.
    QByteArray processPath() const;

private:
    int m_descriptor = -1;
};

// Sends this process's standard output to /dev/null for as long as it lives, and then back: a
// library that prints where an answer is written (a child of PWIsolatedCall answers on its
// standard output) is kept from mixing its lines into it.
class PWSilencedStandardOutput
{
public:
    PWSilencedStandardOutput();
    ~PWSilencedStandardOutput();
    PWSilencedStandardOutput(const PWSilencedStandardOutput &) = delete;
    PWSilencedStandardOutput &operator=(const PWSilencedStandardOutput &) = delete;

private:
    PWDescriptor m_saved;
};
