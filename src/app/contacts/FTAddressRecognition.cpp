#include "app/contacts/FTAddressRecognition.h"

#include "app/contacts/FTJapaneseAddress.h"
#include "app/contacts/FTNameLines.h"
#include "app/contacts/FTPostalCodes.h"
#include "kernel/address/FTTextCategories.h"
#include "platform/PWMultiValue.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWPlist.h"

using namespace Qt::StringLiterals;

namespace {

const QString kDepartmentProperty = u"ABDepartment"_s;

bool isLineEnd(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar(0x0085) || c == QChar(0x2028) || c == QChar(0x2029);
}

// Telephone and fax numbers: ten digits or more in a row once the usual punctuation is gone.
bool holdsContactData(const QString &line)
{
    int run = 0;
    for (const QChar c : line) {
        if (c == u' ' || c == u'-' || c == u'(' || c == u')' || c == u'/')
            continue;
        if (c == u'@')
            return true;
        if (c.isDigit()) {
            if (++run > 9)
                return true;
        } else {
            run = 0;
        }
    }
    return false;
}

// Characters that show nothing and mean nothing in an address, yet would travel into the fields:
// control characters (the line ends aside), byte-order marks and the marks that turn the
// direction of text. Joiners stay: some scripts need them.
bool isInvisibleControl(QChar c)
{
    if (isLineEnd(c))
        return false;
    switch (c.category()) {
    case QChar::Other_Control:
        return true;
    case QChar::Other_Format:
        return c != QChar(0x200C) && c != QChar(0x200D);
    default:
        return false;
    }
}

// Skips a terminal escape sequence that starts at `at` (ESC, or the one-character CSI U+009B):
// the index after it.
qsizetype afterEscapeSequence(const QString &text, qsizetype at)
{
    const auto within = [&text](qsizetype i, char16_t low, char16_t high) {
        return i < text.size() && text[i].unicode() >= low && text[i].unicode() <= high;
    };
    qsizetype i = at + 1;
    bool control = text[at] == QChar(0x009B);
    if (!control && i < text.size() && text[i] == u'[') {
        control = true;
        ++i;
    }
    if (control) {
        // Parameters, intermediates, then one final character.
        while (within(i, 0x30, 0x3F))
            ++i;
        while (within(i, 0x20, 0x2F))
            ++i;
        return within(i, 0x40, 0x7E) ? i + 1 : i;
    }
    if (i < text.size() && (text[i] == u']' || text[i] == u'P' || text[i] == u'_' || text[i] == u'^')) {
        // A string up to BEL or ESC \, never past the line.
        for (++i; i < text.size() && !isLineEnd(text[i]); ++i) {
            if (text[i] == QChar(0x07))
                return i + 1;
            if (text[i] == QChar(0x1B))
                return i + 1 < text.size() && text[i + 1] == u'\\' ? i + 2 : i + 1;
        }
        return i;
    }
    while (within(i, 0x20, 0x2F))
        ++i;
    return within(i, 0x30, 0x7E) ? i + 1 : i;
}

} // namespace

QString withoutControlCharacters(const QString &text)
{
    QString kept;
    kept.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        if (c == QChar(0x1B) || c == QChar(0x009B)) {
            i = afterEscapeSequence(text, i);
            continue;
        }
        // A tab parts words as a space does.
        if (c == u'\t')
            kept += u' ';
        else if (!isInvisibleControl(c))
            kept += c;
        ++i;
    }
    return kept;
}

const QStringList &personDictionaryKeys()
{
    static const QStringList keys = {
        kPersonPrefixKey, kPersonFirstNameKey, kPersonLastNameKey, kPersonSuffixKey,
        kPersonCompanyKey, kPersonDepartmentKey, kPersonStreetKey, kPersonCityKey,
        kPersonStateKey, kPersonZipKey, kPersonCountryKey,
    };
    return keys;
}

CAPersonDictionary emptyPersonDictionary()
{
    CAPersonDictionary dictionary;
    for (const QString &key : personDictionaryKeys())
        dictionary.insert(key, QString(u""_s));
    return dictionary;
}

QStringList splitServiceTextLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isLineEnd(text[i]))
            continue;
        lines.append(text.mid(start, i - start).trimmed());
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.mid(start).trimmed());
    return lines;
}

QStringList arrayByTrimmingCharacters(const QStringList &lines)
{
    QStringList cleaned;
    for (const QString &line : lines) {
        QStringList words;
        for (QString word : line.split(u' ')) {
            if (word.trimmed().isEmpty())
                continue;
            if (word.endsWith(u','))
                word.chop(1);
            words.append(word);
        }
        QString joinedWords = words.join(u' ');
        if (!joinedWords.isEmpty())
            cleaned.append(joinedWords);
    }
    return cleaned;
}

QStringList deleteUnneededLine(const QStringList &lines)
{
    QStringList kept;
    for (const QString &line : lines) {
        const QString firstWord = line.section(u' ', 0, 0);
        if (wordMatchesList(firstWord, kOtherPrefixArrayKey) || holdsContactData(line))
            continue;
        kept.append(line);
    }
    return kept;
}

