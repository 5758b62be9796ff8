#include "app/contacts/CADataSourceContainer.h"

#include "app/contacts/CAContactsLog.h"
#include "app/contacts/CAExcelSource.h"
#include "app/contacts/CAFileMakerSource.h"
#include "app/contacts/CAImportWorker.h"
#include "app/contacts/CAScriptedSource.h"
#include "app/contacts/CATextFileSource.h"
#include "app/contacts/CAVCFSource.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/address/FTStoredPerson.h"
#include "platform/PWNotificationCenter.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWPersonRecord.h"
#include "platform/PWSaveFile.h"
#include "platform/PWVCardKept.h"
#include "platform/PWVCardMerge.h"
#include "platform/PWVCardReader.h"

#include <QDir>
#include <QMutexLocker>
#include <QStandardPaths>

namespace {

const QString kPersonListKey = QStringLiteral("personListEx");
const QString kGroupsKey = QStringLiteral("groupsEx");
// Entries of old caches carry the person as a vCard under "data"; the entries written now carry
// the compact person record under "person", several times quicker to read back.
const QString kDataKey = QStringLiteral("data");
const QString kRecordKey = QStringLiteral("person");
// A person read from a card keeps that card beside its record, and is read back from it: a list
// or a design it goes to stores its lines as written.
const QString kCardKey = QStringLiteral("card");
const QString kPrimaryAddressKey = QStringLiteral("primary address");
const QString kCustomDataKey = QStringLiteral("custom data");

PWPlist::Array entriesFor(const CAPersonList &persons, bool withCustomData)
{
    PWPlist::Array entries;
    entries.reserve(persons.size());
    for (const std::shared_ptr<PWPerson> &person : persons) {
        if (person)
            entries.append(PWPlist(CADataSourceContainer::cacheEntryForPerson(*person, withCustomData)));
    }
    return entries;
}

} // namespace

const QString CADataSourceContainer::kUpdateCacheNotify = QStringLiteral("Update Cache  Notification");
const QString CADataSourceContainer::kAllowUpdateCacheNotify = QStringLiteral("Allow Update Cache Notification");
const QString CADataSourceContainer::kForbidUpdateCacheNotify = QStringLiteral("Forbid Update Cache Notification");
const QString CADataSourceContainer::kDataSourceNameKey = QStringLiteral("DataSourceName");

CADataSourceContainer &CADataSourceContainer::sharedDataSourceContainer()
{
    static CADataSourceContainer *shared = [] {
        auto *container = new CADataSourceContainer(defaultCacheFolder());
        CAVCFSource::registerWith(*container);
        CATextFileSource::registerWith(*container);
        CAExcelSource::registerWith(*container);
        CAScriptedSource::registerInstalled(*container);
        CAFileMakerSource::registerInstalled(*container);
        return container;
    }();
    return *shared;
}

QString CADataSourceContainer::defaultCacheFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/Parcelwick");
}

CADataSourceContainer::CADataSourceContainer(const QString &cacheFolder, QObject *parent)
    : QObject(parent)
    , m_cacheFolder(cacheFolder)
{
}

void CADataSourceContainer::registerSource(const QString &displayName, const QString &cacheName,
                                           ImportFunction import, bool withGroups)
{
    ProgressImportFunction withProgress;
    if (import) {
        withProgress = [import = std::move(import)](QWidget *window, QStringList &problems, CAImportProgress *) {
            return import(window, problems);
        };
    }
    registerProgressSource(displayName, cacheName, std::move(withProgress), withGroups);
}

void CADataSourceContainer::registerProgressSource(const QString &displayName, const QString &cacheName,
                                                   ProgressImportFunction import, bool withGroups)
{
    QMutexLocker lock(&m_mutex);
    if (!m_sources.contains(displayName))
        m_order.append(displayName);
    Source &source = m_sources[displayName];
    source.cacheName = cacheName;
    source.import = std::move(import);
    source.withGroups = withGroups;
}

bool CADataSourceContainer::hasSource(const QString &displayName) const
{
    QMutexLocker lock(&m_mutex);
    return m_sources.contains(displayName);
}

QStringList CADataSourceContainer::sourceNames() const
{
    QMutexLocker lock(&m_mutex);
    return m_order;
}

