#include "platform/PWVCardMerge.h"

#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWUtf8.h"
#include "platform/PWVCard21Syntax.h"
#include "platform/PWVCardParser.h"
#include "platform/PWVCardWriter.h"

#include <QHash>
#include <QMap>
#include <QSet>
#include <QTimeZone>

#include <algorithm>
#include <optional>

namespace {

const QString kDepartmentProperty = QStringLiteral("ABDepartment");
const QString kEntry = QStringLiteral("ENTRY");

enum class Change { Keep, Substitute, Rewrite, Remove };
// What becomes of the preferred mark of an entry's line.
enum class Mark { Keep, Add, Remove };

QString unitKey(const PWVCardReader::LineUse &use)
{
    if (use.unit == kEntry)
        return QStringLiteral("ENTRY:") + use.property + QLatin1Char(':') + use.entry;
    return use.unit;
}

// The person properties a single-value unit writes, in the order of its components; the
// picture and the display name have none of their own.
QStringList propertiesOfUnit(const QString &unit)
{
    if (unit == QLatin1String("N"))
        return {kPWLastNameProperty, kPWFirstNameProperty, kPWMiddleNameProperty, kPWTitleProperty, kPWSuffixProperty};
    if (unit == QLatin1String("ORG"))
        return {kPWOrganizationProperty, kDepartmentProperty};
    static const QHash<QString, QString> single = {
        {QStringLiteral("NICKNAME"), kPWNicknameProperty}, {QStringLiteral("X-MAIDENNAME"), kPWMaidenNameProperty},
        {QStringLiteral("TITLE"), kPWJobTitleProperty},    {QStringLiteral("NOTE"), kPWNoteProperty},
        {QStringLiteral("BDAY"), kPWBirthdayProperty},     {QStringLiteral("HOMEPAGE"), kPWHomePageProperty},
        {QStringLiteral("X-ABSHOWAS"), kPWPersonFlagsProperty}};
    if (const auto found = single.constFind(unit); found != single.constEnd())
        return {*found};
    if (unit.startsWith(QLatin1String("PROP:")))
        return {unit.mid(5)};
    return {};
}

QString dateText(const PWPlist &value)
{
    return value.toDate().toTimeZone(QTimeZone::utc()).date().toString(QStringLiteral("yyyy-MM-dd"));
}

QString valueText(const PWPlist &value)
{
    return value.isDate() ? dateText(value) : PWVCardWriter::escapeText(value.toString());
}

// A written line without its line end and folds. Quoted-printable lines are never substituted
// into, so their soft line breaks need no care here.
QString logicalText(const QByteArray &written)
{
    // Decoded as the parser decodes lines.
    QString text = PWDecodeUtf8OrWindowsLatin1(written);
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            if (i + 1 < text.size() && (text.at(i + 1) == QLatin1Char(' ') || text.at(i + 1) == QLatin1Char('\t')))
                ++i;
            continue;
        }
        out.append(c);
    }
    return out;
}

// The group of a written line ("item1" of "item1.ADR;type=HOME:..."); empty for none.
QString groupOf(const QString &logical)
{
    qsizetype end = 0;
    while (end < logical.size() && logical.at(end) != QLatin1Char(';') && logical.at(end) != QLatin1Char(':'))
        ++end;
    const qsizetype dot = logical.left(end).lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? logical.left(dot) : QString();
}

// Components of a structured value as written, escapes kept.
QStringList writtenComponents(const QString &value)
{
    QStringList parts;
    QString current;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\') && i + 1 < value.size()) {
            current.append(c);
            current.append(value.at(++i));
        } else if (c == QLatin1Char(';')) {
            parts.append(current);
            current.clear();
        } else {
            current.append(c);
        }
    }
    parts.append(current);
    return parts;
}

