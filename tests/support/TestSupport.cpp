#include "TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>

#include <gtest/gtest.h>

#include <fcntl.h>

#include <cstdlib>

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

QByteArray encodedImage(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format)) << format;
    return bytes;
}

QByteArray blackPdf(double side)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QSizeF(side, side), QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(72);
    QPainter painter(&writer);
    painter.fillRect(QRectF(0, 0, side, side), Qt::black);
    painter.end();
    return bytes;
}

QDateTime utc(int year, int month, int day, int hour, int minute, int second, int msec)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, msec), Qt::UTC);
}

QByteArray readFixture(const QString &relative)
{
    return readFile(dataPath(relative));
}

PWPlist withEveryEntrySet(const PWPlist &list, const QString &key, const PWPlist &value)
{
    if (list.isArray()) {
        PWPlist::Array items;
        for (const PWPlist &item : list.toArray())
            items.append(withEveryEntrySet(item, key, value));
        return PWPlist(items);
    }
    if (!list.isDictionary())
        return list;
    PWPlist::Dictionary entries;
    for (const auto &[name, entry] : list.toDictionary())
        entries.insert(name, name == key ? value : withEveryEntrySet(entry, key, value));
    return PWPlist(entries);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray readFileAtBytes(const QByteArray &path)
{
    QFile file;
    const int descriptor = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    return descriptor >= 0 && file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle) ? file.readAll()
                                                                                                      : QByteArray();
}

bool writeFileAtBytes(const QByteArray &path, const QByteArray &bytes)
{
    QFile file;
    const int descriptor = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    return descriptor >= 0 && file.open(descriptor, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)
           && file.write(bytes) == bytes.size() && file.flush();
}

QString homePath()
{
    return QDir::homePath();
}

namespace {
bool g_endedOnPurpose = false;
}

void exitRun(int code)
{
    g_endedOnPurpose = true;
    std::exit(code);
}

bool runEndedOnPurpose()
{
    return g_endedOnPurpose;
}

} // namespace pwtest
