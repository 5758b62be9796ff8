#include "platform/PWBundle.h"

#include "platform/PWNumbers.h"

#include "platform/PWFileReader.h"
#include "platform/PWLog.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <limits>
#include <mutex>

namespace {

// Tables and the Info dictionary load lazily and may be asked for from the script worker as
// well as the main thread; one lock for every bundle is enough for so little work.
std::mutex &bundleMutex()
{
    static std::mutex mutex;
    return mutex;
}

const QString kLocalization = QStringLiteral("en.lproj");

PWPlist::Dictionary readDictionary(const QString &path, const QString &what)
{
    const PWFileReader::Result file =
        PWFileReader::read(path, PWFileReader::kCatalogueLimit, PWFileReader::propertyListSignature());
    if (file.status == PWFileReader::Status::CannotOpen) {
        PWLog::message(lcPlatform(), QStringLiteral("%1 not found at %2").arg(what, path));
        return {};
    }
    if (!file.ok()) {
        PWLog::message(lcPlatform(), QStringLiteral("%1 at %2 is not read: %3").arg(what, path, file.reason));
        return {};
    }
    QString error;
    const std::optional<PWPlist> plist = PWPlist::parse(file.bytes, &error);
    if (!plist) {
        PWLog::message(lcPlatform(),
                       QStringLiteral("%1 at %2 is not a property list: %3").arg(what, path, error));
        return {};
    }
    if (!plist->isDictionary()) {
        PWLog::message(lcPlatform(), QStringLiteral("%1 at %2 is not a dictionary").arg(what, path));
        return {};
    }
    return plist->toDictionary();
}

} // namespace

PWBundle &PWBundle::mainBundle()
{
    static PWBundle bundle(QStringLiteral(":/bundle"));
    return bundle;
}

PWBundle::PWBundle(const QString &root)
    : m_root(root.startsWith(QLatin1Char(':')) ? QDir::cleanPath(root)
                                                 : QDir::cleanPath(QFileInfo(root).absoluteFilePath()))
{
}

QString PWBundle::pathForResource(const QString &name, const QString &type,
                                  const QString &subdirectory) const
{
    if (name.isEmpty())
        return QString();
    const QString fileName = type.isEmpty() ? name : name + QLatin1Char('.') + type;
    const QString relative =
        subdirectory.isEmpty() ? fileName : subdirectory + QLatin1Char('/') + fileName;
    const QString rootPrefix = m_root.endsWith(QLatin1Char('/')) ? m_root : m_root + QLatin1Char('/');
    for (const QString &candidate : {rootPrefix + relative,
                                     rootPrefix + kLocalization + QLatin1Char('/') + relative}) {
        const QString path = QDir::cleanPath(candidate);
        // Names can come from documents; never answer a file outside the bundle.
        if (!path.startsWith(rootPrefix))
            continue;
        if (QFileInfo::exists(path))
            return path;
    }
    return QString();
}

QByteArray PWBundle::resourceData(const QString &name, const QString &type,
                                  const QString &subdirectory) const
{
    const QString path = pathForResource(name, type, subdirectory);
    if (path.isEmpty())
        return QByteArray();
    const PWFileReader::Result file = PWFileReader::read(path, PWFileReader::kCatalogueLimit);
    if (!file.ok() && file.status != PWFileReader::Status::CannotOpen)
        PWLog::message(lcPlatform(), QStringLiteral("resource %1 is not read: %2").arg(path, file.reason));
    return file.bytes;
}

const PWPlist::Dictionary &PWBundle::infoDictionary() const
{
    std::lock_guard lock(bundleMutex());
    if (!m_info)
        m_info = readDictionary(m_root + QStringLiteral("/Info.plist"), QStringLiteral("Info.plist"));
    // Set once and never replaced, so the reference outlives the lock.
    return *m_info;
}

PWPlist PWBundle::objectForInfoDictionaryKey(const QString &key) const
{
    return infoDictionary().value(key);
}

int PWBundle::bundleVersion() const
{
    const PWPlist version = objectForInfoDictionaryKey(QStringLiteral("CFBundleVersion"));
    if (version.isNumber())
        return int(std::clamp<qint64>(version.toInteger(), std::numeric_limits<int>::min(),
                                      std::numeric_limits<int>::max()));
    return PWLeadingInteger<int>(version.toString().toLatin1());
}

QString PWBundle::shortVersionString() const
{
    return objectForInfoDictionaryKey(QStringLiteral("CFBundleShortVersionString")).toString();
}

QString PWBundle::localizedString(const QString &key, const QString &value,
                                  const QString &tableName) const
{
    const QString missing = value.isEmpty() ? key : value;
    if (key.isEmpty())
        return missing;
    std::lock_guard lock(bundleMutex());
    const PWPlist text = table(tableName.isEmpty() ? QStringLiteral("Localizable") : tableName)
                             .value(key);
    return text.isString() ? text.toString() : missing;
}

// Called with the bundle lock held: the reference into the cache is only good until the next
// table is loaded.
const PWPlist::Dictionary &PWBundle::table(const QString &name) const
{
    auto it = m_tables.find(name);
    if (it == m_tables.end()) {
        const QString path = m_root + QLatin1Char('/') + kLocalization + QLatin1Char('/') + name
                             + QStringLiteral(".strings");
        it = m_tables.insert(name,
                             readDictionary(path, QStringLiteral("Strings table \"%1\"").arg(name)));
    }
    return it.value();
}

QString PWLocalizedString(const QString &key)
{
    return PWBundle::mainBundle().localizedString(key);
}
