#include "app/contacts/CATextImportDialog.h"

#include "app/contacts/CAContactImportHooks.h"
#include "app/contacts/CATextEncodings.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWBundle.h"

#include <ui_TextFileImport.h>

#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// The keys a column can be read into, in the menu's order, each with what the user reads for it.
struct KeyTitle
{
    const char *key;
    const char *title;
};
constexpr KeyTitle kKeys[] = {
    {"skip", "Skip"},
    {"firstname", "First Name"},
    {"lastname", "Last Name"},
    {"prefix", "Prefix"},
    {"suffix", "Suffix"},
    {"middlename", "Middle Name"},
    {"nickname", "Nickname"},
    {"maidenname", "Maiden Name"},
    {"title", "Job Title"},
    {"companyname", "Company"},
    {"department", "Department"},
    {"workstreet", "Work Street"},
    {"workstreet2", "Work Street 2"},
    {"workstreet3", "Work Street 3"},
    {"workpobox", "Work PO Box"},
    {"workcity", "Work City"},
    {"workstate", "Work State"},
    {"workzip", "Work ZIP"},
    {"workcountry", "Work Country"},
    {"workcountrycode", "Work Country Code"},
    {"homestreet", "Home Street"},
    {"homestreet2", "Home Street 2"},
    {"homestreet3", "Home Street 3"},
    {"homepobox", "Home PO Box"},
    {"homecity", "Home City"},
    {"homestate", "Home State"},
    {"homezip", "Home ZIP"},
    {"homecountry", "Home Country"},
    {"homecountrycode", "Home Country Code"},
    {"otherstreet", "Other Street"},
    {"otherstreet2", "Other Street 2"},
    {"otherstreet3", "Other Street 3"},
    {"otherpobox", "Other PO Box"},
    {"othercity", "Other City"},
    {"otherstate", "Other State"},
    {"otherzip", "Other ZIP"},
    {"othercountry", "Other Country"},
    {"othercountrycode", "Other Country Code"},
    {"phonework", "Work Phone"},
    {"phonehome", "Home Phone"},
    {"phoneother", "Other Phone"},
    {"mobile", "Mobile"},
    {"pager", "Pager"},
    {"faxwork", "Work Fax"},
    {"faxhome", "Home Fax"},
    {"faxother", "Other Fax"},
    {"homepage", "Homepage"},
    {"emailwork", "Work Email"},
    {"emailhome", "Home Email"},
    {"custom1", "Custom 1"},
    {"custom2", "Custom 2"},
    {"custom3", "Custom 3"},
    {"custom4", "Custom 4"},
    {"custom5", "Custom 5"},
    {"custom6", "Custom 6"},
    {"custom7", "Custom 7"},
    {"custom8", "Custom 8"},
    {"custom9", "Custom 9"},
};

QStringList keyField(const char *KeyTitle::*field)
{
    QStringList list;
    for (const KeyTitle &entry : kKeys)
        list << QString::fromLatin1(entry.*field);
    return list;
}

const QStringList &keyTitles()
{
    static const QStringList titles = keyField(&KeyTitle::title);
    return titles;
}

} // namespace

const QStringList &CATextImportDialog::keyList()
{
    static const QStringList keys = keyField(&KeyTitle::key);
    return keys;
}

const QStringList &CATextImportDialog::defaultDelimiters()
{
    static const QStringList delimiters = {u"\t"_s, u","_s, u";"_s, u""_s};
    return delimiters;
}

