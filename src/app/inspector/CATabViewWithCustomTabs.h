#pragma once

#include <QPointF>
#include <QWidget>

class QStackedWidget;

// A tab view whose tab strip is a row of buttons of the owner's making, centred along the top
// on a light band; the pages lie below it. The row keeps its own size.
class CATabViewWithCustomTabs : public QWidget
{
    Q_OBJECT
public:
    explicit CATabViewWithCustomTabs(QWidget *parent = nullptr);

    // Takes the row of tab buttons and places it as a newly woken view does.
    void setCustomTabs(QWidget *tabs);
    QWidget *customTabs() const { return m_customTabs; }
    QStackedWidget *pages() const { return m_pages; }
    // Where the row lies in this view's coordinates; after a resize half a point may remain.
    QPointF customTabsOrigin() const { return m_tabsOrigin; }
    // The pages' rectangle below the row.
    QRect contentRect() const;
    // The band's lower edge: b of b = (h / 2 + 2) for a row h high.
    int bandHeight() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeTabs(const QPointF &origin);

    QWidget *m_customTabs = nullptr;
    QStackedWidget *m_pages;
    QPointF m_tabsOrigin;
};
