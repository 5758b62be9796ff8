#pragma once

#include "kernel/text/CCTextStorage.h"
#include "platform/PWAttributedString.h"

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QStringList>

#include <QTextBlockFormat>

#include <functional>
#include <optional>
#include <vector>

class CCLayoutManager;
class PWSpellChecker;
class PWUndoManager;
class QTextDocument;

// The editing view of a flowing text block, without a window: it edits the shared storage at its
// selection. While a data field is highlighted, its style commands and both delete keys act on
// every run of that field instead of the selection, each one undoable step that swaps whole-text
// snapshots; selections widen to whole list markers and anchored texts; a paste strips the field
// and list marks from the incoming text only.
class CCTextView
{
public:
    CCTextView(QTextDocument *storage, CCLayoutManager *highlight);

    QTextDocument *textStorage() const { return m_storage; }
    void setUndoManager(PWUndoManager *undo) { m_undo = undo; }
    PWUndoManager *undoManager() const { return m_undo; }

    CCTextStorage::Range selectedRange() const { return m_selection; }
    // Ends any field highlight, widens onto list markers and anchored texts, then selects.
    void setSelectedRange(CCTextStorage::Range range);
    // Selects exactly, as the view's own editing does.
    void selectRange(CCTextStorage::Range range) { m_selection = clamped(range); }
    bool shouldDrawInsertionPoint() const { return highlightedField() == 0; }
    int highlightedField() const;

    // The frame over the block while editing, and its rotation in degrees.
    QRectF frame() const { return m_frame; }
    void setFrame(const QRectF &frame) { m_frame = frame; }
    double frameRotation() const { return m_rotation; }
    void setFrameRotation(double degrees) { m_rotation = degrees; }

    // Typing: replaces the selection by text in the style before it.
    void insertText(const QString &text);
    void insertText(const PWAttributedString &text);

    // --- Field commands (the selection's own behaviour without a highlighted field) -------------
    void changeColor(const QColor &color);
    void changeFont(const std::function<QFont(const QFont &)> &convert);
    void changeAttributes(const std::function<QTextCharFormat(const QTextCharFormat &)> &convert);
    void tightenKerning();
    void loosenKerning();
    void turnOffKerning();
    void turnOffLigatures();
    void useAllLigatures();
    void useStandardLigatures();
    void deleteForward();
    void deleteBackward();
    // Replaces the whole text, undoably: undo and redo swap whole-text snapshots.
    void setContents(const PWAttributedString &contents);

    // --- Pasting --------------------------------------------------------------------------------
    // The incoming text with its styles (a plain-text paste takes the style at the selection);
    // the field and list marks of the incoming text are stripped, the existing text keeps its own.
    void paste(const PWAttributedString &incoming);
    void pasteAsPlainText(const PWAttributedString &incoming);
    static PWAttributedString deleteTextTags(const PWAttributedString &text);

    // A text component's plain string, inserted as typed text.
    void insertTextualObject(const QString &plainText) { insertText(plainText); }
    // The style "My Style" of the character at the selection; nothing at the end of the text.
    std::optional<PWAttributedString> proposedTextStyle() const;
    // Who shows the Text Styles dialog (the window's controller); none by default.
    using TextStylesOpener = std::function<void(const std::vector<PWAttributedString> &proposed)>;
    void setTextStylesOpener(TextStylesOpener opener) { m_openTextStyles = std::move(opener); }
    // Offers the selection's style to the opener; nothing without one or without a style.
    void popupTextStylesDialogWithSelection();

    // --- Ruler and spelling -----------------------------------------------------------------------
    // Whether the editor's ruler is shown.
    bool isRulerVisible() const { return m_rulerVisible; }
    void setRulerVisible(bool visible) { m_rulerVisible = visible; }
    // A ruler marker was moved: move changes the paragraph styles of the selected paragraphs. While
    // a data field is highlighted it applies only when the selection starts in field text, and
    // every paragraph then takes the style of the field's paragraph.
    void rulerViewDidMoveMarker(const std::function<void(QTextBlockFormat &)> &move);
    // With the flag set, a spelling search that comes round to the start ends the check instead.
    void setSpellChecker(bool on) { m_bSpellChecker = on; }
    bool spellChecker() const { return m_bSpellChecker; }
    // Told when a spelling check ended by coming round (the flag set).
    void setFinishedSpellChecking(std::function<void()> finished) { m_finishedSpellChecking = std::move(finished); }
    // Selects the next misspelled word after the selection, coming round to the start of the text
    // once; answers whether one was selected.
    bool checkSpelling(const PWSpellChecker &checker);
    // Whether a drag offering these MIME types is accepted (as a copy).
    static bool acceptsDrag(const QStringList &mimeTypes);

private:
    CCTextStorage::Range clamped(CCTextStorage::Range range) const;
    // One undoable field command: snapshot, change every run of the field, name the step.
    void fieldCommand(const QString &actionKey, const std::function<void(CCTextStorage::Range)> &change);
    void kerningStep(double delta, const QString &actionKey);
    void ligatures(int value, const QString &actionKey);
    void deleteField(bool forward);

    QTextDocument *m_storage;
    CCLayoutManager *m_highlight;
    PWUndoManager *m_undo = nullptr;
    CCTextStorage::Range m_selection;
    QRectF m_frame {0.0, 0.0, 240.0, 180.0};
    double m_rotation = 0.0;
    bool m_rulerVisible = false;
    bool m_bSpellChecker = false;
    std::function<void()> m_finishedSpellChecking;
    TextStylesOpener m_openTextStyles;
};
