#include "kernel/address/CFTAAddressPanel.h"

#include "AddressTestSupport.h"
#include "RefusedFiles.h"

#include "kernel/address/CFTAAddressPanelFiles.h"
#include "kernel/address/CFTABarcode.h"
#include "kernel/base/CDDArchiveKeys.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <memory>
#include <vector>

namespace {

using namespace addrtest;

std::vector<textCategory> categoriesInListOrder(const CFTAAddressPanel &panel)
{
    std::vector<textCategory> categories;
    for (unsigned int i = 0; i < panel.addressComponentCount(); ++i)
        categories.push_back(panel.addressComponentAtIndex(i)->GetTextCategory());
    return categories;
}

TEST(CFTAAddressPanelTest, TwoLeavesOfOneCategoryGetTwoFieldsFilledAlike)
{
    const auto format = handMadeFormat({{tcStreet, 0, 0}, {tcStreet, 1, 0}, {tcCity, 2, 0}});
    CFTAAddressPanel panel(true, format.get(), nullptr, false);
    fill(panel, tcStreet, u"Long Road"_s);
    QStringList texts;
    for (unsigned int i = 0; i < panel.addressComponentCount(); ++i)
        texts.append(panel.addressComponentAtIndex(i)->GetString().getData());
    EXPECT_EQ(texts, (QStringList {u"Long Road"_s, u"Long Road"_s, QString()}));
    panel.setFormat(format.get(), 1);
    EXPECT_EQ(panel.addressComponentCount(), 3u) << "applied again, the leaves pair with the same fields";
}

TEST(CFTAAddressPanelTest, NewFormatKeepsFieldTextsAndRenewsLabelsUnlessAskedNotTo)
{
    const auto us = catalogueFormat(u"us"_s);
    const auto uk = catalogueFormat(u"uk"_s);
    CFTAAddressPanel panel(true, us.get(), nullptr, false);
    fill(panel, tcCity, u"Leeds"_s);
    CFTAAddressText *const city = field(panel, tcCity);
    const QString usLabel = city->getLabel()->getString();
    std::unique_ptr<CAddressFormat> previous = panel.replaceFormat(uk.get(), CFTAAddressPanel::kApplyLeafModes);
    ASSERT_TRUE(previous);
    EXPECT_EQ(previous->name(tcAddress)->getData(), u"us"_s);
    EXPECT_EQ(city->GetString().getData(), u"Leeds"_s);
    EXPECT_EQ(city->getLabel()->getString(), uk->labelForKey(tcCity)->getData());
    EXPECT_NE(city->getLabel()->getString(), usLabel);
    panel.replaceFormat(us.get(), CFTAAddressPanel::kApplyLeafModes | CFTAAddressPanel::kKeepLabels);
    EXPECT_EQ(city->getLabel()->getString(), uk->labelForKey(tcCity)->getData());
    EXPECT_EQ(panel.addressComponentCount(), 8u);
}

TEST(CFTAAddressPanelTest, LeafModeAndTextApplyOnlyWithTheFirstFlag)
{
    std::unique_ptr<CAddressFormat> root = CAddressFormat::createRoot(tcRootFormat, CDDString(u"T"_s));
    root->addKey(tcCompany, 0, 0, CDDString(u"Co"_s), CDDString(u"ACME"_s), CDDString(), CDDString(), fmAlways, tcNone,
                 tcNone);
    CFTAAddressPanel plain(true, nullptr, nullptr, false);
    plain.setFormat(root.get(), 0);
    EXPECT_EQ(plain.getMode(tcCompany), fmWhenFilled);
    EXPECT_TRUE(field(plain, tcCompany)->GetString().isEmpty());
    CFTAAddressPanel applied(true, root.get(), nullptr, false);
    EXPECT_EQ(applied.getMode(tcCompany), fmAlways);
    EXPECT_EQ(text(applied, tcCompany), u"ACME"_s);
}

TEST(CFTAAddressPanelTest, FocusMovesToTheFirstFieldWhenItsCategoryLeavesTheFormat)
{
    const auto made = handMadePanel({{tcCompany, 0, 0}, {tcStreet, 1, 0}});
    CFTAAddressPanel &panel = *made;
    EXPECT_EQ(panel.GetTextCategory(), tcCompany);
    panel.setFormat(handMadeFormat({{tcCity, 0, 0}, {tcStreet, 1, 0}}).get(), 1);
    EXPECT_EQ(panel.GetTextCategory(), tcCity);
    EXPECT_NE(field(panel, tcCompany), nullptr) << "the company field stays although no leaf shows it";
    EXPECT_TRUE(panel.needsUpdate());
}

// A print copy fills one person after another: each gets the comma the design shows after the
// field, whatever the person before it was left with (a filter takes a comma off one person's
// city; the next person's city keeps the design's).
TEST(CFTAAddressPanelTest, AppendingKeepsTheDesignsSeparatingComma)
{
    const auto format = handMadeFormat({{tcCity, 0, 0}});
    struct Case
    {
        QString design;
        QString firstPerson;
        QString leftAs; // the first person's city as a filter left it
        QString nextPerson;
        QString next;
    };
    const Case cases[] = {
        {u"Paris,"_s, u"Lyon"_s, u"Lyon"_s, u"Nice"_s, u"Nice,"_s},
        {u"Paris, \t "_s, u"Lyon"_s, u"Lyon,"_s, u"Nice"_s, u"Nice,"_s},
        {u"Paris,"_s, u"Lyon,"_s, u"Lyon,"_s, u"Nice,"_s, u"Nice,"_s},
        {u"Paris"_s, u"Lyon"_s, u"Lyon,"_s, u"Nice"_s, u"Nice"_s},
        {u""_s, u"Lyon"_s, u"Lyon,"_s, u"Nice"_s, u"Nice"_s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.design.toStdString() + " / " + c.leftAs.toStdString());
        CFTAAddressPanel panel(true, format.get(), nullptr, false);
        CFTAAddressText *city = panel.getAddressComponentWithTextCategory(tcCity);
        ASSERT_TRUE(city);
        city->SetString(CDDString(c.design)); // as read from the design
        panel.SetString(true, tcCity, adWork, CDDString(c.firstPerson), tcNone, true);
        EXPECT_EQ(addrtest::text(panel, tcCity), c.design.contains(u',') ? u"Lyon,"_s : c.firstPerson);
        city->SetString(CDDString(c.leftAs));
        panel.SetString(true, tcCity, adWork, CDDString(c.nextPerson), tcNone, true);
        EXPECT_EQ(addrtest::text(panel, tcCity), c.next);
    }
}

TEST(CFTAAddressPanelTest, NamePartsChangeModeTogetherAndTheCountryTurnsVisibleOnlyFromHidden)
{
    const std::vector<textCategory> names {tcPrefix, tcFirstName, tcMiddleName, tcLastName, tcSuffix};
    const auto format = handMadeFormat({{tcPrefix, 0, 0}, {tcFirstName, 0, 1}, {tcMiddleName, 0, 2}, {tcLastName, 0, 3},
                                        {tcSuffix, 0, 4}, {tcCompany, 1, 0}, {tcStreet, 2, 0}});
    const std::pair<textCategory, std::vector<textCategory>> cases[] = {{tcLastName, names}, {tcCompany, {tcCompany}}};
    for (const auto &[changed, hidden] : cases) {
        CFTAAddressPanel panel(true, format.get(), nullptr, false);
        panel.setBatchMode(changed, fmNever);
        for (textCategory category : {tcPrefix, tcFirstName, tcMiddleName, tcLastName, tcSuffix, tcCompany, tcStreet}) {
            const bool off = std::find(hidden.begin(), hidden.end(), category) != hidden.end();
            EXPECT_EQ(panel.getMode(category), off ? fmNever : fmWhenFilled) << int(changed) << " " << int(category);
        }
    }
    CFTAAddressPanel panel(true, catalogueFormat(u"us"_s).get(), nullptr, false);
    panel.setMode(tcCountry, fmNever);
    panel.SwitchCountryFieldVisible();
    EXPECT_EQ(panel.getMode(tcCountry), fmWhenFilled);
    panel.setMode(tcCountry, fmAlways);
    panel.SwitchCountryFieldVisible();
    EXPECT_EQ(panel.getMode(tcCountry), fmAlways);
}

TEST(CFTAAddressPanelTest, CategoriesAreListedOnceFromTheLastFieldAndUngroupingChecksThePosition)
{
    const auto format = handMadeFormat({{tcStreet, 0, 0}, {tcCity, 1, 0}, {tcStreet, 2, 0}, {tcZIP, 3, 0}});
    CFTAAddressPanel panel(true, format.get(), nullptr, false);
    EXPECT_EQ(panel.GetContainTextCategories(nullptr, 0), 4);
    textCategory out[8] = {};
    ASSERT_EQ(panel.GetContainTextCategories(out, 8), 3);
    EXPECT_EQ(std::vector<textCategory>(out, out + 3), (std::vector<textCategory> {tcZIP, tcStreet, tcCity}));
    EXPECT_EQ(panel.GetContainTextCategories(out, 2), 2);
    for (int position : {4, -1, 500})
        EXPECT_EQ(panel.UngroupObjectWithCategory(textCategory(position)), nullptr) << position;
    std::unique_ptr<CFTComponent> taken(panel.UngroupObjectWithCategory(textCategory(1)));
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(taken->GetTextCategory(), tcCity);
    EXPECT_EQ(categoriesInListOrder(panel), (std::vector<textCategory> {tcStreet, tcStreet, tcZIP}));
}

TEST(CFTAAddressPanelTest, UngroupHandsOutTheShownFieldsAndEmptiesThePanel)
{
    CFTAAddressPanel panel(true, catalogueFormat(u"us"_s).get(), nullptr, false);
    panel.setMode(tcCompany, fmNever);
    fill(panel, tcStreet, u"1 Road"_s);
    std::vector<CFTComponent *> out;
    panel.Ungroup(out);
    std::vector<std::unique_ptr<CFTComponent>> owned(out.begin(), out.end());
    // Show-all is on while ungrouping: every field but the hidden company comes out.
    EXPECT_EQ(owned.size(), 7u);
    for (const auto &component : owned)
        EXPECT_NE(component->GetTextCategory(), tcCompany);
    EXPECT_EQ(panel.addressComponentCount(), 0u);
    EXPECT_EQ(panel.currentText(), nullptr);
    EXPECT_FALSE(panel.isShowAllFields());
}

TEST(CFTAAddressPanelTest, UngroupCanKeepTheHiddenFieldsAndTheyGoBackInOrder)
{
    CFTAAddressPanel panel(true, catalogueFormat(u"us"_s).get(), nullptr, false);
    panel.setMode(tcCompany, fmNever);
    std::vector<CFTAAddressText *> order;
    for (unsigned int i = 0; i < panel.addressComponentCount(); ++i)
        order.push_back(panel.addressComponentAtIndex(i));
    std::vector<CFTComponent *> shown;
    std::vector<CFTComponent *> hidden;
    panel.Ungroup(shown, &hidden);
    EXPECT_EQ(shown.size() + hidden.size(), order.size()) << "no field is lost";
    ASSERT_EQ(hidden.size(), 1u);
    EXPECT_EQ(hidden.front()->GetTextCategory(), tcCompany);
    EXPECT_EQ(panel.addressComponentCount(), 0u);
    for (CFTAAddressText *field : order)
        panel.appendAddressComponent(field);
    // A field already held is not taken twice.
    panel.appendAddressComponent(order.front());
    ASSERT_EQ(panel.addressComponentCount(), order.size());
    for (unsigned int i = 0; i < order.size(); ++i)
        EXPECT_EQ(panel.addressComponentAtIndex(i), order[i]) << i;
}

TEST(CFTAAddressPanelTest, GroupingAFieldReplacesTheOneOfItsCategory)
{
    CFTAAddressPanel panel(true, handMadeFormat({{tcStreet, 0, 0}, {tcCity, 1, 0}}).get(), nullptr, false);
    CFTAAddressText *const oldStreet = field(panel, tcStreet);
    auto *street = new CFTAAddressText(true, tcStreet, adWork, nullptr, nullptr);
    std::unique_ptr<CFTComponent> replaced(panel.GroupObject(street));
    EXPECT_EQ(replaced.get(), oldStreet);
    auto *email = new CFTAAddressText(true, tcEmail, adWork, nullptr, nullptr);
    EXPECT_EQ(panel.GroupObject(email), nullptr);
    CFTComponent shape;
    EXPECT_EQ(panel.GroupObject(&shape), nullptr) << "something that is not an address field is not taken";
    EXPECT_EQ(categoriesInListOrder(panel), (std::vector<textCategory> {tcStreet, tcCity, tcEmail}));
    EXPECT_EQ(panel.addressComponentAtIndex(0), street);
    EXPECT_EQ(panel.addressComponentAtIndex(2), email);
}

TEST(CFTAAddressPanelTest, FieldsOfAnOldFormatAreSavedToo)
{
    const auto panel = handMadePanel({{tcCompany, 0, 0}, {tcStreet, 1, 0}}, {{tcCompany, u"Kept Ltd"_s}});
    panel->setFormat(handMadeFormat({{tcStreet, 0, 0}}).get(), 1);
    const auto copy = roundTrip<CFTAAddressPanel>(*panel);
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(field(*copy, tcCompany), nullptr);
    EXPECT_EQ(text(*copy, tcCompany), u"Kept Ltd"_s);
    EXPECT_EQ(copy->GetTextCategory(), tcStreet);
}

TEST(CFTAAddressPanelTest, OldDocumentWithVisibleBarcodeGainsABarcodeField)
{
    CFTAAddressPanel panel(true, catalogueFormat(u"us"_s).get(), nullptr, false);
    fillFromPerson(panel, *makePerson(kUS));
    CDDArchive archive(true);
    panel.Serialize(archive, nullptr);
    archive.SetData(key_BundleVersion, 60);
    archive.SetData(key_BarcodeHidden, false);
    CDDArchive barcodeArchive(true);
    barcodeArchive.SetRectData(key_Bounds, 1.0, 2.0, 3.0, 4.0);
    barcodeArchive.SetData(key_BarcodeLocation, 1);
    archive.SetData(key_Barcode, barcodeArchive);
    archive.setStoring(false);
    archive.setBundleVersion(60);
    CFTAAddressPanel loaded;
    ASSERT_TRUE(loaded.Serialize(archive, nullptr));
    auto *barcode = dynamic_cast<CFTABarcode *>(field(loaded, tcBarcode));
    ASSERT_NE(barcode, nullptr);
    EXPECT_EQ(barcode->GetLocation(), int(blPanelRoomAbove));
    EXPECT_EQ((QStringList {barcode->zip().getData(), barcode->country().getData(), barcode->street().getData(),
                            text(loaded, tcCity)}),
              (QStringList {u"62704"_s, u"USA"_s, u"12 Main Street"_s, u"Springfield"_s}));
    // The same document with the barcode hidden gains nothing.
    archive.setStoring(true);
    archive.SetData(key_BarcodeHidden, true);
    archive.setStoring(false);
    CFTAAddressPanel hidden;
    hidden.Serialize(archive, nullptr);
    EXPECT_EQ(field(hidden, tcBarcode), nullptr);
}

TEST(CFTAAddressPanelTest, LoadingSkipsEntriesThatAreNotAddressFields)
{
    CDDArchive archive(true);
    CFTAAddressPanel panel(true, handMadeFormat({{tcCity, 0, 0}}).get(), nullptr, false);
    panel.Serialize(archive, nullptr);
    // A square among the fields, as a damaged file might hold.
    CDDArchive square(true);
    CFTComponent(1, 2, 3, 4).Serialize(square, nullptr);
    square.SetClassID(1);
    archive.BeginArrayData();
    archive.SetData(key_Components, square);
    archive.EndArrayData(key_Components);
    archive.setStoring(false);
    CFTAAddressPanel loaded;
    ASSERT_TRUE(loaded.Serialize(archive, nullptr));
    EXPECT_EQ(categoriesInListOrder(loaded), std::vector<textCategory> {tcCity});
}

// --- File helpers ----------------------------------------------------------------------------------

TEST(CFTAAddressPanelFilesTest, WriteAppendWithCarriageReturnAndReadBack)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(u"panel.txt"_s);
    ASSERT_EQ(writeFile(path, "old text", 8), 0);
    ASSERT_EQ(writeFile(path, "ab", 2), 0);
    ASSERT_EQ(appendFileWithCR(path, "cd", 2), 0);
    EXPECT_EQ(QFile::permissions(path) & 0x7777,
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    QByteArray contents;
    ASSERT_EQ(readFile(path, &contents), 0);
    EXPECT_EQ(contents, QByteArray("abcd\r"));
}

struct FileFailure
{
    const char *name;
    std::function<int(const QString &dir, QByteArray *contents)> call;
    int expected;
    const char *printed;
    bool reads = true;
};

class FileHelperFailure : public ::testing::TestWithParam<FileFailure>
{
};

TEST_P(FileHelperFailure, AnswersItsErrorNumber)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QByteArray contents("left from before");
    ::testing::internal::CaptureStdout();
    const int result = GetParam().call(dir.path(), &contents);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), GetParam().printed);
    EXPECT_EQ(result, GetParam().expected);
    EXPECT_TRUE(contents.isEmpty() || !GetParam().reads);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileHelperFailure,
    ::testing::Values(
        FileFailure {"ReadMissing", [](const QString &dir, QByteArray *out) { return readFile(dir + u"/none"_s, out); },
                     ENOENT, ""},
        FileFailure {"WriteIntoMissingFolder",
                     [](const QString &dir, QByteArray *) { return writeFile(dir + u"/none/file"_s, "a", 1); }, ENOENT,
                     "", false},
        // A device that takes nothing.
        FileFailure {"ShortWrite",
                     [](const QString &, QByteArray *) { return appendFileWithCR(u"/dev/full"_s, "a", 1); }, 5,
                     "writeFile: short write\n", false},
        // Neither a folder nor a file larger than any the panel reads is allocated for.
        FileFailure {"ReadFolder", [](const QString &dir, QByteArray *out) { return readFile(dir, out); }, -1, ""},
        // A pipe nobody writes to is refused at once, not waited on; an endless device is not read.
        FileFailure {"ReadFifo",
                     [](const QString &dir, QByteArray *out) {
                         const QString path = dir + u"/fifo"_s;
                         return pwtest::makeRefusedFile(pwtest::RefusedFile::Fifo, path, 0) ? readFile(path, out) : 0;
                     },
                     -1, ""},
        FileFailure {"ReadDevZero", [](const QString &, QByteArray *out) { return readFile(u"/dev/zero"_s, out); }, -1,
                     ""},
        FileFailure {"ReadHugeFile",
                     [](const QString &dir, QByteArray *out) {
                         QFile huge(dir + u"/huge"_s);
                         if (!huge.open(QIODevice::WriteOnly) || !huge.resize(kMaxReadFileSize + 1))
                             return 0;
                         huge.close();
                         return readFile(huge.fileName(), out);
                     },
                     12, ""}),
    [](const auto &info) { return std::string(info.param.name); });

