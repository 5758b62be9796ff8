#pragma once

#include "kernel/merge/CAPrintingView.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QTransform>

#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

class CADocument;
class QPainter;

// Prints a design on label-printer rolls: one item per page. It places the item on the roll
// paper (anchored at the paper's bottom-left corner, moved by the roll offsets of the design),
// applies the calibration offsets of the printer that actually prints, draws the live counters
// and file fields of each page, keeps a hit record of the drawn item for in-place editing and
// draws the roll calibration page. The envelope view runs it in envelope mode.
class CADYMOPrintingView : public CAPrintingView
{
public:
    // Label-roll paper carries this margin around every item image.
    static constexpr double kLabelRollBleed = 50.0;
    // Device units per point of the drawer that paints the live counters.
    static constexpr double kCounterResolution = 25.0 / 6.0;

    // Where page `page` drew its item: the item rectangle in page coordinates (y down).
    struct HitRecord
    {
        QRectF rect;
        int page = 0;
        bool operator==(const HitRecord &) const = default;
    };

    // Opens a copy of a page's design for in-place editing (the print sheet's editing canvas).
    using EditingHandler = std::function<void(std::shared_ptr<CADocument> document)>;

    // One copy per person of the list, else one; the sheet sets the real count later.
    CADYMOPrintingView(DocumentList documentList, std::optional<PersonList> personList,
                       const CAPrintSettings &settings, bool vectorPrinting);
    // Prints the roll calibration page for the template.
    CADYMOPrintingView(const CATemplateFormat &layout, const CAPrintSettings &settings);
    ~CADYMOPrintingView() override;

    // One page per item; exactly one in calibration mode.
    int pageCount() const override;
    std::pair<int, int> mapRangeForPage(int page) const override;
    void drawPage(QPainter &painter, int page) override;

    // The item rectangle: origin (0, 0), the design's printable size when it has one, else its
    // layout size.
    const QRectF &imageRect() const { return _imageRect; }
    // Where the design's image goes, in the y-up item frame the roll places: with the roll's bleed
    // margin, and in print mode widened to the layout size centred on the printable area.
    static QRectF imageRectForDocument(const CADocument &document, int viewMode);

    // The calibration offsets of a printer in points, x to the right and y up the paper; zero
    // without an entry.
    static QPointF calibrationOffsetsForPrinter(const QString &printer);
    // The offsets the last printed page used.
    QPointF lastCalibrationOffsets() const { return m_lastCalibration; }

    // Draws the roll calibration page: the drawing centred on the template's printable area (its
    // item size when it has none).
    void drawCalibrationForLayout(QPainter &painter) const;
    // The size of the calibration drawing, points.
    static QSizeF calibrationDrawingSize();

    void setEnvelopeMode(bool envelopeMode) { _envelopeMode = envelopeMode; }
    bool envelopeMode() const { return _envelopeMode; }

    // --- in-place editing ----------------------------------------------------------------------

    std::optional<HitRecord> hitRecordForMapIndex(int index) const;
    // A click at point (page coordinates) on page currentPage: in edit mode (GUI mode 1) one click,
    // else a double click, on the drawn item (anywhere in envelope mode) opens that page for
    // editing. Answers the page opened, or 0.
    int clickAtPoint(const QPointF &point, int clickCount, int currentPage);
    // Mode 1 opens the current page at once: a roll page holds one item.
    void setGUIMode(int mode);
    // The page's copy gets its person; with an editing handler, a fresh copy of it (address panels
    // fitted when the fit filter is on) is handed over and becomes the item being edited. A page
    // outside the map does nothing.
    void startEditingPage(int page) override;
    void setEditingHandler(EditingHandler handler) { m_editingHandler = std::move(handler); }

protected:
    // Draws the item of page under the painter's current transform. The item is laid out in a y-up
    // frame whose origin is frameOrigin in painter coordinates (the item's bottom-left corner, its
    // bleed outside); the envelope view turns the painter first. Print mode adds the calibration
    // offsets of the printing printer along the frame's axes.
    void drawItem(QPainter &painter, int page, const QPointF &frameOrigin);
    // The turn and shift that put the item frame on the paper before the item is drawn; none on a
    // roll.
    virtual QTransform itemPlacement() const { return QTransform(); }

private:
    QRectF _imageRect;
    bool _envelopeMode = false;
    QPointF m_lastCalibration;
    // The painter's transform at the start of the page: hit records are kept in page coordinates.
    QTransform m_pageTransform;
    std::unordered_map<int, HitRecord> m_hitRecords;
    EditingHandler m_editingHandler;
};
