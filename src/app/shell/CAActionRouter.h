#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class CAActionTarget;
class QAction;
class QMenu;
class QWidget;

// Sends every menu command to the document window the user works in, else to the application,
// and asks the same target whether the command is enabled. The router is the one place where a
// failing command ends: whatever an action throws is shown to the user and the application
// goes on.
class CAActionRouter : public QObject
{
    Q_OBJECT
public:
    // Shows the text of a failed command; parent is the window the command was sent to.
    using Reporter = std::function<void(QWidget *parent, const QString &message)>;

    // The property of a QAction that names the command it sends.
    static const char *const kActionProperty;

    explicit CAActionRouter(QObject *parent = nullptr);
    ~CAActionRouter() override;

    void setApplicationTarget(CAActionTarget *target) { m_applicationTarget = target; }
    // A document window: the most recently activated one is the target of window commands.
    void addWindow(QWidget *window, CAActionTarget *target);
    void removeWindow(QWidget *window);
    // Windows call this when they become active.
    void windowActivated(QWidget *window);
    QWidget *activeWindow() const;
    CAActionTarget *activeTarget() const;

    // The target that would receive the command, or null when nobody answers it.
    CAActionTarget *targetForAction(const QString &action) const;
    bool validate(const QString &action, QAction *item) const;
    // Sends the command; false when nobody answers it or it is disabled. An exception thrown
    // by the command is reported, never passed on.
    bool perform(const QString &action, QAction *sender = nullptr);

    // Enables and titles every item of the menu and its submenus that carries a command.
    void validateMenu(QMenu *menu) const;
    // A menu item (or control action) that sends the command through this router.
    void connectAction(QAction *action, const QString &command);

    void setReporter(Reporter reporter) { m_reporter = std::move(reporter); }
    void report(QWidget *parent, const QString &message) const;

Q_SIGNALS:
    // Just before a command that will run reaches its target: what belongs to the document and
    // is still being typed elsewhere can be applied first.
    void actionWillPerform(const QString &action);
    // After every command, so that menus and controls can be validated again.
    void actionPerformed(const QString &action);
    void activeWindowChanged(QWidget *window);

private:
    struct Entry
    {
        QPointer<QWidget> window;
        CAActionTarget *target;
    };
    Entry *entryFor(QWidget *window);

    CAActionTarget *m_applicationTarget = nullptr;
    // Most recently activated last.
    QList<Entry> m_windows;
    Reporter m_reporter;
};