// Recipient panel of the US format, whose city leaf carries the delimiter ",", City, State and
// ZIP sharing one row.
class PanelRulesTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_format = addrtest::catalogueFormat(u"us"_s);
        ASSERT_TRUE(m_format);
        ASSERT_EQ(m_format->getFormatWithKey(tcCity)->getDelimiter()->getData(), u","_s);
        m_panel = std::make_unique<CFTAAddressPanel>(true, m_format.get(), nullptr, false);
    }
    void fill(textCategory category, const QString &text) { addrtest::fill(*m_panel, category, text); }
    QString text(textCategory category) const { return addrtest::text(*m_panel, category); }
    std::unique_ptr<CAddressFormat> m_format;
    std::unique_ptr<CFTAAddressPanel> m_panel;
};

TEST_F(PanelRulesTest, DelimiterFollowsTheNextShownTextOfTheRow)
{
    // City, state, ZIP, state hidden, the city after the rule.
    const std::tuple<const char *, const char *, const char *, bool, const char *> cases[] = {
        {"Springfield", "IL", "", false, "Springfield,"},
        {"Springfield", "", "62704", false, "Springfield,"}, // an empty state passes the question on
        {"Springfield,", "", "", false, "Springfield"},
        {"Springfield,  ", "", "", false, "Springfield"}, // trailing blanks go with the delimiter
        {"Springfield,", "IL", "", true, "Springfield"},  // a hidden follower does not keep it
        {"", "IL", "", false, ""}};                       // an empty field never gets one
    for (const auto &[city, state, zip, stateHidden, expected] : cases) {
        SCOPED_TRACE(std::string(city) + "/" + state + "/" + zip);
        m_panel = std::make_unique<CFTAAddressPanel>(true, m_format.get(), nullptr, false);
        fill(tcCity, QLatin1String(city));
        fill(tcState, QLatin1String(state));
        fill(tcZIP, QLatin1String(zip));
        if (stateHidden)
            m_panel->setMode(tcState, fmNever);
        EXPECT_EQ(m_panel->updateFormatRules(), 0);
        EXPECT_EQ(text(tcCity), QLatin1String(expected));
        m_panel->updateFormatRules();
        EXPECT_EQ(text(tcCity), QLatin1String(expected)) << "applied again: no doubled comma";
    }
}

