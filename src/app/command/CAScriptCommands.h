#pragma once

#include "kernel/base/FTTypes.h"

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class CADelimitedText;
class CADocument;
class CADocumentController;
class QWidget;
struct CAOpenDocument;

// The commands a script sends to the running instance, one JSON object each ({"command": name,
// ...}), each answered by a JSON object with a "status" ("ok", "error" with a "message", or
// "refused" for a command that is not understood). Relative paths are taken from "cwd". Work that
// waits for the user (the print dialog, the assistant) starts after the answer, so that the
// script is never held up by a window.
//
// Commands and their arguments:
//   open             file
//   print            [file]  prints without the sheet or the print dialog
//   printWithDialog  [file]  the same through the print dialog
//   preview          [file]  the print sheet, with the design's own persons
//   printMultiple    [file] contacts [showPreview]  imports contacts in place of the design's
//                    persons, then the print sheet (showPreview) or a print without it
//   importContacts   [file] contacts [append] [format: "vcard" | "text"]
//   assistant        [withType]   blankDocument [withType]
//   setNumberOfImportingRecords count   setCurrentImportingRecordIndex index (answers "stop")
//   terminateScriptExecution
// Without "file" a command acts on the design in the front window.
class CAScriptCommands : public QObject
{
    Q_OBJECT
public:
    // What a type code ("ral", "adr", "shp", "enp", "mps") asks of the assistant and of a blank
    // document; any other code is a label with no layout or category of its own.
    struct TypeCode
    {
        QString layout;
        QString category;
        documentType kind = dtLabel;
    };
    static TypeCode typeCode(const QString &code);

    // The assistant, once it exists: it runs modally on a layout tab and a category and answers
    // its finish code with what it made.
    struct AssistantRun
    {
        int code = -1;
        std::unique_ptr<CADocument> document;
        // The tab the contacts step ended on; 1 and 2 fill the design with the chosen contact.
        int contactsTabIndex = 0;
        // The recent document chosen, for code 4.
        QString recentDocumentPath;
    };
    struct Assistant
    {
        std::function<AssistantRun(const QString &layout, const QString &category)> show;
        std::function<bool()> isRunning;
        // Ends the running assistant's modal run with the code.
        std::function<void(int code)> stop;
    };

    enum class ContactFormat { ByExtension, VCard, Text };

    explicit CAScriptCommands(CADocumentController &controller, QObject *parent = nullptr);
    ~CAScriptCommands() override;

    // Null (the default) answers the assistant command with an error.
    void setAssistant(Assistant assistant) { m_assistant = std::move(assistant); }
    // The application's shared assistant in the form the commands drive it.
    static Assistant sharedAssistant();

    // Carries out one command and answers it.
    QJsonObject execute(const QJsonObject &command, const QString &workingDirectory = QString());

    // Fills the design's own persons from a vCard or delimited text file, in place of its persons
    // or after them, with what the reading noted for their prints. A file that cannot be read,
    // holds no person or has no column of names changes nothing and is reported, as the batch
    // refuses it. The extension decides the format whatever its case.
    // encoding: what asks the user when the letters of a delimited file read alike in several
    // encodings; without it the reading is noted as the batch notes it.
    // noted: what the reading noted of this file, as a batch job's report orders its lines.
    static bool importContacts(CADocument &document, const QString &path, bool append, ContactFormat format,
                               QString *error, const std::function<bool(CADelimitedText &)> &askEncoding = {},
                               QStringList *noted = nullptr);
    // Prints the design without the sheet: one item per person of its own list, else one full
    // sheet of the design, from the first position; through the print dialog when showPanels.
    // False, with the reason (empty when the user cancelled), when nothing was printed; else
    // what the job's report holds is told over parent.
    static bool printWithDefaults(QWidget *parent, const std::shared_ptr<CADocument> &document, bool showPanels,
                                  QString *error);

    // Whether an assistant run started by a command is on its way (shown or waiting to be).
    bool assistantPending() const { return m_assistantQueued || m_assistantShowing; }

Q_SIGNALS:
    // A run started by a command has ended and what it made is open; none is pending any more.
    void assistantRunEnded();

private:
    std::shared_ptr<CAOpenDocument> documentFor(const QJsonObject &command, const QString &workingDirectory,
                                                QString *error);
    QJsonObject runAssistant(const QString &code);
    void showQueuedAssistant();
    void acceptAssistantRun(AssistantRun run);
    QJsonObject blankDocument(const QString &code);
    // Print-multiple of a file whose letters read alike in several encodings: the text import
    // dialog asks which, then the import and the sheet or the print go on as the command asked.
    void printMultipleAfterAsking(const std::shared_ptr<CAOpenDocument> &record, const QString &contacts,
                                  ContactFormat format, bool showSheet);

    CADocumentController &m_controller;
    Assistant m_assistant;
    // The latest assistant request that waits for the running assistant to end.
    std::optional<TypeCode> m_queuedAssistant;
    bool m_assistantQueued = false;
    bool m_assistantShowing = false;
};
