#include "app/contacts/CAImportProgressDialog.h"

#include <climits>


CAImportProgressDialog::CAImportProgressDialog(CAImportWorker &worker, const QString &sourceName, QWidget *window)
    : QProgressDialog(window)
{
    setWindowModality(Qt::WindowModal);
    setWindowTitle(sourceName);
    setLabelText(QStringLiteral("Importing from %1…").arg(sourceName));
    setCancelButtonText(QStringLiteral("Stop"));
    // The worker ends the dialog, never the bar reaching its end.
    setAutoClose(false);
    setAutoReset(false);
    setMinimumDuration(0);
    setRange(0, 0);
    connect(this, &QProgressDialog::canceled, &worker, &CAImportWorker::requestStop);
    connect(&worker, &CAImportWorker::progressChanged, this, [this](quint32 index, quint32 count) {
        if (count == 0)
            return;
        setMaximum(int(std::min<quint32>(count, INT_MAX)));
        setValue(int(std::min(index, count)));
    });
    connect(&worker, &CAImportWorker::finished, this, [this] {
        hide();
        deleteLater();
    });
}

bool CAImportProgressDialog::launch(CAImportWorker &worker, QWidget *window, const QString &sourceName,
                                    CAImportWorker::Import import, CAImportWorker::Apply apply)
{
    if (worker.isRunning())
        return false;
    auto *dialog = new CAImportProgressDialog(worker, sourceName, window);
    if (!worker.launch(sourceName, std::move(import), std::move(apply))) {
        delete dialog;
        return false;
    }
    dialog->show();
    return true;
}
