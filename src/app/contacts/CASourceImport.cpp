#include "app/contacts/CASourceImport.h"

#include "app/contacts/CADataSourceContainer.h"
#include "app/contacts/CAImportProgressDialog.h"
#include "app/contacts/CAImportWorker.h"

#include <QPointer>

#include <memory>
#include <optional>

void CASourceImport::launch(CADataSourceContainer &container, CAImportWorker &worker, QWidget *window,
                            const QString &name, QObject *context, std::function<void(const QString &name)> ended)
{
    CADataSourceContainer *source = &container;
    source->setErrorDuringImporting(false);
    source->setAllowUpdateCache(false, name);
    const auto finish = [source, ended = std::move(ended)](const QString &finished) {
        source->setAllowUpdateCache(true, finished);
        source->updateCacheForSource(finished);
        if (ended)
            ended(finished);
    };
    auto prepared = std::make_shared<std::optional<CADataSourceContainer::PreparedImport>>();
    const auto import = [source, name, prepared](CAImportProgress &progress,
                                                  QString *reason) -> std::optional<CAPersonList> {
        *prepared = source->prepareImport(name, nullptr, &progress);
        if (!*prepared) {
            *reason = source->lastImportProblems(name).join(u' ');
            return std::nullopt;
        }
        return (*prepared)->result.persons;
    };
    const auto apply = [source, prepared](const CAPersonList &) {
        source->commitImport(std::move(**prepared));
        prepared->reset();
    };
    // A window closed while its import runs takes the connection with it, and finish never
    // runs: the source is then let go of when the connection goes, so that its Update comes back
    // in the other windows.
    const auto release = std::shared_ptr<bool>(new bool(false), [source, name](bool *finished) {
        if (!*finished)
            source->setAllowUpdateCache(true, name);
        delete finished;
    });
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(&worker, &CAImportWorker::finished, context,
                                   [connection, name, finish, release](const QString &finished) {
                                       if (finished != name)
                                           return;
                                       *release = true;
                                       QObject::disconnect(*connection);
                                       finish(finished);
                                   });
    if (!CAImportProgressDialog::launch(worker, window, name, import, apply)) {
        *release = true;
        QObject::disconnect(*connection);
        // A progress of its own, so that a cancelled chooser is known as one here too.
        CAImportProgress progress;
        if (std::optional<CADataSourceContainer::PreparedImport> direct =
                source->prepareImport(name, window, &progress))
            source->commitImport(std::move(*direct));
        finish(name);
    }
}
