#pragma once

#include <QByteArray>
#include <QStringView>

#include <optional>

// The Mac Roman bytes of a text, as paper catalogues and clip-art catalogues of the original
// platform were parsed: nothing when the text has a character Mac Roman lacks or needs more
// than 255 bytes (the limit of a length-prefixed string).
std::optional<QByteArray> toMacRomanPascal(QStringView text);

// The Mac Roman byte of one UTF-16 code unit, or nothing.
std::optional<char> macRomanByte(char16_t unit);
