#include "kernel/base/CDDColor.h"

#include <QBrush>
#include <QPainter>
#include <QPen>

CDDColor::CDDColor()
    : mColor(std::make_shared<const PWColor>(PWColor::calibratedWhite(1.0f, 1.0f)))
{
}

CDDColor::CDDColor(float red, float green, float blue, float alpha)
    : mColor(std::make_shared<const PWColor>(PWColor::calibratedRGB(red, green, blue, alpha)))
{
}

CDDColor::CDDColor(std::shared_ptr<const PWColor> color)
    : mColor(std::move(color))
{
}

CDDColor::CDDColor(const PWColor &color)
    : mColor(std::make_shared<const PWColor>(color))
{
}

bool CDDColor::operator==(const CDDColor &other) const
{
    if (!mColor || !other.mColor)
        return !mColor && !other.mColor;
    return *mColor == *other.mColor;
}

QColor CDDColor::toQColor() const
{
    return mColor ? mColor->toQColor() : QColor();
}

void CDDColor::set(QPainter *painter) const
{
    if (!painter || !mColor)
        return;
    const QColor color = mColor->toQColor();
    QPen pen = painter->pen();
    pen.setColor(color);
    painter->setPen(pen);
    painter->setBrush(color);
}

void CDDColor::setRGBA(float red, float green, float blue, float alpha)
{
    mColor = std::make_shared<const PWColor>(PWColor::calibratedRGB(red, green, blue, alpha));
}

void CDDColor::copy(const CDDColor *other)
{
    if (other)
        mColor = other->mColor;
}

float CDDColor::getOpacity() const
{
    return mColor ? mColor->alpha() : 0.0f;
}

void CDDColor::setOpacity(float opacity)
{
    if (mColor)
        mColor = std::make_shared<const PWColor>(mColor->withAlpha(opacity));
}
