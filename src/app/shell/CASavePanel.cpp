#include "app/shell/CASavePanel.h"

#include "kernel/merge/CADocument.h"
#include "app/shell/CExportAccViewController.h"

#include <QComboBox>
#include <QDir>
#include <QStandardPaths>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>

namespace {


// Qt's own panel opens small, and its places column cuts the folder names short; this is the
// room a user gives it by hand.
void giveRoom(QFileDialog *panel)
{
    constexpr int kWidth = 800;
    constexpr int kHeight = 500;
    constexpr int kPlaces = 190;
    panel->resize(kWidth, kHeight);
    if (auto *split = panel->findChild<QSplitter *>(QStringLiteral("splitter")))
        split->setSizes({kPlaces, kWidth - kPlaces});
}

// The export format a file name's extension names, in any letter case; empty for none.
QString exportTypeForName(const QString &name)
{
    const QString suffix = QFileInfo(name).suffix().toLower();
    if (suffix == u"pdf")
        return CADocument::kPDFType;
    if (suffix == u"tif" || suffix == u"tiff")
        return CADocument::kTIFFType;
    return QString();
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
        // The name and the format agree while the user chooses: a format picked in the pop-up
        // puts its extension on the name, and a name typed with a known extension picks its
        // format, as the command line takes the format from the extension.
        if (auto *name = panel->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))) {
            QObject::connect(accessory, &CExportAccViewController::typeChanged, name, [name, accessory] {
                const QString text = name->text();
                const QString named = exportTypeForName(text);
                if (QFileInfo(text).fileName().isEmpty() || named == accessory->selectedType())
                    return;
                const QString base = named.isEmpty() ? text : text.chopped(QFileInfo(text).suffix().size() + 1);
                name->setText(base + QLatin1Char('.') + accessory->selectedExtension());
            });
            QObject::connect(name, &QLineEdit::textChanged, accessory, [accessory](const QString &text) {
                const QString named = exportTypeForName(text);
                if (!named.isEmpty())
                    accessory->selectType(named);
            });
        }
    } else {
        panel->setWindowTitle(QFileDialog::tr("Save"));
        panel->setNameFilter(designFilter());
        panel->setDefaultSuffix(CADocument::kFileExtension);
    }
    giveRoom(panel);
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
    giveRoom(panel);
    return panel;
}

QMessageBox *CASavePanel::makeReadProblemsMessage(QWidget *window, const QString &message,
                                                  const QStringList &problems, bool savingLoses, bool someKept)
{
    auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Parcelwick"), message, QMessageBox::Ok, window);
    box->setObjectName(QStringLiteral("readProblemsMessage"));
    QStringList lines;
    for (const QString &problem : problems.mid(0, kProblemsShown))
        lines.append(QStringLiteral("• ") + problem);
    if (problems.size() > kProblemsShown) {
        lines.append(QMessageBox::tr("… and %n more.", nullptr, int(problems.size() - kProblemsShown)));
        box->setDetailedText(problems.join(QLatin1Char('\n')));
    }
    lines.append(QString());
    // Each part says what became of it and whether a save keeps it; this sums up what a save of
    // them all does. Parts kept are written back by a save: a user told otherwise would stay away
    // from a harmless save, and one told only that would lose the others.
    if (!savingLoses)
        lines.append(QMessageBox::tr("Saving keeps every part as the file has it: the file loses nothing."));
    else if (someKept)
        lines.append(QMessageBox::tr("Saving over the file asks first: replacing it loses the parts left out for "
                                     "good and keeps the others; Save As keeps the file as it is."));
    else
        lines.append(QMessageBox::tr("Saving over the file asks first: replacing it loses the parts left out for "
                                     "good; Save As keeps the file as it is."));
    box->setInformativeText(lines.join(QLatin1Char('\n')));
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    return box;
}

QMessageBox *CASavePanel::makeReplaceDamagedQuestion(QWidget *window, const QString &fileName)
{
    auto *box = new QMessageBox(window);
    box->setObjectName(QStringLiteral("replaceDamagedQuestion"));
    box->setIcon(QMessageBox::Warning);
    box->setWindowTitle(QStringLiteral("Parcelwick"));
    box->setText(QMessageBox::tr("The file was opened with parts that could not be read; replacing it loses them."));
    box->setInformativeText(
        QMessageBox::tr("Replace writes “%1” without them. Save As keeps it as it is and saves the design "
                        "in another file.")
            .arg(fileName));
    QPushButton *replace = box->addButton(QMessageBox::tr("Replace"), QMessageBox::DestructiveRole);
    replace->setObjectName(QStringLiteral("replaceButton"));
    QPushButton *saveAs = box->addButton(QMessageBox::tr("Save As…"), QMessageBox::AcceptRole);
    saveAs->setObjectName(QStringLiteral("saveAsButton"));
    QPushButton *cancel = box->addButton(QMessageBox::Cancel);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    // What loses nothing is what Return chooses; Escape cancels.
    box->setDefaultButton(saveAs);
    box->setEscapeButton(cancel);
    box->setWindowModality(Qt::WindowModal);
    return box;
}

QMessageBox *CASavePanel::makeReplaceChangedQuestion(QWidget *window, const QString &displayName)
{
    auto *box = new QMessageBox(window);
    box->setObjectName(QStringLiteral("replaceChangedQuestion"));
    box->setIcon(QMessageBox::Warning);
    box->setWindowTitle(QStringLiteral("Parcelwick"));
    box->setText(QMessageBox::tr("“%1” was changed by another program since you opened it.").arg(displayName));
    box->setInformativeText(QMessageBox::tr("Replace writes your design over those changes. Cancel leaves the file "
                                            "as it is and keeps your design unsaved in its window."));
    QPushButton *replace = box->addButton(QMessageBox::tr("Replace"), QMessageBox::DestructiveRole);
    replace->setObjectName(QStringLiteral("replaceButton"));
    QPushButton *cancel = box->addButton(QMessageBox::Cancel);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    // What loses nothing is what Return chooses; Escape cancels.
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    box->setWindowModality(Qt::WindowModal);
    return box;
}

CADocumentManager::ReplaceAnswer CASavePanel::replaceAnswer(const QMessageBox &question)
{
    const QAbstractButton *clicked = question.clickedButton();
    if (clicked && clicked->objectName() == QLatin1String("replaceButton"))
        return CADocumentManager::ReplaceAnswer::Replace;
    if (clicked && clicked->objectName() == QLatin1String("saveAsButton"))
        return CADocumentManager::ReplaceAnswer::SaveAs;
    return CADocumentManager::ReplaceAnswer::Cancel;
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
    questions.confirmReplace = [](QWidget *window, const CAOpenDocument &, const QString &path) {
        std::unique_ptr<QMessageBox> box(makeReplaceDamagedQuestion(window, QFileInfo(path).fileName()));
        box->exec();
        return replaceAnswer(*box);
    };
    questions.confirmReplaceChanged = [](QWidget *window, const QString &displayName) {
        std::unique_ptr<QMessageBox> box(makeReplaceChangedQuestion(window, displayName));
        box->exec();
        const QAbstractButton *clicked = box->clickedButton();
        return clicked && clicked->objectName() == QLatin1String("replaceButton");
    };
    // Opened without a loop of its own: the window is there to be looked at while it is read.
    questions.reportReadProblems = [](QWidget *window, const QString &message, const QStringList &problems,
                                      bool savingLoses, bool someKept) {
        QMessageBox *box = makeReadProblemsMessage(window, message, problems, savingLoses, someKept);
        if (window)
            box->open();
        else
            box->show();
    };
    return questions;
}

QString CASavePanel::documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}
