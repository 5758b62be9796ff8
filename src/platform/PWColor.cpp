#include "platform/PWColor.h"

PWColor::PWColor(ColorSpace space, std::array<float, 4> components, float alpha)
    : m_space(space), m_c(components), m_alpha(alpha)
{
}

PWColor PWColor::calibratedRGB(float red, float green, float blue, float alpha)
{
    return PWColor(ColorSpace::CalibratedRGB, {red, green, blue, 0.0f}, alpha);
}

PWColor PWColor::deviceRGB(float red, float green, float blue, float alpha)
{
    return PWColor(ColorSpace::DeviceRGB, {red, green, blue, 0.0f}, alpha);
}

PWColor PWColor::calibratedWhite(float white, float alpha)
{
    return PWColor(ColorSpace::CalibratedWhite, {white, 0.0f, 0.0f, 0.0f}, alpha);
}

PWColor PWColor::deviceWhite(float white, float alpha)
{
    return PWColor(ColorSpace::DeviceWhite, {white, 0.0f, 0.0f, 0.0f}, alpha);
}

PWColor PWColor::deviceCMYK(float cyan, float magenta, float yellow, float black, float alpha)
{
    return PWColor(ColorSpace::DeviceCMYK, {cyan, magenta, yellow, black}, alpha);
}

PWColor PWColor::named(const QString &catalogName, const QString &colorName, float red,
                       float green, float blue, float alpha)
{
    PWColor color(ColorSpace::Named, {red, green, blue, 0.0f}, alpha);
    color.m_catalog = catalogName;
    color.m_name = colorName;
    return color;
}

bool PWColor::isRGB() const
{
    return m_space == ColorSpace::CalibratedRGB || m_space == ColorSpace::DeviceRGB
        || m_space == ColorSpace::Named;
}

int PWColor::numberOfComponents() const
{
    switch (m_space) {
    case ColorSpace::CalibratedWhite:
    case ColorSpace::DeviceWhite:
        return 1;
    case ColorSpace::DeviceCMYK:
        return 4;
    case ColorSpace::CalibratedRGB:
    case ColorSpace::DeviceRGB:
    case ColorSpace::Named:
        break;
    }
    return 3;
}

QColor PWColor::toQColor() const
{
    // QColor refuses components outside 0..1 with a warning; archived colours may hold such
    // values (wide-gamut pickers), so clamp for drawing only and keep the stored ones exact.
    const auto c = [](float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); };
    switch (m_space) {
    case ColorSpace::CalibratedWhite:
    case ColorSpace::DeviceWhite:
        return QColor::fromRgbF(c(m_c[0]), c(m_c[0]), c(m_c[0]), c(m_alpha));
    case ColorSpace::DeviceCMYK:
        return QColor::fromCmykF(c(m_c[0]), c(m_c[1]), c(m_c[2]), c(m_c[3]), c(m_alpha));
    case ColorSpace::CalibratedRGB:
    case ColorSpace::DeviceRGB:
    case ColorSpace::Named:
        break;
    }
    return QColor::fromRgbF(c(m_c[0]), c(m_c[1]), c(m_c[2]), c(m_alpha));
}

PWColor PWColor::withAlpha(float alpha) const
{
    PWColor color = *this;
    color.m_alpha = alpha;
    return color;
}
