#include "platform/PWKeyedArchiver.h"

#include "platform/PWTextAttributes.h"

#include <QDataStream>
#include <QDateTime>
#include <QHash>
#include <QMutex>
#include <QTimeZone>

#include <bit>
#include <charconv>
#include <cmath>

namespace {

const QString kClass = QStringLiteral("$class");
const QString kNSObjects = QStringLiteral("NS.objects");
const QString kNSKeys = QStringLiteral("NS.keys");

constexpr qint64 kArchiveVersion = 100000;
constexpr int kMaxDepth = 64;
// Seconds between the Unix epoch and the platform's reference date, 2001-01-01 00:00:00 UTC.
constexpr double kReferenceDateOffset = 978307200.0;

QStringList chain(std::initializer_list<const char *> names)
{
    QStringList classes;
    for (const char *name : names)
        classes.append(QLatin1String(name));
    return classes;
}

// A number as the platform writes colour components: up to ten significant digits, no
// trailing zeros ("%.10g" in the C locale).
void appendNumber(QByteArray *text, double value)
{
    char buffer[64];
    const std::to_chars_result written =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 10);
    text->append(buffer, written.ptr - buffer);
}

// A variable-length unsigned integer of the attribute-run table (see PWKeyedUnarchiver).
void appendVarint(QByteArray *bytes, quint64 value)
{
    do {
        unsigned char byte = value & 0x7f;
        value >>= 7;
        if (value)
            byte |= 0x80;
        bytes->append(char(byte));
    } while (value);
}

PWColor colorOf(const QBrush &brush)
{
    const QColor color = brush.color();
    if (color.spec() == QColor::Cmyk)
        return PWColor::deviceCMYK(float(color.cyanF()), float(color.magentaF()), float(color.yellowF()),
                                   float(color.blackF()), float(color.alphaF()));
    const QColor rgb = color.toRgb();
    return PWColor::calibratedRGB(float(rgb.redF()), float(rgb.greenF()), float(rgb.blueF()), float(rgb.alphaF()));
}

bool hasFont(const QTextCharFormat &format)
{
    for (int property : {int(QTextFormat::FontFamilies), int(QTextFormat::FontFamily), int(QTextFormat::FontPointSize),
                         int(QTextFormat::FontWeight), int(QTextFormat::FontItalic),
                         int(PWTextAttributes::PostScriptFontName)}) {
        if (format.hasProperty(property))
            return true;
    }
    return false;
}

} // namespace

PWKeyedArchiver::PWKeyedArchiver()
{
    m_objects.append(PWPlist::fromString(QStringLiteral("$null")));
}

quint64 PWKeyedArchiver::reserve()
{
    m_objects.append(PWPlist());
    return quint64(m_objects.size() - 1);
}

PWPlist PWKeyedArchiver::append(const PWPlist &value)
{
    m_objects.append(value);
    return PWPlist::fromUid(quint64(m_objects.size() - 1));
}

PWPlist PWKeyedArchiver::classReference(const QStringList &classes)
{
    const auto found = m_classes.constFind(classes.first());
    if (found != m_classes.constEnd())
        return PWPlist::fromUid(*found);
    PWPlist::Array names;
    for (const QString &name : classes)
        names.append(PWPlist::fromString(name));
    const PWPlist reference = append(PWPlist::Dictionary{{QStringLiteral("$classes"), names},
                                                         {QStringLiteral("$classname"), PWPlist::fromString(classes.first())}});
    m_classes.insert(classes.first(), reference.toUid());
    return reference;
}

// The object's class is described after its fields, as the platform's archiver does it.
PWPlist PWKeyedArchiver::store(quint64 index, PWPlist::Dictionary fields, const QStringList &classes)
{
    fields.insert(kClass, classReference(classes));
    m_objects[qsizetype(index)] = fields;
    return PWPlist::fromUid(index);
}

PWPlist PWKeyedArchiver::encodeString(const QString &text)
{
    const auto found = m_strings.constFind(text);
    if (found != m_strings.constEnd())
        return PWPlist::fromUid(*found);
    const PWPlist reference = append(PWPlist::fromString(text));
    m_strings.insert(text, reference.toUid());
    return reference;
}

