// Two instances of the program on one settings file, each with its address window and its Sender
// window (the print-multiple window on the senders), opened from the Senders tab's edit button: a
// window shows what the file holds when it opens and, while the user has not changed it, what the
// other instance stores meanwhile; at OK only what the user typed is stored, field by field.
#include "ContactsWindowTestSupport.h"

#include "app/contacts/CAContactEditor.h"
#include "app/contacts/CAContactTableModel.h"
#include "app/contacts/CAPrintMultipleDialog.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/address/FTStoredPerson.h"
#include "TestSupport.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace Qt::StringLiterals;

namespace {

// One instance on the shared file, taking in the other's writes when idle.
struct SenderInstance : contactstest::StoredInstance
{
    SenderInstance(const QString &file, const QString &folder)
        : StoredInstance(file, folder)
    {
    }
};

std::shared_ptr<PWPerson> sender(const QString &last, const QString &city, const QString &state)
{
    std::shared_ptr<PWPerson> made = contactstest::person(u"Ann"_s, last);
    for (addressType type : CAContactEditor::kTabTypes) {
        setStringForPersonCategory(made.get(), city, type, tcCity);
        setStringForPersonCategory(made.get(), state, type, tcState);
    }
    return made;
}

QLineEdit *field(CAPrintMultipleDialog &dialog, textCategory category)
{
    return dialog.contactEditor()->fieldOfCategory(category);
}

// Clicks the row of the sender with that last name in the window's persons table.
void chooseSender(CAPrintMultipleDialog &dialog, const QString &last)
{
    auto *table = dialog.findChild<QTableView *>(u"_personTable"_s);
    auto *model = static_cast<CAContactTableModel *>(table->model());
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->personAt(row)->stringForProperty(kPWLastNameProperty) == last) {
            const QRect cell = table->visualRect(model->index(row, 0));
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
            return;
        }
    }
    ADD_FAILURE() << "no sender " << last.toStdString();
}

void typeInto(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    Q_EMIT edit->editingFinished();
}

