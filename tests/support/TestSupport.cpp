#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>

namespace pwtest {

QString dataPath(const QString &relative)
{
    const QString base = QStringLiteral(PW_TEST_DATA_DIR);
    return relative.isEmpty() ? base : base + QLatin1Char('/') + relative;
}

QString sharedFixturesPath(const QString &relative)
{
    const QString base = QStringLiteral(PW_SHARED_FIXTURES_DIR);
    if (!QFileInfo(base).isDir())
        return QString();
    return relative.isEmpty() ? base : base + QLatin1Char('/') + relative;
}

QString homePath()
{
    return QDir::homePath();
}

} // namespace pwtest
