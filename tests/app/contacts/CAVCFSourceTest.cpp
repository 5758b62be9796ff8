#include "app/contacts/CAVCFSource.h"

#include "ContactsTestSupport.h"
#include "TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace contactstest;

namespace {

QByteArray card(const char *beginLine, const QByteArray &last)
{
    return QByteArray(beginLine) + "\r\nVERSION:3.0\r\nN:" + last + ";Anna;;;\r\nFN:Anna " + last + "\r\nEND:VCARD\r\n";
}

class CAVCFSourceTest : public testing::Test
{
protected:
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_folder.path() + u'/' + name;
        EXPECT_TRUE(pwtest::writeFile(path, bytes));
        return path;
    }
    QTemporaryDir m_folder;
};

// A card whose BEGIN line is in lower case is not swallowed by the card before it.
TEST_F(CAVCFSourceTest, MixedCaseCardsAreAllReadAndTextBeforeThemIgnored)
{
    const QString path = write(u"mixed.vcf"_s, "exported by a tool\r\n" + card("BEGIN:VCARD", "Upper")
                                                    + card("begin:vcard", "Lower") + card("Begin:VCard", "Mixed"));
    QString error;
    const CAPersonList persons = CAVCFSource::personFromVCFFile(path, &error);
    EXPECT_EQ(lastNames(persons), (QStringList{u"Upper"_s, u"Lower"_s, u"Mixed"_s}));
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
}

TEST_F(CAVCFSourceTest, EncodingsByMarkThenUtf8ThenLatin1)
{
    const QString text = QString::fromUtf8(card("BEGIN:VCARD", "Zo\xc3\xab"));
    QByteArray utf16 = "\xff\xfe";
    for (const QChar c : text)
        utf16 += char(c.unicode() & 0xff), utf16 += char(c.unicode() >> 8);
    EXPECT_EQ(lastNames(CAVCFSource::personFromVCFFile(write(u"utf16.vcf"_s, utf16))), QStringList{u"Zoë"_s});
    EXPECT_EQ(lastNames(CAVCFSource::personFromVCFFile(write(u"utf8.vcf"_s, text.toUtf8()))), QStringList{u"Zoë"_s});
    EXPECT_EQ(lastNames(CAVCFSource::personFromVCFFile(write(u"latin1.vcf"_s, text.toLatin1()))), QStringList{u"Zoë"_s});
}

TEST_F(CAVCFSourceTest, FilesThatGiveNoCardsSayWhy)
{
    for (const QString &path : {write(u"empty.vcf"_s, "no cards here\n"), m_folder.path(),
                                m_folder.path() + u"/missing.vcf"_s}) {
        QString error;
        EXPECT_TRUE(CAVCFSource::personFromVCFFile(path, &error).isEmpty());
        EXPECT_FALSE(error.isEmpty()) << path.toStdString();
    }
}

// What the reading left out is said in the file's reason, with the persons that were read; the
// count of cards for the progress bar finds BEGIN lines whatever their case.
TEST_F(CAVCFSourceTest, CardsLeftOutAreNamedBesideThePersonsRead)
{
    const QByteArray lostEnd = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lost;Anna;;;\r\n";
    const QString path = write(u"damaged.vcf"_s, card("BEGIN:VCARD", "Ash") + lostEnd + card("begin:vcard", "Birch"));
    QString error;
    quint32 counted = 0;
    const CAPersonList persons = CAVCFSource::personFromVCFFile(path, &error, [&counted](quint32, quint32 count) {
        counted = count;
        return false;
    });
    EXPECT_EQ(lastNames(persons), (QStringList{u"Ash"_s, u"Birch"_s}));
    EXPECT_EQ(counted, 3u);
    EXPECT_EQ(error, u"damaged.vcf: The card beginning on line 6 has no END:VCARD and was left out."_s);
}

TEST_F(CAVCFSourceTest, ImportReadsChosenFilesInOrderAndRemembersTheFolder)
{
    ScratchDefaults scratch;
    CAContactImportHooks hooks;
    QString startedIn;
    std::optional<CAContactImportHooks::ChosenFiles> chosen;
    hooks.chooseFiles = [&](QWidget *, const QString &start, const QStringList &filters) {
        startedIn = start;
        EXPECT_EQ(filters, QStringList{u"*.vcf"_s});
        return chosen;
    };
    QStringList problems;
    EXPECT_FALSE(CAVCFSource::importDataFromVCFSource(nullptr, problems, scratch.defaults(), hooks).has_value());
    chosen = CAContactImportHooks::ChosenFiles{
        {write(u"b.vcf"_s, card("BEGIN:VCARD", "Second")), m_folder.path() + u"/gone.vcf"_s,
         write(u"a.vcf"_s, card("BEGIN:VCARD", "First"))},
        m_folder.path()};
    const auto result = CAVCFSource::importDataFromVCFSource(nullptr, problems, scratch.defaults(), hooks);
    ASSERT_TRUE(result);
    EXPECT_EQ(lastNames(result->persons), (QStringList{u"Second"_s, u"First"_s}));
    EXPECT_EQ(problems.size(), 1);
    EXPECT_EQ(scratch.defaults().stringForKey(u"VCFFileOpenDialogDirectory"_s), m_folder.path());
    CAVCFSource::importDataFromVCFSource(nullptr, problems, scratch.defaults(), hooks);
    EXPECT_EQ(startedIn, m_folder.path());
}

TEST_F(CAVCFSourceTest, TheModelLoadsOnceAndAnUpdateThatIsCancelledKeepsTheList)
{
    CADataSourceContainer container(m_folder.path() + u"/caches"_s);
    int imports = 0;
    bool cancel = false;
    container.registerSource(CAVCFSource::name(), CAVCFSource::kCacheName, [&](QWidget *, QStringList &) {
        ++imports;
        if (cancel)
            return std::optional<CADataSourceContainer::ImportResult>();
        return std::optional<CADataSourceContainer::ImportResult>(
            CADataSourceContainer::ImportResult{{person(u"A"_s, QString::number(imports))}, std::nullopt});
    });
    CAVCFSource source(container);
    source.loadDataFromVCFFile(nullptr, false);
    source.loadDataFromVCFFile(nullptr, true);
    EXPECT_EQ(imports, 1);
    cancel = true;
    source.updateCache(nullptr);
    EXPECT_EQ(imports, 2);
    ASSERT_TRUE(source.source());
    EXPECT_EQ(lastNames(*source.source()), QStringList{u"1"_s});
}

} // namespace
