#include "app/inspector/CAToolbarButton.h"

#include "app/inspector/CAControlImages.h"

#include <QIcon>
#include <QPixmap>

CAToolbarButton::CAToolbarButton(QWidget *parent)
    : QToolButton(parent)
{
    setAutoRaise(true);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    connect(this, &QToolButton::toggled, this, &CAToolbarButton::refreshIcon);
}

void CAToolbarButton::setImageName(const QString &name)
{
    m_baseName = name;
    m_image = name;
    refreshIcon();
}

void CAToolbarButton::setAlternateImageName(const QString &name)
{
    m_alternate = name;
    refreshIcon();
}

QString CAToolbarButton::shownImageName() const
{
    return showsAlternate() ? m_alternate : m_image;
}

void CAToolbarButton::setFace(const QString &name)
{
    if (showsAlternate())
        m_alternate = name;
    else
        m_image = name;
    refreshIcon();
}

void CAToolbarButton::enterEvent(QEnterEvent *event)
{
    const QString hover = m_baseName + QStringLiteral("_hi");
    if (!m_baseName.isEmpty() && CAControlImages::exists(hover))
        setFace(hover);
    QToolButton::enterEvent(event);
}

void CAToolbarButton::leaveEvent(QEvent *event)
{
    const QString name = showsAlternate() ? m_baseName + QStringLiteral("_2") : m_baseName;
    if (!m_baseName.isEmpty() && CAControlImages::exists(name))
        setFace(name);
    QToolButton::leaveEvent(event);
}

void CAToolbarButton::refreshIcon()
{
    const QImage image = CAControlImages::image(shownImageName());
    if (image.isNull())
        return;
    setIcon(QIcon(QPixmap::fromImage(image)));
    setIconSize(image.size());
}
