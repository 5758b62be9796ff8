#include "platform/PWKeyedUnarchiver.h"

#include "platform/PWTextAttributes.h"

#include <QBrush>
#include <QDateTime>
#include <QLoggingCategory>
#include <QTimeZone>

#include <cmath>
#include <limits>

Q_LOGGING_CATEGORY(lcKeyedArchive, "pw.platform.keyedarchive")

namespace {

const QString kNSObjects = QStringLiteral("NS.objects");
const QString kNSKeys = QStringLiteral("NS.keys");

// Seconds between the Unix epoch and the platform's reference date, 2001-01-01 00:00:00 UTC.
constexpr double kReferenceDateOffset = 978307200.0;

bool isKindOfAny(const QStringList &chain, std::initializer_list<const char *> names)
{
    for (const char *name : names) {
        if (chain.contains(QLatin1String(name)))
            return true;
    }
    return false;
}

// A variable-length unsigned integer of the attribute-run table: seven bits a byte, least
// significant first, the high bit set on every byte but the last.
std::optional<quint64> readVarint(const QByteArray &bytes, qsizetype *pos)
{
    quint64 value = 0;
    for (int shift = 0; shift < 35; shift += 7) {
        if (*pos >= bytes.size())
            return std::nullopt;
        const auto byte = static_cast<unsigned char>(bytes.at((*pos)++));
        value |= quint64(byte & 0x7f) << shift;
        if (!(byte & 0x80))
            return value;
    }
    return std::nullopt;
}

template <typename T>
std::optional<QVariant> wrap(const std::optional<T> &value)
{
    if (!value)
        return std::nullopt;
    return QVariant::fromValue(*value);
}

} // namespace

// Entering an object: counts the work, limits the depth and refuses an object that is already
// being decoded further up (a cycle). Leaving undoes the depth and the mark.
class PWKeyedUnarchiver::Visit
{
public:
    Visit(PWKeyedUnarchiver &unarchiver, quint64 uid)
        : m_unarchiver(unarchiver), m_uid(uid)
    {
        if (!m_unarchiver.m_error.isEmpty())
            return;
        if (--m_unarchiver.m_budget < 0) {
            m_unarchiver.fail(QStringLiteral("the archive refers to its objects too many times"));
            return;
        }
        if (m_unarchiver.m_depth >= kMaxDepth) {
            m_unarchiver.fail(QStringLiteral("objects nested deeper than %1").arg(kMaxDepth));
            return;
        }
        if (m_unarchiver.m_active.contains(uid)) {
            m_unarchiver.fail(QStringLiteral("object %1 refers to itself").arg(uid));
            return;
        }
        m_unarchiver.m_active.insert(uid);
        ++m_unarchiver.m_depth;
        m_entered = true;
    }
    ~Visit()
    {
        if (m_entered) {
            m_unarchiver.m_active.remove(m_uid);
            --m_unarchiver.m_depth;
        }
    }
    Visit(const Visit &) = delete;
    Visit &operator=(const Visit &) = delete;

    bool ok() const { return m_entered; }

private:
    PWKeyedUnarchiver &m_unarchiver;
    quint64 m_uid;
    bool m_entered = false;
};

PWKeyedUnarchiver::PWKeyedUnarchiver(const PWKeyedArchive &archive)
    : m_archive(archive), m_budget(std::max<qint64>(100000, qint64(archive.count()) * 16))
{
}

bool PWKeyedUnarchiver::fail(const QString &reason)
{
    if (m_error.isEmpty())
        m_error = reason;
    return false;
}

void PWKeyedUnarchiver::note(const QString &text)
{
    // Every run of a long text may share one bad style: its readers need the first few.
    constexpr qsizetype kMaxNotes = 20;
    if (m_notes.size() < kMaxNotes && !m_notes.contains(text))
        m_notes.append(text);
}

// --- Entry points for bytes ---------------------------------------------------------------------

