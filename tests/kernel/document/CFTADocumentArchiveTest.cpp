#include "kernel/document/CFTADocument.h"

#include "DocumentTestSupport.h"

#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTExtPicture.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/CDDReadReport.h"
#include "kernel/text/CFTAText.h"

#include <gtest/gtest.h>

#include <functional>

using namespace doctest;

namespace {

PWPlist layoutWith(const PWPlist &stored, const QList<PWPlist::Dictionary::Entry> &entries)
{
    return withEntries(stored, {{key_CustomLayout, withEntries(stored.value(key_CustomLayout), entries)}});
}

QList<double> window(const CFTADocument &d)
{
    return {double(d.HasWindow()), d.GetWinWidth(), d.GetWinHeight(), d.GetWinBottomOffset(), d.GetWinLeftOffset()};
}

} // namespace

TEST(CFTADocumentArchiveTest, LayoutKeepsPositiveLengthsAndOnlyEnvelopesHaveWindows)
{
    CFTADocument envelope(dtEnvelope, CDDString(), CDDString());
    envelope.SetVSpace(-4); envelope.SetHasWindow(true);
    envelope.SetWinWindth(252), envelope.SetWinHeight(108), envelope.SetWinBottomOffset(36), envelope.SetWinLeftOffset(20);
    const PWPlist stored = storedDocument(envelope);
    EXPECT_FALSE(stored.value(key_CustomLayout).toDictionary().contains(key_VSpace));
    CFTADocument again;
    loadDocument(again, stored);
    EXPECT_EQ(window(again), QList<double>({1, 252, 108, 36, 20}));
    CFTADocument label(dtEnvelope, CDDString(), CDDString());
    label.SetHasWindow(true); label.SetWinWindth(10);
    loadDocument(label, withEntries(stored, {{key_DocumentType, str("Label")}}));
    EXPECT_EQ(window(label), QList<double>(5, 0.0));
    // Negative lengths read back as none.
    CFTADocument prepared;
    loadDocument(prepared, layoutWith(stored, {{key_TopMargin, str("-5.000")}, {key_HSpace, str("4.500")}}));
    EXPECT_EQ(QList<double>({prepared.GetTopMargin(), prepared.GetHSpace()}), QList<double>({0, 4.5}));
}

TEST(CFTADocumentArchiveTest, AbsentKeysKeepOrReset)
{
    CFTADocument prepared(dtEnvelope, cs("de"), cs("fr"));
    prepared.setDocumentSizeX(684); prepared.SetPredefinedLayout(true); prepared.SetTopMargin(36); prepared.SetHasWindow(true);
    prepared.SetWinWindth(200);
    // An empty country code counts as absent.
    loadDocument(prepared, PWPlist(PWPlist::Dictionary {{key_BundleVersion, str("80")}, {key_ISOCountryCodeFrom, str("")}}));
    EXPECT_EQ(QStringLiteral("%1 %2 %3 %4 %5 %6").arg(prepared.getCardSizeX()).arg(prepared.HasWindow())
                  .arg(prepared.GetCountryCodeFrom().getData()).arg(prepared.IsPredefinedLayout())
                  .arg(prepared.GetTopMargin()).arg(prepared.GetWinWidth()),
              QStringLiteral("684 1 fr 0 0 0"));
}

