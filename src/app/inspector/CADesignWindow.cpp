#include "app/inspector/CADesignWindow.h"

#include "app/document/CAWindowPlacement.h"
#include "app/canvas/CACanvasAddressCommands.h"
#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CACanvasPictures.h"
#include "app/canvas/CADocView.h"
#include "app/inspector/CADesignTabStrip.h"
#include "app/inspector/CADesignTextListModel.h"
#include "app/inspector/CADesignTextTableView.h"
#include "app/inspector/CATabViewWithCustomTabs.h"
#include "app/pictures/CACustomFolderBrowserView.h"
#include "app/pictures/CAPostartBrowserView.h"
#include "app/pictures/CAShapeBrowserView.h"
#include "app/pictures/CCPictBrowserView.h"
#include "app/pictures/CCPictCatalog.h"
#include "app/pictures/CCSearchField.h"
#include "app/pictures/CCSearchFieldCell.h"
#include "app/pictures/CAiPhotoBrowserView.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/component/CFTDefComponentBox.h"
#include "kernel/component/CFTDefComponentText.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "platform/PWBundle.h"
#include "platform/PWPasteboardTypes.h"

#include <QButtonGroup>
#include <QDrag>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kPadCount = 5;
constexpr int kPadTags[kPadCount] = {10, 21, 22, 33, 44};
const char *const kPadToolTips[kPadCount] = {"Clipart", "Basic Shapes", "iPhoto", "Custom Folder", "Postage Art"};

// Our own drawings of the four pane buttons.
QIcon padIcon(int pad)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(70, 70, 70), 1.5));
    switch (pad) {
    case 0:
        painter.setBrush(QColor(250, 220, 120));
        painter.drawEllipse(QRectF(7, 7, 18, 18));
        painter.drawLine(QPointF(16, 4), QPointF(16, 28));
        break;
    case 1:
        painter.setBrush(QColor(150, 190, 240));
        painter.drawRect(QRectF(5, 12, 13, 13));
        painter.setBrush(QColor(240, 150, 150));
        painter.drawEllipse(QRectF(14, 6, 13, 13));
        break;
    case 2:
        painter.setBrush(QColor(220, 220, 220));
        painter.drawRoundedRect(QRectF(4, 9, 24, 17), 3, 3);
        painter.setBrush(QColor(80, 80, 80));
        painter.drawEllipse(QPointF(16, 17.5), 5, 5);
        break;
    case 4: {
        // A stamp: a perforated edge around a small picture.
        painter.setBrush(QColor(250, 250, 245));
        painter.drawRect(QRectF(6, 5, 20, 22));
        painter.setBrush(QColor(230, 120, 90));
        painter.drawRect(QRectF(10, 9, 12, 10));
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255));
        for (int i = 0; i < 5; ++i) {
            painter.drawEllipse(QPointF(8 + i * 4, 5), 1.2, 1.2);
            painter.drawEllipse(QPointF(8 + i * 4, 27), 1.2, 1.2);
        }
        break;
    }
    default:
        painter.setBrush(QColor(120, 170, 230));
        painter.drawRoundedRect(QRectF(4, 8, 24, 18), 2, 2);
        painter.drawRect(QRectF(4, 6, 10, 4));
        break;
    }
    return QIcon(pixmap);
}

// The handling labels drag as free texts.
class CAHandlingList : public QListWidget
{
public:
    CAHandlingList(CADesignTextLists &lists, QWidget *parent)
        : QListWidget(parent)
        , m_lists(lists)
    {
        setDragEnabled(true);
        setDragDropMode(QAbstractItemView::DragOnly);
    }

protected:
    QStringList mimeTypes() const override { return {PWPasteboardTypes::mimeTypeOf(PWPasteboardTypes::kAddressDocument)}; }
    void startDrag(Qt::DropActions) override
    {
        QListWidgetItem *item = currentItem();
        if (!item)
            return;
        std::unique_ptr<CFTComponent> component = m_lists.componentForText(item->text());
        std::unique_ptr<QMimeData> data = CADesignTextLists::mimeDataForComponent(component.get());
        if (!data)
            return;
        QDrag drag(this);
        drag.setMimeData(data.release());
        drag.exec(Qt::CopyAction, Qt::CopyAction);
    }

private:
    CADesignTextLists &m_lists;
};

} // namespace

