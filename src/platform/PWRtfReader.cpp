#include "platform/PWRtfReader.h"

#include "platform/PWFont.h"
#include "platform/PWParagraphStyle.h"
#include "platform/PWRtfTokenizer.h"
#include "platform/PWTextAttributes.h"

#include <QBrush>
#include <QColor>
#include <QHash>
#include <QLoggingCategory>
#include <QMap>
#include <QSet>
#include <QStringDecoder>

#include <map>
#include <optional>

Q_LOGGING_CATEGORY(lcRtf, "pw.platform.rtf")

namespace {

enum class Destination { Text, FontTable, ColorTable, Skip, Attachment };

struct CharState
{
    int font = -1;
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int foreground = 0;
    int background = 0;
    std::optional<double> kerning;
    std::optional<double> baseline;
    int vertical = 0;
};

struct ParaState
{
    PWParagraphStyle style;
    int leftTwips = 0;
    int firstTwips = 0;
    int lineTwips = 0;
    bool lineMultiple = false;
    PWParagraphStyle::TabType pendingTab = PWParagraphStyle::TabType::Left;

    QTextBlockFormat format() const
    {
        PWParagraphStyle resolved = style;
        resolved.headIndent = leftTwips / 20.0;
        resolved.firstLineHeadIndent = (double(leftTwips) + firstTwips) / 20.0;
        if (lineTwips > 0 && lineMultiple) {
            resolved.lineHeightMultiple = lineTwips / 240.0;
        } else if (lineTwips > 0) {
            resolved.minimumLineHeight = lineTwips / 20.0;
        } else if (lineTwips < 0) {
            resolved.minimumLineHeight = -double(lineTwips) / 20.0;
            resolved.maximumLineHeight = -double(lineTwips) / 20.0;
        }
        return resolved.toBlockFormat();
    }
};

struct Group
{
    CharState chars;
    ParaState para;
    Destination destination = Destination::Text;
    int unicodeSkip = 1;
    // Set after an attachment: the placeholder character that follows it is its stand-in.
    bool skipPlaceholder = false;
};

struct FontEntry
{
    QByteArray name;
    int charset = -1;
};

struct Segment
{
    QString text;
    QTextCharFormat format;
    qsizetype paragraph = 0;
};

// Destinations whose contents are no part of the text.
const QSet<QByteArray> &skippedDestinations()
{
    static const QSet<QByteArray> names = {
        "stylesheet", "info",     "pict",      "header",    "headerl",   "headerr",  "headerf",   "footer",
        "footerl",    "footerr",  "footerf",   "footnote",  "listtable", "listoverridetable", "revtbl",
        "rsidtbl",    "generator", "xmlnstbl", "themedata", "colorschememapping", "latentstyles", "datastore",
        "pntext",     "pntxta",   "pntxtb",    "object",    "annotation", "atnid",  "atnauthor", "bkmkstart",
        "bkmkend",    "fldinst",  "nonshppict", "shp",      "shpinst",   "userprops", "docvar",   "listtext",
        "mmathPr",    "xe",       "tc",        "txe",       "filetbl",   "objdata",  "objclass",  "template",
    };
    return names;
}

const QHash<QByteArray, char16_t> &symbolWords()
{
    static const QHash<QByteArray, char16_t> symbols = {
        {"tab", u'\t'},        {"line", u'\u2028'},   {"emdash", u'\u2014'}, {"endash", u'\u2013'},
        {"bullet", u'\u2022'}, {"lquote", u'\u2018'}, {"rquote", u'\u2019'}, {"ldblquote", u'\u201c'},
        {"rdblquote", u'\u201d'}, {"emspace", u'\u2003'}, {"enspace", u'\u2002'}, {"qmspace", u'\u2005'},
        {"zwj", u'\u200d'},    {"zwnj", u'\u200c'},
    };
    return symbols;
}

int codePageForCharset(int charset, int documentCodePage)
{
    switch (charset) {
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    default:
        return documentCodePage;
    }
}

QByteArray codecName(int codePage)
{
    switch (codePage) {
    case 10000:
        return "macintosh";
    case 437:
    case 850:
        return "IBM" + QByteArray::number(codePage);
    case 932:
        return "Shift_JIS";
    case 936:
        return "GBK";
    case 949:
        return "windows-949";
    case 950:
        return "Big5";
    case 65001:
        return "UTF-8";
    default:
        return "windows-" + QByteArray::number(codePage);
    }
}

class Reader
{
public:
    std::optional<PWAttributedString> read(const QList<PWRtfToken> &tokens);
    QString error() const { return m_error; }

private:
    bool fail(const QString &reason)
    {
        if (m_error.isEmpty())
            m_error = reason;
        return false;
    }
    Group &top() { return m_groups.last(); }
    bool handleToken(const PWRtfToken &token);
    void handleWord(const QByteArray &word, bool hasParameter, int parameter);
    bool handleDocumentWord(const QByteArray &word, int parameter);
    bool handleCharacterWord(const QByteArray &word, bool hasParameter, int parameter);
    bool handleParagraphWord(const QByteArray &word, int parameter);
    void appendByte(char byte);
    void flushBytes();
    QString decode(const QByteArray &bytes, int codePage);
    void emitText(const QString &text, const QTextCharFormat *format = nullptr);
    void endParagraph();
    void endGroup();
    QTextCharFormat charFormat() const;

