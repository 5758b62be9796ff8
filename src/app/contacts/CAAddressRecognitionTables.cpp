#include "app/contacts/CAAddressRecognitionTables.h"

#include "app/contacts/CARecognitionLog.h"
#include "platform/PWBundle.h"
#include "platform/PWPlist.h"

using namespace Qt::StringLiterals;

namespace {

const QStringList kLayouts = {u"us"_s, u"uk"_s, u"ger"_s, u"can"_s};

std::optional<addressLines> roleNamed(const QString &name)
{
    static const QList<std::pair<QString, addressLines>> names = {
        {u"name"_s, nameLine}, {u"company"_s, companyLine}, {u"street"_s, streetLine},
        {u"streetZip"_s, streetZipLine}, {u"city"_s, cityLine}, {u"state"_s, stateLine},
        {u"zip"_s, zipLine}, {u"country"_s, countryLine},
    };
    for (const auto &[text, role] : names)
        if (text == name)
            return role;
    return std::nullopt;
}

// A non-empty list of non-empty shapes at path "layout/key".
bool readShapes(const PWPlist &codes, const QString &layout, const QString &key, QStringList *shapes, QString *error)
{
    const PWPlist list = codes.value(layout).value(key);
    if (!list.isArray() || list.toArray().isEmpty()) {
        *error = u"\"Postal Codes\" lacks the shapes \"%1/%2\""_s.arg(layout, key);
        return false;
    }
    for (const PWPlist &shape : list.toArray()) {
        if (!shape.isString() || shape.toString().isEmpty()) {
            *error = u"\"Postal Codes/%1/%2\" holds something that is no shape"_s.arg(layout, key);
            return false;
        }
        shapes->append(shape.toString());
    }
    return true;
}

} // namespace

const CAAddressRecognitionTables &CAAddressRecognitionTables::shared()
{
    static const CAAddressRecognitionTables tables = [] {
        QString error;
        const QByteArray bytes = PWBundle::mainBundle().resourceData(u"AddressRecognition"_s, u"xml"_s);
        if (bytes.isEmpty())
            error = u"the resource \"AddressRecognition.xml\" is missing"_s;
        else if (auto read = fromData(bytes, &error))
            return *read;
        CAAddressRecognitionTables empty;
        empty.m_loadError = error;
        qCCritical(lcRecognition) << "Addresses cannot be recognised:" << error;
        return empty;
    }();
    return tables;
}

bool CAAddressRecognitionTables::matchesShape(QStringView word, QStringView shape)
{
    if (word.size() != shape.size())
        return false;
    for (qsizetype i = 0; i < word.size(); ++i) {
        const QChar c = word[i];
        const QChar s = shape[i];
        if (s == u'D' ? !c.isDigit() : s == u'L' ? !c.isLetter() : c != s)
            return false;
    }
    return true;
}

bool CAAddressRecognitionTables::matchesAnyShape(QStringView word, const QStringList &shapes)
{
    for (const QString &shape : shapes)
        if (matchesShape(word, shape))
            return true;
    return false;
}

