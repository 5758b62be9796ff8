// The address book's files on disk: written only when a record in them changed, written whole,
// and never touched when they were read only in part.
#include "platform/PWAddressBook.h"

#include "FileSizeLimit.h"
#include "PWPersonSamples.h"
#include "TestSupport.h"
#include "platform/PWPerson.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray storedCard(const QByteArray &uid, const QByteArray &name, const QByteArray &extra = QByteArray())
{
    return "BEGIN:VCARD\r\nVERSION:2.1\r\nUID:" + uid + "\r\nN:" + name + ";Given\r\n" + extra + "END:VCARD\r\n";
}

class PWAddressBookFilesTest : public testing::Test
{
protected:
    void SetUp() override
    {
        pwtest::registerCustomPersonProperties();
        ASSERT_TRUE(m_folder.isValid());
        ASSERT_TRUE(QDir().mkpath(bookPath()));
    }
    QString bookPath() const { return m_folder.filePath(QStringLiteral("AddressBook")); }
    QString path(const QString &name) const { return QDir(bookPath()).filePath(name); }
    void put(const QString &name, const QByteArray &bytes) { ASSERT_TRUE(pwtest::writeFile(path(name), bytes)); }
    // Every file of the folder with its bytes.
    QMap<QString, QByteArray> contents() const
    {
        QMap<QString, QByteArray> all;
        for (const QString &name : QDir(bookPath()).entryList(QDir::Files))
            all.insert(name, pwtest::readFile(path(name)));
        return all;
    }
    QTemporaryDir m_folder;
};

