#pragma once

#include "app/contacts/CAPersonListDictionary.h"

#include <QObject>
#include <QStringList>

class PWUserDefaults;

// "My Recipients": a list of persons the system keeps itself, in the user defaults
// ("LocalContactBase" as stored persons, "LocalContactBaseSortingValue": 0 or absent means last
// name). Read once, at first use; written by store(). Main thread.
class CALocalContactBase : public QObject
{
    Q_OBJECT
public:
    static const QString kName;                      // "My Recipients"
    static const QString kUpdateLocalBaseController; // every local base table reloads on it
    static constexpr int kDefaultSortingValue = 18;

    // The process-wide base over the standard user defaults, loaded on first use.
    static CALocalContactBase &getShared();

    explicit CALocalContactBase(PWUserDefaults &defaults, QObject *parent = nullptr);

    // Stored persons that do not read are left out and named in loadProblems().
    void load();
    bool store();
    QStringList loadProblems() const { return m_loadProblems; }
    CAPersonListDictionary &personListDict() { return m_list; }
    const CAPersonListDictionary &personListDict() const { return m_list; }

    // After a person was edited: sorts all persons by the list's sorting value, makes them the
    // list and stores it. Answers the sorted persons, so that a table selects its person again.
    CAPersonList savePersonListChanges();
    // "Update Local Base Controller", without object or user info.
    void postUpdate();

    // The persons as store() would write them now, and whether they hold changes not stored yet.
    PWPlist storedValue() const;
    bool hasUnstoredChanges() const;

Q_SIGNALS:
    void localBaseChanged();
    // Persons this process removed came back with another process's changes (see
    // CAPrintListArray::personsRestored).
    void personsRestored(const QStringList &names);

private:
    PWUserDefaults &m_defaults;
    CAPersonListDictionary m_list;
    QStringList m_loadProblems;
    // The stored persons as last loaded or stored.
    PWPlist m_loaded;
    CAPersonList m_loadedPersons;
};
