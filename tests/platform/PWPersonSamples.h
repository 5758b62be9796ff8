#pragma once

#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

#include <QDate>
#include <QTimeZone>

#include <functional>
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
    const auto multi = [&person](const QString &property, const QList<std::pair<PWPlist, QString>> &entries,
                                 int primary = 0) {
        PWMultiValue values;
        for (const auto &[value, label] : entries)
            values.addValue(value, label);
        values.setPrimaryIdentifier(values.identifierAtIndex(primary));
        person->setMultiValueForProperty(property, values);
    };
    const auto string = &PWPlist::fromString;
    PWPlist::Dictionary home = address(QStringLiteral("22 Elm Row"), QStringLiteral("Edinburgh"), QString(),
                                       QStringLiteral("EH1 3AA"), QStringLiteral("United Kingdom"));
    home.insert(QStringLiteral("keyCustom1"), string(QStringLiteral("Flat 3")));
    multi(kPWAddressProperty,
          {{address(QStringLiteral("1 Quay Street\nBuilding 4"), QStringLiteral("Portland"), QStringLiteral("OR"),
                    QStringLiteral("97201"), QStringLiteral("USA"), QStringLiteral("us")),
            kPWAddressWorkLabel},
           {home, kPWAddressHomeLabel},
           {address(QStringLiteral("Summer House"), QStringLiteral("Bergen"), QString(), QStringLiteral("5003"),
                    QStringLiteral("Norway")),
            QStringLiteral("other")}},
          1);
    QList<std::pair<PWPlist, QString>> phones;
    for (const QString &label : {kPWPhoneWorkLabel, kPWPhoneHomeLabel, kPWPhoneMobileLabel, kPWPhoneMainLabel,
                                 kPWPhoneWorkFAXLabel, kPWPhoneHomeFAXLabel, kPWPhonePagerLabel, kPWOtherLabel,
                                 QStringLiteral("Boat"), QString()})
        phones.append({string(QStringLiteral("+1 555 0") + QString::number(phones.size() + 100)), label});
    multi(kPWPhoneProperty, phones, 2);
    multi(kPWEmailProperty, {{string(QStringLiteral("zoe@work.example")), kPWEmailWorkLabel},
                             {string(QStringLiteral("zoe@home.example")), kPWEmailHomeLabel},
                             {string(QStringLiteral("zoe@other.example")), kPWOtherLabel}});
    for (const QString &property : {kPWAIMInstantProperty, kPWJabberInstantProperty, kPWMSNInstantProperty,
                                    kPWICQInstantProperty, kPWYahooInstantProperty})
        multi(property, {{string(property + QStringLiteral(".work")), kPWWorkLabel},
                         {string(property + QStringLiteral(".home")), kPWHomeLabel}});
    multi(kPWURLsProperty, {{string(QStringLiteral("https://work.example")), kPWWorkLabel},
                            {string(QStringLiteral("https://home.example")), kPWHomePageLabel}});
    multi(kPWOtherDatesProperty, {{utcDate(2001, 6, 15), kPWAnniversaryLabel}, {utcDate(1999, 12, 31), kPWOtherLabel}});
    multi(kPWRelatedNamesProperty, {{string(QStringLiteral("Margaret")), kPWMotherLabel},
                                    {string(QStringLiteral("Sam")), kPWManagerLabel},
                                    {string(QStringLiteral("Kit")), QStringLiteral("Godchild")}});
    // A tiny PNG: 2 x 2 pixels.
    person->setImageData(QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAIAAAACCAYAAABytg0kAAAAFUlEQVR42mM4ISf3H4QZ5ORO/"
                                                "AdhAESMCA13gOdaAAAAAElFTkSuQmCC"));
    return person;
}

// Edits one multi-value property of a person in place.
inline void editMulti(PWPerson &person, const QString &property, const std::function<void(PWMultiValue &)> &edit)
{
    PWMultiValue multi = *person.multiValueForProperty(property);
    edit(multi);
    person.setMultiValueForProperty(property, multi);
}

} // namespace pwtest
