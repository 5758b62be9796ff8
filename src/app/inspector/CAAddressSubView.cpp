#include "app/inspector/CAAddressSubView.h"

#include "app/canvas/CACanvasAddressEdits.h"
#include "app/canvas/CACanvasBarcode.h"
#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CADocView.h"
#include "app/inspector/CAColorWell.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/base/CDDColor.h"
#include "kernel/component/CFTDefComponentText.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "platform/PWBundle.h"
#include "platform/PWUserDefaults.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QSlider>
#include <QToolButton>

#include <cmath>

namespace {

CDDColor colorOf(const QColor &color)
{
    return CDDColor(float(color.redF()), float(color.greenF()), float(color.blueF()), float(color.alphaF()));
}

QColor shownColor(const CDDColor *color, bool can)
{
    return can && color ? color->toQColor() : QColor(Qt::transparent);
}

bool isPanel(const CFTComponent *component);

// The colour the characters come out in: a panel's is the style it gives its fields, the
// defaults' the style new texts take; not the outline colour either keeps beside it.
CDDColor textColorOf(CFTComponent *shown)
{
    CDDText *text = isPanel(shown)
        ? const_cast<CFTDefComponentText &>(static_cast<CFTAAddressPanel *>(shown)->defaultText()).GetText()
        : shown->GetText();
    if (!text)
        return shown->GetTextColor() ? *shown->GetTextColor() : CDDColor(0.0f, 0.0f, 0.0f, 1.0f);
    CDDColor color;
    text->getTextColor(color);
    return color;
}

// The mark of a field shown in some of its places only.
QIcon mixedMark()
{
    QPixmap mark(12, 12);
    mark.fill(Qt::transparent);
    QPainter painter(&mark);
    painter.fillRect(QRect(2, 5, 8, 2), Qt::black);
    return QIcon(mark);
}

bool isPanel(const CFTComponent *component)
{
    return component && component->getClassID() == ciAddressPanel;
}

} // namespace

CAAddressSubView::CAAddressSubView(QWidget *parent)
    : CAInspectorPane(parent)
{
}

addressType CAAddressSubView::addressTypeForTag(int tag)
{
    // The item tagged 0 stands for the main address like every other item for its own type.
    switch (tag) {
    case adMain:
    case adWork:
    case adHome:
    case adOther:
        return addressType(tag);
    default:
        return adOther;
    }
}

Qt::CheckState CAAddressSubView::stateForMode(fieldMode mode)
{
    if (mode == fmWhenFilled)
        return Qt::Checked;
    if (mode == fmNever)
        return Qt::Unchecked;
    return Qt::PartiallyChecked;
}

QList<CAAddressSubView::FieldEntry> CAAddressSubView::fieldEntries(const std::vector<CFTComponent *> &selected)
{
    QList<FieldEntry> entries;
    for (CFTComponent *component : selected) {
        auto *panel = isPanel(component) ? static_cast<CFTAAddressPanel *>(component) : nullptr;
        if (!panel || !panel->getFormat())
            continue;
        // The walk keeps its place inside the format: walk a copy, never the panel's own.
        const std::unique_ptr<CAddressFormat> format = panel->getFormat()->clone();
        if (!format->initEnumeration())
            continue;
        do {
            while (CAddressFormat *field = format->nextObjectInRow()) {
                const textCategory category = field->getTextCategory();
                if (category == tcBarcode || category == tcNone)
                    continue;
                const bool listed = std::any_of(entries.begin(), entries.end(),
                                                [category](const FieldEntry &entry) { return entry.category == category; });
                if (listed)
                    continue;
                const CDDString *label = format->labelForKey(category);
                entries.append({category, label ? label->getData() : QString(), panel->getMode(category)});
            }
        } while (format->nextRow());
    }
    return entries;
}

bool CAAddressSubView::barcodeAllowed(const CFTAAddressPanel *panel)
{
    return CACanvasBarcode::allowed(panel);
}

