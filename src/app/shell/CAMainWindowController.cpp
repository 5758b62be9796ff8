#include "app/shell/CAMainWindowController.h"

#include "kernel/merge/CADocument.h"
#include "kernel/merge/CADesignWeigher.h"
#include "app/shell/CAActionError.h"
#include "app/shell/CAActionRouter.h"
#include "app/canvas/CACanvasSelection.h"
#include "app/canvas/CADocView.h"
#include "app/shell/CADocumentManager.h"
#include "app/shell/CAFloatingPanels.h"
#include "app/shell/CAFontManager.h"
#include "app/shell/CAOpenDocument.h"
#include "app/shell/CDocScrollView.h"
#include "app/shell/CModeCell.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTADocumentFileCheck.h"
#include "kernel/document/CFTAView.h"
#include "platform/PWBundle.h"
#include "platform/PWNotificationCenter.h"
#include "platform/PWPerson.h"
#include "kernel/address/FTStoredPerson.h"
#include "platform/PWUndoManager.h"
#include "app/canvas/CACanvasAddressCommands.h"
#include "app/printing/CAPrinterChoice.h"
#include <ui_Document.h>

#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QScrollArea>
#include <QStatusBar>
#include <QTimer>

#include <cmath>
#include <utility>

namespace {

struct Hooks
{
    QHash<QString, CAMainWindowController::Command> commands;
    CAMainWindowController::WindowHook changeLayoutSheet;
    CAMainWindowController::WindowHook printMultipleSheet;
    CAMainWindowController::PaneFactory internetPane;
};

Hooks &hooks()
{
    static Hooks instance;
    return instance;
}

// The window's own commands; registered ones come on top.
const QStringList &builtInCommands()
{
    static const QStringList commands = {
        QStringLiteral("performClose"),      QStringLiteral("saveDocument"),
        QStringLiteral("saveDocumentAs"),    QStringLiteral("saveDocumentTo"),
        QStringLiteral("revertDocumentToSaved"), QStringLiteral("selectMode"),
        QStringLiteral("textMode"),          QStringLiteral("zoomIn"),
        QStringLiteral("zoomOut"),           QStringLiteral("setZoom"),
        QStringLiteral("setZoom100"),        QStringLiteral("showGuidelineAreas"),
        QStringLiteral("showInternet"),      QStringLiteral("hideInternet"),
        QStringLiteral("openChangeLayoutDialog"), QStringLiteral("openPrintMultipleDialog"),
        QStringLiteral("performMiniaturize"), QStringLiteral("increaseFontSize"),
        QStringLiteral("decreaseFontSize"),
    };
    return commands;
}

constexpr float kZoomStep = 1.4142135f;
// The country submenu of the address context menu.
constexpr int kCountryItemTag = 200;
// Bigger and Smaller change every selected text by one point.
constexpr double kFontSizeStep = 1.0;

} // namespace

void CAMainWindowController::registerCommand(const QString &action, Command command)
{
    hooks().commands.insert(action, std::move(command));
}

void CAMainWindowController::unregisterCommand(const QString &action)
{
    hooks().commands.remove(action);
}

void CAMainWindowController::setChangeLayoutSheet(WindowHook sheet)
{
    hooks().changeLayoutSheet = std::move(sheet);
}

void CAMainWindowController::setPrintMultipleSheet(WindowHook sheet)
{
    hooks().printMultipleSheet = std::move(sheet);
}

void CAMainWindowController::setInternetPaneFactory(PaneFactory factory)
{
    hooks().internetPane = std::move(factory);
}

int CAMainWindowController::zoomSliderValue(double scale)
{
    if (std::fabs(scale - 1.0) < 0.2)
        scale = 1.0;
    else if (scale < 0.3)
        scale = 0.0;
    return static_cast<int>(scale * 100);
}

int CAMainWindowController::zoomForSliderValue(int value)
{
    const int percent = std::max(value, 20);
    return std::abs(percent - 100) < 20 ? 100 : percent;
}

