#include "kernel/address/FTTextCategories.h"

#include "kernel/base/CDDString.h"

#include "kernel/address/FTAddressLog.h"
#include "platform/PWBundle.h"
#include "platform/PWLog.h"
#include "platform/PWPlist.h"

#include <QHash>


namespace {

// What the address-layout grid calls a category: nothing, the localized "NALabel", or the
// localized label key of the row.
enum class GridName { None, NotApplicable, Label };

struct Row
{
    textCategory category;
    const char *key; // null: no key string
    const char *label; // null: "NALabel"
    GridName gridName;
    const char *displayKey = nullptr; // the localized key shown in place of the key string
};

// Every category with a key string or a field name of its own. Categories without a row have
// no key string, the label key "NALabel" and the grid name "NALabel".
constexpr Row kRows[] = {
    {tcFullName, nullptr, nullptr, GridName::None},
    {tcCompany, "Company", "CompanyLabel", GridName::Label},
    {tcActivity, nullptr, nullptr, GridName::None},
    {tcJobTitle, "Job Title", "TitleLabel", GridName::NotApplicable},
    {tcStreet, "Street", "StreetLabel", GridName::Label},
    {tcPhone, "Phone", "PhoneLabel", GridName::None},
    {tcFax, "Fax", "FaxLabel", GridName::None},
    {tcMobile, "Mobile", "MobileLabel", GridName::NotApplicable},
    {tcEmail, "Email", "EmailLabel", GridName::None},
    {tcHomepage, "Homepage", "URLLabel", GridName::NotApplicable},
    {tcCity, "City", "CityLabel", GridName::Label},
    {tcState, "State", "StateLabel", GridName::Label, "State/Province"},
    {tcZIP, "ZIP", "ZIPLabel", GridName::Label, "ZIP/Postal Code"},
    {tcCountry, "Country", "CountryLabel", GridName::Label},
    {tcFirstName, "First Name", "FirstNameLabel", GridName::Label},
    {tcLastName, "Last Name", "LastNameLabel", GridName::Label},
    {tcPrefix, "Prefix", "PrefixLabel", GridName::Label},
    {tcDepartment, "Department", "DepartmentLabel", GridName::Label},
    {tcCustom1, "Custom1", "Custom1Label", GridName::Label},
    {tcCustom2, "Custom2", "Custom2Label", GridName::Label},
    {tcCustom3, "Custom3", "Custom3Label", GridName::Label},
    {tcSuffix, "Suffix", "SuffixLabel", GridName::Label},
    {tcCounter, "Counter", "CounterLabel", GridName::NotApplicable},
    {tcFileData, "File Data", "FileDataLabel", GridName::NotApplicable},
    {tcCustom4, "Custom4", "Custom4Label", GridName::NotApplicable},
    {tcCustom5, "Custom5", "Custom5Label", GridName::NotApplicable},
    {tcCustom6, "Custom6", "Custom6Label", GridName::NotApplicable},
    {tcCustom7, "Custom7", "Custom7Label", GridName::NotApplicable},
    {tcCustom8, "Custom8", "Custom8Label", GridName::NotApplicable},
    {tcCustom9, "Custom9", "Custom9Label", GridName::NotApplicable},
    {tcAnniversary, "Anniversary", "AnniversaryLabel", GridName::NotApplicable},
    {tcBirthday, "Birthday", "BirthdayLabel", GridName::NotApplicable},
    {tcOtherDate, "Other Date", "OtherDateLabel", GridName::NotApplicable},
    {tcPager, "Pager", "PagerLabel", GridName::NotApplicable},
    {tcBarcode, "Barcode", "Barcode", GridName::NotApplicable},
    {tcNickName, "Nick Name", "NickNameLabel", GridName::NotApplicable},
    {tcMiddleName, "Middle Name", "MiddleNameLabel", GridName::NotApplicable},
    {tcMaidenName, "Maiden Name", "MaidenNameLabel", GridName::NotApplicable},
    {tcMotherName, "Mother Name", "MotherNameLabel", GridName::NotApplicable},
    {tcFatherName, "Father Name", "FatherNameLabel", GridName::NotApplicable},
    {tcParentName, "Parent Name", "ParentNameLabel", GridName::NotApplicable},
    {tcSisterName, "Sister Name", "SisterNameLabel", GridName::NotApplicable},
    {tcBrotherName, "Brother Name", "BrotherNameLabel", GridName::NotApplicable},
    {tcChildName, "Child Name", "ChildNameLabel", GridName::NotApplicable},
    {tcFriendName, "Friend Name", "FriendNameLabel", GridName::NotApplicable},
    {tcSpouseName, "Spouse Name", "SpouseNameLabel", GridName::NotApplicable},
    {tcPartnerName, "Partner Name", "PartnerNameLabel", GridName::NotApplicable},
    {tcAssistantName, "Assistant Name", "AssistantNameLabel", GridName::NotApplicable},
    {tcManagerName, "Manager Name", "ManagerNameLabel", GridName::NotApplicable},
    {tcOtherName, "Other Name", "OtherNameLabel", GridName::NotApplicable},
    {tcAIM, "AIM", "IM_AIMLabel", GridName::NotApplicable},
    {tcJabber, "Jabber", "IM_JabberLabel", GridName::NotApplicable},
    {tcMSN, "MSN", "IM_MSNLabel", GridName::NotApplicable},
    {tcICQ, "ICQ", "IM_ICQLabel", GridName::NotApplicable},
    {tcYahoo, "Yahoo", "IM_YahooLabel", GridName::NotApplicable},
    {tcNote, "Note", "NoteLabel", GridName::NotApplicable},
    {tcSimpleText, "Simple Text", "TextLabel", GridName::NotApplicable},
};

const Row *rowFor(textCategory category)
{
    for (const Row &row : kRows) {
        if (row.category == category)
            return &row;
    }
    return nullptr;
}

const QString kNALabel = QStringLiteral("NALabel");

QString localized(const QString &key)
{
    return PWBundle::mainBundle().localizedString(key, QString());
}

} // namespace

