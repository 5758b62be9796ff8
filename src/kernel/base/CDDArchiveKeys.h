#pragma once

#include <QString>

#include <array>

// The names under which documents store classes and document kinds, and every key the archive
// writes. Writers and readers use these constants, never their own copies of the texts: the
// texts (misspellings included) are the file format.

// Class-ID names, indexed by a component's getClassID().
inline const std::array<QString, 20> classStringKeys = {
    QStringLiteral("Abstract Component"), QStringLiteral("Square Field"),
    QStringLiteral("Separator"),          QStringLiteral("Text"),
    QStringLiteral("Circle Text"),        QStringLiteral("Titled Text"),
    QStringLiteral("Picture"),            QStringLiteral("Background Picture"),
    QStringLiteral("Address Panel"),      QStringLiteral("Barcode"),
    QStringLiteral("Address Text"),       QStringLiteral("CPosition"),
    QStringLiteral("CKnot"),              QStringLiteral("CLeaf"),
    QStringLiteral("Counter Field"),      QStringLiteral("File Field"),
    QStringLiteral("Extended Text"),      QStringLiteral("Extended Text Block"),
    QStringLiteral("Layout Guideline"),   QStringLiteral("Smart Field"),
};

// Document-type names, indexed by documentType.
inline const std::array<QString, 29> documentTypeKeys = {
    QStringLiteral("Label"),
    QStringLiteral("Envelope"),
    QStringLiteral("Letterhead"),
    QStringLiteral("OrbisetteDisc"),
    QStringLiteral("OrbisetteCover"),
    QStringLiteral("OrbisetteTrayInsert"),
    QStringLiteral("OrbisetteDoubleCover"),
    QStringLiteral("OrbisetteSlimCaseInsert"),
    QStringLiteral("OrbisetteSpine"),
    QStringLiteral("OrbisetteCore"),
    QStringLiteral("OrbisetteDVDCover"),
    QStringLiteral("OrbisetteDVDDoubleInsert"),
    QStringLiteral("OrbisetteDVDInsert"),
    QStringLiteral("OrbisetteDVDSlimCover"),
    QStringLiteral("OrbisetteMiniDisc"),
    QStringLiteral("OrbisetteBusinessCard"),
    QStringLiteral("OrbisetteSJBooklet"),
    QStringLiteral("OrbisetteSJBoxInsideInsert"),
    QStringLiteral("OrbisetteSJBoxOutsideInsert"),
    QStringLiteral("OrbisetteDVDSJBoxBookletInsert"),
    QStringLiteral("OrbisetteDVDSJBoxInsideInsert"),
    QStringLiteral("OrbisetteDVDSJBoxOutsideInsert"),
    QStringLiteral("OrbisetteVHSWrap"),
    QStringLiteral("OrbisetteVHSFace"),
    QStringLiteral("OrbisetteVHSSpine"),
    QStringLiteral("CustomElement"),
    QStringLiteral("Postcard"),
    QStringLiteral("Reserved1"),
    QStringLiteral("Reserved2"),
};

// Every component.
inline const QString key_ClassID = QStringLiteral("Class ID");
inline const QString key_Bounds = QStringLiteral("Bounds");
inline const QString key_Angle = QStringLiteral("Angle");
inline const QString key_Color = QStringLiteral("Color");
inline const QString key_ShadowHorizontalOffset = QStringLiteral("Shadow Horizontal Offset");
inline const QString key_ShadowVerticalOffset = QStringLiteral("Shadow Vertical Offset");
inline const QString key_ShadowBlurRadius = QStringLiteral("Shadow Blur Radius");
inline const QString key_ShadowColor = QStringLiteral("Shadow Color");
inline const QString key_Stroke = QStringLiteral("Stroke");
inline const QString key_OutlineColor = QStringLiteral("Outline Color");
inline const QString key_PenWidth = QStringLiteral("Pen Width");
inline const QString key_TextWrapping = QStringLiteral("Text wrapping");
inline const QString key_TextWrappingInset = QStringLiteral("Text Wrapping Inset");
inline const QString key_ObjectRepresentation = QStringLiteral("Object Representation");

