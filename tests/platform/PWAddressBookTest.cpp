#include "platform/PWAddressBook.h"

#include "PWPersonSamples.h"
#include "TestSupport.h"
#include "platform/PWPerson.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

std::shared_ptr<PWPerson> named(const QString &first, const QString &last)
{
    std::shared_ptr<PWPerson> person = PWPerson::create();
    person->setValueForProperty(kPWFirstNameProperty, PWPlist::fromString(first));
    person->setValueForProperty(kPWLastNameProperty, PWPlist::fromString(last));
    return person;
}

class PWAddressBookTest : public testing::Test
{
protected:
    void SetUp() override
    {
        pwtest::registerCustomPersonProperties();
        ASSERT_TRUE(m_folder.isValid());
    }
    QString bookPath() const { return m_folder.filePath(QStringLiteral("Parcelwick/AddressBook")); }
    QStringList files() const { return QDir(bookPath()).entryList(QDir::Files, QDir::Name); }
    QTemporaryDir m_folder;
};

TEST_F(PWAddressBookTest, DefaultFolderFollowsXdgDataHome)
{
    // The test main points XDG_DATA_HOME into the private home.
    EXPECT_EQ(PWAddressBook::defaultFolderPath(),
              pwtest::homePath() + QStringLiteral("/.local/share/Parcelwick/AddressBook"));
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", "/elsewhere/data");
    EXPECT_EQ(PWAddressBook::defaultFolderPath(), QStringLiteral("/elsewhere/data/Parcelwick/AddressBook"));
    qputenv("XDG_DATA_HOME", "relative/is/ignored");
    EXPECT_EQ(PWAddressBook::defaultFolderPath(),
              QDir::homePath() + QStringLiteral("/.local/share/Parcelwick/AddressBook"));
    qputenv("XDG_DATA_HOME", saved);
}

TEST_F(PWAddressBookTest, PeopleGroupsAndMeSurviveASaveAndALoad)
{
    PWAddressBook book(bookPath());
    ASSERT_TRUE(book.load()); // a missing folder is an empty book
    const std::shared_ptr<PWPerson> full = pwtest::everyKindPerson();
    const std::shared_ptr<PWPerson> ann = named(QStringLiteral("Ann"), QStringLiteral("Lee"));
    ASSERT_TRUE(book.addPerson(full));
    ASSERT_TRUE(book.addPerson(ann));
    EXPECT_FALSE(book.addPerson(ann));
    EXPECT_FALSE(book.addPerson(nullptr));
    PWGroup choir(QStringLiteral("Choir"));
    choir.addMember(ann->uniqueId());
    choir.addMember(full->uniqueId());
    book.setGroup(choir);
    ASSERT_TRUE(book.setMe(ann));
    EXPECT_FALSE(book.setMe(named(QStringLiteral("Not"), QStringLiteral("Held"))));
    QString error;
    ASSERT_TRUE(book.save(&error)) << error.toStdString();
    EXPECT_EQ(files().size(), 4); // two people, one group, the marker
    PWAddressBook again(bookPath());
    ASSERT_TRUE(again.load());
    const std::shared_ptr<PWPerson> fullBack = again.personForUniqueId(full->uniqueId());
    ASSERT_TRUE(fullBack);
    EXPECT_TRUE(fullBack->hasSameValues(*full)); // custom fields and department included
    ASSERT_TRUE(again.me());
    EXPECT_EQ(again.me()->uniqueId(), ann->uniqueId());
    EXPECT_EQ(again.groups(), QList<PWGroup> {choir});
    QStringList members;
    for (const auto &member : again.peopleInGroup(choir.uniqueId()))
        members.append(member->uniqueId());
    EXPECT_EQ(members, (QStringList {ann->uniqueId(), full->uniqueId()}));
}

