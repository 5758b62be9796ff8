#include "app/inspector/CACustomFormatEditor.h"

#include "app/document/CAHelpButton.h"

#include "app/inspector/CAAddressFormatGridView.h"
#include "app/inspector/CABeveledBox.h"
#include "app/inspector/CATrashImageView.h"
#include "kernel/address/CAddressFormatController.h"
#include "platform/PWBundle.h"
#include "platform/PWUndoManager.h"
#include "platform/PWUserDefaults.h"

#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QKeyEvent>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

const QString kStoreKey = QStringLiteral("CustomAddressFormat");
const QString kFormatName = QStringLiteral("FormatName");

// The number after the base, read as strtol would: white space, a sign, digits; 0 for none.
int numberAfter(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+'))
        ++i;
    while (i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 128)
        ++i;
    bool ok = false;
    const int value = text.mid(start, i - start).toInt(&ok);
    return ok ? value : 0;
}

QPushButton *button(const QString &key, const QString &name, QWidget *parent)
{
    auto *made = new QPushButton(PWLocalizedString(key), parent);
    made->setObjectName(name);
    made->setAutoDefault(false);
    return made;
}

} // namespace

CACustomFormatEditor::CACustomFormatEditor(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_undo(std::make_unique<PWUndoManager>())
    , m_pages(new QStackedWidget(this))
    , m_table(new QListWidget)
    , m_nameField(new QLineEdit)
    , m_paletteView(new CAAddressFormatGridView(m_grid, CAAddressFormatGridView::Palette))
    , m_layoutView(new CAAddressFormatGridView(m_grid, CAAddressFormatGridView::Layout))
    , m_trash(new CATrashImageView)
{
    setObjectName(QStringLiteral("CustomAddressFormat"));
    setWindowTitle(PWLocalizedString(QStringLiteral("Custom Address Formats")));
    m_undo->setGroupsByEvent(false);
    m_layoutView->setUndoManager(m_undo.get());
    connect(m_layoutView, &CAAddressFormatGridView::layoutChanged, m_paletteView, qOverload<>(&QWidget::update));
    connect(m_paletteView, &CAAddressFormatGridView::layoutChanged, m_layoutView, qOverload<>(&QWidget::update));

    // The list of formats.
    auto *selection = new QWidget;
    auto *selectionLayout = new QVBoxLayout(selection);
    m_table->setObjectName(QStringLiteral("m_custAddrFormatsTableView"));
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    selectionLayout->addWidget(m_table, 1);
    auto *row = new QHBoxLayout;
    m_addButton = button(QStringLiteral("Add"), QStringLiteral("addButton"), selection);
    m_removeButton = button(QStringLiteral("Remove"), QStringLiteral("removeButton"), selection);
    m_editButton = button(QStringLiteral("Edit…"), QStringLiteral("editButton"), selection);
    m_applyButton = button(QStringLiteral("Apply"), QStringLiteral("applyButton"), selection);
    QPushButton *close = button(QStringLiteral("Close"), QStringLiteral("okButton"), selection);
    auto *help = new CAHelpButton(selection);
    help->setObjectName(QStringLiteral("helpButton"));
    help->setPageName(QStringLiteral("designing-a-label.html#custom-formats"));
    row->addWidget(help);
    for (QPushButton *each : {m_addButton, m_removeButton, m_editButton})
        row->addWidget(each);
    row->addStretch(1);
    row->addWidget(m_applyButton);
    row->addWidget(close);
    selectionLayout->addLayout(row);
    connect(m_addButton, &QPushButton::clicked, this, &CACustomFormatEditor::doAddCustomFormat);
    connect(m_removeButton, &QPushButton::clicked, this, &CACustomFormatEditor::doDeleteCustomFormat);
    connect(m_editButton, &QPushButton::clicked, this, &CACustomFormatEditor::doEditCustomFormat);
    connect(m_applyButton, &QPushButton::clicked, this, &CACustomFormatEditor::onApplyButton);
    connect(close, &QPushButton::clicked, this, &CACustomFormatEditor::onOkButton);
    connect(m_table, &QListWidget::itemDoubleClicked, this, &CACustomFormatEditor::doEditCustomFormat);
    connect(m_table, &QListWidget::itemSelectionChanged, this, &CACustomFormatEditor::updateCtrl);

    // The design of one format.
    auto *design = new QWidget;
    auto *designLayout = new QGridLayout(design);
    auto *paletteScroll = new QScrollArea;
    paletteScroll->setWidget(m_paletteView);
    paletteScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    paletteScroll->setFixedWidth(m_paletteView->sizeHint().width() + 24);
    designLayout->addWidget(new QLabel(PWLocalizedString(QStringLiteral("Fields"))), 0, 0);
    // Both grids sit in bevelled boxes, the palette's scroll area without a frame of its own.
    paletteScroll->setFrameShape(QFrame::NoFrame);
    paletteScroll->viewport()->setAutoFillBackground(false);
    auto *paletteBox = new CABeveledBox;
    paletteBox->setObjectName(QStringLiteral("paletteBox"));
    auto *paletteBoxLayout = new QVBoxLayout(paletteBox);
    paletteBoxLayout->setContentsMargins(CABeveledBox::contentViewMargins());
    paletteBoxLayout->addWidget(paletteScroll);
    designLayout->addWidget(paletteBox, 1, 0, 3, 1);
    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(PWLocalizedString(QStringLiteral("Name:"))));
    m_nameField->setObjectName(QStringLiteral("m_customFormatNameField"));
    nameRow->addWidget(m_nameField, 1);
    designLayout->addLayout(nameRow, 0, 1);
    auto *layoutBox = new CABeveledBox;
    layoutBox->setObjectName(QStringLiteral("layoutBox"));
    auto *layoutBoxLayout = new QVBoxLayout(layoutBox);
    layoutBoxLayout->setContentsMargins(CABeveledBox::contentViewMargins());
    layoutBoxLayout->addWidget(m_layoutView);
    designLayout->addWidget(layoutBox, 1, 1, Qt::AlignTop | Qt::AlignLeft);
    auto *hint = new QLabel(PWLocalizedString(
        QStringLiteral("Drag fields into the grid; drag them onto the list or the trash to remove them.")));
    hint->setWordWrap(true);
    designLayout->addWidget(hint, 2, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_trash);
    QPushButton *clear = button(QStringLiteral("Clear"), QStringLiteral("clearButton"), design);
    QPushButton *cancel = button(QStringLiteral("Cancel"), QStringLiteral("designCancelButton"), design);
    QPushButton *ok = button(QStringLiteral("OK"), QStringLiteral("designOkButton"), design);
    buttons->addWidget(clear);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(ok);
    designLayout->addLayout(buttons, 3, 1);
    designLayout->setRowStretch(2, 1);
    connect(clear, &QPushButton::clicked, this, &CACustomFormatEditor::onDesignClearButton);
    connect(cancel, &QPushButton::clicked, this, &CACustomFormatEditor::onDesignCancelButton);
    connect(ok, &QPushButton::clicked, this, &CACustomFormatEditor::onDesignOkButton);
    auto *undo = new QShortcut(QKeySequence::Undo, design);
    connect(undo, &QShortcut::activated, this, [this] {
        if (m_undo->canUndo()) {
            m_undo->undo();
            m_layoutView->update();
        }
    });
    auto *redo = new QShortcut(QKeySequence::Redo, design);
    connect(redo, &QShortcut::activated, this, [this] {
        if (m_undo->canRedo()) {
            m_undo->redo();
            m_layoutView->update();
        }
    });

    m_pages->addWidget(selection);
    m_pages->addWidget(design);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pages);

    m_grid.initWithDefaultTemplate();
    reloadTable();
    displaySelectionView();
    m_addButton->setFocus();
}