// The head of a line ("item1.TEL;type=WORK") split at its semicolons outside quotes.
QStringList headParts(const QString &head)
{
    QStringList parts;
    QString current;
    bool quoted = false;
    for (const QChar c : head) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        if (c == QLatin1Char(';') && !quoted) {
            parts.append(current);
            current.clear();
        } else {
            current.append(c);
        }
    }
    parts.append(current);
    return parts;
}

bool isPrefType(const QString &type)
{
    QString bare = type.trimmed();
    if (bare.size() >= 2 && bare.startsWith(QLatin1Char('"')) && bare.endsWith(QLatin1Char('"')))
        bare = bare.mid(1, bare.size() - 2);
    return bare.compare(QLatin1String("pref"), Qt::CaseInsensitive) == 0;
}

// The head without any preferred mark: a bare PREF (vCard 2.1), a PREF parameter (4.0) or the
// type "pref" (3.0); a TYPE parameter left without values goes too.
QString withoutPreferredMark(const QString &head)
{
    QStringList kept;
    const QStringList parts = headParts(head);
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString &part = parts.at(i);
        const QString name = part.section(QLatin1Char('='), 0, 0).trimmed();
        if (i == 0 || name.compare(QLatin1String("PREF"), Qt::CaseInsensitive) != 0) {
            if (i > 0 && name.compare(QLatin1String("TYPE"), Qt::CaseInsensitive) == 0 && part.contains(QLatin1Char('='))) {
                // A quoted list (vCard 4.0's TYPE="work,pref") stays quoted.
                QString list = part.section(QLatin1Char('='), 1);
                const bool quoted = list.size() >= 2 && list.startsWith(QLatin1Char('"')) && list.endsWith(QLatin1Char('"'));
                if (quoted)
                    list = list.mid(1, list.size() - 2);
                QStringList types = list.split(QLatin1Char(','));
                types.removeIf(isPrefType);
                const QString joined = types.join(QLatin1Char(','));
                if (!types.isEmpty())
                    kept.append(part.section(QLatin1Char('='), 0, 0) + QLatin1Char('=')
                                + (quoted ? QLatin1Char('"') + joined + QLatin1Char('"') : joined));
                continue;
            }
            if (i > 0 && isPrefType(part))
                continue;
            kept.append(part);
        }
    }
    return kept.join(QLatin1Char(';'));
}

bool hasPreferredMark(const QString &head)
{
    return withoutPreferredMark(head) != head;
}

// The head with its CHARSET parameter left out.
QString withoutCharset(const QString &head)
{
    QStringList parts = headParts(head);
    for (qsizetype i = parts.size() - 1; i > 0; --i) {
        if (parts.at(i).section(QLatin1Char('='), 0, 0).trimmed().compare(QLatin1String("CHARSET"), Qt::CaseInsensitive) == 0)
            parts.removeAt(i);
    }
    return parts.join(QLatin1Char(';'));
}

// The head without the named parameters (a label or a position that described a value no
// longer there).
QString withoutParameters(const QString &head, const QStringList &names)
{
    QStringList parts = headParts(head);
    for (qsizetype i = parts.size() - 1; i > 0; --i) {
        if (names.contains(parts.at(i).section(QLatin1Char('='), 0, 0).trimmed().toUpper()))
            parts.removeAt(i);
    }
    return parts.join(QLatin1Char(';'));
}

// Whether a written line's head names quoted-printable.
bool isQuotedPrintable(const QByteArray &written)
{
    const qsizetype colon = written.indexOf(':');
    return QString::fromLatin1(written.left(colon < 0 ? written.size() : colon))
        .contains(QLatin1String("QUOTED-PRINTABLE"), Qt::CaseInsensitive);
}

