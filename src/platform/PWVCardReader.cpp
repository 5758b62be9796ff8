#include "platform/PWVCardReader.h"

#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWVCardParser.h"

#include <QDate>
#include <QHash>
#include <QMap>
#include <QTimeZone>
#include <QUrl>

namespace {

// What the lines of one group ("item1") say about the group's main line.
struct GroupInfo
{
    std::optional<QString> label;
    QString countryCode;
    QList<std::pair<QString, QString>> addressFields;
};

QString textOf(const PWVCardLine &line)
{
    QString text = PWVCardParser::unescapeText(line.value);
    if (text.contains(QLatin1Char('\r')))
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

// The components of a structured value, line ends normalised as in textOf().
QStringList componentsOf(const PWVCardLine &line)
{
    QStringList parts = PWVCardParser::splitStructured(line.value);
    for (QString &part : parts) {
        if (part.contains(QLatin1Char('\r')))
            part.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    }
    return parts;
}

QString groupKey(const PWVCardLine &line)
{
    return line.group.toLower();
}

// "1970-01-31", "19700131", either with a time after "T"; a date without a year is refused.
std::optional<QDate> dateOf(const QString &value)
{
    QString text = value.trimmed();
    const qsizetype t = text.indexOf(QLatin1Char('T'));
    if (t >= 0)
        text = text.left(t);
    QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        date = QDate::fromString(text, QStringLiteral("yyyyMMdd"));
    if (!date.isValid())
        return std::nullopt;
    return date;
}

PWPlist datePlist(const QDate &date)
{
    return PWPlist::fromDate(QDateTime(date, QTime(0, 0), QTimeZone::utc()));
}

// How strongly a line is marked as the preferred one, 1 the most, as vCard 4.0 counts PREF;
// "pref" as a type or a bare parameter (vCard 2.1 and 3.0) counts as 1. Nothing when unmarked.
std::optional<int> preferenceOf(const PWVCardLine &line)
{
    if (line.hasType(QStringLiteral("pref")))
        return 1;
    std::optional<int> best;
    for (const QString &value : line.parameterValues(QStringLiteral("PREF"))) {
        bool ok = false;
        const int rank = value.trimmed().toInt(&ok);
        if (ok && rank >= 1 && (!best || rank < *best))
            best = rank;
    }
    return best;
}

QString phoneLabel(const PWVCardLine &line)
{
    const QStringList types = line.types();
    if (types.contains(QLatin1String("cell")))
        return kPWPhoneMobileLabel;
    if (types.contains(QLatin1String("pager")))
        return kPWPhonePagerLabel;
    if (types.contains(QLatin1String("fax")))
        return types.contains(QLatin1String("home")) ? kPWPhoneHomeFAXLabel : kPWPhoneWorkFAXLabel;
    if (types.contains(QLatin1String("main")))
        return kPWPhoneMainLabel;
    if (types.contains(QLatin1String("work")))
        return kPWPhoneWorkLabel;
    if (types.contains(QLatin1String("home")))
        return kPWPhoneHomeLabel;
    return kPWOtherLabel;
}

QString workHomeLabel(const PWVCardLine &line)
{
    const QStringList types = line.types();
    if (types.contains(QLatin1String("work")))
        return kPWWorkLabel;
    if (types.contains(QLatin1String("home")))
        return kPWHomeLabel;
    return kPWOtherLabel;
}

QByteArray photoBytes(const PWVCardLine &line)
{
    QString value = line.value;
    if (value.startsWith(QLatin1String("data:"), Qt::CaseInsensitive)) {
        const qsizetype comma = value.indexOf(QLatin1Char(','));
        if (comma < 0 || !value.left(comma).endsWith(QLatin1String(";base64"), Qt::CaseInsensitive))
            return QByteArray();
        value = value.mid(comma + 1);
    } else {
        bool base64 = false;
        for (const QString &encoding : line.parameterValues(QStringLiteral("ENCODING"))) {
            if (encoding.compare(QLatin1String("b"), Qt::CaseInsensitive) == 0
                || encoding.compare(QLatin1String("BASE64"), Qt::CaseInsensitive) == 0)
                base64 = true;
        }
        if (!base64)
            return QByteArray(); // a link to a picture elsewhere is not fetched
    }
    QByteArray ascii = value.toLatin1();
    ascii.removeIf([](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
    const QByteArray::FromBase64Result decoded =
        QByteArray::fromBase64Encoding(ascii, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) {
        qCInfo(lcVCard) << "vCard photo is no valid base64 and is left out";
        return QByteArray();
    }
    return *decoded;
}

// The instant-messaging property of an IMPP line, from its service type or its URI scheme.
QString imppProperty(const PWVCardLine &line, QString *address)
{
    static const QList<std::pair<QString, QString>> schemes = {
        {QStringLiteral("aim"), kPWAIMInstantProperty},     {QStringLiteral("xmpp"), kPWJabberInstantProperty},
        {QStringLiteral("jabber"), kPWJabberInstantProperty}, {QStringLiteral("msnim"), kPWMSNInstantProperty},
        {QStringLiteral("msn"), kPWMSNInstantProperty},     {QStringLiteral("icq"), kPWICQInstantProperty},
        {QStringLiteral("ymsgr"), kPWYahooInstantProperty}, {QStringLiteral("yahoo"), kPWYahooInstantProperty},
    };
    const QString text = textOf(line);
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    const QString scheme = colon > 0 ? text.left(colon).toLower() : QString();
    *address = colon > 0 ? text.mid(colon + 1) : text;
    const QStringList service = line.parameterValues(QStringLiteral("X-SERVICE-TYPE"));
    const QString wanted = service.isEmpty() ? scheme : service.constFirst().toLower();
    for (const auto &entry : schemes) {
        if (entry.first == wanted)
            return entry.second;
    }
    return QString();
}

// Values repeated across the cards of one read (names, organisations, cities, countries, whole
// addresses) made once and shared by every person holding them: values are immutable, so no
// person can tell, and a large export holding the same few cities a hundred thousand times
// holds each once. Only short values are kept, and the pool stops growing at kMaxEntries, so a
// file of values all different pays little for it.
class ValuePool
{
public:
    // A pool pays for itself across cards only: reading one card (a cache entry, an address book
    // file) pools nothing until a second card comes.
    void enable() { m_enabled = true; }

    PWPlist string(const QString &text)
    {
        if (!m_enabled || text.size() > kMaxKey)
            return PWPlist::fromString(text);
        const auto found = m_strings.constFind(text);
        if (found != m_strings.constEnd())
            return *found;
        const PWPlist value = PWPlist::fromString(text);
        if (m_strings.size() < kMaxEntries)
            m_strings.insert(text, value);
        return value;
    }

    // The value made for key before, or make's answer, kept for the next time.
    template <typename Make>
    PWPlist shared(const QString &key, Make make)
    {
        if (!m_enabled || key.size() > 4 * kMaxKey)
            return make();
        const auto found = m_values.constFind(key);
        if (found != m_values.constEnd())
            return *found;
        const PWPlist value = make();
        if (m_values.size() < kMaxEntries)
            m_values.insert(key, value);
        return value;
    }

private:
    static constexpr qsizetype kMaxKey = 64;
    static constexpr qsizetype kMaxEntries = 1 << 16;
    bool m_enabled = false;
    QHash<QString, PWPlist> m_strings;
    QHash<QString, PWPlist> m_values;
};

class CardBuilder
{
public:
    CardBuilder(const PWVCard &card, ValuePool &pool)
        : m_card(card)
        , m_pool(pool)
    {
        for (const PWVCardLine &line : card) {
            if (line.group.isEmpty())
                continue;
            GroupInfo &info = m_groups[groupKey(line)];
            if (line.name == QLatin1String("X-ABLABEL"))
                info.label = textOf(line);
            else if (line.name == QLatin1String("X-ABADR"))
                info.countryCode = textOf(line);
            else if (line.name == QLatin1String("X-PW-ADR-FIELD")) {
                const QStringList key = line.parameterValues(QStringLiteral("X-KEY"));
                if (!key.isEmpty() && !key.constFirst().isEmpty())
                    info.addressFields.append({key.constFirst(), textOf(line)});
            }
        }
    }

    std::shared_ptr<PWPerson> build(const PWVCardReader::Options &options, QList<PWVCardReader::LineUse> *uses = nullptr)
    {
        QString uid;
        for (const PWVCardLine &line : m_card) {
            if (line.name == QLatin1String("UID"))
                uid = textOf(line).trimmed();
        }
        m_person = PWPerson::createWithUniqueId(options.keepUniqueIds ? uid : QString());
        m_uses = uses;
        if (m_uses) {
            m_uses->clear();
            m_uses->resize(m_card.size());
        }
        for (m_index = 0; m_index < m_card.size(); ++m_index)
            readLine(m_card.at(m_index));
        if (m_uses)
            useGroupLines();
        for (auto it = m_preferred.cbegin(); it != m_preferred.cend(); ++it)
            m_multi[it.key()].setPrimaryIdentifier(it->second);
        for (auto it = m_multi.cbegin(); it != m_multi.cend(); ++it)
            m_person->setMultiValueForProperty(it.key(), it.value());
        return m_person;
    }

private:
    // The kind a line's types give (work, home, mobile, ...) decides; a label its group adds
    // names only an entry of no such kind, as a label of the group names what the types do
    // not: a work address labelled "Office" is still the work address.
    QString labelOf(const PWVCardLine &line, const QString &fromTypes) const
    {
        if (fromTypes != kPWOtherLabel && !line.types().isEmpty())
            return fromTypes;
        if (!line.group.isEmpty()) {
            const auto found = m_groups.constFind(groupKey(line));
            if (found != m_groups.constEnd() && found->label)
                return *found->label;
        }
        return fromTypes;
    }

    void use(const QString &unit)
    {
        if (m_uses)
            (*m_uses)[m_index].unit = unit;
    }

    // The lines a group adds to its entry (label, country code, address fields) go with it.
    void useGroupLines()
    {
        QMap<QString, PWVCardReader::LineUse> entries;
        for (qsizetype i = 0; i < m_card.size(); ++i) {
            const PWVCardReader::LineUse &use = m_uses->at(i);
            const QString group = groupKey(m_card.at(i));
            if (!group.isEmpty() && !use.entry.isEmpty() && !entries.contains(group))
                entries.insert(group, use);
        }
        for (qsizetype i = 0; i < m_card.size(); ++i) {
            const PWVCardLine &line = m_card.at(i);
            const bool addsToGroup = line.name == QLatin1String("X-ABLABEL") || line.name == QLatin1String("X-ABADR")
                                     || line.name == QLatin1String("X-PW-ADR-FIELD");
            const auto found = entries.constFind(groupKey(line));
            if (addsToGroup && !line.group.isEmpty() && found != entries.constEnd()) {
                (*m_uses)[i] = *found;
                (*m_uses)[i].main = false;
            }
        }
    }

    void add(const QString &property, const PWVCardLine &line, const PWPlist &value, const QString &label)
    {
        PWMultiValue &multi = m_multi[property];
        const QString identifier = multi.addValue(value, label);
        if (m_uses) {
            PWVCardReader::LineUse &use = (*m_uses)[m_index];
            use.unit = QStringLiteral("ENTRY");
            use.property = property;
            use.entry = identifier;
        }
        // Of several marked entries the most preferred wins, the first of equals.
        if (const std::optional<int> rank = preferenceOf(line)) {
            const auto found = m_preferred.constFind(property);
            if (found == m_preferred.constEnd() || *rank < found->first)
                m_preferred.insert(property, {*rank, identifier});
        }
    }

    void setText(const QString &property, const QString &text)
    {
        if (!text.isEmpty())
            m_person->setValueForProperty(property, m_pool.string(text));
    }

    void readName(const PWVCardLine &line)
    {
        const QStringList parts = componentsOf(line);
        const QString *properties[] = {&kPWLastNameProperty, &kPWFirstNameProperty, &kPWMiddleNameProperty,
                                       &kPWTitleProperty, &kPWSuffixProperty};
        for (qsizetype i = 0; i < parts.size() && i < 5; ++i)
            setText(*properties[i], parts.at(i));
    }

    void readAddress(const PWVCardLine &line)
    {
        const GroupInfo info = line.group.isEmpty() ? GroupInfo() : m_groups.value(groupKey(line));
        // The address is told by its value and what its group adds.
        QString key = line.value;
        if (!line.group.isEmpty()) {
            key += QChar(0x1F) + info.countryCode;
            for (const auto &field : info.addressFields)
                key += QChar(0x1E) + field.first + QChar(0x1F) + field.second;
        }
        const PWPlist address = m_pool.shared(key, [&] { return makeAddress(line, info); });
        add(kPWAddressProperty, line, address, labelOf(line, workHomeLabel(line)));
    }

    PWPlist makeAddress(const PWVCardLine &line, const GroupInfo &info)
    {
        QStringList parts = componentsOf(line);
        while (parts.size() < 7)
            parts.append(QString());
        // Post-office box and extended address have no keys of their own: they join the street.
        QStringList street;
        for (const int i : {2, 1, 0}) {
            if (!parts.at(i).isEmpty())
                street.append(parts.at(i));
        }
        PWPlist::Dictionary address;
        const auto put = [&](const QString &key, const QString &text) {
            if (!text.isEmpty())
                address.insert(key, m_pool.string(text));
        };
        put(kPWAddressStreetKey, street.join(QLatin1Char('\n')));
        put(kPWAddressCityKey, parts.at(3));
        put(kPWAddressStateKey, parts.at(4));
        put(kPWAddressZIPKey, parts.at(5));
        put(kPWAddressCountryKey, parts.at(6));
        put(kPWAddressCountryCodeKey, info.countryCode);
        for (const auto &field : info.addressFields)
            put(field.first, field.second);
        return PWPlist(address);
    }

    void readLine(const PWVCardLine &line)
    {
        const QString &name = line.name;
        // The lines of single values, named for what a writer changes together.
        static const QStringList singles = {QStringLiteral("N"),     QStringLiteral("FN"),          QStringLiteral("NICKNAME"),
                                            QStringLiteral("X-MAIDENNAME"), QStringLiteral("ORG"), QStringLiteral("X-ABSHOWAS"),
                                            QStringLiteral("TITLE"), QStringLiteral("NOTE"),        QStringLiteral("BDAY"),
                                            QStringLiteral("PHOTO")};
        if (m_uses && singles.contains(name))
            use(name);
        if (name == QLatin1String("N")) {
            readName(line);
        } else if (name == QLatin1String("NICKNAME")) {
            setText(kPWNicknameProperty, textOf(line));
        } else if (name == QLatin1String("X-MAIDENNAME")) {
            setText(kPWMaidenNameProperty, textOf(line));
        } else if (name == QLatin1String("ORG")) {
            const QStringList parts = componentsOf(line);
            setText(kPWOrganizationProperty, parts.value(0));
            // The department is the system's own property, known once it is registered.
            if (PWPerson::typeOfProperty(QStringLiteral("ABDepartment")))
                setText(QStringLiteral("ABDepartment"), parts.mid(1).join(QLatin1Char(';')));
        } else if (name == QLatin1String("X-ABSHOWAS")) {
            if (textOf(line).trimmed().compare(QLatin1String("COMPANY"), Qt::CaseInsensitive) == 0)
                setText(kPWPersonFlagsProperty, QString::number(kPWShowAsCompany));
        } else if (name == QLatin1String("TITLE")) {
            setText(kPWJobTitleProperty, textOf(line));
        } else if (name == QLatin1String("NOTE")) {
            setText(kPWNoteProperty, textOf(line));
        } else if (name == QLatin1String("BDAY")) {
            if (const std::optional<QDate> date = dateOf(textOf(line)))
                m_person->setValueForProperty(kPWBirthdayProperty, datePlist(*date));
        } else if (name == QLatin1String("PHOTO")) {
            const QByteArray bytes = photoBytes(line);
            if (!bytes.isEmpty())
                m_person->setImageData(bytes);
        } else if (name == QLatin1String("TEL")) {
            // vCard 4.0 writes a phone as a tel: URI (VALUE=uri); some write one without saying so.
            const std::optional<QString> number = PWVCardReader::numberOfTelUri(line.value);
            add(kPWPhoneProperty, line, PWPlist::fromString(number ? *number : textOf(line)),
                labelOf(line, phoneLabel(line)));
        } else if (name == QLatin1String("EMAIL")) {
            add(kPWEmailProperty, line, PWPlist::fromString(textOf(line)), labelOf(line, workHomeLabel(line)));
        } else if (name == QLatin1String("ADR")) {
            readAddress(line);
        } else if (name == QLatin1String("URL")) {
            const QString url = textOf(line);
            // A bare URL line is the home page; typed or labelled ones are the list of URLs.
            if (line.group.isEmpty() && line.types().isEmpty() && !m_person->hasValueForProperty(kPWHomePageProperty)) {
                use(QStringLiteral("HOMEPAGE"));
                setText(kPWHomePageProperty, url);
            } else
                add(kPWURLsProperty, line, PWPlist::fromString(url), labelOf(line, workHomeLabel(line)));
        } else if (name == QLatin1String("X-AIM") || name == QLatin1String("X-JABBER") || name == QLatin1String("X-MSN")
                   || name == QLatin1String("X-ICQ") || name == QLatin1String("X-YAHOO")) {
            static const QHash<QString, QString> properties = {
                {QStringLiteral("X-AIM"), kPWAIMInstantProperty}, {QStringLiteral("X-JABBER"), kPWJabberInstantProperty},
                {QStringLiteral("X-MSN"), kPWMSNInstantProperty}, {QStringLiteral("X-ICQ"), kPWICQInstantProperty},
                {QStringLiteral("X-YAHOO"), kPWYahooInstantProperty}};
            add(properties.value(name), line, PWPlist::fromString(textOf(line)), labelOf(line, workHomeLabel(line)));
        } else if (name == QLatin1String("IMPP")) {
            QString address;
            const QString property = imppProperty(line, &address);
            if (!property.isEmpty())
                add(property, line, PWPlist::fromString(address), labelOf(line, workHomeLabel(line)));
        } else if (name == QLatin1String("X-ABDATE") || name == QLatin1String("X-ANNIVERSARY")
                   || name == QLatin1String("ANNIVERSARY")) {
            const std::optional<QDate> date = dateOf(textOf(line));
            const QString label = name == QLatin1String("X-ABDATE") ? kPWOtherLabel : kPWAnniversaryLabel;
            if (date)
                add(kPWOtherDatesProperty, line, datePlist(*date), labelOf(line, label));
        } else if (name == QLatin1String("X-ABRELATEDNAMES")) {
            add(kPWRelatedNamesProperty, line, PWPlist::fromString(textOf(line)), labelOf(line, kPWOtherLabel));
        } else if (name == QLatin1String("X-PW-PROPERTY")) {
            readOwnProperty(line);
        }
    }

    void readOwnProperty(const PWVCardLine &line)
    {
        const QStringList names = line.parameterValues(QStringLiteral("X-NAME"));
        if (names.isEmpty())
            return;
        const QString property = names.constFirst();
        const std::optional<PWPropertyType> type = PWPerson::typeOfProperty(property);
        if (!type || PWPerson::isBuiltInProperty(property)) {
            qCInfo(lcVCard).noquote() << "vCard property" << property << "is not registered and is left out";
            return;
        }
        use(QStringLiteral("PROP:") + property);
        if (*type == PWPropertyType::String) {
            setText(property, textOf(line));
        } else if (*type == PWPropertyType::Date) {
            if (const std::optional<QDate> date = dateOf(textOf(line)))
                m_person->setValueForProperty(property, datePlist(*date));
        }
    }

    const PWVCard &m_card;
    ValuePool &m_pool;
    // Maps, not hashes: a card holds a few groups and properties, and a hash's least table costs
    // kilobytes, allocated and freed again for every card of a large file or cache.
    QMap<QString, GroupInfo> m_groups;
    QMap<QString, PWMultiValue> m_multi;
    // Per property, the rank and identifier of the most preferred entry so far.
    QMap<QString, std::pair<int, QString>> m_preferred;
    std::shared_ptr<PWPerson> m_person;
    QList<PWVCardReader::LineUse> *m_uses = nullptr;
    qsizetype m_index = 0;
};

} // namespace

std::optional<QList<std::shared_ptr<PWPerson>>> PWVCardReader::personsFromData(const QByteArray &bytes, QString *error,
                                                                               const Options &options)
{
    // Each card becomes a person as soon as it is read: the lines of a large file's cards never
    // live all at once beside the persons made of them.
    QList<std::shared_ptr<PWPerson>> persons;
    ValuePool pool;
    int cards = 0;
    const auto take = [&](PWVCard &card) {
        if (++cards == 2)
            pool.enable();
        if (!isGroupCard(card))
            persons.append(CardBuilder(card, pool).build(options));
    };
    if (!PWVCardParser::parseEach(bytes, take, error))
        return std::nullopt;
    return persons;
}

std::shared_ptr<PWPerson> PWVCardReader::personFromData(const QByteArray &bytes, QString *error,
                                                        const Options &options)
{
    const std::optional<QList<std::shared_ptr<PWPerson>>> persons = personsFromData(bytes, error, options);
    if (!persons)
        return nullptr;
    if (persons->isEmpty()) {
        if (error)
            *error = QStringLiteral("no person card");
        qCWarning(lcVCard) << "vCard holds no person card";
        return nullptr;
    }
    return persons->constFirst();
}

std::shared_ptr<PWPerson> PWVCardReader::personFromCard(const PWVCard &card, const Options &options)
{
    ValuePool pool;
    return CardBuilder(card, pool).build(options);
}

std::shared_ptr<PWPerson> PWVCardReader::personFromCard(const PWVCard &card, const Options &options,
                                                        QList<LineUse> *uses)
{
    ValuePool pool;
    return CardBuilder(card, pool).build(options, uses);
}

bool PWVCardReader::isGroupCard(const PWVCard &card)
{
    for (const PWVCardLine &line : card) {
        if ((line.name == QLatin1String("X-ADDRESSBOOKSERVER-KIND") || line.name == QLatin1String("KIND"))
            && line.value.trimmed().compare(QLatin1String("group"), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

std::optional<PWGroup> PWVCardReader::groupFromCard(const PWVCard &card)
{
    if (!isGroupCard(card))
        return std::nullopt;
    QString uid;
    QString name;
    QStringList members;
    for (const PWVCardLine &line : card) {
        if (line.name == QLatin1String("UID")) {
            uid = textOf(line).trimmed();
        } else if (line.name == QLatin1String("FN")) {
            name = textOf(line);
        } else if (line.name == QLatin1String("N") && name.isEmpty()) {
            name = PWVCardParser::splitStructured(line.value).value(0);
        } else if (line.name == QLatin1String("X-ADDRESSBOOKSERVER-MEMBER") || line.name == QLatin1String("MEMBER")) {
            QString member = textOf(line).trimmed();
            if (member.startsWith(QLatin1String("urn:uuid:"), Qt::CaseInsensitive))
                member = member.mid(9);
            members.append(member);
        }
    }
    PWGroup group(name, uid);
    for (const QString &member : std::as_const(members))
        group.addMember(member);
    return group;
}

std::optional<QString> PWVCardReader::numberOfTelUri(const QString &value)
{
    const QString uri = value.trimmed();
    if (!uri.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
        return std::nullopt;
    const QStringList parts = uri.mid(4).split(QLatin1Char(';'));
    QString number = QUrl::fromPercentEncoding(parts.constFirst().toUtf8());
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QString &parameter = parts.at(i);
        if (parameter.startsWith(QLatin1String("ext="), Qt::CaseInsensitive) && parameter.size() > 4)
            number += QStringLiteral(" ext. ") + QUrl::fromPercentEncoding(parameter.mid(4).toUtf8());
    }
    return number;
}
