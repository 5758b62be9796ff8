// Every control of the template editors that writes a value into a design, set as a user does
// (each pop-up item, radio and check box, both ends of each field) in the change-layout sheet of
// a design's window: OK in the editor and in the sheet, Save from the File menu, and the saved
// design read again holds that value and reads without a word. The lower ends and the worked
// examples are the editors' documented ones, written out here; the top end of a field is the one
// the field itself tells the user when a longer value is typed.
#include "app/printing/CASheetController.h"
#include "app/shell/CAChangeLayoutSheet.h"
#include "kernel/printing/CATemplateFormat.h"

#include "ShellTestSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>

#include <cmath>
#include <functional>
#include <limits>

namespace layoutroundtrip {

constexpr double kPointsPerMillimetre = 2.8346457;
constexpr double kPointsPerInch = 72.0;
constexpr double kTop = std::numeric_limits<double>::quiet_NaN();

// How the user sets a control: a click, a check box clicked until it shows the mark wanted
// ("1" or "0"), an item of a closed pop-up chosen with the arrow keys, a text typed into a field
// and left with Tab, or the top end the field names, typed.
enum class Act { Click, Check, Choose, Type, TypeTop };

struct Step
{
    Act act;
    const char *control;
    const char *text = "";
};

struct LayoutValue
{
    const char *name;
    // The kind of design: 0 label, 1 envelope, 2 postcard.
    int kind;
    std::vector<Step> steps;
    // The value the design holds after the steps, in the unit of perUnit; kTop for the top end
    // the last field offered.
    double expected;
    double perUnit;
    std::function<double(const CFTADocument &)> value;
    // The steps are taken on the sheet's list of standard templates, not in a new template.
    bool standard = false;
    // For a text the design holds: the text expected, and where the design holds it.
    const char16_t *expectedText = nullptr;
    std::function<QString(const CFTADocument &)> text = {};
};

void PrintTo(const LayoutValue &row, std::ostream *out)
{
    *out << row.name;
}

class LayoutEditorRoundTrip : public shelltest::Test, public ::testing::WithParamInterface<LayoutValue>
{
protected:
    void SetUp() override
    {
        shelltest::Test::SetUp();
        forgetTemplates();
    }
    void TearDown() override
    {
        if (sheetWindow)
            delete sheetWindow.data();
        shelltest::Test::TearDown();
        forgetTemplates();
    }
    // The user's own and recent templates emptied where they are kept: the lists stay the same
    // objects, which the shared assistant's choosers hold for the whole process.
    static void forgetTemplates()
    {
        for (int type : {int(dtLabel), int(dtEnvelope), int(dtPostcard)}) {
            for (CATemplateFormat::TemplateList *list : {CATemplateFormat::customLayouts(type), CATemplateFormat::recentLayouts(type)})
                if (list)
                    list->clear();
        }
        CATemplateFormat::saveCustomLayouts();
        CATemplateFormat::saveRecentLayouts();
    }

    template<typename T>
    T *control(const char *name) const
    {
        T *found = sheetWindow ? sheetWindow->findChild<T *>(QLatin1String(name)) : nullptr;
        EXPECT_TRUE(found) << name;
        return found;
    }

    // The field's text replaced with the keyboard, and the field left with Tab.
    void type(QLineEdit *edit, const QString &text)
    {
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        bool ascii = true;
        for (const QChar c : text)
            ascii = ascii && c.unicode() < 128;
        if (ascii) {
            QTest::keyClicks(edit, text);
        } else {
            // Other scripts come as an input method commits them.
            QInputMethodEvent commit;
            commit.setCommitString(text);
            QApplication::sendEvent(edit, &commit);
        }
        QTest::keyClick(edit, Qt::Key_Tab);
    }

