#include "kernel/document/CFTADocument.h"

#include "DocumentTestSupport.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/address/CFTABarcode.h"
#include "kernel/address/CFTCounterField.h"
#include "kernel/address/CFTFileField.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/drawing/CFTExtPicture.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/drawing/CFTSeparator.h"
#include "kernel/foundation/CDDArchiveKeys.h"
#include "kernel/foundation/CDDText.h"
#include "kernel/text/CFTAText.h"
#include "kernel/text/CFTSmartField.h"

#include <gtest/gtest.h>

namespace {

using namespace doctest;

// A design with one component of every kind the file holds, in a known order.
void fillWithEveryKind(CFTADocument &document)
{
    const CFTComponent *defText = document.getDefText();
    auto *textField = new CFTAText(10, 10, defText);
    textField->SetString(CDDString(QStringLiteral("Hello")));
    document.AddObject(textField, 0, false);
    document.AddObject(new CFTSmartField(10, 30, defText, tcSmartDate), 0, false);
    auto *city = new CFTAAddressText(10, 50, tcCity, nullptr, nullptr);
    city->SetString(CDDString(QStringLiteral("Springfield")));
    document.AddObject(city, 0, false);
    const std::unique_ptr<CAddressFormat> format = CAddressFormatController::sharedAddressFormatController()
        .formatWithTemplate(QStringLiteral("Name+Company"), QStringLiteral("us"), true, 1);
    document.AddObject(new CFTAAddressPanel(true, format.get(), defText, false), 0, false);
    document.AddObject(new CFTABarcode(20, 120), 0, false);
    auto *picture = new CFTPicture(CDDPicture(solidImage(Qt::green)));
    picture->SetOrigin(150, 10);
    picture->SetSize(40, 40);
    document.AddObject(picture, 0, false);
    auto *circle = new CFTBoxField(150, 60, 30, 30, nullptr);
    circle->setType(ctCircle);
    document.AddObject(circle, 0, false);
    document.AddObject(new CFTBoxField(190, 60, 30, 30, nullptr), 0, false);
    document.AddObject(new CFTSeparator(10, 100, 200, 2, nullptr), 0, false);
    document.AddObject(new CFTCounterField(200, 100, nullptr), 0, false);
    document.AddObject(new CFTFileField(200, 120, nullptr), 0, false);
}

const QList<int> kEveryKindClassIDs {3, 19, 10, 8, 9, 6, 1, 1, 2, 14, 15};

} // namespace

TEST(CFTADocumentArchiveTest, LayoutKeepsPositiveLengthsAndEnvelopeWindows)
{
    CFTADocument document;
    document.SetVSpace(-4);
    document.SetHasWindow(true);
    document.SetWinWindth(252);
    PWPlist layout = storedDocument(document).value(key_CustomLayout);
    EXPECT_FALSE(layout.toDictionary().contains(key_VSpace));
    EXPECT_FALSE(layout.toDictionary().contains(key_HasWindow)) << "labels have no window";

    document.setDocumentType(dtEnvelope);
    layout = storedDocument(document).value(key_CustomLayout);
    EXPECT_EQ(layout.value(key_HasWindow).toString(), QStringLiteral("YES"));
    EXPECT_FALSE(layout.toDictionary().contains(key_WindowHeight));
    document.SetHasWindow(false);
    const PWPlist stored = storedDocument(document);
    EXPECT_EQ(stored.value(key_CustomLayout).value(key_HasWindow).toString(), QStringLiteral("NO"));

    // Negative lengths read back as none.
    CFTADocument prepared;
    loadDocument(prepared, withEntries(stored, {{key_CustomLayout, withEntries(stored.value(key_CustomLayout),
                                                 {{key_TopMargin, str("-5.000")}, {key_HSpace, str("4.500")}})}}));
    EXPECT_EQ(QList<double>({prepared.GetTopMargin(), prepared.GetHSpace()}), QList<double>({0, 4.5}));
}

