#include "kernel/base/CAEnvironment.h"

#include "kernel/base/CAContentLibraryGate.h"
#include "kernel/base/CAEnvironmentInternal.h"
#include "kernel/base/FTUtilities.h"
#include "platform/PWBundle.h"
#include "platform/PWUserDefaults.h"

#include <QDir>
#include <QHash>
#include <QPageSize>
#include <QStandardPaths>

#include <mutex>

Q_LOGGING_CATEGORY(lcEnvironment, "pw.kernel.environment")

namespace {

// Set once the shared instance exists, so that a hook set later is still called.
std::atomic<bool> s_created {false};

QSizeF localePaperSize()
{
    const QPageSize::PageSizeId id = QLocale::system().measurementSystem() == QLocale::ImperialUSSystem
                                         ? QPageSize::Letter
                                         : QPageSize::A4;
    return QPageSize(id).size(QPageSize::Point);
}

std::mutex s_standInMutex;
QHash<QString, QString> s_standIns;

QString libraryPath(const QString &relative)
{
    {
        const std::lock_guard<std::mutex> lock(s_standInMutex);
        for (auto standIn = s_standIns.cbegin(); standIn != s_standIns.cend(); ++standIn) {
            const QString &key = standIn.key();
            if (relative == key || (relative.startsWith(key) && relative.at(key.size()) == u'/'))
                return CAEnvironmentInternal::appendPath(standIn.value(), relative.mid(key.size()));
        }
    }
    return CAEnvironmentInternal::appendPath(CAEnvironment::sharedContentLibraryPath(), relative);
}

QString bundlePath(const QString &relative)
{
    return CAEnvironmentInternal::appendPath(PWBundle::mainBundle().root(), relative);
}

} // namespace

namespace CAEnvironmentInternal {

Hooks &hooks()
{
    static Hooks instance;
    return instance;
}

QString appendPath(const QString &folder, const QString &component)
{
    QString base = folder;
    while (base.size() > 1 && base.endsWith(QLatin1Char('/')))
        base.chop(1);
    QString tail = component;
    while (tail.startsWith(QLatin1Char('/')))
        tail.remove(0, 1);
    while (tail.endsWith(QLatin1Char('/')))
        tail.chop(1);
    if (tail.isEmpty())
        return base;
    if (base.isEmpty())
        return tail;
    return base.endsWith(QLatin1Char('/')) ? base + tail : base + QLatin1Char('/') + tail;
}

QString lastPathComponent(const QString &path)
{
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    const qsizetype slash = trimmed.lastIndexOf(QLatin1Char('/'));
    return slash < 0 || trimmed.size() == 1 ? trimmed : trimmed.mid(slash + 1);
}

} // namespace CAEnvironmentInternal

using CAEnvironmentInternal::hooks;

// --- the instance --------------------------------------------------------------------------------

CAEnvironment::CAEnvironment()
{
    PaperSizeSource paper;
    PersonPropertiesRegistration registration;
    {
        std::lock_guard lock(hooks().mutex);
        paper = hooks().paperSize;
        registration = hooks().personProperties;
    }
    const QSizeF size = paper ? paper() : localePaperSize();
    // The page setup kept its paper size in single precision.
    _defSize = QSizeF(float(size.width()), float(size.height()));
    if (registration)
        registration(customPersonPropertyNames());
}

CAEnvironment &CAEnvironment::sharedEnvironment()
{
    static CAEnvironment *instance = [] {
        auto *made = new CAEnvironment; // lives as long as the process, as its users expect
        s_created = true;
        return made;
    }();
    return *instance;
}

QSizeF CAEnvironment::defaultPageSize()
{
    return sharedEnvironment().defSize();
}

void CAEnvironment::setPersonPropertiesRegistration(PersonPropertiesRegistration registration)
{
    {
        std::lock_guard lock(hooks().mutex);
        hooks().personProperties = registration;
    }
    if (s_created && registration)
        registration(customPersonPropertyNames());
}

QStringList CAEnvironment::customPersonPropertyNames()
{
    QStringList names;
    for (int i = 1; i <= 9; ++i)
        names.append(QStringLiteral("Custom%1").arg(i));
    names.append(QStringLiteral("ABDepartment"));
    return names;
}

void CAEnvironment::setPaperSizeSource(PaperSizeSource source)
{
    std::lock_guard lock(hooks().mutex);
    hooks().paperSize = std::move(source);
}

void CAEnvironment::setCountryFormatPredicate(CountryFormatPredicate predicate)
{
    std::lock_guard lock(hooks().mutex);
    hooks().countryFormat = std::move(predicate);
}

void CAEnvironment::setTerminateScriptExecutionFlag(bool terminate)
{
    if (!terminate) {
        _importRecordCount = 0;
        _currImportRecordIndex = 0;
    }
    _terminateScriptExecutionFlag = terminate;
}

// --- content and resource paths ------------------------------------------------------------------

