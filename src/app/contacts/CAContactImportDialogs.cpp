#include "app/contacts/CAContactImportDialogs.h"

#include "app/contacts/CAImportWorker.h"
#include "app/contacts/CATextImportDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QPointer>
#include <QSemaphore>
#include <QThread>

#include <atomic>
#include <memory>

namespace {

// A question of an import running on a worker, asked on the main thread. The worker waits for
// the answer unless the main thread is itself waiting for the worker to end (its window closes
// during the import): then the question is given up, never asked, and answers nothing.
template<typename Result, typename Call>
Result runOnMainThread(Call call)
{
    QCoreApplication *application = QCoreApplication::instance();
    if (!application || QThread::currentThread() == application->thread())
        return call();
    enum State { Waiting, Asked, GivenUp };
    struct Pending
    {
        std::atomic<int> state{Waiting};
        QSemaphore answered;
        Result result{};
    };
    auto pending = std::make_shared<Pending>();
    QMetaObject::invokeMethod(
        application,
        [pending, &call] {
            int expected = Waiting;
            if (!pending->state.compare_exchange_strong(expected, Asked))
                return;
            pending->result = call();
            pending->answered.release();
        },
        Qt::QueuedConnection);
    while (!pending->answered.tryAcquire(1, 50)) {
        int expected = Waiting;
        if (CAImportWorker::isMainThreadWaiting() && pending->state.compare_exchange_strong(expected, GivenUp))
            return Result{};
    }
    return pending->result;
}

// A worker hands in no window (a widget belongs to the main thread): the dialog then sits on
// the window the user works in.
QWidget *windowOr(QWidget *window)
{
    return window ? window : QApplication::activeWindow();
}

} // namespace

namespace CAContactImportDialogs {

CAContactImportHooks onMainThread(const CAContactImportHooks &hooks)
{
    CAContactImportHooks wrapped;
    if (hooks.chooseFiles) {
        wrapped.chooseFiles = [choose = hooks.chooseFiles](QWidget *window, const QString &folder,
                                                           const QStringList &filters) {
            return runOnMainThread<std::optional<CAContactImportHooks::ChosenFiles>>(
                [&] { return choose(window, folder, filters); });
        };
    }
    if (hooks.confirmTextImport) {
        wrapped.confirmTextImport = [confirm = hooks.confirmTextImport](CADelimitedText &text,
                                                                        const CATextImportOptions &options,
                                                                        QWidget *window) {
            return runOnMainThread<bool>([&] { return confirm(text, options, window); });
        };
    }
    return wrapped;
}

void install()
{
    CAContactImportHooks hooks;
    hooks.chooseFiles = [](QWidget *window, const QString &folder,
                           const QStringList &filters) -> std::optional<CAContactImportHooks::ChosenFiles> {
        QFileDialog dialog(windowOr(window), QString(), folder, filters.join(QStringLiteral(";;")));
        dialog.setFileMode(QFileDialog::ExistingFiles);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return CAContactImportHooks::ChosenFiles{dialog.selectedFiles(), dialog.directory().absolutePath()};
    };
    hooks.confirmTextImport = [](CADelimitedText &text, const CATextImportOptions &options, QWidget *window) {
        return CATextImportDialog::confirm(text, options, windowOr(window));
    };
    CAContactImportHooks::shared() = onMainThread(hooks);
}

} // namespace CAContactImportDialogs
