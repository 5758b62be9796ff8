#include "kernel/base/CDDArchive.h"

#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/CDDArchiveKept.h"
#include "kernel/base/CDDDecodeCache.h"
#include "kernel/base/CDDPen.h"
#include "kernel/base/CDDReadReport.h"
#include "kernel/base/FTUtilities.h"
#include "platform/PWAttributedString.h"
#include "platform/PWBundle.h"
#include "platform/PWNumbers.h"
#include "platform/PWFont.h"
#include "platform/PWKeyedArchiver.h"
#include "platform/PWKeyedUnarchiver.h"

#include <QTextDocument>

#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

Q_LOGGING_CATEGORY(lcArchive, "pw.kernel.archive")

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The number at the start of text (after white space, with an optional sign), as strtod reads
// it in the C locale, and where it ends; 0 when nothing reads.
double leadingReal(const char *p, const char *end, const char **stop = nullptr)
{
    const char *const start = p;
    while (p < end && isSpace(*p))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-'))
        negative = *p++ == '-';
    double value = 0.0;
    // One sign only: from_chars would take a second minus.
    const std::from_chars_result parsed = p < end && *p == '-' ? std::from_chars_result {p, std::errc::invalid_argument}
                                                               : std::from_chars(p, end, value, std::chars_format::general);
    if (parsed.ec == std::errc::invalid_argument) {
        if (stop)
            *stop = start;
        return 0.0;
    }
    if (parsed.ec == std::errc::result_out_of_range)
        value = std::numeric_limits<double>::infinity();
    if (stop)
        *stop = parsed.ptr;
    return negative ? -value : value;
}

// The number that text holds alone (blanks around it aside), or nothing for a text that holds
// none or more than one.
std::optional<double> wholeReal(const char *p, const char *end)
{
    const char *stop = p;
    const double value = leadingReal(p, end, &stop);
    if (stop == p)
        return std::nullopt;
    while (stop < end && isSpace(*stop))
        ++stop;
    if (stop != end)
        return std::nullopt;
    return value;
}

// What a value that is no number is, for a report line.
QString kindOf(const PWPlist &value)
{
    if (value.isDictionary())
        return QStringLiteral("a dictionary");
    if (value.isArray())
        return QStringLiteral("a list");
    if (value.isData())
        return QStringLiteral("data");
    if (value.isBool())
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    if (value.isDate())
        return QStringLiteral("a date");
    return QStringLiteral("a value of another kind");
}

QByteArray fixed(double value, int decimals)
{
    char buffer[400];
    const std::to_chars_result written =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return QByteArray(buffer, written.ptr - buffer);
}

// Single precision, or nothing for a number beyond its range (NaN included).
std::optional<float> narrowed(double value)
{
    if (!(std::fabs(value) <= double(std::numeric_limits<float>::max())))
        return std::nullopt;
    return float(value);
}

// A number of the platform's rectangle text: single precision, up to six significant digits.
QByteArray shortNumber(double value)
{
    char buffer[400];
    const std::to_chars_result written = std::to_chars(
        buffer, buffer + sizeof buffer, narrowed(value) ? double(*narrowed(value)) : value, std::chars_format::general, 6);
    return QByteArray(buffer, written.ptr - buffer);
}

PWPlist textValue(const QByteArray &text)
{
    return PWPlist::fromString(QString::fromLatin1(text));
}

// The components of a colour's own space and its alpha.
std::vector<double> componentsOf(const PWColor &color)
{
    std::vector<double> components;
    if (color.isRGB())
        components = {color.redComponent(), color.greenComponent(), color.blueComponent()};
    else if (color.isWhite())
        components = {color.whiteComponent()};
    else if (color.isCMYK())
        components = {color.cyanComponent(), color.magentaComponent(), color.yellowComponent(), color.blackComponent()};
    components.push_back(color.alpha());
    return components;
}

// A colour as a report names it: its components and alpha, or none.
QString describedColor(const CDDColor &color)
{
    const std::shared_ptr<const PWColor> object = color.getData();
    if (!object)
        return QStringLiteral("no colour");
    QStringList parts;
    for (const double component : componentsOf(*object))
        parts.append(QString::number(component));
    return parts.join(QStringLiteral(", "));
}

// Read once: archives are made for every component saved, loaded or copied.
int runningBundleVersion()
{
    static const int version = PWBundle::mainBundle().bundleVersion();
    return version;
}

} // namespace

