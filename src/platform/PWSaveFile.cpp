#include "platform/PWSaveFile.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QPair>
#include <QSet>
#include <QRandomGenerator>
#include <QSaveFile>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>

#include <dirent.h>
#include <sys/file.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PWSaveFile {

QString failureReason(int error, const QString &qtReason)
{
    switch (error) {
    case ENOSPC:
        return QStringLiteral("the disk is full");
    case EFBIG:
        return QStringLiteral("the file is larger than this system allows");
#ifdef EDQUOT
    case EDQUOT:
        return QStringLiteral("the disk quota is used up");
#endif
    default:
        break;
    }
    if (error != 0 && (qtReason.isEmpty() || qtReason == QLatin1String("Unknown error")))
        return QString::fromLocal8Bit(std::strerror(error));
    return qtReason.isEmpty() ? QStringLiteral("the file could not be written") : qtReason;
}

bool commit(QSaveFile &file, QString *reason)
{
    // QSaveFile::commit closes the file without looking at the flush of its write buffer: a file
    // smaller than that buffer on a full disk would replace the old one empty. The flush is
    // checked here first, while the old file can still be kept.
    errno = 0;
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        const int error = errno;
        if (reason)
            *reason = failureReason(error, file.errorString());
        file.cancelWriting();
        return false;
    }
    errno = 0;
    if (!file.commit()) {
        const int error = errno;
        if (reason)
            *reason = failureReason(error, file.errorString());
        return false;
    }
    return true;
}

namespace {

// Closes a descriptor when it goes out of scope; -1 holds none.
class Descriptor
{
public:
    explicit Descriptor(int descriptor) : m_descriptor(descriptor) { }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor() { release(); }