QByteArray PWKeyedArchiver::componentText(std::initializer_list<float> components, float alpha)
{
    QByteArray text;
    for (float component : components) {
        if (!text.isEmpty())
            text.append(' ');
        appendNumber(&text, double(component));
    }
    if (alpha != 1.0f) {
        text.append(' ');
        appendNumber(&text, double(alpha));
    }
    text.append('\0');
    return text;
}

PWPlist PWKeyedArchiver::encodeColor(const PWColor &color)
{
    PWPlist::Dictionary fields;
    int space = 1;
    QString textKey = QStringLiteral("NSRGB");
    QByteArray text;
    switch (color.colorSpace()) {
    case PWColor::ColorSpace::CalibratedRGB:
    case PWColor::ColorSpace::DeviceRGB:
        space = color.colorSpace() == PWColor::ColorSpace::CalibratedRGB ? 1 : 2;
        text = componentText({color.redComponent(), color.greenComponent(), color.blueComponent()}, color.alpha());
        break;
    case PWColor::ColorSpace::CalibratedWhite:
    case PWColor::ColorSpace::DeviceWhite:
        space = color.colorSpace() == PWColor::ColorSpace::CalibratedWhite ? 3 : 4;
        textKey = QStringLiteral("NSWhite");
        text = componentText({color.whiteComponent()}, color.alpha());
        break;
    case PWColor::ColorSpace::DeviceCMYK:
        space = 5;
        textKey = QStringLiteral("NSCMYK");
        text = componentText({color.cyanComponent(), color.magentaComponent(), color.yellowComponent(),
                              color.blackComponent()},
                             color.alpha());
        break;
    case PWColor::ColorSpace::Named:
        space = 6;
        break;
    }
    const QString key = QStringLiteral("color:%1:%2:%3:%4")
                            .arg(space)
                            .arg(QString::fromLatin1(text.toHex()), color.catalogName(), color.colorName());
    const auto found = m_shared.constFind(key);
    if (found != m_shared.constEnd() && space != 6)
        return PWPlist::fromUid(*found);

    const quint64 index = reserve();
    fields.insert(QStringLiteral("NSColorSpace"), PWPlist::fromInteger(space));
    if (space == 6) {
        fields.insert(QStringLiteral("NSCatalogName"), encodeString(color.catalogName()));
        fields.insert(QStringLiteral("NSColorName"), encodeString(color.colorName()));
        fields.insert(QStringLiteral("NSColor"),
                      encodeColor(PWColor::calibratedRGB(color.redComponent(), color.greenComponent(),
                                                         color.blueComponent(), color.alpha())));
    } else {
        fields.insert(textKey, PWPlist::fromData(text));
        m_shared.insert(key, index);
    }
    return store(index, fields, chain({"NSColor", "NSObject"}));
}

PWPlist PWKeyedArchiver::encodeFont(const PWFont &font)
{
    const QString key = QStringLiteral("font:%1:%2:%3").arg(font.postScriptName()).arg(font.pointSize()).arg(font.flags());
    const auto found = m_shared.constFind(key);
    if (found != m_shared.constEnd())
        return PWPlist::fromUid(*found);
    const quint64 index = reserve();
    m_shared.insert(key, index);
    PWPlist::Dictionary fields;
    fields.insert(QStringLiteral("NSName"), encodeString(font.postScriptName()));
    fields.insert(QStringLiteral("NSSize"), PWPlist::fromReal(font.pointSize()));
    fields.insert(QStringLiteral("NSfFlags"), PWPlist::fromInteger(font.flags()));
    return store(index, fields, chain({"NSFont", "NSObject"}));
}

