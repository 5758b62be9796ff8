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

#include <algorithm>
#include <functional>
#include <limits>
#include <numeric>

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

QByteArray digestOf(const QByteArray &card)
{
    return QCryptographicHash::hash(card, QCryptographicHash::Sha1);
}

// A person of the given identity holding what from holds, entries under the same identifiers.
std::shared_ptr<PWPerson> copyOf(const PWPerson &from, const QString &uniqueId)
{
    std::shared_ptr<PWPerson> person = PWPerson::createWithUniqueId(uniqueId);
    for (const QString &property : from.propertiesWithValues()) {
        if (const std::optional<PWMultiValue> multi = from.multiValueForProperty(property))
            person->setMultiValueForProperty(property, *multi);
        else
            person->setValueForProperty(property, from.valueForProperty(property));
    }
    if (!from.imageData().isEmpty())
        person->setImageData(from.imageData());
    return person;
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
    m_savedMeId.clear();
    m_files.clear();
    m_savedDigests.clear();
    m_removedFiles.clear();
    m_leftAlone.clear();
    m_read.clear();
    m_cardUids.clear();
    const QDir folder(m_folder);
    if (!folder.exists())
        return true;
    if (!folder.isReadable())
        return report(error, QStringLiteral("folder %1 cannot be read").arg(m_folder));

    // Every card of every file first: an identity made up for a repeated UID must not take a UID
    // that a later card carries.
    struct Card
    {
        QString file;
        int index = 0; // its place in its file
        std::optional<PWGroup> group;
        std::shared_ptr<PWPerson> asRead;
        PWVCardMerge::Original original;
        QString cardUid; // the UID it carries, empty for none
        QString wanted; // the identity it asks for: its UID, or its file's name; empty for none
    };
    QList<Card> read;
    QSet<QString> claimed;
    const QStringList names = folder.entryList({QStringLiteral("*.vcf")}, QDir::Files, QDir::Name);
    for (const QString &name : names) {
        bool opened = false;
        const QByteArray bytes = readAll(folder.filePath(name), &opened);
        QString reason;
        int beginLines = 0;
        QList<std::pair<PWVCard, PWVCardSource>> cards;
        const bool parsed = opened && PWVCardParser::parseEachWithSource(
                                          bytes,
                                          [&cards](PWVCard &card, PWVCardSource &source) {
                                              cards.append({std::move(card), source});
                                          },
                                          &reason, &beginLines);
        if (!parsed) {
            leaveAlone(name, opened ? reason : QStringLiteral("cannot be opened"));
            continue;
        }
        // Cards the parser could not complete would be lost by writing the file again.
        if (cards.size() < beginLines)
            leaveAlone(name, QStringLiteral("only %1 of its %2 cards could be read").arg(cards.size()).arg(beginLines));
        for (int index = 0; index < cards.size(); ++index) {
            auto &[card, source] = cards[index];
            const bool ownUid = hasUid(card);
            // The first card without a UID takes the file's name as its identity, so saving it
            // again writes the same file rather than a second copy; the card as written keeps none.
            if (!ownUid && index == 0)
                card.append(PWVCardLine{QString(), QStringLiteral("UID"), {}, QFileInfo(name).completeBaseName()});
            Card entry;
            entry.file = name;
            entry.index = index;
            entry.group = PWVCardReader::groupFromCard(card);
            QList<PWVCardReader::LineUse> uses;
            if (!entry.group)
                entry.asRead = PWVCardReader::personFromCard(card, PWVCardReader::Options(true), &uses);
            if (!entry.group && !entry.asRead) {
                leaveAlone(name, QStringLiteral("card %1 holds no person").arg(index + 1));
                continue;
            }
            entry.original = PWVCardMerge::original(source, uses, entry.asRead);
            const QString id = entry.group ? entry.group->uniqueId() : entry.asRead->uniqueId();
            if (ownUid)
                entry.cardUid = id;
            if (ownUid || index == 0) {
                entry.wanted = id;
                claimed.insert(id);
            }
            read.append(std::move(entry));
        }
    }

    QSet<QString> taken;
    QHash<QString, int> positions;
    for (Card &entry : read) {
        // Of cards sharing a UID (copies of one card in several files, a file exported twice) the
        // first keeps it, so what names that UID elsewhere (a group, "me") still finds it; the
        // others, like cards without one, are known by their file and place in it, which stay the
        // same from one reading to the next as long as the files do.
        QString id = entry.wanted;
        if (id.isEmpty() || taken.contains(id)) {
            const QString base = QStringLiteral("%1#%2").arg(entry.file).arg(entry.index + 1);
            id = base;
            for (int n = 2; claimed.contains(id) || taken.contains(id); ++n)
                id = QStringLiteral("%1#%2").arg(base).arg(n);
        }
        taken.insert(id);
        if (!entry.cardUid.isEmpty() && entry.cardUid != id)
            m_cardUids.insert(id, entry.cardUid);
        QByteArray digest;
        if (entry.group) {
            PWGroup group(entry.group->name(), id);
            for (const QString &member : entry.group->memberIds())
                group.addMember(member);
            digest = digestOf(PWVCardWriter::groupRepresentation(group));
            m_groups.append(group);
        } else {
            std::shared_ptr<PWPerson> person = copyOf(*entry.asRead, id);
            // Copies of the person taken elsewhere (a list, a design) keep the card as written.
            person->setSourceCard(std::make_shared<const PWVCardOriginal>(entry.original));
            digest = digestOf(PWVCardWriter::vCardRepresentation(*person));
            m_people.append(std::move(person));
        }
        m_files.insert(id, entry.file);
        m_savedDigests.insert(id, digest);
        m_read.insert(id, ReadRecord {std::move(entry.original), positions[entry.file]++, digest});
    }

    QString markerError;
    if (const std::optional<PWPlist> marker = PWPlist::readFile(folder.filePath(kMarkerFile), &markerError)) {
        const QString me = marker->value(kMeKey).toString();
        if (personForUniqueId(me))
            m_meId = me;
    }
    m_savedMeId = m_meId;
    return true;
}