    int get() const { return m_descriptor; }
    // Closes now and answers whether the close succeeded (a network file system reports a late
    // write failure here).
    bool release()
    {
        const int descriptor = std::exchange(m_descriptor, -1);
        return descriptor < 0 || ::close(descriptor) == 0;
    }

private:
    int m_descriptor;
};

bool writeAll(int descriptor, const QByteArray &bytes)
{
    const char *next = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(descriptor, next, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        next += written;
        left -= written;
    }
    return true;
}


std::function<void()> &beforeReplaceHook()
{
    static std::function<void()> hook;
    return hook;
}

std::atomic<bool> unnamedAllowed {true};

constexpr qsizetype kNameKept = 200;

QByteArray partPrefix(const QByteArray &name)
{
    return "." + name.left(kNameKept) + ".";
}

// Whether entry is the name of a part file of the target whose part prefix is given: the prefix,
// a random tag of digits and lower-case letters, ".part".
bool isPartName(QByteArrayView entry, const QByteArray &prefix)
{
    if (!entry.startsWith(prefix) || !entry.endsWith(".part"))
        return false;
    const QByteArrayView tag = entry.sliced(prefix.size(), entry.size() - prefix.size() - 5);
    return !tag.isEmpty()
           && std::all_of(tag.begin(), tag.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'); });
}

// What this process last saw of a folder: its change time as our last save there left it, and
// the part-file prefixes (".NAME.") of the targets that had part files in it then. A folder no
// one else changed since holds no new part file, so a target without one then needs no listing
// (saving many cards of an address book one file each would otherwise list the folder once per
// card).
struct SeenFolder
{
    QPair<qint64, qint64> changed;
    QSet<QByteArray> withParts;
};
QMutex seenMutex;
QHash<QByteArray, SeenFolder> seenFolders;

std::optional<std::pair<QByteArray, QPair<qint64, qint64>>> folderState(int folder)
{
    struct stat status {};
    if (::fstat(folder, &status) != 0)
        return std::nullopt;
    return std::make_pair(QByteArray::number(quint64(status.st_dev)) + ':' + QByteArray::number(quint64(status.st_ino)),
                          qMakePair(qint64(status.st_mtim.tv_sec), qint64(status.st_mtim.tv_nsec)));
}

// The prefix of the target a part-file name belongs to, or nothing for another name.
std::optional<QByteArray> prefixOfPart(QByteArrayView entry)
{
    if (!entry.startsWith('.') || !entry.endsWith(".part"))
        return std::nullopt;
    const QByteArrayView stem = entry.first(entry.size() - 5);
    const qsizetype dot = stem.lastIndexOf('.');
    if (dot <= 0)
        return std::nullopt;
    const QByteArray prefix = stem.first(dot + 1).toByteArray();
    return isPartName(entry, prefix) ? std::optional(prefix) : std::nullopt;
}

void rememberFolder(int folder, const QSet<QByteArray> &withParts)
{
    if (const auto state = folderState(folder)) {
        QMutexLocker lock(&seenMutex);
        seenFolders.insert(state->first, SeenFolder {state->second, withParts});
    }
}

// Part files of this target left by saves that were killed or lost their machine. A writer
// holds a lock on its part file for as long as it lives, so one that can be locked is stale.
// Answers the prefixes of the targets with part files left in the folder (of running saves,
// or of other targets), for rememberFolder().
QSet<QByteArray> removeStaleParts(int folder, const QByteArray &name)
{
    const QByteArray prefix = partPrefix(name);
    if (const auto state = folderState(folder)) {
        QMutexLocker lock(&seenMutex);
        const auto seen = seenFolders.constFind(state->first);
        if (seen != seenFolders.constEnd() && seen->changed == state->second && !seen->withParts.contains(prefix))
            return seen->withParts;
    }
    const int listing = ::dup(folder);
    if (listing < 0)
        return {prefix};
    DIR *entries = ::fdopendir(listing);
    if (!entries) {
        ::close(listing);
        return {prefix};
    }
    ::rewinddir(entries);
    QList<QByteArray> parts;
    QSet<QByteArray> withParts;
    while (const dirent *entry = ::readdir(entries)) {
        const std::optional<QByteArray> of = prefixOfPart(QByteArrayView(entry->d_name));
        if (of && *of == prefix)
            parts.append(QByteArray(entry->d_name));
        else if (of)
            withParts.insert(*of);
    }
    ::closedir(entries);
    for (const QByteArray &part : std::as_const(parts)) {
        const Descriptor file(::openat(folder, part.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat status {};
        if (file.get() < 0 || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))
            continue;
        if (::flock(file.get(), LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(folder, part.constData(), 0);
        else
            withParts.insert(prefix);
    }
    return withParts;
}

// Why an existing target is not replaced; true when it may be.
bool refusalOf(int folder, const QByteArray &name, const struct stat &old, const QByteArray &shownPath, QString *reason)
{
    const auto refuse = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    if (S_ISDIR(old.st_mode))
        return refuse(failureReason(EISDIR, QString::fromLocal8Bit(std::strerror(EISDIR))));
    if (!S_ISREG(old.st_mode))
        return refuse(QStringLiteral("%1 is not a regular file").arg(QFile::decodeName(shownPath)));
    if (::faccessat(folder, name.constData(), W_OK, 0) != 0) {
        if (errno == EACCES || errno == EPERM)
            return refuse(QStringLiteral("Existing file %1 is not writable").arg(QFile::decodeName(shownPath)));
        if (errno == EROFS)
            return refuse(failureReason(EROFS, QString::fromLocal8Bit(std::strerror(EROFS))));
    }
    return true;
}

// The new file, named beside the target and locked by this process, ready to be renamed.
struct Temporary
{
    QByteArray name;
    std::shared_ptr<Descriptor> file; // held open, and so locked, until the rename
};

bool fillFile(int descriptor, const QByteArray &bytes, const struct stat *old)
{
    if (old && ::fchmod(descriptor, old->st_mode & 07777) != 0)
        return false;
    return writeAll(descriptor, bytes) && ::fsync(descriptor) == 0;
}

QByteArray randomPartName(const QByteArray &name)
{
    return partPrefix(name) + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".part";
}

// The bytes in a file without a name, named only once complete: a save killed before that
// leaves nothing behind. Nothing, without a reason, where the file system has no such files
// (the caller then writes a named one); nothing with a reason when the write itself failed.
std::optional<Temporary> writeUnnamed(int folder, const QByteArray &name, const QByteArray &bytes,
                                      const struct stat *old, QString *reason)
{
#ifdef O_TMPFILE
    auto file = std::make_shared<Descriptor>(::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    if (file->get() < 0)
        return std::nullopt;
    if (!fillFile(file->get(), bytes, old) || ::flock(file->get(), LOCK_EX) != 0) {
        const int error = errno;
        if (reason)
            *reason = failureReason(error, QString::fromLocal8Bit(std::strerror(error)));
        return std::nullopt;
    }
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(file->get());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray temporary = randomPartName(name);
        if (::linkat(AT_FDCWD, self.constData(), folder, temporary.constData(), AT_SYMLINK_FOLLOW) == 0
            || ::linkat(file->get(), "", folder, temporary.constData(), AT_EMPTY_PATH) == 0)
            return Temporary {temporary, file};
        if (errno != EEXIST)
            break;
    }
#else
    Q_UNUSED(folder);
    Q_UNUSED(name);
    Q_UNUSED(bytes);
    Q_UNUSED(old);
    Q_UNUSED(reason);
#endif
    return std::nullopt;
}

// The bytes in a hidden part file beside the target, locked while it is written.
std::optional<Temporary> writeNamed(int folder, const QByteArray &name, const QByteArray &bytes,
                                    const struct stat *old, QString *reason)
{
    const auto failed = [reason](int error) -> std::optional<Temporary> {
        if (reason)
            *reason = failureReason(error, QString::fromLocal8Bit(std::strerror(error)));
        return std::nullopt;
    };
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray temporary = randomPartName(name);
        auto file = std::make_shared<Descriptor>(
            ::openat(folder, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (file->get() < 0) {
            if (errno == EEXIST)
                continue;
            return failed(errno);
        }
        // Another save's clean-up may take a part file between its making and its locking: the
        // name must still be this file's once locked.
        struct stat made {};
        struct stat named {};
        if (::flock(file->get(), LOCK_EX) != 0 || ::fstat(file->get(), &made) != 0
            || ::fstatat(folder, temporary.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0 || made.st_ino != named.st_ino
            || made.st_dev != named.st_dev)
            continue;
        if (!fillFile(file->get(), bytes, old)) {
            const int error = errno;
            ::unlinkat(folder, temporary.constData(), 0);
            return failed(error);
        }
        return Temporary {temporary, file};
    }
    return failed(EEXIST);
}

} // namespace

void setBeforeReplaceHook(std::function<void()> hook)
{
    beforeReplaceHook() = std::move(hook);
}

void setUnnamedTemporaryAllowed(bool allowed)
{
    unnamedAllowed = allowed;
}

bool checkTargetAtBytes(const QByteArray &path, QString *reason)
{
    if (path.isEmpty() || path.contains('\0'))
        return true; // the write itself says why
    QByteArray target = path;
    if (char *resolved = ::realpath(path.constData(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    struct stat old {};
    if (::stat(target.constData(), &old) != 0)
        return true;
    return refusalOf(AT_FDCWD, target, old, path, reason);
}

bool checkTarget(const QString &path, QString *reason)
{
    return checkTargetAtBytes(QFile::encodeName(path), reason);
}

bool open(QSaveFile &file, QString *reason)
{
    if (!checkTarget(file.fileName(), reason))
        return false;
    if (!file.open(QIODevice::WriteOnly)) {
        if (reason)
            *reason = file.errorString();
        return false;
    }
    return true;
}

bool writeAtBytes(const QByteArray &path, const QByteArray &bytes, QString *reason)
{
    const auto failed = [reason](int error) {
        if (reason)
            *reason = failureReason(error, QString::fromLocal8Bit(std::strerror(error)));
        return false;
    };
    if (path.isEmpty() || path.contains('\0'))
        return failed(ENOENT);
    QByteArray target = path;
    if (char *resolved = ::realpath(path.constData(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folderName = slash > 0 ? target.left(slash) : slash == 0 ? QByteArray("/") : QByteArray(".");
    const QByteArray name = target.mid(slash + 1);
    if (name.isEmpty())
        return failed(EISDIR);

    const Descriptor folder(::open(folderName.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0)
        return failed(errno);
    struct stat old {};
    const bool replacing = ::fstatat(folder.get(), name.constData(), &old, 0) == 0;
    if (replacing && !refusalOf(folder.get(), name, old, path, reason))
        return false;
    const QSet<QByteArray> withParts = removeStaleParts(folder.get(), name);

    std::optional<Temporary> temporary;
    QString unnamedFailure;
    if (unnamedAllowed.load())
        temporary = writeUnnamed(folder.get(), name, bytes, replacing ? &old : nullptr, &unnamedFailure);
    if (!unnamedFailure.isEmpty()) {
        if (reason)
            *reason = unnamedFailure;
        return false;
    }
    if (!temporary)
        temporary = writeNamed(folder.get(), name, bytes, replacing ? &old : nullptr, reason);
    if (!temporary)
        return false;
    if (const std::function<void()> &hook = beforeReplaceHook())
        hook();
    if (::renameat(folder.get(), temporary->name.constData(), folder.get(), name.constData()) != 0) {
        const int error = errno;
        ::unlinkat(folder.get(), temporary->name.constData(), 0);
        return failed(error);
    }
    ::fsync(folder.get());
    rememberFolder(folder.get(), withParts);
    return true;
}

bool write(const QString &path, const QByteArray &bytes, QString *reason)
{
    return writeAtBytes(QFile::encodeName(path), bytes, reason);
}

} // namespace PWSaveFile