class Merger
{
public:
    Merger(const PWVCardMerge::Original &original, const PWPerson &edited)
        : m_original(original)
        , m_before(*original.asRead)
        , m_after(edited)
    {
        for (const PWVCardWriter::Unit &unit : PWVCardWriter::vCardUnits(edited)) {
            if (!unit.key.isEmpty()) {
                m_written.insert(unit.key, unit);
                m_writtenOrder.append(unit.key);
            }
        }
        for (const PWVCardWriter::Unit &unit : PWVCardWriter::vCardUnits(m_before)) {
            if (!unit.key.isEmpty() && !unit.key.startsWith(QLatin1String("ENTRY:")))
                m_writtenBefore.insert(unit.key, unit.lines);
        }
        const QByteArray &first = original.lines.constFirst();
        m_lineEnd = first.endsWith("\r\n") ? "\r\n" : first.endsWith('\n') ? "\n" : first.endsWith('\r') ? "\r" : "\r\n";
        for (const QByteArray &line : original.lines) {
            const QString logical = logicalText(line);
            const QString group = groupOf(logical);
            if (!group.isEmpty())
                m_groups.insert(group.toLower());
            if (m_encoding.isEmpty()
                && logical.left(std::max<qsizetype>(PWVCard21Syntax::colonOutsideQuotes(logical), 0))
                       .contains(QLatin1String("QUOTED-PRINTABLE"), Qt::CaseInsensitive))
                m_encoding = logical.contains(QLatin1String("ENCODING="), Qt::CaseInsensitive)
                    ? QStringLiteral("ENCODING=QUOTED-PRINTABLE")
                    : QStringLiteral("QUOTED-PRINTABLE");
            // The card's own version, not that of a card embedded in it.
            if (m_version.isEmpty()
                && logical.section(QLatin1Char(':'), 0, 0).trimmed().compare(QLatin1String("VERSION"), Qt::CaseInsensitive) == 0)
                m_version = logical.section(QLatin1Char(':'), 1).trimmed();
        }
        if (m_encoding.isEmpty())
            m_encoding = QStringLiteral("ENCODING=QUOTED-PRINTABLE");
        findMarkedEntries();
    }

    QByteArray merged()
    {
        decide();
        const QMap<qsizetype, QStringList> insertions = newUnits();
        const QSet<qsizetype> stale = staleLabels();
        QByteArray out;
        QSet<QString> emitted;
        for (qsizetype i = 0; i < m_original.lines.size(); ++i) {
            const QByteArray &line = m_original.lines.at(i);
            if (stale.contains(i))
                continue;
            const PWVCardReader::LineUse use = m_original.uses.value(i);
            const QString key = unitKey(use);
            const Change change = key.isEmpty() ? Change::Keep : m_changes.value(key, Change::Keep);
            switch (change) {
            case Change::Keep:
                out += line;
                break;
            case Change::Remove:
                break;
            case Change::Rewrite:
                if (!emitted.contains(key)) {
                    emitted.insert(key);
                    out += folded(rewritten(key), isQuotedPrintable(line));
                }
                break;
            case Change::Substitute:
                if (!use.main)
                    out += line;
                else if (!emitted.contains(key)) {
                    emitted.insert(key);
                    if (const auto raw = m_rawSubstitutes.constFind(key); raw != m_rawSubstitutes.constEnd())
                        out += *raw;
                    else
                        out += folded({m_substitutes.value(key)}, isQuotedPrintable(line));
                }
                break;
            }
            if (const auto inserted = insertions.constFind(i); inserted != insertions.constEnd())
                out += folded(*inserted);
        }
        return out;
    }

private:
    // Each unit's change, and the lines of those whose value is put into their own line.
    void decide()
    {
        for (qsizetype i = 0; i < m_original.lines.size(); ++i) {
            const PWVCardReader::LineUse use = m_original.uses.value(i);
            const QString key = unitKey(use);
            if (key.isEmpty())
                continue;
            if (!m_originalGroups.contains(key) && use.main) {
                const QString group = groupOf(logicalText(m_original.lines.at(i)));
                if (!group.isEmpty())
                    m_originalGroups.insert(key, group);
            }
            if (m_changes.contains(key))
                continue;
            Change change = use.unit == kEntry ? entryChange(use) : singleChange(use.unit);
            // Only the first main line of a unit is substituted into; it must be found first.
            if (change == Change::Substitute && !use.main)
                continue;
            if (change == Change::Substitute) {
                const QByteArray &written = m_original.lines.at(i);
                if (const std::optional<QByteArray> raw = markedOnly(use, written)) {
                    m_rawSubstitutes.insert(key, *raw);
                } else if (const std::optional<QString> line = substitute(use, written)) {
                    m_substitutes.insert(key, *line);
                } else {
                    change = Change::Rewrite;
                }
            }
            if (change == Change::Rewrite && !m_written.contains(key))
                change = Change::Remove;
            m_changes.insert(key, change);
        }
    }