CADesignWindow::CADesignWindow(QWidget *parent)
    : QWidget(parent, Qt::Tool)
    , m_strip(new CADesignTabStrip(this))
    , m_pages(new QStackedWidget(this))
    , m_templatesModel(new CADesignTextListModel(m_lists, CADesignTextLists::Templates, this))
    , m_fieldsModel(new CADesignTextListModel(m_lists, CADesignTextLists::Fields, this))
    , m_templatesTable(new CADesignTextTableView)
    , m_fieldsTable(new CADesignTextTableView)
{
    setObjectName(QStringLiteral("design"));
    setWindowTitle(PWLocalizedString(QStringLiteral("Design")));
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_templatesTable->setObjectName(QStringLiteral("_templatesTableView"));
    m_fieldsTable->setObjectName(QStringLiteral("_fieldsTableView"));
    m_templatesTable->setListModel(m_templatesModel);
    m_fieldsTable->setListModel(m_fieldsModel);
    m_lists.setTemplateSource([this]() -> const CFTComponent * {
        CADocView *view = canvas();
        return view && view->ftView() ? view->ftView()->defText() : nullptr;
    });
    for (CADesignTextTableView *table : {m_templatesTable, m_fieldsTable}) {
        table->setDragScale([this] {
            CADocView *view = canvas();
            return view ? view->scale() : 1.0;
        });
    }
    connect(m_templatesTable, &CADesignTextTableView::rowApplied, this,
            [this](int row) { applyRow(CADesignTextLists::Templates, row); });
    connect(m_fieldsTable, &CADesignTextTableView::rowApplied, this,
            [this](int row) { applyRow(CADesignTextLists::Fields, row); });

    m_pages->addWidget(makeListPage(m_templatesTable, 0));
    m_pages->addWidget(makeListPage(m_fieldsTable, 1));
    m_pages->addWidget(makePicturesPage());
    m_pages->addWidget(makeHandlingPage());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_strip);
    layout->addWidget(m_pages, 1);
    connect(m_strip, &CADesignTabStrip::tabActivated, this, [this](int tab) { selectTab(tab, true); });

    chooseSide(false);
    int tab = CAEnvironment::openedDesignTab();
    selectTab(tab >= 0 && tab < CADesignTabStrip::kTabCount ? tab : 1, false);
    int pad = CAEnvironment::openedDesignPicturesPane();
    selectPad(pad == 1 ? 1 : 0, false);
    resize(260, 420);
}

CADesignWindow::~CADesignWindow() = default;

void CADesignWindow::setCanvasProvider(std::function<CADocView *()> provider)
{
    m_canvasProvider = std::move(provider);
}

CADocView *CADesignWindow::canvas() const
{
    return m_canvasProvider ? m_canvasProvider() : nullptr;
}

QWidget *CADesignWindow::makeListPage(CADesignTextTableView *table, int sidePair)
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    auto *buttons = new QHBoxLayout;
    auto *sender = new QPushButton(PWLocalizedString(QStringLiteral("Sender")), page);
    auto *recipient = new QPushButton(PWLocalizedString(QStringLiteral("Recipient")), page);
    const QString prefix = sidePair == 0 ? QStringLiteral("_templates") : QStringLiteral("_fields");
    sender->setObjectName(prefix + QStringLiteral("SenderButton"));
    recipient->setObjectName(prefix + QStringLiteral("RecipientButton"));
    for (QPushButton *button : {sender, recipient}) {
        button->setCheckable(true);
        buttons->addWidget(button);
    }
    m_senderButtons[sidePair] = sender;
    m_recipientButtons[sidePair] = recipient;
    connect(sender, &QPushButton::clicked, this, [this] { chooseSide(true); });
    connect(recipient, &QPushButton::clicked, this, [this] { chooseSide(false); });
    layout->addLayout(buttons);
    layout->addWidget(table, 1);
    return page;
}