CDDArchive::CDDArchive(bool storing, packageType type)
    : m_storing(storing), m_packageType(type)
{
    m_bundleVersion.value = runningBundleVersion();
    if (storing) {
        m_dictionary = std::make_shared<PWPlist::Dictionary>();
        m_kept = std::make_shared<std::shared_ptr<const CDDArchiveKept>>();
        if (type == ptPackage)
            m_packageContent = std::make_shared<PWPlist::Array>();
    }
}

CDDArchive::~CDDArchive() = default;

void CDDArchive::Attach(const PWPlist &dictionary)
{
    if (dictionary.isDictionary())
        m_dictionary = std::make_shared<PWPlist::Dictionary>(dictionary.toDictionary());
    else
        m_dictionary.reset();
}

PWPlist CDDArchive::Dettach()
{
    const PWPlist dictionary = getDict();
    m_dictionary.reset();
    return dictionary;
}

void CDDArchive::AttachArray(const PWPlist &array)
{
    if (array.isArray())
        m_list.value = std::make_unique<PWPlist::Array>(array.toArray());
    else
        m_list.value.reset();
}

PWPlist CDDArchive::DettachArray()
{
    const PWPlist list = m_list.value ? PWPlist(*m_list.value) : PWPlist();
    m_list.value.reset();
    return list;
}

PWPlist CDDArchive::getDict() const
{
    if (!m_dictionary)
        return PWPlist();
    if (m_kept && *m_kept)
        return PWPlist((*m_kept)->merged(*m_dictionary));
    return PWPlist(*m_dictionary);
}

void CDDArchive::startFrom(std::shared_ptr<const CDDArchiveKept> kept) const
{
    if (m_kept)
        *m_kept = std::move(kept);
}

PWPlist CDDArchive::getPackageContent() const
{
    return m_packageContent ? PWPlist(*m_packageContent) : PWPlist();
}

bool CDDArchive::store(const QString &key, const PWPlist &value) const
{
    if (!m_dictionary)
        const_cast<CDDArchive *>(this)->m_dictionary = std::make_shared<PWPlist::Dictionary>();
    m_dictionary->insert(key, value);
    return true;
}

PWPlist CDDArchive::value(const QString &key) const
{
    if (!m_dictionary)
        return PWPlist();
    PWPlist stored = m_dictionary->value(key);
    if (m_report)
        m_report->noteLookup(m_dictionary, key, !stored.isNull());
    return stored;
}

void CDDArchive::noteUnread(const QString &key, const QString &what) const
{
    qCWarning(lcArchive).noquote() << what;
    if (m_report)
        m_report->noteUnread(m_dictionary.get(), key, what);
}

void CDDArchive::noteKept(const QString &key, const QString &what) const
{
    qCWarning(lcArchive).noquote() << what;
    if (m_report)
        m_report->noteKept(m_dictionary.get(), key, what);
}

void CDDArchive::noteValueUnread(const QString &key, const QString &reason) const
{
    noteUnread(key, QStringLiteral("\"%1\" of %2 could not be read: %3")
                        .arg(key, CDDReadReport::placeOf(m_dictionary.get()), reason));
}

void CDDArchive::noteOutOfRange(const QString &key, const QString &value, const QString &kept) const
{
    noteNumberRefused(key, QStringLiteral("is out of range"), value, QStringLiteral("kept ") + kept);
}

void CDDArchive::noteNumberRefused(const QString &key, const QString &why, const QString &value,
                                   const QString &outcome) const
{
    noteUnread(key, QStringLiteral("\"%1\" of %2 %3 (%4); %5")
                        .arg(key, CDDReadReport::placeOf(m_dictionary.get()), why, value, outcome));
}

bool CDDArchive::acceptPart(const QString &key, const QString &what, double value, CDDNumberRange range) const
{
    if (range.contains(value))
        return true;
    noteUnread(key, QStringLiteral("\"%1\" of %2 has %3 out of range (%4); left out")
                        .arg(key, CDDReadReport::placeOf(m_dictionary.get()), what, QString::number(value)));
    return false;
}

void CDDArchive::noteNotANumber(const QString &key, const QString &value, const QString &kept) const
{
    noteNumberRefused(key, QStringLiteral("is not a number"), value, QStringLiteral("kept ") + kept);
}

