#pragma once

#include <QString>

#include <memory>

class QTextDocument;

// The styled text of one text frame: its contents and the default text shown while the contents
// are empty, each kept in its own QTextDocument. A new text has empty contents and the
// one-character default text "M", by which an empty frame is measured.
class CDDText
{
public:
    explicit CDDText(bool circleText = false);
    ~CDDText();

    CDDText(const CDDText &) = delete;
    CDDText &operator=(const CDDText &) = delete;

    // The two documents, owned by the text.
    QTextDocument *getContents() const { return m_contents.get(); }
    QTextDocument *getDefValue() const { return m_defText.get(); }

    bool isEmpty() const;
    // The characters of the contents; paragraphs end in "\n".
    QString getString() const;
    bool isCircleText() const { return m_isCircleText; }

private:
    std::unique_ptr<QTextDocument> m_contents;
    std::unique_ptr<QTextDocument> m_defText;
    bool m_isCircleText;
};
