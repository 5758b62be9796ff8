#pragma once

#include "platform/PWFont.h"

#include <QSizeF>
#include <QString>
#include <QTextCharFormat>

#include <optional>
#include <vector>

class CFTComponent;

// What the canvas tells the rest of the application about its selection, and the small answers
// it gives about it, as plain functions of the selection so that they are checked without a
// window.
class CACanvasSelection
{
public:
    // Posted with the canvas as object whenever its selection or a selected object changed.
    static const QString kChangeSelectionNotify;
    // Address panels, address texts and barcodes all post this one name: observers of any of
    // the three kinds see all of them.
    static const QString kChangeAddressSelectionNotify;
    static const QString kChangeAddressTextSelectionNotify;
    static const QString kChangeBarcodeSelectionNotify;

    // The notification for a selection of the type (the view's getTypeOfSelComponents).
    static QString notificationForSelectionType(int selectionType);
    // Whether a selection of the type has text the font panel shows: texts, address panels and
    // address texts.
    static bool showsFont(int selectionType);

    struct Font
    {
        PWFont font;
        // The selection holds more than one font (several objects, or runs within one text).
        bool isMultiple = false;
        std::optional<QTextCharFormat> attributes;
        bool attributesMultiple = false;
    };
    // The font panel's view of the selection: the first selected object's font and attributes;
    // nothing when the selection is empty, is of a type without text, or its first object has
    // no font.
    static std::optional<Font> fontForSelection(const std::vector<CFTComponent *> &selected, int selectionType);

    // The side a dropped contact goes to (true: recipient). Objects of the custom category do
    // not count; a tie goes to the recipient; with nothing counted, the recipient side when the
    // design has recipient fields or none of either side.
    static bool activeToFrom(const std::vector<CFTComponent *> &selected, bool hasRecipientFields,
                             bool hasSenderFields);

    // The size a picture of its natural size is inserted at: kept when its area is at most the
    // page's, else half the page's area with its proportions.
    static QSizeF prepareImageSize(const QSizeF &natural, const QSizeF &page);
    // The size of a new shape of the kind on a page of the height: a third of it square, the
    // squashed rectangle a third wider.
    static QSizeF prepareShapeSize(int shapeKind, double pageHeight);
};