void CAAddressSubView::awakeFromNib()
{
    _textColorWell = control<CAColorWell>("_textColorWell");
    _backColorWell = control<CAColorWell>("_backColorWell");
    _backColorCheckbox = control<QCheckBox>("_backColorCheckbox");
    _textSizeSlider = control<QSlider>("_textSizeSlider");
    _textSizeTextField = control<QLineEdit>("_textSizeTextField");
    _capitalizeButton = control<QCheckBox>("_capitalizeButton");
    _fieldsListButton = control<QToolButton>("_fieldsListButton");
    _addressSourceButton = control<QComboBox>("_addressSourceButton");
    _preferredButton = control<QCheckBox>("_preferredButton");
    _showAllFieldsButton = control<QCheckBox>("_showAllFieldsButton");
    _barcodeCheckbox = control<QCheckBox>("_barcodeCheckbox");

    _alignHRagio = new QButtonGroup(this);
    _fieldModeButton = new QButtonGroup(this);
    _barcodeRadio = new QButtonGroup(this);
    const char *alignCells[] = {"_alignLeft", "_alignCenter", "_alignRight"};
    const char *modeCells[] = {"_fieldModeShown", "_fieldModeAlways", "_fieldModeHidden"};
    const char *barcodeCells[] = {"_barcodeAbove", "_barcodeBelow", "_barcodeApart"};
    for (int tag = 0; tag < 3; ++tag) {
        auto *align = control<QAbstractButton>(alignCells[tag]);
        _alignHRagio->addButton(align, tag);
        m_alignCells.append(align);
        auto *mode = control<QAbstractButton>(modeCells[tag]);
        _fieldModeButton->addButton(mode, tag);
        m_modeCells.append(mode);
        auto *barcode = control<QAbstractButton>(barcodeCells[tag]);
        _barcodeRadio->addButton(barcode, tag);
        m_barcodeCells.append(barcode);
    }

    m_fieldsMenu = new QMenu(_fieldsListButton);
    m_fieldsMenu->setObjectName(QStringLiteral("_fieldsMenu"));
    _fieldsListButton->setMenu(m_fieldsMenu);
    _fieldsListButton->setPopupMode(QToolButton::InstantPopup);
    _fieldsListButton->setText(PWLocalizedString(QStringLiteral("ON/OFF")));

    const char *sources[] = {"Main", "Work", "Home", "Other"};
    _addressSourceButton->clear();
    for (int tag = 0; tag < 4; ++tag)
        _addressSourceButton->addItem(PWLocalizedString(QString::fromLatin1(sources[tag])), tag);
    _addressSourceButton->setCurrentIndex(0);

    setUpSizeSlider(_textSizeSlider);

    connect(_alignHRagio, &QButtonGroup::idClicked, this, &CAAddressSubView::alignHRagio);
    connect(_backColorCheckbox, &QCheckBox::clicked, this, &CAAddressSubView::backColorCheckbox);
    connect(_textSizeSlider, &QSlider::valueChanged, this, &CAAddressSubView::textSizeSliderAction);
    onTyped(_textSizeTextField, [this] { textSizeTextFieldAction(); });
    connect(m_fieldsMenu, &QMenu::triggered, this, &CAAddressSubView::fieldChanged);
    connect(_fieldModeButton, &QButtonGroup::idClicked, this, &CAAddressSubView::fieldModeChanged);
    connect(_addressSourceButton, &QComboBox::activated, this, &CAAddressSubView::addressSourceChanged);
    connect(_preferredButton, &QCheckBox::clicked, this, &CAAddressSubView::preferredChanged);
    connect(_showAllFieldsButton, &QCheckBox::clicked, this, &CAAddressSubView::onShowAllButtonClick);
    connect(_barcodeCheckbox, &QCheckBox::clicked, this, &CAAddressSubView::barcodeCheckbox);
    connect(_barcodeRadio, &QButtonGroup::idClicked, this, &CAAddressSubView::barcodeRadio);
    connect(_capitalizeButton, &QCheckBox::clicked, this, &CAAddressSubView::capitalizeButton);
    // Never disabled: the font panel opens and closes with or without a canvas.
    if (auto *fonts = control<QAbstractButton>("_showFontsButton"))
        connect(fonts, &QAbstractButton::toggled, this, &CAInspectorPane::showFontPanel);
    connect(_textColorWell, &CAColorWell::colorChosen, this, &CAAddressSubView::textColorChosen);
    connect(_backColorWell, &CAColorWell::colorChosen, this, &CAAddressSubView::backColorChosen);
    updateWithView(nullptr);
}

