#pragma once

#include "kernel/base/CDDString.h"
#include "kernel/base/FTTypes.h"
#include "platform/PWAttributedString.h"
#include "platform/PWFont.h"
#include "kernel/render/CCLayoutManager.h"

#include <QPointer>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QTextCharFormat>

#include <array>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class CCircleTextContainer;
class CDDColor;
class CDDDrawer;
class CDDFieldEditor;
class CDDPen;
class QTextDocument;
struct FTAGlyphLocation;

// Which paragraph value a spacing operation reads or writes.
enum paragraphSpacingType : std::int32_t {
    pstLine = 0,
    pstBeforeParagraph = 1,
    pstAfterParagraph = 2,
};

// The styled text of one text frame: its contents and the one-character default text "M", each
// in its own QTextDocument. The default text is never drawn; it carries the style of the text
// while the contents is empty and measures an empty text, so every style change applies to
// both. An attribute "dictionary" here is a QTextCharFormat; attributes Qt lacks ride as the
// user properties of PWTextAttributes. Copies by assignment share the contents (both texts then
// change together); copy() makes an independent one.
class CDDText
{
public:
    // The layout area of both documents while nothing narrows it: no wrapping, no clipping.
    static constexpr double kContainerSize = 1000000.0;
    // Inset of each line of the contents on both sides (none for the default text).
    static constexpr double kLinePadding = 1.0;
    // No command makes a font smaller than this.
    static constexpr double kMinFontSize = 3.0;

    explicit CDDText(bool circleText = false);
    ~CDDText();

    CDDText(const CDDText &) = delete;
    // Shares the other text's contents document; the default text stays this text's own.
    CDDText &operator=(const CDDText &other);
    // An independent copy of the other's contents and default text.
    void copy(const CDDText *other);

    // The two documents, owned by the text (the contents possibly shared, see operator=).
    // Laid out in its width before it is handed out: its holder may read its layout.
    QTextDocument *getContents() const;
    QTextDocument *getDefValue() const { return m_defText.get(); }
    bool isCircleText() const { return m_isCircleText; }
    CCLayoutManager &layoutManager() { return m_layoutManager; }
    const CCLayoutManager &layoutManager() const { return m_layoutManager; }

    // --- Reading --------------------------------------------------------------------------------
    bool isEmpty() const;
    // The characters of the contents; paragraphs end in "\n".
    QString getString() const;
    PWAttributedString getAttributedString() const;
    // A value of its own for every call.
    CDDString getDDString() const;
    bool isEqualToString(const QString &text) const;
    // The first run's attributes: of the contents, or of the default text while the contents is
    // empty. mixed, when given, becomes true when the contents has more than one style, false
    // for an empty text, and is left alone otherwise. Nothing when the default text is empty too.
    std::optional<QTextCharFormat> GetFontAttr(bool *mixed = nullptr) const;
    // The first run's font, with the same choice of text and the same rule for mixed (fonts only).
    std::optional<PWFont> GetFont(bool *mixed = nullptr) const;

    // --- Changing -------------------------------------------------------------------------------
    // Replaces the contents by plain text in the given style (no style when null); the default
    // text then takes the new first run's style. Nothing happens when the text is already shown.
    void setString(const QString &text, const QTextCharFormat *attributes);
    void setAttributedString(const PWAttributedString &text);
    void setDefText(const PWAttributedString &text);
    void setStringIntValue(int value);
    // Pads with "0" on the left to width characters (at most kMaxLeadingZerosWidth), in the
    // first run's style; a minus sign stays in front of the zeros ("-005").
    static constexpr int kMaxLeadingZerosWidth = 64;
    void addLeadingZeros(int width);
    // Styles target like this text, data field by data field ("FTTextTag" of the custom
    // attributes); untagged runs take the untagged (or the first) style. Null target: logged.
    void copyAttributesToString(PWAttributedString *target) const;
    // A new text: text's characters followed by suffix, in text's first-run style. With
    // avoidRepeat, a text (blanks trimmed) already ending with suffix is taken unchanged.
    static std::unique_ptr<CDDText> createTextByAppendingString(const QString &suffix, const CDDText &text,
                                                                bool avoidRepeat);
    static std::unique_ptr<CDDText> createTextWihLinkedText(const CDDText &first, const CDDText &second,
                                                            bool firstAhead);
    // Takes the first-run style of a default component's text (its GetFontAttr); nothing
    // without one.
    void setDefComponentStyle(const std::optional<QTextCharFormat> &style);
    void snapshotObject();
    void restoreObject();

