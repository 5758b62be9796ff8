// Two instances of the program on one settings file, each with its address window. A sender
// double-clicked opens the contact editor sheet on it as the file holds it then, and OK stores only
// the fields its user typed, whatever the other instance stored meanwhile. A sender removed in the
// Sender window of one instance while the other edited it comes back with the edit, and the
// window that removed it says so in a box; one removed after the edit was seen stays removed.
#include "ContactsWindowTestSupport.h"

#include "app/contacts/CAContactEditor.h"
#include "app/contacts/CAContactTableModel.h"
#include "app/contacts/CAPrintMultipleDialog.h"
#include "kernel/address/FTPersonFields.h"
#include "TestSupport.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace Qt::StringLiterals;

namespace sheetinstancestest {

using SheetInstance = contactstest::StoredInstance;

using contactstest::personWithCities;
using contactstest::pressSheetOk;
using contactstest::typeIntoSheet;

QString seedFile(QTemporaryDir &folder, const QStringList &lasts)
{
    const QString file = folder.filePath(u"Parcelwick.plist"_s);
    SheetInstance seed(file, folder.filePath(u"seed"_s), false);
    CAPersonList senders;
    for (const QString &last : lasts)
        senders.append(personWithCities(last));
    seed.senders.savePersonListChanges(senders);
    return file;
}

// Two instances on one seeded settings file, each with its address window shown; B takes in
// the other's writes when idle, A as asked.
struct TwoInstances
{
    explicit TwoInstances(bool aWatches, const QStringList &lasts = {u"Zed"_s, u"Abe"_s})
        : file(seedFile(folder, lasts))
        , a(file, folder.filePath(u"a"_s), aWatches)
        , b(file, folder.filePath(u"b"_s), true)
        , aWindow(a.models())
        , bWindow(b.models())
    {
        aWindow.show();
        bWindow.show();
    }
    QTemporaryDir folder;
    QString file;
    SheetInstance a;
    SheetInstance b;
    CAAddressWindow aWindow;
    CAAddressWindow bWindow;
};

int rowOf(QTableView *table, const QString &last)
{
    return contactstest::rowOfLastName(table, last);
}

QPoint placeOf(QTableView *table, const QString &last)
{
    return contactstest::placeOfLastName(table, last);
}

// Double-clicks the sender's row of the window's Senders tab and runs act in the contact editor
// sheet that opens; answers when the sheet closed.
void inSheetOn(CAAddressWindow &window, const QString &last, const std::function<void(CAContactEditorSheet &)> &act)
{
    window.showSenders();
    EXPECT_TRUE(contactstest::inSheetOn(window, window.findChild<QTableView *>(u"senderTable"_s), last, act))
        << "no sheet opened on " << last.toStdString();
}

using Typed = std::map<QString, std::map<std::pair<addressType, textCategory>, QString>>;

// The senders of the file as a third instance reads them (lasts sorted): each holds what was typed for it, and
// its seeded value elsewhere.
void expectStored(const QString &file, const QString &folder, const QStringList &lasts, Typed typed)
{
    SheetInstance later(file, folder, false);
    const CAPersonList stored = later.senders.personListDict().personList();
    QStringList found = contactstest::lastNames(stored);
    found.sort();
    ASSERT_EQ(found, lasts);
    for (const std::shared_ptr<PWPerson> &person : stored) {
        const QString last = person->stringForProperty(kPWLastNameProperty);
        const std::shared_ptr<PWPerson> was = personWithCities(last);
        for (addressType type : CAContactEditor::kTabTypes) {
            for (textCategory category : {tcCity, tcState}) {
                const auto found = typed[last].find({type, category});
                const QString expected = found != typed[last].end() ? found->second
                                                                    : stringForPersonCategory(was.get(), type, category, false);
                EXPECT_EQ(stringForPersonCategory(person.get(), type, category, false), expected)
                    << last.toStdString() << " type " << type << " category " << category;
            }
        }
    }
}

struct SheetTyping
{
    const char *name;
    QString aSender;     // A types a state for this sender in its sheet
    QString bSender;     // B types a city for this one in its sheet
    QString bCity;       // what B types
};

void PrintTo(const SheetTyping &typing, std::ostream *stream)
{
    *stream << typing.name;
}

class SheetInstances : public ::testing::TestWithParam<SheetTyping>
{
};

TEST_P(SheetInstances, TheSheetShowsTheFileAndOkStoresWhatItsUserTyped)
{
    const SheetTyping &typing = GetParam();
    // A does not take in writes when idle: what B stored meets A's edit at A's OK.
    TwoInstances two(false);
    auto &[folder, file, a, b, aWindow, bWindow] = two;
    Typed typed;
    const auto bTypes = [&](CAContactEditorSheet &sheet) {
        typeIntoSheet(sheet.editor()->fieldOfCategory(tcCity), typing.bCity);
        typed[typing.bSender][{sheet.editor()->currentAddressType(), tcCity}] = typing.bCity;
        pressSheetOk(sheet);
    };
    const auto aTypes = [&](CAContactEditorSheet &sheet) {
        typeIntoSheet(sheet.editor()->fieldOfCategory(tcState), u"OR"_s);
        typed[typing.aSender][{sheet.editor()->currentAddressType(), tcState}] = u"OR"_s;
        pressSheetOk(sheet);
    };
    inSheetOn(aWindow, typing.aSender, [&](CAContactEditorSheet &aSheet) {
        inSheetOn(bWindow, typing.bSender, bTypes);
        ASSERT_TRUE(b.defaults.waitForPendingWrite(pwtest::kEventWaitMs));
        aTypes(aSheet);
    });
    ASSERT_TRUE(a.defaults.waitForPendingWrite(pwtest::kEventWaitMs));
    ASSERT_TRUE(b.defaults.waitForPendingWrite(pwtest::kEventWaitMs));
    // A's senders are what the file holds, as every window shows them.
    QStringList shown = contactstest::lastNames(a.senders.personListDict().personList());
    shown.sort();
    EXPECT_EQ(shown, (QStringList {u"Abe"_s, u"Zed"_s}));
    expectStored(file, folder.filePath(u"later"_s), {u"Abe"_s, u"Zed"_s}, typed);
}

const SheetTyping kSheetTypings[] = {
    {"OpenTogetherTheStateTypedKeepsTheOthersCity", u"Zed"_s, u"Zed"_s, u"Salem"_s},
    {"OpenTogetherOnTwoSendersKeepsBoth", u"Abe"_s, u"Zed"_s, u"Salem"_s},
};

INSTANTIATE_TEST_SUITE_P(Typings, SheetInstances, ::testing::ValuesIn(kSheetTypings),
                         [](const auto &info) { return std::string(info.param.name); });

// B stores a new city for a sender; A's sheet, opened on that sender afterwards, shows that city
// whether or not A took the write in while idle, and A's OK keeps it.
TEST(SheetInstancesOpening, TheSheetOpensOnWhatTheFileHoldsThen)
{
    for (const bool aWatches : {false, true}) {
        SCOPED_TRACE(aWatches ? "A takes in writes when idle" : "A reads the file only as its sheet opens");
        TwoInstances two(aWatches);
        auto &[folder, file, a, b, aWindow, bWindow] = two;
        // A has shown its senders as the file held them first.
        aWindow.showSenders();
        Typed typed;
        addressType bType = CAContactEditor::kTabTypes[0];
        inSheetOn(bWindow, u"Zed"_s, [&](CAContactEditorSheet &sheet) {
            bType = sheet.editor()->currentAddressType();
            typeIntoSheet(sheet.editor()->fieldOfCategory(tcCity), u"Salem"_s);
            typed[u"Zed"_s][{bType, tcCity}] = u"Salem"_s;
            pressSheetOk(sheet);
        });
        ASSERT_TRUE(b.defaults.waitForPendingWrite(pwtest::kEventWaitMs));
        QString shownCity;
        inSheetOn(aWindow, u"Zed"_s, [&](CAContactEditorSheet &sheet) {
            EXPECT_EQ(sheet.editor()->currentAddressType(), bType);
            shownCity = sheet.editor()->fieldOfCategory(tcCity)->text();
            pressSheetOk(sheet);
        });
        EXPECT_EQ(shownCity, u"Salem"_s);
        ASSERT_TRUE(a.defaults.waitForPendingWrite(pwtest::kEventWaitMs));
        expectStored(file, folder.filePath(u"later"_s), {u"Abe"_s, u"Zed"_s}, typed);
    }
}

// A removes Zed in its Sender window; B edits a sender's city in its sheet before A's window
// opens or while it is open. The box names who came back, and only when someone did.
TEST(SheetInstancesRemoval, ASenderRemovedHereAndEditedThereComesBackAndTheBoxSaysSo)
{
    const struct
    {
        const char *name;
        QString bSender;
        bool bBeforeAOpens;
        bool comesBack;
    } rows[] = {
        {"edited while the remover's window was open", u"Zed"_s, false, true},
        {"edited before the remover's window opened", u"Zed"_s, true, false},
        {"another sender edited", u"Abe"_s, false, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        TwoInstances two(true);
        auto &[folder, file, a, b, aWindow, bWindow] = two;
        Typed typed;
        const auto bEdits = [&] {
            inSheetOn(bWindow, row.bSender, [&](CAContactEditorSheet &sheet) {
                typeIntoSheet(sheet.editor()->fieldOfCategory(tcCity), u"Salem"_s);
                typed[row.bSender][{sheet.editor()->currentAddressType(), tcCity}] = u"Salem"_s;
                pressSheetOk(sheet);
            });
            ASSERT_TRUE(b.defaults.waitForPendingWrite(pwtest::kEventWaitMs));
        };
        if (row.bBeforeAOpens)
            bEdits();
        bool removed = false;
        QTimer::singleShot(0, &aWindow, [&] {
            auto *dialog = qobject_cast<CAPrintMultipleDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            auto *table = dialog->findChild<QTableView *>(u"_personTable"_s);
            const int at = rowOf(table, u"Zed"_s);
            ASSERT_GE(at, 0);
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(table->model()->index(at, 0)).center());
            QTest::mouseClick(dialog->findChild<QPushButton *>(u"_btnRemovePerson"_s), Qt::LeftButton);
            removed = rowOf(table, u"Abe"_s) >= 0 && table->model()->rowCount() == 1;
            if (!row.bBeforeAOpens)
                bEdits();
            pressSheetOk(*dialog);
        });
        aWindow.showSenders();
        QTest::mouseClick(aWindow.findChild<QPushButton *>(u"editSendersButton"_s), Qt::LeftButton);
        ASSERT_TRUE(removed) << "the Sender window removed Zed";
        ASSERT_TRUE(a.defaults.waitForPendingWrite(pwtest::kEventWaitMs));

        // The box opens as the merge that brought the sender back is taken in.
        QCoreApplication::processEvents();
        auto *box = aWindow.findChild<QMessageBox *>(u"restoredPersonsMessage"_s);
        const bool told = box && box->isVisible();
        EXPECT_EQ(told, row.comesBack);
        if (told) {
            EXPECT_TRUE(box->text().contains(u"Ann Zed"_s)) << box->text().toStdString();
            EXPECT_FALSE(box->text().contains(u"Abe"_s)) << box->text().toStdString();
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        }
        EXPECT_EQ(bWindow.findChild<QMessageBox *>(u"restoredPersonsMessage"_s), nullptr) << "B removed nobody";
        expectStored(file, folder.filePath(u"later"_s), row.comesBack ? QStringList {u"Abe"_s, u"Zed"_s} : QStringList {u"Abe"_s},
                     typed);
    }
}

// A's user clicks a sender, which stores it as the chosen one; that write takes in what B stored
// meanwhile (a sender added before the one clicked, one removed before it, or both), and A's
// table moves its rows under the mouse. The double click that follows at the same place opens the
// sheet on the sender clicked, who stays the one chosen.
TEST(SheetInstancesDoubleClick, TheFirstDoubleClickAfterTheOthersChangeOpensTheSenderClicked)
{
    const struct
    {
        const char *name;
        QStringList added;
        QStringList removed;
        int rowsMoved; // how far the sender clicked moves in A's table
    } rows[] = {
        {"a sender added before it", {u"Bob"_s}, {}, 1},
        {"a sender removed before it", {}, {u"Abe"_s}, -1},
        {"one added and one removed before it", {u"Bob"_s}, {u"Dee"_s}, 0},
        {"two added, one after it", {u"Ann"_s, u"Tom"_s}, {}, 1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        // A reads the file only as its own write or sheet does.
        TwoInstances two(false, {u"Abe"_s, u"Dee"_s, u"Kim"_s, u"Zed"_s});
        auto &[folder, file, a, b, aWindow, bWindow] = two;
        aWindow.showSenders();
        auto *table = aWindow.findChild<QTableView *>(u"senderTable"_s);
        const QPoint at = placeOf(table, u"Kim"_s);
        ASSERT_FALSE(at.isNull());
        const int clickedRow = rowOf(table, u"Kim"_s);

        CAPersonList bSenders;
        for (const std::shared_ptr<PWPerson> &sender : b.senders.personListDict().personList())
            if (!row.removed.contains(sender->stringForProperty(kPWLastNameProperty)))
                bSenders.append(sender);
        for (const QString &last : row.added)
            bSenders.append(personWithCities(last));
        b.senders.savePersonListChanges(bSenders);
        ASSERT_TRUE(b.defaults.waitForPendingWrite(pwtest::kEventWaitMs));

        QString opened;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &aWindow, [&] {
            auto *sheet = qobject_cast<CAContactEditorSheet *>(QApplication::activeModalWidget());
            if (!sheet || sheet->parentWidget() != &aWindow || !opened.isEmpty())
                return;
            poll.stop();
            opened = sheet->editor()->fieldOfCategory(tcCity)->text();
            sheet->reject();
        });
        QCoreApplication::processEvents();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
        ASSERT_TRUE(a.defaults.waitForPendingWrite(pwtest::kEventWaitMs));
        // The click's write took B's senders in: the table shows them, the sender clicked moved.
        QStringList shown;
        for (const std::shared_ptr<PWPerson> &person : static_cast<CAContactTableModel *>(table->model())->content())
            shown.append(person->stringForProperty(kPWLastNameProperty));
        QStringList expected = contactstest::lastNames(bSenders);
        expected.sort();
        QStringList shownSorted = shown;
        shownSorted.sort();
        ASSERT_EQ(shownSorted, expected);
        ASSERT_EQ(shown.indexOf(u"Kim"_s), clickedRow + row.rowsMoved) << shown.join(u", "_s).toStdString();
        // Kim is chosen, in the table and as the sender new designs start with, in this instance
        // and in the file.
        const auto expectKimChosen = [&] {
            const QModelIndexList selected = table->selectionModel()->selectedRows();
            ASSERT_EQ(selected.size(), 1);
            EXPECT_EQ(shown.at(selected.first().row()), u"Kim"_s);
            EXPECT_EQ(shown.at(table->currentIndex().row()), u"Kim"_s);
            ASSERT_NE(a.senders.defaultPerson(), nullptr);
            EXPECT_EQ(a.senders.defaultPerson()->stringForProperty(kPWLastNameProperty), u"Kim"_s);
            ASSERT_TRUE(a.defaults.waitForPendingWrite(pwtest::kEventWaitMs));
            SheetInstance later(file, folder.filePath(u"later"_s), false);
            ASSERT_NE(later.senders.defaultPerson(), nullptr);
            EXPECT_EQ(later.senders.defaultPerson()->stringForProperty(kPWLastNameProperty), u"Kim"_s);
        };
        {
            SCOPED_TRACE("after the click");
            expectKimChosen();
        }

        poll.start(5);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(table->viewport(), Qt::LeftButton, {}, at);
        poll.stop();
        EXPECT_EQ(opened, u"Kim City"_s) << "the sheet opened on whom it shows, or did not open";

        SCOPED_TRACE("after the double click");
        expectKimChosen();
    }
}

} // namespace sheetinstancestest
