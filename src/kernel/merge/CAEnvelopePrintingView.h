#pragma once

#include "kernel/merge/CADYMOPrintingView.h"

// Prints envelopes through the printer's envelope feed, one per page: the roll view in envelope
// mode (no roll offsets; any qualifying click opens the page) that turns the envelope by quarter
// turns and lays it against the top edge of the paper and against its left edge, its middle or
// its right edge.
class CAEnvelopePrintingView : public CADYMOPrintingView
{
public:
    enum Alignment : int { kAlignLeft = 0, kAlignCentre = 1, kAlignRight = 2 };

    // Alignment left; the starting turn of defaultRotation for the first design.
    CAEnvelopePrintingView(DocumentList documentList, std::optional<PersonList> personList,
                           const CAPrintSettings &settings, bool vectorPrinting);
    ~CAEnvelopePrintingView() override;

    // Preview adds the grey edge of the paper.
    void drawPage(QPainter &painter, int page) override;

    void setAlignment(int alignment) override { _alignment = alignment; }
    int alignment() const { return _alignment; }
    // Degrees, turning clockwise on the page; only 0, 90, 180 and 270 get a feed offset.
    void setRotation(int degrees) override { _rotateDegree = degrees; }
    int rotation() const { return _rotateDegree; }
    // A quarter turn clockwise, or counter-clockwise.
    void rotateClockwise(bool clockwise);

    // The rotation, then the feed offset in the turned frame, for an envelope of lx × ly on paper
    // width W. Another alignment or angle turns the envelope about the paper's corner unshifted.
    static QTransform placementTransform(int degrees, int alignment, double paperWidth, double lx, double ly);

    // The turn an item of itemSize starts with on paper (as oriented): none when it fits unturned
    // and would not fit turned (a card printed on paper of its own size), a quarter turn when only
    // turned it fits; otherwise a quarter turn on portrait paper, none on landscape paper.
    static int defaultRotation(QPageLayout::Orientation orientation, const QSizeF &paper, const QSizeF &itemSize);
    // The size the first design is placed with (its layout size); empty without a design.
    static QSizeF itemSizeOf(const DocumentList &documentList);

protected:
    QTransform itemPlacement() const override;

private:
    // For a print job's report: an envelope that its turn and feed put partly off its paper, and
    // one printed on paper of its own size because the default page could not hold it.
    void notePlacementOnPaper() const;

    int _alignment = kAlignLeft;
    int _rotateDegree = 0;
};