    // A single value changed when the writer writes it differently now: the display name follows
    // the names it is made of, and what the writer does not write (a department without
    // an organization line) is no change.
    bool singleChanged(const QString &unit) const
    {
        return m_writtenBefore.value(unit) != m_written.value(unit).lines;
    }

    Change singleChange(const QString &unit) const
    {
        if (!singleChanged(unit))
            return Change::Keep;
        if (unit == QLatin1String("N"))
            return Change::Substitute; // a card always has its name line
        if (!m_written.contains(unit))
            return Change::Remove;
        if (unit == QLatin1String("FN") || unit == QLatin1String("PHOTO") || unit == QLatin1String("X-ABSHOWAS"))
            return Change::Rewrite;
        return Change::Substitute;
    }

    Change entryChange(const PWVCardReader::LineUse &use) const
    {
        const std::optional<PWMultiValue> after = m_after.multiValueForProperty(use.property);
        const qsizetype j = after ? after->indexForIdentifier(use.entry) : -1;
        if (j < 0)
            return Change::Remove;
        const std::optional<PWMultiValue> before = m_before.multiValueForProperty(use.property);
        const qsizetype i = before ? before->indexForIdentifier(use.entry) : -1;
        if (i < 0)
            return Change::Rewrite;
        if (before->labelAtIndex(i) != after->labelAtIndex(j))
            return Change::Rewrite;
        const Mark mark = markChange(use, *before, *after, j);
        const PWPlist old = before->valueAtIndex(i);
        const PWPlist now = after->valueAtIndex(j);
        if (old == now)
            return mark == Mark::Keep ? Change::Keep : Change::Substitute;
        if (use.property == kPWAddressProperty) {
            // Parts the address line has no place for live in lines of their own group.
            static const QStringList inLine = {kPWAddressStreetKey, kPWAddressCityKey, kPWAddressStateKey,
                                               kPWAddressZIPKey, kPWAddressCountryKey};
            QSet<QString> keys;
            for (const auto &[key, value] : old.toDictionary().entries())
                keys.insert(key);
            for (const auto &[key, value] : now.toDictionary().entries())
                keys.insert(key);
            for (const QString &key : std::as_const(keys)) {
                if (!inLine.contains(key) && !(old.toDictionary().value(key) == now.toDictionary().value(key)))
                    return Change::Rewrite;
            }
        }
        return Change::Substitute;
    }

    // The main lines of each multi-value property whose head carries a preferred mark, by entry.
    void findMarkedEntries()
    {
        for (qsizetype i = 0; i < m_original.lines.size(); ++i) {
            const PWVCardReader::LineUse use = m_original.uses.value(i);
            if (use.unit != kEntry || !use.main)
                continue;
            const QString logical = logicalText(m_original.lines.at(i));
            const qsizetype colon = PWVCard21Syntax::colonOutsideQuotes(logical);
            if (colon > 0 && hasPreferredMark(logical.left(colon)))
                m_markedEntries[use.property].insert(use.entry);
        }
    }

