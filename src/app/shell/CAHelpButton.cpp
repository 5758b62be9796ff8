#include "app/shell/CAHelpButton.h"

#include "app/shell/CAHelpWindow.h"

#include <QIcon>
#include <QMouseEvent>
#include <QStyle>

CAHelpButton::CAHelpButton(QWidget *parent)
    : QToolButton(parent)
{
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setIcon(QIcon::fromTheme(QStringLiteral("help-contextual"),
                             style()->standardIcon(QStyle::SP_TitleBarContextHelpButton)));
    setToolTip(tr("Help"));
    setAutoRaise(false);
    // A release inside the button is a click; keyboard presses arrive the same way.
    connect(this, &QToolButton::clicked, this, &CAHelpButton::openPage);
}

void CAHelpButton::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton && hitButton(event->position().toPoint());
    QToolButton::mousePressEvent(event);
}

void CAHelpButton::mouseReleaseEvent(QMouseEvent *event)
{
    const bool outside = !hitButton(event->position().toPoint());
    const bool wasPressed = m_pressed && event->button() == Qt::LeftButton;
    if (event->button() == Qt::LeftButton)
        m_pressed = false;
    QToolButton::mouseReleaseEvent(event);
    // Released away from the button there is no click, and yet the press asked for help.
    if (wasPressed && outside)
        openPage();
}

void CAHelpButton::openPage()
{
    GoToMyHelpAnchor(_pageName);
}
