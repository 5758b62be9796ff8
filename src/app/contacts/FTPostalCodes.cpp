#include "app/contacts/FTPostalCodes.h"

#include "app/contacts/CAAddressRecognitionTables.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

const CAAddressRecognitionTables::PostalCodes &shapes()
{
    return CAAddressRecognitionTables::shared().postalCodes();
}

bool hasDigit(QStringView word)
{
    for (const QChar c : word)
        if (c.isDigit())
            return true;
    return false;
}

// Words from..to joined with blanks, as far as they exist.
QString joined(const QStringList &words, qsizetype from, qsizetype to)
{
    from = qMax<qsizetype>(from, 0);
    to = qMin<qsizetype>(to, words.size() - 1);
    return to < from ? QString() : words.mid(from, to - from + 1).join(u' ');
}

bool isUKTwoWordCode(const QString &outward, const QString &inward)
{
    return CAAddressRecognitionTables::matchesAnyShape(outward, shapes().ukOutward)
           && CAAddressRecognitionTables::matchesAnyShape(inward, shapes().ukInward);
}

bool isCanadianPair(const QStringList &words, qsizetype i)
{
    return i + 1 < words.size() && CAAddressRecognitionTables::matchesAnyShape(words[i], shapes().canFirst)
           && CAAddressRecognitionTables::matchesAnyShape(words[i + 1], shapes().canSecond);
}

// The words before a code, where the last is the state: "City State", or a lone city.
void splitCityState(const QStringList &words, qsizetype count, CAPersonDictionary &dictionary)
{
    if (count == 1) {
        dictionary[kPersonCityKey] = words[0];
    } else if (count >= 2) {
        dictionary[kPersonStateKey] = words[count - 1];
        dictionary[kPersonCityKey] = joined(words, 0, count - 2);
    }
}

// A British postcode at z: one word, or two when the next word holds a digit. Answers the index
// of its last word.
qsizetype takeUKPostcode(const QStringList &words, qsizetype z, CAPersonDictionary &dictionary)
{
    if (z + 1 < words.size() && hasDigit(words[z + 1])) {
        dictionary[kPersonZipKey] = words[z] + u' ' + words[z + 1];
        return z + 1;
    }
    dictionary[kPersonZipKey] = words[z];
    return z;
}

// State, city and street read backwards from a code that ends the line; only the words that
// exist before the code are taken.
void takeStreetCityState(const QStringList &words, qsizetype z, CAPersonDictionary &dictionary)
{
    if (z >= 1)
        dictionary[kPersonStateKey] = words[z - 1];
    if (z >= 2)
        dictionary[kPersonCityKey] = words[z - 2];
    if (z >= 3)
        dictionary[kPersonStreetKey] = joined(words, 0, z - 3);
}

void takeStreetBefore(const QStringList &words, qsizetype z, CAPersonDictionary &dictionary)
{
    if (z >= 1)
        dictionary[kPersonStreetKey] = joined(words, 0, z - 1);
}

} // namespace

QString countryWithZip(const QString &postalLine, bool *streetFlag, int *postalWordIndex, const QString &countryCode)
{
    if (postalLine.isEmpty())
        return u"us"_s;
    bool flag = false;
    const std::pair<int (*)(const QString &, bool *), QString> finders[] = {
        {&findZipUSA, u"us"_s},
        {&findZipUK, u"uk"_s},
        {&findZipGermany, u"ger"_s},
        {&findZipCanada, u"can"_s},
    };
    for (const auto &[finder, layout] : finders) {
        const int index = finder(postalLine, &flag);
        if (index >= 0) {
            *postalWordIndex = index;
            *streetFlag = flag;
            return layout;
        }
    }
    if (countryCode.isEmpty() || countryCode == u"us"_s)
        return u"us"_s;
    const int index = findZipOtherCountry(postalLine, &flag);
    if (index < 0)
        return u"us"_s;
    *postalWordIndex = index;
    if (countryCode == u"uk"_s) {
        *streetFlag = false;
        return u"uk"_s;
    }
    *streetFlag = flag;
    return index == 0 ? u"ger"_s : u"us"_s;
}

