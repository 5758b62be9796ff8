#include "app/contacts/CATextFileImport.h"

#include "app/contacts/CAContactsLog.h"
#include "app/contacts/CAImportWorker.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/base/CDDCountryNames.h"
#include "platform/PWMultiValue.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

enum class Place { Single, Phone, Email, Address, StreetLine, CountryCode };

struct KeyPlace
{
    const char *key;
    Place place;
    // Single: the property; Phone, Email: the label; Address: the address key.
    const QString *name;
    int address; // Address: 0 home, 1 work, 2 other
    int line = 0; // StreetLine: 0 the second line, 1 the third, 2 the PO box
};

const QString kDepartment = QStringLiteral("ABDepartment");
const QString kOther = QStringLiteral("other");
const QString kCustom[9] = {QStringLiteral("Custom1"), QStringLiteral("Custom2"), QStringLiteral("Custom3"),
                            QStringLiteral("Custom4"), QStringLiteral("Custom5"), QStringLiteral("Custom6"),
                            QStringLiteral("Custom7"), QStringLiteral("Custom8"), QStringLiteral("Custom9")};

const KeyPlace kPlaces[] = {
    {"firstname", Place::Single, &kPWFirstNameProperty, 0},
    {"lastname", Place::Single, &kPWLastNameProperty, 0},
    {"prefix", Place::Single, &kPWTitleProperty, 0},
    {"suffix", Place::Single, &kPWSuffixProperty, 0},
    {"middlename", Place::Single, &kPWMiddleNameProperty, 0},
    {"nickname", Place::Single, &kPWNicknameProperty, 0},
    {"maidenname", Place::Single, &kPWMaidenNameProperty, 0},
    {"title", Place::Single, &kPWJobTitleProperty, 0},
    {"companyname", Place::Single, &kPWOrganizationProperty, 0},
    {"department", Place::Single, &kDepartment, 0},
    {"homepage", Place::Single, &kPWHomePageProperty, 0},
    {"custom1", Place::Single, &kCustom[0], 0},
    {"custom2", Place::Single, &kCustom[1], 0},
    {"custom3", Place::Single, &kCustom[2], 0},
    {"custom4", Place::Single, &kCustom[3], 0},
    {"custom5", Place::Single, &kCustom[4], 0},
    {"custom6", Place::Single, &kCustom[5], 0},
    {"custom7", Place::Single, &kCustom[6], 0},
    {"custom8", Place::Single, &kCustom[7], 0},
    {"custom9", Place::Single, &kCustom[8], 0},
    {"phonework", Place::Phone, &kPWPhoneWorkLabel, 0},
    {"phonehome", Place::Phone, &kPWPhoneHomeLabel, 0},
    {"phoneother", Place::Phone, &kOther, 0},
    {"faxwork", Place::Phone, &kPWPhoneWorkFAXLabel, 0},
    {"faxhome", Place::Phone, &kPWPhoneHomeFAXLabel, 0},
    {"faxother", Place::Phone, &kOther, 0},
    {"mobile", Place::Phone, &kPWPhoneMobileLabel, 0},
    {"pager", Place::Phone, &kPWPhonePagerLabel, 0},
    {"emailwork", Place::Email, &kPWEmailWorkLabel, 0},
    {"emailhome", Place::Email, &kPWEmailHomeLabel, 0},
    {"emailother", Place::Email, &kOther, 0},
    {"homestreet", Place::Address, &kPWAddressStreetKey, 0},
    {"homecity", Place::Address, &kPWAddressCityKey, 0},
    {"homestate", Place::Address, &kPWAddressStateKey, 0},
    {"homezip", Place::Address, &kPWAddressZIPKey, 0},
    {"homecountry", Place::Address, &kPWAddressCountryKey, 0},
    {"workstreet", Place::Address, &kPWAddressStreetKey, 1},
    {"workcity", Place::Address, &kPWAddressCityKey, 1},
    {"workstate", Place::Address, &kPWAddressStateKey, 1},
    {"workzip", Place::Address, &kPWAddressZIPKey, 1},
    {"workcountry", Place::Address, &kPWAddressCountryKey, 1},
    {"otherstreet", Place::Address, &kPWAddressStreetKey, 2},
    {"othercity", Place::Address, &kPWAddressCityKey, 2},
    {"otherstate", Place::Address, &kPWAddressStateKey, 2},
    {"otherzip", Place::Address, &kPWAddressZIPKey, 2},
    {"othercountry", Place::Address, &kPWAddressCountryKey, 2},
    // The street's next lines (a suite, a building) and the PO box, which the person has no field
    // of its own for: joined to the street in this order as a card's street of several lines, so
    // that a PO box prints where the street does, or alone where there is none.
    {"homestreet2", Place::StreetLine, &kPWAddressStreetKey, 0, 0},
    {"workstreet2", Place::StreetLine, &kPWAddressStreetKey, 1, 0},
    {"otherstreet2", Place::StreetLine, &kPWAddressStreetKey, 2, 0},
    {"homestreet3", Place::StreetLine, &kPWAddressStreetKey, 0, 1},
    {"workstreet3", Place::StreetLine, &kPWAddressStreetKey, 1, 1},
    {"otherstreet3", Place::StreetLine, &kPWAddressStreetKey, 2, 1},
    {"homepobox", Place::StreetLine, &kPWAddressStreetKey, 0, 2},
    {"workpobox", Place::StreetLine, &kPWAddressStreetKey, 1, 2},
    {"otherpobox", Place::StreetLine, &kPWAddressStreetKey, 2, 2},
    // A country's two-letter code stands in for a country the address lacks, as its name.
    {"homecountrycode", Place::CountryCode, &kPWAddressCountryKey, 0},
    {"workcountrycode", Place::CountryCode, &kPWAddressCountryKey, 1},
    {"othercountrycode", Place::CountryCode, &kPWAddressCountryKey, 2},
};