    // An entry that stops being the primary one loses its mark. One that becomes it needs a
    // mark unless it reads back as the primary one without: the first entry, with no other
    // entry left marked (an entry whose primary predecessor was removed).
    Mark markChange(const PWVCardReader::LineUse &use, const PWMultiValue &before, const PWMultiValue &after,
                    qsizetype index) const
    {
        const bool wasPrimary = before.primaryIdentifier() == use.entry;
        const bool isPrimary = after.primaryIdentifier() == use.entry;
        if (wasPrimary == isPrimary)
            return Mark::Keep;
        if (!isPrimary)
            return m_markedEntries.value(use.property).contains(use.entry) ? Mark::Remove : Mark::Keep;
        if (index == 0) {
            bool othersMarked = false;
            for (const QString &entry : m_markedEntries.value(use.property)) {
                // The one that was primary loses its mark.
                if (entry != use.entry && entry != before.primaryIdentifier() && after.indexForIdentifier(entry) >= 0)
                    othersMarked = true;
            }
            if (!othersMarked)
                return Mark::Keep;
        }
        return Mark::Add;
    }

    Mark markOf(const PWVCardReader::LineUse &use) const
    {
        const std::optional<PWMultiValue> after = m_after.multiValueForProperty(use.property);
        const std::optional<PWMultiValue> before = m_before.multiValueForProperty(use.property);
        if (!after || !before)
            return Mark::Keep;
        const qsizetype j = after->indexForIdentifier(use.entry);
        if (j < 0 || before->indexForIdentifier(use.entry) < 0)
            return Mark::Keep;
        return markChange(use, *before, *after, j);
    }

    QString markedHead(const QString &head, Mark mark) const
    {
        if (mark == Mark::Remove)
            return withoutPreferredMark(head);
        if (mark == Mark::Add && !hasPreferredMark(head)) {
            if (m_version == QLatin1String("2.1"))
                return head + QStringLiteral(";PREF");
            if (m_version.startsWith(QLatin1String("4")))
                return head + QStringLiteral(";PREF=1");
            return head + QStringLiteral(";type=pref");
        }
        return head;
    }

    // The written line with only its preferred mark changed, its value's bytes (encoding, soft
    // line breaks, folds) as they were; nothing when the value changed too or the head is folded.
    std::optional<QByteArray> markedOnly(const PWVCardReader::LineUse &use, const QByteArray &written) const
    {
        if (use.unit != kEntry)
            return std::nullopt;
        const std::optional<PWMultiValue> after = m_after.multiValueForProperty(use.property);
        const std::optional<PWMultiValue> before = m_before.multiValueForProperty(use.property);
        if (!(before->valueAtIndex(before->indexForIdentifier(use.entry))
              == after->valueAtIndex(after->indexForIdentifier(use.entry))))
            return std::nullopt;
        bool quoted = false;
        qsizetype colon = -1;
        for (qsizetype i = 0; i < written.size() && colon < 0; ++i) {
            const char c = written.at(i);
            if (c == '\r' || c == '\n')
                return std::nullopt;
            if (c == '"')
                quoted = !quoted;
            else if (c == ':' && !quoted)
                colon = i;
        }
        if (colon < 0)
            return std::nullopt;
        const QString head = QString::fromLatin1(written.left(colon));
        return markedHead(head, markOf(use)).toLatin1() + written.mid(colon);
    }

    // The line with the new value in place of the old, its group, name and parameters kept (the
    // charset goes: the value is written anew); nothing where the line's encoding would no longer
    // say what it holds.
    std::optional<QString> substitute(const PWVCardReader::LineUse &use, const QByteArray &written) const
    {
        // A 2.1 card's quoted-printable line takes its new value in that encoding again.
        const std::optional<QString> decoded =
            m_version == QLatin1String("2.1") ? PWVCard21Syntax::decodedLine(written) : std::nullopt;
        const QString logical = decoded ? *decoded : logicalText(written);
        const qsizetype colon = PWVCard21Syntax::colonOutsideQuotes(logical);
        if (colon < 0)
            return std::nullopt;
        QString head = withoutCharset(logical.left(colon));
        const QString upperHead = head.toUpper();
        for (const char *encoding : {"ENCODING", "QUOTED-PRINTABLE", "BASE64"}) {
            if (!decoded && upperHead.contains(QLatin1String(encoding)))
                return std::nullopt;
        }
        if (use.unit == kEntry)
            head = markedHead(head, markOf(use));
        // An address's label and position told of the address as it was.
        if (use.unit == kEntry && use.property == kPWAddressProperty && addressChanged(use))
            head = withoutParameters(head, {QStringLiteral("LABEL"), QStringLiteral("GEO")});
        const QString value = logical.mid(colon + 1);
        QString name = head.section(QLatin1Char(';'), 0, 0).trimmed().toUpper();
        name = name.section(QLatin1Char('.'), -1);
        const std::optional<QString> newValue = use.unit == kEntry ? entryValue(use, name, value) : singleValue(use.unit, value);
        if (!newValue)
            return std::nullopt;
        return head + QLatin1Char(':') + *newValue;
    }

