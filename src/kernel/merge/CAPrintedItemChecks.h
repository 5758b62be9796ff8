#pragma once

#include <QSizeF>
#include <QtGlobal>
#include <QString>

class CADocument;

// What a printed item (a label, card or envelope of a print job) shows otherwise than designed
// and the drawing does not see itself: addresses drawn unfitted and texts that run past the
// item's edge. Each is named in the open job reports (PWJobReport); nothing is done without one.
namespace CAPrintedItemChecks {

// "envelope", "card" or "label": how a job's line names the item.
QString itemWord(const CADocument &document);
// A size in points as a job's line names it, in whole millimetres ("210 x 297 mm").
QString millimetres(const QSizeF &points);
// The person the item is printed for, as a job's line names it; empty for the design's own.
QString personOf(const CADocument &document);
// After a printed item was drawn, its counters with the item's number: its address panels in
// either list that no fit laid out (a fitted one names itself), and its texts and counters.
void notePastEdges(const CADocument &document);
// Before a job prints persons on the design: a design that shows nothing of a recipient (a
// return-address label) would print its own fields once a person and none of the persons.
void noteWithoutRecipient(const CADocument &design, qsizetype persons);
// After an envelope with an address window was drawn: what of its items the window cuts away.
void noteCutByWindow(const CADocument &document);

} // namespace CAPrintedItemChecks
