// An address book folder whose cards share UIDs: every card is a person (or group) of its own
// with an identity that stays from one reading to the next, the first of a UID keeps it, and an
// edit touches its own card and no other byte of the folder.
#include "platform/PWAddressBook.h"

#include "PWPersonSamples.h"
#include "RepeatedUidBooks.h"
#include "TestSupport.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace repeateduids;

namespace {

using Folder = std::map<std::string, std::string>;

QStringList namesOf(const QList<std::shared_ptr<PWPerson>> &persons)
{
    QStringList names;
    for (const std::shared_ptr<PWPerson> &person : persons)
        names.append(person->stringForProperty(kPWLastNameProperty));
    return names;
}

// Identity and name of every person and group, in the book's order.
QStringList records(const PWAddressBook &book)
{
    QStringList all;
    for (const std::shared_ptr<PWPerson> &person : book.people())
        all.append(person->uniqueId() + u' ' + person->stringForProperty(kPWLastNameProperty));
    for (const PWGroup &group : book.groups())
        all.append(group.uniqueId() + u' ' + group.name());
    return all;
}

qsizetype distinctIdentities(const PWAddressBook &book)
{
    QSet<QString> ids;
    for (const QString &record : records(book))
        ids.insert(record.section(u' ', 0, 0));
    return ids.size();
}

class PWAddressBookRepeatedUidTest : public testing::TestWithParam<Layout>
{
protected:
    void SetUp() override
    {
        pwtest::registerCustomPersonProperties();
        ASSERT_TRUE(m_folder.isValid());
        ASSERT_TRUE(writeLayout(GetParam(), bookPath()));
        // A marker of another program, so that a save of nothing has nothing to write.
        ASSERT_TRUE(pwtest::writeFile(QDir(bookPath()).filePath(QStringLiteral("AddressBook.plist")),
                                      "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>Me</key>"
                                      "<string>x</string></dict></plist>"));
        m_before = contents();
    }
    QString bookPath() const { return m_folder.filePath(QStringLiteral("AddressBook")); }
    // Every file of the folder with its bytes, as texts that a failure prints readably.
    Folder contents() const
    {
        Folder all;
        for (const QString &name : QDir(bookPath()).entryList(QDir::Files))
            all[name.toStdString()] = pwtest::readFile(QDir(bookPath()).filePath(name)).toStdString();
        return all;
    }
    void restore()
    {
        for (const QString &name : QDir(bookPath()).entryList(QDir::Files))
            QFile::remove(QDir(bookPath()).filePath(name));
        for (const auto &[name, bytes] : m_before)
            ASSERT_TRUE(pwtest::writeFile(QDir(bookPath()).filePath(QString::fromStdString(name)),
                                          QByteArray::fromStdString(bytes)));
    }
    // The persons the book's group of that name shows.
    static QStringList shownIn(const PWAddressBook &book, const QString &groupName)
    {
        for (const PWGroup &group : book.groups())
            if (group.name() == groupName)
                return namesOf(book.peopleInGroup(group.uniqueId()));
        return {QStringLiteral("no group")};
    }