    std::optional<QString> singleValue(const QString &unit, const QString &value) const
    {
        const auto changed = [&](const QString &property) {
            return !(m_before.valueForProperty(property) == m_after.valueForProperty(property));
        };
        const auto escaped = [&](const QString &property) {
            return PWVCardWriter::escapeText(m_after.stringForProperty(property));
        };
        if (unit == QLatin1String("N")) {
            QStringList parts = writtenComponents(value);
            while (parts.size() < 5)
                parts.append(QString());
            const QStringList properties = propertiesOfUnit(unit);
            for (qsizetype i = 0; i < properties.size(); ++i) {
                if (changed(properties.at(i)))
                    parts[i] = escaped(properties.at(i));
            }
            return parts.join(QLatin1Char(';'));
        }
        if (unit == QLatin1String("ORG")) {
            QStringList parts = writtenComponents(value);
            if (changed(kPWOrganizationProperty))
                parts[0] = escaped(kPWOrganizationProperty);
            if (changed(kDepartmentProperty)) {
                parts = parts.mid(0, 1);
                if (!m_after.stringForProperty(kDepartmentProperty).isEmpty())
                    parts.append(escaped(kDepartmentProperty));
            }
            return parts.join(QLatin1Char(';'));
        }
        const QStringList properties = propertiesOfUnit(unit);
        if (properties.size() != 1)
            return std::nullopt;
        return valueText(m_after.valueForProperty(properties.constFirst()));
    }

    std::optional<QString> entryValue(const PWVCardReader::LineUse &use, const QString &name, const QString &value) const
    {
        const std::optional<PWMultiValue> after = m_after.multiValueForProperty(use.property);
        const std::optional<PWMultiValue> before = m_before.multiValueForProperty(use.property);
        const PWPlist now = after->valueAtIndex(after->indexForIdentifier(use.entry));
        const PWPlist old = before->valueAtIndex(before->indexForIdentifier(use.entry));
        if (name == QLatin1String("ADR")) {
            QStringList parts = writtenComponents(value);
            while (parts.size() < 7)
                parts.append(QString());
            const PWPlist::Dictionary &was = old.toDictionary();
            const PWPlist::Dictionary &is = now.toDictionary();
            const auto part = [&](const QString &key) { return PWVCardWriter::escapeText(is.value(key).toString()); };
            if (!(was.value(kPWAddressStreetKey) == is.value(kPWAddressStreetKey))) {
                // The post-office box and extended parts were read into the street.
                parts[0].clear();
                parts[1].clear();
                parts[2] = part(kPWAddressStreetKey);
            }
            const QString *keys[] = {&kPWAddressCityKey, &kPWAddressStateKey, &kPWAddressZIPKey, &kPWAddressCountryKey};
            for (int k = 0; k < 4; ++k) {
                if (!(was.value(*keys[k]) == is.value(*keys[k])))
                    parts[3 + k] = part(*keys[k]);
            }
            return parts.join(QLatin1Char(';'));
        }
        if (name == QLatin1String("IMPP")) {
            // The address keeps the scheme it was written with ("xmpp:").
            const qsizetype colon = value.indexOf(QLatin1Char(':'));
            const QString scheme = colon > 0 ? value.left(colon + 1) : QString();
            return scheme + PWVCardWriter::escapeText(now.toString());
        }
        if (now.isDate() != old.isDate() || !(now.isDate() || now.isString()))
            return std::nullopt;
        // A phone written as a tel: URI stays one.
        if (name == QLatin1String("TEL") && PWVCardReader::numberOfTelUri(value))
            return PWVCardWriter::telUriOfNumber(now.toString());
        return valueText(now);
    }

