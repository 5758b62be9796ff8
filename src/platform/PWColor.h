#pragma once

#include <QColor>
#include <QString>

#include <array>

// An immutable colour in one of the colour spaces documents carry: calibrated or device RGB,
// calibrated or device grey, device CMYK, or a named colour of a catalogue (which keeps its
// catalogue and name and carries RGB components for drawing). Components are single precision,
// as archived colours are, and two colours are equal only in the same space with the same
// components, so a colour read from an archive is written back exactly as it came.
class PWColor
{
public:
    enum class ColorSpace { CalibratedRGB, DeviceRGB, CalibratedWhite, DeviceWhite, DeviceCMYK, Named };

    // Opaque calibrated black.
    PWColor() = default;

    static PWColor calibratedRGB(float red, float green, float blue, float alpha = 1.0f);
    static PWColor deviceRGB(float red, float green, float blue, float alpha = 1.0f);
    static PWColor calibratedWhite(float white, float alpha = 1.0f);
    static PWColor deviceWhite(float white, float alpha = 1.0f);
    static PWColor deviceCMYK(float cyan, float magenta, float yellow, float black, float alpha = 1.0f);
    static PWColor named(const QString &catalogName, const QString &colorName, float red,
                         float green, float blue, float alpha = 1.0f);

    ColorSpace colorSpace() const { return m_space; }
    bool isRGB() const;
    bool isWhite() const { return m_space == ColorSpace::CalibratedWhite || m_space == ColorSpace::DeviceWhite; }
    bool isCMYK() const { return m_space == ColorSpace::DeviceCMYK; }
    bool isNamed() const { return m_space == ColorSpace::Named; }

    // Components of the colour's own space; 0 where the space has no such component.
    float redComponent() const { return isRGB() ? m_c[0] : 0.0f; }
    float greenComponent() const { return isRGB() ? m_c[1] : 0.0f; }
    float blueComponent() const { return isRGB() ? m_c[2] : 0.0f; }
    float whiteComponent() const { return isWhite() ? m_c[0] : 0.0f; }
    float cyanComponent() const { return isCMYK() ? m_c[0] : 0.0f; }
    float magentaComponent() const { return isCMYK() ? m_c[1] : 0.0f; }
    float yellowComponent() const { return isCMYK() ? m_c[2] : 0.0f; }
    float blackComponent() const { return isCMYK() ? m_c[3] : 0.0f; }
    float alpha() const { return m_alpha; }
    // Empty unless the colour is named.
    QString catalogName() const { return m_catalog; }
    QString colorName() const { return m_name; }

    // Number of colour components of the space, alpha not counted (RGB 3, grey 1, CMYK 4).
    int numberOfComponents() const;

    QColor toQColor() const;
    // The same colour, space and name with another alpha.
    PWColor withAlpha(float alpha) const;

    bool operator==(const PWColor &other) const = default;

private:
    PWColor(ColorSpace space, std::array<float, 4> components, float alpha);

    ColorSpace m_space = ColorSpace::CalibratedWhite;
    std::array<float, 4> m_c {};
    float m_alpha = 1.0f;
    QString m_catalog;
    QString m_name;
};
