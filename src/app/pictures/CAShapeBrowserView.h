#pragma once

#include <QString>
#include <QWidget>

class CCPictCatalog;
class CCPictCatalogView;

// The basic-shape pane: the pictures of the content library's "BasicShapes" folder, each named
// after the shape kind it shows. Dragging one brings an editable shape; a double click or Return
// chooses it (shapeChosen with the shape's name).
class CAShapeBrowserView : public QWidget
{
    Q_OBJECT

public:
    // The folder of CAEnvironment::basicShapePath(), listed once, and again when a seeding of the
    // content library ends while it shows nothing.
    explicit CAShapeBrowserView(QWidget *parent = nullptr);
    CAShapeBrowserView(const QString &folder, QWidget *parent);

    QString folder() const { return m_folder; }
    CCPictCatalog *catalog() const;
    CCPictCatalogView *catalogView() const { return m_catalogView; }
    // The shape name of the selected cell: its file name without extension; empty when none.
    QString selectedShapeName() const;

Q_SIGNALS:
    void shapeChosen(const QString &shapeName);

private:
    void list();

    QString m_folder;
    CCPictCatalogView *m_catalogView;
};
