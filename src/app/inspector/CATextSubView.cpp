#include "app/inspector/CATextSubView.h"

#include "app/canvas/CACanvasAddressEdits.h"
#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CADocView.h"
#include "app/inspector/CAColorWell.h"
#include "app/inspector/CAFieldRanges.h"
#include "app/inspector/CAFillLineSubView.h"
#include "kernel/address/CFTCounterField.h"
#include "kernel/address/CFTFileField.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/address/FTTextCategories.h"
#include "kernel/base/CDDColor.h"
#include "kernel/component/CFTDefComponentText.h"
#include "kernel/document/CFTAView.h"
#include "platform/PWBundle.h"
#include "platform/PWUserDefaults.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QSlider>
#include <QStackedWidget>
#include <QToolButton>

#include <cmath>
#include <numbers>

namespace {

CATextSubView::FileChooser &fileChooser()
{
    static CATextSubView::FileChooser chooser = [](QWidget *parent, const QString &start) {
        return QFileDialog::getOpenFileName(parent, QString(), start);
    };
    return chooser;
}

CDDColor colorOf(const QColor &color)
{
    return CDDColor(float(color.redF()), float(color.greenF()), float(color.blueF()), float(color.alphaF()));
}

QColor shownColor(const CDDColor *color, bool can)
{
    return can && color ? color->toQColor() : QColor(Qt::transparent);
}

// The whole number within a number typed, brought within range.
int wholeWithin(double typed, CDDNumberRange range = CAFieldRanges::kWholeNumber)
{
    return int(std::trunc(CAFieldRanges::within(typed, range)));
}

QString categoryTitle(int tag)
{
    return PWLocalizedString(FTTextCategories::getKeyFromTextCategory(textCategory(tag)));
}

QAction *addCategory(QMenu *menu, int tag)
{
    QAction *item = menu->addAction(categoryTitle(tag));
    item->setData(tag);
    item->setCheckable(true);
    return item;
}

const QString kDelimiters[] = {QStringLiteral(" "), QStringLiteral("\t"), QStringLiteral(",")};

// The colour the characters are drawn in: the text's own, which a text made as another kind of
// text may hold apart from the colour the component keeps beside it.
CDDColor textColorOf(CFTComponent *shown)
{
    if (CDDText *text = shown->GetText()) {
        CDDColor color;
        text->getTextColor(color);
        return color;
    }
    return shown->GetTextColor() ? *shown->GetTextColor() : CDDColor(0.0f, 0.0f, 0.0f, 1.0f);
}

} // namespace

CATextSubView::CATextSubView(QWidget *parent)
    : CAInspectorPane(parent)
{
}

const QList<int> &CATextSubView::categoryMenuTags()
{
    static const QList<int> tags = {19, 17, 18, 24, 108, 107, 109, -1, 4, 2, 20, -1, 5, 13, 14, 15, 16,
                                    -1, 11, 10, 7, 9, 8, 103, -1, 100, 101, 127};
    return tags;
}

const QList<int> &CATextSubView::relatedNamesTags()
{
    static const QList<int> tags = {110, 111, 112, 114, 113, 115, 116, 117, 118, 119, 120};
    return tags;
}

const QList<int> &CATextSubView::instantMessagingTags()
{
    static const QList<int> tags = {122, 125, 123, 124, 126};
    return tags;
}

const QList<int> &CATextSubView::customTags()
{
    static const QList<int> tags = {21, 22, 23, 27, 28, 29, 30, 31, 32};
    return tags;
}

void CATextSubView::setFileChooser(FileChooser chooser)
{
    fileChooser() = std::move(chooser);
}

QString CATextSubView::shortenedFileName(const QString &path)
{
    const QStringList parts = path.split(u'/');
    const QString name = parts.size() > 1 ? parts.last() : parts.value(0);
    if (name.size() <= 9)
        return name;
    return name.left(6) + QStringLiteral("...");
}