// What a city field gives back to its person after the rule has shown it: the person's text
// exactly, whether or not it ends in the delimiter itself; a text read from a file (not filled
// from a person) gives its text less the delimiter.
TEST_F(PanelRulesTest, FieldGivesItsPersonTheTextItWasFilledWith)
{
    const struct
    {
        const char *name;
        const char16_t *city;
        const char16_t *state;
        bool fromFile;
        const char16_t *shown;
        const char16_t *person;
    } cases[] = {
        {"followed", u"Portland", u"OR", false, u"Portland,", u"Portland"},
        {"followed, own comma", u"Portland,", u"OR", false, u"Portland,", u"Portland,"},
        {"alone, own comma", u"Portland,", u"", false, u"Portland", u"Portland,"},
        {"alone", u"Portland", u"", false, u"Portland", u"Portland"},
        {"from a file, followed", u"Portland,", u"OR", true, u"Portland,", u"Portland"},
        {"from a file, inner comma", u"Port,land", u"OR", true, u"Port,land,", u"Port,land"},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        m_panel = std::make_unique<CFTAAddressPanel>(true, m_format.get(), nullptr, false);
        CFTAAddressText *city = field(*m_panel, tcCity);
        if (row.fromFile)
            city->SetString(CDDString(QString::fromUtf16(row.city)));
        else
            fill(tcCity, QString::fromUtf16(row.city));
        fill(tcState, QString::fromUtf16(row.state));
        m_panel->updateFormatRules();
        EXPECT_EQ(text(tcCity), QString::fromUtf16(row.shown));
        EXPECT_EQ(city->personString(), QString::fromUtf16(row.person));
        m_panel->updateFormatRules();
        EXPECT_EQ(city->personString(), QString::fromUtf16(row.person)) << "applied again";
    }
}

