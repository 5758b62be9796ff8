#include "kernel/address/CAddressFormatController.h"

#include "AddressTestSupport.h"

#include "platform/PWBundle.h"
#include "platform/PWUserDefaults.h"

#include <QTemporaryDir>

namespace {

using addrtest::dumpRows;

const QString kNameCompany = u"Name+Company"_s;
const QStringList kName = {u"First Name | Last Name"_s, u"Company"_s};
const QStringList kUSRows = {u"Street"_s, u"City, | State | ZIP"_s, u"Country"_s};

CAddressFormatController &catalogue()
{
    return CAddressFormatController::sharedAddressFormatController();
}

TEST(CAddressFormatControllerTest, DefaultTemplateForACountry)
{
    ASSERT_TRUE(catalogue().isLoaded()) << catalogue().loadError().toStdString();
    const QStringList de = {u"Street"_s, u"ZIP | City"_s, u"State"_s, u"Country"_s};
    const QStringList uk = {u"Street"_s, u"City"_s, u"State"_s, u"ZIP"_s, u"Country"_s};
    const QStringList ca = {u"Street"_s, u"City | State | ZIP"_s, u"Country"_s};
    const QStringList barcode = {u"Barcode"_s};
    // Country, barcode location (2: elsewhere, which gives none), rows; Germany has no postal barcode.
    const std::tuple<QString, int, QStringList> cases[] = {{u"us"_s, 0, barcode + kName + kUSRows},
                                                           {u"us"_s, 1, kName + kUSRows + barcode},
                                                           {u"us"_s, 2, kName + kUSRows},
                                                           {u"de"_s, 0, kName + de},
                                                           {u"uk"_s, 2, kName + uk},
                                                           {u"ca"_s, 2, kName + ca}};
    for (const auto &[country, location, rows] : cases) {
        std::unique_ptr<CAddressFormat> format = catalogue().formatWithTemplate(kNameCompany, country, true, location);
        ASSERT_TRUE(format);
        EXPECT_EQ(dumpRows(*format), rows) << location;
        if (rows.contains(u"Barcode"_s)) {
            EXPECT_EQ(format->getFormatWithKey(tcBarcode)->getMode(), fmWhenFilled);
        }
    }
}

TEST(CAddressFormatControllerTest, WithoutTemplateTheCountryPartAloneAndWithoutEitherNothing)
{
    std::unique_ptr<CAddressFormat> country = catalogue().formatWithTemplate(QString(), u"us"_s, true, 0);
    ASSERT_TRUE(country);
    EXPECT_EQ(dumpRows(*country), kUSRows) << "no barcode either";
    EXPECT_TRUE(catalogue().formatWithTemplate(u"No Such Template"_s, u"uk"_s, true, 0));
    EXPECT_FALSE(catalogue().formatWithTemplate(u"No Such Template"_s, u"zz"_s, false, 0));
    // A template without a known country: its "Address" field stays a plain field.
    std::unique_ptr<CAddressFormat> bare = catalogue().formatWithTemplate(kNameCompany, u"zz"_s, true, 0);
    ASSERT_TRUE(bare);
    EXPECT_EQ(dumpRows(*bare), kName + QStringList {u"104"_s});
}

TEST(CAddressFormatControllerTest, TheLinearTemplatePutsTheCountryPartOnOneRow)
{
    std::unique_ptr<CAddressFormat> format =
        catalogue().formatWithTemplate(u"Name+Company, One-Line Address"_s, u"us"_s, false, 0);
    ASSERT_TRUE(format);
    EXPECT_TRUE(format->getFormatWithKey(tcAddress)->isLinearFormat());
}

// A country's own field labels, else the category's; and a template built for a country
// carries them.
TEST(CAddressFormatControllerTest, FieldLabelsFollowTheCountry)
{
    // Country (empty: none), category, label.
    const std::tuple<const char *, textCategory, const char *> cases[] = {
        {"uk", tcZIP, "Postcode"}, {"uk", tcCity, "Town"}, {"uk", tcState, "County"}, {"ca", tcState, "Province"},
        {"ca", tcZIP, "Postal Code"}, {"jp", tcState, "Prefecture"}, {"au", tcZIP, "Postcode"}, {"us", tcZIP, "ZIP"},
        {"uk", tcFirstName, "First Name"}, {"", tcZIP, "ZIP"}, {"", tcState, "State"}};
    for (const auto &[country, category, label] : cases) {
        const std::optional<PWPlist::Dictionary> descriptor = catalogue().formatDescriptorForCountryCode(QLatin1String(country));
        EXPECT_EQ(descriptor.has_value(), *country != 0) << country;
        EXPECT_EQ(catalogue().labelForTextCategory(category, descriptor ? &*descriptor : nullptr), QLatin1String(label))
            << country << " " << int(category);
        if (descriptor && category != tcFirstName) {
            const std::unique_ptr<CAddressFormat> format = catalogue().formatWithTemplate(kNameCompany, QLatin1String(country), false, 0);
            ASSERT_TRUE(format && format->labelForKey(category)) << country;
            EXPECT_EQ(format->labelForKey(category)->getData(), QLatin1String(label)) << country << " " << int(category);
        }
    }
    EXPECT_FALSE(catalogue().formatDescriptorForCountryCode(u"zz"_s));
    QHash<QString, QString> countries;
    catalogue().getCountryList(countries);
    EXPECT_EQ(std::pair(countries.size(), countries.value(u"uk"_s)), std::pair(qsizetype(249), u"United Kingdom"_s));
}

// Counters and file data never go into an address format; the postal barcode only into a
// template's format of a country that has one (by its lower-case code).
TEST(CAddressFormatControllerTest, CategoriesAFormatAllows)
{
    // Category, template (empty: none), country, allowed.
    const std::tuple<textCategory, QString, const char *, bool> cases[] = {
        {tcCounter, kNameCompany, "us", false}, {tcFileData, kNameCompany, "us", false}, {tcNone, kNameCompany, "us", false},
        {tcBarcode, kNameCompany, "us", true}, {tcBarcode, kNameCompany, "ca", true}, {tcBarcode, kNameCompany, "uk", true},
        {tcBarcode, kNameCompany, "UK", false}, {tcBarcode, QString(), "us", false}, {tcBarcode, kNameCompany, "de", false},
        {tcNote, QString(), "", true}, {tcStreet, kNameCompany, "de", true}};
    for (const auto &[category, templateName, country, allowed] : cases)
        EXPECT_EQ(catalogue().allowCategory(category, templateName, QLatin1String(country)), allowed)
            << int(category) << " " << templateName.toStdString() << " " << country;
}

TEST(CAddressFormatControllerTest, TheCountryMenuIsSortedByNameIgnoringCase)
{
    CAddressFormatMenu menu;
    catalogue().fillCountryMenu(menu);
    QHash<QString, QString> names;
    catalogue().getCountryList(names);
    ASSERT_EQ(menu.size(), names.size());
    for (qsizetype i = 1; i < menu.size(); ++i)
        EXPECT_LE(compareCountryNames(menu.at(i - 1).representedObject.toString(),
                                      menu.at(i).representedObject.toString(), names), 0);
    const QHash<QString, QString> pair = {{u"a"_s, u"Alpha"_s}, {u"b"_s, u"beta"_s}, {u"c"_s, u"ALPHA"_s}};
    EXPECT_LT(compareCountryNames(u"a"_s, u"b"_s, pair), 0);
    EXPECT_EQ(compareCountryNames(u"a"_s, u"c"_s, pair), 0);
}

// A catalogue on a bundle and user defaults of the test's own making.
class CAddressFormatOwnBundleTest : public testing::Test
{
protected:
    void write(const QString &name, const QByteArray &bytes)
    {
        ASSERT_TRUE(pwtest::writeFile(m_folder.filePath(name), bytes));
    }
    void writePlist(const QString &name, const PWPlist &value) { write(name, value.toXml()); }
    void writeCountries()
    {
        const PWPlist::Dictionary fields = {{u"Street"_s, entry(0, 0)}, {u"Other"_s, entry(0, 0)}};
        writePlist(u"AddressFormat.xml"_s, PWPlist(PWPlist::Dictionary {{u"us"_s, PWPlist(fields)}}));
    }
    // A field description: its place and the given entries.
    static PWPlist entry(int row, int column, PWPlist::Dictionary more = {})
    {
        more.insert(u"Row"_s, PWPlist::fromInteger(row));
        more.insert(u"Column"_s, PWPlist::fromInteger(column));
        return PWPlist(more);
    }
    static PWPlist named(const QString &name, int row, int column, PWPlist::Dictionary more = {})
    {
        more.insert(u"Name"_s, PWPlist::fromString(name));
        return entry(row, column, more);
    }
    QTemporaryDir m_folder;
    PWUserDefaults m_defaults {m_folder.filePath(u"defaults.plist"_s)};
};

TEST_F(CAddressFormatOwnBundleTest, MissingOrWrongResourcesAreAStartUpErrorNotACrash)
{
    {
        CAddressFormatController empty(PWBundle(m_folder.path()), m_defaults);
        EXPECT_EQ(empty.loadError(), u"AddressFormat.xml not found"_s);
        EXPECT_FALSE(empty.formatWithTemplate(kNameCompany, u"us"_s, true, 0));
    }
    writeCountries();
    write(u"TemplateFormat.xml"_s, "<plist><dict></dict></plist>"); // not an array
    CAddressFormatController noTemplates(PWBundle(m_folder.path()), m_defaults);
    EXPECT_EQ(noTemplates.loadError(), u"TemplateFormat.xml not found"_s);
    EXPECT_FALSE(noTemplates.formatWithTemplate(QString(), u"us"_s, false, 0));
    CAddressFormatMenu menu;
    noTemplates.fillCountryMenu(menu);
    EXPECT_TRUE(menu.isEmpty());
}

TEST_F(CAddressFormatOwnBundleTest, FieldModesUnknownNamesAndLinksFromTheTemplateFile)
{
    writeCountries();
    const auto mode = [](int value) { return PWPlist::fromInteger(value); };
    const PWPlist::Array fields = {
        named(u"First Name"_s, 0, 0, {{u"Mode"_s, mode(0)}}),
        named(u"Last Name"_s, 0, 1,
              {{u"Mode"_s, mode(5)}, {u"Phonetic Link"_s, PWPlist::fromString(u"First Name"_s)},
               {u"Phonetic Delimiter"_s, PWPlist::fromString(u"/"_s)}}),
        named(u"Company"_s, 1, 0, {{u"Mode"_s, mode(1)}, {u"Text"_s, PWPlist::fromString(u"Attn."_s)}}),
        named(u"No Such Key"_s, 2, 0), named(u"Address"_s, 3, 0)};
    writePlist(u"TemplateFormat.xml"_s,
               PWPlist(PWPlist::Array {PWPlist::fromString(u"-"_s),
                                       PWPlist(PWPlist::Dictionary {{u"Fields"_s, PWPlist(PWPlist::Array {})}}),
                                       PWPlist(PWPlist::Dictionary {{u"Name"_s, PWPlist::fromString(u"T"_s)},
                                                                    {u"Fields"_s, PWPlist(fields)}})}));
    CAddressFormatController controller(PWBundle(m_folder.path()), m_defaults);
    ASSERT_TRUE(controller.isLoaded()) << controller.loadError().toStdString();
    std::unique_ptr<CAddressFormat> format = controller.formatWithTemplate(u"T"_s, u"us"_s, false, 0);
    ASSERT_TRUE(format);
    const auto leaf = [&](textCategory category) { return format->getFormatWithKey(category); };
    EXPECT_EQ((std::vector<int> {leaf(tcFirstName)->getMode(), leaf(tcLastName)->getMode(), leaf(tcCompany)->getMode(),
                                 leaf(tcAddress)->getMode(), leaf(tcLastName)->getPhoneticLink()}),
              (std::vector<int> {fmNever, fmNever, fmWhenFilled, fmAlways, tcFirstName}));
    EXPECT_EQ(leaf(tcCompany)->getText()->getData(), u"Attn."_s);
    EXPECT_EQ(dumpRows(*format), (QStringList {u"First Name | Last Name/"_s, u"Company"_s, u"-1"_s, u"Street"_s}));
    // Stale items go; then a separator, the nameless template left out, the template, the edit item.
    CAddressFormatMenu menu = {
        CAddressFormatMenuItem {CAddressFormatMenuItem::Kind::Country, u"stale"_s, {}, 0, {}, {}}};
    controller.fillTemplateMenu(menu);
    ASSERT_EQ(menu.size(), 4);
    EXPECT_EQ(menu.at(0).kind, CAddressFormatMenuItem::Kind::Separator);
    EXPECT_EQ(menu.at(1).title, u"T"_s);
}

TEST_F(CAddressFormatOwnBundleTest, CustomFormatsBuildMarkedTreesAndFillTheMenus)
{
    writeCountries();
    writePlist(u"TemplateFormat.xml"_s, PWPlist(PWPlist::Array {}));
    const PWPlist::Dictionary custom = {{u"FormatName"_s, PWPlist::fromString(u"Mine"_s)},
                                        {u"Date"_s, PWPlist::fromDate(QDateTime::fromSecsSinceEpoch(0, Qt::UTC))},
                                        {u"City"_s, entry(1, 0)},
                                        {u"First Name"_s, entry(0, 0)},
                                        {u"Note"_s, entry(2, 0)}};
    CAddressFormatController controller(PWBundle(m_folder.path()), m_defaults);
    EXPECT_TRUE(controller.customTemplates().isEmpty());
    m_defaults.setObject(u"CustomAddressFormat"_s, PWPlist(PWPlist::Array {PWPlist(custom), PWPlist(custom)}));
    CAddressFormatMenu &context = CAddressFormatController::sharedContextAddressFormatMenu();
    context = {CAddressFormatMenuItem {
        CAddressFormatMenuItem::Kind::Submenu, u"Templates"_s, {}, CAddressFormatController::kTemplateMenuTag, {}, {}}};
    controller.reloadCustomFormats();
    ASSERT_EQ(controller.customTemplates().size(), 2);
    const CAddressFormatMenu &submenu = context.constFirst().submenu;
    ASSERT_EQ(submenu.size(), 5); // separator, two custom formats, separator, Edit
    EXPECT_EQ(submenu.at(1).title, u"Mine"_s);
    EXPECT_EQ(submenu.at(2).representedObject.value(u"index"_s).toInteger(), 1);
    context.clear();
    std::unique_ptr<CAddressFormat> format = controller.formatWithDesc(custom, u"Mine"_s);
    ASSERT_TRUE(format);
    EXPECT_TRUE(format->isCustomFormat());
    EXPECT_EQ(format->name(tcRootFormat)->getData(), u"Mine"_s);
    EXPECT_EQ(dumpRows(*format), (QStringList {u"First Name"_s, u"City"_s, u"Note"_s}));
}

TEST(CAddressFormatArchiveTest, OlderFormsACountryCodeOrAListOfFields)
{
    CDDArchive archive(true);
    archive.SetData(u"Address Format To"_s, CDDString(u"uk"_s));
    archive.BeginArrayData();
    for (const auto &[category, row, column] : {std::tuple {17, 0, 0}, std::tuple {18, 0, 1}, std::tuple {5, 1, 0}}) {
        CDDArchive entry(true);
        entry.SetData(u"tc"_s, category);
        entry.SetData(u"row"_s, row);
        entry.SetData(u"col"_s, column);
        archive.SetData(QString(), entry);
    }
    archive.EndArrayData(u"Address Format From"_s);
    archive.SetData(u"Dictionary"_s, CDDArchive(true));
    archive.setStoring(false);
    CDDString country(u"unchanged"_s);
    std::unique_ptr<CAddressFormat> format;
    ASSERT_TRUE(catalogue().GetData(archive, u"Address Format To"_s, &country, &format));
    EXPECT_EQ(country.getData(), u"uk"_s);
    ASSERT_TRUE(format);
    EXPECT_EQ(dumpRows(*format),
              dumpRows(*catalogue().formatWithTemplate(CAEnvironment::defaultTemplate(), u"uk"_s, false, 0)));
    country = CDDString(u"unchanged"_s);
    ASSERT_TRUE(catalogue().GetData(archive, u"Address Format From"_s, &country, &format));
    EXPECT_EQ(country.getData(), u"unchanged"_s);
    ASSERT_TRUE(format);
    EXPECT_EQ(format->getTextCategory(), tcRootFormat);
    EXPECT_EQ(dumpRows(*format), (QStringList {u"First Name | Last Name"_s, u"Street"_s}));
    EXPECT_EQ(format->labelForKey(tcStreet)->getData(), u"Street"_s);
    EXPECT_FALSE(catalogue().GetData(archive, u"Absent"_s, &country, &format));
    EXPECT_FALSE(catalogue().GetData(archive, u"Dictionary"_s, &country, &format));
}

} // namespace