addressType CATextSubView::addressTypeForTag(int tag)
{
    return tag == 1 || tag == 2 || tag == 3 ? addressType(tag) : adMain;
}

void CATextSubView::awakeFromNib()
{
    _dataTypePopup = control<QComboBox>("_dataTypePopup");
    _categoryPopup = control<QToolButton>("_categoryPopup");
    m_textColorWell = control<CAColorWell>("m_textColorWell");
    m_backColorCheckbox = control<QCheckBox>("m_backColorCheckbox");
    m_backColorWell = control<CAColorWell>("m_backColorWell");
    m_textSizeSlider = control<QSlider>("m_textSizeSlider");
    m_textSizeTextField = control<QLineEdit>("m_textSizeTextField");
    m_rotateSlider = control<QSlider>("m_textRotateSlider");
    m_rotateEdit = control<QLineEdit>("m_textRotateEdit");
    m_capitalizeButton = control<QCheckBox>("m_capitalizeButton");
    _addressSourceButton = control<QComboBox>("_textAddressSourceButton");
    _preferredButton = control<QCheckBox>("_textPreferredButton");
    _propertiesTabView = control<QStackedWidget>("_propertiesTabView");
    _startNumberEdit = control<QLineEdit>("_startNumberEdit");
    _incrementEdit = control<QLineEdit>("_incrementEdit");
    _numberOfDigitsEdit = control<QLineEdit>("_numberOfDigitsEdit");
    _leadingZerosCheckbox = control<QCheckBox>("_leadingZerosCheckbox");
    _browseButton = control<QAbstractButton>("_browseButton");
    _numberFieldEdit = control<QLineEdit>("_numberFieldEdit");
    _delimeterEdit = control<QLineEdit>("_delimeterEdit");
    _delimeterPopup = control<QComboBox>("_delimeterPopup");
    _fileNameText = control<QLabel>("_fileNameText");

    _toFromRadio = new QButtonGroup(this);
    m_alignHRagio = new QButtonGroup(this);
    _linesCountRadio = new QButtonGroup(this);
    m_toFromCells = {control<QAbstractButton>("_fromRadio"), control<QAbstractButton>("_toRadio")};
    m_alignCells = {control<QAbstractButton>("m_alignLeft"), control<QAbstractButton>("m_alignCenter"),
                    control<QAbstractButton>("m_alignRight")};
    m_lineCells = {control<QAbstractButton>("_wholeLineRadio"), control<QAbstractButton>("_oneFieldRadio")};
    for (int tag = 0; tag < 2; ++tag) {
        _toFromRadio->addButton(m_toFromCells[tag], tag);
        _linesCountRadio->addButton(m_lineCells[tag], tag);
    }
    for (int tag = 0; tag < 3; ++tag)
        m_alignHRagio->addButton(m_alignCells[tag], tag);

    const std::pair<int, const char *> dataTypes[] = {
        {-1, "Person Field"}, {26, "File Data"}, {25, "Counter"}, {128, "Simple Text"}};
    for (const auto &[tag, title] : dataTypes)
        _dataTypePopup->addItem(PWLocalizedString(QString::fromLatin1(title)), tag);
    _dataTypePopup->setCurrentIndex(0);

    _categoryMenu = new QMenu(_categoryPopup);
    _categoryMenu->setObjectName(QStringLiteral("_categoryMenu"));
    for (int tag : categoryMenuTags()) {
        if (tag < 0)
            _categoryMenu->addSeparator();
        else
            addCategory(_categoryMenu, tag);
    }
    _categoryMenu->addSeparator();
    const std::pair<const char *, const QList<int> *> submenus[] = {{"Instant Messaging", &instantMessagingTags()},
                                                                    {"Related Names", &relatedNamesTags()},
                                                                    {"Custom", &customTags()}};
    for (const auto &[title, tags] : submenus) {
        QMenu *submenu = _categoryMenu->addMenu(PWLocalizedString(QString::fromLatin1(title)));
        for (int tag : *tags)
            addCategory(submenu, tag);
    }
    _categoryPopup->setMenu(_categoryMenu);
    _categoryPopup->setPopupMode(QToolButton::InstantPopup);
    showCategory(16);

    const char *sources[] = {"Main", "Work", "Home", "Other"};
    for (int tag = 0; tag < 4; ++tag)
        _addressSourceButton->addItem(PWLocalizedString(QString::fromLatin1(sources[tag])), tag);
    const char *delimiters[] = {"Space", "Tab", "Comma", "Other"};
    for (int tag = 0; tag < 4; ++tag)
        _delimeterPopup->addItem(PWLocalizedString(QString::fromLatin1(delimiters[tag])), tag);

    setUpSizeSlider(m_textSizeSlider);
    m_rotateSlider->setRange(-180, 180);
    m_rotateSlider->setTracking(false);

    connect(_dataTypePopup, &QComboBox::activated, this,
            [this](int index) { categoryChosen(_dataTypePopup->itemData(index).toInt()); });
    connect(_categoryMenu, &QMenu::triggered, this, [this](QAction *item) { categoryChosen(item->data().toInt()); });
    connect(_toFromRadio, &QButtonGroup::idClicked, this, &CATextSubView::toFromRadio);
    connect(m_alignHRagio, &QButtonGroup::idClicked, this, &CATextSubView::alignHRagio);
    connect(m_backColorCheckbox, &QCheckBox::clicked, this, &CATextSubView::backColorCheckbox);
    connect(m_textSizeSlider, &QSlider::valueChanged, this, &CATextSubView::textSizeSliderAction);
    onTyped(m_textSizeTextField, [this] { textSizeTextFieldAction(); });
    connect(_addressSourceButton, &QComboBox::activated, this, &CATextSubView::addressSourceChanged);
    connect(_preferredButton, &QCheckBox::clicked, this, &CATextSubView::preferredButton);
    connect(m_capitalizeButton, &QCheckBox::clicked, this, &CATextSubView::capitalizeButton);
    connect(m_rotateSlider, &QSlider::valueChanged, this, &CATextSubView::rotateSlider);
    onTyped(m_rotateEdit, [this] { rotateEdit(); });
    for (QLineEdit *field : {_startNumberEdit, _incrementEdit, _numberOfDigitsEdit})
        onTyped(field, [this, field] { counterEdit(field); });
    connect(_leadingZerosCheckbox, &QCheckBox::clicked, this, &CATextSubView::leadingZerosCheckbox);
    connect(_browseButton, &QAbstractButton::clicked, this, &CATextSubView::changeFile);
    connect(_linesCountRadio, &QButtonGroup::idClicked, this, &CATextSubView::linesCountRadio);
    onTyped(_numberFieldEdit, [this] { numberFieldEdit(); });
    onTyped(_delimeterEdit, [this] { delimeterEdit(); });
    connect(_delimeterPopup, &QComboBox::activated, this, &CATextSubView::delimeterPopup);
    // Never disabled: the font panel opens and closes with or without a canvas.
    if (auto *fonts = control<QAbstractButton>("m_showFontsButton"))
        connect(fonts, &QAbstractButton::toggled, this, &CAInspectorPane::showFontPanel);
    connect(m_textColorWell, &CAColorWell::colorChosen, this, &CATextSubView::textColorChosen);
    connect(m_backColorWell, &CAColorWell::colorChosen, this, &CATextSubView::backColorChosen);
    updateWithView(nullptr);
}

