#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

// The undo manager of one document. An edit registers its inverse before it changes anything;
// what is registered while undoing becomes the redo, and what is registered while redoing becomes
// the next undo. Registrations are collected in groups, one per user command, named by a localized
// action key. With groupsByEvent on (the default), a registration outside an open group opens one
// that closes at the end of the current event-loop turn.
class PWUndoManager : public QObject
{
    Q_OBJECT
public:
    explicit PWUndoManager(QObject *parent = nullptr);
    ~PWUndoManager() override;

    // Registers an inverse action for target (used by removeAllActionsWithTarget).
    void registerUndo(const void *target, std::function<void()> action);

    void beginUndoGrouping();
    void endUndoGrouping();
    int groupingLevel() const;
    void setGroupsByEvent(bool on);
    bool groupsByEvent() const;

    // Names the open group (or the last closed one) with an action key; the displayed title is
    // the key's localized text.
    void setActionName(const QString &actionKey);
    QString undoActionName() const;
    QString redoActionName() const;

    bool canUndo() const;
    bool canRedo() const;
    // Closes an open event group first, then undoes the last group.
    void undo();
    void redo();
    // Forgets the steps Redo would bring back: a step undone because the document could not
    // keep it must not come back.
    void discardRedo();
    bool isUndoing() const;
    bool isRedoing() const;

    void disableUndoRegistration();
    void enableUndoRegistration();
    bool isUndoRegistrationEnabled() const;

    void removeAllActions();
    void removeAllActionsWithTarget(const void *target);

    // 0 means unlimited.
    void setLevelsOfUndo(int levels);
    int levelsOfUndo() const;

Q_SIGNALS:
    void checkpoint();
    // A new step began: the first registration of a group outside undo and redo. With didUndo
    // and didRedo it gives a document's change count.
    void changeRecorded();
    // A step was closed onto the undo stack outside undo and redo: its command has registered all
    // it will, and the document is as the command left it once control is back in the event loop.
    void stepRecorded();
    void didUndo();
    void didRedo();

private:
    struct Private;
    std::unique_ptr<Private> d;
};
