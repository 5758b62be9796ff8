#pragma once

#include <QPointer>

#include <vector>

class QObject;
class QThread;

// The QObjects a design makes while it is read on a worker for another thread to go on with:
// the file thread reads a large design that the window then shows and edits. An object left on
// a thread that runs no event loop never receives what is queued to it, so a signal sent from
// the window's thread to a slot in its context never arrives (a text's watch over its own typing
// among them). While a hand-over stands on a thread, the objects a design notes as made there
// are kept track of, and when it ends each one still alive moves, with its children, to the
// thread the hand-over names. Objects made on a thread without a hand-over stay where they are.
class PWObjectHandOver
{
public:
    explicit PWObjectHandOver(QThread *to);
    ~PWObjectHandOver();

    PWObjectHandOver(const PWObjectHandOver &) = delete;
    PWObjectHandOver &operator=(const PWObjectHandOver &) = delete;

    // Called by a design where it makes a QObject of its own (no parent), on the thread that
    // made it.
    static void noteMade(QObject *object);

private:
    QThread *m_to;
    PWObjectHandOver *m_outer;
    std::vector<QPointer<QObject>> m_made;
};