    // --- Measuring and drawing ------------------------------------------------------------------
    double minSizeX() const { return 3.0; }
    // The line height of the first-run font.
    double minSizeY() const;
    double getContOffsetX() const { return kLinePadding; }
    double getContSizeX() const;
    double getContSizeY() const;
    double GetBaseLineOffset() const;
    double getLineOffsetX() const;
    double getDefXSpacing() const;
    double getSpaceXSpacing(const QString &text) const;
    // What the letters drawn in a frame of width by height cover, in the frame's coordinates
    // (before any turn): the lines laid out at the frame's width as a drawing lays them, within the
    // frame that clips them; a null rectangle for an empty text.
    QRectF laidOutLetters(double width, double height) const;
    // Whether (x, y), in the coordinates of the contents' layout area, lies on the laid-out glyphs.
    bool hitPoint(double x, double y) const;
    // Draws the decoration (background, outline) and, unless editing, the glyphs in the frame,
    // turned by angle (radians) about its centre. The layout area becomes the frame's size.
    void draw(double x, double y, double width, double height, bool fill, const CDDColor *backColor,
              CDDDrawer *drawer, double angle, const CDDColor *outlineColor, const CDDPen *pen);
    // A circle text: with fill and a colour the oval inscribed in the frame is filled, turned by
    // angle about the frame's centre; then the glyphs run along the oval's ellipses from
    // baseAngle (inside: upright within the oval's bottom), each recorded in glyphs. While the
    // text is edited the dashed oval is drawn too; outlineOnly draws nothing else.
    void drawCircleText(double x, double y, double width, double height, bool fill, const CDDColor *backColor,
                        CDDDrawer *drawer, double angle, double baseAngle, bool inside, bool outlineOnly,
                        textAlignment alignment, std::vector<FTAGlyphLocation> &glyphs);
    // The layout area of a circle text; null for any other text.
    CCircleTextContainer *circleTextContainer() const;
    // Circle text is typed in the shared editor like any other text: nothing to prepare.
    void editCircleText(void *, void *, void *) {}
    void updateFontSizeWithKoeff(double factor);
    // The size the contents is laid out in (the frame's once drawn).
    QSizeF getContainerSize() const { return m_containerSize; }

    // --- In-place editing: what the shared editor needs ----------------------------------------
    // The editor edits getContents() itself, laid over editorFrame() and turned by editorAngle().
    void startEditing(double x, double y, double width, double height, double angle);
    // typingFormat: the style the editor would type in; an empty text keeps it as its style.
    void endEditing(const QTextCharFormat *typingFormat = nullptr);
    bool isEditing() const { return m_isEditing; }
    bool isNewText() const { return m_isNewText; }
    void setEditingOrigin(double x, double y);
    void setEditorAngle(double angle, double x, double y, double width, double height);
    void alignEditorFrame(double angle, double x, double y, double width, double height);
    // While an input method composes text in the editor, the editor is not held to the frame:
    // it spans kContainerSize each way, standing by the first paragraph's alignment so that the
    // text stays where it was (turned with the frame when the angle is not 0).
    void SetMaxSizeForJapan(double x, double y, double width, double height, double angle) const;
    // Where the editor's lines go: the text's frame within its line inset, as the text is drawn.
    QRectF editorFrame() const { return m_editorFrame; }
    // Degrees, as a graphics item turns.
    double editorRotation() const { return m_editorRotation; }
    // The field editor over the text while it is edited (not owned): editor is the same object
    // as a QObject, so that an editor that goes is never asked again. Forgotten when editing ends.
    void setFieldEditor(CDDFieldEditor *editor, QObject *lifetime);
    // The editor owns the selection; without one attached there is none.
    bool IsHaveSelect() const;
    // Asked for after editing started but before the editor is attached, the whole text is
    // selected as soon as it is.
    void selectAll();
    // The style the editor types in, none when the text is not being edited.
    std::optional<QTextCharFormat> editorTypingFormat() const;

