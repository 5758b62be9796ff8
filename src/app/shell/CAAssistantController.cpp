#include "app/shell/CAAssistantController.h"

#include "app/document/CAWindowPlacement.h"
#include "app/printing/CALayoutController.h"
#include "app/shell/CAAddressWindowPanel.h"
#include "app/shell/CAAssistantChooserView.h"
#include "app/shell/CAAssistantContactsController.h"
#include "app/shell/CAAssistantContactsStep.h"
#include "app/shell/CAAssistantDesingController.h"
#include "app/shell/CAAssistantTabView.h"
#include "app/shell/CAHeldKeys.h"
#include "app/shell/CADocumentManager.h"
#include "app/shell/CAPreferencesController.h"
#include "app/shell/CASampleDesignLibrary.h"
#include "app/shell/CAShellLog.h"
#include "kernel/base/CAContentLibraryGate.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/CDDString.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "kernel/merge/CAEnvelopeWindowFit.h"
#include "kernel/printing/CAEnvironmentLayout.h"
#include "kernel/printing/CATemplateFormat.h"
#include "platform/PWBundle.h"
#include "platform/PWNotificationCenter.h"
#include "platform/PWUserDefaults.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSvgRenderer>
#include <QToolButton>

#include <ui_assistant.h>

const QString CAAssistantController::kLabelLayout = QStringLiteral("11");
const QString CAAssistantController::kEnvelopeLayout = QStringLiteral("12");
const QString CAAssistantController::kPostcardLayout = QStringLiteral("13");
const QString CAAssistantController::kRecentLayoutViewKey = QStringLiteral("RecentLayoutView");
const QString CAAssistantController::UpdateNextButtonInAssistant = QStringLiteral("Update Next Button In Assistant");
const QString CAAssistantController::UpdateSenderListController = QStringLiteral("Update Sender List Controller");
const QString CAAssistantController::UpdatePrintListController = QStringLiteral("Update PrintList Controller");

namespace {

// The assistant's window: Escape and the close box end the run with Cancel's code, which a
// plain dialog would report as 0, the code of Finish.
class CAAssistantWindow : public QDialog
{
public:
    using QDialog::QDialog;
    void reject() override { done(CAAssistantController::Cancelled); }

protected:
    void closeEvent(QCloseEvent *event) override
    {
        event->ignore();
        reject();
    }
};

QString identifierOf(const QTabWidget *tabs, int index)
{
    const QWidget *page = tabs ? tabs->widget(index) : nullptr;
    return page ? page->property("identifier").toString() : QString();
}

int indexOfIdentifier(const QTabWidget *tabs, const QString &identifier)
{
    for (int i = 0; tabs && i < tabs->count(); ++i)
        if (identifierOf(tabs, i) == identifier)
            return i;
    return -1;
}

QString localized(const char *key)
{
    return PWBundle::mainBundle().localizedString(QString::fromLatin1(key), QString());
}

documentType typeOfLayoutIndex(int index)
{
    return index == 1 ? dtEnvelope : index == 2 ? dtPostcard : dtLabel;
}

QList<QAbstractButton *> cellsOf(QWidget *matrix)
{
    QList<QAbstractButton *> cells;
    if (!matrix)
        return cells;
    for (QRadioButton *cell : matrix->findChildren<QRadioButton *>())
        cells.append(cell);
    return cells;
}

} // namespace

CAAssistantController::CAAssistantController(QObject *parent)
    : QObject(parent)
    , m_recentDocuments([] {
        QStringList paths;
        for (const PWPlist &entry : PWUserDefaults::standardUserDefaults().arrayForKey(CADocumentManager::kRecentDocumentsKey))
            if (entry.isString() && !entry.toString().isEmpty())
                paths.append(entry.toString());
        return paths;
    })
{
}

CAAssistantController::~CAAssistantController()
{
    // A window that owns its assistant is already going, and by now no dialog any more: it is not
    // even looked at as one. An assistant has no other widget for an owner.
    if (parent() && parent()->isWidgetType())
        return;
    delete m_window.data();
}

