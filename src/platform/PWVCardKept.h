#pragma once

#include "platform/PWVCardLine.h"
#include "platform/PWVCardReader.h"

#include <QByteArray>
#include <QString>

#include <memory>

class PWPerson;
struct PWVCardSource;

// Persons read with the card they came from (PWPerson::sourceCard), so that wherever they are
// stored their lines go as they were until an edit changes one (PWVCardMerge): what a vCard
// file, a drop or a paste brings in.
class PWVCardKept
{
public:
    // The person of a card; null for a group card.
    static std::shared_ptr<PWPerson> person(const PWVCard &card, const PWVCardSource &source,
                                            const PWVCardReader::Options &options);
    // The first person card of the bytes; null with a reason.
    static std::shared_ptr<PWPerson> person(const QByteArray &bytes, const PWVCardReader::Options &options,
                                            QString *error = nullptr);
};
