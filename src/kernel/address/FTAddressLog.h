#pragma once

#include <QLoggingCategory>

// The logging category of the addressing code: text categories, person fields, address formats
// and stored persons.
Q_DECLARE_LOGGING_CATEGORY(lcAddress)
