#pragma once

#include "TestSupport.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/address/FTTextCategories.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/CDDArchive.h"
#include "platform/PWMultiValue.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

#include <QDate>
#include <QImage>
#include <QStringList>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <optional>
#include <ostream>
#include <tuple>
#include <vector>

// Lets GoogleTest show texts in failure messages.
inline void PrintTo(const QString &text, std::ostream *stream)
{
    *stream << '"' << text.toStdString() << '"';
}

using namespace Qt::StringLiterals;

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
        rows.append(fields.join(u" | "_s));
    } while (format.nextRow());
    return rows;
}

inline PWPlist utcDate(int year, int month, int day)
{
    return PWPlist::fromDate(QDateTime(QDate(year, month, day), QTime(0, 0), QTimeZone::utc()));
}

// A person's names, company, street, city, state, ZIP and country, separated by "|".
inline const QString kUS = u"Ada|Lovelace|Engines Inc|12 Main Street|Springfield|IL|62704|USA"_s;

inline PWPlist addressValue(const QString &street, const QString &city, const QString &state, const QString &zip,
                            const QString &country)
{
    return PWPlist(PWPlist::Dictionary {
        {kPWAddressStreetKey, PWPlist::fromString(street)}, {kPWAddressCityKey, PWPlist::fromString(city)},
        {kPWAddressStateKey, PWPlist::fromString(state)}, {kPWAddressZIPKey, PWPlist::fromString(zip)},
        {kPWAddressCountryKey, PWPlist::fromString(country)}});
}

// A person with names, company and one work address, from its fields as in kUS.
inline std::shared_ptr<PWPerson> makePerson(const QString &fields)
{
    const QStringList f = fields.split(QLatin1Char('|'));
    std::shared_ptr<PWPerson> person = PWPerson::create();
    person->setValueForProperty(kPWFirstNameProperty, PWPlist::fromString(f.value(0)));
    person->setValueForProperty(kPWLastNameProperty, PWPlist::fromString(f.value(1)));
    if (!f.value(2).isEmpty())
        person->setValueForProperty(kPWOrganizationProperty, PWPlist::fromString(f.value(2)));
    PWMultiValue addresses;
    addresses.addValue(addressValue(f.value(3), f.value(4), f.value(5), f.value(6), f.value(7)), kPWAddressWorkLabel);
    person->setMultiValueForProperty(kPWAddressProperty, addresses);
    return person;
}

// The default template of the catalogue for a country, with or without a postal barcode.
inline std::unique_ptr<CAddressFormat> catalogueFormat(const QString &country, bool barcode = false,
                                                       int location = CAddressFormatController::kBarcodeBelow)
{
    return CAddressFormatController::sharedAddressFormatController().formatWithTemplate(u"Name+Company"_s, country,
                                                                                        barcode, location);
}

// A root holding the given leaves, one per (category, row, column), each labelled.
inline std::unique_ptr<CAddressFormat> handMadeFormat(std::initializer_list<std::tuple<textCategory, int, int>> leaves)
{
    std::unique_ptr<CAddressFormat> root = CAddressFormat::createRoot(tcRootFormat, CDDString(u"Hand"_s));
    for (const auto &[category, row, column] : leaves)
        root->addKey(category, row, column, CDDString(u"L%1"_s.arg(int(category))), CDDString(), CDDString(),
                     CDDString(), fmUnset, tcNone, tcNone);
    return root;
}

// Sets one field's text as the panel's own side and address type.
inline void fill(CFTAAddressPanel &panel, textCategory category, const QString &text)
{
    panel.SetString(panel.GetToFrom(), category, panel.GetAddressType(), CDDString(text), tcNone, false);
}

// A recipient panel of a hand-made format with the given texts filled in.
inline std::unique_ptr<CFTAAddressPanel>
handMadePanel(std::initializer_list<std::tuple<textCategory, int, int>> leaves,
              std::initializer_list<std::pair<textCategory, QString>> texts = {})
{
    auto panel = std::make_unique<CFTAAddressPanel>(true, handMadeFormat(leaves).get(), nullptr, false);
    for (const auto &[category, text] : texts)
        fill(*panel, category, text);
    return panel;
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

inline bool isBlank(const QImage &image)
{
    QImage white(image.size(), image.format());
    white.fill(Qt::white);
    return image == white;
}

// The component saved into an archive and read back as a new one of the same kind (null if not).
template <class T>
std::unique_ptr<T> roundTrip(CFTComponent &saved)
{
    CDDArchive archive(true);
    archive.SetClassID(saved.getClassID());
    EXPECT_TRUE(saved.Serialize(archive, nullptr));
    archive.setStoring(false);
    std::unique_ptr<CFTComponent> made = CFTComponent::CreateFromArchive(archive, nullptr, nullptr);
    if (!dynamic_cast<T *>(made.get()))
        return nullptr;
    return std::unique_ptr<T>(static_cast<T *>(made.release()));
}

// Fills the panel the way a document puts a person into it: each category it holds (at most
// 32, the free texts left out) with the person's value, and the barcode with ZIP, country and
// street.
inline void fillFromPerson(CFTAAddressPanel &panel, const PWPerson &person)
{
    textCategory categories[32];
    const int count = panel.GetContainTextCategories(categories, 32);
    const addressType type = panel.GetAddressType();
    const auto set = [&](textCategory category, textCategory part) {
        panel.SetString(panel.GetToFrom(), category, type,
                        CDDString(stringForPersonCategory(&person, type, category, false)), part, false);
    };
    for (int i = 0; i < count; ++i) {
        if (categories[i] == tcBarcode) {
            for (textCategory part : {tcZIP, tcCountry, tcStreet})
                set(part, tcBarcode);
        } else if (categories[i] != tcSimpleText) {
            set(categories[i], tcNone);
        }
    }
}

// A recipient panel of the format at the origin, filled from the person and laid out.
inline std::unique_ptr<CFTAAddressPanel> filledPanel(const CAddressFormat &format, const QString &address, double x,
                                                     double y)
{
    auto panel = std::make_unique<CFTAAddressPanel>(true, &format, nullptr, false);
    panel->SetOrigin(x, y);
    fillFromPerson(*panel, *makePerson(address));
    panel->setAuto(false);
    panel->updateFormat();
    return panel;
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
