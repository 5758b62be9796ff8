#pragma once

#include "app/contacts/CADataSourceContainer.h"

#include <QJsonArray>
#include <QStringList>

#include <functional>
#include <optional>

// Entourage's contacts as its helper answers them: the text of each contact's vCard, and beside
// the cards one list of group names per contact, in the same order. Each card is read by the
// vCard reader; a card that is no person is skipped with its groups.
class CAEntourageCards
{
public:
    // Hears of each card before it is read (its index from 0, and the cards there are) and
    // answers true to stop.
    using CardReport = std::function<bool(quint32 index, quint32 count)>;

    // The persons of the cards and the groups they join. The address the card marks as its
    // preferred work address ("ADR;type=WORK;type=pref" in any letter case) is primary, else the
    // home address. Nothing when the report asked to stop. Cards that could not be read are
    // named in problems (when given).
    static std::optional<CADataSourceContainer::ImportResult> personsFromCards(const QJsonArray &cards,
                                                                             const QJsonArray &groups,
                                                                             QStringList *problems = nullptr,
                                                                             const CardReport &report = CardReport());
};
