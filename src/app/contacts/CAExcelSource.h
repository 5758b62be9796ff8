#pragma once

#include "app/contacts/CAContactImportHooks.h"
#include "app/contacts/CADataSourceContainer.h"

#include <QString>
#include <QStringList>

#include <optional>

class PWUserDefaults;
class QWidget;

// The spreadsheet source: persons from Excel workbooks the user picks (".xls" and ".xlsx"). The
// first worksheet of each is written to a temporary comma-separated file with a name of its own,
// read back and removed, and its rows go through the text import, dialog and all, where the user
// assigns the columns. Kept by the container in memory and in its cache "Excel".
class CAExcelSource
{
public:
    static const QString kCacheName; // "Excel"
    // ContactsExcel as the shell set it, else the localized "MS Excel".
    static QString name();

    // The persons of one workbook; nothing when the user cancelled the import dialog or the import
    // was stopped (cancelled then says which). A workbook that cannot be read gives an empty list
    // and its reason in problems.
    static std::optional<CAPersonList> personsFromWorkbook(const QString &path, QWidget *window, QStringList &problems,
                                                           const CAContactImportHooks &hooks,
                                                           CAImportProgress *progress = nullptr);
    // Asks for workbooks (starting in "excelFileOpenDialogDirectory", remembered afterwards) and
    // reads them in order. Nothing when the chooser was cancelled (which sets the container's
    // import error flag), when the import dialog of any workbook was cancelled (the persons of
    // all workbooks are dropped), or when no workbook gave a person.
    static std::optional<CADataSourceContainer::ImportResult> importDataFromExcel(
        QWidget *window, QStringList &problems, PWUserDefaults &defaults, CADataSourceContainer &container,
        const CAContactImportHooks &hooks = CAContactImportHooks::shared(), CAImportProgress *progress = nullptr);
    static void registerWith(CADataSourceContainer &container);
};
