#pragma once

#include "platform/PWPlist.h"
#include "platform/PWUserDefaults.h"

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace pwtest {

// How long a test waits for an event it expects before it calls the event missing. A wait that is
// met returns at once; the bound only ends a test whose event never comes, and is long enough for a
// loaded two-core machine.
inline constexpr int kEventWaitMs = 120000;

// Folder of the fixtures the project authored (tests/data).
QString dataPath(const QString &relative = QString());

// Folder of the fixtures made by other programs, shared beside the project; empty when absent.
QString sharedFixturesPath(const QString &relative = QString());

// The whole contents of a file; empty when it cannot be read.
QByteArray readFile(const QString &path);

// The bytes of a fixture the project authored, by its path below tests/data; empty when absent.
QByteArray readFixture(const QString &relative);

// An image encoded in the format Qt names `format`; a failure of the encoder fails the test.
QByteArray encodedImage(const QImage &image, const char *format);

// A one-page PDF of `side` points square, filled black.
QByteArray blackPdf(double side = 30);

// A moment in UTC.
QDateTime utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int msec = 0);

// Writes a whole file, replacing it; false when it cannot be written.
bool writeFile(const QString &path, const QByteArray &bytes);

// The property list with every entry named key, at any depth of dictionaries and lists, set to
// value (a file another program wrote with that value throughout).
PWPlist withEveryEntrySet(const PWPlist &list, const QString &key, const PWPlist &value);

// The same two for a file named by bytes (a name that is no UTF-8 has no faithful QString).
QByteArray readFileAtBytes(const QByteArray &path);
bool writeFileAtBytes(const QByteArray &path, const QByteArray &bytes);

// Private HOME of this test process; XDG_CONFIG_HOME, XDG_DATA_HOME and XDG_CACHE_HOME lie below it.
QString homePath();

// Ends this test process with the code, as a started copy of a suite that only reports does. Any
// other end before the suite has run is a failure of the test that was running.
[[noreturn]] void exitRun(int code);
bool runEndedOnPurpose();

// Collects the log lines written while it lives instead of letting them through.
class LogCapture
{
public:
    LogCapture() { lines().clear(), m_previous = qInstallMessageHandler(&LogCapture::handler); }
    ~LogCapture() { qInstallMessageHandler(m_previous); }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    static QStringList &lines()
    {
        static QStringList collected;
        return collected;
    }

private:
    static void handler(QtMsgType, const QMessageLogContext &, const QString &message) { lines() << message; }
    QtMessageHandler m_previous;
};

// Sets a user default of the process-wide store while it lives; on destruction the key gets back
// the value it had stored, or loses it if it had none, so a failed assertion leaks no setting.
class ScopedDefault
{
public:
    ScopedDefault(const QString &key, const PWPlist &value)
        : m_key(key)
        , m_had(defaults().hasStoredValue(key))
        , m_previous(m_had ? defaults().objectForKey(key) : PWPlist())
    {
        defaults().setObject(key, value);
    }
    ScopedDefault(const QString &key, const QString &value)
        : ScopedDefault(key, PWPlist::fromString(value))
    {
    }
    ~ScopedDefault()
    {
        if (m_had)
            defaults().setObject(m_key, m_previous);
        else
            defaults().removeObject(m_key);
    }
    ScopedDefault(const ScopedDefault &) = delete;
    ScopedDefault &operator=(const ScopedDefault &) = delete;

private:
    static PWUserDefaults &defaults() { return PWUserDefaults::standardUserDefaults(); }
    QString m_key;
    bool m_had;
    PWPlist m_previous;
};

} // namespace pwtest
