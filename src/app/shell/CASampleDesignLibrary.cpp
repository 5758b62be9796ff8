#include "app/shell/CASampleDesignLibrary.h"

#include "app/shell/CAShellLog.h"
#include "kernel/base/CAContentLibraryGate.h"
#include "kernel/base/CAEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <future>

namespace {

const QString kTemplatesFolder = QStringLiteral("Parcelwick/Templates");
const QString kClipArtFolder = QStringLiteral("ClipArt");
const QString kBasicShapesFolder = QStringLiteral("BasicShapes");
const QString kPostArtFolder = QStringLiteral("PostArt");
const QString kMasksFolder = QStringLiteral("Masks");

bool copyTree(const QString &from, const QString &to, QString *error)
{
    const QDir source(from);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    if (!QDir().mkpath(to)) {
        *error = QStringLiteral("cannot make %1").arg(to);
        return false;
    }
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        const QString target = QDir(to).filePath(source.relativeFilePath(path));
        if (info.isDir()) {
            if (!QDir().mkpath(target)) {
                *error = QStringLiteral("cannot make %1").arg(target);
                return false;
            }
        } else if (info.isFile()) {
            QDir().mkpath(QFileInfo(target).absolutePath());
            if (!QFile::copy(path, target)) {
                *error = QStringLiteral("cannot copy %1 to %2").arg(path, target);
                return false;
            }
        }
    }
    return true;
}

// The background copies of this process, and whether the running thread is the one making them.
std::shared_future<void> s_seeding;
thread_local bool t_seeding = false;

bool hasEntries(const QString &folder)
{
    return !QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty();
}

// Written into a seeded folder once every shipped file is in it: a folder with entries and
// without it was left incomplete (a start that ended while copying) and is completed.
const QString kCompleteMarker = QStringLiteral(".parcelwick-seeded");
// How long a start waits for another one seeding the same folder.
constexpr int kSeedLockWaitMs = 120000;

bool writeMarker(const QString &folder)
{
    QFile marker(QDir(folder).filePath(kCompleteMarker));
    return marker.open(QIODevice::WriteOnly) && marker.write("complete\n") > 0 && marker.flush();
}

// Copies every shipped file the folder lacks, each under a passing name first so that an ended
// copy leaves no short file under the real one; files already there are the user's and stay.
// copied counts the files copied.
bool completeTree(const QString &from, const QString &to, int *copied, QString *error)
{
    const QDir source(from);
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = QDir(to).filePath(source.relativeFilePath(path));
        if (QFileInfo::exists(target))
            continue;
        const QString passing = target + QStringLiteral(".incoming");
        QFile::remove(passing);
        if (!QDir().mkpath(QFileInfo(target).absolutePath()) || !QFile::copy(path, passing)
            || !QFile::rename(passing, target)) {
            QFile::remove(passing);
            *error = QStringLiteral("cannot copy %1 to %2").arg(path, target);
            return false;
        }
        ++*copied;
    }
    return true;
}

} // namespace

QString CASampleDesignLibrary::shippedLibraryPath()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    QStringList candidates{QDir(programFolder).absoluteFilePath(QStringLiteral("../share/parcelwick/Library"))};
    // A program run from the build tree reads the content made there; an installed one only what was
    // installed beside it, so that a package missing its content shows at once, not on the builder's machine.
    const QString buildTree = QFileInfo(QStringLiteral(PW_BUILD_TREE_DIR)).canonicalFilePath();
    const QString running = QFileInfo(programFolder).canonicalFilePath();
    if (!buildTree.isEmpty() && (running == buildTree || running.startsWith(buildTree + QLatin1Char('/'))))
        candidates.append(QStringLiteral(PW_SAMPLE_LIBRARY_BUILD_DIR));
    for (const QString &candidate : std::as_const(candidates)) {
        if (QFileInfo(QDir(candidate).filePath(kTemplatesFolder)).isDir())
            return QDir::cleanPath(candidate);
    }
    return QString();
}

QString CASampleDesignLibrary::shippedTemplatesPath(const QString &library, const QString &localization)
{
    if (library.isEmpty())
        return QString();
    const QDir templates(QDir(library).filePath(kTemplatesFolder));
    for (const QString &folder : {localization, QStringLiteral("en.lproj")}) {
        if (!folder.isEmpty() && QFileInfo(templates.filePath(folder)).isDir())
            return templates.filePath(folder);
    }
    return QString();
}

