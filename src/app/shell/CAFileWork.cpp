#include "app/shell/CAFileWork.h"

#include "kernel/base/CDDFileProgress.h"
#include "platform/PWObjectHandOver.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QPointer>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace {

// The thread designs are read and written on, kept until the application ends: the fonts of
// text laid out on a thread go with it.
class FileThread
{
public:
    static FileThread &instance()
    {
        static FileThread *thread = [] {
            auto *made = new FileThread;
            // Ended while the application still stands, before its fonts are gone.
            qAddPostRoutine([] { instance().stop(); });
            return made;
        }();
        return *thread;
    }

    void post(std::function<void()> job)
    {
        std::unique_lock lock(m_mutex);
        if (!m_thread.joinable())
            m_thread = std::thread([this] { serve(); });
        m_jobs.push_back(std::move(job));
        m_changed.notify_one();
    }

private:
    void serve()
    {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
                if (m_jobs.empty())
                    return;
                job = std::move(m_jobs.front());
                m_jobs.pop_front();
            }
            job();
        }
    }

    void stop()
    {
        {
            std::unique_lock lock(m_mutex);
            m_stopping = true;
            m_changed.notify_one();
        }
        if (m_thread.joinable())
            m_thread.join();
        m_thread = std::thread();
        m_stopping = false;
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::function<void()>> m_jobs;
    std::thread m_thread;
    bool m_stopping = false;
};

// How often work on the window's thread serves the windows' events.
constexpr int kServeEveryMs = 50;
// How long work on the window's thread waits for its progress window to be shown on a screen, and
// once shown, to draw itself: a screen that never shows it (a window put away) holds the work only
// briefly; one that shows it is waited for as long as a loaded machine takes to draw a first window
// (its fonts read, its styles made).
constexpr int kMostWaitForShownMs = 1000;
constexpr int kMostWaitForDrawnMs = 20000;
constexpr int kLookEveryMs = 20;

// Serves the windows' events until the progress window has drawn itself, its label, bar and
// Cancel with it (they are drawn in the same pass as the window), so that work on the window's
// thread never begins behind a blank box.
void waitUntilDrawn(const QPointer<QProgressDialog> &dialog)
{
    class PaintWatch : public QObject
    {
    public:
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint) {
                drawn = true;
                loop.quit();
            }
            return false;
        }
        bool drawn = false;
        QEventLoop loop;
    } watch;
    dialog->installEventFilter(&watch);
    QCoreApplication::processEvents();
    if (!watch.drawn && dialog) {
        const QDeadlineTimer shownBy(kMostWaitForShownMs);
        const QDeadlineTimer drawnBy(kMostWaitForDrawnMs);
        QTimer look;
        look.setInterval(kLookEveryMs);
        QObject::connect(&look, &QTimer::timeout, &watch.loop, [&] {
            const QWindow *window = dialog ? dialog->windowHandle() : nullptr;
            const bool shown = window && window->isExposed();
            if (!dialog || drawnBy.hasExpired() || (!shown && shownBy.hasExpired()))
                watch.loop.quit();
        });
        look.start();
        watch.loop.exec();
    }
    // A window that went meanwhile took its progress window, and the watch, with it.
    if (dialog)
        dialog->removeEventFilter(&watch);
}

// What the user is told of work that threw.
QString reasonOf(const std::exception_ptr &failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc &) {
        return QObject::tr("there is not enough memory for it");
    } catch (const std::exception &error) {
        return QString::fromLocal8Bit(error.what());
    } catch (...) {
        return QObject::tr("an unexpected error stopped it");
    }
}

} // namespace

CAFileWork::Outcome CAFileWork::run(QWidget *window, const QString &label, Where where, Window drawing,
                                    const std::function<void()> &work, QString *failureReason, Stop stop)
{
    CDDFileProgress progress;
    // A window that goes meanwhile is not drawn again either way.
    const QPointer<QWidget> frozen(drawing == Window::Frozen ? window : nullptr);
    if (frozen)
        frozen->setUpdatesEnabled(false);

    // Not on the stack: a window that goes while the work runs takes its children with it.
    const QPointer<QProgressDialog> dialog = new QProgressDialog(window);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setLabelText(label);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setMinimumDuration(0);
    // Busy until the work knows how many components it goes through.
    dialog->setRange(0, 0);
    QProgressDialog *const shown = dialog;
    QObject::connect(shown, &QProgressDialog::canceled, shown, [&progress, shown] {
        progress.requestStop();
        shown->setLabelText(QObject::tr("Stopping…"));
        // Shown until the work gives up at its next component.
        shown->show();
    });
    const auto showProgress = [&progress, shown] {
        const qint64 total = progress.total();
        if (total <= 0 || progress.isStopRequested())
            return;
        // A design holds at most a million components; the bar holds ints.
        shown->setMaximum(int(qMin<qint64>(total, 1 << 30)));
        shown->setValue(int(qMin(progress.done(), total)));
    };
    dialog->show();

    bool stopped = false;
    std::exception_ptr failure;
    const auto runWork = [&] {
        const CDDFileProgress::Scope scope(progress);
        try {
            work();
        } catch (const CDDFileProgress::Stopped &) {
            stopped = true;
        } catch (...) {
            failure = std::current_exception();
        }
    };

    if (where == Where::WindowThread) {
        waitUntilDrawn(dialog);
        // The events are served at the first component, then every so often.
        QDeadlineTimer next(0);
        progress.setOnStep([&] {
            if (!next.hasExpired())
                return;
            if (dialog)
                showProgress();
            QCoreApplication::processEvents();
            next.setRemainingTime(kServeEveryMs);
        });
        runWork();
    } else {
        QEventLoop loop;
        QTimer poll;
        poll.setInterval(100);
        QObject::connect(&poll, &QTimer::timeout, shown, showProgress);
        poll.start();
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
        QThread *const windows = QThread::currentThread();
        FileThread::instance().post([&] {
            {
                // What the work read lives on the windows' thread, as a design read there does:
                // the file thread runs no event loop for its objects.
                const PWObjectHandOver handOver(windows);
                runWork();
            }
            // The loop quits from its own thread: a zero timer started after whatever the
            // windows queued meanwhile, so that those run first.
            QMetaObject::invokeMethod(
                &loop, [&loop] { QTimer::singleShot(0, &loop, [&loop] { loop.quit(); }); }, Qt::QueuedConnection);
            const std::lock_guard lock(mutex);
            done = true;
            finished.notify_one();
        });
        loop.exec(QEventLoop::DialogExec);
        // The job's last lines touch this frame's objects: wait until it has left them.
        std::unique_lock lock(mutex);
        finished.wait(lock, [&done] { return done; });
    }
    delete dialog.data();
    if (frozen)
        frozen->setUpdatesEnabled(true);
    if (stopped || (stop == Stop::UntilClosed && progress.isStopRequested()))
        return Outcome::Stopped;
    if (failure) {
        if (failureReason)
            *failureReason = reasonOf(failure);
        return Outcome::Failed;
    }
    return Outcome::Done;
}
