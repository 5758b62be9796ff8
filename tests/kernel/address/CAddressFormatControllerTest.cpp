#include "kernel/address/CAddressFormatController.h"

#include "AddressTestSupport.h"
#include "TestSupport.h"

#include "kernel/foundation/CDDArchive.h"
#include "platform/PWBundle.h"
#include "platform/PWUserDefaults.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kNameCompany = QStringLiteral("Name+Company");

CAddressFormatController &catalogue()
{
    return CAddressFormatController::sharedAddressFormatController();
}

const QStringList kName = {QStringLiteral("First Name | Last Name"), QStringLiteral("Company")};

// The default template for a country, with the barcode above or below, dumped row by row.
TEST(CAddressFormatControllerTest, DefaultTemplateForACountry)
{
    ASSERT_TRUE(catalogue().isLoaded()) << catalogue().loadError().toStdString();
    const QStringList us = {QStringLiteral("Street"), QStringLiteral("City, | State | ZIP"), QStringLiteral("Country")};
    const QStringList de = {QStringLiteral("Street"), QStringLiteral("ZIP | City"), QStringLiteral("State"),
                            QStringLiteral("Country")};
    const QStringList barcode = {QStringLiteral("Barcode")};
    const struct
    {
        const char *name;
        QString country;
        bool barcode;
        int location;
        QStringList rows;
    } cases[] = {
        {"UsAbove", QStringLiteral("us"), true, 0, barcode + kName + us},
        {"UsBelow", QStringLiteral("us"), true, 1, kName + us + barcode},
        {"UsNone", QStringLiteral("us"), false, 0, kName + us},
        // Other locations give no barcode.
        {"UsElsewhere", QStringLiteral("us"), true, 2, kName + us},
        // Germany has no postal barcode: asking for one changes nothing.
        {"DeAbove", QStringLiteral("de"), true, 0, kName + de},
        {"Japan", QStringLiteral("jp"), false, 0,
         kName + QStringList {QStringLiteral("ZIP"), QStringLiteral("State | City"), QStringLiteral("Street"),
                              QStringLiteral("Country")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<CAddressFormat> format = catalogue().formatWithTemplate(kNameCompany, c.country, c.barcode,
                                                                                c.location);
        ASSERT_TRUE(format);
        EXPECT_EQ(pwtest::dumpRows(*format), c.rows);
        EXPECT_EQ(format->getTextCategory(), tcRootFormat);
        EXPECT_EQ(format->name(tcRootFormat)->getData(), kNameCompany);
        EXPECT_EQ(format->name(tcAddress)->getData(), c.country);
        EXPECT_FALSE(format->isCustomFormat());
        if (c.barcode && c.rows.contains(QStringLiteral("Barcode"))) {
            EXPECT_EQ(format->getFormatWithKey(tcBarcode)->getMode(), fmWhenFilled);
        }
    }
}

TEST(CAddressFormatControllerTest, WithoutTemplateTheCountryPartAloneAndWithoutEitherNothing)
{
    std::unique_ptr<CAddressFormat> country = catalogue().formatWithTemplate(QString(), QStringLiteral("us"), true, 0);
    ASSERT_TRUE(country);
    EXPECT_EQ(country->getTextCategory(), tcAddress);
    EXPECT_FALSE(country->containKey(tcBarcode));
    EXPECT_EQ(pwtest::dumpRows(*country),
              (QStringList{QStringLiteral("Street"), QStringLiteral("City, | State | ZIP"), QStringLiteral("Country")}));
    EXPECT_TRUE(catalogue().formatWithTemplate(QStringLiteral("No Such Template"), QStringLiteral("uk"), true, 0));
    EXPECT_FALSE(catalogue().formatWithTemplate(QStringLiteral("No Such Template"), QStringLiteral("zz"), false, 0));
    // A template without a known country: its "Address" field stays a plain field.
    std::unique_ptr<CAddressFormat> bare = catalogue().formatWithTemplate(kNameCompany, QStringLiteral("zz"), true, 0);
    ASSERT_TRUE(bare);
    EXPECT_EQ(pwtest::dumpRows(*bare), kName + QStringList{QStringLiteral("104")});
    EXPECT_FALSE(bare->containKey(tcBarcode));
}

TEST(CAddressFormatControllerTest, TheLinearTemplatePutsTheCountryPartOnOneRow)
{
    std::unique_ptr<CAddressFormat> format =
        catalogue().formatWithTemplate(QStringLiteral("Name+Company, One-Line Address"), QStringLiteral("us"), false, 0);
    ASSERT_TRUE(format);
    EXPECT_TRUE(format->getFormatWithKey(tcAddress)->isLinearFormat());
    EXPECT_EQ(pwtest::dumpRows(*format),
              kName + QStringList{QStringLiteral("Street | City, | State | ZIP | Country")});
}

TEST(CAddressFormatControllerTest, LabelsAllowedCategoriesAndLists)
{
    const std::optional<PWPlist::Dictionary> uk = catalogue().formatDescriptorForCountryCode(QStringLiteral("uk"));
    ASSERT_TRUE(uk);
    EXPECT_EQ(catalogue().labelForTextCategory(tcZIP, &*uk), QStringLiteral("Postcode"));
    EXPECT_EQ(catalogue().labelForTextCategory(tcZIP, nullptr), QStringLiteral("ZIP"));
    EXPECT_EQ(catalogue().labelForTextCategory(tcFirstName, &*uk), QStringLiteral("First Name"));
    EXPECT_FALSE(catalogue().formatDescriptorForCountryCode(QStringLiteral("zz")));
    std::unique_ptr<CAddressFormat> format = catalogue().formatWithTemplate(kNameCompany, QStringLiteral("ca"), false, 0);
    EXPECT_EQ(format->labelForKey(tcState)->getData(), QStringLiteral("Province"));

    EXPECT_FALSE(catalogue().allowCategory(tcCounter, kNameCompany, QStringLiteral("us")));
    EXPECT_FALSE(catalogue().allowCategory(tcFileData, kNameCompany, QStringLiteral("us")));
    EXPECT_FALSE(catalogue().allowCategory(tcNone, kNameCompany, QStringLiteral("us")));
    EXPECT_TRUE(catalogue().allowCategory(tcBarcode, kNameCompany, QStringLiteral("uk")));
    EXPECT_FALSE(catalogue().allowCategory(tcBarcode, kNameCompany, QStringLiteral("UK")));
    EXPECT_FALSE(catalogue().allowCategory(tcBarcode, QString(), QStringLiteral("us")));
    EXPECT_FALSE(catalogue().allowCategory(tcBarcode, kNameCompany, QStringLiteral("de")));
    EXPECT_TRUE(catalogue().allowCategory(tcNote, QString(), QString()));

    QHash<QString, QString> countries;
    catalogue().getCountryList(countries);
    EXPECT_EQ(countries.value(QStringLiteral("uk")), QStringLiteral("United Kingdom"));
    EXPECT_TRUE(catalogue().formatWithCountryCode(QStringLiteral("us"), nullptr));
}

TEST(CAddressFormatControllerTest, TheTemplateMenuHoldsTheTemplatesAndEndsWithEdit)
{
    if (!catalogue().customTemplates().isEmpty())
        GTEST_SKIP() << "the user defaults of this run hold custom formats";
    CAddressFormatMenu menu = {
        CAddressFormatMenuItem {CAddressFormatMenuItem::Kind::Country, QStringLiteral("stale"), {}, 0, {}, {}}};
    catalogue().fillTemplateMenu(menu);
    ASSERT_GE(menu.size(), 3);
    EXPECT_EQ(menu.constFirst().title, kNameCompany);
    EXPECT_EQ(menu.constFirst().representedObject.toString(), kNameCompany);
    EXPECT_EQ(menu.constFirst().action, QStringLiteral("changeTemplateWithMenu"));
    EXPECT_EQ(menu.at(menu.size() - 2).kind, CAddressFormatMenuItem::Kind::Separator);
    EXPECT_EQ(menu.constLast().title, QStringLiteral("Edit"));
    EXPECT_EQ(menu.constLast().action, QStringLiteral("customAddressFormatEditor"));
    qsizetype templates = 0;
    for (qsizetype i = 0; i + 2 < menu.size(); ++i) {
        if (menu.at(i).kind == CAddressFormatMenuItem::Kind::Separator)
            continue;
        ++templates;
        EXPECT_TRUE(catalogue().templates().contains(menu.at(i).title)) << menu.at(i).title.toStdString();
    }
    EXPECT_EQ(templates, qsizetype(catalogue().templates().size()));
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
                                      menu.at(i).representedObject.toString(), names),
                  0);
    EXPECT_EQ(menu.constFirst().action, QStringLiteral("changeCountryWithMenu"));
    QHash<QString, QString> pair = {{QStringLiteral("a"), QStringLiteral("Alpha")},
                                    {QStringLiteral("b"), QStringLiteral("beta")},
                                    {QStringLiteral("c"), QStringLiteral("ALPHA")}};
    EXPECT_LT(compareCountryNames(QStringLiteral("a"), QStringLiteral("b"), pair), 0);
    EXPECT_EQ(compareCountryNames(QStringLiteral("a"), QStringLiteral("c"), pair), 0);
}

