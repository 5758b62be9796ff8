#pragma once

#include <QMargins>
#include <QRect>

class QMenu;
class QWidget;

// Where a window may stand: its whole frame, the title bar the window manager adds included,
// inside the available area of the screen, so that no part of it -- the title bar least of all --
// is out of the user's reach. Every window calls this where it is first shown.
class CAWindowPlacement
{
public:
    // The title bar assumed above a window whose decorations are not known yet.
    static constexpr int kTitleBar = 28;

    // The frame moved, and cut down where it is larger than the room, so that it lies inside the
    // room; a frame inside already stays as it is.
    static QRect frameInside(const QRect &frame, const QRect &room);
    // The available area of the window's screen (the primary screen's before it has one).
    static QRect availableArea(const QWidget *window);
    // The window's frame: its geometry with the decorations around it, or with kTitleBar above
    // it while they are not known.
    static QRect frameOf(const QWidget *window);
    // Moves the window, and shrinks it where it is larger than the room, so that its frame lies
    // inside room, or inside its screen's available area when room is empty. Answers the frame
    // the window has then; a window whose least size is larger than the room keeps its top left
    // corner (and so its title bar) inside.
    static QRect placeInside(QWidget *window, const QRect &room = QRect());
    // Centres the window's frame over another window (over the room when there is none), then
    // places it inside the room as placeInside does.
    static QRect placeCentred(QWidget *window, const QWidget *over = nullptr, const QRect &room = QRect());
    // A menu taller than the screen scrolls in one column, where it would otherwise spread into
    // columns running off the screen's side with their longest entries cut.
    static void keepMenuOnScreen(QMenu *menu);

private:
    static QMargins decorations(const QWidget *window);
};