// Default components.
inline const QString key_FillBackground = QStringLiteral("Fill Background");
inline const QString key_BackColor = QStringLiteral("Background Color");
inline const QString key_Shadow = QStringLiteral("Shadow");
inline const QString key_HorizontalAlignment = QStringLiteral("Horizontal Alignment");
inline const QString key_Font = QStringLiteral("Font");
inline const QString key_TextStorage = QStringLiteral("Text Storage");

// Core document and layout guidelines.
inline const QString key_Components = QStringLiteral("Components");
inline const QString key_LayoutGuidelines = QStringLiteral("Layout Guidelines");
inline const QString key_Origin = QStringLiteral("Origin");
inline const QString key_LayoutGuidelineType = QStringLiteral("Layout Guideline Type");
inline const QString key_Locked = QStringLiteral("Locked");

// Graphic components (separator, counter, file field, shape, picture, background picture).
inline const QString key_StartNumber = QStringLiteral("Start Number");
inline const QString key_Increment = QStringLiteral("Increment");
inline const QString key_DigitsCount = QStringLiteral("Digits Count");
inline const QString key_LeadingZeros = QStringLiteral("Leading Zeros");
inline const QString key_FileName = QStringLiteral("File Name");
inline const QString key_FiledsCount = QStringLiteral("FiledsCount");
inline const QString key_NumberField = QStringLiteral("NumberField");
inline const QString key_Delimeter = QStringLiteral("Delimeter");
inline const QString key_ComponentType = QStringLiteral("Component Type");
inline const QString key_SideCount = QStringLiteral("Side Count");
inline const QString key_CurveRadius = QStringLiteral("Curve Radius");
inline const QString key_FlipX = QStringLiteral("FlipX");
inline const QString key_FlipY = QStringLiteral("FlipY");
inline const QString key_DataRef = QStringLiteral("Data Ref");
inline const QString key_MaskDataRef = QStringLiteral("Mask Data Ref");
inline const QString key_Opacity = QStringLiteral("Opacity");
inline const QString key_Mask = QStringLiteral("Mask");
inline const QString key_Tint = QStringLiteral("Tint");
inline const QString key_Picture = QStringLiteral("Picture");
inline const QString key_MaskPicture = QStringLiteral("Picture Mask");
inline const QString key_PlaceMode = QStringLiteral("Place Mode");
inline const QString key_TileScale = QStringLiteral("Tile Scale");
inline const QString key_HasSrcRect = QStringLiteral("Has SrcRect");
inline const QString key_SrcRectX = QStringLiteral("SrcRectX");
inline const QString key_SrcRectY = QStringLiteral("SrcRectY");
inline const QString key_SrcRectWidth = QStringLiteral("SrcRectWidth");
inline const QString key_SrcRectHeight = QStringLiteral("SrcRectHeight");
inline const QString key_Replaceable = QStringLiteral("Replaceable");

// Texts.
inline const QString key_TextColor = QStringLiteral("Text Color");
inline const QString key_TextStorage2 = QStringLiteral("Text Storage 2");
inline const QString key_DontAutoResize = QStringLiteral("Dont AutoResize");
inline const QString key_LinkedText = QStringLiteral("Linked Text");
inline const QString key_InsetOffset = QStringLiteral("Inset Offset");
inline const QString key_TextCategory = QStringLiteral("Text Category");
inline const QString key_DataFormat = QStringLiteral("Data Format");
inline const QString key_Blocks = QStringLiteral("Blocks");

// Address panels, address texts, barcodes and address formats.
inline const QString key_BundleVersion = QStringLiteral("Bundle Version");
// Appended to a text's key, the key under which an empty text is written: its style alone.
inline const QString key_DefValueSuffix = QStringLiteral("::DefValue");
inline const QString key_AddressFormat = QStringLiteral("Address Format");
inline const QString key_AddressPanelToFrom = QStringLiteral("Address Panel ToFrom");
inline const QString key_Touched = QStringLiteral("Touched");
inline const QString key_AddressSource = QStringLiteral("Address Source");
inline const QString key_IsPreferred = QStringLiteral("Is Preferred");
inline const QString key_Barcode = QStringLiteral("Barcode");
inline const QString key_BarcodeType = QStringLiteral("Barcode Type");
inline const QString key_BarcodeLocation = QStringLiteral("Barcode Location");
inline const QString key_BarcodeHidden = QStringLiteral("Barcode Hidden");
inline const QString key_ZIPForBarcode = QStringLiteral("ZIP for Barcode");
inline const QString key_CountryForBarcode = QStringLiteral("Country for Barcode");
inline const QString key_StreetForBarcode = QStringLiteral("Street for Barcode");
inline const QString key_DefaultSettingsText = QStringLiteral("Default Settings Text");
inline const QString key_Label = QStringLiteral("Label");
inline const QString key_Enabled = QStringLiteral("Enabled");
inline const QString key_FieldMode = QStringLiteral("Field Mode");