QString CADataSourceContainer::cacheNameOfSource(const QString &displayName) const
{
    QMutexLocker lock(&m_mutex);
    const auto found = m_sources.constFind(displayName);
    return found == m_sources.cend() ? QString() : found->cacheName;
}

std::optional<CAPersonList> CADataSourceContainer::storedContactsForSource(const QString &displayName)
{
    QString cacheName;
    bool withGroups = false;
    {
        QMutexLocker lock(&m_mutex);
        const auto found = m_sources.constFind(displayName);
        if (found == m_sources.cend())
            return std::nullopt;
        if (found->memory)
            return found->memory;
        cacheName = found->cacheName;
        withGroups = found->withGroups;
    }
    Groups cachedGroups;
    std::optional<CAPersonList> list = getCachedPersonListForSource(cacheName, withGroups ? &cachedGroups : nullptr);
    if (!list)
        return std::nullopt;
    QMutexLocker lock(&m_mutex);
    Source &source = m_sources[displayName];
    source.memory = std::move(list);
    if (withGroups)
        source.groups = std::move(cachedGroups);
    return source.memory;
}

std::optional<CAPersonList> CADataSourceContainer::contactsForSource(const QString &displayName, QWidget *window,
                                                                     bool direct)
{
    if (!direct) {
        if (std::optional<CAPersonList> stored = storedContactsForSource(displayName))
            return stored;
    }
    bool imports = false;
    {
        QMutexLocker lock(&m_mutex);
        const auto found = m_sources.constFind(displayName);
        if (found == m_sources.cend())
            return std::nullopt;
        imports = bool(found->import);
    }
    if (imports) {
        // The import runs unlocked: it may ask the user and take long.
        if (std::optional<PreparedImport> prepared = prepareImport(displayName, window))
            commitImport(std::move(*prepared));
    }
    return memoryListForSource(displayName);
}

std::optional<CADataSourceContainer::PreparedImport>
CADataSourceContainer::prepareImport(const QString &displayName, QWidget *window, CAImportProgress *progress)
{
    PreparedImport prepared;
    prepared.displayName = displayName;
    ProgressImportFunction import;
    {
        QMutexLocker lock(&m_mutex);
        const auto found = m_sources.constFind(displayName);
        if (found == m_sources.cend() || !found->import)
            return std::nullopt;
        prepared.cacheName = found->cacheName;
        import = found->import;
    }
    const auto stopped = [progress] { return progress && progress->stopRequested.load(); };
    std::optional<ImportResult> result = import(window, prepared.problems, progress);
    if (result && !stopped()) {
        prepared.cache = cacheBytes(result->persons, result->groups ? &*result->groups : nullptr);
        prepared.result = std::move(*result);
    }
    if (!result || stopped()) {
        if (stopped())
            prepared.problems.append(QStringLiteral("The import was stopped; the contacts read before are kept."));
        QMutexLocker lock(&m_mutex);
        Source &source = m_sources[displayName];
        source.problems = prepared.problems;
        source.cancelled = !stopped() && progress && progress->cancelled.load();
        return std::nullopt;
    }
    return prepared;
}

void CADataSourceContainer::commitImport(PreparedImport prepared)
{
    QString error;
    if (!writeCacheBytes(prepared.cache, prepared.cacheName, &error))
        prepared.problems.append(
            QStringLiteral("The contacts were read but could not be kept for the next start: %1.").arg(error));
    QMutexLocker lock(&m_mutex);
    Source &source = m_sources[prepared.displayName];
    source.problems = prepared.problems;
    source.cancelled = false;
    source.memory = std::move(prepared.result.persons);
    if (prepared.result.groups)
        source.groups = std::move(prepared.result.groups);
}

std::optional<CADataSourceContainer::Groups> CADataSourceContainer::groupsForSource(const QString &displayName)
{
    if (!memoryListForSource(displayName))
        contactsForSource(displayName, nullptr, true);
    QMutexLocker lock(&m_mutex);
    const auto found = m_sources.constFind(displayName);
    return found == m_sources.cend() ? std::nullopt : found->groups;
}

std::optional<CAPersonList> CADataSourceContainer::memoryListForSource(const QString &displayName) const
{
    QMutexLocker lock(&m_mutex);
    const auto found = m_sources.constFind(displayName);
    return found == m_sources.cend() ? std::nullopt : found->memory;
}

