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

QMargins CAWindowPlacement::decorations(const QWidget *window)
{
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    if (window->isVisible() && outer != inner && outer.contains(inner))
        return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                        outer.bottom() - inner.bottom());
    return QMargins(0, kTitleBar, 0, 0);
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