QString CAMainWindowController::windowTitleForDocumentDisplayName(const QString &displayName,
                                                                  const CFTADocument *design)
{
    if (!design)
        return displayName;
    const double width = design->getCardSizeX();
    const double height = design->getCardSizeY();
    const QString size = design->getUnits() == 0
                             ? QString::asprintf("Size %.1fx%.1f mm", width / 72 * 25.4, height / 72 * 25.4)
                             : QString::asprintf("Size %.3fx%.3f in", width / 72, height / 72);
    QString kind;
    switch (design->getDocumentType()) {
    case dtLabel:
        kind = PWLocalizedString(QStringLiteral("Label"));
        break;
    case dtEnvelope:
        kind = PWLocalizedString(QStringLiteral("Envelope"));
        break;
    case dtPostcard:
        kind = PWLocalizedString(QStringLiteral("Postcard"));
        break;
    default:
        break;
    }
    // A layout without a maker or an ID leaves no gap where the name would be.
    QStringList described;
    for (const QString &part : {kind, design->GetManufacturer().getData(), design->GetID().getData()})
        if (!part.trimmed().isEmpty())
            described.append(part.trimmed());
    QStringList title{displayName};
    if (!described.isEmpty())
        title.append(described.join(u' '));
    title.append(size);
    return title.join(QStringLiteral(" - "));
}

double CAMainWindowController::fitScale(const QSizeF &card, const QSizeF &room)
{
    if (card.width() <= 0 || card.height() <= 0)
        return 1.0;
    const double scale = std::min(room.width() / card.width(), room.height() / card.height());
    return std::clamp(scale, 0.5, 3.0);
}

namespace {

QList<CAMainWindowController *> windowsOf(const CADocumentManager &manager, const CADocument *document)
{
    QList<CAMainWindowController *> windows;
    if (const auto record = manager.recordFor(document))
        if (auto *window = qobject_cast<CAMainWindowController *>(record->window.data()))
            windows.append(window);
    return windows;
}

} // namespace

void CAMainWindowController::invalidateObject(const CADocumentManager &manager, const CADocument *document,
                                              CFTComponent *component)
{
    for (CAMainWindowController *window : windowsOf(manager, document))
        window->invalidateObject(component);
}

void CAMainWindowController::updateDocView(const CADocumentManager &manager, const CADocument *document)
{
    const QList<CAMainWindowController *> windows = windowsOf(manager, document);
    if (!windows.isEmpty())
        windows.first()->updateDocView();
}

void CAMainWindowController::addBackground(const CADocumentManager &manager, const CADocument *document,
                                           CFTComponent *, CFTComponent *component)
{
    // Taking a background away again is the canvas's undo; here it only has to be seen.
    invalidateObject(manager, document, component);
}

void CAMainWindowController::changePerson(CADocumentManager &manager, const CADocument *document,
                                          const PWPerson &person, int, bool forAddressPanel)
{
    const QList<CAMainWindowController *> windows = windowsOf(manager, document);
    if (windows.isEmpty())
        return;
    CAMainWindowController *window = windows.first();
    // Through the canvas's command, so that the change is one step the user can undo.
    std::shared_ptr<PWPerson> copy = FTStoredPerson::copyWithZone(person);
    if (!copy)
        return;
    window->m_docView->addressCommands().changePersonWithABPerson(copy, forAddressPanel);
    window->m_docView->viewport()->update();
}

