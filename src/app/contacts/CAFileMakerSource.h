#pragma once

#include "app/contacts/CAContactImportHooks.h"
#include "app/contacts/CADataSourceContainer.h"
#include "app/contacts/CAScriptedSource.h"

#include <QByteArray>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <optional>

class PWUserDefaults;
class QWidget;

// The database source: persons from FileMaker Pro databases the user picks (".fp7", ".fp5").
// No such program exists here, so each database is dumped by the helper program "FileMaker" (see
// CAScriptedSource), asked with the line
//
//   {"request": "dump", "source": "FileMaker", "path": <database>, "name": <its file name>}
//
// and answering {"rows": [[field, ...], ...]} (or a single text as "rows"), or an error. The rows
// go through the text import, dialog and all, where the user assigns the columns. Offered only
// while the helper is installed; kept by the container in memory and in its cache "FileMaker".
class CAFileMakerSource
{
public:
    static const QString kCacheName; // "FileMaker"
    // ContactsFileMaker as the shell set it, else the localized "FileMaker Pro".
    static QString name();

    // The rows of a dump as comma-separated lines, UTF-8: a row's fields joined by commas (a row
    // that is no list stands as its own text), lines joined by line feeds with none after the
    // last; a field holding a comma, a quote or a line break is quoted, quotes doubled, so that
    // it stays one field. A value that is no list is the text itself.
    static QByteArray textOfRows(const QJsonValue &rows);

    // The persons of one database; nothing when its dump failed (the reason in problems, and the
    // container's import error flag set), the import was stopped, or the user cancelled the
    // import dialog.
    static std::optional<CAPersonList> personsFromDatabase(const QString &path, QWidget *window, QStringList &problems,
                                                           CADataSourceContainer &container,
                                                           const CAContactImportHooks &hooks,
                                                           CAImportProgress *progress = nullptr,
                                                           const CAScriptedSource::HelperLimits &limits = {});
    // Asks for databases (starting in "fileMakerFileOpenDialogDirectory", remembered afterwards)
    // and reads them in order. Nothing when the chooser was cancelled (which sets the container's
    // import error flag), when any database could not be dumped or its import dialog was
    // cancelled (the persons of all databases are dropped), or when none gave a person.
    static std::optional<CADataSourceContainer::ImportResult> importDataFromFileMaker(
        QWidget *window, QStringList &problems, PWUserDefaults &defaults, CADataSourceContainer &container,
        const CAContactImportHooks &hooks = CAContactImportHooks::shared(), CAImportProgress *progress = nullptr);

    // Registers the source when its helper is installed; true then.
    static bool registerInstalled(CADataSourceContainer &container);
};
