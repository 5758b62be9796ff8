#pragma once

#include "kernel/base/FTComponentTypes.h"
#include "kernel/base/FTTypes.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/address/CFTABarcode.h"
#include "kernel/base/CDDString.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/component/CFTDefComponentText.h"

#include <QRectF>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

// The address block of a design: one component owning its own copy of an address format and one
// address field per leaf of it, for the recipient or the sender side. It is filled from a person
// category by category, hides empty fields, keeps the format's delimiters on its field texts and
// lays the shown fields out row by row on common baselines. After a format is applied, the k-th
// leaf of a category is served by the k-th field of that category (paired through the fields'
// enumeration marks).
class CFTAAddressPanel : public CFTComponent
{
public:
    // setFormat flags: apply each leaf's mode and literal text; keep the fields' labels; leave
    // the layout flag alone.
    static constexpr int kApplyLeafModes = 1;
    static constexpr int kKeepLabels = 2;
    static constexpr int kKeepLayout = 4;
    // The most rectangles getCursorRectsByType writes.
    static constexpr int kMaxCursorRects = 65;
    // The smallest content height a fit to an area scales a panel down to.
    static constexpr double kMinFitHeight = 35.0;

    CFTAAddressPanel();
    // Side, format (copied; may be null), style source (may be null) and placeholder state.
    CFTAAddressPanel(bool toFrom, const CAddressFormat *format, const CFTComponent *styleSource, bool placeholder);
    ~CFTAAddressPanel() override;

    // --- Fields -------------------------------------------------------------------------------
    unsigned int addressComponentCount() const { return unsigned(mAddressTexts.size()); }
    CFTAAddressText *addressComponentAtIndex(unsigned int index) const;
    CFTAAddressText *getAddressComponentWithTextCategory(textCategory category) const;
    CDDText *getText(textCategory category) const;
    bool containKey(textCategory category) const;
    // The existing field of the category, or (reuse false) always a new one, appended.
    CFTAAddressText *createObjectFromType(textCategory category, bool reuse);
    void initEnumerator();
    // The first unmarked field of the category, marked; a new one when create is set and none is left.
    CFTAAddressText *getNextAddressComponent(textCategory category, bool create);
    CFTAAddressText *getNextAddressComponent();
    // Take the field out of the list; the caller then owns it. False when it was not there.
    bool removeAddressComponent(CFTAAddressText *field);
    bool eraseAddressComponent(CFTAAddressText *field);
    // Puts newField (which the panel then owns) in the place of the next field of the category
    // and deletes that field; 0 when there was none (newField is then not taken), else 1.
    int replaceAddressComponent(textCategory category, CFTAAddressText *newField);
    // Turns the fields into free components: the shown ones are appended to out (the caller owns
    // them), the others deleted, or handed to leftOut when given (an undo may want them back);
    // the panel is left without fields.
    void Ungroup(std::vector<CFTComponent *> &out, std::vector<CFTComponent *> *leftOut = nullptr);
    // Takes the field (which the panel then owns) at the end of the list, marked as enumerated.
    void appendAddressComponent(CFTAAddressText *field);
    // Takes the address fields among the components (the panel then owns them) in place of the
    // fields of their categories; other components are left to the caller.
    void Group(std::vector<CFTComponent *> &components);

    // --- Format -------------------------------------------------------------------------------
    // Applies a copy of the format and answers the previous one; null (and no change) for a null
    // format.
    std::unique_ptr<CAddressFormat> replaceFormat(const CAddressFormat *format, int flags);
    // replaceFormat, dropping the previous format; 1 when a format was applied, else 0.
    int setFormat(const CAddressFormat *format, int flags) override;
    const CAddressFormat *getFormat() const override { return mpFormat.get(); }
    const CDDString &templateName() const { return mTemplateName; }

