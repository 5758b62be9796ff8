#pragma once

#include "kernel/base/FTTypes.h"
#include "platform/PWBezierPath.h"
#include "platform/PWPlist.h"

#include <QByteArray>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class CFTADocument;

// One paper template: a label sheet (items in columns and rows), a label roll, an envelope with
// an optional address window, or a postcard. Lengths are single-precision points whatever the
// unit; the unit only says how the template is shown and stored.
//
// The static side is the process-wide catalogue: for labels (0), envelopes (1) and postcards (26)
// the predefined templates of the bundle, the user's custom ones and the recently used ones.
// Lists hold shared templates, and a recent entry is the very object of the predefined or custom
// list, so membership and removal go by identity, never by value.
class CATemplateFormat
{
public:
    using TemplateList = QList<std::shared_ptr<CATemplateFormat>>;

    CATemplateFormat() = default;
    CATemplateFormat(const CATemplateFormat &) = default;
    CATemplateFormat &operator=(const CATemplateFormat &) = default;
    bool operator==(const CATemplateFormat &other) const = default;

    // The document's current layout. The size group is left to be computed on demand.
    static CATemplateFormat initFromDocument(const CFTADocument &document);

    // --- fields --------------------------------------------------------------------------------

    QString Manufacturer() const { return _Manufacturer; }
    void setManufacturer(const QString &value) { _Manufacturer = value; }
    QString Category() const { return _Category; }
    void setCategory(const QString &value) { _Category = value; }
    QString Type() const { return _Type; }
    void setType(const QString &value) { _Type = value; }
    QString Description() const { return _Description; }
    void setDescription(const QString &value) { _Description = value; }
    // "Label Roll" marks a label roll.
    QString PageSize() const { return _PageSize; }
    void setPageSize(const QString &value) { _PageSize = value; }
    QString ID() const { return _ID; }
    void setID(const QString &value) { _ID = value; }

    int Columns() const { return _Columns; }
    void setColumns(int value) { _Columns = value; }
    int Rows() const { return _Rows; }
    void setRows(int value) { _Rows = value; }

    // A label roll always answers its longer side as the width.
    float ItemWidth() const;
    void setItemWidth(float value) { _ItemWidth = value; }
    float ItemHeight() const;
    void setItemHeight(float value) { _ItemHeight = value; }
    float getCornerRadius() const { return _CornerRadius; }
    void setCornerRadius(float value) { _CornerRadius = value; }
    // The printable area is always answered lying: width the larger, height the smaller.
    float PrintableWidth() const;
    void setPrintableWidth(float value) { _PrintableWidth = value; }
    float PrintableHeight() const;
    void setPrintableHeight(float value) { _PrintableHeight = value; }

    float getTopMargin() const { return _TopMargin; }
    void setTopMargin(float value) { _TopMargin = value; }
    float getLeftMargin() const { return _LeftMargin; }
    void setLeftMargin(float value) { _LeftMargin = value; }
    float getHSpace() const { return _HSpace; }
    void setHSpace(float value) { _HSpace = value; }
    float getVSpace() const { return _VSpace; }
    void setVSpace(float value) { _VSpace = value; }

    cardUnits Units() const { return _units; }
    void setUnits(cardUnits value) { _units = value; }
    bool isHorizontal() const { return _bHorizontal; }
    void setHorizontal(bool value) { _bHorizontal = value; }

    bool hasWindow() const { return _hasWindow; }
    void setHasWindow(bool value) { _hasWindow = value; }
    float getWinWidth() const { return _winWidth; }
    void setWinWidth(float value) { _winWidth = value; }
    float getWinHeight() const { return _winHeight; }
    void setWinHeight(float value) { _winHeight = value; }
    float getWinBottomOffset() const { return _winBottomOffset; }
    void setWinBottomOffset(float value) { _winBottomOffset = value; }
    float getWinLeftOffset() const { return _winLeftOffset; }
    void setWinLeftOffset(float value) { _winLeftOffset = value; }
    float getWinCornerRadius() const { return _winCornerRadius; }
    void setWinCornerRadius(float value) { _winCornerRadius = value; }

    float getDYMOPaperWidth() const { return _DYMOPaperWidth; }
    void setDYMOPaperWidth(float value) { _DYMOPaperWidth = value; }
    float getDYMOPaperHeight() const { return _DYMOPaperHeight; }
    void setDYMOPaperHeight(float value) { _DYMOPaperHeight = value; }
    float getDYMOOffsetX() const { return _DYMOOffsetX; }
    void setDYMOOffsetX(float value) { _DYMOOffsetX = value; }
    float getDYMOOffsetY() const { return _DYMOOffsetY; }
    void setDYMOOffsetY(float value) { _DYMOOffsetY = value; }

    int getDocumentType() const { return _DocumentType; }
    void setDocumentType(int value) { _DocumentType = value; }
    bool isPredef() const { return _predef; }
    void setPredef(bool value) { _predef = value; }

    // The stored name, else the name of the item size's group (then kept); nothing when the size
    // falls in no named group.
    std::optional<QString> sizeGroup() const;
    void setSizeGroup(const std::optional<QString> &name) { _sizeGroup = name; }

    // --- derived values ------------------------------------------------------------------------

    bool isLabelRoll() const;
    // The paper of a sheet by the name a layout gives it: "A4" and "Letter" (as written or as the
    // bundle's strings name them) at the sizes sheets have always been printed on, and any other
    // paper the print system knows by its name or key ("Legal", "A5", "Tabloid"), each in any
    // letter case; nothing for a name no paper has.
    static std::optional<QSizeF> sheetPaperForName(const QString &name);
    // The stored item size for lists: "%.1fx%.1f mm" or "%.3fx%.3f in".
    QString sizeString() const;
    // "Return1".."Return10", "Mailing1".."Mailing10", "Shipping1".."Shipping30",
    // "Envelope1".."Envelope12", "Postcard1"; nothing for other group numbers.
    static std::optional<QString> getSizeGroupNameForSize(float width, float height, int type);

