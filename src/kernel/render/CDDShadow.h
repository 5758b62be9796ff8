#pragma once

#include "kernel/base/CDDColor.h"

#include <QImage>

#include <functional>

class CDDDrawer;
class PWColor;

// The shadow a component casts: an offset (x to the right, y upwards, so (10, -10) falls to the
// lower right), a blur radius and a colour, all in design points. Drawing renders the component
// once into an off-screen image, blurs that image's coverage and paints it in the shadow colour
// at the offset; the rendering is kept and redone only when the resolution (to 1/100), the
// component's size, stroke width or the identity of its fill or stroke colour, the blur radius
// or the colour change. Copies carry offset, blur and colour but never the rendering.
class CDDShadow
{
public:
    // What a cached rendering was made for.
    struct cacheParams
    {
        double mdRes = 0.0;
        double mdSizeX = 0.0;
        double mdSizeY = 0.0;
        // The component's colour objects, compared by identity: a colour value that changes
        // always gets a new object.
        const PWColor *mFillColor = nullptr;
        const PWColor *mOutlineColor = nullptr;
        double mOutlinePenWidth = 0.0;

        bool isParamsValid(double res, double sizeX, double sizeY, const PWColor *fill, const PWColor *outline,
                           double penWidth) const;
        void saveParams(double res, double sizeX, double sizeY, const PWColor *fill, const PWColor *outline,
                        double penWidth);
    };

    // No offset, no blur, grey.
    CDDShadow();
    // The colour, or grey for a null pointer.
    CDDShadow(double offsetX, double offsetY, double blurRadius, const CDDColor *color);
    virtual ~CDDShadow();

    CDDShadow(const CDDShadow &other);
    CDDShadow &operator=(const CDDShadow &other);

    // Equal offset, blur and colour; the cached rendering does not count.
    bool operator==(const CDDShadow &other) const;

    // Moving the shadow keeps its rendering.
    void setShadowOffset(double dx, double dy);
    // A negative or non-finite radius counts as 0.
    void setShadowBlurRadius(double radius);
    // Null keeps the colour.
    void setShadowColor(const CDDColor *color);
    double getShadowOffsetX() const { return mdOffsetX; }
    double getShadowOffsetY() const { return mdOffsetY; }
    double getShadowBlurRadius() const { return mdBlurRadius; }
    const CDDColor *getShadowColor() const { return &mShadowColor; }

    void InvalidateShadow() { mCache.valid = false; }
    bool isCacheValid() const { return mCache.valid; }
    // The blurred coverage of the last rendering (premultiplied, shadow colour), null before the
    // first; for tests and diagnostics.
    const QImage &cachedImage() const { return mCache.image; }

    // What casts the shadow: its frame, how it is turned and mirrored, its pen, colours and
    // opacity, and a drawing of it level and unmirrored at its own place. The shadow knows no
    // component; the component describes itself (CFTComponent::drawShadow).
    struct Caster
    {
        double originX = 0.0;
        double originY = 0.0;
        double width = 0.0;
        double height = 0.0;
        double angle = 0.0;
        bool flipX = false;
        bool flipY = false;
        double strokeWidth = 0.0;
        double opacity = 1.0;
        const CDDColor *fill = nullptr;
        const CDDColor *outline = nullptr;
        std::function<void(CDDDrawer *)> drawLevel;
    };

    // Paints the shadow of the caster under it; nothing without a drawing, a drawer or a
    // painter. The caster is drawn into the rendering with the drawer's shadow flag set, so it
    // casts no shadow of its own there.
    void draw(const Caster &caster, CDDDrawer *drawer);

    // The blur itself: three box blurs of the alpha channel approximating a gaussian whose
    // extent is radius pixels. Exposed for tests.
    static void blurAlpha(QImage &image, double radius);

private:
    // The rendering travels with no copy: a copy starts without one.
    struct Cache
    {
        Cache() = default;
        Cache(const Cache &) {}
        Cache &operator=(const Cache &)
        {
            valid = false;
            return *this;
        }

        QImage image;
        cacheParams params;
        bool valid = false;
    };

    void render(const Caster &caster, CDDDrawer *drawer, double res, double stroke);

    double mdOffsetX = 0.0;
    double mdOffsetY = 0.0;
    double mdBlurRadius = 0.0;
    CDDColor mShadowColor;
    Cache mCache;
};
