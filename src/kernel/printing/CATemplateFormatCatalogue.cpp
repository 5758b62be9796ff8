// The static side of CATemplateFormat: the three lists of each template kind, their sources and
// the finders.

#include "kernel/printing/CATemplateFormat.h"

#include "kernel/base/FTUtilities.h"
#include "platform/PWBundle.h"
#include "platform/PWUserDefaults.h"

#include <QLoggingCategory>
#include <QXmlStreamReader>

#include <array>
#include <iterator>

namespace {

Q_LOGGING_CATEGORY(lcTemplates, "pw.kernel.printing")

using TemplateList = CATemplateFormat::TemplateList;

// The lists of one template kind. Each is made by its first successful load and then kept for
// the process (resetCatalogue() aside).
struct KindLists
{
    std::unique_ptr<TemplateList> predef;
    std::unique_ptr<TemplateList> custom;
    std::unique_ptr<TemplateList> recent;
};

// The template kinds: per document type, the bundle resource of its catalogue and the user
// defaults that keep its custom and recent templates.
struct TemplateKind
{
    documentType type;
    const char *resource;
    const char *customKey;
    const char *recentKey;
};

constexpr TemplateKind kTemplateKinds[] = {
    {dtLabel, "Labels", "FTCustomLabelLayout", "FTRecentLabelLayout"},
    {dtEnvelope, "Envelopes", "FTCustomEnvelopeLayout", "FTRecentEnvelopeLayout"},
    {dtPostcard, "Postcards", "FTCustomPostcardLayout", "FTRecentPostcardLayout"},
};
constexpr std::size_t kTemplateKindCount = std::size(kTemplateKinds);

// The row of a document type; null for a type without templates.
const TemplateKind *templateKind(int type)
{
    for (const TemplateKind &kind : kTemplateKinds) {
        if (kind.type == type)
            return &kind;
    }
    return nullptr;
}

KindLists *listsFor(int documentType)
{
    static std::array<KindLists, kTemplateKindCount> lists;
    const TemplateKind *kind = templateKind(documentType);
    return kind ? &lists[std::size_t(kind - kTemplateKinds)] : nullptr;
}

// --- the predefined resource -------------------------------------------------------------------

// A length of the catalogue. Blanks around the text are dropped first: a hand-indented value
// must not read as 0.
float catalogueLength(const QString &text, cardUnits *units = nullptr)
{
    return GetFloatFromCFStringWithUnits(text.trimmed(), units);
}

// How a field's text reaches the template: one setter per kind of value.
using Apply = void (*)(CATemplateFormat &format, const QString &text);

template<void (CATemplateFormat::*Set)(const QString &)>
void textField(CATemplateFormat &format, const QString &text)
{
    (format.*Set)(text);
}

template<void (CATemplateFormat::*Set)(int)>
void integerField(CATemplateFormat &format, const QString &text)
{
    (format.*Set)(GetIntFromCFString(text));
}

template<void (CATemplateFormat::*Set)(float)>
void lengthField(CATemplateFormat &format, const QString &text)
{
    (format.*Set)(catalogueLength(text));
}

// A length of the window of an envelope: any of them gives the template a window.
template<void (CATemplateFormat::*Set)(float)>
void windowField(CATemplateFormat &format, const QString &text)
{
    (format.*Set)(catalogueLength(text));
    format.setHasWindow(true);
}

// Only the width says in which unit the template is shown.
void itemWidthField(CATemplateFormat &format, const QString &text)
{
    cardUnits units = cuInches;
    format.setItemWidth(catalogueLength(text, &units));
    format.setUnits(units);
}

void sizeGroupField(CATemplateFormat &format, const QString &text)
{
    format.setSizeGroup(text);
}

struct CatalogueField
{
    const char *element; // in lower case: the catalogue compares names without regard to case
    Apply apply;
};

using F = CATemplateFormat;
constexpr CatalogueField kCatalogueFields[] = {
    {"manufacturer", textField<&F::setManufacturer>},
    {"category", textField<&F::setCategory>},
    {"type", textField<&F::setType>},
    {"description", textField<&F::setDescription>},
    {"pagesize", textField<&F::setPageSize>},
    {"id", textField<&F::setID>},
    {"name", textField<&F::setID>},
    {"columns", integerField<&F::setColumns>},
    {"rows", integerField<&F::setRows>},
    {"labelwidth", itemWidthField},
    {"envelopewidth", itemWidthField},
    {"labelheight", lengthField<&F::setItemHeight>},
    {"envelopeheight", lengthField<&F::setItemHeight>},
    {"cornerradius", lengthField<&F::setCornerRadius>},
    {"printablewidth", lengthField<&F::setPrintableWidth>},
    {"printableheight", lengthField<&F::setPrintableHeight>},
    {"topmargin", lengthField<&F::setTopMargin>},
    {"leftmargin", lengthField<&F::setLeftMargin>},
    {"hspace", lengthField<&F::setHSpace>},
    {"vspace", lengthField<&F::setVSpace>},
    {"winwidth", windowField<&F::setWinWidth>},
    {"winheight", windowField<&F::setWinHeight>},
    {"winbottomoffset", windowField<&F::setWinBottomOffset>},
    {"winleftoffset", windowField<&F::setWinLeftOffset>},
    {"dymopaperwidth", lengthField<&F::setDYMOPaperWidth>},
    {"dymopaperheight", lengthField<&F::setDYMOPaperHeight>},
    {"dymooffsetx", lengthField<&F::setDYMOOffsetX>},
    {"dymooffsety", lengthField<&F::setDYMOOffsetY>},
    {"sizegroup", sizeGroupField},
};

// The field of an element name already in lower case; null for an element that is no field.
const CatalogueField *catalogueField(const QString &element)
{
    for (const CatalogueField &field : kCatalogueFields) {
        if (element == QLatin1String(field.element))
            return &field;
    }
    return nullptr;
}

// The text of a field element, up to its end. Elements nested in a field carry no value and are
// passed over; only the field's own text counts.
QString readFieldText(QXmlStreamReader &reader)
{
    QString text;
    int depth = 1;
    while (depth > 0 && !reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            ++depth;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        case QXmlStreamReader::Characters:
            if (depth == 1)
                text += reader.text();
            break;
        default:
            break;
        }
    }
    return text;
}