TEST_F(PWAddressBookTest, RemovingAPersonRemovesItsFileMembershipAndMe)
{
    PWAddressBook book(bookPath());
    const std::shared_ptr<PWPerson> ann = named(QStringLiteral("Ann"), QStringLiteral("Lee"));
    const std::shared_ptr<PWPerson> bob = named(QStringLiteral("Bob"), QStringLiteral("Ray"));
    PWGroup group(QStringLiteral("Both"));
    for (const auto &person : {ann, bob}) {
        book.addPerson(person);
        group.addMember(person->uniqueId());
    }
    book.setGroup(group);
    book.setMe(ann);
    ASSERT_TRUE(book.save());
    EXPECT_TRUE(book.removePerson(ann->uniqueId()));
    EXPECT_FALSE(book.removePerson(ann->uniqueId()));
    EXPECT_FALSE(book.me());
    EXPECT_EQ(book.groupForUniqueId(group.uniqueId())->memberIds(), QStringList {bob->uniqueId()});
    ASSERT_TRUE(book.save());
    EXPECT_EQ(files().size(), 3);
    PWAddressBook again(bookPath());
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.people().size(), 1);
    EXPECT_TRUE(again.removeGroup(group.uniqueId()));
    ASSERT_TRUE(again.save());
    EXPECT_EQ(files().size(), 2);
}

TEST_F(PWAddressBookTest, FilesOfOtherProgramsKeepTheirNamesAndUnreadableFilesAreLeftAlone)
{
    ASSERT_TRUE(QDir().mkpath(bookPath()));
    const QString foreign = QDir(bookPath()).filePath(QStringLiteral("from-elsewhere.vcf"));
    ASSERT_TRUE(pwtest::writeFile(foreign, "BEGIN:VCARD\nVERSION:3.0\nN:Else;Where;;;\nEND:VCARD\n"));
    const QString broken = QDir(bookPath()).filePath(QStringLiteral("broken.vcf"));
    ASSERT_TRUE(pwtest::writeFile(broken, "this is not a vCard at all"));
    ASSERT_TRUE(
        pwtest::writeFile(QDir(bookPath()).filePath(QStringLiteral("AddressBook.plist")), "not a property list"));
    PWAddressBook book(bookPath());
    ASSERT_TRUE(book.load());
    ASSERT_EQ(book.people().size(), 1);
    const std::shared_ptr<PWPerson> where = book.people().constFirst();
    // A card without a UID takes its file's name as its identity, so it is saved in place.
    EXPECT_EQ(where->uniqueId(), QStringLiteral("from-elsewhere"));
    where->setValueForProperty(kPWOrganizationProperty, PWPlist::fromString(QStringLiteral("Now Employed")));
    ASSERT_TRUE(book.save());
    EXPECT_EQ(files(),
              (QStringList {QStringLiteral("AddressBook.plist"), QStringLiteral("broken.vcf"),
                            QStringLiteral("from-elsewhere.vcf")}));
    EXPECT_TRUE(pwtest::readFile(foreign).contains("ORG:Now Employed"));
    EXPECT_EQ(pwtest::readFile(broken), QByteArray("this is not a vCard at all"));
}

TEST_F(PWAddressBookTest, IdsUnsafeAsFileNamesAndDuplicatesAreHandled)
{
    PWAddressBook book(bookPath());
    const std::shared_ptr<PWPerson> odd = PWPerson::createWithUniqueId(QStringLiteral("../../escape/attempt"));
    const std::shared_ptr<PWPerson> twin = PWPerson::createWithUniqueId(QStringLiteral("______escape_attempt"));
    ASSERT_TRUE(book.addPerson(odd));
    ASSERT_TRUE(book.addPerson(twin));
    ASSERT_TRUE(book.save());
    const QStringList names = files();
    EXPECT_EQ(names.size(), 3); // two people and the marker, none of them outside
    EXPECT_FALSE(QFile::exists(m_folder.filePath(QStringLiteral("escape"))));
    // A second file holding a card of a UID the book already has is a person of its own; the
    // first card keeps the UID.
    const QString copy = QDir(bookPath()).filePath(QStringLiteral("zz-copy.vcf"));
    ASSERT_TRUE(QFile::copy(QDir(bookPath()).filePath(names.at(1)), copy));
    const QByteArray copied = pwtest::readFile(copy);
    PWAddressBook again(bookPath());
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.people().size(), 3);
    EXPECT_TRUE(again.filesLeftAlone().isEmpty());
    EXPECT_TRUE(again.personForUniqueId(QStringLiteral("../../escape/attempt")));
    EXPECT_TRUE(again.personForUniqueId(QStringLiteral("______escape_attempt")));
    EXPECT_EQ(pwtest::readFile(copy), copied);
}

} // namespace