CAMainWindowController::CAMainWindowController(std::shared_ptr<CAOpenDocument> document, CADocumentManager &manager,
                                               CAActionRouter &router, CAFloatingPanels &panels,
                                               const QList<QMenu *> &mainMenus, QWidget *parent)
    : QMainWindow(parent)
    , m_ui(std::make_unique<Ui::Document>())
    , m_record(std::move(document))
    , m_manager(manager)
    , m_router(router)
    , m_routerGuard(&router)
    , m_panels(panels)
    , m_weigher(std::make_unique<CADesignWeigher>())
{
    if (!m_record || !m_record->document)
        throw CAActionError(QStringLiteral("m_Document is nil"));
    m_ui->setupUi(this);
    setObjectName(QStringLiteral("documentWindow"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    for (QMenu *menu : mainMenus)
        menuBar()->addMenu(menu);

    m_docView = new CADocView;
    m_docView->setDocument(m_record->document.get());
    // The printer and paper follow the layout from the start, as after a change of layout.
    CAPrinterChoice::autoSelectPrinter(*m_record->document, CAPrinterChoice::systemPrinters());
    m_record->document->setupPrintInfo(false);
    scrollView()->setPage(m_docView);
    connect(m_docView, &CADocView::zoomChanged, this, &CAMainWindowController::zoomChanged);
    // The edited state follows the undo history: a step done or redone counts one change, a step
    // undone takes one back, so that undoing back to the saved design leaves it unedited. Typing
    // in place has no step and keeps the design edited until it is saved.
    if (PWUndoManager *undo = m_record->document->undoManager()) {
        connect(undo, &PWUndoManager::changeRecorded, this, [this] { m_manager.updateChangeCount(m_record, 1); });
        connect(undo, &PWUndoManager::didUndo, this, [this] { m_manager.updateChangeCount(m_record, -1); });
        connect(undo, &PWUndoManager::didRedo, this, [this] { m_manager.updateChangeCount(m_record, 1); });
        // What was weighed last is the design of the last step; undone or redone, it is weighed anew.
        for (const auto moved : {&PWUndoManager::didUndo, &PWUndoManager::didRedo})
            connect(undo, moved, this, [this] { m_weighed.reset(); });
        // Weighed once the command has ended, back in the event loop; undo and redo only go back
        // to designs already weighed.
        connect(undo, &PWUndoManager::stepRecorded, this, &CAMainWindowController::weighAfterStep,
                Qt::QueuedConnection);
    } else {
        connect(m_docView, &CADocView::designEdited, this, [this] { m_manager.markEditedBeyondUndo(m_record); });
    }
    connect(m_docView, &CADocView::editedBeyondUndo, this, [this] { m_manager.markEditedBeyondUndo(m_record); });
    connect(m_docView, &CADocView::addressContextMenuRequested, this,
            [this](const QPoint &at) { popUpCanvasMenu(m_addressContextMenu, at); });
    connect(m_docView, &CADocView::templateMenuRequested, this,
            [this](const QPoint &at) { popUpCanvasMenu(_templateMenu, at); });
    connect(m_docView, &CADocView::toFromMenuRequested, this,
            [this](const QPoint &at) { popUpCanvasMenu(_toFromMenu, at); });
    // Queued: the editor runs its own modal loop, not inside the canvas's mouse handling.
    connect(m_docView, &CADocView::imageEditorRequested, this, [this] {
        if (!isSheetActive())
            m_docView->openImageEditorDialog();
    }, Qt::QueuedConnection);
    connect(m_docView, &CADocView::selectedAttributesChanged, this,
            [](const QTextCharFormat &attributes, bool isMultiple) {
                CAFontManager::sharedFontManager().setSelectedAttributesIsMultiple(attributes, isMultiple);
            });
    connect(m_docView, &CADocView::selectedFontChanged, this, [](const PWFont &font, bool isMultiple) {
        CAFontManager::sharedFontManager().setSelectedFont(font, isMultiple);
    });
    // A text made with the text tool is typed in place; once that ends the tool is select again.
    connect(m_docView, &CADocView::toolModeChanged, this, &CAMainWindowController::windowDidUpdate);
    connect(m_docView, &CADocView::internetPictureChanged, this,
            [this](bool fromInternet) { fromInternet ? showInternet() : hideInternet(); });
    connect(m_docView, &CADocView::hideInternetRequested, this, &CAMainWindowController::hideInternet);
    // The line takes no room while it says nothing.
    statusBar()->setObjectName(QStringLiteral("noticeLine"));
    statusBar()->setSizeGripEnabled(false);
    statusBar()->hide();
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString &line) {
        statusBar()->setToolTip(line);
        statusBar()->setVisible(!line.isEmpty());
    });
    connect(m_docView, &CADocView::userNotice, this, &CAMainWindowController::showNotice);
    // What the line says is about the design as the command left it.
    if (PWUndoManager *undo = m_record->document->undoManager())
        for (const auto changed : {&PWUndoManager::changeRecorded, &PWUndoManager::didUndo, &PWUndoManager::didRedo})
            connect(undo, changed, statusBar(), &QStatusBar::clearMessage);

    m_ui->selectModeCell->setTag(10);
    m_ui->selectModeCell->setMode(toolSelect);
    m_ui->selectModeCell->setIconName(QStringLiteral("selectTool"));
    m_ui->textModeCell->setTag(30);
    m_ui->textModeCell->setMode(toolText);
    m_ui->textModeCell->setIconName(QStringLiteral("textTool"));
    connect(m_ui->selectModeCell, &QToolButton::clicked, this,
            [this] { m_router.perform(QStringLiteral("selectMode")); });
    connect(m_ui->textModeCell, &QToolButton::clicked, this, [this] { m_router.perform(QStringLiteral("textMode")); });

    connect(m_ui->_butZoomSeparator, &QSlider::actionTriggered, this, [this] {
        setZoomByValue(zoomForSliderValue(m_ui->_butZoomSeparator->sliderPosition()));
    });
    const auto panelButton = [this](QToolButton *button, const QString &action) {
        connect(button, &QToolButton::clicked, this, [this, action] {
            m_router.perform(action);
            windowDidUpdate();
        });
    };
    panelButton(m_ui->_butAddress, QStringLiteral("addressWindow"));
    panelButton(m_ui->_butDesign, QStringLiteral("designWindow"));
    panelButton(m_ui->_butInspector, QStringLiteral("propertiesWindow"));
    connect(m_ui->changeLayoutButton, &QToolButton::clicked, this,
            [this] { m_router.perform(QStringLiteral("openChangeLayoutDialog")); });
    connect(m_ui->printMultipleButton, &QToolButton::clicked, this,
            [this] { m_router.perform(QStringLiteral("openPrintMultipleDialog")); });
    connect(&m_panels, &CAFloatingPanels::visibilityChanged, this, &CAMainWindowController::windowDidUpdate);
    connect(&m_router, &CAActionRouter::actionPerformed, this, &CAMainWindowController::windowDidUpdate);

    // The canvas's menus: the address context menu holds the country (200) and template (202)
    // submenus the application fills.
    m_addressContextMenu = new QMenu(this);
    m_addressContextMenu->setObjectName(QStringLiteral("addressContextMenu"));
    QAction *country = m_addressContextMenu->addMenu(new QMenu(tr("Country"), m_addressContextMenu));
    country->setData(kCountryItemTag);
    QAction *templates = m_addressContextMenu->addMenu(new QMenu(tr("Address Template"), m_addressContextMenu));
    templates->setData(202);
    _templateMenu = new QMenu(this);
    _templateMenu->setObjectName(QStringLiteral("templateMenu"));
    _toFromMenu = new QMenu(this);
    _toFromMenu->setObjectName(QStringLiteral("toFromMenu"));
    // The side and the address type of the panel the menu was opened on: tag 1 the recipient,
    // 0 the sender; the address types by their number, 0 the person's main address.
    const auto addTagged = [this](QMenu *menu, const QString &title, int tag, const QString &action) {
        QAction *item = menu->addAction(title);
        item->setData(tag);
        m_router.connectAction(item, action);
    };
    for (QMenu *menu : {_toFromMenu, m_addressContextMenu->addMenu(tr("Recipient or Sender"))}) {
        addTagged(menu, tr("Recipient"), 1, QStringLiteral("changeToFromWithMenu"));
        addTagged(menu, tr("Sender"), 0, QStringLiteral("changeToFromWithMenu"));
    }
    QMenu *types = m_addressContextMenu->addMenu(tr("Address Type"));
    addTagged(types, tr("Main"), 0, QStringLiteral("changeAddressTypeWithMenu"));
    addTagged(types, tr("Work"), 1, QStringLiteral("changeAddressTypeWithMenu"));
    addTagged(types, tr("Home"), 2, QStringLiteral("changeAddressTypeWithMenu"));
    addTagged(types, tr("Other"), 3, QStringLiteral("changeAddressTypeWithMenu"));

    setWindowFilePath(m_record->filePath);
    synchronizeWindowTitleWithDocumentName();
    m_router.addWindow(this, this);
    connect(&m_manager, &CADocumentManager::documentStateChanged, this, [this](CAOpenDocument *changed) {
        if (changed == m_record.get())
            synchronizeWindowTitleWithDocumentName();
    });
    connect(&m_manager, &CADocumentManager::documentWillClose, this, [this](CAOpenDocument *closing) {
        if (closing == m_record.get())
            m_docView->endEditText();
    });
    connect(&m_manager, &CADocumentManager::documentReloaded, this, [this](CAOpenDocument *changed) {
        if (changed == m_record.get())
            updateDocView();
    });
    zoomChanged();
    windowDidUpdate();
}

