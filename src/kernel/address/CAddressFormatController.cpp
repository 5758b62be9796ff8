#include "kernel/address/CAddressFormatController.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/FTAddressLog.h"
#include "kernel/address/FTTextCategories.h"

#include "kernel/base/CAEnvironment.h"
#include "kernel/base/CDDArchive.h"
#include "platform/PWBundle.h"
#include "platform/PWLog.h"
#include "platform/PWUserDefaults.h"

#include <algorithm>

const QString CAddressFormatController::CustomFormatPrefix = QStringLiteral("_custom");

namespace {

const QString kCustomFormatsKey = QStringLiteral("CustomAddressFormat");

// Rows and columns come from resources and user defaults; keep them far from overflow.
int number(const PWPlist &value, int fallback = 0)
{
    qint64 n = fallback;
    if (value.isNumber()) {
        n = value.isInteger() ? value.toInteger() : qint64(value.toReal());
    } else if (value.isString()) {
        bool ok = false;
        const qint64 parsed = value.toString().trimmed().toLongLong(&ok);
        if (ok)
            n = parsed;
    }
    return int(std::clamp<qint64>(n, -100000, 100000));
}

std::optional<PWPlist> readResource(const PWBundle &bundle, const QString &name, QString *reason)
{
    const QByteArray bytes = bundle.resourceData(name, QStringLiteral("xml"));
    if (bytes.isEmpty()) {
        *reason = QStringLiteral("missing");
        return std::nullopt;
    }
    return PWPlist::parse(bytes, reason);
}

} // namespace

CAddressFormatController &CAddressFormatController::sharedAddressFormatController()
{
    static CAddressFormatController *controller =
        new CAddressFormatController(PWBundle::mainBundle(), PWUserDefaults::standardUserDefaults()); // process-long
    return *controller;
}

CAddressFormatMenu &CAddressFormatController::sharedContextAddressFormatMenu()
{
    static CAddressFormatMenu menu;
    return menu;
}

CAddressFormatController::CAddressFormatController(const PWBundle &bundle, PWUserDefaults &defaults)
    : m_bundle(bundle)
    , m_defaults(defaults)
{
    QString reason;
    const std::optional<PWPlist> countries = readResource(bundle, QStringLiteral("AddressFormat"), &reason);
    if (countries && countries->isDictionary()) {
        m_countries = countries->toDictionary();
    } else {
        m_loadError = QStringLiteral("AddressFormat.xml not found");
        qCCritical(lcAddress).noquote() << m_loadError << reason;
    }
    reason.clear();
    const std::optional<PWPlist> templates = readResource(bundle, QStringLiteral("TemplateFormat"), &reason);
    if (templates && templates->isArray()) {
        m_templateList = templates->toArray();
        for (const PWPlist &element : std::as_const(m_templateList)) {
            if (element.isDictionary() && element.value(QStringLiteral("Name")).isString())
                m_templates.insert(element.value(QStringLiteral("Name")).toString(),
                                   element.value(QStringLiteral("Fields")));
        }
    } else {
        const QString error = QStringLiteral("TemplateFormat.xml not found");
        qCCritical(lcAddress).noquote() << error << reason;
        if (m_loadError.isEmpty())
            m_loadError = error;
    }
    if (!m_loadError.isEmpty()) {
        // A catalogue with half its tables would build formats without addresses: none at all.
        m_countries.clear();
        m_templates.clear();
        m_templateList.clear();
    }
    m_customTemplates = m_defaults.arrayForKey(kCustomFormatsKey);
}

CAddressFormatController::~CAddressFormatController() = default;

QString CAddressFormatController::localized(const QString &key) const
{
    return m_bundle.localizedString(key, QString());
}

std::unique_ptr<CAddressFormat> CAddressFormatController::countryPart(const QString &countryCode) const
{
    if (countryCode.isEmpty() || !m_countries.contains(countryCode))
        return nullptr;
    std::unique_ptr<CAddressFormat> knot = CAddressFormat::createRoot(tcAddress, countryCode);
    knot->setRow(0);
    knot->setColumn(0);
    static const QList<std::pair<QString, textCategory>> parts = {
        {QStringLiteral("Street"), tcStreet}, {QStringLiteral("City"), tcCity}, {QStringLiteral("State"), tcState},
        {QStringLiteral("ZIP"), tcZIP},       {QStringLiteral("Country"), tcCountry},
    };
    for (const auto &[key, entry] : m_countries.value(countryCode).toDictionary()) {
        for (const auto &part : parts) {
            if (part.first != key)
                continue;
            knot->addKey(part.second, number(entry.value(QStringLiteral("Row"))),
                         number(entry.value(QStringLiteral("Column"))),
                         localized(entry.value(QStringLiteral("Label")).toString()), CDDString(),
                         entry.value(QStringLiteral("Phonetic Delimiter")).toString(), CDDString(), fmWhenFilled,
                         tcNone, tcNone);
        }
    }
    return knot;
}