// Values that would divide by zero, index out of range or loop for nothing are refused.
TEST(CFTADocumentArchiveTest, BadValuesAreRefused)
{
    const std::pair<QString, const char *> cases[] = {{key_CardWidth, "0"},        {key_CardHeight, "1e30"},
                                                      {key_Columns, "-1"},         {key_Rows, "1000000"},
                                                      {key_AddressSourceTo, "99"}, {key_AddressSourceFrom, "-7"}};
    CFTADocument saved;
    const PWPlist stored = storedDocument(saved);
    for (const auto &[key, value] : cases) {
        CFTADocument prepared;
        prepared.setDocumentSizeX(300), prepared.setDocumentSizeY(200), prepared.SetColCount(3), prepared.SetRowCount(7);
        prepared.SetAddressTypeTo(adWork), prepared.SetAddressTypeFrom(adHome), prepared.SetHorizontal(false, 0);
        const bool inLayout = key == key_Columns || key == key_Rows;
        loadDocument(prepared, inLayout ? layoutWith(stored, {{key, str(value)}}) : withEntries(stored, {{key, str(value)}}));
        const auto k = [&](const QString &which, double kept, double read) { return which == key ? kept : read; };
        EXPECT_EQ(QList<double>({prepared.getCardSizeX(), prepared.getCardSizeY(), double(prepared.GetColCount()),
                                 double(prepared.GetRowCount()), double(prepared.addressTypeTo()),
                                 double(prepared.addressTypeFrom()), double(prepared.IsHorizontal(0))}),
                  QList<double>({k(key_CardWidth, 300, 252), k(key_CardHeight, 200, 144), k(key_Columns, 3, 2), k(key_Rows, 7, 4),
                                 k(key_AddressSourceTo, adWork, adMain), k(key_AddressSourceFrom, adHome, adMain), k(key_Horizontal, 0, 1)}))
            << key.toStdString() << " " << value;
    }
}

TEST(CFTADocumentArchiveTest, BackgroundGoesToTheBackListAndAPlainTextThereReadsAsAnAddressText)
{
    CFTADocument document;
    auto *textField = new CFTAText(10, 10, document.getDefText());
    textField->SetString(CDDString(QStringLiteral("Back")));
    document.AddObject(textField, 0, false); document.setBackground(new CFTExtPicture(CDDPicture(solidImage(Qt::red))), 0);
    const PWPlist stored = storedDocument(document);
    CFTADocument copy;
    loadDocument(copy, stored);
    EXPECT_EQ(storedDocument(copy).toXml(), stored.toXml());
    // A plain text stored in the back list comes back as an address text, as files written
    // elsewhere expect, drawn below the side's other components and saved among them; one
    // background per side: a second one waits in the pool.
    const PWPlist front = stored.value(key_FrontSide);
    PWPlist::Array backList = front.value(key_BackComponents).toArray();
    ASSERT_EQ(backList.size(), 1);
    CFTExtPicture second(CDDPicture(solidImage(Qt::blue)));
    backList.prepend(front.value(key_Components).toArray().first());
    backList.append(CFTACoreDoc::GetArchiveFromObject(&second, nullptr).getDict());
    CFTADocument mixed;
    loadDocument(mixed, withEntries(stored, {{key_FrontSide, withEntries(front, {{key_BackComponents, PWPlist(backList)}})}}));
    EXPECT_EQ(classIDs(mixed.GetComponents(0, false)), (QList<int> {10, 3}));
    EXPECT_EQ(classIDs(mixed.GetComponents(0, true)), QList<int> {7});
    EXPECT_EQ(mixed.deletedPoolSize(), 1);
}

TEST(CFTADocumentArchiveTest, MalformedSectionsAreSkipped)
{
    CFTADocument prepared;
    prepared.SetColCount(5);
    loadDocument(prepared, PWPlist(PWPlist::Dictionary {
        {key_BundleVersion, str("80")}, {key_CustomLayout, str("not a dictionary")}, {key_DefaultSettings, str("nor this")},
        {key_FrontSide, PWPlist(PWPlist::Array {str("x")})}, {key_PaperColor, str("red")}}));
    EXPECT_EQ(prepared.GetColCount(), 5);
    EXPECT_TRUE(prepared.GetComponents(0, false).empty());
    EXPECT_EQ(*prepared.getColor(), CDDColor(1.0f, 1.0f, 1.0f, 1.0f));
}