void CATextSubView::showCategory(int category)
{
    // The item of the category, in the menu or one of its submenus; none keeps the title shown.
    QAction *found = nullptr;
    const QList<QAction *> items = _categoryMenu->actions();
    for (QAction *item : items) {
        if (!item->menu() && !item->isSeparator() && item->data().toInt() == category)
            found = item;
    }
    QAction *parent = found;
    if (!found) {
        for (QAction *item : items) {
            if (!item->menu())
                continue;
            for (QAction *inner : item->menu()->actions()) {
                if (inner->data().toInt() == category) {
                    found = inner;
                    parent = item;
                }
            }
            if (found)
                break;
        }
    }
    if (!found)
        return;
    for (QAction *item : _categoryMenu->findChildren<QAction *>())
        item->setChecked(item == found);
    _categoryPopup->setText(parent == found ? found->text() : parent->text() + QStringLiteral(": ") + found->text());
}

void CATextSubView::setFontSizeControls(float size)
{
    const CAPaneUpdateGuard guard(m_updating);
    m_textSizeSlider->setValue(sizeSliderValue(size));
    m_textSizeTextField->setText(QLocale::c().toString(double(size), 'g', 6));
    _oldTextSize = size;
}

void CATextSubView::updateWithView(CADocView *view)
{
    const CAPaneUpdateGuard guard(m_updating);
    if (!view || !view->ftView()) {
        _propertiesTabView->setCurrentIndex(0);
        _categoryPopup->setEnabled(false);
        for (QWidget *cell : m_toFromCells)
            cell->setEnabled(false);
        for (QWidget *cell : m_alignCells)
            cell->setEnabled(false);
        m_textColorWell->deactivate();
        m_backColorWell->deactivate();
        for (QWidget *control : std::initializer_list<QWidget *>{
                 m_textColorWell, m_backColorWell, m_textSizeSlider, m_textSizeTextField, m_rotateSlider,
                 m_rotateEdit, m_backColorCheckbox, m_capitalizeButton, _dataTypePopup, _addressSourceButton,
                 _preferredButton, _browseButton, _startNumberEdit, _incrementEdit, _numberOfDigitsEdit,
                 _leadingZerosCheckbox, _numberFieldEdit, _delimeterEdit, _delimeterPopup, m_lineCells[0],
                 m_lineCells[1]})
            control->setEnabled(false);
        if (auto *fonts = control<QAbstractButton>("m_showFontsButton"))
            fonts->setEnabled(false);
        // The canvas, and the component shown for it, may go with their document.
        m_shownComponent = false;
        _oldTextSize = 0.0f;
        forget();
        return;
    }
    remember(view);
    const std::vector<CFTComponent *> selected = selection();
    const bool convertToUppercase = PWUserDefaults::standardUserDefaults().boolForKey(QStringLiteral("FTConvertToUppercase"));
    _dataTypePopup->setEnabled(true);
    if (selected.empty()) {
        _categoryPopup->setEnabled(false);
        for (QWidget *cell : m_toFromCells)
            cell->setEnabled(false);
        _addressSourceButton->setEnabled(false);
        _preferredButton->setEnabled(false);
        m_alignCells[1]->setEnabled(true);
        showNewTextSettings();
        return;
    }
    _categoryPopup->setEnabled(true);
    m_shownComponent = true;
    CFTComponent *shown = selected.front();
    const int category = int(shown->GetTextCategory());
    const bool personField = category != 25 && category != 26 && category != 128;
    _dataTypePopup->setCurrentIndex(_dataTypePopup->findData(personField ? -1 : category));
    if (category == 25) {
        auto *counter = dynamic_cast<CFTCounterField *>(shown);
        _propertiesTabView->setCurrentIndex(1);
        for (QWidget *control : std::initializer_list<QWidget *>{_startNumberEdit, _incrementEdit, _leadingZerosCheckbox})
            control->setEnabled(true);
        if (counter) {
            _startNumberEdit->setText(QString::number(counter->GetStartNumber()));
            _incrementEdit->setText(QString::number(counter->GetIncrement()));
            _numberOfDigitsEdit->setText(QString::number(counter->GetZerosDigits()));
            _leadingZerosCheckbox->setChecked(counter->IsLeadingZeros());
        }
        _numberOfDigitsEdit->setEnabled(_leadingZerosCheckbox->isChecked());
    } else if (category == 26) {
        auto *file = dynamic_cast<CFTFileField *>(shown);
        _propertiesTabView->setCurrentIndex(2);
        _browseButton->setEnabled(true);
        for (QWidget *cell : m_lineCells)
            cell->setEnabled(true);
        if (file) {
            const int row = file->GetCountFields() == fcWholeLine ? 0 : 1;
            m_lineCells[row]->setChecked(true);
            _numberFieldEdit->setText(QString::number(file->GetNumberField()));
            const QString delimiter = file->GetDelimeter().getData();
            _delimeterEdit->setText(delimiter);
            _fileNameText->setText(shortenedFileName(file->GetFileName().getData()));
            const int known = delimiter == kDelimiters[0] ? 0 : delimiter == kDelimiters[1] ? 1 : delimiter == kDelimiters[2] ? 2 : 3;
            _numberFieldEdit->setEnabled(row == 1);
            _delimeterPopup->setEnabled(row == 1);
            _delimeterEdit->setEnabled(row == 1 && known == 3);
            _delimeterPopup->setCurrentIndex(known);
        }
    } else {
        _propertiesTabView->setCurrentIndex(0);
        for (QWidget *cell : m_toFromCells)
            cell->setEnabled(category != 128);
    }
    // Only a person field shows a field of the person: a counter, a file field or a plain text
    // offers none.
    _categoryPopup->setEnabled(personField);
    if (personField)
        showCategory(category);
    else
        showNoCategory();
    if (QAbstractButton *cell = _toFromRadio->button(shown->GetToFrom() ? 1 : 0))
        cell->setChecked(true);
    m_capitalizeButton->setChecked(CACanvasAddressEdits::isUpperCase(shown->representationType()));
    m_capitalizeButton->setEnabled(!convertToUppercase);
    for (QWidget *cell : m_alignCells)
        cell->setEnabled(true);
    if (QAbstractButton *cell = m_alignHRagio->button(int(shown->GetAlignment()) & 15))
        cell->setChecked(true);

    const bool single = selected.size() == 1;
    m_textColorWell->setEnabled(shown->canStrok());
    if (single) {
        const CDDColor color = textColorOf(shown);
        m_textColorWell->setColor(shownColor(&color, shown->canStrok()));
    }
    m_backColorWell->setEnabled(shown->canFill());
    if (single)
        m_backColorWell->setColor(shownColor(shown->GetFillColor(), shown->canFill()));
    m_backColorCheckbox->setEnabled(shown->canFill());
    m_backColorCheckbox->setChecked(shown->GetHaveBackColor());

    if (!getLabelForAddressType(textCategory(category), adWork).isEmpty()) {
        const addressType common = shown->GetAddressType();
        const bool mixed = std::any_of(selected.begin(), selected.end(),
                                       [common](const CFTComponent *c) { return c->GetAddressType() != common; });
        if (mixed || common != adNone)
            _addressSourceButton->setEnabled(true);
        _addressSourceButton->setCurrentIndex(mixed ? -1 : common >= adMain && common <= adOther ? int(common) : 0);
        _preferredButton->setEnabled(true);
        _preferredButton->setChecked(shown->IsPreferredAddress());
    } else {
        _addressSourceButton->setEnabled(false);
        _preferredButton->setEnabled(false);
    }

    for (QWidget *control : std::initializer_list<QWidget *>{m_textSizeSlider, m_textSizeTextField, m_rotateSlider, m_rotateEdit})
        control->setEnabled(true);
    if (auto *fonts = control<QAbstractButton>("m_showFontsButton"))
        fonts->setEnabled(true);
    const int degrees = CAFillLineSubView::wholeDegrees(shown->GetAngle());
    m_rotateSlider->setValue(degrees);
    m_rotateEdit->setText(QString::number(degrees));
}