TEST(CFTADocumentArchiveTest, EveryKindSurvivesTwoRoundTrips)
{
    CFTADocument original(dtLabel, cs("us"), cs("us"));
    original.SetPredefinedLayout(true);
    original.SetColCount(3);
    original.SetCornerRadius(4.5);
    original.setFIMBarcodeVisible(true);
    original.setColor(CDDColor(0.9f, 0.8f, 0.7f, 1.0f));
    original.SetAddressTypeFrom(adOther);
    fillWithEveryKind(original);
    ASSERT_EQ(classIDs(original.GetComponents(0, false)), kEveryKindClassIDs);

    QString error;
    const std::optional<PWPlist> first = PWPlist::parse(storedDocument(original).toXml(), &error);
    ASSERT_TRUE(first) << error.toStdString();
    // Above 72: readers take the file for a current one and convert nothing.
    EXPECT_GT(first->value(key_BundleVersion).toString().toInt(), 72);
    CFTADocument copy;
    loadDocument(copy, *first);
    EXPECT_EQ(classIDs(copy.GetComponents(0, false)), kEveryKindClassIDs);
    EXPECT_EQ(*copy.getColor(), *original.getColor());
    EXPECT_EQ(copy.GetComponents(0, false)[0]->GetText()->getString(), QStringLiteral("Hello"));

    // Texts made in memory have not been measured yet, so the first save may size them differently
    // (the texts, the address text and the counter); a file field sizes itself anew at every
    // reading (10). Every other component and every document key is written the same at every save.
    const std::optional<PWPlist> second = PWPlist::parse(storedDocument(copy).toXml());
    ASSERT_TRUE(second);
    CFTADocument third;
    loadDocument(third, *second);
    const std::optional<PWPlist> thirdFile = PWPlist::parse(storedDocument(third).toXml());
    ASSERT_TRUE(thirdFile);
    const auto components = [](const PWPlist &file) { return file.value(key_FrontSide).value(key_Components).toArray(); };
    const PWPlist::Array a = components(*first), b = components(*second), c = components(*thirdFile);
    ASSERT_EQ(QList<qsizetype>({a.size(), b.size(), c.size()}), QList<qsizetype>(3, kEveryKindClassIDs.size()));
    for (qsizetype i = 0; i < a.size(); ++i) {
        EXPECT_TRUE(i == 10 || c[i].toXml() == b[i].toXml()) << "component " << i;
        EXPECT_TRUE(i < 3 || i > 8 || b[i].toXml() == a[i].toXml()) << "component " << i;
    }
    EXPECT_EQ(without(*second, {key_FrontSide}).toXml(), without(*first, {key_FrontSide}).toXml());
    EXPECT_EQ(without(*thirdFile, {key_FrontSide}).toXml(), without(*first, {key_FrontSide}).toXml());
}

TEST(CFTADocumentArchiveTest, AbsentKeysKeepOrReset)
{
    CFTADocument prepared(dtEnvelope, cs("de"), cs("fr"));
    prepared.setDocumentSizeX(684);
    prepared.SetPredefinedLayout(true);
    prepared.SetTopMargin(36);
    prepared.SetHasWindow(true);
    prepared.SetWinWindth(200);
    // An empty country code counts as absent.
    loadDocument(prepared, PWPlist(PWPlist::Dictionary {{key_BundleVersion, str("80")}, {key_ISOCountryCodeFrom, str("")}}));
    EXPECT_EQ(QStringList({QString::number(prepared.getCardSizeX()), QString::number(prepared.HasWindow()),
                           prepared.GetCountryCodeFrom().getData(), QString::number(prepared.IsPredefinedLayout()),
                           QString::number(prepared.GetTopMargin()), QString::number(prepared.GetWinWidth())}),
              QStringList({QStringLiteral("684"), QStringLiteral("1"), QStringLiteral("fr"), QStringLiteral("0"),
                           QStringLiteral("0"), QStringLiteral("0")}));
}

