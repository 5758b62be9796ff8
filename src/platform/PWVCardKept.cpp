#include "platform/PWVCardKept.h"

#include "platform/PWPerson.h"
#include "platform/PWVCardMerge.h"
#include "platform/PWVCardParser.h"

std::shared_ptr<PWPerson> PWVCardKept::person(const PWVCard &card, const PWVCardSource &source,
                                              const PWVCardReader::Options &options)
{
    if (PWVCardReader::isGroupCard(card))
        return nullptr;
    QList<PWVCardReader::LineUse> uses;
    const std::shared_ptr<PWPerson> asRead = PWVCardReader::personFromCard(card, options, &uses);
    if (!asRead)
        return nullptr;
    // The person as read stays as it was: the card's edits are told by it.
    std::shared_ptr<PWPerson> person = PWPerson::createWithUniqueId(asRead->uniqueId());
    for (const QString &property : asRead->propertiesWithValues()) {
        if (const std::optional<PWMultiValue> multi = asRead->multiValueForProperty(property))
            person->setMultiValueForProperty(property, *multi);
        else
            person->setValueForProperty(property, asRead->valueForProperty(property));
    }
    if (!asRead->imageData().isEmpty())
        person->setImageData(asRead->imageData());
    person->setSourceCard(std::make_shared<const PWVCardOriginal>(PWVCardMerge::original(source, uses, asRead)));
    return person;
}

std::shared_ptr<PWPerson> PWVCardKept::person(const QByteArray &bytes, const PWVCardReader::Options &options,
                                              QString *error)
{
    std::shared_ptr<PWPerson> person;
    const auto take = [&](PWVCard &card, PWVCardSource &source) {
        if (!person)
            person = PWVCardKept::person(card, source, options);
    };
    if (!PWVCardParser::parseEachWithSource(bytes, take, error))
        return nullptr;
    if (!person && error)
        *error = QStringLiteral("no person card");
    return person;
}
