#include "app/shell/CADocumentManager.h"

#include "kernel/merge/CADocument.h"
#include "app/printsheet/CAJobReportMessages.h"
#include "app/shell/CAFileWork.h"
#include "app/shell/CAOpenDocument.h"
#include "app/shell/CAShellLog.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTADocumentFileCheck.h"
#include "platform/PWJobReport.h"
#include "platform/PWPathStatus.h"
#include "platform/PWSaveFile.h"
#include "platform/PWUserDefaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <exception>
#include <optional>

namespace {

// The components of a design on all its sides, each panel once: what writing it goes through.
qsizetype componentsOf(const CADocument &design)
{
    const CFTADocument *document = design.ftDocument();
    if (!document)
        return 0;
    qsizetype count = 0;
    for (int side = 0; side < document->getSidesCount(); ++side)
        for (const bool back : {false, true})
            if (const std::vector<CFTComponent *> *components = document->GetComponentsPtr(side, back))
                count += qsizetype(components->size());
    return count;
}

} // namespace

const QString CADocumentManager::kRecentDocumentsKey = QStringLiteral("FTRecentDocuments");

CADocumentManager::CADocumentManager(QObject *parent)
    : QObject(parent)
{
}

CADocumentManager::~CADocumentManager()
{
    // Windows go before the designs they show.
    for (const auto &document : std::as_const(m_documents))
        delete document->window.data();
}

std::shared_ptr<CAOpenDocument> CADocumentManager::recordFor(const CADocument *document) const
{
    for (const auto &record : m_documents)
        if (record->document.get() == document)
            return record;
    return nullptr;
}

std::shared_ptr<CAOpenDocument> CADocumentManager::recordForWindow(const QWidget *window) const
{
    for (const auto &record : m_documents)
        if (record->window && record->window == window)
            return record;
    return nullptr;
}

QString CADocumentManager::displayName(const CAOpenDocument &document)
{
    if (!document.filePath.isEmpty())
        return QFileInfo(document.filePath).completeBaseName();
    if (document.untitledNumber <= 1)
        return tr("Untitled");
    return tr("Untitled %1").arg(document.untitledNumber);
}

int CADocumentManager::nextUntitledNumber() const
{
    // The lowest number no open untitled document uses, as a user expects after closing one.
    int number = 1;
    bool taken = true;
    while (taken) {
        taken = false;
        for (const auto &record : m_documents) {
            if (record->filePath.isEmpty() && record->untitledNumber == number) {
                taken = true;
                ++number;
                break;
            }
        }
    }
    return number;
}

QWidget *CADocumentManager::windowOf(const std::shared_ptr<CAOpenDocument> &document) const
{
    return document ? document->window.data() : nullptr;
}

CADocumentManager::ReportHold::ReportHold(CADocumentManager &manager)
    : m_manager(manager)
{
    ++m_manager.m_reportHolds;
}

CADocumentManager::ReportHold::~ReportHold()
{
    if (--m_manager.m_reportHolds > 0 || m_manager.m_heldReports.empty())
        return;
    QTimer::singleShot(0, &m_manager, [reports = std::exchange(m_manager.m_heldReports, {})] {
        for (const std::function<void()> &report : reports)
            report();
    });
}

void CADocumentManager::tell(std::function<void()> message)
{
    if (m_reportHolds > 0)
        m_heldReports.push_back(std::move(message));
    else
        message();
}

void CADocumentManager::report(QWidget *window, const QString &message) const
{
    qCWarning(lcShell).noquote() << message;
    if (!m_questions.report)
        return;
    // A held report goes to the window only if it is still there.
    const QPointer<QWidget> target(window);
    const bool hadWindow = window != nullptr;
    const_cast<CADocumentManager *>(this)->tell([this, target, hadWindow, message] {
        if (m_questions.report && (!hadWindow || target))
            m_questions.report(target, message);
    });
}

