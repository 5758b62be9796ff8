#pragma once

#include "kernel/printing/CATemplateFormat.h"

#include <QAbstractTableModel>

#include <memory>

// One of the chooser's three lists as a table: ID, manufacturer, description and size. The model
// shows a list it does not own (the filtered list or a catalogue list changed in place) and is
// told to reload after every change.
class CATemplateTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { IdColumn, ManufacturerColumn, DescriptionColumn, SizeColumn, ColumnCount };

    explicit CATemplateTableModel(QObject *parent = nullptr);

    // The list shown; null shows nothing. The list must outlive the model or be replaced first.
    void setSource(const CATemplateFormat::TemplateList *list);
    const CATemplateFormat::TemplateList *source() const { return m_list; }
    // The list changed: rows are read again.
    void reload();

    std::shared_ptr<CATemplateFormat> templateAt(int row) const;
    // The row of that very template, or -1.
    int rowOf(const std::shared_ptr<CATemplateFormat> &format) const;
    // The text of a cell as the table shows it.
    static QString cellText(const CATemplateFormat &format, int column);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const CATemplateFormat::TemplateList *m_list = nullptr;
};