const KeyPlace *placeOf(const QString &key)
{
    for (const KeyPlace &place : kPlaces) {
        if (key == QLatin1String(place.key))
            return &place;
    }
    return nullptr;
}

// Every key of an address, each empty: made once and shared, a record copying it only when a
// column fills one of its parts.
const PWPlist::Dictionary &emptyAddress()
{
    static const PWPlist::Dictionary address = [] {
        PWPlist::Dictionary made;
        for (const QString *key : {&kPWAddressStreetKey, &kPWAddressCityKey, &kPWAddressStateKey, &kPWAddressZIPKey,
                                   &kPWAddressCountryKey, &kPWAddressCountryCodeKey})
            made.insert(*key, PWPlist::fromString(QString()));
        return made;
    }();
    return address;
}

bool hasAnyPart(const PWPlist::Dictionary &address)
{
    for (const auto &[key, value] : address) {
        if (!value.toString().isEmpty())
            return true;
    }
    return false;
}

const QChar kPilcrow(0x00B6);

} // namespace

namespace {

struct PlacedColumn
{
    int column;
    const KeyPlace *place;
};

// The registry's known keys with their places, by column from left to right, so that phones and
// e-mails come in the file's order; worked out once per import, not once per record.
std::vector<PlacedColumn> plan(const CADelimitedText::Registry &registry)
{
    std::vector<PlacedColumn> columns;
    for (auto key = registry.cbegin(); key != registry.cend(); ++key) {
        if (const KeyPlace *place = placeOf(key.key()))
            columns.push_back({key.value(), place});
    }
    std::stable_sort(columns.begin(), columns.end(),
                     [](const PlacedColumn &a, const PlacedColumn &b) { return a.column < b.column; });
    return columns;
}

// A column of country codes, with the values in it that are no country's code.
struct UnknownCodes
{
    int column;
    QStringList values;
};

std::shared_ptr<PWPerson> personFromPlan(const QStringList &fields, const std::vector<PlacedColumn> &columns,
                                         std::vector<UnknownCodes> *unknownCodes = nullptr)
{
    std::shared_ptr<PWPerson> person = PWPerson::create();
    PWPlist::Dictionary addresses[3];
    QString nextLines[3][3];
    struct Code
    {
        QString value;
        int column = -1;
    } codes[3];
    PWMultiValue phones;
    PWMultiValue emails;
    for (const PlacedColumn &placed : columns) {
        if (placed.column < 0 || placed.column >= fields.size())
            continue;
        const QString &value = fields.at(placed.column);
        if (value.isEmpty())
            continue;
        const KeyPlace *place = placed.place;
        switch (place->place) {
        case Place::Single:
            person->setValueForProperty(*place->name, PWPlist::fromString(value));
            break;
        case Place::Phone:
            phones.addValue(PWPlist::fromString(value), *place->name);
            break;
        case Place::Email:
            emails.addValue(PWPlist::fromString(value), *place->name);
            break;
        case Place::Address:
            if (addresses[place->address].isEmpty())
                addresses[place->address] = emptyAddress();
            addresses[place->address].insert(*place->name, PWPlist::fromString(value));
            break;
        case Place::StreetLine:
            nextLines[place->address][place->line] = value;
            break;
        case Place::CountryCode:
            codes[place->address] = {value.trimmed(), placed.column};
            break;
        }
    }
    for (int i = 0; i < 3; ++i) {
        for (const QString &line : nextLines[i]) {
            if (line.trimmed().isEmpty())
                continue;
            if (addresses[i].isEmpty())
                addresses[i] = emptyAddress();
            const QString street = addresses[i].value(kPWAddressStreetKey).toString();
            addresses[i].insert(kPWAddressStreetKey,
                                PWPlist::fromString(street.trimmed().isEmpty() ? line : street + u'\n' + line));
        }
    }
    for (int i = 0; i < 3; ++i) {
        if (codes[i].value.isEmpty())
            continue;
        const QString country = CDDCountryNameFromCode(codes[i].value);
        if (country.isEmpty()) {
            // A dialling code or a name is no code to lay an address out by: named, not used.
            if (unknownCodes) {
                auto entry = std::find_if(unknownCodes->begin(), unknownCodes->end(),
                                          [&](const UnknownCodes &known) { return known.column == codes[i].column; });
                if (entry == unknownCodes->end())
                    entry = unknownCodes->insert(unknownCodes->end(), {codes[i].column, {}});
                if (!entry->values.contains(codes[i].value))
                    entry->values.append(codes[i].value);
            }
            continue;
        }
        // A code alone makes no address; the country a column names stays.
        if (hasAnyPart(addresses[i]) && addresses[i].value(kPWAddressCountryKey).toString().trimmed().isEmpty())
            addresses[i].insert(kPWAddressCountryKey, PWPlist::fromString(country));
    }
    PWMultiValue addressValue;
    const QString *labels[3] = {&kPWAddressHomeLabel, &kPWAddressWorkLabel, &kOther};
    for (int i = 0; i < 3; ++i) {
        if (hasAnyPart(addresses[i]))
            addressValue.addValue(PWPlist(addresses[i]), *labels[i]);
    }
    person->setMultiValueForProperty(kPWAddressProperty, addressValue);
    person->setMultiValueForProperty(kPWPhoneProperty, phones);
    if (!emails.isEmpty())
        person->setMultiValueForProperty(kPWEmailProperty, emails);
    return person;
}

} // namespace

