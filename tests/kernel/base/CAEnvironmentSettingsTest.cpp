#include "kernel/base/CAEnvironment.h"

#include "kernel/base/CAEnvironmentInternal.h"
#include "platform/PWKeyedArchiver.h"
#include "platform/PWUserDefaults.h"

#include <QDesktopServices>
#include <QFontDatabase>
#include <QObject>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

PWUserDefaults &defaults() { return PWUserDefaults::standardUserDefaults(); }

const QStringList kSettingKeys = QStringLiteral("FTMeasurementUnits DefaultCountry FTDefaultFont FTDesignTab FTDesignPane "
    "FTDesignPaneHeight FTColorPanelVisible FTFontPanelVisible FTAddressWindowVisible FTPropertiesWindowVisible "
    "FTDesignWindowVisible FTEncodingsKey FTCalibration").split(QLatin1Char(' '));

// Every test starts from settings that were never written.
class CAEnvironmentSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override { clear(); }
    void TearDown() override
    {
        clear();
        CAEnvironment::setCountryFormatPredicate(nullptr);
    }
    static void clear()
    {
        for (const QString &key : kSettingKeys)
            defaults().removeObject(key);
    }
};

} // namespace

TEST_F(CAEnvironmentSettingsTest, StoredValuesSurviveARestartDefaultsAndTheEncodingListAreWrittenOnlyWhenSet)
{
    (void)CAEnvironment::measurementUnits();
    (void)CAEnvironment::colorPanelVisible();
    for (const QString &key : kSettingKeys)
        EXPECT_FALSE(defaults().hasStoredValue(key)) << key.toStdString();
    CAEnvironment::setOpenedDesignTab(3);
    CAEnvironment::setColorPanelVisible(false);
    EXPECT_EQ(CAEnvironment::openedDesignTab(), 3);
    EXPECT_FALSE(CAEnvironment::colorPanelVisible());
    EXPECT_TRUE(CAEnvironment::fontPanelVisible()) << "one panel's setting must not touch another's";
    const PWUserDefaults reread(defaults().filePath());
    EXPECT_EQ(reread.integerForKey(QStringLiteral("FTDesignTab")), 3);
    EXPECT_TRUE(reread.hasStoredValue(QStringLiteral("FTColorPanelVisible")) && !reread.boolForKey(QStringLiteral("FTColorPanelVisible")));
    defaults().setInteger(QStringLiteral("FTDesignPane"), 2);
    EXPECT_EQ(CAEnvironment::openedDesignPicturesPane(), 0);
    EXPECT_EQ(defaults().integerForKey(QStringLiteral("FTDesignPane")), 2);
    defaults().setInteger(QStringLiteral("FTDesignPane"), 1);
    EXPECT_EQ(CAEnvironment::openedDesignPicturesPane(), 1);
    // Stored as text by hand, the tab still reads as its number.
    defaults().setString(QStringLiteral("FTDesignTab"), QStringLiteral("2"));
    EXPECT_EQ(CAEnvironment::openedDesignTab(), 2);
    const PWPlist::Array list = CAEnvironment::getEncodingList();
    EXPECT_FALSE(list.isEmpty());
    EXPECT_EQ(defaults().arrayForKey(QStringLiteral("FTEncodingsKey")), list);
    // A list the user (or an older version) stored is returned as it is.
    const PWPlist::Array own = {PWPlist::fromString(QStringLiteral("4"))};
    defaults().setObject(QStringLiteral("FTEncodingsKey"), PWPlist(own));
    EXPECT_EQ(CAEnvironment::getEncodingList(), own);
    // Something that is no list cannot be offered; it is replaced by the default list.
    defaults().setString(QStringLiteral("FTEncodingsKey"), QStringLiteral("4"));
    EXPECT_EQ(CAEnvironment::getEncodingList(), list);
    const PWPlist::Dictionary office = {{QStringLiteral("FTCalibrationHorizontal"), PWPlist::fromReal(1.5)}};
    const PWPlist::Dictionary home = {{QStringLiteral("FTCalibrationVertical"), PWPlist::fromReal(-2)}};
    CAEnvironment::setCalibrationSettingsForPrinter(office, QStringLiteral("Office"));
    CAEnvironment::setCalibrationSettingsForPrinter(home, QStringLiteral("Home"));
    EXPECT_EQ(CAEnvironment::getCalibrationSettingsForPrinter(QStringLiteral("Office")), office);
    EXPECT_EQ(CAEnvironment::getCalibrationSettingsForPrinter(QStringLiteral("Home")), home);
    EXPECT_FALSE(CAEnvironment::getCalibrationSettingsForPrinter(QStringLiteral("Label printer")).has_value());
    CAEnvironment::setCalibrationSettingsForPrinter(home, QStringLiteral("Office"));
    EXPECT_EQ(CAEnvironment::getCalibrationSettingsForPrinter(QStringLiteral("Office")), home);
    const PWUserDefaults rereadCalibration(defaults().filePath());
    EXPECT_EQ(rereadCalibration.dictionaryForKey(QStringLiteral("FTCalibration")).size(), 2);
}