// A catalogue on a bundle and user defaults of the test's own making.
class CAddressFormatOwnBundleTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

    void write(const QString &name, const QByteArray &bytes)
    {
        ASSERT_TRUE(pwtest::writeFile(m_folder.filePath(name), bytes));
    }
    void writePlist(const QString &name, const PWPlist &value) { write(name, value.toXml()); }
    void writeCountries()
    {
        const PWPlist street(PWPlist::Dictionary{{QStringLiteral("Row"), PWPlist::fromInteger(0)},
                                                 {QStringLiteral("Column"), PWPlist::fromInteger(0)},
                                                 {QStringLiteral("Label"), PWPlist::fromString(QStringLiteral("StreetLabel"))}});
        writePlist(QStringLiteral("AddressFormat.xml"),
                   PWPlist(PWPlist::Dictionary{{QStringLiteral("us"), PWPlist(PWPlist::Dictionary{{QStringLiteral("Street"), street},
                                                                                                  {QStringLiteral("Other"), street}})}}));
    }
    PWPlist::Dictionary field(const QString &name, int row, int column)
    {
        return PWPlist::Dictionary{{QStringLiteral("Name"), PWPlist::fromString(name)},
                                   {QStringLiteral("Row"), PWPlist::fromInteger(row)},
                                   {QStringLiteral("Column"), PWPlist::fromInteger(column)}};
    }

    QTemporaryDir m_folder;
    PWUserDefaults m_defaults{m_folder.filePath(QStringLiteral("defaults.plist"))};
};

