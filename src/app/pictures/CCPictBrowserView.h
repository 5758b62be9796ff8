#pragma once

#include "app/pictures/CCClipArtCategories.h"
#include "app/pictures/CCPictCatalog.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class CCGoogleSearch;
class CCInternetPictureLoad;
class CCPictCatalogView;
class CCSearchField;
class CCSwishIndexer;
class PWImage;
class QLabel;
class QMenu;
class QPushButton;

// The clip-art pane: a category popup, the search field and the thumbnail catalogue. The
// catalogue shows a category of the collection, the hits of a keyword search (exact hits first,
// then the words' near hits), or the results of an internet search as they arrive. Every
// category read stays cached with the scroll position it was left at. A double click or Return
// on a picture offers its full-size picture through pictureChosen(); an internet result's whole
// picture is loaded first, and one that cannot be loaded is reported instead.
//
// The pane owns its internet search and is the target of its clear, add and stop actions.
class CCPictBrowserView : public QWidget
{
    Q_OBJECT

public:
    // How the pane drives an internet image search; by default its own CCGoogleSearch. Each
    // part may be left empty. The search calls the pane back with prepareMatrixWithSender,
    // dynamicAddImageWithGoogleSearchItem and resetSearchField.
    struct InternetSearch
    {
        std::function<void(const QString &)> start; // search for the text
        std::function<void()> stop;                 // the user stopped it
        std::function<void()> abandon;              // its results are no longer wanted
    };

    // The user default holding the popup entry chosen last.
    static inline const QString kCategoryIndexKey = QStringLiteral("ClipArtCategoryIndex");

    // Reads the category list of the content library and shows the initial category.
    explicit CCPictBrowserView(QWidget *parent = nullptr);
    ~CCPictBrowserView() override;

    CCSearchField *searchField() const { return m_searchTextField; }
    CCPictCatalog *catalog() const { return m_pictCatalog; }
    CCPictCatalogView *catalogView() const { return m_catalogView; }
    QPushButton *categoryPopupButton() const { return m_categoryPopup; }
    CCClipArtCategories &categories() { return m_categoryIndex; }

    // The popup's entries, "-" first; the entry chosen last; the title it shows.
    QStringList popupTitles() const;
    int selectedPopupIndex() const { return m_selectedIndex; }
    QString popupTitle() const;
    // The category shown, "Search Result" (localized) after a search, empty for none.
    QString currentCategoryName() const { return m_currCategoryName; }
    // The entries of the popup carrying a check mark (the current category's).
    QStringList checkedPopupTitles() const;

    // The widget that gets the keyboard after a category change; the catalogue unless set.
    void setViewResponder(QWidget *responder);
    // Replaces the hooks that reach the pane's own search (a test's stand-in).
    void setInternetSearch(InternetSearch search);
    void setInternetSearchStart(std::function<void(const QString &)> start);
    // The pane's own internet search.
    CCGoogleSearch &googleSearch() const { return *m_GoogleSearch; }
    // Whether an internet search can start: a stand-in is set or a service address is.
    bool canSearchInternet() const;
    static QString noServiceMessage();
    // Where a message for the user goes; by default a window-modal message box over the pane.
    void setNoticeHandler(std::function<void(const QString &)> handler) { m_notice = std::move(handler); }
    // The whole picture of an internet result is being loaded.
    bool isLoadingInternetPicture() const;

    // Shows the category of the popup entry (entry 0, "-", shows nothing).
    void categoryPopup(int index);
    // A keyword search in the collection for the field's text.
    void searchText(CCSearchField *field);
    // An internet search for the field's text.
    void searchInternet(CCSearchField *field);

    // The internet search's callbacks: placeholders for its results, one result delivered, the
    // search ended.
    void prepareMatrixWithSender(const CCPictSearchProgress &search);
    void dynamicAddImageWithGoogleSearchItem(const CCPictSearchProgress &search, const CCPictSearchItem &item);
    void resetSearchField();
    // The search field's stop button.
    void stopSearch();
    // The progress the search field shows once result current of itemCount is in.
    static double progressForResult(int current, int itemCount);

    // The hits for keywords: the exact hits, then the near ones (what the words begin), each
    // group in picture-entry order, no picture twice. Empty without an index or when the index
    // cannot take the text.
    static QList<CCPictCatalog::Entry> pathsForKeywords(const CCSwishIndexer *indexer, const QString &keywords);
    // The keyword index, opened at the first search; null when it cannot be opened.
    const CCSwishIndexer *keywordIndex();

    // Offers the picture of the selected cell, if any; answers whether one was offered or, for
    // an internet result, whether its loading started (not when that result is loading already).
    bool chooseSelectedPicture();

    // The catalogue's vertical scroll position, and a scroll to one (kept until the catalogue
    // is tall enough to reach it).
    int scrollPosition() const;
    void scrollCatalogTo(int y);

Q_SIGNALS:
    // A picture of the pane was chosen to be placed on the canvas.
    void pictureChosen(const std::shared_ptr<PWImage> &image);

private:
    void buildPopup();
    void startOwnSearch(const QString &text);
    void notice(const QString &text);
    void validatePopupMenu();
    void resetSearchFieldForCategory();
    void leaveCurrentCategory();
    void showSearchResultTitle();
    void setPopupTitle(const QString &title);
    // Says in the pane that a search of the collection found nothing.
    void showNothingFound(bool nothing);

    QPushButton *m_categoryPopup;
    QMenu *m_categoryMenu;
    CCSearchField *m_searchTextField;
    QLabel *m_nothingFound;
    CCPictCatalogView *m_catalogView;
    CCPictCatalog *m_pictCatalog;
    CCGoogleSearch *m_GoogleSearch;
    CCInternetPictureLoad *m_pictureLoad;
    InternetSearch m_internetSearch;
    bool m_standInSearch = false;
    std::function<void(const QString &)> m_notice;
    std::unique_ptr<CCSwishIndexer> m_swishIndex;
    bool m_swishIndexTried = false;
    QString m_indexPath;
    QString m_clipArtPath;
    CCClipArtCategories m_categoryIndex;
    QStringList m_titles;
    int m_selectedIndex = 0;
    QString m_currCategoryName;
    QString m_popupTitle;
    bool m_showsCategory = false;
    QPointer<QWidget> m_viewResponder;
    int m_pendingScroll = -1;
};
