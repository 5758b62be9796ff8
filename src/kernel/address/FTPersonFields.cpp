#include "kernel/address/FTPersonFields.h"

#include "kernel/address/FTTextCategories.h"

#include "kernel/foundation/CAEnvironment.h"
#include "kernel/foundation/FTCalendarFormat.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWUserDefaults.h"

#include <array>

namespace {

const QString kDepartmentProperty = QStringLiteral("ABDepartment");
const QString kOtherTypeLabel = QStringLiteral("other");

// Labels of the related-name categories 110 to 121, in order.
const std::array<const QString *, 12> kRelationLabels = {
    &kPWMotherLabel, &kPWFatherLabel,  &kPWParentLabel,  &kPWSisterLabel,    &kPWBrotherLabel, &kPWChildLabel,
    &kPWFriendLabel, &kPWSpouseLabel,  &kPWPartnerLabel, &kPWAssistantLabel, &kPWManagerLabel, &kPWOtherLabel,
};

struct InstantMessaging
{
    const QString *property;
    const QString *work;
    const QString *home;
};

InstantMessaging instantMessaging(textCategory category)
{
    switch (int(category)) {
    case 122:
        return {&kPWAIMInstantProperty, &kPWAIMWorkLabel, &kPWAIMHomeLabel};
    case 123:
        return {&kPWJabberInstantProperty, &kPWJabberWorkLabel, &kPWJabberHomeLabel};
    case 124:
        return {&kPWMSNInstantProperty, &kPWMSNWorkLabel, &kPWMSNHomeLabel};
    case 125:
        return {&kPWICQInstantProperty, &kPWICQWorkLabel, &kPWICQHomeLabel};
    default:
        return {&kPWYahooInstantProperty, &kPWYahooWorkLabel, &kPWYahooHomeLabel};
    }
}

QString addressKey(textCategory category)
{
    switch (int(category)) {
    case 5:
        return kPWAddressStreetKey;
    case 13:
        return kPWAddressCityKey;
    case 14:
        return kPWAddressStateKey;
    case 15:
        return kPWAddressZIPKey;
    case 16:
        return kPWAddressCountryKey;
    case 21:
        return QStringLiteral("keyCustom1");
    case 22:
        return QStringLiteral("keyCustom2");
    case 23:
        return QStringLiteral("keyCustom3");
    default:
        return QString();
    }
}

bool takesEntryItself(textCategory category)
{
    const int c = int(category);
    return c == 7 || c == 8 || c == 10 || c == 11 || c == 103 || (c >= 122 && c <= 126);
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
    switch (int(type)) {
    case 0:
        wanted = {kPWHomePageLabel};
        break;
    case 1:
        wanted = {kPWWorkLabel};
        break;
    case 2:
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
    if (label)
        label->clear();
    const auto give = [label](const QString &value) {
        if (label)
            *label = value;
    };
    const int c = int(category);
    switch (c) {
    case 2:
        return kPWOrganizationProperty;
    case 4:
        return kPWJobTitleProperty;
    case 5:
        give(kPWAddressStreetKey);
        return kPWAddressProperty;
    case 7:
        give(kPWPhoneWorkLabel);
        return kPWPhoneProperty;
    case 8:
        give(kPWPhoneWorkFAXLabel);
        return kPWPhoneProperty;
    case 9:
        give(kPWPhoneMobileLabel);
        return kPWPhoneProperty;
    case 10:
        give(kPWEmailWorkLabel);
        return kPWEmailProperty;
    case 11:
        return kPWHomePageProperty;
    case 13:
        give(kPWAddressCityKey);
        return kPWAddressProperty;
    case 14:
        give(kPWAddressStateKey);
        return kPWAddressProperty;
    case 15:
        give(kPWAddressZIPKey);
        return kPWAddressProperty;
    case 16:
        give(kPWAddressCountryKey);
        return kPWAddressProperty;
    case 17:
        return kPWFirstNameProperty;
    case 18:
        return kPWLastNameProperty;
    case 19:
        return kPWTitleProperty;
    case 20:
        return kDepartmentProperty;
    case 21:
    case 22:
    case 23:
        return getABPropertyKeyForCustomIndex(unsigned(c - 20));
    case 24:
        return kPWSuffixProperty;
    case 27:
    case 28:
    case 29:
    case 30:
    case 31:
    case 32:
        return getABPropertyKeyForCustomIndex(unsigned(c - 23));
    case 100:
        give(kPWAnniversaryLabel);
        return kPWOtherDatesProperty;
    case 101:
        give(kPWBirthdayProperty);
        return kPWBirthdayProperty;
    case 102:
        give(kPWOtherLabel);
        return kPWOtherDatesProperty;
    case 103:
        give(kPWPhonePagerLabel);
        return kPWPhoneProperty;
    case 107:
        return kPWNicknameProperty;
    case 108:
        return kPWMiddleNameProperty;
    case 109:
        return kPWMaidenNameProperty;
    case 122:
    case 123:
    case 124:
    case 125:
    case 126: {
        const InstantMessaging im = instantMessaging(category);
        give(*im.work);
        return *im.property;
    }
    case 127:
        return kPWNoteProperty;
    default:
        break;
    }
    if (c >= 110 && c <= 121) {
        give(*kRelationLabels.at(size_t(c - 110)));
        return kPWRelatedNamesProperty;
    }
    return QString();
}

QString getABPropertyKeyForCustomIndex(unsigned int index)
{
    return QStringLiteral("Custom%1").arg(index);
}

QString getLabelForAddressType(textCategory category, addressType type)
{
    if (type == adOther)
        return kOtherTypeLabel;
    // The labels of the main, work and home entries of the property behind the category.
    struct TypeLabels
    {
        QString main, work, home;
    };
    const int c = int(category);
    TypeLabels labels;
    if (c == 7)
        labels = { kPWPhoneMainLabel, kPWPhoneWorkLabel, kPWPhoneHomeLabel };
    else if (c == 8)
        labels = { QString(), kPWPhoneWorkFAXLabel, kPWPhoneHomeFAXLabel };
    else if (c == 10)
        labels = { QString(), kPWEmailWorkLabel, kPWEmailHomeLabel };
    else if (c == 5 || c == 11 || (c >= 13 && c <= 16) || (c >= 122 && c <= 126))
        labels = { QString(), kPWWorkLabel, kPWHomeLabel };
    if (type == adMain)
        return labels.main;
    if (type == adWork)
        return labels.work;
    if (type == adHome)
        return labels.home;
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
    const QString key = addressKey(category);
    if (!key.isEmpty())
        return entry.value(key);
    return takesEntryItself(category) ? entry : PWPlist();
}

PWPlist::Dictionary extractDictFromAddressProperty(const PWMultiValue &multiValue, addressType type,
                                                   addressType *used)
{
    return valueForPersonProperty(multiValue, type, used, kPWAddressWorkLabel, kPWAddressHomeLabel).toDictionary();
}

QString stringForPersonCategory(const PWPerson *person, addressType type, textCategory category, bool fallback,
                                addressType *used)
{
    if (!person || category > 127)
        return QString();
    const int c = int(category);
    switch (c) {
    case 1: {
        const QString first = person->stringForProperty(kPWFirstNameProperty);
        const QString last = person->stringForProperty(kPWLastNameProperty);
        return composeNameConsideringCountry(first, last);
    }
    case 2:
    case 4:
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
    case 22:
    case 23:
    case 24:
    case 27:
    case 28:
    case 29:
    case 30:
    case 31:
    case 32:
    case 107:
    case 108:
    case 109:
    case 127:
        return textOf(person->valueForProperty(getABPropertyKeyFromTextCategory(category)));
    case 5:
    case 13:
    case 14:
    case 15:
    case 16:
        return lineFeedRule(textOf(personValue(person->multiValueForProperty(kPWAddressProperty), type, category,
                                               fallback, used, kPWAddressWorkLabel, kPWAddressHomeLabel)));
    case 6:
        return cityLine(*person);
    case 7: {
        const std::optional<PWMultiValue> phones = person->multiValueForProperty(kPWPhoneProperty);
        if (type == adMain)
            return textOf(personValue(phones, adWork, category, fallback, used, kPWPhoneWorkLabel, kPWPhoneHomeLabel,
                                      kPWPhoneMainLabel));
        return textOf(personValue(phones, type, category, fallback, used, getLabelForAddressType(category, adWork),
                                  getLabelForAddressType(category, adHome)));
    }
    case 8:
        return textOf(personValue(person->multiValueForProperty(kPWPhoneProperty), type, category, fallback, used,
                                  kPWPhoneWorkFAXLabel, kPWPhoneHomeFAXLabel));
    case 9:
        return firstWithLabel(person->multiValueForProperty(kPWPhoneProperty), kPWPhoneMobileLabel);
    case 103:
        return firstWithLabel(person->multiValueForProperty(kPWPhoneProperty), kPWPhonePagerLabel);
    case 10:
        return textOf(personValue(person->multiValueForProperty(kPWEmailProperty), type, category, fallback, used,
                                  kPWEmailWorkLabel, kPWEmailHomeLabel));
    case 11:
        return homepage(*person, type);
    case 100:
    case 102: {
        const std::optional<PWMultiValue> dates = person->multiValueForProperty(kPWOtherDatesProperty);
        QString label;
        getABPropertyKeyFromTextCategory(category, &label);
        if (!dates)
            return QString();
        const qsizetype index = dates->indexOfLabel(label);
        return index < 0 ? QString() : dateText(dates->valueAtIndex(index));
    }
    case 101:
        return dateText(person->valueForProperty(kPWBirthdayProperty));
    case 122:
    case 123:
    case 124:
    case 125:
    case 126: {
        const InstantMessaging im = instantMessaging(category);
        return textOf(personValue(person->multiValueForProperty(*im.property), type, category, fallback, used,
                                  *im.work, *im.home));
    }
    default:
        break;
    }
    if (c >= 110 && c <= 121)
        return firstWithLabel(person->multiValueForProperty(kPWRelatedNamesProperty), *kRelationLabels.at(size_t(c - 110)));
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
