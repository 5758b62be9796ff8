#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// What a print or export job had to give up on while it ran: pictures drawn as placeholders,
// addresses that do not fit their labels even at the smallest type, items of a layout whose grid
// runs off its paper, texts drawn without any font, addresses that run past their card or envelope. A report collects from the
// moment it is made until it is destroyed, from every thread that works for the job (the items of
// a long job are prepared on workers): whatever is noted meanwhile goes into each open report,
// each thing once. The job tells the user from it when it ends.
//
// A report also bounds the time its job loses to pictures that do not render, and may carry a
// hook that the job's own thread calls while it waits for a picture (a progress window kept
// alive, its Cancel heard).
class PWJobReport
{
public:
    enum class Kind { Placeholder, AddressTooLong, OffPaper, NoFonts, AddressPastEdge };

    // lostPictureMs: the most time the job spends on renderings that fail; 0 for the default,
    // three rendering deadlines (PW_PICTURE_JOB_BOUND_MS sets it for a process).
    explicit PWJobReport(int lostPictureMs = 0);
    ~PWJobReport();
    PWJobReport(const PWJobReport &) = delete;
    PWJobReport &operator=(const PWJobReport &) = delete;

    // Adds the line to every open report that has no line of that kind and key yet.
    static void note(Kind kind, const QString &key, const QString &line);
    static bool anyOpen();

    QStringList lines(Kind kind) const;
    bool isEmpty() const;

    // Called on the thread that made the report, about twenty times a second while the job waits
    // for a picture; false cancels the job's waits.
    using WaitHook = std::function<bool()>;
    void setWaitHook(WaitHook hook);
    bool isCancelled() const;

    // --- for the picture renderer: the report a drawing on this thread works for (the one made
    // last on this thread, else the one made last anywhere)
    // Whether that report has a wait hook this thread may call.
    static bool waitsWithHook();
    // Calls the hook; false when the job is cancelled.
    static bool keepWaiting();
    static bool cancelled();
    // Milliseconds the job may still lose to pictures; -1 without a report.
    static int pictureTimeLeftMs();
    static void pictureTimeLost(qint64 milliseconds);

    // What a report holds; its own file's business.
    struct State;

private:
    State *m_state;
};
