#pragma once

#include <QList>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>

class QTextDocument;

// A styled string: characters plus runs of character formats, and the paragraph format each run's
// paragraph carries. It is the neutral form between the text codecs (keyed archive, RTF, RTFD)
// and the text model, which keeps its text in a QTextDocument. Attributes Qt lacks ride as the user
// properties of PWTextAttributes.
class PWAttributedString
{
public:
    struct Run
    {
        qsizetype start = 0;
        qsizetype length = 0;
        QTextCharFormat charFormat;
        QTextBlockFormat blockFormat;

        bool operator==(const Run &other) const = default;
    };

    PWAttributedString() = default;
    explicit PWAttributedString(const QString &text,
                                const QTextCharFormat &format = QTextCharFormat(),
                                const QTextBlockFormat &block = QTextBlockFormat());

    const QString &string() const { return m_text; }
    const QList<Run> &runs() const { return m_runs; }
    qsizetype length() const { return m_text.size(); }
    bool isEmpty() const { return m_text.isEmpty(); }

    // Appends text in one run; adjacent runs with equal formats are merged.
    void append(const QString &text, const QTextCharFormat &format,
                const QTextBlockFormat &block = QTextBlockFormat());

    // The formats in effect at a character index (the first run's when out of range; default
    // formats when there are no runs).
    QTextCharFormat charFormatAt(qsizetype index) const;
    QTextBlockFormat blockFormatAt(qsizetype index) const;

    // Conversion to and from the text model's storage. Paragraph separators are "\n" here and
    // block boundaries in the document; a block takes the paragraph format of its first run.
    void writeTo(QTextDocument *document) const;
    static PWAttributedString fromDocument(const QTextDocument *document);

    bool operator==(const PWAttributedString &other) const = default;

private:
    QString m_text;
    QList<Run> m_runs;
};
