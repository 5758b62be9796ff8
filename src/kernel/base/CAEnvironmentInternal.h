#pragma once

#include "kernel/base/CAEnvironment.h"

#include <QLoggingCategory>

#include <mutex>

// Shared between the source files of CAEnvironment; not part of its interface.

Q_DECLARE_LOGGING_CATEGORY(lcEnvironment)

namespace CAEnvironmentInternal {

// The hooks the layers above set, behind one lock: they may be set from start-up code while
// a worker already asks the environment.
struct Hooks
{
    std::mutex mutex;
    CAEnvironment::PersonPropertiesRegistration personProperties;
    CAEnvironment::PaperSizeSource paperSize;
    CAEnvironment::CountryFormatPredicate countryFormat;
};
Hooks &hooks();

// folder + "/" + component, with one separator between them and none at the end.
QString appendPath(const QString &folder, const QString &component);

// The last path component as the platform took it: trailing separators do not count.
QString lastPathComponent(const QString &path);

// A configured link text with its "%@" (the first, if any) replaced by version. The text is
// never a printf format: every other character, "%" included, stands for itself.
QString fillVersionSlot(const QString &text, const QString &version);

} // namespace CAEnvironmentInternal