CAMainWindowController::~CAMainWindowController()
{
    // The canvas, a child, lives on after this window's members (the design among them) until
    // QWidget's destructor: it tells this window nothing more, and typing in place ends while the
    // texts it edits are still there.
    if (m_docView) {
        disconnect(m_docView, nullptr, this, nullptr);
        m_docView->endEditText();
    }
    if (m_routerGuard)
        m_routerGuard->removeWindow(this);
}

CADocument *CAMainWindowController::document() const
{
    return m_record ? m_record->document.get() : nullptr;
}

CDocScrollView *CAMainWindowController::scrollView() const
{
    return m_ui->scrollView;
}

QRect CAMainWindowController::pageOnScreen() const
{
    const CFTADocument *design = document() ? document()->ftDocument() : nullptr;
    if (!isVisible() || !design)
        return {};
    QWidget *canvas = m_docView->viewport();
    const QRect page = m_docView->geometry()
                           .widgetRect(QRectF(0, 0, design->getDocumentSizeX(0), design->getDocumentSizeY(0)))
                           .toAlignedRect();
    QWidget *shown = scrollView()->scrollArea()->viewport();
    const QRect onScreen(canvas->mapToGlobal(page.topLeft()), page.size());
    return onScreen.intersected(QRect(shown->mapToGlobal(QPoint(0, 0)), shown->size()));
}