namespace {

template <typename T, typename Decode>
std::optional<T> unarchiveRoot(const QByteArray &bytes, const char *what, QString *error, bool *isNil,
                               Decode decode)
{
    if (isNil)
        *isNil = false;
    QString reason;
    std::optional<T> value;
    const std::optional<PWKeyedArchive> archive = PWKeyedArchive::parse(bytes, &reason);
    if (archive && PWKeyedArchive::isNil(archive->rootUid())) {
        if (isNil)
            *isNil = true;
        else
            reason = QStringLiteral("the archive holds no object");
    } else if (archive) {
        PWKeyedUnarchiver unarchiver(*archive);
        value = decode(unarchiver, archive->rootUid());
        if (!value)
            reason = unarchiver.error().isEmpty() ? QStringLiteral("unreadable root object") : unarchiver.error();
    }
    if (!reason.isEmpty())
        qCWarning(lcKeyedArchive).noquote() << what << "not unarchived:" << reason;
    if (error)
        *error = reason;
    return value;
}

} // namespace

std::optional<QVariant> PWKeyedUnarchiver::unarchiveObject(const QByteArray &bytes, QString *error)
{
    bool nil = false;
    std::optional<QVariant> value = unarchiveRoot<QVariant>(
        bytes, "object", error, &nil, [](PWKeyedUnarchiver &u, quint64 uid) { return u.decodeObject(uid); });
    return nil ? std::optional<QVariant>(QVariant()) : value;
}

std::optional<PWColor> PWKeyedUnarchiver::unarchiveColor(const QByteArray &bytes, QString *error, bool *isNil)
{
    return unarchiveRoot<PWColor>(bytes, "colour", error, isNil,
                                  [](PWKeyedUnarchiver &u, quint64 uid) { return u.decodeColor(uid); });
}

std::optional<PWFont> PWKeyedUnarchiver::unarchiveFont(const QByteArray &bytes, QString *error)
{
    return unarchiveRoot<PWFont>(bytes, "font", error, nullptr,
                                 [](PWKeyedUnarchiver &u, quint64 uid) { return u.decodeFont(uid); });
}

std::optional<PWAttributedString> PWKeyedUnarchiver::unarchiveAttributedString(const QByteArray &bytes,
                                                                               QString *error, QStringList *notes)
{
    return unarchiveRoot<PWAttributedString>(bytes, "attributed string", error, nullptr,
                                             [notes](PWKeyedUnarchiver &u, quint64 uid) {
                                                 std::optional<PWAttributedString> text = u.decodeAttributedString(uid);
                                                 for (const QString &note : u.notes())
                                                     qCWarning(lcKeyedArchive).noquote() << note;
                                                 if (notes && text)
                                                     *notes = u.notes();
                                                 return text;
                                             });
}

// --- Plain values -------------------------------------------------------------------------------

PWPlist PWKeyedUnarchiver::field(quint64 uid, const QString &key) const
{
    return m_archive.object(uid).value(key);
}

std::optional<QString> PWKeyedUnarchiver::decodeString(const PWPlist &value)
{
    if (value.isString())
        return value.toString();
    if (!value.isUid() || PWKeyedArchive::isNil(value.toUid())) {
        fail(QStringLiteral("a string was expected"));
        return std::nullopt;
    }
    Visit visit(*this, value.toUid());
    return visit.ok() ? stringEntry(value.toUid()) : std::nullopt;
}

std::optional<QString> PWKeyedUnarchiver::stringEntry(quint64 uid)
{
    const PWPlist &entry = m_archive.object(uid);
    if (entry.isString())
        return entry.toString();
    const PWPlist text = entry.value(QStringLiteral("NS.string"));
    if (text.isString())
        return text.toString();
    const PWPlist bytes = entry.value(QStringLiteral("NS.bytes"));
    if (bytes.isData())
        return QString::fromUtf8(bytes.toData());
    fail(QStringLiteral("object %1 is not a string").arg(uid));
    return std::nullopt;
}

std::optional<QByteArray> PWKeyedUnarchiver::decodeData(const PWPlist &value)
{
    if (value.isData())
        return value.toData();
    if (!value.isUid() || PWKeyedArchive::isNil(value.toUid())) {
        fail(QStringLiteral("data was expected"));
        return std::nullopt;
    }
    Visit visit(*this, value.toUid());
    return visit.ok() ? dataEntry(value.toUid()) : std::nullopt;
}