// The values the paper templates and their editors name as valid for a design's layout, stored as
// a design writes them: each reads back without a word and as stored. A template without a grid
// has 0 columns and rows; the smallest label is 0.15 inch; a 60 by 30 mm label placed on A4 by
// itself stands in 3 columns and 9 rows, 14.775 mm from the left and 13.336 mm from the top; a
// window envelope's window is preset to 110 by 40 mm, 100 mm from the left and 30 mm from the
// bottom; a unit other than millimetres (0) and inches (1) means points.
TEST(CFTADocumentArchiveTest, TheLayoutValuesTheTemplatesNameValidReadBackWithoutAWord)
{
    const struct
    {
        documentType type;
        bool inLayout;
        QString key;
        const char *stored;
        std::function<double(const CFTADocument &)> value;
        double expected;
    } cases[] = {
        {dtLabel, true, key_Columns, "0", [](const CFTADocument &d) { return d.GetColCount(); }, 0},
        {dtLabel, true, key_Rows, "0", [](const CFTADocument &d) { return d.GetRowCount(); }, 0},
        {dtLabel, true, key_Columns, "3", [](const CFTADocument &d) { return d.GetColCount(); }, 3},
        {dtLabel, true, key_Rows, "9", [](const CFTADocument &d) { return d.GetRowCount(); }, 9},
        {dtLabel, true, key_LeftMargin, "41.882", [](const CFTADocument &d) { return d.GetLeftMargin(); }, 41.882},
        {dtLabel, true, key_TopMargin, "37.803", [](const CFTADocument &d) { return d.GetTopMargin(); }, 37.803},
        {dtLabel, true, key_CornerRadius, "17.008", [](const CFTADocument &d) { return d.GetCornerRadius(); }, 17.008},
        {dtLabel, false, key_CardWidth, "10.800", [](const CFTADocument &d) { return d.getCardSizeX(); }, 10.8},
        {dtLabel, false, key_CardHeight, "10.800", [](const CFTADocument &d) { return d.getCardSizeY(); }, 10.8},
        {dtEnvelope, false, key_CardWidth, "684.000", [](const CFTADocument &d) { return d.getCardSizeX(); }, 684},
        {dtEnvelope, true, key_HasWindow, "YES", [](const CFTADocument &d) { return d.HasWindow(); }, 1},
        {dtEnvelope, true, key_HasWindow, "NO", [](const CFTADocument &d) { return d.HasWindow(); }, 0},
        {dtEnvelope, true, key_WindowWidth, "311.811", [](const CFTADocument &d) { return d.GetWinWidth(); }, 311.811},
        {dtEnvelope, true, key_WindowHeight, "113.386", [](const CFTADocument &d) { return d.GetWinHeight(); }, 113.386},
        {dtEnvelope, true, key_WindowBottomOffset, "85.039", [](const CFTADocument &d) { return d.GetWinBottomOffset(); },
         85.039},
        {dtEnvelope, true, key_WindowLeftOffset, "283.465", [](const CFTADocument &d) { return d.GetWinLeftOffset(); },
         283.465},
        {dtLabel, false, key_Horizontal, "NO", [](const CFTADocument &d) { return d.IsHorizontal(0); }, 0},
        {dtLabel, false, key_Units, "0", [](const CFTADocument &d) { return int(d.getUnits()); }, 0},
        {dtLabel, false, key_Units, "1", [](const CFTADocument &d) { return int(d.getUnits()); }, 1},
        {dtLabel, false, key_Units, "2", [](const CFTADocument &d) { return int(d.getUnits()); }, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.key.toStdString() << " " << c.stored);
        CFTADocument written(c.type, CDDString(), CDDString());
        const PWPlist stored = storedDocument(written);
        const PWPlist changed = c.inLayout ? layoutWith(stored, {{c.key, str(c.stored)}}) : withEntries(stored, {{c.key, str(c.stored)}});
        CFTADocument read(c.type, CDDString(), CDDString());
        CDDArchive archive(false);
        archive.Attach(changed);
        const auto report = std::make_shared<CDDReadReport>();
        archive.setReadReport(report);
        read.Serialize(archive);
        EXPECT_EQ(report->problems().join(u'\n'), QString());
        EXPECT_NEAR(c.value(read), c.expected, 0.0005);
    }
}