QStringList CADataSourceContainer::lastImportProblems(const QString &displayName) const
{
    QMutexLocker lock(&m_mutex);
    const auto found = m_sources.constFind(displayName);
    return found == m_sources.cend() ? QStringList() : found->problems;
}

bool CADataSourceContainer::lastImportCancelled(const QString &displayName) const
{
    QMutexLocker lock(&m_mutex);
    const auto found = m_sources.constFind(displayName);
    return found != m_sources.cend() && found->cancelled;
}

QString CADataSourceContainer::getCachePathForSource(const QString &cacheName) const
{
    return m_cacheFolder + QLatin1Char('/') + cacheName + QStringLiteral(".cache");
}

std::optional<PWPlist::Dictionary> CADataSourceContainer::getCachedDataForSource(const QString &cacheName,
                                                                                 QString *error) const
{
    const QString path = getCachePathForSource(cacheName);
    if (!QFileInfo::exists(path)) {
        if (error)
            *error = QStringLiteral("there is no cache");
        return std::nullopt;
    }
    QString reason;
    const std::optional<PWPlist> cache = PWPlist::readFile(path, &reason);
    if (!cache || !cache->isDictionary() || !cache->value(kPersonListKey).isArray()) {
        if (reason.isEmpty())
            reason = QStringLiteral("%1 holds no person list").arg(path);
        qCInfo(lcContacts).noquote() << "contact cache not used:" << reason;
        if (error)
            *error = reason;
        return std::nullopt;
    }
    return cache->toDictionary();
}

std::optional<CAPersonList> CADataSourceContainer::getCachedPersonListForSource(const QString &cacheName, Groups *groups,
                                                                                qsizetype *skipped) const
{
    const std::optional<PWPlist::Dictionary> cache = getCachedDataForSource(cacheName);
    if (!cache)
        return std::nullopt;
    qsizetype unreadable = 0;
    PWPersonRecord::Reader reader;
    CAPersonList persons;
    const PWPlist::Array &entries = cache->value(kPersonListKey).toArray();
    persons.reserve(entries.size());
    for (const PWPlist &entry : entries) {
        if (std::shared_ptr<PWPerson> person = personFromCacheEntry(entry, true, reader))
            persons.append(std::move(person));
        else
            ++unreadable;
    }
    const PWPlist cachedGroups = cache->value(kGroupsKey);
    if (groups && cachedGroups.isDictionary()) {
        Groups read;
        for (const auto &[name, members] : cachedGroups.toDictionary()) {
            CAPersonList list;
            if (members.isArray()) {
                for (const PWPlist &entry : members.toArray()) {
                    if (std::shared_ptr<PWPerson> person = personFromCacheEntry(entry, false, reader))
                        list.append(std::move(person));
                    else
                        ++unreadable;
                }
            }
            read.insert(name, list);
        }
        *groups = read;
    }
    if (unreadable > 0)
        qCWarning(lcContacts).noquote()
            << QStringLiteral("%1 persons of the cache %2 could not be read").arg(unreadable).arg(cacheName);
    if (skipped)
        *skipped = unreadable;
    return persons;
}

bool CADataSourceContainer::cachePersonList(const CAPersonList &persons, const Groups *groups,
                                            const QString &cacheName, QString *error) const
{
    return writeCacheBytes(cacheBytes(persons, groups), cacheName, error);
}

QByteArray CADataSourceContainer::cacheBytes(const CAPersonList &persons, const Groups *groups)
{
    PWPlist::Dictionary cache;
    cache.insert(kPersonListKey, PWPlist(entriesFor(persons, true)));
    if (groups) {
        PWPlist::Dictionary stored;
        for (auto group = groups->cbegin(); group != groups->cend(); ++group)
            stored.insert(group.key(), PWPlist(entriesFor(group.value(), false)));
        cache.insert(kGroupsKey, PWPlist(stored));
    }
    return PWPlist(cache).toXml();
}

bool CADataSourceContainer::writeCacheBytes(const QByteArray &bytes, const QString &cacheName, QString *error) const
{
    QString reason;
    if (!QDir().mkpath(m_cacheFolder)) {
        reason = QStringLiteral("the folder %1 cannot be made").arg(m_cacheFolder);
    } else if (PWSaveFile::write(getCachePathForSource(cacheName), bytes, &reason)) {
        return true;
    }
    qCWarning(lcContacts).noquote() << "contact cache not written:" << reason;
    if (error)
        *error = reason;
    return false;
}

