#pragma once

#include <QImage>
#include <QString>

// The named pictures the inspector's small controls draw with: pictures registered while the
// program runs first, then the bundle's drawings. A name without a picture answers a null image,
// which is how a control learns that an optional picture (a hover face) does not exist.
class CAControlImages
{
public:
    static QImage image(const QString &name);
    static bool exists(const QString &name) { return !image(name).isNull(); }
    // Makes a picture known under a name, e.g. one drawn at run time; a null image forgets it.
    static void registerImage(const QString &name, const QImage &image);
};
