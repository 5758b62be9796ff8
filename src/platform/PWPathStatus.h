#pragma once

#include <QByteArray>

#include <optional>

// What stands at a path named by the bytes the system knows it by (a name that is no UTF-8 has no
// faithful QString), links followed: the questions the kernel and the application ask of a path
// before they read or write it, answered here so that they name no system call.
namespace PWPathStatus {

enum class Kind { Missing, RegularFile, Folder, Other };
Kind kindAt(const QByteArray &path);

// A file by its device and inode: two names are of one file when their identities are equal.
struct Identity
{
    quint64 device = 0;
    quint64 inode = 0;
    friend bool operator==(const Identity &, const Identity &) = default;
};
std::optional<Identity> identityAt(const QByteArray &path);

// Whether this user may read the file; whether this user may make files in the folder.
bool isReadable(const QByteArray &path);
bool isWritableFolder(const QByteArray &folder);

// The process's working folder; empty when it cannot be named (it was taken away).
QByteArray workingFolder();

// The absolute name with every link followed; the path itself when it cannot be resolved.
QByteArray resolved(const QByteArray &path);

} // namespace PWPathStatus