bool CASampleDesignLibrary::installIfMissing(const QString &shippedTemplates, const QString &target, QString *error)
{
    QString reason;
    const QString folder = QDir::cleanPath(target);
    if (shippedTemplates.isEmpty() || !QFileInfo(shippedTemplates).isDir()
        || QFileInfo::exists(QDir(folder).filePath(kCompleteMarker)))
        return true;
    // A library pointed at the shipped one is complete as it is, and not ours to mark.
    if (QFileInfo(folder).canonicalFilePath() == QFileInfo(shippedTemplates).canonicalFilePath())
        return true;
    const auto failed = [&](const QString &why) {
        qCWarning(lcShell).noquote() << QStringLiteral("The shipped content %1 was not copied: %2").arg(shippedTemplates, why);
        if (error)
            *error = why;
        return false;
    };
    // Starts at the same moment seed one after another: the staging folder is one start's
    // alone, and a later start finds the work done.
    if (!QDir().mkpath(QFileInfo(folder).absolutePath()))
        return failed(QStringLiteral("cannot make %1").arg(QFileInfo(folder).absolutePath()));
    QLockFile lock(folder + QStringLiteral(".lock"));
    lock.setStaleLockTime(0); // stale only when its start is gone, however long a copy takes
    if (!lock.tryLock(kSeedLockWaitMs))
        return failed(QStringLiteral("another start is still copying into %1").arg(folder));
    if (QFileInfo::exists(QDir(folder).filePath(kCompleteMarker)))
        return true;
    if (hasEntries(folder)) {
        int copied = 0;
        if (!completeTree(shippedTemplates, folder, &copied, &reason))
            return failed(reason);
        // A folder that lacked nothing but takes no mark (read-only, say) is complete all the same.
        if (!writeMarker(folder) && copied > 0)
            return failed(QStringLiteral("cannot mark %1 complete").arg(folder));
        return true;
    }
    const QString staging = folder + QStringLiteral(".incoming");
    QDir(staging).removeRecursively();
    bool done = copyTree(shippedTemplates, staging, &reason);
    if (done && !writeMarker(staging)) {
        done = false;
        reason = QStringLiteral("cannot mark %1 complete").arg(staging);
    }
    if (done) {
        // An empty folder in the way would stop the rename; one with entries was never due a copy.
        QDir().rmdir(target);
        QDir().mkpath(QFileInfo(QDir::cleanPath(target)).absolutePath());
        done = QDir().rename(staging, QDir::cleanPath(target));
        if (!done)
            reason = QStringLiteral("cannot move %1 to %2").arg(staging, target);
    }
    if (!done) {
        QDir(staging).removeRecursively();
        return failed(reason);
    }
    return done;
}

bool CASampleDesignLibrary::installFolderIfMissing(const QString &folder, const QString &library,
                                                   const QString &targetLibrary, QString *error)
{
    if (library.isEmpty() || targetLibrary.isEmpty())
        return true;
    return installIfMissing(QDir(library).filePath(folder), QDir(targetLibrary).filePath(folder), error);
}

bool CASampleDesignLibrary::installClipArtIfMissing(const QString &library, const QString &targetLibrary, QString *error)
{
    return installFolderIfMissing(kClipArtFolder, library, targetLibrary, error);
}

bool CASampleDesignLibrary::installClipArtForUser(QString *error)
{
    return installClipArtIfMissing(shippedLibraryPath(), CAEnvironment::sharedContentLibraryPath(), error);
}

bool CASampleDesignLibrary::installBasicShapesIfMissing(const QString &library, const QString &targetLibrary,
                                                        QString *error)
{
    return installFolderIfMissing(kBasicShapesFolder, library, targetLibrary, error);
}

QString CASampleDesignLibrary::shippedPostArtPath(const QString &library)
{
    if (library.isEmpty())
        return QString();
    const QString folder = QDir(library).filePath(kPostArtFolder);
    return QFileInfo(folder).isDir() ? folder : QString();
}

bool CASampleDesignLibrary::installMasksIfMissing(const QString &library, const QString &targetLibrary, QString *error)
{
    return installFolderIfMissing(kMasksFolder, library, targetLibrary, error);
}

bool CASampleDesignLibrary::installMasksForUser(QString *error)
{
    return installMasksIfMissing(shippedLibraryPath(), CAEnvironment::sharedContentLibraryPath(), error);
}

bool CASampleDesignLibrary::installContentForUser()
{
    // The shipped library is looked for once; each folder is seeded on its own, so that one
    // failed copy leaves the others in place.
    const QString library = shippedLibraryPath();
    const QString target = CAEnvironment::sharedContentLibraryPath();
    // The postage art belongs to the application: it is read where it was shipped, not copied.
    const QString postArt = shippedPostArtPath(library);
    if (!postArt.isEmpty())
        CAEnvironment::setPostArtPath(postArt);
    bool done = true;
    for (const QString &folder : {kClipArtFolder, kBasicShapesFolder, kMasksFolder})
        done = installFolderIfMissing(folder, library, target, nullptr) && done;
    return done;
}

void CASampleDesignLibrary::installAllForUserInBackground()
{
    if (s_seeding.valid())
        return;
    // Every path is read here, on the caller's thread: the settings stay with it, and the copies
    // never meet the gate they hold.
    const QString library = shippedLibraryPath();
    const QString target = CAEnvironment::sharedContentLibraryPath();
    const QString postArt = shippedPostArtPath(library);
    if (!postArt.isEmpty())
        CAEnvironment::setPostArtPath(postArt);
    const QString templates = shippedTemplatesPath(library, CAEnvironment::localizedPath());
    const QString templatesTarget = CAEnvironment::templatePath();
    s_seeding = std::async(std::launch::async, [library, target, templates, templatesTarget] {
                    t_seeding = true;
                    for (const QString &folder : {kClipArtFolder, kBasicShapesFolder, kMasksFolder})
                        installFolderIfMissing(folder, library, target, nullptr);
                    installIfMissing(templates, templatesTarget, nullptr);
                }).share();
    CAContentLibraryGate::set(&CASampleDesignLibrary::waitForContent);
}

void CASampleDesignLibrary::waitForContent()
{
    if (s_seeding.valid() && !t_seeding)
        s_seeding.wait();
}

bool CASampleDesignLibrary::installForUser(QString *error)
{
    // A start that copies in the background copies the sample designs too.
    if (s_seeding.valid())
        return true;
    return installIfMissing(shippedTemplatesPath(shippedLibraryPath(), CAEnvironment::localizedPath()),
                            CAEnvironment::templatePath(), error);
}