void CAAddressSubView::setPanelControlsEnabled(bool enabled)
{
    _fieldsListButton->setEnabled(enabled);
    for (QWidget *cell : m_modeCells)
        cell->setEnabled(enabled);
    _addressSourceButton->setEnabled(enabled);
    _showAllFieldsButton->setEnabled(enabled);
    _preferredButton->setEnabled(enabled);
    _barcodeCheckbox->setEnabled(enabled);
    for (QWidget *cell : m_barcodeCells)
        cell->setEnabled(enabled);
}

void CAAddressSubView::setFontSizeControls(float size)
{
    const CAPaneUpdateGuard guard(m_updating);
    _textSizeSlider->setValue(sizeSliderValue(size));
    _textSizeTextField->setText(QLocale::c().toString(double(size), 'g', 6));
    _oldTextSize = size;
}

std::vector<CFTComponent *> CAAddressSubView::selectedPanels() const
{
    std::vector<CFTComponent *> panels;
    for (CFTComponent *component : selection()) {
        if (isPanel(component))
            panels.push_back(component);
    }
    return panels;
}

void CAAddressSubView::updateWithView(CADocView *view)
{
    const CAPaneUpdateGuard guard(m_updating);
    if (!view || !view->ftView()) {
        setPanelControlsEnabled(false);
        showNoBarcode();
        for (QWidget *cell : m_alignCells)
            cell->setEnabled(false);
        _capitalizeButton->setEnabled(false);
        _backColorCheckbox->setEnabled(false);
        _textSizeSlider->setEnabled(false);
        _textSizeTextField->setEnabled(false);
        _textColorWell->deactivate();
        _backColorWell->deactivate();
        _textColorWell->setEnabled(false);
        _backColorWell->setEnabled(false);
        // A size shown for a canvas gone is no base for the next one.
        _oldTextSize = 0.0f;
        forget();
        return;
    }
    remember(view);
    const std::vector<CFTComponent *> selected = selection();
    const bool convertToUppercase = PWUserDefaults::standardUserDefaults().boolForKey(QStringLiteral("FTConvertToUppercase"));
    CFTComponent *shown = selected.empty() ? static_cast<CFTComponent *>(ftView()->defText()) : selected.front();

    _capitalizeButton->setChecked(CACanvasAddressEdits::isUpperCase(shown->representationType()));
    _capitalizeButton->setEnabled(!convertToUppercase);
    for (QWidget *cell : m_alignCells)
        cell->setEnabled(true);
    if (QAbstractButton *cell = _alignHRagio->button(int(shown->GetAlignment()) & 15))
        cell->setChecked(true);

    // One thing shown, or the defaults with nothing selected: several keep the well as it was.
    const bool single = selected.size() <= 1;
    _textColorWell->setEnabled(shown->canStrok());
    if (single) {
        const CDDColor color = textColorOf(shown);
        _textColorWell->setColor(shownColor(&color, shown->canStrok()));
    }
    _backColorWell->setEnabled(shown->canFill());
    if (single)
        _backColorWell->setColor(shownColor(shown->GetFillColor(), shown->canFill()));
    _backColorCheckbox->setEnabled(shown->canFill());
    _backColorCheckbox->setChecked(shown->GetHaveBackColor());
    _textSizeSlider->setEnabled(true);
    _textSizeTextField->setEnabled(true);
    // The size of what is shown, the defaults for new texts when nothing is selected: never a
    // size left from another canvas or a document since closed.
    if (const std::optional<PWFont> font = shown->GetFont(nullptr))
        setFontSizeControls(float(font->pointSize()));

    if (!selected.empty()) {
        const addressType common = selected.front()->GetAddressType();
        const bool mixed = std::any_of(selected.begin(), selected.end(),
                                       [common](const CFTComponent *c) { return c->GetAddressType() != common; });
        if (mixed || common != adNone)
            _addressSourceButton->setEnabled(true);
        if (mixed)
            _addressSourceButton->setCurrentIndex(-1);
        else
            _addressSourceButton->setCurrentIndex(common >= adMain && common <= adOther ? int(common) : 0);
    }

    if (isPanel(shown)) {
        auto *panel = static_cast<CFTAAddressPanel *>(shown);
        updateFieldsMenu(selected);
        _fieldsListButton->setEnabled(true);
        _preferredButton->setEnabled(true);
        _preferredButton->setChecked(panel->IsPreferredAddress());
        const bool fieldChosen = m_selectedField != tcNone;
        for (QWidget *cell : m_modeCells)
            cell->setEnabled(fieldChosen);
        updateFieldModeButton(selected);
        _showAllFieldsButton->setEnabled(!panel->isEmpty());
        _showAllFieldsButton->setChecked(panel->isShowAllFields());
        showNoBarcode();
        if (barcodeAllowed(panel)) {
            // What is drawn (in the panel or apart), never a flag an older design stored beside
            // it; hidden, the place it comes back to, which may be chosen before it is shown.
            _barcodeCheckbox->setEnabled(true);
            _barcodeCheckbox->setChecked(CACanvasBarcode::isShown(*docView(), panel));
            for (int place = 0; place < 3; ++place) {
                m_barcodeCells[place]->setVisible(CACanvasBarcode::offersPlace(*docView(), place));
                m_barcodeCells[place]->setEnabled(true);
            }
            if (QAbstractButton *cell = _barcodeRadio->button(CACanvasBarcode::place(*docView(), panel)))
                cell->setChecked(true);
        }
    } else {
        setPanelControlsEnabled(false);
        showNoBarcode();
        m_alignCells[1]->setEnabled(true);
        if (selected.empty())
            showNewPanelSettings();
    }
}

