#pragma once

#include <QScrollArea>

class CCPictCatalog;

// The scroll area a picture pane puts its catalogue in: no background of its own, vertical
// scrolling only, and the catalogue's columns reflowed whenever the visible width changes.
class CCPictCatalogView : public QScrollArea
{
    Q_OBJECT

public:
    explicit CCPictCatalogView(QWidget *parent = nullptr);

    CCPictCatalog *catalog() const { return m_catalog; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    CCPictCatalog *m_catalog;
    QSize m_lastViewportSize;
};