    void perform(const Step &step)
    {
        switch (step.act) {
        case Act::Click: {
            auto *button = control<QAbstractButton>(step.control);
            ASSERT_TRUE(button && button->isVisible() && button->isEnabled()) << step.control;
            // Check boxes and radio buttons answer on their mark, not on the whole row.
            const bool marked = qobject_cast<QCheckBox *>(button) || button->inherits("QRadioButton");
            QTest::mouseClick(button, Qt::LeftButton, {},
                              marked ? QPoint(6, button->height() / 2) : button->rect().center());
            break;
        }
        case Act::Check: {
            auto *box = control<QCheckBox>(step.control);
            ASSERT_TRUE(box && box->isVisible() && box->isEnabled()) << step.control;
            const bool wanted = QByteArray(step.text) == "1";
            if (box->isChecked() != wanted)
                QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
            ASSERT_EQ(box->isChecked(), wanted) << step.control;
            break;
        }
        case Act::Choose: {
            // From the first item down to the one wanted, with the keyboard on the closed pop-up.
            auto *popup = control<QComboBox>(step.control);
            ASSERT_TRUE(popup);
            const int wanted = popup->findText(QString::fromLatin1(step.text));
            ASSERT_GE(wanted, 0) << step.text;
            popup->setFocus();
            QTest::keyClick(popup, Qt::Key_Home);
            for (int i = 0; i < wanted; ++i)
                QTest::keyClick(popup, Qt::Key_Down);
            ASSERT_EQ(popup->currentText(), QString::fromLatin1(step.text)) << step.control;
            break;
        }
        case Act::Type: {
            auto *edit = control<QLineEdit>(step.control);
            ASSERT_TRUE(edit && edit->isEnabled()) << step.control;
            type(edit, QString::fromUtf8(step.text));
            ASSERT_EQ(edit->toolTip(), QString()) << step.control << " refused " << step.text;
            break;
        }
        case Act::TypeTop: {
            auto *edit = control<QLineEdit>(step.control);
            ASSERT_TRUE(edit && edit->isEnabled()) << step.control;
            // More nines than any field takes: the field keeps as many as it may, and when that
            // is more than it takes it is marked and names the numbers it takes.
            type(edit, u"999999999999"_s);
            static const QRegularExpression range(u"^Enter a number from (\\S+) to (\\S+)\\.$"_s);
            if (const QRegularExpressionMatch told = range.match(edit->toolTip()); told.hasMatch())
                type(edit, told.captured(2));
            ASSERT_EQ(edit->toolTip(), QString()) << step.control << " refused the top it named, " << edit->text().toStdString();
            bool ok = false;
            top = edit->text().toDouble(&ok);
            ASSERT_TRUE(ok) << edit->text().toStdString();
            break;
        }
        }
    }

    QPointer<QDialog> sheetWindow;
    double top = 0.0;
};

TEST_P(LayoutEditorRoundTrip, TheValueSetIsSavedAndReadBackWithoutAWord)
{
    const LayoutValue &row = GetParam();
    launch(row.kind + 1);
    installChangeLayoutSheet();
    CAMainWindowController *w = window(0);
    ASSERT_TRUE(w);
    CADocument *document = w->document();
    ASSERT_EQ(int(document->docType()), row.kind == 0 ? int(dtLabel) : row.kind == 1 ? int(dtEnvelope) : int(dtPostcard));

    // Format > Change Layout…, the Custom tab, New.
    QAction *item = controller->mainMenu().itemForAction(u"openChangeLayoutDialog"_s);
    ASSERT_NE(item, nullptr);
    controller->mainMenu().validate();
    ASSERT_TRUE(item->isEnabled());
    item->trigger();
    for (QDialog *dialog : w->findChildren<QDialog *>())
        if (dialog->isVisible() && dialog->findChild<CASheetController *>())
            sheetWindow = dialog;
    ASSERT_TRUE(sheetWindow);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(sheetWindow));
    auto *tabs = control<QTabWidget>("_tabView");
    ASSERT_TRUE(tabs);
    auto *editor = control<QWidget>("_editorView");
    ASSERT_TRUE(editor);
    if (!row.standard) {
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(1).center());
        perform({Act::Click, "_btnCreateNew"});
        ASSERT_TRUE(editor->isVisible());
    }
    for (const Step &step : row.steps) {
        perform(step);
        if (HasFatalFailure())
            return;
    }
    if (!row.standard) {
        perform({Act::Click, "_editorBtnOK"});
        ASSERT_FALSE(editor->isVisible()) << "the editor refused its own values";
    }
    perform({Act::Click, "_btnOK"});
    ASSERT_FALSE(sheetWindow && sheetWindow->isVisible());

    if (row.text) {
        EXPECT_EQ(row.text(*document->ftDocument()), QString::fromUtf16(row.expectedText)) << "as set";
    } else {
        const double expected = (std::isnan(row.expected) ? top : row.expected) * row.perUnit;
        EXPECT_NEAR(row.value(*document->ftDocument()), expected, 0.01) << "as set";
    }

    // File > Save, into a new file.
    savePath = path(u"layout.pwdc"_s);
    QAction *save = controller->mainMenu().itemForAction(u"saveDocument"_s);
    ASSERT_NE(save, nullptr);
    save->trigger();
    EXPECT_EQ(reports.join(u'\n'), QString());
    ASSERT_FALSE(manager().documents().first()->isEdited());

    CADocument reopened;
    QString error;
    ASSERT_TRUE(reopened.readFromFile(savePath, &error)) << qPrintable(error);
    EXPECT_EQ(reopened.readProblems().join(u'\n'), QString());
    if (row.text) {
        EXPECT_EQ(row.text(*reopened.ftDocument()), QString::fromUtf16(row.expectedText)) << "as read back";
        return;
    }
    // Lengths are written with three decimals.
    EXPECT_EQ(QString::number(row.value(*reopened.ftDocument()), 'f', 3),
              QString::number(row.value(*document->ftDocument()), 'f', 3))
        << "as read back";
}