    QTemporaryDir m_folder;
    Folder m_before;
};

TEST_P(PWAddressBookRepeatedUidTest, EveryCardIsReadWithAnIdentityOfItsOwnTheSameAtEveryReading)
{
    const Layout &layout = GetParam();
    PWAddressBook book(bookPath());
    ASSERT_TRUE(book.load());
    EXPECT_TRUE(book.filesLeftAlone().isEmpty()) << book.filesLeftAlone().first().toStdString();
    EXPECT_EQ(namesOf(book.people()), personNames(layout));
    EXPECT_EQ(book.groups().size(), groupCards(layout).size());
    EXPECT_EQ(distinctIdentities(book), book.people().size() + book.groups().size());
    // The first card of a UID is found by it, as lists, groups and "me" name it.
    const QMap<QString, QString> first = firstOfUid(layout);
    for (auto it = first.cbegin(); it != first.cend(); ++it) {
        const std::shared_ptr<PWPerson> person = book.personForUniqueId(it.key());
        const std::optional<PWGroup> group = book.groupForUniqueId(it.key());
        EXPECT_EQ(person ? person->stringForProperty(kPWLastNameProperty) : group ? group->name() : QString(), *it)
            << "UID " << it.key().toStdString();
    }
    for (const CardSpec &group : groupCards(layout))
        EXPECT_EQ(shownIn(book, group.name), groupMembers(layout, group)) << group.name.toStdString();

    PWAddressBook again(bookPath());
    ASSERT_TRUE(again.load());
    EXPECT_EQ(records(again), records(book));
    EXPECT_EQ(contents(), m_before) << "reading writes nothing";
    QString error;
    ASSERT_TRUE(again.save(&error)) << error.toStdString();
    EXPECT_EQ(contents(), m_before) << "a save of nothing writes nothing";

    // Groups renamed are written anew, each with the UID its card carried.
    for (PWGroup group : again.groups()) {
        group.setName(group.name() + QStringLiteral(" renamed"));
        again.setGroup(group);
    }
    ASSERT_TRUE(again.save(&error)) << error.toStdString();
    for (const FileSpec &file : layout.files) {
        const QList<QByteArray> lines = pwtest::readFile(QDir(bookPath()).filePath(file.name)).split('\n');
        for (const CardSpec &card : file.cards) {
            if (card.uid.isEmpty())
                continue;
            const auto carrying = [&](const CardSpec &each) { return each.uid == card.uid; };
            EXPECT_EQ(lines.count("UID:" + card.uid.toUtf8() + '\r') + lines.count("UID:" + card.uid.toUtf8()),
                      std::count_if(file.cards.cbegin(), file.cards.cend(), carrying))
                << file.name.toStdString() << " " << card.uid.toStdString();
        }
    }
}

// The edit of each person in turn: the folder after it is the folder before with that card's
// note line edited as a plain text. Removed then, the person leaves its groups, which go on
// showing the other cards of its UID.
TEST_P(PWAddressBookRepeatedUidTest, AnEditWritesItsOwnCardAndNoOtherByte)
{
    const Layout &layout = GetParam();
    for (const FileSpec &file : layout.files) {
        const QList<QByteArray> cards = cardsOfFile(file);
        for (qsizetype i = 0; i < file.cards.size(); ++i) {
            const CardSpec &card = file.cards.at(i);
            if (card.group)
                continue;
            SCOPED_TRACE(card.name.toStdString());
            restore();
            PWAddressBook book(bookPath());
            ASSERT_TRUE(book.load());
            const qsizetype at = personNames(layout).indexOf(card.name);
            ASSERT_LT(at, book.people().size());
            const QString id = book.people().at(at)->uniqueId();
            const QString note = QStringLiteral("edited ") + card.name;
            book.people().at(at)->setValueForProperty(kPWNoteProperty, PWPlist::fromString(note));
            QString error;
            ASSERT_TRUE(book.save(&error)) << error.toStdString();

            QList<QByteArray> edited = cards;
            edited[i].replace(noteLine(card), "NOTE:" + note.toUtf8());
            Folder expected = m_before;
            expected[file.name.toStdString()] = edited.join().toStdString();
            EXPECT_EQ(contents(), expected);

            PWAddressBook reread(bookPath());
            ASSERT_TRUE(reread.load());
            EXPECT_EQ(records(reread), records(book)) << "the edit moves no identity";
            for (const std::shared_ptr<PWPerson> &other : reread.people()) {
                const QString last = other->stringForProperty(kPWLastNameProperty);
                EXPECT_EQ(other->stringForProperty(kPWNoteProperty),
                          last == card.name ? note : QStringLiteral("note of ") + last);
            }

            ASSERT_TRUE(reread.removePerson(id));
            ASSERT_TRUE(reread.save());
            PWAddressBook removed(bookPath());
            ASSERT_TRUE(removed.load());
            for (const CardSpec &group : groupCards(layout)) {
                QStringList members = groupMembers(layout, group);
                members.removeOne(card.name);
                EXPECT_EQ(shownIn(removed, group.name), members) << group.name.toStdString();
            }
        }
    }
}

// The identities the book made up, given as UIDs to cards of a file read after the others: those
// cards are the first of their UIDs and keep them; every identity is still one record's.
TEST_P(PWAddressBookRepeatedUidTest, MadeUpIdentitiesNeverTakeTheUidOfALaterCard)
{
    PWAddressBook book(bookPath());
    ASSERT_TRUE(book.load());
    QByteArray later;
    QStringList madeUp;
    for (const std::shared_ptr<PWPerson> &person : book.people()) {
        if (firstOfUid(GetParam()).contains(person->uniqueId()))
            continue;
        madeUp.append(person->uniqueId());
        later += cardBytes(personCard(madeUp.last(), QStringLiteral("Zed%1").arg(madeUp.size())), int(madeUp.size()));
    }
    ASSERT_FALSE(madeUp.isEmpty());
    ASSERT_TRUE(pwtest::writeFile(QDir(bookPath()).filePath(QStringLiteral("zz-later.vcf")), later));

    PWAddressBook reread(bookPath());
    ASSERT_TRUE(reread.load());
    EXPECT_EQ(reread.people().size(), book.people().size() + madeUp.size());
    for (qsizetype i = 0; i < madeUp.size(); ++i) {
        const std::shared_ptr<PWPerson> person = reread.personForUniqueId(madeUp.at(i));
        EXPECT_EQ(person ? person->stringForProperty(kPWLastNameProperty) : QString(), QStringLiteral("Zed%1").arg(i + 1));
    }
    EXPECT_EQ(distinctIdentities(reread), reread.people().size() + reread.groups().size());
}

INSTANTIATE_TEST_SUITE_P(Layouts, PWAddressBookRepeatedUidTest, testing::ValuesIn(layouts()),
                         [](const testing::TestParamInfo<Layout> &info) { return std::string(info.param.name); });

} // namespace
