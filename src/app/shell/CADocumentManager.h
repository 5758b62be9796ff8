#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class CADocument;
class CFTADocument;
class QWidget;
struct CAOpenDocument;

// The documents the application has open, and everything that opens, saves, reverts and closes
// them. Every question to the user (save changes?, where to save?, which file?) is a hook, so that
// the rules run the same with dialogs and in tests. A document's window is made by the window
// factory once its design is complete, and never for a design that could not be read.
class CADocumentManager : public QObject
{
    Q_OBJECT
public:
    enum class SaveAnswer { Save, DontSave, Cancel };
    // Whether to replace the file a damaged design was read from, or save it elsewhere.
    enum class ReplaceAnswer { Replace, SaveAs, Cancel };
    // What a save-file question is for: the document file, or an export of it.
    enum class SaveKind { Save, SaveAs, Export };

    struct Questions
    {
        // "Do you want to save the changes you made in the document?"
        std::function<SaveAnswer(QWidget *window, const QString &displayName)> saveChanges;
        // A path to save to; empty when cancelled. For an export, type receives the chosen
        // export type (CADocument::kPDFType or kTIFFType) and comes in as the suggested one.
        std::function<QString(QWidget *window, SaveKind kind, const QString &suggestedPath, QString *type)> savePath;
        // A design file to open; empty when cancelled.
        std::function<QString(QWidget *window)> openPath;
        // Whether to throw away the changes and read the file again.
        std::function<bool(QWidget *window, const QString &displayName)> confirmRevert;
        // "The file was opened with parts that could not be read; replacing it loses them." Asked
        // exactly when the design's needsReplaceConfirmation holds for the path, so that saving
        // never silently drops what the reader left out. Without it the design refuses the
        // save, and the refusal is reported.
        std::function<ReplaceAnswer(QWidget *window, const CAOpenDocument &document, const QString &path)>
            confirmReplace;
        // "Another program changed the file since it was opened here": whether to replace it
        // with the design. Asked before Save writes over a file that is no longer the one the
        // window read or last wrote; without it such a save is refused, and the refusal reported.
        std::function<bool(QWidget *window, const QString &displayName)> confirmReplaceChanged;
        // Tells the user why something failed.
        std::function<void(QWidget *window, const QString &message)> report;
        // Tells the user, once the window shows the design, that parts of the file could not be
        // read; problems are the design's readProblems, savingLoses its readLosesParts, someKept
        // its readKeepsParts.
        std::function<void(QWidget *window, const QString &message, const QStringList &problems, bool savingLoses,
                           bool someKept)>
            reportReadProblems;
    };

    // Makes (and shows) the window of a document whose design is complete; may throw, in which
    // case the document is not kept.
    using WindowFactory = std::function<QWidget *(const std::shared_ptr<CAOpenDocument> &document)>;

    static constexpr int kMaximumRecentDocuments = 10;
    // The user default holding the recently opened files, most recent first.
    static const QString kRecentDocumentsKey;

    // While one lives, failures and read problems are logged at once but told to the user only
    // after the last hold ends, from the event loop: a request another start or a script sends is
    // answered before any window waits on the user.
    class ReportHold
    {
    public:
        explicit ReportHold(CADocumentManager &manager);
        ~ReportHold();
        ReportHold(const ReportHold &) = delete;
        ReportHold &operator=(const ReportHold &) = delete;

    private:
        CADocumentManager &m_manager;
    };

    explicit CADocumentManager(QObject *parent = nullptr);
    ~CADocumentManager() override;

    void setQuestions(Questions questions) { m_questions = std::move(questions); }
    Questions &questions() { return m_questions; }
    void setWindowFactory(WindowFactory factory) { m_windowFactory = std::move(factory); }

    const QList<std::shared_ptr<CAOpenDocument>> &documents() const { return m_documents; }
    std::shared_ptr<CAOpenDocument> recordFor(const CADocument *document) const;
    std::shared_ptr<CAOpenDocument> recordForWindow(const QWidget *window) const;

    // "Untitled", "Untitled 2", ... while unsaved; the file's name without its extension after.
    static QString displayName(const CAOpenDocument &document);