TEST_F(PanelRulesTest, FieldBeingTypedIntoKeepsItsTextAndIsPunctuatedOnceLeft)
{
    fill(tcCity, u"Springfield"_s);
    fill(tcState, u"IL"_s);
    CFTAAddressText *city = m_panel->getAddressComponentWithTextCategory(tcCity);
    city->startEditText(nullptr, nullptr);
    // The format applied anew while typing goes on changes nothing under the editor either.
    m_panel->setFormat(m_format.get(), 1);
    m_panel->updateFormatRules();
    EXPECT_EQ(text(tcCity), u"Springfield"_s);
    city->endEditText(nullptr);
    m_panel->updateFormatRules();
    EXPECT_EQ(text(tcCity), u"Springfield,"_s);
    EXPECT_EQ(city->personString(), u"Springfield"_s);
}

// A city the user typed into the design keeps its punctuation only for that text: a person's city
// takes the format's comma where a state follows, in the window and in print alike, and an empty
// city never takes one.
TEST_F(PanelRulesTest, APersonsCityTakesTheFormatsCommaWhateverTheDesignTyped)
{
    const struct
    {
        const char *name;
        QString design;
        bool typed;
        // The cities of the persons printed before, in order.
        QStringList before;
        QString city;
        QString state;
        bool print;
        QString shown;
    } rows[] = {
        {"typed, the same text again", u"Spokane"_s, true, {}, u"Spokane"_s, u"WA"_s, false, u"Spokane"_s},
        {"typed, another person", u"Spokane"_s, true, {}, u"Seattle"_s, u"WA"_s, false, u"Seattle,"_s},
        {"typed, printed", u"Spokane"_s, true, {}, u"Seattle"_s, u"WA"_s, true, u"Seattle,"_s},
        {"typed, the same text printed", u"Spokane"_s, true, {}, u"Spokane"_s, u"WA"_s, true, u"Spokane"_s},
        {"the design's comma, printed", u"Spokane,"_s, false, {}, u"Seattle"_s, u"WA"_s, true, u"Seattle,"_s},
        {"no city, printed", u"Spokane,"_s, false, {}, u""_s, u"CA"_s, true, u""_s},
        {"no city, typed, printed", u"Spokane"_s, true, {}, u""_s, u"CA"_s, true, u""_s},
        {"no city", u"Spokane,"_s, false, {}, u""_s, u"CA"_s, false, u""_s},
        // A print copy serves other persons before the design's own comes round again.
        {"typed, the same text printed after others", u"Spokane"_s, true, {u"Seattle"_s, u"Tacoma"_s}, u"Spokane"_s,
         u"WA"_s, true, u"Spokane"_s},
        {"typed, another person printed after the same text", u"Spokane"_s, true, {u"Spokane"_s}, u"Seattle"_s,
         u"WA"_s, true, u"Seattle,"_s},
        {"the design's comma, printed after another", u"Spokane,"_s, false, {u"Seattle"_s}, u"Spokane"_s, u"WA"_s,
         true, u"Spokane,"_s},
        {"typed, no city printed before", u"Spokane"_s, true, {u""_s}, u"Spokane"_s, u"WA"_s, true, u"Spokane"_s},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        m_panel = std::make_unique<CFTAAddressPanel>(true, m_format.get(), nullptr, false);
        CFTAAddressText *city = m_panel->getAddressComponentWithTextCategory(tcCity);
        ASSERT_TRUE(city);
        city->SetString(CDDString(row.design));
        if (row.typed) {
            city->resetFormatRules(true);
            city->keepOwnStringAs(row.design);
        }
        for (const QString &other : row.before) {
            m_panel->SetString(true, tcCity, m_panel->GetAddressType(), CDDString(other), tcNone, row.print);
            m_panel->SetString(true, tcState, m_panel->GetAddressType(), CDDString(row.state), tcNone, row.print);
        }
        m_panel->SetString(true, tcCity, m_panel->GetAddressType(), CDDString(row.city), tcNone, row.print);
        m_panel->SetString(true, tcState, m_panel->GetAddressType(), CDDString(row.state), tcNone, row.print);
        if (!row.print)
            m_panel->updateFormatRules();
        EXPECT_EQ(text(tcCity), row.shown);
        if (row.before.isEmpty()) {
            EXPECT_EQ(city->isResetFormatRules(), row.typed && row.city == row.design);
        }
    }
}

