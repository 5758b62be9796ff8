#pragma once

#include <QPointer>
#include <QWidget>

class CAScrollView;
class QScrollArea;

// What holds a document's page: a scroll area with the hand-drag page container inside, and
// below it, when shown, the internet pane, which takes its height from the page's room.
class CDocScrollView : public QWidget
{
    Q_OBJECT
public:
    // The internet pane is the child with this value in its "viewTag" property.
    static constexpr int kInternetPaneTag = 113;

    explicit CDocScrollView(QWidget *parent = nullptr);

    QScrollArea *scrollArea() const { return m_scrollArea; }
    CAScrollView *pageContainer() const { return m_container; }

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
    CAScrollView *m_container;
    QPointer<QWidget> m_internetPane;
};