std::unique_ptr<CAddressFormat> CAddressFormatController::formatWithTemplate(const QString &templateName,
                                                                             const QString &countryCode, bool barCode,
                                                                             int location) const
{
    std::unique_ptr<CAddressFormat> country = countryPart(countryCode);
    if (templateName.isEmpty() || !m_templates.contains(templateName))
        return country;

    std::unique_ptr<CAddressFormat> root = CAddressFormat::createRoot(tcRootFormat, templateName);
    const bool barcodeAllowed = barCode && allowCategory(tcBarcode, templateName, countryCode);
    const auto addBarcode = [&root](int row) {
        root->addKey(tcBarcode, row, 0, CDDString(), CDDString(), CDDString(), CDDString(), fmWhenFilled, tcNone,
                     tcNone);
    };
    int barcodeRow = -1;
    int highestRow = 0;
    for (const PWPlist &field : m_templates.value(templateName).toArray()) {
        const PWPlist nameValue = field.value(QStringLiteral("Name"));
        const textCategory category =
            nameValue.isString() ? FTTextCategories::getTextCategoryFromKey(nameValue.toString()) : tcNone;
        int row = number(field.value(QStringLiteral("Row")));
        const int column = number(field.value(QStringLiteral("Column")));
        const QString label = localized(field.value(QStringLiteral("Label")).toString());
        const PWPlist modeValue = field.value(QStringLiteral("Mode"));
        const fieldMode mode = (modeValue.isNull() || number(modeValue) == 1) ? fmWhenFilled : fmNever;
        const QString text = field.value(QStringLiteral("Text")).toString();
        const QString delimiter = field.value(QStringLiteral("Phonetic Delimiter")).toString();
        const PWPlist linkValue = field.value(QStringLiteral("Phonetic Link"));
        const textCategory link =
            linkValue.isString() ? FTTextCategories::getTextCategoryFromKey(linkValue.toString()) : tcNone;
        const QString cascadeDelimiter = field.value(QStringLiteral("Cascade Delimiter")).toString();
        const PWPlist cascadeValue = field.value(QStringLiteral("Cascade Link"));
        const textCategory cascadeLink =
            cascadeValue.isString() ? FTTextCategories::getTextCategoryFromKey(cascadeValue.toString()) : tcNone;
        const bool linear = field.value(QStringLiteral("Linear")).toBool();

        if (barcodeAllowed && barcodeRow < 0 && location == kBarcodeAbove) {
            barcodeRow = row;
            addBarcode(barcodeRow);
        }
        if (barcodeRow >= 0)
            row += 1;
        if (category == tcAddress && country) {
            if (linear)
                country->convertToLinear();
            country->setRow(row);
            country->setColumn(column);
            root->addSubFormat(std::move(country));
        } else {
            root->addKey(category, row, column, label, text, delimiter, cascadeDelimiter, mode, link, cascadeLink);
        }
        highestRow = std::max(highestRow, row);
    }
    if (barcodeAllowed && barcodeRow < 0 && location == kBarcodeBelow)
        addBarcode(highestRow + 1);
    return root;
}

std::unique_ptr<CAddressFormat> CAddressFormatController::formatWithDesc(const PWPlist::Dictionary &description,
                                                                         const QString &name) const
{
    std::unique_ptr<CAddressFormat> root = CAddressFormat::createRoot(tcRootFormat, name);
    for (const auto &[key, entry] : description) {
        const textCategory category = FTTextCategories::getTextCategoryFromKey(key);
        if (category == tcNone)
            continue;
        root->addKey(category, number(entry.value(QStringLiteral("Row"))), number(entry.value(QStringLiteral("Column"))),
                     localized(entry.value(QStringLiteral("Label")).toString()), CDDString(), CDDString(), CDDString(),
                     fmWhenFilled, tcNone, tcNone);
    }
    root->setCustomFormat(true);
    return root;
}

