#pragma once

#include <QRectF>

#include <vector>

class CFTComponent;

// What one editing operation did to the design: which objects it created, moved, resized or
// erased, with their frames before it. The editing view hands one out when an operation ends, so
// that the canvas can register the undo step of exactly that change.
struct CFTAOperationReport
{
    enum class Kind {
        Create, // objects made by dragging or by a text-tool click; nothing before them
        Move,   // the selection dragged as a whole
        Resize, // one object dragged by a handle
        Erase,  // objects taken out of the edited list into the deferred-delete pool
    };

    struct Entry
    {
        CFTComponent *component = nullptr;
        // The frame and angle before the operation (empty for a creation).
        QRectF frameBefore;
        double angleBefore = 0.0;
        // The object's place in the edited list before an erase, -1 otherwise.
        int indexBefore = -1;
    };

    Kind kind = Kind::Move;
    std::vector<Entry> entries;
};
