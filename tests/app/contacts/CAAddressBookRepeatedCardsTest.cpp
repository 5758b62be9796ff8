// The address window over an address book folder whose cards share UIDs: every card is a row,
// a group shows every card of the UIDs it names, and a repeated person put in a print list is
// that person again after a restart.
#include "ContactsWindowTestSupport.h"
#include "RepeatedUidBooks.h"
#include "TestSupport.h"

#include "app/contacts/CAAddressBookSource.h"
#include "app/contacts/CAAddressWindow.h"
#include "app/contacts/CAContactTableModel.h"
#include "app/contacts/CAPersonListDictionary.h"
#include "app/contacts/CAPrintListArray.h"
#include "platform/PWAddressBook.h"
#include "platform/PWPersonProperties.h"

#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace repeateduids;

namespace {

QStringList rowNames(const CAContactTableModel &model)
{
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row)
        names.append(model.personAt(row)->stringForProperty(kPWLastNameProperty));
    return names;
}

QStringList sorted(QStringList names)
{
    names.sort();
    return names;
}

void chooseIn(QComboBox *popup, const QString &title)
{
    const int item = popup->findText(title);
    ASSERT_GE(item, 0) << title.toStdString();
    popup->setCurrentIndex(item);
    Q_EMIT popup->activated(item);
}

void clickRow(QTableView *table, int row)
{
    EXPECT_TRUE(QTest::qWaitFor([table] { return table->viewport()->height() > 0; }, pwtest::kEventWaitMs));
    QCoreApplication::processEvents();
    table->scrollTo(table->model()->index(row, 0));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(table->model()->index(row, 0)).center());
}

class CAAddressBookRepeatedCardsTest : public testing::TestWithParam<Layout>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        ASSERT_TRUE(writeLayout(GetParam(), bookFolder()));
    }
    QString bookFolder() const { return m_folder.filePath(u"book"_s); }
    QString settings() const { return m_folder.filePath(u"Parcelwick.plist"_s); }

    QTemporaryDir m_folder;
};

// Every card of the folder is a row of the Address Book's table, and each group of the chooser
// shows every card of the UIDs it names.
TEST_P(CAAddressBookRepeatedCardsTest, EveryCardIsARowAndGroupsShowEveryCardOfTheirUids)
{
    contactstest::StoredInstance program(settings(), m_folder.path(), false);
    ASSERT_TRUE(program.book.load());
    CAAddressWindow window(program.models());
    window.show();
    window.showRecipients(false);
    chooseIn(window.findChild<QComboBox *>(u"sourceButton"_s), CAAddressBookSource::kName);
    ASSERT_EQ(window.currentSourceName(), CAAddressBookSource::kName);
    EXPECT_EQ(sorted(rowNames(*window.currentModel())), sorted(personNames(GetParam())));

    auto *groups = window.findChild<QComboBox *>(u"groupButton"_s);
    for (const CardSpec &group : groupCards(GetParam())) {
        SCOPED_TRACE(group.name.toStdString());
        chooseIn(groups, group.name);
        EXPECT_EQ(sorted(rowNames(*window.currentModel())), sorted(groupMembers(GetParam(), group)));
    }
    chooseIn(groups, CAAddressBookSource::allGroupsName());
    EXPECT_EQ(window.currentModel()->rowCount(), personNames(GetParam()).size());
}

// Each person whose UID an earlier card carries, added to a print list from the Address Book's
// table: after a restart the list holds its card as the file has it, shows it, and a click on
// it chooses that person, not the first of its UID.
TEST_P(CAAddressBookRepeatedCardsTest, ARepeatedPersonInAPrintListIsItselfAfterARestart)
{
    const QMap<QString, QString> first = firstOfUid(GetParam());
    QMap<QString, QByteArray> cardOf; // name -> its bytes in its file
    QList<CardSpec> repeated;
    for (const FileSpec &file : GetParam().files) {
        const QList<QByteArray> cards = cardsOfFile(file);
        for (qsizetype i = 0; i < file.cards.size(); ++i) {
            const CardSpec &card = file.cards.at(i);
            cardOf.insert(card.name, cards.at(i));
            if (!card.group && !card.uid.isEmpty() && first.value(card.uid) != card.name)
                repeated.append(card);
        }
    }
    if (repeated.isEmpty())
        GTEST_SKIP() << "no person shares its UID with an earlier card";

    for (const CardSpec &card : repeated) {
        SCOPED_TRACE(card.name.toStdString());
        QFile::remove(settings());
        {
            contactstest::StoredInstance program(settings(), m_folder.path(), false);
            ASSERT_TRUE(program.book.load());
            program.printLists.insertPrintListAt(0);
            program.printLists.renamePrintListAt(0, u"Club"_s);
            program.printLists.setCurrentPrintListIndex(0);
            ASSERT_TRUE(program.printLists.store());
            CAAddressWindow window(program.models());
            window.show();
            window.showRecipients(false);
            chooseIn(window.findChild<QComboBox *>(u"sourceButton"_s), CAAddressBookSource::kName);
            const int row = int(rowNames(*window.currentModel()).indexOf(card.name));
            ASSERT_GE(row, 0) << "the card is a row of the address book";
            clickRow(window.currentTable(), row);
            window.findChild<QTabWidget *>(u"mainTabView"_s)->setCurrentIndex(CAAddressWindow::PrintListsTab);
            QTest::mouseClick(window.findChild<QPushButton *>(u"addToPrintListButton"_s), Qt::LeftButton);
            ASSERT_EQ(contactstest::lastNames(program.printLists.getPrintListAt(0)), QStringList {card.name});
        }

        contactstest::StoredInstance restarted(settings(), m_folder.path(), false);
        ASSERT_TRUE(restarted.book.load());
        ASSERT_EQ(restarted.printLists.count(), 1);
        const CAPersonList list = restarted.printLists.getPrintListAt(0);
        ASSERT_EQ(list.size(), 1);
        EXPECT_EQ(CAPersonListDictionary::storedPersons(list).at(0).value(u"personData"_s).toData(), cardOf.value(card.name))
            << "the list keeps the card as its file has it";
        CAAddressWindow window(restarted.models());
        window.show();
        window.showPrintLists();
        auto *table = window.findChild<QTableView *>(u"printListTable"_s);
        ASSERT_EQ(rowNames(*window.printListModel()), QStringList {card.name});
        QString chosen;
        QString note;
        window.setPersonChosen([&](const PWPerson &who, bool, int) {
            chosen = who.stringForProperty(kPWLastNameProperty);
            note = who.stringForProperty(kPWNoteProperty);
        });
        clickRow(table, 0);
        EXPECT_EQ(chosen, card.name);
        EXPECT_EQ(note, QString::fromUtf8(noteLine(card).mid(5)));
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, CAAddressBookRepeatedCardsTest, testing::ValuesIn(layouts()),
                         [](const testing::TestParamInfo<Layout> &info) { return std::string(info.param.name); });

} // namespace
