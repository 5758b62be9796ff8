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
    Property(PWUndoManager &undo, QString name)
        : m_undo(undo)
        , m_name(std::move(name))
    {
    }

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
    void setWidth(int value)
    {
        command(QString(), [&] { width.set(value); });
    }
    int undoAll()
    {
        int steps = 0;
        for (; undo.canUndo(); ++steps)
            undo.undo();
        return steps;
    }

    PWUndoManager undo;
    Property width {undo, QStringLiteral("width")};
    Property height {undo, QStringLiteral("height")};
};

} // namespace

TEST_F(PWUndoManagerTest, UndoAndRedoASetterThatRegistersItsInverse)
{
    setWidth(5);
    width.set(9); // ungrouped without event grouping: a step of its own
    EXPECT_FALSE(undo.canRedo());
    undo.undo();
    EXPECT_EQ(width.value(), 5);
    undo.undo();
    EXPECT_EQ(width.value(), 0);
    EXPECT_FALSE(undo.canUndo());
    undo.redo();
    undo.redo();
    EXPECT_EQ(width.value(), 9);
    // Round trips keep working: what redo registered is the next undo.
    undo.undo();
    EXPECT_EQ(width.value(), 5);
    undo.redo();
    // Nothing left to redo: a no-op, not a fault.
    undo.redo();
    EXPECT_EQ(width.value(), 9);
}

TEST_F(PWUndoManagerTest, ANestedGroupIsUndoneAsOneStepInReverseOrder)
{
    undo.beginUndoGrouping();
    width.set(10);
    undo.beginUndoGrouping();
    height.set(20);
    undo.endUndoGrouping();
    EXPECT_EQ(undo.groupingLevel(), 1);
    EXPECT_FALSE(undo.canUndo()) << "a step is recorded only when the outermost group closes";
    width.set(11);
    undo.endUndoGrouping();

    Property::s_trace.clear();
    undo.undo();
    EXPECT_EQ(Property::s_trace,
              (QStringList {QStringLiteral("width=10"), QStringLiteral("height=0"), QStringLiteral("width=0")}));
    EXPECT_FALSE(undo.canUndo());
    Property::s_trace.clear();
    undo.redo();
    // The redo group was registered in undo order, so it runs in the original order.
    EXPECT_EQ(Property::s_trace,
              (QStringList {QStringLiteral("width=10"), QStringLiteral("height=20"), QStringLiteral("width=11")}));
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
    EXPECT_EQ(undo.undoActionName(), QStringLiteral("MOVE_OBJECT"));
    EXPECT_EQ(undo.redoActionName(), QString());
    undo.undo();
    EXPECT_EQ(undo.undoActionName(), QStringLiteral("SET_SHADOW"));
    EXPECT_EQ(undo.redoActionName(), QStringLiteral("MOVE_OBJECT"));

    // A command that recorded nothing leaves no step, and its name lands on no older step.
    command(QString(), [] {});
    undo.setActionName(QStringLiteral("CHANGE_TEMPLATE"));
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
    EXPECT_TRUE(undo.isUndoRegistrationEnabled());
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
    undo.undo();
    EXPECT_EQ(height.value(), 7);
    undo.undo();
    EXPECT_EQ(width.value(), 0);
}

TEST_F(PWUndoManagerTest, LevelsOfUndoKeepTheNewestSteps)
{
    for (int i = 1; i <= 5; ++i)
        setWidth(i);
    undo.setLevelsOfUndo(3);
    EXPECT_EQ(undoAll(), 3);
    EXPECT_EQ(width.value(), 2);

    // The limit also holds for the redo stack.
    undo.setLevelsOfUndo(2);
    int redone = 0;
    for (; undo.canRedo(); ++redone)
        undo.redo();
    EXPECT_EQ(redone, 2);
    EXPECT_EQ(width.value(), 4);

    undo.setLevelsOfUndo(0);
    for (int i = 10; i < 20; ++i)
        setWidth(i);
    EXPECT_EQ(undoAll(), 12);
}

TEST_F(PWUndoManagerTest, RemovingActionsDropsEmptiedStepsAndRemovingAllReenables)
{
    command(QStringLiteral("ONLY_WIDTH"), [&] { width.set(1); });
    command(QStringLiteral("BOTH"), [&] {
        width.set(2);
        height.set(3);
    });
    command(QStringLiteral("ONLY_HEIGHT"), [&] { height.set(4); });
    undo.undo(); // ONLY_HEIGHT goes to the redo stack

    undo.removeAllActionsWithTarget(&height);
    EXPECT_FALSE(undo.canRedo()) << "the redo step held only height";
    EXPECT_EQ(undo.undoActionName(), QStringLiteral("BOTH"));
    undo.undo();
    EXPECT_EQ(width.value(), 1);
    EXPECT_EQ(height.value(), 3) << "height's inverse was removed";
    EXPECT_EQ(undo.undoActionName(), QStringLiteral("ONLY_WIDTH"));

    undo.redo();
    undo.disableUndoRegistration();
    undo.removeAllActions();
    EXPECT_FALSE(undo.canUndo());
    EXPECT_FALSE(undo.canRedo());
    EXPECT_TRUE(undo.isUndoRegistrationEnabled());
}