CACustomFormatEditor::~CACustomFormatEditor() = default;

PWPlist::Array CACustomFormatEditor::storedFormats()
{
    return PWUserDefaults::standardUserDefaults().arrayForKey(kStoreKey);
}

void CACustomFormatEditor::store(const PWPlist::Array &formats)
{
    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    defaults.setObject(kStoreKey, PWPlist(formats));
    defaults.synchronize();
}

QString CACustomFormatEditor::nextUntitledName(const QString &base, const PWPlist::Array &stored)
{
    int largest = -1;
    for (const PWPlist &format : stored) {
        const QString name = format.value(kFormatName).toString();
        if (name.startsWith(base))
            largest = std::max(largest, numberAfter(name.mid(base.size())));
    }
    return largest < 0 ? base : base + QString::number(largest + 1);
}

void CACustomFormatEditor::storedChanged()
{
    CAddressFormatController::sharedAddressFormatController().reloadCustomFormats();
    if (m_validate)
        m_validate();
}

void CACustomFormatEditor::reloadTable()
{
    m_table->clear();
    for (const PWPlist &format : storedFormats())
        m_table->addItem(format.value(kFormatName).toString());
    updateCtrl();
}

int CACustomFormatEditor::selectedRow() const
{
    const QList<QListWidgetItem *> selected = m_table->selectedItems();
    return selected.isEmpty() ? -1 : m_table->row(selected.first());
}