    // --- Modes, side and type -----------------------------------------------------------------
    bool isEnabled(textCategory category) const;
    // The panel's own mode of a whole component stays reachable beside the per-category forms.
    using CFTComponent::getMode;
    using CFTComponent::setMode;
    void setMode(textCategory category, fieldMode mode);
    fieldMode getMode(textCategory category) const;
    // The name parts (first, last, middle name, prefix, suffix) change together.
    void setBatchMode(textCategory category, fieldMode mode);
    void SwitchCountryFieldVisible();
    void setShowAllFields(bool show);
    bool isShowAllFields() const { return m_bAuto || m_bShowAllFields; }
    // The switch alone, without the placeholder's showing every field.
    bool isShowAllFieldsSet() const { return m_bShowAllFields; }
    void setAuto(bool placeholder) { m_bAuto = placeholder; }
    bool isAuto() const { return m_bAuto; }
    bool isEmpty() const { return m_bEmpty; }
    void setPrintMode() { m_bPrintMode = true; }
    bool needsUpdate() const { return m_bNeedUpdate; }
    // The panel was just drawn for printing and nothing has changed since: its next draw, when
    // it prints, keeps the rows that draw laid out instead of laying them out again. Holds for
    // that one draw only. False takes such a promise back.
    void keepPrintLayoutForNextDraw(bool keep = true) { m_bKeepPrintLayout = keep; }

    // --- Barcode ------------------------------------------------------------------------------
    void SetBarcodeVisible(bool visible) { m_bBarcodeHidden = !visible; }
    bool IsBarcodeVisible() const { return !m_bBarcodeHidden; }
    // Where the panel's barcode goes, kept while it is hidden: in the panel above or below the
    // address, or apart (on the barcode field when the panel has one, which designs store).
    void SetBarcodeLocation(barcodeLocation location);
    // That place; -1 while none was ever chosen.
    int GetBarcodeLocation() const;
    // Puts back a place GetBarcodeLocation answered, -1 included.
    void restoreBarcodeLocation(int location);
    void SetBarcodeCornerLocation(float, float) {}
    const CFTABarcode *GetBarcode() const { return nullptr; }
    bool isFIMBarcodeAllow() const { return true; }

    // --- Layout (CFTAAddressPanelLayout.cpp) --------------------------------------------------
    // Lays the fields out row by row; the first layout after reading keeps the file's places for
    // a save (layOutKeepingFile).
    void updateFormat();
    void layOutForEditing();
    void startEditNeighbour(QObject *view, QObject *editor, bool backward);
    bool getRow(std::vector<CFTAAddressText *> &row);
    double getRowBound(const std::vector<CFTAAddressText *> &row, double spacing, double &width, double &height);
    double rowLocX(textAlignment alignment, double widest, double width);
    double setRow(const std::vector<CFTAAddressText *> &row, double x, double y, double columnSpacing);
    void applyAlignment();
    virtual float getXMargin() const { return float(mdMarginX); }
    virtual float getYMargin() const { return float(mdMarginY); }
    double columnSpacing() const { return mdColumnSpacing; }
    double rowSpacing() const { return mdRowSpacing; }
    void setColumnSpacing(double spacing);
    void setRowSpacing(double spacing);
    float contentRight() const { return mfContentRight; }
    float contentBottom() const { return mfContentBottom; }

    // --- Format rules (CFTAAddressPanelRules.cpp) ---------------------------------------------
    int updateFormatRules() override;
    int updatePhoneticRules(bool keep) override;
    CFTAAddressText *getAddressComponentNextToComponent(const CFTAAddressText *field, bool sameRow,
                                                        CAddressFormat *format);
    CFTAAddressText *getAddressComponentPrevToComponent(const CFTAAddressText *field, bool sameRow,
                                                        CAddressFormat *format);

