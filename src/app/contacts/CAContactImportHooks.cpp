#include "app/contacts/CAContactImportHooks.h"

#include "platform/PWUserDefaults.h"

#include <QDir>

std::optional<CAContactImportHooks::ChosenFiles> CAContactImportHooks::chooseFilesFrom(QWidget *window,
                                                                                    PWUserDefaults &defaults,
                                                                                    const QString &folderKey,
                                                                                    const QStringList &nameFilters) const
{
    if (!chooseFiles)
        return std::nullopt;
    QString start = defaults.stringForKey(folderKey);
    if (start.isEmpty())
        start = QDir::homePath();
    std::optional<ChosenFiles> chosen = chooseFiles(window, start, nameFilters);
    if (chosen && !chosen->folder.isEmpty())
        defaults.setString(folderKey, chosen->folder);
    return chosen;
}