QWidget *CADesignWindow::makePicturesPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    // The pane buttons are the custom tab row of the picture tab view.
    m_pictureTab = new CATabViewWithCustomTabs(page);
    m_pictureTab->setObjectName(QStringLiteral("_pictureTab"));
    auto *tabs = new QWidget;
    tabs->setObjectName(QStringLiteral("_customTabs"));
    auto *row = new QHBoxLayout(tabs);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    m_padButtons = new QButtonGroup(this);
    m_padButtons->setExclusive(true);
    for (int pad = 0; pad < kPadCount; ++pad) {
        auto *button = new QToolButton(tabs);
        button->setObjectName(QStringLiteral("padButton%1").arg(kPadTags[pad]));
        button->setCheckable(true);
        button->setIcon(padIcon(pad));
        button->setIconSize(QSize(32, 32));
        button->setAutoRaise(true);
        button->setToolTip(PWLocalizedString(QString::fromLatin1(kPadToolTips[pad])));
        m_padButtons->addButton(button, kPadTags[pad]);
        row->addWidget(button);
    }
    connect(m_padButtons, &QButtonGroup::idClicked, this, [this](int tag) { selectPad(tag % 10, true); });
    m_pictureTab->setCustomTabs(tabs);

    m_pads = m_pictureTab->pages();
    m_clipArt = new CCPictBrowserView;
    m_clipArt->setObjectName(QStringLiteral("_clipartView"));
    connect(m_clipArt, &CCPictBrowserView::pictureChosen, this, &CADesignWindow::placePicture);
    m_pads->addWidget(m_clipArt);

    m_shapes = new CAShapeBrowserView;
    // A chosen shape replaces the selected objects' shape, or comes in the middle of the page;
    // a dragged one takes the style of the canvas's default shape.
    connect(m_shapes, &CAShapeBrowserView::shapeChosen, this, [this](const QString &name) {
        if (CADocView *view = canvas())
            view->edits().replaceBasicShape(name);
    });
    m_shapes->catalog()->setDefaultComponentProvider([this]() -> CFTComponent * {
        CADocView *view = canvas();
        return view ? view->getDefComponent() : nullptr;
    });
    m_pads->addWidget(m_shapes);
    auto *photos = new CAiPhotoBrowserView;
    photos->setObjectName(QStringLiteral("_iPhotoView"));
    connect(photos, &CAiPhotoBrowserView::pictureChosen, this, &CADesignWindow::placePicture);
    m_pads->addWidget(photos);
    m_customFolder = new CACustomFolderBrowserView;
    connect(m_customFolder, &CACustomFolderBrowserView::pictureChosen, this, &CADesignWindow::placePicture);
    m_pads->addWidget(m_customFolder);
    m_postArt = new CAPostartBrowserView;
    connect(m_postArt, &CAPostartBrowserView::pictureChosen, this, &CADesignWindow::placePicture);
    m_pads->addWidget(m_postArt);
    layout->addWidget(m_pictureTab, 1);
    return page;
}

QStringList CADesignWindow::handlingLabels()
{
    return {PWLocalizedString(QStringLiteral("FRAGILE")), PWLocalizedString(QStringLiteral("DO NOT BEND")),
            PWLocalizedString(QStringLiteral("PRIORITY")), PWLocalizedString(QStringLiteral("AIR MAIL")),
            PWLocalizedString(QStringLiteral("PRINTED MATTER")), PWLocalizedString(QStringLiteral("PHOTOS - DO NOT BEND")),
            PWLocalizedString(QStringLiteral("RETURN SERVICE REQUESTED"))};
}

