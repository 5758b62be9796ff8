#pragma once

class QWindow;

// Which window another one stands on for the window manager. A floating panel or the settings
// window belongs to the document window in front, so that the window manager itself keeps it
// above that window: a click on the document never covers it. Only the window manager is told;
// the toolkit's own parents, and so which windows a modal box holds, stay as they were.
namespace PWWindowOwner {

// Makes owner the window that window stands above (null: none), at once when window is shown
// already, else when it is shown (call it again after the show: the toolkit tells the window
// manager its own choice as it maps a window).
void setOwner(QWindow *window, QWindow *owner);
// The window set last for window; null for none.
QWindow *owner(const QWindow *window);

} // namespace PWWindowOwner
