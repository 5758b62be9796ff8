#pragma once

#include "platform/PWAttributedString.h"

#include <QByteArray>

// Writes an attributed string as RTF 1.x ("{\rtf1\ansi\ansicpg1252" with font and colour
// tables) in the form PWRtfReader reads back: one \pard per paragraph with its attributes, and
// one group per run with its character attributes, so that no run inherits another's. Fonts are
// named by PostScript name, as the original platform's RTF does; characters outside ASCII are
// written as \uN. What RTF cannot say (colour spaces, alpha, custom attributes other than
// attachments) is not written.
class PWRtfWriter
{
public:
    static QByteArray write(const PWAttributedString &text);
};
