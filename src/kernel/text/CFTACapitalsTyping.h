#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTextCharFormat>

class QTextDocument;

// While a text that shows capitals is edited in place, its document holds the characters as typed,
// shown in capitals by their style: whatever the user does (types, deletes, pastes, drops, takes
// back and puts again in the editor's own history) acts on the characters typed. A character that
// comes in without that style (pasted with its own, typed into an empty text) takes it at once.
// At the end the document shows the capitals of the characters typed, letter for letter, each in
// its place and own style, and holds no style of the edit.
class CFTACapitalsTyping : public QObject
{
    Q_OBJECT
public:
    // Puts the characters typed (as long as the document's text) in place of the capitals the
    // document shows, outside the document's history.
    CFTACapitalsTyping(QTextDocument *document, const QString &typed);
    ~CFTACapitalsTyping() override;

    // The characters as typed when the edit began.
    QString typedAtStart() const { return m_typedAtStart; }
    // Styles what the user's last edit brought in without the style that shows it in capitals (the
    // editor calls it after each event the user gives it; otherwise it happens at the next turn of
    // the event loop).
    void showTypedInCapitals();
    // The style that shows the characters typed in capitals while the edit lasts.
    static QTextCharFormat editStyle();
    // Ends the edit: the document shows the capitals of the characters typed. Returns those.
    QString finish();

    // The characters in capitals, each letter by its own capital so that none moves: a letter whose
    // capitals are two ("ß") stays as it is.
    static QString inCapitals(const QString &text);
    // The text of a document as a text component gives it: paragraphs end in newlines.
    static QString textOf(const QTextDocument *document);
    // Each character replaced by the one at its place in letters (as long as the text), each run
    // keeping its style.
    static void replaceLettersKeepingRuns(QTextDocument *document, const QString &letters);
    // A document left as an edit under capitals holds it (a copy taken meanwhile): the capitals of
    // its characters, without the edit's style.
    static void settle(QTextDocument *document);
    // A style without what the edit gave it (no text of a design has capitals by its style).
    static void removeEditStyle(QTextCharFormat &format);

private:
    void scheduleStyling();

    QPointer<QTextDocument> m_document;
    QString m_typedAtStart;
    bool m_styling = false;
    bool m_stylePending = false;
};
