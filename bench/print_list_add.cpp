// 10,000 persons chosen at once and added to a print list, as the user does it: in the address
// window (all of My Recipients selected on the Contacts tab, then Add Contacts on the Print lists
// tab) and in the print-multiple window's editor (the persons put into the list shown). One
// iteration adds them all to an empty list, stores the lists and shows them again.
#include "BenchSupport.h"

#include "app/contacts/CAAddressWindow.h"
#include "app/contacts/CAContactTableModel.h"
#include "app/contacts/CADataSourceContainer.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CAPrintListEditor.h"
#include "app/contacts/CASenderList.h"
#include "platform/PWAddressBook.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWUserDefaults.h"

#include <QApplication>
#include <QPushButton>
#include <QTableView>

namespace {

constexpr int kPersons = 10000;

CAPersonList makePersons()
{
    CAPersonList persons;
    persons.reserve(kPersons);
    for (int i = 0; i < kPersons; ++i) {
        std::shared_ptr<PWPerson> person = PWPerson::create();
        person->setValueForProperty(kPWFirstNameProperty, PWPlist::fromString(QStringLiteral("Mary%1").arg(i)));
        person->setValueForProperty(kPWLastNameProperty, PWPlist::fromString(QStringLiteral("Baker%1").arg(i % 977)));
        person->setValueForProperty(kPWOrganizationProperty, PWPlist::fromString(QStringLiteral("Harbour Lines %1").arg(i % 97)));
        persons.append(person);
    }
    return persons;
}

struct Fixture
{
    QTemporaryDir folder;
    PWUserDefaults defaults{folder.path() + QStringLiteral("/Parcelwick.plist")};
    CADataSourceContainer container{folder.path() + QStringLiteral("/cache")};
    PWAddressBook book{folder.path() + QStringLiteral("/book")};
    CASenderList senders{defaults, [] { return std::shared_ptr<PWPerson>(); }};
    CALocalContactBase localBase{defaults};
    CAPrintListArray printLists{defaults};

    void emptyList()
    {
        while (printLists.count() > 0)
            printLists.removePrintListAt(0);
        printLists.insertPrintListAt(0);
        printLists.renamePrintListAt(0, QStringLiteral("Club"));
        printLists.setCurrentPrintListIndex(0);
        printLists.store();
    }
};

void BM_AddressWindowAddsChosenContacts(benchmark::State &state)
{
    Fixture fixture;
    fixture.localBase.personListDict().replacePersonList(makePersons());
    fixture.emptyList();
    CAAddressWindow window({fixture.container, fixture.defaults, fixture.book, fixture.senders, fixture.localBase,
                            fixture.printLists});
    window.show();
    window.showRecipients(true);
    QApplication::processEvents();
    auto *add = window.findChild<QPushButton *>(QStringLiteral("addToPrintListButton"));
    qsizetype added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fixture.emptyList();
        window.showRecipients(true);
        window.currentTable()->selectAll();
        window.showPrintLists();
        QApplication::processEvents();
        state.ResumeTiming();
        add->click();
        QApplication::processEvents();
        added += fixture.printLists.getPrintListAt(0).size();
    }
    state.counters["persons_added"] = benchmark::Counter(double(added), benchmark::Counter::kAvgIterations);
    state.SetItemsProcessed(state.iterations() * kPersons);
}
BENCHMARK(BM_AddressWindowAddsChosenContacts)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PrintListEditorAddsPersons(benchmark::State &state)
{
    Fixture fixture;
    const CAPersonList chosen = makePersons();
    qsizetype added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fixture.emptyList();
        CAPrintListEditor editor(fixture.printLists, fixture.senders, fixture.localBase, fixture.defaults);
        editor.prepare(CAPrintListEditor::PrintLists);
        editor.activate();
        state.ResumeTiming();
        editor.addPersons(chosen);
        editor.save();
        added += fixture.printLists.getPrintListAt(0).size();
    }
    state.counters["persons_added"] = benchmark::Counter(double(added), benchmark::Counter::kAvgIterations);
    state.SetItemsProcessed(state.iterations() * kPersons);
}
BENCHMARK(BM_PrintListEditorAddsPersons)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks<QApplication>(argc, argv);
}
