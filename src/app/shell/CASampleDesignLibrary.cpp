#include "app/shell/CASampleDesignLibrary.h"

#include "app/shell/CAShellLog.h"
#include "kernel/base/CAContentLibraryGate.h"
#include "kernel/base/CAEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

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
    if (shippedTemplates.isEmpty() || !QFileInfo(shippedTemplates).isDir() || hasEntries(target))
        return true;
    const QString staging = QDir::cleanPath(target) + QStringLiteral(".incoming");
    QDir(staging).removeRecursively();
    bool done = copyTree(shippedTemplates, staging, &reason);
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
        qCWarning(lcShell).noquote() << QStringLiteral("The shipped content %1 was not copied: %2").arg(shippedTemplates, reason);
        if (error)
            *error = reason;
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
