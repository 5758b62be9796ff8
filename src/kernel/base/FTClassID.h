#pragma once

#include <cstdint>

// The class IDs of everything the archive stores by "Class ID": the components, the layout
// guideline and the nodes of an address format. The numbers are those of the file format; a
// number no class answers to passes through unchanged.
enum classID : std::int32_t {
    ciComponent = 0, // the abstract base
    ciShape = 1,
    ciSeparator = 2,
    ciText = 3,
    ciCircleText = 4, // named by the archive; no class answers to it
    ciTitledText = 5, // read as a plain text
    ciPicture = 6,
    ciBackgroundPicture = 7,
    ciAddressPanel = 8,
    ciBarcode = 9,
    ciAddressText = 10,
    ciPosition = 11, // address format nodes
    ciKnot = 12,
    ciLeaf = 13,
    ciCounter = 14,
    ciFileField = 15,
    ciExtendedText = 16, // read only: converted to plain texts
    ciTextBlock = 17,
    ciLayoutGuideline = 18,
    ciSmartField = 19,
};