TEST(DefaultCountryRuleTest, TakesTheSystemCountryWhenItHasAFormat)
{
    EXPECT_EQ(CAEnvironment::chooseDefaultCountry(QLocale(QLocale::German, QLocale::Germany)), QStringLiteral("de"));
    EXPECT_EQ(CAEnvironment::chooseDefaultCountry(QLocale(QLocale::English, QLocale::UnitedKingdom)), QStringLiteral("uk"));
    EXPECT_EQ(CAEnvironment::chooseDefaultCountry(QLocale::c()), QStringLiteral("us"));
}

TEST_F(CAEnvironmentSettingsTest, TheDefaultCountryAndFontAreStoredOnesElseChosenOnce)
{
    QStringList asked;
    CAEnvironment::setCountryFormatPredicate([&asked](const QString &code) {
        asked.append(code);
        return code == QLatin1String("uk");
    });
    EXPECT_EQ(CAEnvironment::chooseDefaultCountry(QLocale(QLocale::German, QLocale::Germany)), QStringLiteral("us"));
    EXPECT_EQ(CAEnvironment::chooseDefaultCountry(QLocale(QLocale::English, QLocale::UnitedKingdom)), QStringLiteral("uk"));
    EXPECT_EQ(asked.join(u','), QStringLiteral("de,uk"));
    const QString chosen = CAEnvironment::defaultCountry();
    EXPECT_EQ(chosen, CAEnvironment::chooseDefaultCountry(QLocale::system()));
    EXPECT_EQ(defaults().stringForKey(QStringLiteral("DefaultCountry")), chosen);
    // From then on the stored value wins, whatever the catalogue says.
    CAEnvironment::setDefaultCountry(QStringLiteral("fr"));
    CAEnvironment::setCountryFormatPredicate([](const QString &) { return false; });
    EXPECT_EQ(CAEnvironment::defaultCountry(), QStringLiteral("fr"));
    const PWFont fallback = CAEnvironment::defaultFont();
    EXPECT_EQ(fallback.pointSize(), 10.0);
    EXPECT_EQ(fallback.toQFont().family(), QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    const PWFont stored(QStringLiteral("DejaVuSerif-Bold"), 14);
    defaults().setObject(QStringLiteral("FTDefaultFont"), PWPlist::fromData(PWKeyedArchiver::archivedData(stored)));
    EXPECT_EQ(CAEnvironment::defaultFont(), stored);
    // Damaged data, or a keyed archive of something else, is no font.
    for (const QByteArray &data : {QByteArray("damaged"), PWKeyedArchiver::archivedObject(QStringLiteral("Helvetica"))}) {
        defaults().setObject(QStringLiteral("FTDefaultFont"), PWPlist::fromData(data));
        EXPECT_EQ(CAEnvironment::defaultFont(), fallback);
    }
}

// --- cursors -------------------------------------------------------------------------------------

TEST(CAEnvironmentCursorTest, IsMadeOnceFromTheBundlePictureWithItsHotSpot)
{
    for (const auto &[type, hotSpot] : {std::pair {0, QPoint(7, 7)}, std::pair {4, QPoint(5, 6)}}) {
        const QCursor &cursor = CAEnvironment::cursorFromType(type);
        EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
        EXPECT_EQ(cursor.hotSpot(), hotSpot);
        EXPECT_EQ(cursor.pixmap().size(), QSize(16, 16));
        // Drawn over transparency, and pointing with a drawn pixel.
        const QImage picture = cursor.pixmap().toImage();
        EXPECT_EQ(picture.pixelColor(0, 0).alpha(), 0);
        EXPECT_EQ(picture.pixelColor(hotSpot).alpha(), 255);
        EXPECT_EQ(&CAEnvironment::cursorFromType(type), &cursor);
    }
}

namespace {

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl &url) { opened.append(url); }
};

} // namespace