TEST(CFTADocumentArchiveTest, LabelsAndPostcardsHaveNoWindow)
{
    CFTADocument envelope(dtEnvelope, CDDString(), CDDString());
    envelope.SetHasWindow(true);
    envelope.SetWinWindth(252);
    envelope.SetWinHeight(108);
    envelope.SetWinBottomOffset(36);
    envelope.SetWinLeftOffset(20);
    const PWPlist stored = storedDocument(envelope);
    ASSERT_TRUE(stored.value(key_CustomLayout).toDictionary().contains(key_WindowWidth));
    CFTADocument prepared(dtEnvelope, CDDString(), CDDString());
    prepared.SetHasWindow(true);
    prepared.SetWinWindth(10);
    loadDocument(prepared, withEntries(stored, {{key_DocumentType, str("Label")}}));
    EXPECT_FALSE(prepared.HasWindow());
    EXPECT_EQ(QList<double>({prepared.GetWinWidth(), prepared.GetWinHeight(), prepared.GetWinBottomOffset(),
                             prepared.GetWinLeftOffset()}), QList<double>(4, 0.0));
    CFTADocument again;
    loadDocument(again, stored);
    EXPECT_TRUE(again.HasWindow());
    EXPECT_EQ(QList<double>({again.GetWinHeight(), again.GetWinLeftOffset()}), QList<double>({108, 20}));
}

struct BadValueCase
{
    const char *name;
    QString key;
    const char *value;
};

class CFTADocumentBadValueTest : public testing::TestWithParam<BadValueCase>
{
};

// Values that would divide by zero, index out of range or loop for nothing are refused.
TEST_P(CFTADocumentBadValueTest, IsRefused)
{
    const BadValueCase &bad = GetParam();
    CFTADocument saved;
    PWPlist stored = storedDocument(saved);
    if (bad.key == key_Columns || bad.key == key_Rows)
        stored = withEntries(stored, {{key_CustomLayout, withEntries(stored.value(key_CustomLayout), {{bad.key, str(bad.value)}})}});
    else
        stored = withEntries(stored, {{bad.key, str(bad.value)}});

    CFTADocument prepared;
    prepared.setDocumentSizeX(300);
    prepared.setDocumentSizeY(200);
    prepared.SetColCount(3);
    prepared.SetRowCount(7);
    prepared.SetAddressTypeTo(adWork);
    prepared.SetAddressTypeFrom(adHome);
    prepared.SetHorizontal(false, 0);
    loadDocument(prepared, stored);
    const auto k = [&](const QString &key, double kept, double read) { return bad.key == key ? kept : read; };
    EXPECT_EQ(QList<double>({prepared.getCardSizeX(), prepared.getCardSizeY(), double(prepared.GetColCount()),
                             double(prepared.GetRowCount()), double(prepared.addressTypeTo()),
                             double(prepared.addressTypeFrom()), double(prepared.IsHorizontal(0))}),
              QList<double>({k(key_CardWidth, 300, 252), k(key_CardHeight, 200, 144), k(key_Columns, 3, 2),
                             k(key_Rows, 7, 4), k(key_AddressSourceTo, adWork, adMain),
                             k(key_AddressSourceFrom, adHome, adMain), k(key_Horizontal, 0, 1)}));
}

INSTANTIATE_TEST_SUITE_P(, CFTADocumentBadValueTest,
                         testing::Values(BadValueCase {"ZeroWidth", key_CardWidth, "0"},
                                         BadValueCase {"NotANumberWidth", key_CardWidth, "nan"},
                                         BadValueCase {"HugeHeight", key_CardHeight, "1e30"},
                                         BadValueCase {"ZeroColumns", key_Columns, "0"},
                                         BadValueCase {"MillionRows", key_Rows, "1000000"},
                                         BadValueCase {"UnknownAddressTo", key_AddressSourceTo, "99"},
                                         BadValueCase {"NegativeAddressFrom", key_AddressSourceFrom, "-7"},
                                         BadValueCase {"HorizontalMaybe", key_Horizontal, "maybe"}),
                         [](const testing::TestParamInfo<BadValueCase> &info) { return info.param.name; });

