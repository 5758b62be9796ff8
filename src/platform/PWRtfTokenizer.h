#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// One token of RTF: a group's brace, a control word with its optional parameter, a control
// symbol, a run of plain text bytes, a byte given in hexadecimal (\'hh) or the bytes of \bin.
struct PWRtfToken
{
    enum class Type { GroupStart, GroupEnd, ControlWord, ControlSymbol, Text, HexByte, Binary };

    Type type = Type::Text;
    // The control word's name, the symbol, the text or binary bytes, or the one hex byte.
    QByteArray bytes;
    bool hasParameter = false;
    int parameter = 0;

    bool operator==(const PWRtfToken &other) const = default;
};

// The first stage of reading RTF (RTF 1.x as publicly documented): bytes to
// tokens, with bounds checked everywhere. Line ends in plain text are dropped, as RTF ignores
// them; control words longer than 32 letters and parameters beyond the 32-bit range are errors.
class PWRtfTokenizer
{
public:
    static constexpr qsizetype kMaxInputSize = qsizetype(32) * 1024 * 1024;
    static constexpr int kMaxWordLength = 32;

    static std::optional<QList<PWRtfToken>> tokenize(const QByteArray &bytes, QString *error = nullptr);
};
