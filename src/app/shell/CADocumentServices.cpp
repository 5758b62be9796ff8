#include "app/shell/CADocumentServices.h"

#include "app/contacts/CAServiceDialogController.h"
#include "app/contacts/FTAddressRecognition.h"
#include "kernel/merge/CADocument.h"
#include "app/shell/CAActionRouter.h"
#include "app/shell/CADocumentController.h"
#include "app/shell/CADocumentManager.h"
#include "app/shell/CAMainWindowController.h"
#include "app/shell/CAOpenDocument.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWPerson.h"
#include "app/shell/CAShellLog.h"

#include <QClipboard>
#include <QCommandLineParser>
#include <QGuiApplication>
#include <QMimeData>

using namespace Qt::StringLiterals;

namespace {

// The longest clipboard text Paste Address reads.
constexpr qsizetype kMaxAddressText = 64 * 1024;

struct ServiceCommand
{
    const char *action;
    const char *option;
    int kind;
};

// In the order the command line runs them.
constexpr ServiceCommand kServiceCommands[] = {
    {"newLabelWithText", "new-label-from-text", CADocumentServices::Label},
    {"newEnvelopeWithText", "new-envelope-from-text", CADocumentServices::Envelope},
    {"newFromAssistantWithText", "new-assistant-from-text", CADocumentServices::FromAssistant},
};

// A design without a recipient panel gets one, in the default template and country, where a new
// panel goes; the person given to the design then fills it.
void ensureRecipientPanel(CADocument &document)
{
    CFTADocument *design = document.ftDocument();
    if (!design)
        return;
    for (CFTComponent *component : design->GetComponents(0, false))
        if (component->getClassID() == ciAddressPanel && component->GetToFrom())
            return;
    const std::unique_ptr<CAddressFormat> format =
        CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
            CAEnvironment::defaultTemplate(), CAEnvironment::defaultCountry(), false,
            CAddressFormatController::kBarcodeAbove);
    if (!format)
        return;
    CFTAView view(document.ftDocumentController());
    std::unique_ptr<CFTComponent> panel = view.CreateAddressPanel(true, format.get());
    if (!panel)
        return;
    panel->SetOrigin(9.0, 9.0);
    // The design's list owns it from here.
    view.InsertComponent(panel.release(), false);
}

// What the application's clipboard holds in the mode, where the platform has the mode.
const QMimeData *applicationClipboard(QClipboard::Mode mode)
{
    const QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard || (mode == QClipboard::Selection && !clipboard->supportsSelection()))
        return nullptr;
    return clipboard->mimeData(mode);
}

} // namespace

CADocumentServices::CADocumentServices(CADocumentController &controller, QObject *parent)
    : QObject(parent)
    , m_controller(controller)
    , m_sheet(&CAServiceDialogController::openDialog)
{
}

CADocumentServices::~CADocumentServices() = default;

// The menus ask this each time they are checked: reading the text itself would fetch all of it
// from the program that holds it, megabytes at a time.
bool CADocumentServices::offersText(QClipboard::Mode mode) const
{
    const QMimeData *data = m_clipboard ? m_clipboard(mode) : applicationClipboard(mode);
    return data && data->hasText();
}

QString CADocumentServices::plainText(QClipboard::Mode mode) const
{
    const QMimeData *data = m_clipboard ? m_clipboard(mode) : applicationClipboard(mode);
    return data && data->hasText() ? data->text() : QString();
}

void CADocumentServices::registerCommands()
{
    for (const ServiceCommand &command : kServiceCommands) {
        const int kind = command.kind;
        m_controller.registerCommand(QString::fromLatin1(command.action),
                                     {[this](QAction *) {
                                          return offersText(QClipboard::Clipboard)
                                                 || offersText(QClipboard::Selection);
                                      },
                                      [this, kind](QAction *) {
                                          const QString text = serviceText();
                                          if (!text.trimmed().isEmpty())
                                              fillDocumentWithService(text, kind);
                                      }});
    }
    CAMainWindowController::registerCommand(
        QStringLiteral("pasteAddress"),
        {[](CAMainWindowController &window, QAction *) {
             const QMimeData *data = applicationClipboard(QClipboard::Clipboard);
             return window.document() && !window.isSheetActive() && data && data->hasText();
         },
         // Through the running application's services: this object goes with its controller.
         [](CAMainWindowController &window, QAction *) {
             if (CADocumentController *controller = CADocumentController::sharedDocumentController())
                 controller->services().pasteAddress(window);
         }});
}

void CADocumentServices::pasteAddress(CAMainWindowController &window)
{
    const QMimeData *data = QGuiApplication::clipboard() ? QGuiApplication::clipboard()->mimeData() : nullptr;
    if (!data || !data->hasText() || !window.document())
        return;
    const QString text = data->text();
    // An address is a few lines; anything longer is refused unread.
    if (text.size() > kMaxAddressText) {
        qCWarning(lcShell) << "Paste Address refused:" << text.size() << "characters is no address";
        return;
    }
    const CAAddressTexts addresses = firstAddressOfText(text);
    const CAPersonDictionary dictionary = parseServiceText(addresses.first);
    if (dictionary.isEmpty())
        return;
    // Said while the sheet shows the first address, and again once it is the recipient.
    const QString passedOver = passedOverLine(addresses);
    if (!passedOver.isEmpty())
        window.showNotice(passedOver);
    const std::shared_ptr<PWPerson> person = m_sheet ? m_sheet(dictionary, &window) : nullptr;
    if (!person)
        return;
    CADocumentManager &manager = m_controller.manager();
    CAMainWindowController::changePerson(manager, window.document(), *person, 1, true);
    CAMainWindowController::updateDocView(manager, window.document());
    if (!passedOver.isEmpty())
        window.showNotice(passedOver);
}