CAAddressLayout findAddressLayout(const QStringList &lines)
{
    CAAddressLayout found;
    for (int i = 0; i < lines.size(); ++i) {
        for (const QChar c : lines[i]) {
            if (c.isDigit()) {
                found.digitLines.append(i);
                break;
            }
        }
    }
    if (lines.isEmpty())
        return found;
    if (!found.digitLines.isEmpty() && found.digitLines.size() <= 3)
        found.postalLine = found.digitLines.last();
    const QString countryCode = FTTextCategories::getCountryCodeFromString(lines.last());
    found.layout = countryWithZip(found.postalLine >= 0 ? lines[found.postalLine] : QString(), &found.streetFlag,
                                  &found.postalWordIndex, countryCode);
    return found;
}

void getAddressLinesIndex(CAAddressLineRoles &roles, int lineCount, const QList<int> &digitLines,
                          const QString &layout, int postalWordIndex, bool streetFlag)
{
    roles = CAAddressLineRoles();
    if (layout == u"us"_s)
        getAddressLinesIndexUSA(roles, lineCount, digitLines, postalWordIndex, streetFlag);
    else if (layout == u"uk"_s)
        getAddressLinesIndexUK(roles, lineCount, digitLines, postalWordIndex, streetFlag);
    else if (layout == u"ger"_s)
        getAddressLinesIndexGermany(roles, lineCount, digitLines, postalWordIndex, streetFlag);
    else if (layout == u"can"_s)
        getAddressLinesIndexCanada(roles, lineCount, digitLines, postalWordIndex, streetFlag);
}

void getAddressLinesIndexUSA(CAAddressLineRoles &roles, int lineCount, const QList<int> &digitLines,
                             int postalWordIndex, bool streetFlag)
{
    CAAddressRecognitionTables::shared().assignRoles(roles, u"us"_s, lineCount, digitLines, postalWordIndex,
                                                     streetFlag);
}

void getAddressLinesIndexUK(CAAddressLineRoles &roles, int lineCount, const QList<int> &digitLines,
                            int postalWordIndex, bool streetFlag)
{
    CAAddressRecognitionTables::shared().assignRoles(roles, u"uk"_s, lineCount, digitLines, postalWordIndex,
                                                     streetFlag);
}

void getAddressLinesIndexGermany(CAAddressLineRoles &roles, int lineCount, const QList<int> &digitLines,
                                 int postalWordIndex, bool streetFlag)
{
    CAAddressRecognitionTables::shared().assignRoles(roles, u"ger"_s, lineCount, digitLines, postalWordIndex,
                                                     streetFlag);
}

void getAddressLinesIndexCanada(CAAddressLineRoles &roles, int lineCount, const QList<int> &digitLines,
                                int postalWordIndex, bool streetFlag)
{
    CAAddressRecognitionTables::shared().assignRoles(roles, u"can"_s, lineCount, digitLines, postalWordIndex,
                                                     streetFlag);
}

CAPersonDictionary fillPersonDictionaryWithLines(const QStringList &lines, CAAddressLineRoles roles,
                                                 const QString &layout, int postalWordIndex)
{
    CAPersonDictionary dictionary = emptyPersonDictionary();
    const int lineCount = int(lines.size());
    int companyStart = roles[companyLine];
    int companyEnd = roles[companyLine];

    if (roles[streetLine] >= 0) {
        parseStreetLine(lines[roles[streetLine]], dictionary);
        companyEnd = roles[streetLine];
    }
    if (roles[streetZipLine] >= 0) {
        parseStreetZipLine(lines[roles[streetZipLine]], postalWordIndex, layout, dictionary);
        companyEnd = roles[streetZipLine];
    }

    // A line with a title or a suffix is the name wherever it stands; what comes before it is
    // the company.
    const int prefixSuffixLine = searchPrefixSuffix(lines);
    if (prefixSuffixLine > 0) {
        roles[nameLine] = prefixSuffixLine;
        roles[companyLine] = 0;
    }
    if (roles[nameLine] >= 0) {
        companyStart = prefixSuffixLine > 0 ? 0 : roles[nameLine] + 1;
        parseNameLine(lines[roles[nameLine]], dictionary);
    }

    if (roles[companyLine] >= 0 && companyStart < lineCount) {
        // Without a street to end it, the company runs up to the next line that plays another
        // part, and never past the last line.
        if (companyEnd < 0) {
            companyEnd = lineCount;
            for (int i = companyStart + 1; i < lineCount && companyEnd == lineCount; ++i) {
                for (addressLines role : {cityLine, stateLine, zipLine, countryLine}) {
                    if (roles[role] == i) {
                        companyEnd = i;
                        break;
                    }
                }
            }
        }
        QString company = lines[companyStart];
        for (int i = companyStart + 1; i < qMin(companyEnd, lineCount); ++i) {
            if (i != prefixSuffixLine)
                company += u' ' + lines[i];
        }
        parseCompanyLine(company, dictionary);
    }

    if (roles[cityLine] >= 0)
        parseCityLine(lines[roles[cityLine]], dictionary);
    if (roles[stateLine] >= 0)
        parseStateLine(lines[roles[stateLine]], dictionary);

    if (roles[zipLine] >= 0) {
        parseZipLine(lines[roles[zipLine]], postalWordIndex, layout, dictionary);
        // Lines between the street and a postal line that opens with its code name the place.
        if (roles[cityLine] < 0 && roles[stateLine] < 0 && roles[streetLine] >= 0
            && roles[zipLine] - roles[streetLine] > 1 && postalWordIndex == 0) {
            const QString code = FTTextCategories::getCountryCodeFromString(lines.last());
            const QString placeLayout = code.isEmpty()                            ? layout
                                        : code == u"de"_s || code == u"fr"_s ? u"ger"_s
                                                                              : u"us"_s;
            const QString place = lines.mid(roles[streetLine] + 1, roles[zipLine] - roles[streetLine] - 1).join(u' ');
            parseZipLine(place, -1, placeLayout, dictionary);
        }
    }

    if (roles[countryLine] >= 0)
        parseCountryLine(lines[roles[countryLine]], dictionary);
    return dictionary;
}