TEST(CFTADocumentArchiveTest, BackgroundRoundTrip)
{
    CFTADocument document;
    auto *background = new CFTExtPicture(CDDPicture(solidImage(Qt::red)));
    background->SetSize(252, 144);
    background->SetDataPlacing(pmTiled);
    document.setBackground(background, 0);
    document.AddObject(new CFTBoxField(10, 10, 20, 20, nullptr), 0, false);
    const PWPlist stored = storedDocument(document);
    const PWPlist front = stored.value(key_FrontSide);
    EXPECT_EQ(QList<qsizetype>({front.value(key_BackComponents).toArray().size(), front.value(key_Components).toArray().size()}),
              QList<qsizetype>({1, 1}));

    CFTADocument copy;
    loadDocument(copy, stored);
    ASSERT_NE(copy.getBackground(0), nullptr);
    EXPECT_EQ(copy.getBackground(0)->GetDataPlacing(), pmTiled);
    EXPECT_EQ(classIDs(copy.GetComponents(0, false)), QList<int> {1});
    EXPECT_EQ(storedDocument(copy).toXml(), stored.toXml());
}

TEST(CFTADocumentArchiveTest, OldAndBackListTextsReadAsTheOldestForm)
{
    CFTADocument document;
    auto *textField = new CFTAText(10, 10, document.getDefText());
    textField->SetString(CDDString(QStringLiteral("Back")));
    document.AddObject(textField, 0, false);
    const PWPlist stored = storedDocument(document);
    // A file without a version counts as old.
    for (const auto &[version, classID] : {std::pair {"73", 3}, std::pair {"72", 10}, std::pair {"", 10}}) {
        CFTADocument copy;
        loadDocument(copy, *version ? withEntries(stored, {{key_BundleVersion, str(version)}}) : without(stored, {key_BundleVersion}));
        EXPECT_EQ(classIDs(copy.GetComponents(0, false)), QList<int> {classID}) << version;
    }

    // A plain text stored in the back list comes back as an address text, as files written
    // elsewhere expect; the same text among the components stays a text.
    PWPlist front = stored.value(key_FrontSide);
    PWPlist::Array backList {front.value(key_Components).toArray().first()};
    CFTExtPicture first(CDDPicture(solidImage(Qt::red)));
    CFTExtPicture second(CDDPicture(solidImage(Qt::blue)));
    backList.append(CFTACoreDoc::GetArchiveFromObject(&first, nullptr).getDict());
    backList.append(CFTACoreDoc::GetArchiveFromObject(&second, nullptr).getDict());
    CFTADocument copy;
    loadDocument(copy, withEntries(stored, {{key_FrontSide, withEntries(front, {{key_BackComponents, PWPlist(backList)}})}}));
    EXPECT_EQ(classIDs(copy.GetComponents(0, false)), QList<int> {3});
    // One background per side: the second one waits in the pool.
    EXPECT_EQ(classIDs(copy.GetComponents(0, true)), (QList<int> {10, 7}));
    EXPECT_EQ(copy.deletedPoolSize(), 1);
}

TEST(CFTADocumentArchiveTest, MalformedSectionsAreSkipped)
{
    CFTADocument prepared;
    prepared.SetColCount(5);
    loadDocument(prepared, PWPlist(PWPlist::Dictionary {{key_BundleVersion, str("80")},
                                                        {key_CustomLayout, str("not a dictionary")},
                                                        {key_DefaultSettings, str("nor this")},
                                                        {key_FrontSide, PWPlist(PWPlist::Array {str("x")})},
                                                        {key_PaperColor, str("red")}}));
    EXPECT_EQ(prepared.GetColCount(), 5);
    EXPECT_TRUE(prepared.GetComponents(0, false).empty());
    EXPECT_EQ(*prepared.getColor(), CDDColor(1.0f, 1.0f, 1.0f, 1.0f));
}