void CATextSubView::showNoCategory()
{
    for (QAction *item : _categoryMenu->findChildren<QAction *>())
        item->setChecked(false);
    _categoryPopup->setText(QString());
}

void CATextSubView::showNewTextSettings()
{
    // Nothing selected, the text tool in hand: the pane shows, and sets, what a new text starts
    // with, never the settings of a text selected before.
    CFTComponent *defaults = ftView()->defText();
    showNoCategory();
    _dataTypePopup->setCurrentIndex(_dataTypePopup->findData(128));
    _propertiesTabView->setCurrentIndex(0);
    if (QAbstractButton *cell = m_alignHRagio->button(int(defaults->GetAlignment()) & 15))
        cell->setChecked(true);
    const CDDColor color = textColorOf(defaults);
    m_textColorWell->setEnabled(true);
    m_textColorWell->setColor(color.toQColor());
    m_backColorWell->setEnabled(true);
    m_backColorWell->setColor(shownColor(defaults->GetFillColor(), true));
    m_backColorCheckbox->setEnabled(true);
    m_backColorCheckbox->setChecked(defaults->GetHaveBackColor());
    m_textSizeSlider->setEnabled(true);
    m_textSizeTextField->setEnabled(true);
    if (const std::optional<PWFont> font = defaults->GetFont(nullptr))
        setFontSizeControls(float(font->pointSize()));
}

