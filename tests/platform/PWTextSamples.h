#pragma once

#include "platform/PWAttributedString.h"
#include "platform/PWFont.h"
#include "platform/PWParagraphStyle.h"
#include "platform/PWTextAttributes.h"

#include <QBrush>
#include <QColor>
#include <QMap>
#include <QString>
#include <QVariant>

#include <ostream>

// Styled texts shared by the text codec tests, built the way the codecs build their formats.
namespace pwtest {

inline QTextCharFormat fontFormat(const QString &postScriptName, double size)
{
    QTextCharFormat format;
    PWFont(postScriptName, size).applyTo(&format);
    return format;
}

// Every attribute both RTF and keyed archives carry, in values both represent exactly (colours in
// 8 bits, lengths in twentieths of a point); keyedOnly adds what only keyed archives keep.
inline PWAttributedString styledSample(bool keyedOnly)
{
    using Tab = PWParagraphStyle::TabType;
    const PWParagraphStyle centred {
        .alignment = PWTextAlignment::Center, .tabStops = {}, .lineSpacing = 2.0, .paragraphSpacing = 6.0};
    const PWParagraphStyle right {
        .alignment = PWTextAlignment::Right,
        .tabStops = {{36.0, Tab::Left}, {72.0, Tab::Center}, {144.0, Tab::Right}, {216.0, Tab::Decimal}},
        .paragraphSpacingBefore = 3.0, .headIndent = 10.0, .firstLineHeadIndent = 20.0, .tailIndent = -5.0,
        .lineBreakMode = keyedOnly ? 4 : 0, .minimumLineHeight = 12.0, .maximumLineHeight = 30.0, .lineHeightMultiple = 1.5};
    const PWParagraphStyle justified {.alignment = PWTextAlignment::Justified, .tabStops = {}};
    QTextCharFormat bold = fontFormat(QStringLiteral("Helvetica-Bold"), 18.0);
    bold.setForeground(QBrush(QColor(255, 0, 0)));
    QTextCharFormat times = fontFormat(QStringLiteral("TimesNewRomanPSMT"), 12.0);
    times.setForeground(QBrush(QColor(0, 0, 255)));
    times.setBackground(QBrush(QColor(128, 128, 128)));
    times.setUnderlineStyle(QTextCharFormat::SingleUnderline);
    times.setProperty(PWTextAttributes::Kerning, 1.5);
    QTextCharFormat small = fontFormat(QStringLiteral("Helvetica-Oblique"), 10.0);
    small.setProperty(PWTextAttributes::BaselineOffset, -2.0);
    small.setFontStrikeOut(true);
    small.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    if (keyedOnly) {
        small.setProperty(PWTextAttributes::CustomAttributes,
                          QVariantMap{{QStringLiteral("CCDataField"), QStringLiteral("Company")},
                                      {QStringLiteral("CCFieldNumber"), QVariant::fromValue<qlonglong>(3)}});
    }
    QTextCharFormat unicode = fontFormat(QStringLiteral("LucidaGrande-Italic"), 11.0);
    unicode.setProperty(PWTextAttributes::Kerning, 0.0);
    PWAttributedString text;
    text.append(QStringLiteral("Bold red, "), bold, centred.toBlockFormat());
    text.append(QStringLiteral("under {braces} \\ lined\n"), times, centred.toBlockFormat());
    text.append(QStringLiteral("tab\tbed\n"), small, right.toBlockFormat());
    text.append(QStringLiteral("\u20ac \U0001F600 \u00fc\u2028\u0416 end"), unicode, justified.toBlockFormat());
    return text;
}

} // namespace pwtest

// Lets GoogleTest show the attributes of each run in failure messages.
inline void PrintTo(const PWAttributedString &text, std::ostream *stream)
{
    QString out;
    for (const PWAttributedString::Run &run : text.runs()) {
        out += QStringLiteral("[%1+%2 \"%3\"]\n  char").arg(run.start).arg(run.length).arg(text.string().mid(run.start, run.length));
        const QMap<int, QVariant> characters = run.charFormat.properties();
        for (auto it = characters.cbegin(); it != characters.cend(); ++it)
            out += QStringLiteral(" %1=%2").arg(it.key()).arg(QVariant(it.value()).toString());
        out += QStringLiteral("\n  block");
        const QMap<int, QVariant> blocks = run.blockFormat.properties();
        for (auto it = blocks.cbegin(); it != blocks.cend(); ++it)
            out += QStringLiteral(" %1=%2").arg(it.key()).arg(QVariant(it.value()).toString());
        out += QLatin1Char('\n');
    }
    *stream << out.toStdString();
}
