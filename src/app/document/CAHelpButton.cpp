#include "app/document/CAHelpButton.h"

#include <QIcon>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QStyle>

namespace {

Q_LOGGING_CATEGORY(lcHelpButton, "pw.app.document")

CAHelpButton::PageOpener &pageOpener()
{
    static CAHelpButton::PageOpener opener;
    return opener;
}

} // namespace

void CAHelpButton::setPageOpener(PageOpener opener)
{
    pageOpener() = std::move(opener);
}

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
    if (pageOpener())
        pageOpener()(_pageName);
    else
        qCWarning(lcHelpButton) << "No help book to open" << _pageName << "in";
}
