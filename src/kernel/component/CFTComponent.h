#pragma once

#include "kernel/base/CDDColor.h"
#include "kernel/base/CDDPen.h"
#include "kernel/render/CDDShadow.h"
#include "kernel/base/CDDString.h"
#include "kernel/base/CDDVariant.h"
#include "kernel/component/CFTSnapObject.h"
#include "kernel/base/FTClassID.h"
#include "kernel/base/FTComponentTypes.h"
#include "kernel/base/FTGeometry.h"
#include "kernel/base/FTTypes.h"
#include "platform/PWFont.h"

#include <QRectF>
#include <QString>
#include <QTextCharFormat>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CAddressFormat;
class CDDArchive;
class CDDArchiveKept;
class CDDDrawer;
class CDDPicture;
class CDDText;
class CDDWrappingPath;
class CFTACoreView;
class CFTComponentsInterface;
class PWBezierPath;
class PWImage;
class QByteArray;
class QImage;
class QObject;
class QTextDocument;

// Every object placed on a design (shape, line, picture, text, address panel, barcode, counter,
// file field, smart field) is a CFTComponent. Geometry is in design points, y down: the origin is
// the top-left corner of the unrotated rectangle and the angle (radians) turns it about its
// centre. Every operation has a working default here; subclasses refine some of them, and
// callers tell kinds apart by getClassID() and getType(), never by run-time type information.
//
// Handle numbers are a column code (4 left, 8 middle, 12 right) plus a row code (1 top,
// 2 middle, 3 bottom); 0 is none. Mirroring a handle is an exclusive-or with 8 (horizontally)
// or 2 (vertically).
//
// Whoever holds a component in a list owns it as that list's owner says (the core document owns
// the components of its sides and keeps removed ones until it goes).
class CFTComponent : public CFTSnapObject
{
public:
    CFTComponent();
    CFTComponent(double originX, double originY, double sizeX, double sizeY);
    ~CFTComponent() override;

    // Components are copied through Copy (and through archives), never by value.
    CFTComponent(const CFTComponent &) = delete;
    CFTComponent &operator=(const CFTComponent &) = delete;

    // --- Snapping: the rotated rectangle's extent ---------------------------------------------
    int getXSnapArrayFrom(std::span<float> array) const override;
    int getYSnapArrayFrom(std::span<float> array) const override;
    int getXSnapArrayTo(std::span<float> array) const override;
    int getYSnapArrayTo(std::span<float> array) const override;
    float getMinSnapYTo() const override;
    float getMaxSnapYTo() const override;
    float getMinSnapXTo() const override;
    float getMaxSnapXTo() const override;
    // The unrotated rectangle.
    float getMinSnapYFrom() const override;
    float getMaxSnapYFrom() const override;
    float getMinSnapXFrom() const override;
    float getMaxSnapXFrom() const override;

    // --- Identity -----------------------------------------------------------------------------
    virtual compType getType() const;
    virtual classID getClassID() const;
    virtual void setType(compType type);
    virtual void setDataRef(const CDDString &reference);
    virtual CDDString getDataRef() const;

    // --- Picking and cursors ------------------------------------------------------------------
    // The name of the context menu the application shows for the component; empty for none.
    virtual QString getContextMenu() const;
    // This component when (x, y) lies within tolerance of its frame, else null; action tells
    // what was found (actionFrame on a hit, actionNone otherwise).
    virtual CFTComponent *PickMe(double x, double y, bool &selected, double tolerance, actionType &action, int mode);
    virtual CFTComponent *TestMe(double x, double y, bool &selected, double tolerance);
    virtual int PickMyDot(double x, double y, double tolerance);
    virtual int PickText(double x, double y, double tolerance);
    // Squares of side 2 * tolerance over the handle pair of the type, turned into place with the
    // component; answers how many were written (2 or 0). rects needs room for two.
    virtual int getCursorRectsByType(cursorType type, SRect *rects, bool enabled, double tolerance);
    virtual bool GetToFrom() const;
    virtual void SetToFrom(bool toFrom);

