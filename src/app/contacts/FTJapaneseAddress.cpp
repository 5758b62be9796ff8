#include "app/contacts/FTJapaneseAddress.h"

#include "app/contacts/CAAddressRecognitionTables.h"
#include "app/contacts/FTNameLines.h"
#include "kernel/address/FTTextCategories.h"

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QChar kPostalMark(0x3012); // 〒

bool isJapaneseScript(QChar c)
{
    const QChar::Script script = c.script();
    return script == QChar::Script_Han || script == QChar::Script_Hiragana || script == QChar::Script_Katakana;
}

bool holdsJapaneseScript(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), isJapaneseScript);
}

bool holdsDigit(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); });
}

bool isJapan(const QString &text)
{
    const QString word = stripWordMark(text.trimmed());
    return word == u"日本"_s || word == u"日本国"_s || word.compare(u"Japan"_s, Qt::CaseInsensitive) == 0
           || FTTextCategories::getCountryCodeFromString(word) == u"jp"_s;
}

// The code a word opens (full-width digits and dashes read as their plain forms), and what
// follows it in the word; nothing when the word holds no code. A code with more after it counts
// only behind the postal mark.
std::optional<std::pair<QString, QString>> postalCode(QString word)
{
    const bool marked = word.startsWith(kPostalMark);
    if (marked)
        word = word.mid(1).trimmed();
    if (word.endsWith(u','))
        word.chop(1);
    const QStringList &shapes = CAAddressRecognitionTables::shared().postalCodes().jpCodes;
    for (const QString &shape : shapes) {
        if (word.size() < shape.size() || (!marked && word.size() != shape.size()))
            continue;
        const QString code = word.left(shape.size()).normalized(QString::NormalizationForm_KC);
        if (CAAddressRecognitionTables::matchesShape(code, shape))
            return std::make_pair(code, word.mid(shape.size()).trimmed());
    }
    return std::nullopt;
}

// The words of a line; an ideographic space parts them as a blank does.
QStringList wordsOf(QString line)
{
    line.replace(QChar(0x3000), u' ');
    return line.split(u' ', Qt::SkipEmptyParts);
}

// The length of the prefecture that opens the address ("東京都", "北海道", "京都府", "神奈川県"),
// 0 when it opens with none.
qsizetype prefectureLength(const QString &address)
{
    for (const QString &ends : {u"府県"_s, u"都道"_s}) {
        for (qsizetype i = 1; i < std::min<qsizetype>(address.size(), 4); ++i)
            if (ends.contains(address.at(i)))
                return i + 1;
    }
    return 0;
}

// The length of the municipality that opens the rest: a city, ward, town or village, a ward of
// a city and a town of a county with it.
qsizetype municipalityLength(const QString &rest)
{
    const auto next = [&rest](qsizetype from, const QString &ends) {
        for (qsizetype i = from; i < rest.size(); ++i) {
            if (rest.at(i).isDigit())
                return qsizetype(-1);
            if (ends.contains(rest.at(i)))
                return i;
        }
        return qsizetype(-1);
    };
    qsizetype end = next(1, u"市区町村郡"_s);
    if (end < 0)
        return 0;
    if (rest.at(end) == u'郡' || rest.at(end) == u'市') {
        const qsizetype inner = next(end + 2, rest.at(end) == u'郡' ? u"町村"_s : u"区"_s);
        if (inner > end && (rest.at(end) == u'郡' || inner - end <= 4))
            end = inner;
    }
    return end + 1;
}

void setName(const QStringList &words, CAPersonDictionary &dictionary)
{
    QStringList name = words;
    // An honorific after the name is no part of it.
    if (!name.isEmpty() && (name.last() == u"様"_s || name.last() == u"殿"_s))
        name.removeLast();
    else if (!name.isEmpty() && name.last().size() > 1 && name.last().endsWith(u'様'))
        name.last().chop(1);
    if (name.isEmpty())
        return;
    if (!holdsJapaneseScript(name.join(QString()))) {
        parseNameLine(name.join(u' '), dictionary);
        return;
    }
    dictionary[kPersonLastNameKey] = name.first();
    dictionary[kPersonFirstNameKey] = name.mid(1).join(u' ');
}