double cardWidth(const CFTADocument &d) { return d.getCardSizeX(); }
double cardHeight(const CFTADocument &d) { return d.getCardSizeY(); }
double cornerRadius(const CFTADocument &d) { return d.GetCornerRadius(); }
double columns(const CFTADocument &d) { return d.GetColCount(); }
double rows(const CFTADocument &d) { return d.GetRowCount(); }
double topMargin(const CFTADocument &d) { return d.GetTopMargin(); }
double leftMargin(const CFTADocument &d) { return d.GetLeftMargin(); }
double columnGap(const CFTADocument &d) { return d.GetHSpace(); }
double rowGap(const CFTADocument &d) { return d.GetVSpace(); }
double units(const CFTADocument &d) { return int(d.getUnits()); }
double horizontal(const CFTADocument &d) { return d.IsHorizontal(0); }
double letter(const CFTADocument &d) { return d.GetPageSize().getData() == u"Letter"_s; }
double hasWindow(const CFTADocument &d) { return d.HasWindow(); }
double windowWidth(const CFTADocument &d) { return d.GetWinWidth(); }
double windowHeight(const CFTADocument &d) { return d.GetWinHeight(); }
double windowBottom(const CFTADocument &d) { return d.GetWinBottomOffset(); }
double windowLeft(const CFTADocument &d) { return d.GetWinLeftOffset(); }

constexpr double kMm = kPointsPerMillimetre;
constexpr double kIn = kPointsPerInch;

const Step kMillimetres {Act::Choose, "_units", "Millimeters"};
const Step kA4 {Act::Choose, "_pageSize", "A4"};
const Step kInches {Act::Choose, "_units", "Inches"};
// A label of 60 by 30 mm: three columns and nine rows on A4 when placed automatically.
const Step kWide {Act::Type, "_width", "60"};
const Step kLow {Act::Type, "_height", "30"};

