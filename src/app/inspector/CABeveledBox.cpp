#include "app/inspector/CABeveledBox.h"

#include "app/inspector/CAControlImages.h"

#include <QPainter>

CABeveledBox::CABeveledBox(QWidget *parent)
    : QFrame(parent)
{
    setFrameShape(QFrame::NoFrame);
    setContentsMargins(contentViewMargins());
}

void CABeveledBox::drawBevel(QPainter &painter, const QSize &size)
{
    const int W = size.width();
    const int H = size.height();
    const auto put = [&painter](const QString &name, const QRect &target, QSize *pieceSize = nullptr) {
        const QImage image = CAControlImages::image(name);
        if (pieceSize)
            *pieceSize = image.size();
        if (!image.isNull() && target.width() > 0 && target.height() > 0)
            painter.drawImage(target, image, image.rect());
    };
    const auto sizeOf = [](const QString &name) { return CAControlImages::image(name).size(); };
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setOpacity(1.0);
    // Our y runs down, so the top row of pictures lies at y = 0.
    const QSize leftTop = sizeOf(QStringLiteral("left_top"));
    put(QStringLiteral("left_top"), QRect(QPoint(0, 0), leftTop));
    const QSize top = sizeOf(QStringLiteral("top"));
    put(QStringLiteral("top"), QRect(top.width(), 0, W - 2 * top.width(), top.height()));
    const QSize rightTop = sizeOf(QStringLiteral("right_top"));
    put(QStringLiteral("right_top"), QRect(QPoint(W - rightTop.width(), 0), rightTop));
    const QSize leftBottom = sizeOf(QStringLiteral("left_bottom"));
    put(QStringLiteral("left_bottom"), QRect(QPoint(0, H - leftBottom.height()), leftBottom));
    const QSize bottom = sizeOf(QStringLiteral("bottom"));
    put(QStringLiteral("bottom"), QRect(bottom.width(), H - bottom.height(), W - 2 * bottom.width(), bottom.height()));
    const QSize rightBottom = sizeOf(QStringLiteral("right_bottom"));
    put(QStringLiteral("right_bottom"), QRect(QPoint(W - rightBottom.width(), H - rightBottom.height()), rightBottom));
    const QSize left = sizeOf(QStringLiteral("left"));
    put(QStringLiteral("left"), QRect(0, left.height(), left.width(), H - 2 * left.height()));
    const QSize right = sizeOf(QStringLiteral("right"));
    put(QStringLiteral("right"), QRect(W - right.width(), right.height(), right.width(), H - 2 * right.height()));
    const QRect inside(right.width(), right.height(), W - 2 * right.width(), H - 2 * right.height());
    if (inside.width() > 0 && inside.height() > 0)
        painter.fillRect(inside, QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.34f));
}

void CABeveledBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawBevel(painter, size());
}