    // --- Component: identity, side and capabilities -------------------------------------------
    compType getType() const override { return ctAddressPanel; }
    classID getClassID() const override { return ciAddressPanel; }
    QString getContextMenu() const override;
    bool GetToFrom() const override { return m_bToFrom; }
    void SetToFrom(bool toFrom) override;
    bool canFill() const override { return true; }
    bool canStrok() const override { return true; }
    bool canHighlighted() override { return true; }
    bool canGroup() override { return false; }
    bool canUngroup() override { return true; }

    // --- Component: snapping, geometry and drawing (CFTAAddressPanelLayout.cpp) ---------------
    int getXSnapArrayFrom(std::span<float> array) const override;
    int getYSnapArrayFrom(std::span<float> array) const override;
    int getXSnapArrayTo(std::span<float> array) const override { return getXSnapArrayFrom(array); }
    int getYSnapArrayTo(std::span<float> array) const override { return getYSnapArrayFrom(array); }
    float getMinSnapYTo() const override { return getMinSnapYFrom(); }
    float getMaxSnapYTo() const override { return getMaxSnapYFrom(); }
    float getMinSnapXTo() const override { return getMinSnapXFrom(); }
    float getMaxSnapXTo() const override { return getMaxSnapXFrom(); }
    float getMinSnapYFrom() const override;
    float getMaxSnapYFrom() const override;
    float getMinSnapXFrom() const override;
    float getMaxSnapXFrom() const override;
    void Move(double dx, double dy, const CFTACoreView *view) override;
    void Draw(CDDDrawer *drawer, bool selected, const CFTComponentsInterface *components, bool highlighted,
              bool printing) override;
    void DrawSelection(CDDDrawer *drawer, const CFTACoreView *view) override;
    void updateCoordWithKoeff(double kx, double ky, double unused, double bottomLimit) override;
    void updateCoordWithVector(double dx, double dy) override;
    void updateFontSizeWithKoeff(double factor) override;
    bool updatePositionToFitSize(double maxWidth, double maxHeight, bool checkOnly) override;
    // A panel that stands over the area even in the smallest type is named in the open job
    // reports (PWJobReport), once for each address, when fitted and whenever it is printed.
    // The same fit on the rows as the last print layout left them: for a caller that knows
    // nothing changed since a check laid the panel out (the answer and the result are the same).
    bool fitLaidOutRows(double maxWidth, double maxHeight, bool checkOnly);
    // Whether the panel's print layout reaches past an output of width by height points (its
    // card or envelope, from the top-left corner) that draws it unfitted, as an export does; such
    // a panel is named in the open job reports, once for each address, as the address of its
    // person running past the edge of its `output` ("card", "envelope").
    // Which layout is measured: one made anew, the one a print made that the caller knows the
    // panel still has (a fit's check) and keeps, or that of the print that drew these very texts
    // last while a job report was open, once (a print's check, right after the drawing; anew when
    // the texts are others or that layout was taken already). An address that then does not fit
    // even in the smallest type is named for that output too.
    enum class Measured { Anew, AsLaidOut, AsPrinted };
    bool notePastOutput(double width, double height, const QString &output, Measured measured = Measured::Anew);
    // Names again what the last notePastOutput found (a print of a copy measured before its fit
    // names it in the job that prints it); nothing when it found the panel inside.
    void notePastOutputAgain() const;
    // The laid-out rows' box, turned as the panel is drawn.
    QRectF laidOutBox() const;
    // Whether a print fitted the panel to an area (its own check then names what still stands over).
    bool isFitted() const { return mdFitAreaX > 0.0; }
    void SetOrigin(double x, double y) override;
    void SetAlignment(textAlignment alignment) override;
    textAlignment GetAlignment() const override { return mDefText.GetAlignment(); }

