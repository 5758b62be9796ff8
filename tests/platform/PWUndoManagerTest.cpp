#include "platform/PWUndoManager.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// A property whose setter registers its inverse before it changes anything, as every edit does.
class Property
{
public:
    Property(PWUndoManager &undo, QString name) : m_undo(undo), m_name(std::move(name)) {}
    void set(int value)
    {
        const int old = m_value;
        m_undo.registerUndo(this, [this, old] { set(old); });
        m_value = value;
        s_trace.append(m_name + QLatin1Char('=') + QString::number(value));
    }
    int value() const { return m_value; }
    static inline QStringList s_trace;

private:
    PWUndoManager &m_undo;
    QString m_name;
    int m_value = 0;
};

// Explicit groups, no event grouping: most cases are about the stacks, not the event loop.
class PWUndoManagerTest : public ::testing::Test
{
protected:
    PWUndoManagerTest()
    {
        undo.setGroupsByEvent(false);
        Property::s_trace.clear();
    }
    // One user command: a group around the edits, named with key.
    template <typename Edit> void command(const QString &key, Edit edit)
    {
        undo.beginUndoGrouping();
        edit();
        undo.endUndoGrouping();
        if (!key.isEmpty())
            undo.setActionName(key);
    }
    void setWidth(int value) { command(QString(), [&] { width.set(value); }); }
    // What the last steps did, then clears the record.
    QString trace() { return std::exchange(Property::s_trace, {}).join(QLatin1Char(' ')); }
    // The names of the next undo and redo steps.
    QString names() const { return undo.undoActionName() + QLatin1Char('/') + undo.redoActionName(); }
    PWUndoManager undo;
    Property width {undo, QStringLiteral("width")};
    Property height {undo, QStringLiteral("height")};
};

} // namespace

TEST_F(PWUndoManagerTest, UndoAndRedoASetterThatRegistersItsInverse)
{
    setWidth(5);
    width.set(9); // ungrouped without event grouping: a step of its own
    trace();
    undo.undo();
    undo.undo();
    EXPECT_FALSE(undo.canUndo());
    undo.redo();
    undo.redo();
    // Round trips keep working: what redo registered is the next undo.
    undo.undo();
    undo.redo();
    // Nothing left to redo: a no-op, not a fault.
    undo.redo();
    EXPECT_EQ(trace(), QStringLiteral("width=5 width=0 width=5 width=9 width=5 width=9"));
}

TEST_F(PWUndoManagerTest, ANestedGroupIsUndoneAsOneStepInReverseOrder)
{
    undo.beginUndoGrouping();
    width.set(10);
    undo.beginUndoGrouping();
    height.set(20);
    undo.endUndoGrouping();
    EXPECT_FALSE(undo.canUndo()) << "a step is recorded only when the outermost group closes";
    width.set(11);
    undo.endUndoGrouping();
    trace();
    undo.undo();
    EXPECT_EQ(trace(), QStringLiteral("width=10 height=0 width=0"));
    EXPECT_FALSE(undo.canUndo());
    // The redo group was registered in undo order, so it runs in the original order.
    undo.redo();
    EXPECT_EQ(trace(), QStringLiteral("width=10 height=20 width=11"));
}

TEST_F(PWUndoManagerTest, ActionNamesFollowTheirSteps)
{
    // Named while open, and named after closing.
    undo.beginUndoGrouping();
    width.set(1);
    undo.setActionName(QStringLiteral("SET_SHADOW"));
    undo.endUndoGrouping();
    command(QStringLiteral("MOVE_OBJECT"), [&] { height.set(2); });
    // No table holds these keys in this test program, so each answers as itself.
    EXPECT_EQ(names(), QStringLiteral("MOVE_OBJECT/"));
    undo.undo();
    EXPECT_EQ(names(), QStringLiteral("SET_SHADOW/MOVE_OBJECT"));
    // A command that recorded nothing leaves no step, and its name lands on no older step.
    command(QStringLiteral("CHANGE_TEMPLATE"), [] {});
    EXPECT_EQ(undo.undoActionName(), QStringLiteral("SET_SHADOW"));
    // A nested name belongs to the outermost step.
    undo.beginUndoGrouping();
    command(QStringLiteral("CREATE_OBJECT"), [&] { width.set(4); });
    undo.endUndoGrouping();
    EXPECT_EQ(undo.undoActionName(), QStringLiteral("CREATE_OBJECT"));
}