    // The writer's lines of a unit, in the group the unit had, else in a group of its own.
    QStringList rewritten(const QString &key)
    {
        const PWVCardWriter::Unit unit = m_written.value(key);
        if (unit.group.isEmpty())
            return unit.lines;
        const QString group = m_originalGroups.contains(key) ? m_originalGroups.value(key) : freshGroup();
        QStringList lines;
        for (const QString &line : unit.lines)
            lines.append(line.startsWith(unit.group + QLatin1Char('.')) ? group + line.mid(unit.group.size()) : line);
        return lines;
    }

    QString freshGroup()
    {
        for (int n = 1;; ++n) {
            const QString group = QStringLiteral("item%1").arg(n);
            if (!m_groups.contains(group)) {
                m_groups.insert(group);
                return group;
            }
        }
    }

    // Values the card did not hold: an entry after the last line of its kind, anything else
    // before the card's END. A single value only when the edit gave it (a name line is not
    // added to a card that never had one just because the writer always writes one).
    QMap<qsizetype, QStringList> newUnits()
    {
        QMap<qsizetype, QStringList> insertions;
        QSet<QString> present;
        QHash<QString, qsizetype> lastOfProperty;
        for (qsizetype i = 0; i < m_original.lines.size(); ++i) {
            const PWVCardReader::LineUse use = m_original.uses.value(i);
            present.insert(unitKey(use));
            if (use.unit == kEntry)
                lastOfProperty.insert(use.property, i);
        }
        const qsizetype beforeEnd = m_original.lines.size() - 2;
        for (const QString &key : std::as_const(m_writtenOrder)) {
            if (present.contains(key))
                continue;
            const bool entry = key.startsWith(QLatin1String("ENTRY:"));
            if (!entry && !singleChanged(key))
                continue;
            const QString property = entry ? key.section(QLatin1Char(':'), 1, 1) : QString();
            const qsizetype at = entry ? lastOfProperty.value(property, beforeEnd) : beforeEnd;
            insertions[at] += rewritten(key);
            if (entry)
                lastOfProperty.insert(property, at);
        }
        return insertions;
    }

    // A line written into a vCard 2.1 card takes that version's syntax, quoted-printable where
    // the line it replaces was.
    QByteArray folded(const QStringList &lines, bool quotedPrintable = false) const
    {
        QByteArray out;
        for (const QString &line : lines) {
            QByteArray bytes = m_version == QLatin1String("2.1")
                ? PWVCard21Syntax::line(line, quotedPrintable, m_encoding)
                : PWVCardWriter::foldedLine(line);
            if (m_lineEnd != "\r\n")
                bytes.replace("\r\n", m_lineEnd);
            out += bytes;
        }
        return out;
    }

