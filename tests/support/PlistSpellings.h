#pragma once

#include <QByteArray>
#include <QRegularExpression>
#include <QString>

// The same XML property list spelled as other writers spell it: every key and text as a CDATA
// section, or every character of them as a character reference. A reader reads each as the plain
// form.
namespace pwtest {

enum class XmlSpelling { Cdata, References };

inline QByteArray respelledXml(const QByteArray &xml, XmlSpelling spelling)
{
    static const QRegularExpression element(QStringLiteral("<(key|string)>([^<]*)</\\1>"));
    const QString text = QString::fromUtf8(xml);
    QString out;
    out.reserve(text.size() * 2);
    qsizetype last = 0;
    for (const QRegularExpressionMatch &match : element.globalMatch(text)) {
        out += QStringView(text).mid(last, match.capturedStart() - last);
        QString inner = match.captured(2);
        inner.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
            .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
            .replace(QStringLiteral("&apos;"), QStringLiteral("'"))
            .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        QString written;
        if (spelling == XmlSpelling::Cdata) {
            written = QStringLiteral("<![CDATA[") + inner + QStringLiteral("]]>");
        } else {
            for (const char32_t c : inner.toUcs4())
                written += QStringLiteral("&#%1;").arg(uint(c));
        }
        out += QStringLiteral("<%1>%2</%1>").arg(match.captured(1), written);
        last = match.capturedEnd();
    }
    out += QStringView(text).mid(last);
    return out.toUtf8();
}

} // namespace pwtest
