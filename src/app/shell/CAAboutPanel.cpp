#include "app/shell/CAAboutPanel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

CAAboutPanel::CAAboutPanel(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setModal(true);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::Base, Qt::white);
    setPalette(white);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

CAAboutPanel::~CAAboutPanel()
{
    if (m_filtering)
        qApp->removeEventFilter(this);
}

void CAAboutPanel::setContentView(QWidget *view)
{
    if (m_contentView == view)
        return;
    delete m_contentView;
    m_contentView = view;
    if (!view)
        return;
    view->setParent(this);
    layout()->addWidget(view);
    resize(view->size());
}

// Events for child widgets never pass through the panel itself, so the panel watches the whole
// application while it is on screen and picks out what happens inside it.
void CAAboutPanel::showEvent(QShowEvent *event)
{
    if (!m_filtering) {
        qApp->installEventFilter(this);
        m_filtering = true;
    }
    QDialog::showEvent(event);
}

void CAAboutPanel::hideEvent(QHideEvent *event)
{
    if (m_filtering) {
        qApp->removeEventFilter(this);
        m_filtering = false;
    }
    QDialog::hideEvent(event);
}

bool CAAboutPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched->isWidgetType() && static_cast<QWidget *>(watched)->window() == this)
        return sendToDelegate(event);
    return QDialog::eventFilter(watched, event);
}

bool CAAboutPanel::sendToDelegate(QEvent *event)
{
    if (!m_delegate)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        return m_delegate->handlesKeyDown(static_cast<QKeyEvent *>(event), this);
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton || mouse->button() == Qt::RightButton)
            return m_delegate->handlesMouseDown(mouse, this);
        return false;
    }
    default:
        return false;
    }
}

// Borderless and white, the panel would melt into a white page behind it where no window
// manager draws its shadow; a hairline keeps its edge.
void CAAboutPanel::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QColor(0, 0, 0, 64));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void CAAboutPanel::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_delegate)
        m_delegate->windowDidBecomeKey(this);
}