CAAssistantController &CAAssistantController::sharedWizard()
{
    // Lives as long as the process: the window keeps its state from run to run.
    static CAAssistantController *shared = [] {
        auto *wizard = new CAAssistantController;
        wizard->setContactsStep(std::make_unique<CAAssistantContactsController>(CAAddressWindow::sharedModels()));
        return wizard;
    }();
    return *shared;
}

bool CAAssistantController::loadWindow()
{
    if (_tabView)
        return true;
    auto *window = new CAAssistantWindow;
    Ui::assistant().setupUi(window);
    m_window = window;
    if (!m_heldKeys)
        m_heldKeys = new CAHeldKeys(this);
    _tabView = window->findChild<CAAssistantTabView *>(QStringLiteral("_tabView"), Qt::FindDirectChildrenOnly);
    if (!_tabView) {
        delete window;
        return false;
    }
    _layoutTabView = window->findChild<QTabWidget *>(QStringLiteral("_layoutTabView"));
    _tabControl = window->findChild<QWidget *>(QStringLiteral("_tabControl"));
    _contactTabControl = window->findChild<QWidget *>(QStringLiteral("_contactTabControl"));
    _contactsView = window->findChild<QWidget *>(QStringLiteral("_contactsView"));
    _nextButton = window->findChild<QPushButton *>(QStringLiteral("_nextButton"));
    _prevButton = window->findChild<QPushButton *>(QStringLiteral("_prevButton"));
    _artImage = window->findChild<QLabel *>(QStringLiteral("_artImage"));
    _openRecentButton = window->findChild<QToolButton *>(QStringLiteral("_openRecentButton"));
    if (_layoutTabView)
        _layoutTabView->tabBar()->hide();

    PWNotificationCenter::defaultCenter().addObserver(UpdateNextButtonInAssistant, nullptr,
                                                      [this](const PWNotification &) { updateNextButton(); }, this);
    // A first start copies the sample designs while the assistant is shown: the design step,
    // shown empty meanwhile, fills in when they are there.
    PWNotificationCenter::defaultCenter().addObserver(
        CAContentLibraryGate::kSeededNotification, nullptr,
        [this](const PWNotification &) {
            if (_designController && currentStepIdentifier() == QLatin1String("2"))
                _designController->fillInIfEmpty();
            // What was typed while they were copied acts on the designs now listed.
            m_heldKeys->release();
        },
        this);

    // The three choosers, each over its own page of the layout tab view.
    const int kinds[3] = {dtLabel, dtEnvelope, dtPostcard};
    CALayoutController **choosers[3] = {&_layoutLabelController, &_layoutEnvelopController, &_layoutPostcardController};
    for (int i = 0; i < 3; ++i) {
        *choosers[i] = new CALayoutController(this);
        if (_layoutTabView && _layoutTabView->widget(i)) {
            buildAssistantChooserView(_layoutTabView->widget(i), kinds[i]);
            (*choosers[i])->bindControls(_layoutTabView->widget(i));
        }
        (*choosers[i])->setupFromAssistant(kinds[i]);
    }
    _designController = new CAAssistantDesingController(this);
    if (QWidget *design = window->findChild<QWidget *>(QStringLiteral("_designView")))
        _designController->bindControls(design);
    if (_tabView->currentIndex() != 0)
        qCWarning(lcShell) << "Error! Current tabViewItem index must be 0!";

    m_kindGroup = new QButtonGroup(this);
    for (QAbstractButton *cell : cellsOf(_tabControl))
        m_kindGroup->addButton(cell, cell->property("tag").toInt());
    connect(m_kindGroup, &QButtonGroup::idClicked, this, &CAAssistantController::layoutTabControl);
    m_contactGroup = new QButtonGroup(this);
    for (QAbstractButton *cell : cellsOf(_contactTabControl))
        m_contactGroup->addButton(cell, cell->property("tag").toInt());
    connect(m_contactGroup, &QButtonGroup::idClicked, this, &CAAssistantController::contactTabControl);
    // The contact-kind selector belongs to step 3 only.
    if (_contactTabControl)
        _contactTabControl->hide();
    if (_contactsController && _contactsView && _contactsView->layout())
        _contactsView->layout()->addWidget(_contactsController->view());

    _recentDocumentMenu = new QMenu(window);
    if (_openRecentButton) {
        _openRecentButton->setMenu(_recentDocumentMenu);
        connect(_recentDocumentMenu, &QMenu::triggered, this, &CAAssistantController::openRecentDocumentButton);
    }
    const auto connectButton = [window](const char *name, auto slot, CAAssistantController *self) {
        if (auto *button = window->findChild<QAbstractButton *>(QString::fromLatin1(name)))
            connect(button, &QAbstractButton::clicked, self, slot);
    };
    connectButton("_nextButton", &CAAssistantController::buttonNext, this);
    connectButton("_prevButton", &CAAssistantController::buttonPrev, this);
    connectButton("_cancelButton", &CAAssistantController::cancel, this);
    connectButton("_printButton", &CAAssistantController::print, this);
    connectButton("_newBlankButton", &CAAssistantController::newBlank, this);
    // The choosers' controls are made after the form's: put them where they stand on screen.
    QList<QWidget *> chain;
    const auto takeFocusable = [&chain, window](QWidget *root) {
        if (!root)
            return;
        // Pop-up lists of the pop-ups are windows of their own.
        for (QWidget *child : root->findChildren<QWidget *>())
            if ((child->focusPolicy() & Qt::TabFocus) && !child->focusProxy() && child->window() == window
                && !chain.contains(child))
                chain.append(child);
    };
    for (QAbstractButton *cell : cellsOf(_tabControl))
        chain.append(cell);
    for (QAbstractButton *cell : cellsOf(_contactTabControl))
        chain.append(cell);
    for (int i = 0; _layoutTabView && i < _layoutTabView->count(); ++i)
        takeFocusable(_layoutTabView->widget(i));
    takeFocusable(window->findChild<QWidget *>(QStringLiteral("_designView")));
    takeFocusable(_contactsView);
    for (const char *name : {"_openRecentButton", "_newBlankButton", "_cancelButton", "_printButton", "_prevButton",
                             "_nextButton"})
        if (auto *button = window->findChild<QWidget *>(QString::fromLatin1(name)))
            chain.append(button);
    for (int i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain.at(i - 1), chain.at(i));

    // The standard open panel, as the File menu offers it.
    connect(new QShortcut(QKeySequence::Open, window), &QShortcut::activated, this, &CAAssistantController::open);

    m_finishAssistantFromService = false;
    return true;
}