CATextImportDialog::CATextImportDialog(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::TextFileImport>())
    , m_delimiterList(defaultDelimiters())
{
    m_ui->setupUi(this);
    setWindowModality(Qt::WindowModal);
    for (int index = 0; index < m_ui->_delimiterButton->count(); ++index)
        m_ui->_delimiterButton->setItemText(index, PWLocalizedString(m_ui->_delimiterButton->itemText(index)));
    for (const PWPlist &entry : CAEnvironment::getEncodingList()) {
        const QString stored = entry.toString();
        m_encodingList.append(stored);
        const std::optional<quint32> encoding = CATextEncodings::fromStoredText(stored);
        const QString title = encoding ? CATextEncodings::displayName(*encoding) : QString();
        m_ui->_encodingButton->addItem(title.isEmpty() ? u"-"_s : title);
    }
    QHeaderView *header = m_ui->_tableView->horizontalHeader();
    header->setSectionResizeMode(NumberColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(KeyColumn, QHeaderView::ResizeToContents);
    header->setStretchLastSection(true);
    m_ui->_tableView->verticalHeader()->hide();

    connect(m_ui->_headerCheck, &QCheckBox::clicked, this, &CATextImportDialog::headerCheck);
    connect(m_ui->_prevRecord, &QPushButton::clicked, this, [this] { step(-1); });
    connect(m_ui->_nextRecord, &QPushButton::clicked, this, [this] { step(1); });
    connect(m_ui->_encodingButton, &QComboBox::activated, this, &CATextImportDialog::changeEncoding);
    connect(m_ui->_delimiterButton, &QComboBox::activated, this, &CATextImportDialog::changeDelimiter);
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setText(PWLocalizedString(u"Import"_s));
    // Import is the one way to confirm: Cancel, Escape and the window's close button all reject.
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CATextImportDialog::~CATextImportDialog() = default;

void CATextImportDialog::prepare(CADelimitedText &text, const CATextImportOptions &options)
{
    m_text = &text;
    m_headerForced = options.headerForced;
    m_registry = text.registry();

    // A delimiter the list lacks (read from the file itself) gets an item of its own.
    const QSignalBlocker delimiterBlocker(m_ui->_delimiterButton);
    if (const std::optional<QString> delimiter = text.delimiter()) {
        qsizetype index = m_delimiterList.indexOf(*delimiter);
        if (index < 0) {
            m_delimiterList.append(*delimiter);
            m_ui->_delimiterButton->addItem(*delimiter);
            index = m_delimiterList.size() - 1;
        }
        m_ui->_delimiterButton->setCurrentIndex(int(index));
    } else {
        m_ui->_delimiterButton->setCurrentIndex(-1);
    }
    const QSignalBlocker encodingBlocker(m_ui->_encodingButton);
    // The readings the letters of the text allow as well are offered, whatever the list holds.
    if (const std::optional<CATextEncodings::EightBitReading> reading = text.eightBitReading()) {
        for (const quint32 other : reading->alternatives) {
            const bool listed = std::any_of(m_encodingList.cbegin(), m_encodingList.cend(), [other](const QString &stored) {
                return CATextEncodings::fromStoredText(stored) == other;
            });
            if (!listed) {
                m_encodingList.append(QString::number(qint32(other)));
                m_ui->_encodingButton->addItem(CATextEncodings::displayName(other));
            }
        }
    }
    qsizetype encodingIndex = -1;
    for (qsizetype index = 0; index < m_encodingList.size() && encodingIndex < 0; ++index) {
        if (CATextEncodings::fromStoredText(m_encodingList.at(index)) == text.encoding())
            encodingIndex = index;
    }
    if (encodingIndex < 0) {
        const QString encoding = QString::number(qint32(text.encoding()));
        // The reading found an encoding the configured list leaves out: it is offered too, so
        // that the pop-up shows what the text is read in.
        m_encodingList.append(encoding);
        m_ui->_encodingButton->addItem(CATextEncodings::displayName(text.encoding()));
        encodingIndex = m_encodingList.size() - 1;
    }
    m_ui->_encodingButton->setCurrentIndex(int(encodingIndex));

    m_currentRecord = 0;
    updateControls();
    m_ui->_delimiterButton->setEnabled(options.delimiterChoice);
    m_ui->_encodingButton->setEnabled(options.encodingChoice);
}

int CATextImportDialog::openDialog(CADelimitedText &text, const CATextImportOptions &options)
{
    prepare(text, options);
    const int answer = exec() == QDialog::Accepted ? kConfirmed : kCancelled;
    finish();
    return answer;
}

void CATextImportDialog::finish()
{
    if (m_text)
        m_text->setRegistry(m_registry);
    m_text = nullptr;
}

bool CATextImportDialog::confirm(CADelimitedText &text, const CATextImportOptions &options, QWidget *window)
{
    CATextImportDialog dialog(window);
    return dialog.openDialog(text, options) == kConfirmed;
}

int CATextImportDialog::keyIndexForColumn(int column) const
{
    for (auto it = m_registry.cbegin(); it != m_registry.cend(); ++it) {
        if (it.value() == column) {
            const qsizetype index = keyList().indexOf(it.key());
            return index < 0 ? 0 : int(index);
        }
    }
    return 0;
}

int CATextImportDialog::keyIndexOfColumn(int column) const
{
    const QComboBox *popup = keyPopupOfColumn(column);
    return popup ? popup->currentIndex() : -1;
}

QComboBox *CATextImportDialog::keyPopupOfColumn(int column) const
{
    return qobject_cast<QComboBox *>(m_ui->_tableView->cellWidget(column, KeyColumn));
}

void CATextImportDialog::keyChange(int column, int keyIndex)
{
    QString current;
    for (auto it = m_registry.cbegin(); it != m_registry.cend(); ++it) {
        if (it.value() == column) {
            current = it.key();
            break;
        }
    }
    if (!current.isEmpty())
        m_registry.remove(current);
    // A key belongs to one column: given here, it leaves the column that had it.
    if (keyIndex > 0 && keyIndex < keyList().size())
        m_registry.insert(keyList().at(keyIndex), column);
    reloadTable();
}

void CATextImportDialog::headerCheck(bool on)
{
    if (!m_text)
        return;
    m_text->setHasHeader(on);
    updateControls();
}

void CATextImportDialog::step(int by)
{
    if (!m_text)
        return;
    if (by < 0 && m_currentRecord > 0)
        --m_currentRecord;
    else if (by > 0 && m_currentRecord + 1 < m_text->recordsCount())
        ++m_currentRecord;
    updateControls();
}

void CATextImportDialog::changeEncoding(int index)
{
    if (!m_text || index < 0 || index >= m_encodingList.size())
        return;
    const std::optional<quint32> encoding = CATextEncodings::fromStoredText(m_encodingList.at(index));
    if (!encoding)
        return;
    m_text->setEncoding(*encoding);
    updateControls();
}

void CATextImportDialog::changeDelimiter(int index)
{
    if (!m_text || index < 0 || index >= m_delimiterList.size())
        return;
    m_text->setDelimiter(m_delimiterList.at(index));
    updateControls();
}

void CATextImportDialog::updateControls()
{
    const int records = m_text ? int(m_text->recordsCount()) : 0;
    m_ui->_prevRecord->setEnabled(m_currentRecord != 0 && records != 0);
    if (m_currentRecord + 1 >= records) {
        m_currentRecord = std::max(0, records - 1);
        m_ui->_nextRecord->setEnabled(false);
    } else {
        m_ui->_nextRecord->setEnabled(true);
    }
    const bool header = m_text && m_text->hasHeader();
    m_ui->_tableView->setColumnHidden(HeaderColumn, !header);
    m_ui->_headerCheck->setChecked(header);
    m_ui->_headerCheck->setEnabled(!m_headerForced && m_text);
    m_ui->_info->setText(u"%1/%2"_s.arg(records == 0 ? 0 : m_currentRecord + 1).arg(records));
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(records != 0);
    reloadTable();
}

void CATextImportDialog::reloadTable()
{
    QTableWidget *table = m_ui->_tableView;
    const int columns = m_text && m_text->isValid() ? int(m_text->fieldsCount()) : 0;
    if (table->rowCount() != columns)
        table->setRowCount(columns);
    // The header and the record shown, each unpacked once: a field asked for by itself unpacks
    // its whole row, which made the table's filling grow with the square of the columns.
    const bool hasHeader = m_text && m_text->hasHeader();
    const QStringList header = columns > 0 && hasHeader ? m_text->row(0) : QStringList();
    const QStringList record = columns > 0 ? m_text->row(m_currentRecord + (hasHeader ? 1 : 0)) : QStringList();
    for (int column = 0; column < columns; ++column) {
        const auto setText = [table, column](int tableColumn, const QString &text) {
            QTableWidgetItem *item = table->item(column, tableColumn);
            if (!item) {
                item = new QTableWidgetItem;
                table->setItem(column, tableColumn, item);
            }
            item->setText(text);
        };
        setText(NumberColumn, QString::number(column + 1));
        setText(HeaderColumn, column < header.size() ? header.at(column) : QString());
        QString data = column < record.size() ? record.at(column) : QString();
        // Line breaks inside a field were kept as pilcrows; a blank reads better in one row.
        data.replace(QChar(0x00B6), u' ');
        setText(DataColumn, data);

        auto *popup = keyPopupOfColumn(column);
        if (!popup) {
            popup = new QComboBox;
            popup->setObjectName(u"keyPopup%1"_s.arg(column));
            for (const QString &title : keyTitles())
                popup->addItem(PWLocalizedString(title));
            connect(popup, &QComboBox::activated, this, [this, column](int item) { keyChange(column, item); });
            table->setCellWidget(column, KeyColumn, popup);
        }
        const QSignalBlocker blocker(popup);
        popup->setCurrentIndex(keyIndexForColumn(column));
    }
}
