#include "platform/PWUserDefaults.h"

#include "platform/PWFileReader.h"
#include "platform/PWSaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QStringList>

#include <cmath>
#include <new>

Q_LOGGING_CATEGORY(lcDefaults, "pw.platform.defaults")

namespace {

enum class LoadResult { Missing, Loaded, Corrupt, Unreadable };

// A file that does not hold a dictionary is kept beside the store for the user to look at,
// never overwritten by the next setting. One the user made read-only stays where it is: the
// store starts empty and its writes are refused, as any writer refuses such a file.
void setAside(const QString &path, const QString &reason)
{
    if (!QFileInfo(path).isWritable()) {
        qCWarning(lcDefaults).noquote()
            << QStringLiteral("user defaults in %1 are unreadable (%2) and the file is read-only; starting empty")
                   .arg(path, reason);
        return;
    }
    const QString aside = path + QStringLiteral(".corrupt");
    QFile::remove(aside);
    if (QFile::rename(path, aside))
        qCWarning(lcDefaults).noquote()
            << QStringLiteral("user defaults in %1 are unreadable (%2); kept as %3, starting empty")
                   .arg(path, reason, aside);
    else
        qCWarning(lcDefaults).noquote()
            << QStringLiteral("user defaults in %1 are unreadable (%2) and could not be moved to %3; starting empty")
                   .arg(path, reason, aside);
}

LoadResult readStore(const QString &path, PWPlist::Dictionary *values)
{
    values->clear();
    if (!QFileInfo::exists(path))
        return LoadResult::Missing;
    const PWFileReader::Result file =
        PWFileReader::read(path, PWFileReader::kSettingsLimit, PWFileReader::propertyListSignature());
    switch (file.status) {
    case PWFileReader::Status::Read:
        break;
    case PWFileReader::Status::NotRegularFile:
        // A pipe or a device in the store's place is the user's: neither moved nor replaced.
        qCWarning(lcDefaults).noquote()
            << QStringLiteral("user defaults %1 are no regular file and are not used: %2").arg(path, file.reason);
        return LoadResult::Unreadable;
    case PWFileReader::Status::TooLarge:
    case PWFileReader::Status::NotOfKind:
        // There, but never a store: kept aside rather than replaced by the next setting.
        setAside(path, file.reason);
        return LoadResult::Corrupt;
    default:
        qCWarning(lcDefaults).noquote()
            << QStringLiteral("cannot read user defaults %1: %2").arg(path, file.reason);
        return LoadResult::Unreadable;
    }
    QString error;
    std::optional<PWPlist> parsed;
    try {
        parsed = PWPlist::parse(file.bytes, &error);
    } catch (const std::bad_alloc &) {
        qCWarning(lcDefaults).noquote()
            << QStringLiteral("cannot read user defaults %1: there is not enough memory").arg(path);
        return LoadResult::Unreadable;
    }
    if (!parsed || !parsed->isDictionary()) {
        setAside(path, parsed ? QStringLiteral("no dictionary at the top") : error);
        return LoadResult::Corrupt;
    }
    *values = parsed->toDictionary();
    return LoadResult::Loaded;
}

// Empty when the store was written, else why not.
QString writeStore(const QString &path, const PWPlist::Dictionary &values)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        const QString reason = QStringLiteral("cannot create the folder %1").arg(folder);
        qCWarning(lcDefaults).noquote() << reason;
        return reason;
    }
    QString reason;
    if (!PWSaveFile::write(path, PWPlist(values).toXml(), &reason)) {
        if (reason.isEmpty())
            reason = QStringLiteral("the file could not be written");
        qCWarning(lcDefaults).noquote() << QStringLiteral("cannot write user defaults %1: %2").arg(path, reason);
        return reason;
    }
    return QString();
}

