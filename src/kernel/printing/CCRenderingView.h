#pragma once

#include <QPainterPath>
#include <QRandomGenerator>
#include <QRectF>
#include <QTransform>

#include <cstdint>
#include <optional>
#include <vector>

class CFTACoreDoc;
class CFTComponent;
class CFTComponentsInterface;
class QPainter;

// Draws kernel components into any painter for output: the vector item images of the printing
// views, PDF export and the pasteboard. In order: a white background, the back components, a
// facing identification mark, the front components and cut marks in the margin, all under an
// optional clip and a turn by quarter turns. It can also draw one page (side) of a kernel
// document, or fill its rectangle with random shapes in the random mode. The component lists,
// the document and the wrap interface are not owned and must outlive the view.
//
// Coordinates are points, y down. The view occupies frame() in its owner and draws its bounds()
// (by default the frame's size at the origin) in its own coordinates: the caller maps bounds()
// onto the target before draw().
class CCRenderingView
{
public:
    // The turn of the drawing by rotateMode quarter turns inside an output of inner size w x h
    // (after the margin): what draw applies after the margin, as a transform.
    static QTransform turnTransform(int rotateMode, double w, double h);
    // Every field zero; draws nothing.
    explicit CCRenderingView(const QRectF &frame);
    // The system's renderer. markerSize is the margin around the content on every side;
    // rotateMode 0 to 3 quarter turns; imageResolution (dots per inch, truncated) is handed to
    // the drawer. fitAddressPanel is kept for the caller only.
    CCRenderingView(const QRectF &frame, float markerSize, const std::vector<CFTComponent *> *components,
                    const std::vector<CFTComponent *> *backComponents, std::optional<QPainterPath> clip,
                    bool cutLines, int rotateMode, bool fitAddressPanel, bool FIMBarcodeDrawing, bool withPrinting,
                    bool drawBackground, float imageResolution, const CFTComponentsInterface *ftInterface);
    // Draws the page currentPage() of the document at 600 dots per inch, for printing.
    CCRenderingView(const QRectF &frame, CFTACoreDoc *document, int rotateMode);
    // Random shapes of the kind (0 rectangles, 1 circles, 2 paths), from the seed.
    CCRenderingView(const QRectF &frame, int randomType, std::uint32_t seed = 0);

    CCRenderingView(const CCRenderingView &) = delete;
    CCRenderingView &operator=(const CCRenderingView &) = delete;

    const QRectF &frame() const { return m_frame; }
    const QRectF &bounds() const { return m_bounds; }
    // A component list keeps its own origin by setting the bounds to its rectangle.
    void setBounds(const QRectF &bounds) { m_bounds = bounds; }

    // Pages: the document's sides, or exactly one without a document.
    int pageCount() const;
    int currentPage() const { return _currPage; }
    // Chooses the page to draw and answers the rectangle to draw (the bounds).
    QRectF rectForPage(int page);

    bool isOpaque() const { return true; }
    bool isFlipped() const { return true; }
    bool fitAddressPanel() const { return m_bFitAddressPanel; }
    int resolution() const { return m_resolution; }
    int rotateMode() const { return m_nRotateMode; }
    bool isRandomMode() const { return m_bRandomMode; }

    // Paints the current page; the painter's state is as it was afterwards.
    void draw(QPainter &painter);

private:
    void drawRandom(QPainter &painter);

    QRectF m_frame;
    QRectF m_bounds;
    int32_t _currPage = 1;
    CFTACoreDoc *_document = nullptr;
    const std::vector<CFTComponent *> *m_components = nullptr;
    const std::vector<CFTComponent *> *m_backComps = nullptr;
    int32_t m_randomType = 0;
    bool m_bRandomMode = false;
    bool m_bDrawCutLines = false;
    int32_t m_nRotateMode = 0;
    bool m_bDrawBackground = false;
    std::optional<QPainterPath> m_clipPath;
    float m_markerSize = 0.0f;
    int32_t m_resolution = 0;
    bool m_bFitAddressPanel = false;
    bool m_bFIMBarcodeDrawing = false;
    bool m_bPrinting = false;
    const CFTComponentsInterface *m_ftInterface = nullptr;
    QRandomGenerator m_random;
};
