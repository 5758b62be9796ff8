#include "app/inspector/CAPropertiesController.h"

#include "app/canvas/CACanvasSelection.h"
#include "app/canvas/CADocView.h"
#include "app/inspector/CAAddressSubView.h"
#include "app/inspector/CAFillLineSubView.h"
#include "app/inspector/CAImageSubView.h"
#include "app/inspector/CAInspectorPane.h"
#include "app/inspector/CATextSubView.h"
#include "kernel/document/CFTAView.h"
#include "platform/PWNotificationCenter.h"

#include <ui_Properties.h>

#include <QApplication>

namespace {

CAPropertiesController *s_shared = nullptr;

} // namespace

CAPropertiesController *CAPropertiesController::sharedPropertiesController()
{
    if (!s_shared) {
        // Lives as long as the process: its window must not go down with the application object.
        s_shared = new CAPropertiesController();
    }
    return s_shared;
}

bool CAPropertiesController::isPanelVisible()
{
    return s_shared && s_shared->m_window && s_shared->m_window->isVisible();
}

int CAPropertiesController::tabForSelectionType(int selectionType)
{
    switch (selectionType) {
    case 1:
        return FillTab;
    case 3:
        return ImageTab;
    case 4:
    case 7:
        return TextTab;
    case 5:
    case 6:
        return AddressTab;
    default:
        return -1;
    }
}

CAPropertiesController::CAPropertiesController() = default;

CAPropertiesController::~CAPropertiesController()
{
    PWNotificationCenter::defaultCenter().removeObserversOwnedBy(this);
    // The window goes with the members after the panes' pointers: its tab widget and the
    // inspected canvas must reach nothing of this object from here on.
    if (m_tabView)
        disconnect(m_tabView, nullptr, this, nullptr);
    if (m_inspectedWindow)
        m_inspectedWindow->removeEventFilter(this);
    if (m_window)
        m_window->removeEventFilter(this);
    for (const QMetaObject::Connection &connection : {m_viewConnection, m_fontConnection, m_destroyedConnection})
        disconnect(connection);
    if (s_shared == this)
        s_shared = nullptr;
}

void CAPropertiesController::loadWindow()
{
    if (m_window)
        return;
    m_window = std::make_unique<QWidget>(nullptr, Qt::Tool);
    m_ui = std::make_unique<Ui::Properties>();
    m_ui->setupUi(m_window.get());
    m_window->setObjectName(QStringLiteral("Properties"));
    // A floating panel never takes the keyboard from the document unless a control is clicked.
    m_window->setAttribute(Qt::WA_ShowWithoutActivating, true);
    m_tabView = m_ui->m_tabView;
    m_panes = {m_ui->m_fillSubView, m_ui->m_imageSubView, m_ui->m_textSubView, m_ui->m_addressSubView};
    for (const QPointer<CAInspectorPane> &pane : m_panes) {
        if (pane)
            pane->awakeFromNib();
    }
    m_shownTab = m_tabView->currentIndex();
    m_window->installEventFilter(this);
    connect(m_tabView, &QTabWidget::currentChanged, this, &CAPropertiesController::tabWillChange);
    PWNotificationCenter::defaultCenter().addObserver(
        CACanvasSelection::kChangeSelectionNotify, nullptr,
        [this](const PWNotification &notification) {
            // The canvas posts itself; the document window posts its canvas or nothing.
            selectionChanged(static_cast<CADocView *>(const_cast<void *>(notification.object)));
        },
        this);
}

QWidget *CAPropertiesController::window()
{
    loadWindow();
    return m_window.get();
}

void CAPropertiesController::showWindow()
{
    loadWindow();
    m_window->show();
    m_window->raise();
}

void CAPropertiesController::close()
{
    if (m_window)
        m_window->close();
}

CADocView *CAPropertiesController::inspectedView() const
{
    return m_inspectingDocView;
}

CFTAView *CAPropertiesController::ftView() const
{
    return m_inspectingDocView ? m_inspectingDocView->ftView() : nullptr;
}

CAInspectorPane *CAPropertiesController::pane(int tab) const
{
    return tab >= 0 && tab < int(m_panes.size()) ? m_panes[size_t(tab)].data() : nullptr;
}

bool CAPropertiesController::colorActive()
{
    loadWindow();
    if (!m_window->isVisible())
        return false;
    CAInspectorPane *shown = pane(m_tabView->currentIndex());
    return shown && shown->colorActive();
}