INSTANTIATE_TEST_SUITE_P(
    LabelEditor, LayoutEditorRoundTrip,
    ::testing::Values(
        LayoutValue {"Millimetres", 0, {kInches, kMillimetres}, 0, 1, units},
        LayoutValue {"Inches", 0, {kMillimetres, kInches}, 1, 1, units},
        LayoutValue {"A4", 0, {{Act::Choose, "_pageSize", "Letter"}, {Act::Choose, "_pageSize", "A4"}}, 0, 1, letter},
        LayoutValue {"Letter", 0, {{Act::Choose, "_pageSize", "Letter"}}, 1, 1, letter},
        LayoutValue {"Landscape", 0, {{Act::Click, "editorPortrait"}, {Act::Click, "editorLandscape"}}, 1, 1, horizontal},
        LayoutValue {"Portrait", 0, {{Act::Click, "editorPortrait"}}, 0, 1, horizontal},
        LayoutValue {"NarrowestInMillimetres", 0, {kMillimetres, {Act::Type, "_width", "3.81"}}, 3.81, kMm, cardWidth},
        LayoutValue {"WidestInMillimetres", 0, {kMillimetres, {Act::TypeTop, "_width"}}, kTop, kMm, cardWidth},
        LayoutValue {"LowestInInches", 0, {kInches, {Act::Type, "_height", "0.15"}}, 0.15, kIn, cardHeight},
        LayoutValue {"HighestInInches", 0, {kInches, {Act::TypeTop, "_height"}}, kTop, kIn, cardHeight},
        LayoutValue {"SquareCorners", 0, {kMillimetres, {Act::Type, "_cornerRadius", "0"}}, 0, kMm, cornerRadius},
        LayoutValue {"RoundestCorners", 0, {kMillimetres, kWide, kLow, {Act::TypeTop, "_cornerRadius"}}, 15, kMm,
                     cornerRadius},
        LayoutValue {"OneColumn", 0, {{Act::Type, "_columns", "1"}}, 1, 1, columns},
        LayoutValue {"MostColumns", 0, {{Act::TypeTop, "_columns"}}, kTop, 1, columns},
        LayoutValue {"OneRow", 0, {{Act::Type, "_rows", "1"}}, 1, 1, rows},
        LayoutValue {"MostRows", 0, {{Act::TypeTop, "_rows"}}, kTop, 1, rows},
        LayoutValue {"NoTopMargin", 0, {kMillimetres, {Act::Type, "_topMargin", "0"}}, 0, kMm, topMargin},
        LayoutValue {"LargestTopMargin", 0, {kMillimetres, {Act::TypeTop, "_topMargin"}}, kTop, kMm, topMargin},
        LayoutValue {"NoLeftMargin", 0, {kInches, {Act::Type, "_leftMargin", "0"}}, 0, kIn, leftMargin},
        LayoutValue {"LargestLeftMargin", 0, {kInches, {Act::TypeTop, "_leftMargin"}}, kTop, kIn, leftMargin},
        LayoutValue {"NoColumnGap", 0, {kMillimetres, {Act::Type, "_horSpace", "0"}}, 0, kMm, columnGap},
        LayoutValue {"LargestColumnGap", 0, {kMillimetres, {Act::TypeTop, "_horSpace"}}, kTop, kMm, columnGap},
        LayoutValue {"NoRowGap", 0, {kInches, {Act::Type, "_vertSpace", "0"}}, 0, kIn, rowGap},
        LayoutValue {"LargestRowGap", 0, {kInches, {Act::TypeTop, "_vertSpace"}}, kTop, kIn, rowGap},
        // Placed automatically on A4: three columns of 60 mm and nine rows of 30 mm, centred.
        LayoutValue {"AutoColumns", 0, {kA4, kMillimetres, kWide, kLow, {Act::Click, "_auto"}}, 3, 1, columns},
        LayoutValue {"AutoRows", 0, {kA4, kMillimetres, kWide, kLow, {Act::Click, "_auto"}}, 9, 1, rows},
        LayoutValue {"AutoLeftMargin", 0, {kA4, kMillimetres, kWide, kLow, {Act::Click, "_auto"}}, 14.775, kMm, leftMargin},
        LayoutValue {"AutoTopMargin", 0, {kA4, kMillimetres, kWide, kLow, {Act::Click, "_auto"}}, 13.336, kMm, topMargin},
        // Made, then edited again and left as it was: the lengths stay as first typed.
        LayoutValue {"EditedAgainNarrowest", 0,
                     {kMillimetres, {Act::Type, "_width", "3.81"}, {Act::Click, "_editorBtnOK"}, {Act::Click, "_btnEdit"}},
                     3.81, kMm, cardWidth},
        LayoutValue {"EditedAgainHighest", 0,
                     {kInches, {Act::TypeTop, "_height"}, {Act::Click, "_editorBtnOK"}, {Act::Click, "_btnEdit"}}, kTop,
                     kIn, cardHeight},
        LayoutValue {"EditedAgainInTheOtherUnit", 0,
                     {kInches, {Act::Type, "_leftMargin", "0.3333"}, {Act::Click, "_editorBtnOK"}, {Act::Click, "_btnEdit"},
                      kMillimetres},
                     0.3333, kIn, leftMargin},
        // A label wider than the page: one column at the page's edge.
        LayoutValue {"AutoWiderThanThePage", 0, {kA4, kMillimetres, {Act::Type, "_width", "300"}, {Act::Click, "_auto"}}, 0,
                     kMm, leftMargin}),
    [](const auto &info) { return std::string(info.param.name); });

