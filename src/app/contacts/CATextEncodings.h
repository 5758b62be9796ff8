#pragma once

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>
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
    static constexpr quint32 kISOLatin2 = 9;
    static constexpr quint32 kISOCyrillic = 0x80000205u;
    static constexpr quint32 kISOGreek = 0x80000207u;
    static constexpr quint32 kKOI8R = 0x80000A02u;
    static constexpr quint32 kKOI8U = 0x80000A08u;
    static constexpr quint32 kWindowsLatin5 = 14; // Turkish
    static constexpr quint32 kISOLatin5 = 0x80000209u;
    static constexpr quint32 kISOLatin9 = 0x8000020Fu; // ISO Latin 1 with the euro sign and the French oe

    // Whether the number names an encoding this system can decode.
    static bool isKnown(quint32 encoding);
    // The name a person types for it ("windows-1250", "ISO-8859-2", "KOI8-R"); empty for an
    // unknown number.
    static QString name(quint32 encoding);
    // The number of a typed name, whatever its case and punctuation ("Windows-1250", "cp1250",
    // "iso8859-2" and the display name alike), or any other name the ICU converters give the
    // same encoding ("latin2", "l9", "koi8u", "ibm-1252"); nothing for a name of no encoding known
    // here.
    static std::optional<quint32> fromName(const QString &name);
    // Every name fromName() takes in the first place, one per encoding.
    static QStringList names();
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
    // - With fileNote, a guessed file of one 8-bit encoding throughout whose letters read as
    //   words in it (readsAsWords: guessEightBit() took it) and no line of UTF-8 beyond ASCII (an
    //   export of a mail program in Windows Latin 1 or Cyrillic) is read in it and said so once
    //   in fileNote; linesNote stays empty.
    static std::optional<QString> decode(const QByteArray &bytes, quint32 encoding, QString *reason = nullptr,
                                         QString *linesNote = nullptr, bool guessed = false,
                                         QString *fileNote = nullptr, bool readsAsWords = false);

    // Whether a line read in a Western 8-bit encoding looks like Western text: each character
    // beyond ASCII a letter or the punctuation of names and addresses, no quote, symbol or
    // control between two letters, no word of two letters or more beyond ASCII only. Shift-JIS,
    // Cyrillic or Greek read so mostly fail it.
    static bool looksWestern(QStringView line);
    // The same for text read in one of the 8-bit encodings a guess weighs (guessEightBit): no
    // mark at all of weighLetters(), no rare letter. False for any other encoding.
    static bool looksLikeLettersOf(QStringView line, quint32 encoding);
    // The script of the letters of a weighed 8-bit encoding; nothing for any other.
    static std::optional<QChar::Script> script(quint32 encoding);

    // What the letters of text read in one of the weighed 8-bit encodings say of that reading.
    struct LetterWeight
    {
        // A character no text holds (a control, an empty place of the encoding), a letter of
        // another script, a word of Latin and Cyrillic or Greek letters at once.
        bool impossible = false;
        // Marks that some other letter was misread: a sign inside a word, a capital after a
        // small letter in a Cyrillic or Greek word, a Latin word of accented letters only.
        qsizetype strong = 0;
        // Rare but real: a currency sign against a word ("€uro", "£ukasz": a Polish "Łukasz"
        // read as Western), a sign no name holds standing apart. A reading without them is
        // preferred to one with them.
        qsizetype mild = 0;
        // Rare letters: a Greek word opening with a dialytika ("Ϋ"). They only count against
        // the rest; another reading of the same letters is no likelier for lacking them.
        qsizetype rareLetters = 0;
        // The words with letters beyond ASCII and the signs beyond ASCII: what the marks are
        // weighed against.
        qsizetype items = 0;
    };
    static LetterWeight weighLetters(QStringView text, quint32 encoding);

    // The 8-bit encodings a guess weighs, in the order that ranks them where nothing else does:
    // Windows Latin 1, Latin 2, Cyrillic and Greek, ISO Latin 2, KOI8-R, ISO Cyrillic and ISO
    // Greek, then Windows Latin 5 (Turkish), ISO Latin 9, ISO Latin 5 and KOI8-U. Of two that read
    // a file alike, the first is named.
    static const QList<quint32> &weighedEncodings();
    // The weighed encodings a locale of a language prefers (an ISO 639 code: "cs", "ru", "el"):
    // those that write its letters (CALetterPairs), in the weighed order. "C", "POSIX" and a
    // language of no weighed encoding prefer Windows Latin 1.
    static QList<quint32> encodingsOfLanguage(const QString &language);
    // The languages of CALetterPairs::shared() a weighed encoding can write; none for another.
    static const QList<qsizetype> &languagesWrittenIn(quint32 encoding);
    // The language part of the locale that decides what characters are: LC_ALL, else LC_CTYPE,
    // else LANG ("cs" of "cs_CZ.UTF-8"); "C" when none is set.
    static QString localeLanguage();

    // An 8-bit reading of the lines of a file that are no UTF-8.
    struct EightBitReading
    {
        enum class By {
            Letters, // the one reading whose letters read as words, or far likelier ones than any other
            Detector, // several read so; a charset detector plainly named this one
            Locale, // several read so; the one of the locale's language
            Order, // several read so, none of the locale's language: the likeliest words
        };
        quint32 encoding = 0;
        By decidedBy = By::Letters;
        // The other readings whose letters read as well, in the weighed order.
        QList<quint32> alternatives;
    };
    // Of the weighed encodings, the readings of the lines that are no UTF-8 (a bounded sample)
    // that read as words: nothing impossible, no strong mark, and mild marks and rare letters
    // rare (at most one for each three items, one at least); of those, the ones with the fewest
    // mild marks. Their words are weighed by how the languages each encoding writes spell
    // (CALetterPairs): a reading far likelier than every other (kLettersDecide) is taken; of
    // several about as likely, the first of the locale's language's encodings, else the one a
    // charset detector names plainly (a confidence of at least kDetectorPlain, twice any
    // other's), else the likeliest. Nothing when no reading reads as words: then no guess is good
    // enough to read the file without naming its lines.
    static std::optional<EightBitReading> guessEightBit(const QByteArray &bytes, const QString &language);
    static std::optional<EightBitReading> guessEightBit(const QByteArray &bytes)
    {
        return guessEightBit(bytes, localeLanguage());
    }
    // How much likelier (a natural logarithm) one reading's words must be than another's for the
    // letters to decide between them: twenty times.
    static constexpr double kLettersDecide = 3.0;
    static constexpr int kDetectorPlain = 60;

    // The encoding a file's bytes most likely are in: UTF-8 or UTF-16 by a byte-order mark,
    // UTF-16 by the zero bytes of mostly-ASCII text, else UTF-8 when the bytes are valid UTF-8 or
    // mostly so (above), else the 8-bit encoding its letters show (guessEightBit, under the
    // language given, which eightBit gets), else Windows Latin 1 when every byte has a character
    // there, else ISO Latin 1, which accepts any bytes.
    static quint32 detect(const QByteArray &bytes, const QString &language,
                          std::optional<EightBitReading> *eightBit = nullptr);
    static quint32 detect(const QByteArray &bytes) { return detect(bytes, localeLanguage()); }

    // Windows Latin 1, with the five bytes it leaves undefined read as ISO Latin 1 does.
    static QString decodeWindowsLatin1(QByteArrayView bytes);
};
