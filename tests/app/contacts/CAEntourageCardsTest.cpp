// Entourage's contacts answered as vCards: the primary address rule, groups, cards that cannot be
// read, progress and Stop, and the same through a helper written here as a shell script.
#include "app/contacts/CAEntourageCards.h"

#include "app/contacts/CAImportWorker.h"
#include "app/contacts/CAScriptedSource.h"
#include "kernel/address/FTPersonFields.h"

#include "ContactsTestSupport.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace Qt::StringLiterals;
using namespace contactstest;

namespace {

QString entourageCard(const QString &last, const QString &addresses)
{
    return u"BEGIN:VCARD\r\nVERSION:3.0\r\nN:"_s + last + u";Ada;;;\r\nFN:Ada "_s + last + u"\r\n"_s + addresses
        + u"END:VCARD\r\n"_s;
}

const QString kHome = u"ADR;TYPE=HOME:;;1 Elm Row;York;;YO1;\r\n"_s;

struct PrimaryCase
{
    const char *name;
    QString addresses;
    QString primary;
};

class CAEntourageCardsPrimaryTest : public testing::TestWithParam<PrimaryCase>
{
};

// The card's own words decide: a preferred work address in any letter case, else the home one.
TEST_P(CAEntourageCardsPrimaryTest, PrimaryAddressFollowsTheCardsWording)
{
    const QJsonArray cards {entourageCard(u"Ash"_s, GetParam().addresses)};
    const std::optional<CADataSourceContainer::ImportResult> result = CAEntourageCards::personsFromCards(cards, {});
    ASSERT_TRUE(result);
    ASSERT_EQ(result->persons.size(), 1);
    EXPECT_EQ(getPrimaryAddressLabel(result->persons.first().get()), GetParam().primary);
}

INSTANTIATE_TEST_SUITE_P(
    Cards, CAEntourageCardsPrimaryTest,
    testing::Values(
        PrimaryCase {"WorkPreferredAsWritten", kHome + u"ADR;type=WORK;type=pref:;;2 Oak Lane;Leeds;;LS1;\r\n"_s, kPWAddressWorkLabel},
        PrimaryCase {"WorkPreferredInCapitals", kHome + u"ADR;TYPE=WORK;TYPE=PREF:;;2 Oak Lane;Leeds;;LS1;\r\n"_s, kPWAddressWorkLabel},
        PrimaryCase {"WorkPreferredInSmallLetters", kHome + u"adr;type=work;type=pref:;;2 Oak Lane;Leeds;;LS1;\r\n"_s,
                     kPWAddressWorkLabel},
        // Worded otherwise, the preference is not Entourage's: home comes first.
        PrimaryCase {"PreferenceWordedOtherwise", kHome + u"ADR;TYPE=pref;TYPE=WORK:;;2 Oak Lane;Leeds;;LS1;\r\n"_s,
                     kPWAddressHomeLabel},
        PrimaryCase {"NoPreference", u"ADR;TYPE=WORK:;;2 Oak Lane;Leeds;;LS1;\r\n"_s + kHome, kPWAddressHomeLabel},
        PrimaryCase {"WorkAloneStaysPrimary", u"ADR;TYPE=WORK:;;2 Oak Lane;Leeds;;LS1;\r\n"_s, kPWAddressWorkLabel}),
    [](const auto &info) { return std::string(info.param.name); });

using Reports = std::vector<std::pair<quint32, quint32>>;

// Each person joins its own groups; a card that is no person is skipped with its groups, named,
// and still counted in the progress.
TEST(CAEntourageCards, GroupsFollowTheirCardsAndBrokenCardsAreSkipped)
{
    const QJsonArray cards {entourageCard(u"Ash"_s, kHome), u"this is no card"_s, entourageCard(u"Byron"_s, kHome), 42,
                            entourageCard(u"Cole"_s, kHome)};
    // One list short: the last card joins no group.
    const QJsonArray groups {QJsonArray {u"Club"_s, u"Work"_s}, QJsonArray {u"Lost"_s}, QJsonArray {u"Club"_s},
                             QJsonArray {u"Gone"_s}};
    Reports reports;
    QStringList problems;
    const std::optional<CADataSourceContainer::ImportResult> result =
        CAEntourageCards::personsFromCards(cards, groups, &problems, [&](quint32 index, quint32 count) {
            reports.emplace_back(index, count);
            return false;
        });
    ASSERT_TRUE(result);
    EXPECT_EQ(lastNames(result->persons), (QStringList {u"Ash"_s, u"Byron"_s, u"Cole"_s}));
    ASSERT_TRUE(result->groups);
    EXPECT_EQ(result->groups->keys(), (QStringList {u"Club"_s, u"Work"_s}));
    EXPECT_EQ(lastNames(result->groups->value(u"Club"_s)), (QStringList {u"Ash"_s, u"Byron"_s}));
    EXPECT_EQ(lastNames(result->groups->value(u"Work"_s)), QStringList {u"Ash"_s});
    EXPECT_EQ(result->groups->value(u"Club"_s).first().get(), result->persons.first().get());
    EXPECT_EQ(reports, (Reports {{0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}}));
    ASSERT_EQ(problems.size(), 2) << problems.join(u'|').toStdString();
    EXPECT_TRUE(problems.at(0).startsWith(u"Card 2 "_s));
    EXPECT_TRUE(problems.at(1).startsWith(u"Card 4 "_s));
}

TEST(CAEntourageCards, StopMidwayGivesNothing)
{
    const QJsonArray cards {entourageCard(u"Ash"_s, kHome), entourageCard(u"Byron"_s, kHome),
                            entourageCard(u"Cole"_s, kHome), entourageCard(u"Dean"_s, kHome)};
    Reports reports;
    const std::optional<CADataSourceContainer::ImportResult> result =
        CAEntourageCards::personsFromCards(cards, {}, nullptr, [&](quint32 index, quint32 count) {
            reports.emplace_back(index, count);
            return index == 2;
        });
    EXPECT_FALSE(result);
    EXPECT_EQ(reports, (Reports {{0, 4}, {1, 4}, {2, 4}}));
}

class CAEntourageHelperTest : public testing::Test
{
protected:
    CAEntourageHelperTest()
        : container(folder.path() + u"/cache"_s)
    {
        CAScriptedSource::setHelperFolder(folder.path() + u"/helpers"_s);
        QDir().mkpath(folder.path() + u"/helpers"_s);
    }
    ~CAEntourageHelperTest() override { CAScriptedSource::setHelperFolder(QString()); }

