#pragma once

#include <cstdint>

// Enumerations shared across the kernel. Their numbers are stored in documents and compared
// by number everywhere, so every enumeration has a fixed 32-bit signed underlying type and any
// stored value, named here or not, survives a round trip.

// The kind of a person field or field-like component. Only the values the kernel foundation
// names itself are listed; every value from -1 to 133 is valid.
enum textCategory : std::int32_t {
    tcNone = -1,
    tcCounter = 25,
    tcFileData = 26,
    tcRootFormat = 105,
    tcBarcode = 106,
    tcSmartDate = 129,
    tcSmartFirst = 129,
    tcSmartLast = 133,
};

// The kind a component answers with getType(); 8 to 39 are the shape kinds, named after their
// basic-shape files.
enum compType : std::int32_t {
    ctAbstract = 0,
    ctRect = 1,
    ctSeparator = 2,
    ctPicture = 3,
    ctText = 4,
    ctAddressPanel = 5,
    ctBarcode = 6,
    ctAddressText = 7,
    ctRectTriangleLeft = 8,
    ctRectTriangleRight = 9,
    ctRectTriangleUp = 10,
    ctRectTriangleDown = 11,
    ctTriangleLeft = 12,
    ctTriangleRight = 13,
    ctTriangleUp = 14,
    ctTriangleDown = 15,
    ctPolygon = 16,
    ctCircle = 17,
    ctDiamond = 18,
    ctPentagon = 19,
    ctHexagon = 20,
    ctOctagon = 21,
    ctRoundedRect = 22,
    ctSquashedRect = 23,
    ctCross = 24,
    ctArrow = 25,
    ctTwoWayArrow = 26,
    ctDonut = 27,
    ctTrapezoid = 28,
    ctMoon = 29,
    ctStar5 = 30,
    ctStar8 = 31,
    ctStar32 = 32,
    ctCloud = 33,
    ctCallout = 34,
    ctWave = 35,
    ctHorizontalLine = 36,
    ctVerticalLine = 37,
    ctLeftDiagonalLine = 38,
    ctRightDiagonalLine = 39,
    ctTextBlock = 40,
    ctSmartField = 41,
};

// The kind of a design; stored by name (see documentTypeKeys). dtUnknown is one past the last
// kind and stands for a name that is in no table.
enum documentType : std::int32_t {
    dtLabel = 0,
    dtEnvelope = 1,
    dtLetterhead = 2,
    dtOrbisetteDisc = 3,
    dtOrbisetteCover = 4,
    dtOrbisetteTrayInsert = 5,
    dtOrbisetteDoubleCover = 6,
    dtOrbisetteSlimCaseInsert = 7,
    dtOrbisetteSpine = 8,
    dtOrbisetteCore = 9,
    dtOrbisetteDVDCover = 10,
    dtOrbisetteDVDDoubleInsert = 11,
    dtOrbisetteDVDInsert = 12,
    dtOrbisetteDVDSlimCover = 13,
    dtOrbisetteMiniDisc = 14,
    dtOrbisetteBusinessCard = 15,
    dtOrbisetteSJBooklet = 16,
    dtOrbisetteSJBoxInsideInsert = 17,
    dtOrbisetteSJBoxOutsideInsert = 18,
    dtOrbisetteDVDSJBoxBookletInsert = 19,
    dtOrbisetteDVDSJBoxInsideInsert = 20,
    dtOrbisetteDVDSJBoxOutsideInsert = 21,
    dtOrbisetteVHSWrap = 22,
    dtOrbisetteVHSFace = 23,
    dtOrbisetteVHSSpine = 24,
    dtCustomElement = 25,
    dtPostcard = 26,
    dtReserved1 = 27,
    dtReserved2 = 28,
    dtUnknown = 29,
};

// Display length units; any value other than millimetres and inches means points.
enum cardUnits : std::int32_t {
    cuMillimeters = 0,
    cuInches = 1,
    cuPoints = 2,
};

// The kernel's paragraph alignment. taNatural has no kernel meaning of its own: it leaves as
// the platform's natural alignment and comes back as left.
enum textAlignment : std::int32_t {
    taLeft = 0,
    taCenter = 1,
    taRight = 2,
    taNatural = 3,
    taJustified = 4,
};