std::optional<double> CDDArchive::storedNumber(const QString &key, QString *asStored, bool *notANumber, bool real,
                                               bool *leadingOnly) const
{
    *notANumber = false;
    *leadingOnly = false;
    const PWPlist stored = value(key);
    if (stored.isString()) {
        // As the file has it, within what a report line holds.
        *asStored = stored.toString().left(40);
        const QByteArray bytes = stored.toString().toLatin1();
        const char *const begin = bytes.constData(), *const end = begin + bytes.size();
        if (const std::optional<double> number = wholeReal(begin, end))
            return number;
        // "12abc" reads as the number it starts with, as readers of these files always took it; the
        // rest is damage. An int takes its sign and digits alone.
        const char *stop = begin;
        const double prefix = leadingReal(begin, end, &stop);
        if (!real) {
            stop = begin;
            while (stop < end && isSpace(*stop))
                ++stop;
            stop += stop < end && (*stop == '+' || *stop == '-') ? 1 : 0;
            while (stop < end && *stop >= '0' && *stop <= '9')
                ++stop;
        }
        const std::optional<double> leading = real ? (stop != begin ? std::optional(prefix) : std::nullopt)
                                                   : wholeReal(begin, stop);
        *notANumber = !leading;
        *leadingOnly = leading.has_value();
        return leading;
    }
    if (stored.isInteger()) {
        *asStored = QString::number(stored.toInteger());
        return double(stored.toInteger());
    }
    if (stored.isReal()) {
        *asStored = QString::number(stored.toReal());
        return stored.toReal();
    }
    if (!stored.isNull()) {
        *asStored = kindOf(stored);
        *notANumber = true;
    }
    return std::nullopt;
}

std::optional<QString> CDDArchive::text(const QString &key) const
{
    const PWPlist stored = value(key);
    if (stored.isNull())
        return std::nullopt;
    if (!stored.isString()) {
        noteValueUnread(key, QStringLiteral("a text was expected"));
        return std::nullopt;
    }
    return stored.toString();
}

// --- Lists and child archives -------------------------------------------------------------------

void CDDArchive::BeginArrayData() const
{
    m_list.value = std::make_unique<PWPlist::Array>();
}

void CDDArchive::EndArrayData(const QString &key) const
{
    if (!m_list.value)
        return;
    store(key, PWPlist(*m_list.value));
    m_list.value.reset();
}

bool CDDArchive::SetData(const QString &key, const CDDArchive &child) const
{
    if (!child.m_dictionary) {
        qCWarning(lcArchive).noquote() << QStringLiteral("\"%1\" not written: the child archive has no dictionary").arg(key);
        return false;
    }
    const PWPlist dictionary = child.getDict();
    if (m_list.value)
        m_list.value->append(dictionary);
    else
        store(key, dictionary);
    if (m_packageContent && child.m_packageContent && m_packageContent != child.m_packageContent)
        m_packageContent->append(*child.m_packageContent);
    return true;
}

bool CDDArchive::GetData(const QString &key, CDDArchive &archive) const
{
    const PWPlist stored = value(key);
    if (stored.isNull())
        return false;
    if (stored.isArray()) {
        archive.AttachArray(stored);
        archive.m_listOrigin = {m_dictionary.get(), key};
    } else if (stored.isDictionary()) {
        archive.Attach(stored);
        if (m_report)
            m_report->noteChild(archive.m_dictionary.get(), m_dictionary.get(), {key});
    } else {
        noteValueUnread(key, QStringLiteral("a list or a dictionary was expected"));
        return false;
    }
    // What a child holds was written by the same application as its parent.
    archive.m_bundleVersion.value = m_bundleVersion.value;
    archive.m_report = m_report;
    return true;
}

int CDDArchive::countObjectsInArray() const
{
    return m_list.value ? int(m_list.value->size()) : 0;
}

CDDArchive CDDArchive::objectAtIndexInArray(int index) const
{
    CDDArchive entry(false, m_packageType);
    entry.m_bundleVersion.value = m_bundleVersion.value;
    entry.m_report = m_report;
    if (m_list.value && index >= 0 && index < m_list.value->size())
        entry.Attach(m_list.value->at(index));
    if (m_report && m_listOrigin.first)
        m_report->noteChild(entry.m_dictionary.get(), m_listOrigin.first,
                            {m_listOrigin.second, QStringLiteral("[%1]").arg(index)});
    return entry;
}

// --- Numbers, booleans, rectangles, pens, texts -------------------------------------------------

