#include "app/shell/CAPreferencesController.h"

#include "ShellTestSupport.h"

#include "../printsheet/PrintSheetTestSupport.h"

#include "app/printsheet/CAPrintViewController.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "platform/PWKeyedUnarchiver.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>

#include <poppler-qt6.h>

namespace {

const QStringList kSettingKeys = {u"FTSnap"_s,
                                  u"FTChangeCountry"_s,
                                  u"FTShowCountryField"_s,
                                  u"FTStartingDocument"_s,
                                  u"FTConvertToUppercase"_s,
                                  u"FTConvertToLinearAddress"_s,
                                  u"FTCommaDelimitedAddress"_s,
                                  u"FTVectorPrinting"_s,
                                  u"FTSuppressCountryField"_s,
                                  u"FTAddressAutoResize"_s,
                                  u"FTShowEmptyField"_s,
                                  u"FTDefaultFont"_s};

class PreferencesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const QString &key : kSettingKeys)
            store().removeObject(key);
        for (int tag = 1; tag <= 4; ++tag)
            store().removeObject(CAPreferencesController::applicationPathKey(tag));
        CAEnvironment::setDefaultCountry(u"us"_s);
    }
    static PWUserDefaults &store() { return PWUserDefaults::standardUserDefaults(); }

    template <typename T>
    T *child(CAPreferencesController &preferences, const QString &name)
    {
        T *found = preferences.window()->findChild<T *>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    // Clicks a box or a round button on its indicator, where a user aims.
    static void clickBox(QAbstractButton *box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2)); }
    // Clicks the toolbar item of a pane as a user would.
    void clickPane(CAPreferencesController &preferences, const QString &identifier)
    {
        auto *toolbar = preferences.window()->findChild<QToolBar *>();
        ASSERT_NE(toolbar, nullptr);
        for (QAction *item : toolbar->actions()) {
            if (item->objectName() == identifier) {
                QTest::mouseClick(toolbar->widgetForAction(item), Qt::LeftButton);
                return;
            }
        }
        FAIL() << "no toolbar item " << identifier.toStdString();
    }
};

TEST_F(PreferencesTest, FreshSettingsGetExactlyTheListedDefaults)
{
    CAPreferencesController preferences;
    const QList<std::pair<QString, PWPlist>> expected = {
        {u"FTSnap"_s, PWPlist::fromBool(true)},
        {u"FTChangeCountry"_s, PWPlist::fromBool(true)},
        {u"FTShowCountryField"_s, PWPlist::fromBool(true)},
        {u"FTStartingDocument"_s, PWPlist::fromInteger(0)},
        {u"FTConvertToUppercase"_s, PWPlist::fromBool(false)},
        {u"FTConvertToLinearAddress"_s, PWPlist::fromBool(true)},
        {u"FTCommaDelimitedAddress"_s, PWPlist::fromBool(true)},
        {u"FTVectorPrinting"_s, PWPlist::fromBool(true)},
        {u"FTSuppressCountryField"_s, PWPlist::fromBool(false)},
        {u"FTAddressAutoResize"_s, PWPlist::fromBool(true)},
    };
    for (const auto &[key, value] : expected) {
        EXPECT_TRUE(store().hasStoredValue(key)) << key.toStdString();
        EXPECT_EQ(store().objectForKey(key), value) << key.toStdString();
    }
    EXPECT_FALSE(store().hasStoredValue(u"FTShowEmptyField"_s));
    EXPECT_FALSE(store().hasStoredValue(u"FTDefaultFont"_s));
    EXPECT_TRUE(preferences.snap());
    EXPECT_EQ(preferences.startingDocument(), 0);
    EXPECT_FALSE(preferences.isConvertToUppercase());
    EXPECT_TRUE(preferences.vectorPrinting());
    EXPECT_FALSE(preferences.showEmptyField());
}

TEST_F(PreferencesTest, ExistingValuesAreKeptWhateverTheirType)
{
    store().setBool(u"FTSnap"_s, false);
    store().setInteger(u"FTStartingDocument"_s, 3);
    store().setString(u"FTVectorPrinting"_s, u"no"_s);
    store().setBool(u"FTShowEmptyField"_s, true);
    CAPreferencesController preferences;
    EXPECT_EQ(store().objectForKey(u"FTSnap"_s), PWPlist::fromBool(false));
    EXPECT_EQ(store().objectForKey(u"FTStartingDocument"_s), PWPlist::fromInteger(3));
    EXPECT_EQ(store().objectForKey(u"FTVectorPrinting"_s), PWPlist::fromString(u"no"_s));
    EXPECT_FALSE(preferences.snap());
    EXPECT_EQ(preferences.startingDocument(), 3);
    // Read back as nothing at every launch, whatever was stored.
    EXPECT_FALSE(preferences.showEmptyField());
}