void CATextSubView::categoryChosen(int tag)
{
    CACanvasEdits *canvas = edits();
    if (!canvas || !m_shownComponent)
        return;
    const textCategory category = textCategory(tag == -1 ? 17 : tag);
    const std::vector<CFTComponent *> former = selection();
    ftView()->deselectAll();
    {
        CACanvasEdits::Step step(*canvas, QStringLiteral("CHANGE_CATEGORY"), true);
        for (CFTComponent *component : former)
            canvas->setTextCategoryForObject(category, component);
    }
    if (docView())
        docView()->notifySelectionChanged();
}

void CATextSubView::toFromRadio(int tag)
{
    if (!docView())
        return;
    CACanvasAddressEdits &address = docView()->addressEdits();
    each("CHANGE_TOFROM", [&](CACanvasEdits &, CFTComponent *component) { address.setToFrom(tag == 1, component); });
}

void CATextSubView::alignHRagio(int tag)
{
    CACanvasEdits *canvas = edits();
    if (!canvas)
        return;
    if (changeTextDefaults([tag](CFTComponent &defaults) { alignDefaults(defaults, tag); }))
        return;
    each("CHANGE_ALIGNMENT", [tag](CACanvasEdits &edits, CFTComponent *component) {
        edits.setAlignmentForObject(textAlignment((int(component->GetAlignment()) & 0xF0) | tag), component);
    });
}

