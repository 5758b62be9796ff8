#include "app/shell/CAFloatingPanels.h"

#include "kernel/base/CAEnvironment.h"

#include <QColorDialog>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

CAFloatingPanels::CAFloatingPanels(QObject *parent)
    : QObject(parent)
{
    // The colour panel applies a colour as it is picked, as a floating panel does: no buttons;
    // colours may be translucent.
    auto *colors = new QColorDialog();
    colors->setObjectName(QStringLiteral("colorPanel"));
    colors->setWindowTitle(tr("Colors"));
    colors->setOptions(QColorDialog::NoButtons | QColorDialog::DontUseNativeDialog | QColorDialog::ShowAlphaChannel);
    colors->setWindowFlag(Qt::Tool);
    colors->setModal(false);
    m_colorPanel = colors;
    install(ColorPanel, {[colors] { return colors->isVisible(); }, [colors] {
                             colors->show();
                             colors->raise();
                         },
                         [colors] { colors->hide(); }, [colors] { return colors; }});
}

CAFloatingPanels::~CAFloatingPanels()
{
    delete m_colorPanel.data();
}

QColorDialog *CAFloatingPanels::colorPanel() const
{
    return qobject_cast<QColorDialog *>(m_colorPanel.data());
}

void CAFloatingPanels::install(Panel panel, Hook hook)
{
    if (panel >= 0 && panel < PanelCount)
        m_hooks[panel] = std::move(hook);
}

bool CAFloatingPanels::isInstalled(Panel panel) const
{
    return panel >= 0 && panel < PanelCount && m_hooks[panel].show && m_hooks[panel].isVisible;
}

bool CAFloatingPanels::isPanelVisible(Panel panel) const
{
    return isInstalled(panel) && m_hooks[panel].isVisible();
}

void CAFloatingPanels::placeOnFirstShow(QWidget *panel)
{
    static const char *const placed = "pwPlaced";
    if (!panel || panel->property(placed).toBool() || panel->testAttribute(Qt::WA_Moved))
        return;
    panel->setProperty(placed, true);
    const QScreen *screen = panel->screen() ? panel->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // Room for a title bar the window manager adds above and between the panels.
    constexpr int kMargin = 16;
    constexpr int kTitle = 32;
    const QRect room = screen->availableGeometry();
    const QSize size = panel->testAttribute(Qt::WA_Resized) ? panel->size() : panel->sizeHint();
    int top = room.top() + kMargin + kTitle + m_columnBottom;
    if (m_columnBottom > 0 && top + size.height() > room.bottom()) {
        // No room left below: a new column left of this one, from the top.
        m_columnOffset += m_columnWidth + kMargin;
        m_columnWidth = 0;
        m_columnBottom = 0;
        top = room.top() + kMargin + kTitle;
    }
    const int left = std::max(room.left(), room.right() - kMargin - m_columnOffset - size.width());
    panel->move(left, top);
    m_columnBottom = top + size.height() - room.top();
    m_columnWidth = std::max(m_columnWidth, size.width());
}

void CAFloatingPanels::show(Panel panel)
{
    if (!isInstalled(panel))
        return;
    if (m_hooks[panel].window)
        placeOnFirstShow(m_hooks[panel].window());
    m_hooks[panel].show();
    Q_EMIT visibilityChanged(panel);
}

void CAFloatingPanels::close(Panel panel)
{
    if (!isInstalled(panel) || !m_hooks[panel].close)
        return;
    m_hooks[panel].close();
    Q_EMIT visibilityChanged(panel);
}

void CAFloatingPanels::toggle(Panel panel)
{
    if (isPanelVisible(panel))
        close(panel);
    else
        show(panel);
}

bool CAFloatingPanels::rememberedVisible(Panel panel)
{
    switch (panel) {
    case ColorPanel:
        return CAEnvironment::colorPanelVisible();
    case FontPanel:
        return CAEnvironment::fontPanelVisible();
    case AddressWindow:
        return CAEnvironment::addressWindowVisible();
    case DesignWindow:
        return CAEnvironment::designWindowVisible();
    case PropertiesWindow:
        return CAEnvironment::propertiesWindowVisible();
    case PanelCount:
        break;
    }
    return false;
}

void CAFloatingPanels::rememberVisible(Panel panel, bool visible)
{
    switch (panel) {
    case ColorPanel:
        CAEnvironment::setColorPanelVisible(visible);
        break;
    case FontPanel:
        CAEnvironment::setFontPanelVisible(visible);
        break;
    case AddressWindow:
        CAEnvironment::setAddressWindowVisible(visible);
        break;
    case DesignWindow:
        CAEnvironment::setDesignWindowVisible(visible);
        break;
    case PropertiesWindow:
        CAEnvironment::setPropertiesWindowVisible(visible);
        break;
    case PanelCount:
        break;
    }
}