// The document; the last two only in older files.
inline const QString key_DocumentType = QStringLiteral("Document Type");
inline const QString key_ISOCountryCodeTo = QStringLiteral("ISO Country Code To");
inline const QString key_ISOCountryCodeFrom = QStringLiteral("ISO Country Code From");
inline const QString key_AddressFormatTo = QStringLiteral("Address Format To");
inline const QString key_AddressFormatFrom = QStringLiteral("Address Format From");
inline const QString key_AddressSourceTo = QStringLiteral("Address Source To");
inline const QString key_AddressSourceFrom = QStringLiteral("Address Source From");
inline const QString key_HasWindow = QStringLiteral("Has window");
inline const QString key_WindowWidth = QStringLiteral("Window Width");
inline const QString key_WindowHeight = QStringLiteral("Window Height");
inline const QString key_WindowBottomOffset = QStringLiteral("Window Bottom Offset");
inline const QString key_WindowLeftOffset = QStringLiteral("Window Left Offset");
inline const QString key_DYMOPaperWidth = QStringLiteral("DYMO Paper width");
inline const QString key_DYMOPaperHeight = QStringLiteral("DYMO Paper height");
inline const QString key_DYMOOffsetX = QStringLiteral("DYMO Offset X");
inline const QString key_DYMOOffsetY = QStringLiteral("DYMO Offset Y");
inline const QString key_DefaultSettings = QStringLiteral("Default Settings");
inline const QString key_BackComponents = QStringLiteral("Back Components");
inline const QString key_FrontSide = QStringLiteral("Front Side");
inline const QString key_FIMBarcodeVisible = QStringLiteral("FIM Barcode Visible");
inline const QString key_CardWidth = QStringLiteral("Card Width");
inline const QString key_CardHeight = QStringLiteral("Card Height");
inline const QString key_PrintableCardSizeX = QStringLiteral("Printable Card Size X");
inline const QString key_PrintableCardSizeY = QStringLiteral("Printable Card Size Y");
inline const QString key_Horizontal = QStringLiteral("Horizontal");
inline const QString key_PaperColor = QStringLiteral("Paper Color");
inline const QString key_Units = QStringLiteral("Units");
inline const QString key_Manufacturer = QStringLiteral("Manufacturer");
inline const QString key_ID = QStringLiteral("ID");
inline const QString key_Description = QStringLiteral("Description");
inline const QString key_Category = QStringLiteral("Category");
inline const QString key_Type = QStringLiteral("Type");
inline const QString key_PageSize = QStringLiteral("PageSize");
inline const QString key_Columns = QStringLiteral("Columns");
inline const QString key_Rows = QStringLiteral("Rows");
inline const QString key_CornerRadius = QStringLiteral("CornerRadius");
inline const QString key_TopMargin = QStringLiteral("TopMargin");
inline const QString key_LeftMargin = QStringLiteral("LeftMargin");
inline const QString key_HSpace = QStringLiteral("HSpace");
inline const QString key_VSpace = QStringLiteral("VSpace");
inline const QString key_PredefinedLayout = QStringLiteral("Predefined Layout");
inline const QString key_CustomLayout = QStringLiteral("Custom Layout");
inline const QString key_PersonTo = QStringLiteral("Person To");
inline const QString key_PersonFrom = QStringLiteral("Person From");
inline const QString key_PersonListName = QStringLiteral("Person List Name");
inline const QString key_ABPersonTo = QStringLiteral("ABPerson To");
inline const QString key_ABPersonFrom = QStringLiteral("ABPerson From");
