#pragma once

#include "kernel/printing/CATemplateFormat.h"

#include <QImage>
#include <QSizeF>
#include <QString>

// The pictures of a paper template that the chooser and the two template editors show: a label
// sheet with every label outline on an upright page, an envelope or roll label with its address
// window, a postcard turned a quarter. Each fits the room given keeping its proportions and is
// drawn at the device pixel ratio given, so that it is sharp at any scaling. A template without
// a size gives a null image.
class CATemplatePreview
{
public:
    // The preview pages, upright, in points.
    static constexpr double kLetterWidth = 612.0;
    static constexpr double kLetterHeight = 792.0;
    static constexpr double kOtherWidth = 594.0;
    static constexpr double kOtherHeight = 840.96;

    // Whether a template's paper is Letter. Templates store the literal "Letter"; the localized
    // title is accepted too, for templates written by versions that stored it.
    static bool isLetterPageSize(const QString &pageSize, const QString &localizedLetter);
    static bool isLetterPageSize(const QString &pageSize);

    // The scale that fits an object into the room keeping its proportions.
    static double fitScale(const QSizeF &room, const QSizeF &object);

    // --- the chooser ---------------------------------------------------------------------------

    static QImage drawLabel(const CATemplateFormat &format, const QSizeF &room, qreal pixelRatio = 1.0);
    static QImage drawEnvelope(const CATemplateFormat &format, const QSizeF &room, bool showWindow,
                               qreal pixelRatio = 1.0);
    static QImage drawPostcard(const CATemplateFormat &format, const QSizeF &room, qreal pixelRatio = 1.0);
    // The picture the chooser shows for a template of the kind: envelopes and rolls as a single
    // item, labels and postcard sheets as a sheet, single postcards turned.
    static QImage drawForKind(int documentType, const CATemplateFormat &format, const QSizeF &room, bool showWindow,
                              qreal pixelRatio = 1.0);

    // --- the editors ---------------------------------------------------------------------------

    // The label-sheet editor's page: Letter or A4 as chosen in the editor, imageHeight high.
    static QSizeF labelEditorImageSize(bool letter, double imageHeight);
    static QImage drawLabelEditorSheet(const CATemplateFormat &format, bool letter, double imageHeight,
                                       qreal pixelRatio = 1.0);
    // The envelope editor's envelope, with its window when the template has one.
    static QImage drawEnvelopeEditor(const CATemplateFormat &format, const QSizeF &room, qreal pixelRatio = 1.0);
};