void PWAddressBook::leaveAlone(const QString &fileName, const QString &reason)
{
    qCWarning(lcVCard).noquote() << "address book: file" << fileName << "left alone:" << reason;
    if (!m_leftAlone.contains(fileName))
        m_leftAlone.insert(fileName, reason);
}

std::shared_ptr<PWPerson> PWAddressBook::personForUniqueId(const QString &uniqueId) const
{
    for (const std::shared_ptr<PWPerson> &person : m_people) {
        if (person->hasUniqueId(uniqueId))
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
    const qsizetype removed = m_people.removeIf([&](const auto &p) { return p->hasUniqueId(uniqueId); });
    if (removed == 0)
        return false;
    m_cardUids.remove(uniqueId);
    // A group naming the UID keeps it while another card carries it.
    if (std::find(m_cardUids.cbegin(), m_cardUids.cend(), uniqueId) == m_cardUids.cend()) {
        for (PWGroup &group : m_groups)
            group.removeMember(uniqueId);
    }
    if (m_meId == uniqueId)
        m_meId.clear();
    m_savedDigests.remove(uniqueId);
    m_read.remove(uniqueId);
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
    m_cardUids.remove(uniqueId);
    m_savedDigests.remove(uniqueId);
    m_read.remove(uniqueId);
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
    // A member's UID names every card that carries it: the group cannot tell them apart.
    const QSet<QString> repeated(m_cardUids.cbegin(), m_cardUids.cend());
    QSet<const PWPerson *> added;
    const auto add = [&](const std::shared_ptr<PWPerson> &person) {
        if (person && !added.contains(person.get())) {
            added.insert(person.get());
            members.append(person);
        }
    };
    for (const QString &id : group->memberIds()) {
        add(personForUniqueId(id));
        if (!repeated.contains(id))
            continue;
        for (const std::shared_ptr<PWPerson> &person : m_people) {
            if (m_cardUids.value(person->uniqueId()) == id)
                add(person);
        }
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
    for (auto it = m_leftAlone.cbegin(); it != m_leftAlone.cend(); ++it)
        taken.insert(it.key());
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
    // The records of each file, in the book's order, and whether any of them changed.
    struct FileRecords
    {
        QList<std::pair<QString, std::function<QByteArray()>>> cards; // unique id, its card when written
        QList<int> positions; // each card's place in the file as read; new ones after
        bool changed = false;
    };
    QStringList order;
    QHash<QString, FileRecords> files;
    // Records are told changed by the writer's form; what is written keeps the file's own form.
    const auto gather = [&](const QString &id, const QByteArray &written, const std::function<QByteArray()> &card) {
        const QString name = fileNameFor(id);
        auto found = files.find(name);
        if (found == files.end()) {
            order.append(name);
            found = files.insert(name, FileRecords {});
        }
        const bool changed = m_savedDigests.value(id) != digestOf(written);
        found->changed = found->changed || changed;
        const auto read = m_read.constFind(id);
        found->positions.append(read == m_read.constEnd() ? std::numeric_limits<int>::max() : read->position);
        found->cards.append({id, read == m_read.constEnd() ? std::function<QByteArray()>([written] { return written; }) : card});
    };
    for (const std::shared_ptr<PWPerson> &person : std::as_const(m_people)) {
        const QByteArray written = PWVCardWriter::vCardRepresentation(*person);
        gather(person->uniqueId(), written, [this, person, written] {
            const auto read = m_read.constFind(person->uniqueId());
            if (read == m_read.constEnd() || !read->original.asRead)
                return written;
            // The merge keeps the UID line as the card has it, whatever identity the person has.
            const QByteArray merged = PWVCardMerge::merged(read->original, *person);
            return merged.isEmpty() ? written : merged;
        });
    }
    for (const PWGroup &group : std::as_const(m_groups)) {
        const QByteArray written = PWVCardWriter::groupRepresentation(group);
        gather(group.uniqueId(), written, [this, group, written] {
            const auto read = m_read.constFind(group.uniqueId());
            if (read != m_read.constEnd() && read->readDigest == digestOf(written))
                return read->original.lines.join();
            // A group written anew carries the UID it was read with, not the identity it was
            // given beside another card of that UID.
            const QString uid = m_cardUids.value(group.uniqueId());
            if (uid.isEmpty())
                return written;
            PWGroup filed(group.name(), uid);
            for (const QString &member : group.memberIds())
                filed.addMember(member);
            return PWVCardWriter::groupRepresentation(filed);
        });
    }

    bool ok = true;
    const auto refuseLeftAlone = [&](const QString &name) {
        ok = report(error, QStringLiteral("%1 is left as it is (%2): changes to its cards are not saved")
                               .arg(QDir(m_folder).filePath(name), m_leftAlone.value(name)));
    };
    for (const QString &name : std::as_const(order)) {
        const FileRecords &records = files.value(name);
        if (!records.changed && !m_removedFiles.contains(name))
            continue;
        if (m_leftAlone.contains(name)) {
            refuseLeftAlone(name);
            continue;
        }
        QList<qsizetype> inFileOrder(records.cards.size());
        std::iota(inFileOrder.begin(), inFileOrder.end(), 0);
        std::stable_sort(inFileOrder.begin(), inFileOrder.end(),
                         [&](qsizetype a, qsizetype b) { return records.positions.at(a) < records.positions.at(b); });
        QByteArray bytes;
        for (const qsizetype i : std::as_const(inFileOrder))
            bytes += records.cards.at(i).second();
        if (!writeFile(name, bytes, error)) {
            ok = false;
            continue;
        }
        for (const auto &card : records.cards) {
            if (const std::shared_ptr<PWPerson> person = personForUniqueId(card.first))
                m_savedDigests.insert(card.first, digestOf(PWVCardWriter::vCardRepresentation(*person)));
            else if (const std::optional<PWGroup> group = groupForUniqueId(card.first))
                m_savedDigests.insert(card.first, digestOf(PWVCardWriter::groupRepresentation(*group)));
        }
    }
    for (const QString &name : std::as_const(m_removedFiles)) {
        if (files.contains(name))
            continue; // written above with the records it still holds
        if (m_leftAlone.contains(name)) {
            refuseLeftAlone(name);
            continue;
        }
        QFile file(QDir(m_folder).filePath(name));
        if (file.exists() && !file.remove())
            ok = report(error, QStringLiteral("%1 cannot be removed").arg(file.fileName()));
    }
    m_removedFiles.clear();
    if (m_meId != m_savedMeId || !QFileInfo::exists(QDir(m_folder).filePath(kMarkerFile))) {
        const PWPlist marker(PWPlist::Dictionary {{kMeKey, PWPlist::fromString(m_meId)}});
        if (writeFile(kMarkerFile, marker.toXml(), error))
            m_savedMeId = m_meId;
        else
            ok = false;
    }
    return ok;
}
