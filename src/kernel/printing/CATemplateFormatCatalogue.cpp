// The static side of CATemplateFormat: the three lists of each template kind, their sources and
// the finders.

#include "kernel/printing/CATemplateFormat.h"

#include "kernel/foundation/FTUtilities.h"
#include "platform/PWBundle.h"
#include "platform/PWUserDefaults.h"

#include <QHash>
#include <QLoggingCategory>
#include <QXmlStreamReader>

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

KindLists *listsFor(int documentType)
{
    static KindLists labels;
    static KindLists envelopes;
    static KindLists postcards;
    switch (documentType) {
    case dtLabel:
        return &labels;
    case dtEnvelope:
        return &envelopes;
    case dtPostcard:
        return &postcards;
    default:
        return nullptr;
    }
}

// --- the predefined resource -------------------------------------------------------------------

enum class Field {
    Manufacturer,
    Category,
    Type,
    Description,
    PageSize,
    ID,
    Columns,
    Rows,
    ItemWidth,
    ItemHeight,
    CornerRadius,
    PrintableWidth,
    PrintableHeight,
    TopMargin,
    LeftMargin,
    HSpace,
    VSpace,
    WinWidth,
    WinHeight,
    WinBottomOffset,
    WinLeftOffset,
    DYMOPaperWidth,
    DYMOPaperHeight,
    DYMOOffsetX,
    DYMOOffsetY,
    SizeGroup,
};

// Element names in lower case, as the catalogue compares them without regard to case.
const QHash<QString, Field> &fieldNames()
{
    static const QHash<QString, Field> names {
        {QStringLiteral("manufacturer"), Field::Manufacturer},
        {QStringLiteral("category"), Field::Category},
        {QStringLiteral("type"), Field::Type},
        {QStringLiteral("description"), Field::Description},
        {QStringLiteral("pagesize"), Field::PageSize},
        {QStringLiteral("id"), Field::ID},
        {QStringLiteral("name"), Field::ID},
        {QStringLiteral("columns"), Field::Columns},
        {QStringLiteral("rows"), Field::Rows},
        {QStringLiteral("labelwidth"), Field::ItemWidth},
        {QStringLiteral("envelopewidth"), Field::ItemWidth},
        {QStringLiteral("labelheight"), Field::ItemHeight},
        {QStringLiteral("envelopeheight"), Field::ItemHeight},
        {QStringLiteral("cornerradius"), Field::CornerRadius},
        {QStringLiteral("printablewidth"), Field::PrintableWidth},
        {QStringLiteral("printableheight"), Field::PrintableHeight},
        {QStringLiteral("topmargin"), Field::TopMargin},
        {QStringLiteral("leftmargin"), Field::LeftMargin},
        {QStringLiteral("hspace"), Field::HSpace},
        {QStringLiteral("vspace"), Field::VSpace},
        {QStringLiteral("winwidth"), Field::WinWidth},
        {QStringLiteral("winheight"), Field::WinHeight},
        {QStringLiteral("winbottomoffset"), Field::WinBottomOffset},
        {QStringLiteral("winleftoffset"), Field::WinLeftOffset},
        {QStringLiteral("dymopaperwidth"), Field::DYMOPaperWidth},
        {QStringLiteral("dymopaperheight"), Field::DYMOPaperHeight},
        {QStringLiteral("dymooffsetx"), Field::DYMOOffsetX},
        {QStringLiteral("dymooffsety"), Field::DYMOOffsetY},
        {QStringLiteral("sizegroup"), Field::SizeGroup},
    };
    return names;
}

// A length of the catalogue. Blanks around the text are dropped first: a hand-indented value
// must not read as 0.
float catalogueLength(const QString &text, cardUnits *units = nullptr)
{
    return GetFloatFromCFStringWithUnits(text.trimmed(), units);
}