int CAAssistantController::showDialog(bool fromService)
{
    return showDialog(fromService, QString(), QString());
}

int CAAssistantController::showDialog(bool fromService, const QString &layout, const QString &category)
{
    // One run at a time: a request that comes while the window is up (text handed over by a later
    // start) leaves the user's run as it is.
    if (m_isRunning) {
        qCWarning(lcShell) << "The assistant is already shown";
        return Cancelled;
    }
    if (!loadWindow()) {
        qCWarning(lcShell) << "Failed to load assistant.nib";
        QApplication::beep();
        return Cancelled;
    }
    int result = Cancelled;
    if (beginRun(fromService, layout, category)) {
        result = m_window->exec();
        m_window->hide();
        m_isRunning = false;
    }
    m_heldKeys->drop();
    if (_contactsController)
        _contactsController->storeLists(m_printListWasSelected);
    PWNotificationCenter::defaultCenter().postNotification(UpdateSenderListController);
    PWNotificationCenter::defaultCenter().postNotification(UpdatePrintListController);
    return result;
}

bool CAAssistantController::beginRun(bool fromService, const QString &layout, const QString &category)
{
    if (!loadWindow() || !m_window)
        return false;
    m_finishAssistantFromService = fromService;
    m_heldKeys->drop();
    fillRecentDocumentPopUpMenu();
    selectStep(0);
    if (_prevButton)
        _prevButton->setEnabled(false);

    int index = int(PWUserDefaults::standardUserDefaults().integerForKey(kRecentLayoutViewKey));
    if (index < 0 || index > 2)
        index = 0;
    if (!layout.isEmpty()) {
        const int named = indexOfIdentifier(_layoutTabView, layout);
        if (named >= 0)
            index = named;
    }
    if (_layoutTabView)
        _layoutTabView->setCurrentIndex(index);
    if (QAbstractButton *cell = m_kindGroup->button(index))
        cell->setChecked(true);
    for (CALayoutController *chooser : {_layoutLabelController, _layoutEnvelopController, _layoutPostcardController}) {
        if (chooser)
            chooser->followLists();
    }
    if (_layoutLabelController) {
        _layoutLabelController->selectPopups();
        if (!category.isEmpty())
            _layoutLabelController->selectCategory(category);
    }
    if (_contactsController && _contactsController->currentTabViewIndex() != 2)
        m_printListWasSelected = false;
    updateNextButton();

    m_window->setContextMenuPolicy(Qt::NoContextMenu);
    m_window->adjustSize();
    CAWindowPlacement::placeCentred(m_window);
    m_selectedLayout.clear();
    m_contactIsSelected = false;
    m_isRunning = true;
    return true;
}

