#include "app/pictures/CAPostartBrowserView.h"

#include "app/pictures/CCPictCatalog.h"
#include "app/pictures/CCPictCatalogView.h"
#include "app/pictures/CCPictFolderListing.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWUserDefaults.h"

#include <QComboBox>
#include <QVBoxLayout>

CAPostartBrowserView::CAPostartBrowserView(QWidget *parent)
    : CAPostartBrowserView(CAEnvironment::postArtPath(), parent)
{
}

CAPostartBrowserView::CAPostartBrowserView(const QString &folder, QWidget *parent)
    : QWidget(parent)
    , m_folder(folder)
    , m_categoryPopup(new QComboBox(this))
    , m_catalogView(new CCPictCatalogView(this))
{
    setObjectName(QStringLiteral("_postartView"));
    m_categoryPopup->setObjectName(QStringLiteral("m_categoryPopup"));
    m_catalogView->setObjectName(QStringLiteral("m_pictCatalog"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_categoryPopup);
    layout->addWidget(m_catalogView, 1);
    start();
    connect(m_categoryPopup, &QComboBox::activated, this, [this] { showSelectedCategory(); });
    connect(catalog(), &CCPictCatalog::chosen, this, [this](int row, int column) {
        if (std::shared_ptr<PWImage> picture = catalog()->fullPictureAt(row, column))
            Q_EMIT pictureChosen(picture);
    });
}

CCPictCatalog *CAPostartBrowserView::catalog() const
{
    return m_catalogView->catalog();
}

void CAPostartBrowserView::start()
{
    const QStringList titles =
        CCPictFolderListing::postArtPopupTitles(CCPictFolderListing::postArtCategories(m_folder));
    m_categoryPopup->clear();
    m_categoryPopup->addItems(titles);
    const PWPlist stored = PWUserDefaults::standardUserDefaults().objectForKey(kCategoryKey);
    const std::optional<qint64> index = stored.isNumber() ? std::optional<qint64>(stored.toInteger()) : std::nullopt;
    const std::optional<int> initial = CCPictFolderListing::initialPostArtEntry(titles, index);
    if (!initial)
        return;
    m_categoryPopup->setCurrentIndex(*initial);
    showSelectedCategory();
}

void CAPostartBrowserView::showSelectedCategory()
{
    const QString title = m_categoryPopup->currentText();
    // "-" names no folder: the listing of a folder that is not there is empty.
    const CCPictFolderListing::Listing listing =
        CCPictFolderListing::listFolder(m_folder + u'/' + title, false, title + u'/');
    catalog()->changeBySearchInFolder(listing.entries, m_folder);
    // The setter writes the settings file itself.
    PWUserDefaults::standardUserDefaults().setInteger(kCategoryKey, m_categoryPopup->currentIndex());
}