std::optional<CAAddressRecognitionTables> CAAddressRecognitionTables::fromData(const QByteArray &bytes, QString *error)
{
    QString reason;
    QString *why = error ? error : &reason;
    const std::optional<PWPlist> root = PWPlist::parse(bytes, why, 16);
    if (!root)
        return std::nullopt;
    if (!root->isDictionary()) {
        *why = u"the tables are no dictionary"_s;
        return std::nullopt;
    }

    CAAddressRecognitionTables tables;
    const PWPlist codes = root->value(u"Postal Codes"_s);
    PostalCodes &shapes = tables.m_postalCodes;
    if (!readShapes(codes, u"us"_s, u"Code"_s, &shapes.usCodes, why)
        || !readShapes(codes, u"uk"_s, u"One Word"_s, &shapes.ukOneWord, why)
        || !readShapes(codes, u"uk"_s, u"Outward"_s, &shapes.ukOutward, why)
        || !readShapes(codes, u"uk"_s, u"Inward"_s, &shapes.ukInward, why)
        || !readShapes(codes, u"ger"_s, u"Code"_s, &shapes.gerCodes, why)
        || !readShapes(codes, u"can"_s, u"First"_s, &shapes.canFirst, why)
        || !readShapes(codes, u"can"_s, u"Second"_s, &shapes.canSecond, why)
        || !readShapes(codes, u"jp"_s, u"Code"_s, &shapes.jpCodes, why))
        return std::nullopt;

    const PWPlist rows = root->value(u"Line Roles"_s);
    if (!rows.isArray() || rows.toArray().isEmpty()) {
        *why = u"the tables lack \"Line Roles\""_s;
        return std::nullopt;
    }
    for (qsizetype index = 0; index < rows.toArray().size(); ++index) {
        const PWPlist entry = rows.at(index);
        const QString where = u"line-role row %1: "_s.arg(index);
        Row row;
        for (const PWPlist &layout : entry.value(u"Layouts"_s).toArray()) {
            if (!kLayouts.contains(layout.toString())) {
                *why = where + u"unknown layout \"%1\""_s.arg(layout.toString());
                return std::nullopt;
            }
            row.layouts.append(layout.toString());
        }
        if (row.layouts.isEmpty()) {
            *why = where + u"no layout"_s;
            return std::nullopt;
        }

        const QString digits = entry.value(u"Digit Lines"_s).toString();
        if (digits == u"other"_s)
            row.digitLines = 0;
        else if (digits == u"1"_s || digits == u"2"_s || digits == u"3"_s)
            row.digitLines = digits.toInt();
        else {
            *why = where + u"\"Digit Lines\" is neither 1, 2, 3 nor \"other\""_s;
            return std::nullopt;
        }

        const auto match = [&](const QString &key, const QString &yes, const QString &no, Match *result) {
            const QString text = entry.value(key).toString();
            if (text == u"any"_s)
                *result = Match::Any;
            else if (text == yes)
                *result = Match::Yes;
            else if (text == no)
                *result = Match::No;
            else {
                *why = where + u"\"%1\" is neither \"%2\", \"%3\" nor \"any\""_s.arg(key, yes, no);
                return false;
            }
            return true;
        };
        if (!match(u"Postal Code"_s, u"found"_s, u"none"_s, &row.postalCode)
            || !match(u"Street"_s, u"yes"_s, u"no"_s, &row.street))
            return std::nullopt;

        for (const PWPlist &text : entry.value(u"Roles"_s).toArray()) {
            QString ruleError;
            const std::optional<Rule> rule = parseRule(text.toString(), row.digitLines, &ruleError);
            if (!rule) {
                *why = where + u"\"%1\": "_s.arg(text.toString()) + ruleError;
                return std::nullopt;
            }
            row.rules.append(*rule);
        }
        if (row.rules.isEmpty()) {
            *why = where + u"no roles"_s;
            return std::nullopt;
        }
        tables.m_rows.append(row);
    }
    return tables;
}

// A sum of terms such as "L-D0+1". A row may name only the digit lines it is chosen for.
std::optional<CAAddressRecognitionTables::Sum> CAAddressRecognitionTables::parseSum(QString text, int digitLines,
                                                                                  QString *error)
{
    text.remove(u' ');
    if (text.isEmpty()) {
        *error = u"a line or a side of a condition is missing"_s;
        return std::nullopt;
    }
    Sum sum;
    qsizetype at = 0;
    while (at < text.size()) {
        int sign = 1;
        if (text[at] == u'+' || text[at] == u'-') {
            sign = text[at] == u'-' ? -1 : 1;
            ++at;
        } else if (at != 0) {
            *error = u"\"%1\" is no sum"_s.arg(text);
            return std::nullopt;
        }
        qsizetype end = at;
        while (end < text.size() && text[end] != u'+' && text[end] != u'-')
            ++end;
        const QString term = text.mid(at, end - at);
        bool number = false;
        const int value = term.toInt(&number);
        if (number && !term.isEmpty() && term[0].isDigit()) {
            sum.constant += sign * value;
        } else if (term == u"L"_s) {
            sum.l += sign;
        } else if (term.size() == 2 && term[0] == u'D' && term[1] >= u'0' && term[1] <= u'2') {
            const int which = term[1].unicode() - u'0';
            if (which >= digitLines) {
                *error = u"the row has no digit line %1"_s.arg(term);
                return std::nullopt;
            }
            sum.d[which] += sign;
        } else {
            *error = u"unknown term \"%1\""_s.arg(term);
            return std::nullopt;
        }
        at = end;
    }
    return sum;
}

