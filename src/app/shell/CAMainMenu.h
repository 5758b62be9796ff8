#pragma once

#include <QKeyCombination>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class CAActionRouter;
class QAction;
class QMenu;

// The application's main menu: one tree of menus shared by every document window's menu bar,
// each item sending its command through the router, which also enables it. An item whose
// command nobody answers yet stays in its place, disabled.
class CAMainMenu : public QObject
{
    Q_OBJECT
public:
    // One line of the menu table. A title with no action and no submenu is a separator; a
    // submenu is named by its path ("Format/Address Panel").
    struct Item
    {
        QString menu;
        QString title;
        QString action;
        QString shortcut;
        int tag = 0;
    };
    static const QList<Item> &table();

    explicit CAMainMenu(CAActionRouter &router, QObject *parent = nullptr);
    ~CAMainMenu() override;

    // The top-level menus, in menu-bar order.
    const QList<QMenu *> &menus() const { return m_menus; }
    QMenu *menu(const QString &path) const;
    // The item of the tree with the tag (its data), searched depth first; null when none.
    QAction *itemWithTag(int tag) const;
    QAction *itemForAction(const QString &action, int tag = 0) const;
    // Enables and titles every item.
    void validate();

    // Called whenever a dynamic submenu is about to show, with the submenu to fill.
    void setOpenRecentFiller(std::function<void(QMenu *menu)> filler) { m_openRecentFiller = std::move(filler); }
    void setWindowListFiller(std::function<void(QMenu *menu)> filler) { m_windowListFiller = std::move(filler); }

protected:
    // A shortcut finds its item enabled or disabled as the menu would show it now: the items
    // are validated again just before a key that is one of their shortcuts is matched.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QMenu *menuForPath(const QString &path);

    CAActionRouter &m_router;
    QList<QMenu *> m_menus;
    QList<QPair<QString, QMenu *>> m_paths;
    std::function<void(QMenu *)> m_openRecentFiller;
    std::function<void(QMenu *)> m_windowListFiller;
    QList<QKeyCombination> m_shortcutKeys;
    // The key press last validated for, so that an override passed up to parents validates once.
    quint64 m_validatedKeyStamp = 0;
};
