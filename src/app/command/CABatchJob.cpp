#include "app/command/CABatchJob.h"

#include "app/command/CAContactsFileRead.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/printing/CAPrinter.h"
#include "app/printing/CAPrinterPrintTarget.h"

#include "kernel/merge/CADocument.h"
#include "kernel/merge/CAPrintTarget.h"
#include "kernel/merge/CAPrintingView.h"
#include "kernel/merge/CAPrintingViewChoice.h"
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
        const std::optional<CAContactsFileRead::Result> read = CAContactsFileRead::read(
            m_request.contacts, m_request.columns, CAContactsFileRead::Format::ByExtension, document.get(), reason,
            CATextFileSource::EncodingChoice{m_request.encoding, {}});
        if (!read)
            return CACommandLine::kFailure;
        CAContactsFileRead::noteAll(read->notes);
        persons.emplace(read->persons.begin(), read->persons.end());
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
