#include "app/inspector/CAAutoToggleButton.h"

#include "app/inspector/CAControlImages.h"
#include "platform/PWBundle.h"

#include <QCheckBox>
#include <QEvent>
#include <QPixmap>
#include <QToolButton>

namespace {
constexpr int kCellWidth = 25;
constexpr int kCellHeight = 20;
constexpr int kSpacing = -4;
} // namespace

CAAutoToggleButton::CAAutoToggleButton(QWidget *parent)
    : QWidget(parent)
    , m_autoBtn(new QToolButton(this))
    , m_radioBtn(new QCheckBox(this))
{
    m_autoBtn->setObjectName(QStringLiteral("_autoBtn"));
    m_autoBtn->setCheckable(true);
    m_autoBtn->setAutoRaise(true);
    m_autoBtn->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_autoBtn->setToolTip(PWLocalizedString(QStringLiteral("Auto")));
    m_autoBtn->setGeometry(0, 0, kCellWidth, kCellHeight);
    m_radioBtn->setObjectName(QStringLiteral("_radioBtn"));
    m_radioBtn->setGeometry(kCellWidth + kSpacing, 0, kCellWidth, kCellHeight);
    // The check box lies over the toggle's last points, so it is raised above it.
    m_radioBtn->raise();
    connect(m_autoBtn, &QToolButton::clicked, this, [this] { onClick(1); });
    connect(m_radioBtn, &QCheckBox::clicked, this, [this] { onClick(2); });
    setFixedSize(sizeHint());
    showAutoImage();
}

QSize CAAutoToggleButton::sizeHint() const
{
    return QSize(2 * kCellWidth + kSpacing, kCellHeight);
}

void CAAutoToggleButton::setState(int state)
{
    if (state != -1 && state != 0 && state != 1)
        return;
    m_isAutoMode = state == -1;
    if (!m_isAutoMode)
        m_radioBtn->setChecked(state == 1);
    m_radioBtn->setEnabled(!m_isAutoMode && isEnabled());
    showAutoImage();
}

int CAAutoToggleButton::state() const
{
    if (m_isAutoMode)
        return -1;
    return m_radioBtn->isChecked() ? 1 : 0;
}

void CAAutoToggleButton::setCheck(bool on)
{
    m_radioBtn->setChecked(on);
}

void CAAutoToggleButton::changeEvent(QEvent *event)
{
    // Disabling the control disables both parts; enabling it again leaves the check box
    // disabled while automatic.
    if (event->type() == QEvent::EnabledChange)
        m_radioBtn->setEnabled(isEnabled() && !m_isAutoMode);
    QWidget::changeEvent(event);
}

void CAAutoToggleButton::onClick(int tag)
{
    if (tag == 1) {
        m_isAutoMode = !m_isAutoMode;
        m_radioBtn->setEnabled(!m_isAutoMode);
    }
    showAutoImage();
    Q_EMIT clicked();
}

void CAAutoToggleButton::showAutoImage()
{
    m_autoBtn->setChecked(m_isAutoMode);
    const QImage image = CAControlImages::image(m_isAutoMode ? QStringLiteral("Auto_chek_2") : QStringLiteral("Auto_chek_1"));
    m_autoBtn->setIcon(QPixmap::fromImage(image));
    m_autoBtn->setIconSize(image.size());
}
