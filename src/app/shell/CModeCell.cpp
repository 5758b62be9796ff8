#include "app/shell/CModeCell.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

namespace {

QString imagePath(const QString &name)
{
    return QStringLiteral(":/bundle/ModeCell/%1.svg").arg(name);
}

} // namespace

CModeCell::CModeCell(QWidget *parent)
    : QToolButton(parent)
{
    setCheckable(true);
    setFocusPolicy(Qt::NoFocus);
}

QString CModeCell::getFileName(int tag, bool highlighted, bool on)
{
    const int position = tag / 10;
    const QString word = position == 1 ? QStringLiteral("left")
                         : position == 3 ? QStringLiteral("right")
                                         : QStringLiteral("mid");
    const QString suffix = on ? (highlighted ? QStringLiteral("_s2b_mouse") : QStringLiteral("_s2b"))
                              : (highlighted ? QStringLiteral("_mouse") : QStringLiteral("_normal"));
    return word + suffix;
}

QRectF CModeCell::iconRect(const QRectF &frame, const QSizeF &iconSize)
{
    const double x = std::trunc(frame.x() + (frame.width() - iconSize.width()) / 2) + 0.5;
    const double y = frame.y() + std::trunc((frame.height() - iconSize.height()) / 2);
    return QRectF(QPointF(x, y), iconSize);
}

void CModeCell::setTag(int tag)
{
    m_tag = tag;
    update();
}

void CModeCell::setIconName(const QString &name)
{
    m_iconName = name;
    update();
}

QSize CModeCell::sizeHint() const
{
    return QSize(32, 24);
}

void CModeCell::paintEvent(QPaintEvent *)
{
    const QString background = imagePath(getFileName(m_tag, isDown(), isChecked()));
    // A state without its picture stays blank, icon and all.
    if (!QFile::exists(background))
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(rect());
    QSvgRenderer(background).render(&painter, frame);
    QSvgRenderer icon(imagePath(m_iconName));
    if (icon.isValid()) {
        const QSizeF size = icon.defaultSize();
        icon.render(&painter, iconRect(frame, size).translated(-0.5, 0).toAlignedRect());
    }
}
