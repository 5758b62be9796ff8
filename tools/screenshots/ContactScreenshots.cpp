#include "Screenshots.h"

#include "app/contacts/CAAddressWindow.h"
#include "app/contacts/CAContactEditor.h"
#include "app/contacts/CAContactTableModel.h"
#include "app/contacts/CAContactImportHooks.h"
#include "app/contacts/CADelimitedText.h"
#include "app/contacts/CAPrintMultipleDialog.h"
#include "app/contacts/CATextImportDialog.h"
#include "kernel/address/FTPersonFields.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CASenderList.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableView>

using namespace Qt::StringLiterals;

namespace {

std::shared_ptr<PWPerson> samplePerson(const QString &first, const QString &last, const QString &company = {})
{
    std::shared_ptr<PWPerson> person = PWPerson::create();
    if (!first.isEmpty())
        person->setValueForProperty(kPWFirstNameProperty, PWPlist::fromString(first));
    if (!last.isEmpty())
        person->setValueForProperty(kPWLastNameProperty, PWPlist::fromString(last));
    if (!company.isEmpty())
        person->setValueForProperty(kPWOrganizationProperty, PWPlist::fromString(company));
    return person;
}

// Sample persons in the shared lists, in memory only: the screenshots store nothing.
void fillSampleContacts()
{
    static bool filled = false;
    if (filled)
        return;
    filled = true;
    CASenderList::getShared().personListDict().replacePersonList(
        {samplePerson(u"Mary Ann"_s, u"Baker"_s), samplePerson(QString(), QString(), u"Acme Widgets"_s)});
    const CAPersonList recipients = {samplePerson(u"Ada"_s, u"Brook"_s), samplePerson(u"Carl"_s, u"Dunn"_s),
                                     samplePerson(u"Elena"_s, u"Fischer"_s), samplePerson(QString(), QString(), u"Harbor Books"_s),
                                     samplePerson(u"Ivo"_s, u"Jansen"_s), samplePerson(QString(), QString())};
    CALocalContactBase::getShared().personListDict().replacePersonList(recipients);
    CAPrintListArray &lists = CAPrintListArray::getShared();
    const QSignalBlocker blocker(&lists);
    lists.insertPrintListAt(0);
    lists.renamePrintListAt(0, u"Holiday cards"_s);
    lists.replacePrintListAt(0, recipients.mid(0, 3));
    lists.setCurrentPrintListIndex(0);
}

} // namespace

QWidget *addressWindowScreenshot(int tab)
{
    fillSampleContacts();
    auto *window = new CAAddressWindow(CAAddressWindow::sharedModels());
    window->findChild<QTabWidget *>(u"mainTabView"_s)->setCurrentIndex(tab);
    if (tab == CAAddressWindow::ContactsTab) {
        window->changeSourceWithName(CALocalContactBase::kName);
        window->currentTable()->selectRow(1);
    }
    window->show();
    return window;
}

QWidget *contactEditorScreenshot()
{
    fillSampleContacts();
    static CAContactTableModel model;
    std::shared_ptr<PWPerson> person = samplePerson(u"Mary Ann"_s, u"Baker"_s, u"Acme Widgets"_s);
    setStringForPersonCategory(person.get(), u"1200 Harbor Boulevard"_s, adWork, tcStreet);
    setStringForPersonCategory(person.get(), u"Springfield"_s, adWork, tcCity);
    setStringForPersonCategory(person.get(), u"IL"_s, adWork, tcState);
    setStringForPersonCategory(person.get(), u"62704"_s, adWork, tcZIP);
    setStringForPersonCategory(person.get(), u"+1 217 555 0100"_s, adWork, tcPhone);
    setStringForPersonCategory(person.get(), u"Sales"_s, adWork, tcDepartment);
    model.setContent({person});
    auto *sheet = new CAContactEditorSheet;
    sheet->editor()->setPersonByIndex(0, &model);
    sheet->show();
    return sheet;
}

QWidget *textImportScreenshot()
{
    static CADelimitedText text(QByteArrayLiteral("First Name,Last Name,Company,Street,City,ZIP,Notes\r\n"
                                                  "Ada,Brook,Harbor Books,12 Mill Lane,Oxford,OX2 6QT,met in May\r\n"
                                                  "Carl,Dunn,,350 Rue Principale,Montreal,H2X 1Y4,\r\n"
                                                  "Elena,Fischer,Acme Widgets,Lindenweg 12,Berlin,10115,\r\n"));
    auto *dialog = new CATextImportDialog;
    CATextImportOptions options;
    options.showDialog = options.delimiterChoice = options.encodingChoice = true;
    dialog->prepare(text, options);
    dialog->show();
    return dialog;
}

QWidget *printMultipleScreenshot(int mode)
{
    fillSampleContacts();
    auto *dialog = new CAPrintMultipleDialog(CAAddressWindow::sharedModels());
    dialog->prepare(CAPrintListEditor::Mode(mode), 0);
    dialog->changeSourceWithName(CALocalContactBase::kName);
    dialog->resize(1000, 560);
    dialog->show();
    return dialog;
}
