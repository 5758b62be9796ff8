#include "app/contacts/CAContactEditor.h"

#include "app/contacts/CAPersonListDictionary.h"

#include "app/document/CAWindowPlacement.h"
#include "app/contacts/CAContactTableModel.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/address/FTStoredPerson.h"
#include "kernel/address/FTTextCategories.h"
#include "platform/PWBundle.h"
#include "platform/PWPerson.h"

#include <ui_ContactEditor.h>

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// The grey of the field view, and the slightly darker one of the fields that change with the
// address type, so that the user sees which fields the tabs switch.
const QColor kViewBackground = QColor::fromRgbF(0.97f, 0.97f, 0.97f);
const QColor kTypeFieldBackground = QColor::fromRgbF(0.94f, 0.94f, 0.94f);

bool isDateCategory(textCategory category)
{
    return category == tcAnniversary || category == tcBirthday || category == tcOtherDate;
}

void paint(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    palette.setColor(QPalette::Base, color);
    widget->setPalette(palette);
}

} // namespace

const QList<textCategory> &CAContactEditor::customCategories()
{
    static const QList<textCategory> categories = {tcCustom1, tcCustom2, tcCustom3, tcCustom4, tcCustom5,
                                                   tcCustom6, tcCustom7, tcCustom8, tcCustom9};
    return categories;
}

const QList<textCategory> &CAContactEditor::relatedCategories()
{
    static const QList<textCategory> categories = {tcFatherName, tcMotherName,  tcParentName,  tcBrotherName,
                                                   tcSisterName, tcChildName,   tcFriendName,  tcSpouseName,
                                                   tcPartnerName, tcAssistantName, tcManagerName};
    return categories;
}

const QList<textCategory> &CAContactEditor::imCategories()
{
    static const QList<textCategory> categories = {tcAIM, tcICQ, tcJabber, tcMSN, tcYahoo};
    return categories;
}

CAContactEditor::CAContactEditor(QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::ContactEditor>())
{
    m_ui->setupUi(this);
    setObjectName(u"contactEditor"_s);
    const Ui::ContactEditor &ui = *m_ui;
    m_commonFields = {{ui._firstName, tcFirstName},   {ui._lastName, tcLastName}, {ui._middleName, tcMiddleName},
                      {ui._maidenName, tcMaidenName}, {ui._nickname, tcNickName}, {ui._prefix, tcPrefix},
                      {ui._suffix, tcSuffix},         {ui._title, tcJobTitle},    {ui._company, tcCompany},
                      {ui._dept, tcDepartment},       {ui._mobile, tcMobile},     {ui._url, tcHomepage},
                      {ui._anniversary, tcAnniversary}};
    m_typeFields = {{ui._street, tcStreet}, {ui._city, tcCity},   {ui._state, tcState},
                    {ui._zip, tcZIP},       {ui._country, tcCountry}, {ui._phone, tcPhone},
                    {ui._fax, tcFax},       {ui._pager, tcPager}, {ui._email, tcEmail}};

    ui._tabView->addTab(PWLocalizedString(u"Home"_s));
    ui._tabView->addTab(PWLocalizedString(u"Work"_s));
    ui._tabView->addTab(PWLocalizedString(u"Other"_s));
    ui._tabView->setCurrentIndex(1);
    ui._tabView->setExpanding(false);
    // A tab bar not shown yet does not announce its new size: the layout is told to ask again.
    ui._tabView->updateGeometry();
    connect(ui._tabView, &QTabBar::currentChanged, this, &CAContactEditor::tabChanged);

    fillPopups();
    paint(ui._view, kViewBackground);
    paint(ui._addressPage, kTypeFieldBackground);

    QList<QLineEdit *> all;
    for (const Field &field : std::as_const(m_commonFields))
        all << field.edit;
    for (const Field &field : std::as_const(m_typeFields))
        all << field.edit;
    all << ui._custom << ui._related << ui._im;
    for (QLineEdit *edit : std::as_const(all)) {
        // A right click offers nothing: the fields are plain entries of one person.
        edit->setContextMenuPolicy(Qt::NoContextMenu);
        edit->setFrame(false);
        connect(edit, &QLineEdit::editingFinished, this, &CAContactEditor::synchronizeChanges);
    }
    for (const Field &field : std::as_const(m_typeFields))
        paint(field.edit, kTypeFieldBackground);
    paint(ui._im, kTypeFieldBackground);

    connect(ui._popupCustom, &QComboBox::activated, this,
            [this] { popupChanged(m_ui->_popupCustom, m_ui->_custom, customCategories(), &m_lastCustom); });
    connect(ui._popupRelated, &QComboBox::activated, this,
            [this] { popupChanged(m_ui->_popupRelated, m_ui->_related, relatedCategories(), &m_lastRelated); });
    connect(ui._popupIm, &QComboBox::activated, this,
            [this] { popupChanged(m_ui->_popupIm, m_ui->_im, imCategories(), &m_lastIm); });
    // A new editor starts on the work address, which is where a person's only address lives.
    m_copy = PWPerson::create();
    fillAllFields();
}

