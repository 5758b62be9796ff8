#pragma once

#include "platform/PWPlist.h"

#include <QList>
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
        // The number behind the entry's identifier text (identifierAtIndex()): drawn from one
        // count for the whole process, so that no two entries ever share it. Held as a number,
        // as the text of each of a large import's entries would cost a block of its own.
        quint64 identifier = 0;
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

    QString primaryIdentifier() const;
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
    // A person keeps its multi-values packed and makes them anew, identifiers and all.
    friend class PWPersonPacker;
    friend class PWPersonUnpacker;

    qsizetype indexOfNumber(quint64 identifier) const;

    QList<Entry> m_entries;
    // The primary entry's identifier number; 0 (never drawn) without entries.
    quint64 m_primary = 0;
};
