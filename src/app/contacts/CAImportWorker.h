#pragma once

#include "app/contacts/CAPersonListDictionary.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QThread;
class QTimer;

// What the running import and the main thread share: single words, each written by one side and
// read by the other. Clearing the stop request also resets the counters and the cancel.
struct CAImportProgress
{
    std::atomic<bool> stopRequested{false};
    std::atomic<quint32> recordCount{0};
    std::atomic<quint32> recordIndex{0};
    // The user cancelled the import's file chooser: it ends with nothing, and that is no failure.
    std::atomic<bool> cancelled{false};

    void clear()
    {
        stopRequested = false;
        recordCount = 0;
        recordIndex = 0;
        cancelled = false;
    }
    // An import's note that the user cancelled its chooser; nothing without a progress.
    static void noteCancelled(CAImportProgress *progress)
    {
        if (progress)
            progress->cancelled = true;
    }
    // The import's report of the record it is at; true when it is to stop.
    bool report(quint32 index, quint32 count)
    {
        recordCount = count;
        recordIndex = index;
        return stopRequested;
    }
    // report() as a reader of records or cards takes it; none without a progress.
    static std::function<bool(quint32 index, quint32 count)> reporter(CAImportProgress *progress)
    {
        if (!progress)
            return {};
        return [progress](quint32 index, quint32 count) { return progress->report(index, count); };
    }
};

// Runs a long contact import on a thread of its own, one at a time, so that the window stays
// responsive and the import can be stopped. The import itself touches no widget and sends no
// notification: its outcome is handed back on the main thread, and only an import that ran to its
// end changes anything there. A stopped or failed import leaves the previous persons as they were.
class CAImportWorker : public QObject
{
    Q_OBJECT
public:
    // The import, run on the worker thread: the persons, or nothing with a reason.
    using Import = std::function<std::optional<CAPersonList>(CAImportProgress &progress, QString *reason)>;
    // Takes the persons of a finished import, on the main thread.
    using Apply = std::function<void(const CAPersonList &persons)>;

    static CAImportWorker &shared();

    explicit CAImportWorker(QObject *parent = nullptr);
    ~CAImportWorker() override;

    // Starts an import for the named source; false, and nothing started, while one runs. Callers
    // then run their import directly.
    bool launch(const QString &sourceName, Import import, Apply apply);
    bool isRunning() const { return m_thread != nullptr; }
    // The Stop button and the terminate command: the import stops at its next report.
    void requestStop() { m_progress.stopRequested = true; }
    // Stops a running import and waits for it to end (its owner goes away); it ends as a stop.
    void stopAndWait();

    // The progress commands of a running import. The count and the index change nothing when no
    // import runs; the index answers whether the import is to stop, running or not.
    void setRecordCount(quint32 count);
    bool setRecordIndex(quint32 index);

    const CAImportProgress &progress() const { return m_progress; }
    // True while the main thread waits for an import to end: a question the import would ask
    // there cannot be answered, and is given up instead.
    static bool isMainThreadWaiting() { return s_mainThreadWaiting.load(); }
    // The outcome of the last import that ended: whether it failed (a stop or a cancelled
    // chooser is no failure) and why.
    bool lastImportFailed() const { return m_failed; }
    QString lastReason() const { return m_reason; }

Q_SIGNALS:
    // On the main thread, a few times a second while an import runs.
    void progressChanged(quint32 index, quint32 count);
    // On the main thread once the import has ended, after its persons (if any) were applied.
    void finished(const QString &sourceName, bool applied);

private:
    void complete();

    CAImportProgress m_progress;
    QThread *m_thread = nullptr;
    QTimer *m_poll = nullptr;
    QString m_sourceName;
    Apply m_apply;
    // Written by the worker before it ends, read on the main thread after it ended.
    std::optional<CAPersonList> m_result;
    QString m_reason;
    bool m_failed = false;
    static std::atomic<bool> s_mainThreadWaiting;
};
