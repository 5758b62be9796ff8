#pragma once

#include "ContactsTestSupport.h"

#include "app/contacts/CAAddressWindow.h"
#include "app/contacts/CADataSourceContainer.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CASenderList.h"
#include "platform/PWAddressBook.h"

#include <QApplication>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

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

} // namespace contactstest