std::shared_ptr<CAOpenDocument> CADocumentManager::keep(std::unique_ptr<CADocument> document, const QString &path,
                                                        const QByteArray &fileBytes)
{
    if (!document) {
        // Ending the process here would lose the user's work; the request is refused instead.
        report(nullptr, tr("The document could not be shown. %1").arg(QStringLiteral("m_Document is nil")));
        return nullptr;
    }
    auto record = std::make_shared<CAOpenDocument>();
    record->document = std::move(document);
    record->filePath = path;
    // Known before the window is made, which may ask for them.
    record->fileBytes = fileBytes;
    record->untitledNumber = path.isEmpty() ? nextUntitledNumber() : 0;
    m_documents.append(record);
    if (m_windowFactory) {
        try {
            record->window = m_windowFactory(record);
        } catch (const std::exception &error) {
            // No half-made window stays: the factory's window is gone with the exception, and
            // the document is not kept.
            m_documents.removeAll(record);
            report(nullptr, tr("The document “%1” could not be shown. %2")
                                .arg(displayName(*record), QString::fromUtf8(error.what())));
            return nullptr;
        }
    }
    Q_EMIT documentsChanged();
    return record;
}

std::shared_ptr<CAOpenDocument> CADocumentManager::newDocument()
{
    auto document = std::make_unique<CADocument>();
    if (CFTADocument *design = document->ftDocument())
        design->arrangeAddressPanel();
    return keep(std::move(document), QString());
}

std::shared_ptr<CAOpenDocument> CADocumentManager::addDocument(std::unique_ptr<CADocument> document)
{
    return keep(std::move(document), QString());
}

std::shared_ptr<CAOpenDocument> CADocumentManager::openDocument(const QString &path, QWidget *window)
{
    return openFile(QFile::encodeName(QFileInfo(path).absoluteFilePath()), window);
}

bool CADocumentManager::isTextName(const QByteArray &name)
{
    return QFile::encodeName(QFile::decodeName(name)) == name;
}

std::shared_ptr<CAOpenDocument> CADocumentManager::openDocumentAtBytes(const QByteArray &path, QWidget *window)
{
    if (path.startsWith('/'))
        return openFile(path, window);
    const QByteArray folder = PWPathStatus::workingFolder();
    return openFile((folder.isEmpty() ? QByteArray(".") : folder) + '/' + path, window);
}

std::shared_ptr<CAOpenDocument> CADocumentManager::openFile(const QByteArray &absolute, QWidget *window)
{
    // The same file under another name (a link) is the same document; one gone from the disk since
    // it was opened is still known by its name.
    const std::optional<PWPathStatus::Identity> wanted = PWPathStatus::identityAt(absolute);
    for (const auto &record : std::as_const(m_documents)) {
        const QByteArray name = record->fileBytes.isEmpty() ? QFile::encodeName(record->filePath) : record->fileBytes;
        const bool same = !name.isEmpty() && (name == absolute || (wanted && PWPathStatus::identityAt(name) == wanted));
        if (same) {
            if (record->window) {
                record->window->raise();
                record->window->activateWindow();
            }
            return record;
        }
    }
    // A name that is no UTF-8 has no faithful QString: such a file is read, and later written, by
    // its bytes, and its QString only shows it.
    const bool textName = isTextName(absolute);
    const QString shown = QFile::decodeName(absolute);
    auto document = std::make_unique<CADocument>();
    QString error;
    QByteArray bytes;
    const auto readFile = [&] {
        return textName ? document->readFromFile(shown, &error, &bytes)
                        : document->readFromFileAtBytes(absolute, &error, &bytes);
    };
    // A large design is read on a worker under a progress window; the user may stop it, which
    // leaves everything as it was and is told nothing.
    bool read = false;
    const PWPathStatus::Entry status = PWPathStatus::statusAt(absolute);
    if (status.kind == PWPathStatus::Kind::RegularFile && status.size >= CAFileWork::kLongReadBytes) {
        const QString label = tr("Opening “%1”…").arg(QFileInfo(shown).fileName());
        QString failure;
        const CAFileWork::Outcome outcome = CAFileWork::run(
            window, label, CAFileWork::Where::FileThread, CAFileWork::Window::Drawn, [&] { read = readFile(); }, &failure);
        if (outcome == CAFileWork::Outcome::Stopped)
            return nullptr;
        if (outcome == CAFileWork::Outcome::Failed) {
            report(window, tr("“%1” could not be opened: %2.").arg(QFileInfo(shown).fileName(), failure));
            return nullptr;
        }
    } else {
        read = readFile();
    }
    if (!read) {
        report(window, tr("“%1” — %2").arg(QFileInfo(shown).fileName(), error));
        return nullptr;
    }
    auto record = keep(std::move(document), shown, textName ? QByteArray() : absolute);
    if (record) {
        // The bytes read, not the file as it stands once the window is made: what another
        // program writes meanwhile is a change to ask about.
        stampFile(*record, bytes);
        // The recent list keeps texts; a name that is none would not open again from it.
        if (textName)
            noteRecentDocument(shown);
        reportReadProblems(record);
    }
    return record;
}

