// What a save writes of an object read from a file: the file's own values for every property the
// user left alone, the user's for the ones changed, and whatever the reading did not take.
#include "kernel/base/CDDArchiveKept.h"

#include "kernel/base/CDDArchive.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

PWPlist keptText(const char *text)
{
    return PWPlist::fromString(QString::fromUtf8(text));
}

struct KeptMerge
{
    const char *name;
    PWPlist::Dictionary stored;  // as read from the file
    PWPlist::Dictionary written; // as the object wrote right after reading
    PWPlist::Dictionary now;     // as the object writes at the save
    CDDArchiveKept::Keep keep;
    PWPlist::Dictionary expected;
};

void PrintTo(const KeptMerge &merge, std::ostream *stream)
{
    *stream << merge.name;
}

using Keep = CDDArchiveKept::Keep;

const PWPlist::Dictionary kKeptInner {{u"a"_s, keptText("1")}, {u"odd"_s, keptText("x")}};
const PWPlist::Dictionary kKeptInnerWritten {{u"a"_s, keptText("1")}};
const PWPlist::Dictionary kKeptInnerChanged {{u"a"_s, keptText("2")}};

class CDDArchiveKeptTest : public ::testing::TestWithParam<KeptMerge>
{
};

TEST_P(CDDArchiveKeptTest, WritesTheFileBackButForWhatTheUserChanged)
{
    const CDDArchiveKept kept(GetParam().stored, GetParam().written, GetParam().keep);
    EXPECT_EQ(PWPlist(kept.merged(GetParam().now)).toXml(), PWPlist(GetParam().expected).toXml());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CDDArchiveKeptTest,
    ::testing::Values(
        KeptMerge {"UnknownKeyStays", {{u"Angle"_s, keptText("0")}, {u"Future"_s, keptText("f")}},
                   {{u"Angle"_s, keptText("0")}}, {{u"Angle"_s, keptText("5")}}, Keep::Everything,
                   {{u"Angle"_s, keptText("5")}, {u"Future"_s, keptText("f")}}},
        KeptMerge {"RefusedValueStaysWhileUnchanged", {{u"Angle"_s, keptText("abc")}}, {{u"Angle"_s, keptText("0")}},
                   {{u"Angle"_s, keptText("0")}}, Keep::Everything, {{u"Angle"_s, keptText("abc")}}},
        KeptMerge {"RefusedValueGivesWayToTheUsers", {{u"Angle"_s, keptText("abc")}}, {{u"Angle"_s, keptText("0")}},
                   {{u"Angle"_s, keptText("1")}}, Keep::Everything, {{u"Angle"_s, keptText("1")}}},
        KeptMerge {"StoredFormOfAnUnchangedValue", {{u"Size"_s, keptText("12.0")}}, {{u"Size"_s, keptText("12.000")}},
                   {{u"Size"_s, keptText("12.000")}}, Keep::Everything, {{u"Size"_s, keptText("12.0")}}},
        KeptMerge {"PropertyTheUserRemoved", {{u"Shadow"_s, keptText("2")}}, {{u"Shadow"_s, keptText("2")}}, {},
                   Keep::Everything, {}},
        KeptMerge {"NewPropertyIsAdded", {{u"A"_s, keptText("1")}}, {{u"A"_s, keptText("1")}},
                   {{u"A"_s, keptText("1")}, {u"B"_s, keptText("2")}}, Keep::Everything,
                   {{u"A"_s, keptText("1")}, {u"B"_s, keptText("2")}}},
        KeptMerge {"BundleVersionIsTheWritersOwn", {{u"Bundle Version"_s, keptText("1?0")}},
                   {{u"Bundle Version"_s, keptText("80")}}, {{u"Bundle Version"_s, keptText("80")}}, Keep::Everything,
                   {{u"Bundle Version"_s, keptText("80")}}},
        KeptMerge {"InnerDictionaryKeepsItsUnknownKeyWhenChanged", {{u"Layout"_s, PWPlist(kKeptInner)}},
                   {{u"Layout"_s, PWPlist(kKeptInnerWritten)}}, {{u"Layout"_s, PWPlist(kKeptInnerChanged)}},
                   Keep::Everything,
                   {{u"Layout"_s, PWPlist(PWPlist::Dictionary {{u"a"_s, keptText("2")}, {u"odd"_s, keptText("x")}})}}},
        KeptMerge {"ListEntriesInPlaceAreMergedOneByOne",
                   {{u"L"_s, PWPlist(PWPlist::Array {PWPlist(kKeptInner), keptText("s")})}},
                   {{u"L"_s, PWPlist(PWPlist::Array {PWPlist(kKeptInnerWritten), keptText("t")})}},
                   {{u"L"_s, PWPlist(PWPlist::Array {PWPlist(kKeptInnerChanged), keptText("t")})}}, Keep::Everything,
                   {{u"L"_s, PWPlist(PWPlist::Array {PWPlist(PWPlist::Dictionary {{u"a"_s, keptText("2")},
                                                                                  {u"odd"_s, keptText("x")}}),
                                                     keptText("s")})}}},
        KeptMerge {"ListOfAnotherLengthIsTheUsers", {{u"L"_s, PWPlist(PWPlist::Array {keptText("s"), keptText("x")})}},
                   {{u"L"_s, PWPlist(PWPlist::Array {keptText("t")})}},
                   {{u"L"_s, PWPlist(PWPlist::Array {keptText("t"), keptText("u")})}}, Keep::Everything,
                   {{u"L"_s, PWPlist(PWPlist::Array {keptText("t"), keptText("u")})}}},
        KeptMerge {"ConvertedFileKeepsOnlyUnwrittenKeys",
                   {{u"Angle"_s, keptText("old")}, {u"Future"_s, keptText("f")}, {u"Layout"_s, PWPlist(kKeptInner)}},
                   {{u"Angle"_s, keptText("0")}, {u"Layout"_s, PWPlist(kKeptInnerWritten)}},
                   {{u"Angle"_s, keptText("0")}, {u"Layout"_s, PWPlist(kKeptInnerWritten)}}, Keep::UnwrittenKeys,
                   {{u"Angle"_s, keptText("0")}, {u"Future"_s, keptText("f")}, {u"Layout"_s, PWPlist(kKeptInnerWritten)}}}),
    [](const ::testing::TestParamInfo<KeptMerge> &info) { return std::string(info.param.name); });

// A storing archive answers what its object kept; a forgotten one only what the object holds.
TEST(CDDArchiveKeptArchiveTest, StoringArchivesStartFromWhatWasKeptUnlessItIsForgotten)
{
    CDDArchive file(false);
    file.Attach(PWPlist(PWPlist::Dictionary {{u"Angle"_s, keptText("abc")}, {u"Future"_s, keptText("f")}}));
    const auto write = [](const CDDArchive &archive) { archive.SetData(u"Angle"_s, 0); };
    const std::shared_ptr<const CDDArchiveKept> kept = CDDArchiveKept::after(file, Keep::Everything, write);
    ASSERT_TRUE(kept);

    for (const bool forgotten : {false, true}) {
        std::optional<CDDArchiveKept::Forgotten> scope;
        if (forgotten)
            scope.emplace();
        CDDArchive parent(true);
        CDDArchive child(true);
        child.startFrom(kept);
        write(child);
        parent.SetData(u"Child"_s, child);
        const PWPlist stored = parent.getDict().value(u"Child"_s);
        EXPECT_EQ(stored.value(u"Angle"_s).toString(), forgotten ? u"0"_s : u"abc"_s);
        EXPECT_EQ(stored.value(u"Future"_s).isNull(), forgotten);
    }
}

} // namespace
