#include "app/pictures/CCSearchFieldCell.h"

#include "app/pictures/CCPictImageResolver.h"
#include "app/pictures/CCSearchField.h"
#include "platform/PWBundle.h"

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

#include <algorithm>

CCSearchFieldCell::CCSearchFieldCell(CCSearchField *textField)
    : QObject(nullptr)
    , m_parentTextField(nullptr)
    , m_menu(std::make_unique<QMenu>())
{
    QAction *collection = m_menu->addAction(PWLocalizedString(QStringLiteral("Collection")));
    QAction *internet = m_menu->addAction(PWLocalizedString(QStringLiteral("Internet")));
    collection->setCheckable(true);
    internet->setCheckable(true);
    connect(collection, &QAction::triggered, this, [this, collection] { switchToCollection(collection); });
    connect(internet, &QAction::triggered, this, [this, internet] { switchToInternet(internet); });
    switchToCollection(collection);
    m_drawProgress = true;
    // Known only now: the field is still making this cell and cannot be told of the first mode.
    m_parentTextField = textField;
}

CCSearchFieldCell::~CCSearchFieldCell() = default;

void CCSearchFieldCell::switchTo(QAction *item, Mode mode)
{
    if (item)
        m_emptyString = item->text();
    for (QAction *action : m_menu->actions())
        action->setChecked(action == item);
    m_mode = mode;
    if (m_parentTextField)
        m_parentTextField->cellChanged();
}

void CCSearchFieldCell::switchToCollection(QAction *item)
{
    switchTo(item, Mode::Collection);
}

void CCSearchFieldCell::switchToInternet(QAction *item)
{
    switchTo(item, Mode::Internet);
}

QAction *CCSearchFieldCell::menuItemWithTitle(const QString &title) const
{
    for (QAction *action : m_menu->actions()) {
        if (action->text() == title)
            return action;
    }
    return nullptr;
}

void CCSearchFieldCell::setSimpleMode()
{
    m_simpleMode = true;
    m_menu->clear();
    m_emptyString.clear();
    m_leftImageName = QStringLiteral("search_white_left_simple");
    if (m_parentTextField)
        m_parentTextField->cellChanged();
}

QRectF CCSearchFieldCell::textRectForFrame(const QRectF &frame) const
{
    const double width = m_value <= m_minValue ? frame.width() - 31.0 : frame.width() - 43.0;
    return QRectF(frame.x() + kEndWidth, frame.y() + 3.0, std::max(0.0, width), frame.height());
}

CCSearchFieldCell::ProgressPieces CCSearchFieldCell::progressPieces(double width) const
{
    ProgressPieces pieces;
    const double span = m_maxValue - m_minValue;
    if (!(span > 0))
        return pieces;
    const double p = std::clamp((m_value - m_minValue) / span, 0.0, 1.0);
    const double L = width * p;
    if (L <= 0)
        return pieces;
    pieces.left = QRectF(0, 0, std::min(L, kEndWidth), kBarHeight);
    if (L > kEndWidth)
        pieces.middle = QRectF(kEndWidth, 0, std::min(L - kEndWidth, width - 2 * kEndWidth), kBarHeight);
    if (L - kEndWidth > width - 2 * kEndWidth)
        pieces.right = QRectF(width - kEndWidth, 0, L - (width - kEndWidth), kBarHeight);
    return pieces;
}

QString CCSearchFieldCell::rightImageName(bool coloured) const
{
    const QString prefix = coloured ? QStringLiteral("search_color_") : QStringLiteral("search_white_");
    if (m_value > 0)
        return prefix + (m_clearButtonPressed ? QStringLiteral("pr_del") : QStringLiteral("unpr_del"));
    return prefix + QStringLiteral("right");
}

QImage CCSearchFieldCell::barImage(const QString &name)
{
    return CCPictImageResolver::bundleImage(name);
}

void CCSearchFieldCell::drawInterior(QPainter &painter, double W, bool editing) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (editing && m_drawsFocusRing) {
        QPainterPath ring;
        ring.moveTo(12, 0);
        ring.lineTo(W - 12, 0);
        ring.cubicTo(W + 4, 0.5, W + 4, 20.5, W - 12, 21);
        ring.lineTo(12, 21);
        ring.cubicTo(-4, 20.5, -4, 0.5, 12, 0);
        const QColor focus = m_parentTextField ? m_parentTextField->palette().color(QPalette::Highlight)
                                               : QColor(0x3f, 0x8e, 0xe8);
        painter.setPen(QPen(focus, 3.0));
        painter.drawPath(ring);
    }

    const double middleWidth = std::max(0.0, W - 2 * kEndWidth);
    painter.drawImage(QRectF(0, 0, kEndWidth, kBarHeight), barImage(m_leftImageName));
    painter.drawImage(QRectF(kEndWidth, 0, middleWidth, kBarHeight), barImage(QStringLiteral("search_white_middle")),
                      QRectF(0, 0, kMiddleSourceWidth, kBarHeight));
    painter.drawImage(QRectF(W - kEndWidth, 0, kEndWidth, kBarHeight), barImage(rightImageName(false)));

    if (m_drawProgress) {
        const ProgressPieces pieces = progressPieces(W);
        if (!pieces.left.isEmpty())
            painter.drawImage(pieces.left, barImage(QStringLiteral("search_color_left")),
                              QRectF(0, 0, pieces.left.width(), kBarHeight));
        if (!pieces.middle.isEmpty())
            painter.drawImage(pieces.middle, barImage(QStringLiteral("search_color_middle")),
                              QRectF(0, 0, kMiddleSourceWidth, kBarHeight));
        if (!pieces.right.isEmpty())
            painter.drawImage(pieces.right, barImage(rightImageName(true)),
                              QRectF(0, 0, pieces.right.width(), kBarHeight));
    }
    painter.restore();
}
