#pragma once

#include <QLoggingCategory>

// The application document's log lines: files refused, persons that could not be copied.
Q_DECLARE_LOGGING_CATEGORY(lcDocument)
