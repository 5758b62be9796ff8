#include "app/contacts/CAExcelSource.h"

#include "app/contacts/CAContactsLog.h"
#include "app/contacts/CAImportWorker.h"
#include "app/contacts/CASpreadsheetReader.h"
#include "app/contacts/CATextFileImport.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWBundle.h"
#include "platform/PWFileReader.h"
#include "platform/PWUserDefaults.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <utility>

namespace {

const QString kFolderKey = QStringLiteral("excelFileOpenDialogDirectory");

} // namespace

const QString CAExcelSource::kCacheName = QStringLiteral("Excel");

QString CAExcelSource::name()
{
    return ContactsExcel.isEmpty() ? PWLocalizedString(QStringLiteral("MS Excel")) : ContactsExcel;
}

std::optional<CAPersonList> CAExcelSource::personsFromWorkbook(const QString &path, QWidget *window,
                                                               QStringList &problems, const CAContactImportHooks &hooks,
                                                               CAImportProgress *progress)
{
    const QString fileName = QFileInfo(path).fileName();
    QString error;
    const std::optional<CASpreadsheetReader::Rows> rows = CASpreadsheetReader::readFirstSheet(path, &error);
    if (!rows) {
        problems.append(QStringLiteral("%1 could not be read: %2.").arg(fileName, error));
        qCWarning(lcContacts).noquote() << "workbook not read:" << path << error;
        return CAPersonList();
    }
    // A name no other import shares, in the private temporary folder; gone once read, whatever
    // the reading gave.
    const QString folder = CAEnvironment::tempPath().isEmpty() ? QDir::tempPath() : CAEnvironment::tempPath();
    QTemporaryFile spool(QDir(folder).filePath(QStringLiteral("tmpXXXXXX.csv")));
    if (!spool.open() || spool.write(CASpreadsheetReader::toCsv(*rows)) < 0 || !spool.flush()) {
        problems.append(QStringLiteral("%1 could not be read: the temporary file could not be written (%2).")
                            .arg(fileName, spool.errorString()));
        return CAPersonList();
    }
    PWFileReader::Result spooled = PWFileReader::read(spool.fileName(), PWFileReader::kDelimitedTextLimit);
    spool.remove();
    if (!spooled.ok()) {
        problems.append(QStringLiteral("%1 could not be read: %2.").arg(fileName, spooled.reason));
        return CAPersonList();
    }
    CATextImportOptions options;
    options.showDialog = true;
    options.encodingChoice = true;
    return CATextFileImport::peopleFromExport(std::move(spooled.bytes), options, fileName, window, problems, hooks, progress);
}

std::optional<CADataSourceContainer::ImportResult>
CAExcelSource::importDataFromExcel(QWidget *window, QStringList &problems, PWUserDefaults &defaults,
                                   CADataSourceContainer &container, const CAContactImportHooks &hooks,
                                   CAImportProgress *progress)
{
    if (!hooks.chooseFiles)
        return std::nullopt;
    const std::optional<CAContactImportHooks::ChosenFiles> chosen =
        hooks.chooseFilesFrom(window, defaults, kFolderKey, {QStringLiteral("*.xls *.xlsx")});
    if (!chosen) {
        container.setErrorDuringImporting(true);
        CAImportProgress::noteCancelled(progress);
        return std::nullopt;
    }
    CADataSourceContainer::ImportResult result;
    for (const QString &path : chosen->paths) {
        const std::optional<CAPersonList> persons = personsFromWorkbook(path, window, problems, hooks, progress);
        // A cancelled dialog drops every workbook of this import, not only its own.
        if (!persons)
            return std::nullopt;
        result.persons.append(*persons);
    }
    // Workbooks that gave nothing must not replace what was read before.
    if (result.persons.isEmpty())
        return std::nullopt;
    return result;
}

void CAExcelSource::registerWith(CADataSourceContainer &container)
{
    container.registerProgressSource(
        name(), kCacheName,
        CADataSourceContainer::ProgressImportFunction(
            [&container](QWidget *window, QStringList &problems, CAImportProgress *progress) {
                return importDataFromExcel(window, problems, PWUserDefaults::standardUserDefaults(), container,
                                           CAContactImportHooks::shared(), progress);
            }));
}