void CAMainWindowController::synchronizeWindowTitleWithDocumentName()
{
    const CADocument *document = this->document();
    const QString name = CADocumentManager::displayName(*m_record) + QStringLiteral("[*]");
    setWindowTitle(windowTitleForDocumentDisplayName(name, document ? document->ftDocument() : nullptr));
    setWindowModified(m_record->isEdited());
    setWindowFilePath(m_record->filePath);
}

void CAMainWindowController::zoomChanged()
{
    const double scale = m_docView->zoom();
    QSignalBlocker blocker(m_ui->_butZoomSeparator);
    m_ui->_butZoomSeparator->setValue(zoomSliderValue(scale));
    m_ui->zoomValue->setText(QStringLiteral("%1%").arg(static_cast<int>(scale * 100)));
}

void CAMainWindowController::setZoomByValue(double percent)
{
    m_docView->setZoom(percent / 100.0);
}

void CAMainWindowController::invalidateObject(CFTComponent *component)
{
    m_docView->invalidateObject(component);
}

void CAMainWindowController::updateDocView()
{
    m_docView->documentChanged();
    synchronizeWindowTitleWithDocumentName();
}

void CAMainWindowController::showInternet()
{
    if (scrollView()->internetPane() || !hooks().internetPane)
        return;
    scrollView()->addInternetPane(hooks().internetPane(*this));
}

void CAMainWindowController::hideInternet()
{
    scrollView()->removeInternetPane();
}

void CAMainWindowController::showNotice(const QString &line)
{
    statusBar()->showMessage(line);
}

QString CAMainWindowController::notice() const
{
    const QStatusBar *line = findChild<QStatusBar *>(QStringLiteral("noticeLine"));
    return line ? line->currentMessage() : QString();
}

void CAMainWindowController::windowDidUpdate()
{
    if (isActiveWindow() || m_router.activeWindow() == this) {
        const CFTAView *view = m_docView->ftView();
        const bool text = view && view->getToolMode() == toolText;
        m_ui->selectModeCell->setChecked(!text);
        m_ui->textModeCell->setChecked(text);
    }
    const struct
    {
        QToolButton *button;
        CAFloatingPanels::Panel panel;
    } buttons[] = {
        {m_ui->_butDesign, CAFloatingPanels::DesignWindow},
        {m_ui->_butInspector, CAFloatingPanels::PropertiesWindow},
        {m_ui->_butAddress, CAFloatingPanels::AddressWindow},
    };
    for (const auto &entry : buttons) {
        entry.button->setEnabled(m_panels.isInstalled(entry.panel));
        entry.button->setChecked(m_panels.isPanelVisible(entry.panel));
    }
    m_ui->changeLayoutButton->setEnabled(m_router.validate(QStringLiteral("openChangeLayoutDialog"), nullptr));
    m_ui->printMultipleButton->setEnabled(m_router.validate(QStringLiteral("openPrintMultipleDialog"), nullptr));
}

void CAMainWindowController::setToolMode(int mode)
{
    if (CFTAView *view = m_docView->ftView())
        view->setToolMode(static_cast<toolMode>(mode));
    windowDidUpdate();
}

