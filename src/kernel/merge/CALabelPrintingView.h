#pragma once

#include "kernel/printing/CALabelSheetLayout.h"
#include "kernel/merge/CAPrintingView.h"

#include <QPointF>
#include <QRectF>
#include <QTransform>

#include <map>
#include <memory>
#include <optional>

class CADocument;
class CATemplateFormat;
class QPainter;

// The printing view of label sheets (and postcards laid out in rows and columns): the items of
// a page on the template's grid from the start position, cut ticks and dotted guide lines, the
// counters and file fields of each item drawn live with its running number, the record of where
// each item landed for in-place editing, the printer's calibration applied to printed pages, and
// the calibration page. The preview (the view's own mark flags and start position) and the print
// job (the print settings') draw items, counters and marks alike.
class CALabelPrintingView : public CAPrintingView
{
public:
    // Where an item was last drawn: its slot's top-left corner on the page, the extent of its
    // image as it lies on the page, and the page.
    struct HitRecord
    {
        QRectF rect;
        int page = 0;
        bool operator==(const HitRecord &) const = default;
    };

    // The view of a print job in preview mode with its map built: one item per design and person
    // when a person list is used, else one (the print sheet sets the real count).
    CALabelPrintingView(DocumentList documentList, std::optional<PersonList> personList,
                        const CAPrintSettings &settings, const CATemplateFormat &layout, bool vectorPrinting);
    // A view in calibration mode that prints the calibration page of the template.
    static std::unique_ptr<CALabelPrintingView> initForCalibrateWithLayout(const CATemplateFormat &layout,
                                                                           const CAPrintSettings &settings);

    const CALabelSheetLayout &sheet() const { return m_sheet; }

    // One page in calibration mode; else the pages the copies fill from the start position.
    int pageCount() const override;
    std::pair<int, int> mapRangeForPage(int page) const override;
    void drawPage(QPainter &painter, int page) override;

    // The start position in force: the settings' (the first slot for a calibration page).
    int effectiveStartFrom() const;
    // Items of the job: the copies, or the map's entries when copies are one per person.
    int itemCount() const;

    // The shift and vertical scale the stored calibration of the printer that painter prints on
    // gives a printed page (in page points, y down); identity in preview and calibration mode
    // and for printers without an entry.
    QTransform calibrationTransform(const QPainter &painter) const;

    // Draws the calibration scales of the template onto the page.
    void drawCalibrationForLayout(QPainter &painter, const CATemplateFormat &layout) const;

    // The hit record of map index, nothing when the item was never drawn.
    std::optional<HitRecord> hitRecord(int index) const;
    // The map index of the item drawn at point (page points) on the current page; -1 for none.
    int itemIndexAtPoint(const QPointF &point) const;
    // A click at point: with a double click (or any click in edit mode 1) on an item of the
    // current page, the item's copy gets its person again and a fresh copy of it, with the
    // address panels' automatic layout off and the view's filters applied, is answered for the
    // editor; the editing index is set. Null (and editing index -1) otherwise.
    std::shared_ptr<CADocument> startEditingAtPoint(const QPointF &point, int clickCount);

protected:
    bool takesItemsToDraw() const override { return true; }

private:
    // For a print job's report: a sheet whose paper has a name no paper has, and a layout that
    // lost margins or gaps its catalogue sheet has.
    void noteSheetProblems(const QSizeF &paper) const;
    // Slot coordinates: the painter's origin is the slot's top-left corner.
    void drawItem(QPainter &painter, int slot, int number, int page);
    void drawMarks(QPainter &painter, int slot, int used, bool cut, bool dots) const;
    void outlineGrid(QPainter &painter) const;

    CALabelSheetLayout m_sheet;
    std::map<int, HitRecord> m_hitRecords;
};
