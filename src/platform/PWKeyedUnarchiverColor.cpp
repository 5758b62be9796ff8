// Colours of keyed archives: the platform's colour spaces by number, with their components as
// text or exact numbers, and catalogue colours with the colour they are drawn in.
#include "platform/PWKeyedUnarchiver.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

// The numbers of a colour's component text ("0.5 0.25 1", often ending in a NUL byte).
std::optional<QList<float>> parseComponents(const QByteArray &text)
{
    QList<float> numbers;
    const qsizetype end = text.indexOf('\0') < 0 ? text.size() : text.indexOf('\0');
    const char *p = text.constData();
    const char *const last = p + end;
    while (p < last) {
        while (p < last && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r'))
            ++p;
        if (p == last)
            break;
        double value = 0.0;
        const std::from_chars_result parsed = std::from_chars(p, last, value);
        // Components are single precision: a number beyond its range is as unreadable as text.
        if (parsed.ec != std::errc() || !(std::fabs(value) <= std::numeric_limits<float>::max())
            || numbers.size() >= 8)
            return std::nullopt;
        if (parsed.ptr < last && *parsed.ptr != ' ' && *parsed.ptr != '\t' && *parsed.ptr != '\n'
            && *parsed.ptr != '\r')
            return std::nullopt;
        numbers.append(static_cast<float>(value));
        p = parsed.ptr;
    }
    return numbers;
}

// RGB components of any colour, for the fallback of a catalogue colour.
std::array<float, 3> rgbOf(const PWColor &color)
{
    if (color.isRGB())
        return {color.redComponent(), color.greenComponent(), color.blueComponent()};
    if (color.isWhite())
        return {color.whiteComponent(), color.whiteComponent(), color.whiteComponent()};
    const QColor rgb = color.toQColor().toRgb();
    return {float(rgb.redF()), float(rgb.greenF()), float(rgb.blueF())};
}

} // namespace

std::optional<PWColor> PWKeyedUnarchiver::colorEntry(quint64 uid)
{
    const std::optional<double> spaceNumber = decodeNumber(uid, QStringLiteral("NSColorSpace"), -1.0);
    if (!spaceNumber)
        return std::nullopt;
    if (!(*spaceNumber >= 0.0 && *spaceNumber <= 1000.0)) {
        fail(QStringLiteral("colour %1 has no colour space").arg(uid));
        return std::nullopt;
    }
    int space = int(*spaceNumber);

    if (space == 6) {
        const std::optional<QString> catalog = decodeString(field(uid, QStringLiteral("NSCatalogName")));
        const std::optional<QString> name = catalog ? decodeString(field(uid, QStringLiteral("NSColorName")))
                                                    : std::nullopt;
        const PWPlist fallbackRef = field(uid, QStringLiteral("NSColor"));
        if (!name)
            return std::nullopt;
        if (!fallbackRef.isUid()) {
            fail(QStringLiteral("catalogue colour %1 has no colour to draw with").arg(uid));
            return std::nullopt;
        }
        const std::optional<PWColor> fallback = decodeColor(fallbackRef.toUid());
        if (!fallback)
            return std::nullopt;
        const std::array<float, 3> rgb = rgbOf(*fallback);
        return PWColor::named(*catalog, *name, rgb[0], rgb[1], rgb[2], fallback->alpha());
    }

    // Newer archives carry exact components beside the older text of the same colour; they win.
    const PWPlist componentsField = field(uid, QStringLiteral("NSComponents"));
    const bool modern = !componentsField.isNull();
    QString textKey;
    int count = 0;
    switch (space) {
    case 1:
    case 2:
        textKey = QStringLiteral("NSRGB");
        count = 3;
        break;
    case 3:
    case 4:
        textKey = QStringLiteral("NSWhite");
        count = 1;
        break;
    case 5:
        textKey = QStringLiteral("NSCMYK");
        count = 4;
        break;
    default:
        if (!modern) {
            fail(QStringLiteral("colour %1 is in colour space %2, which is not read").arg(uid).arg(space));
            return std::nullopt;
        }
        break;
    }
    const std::optional<QByteArray> text = decodeData(modern ? componentsField : field(uid, textKey));
    if (!text)
        return std::nullopt;
    const std::optional<QList<float>> numbers = parseComponents(*text);
    if (!numbers) {
        fail(QStringLiteral("colour %1 has unreadable components").arg(uid));
        return std::nullopt;
    }
    if (count == 0) {
        // A colour of a custom colour space: its model is told by its number of components.
        count = numbers->size() == 2 ? 1 : (numbers->size() == 5 ? 4 : 3);
        space = count == 1 ? 3 : (count == 4 ? 5 : 1);
    }
    if (numbers->size() < count) {
        fail(QStringLiteral("colour %1 has %2 components, %3 needed").arg(uid).arg(numbers->size()).arg(count));
        return std::nullopt;
    }
    const QList<float> &c = *numbers;
    const float alpha = c.size() > count ? c.at(count) : 1.0f;
    switch (space) {
    case 1:
        return PWColor::calibratedRGB(c[0], c[1], c[2], alpha);
    case 2:
        return PWColor::deviceRGB(c[0], c[1], c[2], alpha);
    case 3:
        return PWColor::calibratedWhite(c[0], alpha);
    case 4:
        return PWColor::deviceWhite(c[0], alpha);
    default:
        return PWColor::deviceCMYK(c[0], c[1], c[2], c[3], alpha);
    }
}
