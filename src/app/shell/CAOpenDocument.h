#pragma once

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
    // 1 for "Untitled", 2 for "Untitled 2", ...; 0 once the document has a file.
    int untitledNumber = 0;
    int changeCount = 0;
    QPointer<QWidget> window;

    bool isEdited() const { return changeCount != 0; }
};