void pressOk(CAPrintMultipleDialog &dialog)
{
    QTest::mouseClick(dialog.findChild<QDialogButtonBox *>(u"buttonBox"_s)->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

// Opens the instance's Sender window with the edit button and runs then in it; answers when the
// window closed.
void inSenderWindow(CAAddressWindow &window, const std::function<void(CAPrintMultipleDialog &)> &then)
{
    QTimer::singleShot(0, &window, [then] {
        auto *dialog = qobject_cast<CAPrintMultipleDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        ASSERT_EQ(dialog->listEditor().mode(), CAPrintListEditor::Senders);
        then(*dialog);
    });
    window.showSenders();
    QTest::mouseClick(window.findChild<QPushButton *>(u"editSendersButton"_s), Qt::LeftButton);
}

struct Typing
{
    const char *name;
    QString aSender;      // A types a city for this sender
    QString bSender;      // B types a state for this one
    bool bOpensAfterA;    // B's window opens after A's OK, else both are open together
    bool bTypesBeforeAOk; // with both open: B types before A's OK, else after it
};

void PrintTo(const Typing &typing, std::ostream *stream)
{
    *stream << typing.name;
}

class SenderWindows : public ::testing::TestWithParam<Typing>
{
};

TEST_P(SenderWindows, EachWindowStoresWhatItsUserTypedAndShowsTheOther)
{
    const Typing &typing = GetParam();
    QTemporaryDir folder;
    const QString file = folder.filePath(u"Parcelwick.plist"_s);
    {
        SenderInstance seed(file, folder.filePath(u"seed"_s));
        seed.senders.savePersonListChanges({sender(u"Zed"_s, u"Old City"_s, u"OS"_s), sender(u"Abe"_s, u"Abe City"_s, u"AS"_s)});
    }
    SenderInstance a(file, folder.filePath(u"a"_s));
    SenderInstance b(file, folder.filePath(u"b"_s));
    CAAddressWindow aWindow(a.models());
    CAAddressWindow bWindow(b.models());
    aWindow.show();
    bWindow.show();
    // What each user typed, and for which sender and address type: the file must hold it.
    std::map<QString, std::map<std::pair<addressType, textCategory>, QString>> typed;
    const auto aTypes = [&](CAPrintMultipleDialog &dialog) {
        chooseSender(dialog, typing.aSender);
        typeInto(field(dialog, tcCity), u"Salem"_s);
        typed[typing.aSender][{dialog.contactEditor()->currentAddressType(), tcCity}] = u"Salem"_s;
    };
    const auto bTypes = [&](CAPrintMultipleDialog &dialog) {
        chooseSender(dialog, typing.bSender);
        typeInto(field(dialog, tcState), u"OR"_s);
        typed[typing.bSender][{dialog.contactEditor()->currentAddressType(), tcState}] = u"OR"_s;
    };
    // Once A stored its city, B's window shows it for the sender it shows, unless B's user changed
    // the list already.
    const auto bShowsA = [&](CAPrintMultipleDialog &dialog) {
        chooseSender(dialog, typing.aSender);
        EXPECT_TRUE(QTest::qWaitFor([&] { return field(dialog, tcCity)->text() == u"Salem"_s; }, pwtest::kEventWaitMs))
            << "B shows " << field(dialog, tcCity)->text().toStdString();
    };
    if (typing.bOpensAfterA) {
        inSenderWindow(aWindow, [&](CAPrintMultipleDialog &dialog) {
            aTypes(dialog);
            pressOk(dialog);
        });
        inSenderWindow(bWindow, [&](CAPrintMultipleDialog &dialog) {
            bShowsA(dialog);
            bTypes(dialog);
            pressOk(dialog);
        });
    } else {
        inSenderWindow(aWindow, [&](CAPrintMultipleDialog &aDialog) {
            aTypes(aDialog);
            inSenderWindow(bWindow, [&](CAPrintMultipleDialog &bDialog) {
                if (typing.bTypesBeforeAOk)
                    bTypes(bDialog);
                pressOk(aDialog);
                if (!typing.bTypesBeforeAOk) {
                    bShowsA(bDialog);
                    bTypes(bDialog);
                }
                pressOk(bDialog);
            });
        });
    }
    ASSERT_TRUE(a.defaults.waitForPendingWrite(pwtest::kEventWaitMs));
    ASSERT_TRUE(b.defaults.waitForPendingWrite(pwtest::kEventWaitMs));

    SenderInstance later(file, folder.filePath(u"later"_s));
    const CAPersonList stored = later.senders.personListDict().personList();
    ASSERT_EQ(contactstest::lastNames(stored).size(), 2) << contactstest::lastNames(stored).join(u", "_s).toStdString();
    for (const std::shared_ptr<PWPerson> &person : stored) {
        const QString last = person->stringForProperty(kPWLastNameProperty);
        const std::shared_ptr<PWPerson> seeded = last == u"Zed"_s ? sender(u"Zed"_s, u"Old City"_s, u"OS"_s)
                                                                 : sender(u"Abe"_s, u"Abe City"_s, u"AS"_s);
        for (addressType type : CAContactEditor::kTabTypes) {
            for (textCategory category : {tcCity, tcState}) {
                const auto found = typed[last].find({type, category});
                const QString expected = found != typed[last].end() ? found->second
                                                                    : stringForPersonCategory(seeded.get(), type, category, false);
                EXPECT_EQ(stringForPersonCategory(person.get(), type, category, false), expected)
                    << last.toStdString() << " type " << type << " category " << category;
            }
        }
    }
}

const Typing kTypings[] = {
    {"OpenedAfterTheOtherStoredShowsItsCity", u"Zed"_s, u"Zed"_s, true, false},
    {"OpenTogetherTheOtherCityShowsBeforeTyping", u"Zed"_s, u"Zed"_s, false, false},
    {"OpenTogetherBothTypeOneSender", u"Zed"_s, u"Zed"_s, false, true},
    {"OpenTogetherAnotherSendersCityKeepsThisEdit", u"Abe"_s, u"Zed"_s, false, true},
};

INSTANTIATE_TEST_SUITE_P(Typings, SenderWindows, ::testing::ValuesIn(kTypings),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
