#include "app/contacts/CAPrintListArray.h"

#include "ContactsTestSupport.h"
#include "FileSizeLimit.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace contactstest;

namespace {

class CAPrintListArrayTest : public testing::Test
{
protected:
    // Three lists "A", "B", "C" of one person each.
    void fill()
    {
        for (const QString &name : {u"A"_s, u"B"_s, u"C"_s}) {
            m_lists.insertPrintListAt(-1);
            m_lists.renamePrintListAt(m_lists.count() - 1, name);
            m_lists.replacePrintListAt(m_lists.count() - 1, {person(u"First"_s, name)});
        }
    }

    ScratchDefaults m_scratch;
    CAPrintListArray m_lists{m_scratch.defaults()};
};

TEST_F(CAPrintListArrayTest, InsertedListsAreUnnamedUnsortedAndOutOfRangeAppends)
{
    fill();
    m_lists.insertPrintListAt(99);
    m_lists.insertPrintListAt(1);
    ASSERT_EQ(m_lists.count(), 5);
    EXPECT_EQ(m_lists.getPrintListNameAt(1), u""_s);
    EXPECT_FALSE(m_lists.getPrintListNameAt(1).isNull());
    EXPECT_EQ(m_lists.getPrintListSortValueAt(1), 134);
    EXPECT_EQ(m_lists.getPrintListNameAt(2), u"B"_s);
    EXPECT_TRUE(m_lists.getPrintListAt(4).isEmpty());
}

struct ClampCase
{
    const char *name;
    int lists;
    int set;
    int expected;
};

class CurrentIndex : public CAPrintListArrayTest, public testing::WithParamInterface<ClampCase>
{
};

TEST_P(CurrentIndex, IsAValidIndexOrTheLastList)
{
    const ClampCase &c = GetParam();
    for (int i = 0; i < c.lists; ++i)
        m_lists.insertPrintListAt(-1);
    m_lists.setCurrentPrintListIndex(c.set);
    EXPECT_EQ(m_lists.currentPrintListIndex(), c.expected);
    EXPECT_EQ(m_lists.currentPrintList().has_value(), c.expected >= 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, CurrentIndex,
                         testing::Values(ClampCase{"Valid", 3, 1, 1}, ClampCase{"TooLarge", 3, 5, 2},
                                         ClampCase{"Negative", 3, -4, 2}, ClampCase{"NoLists", 0, 0, -1},
                                         ClampCase{"NoListsNegative", 0, -1, -1}),
                         [](const testing::TestParamInfo<ClampCase> &info) { return std::string(info.param.name); });

TEST_F(CAPrintListArrayTest, RemovingListsClampsTheCurrentIndexWhenRead)
{
    fill();
    m_lists.setCurrentPrintListIndex(2);
    m_lists.removePrintListAt(2);
    EXPECT_EQ(m_lists.currentPrintListIndex(), 1);
    EXPECT_EQ(m_lists.currentPrintListDict()->name(), u"B"_s);
    m_lists.removePrintListAt(0);
    m_lists.removePrintListAt(0);
    EXPECT_EQ(m_lists.currentPrintListIndex(), -1);
    EXPECT_FALSE(m_lists.currentPrintList().has_value());
    m_lists.replaceCurrentPrintList({person(u"x"_s, u"y"_s)});
    EXPECT_EQ(m_lists.count(), 0);
}

TEST_F(CAPrintListArrayTest, LookupByNameIsExactAndTheFirstWins)
{
    fill();
    m_lists.renamePrintListAt(2, u"A"_s);
    EXPECT_EQ(lastNames(*m_lists.getPrintListByName(u"A"_s)), QStringList{u"A"_s});
    EXPECT_FALSE(m_lists.getPrintListByName(u"a"_s).has_value());
    EXPECT_FALSE(m_lists.getPrintListByName(QString()).has_value());
}

TEST_F(CAPrintListArrayTest, StoredListsComeBackAfterARestart)
{
    fill();
    m_lists.replacePrintListSortValueAt(1, 17);
    m_lists.replacePrintListAt(1, {person(u"Bo"_s, u"Green"_s), person(u"Anna"_s, u"White"_s)});
    ASSERT_TRUE(m_lists.store());

    CAPrintListArray again(m_scratch.restart());
    again.load();
    ASSERT_EQ(again.count(), 3);
    EXPECT_EQ(again.getPrintListNameAt(1), u"B"_s);
    EXPECT_EQ(again.getPrintListSortValueAt(1), 17);
    EXPECT_EQ(lastNames(again.getPrintListAt(1)), (QStringList{u"Green"_s, u"White"_s}));
    EXPECT_TRUE(again.loadProblems().isEmpty());
}

// Lists whose write is cut short in the middle of the settings file are not stored: the store
// says so, and the stored lists stay those written last.
TEST_F(CAPrintListArrayTest, AStoreCutShortIsAFailureAndKeepsTheStoredLists)
{
    fill();
    ASSERT_TRUE(m_lists.store());
    m_lists.replacePrintListAt(0, {person(u"Carl"_s, u"Brown"_s)});
    bool stored = true;
    {
        const pwtest::FileSizeLimit room(400);
        ASSERT_TRUE(room.isActive());
        stored = m_lists.store();
    }
    EXPECT_FALSE(stored);
    CAPrintListArray again(m_scratch.restart());
    again.load();
    ASSERT_EQ(again.count(), 3);
    EXPECT_EQ(lastNames(again.getPrintListAt(0)), QStringList{u"A"_s});
}

TEST_F(CAPrintListArrayTest, DamagedStoredListsReadAsWhatCanBeReadAndKeepTheirPersons)
{
    PWPlist::Array stored;
    stored.append(PWPlist::fromString(u"not a list"_s));
    stored.append(PWPlist(PWPlist::Dictionary{
        {u"Persons"_s, PWPlist(PWPlist::Array{PWPlist(PWPlist::Dictionary{
                           {u"personData"_s, PWPlist::fromData("garbage")}})})}}));
    m_scratch.defaults().setObject(u"PrintListArray"_s, PWPlist(stored));
    m_lists.load();
    ASSERT_EQ(m_lists.count(), 2);
    EXPECT_EQ(m_lists.getPrintListNameAt(1), u""_s);
    EXPECT_EQ(m_lists.getPrintListSortValueAt(1), 0);
    // The person that does not read holds its place, and goes back as it was stored.
    ASSERT_EQ(m_lists.getPrintListAt(1).size(), 1);
    EXPECT_FALSE(CAPersonListDictionary::unreadableReason(*m_lists.getPrintListAt(1).first()).isEmpty());
    EXPECT_EQ(m_lists.loadProblems().size(), 2);
    m_lists.store();
    EXPECT_EQ(m_scratch.defaults().objectForKey(u"PrintListArray"_s).toArray().at(1).value(u"Persons"_s), stored.at(1).value(u"Persons"_s));

    m_scratch.defaults().setObject(u"PrintListArray"_s, PWPlist::fromInteger(3));
    m_lists.load();
    EXPECT_EQ(m_lists.count(), 0);
}

TEST_F(CAPrintListArrayTest, EditsAreSignalled)
{
    QSignalSpy changed(&m_lists, &CAPrintListArray::printListsChanged);
    fill();
    EXPECT_EQ(changed.count(), 9);
}

// Missing texts sort as empty texts, so the order is a strict weak one and the sort is stable.
TEST(CAPrintListSorting, ByFirstNameWithFallbacksAndMissingTextsFirst)
{
    CAPersonList persons = {person(u"bea"_s, u"1"_s),          person(QString(), u"2"_s, u"Acme"_s),
                            person(QString(), QString()),      person(u"Cy"_s, u"4"_s),
                            person(QString(), u"Able"_s),      person(u"BEA"_s, u"6"_s),
                            person(QString(), QString())};
    persons[4]->setValueForProperty(kPWLastNameProperty, PWPlist::fromString(u"Able"_s));
    persons[2]->setValueForProperty(kPWMiddleNameProperty, PWPlist::fromString(u"first-empty"_s));
    persons[6]->setValueForProperty(kPWMiddleNameProperty, PWPlist::fromString(u"second-empty"_s));
    CAPrintListArray::sortPrintList(persons, 17);
    QStringList order;
    for (const std::shared_ptr<PWPerson> &each : persons)
        order << each->stringForProperty(kPWFirstNameProperty) + u'/' + each->stringForProperty(kPWLastNameProperty)
                     + each->stringForProperty(kPWMiddleNameProperty);
    EXPECT_EQ(order, (QStringList{u"/first-empty"_s, u"/second-empty"_s, u"/Able"_s, u"/2"_s, u"bea/1"_s,
                                  u"BEA/6"_s, u"Cy/4"_s}));
}

TEST(CAPrintListSorting, NoSortingValuesLeaveTheOrder)
{
    for (const int value : {0, -3, 134}) {
        CAPersonList persons = {person(u"b"_s, u"b"_s), person(u"a"_s, u"a"_s)};
        CAPrintListArray::sortPrintList(persons, value);
        EXPECT_EQ(lastNames(persons), (QStringList{u"b"_s, u"a"_s})) << value;
    }
}

TEST(CAPrintListSorting, ALargeListWithManyMissingTextsSortsConsistently)
{
    CAPersonList persons;
    for (int i = 0; i < 2000; ++i)
        persons.append(i % 3 == 0 ? person(QString(), QString()) : person(QString::number(i % 17), u"x"_s));
    CAPrintListArray::sortPrintList(persons, 17);
    for (qsizetype i = 1; i < persons.size(); ++i)
        EXPECT_LE(CAPersonListDictionary::sortUsingTextCategory(*persons.at(i - 1), *persons.at(i), 17), 0);
}

} // namespace
