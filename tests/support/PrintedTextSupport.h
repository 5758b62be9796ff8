#pragma once

#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QRawFont>
#include <QRegularExpression>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <vector>

// Reading back the size printed text came out at: the font sizes a PDF shows its text at, and the
// height of a line of capitals in a bitmap.
namespace printedtext {

using namespace Qt::StringLiterals;

// The sizes a page shows its text at: the font size of every string shown, times the text matrix
// and the current transformation at that point, read from the page content streams of a PDF.
inline std::vector<double> shownTextSizes(const QByteArray &pdf)
{
    std::vector<double> sizes;
    static const QRegularExpression streams(u"(?<!end)stream\\r?\\n"_s);
    static const QRegularExpression token(uR"(<[0-9A-Fa-f\s]*>|\((?:\\.|[^\\)])*\)|\[|\]|/[^\s/\[\]<>()]+|[-+]?(?:\d+\.?\d*|\.\d+)|[A-Za-z'"*]+)"_s);
    const QString latin = QString::fromLatin1(pdf);
    for (QRegularExpressionMatchIterator found = streams.globalMatch(latin); found.hasNext();) {
        const QRegularExpressionMatch start = found.next();
        const qsizetype end = pdf.indexOf("endstream", start.capturedEnd());
        if (end < 0)
            continue;
        // Page contents are compressed and of no subtype; fonts and images have theirs.
        const qsizetype open = pdf.lastIndexOf("<<", start.capturedStart());
        const QByteArray dictionary = open < 0 ? QByteArray() : pdf.mid(open, start.capturedStart() - open);
        if (!dictionary.contains("/FlateDecode") || dictionary.contains("/Subtype") || dictionary.contains("/Length1"))
            continue;
        const QByteArray raw = pdf.mid(start.capturedEnd(), end - start.capturedEnd());
        QByteArray sized(4, '\0');
        const quint32 guess = quint32(raw.size()) * 16u + 1024u;
        for (int i = 0; i < 4; ++i)
            sized[i] = char((guess >> (24 - 8 * i)) & 0xff);
        const QByteArray content = qUncompress(sized + raw);
        if (content.isEmpty() || !content.contains("BT") || content.contains('\0'))
            continue;
        std::vector<QTransform> saved;
        QTransform ctm;
        QTransform textMatrix;
        double fontSize = 0.0;
        std::vector<double> operands;
        const QString text = QString::fromLatin1(content);
        for (QRegularExpressionMatchIterator it = token.globalMatch(text); it.hasNext();) {
            const QString word = it.next().captured();
            bool number = false;
            const double value = word.toDouble(&number);
            if (number) {
                operands.push_back(value);
                continue;
            }
            const auto matrix = [&operands] {
                const std::size_t n = operands.size();
                return n < 6 ? QTransform() : QTransform(operands[n - 6], operands[n - 5], operands[n - 4], operands[n - 3], operands[n - 2], operands[n - 1]);
            };
            if (word == u"q"_s) {
                saved.push_back(ctm);
            } else if (word == u"Q"_s && !saved.empty()) {
                ctm = saved.back();
                saved.pop_back();
            } else if (word == u"cm"_s) {
                ctm = matrix() * ctm;
            } else if (word == u"BT"_s) {
                textMatrix = QTransform();
            } else if (word == u"Tm"_s) {
                textMatrix = matrix();
            } else if (word == u"Tf"_s && !operands.empty()) {
                fontSize = operands.back();
            } else if (word == u"Tj"_s || word == u"TJ"_s || word == u"'"_s || word == u"\""_s) {
                const QPointF up = (textMatrix * ctm).map(QPointF(0.0, 1.0)) - (textMatrix * ctm).map(QPointF(0.0, 0.0));
                sizes.push_back(std::abs(fontSize) * std::hypot(up.x(), up.y()));
            }
            if (!word.startsWith(u'<') && !word.startsWith(u'(') && !word.startsWith(u'/') && word != u"["_s && word != u"]"_s)
                operands.clear();
        }
    }
    return sizes;
}

// The height in pixels of the first line of ink from the top of a bitmap: each row counts with
// its darkest pixel, so that the antialiased rows at the capitals' flat tops and feet count with
// the part of them the letters cover.
inline double firstLineInkHeight(const QImage &bitmap)
{
    const QImage image = bitmap.convertToFormat(QImage::Format_ARGB32);
    double height = 0.0;
    bool inLine = false;
    for (int y = 0; y < image.height(); ++y) {
        int darkest = 0;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            darkest = std::max(darkest, qAlpha(pixel) * (255 - qGray(pixel)) / 255);
        }
        if (darkest == 0 && inLine)
            break;
        inLine = inLine || darkest > 0;
        height += darkest / 255.0;
    }
    return height;
}

// The height of the capital H in the font, in parts of the font size.
inline double capitalHeight(const QFont &font)
{
    const QRawFont raw = QRawFont::fromFont(font);
    const QList<quint32> glyphs = raw.glyphIndexesForString(u"H"_s);
    if (glyphs.isEmpty() || raw.pixelSize() <= 0.0)
        return 0.0;
    return raw.pathForGlyph(glyphs.front()).boundingRect().height() / raw.pixelSize();
}

} // namespace printedtext
