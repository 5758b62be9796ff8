#pragma once

#include <QByteArray>
#include <QString>

// Runs work that may crash, corrupt memory or run away (a third-party decoder over a damaged
// file) in a child process of its own, under a limit of processor time, a memory limit and a cap
// on the answer it sends back, with a private, empty temporary folder that goes when it ends. Whatever the work does, the caller gets either its answer bytes or a failure
// with a reason a person can read; the calling process is never touched.
//
// The child is a fresh start of this same executable (never a bare fork, which would inherit
// locks that other threads of the caller happened to hold), with every signal at its default.
// It serves one job, named when the job was registered: the request goes to it on its standard
// input, its answer comes back on its standard output. So every program that runs work apart
// calls serveIfChild() first thing in main.
class PWIsolatedCall
{
public:
    struct Limits
    {
        // Processor time the work may take (in whole seconds, rounded up); a child that does not
        // end within three times this (at least two seconds more) by the clock is stopped too,
        // unless it is still working (slowly, on a loaded machine): that one gets up to ten times.
        int deadlineMs = 60000;
        // Memory the work may take on top of what the child holds once it has started.
        qint64 memoryBytes = qint64(1024) * 1024 * 1024;
        qint64 answerBytes = qint64(256) * 1024 * 1024;
    };

    struct Outcome
    {
        bool ok = false;
        QByteArray answer; // the work's answer; empty on failure
        QString reason;    // why there is no answer; empty on success
        // The failure came of the moment, not of the work: the clock ran out (a loaded machine),
        // the child could not be started, or the system killed it for memory it ran short of.
        // The same work may succeed when tried again.
        bool transient = false;
    };

    // Runs in the child: the bytes to hand back for a request. It may throw; std::bad_alloc is
    // reported as memory running out, anything else as a failure.
    using Job = QByteArray (*)(const QByteArray &request);

    // Makes a job known under a name; called by a static initializer in the file that runs it,
    // so that the child (the same executable) knows it too. Answers true, for that initializer.
    static bool registerJob(const char *name, Job job);

    static Outcome run(const char *job, const QByteArray &request, const Limits &limits);
    static Outcome run(const char *job, const QByteArray &request) { return run(job, request, Limits()); }

    // When this process was started as a child, serves its job and ends the process; otherwise
    // returns at once. Reads the command line from the system, so it needs no arguments.
    static void serveIfChild();

    // The program started as the child: this executable unless set (an empty path restores it).
    static void setProgram(const QString &path);
};
