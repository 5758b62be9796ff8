#include "app/contacts/CADataSourceContainer.h"

#include "kernel/address/FTPersonFields.h"
#include "kernel/address/FTStoredPerson.h"
#include "platform/PWNotificationCenter.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWVCardReader.h"
#include "platform/PWVCardWriter.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString kSource = u"Test Source"_s;
const QString kCache = u"TestSource"_s;

std::shared_ptr<PWPerson> personNamed(const QString &first, const QString &last)
{
    std::shared_ptr<PWPerson> person = PWPerson::create();
    person->setValueForProperty(kPWFirstNameProperty, PWPlist::fromString(first));
    person->setValueForProperty(kPWLastNameProperty, PWPlist::fromString(last));
    return person;
}

PWPlist::Dictionary address(const QString &city)
{
    return {{kPWAddressCityKey, PWPlist::fromString(city)}};
}

// A source whose import counts its calls and answers what the test put in next.
class CADataSourceContainerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        m_container = std::make_unique<CADataSourceContainer>(m_folder.path() + u"/caches"_s);
        m_container->registerSource(kSource, kCache, [this](QWidget *, QStringList &problems) {
            ++m_imports;
            problems << m_problems;
            return m_next;
        });
    }

    void answer(const CAPersonList &persons)
    {
        m_next = CADataSourceContainer::ImportResult{persons, std::nullopt};
    }

    QTemporaryDir m_folder;
    std::unique_ptr<CADataSourceContainer> m_container;
    int m_imports = 0;
    QStringList m_problems;
    std::optional<CADataSourceContainer::ImportResult> m_next;
};

TEST_F(CADataSourceContainerTest, MemoryThenCacheThenImport)
{
    answer({personNamed(u"Anna"_s, u"White"_s)});
    const std::optional<CAPersonList> first = m_container->contactsForSource(kSource, nullptr, false);
    ASSERT_TRUE(first);
    EXPECT_EQ(m_imports, 1);
    const QString cachePath = m_container->getCachePathForSource(kCache);
    ASSERT_TRUE(QFile::exists(cachePath));

    // Memory answers without touching the cache.
    QFile::remove(cachePath);
    const std::optional<CAPersonList> second = m_container->contactsForSource(kSource, nullptr, false);
    EXPECT_EQ(m_imports, 1);
    EXPECT_EQ(second->first().get(), first->first().get());
    EXPECT_FALSE(QFile::exists(cachePath));

    // A new run: no memory, the cache answers and nothing is imported.
    answer({personNamed(u"Bo"_s, u"Green"_s)});
    m_container->contactsForSource(kSource, nullptr, true);
    EXPECT_EQ(m_imports, 2);
    CADataSourceContainer later(m_folder.path() + u"/caches"_s);
    int laterImports = 0;
    later.registerSource(kSource, kCache, [&](QWidget *, QStringList &) {
        ++laterImports;
        return std::optional<CADataSourceContainer::ImportResult>();
    });
    const std::optional<CAPersonList> cached = later.contactsForSource(kSource, nullptr, false);
    ASSERT_TRUE(cached);
    EXPECT_EQ(laterImports, 0);
    EXPECT_EQ(cached->first()->stringForProperty(kPWFirstNameProperty), u"Bo"_s);
}

TEST_F(CADataSourceContainerTest, DirectAlwaysImportsAndRewritesTheCache)
{
    answer({personNamed(u"Anna"_s, u"White"_s)});
    m_container->contactsForSource(kSource, nullptr, false);
    answer({personNamed(u"Bo"_s, u"Green"_s), personNamed(u"Cy"_s, u"Blue"_s)});
    const std::optional<CAPersonList> direct = m_container->contactsForSource(kSource, nullptr, true);
    EXPECT_EQ(m_imports, 2);
    ASSERT_EQ(direct->size(), 2);
    EXPECT_EQ(m_container->getCachedPersonListForSource(kCache)->size(), 2);
}

