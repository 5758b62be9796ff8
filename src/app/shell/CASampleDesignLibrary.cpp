#include "app/shell/CASampleDesignLibrary.h"

#include "app/shell/CAShellLog.h"
#include "kernel/base/CAContentLibraryGate.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWDescriptor.h"
#include "platform/PWFileSystem.h"
#include "platform/PWNotificationCenter.h"
#include "platform/PWPathStatus.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QPointer>
#include <QRandomGenerator>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <future>
#include <mutex>
#include <vector>

namespace {

const QString kTemplatesFolder = QStringLiteral("Parcelwick/Templates");
const QString kClipArtFolder = QStringLiteral("ClipArt");
const QString kBasicShapesFolder = QStringLiteral("BasicShapes");
const QString kPostArtFolder = QStringLiteral("PostArt");
const QString kMasksFolder = QStringLiteral("Masks");

// Written into a seeded folder once every shipped file is in it.
const QString kCompleteMarker = QStringLiteral(".parcelwick-seeded");
// Written in its place when some shipped files could not be copied: their paths, one a line,
// relative to the folder ("." for all of it). A later start copies them then.
const QString kOwedMarker = QStringLiteral(".parcelwick-owed");
// A list of owed paths longer than this is damaged.
constexpr qint64 kOwedMarkerLimit = 1 << 20;
// Folders nested deeper than this in the shipped library loop through links.
constexpr int kDepthLimit = 48;
// How many failures a reason names before it counts the rest.
constexpr int kNamedFailures = 4;

std::atomic<CASampleDesignLibrary::WriteCall> s_write {&PWDescriptor::systemWrite};
std::mutex s_hookMutex;
CASampleDesignLibrary::CopyHook s_copyHook;

// The background copies of this process, and whether the running thread is the one making them.
std::mutex s_seedingMutex;
std::shared_future<void> s_seeding;
thread_local bool t_seeding = false;
// Set when the application quits: a start still waiting for another's lock gives up.
std::atomic<bool> s_quitting {false};

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

QString joined(const QString &root, const QString &relative)
{
    return relative.isEmpty() || relative == u'.' ? root : root + u'/' + relative;
}

// The reason a user reads for a failed call.
QString reasonFor(int error)
{
    switch (error) {
    case ENOSPC:
        return QStringLiteral("the disk is full");
    case EDQUOT:
        return QStringLiteral("the disk quota is used up");
    case EFBIG:
        return QStringLiteral("the file is larger than this program may write");
    case EROFS:
        return QStringLiteral("the disk is read-only");
    case EACCES:
    case EPERM:
        return QStringLiteral("permission denied");
    case ENOENT:
        return QStringLiteral("it does not exist");
    case ENOTDIR:
        return QStringLiteral("a file is in the way of a folder");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

// Errors after which no further copy into the same disk can succeed.
bool endsTheCopy(int error)
{
    return error == ENOSPC || error == EDQUOT || error == EROFS;
}

// Makes path and the folders above it; 0 or the error.
int makeFolder(const QString &path)
{
    const QByteArray bytes = encoded(QDir::cleanPath(path));
    for (qsizetype i = 1; i <= bytes.size(); ++i) {
        if (i < bytes.size() && bytes.at(i) != '/')
            continue;
        const QByteArray part = bytes.left(i);
        const int error = PWFileSystem::makeFolder(part, 0777);
        if (error == 0)
            continue;
        if (error == EEXIST && PWPathStatus::kindAt(part) == PWPathStatus::Kind::Folder)
            continue;
        return error == EEXIST ? ENOTDIR : error;
    }
    return 0;
}

struct Failure
{
    int error = 0;
    QString reason;
};

// Copies the regular file from to the new file to (never over anything there); what failed, the
// target named as shown.
Failure copyFile(const QString &from, const QString &to, const QString &shown)
{
    const auto failed = [](int error, const QString &what) {
        return Failure {error, what + QStringLiteral(": ") + reasonFor(error)};
    };
    PWDescriptor in = PWDescriptor::openToRead(encoded(from));
    if (!in.isValid())
        return failed(errno, QStringLiteral("cannot read %1").arg(from));
    if (!in.isRegularFile())
        return Failure {EINVAL, QStringLiteral("cannot read %1: not a regular file").arg(from)};
    PWDescriptor out = PWDescriptor::createNew(encoded(to), 0666);
    if (!out.isValid()) {
        const int error = errno;
        in.close();
        return failed(error, QStringLiteral("cannot write %1").arg(shown));
    }
    Failure failure;
    std::vector<char> buffer(64 * 1024);
    while (failure.error == 0) {
        const qsizetype got = in.readSome(buffer.data(), qsizetype(buffer.size()));
        if (got < 0) {
            failure = failed(errno, QStringLiteral("cannot read %1").arg(from));
            break;
        }
        if (got == 0)
            break;
        if (!out.writeAll(buffer.data(), got, s_write.load()))
            failure = failed(errno, QStringLiteral("cannot write %1").arg(shown));
    }
    in.close();
    // A disk that fills up may say so only when the file is closed.
    if (!out.close() && failure.error == 0)
        failure = failed(errno, QStringLiteral("cannot write %1").arg(shown));
    if (failure.error != 0)
        PWFileSystem::removeFile(encoded(to));
    return failure;
}

// One seeding pass over a shipped folder: what was copied, what is owed and why.
struct SeedRun
{
    QString from;
    QString to;
    QString lockPath;
    // The folder the copy is for, as messages name it (to may be its staging folder).
    QString shownTo;
    QStringList owed;
    QStringList reasons;
    int copied = 0;
    // An error that ended the pass (the disk is full, say); nothing after it was tried.
    int stopError = 0;

    void owe(const QString &relative, const Failure &failure)
    {
        owed.append(relative.isEmpty() ? QStringLiteral(".") : relative);
        reasons.append(failure.reason);
        if (endsTheCopy(failure.error))
            stopError = failure.error;
    }

    // Copies the shipped file at relative unless the target has something of its name.
    void copyOne(const QString &relative)
    {
        const QString target = joined(to, relative);
        if (PWPathStatus::entryAt(encoded(target)).kind != PWPathStatus::Kind::Missing)
            return;
        CASampleDesignLibrary::CopyHook hook;
        {
            std::lock_guard lock(s_hookMutex);
            hook = s_copyHook;
        }
        if (hook)
            hook(target);
        // Under a passing name first, so that an ended copy leaves no short file under the real one.
        const QString passing = target + QStringLiteral(".incoming");
        PWFileSystem::removeFile(encoded(passing));
        Failure failure = copyFile(joined(from, relative), passing, joined(shownTo, relative));
        if (failure.error == 0) {
            if (const int moved = PWFileSystem::renamePath(encoded(passing), encoded(target))) {
                failure =
                    Failure {moved, QStringLiteral("cannot write %1: %2").arg(joined(shownTo, relative), reasonFor(moved))};
                PWFileSystem::removeFile(encoded(passing));
            }
        }
        if (failure.error != 0) {
            owe(relative, failure);
            return;
        }
        ++copied;
        // The lock stays fresh while this start copies, however long that takes.
        if (!lockPath.isEmpty())
            PWFileSystem::touch(encoded(lockPath));
    }

    // Copies what the target lacks of the shipped folder at relative.
    void copyFolder(const QString &relative, int depth = 0)
    {
        if (stopError != 0)
            return;
        const QString source = joined(from, relative);
        if (depth > kDepthLimit) {
            owe(relative, Failure {ELOOP, QStringLiteral("cannot read %1: %2").arg(source, reasonFor(ELOOP))});
            return;
        }
        if (const int error = makeFolder(joined(to, relative))) {
            owe(relative,
                Failure {error, QStringLiteral("cannot make %1: %2").arg(joined(shownTo, relative), reasonFor(error))});
            return;
        }
        QList<QByteArray> names;
        if (const int error = PWFileSystem::list(encoded(source), &names)) {
            owe(relative, Failure {error, QStringLiteral("cannot read %1: %2").arg(source, reasonFor(error))});
            return;
        }
        std::sort(names.begin(), names.end());
        for (const QByteArray &name : std::as_const(names)) {
            if (stopError != 0)
                return;
            const QString child =
                relative.isEmpty() ? QFile::decodeName(name) : relative + u'/' + QFile::decodeName(name);
            if (child == kCompleteMarker || child == kOwedMarker)
                continue;
            int error = 0;
            const PWPathStatus::Kind kind = PWPathStatus::kindAt(encoded(joined(from, child)), &error);
            if (kind == PWPathStatus::Kind::Missing) {
                owe(child,
                    Failure {error, QStringLiteral("cannot read %1: %2").arg(joined(from, child), reasonFor(error))});
                continue;
            }
            if (kind == PWPathStatus::Kind::Folder)
                copyFolder(child, depth + 1);
            else
                copyOne(child);
        }
    }

    // Copies what is owed at relative: a folder, a file, or nothing when no longer shipped.
    void copyOwed(const QString &relative)
    {
        const QString source = joined(from, relative);
        int error = 0;
        const PWPathStatus::Kind kind = PWPathStatus::kindAt(encoded(source), &error);
        if (kind == PWPathStatus::Kind::Missing) {
            if (error != ENOENT)
                owe(relative, Failure {error, QStringLiteral("cannot read %1: %2").arg(source, reasonFor(error))});
            return;
        }
        if (kind == PWPathStatus::Kind::Folder) {
            copyFolder(relative == u'.' ? QString() : relative);
            return;
        }
        if (const int error = makeFolder(QFileInfo(joined(to, relative)).absolutePath())) {
            owe(relative,
                Failure {error,
                         QStringLiteral("cannot make %1: %2")
                             .arg(QFileInfo(joined(shownTo, relative)).absolutePath(), reasonFor(error))});
            return;
        }
        copyOne(relative);
    }

    QString reason() const
    {
        QStringList named = reasons.mid(0, kNamedFailures);
        if (reasons.size() > kNamedFailures)
            named.append(QStringLiteral("and %1 more").arg(reasons.size() - kNamedFailures));
        return named.join(QStringLiteral("; "));
    }
};

bool hasEntries(const QString &folder)
{
    return !QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System).isEmpty();
}

// Writes a mark into folder whole or not at all; 0 or the error.
int writeMarker(const QString &folder, const QString &name, const QByteArray &content)
{
    const QString path = QDir(folder).filePath(name);
    const QString passing = path + QStringLiteral(".incoming");
    PWFileSystem::removeFile(encoded(passing));
    PWDescriptor out = PWDescriptor::createNew(encoded(passing), 0666);
    if (!out.isValid())
        return errno;
    int error = 0;
    if (!out.writeAll(content.constData(), content.size(), s_write.load()))
        error = errno;
    if (!out.close() && error == 0)
        error = errno;
    if (error == 0)
        error = PWFileSystem::renamePath(encoded(passing), encoded(path));
    if (error != 0)
        PWFileSystem::removeFile(encoded(passing));
    return error;
}

// The owed paths a folder's mark lists; lines that would reach outside it are dropped.
QStringList readOwed(const QString &folder)
{
    // Anything but a short regular file (a FIFO would never answer) owes the whole folder.
    QFile file(QDir(folder).filePath(kOwedMarker));
    const QFileInfo info(file.fileName());
    if (info.isSymLink() || !info.isFile() || info.size() > kOwedMarkerLimit || !file.open(QIODevice::ReadOnly))
        return {QStringLiteral(".")};
    QStringList owed;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QString path = QFile::decodeName(line);
        if (path.isEmpty())
            continue;
        if (path == u'.') {
            owed.append(path);
            continue;
        }
        const QString clean = QDir::cleanPath(path);
        if (QDir::isAbsolutePath(clean) || clean == QStringLiteral("..") || clean.startsWith(QStringLiteral("../")))
            continue;
        owed.append(clean);
    }
    return owed.isEmpty() ? QStringList {QStringLiteral(".")} : owed;
}

QByteArray owedContent(const QStringList &owed)
{
    QByteArray content;
    for (const QString &path : owed)
        content += encoded(path) + '\n';
    return content;
}

// Takes the seeding lock of folder, waiting for a start that is seen copying; why not when not.
bool takeLock(QLockFile &lock, const QString &lockPath, QString *why)
{
    lock.setStaleLockTime(CASampleDesignLibrary::kLockAgeMs);
    // A folder or a link in the lock's place would pass for a lock nobody can take away.
    const PWPathStatus::Kind present = PWPathStatus::entryAt(encoded(lockPath)).kind;
    if (present != PWPathStatus::Kind::Missing && present != PWPathStatus::Kind::RegularFile) {
        *why = QStringLiteral("cannot lock %1: something that is no file is in its place").arg(lockPath);
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    // A lock kept fresh by its holder holds back as long as it copies; one left alone ages out
    // within kLockAgeMs, which QLockFile checks on every try.
    while (!lock.tryLock(250)) {
        if (lock.error() != QLockFile::LockFailedError) {
            // QLockFile does not say why: a file written beside it does (a full disk takes a new
            // empty file but not its bytes).
            QByteArray name = encoded(lockPath + QStringLiteral(".probe-XXXXXX"));
            PWDescriptor probe = PWDescriptor::createUnique(&name);
            int error = probe.isValid() ? 0 : errno;
            if (probe.isValid()) {
                errno = 0;
                if (s_write.load()(probe.get(), "probe\n", 6) != 6)
                    error = errno ? errno : EIO;
                if (!probe.close() && error == 0)
                    error = errno;
                PWFileSystem::removeFile(name);
            }
            *why = QStringLiteral("cannot lock %1: %2")
                       .arg(lockPath, error ? reasonFor(error) : QStringLiteral("the lock file cannot be written"));
            return false;
        }
        if (s_quitting || clock.hasExpired(2 * CASampleDesignLibrary::kLockAgeMs)) {
            qint64 pid = 0;
            QString host;
            QString application;
            lock.getLockInfo(&pid, &host, &application);
            *why = QStringLiteral("another start (process %1 on %2) is still copying; its lock is %3")
                       .arg(QString::number(pid), host.isEmpty() ? QStringLiteral("this computer") : host, lockPath);
            return false;
        }
    }
    return true;
}

// Takes away the staging folders of starts that ended while copying into folder.
void removeStaleStaging(const QString &folder)
{
    const QFileInfo info(folder);
    const QDir parent = info.absoluteDir();
    for (const QString &name : parent.entryList({info.fileName() + QStringLiteral(".incoming*")},
                                                QDir::Dirs | QDir::Hidden | QDir::NoSymLinks))
        QDir(parent.filePath(name)).removeRecursively();
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
    return seed(shippedTemplates, target, error, nullptr);
}

bool CASampleDesignLibrary::seed(const QString &shipped, const QString &target, QString *error, int *copied)
{
    // A folder linked elsewhere is seeded where it lies, its lock and staging folder beside it.
    const QFileInfo linked(QDir::cleanPath(target));
    const QString folder = linked.isSymLink() && linked.isDir() ? linked.canonicalFilePath() : linked.filePath();
    if (shipped.isEmpty() || !QFileInfo(shipped).isDir() || QFileInfo::exists(QDir(folder).filePath(kCompleteMarker)))
        return true;
    // A library pointed at the shipped one is complete as it is, and not ours to mark.
    if (QFileInfo(folder).canonicalFilePath() == QFileInfo(shipped).canonicalFilePath())
        return true;
    const auto failed = [&](const QString &why) {
        qCWarning(lcShell).noquote()
            << QStringLiteral("The shipped content %1 was not all copied to %2: %3").arg(shipped, folder, why);
        if (error)
            *error = why;
        return false;
    };
    const QString parent = QFileInfo(folder).absolutePath();
    if (const int made = makeFolder(parent))
        return failed(QStringLiteral("cannot make %1: %2").arg(parent, reasonFor(made)));
    // Starts at the same moment seed one after another: a later start finds the work done.
    const QString lockPath = folder + QStringLiteral(".lock");
    QLockFile lock(lockPath);
    QString why;
    if (!takeLock(lock, lockPath, &why))
        return failed(why);
    if (QFileInfo::exists(QDir(folder).filePath(kCompleteMarker)))
        return true;

    SeedRun run {shipped, folder, lockPath, folder, {}, {}, 0, 0};
    if (QFileInfo::exists(QDir(folder).filePath(kOwedMarker))) {
        // A former copy that could not copy everything: what it owes, and nothing it left.
        for (const QString &owed : readOwed(folder))
            run.copyOwed(owed);
        if (copied)
            *copied = run.copied;
        if (run.stopError != 0)
            return failed(run.reason());
        if (run.owed.isEmpty()) {
            if (const int marked = writeMarker(folder, kCompleteMarker, "complete\n"))
                return failed(QStringLiteral("cannot mark %1 complete: %2").arg(folder, reasonFor(marked)));
            QFile::remove(QDir(folder).filePath(kOwedMarker));
            return true;
        }
        writeMarker(folder, kOwedMarker, owedContent(run.owed));
        return failed(run.reason());
    }
    if (hasEntries(folder)) {
        // Seeded by an earlier version, which left no mark, or the user's own: what it lacks the
        // user took away. Marked when it can be, so that the question is not asked again.
        writeMarker(folder, kCompleteMarker, "complete\n");
        return true;
    }

    removeStaleStaging(folder);
    const QString staging =
        folder + QStringLiteral(".incoming-") + QString::number(QRandomGenerator::global()->generate64(), 16);
    if (const int made = PWFileSystem::makeFolder(encoded(staging), 0777))
        return failed(QStringLiteral("cannot make %1: %2").arg(staging, reasonFor(made)));
    run.to = staging;
    run.copyFolder(QString());
    const auto abandon = [&](const QString &reason) {
        QDir(staging).removeRecursively();
        return failed(reason);
    };
    if (run.stopError != 0)
        return abandon(run.reason());
    const int marked = run.owed.isEmpty() ? writeMarker(staging, kCompleteMarker, "complete\n")
                                          : writeMarker(staging, kOwedMarker, owedContent(run.owed));
    // Unmarked, the copy would pass for a complete library.
    if (marked != 0)
        return abandon(QStringLiteral("cannot mark %1: %2").arg(staging, reasonFor(marked)));
    // An empty folder in the way would stop the rename; one with entries was never due a copy.
    PWFileSystem::removeEmptyFolder(encoded(folder));
    if (const int moved = PWFileSystem::renamePath(encoded(staging), encoded(folder)))
        return abandon(QStringLiteral("cannot move %1 to %2: %3").arg(staging, folder, reasonFor(moved)));
    if (copied)
        *copied = run.copied;
    return run.owed.isEmpty() ? true : failed(run.reason());
}

bool CASampleDesignLibrary::installFolderIfMissing(const QString &folder, const QString &library,
                                                   const QString &targetLibrary, QString *error, int *copied)
{
    if (library.isEmpty() || targetLibrary.isEmpty())
        return true;
    return seed(QDir(library).filePath(folder), QDir(targetLibrary).filePath(folder), error, copied);
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

void CASampleDesignLibrary::useShippedContent()
{
    const QString library = shippedLibraryPath();
    CAEnvironment::setInstalledContentLibraryPath(library);
    const QString postArt = shippedPostArtPath(library);
    if (!postArt.isEmpty())
        CAEnvironment::setPostArtPath(postArt);
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
    std::lock_guard lock(s_seedingMutex);
    if (s_seeding.valid() && s_seeding.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
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
    s_quitting = false;
    static QPointer<QCoreApplication> s_watched;
    if (QCoreApplication *application = QCoreApplication::instance(); application && s_watched != application) {
        s_watched = application;
        // The copy ends before the application does: its last word goes to the notification
        // centre, which does not outlive the application's end. A quit stops any wait for another
        // start's lock, and what is left is one library of a few megabytes to copy.
        QObject::connect(application, &QCoreApplication::aboutToQuit, application, &finishBeforeQuit);
    }
    s_seeding = std::async(std::launch::async, [library, target, templates, templatesTarget] {
                    t_seeding = true;
                    QStringList filled;
                    QStringList notCopied;
                    QStringList reasons;
                    // A folder the user's copy of which could not be made at all is read where
                    // it was installed, so that the panes and the assistant still offer it.
                    const auto seeded = [&](const QString &folder, const QString &shipped, const QString &to) {
                        int copied = 0;
                        QString error;
                        const bool done = seed(shipped, to, &error, &copied);
                        if (copied > 0)
                            filled.append(folder);
                        if (done)
                            return;
                        notCopied.append(folder);
                        reasons.append(error);
                        if (QDir(to).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot))
                            CAEnvironment::setInstalledStandIn(QDir(target).relativeFilePath(to), shipped);
                    };
                    for (const QString &folder : {kClipArtFolder, kBasicShapesFolder, kMasksFolder}) {
                        if (!library.isEmpty() && !target.isEmpty())
                            seeded(folder, QDir(library).filePath(folder), QDir(target).filePath(folder));
                    }
                    seeded(kTemplatesFolder, templates, templatesTarget);
                    PWNotificationCenter::defaultCenter().postNotification(
                        CAContentLibraryGate::kSeededNotification, nullptr,
                        {{QStringLiteral("folders"), filled},
                         {QStringLiteral("notCopied"), notCopied},
                         {QStringLiteral("reasons"), reasons}});
                }).share();
    CAContentLibraryGate::set(&CASampleDesignLibrary::waitForContent);
}

void CASampleDesignLibrary::finishBeforeQuit()
{
    s_quitting = true;
    std::shared_future<void> seeding;
    {
        std::lock_guard lock(s_seedingMutex);
        seeding = s_seeding;
    }
    if (seeding.valid())
        seeding.wait();
}

void CASampleDesignLibrary::waitForContent()
{
    std::shared_future<void> seeding;
    {
        std::lock_guard lock(s_seedingMutex);
        seeding = s_seeding;
    }
    if (seeding.valid() && !t_seeding)
        seeding.wait();
}

bool CASampleDesignLibrary::isSeeding()
{
    std::lock_guard lock(s_seedingMutex);
    return s_seeding.valid() && s_seeding.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
}

void CASampleDesignLibrary::setCopyHook(CopyHook hook)
{
    std::lock_guard lock(s_hookMutex);
    s_copyHook = std::move(hook);
}

void CASampleDesignLibrary::setWriteCall(WriteCall call)
{
    s_write = call ? call : &PWDescriptor::systemWrite;
}

bool CASampleDesignLibrary::installForUser(QString *error)
{
    // A start that copies in the background copies the sample designs too.
    {
        std::lock_guard lock(s_seedingMutex);
        if (s_seeding.valid())
            return true;
    }
    return installIfMissing(shippedTemplatesPath(shippedLibraryPath(), CAEnvironment::localizedPath()),
                            CAEnvironment::templatePath(), error);
}