void CADocumentManager::reportReadProblems(const std::shared_ptr<CAOpenDocument> &document)
{
    const CADocument &design = *document->document;
    if (!design.isDamaged() || !m_questions.reportReadProblems)
        return;
    const QString message =
        tr("“%1” was opened with parts that could not be read.").arg(QFileInfo(document->filePath).fileName());
    const QPointer<QWidget> window(windowOf(document));
    const bool hadWindow = window != nullptr;
    const QStringList problems = design.readProblems();
    const bool savingLoses = design.readLosesParts();
    const bool someKept = design.readKeepsParts();
    tell([this, window, hadWindow, message, problems, savingLoses, someKept] {
        // A design closed before it was told is not told any more.
        if (m_questions.reportReadProblems && (!hadWindow || window))
            m_questions.reportReadProblems(window, message, problems, savingLoses, someKept);
    });
}

std::shared_ptr<CAOpenDocument> CADocumentManager::openDocumentWithQuestion(QWidget *window)
{
    if (!m_questions.openPath)
        return nullptr;
    const QString path = m_questions.openPath(window);
    if (path.isEmpty())
        return nullptr;
    return openDocument(path, window);
}

CADocumentManager::WriteResult CADocumentManager::writeDocument(const std::shared_ptr<CAOpenDocument> &document,
                                                                 const QString &path, QByteArray *written)
{
    QWidget *window = windowOf(document);
    CADocument &design = *document->document;
    const QByteArray bytes = path == document->filePath ? document->fileBytes : QByteArray();
    // Asked on the design's own rule, so that the question comes exactly when the design would
    // refuse; without a question the refusal below is what the user sees.
    const bool needsConfirmation =
        bytes.isEmpty() ? design.needsReplaceConfirmation(path) : design.needsReplaceConfirmationAtBytes(bytes);
    if (needsConfirmation && m_questions.confirmReplace) {
        switch (m_questions.confirmReplace(window, *document, path)) {
        case ReplaceAnswer::Replace:
            design.setReplaceDamagedConfirmed(true);
            break;
        case ReplaceAnswer::SaveAs:
            return WriteResult::ChooseAnother;
        case ReplaceAnswer::Cancel:
            return WriteResult::Failed;
        }
    }
    QString error;
    QByteArray writtenHere;
    QByteArray *const data = written ? written : &writtenHere;
    // Why the design as written would be refused at its next open; empty when it opens again.
    QString tooLarge;
    const auto writeFile = [&] {
        const bool wrote = bytes.isEmpty() ? design.writeToFile(path, &error, data)
                                           : design.writeToFileAtBytes(bytes, &error, data);
        if (wrote)
            tooLarge = CFTADocumentFileCheck::refusalBeforeReading(*data);
        return wrote;
    };
    bool wrote = false;
    if (componentsOf(design) >= CAFileWork::kLongWriteComponents) {
        // Written on the file thread. The window draws nothing of the design meanwhile (the
        // worker reads it), and takes no edit: the progress window is modal.
        const QString label = tr("Saving “%1”…").arg(QFileInfo(path).fileName());
        QString failure;
        const CAFileWork::Outcome outcome =
            CAFileWork::run(window, label, CAFileWork::Where::FileThread, CAFileWork::Window::Frozen,
                            [&] { wrote = writeFile(); }, &failure);
        // Stopped or failed before anything reached the file: the design stays as it is, unsaved.
        if (outcome == CAFileWork::Outcome::Stopped)
            return WriteResult::Failed;
        if (outcome == CAFileWork::Outcome::Failed) {
            report(window, tr("“%1” was not saved: %2.").arg(QFileInfo(path).fileName(), failure));
            return WriteResult::Failed;
        }
    } else {
        wrote = writeFile();
    }
    if (!wrote) {
        report(window, tr("“%1” — %2").arg(displayName(*document), error));
        return WriteResult::Failed;
    }
    // A design grown past what may be opened is saved whole, and the user hears at once that it
    // will not open again as it stands, while the window still holds it.
    if (!tooLarge.isEmpty())
        report(window, tr("“%1” was saved, but it is too large to be opened again: %2. Remove some of its items, "
                          "or move them into another design, and save it again.")
                           .arg(QFileInfo(path).fileName(), tooLarge));
    return WriteResult::Written;
}

