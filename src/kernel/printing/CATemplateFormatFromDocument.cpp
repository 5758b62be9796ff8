// A template describing a document's current layout, so that printing and the template chooser
// can treat the layout like any catalogue entry.

#include "kernel/printing/CATemplateFormat.h"

#include "kernel/document/CFTADocument.h"

CATemplateFormat CATemplateFormat::initFromDocument(const CFTADocument &document)
{
    CATemplateFormat format;
    format._Manufacturer = document.GetManufacturer().getData();
    format._Category = document.GetCategory().getData();
    format._Type = document.GetType().getData();
    format._Description = document.GetDescription().getData();
    format._PageSize = document.GetPageSize().getData();
    format._ID = document.GetID().getData();
    format._bHorizontal = document.IsHorizontal(0);
    format._Columns = document.GetColCount();
    format._Rows = document.GetRowCount();
    format._ItemWidth = static_cast<float>(document.getCardSizeX());
    format._ItemHeight = static_cast<float>(document.getCardSizeY());
    format._CornerRadius = static_cast<float>(document.GetCornerRadius());
    format._PrintableWidth = static_cast<float>(document.getPrintableSizeX());
    format._PrintableHeight = static_cast<float>(document.getPrintableSizeY());
    format._TopMargin = static_cast<float>(document.GetTopMargin());
    format._LeftMargin = static_cast<float>(document.GetLeftMargin());
    format._HSpace = static_cast<float>(document.GetHSpace());
    format._VSpace = static_cast<float>(document.GetVSpace());
    format._units = document.getUnits();
    format._hasWindow = document.HasWindow();
    format._winWidth = static_cast<float>(document.GetWinWidth());
    format._winHeight = static_cast<float>(document.GetWinHeight());
    format._winBottomOffset = static_cast<float>(document.GetWinBottomOffset());
    format._winLeftOffset = static_cast<float>(document.GetWinLeftOffset());
    format._winCornerRadius = static_cast<float>(document.GetWinCornerRadius());
    format._DYMOPaperWidth = static_cast<float>(document.GetDYMOPaperWidth());
    format._DYMOPaperHeight = static_cast<float>(document.GetDYMOPaperHeight());
    format._DYMOOffsetX = static_cast<float>(document.GetDYMOOffsetX());
    format._DYMOOffsetY = static_cast<float>(document.GetDYMOOffsetY());
    format._predef = document.IsPredefinedLayout();
    format._DocumentType = document.getDocumentType();
    return format;
}
