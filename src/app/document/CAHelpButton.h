#pragma once

#include <QToolButton>

#include <functional>

// The round help button of panels and sheets: opens its page of the help book once the mouse is
// released, also when the pointer has left the button by then. The page is the button's
// "pageName" property, which forms set; an empty name opens the book's first page. Any window
// may place one: the help book itself is the application's, which says how pages open.
class CAHelpButton : public QToolButton
{
    Q_OBJECT
    Q_PROPERTY(QString pageName READ pageName WRITE setPageName)
public:
    using PageOpener = std::function<void(const QString &pageName)>;

    explicit CAHelpButton(QWidget *parent = nullptr);

    // How every help button opens its page; until one is set a press only logs the page.
    static void setPageOpener(PageOpener opener);

    QString pageName() const { return _pageName; }
    void setPageName(const QString &pageName) { _pageName = pageName; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void openPage();

    QString _pageName;
    bool m_pressed = false;
};
