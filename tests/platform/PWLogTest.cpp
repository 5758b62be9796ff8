#include "platform/PWLog.h"

#include "platform/PWUserDefaults.h"

#include <gtest/gtest.h>

// Info level and above only: diagnostics written in debug mode must still come through.
Q_LOGGING_CATEGORY(lcLogTestQuiet, "pw.test.quiet", QtInfoMsg)

namespace {

// Collects "category: text" of every message.
class LogCapture
{
public:
    LogCapture()
    {
        s_lines.clear();
        m_previous = qInstallMessageHandler(&LogCapture::handler);
    }
    ~LogCapture() { qInstallMessageHandler(m_previous); }
    QString lines() const { return s_lines.join(QLatin1Char('|')); }
private:
    static void handler(QtMsgType, const QMessageLogContext &context, const QString &text)
    {
        s_lines.append(QString::fromLatin1(context.category) + QStringLiteral(": ") + text);
    }
    static inline QStringList s_lines;
    QtMessageHandler m_previous = nullptr;
};

// Sets FTDebugMode for one test and takes it away afterwards, so that the order of tests does
// not matter.
class DebugModeScope
{
public:
    explicit DebugModeScope(bool on)
    {
        PWUserDefaults::standardUserDefaults().setBool(QStringLiteral("FTDebugMode"), on);
    }
    ~DebugModeScope() { PWUserDefaults::standardUserDefaults().removeObject(QStringLiteral("FTDebugMode")); }
};

} // namespace

TEST(PWLogTest, MessagesAreAlwaysWrittenInTheirCategory)
{
    const DebugModeScope mode(false);
    LogCapture log;
    PWLog::message(QStringLiteral("No templates found in /nowhere"));
    PWLog::message(lcLogTestQuiet(), QStringLiteral("Picture p not found"));
    EXPECT_EQ(log.lines(), QStringLiteral("pw.platform: No templates found in /nowhere|pw.test.quiet: Picture p not found"));
}

TEST(PWLogTest, DebugLinesOnlyInDebugMode)
{
    for (const bool on : {false, true}) {
        const DebugModeScope mode(on);
        LogCapture log;
        PWLog::debug(lcPlatform(), QStringLiteral("shown"));
        // The category filters out its debug level; the line must be written all the same.
        PWLog::debug(lcLogTestQuiet(), QStringLiteral("despite the filter"));
        EXPECT_EQ(log.lines(), on ? QStringLiteral("pw.platform: shown|pw.test.quiet: despite the filter")
                                  : QString());
    }
}
