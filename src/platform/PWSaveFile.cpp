#include "platform/PWSaveFile.h"

#include "platform/PWDescriptor.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QPair>
#include <QSet>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QVariant>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
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

namespace {

std::function<void()> &beforeReplaceHook()
{
    static std::function<void()> hook;
    return hook;
}

std::atomic<bool> unnamedAllowed {true};

constexpr qsizetype kNameKept = 200;

// Part files are named ".NAME.pwsave-TAG.part", TAG exactly kTagLength digits and lower-case
// letters: a name the user gave a file of their own (".notes.old.part", say) is never taken for
// one, and only part files are ever removed.
constexpr QByteArrayView kPartMarker = "pwsave-";
constexpr QByteArrayView kPartEnd = ".part";
constexpr qsizetype kTagLength = 13; // 64 random bits in base 36

QByteArray partPrefix(const QByteArray &name)
{
    return "." + name.left(kNameKept) + ".";
}

// Whether entry is the name of a part file of the target whose part prefix is given.
bool isPartName(QByteArrayView entry, const QByteArray &prefix)
{
    if (entry.size() != prefix.size() + kPartMarker.size() + kTagLength + kPartEnd.size()
        || !entry.startsWith(prefix) || !entry.sliced(prefix.size()).startsWith(kPartMarker)
        || !entry.endsWith(kPartEnd))
        return false;
    const QByteArrayView tag = entry.sliced(prefix.size() + kPartMarker.size(), kTagLength);
    return std::all_of(tag.begin(), tag.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'); });
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
    const qsizetype tail = kPartMarker.size() + kTagLength + kPartEnd.size();
    if (!entry.startsWith('.') || entry.size() < tail + 3 || entry[entry.size() - tail - 1] != '.')
        return std::nullopt;
    const QByteArray prefix = entry.first(entry.size() - tail).toByteArray();
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
    // A copy for the listing to own; a program started meanwhile must not inherit it.
    PWDescriptor listing = PWDescriptor::duplicate(folder);
    if (!listing.isValid())
        return {prefix};
    DIR *entries = ::fdopendir(listing.get());
    if (!entries)
        return {prefix};
    listing.release();
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
        const PWDescriptor file(::openat(folder, part.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
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

// Link owners a save trusts: the kernel's rule for protected links. In a folder every user may
// write to and only owners may delete from (the shared temporary folder), a link is followed only
// when this user or the folder's owner made it. Another user's link there is a trap: named like
// the file a save or export is about to make, it would lead the save onto a file of this user's.
bool isTrustedLink(const struct stat &link, const QByteArray &folder)
{
    struct stat status {};
    if (::stat(folder.isEmpty() ? "/" : folder.constData(), &status) != 0)
        return true;
    const bool shared = (status.st_mode & S_ISVTX) != 0 && (status.st_mode & S_IWOTH) != 0;
    return !shared || link.st_uid == ::geteuid() || link.st_uid == status.st_uid;
}

// The whole text of a link. The size the link reports is only a first guess: the system's own
// links (/proc/self/cwd, /dev/fd/N) report none, and a link may change between lstat and
// readlink, so the buffer grows until the answer leaves room in it.
QByteArray linkText(const QByteArray &path, qint64 claimed)
{
    qsizetype room = qsizetype(std::clamp<qint64>(claimed, 0, PATH_MAX)) + 1;
    for (;;) {
        QByteArray text(std::max<qsizetype>(room, 64), Qt::Uninitialized);
        const ssize_t got = ::readlink(path.constData(), text.data(), size_t(text.size()));
        if (got < 0)
            return QByteArray();
        if (got < text.size())
            return text.left(got);
        // No link names more than the longest path the system takes.
        if (text.size() > 16 * PATH_MAX) {
            errno = ENAMETOOLONG;
            return QByteArray();
        }
        room = text.size() * 2;
    }
}

// The absolute name path leads to with its links followed, as far as the path exists (a file to
// be made has no name of its own yet), checked link by link: nothing, with the reason, for a link
// that is not followed.
std::optional<QByteArray> resolveForWriting(const QByteArray &path, QString *reason)
{
    const auto refuse = [reason](const QString &why) -> std::optional<QByteArray> {
        if (reason)
            *reason = why;
        return std::nullopt;
    };
    QByteArray resolved; // absolute; empty stands for "/"
    if (!path.startsWith('/')) {
        char *current = ::getcwd(nullptr, 0);
        if (!current)
            return refuse(QString::fromLocal8Bit(std::strerror(errno)));
        resolved = QByteArray(current);
        std::free(current);
        if (resolved == "/")
            resolved.clear();
    }
    QList<QByteArray> rest = path.split('/');
    int links = 0;
    while (!rest.isEmpty()) {
        const QByteArray part = rest.takeFirst();
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            resolved.truncate(std::max<qsizetype>(0, resolved.lastIndexOf('/')));
            continue;
        }
        const QByteArray next = resolved + '/' + part;
        struct stat entry {};
        if (::lstat(next.constData(), &entry) != 0 || !S_ISLNK(entry.st_mode)) {
            resolved = next;
            continue;
        }
        if (++links > 40)
            return refuse(QString::fromLocal8Bit(std::strerror(ELOOP)));
        if (!isTrustedLink(entry, resolved))
            return refuse(QStringLiteral("%1 is a link another user made in a shared folder; it is not followed")
                              .arg(QFile::decodeName(next)));
        const QByteArray target = linkText(next, entry.st_size);
        if (target.isEmpty())
            return refuse(QString::fromLocal8Bit(std::strerror(errno ? errno : ENOENT)));
        if (target.startsWith('/'))
            resolved.clear();
        rest = target.split('/') + rest;
    }
    return resolved.isEmpty() ? QByteArray("/") : resolved;
}

// What stood at a name when it was checked: a file (by device and inode) or nothing.
struct Identity
{
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;

    bool operator==(const Identity &other) const
    {
        return exists == other.exists && (!exists || (device == other.device && inode == other.inode));
    }
};

Identity identityOf(const struct stat &status)
{
    return Identity {true, status.st_dev, status.st_ino};
}

// The entry itself, never what a link there leads to.
std::optional<Identity> entryAt(int folder, const QByteArray &name)
{
    struct stat status {};
    if (::fstatat(folder, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? std::optional(Identity {}) : std::nullopt;
    return identityOf(status);
}

QString changedReason(const QByteArray &shownPath)
{
    return QStringLiteral("%1 was changed by someone else while it was being saved; it was left as it is")
        .arg(QFile::decodeName(shownPath));
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
    std::shared_ptr<PWDescriptor> file; // held open, and so locked, until the rename
};

bool fillFile(const PWDescriptor &file, const QByteArray &bytes, const struct stat *old)
{
    if (old && ::fchmod(file.get(), old->st_mode & 07777) != 0)
        return false;
    return file.writeAll(bytes) && ::fsync(file.get()) == 0;
}

QByteArray randomPartName(const QByteArray &name)
{
    const QByteArray tag = QByteArray::number(QRandomGenerator::global()->generate64(), 36);
    return partPrefix(name) + kPartMarker.toByteArray() + QByteArray(kTagLength - tag.size(), '0') + tag
           + kPartEnd.toByteArray();
}

// The bytes in a file without a name, named only once complete: a save killed before that
// leaves nothing behind. Nothing, without a reason, where the file system has no such files
// (the caller then writes a named one); nothing with a reason when the write itself failed.
std::optional<Temporary> writeUnnamed(int folder, const QByteArray &name, const QByteArray &bytes,
                                      const struct stat *old, QString *reason)
{
#ifdef O_TMPFILE
    auto file = std::make_shared<PWDescriptor>(::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    if (file->get() < 0)
        return std::nullopt;
    if (!fillFile(*file, bytes, old) || ::flock(file->get(), LOCK_EX) != 0) {
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
        auto file = std::make_shared<PWDescriptor>(
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
        if (!fillFile(*file, bytes, old)) {
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

namespace {

// The target of a QSaveFile as open() checked it, kept on the file until commit().
const char *const kCheckedName = "pwSaveFileCheckedName";
const char *const kCheckedExists = "pwSaveFileCheckedExists";
const char *const kCheckedDevice = "pwSaveFileCheckedDevice";
const char *const kCheckedInode = "pwSaveFileCheckedInode";

// What stands at the resolved target now, with the refusal of what may not be replaced.
std::optional<Identity> checkedEntry(const QByteArray &target, const QByteArray &shownPath, QString *reason)
{
    struct stat old {};
    if (::lstat(target.constData(), &old) != 0)
        return Identity {}; // nothing there yet, or the write itself says why
    // A link where the resolution found none was put there meanwhile.
    if (S_ISLNK(old.st_mode)) {
        if (reason)
            *reason = changedReason(shownPath);
        return std::nullopt;
    }
    if (!refusalOf(AT_FDCWD, target, old, shownPath, reason))
        return std::nullopt;
    return identityOf(old);
}

// The checked target held open (without any right to read it) for as long as the QSaveFile
// lives, so that its inode number cannot pass to a file made in its place.
class HeldTarget : public QObject
{
public:
    HeldTarget(int descriptor, QObject *file)
        : QObject(file)
        , m_descriptor(descriptor)
    {
    }
    ~HeldTarget() override { m_descriptor.close(); }

private:
    PWDescriptor m_descriptor;
};

// Whether what stands at the QSaveFile's target is what open() checked; the reason otherwise.
bool stillAsChecked(const QSaveFile &file, QString *reason)
{
    const QVariant name = file.property(kCheckedName);
    if (!name.isValid())
        return true;
    struct stat now {};
    Identity current;
    if (::lstat(name.toByteArray().constData(), &now) == 0)
        current = identityOf(now);
    const Identity checked {file.property(kCheckedExists).toBool(), dev_t(file.property(kCheckedDevice).toULongLong()),
                            ino_t(file.property(kCheckedInode).toULongLong())};
    if (current == checked)
        return true;
    if (reason)
        *reason = changedReason(QFile::encodeName(file.fileName()));
    return false;
}

} // namespace

bool checkTargetAtBytes(const QByteArray &path, QString *reason)
{
    if (path.isEmpty() || path.contains('\0'))
        return true; // the write itself says why
    const std::optional<QByteArray> target = resolveForWriting(path, reason);
    return target && checkedEntry(*target, path, reason).has_value();
}

bool checkTarget(const QString &path, QString *reason)
{
    return checkTargetAtBytes(QFile::encodeName(path), reason);
}

bool open(File &file, QString *reason)
{
    const QByteArray path = QFile::encodeName(file.fileName());
    if (path.isEmpty() || path.contains('\0')) {
        if (reason)
            *reason = failureReason(ENOENT, QString());
        return false;
    }
    const std::optional<QByteArray> target = resolveForWriting(path, reason);
    if (!target)
        return false;
    std::optional<Identity> checked = checkedEntry(*target, path, reason);
    if (!checked)
        return false;
    if (checked->exists) {
        const int held = ::open(target->constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
        struct stat status {};
        if (held >= 0)
            new HeldTarget(held, &file);
        if (held < 0 || ::fstat(held, &status) != 0 || !(identityOf(status) == *checked)) {
            if (reason)
                *reason = changedReason(path);
            return false;
        }
    }
    // The file is written at the name the links were checked to lead to: QSaveFile follows links
    // again by itself, and what it found there would be unchecked.
    if (QFile::encodeName(QFile::decodeName(*target)) == *target)
        file.setFileName(QFile::decodeName(*target));
    file.setProperty(kCheckedName, *target);
    file.setProperty(kCheckedExists, checked->exists);
    file.setProperty(kCheckedDevice, qulonglong(checked->device));
    file.setProperty(kCheckedInode, qulonglong(checked->inode));
    if (!file.open(QIODevice::WriteOnly)) {
        if (reason)
            *reason = file.errorString();
        return false;
    }
    if (!stillAsChecked(file, reason)) {
        file.cancelWriting();
        return false;
    }
    return true;
}

qint64 File::writeData(const char *data, qint64 length)
{
    if (m_failedWrite != 0)
        return -1;
    qint64 done = 0;
    while (done < length) {
        errno = 0;
        const qint64 written = QSaveFile::writeData(data + done, length - done);
        if (written <= 0) {
            // The rest of a write cut short is written again, so that the system names the reason.
            const int error = errno;
            m_failedWrite = error != 0 ? error : (this->error() == QFileDevice::ResourceError ? ENOSPC : EIO);
            return -1;
        }
        done += written;
    }
    return length;
}

bool commit(File &file, QString *reason)
{
    if (file.failedWrite() != 0) {
        if (reason)
            *reason = failureReason(file.failedWrite(), QString::fromLocal8Bit(std::strerror(file.failedWrite())));
        file.cancelWriting();
        return false;
    }
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
    // What is replaced must be what open() checked: a link put in its place meanwhile would have
    // the new file replace whatever it leads to.
    if (!stillAsChecked(file, reason)) {
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

bool writeAtBytes(const QByteArray &path, const QByteArray &bytes, QString *reason)
{
    const auto failed = [reason](int error) {
        if (reason)
            *reason = failureReason(error, QString::fromLocal8Bit(std::strerror(error)));
        return false;
    };
    const auto refuse = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    if (path.isEmpty() || path.contains('\0'))
        return failed(ENOENT);
    const std::optional<QByteArray> target = resolveForWriting(path, reason);
    if (!target)
        return false;
    const qsizetype slash = target->lastIndexOf('/');
    const QByteArray folderName = slash > 0 ? target->left(slash) : QByteArray("/");
    const QByteArray name = target->mid(slash + 1);
    if (name.isEmpty())
        return failed(EISDIR);

    // The folder as resolved, never a link put in its place since.
    const PWDescriptor folder(::open(folderName.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.get() < 0)
        return errno == ELOOP ? refuse(changedReason(path)) : failed(errno);
    struct stat old {};
    const bool replacing = ::fstatat(folder.get(), name.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    // A name the folder cannot hold (too long, ...) is told now, by the system's reason: the
    // check before the rename would see no entry it could name and take it for a change.
    if (!replacing && errno != ENOENT)
        return failed(errno);
    if (replacing && S_ISLNK(old.st_mode))
        return refuse(changedReason(path));
    if (replacing && !refusalOf(folder.get(), name, old, path, reason))
        return false;
    // The checked file is held (not opened for reading: it needs no right to) until the replace,
    // so that its inode number cannot pass to a file made in its place meanwhile.
    const PWDescriptor held(replacing ? ::openat(folder.get(), name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC) : -1);
    struct stat heldStatus {};
    if (replacing && (held.get() < 0 || ::fstat(held.get(), &heldStatus) != 0 || !(identityOf(heldStatus) == identityOf(old))))
        return refuse(changedReason(path));
    const Identity checked = replacing ? identityOf(old) : Identity {};
    const QSet<QByteArray> withParts = removeStaleParts(folder.get(), name);

    std::optional<Temporary> temporary;
    QString unnamedFailure;
    if (unnamedAllowed.load())
        temporary = writeUnnamed(folder.get(), name, bytes, replacing ? &old : nullptr, &unnamedFailure);
    if (!unnamedFailure.isEmpty())
        return refuse(unnamedFailure);
    if (!temporary)
        temporary = writeNamed(folder.get(), name, bytes, replacing ? &old : nullptr, reason);
    if (!temporary)
        return false;
    if (const std::function<void()> &hook = beforeReplaceHook())
        hook();
    // What the rename replaces must be what was checked: a link or another file put there while
    // the bytes were written is left as it is.
    if (entryAt(folder.get(), name) != std::optional(checked)) {
        ::unlinkat(folder.get(), temporary->name.constData(), 0);
        return refuse(changedReason(path));
    }
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
