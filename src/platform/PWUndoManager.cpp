#include "platform/PWUndoManager.h"

#include "platform/PWBundle.h"
#include "platform/PWLog.h"

#include <algorithm>
#include <iterator>

namespace {

enum class RunState { Normal, Undoing, Redoing };

// Keeps the undoing/redoing state true to the stack being run, even when an action throws.
class RunStateScope
{
public:
    RunStateScope(RunState &state, RunState value)
        : m_state(state)
        , m_previous(state)
    {
        m_state = value;
    }
    ~RunStateScope() { m_state = m_previous; }
    RunStateScope(const RunStateScope &) = delete;
    RunStateScope &operator=(const RunStateScope &) = delete;

private:
    RunState &m_state;
    RunState m_previous;
};

} // namespace

struct PWUndoManager::Private
{
    struct Action
    {
        const void *target = nullptr;
        std::function<void()> run;
    };

    struct Group
    {
        std::vector<Action> actions;
        QString actionKey;
    };

    explicit Private(PWUndoManager *owner)
        : q(owner)
    {
    }

    PWUndoManager *q;
    std::vector<Group> undoStack;
    std::vector<Group> redoStack;
    // Open groups, outermost first; closing a nested one folds it into its parent.
    std::vector<Group> open;
    RunState state = RunState::Normal;
    int disableCount = 0;
    int levels = 0;
    bool groupsByEvent = true;
    // open.front() was opened by a registration and closes at the end of the event-loop turn.
    bool eventGroupOpen = false;
    bool eventCloseScheduled = false;
    // The turn ended while a command's own group was still open inside the event group.
    bool eventCloseDeferred = false;
    // Which stack took the last closed group, for naming it afterwards; none when that group was
    // empty and dropped, so that its name does not land on an older step.
    enum class LastClosed { None, Undo, Redo } lastClosed = LastClosed::None;

    const Group *nextUndoGroup() const
    {
        if (eventGroupOpen && open.size() == 1 && !open.front().actions.empty())
            return &open.front();
        return undoStack.empty() ? nullptr : &undoStack.back();
    }

    void trimToLevels(std::vector<Group> &stack) const
    {
        if (levels > 0 && stack.size() > size_t(levels))
            stack.erase(stack.begin(), stack.end() - levels);
    }

    void recordClosedGroup(Group &&group);
    void scheduleEventGroupClose();
    void closeEventGroup();
    bool readyToRun(const QString &what);
    void runGroup(Group &group, bool undoing);
};

PWUndoManager::PWUndoManager(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Private>(this))
{
}

PWUndoManager::~PWUndoManager() = default;

void PWUndoManager::registerUndo(const void *target, std::function<void()> action)
{
    if (!action || d->disableCount > 0)
        return;
    if (d->open.empty()) {
        if (!d->groupsByEvent) {
            // A caller's mistake, but recording the action as a step of its own keeps the edit
            // undoable instead of losing it.
            PWLog::message(lcPlatform(),
                           QStringLiteral("Undo registered outside a group; recorded as its own step"));
            beginUndoGrouping();
            registerUndo(target, std::move(action));
            endUndoGrouping();
            return;
        }
        beginUndoGrouping();
        d->eventGroupOpen = true;
        d->scheduleEventGroupClose();
    }
    const bool beginsStep = d->state == RunState::Normal
        && std::all_of(d->open.begin(), d->open.end(), [](const Private::Group &g) { return g.actions.empty(); });
    if (d->state == RunState::Normal)
        d->redoStack.clear();
    d->open.back().actions.push_back(Private::Action{target, std::move(action)});
    if (beginsStep)
        Q_EMIT changeRecorded();
}

void PWUndoManager::beginUndoGrouping()
{
    d->open.emplace_back();
    if (d->open.size() > 1)
        Q_EMIT checkpoint();
}

