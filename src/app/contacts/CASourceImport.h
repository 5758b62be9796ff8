#pragma once

#include <QString>

#include <functional>

class CADataSourceContainer;
class CAImportWorker;
class QObject;
class QWidget;

// The update of one importing source of a container, as every window that offers it runs it: read
// again on the import worker under the window's modal progress dialog with Stop, the questions the
// source asks (which file, the text import dialog) coming back to the main thread; the source's
// persons change only when the import ran to its end. Where the worker runs another import, this
// one runs here and now.
class CASourceImport
{
public:
    // ended runs on the main thread once the import has ended, whatever its outcome, while
    // context lives.
    static void launch(CADataSourceContainer &container, CAImportWorker &worker, QWidget *window,
                       const QString &name, QObject *context, std::function<void(const QString &name)> ended);
};
