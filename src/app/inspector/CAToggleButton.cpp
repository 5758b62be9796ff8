#include "app/inspector/CAToggleButton.h"

#include "app/inspector/CAControlImages.h"

#include <QApplication>
#include <QPainter>

CAToggleButton::CAToggleButton(QWidget *parent)
    : CAToggleButton(QString(), parent)
{
}

CAToggleButton::CAToggleButton(const QString &title, QWidget *parent)
    : QAbstractButton(parent)
{
    setCheckable(true);
    setText(title);
    QFont small = QApplication::font();
    small.setPointSizeF(qMax(6.0, small.pointSizeF() - 2.0));
    setFont(small);
}

QString CAToggleButton::currentImageName() const
{
    if (isDown())
        return QStringLiteral("button_2");
    return isChecked() ? QStringLiteral("button_3") : QStringLiteral("button_1");
}

QSize CAToggleButton::sizeHint() const
{
    const QSize face = CAControlImages::image(QStringLiteral("button_1")).size();
    const int textWidth = fontMetrics().horizontalAdvance(text()) + 16;
    return QSize(qMax(face.width(), textWidth), qMax(face.height(), fontMetrics().height() + 4));
}

void CAToggleButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QImage face = CAControlImages::image(currentImageName());
    if (!face.isNull())
        painter.drawImage(rect(), face, face.rect());
    if (!text().isEmpty()) {
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
        painter.drawText(rect(), Qt::AlignCenter, text());
    }
}
