#pragma once

#include <climits>
#include <cmath>
#include <numbers>

// The values a number read from a design may take for its use. A number outside its range (NaN
// and the infinities lie outside every range) is named in the read report and kept out by the
// archive's readers, so that what no page can hold never reaches layout, drawing or a series.
struct CDDNumberRange
{
    double lowest;
    double highest;
    // Counts, categories, modes and rows: a fraction is no such number.
    bool whole = false;

    bool contains(double value) const
    {
        return value >= lowest && value <= highest && (!whole || std::trunc(value) == value);
    }
};

// The ranges that readers of several layers share.
namespace CDDRanges {

// Any number a single-precision float holds.
inline constexpr CDDNumberRange kFinite {-3.4028234663852886e38, 3.4028234663852886e38};
// Whatever an int holds: enumerations keep every stored value, named or not.
inline constexpr CDDNumberRange kInt {double(INT_MIN), double(INT_MAX), true};
// No page holds a component that lies or reaches farther than this (about 35 m) from its card's
// corner; printing and export write numbers no reader could take beyond it.
inline constexpr CDDNumberRange kCoordinate {-100000.0, 100000.0};
// Pens, shadow blurs, wrap insets: longer than the largest card is wide, they draw nothing a page
// can show.
inline constexpr CDDNumberRange kLength {0.0, 40000.0};
inline constexpr CDDNumberRange kSignedLength {-40000.0, 40000.0};
// Radians: rotations keep an angle within half a turn either way; two whole turns leave room for
// what older writers stored.
inline constexpr CDDNumberRange kAngle {-4.0 * std::numbers::pi, 4.0 * std::numbers::pi};
// Points of type: no label, envelope or postcard holds a letter taller (about 35 cm). 0 stands for
// the default size.
inline constexpr CDDNumberRange kFontSize {0.0, 1000.0};
// Points a letter is raised, lowered or spaced by: beyond a letter's own largest size it stands
// off the text.
inline constexpr CDDNumberRange kLetterShift {-1000.0, 1000.0};
// Indents, paragraph and line spacing, line heights and tab stops of a text, in points: a text's
// lines stand within its card, which is never wider or taller than this.
inline constexpr CDDNumberRange kTextLength {-40000.0, 40000.0};
// A text category: -1 (none) to the last smart-field kind.
inline constexpr CDDNumberRange kTextCategory {-1.0, 133.0, true};
// Rows and columns of an address format.
inline constexpr CDDNumberRange kFormatPlace {-100000.0, 100000.0, true};

} // namespace CDDRanges
