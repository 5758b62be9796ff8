#include "platform/PWPerson.h"

#include "PWPersonSamples.h"
#include "platform/PWMultiValue.h"
#include "platform/PWPersonProperties.h"

#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

TEST(PWMultiValueTest, FirstEntryIsPrimaryUntilAnotherIsChosenOrRemoved)
{
    PWMultiValue multi;
    const QString a = multi.addValue(PWPlist::fromString(QStringLiteral("a")), kPWWorkLabel);
    const QString b = multi.addValue(PWPlist::fromString(QStringLiteral("b")), kPWHomeLabel);
    multi.insertValue(PWPlist::fromString(QStringLiteral("front")), kPWOtherLabel, -3);
    EXPECT_EQ(multi.primaryIdentifier(), a);
    EXPECT_FALSE(multi.setPrimaryIdentifier(QStringLiteral("no such entry")));
    EXPECT_TRUE(multi.setPrimaryIdentifier(b));
    EXPECT_EQ(multi.primaryIdentifier(), b);
    // Removing the primary entry promotes the first remaining one.
    ASSERT_TRUE(multi.removeValueAndLabelAtIndex(2));
    EXPECT_EQ(multi.primaryIdentifier(), multi.identifierAtIndex(0));
    EXPECT_EQ(multi.valueAtIndex(0).toString(), QStringLiteral("front"));
    EXPECT_FALSE(multi.removeValueAndLabelAtIndex(5));
    multi.removeValueAndLabelAtIndex(0);
    multi.removeValueAndLabelAtIndex(0);
    EXPECT_TRUE(multi.primaryIdentifier().isEmpty());
}

TEST(PWMultiValueTest, SameValuesIgnoreIdentifiersButNotLabelsOrPrimary)
{
    PWMultiValue a;
    PWMultiValue b;
    for (PWMultiValue *multi : {&a, &b}) {
        multi->addValue(PWPlist::fromString(QStringLiteral("x")), kPWWorkLabel);
        multi->addValue(PWPlist::fromString(QStringLiteral("y")), kPWHomeLabel);
    }
    EXPECT_FALSE(a == b); // identifiers differ
    EXPECT_TRUE(a.hasSameValues(b));
    b.setPrimaryIdentifier(b.identifierAtIndex(1));
    EXPECT_FALSE(a.hasSameValues(b));
    b.setPrimaryIdentifier(b.identifierAtIndex(0));
    b.replaceLabelAtIndex(1, kPWOtherLabel);
    EXPECT_FALSE(a.hasSameValues(b));
    PWMultiValue copy = a;
    EXPECT_TRUE(copy == a);
    copy.replaceValueAtIndex(0, PWPlist::fromString(QStringLiteral("changed")));
    EXPECT_EQ(a.valueAtIndex(0).toString(), QStringLiteral("x"));
}

// As many entries as a vCard's address lines: identifiers stay unique, also for removed entries.
TEST(PWMultiValueTest, IdentifiersStayUniqueOverManyEntries)
{
    constexpr int count = 20000;
    PWMultiValue multi;
    QSet<QString> identifiers;
    for (int i = 0; i < count; ++i)
        identifiers.insert(multi.addValue(PWPlist::fromString(QString::number(i)), kPWWorkLabel));
    EXPECT_EQ(multi.count(), count);
    EXPECT_EQ(identifiers.size(), count);
    EXPECT_EQ(multi.primaryIdentifier(), multi.identifierAtIndex(0));
    const QString removed = multi.identifierAtIndex(count / 2);
    ASSERT_TRUE(multi.removeValueAndLabelAtIndex(count / 2));
    EXPECT_FALSE(multi.setPrimaryIdentifier(removed));
    EXPECT_TRUE(multi.setPrimaryIdentifier(multi.identifierAtIndex(count - 2)));
}