// The code, the address from the prefecture down, the company and the family name first.
CAPersonDictionary readInJapaneseScript(const QList<QStringList> &lines, const QString &code)
{
    CAPersonDictionary dictionary = emptyPersonDictionary();
    dictionary[kPersonZipKey] = code;
    QStringList address;
    QList<QStringList> others;
    for (const QStringList &line : lines) {
        QStringList rest;
        for (const QString &word : line) {
            if (holdsDigit(word) || (address.isEmpty() && prefectureLength(word) > 0 && holdsJapaneseScript(word)))
                address.append(word);
            else if (isJapan(word))
                dictionary[kPersonCountryKey] = word;
            else
                rest.append(word);
        }
        if (!rest.isEmpty())
            others.append(rest);
    }
    if (!address.isEmpty()) {
        QString first = address.takeFirst();
        const qsizetype prefecture = prefectureLength(first);
        dictionary[kPersonStateKey] = first.left(prefecture);
        first = first.mid(prefecture);
        const qsizetype municipality = municipalityLength(first);
        dictionary[kPersonCityKey] = first.left(municipality);
        address.prepend(first.mid(municipality));
        address.removeAll(QString());
        dictionary[kPersonStreetKey] = address.join(u' ');
    }
    // The last line that is no address is the person's, those before it the company's.
    if (!others.isEmpty())
        setName(others.takeLast(), dictionary);
    QStringList company;
    for (const QStringList &line : std::as_const(others))
        company.append(line.join(u' '));
    dictionary[kPersonCompanyKey] = company.join(u' ');
    return dictionary;
}

// Name, company, street, municipality, then the prefecture beside the code, and the country: the
// parts as commas and lines part them.
CAPersonDictionary readRomanized(const QStringList &lines, const QString &code)
{
    CAPersonDictionary dictionary = emptyPersonDictionary();
    dictionary[kPersonZipKey] = code;
    QStringList parts;
    for (const QString &line : lines)
        for (const QString &part : line.split(u','))
            if (!part.trimmed().isEmpty())
                parts.append(wordsOf(part).join(u' '));
    qsizetype postal = -1;
    for (qsizetype i = 0; i < parts.size() && postal < 0; ++i) {
        QStringList words = wordsOf(parts.at(i));
        for (qsizetype w = 0; w < words.size(); ++w) {
            if (postalCode(words.at(w)) && postalCode(words.at(w))->first == code) {
                words.removeAt(w);
                dictionary[kPersonStateKey] = words.join(u' ');
                postal = i;
                break;
            }
        }
    }
    QStringList before = parts.mid(0, postal);
    for (const QString &after : parts.mid(postal + 1))
        if (isJapan(after) && dictionary.value(kPersonCountryKey).isEmpty())
            dictionary[kPersonCountryKey] = after;
    if (dictionary.value(kPersonStateKey).isEmpty() && before.size() > 1 && !holdsDigit(before.last()))
        dictionary[kPersonStateKey] = before.takeLast();
    if (!before.isEmpty() && !holdsDigit(before.first()))
        parseNameLine(before.takeFirst(), dictionary);
    const qsizetype street = std::distance(before.cbegin(), std::find_if(before.cbegin(), before.cend(), holdsDigit));
    QStringList company = before.mid(0, street);
    QStringList place = before.mid(street);
    if (place.size() > 1)
        dictionary[kPersonCityKey] = place.takeLast();
    else if (place.isEmpty() && company.size() > 1)
        dictionary[kPersonCityKey] = company.takeLast();
    dictionary[kPersonStreetKey] = place.join(u", "_s);
    dictionary[kPersonCompanyKey] = company.join(u' ');
    return dictionary;
}

} // namespace

std::optional<CAPersonDictionary> parseJapaneseAddress(const QStringList &lines)
{
    QString code;
    bool script = false;
    QList<QStringList> words;
    for (const QString &line : lines) {
        QStringList kept;
        for (const QString &word : wordsOf(line)) {
            const auto found = code.isEmpty() ? postalCode(word) : std::nullopt;
            if (!found) {
                kept.append(word);
                continue;
            }
            code = found->first;
            if (!found->second.isEmpty())
                kept.append(found->second);
        }
        script = script || holdsJapaneseScript(kept.join(QString()));
        if (!kept.isEmpty())
            words.append(kept);
    }
    if (code.isEmpty())
        return std::nullopt;
    if (script)
        return readInJapaneseScript(words, code);
    // In Latin letters alone the shape of the code is also that of a local telephone number: the
    // postal mark or the country's name tells the address.
    const bool named = std::any_of(lines.cbegin(), lines.cend(), [](const QString &line) {
        const QStringList parts = line.split(u',');
        return line.contains(kPostalMark) || std::any_of(parts.cbegin(), parts.cend(), isJapan);
    });
    if (!named)
        return std::nullopt;
    return readRomanized(lines, code);
}