    // The outline of one item fitted to rect. Custom templates are outlined as plain rectangles.
    PWBezierPath documentSurfacePathForRect(const QRectF &rect) const;
    // Rounded rectangle when cornerRadius > 0; else a disc cut flat to the rectangle when the
    // outer diameter is given (flat sides above and below, or left and right when not
    // horizontal); else the rectangle. A centred hole is added for an inner diameter.
    static PWBezierPath documentSurfacePathForRectCornerRadiusOuterDiameterInnerDiameterHorizontal(
        const QRectF &rect, double cornerRadius, double outerDiameter, double innerDiameter,
        bool horizontal);

    // --- dictionary form of the user defaults --------------------------------------------------

    // The template as one entry of a custom or recent list, lengths in its own unit.
    PWPlist::Dictionary toDictionary() const;
    // A template read from such an entry. The custom form takes the item size as the printable
    // size; the recent form reads the stored printable size.
    static CATemplateFormat fromDictionary(const PWPlist::Dictionary &entry, bool customForm);

    // --- the predefined resource ---------------------------------------------------------------

    // Reads a catalogue in the element-per-template form: the root's children are templates, their
    // child elements fields. Every template gets the document type and the predefined flag.
    // Nothing (with the reason in error) when the bytes are not well-formed XML or have no root.
    static std::optional<TemplateList> readCatalogue(const QByteArray &xml, int documentType,
                                                    QString *error = nullptr);
    // "Labels", "Envelopes" or "Postcards" for the three types; nothing for others.
    static std::optional<QString> catalogueResourceName(int documentType);

    // --- the catalogue -------------------------------------------------------------------------

    // The current lists, without loading; null when not loaded or for another type. The lists
    // live for the process; callers change the custom and recent lists in place, then save.
    static TemplateList *sharedPredefLayouts(int documentType);
    static TemplateList *sharedCustomLayouts(int documentType);
    static TemplateList *sharedRecentLayouts(int documentType);
    // The same, loaded on first use (predefined from the bundle, the others from the user
    // defaults; the recent list loads the other two first to resolve its entries).
    static TemplateList *predefLayouts(int documentType);
    static TemplateList *customLayouts(int documentType);
    static TemplateList *recentLayouts(int documentType);

    static void saveCustomLayouts(int documentType);
    static void saveRecentLayouts(int documentType);
    static void saveCustomLayouts();
    static void saveRecentLayouts();

    static std::optional<QString> customPrefKey(int documentType);
    static std::optional<QString> recentPrefKey(int documentType);

    // The first template of the loaded list that has the given one's ID, description, category,
    // paper size, columns and rows, and its item size, margins and gaps within 0.01 point.
    static std::shared_ptr<CATemplateFormat> findPredefLayoutFormat(int documentType,
                                                                    const CATemplateFormat &format);
    static std::shared_ptr<CATemplateFormat> findCustomLayoutFormat(int documentType,
                                                                    const CATemplateFormat &format);
    static std::shared_ptr<CATemplateFormat> findPredefLayoutManufacturerID(
        int documentType, const QString &manufacturer, const QString &ID);
    // What a sheet layout lacks that places its labels on their die-cut places: the margins and
    // gaps ("top margin", "left margin", "horizontal gap", "vertical gap") that the layout has
    // none of while the catalogue's template of the same maker, name, paper and grid has them. A
    // file leaves out a length of none, so a layout missing one reads as none: only the
    // catalogue can tell a lost one. Empty for a layout the catalogue does not hold.
    static QStringList placementLostAgainstCatalogue(const CATemplateFormat &layout);
    // Whether two templates count as the same catalogue entry (the rule of the finders).
    static bool matchesLayout(const CATemplateFormat &entry, const CATemplateFormat &format);

    // Drops every list, so that the next request reads its source again. For tests, which need
    // the state of a fresh process.
    static void resetCatalogue();

private:
    cardUnits _units = cuInches;
    QString _ID;
    bool _bHorizontal = true;
    QString _Manufacturer;
    QString _Category;
    QString _Type;
    QString _Description;
    float _ItemWidth = 0.0f;
    float _ItemHeight = 0.0f;
    float _CornerRadius = 0.0f;
    float _PrintableWidth = 0.0f;
    float _PrintableHeight = 0.0f;
    float _DYMOPaperWidth = 0.0f;
    float _DYMOPaperHeight = 0.0f;
    float _DYMOOffsetX = 0.0f;
    float _DYMOOffsetY = 0.0f;
    bool _hasWindow = false;
    // The address-window preset: 110 x 40 mm, 30 mm from the bottom, 100 mm from the left, 3 mm
    // corners.
    float _winWidth = 311.81104f;
    float _winHeight = 113.385826f;
    float _winBottomOffset = 85.03937f;
    float _winLeftOffset = 283.46457f;
    float _winCornerRadius = 8.503937f;
    QString _PageSize;
    int _Columns = 0;
    int _Rows = 0;
    float _TopMargin = 0.0f;
    float _LeftMargin = 0.0f;
    float _HSpace = 0.0f;
    float _VSpace = 0.0f;
    int _DocumentType = dtLabel;
    bool _predef = false;
    // A cache filled by the const getter; a name set by the catalogue takes its place.
    mutable std::optional<QString> _sizeGroup;
};
