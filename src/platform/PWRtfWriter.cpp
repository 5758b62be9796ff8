#include "platform/PWRtfWriter.h"

#include "platform/PWFont.h"
#include "platform/PWParagraphStyle.h"
#include "platform/PWTextAttributes.h"

#include <QColor>

#include <cmath>

namespace {

// A length in the units of an RTF parameter; absurd lengths are bounded so that every number
// written stays a parameter the reader takes.
int scaled(double value, double factor)
{
    return int(std::lround(qBound(-1.0e8, value * factor, 1.0e8)));
}

int twips(double points)
{
    return scaled(points, 20.0);
}

bool isParagraphBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::ParagraphSeparator;
}

// A run is written with a font of its own only when it names one; a size alone is no font.
QString fontName(const QTextCharFormat &format)
{
    if (!format.hasProperty(QTextFormat::FontFamilies) && !format.hasProperty(QTextFormat::FontFamily)
        && !format.hasProperty(PWTextAttributes::PostScriptFontName))
        return QString();
    const QString name =
        PWFont::fromQFont(format.font(), format.stringProperty(PWTextAttributes::PostScriptFontName)).postScriptName();
    QString clean;
    for (const QChar c : name) {
        if (c != QLatin1Char(';') && c != QLatin1Char('{') && c != QLatin1Char('}') && c != QLatin1Char('\\')
            && c.unicode() >= 0x20 && c.unicode() < 0x100)
            clean += c;
    }
    return clean;
}

QString attachmentName(const QTextCharFormat &format)
{
    return format.property(PWTextAttributes::CustomAttributes).toMap().value(QStringLiteral("NeXTGraphic")).toString();
}

void appendEscaped(QByteArray *out, const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out->append('\\');
            out->append(char(u));
        } else if (u == '\t') {
            out->append("\\tab ");
        } else if (u == 0x2028) {
            out->append("\\line ");
        } else if (u >= 0x20 && u < 0x7f) {
            out->append(char(u));
        } else {
            out->append("\\u");
            out->append(QByteArray::number(int(qint16(u))));
            out->append('?');
        }
    }
}

class Writer
{
public:
    explicit Writer(const PWAttributedString &text) : m_text(text) {}
    QByteArray write();

private:
    int fontIndex(const QString &name);
    int colorIndex(const QColor &color);
    void collectTables();
    QByteArray characterWords(const QTextCharFormat &format);
    QByteArray paragraphWords(const QTextBlockFormat &format) const;
    void writeSegment(const QString &segment, const QTextCharFormat &format, bool endsParagraph);

    const PWAttributedString &m_text;
    QStringList m_fonts;
    QList<QRgb> m_colors;
    QByteArray m_body;
};

int Writer::fontIndex(const QString &name)
{
    qsizetype index = m_fonts.indexOf(name);
    if (index < 0) {
        m_fonts.append(name);
        index = m_fonts.size() - 1;
    }
    return int(index);
}

int Writer::colorIndex(const QColor &color)
{
    const QRgb rgb = color.toRgb().rgb();
    qsizetype index = m_colors.indexOf(rgb);
    if (index < 0) {
        m_colors.append(rgb);
        index = m_colors.size() - 1;
    }
    // Entry 0 of the table is the automatic colour.
    return int(index) + 1;
}

QByteArray Writer::characterWords(const QTextCharFormat &format)
{
    QByteArray words;
    const QString name = fontName(format);
    if (!name.isEmpty())
        words += "\\f" + QByteArray::number(fontIndex(name));
    const double size = format.hasProperty(QTextFormat::FontPointSize) ? format.fontPointSize() : 12.0;
    words += "\\fs" + QByteArray::number(qBound(1, scaled(size, 2.0), 3276));
    // A weight between normal and bold is said by the font's name alone; \b would make it bold.
    if (format.fontWeight() >= QFont::Bold)
        words += "\\b";
    if (format.fontItalic())
        words += "\\i";
    if (format.underlineStyle() != QTextCharFormat::NoUnderline)
        words += "\\ul";
    if (format.fontStrikeOut())
        words += "\\strike";
    if (format.hasProperty(QTextFormat::ForegroundBrush))
        words += "\\cf" + QByteArray::number(colorIndex(format.foreground().color()));
    if (format.hasProperty(QTextFormat::BackgroundBrush))
        words += "\\cb" + QByteArray::number(colorIndex(format.background().color()));
    if (format.hasProperty(PWTextAttributes::Kerning)) {
        const double kerning = format.doubleProperty(PWTextAttributes::Kerning);
        words += "\\expnd" + QByteArray::number(scaled(kerning, 4.0)) + "\\expndtw"
            + QByteArray::number(twips(kerning));
    }
    if (format.hasProperty(PWTextAttributes::BaselineOffset)) {
        const double offset = format.doubleProperty(PWTextAttributes::BaselineOffset);
        const int halfPoints = scaled(std::fabs(offset), 2.0);
        words += (offset < 0.0 ? "\\dn" : "\\up") + QByteArray::number(halfPoints);
    }
    if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        words += "\\super";
    else if (format.verticalAlignment() == QTextCharFormat::AlignSubScript)
        words += "\\sub";
    return words;
}