void parseStreetLine(const QString &line, CAPersonDictionary &dictionary)
{
    dictionary[kPersonStreetKey] = line;
}

void parseCityLine(const QString &line, CAPersonDictionary &dictionary)
{
    dictionary[kPersonCityKey] = line;
}

void parseStateLine(const QString &line, CAPersonDictionary &dictionary)
{
    dictionary[kPersonStateKey] = line;
}

void parseCountryLine(const QString &line, CAPersonDictionary &dictionary)
{
    dictionary[kPersonCountryKey] = line;
}

CAPersonDictionary parseServiceText(const QString &text)
{
    const QStringList given = splitServiceTextLines(withoutControlCharacters(text));
    // A Japanese address runs the other way round and parts its romanized pieces by commas,
    // which the cleaning below takes away.
    if (std::optional<CAPersonDictionary> japanese = parseJapaneseAddress(deleteUnneededLine(given)))
        return *japanese;
    const QStringList lines = deleteUnneededLine(arrayByTrimmingCharacters(given));
    if (lines.isEmpty())
        return emptyPersonDictionary();
    const CAAddressLayout found = findAddressLayout(lines);
    CAAddressLineRoles roles;
    getAddressLinesIndex(roles, int(lines.size()), found.digitLines, found.layout, found.postalWordIndex,
                         found.streetFlag);
    return fillPersonDictionaryWithLines(lines, roles, found.layout, found.postalWordIndex);
}

CAAddressTexts firstAddressOfText(const QString &text)
{
    const QStringList given = splitServiceTextLines(withoutControlCharacters(text));
    CAAddressTexts found{text, 0};
    qsizetype firstEnd = 0;
    qsizetype blockStart = 0;
    const auto closeBlock = [&](qsizetype end) {
        if (end > blockStart) {
            const QStringList lines = deleteUnneededLine(arrayByTrimmingCharacters(given.mid(blockStart, end - blockStart)));
            if (!lines.isEmpty() && findAddressLayout(lines).postalWordIndex >= 0 && ++found.count == 1)
                firstEnd = end;
        }
        blockStart = end + 1;
    };
    for (qsizetype i = 0; i < given.size(); ++i)
        if (given[i].isEmpty())
            closeBlock(i);
    closeBlock(given.size());
    if (found.count > 1)
        found.first = given.mid(0, firstEnd).join(u'\n');
    return found;
}

std::shared_ptr<PWPerson> initABPersonWithDictionary(const CAPersonDictionary &dictionary)
{
    auto person = PWPerson::create();
    const auto text = [&dictionary](const QString &key) { return PWPlist::fromString(dictionary.value(key)); };
    person->setValueForProperty(kPWTitleProperty, text(kPersonPrefixKey));
    person->setValueForProperty(kPWFirstNameProperty, text(kPersonFirstNameKey));
    person->setValueForProperty(kPWLastNameProperty, text(kPersonLastNameKey));
    person->setValueForProperty(kPWSuffixProperty, text(kPersonSuffixKey));
    person->setValueForProperty(kPWOrganizationProperty, text(kPersonCompanyKey));
    person->setValueForProperty(kDepartmentProperty, text(kPersonDepartmentKey));

    PWPlist::Dictionary address;
    for (const QString &key : {kPWAddressStreetKey, kPWAddressCityKey, kPWAddressStateKey, kPWAddressZIPKey,
                               kPWAddressCountryKey})
        address.insert(key, PWPlist::fromString(QString(u""_s)));
    address.insert(kPWAddressStreetKey, text(kPersonStreetKey));
    address.insert(kPWAddressCityKey, text(kPersonCityKey));
    address.insert(kPWAddressStateKey, text(kPersonStateKey));
    address.insert(kPWAddressZIPKey, text(kPersonZipKey));
    address.insert(kPWAddressCountryKey, text(kPersonCountryKey));
    PWMultiValue addresses;
    addresses.addValue(PWPlist(address), kPWAddressWorkLabel);
    person->setMultiValueForProperty(kPWAddressProperty, addresses);
    return person;
}
