#pragma once

#include "platform/PWColor.h"

#include <QColor>

#include <memory>

class QPainter;

// The colour value of every kernel interface (fill, stroke, text, shadow, paper colours). It
// holds an immutable platform colour, or none; because the colour never changes in place,
// copies may share it and still behave as independent copies: every change replaces it.
class CDDColor
{
public:
    // The platform's white: grey-scale, not RGB.
    CDDColor();
    // Calibrated RGB, each component 0 to 1.
    CDDColor(float red, float green, float blue, float alpha);
    // Holds the given colour, none included.
    explicit CDDColor(std::shared_ptr<const PWColor> color);
    explicit CDDColor(const PWColor &color);

    CDDColor(const CDDColor &) = default;
    CDDColor &operator=(const CDDColor &) = default;

    // Equal colours: same space and components; two values without a colour are equal too.
    bool operator==(const CDDColor &other) const;

    // The colour, or null; the pointer keeps it alive beyond later changes of this value.
    std::shared_ptr<const PWColor> getData() const { return mColor; }
    // The colour for drawing; invalid when there is none.
    QColor toQColor() const;

    // Makes the colour the painter's stroke and fill colour; the pen keeps its width and style.
    // Nothing happens without a painter or without a colour.
    void set(QPainter *painter) const;
    void setRGBA(float red, float green, float blue, float alpha);
    // Takes the other value's colour; a null pointer changes nothing.
    void copy(const CDDColor *other);
    // The alpha component; 0 without a colour.
    float getOpacity() const;
    // The same colour with another alpha; without a colour nothing changes.
    void setOpacity(float opacity);

private:
    std::shared_ptr<const PWColor> mColor;
};