std::optional<QByteArray> PWKeyedUnarchiver::dataEntry(quint64 uid)
{
    const PWPlist &entry = m_archive.object(uid);
    if (entry.isData())
        return entry.toData();
    const PWPlist bytes = entry.value(QStringLiteral("NS.data"));
    if (bytes.isData())
        return bytes.toData();
    fail(QStringLiteral("object %1 is not data").arg(uid));
    return std::nullopt;
}

std::optional<double> PWKeyedUnarchiver::decodeNumber(quint64 uid, const QString &key, double defaultValue)
{
    PWPlist value = field(uid, key);
    if (value.isNull())
        return defaultValue;
    if (value.isUid() && !PWKeyedArchive::isNil(value.toUid()))
        value = m_archive.object(value.toUid());
    if (value.isNumber() && std::isfinite(value.toReal()))
        return value.toReal();
    if (value.isBool())
        return value.toBool() ? 1.0 : 0.0;
    fail(QStringLiteral("\"%1\" of object %2 is not a number").arg(key).arg(uid));
    return std::nullopt;
}

std::optional<QVariant> PWKeyedUnarchiver::decodeReference(const PWPlist &value)
{
    switch (value.type()) {
    case PWPlist::Type::Uid:
        return decodeObject(value.toUid());
    case PWPlist::Type::Array: {
        QVariantList list;
        for (const PWPlist &element : value.toArray()) {
            const std::optional<QVariant> decoded = decodeReference(element);
            if (!decoded)
                return std::nullopt;
            if (decoded->isValid())
                list.append(*decoded);
        }
        return list;
    }
    case PWPlist::Type::Dictionary: {
        QVariantMap map;
        for (const PWPlist::Dictionary::Entry &entry : value.toDictionary()) {
            const std::optional<QVariant> decoded = decodeReference(entry.second);
            if (!decoded)
                return std::nullopt;
            if (decoded->isValid())
                map.insert(entry.first, *decoded);
        }
        return map;
    }
    default:
        return value.toVariant();
    }
}

std::optional<QVariantList> PWKeyedUnarchiver::decodeArrayElements(quint64 uid)
{
    const PWPlist elements = field(uid, kNSObjects);
    if (!elements.isArray()) {
        fail(QStringLiteral("array %1 has no \"NS.objects\"").arg(uid));
        return std::nullopt;
    }
    const std::optional<QVariant> list = decodeReference(elements);
    if (!list)
        return std::nullopt;
    return list->toList();
}

std::optional<QVariantMap> PWKeyedUnarchiver::decodeDictionary(quint64 uid)
{
    const PWPlist keys = field(uid, kNSKeys);
    const PWPlist values = field(uid, kNSObjects);
    if (!keys.isArray() || !values.isArray() || keys.toArray().size() != values.toArray().size()) {
        fail(QStringLiteral("dictionary %1 has no matching \"NS.keys\" and \"NS.objects\"").arg(uid));
        return std::nullopt;
    }
    QVariantMap map;
    for (qsizetype i = 0; i < keys.toArray().size(); ++i) {
        const std::optional<QVariant> key = decodeReference(keys.toArray().at(i));
        const std::optional<QVariant> value = key ? decodeReference(values.toArray().at(i)) : std::nullopt;
        if (!value)
            return std::nullopt;
        // Keys of other kinds have no place in a property list; such entries are left out.
        if (key->typeId() == QMetaType::QString && value->isValid())
            map.insert(key->toString(), *value);
    }
    return map;
}