bool CDDArchive::SetData(const QString &key, int value) const
{
    return store(key, textValue(QByteArray::number(value)));
}

bool CDDArchive::SetData(const QString &key, long value) const
{
    return store(key, textValue(QByteArray::number(qint64(value))));
}

bool CDDArchive::SetData(const QString &key, double value) const
{
    return store(key, textValue(fixed(value, 3)));
}

bool CDDArchive::SetData(const QString &key, float value) const
{
    return store(key, textValue(fixed(double(value), 3)));
}

bool CDDArchive::SetData(const QString &key, bool value) const
{
    return store(key, PWPlist::fromString(value ? QStringLiteral("YES") : QStringLiteral("NO")));
}

bool CDDArchive::SetRectData(const QString &key, double x, double y, double width, double height) const
{
    return store(key, textValue("{{" + shortNumber(x) + ", " + shortNumber(y) + "}, {" + shortNumber(width) + ", "
                                + shortNumber(height) + "}}"));
}

bool CDDArchive::SetData(const QString &key, const CDDPen &pen) const
{
    return store(key, textValue(fixed(pen.GetWidth(), 2)));
}

bool CDDArchive::SetData(const QString &key, const CDDString &value) const
{
    if (value.isNull())
        return true;
    return store(key, PWPlist::fromString(value.getData()));
}

bool CDDArchive::SetData(const QString &key) const
{
    return store(key, textValue(QByteArray::number(runningBundleVersion())));
}

std::optional<double> CDDArchive::numberWithin(const QString &key, CDDNumberRange range, bool real,
                                               const QString &outcome) const
{
    QString asStored;
    bool notANumber = false;
    bool leadingOnly = false;
    std::optional<double> number = storedNumber(key, &asStored, &notANumber, real, &leadingOnly);
    if (notANumber)
        noteNumberRefused(key, QStringLiteral("is not a number"), asStored, outcome);
    if (!number)
        return std::nullopt;
    if (real) {
        // Read in single precision like every real of a design.
        const std::optional<float> single = narrowed(*number);
        number = single ? std::optional<double>(double(*single)) : std::nullopt;
    } else {
        // An int holds no more than its own range asks.
        range.lowest = std::max(range.lowest, double(std::numeric_limits<int>::min()));
        range.highest = std::min(range.highest, double(std::numeric_limits<int>::max()));
        range.whole = true;
    }
    if (!number || !range.contains(*number)) {
        noteNumberRefused(key, QStringLiteral("is out of range"), asStored, outcome);
        return std::nullopt;
    }
    if (leadingOnly)
        noteUnread(key, QStringLiteral("\"%1\" of %2 is damaged: more than a number (%3); read %4")
                            .arg(key, CDDReadReport::placeOf(m_dictionary.get()), asStored, QString::number(*number)));
    return number;
}

bool CDDArchive::GetData(const QString &key, bool *value) const
{
    const std::optional<QString> stored = value ? text(key) : std::nullopt;
    if (!stored)
        return false;
    if (*stored == QLatin1String("YES")) {
        *value = true;
    } else if (*stored == QLatin1String("NO")) {
        *value = false;
    } else {
        noteUnread(key, QStringLiteral("\"%1\" of %2 is neither YES nor NO (%3); kept %4")
                            .arg(key, CDDReadReport::placeOf(m_dictionary.get()), stored->left(40),
                                 *value ? QStringLiteral("YES") : QStringLiteral("NO")));
        return false;
    }
    return true;
}

bool CDDArchive::GetRectData(const QString &key, double *x, double *y, double *width, double *height,
                             CDDNumberRange range) const
{
    const std::optional<QString> stored = text(key);
    if (!stored)
        return false;
    // The numbers in order, each between braces, commas or blanks.
    const auto isSeparator = [](char c) { return c == '{' || c == '}' || c == ',' || isSpace(c); };
    const QByteArray bytes = stored->toLatin1();
    const char *p = bytes.constData();
    const char *const end = p + bytes.size();
    double *const targets[4] = {x, y, width, height};
    double numbers[4] = {0.0, 0.0, 0.0, 0.0};
    bool kept = false;
    bool notANumber = false;
    for (int i = 0; i < 4; ++i) {
        while (p < end && isSeparator(*p))
            ++p;
        const char *const token = p;
        while (p < end && !isSeparator(*p))
            ++p;
        const std::optional<double> number = wholeReal(token, p);
        const std::optional<float> single = number ? narrowed(*number) : std::nullopt;
        if (single && range.contains(double(*single))) {
            numbers[i] = double(*single);
        } else {
            kept = true;
            notANumber = notANumber || !number;
            numbers[i] = targets[i] ? *targets[i] : 0.0;
        }
    }
    for (int i = 0; i < 4; ++i) {
        if (targets[i])
            *targets[i] = numbers[i];
    }
    if (kept) {
        const QString asKept = QString::fromLatin1("{{" + shortNumber(numbers[0]) + ", " + shortNumber(numbers[1])
                                                   + "}, {" + shortNumber(numbers[2]) + ", " + shortNumber(numbers[3])
                                                   + "}}");
        if (notANumber)
            noteNotANumber(key, stored->left(80), asKept);
        else
            noteOutOfRange(key, stored->left(80), asKept);
    }
    return true;
}

