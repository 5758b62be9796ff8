// The source pop-up of the address window used with the keyboard and the wheel: keys that step
// through it closed show no source on the way, and the wheel over it changes nothing, so none of
// those starts an import; the source chosen in its list imports once.
#include "ContactsWindowTestSupport.h"
#include "TestSupport.h"

#include "app/contacts/CAAddressBookSource.h"
#include "app/contacts/CAAddressWindow.h"
#include "app/contacts/CAContactImportDialogs.h"
#include "app/contacts/CAContactImportHooks.h"
#include "app/contacts/CATextFileSource.h"
#include "app/contacts/CAVCFSource.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGuiApplication>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace Qt::StringLiterals;

namespace {

// The key of the first letter of a source's name, which no source before it shares.
Qt::Key initialOf(const QString &name)
{
    return Qt::Key(Qt::Key_A + (name.front().toUpper().unicode() - u'A'));
}

class CAAddressWindowKeysTest : public testing::Test, protected contactstest::WindowModels
{
protected:
    CAAddressWindowKeysTest()
    {
        CAVCFSource::registerWith(container);
        CATextFileSource::registerWith(container);
        m_savedHooks = CAContactImportHooks::shared();
        // Every import that starts asks for its files: the chooser notes the files it was asked
        // for ("*.vcf" for vCards, nothing for text files) and answers with a file of that kind,
        // so that the source chosen is read and stays shown.
        CAContactImportHooks hooks;
        hooks.chooseFiles = [this](QWidget *, const QString &, const QStringList &nameFilters)
            -> std::optional<CAContactImportHooks::ChosenFiles> {
            asked.append(nameFilters.join(u' '));
            const QString file = nameFilters.isEmpty() ? u"delimited-text/spreadsheet-comma-multiline.csv"_s
                                                       : u"contacts/vcard30-folded.vcf"_s;
            return CAContactImportHooks::ChosenFiles {{pwtest::dataPath(file)}, QString()};
        };
        CAContactImportHooks::shared() = CAContactImportDialogs::onMainThread(hooks);
    }
    ~CAAddressWindowKeysTest() override { CAContactImportHooks::shared() = m_savedHooks; }

