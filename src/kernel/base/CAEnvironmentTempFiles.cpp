#include "kernel/base/CAEnvironment.h"

#include "kernel/base/CAEnvironmentInternal.h"
#include "kernel/base/FTImageUtilities.h"
#include "platform/PWImage.h"
#include "platform/PWFileSystem.h"
#include "platform/PWLog.h"
#include "platform/PWPathStatus.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>


#include <climits>
#include <random>

using CAEnvironmentInternal::appendPath;
using CAEnvironmentInternal::lastPathComponent;

namespace {

const QString kFullSizePrefix = QStringLiteral("FULLSIZE_");

// The process's private folder. A fresh name from mkdtemp (mode 0700) rather than a guessable
// number in the shared temporary directory: another user cannot plant files in it, and a folder
// left by an earlier process is never reused. The folder and its contents go when the process
// exits, through this object's destruction.
struct TempFolder
{
    std::mutex mutex;
    std::unique_ptr<QTemporaryDir> dir;
    int folderNumber = 0;
    std::atomic<int> nextFileID {0};
};

TempFolder &tempFolder()
{
    static TempFolder folder;
    return folder;
}

// The number in the file identities, 1 to 99, chosen once. A generator of our own, so the
// process's standard generator is never reseeded behind other code's back.
int folderNumber()
{
    TempFolder &folder = tempFolder();
    std::lock_guard lock(folder.mutex);
    if (folder.folderNumber == 0) {
        std::random_device seed;
        std::mt19937 generator(seed());
        folder.folderNumber = std::uniform_int_distribution<int>(1, 99)(generator);
    }
    return folder.folderNumber;
}

// A file name that stays inside the folder it is appended to.
bool isPlainFileName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
           && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

bool existsWithoutFollowing(const QString &path)
{
    return PWPathStatus::entryAt(QFile::encodeName(path)).kind != PWPathStatus::Kind::Missing;
}

// Copies a regular file and gives the copy the source's modification time to the nanosecond,
// which is what tells a current copy from a stale one. A copy whose time cannot be set is
// removed again: it would never validate.
bool copyKeepingTime(const QString &source, const QString &target)
{
    const PWPathStatus::Entry info = PWPathStatus::statusAt(QFile::encodeName(source));
    if (info.kind != PWPathStatus::Kind::RegularFile)
        return false;
    if (!QFile::copy(source, target))
        return false;
    if (PWFileSystem::setTimes(QFile::encodeName(target), info.accessed, info.modified) != 0) {
        QFile::remove(target);
        return false;
    }
    return true;
}

} // namespace

QString CAEnvironment::tempPath()
{
    TempFolder &folder = tempFolder();
    std::lock_guard lock(folder.mutex);
    // Made again when something removed it while we ran (a cleaner of the temporary directory).
    if (!folder.dir || !QFileInfo(folder.dir->path()).isDir()) {
        auto dir = std::make_unique<QTemporaryDir>(appendPath(systemTempPath(), QStringLiteral("pw_refimg.XXXXXX")));
        if (!dir->isValid()) {
            PWLog::message(lcEnvironment(), QStringLiteral("can't make the temporary folder in %1: %2")
                                                .arg(systemTempPath(), dir->errorString()));
            return QString();
        }
        folder.dir = std::move(dir);
    }
    return folder.dir->path();
}

bool CAEnvironment::copyFilePathToPath(const QString &source, const QString &folder)
{
    const QString name = lastPathComponent(source);
    if (!isPlainFileName(name) || folder.isEmpty()) {
        PWLog::debug(lcEnvironment(), QStringLiteral("can't copy '%1' to '%2'").arg(source, folder));
        return false;
    }
    QDir().mkpath(folder); // an existing folder is simply used
    const bool copied = copyKeepingTime(source, appendPath(folder, name));
    if (!copied)
        PWLog::debug(lcEnvironment(), QStringLiteral("can't copy '%1' to '%2'").arg(source, folder));
    return copied;
}

bool CAEnvironment::copyToTempPath(const QString &source)
{
    const QString folder = tempPath();
    const QString name = lastPathComponent(source);
    if (folder.isEmpty() || !isPlainFileName(name))
        return false;
    if (existsWithoutFollowing(appendPath(folder, name)))
        return false;
    return copyFilePathToPath(source, folder);
}

bool CAEnvironment::copyFilePathToTempFilePath(const QString &source, const QString &targetName)
{
    const QString folder = tempPath();
    const QString name = lastPathComponent(targetName);
    bool copied = false;
    if (!folder.isEmpty() && !source.isEmpty() && isPlainFileName(name))
        copied = copyKeepingTime(source, appendPath(folder, name));
    if (!copied)
        PWLog::debug(lcEnvironment(), QStringLiteral("can't copy'%1' to temp path").arg(source));
    return copied;
}

