#include "app/command/CABatchJob.h"

#include "app/contacts/CADelimitedText.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CATextFileSource.h"
#include "app/contacts/CAVCFSource.h"
#include "app/printing/CAPrinter.h"
#include "app/printing/CAPrinterPrintTarget.h"

#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "kernel/merge/CAPrintTarget.h"
#include "kernel/merge/CAPrintingView.h"
#include "kernel/merge/CAPrintingViewChoice.h"
#include "platform/PWDescriptor.h"
#include "platform/PWPathStatus.h"
#include "platform/PWSaveFile.h"
#include "platform/PWUserDefaults.h"
#include "platform/PWJobReport.h"
#include "platform/PWPictureRenderer.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <QSet>

#include <algorithm>
#include <optional>
#include <utility>


namespace {

// Reports every tenth of the pages as they are started.
class ProgressPdfWriter : public QPdfWriter
{
public:
    ProgressPdfWriter(QIODevice *device, std::function<void(int page)> pageStarted)
        : QPdfWriter(device)
        , m_pageStarted(std::move(pageStarted))
    {
    }
    bool newPage() override
    {
        if (!QPdfWriter::newPage())
            return false;
        ++m_page;
        if (m_pageStarted)
            m_pageStarted(m_page);
        return true;
    }

private:
    std::function<void(int page)> m_pageStarted;
    int m_page = 1;
};


// Paths of the request hold every byte of the names given (see CACommandLine::argumentText); the
// file system is asked by those bytes.
QByteArray bytesOf(const QString &path)
{
    return CACommandLine::pathBytes(path);
}

bool isFolderAt(const QByteArray &path)
{
    return PWPathStatus::kindAt(path) == PWPathStatus::Kind::Folder;
}

// Why what (a design, a contacts file, a folder) at path is not there: missing, or the system's
// reason it cannot be reached (a name past the system's length, a loop of links).
QString notThere(const QString &what, const QString &path, int error)
{
    const QString why = PWPathStatus::missingReason(error);
    if (why.isEmpty())
        return QStringLiteral("%1 does not exist: %2").arg(what, path);
    return QStringLiteral("%1 cannot be reached (%2): %3").arg(what, why, path);
}

// Whether a file can be made at path: its folder exists and takes new files, and what is there
// now is a regular file the user may write.
bool canWriteTo(const QString &path, QString *reason)
{
    const QString folder = QFileInfo(path).absolutePath();
    int error = 0;
    const PWPathStatus::Kind folderKind = PWPathStatus::kindAt(bytesOf(folder), &error);
    if (folderKind != PWPathStatus::Kind::Folder) {
        *reason = notThere(QStringLiteral("the output folder"), folder, folderKind == PWPathStatus::Kind::Missing ? error : 0);
        return false;
    }
    if (!PWPathStatus::isWritableFolder(bytesOf(folder))) {
        *reason = QStringLiteral("the output folder is not writable: %1").arg(folder);
        return false;
    }
    if (isFolderAt(bytesOf(path))) {
        *reason = QStringLiteral("the output is a folder: %1").arg(path);
        return false;
    }
    // Told before the job's work is done rather than after it.
    QString refusal;
    if (!PWSaveFile::checkTargetAtBytes(bytesOf(path), &refusal)) {
        *reason = QStringLiteral("%1 cannot be written: %2").arg(path, refusal);
        return false;
    }
    return true;
}

// The identity of an existing file, through any symbolic link; nullopt when there is no file.
std::optional<PWPathStatus::Identity> fileIdentity(const QString &path)
{
    return PWPathStatus::identityAt(bytesOf(path));
}

// Refuses an output that is one of the job's inputs under any name (the same path, a symbolic or
// a hard link): the job would write over what it is reading and lose it.
bool outputIsNoInput(const QString &output, const QList<std::pair<QString, QString>> &inputs, QString *reason)
{
    const auto written = fileIdentity(output);
    if (!written)
        return true;
    for (const auto &[what, path] : inputs) {
        if (fileIdentity(path) == written) {
            *reason = QStringLiteral("the output %1 is the %2 %3 itself; it would be overwritten")
                          .arg(output, what, path);
            return false;
        }
    }
    return true;
}

bool readDesign(const QString &path, CADocument &document, QString *reason)
{
    int missing = 0;
    if (PWPathStatus::kindAt(bytesOf(path), &missing) == PWPathStatus::Kind::Missing) {
        *reason = notThere(QStringLiteral("the design"), path, missing);
        return false;
    }
    QString error;
    if (!document.readFromFileAtBytes(bytesOf(path), &error)) {
        *reason = QStringLiteral("the design cannot be read: %1: %2").arg(path, error);
        return false;
    }
    return true;
}

// What the contacts reader said of a file that gave persons.
struct ContactsRead
{
    // Each one fails the job after its output.
    QStringList problems;
    qsizetype takenByQuotes = 0;
    // Notes: lines read otherwise than written, columns no field takes, the fields columns hold.
    QStringList readOtherwise;
    std::optional<CATextFileSource::ColumnsRead> columns;
};

// The persons of the contacts file, with what its reader said of it in read; a file that gave
// none is a failure with its first reason.
std::optional<CAPersonList> readContacts(const QString &path, const CATextFileSource::ColumnChoices &columnChoices,
                                         QString *reason, ContactsRead *read)
{
    QStringList *named = &read->problems;
    int error = 0;
    const PWPathStatus::Kind kind = PWPathStatus::kindAt(bytesOf(path), &error);
    if (kind == PWPathStatus::Kind::Missing) {
        *reason = notThere(QStringLiteral("the contacts file"), path, error);
        return std::nullopt;
    }
    // A pipe would hold the job for good, a device would never end: refused before any open.
    if (kind != PWPathStatus::Kind::RegularFile) {
        *reason = QStringLiteral("the contacts file cannot be read: %1: not a regular file").arg(path);
        return std::nullopt;
    }
    // An open file named by its bytes, and a name the readers of the toolkit can open it by.
    const PWDescriptor opened = PWDescriptor::openToRead(bytesOf(path));
    if (!PWPathStatus::isReadable(bytesOf(path))) {
        *reason = QStringLiteral("the contacts file cannot be read: %1").arg(path);
        return std::nullopt;
    }
    // A name that is text is read by itself, so that what the readers report names it.
    const QString readable = QFile::encodeName(path) == bytesOf(path) ? path : QString::fromLatin1(opened.processPath());
    // The extension decides whatever its case: "CARDS.VCF" is a vCard file too.
    if (QFileInfo(path).suffix().compare(QStringLiteral("vcf"), Qt::CaseInsensitive) == 0) {
        QString error;
        CAPersonList persons = CAVCFSource::personFromVCFFile(readable, &error, {}, &read->readOtherwise);
        if (persons.isEmpty()) {
            *reason = QStringLiteral("no persons in the contacts file %1%2")
                          .arg(path, error.isEmpty() ? QString() : QStringLiteral(": ") + error);
            return std::nullopt;
        }
        if (!error.isEmpty())
            named->append(error);
        return persons;
    }
    QStringList problems;
    std::optional<QStringList> nameless;
    read->columns.emplace();
    std::optional<CAPersonList> persons = CATextFileSource::personsFromTextFile(
        readable, columnChoices, &problems, &nameless, &read->takenByQuotes, &*read->columns);
    if (nameless) {
        // Labels without names are no merge: nothing prints, and the reason says what to place.
        QStringList quoted;
        for (const QString &column : std::as_const(*nameless))
            quoted.append(QStringLiteral("\"%1\"").arg(column));
        *reason = quoted.isEmpty()
                      ? QStringLiteral("no column of the contacts file %1 holds a name (first, last or company name) "
                                       "and no header row names its columns; place them with --column \"HEADER=KEY\"")
                            .arg(path)
                      : QStringLiteral("no column of the contacts file %1 holds a name (first, last or company name); "
                                       "the columns %2 are not read: place them with --column \"HEADER=KEY\"")
                            .arg(path, quoted.join(QStringLiteral(", ")));
        return std::nullopt;
    }
    if (!persons || persons->isEmpty()) {
        // Every problem counts here: the one that explains an empty result (no column holds a
        // person field) need not be the first.
        *reason = QStringLiteral("no persons in the contacts file %1%2")
                      .arg(path, problems.isEmpty() ? QString() : QStringLiteral(": ") + problems.join(u' '));
        return std::nullopt;
    }
    named->append(problems);
    return persons;
}

// "A", "A and B", "A, B and C".
QString listed(const QStringList &items)
{
    if (items.size() < 2)
        return items.join(QString());
    return items.first(items.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") + items.last();
}

// The fields the design's recipient addresses show that no column of a contacts file gives, as the
// user knows them; each with the keys of the import any of which gives it (a key ends so: the
// work, home and other city are each a city). A country is left out: a list of one country has
// no column for it, and the design prints none for its own.
QStringList fieldsWithoutColumn(const CADocument &document, const QStringList &placed)
{
    struct Field
    {
        textCategory category;
        const char *name;
        std::initializer_list<const char *> keys;
    };
    static const Field kFields[] = {
        {tcFullName, "Name", {"firstname", "lastname"}},
        {tcFirstName, "First Name", {"firstname"}},
        {tcLastName, "Last Name", {"lastname"}},
        {tcPrefix, "Title", {"prefix"}},
        {tcSuffix, "Suffix", {"suffix"}},
        {tcJobTitle, "Job Title", {"title"}},
        {tcCompany, "Company", {"companyname"}},
        {tcDepartment, "Department", {"department"}},
        {tcStreet, "Street", {"street"}},
        {tcCityLine, "City, State and ZIP", {"city", "state", "zip"}},
        {tcCity, "City", {"city"}},
        {tcState, "State", {"state"}},
        {tcZIP, "ZIP", {"zip"}},
    };
    const CFTADocument *kernel = document.ftDocument();
    if (!kernel)
        return {};
    QSet<int> shown;
    for (int side = 0; side < kernel->getSidesCount(); ++side)
        for (const bool back : {true, false})
            for (const CFTComponent *component : kernel->GetComponents(side, back)) {
                // Every field the address may show: one the design leaves empty is filled per person.
                if (!component || component->getClassID() != ciAddressPanel || !component->GetToFrom()
                    || component->IsHidden())
                    continue;
                const auto *panel = static_cast<const CFTAAddressPanel *>(component);
                for (unsigned int i = 0; i < panel->addressComponentCount(); ++i)
                    if (const CFTAAddressText *field = panel->addressComponentAtIndex(i); field && field->isEnabled(true))
                        shown.insert(field->GetTextCategory());
            }
    QStringList missing;
    for (const Field &field : kFields) {
        if (!shown.contains(field.category))
            continue;
        const bool given = std::any_of(placed.cbegin(), placed.cend(), [&field](const QString &key) {
            return std::any_of(field.keys.begin(), field.keys.end(),
                               [&key](const char *end) { return key.endsWith(QLatin1String(end)); });
        });
        if (!given)
            missing.append(QString::fromLatin1(field.name));
    }
    return missing;
}

} // namespace

CABatchJob::CABatchJob(CACommandRequest request)
    : m_request(std::move(request))
{
}

void CABatchJob::noteReadProblems(const QStringList &problems)
{
    // Keyed by their place: two parts left out for the same reason are two parts.
    for (qsizetype i = 0; i < problems.size(); ++i)
        PWJobReport::note(PWJobReport::Kind::DesignNotRead, QString::number(i),
                          QStringLiteral("part of the design could not be read: %1").arg(problems.at(i)));
}

void CABatchJob::noteContactsNotes(const QString &path, const QStringList &readOtherwise, const QStringList &unread,
                                   const QStringList &withoutColumn)
{
    for (qsizetype i = 0; i < readOtherwise.size(); ++i)
        PWJobReport::note(PWJobReport::Kind::ContactsReadOtherwise, QString::number(i), readOtherwise.at(i));
    const QString file = QFileInfo(path).fileName();
    if (!unread.isEmpty()) {
        // An export of a mail program has dozens of columns no label prints: a few are named, and
        // every part of an address among them (the reader lists those first).
        const qsizetype named = std::max<qsizetype>(
            8, std::count_if(unread.cbegin(), unread.cend(), &CADelimitedText::namesAnAddressPart));
        QStringList quoted;
        for (const QString &column : unread.first(std::min(unread.size(), named)))
            quoted.append(QStringLiteral("\"%1\"").arg(column));
        if (unread.size() > named)
            quoted.append(QStringLiteral("%1 more").arg(unread.size() - named));
        PWJobReport::note(PWJobReport::Kind::ColumnsNotRead, path,
                          (unread.size() == 1 ? QStringLiteral("%1: the column %2 holds no field the program knows and is not read")
                                              : QStringLiteral("%1: the columns %2 hold no field the program knows and are not read"))
                              .arg(file, listed(quoted)));
    }
    if (!withoutColumn.isEmpty())
        PWJobReport::note(PWJobReport::Kind::FieldsWithoutColumn, path,
                          QStringLiteral("%1: no column gives the %2 that the design's address shows; it prints without %3")
                              .arg(file, listed(withoutColumn),
                                   withoutColumn.size() == 1 ? QStringLiteral("it") : QStringLiteral("them")));
}

void CABatchJob::noteContactsProblems(const QStringList &problems, qsizetype takenByQuotes)
{
    for (qsizetype i = 0; i < problems.size(); ++i)
        PWJobReport::note(PWJobReport::Kind::ContactsNotAsRead, QString::number(i), problems.at(i));
    if (takenByQuotes > 0)
        PWJobReport::note(PWJobReport::Kind::ContactsNotAsRead, QStringLiteral("quotes"),
                          QStringLiteral("quoted fields of the contacts file took %1 lines that look like persons of their own")
                              .arg(takenByQuotes));
}

int CABatchJob::run(QString *reason)
{
    m_warnings.clear();
    // The renderer's own lines are kept back: the job's report names each picture once.
    PWPictureRenderer::collectFailures(true);
    const PWJobReport report;
    int status = CACommandLine::kUsage;
    switch (m_request.mode) {
    case CACommandRequest::Mode::BatchPrint:
        status = print(reason);
        break;
    case CACommandRequest::Mode::BatchExport:
        status = exportDesign(reason);
        break;
    case CACommandRequest::Mode::Interactive:
        *reason = QStringLiteral("nothing to do without a window");
        return CACommandLine::kUsage;
    }
    PWPictureRenderer::collectFailures(false);
    // Settings the job found but could not use come first: they explain what follows.
    m_warnings = PWUserDefaults::standardUserDefaults().problems() + report.allLines();
    // What the output holds in place of what was asked for fails the job, after it was written;
    // the report decides what that is.
    if (status == CACommandLine::kSuccess && report.failsJob()) {
        *reason = QStringLiteral("the job was done, but %1").arg(report.failureSummary());
        status = CACommandLine::kFailure;
    }
    return status;
}

int CABatchJob::print(QString *reason)
{
    if (!m_request.output.isEmpty()
        && (!canWriteTo(m_request.output, reason)
            || !outputIsNoInput(m_request.output,
                                {{QStringLiteral("design"), m_request.design},
                                 {QStringLiteral("contacts file"), m_request.contacts}},
                                reason)))
        return CACommandLine::kFailure;
    auto document = std::make_shared<CADocument>();
    if (!readDesign(m_request.design, *document, reason))
        return CACommandLine::kFailure;
    noteReadProblems(document->readProblems());

    std::optional<CAPrintingView::PersonList> persons;
    if (!m_request.contacts.isEmpty()) {
        ContactsRead said;
        const std::optional<CAPersonList> read = readContacts(m_request.contacts, m_request.columns, reason, &said);
        if (!read)
            return CACommandLine::kFailure;
        noteContactsProblems(said.problems, said.takenByQuotes);
        noteContactsNotes(m_request.contacts, said.readOtherwise + (said.columns ? said.columns->notes : QStringList()),
                          said.columns ? said.columns->unread : QStringList(),
                          said.columns ? fieldsWithoutColumn(*document, said.columns->placed) : QStringList());
        persons.emplace(read->begin(), read->end());
    } else if (!m_request.printList.isEmpty()) {
        const CAPrintListArray &lists = CAPrintListArray::getShared();
        const std::optional<CAPersonList> list = lists.getPrintListByName(m_request.printList);
        // What the stored lists lost in reading says why a list is missing or empty.
        const QString lost = lists.loadProblems().join(u' ');
        if (!list) {
            *reason = lost.isEmpty() ? QStringLiteral("there is no print list named \"%1\"").arg(m_request.printList)
                                     : QStringLiteral("the print list \"%1\" could not be read from the settings: %2")
                                           .arg(m_request.printList, lost);
            return CACommandLine::kFailure;
        }
        if (list->isEmpty()) {
            const QString own = lists.loadProblems().filter(QStringLiteral("\"%1\"").arg(m_request.printList)).join(u' ');
            *reason = own.isEmpty() ? QStringLiteral("the print list \"%1\" has no persons").arg(m_request.printList)
                                    : QStringLiteral("the persons of the print list \"%1\" could not be read: %2")
                                          .arg(m_request.printList, own);
            return CACommandLine::kFailure;
        }
        // A person kept unread would print as an empty label: the warnings name each one.
        if (const QString unread = CAPersonListDictionary::unreadInPrintList(*list, m_request.printList); !unread.isEmpty()) {
            *reason = unread + QStringLiteral("; nothing was printed");
            return CACommandLine::kFailure;
        }
        persons.emplace(list->begin(), list->end());
    }
    if (persons)
        document->setPersonList(*persons);

    std::unique_ptr<QPrinter> printer;
    if (!m_request.printer.isEmpty()) {
        const QPrinterInfo info = QPrinterInfo::printerInfo(m_request.printer);
        if (info.isNull()) {
            *reason = QStringLiteral("there is no printer named \"%1\"").arg(m_request.printer);
            return CACommandLine::kFailure;
        }
        printer = std::make_unique<CAPrinter>(info, QPrinter::HighResolution);
    }

    // A card without a sheet grid prints on card paper of its own size, as the print set-up gives
    // a card printed with the printer's settings; envelopes follow the choice stored with them.
    const bool singleCard = document->docType() == dtPostcard && (document->rowCount() <= 0 || document->colCount() <= 0);
    document->setupPrintInfo(singleCard || document->printSettings().usePrinterSettings);
    CAPrintSettings settings = document->printSettings();
    settings.startFrom = m_request.start;
    settings.personList = !m_request.printList.isEmpty();
    if (printer)
        settings.printerName = m_request.printer;
    const bool vector = PWUserDefaults::standardUserDefaults().boolForKey(QStringLiteral("FTVectorPrinting"));
    QString error;
    std::unique_ptr<CAPrintingView> view = makePrintingViewForDocument(document, persons, settings, vector, &error);
    if (!view) {
        *reason = QStringLiteral("the design cannot be printed: %1").arg(error);
        return CACommandLine::kFailure;
    }
    // One item per person; without persons a full sheet of the design. --copies multiplies.
    const qint64 perCopy = persons ? qint64(persons->size()) : 1;
    const qint64 items = m_request.copies ? qint64(*m_request.copies) * perCopy
                                          : (persons ? perCopy : qint64(view->fullSheetCopies()));
    if (!jobFits(items, view->fullSheetCopies(), reason))
        return CACommandLine::kFailure;
    view->setStartFrom(m_request.start);
    view->setCopies(int(items));

    const int pages = view->pageCount();
    const auto pageStarted = [this, pages](int page) {
        const int step = std::max(1, pages / 10);
        if (m_progress && pages >= 20 && (page % step == 0 || page == pages))
            m_progress(QStringLiteral("printing page %1 of %2").arg(page).arg(pages));
    };

    if (printer) {
        CAPrinterPrintTarget target(*printer);
        if (!view->printPages(target, &error)) {
            *reason = QStringLiteral("the print job failed: %1").arg(error);
            return CACommandLine::kFailure;
        }
        return CACommandLine::kSuccess;
    }
    // A name that is no UTF-8 has no QString for QSaveFile: its job is made in memory and saved by
    // the name's bytes.
    const bool textName = QFile::encodeName(m_request.output) == bytesOf(m_request.output);
    PWSaveFile::File file(textName ? m_request.output : QString());
    QBuffer memory;
    QIODevice &device = textName ? static_cast<QIODevice &>(file) : memory;
    const bool opened = textName ? PWSaveFile::open(file, &error)
                                 : (PWSaveFile::checkTargetAtBytes(bytesOf(m_request.output), &error) &&
                                    memory.open(QIODevice::WriteOnly));
    if (!opened) {
        *reason = QStringLiteral("%1 cannot be written: %2").arg(m_request.output, error.isEmpty() ? device.errorString() : error);
        return CACommandLine::kFailure;
    }
    bool printed = false;
    {
        ProgressPdfWriter writer(&device, pageStarted);
        writer.setCreator(QStringLiteral("Parcelwick"));
        writer.setTitle(QFile::decodeName(bytesOf(QFileInfo(m_request.design).completeBaseName())));
        printed = view->printPages(writer, &error);
    }
    if (!printed) {
        if (textName)
            file.cancelWriting();
        *reason = QStringLiteral("the print job failed: %1").arg(error.section(QLatin1Char('\n'), 0, 0));
        return CACommandLine::kFailure;
    }
    if (textName ? !PWSaveFile::commit(file, &error)
                 : !PWSaveFile::writeAtBytes(bytesOf(m_request.output), memory.data(), &error)) {
        *reason = QStringLiteral("%1 cannot be written: %2").arg(m_request.output, error);
        return CACommandLine::kFailure;
    }
    return CACommandLine::kSuccess;
}

bool CABatchJob::jobFits(qint64 items, int positions, QString *reason) const
{
    if (items > kMaxPrintedItems) {
        *reason = QStringLiteral("the job would print %1 items; one print job holds at most %2 (fewer --copies)")
                      .arg(items)
                      .arg(kMaxPrintedItems);
        return false;
    }
    if (m_request.start > positions) {
        *reason = QStringLiteral("--start %1 is past the last position of the sheet (%2)")
                      .arg(m_request.start)
                      .arg(positions);
        return false;
    }
    return true;
}

int CABatchJob::exportDesign(QString *reason)
{
    if (!canWriteTo(m_request.output, reason)
        || !outputIsNoInput(m_request.output, {{QStringLiteral("design"), m_request.design}}, reason))
        return CACommandLine::kFailure;
    CADocument document;
    if (!readDesign(m_request.design, document, reason))
        return CACommandLine::kFailure;
    noteReadProblems(document.readProblems());
    // The resolution of the export types of Save To.
    constexpr double kResolution = 600.0;
    const bool pdf = QFileInfo(m_request.output).suffix().compare(QStringLiteral("pdf"), Qt::CaseInsensitive) == 0;
    QString drawing;
    const QByteArray bytes = pdf ? document.PDFDataForComponents(nullptr, 0.0, false, false, false, true, kResolution)
                                 : document.TIFFDataForComponents(nullptr, 0.0, false, true, kResolution, &drawing);
    if (bytes.isEmpty()) {
        *reason = QStringLiteral("the design could not be drawn for export: %1%2")
                      .arg(m_request.design, drawing.isEmpty() ? QString() : QStringLiteral(": ") + drawing);
        return CACommandLine::kFailure;
    }
    QString error;
    if (!PWSaveFile::writeAtBytes(bytesOf(m_request.output), bytes, &error)) {
        *reason = QStringLiteral("%1 cannot be written: %2").arg(m_request.output, error);
        return CACommandLine::kFailure;
    }
    return CACommandLine::kSuccess;
}
