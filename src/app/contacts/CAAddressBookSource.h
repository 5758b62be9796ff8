#pragma once

#include "app/contacts/CAPersonListDictionary.h"

#include <QObject>
#include <QStringList>

class PWAddressBook;
class PWUserDefaults;

// The address book as a contact source: its persons, all or one group's, with the group the
// user last chose remembered under "ContactAddressBookGroup". It has no cache and no import: it
// shows the book's own person objects, read afresh on every request. Main thread.
class CAAddressBookSource : public QObject
{
    Q_OBJECT
public:
    static const QString kName; // "Address Book"
    static constexpr int kDefaultSortingKey = 18; // last name

    // The localized "All", the chooser's item for every person.
    static QString allGroupsName();

    CAAddressBookSource(PWAddressBook &book, PWUserDefaults &defaults, QObject *parent = nullptr);

    // The chooser's items: "All", then the group names sorted ignoring case.
    QStringList groupNames() const;
    // The chosen group's name: the remembered one, else "All".
    QString selectedGroupName() const { return m_selectedGroupName; }
    // Chooses a group and remembers it; answers its members, or every person when no group has
    // that name ("All", or a group that no longer exists). Of groups sharing a name the last wins.
    CAPersonList changeGroupWithName(const QString &name);
    // The persons of the chosen group, as changeGroupWithName() gives them.
    CAPersonList selectedContent() const;
    // Every person of the book.
    CAPersonList sourceContent() const;
    // The sorting key the table starts with: the one stored for the source under
    // "ContactSortingKey", else last name.
    int initialSortingKey() const;
    // The user's own card, or null.
    std::shared_ptr<PWPerson> me() const;

Q_SIGNALS:
    void groupChanged(const QString &name);

private:
    CAPersonList membersOf(const QString &name) const;

    PWAddressBook &m_book;
    PWUserDefaults &m_defaults;
    QString m_selectedGroupName;
};
