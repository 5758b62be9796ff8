#pragma once

#include <QByteArray>

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

    int get() const { return m_descriptor; }
    bool isValid() const { return m_descriptor >= 0; }
    // Closes now; answers whether the close succeeded. Holds none afterwards.
    bool close();

    // Writes every byte, going on after a partial write; false, errno set, when the file takes no
    // more (a full disk, the file-size limit).
    bool writeAll(const char *bytes, qsizetype length) const;
    bool writeAll(const QByteArray &bytes) const { return writeAll(bytes.constData(), bytes.size()); }
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