struct CheckCase
{
    const char *pane;
    const char *box;
    const char *key;
    bool inverted;
    bool (CAPreferencesController::*accessor)() const;
};

class PaneChecks : public PreferencesTest, public ::testing::WithParamInterface<CheckCase>
{
};

TEST_P(PaneChecks, ClickingTheBoxWritesItsKeyAndTheCache)
{
    const CheckCase &check = GetParam();
    CAPreferencesController preferences;
    preferences.showWindow();
    clickPane(preferences, QString::fromLatin1(check.pane));
    auto *box = child<QCheckBox>(preferences, QString::fromLatin1(check.box));
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(box->isVisible());
    const QString key = QString::fromLatin1(check.key);
    for (int click = 0; click < 2; ++click) {
        clickBox(box);
        const bool expected = check.inverted ? !box->isChecked() : box->isChecked();
        EXPECT_EQ(store().objectForKey(key), PWPlist::fromBool(expected)) << check.key;
        if (check.accessor) {
            EXPECT_EQ((preferences.*check.accessor)(), expected) << check.key;
        }
    }
    // The box shows the stored value at the next opening.
    const bool stored = store().boolForKey(key);
    preferences.window()->close();
    CAPreferencesController reopened;
    auto *again = child<QCheckBox>(reopened, QString::fromLatin1(check.box));
    EXPECT_EQ(again->isChecked(), check.inverted ? !stored : stored);
}

INSTANTIATE_TEST_SUITE_P(
    AllPanes, PaneChecks,
    ::testing::Values(
        CheckCase{"General", "_snapCheck", "FTSnap", false, &CAPreferencesController::snap},
        CheckCase{"Address Panel", "_changeCountryCheck", "FTChangeCountry", false,
                  &CAPreferencesController::changeCountry},
        CheckCase{"Address Panel", "_convertToUppercaseCheck", "FTConvertToUppercase", false,
                  &CAPreferencesController::isConvertToUppercase},
        CheckCase{"Address Panel", "_convertToLinearAddressCheck", "FTConvertToLinearAddress", false,
                  &CAPreferencesController::isConvertToLinearAddress},
        CheckCase{"Address Panel", "_showEmptyFieldCheck", "FTShowEmptyField", true,
                  &CAPreferencesController::showEmptyField},
        CheckCase{"Address Panel", "_showCountryFieldCheck", "FTShowCountryField", true, nullptr},
        CheckCase{"Printing", "_vectorPrintingCheck", "FTVectorPrinting", true,
                  &CAPreferencesController::vectorPrinting},
        CheckCase{"Printing", "_commaDelimitedAddressCheck", "FTCommaDelimitedAddress", true,
                  &CAPreferencesController::isCommaDelimitedAddress},
        CheckCase{"Printing", "_suppressCountryFieldCheck", "FTSuppressCountryField", false,
                  &CAPreferencesController::suppressCountryField},
        CheckCase{"Printing", "_addressAutoResizeCheck", "FTAddressAutoResize", false,
                  &CAPreferencesController::addressAutoResize}));

TEST_F(PreferencesTest, ShowCountryFieldAnswersYesAfterItsBoxStoredNo)
{
    CAPreferencesController preferences;
    preferences.showWindow();
    clickPane(preferences, u"Address Panel"_s);
    clickBox(child<QCheckBox>(preferences, u"_showCountryFieldCheck"_s));
    EXPECT_FALSE(store().boolForKey(u"FTShowCountryField"_s));
    EXPECT_TRUE(preferences.showCountryField());
}

TEST_F(PreferencesTest, StartingDocumentRadioWritesTheRow)
{
    CAPreferencesController preferences;
    preferences.showWindow();
    const QList<std::pair<QString, int>> rows = {
        {u"_startingEnvelope"_s, 2}, {u"_startingPostcard"_s, 3}, {u"_startingLabel"_s, 1}, {u"_startingAssistant"_s, 0}};
    for (const auto &[name, row] : rows) {
        clickBox(child<QRadioButton>(preferences, name));
        EXPECT_EQ(store().integerForKey(u"FTStartingDocument"_s), row);
        EXPECT_EQ(preferences.startingDocument(), row);
    }
    store().setInteger(u"FTStartingDocument"_s, 2);
    CAPreferencesController reopened;
    EXPECT_TRUE(child<QRadioButton>(reopened, u"_startingEnvelope"_s)->isChecked());
}

