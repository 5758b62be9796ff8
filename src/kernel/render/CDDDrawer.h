#pragma once

#include <QByteArray>
#include <QSizeF>
#include <QTransform>

#include <cstdint>
#include <functional>

class CDDColor;
class CDDPen;
class CDDString;
class PWBezierPath;
class QImage;
class QPainter;
class QPaintDevice;
class QRectF;

// The facing identification marks a page can carry.
enum FIMType : std::int32_t {
    fimA = 0,
    fimB = 1,
    fimC = 2,
    fimD = 3,
};

// The one object through which the kernel draws. A drawer serves one view or one rendering pass:
// it carries the pass's painter, its resolution (device pixels per design point, so that editing
// marks keep their size in device pixels at every zoom and fall on whole pixels) and two flags
// telling components how the pass renders. Design coordinates are points in a y-down frame with
// a rectangle's origin at its top-left corner; "n px" below means n / resolution points.
//
// Every drawing operation does nothing without a painter and leaves the painter's state as it
// found it, unless it says otherwise; antialiasing follows the painter's render hints. The
// outline builders need no painter and no drawer state; they are static so that hit tests and
// wrap outlines can use them outside a pass.
class CDDDrawer
{
public:
    // overrideDrawScreen makes pictures take their screen path even off screen (the editing view).
    explicit CDDDrawer(bool overrideDrawScreen, QPainter *painter = nullptr);
    virtual ~CDDDrawer();

    CDDDrawer(const CDDDrawer &) = delete;
    CDDDrawer &operator=(const CDDDrawer &) = delete;

    // The painter of the current pass; the drawer never owns it.
    QPainter *GetPainter() const { return mPainter; }
    void SetPainter(QPainter *painter) { mPainter = painter; }

    // Must be positive: lengths in device pixels are divided by it.
    void SetResolution(double resolution) { mdResolution = resolution; }
    double GetResolution() const { return mdResolution; }

    bool isOverrideDrawScreen() const { return mbOverrideDrawScreen; }

    // Bracket the rendering of a component into the image its shadow is made from; nothing casts
    // a shadow of its own while this is set.
    void BeginDrawingToShadow() { mbDrawingToShadow = true; }
    void EndDrawingToShadow() { mbDrawingToShadow = false; }
    bool IsDrawingToShadow() const { return mbDrawingToShadow; }

    // Whether the pass draws for the screen: the painter's device is neither a printer nor a PDF
    // writer nor a recorded picture (pictures are recorded only for vector printing). Decided from
    // the device itself, so no caller can forget to say it. False without a painter.
    bool IsDrawingToScreen() const;
    static bool isScreenDevice(const QPaintDevice *device);

    // --- Pixel snapping and primitive strokes -------------------------------------------------
    // A coordinate v becomes floor((v + 0.5) * r) / r; a width or height is snapped as the far
    // edge (only when its origin is given too). Any pointer may be null.
    void SnapRect(double *x, double *y, double *width, double *height) const;
    // A given colour becomes the painter's colour and stays so; a null colour strokes in the
    // painter's colour. A null pen strokes one point wide.
    void StrokeLine(double x1, double y1, double x2, double y2, const CDDColor *color, const CDDPen *pen);
    void StrokeRect(double x, double y, double width, double height, const CDDColor *color, const CDDPen *pen);
    // A band half the pen's width thick along a device-pixel column or row (the layout
    // guidelines), filled like the strokes above; without a pen nothing is drawn.
    void StrokeVerticalLine(double x, double y1, double y2, const CDDColor *color, const CDDPen *pen);
    void StrokeHorizontalLine(double x1, double x2, double y, const CDDColor *color, const CDDPen *pen);

    // --- The loading mark ---------------------------------------------------------------------
    // The word shown while an internet picture loads, made once per process (one pixel per
    // point); null when it cannot be made.
    static const QImage *loadingImage();
    static QSizeF loadingImageSize();
    // A translucent band along the bottom of the frame, with the word centred in it when it fits.
    void DrawLoadingText(double x, double y, double width, double height);
    // What draw paints, for an object of size at its origin, at the scale on a transparent image
    // one point larger on every side, the origin one point in from the top-left corner; callers
    // place it at the object's origin. A null image without a drawing, for scale 0, or when no
    // image of that size can be made.
    static QImage dragComponentImage(const QSizeF &size, double scale, const std::function<void(CDDDrawer *)> &draw);

    // --- Editor decorations -------------------------------------------------------------------
    // A 4 px handle with its shadow; the width and height are not used.
    void DrawDot(double x, double y, double width, double height);
    // An 8 px port of a text block about (x, y), turned by angle about (cx, cy): kind 1 overflow
    // (red plus), kind 2 linked (arrowhead), any other kind empty.
    void DrawSpecialDot(double x, double y, double cx, double cy, double angle, int kind);
    void DrawPlus(double x, double y, double width, double height);
    void DrawSelectTextRect(double x, double y, double width, double height, double angle);
    void FrameTextRect(double x, double y, double width, double height);
    void DrawNamedRect(double x, double y, double width, double height);
    void DrawSelectionBox(double x, double y, double width, double height, double angle);
    void DrawSelectionBox2(double x, double y, double width, double height, double radius);
    void DrawSelectionDropBox(double x, double y, double width, double height, double angle);
    void DrawHighlightBox(double x, double y, double width, double height, double radius);
    // Without a colour nothing is drawn.
    void DrawFilledBox(double x, double y, double width, double height, double radius, const CDDColor *color);
    void DrawSnapLine(double x1, double y1, double x2, double y2);
    void DrawGuideLine(double x1, double y1, double x2, double y2);
    // The recipient area is framed; the sender area, which sits in the page's top-left corner,
    // gets its bottom and right edges only. The last flag is not used.
    void DrawGuidelineArea(double x, double y, double width, double height, bool recipient, bool drawCaption,
                           bool unused);
    void DrawHintBox(double x, double y, const CDDString &text) const;
    // The tab above an address panel's top edge with its "TO"/"FROM" caption and label text.
    void DrawBoxLabel(double x, double y, double width, double height, double radius, bool recipient,
                      const CDDString &label);
    // The height in points the tab stands above the panel's top edge.
    static constexpr double kBoxLabelHeight = 8.0;
    // -1 outside the tab, 0 on its caption part (21 points wide), 1 on its label part.
    static int regionIndexForBoxLabel(double px, double py, double x, double y, double width, double height,
                                      double radius, bool recipient, const CDDString &label);

