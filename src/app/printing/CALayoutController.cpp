#include "app/printing/CALayoutController.h"

#include "kernel/merge/CADocument.h"
#include "app/printing/CAPrinterChoice.h"
#include "app/printing/CATemplateTableModel.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/printing/CAEnvironmentLayout.h"
#include "platform/PWBundle.h"
#include "platform/PWNotificationCenter.h"
#include "platform/PWUserDefaults.h"

#include <QPrinterInfo>
#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>

const QString CALayoutController::UpdateNextButtonInAssistant = QStringLiteral("Update Next Button In Assistant");

namespace {

const QString kLabelManufacturer = QStringLiteral("FTLabelManufacturer");
const QString kLabelCategory = QStringLiteral("FTLabelCategory");
const QString kLabelPaperSize = QStringLiteral("FTLabelPaperSize");
const QString kEnvelopeType = QStringLiteral("FTEnvelopeType");
const QString kPostcardManufacturer = QStringLiteral("FTPostcardManufacturer");
const QString kPostcardPaperSize = QStringLiteral("FTPostcardPaperSize");

QString titleOf(const QComboBox *popup)
{
    return popup && popup->currentIndex() >= 0 ? popup->currentText() : QString();
}

// A pop-up's choice as a filter title: empty for a missing pop-up or "All" (its first item).
QString filterTitle(const QComboBox *popup)
{
    return popup && popup->currentIndex() > 0 ? popup->currentText() : QString();
}

void selectTitle(QComboBox *popup, const QString &title)
{
    if (!popup)
        return;
    const int index = popup->findText(title, Qt::MatchExactly);
    if (index >= 0)
        popup->setCurrentIndex(index);
}

void fillPopup(QComboBox *popup, const QStringList &titles)
{
    if (!popup)
        return;
    const QSignalBlocker blocker(popup);
    popup->clear();
    for (const QString &title : titles) {
        if (title.isNull())
            popup->insertSeparator(popup->count());
        else
            popup->addItem(title);
    }
}

// A control of the form by its object name; null when the form has none.
template<typename T>
T *outlet(QWidget *root, const char *name)
{
    return root ? root->findChild<T *>(QLatin1String(name)) : nullptr;
}

void setEnabled(QWidget *widget, bool enabled)
{
    if (widget)
        widget->setEnabled(enabled);
}

} // namespace

CALayoutController::CALayoutController(QObject *parent)
    : QObject(parent)
{
    for (CATemplateTableModel *&model : m_models)
        model = new CATemplateTableModel(this);
    m_models[StandardTable]->setSource(&m_filteredLayouts);
}

CALayoutController::~CALayoutController() = default;