// Short lists search their identifiers and long ones keep a set of them: the answers must not
// change while a list grows past the change and shrinks back.
TEST(PWMultiValueTest, IdentifiersAreFoundWhileTheListGrowsAndShrinksPastItsIndex)
{
    PWMultiValue multi;
    QStringList identifiers;
    for (int i = 0; i < 40; ++i) {
        identifiers.append(multi.insertValue(PWPlist::fromInteger(i), kPWWorkLabel, i % 2 ? 0 : multi.count()));
        ASSERT_EQ(QSet<QString>(identifiers.cbegin(), identifiers.cend()).size(), i + 1);
        for (const QString &identifier : std::as_const(identifiers))
            ASSERT_TRUE(multi.setPrimaryIdentifier(identifier)) << "after " << i << " entries";
    }
    PWMultiValue copy = multi;
    while (multi.count() > 1) {
        const QString gone = multi.identifierAtIndex(multi.count() / 2);
        ASSERT_TRUE(multi.removeValueAndLabelAtIndex(multi.count() / 2));
        identifiers.removeOne(gone);
        ASSERT_FALSE(multi.setPrimaryIdentifier(gone));
        for (const QString &identifier : std::as_const(identifiers))
            ASSERT_TRUE(multi.setPrimaryIdentifier(identifier)) << "with " << multi.count() << " entries";
        ASSERT_NE(multi, copy);
    }
    // Equal lists compare equal whichever way they came to their length.
    PWMultiValue again = copy;
    while (again.count() > 1)
        again.removeValueAndLabelAtIndex(again.count() / 2);
    again.setPrimaryIdentifier(multi.primaryIdentifier());
    EXPECT_EQ(again, multi);
}

// Whatever a list goes through, no identifier it ever gave comes back, neither in it nor in another
// list, and the ones it gave up are found no more.
TEST(PWMultiValueTest, IdentifiersAreNeverReusedAfterRemovals)
{
    struct Row
    {
        const char *name;
        // a: add at the end, i: insert at the front, f/m/l: remove the first, middle, last entry.
        const char *steps;
    };
    const Row rows[] = {
        {"add and remove the last", "aalalalal"},
        {"empty and fill again", "aaafffaaal"},
        {"insert at the front", "iiimiiifl"},
        {"past a long list", "aaaaaaaaaaaaaaaaaaaaammmmmmmmmmmmmmmmmaaaiii"},
    };
    static const QRegularExpression form(QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$"));
    QSet<QString> everGiven;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        PWMultiValue multi;
        PWMultiValue other;
        other.addValue(PWPlist::fromString(QStringLiteral("elsewhere")), kPWWorkLabel);
        QSet<QString> given;
        QSet<QString> removed;
        for (const char *step = row.steps; *step; ++step) {
            const qsizetype middle = multi.count() / 2;
            switch (*step) {
            case 'a':
            case 'i': {
                const QString identifier = multi.insertValue(PWPlist::fromString(QString(QLatin1Char(*step))), kPWHomeLabel,
                                                             *step == 'a' ? multi.count() : 0);
                ASSERT_TRUE(form.match(identifier).hasMatch()) << identifier.toStdString();
                ASSERT_FALSE(everGiven.contains(identifier)) << "given again at step " << step - row.steps;
                everGiven.insert(identifier);
                given.insert(identifier);
                break;
            }
            default: {
                const qsizetype index = *step == 'f' ? 0 : *step == 'm' ? middle : multi.count() - 1;
                removed.insert(multi.identifierAtIndex(index));
                ASSERT_TRUE(multi.removeValueAndLabelAtIndex(index));
            }
            }
            for (qsizetype i = 0; i < multi.count(); ++i)
                ASSERT_EQ(multi.indexForIdentifier(multi.identifierAtIndex(i)), i);
            for (const QString &gone : std::as_const(removed)) {
                ASSERT_EQ(multi.indexForIdentifier(gone), -1);
                ASSERT_FALSE(multi.setPrimaryIdentifier(gone));
            }
            ASSERT_EQ(multi.primaryIdentifier().isEmpty(), multi.isEmpty());
            ASSERT_EQ(other.indexForIdentifier(multi.primaryIdentifier()), -1);
            ASSERT_EQ(multi.indexForIdentifier(other.identifierAtIndex(0)), -1);
        }
        // A copy holds the same identifiers and finds each of them.
        const PWMultiValue copy = multi;
        EXPECT_EQ(copy, multi);
        for (qsizetype i = 0; i < multi.count(); ++i)
            EXPECT_EQ(copy.indexForIdentifier(multi.identifierAtIndex(i)), i);
    }
    PWMultiValue multi;
    EXPECT_EQ(multi.indexForIdentifier(QString()), -1);
    EXPECT_EQ(multi.indexForIdentifier(QStringLiteral("not an identifier")), -1);
}