    // --- Component: picking, editing and text styles (CFTAAddressPanelEditing.cpp) -----------
    CFTComponent *PickMe(double x, double y, bool &selected, double tolerance, actionType &action, int mode) override;
    int PickMyDot(double, double, double) override { return 0; }
    int PickText(double x, double y, double tolerance) override;
    int getCursorRectsByType(cursorType type, SRect *rects, bool enabled, double tolerance) override;
    double GetEditingOriginX() const override;
    double GetEditingOriginY() const override;
    double GetEditingSizeX() const override;
    double GetEditingSizeY() const override;
    const CDDColor *GetFillColor() const override { return mDefText.GetFillColor(); }
    const CDDColor *GetStrokeColor() const override { return mDefText.GetStrokeColor(); }
    void SetFillColor(const CDDColor *color) override;
    void SetStrokeColor(const CDDColor *color) override;
    void SetHaveBackColor(bool haveBackColor) override;
    bool GetHaveBackColor() const override { return mDefText.GetHaveBackColor(); }
    void startEditText(QObject *view, QObject *editor) override;
    void startEditText(QObject *view, QObject *editor, double x, double y) override;
    // Backtab's counterpart of startEditText(view, editor): the field before the focused one.
    void startEditPreviousText(QObject *view, QObject *editor);
    CFTComponent *endEditText(QObject *editor) override;
    void ExpandByText() override;
    void NeedAutoExpand() override { m_bNeedAutoExpand = true; }
    bool isEditing() const override { return m_bEditing; }
    CFTAAddressText *currentText() const { return mCurrentText; }
    void SetFont(const PWFont &font) override;
    void SetFontAttr(const QTextCharFormat &attributes) override;
    void MergeFontAttr(const QTextCharFormat &changed) override;
    std::optional<PWFont> GetFont(bool *mixed) const override;
    std::optional<QTextCharFormat> GetFontAttr(bool *mixed) const override;
    void IncreaseFontSize() override;
    void DecreaseFontSize() override;
    void raiseBaseline() override;
    void lowerBaseline() override;
    void loosenKerning() override;
    void tightenKerning() override;
    void setBaseline(float baseline) override;
    void setKerning(float kerning) override;
    bool canChangeTextStyle() const override { return true; }
    void ChangeFontSize(double delta) override;
    void SetFontSize(double size) override;
    const CFTComponent *isTextEqual(const QTextDocument *storage) const override;
    void SetMaxSizeForJapan(double x, double y, double width, double height) const override;
    // The panel's text settings: the style new fields take.
    const CFTDefComponentText &defaultText() const { return mDefText; }

    // --- Component: categories, filling and archive -------------------------------------------
    textCategory GetTextCategory() const override;
    CFTComponent *GetObjectForTextCategory(textCategory category) override;
    const CFTComponent *GetObjectForTextCategory(textCategory category) const override;
    int GetContainTextCategories(textCategory *categories, int maximum) override;
    addressType GetAddressType() const override;
    void SetAddressType(addressType type) override;
    bool IsPreferredAddress() const override { return m_bPreferred; }
    void SetPreferredAddress(bool preferred) override;
    void setRepresentationType(objectRepType type, bool unused) override;
    using CFTComponent::SetString;
    void SetString(bool toFrom, textCategory category, addressType type, const CDDString &text,
                   textCategory linkCategory, bool append) override;
    CDDText *GetText() override;
    bool Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list) override;
    // Takes the field at that list position out of the list (the caller then owns it); null for
    // a position outside the list.
    CFTComponent *UngroupObjectWithCategory(textCategory index) override;
    CFTComponent *GroupObject(CFTComponent *component) override;
    void GetExportKeys(addressExportOptions options, std::vector<textCategory> &keys) override;
    void snapshotObject() override;
    void restoreObject() override;

