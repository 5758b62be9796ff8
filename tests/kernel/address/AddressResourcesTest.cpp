#include "kernel/address/CAddressFormatController.h"

#include "AddressTestSupport.h"
#include "platform/PWBundle.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

// The resource files, as compiled into the bundle, parse in libplist's own command-line tool.
TEST(AddressResourcesTest, ParseWithPlistutil)
{
    const QString tool = QStandardPaths::findExecutable(u"plistutil"_s);
    if (tool.isEmpty())
        GTEST_SKIP() << "plistutil is not installed";
    for (const QString &name :
         {u"AddressFormat.xml"_s, u"TemplateFormat.xml"_s, u"en.lproj/Localizable.strings"_s, u"Countries.xml"_s}) {
        QTemporaryDir folder;
        const QString input = folder.filePath(u"in.xml"_s);
        ASSERT_TRUE(QFile::copy(u":/bundle/"_s + name, input)) << name.toStdString();
        QProcess process;
        process.start(tool, {u"-i"_s, input, u"-o"_s, folder.filePath(u"out.bin"_s), u"-f"_s, u"bin"_s});
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitCode(), 0) << name.toStdString() << process.readAllStandardError().toStdString();
        EXPECT_GT(QFileInfo(folder.filePath(u"out.bin"_s)).size(), 0);
    }
}

TEST(AddressResourcesTest, EveryCountryHasAWholeFormatWithLocalizedLabels)
{
    const std::optional<PWPlist> countries =
        PWPlist::parse(PWBundle::mainBundle().resourceData(u"Countries"_s, u"xml"_s));
    ASSERT_TRUE(countries && countries->isDictionary());
    CAddressFormatController &catalogue = CAddressFormatController::sharedAddressFormatController();
    ASSERT_TRUE(catalogue.isLoaded());
    for (const auto &[code, names] : countries->toDictionary()) {
        const std::optional<PWPlist::Dictionary> descriptor = catalogue.formatDescriptorForCountryCode(code);
        ASSERT_TRUE(descriptor) << code.toStdString();
        EXPECT_EQ(descriptor->value(u"CountryName"_s).toString(), names.at(0).toString());
        std::unique_ptr<CAddressFormat> format = catalogue.formatWithTemplate(QString(), code, false, 0);
        ASSERT_TRUE(format);
        for (const textCategory category : {tcStreet, tcCity, tcState, tcZIP, tcCountry}) {
            ASSERT_TRUE(format->containKey(category)) << code.toStdString() << " " << int(category);
            const QString label = format->labelForKey(category)->getData();
            const QString key =
                descriptor->value(FTTextCategories::getKeyFromTextCategory(category)).value(u"Label"_s).toString();
            EXPECT_FALSE(label.isEmpty());
            EXPECT_NE(label, key) << code.toStdString() << ": " << key.toStdString() << " is not in the string table";
        }
        // Every row of the country part is walked: five fields in all.
        int fields = 0;
        for (const QString &row : addrtest::dumpRows(*format))
            fields += int(row.split(u" | "_s).size());
        EXPECT_EQ(fields, 5) << code.toStdString();
    }
}

TEST(AddressResourcesTest, EveryLabelKeyAndTemplateFieldIsKnown)
{
    for (int number = -1; number <= 133; ++number) {
        const QString label = FTTextCategories::getLabelFromTextCategory(textCategory(number));
        EXPECT_NE(PWBundle::mainBundle().localizedString(label, u"missing"_s), u"missing"_s) << label.toStdString();
    }
    const CAddressFormatController &catalogue = CAddressFormatController::sharedAddressFormatController();
    EXPECT_TRUE(catalogue.templates().contains(CAEnvironment::defaultTemplate()));
    for (const auto &[name, fields] : catalogue.templates()) {
        int addresses = 0;
        for (const PWPlist &field : fields.toArray()) {
            const QString key = field.value(u"Name"_s).toString();
            EXPECT_NE(FTTextCategories::getTextCategoryFromKey(key), tcNone)
                << name.toStdString() << ": " << key.toStdString();
            addresses += key == QLatin1String("Address");
        }
        EXPECT_EQ(addresses, 1) << name.toStdString();
    }
}

} // namespace
