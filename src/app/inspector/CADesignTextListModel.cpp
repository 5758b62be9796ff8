#include "app/inspector/CADesignTextListModel.h"

#include "platform/PWPasteboardTypes.h"

#include <QMimeData>

CADesignTextListModel::CADesignTextListModel(CADesignTextLists &lists, CADesignTextLists::List list, QObject *parent)
    : QAbstractListModel(parent)
    , m_lists(lists)
    , m_list(list)
{
}

void CADesignTextListModel::reload()
{
    beginResetModel();
    endResetModel();
}

int CADesignTextListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_lists.count(m_list);
}

QVariant CADesignTextListModel::data(const QModelIndex &index, int role) const
{
    const CADesignTextItem *item = m_lists.itemAtRow(m_list, index.row());
    if (!item)
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return item->title();
    return {};
}

Qt::ItemFlags CADesignTextListModel::flags(const QModelIndex &index) const
{
    const CADesignTextItem *item = m_lists.itemAtRow(m_list, index.row());
    if (!item || item->type() == CADesignTextItem::Separator)
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsDragEnabled;
}

QStringList CADesignTextListModel::mimeTypes() const
{
    return {PWPasteboardTypes::mimeTypeOf(PWPasteboardTypes::kAddressDocument)};
}

QMimeData *CADesignTextListModel::mimeData(const QModelIndexList &indexes) const
{
    if (indexes.isEmpty())
        return nullptr;
    return m_lists.mimeDataForRow(m_list, indexes.first().row()).release();
}