QString FTTextCategories::getKeyFromTextCategory(textCategory category)
{
    const Row *row = rowFor(category);
    return row && row->key ? QString::fromLatin1(row->key) : QString();
}

QString FTTextCategories::getLabelFromTextCategory(textCategory category)
{
    const Row *row = rowFor(category);
    return row && row->label ? QString::fromLatin1(row->label) : kNALabel;
}

QString FTTextCategories::displayNameForTextCategory(textCategory category)
{
    const Row *row = rowFor(category);
    if (row && row->displayKey)
        return localized(QString::fromLatin1(row->displayKey));
    return getKeyFromTextCategory(category);
}

QString FTTextCategories::getLocalizedTextFromTextCategory(textCategory category)
{
    const Row *row = rowFor(category);
    switch (row ? row->gridName : GridName::NotApplicable) {
    case GridName::None:
        return QString();
    case GridName::Label:
        return localized(QString::fromLatin1(row->label));
    case GridName::NotApplicable:
        break;
    }
    return localized(kNALabel);
}

textCategory FTTextCategories::getTextCategoryFromKey(const QString &key)
{
    static const QHash<QString, textCategory> categories = [] {
        QHash<QString, textCategory> table;
        for (const Row &row : kRows) {
            if (row.key)
                table.insert(QString::fromLatin1(row.key), row.category);
        }
        table.insert(QStringLiteral("Text"), tcSimpleText);
        table.insert(QStringLiteral("Address"), tcAddress);
        return table;
    }();
    return categories.value(key, tcNone);
}

QString FTTextCategories::getCountryCodeFromString(const QString &text)
{
    return CDDString::getCountryCodeFromString(CDDString(text)).getData();
}
