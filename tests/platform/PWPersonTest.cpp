#include "platform/PWPerson.h"

#include "PWPersonSamples.h"
#include "platform/PWMultiValue.h"
#include "platform/PWPersonProperties.h"

#include <QSet>

#include <gtest/gtest.h>

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

} // namespace
