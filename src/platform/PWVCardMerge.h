#pragma once

#include "platform/PWVCardParser.h"
#include "platform/PWVCardReader.h"

#include <QByteArray>
#include <QList>

#include <memory>

class PWPerson;

// A card as read: its lines as written (PWVCardSource::lines) with what became of each
// (content lines their PWVCardReader::LineUse, others an empty one) and the person read
// from it, whose entry identifiers the uses name.
struct PWVCardOriginal
{
    QList<QByteArray> lines;
    QList<PWVCardReader::LineUse> uses;
    std::shared_ptr<const PWPerson> asRead;
};

// Writes an edited person back into the card it was read from. A card carries far more than a
// person holds (categories, other programs' X- lines, groups, parameters, types, vCard 2.1
// encodings): a line the edit did not touch is kept exactly as written, in its place; a value
// the user changed is put into its own line, keeping that line's group and parameters where
// they still say what they said; an entry whose label or rank changed is written anew in its
// group; removed values lose their lines and added ones come after their kind's lines.
// Nothing changed gives back the card's bytes as they were.
class PWVCardMerge
{
public:
    using Original = PWVCardOriginal;

    // The card's source and the uses of its content lines in one Original.
    static Original original(const PWVCardSource &source, const QList<PWVCardReader::LineUse> &contentUses,
                             std::shared_ptr<const PWPerson> asRead);

    static QByteArray merged(const Original &original, const PWPerson &edited);
};
