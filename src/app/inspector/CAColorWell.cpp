#include "app/inspector/CAColorWell.h"

#include <QColorDialog>
#include <QEvent>
#include <QPainter>
#include <QStyleOptionToolButton>

namespace {

QPointer<QColorDialog> s_panel;
QPointer<QColorDialog> s_sharedPanel;
QPointer<CAColorWell> s_activeWell;

void deactivateWellWhenClosed(QColorDialog *panel)
{
    QObject::connect(panel, &QDialog::finished, panel, [] {
        if (s_activeWell)
            s_activeWell->deactivate();
    });
}

} // namespace

void CAColorWell::setSharedColorPanel(QColorDialog *panel)
{
    if (s_sharedPanel == panel)
        return;
    if (s_activeWell)
        s_activeWell->deactivate();
    s_sharedPanel = panel;
    if (panel)
        deactivateWellWhenClosed(panel);
}

CAColorWell::CAColorWell(QWidget *parent)
    : QToolButton(parent)
{
    setCheckable(false);
    setMinimumSize(44, 22);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QToolButton::clicked, this, [this] {
        if (isActive())
            deactivate();
        else
            activate();
    });
}

CAColorWell::~CAColorWell()
{
    deactivate();
}

QColorDialog *CAColorWell::colorPanel()
{
    // One colour panel in the application: a second one beside it would leave the user two
    // panels that set different things.
    if (s_sharedPanel)
        return s_sharedPanel;
    if (!s_panel) {
        s_panel = new QColorDialog();
        s_panel->setObjectName(QStringLiteral("inspectorColorPanel"));
        s_panel->setOption(QColorDialog::ShowAlphaChannel, true);
        s_panel->setOption(QColorDialog::NoButtons, true);
        s_panel->setAttribute(Qt::WA_DeleteOnClose, false);
        deactivateWellWhenClosed(s_panel);
    }
    return s_panel;
}

void CAColorWell::setColor(const QColor &color)
{
    if (m_color == color)
        return;
    m_color = color;
    update();
}

bool CAColorWell::isActive() const
{
    return s_activeWell == this;
}

void CAColorWell::activate()
{
    if (!isEnabled() || isActive())
        return;
    if (s_activeWell)
        s_activeWell->deactivate();
    s_activeWell = this;
    QColorDialog *panel = colorPanel();
    {
        const QSignalBlocker quiet(panel);
        panel->setCurrentColor(m_color);
    }
    m_panelConnection = connect(panel, &QColorDialog::currentColorChanged, this, [this](const QColor &chosen) {
        m_color = chosen;
        update();
        Q_EMIT colorChosen(chosen);
    });
    panel->show();
    panel->raise();
    update();
}

void CAColorWell::deactivate()
{
    if (s_activeWell == this)
        s_activeWell = nullptr;
    if (m_panelConnection) {
        disconnect(m_panelConnection);
        m_panelConnection = {};
    }
    update();
}

void CAColorWell::changeEvent(QEvent *event)
{
    QToolButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        deactivate();
}

void CAColorWell::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    if (isActive())
        option.state |= QStyle::State_On | QStyle::State_Sunken;
    style()->drawComplexControl(QStyle::CC_ToolButton, &option, &painter, this);
    const QRect swatch = rect().adjusted(5, 5, -5, -5);
    // A checkerboard under the colour, so that a translucent or clear colour reads as such.
    painter.fillRect(swatch, Qt::white);
    for (int y = swatch.top(); y < swatch.bottom(); y += 4) {
        for (int x = swatch.left() + ((y - swatch.top()) / 4 % 2) * 4; x < swatch.right(); x += 8)
            painter.fillRect(QRect(x, y, 4, 4).intersected(swatch), QColor(0xcc, 0xcc, 0xcc));
    }
    QColor shown = m_color;
    if (!isEnabled())
        shown.setAlphaF(shown.alphaF() * 0.4f);
    painter.fillRect(swatch, shown);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
}