    // --- Attribute commands ---------------------------------------------------------------------
    void SetFont(const PWFont &font);
    // Replaces the attributes of the whole text; keepColor keeps the contents' text colour.
    void SetFontAttr(const QTextCharFormat &attributes, bool keepColor);
    // The font panel's change of some attributes: they go over each run's own (the other
    // attributes of each run stay); keepColor keeps each run's text colour. The default text
    // takes its first run's attributes so changed. An empty contents is not touched.
    void MergeFontAttr(const QTextCharFormat &changed, bool keepColor);
    void SetFontSize(double size);
    void ChangeFontSize(double delta);
    void IncreaseFontSize();
    void DecreaseFontSize();
    void SetDefaultFont();
    bool IsEqualFont(const PWFont &font) const;
    bool IsEqualFontAttr(const QTextCharFormat &attributes) const;
    void setBaseline(float baseline);
    void raiseBaseline();
    void lowerBaseline();
    void setKerning(float kerning);
    void loosenKerning();
    void tightenKerning();
    void setTextColor(const CDDColor &color);
    void getTextColor(CDDColor &color) const;
    void setBackColor(const CDDColor *color);
    void getBackColor(CDDColor &color) const;
    bool SetAlignment(textAlignment alignment);

    // --- Spacing --------------------------------------------------------------------------------
    void SetSpacingLine(float value) { SetParagraphSpacing(pstLine, value); }
    float GetSpacingLine() const { return GetParagraphSpacing(pstLine); }
    void SetSpacingBeforeParagraph(float value) { SetParagraphSpacing(pstBeforeParagraph, value); }
    float GetSpacingBeforeParagraph() const { return GetParagraphSpacing(pstBeforeParagraph); }
    void SetSpacingAfterParagraph(float value) { SetParagraphSpacing(pstAfterParagraph, value); }
    float GetSpacingAfterParagraph() const { return GetParagraphSpacing(pstAfterParagraph); }
    void SetParagraphSpacing(paragraphSpacingType type, float value);
    float GetParagraphSpacing(paragraphSpacingType type) const;
    void SetSpacingCharacter(float value);
    float GetSpacingCharacter() const;
    // Ranges are (location, length) in characters of getString().
    // The paragraphs (start, length with their line end) meeting the character range, an empty
    // range counting as its one character; the last paragraph when none meets it. A text ending
    // in a line end has no empty paragraph after it.
    std::vector<std::pair<int, int>> paragraphsRangeForRange(int location, int length) const;
    // The paragraphs of the edited range; empty for none.
    std::vector<std::pair<int, int>> paragraphsRangeForSelection() const;
    // The styled text of each of those paragraphs, line ends included.
    std::vector<PWAttributedString> paragraphsForRange(int location, int length) const;
    // The range the spacing commands treat as edited: every glyph of the text laid out without
    // limits, not the editor's selection, so spacing changes the whole text while it is edited too.
    std::pair<int, int> getEditorSelectedRange() const;

    // The bytes a save last stored the text in, each of its stored forms (CDDArchiveText) with
    // the styled text it was made from: a text stored again as it was, at every save and at every
    // weighing of a window's design after a step, is not encoded again. Safe across threads.
    struct StoredForm
    {
        PWAttributedString from;
        QByteArray bytes;
    };
    static constexpr int kStoredForms = 3;
    std::shared_ptr<const StoredForm> storedForm(int form) const;
    void keepStoredForm(int form, std::shared_ptr<const StoredForm> stored) const;

private:
    // Applies f to every character run of the contents and to the whole default text.
    template <typename Change>
    void changeRuns(Change change);
    void restyleDefText();
    // Notes in the open job reports that a text was drawn while no font is installed.
    static void noteDrawnWithoutFonts();
    // Notes in the open job reports the letters of the laid-out text that no installed font
    // holds (they are drawn as empty boxes).
    void noteMissingLetters() const;

    std::shared_ptr<QTextDocument> m_contents;
    std::unique_ptr<QTextDocument> m_defText;
    CCLayoutManager m_layoutManager;
    QSizeF m_containerSize {kContainerSize, kContainerSize};
    bool m_isCircleText;
    mutable std::shared_ptr<CCircleTextContainer> m_circleContainer;
    bool m_isEditing = false;
    CDDFieldEditor *m_fieldEditor = nullptr;
    QPointer<QObject> m_fieldEditorLifetime;
    // A select-all asked for between the start of editing and the editor's arrival.
    bool m_selectAllOnAttach = false;
    bool m_isNewText = true;
    // Where the shared editor stands, not a part of the text: a composition's widening, asked
    // of a text that is otherwise left alone, moves it too.
    mutable QRectF m_editorFrame;
    mutable double m_editorRotation = 0.0;
    double m_snapshotFontSize = 3.0;
    mutable std::mutex m_storedMutex;
    mutable std::array<std::shared_ptr<const StoredForm>, kStoredForms> m_stored;
};