bool CDDArchive::GetData(const QString &key, CDDPen &pen) const
{
    double width = pen.GetWidth();
    if (!GetData(key, &width, CDDRanges::kLength))
        return false;
    pen.SetWidth(width);
    return true;
}

bool CDDArchive::GetData(const QString &key, CDDString &value) const
{
    const std::optional<QString> stored = text(key);
    if (!stored)
        return false;
    value.setData(*stored);
    return true;
}

bool CDDArchive::GetData(const QString &key, PWPlist *value) const
{
    const PWPlist stored = value ? this->value(key) : PWPlist();
    if (stored.isNull())
        return false;
    *value = stored;
    return true;
}

// --- Colours, fonts, text storages --------------------------------------------------------------

bool CDDArchive::SetData(const QString &key, const CDDColor &color) const
{
    const std::shared_ptr<const PWColor> object = color.getData();
    if (object && m_defComponent.value) {
        if ((key == key_BackColor && color == m_defComponent.value->GetFillColor())
            || (key == key_Color && color == m_defComponent.value->GetStrokeColor()))
            return true;
    }
    return store(key, PWPlist::fromData(object ? PWKeyedArchiver::archivedData(*object)
                                               : PWKeyedArchiver::archivedObject(QVariant())));
}

bool CDDArchive::GetData(const QString &key, CDDColor &color) const
{
    const PWPlist stored = value(key);
    if (stored.isNull())
        return false;
    if (stored.isString()) {
        // The older form: "red, green, blue, alpha".
        const QStringList parts = stored.toString().split(QLatin1Char(','));
        if (parts.size() < 4) {
            noteValueUnread(key, QStringLiteral("an old colour text has fewer than four parts"));
            return false;
        }
        float components[4];
        for (int i = 0; i < 4; ++i) {
            QString part = parts.at(i);
            while (!part.isEmpty() && (part.front() == QLatin1Char(' ') || part.front() == QLatin1Char('\t')))
                part.remove(0, 1);
            while (!part.isEmpty() && (part.back() == QLatin1Char(' ') || part.back() == QLatin1Char('\t')))
                part.chop(1);
            const QByteArray bytes = part.toLatin1();
            const std::optional<double> number = wholeReal(bytes.constData(), bytes.constData() + bytes.size());
            if (!number) {
                noteNotANumber(key, stored.toString().left(80), describedColor(color));
                return false;
            }
            if (!CDDRanges::kColorComponent.contains(*number)) {
                noteOutOfRange(key, stored.toString().left(80), describedColor(color));
                return false;
            }
            components[i] = float(*number);
        }
        color = CDDColor(PWColor::calibratedRGB(components[0], components[1], components[2], components[3]));
        return true;
    }
    if (!stored.isData()) {
        noteValueUnread(key, QStringLiteral("colour data was expected"));
        return false;
    }
    // Colours never change once made, so one decoded colour serves every value holding it.
    static CDDDecodeCache<std::shared_ptr<const PWColor>> decoded;
    const QByteArray bytes = stored.toData();
    if (const std::optional<std::shared_ptr<const PWColor>> known = decoded.find(bytes))
        return takeColor(key, *known, color);
    QString error;
    bool nil = false;
    const std::optional<PWColor> unarchived = PWKeyedUnarchiver::unarchiveColor(bytes, &error, &nil);
    if (nil) {
        decoded.insert(bytes, nullptr);
        color = CDDColor(std::shared_ptr<const PWColor>());
        return true;
    }
    if (!unarchived) {
        noteValueUnread(key, error);
        return false;
    }
    auto shared = std::make_shared<const PWColor>(*unarchived);
    decoded.insert(bytes, shared);
    return takeColor(key, std::move(shared), color);
}