// --- the documents ------------------------------------------------------------------------------

CALayoutController *CAAssistantController::selectedChooser() const
{
    const int index = _layoutTabView ? _layoutTabView->currentIndex() : 0;
    return index == 1 ? _layoutEnvelopController : index == 2 ? _layoutPostcardController : _layoutLabelController;
}

std::unique_ptr<CADocument> CAAssistantController::createDocument()
{
    // The address window follows the kind of contact the user chose from.
    if (CAAddressWindow *addresses = _contactsController ? sharedAddressWindow() : nullptr) {
        switch (_contactsController->currentTabViewIndex()) {
        case 0:
            addresses->showSenders();
            break;
        case 1:
            addresses->showRecipients(false);
            break;
        case 2:
            addresses->showPrintLists();
            break;
        default:
            break;
        }
    }
    const bool onLayoutStep = !_tabView || _tabView->currentIndex() == 0;
    const bool labelShown = !_layoutTabView || _layoutTabView->currentIndex() == 0;
    const bool categoryWithoutDesign =
        onLayoutStep && labelShown && _layoutLabelController && _layoutLabelController->isCategoryWithOutDesign();
    // Print on the first step, or a paper template whose size has no designs, has no design to
    // read: the user still gets the chosen template, with nothing on it.
    const bool noDesign = !_designController || _designController->currentDocPath().isEmpty();
    if (categoryWithoutDesign || noDesign) {
        const documentType type =
            categoryWithoutDesign ? dtLabel : typeOfLayoutIndex(_layoutTabView ? _layoutTabView->currentIndex() : 0);
        auto document = std::make_unique<CADocument>(std::make_unique<CFTADocument>(
            type, CDDString(CAEnvironment::defaultCountry()), CDDString(CAEnvironment::defaultCountry())));
        if (CALayoutController *chooser = categoryWithoutDesign ? _layoutLabelController : selectedChooser())
            chooser->applyForDocument(*document);
        document->setDefTextSize();
        return document;
    }
    if (!_designController)
        return nullptr;
    std::unique_ptr<CFTADocument> design = _designController->createCurrentFTDoc();
    if (!design)
        return nullptr;
    auto document = std::make_unique<CADocument>(std::move(design));
    document->setCapitalizedAddressPanel(CAPreferencesController::sharedPreferencesController().isConvertToUppercase());
    if (_contactsController) {
        const std::shared_ptr<PWPerson> recipient = _contactsController->person(true);
        document->setCurrentPerson(recipient.get(), true, true, true);
        const std::shared_ptr<PWPerson> sender = _contactsController->person(false);
        document->setCurrentPerson(sender.get(), false, true, true);
        if (CFTADocument *kernel = document->ftDocument()) {
            kernel->setAddressType(_contactsController->recipientAddrType(), true);
            kernel->setAddressType(_contactsController->senderAddrType(), false);
        }
    }
    if (CALayoutController *chooser = selectedChooser())
        chooser->applyForDocument(*document);
    // A design made for an envelope without a window keeps its address clear of this one's.
    CAEnvelopeWindowFit::placeRecipientClearOfWindow(*document);
    document->setPrintListName(_contactsController ? _contactsController->selectedPrintListName() : std::nullopt);
    return document;
}

