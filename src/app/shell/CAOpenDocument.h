#pragma once

#include "app/shell/CAFileStamp.h"

#include <QByteArray>
#include <QPointer>
#include <QString>

#include <memory>

class CADocument;
class QWidget;

// One document the application has open: the design, where it is stored, its place in the
// numbering of untitled documents and whether it has changes since it was last saved. The
// window holds a share of it, so that the design outlives a window that is still being torn down.
struct CAOpenDocument
{
    std::unique_ptr<CADocument> document;
    // Empty while the document was never saved.
    QString filePath;
    // The file's name as the system gives it when that is no UTF-8 (filePath then only shows it);
    // empty otherwise.
    QByteArray fileBytes;
    // 1 for "Untitled", 2 for "Untitled 2", ...; 0 once the document has a file.
    int untitledNumber = 0;
    // Steps done minus steps undone since the last save: undoing back to the saved state leaves
    // the document unedited.
    int changeCount = 0;
    // A change no undo step can take back (typing in place); edited until the next save.
    bool editedBeyondUndo = false;
    // The file as this window last read or wrote it; none before it has one or could stamp it.
    std::optional<CAFileStamp> fileStamp;
    QPointer<QWidget> window;

    bool isEdited() const { return changeCount != 0 || editedBeyondUndo; }
};
