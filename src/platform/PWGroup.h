#pragma once

#include <QString>
#include <QStringList>

// A named group of the address book: its identity and the unique ids of the persons in it, in
// the order they were added. A value; the address book resolves the ids to persons.
class PWGroup
{
public:
    PWGroup() = default;
    // A group with a new unique id when uniqueId is empty.
    explicit PWGroup(const QString &name, const QString &uniqueId = QString());

    QString uniqueId() const { return m_uniqueId; }
    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }

    const QStringList &memberIds() const { return m_memberIds; }
    bool containsMember(const QString &personId) const { return m_memberIds.contains(personId); }
    // False when the id is empty or already a member.
    bool addMember(const QString &personId);
    bool removeMember(const QString &personId);

    bool operator==(const PWGroup &other) const = default;

private:
    QString m_uniqueId;
    QString m_name;
    QStringList m_memberIds;
};
