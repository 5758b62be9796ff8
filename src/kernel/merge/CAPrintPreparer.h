#pragma once

#include "kernel/merge/CAPrintingView.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class CADocument;
class PWPerson;
class PWPlist;

// Makes the copies a print job draws straight into its pages on worker threads, ahead of the
// page being written. Each run of entries (one person's placements of one design) gets a copy of
// its design filled with the person and put through the filters exactly as the view would do it
// on the main thread, then laid out by drawing it once where nothing is kept, so that the main
// thread only paints it. The job takes the copies in map order and gives them back once their
// page is printed; a given-back copy is filled with a later person (put back as it was before
// its filters first), so a job holds a few pages of copies whatever its length.
//
// A copy is used by one thread at a time: by the worker that made it until it is ready, by the
// main thread from take() until releaseBefore() passes its entries.
//
// Memory: the copies a job holds at once are bounded by what they weigh, never by its persons.
// Given a budget of bytes, the page writer prepares the first copy itself and weighs what it
// keeps; the job then holds as many copies as the budget takes (one when a copy alone takes
// more), and starts only as many workers as that leaves room for, each owning a share of them.
class CAPrintPreparer
{
public:
    struct Run
    {
        int firstIndex = 0;
        int lastIndex = 0;
        int designIndex = 0;
        const PWPerson *person = nullptr;
    };

    // What a job prepares: its runs in map order, and per design of the view's list the file
    // data its copies are made from.
    struct Job
    {
        std::vector<Run> runs;
        std::vector<std::shared_ptr<const PWPlist>> designData;
    };

    // The job of a map whose every entry this can prepare, or nothing: entries of list persons
    // and designs read from their file, without counters or file fields. designs and persons are
    // the view's lists.
    static std::optional<Job> jobForMap(const CADocumentMap &map, const CAPrintingView::DocumentList &designs,
                                        const CAPrintingView::PersonList &persons);

    // Starts the workers. filter is the view's with nothing done; resolution is the one the
    // items are drawn with. At most lookahead entries are prepared beyond the last released.
    // With no workers the page writer prepares each copy when it needs it, and fills the one
    // copy it was given back again: a job of copies too large to hold two of. With a budget
    // (heldBytes above 0) the workers start once the first copy has been weighed, and the job
    // holds no more copies than the budget takes (lookahead and workers are then the most).
    CAPrintPreparer(Job job, CADocumentFilter filter, double resolution, int lookahead, int workers,
                    qint64 heldBytes = 0);
    ~CAPrintPreparer();

    CAPrintPreparer(const CAPrintPreparer &) = delete;
    CAPrintPreparer &operator=(const CAPrintPreparer &) = delete;

    // Whether the map entry at index is one of the job's.
    bool covers(int index) const;
    // The prepared copy of the entry at index, waiting for it (or preparing it on the calling
    // thread when no worker has started it yet); null when it could not be made.
    CADocument *take(int index);
    // The entries before end are printed: their copies may be filled again.
    void releaseBefore(int end);

    // Worker threads for a job on this machine: one core is left to the page writer.
    static int defaultWorkerCount();

    // What the first copy kept when it was weighed (0 before, or without a budget), and the
    // copies the job holds at once since.
    qint64 copyBytes() const;
    int heldCopies() const;

    // The filling and filtering of one copy, as the view does it for a list person: the copy
    // (as made from the design, or as it was before its filters last time) is filled with the
    // person; when a filter would change it, the filled state is kept to return to and the
    // filter applied. Answers whether the filter changed the copy.
    static bool fillAndFilter(CADocument &copy, const PWPerson &person, const CADocumentFilter &filter);

private:
    struct Copy
    {
        std::shared_ptr<CADocument> document;
        // The worker that made it (the number of workers for the page writer): its text objects
        // belong to that thread, so only that thread fills it again.
        int worker = -1;
        // Its filters changed it: restored to its snapshot before the next person.
        bool filtered = false;
    };
    struct Slot
    {
        Copy copy;
        bool ready = false;
    };

    void work(int worker);
    // The run's copy, from the worker's given-back copies when one is of its design; the copy the
    // preparer took from its given-back ones when it made a new one.
    Copy prepare(const Run &run, int worker);
    // With the lock held: the run's copy is ready.
    void store(int run, Copy copy);
    int runOf(int index) const;
    // With the lock held: whether the owner (a worker, or the page writer) may prepare the run
    // ahead of the page being written: it has a copy of the run's design to fill again, or owns
    // fewer copies than its share (a copy of another design is let go of to make room).
    bool mayPrepareAhead(int owner, int run, std::vector<Copy> *dropped);
    // The budget's copies and workers, once the first copy is weighed; starts the workers.
    void decide(qint64 copyBytes);

    const std::vector<Run> m_runs;
    const std::vector<std::shared_ptr<const PWPlist>> m_designData;
    const CADocumentFilter m_filter;
    const double m_resolution;
    const int m_mostLookahead;
    const int m_mostWorkers;
    const qint64 m_heldBytes;
    // The page writer's index among the owners of copies (after every worker's).
    const int m_pageWriter;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Slot> m_slots;
    // Per owner, per design: the given-back copies it made.
    std::vector<std::vector<std::vector<Copy>>> m_pool;
    // Per owner: the copies it made that are alive, and how many it may hold.
    std::vector<int> m_owned;
    int m_share = 1;
    int m_lookahead = 1;
    int m_held = 1;
    qint64 m_copyBytes = 0;
    bool m_decided = false;
    int m_nextRun = 0;
    int m_released = 0; // entries before this index are printed
    int m_releasedRuns = 0;
    bool m_stopping = false;
    std::vector<std::thread> m_workers;
};
