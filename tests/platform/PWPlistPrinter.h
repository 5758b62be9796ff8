#pragma once

#include "platform/PWPlist.h"

#include <ostream>

// Lets GoogleTest show a property-list value in failure messages, as XML text.
inline void PrintTo(const PWPlist &value, std::ostream *stream)
{
    *stream << value.toXml().toStdString();
}
