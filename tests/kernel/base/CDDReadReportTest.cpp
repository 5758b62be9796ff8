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
    archive.GetData(u"DYMO Offset X"_s, &value);
    archive.GetData(u"DYMO Offset Y"_s, &value);
    CDDArchive list(false);
    ASSERT_TRUE(archive.GetData(u"List"_s, list));
    const CDDArchive entry = list.objectAtIndexInArray(0);
    int classID = 0;
    entry.GetClassID(&classID);
    entry.GetData(u"Bounds"_s, &value);
    entry.GetData(u"componentx"_s, &value);
    entry.noteUnread(u"componentx"_s, u"The list could not be read"_s);
    entry.noteUnread(QString(), u"The list could not be read"_s);
    EXPECT_EQ(report->problems(),
              QStringList({u"The list could not be read (the file has \"componentz\" in its place)"_s,
                           u"The list could not be read"_s,
                           u"\"Bounds\" of a component of class \"Separator\" could not be read: the file has \"Boundz\" in its place"_s}));
}

} // namespace