void CATextSubView::backColorCheckbox()
{
    const bool on = m_backColorCheckbox->isChecked();
    if (changeTextDefaults([on](CFTComponent &defaults) { defaults.SetHaveBackColor(on); }))
        return;
    each("CHANGE_HAVEBACKCOLOR",
         [on](CACanvasEdits &edits, CFTComponent *component) { edits.setHaveBackColorForObject(on, component); });
}

void CATextSubView::textSizeSliderAction()
{
    if (m_updating)
        return;
    const float size = sliderFontSize(sizeOfSliderValue(m_textSizeSlider->value()));
    m_textSizeTextField->setText(QLocale::c().toString(double(size), 'g', 6));
    // With no size shown there is nothing to grow from: the slider's size is the size.
    if (!changeTextDefaults([size](CFTComponent &defaults) { defaults.SetFontSize(size); }))
        applyFontSize(size, _oldTextSize);
    _oldTextSize = size;
}

void CATextSubView::textSizeTextFieldAction()
{
    if (m_updating)
        return;
    const std::optional<float> size = typedFontSize(m_textSizeTextField, _oldTextSize);
    if (!size)
        return;
    {
        const QSignalBlocker quiet(m_textSizeSlider);
        m_textSizeSlider->setValue(sizeSliderValue(*size));
    }
    if (!changeTextDefaults([&size](CFTComponent &defaults) { defaults.SetFontSize(*size); }))
        applyFontSize(*size, 0.0f);
    _oldTextSize = *size;
}

