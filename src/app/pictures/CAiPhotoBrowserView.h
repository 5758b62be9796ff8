#pragma once

#include <memory>

#include <QWidget>

#include <functional>

class CAiPhotoCatalog;
class CCPictCatalogView;
class PWImage;
class QComboBox;
class QToolButton;

// The photo album pane: a popup of the albums ("-" first, then each album by name), the chosen
// album's thumbnails, and a button to choose the album file. It fills itself when first shown,
// and the album chosen last is chosen again ("FTRecentiPhotoCategory").
class CAiPhotoBrowserView : public QWidget
{
    Q_OBJECT

public:
    static inline const QString kRecentCategoryDefault = QStringLiteral("FTRecentiPhotoCategory");

    explicit CAiPhotoBrowserView(QWidget *parent = nullptr);

    // Fills the pane the first time; false when it was filled already.
    bool loadPictures();
    bool isLoaded() const { return _bLoaded; }
    // The popup's action: shows the album of the chosen item (none for "-") and remembers it.
    void categoryPopup(int index);

    // Asks for an album database file; an empty answer chooses nothing.
    using FileChooser = std::function<QString(QWidget *parent)>;
    static void setFileChooser(FileChooser chooser);
    // Lets the user name another database, then reads it and fills the pane again.
    void chooseDatabase();

    QComboBox *categoryPopupControl() const { return m_categoryPopup; }
    CAiPhotoCatalog *pictCatalog() const { return m_pictCatalog; }
    CCPictCatalogView *catalogView() const { return m_catalogView; }

Q_SIGNALS:
    // A picture of the pane was chosen (double click, or Return) to be placed on the canvas.
    void pictureChosen(const std::shared_ptr<PWImage> &picture);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QComboBox *m_categoryPopup;
    QToolButton *m_chooseButton;
    CCPictCatalogView *m_catalogView;
    CAiPhotoCatalog *m_pictCatalog;
    bool _bLoaded = false;
};
