#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class CADelimitedText;
class PWUserDefaults;
class QWidget;

// What the text import dialog may let the user change, and whether the first row is forced to
// be the header.
struct CATextImportOptions
{
    bool showDialog = false;
    bool delimiterChoice = false;
    bool encodingChoice = false;
    bool headerForced = false;
};

// The questions a contact import asks the user, answered by the windows: which files to read,
// and whether a delimited text reads right (the text import dialog, which may change its
// encoding, delimiter, header and registry). Without an answer to give, an import that needs
// files imports nothing, and a text import goes on as read. The hooks run on the main thread.
struct CAContactImportHooks
{
    struct ChosenFiles
    {
        QStringList paths;
        QString folder; // where the chooser ended, remembered for next time
    };
    // Files chosen in a chooser opened on startFolder for the given name filters (all files
    // when empty), attached to window; nothing when the user cancels.
    using ChooseFiles = std::function<std::optional<ChosenFiles>(QWidget *window, const QString &startFolder,
                                                                 const QStringList &nameFilters)>;
    // True when the user confirms the reading (the dialog's OK); the text holds what they chose.
    using ConfirmTextImport =
        std::function<bool(CADelimitedText &text, const CATextImportOptions &options, QWidget *window)>;

    ChooseFiles chooseFiles;
    ConfirmTextImport confirmTextImport;

    // Files chosen as above, the chooser opening in the folder it ended in the last time (kept in
    // defaults under folderKey; the home folder at first); nothing without a chooser or when the
    // user cancels.
    std::optional<ChosenFiles> chooseFilesFrom(QWidget *window, PWUserDefaults &defaults, const QString &folderKey,
                                               const QStringList &nameFilters) const;

    // The hooks every import of the process uses.
    static CAContactImportHooks &shared()
    {
        static CAContactImportHooks hooks;
        return hooks;
    }
};
