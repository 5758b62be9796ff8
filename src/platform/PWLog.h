#pragma once

#include <QLoggingCategory>
#include <QString>

// The system's log: messages go to standard error through Qt's logging, each in the logging
// category of its subsystem ("pw.platform", "pw.kernel.archive", ...). Extra diagnostics are
// written only while the user default "FTDebugMode" is set.
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)

namespace PWLog {

// Always written (messages for the system log).
void message(const QLoggingCategory &category, const QString &text);
void message(const QString &text);

// True while the user default "FTDebugMode" is set.
bool debugMode();

// Written only in debug mode.
void debug(const QLoggingCategory &category, const QString &text);

} // namespace PWLog
