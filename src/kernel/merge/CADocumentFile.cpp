#include "kernel/merge/CADocument.h"

#include "kernel/merge/CADocumentLog.h"

#include "kernel/address/FTStoredPerson.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTADocumentFileCheck.h"
#include "kernel/component/FTComponentFactory.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKept.h"
#include "kernel/base/CDDFile.h"
#include "kernel/base/CDDFileProgress.h"
#include "kernel/base/CDDReadReport.h"
#include "kernel/component/CFTACoreDoc.h"
#include "kernel/component/CFTComponent.h"
#include "platform/PWDescriptor.h"
#include "platform/PWFileReader.h"
#include "platform/PWMultiValue.h"
#include "platform/PWPathStatus.h"
#include "platform/PWPerson.h"
#include "platform/PWPlist.h"
#include "platform/PWSaveFile.h"
#include "platform/PWVCardReader.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>


namespace {

const QString kPersonTo = QStringLiteral("Person To");
const QString kPersonFrom = QStringLiteral("Person From");
const QString kOldPersonTo = QStringLiteral("ABPerson To");
const QString kOldPersonFrom = QStringLiteral("ABPerson From");
const QString kPersonListName = QStringLiteral("Person List Name");
const QString kFrontSide = QStringLiteral("Front Side");
const QString kComponents = QStringLiteral("Components");
const QString kDocumentTypeKey = QStringLiteral("Document Type");

QString openError(const QString &reason)
{
    return QStringLiteral("The document could not be opened: %1").arg(reason);
}

// The name a path resolves to with its links followed; the path itself when it names nothing.
QByteArray resolvedName(const QByteArray &path)
{
    return PWPathStatus::resolved(path);
}

bool fail(QString *error, const QString &message)
{
    qCWarning(lcDocument).noquote() << message;
    if (error)
        *error = message;
    return false;
}

// Whether the dictionary is laid out as a design at all; what a design must hold is the kernel's
// to say.
bool isDesign(const PWPlist &root, QString *reason)
{
    if (!root.isDictionary()) {
        *reason = QStringLiteral("the file holds no dictionary");
        return false;
    }
    const PWPlist type = root.value(kDocumentTypeKey);
    if (type.isNull() && root.value(kFrontSide).isNull()) {
        *reason = QStringLiteral("the file is not a design");
        return false;
    }
    *reason = CFTADocument::refusalOfFile(root);
    return reason->isEmpty();
}

// The person of a stored form, keeping the identity its card carries: a design read and saved
// again must name the same person, not a new one each time.
std::shared_ptr<PWPerson> storedPerson(const PWPlist::Dictionary &stored)
{
    const std::shared_ptr<PWPerson> person = FTStoredPerson::initWithStoredData(stored);
    if (!person)
        return nullptr;
    const PWPlist card = stored.value(QStringLiteral("personData"));
    const std::shared_ptr<PWPerson> identity =
        PWVCardReader::personFromData(card.toData(), nullptr, PWVCardReader::Options(true));
    if (!identity || identity->uniqueId() == person->uniqueId())
        return person;
    std::shared_ptr<PWPerson> kept = PWPerson::createWithUniqueId(identity->uniqueId());
    for (const QString &property : person->propertiesWithValues()) {
        if (const std::optional<PWMultiValue> multi = person->multiValueForProperty(property))
            kept->setMultiValueForProperty(property, *multi);
        else
            kept->setValueForProperty(property, person->valueForProperty(property));
    }
    kept->setImageData(person->imageData());
    kept->setSourceCard(person->sourceCard());
    return kept;
}

// The person a file keeps for a side: the old vCard form wins over the stored form. Read through
// the file's archive, so that its report sees these keys too.
std::shared_ptr<PWPerson> filePerson(const CDDArchive &file, const QString &oldKey, const QString &key)
{
    PWPlist old;
    file.GetData(oldKey, &old);
    if (old.isData() || old.isString()) {
        QString reason;
        const QByteArray card = old.isData() ? old.toData() : old.toString().toUtf8();
        if (std::shared_ptr<PWPerson> person =
                PWVCardReader::personFromData(card, &reason, PWVCardReader::Options(true)))
            return person;
        file.noteUnread(oldKey, QStringLiteral("\"%1\" holds no readable person: %2").arg(oldKey, reason));
    }
    PWPlist stored;
    file.GetData(key, &stored);
    if (!stored.isDictionary())
        return nullptr;
    // What of the stored person does not read is shown from the design's fields, and stays in
    // the file as it is until the user changes the person.
    const auto kept = [&file, &key](const QString &what) {
        file.noteKept(key, QStringLiteral("\"%1\" %2; it is kept for the next save").arg(key, what));
    };
    const PWPlist::Array custom = stored.value(QStringLiteral("additionalPersonData")).toArray();
    for (qsizetype i = 0; i < custom.size(); ++i) {
        const PWPlist &value = custom.at(i);
        if (i >= qsizetype(FTStoredPerson::additionalTcArray.size()))
            kept(QStringLiteral("holds a custom field %1, beyond the %2 a person has")
                     .arg(i + 1)
                     .arg(FTStoredPerson::additionalTcArray.size()));
        else if (!value.isString())
            kept(QStringLiteral("holds a custom field %1 that is no text").arg(i + 1));
    }
    std::shared_ptr<PWPerson> person = storedPerson(stored.toDictionary());
    // A stored form without its card holds no person, as a design without one: the person is
    // taken from the design's fields without a word.
    if (!person && !stored.value(QStringLiteral("personData")).isNull())
        kept(QStringLiteral("holds a person whose card does not read: the person is taken from the design's fields"));
    return person;
}

} // namespace

