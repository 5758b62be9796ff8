// Recognising a header row by its keywords.
#include "app/contacts/CADelimitedText.h"

#include <QRegularExpression>

#include <array>

namespace {

bool containsWord(const QString &field, const char *word)
{
    return field.contains(QLatin1String(word), Qt::CaseInsensitive);
}

bool containsAny(const QString &field, std::initializer_list<const char *> words)
{
    for (const char *word : words) {
        if (containsWord(field, word))
            return true;
    }
    return false;
}

bool containsAll(const QString &field, std::initializer_list<const char *> words)
{
    for (const char *word : words) {
        if (!containsWord(field, word))
            return false;
    }
    return true;
}

enum class Match { All, Any, Street, SecondStreet };

struct Rule
{
    std::array<const char *, 3> keys; // one key, or the work, home and other keys
    Match match;
    std::initializer_list<const char *> words;
};

// In the order tried; a column may win several keys, and the leftmost column wins a key (a
// street column before one that only says "address"). "e-mail" beside "email" because exports
// spell it both ways; webmail exports say "Region" for the state.
const Rule kRules[] = {
    {{"firstname", nullptr, nullptr}, Match::All, {"first", "name"}},
    {{"lastname", nullptr, nullptr}, Match::All, {"last", "name"}},
    {{"prefix", nullptr, nullptr}, Match::Any, {"prefix"}},
    {{"suffix", nullptr, nullptr}, Match::Any, {"suffix"}},
    {{"middlename", nullptr, nullptr}, Match::All, {"middle", "name"}},
    {{"nickname", nullptr, nullptr}, Match::All, {"nick", "name"}},
    {{"companyname", nullptr, nullptr}, Match::Any, {"company", "organization", "organisation"}},
    {{"title", nullptr, nullptr}, Match::Any, {"title"}},
    {{"department", nullptr, nullptr}, Match::Any, {"dept", "department"}},
    {{"workstreet2", "homestreet2", "otherstreet2"}, Match::SecondStreet, {}},
    {{"workstreet", "homestreet", "otherstreet"}, Match::Street, {}},
    {{"workcity", "homecity", "othercity"}, Match::Any, {"city"}},
    {{"workstate", "homestate", "otherstate"}, Match::Any, {"state", "region", "province"}},
    {{"workzip", "homezip", "otherzip"}, Match::Any, {"zip", "postal", "code"}},
    {{"workcountry", "homecountry", "othercountry"}, Match::Any, {"country"}},
    {{"phonework", "phonehome", "phoneother"}, Match::Any, {"phone"}},
    {{"faxwork", "faxhome", "faxother"}, Match::Any, {"fax"}},
    {{"mobile", nullptr, nullptr}, Match::Any, {"mobile"}},
    {{"pager", nullptr, nullptr}, Match::Any, {"pager"}},
    {{"homepage", nullptr, nullptr}, Match::Any, {"homepage", "www", "url"}},
    {{"emailwork", "emailhome", "emailother"}, Match::Any, {"email", "e-mail"}},
    {{"custom1", nullptr, nullptr}, Match::Any, {"custom1"}},
    {{"custom2", nullptr, nullptr}, Match::Any, {"custom2"}},
    {{"custom3", nullptr, nullptr}, Match::Any, {"custom3"}},
    {{"custom4", nullptr, nullptr}, Match::Any, {"custom4"}},
    {{"custom5", nullptr, nullptr}, Match::Any, {"custom5"}},
    {{"custom6", nullptr, nullptr}, Match::Any, {"custom6"}},
    {{"custom7", nullptr, nullptr}, Match::Any, {"custom7"}},
    {{"custom8", nullptr, nullptr}, Match::Any, {"custom8"}},
    {{"custom9", nullptr, nullptr}, Match::Any, {"custom9"}},
};

// A column that says what kind an address, a phone or an organisation is ("Address 1 - Type":
// "Work") holds no field of a person.
bool holdsAKind(const QString &field)
{
    return containsAny(field, {"type", "label"});
}

// A street says so, or says "address" and names no other part of one ("Address 1 - City"); the
// whole address in one text ("Address 1 - Formatted") is no street.
bool namesAStreet(const QString &field)
{
    if (containsWord(field, "formatted"))
        return false;
    return containsWord(field, "street")
           || (containsWord(field, "address")
               && !containsAny(field, {"url", "mail", "web", "city", "state", "region", "province", "zip", "postal",
                                       "code", "country", "box"}));
}

// The line after the street: "Business Street 2", "Home Address 2", "Address Line 2", a
// webmail's "Address 1 - Extended Address".
bool namesASecondStreetLine(const QString &field)
{
    static const QRegularExpression secondLine(QStringLiteral("(street|address|line)\\s*2\\s*$"),
                                               QRegularExpression::CaseInsensitiveOption);
    return namesAStreet(field) && (containsWord(field, "extended") || secondLine.match(field).hasMatch());
}

bool matches(const Rule &rule, const QString &field)
{
    if (holdsAKind(field))
        return false;
    switch (rule.match) {
    case Match::All:
        return containsAll(field, rule.words);
    case Match::Any:
        return containsAny(field, rule.words);
    case Match::SecondStreet:
        return namesASecondStreetLine(field);
    case Match::Street:
        return namesAStreet(field) && !namesASecondStreetLine(field);
    }
    return false;
}

bool isAddressLike(const QString &field)
{
    return containsAny(field, {"street", "city", "state", "region", "province", "zip", "postal", "code", "country",
                               "address", "url", "mail", "web"});
}

} // namespace

