#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Runs work that may crash, corrupt memory or run away (a third-party decoder over a damaged
// file) in a child process of its own, under a deadline, a memory limit and a cap on the answer
// it sends back. Whatever the work does, the caller gets either its answer bytes or a failure
// with a reason a person can read; the calling process is never touched. The work sees a copy
// of the caller's memory and its answer is all that comes back.
class PWIsolatedCall
{
public:
    struct Limits
    {
        int deadlineMs = 60000;
        // Memory the work may take on top of what the process held when it started.
        qint64 memoryBytes = qint64(1024) * 1024 * 1024;
        qint64 answerBytes = qint64(256) * 1024 * 1024;
    };

    struct Outcome
    {
        bool ok = false;
        QByteArray answer; // the work's answer; empty on failure
        QString reason;    // why there is no answer; empty on success
    };

    // Runs in the child: the bytes to hand back. It may throw; std::bad_alloc is reported as
    // memory running out, anything else as a failure.
    using Work = std::function<QByteArray()>;

    static Outcome run(const Work &work, const Limits &limits);
    static Outcome run(const Work &work) { return run(work, Limits()); }
};