bool CAddressFormatController::formatWithCountryCode(const QString &, CAddressFormat *) const
{
    return true;
}

std::optional<PWPlist::Dictionary> CAddressFormatController::formatDescriptorForCountryCode(const QString &countryCode) const
{
    const PWPlist descriptor = m_countries.value(countryCode);
    if (!descriptor.isDictionary())
        return std::nullopt;
    return descriptor.toDictionary();
}

void CAddressFormatController::getCountryList(QHash<QString, QString> &list) const
{
    for (const auto &[code, descriptor] : m_countries) {
        const PWPlist name = descriptor.value(QStringLiteral("CountryName"));
        if (name.isString())
            list.insert(code, name.toString());
    }
}

void CAddressFormatController::getCustomFormatsList(QHash<QString, QString> &list) const
{
    for (qsizetype i = 0; i < m_customTemplates.size(); ++i)
        list.insert(CustomFormatPrefix + QString::number(i),
                    m_customTemplates.at(i).value(QStringLiteral("FormatName")).toString());
}

bool CAddressFormatController::allowCategory(textCategory category, const QString &templateName,
                                             const QString &countryCode) const
{
    if (category == tcCounter || category == tcFileData || category == tcNone)
        return false;
    if (category == tcBarcode)
        return !templateName.isEmpty()
               && (countryCode == QLatin1String("us") || countryCode == QLatin1String("ca")
                   || countryCode == QLatin1String("uk"));
    return true;
}

QString CAddressFormatController::labelForTextCategory(textCategory category,
                                                       const PWPlist::Dictionary *descriptor) const
{
    QString key;
    if (descriptor) {
        const QString categoryKey = FTTextCategories::getKeyFromTextCategory(category);
        if (!categoryKey.isEmpty())
            key = descriptor->value(categoryKey).value(QStringLiteral("Label")).toString();
    }
    if (key.isEmpty())
        key = FTTextCategories::getLabelFromTextCategory(category);
    return localized(key);
}

void CAddressFormatController::reloadCustomFormats()
{
    m_customTemplates = m_defaults.arrayForKey(kCustomFormatsKey);
    updateAddressFormatMenu();
}

bool CAddressFormatController::GetData(const CDDArchive &archive, const QString &key, CDDString *country,
                                       std::unique_ptr<CAddressFormat> *format) const
{
    const PWPlist stored = archive.getDict().value(key);
    if (stored.isString()) {
        if (format)
            *format = formatWithTemplate(CAEnvironment::defaultTemplate(), stored.toString(), false, kBarcodeAbove);
        if (country)
            country->setData(stored.toString());
        return true;
    }
    if (!stored.isArray()) {
        if (!stored.isNull() && !stored.isDictionary())
            qCWarning(lcAddress).noquote() << "address format under" << key << "is neither a code nor a list";
        return false;
    }
    std::unique_ptr<CAddressFormat> root = CAddressFormat::createRoot(tcRootFormat, CDDString());
    for (const PWPlist &entry : stored.toArray()) {
        if (!entry.isDictionary()) {
            qCWarning(lcAddress).noquote() << "address format entry under" << key << "is no dictionary";
            continue;
        }
        // Read through the archive, so that a number no format holds is named and kept out.
        CDDArchive fields(false);
        fields.Attach(entry);
        fields.setReadReport(archive.readReport());
        int category = tcNone;
        int row = 0;
        int column = 0;
        fields.GetData(QStringLiteral("tc"), &category, CDDRanges::kTextCategory);
        fields.GetData(QStringLiteral("row"), &row, CDDRanges::kFormatPlace);
        fields.GetData(QStringLiteral("col"), &column, CDDRanges::kFormatPlace);
        root->addKey(textCategory(category), row, column, FTTextCategories::getKeyFromTextCategory(textCategory(category)),
                     CDDString(), CDDString(), CDDString(), fmWhenFilled, tcNone, tcNone);
    }
    if (format)
        *format = std::move(root);
    return true;
}

int compareCountryNames(const QString &a, const QString &b, const QHash<QString, QString> &names)
{
    return names.value(a).compare(names.value(b), Qt::CaseInsensitive);
}
