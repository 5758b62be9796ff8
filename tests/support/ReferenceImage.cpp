#include "ReferenceImage.h"

#include "TestSupport.h"
#include "kernel/render/CDDDrawer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPainter>

#include <cmath>
#include <cstdlib>

namespace drawtest {

namespace {

// Antialiased edges may land a shade apart between builds of the raster engine.
constexpr int kChannelTolerance = 24;

bool regenerating()
{
    return qEnvironmentVariableIntValue("PW_REGENERATE_REFERENCES") == 1;
}

} // namespace

QImage render(const QSizeF &designSize, double resolution, const std::function<void(CDDDrawer &)> &draw)
{
    const QSize pixels(static_cast<int>(std::ceil(designSize.width() * resolution)),
                       static_cast<int>(std::ceil(designSize.height() * resolution)));
    QImage image(pixels, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(resolution, resolution);
    CDDDrawer drawer(true, &painter);
    drawer.SetResolution(resolution);
    draw(drawer);
    painter.end();
    return image;
}

::testing::AssertionResult matchesReference(const QImage &actual, const QString &name)
{
    const QString referencePath = pwtest::dataPath(QStringLiteral("reference/%1.png").arg(name));
    const QImage image = actual.convertToFormat(QImage::Format_ARGB32);
    if (regenerating()) {
        QDir().mkpath(QFileInfo(referencePath).absolutePath());
        if (!image.save(referencePath, "PNG"))
            return ::testing::AssertionFailure() << "cannot write " << referencePath.toStdString();
        return ::testing::AssertionSuccess();
    }

    const QImage reference = QImage(referencePath).convertToFormat(QImage::Format_ARGB32);
    QString problem;
    if (reference.isNull()) {
        problem = QStringLiteral("no reference image %1 (run with PW_REGENERATE_REFERENCES=1)").arg(referencePath);
    } else if (reference.size() != image.size()) {
        problem = QStringLiteral("size %1x%2, reference %3x%4")
                      .arg(image.width())
                      .arg(image.height())
                      .arg(reference.width())
                      .arg(reference.height());
    } else {
        int differing = 0;
        QPoint first;
        for (int y = 0; y < image.height(); ++y) {
            const QRgb *a = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            const QRgb *b = reinterpret_cast<const QRgb *>(reference.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int d = std::max({ std::abs(qRed(a[x]) - qRed(b[x])), std::abs(qGreen(a[x]) - qGreen(b[x])),
                                         std::abs(qBlue(a[x]) - qBlue(b[x])), std::abs(qAlpha(a[x]) - qAlpha(b[x])) });
                if (d > kChannelTolerance) {
                    if (differing == 0)
                        first = QPoint(x, y);
                    ++differing;
                }
            }
        }
        if (differing > 0)
            problem = QStringLiteral("%1 pixels differ, the first at (%2, %3)").arg(differing).arg(first.x()).arg(first.y());
    }
    if (problem.isEmpty())
        return ::testing::AssertionSuccess();

    const QString failurePath =
        QCoreApplication::applicationDirPath() + QStringLiteral("/reference-failures/%1.png").arg(name);
    QDir().mkpath(QFileInfo(failurePath).absolutePath());
    image.save(failurePath, "PNG");
    return ::testing::AssertionFailure() << name.toStdString() << ": " << problem.toStdString()
                                         << "; actual image written to " << failurePath.toStdString();
}

bool isDark(const QImage &image, int x, int y)
{
    if (!image.valid(x, y))
        return false;
    const QRgb p = image.pixel(x, y);
    return qRed(p) < 100 && qGreen(p) < 100 && qBlue(p) < 100;
}

} // namespace drawtest