QByteArray CADocumentManager::fileNameBytes(const CAOpenDocument &document)
{
    return document.fileBytes.isEmpty() ? QFile::encodeName(document.filePath) : document.fileBytes;
}

void CADocumentManager::stampFile(CAOpenDocument &document, const QByteArray &bytes)
{
    document.fileStamp = document.filePath.isEmpty() ? std::nullopt : std::optional(CAFileStamp::ofBytes(bytes));
}

bool CADocumentManager::mayReplaceFile(const std::shared_ptr<CAOpenDocument> &document)
{
    if (!document->fileStamp)
        return true;
    const CAFileStamp stamp = *document->fileStamp;
    const QByteArray file = fileNameBytes(*document);
    bool changed = false;
    const auto check = [&] { changed = stamp.changedAt(file); };
    if (stamp.size() >= CAFileWork::kLongReadBytes) {
        // The file's bytes are hashed on the file thread under the save's progress window, which
        // the user may cancel: the design stays unsaved, and nothing is told.
        QString failure;
        const CAFileWork::Outcome outcome =
            CAFileWork::run(windowOf(document), tr("Saving “%1”…").arg(QFileInfo(document->filePath).fileName()),
                            CAFileWork::Where::FileThread, CAFileWork::Window::Drawn, check, &failure,
                            CAFileWork::Stop::UntilClosed);
        if (outcome == CAFileWork::Outcome::Stopped)
            return false;
        if (outcome == CAFileWork::Outcome::Failed) {
            report(windowOf(document),
                   tr("“%1” was not saved: %2.").arg(QFileInfo(document->filePath).fileName(), failure));
            return false;
        }
    } else {
        check();
    }
    if (!changed)
        return true;
    qCWarning(lcShell).noquote() << QStringLiteral("\"%1\" was changed by another program since it was opened")
                                        .arg(document->filePath);
    if (m_questions.confirmReplaceChanged)
        return m_questions.confirmReplaceChanged(windowOf(document), displayName(*document));
    report(windowOf(document), tr("“%1” was not saved: another program changed the file since it was opened.")
                                   .arg(displayName(*document)));
    return false;
}

bool CADocumentManager::saveDocument(const std::shared_ptr<CAOpenDocument> &document)
{
    if (!document)
        return false;
    if (document->filePath.isEmpty())
        return saveDocumentAs(document);
    // What another program wrote over the file since this window read it is not replaced
    // without asking; Cancel keeps the window's work unsaved.
    if (!mayReplaceFile(document))
        return false;
    QByteArray written;
    switch (writeDocument(document, document->filePath, &written)) {
    case WriteResult::Failed:
        return false;
    case WriteResult::ChooseAnother:
        return saveDocumentAs(document);
    case WriteResult::Written:
        break;
    }
    stampFile(*document, written);
    document->changeCount = 0;
    document->editedBeyondUndo = false;
    Q_EMIT documentStateChanged(document.get());
    return true;
}

