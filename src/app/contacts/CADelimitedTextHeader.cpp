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

// The spelling of a name that reads it aloud (a webmail's "Given Name Yomi", "Phonetic First
// Name") is no name to print.
bool readsAloud(const QString &field)
{
    return containsAny(field, {"yomi", "phonetic"});
}

bool isExactly(const QString &field, std::initializer_list<const char *> words)
{
    const QString trimmed = field.trimmed();
    for (const char *word : words) {
        if (trimmed.compare(QLatin1String(word), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool namesFirstName(const QString &field)
{
    return !readsAloud(field)
           && (containsAll(field, {"first", "name"}) || containsAny(field, {"given name", "forename"})
               || isExactly(field, {"first", "given"}));
}

bool namesLastName(const QString &field)
{
    return !readsAloud(field)
           && (containsAll(field, {"last", "name"}) || containsAny(field, {"family name", "surname"})
               || isExactly(field, {"last", "family"}));
}

bool namesMiddleName(const QString &field)
{
    return !readsAloud(field)
           && (containsAll(field, {"middle", "name"}) || containsWord(field, "additional name")
               || isExactly(field, {"middle"}));
}

// A webmail's "Organization 1 - Title" is the person's title at the organisation, its
// "Organization 1 - Department" the department: neither is the organisation's name.
bool namesCompany(const QString &field)
{
    return containsAny(field, {"company", "organization", "organisation"}) && !readsAloud(field)
           && !containsAny(field, {"title", "dept", "department", "symbol", "location", "description", "number",
                                   "phone", "fax", "mail"});
}

// "Title" alone is the honorific ("Mr.") where another column holds the job title, as a desktop
// mail program writes "Title" beside "Job Title".
bool isBareTitle(const QString &field)
{
    return isExactly(field, {"title"});
}

bool namesPoBox(const QString &field)
{
    return containsAny(field, {"po box", "p.o. box", "pobox", "post office box"});
}

// A street says so, or says "address" and names no other part of one ("Address 1 - City"); the
// whole address in one text ("Address 1 - Formatted") is no street.
bool namesAStreet(const QString &field)
{
    if (containsWord(field, "formatted") || namesPoBox(field))
        return false;
    return containsWord(field, "street")
           || (containsWord(field, "address")
               && !containsAny(field, {"url", "mail", "web", "city", "state", "region", "province", "zip", "postal",
                                       "code", "country", "box"}));
}

// The lines after the street: "Business Street 2", "Home Address 2", "Address Line 2", a
// webmail's "Address 1 - Extended Address"; "Home Street 3", "Address Line 3".
bool namesStreetLine(const QString &field, int line)
{
    static const QRegularExpression numbered(QStringLiteral("(street|address|line)\\s*([23])\\s*$"),
                                             QRegularExpression::CaseInsensitiveOption);
    if (!namesAStreet(field))
        return false;
    if (line == 2 && containsWord(field, "extended"))
        return true;
    const QRegularExpressionMatch match = numbered.match(field);
    return match.hasMatch() && match.capturedView(2).toInt() == line;
}

bool namesFirstStreetLine(const QString &field)
{
    return namesAStreet(field) && !namesStreetLine(field, 2) && !namesStreetLine(field, 3);
}

// "Country/Region" is a country: only a region that names no country is the state.
bool namesState(const QString &field)
{
    return containsAny(field, {"state", "region", "province"}) && !containsWord(field, "country");
}

// A country's code ("Country Code") is no postal code.
bool namesZip(const QString &field)
{
    return containsAny(field, {"zip", "postal", "postcode"})
           || (containsWord(field, "code") && !containsAny(field, {"country", "phone", "area", "currency"}));
}

// A country's two-letter code ("Country Code", "Home Country Code") is a column of its own: it
// stands in for a country that is missing or empty, and is no country's name.
bool namesCountryCode(const QString &field)
{
    return containsAll(field, {"country", "code"});
}

bool namesCountry(const QString &field)
{
    return containsWord(field, "country") && !namesCountryCode(field);
}

enum class Kind { Single, ByAddress };

struct Rule
{
    std::array<const char *, 3> keys; // one key, or the work, home and other keys
    Kind kind;
    bool (*matches)(const QString &field);
};

// In the order tried; a column may win several keys, and the leftmost column wins a key (a
// street column before one that only says "address"). "e-mail" beside "email" because exports
// spell it both ways; webmail exports say "Region" for the state.
const Rule kRules[] = {
    {{"firstname", nullptr, nullptr}, Kind::Single, &namesFirstName},
    {{"lastname", nullptr, nullptr}, Kind::Single, &namesLastName},
    {{"prefix", nullptr, nullptr}, Kind::Single, [](const QString &f) { return containsWord(f, "prefix"); }},
    {{"suffix", nullptr, nullptr}, Kind::Single, [](const QString &f) { return containsWord(f, "suffix"); }},
    {{"middlename", nullptr, nullptr}, Kind::Single, &namesMiddleName},
    {{"nickname", nullptr, nullptr}, Kind::Single, [](const QString &f) { return containsAll(f, {"nick", "name"}); }},
    {{"maidenname", nullptr, nullptr}, Kind::Single, [](const QString &f) { return containsAll(f, {"maiden", "name"}); }},
    {{"companyname", nullptr, nullptr}, Kind::Single, &namesCompany},
    {{"title", nullptr, nullptr}, Kind::Single, [](const QString &f) { return containsWord(f, "title"); }},
    {{"department", nullptr, nullptr}, Kind::Single, [](const QString &f) { return containsAny(f, {"dept", "department"}); }},
    {{"workstreet2", "homestreet2", "otherstreet2"}, Kind::ByAddress, [](const QString &f) { return namesStreetLine(f, 2); }},
    {{"workstreet3", "homestreet3", "otherstreet3"}, Kind::ByAddress, [](const QString &f) { return namesStreetLine(f, 3); }},
    {{"workstreet", "homestreet", "otherstreet"}, Kind::ByAddress, &namesFirstStreetLine},
    {{"workpobox", "homepobox", "otherpobox"}, Kind::ByAddress, &namesPoBox},
    {{"workcity", "homecity", "othercity"}, Kind::ByAddress, [](const QString &f) { return containsWord(f, "city"); }},
    {{"workstate", "homestate", "otherstate"}, Kind::ByAddress, &namesState},
    {{"workzip", "homezip", "otherzip"}, Kind::ByAddress, &namesZip},
    {{"workcountry", "homecountry", "othercountry"}, Kind::ByAddress, &namesCountry},
    {{"workcountrycode", "homecountrycode", "othercountrycode"}, Kind::ByAddress, &namesCountryCode},
    {{"phonework", "phonehome", "phoneother"}, Kind::ByAddress, [](const QString &f) { return containsWord(f, "phone") && !readsAloud(f); }},
    {{"faxwork", "faxhome", "faxother"}, Kind::ByAddress, [](const QString &f) { return containsWord(f, "fax"); }},
    {{"mobile", nullptr, nullptr}, Kind::Single, [](const QString &f) { return containsWord(f, "mobile"); }},
    {{"pager", nullptr, nullptr}, Kind::Single, [](const QString &f) { return containsWord(f, "pager"); }},
    {{"homepage", nullptr, nullptr}, Kind::Single, [](const QString &f) { return containsAny(f, {"homepage", "www", "url"}); }},
    {{"emailwork", "emailhome", "emailother"}, Kind::ByAddress, [](const QString &f) { return containsAny(f, {"email", "e-mail"}); }},
};

// A column that says what kind an address, a phone or an organisation is ("Address 1 - Type":
// "Work") holds no field of a person.
bool holdsAKind(const QString &field)
{
    return containsAny(field, {"type", "label"});
}

bool isAddressLike(const QString &field)
{
    return containsAny(field, {"street", "city", "state", "region", "province", "zip", "postal", "code", "country",
                               "address", "url", "mail", "web", "box"});
}

// The words that say which of a person's addresses a column belongs to, with the address: 0 work,
// 1 home, 2 other.
struct KindWord
{
    const char *word;
    int address;
};
constexpr KindWord kKindWords[] = {{"work", 0}, {"business", 0}, {"home", 1}, {"other", 2}};
// A webmail numbers its address blocks from 1; the first three are read.
constexpr int kAddressBlocks = 3;

bool saysKind(const QString &field, int address)
{
    for (const KindWord &kind : kKindWords) {
        if (kind.address == address && containsWord(field, kind.word))
            return true;
    }
    return false;
}

bool saysWork(const QString &field)
{
    return saysKind(field, 0);
}

bool saysOther(const QString &field)
{
    return saysKind(field, 2);
}

// A webmail's numbered blocks ("Address 2 - City") say no kind in their names, only in a column
// of their own for each person: the first block takes the work keys, as a bare column does, the
// second the home keys and the third the other ones, so that no block's columns go unread.
int addressBlock(const QString &field)
{
    static const QRegularExpression numbered(QStringLiteral("^\\s*address\\s*([0-9]+)\\s*-"),
                                             QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = numbered.match(field);
    return match.hasMatch() ? match.capturedView(1).toInt() : 0;
}

const QRegularExpression &customColumn()
{
    static const QRegularExpression custom(QStringLiteral("custom\\s*([1-9])"),
                                           QRegularExpression::CaseInsensitiveOption);
    return custom;
}

} // namespace

CADelimitedText::Registry CADelimitedText::registryForHeader(const QStringList &header)
{
    bool workSeen = false;
    bool homeSeen = false;
    bool jobTitleSeen = false;
    for (const QString &field : header) {
        if (containsWord(field, "title") && !isBareTitle(field) && !holdsAKind(field))
            jobTitleSeen = true;
        if (!isAddressLike(field))
            continue;
        if (saysWork(field))
            workSeen = true;
        else if (saysKind(field, 1))
            homeSeen = true;
    }
    Registry registry;
    // Taken only where no other column gives the key: a column that only says "address" where no
    // column says "street" (a webmail's "Address 1 - Type" and the like stand before its
    // "Address 1 - Street").
    QList<std::pair<QString, int>> fallbacks;
    for (qsizetype column = 0; column < header.size(); ++column) {
        const QString &field = header.at(column);
        if (holdsAKind(field))
            continue;
        if (jobTitleSeen && isBareTitle(field)) {
            if (!registry.contains(QStringLiteral("prefix")))
                registry.insert(QStringLiteral("prefix"), int(column));
            continue;
        }
        if (const QRegularExpressionMatch custom = customColumn().match(field); custom.hasMatch()) {
            const QString name = QStringLiteral("custom") + custom.captured(1);
            if (!registry.contains(name))
                registry.insert(name, int(column));
            continue;
        }
        for (const Rule &rule : kRules) {
            if (!rule.matches(field))
                continue;
            const char *key = rule.keys[0];
            if (rule.kind == Kind::ByAddress) {
                const int block = addressBlock(field);
                if (block >= 2 && block <= kAddressBlocks)
                    key = rule.keys[block - 1];
                else if (saysWork(field))
                    key = rule.keys[0];
                else if (saysKind(field, 1))
                    key = rule.keys[1];
                else if (saysOther(field))
                    key = rule.keys[2];
                else if (!workSeen)
                    key = rule.keys[0];
                else if (!homeSeen)
                    key = rule.keys[1];
                else
                    key = rule.keys[2];
            }
            const QString name = QLatin1String(key);
            if (rule.matches == &namesFirstStreetLine && !containsWord(field, "street"))
                fallbacks.append({name, int(column)});
            else if (!registry.contains(name))
                registry.insert(name, int(column));
        }
    }
    for (const auto &[name, column] : std::as_const(fallbacks)) {
        if (!registry.contains(name))
            registry.insert(name, column);
    }
    return registry;
}

bool CADelimitedText::namesAnAddressPart(const QString &header)
{
    return !holdsAKind(header) && !containsAny(header, {"url", "mail", "web"})
           && (namesAStreet(header) || namesPoBox(header) || containsWord(header, "city") || namesState(header)
               || namesZip(header) || namesCountry(header) || namesCountryCode(header)
               || containsAll(header, {"address", "formatted"}));
}

QStringList CADelimitedText::addressKindPrefixes()
{
    QStringList prefixes = {QString()};
    for (const KindWord &kind : kKindWords) {
        const QString word = QLatin1String(kind.word);
        prefixes.append(word.left(1).toUpper() + word.mid(1) + u' ');
    }
    for (int block = 1; block <= kAddressBlocks; ++block)
        prefixes.append(QStringLiteral("Address %1 - ").arg(block));
    return prefixes;
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
        QStringLiteral("workstreet2"),  QStringLiteral("workstreet3"), QStringLiteral("workpobox"),
        QStringLiteral("workcity"),    QStringLiteral("workstate"),
        QStringLiteral("workzip"),      QStringLiteral("workcountry"), QStringLiteral("workcountrycode"),
        QStringLiteral("homestreet"),
        QStringLiteral("homestreet2"),  QStringLiteral("homestreet3"), QStringLiteral("homepobox"),
        QStringLiteral("homecity"),    QStringLiteral("homestate"),
        QStringLiteral("homezip"),      QStringLiteral("homecountry"), QStringLiteral("homecountrycode"),
        QStringLiteral("otherstreet"),
        QStringLiteral("otherstreet2"), QStringLiteral("otherstreet3"), QStringLiteral("otherpobox"),
        QStringLiteral("othercity"),   QStringLiteral("otherstate"),
        QStringLiteral("otherzip"),     QStringLiteral("othercountry"), QStringLiteral("othercountrycode"),
        QStringLiteral("phonework"),
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