QByteArray Writer::paragraphWords(const QTextBlockFormat &format) const
{
    const PWParagraphStyle style = PWParagraphStyle::fromBlockFormat(format);
    QByteArray words = "\\pard";
    switch (style.alignment) {
    case PWTextAlignment::Left:
        words += "\\ql";
        break;
    case PWTextAlignment::Right:
        words += "\\qr";
        break;
    case PWTextAlignment::Center:
        words += "\\qc";
        break;
    case PWTextAlignment::Justified:
        words += "\\qj";
        break;
    case PWTextAlignment::Natural:
        break;
    }
    for (const PWParagraphStyle::Tab &tab : style.tabStops) {
        static const char *const kinds[] = {"", "\\tqr", "\\tqc", "\\tqdec"};
        words += QByteArray(kinds[int(tab.type) & 3]) + "\\tx" + QByteArray::number(twips(tab.location));
    }
    const auto add = [&words](const char *word, double points) {
        if (points != 0.0)
            words += QByteArray(word) + QByteArray::number(twips(points));
    };
    add("\\li", style.headIndent);
    add("\\fi", style.firstLineHeadIndent - style.headIndent);
    if (style.tailIndent < 0.0)
        add("\\ri", -style.tailIndent);
    add("\\sb", style.paragraphSpacingBefore);
    add("\\sa", style.paragraphSpacing);
    add("\\slleading", style.lineSpacing);
    if (style.lineHeightMultiple != 0.0)
        words += "\\sl" + QByteArray::number(scaled(style.lineHeightMultiple, 240.0)) + "\\slmult1";
    add("\\slminimum", style.minimumLineHeight);
    add("\\slmaximum", style.maximumLineHeight);
    return words + "\n";
}

void Writer::writeSegment(const QString &segment, const QTextCharFormat &format, bool endsParagraph)
{
    m_body += '{' + characterWords(format) + ' ';
    const QString attachment = attachmentName(format);
    for (const QChar c : segment) {
        // An attachment of the flattened RTFD form: its file, and the placeholder that stands
        // for it in the text.
        if (c == QChar::ObjectReplacementCharacter && !attachment.isEmpty()) {
            m_body += "{\\NeXTGraphic ";
            appendEscaped(&m_body, attachment);
            m_body += "}\\'ac";
        } else {
            appendEscaped(&m_body, QString(c));
        }
    }
    if (endsParagraph)
        m_body += "\\par";
    m_body += "}\n";
}

QByteArray Writer::write()
{
    const QString &text = m_text.string();
    bool paragraphOpen = false;
    for (const PWAttributedString::Run &run : m_text.runs()) {
        qsizetype segmentStart = run.start;
        const qsizetype end = run.start + run.length;
        for (qsizetype i = run.start; i <= end; ++i) {
            if (!paragraphOpen && i < end) {
                m_body += paragraphWords(m_text.blockFormatAt(i));
                paragraphOpen = true;
            }
            const bool atEnd = i == end;
            if (!atEnd && !isParagraphBreak(text.at(i)))
                continue;
            if (atEnd) {
                if (i > segmentStart)
                    writeSegment(text.mid(segmentStart, i - segmentStart), run.charFormat, false);
                break;
            }
            const qsizetype breakAt = i;
            if (text.at(i) == QLatin1Char('\r') && i + 1 < end && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            writeSegment(text.mid(segmentStart, breakAt - segmentStart), run.charFormat, true);
            paragraphOpen = false;
            segmentStart = i + 1;
        }
    }

    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\uc1\n{\\fonttbl";
    for (qsizetype i = 0; i < m_fonts.size(); ++i)
        out += "\\f" + QByteArray::number(i) + "\\fnil\\fcharset0 " + m_fonts.at(i).toLatin1() + ';';
    out += "}\n{\\colortbl;";
    for (const QRgb rgb : std::as_const(m_colors))
        out += "\\red" + QByteArray::number(qRed(rgb)) + "\\green" + QByteArray::number(qGreen(rgb)) + "\\blue"
            + QByteArray::number(qBlue(rgb)) + ';';
    out += "}\n";
    return out + m_body + '}';
}

} // namespace

QByteArray PWRtfWriter::write(const PWAttributedString &text)
{
    Writer writer(text);
    return writer.write();
}
