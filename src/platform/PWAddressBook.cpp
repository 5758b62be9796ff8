#include "platform/PWAddressBook.h"

#include "platform/PWFileReader.h"
#include "platform/PWPerson.h"
#include "platform/PWPlist.h"
#include "platform/PWSaveFile.h"
#include "platform/PWVCardParser.h"
#include "platform/PWVCardReader.h"
#include "platform/PWVCardWriter.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace {

const QString kMarkerFile = QStringLiteral("AddressBook.plist");
const QString kMeKey = QStringLiteral("Me");

bool report(QString *error, const QString &reason)
{
    qCWarning(lcVCard).noquote() << "address book:" << reason;
    if (error && error->isEmpty())
        *error = reason;
    return false;
}

bool hasUid(const PWVCard &card)
{
    for (const PWVCardLine &line : card) {
        if (line.name == QLatin1String("UID") && !line.value.trimmed().isEmpty())
            return true;
    }
    return false;
}

// A file that is there but refused (too large, not a regular file) says why here; a missing one
// is for the caller.
QByteArray readAll(const QString &path, bool *ok)
{
    const PWFileReader::Result file = PWFileReader::read(path, PWFileReader::kVCardLimit);
    *ok = file.ok();
    if (!*ok && file.status != PWFileReader::Status::CannotOpen)
        qCWarning(lcVCard).noquote() << "address book:" << path << "not read:" << file.reason;
    return file.bytes;
}

} // namespace

PWAddressBook &PWAddressBook::sharedAddressBook()
{
    static PWAddressBook *book = [] {
        auto *made = new PWAddressBook(defaultFolderPath()); // kept for the life of the process
        made->load();
        return made;
    }();
    return *book;
}

QString PWAddressBook::defaultFolderPath()
{
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || !QDir::isAbsolutePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/Parcelwick/AddressBook");
}

PWAddressBook::PWAddressBook(const QString &folderPath)
    : m_folder(QDir::cleanPath(folderPath))
{
}

PWAddressBook::~PWAddressBook() = default;

bool PWAddressBook::load(QString *error)
{
    m_people.clear();
    m_groups.clear();
    m_meId.clear();
    m_files.clear();
    m_removedFiles.clear();
    m_unreadableFiles.clear();
    const QDir folder(m_folder);
    if (!folder.exists())
        return true;
    if (!folder.isReadable())
        return report(error, QStringLiteral("folder %1 cannot be read").arg(m_folder));

    const QStringList names = folder.entryList({QStringLiteral("*.vcf")}, QDir::Files, QDir::Name);
    QSet<QString> seen;
    for (const QString &name : names) {
        bool opened = false;
        const QByteArray bytes = readAll(folder.filePath(name), &opened);
        QString reason;
        const std::optional<QList<PWVCard>> cards =
            opened ? PWVCardParser::parse(bytes, &reason) : std::nullopt;
        if (!cards) {
            qCWarning(lcVCard).noquote() << "address book: file" << name << "left out:"
                                         << (opened ? reason : QStringLiteral("cannot be opened"));
            m_unreadableFiles.insert(name);
            continue;
        }
        bool fileTaken = false;
        for (PWVCard card : *cards) {
            // A card without a UID takes the file's name as its identity, so saving it again
            // writes the same file rather than a second copy.
            if (!hasUid(card) && !fileTaken)
                card.append(PWVCardLine{QString(), QStringLiteral("UID"), {}, QFileInfo(name).completeBaseName()});
            std::optional<PWGroup> group = PWVCardReader::groupFromCard(card);
            std::shared_ptr<PWPerson> person =
                group ? nullptr : PWVCardReader::personFromCard(card, PWVCardReader::Options(true));
            const QString id = group ? group->uniqueId() : person->uniqueId();
            if (seen.contains(id)) {
                qCWarning(lcVCard).noquote() << "address book: second record" << id << "in" << name << "left out";
                continue;
            }
            seen.insert(id);
            if (group)
                m_groups.append(*group);
            else
                m_people.append(person);
            if (!fileTaken) {
                m_files.insert(id, name);
                fileTaken = true;
            }
        }
    }

    QString markerError;
    if (const std::optional<PWPlist> marker = PWPlist::readFile(folder.filePath(kMarkerFile), &markerError)) {
        const QString me = marker->value(kMeKey).toString();
        if (personForUniqueId(me))
            m_meId = me;
    }
    return true;
}

std::shared_ptr<PWPerson> PWAddressBook::personForUniqueId(const QString &uniqueId) const
{
    for (const std::shared_ptr<PWPerson> &person : m_people) {
        if (person->uniqueId() == uniqueId)
            return person;
    }
    return nullptr;
}

bool PWAddressBook::addPerson(const std::shared_ptr<PWPerson> &person)
{
    if (!person || personForUniqueId(person->uniqueId()) || groupForUniqueId(person->uniqueId()))
        return false;
    m_people.append(person);
    return true;
}

