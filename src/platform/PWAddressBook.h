#pragma once

#include "platform/PWGroup.h"
#include "platform/PWVCardMerge.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>

class PWPerson;

// The shared address book: a folder of vCard 3.0 files, one person or group per file named
// after its unique id, and a small property list "AddressBook.plist" naming the "me" card.
// Files are read with PWVCardReader (keeping the cards' UIDs as identities) and written through a
// save file, so an interrupted save never leaves half a card. Every card of every file is a
// record: of cards sharing a UID the first (files by name, cards in file order) has it as its
// identity, the others, like cards without a UID after a file's first, one made of their file's
// name and place ("people.vcf#2"), the same at every reading of the same files; their cards keep
// the UID they carry. A file is written only when a
// record it holds changed, was added or was removed, and then with every record it holds, in the
// file's order: a card read and not changed as it was written, an edited person's card with only
// what the edit changed written anew (PWVCardMerge), new records by PWVCardWriter. A file that cannot be read, or is read only in part (fewer complete
// cards than it opens), is logged, named by
// filesLeftAlone() and never deleted or written over. Main thread only.
class PWAddressBook
{
public:
    // The book on defaultFolderPath(), loaded on first use.
    static PWAddressBook &sharedAddressBook();
    // "$XDG_DATA_HOME/Parcelwick/AddressBook" ("~/.local/share/Parcelwick/AddressBook").
    static QString defaultFolderPath();

    explicit PWAddressBook(const QString &folderPath);
    ~PWAddressBook();
    PWAddressBook(const PWAddressBook &) = delete;
    PWAddressBook &operator=(const PWAddressBook &) = delete;

    QString folderPath() const { return m_folder; }

    // Replaces what the book holds with the folder's contents. A missing folder is an empty
    // book. False, with a reason, only when the folder exists and cannot be listed.
    bool load(QString *error = nullptr);
    // Writes the files of records added, changed or removed since they were read or written,
    // removes files left with no record, and writes the "me" marker when "me" changed or it is
    // missing; makes the folder when needed. False, with the first reason, when something could
    // not be written, including changes to records of a file left alone (what could be written
    // is).
    bool save(QString *error = nullptr);

    // File names (relative to the folder) the last load could not read or read only in part,
    // each with its reason. The book never writes over or removes them.
    QMap<QString, QString> filesLeftAlone() const { return m_leftAlone; }

    QList<std::shared_ptr<PWPerson>> people() const { return m_people; }
    std::shared_ptr<PWPerson> personForUniqueId(const QString &uniqueId) const;
    // False for a null person or one whose id the book already holds.
    bool addPerson(const std::shared_ptr<PWPerson> &person);
    // Also takes the person out of every group (unless another card carries its UID) and clears
    // "me" when it was the person.
    bool removePerson(const QString &uniqueId);

    QList<PWGroup> groups() const { return m_groups; }
    std::optional<PWGroup> groupForUniqueId(const QString &uniqueId) const;
    // Adds a group, or replaces the group of the same id.
    void setGroup(const PWGroup &group);
    bool removeGroup(const QString &uniqueId);
    // The group's members the book holds, in the group's order; a member UID that several
    // cards carry names each of them.
    QList<std::shared_ptr<PWPerson>> peopleInGroup(const QString &groupId) const;

    // The user's own card, or null.
    std::shared_ptr<PWPerson> me() const;
    // False for a person the book does not hold; null clears it.
    bool setMe(const std::shared_ptr<PWPerson> &person);

private:
    QString fileNameFor(const QString &uniqueId);
    bool writeFile(const QString &fileName, const QByteArray &bytes, QString *error);
    void leaveAlone(const QString &fileName, const QString &reason);

    QString m_folder;
    QList<std::shared_ptr<PWPerson>> m_people;
    QList<PWGroup> m_groups;
    QString m_meId;
    // The "me" id the marker file held when read or last written.
    QString m_savedMeId;
    // Unique id -> file name (relative to the folder) of every record read or written; a file
    // holding several cards is named by each of their records.
    QHash<QString, QString> m_files;
    // Unique id -> digest of the card of every record as last read or written, so that saving
    // tells a changed record from one left as it was.
    QHash<QString, QByteArray> m_savedDigests;
    // What each record read holds as its file has it: the card as written (with, for a person,
    // the person as read, against which edits are told), its place in the file, and for a group
    // the digest it was read with.
    struct ReadRecord
    {
        PWVCardMerge::Original original;
        int position = 0;
        QByteArray readDigest;
    };
    QHash<QString, ReadRecord> m_read;
    // Identity -> the UID its card carries, for records of a UID an earlier card has.
    QHash<QString, QString> m_cardUids;
    // Files of records removed since the last save.
    QSet<QString> m_removedFiles;
    // File name -> why it is never written over or removed.
    QMap<QString, QString> m_leftAlone;
};