TEST_F(CAddressFormatOwnBundleTest, MissingOrWrongResourcesAreAStartUpErrorNotACrash)
{
    {
        CAddressFormatController empty(PWBundle(m_folder.path()), m_defaults);
        EXPECT_FALSE(empty.isLoaded());
        EXPECT_EQ(empty.loadError(), QStringLiteral("AddressFormat.xml not found"));
        EXPECT_FALSE(empty.formatWithTemplate(kNameCompany, QStringLiteral("us"), true, 0));
    }
    writeCountries();
    write(QStringLiteral("TemplateFormat.xml"), "<plist><dict></dict></plist>"); // not an array
    const PWBundle bundle(m_folder.path());
    CAddressFormatController noTemplates(bundle, m_defaults);
    EXPECT_EQ(noTemplates.loadError(), QStringLiteral("TemplateFormat.xml not found"));
    EXPECT_FALSE(noTemplates.formatWithTemplate(QString(), QStringLiteral("us"), false, 0));
    CAddressFormatMenu menu;
    noTemplates.fillCountryMenu(menu);
    EXPECT_TRUE(menu.isEmpty());
}

TEST_F(CAddressFormatOwnBundleTest, FieldModesUnknownNamesAndLinksFromTheTemplateFile)
{
    writeCountries();
    PWPlist::Dictionary zero = field(QStringLiteral("First Name"), 0, 0);
    zero.insert(QStringLiteral("Mode"), PWPlist::fromInteger(0));
    PWPlist::Dictionary five = field(QStringLiteral("Last Name"), 0, 1);
    five.insert(QStringLiteral("Mode"), PWPlist::fromInteger(5));
    five.insert(QStringLiteral("Phonetic Link"), PWPlist::fromString(QStringLiteral("First Name")));
    five.insert(QStringLiteral("Phonetic Delimiter"), PWPlist::fromString(QStringLiteral("/")));
    PWPlist::Dictionary one = field(QStringLiteral("Company"), 1, 0);
    one.insert(QStringLiteral("Mode"), PWPlist::fromInteger(1));
    one.insert(QStringLiteral("Text"), PWPlist::fromString(QStringLiteral("Attn.")));
    const PWPlist::Dictionary unknown = field(QStringLiteral("No Such Key"), 2, 0);
    const PWPlist::Dictionary absent = field(QStringLiteral("Address"), 3, 0);
    writePlist(QStringLiteral("TemplateFormat.xml"),
               PWPlist(PWPlist::Array{PWPlist::fromString(QStringLiteral("-")),
                                      PWPlist(PWPlist::Dictionary{{QStringLiteral("Fields"), PWPlist(PWPlist::Array{})}}),
                                      PWPlist(PWPlist::Dictionary{{QStringLiteral("Name"), PWPlist::fromString(QStringLiteral("T"))},
                                                                  {QStringLiteral("Fields"),
                                                                   PWPlist(PWPlist::Array{PWPlist(zero), PWPlist(five), PWPlist(one),
                                                                                          PWPlist(unknown), PWPlist(absent)})}})}));
    CAddressFormatController controller(PWBundle(m_folder.path()), m_defaults);
    ASSERT_TRUE(controller.isLoaded()) << controller.loadError().toStdString();
    std::unique_ptr<CAddressFormat> format = controller.formatWithTemplate(QStringLiteral("T"), QStringLiteral("us"), false, 0);
    ASSERT_TRUE(format);
    EXPECT_EQ(format->getFormatWithKey(tcFirstName)->getMode(), fmNever);
    EXPECT_EQ(format->getFormatWithKey(tcLastName)->getMode(), fmNever);
    EXPECT_EQ(format->getFormatWithKey(tcLastName)->getPhoneticLink(), tcFirstName);
    EXPECT_EQ(format->getFormatWithKey(tcLastName)->getDelimiter()->getData(), QStringLiteral("/"));
    EXPECT_EQ(format->getFormatWithKey(tcCompany)->getMode(), fmWhenFilled);
    EXPECT_EQ(format->getFormatWithKey(tcCompany)->getText()->getData(), QStringLiteral("Attn."));
    EXPECT_EQ(format->getFormatWithKey(tcAddress)->getMode(), fmAlways); // a knot
    EXPECT_EQ(pwtest::dumpRows(*format),
              (QStringList{QStringLiteral("First Name | Last Name/"), QStringLiteral("Company"), QStringLiteral("-1"),
                           QStringLiteral("Street")}));
    // A separator, the nameless template left out, the template, then the edit item.
    CAddressFormatMenu menu;
    controller.fillTemplateMenu(menu);
    ASSERT_EQ(menu.size(), 4);
    EXPECT_EQ(menu.at(0).kind, CAddressFormatMenuItem::Kind::Separator);
    EXPECT_EQ(menu.at(1).title, QStringLiteral("T"));
}