std::optional<double> numberFromString(const QString &text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

PWUserDefaults &PWUserDefaults::standardUserDefaults()
{
    static PWUserDefaults defaults(defaultFilePath());
    return defaults;
}

QString PWUserDefaults::defaultFilePath()
{
    // The base directory specification ignores a relative XDG_CONFIG_HOME.
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Parcelwick/Parcelwick.plist");
}

PWUserDefaults::PWUserDefaults(const QString &filePath, QObject *parent)
    : QObject(parent), m_filePath(filePath)
{
    readStore(m_filePath, &m_values);
}

PWUserDefaults::~PWUserDefaults() = default;

void PWUserDefaults::registerDefaults(const PWPlist::Dictionary &defaults)
{
    QStringList changed;
    {
        QMutexLocker locker(&m_mutex);
        for (const PWPlist::Dictionary::Entry &entry : defaults) {
            const bool visible = !m_values.contains(entry.first);
            if (visible && (!m_registered.contains(entry.first) || m_registered.value(entry.first) != entry.second))
                changed.append(entry.first);
            m_registered.insert(entry.first, entry.second);
        }
    }
    for (const QString &key : std::as_const(changed))
        Q_EMIT valueChanged(key);
}

PWPlist PWUserDefaults::objectForKey(const QString &key) const
{
    QMutexLocker locker(&m_mutex);
    return m_values.contains(key) ? m_values.value(key) : m_registered.value(key);
}

bool PWUserDefaults::hasStoredValue(const QString &key) const
{
    QMutexLocker locker(&m_mutex);
    return m_values.contains(key);
}

void PWUserDefaults::setObject(const QString &key, const PWPlist &value)
{
    // Storing no value is removing the value, as with the original store.
    if (value.isNull()) {
        removeObject(key);
        return;
    }
    QString failure;
    {
        QMutexLocker locker(&m_mutex);
        if (m_values.contains(key) && m_values.value(key) == value)
            return;
        m_values.insert(key, value);
        failure = writeStore(m_filePath, m_values);
    }
    Q_EMIT valueChanged(key);
    reportWrite(key, failure);
}

void PWUserDefaults::removeObject(const QString &key)
{
    QString failure;
    {
        QMutexLocker locker(&m_mutex);
        if (!m_values.remove(key))
            return;
        failure = writeStore(m_filePath, m_values);
    }
    Q_EMIT valueChanged(key);
    reportWrite(key, failure);
}

void PWUserDefaults::reportWrite(const QString &key, const QString &failure)
{
    bool wasSaved = false;
    {
        QMutexLocker locker(&m_mutex);
        wasSaved = m_saved;
        m_saved = failure.isEmpty();
    }
    if (!failure.isEmpty())
        Q_EMIT writeFailed(key, failure);
    else if (!wasSaved)
        Q_EMIT writeRecovered();
}

QString PWUserDefaults::stringForKey(const QString &key) const
{
    const PWPlist value = objectForKey(key);
    switch (value.type()) {
    case PWPlist::Type::String:
        return value.toString();
    case PWPlist::Type::Integer:
        return QString::number(value.toInteger());
    case PWPlist::Type::Real:
        return QLocale::c().toString(value.toReal(), 'g', QLocale::FloatingPointShortest);
    case PWPlist::Type::Boolean:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    default:
        return QString();
    }
}

qint64 PWUserDefaults::integerForKey(const QString &key) const
{
    const PWPlist value = objectForKey(key);
    switch (value.type()) {
    case PWPlist::Type::Integer:
    case PWPlist::Type::Real:
        return value.toInteger();
    case PWPlist::Type::Boolean:
        return value.toBool() ? 1 : 0;
    case PWPlist::Type::String: {
        bool ok = false;
        const qint64 integer = QLocale::c().toLongLong(value.toString().trimmed(), &ok);
        if (ok)
            return integer;
        const std::optional<double> real = numberFromString(value.toString());
        return real ? PWPlist::fromReal(*real).toInteger() : 0;
    }
    default:
        return 0;
    }
}

double PWUserDefaults::doubleForKey(const QString &key) const
{
    const PWPlist value = objectForKey(key);
    switch (value.type()) {
    case PWPlist::Type::Integer:
    case PWPlist::Type::Real:
        return value.toReal();
    case PWPlist::Type::Boolean:
        return value.toBool() ? 1.0 : 0.0;
    case PWPlist::Type::String:
        return numberFromString(value.toString()).value_or(0.0);
    default:
        return 0.0;
    }
}

bool PWUserDefaults::boolForKey(const QString &key) const
{
    const PWPlist value = objectForKey(key);
    switch (value.type()) {
    case PWPlist::Type::Boolean:
        return value.toBool();
    case PWPlist::Type::Integer:
        return value.toInteger() != 0;
    case PWPlist::Type::Real:
        return value.toReal() != 0.0;
    case PWPlist::Type::String: {
        const QString text = value.toString().trimmed();
        if (text.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0
            || text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        const std::optional<double> number = numberFromString(text);
        return number && *number != 0.0;
    }
    default:
        return false;
    }
}

QByteArray PWUserDefaults::dataForKey(const QString &key) const
{
    return objectForKey(key).toData();
}

PWPlist::Array PWUserDefaults::arrayForKey(const QString &key) const
{
    return objectForKey(key).toArray();
}

PWPlist::Dictionary PWUserDefaults::dictionaryForKey(const QString &key) const
{
    return objectForKey(key).toDictionary();
}

void PWUserDefaults::setString(const QString &key, const QString &value)
{
    setObject(key, PWPlist::fromString(value));
}

void PWUserDefaults::setInteger(const QString &key, qint64 value)
{
    setObject(key, PWPlist::fromInteger(value));
}

void PWUserDefaults::setDouble(const QString &key, double value)
{
    setObject(key, PWPlist::fromReal(value));
}

void PWUserDefaults::setBool(const QString &key, bool value)
{
    setObject(key, PWPlist::fromBool(value));
}

bool PWUserDefaults::synchronize()
{
    QString failure;
    {
        QMutexLocker locker(&m_mutex);
        failure = writeStore(m_filePath, m_values);
    }
    reportWrite(QString(), failure);
    return failure.isEmpty();
}

bool PWUserDefaults::isSaved() const
{
    QMutexLocker locker(&m_mutex);
    return m_saved;
}

bool PWUserDefaults::reload()
{
    PWPlist::Dictionary fresh;
    const LoadResult result = readStore(m_filePath, &fresh);
    QStringList changed;
    {
        QMutexLocker locker(&m_mutex);
        for (const PWPlist::Dictionary::Entry &entry : std::as_const(m_values)) {
            if (!fresh.contains(entry.first) || fresh.value(entry.first) != entry.second)
                changed.append(entry.first);
        }
        for (const PWPlist::Dictionary::Entry &entry : std::as_const(fresh)) {
            if (!m_values.contains(entry.first))
                changed.append(entry.first);
        }
        m_values = fresh;
    }
    for (const QString &key : std::as_const(changed))
        Q_EMIT valueChanged(key);
    return result == LoadResult::Loaded || result == LoadResult::Missing;
}
