#include "kernel/base/FTUtilities.h"

#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/CDDVariant.h"
#include "kernel/base/FTCalendarFormat.h"
#include "kernel/base/FTMacRoman.h"
#include "platform/PWBundle.h"
#include "platform/PWGroup.h"
#include "platform/PWUserDefaults.h"

#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>
#include <charconv>
#include <climits>
#include <iterator>
#include <limits>
#include <vector>

namespace {

bool isCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// atoi of the C library, without its undefined behaviour on overflow.
int leadingInt(const char *p, const char *end)
{
    while (p < end && isCSpace(*p))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-'))
        negative = *p++ == '-';
    qint64 value = 0;
    for (; p < end && isDigit(*p); ++p) {
        value = value * 10 + (*p - '0');
        if (value > qint64(INT_MAX) + 1)
            value = qint64(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    return static_cast<int>(std::clamp<qint64>(value, INT_MIN, INT_MAX));
}

// atof of the C library in the C locale (the process locale may use another decimal mark).
double leadingDouble(const char *p, const char *end)
{
    while (p < end && isCSpace(*p))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-'))
        negative = *p++ == '-';
    if (p < end && (*p == '+' || *p == '-'))
        return 0.0;
    double value = 0.0;
    auto format = std::chars_format::general;
    if (end - p > 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        p += 2;
        format = std::chars_format::hex;
    }
    const std::from_chars_result result = std::from_chars(p, end, value, format);
    if (result.ec == std::errc::invalid_argument)
        return 0.0;
    // Out of range: from_chars leaves the value alone where strtod answers infinity or zero.
    if (result.ec == std::errc::result_out_of_range) {
        const bool tiny = [&] {
            for (const char *q = p; q < result.ptr; ++q) {
                if (*q == 'e' || *q == 'E' || *q == 'p' || *q == 'P')
                    return q + 1 < result.ptr && q[1] == '-';
            }
            return false;
        }();
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return negative ? -value : value;
}

QString lastPathComponent(const QString &path)
{
    qsizetype end = path.size();
    while (end > 1 && path.at(end - 1) == QLatin1Char('/'))
        --end;
    const QString trimmed = path.left(end);
    return trimmed.mid(trimmed.lastIndexOf(QLatin1Char('/')) + 1);
}

QString pathExtension(const QString &path)
{
    const QString name = lastPathComponent(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.mid(dot + 1) : QString();
}

QString deletingPathExtension(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

FTComparisonResult ordered(int comparison)
{
    return comparison < 0 ? orderedAscending : (comparison > 0 ? orderedDescending : orderedSame);
}

// Sign-filling right shift of the 32-bit pattern, as on a signed integer.
std::uint32_t shiftRightArithmetic(std::uint32_t value, int bits)
{
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(value) >> bits);
}

QString letter(int value, int base)
{
    // As a "%c" of the original: the low byte of the code, read as Latin-1; no character for 0.
    const auto code = static_cast<unsigned char>(static_cast<unsigned int>(value) + base);
    return code == 0 ? QString() : QString(QChar(char16_t(code)));
}

} // namespace

int GetIntFromCFString(const QString &text)
{
    const std::optional<QByteArray> bytes = toMacRomanPascal(text);
    if (!bytes)
        return 0;
    return leadingInt(bytes->constData(), bytes->constData() + bytes->size());
}

float GetFloatFromCFString(const QString &text)
{
    const std::optional<QByteArray> bytes = toMacRomanPascal(text);
    if (!bytes)
        return 0.0f;
    return static_cast<float>(leadingDouble(bytes->constData(), bytes->constData() + bytes->size()));
}

float GetFloatFromCFStringWithUnits(const QString &text, cardUnits *units)
{
    const std::optional<QByteArray> bytes = toMacRomanPascal(text);
    if (!bytes)
        return 0.0f;
    double factor = 72.0;
    if (units)
        *units = cuInches;
    QByteArray number(bytes->size(), '\0');
    for (qsizetype i = 0; i < bytes->size(); ++i) {
        const char c = bytes->at(i);
        if (isDigit(c) || c == '.') {
            number[i] = c;
            continue;
        }
        number[i] = '\0';
        if (c == 'm') {
            factor = 2.8346457;
            if (units)
                *units = cuMillimeters;
        }
    }
    const qsizetype length = number.indexOf('\0') < 0 ? number.size() : number.indexOf('\0');
    return static_cast<float>(leadingDouble(number.constData(), number.constData() + length) * factor);
}

QString urlEncode(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    QString encoded;
    encoded.reserve(bytes.size() * 3);
    for (char byte : std::as_const(bytes))
        encoded += QString::asprintf("%%%02x", static_cast<unsigned char>(byte));
    return encoded;
}

std::optional<QString> ConvertPOSIXPath2HFS(const QString &path)
{
    const QStorageInfo root = QStorageInfo::root();
    return ConvertPOSIXPath2HFS(path, root.isValid() ? root.name() : QString());
}

std::optional<QString> ConvertPOSIXPath2HFS(const QString &path, const QString &volumeName)
{
    if (!path.startsWith(QLatin1Char('/')) || volumeName.isEmpty())
        return std::nullopt;
    QString hfs = path;
    hfs.replace(QLatin1Char('/'), QLatin1Char(':'));
    return volumeName + hfs;
}

QString resolveSymLink(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

namespace {

// The place of an extension in the picture-entry order: "hpi", "jpg", "pdf", then every other
// one, all alike. Extensions equal but for case share a place.
qsizetype extensionRank(const QString &extension)
{
    static const QStringList ranked = {QStringLiteral("hpi"), QStringLiteral("jpg"), QStringLiteral("pdf")};
    const qsizetype index = ranked.indexOf(extension.toLower());
    return index < 0 ? ranked.size() : index;
}

// An entry without a caption is shown with its file name less the extension; it sorts so.
QString descriptorCaption(const QVariantMap &descriptor)
{
    const QString text = descriptor.value(QStringLiteral("hint")).toString();
    if (!text.isEmpty())
        return text;
    const QString file = descriptor.value(QStringLiteral("name")).toString().section(QLatin1Char('/'), -1);
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? file.left(dot) : file;
}

qsizetype descriptorRank(const QVariantMap &descriptor)
{
    return extensionRank(pathExtension(descriptor.value(QStringLiteral("name")).toString()));
}

} // namespace

FTComparisonResult compareFileExtensions(const QString &first, const QString &second)
{
    if (first.compare(second, Qt::CaseInsensitive) == 0)
        return orderedSame;
    const qsizetype a = extensionRank(first);
    const qsizetype b = extensionRank(second);
    return a < b ? orderedAscending : (a > b ? orderedDescending : orderedSame);
}

FTComparisonResult compareFileDescriptors(const QVariantMap &first, const QVariantMap &second)
{
    const qsizetype a = descriptorRank(first);
    const qsizetype b = descriptorRank(second);
    if (a != b)
        return a < b ? orderedAscending : orderedDescending;
    return ordered(QString::compare(descriptorCaption(first), descriptorCaption(second), Qt::CaseInsensitive));
}

void sortFileDescriptors(QList<QVariantMap> &descriptors)
{
    // The same order as compareFileDescriptors, with each entry's rank and caption taken once
    // rather than at every comparison: a search of a large collection sorts thousands of hits.
    struct Keyed
    {
        qsizetype rank;
        QString caption;
        qsizetype index;
    };
    std::vector<Keyed> keys;
    keys.reserve(size_t(descriptors.size()));
    for (qsizetype i = 0; i < descriptors.size(); ++i)
        keys.push_back({descriptorRank(descriptors.at(i)), descriptorCaption(descriptors.at(i)), i});
    std::stable_sort(keys.begin(), keys.end(), [](const Keyed &a, const Keyed &b) {
        if (a.rank != b.rank)
            return a.rank < b.rank;
        return QString::compare(a.caption, b.caption, Qt::CaseInsensitive) < 0;
    });
    QList<QVariantMap> sorted;
    sorted.reserve(descriptors.size());
    for (const Keyed &key : keys)
        sorted.append(std::move(descriptors[key.index]));
    descriptors = std::move(sorted);
}

FTComparisonResult compareABGroups(const PWGroup &first, const PWGroup &second)
{
    const int order = first.name().compare(second.name(), Qt::CaseInsensitive);
    return order < 0 ? orderedAscending : (order > 0 ? orderedDescending : orderedSame);
}

std::int32_t inthash(std::int32_t key)
{
    auto k = static_cast<std::uint32_t>(key);
    k += ~(k << 15);
    k ^= shiftRightArithmetic(k, 10);
    k += k << 3;
    k ^= shiftRightArithmetic(k, 6);
    k += ~(k << 11);
    k ^= shiftRightArithmetic(k, 16);
    return static_cast<std::int32_t>(k);
}

cardUnits getMeasurementUnits()
{
    const qint64 stored =
        PWUserDefaults::standardUserDefaults().integerForKey(QStringLiteral("FTMeasurementUnits"));
    if (stored < std::numeric_limits<std::int32_t>::min() || stored > std::numeric_limits<std::int32_t>::max())
        return cuPoints;
    return static_cast<cardUnits>(stored);
}

namespace {

// Per display unit: its length of one point and its abbreviation. Any other value is points.
struct MeasurementUnit
{
    cardUnits units;
    double perPoint;
    const char *abbreviation;
};

constexpr MeasurementUnit kMeasurementUnits[] = {
    {cuMillimeters, 25.4 / 72.0, "mm"},
    {cuInches, 1.0 / 72.0, "in"},
    {cuPoints, 1.0, "pt"},
};

const MeasurementUnit &measurementUnit(cardUnits units)
{
    for (const MeasurementUnit &unit : kMeasurementUnits) {
        if (unit.units == units)
            return unit;
    }
    return kMeasurementUnits[std::size(kMeasurementUnits) - 1];
}

} // namespace

double convertDotToMeasurementUnits(cardUnits units)
{
    return measurementUnit(units).perPoint;
}

CDDString stringForMeasurementUnit(cardUnits units)
{
    return CDDString(QString::fromLatin1(measurementUnit(units).abbreviation));
}

CDDString FormatValue(const CDDVariant &value, const CDDString &format)
{
    const QString &pattern = format.getData();
    if (pattern.isEmpty())
        return CDDString(value.GetStringValue());

    // Every pass removes at least one character (a pair becomes at most one "#"), so the search
    // from the start always ends.
    QString text = pattern;
    for (qsizetype hash = text.indexOf(QLatin1Char('#')); hash >= 0;
         hash = text.indexOf(QLatin1Char('#'))) {
        if (hash + 1 == text.size()) {
            text.chop(1);
            break;
        }
        QString replacement;
        switch (text.at(hash + 1).unicode()) {
        case 'd':
        case 'D':
            replacement = objectDescription(value.GetDateTimeValue());
            break;
        case 'p':
        case 'P':
            replacement = QString::number(value.GetIntValue1());
            break;
        case 'A':
            replacement = letter(value.GetIntValue1(), 64);
            break;
        case 'a':
            replacement = letter(value.GetIntValue1(), 96);
            break;
        case 'c':
        case 'C':
            replacement = QString::number(value.GetIntValue2());
            break;
        default:
            break;
        }
        text.replace(hash, 2, replacement);
    }
    if (text == pattern)
        text = formatCalendarDate(value.GetDateTimeValue().toDateTime(), pattern);
    return CDDString(text);
}

PWTextAlignment getNSTextAlignment(textAlignment alignment)
{
    switch (alignment) {
    case taLeft:
        return PWTextAlignment::Left;
    case taCenter:
        return PWTextAlignment::Center;
    case taRight:
        return PWTextAlignment::Right;
    case taJustified:
        return PWTextAlignment::Justified;
    case taNatural:
        break;
    }
    return PWTextAlignment::Natural;
}

textAlignment getTextAlignment(PWTextAlignment alignment)
{
    switch (alignment) {
    case PWTextAlignment::Right:
        return taRight;
    case PWTextAlignment::Center:
        return taCenter;
    case PWTextAlignment::Justified:
        return taJustified;
    case PWTextAlignment::Left:
    case PWTextAlignment::Natural:
        break;
    }
    return taLeft;
}

namespace {

struct ShapeName {
    const char16_t *name;
    compType type;
};
constexpr ShapeName kShapeNames[] = {
    {u"Rectangular Triangle Left", ctRectTriangleLeft},
    {u"Rectangular Triangle Right", ctRectTriangleRight},
    {u"Rectangular Triangle Up", ctRectTriangleUp},
    {u"Rectangular Triangle Down", ctRectTriangleDown},
    {u"Triangle Left", ctTriangleLeft},
    {u"Triangle Right", ctTriangleRight},
    {u"Triangle Up", ctTriangleUp},
    {u"Triangle Down", ctTriangleDown},
    {u"Polygon", ctPolygon},
    {u"Circle", ctCircle},
    {u"Diamond", ctDiamond},
    {u"Pentagon", ctPentagon},
    {u"Hexagon", ctHexagon},
    {u"Octagon", ctOctagon},
    {u"Rounded Rectangle", ctRoundedRect},
    {u"Squashed Rectangle", ctSquashedRect},
    {u"Rectangle", ctRect},
    {u"Cross", ctCross},
    {u"Arrow", ctArrow},
    {u"Two-way Arrow", ctTwoWayArrow},
    {u"Donut", ctDonut},
    {u"Trapezoid", ctTrapezoid},
    {u"Moon", ctMoon},
    {u"5-Point Star", ctStar5},
    {u"8-Point Star", ctStar8},
    {u"32-Point Star", ctStar32},
    {u"Cloud", ctCloud},
    {u"Callout", ctCallout},
    {u"Wave", ctWave},
    {u"Horizontal Line", ctHorizontalLine},
    {u"Vertical Line", ctVerticalLine},
    {u"Left Diagonal Line", ctLeftDiagonalLine},
    {u"Right Diagonal Line", ctRightDiagonalLine},
};

} // namespace

compType componentTypeByFileName(const QString &fileName)
{
    const std::optional<compType> type = basicShapeTypeByFileName(fileName);
    return type ? *type : ctRect;
}

std::optional<compType> basicShapeTypeByFileName(const QString &fileName)
{
    const QString name = deletingPathExtension(lastPathComponent(fileName));
    for (const ShapeName &shape : kShapeNames) {
        if (name == QStringView(shape.name))
            return shape.type;
    }
    return std::nullopt;
}

QStringList basicShapeNames()
{
    QStringList names;
    for (const ShapeName &shape : kShapeNames)
        names.append(QString::fromUtf16(shape.name));
    return names;
}

std::optional<QString> uniqueName(const QString &base, const QStringList *names)
{
    if (!names)
        return std::nullopt;
    qint64 largest = -1;
    for (const QString &name : *names) {
        if (!name.startsWith(base))
            continue;
        if (name.size() == base.size()) {
            largest = std::max<qint64>(largest, 0);
            continue;
        }
        const QByteArray rest = name.mid(base.size()).toUtf8();
        largest = std::max<qint64>(largest, leadingInt(rest.constData(), rest.constData() + rest.size()));
    }
    if (largest < 0)
        return base;
    // A number too large for an int reads back saturated; step on until the name is free.
    QString candidate;
    do
        candidate = base + QString::number(++largest);
    while (names->contains(candidate));
    return candidate;
}

std::optional<QString> documentSerializationKeyBydocumentType(documentType type)
{
    if (type < 0 || static_cast<std::size_t>(type) >= documentTypeKeys.size())
        return std::nullopt;
    return documentTypeKeys[static_cast<std::size_t>(type)];
}

documentType documentTypeBydocumentSerializationKey(const QString &key)
{
    const auto found = std::find(documentTypeKeys.begin(), documentTypeKeys.end(), key);
    return static_cast<documentType>(found - documentTypeKeys.begin());
}

QString defStringForCategory(textCategory category)
{
    const char *key = "none";
    switch (category) {
    case tcFullName: key = "First Name, Last Name"; break;
    case tcCompany: key = "Company"; break;
    case tcActivity: key = "Activity"; break;
    case tcJobTitle: key = "Title"; break;
    case tcStreet: key = "Address"; break;
    case tcCityLine: key = "City, State, ZIP"; break;
    case tcPhone: key = "Phone"; break;
    case tcFax: key = "Fax"; break;
    case tcMobile: key = "Mobile"; break;
    case tcEmail: key = "E-mail"; break;
    case tcHomepage: key = "URL"; break;
    case tcCustom: key = "Custom"; break;
    case tcPrefix: key = "Prefix"; break;
    case tcDepartment: key = "Department"; break;
    case tcSuffix: key = "Suffix"; break;
    case tcCounter: key = "Counter"; break;
    case tcFileData: key = "File Data"; break;
    default: break;
    }
    return PWLocalizedString(QString::fromLatin1(key));
}