CADelimitedText::Registry CADelimitedText::registryForHeader(const QStringList &header)
{
    bool workSeen = false;
    bool homeSeen = false;
    for (const QString &field : header) {
        if (!isAddressLike(field))
            continue;
        if (containsWord(field, "work"))
            workSeen = true;
        else if (containsWord(field, "home"))
            homeSeen = true;
    }
    Registry registry;
    // A column that only says "address" takes a street only where no column says "street": a
    // webmail's "Address 1 - Type" and the like stand before its "Address 1 - Street".
    QList<std::pair<QString, int>> addressOnly;
    for (qsizetype column = 0; column < header.size(); ++column) {
        const QString &field = header.at(column);
        for (const Rule &rule : kRules) {
            if (!matches(rule, field))
                continue;
            const char *key = rule.keys[0];
            if (rule.keys[1]) {
                if (containsWord(field, "work"))
                    key = rule.keys[0];
                else if (containsWord(field, "home"))
                    key = rule.keys[1];
                else if (!workSeen)
                    key = rule.keys[0];
                else if (!homeSeen)
                    key = rule.keys[1];
                else
                    key = rule.keys[2];
            }
            const QString name = QLatin1String(key);
            if (rule.match == Match::Street && !containsWord(field, "street"))
                addressOnly.append({name, int(column)});
            else if (!registry.contains(name))
                registry.insert(name, int(column));
        }
    }
    for (const auto &[name, column] : std::as_const(addressOnly)) {
        if (!registry.contains(name))
            registry.insert(name, column);
    }
    return registry;
}

const CADelimitedText::Registry &CADelimitedText::parseHeader()
{
    if (m_rows.isEmpty())
        return m_registry;
    m_registry = registryForHeader(row(0));
    if (!m_registry.isEmpty())
        m_hasHeader = true;
    return m_registry;
}

const QStringList &CADelimitedText::fieldKeys()
{
    static const QStringList keys = {
        QStringLiteral("skip"),         QStringLiteral("firstname"),   QStringLiteral("lastname"),
        QStringLiteral("middlename"),   QStringLiteral("maidenname"),  QStringLiteral("nickname"),
        QStringLiteral("prefix"),       QStringLiteral("suffix"),      QStringLiteral("title"),
        QStringLiteral("companyname"),  QStringLiteral("department"),  QStringLiteral("workstreet"),
        QStringLiteral("workstreet2"),  QStringLiteral("workcity"),    QStringLiteral("workstate"),
        QStringLiteral("workzip"),      QStringLiteral("workcountry"), QStringLiteral("homestreet"),
        QStringLiteral("homestreet2"),  QStringLiteral("homecity"),    QStringLiteral("homestate"),
        QStringLiteral("homezip"),      QStringLiteral("homecountry"), QStringLiteral("otherstreet"),
        QStringLiteral("otherstreet2"), QStringLiteral("othercity"),   QStringLiteral("otherstate"),
        QStringLiteral("otherzip"),     QStringLiteral("othercountry"), QStringLiteral("phonework"),
        QStringLiteral("phonehome"),    QStringLiteral("phoneother"),  QStringLiteral("faxwork"),
        QStringLiteral("faxhome"),      QStringLiteral("faxother"),    QStringLiteral("mobile"),
        QStringLiteral("pager"),        QStringLiteral("homepage"),    QStringLiteral("emailwork"),
        QStringLiteral("emailhome"),    QStringLiteral("emailother"),  QStringLiteral("custom1"),
        QStringLiteral("custom2"),      QStringLiteral("custom3"),     QStringLiteral("custom4"),
        QStringLiteral("custom5"),      QStringLiteral("custom6"),     QStringLiteral("custom7"),
        QStringLiteral("custom8"),      QStringLiteral("custom9"),
    };
    return keys;
}