std::optional<QVariant> PWKeyedUnarchiver::decodeObject(quint64 uid)
{
    if (PWKeyedArchive::isNil(uid))
        return QVariant();
    Visit visit(*this, uid);
    if (!visit.ok())
        return std::nullopt;
    const PWPlist &entry = m_archive.object(uid);
    if (!entry.isDictionary())
        return entry.isArray() ? decodeReference(entry) : entry.toVariant();

    const QStringList chain = m_archive.classChain(uid);
    if (chain.isEmpty()) {
        fail(QStringLiteral("object %1 has no class").arg(uid));
        return std::nullopt;
    }
    if (isKindOfAny(chain, {"NSString"}))
        return wrap(stringEntry(uid));
    if (isKindOfAny(chain, {"NSData"}))
        return wrap(dataEntry(uid));
    if (isKindOfAny(chain, {"NSDate"})) {
        const std::optional<double> time = decodeNumber(uid, QStringLiteral("NS.time"), 0.0);
        if (!time)
            return std::nullopt;
        const double msecs = (*time + kReferenceDateOffset) * 1000.0;
        if (std::fabs(msecs) > 8.0e15) {
            fail(QStringLiteral("date %1 is out of range").arg(uid));
            return std::nullopt;
        }
        return QDateTime::fromMSecsSinceEpoch(qint64(std::llround(msecs)), QTimeZone::utc());
    }
    if (isKindOfAny(chain, {"NSArray", "NSSet", "NSOrderedSet"}))
        return wrap(decodeArrayElements(uid));
    if (isKindOfAny(chain, {"NSDictionary"}))
        return wrap(decodeDictionary(uid));
    if (isKindOfAny(chain, {"NSColor"}))
        return wrap(colorEntry(uid));
    if (isKindOfAny(chain, {"NSFont"}))
        return wrap(fontEntry(uid));
    if (isKindOfAny(chain, {"NSParagraphStyle"}))
        return wrap(paragraphStyleEntry(uid));
    if (isKindOfAny(chain, {"NSAttributedString"}))
        return wrap(attributedStringEntry(uid));
    if (isKindOfAny(chain, {"CCTextList"})) {
        // The list coder writes its type as one unkeyed number, which a keyed archive files
        // under "$0"; the object's place in the archive is its identity.
        const std::optional<double> type = decodeNumber(uid, QStringLiteral("$0"), 0.0);
        if (!type)
            return std::nullopt;
        const int listType = std::isfinite(*type) && std::fabs(*type) < 1000.0 ? int(*type) : 0;
        return PWTextAttributes::textListValue(listType, qint64(uid));
    }
    // An object of a class we do not know: left out.
    return QVariant();
}

bool PWKeyedUnarchiver::isPlistValue(const QVariant &value, int depth)
{
    if (depth > kMaxDepth)
        return false;
    switch (value.typeId()) {
    case QMetaType::QString:
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
    case QMetaType::QByteArray:
    case QMetaType::QDateTime:
        return true;
    case QMetaType::QVariantList:
        for (const QVariant &element : value.toList()) {
            if (!isPlistValue(element, depth + 1))
                return false;
        }
        return true;
    case QMetaType::QVariantMap: {
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            if (!isPlistValue(it.value(), depth + 1))
                return false;
        }
        return true;
    }
    default:
        return false;
    }
}

// --- Colours, fonts, paragraph styles -----------------------------------------------------------

template <typename T>
std::optional<T> PWKeyedUnarchiver::decodeTyped(quint64 uid, const char *className, const char *what,
                                                std::optional<T> (PWKeyedUnarchiver::*entry)(quint64))
{
    if (PWKeyedArchive::isNil(uid) || !m_archive.isKindOf(uid, QLatin1String(className))) {
        fail(QStringLiteral("object %1 is not %2").arg(uid).arg(QLatin1String(what)));
        return std::nullopt;
    }
    Visit visit(*this, uid);
    return visit.ok() ? (this->*entry)(uid) : std::nullopt;
}

std::optional<PWColor> PWKeyedUnarchiver::decodeColor(quint64 uid)
{
    return decodeTyped<PWColor>(uid, "NSColor", "a colour", &PWKeyedUnarchiver::colorEntry);
}

std::optional<PWFont> PWKeyedUnarchiver::decodeFont(quint64 uid)
{
    return decodeTyped<PWFont>(uid, "NSFont", "a font", &PWKeyedUnarchiver::fontEntry);
}

std::optional<PWParagraphStyle> PWKeyedUnarchiver::decodeParagraphStyle(quint64 uid)
{
    return decodeTyped<PWParagraphStyle>(uid, "NSParagraphStyle", "a paragraph style",
                                         &PWKeyedUnarchiver::paragraphStyleEntry);
}

