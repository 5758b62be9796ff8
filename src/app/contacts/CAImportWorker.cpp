#include "app/contacts/CAImportWorker.h"

#include "kernel/base/CAEnvironment.h"

#include "app/contacts/CAContactsLog.h"

#include <QThread>
#include <QTimer>

namespace {

// Often enough for a bar to move smoothly, seldom enough to cost nothing.
constexpr int kPollMs = 50;

} // namespace

CAImportWorker &CAImportWorker::shared()
{
    static CAImportWorker worker;
    return worker;
}

CAImportWorker::CAImportWorker(QObject *parent)
    : QObject(parent)
    , m_poll(new QTimer(this))
{
    m_poll->setInterval(kPollMs);
    connect(m_poll, &QTimer::timeout, this,
            [this] { Q_EMIT progressChanged(m_progress.recordIndex.load(), m_progress.recordCount.load()); });
}

CAImportWorker::~CAImportWorker()
{
    // An import still running at exit is told to stop and waited for: it owns nothing of ours.
    if (m_thread) {
        requestStop();
        m_thread->wait();
        delete m_thread;
    }
}

bool CAImportWorker::launch(const QString &sourceName, Import import, Apply apply)
{
    if (m_thread)
        return false;
    m_sourceName = sourceName;
    m_apply = std::move(apply);
    m_result.reset();
    m_reason.clear();
    m_failed = false;
    m_progress.clear();
    // A terminate command sent for an earlier import does not stop this one.
    CAEnvironment::sharedEnvironment().setTerminateScriptExecutionFlag(false);
    m_thread = QThread::create([this, import = std::move(import)] {
        QString reason;
        std::optional<CAPersonList> result = import(m_progress, &reason);
        m_result = std::move(result);
        m_reason = reason;
    });
    // finished is delivered to this object's thread, the main one.
    connect(m_thread, &QThread::finished, this, &CAImportWorker::complete);
    m_poll->start();
    m_thread->start();
    return true;
}

std::atomic<bool> CAImportWorker::s_mainThreadWaiting{false};

void CAImportWorker::stopAndWait()
{
    if (!m_thread)
        return;
    requestStop();
    complete();
}

void CAImportWorker::complete()
{
    // A stop that waited has completed already; the thread's own end may still be on its way.
    if (!m_thread)
        return;
    m_poll->stop();
    s_mainThreadWaiting = true;
    m_thread->wait();
    s_mainThreadWaiting = false;
    delete m_thread;
    m_thread = nullptr;
    Q_EMIT progressChanged(m_progress.recordIndex.load(), m_progress.recordCount.load());
    const bool stopped = m_progress.stopRequested.load();
    // The user said no to the chooser: nothing was read, and there is nothing to report.
    const bool cancelled = m_progress.cancelled.load();
    bool applied = false;
    if (m_result && !stopped) {
        if (m_apply)
            m_apply(*m_result);
        applied = true;
    } else if (!stopped && !cancelled) {
        m_failed = true;
        qCWarning(lcContacts).noquote() << "The import of" << m_sourceName << "failed:" << m_reason;
    }
    m_result.reset();
    m_apply = nullptr;
    Q_EMIT finished(m_sourceName, applied);
}

void CAImportWorker::setRecordCount(quint32 count)
{
    if (m_thread)
        m_progress.recordCount = count;
}

bool CAImportWorker::setRecordIndex(quint32 index)
{
    if (m_thread)
        m_progress.recordIndex = index;
    return m_progress.stopRequested.load();
}
