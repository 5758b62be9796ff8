#pragma once

#include "kernel/base/FTComponentTypes.h"
#include "kernel/base/FTTypes.h"
#include "kernel/address/CAddressFormatMenuItem.h"

#include "platform/PWBundle.h"
#include "platform/PWPlist.h"

#include <QHash>
#include <QString>

#include <memory>
#include <optional>

class CAddressFormat;
class CDDArchive;
class CDDString;
class PWUserDefaults;

// The shared catalogue of address formats: the country formats of "AddressFormat.xml", the
// templates of "TemplateFormat.xml" (both bundle resources, read once) and the user's custom
// formats (user default "CustomAddressFormat"). It builds format trees for a template and a
// country, with or without a postal barcode field, and for custom formats; fills the template
// and country menus; answers which categories a format may hold and how a category is labelled
// in a country. A resource that cannot be read leaves the catalogue empty (it builds no formats)
// and is reported by loadError(), which the shell shows at start-up.
class CAddressFormatController
{
public:
    // Barcode locations: above the template's first field, or below its last row.
    static constexpr int kBarcodeAbove = 0;
    static constexpr int kBarcodeBelow = 1;
    // The tag of the context menu item whose submenu lists the templates.
    static constexpr int kTemplateMenuTag = 202;
    static constexpr int kCustomFormatTag = 100;

    // The one catalogue, on the main bundle and the standard user defaults, made on first use.
    static CAddressFormatController &sharedAddressFormatController();
    // One context menu shared by the process, empty when made.
    static CAddressFormatMenu &sharedContextAddressFormatMenu();

    // Keeps its own copy of the bundle; the defaults store must outlive the catalogue.
    CAddressFormatController(const PWBundle &bundle, PWUserDefaults &defaults);
    ~CAddressFormatController();
    CAddressFormatController(const CAddressFormatController &) = delete;
    CAddressFormatController &operator=(const CAddressFormatController &) = delete;

    // "AddressFormat.xml not found" or "TemplateFormat.xml not found" when a resource could
    // not be read; empty when both were.
    QString loadError() const { return m_loadError; }
    bool isLoaded() const { return m_loadError.isEmpty(); }

    // A new tree for the template and the country: the template's fields with the country's
    // part in place of its "Address" field, and a barcode field above or below when asked for
    // and allowed. Without the template: the country part alone; without either: null.
    std::unique_ptr<CAddressFormat> formatWithTemplate(const QString &templateName, const QString &countryCode,
                                                       bool barCode, int location) const;
    // A new tree marked custom from a custom format description.
    std::unique_ptr<CAddressFormat> formatWithDesc(const PWPlist::Dictionary &description, const QString &name) const;
    // Answers true and changes nothing (the country part is chosen by formatWithTemplate).
    bool formatWithCountryCode(const QString &countryCode, CAddressFormat *format) const;

    // Template name -> its field descriptions; the custom formats in stored order.
    const PWPlist::Dictionary &templates() const { return m_templates; }
    const PWPlist::Array &customTemplates() const { return m_customTemplates; }
    // The country description, or nothing for an unknown code.
    std::optional<PWPlist::Dictionary> formatDescriptorForCountryCode(const QString &countryCode) const;
    // Adds code -> "CountryName" for every country that has a name.
    void getCountryList(QHash<QString, QString> &list) const;
    // Adds "_custom<index>" -> "FormatName" for every custom format.
    void getCustomFormatsList(QHash<QString, QString> &list) const;

    // Counters, file data and -1 never; the barcode only with a template for "us", "ca", "uk".
    bool allowCategory(textCategory category, const QString &templateName, const QString &countryCode) const;
    // The localized label of the category in a country description (its entry's "Label"), else
    // of the category's own label key.
    QString labelForTextCategory(textCategory category, const PWPlist::Dictionary *descriptor) const;

    // Replace the menu's items: the templates in file order with their separators, the custom
    // formats after a separator, then a separator and "Edit"; the countries sorted by name.
    void fillTemplateMenu(CAddressFormatMenu &menu) const;
    void fillCountryMenu(CAddressFormatMenu &menu) const;
    // Re-reads "CustomAddressFormat" and refreshes the shared context menu's template submenu.
    void reloadCustomFormats();
    // Fills the submenu of the shared context menu's item tagged 202, when there is one.
    void updateAddressFormatMenu() const;

    // Reads an address format stored in the older forms under key: a country code (the default
    // template's format for that country, whose code goes into country) or a list of field
    // entries {"tc", "row", "col"} (a root with those fields, labelled with their key strings).
    // False when the key is absent or holds anything else.
    bool GetData(const CDDArchive &archive, const QString &key, CDDString *country,
                 std::unique_ptr<CAddressFormat> *format) const;

    // The prefix of the keys getCustomFormatsList() makes.
    static const QString CustomFormatPrefix;

private:
    std::unique_ptr<CAddressFormat> countryPart(const QString &countryCode) const;
    QString localized(const QString &key) const;

    PWBundle m_bundle;
    PWUserDefaults &m_defaults;
    QString m_loadError;
    PWPlist::Array m_templateList;
    PWPlist::Dictionary m_templates;
    PWPlist::Dictionary m_countries;
    PWPlist::Array m_customTemplates;
};

// The case-insensitive comparison of the two countries' names: negative, zero or positive.
int compareCountryNames(const QString &a, const QString &b, const QHash<QString, QString> &names);
