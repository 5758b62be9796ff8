#include "platform/PWGroup.h"

#include <QUuid>

PWGroup::PWGroup(const QString &name, const QString &uniqueId)
    : m_uniqueId(uniqueId.isEmpty() ? QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() : uniqueId)
    , m_name(name)
{
}

bool PWGroup::addMember(const QString &personId)
{
    if (personId.isEmpty() || m_memberIds.contains(personId))
        return false;
    m_memberIds.append(personId);
    return true;
}

bool PWGroup::removeMember(const QString &personId)
{
    return m_memberIds.removeAll(personId) > 0;
}