std::optional<CAAddressRecognitionTables::Condition> CAAddressRecognitionTables::parseCondition(const QString &text,
                                                                                              int digitLines,
                                                                                              QString *error)
{
    // Two-character operators first, so that ">=" is not read as ">" followed by "=".
    static const QList<std::pair<QString, Condition::Op>> operators = {
        {u">="_s, Condition::GreaterOrEqual}, {u"<="_s, Condition::LessOrEqual}, {u"!="_s, Condition::NotEqual},
        {u">"_s, Condition::Greater},         {u"<"_s, Condition::Less},         {u"="_s, Condition::Equal},
    };
    for (const auto &[symbol, op] : operators) {
        const qsizetype at = text.indexOf(symbol);
        if (at < 0)
            continue;
        const auto left = parseSum(text.left(at), digitLines, error);
        const auto right = left ? parseSum(text.mid(at + symbol.size()), digitLines, error) : std::nullopt;
        if (!right)
            return std::nullopt;
        return Condition{*left, op, *right};
    }
    *error = u"\"%1\" compares nothing"_s.arg(text.trimmed());
    return std::nullopt;
}

std::optional<CAAddressRecognitionTables::Rule> CAAddressRecognitionTables::parseRule(const QString &text,
                                                                                    int digitLines, QString *error)
{
    const qsizetype when = text.indexOf(u" when "_s);
    const QString assignment = (when < 0 ? text : text.left(when)).trimmed();
    const qsizetype blank = assignment.indexOf(u' ');
    if (blank < 0) {
        *error = u"a role needs a line"_s;
        return std::nullopt;
    }
    Rule rule;
    const std::optional<addressLines> role = roleNamed(assignment.left(blank));
    if (!role) {
        *error = u"unknown role \"%1\""_s.arg(assignment.left(blank));
        return std::nullopt;
    }
    rule.role = *role;
    const std::optional<Sum> line = parseSum(assignment.mid(blank + 1), digitLines, error);
    if (!line)
        return std::nullopt;
    rule.line = *line;
    if (when >= 0) {
        for (const QString &part : text.mid(when + 6).split(u',')) {
            const std::optional<Condition> condition = parseCondition(part, digitLines, error);
            if (!condition)
                return std::nullopt;
            rule.when.append(*condition);
        }
    }
    return rule;
}

int CAAddressRecognitionTables::Sum::value(int lineCount, const std::array<int, 3> &digitLines) const
{
    return constant + l * lineCount + d[0] * digitLines[0] + d[1] * digitLines[1] + d[2] * digitLines[2];
}

bool CAAddressRecognitionTables::assignRoles(CAAddressLineRoles &roles, const QString &layout, int lineCount,
                                             const QList<int> &digitLines, int postalWordIndex, bool streetFlag) const
{
    const qsizetype count = digitLines.size();
    const int digitClass = count >= 1 && count <= 3 ? int(count) : 0;
    std::array<int, 3> d{-1, -1, -1};
    for (int i = 0; i < digitClass; ++i)
        d[i] = digitLines[i];
    const auto fits = [](Match match, bool value) {
        return match == Match::Any || (match == Match::Yes) == value;
    };
    for (const Row &row : m_rows) {
        if (row.digitLines != digitClass || !row.layouts.contains(layout) || !fits(row.postalCode, postalWordIndex >= 0)
            || !fits(row.street, streetFlag))
            continue;
        for (const Rule &rule : row.rules) {
            bool holds = true;
            for (const Condition &condition : rule.when) {
                const int left = condition.left.value(lineCount, d);
                const int right = condition.right.value(lineCount, d);
                switch (condition.op) {
                case Condition::Greater: holds = left > right; break;
                case Condition::GreaterOrEqual: holds = left >= right; break;
                case Condition::Less: holds = left < right; break;
                case Condition::LessOrEqual: holds = left <= right; break;
                case Condition::Equal: holds = left == right; break;
                case Condition::NotEqual: holds = left != right; break;
                }
                if (!holds)
                    break;
            }
            const int line = rule.line.value(lineCount, d);
            if (holds && line >= 0 && line < lineCount)
                roles[rule.role] = line;
        }
        return true;
    }
    return false;
}
