#include "app/inspector/CAControlImages.h"

#include <QFile>
#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

namespace {

QHash<QString, QImage> &registered()
{
    static QHash<QString, QImage> images;
    return images;
}

QHash<QString, QImage> &drawnBundle()
{
    // Rendered once: the controls draw on every paint.
    static QHash<QString, QImage> images;
    return images;
}

} // namespace

QImage CAControlImages::image(const QString &name)
{
    if (name.isEmpty())
        return {};
    const auto own = registered().constFind(name);
    if (own != registered().constEnd())
        return *own;
    const auto found = drawnBundle().constFind(name);
    if (found != drawnBundle().constEnd())
        return *found;
    QImage image;
    const QString path = QStringLiteral(":/bundle/Images/%1.svg").arg(name);
    if (QFile::exists(path)) {
        QSvgRenderer renderer(path);
        if (renderer.isValid() && !renderer.defaultSize().isEmpty()) {
            image = QImage(renderer.defaultSize(), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            renderer.render(&painter);
        }
    }
    drawnBundle().insert(name, image);
    return image;
}

void CAControlImages::registerImage(const QString &name, const QImage &image)
{
    if (image.isNull())
        registered().remove(name);
    else
        registered().insert(name, image);
}