void applyField(CATemplateFormat &format, Field field, const QString &text)
{
    switch (field) {
    case Field::Manufacturer:
        format.setManufacturer(text);
        break;
    case Field::Category:
        format.setCategory(text);
        break;
    case Field::Type:
        format.setType(text);
        break;
    case Field::Description:
        format.setDescription(text);
        break;
    case Field::PageSize:
        format.setPageSize(text);
        break;
    case Field::ID:
        format.setID(text);
        break;
    case Field::Columns:
        format.setColumns(GetIntFromCFString(text));
        break;
    case Field::Rows:
        format.setRows(GetIntFromCFString(text));
        break;
    case Field::ItemWidth: {
        // Only the width says in which unit the template is shown.
        cardUnits units = cuInches;
        format.setItemWidth(catalogueLength(text, &units));
        format.setUnits(units);
        break;
    }
    case Field::ItemHeight:
        format.setItemHeight(catalogueLength(text));
        break;
    case Field::CornerRadius:
        format.setCornerRadius(catalogueLength(text));
        break;
    case Field::PrintableWidth:
        format.setPrintableWidth(catalogueLength(text));
        break;
    case Field::PrintableHeight:
        format.setPrintableHeight(catalogueLength(text));
        break;
    case Field::TopMargin:
        format.setTopMargin(catalogueLength(text));
        break;
    case Field::LeftMargin:
        format.setLeftMargin(catalogueLength(text));
        break;
    case Field::HSpace:
        format.setHSpace(catalogueLength(text));
        break;
    case Field::VSpace:
        format.setVSpace(catalogueLength(text));
        break;
    case Field::WinWidth:
        format.setWinWidth(catalogueLength(text));
        format.setHasWindow(true);
        break;
    case Field::WinHeight:
        format.setWinHeight(catalogueLength(text));
        format.setHasWindow(true);
        break;
    case Field::WinBottomOffset:
        format.setWinBottomOffset(catalogueLength(text));
        format.setHasWindow(true);
        break;
    case Field::WinLeftOffset:
        format.setWinLeftOffset(catalogueLength(text));
        format.setHasWindow(true);
        break;
    case Field::DYMOPaperWidth:
        format.setDYMOPaperWidth(catalogueLength(text));
        break;
    case Field::DYMOPaperHeight:
        format.setDYMOPaperHeight(catalogueLength(text));
        break;
    case Field::DYMOOffsetX:
        format.setDYMOOffsetX(catalogueLength(text));
        break;
    case Field::DYMOOffsetY:
        format.setDYMOOffsetY(catalogueLength(text));
        break;
    case Field::SizeGroup:
        format.setSizeGroup(text);
        break;
    }
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
    const QHash<QString, Field> &names = fieldNames();
    CATemplateFormat format;
    bool hasFields = false;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::EndElement)
            break;
        if (token != QXmlStreamReader::StartElement)
            continue;
        hasFields = true;
        const auto field = names.constFind(reader.name().toString().toLower());
        const QString text = readFieldText(reader);
        // A field without text keeps the template's default, as does a text of blanks.
        if (field == names.constEnd() || text.trimmed().isEmpty())
            continue;
        applyField(format, *field, text);
    }
    if (!hasFields)
        return std::nullopt;
    return format;
}

} // namespace

std::optional<QString> CATemplateFormat::catalogueResourceName(int documentType)
{
    switch (documentType) {
    case dtLabel:
        return QStringLiteral("Labels");
    case dtEnvelope:
        return QStringLiteral("Envelopes");
    case dtPostcard:
        return QStringLiteral("Postcards");
    default:
        return std::nullopt;
    }
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
    switch (documentType) {
    case dtLabel:
        return QStringLiteral("FTCustomLabelLayout");
    case dtEnvelope:
        return QStringLiteral("FTCustomEnvelopeLayout");
    case dtPostcard:
        return QStringLiteral("FTCustomPostcardLayout");
    default:
        return std::nullopt;
    }
}

std::optional<QString> CATemplateFormat::recentPrefKey(int documentType)
{
    switch (documentType) {
    case dtLabel:
        return QStringLiteral("FTRecentLabelLayout");
    case dtEnvelope:
        return QStringLiteral("FTRecentEnvelopeLayout");
    case dtPostcard:
        return QStringLiteral("FTRecentPostcardLayout");
    default:
        return std::nullopt;
    }
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
    for (int type : {int(dtLabel), int(dtEnvelope), int(dtPostcard)})
        saveCustomLayouts(type);
}

void CATemplateFormat::saveRecentLayouts()
{
    for (int type : {int(dtLabel), int(dtEnvelope), int(dtPostcard)})
        saveRecentLayouts(type);
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

void CATemplateFormat::resetCatalogue()
{
    for (int type : {int(dtLabel), int(dtEnvelope), int(dtPostcard)})
        *listsFor(type) = KindLists();
}