TEST_F(PWUndoManagerTest, RegistrationCanBeDisabledInNestedPairs)
{
    undo.disableUndoRegistration();
    undo.disableUndoRegistration();
    setWidth(1);
    undo.enableUndoRegistration();
    EXPECT_FALSE(undo.isUndoRegistrationEnabled());
    setWidth(2);
    undo.enableUndoRegistration();
    EXPECT_FALSE(undo.canUndo());
    // An unpaired enable is refused and does not let the count run below zero.
    undo.enableUndoRegistration();
    undo.disableUndoRegistration();
    EXPECT_FALSE(undo.isUndoRegistrationEnabled());
    undo.enableUndoRegistration();
    setWidth(3);
    undo.undo();
    EXPECT_EQ(width.value(), 2);
}

TEST_F(PWUndoManagerTest, ANewEditClearsTheRedoStackButUnregisteredOnesDoNot)
{
    setWidth(1);
    setWidth(2);
    undo.undo();
    undo.disableUndoRegistration();
    command(QString(), [&] { height.set(7); });
    undo.enableUndoRegistration();
    EXPECT_TRUE(undo.canRedo());
    command(QString(), [&] { height.set(8); });
    EXPECT_FALSE(undo.canRedo());
    trace();
    undo.undo();
    undo.undo();
    EXPECT_EQ(trace(), QStringLiteral("height=7 width=0"));
}

TEST_F(PWUndoManagerTest, LevelsOfUndoKeepTheNewestSteps)
{
    for (int i = 1; i <= 5; ++i)
        setWidth(i);
    undo.setLevelsOfUndo(3);
    trace();
    while (undo.canUndo())
        undo.undo();
    // The limit also holds for the redo stack.
    undo.setLevelsOfUndo(2);
    while (undo.canRedo())
        undo.redo();
    EXPECT_EQ(trace(), QStringLiteral("width=4 width=3 width=2 width=3 width=4"));
    undo.setLevelsOfUndo(0);
    for (int i = 10; i < 20; ++i)
        setWidth(i);
    int steps = 0;
    for (; undo.canUndo(); ++steps)
        undo.undo();
    EXPECT_EQ(steps, 12);
}

TEST_F(PWUndoManagerTest, RemovingActionsDropsEmptiedStepsAndRemovingAllReenables)
{
    command(QStringLiteral("ONLY_WIDTH"), [&] { width.set(1); });
    command(QStringLiteral("BOTH"), [&] { width.set(2), height.set(3); });
    command(QStringLiteral("ONLY_HEIGHT"), [&] { height.set(4); });
    undo.undo(); // ONLY_HEIGHT goes to the redo stack
    undo.removeAllActionsWithTarget(&height);
    // The redo step held only height; height's inverse in BOTH is gone.
    EXPECT_EQ(names(), QStringLiteral("BOTH/"));
    trace();
    undo.undo();
    EXPECT_EQ(trace(), QStringLiteral("width=1"));
    EXPECT_EQ(undo.undoActionName(), QStringLiteral("ONLY_WIDTH"));
    undo.redo();
    undo.disableUndoRegistration();
    undo.removeAllActions();
    EXPECT_FALSE(undo.canUndo() || undo.canRedo());
    EXPECT_TRUE(undo.isUndoRegistrationEnabled());
}

TEST_F(PWUndoManagerTest, UndoIsRefusedWhileACommandIsOpenOrRunning)
{
    setWidth(1);
    undo.beginUndoGrouping();
    height.set(2);
    trace();
    undo.undo();
    EXPECT_EQ(trace(), QString());
    undo.endUndoGrouping();
    // An action that asks for undo while undoing is refused, not recursed into.
    command(QString(), [&] { undo.registerUndo(nullptr, [this] { undo.undo(); }); });
    undo.undo();
    EXPECT_EQ(trace(), QString());
    undo.undo();
    EXPECT_EQ(trace(), QStringLiteral("height=0"));
}

TEST_F(PWUndoManagerTest, SignalsAnnounceUndoRedoAndGroupEnds)
{
    QSignalSpy didUndo(&undo, &PWUndoManager::didUndo);
    QSignalSpy didRedo(&undo, &PWUndoManager::didRedo);
    QSignalSpy checkpoint(&undo, &PWUndoManager::checkpoint);
    setWidth(1);
    EXPECT_EQ(checkpoint.count(), 1);
    undo.undo();
    undo.redo();
    // With nothing to undo nothing is announced.
    undo.undo();
    undo.undo();
    EXPECT_EQ(QList<qsizetype>({didUndo.count(), didRedo.count(), checkpoint.count()}), QList<qsizetype>({2, 1, 4}));
}

