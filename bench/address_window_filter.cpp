// The address window showing a source of 20,000 persons while the user types into its search
// field: each keystroke filters the rows again and the table is repainted. One iteration is one
// keystroke; the typing goes forward through a name and back with Backspace, so that narrowing
// and widening searches both count.
#include "app/contacts/CAAddressWindow.h"
#include "app/contacts/CAContactTableModel.h"
#include "app/contacts/CADataSourceContainer.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CASenderList.h"
#include "kernel/FTKernelStartup.h"
#include "platform/PWAddressBook.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWUserDefaults.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <clocale>

namespace {

constexpr int kPersons = 20000;

CAPersonList makePersons()
{
    static const char *const lastNames[] = {"Ashgrove", "Baker",  "Miller", "Mills",  "Young",   "Adams",
                                            "Hartley",  "Schmidt", "Lee",   "Okafor", "Tremblay", "Novak"};
    static const char *const firstNames[] = {"Johanna", "Mary", "Tom", "Anna", "Paul", "Ren", "Ida", "Kofi"};
    CAPersonList persons;
    persons.reserve(kPersons);
    for (int i = 0; i < kPersons; ++i) {
        std::shared_ptr<PWPerson> person = PWPerson::create();
        person->setValueForProperty(kPWFirstNameProperty,
                                    PWPlist::fromString(QString::fromLatin1(firstNames[i % 8]) + QString::number(i)));
        person->setValueForProperty(kPWLastNameProperty, PWPlist::fromString(QString::fromLatin1(lastNames[i % 12])));
        person->setValueForProperty(kPWOrganizationProperty,
                                    PWPlist::fromString(QStringLiteral("Harbour Lines %1").arg(i % 97)));
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
};

void typeKey(QWidget *field, int key, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(field, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(field, &release);
}

void BM_AddressWindowSearchKeystroke(benchmark::State &state)
{
    Fixture fixture;
    fixture.localBase.personListDict().replacePersonList(makePersons());
    CAAddressWindow window({fixture.container, fixture.defaults, fixture.book, fixture.senders, fixture.localBase,
                            fixture.printLists});
    window.show();
    window.showRecipients(true);
    auto *field = window.findChild<QLineEdit *>(QStringLiteral("searchField"));
    field->setFocus();
    QApplication::processEvents();

    // "mil" narrows to the Millers and Mills (and the first names holding it); Backspace widens
    // back to all 20,000.
    const QString word = QStringLiteral("mil");
    qsizetype typed = 0;
    bool forward = true;
    qsizetype rows = 0;
    for (auto _ : state) {
        if (forward) {
            typeKey(field, word.at(typed).unicode(), word.mid(typed, 1));
            ++typed;
        } else {
            typeKey(field, Qt::Key_Backspace, QString());
            --typed;
        }
        if (typed == word.size())
            forward = false;
        else if (typed == 0)
            forward = true;
        // The repaint of the table belongs to the keystroke.
        QApplication::processEvents();
        rows += window.currentModel()->rowCount();
    }
    state.counters["rows_shown"] = benchmark::Counter(double(rows), benchmark::Counter::kAvgIterations);
    state.SetItemsProcessed(state.iterations() * kPersons);
}
BENCHMARK(BM_AddressWindowSearchKeystroke)->Unit(benchmark::kMillisecond);

// The model's part alone: one filter pass over the 20,000 persons.
void BM_ContactModelFilter(benchmark::State &state)
{
    QTemporaryDir folder;
    PWUserDefaults defaults(folder.path() + QStringLiteral("/Parcelwick.plist"));
    CAContactTableModel model(QString(), &defaults);
    model.setContent(makePersons());
    const QStringList filters = {QStringLiteral("m"), QStringLiteral("mi"), QStringLiteral("mil"), QString()};
    qsizetype next = 0;
    for (auto _ : state) {
        model.setFilter(filters.at(next));
        next = (next + 1) % filters.size();
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.SetItemsProcessed(state.iterations() * kPersons);
}
BENCHMARK(BM_ContactModelFilter)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    // The environment of every benchmark (bench/BenchSupport.h), with a widget application:
    // offscreen, the C locale, private HOME and XDG folders.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("LC_ALL", "C");
    std::setlocale(LC_ALL, "C");
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/pw-bench-home-XXXXXX"));
    const QByteArray path = home.path().toLocal8Bit();
    qputenv("HOME", path);
    qputenv("XDG_CONFIG_HOME", path + "/.config");
    qputenv("XDG_DATA_HOME", path + "/.local/share");
    qputenv("XDG_CACHE_HOME", path + "/.cache");
    QDir().mkpath(home.path() + QStringLiteral("/.config"));
    QDir().mkpath(home.path() + QStringLiteral("/.local/share"));
    QApplication application(argc, argv);
    startKernel();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