    // The window on its contacts, showing the address book, with the keyboard in the source pop-up.
    QComboBox *focusSourcePopUp(CAAddressWindow &window)
    {
        window.showRecipients(false);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        auto *popup = window.findChild<QComboBox *>(u"sourceButton"_s);
        popup->setFocus(Qt::TabFocusReason);
        EXPECT_TRUE(popup->hasFocus());
        EXPECT_EQ(window.currentSourceName(), CAAddressBookSource::kName);
        return popup;
    }
    // Typed as the user types: into the window that has the keyboard, the pop-up's list once open.
    static void type(const QList<Qt::Key> &keys)
    {
        for (const Qt::Key key : keys) {
            ASSERT_NE(QGuiApplication::focusWindow(), nullptr);
            QTest::keyClick(QGuiApplication::focusWindow(), key);
        }
    }
    static void waitForImports(const CAAddressWindow &window)
    {
        EXPECT_TRUE(QTest::qWaitFor([&window] { return !window.isImporting(); }, 60000));
        QCoreApplication::processEvents();
    }
    QStringList asked;

private:
    CAContactImportHooks m_savedHooks;
};

struct SteppingCase
{
    const char *name;
    std::function<QList<Qt::Key>()> keys;
};

void PrintTo(const SteppingCase &row, std::ostream *stream)
{
    *stream << row.name;
}

class StepsThroughTheClosedSourcePopUp : public CAAddressWindowKeysTest,
                                         public ::testing::WithParamInterface<SteppingCase>
{
};

TEST_P(StepsThroughTheClosedSourcePopUp, OpensItsListAndShowsNoSourcePassed)
{
    CAAddressWindow window(models());
    QComboBox *popup = focusSourcePopUp(window);
    ASSERT_NO_FATAL_FAILURE(type(GetParam().keys()));
    waitForImports(window);
    EXPECT_TRUE(popup->view()->isVisible()) << "the keys open the list";
    EXPECT_EQ(window.currentSourceName(), CAAddressBookSource::kName);
    EXPECT_EQ(asked, QStringList());

    // Leaving the list chooses nothing.
    ASSERT_NO_FATAL_FAILURE(type({Qt::Key_Escape}));
    waitForImports(window);
    EXPECT_FALSE(popup->view()->isVisible());
    EXPECT_EQ(window.currentSourceName(), CAAddressBookSource::kName);
    EXPECT_EQ(asked, QStringList());
    EXPECT_EQ(scratch.defaults().stringForKey(u"ContactDataSource"_s), QString());
}

INSTANTIATE_TEST_SUITE_P(
    AddressWindow, StepsThroughTheClosedSourcePopUp,
    ::testing::Values(
        SteppingCase {"down_down", [] { return QList<Qt::Key> {Qt::Key_Down, Qt::Key_Down}; }},
        SteppingCase {"page_down", [] { return QList<Qt::Key> {Qt::Key_PageDown}; }},
        SteppingCase {"end", [] { return QList<Qt::Key> {Qt::Key_End}; }},
        SteppingCase {"initial_of_a_source", [] { return QList<Qt::Key> {initialOf(CATextFileSource::name())}; }}),
    [](const ::testing::TestParamInfo<SteppingCase> &info) { return std::string(info.param.name); });

struct WheelCase
{
    const char *name;
    // The pop-up shows the local base, the last source, rather than the address book, the first.
    bool fromLocalBase;
    // Notches turned, one event each: positive away from the user (up the list), negative towards.
    int notches;
};

void PrintTo(const WheelCase &row, std::ostream *stream)
{
    *stream << row.name;
}

class WheelOverTheClosedSourcePopUp : public CAAddressWindowKeysTest, public ::testing::WithParamInterface<WheelCase>
{
};

TEST_P(WheelOverTheClosedSourcePopUp, LeavesTheSourceShown)
{
    const WheelCase &row = GetParam();
    CAAddressWindow window(models());
    QComboBox *popup = focusSourcePopUp(window);
    if (row.fromLocalBase)
        window.showRecipients(true);
    const QString shown = window.currentSourceName();
    ASSERT_EQ(popup->currentText(), shown);

    const QPoint centre = popup->rect().center();
    const int step = row.notches > 0 ? QWheelEvent::DefaultDeltasPerStep : -QWheelEvent::DefaultDeltasPerStep;
    for (int notch = 0; notch < std::abs(row.notches); ++notch) {
        QWheelEvent wheel(centre, popup->mapToGlobal(centre), QPoint(), QPoint(0, step), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(popup, &wheel);
    }
    waitForImports(window);
    EXPECT_FALSE(popup->view()->isVisible());
    EXPECT_EQ(window.currentSourceName(), shown);
    EXPECT_EQ(popup->currentText(), shown);
    EXPECT_EQ(asked, QStringList());
    EXPECT_EQ(scratch.defaults().stringForKey(u"ContactDataSource"_s), QString());
}

INSTANTIATE_TEST_SUITE_P(AddressWindow, WheelOverTheClosedSourcePopUp,
                         ::testing::Values(WheelCase {"down_from_the_address_book", false, -1},
                                           WheelCase {"three_down_from_the_address_book", false, -3},
                                           WheelCase {"up_from_the_local_base", true, 1}),
                         [](const ::testing::TestParamInfo<WheelCase> &info) { return std::string(info.param.name); });

struct ChoiceCase
{
    const char *name;
    std::function<QList<Qt::Key>()> keys;
    std::function<QString()> chosen;
    // What the chosen source's import asks for.
    QString files;
};

void PrintTo(const ChoiceCase &row, std::ostream *stream)
{
    *stream << row.name;
}

class ChoosesASourceWithTheKeyboard : public CAAddressWindowKeysTest, public ::testing::WithParamInterface<ChoiceCase>
{
};

TEST_P(ChoosesASourceWithTheKeyboard, ImportsTheChosenSourceOnly)
{
    const ChoiceCase &row = GetParam();
    CAAddressWindow window(models());
    QComboBox *popup = focusSourcePopUp(window);
    ASSERT_NO_FATAL_FAILURE(type(row.keys()));
    waitForImports(window);
    EXPECT_FALSE(popup->view()->isVisible());
    EXPECT_EQ(window.currentSourceName(), row.chosen());
    EXPECT_EQ(asked, QStringList{row.files});
    EXPECT_EQ(scratch.defaults().stringForKey(u"ContactDataSource"_s), row.chosen());
}

INSTANTIATE_TEST_SUITE_P(
    AddressWindow, ChoosesASourceWithTheKeyboard,
    ::testing::Values(
        // Down opens the list on the address book; the vCards are next, the text file after them.
        ChoiceCase {"arrows_then_return", [] { return QList<Qt::Key> {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}; },
                    [] { return CAVCFSource::name(); }, u"*.vcf"_s},
        ChoiceCase {"arrows_past_a_source_then_return",
                    [] { return QList<Qt::Key> {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}; },
                    [] { return CATextFileSource::name(); }, QString()},
        ChoiceCase {"initial_then_return",
                    [] { return QList<Qt::Key> {initialOf(CATextFileSource::name()), Qt::Key_Return}; },
                    [] { return CATextFileSource::name(); }, QString()}),
    [](const ::testing::TestParamInfo<ChoiceCase> &info) { return std::string(info.param.name); });

} // namespace