QString CAEnvironment::sharedContentLibraryPath()
{
    // The library may be being seeded: its folders are there once the gate lets through.
    CAContentLibraryGate::pass();
    const PWPlist stored =
        PWUserDefaults::standardUserDefaults().objectForKey(QStringLiteral("FTSharedContentLibraryPath"));
    QString path = stored.isString() ? stored.toString().trimmed() : QString();
    if (!stored.isNull() && !stored.isString())
        PWUserDefaults::standardUserDefaults().noteProblem(
            QStringLiteral("the content library folder in the settings (FTSharedContentLibraryPath) is %1, not a "
                           "folder; the library in %2 is used")
                .arg(PWUserDefaults::describe(stored), defaultContentLibraryPath()));
    // An empty setting would put the library in the working folder; take it as no setting.
    if (path.isEmpty())
        return defaultContentLibraryPath();
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        path = QDir::homePath() + path.mid(1);
    // A relative path would be a folder of wherever the program was started from, and the first
    // start would copy the whole library there: refused, and the setting left as it is.
    if (QDir::isRelativePath(path)) {
        const QString fallback = defaultContentLibraryPath();
        PWUserDefaults::standardUserDefaults().noteProblem(
            QStringLiteral("the content library folder \"%1\" in the settings (FTSharedContentLibraryPath) is no "
                           "full path; the library in %2 is used")
                .arg(path.left(200), fallback));
        return fallback;
    }
    path = resolveSymLink(path);
    return CAEnvironmentInternal::appendPath(path, QString());
}

QString CAEnvironment::defaultContentLibraryPath()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return CAEnvironmentInternal::appendPath(data, QStringLiteral("Parcelwick/Library"));
}

QString CAEnvironment::localizedPath()
{
    QStringList available;
    const QDir bundle(PWBundle::mainBundle().root());
    for (const QString &entry : bundle.entryList({QStringLiteral("*.lproj")}, QDir::Dirs, QDir::Name))
        available.append(entry.chopped(6));
    return preferredLocalization(available, QLocale::system().uiLanguages())
           + QStringLiteral(".lproj");
}

QString CAEnvironment::preferredLocalization(const QStringList &available, const QStringList &uiLanguages)
{
    const auto normal = [](QString name) { return name.replace(QLatin1Char('_'), QLatin1Char('-')).toLower(); };
    for (const QString &language : uiLanguages) {
        const QString wanted = normal(language);
        const QString base = wanted.section(QLatin1Char('-'), 0, 0);
        for (const QString &candidate : available) {
            if (normal(candidate) == wanted)
                return candidate;
        }
        for (const QString &candidate : available) {
            if (normal(candidate) == base)
                return candidate;
        }
    }
    if (available.contains(QStringLiteral("en")))
        return QStringLiteral("en");
    return available.isEmpty() ? QStringLiteral("en") : available.first();
}

QString CAEnvironment::clipArtPath()
{
    return libraryPath(QStringLiteral("ClipArt/Images"));
}

QString CAEnvironment::thumbClipArtPath()
{
    return libraryPath(QStringLiteral("ClipArt/Thumbnails"));
}

QString CAEnvironment::basicShapePath()
{
    return libraryPath(QStringLiteral("BasicShapes"));
}

QString CAEnvironment::maskPath()
{
    return libraryPath(QStringLiteral("Masks/Images"));
}

QString CAEnvironment::thumbMaskPath()
{
    return libraryPath(QStringLiteral("Masks/Thumbnails"));
}

QString CAEnvironment::templatePath()
{
    return libraryPath(QStringLiteral("Parcelwick/Templates/") + localizedPath());
}

QString CAEnvironment::clipArtIndexPath()
{
    return libraryPath(QStringLiteral("ClipArt/") + localizedPath() + QStringLiteral("/clipart.idx"));
}

QString CAEnvironment::clipArtCategoriesIndexPath()
{
    return libraryPath(QStringLiteral("ClipArt/") + localizedPath() + QStringLiteral("/CategoriesIndex"));
}

QString CAEnvironment::picturePath()
{
    return bundlePath(QStringLiteral("Pictures"));
}

namespace {

std::mutex s_postArtMutex;
QString s_postArtPath;

} // namespace

QString CAEnvironment::postArtPath()
{
    {
        const std::lock_guard<std::mutex> lock(s_postArtMutex);
        if (!s_postArtPath.isEmpty())
            return s_postArtPath;
    }
    return bundlePath(QStringLiteral("PostArt"));
}

void CAEnvironment::setPostArtPath(const QString &folder)
{
    const std::lock_guard<std::mutex> lock(s_postArtMutex);
    s_postArtPath = folder.isEmpty() ? QString() : CAEnvironmentInternal::appendPath(folder, QString());
}

namespace {

std::mutex s_installedMutex;
QString s_installedLibrary;

QString installedFolder(const QString &relative)
{
    const QString library = CAEnvironment::installedContentLibraryPath();
    return library.isEmpty() ? QString() : CAEnvironmentInternal::appendPath(library, relative);
}

} // namespace

void CAEnvironment::setInstalledStandIn(const QString &relative, const QString &folder)
{
    const QString key = QDir::cleanPath(relative);
    const std::lock_guard<std::mutex> lock(s_standInMutex);
    if (folder.isEmpty())
        s_standIns.remove(key);
    else
        s_standIns.insert(key, CAEnvironmentInternal::appendPath(folder, QString()));
}

void CAEnvironment::setInstalledContentLibraryPath(const QString &folder)
{
    const std::lock_guard<std::mutex> lock(s_installedMutex);
    s_installedLibrary = folder.isEmpty() ? QString() : CAEnvironmentInternal::appendPath(folder, QString());
}

QString CAEnvironment::installedContentLibraryPath()
{
    const std::lock_guard<std::mutex> lock(s_installedMutex);
    return s_installedLibrary;
}

QString CAEnvironment::installedClipArtPath()
{
    return installedFolder(QStringLiteral("ClipArt/Images"));
}

QString CAEnvironment::installedMaskPath()
{
    return installedFolder(QStringLiteral("Masks/Images"));
}

QString CAEnvironment::backgroundsPath()
{
    return bundlePath(QStringLiteral("Backgrounds"));
}

QString CAEnvironment::systemTempPath()
{
    return QDir::tempPath();
}
