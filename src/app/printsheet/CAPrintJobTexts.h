#pragma once

#include "kernel/base/FTTypes.h"

#include <QString>

// The texts of the print sheet's Job box: the paper layout the design is set on, and how many
// items of the design's own kind one sheet of paper holds.
class CAPrintJobTexts
{
public:
    // "Maker (ID: 10)"; "ID: 10" for a layout without a maker, the maker alone without an ID.
    static QString layoutDescription(const QString &manufacturer, const QString &id);
    // "30 labels", "1 envelope", "4 cards": the design's kind, singular for one.
    static QString itemCount(documentType kind, int count);
};