    // A helper for the source that prints the answer as one line.
    void installHelper(const QString &cacheName, const QJsonObject &answer)
    {
        const QString path = CAScriptedSource::helperFolder() + u'/' + cacheName;
        const QString answerPath = folder.path() + u'/' + cacheName + u".answer"_s;
        ASSERT_TRUE(pwtest::writeFile(answerPath, QJsonDocument(answer).toJson(QJsonDocument::Compact) + '\n'));
        ASSERT_TRUE(pwtest::writeFile(path, "#!/bin/sh\ncat > /dev/null\ncat '" + answerPath.toUtf8() + "'\n"));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QTemporaryDir folder;
    CADataSourceContainer container;
};

// Entourage's helper may answer vCards, read card by card with progress; the records answer still
// works; other sources read records only.
TEST_F(CAEntourageHelperTest, EntourageReadsCardsOrRecords)
{
    const QJsonObject cardsAnswer {
        {u"vcards"_s,
         QJsonArray {entourageCard(u"Ash"_s, kHome + u"ADR;type=WORK;type=pref:;;2 Oak;Leeds;;;\r\n"_s), u"broken"_s,
                     entourageCard(u"Byron"_s, kHome)}},
        {u"groups"_s, QJsonArray {QJsonArray {u"Club"_s}, QJsonArray {u"Lost"_s}, QJsonArray {u"Club"_s}}}};
    const QJsonObject recordsAnswer {{u"records"_s, QJsonArray {QJsonObject {{u"lastname"_s, u"Cole"_s}}}}};
    struct Case
    {
        const char *name;
        QString source;
        QJsonObject answer;
        QStringList persons; // empty: the import gives nothing
        QStringList club;
        quint32 count, index;
    };
    const std::vector<Case> cases = {
        {"EntourageCards", u"Entourage"_s, cardsAnswer, {u"Ash"_s, u"Byron"_s}, {u"Ash"_s, u"Byron"_s}, 3, 2},
        {"EntourageRecords", u"Entourage"_s, recordsAnswer, {u"Cole"_s}, {}, 0, 0},
        {"EudoraCards", u"Eudora"_s, cardsAnswer, {}, {}, 0, 0},
    };
    for (const Case &each : cases) {
        SCOPED_TRACE(each.name);
        installHelper(each.source, each.answer);
        CAImportProgress progress;
        QStringList problems;
        const std::optional<CADataSourceContainer::ImportResult> result =
            CAScriptedSource::importDataFrom(each.source, container, problems, &progress);
        EXPECT_EQ(progress.recordCount.load(), each.count);
        EXPECT_EQ(progress.recordIndex.load(), each.index);
        if (each.persons.isEmpty()) {
            EXPECT_FALSE(result);
            EXPECT_TRUE(container.isErrorDuringImporting());
            EXPECT_TRUE(problems.join(u' ').contains(u"answered no records"_s)) << problems.join(u'|').toStdString();
            continue;
        }
        ASSERT_TRUE(result) << problems.join(u'|').toStdString();
        EXPECT_FALSE(container.isErrorDuringImporting());
        EXPECT_EQ(lastNames(result->persons), each.persons);
        EXPECT_EQ(lastNames(result->groups.value_or(CADataSourceContainer::Groups()).value(u"Club"_s)), each.club);
    }
    // The first card prefers its work address, the second has none to prefer.
    installHelper(u"Entourage"_s, cardsAnswer);
    QStringList problems;
    const std::optional<CADataSourceContainer::ImportResult> read =
        CAScriptedSource::importDataFrom(u"Entourage"_s, container, problems);
    ASSERT_TRUE(read);
    EXPECT_EQ(getPrimaryAddressLabel(read->persons.at(0).get()), kPWAddressWorkLabel);
    EXPECT_EQ(getPrimaryAddressLabel(read->persons.at(1).get()), kPWAddressHomeLabel);
    EXPECT_EQ(problems, QStringList {u"Card 2 of the helper's answer could not be read; it was left out."_s});
}

} // namespace