    // A new untitled document (a CADocument made the usual way, so that it takes the prepared
    // kernel document), its address panels laid out again, and its window. Null when the window
    // could not be made; the reason is reported.
    std::shared_ptr<CAOpenDocument> newDocument();
    // Keeps a document made elsewhere (the assistant) as a new untitled one.
    std::shared_ptr<CAOpenDocument> addDocument(std::unique_ptr<CADocument> document);
    // The document of the file: the one already open, else the file read into a new document with
    // its window. Null, with the reason reported and no window left behind, when it cannot be.
    std::shared_ptr<CAOpenDocument> openDocument(const QString &path, QWidget *window = nullptr);
    // The same for a file whose name the system gives as bytes that are no UTF-8: the document
    // keeps those bytes, so that Save and Revert reach the very file it was read from.
    std::shared_ptr<CAOpenDocument> openDocumentAtBytes(const QByteArray &path, QWidget *window = nullptr);
    // Whether a name given as bytes reads the same as text (UTF-8 without loss).
    static bool isTextName(const QByteArray &name);
    // Asks for a file first; null when cancelled.
    std::shared_ptr<CAOpenDocument> openDocumentWithQuestion(QWidget *window);

    // Each answers whether the document was written; false after a cancel or a failure (reported).
    bool saveDocument(const std::shared_ptr<CAOpenDocument> &document);
    bool saveDocumentAs(const std::shared_ptr<CAOpenDocument> &document);
    // Writes a PDF or TIFF of the design; the document keeps its file and its changes.
    bool saveDocumentTo(const std::shared_ptr<CAOpenDocument> &document);
    // Reads the file again after the user confirmed; false when nothing was read.
    bool revertDocumentToSaved(const std::shared_ptr<CAOpenDocument> &document);

    // Asks about unsaved changes; false when the user cancelled or the save failed.
    bool closeDocument(const std::shared_ptr<CAOpenDocument> &document);
    // Closes every document, asking for each edited one; stops at the first cancel and answers
    // false then.
    bool closeAllDocuments();

    void updateChangeCount(const std::shared_ptr<CAOpenDocument> &document, int change);
    // A change outside the undo history: the document stays edited until it is saved.
    void markEditedBeyondUndo(const std::shared_ptr<CAOpenDocument> &document);

    QStringList recentDocuments() const;
    void noteRecentDocument(const QString &path);
    void clearRecentDocuments();

Q_SIGNALS:
    void documentsChanged();
    // The title of a document's window changes: its name, its file or its edited state.
    void documentStateChanged(CAOpenDocument *document);
    // A document is about to be closed: its windows finish what the user is doing in them (typing in
    // place), so that the question about unsaved changes knows all of it.
    void documentWillClose(CAOpenDocument *document);
    // The design of a document was replaced (Revert).
    void documentReloaded(CAOpenDocument *document);
    void recentDocumentsChanged();

private:
    // The document of the file named by absolute (bytes as the system gives them): the open one,
    // else the file read into a new document.
    std::shared_ptr<CAOpenDocument> openFile(const QByteArray &absolute, QWidget *window);
    std::shared_ptr<CAOpenDocument> keep(std::unique_ptr<CADocument> document, const QString &path,
                                         const QByteArray &fileBytes = {});
    enum class WriteResult { Written, Failed, ChooseAnother };
    // To path, or, when path is the document's own file and that is named by bytes, to those.
    // written receives the bytes written.
    WriteResult writeDocument(const std::shared_ptr<CAOpenDocument> &document, const QString &path,
                              QByteArray *written);
    void reportReadProblems(const std::shared_ptr<CAOpenDocument> &document);
    // The file's name as the system knows it: the bytes it was opened by, else its path.
    static QByteArray fileNameBytes(const CAOpenDocument &document);
    // Notes the bytes the window last read from or wrote to its file as what the file holds.
    static void stampFile(CAOpenDocument &document, const QByteArray &bytes);
    // Whether Save may write over the document's file: true when the file is still the one the
    // window holds, or the user chose to replace what another program wrote there.
    bool mayReplaceFile(const std::shared_ptr<CAOpenDocument> &document);
    int nextUntitledNumber() const;
    QWidget *windowOf(const std::shared_ptr<CAOpenDocument> &document) const;
    void report(QWidget *window, const QString &message) const;
    void discard(const std::shared_ptr<CAOpenDocument> &document);

    Questions m_questions;
    void tell(std::function<void()> message);

    WindowFactory m_windowFactory;
    QList<std::shared_ptr<CAOpenDocument>> m_documents;
    int m_reportHolds = 0;
    std::vector<std::function<void()>> m_heldReports;
};
