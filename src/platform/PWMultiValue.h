#pragma once

#include "platform/PWPlist.h"

#include <QList>
#include <QSet>
#include <QString>

// The value of a multi-valued person property (addresses, phones, e-mails, ...): an ordered list
// of entries, each a value with a label and an identifier unique within the list, one of them
// the primary entry. A value type: copies are independent and compare equal when entries and
// primary are the same. A list with entries always has a primary entry (the first one until
// another is chosen); identifiers are never reused within one list.
class PWMultiValue
{
public:
    struct Entry
    {
        QString identifier;
        QString label;
        PWPlist value;

        bool operator==(const Entry &other) const = default;
    };

    PWMultiValue() = default;

    qsizetype count() const { return m_entries.size(); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    const QList<Entry> &entries() const { return m_entries; }

    // Null value, empty label or identifier for an index out of range.
    PWPlist valueAtIndex(qsizetype index) const;
    QString labelAtIndex(qsizetype index) const;
    QString identifierAtIndex(qsizetype index) const;
    // -1 when no entry has the identifier.
    qsizetype indexForIdentifier(const QString &identifier) const;
    // Index of the first entry with exactly this label, or -1.
    qsizetype indexOfLabel(const QString &label) const;

    QString primaryIdentifier() const { return m_primary; }
    // False (and nothing changes) when no entry has the identifier.
    bool setPrimaryIdentifier(const QString &identifier);

    // Appends an entry and answers its new identifier.
    QString addValue(const PWPlist &value, const QString &label);
    // Inserts before index (clamped to the list) and answers the new identifier.
    QString insertValue(const PWPlist &value, const QString &label, qsizetype index);
    bool replaceValueAtIndex(qsizetype index, const PWPlist &value);
    bool replaceLabelAtIndex(qsizetype index, const QString &label);
    // Removing the primary entry makes the first remaining entry primary.
    bool removeValueAndLabelAtIndex(qsizetype index);

    // Same labels, values and primary position, whatever the identifiers: what survives a
    // trip through a vCard, which gives entries new identifiers.
    bool hasSameValues(const PWMultiValue &other) const;

    bool operator==(const PWMultiValue &other) const = default;

private:
    QString makeIdentifier() const;
    bool hasIdentifier(const QString &identifier) const;

    // Lists this long keep their identifiers in m_identifiers; shorter ones are searched.
    static constexpr qsizetype kIndexedFrom = 16;

    QList<Entry> m_entries;
    // The identifiers of m_entries when there are kIndexedFrom or more, so that a new entry's
    // identifier is checked for a clash in constant time: lists read from vCards hold tens of
    // thousands of entries. Empty for shorter lists, which are most, since a set's least table
    // costs far more than the entries it would index.
    QSet<QString> m_identifiers;
    QString m_primary;
};
