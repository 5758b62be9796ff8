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

QString text(const PWPlist &dictionary, const QString &key)
{
    return dictionary.value(key).toString();
}

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
    const std::unique_ptr<CAddressFormat> format =
        CAddressFormatController::sharedAddressFormatController().formatWithTemplate(QStringLiteral("Name+Company"),
                                                                                     QStringLiteral("us"), true, 1);
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

TEST(CFTADocumentArchiveTest, TopLevelValuesAreWrittenInTheFileForm)
{
    CFTADocument document(dtLabel, cs("us"), cs("ca"));
    document.SetAddressTypeTo(adHome);
    const PWPlist stored = storedDocument(document);
    // Above 72: readers take the file for a current one and convert nothing.
    EXPECT_GT(text(stored, key_BundleVersion).toInt(), 72);
    const QList<std::pair<QString, const char *>> written {{key_DocumentType, "Label"},
                                                           {key_ISOCountryCodeFrom, "ca"},
                                                           {key_AddressSourceTo, "2"},
                                                           {key_AddressSourceFrom, "0"},
                                                           {key_CardWidth, "252.000"},
                                                           {key_Horizontal, "YES"},
                                                           {key_Units, "1"},
                                                           {key_FIMBarcodeVisible, "NO"}};
    for (const auto &[key, value] : written)
        EXPECT_EQ(text(stored, key), QString::fromLatin1(value)) << key.toStdString();
    EXPECT_TRUE(stored.value(key_PaperColor).isData());
    // An empty design keeps its side, with nothing in it.
    EXPECT_TRUE(stored.value(key_FrontSide).isDictionary());
    EXPECT_TRUE(stored.value(key_FrontSide).toDictionary().isEmpty());

    document.SetPredefinedLayout(true);
    EXPECT_TRUE(storedDocument(document).value(key_PredefinedLayout).isDictionary());
    EXPECT_TRUE(storedDocument(document).value(key_CustomLayout).isNull());

    // Empty country codes are still written.
    CFTADocument empty;
    EXPECT_TRUE(storedDocument(empty).value(key_ISOCountryCodeTo).isString());
}

TEST(CFTADocumentArchiveTest, LayoutKeepsOnlyPositiveLengthsAndEnvelopeWindows)
{
    CFTADocument document;
    document.SetManufacturer(CDDString(QStringLiteral("Avery")));
    document.SetID(CDDString(QStringLiteral("05960")));
    document.SetColCount(3);
    document.SetRowCount(10);
    document.SetTopMargin(36);
    document.SetLeftMargin(13.5);
    document.SetHSpace(9);
    document.SetVSpace(-4);
    document.SetHasWindow(true);
    document.SetWinWindth(252);
    document.SetDYMOPaperWidth(1.25);

    PWPlist layout = storedDocument(document).value(key_CustomLayout);
    EXPECT_FALSE(layout.toDictionary().contains(key_VSpace));
    EXPECT_FALSE(layout.toDictionary().contains(key_HasWindow)) << "labels have no window";
    EXPECT_EQ(text(layout, key_Manufacturer), QStringLiteral("Avery"));
    EXPECT_EQ(text(layout, key_Columns), QStringLiteral("3"));
    EXPECT_EQ(text(layout, key_LeftMargin), QStringLiteral("13.500"));
    EXPECT_EQ(text(layout, key_DYMOPaperWidth), QStringLiteral("1.250"));

    document.setDocumentType(dtEnvelope);
    document.SetWinBottomOffset(36);
    layout = storedDocument(document).value(key_CustomLayout);
    EXPECT_EQ(text(layout, key_HasWindow), QStringLiteral("YES"));
    EXPECT_FALSE(layout.toDictionary().contains(key_WindowHeight));

    // Without a window the flag is written all the same.
    document.SetHasWindow(false);
    const PWPlist stored = storedDocument(document);
    EXPECT_EQ(text(stored.value(key_CustomLayout), key_HasWindow), QStringLiteral("NO"));

    // Negative lengths read back as none.
    CFTADocument prepared;
    loadDocument(prepared,
                 withEntries(stored,
                             {{key_CustomLayout,
                               withEntries(stored.value(key_CustomLayout),
                                           {{key_TopMargin, str("-5.000")}, {key_HSpace, str("4.500")}})}}));
    EXPECT_DOUBLE_EQ(prepared.GetTopMargin(), 0);
    EXPECT_DOUBLE_EQ(prepared.GetHSpace(), 4.5);
}