void CATextSubView::addressSourceChanged(int index)
{
    if (!docView() || index < 0)
        return;
    const addressType type = addressTypeForTag(_addressSourceButton->itemData(index).toInt());
    CACanvasAddressEdits &address = docView()->addressEdits();
    each("CHANGE_ADDRESS_TYPE", [&](CACanvasEdits &, CFTComponent *component) { address.setAddressType(type, component); });
}

void CATextSubView::preferredButton()
{
    if (!docView())
        return;
    const bool on = _preferredButton->isChecked();
    CACanvasAddressEdits &address = docView()->addressEdits();
    each("CHANGE_PREFERRED", [&](CACanvasEdits &, CFTComponent *component) { address.setPreferredAddress(on, component); });
    if (docView())
        updateWithView(docView());
}

void CATextSubView::capitalizeButton()
{
    if (!docView())
        return;
    const objectRepType type = objectRepType(m_capitalizeButton->isChecked() ? 4 : 0);
    // What was typed into the text left open is a step of its own, before the capitals.
    docView()->endEditText();
    CACanvasAddressEdits &address = docView()->addressEdits();
    each("SET_TEXT_UPPERCASE",
         [&](CACanvasEdits &, CFTComponent *component) { address.setRepresentationType(type, component); });
    if (docView())
        updateWithView(docView());
}

void CATextSubView::rotateSlider()
{
    if (m_updating)
        return;
    const int entered = m_rotateSlider->value();
    CACanvasEdits *canvas = edits();
    const bool background = canvas && ftView()->needEditBackground();
    const int degrees = background ? entered : CAFillLineSubView::snapSliderAngle(entered);
    m_rotateEdit->setText(QString::number(degrees));
    if (!canvas)
        return;
    CACanvasEdits::Step step(*canvas, QStringLiteral("SET_ANGLE"), true);
    if (background) {
        canvas->setAngleForObject(degrees * std::numbers::pi / 180.0, ftView()->getBackground());
        return;
    }
    for (CFTComponent *component : selection())
        canvas->setAngleForObject(degrees * std::numbers::pi / 180.0, component);
}

void CATextSubView::rotateEdit()
{
    if (m_updating)
        return;
    const std::optional<double> typed = typedNumber(m_rotateEdit);
    if (!typed)
        return;
    const int entered = wholeWithin(*typed);
    const int degrees = CAFillLineSubView::normaliseAngle(entered);
    {
        const QSignalBlocker quiet(m_rotateSlider);
        m_rotateSlider->setValue(degrees);
    }
    m_rotateEdit->setText(QString::number(degrees));
    CACanvasEdits *canvas = edits();
    if (!canvas)
        return;
    CACanvasEdits::Step step(*canvas, QStringLiteral("SET_ANGLE"), true);
    if (ftView()->needEditBackground()) {
        const double turned = CAFieldRanges::within(entered, CAFieldRanges::kAngleDegrees);
        canvas->setAngleForObject(turned * std::numbers::pi / 180.0, ftView()->getBackground());
        return;
    }
    for (CFTComponent *component : selection())
        canvas->setAngleForObject(degrees * std::numbers::pi / 180.0, component);
}

void CATextSubView::counterEdit(QLineEdit *field)
{
    const std::optional<double> typed = typedNumber(field);
    if (!typed)
        return;
    const int value = wholeWithin(*typed, field == _numberOfDigitsEdit ? CAFieldRanges::kCounterDigits
                                                                      : CAFieldRanges::kWholeNumber);
    field->setText(QString::number(value));
    each("CHANGE_NAMED", [this, field, value](CACanvasEdits &edits, CFTComponent *component) {
        if (field == _startNumberEdit)
            edits.setCounterStartNumberForObject(value, component);
        else if (field == _incrementEdit)
            edits.setCounterIncrementForObject(value, component);
        else
            edits.setCounterNumberOfDigitsForObject(value, component);
    });
}