QByteArray CADocument::dataRepresentationOfType(const QString &type, QString *error) const
{
    constexpr double kExportResolution = 600.0;
    if (type == kAddressDocumentType)
        return documentDataForComponents(nullptr);
    if (type == kPDFType)
        return PDFDataForComponents(nullptr, 0.0, false, false, false, true, kExportResolution);
    if (type == kTIFFType)
        return TIFFDataForComponents(nullptr, 0.0, true, true, kExportResolution, error);
    return QByteArray();
}

QByteArray CADocument::documentDataForComponents(const std::vector<CFTComponent *> *components) const
{
    const PWPlist root = propertyListForComponents(components);
    if (root.isNull())
        return QByteArray();
    const QByteArray xml = root.toXml();
    if (xml.isEmpty())
        qCWarning(lcDocument) << "The design could not be written as a property list";
    return xml;
}

std::optional<CFTADocumentFileCheck::Cost> CADocument::costAsSaved() const
{
    return CFTADocumentFileCheck::costOf(documentDataForComponents(nullptr));
}

PWPlist CADocument::propertyListForComponents(const std::vector<CFTComponent *> *components) const
{
    // Replacing a damaged file was confirmed as writing it without what could not be read; what
    // the reading kept (keys this version does not know, the persons' own lines) stays.
    std::optional<CDDArchiveKept::Replacing> replacing;
    if (m_replaceDamagedConfirmed)
        replacing.emplace(m_readReport);
    CDDArchive archive(true, ptInline);
    if (components) {
        std::vector<CFTComponent *> list = *components;
        CFTACoreDoc::SerializeComponents(archive, &list, true);
    } else {
        CFTADocument *document = ftDocument();
        if (!document) {
            qCWarning(lcDocument) << "There is no design to save";
            return PWPlist();
        }
        document->Serialize(archive);
    }
    const PWPlist written = archive.Dettach();
    PWPlist::Dictionary root = written.isDictionary() ? written.toDictionary() : PWPlist::Dictionary();
    if (!components) {
        if (m_personTo)
            root.insert(kPersonTo, PWPlist(FTStoredPerson::convertToStoringData(*m_personTo)));
        if (m_personFrom)
            root.insert(kPersonFrom, PWPlist(FTStoredPerson::convertToStoringData(*m_personFrom)));
        if (m_printListName)
            root.insert(kPersonListName, PWPlist::fromString(*m_printListName));
        if (m_keptFile)
            root = m_keptFile->merged(root);
        // The old form of a person is read before the stored one: kept, it would hide the person
        // saved now.
        if (m_personTo)
            root.remove(kOldPersonTo);
        if (m_personFrom)
            root.remove(kOldPersonFrom);
    }
    return PWPlist(root);
}

bool CADocument::loadDataRepresentation(const QByteArray &data, const QString &type, QString *error)
{
    if (type != kAddressDocumentType)
        return fail(error, openError(QStringLiteral("\"%1\" is not a design type").arg(type)));
    // Counted in the bytes first: a design of more components than any holds is refused before
    // its tree takes time and memory in proportion to its size.
    const std::optional<CFTADocumentFileCheck::Cost> cost = CFTADocumentFileCheck::costOf(data);
    QString reason = cost ? CFTADocumentFileCheck::refusalOfCost(*cost) : QString();
    if (!reason.isEmpty())
        return fail(error, openError(reason));
    // A reading someone watches learns how many components it goes through.
    if (CDDFileProgress *progress = CDDFileProgress::current(); progress && cost)
        progress->setTotal(cost->components);
    const std::optional<PWPlist> parsed = PWPlist::parse(data, &reason);
    if (!parsed)
        return fail(error, openError(reason));
    return loadPropertyList(*parsed, error);
}