int findZipUSA(const QString &line, bool *streetFlag)
{
    *streetFlag = false;
    const QStringList words = line.split(u' ');
    int last = -1;
    for (int i = 0; i < words.size(); ++i) {
        if (CAAddressRecognitionTables::matchesAnyShape(words[i], shapes().usCodes))
            last = i;
        else if (hasDigit(words[i]))
            *streetFlag = true;
    }
    // A code that opens the line is read the German way.
    return last == 0 ? -1 : last;
}

int findZipUK(const QString &line, bool *streetFlag)
{
    *streetFlag = false;
    const QStringList words = line.split(u' ');
    int result = -1;
    for (int i = 0; i < words.size(); ++i) {
        if (CAAddressRecognitionTables::matchesAnyShape(words[i], shapes().ukOneWord)) {
            result = i;
            continue;
        }
        if (i + 1 < words.size() && isUKTwoWordCode(words[i], words[i + 1]))
            return i;
        if (hasDigit(words[i]))
            *streetFlag = true;
    }
    return result;
}

int findZipGermany(const QString &line, bool *streetFlag)
{
    *streetFlag = false;
    const QStringList words = line.split(u' ');
    int last = -1;
    for (int i = 0; i < words.size(); ++i) {
        if (CAAddressRecognitionTables::matchesAnyShape(words[i], shapes().gerCodes))
            last = i;
        else if (hasDigit(words[i]))
            *streetFlag = true;
    }
    return last == 0 ? 0 : -1;
}

int findZipCanada(const QString &line, bool *streetFlag)
{
    *streetFlag = false;
    const QStringList words = line.split(u' ');
    int result = -1;
    for (int i = 0; i + 1 < words.size(); ++i) {
        const bool pair = isCanadianPair(words, i);
        if (pair)
            result = i;
        // The second half of a code counts as a house number unless it ends the line.
        else if (hasDigit(words[i]))
            *streetFlag = true;
    }
    return result;
}

int findZipOtherCountry(const QString &line, bool *streetFlag)
{
    *streetFlag = false;
    const QStringList words = line.split(u' ');
    int result = -1;
    for (int i = 0; i < words.size(); ++i) {
        if (!hasDigit(words[i]))
            continue;
        if (result < 0)
            result = i;
        else
            *streetFlag = true;
    }
    return result;
}

void parseZipLine(const QString &line, int postalWordIndex, const QString &layout, CAPersonDictionary &dictionary)
{
    if (layout == u"us"_s)
        parseZipLineUSA(line, postalWordIndex, dictionary);
    else if (layout == u"uk"_s)
        parseZipLineUK(line, postalWordIndex, dictionary);
    else if (layout == u"ger"_s)
        parseZipLineGermany(line, postalWordIndex, dictionary);
    else if (layout == u"can"_s)
        parseZipLineCanada(line, postalWordIndex, dictionary);
}

void parseZipLineUSA(const QString &line, int z, CAPersonDictionary &dictionary)
{
    const QStringList words = line.split(u' ');
    if (z < 0 || z >= words.size()) {
        splitCityState(words, words.size(), dictionary);
        return;
    }
    dictionary[kPersonZipKey] = words[z];
    if (z + 1 < words.size())
        dictionary[kPersonCountryKey] = words[z + 1];
    splitCityState(words, z, dictionary);
}

void parseZipLineUK(const QString &line, int z, CAPersonDictionary &dictionary)
{
    const QStringList words = line.split(u' ');
    if (z < 0 || z >= words.size()) {
        dictionary[kPersonCityKey] = line;
        return;
    }
    const qsizetype end = takeUKPostcode(words, z, dictionary);
    if (end + 1 < words.size())
        dictionary[kPersonCountryKey] = joined(words, end + 1, words.size() - 1);
    if (z > 0)
        dictionary[kPersonCityKey] = joined(words, 0, z - 1);
}