    // --- Postal barcode bars (black; each answers the number of bar positions) ----------------
    // POSTNET of the digits of text with frame bars and check digit; bars stand on y.
    int DrawBarcode(double x, double y, const CDDString &text);
    // The nine positions of a facing identification mark; always 9.
    int DrawFIMBarcode(double x, double y, FIMType type);
    // The mark where mail wants it on a card of the width: its last bar two inches from the right
    // edge (never off the left edge), 45 points from the top.
    int DrawFIMBarcodeOnCard(double cardWidth, FIMType type);
    // RM4SCC of the letters and digits of text with start, check character and stop.
    int Draw_RM4SCC_Barcode(double x, double y, const CDDString &text);
    // An encoded 4-state bar array (kinds 0-3, one byte a bar); count -1 runs to the first zero
    // byte. The text is not used.
    int Draw_CPC_Barcode(double x, double y, const CDDString &text, const char *bars, int count);

    // --- Shape outlines (closed, in the component's unrotated, unflipped frame) ---------------
    // Sizes that would put non-finite coordinates into a path never do: non-finite arguments give
    // an empty outline, and the builders that scale by the height answer the rectangle outline
    // for a width or height that is not positive.
    static PWBezierPath PathRect(double x, double y, double width, double height);
    static PWBezierPath PathLine(double x, double y, double width, double height); // open
    static PWBezierPath PathPolygon(double x, double y, double width, double height, double unused, int sides);
    static PWBezierPath PathCircle(double x, double y, double width, double height, double holeRatio);
    static PWBezierPath PathRoundedRectangle(double x, double y, double width, double height, double roundness);
    static PWBezierPath PathTriangle(double x, double y, double width, double height, int direction,
                                     int rightAngle);
    static PWBezierPath PathOctagon(double x, double y, double width, double height);
    static PWBezierPath PathHexagon(double x, double y, double width, double height);
    static PWBezierPath PathCross(double x, double y, double width, double height);
    static PWBezierPath PathArrow(double x, double y, double width, double height);
    static PWBezierPath PathTwoWayArrow(double x, double y, double width, double height);
    static PWBezierPath PathTrapezoid(double x, double y, double width, double height, double inset);
    static PWBezierPath PathMoon(double x, double y, double width, double height, double thinness);
    static PWBezierPath PathStar(double x, double y, double width, double height, double innerRatio, int points);
    static PWBezierPath PathCloud(double x, double y, double width, double height);
    static PWBezierPath PathCallout(double x, double y, double width, double height);
    static PWBezierPath PathWave(double x, double y, double width, double height);

    // --- Figures, separator lines, hit test, PDF ----------------------------------------------
    // Mirrors about the rectangle's centre lines, then turns by angle about its centre.
    static QTransform figureTransform(double x, double y, double width, double height, double angle,
                                      bool flipX, bool flipY);
    // Fills (by the outline's winding rule), then strokes, under the figure transform; a null
    // colour skips that step. The pen's width stays on the outline.
    void StrokeAndFillFigure(PWBezierPath *path, double x, double y, double width, double height, double angle,
                             const CDDColor *strokeColor, const CDDPen *strokePen, const CDDColor *fillColor,
                             bool flipX, bool flipY);
    // Direction 0 horizontal, 1 vertical, 2 top-left to bottom-right, 3 top-right to bottom-left;
    // other directions draw nothing. The colour stays the painter's colour after the call.
    void DrawSeparator(double x, double y, double width, double height, double angle, int direction,
                       const CDDColor *color, const CDDPen *pen, bool flipX, bool flipY);
    // Whether the outline, mirrored in place by the flips, contains the point (already turned
    // back into the unrotated frame by the caller). False for a null outline.
    static bool IsPointInPath(PWBezierPath *path, double px, double py, double x, double y, double width,
                              double height, bool flipX, bool flipY);
    // Strokes the outline when a pen is given, else fills it. The colour stays current.
    void DrawFigure(PWBezierPath *path, double x, double y, double width, double height, double angle,
                    const CDDColor *color, const CDDPen *pen, bool flipX, bool flipY);

    // PDF bytes of one page exactly pageRect (design points) in size, on which draw renders with
    // a print drawer (screen override off) whose resolution is imageResolution / 72, in design
    // coordinates. Empty for an empty or non-finite rectangle, a resolution that is not positive
    // or a failed writer. Rendering a component this way is the component base's business.
    static QByteArray PDFDataForDrawing(const QRectF &pageRect, double imageResolution,
                                        const std::function<void(CDDDrawer &)> &draw);

private:
    double pixels(double n) const { return n / mdResolution; }
    double snap(double v) const;

    QPainter *mPainter = nullptr;
    double mdResolution = 1.0;
    bool mbOverrideDrawScreen = false;
    bool mbDrawingToShadow = false;
};
