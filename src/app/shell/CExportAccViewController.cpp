#include "app/shell/CExportAccViewController.h"

#include "kernel/merge/CADocument.h"
#include <ui_exportAccessoryView.h>

CExportAccViewController::CExportAccViewController(QObject *parent)
    : QObject(parent)
    , m_ui(std::make_unique<Ui::exportAccessoryView>())
{
}

CExportAccViewController::~CExportAccViewController() = default;

QList<QPair<QString, QString>> CExportAccViewController::exportTypes()
{
    return {{CADocument::kPDFType, tr("PDF Document")}, {CADocument::kTIFFType, tr("TIFF Image")}};
}

QWidget *CExportAccViewController::saveView()
{
    if (!m_saveView) {
        m_saveView = new QWidget;
        m_ui->setupUi(m_saveView);
        for (const auto &[type, title] : exportTypes())
            m_ui->_savePopup->addItem(title, type);
        connect(m_ui->_savePopup, &QComboBox::currentIndexChanged, this,
                [this] { Q_EMIT typeChanged(selectedType()); });
    }
    return m_saveView;
}

QComboBox *CExportAccViewController::savePopup()
{
    saveView();
    return m_ui->_savePopup;
}

QString CExportAccViewController::selectedType() const
{
    return m_saveView ? m_ui->_savePopup->currentData().toString() : CADocument::kPDFType;
}

void CExportAccViewController::selectType(const QString &type)
{
    const int index = savePopup()->findData(type);
    if (index >= 0)
        savePopup()->setCurrentIndex(index);
}

QString CExportAccViewController::selectedExtension() const
{
    return selectedType() == CADocument::kTIFFType ? QStringLiteral("tiff") : QStringLiteral("pdf");
}