PWPlist::Dictionary CADataSourceContainer::cacheEntryForPerson(const PWPerson &person, bool withCustomData)
{
    // Only the cached bytes carry the blank picture; the person keeps its own.
    const QByteArray blank = person.imageData().isEmpty() ? QByteArray() : FTStoredPerson::blankPictureData();
    PWPlist::Dictionary entry;
    entry.insert(kRecordKey, PWPlist::fromData(PWPersonRecord::encode(person, &blank)));
    if (const std::shared_ptr<const PWVCardOriginal> &card = person.sourceCard(); card && !card->lines.isEmpty())
        entry.insert(kCardKey, PWPlist::fromData(card->lines.join()));
    const bool home = getPrimaryAddressLabel(&person) == kPWAddressHomeLabel;
    entry.insert(kPrimaryAddressKey, PWPlist::fromString(home ? QStringLiteral("home") : QStringLiteral("work")));
    if (withCustomData) {
        PWPlist::Dictionary custom;
        for (unsigned int index = 1; index <= 9; ++index) {
            const QString property = getABPropertyKeyForCustomIndex(index);
            const PWPlist value = person.valueForProperty(property);
            if (!value.isNull())
                custom.insert(property, value);
        }
        if (!custom.isEmpty())
            entry.insert(kCustomDataKey, PWPlist(custom));
    }
    return entry;
}

std::shared_ptr<PWPerson> CADataSourceContainer::personFromCacheEntry(const PWPlist &entry, bool withCustomData)
{
    PWPersonRecord::Reader reader;
    return personFromCacheEntry(entry, withCustomData, reader);
}

std::shared_ptr<PWPerson> CADataSourceContainer::personFromCacheEntry(const PWPlist &entry, bool withCustomData,
                                                                      PWPersonRecord::Reader &reader)
{
    std::shared_ptr<PWPerson> person;
    if (const PWPlist card = entry.value(kCardKey); card.isData()) {
        QString error;
        person = PWVCardKept::person(card.toData(), PWVCardReader::Options(), &error);
        if (!person)
            qCWarning(lcContacts).noquote() << "cached card not read, its record is taken:" << error;
    }
    if (!person) {
        if (const PWPlist record = entry.value(kRecordKey); record.isData())
            person = reader.decode(record.toData());
        else if (const PWPlist data = entry.value(kDataKey); data.isData())
            person = PWVCardReader::personFromData(data.toData());
    }
    if (!person)
        return nullptr;
    if (withCustomData) {
        const PWPlist custom = entry.value(kCustomDataKey);
        if (custom.isDictionary()) {
            for (const auto &[property, value] : custom.toDictionary())
                person->setValueForProperty(property, value);
        }
    }
    // A card says itself which address is the primary one.
    if (person->sourceCard())
        return person;
    const bool home = entry.value(kPrimaryAddressKey).toString() == QLatin1String("home");
    setPrimaryAddressIndex(person.get(), home ? kPWAddressHomeLabel : kPWAddressWorkLabel);
    return person;
}

void CADataSourceContainer::post(const QString &name, const QString &displayName)
{
    QVariantMap userInfo;
    userInfo.insert(kDataSourceNameKey, displayName);
    PWNotificationCenter::defaultCenter().postNotification(name, this, userInfo);
}

void CADataSourceContainer::updateCacheForSource(const QString &displayName)
{
    post(kUpdateCacheNotify, displayName);
    Q_EMIT cacheUpdated(displayName);
}

void CADataSourceContainer::setAllowUpdateCache(bool allow, const QString &displayName)
{
    {
        QMutexLocker lock(&m_mutex);
        m_updatesForbidden = !allow;
    }
    post(allow ? kAllowUpdateCacheNotify : kForbidUpdateCacheNotify, displayName);
    Q_EMIT updatePermissionChanged(displayName, allow);
}

bool CADataSourceContainer::isAllowUpdateCacheForSource(const QString &displayName) const
{
    QMutexLocker lock(&m_mutex);
    return !m_sources.contains(displayName) || !m_updatesForbidden;
}

bool CADataSourceContainer::isErrorDuringImporting() const
{
    QMutexLocker lock(&m_mutex);
    return m_errorDuringImporting;
}

void CADataSourceContainer::setErrorDuringImporting(bool error)
{
    QMutexLocker lock(&m_mutex);
    m_errorDuringImporting = error;
}
