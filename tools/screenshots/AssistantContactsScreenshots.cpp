#include "Screenshots.h"

#include "app/contacts/CAAddressWindow.h"
#include "app/contacts/CADataSourceContainer.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CASenderList.h"
#include "app/shell/CAAssistantContactsController.h"
#include "app/shell/CAAssistantController.h"
#include "app/shell/CAAssistantDesingController.h"
#include "platform/PWAddressBook.h"
#include "platform/PWMultiValue.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWUserDefaults.h"

#include <QComboBox>
#include <QDialog>
#include <QRadioButton>
#include <QTableView>

using namespace Qt::StringLiterals;

namespace {

std::shared_ptr<PWPerson> person(const QString &first, const QString &last, const QString &street,
                                 const QString &city, const QString &zip)
{
    std::shared_ptr<PWPerson> result = PWPerson::create();
    result->setValueForProperty(kPWFirstNameProperty, PWPlist::fromString(first));
    result->setValueForProperty(kPWLastNameProperty, PWPlist::fromString(last));
    PWPlist::Dictionary address;
    address.insert(kPWAddressStreetKey, PWPlist::fromString(street));
    address.insert(kPWAddressCityKey, PWPlist::fromString(city));
    address.insert(kPWAddressZIPKey, PWPlist::fromString(zip));
    address.insert(kPWAddressCountryKey, PWPlist::fromString(u"USA"_s));
    PWMultiValue addresses;
    addresses.addValue(PWPlist(address), kPWAddressWorkLabel);
    result->setMultiValueForProperty(kPWAddressProperty, addresses);
    return result;
}

} // namespace

// The assistant's contacts step on one of its tabs, over lists of its own (the shared ones are
// left alone), after an envelope design with both sides was chosen.
QWidget *assistantContactsScreenshot(int tab)
{
    auto *wizard = new CAAssistantController;
    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    auto *senders = new CASenderList(defaults, [] { return std::shared_ptr<PWPerson>(); }, wizard);
    auto *localBase = new CALocalContactBase(defaults, wizard);
    auto *printLists = new CAPrintListArray(defaults, wizard);
    senders->personListDict().replacePersonList({person(u"Mary Ann"_s, u"Baker"_s, u"12 Mill Lane"_s,
                                                        u"Portland"_s, u"97201"_s),
                                                 person(u"Tom"_s, u"Carver"_s, u"8 Quay St"_s, u"Astoria"_s,
                                                        u"97103"_s)});
    const CAPersonList recipients = {person(u"Ada"_s, u"Brook"_s, u"4 Elm Ct"_s, u"Salem"_s, u"97301"_s),
                                     person(u"Carl"_s, u"Dunn"_s, u"77 Bay Rd"_s, u"Eugene"_s, u"97401"_s),
                                     person(u"Elena"_s, u"Fischer"_s, u"5 Hill St"_s, u"Bend"_s, u"97701"_s),
                                     person(u"Ivo"_s, u"Jansen"_s, u"19 Pine Ave"_s, u"Medford"_s, u"97501"_s)};
    localBase->personListDict().replacePersonList(recipients);
    printLists->insertPrintListAt(0);
    printLists->renamePrintListAt(0, u"Holiday cards"_s);
    printLists->replacePrintListAt(0, recipients.mid(0, 3));
    printLists->insertPrintListAt(1);
    printLists->renamePrintListAt(1, u"Club members"_s);
    printLists->setCurrentPrintListIndex(0);
    const CAAddressWindow::Models models{CADataSourceContainer::sharedDataSourceContainer(), defaults,
                                         PWAddressBook::sharedAddressBook(), *senders, *localBase, *printLists};
    auto contacts = std::make_unique<CAAssistantContactsController>(models);
    CAAssistantContactsController *step = contacts.get();
    wizard->setContactsStep(std::move(contacts));
    if (!wizard->beginRun(false, CAAssistantController::kEnvelopeLayout, QString())) {
        delete wizard;
        return nullptr;
    }
    QDialog *window = wizard->window();
    wizard->setParent(window);
    window->show();
    wizard->buttonNext();
    auto *popup = window->findChild<QWidget *>(u"_designView"_s)->findChild<QComboBox *>(u"_categoryPopup"_s);
    if (popup && popup->findText(u"Business"_s) >= 0) {
        popup->setCurrentIndex(popup->findText(u"Business"_s));
        wizard->designController()->categoryChanged();
    }
    wizard->buttonNext();
    step->changeSource(CALocalContactBase::kName);
    if (step->sourceTableView())
        step->sourceTableView()->selectRow(1);
    const char *cells[] = {"_contactSender", "_contactRecipient", "_contactPrintList"};
    if (auto *cell = window->findChild<QRadioButton *>(QString::fromLatin1(cells[tab])))
        cell->setChecked(true);
    wizard->contactTabControl(tab);
    return window;
}
