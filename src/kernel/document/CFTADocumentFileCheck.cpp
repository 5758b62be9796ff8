// Whether a dictionary can be read as a design at all. Every design of a current version holds
// the keys its writer always writes; older designs hold fewer, so for them only keys that are
// present in a damaged form (one character changed) count as missing.

#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTADocumentFileCheck.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/CDDBundleVersion.h"
#include "kernel/base/CDDReadReport.h"
#include "kernel/component/FTComponentFactory.h"
#include "platform/PWBundle.h"

#include <optional>

namespace {

struct RequiredKey {
    const QString &key;
    // The value is a dictionary of its own, read as one.
    bool dictionary;
};

// The keys every current design holds at its top level, the layout aside.
const std::vector<RequiredKey> &requiredKeys()
{
    static const std::vector<RequiredKey> keys {
        {key_BundleVersion, false},       {key_DocumentType, false},        {key_ISOCountryCodeTo, false},
        {key_ISOCountryCodeFrom, false},  {key_AddressSourceTo, false},     {key_AddressSourceFrom, false},
        {key_CardWidth, false},           {key_CardHeight, false},          {key_PrintableCardSizeX, false},
        {key_PrintableCardSizeY, false},  {key_Horizontal, false},          {key_PaperColor, false},
        {key_Units, false},               {key_FIMBarcodeVisible, false},   {key_DefaultSettings, true},
        {key_DefaultSettingsText, true},  {key_FrontSide, true},
    };
    return keys;
}

// The keys every current layout dictionary holds.
const QStringList &requiredLayoutKeys()
{
    static const QStringList keys {key_Manufacturer, key_ID,       key_Description, key_Category,
                                   key_Type,         key_PageSize, key_Columns,     key_Rows};
    return keys;
}

// where names the dictionary holding the key, empty for the top level.
QString missing(const QString &key, const QString &damaged, const QString &where = QString())
{
    const QString what = where.isEmpty() ? QStringLiteral("\"%1\"").arg(key)
                                         : QStringLiteral("\"%1\" of \"%2\"").arg(key, where);
    if (damaged.isEmpty())
        return QStringLiteral("%1 is missing").arg(what);
    return QStringLiteral("%1 is missing: the file has \"%2\" in its place").arg(what, damaged);
}

// A key that is absent: refused for a current design, and for any design when the file holds
// it in a damaged form (the version itself may be what was damaged).
QString checkPresent(const PWPlist::Dictionary &dictionary, const QString &key, const QStringList &known, bool current,
                     const QString &where = QString())
{
    if (dictionary.contains(key))
        return QString();
    const QString damaged = CDDReadReport::damagedFormOf(dictionary, key, known);
    return current || !damaged.isEmpty() ? missing(key, damaged, where) : QString();
}

QString checkLayout(const PWPlist::Dictionary &file, bool current)
{
    const QStringList layoutKeys {key_PredefinedLayout, key_CustomLayout};
    const QString layoutKey = file.contains(key_PredefinedLayout) ? key_PredefinedLayout
                              : file.contains(key_CustomLayout)  ? key_CustomLayout
                                                                 : QString();
    if (layoutKey.isEmpty()) {
        for (const QString &key : layoutKeys) {
            if (const QString damaged = CDDReadReport::damagedFormOf(file, key, layoutKeys); !damaged.isEmpty())
                return missing(key, damaged);
        }
        return current ? QStringLiteral("neither \"%1\" nor \"%2\" is present").arg(key_PredefinedLayout, key_CustomLayout)
                       : QString();
    }
    const PWPlist layout = file.value(layoutKey);
    if (!layout.isDictionary())
        return current ? QStringLiteral("\"%1\" is not a dictionary").arg(layoutKey) : QString();
    for (const QString &key : requiredLayoutKeys()) {
        if (const QString reason = checkPresent(layout.toDictionary(), key, requiredLayoutKeys(), current, layoutKey);
            !reason.isEmpty())
            return reason;
    }
    return QString();
}

QString tooManyComponents(qsizetype components)
{
    return QStringLiteral("it holds %1 components, more than the %2 a design can hold")
        .arg(components)
        .arg(CFTADocumentFileCheck::kMostComponents);
}

// The components of a list, those inside others (the fields of a panel) among them: every entry
// of a side's own list (one that reads as none is read all the same), and within an entry every
// dictionary of a list that names its class. False, with the reason, at a panel of more fields
// than one holds.
bool countComponents(const PWPlist &list, bool sideList, qsizetype *components, QString *reason)
{
    for (const PWPlist &entry : list.toArray()) {
        const bool component = entry.isDictionary() && entry.toDictionary().contains(key_ClassID);
        if (!sideList && !component)
            continue;
        ++*components;
        if (!component)
            continue;
        const PWPlist fields = entry.value(key_Components);
        if (fields.isArray() && fields.toArray().size() > CFTADocumentFileCheck::kMostPanelFields) {
            *reason = QStringLiteral("a component holds %1 fields, more than the %2 an address panel can hold")
                          .arg(fields.toArray().size())
                          .arg(CFTADocumentFileCheck::kMostPanelFields);
            return false;
        }
        for (const auto &inner : entry.toDictionary())
            if (inner.second.isArray() && !countComponents(inner.second, false, components, reason))
                return false;
    }
    return true;
}

// The front side's lists must be lists; a front side that has entries but no list of components
// lost it (one changed byte in the key is enough), and reading it as an empty design would lose
// the whole design at the next save.
QString checkFrontSide(const PWPlist &front)
{
    if (front.isNull())
        return QString();
    if (!front.isDictionary())
        return QStringLiteral("\"%1\" is not a dictionary").arg(key_FrontSide);
    qsizetype components = 0;
    for (const QString &key : {key_Components, key_BackComponents}) {
        const PWPlist list = front.value(key);
        if (!list.isNull() && !list.isArray())
            return QStringLiteral("\"%1\" is not a list").arg(key);
        QString reason;
        if (!countComponents(list, true, &components, &reason))
            return reason;
    }
    if (components > CFTADocumentFileCheck::kMostComponents)
        return tooManyComponents(components);
    if (!front.value(key_Components).isNull())
        return QString();
    // The side's guidelines are its own entry: kept from the file, they stay when every component
    // was deleted, and that design must open again.
    for (const QString &key : front.toDictionary().keys()) {
        if (key != key_BackComponents && key != key_LayoutGuidelines)
            return QStringLiteral("\"%1\" has no \"%2\" list but an unknown entry \"%3\"")
                .arg(key_FrontSide, key_Components, key);
    }
    return QString();
}

// Why the file cannot be read as a design of a current (or an old) version; empty when it can.
QString refusalAs(const PWPlist::Dictionary &dictionary, bool current)
{
    QStringList known {key_PredefinedLayout, key_CustomLayout, key_AddressFormatTo, key_AddressFormatFrom};
    for (const RequiredKey &required : requiredKeys())
        known.append(required.key);
    for (const RequiredKey &required : requiredKeys()) {
        if (const QString reason = checkPresent(dictionary, required.key, known, current); !reason.isEmpty())
            return reason;
        if (current && required.dictionary && !dictionary.value(required.key).isDictionary())
            return QStringLiteral("\"%1\" is not a dictionary").arg(required.key);
    }
    if (const QString reason = checkLayout(dictionary, current); !reason.isEmpty())
        return reason;
    return checkFrontSide(dictionary.value(key_FrontSide));
}

} // namespace

