#pragma once

#include "app/shell/CADocumentManager.h"

class CExportAccViewController;
class QFileDialog;
class QMessageBox;

// The dialogs behind the document manager's questions: the save-changes question, the open and
// save panels (the export panel with its format accessory) and the failure message.
class CASavePanel
{
public:
    static CADocumentManager::Questions questions();

    // Unshown; the caller runs them. Also what the screenshots show.
    static QMessageBox *makeSaveChangesQuestion(QWidget *window, const QString &displayName);
    static QFileDialog *makeSavePanel(QWidget *window, CADocumentManager::SaveKind kind, const QString &suggestedPath,
                                      CExportAccViewController *accessory);
    static QFileDialog *makeOpenPanel(QWidget *window);
};
