#include "kernel/address/FTPersonFields.h"

#include "kernel/address/FTPersonFieldTable.h"
#include "kernel/address/FTTextCategories.h"

#include "kernel/base/CAEnvironment.h"
#include "kernel/base/FTCalendarFormat.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWUserDefaults.h"

namespace {

const QString kOtherTypeLabel = QStringLiteral("other");

const QString &textOrNull(const QString *text)
{
    static const QString null;
    return text ? *text : null;
}

QString textOf(const PWPlist &value)
{
    return value.isString() ? value.toString() : QString();
}

// The date rule: the calendar format the user defaults keep, in the date's own time zone.
QString dateText(const PWPlist &value)
{
    if (!value.isDate() || !value.toDate().isValid())
        return QString();
    QString format = PWUserDefaults::standardUserDefaults().stringForKey(QStringLiteral("NSDateFormatString"));
    if (format.isEmpty())
        format = QStringLiteral("%A, %B %e, %Y");
    return formatCalendarDate(value.toDate(), format);
}

QString lineFeedRule(QString text)
{
    if (text.isNull())
        return text;
    if (isConvertToLinearAddress())
        return stringByRemovingNewLineCharacters(text);
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

QString firstWithLabel(const std::optional<PWMultiValue> &multi, const QString &label)
{
    if (!multi)
        return QString();
    const qsizetype index = multi->indexOfLabel(label);
    return index < 0 ? QString() : textOf(multi->valueAtIndex(index));
}

QString homepage(const PWPerson &person, addressType type)
{
    const QString single = person.stringForProperty(kPWHomePageProperty);
    if (!single.isEmpty())
        return single;
    const std::optional<PWMultiValue> urls = person.multiValueForProperty(kPWURLsProperty);
    if (!urls || urls->isEmpty())
        return QString();
    QStringList wanted;
    switch (type) {
    case adMain:
        wanted = {kPWHomePageLabel};
        break;
    case adWork:
        wanted = {kPWWorkLabel};
        break;
    case adHome:
        wanted = {kPWHomePageLabel, kPWHomeLabel};
        break;
    default:
        wanted = {kPWOtherLabel};
        break;
    }
    for (const QString &label : std::as_const(wanted)) {
        const qsizetype index = urls->indexOfLabel(label);
        if (index >= 0)
            return textOf(urls->valueAtIndex(index));
    }
    return textOf(urls->valueAtIndex(0));
}

QString cityLine(const PWPerson &person)
{
    const std::optional<PWMultiValue> addresses = person.multiValueForProperty(kPWAddressProperty);
    if (!addresses)
        return QString();
    qsizetype index = addresses->indexOfLabel(kPWAddressWorkLabel);
    if (index < 0)
        index = addresses->indexOfLabel(kPWAddressHomeLabel);
    if (index < 0)
        index = addresses->indexForIdentifier(addresses->primaryIdentifier());
    if (index < 0)
        return QString();
    const PWPlist::Dictionary &address = addresses->valueAtIndex(index).toDictionary();
    const QString city = address.value(kPWAddressCityKey).toString();
    const QString state = address.value(kPWAddressStateKey).toString();
    const QString zip = address.value(kPWAddressZIPKey).toString();
    const QString country = address.value(kPWAddressCountryKey).toString();
    if (city.isEmpty() && state.isEmpty() && zip.isEmpty() && country.isEmpty())
        return QString();
    return composeAddressConsideringCountry(city, state, zip, country);
}

// Present parts joined by single blanks.
QString joinPresent(std::initializer_list<QString> parts)
{
    QStringList present;
    for (const QString &part : parts) {
        if (!part.isEmpty())
            present.append(part);
    }
    return present.join(QLatin1Char(' '));
}

} // namespace

QString getABPropertyKeyFromTextCategory(textCategory category, QString *label)
{
    const PersonField *field = personFieldFor(category);
    if (label)
        *label = field ? textOrNull(field->label) : QString();
    return field ? textOrNull(field->property) : QString();
}

QString getABPropertyKeyForCustomIndex(unsigned int index)
{
    return QStringLiteral("Custom%1").arg(index);
}

QString getLabelForAddressType(textCategory category, addressType type)
{
    if (type == adOther)
        return kOtherTypeLabel;
    const PersonField *field = personFieldFor(category);
    const EntryLabels *labels = field ? field->entryLabels : nullptr;
    if (!labels)
        return QString();
    if (type == adMain)
        return textOrNull(labels->main);
    if (type == adWork)
        return textOrNull(labels->work);
    if (type == adHome)
        return textOrNull(labels->home);
    return QString();
}

PWPlist valueForPersonProperty(const PWMultiValue &multiValue, addressType type, addressType *used,
                               const QString &workLabel, const QString &homeLabel)
{
    qsizetype index = -1;
    if (type == adMain) {
        index = multiValue.indexForIdentifier(multiValue.primaryIdentifier());
    } else if (type == adWork) {
        index = multiValue.indexOfLabel(workLabel);
    } else if (type == adHome) {
        index = multiValue.indexOfLabel(homeLabel);
    } else {
        for (qsizetype i = 0; i < multiValue.count() && index < 0; ++i) {
            const QString label = multiValue.labelAtIndex(i);
            if (label != workLabel && label != homeLabel)
                index = i;
        }
    }
    if (index < 0)
        return PWPlist();
    if (used) {
        const QString label = multiValue.labelAtIndex(index);
        *used = label == workLabel ? adWork : label == homeLabel ? adHome : adOther;
    }
    return multiValue.valueAtIndex(index);
}

PWPlist personValue(const std::optional<PWMultiValue> &multiValue, addressType type, textCategory category,
                    bool fallback, addressType *used, const QString &workLabel, const QString &homeLabel,
                    const QString &exactLabel)
{
    if (!multiValue)
        return PWPlist();
    PWPlist entry = exactLabel.isEmpty()
                        ? valueForPersonProperty(*multiValue, type, used, workLabel, homeLabel)
                        : valueForPersonProperty(*multiValue, type, used, exactLabel, exactLabel);
    if (entry.isNull() && fallback) {
        for (const addressType next : {adWork, adHome, adOther, adMain}) {
            if (next == type)
                continue;
            entry = valueForPersonProperty(*multiValue, next, used, workLabel, homeLabel);
            if (!entry.isNull())
                break;
        }
    }
    if (entry.isNull())
        return PWPlist();
    const PersonField *field = personFieldFor(category);
    if (field && field->addressKey)
        return entry.value(*field->addressKey);
    return field && field->entryIsValue ? entry : PWPlist();
}

PWPlist::Dictionary extractDictFromAddressProperty(const PWMultiValue &multiValue, addressType type,
                                                   addressType *used)
{
    return valueForPersonProperty(multiValue, type, used, kPWAddressWorkLabel, kPWAddressHomeLabel).toDictionary();
}

QString stringForPersonCategory(const PWPerson *person, addressType type, textCategory category, bool fallback,
                                addressType *used)
{
    const PersonField *field = personFieldFor(category);
    if (!person || !field)
        return QString();
    const QString &property = textOrNull(field->property);
    const QString &label = textOrNull(field->label);
    switch (field->kind) {
    case PersonValueKind::FullName:
        return composeNameConsideringCountry(person->stringForProperty(kPWFirstNameProperty),
                                             person->stringForProperty(kPWLastNameProperty));
    case PersonValueKind::CityLine:
        return cityLine(*person);
    case PersonValueKind::Text:
        return textOf(person->valueForProperty(property));
    case PersonValueKind::Homepage:
        return homepage(*person, type);
    case PersonValueKind::AddressPart:
        return lineFeedRule(textOf(personValue(person->multiValueForProperty(property), type, category, fallback,
                                               used, *field->entryLabels->work, *field->entryLabels->home)));
    case PersonValueKind::TypedEntry: {
        const std::optional<PWMultiValue> entries = person->multiValueForProperty(property);
        const EntryLabels &labels = *field->entryLabels;
        // The main entry is the one labelled main, read as the work entry.
        if (type == adMain && labels.main)
            return textOf(personValue(entries, adWork, category, fallback, used, *labels.work, *labels.home,
                                      *labels.main));
        return textOf(personValue(entries, type, category, fallback, used, *labels.work, *labels.home));
    }
    case PersonValueKind::LabelledEntry:
        return firstWithLabel(person->multiValueForProperty(property), label);
    case PersonValueKind::LabelledDate: {
        const std::optional<PWMultiValue> dates = person->multiValueForProperty(property);
        if (!dates)
            return QString();
        const qsizetype index = dates->indexOfLabel(label);
        return index < 0 ? QString() : dateText(dates->valueAtIndex(index));
    }
    case PersonValueKind::Date:
        return dateText(person->valueForProperty(property));
    }
    return QString();
}

QString stringInfoForPersonCategory(const PWPerson *person, textCategory category, textCategory *used)
{
    QString text = stringForPersonCategory(person, adWork, category, true);
    if (!text.isEmpty()) {
        if (used)
            *used = category;
        return text;
    }
    QList<textCategory> order;
    if (category == tcFirstName)
        order = {tcFirstName, tcCompany, tcLastName};
    else if (category == tcLastName)
        order = {tcLastName, tcCompany, tcFirstName};
    else if (category == tcCompany)
        order = {tcCompany, tcFirstName, tcLastName};
    else
        order = {tcLastName, tcFirstName, tcCompany};
    for (const textCategory next : std::as_const(order)) {
        if (next == category)
            continue;
        text = stringForPersonCategory(person, adWork, next, true);
        if (!text.isEmpty()) {
            if (used)
                *used = next;
            return text;
        }
    }
    return QString();
}

QString stringByRemovingNewLineCharacters(const QString &text)
{
    if (text.isNull())
        return text;
    QString copy = text;
    copy.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return copy;
}

QString interfaceLanguage()
{
    const QString localization = CAEnvironment::localizedPath().chopped(6).toLower();
    if (localization == QLatin1String("ja") || localization == QLatin1String("japanese"))
        return QStringLiteral("Japanese");
    if (localization == QLatin1String("de") || localization == QLatin1String("german"))
        return QStringLiteral("German");
    return localization;
}

QString composeNameConsideringCountry(const QString &first, const QString &last, const QString &language)
{
    if (first.isEmpty() && last.isEmpty())
        return QString();
    if (language == QLatin1String("Japanese"))
        return joinPresent({last, first});
    return joinPresent({first, last});
}

QString composeAddressConsideringCountry(const QString &city, const QString &state, const QString &zip,
                                         const QString &country, const QString &language)
{
    QString composed;
    if (language == QLatin1String("Japanese"))
        composed = joinPresent({country, zip, state, city});
    else if (language == QLatin1String("German"))
        composed = joinPresent({zip, city, state, country});
    else
        composed = joinPresent({city, state, zip, country});
    return composed.trimmed();
}

bool isConvertToLinearAddress()
{
    const PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    const QString key = QStringLiteral("FTConvertToLinearAddress");
    if (defaults.objectForKey(key).isNull())
        return true;
    return defaults.boolForKey(key);
}

void installPersonPropertiesRegistration()
{
    CAEnvironment::setPersonPropertiesRegistration([](const QStringList &names) {
        QList<std::pair<QString, PWPropertyType>> properties;
        for (const QString &name : names)
            properties.append({name, PWPropertyType::String});
        PWPerson::addPropertiesAndTypes(properties);
    });
}