QString CFTADocumentFileCheck::refusalBeforeReading(const QByteArray &bytes)
{
    const std::optional<qsizetype> components = PWPlist::countDictionariesHolding(bytes, key_ClassID);
    return components && *components > kMostComponents ? tooManyComponents(*components) : QString();
}

int CFTADocumentFileCheck::versionOfFile(const PWPlist &file, QString *problem)
{
    const PWPlist stored = file.isDictionary() ? file.value(key_BundleVersion) : PWPlist();
    if (stored.isNull())
        return 0;
    if (const std::optional<int> version = CDDBundleVersion::parse(stored))
        return *version;
    const QString shown = stored.isString() ? stored.toString().left(40) : QStringLiteral("not a number");
    if (refusalAs(file.toDictionary(), true).isEmpty()) {
        if (problem)
            *problem = QStringLiteral("The design's \"%1\" is damaged (%2); it holds everything a current design "
                                      "holds and was read as one")
                           .arg(key_BundleVersion, shown);
        return PWBundle::mainBundle().bundleVersion();
    }
    if (problem)
        *problem = QStringLiteral("The design's \"%1\" is damaged (%2); it lacks parts every current design "
                                  "holds and was read as an old design")
                       .arg(key_BundleVersion, shown);
    return 0;
}

QString CFTADocument::refusalOfFile(const PWPlist &file)
{
    if (!file.isDictionary())
        return QStringLiteral("the file holds no dictionary");
    const bool current = CFTADocumentFileCheck::versionOfFile(file) > FTComponentFactory::kLastOldBundleVersion;
    return refusalAs(file.toDictionary(), current);
}
