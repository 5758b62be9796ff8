#include "platform/PWPasteboardTypes.h"

#include <cstring>
#include <iterator>

namespace PWPasteboardTypes {

namespace {

// Our own types live under the vendor-less x- tree; PDF and TIFF are the registered types, so
// that other programs take a dragged rendering.
constexpr Entry kTable[] = {
    {kProductDocument, "application/x-parcelwick-product-document"},
    {kAddressDocument, "application/x-parcelwick-address-document"},
    {kNamedImage, "application/x-parcelwick-named-image"},
    {kDataRef, "application/x-parcelwick-data-ref"},
    {kPersonList, "application/x-parcelwick-person-list"},
    {kCustomAddressFormatField, "application/x-parcelwick-custom-address-format-field"},
    {kDragAndDropStartX, "application/x-parcelwick-drag-start-x"},
    {kDragAndDropStartY, "application/x-parcelwick-drag-start-y"},
    {kDragImageFrame, "application/x-parcelwick-drag-image-frame"},
    {kPDF, "application/pdf"},
    {kTIFF, "image/tiff"},
    {kPostScript, "application/postscript"},
    {kPNG, "image/png"},
    {kString, "text/plain"},
    {kRTF, "text/rtf"},
    {kRTFD, "application/x-parcelwick-rtfd"},
    {kVCard, "text/vcard"},
    {kColor, "application/x-color"},
    {kURL, "text/uri-list"},
};

} // namespace

const Entry *begin()
{
    return std::begin(kTable);
}

const Entry *end()
{
    return std::end(kTable);
}

std::optional<QString> mimeType(const char *name)
{
    if (!name)
        return std::nullopt;
    for (const Entry &entry : kTable)
        if (std::strcmp(entry.name, name) == 0)
            return QString::fromLatin1(entry.mimeType);
    return std::nullopt;
}

QString mimeTypeOf(const char *name)
{
    return mimeType(name).value_or(QString());
}

std::optional<QString> nameForMimeType(const QString &type)
{
    for (const Entry &entry : kTable)
        if (type == QLatin1String(entry.mimeType))
            return QString::fromLatin1(entry.name);
    return std::nullopt;
}

} // namespace PWPasteboardTypes