void PWUndoManager::endUndoGrouping()
{
    if (d->open.empty()) {
        PWLog::message(lcPlatform(), QStringLiteral("endUndoGrouping called with no open group"));
        return;
    }
    Private::Group group = std::move(d->open.back());
    d->open.pop_back();
    if (!d->open.empty()) {
        Private::Group &parent = d->open.back();
        parent.actions.insert(parent.actions.end(), std::make_move_iterator(group.actions.begin()),
                              std::make_move_iterator(group.actions.end()));
        if (d->open.size() == 1 && d->eventGroupOpen && d->eventCloseDeferred) {
            d->eventCloseDeferred = false;
            d->scheduleEventGroupClose();
        }
    } else {
        d->eventGroupOpen = false;
        d->eventCloseDeferred = false;
        d->recordClosedGroup(std::move(group));
    }
    Q_EMIT checkpoint();
}

int PWUndoManager::groupingLevel() const
{
    return int(d->open.size());
}

void PWUndoManager::setGroupsByEvent(bool on)
{
    d->groupsByEvent = on;
}

bool PWUndoManager::groupsByEvent() const
{
    return d->groupsByEvent;
}

void PWUndoManager::setActionName(const QString &actionKey)
{
    if (!d->open.empty()) {
        // The outermost group is the step the user sees.
        d->open.front().actionKey = actionKey;
        return;
    }
    std::vector<Private::Group> *stack = nullptr;
    if (d->lastClosed == Private::LastClosed::Undo)
        stack = &d->undoStack;
    else if (d->lastClosed == Private::LastClosed::Redo)
        stack = &d->redoStack;
    if (stack && !stack->empty())
        stack->back().actionKey = actionKey;
}

QString PWUndoManager::undoActionName() const
{
    const Private::Group *group = d->nextUndoGroup();
    return group && !group->actionKey.isEmpty() ? PWLocalizedString(group->actionKey) : QString();
}

QString PWUndoManager::redoActionName() const
{
    if (d->redoStack.empty() || d->redoStack.back().actionKey.isEmpty())
        return QString();
    return PWLocalizedString(d->redoStack.back().actionKey);
}

bool PWUndoManager::canUndo() const
{
    return d->nextUndoGroup() != nullptr;
}

bool PWUndoManager::canRedo() const
{
    return !d->redoStack.empty();
}

void PWUndoManager::undo()
{
    if (!d->readyToRun(QStringLiteral("undo")) || d->undoStack.empty())
        return;
    Private::Group group = std::move(d->undoStack.back());
    d->undoStack.pop_back();
    d->runGroup(group, true);
    Q_EMIT didUndo();
}

void PWUndoManager::redo()
{
    if (!d->readyToRun(QStringLiteral("redo")) || d->redoStack.empty())
        return;
    Private::Group group = std::move(d->redoStack.back());
    d->redoStack.pop_back();
    d->runGroup(group, false);
    Q_EMIT didRedo();
}

void PWUndoManager::discardRedo()
{
    if (d->redoStack.empty())
        return;
    d->redoStack.clear();
    if (d->lastClosed == Private::LastClosed::Redo)
        d->lastClosed = Private::LastClosed::None;
    Q_EMIT checkpoint();
}

bool PWUndoManager::isUndoing() const
{
    return d->state == RunState::Undoing;
}

bool PWUndoManager::isRedoing() const
{
    return d->state == RunState::Redoing;
}

void PWUndoManager::disableUndoRegistration()
{
    ++d->disableCount;
}

void PWUndoManager::enableUndoRegistration()
{
    if (d->disableCount == 0) {
        PWLog::message(lcPlatform(),
                       QStringLiteral("enableUndoRegistration without disableUndoRegistration"));
        return;
    }
    --d->disableCount;
}

bool PWUndoManager::isUndoRegistrationEnabled() const
{
    return d->disableCount == 0;
}

void PWUndoManager::removeAllActions()
{
    d->undoStack.clear();
    d->redoStack.clear();
    // Open groups stay open so that their begin and end still pair, but lose what they held.
    for (Private::Group &group : d->open)
        group.actions.clear();
    d->lastClosed = Private::LastClosed::None;
    // Clearing also re-enables registration: a document loaded with registration off starts
    // its history here.
    d->disableCount = 0;
    Q_EMIT checkpoint();
}

