#include "app/pictures/CAiPhotoBrowserView.h"

#include "app/pictures/CAiPhoto.h"
#include "app/pictures/CAiPhotoCatalog.h"
#include "app/pictures/CCPictCatalog.h"
#include "app/pictures/CCPictCatalogView.h"
#include "platform/PWBundle.h"
#include "platform/PWUserDefaults.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

CAiPhotoBrowserView::FileChooser &fileChooser()
{
    static CAiPhotoBrowserView::FileChooser chooser = [](QWidget *parent) {
        return QFileDialog::getOpenFileName(parent, PWLocalizedString(QStringLiteral("Choose Photo Albums")),
                                            QString(), QStringLiteral("Album data (*.xml *.plist);;All files (*)"));
    };
    return chooser;
}

} // namespace

CAiPhotoBrowserView::CAiPhotoBrowserView(QWidget *parent)
    : QWidget(parent)
    , m_categoryPopup(new QComboBox(this))
    , m_chooseButton(new QToolButton(this))
    , m_catalogView(new CCPictCatalogView(this))
    , m_pictCatalog(new CAiPhotoCatalog(m_catalogView->catalog(), this))
{
    m_categoryPopup->setObjectName(QStringLiteral("m_categoryPopup"));
    m_categoryPopup->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_categoryPopup->setMinimumContentsLength(8);
    m_chooseButton->setObjectName(QStringLiteral("_chooseAlbumsButton"));
    m_chooseButton->setText(QStringLiteral("…"));
    m_chooseButton->setToolTip(PWLocalizedString(QStringLiteral("Choose Photo Albums")));
    m_catalogView->setObjectName(QStringLiteral("m_pictCatalog"));
    m_catalogView->catalog()->setProperty("tag", 2);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *row = new QHBoxLayout;
    row->addWidget(m_categoryPopup, 1);
    row->addWidget(m_chooseButton);
    layout->addLayout(row);
    layout->addWidget(m_catalogView, 1);
    setTabOrder(m_categoryPopup, m_chooseButton);
    setTabOrder(m_chooseButton, m_catalogView->catalog());

    connect(m_categoryPopup, &QComboBox::activated, this, &CAiPhotoBrowserView::categoryPopup);
    connect(m_chooseButton, &QToolButton::clicked, this, &CAiPhotoBrowserView::chooseDatabase);
    // An album picture is placed whole, read from its file, as its drag carries it.
    connect(m_catalogView->catalog(), &CCPictCatalog::chosen, this, [this](int row, int column) {
        if (std::shared_ptr<PWImage> picture = m_catalogView->catalog()->fullPictureAt(row, column))
            Q_EMIT pictureChosen(picture);
    });
}

void CAiPhotoBrowserView::setFileChooser(FileChooser chooser)
{
    fileChooser() = std::move(chooser);
}

void CAiPhotoBrowserView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    loadPictures();
}

bool CAiPhotoBrowserView::loadPictures()
{
    if (_bLoaded)
        return false;
    _bLoaded = true;
    // The database is read once, bounded in size, and the thumbnails only as cells are drawn:
    // nothing here lasts long enough to show progress for.
    const CAiPhoto &photos = m_pictCatalog->reader();
    const QSignalBlocker blocker(m_categoryPopup);
    m_categoryPopup->clear();
    m_categoryPopup->addItem(QStringLiteral("-"));
    for (int album = 0; album < photos.albumsCount(); ++album)
        m_categoryPopup->addItem(photos.albumName(album));
    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    qint64 recent = defaults.hasStoredValue(kRecentCategoryDefault) ? defaults.integerForKey(kRecentCategoryDefault) : 1;
    if (recent >= m_categoryPopup->count() || recent < 0)
        recent = m_categoryPopup->count() - 1;
    if (m_categoryPopup->count() > 1) {
        m_categoryPopup->setCurrentIndex(int(recent));
        categoryPopup(int(recent));
    } else {
        m_pictCatalog->clearMatrix();
    }
    return true;
}

void CAiPhotoBrowserView::categoryPopup(int index)
{
    // Item 0 is the placeholder "-": it stands for no album and shows an empty grid.
    m_pictCatalog->changeAlbum(index - 1);
    if (m_categoryPopup->currentIndex() != index)
        m_categoryPopup->setCurrentIndex(index);
    PWUserDefaults::standardUserDefaults().setInteger(kRecentCategoryDefault, index);
}

void CAiPhotoBrowserView::chooseDatabase()
{
    const QString path = fileChooser()(this);
    if (path.isEmpty())
        return;
    PWUserDefaults::standardUserDefaults().setString(CAiPhoto::kRootDirectoryDefault, path);
    CAiPhoto::reloadSharedInstance();
    _bLoaded = false;
    loadPictures();
}
