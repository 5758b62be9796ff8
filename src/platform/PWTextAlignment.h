#pragma once

#include <Qt>

#include <cstdint>

// Paragraph alignment with the numbering documents store in their paragraph styles
// (0 left, 1 right, 2 centre, 3 justified, 4 natural). Natural follows the writing direction;
// left and right do not.
enum class PWTextAlignment : std::int32_t { Left = 0, Right = 1, Center = 2, Justified = 3, Natural = 4 };

// Horizontal alignment flags for Qt's text layout; values outside the five are natural.
Qt::Alignment toQtAlignment(PWTextAlignment alignment);
// The alignment behind Qt's horizontal flags (vertical flags are ignored).
PWTextAlignment fromQtAlignment(Qt::Alignment alignment);