void CACustomFormatEditor::selectRow(int row)
{
    if (row < 0 || row >= m_table->count()) {
        m_table->clearSelection();
        return;
    }
    m_table->setCurrentRow(row);
    m_table->scrollToItem(m_table->item(row));
}

void CACustomFormatEditor::updateCtrl()
{
    const bool any = m_table->count() > 0;
    m_removeButton->setEnabled(any);
    m_editButton->setEnabled(any);
    m_applyButton->setEnabled(selectedRow() >= 0);
}

int CACustomFormatEditor::currentPage() const
{
    return m_pages->currentIndex();
}

void CACustomFormatEditor::displaySelectionView()
{
    m_pages->setCurrentIndex(kSelectionPage);
    resize(440, 300);
}

void CACustomFormatEditor::displayTemplateView()
{
    m_pages->setCurrentIndex(kTemplatePage);
    resize(std::max(599, m_pages->widget(kTemplatePage)->sizeHint().width()),
           std::max(433, m_pages->widget(kTemplatePage)->sizeHint().height()));
    m_nameField->setFocus();
}

void CACustomFormatEditor::doAddCustomFormat()
{
    PWPlist::Array stored = storedFormats();
    const QString name = nextUntitledName(PWLocalizedString(QStringLiteral("Untitled")), stored);
    PWPlist::Dictionary entry;
    entry.insert(kFormatName, PWPlist::fromString(name));
    entry.insert(QStringLiteral("Date"), PWPlist::fromDate(QDateTime::currentDateTimeUtc()));
    stored.append(PWPlist(entry));
    store(stored);
    reloadTable();
    m_grid.initWithDefaultTemplate();
    m_undo->removeAllActions();
    m_editingCustomFormatIndex = static_cast<int>(stored.size()) - 1;
    selectRow(m_editingCustomFormatIndex);
    m_nameField->setText(name);
    displayTemplateView();
    m_isAddNew = true;
}

void CACustomFormatEditor::doEditCustomFormat()
{
    const int row = selectedRow();
    if (row < 0 || !m_grid.initWithFormatAtIndex(row))
        return;
    m_undo->removeAllActions();
    m_editingCustomFormatIndex = row;
    m_nameField->setText(storedFormats().at(row).value(kFormatName).toString());
    displayTemplateView();
    m_isAddNew = false;
}

void CACustomFormatEditor::doDeleteCustomFormat()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    m_editingCustomFormatIndex = row;
    PWPlist::Array stored = storedFormats();
    if (row < stored.size()) {
        stored.removeAt(row);
        store(stored);
    }
    reloadTable();
    if (m_editingCustomFormatIndex >= m_table->count())
        m_editingCustomFormatIndex = m_table->count() - 1;
    selectRow(m_editingCustomFormatIndex);
    storedChanged();
    updateCtrl();
}

void CACustomFormatEditor::onDesignOkButton()
{
    PWPlist::Array stored = storedFormats();
    const PWPlist::Dictionary description = m_grid.getFormatDesc(m_nameField->text());
    if (m_editingCustomFormatIndex >= 0 && m_editingCustomFormatIndex < stored.size())
        stored[m_editingCustomFormatIndex] = PWPlist(description);
    store(stored);
    storedChanged();
    m_isAddNew = false;
    reloadTable();
    selectRow(m_editingCustomFormatIndex);
    displaySelectionView();
}

void CACustomFormatEditor::onDesignCancelButton()
{
    if (m_isAddNew) {
        selectRow(m_editingCustomFormatIndex);
        doDeleteCustomFormat();
        m_isAddNew = false;
    }
    displaySelectionView();
}

void CACustomFormatEditor::onDesignClearButton()
{
    m_grid.clearTemplate(m_undo.get());
    m_layoutView->update();
}

void CACustomFormatEditor::onApplyButton()
{
    const int row = selectedRow();
    m_editingCustomFormatIndex = row;
    close();
    const PWPlist::Array stored = storedFormats();
    if (row < 0 || row >= stored.size() || !m_apply)
        return;
    PWPlist::Dictionary marker;
    marker.insert(QStringLiteral("index"), PWPlist::fromInteger(row));
    marker.insert(QStringLiteral("title"), PWPlist::fromString(stored.at(row).value(kFormatName).toString()));
    m_apply(PWPlist(marker));
}

void CACustomFormatEditor::onOkButton()
{
    close();
}

void CACustomFormatEditor::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Escape || event->modifiers() != Qt::NoModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (currentPage() == kTemplatePage)
        onDesignCancelButton();
    else
        onOkButton();
}
