#include "app/shell/CAHeldKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <algorithm>

CAHeldKeys::CAHeldKeys(QObject *parent)
    : QObject(parent)
{
}

CAHeldKeys::~CAHeldKeys()
{
    stopFiltering();
}

void CAHeldKeys::hold(QWidget *window, const QList<QWidget *> &heldFor)
{
    if (!window)
        return;
    m_window = window;
    m_heldFor.clear();
    for (QWidget *target : heldFor)
        if (target)
            m_heldFor.append(target);
    m_holding = true;
    // Keys go to the focus widget, not to the window: only the application sees them all.
    if (!m_filtering && qApp) {
        qApp->installEventFilter(this);
        m_filtering = true;
    }
}

void CAHeldKeys::stopFiltering()
{
    if (m_filtering && qApp)
        qApp->removeEventFilter(this);
    m_filtering = false;
}

void CAHeldKeys::defer(std::function<void()> action)
{
    if (!action)
        return;
    if (!m_holding) {
        action();
        return;
    }
    m_held.push_back({nullptr, std::move(action)});
}

bool CAHeldKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_holding || (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease))
        return QObject::eventFilter(watched, event);
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || !m_window || widget->window() != m_window || !isHeldFor(widget, event))
        return QObject::eventFilter(watched, event);
    m_held.push_back({std::unique_ptr<QEvent>(event->clone()), {}});
    event->accept();
    return true;
}

bool CAHeldKeys::isHeldFor(const QWidget *receiver, const QEvent *key) const
{
    // An open popup takes the keys before anything of the window: choosing in it is no key for
    // what is being filled.
    if (QApplication::activePopupWidget())
        return false;
    if (m_heldFor.isEmpty())
        return true;
    const int code = static_cast<const QKeyEvent *>(key)->key();
    if (code == Qt::Key_Return || code == Qt::Key_Enter)
        return true;
    return std::any_of(m_heldFor.cbegin(), m_heldFor.cend(), [receiver](const QPointer<QWidget> &target) {
        return target && (receiver == target || target->isAncestorOf(receiver));
    });
}

void CAHeldKeys::release()
{
    if (!m_holding)
        return;
    m_holding = false;
    stopFiltering();
    std::vector<Held> held = std::move(m_held);
    m_held.clear();
    for (Held &each : held) {
        // What one of them started may hold the keys again: the rest wait with it.
        if (m_holding) {
            m_held.push_back(std::move(each));
            continue;
        }
        // A key or an action before may have closed the window.
        if (each.action) {
            each.action();
            continue;
        }
        if (!m_window || !m_window->isVisible())
            continue;
        QWidget *focus = QApplication::focusWidget();
        QWidget *target = focus && focus->window() == m_window ? focus : m_window.data();
        QCoreApplication::sendEvent(target, each.key.get());
    }
}

void CAHeldKeys::drop()
{
    m_holding = false;
    stopFiltering();
    m_held.clear();
}