// One template element: its child elements are the fields. Nothing when it has none.
std::optional<CATemplateFormat> readTemplate(QXmlStreamReader &reader)
{
    CATemplateFormat format;
    bool hasFields = false;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::EndElement)
            break;
        if (token != QXmlStreamReader::StartElement)
            continue;
        hasFields = true;
        const CatalogueField *field = catalogueField(reader.name().toString().toLower());
        const QString text = readFieldText(reader);
        // A field without text keeps the template's default, as does a text of blanks.
        if (!field || text.trimmed().isEmpty())
            continue;
        field->apply(format, text);
    }
    if (!hasFields)
        return std::nullopt;
    return format;
}

} // namespace

std::optional<QString> CATemplateFormat::catalogueResourceName(int documentType)
{
    const TemplateKind *kind = templateKind(documentType);
    return kind ? std::optional<QString>(QString::fromLatin1(kind->resource)) : std::nullopt;
}

std::optional<CATemplateFormat::TemplateList> CATemplateFormat::readCatalogue(const QByteArray &xml,
                                                                              int documentType,
                                                                              QString *error)
{
    QXmlStreamReader reader(xml);
    TemplateList list;
    bool sawRoot = false;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (sawRoot) {
            // Only reached when a second root follows, which the reader reports as an error.
            reader.skipCurrentElement();
            continue;
        }
        sawRoot = true;
        // The root's name is not examined: its children are the templates.
        while (!reader.atEnd()) {
            const QXmlStreamReader::TokenType token = reader.readNext();
            if (token == QXmlStreamReader::EndElement)
                break;
            if (token != QXmlStreamReader::StartElement)
                continue;
            std::optional<CATemplateFormat> format = readTemplate(reader);
            if (!format)
                continue;
            format->setDocumentType(documentType);
            format->setPredef(true);
            list.append(std::make_shared<CATemplateFormat>(std::move(*format)));
        }
    }
    QString reason;
    if (reader.hasError())
        reason = QStringLiteral("line %1: %2").arg(reader.lineNumber()).arg(reader.errorString());
    else if (!sawRoot)
        reason = QStringLiteral("no root element");
    if (!reason.isEmpty()) {
        if (error)
            *error = reason;
        return std::nullopt;
    }
    return list;
}

