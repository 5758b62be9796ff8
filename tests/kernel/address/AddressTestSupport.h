#pragma once

#include "TestSupport.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/address/FTTextCategories.h"

#include "kernel/foundation/CAEnvironment.h"
#include "platform/PWMultiValue.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

#include <QDate>
#include <QStringList>
#include <QTimeZone>

#include <initializer_list>
#include <memory>
#include <optional>
#include <tuple>
#include <vector>

#include <ostream>

// Lets GoogleTest show texts in failure messages.
inline void PrintTo(const QString &text, std::ostream *stream)
{
    *stream << '"' << text.toStdString() << '"';
}

using namespace Qt::StringLiterals;

// Helpers of the address tests: formats walked row by row, persons, panels filled and read back.
namespace addrtest {

// A format walked row by row: one text per row, its fields by key string (the number where a
// category has none), each followed by its delimiter.
inline QStringList dumpRows(CAddressFormat &format)
{
    QStringList rows;
    if (!format.initEnumeration())
        return rows;
    do {
        QStringList fields;
        while (CAddressFormat *field = format.nextObjectInRow()) {
            const QString key = FTTextCategories::getKeyFromTextCategory(field->getTextCategory());
            QString text = key.isEmpty() ? QString::number(int(field->getTextCategory())) : key;
            if (field->getDelimiter())
                text += field->getDelimiter()->getData();
            fields.append(text);
        }
        rows.append(fields.join(QStringLiteral(" | ")));
    } while (format.nextRow());
    return rows;
}

inline PWPlist utcDate(int year, int month, int day)
{
    return PWPlist::fromDate(QDateTime(QDate(year, month, day), QTime(0, 0), QTimeZone::utc()));
}

struct Address
{
    QString first;
    QString last;
    QString company;
    QString street;
    QString city;
    QString state;
    QString zip;
    QString country;
};

// An address from its fields in order, separated by "|".
inline Address addressFrom(const QString &fields)
{
    const QStringList f = fields.split(QLatin1Char('|'));
    return Address {f.value(0), f.value(1), f.value(2), f.value(3), f.value(4), f.value(5), f.value(6), f.value(7)};
}

inline const Address kUS =
    addressFrom(QStringLiteral("Ada|Lovelace|Engines Inc|12 Main Street|Springfield|IL|62704|USA"));

// A person with names, company and one work address.
inline std::shared_ptr<PWPerson> makePerson(const Address &a)
{
    std::shared_ptr<PWPerson> person = PWPerson::create();
    person->setValueForProperty(kPWFirstNameProperty, PWPlist::fromString(a.first));
    person->setValueForProperty(kPWLastNameProperty, PWPlist::fromString(a.last));
    if (!a.company.isEmpty())
        person->setValueForProperty(kPWOrganizationProperty, PWPlist::fromString(a.company));
    PWMultiValue addresses;
    addresses.addValue(PWPlist(PWPlist::Dictionary {{kPWAddressStreetKey, PWPlist::fromString(a.street)},
                                                    {kPWAddressCityKey, PWPlist::fromString(a.city)},
                                                    {kPWAddressStateKey, PWPlist::fromString(a.state)},
                                                    {kPWAddressZIPKey, PWPlist::fromString(a.zip)},
                                                    {kPWAddressCountryKey, PWPlist::fromString(a.country)}}),
                       kPWAddressWorkLabel);
    person->setMultiValueForProperty(kPWAddressProperty, addresses);
    return person;
}

// The default template of the catalogue for a country, with or without a postal barcode.
inline std::unique_ptr<CAddressFormat> catalogueFormat(const QString &country, bool barcode = false,
                                                       int location = CAddressFormatController::kBarcodeBelow)
{
    return CAddressFormatController::sharedAddressFormatController().formatWithTemplate(QStringLiteral("Name+Company"),
                                                                                        country, barcode, location);
}

// A root holding the given leaves, one per (category, row, column), each labelled.
inline std::unique_ptr<CAddressFormat> handMadeFormat(std::initializer_list<std::tuple<textCategory, int, int>> leaves)
{
    std::unique_ptr<CAddressFormat> root = CAddressFormat::createRoot(tcRootFormat, CDDString(QStringLiteral("Hand")));
    for (const auto &[category, row, column] : leaves)
        root->addKey(category, row, column, CDDString(QStringLiteral("L%1").arg(int(category))), CDDString(),
                     CDDString(), CDDString(), fmUnset, tcNone, tcNone);
    return root;
}

// Sets one field's text as the panel's own side and address type.
inline void fill(CFTAAddressPanel &panel, textCategory category, const QString &text)
{
    panel.SetString(panel.GetToFrom(), category, panel.GetAddressType(), CDDString(text), tcNone, false);
}

inline CFTAAddressText *field(const CFTAAddressPanel &panel, textCategory category)
{
    return panel.getAddressComponentWithTextCategory(category);
}

inline QString text(const CFTAAddressPanel &panel, textCategory category)
{
    return field(panel, category)->GetString().getData();
}

inline double pointSize(const std::optional<PWFont> &font)
{
    return font ? font->pointSize() : 0.0;
}

// Fills the panel the way a document puts a person into it: each category it holds (at most
// 32, the free texts left out) with the person's value, and the barcode with ZIP, country and
// street.
inline void fillFromPerson(CFTAAddressPanel &panel, const PWPerson &person, bool append = false)
{
    textCategory categories[32];
    const int count = panel.GetContainTextCategories(categories, 32);
    const addressType type = panel.GetAddressType();
    for (int i = 0; i < count; ++i) {
        const textCategory category = categories[i];
        if (category == tcSimpleText)
            continue;
        if (category == tcBarcode) {
            for (textCategory part : {tcZIP, tcCountry, tcStreet})
                panel.SetString(panel.GetToFrom(), part, type,
                                CDDString(stringForPersonCategory(&person, type, part, false)), tcBarcode, false);
            continue;
        }
        panel.SetString(panel.GetToFrom(), category, type,
                        CDDString(stringForPersonCategory(&person, type, category, false)), tcNone, append);
    }
}

// The texts of the fields the panel shows on screen, row by row, as "text|text" per row.
inline QStringList shownRows(CFTAAddressPanel &panel)
{
    QStringList rows;
    std::unique_ptr<CAddressFormat> format = panel.getFormat() ? panel.getFormat()->clone() : nullptr;
    if (!format || !format->initEnumeration())
        return rows;
    const bool forced = panel.isShowAllFields() || panel.isEmpty();
    panel.initEnumerator();
    do {
        QStringList texts;
        while (CAddressFormat *leaf = format->nextObjectInRow()) {
            CFTAAddressText *field = panel.getNextAddressComponent(leaf->getTextCategory(), false);
            if (field && field->isEnabled(forced))
                texts.append(field->GetString().getData());
        }
        if (!texts.isEmpty())
            rows.append(texts.join(QLatin1Char('|')));
    } while (format->nextRow());
    return rows;
}

} // namespace addrtest