void CATextSubView::leadingZerosCheckbox()
{
    const bool on = _leadingZerosCheckbox->isChecked();
    _numberOfDigitsEdit->setEnabled(on);
    each("CHANGE_NAMED",
         [on](CACanvasEdits &edits, CFTComponent *component) { edits.setCounterLeadingZerosForObject(on, component); });
}

void CATextSubView::changeFile()
{
    const std::vector<CFTComponent *> selected = selection();
    QString start = QDir::homePath();
    if (!selected.empty()) {
        if (auto *file = dynamic_cast<CFTFileField *>(selected.front()))
            start = file->GetFileName().getData();
    }
    const QString chosen = fileChooser()(window(), start);
    if (chosen.isEmpty() || !edits())
        return;
    each("CHANGE_NAMED",
         [&chosen](CACanvasEdits &edits, CFTComponent *component) { edits.setFileFieldFileNameForObject(chosen, component); });
    _fileNameText->setText(shortenedFileName(chosen));
}

void CATextSubView::linesCountRadio(int row)
{
    _numberFieldEdit->setEnabled(row != 0);
    _delimeterPopup->setEnabled(row != 0);
    _delimeterEdit->setEnabled(row != 0 && _delimeterPopup->currentIndex() == 3);
    each("CHANGE_NAMED", [row](CACanvasEdits &edits, CFTComponent *component) {
        edits.setFileCountFieldsForObject(row == 0 ? fcWholeLine : fieldsCount(1), component);
    });
}

void CATextSubView::numberFieldEdit()
{
    const std::optional<double> typed = typedNumber(_numberFieldEdit);
    if (!typed)
        return;
    const int value = wholeWithin(*typed);
    _numberFieldEdit->setText(QString::number(value));
    each("CHANGE_NAMED",
         [value](CACanvasEdits &edits, CFTComponent *component) { edits.setFileNumberFieldForObject(value, component); });
}

void CATextSubView::delimeterEdit()
{
    const QString delimiter = _delimeterEdit->text();
    each("CHANGE_NAMED",
         [&delimiter](CACanvasEdits &edits, CFTComponent *component) { edits.setDelimeterForObject(delimiter, component); });
}

void CATextSubView::delimeterPopup(int index)
{
    const int tag = _delimeterPopup->itemData(index).toInt();
    if (tag == 3) {
        // The fields keep their delimiter until one is typed.
        _delimeterEdit->setEnabled(true);
        _delimeterEdit->clear();
        each("CHANGE_NAMED", [](CACanvasEdits &, CFTComponent *) {});
        return;
    }
    _delimeterEdit->setEnabled(false);
    if (tag < 0 || tag > 2)
        return;
    const QString delimiter = kDelimiters[tag];
    each("CHANGE_NAMED",
         [&delimiter](CACanvasEdits &edits, CFTComponent *component) { edits.setDelimeterForObject(delimiter, component); });
}

void CATextSubView::textColorChosen(const QColor &color)
{
    const CDDColor chosen = colorOf(color);
    if (changeTextDefaults([&chosen](CFTComponent &defaults) { defaults.SetStrokeColor(&chosen); }))
        return;
    each("CHANGE_TEXTCOLOR",
         [&chosen](CACanvasEdits &edits, CFTComponent *component) { edits.setTextColorForObject(chosen, component); });
}

void CATextSubView::backColorChosen(const QColor &color)
{
    const CDDColor chosen = colorOf(color);
    if (changeTextDefaults([&chosen](CFTComponent &defaults) { setDefaultBackColor(defaults, chosen); }))
        return;
    each("CHANGE_BACKCOLOR",
         [&chosen](CACanvasEdits &edits, CFTComponent *component) { edits.setBackColorForObject(chosen, component); });
}