// --- the lists -----------------------------------------------------------------------------------

CATemplateFormat::TemplateList *CATemplateFormat::sharedPredefLayouts(int documentType)
{
    KindLists *lists = listsFor(documentType);
    return lists ? lists->predef.get() : nullptr;
}

CATemplateFormat::TemplateList *CATemplateFormat::sharedCustomLayouts(int documentType)
{
    KindLists *lists = listsFor(documentType);
    return lists ? lists->custom.get() : nullptr;
}

CATemplateFormat::TemplateList *CATemplateFormat::sharedRecentLayouts(int documentType)
{
    KindLists *lists = listsFor(documentType);
    return lists ? lists->recent.get() : nullptr;
}

CATemplateFormat::TemplateList *CATemplateFormat::predefLayouts(int documentType)
{
    KindLists *lists = listsFor(documentType);
    if (!lists)
        return nullptr;
    if (lists->predef)
        return lists->predef.get();
    const QString name = *catalogueResourceName(documentType);
    const QByteArray xml = PWBundle::mainBundle().resourceData(name, QStringLiteral("xml"));
    if (xml.isEmpty()) {
        qCWarning(lcTemplates) << "Format XML was not found" << name;
        return nullptr;
    }
    QString error;
    std::optional<TemplateList> list = readCatalogue(xml, documentType, &error);
    if (!list) {
        // Nothing is remembered: the next request tries again.
        qCWarning(lcTemplates).noquote() << "paper catalogue" << name << "is not readable:" << error;
        return nullptr;
    }
    lists->predef = std::make_unique<TemplateList>(std::move(*list));
    return lists->predef.get();
}

std::optional<QString> CATemplateFormat::customPrefKey(int documentType)
{
    const TemplateKind *kind = templateKind(documentType);
    return kind ? std::optional<QString>(QString::fromLatin1(kind->customKey)) : std::nullopt;
}

std::optional<QString> CATemplateFormat::recentPrefKey(int documentType)
{
    const TemplateKind *kind = templateKind(documentType);
    return kind ? std::optional<QString>(QString::fromLatin1(kind->recentKey)) : std::nullopt;
}

CATemplateFormat::TemplateList *CATemplateFormat::customLayouts(int documentType)
{
    KindLists *lists = listsFor(documentType);
    const std::optional<QString> key = customPrefKey(documentType);
    if (!lists || !key) {
        qCWarning(lcTemplates, "custom preferences key not supported for document type = %i", documentType);
        return nullptr;
    }
    if (lists->custom)
        return lists->custom.get();
    auto list = std::make_unique<TemplateList>();
    const PWPlist stored = PWUserDefaults::standardUserDefaults().objectForKey(*key);
    if (stored.isArray()) {
        for (const PWPlist &entry : stored.toArray()) {
            if (!entry.isDictionary()) {
                qCWarning(lcTemplates).noquote() << "an entry of" << *key << "is not a dictionary; skipped";
                continue;
            }
            auto format = std::make_shared<CATemplateFormat>(fromDictionary(entry.toDictionary(), true));
            format->setDocumentType(documentType);
            format->setPredef(false);
            list->append(std::move(format));
        }
    }
    lists->custom = std::move(list);
    return lists->custom.get();
}

CATemplateFormat::TemplateList *CATemplateFormat::recentLayouts(int documentType)
{
    KindLists *lists = listsFor(documentType);
    const std::optional<QString> key = recentPrefKey(documentType);
    if (!lists || !key) {
        qCWarning(lcTemplates, "recent preferences key not supported for document type = %i", documentType);
        return nullptr;
    }
    if (lists->recent)
        return lists->recent.get();
    predefLayouts(documentType);
    customLayouts(documentType);
    const PWPlist stored = PWUserDefaults::standardUserDefaults().objectForKey(*key);
    if (!stored.isArray())
        return nullptr;
    auto list = std::make_unique<TemplateList>();
    for (const PWPlist &entry : stored.toArray()) {
        if (!entry.isDictionary())
            continue;
        const CATemplateFormat format = fromDictionary(entry.toDictionary(), false);
        std::shared_ptr<CATemplateFormat> found = findPredefLayoutFormat(documentType, format);
        if (!found)
            found = findCustomLayoutFormat(documentType, format);
        if (found)
            list->append(std::move(found));
        else
            qCInfo(lcTemplates).noquote() << "recent template" << format.ID() << "is no longer in the catalogue";
    }
    lists->recent = std::move(list);
    return lists->recent.get();
}

