#include "app/shell/CAWaitingWindows.h"

#include <QMessageBox>
#include <QWidget>

namespace {

// Windows that never take part: menus, lists of a pop-up, tool tips, splash screens.
bool isPassing(const QWidget *window)
{
    const Qt::WindowType type = window->windowType();
    return type == Qt::Popup || type == Qt::ToolTip || type == Qt::SplashScreen || type == Qt::Desktop;
}

} // namespace

bool CAWaitingWindows::isWaiting(const QWidget *window)
{
    if (!window || !window->isWindow() || !window->isVisible() || isPassing(window))
        return false;
    return window->windowModality() != Qt::NonModal || qobject_cast<const QMessageBox *>(window);
}

namespace {
const char *const kPanel = "pwFloatingPanel";
} // namespace

bool CAWaitingWindows::isPanel(const QWidget *window)
{
    return window && window->isWindow() && (window->windowType() == Qt::Tool || window->property(kPanel).toBool());
}

void CAWaitingWindows::markAsPanel(QWidget *window)
{
    if (window)
        window->setProperty(kPanel, true);
}

namespace {
const char *const kAbovePanels = "pwAbovePanels";
} // namespace

bool CAWaitingWindows::staysAbovePanels(const QWidget *window)
{
    return window && window->isWindow() && window->property(kAbovePanels).toBool();
}

void CAWaitingWindows::markAsAbovePanels(QWidget *window)
{
    if (window)
        window->setProperty(kAbovePanels, true);
}

bool CAWaitingWindows::isOwnedBy(const QWidget *window, const QWidget *waiting)
{
    for (const QWidget *owner = window; owner; owner = owner->parentWidget())
        if (owner == waiting)
            return true;
    return false;
}

bool CAWaitingWindows::holds(const QWidget *waiting, const QWidget *window)
{
    if (!waiting || !window || waiting == window || isOwnedBy(window, waiting))
        return false;
    const Qt::WindowModality modality = waiting->windowModality();
    if (modality == Qt::ApplicationModal)
        return true;
    if (modality != Qt::WindowModal)
        return false;
    // A sheet holds the window it is on and the windows that one stands on.
    for (const QWidget *under = waiting->parentWidget(); under; under = under->parentWidget())
        if (under->window() == window)
            return true;
    return false;
}

bool CAWaitingWindows::isDocument(const QWidget *window)
{
    return window && window->isWindow() && window->windowType() == Qt::Window && !isPanel(window)
           && !isWaiting(window) && !staysAbovePanels(window);
}

QList<QWidget *> CAWaitingWindows::toRaiseAbove(const QWidget *front, const QList<QWidget *> &topLevels,
                                                QWidget *activeModal)
{
    if (!front || !front->isWindow() || isPassing(front) || isWaiting(front))
        return {};
    QList<QWidget *> panels;
    QList<QWidget *> settings;
    QList<QWidget *> boxes;
    QList<QWidget *> modal;
    for (QWidget *window : topLevels) {
        if (window == front || !window->isVisible() || isPassing(window) || window == activeModal)
            continue;
        if (isWaiting(window)) {
            if (!isOwnedBy(front, window))
                (window->windowModality() != Qt::NonModal ? modal : boxes).append(window);
        } else if (isPanel(window) && isDocument(front)) {
            panels.append(window);
        } else if (staysAbovePanels(window) && (isDocument(front) || isPanel(front))) {
            settings.append(window);
        }
    }
    QList<QWidget *> order = panels + settings + boxes + modal;
    if (activeModal && activeModal != front && isWaiting(activeModal) && !isOwnedBy(front, activeModal))
        order.append(activeModal);
    return order;
}

QWidget *CAWaitingWindows::toActivateInstead(const QWidget *activated, QWidget *activeModal,
                                             const QWidget *frontDocument)
{
    if (!activated || !activeModal || !activeModal->isVisible() || isPassing(activated))
        return nullptr;
    if (holds(activeModal, activated))
        return activeModal;
    if (isPanel(activated) && !isOwnedBy(activated, activeModal)
        && (!frontDocument || holds(activeModal, frontDocument)))
        return activeModal;
    return nullptr;
}
