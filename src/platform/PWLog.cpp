#include "platform/PWLog.h"

#include "platform/PWUserDefaults.h"

Q_LOGGING_CATEGORY(lcPlatform, "pw.platform")

namespace PWLog {

namespace {

// Set while debugMode() consults the user defaults, so that a log line written while the store
// itself is being made (a corrupt settings file, say) does not re-enter its construction.
thread_local bool t_readingDebugMode = false;

} // namespace

void message(const QLoggingCategory &category, const QString &text)
{
    // Warning level: enabled by default, so these lines are written whatever the debug rules say.
    qCWarning(category).noquote() << text;
}

void message(const QString &text)
{
    message(lcPlatform(), text);
}

bool debugMode()
{
    if (t_readingDebugMode)
        return false;
    t_readingDebugMode = true;
    struct Reset
    {
        ~Reset() { t_readingDebugMode = false; }
    } reset;
    return PWUserDefaults::standardUserDefaults().boolForKey(QStringLiteral("FTDebugMode"));
}

void debug(const QLoggingCategory &category, const QString &text)
{
    if (!debugMode())
        return;
    // Info level rather than debug: the user asked for these lines through FTDebugMode, and a
    // category whose debug level is filtered out must not swallow them.
    qCInfo(category).noquote() << text;
}

} // namespace PWLog
