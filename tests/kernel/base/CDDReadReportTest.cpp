#include "kernel/base/CDDReadReport.h"

#include "kernel/base/CDDArchive.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

PWPlist::Dictionary dictionary(const QStringList &keys)
{
    PWPlist::Dictionary made;
    for (const QString &key : keys)
        made.insert(key, PWPlist::fromString(u"1"_s));
    return made;
}

struct DamageCase {
    const char *name;
    QStringList keys;
    QString asked;
    QStringList known;
    QString damaged;
};

class CDDReadReportDamageTest : public ::testing::TestWithParam<DamageCase>
{
};

TEST_P(CDDReadReportDamageTest, FindsTheKeyOneCharacterAway)
{
    const DamageCase &c = GetParam();
    EXPECT_EQ(CDDReadReport::damagedFormOf(dictionary(c.keys), c.asked, c.known).toStdString(), c.damaged.toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CDDReadReportDamageTest,
    ::testing::Values(DamageCase {"OneCharacter", {u"Angle"_s, u"Bounda"_s}, u"Bounds"_s, {}, u"Bounda"_s},
                      DamageCase {"CaseOnly", {u"bounds"_s}, u"Bounds"_s, {}, u"bounds"_s},
                      DamageCase {"TwoCharacters", {u"Bouxxs"_s}, u"Bounds"_s, {}, QString()},
                      DamageCase {"OtherLength", {u"Bound"_s, u"Boundss"_s}, u"Bounds"_s, {}, QString()},
                      // A key of its own right is no damaged form of its neighbour.
                      DamageCase {"KnownNeighbour", {u"DYMO Offset X"_s}, u"DYMO Offset Y"_s, {u"DYMO Offset X"_s}, QString()},
                      DamageCase {"PresentKey", {u"Bounds"_s, u"Bounda"_s}, u"Bounds"_s, {}, QString()}),
    [](const ::testing::TestParamInfo<DamageCase> &info) { return std::string(info.param.name); });

// Archives of one reading share the report: a child dictionary's damaged key is found, a key
// another lookup read is not taken for damage, and a part noted against the damaged key is told once.
TEST(CDDReadReportTest, ChildArchivesReportDamagedKeysOnceWithTheirPart)
{
    const PWPlist file(PWPlist::Dictionary {
        {u"DYMO Offset X"_s, PWPlist::fromString(u"1"_s)},
        {u"List"_s, PWPlist(PWPlist::Array {PWPlist(PWPlist::Dictionary {{u"Class ID"_s, PWPlist::fromString(u"Separator"_s)},
                                                                         {u"Boundz"_s, PWPlist::fromString(u"x"_s)},
                                                                         {u"componentz"_s, PWPlist::fromString(u"x"_s)}})})}});
    const auto report = std::make_shared<CDDReadReport>();
    CDDArchive archive(false);
    archive.Attach(file);
    archive.setReadReport(report);
    double value = 0.0;
    archive.GetData(u"DYMO Offset X"_s, &value, CDDRanges::kFinite);
    archive.GetData(u"DYMO Offset Y"_s, &value, CDDRanges::kFinite);
    CDDArchive list(false);
    ASSERT_TRUE(archive.GetData(u"List"_s, list));
    const CDDArchive entry = list.objectAtIndexInArray(0);
    int classID = 0;
    entry.GetClassID(&classID);
    entry.GetData(u"Bounds"_s, &value, CDDRanges::kFinite);
    entry.GetData(u"componentx"_s, &value, CDDRanges::kFinite);
    entry.noteUnread(u"componentx"_s, u"The list could not be read"_s);
    entry.noteUnread(QString(), u"The list could not be read"_s);
    EXPECT_EQ(report->problems(),
              QStringList({u"The list could not be read (the file has \"componentz\" in its place)"_s,
                           u"The list could not be read"_s,
                           u"\"Bounds\" of a component of class \"Separator\" could not be read: the file has \"Boundz\" in its place"_s}));
}

// A reading asks the report as it goes (whether a part is named yet): what it is told follows the
// lookups made since, in any dictionary, and the problems keep the order the dictionaries were read in.
TEST(CDDReadReportTest, DamagedKeysFollowTheLookupsMadeAfterTheReportWasAsked)
{
    const PWPlist file(PWPlist::Dictionary {
        {u"Boundz"_s, PWPlist::fromString(u"1"_s)},
        {u"Anglf"_s, PWPlist::fromString(u"1"_s)},
        {u"List"_s, PWPlist(PWPlist::Array {PWPlist(dictionary({u"Colour"_s}))})}});
    const auto report = std::make_shared<CDDReadReport>();
    CDDArchive archive(false);
    archive.Attach(file);
    archive.setReadReport(report);
    double value = 0.0;
    const QString boundsDamaged = u"\"Bounds\" of the design could not be read: the file has \"Boundz\" in its place"_s;
    const QString angleDamaged = u"\"Angle\" of the design could not be read: the file has \"Anglf\" in its place"_s;
    const QString colourDamaged = u"\"Colous\" of the design could not be read: the file has \"Colour\" in its place"_s;

    archive.GetData(u"Bounds"_s, &value, CDDRanges::kFinite);
    EXPECT_EQ(report->problems(), QStringList {boundsDamaged});
    EXPECT_TRUE(report->names(archive.readDictionary(), {u"Bounds"_s}));

    // The list's entry is read before the design's next key: the design still comes first.
    CDDArchive list(false);
    ASSERT_TRUE(archive.GetData(u"List"_s, list));
    const CDDArchive entry = list.objectAtIndexInArray(0);
    entry.GetData(u"Colous"_s, &value, CDDRanges::kFinite);
    archive.GetData(u"Angle"_s, &value, CDDRanges::kFinite);
    EXPECT_EQ(report->problems(), QStringList({boundsDamaged, angleDamaged, colourDamaged}));
    // Named wherever the path leads to it, from the design or from the entry; not beside it.
    const struct
    {
        const PWPlist::Dictionary *from;
        QStringList path;
        bool named;
    } paths[] = {{archive.readDictionary(), {u"List"_s}, true},
                 {archive.readDictionary(), {u"List"_s, u"[0]"_s}, true},
                 {archive.readDictionary(), {u"List"_s, u"[0]"_s, u"Colous"_s}, true},
                 {archive.readDictionary(), {u"List"_s, u"[1]"_s}, false},
                 {archive.readDictionary(), {u"List"_s, u"[0]"_s, u"Colour"_s}, false},
                 {archive.readDictionary(), {u"Angle"_s}, true},
                 {archive.readDictionary(), {u"Anglf"_s}, false},
                 {entry.readDictionary(), {u"Colous"_s}, true},
                 {entry.readDictionary(), {u"Bounds"_s}, false}};
    for (const auto &row : paths)
        EXPECT_EQ(report->names(row.from, row.path), row.named) << row.path.join(u'/').toStdString();

    // A key read in its own right is no damaged form of another, once it is read.
    archive.GetData(u"Boundz"_s, &value, CDDRanges::kFinite);
    EXPECT_EQ(report->problems(), QStringList({angleDamaged, colourDamaged}));
    EXPECT_FALSE(report->names(archive.readDictionary(), {u"Bounds"_s}));
    EXPECT_TRUE(report->losesParts());
    archive.GetData(u"Anglf"_s, &value, CDDRanges::kFinite);
    entry.GetData(u"Colour"_s, &value, CDDRanges::kFinite);
    EXPECT_EQ(report->problems(), QStringList());
    EXPECT_FALSE(report->losesParts());
    EXPECT_FALSE(report->names(archive.readDictionary(), {u"List"_s}));
    // A part noted in the entry is named through the list again.
    entry.noteKept(u"Colour"_s, u"kept"_s);
    EXPECT_TRUE(report->names(archive.readDictionary(), {u"List"_s, u"[0]"_s, u"Colour"_s}));
    EXPECT_FALSE(report->names(archive.readDictionary(), {u"Angle"_s}));
}

// A part kept as it was for the next save is told among the problems, but only a part left out
// (or a damaged key, even the key of a kept part) makes a save lose something.
TEST(CDDReadReportTest, OnlyPartsLeftOutAreLostBySaving)
{
    const struct
    {
        const char *name;
        QStringList kept;
        QStringList unread;
        QString damagedKey; // asked for in vain beside a key one character away
        bool loses;
    } cases[] = {{"nothing", {}, {}, QString(), false},
                 {"kept only", {u"Picture"_s}, {}, QString(), false},
                 {"left out only", {}, {u"Bounds"_s}, QString(), true},
                 {"kept and left out", {u"Picture"_s}, {u"Bounds"_s}, QString(), true},
                 {"kept under a damaged key", {u"Picture"_s}, {}, u"Picture"_s, true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto report = std::make_shared<CDDReadReport>();
        CDDArchive archive(false);
        archive.Attach(PWPlist(dictionary({u"Picturf"_s})));
        archive.setReadReport(report);
        if (!c.damagedKey.isEmpty()) {
            double value = 0.0;
            archive.GetData(c.damagedKey, &value, CDDRanges::kFinite);
        }
        for (const QString &key : c.kept)
            archive.noteKept(key, u"kept %1"_s.arg(key));
        for (const QString &key : c.unread)
            archive.noteUnread(key, u"left out %1"_s.arg(key));
        EXPECT_EQ(report->problems().size(), c.kept.size() + c.unread.size());
        EXPECT_EQ(report->losesParts(), c.loses);
    }
}

} // namespace