QWidget *CADesignWindow::makeHandlingPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    auto *list = new CAHandlingList(m_lists, page);
    list->setObjectName(QStringLiteral("_postLabelsView"));
    list->addItems(handlingLabels());
    layout->addWidget(list, 1);
    return page;
}

void CADesignWindow::selectTab(int index, bool byUser)
{
    if (index < 0 || index >= CADesignTabStrip::kTabCount)
        return;
    m_pages->setCurrentIndex(index);
    m_strip->selectTabAtIndex(index);
    if (byUser)
        CAEnvironment::setOpenedDesignTab(index);
}

void CADesignWindow::selectPad(int index, bool byUser)
{
    if (index < 0 || index >= kPadCount || !m_pads)
        return;
    m_pads->setCurrentIndex(index);
    // The custom folder is listed (or asked for) when it is first shown, not before.
    if (index == CustomFolder && !m_customFolder->isLoaded())
        m_customFolder->loadPictures();
    if (QAbstractButton *button = m_padButtons->button(kPadTags[index]))
        button->setChecked(true);
    if (byUser)
        CAEnvironment::setOpenedDesignPicturesPane(index);
}

void CADesignWindow::chooseSide(bool sender)
{
    sender ? m_lists.selectSender() : m_lists.selectRecipient();
    for (int pair = 0; pair < 2; ++pair) {
        m_senderButtons[pair]->setChecked(sender);
        m_recipientButtons[pair]->setChecked(!sender);
    }
    m_templatesTable->viewport()->update();
    m_fieldsTable->viewport()->update();
}

void CADesignWindow::applyRow(CADesignTextLists::List list, int row)
{
    CADocView *view = canvas();
    const CADesignTextItem *item = m_lists.itemAtRow(list, row);
    if (!view || !item)
        return;
    if (list == CADesignTextLists::Fields) {
        view->addressCommands().changeTextCategoryFromDesignPanel(item->tc());
        return;
    }
    view->addressCommands().changeTemplateFromDesignPanel(item->type(), item->name(), item->customIndex(), item->title());
}

void CADesignWindow::displayDesignPanelIndex(int panel, int pad)
{
    if (!isVisible()) {
        CAWindowPlacement::placeInside(this);
        show();
        raise();
    }
    if (panel != -1)
        selectTab(panel, true);
    selectPad(pad, true);
}

int CADesignWindow::currentDesignPanelIndex() const
{
    return m_pages->currentIndex();
}

int CADesignWindow::currentDesignPadIndex() const
{
    return m_pads ? m_pads->currentIndex() : 0;
}

int CADesignWindow::checkedMenuTag() const
{
    const int panel = currentDesignPanelIndex();
    return panel * 100 + 101 + (panel == ImageCollection ? currentDesignPadIndex() : 0);
}

void CADesignWindow::directSearch(const QString &text)
{
    displayDesignPanelIndex(ImageCollection, Clipart);
    CCSearchField *field = m_clipArt->searchField();
    CCSearchFieldCell *cell = field->searchCell();
    if (QAction *internet = cell->menuItemWithTitle(PWLocalizedString(QStringLiteral("Internet"))))
        cell->switchToInternet(internet);
    field->setEmptyString(QString());
    field->setText(text);
    m_clipArt->searchInternet(field);
}

QLineEdit *CADesignWindow::searchField() const
{
    return m_clipArt->searchField();
}

void CADesignWindow::placePicture(const std::shared_ptr<PWImage> &image)
{
    if (CADocView *view = canvas())
        CACanvasPictures::replaceImage(*view, image);
}

void CADesignWindow::refreshArrays()
{
    m_lists.refreshArrays();
    m_templatesModel->reload();
    m_fieldsModel->reload();
}

void CADesignWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    Q_EMIT visibilityChanged(true);
}

void CADesignWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    Q_EMIT visibilityChanged(false);
}
