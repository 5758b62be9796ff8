#pragma once

#include <QtGlobal>

#include <atomic>
#include <functional>

// How far a long reading or writing of a design has gone, for a progress window on another
// thread, and whether the user asked it to stop. The thread doing the work installs one for its
// duration (Scope); every component read or written is a step, and a step taken after a stop was
// asked throws Stopped, which leaves the design being read unfinished (it is thrown away) and a
// design being written as it was (nothing reaches the file).
class CDDFileProgress
{
public:
    struct Stopped
    {
    };

    // While it lives, steps on this thread count into progress.
    class Scope
    {
    public:
        explicit Scope(CDDFileProgress &progress);
        ~Scope();
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;

    private:
        CDDFileProgress *m_previous;
    };

    // The progress this thread's work counts into; null outside a Scope.
    static CDDFileProgress *current();
    // One component done on this thread: counted, or Stopped thrown when a stop was asked.
    static void step();
    // A point in long work that is no component (rows of a bitmap compressed, bytes of a file
    // hashed): nothing is counted, but the windows get their turn and a stop asked is heard.
    static void checkpoint();

    // The components the work will go through, when it knows; 0 while it does not.
    void setTotal(qint64 total) { m_total.store(total, std::memory_order_relaxed); }
    qint64 total() const { return m_total.load(std::memory_order_relaxed); }
    // Work that goes through its components once more (a bitmap painted again) says so.
    void addToTotal(qint64 more) { m_total.fetch_add(more, std::memory_order_relaxed); }
    qint64 done() const { return m_done.load(std::memory_order_relaxed); }
    void requestStop() { m_stop.store(true, std::memory_order_relaxed); }
    // Called on the working thread after each step: work done on the window's own thread serves
    // the windows' events from it.
    void setOnStep(std::function<void()> onStep) { m_onStep = std::move(onStep); }
    bool isStopRequested() const { return m_stop.load(std::memory_order_relaxed); }

private:
    // The windows' turn after a step or a checkpoint; Stopped when it heard a stop.
    void serve();

    std::atomic<qint64> m_total{0};
    std::atomic<qint64> m_done{0};
    std::atomic<bool> m_stop{false};
    std::function<void()> m_onStep;
};