bool CADocument::loadPropertyList(const PWPlist &parsed, QString *error)
{
    QString reason;
    if (!isDesign(parsed, &reason))
        return fail(error, openError(reason));

    // Read into a fresh document prepared as this one was, so that a key the file lacks keeps
    // the prepared value, and the current design stays whole until the file is read.
    std::unique_ptr<CFTADocument> fresh = makePreparedDocument(
        docType(), CDDString(countryCodeTo()), CDDString(countryCodeFrom()));
    applyDefaultLayout(*fresh);
    applyDefTextSize(*fresh);
    m_keptFile.reset();
    m_readReport.reset();
    m_replaceDamagedConfirmed = false;
    const auto report = std::make_shared<CDDReadReport>();
    CDDArchive archive(false, ptInline);
    archive.Attach(parsed);
    archive.setReadReport(report);
    fresh->Serialize(archive);
    adopt(std::move(fresh));

    // The file's persons are new objects nobody else holds: they are stored as they are, with
    // the identity the file gives them, and no components are touched.
    const std::shared_ptr<PWPerson> to = filePerson(archive, kOldPersonTo, kPersonTo);
    const std::shared_ptr<PWPerson> from = filePerson(archive, kOldPersonFrom, kPersonFrom);
    // A side the file holds no person for is read back from its fields. A person the file holds
    // stays as the file gives it: its fields show it with what the format adds (the comma after
    // a city), which is no part of the person and would be saved into it otherwise.
    if (!to || !from)
        rebuildPersonsFromComponents();
    if (to)
        m_personTo = to;
    if (from)
        m_personFrom = from;
    adoptPersonTextsOfFields();

    PWPlist listName;
    archive.GetData(kPersonListName, &listName);
    m_printListName = listName.isString() ? std::optional<QString>(listName.toString()) : std::nullopt;

    // What the design writes right after reading is the measure of what the user changes later.
    const PWPlist written = CDDArchiveKept::isForgotten() ? PWPlist() : propertyListForComponents(nullptr);
    if (written.isDictionary())
        m_keptFile = std::make_shared<const CDDArchiveKept>(
            parsed.toDictionary(), written.toDictionary(),
            CFTADocumentFileCheck::versionOfFile(parsed) > FTComponentFactory::kLastOldBundleVersion
                ? CDDArchiveKept::Keep::Everything
                : CDDArchiveKept::Keep::UnwrittenKeys,
            &archive);

    // What could not be read stays known: the design is shown, but a save would make the loss final.
    m_readProblems = report->problemsTold();
    m_readLosesParts = report->losesParts();
    m_readKeepsParts = report->keepsParts();
    if (m_readLosesParts)
        m_readReport = report;
    m_damagedSourceBytes.clear();
    m_replaceDamagedConfirmed = false;
    if (!m_readProblems.isEmpty()) {
        qCWarning(lcDocument).noquote() << QStringLiteral("The design was opened with %1 part(s) that could not be read:")
                                               .arg(m_readProblems.size());
        for (const QString &problem : std::as_const(m_readProblems))
            qCWarning(lcDocument).noquote() << QStringLiteral("  %1").arg(problem);
    }
    return true;
}

bool CADocument::writeToFile(const QString &path, QString *error, QByteArray *bytes) const
{
    return writeToFileAtBytes(QFile::encodeName(path), error, bytes);
}

bool CADocument::writeToFileAtBytes(const QByteArray &path, QString *error, QByteArray *bytes) const
{
    if (needsReplaceConfirmationAtBytes(path))
        return fail(error, QStringLiteral("The document could not be saved: it was opened with parts that could not be "
                                          "read, and saving would replace \"%1\" without them")
                               .arg(QFileInfo(QFile::decodeName(path)).fileName()));
    const QByteArray data = documentDataForComponents(nullptr);
    if (data.isEmpty())
        return fail(error, QStringLiteral("The document could not be saved: it could not be written"));
    QString reason;
    if (!PWSaveFile::writeAtBytes(path, data, &reason))
        return fail(error, QStringLiteral("The document could not be saved: %1").arg(reason));
    if (bytes)
        *bytes = data;
    return true;
}