std::optional<PWAttributedString> PWKeyedUnarchiver::decodeAttributedString(quint64 uid)
{
    return decodeTyped<PWAttributedString>(uid, "NSAttributedString", "an attributed string",
                                           &PWKeyedUnarchiver::attributedStringEntry);
}

std::optional<PWFont> PWKeyedUnarchiver::fontEntry(quint64 uid)
{
    const std::optional<QString> name = decodeString(field(uid, QStringLiteral("NSName")));
    const std::optional<double> size = name ? decodeNumber(uid, QStringLiteral("NSSize"), 0.0) : std::nullopt;
    const std::optional<double> flags = size ? decodeNumber(uid, QStringLiteral("NSfFlags"), PWFont::kDefaultFlags)
                                             : std::nullopt;
    if (!flags)
        return std::nullopt;
    if (std::fabs(*flags) > 2147483647.0) {
        fail(QStringLiteral("font %1 has flags out of range").arg(uid));
        return std::nullopt;
    }
    return PWFont(*name, *size, int(*flags));
}

std::optional<PWParagraphStyle> PWKeyedUnarchiver::paragraphStyleEntry(quint64 uid)
{
    PWParagraphStyle style;
    const auto number = [&](const char *key, double *target) {
        const std::optional<double> value = decodeNumber(uid, QLatin1String(key), *target);
        if (value)
            *target = *value;
        return value.has_value();
    };
    double alignment = double(PWTextAlignment::Natural);
    double lineBreakMode = 0.0;
    if (!number("NSAlignment", &alignment) || !number("NSLineSpacing", &style.lineSpacing)
        || !number("NSParagraphSpacing", &style.paragraphSpacing)
        || !number("NSParagraphSpacingBefore", &style.paragraphSpacingBefore)
        || !number("NSHeadIndent", &style.headIndent) || !number("NSFirstLineHeadIndent", &style.firstLineHeadIndent)
        || !number("NSTailIndent", &style.tailIndent) || !number("NSLineBreakMode", &lineBreakMode)
        || !number("NSMinLineHeight", &style.minimumLineHeight) || !number("NSMaxLineHeight", &style.maximumLineHeight)
        || !number("NSLineHeightMultiple", &style.lineHeightMultiple))
        return std::nullopt;
    if (alignment >= 0.0 && alignment <= 4.0)
        style.alignment = PWTextAlignment(int(alignment));
    if (lineBreakMode >= 0.0 && lineBreakMode <= 5.0)
        style.lineBreakMode = int(lineBreakMode);

    const PWPlist tabs = field(uid, QStringLiteral("NSTabStops"));
    if (!tabs.isUid() || PWKeyedArchive::isNil(tabs.toUid()))
        return style;
    Visit visit(*this, tabs.toUid());
    if (!visit.ok())
        return std::nullopt;
    const PWPlist elements = field(tabs.toUid(), kNSObjects);
    if (!elements.isArray()) {
        fail(QStringLiteral("the tab stops of paragraph style %1 are no array").arg(uid));
        return std::nullopt;
    }
    for (const PWPlist &element : elements.toArray()) {
        if (!element.isUid() || !m_archive.isKindOf(element.toUid(), QStringLiteral("NSTextTab")))
            continue;
        Visit tabVisit(*this, element.toUid());
        if (!tabVisit.ok())
            return std::nullopt;
        PWParagraphStyle::Tab tab;
        double type = 0.0;
        const std::optional<double> location = decodeNumber(element.toUid(), QStringLiteral("NSLocation"), 0.0);
        const std::optional<double> tabType = location ? decodeNumber(element.toUid(), QStringLiteral("NSTabStopType"), 0.0)
                                                       : std::nullopt;
        if (!tabType)
            return std::nullopt;
        type = *tabType;
        tab.location = *location;
        if (type >= 0.0 && type <= 3.0)
            tab.type = PWParagraphStyle::TabType(int(type));
        style.tabStops.append(tab);
    }
    return style;
}

// --- Attributed strings -------------------------------------------------------------------------

