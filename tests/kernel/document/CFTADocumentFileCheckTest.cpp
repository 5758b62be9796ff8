#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTADocumentFileCheck.h"

#include "DocumentTestSupport.h"

#include "kernel/base/CDDArchiveKeys.h"

#include <gtest/gtest.h>

using namespace doctest;
using namespace Qt::StringLiterals;

namespace {

PWPlist without(const PWPlist &dictionary, const QString &key)
{
    PWPlist::Dictionary copy = dictionary.toDictionary();
    copy.remove(key);
    return PWPlist(copy);
}

// A front side of front components and back components, each the same empty entry.
PWPlist withComponents(const PWPlist &stored, qsizetype front, qsizetype back)
{
    const PWPlist entry {PWPlist::Dictionary {}};
    return withEntries(stored, {{key_FrontSide, PWPlist(PWPlist::Dictionary {{key_Components, PWPlist(PWPlist::Array(front, entry))},
                                                                            {key_BackComponents, PWPlist(PWPlist::Array(back, entry))}})}});
}

// A side of plain entries and one panel of fields; both kinds of entry name their class.
PWPlist withPanel(const PWPlist &stored, qsizetype entries, qsizetype fields)
{
    const PWPlist field {PWPlist::Dictionary {{key_ClassID, str("Address Text")}}};
    PWPlist::Array side(entries, PWPlist(PWPlist::Dictionary {{key_ClassID, str("Separator")}}));
    side.append(PWPlist(PWPlist::Dictionary {{key_ClassID, str("Address Panel")},
                                             {key_Components, PWPlist(PWPlist::Array(fields, field))}}));
    return withEntries(stored, {{key_FrontSide, PWPlist(PWPlist::Dictionary {{key_Components, PWPlist(side)}})}});
}

struct FileCase {
    const char *name;
    // Bundle version written into the file; 0 leaves the key out.
    int version;
    // Makes the case from a design as stored.
    PWPlist (*make)(const PWPlist &stored);
    // Empty when the file must be read; else the reason given.
    QString refusal;
    // What a reading of it as a current design names first; empty when nothing.
    QString gap = QString();
};

class CFTADocumentFileCheckTest : public ::testing::TestWithParam<FileCase>
{
};

TEST_P(CFTADocumentFileCheckTest, RefusesOnlyWhatNoDesignOfItsVersionLooksLike)
{
    CFTADocument document(dtEnvelope, CDDString(u"us"_s), CDDString(u"us"_s));
    PWPlist stored = storedDocument(document);
    stored = GetParam().version ? withEntries(stored, {{key_BundleVersion, str(QByteArray::number(GetParam().version).constData())}})
                                : without(stored, key_BundleVersion);
    const PWPlist file = GetParam().make(stored);
    EXPECT_EQ(CFTADocument::refusalOfFile(file).toStdString(), GetParam().refusal.toStdString());
    if (GetParam().version > 72 && GetParam().refusal.isEmpty()) {
        const std::vector<CFTADocumentFileCheck::Gap> gaps = CFTADocumentFileCheck::partsOfAnotherKind(file);
        EXPECT_EQ(gaps.empty() ? std::string() : gaps.front().what.toStdString(), GetParam().gap.toStdString());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CFTADocumentFileCheckTest,
    ::testing::Values(
        FileCase {"CurrentWhole", 100, [](const PWPlist &s) { return s; }, QString()},
        // A key a current design lacks keeps what a new design has, without a word.
        FileCase {"CurrentWithoutUnits", 100, [](const PWPlist &s) { return without(s, key_Units); }, QString()},
        FileCase {"CurrentWithoutDocumentType", 100, [](const PWPlist &s) { return without(s, key_DocumentType); }, QString()},
        FileCase {"CurrentFrontSideNoDictionary", 100,
                  [](const PWPlist &s) { return withEntries(s, {{key_FrontSide, str("x")}}); }, QString(),
                  u"\"Front Side\" is not a dictionary: the design keeps what a new design has in its place, and the "
                  "value is kept for the next save"_s},
        FileCase {"OldWithoutUnits", 72, [](const PWPlist &s) { return without(s, key_Units); }, QString()},
        FileCase {"NoVersionWithoutUnits", 0, [](const PWPlist &s) { return without(s, key_Units); }, QString()},
        FileCase {"CurrentSettingsNoDictionary", 100,
                  [](const PWPlist &s) { return withEntries(s, {{key_DefaultSettings, str("x")}}); },
                  QString(),
                  u"\"Default Settings\" is not a dictionary: the design keeps what a new design has in its place, and the "
                  "value is kept for the next save"_s},
        FileCase {"CurrentLayoutNoDictionary", 100,
                  [](const PWPlist &s) { return withEntries(without(s, key_CustomLayout), {{key_PredefinedLayout, str("x")}}); },
                  QString(),
                  u"\"Predefined Layout\" is not a dictionary: the design keeps what a new design has in its place, and the "
                  "value is kept for the next save"_s},
        FileCase {"CurrentWithoutLayout", 100, [](const PWPlist &s) { return without(s, key_CustomLayout); }, QString()},
        FileCase {"CurrentLayoutWithoutRows", 100,
                  [](const PWPlist &s) { return withEntries(s, {{key_CustomLayout, without(s.value(key_CustomLayout), key_Rows)}}); },
                  QString()},
        FileCase {"CurrentWithoutFrontSide", 100, [](const PWPlist &s) { return without(s, key_FrontSide); }, QString()},
        // Only the damaged form tells that an old file lost a key.
        FileCase {"OldWithDamagedUnits", 72,
                  [](const PWPlist &s) { return withEntries(without(s, key_Units), {{u"Unita"_s, str("1")}}); },
                  u"\"Units\" is missing: the file has \"Unita\" in its place"_s},
        FileCase {"OldComponentsNoList", 72,
                  [](const PWPlist &s) { return withEntries(s, {{key_FrontSide, PWPlist(PWPlist::Dictionary {{key_Components, str("3")}})}}); },
                  u"\"Components\" is not a list"_s},
        FileCase {"OldFrontSideLostItsList", 72,
                  [](const PWPlist &s) {
                      return withEntries(s, {{key_FrontSide, PWPlist(PWPlist::Dictionary {{u"Componentz"_s, PWPlist(PWPlist::Array {})}})}});
                  },
                  u"\"Front Side\" has no \"Components\" list but an unknown entry \"Componentz\""_s},
        // A current side whose list's name lost a character lost its components.
        FileCase {"CurrentFrontSideLostItsList", 100,
                  [](const PWPlist &s) {
                      return withEntries(s, {{key_FrontSide, PWPlist(PWPlist::Dictionary {{u"Comp0nents"_s, PWPlist(PWPlist::Array {})}})}});
                  },
                  u"\"Front Side\" has no \"Components\" list but an unknown entry \"Comp0nents\""_s},
        // A side of a key of its own from another writer, and no list, is a side without components.
        FileCase {"CurrentSideOfAnotherWritersKey", 100,
                  [](const PWPlist &s) {
                      return withEntries(s, {{key_FrontSide, PWPlist(PWPlist::Dictionary {{u"Side Notes"_s, str("x")}})}});
                  },
                  QString()},
        // A side saved without components keeps its guidelines, and opens.
        FileCase {"CurrentSideOfGuidelinesOnly", 100,
                  [](const PWPlist &s) {
                      return withEntries(s, {{key_FrontSide, PWPlist(PWPlist::Dictionary {{key_LayoutGuidelines, PWPlist(PWPlist::Array {})}})}});
                  },
                  QString()},
        // The bound counts both lists of the side.
        FileCase {"MostComponents", 100, [](const PWPlist &s) { return withComponents(s, 999999, 1); }, QString()},
        FileCase {"OneComponentTooMany", 100, [](const PWPlist &s) { return withComponents(s, 1000000, 1); },
                  u"it holds 1000001 components, more than the 1000000 a design can hold"_s},
        // The fields of a panel are components too.
        FileCase {"MostWithFields", 100, [](const PWPlist &s) { return withPanel(s, 999000, 999); }, QString()},
        FileCase {"FieldsPastTheBound", 100, [](const PWPlist &s) { return withPanel(s, 999000, 1000); },
                  u"it holds 1000001 components, more than the 1000000 a design can hold"_s},
        FileCase {"MostFieldsOfAPanel", 100, [](const PWPlist &s) { return withPanel(s, 0, 1000); }, QString()},
        FileCase {"PanelOfTooManyFields", 100, [](const PWPlist &s) { return withPanel(s, 0, 1001); },
                  u"a component holds 1001 fields, more than the 1000 an address panel can hold"_s}),
    [](const ::testing::TestParamInfo<FileCase> &info) { return std::string(info.param.name); });

} // namespace

// A step is past the window's bounds when it ends past them, having begun within them or made a
// design already past them dearer by any measure: a design read past them can still be moved and
// made smaller.
TEST(CFTADocumentFileCheckStepTest, AStepIsPastTheBoundsWhenItEndsPastThemAndGrewOrBeganWithin)
{
    namespace check = CFTADocumentFileCheck;
    const auto shapes = [](qsizetype components) {
        check::Cost cost;
        cost.components = components;
        return cost;
    };
    // Bounds that ten shapes fill and eleven pass; a thousand values to decode pass them too.
    const check::Bounds bounds {shapes(10).memory(), 3600};
    ASSERT_TRUE(check::refusalOfCost(shapes(10), bounds).isEmpty());
    ASSERT_FALSE(check::refusalOfCost(shapes(11), bounds).isEmpty());
    check::Cost decoded = shapes(0);
    decoded.values = 1000;
    ASSERT_FALSE(check::refusalOfCost(decoded, bounds).isEmpty());
    const auto with = [&](qsizetype components, auto change) {
        check::Cost cost = shapes(components);
        change(cost);
        return cost;
    };
    const auto same = [](check::Cost &) {};
    struct Row {
        const char *what;
        check::Cost before;
        check::Cost after;
        bool past;
    };
    const Row rows[] = {
        {"within, stays within", shapes(4), shapes(10), false},
        {"within, passes", shapes(10), shapes(11), true},
        {"past, moved", shapes(12), shapes(12), false},
        {"past, made smaller", shapes(20), shapes(12), false},
        {"past, a text added and more taken away", shapes(20), with(12, [](check::Cost &c) { c.texts = 1; }), false},
        {"past, one more", shapes(12), shapes(13), true},
        {"past, a longer text", with(12, [](check::Cost &c) { c.textBytes = 600; }),
         with(12, [](check::Cost &c) { c.textBytes = 900; }), true},
        {"past, more to decode but within", with(12, [](check::Cost &c) { c.values = 10; }),
         with(12, [](check::Cost &c) { c.values = 11; }), false},
        {"past to decode, more to decode", with(4, [](check::Cost &c) { c.values = 1000; }),
         with(4, [](check::Cost &c) { c.values = 1001; }), true},
        {"past to decode, less to decode but more shapes within", with(4, [](check::Cost &c) { c.values = 1001; }),
         with(6, [](check::Cost &c) { c.values = 1000; }), false},
        {"past, less to decode", with(12, [](check::Cost &c) { c.values = 11; }), with(12, same), false},
    };
    for (const Row &row : rows)
        EXPECT_EQ(check::stepPastBounds(row.before, row.after, bounds), row.past) << row.what;
}