void CAPropertiesController::setFontSizeControls(float size)
{
    if (!m_window)
        return;
    CAInspectorPane *shown = pane(m_tabView->currentIndex());
    if (shown && shown->hasFontSizeControls())
        shown->setFontSizeControls(size);
}

void CAPropertiesController::selectionChanged(CADocView *view)
{
    // What was typed still belongs to the canvas and the selection the panes show: applied
    // before they turn to another canvas or read the selection again.
    commitEditing();
    inspect(view);
}

void CAPropertiesController::inspect(CADocView *view)
{
    if (view != m_inspectingDocView) {
        disconnect(m_viewConnection);
        m_inspectingDocView = view;
        // The canvas's own edits tell only the canvas; the panes follow them as well.
        disconnect(m_fontConnection);
        disconnect(m_destroyedConnection);
        if (m_inspectedWindow)
            m_inspectedWindow->removeEventFilter(this);
        m_inspectedWindow = nullptr;
        if (view) {
            m_viewConnection = connect(view, &CADocView::selectionChanged, this, [this, view] {
                if (m_inspectingDocView == view)
                    selectionChanged(view);
            });
            // A canvas that goes (its document closed) leaves the shown pane with nothing to
            // edit; nothing typed is applied to a design on its way out.
            m_destroyedConnection = connect(view, &CADocView::aboutToBeDestroyed, this, [this] { inspect(nullptr); });
            // The size controls show the selected text's size, as the font panel learns it.
            m_fontConnection = connect(view, &CADocView::selectedFontChanged, this,
                                       [this](const PWFont &font, bool) { setFontSizeControls(float(font.pointSize())); });
            m_inspectedWindow = view->window();
            if (m_inspectedWindow != m_window.get())
                m_inspectedWindow->installEventFilter(this);
            else
                m_inspectedWindow = nullptr;
        }
    }
    m_bNeedsUpdate = true;
    windowDidUpdate();
}

void CAPropertiesController::commitEditing()
{
    for (const QPointer<CAInspectorPane> &pane : m_panes) {
        if (pane)
            pane->commitEditing();
    }
}

bool CAPropertiesController::eventFilter(QObject *watched, QEvent *event)
{
    // The document window asks about unsaved changes as it closes, and the inspector's own window
    // takes its fields out of reach as it closes: a typed value counts by then.
    const bool documentCloses = event->type() == QEvent::Close && watched == m_inspectedWindow;
    const bool ownCloses = (event->type() == QEvent::Close || event->type() == QEvent::Hide) && watched
                           && watched == m_window.get();
    if (documentCloses || ownCloses)
        commitEditing();
    // A document window taken away (its design closed, the canvas not yet gone) leaves nothing
    // to edit: the panes let go of its canvas until another window is turned to. A window
    // minimized by the user is hidden spontaneously and keeps its place.
    if (event->type() == QEvent::Hide && watched == m_inspectedWindow && !event->spontaneous())
        inspect(nullptr);
    return QObject::eventFilter(watched, event);
}

void CAPropertiesController::windowDidUpdate()
{
    if (!m_bNeedsUpdate || !m_window)
        return;
    m_bNeedsUpdate = false;
    CAInspectorPane *shown = pane(m_tabView->currentIndex());
    CFTAView *view = ftView();
    if (!view) {
        if (shown)
            shown->updateWithView(nullptr);
        return;
    }
    const int tab = tabForSelectionType(view->getTypeOfSelComponents());
    if (tab < 0) {
        if (shown)
            shown->updateWithView(nullptr);
        return;
    }
    {
        const QSignalBlocker quiet(m_tabView);
        m_choosingTab = true;
        m_tabView->setCurrentIndex(tab);
        m_shownTab = tab;
        m_choosingTab = false;
    }
    if (CAInspectorPane *chosen = pane(tab))
        chosen->updateWithView(m_inspectingDocView);
}

void CAPropertiesController::tabWillChange(int index)
{
    // The user switched tabs: the pane left behind lets go of the selection; the one shown stays
    // as it was until the selection changes.
    if (m_choosingTab)
        return;
    if (CAInspectorPane *left = pane(m_shownTab))
        left->updateWithView(nullptr);
    m_shownTab = index;
}