bool CADocument::needsReplaceConfirmationAtBytes(const QByteArray &path) const
{
    // Parts kept as they were are written back: only a loss asks first.
    if (!m_readLosesParts || m_replaceDamagedConfirmed || PWPathStatus::kindAt(path) == PWPathStatus::Kind::Missing)
        return false;
    // Another file holds none of what was left out; the one read from does.
    return m_damagedSourceBytes.isEmpty() || resolvedName(path) == m_damagedSourceBytes;
}

bool CADocument::readFromFileAtBytes(const QByteArray &path, QString *error, QByteArray *bytes)
{
    // A pipe with no writer would hold an ordinary open for good, and opening a device may act on
    // it: only a regular file is opened, without waiting, and checked again once open.
    const auto notRegular = [error] { return fail(error, openError(QStringLiteral("not a regular file"))); };
    const PWPathStatus::Kind kind = PWPathStatus::kindAt(path);
    if (kind != PWPathStatus::Kind::Missing && kind != PWPathStatus::Kind::RegularFile)
        return notRegular();
    const PWDescriptor file = PWDescriptor::openToRead(path);
    if (!file.isValid())
        return fail(error, openError(QString::fromLocal8Bit(std::strerror(errno))));
    if (!file.isRegularFile())
        return notRegular();
    // The descriptor names the file for the reader whatever bytes its name holds; the folder is
    // the one the name gives.
    const bool read = readFromFileIn(QString::fromLatin1(file.processPath()),
                                     QFileInfo(QFile::decodeName(path)).absolutePath(), error, bytes);
    if (read && isDamaged())
        m_damagedSourceBytes = resolvedName(path);
    return read;
}

bool CADocument::needsReplaceConfirmation(const QString &path) const
{
    return needsReplaceConfirmationAtBytes(QFile::encodeName(path));
}

bool CADocument::readFromFile(const QString &path, QString *error, QByteArray *bytes)
{
    return readFromFileIn(path, QFileInfo(path).absolutePath(), error, bytes);
}

bool CADocument::readFromFileIn(const QString &path, const QString &folder, QString *error, QByteArray *bytes)
{
    // A design is a property list; anything else is refused before it is read whole.
    static const PWFileReader::Signature design{&PWFileReader::looksLikePropertyList, 4096,
                                                QStringLiteral("the file is not a design")};
    const PWFileReader::Result file = PWFileReader::read(path, PWFileReader::kDesignLimit, design);
    if (!file.ok())
        return fail(error, openError(file.reason));
    // The design read into memory is built into a fresh document before it replaces this one, so
    // running out of memory on the way leaves the current design as it was.
    try {
        // The text files its fields name relatively are those beside it.
        const CDDFile::Folder files(folder);
        if (!loadDataRepresentation(file.bytes, kAddressDocumentType, error))
            return false;
        m_designFolder = folder;
        if (isDamaged())
            m_damagedSourceBytes = resolvedName(QFile::encodeName(QFileInfo(path).absoluteFilePath()));
        if (bytes)
            *bytes = file.bytes;
        return true;
    } catch (const std::bad_alloc &) {
        return fail(error, openError(QStringLiteral("there is not enough memory to open it")));
    }
}

std::vector<std::unique_ptr<CFTComponent>> CADocument::componentsFromData(const QByteArray &data, QString *error,
                                                                       bool *complete)
{
    std::vector<std::unique_ptr<CFTComponent>> components;
    if (complete)
        *complete = false;
    const auto refused = [error](const QString &reason) {
        fail(error, QStringLiteral("The components could not be read: %1").arg(reason));
    };
    if (data.size() > PWFileReader::kDesignLimit) {
        refused(QStringLiteral("%1 bytes is more than a design holds").arg(data.size()));
        return components;
    }
    QString reason = CFTADocumentFileCheck::refusalBeforeReading(data);
    if (!reason.isEmpty()) {
        refused(reason);
        return components;
    }
    const std::optional<PWPlist> parsed = PWPlist::parse(data, &reason);
    if (!parsed) {
        refused(reason);
        return components;
    }
    const PWPlist list = parsed->value(kComponents);
    if (!list.isArray() || list.toArray().isEmpty()) {
        refused(QStringLiteral("there is no list of components"));
        return components;
    }
    CDDArchive archive(false, ptInline);
    archive.Attach(*parsed);
    std::vector<CFTComponent *> loaded;
    const bool whole = CFTACoreDoc::SerializeComponents(archive, &loaded, false);
    archive.Dettach();
    components.reserve(loaded.size());
    for (CFTComponent *component : loaded)
        components.emplace_back(component);
    if (components.empty())
        refused(QStringLiteral("none of them could be read"));
    if (complete)
        *complete = whole && !components.empty();
    return components;
}
