#include "app/contacts/CAAddressBookSource.h"

#include "platform/PWAddressBook.h"

#include "ContactsTestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace contactstest;

namespace {

class CAAddressBookSourceTest : public testing::Test
{
protected:
    void SetUp() override
    {
        for (const QString &last : {u"Adams"_s, u"Brown"_s, u"Clark"_s}) {
            m_people.append(person(u"P"_s, last));
            m_book.addPerson(m_people.last());
        }
        PWGroup zeta(u"zeta"_s);
        zeta.addMember(m_people.at(2)->uniqueId());
        PWGroup alpha(u"Alpha"_s);
        alpha.addMember(m_people.at(0)->uniqueId());
        alpha.addMember(m_people.at(1)->uniqueId());
        m_book.setGroup(zeta);
        m_book.setGroup(alpha);
    }

    QTemporaryDir m_folder;
    PWAddressBook m_book{m_folder.path()};
    ScratchDefaults m_scratch;
    CAPersonList m_people;
};

TEST_F(CAAddressBookSourceTest, AllComesFirstThenGroupsIgnoringCase)
{
    CAAddressBookSource source(m_book, m_scratch.defaults());
    EXPECT_EQ(source.groupNames(), (QStringList{u"All"_s, u"Alpha"_s, u"zeta"_s}));
    EXPECT_EQ(source.selectedGroupName(), u"All"_s);
    EXPECT_EQ(source.initialSortingKey(), 18);
}

TEST_F(CAAddressBookSourceTest, ChoosingAGroupShowsItsMembersAndIsRemembered)
{
    CAAddressBookSource source(m_book, m_scratch.defaults());
    EXPECT_EQ(lastNames(source.changeGroupWithName(u"Alpha"_s)), (QStringList{u"Adams"_s, u"Brown"_s}));
    CAAddressBookSource again(m_book, m_scratch.restart());
    EXPECT_EQ(again.selectedGroupName(), u"Alpha"_s);
    EXPECT_EQ(lastNames(again.selectedContent()), (QStringList{u"Adams"_s, u"Brown"_s}));
    EXPECT_EQ(lastNames(again.changeGroupWithName(u"All"_s)).size(), 3);
    EXPECT_EQ(m_scratch.defaults().stringForKey(u"ContactAddressBookGroup"_s), u"All"_s);
}

TEST_F(CAAddressBookSourceTest, AGroupThatNoLongerExistsShowsEveryone)
{
    m_scratch.defaults().setString(u"ContactAddressBookGroup"_s, u"Gone"_s);
    CAAddressBookSource source(m_book, m_scratch.defaults());
    EXPECT_EQ(source.selectedContent().size(), 3);
    m_book.setMe(m_people.at(1));
    EXPECT_EQ(source.me().get(), m_people.at(1).get());
}

} // namespace
