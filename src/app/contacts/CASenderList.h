#pragma once

#include "app/contacts/CAPersonListDictionary.h"

#include <QObject>

#include <functional>
#include <memory>

class PWPerson;
class PWUserDefaults;

// The persons whose addresses the user prints as return addresses, with one default sender that
// a new document starts with. Kept in the user defaults: "SenderList" (stored persons),
// "SenderListSortingValue" (0 or absent: last name) and "Default Sender Index" (the default's
// position plus one; 0 or absent: none chosen). Before the user ever kept a list, the list is the
// user's own card of the address book. Main thread.
class CASenderList : public QObject
{
    Q_OBJECT
public:
    // The notification every sender table refreshes on after the list was edited.
    static const QString kUpdateSenderListController;
    static constexpr int kDefaultSortingValue = 18; // last name

    using MeSource = std::function<std::shared_ptr<PWPerson>()>;

    // The process-wide list over the standard user defaults and the shared address book,
    // loaded on first use.
    static CASenderList &getShared();
    // The shared list's default sender, else the address book's own card (which may be null).
    static std::shared_ptr<PWPerson> getDefaultPerson();

    // me answers the user's own card (null when there is none).
    CASenderList(PWUserDefaults &defaults, MeSource me, QObject *parent = nullptr);

    void load();
    // Writes the list and its sorting value; false when the user defaults could not be saved.
    bool store();
    CAPersonListDictionary &personListDict() { return m_list; }
    const CAPersonListDictionary &personListDict() const { return m_list; }

    // Stores index + 1 under "Default Sender Index".
    void storeDefaultPersonIndex(int index);
    // The stored index, brought into the list: none chosen and any index past the end give the
    // first sender, an empty list gives -1.
    int getDefaultPersonIndex() const;
    // The sender at the default index, else the user's own card.
    std::shared_ptr<PWPerson> defaultPerson() const;

    // Makes persons the list; a default sender chosen before stays the default wherever the
    // new order puts it (a sort moves a sender kept unread to the top, for one).
    void replacePersonsKeepingDefault(const CAPersonList &persons);

    // Sorts by the list's sorting value, makes the result the list and stores it: after a
    // person of the list was edited. Answers the sorted persons.
    CAPersonList savePersonListChanges(const CAPersonList &persons);
    // Tells every sender table to refresh ("Update Sender List Controller").
    void postUpdate();

    // The senders as store() would write them now, and whether they hold changes not stored yet.
    PWPlist storedValue() const;
    bool hasUnstoredChanges() const;

Q_SIGNALS:
    void senderListChanged();
    // Senders this process removed came back with another process's changes (see
    // CAPrintListArray::personsRestored).
    void personsRestored(const QStringList &names);

private:
    PWUserDefaults &m_defaults;
    MeSource m_me;
    CAPersonListDictionary m_list;
    // The stored senders when they did not read as a list.
    PWPlist m_kept;
    // The stored senders as last loaded or stored.
    PWPlist m_loaded;
    CAPersonList m_loadedPersons;
};
