#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// What a print or export job had to give up on while it ran: parts of its design that could not be
// read, what its contacts file could not give as it is, texts drawn without any font or with
// letters no installed font holds, items of a layout whose grid runs off its paper, pictures drawn
// as placeholders, addresses that do not fit their items even at the smallest type, addresses and
// texts that run past their label, card or envelope, counters that ran out of whole numbers. And
// what the user should know of a job whose output is what was designed: columns of the contacts
// file no field takes, fields the design shows that no column gives, lines of a contacts file read
// otherwise than written, fonts the design names that are not installed, texts that name none.
// The report is the one place that says what each of these means for the job (kindText: whether
// it fails the job, how the window heads it, how a job's last line sums it up): a job fails
// exactly when its output lacks what was designed; every other line is a note. A report collects from the
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
    // In the order a job names them.
    enum class Kind {
        DesignNotRead,
        ContactsNotAsRead,
        CalibrationNotApplied,
        NoFonts,
        MissingLetters,
        OffPaper,
        UnknownPaper,
        PlacementLost,
        OwnPaper,
        Placeholder,
        AddressTooLong,
        AddressPastEdge,
        TextPastEdge,
        CutByWindow,
        CounterOutOfNumbers,
        FileFieldNotRead,
        NoRecipient,
        // Notes: the output is what was designed.
        ContactsReadOtherwise,
        ColumnsNotRead,
        FieldsWithoutColumn,
        FontReplaced, // keep last: kKindCount counts to it
    };
    static constexpr int kKindCount = int(Kind::FontReplaced) + 1;

    // What a kind means for the job that noted it.
    struct KindText
    {
        Kind kind;
        // Whether the job fails (a batch exits 1) once its output is written.
        bool failsJob;
        // The window's heading when the report holds this kind alone.
        const char *heading;
        // The job's summing up on standard error, for one line and for %1 lines of the kind.
        const char *one;
        const char *many;
    };
    static const KindText &kindText(Kind kind);

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
    // Every line, kind by kind in their order.
    QStringList allLines() const;
    bool isEmpty() const;
    bool failsJob() const;
    // The window's heading: the kind's own when the report holds one kind, else a general one;
    // empty for an empty report.
    QString heading() const;
    // What a job's last line says of the kinds that fail it, joined ("no fonts are installed ...
    // and 2 counters ..."); empty when none does.
    QString failureSummary() const;

    // The letters a text drew with no installed font's glyph (selectors of a letter's variant,
    // which are no letters of their own, are left out). Within an ItemScope they go to the
    // item's subject (the person of a printed label), a few letters each; without one, to the text.
    static void noteMissingLetters(const QString &text, const QString &letters);
    // The item a drawing on this thread works for, named by subject, while the scope lasts; what
    // its texts lack is noted as one line when the scope ends.
    class ItemScope
    {
    public:
        explicit ItemScope(const QString &subject);
        ~ItemScope();
        ItemScope(const ItemScope &) = delete;
        ItemScope &operator=(const ItemScope &) = delete;

    private:
        ItemScope *m_outer;
        QString m_subject;
        QString m_letters;
        friend class PWJobReport;
    };
    // The most letters one line names.
    static constexpr int kNamedLetters = 5;

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
