#pragma once

#include "platform/PWAttributedString.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Reads RTF 1.x styled text into an attributed string: the font and colour tables; font, size,
// bold, italic, underline, strikethrough, foreground and background colours, kerning (\expnd,
// \expndtw), baseline offset (\up, \dn), super- and subscript; paragraph alignment, spacing,
// line heights (with the original platform's \slleading, \slminimum and \slmaximum), indents and tab stops;
// Unicode (\uN with \ucN) and bytes in the document's code page (\ansicpg, \mac, \pc, \pca and
// the fonts' \fcharset). Destinations it does not know are skipped, and an attachment of the
// flattened RTFD form (\NeXTGraphic) becomes an object replacement character that names its file
// in the custom attribute "NeXTGraphic". Malformed text answers a reason, never a partial text.
class PWRtfReader
{
public:
    static constexpr int kMaxDepth = 100;

    // The one entry point for bytes.
    static std::optional<PWAttributedString> read(const QByteArray &bytes, QString *error = nullptr);
};