QString CADocumentServices::passedOverLine(const CAAddressTexts &addresses)
{
    if (addresses.count < 2)
        return QString();
    return tr("The text holds %1 addresses: only the first was read.").arg(addresses.count);
}

QString CADocumentServices::serviceText() const
{
    QString text = plainText(QClipboard::Clipboard);
    if (text.trimmed().isEmpty())
        text = plainText(QClipboard::Selection);
    return text;
}

CAPersonDictionary CADocumentServices::parseServiceText(const QString &text)
{
    return ::parseServiceText(text);
}

void CADocumentServices::fillDocumentWithService(const QString &text, int kind)
{
    const CAAddressTexts addresses = firstAddressOfText(text);
    const CAPersonDictionary dictionary = parseServiceText(addresses.first);
    CADocumentManager &manager = m_controller.manager();

    std::shared_ptr<CAOpenDocument> target;
    if (!manager.documents().isEmpty()) {
        const std::shared_ptr<CAOpenDocument> last = manager.documents().last();
        if (kind == FromAssistant && !CADocumentController::runAssistantFlag()) {
            // The document the start-up assistant just made; no second assistant runs.
            target = last;
        } else if (!(last->filePath.isEmpty() && last->isEdited()) && last->document) {
            const documentType type = last->document->docType();
            if ((kind == Label && type == dtLabel) || (kind == Envelope && type == dtEnvelope))
                target = last;
        }
    }
    if (!target)
        target = createDocumentWithService(kind);
    if (!CADocumentController::runAssistantFlag())
        CADocumentController::setRunAssistantFlag(true);
    // Only a window that could not be made leaves no document; the manager has said why.
    if (!target || !target->document)
        return;

    QWidget *window = target->window;
    if (window) {
        window->raise();
        window->activateWindow();
    }
    auto *documentWindow = qobject_cast<CAMainWindowController *>(window);
    const QString passedOver = passedOverLine(addresses);
    const auto tell = [&] {
        if (documentWindow && !passedOver.isEmpty())
            documentWindow->showNotice(passedOver);
    };
    tell();
    const std::shared_ptr<PWPerson> person = m_sheet ? m_sheet(dictionary, window) : nullptr;
    if (person) {
        ensureRecipientPanel(*target->document);
        CAMainWindowController::changePerson(manager, target->document.get(), *person, 1, true);
        CAMainWindowController::updateDocView(manager, target->document.get());
        tell();
    }
}

std::unique_ptr<CADocument> CADocumentServices::makeDefaultDocument(int kind) const
{
    CADocumentController::prepareDocument(kind == Envelope ? dtEnvelope : dtLabel);
    return std::make_unique<CADocument>();
}

std::shared_ptr<CAOpenDocument> CADocumentServices::createDocumentWithService(int kind)
{
    CADocumentManager &manager = m_controller.manager();
    std::unique_ptr<CADocument> made;
    std::shared_ptr<CAOpenDocument> record;
    bool fromAssistant = false;

    if (kind == Label || kind == Envelope) {
        made = makeDefaultDocument(kind);
    } else {
        CADocumentController::AssistantResult result;
        if (m_controller.assistant())
            result = m_controller.assistant()(true);
        switch (result.code) {
        case CADocumentController::Blank:
            made = std::move(result.document);
            break;
        case CADocumentController::Finish:
            made = std::move(result.document);
            fromAssistant = true;
            break;
        case CADocumentController::OpenExisting:
            m_controller.router().perform(u"openDocument"_s);
            if (!manager.documents().isEmpty()) {
                record = manager.documents().last();
                fromAssistant = true;
                if (record->filePath.isEmpty() && record->isEdited())
                    record.reset();
            }
            break;
        default:
            break;
        }
        // Whatever the assistant ended with, the address needs a document to go to.
        if (!made && !record) {
            made = makeDefaultDocument(Label);
            fromAssistant = false;
        }
    }

    if (made) {
        record = manager.addDocument(std::move(made));
        if (!record)
            return nullptr;
        manager.updateChangeCount(record, 1);
    }
    if (!fromAssistant && record->document && record->document->ftDocument()) {
        record->document->ftDocument()->arrangeAddressPanel();
        CAMainWindowController::updateDocView(manager, record->document.get());
        manager.updateChangeCount(record, -record->changeCount);
    }
    return record;
}

QList<QCommandLineOption> CADocumentServices::commandLineOptions()
{
    return {
        QCommandLineOption(u"new-label-from-text"_s, u"Make a new label addressed to the name and address in text."_s,
                           u"text"_s),
        QCommandLineOption(u"new-envelope-from-text"_s,
                           u"Make a new envelope addressed to the name and address in text."_s, u"text"_s),
        QCommandLineOption(u"new-assistant-from-text"_s,
                           u"Make a new document with the assistant, addressed to the name and address in text."_s,
                           u"text"_s),
    };
}

void CADocumentServices::performCommandLineOptions(const QCommandLineParser &parser)
{
    for (const ServiceCommand &command : kServiceCommands) {
        for (const QString &text : parser.values(QString::fromLatin1(command.option)))
            fillDocumentWithService(text, command.kind);
    }
}
