#pragma once

#include "kernel/address/CFTCounterField.h"
#include "kernel/base/CDDNumberRange.h"
#include "kernel/render/CDDText.h"

#include <algorithm>
#include <numbers>

// The bounds of the inspector's typed fields, in the unit each field shows. Each is the range the
// design's reader takes for the number the field writes, so that whatever a field takes is read
// back as it was saved; a number typed past a bound is taken as that bound.
namespace CAFieldRanges {

// Points of type. 0 in a design stands for the default size, which no field sets; below the
// smallest size a text draws at, a text takes that size anyway.
inline constexpr CDDNumberRange kTypeSize {std::max(CDDText::kMinFontSize, CDDRanges::kFontSize.lowest),
                                           CDDRanges::kFontSize.highest};
// Pen widths, points.
inline constexpr CDDNumberRange kLineWidth = CDDRanges::kLength;
// Opacity as a fraction: fully clear to fully opaque. The fields show it in percent.
inline constexpr CDDNumberRange kOpacity = CDDRanges::kOpacity;
inline constexpr CDDNumberRange kOpacityPercent {kOpacity.lowest * 100.0, kOpacity.highest * 100.0, true};
// The whole degrees within an angle in radians, toward zero; a bound a rounding error short of a
// whole degree is that degree.
constexpr double wholeDegreesWithin(double radians)
{
    const double degrees = radians * 180.0 / std::numbers::pi;
    return double(static_cast<long long>(degrees + (degrees < 0.0 ? -1e-9 : 1e-9)));
}
// Whole degrees of an angle the reader takes in radians (the background's rotation is not brought
// into half a turn, so it meets this bound).
inline constexpr CDDNumberRange kAngleDegrees {wholeDegreesWithin(CDDRanges::kAngle.lowest),
                                               wholeDegreesWithin(CDDRanges::kAngle.highest), true};
// A counter's start and step, a file field's column: whole numbers an int holds.
inline constexpr CDDNumberRange kWholeNumber = CDDRanges::kInt;
inline constexpr CDDNumberRange kCounterDigits {0.0, double(CFTCounterField::kMaxDigitsCount), true};

inline double within(double value, CDDNumberRange range)
{
    return std::clamp(value, range.lowest, range.highest);
}

} // namespace CAFieldRanges