bool CDDArchive::takeColor(const QString &key, std::shared_ptr<const PWColor> decoded, CDDColor &color) const
{
    if (decoded) {
        const QString components = describedColor(CDDColor(decoded));
        for (const double component : componentsOf(*decoded)) {
            if (!CDDRanges::kColorComponent.contains(component)) {
                noteOutOfRange(key, components, describedColor(color));
                return false;
            }
        }
    }
    color = CDDColor(std::move(decoded));
    return true;
}

bool CDDArchive::SetData(const QString &key, const PWFont *font) const
{
    if (!font)
        return true;
    return store(key, PWPlist::fromData(PWKeyedArchiver::archivedData(*font)));
}

bool CDDArchive::GetData(const QString &key, PWFont *font) const
{
    const PWPlist stored = font ? value(key) : PWPlist();
    if (stored.isNull())
        return false;
    if (!stored.isData()) {
        noteValueUnread(key, QStringLiteral("font data was expected"));
        return false;
    }
    QString error;
    const std::optional<PWFont> unarchived = PWKeyedUnarchiver::unarchiveFont(stored.toData(), &error);
    if (!unarchived) {
        noteValueUnread(key, error);
        return false;
    }
    // A size no text can take leaves the font at the default size.
    const double size = unarchived->pointSize();
    *font = CDDRanges::isFontSize(size) || acceptPart(key, QStringLiteral("a font size"), size, CDDRanges::kFontSize)
                ? *unarchived
                : PWFont(unarchived->postScriptName(), 0.0, unarchived->flags());
    return true;
}

bool CDDArchive::SetData(const QString &key, const QTextDocument &storage) const
{
    const PWAttributedString text = PWAttributedString::fromDocument(&storage);
    if (text.isEmpty())
        return true;
    return store(key, PWPlist::fromData(
                          PWKeyedArchiver::archivedData(text, PWKeyedArchiver::StringClass::TextStorage)));
}

bool CDDArchive::GetData(const QString &key, QTextDocument *storage) const
{
    const PWPlist stored = storage ? value(key) : PWPlist();
    if (stored.isNull())
        return false;
    if (!stored.isData()) {
        noteValueUnread(key, QStringLiteral("text data was expected"));
        return false;
    }
    QString error;
    const std::optional<PWAttributedString> text = PWKeyedUnarchiver::unarchiveAttributedString(stored.toData(), &error);
    if (!text) {
        noteValueUnread(key, error);
        return false;
    }
    text->writeTo(storage);
    return true;
}

// --- Class IDs and document types ---------------------------------------------------------------

bool CDDArchive::SetClassID(int classID) const
{
    if (classID < 0 || classID >= int(classStringKeys.size())) {
        qCWarning(lcArchive).noquote() << "Archived key value for ClassID not specified";
        return false;
    }
    return store(key_ClassID, PWPlist::fromString(classStringKeys.at(size_t(classID))));
}

bool CDDArchive::GetClassID(int *classID) const
{
    const std::optional<QString> stored = classID ? text(key_ClassID) : std::nullopt;
    if (!stored)
        return false;
    for (size_t i = 0; i < classStringKeys.size(); ++i) {
        if (classStringKeys.at(i) == *stored) {
            *classID = int(i);
            return true;
        }
    }
    return false;
}

bool CDDArchive::SetDocumentType(documentType type) const
{
    const std::optional<QString> name = documentSerializationKeyBydocumentType(type);
    if (!name) {
        qCWarning(lcArchive).noquote() << "Archived document type" << int(type) << "has no name";
        return false;
    }
    return store(key_DocumentType, PWPlist::fromString(*name));
}

bool CDDArchive::GetDocumentType(documentType *type) const
{
    const std::optional<QString> stored = type ? text(key_DocumentType) : std::nullopt;
    if (!stored)
        return false;
    const documentType found = documentTypeBydocumentSerializationKey(*stored);
    if (found == dtUnknown)
        return false;
    *type = found;
    return true;
}

bool CDDArchive::appendPackageEntry(const PWPlist::Dictionary &entry) const
{
    if (!m_packageContent)
        return false;
    m_packageContent->append(entry);
    return true;
}
