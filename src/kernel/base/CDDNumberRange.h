#pragma once

#include "kernel/base/FTComponentTypes.h"
#include "kernel/base/FTGeometry.h"
#include "kernel/base/FTTypes.h"

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
// Points of type: no label, envelope or postcard holds a letter taller (about 35 cm); below a point
// a letter is a speck no print shows. A stored 0 is no size but stands for the default one: the
// readers of fonts let it through (isFontSize).
inline constexpr CDDNumberRange kFontSize {1.0, 1000.0};
// Points a letter is raised, lowered or spaced by: beyond a letter's own largest size it stands
// off the text.
inline constexpr CDDNumberRange kLetterShift {-1000.0, 1000.0};
// Indents, paragraph and line spacing, line heights and tab stops of a text, in points: a text's
// lines stand within its card, which is never wider or taller than this.
inline constexpr CDDNumberRange kTextLength {-40000.0, 40000.0};
// A line height multiple above this stands one line off the card.
inline constexpr CDDNumberRange kLineHeightMultiple {0.0, 100.0};
// The bounds of a component: a frame grows with its text as far as the tallest page a text's
// layout holds (a text of a hundred thousand lines, about 1,048,576 points, written with six
// digits); no text fills a larger one. Origins keep to kCoordinate.
inline constexpr CDDNumberRange kExtent {-1100000.0, 1100000.0};
// A text category: -1 (none) to the last smart-field kind.
inline constexpr CDDNumberRange kTextCategory {-1.0, 133.0, true};
// Rows and columns of an address format, counted from 0: no format places a field before its first.
inline constexpr CDDNumberRange kFormatPlace {0.0, 100000.0, true};

// A crop of a picture, in the picture's own units: it lies within the picture, whose size is its
// own and no page's (a panorama scanned at a printer's resolution is wider than any card), and it
// is kept in single precision.
inline constexpr CDDNumberRange kPictureCoordinate = kFinite;

// Opacity of a picture and every component of a colour, alpha among them.
inline constexpr CDDNumberRange kOpacity {0.0, 1.0};
inline constexpr CDDNumberRange kColorComponent {0.0, 1.0};
// Square points a tile of a tiled picture covers: at least a point square, at most a tile as large
// as the largest card.
inline constexpr CDDNumberRange kTileScale {1.0, kLength.highest * kLength.highest};
// Corner radii of boxes: the Inspector sets up to 50; twice that leaves room, farther ones build
// outlines off the page.
inline constexpr CDDNumberRange kCurveRadius {0.0, 100.0};
// Sides of a polygon or points of a star: outlines are built point by point.
inline constexpr CDDNumberRange kSideCount {0.0, 1000.0};
// Columns and rows of a sheet (0: one item a page, as envelopes and postcards have it).
inline constexpr CDDNumberRange kSheetItems {0.0, 1000.0, true};
// A side of a card: at least a point, and no larger than the longest length.
inline constexpr CDDNumberRange kCardSide {1.0, kLength.highest};
// A field of a line of a text file, counted from 1: 0 and below show the first, a number past
// the last field the last.
inline constexpr CDDNumberRange kFieldNumber = kInt;

// Enumerations: a number naming no member reaches no switch. Where every number has a meaning
// (bit sets, and kinds whose "any other value" means one of them), every int is read.
//
// Alignment is a bit set of one byte: 0 left, 1 centre, 2 right, 4 justified, and 16 and 32 keep a
// fitted frame's vertical middle or far edge; any other value within the byte (255 for a mixed
// one), and -1 for none set, aligns naturally. No writer makes another.
inline constexpr CDDNumberRange kTextAlignment {-1.0, 255.0, true};
inline constexpr CDDNumberRange kPlacingMode {double(pmStretched), double(pmCover), true};
inline constexpr CDDNumberRange kAddressType {double(adNone), double(adOther), true};
inline constexpr CDDNumberRange kFieldMode {double(fmUnset), double(fmWhenFilled), true};
// A bit set: 4 shows the text in capitals; the other bits are kept as stored.
inline constexpr CDDNumberRange kRepresentation = kInt;
inline constexpr CDDNumberRange kTextWrap {double(twTextOnLeft), double(twMostSpace), true};
inline constexpr CDDNumberRange kComponentType {double(ctAbstract), double(ctSmartField), true};
// 0 millimetres, 1 inches, any other value points.
inline constexpr CDDNumberRange kUnits = kInt;
// Vertical or horizontal.
inline constexpr CDDNumberRange kGuidelineType {0.0, 1.0, true};
// In a panel with room below (0) or above (1), or standing alone (2).
inline constexpr CDDNumberRange kBarcodeLocation {0.0, 2.0, true};
// None, or one of the three postal codes.
inline constexpr CDDNumberRange kBarcodeType {0.0, 3.0, true};
// 0 a whole line; any other value one field of it.
inline constexpr CDDNumberRange kFieldsCount = kInt;

// A font size as a file may hold it: within kFontSize, or 0 for the default size.
inline bool isFontSize(double value)
{
    return value == 0.0 || kFontSize.contains(value);
}

} // namespace CDDRanges