TEST_F(PreferencesTest, CountryPopupWritesTheDefaultCountry)
{
    CAPreferencesController preferences;
    preferences.showWindow();
    clickPane(preferences, u"Address Panel"_s);
    auto *popup = child<QComboBox>(preferences, u"_countryPopup"_s);
    ASSERT_GT(popup->count(), 1);
    // Sorted by name, with the default country shown.
    for (int index = 1; index < popup->count(); ++index)
        EXPECT_LE(popup->itemText(index - 1).compare(popup->itemText(index), Qt::CaseInsensitive), 0);
    EXPECT_EQ(popup->currentData().toString(), u"us"_s);
    const int germany = popup->findData(u"de"_s);
    ASSERT_GE(germany, 0);
    popup->setFocus();
    // Typing the first letters of a name picks it, as a user does with the keyboard.
    while (popup->currentIndex() != germany) {
        const int before = popup->currentIndex();
        QTest::keyClick(popup, before < germany ? Qt::Key_Down : Qt::Key_Up);
        ASSERT_NE(popup->currentIndex(), before);
    }
    EXPECT_EQ(CAEnvironment::defaultCountry(), u"de"_s);
}

TEST_F(PreferencesTest, DefaultFontGoesThroughTheChooserIntoTheSetting)
{
    CAPreferencesController preferences;
    QFont offered;
    preferences.setFontChooser([&offered](const QFont &initial, QWidget *) -> std::optional<QFont> {
        offered = initial;
        QFont font(u"DejaVu Serif"_s);
        font.setPointSizeF(14.5);
        return font;
    });
    preferences.showWindow();
    QTest::mouseClick(child<QPushButton>(preferences, u"_changeDefaultFontButton"_s), Qt::LeftButton);
    const std::optional<PWFont> stored = PWKeyedUnarchiver::unarchiveFont(store().dataForKey(u"FTDefaultFont"_s));
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->toQFont().family(), QFont(u"DejaVu Serif"_s).family());
    EXPECT_DOUBLE_EQ(stored->toQFont().pointSizeF(), 14.5);
    EXPECT_TRUE(child<QLineEdit>(preferences, u"_defaultFontNameField"_s)->text().endsWith(u" - 14.5"_s));

    // Cancelling changes nothing.
    const QByteArray before = store().dataForKey(u"FTDefaultFont"_s);
    preferences.setFontChooser([](const QFont &, QWidget *) { return std::optional<QFont>(); });
    QTest::mouseClick(child<QPushButton>(preferences, u"_changeDefaultFontButton"_s), Qt::LeftButton);
    EXPECT_EQ(store().dataForKey(u"FTDefaultFont"_s), before);
}

TEST_F(PreferencesTest, AFontWithoutFamilyOrSizeStoresTheTenPointUserFont)
{
    CAPreferencesController preferences;
    preferences.setFontChooser([](const QFont &, QWidget *) -> std::optional<QFont> {
        QFont unusable;
        unusable.setFamilies({});
        unusable.setFamily(QString());
        return unusable;
    });
    preferences.showWindow();
    QTest::mouseClick(child<QPushButton>(preferences, u"_changeDefaultFontButton"_s), Qt::LeftButton);
    const std::optional<PWFont> stored = PWKeyedUnarchiver::unarchiveFont(store().dataForKey(u"FTDefaultFont"_s));
    ASSERT_TRUE(stored.has_value());
    EXPECT_DOUBLE_EQ(stored->toQFont().pointSizeF(), 10.0);
    EXPECT_FALSE(stored->toQFont().family().isEmpty());
}

TEST_F(PreferencesTest, PathFieldsStoreEveryFieldAtEachKeystrokeAndBrowseFills)
{
    CAPreferencesController preferences;
    preferences.showWindow();
    clickPane(preferences, u"Address Importing"_s);
    auto *excel = child<QLineEdit>(preferences, u"_pathExcel"_s);
    QTest::keyClicks(excel, u"/opt/x"_s);
    EXPECT_EQ(store().stringForKey(u"ApplicationPathExcel"_s), u"/opt/x"_s);
    // The untouched fields are stored too, empty.
    EXPECT_TRUE(store().hasStoredValue(u"ApplicationPathFileMaker"_s));
    EXPECT_EQ(store().stringForKey(u"ApplicationPathFileMaker"_s), QString());

    QString asked;
    preferences.setPathChooser([&asked](const QString &title, QWidget *) {
        asked = title;
        return u"/opt/filemaker/bin/fmp"_s;
    });
    QTest::mouseClick(child<QPushButton>(preferences, u"_browse4"_s), Qt::LeftButton);
    EXPECT_EQ(asked, u"Choose path for FileMaker Pro"_s);
    EXPECT_EQ(child<QLineEdit>(preferences, u"_pathFileMaker"_s)->text(), u"/opt/filemaker/bin/fmp"_s);
    EXPECT_EQ(store().stringForKey(u"ApplicationPathFileMaker"_s), u"/opt/filemaker/bin/fmp"_s);
}