    QList<Group> m_groups;
    int m_codePage = 1252;
    int m_defaultFont = -1;
    QMap<int, FontEntry> m_fonts;
    int m_currentFont = -1;
    QList<QColor> m_colors;
    int m_red = -1;
    int m_green = -1;
    int m_blue = -1;
    QByteArray m_attachmentName;
    QByteArray m_pendingBytes;
    int m_skip = 0;
    bool m_ignorable = false;
    bool m_done = false;
    QList<Segment> m_segments;
    QList<QTextBlockFormat> m_paragraphs;
    QTextBlockFormat m_lastParagraph;
    std::map<int, QStringDecoder> m_decoders;
    QString m_error;
};

std::optional<PWAttributedString> Reader::read(const QList<PWRtfToken> &tokens)
{
    if (tokens.size() < 2 || tokens.at(0).type != PWRtfToken::Type::GroupStart
        || tokens.at(1).type != PWRtfToken::Type::ControlWord || tokens.at(1).bytes != "rtf") {
        fail(QStringLiteral("the text does not begin with \"{\\rtf\""));
        return std::nullopt;
    }
    for (const PWRtfToken &token : tokens) {
        if (!handleToken(token))
            return std::nullopt;
        if (m_done)
            break;
    }
    if (!m_done) {
        fail(QStringLiteral("%1 group(s) are not closed").arg(m_groups.size()));
        return std::nullopt;
    }
    if (m_segments.isEmpty() || m_segments.last().paragraph == m_paragraphs.size())
        m_paragraphs.append(m_lastParagraph);

    PWAttributedString result;
    for (Segment &segment : m_segments) {
        // A surrogate without its partner (a broken \u pair) is no character.
        for (qsizetype i = 0; i < segment.text.size(); ++i) {
            const QChar c = segment.text.at(i);
            if (c.isHighSurrogate() && i + 1 < segment.text.size() && segment.text.at(i + 1).isLowSurrogate())
                ++i;
            else if (c.isSurrogate())
                segment.text[i] = QChar::ReplacementCharacter;
        }
        result.append(segment.text, segment.format, m_paragraphs.at(segment.paragraph));
    }
    return result;
}

bool Reader::handleToken(const PWRtfToken &token)
{
    if (token.type != PWRtfToken::Type::Text && token.type != PWRtfToken::Type::HexByte)
        flushBytes();
    const bool afterStar = m_ignorable;
    m_ignorable = false;
    switch (token.type) {
    case PWRtfToken::Type::GroupStart:
        if (m_groups.size() >= PWRtfReader::kMaxDepth)
            return fail(QStringLiteral("groups are nested deeper than %1").arg(PWRtfReader::kMaxDepth));
        m_groups.append(m_groups.isEmpty() ? Group() : Group(top()));
        if (top().destination == Destination::Attachment)
            top().destination = Destination::Skip;
        top().skipPlaceholder = false;
        m_skip = 0;
        return true;
    case PWRtfToken::Type::GroupEnd:
        if (m_groups.isEmpty())
            return fail(QStringLiteral("a group is closed that was never opened"));
        endGroup();
        return true;
    case PWRtfToken::Type::ControlSymbol:
        if (m_skip > 0) {
            --m_skip;
            return true;
        }
        if (m_groups.isEmpty())
            return fail(QStringLiteral("a control symbol stands outside every group"));
        if (token.bytes == "*") {
            m_ignorable = true;
        } else if (token.bytes == "\n") {
            handleWord("par", false, 0);
        } else if (token.bytes == "~") {
            emitText(QString(QChar(0x00a0)));
        } else if (token.bytes == "_") {
            emitText(QString(QChar(0x2011)));
        }
        return true;
    case PWRtfToken::Type::ControlWord:
        if (m_skip > 0) {
            --m_skip;
            return true;
        }
        if (m_groups.isEmpty())
            return fail(QStringLiteral("a control word stands outside every group"));
        if (afterStar && top().destination != Destination::Skip) {
            top().destination = Destination::Skip;
            return true;
        }
        handleWord(token.bytes, token.hasParameter, token.parameter);
        return true;
    case PWRtfToken::Type::Text:
        for (const char byte : token.bytes) {
            if (m_skip > 0)
                --m_skip;
            else
                appendByte(byte);
        }
        return true;
    case PWRtfToken::Type::HexByte:
        if (m_skip > 0)
            --m_skip;
        else
            appendByte(token.bytes.at(0));
        return true;
    case PWRtfToken::Type::Binary:
        if (m_skip > 0)
            --m_skip;
        return true;
    }
    return true;
}

void Reader::endGroup()
{
    m_skip = 0;
    if (m_groups.size() == 1)
        m_lastParagraph = top().para.format();
    if (top().destination == Destination::Attachment) {
        const QString name = QString::fromUtf8(m_attachmentName).trimmed();
        m_groups.removeLast();
        // An attachment may itself be the outermost group: then the text ends with it.
        m_done = m_groups.isEmpty();
        if (!m_done && top().destination == Destination::Text && !name.isEmpty()) {
            QTextCharFormat format = charFormat();
            format.setProperty(PWTextAttributes::CustomAttributes, QVariantMap{{QStringLiteral("NeXTGraphic"), name}});
            emitText(QString(QChar::ObjectReplacementCharacter), &format);
            top().skipPlaceholder = true;
        }
        return;
    }
    m_groups.removeLast();
    m_done = m_groups.isEmpty();
}

void Reader::handleWord(const QByteArray &word, bool hasParameter, int parameter)
{
    Group &group = top();
    switch (group.destination) {
    case Destination::Skip:
        return;
    case Destination::FontTable:
        if (word == "f") {
            m_currentFont = parameter;
            m_fonts[parameter] = FontEntry();
        } else if (word == "fcharset" && m_fonts.contains(m_currentFont)) {
            m_fonts[m_currentFont].charset = parameter;
        }
        return;
    case Destination::ColorTable:
        if (word == "red")
            m_red = qBound(0, parameter, 255);
        else if (word == "green")
            m_green = qBound(0, parameter, 255);
        else if (word == "blue")
            m_blue = qBound(0, parameter, 255);
        return;
    case Destination::Attachment:
        return;
    case Destination::Text:
        break;
    }
    if (word == "fonttbl") {
        group.destination = Destination::FontTable;
    } else if (word == "colortbl") {
        group.destination = Destination::ColorTable;
    } else if (word == "NeXTGraphic") {
        group.destination = Destination::Attachment;
        m_attachmentName.clear();
    } else if (skippedDestinations().contains(word)) {
        group.destination = Destination::Skip;
    } else if (word == "par" || word == "sect") {
        emitText(QStringLiteral("\n"));
        endParagraph();
    } else if (symbolWords().contains(word)) {
        emitText(QString(QChar(symbolWords().value(word))));
    } else if (word == "u") {
        emitText(QString(QChar(char16_t(parameter & 0xffff))));
        m_skip = group.unicodeSkip;
    } else if (word == "uc") {
        group.unicodeSkip = qBound(0, parameter, 16);
    } else if (!handleDocumentWord(word, parameter) && !handleCharacterWord(word, hasParameter, parameter)) {
        handleParagraphWord(word, parameter);
    }
}

bool Reader::handleDocumentWord(const QByteArray &word, int parameter)
{
    if (word == "ansi")
        m_codePage = 1252;
    else if (word == "mac")
        m_codePage = 10000;
    else if (word == "pc")
        m_codePage = 437;
    else if (word == "pca")
        m_codePage = 850;
    else if (word == "ansicpg")
        m_codePage = parameter;
    else if (word == "deff")
        m_defaultFont = parameter;
    else
        return false;
    return true;
}

bool Reader::handleCharacterWord(const QByteArray &word, bool hasParameter, int parameter)
{
    CharState &chars = top().chars;
    const bool on = !hasParameter || parameter != 0;
    if (word == "plain") {
        chars = CharState();
    } else if (word == "f") {
        chars.font = parameter;
    } else if (word == "fs") {
        chars.halfPoints = hasParameter ? qBound(1, parameter, 3276) : 24;
    } else if (word == "b") {
        chars.bold = on;
    } else if (word == "i") {
        chars.italic = on;
    } else if (word == "ul" || word == "uld" || word == "uldb" || word == "ulw" || word == "ulth"
               || word == "uldash" || word == "ulwave" || word == "uldashd" || word == "uldashdd") {
        chars.underline = on;
    } else if (word == "ulnone") {
        chars.underline = false;
    } else if (word == "strike" || word == "striked") {
        chars.strike = on;
    } else if (word == "cf") {
        chars.foreground = parameter;
    } else if (word == "cb" || word == "highlight") {
        chars.background = parameter;
    } else if (word == "expnd") {
        chars.kerning = parameter / 4.0;
    } else if (word == "expndtw") {
        chars.kerning = parameter / 20.0;
    } else if (word == "up") {
        chars.baseline = (hasParameter ? parameter : 6) / 2.0;
    } else if (word == "dn") {
        chars.baseline = -double(hasParameter ? parameter : 6) / 2.0;
    } else if (word == "super") {
        chars.vertical = 1;
    } else if (word == "sub") {
        chars.vertical = -1;
    } else if (word == "nosupersub") {
        chars.vertical = 0;
    } else {
        return false;
    }
    return true;
}

bool Reader::handleParagraphWord(const QByteArray &word, int parameter)
{
    ParaState &para = top().para;
    PWParagraphStyle &style = para.style;
    if (word == "pard")
        para = ParaState();
    else if (word == "ql")
        style.alignment = PWTextAlignment::Left;
    else if (word == "qr")
        style.alignment = PWTextAlignment::Right;
    else if (word == "qc")
        style.alignment = PWTextAlignment::Center;
    else if (word == "qj")
        style.alignment = PWTextAlignment::Justified;
    else if (word == "qnatural")
        style.alignment = PWTextAlignment::Natural;
    else if (word == "sb")
        style.paragraphSpacingBefore = parameter / 20.0;
    else if (word == "sa")
        style.paragraphSpacing = parameter / 20.0;
    else if (word == "sl")
        para.lineTwips = parameter;
    else if (word == "slmult")
        para.lineMultiple = parameter != 0;
    else if (word == "slleading")
        style.lineSpacing = parameter / 20.0;
    else if (word == "slminimum")
        style.minimumLineHeight = parameter / 20.0;
    else if (word == "slmaximum")
        style.maximumLineHeight = parameter / 20.0;
    else if (word == "li")
        para.leftTwips = parameter;
    else if (word == "fi")
        para.firstTwips = parameter;
    else if (word == "ri")
        style.tailIndent = -double(parameter) / 20.0;
    else if (word == "tqr")
        para.pendingTab = PWParagraphStyle::TabType::Right;
    else if (word == "tqc")
        para.pendingTab = PWParagraphStyle::TabType::Center;
    else if (word == "tqdec")
        para.pendingTab = PWParagraphStyle::TabType::Decimal;
    else if (word == "tx" && style.tabStops.size() < 256) {
        style.tabStops.append(PWParagraphStyle::Tab{parameter / 20.0, para.pendingTab});
        para.pendingTab = PWParagraphStyle::TabType::Left;
    } else
        return false;
    return true;
}

void Reader::appendByte(char byte)
{
    if (m_groups.isEmpty())
        return;
    switch (top().destination) {
    case Destination::Skip:
        return;
    case Destination::Attachment:
        if (m_attachmentName.size() < 1024)
            m_attachmentName.append(byte);
        return;
    case Destination::FontTable:
        if (byte == ';') {
            m_currentFont = -1;
        } else if (m_fonts.contains(m_currentFont) && m_fonts[m_currentFont].name.size() < 256) {
            m_fonts[m_currentFont].name.append(byte);
        }
        return;
    case Destination::ColorTable:
        if (byte == ';' && m_colors.size() < 4096) {
            m_colors.append(m_red < 0 && m_green < 0 && m_blue < 0
                                ? QColor()
                                : QColor(qMax(m_red, 0), qMax(m_green, 0), qMax(m_blue, 0)));
            m_red = m_green = m_blue = -1;
        }
        return;
    case Destination::Text:
        // Control characters in plain text are noise; a literal tab is a tab.
        if (static_cast<unsigned char>(byte) >= 0x20 || byte == '\t')
            m_pendingBytes.append(byte);
        return;
    }
}

QString Reader::decode(const QByteArray &bytes, int codePage)
{
    auto decoder = m_decoders.find(codePage);
    if (decoder == m_decoders.end()) {
        QStringDecoder made(codecName(codePage).constData(), QStringConverter::Flag::Stateless);
        if (!made.isValid()) {
            qCWarning(lcRtf).noquote() << "code page" << codePage << "is not known; read as Windows-1252";
            made = QStringDecoder("windows-1252", QStringConverter::Flag::Stateless);
        }
        decoder = m_decoders.emplace(codePage, std::move(made)).first;
    }
    if (!decoder->second.isValid())
        return QString::fromLatin1(bytes);
    return decoder->second.decode(bytes);
}

void Reader::flushBytes()
{
    if (m_pendingBytes.isEmpty())
        return;
    const CharState &chars = top().chars;
    const int fontNumber = chars.font >= 0 ? chars.font : m_defaultFont;
    const int charset = m_fonts.contains(fontNumber) ? m_fonts[fontNumber].charset : -1;
    const QString text = decode(m_pendingBytes, codePageForCharset(charset, m_codePage));
    m_pendingBytes.clear();
    emitText(text);
}

void Reader::emitText(const QString &input, const QTextCharFormat *format)
{
    if (m_groups.isEmpty() || top().destination != Destination::Text || input.isEmpty())
        return;
    QString text = input;
    if (top().skipPlaceholder && !format) {
        top().skipPlaceholder = false;
        if (text.at(0) == QChar(0x00ac) || text.at(0) == QChar::ObjectReplacementCharacter)
            text.remove(0, 1);
        if (text.isEmpty())
            return;
    }
    const QTextCharFormat used = format ? *format : charFormat();
    const qsizetype paragraph = m_paragraphs.size();
    if (!m_segments.isEmpty() && m_segments.last().paragraph == paragraph && m_segments.last().format == used)
        m_segments.last().text += text;
    else
        m_segments.append(Segment{text, used, paragraph});
}

void Reader::endParagraph()
{
    m_paragraphs.append(top().para.format());
}

QTextCharFormat Reader::charFormat() const
{
    const CharState &chars = m_groups.last().chars;
    QTextCharFormat format;
    const int fontNumber = chars.font >= 0 ? chars.font : m_defaultFont;
    // The font's own weight and slant (a PostScript name says them) stay; \b and \i add to them.
    int weight = QFont::Normal;
    bool italic = false;
    const auto font = m_fonts.constFind(fontNumber);
    if (font != m_fonts.constEnd() && !font->name.trimmed().isEmpty()) {
        PWFont(QString::fromLatin1(font->name.trimmed()), chars.halfPoints / 2.0).applyTo(&format);
        weight = format.fontWeight();
        italic = format.fontItalic();
    }
    format.setFontPointSize(chars.halfPoints / 2.0);
    format.setFontWeight(chars.bold ? qMax(weight, int(QFont::Bold)) : weight);
    format.setFontItalic(chars.italic || italic);
    if (chars.underline)
        format.setUnderlineStyle(QTextCharFormat::SingleUnderline);
    if (chars.strike)
        format.setFontStrikeOut(true);
    if (chars.foreground > 0 && chars.foreground < m_colors.size() && m_colors.at(chars.foreground).isValid())
        format.setForeground(QBrush(m_colors.at(chars.foreground)));
    if (chars.background > 0 && chars.background < m_colors.size() && m_colors.at(chars.background).isValid())
        format.setBackground(QBrush(m_colors.at(chars.background)));
    if (chars.kerning)
        format.setProperty(PWTextAttributes::Kerning, *chars.kerning);
    if (chars.baseline)
        format.setProperty(PWTextAttributes::BaselineOffset, *chars.baseline);
    if (chars.vertical != 0)
        format.setVerticalAlignment(chars.vertical > 0 ? QTextCharFormat::AlignSuperScript
                                                       : QTextCharFormat::AlignSubScript);
    return format;
}

} // namespace

std::optional<PWAttributedString> PWRtfReader::read(const QByteArray &bytes, QString *error)
{
    QString reason;
    std::optional<PWAttributedString> result;
    const std::optional<QList<PWRtfToken>> tokens = PWRtfTokenizer::tokenize(bytes, &reason);
    if (tokens) {
        Reader reader;
        result = reader.read(*tokens);
        if (!result)
            reason = reader.error();
    }
    if (!result)
        qCWarning(lcRtf).noquote() << "RTF not read:" << reason;
    if (error)
        *error = result ? QString() : reason;
    return result;
}
