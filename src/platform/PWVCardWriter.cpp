#include "platform/PWVCardWriter.h"

#include "platform/PWGroup.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

#include <QDate>
#include <QTimeZone>
#include <QUrl>

#include <functional>

namespace {

const QString kDepartmentProperty = QStringLiteral("ABDepartment");

QString dateText(const PWPlist &value)
{
    return value.toDate().toTimeZone(QTimeZone::utc()).date().toString(QStringLiteral("yyyy-MM-dd"));
}

QString photoType(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xD8"))
        return QStringLiteral("JPEG");
    if (bytes.startsWith("\x89PNG"))
        return QStringLiteral("PNG");
    if (bytes.startsWith("GIF8"))
        return QStringLiteral("GIF");
    if (bytes.startsWith(QByteArray("II*\0", 4)) || bytes.startsWith(QByteArray("MM\0*", 4)))
        return QStringLiteral("TIFF");
    return QString();
}

QString parameterValue(QString value)
{
    value.remove(QLatin1Char('"'));
    value.remove(QLatin1Char('\r'));
    value.remove(QLatin1Char('\n'));
    if (value.contains(QLatin1Char(':')) || value.contains(QLatin1Char(';')) || value.contains(QLatin1Char(',')))
        return QLatin1Char('"') + value + QLatin1Char('"');
    return value;
}

// The TYPE values that stand for a label of a property kind; nothing when the label needs an
// X-ABLabel line.
std::optional<QStringList> typesForLabel(const QString &property, const QString &label)
{
    if (property == kPWPhoneProperty) {
        static const QList<std::pair<QString, QStringList>> phone = {
            {kPWPhoneWorkLabel, {QStringLiteral("WORK"), QStringLiteral("VOICE")}},
            {kPWPhoneHomeLabel, {QStringLiteral("HOME"), QStringLiteral("VOICE")}},
            {kPWPhoneMobileLabel, {QStringLiteral("CELL"), QStringLiteral("VOICE")}},
            {kPWPhoneMainLabel, {QStringLiteral("MAIN")}},
            {kPWPhoneWorkFAXLabel, {QStringLiteral("WORK"), QStringLiteral("FAX")}},
            {kPWPhoneHomeFAXLabel, {QStringLiteral("HOME"), QStringLiteral("FAX")}},
            {kPWPhonePagerLabel, {QStringLiteral("PAGER")}},
        };
        for (const auto &entry : phone) {
            if (entry.first == label)
                return entry.second;
        }
        return std::nullopt;
    }
    if (property == kPWOtherDatesProperty || property == kPWRelatedNamesProperty)
        return std::nullopt;
    if (label == kPWWorkLabel)
        return QStringList{QStringLiteral("WORK")};
    if (label == kPWHomeLabel)
        return QStringList{QStringLiteral("HOME")};
    return std::nullopt;
}

class CardWriter
{
public:
    QByteArray m_out;
    QList<PWVCardWriter::Unit> m_units;

    // The lines that follow belong to the unit of this key.
    void unit(const QString &key, const QString &group = QString()) { m_units.append({key, {}, group}); }

    void line(const QString &text)
    {
        m_out += PWVCardWriter::foldedLine(text);
        if (!m_units.isEmpty())
            m_units.last().lines.append(text);
    }

    QString nextGroup() { return QStringLiteral("item%1").arg(++m_groups); }

    void textLine(const QString &name, const QString &text, const QString &key = QString())
    {
        if (text.isEmpty())
            return;
        unit(key.isEmpty() ? name : key);
        line(name + QLatin1Char(':') + PWVCardWriter::escapeText(text));
    }