PWPlist PWKeyedArchiver::encodeParagraphStyle(const PWParagraphStyle &style)
{
    const quint64 index = reserve();
    PWPlist::Dictionary fields;
    if (style.alignment != PWTextAlignment::Natural)
        fields.insert(QStringLiteral("NSAlignment"), PWPlist::fromInteger(int(style.alignment)));
    if (!style.tabStops.isEmpty()) {
        const quint64 tabsIndex = reserve();
        PWPlist::Array tabs;
        for (const PWParagraphStyle::Tab &tab : style.tabStops) {
            const quint64 tabIndex = reserve();
            PWPlist::Dictionary tabFields{{QStringLiteral("NSLocation"), PWPlist::fromReal(tab.location)}};
            if (tab.type != PWParagraphStyle::TabType::Left)
                tabFields.insert(QStringLiteral("NSTabStopType"), PWPlist::fromInteger(int(tab.type)));
            tabs.append(store(tabIndex, tabFields, chain({"NSTextTab", "NSObject"})));
        }
        fields.insert(QStringLiteral("NSTabStops"),
                      store(tabsIndex, PWPlist::Dictionary{{kNSObjects, tabs}}, chain({"NSArray", "NSObject"})));
    }
    const auto real = [&fields](const char *key, double value) {
        if (value != 0.0)
            fields.insert(QLatin1String(key), PWPlist::fromReal(value));
    };
    real("NSLineSpacing", style.lineSpacing);
    real("NSParagraphSpacing", style.paragraphSpacing);
    real("NSParagraphSpacingBefore", style.paragraphSpacingBefore);
    real("NSHeadIndent", style.headIndent);
    real("NSFirstLineHeadIndent", style.firstLineHeadIndent);
    real("NSTailIndent", style.tailIndent);
    if (style.lineBreakMode != 0)
        fields.insert(QStringLiteral("NSLineBreakMode"), PWPlist::fromInteger(style.lineBreakMode));
    real("NSMinLineHeight", style.minimumLineHeight);
    real("NSMaxLineHeight", style.maximumLineHeight);
    real("NSLineHeightMultiple", style.lineHeightMultiple);
    return store(index, fields, chain({"NSParagraphStyle", "NSObject"}));
}

PWPlist PWKeyedArchiver::encodeAttributes(const QTextCharFormat &format, const QTextBlockFormat &block)
{
    const quint64 index = reserve();
    PWPlist::Array keys;
    PWPlist::Array values;
    const auto add = [&](const QString &key, const PWPlist &value) {
        keys.append(encodeString(key));
        values.append(value);
    };
    if (hasFont(format))
        add(QStringLiteral("NSFont"),
            encodeFont(PWFont::fromQFont(format.font(), format.stringProperty(PWTextAttributes::PostScriptFontName))));
    if (format.hasProperty(QTextFormat::ForegroundBrush))
        add(QStringLiteral("NSColor"), encodeColor(colorOf(format.foreground())));
    if (format.hasProperty(QTextFormat::BackgroundBrush))
        add(QStringLiteral("NSBackgroundColor"), encodeColor(colorOf(format.background())));
    // A paragraph style that says nothing beyond the defaults reads back as no style at all;
    // writing it would make a text's second save differ from its first.
    const PWParagraphStyle paragraph = PWParagraphStyle::fromBlockFormat(block);
    if (paragraph != PWParagraphStyle())
        add(QStringLiteral("NSParagraphStyle"), encodeParagraphStyle(paragraph));
    if (format.hasProperty(PWTextAttributes::Kerning))
        add(QStringLiteral("NSKern"), append(PWPlist::fromReal(format.doubleProperty(PWTextAttributes::Kerning))));
    if (format.hasProperty(PWTextAttributes::BaselineOffset))
        add(QStringLiteral("NSBaselineOffset"),
            append(PWPlist::fromReal(format.doubleProperty(PWTextAttributes::BaselineOffset))));
    if (format.underlineStyle() != QTextCharFormat::NoUnderline)
        add(QStringLiteral("NSUnderline"), append(PWPlist::fromInteger(1)));
    if (format.fontStrikeOut())
        add(QStringLiteral("NSStrikethrough"), append(PWPlist::fromInteger(1)));
    if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript
        || format.verticalAlignment() == QTextCharFormat::AlignSubScript)
        add(QStringLiteral("NSSuperScript"),
            append(PWPlist::fromInteger(format.verticalAlignment() == QTextCharFormat::AlignSuperScript ? 1 : -1)));
    static const QStringList known = {QStringLiteral("NSFont"),         QStringLiteral("NSColor"),
                                      QStringLiteral("NSBackgroundColor"), QStringLiteral("NSParagraphStyle"),
                                      QStringLiteral("NSKern"),         QStringLiteral("NSBaselineOffset"),
                                      QStringLiteral("NSUnderline"),    QStringLiteral("NSStrikethrough"),
                                      QStringLiteral("NSSuperScript")};
    const QVariantMap custom = format.property(PWTextAttributes::CustomAttributes).toMap();
    for (auto it = custom.cbegin(); it != custom.cend(); ++it) {
        if (!known.contains(it.key()))
            add(it.key(), encodeObject(it.value(), 1));
    }
    return store(index, PWPlist::Dictionary{{kNSKeys, keys}, {kNSObjects, values}},
                 chain({"NSDictionary", "NSObject"}));
}

