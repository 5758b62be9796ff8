// Whether a dictionary can be read as a design at all, and what of a current design it holds as
// another kind of value. A key present in a damaged form (one character changed) refuses the file;
// a key that is simply absent keeps the prepared design's value without a word.

#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTADocumentFileCheck.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/CDDBundleVersion.h"
#include "kernel/base/CDDReadReport.h"
#include "kernel/base/FTClassID.h"
#include "kernel/component/FTComponentFactory.h"
#include "platform/PWBundle.h"
#include "platform/PWPlistValueCount.h"

#include <optional>

namespace {

struct RequiredKey {
    const QString &key;
    // The value is a dictionary of its own, read as one.
    bool dictionary;
};

// The keys every current design writes at its top level, the layout aside.
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

// The keys every current layout dictionary is written with.
const QStringList &requiredLayoutKeys()
{
    static const QStringList keys {key_Manufacturer, key_ID,       key_Description, key_Category,
                                   key_Type,         key_PageSize, key_Columns,     key_Rows};
    return keys;
}

// where names the dictionary holding the key, empty for the top level.
QString named(const QString &key, const QString &where = QString())
{
    return where.isEmpty() ? QStringLiteral("\"%1\"").arg(key) : QStringLiteral("\"%1\" of \"%2\"").arg(key, where);
}

QString missing(const QString &key, const QString &damaged, const QString &where = QString())
{
    return QStringLiteral("%1 is missing: the file has \"%2\" in its place").arg(named(key, where), damaged);
}

// A key whose name the file holds with one character changed: the file was damaged there, and
// reading it as absent could read a current design as an old one or lose a whole part.
QString checkNotDamaged(const PWPlist::Dictionary &dictionary, const QString &key, const QStringList &known,
                        const QString &where = QString())
{
    if (dictionary.contains(key))
        return QString();
    const QString damaged = CDDReadReport::damagedFormOf(dictionary, key, known);
    return damaged.isEmpty() ? QString() : missing(key, damaged, where);
}

const QStringList &layoutKeys()
{
    static const QStringList keys {key_PredefinedLayout, key_CustomLayout};
    return keys;
}

QString checkLayout(const PWPlist::Dictionary &file)
{
    const QString layoutKey = file.contains(key_PredefinedLayout) ? key_PredefinedLayout
                              : file.contains(key_CustomLayout)  ? key_CustomLayout
                                                                 : QString();
    if (layoutKey.isEmpty()) {
        for (const QString &key : layoutKeys()) {
            if (const QString damaged = CDDReadReport::damagedFormOf(file, key, layoutKeys()); !damaged.isEmpty())
                return missing(key, damaged);
        }
        return QString();
    }
    const PWPlist layout = file.value(layoutKey);
    if (!layout.isDictionary())
        return QString();
    for (const QString &key : requiredLayoutKeys()) {
        if (const QString reason = checkNotDamaged(layout.toDictionary(), key, requiredLayoutKeys(), layoutKey);
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
QString checkFrontSide(const PWPlist &front, bool current)
{
    if (front.isNull())
        return QString();
    // A current design's front side of another kind is named by the reading, and kept: the rest
    // of the file says it is a design. An older file has little else to say so.
    if (!front.isDictionary())
        return current ? QString() : QStringLiteral("\"%1\" is not a dictionary").arg(key_FrontSide);
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
    // A side without its list is a side without components (a list is written only with entries);
    // one whose list's name lost a character lost its components, and a save would make it final.
    const QStringList known {key_Components, key_BackComponents, key_LayoutGuidelines};
    for (const QString &key : {key_Components, key_BackComponents}) {
        if (const QString damaged = CDDReadReport::damagedFormOf(front.toDictionary(), key, known); !damaged.isEmpty())
            return QStringLiteral("\"%1\" has no \"%2\" list but an unknown entry \"%3\"")
                .arg(key_FrontSide, key, damaged);
    }
    return QString();
}

// Whether the file holds every part a current design writes, each of its kind.
bool holdsEveryPartOfACurrentDesign(const PWPlist::Dictionary &dictionary)
{
    for (const RequiredKey &required : requiredKeys()) {
        const PWPlist value = dictionary.value(required.key);
        if (value.isNull() || (required.dictionary && !value.isDictionary()))
            return false;
    }
    const PWPlist layout = dictionary.contains(key_PredefinedLayout) ? dictionary.value(key_PredefinedLayout)
                                                                     : dictionary.value(key_CustomLayout);
    if (!layout.isDictionary())
        return false;
    const QStringList &layoutKeys = requiredLayoutKeys();
    return std::all_of(layoutKeys.cbegin(), layoutKeys.cend(),
                       [&layout](const QString &key) { return layout.toDictionary().contains(key); });
}

// Why the file cannot be read as a design of any version; empty when it can.
QString refusalOf(const PWPlist::Dictionary &dictionary, bool current)
{
    const PWPlist type = dictionary.value(key_DocumentType);
    if (!current && !type.isNull() && !type.isString())
        return QStringLiteral("\"%1\" is not a text").arg(key_DocumentType);
    QStringList known {key_PredefinedLayout, key_CustomLayout, key_AddressFormatTo, key_AddressFormatFrom};
    for (const RequiredKey &required : requiredKeys())
        known.append(required.key);
    for (const RequiredKey &required : requiredKeys()) {
        if (const QString reason = checkNotDamaged(dictionary, required.key, known); !reason.isEmpty())
            return reason;
    }
    if (const QString reason = checkLayout(dictionary); !reason.isEmpty())
        return reason;
    return checkFrontSide(dictionary.value(key_FrontSide), current);
}

} // namespace

PWPlistValueCount::Query CFTADocumentFileCheck::costQuery()
{
    // Every component names its class, a panel among them by its class whatever else of it the
    // file lost; a current text keeps its string under one key, a text of an older design under
    // the other, and a text holding both is one text. One pass counts them all, each shared entry
    // at every use.
    return PWPlistValueCount::Query {key_ClassID, classStringKeys.at(ciAddressPanel),
                                     {key_TextStorage2, key_TextStorage}, kMostBytesLaidOut};
}

CFTADocumentFileCheck::Cost CFTADocumentFileCheck::costOfTally(const PWPlistValueCount::Tally &tally)
{
    Cost cost;
    cost.components = qsizetype(tally.holdingClass);
    cost.texts = qsizetype(tally.holdingData);
    cost.panels = qsizetype(tally.holdingClassValue);
    cost.textBytes = tally.dataBytes;
    cost.textBytesLaidOut = tally.dataBytesEachUpTo;
    cost.values = tally.values;
    cost.valueBytes = tally.valueBytes;
    return cost;
}

std::optional<CFTADocumentFileCheck::Cost> CFTADocumentFileCheck::costOf(const QByteArray &bytes)
{
    const std::optional<PWPlistValueCount::Tally> tally = PWPlistValueCount::tally(bytes, costQuery());
    return tally ? std::optional<Cost>(costOfTally(*tally)) : std::nullopt;
}

QString CFTADocumentFileCheck::refusalBeforeReading(const QByteArray &bytes)
{
    const std::optional<Cost> cost = costOf(bytes);
    return cost ? refusalOfCost(*cost) : QString();
}

QString CFTADocumentFileCheck::refusalOfCost(const Cost &counted, const Bounds &bounds)
{
    const Cost *const cost = &counted;
    if (cost->components > kMostComponents)
        return tooManyComponents(cost->components);
    constexpr double kMegabyte = 1024.0 * 1024.0;
    // Rounded up: a design just past a bound never reads as taking no more than it.
    const auto above = [](qint64 amount, qint64 unit) { return amount / unit + (amount % unit ? 1 : 0); };
    if (cost->decodeMemory() > bounds.memory)
        return QStringLiteral("its property list holds %1 values with %2 MB of text and data: reading it would take "
                              "some %3 MB of memory before any component is made, more than the %4 MB a design may take")
            .arg(cost->values)
            .arg(double(cost->valueBytes) / kMegabyte, 0, 'f', 1)
            .arg(above(cost->decodeMemory(), 1024 * 1024))
            .arg(qRound64(double(bounds.memory) / kMegabyte));
    if (cost->withinBounds(bounds))
        return QString();
    return QStringLiteral("it holds %1 components, %2 of them texts (%3 MB of stored text) and %4 address panels: "
                          "opening, printing and saving it would take some %5 MB of memory and %6 seconds, more than the "
                          "%7 MB and %8 seconds a design may take")
        .arg(cost->components)
        .arg(cost->texts)
        .arg(double(cost->textBytes) / kMegabyte, 0, 'f', 1)
        .arg(cost->panels)
        .arg(above(cost->memory(), 1024 * 1024))
        .arg(above(cost->microseconds(), 1000000))
        .arg(qRound64(double(bounds.memory) / kMegabyte))
        .arg(bounds.seconds);
}

bool CFTADocumentFileCheck::stepPastBounds(const Cost &before, const Cost &after, const Bounds &bounds)
{
    if (refusalOfCost(after, bounds).isEmpty())
        return false;
    if (refusalOfCost(before, bounds).isEmpty())
        return true;
    // Past the bounds already, the step may change what does not pass them (a moved component
    // writes other numbers), but must not add to what does.
    const auto grewPast = [](qint64 was, qint64 is, qint64 bound) { return is > bound && is > was; };
    return grewPast(before.components, after.components, kMostComponents)
        || grewPast(before.memory(), after.memory(), bounds.memory)
        || grewPast(before.microseconds(), after.microseconds(), bounds.seconds * 1000000)
        || grewPast(before.decodeMemory(), after.decodeMemory(), bounds.memory);
}

int CFTADocumentFileCheck::versionOfFile(const PWPlist &file, QString *problem)
{
    const PWPlist stored = file.isDictionary() ? file.value(key_BundleVersion) : PWPlist();
    if (stored.isNull())
        return 0;
    if (const std::optional<int> version = CDDBundleVersion::parse(stored))
        return *version;
    const QString shown = stored.isString() ? stored.toString().left(40) : QStringLiteral("not a number");
    if (holdsEveryPartOfACurrentDesign(file.toDictionary())) {
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

std::vector<CFTADocumentFileCheck::Gap> CFTADocumentFileCheck::partsOfAnotherKind(const PWPlist &file)
{
    std::vector<Gap> gaps;
    const PWPlist::Dictionary dictionary = file.toDictionary();
    const auto otherKind = [](const QString &key) {
        return QStringLiteral("%1 is not a dictionary: the design keeps what a new design has in its place, and "
                              "the value is kept for the next save")
            .arg(named(key));
    };
    for (const RequiredKey &required : requiredKeys()) {
        if (required.dictionary && dictionary.contains(required.key) && !dictionary.value(required.key).isDictionary())
            gaps.push_back({required.key, otherKind(required.key)});
    }
    const QString layoutKey = dictionary.contains(key_PredefinedLayout) ? key_PredefinedLayout : key_CustomLayout;
    if (dictionary.contains(layoutKey) && !dictionary.value(layoutKey).isDictionary())
        gaps.push_back({layoutKey, otherKind(layoutKey)});
    return gaps;
}

QString CFTADocument::refusalOfFile(const PWPlist &file)
{
    if (!file.isDictionary())
        return QStringLiteral("the file holds no dictionary");
    const bool current = CFTADocumentFileCheck::versionOfFile(file) > FTComponentFactory::kLastOldBundleVersion;
    return refusalOf(file.toDictionary(), current);
}