    // One line per entry: TYPE parameters for standard labels, pref on the primary entry, a
    // group with an X-ABLabel line for every other label. extra adds lines to the entry's group
    // (and asks for one when it has any).
    void multiLines(const PWPerson &person, const QString &property, const QString &name,
                    const QStringList &baseTypes,
                    const std::function<QString(const PWPlist &)> &valueText,
                    const std::function<QStringList(const PWPlist &)> &extra = {})
    {
        const std::optional<PWMultiValue> multi = person.multiValueForProperty(property);
        if (!multi)
            return;
        for (qsizetype i = 0; i < multi->count(); ++i) {
            const QString label = multi->labelAtIndex(i);
            const PWPlist value = multi->valueAtIndex(i);
            const std::optional<QStringList> labelTypes = typesForLabel(property, label);
            const QStringList extraLines = extra ? extra(value) : QStringList();
            QStringList types = baseTypes;
            if (labelTypes)
                types += *labelTypes;
            if (multi->identifierAtIndex(i) == multi->primaryIdentifier() && multi->count() > 1)
                types.append(QStringLiteral("pref"));
            const QString group = (!labelTypes || !extraLines.isEmpty()) ? nextGroup() : QString();
            unit(QStringLiteral("ENTRY:") + property + QLatin1Char(':') + multi->identifierAtIndex(i), group);
            QString head = group.isEmpty() ? name : group + QLatin1Char('.') + name;
            for (const QString &type : std::as_const(types))
                head += QStringLiteral(";type=") + type;
            line(head + QLatin1Char(':') + valueText(value));
            for (const QString &extraLine : extraLines)
                line(group + QLatin1Char('.') + extraLine);
            if (!labelTypes)
                line(group + QStringLiteral(".X-ABLabel:") + PWVCardWriter::escapeText(label));
        }
    }

private:
    int m_groups = 0;
};

QString escapedText(const PWPlist &value)
{
    return PWVCardWriter::escapeText(value.toString());
}

QString addressText(const PWPlist &value)
{
    const PWPlist::Dictionary &address = value.toDictionary();
    QStringList parts = {QString(), QString()};
    for (const QString &key : {kPWAddressStreetKey, kPWAddressCityKey, kPWAddressStateKey, kPWAddressZIPKey,
                               kPWAddressCountryKey})
        parts.append(PWVCardWriter::escapeText(address.value(key).toString()));
    return parts.join(QLatin1Char(';'));
}

QStringList addressExtras(const PWPlist &value)
{
    static const QStringList standard = {kPWAddressStreetKey, kPWAddressCityKey, kPWAddressStateKey,
                                         kPWAddressZIPKey, kPWAddressCountryKey, kPWAddressCountryCodeKey};
    const PWPlist::Dictionary &address = value.toDictionary();
    QStringList lines;
    const QString code = address.value(kPWAddressCountryCodeKey).toString();
    if (!code.isEmpty())
        lines.append(QStringLiteral("X-ABADR:") + PWVCardWriter::escapeText(code));
    // Keys of the system's own (the custom address parts) travel beside the standard ones.
    for (const auto &[key, field] : address.entries()) {
        if (standard.contains(key) || !field.isString() || field.toString().isEmpty())
            continue;
        lines.append(QStringLiteral("X-PW-ADR-FIELD;X-KEY=") + parameterValue(key) + QLatin1Char(':')
                     + PWVCardWriter::escapeText(field.toString()));
    }
    return lines;
}

QString displayName(const PWPerson &person)
{
    QStringList parts;
    for (const QString &property : {kPWTitleProperty, kPWFirstNameProperty, kPWMiddleNameProperty,
                                    kPWLastNameProperty, kPWSuffixProperty}) {
        const QString text = person.stringForProperty(property);
        if (!text.isEmpty())
            parts.append(text);
    }
    if (parts.isEmpty())
        return person.stringForProperty(kPWOrganizationProperty);
    return parts.join(QLatin1Char(' '));
}

void writeCard(CardWriter &w, const PWPerson &person, const PWVCardWriter::Options &options)
{
    const auto escapeText = PWVCardWriter::escapeText;
    w.unit(QString());
    w.line(QStringLiteral("BEGIN:VCARD"));
    w.line(QStringLiteral("VERSION:3.0"));
    QStringList name;
    for (const QString &property : {kPWLastNameProperty, kPWFirstNameProperty, kPWMiddleNameProperty,
                                    kPWTitleProperty, kPWSuffixProperty})
        name.append(escapeText(person.stringForProperty(property)));
    w.unit(QStringLiteral("N"));
    w.line(QStringLiteral("N:") + name.join(QLatin1Char(';')));
    w.unit(QStringLiteral("FN"));
    w.line(QStringLiteral("FN:") + escapeText(displayName(person)));
    w.textLine(QStringLiteral("NICKNAME"), person.stringForProperty(kPWNicknameProperty));
    w.textLine(QStringLiteral("X-MAIDENNAME"), person.stringForProperty(kPWMaidenNameProperty));
    const QString organization = person.stringForProperty(kPWOrganizationProperty);
    const QString department = person.stringForProperty(kDepartmentProperty);
    if (!organization.isEmpty() || !department.isEmpty()) {
        QString org = QStringLiteral("ORG:") + escapeText(organization);
        if (!department.isEmpty())
            org += QLatin1Char(';') + escapeText(department);
        w.unit(QStringLiteral("ORG"));
        w.line(org);
    }
    w.textLine(QStringLiteral("TITLE"), person.stringForProperty(kPWJobTitleProperty));
    bool flagsRead = false;
    const int flags = person.stringForProperty(kPWPersonFlagsProperty).trimmed().toInt(&flagsRead);
    if (flagsRead && (flags & kPWShowAsMask) == kPWShowAsCompany) {
        w.unit(QStringLiteral("X-ABSHOWAS"));
        w.line(QStringLiteral("X-ABShowAs:COMPANY"));
    }
    w.multiLines(person, kPWEmailProperty, QStringLiteral("EMAIL"), {QStringLiteral("INTERNET")}, escapedText);
    w.multiLines(person, kPWPhoneProperty, QStringLiteral("TEL"), {}, escapedText);
    w.multiLines(person, kPWAddressProperty, QStringLiteral("ADR"), {}, addressText, addressExtras);
    w.textLine(QStringLiteral("URL"), person.stringForProperty(kPWHomePageProperty), QStringLiteral("HOMEPAGE"));
    w.multiLines(person, kPWURLsProperty, QStringLiteral("URL"), {}, escapedText);
    w.multiLines(person, kPWOtherDatesProperty, QStringLiteral("X-ABDATE"), {},
                 [](const PWPlist &value) { return dateText(value); });
    w.multiLines(person, kPWRelatedNamesProperty, QStringLiteral("X-ABRELATEDNAMES"), {}, escapedText);
    const PWPlist birthday = person.valueForProperty(kPWBirthdayProperty);
    if (birthday.isDate() && birthday.toDate().isValid()) {
        w.unit(QStringLiteral("BDAY"));
        w.line(QStringLiteral("BDAY;value=date:") + dateText(birthday));
    }
    w.multiLines(person, kPWAIMInstantProperty, QStringLiteral("X-AIM"), {}, escapedText);
    w.multiLines(person, kPWJabberInstantProperty, QStringLiteral("X-JABBER"), {}, escapedText);
    w.multiLines(person, kPWMSNInstantProperty, QStringLiteral("X-MSN"), {}, escapedText);
    w.multiLines(person, kPWICQInstantProperty, QStringLiteral("X-ICQ"), {}, escapedText);
    w.multiLines(person, kPWYahooInstantProperty, QStringLiteral("X-YAHOO"), {}, escapedText);
    w.textLine(QStringLiteral("NOTE"), person.stringForProperty(kPWNoteProperty));
    for (const QString &property : PWPerson::properties()) {
        if (PWPerson::isBuiltInProperty(property) || property == kDepartmentProperty)
            continue;
        const PWPlist value = person.valueForProperty(property);
        const QString head = QStringLiteral("X-PW-PROPERTY;X-NAME=") + parameterValue(property) + QLatin1Char(':');
        w.unit(QStringLiteral("PROP:") + property);
        if (value.isString() && !value.toString().isEmpty())
            w.line(head + escapeText(value.toString()));
        else if (value.isDate() && value.toDate().isValid())
            w.line(head + dateText(value));
    }
    const QByteArray photo = options.photo ? *options.photo : person.imageData();
    if (!photo.isEmpty()) {
        const QString type = photoType(photo);
        w.unit(QStringLiteral("PHOTO"));
        w.line(QStringLiteral("PHOTO;ENCODING=b") + (type.isEmpty() ? QString() : QStringLiteral(";TYPE=") + type)
               + QLatin1Char(':') + QString::fromLatin1(photo.toBase64()));
    }
    w.unit(QString());
    w.line(QStringLiteral("UID:") + escapeText(person.uniqueId()));
    w.line(QStringLiteral("END:VCARD"));
}

} // namespace

