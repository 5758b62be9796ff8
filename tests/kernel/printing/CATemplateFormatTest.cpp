#include "kernel/printing/CATemplateFormat.h"

#include "CatalogueTestSupport.h"

#include "kernel/document/CFTADocument.h"
#include "kernel/base/FTGeometry.h"

#include <gtest/gtest.h>

#include <QPainterPath>

#include <cmath>

namespace {

CATemplateFormat sheetFormat(const QString &pageSize, float width, float height, int type = dtLabel)
{
    CATemplateFormat format;
    format.setPageSize(pageSize); format.setItemWidth(width); format.setItemHeight(height); format.setDocumentType(type);
    return format;
}

TEST(CATemplateFormatTest, OnlyALabelOnTheExactRollPaperAnswersItsLongSideAsWidth)
{
    for (const auto &[pageSize, type, roll] : {std::tuple {"Label Roll", dtLabel, true},
                                               {"label roll", dtLabel, false},
                                               {"Label Roll", dtEnvelope, false}}) {
        const CATemplateFormat format = sheetFormat(QLatin1String(pageSize), 50.0f, 200.0f, type);
        EXPECT_EQ(QSizeF(format.ItemWidth(), format.ItemHeight()), roll ? QSizeF(200, 50) : QSizeF(50, 200)) << pageSize;
        EXPECT_EQ(format.isLabelRoll(), roll) << pageSize << type;
        // The stored size is what lists show, whatever the roll rule answers.
        EXPECT_EQ(format.sizeString(), QStringLiteral("0.694x2.778 in"));
    }
    CATemplateFormat format = sheetFormat(QStringLiteral("Letter"), 252.0f, 108.0f, dtEnvelope);
    format.setPrintableWidth(300.0f); format.setPrintableHeight(400.0f);
    EXPECT_EQ(QSizeF(format.PrintableWidth(), format.PrintableHeight()), QSizeF(400, 300)) << "the printable size is answered lying";
    format.setUnits(cuMillimeters);
    EXPECT_EQ(format.sizeString(), QStringLiteral("88.9x38.1 mm"));
}

TEST(CATemplateFormatTest, PredefinedItemsAreRoundedButCustomItemsArePlainRectangles)
{
    const QRectF rect(0.0, 0.0, 100.0, 60.0);
    CATemplateFormat format = sheetFormat(QString(), 100.0f, 60.0f);
    format.setCornerRadius(10.0f);
    const bool plainCorner = format.documentSurfacePathForRect(rect).path().contains(QPointF(0.5, 0.5));
    format.setPredef(true);
    const QPainterPath rounded = format.documentSurfacePathForRect(rect).path();
    EXPECT_EQ(QList<bool>({plainCorner, rounded.contains(QPointF(0.5, 0.5)), rounded.contains(QPointF(50.0, 0.5))}),
              QList<bool>({true, false, true}));
}

// A size whose group number the kernel's table gives, found by walking short sides upwards.
std::optional<std::pair<float, float>> sizeOfGroup(int group, int type)
{
    for (float shortSide = 5.0f; shortSide < 400.0f; shortSide += 0.5f) {
        for (const float ratio : {1.0f, 1.5f, 2.0f, 2.6f, 3.0f, 4.0f, 6.0f}) {
            if (getSizeGroupType(shortSide * ratio * kMm, shortSide * kMm, static_cast<documentType>(type)) == group)
                return std::make_pair(shortSide * ratio * kMm, shortSide * kMm);
        }
    }
    return std::nullopt;
}

// The design folders count from 1 within each word: return labels are groups 1 to 10, mailing
// labels 11 to 20, shipping labels from 21, envelopes from 51, the postcard 81.
TEST(CATemplateFormatTest, GroupNumbersMapToTheDesignFolderNames)
{
    const std::tuple<int, int, const char *> cases[] = {
        {1, dtLabel, "Return1"}, {7, dtLabel, "Return7"}, {11, dtLabel, "Mailing1"},
        {19, dtLabel, "Mailing9"}, {21, dtLabel, "Shipping1"}, {30, dtLabel, "Shipping10"},
        {51, dtEnvelope, "Envelope1"}, {58, dtEnvelope, "Envelope8"}, {81, dtPostcard, "Postcard1"}};
    for (const auto &[group, type, name] : cases) {
        const auto size = sizeOfGroup(group, type);
        ASSERT_TRUE(size) << "no size of group " << group;
        EXPECT_EQ(CATemplateFormat::getSizeGroupNameForSize(size->first, size->second, type), QLatin1String(name)) << group;
        // The template asks with its longer side first, however it is stored.
        EXPECT_EQ(sheetFormat(QString(), size->second, size->first, type).sizeGroup(), QLatin1String(name)) << group;
    }
    EXPECT_EQ(CATemplateFormat::getSizeGroupNameForSize(40000.0f * kMm, 20000.0f * kMm, dtEnvelope), QStringLiteral("Envelope12"));
    // A catalogue's own group takes the place of the computed one.
    CATemplateFormat format = sheetFormat(QString(), 400.0f, 300.0f, dtPostcard);
    format.setSizeGroup(QStringLiteral("Mailing2"));
    EXPECT_EQ(format.sizeGroup(), QStringLiteral("Mailing2"));
}

// A disc on a rectangle is cut flat along the rectangle's longer sides and keeps its round ends;
// a hole is cut out of its middle. Upright, it is cut left and right instead.
TEST(CATemplateFormatTest, FlatDiscIsCutAlongTheLongerSideAroundItsHole)
{
    const QRectF rect(0.0, 0.0, 100.0, 60.0);
    const auto disc = [&rect](double hole, bool horizontal) {
        return CATemplateFormat::documentSurfacePathForRectCornerRadiusOuterDiameterInnerDiameterHorizontal(rect, 0.0, 100.0, hole, horizontal).path();
    };
    const QPainterPath flat = disc(20.0, true);
    const QRectF bounds = flat.boundingRect();
    EXPECT_TRUE(std::abs(bounds.top()) < 0.01 && std::abs(bounds.bottom() - 60.0) < 0.01 && std::abs(bounds.left()) < 0.01) << bounds.top() << " " << bounds.bottom();
    // Inside the flat top, at the round end, outside the round corner, in the hole, beside it.
    const QPointF points[] = {{50.0, 2.0}, {2.0, 30.0}, {2.0, 2.0}, {50.0, 30.0}, {50.0, 18.0}};
    QList<bool> inside;
    for (const QPointF &point : points)
        inside.append(flat.contains(point));
    EXPECT_EQ(inside, QList<bool>({true, true, false, false, true}));
    const QRectF upright = disc(0.0, false).boundingRect();
    EXPECT_TRUE(std::abs(upright.left() - 20.0) < 0.01 && std::abs(upright.right() - 80.0) < 0.01 && upright.top() < -10.0)
        << upright.left() << " " << upright.right() << " " << upright.top();
    EXPECT_TRUE(disc(0.0, false).contains(QPointF(50.0, -15.0)));
}

// The dictionary form of the user defaults.
TEST(CATemplateFormatTest, ZeroLengthsAndAnAbsentWindowAreNotWritten)
{
    CATemplateFormat format = sheetFormat(QStringLiteral("Letter"), 144.0f, 72.0f);
    format.setWinWidth(0.0f); format.setWinHeight(0.0f); format.setWinBottomOffset(0.0f); format.setWinLeftOffset(0.0f);
    const PWPlist::Dictionary entry = format.toDictionary();
    for (const char *key : {"HasWindow", "TopMargin", "HSpace", "WinWidth", "DYMOOffsetX"})
        EXPECT_FALSE(entry.contains(QLatin1String(key))) << key;
    const CATemplateFormat back = CATemplateFormat::fromDictionary(entry, true);
    EXPECT_FALSE(back.hasWindow());
}

TEST(CATemplateFormatTest, EveryStoredFieldSurvivesTheDictionaryInItsOwnUnit)
{
    CATemplateFormat format = readOne(kEveryField);
    format.setHorizontal(false); format.setHasWindow(true);
    const PWPlist::Dictionary entry = format.toDictionary();
    EXPECT_NEAR(entry.value(QStringLiteral("ItemWidth")).toReal(), 99.1, 1e-4);
    const CATemplateFormat back = CATemplateFormat::fromDictionary(entry, false);
    EXPECT_EQ(QStringList({back.ID(), back.Description(), back.Category(), back.Type(), back.PageSize()}),
              QStringList({format.ID(), format.Description(), format.Category(), format.Type(), format.PageSize()}));
    EXPECT_EQ(QList<int>({back.Units(), back.isHorizontal(), back.Columns(), back.Rows(), back.hasWindow()}),
              QList<int>({cuMillimeters, 0, 2, 5, 1}));
    EXPECT_EQ(lengths(back), lengths(format));
    // A roll is stored as answered: long side first.
    EXPECT_NEAR(sheetFormat(QStringLiteral("Label Roll"), 36.0f, 72.0f)
                    .toDictionary()
                    .value(QStringLiteral("ItemWidth"))
                    .toReal(),
                1.0, 1e-5);
}

TEST(CATemplateFormatTest, TheCustomFormPrintsOnTheWholeItemAndOnlyYesIsAWindow)
{
    CATemplateFormat format = sheetFormat(QStringLiteral("Letter"), 200.0f, 100.0f);
    format.setPrintableWidth(50.0f); format.setPrintableHeight(40.0f);
    const CATemplateFormat custom = CATemplateFormat::fromDictionary(format.toDictionary(), true);
    const CATemplateFormat recent = CATemplateFormat::fromDictionary(format.toDictionary(), false);
    EXPECT_EQ((QSizeF(custom.PrintableWidth(), custom.PrintableHeight()) * 100).toSize(), QSize(20000, 10000));
    EXPECT_FLOAT_EQ(recent.PrintableWidth(), 50.0f);
    PWPlist::Dictionary entry = format.toDictionary();
    entry.insert(QStringLiteral("HasWindow"), PWPlist::fromString(QStringLiteral("yes")));
    EXPECT_FALSE(CATemplateFormat::fromDictionary(entry, true).hasWindow());
    entry.insert(QStringLiteral("HasWindow"), PWPlist::fromString(QStringLiteral("YES")));
    EXPECT_TRUE(CATemplateFormat::fromDictionary(entry, true).hasWindow());
}

CATemplateFormat avery30up()
{
    CATemplateFormat format = sheetFormat(QStringLiteral("Letter"), 189.0f, 72.0f);
    format.setID(QStringLiteral("05960")); format.setDescription(QStringLiteral("Address Labels"));
    format.setCategory(QStringLiteral("Mailing Labels")); format.setColumns(3); format.setRows(10); format.setTopMargin(36.0f);
    format.setLeftMargin(13.5f); format.setHSpace(9.0f);
    return format;
}

TEST(CATemplateFormatTest, LengthsMatchAfterTheDocumentTextRoundTrip)
{
    // A length a hair below a whole hundredth comes back from the text just above it.
    CATemplateFormat justBelow = avery30up();
    justBelow.setTopMargin(std::nextafter(36.0f, 0.0f)); justBelow.setItemWidth(std::nextafter(189.0f, 0.0f));
    CATemplateFormat written = justBelow;
    written.setTopMargin(throughDocumentText(justBelow.getTopMargin()));
    written.setItemWidth(throughDocumentText(justBelow.ItemWidth()));
    EXPECT_EQ(written.getTopMargin(), 36.0f);
    EXPECT_TRUE(CATemplateFormat::matchesLayout(justBelow, written) && CATemplateFormat::matchesLayout(written, justBelow));
}

TEST(CATemplateFormatTest, ADifferenceInACompareFieldIsAnotherTemplateAndOtherFieldsDoNotMatter)
{
    using F = CATemplateFormat;
    const std::pair<const char *, void (*)(F &)> changes[] = {
        {"ID", [](F &f) { f.setID(QStringLiteral("5960")); }}, {"Description", [](F &f) { f.setDescription(QStringLiteral("address labels")); }},
        {"Category", [](F &f) { f.setCategory(QString()); }}, {"PageSize", [](F &f) { f.setPageSize(QStringLiteral("A4")); }},
        {"Width", [](F &f) { f.setItemWidth(189.02f); }}, {"Height", [](F &f) { f.setItemHeight(71.98f); }},
        {"Columns", [](F &f) { f.setColumns(2); }}, {"Rows", [](F &f) { f.setRows(9); }},
        {"TopMargin", [](F &f) { f.setTopMargin(36.02f); }}, {"LeftMargin", [](F &f) { f.setLeftMargin(13.48f); }},
        {"HSpace", [](F &f) { f.setHSpace(9.1f); }}, {"VSpace", [](F &f) { f.setVSpace(0.02f); }}};
    for (const auto &[name, change] : changes) {
        F other = avery30up();
        change(other);
        EXPECT_FALSE(F::matchesLayout(avery30up(), other)) << name;
    }
    F other = avery30up();
    other.setManufacturer(QStringLiteral("Custom")); other.setType(QStringLiteral("Laser")); other.setUnits(cuMillimeters);
    other.setHorizontal(false); other.setCornerRadius(5.0f); other.setPrintableWidth(12.0f); other.setHasWindow(true);
    other.setDYMOOffsetX(4.0f); other.setItemWidth(189.009f);
    EXPECT_TRUE(F::matchesLayout(avery30up(), other));
}

TEST(CATemplateFormatTest, FromDocumentDescribesTheDocumentsLayout)
{
    CFTADocument document(dtLabel, CDDString(QStringLiteral("us")), CDDString(QStringLiteral("us")));
    document.SetManufacturer(CDDString(QStringLiteral("Dymo"))); document.SetPageSize(CDDString(QStringLiteral("Label Roll")));
    document.SetHorizontal(false, 0); document.SetColCount(1); document.SetRowCount(1);
    document.setDocumentSizeX(79.37); document.setDocumentSizeY(252.28); document.SetCornerRadius(5.67);
    document.setPrintableSizeX(70.0); document.setPrintableSizeY(240.0);
    document.SetTopMargin(1.5); document.SetLeftMargin(2.5); document.SetHSpace(3.5); document.SetVSpace(4.5);
    document.setUnits(cuMillimeters); document.SetHasWindow(true);
    document.SetWinWindth(100.0); document.SetWinHeight(50.0); document.SetWinBottomOffset(20.0); document.SetWinLeftOffset(30.0);
    document.SetWinCornerRadius(6.0);
    document.SetDYMOPaperWidth(90.0); document.SetDYMOPaperHeight(260.0); document.SetDYMOOffsetX(3.0); document.SetDYMOOffsetY(5.0);
    document.SetPredefinedLayout(true);
    const CATemplateFormat format = CATemplateFormat::initFromDocument(document);
    EXPECT_EQ(format.Manufacturer() + format.PageSize(), QStringLiteral("DymoLabel Roll"));
    EXPECT_EQ(QList<int>({format.isHorizontal(), format.Columns(), format.Rows(), format.isLabelRoll(), format.Units(),
                          format.hasWindow(), format.isPredef(), format.getDocumentType()}),
              QList<int>({0, 1, 1, 1, cuMillimeters, 1, 1, dtLabel}));
    // A roll answers its long side as the width, whichever way the document stores it, and its
    // printable size lying.
    EXPECT_EQ(lengths(format), QStringLiteral("252.28 79.37 5.67 240.00 70.00 1.50 2.50 3.50 4.50 100.00 50.00 20.00 30.00 90.00 260.00 3.00 5.00"));
    EXPECT_FLOAT_EQ(format.getWinCornerRadius(), 6.0f);
}

TEST(CATemplateFormatTest, FromDocumentKeepsAnEnvelopesKindAndComputesItsSizeGroup)
{
    CFTADocument document(dtEnvelope, CDDString(QStringLiteral("de")), CDDString(QStringLiteral("de")));
    document.setDocumentSizeX(684.0); document.setDocumentSizeY(297.0);
    document.SetPageSize(CDDString(QStringLiteral("Label Roll")));
    const CATemplateFormat format = CATemplateFormat::initFromDocument(document);
    EXPECT_EQ(QList<int>({format.getDocumentType(), format.isLabelRoll(), format.isHorizontal(), format.isPredef()}),
              QList<int>({dtEnvelope, 0, 1, 0}));
    const std::optional<QString> group = format.sizeGroup();
    ASSERT_TRUE(group);
    EXPECT_TRUE(group->startsWith(QStringLiteral("Envelope"))) << group->toStdString();
}

} // namespace
