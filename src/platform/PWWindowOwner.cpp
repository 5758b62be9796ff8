#include "platform/PWWindowOwner.h"

#include <QGuiApplication>
#include <QPointer>
#include <QVariant>
#include <QWindow>

#ifdef PW_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace {

const char *const kOwner = "pwWindowOwner";

#ifdef PW_HAVE_XCB
// The window manager reads the owner from the window's WM_TRANSIENT_FOR property.
void tellWindowManager(QWindow *window, QWindow *owner)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !window->handle())
        return;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    const auto shown = xcb_window_t(window->winId());
    if (owner && owner->handle()) {
        const auto standsOn = xcb_window_t(owner->winId());
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, shown, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 32,
                            1, &standsOn);
    } else {
        xcb_delete_property(connection, shown, XCB_ATOM_WM_TRANSIENT_FOR);
    }
    xcb_flush(connection);
}
#endif

} // namespace

namespace PWWindowOwner {

void setOwner(QWindow *window, QWindow *owner)
{
    if (!window || window == owner)
        return;
    window->setProperty(kOwner, QVariant::fromValue(QPointer<QWindow>(owner)));
#ifdef PW_HAVE_XCB
    if (window->isVisible())
        tellWindowManager(window, owner);
#endif
}

QWindow *owner(const QWindow *window)
{
    return window ? window->property(kOwner).value<QPointer<QWindow>>().data() : nullptr;
}

} // namespace PWWindowOwner