bool CADocumentManager::saveDocumentAs(const std::shared_ptr<CAOpenDocument> &document)
{
    if (!document || !m_questions.savePath)
        return false;
    const QString suggested = document->filePath.isEmpty()
                                  ? displayName(*document) + QLatin1Char('.') + CADocument::kFileExtension
                                  : document->filePath;
    QString path;
    QByteArray written;
    // Until the design is written, or the user gives up; a damaged design's own file again
    // brings its question again.
    for (WriteResult result = WriteResult::ChooseAnother; result != WriteResult::Written;) {
        path = m_questions.savePath(windowOf(document), SaveKind::SaveAs, suggested, nullptr);
        if (path.isEmpty())
            return false;
        if (QFileInfo(path).suffix().isEmpty())
            path += QLatin1Char('.') + CADocument::kFileExtension;
        path = QFileInfo(path).absoluteFilePath();
        result = writeDocument(document, path, &written);
        if (result == WriteResult::Failed)
            return false;
    }
    // The file it was read from, named by bytes, is still that file when the user keeps its name.
    if (path != document->filePath)
        document->fileBytes.clear();
    document->filePath = path;
    stampFile(*document, written);
    document->untitledNumber = 0;
    document->changeCount = 0;
    document->editedBeyondUndo = false;
    noteRecentDocument(path);
    Q_EMIT documentStateChanged(document.get());
    return true;
}

bool CADocumentManager::saveDocumentTo(const std::shared_ptr<CAOpenDocument> &document)
{
    if (!document || !m_questions.savePath)
        return false;
    QString type = CADocument::kPDFType;
    // Beside the design, as its Save as PDF; an untitled design's panel starts in the documents
    // folder (a name without a folder).
    const QString suggested = document->filePath.isEmpty()
                                  ? displayName(*document) + QStringLiteral(".pdf")
                                  : QFileInfo(document->filePath).absoluteDir().filePath(
                                        QFileInfo(document->filePath).completeBaseName() + QStringLiteral(".pdf"));
    QString path = m_questions.savePath(windowOf(document), SaveKind::Export, suggested, &type);
    if (path.isEmpty())
        return false;
    if (type != CADocument::kPDFType && type != CADocument::kTIFFType) {
        report(windowOf(document), tr("The design cannot be exported in this format."));
        return false;
    }
    // A name typed with a known extension chooses its format, as the command line reads the
    // format from the extension; a name without one gets the chosen format's. A PDF never goes
    // out named ".tif", nor a TIFF ".pdf".
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"pdf")
        type = CADocument::kPDFType;
    else if (suffix == u"tif" || suffix == u"tiff")
        type = CADocument::kTIFFType;
    else
        path += type == CADocument::kPDFType ? QStringLiteral(".pdf") : QStringLiteral(".tiff");
    // Told after the export: the pictures drawn as placeholders, the addresses past their labels.
    const PWJobReport job;
    QString error;
    const auto exportFile = [&] {
        const QByteArray data = document->document->dataRepresentationOfType(type, &error);
        if (data.isEmpty())
            error = error.isEmpty() ? tr("There is nothing to export.") : error.left(1).toUpper() + error.mid(1) + u'.';
        else if (!PWSaveFile::write(path, data, &error))
            error = error.isEmpty() ? tr("The file could not be written.") : error;
    };
    if (componentsOf(*document->document) >= CAFileWork::kLongWriteComponents) {
        // Drawn under a progress window that serves the windows' events, the window itself frozen.
        QString failure;
        const CAFileWork::Outcome outcome =
            CAFileWork::run(windowOf(document), tr("Exporting “%1”…").arg(QFileInfo(path).fileName()),
                            CAFileWork::Where::WindowThread, CAFileWork::Window::Frozen, exportFile, &failure);
        // Stopped before anything reached the file.
        if (outcome == CAFileWork::Outcome::Stopped)
            return false;
        if (outcome == CAFileWork::Outcome::Failed)
            error = failure.left(1).toUpper() + failure.mid(1) + u'.';
    } else {
        exportFile();
    }
    if (!error.isEmpty()) {
        report(windowOf(document), tr("The design could not be exported. %1").arg(error));
        return false;
    }
    CAJobReportMessages::tellAfterJob(windowOf(document), job);
    return true;
}

