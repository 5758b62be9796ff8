#include "platform/PWUserDefaults.h"

#include "platform/PWFileReader.h"
#include "platform/PWPathStatus.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QStringList>

#include <atomic>
#include <cmath>
#include <new>

Q_LOGGING_CATEGORY(lcDefaults, "pw.platform.defaults")

namespace {

enum class LoadResult { Missing, Loaded, Corrupt, Unreadable };

// A batch job reads its settings and writes none of them (see setLeavesFileAsFound).
std::atomic<bool> s_leavesFileAsFound{false};

// What became of a file that could not be read: the sentence that names it, and whether the
// store may write its own file over that place.
struct LoadOutcome
{
    QString note;
    bool writable = true;
};

// The first name beside the store that nothing holds: "<file>.corrupt", then "<file>.corrupt-2",
// ... so that a copy kept at an earlier start is never replaced.
QString freeAsideName(const QString &path)
{
    QString aside = path + QStringLiteral(".corrupt");
    for (qint64 n = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++n)
        aside = path + QStringLiteral(".corrupt-%1").arg(n);
    return aside;
}

// A file that does not hold a dictionary is kept beside the store for the user to look at,
// never overwritten by the next setting. One the user made read-only stays where it is: the
// store starts empty and its writes are refused, as any writer refuses such a file. A job that
// leaves the file as it found it moves nothing.
LoadOutcome setAside(const QString &path, const QString &reason)
{
    LoadOutcome outcome;
    if (s_leavesFileAsFound.load()) {
        outcome.note = QStringLiteral("the settings file %1 could not be read (%2); default settings are used")
                           .arg(path, reason);
    } else if (!QFileInfo(path).isWritable()) {
        outcome.note = QStringLiteral("the settings file %1 could not be read (%2) and is read-only; default "
                                      "settings are used")
                           .arg(path, reason);
    } else {
        // Renamed, never copied: a second damaged file finds the first copy's name taken.
        const QString aside = freeAsideName(path);
        if (QFile::rename(path, aside)) {
            outcome.note = QStringLiteral("the settings file %1 could not be read (%2); it is kept as %3 and "
                                          "default settings are used")
                               .arg(path, reason, aside);
        } else {
            // Left in place, it must not be replaced by the next setting either.
            outcome.writable = false;
            outcome.note = QStringLiteral("the settings file %1 could not be read (%2) nor be kept aside as %3; "
                                          "default settings are used and nothing is saved")
                               .arg(path, reason, aside);
        }
    }
    qCWarning(lcDefaults).noquote() << outcome.note;
    return outcome;
}

LoadResult readStore(const QString &path, PWPlist::Dictionary *values, LoadOutcome *outcome)
{
    values->clear();
    *outcome = LoadOutcome();
    if (!QFileInfo::exists(path))
        return LoadResult::Missing;
    const PWFileReader::Result file =
        PWFileReader::read(path, PWFileReader::kSettingsLimit, PWFileReader::propertyListSignature());
    switch (file.status) {
    case PWFileReader::Status::Read:
        break;
    case PWFileReader::Status::NotRegularFile:
        // A pipe or a device in the store's place is the user's: neither moved nor replaced.
        outcome->writable = false;
        outcome->note = QStringLiteral("the settings file %1 cannot be used (%2); default settings are used and nothing "
                                       "is saved")
                            .arg(path, file.reason);
        qCWarning(lcDefaults).noquote() << outcome->note;
        return LoadResult::Unreadable;
    case PWFileReader::Status::TooLarge:
    case PWFileReader::Status::NotOfKind:
        // There, but never a store: kept aside rather than replaced by the next setting.
        *outcome = setAside(path, file.reason);
        return LoadResult::Corrupt;
    default:
        // There but not readable (no permission, an error of the disk): replacing it would lose it.
        outcome->writable = false;
        outcome->note = QStringLiteral("the settings file %1 cannot be read (%2); default settings are used and "
                                       "nothing is saved")
                            .arg(path, file.reason);
        qCWarning(lcDefaults).noquote() << outcome->note;
        return LoadResult::Unreadable;
    }
    QString error;
    std::optional<PWPlist> parsed;
    try {
        parsed = PWPlist::parse(file.bytes, &error);
    } catch (const std::bad_alloc &) {
        outcome->writable = false;
        outcome->note = QStringLiteral("the settings file %1 cannot be read (there is not enough memory); default "
                                       "settings are used and nothing is saved")
                            .arg(path);
        qCWarning(lcDefaults).noquote() << outcome->note;
        return LoadResult::Unreadable;
    }
    if (!parsed || !parsed->isDictionary()) {
        *outcome = setAside(path, parsed ? QStringLiteral("no dictionary at the top") : error);
        return LoadResult::Corrupt;
    }
    *values = parsed->toDictionary();
    return LoadResult::Loaded;
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
    // Stamped before it is read: a write by another process in between is taken in, not lost.
    m_stamp = stampOfFile();
    LoadOutcome outcome;
    readStore(m_filePath, &m_values, &outcome);
    m_base = m_values;
    takeOutcome(outcome.note, outcome.writable);
}

PWUserDefaults::FileStamp PWUserDefaults::stampOfFile() const
{
    const PWPathStatus::Entry entry = PWPathStatus::statusAt(QFile::encodeName(m_filePath));
    FileStamp stamp;
    if (entry.kind == PWPathStatus::Kind::Missing)
        return stamp;
    // A save replaces the file by another: its identity changes with every write of either store.
    stamp.exists = true;
    stamp.device = entry.identity.device;
    stamp.inode = entry.identity.inode;
    stamp.size = entry.size;
    stamp.seconds = entry.modified.seconds;
    stamp.nanoseconds = entry.modified.nanoseconds;
    return stamp;
}

void PWUserDefaults::setMergeForKey(const QString &key, Merge merge)
{
    QMutexLocker locker(&m_mutex);
    m_merges.insert(key, std::move(merge));
}

void PWUserDefaults::takeInOtherWrites(QStringList *taken)
{
    // Read even when the file looks as this store left it: a file replaced twice within the
    // clock's step can come back with the same size, time and (reused) inode number. What reads
    // as the base merges to nothing.
    const FileStamp now = stampOfFile();
    if (!now.exists)
        return;
    // What cannot be read as a store (gone, damaged, being replaced) gives nothing to take in: this
    // store's values are written as they were before another process shared the file.
    const PWFileReader::Result file =
        PWFileReader::read(m_filePath, PWFileReader::kSettingsLimit, PWFileReader::propertyListSignature());
    if (file.status != PWFileReader::Status::Read)
        return;
    std::optional<PWPlist> parsed;
    try {
        parsed = PWPlist::parse(file.bytes);
    } catch (const std::bad_alloc &) {
        return;
    }
    if (!parsed || !parsed->isDictionary())
        return;
    const PWPlist::Dictionary theirs = parsed->toDictionary();
    QStringList keys = m_values.keys();
    for (const QString &key : m_base.keys() + theirs.keys())
        if (!keys.contains(key))
            keys.append(key);
    PWPlist::Dictionary merged;
    for (const QString &key : std::as_const(keys)) {
        const PWPlist base = m_base.value(key);
        const PWPlist mine = m_values.value(key);
        const PWPlist their = theirs.value(key);
        PWPlist kept = mine;
        if (mine == base)
            kept = their;
        else if (their != base && their != mine && m_merges.contains(key))
            kept = m_merges.value(key)(base, mine, their);
        if (!kept.isNull())
            merged.insert(key, kept);
        if (kept != mine)
            taken->append(key);
    }
    if (!taken->isEmpty())
        qCInfo(lcDefaults).noquote() << QStringLiteral("the settings file %1 was written by another process; its "
                                                       "changes were taken in (%2)")
                                            .arg(m_filePath, taken->join(QStringLiteral(", ")));
    m_values = merged;
    // What this store set and has not written yet is what differs from the file now.
    m_base = theirs;
    m_stamp = now;
}

void PWUserDefaults::tellTaken(const QStringList &taken)
{
    if (taken.isEmpty())
        return;
    for (const QString &key : taken)
        Q_EMIT valueChanged(key);
    Q_EMIT takenFromFile(taken);
}

void PWUserDefaults::setLeavesFileAsFound(bool leaves)
{
    s_leavesFileAsFound.store(leaves);
}

bool PWUserDefaults::leavesFileAsFound()
{
    return s_leavesFileAsFound.load();
}

void PWUserDefaults::takeOutcome(const QString &note, bool writable)
{
    {
        QMutexLocker locker(&m_mutex);
        m_unwritable = writable ? QString() : note;
    }
    if (!note.isEmpty())
        noteProblem(note);
}

void PWUserDefaults::noteProblem(const QString &sentence)
{
    {
        QMutexLocker locker(&m_mutex);
        if (m_problems.contains(sentence))
            return;
        m_problems.append(sentence);
    }
    Q_EMIT problemNoted(sentence);
}

QString PWUserDefaults::describe(const PWPlist &value)
{
    switch (value.type()) {
    case PWPlist::Type::Null:
        return QStringLiteral("nothing");
    case PWPlist::Type::Dictionary:
        return QStringLiteral("a dictionary");
    case PWPlist::Type::Array:
        return QStringLiteral("a list");
    case PWPlist::Type::String:
        return value.toString().isEmpty() ? QStringLiteral("an empty text") : QStringLiteral("a text");
    case PWPlist::Type::Data:
        return QStringLiteral("data");
    case PWPlist::Type::Integer:
    case PWPlist::Type::Real:
        return QStringLiteral("a number");
    case PWPlist::Type::Boolean:
        return QStringLiteral("a yes-or-no value");
    case PWPlist::Type::Date:
        return QStringLiteral("a date");
    case PWPlist::Type::Uid:
        return QStringLiteral("a reference");
    }
    return QStringLiteral("a value");
}

QStringList PWUserDefaults::problems() const
{
    QMutexLocker locker(&m_mutex);
    return m_problems;
}

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
    QStringList taken;
    {
        QMutexLocker locker(&m_mutex);
        if (m_values.contains(key) && m_values.value(key) == value)
            return;
        m_values.insert(key, value);
        failure = write(&taken);
    }
    Q_EMIT valueChanged(key);
    reportWrite(key, failure);
    tellTaken(taken);
}

void PWUserDefaults::removeObject(const QString &key)
{
    QString failure;
    QStringList taken;
    {
        QMutexLocker locker(&m_mutex);
        if (!m_values.remove(key))
            return;
        failure = write(&taken);
    }
    Q_EMIT valueChanged(key);
    reportWrite(key, failure);
    tellTaken(taken);
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
    QStringList taken;
    {
        QMutexLocker locker(&m_mutex);
        failure = write(&taken);
    }
    reportWrite(QString(), failure);
    tellTaken(taken);
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
    LoadOutcome outcome;
    const FileStamp stamp = stampOfFile();
    const LoadResult result = readStore(m_filePath, &fresh, &outcome);
    takeOutcome(outcome.note, outcome.writable);
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
        m_base = fresh;
        m_stamp = stamp;
    }
    for (const QString &key : std::as_const(changed))
        Q_EMIT valueChanged(key);
    return result == LoadResult::Loaded || result == LoadResult::Missing;
}