TEST_F(PWUndoManagerTest, AThrowingActionLeavesConsistentStacks)
{
    Property depth(undo, QStringLiteral("depth"));
    command(QStringLiteral("PASTE"), [&] {
        width.set(1);
        undo.registerUndo(nullptr, [] { throw std::runtime_error("broken inverse"); });
        height.set(2);
        depth.set(3);
    });
    trace();
    EXPECT_THROW(undo.undo(), std::runtime_error);
    EXPECT_FALSE(undo.isUndoing());
    EXPECT_EQ(undo.groupingLevel(), 0);
    // The actions after the failing one were undone and can be redone; the one before it is still
    // waiting on the undo stack.
    EXPECT_EQ(trace(), QStringLiteral("depth=0 height=0"));
    EXPECT_EQ(names(), QStringLiteral("PASTE/PASTE"));
    undo.undo();
    EXPECT_EQ(trace(), QStringLiteral("width=0"));
    // The manager keeps working afterwards.
    setWidth(5);
    undo.undo();
    EXPECT_EQ(width.value(), 0);
}

// Edits of one loop turn are one step; a command group still open at the turn's end (a modal
// loop inside the command) keeps the event group open; undo closes an open event group first.
TEST(PWUndoManagerEventTest, AnEventGroupClosesAtTheEndOfTheLoopTurn)
{
    PWUndoManager undo;
    Property width(undo, QStringLiteral("width"));
    Property height(undo, QStringLiteral("height"));
    width.set(1);
    undo.beginUndoGrouping();
    height.set(2);
    QCoreApplication::processEvents();
    EXPECT_EQ(undo.groupingLevel(), 2);
    undo.endUndoGrouping();
    QCoreApplication::processEvents();
    EXPECT_EQ(undo.groupingLevel(), 0);
    width.set(3);
    Property::s_trace.clear();
    undo.undo(); // closes the open event group first
    EXPECT_EQ(undo.groupingLevel(), 0);
    QCoreApplication::processEvents(); // the scheduled close finds nothing left to close
    undo.undo();
    EXPECT_EQ(Property::s_trace.join(QLatin1Char(' ')), QStringLiteral("width=1 height=0 width=0"));
    EXPECT_FALSE(undo.canUndo());
}

namespace {

// A document's change count: one per new step, none while undoing or redoing (those have
// signals of their own), one for a nested group and none for an empty one. A step is announced
// again when it is closed, once, with its last edit made.
TEST_F(PWUndoManagerTest, AChangeIsRecordedOncePerNewStep)
{
    QSignalSpy recorded(&undo, &PWUndoManager::changeRecorded);
    QSignalSpy closed(&undo, &PWUndoManager::stepRecorded);
    int heightWhenClosed = -1;
    QObject::connect(&undo, &PWUndoManager::stepRecorded, [&] { heightWhenClosed = height.value(); });
    command(QString(), [&] {
        width.set(1);
        undo.beginUndoGrouping();
        height.set(2);
        undo.endUndoGrouping();
    });
    EXPECT_EQ(recorded.count(), 1);
    EXPECT_EQ(closed.count(), 1) << "the nested group's end is not the step's";
    EXPECT_EQ(heightWhenClosed, 2);
    command(QString(), [] {});
    EXPECT_EQ(recorded.count(), 1) << "an empty group is no step";
    setWidth(3);
    EXPECT_EQ(recorded.count(), 2);
    undo.undo();
    undo.redo();
    EXPECT_EQ(recorded.count(), 2) << "undo and redo register, but record nothing new";
    EXPECT_EQ(closed.count(), 2) << "undo and redo close no new step";
    undo.disableUndoRegistration();
    setWidth(4);
    undo.enableUndoRegistration();
    EXPECT_EQ(recorded.count(), 2);
    EXPECT_EQ(closed.count(), 2);
}

// A step undone because the document cannot keep it does not come back: Redo forgets it, and the
// steps before it are still undone in their order.
TEST_F(PWUndoManagerTest, AStepUndoneAndDiscardedCannotBeRedone)
{
    QSignalSpy checkpoint(&undo, &PWUndoManager::checkpoint);
    command(QStringLiteral("MOVE"), [&] { width.set(1); });
    command(QStringLiteral("DUPLICATE"), [&] { height.set(2); });
    undo.undo();
    undo.discardRedo();
    EXPECT_FALSE(undo.canRedo());
    EXPECT_EQ(names(), QStringLiteral("MOVE/"));
    const qsizetype before = checkpoint.count();
    undo.discardRedo();
    EXPECT_EQ(checkpoint.count(), before) << "nothing to forget is no change";
    trace();
    undo.undo();
    EXPECT_EQ(trace(), QStringLiteral("width=0"));
    EXPECT_EQ(height.value(), 0);
    // Redo brings back what was undone since, not the discarded step.
    undo.redo();
    EXPECT_EQ(QList<int>({width.value(), height.value()}), QList<int>({1, 0}));
    EXPECT_FALSE(undo.canRedo());
}

} // namespace