TEST_F(PanelRulesTest, LayoutAppliesTheRuleButPrintingDoesNot)
{
    fill(tcCity, u"Springfield"_s);
    fill(tcState, u"IL"_s);
    m_panel->setPrintMode();
    m_panel->updateFormat();
    EXPECT_EQ(text(tcCity), u"Springfield"_s);
    m_panel->Draw(nullptr, false, nullptr, false, false);
    EXPECT_EQ(text(tcCity), u"Springfield,"_s);
}

TEST_F(PanelRulesTest, CommaRuleStripsCommasThatSeparateNothing)
{
    fill(tcStreet, u"12 Main Street,"_s);
    fill(tcCity, u"Springfield,"_s);
    fill(tcState, u"IL"_s);
    EXPECT_EQ(m_panel->updatePhoneticRules(true), 1);
    EXPECT_EQ(text(tcStreet), u"12 Main Street"_s);
    EXPECT_EQ(text(tcCity), u"Springfield,"_s);
    EXPECT_EQ(m_panel->updatePhoneticRules(true), 0);
    EXPECT_EQ(m_panel->updatePhoneticRules(false), 1);
    EXPECT_EQ(text(tcCity), u"Springfield"_s);
    EXPECT_EQ(m_panel->updatePhoneticRules(false), 0);
}

