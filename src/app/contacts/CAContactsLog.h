#pragma once

#include <QLoggingCategory>

// The contact side's log lines: files and caches that could not be read, rows left out of an
// import, stored persons that no longer read.
Q_DECLARE_LOGGING_CATEGORY(lcContacts)
