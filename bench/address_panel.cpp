// Filling a US recipient address panel (with its postal barcode) from a person and laying it out, 10,000
// times over 10,000 different persons: what a merge of 10,000 labels costs in the address panel alone.
#include "BenchSupport.h"

#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWMultiValue.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"


#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int kPersons = 10000;

std::vector<std::shared_ptr<PWPerson>> makePersons()
{
    static const char *const firsts[] = {"Ada", "Grace", "Alan", "Edsger", "Barbara", "Donald", "Frances", "Ken"};
    static const char *const lasts[] = {"Lovelace", "Hopper", "Turing", "Dijkstra", "Liskov", "Knuth", "Allen"};
    static const char *const cities[] = {"Springfield", "Portland", "Madison", "Salem", "Franklin", "Clinton"};
    static const char *const states[] = {"IL", "OR", "WI", "MA", "TN", "NY"};
    std::mt19937 random(20261207);
    std::vector<std::shared_ptr<PWPerson>> persons;
    persons.reserve(kPersons);
    for (int i = 0; i < kPersons; ++i) {
        std::shared_ptr<PWPerson> person = PWPerson::create();
        person->setValueForProperty(kPWFirstNameProperty, PWPlist::fromString(QString::fromLatin1(firsts[random() % 8])));
        person->setValueForProperty(kPWLastNameProperty, PWPlist::fromString(QString::fromLatin1(lasts[random() % 7])));
        if (i % 3 == 0)
            person->setValueForProperty(kPWOrganizationProperty, PWPlist::fromString(QStringLiteral("Engines Inc")));
        const int state = int(random() % 6);
        PWMultiValue addresses;
        addresses.addValue(
            PWPlist(PWPlist::Dictionary {
                {kPWAddressStreetKey, PWPlist::fromString(QStringLiteral("%1 Main Street").arg(1 + random() % 999))},
                {kPWAddressCityKey, PWPlist::fromString(QString::fromLatin1(cities[state]))},
                {kPWAddressStateKey, PWPlist::fromString(QString::fromLatin1(states[state]))},
                {kPWAddressZIPKey, PWPlist::fromString(QStringLiteral("%1").arg(10000 + random() % 89999))},
                {kPWAddressCountryKey, PWPlist::fromString(QStringLiteral("USA"))}}),
            kPWAddressWorkLabel);
        person->setMultiValueForProperty(kPWAddressProperty, addresses);
        persons.push_back(std::move(person));
    }
    return persons;
}

// As the document fills a panel: every category it holds but free texts, the barcode with ZIP,
// country and street.
void fill(CFTAAddressPanel &panel, const PWPerson &person)
{
    textCategory categories[32];
    const int count = panel.GetContainTextCategories(categories, 32);
    const addressType type = panel.GetAddressType();
    for (int i = 0; i < count; ++i) {
        if (categories[i] == tcSimpleText)
            continue;
        if (categories[i] == tcBarcode) {
            for (textCategory part : {tcZIP, tcCountry, tcStreet})
                panel.SetString(true, part, type, CDDString(stringForPersonCategory(&person, type, part, false)),
                                tcBarcode, false);
            continue;
        }
        panel.SetString(true, categories[i], type,
                        CDDString(stringForPersonCategory(&person, type, categories[i], false)), tcNone, false);
    }
}

void BM_FillAndLayOutPanel(benchmark::State &state)
{
    const std::vector<std::shared_ptr<PWPerson>> persons = makePersons();
    const std::unique_ptr<CAddressFormat> format =
        CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
            QStringLiteral("Name+Company"), QStringLiteral("us"), true, CAddressFormatController::kBarcodeBelow);
    if (!format) {
        state.SkipWithError("no US format in the catalogue");
        return;
    }
    CFTAAddressPanel panel(true, format.get(), nullptr, false);
    panel.SetOrigin(20.0, 20.0);
    double heights = 0.0;
    for (auto _ : state) {
        heights = 0.0;
        for (const std::shared_ptr<PWPerson> &person : persons) {
            fill(panel, *person);
            panel.updateFormat();
            heights += panel.GetSizeY();
        }
        benchmark::DoNotOptimize(heights);
    }
    if (!(heights > 0.0))
        state.SkipWithError("nothing was laid out");
    state.counters["panels"] = kPersons;
}
BENCHMARK(BM_FillAndLayOutPanel)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