void CAAddressSubView::showNewPanelSettings()
{
    // Nothing selected: the panel controls, disabled, show what a new panel starts with, never
    // the settings of a panel selected before.
    const CFTAAddressPanel fresh;
    const addressType type = fresh.GetAddressType();
    _addressSourceButton->setCurrentIndex(type >= adMain && type <= adOther ? int(type) : 0);
    _preferredButton->setChecked(fresh.IsPreferredAddress());
    _showAllFieldsButton->setChecked(fresh.isShowAllFields());
    m_fieldsMenu->clear();
    m_selectedField = tcNone;
    _fieldModeButton->setExclusive(false);
    for (QWidget *cell : m_modeCells)
        static_cast<QAbstractButton *>(cell)->setChecked(false);
    _fieldModeButton->setExclusive(true);
}

void CAAddressSubView::showNoBarcode()
{
    _barcodeCheckbox->setEnabled(false);
    _barcodeCheckbox->setChecked(false);
    // No place is chosen for a barcode there is not.
    _barcodeRadio->setExclusive(false);
    for (QAbstractButton *cell : m_barcodeCells) {
        cell->setEnabled(false);
        cell->setChecked(false);
    }
    _barcodeRadio->setExclusive(true);
}

void CAAddressSubView::updateFieldsMenu(const std::vector<CFTComponent *> &selected)
{
    m_fieldsMenu->clear();
    QAction *title = m_fieldsMenu->addAction(PWLocalizedString(QStringLiteral("ON/OFF")));
    title->setData(int(tcNone));
    const QIcon mixed = mixedMark();
    bool chosenListed = false;
    for (const FieldEntry &entry : fieldEntries(selected)) {
        QAction *item = m_fieldsMenu->addAction(entry.label);
        item->setData(int(entry.category));
        const Qt::CheckState state = stateForMode(entry.mode);
        item->setProperty("fieldState", int(state));
        item->setCheckable(state != Qt::PartiallyChecked);
        item->setChecked(state == Qt::Checked);
        if (state == Qt::PartiallyChecked)
            item->setIcon(mixed);
        chosenListed = chosenListed || entry.category == m_selectedField;
    }
    if (!chosenListed)
        m_selectedField = tcNone;
}

