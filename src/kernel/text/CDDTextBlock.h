#pragma once

#include "kernel/base/FTGeometry.h"
#include "kernel/base/FTTypes.h"
#include "kernel/base/FTComponentTypes.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CCBlockLayoutManager.h"
#include "kernel/text/CCTextList.h"
#include "kernel/text/CCTextStorage.h"
#include "platform/PWAttributedString.h"
#include "platform/PWFont.h"

#include <QMetaObject>
#include <QRectF>
#include <QTextCharFormat>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CCTextExtContainer;
class CCTextView;
class CDDColor;
class CDDDrawer;
class CDDPen;
class CFTComponentsInterface;
class QTextDocument;

// The text of one block of flowing text: a wrap-around container in a layout shared with the
// blocks linked to it, so that the text runs from block to block in container order. Every
// attribute command works on the shared storage and so on the text of all linked blocks; the
// font queries look at this block's own characters. The block holds the shared layout (and so
// the storage) by shared ownership.
class CDDTextBlock
{
public:
    static constexpr double kDefaultWidth = 240.0;
    static constexpr double kDefaultHeight = 180.0;
    static constexpr double kListMarkerTab = 10.0;
    static constexpr double kListTextTab = 35.0;
    static constexpr double kMinHyphenationFactor = 0.05;

    CDDTextBlock();
    CDDTextBlock(double width, double height);
    virtual ~CDDTextBlock();
    CDDTextBlock(const CDDTextBlock &) = delete;
    CDDTextBlock &operator=(const CDDTextBlock &) = delete;

    // Joins a layout (a new one of its own when none is given); front puts this block first.
    void setLayoutManager(std::shared_ptr<CCBlockLayoutManager> manager, int front);
    // Exchanges the held layout only; the container stays where it is.
    void replaceLayoutManager(std::shared_ptr<CCBlockLayoutManager> manager);
    const std::shared_ptr<CCBlockLayoutManager> &getLayoutManager() const { return m_manager; }
    CCTextExtContainer *getContainer() const { return m_container.get(); }
    void setDefWidth(double width) { m_defWidth = float(width); }
    void setDefHeight(double height) { m_defHeight = float(height); }

    QTextDocument *getContents() const;
    // A copy of the whole shared text; nothing without a storage.
    std::optional<PWAttributedString> getAttributedString() const;
    // This block's share of the text.
    PWAttributedString getContainerText() const;
    void setString(const QString &text, const QTextCharFormat *attributes);
    void setAttributedString(const PWAttributedString &text);
    bool isEmpty() const;
    int getContainerTextLength() const;
    CCBlockLayoutManager::Range getContainerRange() const;
    // Lays the container into the block's frame, the vertical inset taken off top and bottom.
    void invalidateLayout(const CFTComponentsInterface *components, double x, double y, double width,
                          double height, double angle);
    // The text area of a frame under the vertical inset rule (also with no inset when always).
    static QRectF textArea(double inset, double x, double y, double width, double height, bool always);

    double minSizeX() const { return 3.0; }
    double minSizeY() const { return 15.0; }
    double getContOffsetX() const { return 0.0; }
    double getContSizeX() const { return 150.0; }
    double getContSizeY() const { return 100.0; }

    // --- Drawing, hit testing and editing ---------------------------------------------------------
    void draw(double x, double y, double width, double height, bool showFrame, bool fill, const CDDColor *backColor,
              textAlignment alignment, CDDDrawer *drawer, double angle, const CDDColor *frameColor, const CDDPen *pen);
    // Whether the text overflows past this, the last container of the chain.
    bool showsOverflow() const;
    bool hitPoint(double x, double y) const;
    CCTextView *getEditor();
    bool IsHaveSelect() const;
    bool isEditing() const { return m_editing; }
    void startEditing(double x, double y, double width, double height, double angle, bool first, bool last);
    void endEditing();
    void setEditingOrigin(double x, double y);
    void setEditorAngle(double angle, double x, double y, double width, double height);
    void alignEditorFrame(double angle, double x, double y, double width, double height);
    QRectF editorFrame() const { return m_editorFrame; }
    double editorRotation() const { return m_editorRotation; }