TEST(CFTADocumentArchiveTest, EveryKindOfComponentSurvivesTwoRoundTripsUnchanged)
{
    CFTADocument original(dtLabel, cs("us"), cs("us"));
    original.SetPredefinedLayout(true);
    original.SetManufacturer(CDDString(QStringLiteral("Avery")));
    original.SetColCount(3);
    original.SetCornerRadius(4.5);
    original.setFIMBarcodeVisible(true);
    original.setColor(CDDColor(0.9f, 0.8f, 0.7f, 1.0f));
    original.SetAddressTypeTo(adHome);
    original.SetAddressTypeFrom(adOther);
    fillWithEveryKind(original);
    ASSERT_EQ(classIDs(original.GetComponents(0, false)), kEveryKindClassIDs);

    const QByteArray first = storedDocument(original).toXml();
    QString error;
    const std::optional<PWPlist> parsed = PWPlist::parse(first, &error);
    ASSERT_TRUE(parsed) << error.toStdString();

    CFTADocument copy;
    loadDocument(copy, *parsed);
    EXPECT_EQ(classIDs(copy.GetComponents(0, false)), kEveryKindClassIDs);
    EXPECT_EQ(*copy.getColor(), *original.getColor());
    const CDDText *loadedText = copy.GetComponents(0, false)[0]->GetText();
    ASSERT_NE(loadedText, nullptr);
    EXPECT_EQ(loadedText->getString(), QStringLiteral("Hello"));

    // Texts made in memory have not been measured yet, so the first save may size them differently
    // (the texts, the address text and the counter); a file field sizes itself anew at every
    // reading (10). Every other component and every document key is written the same at every save.
    const QByteArray second = storedDocument(copy).toXml();
    CFTADocument third;
    loadDocument(third, *PWPlist::parse(second));
    const std::optional<PWPlist> secondFile = PWPlist::parse(second);
    const std::optional<PWPlist> thirdFile = PWPlist::parse(storedDocument(third).toXml());
    ASSERT_TRUE(secondFile && thirdFile);
    const auto componentsOf = [](const PWPlist &file) {
        return file.value(key_FrontSide).value(key_Components).toArray();
    };
    const PWPlist::Array firstComponents = componentsOf(*parsed);
    const PWPlist::Array secondComponents = componentsOf(*secondFile);
    const PWPlist::Array thirdComponents = componentsOf(*thirdFile);
    ASSERT_EQ(firstComponents.size(), kEveryKindClassIDs.size());
    ASSERT_EQ(secondComponents.size(), kEveryKindClassIDs.size());
    ASSERT_EQ(thirdComponents.size(), kEveryKindClassIDs.size());
    for (qsizetype i = 0; i < firstComponents.size(); ++i) {
        if (i != 10) {
            EXPECT_EQ(thirdComponents[i].toXml(), secondComponents[i].toXml()) << "component " << i;
        }
        if (i >= 3 && i <= 8) {
            EXPECT_EQ(secondComponents[i].toXml(), firstComponents[i].toXml()) << "component " << i;
        }
    }
    EXPECT_EQ(without(*secondFile, {key_FrontSide}).toXml(), without(*parsed, {key_FrontSide}).toXml());
    EXPECT_EQ(without(*thirdFile, {key_FrontSide}).toXml(), without(*parsed, {key_FrontSide}).toXml());
}

TEST(CFTADocumentArchiveTest, AbsentKeysKeepThePreparedValuesOrReset)
{
    CFTADocument prepared(dtEnvelope, cs("de"), cs("fr"));
    prepared.setDocumentSizeX(684);
    prepared.setUnits(cuMillimeters);
    prepared.setFIMBarcodeVisible(true);
    prepared.SetPredefinedLayout(true);
    prepared.SetRowCount(10);
    prepared.SetManufacturer(CDDString(QStringLiteral("Avery")));
    prepared.SetCornerRadius(7);
    prepared.SetTopMargin(36);
    prepared.SetHasWindow(true);
    prepared.SetWinWindth(200);
    prepared.SetDYMOOffsetX(3);
    prepared.SetHorizontal(false, 0);
    prepared.SetAddressTypeTo(adHome);

    // An empty country code counts as absent.
    loadDocument(prepared,
                 PWPlist(PWPlist::Dictionary {{key_BundleVersion, str("80")}, {key_ISOCountryCodeFrom, str("")}}));

    // Kept:
    EXPECT_EQ(prepared.getDocumentType(), dtEnvelope);
    EXPECT_DOUBLE_EQ(prepared.getCardSizeX(), 684);
    EXPECT_EQ(prepared.getUnits(), cuMillimeters);
    EXPECT_TRUE(prepared.isFIMBarcodeVisible());
    EXPECT_FALSE(prepared.IsHorizontal(0));
    EXPECT_EQ(prepared.GetRowCount(), 10);
    EXPECT_TRUE(prepared.HasWindow());
    EXPECT_EQ(prepared.GetCountryCodeTo().getData(), QStringLiteral("de"));
    EXPECT_EQ(prepared.GetCountryCodeFrom().getData(), QStringLiteral("fr"));
    EXPECT_EQ(prepared.addressTypeTo(), adHome);
    EXPECT_DOUBLE_EQ(prepared.GetWinCornerRadius(), 8.503937007874017);
    // Reset:
    EXPECT_FALSE(prepared.IsPredefinedLayout());
    EXPECT_TRUE(prepared.GetManufacturer().getData().isEmpty());
    EXPECT_DOUBLE_EQ(prepared.GetCornerRadius(), 0);
    EXPECT_DOUBLE_EQ(prepared.GetTopMargin(), 0);
    EXPECT_DOUBLE_EQ(prepared.GetWinWidth(), 0);
    EXPECT_DOUBLE_EQ(prepared.GetDYMOOffsetX(), 0);
    EXPECT_TRUE(prepared.GetComponents(0, false).empty());
}