namespace {

void saveList(const std::optional<QString> &key, const TemplateList *list)
{
    if (!key)
        return;
    PWPlist::Array entries;
    if (list) {
        entries.reserve(list->size());
        for (const std::shared_ptr<CATemplateFormat> &format : *list)
            entries.append(PWPlist(format->toDictionary()));
    }
    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    defaults.setObject(*key, PWPlist(entries));
    if (!defaults.synchronize())
        qCWarning(lcTemplates).noquote() << "the user defaults could not be written after saving" << *key;
}

std::shared_ptr<CATemplateFormat> findIn(const TemplateList *list, const CATemplateFormat &format)
{
    if (!list)
        return nullptr;
    for (const std::shared_ptr<CATemplateFormat> &entry : *list) {
        if (CATemplateFormat::matchesLayout(*entry, format))
            return entry;
    }
    return nullptr;
}

} // namespace

void CATemplateFormat::saveCustomLayouts(int documentType)
{
    saveList(customPrefKey(documentType), sharedCustomLayouts(documentType));
}

void CATemplateFormat::saveRecentLayouts(int documentType)
{
    saveList(recentPrefKey(documentType), sharedRecentLayouts(documentType));
}

void CATemplateFormat::saveCustomLayouts()
{
    for (const TemplateKind &kind : kTemplateKinds)
        saveCustomLayouts(kind.type);
}

void CATemplateFormat::saveRecentLayouts()
{
    for (const TemplateKind &kind : kTemplateKinds)
        saveRecentLayouts(kind.type);
}

std::shared_ptr<CATemplateFormat> CATemplateFormat::findPredefLayoutFormat(int documentType,
                                                                           const CATemplateFormat &format)
{
    return findIn(sharedPredefLayouts(documentType), format);
}

std::shared_ptr<CATemplateFormat> CATemplateFormat::findCustomLayoutFormat(int documentType,
                                                                           const CATemplateFormat &format)
{
    return findIn(sharedCustomLayouts(documentType), format);
}

std::shared_ptr<CATemplateFormat> CATemplateFormat::findPredefLayoutManufacturerID(int documentType,
                                                                                   const QString &manufacturer,
                                                                                   const QString &ID)
{
    const TemplateList *list = predefLayouts(documentType);
    if (!list)
        return nullptr;
    for (const std::shared_ptr<CATemplateFormat> &entry : *list) {
        if (entry->Manufacturer() == manufacturer && entry->ID() == ID)
            return entry;
    }
    return nullptr;
}

QStringList CATemplateFormat::placementLostAgainstCatalogue(const CATemplateFormat &layout)
{
    const TemplateList *list = layout.isPredef() ? predefLayouts(layout.getDocumentType()) : nullptr;
    if (!list || layout.isLabelRoll())
        return {};
    for (const std::shared_ptr<CATemplateFormat> &entry : *list) {
        if (entry->Manufacturer() != layout.Manufacturer() || entry->ID() != layout.ID()
            || entry->PageSize() != layout.PageSize() || entry->Columns() != layout.Columns()
            || entry->Rows() != layout.Rows())
            continue;
        // A hundredth of a point: what the single-precision lengths of a template may differ by.
        constexpr float kNone = 0.01f;
        const struct
        {
            const char *name;
            float layout;
            float catalogue;
        } lengths[] = {
            {"top margin", layout.getTopMargin(), entry->getTopMargin()},
            {"left margin", layout.getLeftMargin(), entry->getLeftMargin()},
            {"horizontal gap", layout.getHSpace(), entry->getHSpace()},
            {"vertical gap", layout.getVSpace(), entry->getVSpace()},
        };
        QStringList lost;
        for (const auto &length : lengths)
            if (length.layout < kNone && length.catalogue >= kNone)
                lost.append(QString::fromLatin1(length.name));
        return lost;
    }
    return {};
}

void CATemplateFormat::resetCatalogue()
{
    for (const TemplateKind &kind : kTemplateKinds)
        *listsFor(kind.type) = KindLists();
}