    // --- Mouse operations ---------------------------------------------------------------------
    // Remembers the geometry at the start (modes 2, 3, 4, 6 and 10) and, for a view resizing
    // its selection as a group, this component's place in the group rectangle.
    virtual void StartOperation(operMode mode, const CFTACoreView *view, int unused, int handle);
    virtual void EndOperation(operMode mode);
    virtual void Move(double dx, double dy, const CFTACoreView *view);
    // Drags handle by (dx, dy); a handle dragged across the opposite side becomes its mirror,
    // which is written back.
    virtual void MoveDot(int &handle, double dx, double dy, const CFTACoreView *view);
    // Fits the component into the group rectangle (newX, newY, newWidth, newHeight) by the
    // factors StartOperation recorded. A turned component grows by the change from the previous
    // step's group size (oldWidth, oldHeight) and never below 1 by 1.
    virtual void ResizeWithGroupSize(double oldX, double oldY, double oldWidth, double oldHeight, double newX,
                                     double newY, double newWidth, double newHeight, bool unused1, bool unused2);
    // modifiers: the platform's modifier bits, Shift being 1 << 17.
    virtual void ModifyVectorForConstrain(int handle, double *dx, double *dy, int modifiers);

    // --- Drawing and outlines -----------------------------------------------------------------
    virtual void Draw(CDDDrawer *drawer, bool selected, const CFTComponentsInterface *components, bool flag1,
                      bool flag2);
    virtual void DrawSelected(CDDDrawer *drawer, bool selected, const CFTComponentsInterface *components, bool flag1,
                              bool flag2);
    virtual void DrawInPlace(double x, double y, double width, double height, CDDDrawer *drawer, bool flag,
                             const CFTACoreView *view);
    // The eight handles; nothing without a drawer or a view.
    virtual void DrawSelection(CDDDrawer *drawer, const CFTACoreView *view);
    virtual std::vector<CFTComponent *> getSelectedItems();
    virtual bool IsConvex();
    // The outline in the unrotated, unmirrored frame; null for none. The drawer may be null.
    virtual std::shared_ptr<PWBezierPath> GetPath(CDDDrawer *drawer);
    // The wrap outline, kept until the geometry changes; owned by the component.
    virtual CDDWrappingPath *GetPathForTextWrap(CDDDrawer *drawer);
    // Left, top, right, bottom of the turned rectangle; any pointer may be null.
    virtual void GetDrawRect(double *left, double *top, double *right, double *bottom, bool selected) const;
    virtual void GetSelectedDrawRect(double *left, double *top, double *right, double *bottom) const;
    virtual void GetLastDrawRect(double *left, double *top, double *right, double *bottom) const;
    // The draw rectangle, grown by half a handle on every side when grow is set; single precision.
    virtual QRectF GetNSDrawRect(bool grow, double handleSize) const;
    // Whether the rubber band between the corners (x1, y1) and (x2, y2), in any order, touches
    // the component.
    virtual bool isIntersectRect(double x1, double y1, double x2, double y2);

    // --- Geometry -----------------------------------------------------------------------------
    virtual void updateCoordWithKoeff(double kx, double ky, double unused1, double unused2);
    virtual void updateCoordWithVector(double dx, double dy);
    virtual void updateFontSizeWithKoeff(double factor);
    virtual bool updatePositionToFitSize(double width, double height, bool flag);
    virtual void SetOrigin(double x, double y);
    virtual double GetOriginX() const;
    virtual double GetOriginY() const;
    virtual double GetEditingOriginX() const;
    virtual double GetEditingOriginY() const;
    virtual void SetSize(double width, double height);
    virtual double GetSizeX() const;
    virtual double GetSizeY() const;
    virtual double GetEditingSizeX() const;
    virtual double GetEditingSizeY() const;
    virtual double GetAngle() const;
    virtual void SetAngle(double angle);
    // Turns by the change of direction from (startX, startY) to (currentX, currentY) seen from
    // the pivot.
    virtual void Rotate(double currentX, double startX, double currentY, double startY, double pivotX,
                        double pivotY);
    // Turns the component and its place by delta about the pivot; the angle stays in [-pi, pi].
    virtual void Rotate(double delta, double pivotX, double pivotY);
    virtual bool canRotate() const;
    virtual void ChangeObjectRadius(double currentX, double startX, double currentY, double startY, double pivotX,
                                    double pivotY);
    // Moves the component by delta away from the pivot along the line through its centre.
    virtual void ChangeObjectRadius(double delta, double pivotX, double pivotY);
    // The position of a handle, turned with the component; either pointer may be null.
    virtual void GetDotCoord(int handle, double *x, double *y);

