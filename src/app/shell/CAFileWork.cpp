#include "app/shell/CAFileWork.h"

#include "kernel/base/CDDFileProgress.h"

#include <QEventLoop>
#include <QPointer>
#include <QProgressDialog>
#include <QTimer>
#include <QWidget>

#include <exception>
#include <future>
#include <thread>

CAFileWork::Outcome CAFileWork::run(QWidget *window, const QString &label, const std::function<void()> &work)
{
    CDDFileProgress progress;
    QEventLoop loop;

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
    QTimer poll;
    poll.setInterval(100);
    QObject::connect(&poll, &QTimer::timeout, shown, [&progress, shown] {
        const qint64 total = progress.total();
        if (total <= 0 || progress.isStopRequested())
            return;
        // A design holds at most a million components; the bar holds ints.
        shown->setMaximum(int(qMin<qint64>(total, 1 << 30)));
        shown->setValue(int(qMin(progress.done(), total)));
    });
    poll.start();
    dialog->show();

    std::exception_ptr failure;
    bool stopped = false;
    std::thread worker([&] {
        {
            const CDDFileProgress::Scope scope(progress);
            try {
                work();
            } catch (const CDDFileProgress::Stopped &) {
                stopped = true;
            } catch (...) {
                failure = std::current_exception();
            }
        }
        // The loop quits from its own thread: a zero timer started after whatever the windows
        // queued meanwhile, so that those run first.
        QMetaObject::invokeMethod(
            &loop, [&loop] { QTimer::singleShot(0, &loop, [&loop] { loop.quit(); }); }, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::DialogExec);
    worker.join();
    poll.stop();
    delete dialog.data();
    if (failure)
        std::rethrow_exception(failure);
    return stopped ? Outcome::Stopped : Outcome::Done;
}