bool PWAddressBook::removePerson(const QString &uniqueId)
{
    const qsizetype removed = m_people.removeIf([&](const auto &p) { return p->uniqueId() == uniqueId; });
    if (removed == 0)
        return false;
    for (PWGroup &group : m_groups)
        group.removeMember(uniqueId);
    if (m_meId == uniqueId)
        m_meId.clear();
    if (m_files.contains(uniqueId))
        m_removedFiles.insert(m_files.take(uniqueId));
    return true;
}

std::optional<PWGroup> PWAddressBook::groupForUniqueId(const QString &uniqueId) const
{
    for (const PWGroup &group : m_groups) {
        if (group.uniqueId() == uniqueId)
            return group;
    }
    return std::nullopt;
}

void PWAddressBook::setGroup(const PWGroup &group)
{
    for (PWGroup &existing : m_groups) {
        if (existing.uniqueId() == group.uniqueId()) {
            existing = group;
            return;
        }
    }
    m_groups.append(group);
}

bool PWAddressBook::removeGroup(const QString &uniqueId)
{
    if (m_groups.removeIf([&](const PWGroup &g) { return g.uniqueId() == uniqueId; }) == 0)
        return false;
    if (m_files.contains(uniqueId))
        m_removedFiles.insert(m_files.take(uniqueId));
    return true;
}

QList<std::shared_ptr<PWPerson>> PWAddressBook::peopleInGroup(const QString &groupId) const
{
    QList<std::shared_ptr<PWPerson>> members;
    const std::optional<PWGroup> group = groupForUniqueId(groupId);
    if (!group)
        return members;
    for (const QString &id : group->memberIds()) {
        if (const std::shared_ptr<PWPerson> person = personForUniqueId(id))
            members.append(person);
    }
    return members;
}

std::shared_ptr<PWPerson> PWAddressBook::me() const
{
    return m_meId.isEmpty() ? nullptr : personForUniqueId(m_meId);
}

bool PWAddressBook::setMe(const std::shared_ptr<PWPerson> &person)
{
    if (!person) {
        m_meId.clear();
        return true;
    }
    if (personForUniqueId(person->uniqueId()) != person)
        return false;
    m_meId = person->uniqueId();
    return true;
}

QString PWAddressBook::fileNameFor(const QString &uniqueId)
{
    const auto found = m_files.constFind(uniqueId);
    if (found != m_files.constEnd())
        return *found;
    // Ids come from files written by other programs: keep only characters safe in a file name.
    QString base;
    for (const QChar c : uniqueId) {
        const bool safe = (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
                          || (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
                          || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-')
                          || c == QLatin1Char('_');
        base.append(safe ? c : QLatin1Char('_'));
    }
    if (base.isEmpty() || base.size() > 100)
        base = QString::fromLatin1(QCryptographicHash::hash(uniqueId.toUtf8(), QCryptographicHash::Sha1).toHex());
    QSet<QString> taken(m_files.cbegin(), m_files.cend());
    taken.unite(m_unreadableFiles);
    QString name = base + QStringLiteral(".vcf");
    const auto inUse = [&](const QString &candidate) {
        return taken.contains(candidate)
               || (!m_removedFiles.contains(candidate) && QFileInfo::exists(QDir(m_folder).filePath(candidate)));
    };
    for (int n = 2; inUse(name); ++n)
        name = base + QStringLiteral("-%1.vcf").arg(n);
    m_files.insert(uniqueId, name);
    return name;
}

bool PWAddressBook::writeFile(const QString &fileName, const QByteArray &bytes, QString *error)
{
    const QString path = QDir(m_folder).filePath(fileName);
    {
        bool read = false;
        if (readAll(path, &read) == bytes && read)
            return true;
    }
    QString reason;
    if (!PWSaveFile::write(path, bytes, &reason))
        return report(error, QStringLiteral("%1 cannot be written: %2").arg(path, reason));
    return true;
}

bool PWAddressBook::save(QString *error)
{
    if (!QDir().mkpath(m_folder))
        return report(error, QStringLiteral("folder %1 cannot be made").arg(m_folder));
    bool ok = true;
    QSet<QString> written;
    for (const std::shared_ptr<PWPerson> &person : std::as_const(m_people)) {
        const QString name = fileNameFor(person->uniqueId());
        ok = writeFile(name, PWVCardWriter::vCardRepresentation(*person), error) && ok;
        written.insert(name);
    }
    for (const PWGroup &group : std::as_const(m_groups)) {
        const QString name = fileNameFor(group.uniqueId());
        ok = writeFile(name, PWVCardWriter::groupRepresentation(group), error) && ok;
        written.insert(name);
    }
    for (const QString &name : std::as_const(m_removedFiles)) {
        if (written.contains(name))
            continue;
        QFile file(QDir(m_folder).filePath(name));
        if (file.exists() && !file.remove())
            ok = report(error, QStringLiteral("%1 cannot be removed").arg(file.fileName()));
    }
    m_removedFiles.clear();
    const PWPlist marker(PWPlist::Dictionary{{kMeKey, PWPlist::fromString(m_meId)}});
    ok = writeFile(kMarkerFile, marker.toXml(), error) && ok;
    return ok;
}