    // --- Colours and shape capabilities -------------------------------------------------------
    virtual const CDDColor *GetFillColor() const;
    virtual const CDDColor *GetStrokeColor() const;
    virtual const CDDColor *GetTextColor() const;
    virtual void SetTextColor(const CDDColor *color);
    virtual float GetStrokeWidth() const;
    virtual void MarkAsDropDestination(bool mark);
    virtual bool IsFilled();
    virtual bool canFill() const;
    virtual bool IsStroked();
    virtual bool canStrok() const;
    virtual bool canSetImage();
    virtual bool canHighlighted();
    virtual bool canSetText();
    // Whether the text container (a block's layout area, compared by identity) is one of this
    // object's own; only texts that flow through containers answer true.
    virtual bool hasTextContainer(const void *) const { return false; }
    virtual bool canCurved();
    virtual bool canChangeSideCount();
    virtual double GetCurveRadius();
    virtual void SetCurveRadius(double radius);
    virtual double GetSideCount();
    virtual void SetSideCount(double count);
    virtual bool canSetShape();
    virtual bool IsFlipX() const;
    virtual void setFlipX(bool flip);
    virtual bool IsFlipY() const;
    virtual void setFlipY(bool flip);
    virtual void SetFilled(bool filled);
    virtual void SetStroked(bool stroked);
    // Null pointers change nothing.
    virtual void SetFillColor(const CDDColor *color);
    virtual void SetStrokeColor(const CDDColor *color);

    // --- Shadow -------------------------------------------------------------------------------
    virtual bool CanHaveShadow() const;
    virtual bool HasShadow() const;
    virtual bool IsShadowed() const;
    virtual void SetHasShadow(bool shadow);
    virtual void SetShadow(bool shadow);
    // Sets the flag, and whatever it is, offset (10, -10), blur 10 and black at 80 %.
    virtual void SetDefaultShadow(bool shadow);
    virtual void SetShadowOffset(double dx, double dy);
    virtual void SetShadowBlurRadius(double radius);
    virtual void SetShadowColor(const CDDColor *color);
    virtual double GetShadowOffsetX() const;
    virtual double GetShadowOffsetY() const;
    virtual double GetShadowBlurRadius() const;
    virtual const CDDColor *GetShadowColor() const;

    // --- Appearance ---------------------------------------------------------------------------
    virtual bool IsHidden() const;
    virtual void SetHaveBackColor(bool haveBackColor);
    virtual bool GetHaveBackColor() const;
    virtual void SetLineWidth(double width);
    virtual void SetMasked(bool masked);
    virtual bool IsMasked();
    virtual bool canMasked();
    virtual void setMask(const CDDPicture &mask);
    virtual const CDDPicture *getMask() const;
    virtual float GetOpacity();
    virtual void SetOpacity(float opacity);
    // The picture's internet address and site; a null value for none.
    virtual CDDString getURL() const;
    virtual CDDString getWebSiteURL() const;

    // --- Deletion and sub-blocks --------------------------------------------------------------
    virtual void onDelete();
    virtual std::vector<CFTComponent *> deleteSubComponents();
    virtual void selectAll();
    virtual void deselectAll();
    virtual int deselectBlock(CFTComponent *block);
    virtual int removeBlock(CFTComponent *block);
    virtual int restoreBlock(CFTComponent *block);

