#include "kernel/address/FTTextCategories.h"

#include "kernel/foundation/CDDString.h"

#include "kernel/address/FTAddressLog.h"
#include "platform/PWBundle.h"
#include "platform/PWLog.h"
#include "platform/PWPlist.h"

#include <QHash>


namespace {

struct Row
{
    int category;
    const char *key;
    const char *label;
};

// Every category with a key string, and its label key.
constexpr Row kRows[] = {
    {2, "Company", "CompanyLabel"},
    {4, "Job Title", "TitleLabel"},
    {5, "Street", "StreetLabel"},
    {7, "Phone", "PhoneLabel"},
    {8, "Fax", "FaxLabel"},
    {9, "Mobile", "MobileLabel"},
    {10, "Email", "EmailLabel"},
    {11, "Homepage", "URLLabel"},
    {13, "City", "CityLabel"},
    {14, "State", "StateLabel"},
    {15, "ZIP", "ZIPLabel"},
    {16, "Country", "CountryLabel"},
    {17, "First Name", "FirstNameLabel"},
    {18, "Last Name", "LastNameLabel"},
    {19, "Prefix", "PrefixLabel"},
    {20, "Department", "DepartmentLabel"},
    {21, "Custom1", "Custom1Label"},
    {22, "Custom2", "Custom2Label"},
    {23, "Custom3", "Custom3Label"},
    {24, "Suffix", "SuffixLabel"},
    {25, "Counter", "CounterLabel"},
    {26, "File Data", "FileDataLabel"},
    {27, "Custom4", "Custom4Label"},
    {28, "Custom5", "Custom5Label"},
    {29, "Custom6", "Custom6Label"},
    {30, "Custom7", "Custom7Label"},
    {31, "Custom8", "Custom8Label"},
    {32, "Custom9", "Custom9Label"},
    {100, "Anniversary", "AnniversaryLabel"},
    {101, "Birthday", "BirthdayLabel"},
    {102, "Other Date", "OtherDateLabel"},
    {103, "Pager", "PagerLabel"},
    {106, "Barcode", "Barcode"},
    {107, "Nick Name", "NickNameLabel"},
    {108, "Middle Name", "MiddleNameLabel"},
    {109, "Maiden Name", "MaidenNameLabel"},
    {110, "Mother Name", "MotherNameLabel"},
    {111, "Father Name", "FatherNameLabel"},
    {112, "Parent Name", "ParentNameLabel"},
    {113, "Sister Name", "SisterNameLabel"},
    {114, "Brother Name", "BrotherNameLabel"},
    {115, "Child Name", "ChildNameLabel"},
    {116, "Friend Name", "FriendNameLabel"},
    {117, "Spouse Name", "SpouseNameLabel"},
    {118, "Partner Name", "PartnerNameLabel"},
    {119, "Assistant Name", "AssistantNameLabel"},
    {120, "Manager Name", "ManagerNameLabel"},
    {121, "Other Name", "OtherNameLabel"},
    {122, "AIM", "IM_AIMLabel"},
    {123, "Jabber", "IM_JabberLabel"},
    {124, "MSN", "IM_MSNLabel"},
    {125, "ICQ", "IM_ICQLabel"},
    {126, "Yahoo", "IM_YahooLabel"},
    {127, "Note", "NoteLabel"},
    {128, "Simple Text", "TextLabel"},
};

const Row *rowFor(textCategory category)
{
    for (const Row &row : kRows) {
        if (row.category == int(category))
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
    return row ? QString::fromLatin1(row->key) : QString();
}

QString FTTextCategories::getLabelFromTextCategory(textCategory category)
{
    const Row *row = rowFor(category);
    return row ? QString::fromLatin1(row->label) : kNALabel;
}

QString FTTextCategories::displayNameForTextCategory(textCategory category)
{
    if (category == 14)
        return localized(QStringLiteral("State/Province"));
    if (category == 15)
        return localized(QStringLiteral("ZIP/Postal Code"));
    return getKeyFromTextCategory(category);
}

QString FTTextCategories::getLocalizedTextFromTextCategory(textCategory category)
{
    switch (int(category)) {
    case 1:
    case 3:
    case 7:
    case 8:
    case 10:
        return QString();
    case 0:
    case 4:
    case 6:
    case 9:
    case 11:
    case 12:
        return localized(kNALabel);
    default:
        break;
    }
    if (category < 0 || category > 24)
        return localized(kNALabel);
    return localized(getLabelFromTextCategory(category));
}

textCategory FTTextCategories::getTextCategoryFromKey(const QString &key)
{
    static const QHash<QString, int> categories = [] {
        QHash<QString, int> table;
        for (const Row &row : kRows)
            table.insert(QString::fromLatin1(row.key), row.category);
        table.insert(QStringLiteral("Text"), 128);
        table.insert(QStringLiteral("Address"), 104);
        return table;
    }();
    return textCategory(categories.value(key, -1));
}

QString FTTextCategories::getCountryCodeFromString(const QString &text)
{
    return CDDString::getCountryCodeFromString(CDDString(text)).getData();
}