void CALayoutController::bindControls(QWidget *root)
{
    m_root = root;
    _tabView = outlet<QTabWidget>(root, "_tabView");
    _tableView = outlet<QTableView>(root, "_tableView");
    _tableCustomView = outlet<QTableView>(root, "_tableCustomView");
    _tableRecentView = outlet<QTableView>(root, "_tableRecentView");
    _categoryPopup = outlet<QComboBox>(root, "_categoryPopup");
    _manufacturerPopup = outlet<QComboBox>(root, "_manufacturerPopup");
    _paperSizePopup = outlet<QComboBox>(root, "_paperSizePopup");
    _typePopup = outlet<QComboBox>(root, "_typePopup");
    _btnCreateNew = outlet<QAbstractButton>(root, "_btnCreateNew");
    _btnDuplicate = outlet<QAbstractButton>(root, "_btnDuplicate");
    _btnEdit = outlet<QAbstractButton>(root, "_btnEdit");
    _btnDelete = outlet<QAbstractButton>(root, "_btnDelete");
    _btnCreateCustom = outlet<QAbstractButton>(root, "_btnCreateCustom");
    _chkUseWindow = outlet<QCheckBox>(root, "_chkUseWindow");
    _btnOK = outlet<QAbstractButton>(root, "_btnOK");
    _btnCancel = outlet<QAbstractButton>(root, "_btnCancel");
    _search = outlet<QLineEdit>(root, "_search");

    if (QWidget *matrix = outlet<QWidget>(root, "_orientationMatrix")) {
        _orientationMatrix = new QButtonGroup(this);
        for (QRadioButton *cell : matrix->findChildren<QRadioButton *>())
            _orientationMatrix->addButton(cell, cell->property("tag").toInt());
        connect(_orientationMatrix, &QButtonGroup::idClicked, this, &CALayoutController::orientationMatrix);
    }

    const Table tables[] = {StandardTable, CustomTable, RecentTable};
    for (Table table : tables) {
        QTableView *view = tableView(table);
        if (!view)
            continue;
        view->setModel(m_models[table]);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->verticalHeader()->hide();
        // One line a template, so that long lists stay quick to scan and to lay out.
        view->setWordWrap(false);
        view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
        // The room a wide window gives goes to the descriptions, the one column whose texts run
        // long; the sizes are all of one short form.
        view->horizontalHeader()->setStretchLastSection(false);
        view->horizontalHeader()->setSectionResizeMode(CATemplateTableModel::DescriptionColumn, QHeaderView::Stretch);
        connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this, table] { tableViewSelectionDidChange(table); });
    }
    if (_manufacturerPopup)
        connect(_manufacturerPopup, &QComboBox::activated, this, &CALayoutController::manufacturerPopup);
    if (_paperSizePopup)
        connect(_paperSizePopup, &QComboBox::activated, this, &CALayoutController::paperSizePopup);
    if (_typePopup)
        connect(_typePopup, &QComboBox::activated, this, &CALayoutController::typePopup);
    if (_categoryPopup)
        connect(_categoryPopup, &QComboBox::activated, this, &CALayoutController::categoryPopup);
    if (_btnCreateNew)
        connect(_btnCreateNew, &QAbstractButton::clicked, this, [this] { btnCreateCustom(0); });
    if (_btnCreateCustom)
        connect(_btnCreateCustom, &QAbstractButton::clicked, this, [this] { btnCreateCustom(kFromSelectedTag); });
    if (_btnDuplicate)
        connect(_btnDuplicate, &QAbstractButton::clicked, this, &CALayoutController::btnDuplicate);
    if (_btnEdit)
        connect(_btnEdit, &QAbstractButton::clicked, this, &CALayoutController::btnEdit);
    if (_btnDelete)
        connect(_btnDelete, &QAbstractButton::clicked, this, &CALayoutController::btnDelete);
    if (_btnOK)
        connect(_btnOK, &QAbstractButton::clicked, this, &CALayoutController::btnOK);
    if (_btnCancel)
        connect(_btnCancel, &QAbstractButton::clicked, this, &CALayoutController::btnCancel);
    if (_search)
        connect(_search, &QLineEdit::textChanged, this, &CALayoutController::searchID);
    if (_tableCustomView)
        connect(_tableCustomView, &QAbstractItemView::doubleClicked, this, &CALayoutController::btnEdit);
    for (QAbstractButton *button : {_btnDuplicate.data(), _btnEdit.data(), _btnDelete.data(), _btnCreateCustom.data()})
        setEnabled(button, false);

    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    if (!defaults.hasStoredValue(kLabelCategory))
        defaults.setString(kLabelCategory, PWLocalizedString(QStringLiteral("Mailing Labels (All)")));
    if (!defaults.hasStoredValue(kLabelManufacturer))
        defaults.setString(kLabelManufacturer, PWLocalizedString(QStringLiteral("All")));
    if (!defaults.hasStoredValue(kLabelPaperSize))
        defaults.setString(kLabelPaperSize, PWLocalizedString(QStringLiteral("All")));
}

QTableView *CALayoutController::tableView(Table table) const
{
    switch (table) {
    case StandardTable:
        return _tableView;
    case CustomTable:
        return _tableCustomView;
    case RecentTable:
        return _tableRecentView;
    }
    return nullptr;
}

