#include "app/contacts/CAEntourageCards.h"

#include "kernel/address/FTPersonFields.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWVCardReader.h"

namespace {

// Cards that cannot be read are named one by one up to this many, then counted.
constexpr qsizetype kNamedProblems = 10;

} // namespace

std::optional<CADataSourceContainer::ImportResult>
CAEntourageCards::personsFromCards(const QJsonArray &cards, const QJsonArray &groups, QStringList *problems,
                                   const CardReport &report)
{
    CADataSourceContainer::ImportResult result;
    CADataSourceContainer::Groups members;
    const quint32 count = quint32(cards.size());
    qsizetype unread = 0;
    for (quint32 index = 0; index < count; ++index) {
        if (report && report(index, count))
            return std::nullopt;
        const QJsonValue card = cards.at(index);
        std::shared_ptr<PWPerson> person;
        if (card.isString())
            person = PWVCardReader::personFromData(card.toString().toUtf8());
        if (!person) {
            if (problems && unread < kNamedProblems)
                problems->append(QStringLiteral("Card %1 of the helper's answer could not be read; it was left out.")
                                     .arg(index + 1));
            ++unread;
            continue;
        }
        const bool workPreferred =
            card.toString().contains(QLatin1String("ADR;type=WORK;type=pref"), Qt::CaseInsensitive);
        setPrimaryAddressIndex(person.get(), workPreferred ? kPWAddressWorkLabel : kPWAddressHomeLabel);
        result.persons.append(person);
        for (const QJsonValue &name : groups.at(index).toArray()) {
            if (name.isString() && !name.toString().isEmpty())
                members[name.toString()].append(person);
        }
    }
    if (problems && unread > kNamedProblems)
        problems->append(QStringLiteral("%1 more cards of the helper's answer could not be read and were left out.")
                             .arg(unread - kNamedProblems));
    result.groups = members;
    return result;
}