TEST_F(PreferencesTest, WindowHeightFollowsThePaneAndClosingRefreshesDocuments)
{
    CAPreferencesController preferences;
    int refreshed = 0;
    preferences.setClosedHook([&refreshed] { ++refreshed; });
    preferences.showWindow();
    QWidget *window = preferences.window();
    QMap<QString, int> heights;
    const int width = window->width();
    for (const QString &pane : {u"General"_s, u"Address Panel"_s, u"Printing"_s, u"Address Importing"_s}) {
        clickPane(preferences, pane);
        EXPECT_EQ(window->windowTitle(), pane);
        heights.insert(pane, window->height());
        // Nothing the pane holds is cut off.
        auto *panes = child<QStackedWidget>(preferences, u"_tabView"_s);
        EXPECT_GE(panes->currentWidget()->height(), panes->currentWidget()->minimumSizeHint().height());
        EXPECT_EQ(window->width(), width);
    }
    EXPECT_NE(heights.value(u"General"_s), heights.value(u"Printing"_s));
    clickPane(preferences, u"General"_s);
    EXPECT_EQ(window->height(), heights.value(u"General"_s));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());

    QTest::mouseClick(child<QPushButton>(preferences, u"_closeButton"_s), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(refreshed, 1);
}

// The Printing pane's comma box does what its words say: ticked, the print sheet starts with its
// "Keep commas in addresses" box off and the printed city has no comma before the state; cleared,
// both keep it.
TEST_F(PreferencesTest, TheCommaBoxLeavesTheCommasOutOfPrintedAddressesAsItsWordsSay)
{
    QTemporaryDir folder;
    const QString pdf = folder.filePath(u"printed.pdf"_s);
    CAPrintViewController::setPdfPathChooser([&pdf](QWidget *, const QString &) { return pdf; });
    CAPreferencesController preferences;
    preferences.showWindow();
    clickPane(preferences, u"Printing"_s);
    auto *box = child<QCheckBox>(preferences, u"_commaDelimitedAddressCheck"_s);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text().remove(u'&'), u"Leave the commas out of printed addresses"_s);
    for (const bool leftOut : {true, false}) {
        SCOPED_TRACE(leftOut ? "ticked" : "cleared");
        if (box->isChecked() != leftOut)
            clickBox(box);
        ASSERT_EQ(box->isChecked(), leftOut);
        const std::shared_ptr<CADocument> document = printsheettest::design(dtLabel);
        const std::unique_ptr<CAddressFormat> format =
            CAddressFormatController::sharedAddressFormatController().formatWithTemplate(u"Name+Company"_s, u"us"_s, false, 0);
        ASSERT_TRUE(format);
        auto *panel = new CFTAAddressPanel(true, format.get(), nullptr, false);
        panel->SetOrigin(8.0, 6.0);
        document->ftDocument()->AddObject(panel, 0, false);
        const std::unique_ptr<CAPrintViewController> sheet =
            printsheettest::shownSheet(document, printsheettest::personChoice(1, true, false));
        ASSERT_TRUE(sheet);
        EXPECT_EQ(sheet->findChild<QCheckBox *>(u"_commaDelimitedCheck"_s)->isChecked(), !leftOut);
        QFile::remove(pdf);
        QTest::mouseClick(sheet->findChild<QPushButton *>(u"_exportButton"_s), Qt::LeftButton);
        QStringList words;
        const std::unique_ptr<Poppler::Document> printed = Poppler::Document::load(pdf);
        ASSERT_TRUE(printed);
        for (const std::unique_ptr<Poppler::TextBox> &word : printed->page(0)->textList())
            words.append(word->text());
        EXPECT_EQ(words.contains(u"Springfield,"_s), !leftOut) << qPrintable(words.join(u' '));
        EXPECT_EQ(words.contains(u"Springfield"_s), leftOut) << qPrintable(words.join(u' '));
    }
    CAPrintViewController::setPdfPathChooser([](QWidget *, const QString &) { return QString(); });
}

// Escape closes the window from any of its controls, as the Close button does.
TEST_F(PreferencesTest, EscapeClosesTheWindow)
{
    CAPreferencesController preferences;
    int refreshed = 0;
    preferences.setClosedHook([&refreshed] { ++refreshed; });
    preferences.showWindow();
    QWidget *window = preferences.window();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    auto *box = window->findChild<QCheckBox *>(u"_snapCheck"_s);
    ASSERT_NE(box, nullptr);
    const bool snap = box->isChecked();
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(box->isChecked(), snap) << "the key changed no setting";
}

class PreferencesCommand : public shelltest::Test
{
};

TEST_F(PreferencesCommand, TheMenuItemOpensTheWindow)
{
    CADocumentController &application = launch();
    EXPECT_TRUE(application.router().perform(u"preferences"_s));
    QWidget *window = CAPreferencesController::sharedPreferencesController().window();
    EXPECT_TRUE(window->isVisible());
    window->close();
}

} // namespace
