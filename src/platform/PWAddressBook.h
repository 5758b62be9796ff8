#pragma once

#include "platform/PWGroup.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>

class PWPerson;

// The shared address book: a folder of vCard 3.0 files, one person or group per file named
// after its unique id, and a small property list "AddressBook.plist" naming the "me" card.
// Files are read with PWVCardReader (keeping the cards' UIDs as identities) and written with
// PWVCardWriter, each through a save file, so an interrupted save never leaves half a card; a
// file that cannot be read is logged and left alone, never deleted or overwritten. Main thread
// only.
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
    // Writes every record whose file differs from it, removes the files of removed records and
    // writes the "me" marker; makes the folder when needed. False, with the first reason, when
    // something could not be written (what could be written is).
    bool save(QString *error = nullptr);

    QList<std::shared_ptr<PWPerson>> people() const { return m_people; }
    std::shared_ptr<PWPerson> personForUniqueId(const QString &uniqueId) const;
    // False for a null person or one whose id the book already holds.
    bool addPerson(const std::shared_ptr<PWPerson> &person);
    // Also takes the person out of every group and clears "me" when it was the person.
    bool removePerson(const QString &uniqueId);

    QList<PWGroup> groups() const { return m_groups; }
    std::optional<PWGroup> groupForUniqueId(const QString &uniqueId) const;
    // Adds a group, or replaces the group of the same id.
    void setGroup(const PWGroup &group);
    bool removeGroup(const QString &uniqueId);
    // The group's members the book holds, in the group's order.
    QList<std::shared_ptr<PWPerson>> peopleInGroup(const QString &groupId) const;

    // The user's own card, or null.
    std::shared_ptr<PWPerson> me() const;
    // False for a person the book does not hold; null clears it.
    bool setMe(const std::shared_ptr<PWPerson> &person);

private:
    QString fileNameFor(const QString &uniqueId);
    bool writeFile(const QString &fileName, const QByteArray &bytes, QString *error);

    QString m_folder;
    QList<std::shared_ptr<PWPerson>> m_people;
    QList<PWGroup> m_groups;
    QString m_meId;
    // Unique id -> file name (relative to the folder) of every record read or written.
    QHash<QString, QString> m_files;
    // Files of records removed since the last save.
    QSet<QString> m_removedFiles;
    // Files that could not be read: never written over.
    QSet<QString> m_unreadableFiles;
};