    // --- Attributes ---------------------------------------------------------------------------------
    void getBackColor(CDDColor &color) const;
    void setBackColor(const CDDColor *color);
    void getTextColor(CDDColor &color) const;
    void setTextColor(const CDDColor &color);
    void raiseBaseline();
    void lowerBaseline();
    void underline();
    void outline();
    void AnchorText();
    void SetAlignment(textAlignment alignment);
    textAlignment GetAlignment() const;
    // A font for every run, or (with a converter) each run's font converted.
    void SetFont(const PWFont &font);
    void SetFont(const std::function<QFont(const QFont &)> &convert);
    // The font at the start of this block's characters; the environment's default font when the
    // block shows none.
    std::optional<QFont> GetFont(bool *mixed) const;
    void IncreaseFontSize();
    void DecreaseFontSize();
    // Replaces the attributes of the whole text; while editing, of each paragraph of the selection,
    // each registered with the editor's undo manager with the attributes it had.
    void SetFontAttr(const QTextCharFormat &attributes);
    void SetFontAttr(const std::function<QTextCharFormat(const QTextCharFormat &)> &convert, bool keepColor);
    std::optional<QTextCharFormat> GetFontAttr(bool *mixed) const;
    void SetParagraphSpacing(paragraphSpacingType type, float value);
    float GetParagraphSpacing(paragraphSpacingType type) const;
    void SetSpacingLine(float value) { SetParagraphSpacing(pstLine, value); }
    float GetSpacingLine() const { return GetParagraphSpacing(pstLine); }
    void SetSpacingBeforeParagraph(float value) { SetParagraphSpacing(pstBeforeParagraph, value); }
    float GetSpacingBeforeParagraph() const { return GetParagraphSpacing(pstBeforeParagraph); }
    void SetSpacingAfterParagraph(float value) { SetParagraphSpacing(pstAfterParagraph, value); }
    float GetSpacingAfterParagraph() const { return GetParagraphSpacing(pstAfterParagraph); }
    void SetSpacingCharacter(float value);
    float GetSpacingCharacter() const;
    virtual void SetHyphenation(bool on);
    virtual bool IsHyphenation() const;
    virtual void SetInsetOffset(double inset);
    virtual double GetInsetOffset() const;
    virtual void SetHighlightedDataField(int field);
    virtual int GetHighlightedDataField() const;
    int numberOfDataFields() const;
    // The distinct field numbers as decimal strings, in order of first appearance.
    std::optional<QStringList> containDataFields() const;
    std::vector<CCTextStorage::Range> paragraphsRangeForRange(CCTextStorage::Range range) const;
    std::vector<PWAttributedString> paragraphsForRange(CCTextStorage::Range range) const;
    std::optional<std::vector<CCTextStorage::Range>> paragraphsRangeForSelection() const;

    // --- Lists ----------------------------------------------------------------------------------
    std::optional<CCTextList> selectedTextList() const;
    int GetListType() const;
    void SetListType(int type);
    void updateTextList(const CCTextList &list);
    // The storage processed an edit of [position, position + added) (removed characters gone).
    virtual void textDidProcessEditing(int position, int removed, int added);
    // The editor's text changed, the caret at its selection.
    virtual void textDidChange();
    // Styles target like this block's text, data field by data field; false for no target.
    bool copyAttributesToString(PWAttributedString *target) const;

private:
    // The range a paragraph command works on: the editor's selection while editing, else all.
    CCTextStorage::Range commandRange() const;
    void applyItemStyle(CCTextStorage::Range range, int type);
    void replaceAttributesUndoably(CCTextStorage::Range range, const QTextCharFormat &attributes);
    void connectStorage();

    std::shared_ptr<CCBlockLayoutManager> m_manager;
    std::unique_ptr<CCTextExtContainer> m_container;
    std::unique_ptr<CCTextView> m_editor;
    float m_defWidth = float(kDefaultWidth);
    float m_defHeight = float(kDefaultHeight);
    double m_inset = 0.0;
    bool m_editing = false;
    // False while the list commands edit the storage themselves (the typing upkeep stays out).
    bool m_delegateActive = true;
    QRectF m_editorFrame;
    double m_editorRotation = 0.0;
    QMetaObject::Connection m_storageConnection;
};