    // --- Text editing hooks (the hosting view and the shared field editor) --------------------
    virtual void startEditText(QObject *view, QObject *editor);
    virtual void startEditText(QObject *view, QObject *editor, double x, double y);
    virtual CFTComponent *endEditText(QObject *editor);
    virtual void SyncLinkedHeight();
    virtual void ExpandByText();
    virtual void NeedAutoExpand();

    // --- Address format and text attributes ---------------------------------------------------
    virtual int setFormat(const CAddressFormat *format, int location);
    virtual const CAddressFormat *getFormat() const;
    virtual void SetAlignment(textAlignment alignment);
    virtual textAlignment GetAlignment() const;
    virtual void SetListType(listType type);
    virtual listType GetListType() const;
    virtual void SetSpacingCharacter(float spacing);
    virtual float GetSpacingCharacter() const;
    virtual void SetSpacingLine(float spacing);
    virtual float GetSpacingLine() const;
    virtual void SetSpacingBeforeParagraph(float spacing);
    virtual float GetSpacingBeforeParagraph() const;
    virtual void SetSpacingAfterParagraph(float spacing);
    virtual float GetSpacingAfterParagraph() const;
    virtual bool IsHyphenation() const;
    virtual void SetHyphenation(bool hyphenation);
    virtual void SetInsetOffset(double inset);
    virtual double GetInsetOffset() const;
    virtual void SetFont(const PWFont &font);
    virtual void SetFontAttr(const QTextCharFormat &attributes);
    // Puts the changed attributes over the text's own, run by run where the text has runs; the
    // base sets them over the first run's attributes on the whole text.
    virtual void MergeFontAttr(const QTextCharFormat &changed);
    // Nothing for a component without text; mixed, when given, tells whether the text has more
    // than one.
    virtual std::optional<PWFont> GetFont(bool *mixed) const;
    virtual std::optional<QTextCharFormat> GetFontAttr(bool *mixed) const;
    virtual void IncreaseFontSize();
    virtual void DecreaseFontSize();
    virtual void raiseBaseline();
    virtual void lowerBaseline();
    virtual void loosenKerning();
    virtual void tightenKerning();
    virtual void setBaseline(float baseline);
    virtual void setKerning(float kerning);
    virtual void outline();
    virtual void underline();
    virtual bool canChangeTextStyle() const;
    virtual void ChangeFontSize(double delta);
    virtual void SetFontSize(double size);
    virtual bool IsEqualFont(const PWFont &font);
    virtual bool IsEqualFontAttr(const QTextCharFormat &attributes);
    virtual void AnchorText();

    // --- Text categories and address fields ---------------------------------------------------
    virtual textCategory GetTextCategory() const;
    virtual CFTComponent *SetTextCategory(textCategory category, const CDDString *label);
    virtual CFTComponent *GetObjectForTextCategory(textCategory category);
    virtual const CFTComponent *GetObjectForTextCategory(textCategory category) const;
    virtual int GetContainTextCategories(textCategory *categories, int maximum);
    virtual int numberOfDataFields() const;
    virtual bool containDataFields() const;
    virtual void setHighlightedDataField(textTagAttribute field);
    virtual textTagAttribute getHighlightedDataField() const;
    virtual addressType GetAddressType() const;
    virtual void SetAddressType(addressType type);
    virtual bool IsPreferredAddress() const;
    virtual void SetPreferredAddress(bool preferred);
    virtual int GetLocation() const;
    virtual void setMode(fieldMode mode);
    virtual fieldMode getMode();