std::unique_ptr<CADocument> CAAssistantController::createBlankDocument()
{
    const QString country = CAEnvironment::defaultCountry();
    const documentType type = typeOfLayoutIndex(_layoutTabView ? _layoutTabView->currentIndex() : 0);
    auto document = std::make_unique<CADocument>(
        std::make_unique<CFTADocument>(type, CDDString(country), CDDString(country)));
    if (const std::shared_ptr<CATemplateFormat> layout = defaultLayout(type)) {
        CATemplateFormat copy = *layout;
        copy.setHasWindow(false);
        document->setLayoutArangeComponents(copy, false);
    }
    if (CALayoutController *chooser = selectedChooser())
        chooser->applyForDocument(*document);
    document->setDefTextSize();
    return document;
}

std::unique_ptr<CADocument> CAAssistantController::createDocumentWithPath(const QString &path)
{
    auto document = std::make_unique<CADocument>();
    QString error;
    if (!document->readFromFile(path, &error)) {
        qCWarning(lcShell).noquote() << error;
        return nullptr;
    }
    return document;
}

CADocumentController::AssistantResult CAAssistantController::run(bool fromService, const QString &layout,
                                                                  const QString &category)
{
    CADocumentController::AssistantResult result;
    result.code = showDialog(fromService, layout, category);
    switch (result.code) {
    case Finish:
    case Print:
        result.document = createDocument();
        break;
    case NewBlank:
        result.document = createBlankDocument();
        break;
    case RecentDocument:
        result.recentDocumentPath = m_currSelectedRecentDocumentPath;
        result.document = createDocumentWithPath(m_currSelectedRecentDocumentPath);
        break;
    default:
        break;
    }
    result.contactsTabIndex = currentContactsTabViewIndex();
    return result;
}

int CAAssistantController::currentContactsTabViewIndex() const
{
    return _contactsController ? _contactsController->currentTabViewIndex() : 0;
}

void CAAssistantController::setContactsStep(std::unique_ptr<CAAssistantContactsStep> step)
{
    _contactsController = std::move(step);
    if (_contactsController && _contactsView && _contactsView->layout())
        _contactsView->layout()->addWidget(_contactsController->view());
}

// --- the steps ----------------------------------------------------------------------------------

QString CAAssistantController::currentStepIdentifier() const
{
    return _tabView ? identifierOf(_tabView, _tabView->currentIndex()) : QString();
}

CALayoutController *CAAssistantController::layoutController(int index) const
{
    return index == 1 ? _layoutEnvelopController : index == 2 ? _layoutPostcardController : _layoutLabelController;
}

QAbstractButton *CAAssistantController::nextButton() const
{
    return _nextButton;
}

QAbstractButton *CAAssistantController::prevButton() const
{
    return _prevButton;
}

QToolButton *CAAssistantController::openRecentButton() const
{
    return _openRecentButton;
}

QMenu *CAAssistantController::recentDocumentMenu() const
{
    return _recentDocumentMenu;
}

CAAssistantTabView *CAAssistantController::stepTabView() const
{
    return _tabView;
}

QTabWidget *CAAssistantController::layoutTabView() const
{
    return _layoutTabView;
}

void CAAssistantController::selectStep(int index)
{
    if (!_tabView || index < 0 || index >= _tabView->count())
        return;
    const int from = _tabView->currentIndex();
    if (from != index)
        willSelectStep(from, index);
    _tabView->setCurrentIndex(index);
    didSelectStep(index);
}

void CAAssistantController::willSelectStep(int from, int to)
{
    const QString next = identifierOf(_tabView, to);
    if (_tabControl)
        _tabControl->setVisible(from != 0 && next == QLatin1String("1"));
    if (_contactTabControl)
        _contactTabControl->setVisible(from != 2 && next == QLatin1String("3"));
}