CAContactEditor::~CAContactEditor()
{
    // A field losing the focus while the editor goes would report an edit to it.
    for (QLineEdit *edit : findChildren<QLineEdit *>())
        edit->disconnect(this);
}

QWidget *CAContactEditor::buttonBox() const
{
    return m_ui->buttonBox;
}

QLineEdit *CAContactEditor::fieldOfCategory(textCategory category) const
{
    for (const QList<Field> *fields : {&m_commonFields, &m_typeFields}) {
        for (const Field &field : *fields) {
            if (field.category == category)
                return field.edit;
        }
    }
    return nullptr;
}

void CAContactEditor::fillPopups()
{
    m_ui->_popupCustom->clear();
    for (textCategory category : customCategories())
        m_ui->_popupCustom->addItem(PWLocalizedString(FTTextCategories::getKeyFromTextCategory(category)).toLower());
    m_ui->_popupRelated->clear();
    for (textCategory category : relatedCategories())
        m_ui->_popupRelated->addItem(
            PWLocalizedString(FTTextCategories::getLabelFromTextCategory(category)).toLower());
    m_ui->_popupIm->clear();
    for (textCategory category : imCategories())
        m_ui->_popupIm->addItem(PWLocalizedString(FTTextCategories::getKeyFromTextCategory(category)));
}

void CAContactEditor::setPersonByIndex(int row, CAContactTableModel *table)
{
    const std::shared_ptr<PWPerson> person = table ? table->personAt(row) : nullptr;
    if (!person) {
        setEmptyPerson();
        return;
    }
    m_table = table;
    m_row = row;
    // One kept unread stays so until a field is filled in.
    m_copy = CAPersonListDictionary::copyPerson(*person);
    m_edited = false;
    m_type = kTabTypes[m_ui->_tabView->currentIndex()];
    fillAllFields();
}

void CAContactEditor::setEmptyPerson()
{
    m_table = nullptr;
    m_row = -1;
    m_copy = PWPerson::create();
    m_edited = false;
    m_preventTabHandler = true;
    m_ui->_tabView->setCurrentIndex(0);
    m_preventTabHandler = false;
    m_type = kTabTypes[0];
    fillAllFields();
}

QString CAContactEditor::stringForField(textCategory category) const
{
    const QString text = stringForPersonCategory(m_copy.get(), m_type, category, false);
    return text.isNull() ? QString(u""_s) : text;
}

void CAContactEditor::fillAllFields()
{
    m_lastCustom = m_ui->_popupCustom->currentIndex();
    m_lastRelated = m_ui->_popupRelated->currentIndex();
    m_lastIm = m_ui->_popupIm->currentIndex();
    fillCommonFields();
    fillMultipleFields();
}

void CAContactEditor::fillCommonFields()
{
    for (const Field &field : std::as_const(m_commonFields))
        showText(field.edit, stringForField(field.category));
    fillChosen(m_ui->_custom, customCategories(), m_ui->_popupCustom->currentIndex());
    fillChosen(m_ui->_related, relatedCategories(), m_ui->_popupRelated->currentIndex());
}

void CAContactEditor::fillMultipleFields()
{
    for (const Field &field : std::as_const(m_typeFields))
        showText(field.edit, stringForField(field.category));
    fillChosen(m_ui->_im, imCategories(), m_ui->_popupIm->currentIndex());
}

void CAContactEditor::fillChosen(QLineEdit *edit, const QList<textCategory> &categories, int item)
{
    showText(edit, item >= 0 && item < categories.size() ? stringForField(categories.at(item)) : QString());
}

void CAContactEditor::showText(QLineEdit *edit, const QString &text)
{
    // A value longer than its field shows its beginning, not its end: the fields have no frame,
    // and a name cut at the front reads as another name.
    edit->setText(text);
    edit->setCursorPosition(0);
}