    // --- Grouping, representation and data ---------------------------------------------------
    virtual bool canGroup();
    virtual bool canUngroup();
    virtual void setRepresentationType(objectRepType type, bool unused);
    virtual objectRepType representationType();
    virtual void SetDataFormat(const CDDString &format);
    virtual CDDString GetDataFormat() const;
    virtual bool IsShowNamed() const;
    virtual void SetShowNamed(bool show);
    virtual CFTComponent *GetNamed();
    virtual CFTComponent *GetLinked() const;
    virtual void SetString(const CDDString &text);
    virtual void SetString(bool toFrom, textCategory category, addressType type, const CDDString &text,
                           textCategory linkCategory, bool flag);
    virtual void setLabel(const CDDString &label);
    virtual CDDText *GetText();
    virtual QTextDocument *GetTextData();
    // This component when storage is its text storage, else null.
    virtual const CFTComponent *isTextEqual(const QTextDocument *storage) const;
    virtual void SetMaxSizeForJapan(double x, double y, double width, double height) const;
    virtual std::shared_ptr<PWImage> GetObjectData();
    virtual void SetObjectData(std::shared_ptr<PWImage> image);
    virtual int updateFormatRules();
    virtual int updatePhoneticRules(bool flag);
    virtual void SetDataPlacing(placingMode mode);
    virtual placingMode GetDataPlacing();
    virtual void SetTileScale(float scale);
    virtual float GetTileScale();

    // --- Archive ------------------------------------------------------------------------------
    // Stores or loads (by the archive's direction) the keys every component has; subclasses call
    // it first and then handle their own keys. list receives sub-components made while loading.
    virtual bool Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list);
    // The archives to save in place of this component when a list is saved with its
    // sub-components; answers how many were added.
    virtual int SerializeSelectedSubcomponents(std::vector<CDDArchive> &archives);

    // --- Editing state and grouping by category -----------------------------------------------
    virtual bool isReplaceable();
    virtual void flipReplaceable();
    virtual bool isEditing() const;
    virtual CFTComponent *UngroupObjectWithCategory(textCategory category);
    virtual CFTComponent *GroupObject(CFTComponent *component);
    virtual void GetExportKeys(addressExportOptions options, std::vector<textCategory> &keys);
    virtual bool isFieldEditor();
    virtual void textDidChange(QObject *textView);
    virtual void textDidProcessEditing(QTextDocument *storage);

    // --- Series printing ----------------------------------------------------------------------
    virtual void Reset();
    virtual void Clear();
    virtual void Next();
    virtual void SetValue(int number);
    virtual void SetValue(CDDVariant value);

    // --- Snapshot and copy --------------------------------------------------------------------
    virtual void snapshotObject();
    virtual void restoreObject();
    // Takes origin, size, angle and fill colour of the other component; null changes nothing.
    virtual void Copy(const CFTComponent *other);

    // --- Not virtual --------------------------------------------------------------------------
    void InvalidateShadow();
    // The cached wrap outline while it matches the geometry, else null.
    CDDWrappingPath *GetLastPath();
    textWrap GetWrapType();
    void SetWrapType(textWrap type);
    double GetWrapInset() const { return mdInset; }
    void SetWrapInset(double inset);
    bool isOperating() const { return mbIsOperating; }
    int GetLastOperDot() const { return mLastOperDot; }
    QRectF GetNSLastRect() const;
    QRectF GetNSBoundRect() const;

    static bool comparePositionByX(const CFTComponent *first, const CFTComponent *second);
    static bool comparePositionByY(const CFTComponent *first, const CFTComponent *second);
    static int ConvertDotNumberX(int handle) { return handle ^ 8; }
    static int ConvertDotNumberY(int handle) { return handle ^ 2; }
    // Applies a drag of handle by (dx, dy) to the rectangle; a side dragged across its opposite
    // mirrors the handle, which is written back, and keeps the size positive.
    static void ChangeBoundWithDot(int &handle, double dx, double dy, double &x, double &y, double &width,
                                   double &height);
    // The handle of the unrotated rectangle under (px, py), or 0.
    static int PickDot(double px, double py, double tolerance, double x, double y, double width, double height);
    // The squares of a handle pair on the unrotated rectangle; 2, or 0 for an unknown type.
    static int getCursorRectsByType(cursorType type, SRect *rects, double tolerance, double x, double y,
                                    double width, double height, double unused);

    // Creates the component the archive's class ID names, lets it load itself and appends it to
    // list when one is given (the list's owner then owns it); without a list the caller owns it.
    // Null for a storing archive and for a class ID no class is registered for. classVersion, when
    // not negative, is the bundle version that chooses the class in place of the archive's (a
    // back list's plain text is made as an address text whatever the file's version).
    static CFTComponent *SerializeFromArchive(const CDDArchive &archive, std::vector<CFTComponent *> *list,
                                              CFTComponent *parent, int classVersion = -1);
    // The same, owned by the caller and appended nowhere; subList receives the sub-components.
    static std::unique_ptr<CFTComponent> CreateFromArchive(const CDDArchive &archive,
                                                           std::vector<CFTComponent *> *subList,
                                                           CFTComponent *parent, int classVersion = -1);

