#include "TestSupport.h"

#include <QDir>
#include <QFile>
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

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray readFixture(const QString &relative)
{
    return readFile(dataPath(relative));
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QString homePath()
{
    return QDir::homePath();
}

} // namespace pwtest
