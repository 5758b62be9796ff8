#include "app/contacts/CATextEncodings.h"

#include "app/contacts/CALetterPairs.h"
#include "platform/PWUtf8.h"

#include <QHash>
#include <QStringDecoder>
#include <QVarLengthArray>

#include <unicode/ucnv.h>
#include <unicode/ucsdet.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <memory>

namespace {

constexpr quint32 kForeign = 0x80000000u;

struct EncodingEntry
{
    quint32 number;
    const char *codec; // a name QStringDecoder knows; null for UTF-16, decoded by hand
    const char *displayName;
};

// The default list of the import dialog first, then numbers other versions have stored.
// The two Mac encodings of East Asia have no converter of their own here; their nearest
// relatives read the characters they share with them.
constexpr std::array<EncodingEntry, 26> kEncodings = {{
    {10, nullptr, "Unicode (UTF-16)"},
    {4, "UTF-8", "Unicode (UTF-8)"},
    {30, "macintosh", "Western (Mac OS Roman)"},
    {12, "windows-1252", "Western (Windows Latin 1)"},
    {5, "ISO-8859-1", "Western (ISO Latin 1)"},
    {kForeign | 0x0203u, "ISO-8859-3", "Western (ISO Latin 3)"},
    {kForeign | 0x020Fu, "ISO-8859-15", "Western (ISO Latin 9)"},
    {kForeign | 0x0001u, "Shift_JIS", "Japanese (Mac OS)"},
    {8, "Shift_JIS", "Japanese (Windows, DOS)"},
    {kForeign | 0x0002u, "Big5", "Traditional Chinese (Mac OS)"},
    {kForeign | 0x0007u, "x-mac-cyrillic", "Cyrillic (Mac OS)"},
    {11, "windows-1251", "Cyrillic (Windows)"},
    {kForeign | 0x0A02u, "KOI8-R", "Cyrillic (KOI8-R)"},
    {1, "US-ASCII", "Western (ASCII)"},
    {3, "EUC-JP", "Japanese (EUC)"},
    {9, "ISO-8859-2", "Central European (ISO Latin 2)"},
    {13, "windows-1253", "Greek (Windows)"},
    {14, "windows-1254", "Turkish (Windows Latin 5)"},
    {15, "windows-1250", "Central European (Windows Latin 2)"},
    {kForeign | 0x0100u, nullptr, "Unicode (UTF-16)"},
    {0x90000100u, "UTF-16BE", "Unicode (UTF-16BE)"},
    {0x94000100u, "UTF-16LE", "Unicode (UTF-16LE)"},
    {CATextEncodings::kISOCyrillic, "ISO-8859-5", "Cyrillic (ISO 8859-5)"},
    {CATextEncodings::kISOGreek, "ISO-8859-7", "Greek (ISO 8859-7)"},
    {CATextEncodings::kISOLatin5, "ISO-8859-9", "Turkish (ISO Latin 5)"},
    {CATextEncodings::kKOI8U, "KOI8-U", "Ukrainian (KOI8-U)"},
}};

const EncodingEntry *entryFor(quint32 number)
{
    for (const EncodingEntry &entry : kEncodings) {
        if (entry.number == number)
            return &entry;
    }
    return nullptr;
}

void setReason(QString *reason, const QString &text)
{
    if (reason)
        *reason = text;
}

// UTF-16 without a byte-order mark: text of mostly ASCII characters has a zero byte in every
// other place, the even places for big-endian and the odd ones for little-endian.
std::optional<QStringConverter::Encoding> utf16ByZeros(const QByteArray &bytes)
{
    const qsizetype pairs = std::min<qsizetype>(bytes.size() / 2, 512);
    if (pairs == 0)
        return std::nullopt;
    qsizetype evenZeros = 0;
    qsizetype oddZeros = 0;
    for (qsizetype i = 0; i < pairs; ++i) {
        evenZeros += bytes.at(2 * i) == 0;
        oddZeros += bytes.at(2 * i + 1) == 0;
    }
    if (oddZeros * 10 >= pairs * 7 && evenZeros * 10 < pairs)
        return QStringConverter::Utf16LE;
    if (evenZeros * 10 >= pairs * 7 && oddZeros * 10 < pairs)
        return QStringConverter::Utf16BE;
    return std::nullopt;
}

bool startsWith(const QByteArray &bytes, std::initializer_list<quint8> mark)
{
    if (bytes.size() < qsizetype(mark.size()))
        return false;
    qsizetype i = 0;
    for (const quint8 byte : mark) {
        if (quint8(bytes.at(i++)) != byte)
            return false;
    }
    return true;
}

std::optional<QString> decodeWith(QStringDecoder &decoder, QByteArrayView bytes, const char *name, QString *reason)
{
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        setReason(reason, QStringLiteral("the file is not valid %1 text").arg(QString::fromLatin1(name)));
        return std::nullopt;
    }
    return text;
}

