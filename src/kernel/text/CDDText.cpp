#include "CDDText.h"

#include <QTextDocument>

CDDText::CDDText(bool circleText)
    : m_contents(std::make_unique<QTextDocument>()),
      m_defText(std::make_unique<QTextDocument>()),
      m_isCircleText(circleText)
{
    m_defText->setPlainText(QStringLiteral("M"));
}

CDDText::~CDDText() = default;

bool CDDText::isEmpty() const
{
    return m_contents->isEmpty();
}

QString CDDText::getString() const
{
    // The raw text keeps no-break spaces and line separators as typed; only the paragraph
    // separators between blocks become the newlines the text was typed with.
    QString text = m_contents->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}
