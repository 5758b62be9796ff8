#pragma once

#include <QProgressDialog>

#include "app/contacts/CAImportWorker.h"

// The progress of the running import on the window that asked for it: window-modal, a bar that is
// busy until the import names its record count, and Stop. Closes and deletes itself when the
// import has ended.
class CAImportProgressDialog : public QProgressDialog
{
    Q_OBJECT
public:
    CAImportProgressDialog(CAImportWorker &worker, const QString &sourceName, QWidget *window);

    // Launches the import on the worker with this dialog over window; false (no dialog) while
    // another import runs.
    static bool launch(CAImportWorker &worker, QWidget *window, const QString &sourceName,
                       CAImportWorker::Import import, CAImportWorker::Apply apply);
};