TEST(CFTADocumentArchiveTest, LabelsAndPostcardsReadBackWithoutAWindow)
{
    for (const documentType type : {dtLabel, dtPostcard}) {
        CFTADocument envelope(dtEnvelope, CDDString(), CDDString());
        envelope.SetHasWindow(true);
        envelope.SetWinWindth(252);
        envelope.SetWinHeight(108);
        envelope.SetWinBottomOffset(36);
        envelope.SetWinLeftOffset(20);
        PWPlist stored = storedDocument(envelope);
        ASSERT_TRUE(stored.value(key_CustomLayout).toDictionary().contains(key_WindowWidth));
        stored = withEntries(stored, {{key_DocumentType, str(type == dtLabel ? "Label" : "Postcard")}});

        CFTADocument prepared(dtEnvelope, CDDString(), CDDString());
        prepared.SetHasWindow(true);
        prepared.SetWinWindth(10);
        loadDocument(prepared, stored);
        EXPECT_EQ(prepared.getDocumentType(), type);
        EXPECT_FALSE(prepared.HasWindow());
        EXPECT_DOUBLE_EQ(prepared.GetWinWidth(), 0);
        EXPECT_DOUBLE_EQ(prepared.GetWinHeight(), 0);
        EXPECT_DOUBLE_EQ(prepared.GetWinBottomOffset(), 0);
        EXPECT_DOUBLE_EQ(prepared.GetWinLeftOffset(), 0);

        stored = withEntries(stored, {{key_DocumentType, str("Envelope")}});
        CFTADocument again;
        loadDocument(again, stored);
        EXPECT_TRUE(again.HasWindow());
        EXPECT_DOUBLE_EQ(again.GetWinHeight(), 108);
        EXPECT_DOUBLE_EQ(again.GetWinLeftOffset(), 20);
    }
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
TEST_P(CFTADocumentBadValueTest, IsRefusedAndTheValueKept)
{
    CFTADocument saved;
    PWPlist stored = storedDocument(saved);
    const BadValueCase &bad = GetParam();
    if (bad.key == key_Columns || bad.key == key_Rows) {
        stored = withEntries(
            stored, {{key_CustomLayout, withEntries(stored.value(key_CustomLayout), {{bad.key, str(bad.value)}})}});
    } else {
        stored = withEntries(stored, {{bad.key, str(bad.value)}});
    }

    CFTADocument prepared;
    prepared.setDocumentSizeX(300);
    prepared.setDocumentSizeY(200);
    prepared.SetColCount(3);
    prepared.SetRowCount(7);
    prepared.SetAddressTypeTo(adWork);
    prepared.SetAddressTypeFrom(adHome);
    prepared.SetHorizontal(false, 0);
    loadDocument(prepared, stored);
    EXPECT_DOUBLE_EQ(prepared.getCardSizeX(), bad.key == key_CardWidth ? 300 : 252);
    EXPECT_DOUBLE_EQ(prepared.getCardSizeY(), bad.key == key_CardHeight ? 200 : 144);
    EXPECT_EQ(prepared.GetColCount(), bad.key == key_Columns ? 3 : 2);
    EXPECT_EQ(prepared.GetRowCount(), bad.key == key_Rows ? 7 : 4);
    EXPECT_EQ(prepared.addressTypeTo(), bad.key == key_AddressSourceTo ? adWork : adMain);
    EXPECT_EQ(prepared.addressTypeFrom(), bad.key == key_AddressSourceFrom ? adHome : adMain);
    EXPECT_EQ(prepared.IsHorizontal(0), bad.key != key_Horizontal);
}

INSTANTIATE_TEST_SUITE_P(, CFTADocumentBadValueTest,
                         testing::Values(BadValueCase {"ZeroWidth", key_CardWidth, "0"},
                                         BadValueCase {"NegativeHeight", key_CardHeight, "-144"},
                                         BadValueCase {"NotANumberWidth", key_CardWidth, "nan"},
                                         BadValueCase {"HugeHeight", key_CardHeight, "1e30"},
                                         BadValueCase {"ZeroColumns", key_Columns, "0"},
                                         BadValueCase {"NegativeRows", key_Rows, "-2"},
                                         BadValueCase {"MillionRows", key_Rows, "1000000"},
                                         BadValueCase {"UnknownAddressTo", key_AddressSourceTo, "99"},
                                         BadValueCase {"NegativeAddressFrom", key_AddressSourceFrom, "-7"},
                                         BadValueCase {"HorizontalNeitherYesNorNo", key_Horizontal, "maybe"}),
                         [](const testing::TestParamInfo<BadValueCase> &info) { return info.param.name; });

TEST(CFTADocumentArchiveTest, BackgroundIsSavedWithTheSideAndReadBack)
{
    CFTADocument document;
    auto *background = new CFTExtPicture(CDDPicture(solidImage(Qt::red)));
    background->SetOrigin(0, 0);
    background->SetSize(252, 144);
    background->SetDataPlacing(pmTiled);
    document.setBackground(background, 0);
    document.AddObject(new CFTBoxField(10, 10, 20, 20, nullptr), 0, false);

    const PWPlist stored = storedDocument(document);
    const PWPlist front = stored.value(key_FrontSide);
    EXPECT_EQ(keysOf(front), (QStringList {QStringLiteral("Components"), QStringLiteral("Back Components")}));
    ASSERT_EQ(front.value(key_BackComponents).toArray().size(), 1);
    EXPECT_EQ(front.value(key_Components).toArray().size(), 1);

    CFTADocument copy;
    loadDocument(copy, stored);
    CFTExtPicture *loaded = copy.getBackground(0);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetDataPlacing(), pmTiled);
    EXPECT_DOUBLE_EQ(loaded->GetSizeX(), 252);
    EXPECT_EQ(classIDs(copy.GetComponents(0, false)), QList<int> {1});
    EXPECT_EQ(storedDocument(copy).toXml(), stored.toXml());
}

