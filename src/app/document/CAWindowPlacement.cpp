#include "app/document/CAWindowPlacement.h"

#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleFactory>
#include <QWidget>

#include <algorithm>

QRect CAWindowPlacement::frameInside(const QRect &frame, const QRect &room)
{
    if (room.isEmpty())
        return frame;
    const int width = std::min(frame.width(), room.width());
    const int height = std::min(frame.height(), room.height());
    const int x = std::clamp(frame.left(), room.left(), room.right() + 1 - width);
    const int y = std::clamp(frame.top(), room.top(), room.bottom() + 1 - height);
    return QRect(x, y, width, height);
}

QRect CAWindowPlacement::availableArea(const QWidget *window)
{
    const QScreen *screen = window ? window->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

namespace {

// The decorations round a window on the screen, as the window system reports them; none while
// it reports none.
std::optional<QMargins> measuredDecorations(const QWidget *window)
{
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    if (window->isVisible() && outer != inner && outer.contains(inner))
        return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                        outer.bottom() - inner.bottom());
    return std::nullopt;
}

} // namespace

QMargins CAWindowPlacement::decorations(const QWidget *window)
{
    return measuredDecorations(window).value_or(kAssumedFrame);
}

QMargins CAWindowPlacement::decorationsShown(const QMargins &assumed)
{
    std::optional<QMargins> widest;
    for (const QWidget *window : QApplication::topLevelWidgets()) {
        const std::optional<QMargins> margins = measuredDecorations(window);
        if (!margins)
            continue;
        widest = !widest ? *margins
                         : QMargins(std::max(widest->left(), margins->left()), std::max(widest->top(), margins->top()),
                                    std::max(widest->right(), margins->right()),
                                    std::max(widest->bottom(), margins->bottom()));
    }
    return widest.value_or(assumed);
}

QRect CAWindowPlacement::frameOf(const QWidget *window)
{
    return window ? window->geometry().marginsAdded(decorations(window)) : QRect();
}

namespace {

class ScrollingMenuStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *answer) const override
    {
        if (hint == QStyle::SH_Menu_Scrollable)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, answer);
    }
};

void sizeAsShown(QWidget *window)
{
    if (!window->isVisible() && !window->testAttribute(Qt::WA_Resized)) {
        // Measured as showing it would size it.
        window->ensurePolished();
        window->adjustSize();
    }
}

} // namespace

QRect CAWindowPlacement::placeCentred(QWidget *window, const QWidget *over, const QRect &room)
{
    if (!window)
        return QRect();
    const QRect area = room.isEmpty() ? availableArea(over ? over : window) : room;
    sizeAsShown(window);
    const QMargins margins = decorations(window);
    QRect frame = window->geometry().marginsAdded(margins);
    frame.moveCenter(over ? frameOf(over->window()).center() : area.center());
    window->setGeometry(frame.marginsRemoved(margins));
    return placeInside(window, area);
}

QRect CAWindowPlacement::placeInside(QWidget *window, const QRect &room)
{
    if (!window)
        return QRect();
    const QRect area = room.isEmpty() ? availableArea(window) : room;
    sizeAsShown(window);
    const QMargins margins = decorations(window);
    const QRect before = window->geometry().marginsAdded(margins);
    const QRect wanted = frameInside(before, area);
    QRect inner = wanted.marginsRemoved(margins);
    // Never below the least size the window's contents need: such a window keeps its title bar
    // on the screen and overhangs to the right and below, where the screen's edge lets it be
    // moved back.
    inner.setSize(inner.size().expandedTo(window->minimumSize()).boundedTo(window->size()));
    // The geometry, not move(): a move places the frame where the decorations are known and the
    // contents where they are not, while the geometry is the contents' wherever the window stands.
    if (inner != window->geometry())
        window->setGeometry(inner);
    return window->geometry().marginsAdded(margins);
}

QString CAWindowPlacement::frameText(const QRect &frame, const QRect &screen)
{
    QString text;
    for (const int value : {frame.x(), frame.y(), frame.width(), frame.height(), screen.x(), screen.y(), screen.width(),
                            screen.height()})
        text += QString::number(value) + u' ';
    return text;
}

QString CAWindowPlacement::frameText(const QWidget *window)
{
    return window ? frameText(QRect(window->pos(), window->size()), availableArea(window)) : QString();
}

std::optional<QRect> CAWindowPlacement::frameFromText(const QString &text)
{
    const QStringList parts = text.split(u' ', Qt::SkipEmptyParts);
    if (parts.size() != 8)
        return std::nullopt;
    int values[4] = {};
    for (int i = 0; i < 8; ++i) {
        bool ok = false;
        const int value = parts.at(i).toInt(&ok);
        // Far beyond any screen: a damaged or hostile setting, not a place.
        if (!ok || value < -100000 || value > 100000)
            return std::nullopt;
        if (i < 4)
            values[i] = value;
    }
    if (values[2] <= 0 || values[3] <= 0)
        return std::nullopt;
    return QRect(values[0], values[1], values[2], values[3]);
}

bool CAWindowPlacement::restoreFrame(QWidget *window, const QString &text, const QMargins &decorations)
{
    const std::optional<QRect> kept = window ? frameFromText(text) : std::nullopt;
    if (!kept)
        return false;
    const QScreen *screen = QGuiApplication::screenAt(kept->center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    window->ensurePolished();
    const QSize least = window->minimumSizeHint().expandedTo(window->minimumSize());
    const QSize around(decorations.left() + decorations.right(), decorations.top() + decorations.bottom());
    QRect frame(kept->topLeft(), kept->size().expandedTo(least) + around);
    if (screen)
        frame = frameInside(frame, screen->availableGeometry());
    // The position is the frame's: the window manager puts the decorations it draws inside it.
    window->resize((frame.size() - around).expandedTo(least));
    window->move(frame.topLeft());
    return true;
}

void CAWindowPlacement::keepMenuOnScreen(QMenu *menu)
{
    if (!menu)
        return;
    // One style for every such menu, living as long as the application, over the style the
    // application draws with.
    static QPointer<QStyle> scrolling;
    if (!scrolling) {
        scrolling = new ScrollingMenuStyle(QStyleFactory::create(QApplication::style()->name()));
        scrolling->setParent(qApp);
    }
    menu->setStyle(scrolling);
}