std::shared_ptr<PWPerson> CATextFileImport::parsePerson(const QStringList &fields,
                                                        const CADelimitedText::Registry &registry)
{
    return personFromPlan(fields, plan(registry));
}

CAPersonList CATextFileImport::peopleFromText(const CADelimitedText &text)
{
    return *peopleFromText(text, RecordReport());
}

namespace {

// Whether any placed column of the record holds a value: a record of nothing but unknown columns
// would be a person without a name or an address, a blank label.
bool placesAnything(const QStringList &fields, const std::vector<PlacedColumn> &columns)
{
    for (const PlacedColumn &placed : columns) {
        if (placed.column >= 0 && placed.column < fields.size() && !fields.at(placed.column).isEmpty())
            return true;
    }
    return false;
}

// The persons of the records; with skipped, records that place nothing are left out and counted.
// Records that are no one else's are let go of as their persons are made, and the list of them
// shrinks by halves.
std::optional<CAPersonList> peopleFromRecords(CADelimitedText::Records records, const std::vector<PlacedColumn> &columns,
                                              const CATextFileImport::RecordReport &report, qsizetype *skipped,
                                              std::vector<UnknownCodes> *unknownCodes = nullptr)
{
    constexpr qsizetype kLeastShrink = 4096;
    CAPersonList persons;
    persons.reserve(records.size());
    const quint32 count = quint32(records.size());
    const bool release = records.isDetached();
    quint32 index = 0;
    for (qsizetype position = 0; position < records.size(); ++position) {
        if (report && report(index++, count))
            return std::nullopt;
        QStringList fields =
            CADelimitedText::fieldsOf(release ? std::exchange(records[position], QString()) : records.at(position));
        if (release && position >= kLeastShrink && position * 2 >= records.size()) {
            records.remove(0, position + 1);
            records.squeeze();
            position = -1;
        }
        if (skipped && !placesAnything(fields, columns)) {
            ++*skipped;
            continue;
        }
        for (QString &field : fields) {
            if (field.contains(kPilcrow))
                field.replace(kPilcrow, QLatin1Char('\n'));
        }
        persons.append(personFromPlan(fields, columns, unknownCodes));
    }
    return persons;
}

} // namespace