void PWUndoManager::removeAllActionsWithTarget(const void *target)
{
    const auto removeFrom = [target](Private::Group &group) {
        std::erase_if(group.actions,
                      [target](const Private::Action &a) { return a.target == target; });
    };
    bool droppedGroup = false;
    for (std::vector<Private::Group> *stack : {&d->undoStack, &d->redoStack}) {
        for (Private::Group &group : *stack)
            removeFrom(group);
        droppedGroup |=
            std::erase_if(*stack, [](const Private::Group &g) { return g.actions.empty(); }) > 0;
    }
    for (Private::Group &group : d->open)
        removeFrom(group);
    if (droppedGroup)
        d->lastClosed = Private::LastClosed::None;
    Q_EMIT checkpoint();
}

void PWUndoManager::setLevelsOfUndo(int levels)
{
    d->levels = std::max(levels, 0);
    d->trimToLevels(d->undoStack);
    d->trimToLevels(d->redoStack);
}

int PWUndoManager::levelsOfUndo() const
{
    return d->levels;
}

void PWUndoManager::Private::scheduleEventGroupClose()
{
    if (eventCloseScheduled)
        return;
    eventCloseScheduled = true;
    // A queued call runs once control is back in the event loop, after the current event.
    QMetaObject::invokeMethod(q, [this] { closeEventGroup(); }, Qt::QueuedConnection);
}

void PWUndoManager::Private::closeEventGroup()
{
    eventCloseScheduled = false;
    if (!eventGroupOpen)
        return;
    if (open.size() == 1) {
        q->endUndoGrouping();
        return;
    }
    // A command's own group is still open (a modal loop inside it); close when it ends.
    eventCloseDeferred = true;
}

bool PWUndoManager::Private::readyToRun(const QString &what)
{
    if (state != RunState::Normal) {
        PWLog::message(lcPlatform(), QStringLiteral("%1 called while undoing or redoing").arg(what));
        return false;
    }
    if (eventGroupOpen && open.size() == 1)
        q->endUndoGrouping();
    if (!open.empty()) {
        PWLog::message(lcPlatform(), QStringLiteral("%1 called with %2 open undo group(s)")
                                         .arg(what)
                                         .arg(open.size()));
        return false;
    }
    return true;
}

void PWUndoManager::Private::runGroup(Group &group, bool undoing)
{
    const RunStateScope scope(state, undoing ? RunState::Undoing : RunState::Redoing);
    q->beginUndoGrouping();
    const auto closeInverse = [this, &group] {
        while (open.size() > 1) {
            PWLog::message(lcPlatform(), QStringLiteral("An undo action left a group open"));
            q->endUndoGrouping();
        }
        if (!open.empty()) {
            open.front().actionKey = group.actionKey;
            q->endUndoGrouping();
        }
    };
    size_t next = group.actions.size();
    try {
        while (next > 0) {
            --next;
            group.actions[next].run();
        }
    } catch (...) {
        // What ran has its inverse recorded; what did not run goes back on its own stack, so
        // both stacks still describe the document. The failing action is dropped.
        closeInverse();
        if (next > 0) {
            Group rest;
            rest.actionKey = group.actionKey;
            rest.actions.assign(std::make_move_iterator(group.actions.begin()),
                                std::make_move_iterator(group.actions.begin() + qsizetype(next)));
            std::vector<Group> &source = undoing ? undoStack : redoStack;
            source.push_back(std::move(rest));
            trimToLevels(source);
        }
        throw;
    }
    closeInverse();
}

void PWUndoManager::Private::recordClosedGroup(Group &&group)
{
    if (group.actions.empty()) {
        lastClosed = LastClosed::None;
        return;
    }
    if (state == RunState::Undoing) {
        redoStack.push_back(std::move(group));
        trimToLevels(redoStack);
        lastClosed = LastClosed::Redo;
    } else {
        undoStack.push_back(std::move(group));
        trimToLevels(undoStack);
        lastClosed = LastClosed::Undo;
        if (state == RunState::Normal)
            Q_EMIT q->stepRecorded();
    }
}
