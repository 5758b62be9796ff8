#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CASenderList.h"

#include "kernel/address/FTStoredPerson.h"
#include "platform/PWNotificationCenter.h"

#include "ContactsTestSupport.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace contactstest;

namespace {

class CASenderListTest : public testing::Test
{
protected:
    CASenderList &list()
    {
        if (!m_list) {
            m_list = std::make_unique<CASenderList>(m_scratch.defaults(), [this] { return m_me; });
            m_list->load();
        }
        return *m_list;
    }
    void storeSenders(const CAPersonList &senders)
    {
        m_scratch.defaults().setObject(u"SenderList"_s, PWPlist(CAPersonListDictionary::storedPersons(senders)));
    }

    ScratchDefaults m_scratch;
    std::shared_ptr<PWPerson> m_me = person(u"Me"_s, u"Myself"_s);
    std::unique_ptr<CASenderList> m_list;
};

TEST_F(CASenderListTest, FirstRunHoldsTheOwnCardAsDefault)
{
    ASSERT_EQ(list().personListDict().personList().size(), 1);
    EXPECT_EQ(list().personListDict().personList().first().get(), m_me.get());
    EXPECT_EQ(list().getDefaultPersonIndex(), 0);
    EXPECT_EQ(list().personListDict().sortingValue(), 18);
}

TEST_F(CASenderListTest, WithoutAnOwnCardTheFirstRunListIsEmpty)
{
    m_me.reset();
    EXPECT_TRUE(list().personListDict().personList().isEmpty());
    EXPECT_EQ(list().getDefaultPersonIndex(), -1);
    EXPECT_EQ(list().defaultPerson(), nullptr);
}

TEST_F(CASenderListTest, AStoredEmptyListStaysEmptyAndTheOwnCardIsTheDefault)
{
    storeSenders({});
    EXPECT_TRUE(list().personListDict().personList().isEmpty());
    EXPECT_EQ(list().getDefaultPersonIndex(), -1);
    EXPECT_EQ(list().defaultPerson().get(), m_me.get());
}

struct IndexCase
{
    const char *name;
    int senders;
    std::optional<int> stored; // "Default Sender Index", nothing for absent
    int expected;
};

class DefaultSenderIndex : public CASenderListTest, public testing::WithParamInterface<IndexCase>
{
};

TEST_P(DefaultSenderIndex, FollowsTheRules)
{
    const IndexCase &c = GetParam();
    CAPersonList senders;
    for (int i = 0; i < c.senders; ++i)
        senders.append(person(u"S"_s, QString::number(i)));
    storeSenders(senders);
    if (c.stored)
        m_scratch.defaults().setInteger(u"Default Sender Index"_s, *c.stored);
    EXPECT_EQ(list().getDefaultPersonIndex(), c.expected);
    if (c.expected >= 0) {
        EXPECT_EQ(list().defaultPerson()->stringForProperty(kPWLastNameProperty), QString::number(c.expected));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, DefaultSenderIndex,
                         testing::Values(IndexCase{"PastTheEndGivesTheFirst", 2, 3, 0},
                                         IndexCase{"NoneChosenGivesTheFirst", 2, 0, 0},
                                         IndexCase{"AbsentGivesTheFirst", 2, std::nullopt, 0},
                                         IndexCase{"TheSecond", 2, 2, 1}, IndexCase{"NegativeGivesTheFirst", 2, -5, 0},
                                         IndexCase{"EmptyListGivesNone", 0, 1, -1}),
                         [](const testing::TestParamInfo<IndexCase> &info) { return std::string(info.param.name); });

TEST_F(CASenderListTest, ChoosingTheSecondSenderStoresTwoAndSurvivesARestart)
{
    storeSenders({person(u"A"_s, u"0"_s), person(u"B"_s, u"1"_s)});
    list().storeDefaultPersonIndex(1);
    EXPECT_EQ(m_scratch.defaults().integerForKey(u"Default Sender Index"_s), 2);
    m_scratch.defaults().synchronize();
    CASenderList again(m_scratch.restart(), [] { return nullptr; });
    again.load();
    EXPECT_EQ(again.defaultPerson()->stringForProperty(kPWFirstNameProperty), u"B"_s);
}

TEST_F(CASenderListTest, AnEditSortsByLastNameWhenNoSortingWasStoredAndStores)
{
    storeSenders({});
    const CAPersonList sorted = list().savePersonListChanges({person(u"Z"_s, u"Young"_s), person(u"A"_s, u"Adams"_s)});
    EXPECT_EQ(lastNames(sorted), (QStringList{u"Adams"_s, u"Young"_s}));
    CASenderList again(m_scratch.restart(), [] { return nullptr; });
    again.load();
    EXPECT_EQ(lastNames(again.personListDict().personList()), (QStringList{u"Adams"_s, u"Young"_s}));
    EXPECT_EQ(m_scratch.defaults().integerForKey(u"SenderListSortingValue"_s), 18);
}

TEST_F(CASenderListTest, UpdateIsPostedUnderItsName)
{
    int heard = 0;
    const int token = PWNotificationCenter::defaultCenter().addObserver(
        u"Update Sender List Controller"_s, nullptr, [&](const PWNotification &) { ++heard; });
    list().postUpdate();
    PWNotificationCenter::defaultCenter().removeObserver(token);
    EXPECT_EQ(heard, 1);
}

TEST(CALocalContactBase, SortingValueZeroReadsAsLastNameAndEditsSortAndStore)
{
    ScratchDefaults scratch;
    scratch.defaults().setInteger(u"LocalContactBaseSortingValue"_s, 0);
    CALocalContactBase base(scratch.defaults());
    base.load();
    EXPECT_EQ(base.personListDict().sortingValue(), 18);
    base.personListDict().replacePersonList({person(u"Z"_s, u"Young"_s), person(u"A"_s, u"Adams"_s)});
    base.savePersonListChanges();
    CALocalContactBase again(scratch.restart());
    again.load();
    EXPECT_EQ(lastNames(again.personListDict().personList()), (QStringList{u"Adams"_s, u"Young"_s}));
}

TEST(CALocalContactBase, AStoredPersonThatDoesNotReadIsKeptAndNamed)
{
    ScratchDefaults scratch;
    PWPlist::Array stored = CAPersonListDictionary::storedPersons({person(u"A"_s, u"Adams"_s)});
    stored.prepend(PWPlist(PWPlist::Dictionary{{u"personData"_s, PWPlist::fromData("no card")}}));
    scratch.defaults().setObject(u"LocalContactBase"_s, PWPlist(stored));
    CALocalContactBase base(scratch.defaults());
    base.load();
    EXPECT_EQ(lastNames(base.personListDict().personList()), (QStringList{QString(), u"Adams"_s}));
    EXPECT_EQ(base.loadProblems().size(), 1);
    base.store();
    EXPECT_EQ(scratch.defaults().objectForKey(u"LocalContactBase"_s).toArray().first(), stored.first());
}

} // namespace
