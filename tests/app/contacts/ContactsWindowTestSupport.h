#pragma once

#include "ContactsTestSupport.h"

#include "app/contacts/CAAddressWindow.h"
#include "app/contacts/CADataSourceContainer.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CASenderList.h"
#include "app/contacts/CAContactEditor.h"
#include "app/contacts/CAContactTableModel.h"
#include "kernel/address/FTPersonFields.h"
#include "platform/PWAddressBook.h"
#include "TestSupport.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <memory>

namespace contactstest {

// Opens the button's menu with a click, as the user does, and clicks the item of that title in
// it; false (the menu closed again) when the menu has no such item.
inline bool clickMenuItem(QToolButton *button, const QString &title)
{
    bool clicked = false;
    QTimer::singleShot(0, button, [&clicked, title] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction *action : menu->actions()) {
            if (action->text() == title && !action->isSeparator()) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
                clicked = true;
                return;
            }
        }
        menu->close();
    });
    QTest::mouseClick(button, Qt::LeftButton);
    return clicked;
}

// The check mark the sort menu shows: the title of the checked item, empty for none.
inline QString checkedMenuItem(QToolButton *button)
{
    QMenu *menu = button->menu();
    Q_EMIT menu->aboutToShow();
    for (const QAction *action : menu->actions()) {
        if (action->isChecked())
            return action->text();
    }
    return QString();
}

// What the contact windows are given, each in a temporary folder and user defaults of its own:
// the imported sources and their caches, the address book, the senders, the local contacts and
// the print lists. A fixture of the windows derives from it.
struct WindowModels
{
    WindowModels()
        : container(folder.path() + QStringLiteral("/cache"))
        , book(folder.path() + QStringLiteral("/book"))
        , senders(scratch.defaults(), [] { return std::shared_ptr<PWPerson>(); })
        , localBase(scratch.defaults())
        , printLists(scratch.defaults())
    {
    }

    CAAddressWindow::Models models() { return {container, scratch.defaults(), book, senders, localBase, printLists}; }

    QTemporaryDir folder;
    ScratchDefaults scratch;
    CADataSourceContainer container;
    PWAddressBook book;
    CASenderList senders;
    CALocalContactBase localBase;
    CAPrintListArray printLists;
};

// One instance of the program on a settings file another instance shares: its store, the models
// its windows are given, and whether it takes in the other's writes when idle (without, only
// opening a window reads the file again).
struct StoredInstance
{
    StoredInstance(const QString &file, const QString &folder, bool watches = true)
        : defaults(file)
        , container(folder + QStringLiteral("/cache"))
        , book(folder + QStringLiteral("/book"))
        , senders(defaults, [] { return std::shared_ptr<PWPerson>(); })
        , localBase(defaults)
        , printLists(defaults)
    {
        senders.load();
        localBase.load();
        printLists.load();
        if (watches)
            defaults.watchOtherWrites();
    }
    CAAddressWindow::Models models() { return {container, defaults, book, senders, localBase, printLists}; }

    PWUserDefaults defaults;
    CADataSourceContainer container;
    PWAddressBook book;
    CASenderList senders;
    CALocalContactBase localBase;
    CAPrintListArray printLists;
};

// A person "Ann <last>" whose every address type holds the city "<last> City" and a state of the
// last name's first two letters.
inline std::shared_ptr<PWPerson> personWithCities(const QString &last)
{
    std::shared_ptr<PWPerson> made = person(QStringLiteral("Ann"), last);
    for (addressType type : CAContactEditor::kTabTypes) {
        setStringForPersonCategory(made.get(), last + QStringLiteral(" City"), type, tcCity);
        setStringForPersonCategory(made.get(), last.left(2).toUpper(), type, tcState);
    }
    return made;
}

// The row of the table showing the person of that last name; -1 (and a failure) when none does.
inline int rowOfLastName(QTableView *table, const QString &last)
{
    auto *model = static_cast<CAContactTableModel *>(table->model());
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->personAt(row)->stringForProperty(kPWLastNameProperty) == last)
            return row;
    ADD_FAILURE() << "no row for " << last.toStdString();
    return -1;
}

// Where that person's row is drawn, once the table is laid out; a null point when it has none.
inline QPoint placeOfLastName(QTableView *table, const QString &last)
{
    EXPECT_TRUE(QTest::qWaitFor([table] { return table->viewport()->height() > 0; }, pwtest::kEventWaitMs));
    const int row = rowOfLastName(table, last);
    return row < 0 ? QPoint() : table->visualRect(table->model()->index(row, 0)).center();
}

// Double-clicks the person's row of the window's table as a mouse makes it (a click, then the
// second press and its release) and runs act in the contact editor sheet that opens over the
// window; answers whether one opened. The sheet is looked for at each turn of the event loop, so
// that one opened inside another's is found as well.
inline bool inSheetOn(QWidget &window, QTableView *table, const QString &last,
                      const std::function<void(CAContactEditorSheet &)> &act)
{
    bool acted = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &window, [&] {
        auto *sheet = qobject_cast<CAContactEditorSheet *>(QApplication::activeModalWidget());
        if (acted || !sheet || sheet->parentWidget() != &window)
            return;
        acted = true;
        poll.stop();
        act(*sheet);
    });
    poll.start(5);
    const QPoint at = placeOfLastName(table, last);
    if (at.isNull())
        return false;
    QCoreApplication::processEvents();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(table->viewport(), Qt::LeftButton, {}, at);
    poll.stop();
    return acted;
}

// Types the text over the field's own, as the user does, and ends its editing.
inline void typeIntoSheet(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    Q_EMIT edit->editingFinished();
}

inline void pressSheetOk(QDialog &dialog)
{
    QTest::mouseClick(dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

} // namespace contactstest
