#pragma once

#include <QString>

namespace pwtest {

// Folder of the fixtures the project authored (tests/data).
QString dataPath(const QString &relative = QString());

// Folder of the fixtures made by other programs, shared beside the project; empty when absent.
QString sharedFixturesPath(const QString &relative = QString());

// Private HOME of this test process; XDG_CONFIG_HOME, XDG_DATA_HOME and XDG_CACHE_HOME lie below it.
QString homePath();

} // namespace pwtest