void CAMainWindowController::weighAfterStep()
{
    namespace check = CFTADocumentFileCheck;
    CADocument &design = *m_record->document;
    PWUndoManager *undo = design.undoManager();
    if (!undo || !undo->canUndo())
        return;
    // A step recorded under a modal window belongs to a command still running below it: it is
    // weighed, and taken back if need be, once that window is gone.
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(100, this, &CAMainWindowController::weighAfterStep);
        return;
    }
    const std::optional<check::Cost> after = m_weigher->weigh(design);
    // A design that writes no property list is named by its save.
    if (!after)
        return;
    std::optional<check::Cost> before = std::exchange(m_weighed, std::nullopt);
    if (check::refusalOfCost(*after, m_bounds).isEmpty()) {
        m_weighed = after;
        return;
    }
    const QString step = undo->undoActionName();
    undo->undo();
    if (!before)
        before = m_weigher->weigh(design);
    if (before && !check::stepPastBounds(*before, *after, m_bounds)) {
        undo->redo();
        m_weighed = after;
        return;
    }
    undo->discardRedo();
    m_weighed = before;
    const QString what = step.isEmpty() ? tr("The last change") : tr("“%1”").arg(step);
    if (m_routerGuard)
        m_router.report(this, tr("%1 was taken back, and the design is as it was before: with it, %2 in a window, "
                                 "which keeps room for opening it again.")
                                  .arg(what, check::refusalOfCost(*after, m_bounds)));
}

void CAMainWindowController::requireSupportedDocumentType(const QString &where) const
{
    const CFTADocument *design = document() ? document()->ftDocument() : nullptr;
    const int type = design ? design->getDocumentType() : -1;
    if (type != dtLabel && type != dtEnvelope && type != dtPostcard)
        throw CAActionError(where + QStringLiteral(" - Document Type is not Supported"));
}

bool CAMainWindowController::respondsToAction(const QString &action) const
{
    return builtInCommands().contains(action) || hooks().commands.contains(action);
}

bool CAMainWindowController::validateAction(const QString &action, QAction *item)
{
    // Envelopes are not calibrated, whoever answers the command.
    if (action == QLatin1String("calibratePrinter") && document()->docType() == dtEnvelope)
        return false;
    if (const auto command = hooks().commands.constFind(action); command != hooks().commands.constEnd())
        return !command->validate || command->validate(*this, item);
    const double scale = m_docView->zoom();
    if (action == QLatin1String("revertDocumentToSaved"))
        return !m_record->filePath.isEmpty() && m_record->isEdited();
    if (action == QLatin1String("zoomIn"))
        return scale < 6.0;
    if (action == QLatin1String("zoomOut"))
        return scale > 0.5;
    if (action == QLatin1String("setZoom")) {
        if (item) {
            item->setCheckable(true);
            item->setChecked(item->text() == QStringLiteral("%1%").arg(static_cast<int>(scale * 100)));
        }
        return true;
    }
    if (action == QLatin1String("showGuidelineAreas")) {
        if (item && m_docView->ftView()) {
            item->setCheckable(true);
            item->setChecked(m_docView->ftView()->NeedDrawGuidelines());
        }
        return true;
    }
    if (action == QLatin1String("showInternet"))
        return hooks().internetPane && !scrollView()->internetPane();
    if (action == QLatin1String("hideInternet"))
        return scrollView()->internetPane() != nullptr;
    if (action == QLatin1String("increaseFontSize") || action == QLatin1String("decreaseFontSize"))
        return CAFontManager::sharedFontManager().hasTextReceiver();
    if (action == QLatin1String("openChangeLayoutDialog"))
        return bool(hooks().changeLayoutSheet);
    if (action == QLatin1String("openPrintMultipleDialog"))
        return bool(hooks().printMultipleSheet);
    return true;
}