void CAAssistantController::didSelectStep(int index)
{
    const QString step = identifierOf(_tabView, index);
    if (step == QLatin1String("2")) {
        const CALayoutController::TemplatePtr chosen = selectedChooser() ? selectedChooser()->getSelectedFormat() : nullptr;
        const std::optional<QString> group = chosen ? chosen->sizeGroup() : std::nullopt;
        m_selectedLayout = group.value_or(QString());
        if (_designController)
            _designController->initControls(m_selectedLayout);
        waitForDesigns();
        showArt(QStringLiteral("wiz_step2"));
    } else if (step == QLatin1String("3")) {
        m_heldKeys->drop();
        if (!m_contactIsSelected && _contactsController && _designController) {
            _designController->checkDocSenderAndRecipient();
            _contactsController->initControls(_designController->isDocHasSender()
                                              && !_designController->isDocHasRecipient());
            m_contactIsSelected = true;
            // The step chose its tab by the design's sides: the selector shows which.
            if (QAbstractButton *cell = m_contactGroup ? m_contactGroup->button(_contactsController->currentTabViewIndex()) : nullptr)
                cell->setChecked(true);
        }
        showArt(QStringLiteral("wiz_step3"));
    } else {
        m_heldKeys->drop();
        if (_tabControl)
            _tabControl->show();
        if (_contactTabControl)
            _contactTabControl->hide();
        showArt(QStringLiteral("wiz_step1"));
    }
    updateNextButton();
}

void CAAssistantController::waitForDesigns()
{
    if (!_designController || !m_window || !_designController->designs().isEmpty())
        return;
    // At a first start the designs are still being copied: the step shows at once, empty, and
    // keys typed into it wait for the designs rather than pass over an empty list.
    // Only what goes to the design list or to Next waits: the step's other controls, and any
    // popup of them, work meanwhile.
    if (CASampleDesignLibrary::isSeeding())
        m_heldKeys->hold(m_window, {m_window->findChild<QWidget *>(QStringLiteral("_designTableView")),
                                    _nextButton.data()});
    else
        // The copies may have ended between the listing and here, their notice still on its way.
        _designController->fillInIfEmpty();
}