TEST(PWPersonTest, OnlyRegisteredPropertiesOfTheRightKindHoldValues)
{
    const std::shared_ptr<PWPerson> person = PWPerson::create();
    EXPECT_TRUE(person->setValueForProperty(kPWFirstNameProperty, PWPlist::fromString(QStringLiteral("Ann"))));
    EXPECT_FALSE(person->setValueForProperty(QStringLiteral("NotRegisteredAnywhere"), PWPlist::fromString(QStringLiteral("x"))));
    EXPECT_FALSE(person->setValueForProperty(kPWBirthdayProperty, PWPlist::fromString(QStringLiteral("1970-01-01"))));
    EXPECT_FALSE(person->setValueForProperty(kPWPhoneProperty, PWPlist::fromString(QStringLiteral("single"))));
    PWMultiValue wrongKind;
    wrongKind.addValue(PWPlist::fromString(QStringLiteral("a text, not an address")), kPWWorkLabel);
    EXPECT_FALSE(person->setMultiValueForProperty(kPWAddressProperty, wrongKind));
    EXPECT_FALSE(person->setMultiValueForProperty(kPWFirstNameProperty, wrongKind));
    EXPECT_TRUE(person->setMultiValueForProperty(kPWPhoneProperty, wrongKind));
    EXPECT_TRUE(person->setValueForProperty(kPWFirstNameProperty, PWPlist()));
    EXPECT_FALSE(person->hasValueForProperty(kPWFirstNameProperty));
    EXPECT_EQ(person->propertiesWithValues(), QStringList{kPWPhoneProperty});
}

TEST(PWPersonTest, RegistrationAddsOnlyUnknownPropertiesAndKeepsTheFirstType)
{
    const QString name = QStringLiteral("PWPersonTestOwnProperty");
    EXPECT_EQ(PWPerson::addPropertiesAndTypes({{name, PWPropertyType::Date}, {kPWFirstNameProperty, PWPropertyType::Date}}), 1);
    EXPECT_EQ(PWPerson::addPropertiesAndTypes({{name, PWPropertyType::String}}), 0);
    EXPECT_EQ(PWPerson::typeOfProperty(name), PWPropertyType::Date);
    EXPECT_EQ(PWPerson::typeOfProperty(kPWFirstNameProperty), PWPropertyType::String);
    EXPECT_FALSE(PWPerson::isBuiltInProperty(name));
    EXPECT_TRUE(PWPerson::isBuiltInProperty(kPWAddressProperty));
    const QStringList all = PWPerson::properties();
    EXPECT_LT(all.indexOf(kPWRelatedNamesProperty), all.indexOf(name));
}