bool PWKeyedUnarchiver::applyAttribute(const QString &key, const PWPlist &value, QTextCharFormat *format,
                                       QTextBlockFormat *block)
{
    const auto numberOf = [&](std::optional<QVariant> decoded, double *number) {
        if (!decoded)
            return false;
        const int type = decoded->typeId();
        *number = decoded->toDouble();
        if ((type != QMetaType::LongLong && type != QMetaType::Double && type != QMetaType::Bool)
            || !std::isfinite(*number))
            return fail(QStringLiteral("text attribute \"%1\" is not a number").arg(key));
        return true;
    };
    const quint64 uid = value.isUid() ? value.toUid() : 0;
    double number = 0.0;
    if (key == QLatin1String("NSFont")) {
        const std::optional<PWFont> font = decodeFont(uid);
        if (!font)
            return false;
        font->applyTo(format);
        // 0 stands for the default size; a size below it stands for nothing and rides as stored,
        // for the reader of the text to judge and name.
        if (font->pointSize() < 0.0)
            format->setFontPointSize(font->pointSize());
    } else if (key == QLatin1String("NSColor") || key == QLatin1String("NSBackgroundColor")) {
        const std::optional<PWColor> color = decodeColor(uid);
        if (!color)
            return false;
        if (key == QLatin1String("NSColor"))
            format->setForeground(QBrush(color->toQColor()));
        else
            format->setBackground(QBrush(color->toQColor()));
    } else if (key == QLatin1String("NSParagraphStyle")) {
        const std::optional<PWParagraphStyle> style = decodeParagraphStyle(uid);
        if (!style)
            return false;
        *block = style->toBlockFormat();
    } else if (key == QLatin1String("NSKern") || key == QLatin1String("NSBaselineOffset")) {
        if (!numberOf(decodeReference(value), &number))
            return false;
        format->setProperty(key == QLatin1String("NSKern") ? PWTextAttributes::Kerning : PWTextAttributes::BaselineOffset,
                            number);
    } else if (key == QLatin1String("NSUnderline")) {
        if (!numberOf(decodeReference(value), &number))
            return false;
        if (number != 0.0)
            format->setUnderlineStyle(QTextCharFormat::SingleUnderline);
    } else if (key == QLatin1String("NSStrikethrough")) {
        if (!numberOf(decodeReference(value), &number))
            return false;
        if (number != 0.0)
            format->setFontStrikeOut(true);
    } else if (key == QLatin1String("NSSuperScript")) {
        if (!numberOf(decodeReference(value), &number))
            return false;
        if (number != 0.0)
            format->setVerticalAlignment(number > 0.0 ? QTextCharFormat::AlignSuperScript
                                                      : QTextCharFormat::AlignSubScript);
    } else {
        const std::optional<QVariant> decoded = decodeReference(value);
        if (!decoded)
            return false;
        if (decoded->metaType() == QMetaType::fromType<PWFont>())
            format->setProperty(PWTextAttributes::FontUnderOtherKey, key);
        if (decoded->isValid() && isPlistValue(*decoded)) {
            QVariantMap custom = format->property(PWTextAttributes::CustomAttributes).toMap();
            custom.insert(key, *decoded);
            format->setProperty(PWTextAttributes::CustomAttributes, custom);
        }
    }
    return true;
}

std::optional<PWKeyedUnarchiver::Attributes> PWKeyedUnarchiver::attributesEntry(quint64 uid)
{
    Attributes attributes;
    if (PWKeyedArchive::isNil(uid))
        return attributes;
    if (!m_archive.isKindOf(uid, QStringLiteral("NSDictionary"))) {
        // The characters lose their font and size: that is no silent matter.
        note(QStringLiteral("the text attributes of some characters are no dictionary; they keep the default"));
        return attributes;
    }
    Visit visit(*this, uid);
    if (!visit.ok())
        return std::nullopt;
    const PWPlist keys = field(uid, kNSKeys);
    const PWPlist values = field(uid, kNSObjects);
    if (!keys.isArray() || !values.isArray() || keys.toArray().size() != values.toArray().size()) {
        fail(QStringLiteral("attributes %1 have no matching \"NS.keys\" and \"NS.objects\"").arg(uid));
        return std::nullopt;
    }
    for (qsizetype i = 0; i < keys.toArray().size(); ++i) {
        const std::optional<QString> key = decodeString(keys.toArray().at(i));
        if (!key)
            return std::nullopt;
        // Applied to copies: an attribute that fails half way leaves nothing of itself behind.
        QTextCharFormat character = attributes.character;
        QTextBlockFormat paragraph = attributes.paragraph;
        if (applyAttribute(*key, values.toArray().at(i), &character, &paragraph)) {
            attributes.character = character;
            attributes.paragraph = paragraph;
            continue;
        }
        // A value that does not read costs its own attribute only; running out of work ends it all.
        if (m_budget < 0)
            return std::nullopt;
        note(QStringLiteral("the text attribute \"%1\" of some characters does not read (%2); they keep the default")
                 .arg(key->left(64), m_error));
        m_error.clear();
    }
    return attributes;
}

