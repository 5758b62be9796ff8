#include "app/pictures/CCPictBrowserView.h"

#include "app/pictures/CCGoogleSearch.h"
#include "app/pictures/CCGoogleSearchItem.h"
#include "app/pictures/CCInternetPictureLoad.h"
#include "app/pictures/CCPictCatalogView.h"
#include "app/pictures/CCPicturesLog.h"
#include "app/pictures/CCSearchField.h"
#include "app/pictures/CCSearchFieldCell.h"
#include "app/pictures/CCSwishIndexer.h"
#include "kernel/base/CAContentLibraryGate.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/FTUtilities.h"
#include "platform/PWBundle.h"
#include "platform/PWImage.h"
#include "platform/PWNotificationCenter.h"
#include "platform/PWUserDefaults.h"

#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QVBoxLayout>

namespace {

QString searchResultTitle()
{
    return PWLocalizedString(QStringLiteral("Search Result"));
}

// Menu and button texts take "&" as a mnemonic mark: a category named "Food & Drink" keeps it.
QString displayed(const QString &title)
{
    QString text = title;
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QList<CCPictCatalog::Entry> entriesOf(const QList<QVariantMap> &descriptors, QSet<QString> &seen)
{
    QList<CCPictCatalog::Entry> entries;
    entries.reserve(descriptors.size());
    for (const QVariantMap &descriptor : descriptors) {
        const QString name = descriptor.value(QStringLiteral("name")).toString();
        if (name.isEmpty() || seen.contains(name))
            continue;
        seen.insert(name);
        entries.append({name, descriptor.value(QStringLiteral("hint")).toString()});
    }
    return entries;
}

} // namespace

CCPictBrowserView::CCPictBrowserView(QWidget *parent)
    : QWidget(parent)
    , m_categoryPopup(new QPushButton(this))
    , m_categoryMenu(new QMenu(m_categoryPopup))
    , m_searchTextField(new CCSearchField(this))
    , m_nothingFound(new QLabel(this))
    , m_catalogView(new CCPictCatalogView(this))
    , m_pictCatalog(m_catalogView->catalog())
    , m_GoogleSearch(new CCGoogleSearch(this))
    , m_pictureLoad(new CCInternetPictureLoad(this))
    , m_indexPath(CAEnvironment::clipArtIndexPath())
    , m_clipArtPath(CAEnvironment::clipArtPath())
    , m_categoryIndex(CAEnvironment::clipArtCategoriesIndexPath())
{
    m_categoryPopup->setObjectName(QStringLiteral("m_categoryPopup"));
    m_searchTextField->setObjectName(QStringLiteral("m_searchTextField"));
    m_catalogView->setObjectName(QStringLiteral("m_pictCatalogView"));
    m_pictCatalog->setObjectName(QStringLiteral("m_pictCatalog"));
    m_categoryPopup->setMenu(m_categoryMenu);
    m_categoryPopup->setFocusPolicy(Qt::StrongFocus);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(m_categoryPopup);
    layout->addWidget(m_searchTextField);
    layout->addWidget(m_nothingFound);
    layout->addWidget(m_catalogView, 1);
    m_nothingFound->setObjectName(QStringLiteral("m_nothingFoundText"));
    m_nothingFound->setAlignment(Qt::AlignCenter);
    m_nothingFound->setWordWrap(true);
    m_nothingFound->setEnabled(false);
    m_nothingFound->hide();
    m_searchTextField->followSuperview();
    setTabOrder(m_categoryPopup, m_searchTextField);
    setTabOrder(m_searchTextField, m_pictCatalog);
    // The whole picture of an internet result can take a while: the pane says it is working.
    m_pictureLoad->setBusyWidget(this);

    connect(m_categoryMenu, &QMenu::aboutToShow, this, &CCPictBrowserView::validatePopupMenu);
    connect(m_searchTextField, &CCSearchField::searchText, this, &CCPictBrowserView::searchText);
    connect(m_searchTextField, &CCSearchField::searchInternet, this, &CCPictBrowserView::searchInternet);
    connect(m_searchTextField, &CCSearchField::stopRequested, this, &CCPictBrowserView::stopSearch);
    connect(m_pictCatalog, &CCPictCatalog::chosen, this, [this] { chooseSelectedPicture(); });

    m_GoogleSearch->setClearAction([this](CCGoogleSearch &search) {
        prepareMatrixWithSender({search.itemCount(), search.current()});
    });
    m_GoogleSearch->setAddAction([this](CCGoogleSearch &search, CCGoogleSearchItem &item) {
        dynamicAddImageWithGoogleSearchItem({search.itemCount(), search.current()},
                                            {item.urlImage(), item.getWebSite(), item.getData()});
    });
    m_GoogleSearch->setStopAction([this](CCGoogleSearch &) { resetSearchField(); });
    m_internetSearch = {[this](const QString &text) { startOwnSearch(text); }, [this] { m_GoogleSearch->stop(); },
                        [this] { m_GoogleSearch->free(); }};

    // A position kept for a catalogue not yet tall enough (one filled while hidden) is reached
    // once its rows are laid out; a scroll of the user's own replaces it.
    QScrollBar *bar = m_catalogView->verticalScrollBar();
    connect(bar, &QScrollBar::rangeChanged, this, [this] {
        if (m_pendingScroll >= 0)
            scrollCatalogTo(m_pendingScroll);
    });
    connect(bar, &QScrollBar::actionTriggered, this, [this] { m_pendingScroll = -1; });
    connect(m_pictCatalog, &CCPictCatalog::activated, this, [this] { m_pendingScroll = -1; });

    m_viewResponder = m_pictCatalog;
    buildPopup();
    // A first start copies the clip art while the pane may already be shown: a pane that found
    // no categories reads them when the copy has ended.
    PWNotificationCenter::defaultCenter().addObserver(
        CAContentLibraryGate::kSeededNotification, nullptr,
        [this](const PWNotification &) {
            if (m_titles.size() > 1)
                return;
            // A library that could not be copied is read where it was installed: the paths are
            // asked again.
            m_indexPath = CAEnvironment::clipArtIndexPath();
            m_clipArtPath = CAEnvironment::clipArtPath();
            m_categoryIndex = CCClipArtCategories(CAEnvironment::clipArtCategoriesIndexPath());
            if (!m_swishIndex)
                m_swishIndexTried = false;
            m_categoryMenu->clear();
            buildPopup();
        },
        this);
}

CCPictBrowserView::~CCPictBrowserView()
{
    // The search may still hold a reply: no action of it may reach a pane half gone.
    m_GoogleSearch->setClearAction(nullptr);
    m_GoogleSearch->setAddAction(nullptr);
    m_GoogleSearch->setStopAction(nullptr);
    m_GoogleSearch->free();
}

void CCPictBrowserView::buildPopup()
{
    m_titles = QStringList{QStringLiteral("-")} + m_categoryIndex.categoryNames();
    for (int index = 0; index < m_titles.size(); ++index) {
        QAction *entry = m_categoryMenu->addAction(displayed(m_titles.at(index)));
        entry->setData(index);
        entry->setCheckable(true);
        connect(entry, &QAction::triggered, this, [this, index] { categoryPopup(index); });
    }
    setPopupTitle(m_titles.first());
    if (m_titles.size() <= 1)
        return;
    const PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    std::optional<qint64> stored;
    if (defaults.hasStoredValue(kCategoryIndexKey) && defaults.objectForKey(kCategoryIndexKey).isNumber())
        stored = defaults.integerForKey(kCategoryIndexKey);
    categoryPopup(CCClipArtCategories::initialPopupIndex(int(m_titles.size()), stored));
}

QStringList CCPictBrowserView::popupTitles() const
{
    return m_titles;
}

QString CCPictBrowserView::popupTitle() const
{
    return m_popupTitle;
}

QStringList CCPictBrowserView::checkedPopupTitles() const
{
    const_cast<CCPictBrowserView *>(this)->validatePopupMenu();
    QStringList checked;
    for (QAction *entry : m_categoryMenu->actions()) {
        if (entry->isChecked())
            checked.append(m_titles.value(entry->data().toInt()));
    }
    return checked;
}

void CCPictBrowserView::validatePopupMenu()
{
    for (QAction *entry : m_categoryMenu->actions()) {
        entry->setChecked(m_titles.value(entry->data().toInt()) == m_currCategoryName);
        entry->setEnabled(true);
    }
}

void CCPictBrowserView::setViewResponder(QWidget *responder)
{
    m_viewResponder = responder;
}

void CCPictBrowserView::setInternetSearch(InternetSearch search)
{
    m_GoogleSearch->free();
    m_internetSearch = std::move(search);
    m_standInSearch = true;
}

void CCPictBrowserView::setInternetSearchStart(std::function<void(const QString &)> start)
{
    m_internetSearch.start = std::move(start);
    m_standInSearch = true;
}

bool CCPictBrowserView::canSearchInternet() const
{
    if (m_standInSearch)
        return bool(m_internetSearch.start);
    return m_GoogleSearch->serviceBase().isValid();
}

QString CCPictBrowserView::noServiceMessage()
{
    return PWLocalizedString(QStringLiteral("No internet image search service is set."));
}

void CCPictBrowserView::startOwnSearch(const QString &text)
{
    if (m_GoogleSearch->searchWithString(text) != CCGoogleSearch::Start::Started)
        resetSearchField();
}

void CCPictBrowserView::notice(const QString &text)
{
    if (m_notice) {
        m_notice(text);
        return;
    }
    auto *box = new QMessageBox(QMessageBox::Information, PWLocalizedString(QStringLiteral("Internet")), text,
                                QMessageBox::Ok, window());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->open();
}

bool CCPictBrowserView::isLoadingInternetPicture() const
{
    return m_pictureLoad->isRunning();
}

void CCPictBrowserView::resetSearchFieldForCategory()
{
    m_searchTextField->setDoubleValue(0);
    m_searchTextField->setText(QString());
    CCSearchFieldCell *cell = m_searchTextField->searchCell();
    cell->setLength(0);
    if (QAction *collection = cell->menuItemWithTitle(PWLocalizedString(QStringLiteral("Collection"))))
        cell->switchToCollection(collection);
    m_searchTextField->update();
}

void CCPictBrowserView::leaveCurrentCategory()
{
    if (!m_showsCategory)
        return;
    // The exact position: one stored a point off would drift at every return.
    if (CCClipArtCategories::Category *category = m_categoryIndex.category(m_currCategoryName))
        category->pos = scrollPosition();
    m_showsCategory = false;
}

void CCPictBrowserView::showNothingFound(bool nothing)
{
    if (nothing)
        m_nothingFound->setText(PWLocalizedString(QStringLiteral("No clip art found")));
    m_nothingFound->setVisible(nothing);
}

void CCPictBrowserView::setPopupTitle(const QString &title)
{
    m_popupTitle = title;
    m_categoryPopup->setText(displayed(title));
}

void CCPictBrowserView::showSearchResultTitle()
{
    m_currCategoryName = searchResultTitle();
    setPopupTitle(m_currCategoryName);
}

void CCPictBrowserView::categoryPopup(int index)
{
    if (index < 0 || index >= m_titles.size())
        return;
    resetSearchFieldForCategory();
    showNothingFound(false);
    if (m_internetSearch.abandon)
        m_internetSearch.abandon();
    if (m_searchTextField->hasFocus())
        m_searchTextField->clearFocus();
    leaveCurrentCategory();

    m_selectedIndex = index;
    const QString title = m_titles.at(index);
    // Entry 0 stands for no category: there is no file to read for it.
    CCClipArtCategories::Category *category = index == 0 ? nullptr : m_categoryIndex.category(title);
    if (category)
        m_pictCatalog->changeBySearchInFolder(category->values, m_clipArtPath);
    else
        m_pictCatalog->clearMatrix();
    m_currCategoryName = category ? category->name : QString();
    m_showsCategory = category != nullptr;
    scrollCatalogTo(category ? category->pos : 0);

    // The setter writes the defaults through at once.
    PWUserDefaults::standardUserDefaults().setInteger(kCategoryIndexKey, index);
    setPopupTitle(title);
    if (m_viewResponder)
        m_viewResponder->setFocus(Qt::OtherFocusReason);
}

const CCSwishIndexer *CCPictBrowserView::keywordIndex()
{
    // Opened at the first search rather than with the pane: reading an index is tried in a
    // child process first, which a pane that is never searched need not pay for.
    if (!m_swishIndexTried) {
        m_swishIndexTried = true;
        m_swishIndex = CCSwishIndexer::open(m_indexPath);
    }
    return m_swishIndex.get();
}

QList<CCPictCatalog::Entry> CCPictBrowserView::pathsForKeywords(const CCSwishIndexer *indexer, const QString &keywords)
{
    if (!indexer || keywords.isEmpty())
        return {};
    QList<QVariantMap> exact = indexer->queryString(keywords).value_or(QList<QVariantMap>());
    QList<QVariantMap> near =
        indexer->queryString(CCSwishIndexer::tokenizeQuery(keywords)).value_or(QList<QVariantMap>());
    sortFileDescriptors(exact);
    sortFileDescriptors(near);
    QSet<QString> seen;
    QList<CCPictCatalog::Entry> entries = entriesOf(exact, seen);
    entries.append(entriesOf(near, seen));
    return entries;
}

void CCPictBrowserView::searchText(CCSearchField *field)
{
    if (!field)
        field = m_searchTextField;
    if (!field->text().isEmpty()) {
        field->setDoubleValue(0);
        if (m_internetSearch.abandon)
            m_internetSearch.abandon();
        leaveCurrentCategory();
        const QString keywords = field->text().toLower();
        m_pictCatalog->changeBySearchInFolder(pathsForKeywords(keywordIndex(), keywords), m_clipArtPath);
        // An empty grid alone would look like a pane still loading.
        showNothingFound(m_pictCatalog->countImages() == 0);
        showSearchResultTitle();
        scrollCatalogTo(0);
    }
    field->setFocus(Qt::OtherFocusReason);
}

void CCPictBrowserView::searchInternet(CCSearchField *field)
{
    if (!field)
        field = m_searchTextField;
    const QString text = field->text();
    if (text.isEmpty()) {
        field->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (!canSearchInternet()) {
        // Nothing is sent anywhere: the user learns why, and what the pane shows stays.
        field->setDoubleValue(0);
        field->update();
        notice(noServiceMessage());
        field->setFocus(Qt::OtherFocusReason);
        return;
    }
    showNothingFound(false);
    field->setMinValue(0);
    field->setMaxValue(100);
    field->setDoubleValue(23);
    field->update();
    leaveCurrentCategory();
    m_pictCatalog->clearMatrix();
    m_internetSearch.start(text);
    showSearchResultTitle();
    scrollCatalogTo(0);
}

double CCPictBrowserView::progressForResult(int current, int itemCount)
{
    if (itemCount <= 0)
        return 0;
    // The share of one result is taken in single precision, as the progress always was.
    const float share = 77.0f / float(itemCount);
    return 20.0 + double(current + 1) * double(share);
}

void CCPictBrowserView::prepareMatrixWithSender(const CCPictSearchProgress &search)
{
    m_pictCatalog->prepareMatrixWithSender(search);
}

void CCPictBrowserView::dynamicAddImageWithGoogleSearchItem(const CCPictSearchProgress &search,
                                                            const CCPictSearchItem &item)
{
    m_searchTextField->setDoubleValue(progressForResult(search.current, search.itemCount));
    if (search.current >= search.itemCount - 1) {
        m_searchTextField->setDoubleValue(0);
        m_searchTextField->setFocus(Qt::OtherFocusReason);
    }
    m_searchTextField->update();
    m_pictCatalog->dynamicAddImageWithGoogleSearchItem(search, item);
}

void CCPictBrowserView::resetSearchField()
{
    m_searchTextField->setDoubleValue(0);
    m_searchTextField->update();
    // The search ended short of some results (a failed page or thumbnails that never came):
    // their placeholders would wait for ever.
    m_pictCatalog->clearLoadingCells();
}

void CCPictBrowserView::stopSearch()
{
    if (m_internetSearch.stop)
        m_internetSearch.stop();
    m_pictCatalog->clearLoadingCells();
}

bool CCPictBrowserView::chooseSelectedPicture()
{
    const CCPictCell *cell = m_pictCatalog->selectedCell();
    if (!cell || cell->isEmpty())
        return false;
    const QString reference = cell->imageReference();
    if (reference.startsWith(CCPictImageResolver::kUrlPrefix)) {
        std::shared_ptr<PWImage> thumbnail = PWImage::imageNamed(reference);
        if (!thumbnail) {
            // A result whose thumbnail was no picture still names its whole picture.
            QImage blank(1, 1, QImage::Format_ARGB32);
            blank.fill(Qt::transparent);
            thumbnail = PWImage::fromQImage(blank);
            thumbnail->setName(reference);
        }
        return m_pictureLoad->start(std::move(thumbnail), [this](std::shared_ptr<PWImage> picture, const QString &error) {
            if (picture)
                Q_EMIT pictureChosen(picture);
            else
                notice(error);
        });
    }
    // A picture of the collection goes by its full-size name, so that a design refers to it as such.
    std::shared_ptr<PWImage> image = m_pictCatalog->fullPictureAt(m_pictCatalog->selectedRow(), m_pictCatalog->selectedColumn());
    if (!image) {
        qCWarning(lcPictures).noquote() << QStringLiteral("The picture '%1' cannot be placed").arg(reference);
        return false;
    }
    Q_EMIT pictureChosen(image);
    return true;
}

int CCPictBrowserView::scrollPosition() const
{
    return m_pendingScroll >= 0 ? m_pendingScroll : m_catalogView->verticalScrollBar()->value();
}

void CCPictBrowserView::scrollCatalogTo(int y)
{
    QScrollBar *bar = m_catalogView->verticalScrollBar();
    bar->setValue(y);
    m_pendingScroll = bar->value() == y ? -1 : y;
}