    // Lines that describe an address the edit changed or removed, and so would describe the old
    // one: a LABEL line of the address's group, or, of an address without a group, an
    // ungrouped LABEL line of the same types.
    QSet<qsizetype> staleLabels() const
    {
        QSet<qsizetype> stale;
        QList<std::pair<QString, QStringList>> changed; // group, or types of an ungrouped address
        for (qsizetype i = 0; i < m_original.lines.size(); ++i) {
            const PWVCardReader::LineUse use = m_original.uses.value(i);
            if (use.unit != kEntry || !use.main || use.property != kPWAddressProperty || !addressChanged(use))
                continue;
            const QString logical = logicalText(m_original.lines.at(i));
            changed.append({groupOf(logical).toLower(), typesOf(logical)});
        }
        if (changed.isEmpty())
            return stale;
        for (qsizetype i = 0; i < m_original.lines.size(); ++i) {
            const QString logical = logicalText(m_original.lines.at(i));
            const QString head = logical.left(std::max<qsizetype>(PWVCard21Syntax::colonOutsideQuotes(logical), 0));
            if (head.section(QLatin1Char(';'), 0, 0)
                    .section(QLatin1Char('.'), -1)
                    .trimmed()
                    .compare(QLatin1String("LABEL"), Qt::CaseInsensitive)
                != 0)
                continue;
            const QString group = groupOf(logical).toLower();
            for (const auto &[addressGroup, types] : std::as_const(changed)) {
                if (group.isEmpty() ? addressGroup.isEmpty() && typesOf(logical) == types : group == addressGroup)
                    stale.insert(i);
            }
        }
        return stale;
    }

    // Whether the entry's address is no longer the one read: changed or gone.
    bool addressChanged(const PWVCardReader::LineUse &use) const
    {
        const std::optional<PWMultiValue> after = m_after.multiValueForProperty(use.property);
        const std::optional<PWMultiValue> before = m_before.multiValueForProperty(use.property);
        const qsizetype j = after ? after->indexForIdentifier(use.entry) : -1;
        const qsizetype i = before ? before->indexForIdentifier(use.entry) : -1;
        return i < 0 || j < 0 || !(before->valueAtIndex(i) == after->valueAtIndex(j));
    }

    // The types of a written line, lower case and sorted, without the preferred mark.
    static QStringList typesOf(const QString &logical)
    {
        QStringList types;
        const QStringList parts = headParts(withoutPreferredMark(logical.left(PWVCard21Syntax::colonOutsideQuotes(logical))));
        for (qsizetype i = 1; i < parts.size(); ++i) {
            const QString &part = parts.at(i);
            if (!part.contains(QLatin1Char('='))) {
                types.append(part.trimmed().toLower());
            } else if (part.section(QLatin1Char('='), 0, 0)
                           .trimmed()
                           .compare(QLatin1String("TYPE"), Qt::CaseInsensitive)
                       == 0) {
                QString list = part.section(QLatin1Char('='), 1);
                list.remove(QLatin1Char('"'));
                for (const QString &type : list.split(QLatin1Char(',')))
                    types.append(type.trimmed().toLower());
            }
        }
        types.sort();
        return types;
    }

    const PWVCardMerge::Original &m_original;
    const PWPerson &m_before;
    const PWPerson &m_after;
    QHash<QString, PWVCardWriter::Unit> m_written;
    QHash<QString, QStringList> m_writtenBefore;
    QStringList m_writtenOrder;
    QByteArray m_lineEnd;
    QSet<QString> m_groups;
    QHash<QString, QString> m_originalGroups;
    QHash<QString, Change> m_changes;
    QHash<QString, QString> m_substitutes;
    QHash<QString, QByteArray> m_rawSubstitutes;
    QHash<QString, QSet<QString>> m_markedEntries;
    QString m_version;
    // How the card names quoted-printable, for the 2.1 lines written into it.
    QString m_encoding;
};

} // namespace

PWVCardMerge::Original PWVCardMerge::original(const PWVCardSource &source,
                                              const QList<PWVCardReader::LineUse> &contentUses,
                                              std::shared_ptr<const PWPerson> asRead)
{
    Original original;
    original.lines = source.lines;
    original.uses.resize(source.lines.size());
    for (qsizetype i = 0; i < contentUses.size() && i < source.lineOfContent.size(); ++i)
        original.uses[source.lineOfContent.at(i)] = contentUses.at(i);
    original.asRead = std::move(asRead);
    return original;
}

QByteArray PWVCardMerge::merged(const Original &original, const PWPerson &edited)
{
    if (original.lines.size() < 2 || !original.asRead)
        return QByteArray();
    return Merger(original, edited).merged();
}