void CAAssistantController::showArt(const QString &name)
{
    if (!_artImage)
        return;
    QSvgRenderer renderer(QStringLiteral(":/bundle/Images/%1.svg").arg(name));
    if (!renderer.isValid()) {
        _artImage->clear();
        return;
    }
    const qreal ratio = _artImage->devicePixelRatioF();
    QPixmap pixmap(renderer.defaultSize() * ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(ratio);
    _artImage->setPixmap(pixmap);
    _artImage->setProperty("art", name);
}

bool CAAssistantController::shouldFinishOnNextButton() const
{
    const QString step = currentStepIdentifier();
    if (step == QLatin1String("3"))
        return true;
    if (step == QLatin1String("2"))
        return (_designController && _designController->finishAssistant()) || m_finishAssistantFromService
               || !_contactsController;
    if (step == QLatin1String("1"))
        return _layoutTabView && _layoutTabView->currentIndex() == 0 && _layoutLabelController
               && _layoutLabelController->isCategoryWithOutDesign();
    return false;
}

void CAAssistantController::updateNextButton()
{
    setNextButtonText(shouldFinishOnNextButton() ? localized("Finish") : localized("Next"));
}

void CAAssistantController::setNextButtonText(const QString &title)
{
    if (_nextButton)
        _nextButton->setText(title);
}

// --- the buttons --------------------------------------------------------------------------------

void CAAssistantController::setPopupsOfChoosers()
{
    for (CALayoutController *chooser : {_layoutLabelController, _layoutEnvelopController, _layoutPostcardController})
        if (chooser)
            chooser->setPopups();
}

void CAAssistantController::stopModal(int code)
{
    if (m_window)
        m_window->done(code);
}

void CAAssistantController::buttonNext()
{
    // Next clicked while the designs are being copied goes on from the designs listed.
    if (m_heldKeys && m_heldKeys->isHolding()) {
        m_heldKeys->defer([this] { buttonNext(); });
        return;
    }
    if (shouldFinishOnNextButton()) {
        setPopupsOfChoosers();
        stopModal(Finish);
        return;
    }
    if (!_tabView)
        return;
    selectStep(_tabView->currentIndex() + 1);
    if (_prevButton)
        _prevButton->setEnabled(true);
}

void CAAssistantController::buttonPrev()
{
    if (!_tabView)
        return;
    selectStep(_tabView->currentIndex() - 1);
    if (_prevButton && currentStepIdentifier() == QLatin1String("1"))
        _prevButton->setEnabled(false);
}

void CAAssistantController::cancel()
{
    stopModal(Cancelled);
}

void CAAssistantController::print()
{
    setPopupsOfChoosers();
    stopModal(Print);
}

void CAAssistantController::open()
{
    stopModal(Open);
}

void CAAssistantController::newBlank()
{
    setPopupsOfChoosers();
    stopModal(NewBlank);
}

void CAAssistantController::openRecentDocumentButton(QAction *item)
{
    if (!item)
        return;
    if (item->property("tag").toInt() == kFileTag) {
        stopModal(Open);
        return;
    }
    const QVariant path = item->data();
    if (path.typeId() == QMetaType::QString && !path.toString().isEmpty()) {
        m_currSelectedRecentDocumentPath = path.toString();
        stopModal(RecentDocument);
    }
}

void CAAssistantController::layoutTabControl(int tag)
{
    if (_layoutTabView && tag >= 0 && tag < _layoutTabView->count())
        _layoutTabView->setCurrentIndex(tag);
    PWUserDefaults::standardUserDefaults().setInteger(kRecentLayoutViewKey, tag);
    updateNextButton();
}

void CAAssistantController::contactTabControl(int tag)
{
    if (_contactsController)
        _contactsController->selectTab(tag);
    if (tag == 2)
        m_printListWasSelected = true;
}

void CAAssistantController::fillRecentDocumentPopUpMenu()
{
    if (!_recentDocumentMenu)
        return;
    _recentDocumentMenu->clear();
    // The pull-down's title; a menu of actions shows it on the button instead.
    QAction *title = _recentDocumentMenu->addAction(tr("Open"));
    title->setProperty("tag", kOpenTitleTag);
    title->setVisible(false);
    if (_openRecentButton)
        _openRecentButton->setText(title->text());
    const QFileIconProvider icons;
    for (const QString &path : m_recentDocuments ? m_recentDocuments() : QStringList()) {
        const QFileInfo info(path);
        QAction *item = _recentDocumentMenu->addAction(info.completeBaseName());
        item->setProperty("tag", 0);
        item->setData(path);
        item->setToolTip(path);
        item->setIcon(QIcon(icons.icon(info).pixmap(16, 16)));
    }
    _recentDocumentMenu->addSeparator();
    QAction *file = _recentDocumentMenu->addAction(tr("File..."));
    file->setProperty("tag", kFileTag);
}

// --- the application's hook ---------------------------------------------------------------------

void installAssistant(CADocumentController &controller)
{
    CASampleDesignLibrary::installForUser();
    controller.setAssistant([](bool fromService) {
        CAAssistantController &wizard = CAAssistantController::sharedWizard();
        const auto [layout, category] = wizard.takeNextRunLayout();
        return wizard.run(fromService, layout, category);
    });
}

void runAssistantForDocumentType(CADocumentController &controller, int documentType, const QString &category)
{
    CAAssistantController &wizard = CAAssistantController::sharedWizard();
    if (wizard.isRunning()) {
        if (wizard.window())
            wizard.window()->done(CAAssistantController::Finish);
        return;
    }
    const QString layout = documentType == dtEnvelope   ? CAAssistantController::kEnvelopeLayout
                           : documentType == dtPostcard ? CAAssistantController::kPostcardLayout
                                                        : CAAssistantController::kLabelLayout;
    wizard.setNextRunLayout(layout, category);
    controller.runAssistant();
}