void CAAddressSubView::updateFieldModeButton(const std::vector<CFTComponent *> &selected)
{
    for (CFTComponent *component : selected) {
        if (!isPanel(component))
            continue;
        const fieldMode mode = static_cast<CFTAAddressPanel *>(component)->getMode(m_selectedField);
        const int cell = mode == fmWhenFilled ? 0 : mode == fmAlways ? 1 : mode == fmNever ? 2 : 0;
        _fieldModeButton->button(cell)->setChecked(true);
    }
}

void CAAddressSubView::alignHRagio(int tag)
{
    CACanvasEdits *canvas = edits();
    if (!canvas || tag < 0 || tag > 2)
        return;
    if (changeTextDefaults([tag](CFTComponent &defaults) { alignDefaults(defaults, tag); }))
        return;
    const std::vector<CFTComponent *> selected = selection();
    CACanvasEdits::Step step(*canvas, QStringLiteral("CHANGE_ALIGNMENT"), true);
    for (CFTComponent *component : selected)
        canvas->setAlignmentForObject(textAlignment((int(component->GetAlignment()) & 0xF0) | tag), component);
}

void CAAddressSubView::backColorCheckbox()
{
    CACanvasEdits *canvas = edits();
    if (!canvas)
        return;
    const bool on = _backColorCheckbox->isChecked();
    if (changeTextDefaults([on](CFTComponent &defaults) { defaults.SetHaveBackColor(on); }))
        return;
    each("CHANGE_HAVEBACKCOLOR",
         [&](CACanvasEdits &edits, CFTComponent *component) { edits.setHaveBackColorForObject(on, component); });
}

void CAAddressSubView::textSizeSliderAction()
{
    if (m_updating)
        return;
    const float size = sliderFontSize(sizeOfSliderValue(_textSizeSlider->value()));
    _textSizeTextField->setText(QLocale::c().toString(double(size), 'g', 6));
    // Without a size shown there is nothing to grow from: the slider's size is the size.
    if (!changeTextDefaults([size](CFTComponent &defaults) { defaults.SetFontSize(size); }))
        applyFontSize(size, _oldTextSize);
    _oldTextSize = size;
}

void CAAddressSubView::textSizeTextFieldAction()
{
    if (m_updating)
        return;
    const std::optional<float> size = typedFontSize(_textSizeTextField, _oldTextSize);
    if (!size)
        return;
    {
        const QSignalBlocker quiet(_textSizeSlider);
        _textSizeSlider->setValue(sizeSliderValue(*size));
    }
    if (!changeTextDefaults([&size](CFTComponent &defaults) { defaults.SetFontSize(*size); }))
        applyFontSize(*size, 0.0f);
    _oldTextSize = *size;
}

void CAAddressSubView::fieldChanged(QAction *item)
{
    const textCategory category = textCategory(item->data().toInt());
    m_selectedField = category;
    if (!docView() || category == tcNone) {
        if (docView())
            updateWithView(docView());
        return;
    }
    CACanvasAddressEdits &address = docView()->addressEdits();
    {
        CACanvasEdits::Step step(docView()->edits(), QStringLiteral("CHANGE_FIELD_MODE"), true);
        for (CFTComponent *component : selectedPanels()) {
            const fieldMode mode = static_cast<CFTAAddressPanel *>(component)->getMode(category);
            address.setModeForTextCategory(mode == fmAlways || mode == fmWhenFilled ? fmNever : fmWhenFilled, category,
                                           component);
        }
    }
    if (docView())
        updateWithView(docView());
}

void CAAddressSubView::fieldModeChanged(int cell)
{
    if (!docView() || m_selectedField == tcNone)
        return;
    const fieldMode mode = cell == 0 ? fmWhenFilled : cell == 1 ? fmAlways : fmNever;
    CACanvasAddressEdits &address = docView()->addressEdits();
    CACanvasEdits::Step step(docView()->edits(), QStringLiteral("CHANGE_FIELD_MODE"), true);
    for (CFTComponent *component : selectedPanels())
        address.setModeForTextCategory(mode, m_selectedField, component);
}