TEST_F(CAddressFormatOwnBundleTest, CustomFormatsBuildMarkedTreesAndFillTheMenus)
{
    writeCountries();
    writePlist(QStringLiteral("TemplateFormat.xml"), PWPlist(PWPlist::Array{}));
    const auto entry = [](int row, int column, const QString &label) {
        return PWPlist(PWPlist::Dictionary{{QStringLiteral("Row"), PWPlist::fromInteger(row)},
                                           {QStringLiteral("Column"), PWPlist::fromInteger(column)},
                                           {QStringLiteral("Label"), PWPlist::fromString(label)}});
    };
    const PWPlist::Dictionary custom = {
        {QStringLiteral("FormatName"), PWPlist::fromString(QStringLiteral("Mine"))},
        {QStringLiteral("Date"), PWPlist::fromDate(QDateTime::fromSecsSinceEpoch(0, Qt::UTC))},
        {QStringLiteral("City"), entry(1, 0, QStringLiteral("CityLabel"))},
        {QStringLiteral("First Name"), entry(0, 0, QStringLiteral("FirstNameLabel"))},
        {QStringLiteral("Note"), entry(2, 0, QStringLiteral("NoteLabel"))},
    };
    CAddressFormatController controller(PWBundle(m_folder.path()), m_defaults);
    EXPECT_TRUE(controller.customTemplates().isEmpty());
    m_defaults.setObject(QStringLiteral("CustomAddressFormat"), PWPlist(PWPlist::Array{PWPlist(custom), PWPlist(custom)}));

    CAddressFormatMenu &context = CAddressFormatController::sharedContextAddressFormatMenu();
    context = {CAddressFormatMenuItem{CAddressFormatMenuItem::Kind::Submenu, QStringLiteral("Templates"), {},
                                      CAddressFormatController::kTemplateMenuTag, {}, {}}};
    controller.reloadCustomFormats();
    ASSERT_EQ(controller.customTemplates().size(), 2);
    const CAddressFormatMenu &submenu = context.constFirst().submenu;
    ASSERT_EQ(submenu.size(), 5); // separator, two custom formats, separator, Edit
    EXPECT_EQ(submenu.at(1).title, QStringLiteral("Mine"));
    EXPECT_EQ(submenu.at(2).tag, CAddressFormatController::kCustomFormatTag);
    EXPECT_EQ(submenu.at(2).representedObject.value(QStringLiteral("index")).toInteger(), 1);
    context.clear();

    QHash<QString, QString> list;
    controller.getCustomFormatsList(list);
    EXPECT_EQ(list.value(QStringLiteral("_custom1")), QStringLiteral("Mine"));

    std::unique_ptr<CAddressFormat> format = controller.formatWithDesc(custom, QStringLiteral("Mine"));
    ASSERT_TRUE(format);
    EXPECT_TRUE(format->isCustomFormat());
    EXPECT_EQ(format->name(tcRootFormat)->getData(), QStringLiteral("Mine"));
    EXPECT_EQ(pwtest::dumpRows(*format),
              (QStringList{QStringLiteral("First Name"), QStringLiteral("City"), QStringLiteral("Note")}));
}

