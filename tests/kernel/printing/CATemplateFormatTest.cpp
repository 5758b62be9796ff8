#include "printing/CATemplateFormat.h"

#include "foundation/FTGeometry.h"

#include <gtest/gtest.h>

#include <QPainterPath>

#include <cmath>

namespace {

constexpr float kMm = 72.0f / 25.4f;

CATemplateFormat sheet(const QString &pageSize, float width, float height, int type = dtLabel)
{
    CATemplateFormat format;
    format.setPageSize(pageSize);
    format.setItemWidth(width);
    format.setItemHeight(height);
    format.setDocumentType(type);
    return format;
}

TEST(CATemplateFormatTest, NewTemplateHasTheInchLandscapeDefaultsAndTheWindowPreset)
{
    const CATemplateFormat format;
    EXPECT_EQ(format.Units(), cuInches);
    EXPECT_TRUE(format.isHorizontal());
    EXPECT_FALSE(format.hasWindow());
    EXPECT_FALSE(format.isPredef());
    EXPECT_EQ(format.getDocumentType(), dtLabel);
    EXPECT_NEAR(format.getWinWidth(), 110.0f * kMm, 1e-3);
    EXPECT_NEAR(format.getWinHeight(), 40.0f * kMm, 1e-3);
    EXPECT_NEAR(format.getWinLeftOffset(), 100.0f * kMm, 1e-3);
    EXPECT_NEAR(format.getWinBottomOffset(), 30.0f * kMm, 1e-3);
    EXPECT_NEAR(format.getWinCornerRadius(), 3.0f * kMm, 1e-3);
    EXPECT_EQ(format.ItemWidth(), 0.0f);
    EXPECT_EQ(format.Columns(), 0);
    EXPECT_EQ(format.sizeString(), QStringLiteral("0.000x0.000 in"));
}

struct RollCase
{
    const char *name;
    const char *pageSize;
    int type;
    float width;
    float height;
};

class LabelRollRule : public ::testing::TestWithParam<RollCase>
{
};

TEST_P(LabelRollRule, OnlyALabelOnTheExactRollPaperAnswersItsLongSideAsWidth)
{
    const RollCase c = GetParam();
    const CATemplateFormat format = sheet(QLatin1String(c.pageSize), 50.0f, 200.0f, c.type);
    EXPECT_EQ(format.ItemWidth(), c.width);
    EXPECT_EQ(format.ItemHeight(), c.height);
    EXPECT_EQ(format.isLabelRoll(), c.width == 200.0f);
    // The stored size is what lists show, whatever the roll rule answers.
    EXPECT_EQ(format.sizeString(), QStringLiteral("0.694x2.778 in"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LabelRollRule,
    ::testing::Values(RollCase {"roll", "Label Roll", dtLabel, 200.0f, 50.0f},
                      RollCase {"otherCapitals", "label roll", dtLabel, 50.0f, 200.0f},
                      RollCase {"envelopeOnRollPaper", "Label Roll", dtEnvelope, 50.0f, 200.0f},
                      RollCase {"sheet", "Letter", dtLabel, 50.0f, 200.0f}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CATemplateFormatTest, PrintableSizeIsAlwaysAnsweredLying)
{
    for (int type : {int(dtLabel), int(dtEnvelope), int(dtPostcard)}) {
        CATemplateFormat format = sheet(QStringLiteral("Label Roll"), 10.0f, 10.0f, type);
        format.setPrintableWidth(300.0f);
        format.setPrintableHeight(400.0f);
        EXPECT_EQ(format.PrintableWidth(), 400.0f) << type;
        EXPECT_EQ(format.PrintableHeight(), 300.0f) << type;
    }
}

TEST(CATemplateFormatTest, SizeStringFollowsTheUnit)
{
    CATemplateFormat format = sheet(QString(), 252.0f, 108.0f);
    EXPECT_EQ(format.sizeString(), QStringLiteral("3.500x1.500 in"));
    format.setUnits(cuMillimeters);
    EXPECT_EQ(format.sizeString(), QStringLiteral("88.9x38.1 mm"));
}

TEST(CATemplateFormatTest, CopiesAreIndependentValues)
{
    CATemplateFormat original = sheet(QStringLiteral("Letter"), 189.0f, 72.0f);
    original.setID(QStringLiteral("05960"));
    original.setPredef(true);
    original.setSizeGroup(QStringLiteral("Mailing3"));
    CATemplateFormat copy = original;
    EXPECT_EQ(copy, original);
    EXPECT_TRUE(copy.isPredef());
    EXPECT_EQ(copy.sizeGroup(), QStringLiteral("Mailing3"));
    copy.setID(QStringLiteral("5161"));
    EXPECT_EQ(original.ID(), QStringLiteral("05960"));
    EXPECT_NE(copy, original);
}

// Sizes whose group number the kernel's table gives, found by walking short sides upwards.
std::optional<std::pair<float, float>> sizeOfGroup(int group, int type)
{
    for (float shortSide = 5.0f; shortSide < 400.0f; shortSide += 0.5f) {
        for (float ratio : {1.0f, 1.5f, 2.0f, 2.6f, 3.0f, 4.0f, 6.0f}) {
            const float w = shortSide * ratio * kMm;
            const float h = shortSide * kMm;
            if (getSizeGroupType(w, h, static_cast<documentType>(type)) == group)
                return std::make_pair(w, h);
        }
    }
    return std::nullopt;
}

struct GroupCase
{
    int group;
    int type;
    const char *name;
};

class SizeGroupNames : public ::testing::TestWithParam<GroupCase>
{
};

TEST_P(SizeGroupNames, GroupNumbersMapToTheDesignFolderNames)
{
    const GroupCase c = GetParam();
    const auto size = sizeOfGroup(c.group, c.type);
    ASSERT_TRUE(size) << "no size of group " << c.group;
    EXPECT_EQ(CATemplateFormat::getSizeGroupNameForSize(size->first, size->second, c.type),
              QLatin1String(c.name));
    // The template asks with its longer side first, however it is stored.
    CATemplateFormat format = sheet(QString(), size->second, size->first, c.type);
    EXPECT_EQ(format.sizeGroup(), QLatin1String(c.name));
}

INSTANTIATE_TEST_SUITE_P(Cases, SizeGroupNames,
                         ::testing::Values(GroupCase {1, dtLabel, "Return1"}, GroupCase {7, dtLabel, "Return7"},
                                           GroupCase {11, dtLabel, "Mailing1"},
                                           GroupCase {21, dtLabel, "Shipping1"},
                                           GroupCase {30, dtLabel, "Shipping10"},
                                           GroupCase {51, dtEnvelope, "Envelope1"},
                                           GroupCase {81, dtPostcard, "Postcard1"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(CATemplateFormatTest, HugeEnvelopeIsTheLastEnvelopeGroup)
{
    const float huge = 20000.0f * kMm;
    EXPECT_EQ(CATemplateFormat::getSizeGroupNameForSize(huge * 2.0f, huge, dtEnvelope),
              QStringLiteral("Envelope12"));
}

TEST(CATemplateFormatTest, ACatalogueSizeGroupTakesThePlaceOfTheComputedOne)
{
    CATemplateFormat format = sheet(QString(), 400.0f, 300.0f, dtPostcard);
    EXPECT_EQ(format.sizeGroup(), QStringLiteral("Postcard1"));
    format.setSizeGroup(QStringLiteral("Mailing2"));
    EXPECT_EQ(format.sizeGroup(), QStringLiteral("Mailing2"));
}

TEST(CATemplateFormatTest, PredefinedItemsAreRoundedButCustomItemsArePlainRectangles)
{
    const QRectF rect(0.0, 0.0, 100.0, 60.0);
    CATemplateFormat format = sheet(QString(), 100.0f, 60.0f);
    format.setCornerRadius(10.0f);
    const QPointF corner(0.5, 0.5);
    EXPECT_TRUE(format.documentSurfacePathForRect(rect).path().contains(corner));
    format.setPredef(true);
    const QPainterPath rounded = format.documentSurfacePathForRect(rect).path();
    EXPECT_FALSE(rounded.contains(corner));
    EXPECT_TRUE(rounded.contains(QPointF(50.0, 0.5)));
    EXPECT_NEAR(rounded.boundingRect().width(), 100.0, 1e-6);
    EXPECT_NEAR(rounded.boundingRect().height(), 60.0, 1e-6);
}

TEST(CATemplateFormatTest, FlatDiscIsCutAlongTheLongerSide)
{
    const QRectF rect(0.0, 0.0, 100.0, 60.0);
    const QPainterPath flat =
        CATemplateFormat::documentSurfacePathForRectCornerRadiusOuterDiameterInnerDiameterHorizontal(
            rect, 0.0, 100.0, 20.0, true)
            .path();
    // Flat sides 30 points above and below the centre; round ends; a hole in the middle.
    EXPECT_NEAR(flat.boundingRect().top(), 0.0, 0.01);
    EXPECT_NEAR(flat.boundingRect().bottom(), 60.0, 0.01);
    EXPECT_NEAR(flat.boundingRect().left(), 0.0, 0.01);
    EXPECT_TRUE(flat.contains(QPointF(50.0, 2.0)));
    EXPECT_TRUE(flat.contains(QPointF(2.0, 30.0)));
    EXPECT_FALSE(flat.contains(QPointF(2.0, 2.0)));
    EXPECT_FALSE(flat.contains(QPointF(50.0, 30.0)));

    const QPainterPath upright =
        CATemplateFormat::documentSurfacePathForRectCornerRadiusOuterDiameterInnerDiameterHorizontal(
            rect, 0.0, 100.0, 0.0, false)
            .path();
    // Cut left and right instead: the disc reaches beyond the rectangle above and below.
    EXPECT_NEAR(upright.boundingRect().left(), 20.0, 0.01);
    EXPECT_NEAR(upright.boundingRect().right(), 80.0, 0.01);
    EXPECT_LT(upright.boundingRect().top(), -10.0);
}

// --- the dictionary form of the user defaults ---------------------------------------------------

TEST(CATemplateFormatTest, MillimetreTemplateIsStoredInMillimetresAndReadsBack)
{
    CATemplateFormat format = sheet(QStringLiteral("A4"), 252.0f, 108.0f);
    format.setUnits(cuMillimeters);
    format.setPrintableWidth(252.0f);
    format.setPrintableHeight(108.0f);
    const PWPlist::Dictionary entry = format.toDictionary();
    EXPECT_EQ(entry.value(QStringLiteral("Units")).toString(), QStringLiteral("Millimeters"));
    EXPECT_NEAR(entry.value(QStringLiteral("ItemWidth")).toReal(), 88.9, 1e-4);
    EXPECT_NEAR(entry.value(QStringLiteral("ItemHeight")).toReal(), 38.1, 1e-4);
    const CATemplateFormat back = CATemplateFormat::fromDictionary(entry, false);
    EXPECT_NEAR(back.ItemWidth(), 252.0f, 1e-3);
    EXPECT_NEAR(back.ItemHeight(), 108.0f, 1e-3);
    EXPECT_EQ(back.Units(), cuMillimeters);
}

TEST(CATemplateFormatTest, ZeroLengthsAndAnAbsentWindowAreNotWritten)
{
    CATemplateFormat format = sheet(QStringLiteral("Letter"), 144.0f, 72.0f);
    format.setWinWidth(0.0f);
    format.setWinHeight(0.0f);
    format.setWinBottomOffset(0.0f);
    format.setWinLeftOffset(0.0f);
    const PWPlist::Dictionary entry = format.toDictionary();
    for (const char *key : {"HasWindow", "TopMargin", "LeftMargin", "HSpace", "VSpace", "CornerRadius", "WinWidth",
                            "DYMOOffsetX", "DYMOPaperWidth"})
        EXPECT_FALSE(entry.contains(QLatin1String(key))) << key;
    for (const char *key : {"ID", "Description", "Category", "Type", "PageSize", "Units", "IsHorizontal", "ItemWidth",
                            "ItemHeight", "PrintableWidth", "PrintableHeight", "Columns", "Rows"})
        EXPECT_TRUE(entry.contains(QLatin1String(key))) << key;
    const CATemplateFormat back = CATemplateFormat::fromDictionary(entry, true);
    EXPECT_FALSE(back.hasWindow());
    EXPECT_EQ(back.getTopMargin(), 0.0f);
    EXPECT_EQ(back.getHSpace(), 0.0f);
}

TEST(CATemplateFormatTest, EveryStoredFieldSurvivesTheDictionaryInInches)
{
    CATemplateFormat format = sheet(QStringLiteral("Label Roll"), 36.0f * kMm, 89.0f * kMm);
    format.setID(QStringLiteral("R1"));
    format.setDescription(QStringLiteral("Roll"));
    format.setCategory(QStringLiteral("Mailing Labels"));
    format.setType(QStringLiteral("Thermal"));
    format.setHorizontal(false);
    format.setCornerRadius(4.5f);
    format.setPrintableWidth(200.0f);
    format.setPrintableHeight(90.0f);
    format.setColumns(2);
    format.setRows(7);
    format.setTopMargin(36.0f);
    format.setLeftMargin(13.5f);
    format.setHSpace(9.0f);
    format.setVSpace(1.5f);
    format.setHasWindow(true);
    format.setWinWidth(100.0f);
    format.setWinHeight(50.0f);
    format.setWinBottomOffset(20.0f);
    format.setWinLeftOffset(30.0f);
    format.setDYMOPaperWidth(110.0f);
    format.setDYMOPaperHeight(260.0f);
    format.setDYMOOffsetX(3.0f);
    format.setDYMOOffsetY(5.0f);
    const PWPlist::Dictionary entry = format.toDictionary();
    EXPECT_EQ(entry.value(QStringLiteral("HasWindow")).toString(), QStringLiteral("YES"));
    // The roll is stored as answered: long side first.
    EXPECT_NEAR(entry.value(QStringLiteral("ItemWidth")).toReal(), 89.0 / 25.4, 1e-5);

    const CATemplateFormat back = CATemplateFormat::fromDictionary(entry, false);
    EXPECT_EQ(back.ID(), format.ID());
    EXPECT_EQ(back.Description(), format.Description());
    EXPECT_EQ(back.Category(), format.Category());
    EXPECT_EQ(back.Type(), format.Type());
    EXPECT_EQ(back.PageSize(), format.PageSize());
    EXPECT_FALSE(back.isHorizontal());
    EXPECT_EQ(back.Columns(), 2);
    EXPECT_EQ(back.Rows(), 7);
    EXPECT_TRUE(back.hasWindow());
    const auto near = [](float a, float b) { return std::fabs(a - b) < 1e-3f; };
    EXPECT_TRUE(near(back.ItemWidth(), format.ItemWidth()));
    EXPECT_TRUE(near(back.ItemHeight(), format.ItemHeight()));
    EXPECT_TRUE(near(back.getCornerRadius(), 4.5f));
    EXPECT_TRUE(near(back.PrintableWidth(), 200.0f));
    EXPECT_TRUE(near(back.PrintableHeight(), 90.0f));
    EXPECT_TRUE(near(back.getTopMargin(), 36.0f));
    EXPECT_TRUE(near(back.getLeftMargin(), 13.5f));
    EXPECT_TRUE(near(back.getHSpace(), 9.0f));
    EXPECT_TRUE(near(back.getVSpace(), 1.5f));
    EXPECT_TRUE(near(back.getWinWidth(), 100.0f));
    EXPECT_TRUE(near(back.getWinHeight(), 50.0f));
    EXPECT_TRUE(near(back.getWinBottomOffset(), 20.0f));
    EXPECT_TRUE(near(back.getWinLeftOffset(), 30.0f));
    EXPECT_TRUE(near(back.getDYMOPaperWidth(), 110.0f));
    EXPECT_TRUE(near(back.getDYMOPaperHeight(), 260.0f));
    EXPECT_TRUE(near(back.getDYMOOffsetX(), 3.0f));
    EXPECT_TRUE(near(back.getDYMOOffsetY(), 5.0f));
    // Neither the maker nor the kind travel with the entry.
    EXPECT_TRUE(back.Manufacturer().isEmpty());
    EXPECT_FALSE(back.isPredef());
}

TEST(CATemplateFormatTest, TheCustomFormPrintsOnTheWholeItem)
{
    CATemplateFormat format = sheet(QStringLiteral("Letter"), 200.0f, 100.0f);
    format.setPrintableWidth(50.0f);
    format.setPrintableHeight(40.0f);
    const CATemplateFormat custom = CATemplateFormat::fromDictionary(format.toDictionary(), true);
    EXPECT_NEAR(custom.PrintableWidth(), 200.0f, 1e-3);
    EXPECT_NEAR(custom.PrintableHeight(), 100.0f, 1e-3);
    const CATemplateFormat recent = CATemplateFormat::fromDictionary(format.toDictionary(), false);
    EXPECT_NEAR(recent.PrintableWidth(), 50.0f, 1e-3);
}

TEST(CATemplateFormatTest, AWindowFlagOtherThanYesIsNoWindow)
{
    PWPlist::Dictionary entry = sheet(QString(), 10.0f, 10.0f).toDictionary();
    entry.insert(QStringLiteral("HasWindow"), PWPlist::fromString(QStringLiteral("yes")));
    EXPECT_FALSE(CATemplateFormat::fromDictionary(entry, true).hasWindow());
    entry.insert(QStringLiteral("HasWindow"), PWPlist::fromString(QStringLiteral("YES")));
    EXPECT_TRUE(CATemplateFormat::fromDictionary(entry, true).hasWindow());
}

// --- matching ------------------------------------------------------------------------------------

CATemplateFormat avery30up()
{
    CATemplateFormat format = sheet(QStringLiteral("Letter"), 189.0f, 72.0f);
    format.setID(QStringLiteral("05960"));
    format.setDescription(QStringLiteral("Address Labels"));
    format.setCategory(QStringLiteral("Mailing Labels"));
    format.setColumns(3);
    format.setRows(10);
    format.setTopMargin(36.0f);
    format.setLeftMargin(13.5f);
    format.setHSpace(9.0f);
    return format;
}

// A length as a design file keeps it: three decimals, read back in single precision.
float throughDocumentText(float value)
{
    return QString::asprintf("%.3f", double(value)).toFloat();
}

TEST(CATemplateFormatTest, LengthsMatchAfterTheDocumentTextRoundTrip)
{
    CATemplateFormat entry = avery30up();
    // Millimetre figures that are no whole number of hundredths of a point.
    entry.setItemWidth(66.7f * kMm);
    entry.setItemHeight(25.4f * kMm);
    entry.setTopMargin(12.9f * kMm);
    entry.setLeftMargin(4.65f * kMm);
    entry.setHSpace(2.54f * kMm);
    entry.setVSpace(0.1f * kMm);
    CATemplateFormat fromFile = entry;
    fromFile.setItemWidth(throughDocumentText(entry.ItemWidth()));
    fromFile.setItemHeight(throughDocumentText(entry.ItemHeight()));
    fromFile.setTopMargin(throughDocumentText(entry.getTopMargin()));
    fromFile.setLeftMargin(throughDocumentText(entry.getLeftMargin()));
    fromFile.setHSpace(throughDocumentText(entry.getHSpace()));
    fromFile.setVSpace(throughDocumentText(entry.getVSpace()));
    EXPECT_TRUE(CATemplateFormat::matchesLayout(entry, fromFile));
    // The stored values are not rounded by matching.
    EXPECT_EQ(entry.ItemWidth(), 66.7f * kMm);

    // A length a hair below a whole hundredth comes back from the text just above it.
    CATemplateFormat justBelow = avery30up();
    justBelow.setTopMargin(std::nextafter(36.0f, 0.0f));
    justBelow.setItemWidth(std::nextafter(189.0f, 0.0f));
    CATemplateFormat written = justBelow;
    written.setTopMargin(throughDocumentText(justBelow.getTopMargin()));
    written.setItemWidth(throughDocumentText(justBelow.ItemWidth()));
    EXPECT_EQ(written.getTopMargin(), 36.0f);
    EXPECT_TRUE(CATemplateFormat::matchesLayout(justBelow, written));
    EXPECT_TRUE(CATemplateFormat::matchesLayout(written, justBelow));
}

struct MismatchCase
{
    const char *name;
    void (*change)(CATemplateFormat &);
};

class LayoutMismatch : public ::testing::TestWithParam<MismatchCase>
{
};

TEST_P(LayoutMismatch, ADifferenceInACompareFieldIsAnotherTemplate)
{
    CATemplateFormat other = avery30up();
    GetParam().change(other);
    EXPECT_FALSE(CATemplateFormat::matchesLayout(avery30up(), other));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LayoutMismatch,
    ::testing::Values(
        MismatchCase {"ID", [](CATemplateFormat &f) { f.setID(QStringLiteral("5960")); }},
        MismatchCase {"Description", [](CATemplateFormat &f) { f.setDescription(QStringLiteral("address labels")); }},
        MismatchCase {"Category", [](CATemplateFormat &f) { f.setCategory(QString()); }},
        MismatchCase {"PageSize", [](CATemplateFormat &f) { f.setPageSize(QStringLiteral("A4")); }},
        MismatchCase {"Width", [](CATemplateFormat &f) { f.setItemWidth(189.02f); }},
        MismatchCase {"Height", [](CATemplateFormat &f) { f.setItemHeight(71.98f); }},
        MismatchCase {"Columns", [](CATemplateFormat &f) { f.setColumns(2); }},
        MismatchCase {"Rows", [](CATemplateFormat &f) { f.setRows(9); }},
        MismatchCase {"TopMargin", [](CATemplateFormat &f) { f.setTopMargin(36.02f); }},
        MismatchCase {"LeftMargin", [](CATemplateFormat &f) { f.setLeftMargin(13.48f); }},
        MismatchCase {"HSpace", [](CATemplateFormat &f) { f.setHSpace(9.1f); }},
        MismatchCase {"VSpace", [](CATemplateFormat &f) { f.setVSpace(0.02f); }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CATemplateFormatTest, FieldsOutsideTheRuleDoNotMatter)
{
    CATemplateFormat other = avery30up();
    other.setManufacturer(QStringLiteral("Custom"));
    other.setType(QStringLiteral("Laser"));
    other.setUnits(cuMillimeters);
    other.setHorizontal(false);
    other.setCornerRadius(5.0f);
    other.setPrintableWidth(12.0f);
    other.setHasWindow(true);
    other.setDYMOOffsetX(4.0f);
    other.setItemWidth(189.009f);
    EXPECT_TRUE(CATemplateFormat::matchesLayout(avery30up(), other));
}

} // namespace
