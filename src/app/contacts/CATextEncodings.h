#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The text encodings a delimited text file may be read in, by the platform string-encoding
// numbers the user defaults ("FTEncodingsKey") and the import dialog keep: each number with
// the converter that decodes it and the name a person sees. Numbers with the top bit set are
// the foreign encodings, written as negative numbers in the stored list.
class CATextEncodings
{
public:
    static constexpr quint32 kUTF8 = 4;
    static constexpr quint32 kISOLatin1 = 5;
    static constexpr quint32 kUnicode = 10; // UTF-16, byte order by its mark, else guessed

    // Whether the number names an encoding this system can decode.
    static bool isKnown(quint32 encoding);
    // "Western (Windows Latin 1)" and the like; empty for an unknown number.
    static QString displayName(quint32 encoding);
    // The number of a stored list entry ("%d" of the signed value); nothing for "-" or junk.
    static std::optional<quint32> fromStoredText(const QString &text);

    // The text of the bytes, or nothing with a reason when the encoding is unknown or rejects
    // the bytes. A byte-order mark of the encoding itself is dropped.
    static std::optional<QString> decode(const QByteArray &bytes, quint32 encoding, QString *reason = nullptr);

    // The encoding a file's bytes most likely are in: UTF-8 or UTF-16 by a byte-order mark,
    // UTF-16 by the zero bytes of mostly-ASCII text, else UTF-8 when the bytes are valid UTF-8,
    // else ISO Latin 1, which accepts any bytes.
    static quint32 detect(const QByteArray &bytes);
};