TEST(CAEnvironmentLinksTest, LinksAreOpenedThroughTheDesktopAndNeverAsPrintfFormats)
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    EXPECT_TRUE(CAEnvironment::gotoHomePage());
    EXPECT_TRUE(CAEnvironment::checkUpdates());
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    EXPECT_EQ(catcher.opened, (QList<QUrl> {QUrl(QStringLiteral("https://parcelwick.example.org/")),
                                            QUrl(QStringLiteral("https://parcelwick.example.org/updates?version=100"))}));
    using CAEnvironmentInternal::fillVersionSlot;
    // Conversions a printf would act on (reading arguments that are not there) stay as written.
    EXPECT_EQ(fillVersionSlot(QStringLiteral("https://x.example/%s%n%d/a%20b?v=%@&w=%@"), QStringLiteral("100")),
              QStringLiteral("https://x.example/%s%n%d/a%20b?v=100&w=%@"));
    EXPECT_EQ(fillVersionSlot(QStringLiteral("https://x.example/"), QStringLiteral("100")), QStringLiteral("https://x.example/"));
}

#include "CAEnvironmentSettingsTest.moc"

// A country stored in a form that does not read is the user's until the user picks one: the
// chosen country answers for it, it is named, and the setting stays as it was.
TEST_F(CAEnvironmentSettingsTest, ADefaultCountryThatDoesNotReadIsNamedAndKept)
{
    CAEnvironment::setCountryFormatPredicate([](const QString &) { return false; });
    const struct
    {
        PWPlist stored;
        const char *named;
    } rows[] = {
        {PWPlist(PWPlist::Array {PWPlist::fromString(QStringLiteral("de"))}), "a list"},
        {PWPlist(PWPlist::Dictionary {{QStringLiteral("code"), PWPlist::fromString(QStringLiteral("de"))}}), "a dictionary"},
        {PWPlist::fromInteger(49), "a number"},
        {PWPlist::fromData("de"), "data"},
        {PWPlist::fromDate(QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC)), "a date"},
        {PWPlist::fromString(QString()), "an empty text"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.named);
        defaults().setObject(QStringLiteral("DefaultCountry"), row.stored);
        EXPECT_EQ(CAEnvironment::defaultCountry(), QStringLiteral("us"));
        EXPECT_EQ(defaults().objectForKey(QStringLiteral("DefaultCountry")), row.stored);
        EXPECT_TRUE(defaults().problems().contains(
            QStringLiteral("the default country in the settings is %1, not a country code; \"us\" is used")
                .arg(QLatin1String(row.named))))
            << qPrintable(defaults().problems().join(u'\n'));
    }
    // Missing, it is chosen and stored as before.
    defaults().removeObject(QStringLiteral("DefaultCountry"));
    EXPECT_EQ(CAEnvironment::defaultCountry(), QStringLiteral("us"));
    EXPECT_EQ(defaults().objectForKey(QStringLiteral("DefaultCountry")), PWPlist::fromString(QStringLiteral("us")));
}