TEST_F(CADataSourceContainerTest, AFailedImportOverwritesNeitherMemoryNorCache)
{
    answer({personNamed(u"Anna"_s, u"White"_s)});
    m_container->contactsForSource(kSource, nullptr, false);
    const QByteArray cacheBefore = pwtest::readFile(m_container->getCachePathForSource(kCache));
    m_next.reset();
    m_problems = QStringList{u"x.csv could not be read"_s};
    const std::optional<CAPersonList> after = m_container->contactsForSource(kSource, nullptr, true);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->first()->stringForProperty(kPWFirstNameProperty), u"Anna"_s);
    EXPECT_EQ(pwtest::readFile(m_container->getCachePathForSource(kCache)), cacheBefore);
    EXPECT_EQ(m_container->lastImportProblems(kSource), m_problems);
}

TEST_F(CADataSourceContainerTest, AnUnreadableOrKeylessCacheCountsAsNone)
{
    QDir().mkpath(m_folder.path() + u"/caches"_s);
    for (const QByteArray &bytes : {QByteArray("\x00\x01garbage", 9), QByteArray("<?xml version=\"1.0\"?><plist><dict>"
                                                                              "<key>other</key><string>x</string>"
                                                                              "</dict></plist>")}) {
        ASSERT_TRUE(pwtest::writeFile(m_container->getCachePathForSource(kCache), bytes));
        EXPECT_FALSE(m_container->getCachedPersonListForSource(kCache).has_value());
    }
    answer({personNamed(u"Anna"_s, u"White"_s)});
    EXPECT_TRUE(m_container->contactsForSource(kSource, nullptr, false).has_value());
    EXPECT_EQ(m_imports, 1);
}

TEST_F(CADataSourceContainerTest, CacheKeepsPrimaryAddressCustomDataAndGroups)
{
    std::shared_ptr<PWPerson> home = personNamed(u"Anna"_s, u"White"_s);
    PWMultiValue addresses;
    addresses.addValue(PWPlist(address(u"Leeds"_s)), kPWAddressWorkLabel);
    const QString homeId = addresses.addValue(PWPlist(address(u"York"_s)), kPWAddressHomeLabel);
    addresses.setPrimaryIdentifier(homeId);
    home->setMultiValueForProperty(kPWAddressProperty, addresses);
    home->setValueForProperty(u"Custom1"_s, PWPlist::fromString(u"one"_s));
    home->setValueForProperty(u"Custom5"_s, PWPlist::fromString(u"five"_s));
    const std::shared_ptr<PWPerson> bare = personNamed(u"Bo"_s, u"Green"_s);

    const PWPlist::Dictionary homeEntry = CADataSourceContainer::cacheEntryForPerson(*home, true);
    EXPECT_EQ(homeEntry.value(u"primary address"_s).toString(), u"home"_s);
    EXPECT_EQ(homeEntry.value(u"custom data"_s).toDictionary().keys(), (QStringList{u"Custom1"_s, u"Custom5"_s}));
    const PWPlist::Dictionary bareEntry = CADataSourceContainer::cacheEntryForPerson(*bare, true);
    EXPECT_EQ(bareEntry.value(u"primary address"_s).toString(), u"work"_s);
    EXPECT_FALSE(bareEntry.contains(u"custom data"_s));

    const CADataSourceContainer::Groups groups = {{u"Friends"_s, {bare}}};
    ASSERT_TRUE(m_container->cachePersonList({home, bare}, &groups, kCache));
    CADataSourceContainer::Groups readGroups;
    const std::optional<CAPersonList> read = m_container->getCachedPersonListForSource(kCache, &readGroups);
    ASSERT_TRUE(read);
    ASSERT_EQ(read->size(), 2);
    EXPECT_EQ(getPrimaryAddressLabel(read->first().get()), kPWAddressHomeLabel);
    EXPECT_EQ(read->first()->stringForProperty(u"Custom5"_s), u"five"_s);
    ASSERT_EQ(readGroups.value(u"Friends"_s).size(), 1);
    EXPECT_EQ(readGroups.value(u"Friends"_s).first()->stringForProperty(kPWLastNameProperty), u"Green"_s);
    EXPECT_NE(readGroups.value(u"Friends"_s).first().get(), read->at(1).get());
    // No temporary file is left beside the cache: it was written whole, then put in place.
    EXPECT_EQ(QDir(m_folder.path() + u"/caches"_s).entryList(QDir::Files), QStringList{kCache + u".cache"_s});
}

