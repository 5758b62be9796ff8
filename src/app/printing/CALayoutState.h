#pragma once

#include "kernel/printing/CATemplateFormat.h"

#include <QSizeF>

#include <functional>

class CADocument;

// The paper layout of a document as a value: what a change of template replaces and its undo
// puts back. The document's size is kept as it is, since a template answers the size of a roll
// turned its own way.
struct CALayoutState
{
    CATemplateFormat format;
    QSizeF documentSize;

    static CALayoutState of(const CADocument &document);
    // The state a template gives a document.
    static CALayoutState forTemplate(const CATemplateFormat &format);
    // Puts the layout into the document; the components stay where they are.
    void restore(CADocument &document) const;
};

// Called after the layout of a document changed: +1 for an edit or its redo, -1 for its undo,
// 0 for a change that is not an edit of its own (an orientation shown before it is confirmed).
using CALayoutChanged = std::function<void(int changeDelta)>;

// Gives the document the layout `after` as one step of its undo manager, named "CHANGE_LAYOUT",
// whose undo puts `before` back (and whose redo `after` again).
void setLayoutUndoably(CADocument &document, const CALayoutState &after, const CALayoutState &before,
                       const CALayoutChanged &changed);