std::optional<CAPersonList> CATextFileImport::peopleFromText(const CADelimitedText &text, const RecordReport &report)
{
    return peopleFromRecords(text.personRecords(), plan(text.registry()), report, nullptr);
}

std::optional<CAPersonList> CATextFileImport::peopleFromData(QByteArray bytes,
                                                             const CATextImportOptions &options, QWidget *window,
                                                             QStringList *problems,
                                                             const CAContactImportHooks &hooks,
                                                             const RecordReport &report, QStringList *notes)
{
    CADelimitedText text(std::move(bytes));
    if (options.headerForced)
        text.setHasHeader(true);
    if (options.showDialog && hooks.confirmTextImport && !hooks.confirmTextImport(text, options, window))
        return std::nullopt;
    if (problems) {
        if (!text.isValid())
            problems->append(text.errorString());
        problems->append(text.problems());
        problems->append(text.notes());
    }
    if (!text.isValid())
        return CAPersonList();
    // Persons with nothing in them would print as blank labels: junk, or columns nobody placed.
    const std::vector<PlacedColumn> columns = plan(text.registry());
    const qsizetype records = text.recordsCount();
    if (columns.empty() && records > 0) {
        if (problems)
            problems->append(QStringLiteral("No column of the file is known to hold a person field; no persons were read."));
        qCWarning(lcContacts).noquote() << "text import: no column holds a person field";
        return CAPersonList();
    }
    qsizetype skipped = 0;
    QStringList header;
    if (text.hasHeader())
        header = text.row(0);
    std::vector<UnknownCodes> unknownCodes;
    std::optional<CAPersonList> persons = peopleFromRecords(text.takePersonData(), columns, report, &skipped, &unknownCodes);
    QStringList *said = notes ? notes : problems;
    for (const UnknownCodes &codes : unknownCodes) {
        if (!said)
            break;
        constexpr qsizetype kNamed = 3;
        QStringList quoted;
        for (const QString &value : codes.values.first(std::min(codes.values.size(), kNamed)))
            quoted.append(QStringLiteral("\"%1\"").arg(value));
        if (codes.values.size() > kNamed)
            quoted.append(QStringLiteral("%1 more").arg(codes.values.size() - kNamed));
        const QString column = codes.column < header.size() ? QStringLiteral("\"%1\"").arg(header.at(codes.column).trimmed())
                                                            : QString::number(codes.column + 1);
        said->append(QStringLiteral("The column %1 holds %2, which %3 no country's two-letter code and %4 not used.")
                          .arg(column, quoted.join(QStringLiteral(", ")),
                               codes.values.size() == 1 ? QStringLiteral("is") : QStringLiteral("are"),
                               codes.values.size() == 1 ? QStringLiteral("is") : QStringLiteral("are")));
    }
    if (persons && skipped > 0 && problems)
        problems->append(QStringLiteral("%1 of %2 records hold nothing in the columns read and were left out.")
                             .arg(skipped)
                             .arg(records));
    return persons;
}

std::optional<CAPersonList> CATextFileImport::peopleFromExport(QByteArray bytes, const CATextImportOptions &options,
                                                               const QString &fileName, QWidget *window,
                                                               QStringList &problems, const CAContactImportHooks &hooks,
                                                               CAImportProgress *progress)
{
    QStringList read;
    std::optional<CAPersonList> persons =
        peopleFromData(std::move(bytes), options, window, &read, hooks, CAImportProgress::reporter(progress));
    for (const QString &problem : std::as_const(read))
        problems.append(QStringLiteral("%1: %2").arg(fileName, problem));
    return persons;
}
