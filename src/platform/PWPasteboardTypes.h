#pragma once

#include <QString>

#include <optional>

// The pasteboard and drag types of the application, one table for every copy, drag and drop:
// each type keeps the name documents, scripts and other builds of the application know it by,
// and travels through Qt's clipboard and drag-and-drop under its MIME type.
namespace PWPasteboardTypes {

struct Entry
{
    const char *name; // the type's own name ("ProductDocumentType")
    const char *mimeType; // what QMimeData carries it as
};

// Archived components with their PDF and TIFF renderings.
inline constexpr const char *kProductDocument = "ProductDocumentType";
// One archived component, or the copied selection.
inline constexpr const char *kAddressDocument = "AddressDocumentType";
inline constexpr const char *kNamedImage = "Named Image PasteBoard Type";
inline constexpr const char *kDataRef = "DataRef";
// Persons as a property-list array of vCard data.
inline constexpr const char *kPersonList = "PersonListPBoardType";
inline constexpr const char *kCustomAddressFormatField = "CustomAddressFormatFieldPBoardType";
// Where a drag out of a canvas started, in window units, as "%f" text.
inline constexpr const char *kDragAndDropStartX = "DragAndDropStartX";
inline constexpr const char *kDragAndDropStartY = "DragAndDropStartY";
// Where a drag's picture shows what is dragged, relative to the pointer, in points of the
// dragged design: left, top, width and height as "%f %f %f %f" text (left and top negative
// when it reaches left of or above the pointer). A drop lays what it brings where its picture
// was let go.
inline constexpr const char *kDragImageFrame = "DragImageFrame";
inline constexpr const char *kPDF = "PDF";
inline constexpr const char *kTIFF = "TIFF";
// Encapsulated PostScript bytes of a picture.
inline constexpr const char *kPostScript = "PostScript";
inline constexpr const char *kPNG = "PNG";
// Texts: plain, RTF and flattened RTFD.
inline constexpr const char *kString = "String";
inline constexpr const char *kRTF = "RTF";
inline constexpr const char *kRTFD = "RTFD";
// One person as vCard data.
inline constexpr const char *kVCard = "VCard";
// A colour as Qt carries it (four 16-bit channels).
inline constexpr const char *kColor = "Color";
// A list of URLs; the local files among them are the dropped or pasted file names.
inline constexpr const char *kURL = "URL";

// Every type, in no particular order; names and MIME types are each unique.
const Entry *begin();
const Entry *end();

// The MIME type of a type name; nothing for a name the table does not hold.
std::optional<QString> mimeType(const char *name);
// mimeType for a name the table is known to hold (the constants above).
QString mimeTypeOf(const char *name);
// The type name carried under a MIME type; nothing for a MIME type of no table entry.
std::optional<QString> nameForMimeType(const QString &mimeType);

} // namespace PWPasteboardTypes
