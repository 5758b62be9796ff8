#include "app/inspector/CAAddressFormatGrid.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/FTTextCategories.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWUndoManager.h"
#include "platform/PWUserDefaults.h"

#include <QDateTime>

#include <memory>

namespace {

const QString kRow = QStringLiteral("Row");
const QString kColumn = QStringLiteral("Column");
const QString kLabel = QStringLiteral("Label");

PWPlist position(int row, int column, int category)
{
    PWPlist::Dictionary entry;
    entry.insert(kRow, PWPlist::fromInteger(row));
    entry.insert(kColumn, PWPlist::fromInteger(column));
    entry.insert(kLabel, PWPlist::fromString(FTTextCategories::getLabelFromTextCategory(static_cast<textCategory>(category))));
    return entry;
}

} // namespace

const std::vector<int> &CAAddressFormatGrid::paletteRows()
{
    static const std::vector<int> rows = {
        128, -1, 19, 17, 108, 18, 24, 107, 109, -1, 4, 2, 20, -1, 5, 13, 14, 15, 16, 106, -1,
        11, 10, 7, 9, 8, 103, 100, 101, -1, 122, 125, 123, 124, 126, -1,
        110, 111, 112, 114, 113, 115, 116, 117, 118, 119, 120, -1, 21, 22, 23, 27, 28, 29, 30, 31, 32,
    };
    return rows;
}

QByteArray CAAddressFormatGrid::fieldDragData(int category)
{
    QByteArray bytes = QByteArray::number(category).left(8);
    bytes.append(QByteArray(8 - bytes.size(), '\0'));
    return bytes;
}

int CAAddressFormatGrid::categoryFromDragData(const QByteArray &bytes)
{
    QByteArray text = bytes.left(8);
    const qsizetype end = text.indexOf('\0');
    if (end >= 0)
        text.truncate(end);
    text = text.trimmed();
    qsizetype digits = 0;
    if (digits < text.size() && (text[digits] == '-' || text[digits] == '+'))
        ++digits;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9')
        ++digits;
    bool ok = false;
    const int value = text.left(digits).toInt(&ok);
    return ok ? value : -1;
}

PWPlist::Dictionary CAAddressFormatGrid::customFormatDescFromAddressFormat(CAddressFormat *format)
{
    PWPlist::Dictionary description;
    if (format && format->initEnumeration()) {
        int row = 0;
        do {
            int column = 0;
            while (CAddressFormat *leaf = format->nextObjectInRow()) {
                const textCategory category = leaf->getTextCategory();
                const QString key = FTTextCategories::getKeyFromTextCategory(category);
                if (!key.isEmpty())
                    description.insert(key, position(row, column, category));
                ++column;
            }
            ++row;
        } while (format->nextRow());
    }
    description.insert(QStringLiteral("FormatName"), PWPlist::fromString(QStringLiteral("new added")));
    description.insert(QStringLiteral("Date"), PWPlist::fromDate(QDateTime::currentDateTimeUtc()));
    return description;
}

CAAddressFormatGrid::CAAddressFormatGrid()
{
    clearTemplateMatrix();
}

int CAAddressFormatGrid::categoryAt(int row, int column) const
{
    if (row < 0 || row >= kRows || column < 0 || column >= kColumns)
        return -1;
    return m_cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void CAAddressFormatGrid::setCellInfo(int row, int column, int category)
{
    if (row < 0 || row >= kRows || column < 0 || column >= kColumns)
        return;
    m_cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = category;
}

void CAAddressFormatGrid::clearTemplateMatrix()
{
    for (auto &row : m_cells)
        row.fill(-1);
}

bool CAAddressFormatGrid::isEmpty() const
{
    for (const auto &row : m_cells) {
        for (const int cell : row) {
            if (cell != -1)
                return false;
        }
    }
    return true;
}

void CAAddressFormatGrid::initWithFormatDesc(const PWPlist::Dictionary &description)
{
    clearTemplateMatrix();
    for (const auto &[key, value] : description) {
        if (!value.isDictionary())
            continue;
        const textCategory category = FTTextCategories::getTextCategoryFromKey(key);
        if (category == -1)
            continue;
        const PWPlist::Dictionary &entry = value.toDictionary();
        setCellInfo(static_cast<int>(entry.value(kRow).toInteger()), static_cast<int>(entry.value(kColumn).toInteger()),
                    category);
    }
}

bool CAAddressFormatGrid::initWithFormatAtIndex(int index)
{
    const PWPlist::Array stored = PWUserDefaults::standardUserDefaults().arrayForKey(QStringLiteral("CustomAddressFormat"));
    if (index < 0 || index >= stored.size() || !stored.at(index).isDictionary())
        return false;
    initWithFormatDesc(stored.at(index).toDictionary());
    return true;
}

bool CAAddressFormatGrid::initWithDefaultTemplate()
{
    const std::unique_ptr<CAddressFormat> format = CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
        CAEnvironment::defaultTemplate(), CAEnvironment::defaultCountry(), false, 0);
    if (!format)
        return false;
    initWithFormatDesc(customFormatDescFromAddressFormat(format.get()));
    return true;
}