void parseZipLineGermany(const QString &line, int z, CAPersonDictionary &dictionary)
{
    const QStringList words = line.split(u' ');
    if (z < 0 || z >= words.size()) {
        dictionary[kPersonCityKey] = line;
        return;
    }
    dictionary[kPersonZipKey] = words[z];
    if (words.size() >= 2)
        dictionary[kPersonCityKey] = joined(words, 1, words.size() - 1);
}

void parseZipLineCanada(const QString &line, int z, CAPersonDictionary &dictionary)
{
    const QStringList words = line.split(u' ');
    if (z < 0 || z + 1 >= words.size()) {
        dictionary[kPersonCityKey] = words.first();
        return;
    }
    dictionary[kPersonZipKey] = words[z] + u' ' + words[z + 1];
    if (z + 2 < words.size())
        dictionary[kPersonCountryKey] = joined(words, z + 2, words.size() - 1);
    splitCityState(words, z, dictionary);
}

void parseStreetZipLine(const QString &line, int postalWordIndex, const QString &layout,
                        CAPersonDictionary &dictionary)
{
    if (layout == u"us"_s)
        parseStreetZipLineUSA(line, postalWordIndex, dictionary);
    else if (layout == u"uk"_s)
        parseStreetZipLineUK(line, postalWordIndex, dictionary);
    else if (layout == u"ger"_s)
        parseStreetZipLineGermany(line, postalWordIndex, dictionary);
    else if (layout == u"can"_s)
        parseStreetZipLineCanada(line, postalWordIndex, dictionary);
}

void parseStreetZipLineUSA(const QString &line, int z, CAPersonDictionary &dictionary)
{
    const QStringList words = line.split(u' ');
    if (z < 0 || z >= words.size())
        return;
    dictionary[kPersonZipKey] = words[z];
    if (z == words.size() - 1) {
        takeStreetCityState(words, z, dictionary);
    } else {
        dictionary[kPersonCityKey] = joined(words, z + 1, words.size() - 1);
        takeStreetBefore(words, z, dictionary);
    }
}

void parseStreetZipLineUK(const QString &line, int z, CAPersonDictionary &dictionary)
{
    const QStringList words = line.split(u' ');
    if (z < 0 || z >= words.size())
        return;
    const qsizetype end = takeUKPostcode(words, z, dictionary);
    if (end == words.size() - 1) {
        takeStreetCityState(words, z, dictionary);
    } else {
        dictionary[kPersonCityKey] = joined(words, end + 1, words.size() - 1);
        takeStreetBefore(words, z, dictionary);
    }
}

void parseStreetZipLineGermany(const QString &line, int z, CAPersonDictionary &dictionary)
{
    const QStringList words = line.split(u' ');
    if (z < 0 || z >= words.size())
        return;
    dictionary[kPersonZipKey] = words[z];
    if (z == 0) {
        if (words.size() >= 2)
            dictionary[kPersonCityKey] = words[1];
        if (words.size() >= 3)
            dictionary[kPersonStreetKey] = joined(words, 2, words.size() - 1);
    } else {
        if (z + 1 < words.size())
            dictionary[kPersonCityKey] = joined(words, z + 1, words.size() - 1);
        takeStreetBefore(words, z, dictionary);
    }
}

void parseStreetZipLineCanada(const QString &line, int z, CAPersonDictionary &dictionary)
{
    const QStringList words = line.split(u' ');
    if (z < 0 || z + 1 >= words.size())
        return;
    dictionary[kPersonZipKey] = words[z] + u' ' + words[z + 1];
    if (z + 1 == words.size() - 1)
        takeStreetCityState(words, z, dictionary);
    else
        takeStreetBefore(words, z, dictionary);
}