std::optional<PWAttributedString> PWKeyedUnarchiver::attributedStringEntry(quint64 uid)
{
    const PWPlist stringRef = field(uid, QStringLiteral("NSString"));
    std::optional<QString> text = QString();
    if (!stringRef.isNull() && !(stringRef.isUid() && PWKeyedArchive::isNil(stringRef.toUid())))
        text = decodeString(stringRef);
    if (!text)
        return std::nullopt;

    const PWPlist attributesRef = field(uid, QStringLiteral("NSAttributes"));
    const quint64 attributesUid = attributesRef.isUid() ? attributesRef.toUid() : 0;
    // Every writer gives characters their attributes, if only an empty set.
    if (!attributesRef.isUid() && !text->isEmpty())
        note(attributesRef.isNull() ? QStringLiteral("the text has no attributes; its characters keep the default")
                                    : QStringLiteral("the text attributes are no reference; they keep the default"));
    if (PWKeyedArchive::isNil(attributesUid) || !m_archive.isKindOf(attributesUid, QStringLiteral("NSArray"))) {
        // One dictionary of attributes for the whole string (or none at all).
        const std::optional<Attributes> attributes = attributesEntry(attributesUid);
        if (!attributes)
            return std::nullopt;
        return PWAttributedString(*text, attributes->character, attributes->paragraph);
    }

    QList<Attributes> table;
    {
        Visit visit(*this, attributesUid);
        if (!visit.ok())
            return std::nullopt;
        const PWPlist elements = field(attributesUid, kNSObjects);
        if (!elements.isArray()) {
            fail(QStringLiteral("the attributes of string %1 are no array").arg(uid));
            return std::nullopt;
        }
        for (const PWPlist &element : elements.toArray()) {
            if (!element.isUid())
                note(QStringLiteral("the text attributes of some characters are no reference; they keep the default"));
            const std::optional<Attributes> attributes = attributesEntry(element.isUid() ? element.toUid() : 0);
            if (!attributes)
                return std::nullopt;
            table.append(*attributes);
        }
    }
    const std::optional<QByteArray> runs = decodeData(field(uid, QStringLiteral("NSAttributeInfo")));
    if (!runs)
        return std::nullopt;

    PWAttributedString result;
    qsizetype position = 0;
    qsizetype cursor = 0;
    while (cursor < runs->size()) {
        const std::optional<quint64> length = readVarint(*runs, &cursor);
        const std::optional<quint64> index = length ? readVarint(*runs, &cursor) : std::nullopt;
        if (!index) {
            fail(QStringLiteral("the attribute runs of string %1 are truncated").arg(uid));
            return std::nullopt;
        }
        if (*index >= quint64(table.size()) || *length > quint64(text->size() - position)) {
            fail(QStringLiteral("an attribute run of string %1 lies outside it").arg(uid));
            return std::nullopt;
        }
        const Attributes &attributes = table.at(qsizetype(*index));
        result.append(text->mid(position, qsizetype(*length)), attributes.character, attributes.paragraph);
        position += qsizetype(*length);
    }
    if (position != text->size()) {
        fail(QStringLiteral("the attribute runs of string %1 cover %2 of its %3 characters")
                 .arg(uid)
                 .arg(position)
                 .arg(text->size()));
        return std::nullopt;
    }
    return result;
}