PWPlist PWKeyedArchiver::encodeAttributedString(const PWAttributedString &text, StringClass stringClass)
{
    const quint64 index = reserve();
    PWPlist::Dictionary fields;
    fields.insert(QStringLiteral("NSString"), encodeString(text.string()));
    const QList<PWAttributedString::Run> &runs = text.runs();
    if (runs.size() == 1) {
        fields.insert(QStringLiteral("NSAttributes"), encodeAttributes(runs.first().charFormat, runs.first().blockFormat));
    } else if (runs.size() > 1) {
        // One dictionary per distinct pair of formats; the runs refer to them by index.
        const quint64 tableIndex = reserve();
        PWPlist::Array table;
        QList<const PWAttributedString::Run *> distinct;
        QByteArray info;
        qsizetype pendingLength = 0;
        qsizetype pendingIndex = -1;
        for (const PWAttributedString::Run &run : runs) {
            qsizetype found = 0;
            while (found < distinct.size()
                   && !(distinct.at(found)->charFormat == run.charFormat && distinct.at(found)->blockFormat == run.blockFormat))
                ++found;
            if (found == distinct.size()) {
                distinct.append(&run);
                table.append(encodeAttributes(run.charFormat, run.blockFormat));
            }
            if (found != pendingIndex && pendingLength > 0) {
                appendVarint(&info, quint64(pendingLength));
                appendVarint(&info, quint64(pendingIndex));
                pendingLength = 0;
            }
            pendingIndex = found;
            pendingLength += run.length;
        }
        appendVarint(&info, quint64(pendingLength));
        appendVarint(&info, quint64(pendingIndex));
        fields.insert(QStringLiteral("NSAttributes"),
                      store(tableIndex, PWPlist::Dictionary{{kNSObjects, table}}, chain({"NSArray", "NSObject"})));
        fields.insert(QStringLiteral("NSAttributeInfo"), append(PWPlist::fromData(info)));
    }
    switch (stringClass) {
    case StringClass::TextStorage:
        return store(index, fields, chain({"NSTextStorage", "NSMutableAttributedString", "NSAttributedString", "NSObject"}));
    case StringClass::MutableAttributedString:
        return store(index, fields, chain({"NSMutableAttributedString", "NSAttributedString", "NSObject"}));
    case StringClass::AttributedString:
        break;
    }
    return store(index, fields, chain({"NSAttributedString", "NSObject"}));
}

PWPlist PWKeyedArchiver::encodeObject(const QVariant &value)
{
    return encodeObject(value, 0);
}

PWPlist PWKeyedArchiver::encodeObject(const QVariant &value, int depth)
{
    if (!value.isValid() || depth > kMaxDepth)
        return PWPlist::fromUid(0);
    const QMetaType type = value.metaType();
    if (type == QMetaType::fromType<PWColor>())
        return encodeColor(value.value<PWColor>());
    if (type == QMetaType::fromType<PWFont>())
        return encodeFont(value.value<PWFont>());
    if (type == QMetaType::fromType<PWParagraphStyle>())
        return encodeParagraphStyle(value.value<PWParagraphStyle>());
    if (type == QMetaType::fromType<PWAttributedString>())
        return encodeAttributedString(value.value<PWAttributedString>());
    switch (type.id()) {
    case QMetaType::QString:
        return encodeString(value.toString());
    case QMetaType::Bool:
        return append(PWPlist::fromBool(value.toBool()));
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return append(PWPlist::fromInteger(value.toLongLong()));
    case QMetaType::Double:
    case QMetaType::Float:
        return append(PWPlist::fromReal(value.toDouble()));
    case QMetaType::QByteArray:
        return append(PWPlist::fromData(value.toByteArray()));
    case QMetaType::QDateTime: {
        const quint64 index = reserve();
        const double seconds = double(value.toDateTime().toMSecsSinceEpoch()) / 1000.0 - kReferenceDateOffset;
        return store(index, PWPlist::Dictionary{{QStringLiteral("NS.time"), PWPlist::fromReal(seconds)}},
                     chain({"NSDate", "NSObject"}));
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        const quint64 index = reserve();
        PWPlist::Array elements;
        for (const QVariant &element : value.toList())
            elements.append(encodeObject(element, depth + 1));
        return store(index, PWPlist::Dictionary{{kNSObjects, elements}}, chain({"NSArray", "NSObject"}));
    }
    case QMetaType::QVariantMap: {
        if (PWTextAttributes::isTextListValue(value))
            return encodeTextList(value.toMap());
        const quint64 index = reserve();
        const QVariantMap map = value.toMap();
        PWPlist::Array keys;
        PWPlist::Array elements;
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            keys.append(encodeString(it.key()));
            elements.append(encodeObject(it.value(), depth + 1));
        }
        return store(index, PWPlist::Dictionary{{kNSKeys, keys}, {kNSObjects, elements}},
                     chain({"NSDictionary", "NSObject"}));
    }
    default:
        return PWPlist::fromUid(0);
    }
}

