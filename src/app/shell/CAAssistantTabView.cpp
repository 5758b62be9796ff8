#include "app/shell/CAAssistantTabView.h"

#include <QHash>
#include <QPainter>
#include <QSvgRenderer>
#include <QTabBar>

CAAssistantTabView::CAAssistantTabView(QWidget *parent)
    : QTabWidget(parent)
    , m_images(&CAAssistantTabView::bundleImage)
{
    tabBar()->hide();
    setDocumentMode(true);
}

QImage CAAssistantTabView::bundleImage(const QString &name)
{
    // Read once: the frame is drawn on every paint.
    static QHash<QString, QImage> drawn;
    const auto found = drawn.constFind(name);
    if (found != drawn.constEnd())
        return *found;
    QSvgRenderer renderer(QStringLiteral(":/bundle/Images/%1.svg").arg(name));
    QImage image;
    if (renderer.isValid()) {
        image = QImage(renderer.defaultSize(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
    }
    drawn.insert(name, image);
    return image;
}

void CAAssistantTabView::drawFrame(QPainter &painter, const QSize &size, const ImageSource &images)
{
    const int W = size.width();
    const int H = size.height();
    const auto put = [&painter](const QImage &image, const QRect &target) {
        if (!image.isNull() && target.width() > 0 && target.height() > 0)
            painter.drawImage(target, image, image.rect());
    };
    // Positions measured from the top, the same as from the bottom with the frame's symmetry.
    const QImage topLeft = images(QStringLiteral("w_top_left"));
    put(topLeft, QRect(QPoint(0, 0), topLeft.size()));
    const QImage top = images(QStringLiteral("w_top"));
    put(top, QRect(top.width(), 0, W - 2 * top.width(), top.height()));
    const QImage topRight = images(QStringLiteral("w_top_right"));
    put(topRight, QRect(QPoint(W - topRight.width(), 0), topRight.size()));
    const QImage bottomLeft = images(QStringLiteral("w_bottom_left"));
    put(bottomLeft, QRect(QPoint(0, H - bottomLeft.height()), bottomLeft.size()));
    const QImage bottom = images(QStringLiteral("w_bottom"));
    put(bottom, QRect(bottom.width(), H - bottom.height(), W - 2 * bottom.width(), bottom.height()));
    const QImage bottomRight = images(QStringLiteral("w_bottom_right"));
    put(bottomRight, QRect(QPoint(W - bottomRight.width(), H - bottomRight.height()), bottomRight.size()));
    const QImage left = images(QStringLiteral("w_left"));
    put(left, QRect(0, left.height(), left.width(), H - 2 * left.height()));
    const QImage right = images(QStringLiteral("w_right"));
    put(right, QRect(W - right.width(), right.height(), right.width(), H - 2 * right.height()));
    const QRect inside(right.width(), right.height(), W - 2 * right.width(), H - 2 * right.height());
    if (inside.isValid())
        painter.fillRect(inside, QColor::fromRgbF(0.847f, 0.847f, 0.847f, 1.0f));
}

QString CAAssistantTabView::identifierAt(int index) const
{
    const QWidget *page = widget(index);
    return page ? page->property("identifier").toString() : QString();
}

int CAAssistantTabView::indexOfIdentifier(const QString &identifier) const
{
    for (int i = 0; i < count(); ++i)
        if (identifierAt(i) == identifier)
            return i;
    return -1;
}

void CAAssistantTabView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawFrame(painter, size(), m_images);
}