// A person's values are kept by the place of their property in the registry: whatever order they
// are set, removed and set again in, they come back in that order and compare alike.
TEST(PWPersonTest, ValuesComeInRegistryOrderWhateverOrderTheyWereSetIn)
{
    pwtest::registerCustomPersonProperties();
    PWMultiValue phones;
    phones.addValue(PWPlist::fromString(QStringLiteral("+44 131 496 0000")), kPWWorkLabel);
    PWMultiValue addresses;
    addresses.addValue(PWPlist::Dictionary {{kPWAddressCityKey, PWPlist::fromString(QStringLiteral("Leith"))}}, kPWHomeLabel);
    const QList<std::pair<QString, PWPlist>> singles = {
        {QStringLiteral("Custom3"), PWPlist::fromString(QStringLiteral("three"))},
        {kPWLastNameProperty, PWPlist::fromString(QStringLiteral("Ashgrove"))},
        {kPWBirthdayProperty, pwtest::utcDate(1980, 2, 29)},
        {kPWFirstNameProperty, PWPlist::fromString(QStringLiteral("Johanna"))},
        {QStringLiteral("ABDepartment"), PWPlist::fromString(QStringLiteral("Logistics"))},
    };
    const QList<std::pair<QString, PWMultiValue>> multis = {{kPWPhoneProperty, phones}, {kPWAddressProperty, addresses}};
    QStringList expected;
    for (const QString &property : PWPerson::properties()) {
        const bool set = std::any_of(singles.cbegin(), singles.cend(), [&](const auto &s) { return s.first == property; })
                         || std::any_of(multis.cbegin(), multis.cend(), [&](const auto &m) { return m.first == property; });
        if (set)
            expected.append(property);
    }
    struct Row
    {
        const char *name;
        bool multisFirst;
        bool reversed;
    };
    std::vector<std::shared_ptr<PWPerson>> made;
    for (const Row &row : {Row{"as listed", false, false}, Row{"reversed", false, true}, Row{"multi-values first", true, false}}) {
        SCOPED_TRACE(row.name);
        const std::shared_ptr<PWPerson> person = PWPerson::create();
        const auto setSingles = [&] {
            for (qsizetype i = 0; i < singles.size(); ++i) {
                const auto &[property, value] = singles.at(row.reversed ? singles.size() - 1 - i : i);
                ASSERT_TRUE(person->setValueForProperty(property, value)) << property.toStdString();
            }
        };
        const auto setMultis = [&] {
            for (const auto &[property, value] : multis)
                ASSERT_TRUE(person->setMultiValueForProperty(property, value));
        };
        if (row.multisFirst) {
            setMultis();
            setSingles();
        } else {
            setSingles();
            setMultis();
        }
        EXPECT_EQ(person->propertiesWithValues(), expected);
        for (const auto &[property, value] : singles)
            EXPECT_EQ(person->valueForProperty(property), value) << property.toStdString();
        EXPECT_EQ(person->multiValueForProperty(kPWPhoneProperty), phones);
        EXPECT_EQ(person->multiValueForProperty(kPWAddressProperty), addresses);
        // A single value is no multi-value and the other way round.
        EXPECT_FALSE(person->multiValueForProperty(kPWFirstNameProperty));
        EXPECT_TRUE(person->valueForProperty(kPWPhoneProperty).isNull());
        // Replacing keeps the place; removing and setting again finds the place again.
        EXPECT_TRUE(person->setValueForProperty(kPWLastNameProperty, PWPlist::fromString(QStringLiteral("Ash"))));
        EXPECT_TRUE(person->removeValueForProperty(kPWFirstNameProperty));
        EXPECT_FALSE(person->removeValueForProperty(kPWFirstNameProperty));
        EXPECT_FALSE(person->hasValueForProperty(kPWFirstNameProperty));
        EXPECT_EQ(person->propertiesWithValues().size(), expected.size() - 1);
        EXPECT_FALSE(made.empty() ? false : person->hasSameValues(*made.front()));
        EXPECT_TRUE(person->setValueForProperty(kPWFirstNameProperty, PWPlist::fromString(QStringLiteral("Johanna"))));
        EXPECT_TRUE(person->setValueForProperty(kPWLastNameProperty, PWPlist::fromString(QStringLiteral("Ashgrove"))));
        EXPECT_EQ(person->propertiesWithValues(), expected);
        EXPECT_EQ(person->stringForProperty(kPWLastNameProperty), QStringLiteral("Ashgrove"));
        if (!made.empty()) {
            EXPECT_TRUE(person->hasSameValues(*made.front()));
        }
        made.push_back(person);
    }
}