bool CAEnvironment::removeFilePathFromTempPath(const QString &path)
{
    const QString folder = tempPath();
    const QString name = lastPathComponent(path);
    // An empty name would stand for the folder itself, ".." for its parent.
    if (folder.isEmpty() || !isPlainFileName(name)) {
        PWLog::debug(lcEnvironment(), QStringLiteral("can't remove '%1' from temp path").arg(path));
        return false;
    }
    const QString target = appendPath(folder, name);
    if (!existsWithoutFollowing(target))
        return true;
    const bool removed = QFile::remove(target);
    if (!removed)
        PWLog::debug(lcEnvironment(), QStringLiteral("can't remove '%1' from temp path").arg(path));
    return removed;
}

QString CAEnvironment::tempFileGUID()
{
    const int number = folderNumber();
    return QStringLiteral("si%1-%2").arg(number).arg(tempFolder().nextFileID.fetch_add(1));
}

QString CAEnvironment::nextTempFileGUIDForPath(const QString &fileName, const QString &folder)
{
    const QString name = lastPathComponent(fileName);
    const QString temp = tempPath();
    if (temp.isEmpty() || !isPlainFileName(name)) {
        PWLog::debug(lcEnvironment(), QStringLiteral("no temporary file name for '%1'").arg(fileName));
        return QString();
    }
    // The extension is what follows the last dot, unless that dot starts the name.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot > 0 ? name.left(dot) : name;
    const QString extension = dot > 0 ? name.mid(dot + 1) : QString();

    QString candidate = name;
    for (int n = 1; existsWithoutFollowing(appendPath(folder, candidate)); ++n) {
        if (n == INT_MAX)
            return QString();
        candidate = QStringLiteral("%1-%2.%3").arg(base).arg(n).arg(extension);
    }
    return appendPath(temp, candidate);
}

bool CAEnvironment::isValidateTempFileGUID(const QString &source)
{
    const QString name = lastPathComponent(source);
    const QString folder = tempPath();
    if (folder.isEmpty() || !isPlainFileName(name))
        return false;
    // The source is read through a link, as the copy was; the copy itself is our own file.
    const PWPathStatus::Entry original = PWPathStatus::statusAt(QFile::encodeName(source));
    if (original.kind == PWPathStatus::Kind::Missing)
        return false;
    const PWPathStatus::Entry copy = PWPathStatus::entryAt(QFile::encodeName(appendPath(folder, name)));
    if (copy.kind == PWPathStatus::Kind::Missing)
        return false;
    return original.modified == copy.modified && original.size == copy.size;
}

std::shared_ptr<PWImage> CAEnvironment::loadFullSizedImage(const QString &name)
{
    if (name.isEmpty())
        return nullptr;
    const QString fullName = name.startsWith(kFullSizePrefix) ? name : kFullSizePrefix + name;
    if (std::shared_ptr<PWImage> registered = PWImage::imageNamed(fullName))
        return registered;

    // The item is the name without the prefix, a path below the clip-art folder. Names come
    // from documents and pasteboards: nothing may reach outside that folder.
    const QString item = fullName.mid(kFullSizePrefix.size());
    if (item.isEmpty() || item.startsWith(QLatin1Char('/')) || item.contains(QChar(0))) {
        PWLog::debug(lcEnvironment(), QStringLiteral("refused the clip-art name '%1'").arg(name));
        return nullptr;
    }
    // The user's library first; what it lacks, the installed one.
    std::shared_ptr<PWImage> image;
    for (const QString &folder : {clipArtPath(), installedClipArtPath()}) {
        if (folder.isEmpty())
            continue;
        const QString path = QDir::cleanPath(appendPath(folder, item));
        if (!path.startsWith(folder + QLatin1Char('/'))) {
            PWLog::debug(lcEnvironment(), QStringLiteral("refused the clip-art name '%1'").arg(name));
            return nullptr;
        }
        QString error;
        if (QFileInfo(item).suffix().compare(QLatin1String("hpi"), Qt::CaseInsensitive) == 0)
            image = loadHemeraImage(path);
        else
            image = PWImage::fromFile(path, &error);
        if (image)
            break;
        PWLog::debug(lcEnvironment(), QStringLiteral("can't load the full-sized picture '%1'%2")
                                          .arg(path, error.isEmpty() ? QString() : QStringLiteral(": ") + error));
    }
    if (!image)
        return nullptr;
    image->setName(fullName);
    return image;
}