bool isWindowsLatin1Gap(quint8 byte)
{
    return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

bool isAscii(QByteArrayView line)
{
    for (const char byte : line) {
        if (quint8(byte) >= 0x80)
            return false;
    }
    return true;
}

// Calls take(line, line end) for each line of the bytes; a line ends at LF, CR or CR LF.
template<typename Take>
void forEachLine(QByteArrayView bytes, Take take)
{
    qsizetype start = 0;
    const qsizetype size = bytes.size();
    while (start < size) {
        qsizetype end = start;
        while (end < size && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        qsizetype next = end;
        if (next < size)
            next += (bytes[next] == '\r' && next + 1 < size && bytes[next + 1] == '\n') ? 2 : 1;
        take(bytes.sliced(start, end - start), bytes.sliced(end, next - end));
        start = next;
    }
}

// Whether bytes that are no valid UTF-8 are still UTF-8 in the main: more lines with non-ASCII
// characters decode as UTF-8 than do not, or the file's valid UTF-8 sequences are not outnumbered
// by the bytes that stand in none (one line of a UTF-8 program's letters with a stray byte of
// another encoding among them).
bool mostlyUtf8(QByteArrayView bytes)
{
    qsizetype utf8Lines = 0;
    qsizetype otherLines = 0;
    PWUtf8Evidence whole;
    forEachLine(bytes, [&](QByteArrayView line, QByteArrayView) {
        if (isAscii(line))
            return;
        const PWUtf8Evidence evidence = PWWeighUtf8(line);
        whole.sequences += evidence.sequences;
        whole.strayBytes += evidence.strayBytes;
        if (evidence.strayBytes == 0)
            ++utf8Lines;
        else
            ++otherLines;
    });
    return (utf8Lines > 0 && utf8Lines >= otherLines) || (whole.sequences > 0 && whole.sequences >= whole.strayBytes);
}

std::optional<QString> strictUtf8(QByteArrayView line)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(line);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// The text of bytes decoded a line at a time: ASCII lines as they are, each other line by
// inEncoding when it answers, else by otherwise, its number (from 1) then going into otherLines.
// A decoder sees one line at a time, so one that is no text of its encoding garbles nothing else;
// line ends are ASCII in every encoding read so, and never inside a character.
template<typename InEncoding, typename Otherwise>
QString decodeLineByLine(QByteArrayView bytes, InEncoding inEncoding, Otherwise otherwise,
                         QList<qsizetype> &otherLines)
{
    QString text;
    text.reserve(bytes.size());
    qsizetype number = 0;
    forEachLine(bytes, [&](QByteArrayView line, QByteArrayView end) {
        ++number;
        if (isAscii(line)) {
            text += QLatin1StringView(line);
        } else if (std::optional<QString> decoded = inEncoding(line)) {
            text += *decoded;
        } else {
            text += otherwise(line);
            otherLines.append(number);
        }
        text += QLatin1StringView(end);
    });
    return text;
}

std::optional<QString> decodeUtf16(const QByteArray &bytes, QString *reason)
{
    QByteArrayView body(bytes);
    QStringConverter::Encoding order = QStringConverter::Utf16LE;
    if (startsWith(bytes, {0xFF, 0xFE})) {
        body = body.sliced(2);
    } else if (startsWith(bytes, {0xFE, 0xFF})) {
        order = QStringConverter::Utf16BE;
        body = body.sliced(2);
    } else if (const std::optional<QStringConverter::Encoding> guessed = utf16ByZeros(bytes)) {
        order = *guessed;
    }
    if (body.size() % 2 != 0) {
        setReason(reason, QStringLiteral("the file is not valid UTF-16 text: it ends in half a character"));
        return std::nullopt;
    }
    QStringDecoder decoder(order, QStringConverter::Flag::Stateless);
    return decodeWith(decoder, body, "UTF-16", reason);
}

// The names a charset detector gives the encodings it tells apart, and the weighed encodings
// each name vouches for: it calls text of Windows Latin 2 without bytes of 0x80 to 0x9F by the
// ISO name, whose letters it weighs, and so on.
struct DetectorName
{
    const char *name;
    std::array<quint32, 2> vouchesFor;
};

constexpr DetectorName kDetectorNames[] = {
    {"windows-1252", {CATextEncodings::kWindowsLatin1, 0}},
    {"ISO-8859-1", {CATextEncodings::kWindowsLatin1, 0}},
    {"windows-1250", {CATextEncodings::kWindowsLatin2, 0}},
    {"ISO-8859-2", {CATextEncodings::kWindowsLatin2, CATextEncodings::kISOLatin2}},
    {"windows-1251", {CATextEncodings::kWindowsCyrillic, 0}},
    {"KOI8-R", {CATextEncodings::kKOI8R, 0}},
    {"ISO-8859-5", {CATextEncodings::kISOCyrillic, 0}},
    {"windows-1253", {CATextEncodings::kWindowsGreek, 0}},
    {"ISO-8859-7", {CATextEncodings::kWindowsGreek, CATextEncodings::kISOGreek}},
    {"windows-1254", {CATextEncodings::kWindowsLatin5, 0}},
    {"ISO-8859-9", {CATextEncodings::kWindowsLatin5, CATextEncodings::kISOLatin5}},
};

// The confidence (0 to 100) ICU's charset detector gives each weighed encoding for the sample:
// the best of the names that vouch for it; 0 where none does.
QHash<quint32, int> detectorConfidences(QByteArrayView sample)
{
    QHash<quint32, int> confidences;
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UCharsetDetector, decltype(&ucsdet_close)> detector(ucsdet_open(&status), &ucsdet_close);
    if (U_FAILURE(status) || !detector)
        return confidences;
    ucsdet_setText(detector.get(), sample.data(), int32_t(sample.size()), &status);
    int32_t found = 0;
    const UCharsetMatch **matches = ucsdet_detectAll(detector.get(), &found, &status);
    for (int32_t i = 0; U_SUCCESS(status) && matches && i < found; ++i) {
        UErrorCode matchStatus = U_ZERO_ERROR;
        const char *name = ucsdet_getName(matches[i], &matchStatus);
        const int confidence = ucsdet_getConfidence(matches[i], &matchStatus);
        if (U_FAILURE(matchStatus) || !name)
            continue;
        for (const DetectorName &known : kDetectorNames) {
            if (qstricmp(known.name, name) != 0)
                continue;
            for (const quint32 encoding : known.vouchesFor) {
                if (encoding != 0)
                    confidences[encoding] = std::max(confidences.value(encoding), confidence);
            }
        }
    }
    return confidences;
}

QString decodeEightBit(QByteArrayView bytes, quint32 number)
{
    if (number == CATextEncodings::kWindowsLatin1)
        return CATextEncodings::decodeWindowsLatin1(bytes);
    QStringDecoder decoder(entryFor(number)->codec, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

} // namespace

bool CATextEncodings::isKnown(quint32 encoding)
{
    return entryFor(encoding) != nullptr;
}

QString CATextEncodings::name(quint32 encoding)
{
    const EncodingEntry *entry = entryFor(encoding);
    if (!entry)
        return QString();
    if (!entry->codec)
        return QStringLiteral("UTF-16");
    return QString::fromLatin1(entry->codec);
}

QStringList CATextEncodings::names()
{
    QStringList all;
    for (const EncodingEntry &entry : kEncodings) {
        const QString own = name(entry.number);
        if (!all.contains(own))
            all.append(own);
    }
    return all;
}

std::optional<quint32> CATextEncodings::fromName(const QString &typed)
{
    // Only letters and digits count: "ISO-8859-2", "iso8859_2" and "ISO 8859-2" are one name,
    // and the code page of a Windows encoding is its number ("cp1250").
    const auto bare = [](QString text) {
        text = text.toLower();
        text.removeIf([](QChar c) { return !c.isLetterOrNumber(); });
        if (text.startsWith(QLatin1String("cp")) && text.size() == 6)
            text.replace(0, 2, QStringLiteral("windows"));
        return text;
    };
    const QString wanted = bare(typed);
    if (wanted.isEmpty())
        return std::nullopt;
    for (const EncodingEntry &entry : kEncodings) {
        if (bare(name(entry.number)) == wanted || bare(QString::fromLatin1(entry.displayName)) == wanted)
            return entry.number;
    }
    // Another name of the same converter: ICU knows the names of the standards and the common
    // ones ("latin2", "l9", "koi8u", "cp819").
    const QByteArray latin1 = typed.trimmed().toLatin1();
    if (latin1.isEmpty() || latin1.size() > 64 || latin1.contains('\0'))
        return std::nullopt;
    // Alias 0 is the converter's own name.
    UErrorCode status = U_ZERO_ERROR;
    const char *canonical = ucnv_getAlias(latin1.constData(), 0, &status);
    if (U_FAILURE(status) || !canonical)
        return std::nullopt;
    for (const EncodingEntry &entry : kEncodings) {
        UErrorCode own = U_ZERO_ERROR;
        const char *ownCanonical = ucnv_getAlias(entry.codec ? entry.codec : "UTF-16", 0, &own);
        if (U_SUCCESS(own) && ownCanonical && qstrcmp(ownCanonical, canonical) == 0)
            return entry.number;
    }
    return std::nullopt;
}

QString CATextEncodings::displayName(quint32 encoding)
{
    const EncodingEntry *entry = entryFor(encoding);
    return entry ? QString::fromLatin1(entry->displayName) : QString();
}

std::optional<quint32> CATextEncodings::fromStoredText(const QString &text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    if (!ok || value < qint64(INT32_MIN) || value > qint64(UINT32_MAX))
        return std::nullopt;
    return quint32(value);
}

QString CATextEncodings::decodeWindowsLatin1(QByteArrayView bytes)
{
    return PWDecodeWindowsLatin1(bytes);
}

std::optional<QString> CATextEncodings::decode(const QByteArray &bytes, quint32 encoding, QString *reason,
                                               QString *linesNote, bool guessed, QString *fileNote, bool readsAsWords)
{
    if (linesNote)
        linesNote->clear();
    if (fileNote)
        fileNote->clear();
    const EncodingEntry *entry = entryFor(encoding);
    if (!entry) {
        setReason(reason, QStringLiteral("the text encoding %1 is not known").arg(qint32(encoding)));
        return std::nullopt;
    }
    if (!entry->codec)
        return decodeUtf16(bytes, reason);
    QByteArrayView body(bytes);
    if (encoding == kUTF8 && startsWith(bytes, {0xEF, 0xBB, 0xBF}))
        body = body.sliced(3);
    QList<qsizetype> otherLines;
    const auto note = [&](const QString &readAs, const QString &notWhat = QString()) {
        if (linesNote && !otherLines.isEmpty())
            *linesNote = PWOtherEncodingLinesMessage(otherLines, readAs, notWhat);
    };
    if (encoding == kUTF8 && !PWIsValidUtf8(body) && mostlyUtf8(body)) {
        QString text = decodeLineByLine(body, strictUtf8, PWDecodeUtf8AndWindowsLatin1, otherLines);
        note(displayName(kWindowsLatin1));
        return text;
    }
    if (guessed && encoding != kUTF8) {
        // Nobody chose the encoding: the bytes suggested it. Lines of UTF-8 stay that. A file all
        // in one 8-bit encoding, its letters words of the encoding's script, is read in it and
        // said so once; otherwise every other line beyond ASCII is named, for its letters may be
        // of an encoding no guess can tell (Shift-JIS read as Western letters), or the file needs
        // two.
        bool utf8Line = false;
        std::optional<QStringDecoder> lineDecoder;
        QString text = decodeLineByLine(
            body,
            [&](QByteArrayView line) {
                std::optional<QString> decoded = strictUtf8(line);
                utf8Line = utf8Line || decoded.has_value();
                return decoded;
            },
            [&](QByteArrayView line) {
                QString decoded;
                if (encoding == kWindowsLatin1) {
                    decoded = decodeWindowsLatin1(line);
                } else {
                    // One decoder for every line, made again after a line it met an error in: a
                    // decoder that met one keeps saying so.
                    if (!lineDecoder)
                        lineDecoder.emplace(entry->codec, QStringConverter::Flag::Stateless);
                    decoded = lineDecoder->decode(line);
                    if (!lineDecoder->isValid() || lineDecoder->hasError()) {
                        lineDecoder.reset();
                        decoded = decodeWindowsLatin1(line);
                    }
                }
                return decoded;
            },
            otherLines);
        if (fileNote && readsAsWords && !utf8Line && !otherLines.isEmpty()) {
            *fileNote = QStringLiteral("The file is not UTF-8 text; it was read as %1.").arg(displayName(encoding));
            return text;
        }
        note(displayName(encoding), QStringLiteral("not UTF-8 text"));
        return text;
    }
    if (encoding == kWindowsLatin1)
        return decodeWindowsLatin1(body);
    QStringDecoder decoder(entry->codec, QStringConverter::Flag::Stateless);
    if (!decoder.isValid()) {
        setReason(reason, QStringLiteral("the text encoding %1 cannot be read here").arg(QString::fromLatin1(entry->displayName)));
        return std::nullopt;
    }
    QString text = decoder.decode(body);
    if (!decoder.hasError())
        return text;
    if (encoding == kUTF8) {
        setReason(reason, QStringLiteral("the file is not valid UTF-8 text"));
        return std::nullopt;
    }
    // The encoding chosen does not read every line: each line is read in it when it can be, else
    // as UTF-8, else in Windows Latin 1 and named. A decoder that met an error keeps saying so,
    // so each line has one of its own.
    text = decodeLineByLine(
        body,
        [&](QByteArrayView line) -> std::optional<QString> {
            QStringDecoder lineDecoder(entry->codec, QStringConverter::Flag::Stateless);
            QString decoded = lineDecoder.decode(line);
            if (!lineDecoder.hasError())
                return decoded;
            return strictUtf8(line);
        },
        PWDecodeUtf8AndWindowsLatin1, otherLines);
    note(displayName(kWindowsLatin1),
         QStringLiteral("neither %1 nor UTF-8 text").arg(QString::fromLatin1(entry->displayName)));
    return text;
}

quint32 CATextEncodings::detect(const QByteArray &bytes, const QString &language,
                                std::optional<EightBitReading> *eightBit)
{
    if (eightBit)
        eightBit->reset();
    if (startsWith(bytes, {0xEF, 0xBB, 0xBF}))
        return kUTF8;
    if (startsWith(bytes, {0xFF, 0xFE}) || startsWith(bytes, {0xFE, 0xFF}) || utf16ByZeros(bytes))
        return kUnicode;
    if (PWIsValidUtf8(bytes) || mostlyUtf8(bytes))
        return kUTF8;
    if (const std::optional<EightBitReading> reading = guessEightBit(bytes, language)) {
        if (eightBit)
            *eightBit = reading;
        return reading->encoding;
    }
    for (const char byte : bytes) {
        if (isWindowsLatin1Gap(quint8(byte)))
            return kISOLatin1;
    }
    return kWindowsLatin1;
}

const QList<quint32> &CATextEncodings::weighedEncodings()
{
    static const QList<quint32> encodings = {kWindowsLatin1, kWindowsLatin2, kWindowsCyrillic, kWindowsGreek,
                                             kISOLatin2,     kKOI8R,         kISOCyrillic,     kISOGreek,
                                             kWindowsLatin5, kISOLatin9,     kISOLatin5,       kKOI8U};
    return encodings;
}

QList<quint32> CATextEncodings::encodingsOfLanguage(const QString &language)
{
    const CALetterPairs &pairs = CALetterPairs::shared();
    QString code = language.toLower();
    if (code == QLatin1String("no") || code == QLatin1String("nn"))
        code = QStringLiteral("nb");
    QList<quint32> encodings;
    // A language of ASCII letters alone (English) is written in every Latin encoding: its
    // users prefer the Western one, as the C locale's do.
    const std::optional<qsizetype> known = pairs.language(code);
    const bool beyondAscii = known && std::any_of(pairs.letters(*known).cbegin(), pairs.letters(*known).cend(),
                                                  [](QChar c) { return c.unicode() >= 0x80; });
    if (beyondAscii) {
        for (const quint32 encoding : weighedEncodings()) {
            if (languagesWrittenIn(encoding).contains(*known))
                encodings.append(encoding);
        }
    }
    if (encodings.isEmpty())
        encodings.append(kWindowsLatin1);
    return encodings;
}

const QList<qsizetype> &CATextEncodings::languagesWrittenIn(quint32 encoding)
{
    // Each weighed encoding's characters, once: the languages it can write do not change.
    static const QHash<quint32, QList<qsizetype>> written = [] {
        QHash<quint32, QList<qsizetype>> all;
        for (const quint32 weighed : weighedEncodings()) {
            QByteArray bytes;
            for (int byte = 0x20; byte <= 0xFF; ++byte)
                bytes.append(char(byte));
            all.insert(weighed, CALetterPairs::shared().languagesWrittenWith(*script(weighed), decodeEightBit(bytes, weighed)));
        }
        return all;
    }();
    static const QList<qsizetype> none;
    const auto found = written.constFind(encoding);
    return found == written.cend() ? none : *found;
}

QString CATextEncodings::localeLanguage()
{
    // The variables in the order the C library weighs them for the character type; an empty one
    // counts as unset.
    for (const char *variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (value.isEmpty())
            continue;
        qsizetype end = 0;
        while (end < value.size() && value.at(end) != u'_' && value.at(end) != u'.' && value.at(end) != u'@')
            ++end;
        return value.left(end);
    }
    return QStringLiteral("C");
}

std::optional<CATextEncodings::EightBitReading> CATextEncodings::guessEightBit(const QByteArray &bytes,
                                                                               const QString &language)
{
    // The letters of a bounded sample of the lines that matter decide: ASCII columns and UTF-8
    // lines would only thin out the evidence. Single-byte encodings read the whole sample at once:
    // no line end is inside a character.
    constexpr qsizetype kSampleBytes = qsizetype(1) << 20;
    QByteArray sample;
    forEachLine(bytes, [&](QByteArrayView line, QByteArrayView) {
        if (sample.size() >= kSampleBytes || isAscii(line) || strictUtf8(line))
            return;
        sample.append(line).append('\n');
    });
    if (sample.isEmpty())
        return std::nullopt;
    // Readings whose letters read as words; a reading equal to one weighed before it tells
    // nothing apart (the letters Latin 1 and 2 share, punctuation only).
    struct Plausible
    {
        quint32 encoding;
        qsizetype mild;
        QString text;
    };
    QList<Plausible> plausible;
    QList<QString> readings;
    for (const quint32 encoding : weighedEncodings()) {
        QString text = decodeEightBit(sample, encoding);
        if (readings.contains(text))
            continue;
        const LetterWeight weight = weighLetters(text, encoding);
        readings.append(text);
        // A rare letter or sign does not turn a file of words away: at most one mark for each
        // three words or signs beyond ASCII, one at least.
        if (!weight.impossible && weight.strong == 0
            && weight.mild + weight.rareLetters <= std::max<qsizetype>(1, weight.items / 3))
            plausible.append({encoding, weight.mild, std::move(text)});
    }
    if (plausible.isEmpty())
        return std::nullopt;
    const qsizetype fewest =
        std::min_element(plausible.cbegin(), plausible.cend(), [](const Plausible &a, const Plausible &b) {
            return a.mild < b.mild;
        })->mild;
    // Of those, the words of each are weighed as the languages the encoding writes spell them:
    // "Jiří Dvořák" in Windows Latin 1 is "Jiøí Dvoøák", letters of Danish and Czech in words of
    // neither. Only readings about as likely as the likeliest read as words as well.
    QList<std::pair<quint32, double>> weighed;
    for (const Plausible &reading : std::as_const(plausible)) {
        if (reading.mild != fewest)
            continue;
        const std::optional<CALetterPairs::Weight> weight =
            CALetterPairs::shared().weigh(reading.text, languagesWrittenIn(reading.encoding));
        weighed.append({reading.encoding, weight ? weight->logLikelihood : 0.0});
    }
    const double likeliest =
        std::max_element(weighed.cbegin(), weighed.cend(), [](const auto &a, const auto &b) { return a.second < b.second; })
            ->second;
    QList<quint32> best;
    quint32 likeliestEncoding = 0;
    for (const auto &[encoding, logLikelihood] : std::as_const(weighed)) {
        if (likeliest - logLikelihood < kLettersDecide)
            best.append(encoding);
        if (logLikelihood == likeliest && likeliestEncoding == 0)
            likeliestEncoding = encoding;
    }
    EightBitReading result;
    const auto take = [&](quint32 encoding, EightBitReading::By by) {
        result.encoding = encoding;
        result.decidedBy = by;
        result.alternatives = best;
        result.alternatives.removeOne(encoding);
        return result;
    };
    if (best.size() == 1)
        return take(best.first(), EightBitReading::By::Letters);
    // Words as likely in two encodings: the locale's language says which its user writes.
    for (const quint32 encoding : encodingsOfLanguage(language)) {
        if (best.contains(encoding))
            return take(encoding, EightBitReading::By::Locale);
    }
    // On a few names a detector's guess is little better than a coin's: it decides only when
    // it is sure and far surer of one reading than of any other.
    const QHash<quint32, int> confidences = detectorConfidences(sample);
    quint32 surest = best.first();
    for (const quint32 encoding : std::as_const(best)) {
        if (confidences.value(encoding) > confidences.value(surest))
            surest = encoding;
    }
    int next = 0;
    for (const quint32 encoding : std::as_const(best)) {
        if (encoding != surest)
            next = std::max(next, confidences.value(encoding));
    }
    const int sure = confidences.value(surest);
    if (sure >= kDetectorPlain && sure >= 2 * next)
        return take(surest, EightBitReading::By::Detector);
    return take(likeliestEncoding, EightBitReading::By::Order);
}