TEST(CFTADocumentArchiveTest, TextsOfOldFilesAndOfTheBackListAreReadAsTheOldestForm)
{
    CFTADocument document;
    auto *textField = new CFTAText(10, 10, document.getDefText());
    textField->SetString(CDDString(QStringLiteral("Back")));
    document.AddObject(textField, 0, false);
    const PWPlist stored = storedDocument(document);

    // A file without a version counts as old.
    for (const auto &[version, classID] : {std::pair {"73", 3}, std::pair {"72", 10}, std::pair {"", 10}}) {
        CFTADocument copy;
        const QString number = QString::fromLatin1(version);
        loadDocument(copy,
                     number.isEmpty() ? without(stored, {key_BundleVersion})
                                      : withEntries(stored, {{key_BundleVersion, str(number)}}));
        EXPECT_EQ(classIDs(copy.GetComponents(0, false)), QList<int> {classID}) << version;
    }

    // A plain text stored in the back list comes back as an address text, as files written
    // elsewhere expect; the same text among the components stays a text.
    PWPlist front = stored.value(key_FrontSide);
    PWPlist::Array twoBackgrounds {front.value(key_Components).toArray().first()};
    CFTExtPicture first(CDDPicture(solidImage(Qt::red)));
    CFTExtPicture second(CDDPicture(solidImage(Qt::blue)));
    twoBackgrounds.append(CFTACoreDoc::GetArchiveFromObject(&first, nullptr).getDict());
    twoBackgrounds.append(CFTACoreDoc::GetArchiveFromObject(&second, nullptr).getDict());
    front = withEntries(front, {{key_BackComponents, PWPlist(twoBackgrounds)}});

    CFTADocument copy;
    loadDocument(copy, withEntries(stored, {{key_FrontSide, front}}));
    EXPECT_EQ(classIDs(copy.GetComponents(0, false)), QList<int> {3});
    // One background per side: the second one waits in the pool.
    EXPECT_EQ(classIDs(copy.GetComponents(0, true)), (QList<int> {10, 7}));
    EXPECT_EQ(copy.deletedPoolSize(), 1);
}

TEST(CFTADocumentArchiveTest, MalformedSectionsAreSkipped)
{
    CFTADocument prepared;
    prepared.SetColCount(5);
    const PWPlist file(PWPlist::Dictionary {{key_BundleVersion, str("80")},
                                            {key_CustomLayout, str("not a dictionary")},
                                            {key_DefaultSettings, str("nor this")},
                                            {key_FrontSide, PWPlist(PWPlist::Array {str("x")})},
                                            {key_PaperColor, str("red")}});
    loadDocument(prepared, file);
    EXPECT_EQ(prepared.GetColCount(), 5);
    EXPECT_TRUE(prepared.GetComponents(0, false).empty());
    EXPECT_EQ(*prepared.getColor(), CDDColor(1.0f, 1.0f, 1.0f, 1.0f));
}
