#pragma once

#include <QMargins>
#include <QRect>
#include <QString>

#include <optional>

class QMenu;
class QWidget;

// Where a window may stand: its whole frame, the title bar the window manager adds included,
// inside the available area of the screen, so that no part of it -- the title bar least of all --
// is out of the user's reach. Every window calls this where it is first shown.
class CAWindowPlacement
{
public:
    // The title bar assumed above a window whose decorations are not known yet, and the whole
    // frame assumed round it: a border or handle below as well.
    static constexpr int kTitleBar = 28;
    static constexpr QMargins kAssumedFrame = QMargins(0, kTitleBar, 0, 6);

    // The frame moved, and cut down where it is larger than the room, so that it lies inside the
    // room; a frame inside already stays as it is.
    static QRect frameInside(const QRect &frame, const QRect &room);
    // The available area of the window's screen (the primary screen's before it has one).
    static QRect availableArea(const QWidget *window);
    // The window's frame: its geometry with the decorations around it, or with kAssumedFrame
    // round it while they are not known.
    static QRect frameOf(const QWidget *window);
    // What the window manager draws round a window it has not framed yet: the widest of the
    // decorations round the application's windows on the screen (a window without a resize
    // handle has a thinner border), or assumed while none is.
    static QMargins decorationsShown(const QMargins &assumed);
    // Moves the window, and shrinks it where it is larger than the room, so that its frame lies
    // inside room, or inside its screen's available area when room is empty. Answers the frame
    // the window has then; a window whose least size is larger than the room keeps its top left
    // corner (and so its title bar) inside.
    static QRect placeInside(QWidget *window, const QRect &room = QRect());
    // Centres the window's frame over another window (over the room when there is none), then
    // places it inside the room as placeInside does.
    static QRect placeCentred(QWidget *window, const QWidget *over = nullptr, const QRect &room = QRect());
    // A window's place as it is kept from one run to the next: x, y, width and height of the
    // window (the top left corner of its frame, the size of its contents), then of the screen's
    // available area, each followed by a blank.
    static QString frameText(const QRect &frame, const QRect &screen);
    static QString frameText(const QWidget *window);
    // The window's part of such a text; none for a text that is no place (damaged, hostile, empty).
    static std::optional<QRect> frameFromText(const QString &text);
    // Puts the window at the place the text keeps, no smaller than its contents need, moved and
    // cut down where its frame -- the window manager's decorations assumed round it -- would
    // leave the screen it was on (the main screen when that one is gone). False, and the window
    // as it was, for a text that is no place.
    static bool restoreFrame(QWidget *window, const QString &text, const QMargins &decorations);

    // A menu taller than the screen scrolls in one column, where it would otherwise spread into
    // columns running off the screen's side with their longest entries cut.
    static void keepMenuOnScreen(QMenu *menu);

private:
    static QMargins decorations(const QWidget *window);
};