// Places of property names are remembered per thread: a name is still found by its characters
// when the caller's characters change under the same text, and each of many names finds its own.
TEST(PWPersonTest, PropertiesAreFoundByTheirNamesCharactersWhereverTheyLive)
{
    pwtest::registerCustomPersonProperties();
    const std::shared_ptr<PWPerson> person = PWPerson::create();
    for (int i = 1; i <= 9; ++i)
        ASSERT_TRUE(person->setValueForProperty(QStringLiteral("Custom%1").arg(i), PWPlist::fromString(QString::number(i))));
    // Names alike in length, first, middle and last character, told apart by the second.
    const QStringList alike = {QStringLiteral("Qa-person-mark"), QStringLiteral("Qb-person-mark")};
    PWPerson::addPropertiesAndTypes({{alike.at(0), PWPropertyType::String}, {alike.at(1), PWPropertyType::String}});
    for (const QString &name : alike)
        ASSERT_TRUE(person->setValueForProperty(name, PWPlist::fromString(name)));
    char16_t characters[] = u"Qa-person-mark";
    const QString borrowed = QString::fromRawData(reinterpret_cast<const QChar *>(characters), 14);
    for (const char16_t second : {u'a', u'b', u'a', u'b'}) {
        characters[1] = second;
        EXPECT_EQ(person->stringForProperty(borrowed), alike.at(second == u'a' ? 0 : 1));
    }
    characters[1] = u'c';
    EXPECT_FALSE(person->hasValueForProperty(borrowed));
    EXPECT_FALSE(person->setValueForProperty(borrowed, PWPlist::fromString(QStringLiteral("nowhere"))));
    // Every registered name, asked for over and over in turn, finds its own place.
    const QStringList all = PWPerson::properties();
    for (int round = 0; round < 3; ++round) {
        for (const QString &property : all) {
            const QString copy(property.constData(), property.size());
            EXPECT_EQ(PWPerson::typeOfProperty(copy), PWPerson::typeOfProperty(property));
            EXPECT_EQ(person->hasValueForProperty(copy), property.startsWith(QStringLiteral("Custom")) || alike.contains(property))
                << property.toStdString();
        }
    }
}