// Files other programs wrote (vCard 2.1, quoted-printable, several cards, no UID, a group, a
// marker of their own) stay byte for byte as they were after a load and a save of nothing.
TEST_F(PWAddressBookFilesTest, LoadingAndSavingNothingLeavesEveryFileAsItWas)
{
    QByteArray five;
    for (int i = 0; i < 5; ++i)
        five += storedCard("five-" + QByteArray::number(i), "Five" + QByteArray::number(i),
                           i == 1 ? "NOTE;ENCODING=QUOTED-PRINTABLE:abc=\r\n" : "TEL;CELL:+1 555 0100\r\n");
    put(QStringLiteral("five.vcf"), five);
    put(QStringLiteral("no-uid.vcf"), "BEGIN:VCARD\nVERSION:3.0\nN:Nouid;Nora;;;\nEND:VCARD\n");
    put(QStringLiteral("group.vcf"), "BEGIN:VCARD\nVERSION:3.0\nUID:g1\nFN:Choir\nX-ADDRESSBOOKSERVER-KIND:group\n"
                                     "X-ADDRESSBOOKSERVER-MEMBER:urn:uuid:five-0\nEND:VCARD\n");
    put(QStringLiteral("AddressBook.plist"),
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>Me</key><string>five-3</string></dict></plist>");
    const QMap<QString, QByteArray> before = contents();

    PWAddressBook book(bookPath());
    ASSERT_TRUE(book.load());
    EXPECT_EQ(book.people().size(), 6);
    EXPECT_EQ(book.groups().size(), 1);
    EXPECT_TRUE(book.filesLeftAlone().isEmpty());
    QString error;
    ASSERT_TRUE(book.save(&error)) << error.toStdString();
    EXPECT_EQ(contents(), before);
    // A second book over the same folder sees the same and changes nothing either.
    PWAddressBook again(bookPath());
    ASSERT_TRUE(again.load());
    ASSERT_TRUE(again.save());
    EXPECT_EQ(contents(), before);
}

// A file of several cards is written whole when one of its records changes or goes.
TEST_F(PWAddressBookFilesTest, AFileOfSeveralCardsKeepsTheOthersWhenOneChangesOrGoes)
{
    put(QStringLiteral("three.vcf"), storedCard("a", "Alpha") + storedCard("b", "Beta") + storedCard("c", "Gamma"));
    PWAddressBook book(bookPath());
    ASSERT_TRUE(book.load());
    book.personForUniqueId(QStringLiteral("b"))->setValueForProperty(kPWNoteProperty,
                                                                     PWPlist::fromString(QStringLiteral("changed")));
    ASSERT_TRUE(book.save());
    EXPECT_EQ(QDir(bookPath()).entryList({QStringLiteral("*.vcf")}), QStringList {QStringLiteral("three.vcf")});
    {
        PWAddressBook reread(bookPath());
        ASSERT_TRUE(reread.load());
        ASSERT_EQ(reread.people().size(), 3);
        EXPECT_EQ(reread.personForUniqueId(QStringLiteral("b"))->stringForProperty(kPWNoteProperty),
                  QStringLiteral("changed"));
        EXPECT_TRUE(reread.personForUniqueId(QStringLiteral("a")));
        EXPECT_TRUE(reread.personForUniqueId(QStringLiteral("c")));
    }
    ASSERT_TRUE(book.removePerson(QStringLiteral("a")));
    ASSERT_TRUE(book.save());
    PWAddressBook reread(bookPath());
    ASSERT_TRUE(reread.load());
    QStringList ids;
    for (const auto &person : reread.people())
        ids.append(person->uniqueId());
    EXPECT_EQ(ids, (QStringList {QStringLiteral("b"), QStringLiteral("c")}));
}

// Renamed persons that find no room on the disk stay as they were in their files, and the save
// says it failed: no card file is left short or empty.
TEST_F(PWAddressBookFilesTest, ASaveWithoutRoomFailsAndLeavesEveryCardWhole)
{
    for (const char *id : {"p1", "p2", "p3"})
        put(QString::fromLatin1(id) + QStringLiteral(".vcf"), storedCard(id, "Old" + QByteArray(id)));
    const QMap<QString, QByteArray> before = contents();
    PWAddressBook book(bookPath());
    ASSERT_TRUE(book.load());
    for (const char *id : {"p1", "p2", "p3"})
        book.personForUniqueId(QString::fromLatin1(id))
            ->setValueForProperty(kPWLastNameProperty, PWPlist::fromString(QStringLiteral("Renamed")));
    QString error;
    bool saved = true;
    {
        const pwtest::FileSizeLimit limit(16);
        ASSERT_TRUE(limit.isActive());
        saved = book.save(&error);
    }
    EXPECT_FALSE(saved);
    EXPECT_TRUE(error.contains(QStringLiteral("larger than this system allows"))) << error.toStdString();
    EXPECT_EQ(contents(), before);
    PWAddressBook reread(bookPath());
    ASSERT_TRUE(reread.load());
    EXPECT_EQ(reread.people().size(), 3);
}

struct DamagedFile
{
    const char *name;
    QByteArray bytes;
    qsizetype people; // read from it
};

std::ostream &operator<<(std::ostream &out, const DamagedFile &c)
{
    return out << c.name;
}

using PWAddressBookDamagedFileTest = testing::TestWithParam<DamagedFile>;

// A file read as fewer complete cards than it opens is never written over or removed, whatever
// the book does with what it read of it, and says so.
TEST_P(PWAddressBookDamagedFileTest, IsLeftUntouchedAndReported)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString file = folder.filePath(QStringLiteral("damaged.vcf"));
    ASSERT_TRUE(pwtest::writeFile(file, GetParam().bytes));
    const pwtest::LogCapture log;
    PWAddressBook book(folder.path());
    ASSERT_TRUE(book.load());
    ASSERT_EQ(book.people().size(), GetParam().people);
    EXPECT_EQ(book.filesLeftAlone().keys(), QStringList {QStringLiteral("damaged.vcf")});
    EXPECT_FALSE(pwtest::LogCapture::lines().filter(QStringLiteral("damaged.vcf left alone")).isEmpty());

    // Nothing changed: nothing to say.
    QString error;
    EXPECT_TRUE(book.save(&error)) << error.toStdString();
    EXPECT_EQ(pwtest::readFile(file), GetParam().bytes);
    // A change to what was read of it is not saved, and save says so.
    if (!book.people().isEmpty()) {
        book.people().constFirst()->setValueForProperty(kPWNoteProperty, PWPlist::fromString(QStringLiteral("x")));
        EXPECT_FALSE(book.save(&error));
        EXPECT_TRUE(error.contains(QStringLiteral("damaged.vcf"))) << error.toStdString();
        EXPECT_EQ(pwtest::readFile(file), GetParam().bytes);
        ASSERT_TRUE(book.removePerson(book.people().constFirst()->uniqueId()));
        EXPECT_FALSE(book.save());
    }
    EXPECT_EQ(pwtest::readFile(file), GetParam().bytes);
    // A new record never takes its name.
    const std::shared_ptr<PWPerson> newcomer = PWPerson::createWithUniqueId(QStringLiteral("damaged"));
    ASSERT_TRUE(book.addPerson(newcomer));
    EXPECT_TRUE(book.save());
    EXPECT_EQ(pwtest::readFile(file), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PWAddressBookDamagedFileTest,
    testing::Values(
        DamagedFile {"SecondCardCutOff", storedCard("a", "Alpha") + "BEGIN:VCARD\r\nUID:b\r\nN:Beta\r\n", 1},
        DamagedFile {"EmbeddedCard", storedCard("a", "Alpha", "AGENT:\r\nBEGIN:VCARD\r\nN:Agent\r\nEND:VCARD\r\n"), 1},
        DamagedFile {"NestedBeyondTheLimit", QByteArray("BEGIN:VCARD\n").repeated(9), 0}),
    [](const testing::TestParamInfo<DamagedFile> &info) { return std::string(info.param.name); });

} // namespace
