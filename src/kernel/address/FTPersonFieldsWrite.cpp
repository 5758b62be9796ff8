#include "kernel/address/FTPersonFields.h"

#include "kernel/address/FTAddressLog.h"
#include "kernel/address/FTPersonFieldTable.h"
#include "kernel/address/FTNaturalDate.h"

#include "platform/PWLog.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

#include <QTimeZone>

namespace {

PWPlist dateValue(const QDate &date)
{
    return PWPlist::fromDate(QDateTime(date, QTime(0, 0), QTimeZone::utc()));
}

// Stores the value under the label of a multi-valued property; true when it changed.
bool appendToProperty(PWPerson &person, const QString &property, const PWPlist &value, const QString &label)
{
    bool changed = false;
    const PWMultiValue updated =
        personPropertyByAppendingValue(person.multiValueForProperty(property), value, label, &changed);
    return changed && person.setMultiValueForProperty(property, updated);
}

bool writeAddressField(PWPerson &person, const QString &text, addressType type, const QString &key)
{
    PWMultiValue addresses = person.multiValueForProperty(kPWAddressProperty).value_or(PWMultiValue());
    qsizetype index = -1;
    if (type == adMain) {
        index = addresses.indexForIdentifier(addresses.primaryIdentifier());
    } else if (type == adWork) {
        index = addresses.indexOfLabel(kPWAddressWorkLabel);
    } else if (type == adHome) {
        index = addresses.indexOfLabel(kPWAddressHomeLabel);
    } else if (type == adOther) {
        for (qsizetype i = 0; i < addresses.count() && index < 0; ++i) {
            const QString label = addresses.labelAtIndex(i);
            if (label != kPWAddressWorkLabel && label != kPWAddressHomeLabel)
                index = i;
        }
    }
    PWPlist::Dictionary entry;
    QString newLabel;
    if (index >= 0) {
        entry = addresses.valueAtIndex(index).toDictionary();
    } else {
        // The main address of a person without one becomes the work address.
        if (type == adMain || type == adWork)
            newLabel = kPWAddressWorkLabel;
        else if (type == adHome)
            newLabel = kPWAddressHomeLabel;
        else if (type == adOther)
            newLabel = QStringLiteral("other");
        else
            PWLog::message(lcAddress(), QStringLiteral("Inavalid at=%1").arg(int(type)));
        for (const QString &part : {kPWAddressStreetKey, kPWAddressCityKey, kPWAddressStateKey, kPWAddressZIPKey,
                                    kPWAddressCountryKey, kPWAddressCountryCodeKey})
            entry.insert(part, PWPlist::fromString(QString()));
    }
    // Exact comparison: a correction of letter case is a change too.
    if (entry.value(key).toString() == text)
        return false;
    entry.insert(key, PWPlist::fromString(text));
    if (index >= 0)
        addresses.replaceValueAtIndex(index, PWPlist(entry));
    else
        addresses.addValue(PWPlist(entry), newLabel);
    return person.setMultiValueForProperty(kPWAddressProperty, addresses);
}

} // namespace

PWMultiValue personPropertyByAppendingValue(const std::optional<PWMultiValue> &multiValue, const PWPlist &value,
                                            const QString &label, bool *changed)
{
    PWMultiValue result = multiValue.value_or(PWMultiValue());
    qsizetype target = -1;
    for (qsizetype i = 0; i < result.count(); ++i) {
        if (result.labelAtIndex(i) == label)
            target = i;
    }
    bool differs = false;
    if (target >= 0) {
        if (result.valueAtIndex(target) != value) {
            result.replaceValueAtIndex(target, value);
            differs = true;
        }
    } else if (!(value.isString() && value.toString().isEmpty()) && !value.isNull()) {
        result.addValue(value, label);
        differs = true;
    }
    if (changed)
        *changed = differs;
    return result;
}

bool setStringForPersonCategory(PWPerson *person, const QString &text, addressType type, textCategory category)
{
    const PersonField *field = person ? personFieldFor(category) : nullptr;
    if (!field || !field->property)
        return false;
    const QString &property = *field->property;
    switch (field->kind) {
    case PersonValueKind::Text:
    case PersonValueKind::Homepage: {
        // Exact comparison: a correction of letter case is a change too.
        if (person->stringForProperty(property) == text)
            return false;
        const bool stored =
            person->setValueForProperty(property, text.isEmpty() ? PWPlist() : PWPlist::fromString(text));
        if (!stored)
            PWLog::message(lcAddress(), QStringLiteral("person property %1 is not registered").arg(property));
        return stored;
    }
    case PersonValueKind::AddressPart:
        return writeAddressField(*person, text, type, *field->label);
    case PersonValueKind::TypedEntry:
        return appendToProperty(*person, property, PWPlist::fromString(text), getLabelForAddressType(category, type));
    case PersonValueKind::LabelledEntry:
        return appendToProperty(*person, property, PWPlist::fromString(text), *field->label);
    case PersonValueKind::LabelledDate:
    case PersonValueKind::Date: {
        const std::optional<QDate> date = dateFromNaturalLanguageString(text);
        if (!date) {
            PWLog::message(lcAddress(), QStringLiteral("\"%1\" is no date").arg(text));
            return false;
        }
        if (field->kind == PersonValueKind::LabelledDate)
            return appendToProperty(*person, property, dateValue(*date), *field->label);
        if (person->valueForProperty(property) == dateValue(*date))
            return false;
        return person->setValueForProperty(property, dateValue(*date));
    }
    case PersonValueKind::FullName:
    case PersonValueKind::CityLine:
        break;
    }
    return false;
}

void setPrimaryAddressIndex(PWPerson *person, const QString &label)
{
    if (!person)
        return;
    std::optional<PWMultiValue> addresses = person->multiValueForProperty(kPWAddressProperty);
    if (!addresses)
        return;
    const qsizetype index = addresses->indexOfLabel(label);
    if (index >= 0)
        addresses->setPrimaryIdentifier(addresses->identifierAtIndex(index));
    person->setMultiValueForProperty(kPWAddressProperty, *addresses);
}

QString getPrimaryAddressLabel(const PWPerson *person)
{
    if (!person)
        return QString();
    const std::optional<PWMultiValue> addresses = person->multiValueForProperty(kPWAddressProperty);
    if (!addresses)
        return QString();
    return addresses->labelAtIndex(addresses->indexForIdentifier(addresses->primaryIdentifier()));
}