QString layoutName(const CFTADocument &d) { return d.GetID().getData(); }
QString layoutDescription(const CFTADocument &d) { return d.GetDescription().getData(); }

LayoutValue textRow(const char *name, int kind, const char *field, const char *typed, const char16_t *expected,
                  std::function<QString(const CFTADocument &)> text)
{
    return {name, kind, {{Act::Type, field, typed}}, 0, 1, nullptr, false, expected, std::move(text)};
}

// The name and description fields, with what a user may type into them.
INSTANTIATE_TEST_SUITE_P(
    TemplateTexts, LayoutEditorRoundTrip,
    ::testing::Values(textRow("MarkupInTheName", 0, "_name", "Mine & <Co> \"Ltd\"", u"Mine & <Co> \"Ltd\"", layoutName),
                      textRow("OtherScriptsInTheName", 1, "_name", "\xc3\x89tiquette \xe6\xa8\x99\xe7\xb1\xa4",
                            u"\u00c9tiquette \u6a19\u7c64", layoutName),
                      textRow("EmptyName", 0, "_name", "", u"", layoutName),
                      textRow("SpacedDescription", 2, "_description", "  two  spaces  ", u"  two  spaces  ",
                            layoutDescription)),
    [](const auto &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    EnvelopeEditor, LayoutEditorRoundTrip,
    ::testing::Values(
        LayoutValue {"EnvelopeInches", 1, {kMillimetres, kInches}, 1, 1, units},
        LayoutValue {"EnvelopeMillimetres", 1, {kInches, kMillimetres}, 0, 1, units},
        LayoutValue {"EnvelopePortrait", 1, {{Act::Click, "editorPortrait"}}, 0, 1, horizontal},
        LayoutValue {"EnvelopeLandscape", 1, {{Act::Click, "editorPortrait"}, {Act::Click, "editorLandscape"}}, 1, 1,
                     horizontal},
        LayoutValue {"EnvelopeNarrowest", 1, {kMillimetres, {Act::Type, "_width", "3.81"}}, 3.81, kMm, cardWidth},
        LayoutValue {"EnvelopeWidest", 1, {kInches, {Act::TypeTop, "_width"}}, kTop, kIn, cardWidth},
        LayoutValue {"EnvelopeLowest", 1, {kInches, {Act::Type, "_height", "0.15"}}, 0.15, kIn, cardHeight},
        LayoutValue {"EnvelopeHighest", 1, {kMillimetres, {Act::TypeTop, "_height"}}, kTop, kMm, cardHeight},
        LayoutValue {"WindowOn", 1, {{Act::Click, "_enableWindow"}}, 1, 1, hasWindow},
        LayoutValue {"WindowOff", 1, {{Act::Click, "_enableWindow"}, {Act::Click, "_enableWindow"}}, 0, 1, hasWindow},
        LayoutValue {"NarrowestWindow", 1, {kMillimetres, {Act::Click, "_enableWindow"}, {Act::Type, "_winWidth", "0"}},
                     0, kMm, windowWidth},
        LayoutValue {"WidestWindow", 1, {kMillimetres, {Act::Click, "_enableWindow"}, {Act::TypeTop, "_winWidth"}},
                     kTop, kMm, windowWidth},
        LayoutValue {"LowestWindow", 1, {kInches, {Act::Click, "_enableWindow"}, {Act::Type, "_winHeight", "0"}}, 0,
                     kIn, windowHeight},
        LayoutValue {"HighestWindow", 1, {kInches, {Act::Click, "_enableWindow"}, {Act::TypeTop, "_winHeight"}}, kTop,
                     kIn, windowHeight},
        LayoutValue {"WindowAtTheBottom", 1,
                     {kMillimetres, {Act::Click, "_enableWindow"}, {Act::Type, "_winBottomOffset", "0"}}, 0, kMm,
                     windowBottom},
        LayoutValue {"WindowFarthestUp", 1,
                     {kMillimetres, {Act::Click, "_enableWindow"}, {Act::TypeTop, "_winBottomOffset"}}, kTop, kMm,
                     windowBottom},
        LayoutValue {"WindowAtTheLeft", 1, {kInches, {Act::Click, "_enableWindow"}, {Act::Type, "_winLeftOffset", "0"}},
                     0, kIn, windowLeft},
        LayoutValue {"WindowFarthestRight", 1,
                     {kInches, {Act::Click, "_enableWindow"}, {Act::TypeTop, "_winLeftOffset"}}, kTop, kIn,
                     windowLeft}),
    [](const auto &info) { return std::string(info.param.name); });

const Step kWindowEnvelope {Act::Type, "_search", "10 Window"};
const Step kWindowShown {Act::Check, "_chkUseWindow", "1"};
const Step kWindowHidden {Act::Check, "_chkUseWindow", "0"};
const Step kLabelSheet {Act::Type, "_search", "5163"};

// The chooser's own controls, on a standard template: they go into the design with it.
INSTANTIATE_TEST_SUITE_P(
    StandardTemplate, LayoutEditorRoundTrip,
    ::testing::Values(
        LayoutValue {"WindowShown", 1, {kWindowEnvelope, kWindowShown}, 1, 1, hasWindow, true},
        LayoutValue {"WindowHidden", 1, {kWindowEnvelope, kWindowShown, kWindowHidden}, 0, 1, hasWindow, true},
        // The window of a #10 window envelope is 4.5 by 1.125 inches, 0.875 inch from the left.
        LayoutValue {"StandardWindowWidth", 1, {kWindowEnvelope, kWindowShown}, 4.5, kIn, windowWidth, true},
        LayoutValue {"StandardWindowLeft", 1, {kWindowEnvelope, kWindowShown}, 0.875, kIn, windowLeft, true},
        LayoutValue {"EnvelopeUpright", 1, {kWindowEnvelope, {Act::Click, "chooserPortrait"}}, 0, 1, horizontal, true},
        LayoutValue {"EnvelopeLying", 1, {kWindowEnvelope, {Act::Click, "chooserPortrait"}, {Act::Click, "chooserLandscape"}},
                     1, 1, horizontal, true},
        LayoutValue {"SheetUpright", 0, {kLabelSheet, {Act::Click, "chooserPortrait"}}, 0, 1, horizontal, true},
        LayoutValue {"SheetLying", 0, {kLabelSheet, {Act::Click, "chooserPortrait"}, {Act::Click, "chooserLandscape"}}, 1,
                     1, horizontal, true},
        LayoutValue {"PostcardUpright", 2, {{Act::Click, "chooserPortrait"}}, 0, 1, horizontal, true}),
    [](const auto &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    PostcardEditor, LayoutEditorRoundTrip,
    ::testing::Values(LayoutValue {"PostcardInches", 2, {kMillimetres, kInches}, 1, 1, units},
                      LayoutValue {"PostcardPortrait", 2, {{Act::Click, "editorPortrait"}}, 0, 1, horizontal},
                      LayoutValue {"PostcardNarrowest", 2, {kMillimetres, {Act::Type, "_width", "3.81"}}, 3.81, kMm,
                                   cardWidth},
                      LayoutValue {"PostcardWidest", 2, {kMillimetres, {Act::TypeTop, "_width"}}, kTop, kMm, cardWidth},
                      LayoutValue {"PostcardLowest", 2, {kInches, {Act::Type, "_height", "0.15"}}, 0.15, kIn, cardHeight},
                      LayoutValue {"PostcardHighest", 2, {kInches, {Act::TypeTop, "_height"}}, kTop, kIn, cardHeight}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace layoutroundtrip