protected:
    // Runs a layout the component makes of its own accord when first drawn after reading (a panel
    // placing its fields): what it changes then is no change of the user's, and a save writes the
    // file's values for it back, unless the user had changed the component before.
    void layOutKeepingFile(const std::function<void()> &layOut);
    // The four corners of the turned rectangle: top-left, top-right, bottom-right, bottom-left.
    void rotatedCorners(double xs[4], double ys[4]) const;
    double centerX() const { return mdOriginX + mdSizeX / 2.0; }
    double centerY() const { return mdOriginY + mdSizeY / 2.0; }
    // MoveDot for a component that can turn and mirror: the drag is taken in the component's own
    // frame, a handle dragged across its opposite side mirrors the component (setFlipX/setFlipY),
    // and a turned component keeps its centre on the turned frame.
    void MoveDotTurnedAndMirrored(int &handle, double dx, double dy, const CFTACoreView *view);
    // Paints this component's shadow under it: the component is drawn level and unmirrored
    // into the shadow's rendering, which is then turned and mirrored as the component is.
    void drawShadow(CDDDrawer *drawer, const CFTComponentsInterface *components);

    // What this component keeps of the file it was read from: its saves write it back.
    std::shared_ptr<const CDDArchiveKept> mKept;

    double mdOriginX = 0.0;
    double mdOriginY = 0.0;
    double mdSizeX = 0.0;
    double mdSizeY = 0.0;
    double mdAngle = 0.0;
    CDDColor mColor;
    bool mbIsOperating = false;
    double mdLastOriginX = 0.0;
    double mdLastOriginY = 0.0;
    double mdLastSizeX = 0.0;
    double mdLastSizeY = 0.0;
    double mdLastAngle = 0.0;
    double mdGroupKX = 1.0;
    double mdGroupKY = 1.0;
    double mdGroupCenterKX = 1.0;
    double mdGroupCenterKY = 1.0;
    CDDColor mLastColor;
    int mLastOperDot = 0;
    objectRepType _representation = orAsTyped;
    bool mbHasShadow = false;
    CDDShadow mShadow;
    CDDColor mOutlineColor;
    CDDPen mOutlinePen;
    bool mbHasOutline = false;
    double _dSnapshotOriginX = 0.0;
    double _dSnapshotOriginY = 0.0;
    double _dSnapshotSizeX = 0.0;
    double _dSnapshotSizeY = 0.0;
    std::unique_ptr<CDDWrappingPath> mLastPath;
    bool mbIsLastPathValid = false;
    double mdInset = 0.0;
    bool mbIsConvex = true;
    textWrap mTextWrapType = twNoWrap;
};

// The component drawn alone at the scale, on a transparent image one point larger on every side
// (CDDDrawer::dragComponentImage); null without a component.
QImage dragComponentImage(CFTComponent *component, double scale);
// The component alone, in its own drawing bounds, as PDF data (the unused argument is 0 by
// convention); empty without a component.
QByteArray PDFDataForComponent(CFTComponent *component, double unused, double imageResolution);