QByteArray PWVCardWriter::vCardRepresentation(const PWPerson &person, const Options &options)
{
    CardWriter w;
    writeCard(w, person, options);
    return w.m_out;
}

QList<PWVCardWriter::Unit> PWVCardWriter::vCardUnits(const PWPerson &person)
{
    CardWriter w;
    writeCard(w, person, Options());
    QList<Unit> units;
    for (Unit &unit : w.m_units) {
        if (!unit.lines.isEmpty())
            units.append(std::move(unit));
    }
    return units;
}



QByteArray PWVCardWriter::vCardRepresentation(const QList<std::shared_ptr<PWPerson>> &persons)
{
    QByteArray out;
    for (const std::shared_ptr<PWPerson> &person : persons) {
        if (person)
            out += vCardRepresentation(*person);
    }
    return out;
}

QByteArray PWVCardWriter::groupRepresentation(const PWGroup &group)
{
    CardWriter w;
    w.line(QStringLiteral("BEGIN:VCARD"));
    w.line(QStringLiteral("VERSION:3.0"));
    w.line(QStringLiteral("X-ADDRESSBOOKSERVER-KIND:group"));
    w.line(QStringLiteral("N:") + escapeText(group.name()));
    w.line(QStringLiteral("FN:") + escapeText(group.name()));
    for (const QString &member : group.memberIds())
        w.line(QStringLiteral("X-ADDRESSBOOKSERVER-MEMBER:urn:uuid:") + escapeText(member));
    w.line(QStringLiteral("UID:") + escapeText(group.uniqueId()));
    w.line(QStringLiteral("END:VCARD"));
    return w.m_out;
}

