#include "platform/PWMultiValue.h"

#include "platform/PWUniqueIdentifier.h"

#include <algorithm>

PWPlist PWMultiValue::valueAtIndex(qsizetype index) const
{
    return index >= 0 && index < m_entries.size() ? m_entries.at(index).value : PWPlist();
}

QString PWMultiValue::labelAtIndex(qsizetype index) const
{
    return index >= 0 && index < m_entries.size() ? m_entries.at(index).label : QString();
}

QString PWMultiValue::identifierAtIndex(qsizetype index) const
{
    return index >= 0 && index < m_entries.size() ? m_entries.at(index).identifier : QString();
}

qsizetype PWMultiValue::indexForIdentifier(const QString &identifier) const
{
    if (identifier.isEmpty())
        return -1;
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).identifier == identifier)
            return i;
    }
    return -1;
}

qsizetype PWMultiValue::indexOfLabel(const QString &label) const
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).label == label)
            return i;
    }
    return -1;
}

bool PWMultiValue::setPrimaryIdentifier(const QString &identifier)
{
    if (!hasIdentifier(identifier))
        return false;
    m_primary = identifier;
    return true;
}

QString PWMultiValue::addValue(const PWPlist &value, const QString &label)
{
    return insertValue(value, label, m_entries.size());
}

QString PWMultiValue::insertValue(const PWPlist &value, const QString &label, qsizetype index)
{
    const QString identifier = makeIdentifier();
    m_entries.insert(std::clamp<qsizetype>(index, 0, m_entries.size()), Entry{identifier, label, value});
    if (m_entries.size() == kIndexedFrom) {
        for (const Entry &entry : std::as_const(m_entries))
            m_identifiers.insert(entry.identifier);
    } else if (m_entries.size() > kIndexedFrom) {
        m_identifiers.insert(identifier);
    }
    if (m_primary.isEmpty())
        m_primary = identifier;
    return identifier;
}

bool PWMultiValue::replaceValueAtIndex(qsizetype index, const PWPlist &value)
{
    if (index < 0 || index >= m_entries.size())
        return false;
    m_entries[index].value = value;
    return true;
}

bool PWMultiValue::replaceLabelAtIndex(qsizetype index, const QString &label)
{
    if (index < 0 || index >= m_entries.size())
        return false;
    m_entries[index].label = label;
    return true;
}

bool PWMultiValue::removeValueAndLabelAtIndex(qsizetype index)
{
    if (index < 0 || index >= m_entries.size())
        return false;
    const bool wasPrimary = m_entries.at(index).identifier == m_primary;
    const QString identifier = m_entries.at(index).identifier;
    m_entries.removeAt(index);
    if (m_entries.size() < kIndexedFrom)
        m_identifiers.clear();
    else
        m_identifiers.remove(identifier);
    if (wasPrimary)
        m_primary = m_entries.isEmpty() ? QString() : m_entries.constFirst().identifier;
    return true;
}

bool PWMultiValue::hasSameValues(const PWMultiValue &other) const
{
    if (m_entries.size() != other.m_entries.size())
        return false;
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        const Entry &a = m_entries.at(i);
        const Entry &b = other.m_entries.at(i);
        if (a.label != b.label || a.value != b.value)
            return false;
    }
    return indexForIdentifier(m_primary) == other.indexForIdentifier(other.m_primary);
}

QString PWMultiValue::makeIdentifier() const
{
    // Random identifiers keep entries apart across lists too (a copied entry moved into another
    // person's list keeps its identity); a clash within one list is checked all the same.
    for (;;) {
        const QString identifier = PWNewUniqueIdentifier();
        if (!hasIdentifier(identifier))
            return identifier;
    }
}

bool PWMultiValue::hasIdentifier(const QString &identifier) const
{
    return m_entries.size() >= kIndexedFrom ? m_identifiers.contains(identifier) : indexForIdentifier(identifier) >= 0;
}