int CAAddressFormatGrid::compactFormatDesc(Compacted &a) const
{
    for (auto &column : a)
        column.fill(-1);
    int n = 0;
    int fields = 0;
    for (int row = 0; row < kRows; ++row) {
        int m = 0;
        for (int column = 0; column < kColumns; ++column) {
            const int category = categoryAt(row, column);
            if (category == -1)
                continue;
            a[static_cast<std::size_t>(m)][static_cast<std::size_t>(n)] = category;
            ++m;
            ++fields;
        }
        if (m > 0)
            ++n;
    }
    return fields;
}

PWPlist::Dictionary CAAddressFormatGrid::getFormatDesc(const QString &name)
{
    Compacted a;
    m_lastCompactingRatio = compactFormatDesc(a);
    PWPlist::Dictionary description;
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const int category = a[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)];
            const QString key = category == -1 ? QString() : FTTextCategories::getKeyFromTextCategory(static_cast<textCategory>(category));
            if (!key.isEmpty())
                description.insert(key, position(row, column, category));
        }
    }
    description.insert(QStringLiteral("FormatName"), PWPlist::fromString(name));
    description.insert(QStringLiteral("Date"), PWPlist::fromDate(QDateTime::currentDateTimeUtc()));
    return description;
}

bool CAAddressFormatGrid::findCellWithTextCategory(int category, int *row, int *column) const
{
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            if (categoryAt(r, c) == category) {
                *row = r;
                *column = c;
                return true;
            }
        }
    }
    return false;
}

void CAAddressFormatGrid::beginDragFromCell(int row, int column)
{
    if (categoryAt(row, column) == -1) {
        beginDragFromPalette();
        return;
    }
    m_sourceRow = row;
    m_sourceColumn = column;
}

bool CAAddressFormatGrid::dropOnCell(int category, int row, int column, PWUndoManager *undo)
{
    if (category == -1 || row < 0 || row >= kRows || column < 0 || column >= kColumns)
        return false;
    int foundRow = -1;
    int foundColumn = -1;
    if (findCellWithTextCategory(category, &foundRow, &foundColumn)) {
        m_sourceRow = foundRow;
        m_sourceColumn = foundColumn;
    }
    const int old = categoryAt(row, column);
    if (old == category && (!hasSource() || (m_sourceRow == row && m_sourceColumn == column)))
        return false;
    setCellInfo(row, column, category);
    if (undo)
        undo->removeAllActionsWithTarget(this);
    if (hasSource() && (m_sourceRow != row || m_sourceColumn != column))
        setCellInfo(m_sourceRow, m_sourceColumn, old);
    return true;
}

bool CAAddressFormatGrid::removeDraggedCell()
{
    if (!hasSource())
        return false;
    setCellInfo(m_sourceRow, m_sourceColumn, -1);
    beginDragFromPalette();
    return true;
}

void CAAddressFormatGrid::undoSetCellInfo(int row, int column, int category, PWUndoManager *undo)
{
    const int old = categoryAt(row, column);
    if (undo)
        undo->registerUndo(this, [this, row, column, old, undo] { undoSetCellInfo(row, column, old, undo); });
    setCellInfo(row, column, category);
}

void CAAddressFormatGrid::clearTemplate(PWUndoManager *undo)
{
    if (undo)
        undo->beginUndoGrouping();
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column)
            undoSetCellInfo(row, column, -1, undo);
    }
    beginDragFromPalette();
    if (undo) {
        undo->setActionName(QStringLiteral("CLEAR_TEMPLATE"));
        undo->endUndoGrouping();
    }
}