TEST(CAddressFormatArchiveTest, OlderFormsACountryCodeOrAListOfFields)
{
    CDDArchive archive(true);
    archive.SetData(QStringLiteral("Address Format To"), CDDString(QStringLiteral("uk")));
    archive.BeginArrayData();
    for (const auto &[category, row, column] : {std::tuple{17, 0, 0}, std::tuple{18, 0, 1}, std::tuple{5, 1, 0}}) {
        CDDArchive entry(true);
        entry.SetData(QStringLiteral("tc"), category);
        entry.SetData(QStringLiteral("row"), row);
        entry.SetData(QStringLiteral("col"), column);
        archive.SetData(QString(), entry);
    }
    archive.EndArrayData(QStringLiteral("Address Format From"));
    archive.SetData(QStringLiteral("Dictionary"), CDDArchive(true));
    archive.setStoring(false);

    CDDString country(QStringLiteral("unchanged"));
    std::unique_ptr<CAddressFormat> format;
    ASSERT_TRUE(catalogue().GetData(archive, QStringLiteral("Address Format To"), &country, &format));
    EXPECT_EQ(country.getData(), QStringLiteral("uk"));
    ASSERT_TRUE(format);
    std::unique_ptr<CAddressFormat> expected = catalogue().formatWithTemplate(CAEnvironment::defaultTemplate(), QStringLiteral("uk"), false, 0);
    EXPECT_EQ(pwtest::dumpRows(*format), pwtest::dumpRows(*expected));

    country = CDDString(QStringLiteral("unchanged"));
    ASSERT_TRUE(catalogue().GetData(archive, QStringLiteral("Address Format From"), &country, &format));
    EXPECT_EQ(country.getData(), QStringLiteral("unchanged"));
    ASSERT_TRUE(format);
    EXPECT_EQ(format->getTextCategory(), tcRootFormat);
    EXPECT_EQ(pwtest::dumpRows(*format), (QStringList{QStringLiteral("First Name | Last Name"), QStringLiteral("Street")}));
    EXPECT_EQ(format->labelForKey(tcStreet)->getData(), QStringLiteral("Street"));

    EXPECT_FALSE(catalogue().GetData(archive, QStringLiteral("Absent"), &country, &format));
    EXPECT_FALSE(catalogue().GetData(archive, QStringLiteral("Dictionary"), &country, &format));
}

} // namespace