private:
    // Walks the format row by row, after clearing the enumeration marks, and hands every leaf its
    // own field (null when the panel has none). visit answers false to end the walk.
    template <typename Visit>
    void forEachLeafField(Visit visit)
    {
        if (!mpFormat || !mpFormat->initEnumeration())
            return;
        initEnumerator();
        do {
            while (CAddressFormat *leaf = mpFormat->nextObjectInRow()) {
                if (!visit(leaf, getNextAddressComponent(leaf->getTextCategory(), false)))
                    return;
            }
        } while (mpFormat->nextRow());
    }

    void init(bool toFrom);
    void layOutRows();
    // What decides which fields are shown: show-all or an empty panel.
    bool forced() const { return isShowAllFields() || m_bEmpty; }
    // The first field of the leaf's phonetic partner is empty (no partner: false).
    bool partnerEmpty(const CAddressFormat *leaf) const;
    qsizetype indexOf(const CFTAAddressText *field) const;
    // Whether a field after this one on its row is shown with text (format: a walking copy).
    bool followingTextExists(const CFTAAddressText *field, CAddressFormat *format);
    // The text the delimiter rule gives the leaf's field; null where the leaf has no delimiter.
    std::unique_ptr<CDDString> delimitedText(const CAddressFormat *leaf, const CFTAAddressText *field,
                                             CAddressFormat *lookAhead);
    // After reading: a field stored otherwise than the rule would punctuate it was typed so.
    void keepFieldsTypedAsStored();
    void serializeFields(const CDDArchive &archive);
    void loadFields(const CDDArchive &archive, bool oldFile, CDDString *zip, CDDString *street, CDDString *country);
    // A panel read without its frame takes one round its fields.
    void frameFromFieldsWhenMissing(const CDDArchive &archive);
    void loadOldBarcode(const CDDArchive &archive, const CDDString &zip, const CDDString &street,
                        const CDDString &country);
    // Style commands: on the default settings, then every field; the layout goes out of date.
    template<typename Apply>
    void applyStyle(Apply apply);

    std::vector<std::unique_ptr<CFTAAddressText>> mAddressTexts;
    // The fields' modes at the last snapshot, in field order.
    std::vector<fieldMode> m_snapshotModes;
    CFTAAddressText *mCurrentText = nullptr;
    double mdColumnSpacing = 0.0;
    double mdRowSpacing = 0.0;
    double mdMarginX = 5.0;
    double mdMarginY = 5.0;
    double mdMinSizeX = 40.0;
    double mdMinSizeY = 20.0;
    std::unique_ptr<CAddressFormat> mpFormat;
    bool m_bEmpty = false;
    bool m_bToFrom = true;
    addressType m_addressType = adWork;
    bool m_bPreferred = true;
    CFTDefComponentText mDefText;
    bool m_bNeedAutoExpand = false;
    bool m_bEditing = false;
    double mdCornerRadius = 5.0;
    bool m_bBarcodeHidden = true;
    int m_barcodeLocation = -1;
    bool m_bNeedUpdate = true;
    // Read from a file and not yet laid out on screen.
    bool m_bFirstLayoutSinceRead = false;
    bool m_bShowAllFields = false;
    bool m_bAuto = false;
    CDDString mTemplateName;
    bool m_bPrintMode = false;
    // The area of the last fit (none while zero): each print of a block still over it says so.
    double mdFitAreaX = 0.0;
    double mdFitAreaY = 0.0;
    // What the last notePastOutput found past the output's edge: the key and line of its note.
    std::pair<QString, QString> mPastOutputNote;
    // How the items this panel is printed on are named ("envelope"); empty for a label.
    QString mOutputWord;
    // The last print's layout, until the check of its edges takes it: whether it left the panel
    // empty, the texts it drew, where it stood.
    struct PrintedLayout
    {
        bool empty = true;
        QStringList texts;
        QRectF box;
    };
    std::optional<PrintedLayout> mPrintedLayout;
    QStringList fieldTexts() const;
    float mfContentRight = 5.0f;
    float mfContentBottom = 5.0f;
    // "No format" is reported once per panel, not at every draw.
    bool m_bNoFormatLogged = false;
    bool m_bKeepPrintLayout = false;
};