// The neighbours of a field within its row: City, State and ZIP share one, the street stands
// alone. Walking a copy of the format gives the same answers.
TEST_F(PanelRulesTest, NextAndPreviousFieldsAreFoundWithinTheRow)
{
    const auto at = [this](textCategory category) { return category == tcNone ? nullptr : field(*m_panel, category); };
    const std::unique_ptr<CAddressFormat> copy = m_panel->getFormat()->clone();
    // Field, same row only, the next field, the previous one.
    const std::tuple<textCategory, bool, textCategory, textCategory> cases[] = {
        {tcCity, true, tcState, tcNone}, {tcState, true, tcZIP, tcCity}, {tcZIP, true, tcNone, tcState},
        {tcStreet, true, tcNone, tcNone}, {tcCity, false, tcNone, tcStreet}, {tcStreet, false, tcNone, tcCompany}};
    for (const auto &[category, sameRow, next, previous] : cases) {
        for (CAddressFormat *walk : {static_cast<CAddressFormat *>(nullptr), copy.get()}) {
            EXPECT_EQ(m_panel->getAddressComponentNextToComponent(at(category), sameRow, walk), at(next)) << int(category) << " " << sameRow;
            EXPECT_EQ(m_panel->getAddressComponentPrevToComponent(at(category), sameRow, walk), at(previous)) << int(category) << " " << sameRow;
        }
    }
    EXPECT_EQ(m_panel->getAddressComponentPrevToComponent(nullptr, true, nullptr), nullptr);
}