void CAContactEditor::saveField(QLineEdit *edit, textCategory category)
{
    if (!m_copy)
        return;
    const QString text = edit->text();
    // Compared exactly: "smith" corrected to "Smith" is a change and is kept.
    if (text == stringForField(category))
        return;
    m_edited = true;
    if (text.isEmpty() && isDateCategory(category)) {
        // An emptied date field removes the date; an empty text is no date to write.
        QString label;
        const QString property = getABPropertyKeyFromTextCategory(category, &label);
        if (std::optional<PWMultiValue> dates = m_copy->multiValueForProperty(property)) {
            for (qsizetype i = dates->count() - 1; i >= 0; --i) {
                if (dates->labelAtIndex(i) == label)
                    dates->removeValueAndLabelAtIndex(i);
            }
            m_copy->setMultiValueForProperty(property, *dates);
        } else {
            m_copy->removeValueForProperty(property);
        }
        return;
    }
    setStringForPersonCategory(m_copy.get(), text, m_type, category);
}

void CAContactEditor::saveChosen(QLineEdit *edit, const QList<textCategory> &categories, int item)
{
    if (item >= 0 && item < categories.size())
        saveField(edit, categories.at(item));
}

void CAContactEditor::saveCommonFields()
{
    for (const Field &field : std::as_const(m_commonFields))
        saveField(field.edit, field.category);
    saveChosen(m_ui->_custom, customCategories(), m_ui->_popupCustom->currentIndex());
    saveChosen(m_ui->_related, relatedCategories(), m_ui->_popupRelated->currentIndex());
}

void CAContactEditor::saveMultipleFields()
{
    for (const Field &field : std::as_const(m_typeFields))
        saveField(field.edit, field.category);
    saveChosen(m_ui->_im, imCategories(), m_ui->_popupIm->currentIndex());
}

void CAContactEditor::savePersonData()
{
    saveCommonFields();
    saveMultipleFields();
    saveChosen(m_ui->_custom, customCategories(), m_lastCustom);
    saveChosen(m_ui->_related, relatedCategories(), m_lastRelated);
}

void CAContactEditor::popupChanged(QComboBox *popup, QLineEdit *edit, const QList<textCategory> &categories,
                                   int *last)
{
    // The shared field still holds the value of the item it showed: it goes there first.
    saveChosen(edit, categories, *last);
    *last = popup->currentIndex();
    fillChosen(edit, categories, *last);
}

void CAContactEditor::tabChanged(int index)
{
    if (m_preventTabHandler)
        return;
    saveMultipleFields();
    m_type = index >= 0 && index < 3 ? kTabTypes[index] : adNone;
    fillMultipleFields();
}

bool CAContactEditor::hasUnsavedField() const
{
    if (!m_copy)
        return false;
    for (const QList<Field> *fields : {&m_commonFields, &m_typeFields})
        for (const Field &field : *fields)
            if (field.edit->text() != stringForField(field.category))
                return true;
    return false;
}

void CAContactEditor::storeChangesToPrintList()
{
    if (!m_copy)
        return;
    savePersonData();
    if (!m_table || m_row < 0)
        return;
    m_table->replacePersonAt(m_row, CAPersonListDictionary::copyPerson(*m_copy));
    Q_EMIT editingPersonDidChange(m_table->personAt(m_row));
}

void CAContactEditor::synchronizeChanges()
{
    if (!m_copy)
        return;
    savePersonData();
    if (!m_live || !m_table || m_row < 0 || !m_edited)
        return;
    m_table->replacePersonAt(m_row, m_copy);
    Q_EMIT editingPersonDidChange(m_copy);
}

CAContactEditorSheet::CAContactEditorSheet(QWidget *parent)
    : QDialog(parent)
    , m_editor(new CAContactEditor)
{
    setObjectName(u"contactEditorSheet"_s);
    setWindowTitle(PWLocalizedString(u"Edit Contact"_s));
    setWindowModality(Qt::WindowModal);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_editor);
    auto *buttons = qobject_cast<QDialogButtonBox *>(m_editor->buttonBox());
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        m_editor->storeChangesToPrintList();
        done(kOK);
    });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] { done(kCancel); });
    resize(480, 440);
}

int CAContactEditorSheet::editRow(int row, CAContactTableModel *table)
{
    m_editor->setPersonByIndex(row, table);
    CAWindowPlacement::placeCentred(this, parentWidget());
    const int code = exec();
    // The working copy is dropped either way; the next edit starts from the row again.
    m_editor->setEmptyPerson();
    return code;
}