TEST_F(PWUndoManagerTest, UndoIsRefusedWhileACommandIsOpenOrRunning)
{
    setWidth(1);
    undo.beginUndoGrouping();
    height.set(2);
    undo.undo();
    EXPECT_EQ(width.value(), 1);
    EXPECT_EQ(height.value(), 2);
    undo.endUndoGrouping();

    // An action that asks for undo while undoing is refused, not recursed into.
    undo.beginUndoGrouping();
    undo.registerUndo(nullptr, [this] { undo.undo(); });
    undo.endUndoGrouping();
    undo.undo();
    EXPECT_EQ(height.value(), 2);
    undo.undo();
    EXPECT_EQ(height.value(), 0);
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
    EXPECT_EQ(didRedo.count(), 1);
    EXPECT_EQ(checkpoint.count(), 3);
    // With nothing to undo nothing is announced.
    undo.undo();
    undo.undo();
    EXPECT_EQ(didUndo.count(), 2);
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

    EXPECT_THROW(undo.undo(), std::runtime_error);
    EXPECT_FALSE(undo.isUndoing());
    EXPECT_EQ(undo.groupingLevel(), 0);
    // The actions after the failing one were undone and can be redone ...
    EXPECT_EQ(depth.value(), 0);
    EXPECT_EQ(height.value(), 0);
    EXPECT_EQ(undo.redoActionName(), QStringLiteral("PASTE"));
    // ... and the one before it is still waiting on the undo stack.
    EXPECT_EQ(width.value(), 1);
    EXPECT_EQ(undo.undoActionName(), QStringLiteral("PASTE"));
    undo.undo();
    EXPECT_EQ(width.value(), 0);

    // The manager keeps working afterwards.
    setWidth(5);
    undo.undo();
    EXPECT_EQ(width.value(), 0);
}

TEST(PWUndoManagerEventTest, AnEventGroupClosesAtTheEndOfTheLoopTurn)
{
    PWUndoManager undo;
    ASSERT_TRUE(undo.groupsByEvent());
    Property width(undo, QStringLiteral("width"));
    Property height(undo, QStringLiteral("height"));
    QSignalSpy checkpoint(&undo, &PWUndoManager::checkpoint);

    width.set(1);
    height.set(2);
    undo.setActionName(QStringLiteral("MOVE_OBJECT"));
    EXPECT_EQ(undo.groupingLevel(), 1);
    EXPECT_EQ(undo.undoActionName(), QStringLiteral("MOVE_OBJECT"));
    QCoreApplication::processEvents();
    EXPECT_EQ(undo.groupingLevel(), 0);
    EXPECT_EQ(checkpoint.count(), 1);

    // The next turn's edits are a step of their own.
    width.set(3);
    QCoreApplication::processEvents();
    undo.undo();
    EXPECT_EQ(width.value(), 1);
    undo.undo();
    EXPECT_EQ(width.value(), 0);
    EXPECT_EQ(height.value(), 0);
}

TEST(PWUndoManagerEventTest, UndoClosesTheOpenEventGroupFirst)
{
    PWUndoManager undo;
    Property width(undo, QStringLiteral("width"));
    width.set(4);
    width.set(6);
    undo.undo();
    EXPECT_EQ(width.value(), 0);
    EXPECT_EQ(undo.groupingLevel(), 0);
    // The close that was scheduled finds nothing left to close.
    QCoreApplication::processEvents();
    undo.redo();
    EXPECT_EQ(width.value(), 6);
}

TEST(PWUndoManagerEventTest, ACommandGroupStillOpenAtTheTurnsEndKeepsTheEventGroupOpen)
{
    PWUndoManager undo;
    Property width(undo, QStringLiteral("width"));
    width.set(1); // opens the event group
    undo.beginUndoGrouping();
    width.set(2);
    QCoreApplication::processEvents(); // as a modal loop inside the command would
    EXPECT_EQ(undo.groupingLevel(), 2);
    undo.endUndoGrouping();
    QCoreApplication::processEvents();
    EXPECT_EQ(undo.groupingLevel(), 0);
    undo.undo();
    EXPECT_EQ(width.value(), 0);
    EXPECT_FALSE(undo.canUndo());
}
