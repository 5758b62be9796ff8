#pragma once

#include "ContactsTestSupport.h"

#include "app/contacts/CAAddressWindow.h"
#include "app/contacts/CADataSourceContainer.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CASenderList.h"
#include "platform/PWAddressBook.h"

#include <QTemporaryDir>

#include <memory>

namespace contactstest {

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

} // namespace contactstest
