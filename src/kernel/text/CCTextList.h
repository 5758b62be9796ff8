#pragma once

#include "kernel/base/FTComponentTypes.h"

#include <QString>
#include <QVariant>

#include <optional>

// The style of one list of a flowing text: how its items are marked. A list lives in the text
// itself, as the "FTTextList" attribute on each item's marker; two markers belong to the same list
// when they carry the same identity. Values of this class are what the attribute holds.
class CCTextList
{
public:
    // The attribute names of lists and of their upkeep while typing.
    static const QString kListAttribute;       // "FTTextList", on the marker characters only
    static const QString kListTabOption;       // "FTTextListTab", on the two list tab stops
    static const QString kEndListItemAttribute; // "FTEndTextListItem", briefly on a typed newline
    static const QString kRemoveLineAttribute; // "FTRemoveLine", briefly on an emptied item's marker

    // A new list with an identity of its own.
    explicit CCTextList(int type = ltNone);

    int listType() const { return m_type; }
    void setListType(int type) { m_type = type; }
    qint64 identity() const { return m_identity; }

    // The marker of item n (counted from 0): numbers "\t1.\t", letters A to Y then AA.., bullets,
    // dashes; empty for no list.
    QString bulletMarkerForLineNumber(int n) const;

    // As the attribute holds it, and back (nothing for a value that is no list).
    QVariant toVariant() const;
    static std::optional<CCTextList> fromVariant(const QVariant &value);

    bool operator==(const CCTextList &other) const { return m_identity == other.m_identity; }

private:
    CCTextList(int type, qint64 identity)
        : m_type(type)
        , m_identity(identity)
    {
    }

    int m_type;
    qint64 m_identity;
};
