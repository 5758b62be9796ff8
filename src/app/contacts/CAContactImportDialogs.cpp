#include "app/contacts/CAContactImportDialogs.h"

#include "app/contacts/CATextImportDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QPointer>
#include <QThread>

namespace {

template<typename Result, typename Call>
Result runOnMainThread(Call call)
{
    QCoreApplication *application = QCoreApplication::instance();
    if (!application || QThread::currentThread() == application->thread())
        return call();
    Result result{};
    QMetaObject::invokeMethod(application, [&] { result = call(); }, Qt::BlockingQueuedConnection);
    return result;
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
