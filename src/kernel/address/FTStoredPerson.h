#pragma once


#include "kernel/base/FTComponentTypes.h"
#include "kernel/base/FTTypes.h"
#include "platform/PWPlist.h"

#include <QByteArray>

#include <array>
#include <memory>

class PWPerson;

// Persons as print lists, the sender list, the local contact base and documents keep them: a
// small dictionary {"personData": the vCard, "additionalPersonData": the nine custom fields},
// where the vCard carries a blank 1 x 1 picture in place of a picture its card did not hold; the
// copy that keeps every property; and the equality by name, organization and department with
// which a list leaves out a person it already holds. A person read from a stored form or an
// address book keeps its card (PWPerson::sourceCard), copies too, and is stored into it again:
// the lines no edit changed stay byte for byte.
class FTStoredPerson
{
public:
    // The custom fields in stored order: Custom1 to Custom3, then Custom4 to Custom9.
    static const std::array<textCategory, 9> additionalTcArray;

    // The stored form. The person is not changed: a picture its card did not hold is replaced
    // in the vCard only.
    static PWPlist::Dictionary convertToStoringData(const PWPerson &person);
    // The person of a stored form; null (logged) when "personData" holds no readable vCard.
    static std::shared_ptr<PWPerson> initWithStoredData(const PWPlist::Dictionary &stored);
    // A new person (a new unique id) holding every value and the picture of the person, with
    // no part shared: what its vCard carries and every property the vCard leaves out; the card
    // it keeps goes with it.
    static std::shared_ptr<PWPerson> copyWithZone(const PWPerson &person);
    // The same, keeping the person's unique id: the person an editor puts back in its place.
    static std::shared_ptr<PWPerson> copyWithIdentity(const PWPerson &person);
    // The same object, or the same first name, last name, organization and department (a
    // missing or empty value equals only another missing one); never equal to null.
    static bool isEqualToPerson(const PWPerson &person, const PWPerson *other);

    // The picture data that stands for a person's picture wherever persons are stored: a blank
    // 1 x 1 point TIFF, made once.
    static QByteArray blankPictureData();
};
