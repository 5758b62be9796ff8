#include "app/shell/CASavePanel.h"

#include "kernel/merge/CADocument.h"
#include "app/shell/CExportAccViewController.h"

#include <QComboBox>
#include <QDir>
#include <QStandardPaths>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

namespace {

// Where a panel opens for a document that has no file yet: the user's documents folder.
QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

QString designFilter()
{
    return QFileDialog::tr("Parcelwick designs (*.%1)").arg(CADocument::kFileExtension);
}

} // namespace

QMessageBox *CASavePanel::makeSaveChangesQuestion(QWidget *window, const QString &displayName)
{
    auto *box = new QMessageBox(window);
    box->setObjectName(QStringLiteral("saveChangesQuestion"));
    box->setIcon(QMessageBox::Warning);
    box->setWindowTitle(QStringLiteral("Parcelwick"));
    box->setText(QMessageBox::tr("Do you want to save the changes you made in the document “%1”?").arg(displayName));
    box->setInformativeText(QMessageBox::tr("Your changes will be lost if you don’t save them."));
    box->setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    box->button(QMessageBox::Discard)->setText(QMessageBox::tr("Don’t Save"));
    box->setDefaultButton(QMessageBox::Save);
    box->setWindowModality(Qt::WindowModal);
    return box;
}

QFileDialog *CASavePanel::makeSavePanel(QWidget *window, CADocumentManager::SaveKind kind,
                                        const QString &suggestedPath, CExportAccViewController *accessory)
{
    auto *panel = new QFileDialog(window);
    panel->setObjectName(kind == CADocumentManager::SaveKind::Export ? QStringLiteral("exportPanel")
                                                                     : QStringLiteral("savePanel"));
    // Our own panel: the platform's cannot take the format accessory.
    panel->setOption(QFileDialog::DontUseNativeDialog);
    panel->setAcceptMode(QFileDialog::AcceptSave);
    panel->setFileMode(QFileDialog::AnyFile);
    panel->setWindowModality(Qt::WindowModal);
    if (!QFileInfo(suggestedPath).isAbsolute())
        panel->setDirectory(documentsFolder());
    panel->selectFile(suggestedPath);
    if (kind == CADocumentManager::SaveKind::Export && accessory) {
        panel->setWindowTitle(QFileDialog::tr("Export"));
        panel->setNameFilter(QFileDialog::tr("PDF or TIFF (*.pdf *.tif *.tiff)"));
        if (auto *grid = qobject_cast<QGridLayout *>(panel->layout()))
            grid->addWidget(accessory->saveView(), grid->rowCount(), 0, 1, grid->columnCount());
        QObject::connect(accessory, &CExportAccViewController::typeChanged, panel, [panel, accessory] {
            const QStringList files = panel->selectedFiles();
            const QFileInfo chosen(files.isEmpty() ? QString() : files.first());
            if (!chosen.fileName().isEmpty())
                panel->selectFile(chosen.completeBaseName() + QLatin1Char('.') + accessory->selectedExtension());
        });
    } else {
        panel->setWindowTitle(QFileDialog::tr("Save"));
        panel->setNameFilter(designFilter());
        panel->setDefaultSuffix(CADocument::kFileExtension);
    }
    return panel;
}

QFileDialog *CASavePanel::makeOpenPanel(QWidget *window)
{
    auto *panel = new QFileDialog(window, QFileDialog::tr("Open"));
    panel->setObjectName(QStringLiteral("openPanel"));
    panel->setOption(QFileDialog::DontUseNativeDialog);
    panel->setAcceptMode(QFileDialog::AcceptOpen);
    panel->setDirectory(documentsFolder());
    panel->setFileMode(QFileDialog::ExistingFile);
    panel->setNameFilters({designFilter(), QFileDialog::tr("All files (*)")});
    return panel;
}

CADocumentManager::Questions CASavePanel::questions()
{
    CADocumentManager::Questions questions;
    questions.saveChanges = [](QWidget *window, const QString &displayName) {
        std::unique_ptr<QMessageBox> box(makeSaveChangesQuestion(window, displayName));
        switch (box->exec()) {
        case QMessageBox::Save:
            return CADocumentManager::SaveAnswer::Save;
        case QMessageBox::Discard:
            return CADocumentManager::SaveAnswer::DontSave;
        default:
            return CADocumentManager::SaveAnswer::Cancel;
        }
    };
    questions.savePath = [](QWidget *window, CADocumentManager::SaveKind kind, const QString &suggested,
                            QString *type) {
        CExportAccViewController accessory;
        if (type)
            accessory.selectType(*type);
        std::unique_ptr<QFileDialog> panel(makeSavePanel(window, kind, suggested, type ? &accessory : nullptr));
        if (panel->exec() != QDialog::Accepted || panel->selectedFiles().isEmpty())
            return QString();
        if (type)
            *type = accessory.selectedType();
        return panel->selectedFiles().first();
    };
    questions.openPath = [](QWidget *window) {
        std::unique_ptr<QFileDialog> panel(makeOpenPanel(window));
        if (panel->exec() != QDialog::Accepted || panel->selectedFiles().isEmpty())
            return QString();
        return panel->selectedFiles().first();
    };
    questions.confirmRevert = [](QWidget *window, const QString &displayName) {
        return QMessageBox::question(
                   window, QStringLiteral("Parcelwick"),
                   QMessageBox::tr("Do you want to revert to the most recently saved version of “%1”? "
                                   "Your current changes will be lost.")
                       .arg(displayName),
                   QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
    };
    questions.report = [](QWidget *window, const QString &message) {
        QMessageBox::warning(window, QStringLiteral("Parcelwick"), message);
    };
    return questions;
}