bool CADocumentManager::revertDocumentToSaved(const std::shared_ptr<CAOpenDocument> &document)
{
    if (!document || document->filePath.isEmpty() || !document->isEdited())
        return false;
    if (m_questions.confirmRevert && !m_questions.confirmRevert(windowOf(document), displayName(*document)))
        return false;
    QString error;
    QByteArray bytes;
    const bool read = document->fileBytes.isEmpty()
                          ? document->document->readFromFile(document->filePath, &error, &bytes)
                          : document->document->readFromFileAtBytes(document->fileBytes, &error, &bytes);
    if (!read) {
        report(windowOf(document), tr("“%1” — %2").arg(displayName(*document), error));
        return false;
    }
    stampFile(*document, bytes);
    document->changeCount = 0;
    document->editedBeyondUndo = false;
    Q_EMIT documentReloaded(document.get());
    Q_EMIT documentStateChanged(document.get());
    reportReadProblems(document);
    return true;
}

void CADocumentManager::discard(const std::shared_ptr<CAOpenDocument> &document)
{
    m_documents.removeAll(document);
    if (QWidget *window = document->window) {
        window->hide();
        // The window may be the one whose close event brought us here.
        window->deleteLater();
    }
    Q_EMIT documentsChanged();
}

bool CADocumentManager::closeDocument(const std::shared_ptr<CAOpenDocument> &document)
{
    if (!document || !m_documents.contains(document))
        return false;
    Q_EMIT documentWillClose(document.get());
    if (document->isEdited() && m_questions.saveChanges) {
        switch (m_questions.saveChanges(windowOf(document), displayName(*document))) {
        case SaveAnswer::Cancel:
            return false;
        case SaveAnswer::Save:
            if (!saveDocument(document))
                return false;
            break;
        case SaveAnswer::DontSave:
            break;
        }
    }
    discard(document);
    return true;
}

bool CADocumentManager::closeAllDocuments()
{
    // A copy: closing changes the list.
    const QList<std::shared_ptr<CAOpenDocument>> open = m_documents;
    for (const auto &document : open)
        if (!closeDocument(document))
            return false;
    return true;
}

void CADocumentManager::updateChangeCount(const std::shared_ptr<CAOpenDocument> &document, int change)
{
    if (!document)
        return;
    const bool wasEdited = document->isEdited();
    document->changeCount += change;
    if (wasEdited != document->isEdited())
        Q_EMIT documentStateChanged(document.get());
}

void CADocumentManager::markEditedBeyondUndo(const std::shared_ptr<CAOpenDocument> &document)
{
    if (!document)
        return;
    const bool wasEdited = document->isEdited();
    document->editedBeyondUndo = true;
    if (!wasEdited)
        Q_EMIT documentStateChanged(document.get());
}

QStringList CADocumentManager::recentDocuments() const
{
    QStringList paths;
    for (const PWPlist &entry : PWUserDefaults::standardUserDefaults().arrayForKey(kRecentDocumentsKey))
        if (entry.isString() && !entry.toString().isEmpty())
            paths.append(entry.toString());
    return paths;
}

void CADocumentManager::noteRecentDocument(const QString &path)
{
    QStringList paths = recentDocuments();
    paths.removeAll(path);
    paths.prepend(path);
    while (paths.size() > kMaximumRecentDocuments)
        paths.removeLast();
    PWPlist::Array stored;
    for (const QString &entry : std::as_const(paths))
        stored.append(PWPlist::fromString(entry));
    PWUserDefaults::standardUserDefaults().setObject(kRecentDocumentsKey, PWPlist(stored));
    Q_EMIT recentDocumentsChanged();
}

void CADocumentManager::clearRecentDocuments()
{
    PWUserDefaults::standardUserDefaults().removeObject(kRecentDocumentsKey);
    Q_EMIT recentDocumentsChanged();
}