void CAAddressSubView::addressSourceChanged(int index)
{
    if (!docView() || index < 0)
        return;
    const addressType type = addressTypeForTag(_addressSourceButton->itemData(index).toInt());
    CACanvasAddressEdits &address = docView()->addressEdits();
    CACanvasEdits::Step step(docView()->edits(), QStringLiteral("CHANGE_ADDRESS_TYPE"), true);
    for (CFTComponent *component : selection())
        address.setAddressType(type, component);
}

void CAAddressSubView::preferredChanged()
{
    if (!docView())
        return;
    const bool on = _preferredButton->isChecked();
    CACanvasAddressEdits &address = docView()->addressEdits();
    CACanvasEdits::Step step(docView()->edits(), QStringLiteral("CHANGE_ADDRESS_TYPE"), true);
    for (CFTComponent *component : selectedPanels())
        address.setPreferredAddress(on, component);
}

void CAAddressSubView::onShowAllButtonClick()
{
    CADocView *canvas = docView();
    if (!canvas)
        return;
    // Showing every field is a way of looking at the panel, not an edit: no undo step, and the
    // design is not marked as changed. A placeholder panel shows every field whatever the
    // switch says; hiding them ends its being one, which the design stores: that is a step.
    {
        CACanvasEdits::Step step(canvas->edits(), QStringLiteral("SHOW_ALL_FIELDS"));
        for (CFTComponent *component : selectedPanels()) {
            auto *panel = static_cast<CFTAAddressPanel *>(component);
            if (canvas->isEditingText() && ftView()->getOperObject() == component)
                canvas->endEditText();
            if (panel->isAuto()) {
                canvas->addressEdits().setShowAllFields(false, false, component);
            } else {
                panel->setShowAllFields(!panel->isShowAllFields());
                canvas->invalidateObject(component);
            }
        }
    }
    canvas->notifySelectionChanged();
}

void CAAddressSubView::barcodeCheckbox()
{
    if (docView())
        CACanvasBarcode::show(*docView(), _barcodeCheckbox->isChecked(), selectedPanels());
}

void CAAddressSubView::barcodeRadio(int tag)
{
    // A click on the place already chosen (the group reports clicks on a checked button too)
    // changes nothing and is no step.
    if (docView())
        CACanvasBarcode::move(*docView(), tag, selectedPanels());
}

void CAAddressSubView::capitalizeButton()
{
    if (!docView())
        return;
    const objectRepType type = objectRepType(_capitalizeButton->isChecked() ? 4 : 0);
    // What was typed into a field left open is a step of its own, before the capitals.
    docView()->endEditText();
    CACanvasAddressEdits &address = docView()->addressEdits();
    {
        CACanvasEdits::Step step(docView()->edits(), QStringLiteral("SET_ADDRESS_UPPERCASE"), true);
        for (CFTComponent *component : selection())
            address.setRepresentationType(type, component);
    }
    if (docView())
        updateWithView(docView());
}

void CAAddressSubView::textColorChosen(const QColor &color)
{
    CACanvasEdits *canvas = edits();
    if (!canvas)
        return;
    const CDDColor chosen = colorOf(color);
    // Nothing selected: the pane shows, and sets, the colour new texts and panels are written in.
    if (changeTextDefaults([&chosen](CFTComponent &defaults) { defaults.SetStrokeColor(&chosen); }))
        return;
    CACanvasEdits::Step step(*canvas, QStringLiteral("CHANGE_FORECOLOR"));
    for (CFTComponent *component : selection())
        canvas->setForeColorForObject(chosen, component);
}

void CAAddressSubView::backColorChosen(const QColor &color)
{
    CACanvasEdits *canvas = edits();
    if (!canvas)
        return;
    const CDDColor chosen = colorOf(color);
    if (changeTextDefaults([&chosen](CFTComponent &defaults) { setDefaultBackColor(defaults, chosen); }))
        return;
    CACanvasEdits::Step step(*canvas, QStringLiteral("CHANGE_BACKCOLOR"));
    for (CFTComponent *component : selection())
        canvas->setBackColorForObject(chosen, component);
}
