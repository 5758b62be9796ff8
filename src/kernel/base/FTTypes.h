#pragma once

#include <cstdint>

// Enumerations shared across the kernel. Their numbers are stored in documents and compared
// by number everywhere, so every enumeration has a fixed 32-bit signed underlying type and any
// stored value, named here or not, survives a round trip.

// The kind of a person field or field-like component: the number that address formats, address
// panels, address texts, smart fields and documents store and compare. Every value from -1 to
// 133 is valid; 33 to 99 are unnamed gaps of the person-field list. The key strings, labels and
// person properties behind the names are the tables of FTTextCategories and FTPersonFields.
enum textCategory : std::int32_t {
    tcNone = -1, // no category; also what an unknown key string reads as
    tcUnused = 0, // a gap of the person-field list
    tcFullName = 1, // first and last name composed
    tcCompany = 2,
    tcActivity = 3, // a gap of the person-field list with a placeholder text only
    tcJobTitle = 4,
    tcStreet = 5,
    tcCityLine = 6, // city, state, ZIP and country composed
    tcPhone = 7,
    tcFax = 8,
    tcMobile = 9,
    tcEmail = 10,
    tcHomepage = 11,
    tcCustom = 12, // a gap of the person-field list with a placeholder text only
    tcCity = 13,
    tcState = 14,
    tcZIP = 15,
    tcCountry = 16,
    tcFirstName = 17,
    tcLastName = 18,
    tcPrefix = 19,
    tcDepartment = 20,
    tcCustom1 = 21,
    tcCustom2 = 22,
    tcCustom3 = 23,
    tcSuffix = 24,
    tcCounter = 25, // the counter field's own category
    tcFileData = 26, // the file field's own category
    tcCustom4 = 27,
    tcCustom5 = 28,
    tcCustom6 = 29,
    tcCustom7 = 30,
    tcCustom8 = 31,
    tcCustom9 = 32,
    tcAnniversary = 100,
    tcBirthday = 101,
    tcOtherDate = 102,
    tcPager = 103,
    tcAddress = 104, // the country part of an address format (key "Address")
    tcRootFormat = 105, // the root of a template, custom or stored format
    tcBarcode = 106, // the address panel's postal barcode field
    tcNickName = 107,
    tcMiddleName = 108,
    tcMaidenName = 109,
    tcMotherName = 110,
    tcFatherName = 111,
    tcParentName = 112,
    tcSisterName = 113,
    tcBrotherName = 114,
    tcChildName = 115,
    tcFriendName = 116,
    tcSpouseName = 117,
    tcPartnerName = 118,
    tcAssistantName = 119,
    tcManagerName = 120,
    tcOtherName = 121,
    tcAIM = 122,
    tcJabber = 123,
    tcMSN = 124,
    tcICQ = 125,
    tcYahoo = 126,
    tcNote = 127,
    tcSimpleText = 128, // a free text field (key "Simple Text", also read from "Text")
    // The smart-field kinds: the core document pushes the date into the first and the side
    // number and side count into the last three; the second gets nothing.
    tcSmartDate = 129,
    tcSmartStatic = 130, // keeps the text stored in the document
    tcSmartSideNumber = 131, // data format "#n"
    tcSmartSideCount = 132, // data format "#c"
    tcSmartSideValue = 133, // side values under a format of its own
    tcSmartFirst = tcSmartDate,
    tcSmartLast = tcSmartSideValue,
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
