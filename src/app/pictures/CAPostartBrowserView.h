#pragma once

#include <memory>

#include <QString>
#include <QWidget>

class CCPictCatalog;
class PWImage;
class CCPictCatalogView;
class QComboBox;

// The postage-art pane: the folders of the application's postage-art collection offered as
// categories in a popup, the chosen one remembered under "FTRecentPostArtCategory". A category
// shows every file below it, pictures or not; what cannot be drawn keeps its cell and caption.
class CAPostartBrowserView : public QWidget
{
    Q_OBJECT

public:
    static inline const QString kCategoryKey = QStringLiteral("FTRecentPostArtCategory");

    // The collection of CAEnvironment::postArtPath().
    explicit CAPostartBrowserView(QWidget *parent = nullptr);
    // The collection of another folder.
    CAPostartBrowserView(const QString &folder, QWidget *parent);

    QString folder() const { return m_folder; }
    QComboBox *categoryPopup() const { return m_categoryPopup; }
    CCPictCatalog *catalog() const;
    CCPictCatalogView *catalogView() const { return m_catalogView; }
    // Shows the category selected in the popup and remembers it.
    void showSelectedCategory();

Q_SIGNALS:
    // A picture of the pane was chosen (double click, or Return) to be placed on the canvas.
    void pictureChosen(const std::shared_ptr<PWImage> &picture);

private:
    void start();

    QString m_folder;
    QComboBox *m_categoryPopup;
    CCPictCatalogView *m_catalogView;
};