QByteArray PWVCardWriter::foldedLine(const QString &line)
{
    const QByteArray bytes = line.toUtf8();
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 70 * 3 + 2);
    qsizetype start = 0;
    qsizetype limit = 75;
    while (bytes.size() - start > limit) {
        qsizetype end = start + limit;
        // Never split a UTF-8 sequence: back up to the start of the character.
        while (end > start && (quint8(bytes.at(end)) & 0xC0) == 0x80)
            --end;
        out += bytes.mid(start, end - start);
        out += "\r\n ";
        start = end;
        limit = 74; // the leading blank of a continuation counts
    }
    out += bytes.mid(start);
    out += "\r\n";
    return out;
}

QString PWVCardWriter::escapeText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') || c == QLatin1Char(',') || c == QLatin1Char(';')) {
            out.append(QLatin1Char('\\'));
            out.append(c);
        } else if (c == QLatin1Char('\r')) {
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            out.append(QLatin1String("\\n"));
        } else if (c == QLatin1Char('\n')) {
            out.append(QLatin1String("\\n"));
        } else {
            out.append(c);
        }
    }
    return out;
}

QString PWVCardWriter::telUriOfNumber(const QString &number)
{
    const QString extension = QStringLiteral(" ext. ");
    const auto encoded = [](const QString &text) {
        QString digits = text.trimmed();
        digits.replace(QLatin1Char(' '), QLatin1Char('-'));
        return QString::fromLatin1(QUrl::toPercentEncoding(digits, "+()*"));
    };
    const qsizetype at = number.indexOf(extension);
    if (at < 0)
        return QStringLiteral("tel:") + encoded(number);
    return QStringLiteral("tel:") + encoded(number.left(at)) + QStringLiteral(";ext=")
           + encoded(number.mid(at + extension.size()));
}
