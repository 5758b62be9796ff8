#include "app/shell/CAMainMenu.h"

#include "app/shell/CAActionRouter.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>

namespace {

const QString kOpenRecentPath = QStringLiteral("File/Open Recent");
const QString kWindowPath = QStringLiteral("Window");
// The Window menu's own items end here; the list of open windows follows.
const QString kWindowListMarker = QStringLiteral("pwWindowList");

} // namespace

CAMainMenu::CAMainMenu(CAActionRouter &router, QObject *parent)
    : QObject(parent)
    , m_router(router)
{
    for (const Item &item : table()) {
        QMenu *menu = menuForPath(item.menu);
        if (item.title.isEmpty()) {
            menu->addSeparator();
            continue;
        }
        if (item.action.isEmpty()) {
            // A submenu: made here so that it keeps its place among the items.
            QMenu *submenu = menuForPath(item.menu + QLatin1Char('/') + item.title);
            submenu->menuAction()->setData(item.tag);
            continue;
        }
        QAction *action = menu->addAction(item.title);
        action->setData(item.tag);
        if (!item.shortcut.isEmpty()) {
            const QKeySequence sequence(item.shortcut);
            action->setShortcut(sequence);
            if (!sequence.isEmpty())
                m_shortcutKeys.append(sequence[0]);
        }
        // Quit answers its key in every window of the application, the panels and the windows
        // of no document too, not only in the document windows whose menu bar carries it.
        if (item.action == QLatin1String("terminate"))
            action->setShortcutContext(Qt::ApplicationShortcut);
        m_router.connectAction(action, item.action);
    }
    if (QMenu *window = menu(kWindowPath)) {
        window->addSeparator()->setObjectName(kWindowListMarker);
        connect(window, &QMenu::aboutToShow, this, [this, window] {
            bool after = false;
            for (QAction *action : window->actions()) {
                if (after)
                    window->removeAction(action), action->deleteLater();
                else if (action->objectName() == kWindowListMarker)
                    after = true;
            }
            if (m_windowListFiller)
                m_windowListFiller(window);
        });
    }
    if (QMenu *recent = menu(kOpenRecentPath)) {
        connect(recent, &QMenu::aboutToShow, this, [this, recent] {
            recent->clear();
            if (m_openRecentFiller)
                m_openRecentFiller(recent);
        });
    }
    for (QMenu *top : std::as_const(m_menus))
        connect(top, &QMenu::aboutToShow, this, &CAMainMenu::validate);
    connect(&m_router, &CAActionRouter::actionPerformed, this, &CAMainMenu::validate);
    connect(&m_router, &CAActionRouter::activeWindowChanged, this, &CAMainMenu::validate);
    // Items are validated when a menu opens or a command ran; an edit made with the mouse since
    // (a drag, a typed text) would leave Undo disabled for its shortcut until the menu opened.
    QCoreApplication::instance()->installEventFilter(this);
}

bool CAMainMenu::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const quint64 stamp = (quint64(key->timestamp()) << 32) ^ quint64(key->key()) ^ quint64(key->modifiers());
        if (stamp != m_validatedKeyStamp && m_shortcutKeys.contains(key->keyCombination())) {
            m_validatedKeyStamp = stamp;
            validate();
        }
    }
    return QObject::eventFilter(watched, event);
}

CAMainMenu::~CAMainMenu()
{
    qDeleteAll(m_menus);
}

QMenu *CAMainMenu::menuForPath(const QString &path)
{
    for (const auto &entry : std::as_const(m_paths))
        if (entry.first == path)
            return entry.second;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    QMenu *menu = nullptr;
    if (slash < 0) {
        menu = new QMenu(path);
        m_menus.append(menu);
    } else {
        QMenu *parent = menuForPath(path.left(slash));
        menu = parent->addMenu(path.mid(slash + 1));
    }
    menu->setObjectName(path);
    m_paths.append({path, menu});
    return menu;
}

QMenu *CAMainMenu::menu(const QString &path) const
{
    for (const auto &entry : m_paths)
        if (entry.first == path)
            return entry.second;
    return nullptr;
}

namespace {

QAction *findTag(QMenu *menu, int tag)
{
    for (QAction *action : menu->actions()) {
        if (action->data().isValid() && action->data().toInt() == tag && !action->isSeparator())
            return action;
        if (action->menu())
            if (QAction *found = findTag(action->menu(), tag))
                return found;
    }
    return nullptr;
}

QAction *findAction(QMenu *menu, const QString &command, int tag)
{
    for (QAction *action : menu->actions()) {
        if (action->property(CAActionRouter::kActionProperty).toString() == command && action->data().toInt() == tag)
            return action;
        if (action->menu())
            if (QAction *found = findAction(action->menu(), command, tag))
                return found;
    }
    return nullptr;
}

} // namespace

QAction *CAMainMenu::itemWithTag(int tag) const
{
    for (QMenu *menu : m_menus)
        if (QAction *found = findTag(menu, tag))
            return found;
    return nullptr;
}

QAction *CAMainMenu::itemForAction(const QString &action, int tag) const
{
    for (QMenu *menu : m_menus)
        if (QAction *found = findAction(menu, action, tag))
            return found;
    return nullptr;
}

void CAMainMenu::validate()
{
    for (QMenu *menu : std::as_const(m_menus))
        m_router.validateMenu(menu);
}
