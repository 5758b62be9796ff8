#include "app/printing/CATemplateTableModel.h"

#include "platform/PWBundle.h"

#include <QFont>
#include <QGuiApplication>

CATemplateTableModel::CATemplateTableModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void CATemplateTableModel::setSource(const CATemplateFormat::TemplateList *list)
{
    beginResetModel();
    m_list = list;
    endResetModel();
}

void CATemplateTableModel::reload()
{
    beginResetModel();
    endResetModel();
}

std::shared_ptr<CATemplateFormat> CATemplateTableModel::templateAt(int row) const
{
    if (!m_list || row < 0 || row >= m_list->size())
        return nullptr;
    return m_list->at(row);
}

int CATemplateTableModel::rowOf(const std::shared_ptr<CATemplateFormat> &format) const
{
    return m_list && format ? int(m_list->indexOf(format)) : -1;
}

QString CATemplateTableModel::cellText(const CATemplateFormat &format, int column)
{
    switch (column) {
    case IdColumn:
        return format.ID();
    case ManufacturerColumn:
        // Templates made by the user carry the unlocalized maker name.
        return format.Manufacturer() == QLatin1String("Custom") ? PWLocalizedString(QStringLiteral("Custom"))
                                                                 : format.Manufacturer();
    case DescriptionColumn:
        return format.Description();
    case SizeColumn:
        return format.sizeString();
    default:
        return QString();
    }
}

int CATemplateTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_list ? 0 : int(m_list->size());
}

int CATemplateTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CATemplateTableModel::data(const QModelIndex &index, int role) const
{
    const auto format = templateAt(index.row());
    if (!format)
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return cellText(*format, index.column());
    if (role == Qt::FontRole) {
        // The small size of the system font: eleven parts in thirteen of the regular one.
        QFont font = QGuiApplication::font();
        if (font.pointSizeF() > 0)
            font.setPointSizeF(font.pointSizeF() * 11.0 / 13.0);
        return font;
    }
    return QVariant();
}

QVariant CATemplateTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case IdColumn:
        return PWLocalizedString(QStringLiteral("ID"));
    case ManufacturerColumn:
        return PWLocalizedString(QStringLiteral("Manufacturer"));
    case DescriptionColumn:
        return PWLocalizedString(QStringLiteral("Description"));
    case SizeColumn:
        return PWLocalizedString(QStringLiteral("Size"));
    default:
        return QVariant();
    }
}
