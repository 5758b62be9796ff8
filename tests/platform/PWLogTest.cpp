#include "platform/PWLog.h"

#include "platform/PWUserDefaults.h"

#include <gtest/gtest.h>

// Info level and above only: diagnostics written in debug mode must still come through.
Q_LOGGING_CATEGORY(lcLogTestQuiet, "pw.test.quiet", QtInfoMsg)

namespace {

struct Captured
{
    QtMsgType type;
    QString category;
    QString text;
};

class LogCapture
{
public:
    LogCapture()
    {
        s_messages.clear();
        m_previous = qInstallMessageHandler(&LogCapture::handler);
    }
    ~LogCapture() { qInstallMessageHandler(m_previous); }
    const QList<Captured> &messages() const { return s_messages; }

private:
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        s_messages.append({type, QString::fromLatin1(context.category), text});
    }
    static inline QList<Captured> s_messages;
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
    ASSERT_EQ(log.messages().size(), 2);
    EXPECT_EQ(log.messages().at(0).category, QStringLiteral("pw.platform"));
    EXPECT_EQ(log.messages().at(0).text, QStringLiteral("No templates found in /nowhere"));
    EXPECT_EQ(log.messages().at(1).category, QStringLiteral("pw.test.quiet"));
    EXPECT_EQ(log.messages().at(1).text, QStringLiteral("Picture p not found"));
    for (const Captured &message : log.messages())
        EXPECT_NE(message.type, QtDebugMsg);
}

TEST(PWLogTest, DebugLinesOnlyInDebugMode)
{
    {
        const DebugModeScope mode(false);
        LogCapture log;
        PWLog::debug(lcPlatform(), QStringLiteral("hidden"));
        PWLog::debug(lcLogTestQuiet(), QStringLiteral("hidden too"));
        EXPECT_TRUE(log.messages().isEmpty());
    }
    {
        const DebugModeScope mode(true);
        LogCapture log;
        PWLog::debug(lcPlatform(), QStringLiteral("shown"));
        // The category filters out its debug level; the line must be written all the same.
        PWLog::debug(lcLogTestQuiet(), QStringLiteral("shown despite the filter"));
        ASSERT_EQ(log.messages().size(), 2);
        EXPECT_EQ(log.messages().at(0).category, QStringLiteral("pw.platform"));
        EXPECT_EQ(log.messages().at(0).text, QStringLiteral("shown"));
        EXPECT_EQ(log.messages().at(1).category, QStringLiteral("pw.test.quiet"));
        EXPECT_EQ(log.messages().at(1).text, QStringLiteral("shown despite the filter"));
    }
}