// A person keeps its values packed; every kind of value comes back as it was set, whether the
// person holds values kept whole beside (dates, numbers, data) or not, and through later changes.
TEST(PWPersonTest, EveryKindOfValueComesBackAsItWasSetThroughLaterChanges)
{
    pwtest::registerCustomPersonProperties();
    PWPlist::Dictionary inner{{QStringLiteral("Count"), PWPlist::fromInteger(-7)},
                              {QStringLiteral("Ratio"), PWPlist::fromReal(0.25)},
                              {QStringLiteral("On"), PWPlist::fromBool(true)},
                              {QStringLiteral("Bytes"), PWPlist::fromData(QByteArray("\0\1\2", 3))},
                              {QStringLiteral("List"), PWPlist(PWPlist::Array{PWPlist::fromString(QStringLiteral("a")), PWPlist()})},
                              {QString(), PWPlist::fromString(QStringLiteral("under a null key"))},
                              {QString(60, QLatin1Char('k')), PWPlist::fromString(QString())}};
    PWPlist::Dictionary address = pwtest::address(QStringLiteral("1 Elm Row"), QStringLiteral("Leith"), QString(),
                                                  QStringLiteral("EH6 1AA"), QStringLiteral("UK"));
    address.insert(QStringLiteral("Nested"), PWPlist(inner));
    PWMultiValue addresses;
    addresses.addValue(PWPlist(address), kPWHomeLabel);
    addresses.addValue(PWPlist(pwtest::address(QString(), QString(), QString(), QString(), QString())), QString());
    addresses.setPrimaryIdentifier(addresses.identifierAtIndex(1));
    // More labels of their own than the process keeps once, each long or short.
    PWMultiValue phones;
    for (int i = 0; i < 9000; ++i)
        phones.addValue(PWPlist::fromString(QString::number(i)), QStringLiteral("label %1").arg(i).repeated(1 + i % 7 * 3));
    PWMultiValue dates;
    dates.addValue(pwtest::utcDate(1999, 12, 31), kPWOtherLabel);
    const QString longText = QString::fromUcs4(U"\U0001F600") + QString(70000, QLatin1Char('x'));
    const QList<std::pair<QString, PWPlist>> singles = {
        {kPWFirstNameProperty, PWPlist::fromString(QStringLiteral(""))},
        {kPWLastNameProperty, PWPlist::fromString(QString(reinterpret_cast<const QChar *>(u"nul\0inside"), 10))},
        {kPWNoteProperty, PWPlist::fromString(longText)},
        {QStringLiteral("Custom1"), PWPlist::fromString(QStringLiteral("Zoë"))},
    };
    for (const bool withBoxed : {false, true}) {
        SCOPED_TRACE(withBoxed ? "beside a birthday" : "texts only");
        const std::shared_ptr<PWPerson> person = PWPerson::create();
        if (withBoxed) {
            ASSERT_TRUE(person->setValueForProperty(kPWBirthdayProperty, pwtest::utcDate(1980, 2, 29)));
        }
        for (const auto &[property, value] : singles)
            ASSERT_TRUE(person->setValueForProperty(property, value));
        ASSERT_TRUE(person->setMultiValueForProperty(kPWAddressProperty, addresses));
        ASSERT_TRUE(person->setMultiValueForProperty(kPWPhoneProperty, phones));
        ASSERT_TRUE(person->setMultiValueForProperty(kPWOtherDatesProperty, dates));
        const auto expectAll = [&] {
            for (const auto &[property, value] : singles) {
                EXPECT_EQ(person->valueForProperty(property), value) << property.toStdString();
                EXPECT_EQ(person->stringForProperty(property), value.toString());
            }
            EXPECT_FALSE(person->stringForProperty(kPWFirstNameProperty).isNull());
            EXPECT_EQ(person->multiValueForProperty(kPWAddressProperty), addresses);
            EXPECT_EQ(person->multiValueForProperty(kPWAddressProperty)->primaryIdentifier(), addresses.identifierAtIndex(1));
            EXPECT_EQ(person->multiValueForProperty(kPWPhoneProperty), phones);
            EXPECT_EQ(person->multiValueForProperty(kPWOtherDatesProperty), dates);
            EXPECT_EQ(person->valueForProperty(kPWBirthdayProperty).isNull(), !withBoxed);
        };
        expectAll();
        // Changes of other properties leave these as they were.
        ASSERT_TRUE(person->setValueForProperty(kPWOrganizationProperty, PWPlist::fromString(QStringLiteral("Harbour"))));
        ASSERT_TRUE(person->setValueForProperty(kPWOrganizationProperty, PWPlist::fromString(QStringLiteral("Dock"))));
        ASSERT_TRUE(person->removeValueForProperty(kPWOrganizationProperty));
        expectAll();
        const std::shared_ptr<PWPerson> twin = PWPerson::create();
        for (const QString &property : person->propertiesWithValues()) {
            if (const std::optional<PWMultiValue> multi = person->multiValueForProperty(property)) {
                twin->setMultiValueForProperty(property, *multi);
            } else {
                twin->setValueForProperty(property, person->valueForProperty(property));
            }
        }
        EXPECT_TRUE(twin->hasSameValues(*person));
    }
}

