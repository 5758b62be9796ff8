#include "app/contacts/CAFileMakerSource.h"

#include "app/contacts/CAContactsLog.h"
#include "app/contacts/CAImportWorker.h"
#include "app/contacts/CASpreadsheetReader.h"
#include "app/contacts/CATextFileImport.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWBundle.h"
#include "platform/PWUserDefaults.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

namespace {

const QString kFolderKey = QStringLiteral("fileMakerFileOpenDialogDirectory");

} // namespace

const QString CAFileMakerSource::kCacheName = QStringLiteral("FileMaker");

QString CAFileMakerSource::name()
{
    return ContactsFileMaker.isEmpty() ? PWLocalizedString(QStringLiteral("FileMaker Pro")) : ContactsFileMaker;
}

QByteArray CAFileMakerSource::textOfRows(const QJsonValue &rows)
{
    if (!rows.isArray())
        return CAScriptedSource::valueText(rows).toUtf8();
    QString text;
    bool first = true;
    for (const QJsonValue &row : rows.toArray()) {
        if (!first)
            text += u'\n';
        first = false;
        if (!row.isArray()) {
            text += CAScriptedSource::valueText(row);
            continue;
        }
        bool firstField = true;
        for (const QJsonValue &field : row.toArray()) {
            if (!firstField)
                text += u',';
            firstField = false;
            // A name or street holding a comma must not spill into the next column.
            text += CASpreadsheetReader::csvField(CAScriptedSource::valueText(field));
        }
    }
    return text.toUtf8();
}

std::optional<CAPersonList> CAFileMakerSource::personsFromDatabase(const QString &path, QWidget *window,
                                                                   QStringList &problems,
                                                                   CADataSourceContainer &container,
                                                                   const CAContactImportHooks &hooks,
                                                                   CAImportProgress *progress,
                                                                   const CAScriptedSource::HelperLimits &limits)
{
    const QString fileName = QFileInfo(path).fileName();
    const QString helper = CAScriptedSource::helperForSource(kCacheName);
    QString error;
    std::optional<CAHelperAnswer> answer;
    if (helper.isEmpty()) {
        error = QStringLiteral("no helper for %1 is installed").arg(kCacheName);
    } else {
        const QJsonObject request {{QStringLiteral("request"), QStringLiteral("dump")},
                                   {QStringLiteral("source"), kCacheName},
                                   {QStringLiteral("path"), path},
                                   {QStringLiteral("name"), fileName}};
        answer = CAScriptedSource::runRequest(helper, kCacheName, request, progress, &error, limits);
        if (answer && !answer->rows())
            error = QStringLiteral("the helper %1 answered no rows").arg(helper);
    }
    if (!answer || !answer->rows()) {
        container.setErrorDuringImporting(true);
        if (error != QLatin1String("stopped")) {
            problems.append(QStringLiteral("%1 could not be exported: %2.").arg(fileName, error));
            qCWarning(lcContacts).noquote() << "database not exported:" << path << error;
        }
        return std::nullopt;
    }
    container.setErrorDuringImporting(false);
    if (answer->rowsLeftOut() > 0)
        problems.append(QStringLiteral("%1: the helper sent %2 rows; the first %3 were read and the rest left out.")
                            .arg(fileName)
                            .arg(answer->rows()->toArray().size() + answer->rowsLeftOut())
                            .arg(answer->rows()->toArray().size()));
    // The rows are the database's own: the user assigns their columns, but their delimiter and
    // encoding are known.
    CATextImportOptions options;
    options.showDialog = true;
    return CATextFileImport::peopleFromExport(textOfRows(*answer->rows()), options, fileName, window, problems, hooks, progress);
}

std::optional<CADataSourceContainer::ImportResult>
CAFileMakerSource::importDataFromFileMaker(QWidget *window, QStringList &problems, PWUserDefaults &defaults,
                                           CADataSourceContainer &container, const CAContactImportHooks &hooks,
                                           CAImportProgress *progress)
{
    if (!hooks.chooseFiles)
        return std::nullopt;
    const std::optional<CAContactImportHooks::ChosenFiles> chosen =
        hooks.chooseFilesFrom(window, defaults, kFolderKey, {QStringLiteral("*.fp7 *.fp5")});
    if (!chosen) {
        container.setErrorDuringImporting(true);
        CAImportProgress::noteCancelled(progress);
        return std::nullopt;
    }
    CADataSourceContainer::ImportResult result;
    for (const QString &path : chosen->paths) {
        const std::optional<CAPersonList> persons =
            personsFromDatabase(path, window, problems, container, hooks, progress);
        // A failed dump or a cancelled dialog drops every database of this import.
        if (!persons)
            return std::nullopt;
        result.persons.append(*persons);
    }
    // Databases that gave nothing must not replace what was read before.
    if (result.persons.isEmpty())
        return std::nullopt;
    return result;
}

bool CAFileMakerSource::registerInstalled(CADataSourceContainer &container)
{
    if (CAScriptedSource::helperForSource(kCacheName).isEmpty())
        return false;
    container.registerProgressSource(
        name(), kCacheName,
        CADataSourceContainer::ProgressImportFunction(
            [&container](QWidget *window, QStringList &problems, CAImportProgress *progress) {
                return importDataFromFileMaker(window, problems, PWUserDefaults::standardUserDefaults(), container,
                                               CAContactImportHooks::shared(), progress);
            }));
    return true;
}