// Texts that the cache's vCard escapes, quotes or folds come back as they went in: the reader
// takes shortcuts for values with nothing to undo, and these are the values without them.
TEST_F(CADataSourceContainerTest, CachedTextsComeBackEqual)
{
    const QStringList texts = {u"plain"_s,
                               u"semi;colon, and comma"_s,
                               u"back\\slash \\n not a line end"_s,
                               u"two\nlines"_s,
                               u"\"quoted\" \u00e9t\u00e9 \u00fc\u00df"_s,
                               u"colon: after"_s,
                               QString(200, u'x') + u" long enough to fold"_s};
    CAPersonList persons;
    for (const QString &text : texts) {
        std::shared_ptr<PWPerson> person = personNamed(text, text);
        person->setValueForProperty(kPWOrganizationProperty, PWPlist::fromString(text));
        person->setValueForProperty(kPWNoteProperty, PWPlist::fromString(text));
        PWMultiValue addresses;
        PWPlist::Dictionary where = address(text);
        where.insert(kPWAddressStreetKey, PWPlist::fromString(text));
        where.insert(kPWAddressZIPKey, PWPlist::fromString(u"EH1 3AA"_s));
        addresses.addValue(PWPlist(where), kPWAddressHomeLabel);
        person->setMultiValueForProperty(kPWAddressProperty, addresses);
        PWMultiValue phones;
        phones.addValue(PWPlist::fromString(u"+44 131 555"_s), kPWPhoneWorkLabel);
        const QString mobile = phones.addValue(PWPlist::fromString(text), kPWPhoneMobileLabel);
        phones.setPrimaryIdentifier(mobile);
        person->setMultiValueForProperty(kPWPhoneProperty, phones);
        persons.append(person);
    }
    ASSERT_TRUE(m_container->cachePersonList(persons, nullptr, kCache));
    const std::optional<CAPersonList> read = m_container->getCachedPersonListForSource(kCache);
    ASSERT_TRUE(read);
    ASSERT_EQ(read->size(), persons.size());
    for (qsizetype i = 0; i < persons.size(); ++i) {
        SCOPED_TRACE(texts.at(i).toStdString());
        EXPECT_TRUE(read->at(i)->hasSameValues(*persons.at(i)));
        EXPECT_EQ(read->at(i)->stringForProperty(kPWOrganizationProperty), texts.at(i));
    }
}

// The cached bytes carry the blank picture; the person in memory keeps its own.
TEST_F(CADataSourceContainerTest, CachingLeavesThePersonsPictureAlone)
{
    std::shared_ptr<PWPerson> person = personNamed(u"Anna"_s, u"White"_s);
    const QByteArray picture = pwtest::readFixture(u"delimited-text/binary-picture.png"_s);
    person->setImageData(picture);
    ASSERT_TRUE(m_container->cachePersonList({person}, nullptr, kCache));
    EXPECT_EQ(person->imageData(), picture);
    const std::optional<CAPersonList> read = m_container->getCachedPersonListForSource(kCache);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->first()->imageData(), FTStoredPerson::blankPictureData());
}

TEST_F(CADataSourceContainerTest, UpdatePermissionIsSharedAndNotified)
{
    m_container->registerSource(u"Other"_s, u"Other"_s, {});
    QStringList heard;
    const int token = PWNotificationCenter::defaultCenter().addObserver(
        QString(), m_container.get(), [&](const PWNotification &note) {
            heard << note.name + u'|' + note.userInfo.value(CADataSourceContainer::kDataSourceNameKey).toString();
        });
    m_container->setAllowUpdateCache(false, kSource);
    EXPECT_FALSE(m_container->isAllowUpdateCacheForSource(u"Other"_s));
    EXPECT_TRUE(m_container->isAllowUpdateCacheForSource(u"Address Book"_s));
    EXPECT_TRUE(m_container->isAllowUpdateCacheForSource(u"My Recipients"_s));
    m_container->setAllowUpdateCache(true, kSource);
    EXPECT_TRUE(m_container->isAllowUpdateCacheForSource(u"Other"_s));
    m_container->updateCacheForSource(kSource);
    PWNotificationCenter::defaultCenter().removeObserver(token);
    EXPECT_EQ(heard, (QStringList{u"Forbid Update Cache Notification|Test Source"_s,
                                  u"Allow Update Cache Notification|Test Source"_s,
                                  u"Update Cache  Notification|Test Source"_s}));
}

