#pragma once

#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

#include <QDate>
#include <QTimeZone>

#include <memory>
#include <ostream>

// Lets GoogleTest show texts in failure messages.
inline void PrintTo(const QString &text, std::ostream *stream)
{
    *stream << '"' << text.toStdString() << '"';
}

// Persons the person, vCard and address book tests share.
namespace pwtest {

// The system's own text properties, as the environment registers them at start-up.
inline void registerCustomPersonProperties()
{
    QList<std::pair<QString, PWPropertyType>> properties = {{QStringLiteral("ABDepartment"), PWPropertyType::String}};
    for (int i = 1; i <= 9; ++i)
        properties.append({QStringLiteral("Custom%1").arg(i), PWPropertyType::String});
    PWPerson::addPropertiesAndTypes(properties);
}

inline PWPlist utcDate(int year, int month, int day)
{
    return PWPlist::fromDate(QDateTime(QDate(year, month, day), QTime(0, 0), QTimeZone::utc()));
}

inline PWPlist::Dictionary address(const QString &street, const QString &city, const QString &state,
                                   const QString &zip, const QString &country, const QString &code = QString())
{
    PWPlist::Dictionary entry;
    const auto put = [&entry](const QString &key, const QString &value) {
        if (!value.isEmpty())
            entry.insert(key, PWPlist::fromString(value));
    };
    put(kPWAddressStreetKey, street);
    put(kPWAddressCityKey, city);
    put(kPWAddressStateKey, state);
    put(kPWAddressZIPKey, zip);
    put(kPWAddressCountryKey, country);
    put(kPWAddressCountryCodeKey, code);
    return entry;
}

// A person with a value in every property the vCard carries, texts that need escaping and
// folding, labels of every sort (standard, custom, empty) and a primary entry that is not the
// first one.
inline std::shared_ptr<PWPerson> everyKindPerson()
{
    registerCustomPersonProperties();
    std::shared_ptr<PWPerson> person = PWPerson::create();
    const auto text = [&person](const QString &property, const QString &value) {
        person->setValueForProperty(property, PWPlist::fromString(value));
    };
    text(kPWFirstNameProperty, QStringLiteral("Zoë"));
    text(kPWLastNameProperty, QStringLiteral("O'Neil; Jr, the \"Second\""));
    text(kPWMiddleNameProperty, QStringLiteral("Mary"));
    text(kPWTitleProperty, QStringLiteral("Dr."));
    text(kPWSuffixProperty, QStringLiteral("PhD"));
    text(kPWNicknameProperty, QStringLiteral("Zo"));
    text(kPWMaidenNameProperty, QStringLiteral("Birch"));
    text(kPWOrganizationProperty, QStringLiteral("Harbour; Freight, Lines"));
    text(QStringLiteral("ABDepartment"), QStringLiteral("Logistics"));
    text(kPWJobTitleProperty, QStringLiteral("Dispatcher"));
    text(kPWHomePageProperty, QStringLiteral("https://zoe.example/"));
    text(kPWNoteProperty, QStringLiteral("Line one\nLine two with a backslash \\ and 東京, "
                                         "long enough to be folded over more than one line of seventy-five octets"));
    text(QStringLiteral("Custom1"), QStringLiteral("first custom"));
    text(QStringLiteral("Custom9"), QStringLiteral("ninth custom"));
    person->setValueForProperty(kPWBirthdayProperty, utcDate(1970, 3, 4));

    PWMultiValue addresses;
    addresses.addValue(PWPlist(address(QStringLiteral("1 Quay Street\nBuilding 4"), QStringLiteral("Portland"),
                                       QStringLiteral("OR"), QStringLiteral("97201"), QStringLiteral("USA"),
                                       QStringLiteral("us"))),
                       kPWAddressWorkLabel);
    PWPlist::Dictionary home = address(QStringLiteral("22 Elm Row"), QStringLiteral("Edinburgh"), QString(),
                                       QStringLiteral("EH1 3AA"), QStringLiteral("United Kingdom"));
    home.insert(QStringLiteral("keyCustom1"), PWPlist::fromString(QStringLiteral("Flat 3")));
    const QString homeId = addresses.addValue(PWPlist(home), kPWAddressHomeLabel);
    addresses.addValue(PWPlist(address(QStringLiteral("Summer House"), QStringLiteral("Bergen"), QString(),
                                       QStringLiteral("5003"), QStringLiteral("Norway"))),
                       QStringLiteral("other"));
    addresses.setPrimaryIdentifier(homeId);
    person->setMultiValueForProperty(kPWAddressProperty, addresses);

    PWMultiValue phones;
    for (const QString &label : {kPWPhoneWorkLabel, kPWPhoneHomeLabel, kPWPhoneMobileLabel, kPWPhoneMainLabel,
                                 kPWPhoneWorkFAXLabel, kPWPhoneHomeFAXLabel, kPWPhonePagerLabel, kPWOtherLabel,
                                 QStringLiteral("Boat"), QString()})
        phones.addValue(PWPlist::fromString(QStringLiteral("+1 555 0") + QString::number(phones.count() + 100)), label);
    phones.setPrimaryIdentifier(phones.identifierAtIndex(2));
    person->setMultiValueForProperty(kPWPhoneProperty, phones);

    PWMultiValue emails;
    emails.addValue(PWPlist::fromString(QStringLiteral("zoe@work.example")), kPWEmailWorkLabel);
    emails.addValue(PWPlist::fromString(QStringLiteral("zoe@home.example")), kPWEmailHomeLabel);
    emails.addValue(PWPlist::fromString(QStringLiteral("zoe@other.example")), kPWOtherLabel);
    person->setMultiValueForProperty(kPWEmailProperty, emails);

    const QString *imProperties[] = {&kPWAIMInstantProperty, &kPWJabberInstantProperty, &kPWMSNInstantProperty,
                                     &kPWICQInstantProperty, &kPWYahooInstantProperty};
    for (const QString *property : imProperties) {
        PWMultiValue im;
        im.addValue(PWPlist::fromString(*property + QStringLiteral(".work")), kPWWorkLabel);
        im.addValue(PWPlist::fromString(*property + QStringLiteral(".home")), kPWHomeLabel);
        person->setMultiValueForProperty(*property, im);
    }

    PWMultiValue urls;
    urls.addValue(PWPlist::fromString(QStringLiteral("https://work.example")), kPWWorkLabel);
    urls.addValue(PWPlist::fromString(QStringLiteral("https://home.example")), kPWHomePageLabel);
    person->setMultiValueForProperty(kPWURLsProperty, urls);

    PWMultiValue dates;
    dates.addValue(utcDate(2001, 6, 15), kPWAnniversaryLabel);
    dates.addValue(utcDate(1999, 12, 31), kPWOtherLabel);
    person->setMultiValueForProperty(kPWOtherDatesProperty, dates);

    PWMultiValue related;
    related.addValue(PWPlist::fromString(QStringLiteral("Margaret")), kPWMotherLabel);
    related.addValue(PWPlist::fromString(QStringLiteral("Sam")), kPWManagerLabel);
    related.addValue(PWPlist::fromString(QStringLiteral("Kit")), QStringLiteral("Godchild"));
    person->setMultiValueForProperty(kPWRelatedNamesProperty, related);

    // A tiny PNG: 2 x 2 pixels.
    person->setImageData(QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAIAAAACCAYAAABytg0kAAAAFUlEQVR42mM4ISf3H4QZ5ORO/"
                                                "AdhAESMCA13gOdaAAAAAElFTkSuQmCC"));
    return person;
}

} // namespace pwtest