// Texts a person answers share what it holds: changing one never changes the person, and one
// answered before a change or the person's end keeps its characters.
TEST(PWPersonTest, AnsweredTextsOutliveThePersonAndNeverChangeIt)
{
    std::shared_ptr<PWPerson> person = PWPerson::create();
    ASSERT_TRUE(person->setValueForProperty(kPWFirstNameProperty, PWPlist::fromString(QStringLiteral("Johanna"))));
    ASSERT_TRUE(person->setValueForProperty(kPWLastNameProperty, PWPlist::fromString(QStringLiteral("Ashgrove"))));
    PWMultiValue addresses;
    addresses.addValue(PWPlist(pwtest::address(QStringLiteral("1 Elm Row"), QStringLiteral("Leith"), QString(),
                                               QStringLiteral("EH6"), QStringLiteral("UK"))),
                       kPWHomeLabel);
    ASSERT_TRUE(person->setMultiValueForProperty(kPWAddressProperty, addresses));

    QString first = person->stringForProperty(kPWFirstNameProperty);
    QString last = person->valueForProperty(kPWLastNameProperty).toString();
    QString street = person->multiValueForProperty(kPWAddressProperty)->valueAtIndex(0).value(kPWAddressStreetKey).toString();
    first.append(QStringLiteral(" Maria"));
    first[0] = u'Y';
    last.prepend(QStringLiteral("von "));
    street.replace(0, 1, QStringLiteral("22"));
    EXPECT_EQ(person->stringForProperty(kPWFirstNameProperty), QStringLiteral("Johanna"));
    EXPECT_EQ(person->stringForProperty(kPWLastNameProperty), QStringLiteral("Ashgrove"));
    EXPECT_EQ(person->multiValueForProperty(kPWAddressProperty), addresses);
    EXPECT_EQ(first, QStringLiteral("Yohanna Maria"));
    EXPECT_EQ(last, QStringLiteral("von Ashgrove"));
    EXPECT_EQ(street, QStringLiteral("22 Elm Row"));

    QString kept = person->stringForProperty(kPWLastNameProperty);
    const QString keptStreet = person->multiValueForProperty(kPWAddressProperty)->valueAtIndex(0).value(kPWAddressCityKey).toString();
    ASSERT_TRUE(person->setValueForProperty(kPWLastNameProperty, PWPlist::fromString(QStringLiteral("Other"))));
    EXPECT_EQ(kept, QStringLiteral("Ashgrove"));
    person.reset();
    EXPECT_EQ(kept, QStringLiteral("Ashgrove"));
    EXPECT_EQ(keptStreet, QStringLiteral("Leith"));
    // The last holder grows and shrinks its text like any other.
    kept.append(QString(100, QLatin1Char('!')));
    kept.squeeze();
    kept.truncate(3);
    EXPECT_EQ(kept, QStringLiteral("Ash"));
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t *>(kept.utf16())), QStringLiteral("Ash"));
}

TEST(PWPersonTest, AnIdDrawnHereKeepsItsTextAndAGivenIdStaysAsGiven)
{
    static const QRegularExpression form(QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$"));
    const std::shared_ptr<PWPerson> drawn = PWPerson::create();
    const QString id = drawn->uniqueId();
    EXPECT_TRUE(form.match(id).hasMatch()) << id.toStdString();
    EXPECT_EQ(drawn->uniqueId(), id);
    const std::shared_ptr<PWPerson> other = PWPerson::create();
    for (const QString &given : {QStringLiteral("ab12cd34-0000-4000-8000-00000000000a"), QStringLiteral("p1"), id, other->uniqueId()}) {
        const std::shared_ptr<PWPerson> kept = PWPerson::createWithUniqueId(given);
        EXPECT_EQ(kept->uniqueId(), given);
        EXPECT_TRUE(kept->hasUniqueId(given));
        EXPECT_EQ(drawn->hasUniqueId(given), given == id) << given.toStdString();
    }
    QString near = id;
    near[35] = near[35] == u'0' ? u'1' : u'0';
    EXPECT_FALSE(drawn->hasUniqueId(near));
    EXPECT_FALSE(drawn->hasUniqueId(id.toLower()));
    EXPECT_FALSE(drawn->hasUniqueId(id + QLatin1Char('0')));
    EXPECT_FALSE(drawn->hasUniqueId(QString()));
    EXPECT_TRUE(PWPerson::createWithUniqueId(QString())->uniqueId() != id);
}

} // namespace
