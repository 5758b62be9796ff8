#pragma once

#include <QColor>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <functional>

// One sample design: where it is filed, what it shows. The layout itself is worked out for the
// page of each size group by composeSampleDesign, so one recipe serves every group of its family.
struct SampleDesignRecipe
{
    enum Kind { ReturnAddress, Mailing, Shipping, Envelope, Postcard, Handling };
    QString category;
    QString name;
    Kind kind = Mailing;
    // A picture of the generator's pictures folder, by name; empty for none.
    QString picture;
    enum Decoration { None, AccentBar, Frame, Band };
    Decoration decoration = None;
    QColor accent;
    // The caption of a band or a handling sign.
    QString caption;
};

// What a design is made of, as calls into whoever builds the document.
struct SampleDesignCanvas
{
    std::function<void(bool toFrom, bool barcode, const QRectF &box, int alignment)> panel;
    std::function<void(const QString &text, const QRectF &box, double size, const QColor &colour, bool bold,
                       int alignment)>
        text;
    std::function<void(int type, const QRectF &box, const QColor &fill, const QColor &stroke, double width)> shape;
    std::function<void(const QString &name, const QRectF &box)> picture;
};

// The recipes of a size group by its name ("Return3", "Mailing1", "Shipping2", "Envelope9",
// "Postcard1"); none for a name of no known family.
QList<SampleDesignRecipe> sampleDesignRecipes(const QString &sizeGroup);
// Whether an address block of the box is wide enough for a postal barcode below it.
bool sampleBarcodeFits(const QRectF &box);
// Lays the recipe out on a page of the size (points, wider than high).
void composeSampleDesign(const SampleDesignRecipe &recipe, const QSizeF &page, const SampleDesignCanvas &canvas);
