#pragma once

#include <QPointer>
#include <QWidget>

class QScrollArea;

// What holds a document's page: a scroll area with the page's view (the canvas) inside, and
// below it, when shown, the internet pane, which takes its height from the page's room. The
// canvas fills the scroll area's room by itself and scrolls in it when larger.
class CDocScrollView : public QWidget
{
    Q_OBJECT
public:
    // The internet pane is the child with this value in its "viewTag" property.
    static constexpr int kInternetPaneTag = 113;

    explicit CDocScrollView(QWidget *parent = nullptr);

    QScrollArea *scrollArea() const { return m_scrollArea; }
    // The view shown in the scroll area; one set before is deleted.
    void setPage(QWidget *page);
    QWidget *page() const;

    // Adds the pane when there is none yet; a second pane is not added (and is deleted).
    void addInternetPane(QWidget *pane);
    void removeInternetPane();
    QWidget *internetPane() const { return m_internetPane; }
    // Lays the scroll area and the pane out again.
    void tile();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QScrollArea *m_scrollArea;
    QPointer<QWidget> m_internetPane;
};