CATemplateTableModel *CALayoutController::model(Table table) const
{
    return m_models[table];
}

const CALayoutController::TemplateList *CALayoutController::listOf(Table table) const
{
    return m_models[table]->source();
}

int CALayoutController::selectedRow(Table table) const
{
    const QTableView *view = tableView(table);
    if (!view || !view->selectionModel())
        return -1;
    const QModelIndexList rows = view->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

CALayoutController::TemplatePtr CALayoutController::selectedTemplate(Table table) const
{
    return m_models[table]->templateAt(selectedRow(table));
}

void CALayoutController::selectRow(Table table, int row)
{
    QTableView *view = tableView(table);
    if (!view)
        return;
    if (row < 0 || row >= m_models[table]->rowCount()) {
        view->selectionModel()->clearSelection();
        return;
    }
    const QModelIndex index = m_models[table]->index(row, 0);
    view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(index);
}

void CALayoutController::reloadTable(Table table)
{
    m_models[table]->reload();
    // A reset drops the selection without telling anyone; the buttons must follow.
    if (tableView(table))
        tableViewSelectionDidChange(table);
}

void CALayoutController::ensureRecentList()
{
    if (m_recentLayouts)
        return;
    // Until a recent list was stored once there is none to add to: store the empty one.
    CATemplateFormat::saveRecentLayouts(m_docType);
    m_recentLayouts = CATemplateFormat::recentLayouts(m_docType);
    m_models[RecentTable]->setSource(m_recentLayouts);
}

void CALayoutController::notifyLayoutChanged(int delta) const
{
    if (m_layoutChanged)
        m_layoutChanged(delta);
}

// --- set-up -------------------------------------------------------------------------------------

void CALayoutController::fillPopups()
{
    const TemplateList empty;
    const TemplateList &predef = m_predefLayouts ? *m_predefLayouts : empty;
    fillPopup(_manufacturerPopup, CATemplateFilter::manufacturerTitles(predef));
    fillPopup(_categoryPopup, CATemplateFilter::categoryTitles(predef));
    fillPopup(_paperSizePopup, CATemplateFilter::paperSizeTitles(predef));
    fillPopup(_typePopup, CATemplateFilter::typeTitles(predef));
}

void CALayoutController::setupFromDocument(CADocument *document)
{
    m_document = document;
    m_docType = document ? int(document->docType()) : 0;
    m_predefLayouts = CATemplateFormat::predefLayouts(m_docType);
    m_customLayouts = CATemplateFormat::customLayouts(m_docType);
    m_recentLayouts = CATemplateFormat::recentLayouts(m_docType);
    m_models[CustomTable]->setSource(m_customLayouts);
    m_models[RecentTable]->setSource(m_recentLayouts);
    m_originalLayout.reset();
    if (document)
        m_originalLayout = CALayoutState::of(*document);

    fillPopups();
    selectPopups();
    updateFilteredAll();
    selectRow(CustomTable, -1);
    selectRow(StandardTable, -1);
    if (!document || !document->ftDocument())
        return;

    const CATemplateFormat current = CATemplateFormat::initFromDocument(*document->ftDocument());
    if (document->isPredefLayout()) {
        const TemplatePtr predefined = CATemplateFormat::findPredefLayoutFormat(m_docType, current);
        const int row = m_models[StandardTable]->rowOf(predefined);
        if (predefined && row >= 0) {
            setEnabled(_btnCreateCustom, true);
            selectRow(StandardTable, row);
            selectRow(CustomTable, -1);
            if (_chkUseWindow)
                _chkUseWindow->setChecked(current.hasWindow());
            return;
        }
    }
    TemplatePtr custom = CATemplateFormat::findCustomLayoutFormat(m_docType, current);
    if (!custom) {
        addLayout(nullptr, true);
        custom = CATemplateFormat::findCustomLayoutFormat(m_docType, current);
    }
    selectRow(StandardTable, -1);
    selectRow(CustomTable, m_models[CustomTable]->rowOf(custom));
    setEnabled(_btnCreateCustom, false);
}

void CALayoutController::followLists()
{
    const TemplatePtr custom = selectedTemplate(CustomTable);
    m_customLayouts = CATemplateFormat::customLayouts(m_docType);
    m_recentLayouts = CATemplateFormat::recentLayouts(m_docType);
    m_models[CustomTable]->setSource(m_customLayouts);
    m_models[RecentTable]->setSource(m_recentLayouts);
    selectRow(CustomTable, custom ? m_models[CustomTable]->rowOf(custom) : -1);
    // The recent row shows the layout chosen in the other tables, as a choice there always does.
    TemplatePtr chosen = selectedTemplate(StandardTable);
    if (!chosen)
        chosen = selectedTemplate(CustomTable);
    selectRow(RecentTable, chosen ? m_models[RecentTable]->rowOf(chosen) : -1);
}

void CALayoutController::setupFromAssistant(int documentType)
{
    m_document = nullptr;
    m_originalLayout.reset();
    m_docType = documentType;
    m_predefLayouts = CATemplateFormat::predefLayouts(m_docType);
    m_customLayouts = CATemplateFormat::customLayouts(m_docType);
    m_recentLayouts = CATemplateFormat::recentLayouts(m_docType);
    m_models[CustomTable]->setSource(m_customLayouts);
    m_models[RecentTable]->setSource(m_recentLayouts);
    fillPopups();
    selectPopups();
    updateFilteredAll();
    selectRow(CustomTable, -1);
    selectRow(StandardTable, -1);

    const TemplatePtr shown =
        m_recentLayouts && !m_recentLayouts->isEmpty() ? m_recentLayouts->first() : defaultLayout(m_docType);
    if (_chkUseWindow)
        _chkUseWindow->setChecked(false);
    const int row = m_models[StandardTable]->rowOf(shown);
    selectRow(StandardTable, row >= 0 ? row : 0);
}

void CALayoutController::selectPopups()
{
    const PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    const auto restore = [&defaults](QComboBox *popup, const QString &key) {
        const QString stored = defaults.stringForKey(key);
        selectTitle(popup, stored.isEmpty() ? QStringLiteral("All") : stored);
    };
    switch (m_docType) {
    case dtLabel:
        restore(_manufacturerPopup, kLabelManufacturer);
        restore(_categoryPopup, kLabelCategory);
        restore(_paperSizePopup, kLabelPaperSize);
        break;
    case dtEnvelope:
        restore(_typePopup, kEnvelopeType);
        break;
    case dtPostcard:
        restore(_manufacturerPopup, kPostcardManufacturer);
        restore(_paperSizePopup, kPostcardPaperSize);
        break;
    default:
        break;
    }
    updateFilteredAll();
    updateControls();
}

void CALayoutController::setPopups()
{
    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    const auto store = [&defaults](const QComboBox *popup, const QString &key) {
        if (popup && popup->currentIndex() >= 0)
            defaults.setString(key, titleOf(popup));
    };
    switch (m_docType) {
    case dtLabel:
        store(_manufacturerPopup, kLabelManufacturer);
        store(_paperSizePopup, kLabelPaperSize);
        store(_categoryPopup, kLabelCategory);
        break;
    case dtEnvelope:
        store(_typePopup, kEnvelopeType);
        break;
    case dtPostcard:
        store(_manufacturerPopup, kPostcardManufacturer);
        store(_paperSizePopup, kPostcardPaperSize);
        break;
    default:
        break;
    }
}

void CALayoutController::selectCategory(const QString &title)
{
    if (!_categoryPopup)
        return;
    const int index = _categoryPopup->findText(title, Qt::MatchExactly);
    if (index < 0)
        return;
    _categoryPopup->setCurrentIndex(index);
    updateFilteredAll();
}

bool CALayoutController::isCategoryWithOutDesign() const
{
    if (!_categoryPopup)
        return false;
    const int selected = _categoryPopup->currentIndex();
    if (selected < 0 || selected >= _categoryPopup->count())
        return false;
    int separators = 0;
    for (int i = 0; i < selected; ++i)
        if (_categoryPopup->itemData(i, Qt::AccessibleDescriptionRole).toString() == QLatin1String("separator"))
            ++separators;
    return separators == 1;
}

CATemplateFilter CALayoutController::currentFilter() const
{
    CATemplateFilter filter;
    filter.setManufacturer(filterTitle(_manufacturerPopup));
    filter.setPaperSize(filterTitle(_paperSizePopup));
    filter.setType(filterTitle(_typePopup));
    if (_categoryPopup && _categoryPopup->currentIndex() >= 0
        && _categoryPopup->currentIndex() != _categoryPopup->count() - 1) {
        if (_categoryPopup->currentIndex() == 0)
            filter.setCategory(CATemplateFilter::CategoryMode::MailingAll);
        else
            filter.setCategory(CATemplateFilter::CategoryMode::Title, _categoryPopup->currentText());
    }
    filter.setText(m_filterString);
    return filter;
}

// --- the lists ----------------------------------------------------------------------------------

void CALayoutController::updateFilteredAll()
{
    const TemplatePtr remembered = selectedTemplate(StandardTable);
    m_filteredLayouts = m_predefLayouts ? currentFilter().filtered(*m_predefLayouts) : TemplateList();
    reloadTable(StandardTable);
    if (!remembered)
        return;
    const int row = m_models[StandardTable]->rowOf(remembered);
    selectRow(StandardTable, row >= 0 ? row : 0);
}

void CALayoutController::setFilter(const QString &text)
{
    m_filterString = text;
    updateFilteredAll();
}

void CALayoutController::searchID(const QString &text)
{
    const TemplatePtr found = CATemplateFilter::searchID(m_filteredLayouts, text);
    setFilter(text);
    if (found)
        selectRow(StandardTable, m_models[StandardTable]->rowOf(found));
}

void CALayoutController::updateControls()
{
    if (!m_document || !m_document->ftDocument() || !_orientationMatrix)
        return;
    const int tag = m_document->ftDocument()->IsHorizontal(0) ? 0 : 1;
    if (QAbstractButton *cell = _orientationMatrix->button(tag))
        cell->setChecked(true);
}

CALayoutController::TemplatePtr CALayoutController::addLayout(const TemplatePtr &format, bool createNew)
{
    if (!m_customLayouts)
        return nullptr;
    TemplatePtr stored;
    if (format)
        stored = std::make_shared<CATemplateFormat>(*format);
    else if (m_document && m_document->ftDocument())
        stored = std::make_shared<CATemplateFormat>(CATemplateFormat::initFromDocument(*m_document->ftDocument()));
    else
        return nullptr;
    // A custom template belongs to the kind and is the user's own, whatever it was made from.
    stored->setPredef(false);
    stored->setDocumentType(m_docType);

    int row = selectedRow(CustomTable);
    if (createNew || row < 0 || row >= m_customLayouts->size()) {
        m_customLayouts->append(stored);
        row = int(m_customLayouts->size()) - 1;
    } else {
        // The edited template keeps its identity, so that the recent list shows the change too.
        *m_customLayouts->at(row) = *stored;
        stored = m_customLayouts->at(row);
        selectRow(CustomTable, -1);
    }
    reloadTable(CustomTable);
    reloadTable(RecentTable);
    selectRow(CustomTable, row);
    return stored;
}

QString CALayoutController::generateName(const QString &name) const
{
    return CATemplateFilter::generateName(name, m_customLayouts ? *m_customLayouts : TemplateList());
}

bool CALayoutController::windowChecked() const
{
    return _chkUseWindow && _chkUseWindow->isEnabled() && _chkUseWindow->isChecked();
}

bool CALayoutController::horizontalChosen() const
{
    return !_orientationMatrix || _orientationMatrix->checkedId() == 0;
}

CALayoutController::TemplatePtr CALayoutController::chosenTemplate(bool *standard) const
{
    *standard = true;
    if (const TemplatePtr selected = selectedTemplate(StandardTable))
        return selected;
    *standard = false;
    if (const TemplatePtr selected = selectedTemplate(CustomTable))
        return selected;
    // A recent template the menus keep out of the standard list is still the user's choice.
    const TemplatePtr recent = selectedTemplate(RecentTable);
    *standard = recent && recent->isPredef();
    return recent;
}

CALayoutController::TemplatePtr CALayoutController::getSelectedFormat() const
{
    bool standard = false;
    const TemplatePtr chosen = chosenTemplate(&standard);
    if (!chosen)
        return nullptr;
    auto copy = std::make_shared<CATemplateFormat>(*chosen);
    if (standard) {
        copy->setHasWindow(windowChecked());
        copy->setHorizontal(horizontalChosen());
    }
    return copy;
}

void CALayoutController::applyForDocument(CADocument &document)
{
    bool standard = false;
    const TemplatePtr chosen = chosenTemplate(&standard);
    if (!chosen)
        return;
    ensureRecentList();
    if (m_recentLayouts) {
        m_recentLayouts->removeAll(chosen);
        m_recentLayouts->prepend(chosen);
    }
    if (standard) {
        CATemplateFormat copy = *chosen;
        // A check box left ticked for another template does not give this one a window.
        if (_chkUseWindow)
            copy.setHasWindow(windowChecked());
        if (_orientationMatrix)
            copy.setHorizontal(horizontalChosen());
        else if (document.ftDocument())
            copy.setHorizontal(document.ftDocument()->IsHorizontal(0));
        document.setLayoutArangeComponents(copy, true);
    } else {
        document.setLayoutArangeComponents(*chosen, false);
    }
    reloadTable(RecentTable);
    CATemplateFormat::saveCustomLayouts();
    CATemplateFormat::saveRecentLayouts();
}

// --- actions ------------------------------------------------------------------------------------

void CALayoutController::manufacturerPopup()
{
    updateFilteredAll();
}

void CALayoutController::paperSizePopup()
{
    updateFilteredAll();
}

void CALayoutController::typePopup()
{
    updateFilteredAll();
}

void CALayoutController::categoryPopup()
{
    updateFilteredAll();
    PWNotificationCenter::defaultCenter().postNotification(UpdateNextButtonInAssistant, nullptr);
}

void CALayoutController::btnCreateCustom(int tag)
{
    const TemplatePtr source = tag == kFromSelectedTag ? selectedTemplate(StandardTable) : defaultLayout(m_docType);
    if (!source)
        return;
    auto copy = std::make_shared<CATemplateFormat>(*source);
    copy->setID(generateName(source->ID() + QLatin1Char(' ') + PWLocalizedString(QStringLiteral("Copy"))));
    copy->setDescription(QString());
    copy->setPredef(false);
    startEditor(copy, true);
}

void CALayoutController::btnDuplicate()
{
    const int row = selectedRow(CustomTable);
    if (!m_customLayouts || row < 0 || row >= m_customLayouts->size())
        return;
    auto copy = std::make_shared<CATemplateFormat>(*m_customLayouts->at(row));
    copy->setID(generateName(copy->ID()));
    m_customLayouts->insert(row + 1, copy);
    reloadTable(CustomTable);
    selectRow(CustomTable, row + 1);
}

void CALayoutController::btnEdit()
{
    if (const TemplatePtr custom = selectedTemplate(CustomTable))
        startEditor(std::make_shared<CATemplateFormat>(*custom), false);
}

void CALayoutController::btnDelete()
{
    const int row = selectedRow(CustomTable);
    if (!m_customLayouts || row < 0 || row >= m_customLayouts->size())
        return;
    const TemplatePtr doomed = m_customLayouts->at(row);
    if (m_recentLayouts)
        m_recentLayouts->removeAll(doomed);
    m_customLayouts->removeAt(row);
    reloadTable(RecentTable);
    reloadTable(CustomTable);
    if (!m_customLayouts->isEmpty())
        selectRow(CustomTable, std::min<int>(row, int(m_customLayouts->size()) - 1));
}

void CALayoutController::btnOK()
{
    bool isStandard = false;
    const TemplatePtr chosen = chosenTemplate(&isStandard);
    const TemplatePtr standard = isStandard ? chosen : nullptr;
    if (chosen)
        ensureRecentList();
    if (chosen && m_recentLayouts) {
        m_recentLayouts->removeAll(chosen);
        m_recentLayouts->prepend(chosen);
        reloadTable(RecentTable);
        selectRow(RecentTable, 0);
    }
    if (chosen && m_document) {
        CATemplateFormat applied = *chosen;
        if (standard) {
            applied.setHasWindow(windowChecked());
            applied.setHorizontal(horizontalChosen());
        }
        const CALayoutState before = m_originalLayout ? *m_originalLayout : CALayoutState::of(*m_document);
        setLayoutUndoably(*m_document, CALayoutState::forTemplate(applied), before, m_layoutChanged);
        m_originalLayout = CALayoutState::of(*m_document);
    }
    if (m_document) {
        CAPrinterChoice::autoSelectPrinter(*m_document, CAPrinterChoice::systemPrinters());
        m_document->setupPrintInfo(false);
    }
    CATemplateFormat::saveCustomLayouts();
    CATemplateFormat::saveRecentLayouts();
    layoutOK();
}

void CALayoutController::btnCancel()
{
    // The orientation is shown on the page while the user chooses; Cancel takes it back.
    if (m_document && m_document->ftDocument() && m_originalLayout
        && m_document->ftDocument()->IsHorizontal(0) != m_originalLayout->format.isHorizontal()) {
        m_document->ftDocument()->SetHorizontal(m_originalLayout->format.isHorizontal(), 0);
        notifyLayoutChanged(0);
    }
    layoutCancel();
}

void CALayoutController::orientationMatrix(int tag)
{
    if (!m_document || !m_document->ftDocument())
        return;
    m_document->ftDocument()->SetHorizontal(tag == 0, 0);
    notifyLayoutChanged(0);
}

void CALayoutController::startEditor(const TemplatePtr &format, bool createNew)
{
    addLayout(format, createNew);
}

void CALayoutController::tableViewSelectionDidChange(Table table)
{
    // Selecting one table selects in the others, which report back; one round is enough.
    if (m_selectionDepth > 4)
        return;
    ++m_selectionDepth;
    const TemplatePtr selected = selectedTemplate(table);
    switch (table) {
    case CustomTable:
        for (QAbstractButton *button : {_btnDuplicate.data(), _btnEdit.data(), _btnDelete.data()})
            setEnabled(button, selected != nullptr);
        if (selected) {
            selectRow(RecentTable, m_models[RecentTable]->rowOf(selected));
            selectRow(StandardTable, -1);
        }
        break;
    case RecentTable:
        if (selected) {
            const int standardRow = m_models[StandardTable]->rowOf(selected);
            if (standardRow >= 0) {
                selectRow(StandardTable, standardRow);
                selectRow(CustomTable, -1);
            } else {
                selectRow(StandardTable, -1);
                if (!selected->isPredef())
                    selectRow(CustomTable, m_models[CustomTable]->rowOf(selected));
                else
                    setEnabled(_chkUseWindow, selected->hasWindow());
            }
        }
        break;
    case StandardTable:
        if (!selected) {
            setEnabled(_btnCreateCustom, false);
        } else {
            setEnabled(_chkUseWindow, selected->hasWindow());
            setEnabled(_btnCreateCustom, !selected->isLabelRoll());
            selectRow(RecentTable, m_models[RecentTable]->rowOf(selected));
            selectRow(CustomTable, -1);
        }
        break;
    }
    --m_selectionDepth;
}
