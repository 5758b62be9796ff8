#pragma once

#include "app/inspector/CADesignTextLists.h"

#include <QAbstractListModel>

// One of the design window's two lists as a table model: titles, separators (empty titles),
// rows that drag but never select.
class CADesignTextListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    CADesignTextListModel(CADesignTextLists &lists, CADesignTextLists::List list, QObject *parent = nullptr);

    CADesignTextLists &lists() const { return m_lists; }
    CADesignTextLists::List list() const { return m_list; }
    // The lists were rebuilt.
    void reload();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    // The first row's drag data; none (the drag does not start) when it makes no component.
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

private:
    CADesignTextLists &m_lists;
    CADesignTextLists::List m_list;
};