PWPlist PWKeyedArchiver::encodeTextList(const QVariantMap &list)
{
    // Every marker of one list refers to the one list object, as the list's identity demands.
    const qint64 identity = list.value(PWTextAttributes::kTextListIdentityKey).toLongLong();
    const auto known = m_textLists.constFind(identity);
    if (known != m_textLists.constEnd())
        return PWPlist::fromUid(*known);
    const quint64 index = reserve();
    m_textLists.insert(identity, index);
    return store(index,
                 PWPlist::Dictionary{{QStringLiteral("$0"), PWPlist::fromInteger(
                                                                list.value(PWTextAttributes::kTextListTypeKey).toInt())}},
                 chain({"CCTextList", "NSObject"}));
}

PWPlist PWKeyedArchiver::archive(const PWPlist &root) const
{
    return PWPlist::Dictionary{
        {QStringLiteral("$version"), PWPlist::fromInteger(kArchiveVersion)},
        {QStringLiteral("$archiver"), PWPlist::fromString(QStringLiteral("NSKeyedArchiver"))},
        {QStringLiteral("$top"), PWPlist::Dictionary{{QStringLiteral("root"), root}}},
        {QStringLiteral("$objects"), m_objects},
    };
}

QByteArray PWKeyedArchiver::archivedData(const PWPlist &root) const
{
    return archive(root).toBinary();
}

QByteArray PWKeyedArchiver::archivedData(const PWColor &color)
{
    // Every component writes several colours, and a design uses few: the archive of each is made
    // once and its bytes given again (a design of many components otherwise spends most of its
    // save making the same few archives). The key holds everything the archive is made of.
    QByteArray key;
    {
        QDataStream out(&key, QIODevice::WriteOnly);
        out << int(color.colorSpace()) << color.catalogName() << color.colorName();
        for (const float component : {color.redComponent(), color.greenComponent(), color.blueComponent(),
                                      color.whiteComponent(), color.cyanComponent(), color.magentaComponent(),
                                      color.yellowComponent(), color.blackComponent(), color.alpha()})
            out << std::bit_cast<quint32>(component);
    }
    static QMutex guard;
    static QHash<QByteArray, QByteArray> made;
    {
        const QMutexLocker locked(&guard);
        if (const auto found = made.constFind(key); found != made.constEnd())
            return *found;
    }
    PWKeyedArchiver archiver;
    const QByteArray data = archiver.archivedData(archiver.encodeColor(color));
    constexpr qsizetype kMostKept = 4096;
    const QMutexLocker locked(&guard);
    if (made.size() >= kMostKept)
        made.clear();
    made.insert(key, data);
    return data;
}

QByteArray PWKeyedArchiver::archivedData(const PWFont &font)
{
    PWKeyedArchiver archiver;
    return archiver.archivedData(archiver.encodeFont(font));
}

QByteArray PWKeyedArchiver::archivedData(const PWAttributedString &text, StringClass stringClass)
{
    PWKeyedArchiver archiver;
    return archiver.archivedData(archiver.encodeAttributedString(text, stringClass));
}

QByteArray PWKeyedArchiver::archivedObject(const QVariant &value)
{
    PWKeyedArchiver archiver;
    return archiver.archivedData(archiver.encodeObject(value));
}