void CAMainWindowController::performAction(const QString &action, QAction *sender)
{
    if (const auto command = hooks().commands.constFind(action); command != hooks().commands.constEnd()) {
        if (command->perform)
            command->perform(*this, sender);
        return;
    }
    if (action == QLatin1String("performClose"))
        close();
    else if (action == QLatin1String("saveDocument"))
        m_manager.saveDocument(m_record);
    else if (action == QLatin1String("saveDocumentAs"))
        m_manager.saveDocumentAs(m_record);
    else if (action == QLatin1String("saveDocumentTo"))
        m_manager.saveDocumentTo(m_record);
    else if (action == QLatin1String("revertDocumentToSaved"))
        m_manager.revertDocumentToSaved(m_record);
    else if (action == QLatin1String("selectMode"))
        setToolMode(toolSelect);
    else if (action == QLatin1String("textMode"))
        setToolMode(toolText);
    else if (action == QLatin1String("zoomIn"))
        setZoomByValue(m_docView->zoom() * kZoomStep * 100);
    else if (action == QLatin1String("zoomOut"))
        setZoomByValue(m_docView->zoom() / kZoomStep * 100);
    else if (action == QLatin1String("setZoom"))
        setZoomByValue(zoomForSliderValue(sender ? sender->data().toInt() : 100));
    else if (action == QLatin1String("setZoom100"))
        setZoomByValue(100);
    else if (action == QLatin1String("increaseFontSize"))
        CAFontManager::sharedFontManager().sendActionWithSize(kFontSizeStep, false);
    else if (action == QLatin1String("decreaseFontSize"))
        CAFontManager::sharedFontManager().sendActionWithSize(-kFontSizeStep, false);
    else if (action == QLatin1String("showGuidelineAreas")) {
        if (CFTAView *view = m_docView->ftView())
            view->SetDrawGuidelines(!view->NeedDrawGuidelines());
        m_docView->viewport()->update();
    } else if (action == QLatin1String("showInternet"))
        showInternet();
    else if (action == QLatin1String("hideInternet"))
        hideInternet();
    else if (action == QLatin1String("openChangeLayoutDialog")) {
        requireSupportedDocumentType(QStringLiteral("CADocument::setLayout"));
        if (hooks().changeLayoutSheet)
            hooks().changeLayoutSheet(*this);
        synchronizeWindowTitleWithDocumentName();
    } else if (action == QLatin1String("openPrintMultipleDialog")) {
        requireSupportedDocumentType(QStringLiteral("CADocument::printShowingPrintPanel"));
        if (hooks().printMultipleSheet)
            hooks().printMultipleSheet(*this);
    } else if (action == QLatin1String("performMiniaturize"))
        showMinimized();
}

void CAMainWindowController::closeEvent(QCloseEvent *event)
{
    // The manager asks about unsaved changes and takes the window down when the user agrees.
    event->ignore();
    m_manager.closeDocument(m_record);
}

void CAMainWindowController::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    if (isActiveWindow()) {
        m_router.windowActivated(this);
        // The floating panels follow the page the user works on, but not while a sheet is up.
        if (!_isSheetActive)
            PWNotificationCenter::defaultCenter().postNotification(CACanvasSelection::kChangeSelectionNotify, m_docView);
    } else {
        // Clicking a floating panel or answering a dialog leaves this the window the panels work
        // on, and so does the application going to the background; only a window of another kind
        // taking over empties them (another document window posts its own canvas).
        QTimer::singleShot(0, this, [this] {
            if (isActiveWindow())
                return;
            const QWidget *now = QApplication::activeWindow();
            if (!now || qobject_cast<const CAMainWindowController *>(now))
                return;
            const Qt::WindowType type = now->windowType();
            if (type == Qt::Tool || type == Qt::Dialog || type == Qt::Sheet || type == Qt::Popup)
                return;
            PWNotificationCenter::defaultCenter().postNotification(CACanvasSelection::kChangeSelectionNotify, nullptr);
        });
    }
    windowDidUpdate();
}

void CAMainWindowController::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_fitted)
        return;
    m_fitted = true;
    const CFTADocument *design = document()->ftDocument();
    if (!design)
        return;
    const QSize room = scrollView()->scrollArea()->viewport()->size();
    setZoomByValue(m_docView->fitZoom(QSizeF(room)) * 100);
}

void CAMainWindowController::popUpCanvasMenu(QMenu *menu, const QPoint &at)
{
    if (!menu)
        return;
    // Its ticks and enabled items are those of the panel it was opened on.
    m_router.validateMenu(menu);
    const CFTAView *view = m_docView ? m_docView->ftView() : nullptr;
    const bool operated = view && view->getOperObject();
    for (QAction *item : menu->actions()) {
        if (item->menu() && item->data().toInt() == kCountryItemTag)
            item->setEnabled(operated);
    }
    menu->popup(at);
}
