#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QComboBox;
class QWidget;

namespace Ui {
class exportAccessoryView;
}

// The part of the export save panel that chooses the format: one entry per export type of the
// design file, each carrying the MIME type it writes.
class CExportAccViewController : public QObject
{
    Q_OBJECT
public:
    explicit CExportAccViewController(QObject *parent = nullptr);
    ~CExportAccViewController() override;

    // The export types and their titles, from the bundle's document types ("NSExportableAs").
    static QList<QPair<QString, QString>> exportTypes();

    // Made on first use; the panel that shows it takes it over.
    QWidget *saveView();
    QComboBox *savePopup();
    QString selectedType() const;
    void selectType(const QString &type);
    // The file name extension of the chosen type.
    QString selectedExtension() const;

Q_SIGNALS:
    void typeChanged(const QString &type);

private:
    std::unique_ptr<Ui::exportAccessoryView> m_ui;
    QWidget *m_saveView = nullptr;
};