// The panel's side, address type and address preference reach each of its fields, those of a
// format given afterwards too; while the panel's own type is unset, it is told from the fields.
TEST(CFTAAddressPanelTest, SideTypeAndPreferenceReachEveryField)
{
    const std::unique_ptr<CAddressFormat> us = catalogueFormat(u"us"_s), uk = catalogueFormat(u"uk"_s, true);
    CFTAAddressPanel panel(true, us.get(), nullptr, false);
    panel.SetToFrom(false);
    panel.SetAddressType(adHome);
    panel.SetPreferredAddress(false);
    const auto everyField = [&panel] {
        QStringList found;
        for (unsigned int i = 0; i < panel.addressComponentCount(); ++i) {
            const CFTAAddressText *field = panel.addressComponentAtIndex(i);
            found << u"%1 %2 %3"_s.arg(field->GetToFrom()).arg(int(field->GetAddressType())).arg(field->IsPreferredAddress());
        }
        return found;
    };
    const unsigned int before = panel.addressComponentCount();
    EXPECT_EQ(everyField(), QStringList(int(before), u"0 2 0"_s));
    panel.setFormat(uk.get(), 1);
    ASSERT_GT(panel.addressComponentCount(), before) << "the barcode is a field of its own";
    EXPECT_EQ(everyField(), QStringList(int(panel.addressComponentCount()), u"0 2 0"_s));
    panel.SetAddressType(addressType(-1));
    for (unsigned int i = 0; i < panel.addressComponentCount(); ++i)
        panel.addressComponentAtIndex(i)->SetAddressType(adOther);
    EXPECT_EQ(panel.GetAddressType(), adOther);
    field(panel, tcStreet)->SetAddressType(adWork);
    EXPECT_EQ(panel.GetAddressType(), addressType(-1));
}

TEST(CFTAAddressPanelRulesTest, RepeatedCategoryInARowEndsTheSearch)
{
    std::unique_ptr<CAddressFormat> root = CAddressFormat::createRoot(tcRootFormat, CDDString(u"T"_s));
    root->addKey(tcStreet, 0, 0, CDDString(), CDDString(), CDDString(u";"_s), CDDString(), fmUnset, tcNone, tcNone);
    root->addKey(tcStreet, 0, 1, CDDString(), CDDString(), CDDString(), CDDString(), fmUnset, tcNone, tcNone);
    root->addKey(tcCity, 1, 0, CDDString(), CDDString(), CDDString(u";"_s), CDDString(), fmUnset, tcNone, tcNone);
    CFTAAddressPanel panel(true, root.get(), nullptr, false);
    addrtest::fill(panel, tcCity, u"Town"_s);
    EXPECT_EQ(panel.updateFormatRules(), 0);
    EXPECT_EQ(addrtest::text(panel, tcCity), u"Town"_s);
}

} // namespace
