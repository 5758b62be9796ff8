#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

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
    static constexpr quint32 kWindowsLatin1 = 12;
    static constexpr quint32 kUnicode = 10; // UTF-16, byte order by its mark, else guessed
    static constexpr quint32 kWindowsCyrillic = 11;
    static constexpr quint32 kWindowsGreek = 13;
    static constexpr quint32 kWindowsLatin2 = 15;

    // Whether the number names an encoding this system can decode.
    static bool isKnown(quint32 encoding);
    // "Western (Windows Latin 1)" and the like; empty for an unknown number.
    static QString displayName(quint32 encoding);
    // The number of a stored list entry ("%d" of the signed value); nothing for "-" or junk.
    static std::optional<quint32> fromStoredText(const QString &text);

    // The text of the bytes, or nothing with a reason when the encoding is unknown or (UTF-8,
    // UTF-16) rejects the bytes. A byte-order mark of the encoding itself is dropped. Lines end at
    // CR, LF or CR LF; linesNote gets a sentence naming the lines read otherwise:
    // - UTF-8 text with a few lines in a single-byte encoding (a list pasted together from several
    //   exports) is still UTF-8 when it is that in the main (detect()): those lines are read as
    //   UTF-8 where their bytes are that and as Windows Latin 1 elsewhere.
    // - An encoding chosen that does not read a line reads it as UTF-8 when it is that, else as
    //   Windows Latin 1.
    // - An encoding guessed (detect()) reads the lines that are not UTF-8, each of them named:
    //   a guess from bytes cannot tell Western letters from Shift-JIS.
    // - With fileNote, a guessed file of one 8-bit encoding throughout (no line of UTF-8 beyond
    //   ASCII, every other line the letters of the encoding by their look, looksLikeLettersOf: an
    //   export of a mail program in Windows Latin 1 or Cyrillic) is read in it and said so once in
    //   fileNote; linesNote stays empty.
    static std::optional<QString> decode(const QByteArray &bytes, quint32 encoding, QString *reason = nullptr,
                                         QString *linesNote = nullptr, bool guessed = false,
                                         QString *fileNote = nullptr);

    // Whether a line read in a Western 8-bit encoding looks like Western text: each character
    // beyond ASCII a letter or the punctuation of names and addresses, no quote, symbol or
    // control between two letters, no word of two letters or more beyond ASCII only. Shift-JIS,
    // Cyrillic or Greek read so mostly fail it.
    static bool looksWestern(QStringView line);
    // The same for a line read in one of the 8-bit encodings a guess may pick (Windows Latin 1
    // and 2, ISO Latin 1, Windows Cyrillic and Greek): its letters beyond ASCII are of the
    // encoding's script, each word of one script, written as that script is (no capital inside
    // a Cyrillic or Greek word, a Greek final sigma only at a word's end). False for any other
    // encoding.
    static bool looksLikeLettersOf(QStringView line, quint32 encoding);
    // The 8-bit encoding the lines of bytes that are no UTF-8 show by their letters: of Windows
    // Latin 1, Latin 2, Cyrillic and Greek, the one whose reading of every such line looks like
    // its letters (looksLikeLettersOf); where several do and read differently, the one a charset
    // detector made for this ranks first. Nothing when none does, or none of those the detector
    // names: then no guess is good enough to read the file without naming its lines.
    static std::optional<quint32> guessEightBit(const QByteArray &bytes);

    // The encoding a file's bytes most likely are in: UTF-8 or UTF-16 by a byte-order mark,
    // UTF-16 by the zero bytes of mostly-ASCII text, else UTF-8 when the bytes are valid UTF-8 or
    // mostly so (above), else the 8-bit encoding its letters show (guessEightBit), else Windows
    // Latin 1 when every byte has a character there, else ISO Latin 1, which accepts any bytes.
    static quint32 detect(const QByteArray &bytes);

    // Windows Latin 1, with the five bytes it leaves undefined read as ISO Latin 1 does.
    static QString decodeWindowsLatin1(QByteArrayView bytes);
};
