#include "app/shell/CAWaitingWindowKeeper.h"

#include "app/shell/CAWaitingWindows.h"
#include "platform/PWWindowOwner.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

CAWaitingWindowKeeper::CAWaitingWindowKeeper(QObject *parent)
    : QObject(parent)
{
    if (qApp)
        qApp->installEventFilter(this);
}

CAWaitingWindowKeeper::~CAWaitingWindowKeeper()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

bool CAWaitingWindowKeeper::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::Show && type != QEvent::WindowActivate)
        return QObject::eventFilter(watched, event);
    auto *window = qobject_cast<QWidget *>(watched);
    if (!window || !window->isWindow())
        return QObject::eventFilter(watched, event);
    if (type == QEvent::Show) {
        // The show event comes before the window is up: the waiting ones go up after it.
        QTimer::singleShot(0, this, [this, shown = QPointer<QWidget>(window)] {
            if (!shown || !shown->isVisible())
                return;
            // Told after the toolkit mapped it, which tells the window manager an owner of its own.
            ownFloating(shown);
            raiseAbove(shown);
        });
        return QObject::eventFilter(watched, event);
    }
    QWidget *modal = QApplication::activeModalWidget();
    if (QWidget *instead = CAWaitingWindows::toActivateInstead(window, modal, m_frontDocument)) {
        // Brought to the front, the clicked window would cover the waiting one and keep keys it
        // cannot take: the waiting window comes back on top with the keyboard.
        instead->raise();
        QTimer::singleShot(0, instead, [instead] {
            if (instead->isVisible() && !instead->isActiveWindow())
                instead->activateWindow();
        });
    } else if (CAWaitingWindows::isDocument(window)) {
        // The window manager brings a document window it activates to the front, over the
        // panels too: they float above it again.
        m_frontDocument = window;
        ownFloating();
        raiseAbove(window);
    } else if (CAWaitingWindows::isPanel(window)) {
        // A click on a panel brings it up, but not over the settings window.
        raiseAbove(window);
    }
    return QObject::eventFilter(watched, event);
}

void CAWaitingWindowKeeper::ownFloating(QWidget *only)
{
    QWindow *owner = m_frontDocument && m_frontDocument->isVisible() ? m_frontDocument->windowHandle() : nullptr;
    const auto own = [owner](QWidget *window) {
        if ((CAWaitingWindows::isPanel(window) || CAWaitingWindows::staysAbovePanels(window)) && window->windowHandle())
            PWWindowOwner::setOwner(window->windowHandle(), owner);
    };
    if (only) {
        own(only);
        return;
    }
    for (QWidget *window : QApplication::topLevelWidgets())
        own(window);
}

void CAWaitingWindowKeeper::raiseAbove(QWidget *front)
{
    QList<QWidget *> topLevels;
    for (QWidget *widget : QApplication::topLevelWidgets())
        topLevels.append(widget);
    for (QWidget *above : CAWaitingWindows::toRaiseAbove(front, topLevels, QApplication::activeModalWidget()))
        above->raise();
}