TEST_F(CADataSourceContainerTest, GroupsComeWithAFreshImportWhenNothingIsInMemory)
{
    m_container->registerSource(
        u"Grouped"_s, u"Grouped"_s,
        [this](QWidget *, QStringList &) {
            ++m_imports;
            const std::shared_ptr<PWPerson> member = personNamed(u"Anna"_s, u"White"_s);
            return std::optional<CADataSourceContainer::ImportResult>(
                CADataSourceContainer::ImportResult{{member}, CADataSourceContainer::Groups{{u"Team"_s, {member}}}});
        },
        true);
    const std::optional<CADataSourceContainer::Groups> groups = m_container->groupsForSource(u"Grouped"_s);
    ASSERT_TRUE(groups);
    EXPECT_EQ(groups->value(u"Team"_s).size(), 1);
    m_container->groupsForSource(u"Grouped"_s);
    EXPECT_EQ(m_imports, 1);
    EXPECT_FALSE(m_container->contactsForSource(u"Unknown"_s, nullptr, true).has_value());
}

TEST_F(CADataSourceContainerTest, ErrorFlagIsKeptUntilSetAgain)
{
    EXPECT_FALSE(m_container->isErrorDuringImporting());
    m_container->setErrorDuringImporting(true);
    answer({});
    m_container->contactsForSource(kSource, nullptr, true);
    EXPECT_TRUE(m_container->isErrorDuringImporting());
}

} // namespace

// Caches written before entries carried the compact record hold each person as a vCard under
// "data": they still load, side by side with new entries, and entries of neither form are skipped.
TEST_F(CADataSourceContainerTest, CachesOfTheVCardFormStillLoad)
{
    std::shared_ptr<PWPerson> old = personNamed(u"Anna"_s, u"White"_s);
    PWMultiValue addresses;
    addresses.addValue(PWPlist(address(u"Leeds"_s)), kPWAddressWorkLabel);
    addresses.addValue(PWPlist(address(u"York"_s)), kPWAddressHomeLabel);
    old->setMultiValueForProperty(kPWAddressProperty, addresses);
    const PWPlist::Dictionary oldEntry = {
        {u"data"_s, PWPlist::fromData(PWVCardWriter::vCardRepresentation(*old))},
        {u"primary address"_s, PWPlist::fromString(u"home"_s)},
        {u"custom data"_s, PWPlist(PWPlist::Dictionary{{u"Custom2"_s, PWPlist::fromString(u"two"_s)}})}};
    const PWPlist::Dictionary newEntry = CADataSourceContainer::cacheEntryForPerson(*personNamed(u"Bo"_s, u"Green"_s), true);
    EXPECT_TRUE(newEntry.value(u"person"_s).isData());
    EXPECT_FALSE(newEntry.contains(u"data"_s));
    const PWPlist::Dictionary neither = {{u"primary address"_s, PWPlist::fromString(u"work"_s)}};
    const PWPlist::Dictionary damaged = {{u"person"_s, PWPlist::fromData("P\x01\x05")}};
    const PWPlist cache(PWPlist::Dictionary{
        {u"personListEx"_s, PWPlist(PWPlist::Array{PWPlist(oldEntry), PWPlist(neither), PWPlist(newEntry),
                                                   PWPlist(damaged)})}});
    QDir().mkpath(m_folder.path() + u"/caches"_s);
    ASSERT_TRUE(pwtest::writeFile(m_container->getCachePathForSource(kCache), cache.toXml()));

    qsizetype skipped = 0;
    const std::optional<CAPersonList> read = m_container->getCachedPersonListForSource(kCache, nullptr, &skipped);
    ASSERT_TRUE(read);
    ASSERT_EQ(read->size(), 2);
    EXPECT_EQ(skipped, 2);
    EXPECT_EQ(read->at(0)->stringForProperty(kPWFirstNameProperty), u"Anna"_s);
    EXPECT_EQ(getPrimaryAddressLabel(read->at(0).get()), kPWAddressHomeLabel);
    EXPECT_EQ(read->at(0)->stringForProperty(u"Custom2"_s), u"two"_s);
    EXPECT_EQ(read->at(1)->stringForProperty(kPWLastNameProperty), u"Green"_s);
}
