#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class CCPictCatalog;
class CCPictCatalogView;
class PWImage;
class QLabel;
class QPushButton;

// The picture pane of a folder the user chooses, remembered across runs under
// "RecentImagesCustomFolder". It lists nothing until it is first shown; a folder question the
// user declines leaves it empty, and it asks again the next time. The question is a sheet on the
// pane's window: the pane waits for its answer without holding up the application.
class CACustomFolderBrowserView : public QWidget
{
    Q_OBJECT

public:
    static inline const QString kFolderKey = QStringLiteral("RecentImagesCustomFolder");
    // Asks for a folder and calls answer once with it, or with an empty string when the user
    // declined; the answer may come later.
    using FolderAnswer = std::function<void(const QString &folder)>;
    using FolderQuestion = std::function<void(QWidget *parent, const QString &startFolder, FolderAnswer answer)>;

    explicit CACustomFolderBrowserView(QWidget *parent = nullptr);

    bool isLoaded() const { return m_isLoaded; }
    // Asks for a folder when none is set, then lists it; the design window calls it while the
    // pane is not loaded.
    void loadPictures();
    // The browse button: a chosen folder replaces the shown one and is listed from the top.
    void onBrowseFolder();
    // The folder question: answers the chosen folder, stored as the remembered one, or an empty
    // string on cancel. Nothing is asked while an earlier question waits for its answer.
    void browseDirectory(FolderAnswer answer);
    bool isAsking() const { return m_asking; }

    QString dialogDirectory() const { return m_dialogDirectory; }
    CCPictCatalog *catalog() const;
    CCPictCatalogView *catalogView() const { return m_catalogView; }
    QPushButton *browseButton() const { return m_browseButton; }
    // The question the pane asks; by default a folder dialog over the pane's window.
    void setFolderQuestion(FolderQuestion question) { m_folderQuestion = std::move(question); }

Q_SIGNALS:
    void picturesListed(int count);
    // A picture of the pane was chosen (double click, or Return) to be placed on the canvas.
    void pictureChosen(const std::shared_ptr<PWImage> &picture);

private:
    void listPictures();
    void showFolderTitle();

    bool m_isLoaded = false;
    bool m_asking = false;
    QString m_dialogDirectory;
    CCPictCatalogView *m_catalogView;
    QPushButton *m_browseButton;
    QLabel *m_folderLabel;
    FolderQuestion m_folderQuestion;
};
