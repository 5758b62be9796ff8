#include "app/shell/CAActionRouter.h"

#include "app/shell/CAActionTarget.h"
#include "app/shell/CAShellLog.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>

#include <exception>

const char *const CAActionRouter::kActionProperty = "pwAction";

CAActionRouter::CAActionRouter(QObject *parent)
    : QObject(parent)
{
    // Window-modal and opened without a loop of its own: the failed command returns at once and
    // the window behind the message stays as it was.
    m_reporter = [](QWidget *parent, const QString &message) {
        auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Parcelwick"), message, QMessageBox::Ok,
                                    parent);
        box->setObjectName(QStringLiteral("actionErrorMessage"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        if (parent)
            box->open();
        else
            box->show();
    };
}

CAActionRouter::~CAActionRouter() = default;

CAActionRouter::Entry *CAActionRouter::entryFor(QWidget *window)
{
    for (Entry &entry : m_windows)
        if (entry.window == window)
            return &entry;
    return nullptr;
}

void CAActionRouter::addWindow(QWidget *window, CAActionTarget *target)
{
    if (!window || !target || entryFor(window))
        return;
    m_windows.append({window, target});
    Q_EMIT activeWindowChanged(activeWindow());
}

void CAActionRouter::removeWindow(QWidget *window)
{
    const qsizetype before = m_windows.size();
    m_windows.removeIf([window](const Entry &entry) { return entry.window == window || !entry.window; });
    if (m_windows.size() != before)
        Q_EMIT activeWindowChanged(activeWindow());
}

void CAActionRouter::windowActivated(QWidget *window)
{
    for (qsizetype i = 0; i < m_windows.size(); ++i) {
        if (m_windows[i].window == window) {
            if (i != m_windows.size() - 1) {
                m_windows.move(i, m_windows.size() - 1);
                Q_EMIT activeWindowChanged(window);
            }
            return;
        }
    }
}

QWidget *CAActionRouter::activeWindow() const
{
    for (qsizetype i = m_windows.size() - 1; i >= 0; --i)
        if (m_windows[i].window)
            return m_windows[i].window;
    return nullptr;
}

CAActionTarget *CAActionRouter::activeTarget() const
{
    for (qsizetype i = m_windows.size() - 1; i >= 0; --i)
        if (m_windows[i].window)
            return m_windows[i].target;
    return nullptr;
}

CAActionTarget *CAActionRouter::targetForAction(const QString &action) const
{
    if (CAActionTarget *window = activeTarget(); window && window->respondsToAction(action))
        return window;
    if (m_applicationTarget && m_applicationTarget->respondsToAction(action))
        return m_applicationTarget;
    return nullptr;
}

bool CAActionRouter::validate(const QString &action, QAction *item) const
{
    CAActionTarget *target = targetForAction(action);
    if (!target)
        return false;
    try {
        return target->validateAction(action, item);
    } catch (const std::exception &error) {
        qCWarning(lcShell) << "Validating" << action << "failed:" << error.what();
        return false;
    }
}

bool CAActionRouter::perform(const QString &action, QAction *sender)
{
    CAActionTarget *target = targetForAction(action);
    if (!target || !validate(action, sender))
        return false;
    QWidget *parent = activeWindow();
    Q_EMIT actionWillPerform(action);
    try {
        target->performAction(action, sender);
    } catch (const std::exception &error) {
        qCWarning(lcShell) << "Command" << action << "failed:" << error.what();
        report(parent, QString::fromUtf8(error.what()));
    } catch (...) {
        qCWarning(lcShell) << "Command" << action << "failed";
        report(parent, tr("The command could not be completed."));
    }
    Q_EMIT actionPerformed(action);
    return true;
}

void CAActionRouter::report(QWidget *parent, const QString &message) const
{
    if (m_reporter)
        m_reporter(parent, message);
}

void CAActionRouter::validateMenu(QMenu *menu) const
{
    if (!menu)
        return;
    for (QAction *item : menu->actions()) {
        if (QMenu *submenu = item->menu()) {
            validateMenu(submenu);
            continue;
        }
        const QVariant command = item->property(kActionProperty);
        if (command.isValid())
            item->setEnabled(validate(command.toString(), item));
    }
}

void CAActionRouter::connectAction(QAction *action, const QString &command)
{
    action->setProperty(kActionProperty, command);
    connect(action, &QAction::triggered, this, [this, action, command] { perform(command, action); });
}
