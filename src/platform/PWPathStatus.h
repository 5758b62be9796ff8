#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// What stands at a path named by the bytes the system knows it by (a name that is no UTF-8 has no
// faithful QString), links followed: the questions the kernel and the application ask of a path
// before they read or write it, answered here so that they name no system call.
namespace PWPathStatus {

enum class Kind { Missing, RegularFile, Folder, Other };
Kind kindAt(const QByteArray &path);
// The same, and why not when Missing (the errno of the question: ENOENT, EACCES, ELOOP...).
Kind kindAt(const QByteArray &path, int *error);
// Why a path kindAt found Missing cannot be reached, in the system's words (a name too long, a
// loop of links, a folder that may not be searched); empty when it simply does not exist.
QString missingReason(int error);

// A file by its device and inode: two names are of one file when their identities are equal.
struct Identity
{
    quint64 device = 0;
    quint64 inode = 0;
    friend bool operator==(const Identity &, const Identity &) = default;
};
std::optional<Identity> identityAt(const QByteArray &path);

// A file time to the nanosecond.
struct Timestamp
{
    qint64 seconds = 0;
    qint64 nanoseconds = 0;
    friend bool operator==(const Timestamp &, const Timestamp &) = default;
};

// What stands at the path itself, a last link not followed: a link planted in a shared folder
// is told as one, never taken for what it leads to.
struct Entry
{
    Kind kind = Kind::Missing; // a link is Other
    bool isLink = false;
    bool ownedByThisUser = false;
    // Whether the group or other users hold any right on it.
    bool openToOthers = false;
    Identity identity;
    qint64 size = 0;
    Timestamp accessed;
    Timestamp modified;
};
Entry entryAt(const QByteArray &path);
// The same with every link followed (isLink is then never set).
Entry statusAt(const QByteArray &path);

// The number of the user this process runs for.
quint32 userId();

// Whether this user may read the file; whether this user may make files in the folder.
bool isReadable(const QByteArray &path);
bool isWritableFolder(const QByteArray &folder);

// The process's working folder; empty when it cannot be named (it was taken away).
QByteArray workingFolder();

// The absolute name with every link followed; the path itself when it cannot be resolved.
QByteArray resolved(const QByteArray &path);

} // namespace PWPathStatus
