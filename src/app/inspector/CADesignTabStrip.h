#pragma once

#include <QWidget>

// The drawn strip of the design window's four main tabs: one icon each, the current one on a
// highlight, a tool tip per tab. A click on a tab makes it current and tells the window; a
// click between tabs does nothing.
class CADesignTabStrip : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kTabCount = 4;
    static constexpr double kIconSize = 24.0;

    explicit CADesignTabStrip(QWidget *parent = nullptr);

    // Tab i's rectangle: as wide as an icon plus 11, from x = 3, the strip's full height.
    QRectF tabRectByIndex(int index) const;
    // The tab under a point, -1 between or beside the tabs.
    int tabAt(const QPointF &point) const;
    int currentTab() const { return m_currentTabIndex; }
    // Makes the tab current and reports it (tabActivated).
    void setCurrentTab(int index);
    // Makes the tab current without reporting it (the window changed tab itself).
    void selectTabAtIndex(int index);
    // The localized tool tip of a tab.
    static QString toolTipForTab(int index);

    QSize sizeHint() const override;

Q_SIGNALS:
    void tabActivated(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool event(QEvent *event) override;

private:
    void drawIcon(class QPainter &painter, int index, const QRectF &box) const;
    int m_currentTabIndex = 0;
};
