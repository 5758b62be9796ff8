#pragma once

#include "app/contacts/FTAddressRecognition.h"
#include "app/contacts/FTPersonDictionary.h"

#include <QClipboard>
#include <QCommandLineOption>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class CADocument;
class CADocumentController;
class CAMainWindowController;
class PWPerson;
class QCommandLineParser;
class QMimeData;
class QWidget;
struct CAOpenDocument;

// Text that holds a name and an address, made into a new label, a new envelope or a document of
// the assistant: the text is read into its fields, confirmed in the address sheet on the window
// of the document that receives it, and becomes that document's recipient. The text comes from
// the clipboard (the File menu's "... from Text" commands) or from the command line.
class CADocumentServices : public QObject
{
    Q_OBJECT
public:
    enum ServiceKind { FromAssistant = 0, Label = 1, Envelope = 2 };

    // Shows the confirmation sheet on the window and answers the confirmed person, or none.
    using ConfirmationSheet = std::function<std::shared_ptr<PWPerson>(const CAPersonDictionary &, QWidget *window)>;

    explicit CADocumentServices(CADocumentController &controller, QObject *parent = nullptr);
    ~CADocumentServices() override;

    // The three commands of the File menu, each enabled while the clipboard offers text, and Edit >
    // Paste Address of every document window, enabled while the clipboard offers text. Only the
    // offered formats are looked at until a command runs: text that proves blank then does nothing.
    void registerCommands();
    // The clipboard's text read as an address, confirmed in the sheet on the window and made the
    // recipient of its design as one undoable step; nothing for text that is no address.
    void pasteAddress(CAMainWindowController &window);

    // What the clipboard holds in a mode; null where the platform has no such mode (most have no
    // primary selection).
    using ClipboardData = std::function<const QMimeData *(QClipboard::Mode)>;

    // The plain text of the clipboard, else of the primary selection where the platform has
    // one; empty when neither holds text.
    QString serviceText() const;

    void newLabelWithText(const QString &text) { fillDocumentWithService(text, Label); }
    void newEnvelopeWithText(const QString &text) { fillDocumentWithService(text, Envelope); }
    void newFromAssistantWithText(const QString &text) { fillDocumentWithService(text, FromAssistant); }

    // The whole service: the document that receives the address is the last open one when it
    // suits (a label for a label, an envelope for an envelope, the start-up assistant's document
    // for the first assistant request), else a new one; the sheet runs on its window.
    void fillDocumentWithService(const QString &text, int kind);
    // A new document for the kind, with its window, or the document the assistant chose. When
    // the assistant makes none, a default label is made, so that the address is never lost.
    std::shared_ptr<CAOpenDocument> createDocumentWithService(int kind);
    static CAPersonDictionary parseServiceText(const QString &text);
    // The line that says only the first of several addresses was read; empty for one.
    static QString passedOverLine(const CAAddressTexts &addresses);

    // The sheet the service runs; by default the address confirmation sheet.
    void setConfirmationSheet(ConfirmationSheet sheet) { m_sheet = std::move(sheet); }
    // Where the File menu's commands read; the application's clipboard by default and when empty.
    void setClipboardData(ClipboardData data) { m_clipboard = std::move(data); }

    // "--new-label-from-text", "--new-envelope-from-text" and "--new-assistant-from-text", each
    // taking the text.
    static QList<QCommandLineOption> commandLineOptions();
    // Runs the service of every such option the parser holds, labels first, then envelopes,
    // then the assistant.
    void performCommandLineOptions(const QCommandLineParser &parser);

private:
    std::unique_ptr<CADocument> makeDefaultDocument(int kind) const;

    // Whether the mode offers plain text, asked of its formats alone.
    bool offersText(QClipboard::Mode mode) const;
    QString plainText(QClipboard::Mode mode) const;

    CADocumentController &m_controller;
    ConfirmationSheet m_sheet;
    ClipboardData m_clipboard;
};
