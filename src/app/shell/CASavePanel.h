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
    // Where a panel opens for a document that has no file yet: the user's documents folder (the
    // home folder when there is none).
    static QString documentsFolder();

    // Unshown; the caller runs them. Also what the screenshots show.
    static QMessageBox *makeSaveChangesQuestion(QWidget *window, const QString &displayName);
    static QFileDialog *makeSavePanel(QWidget *window, CADocumentManager::SaveKind kind, const QString &suggestedPath,
                                      CExportAccViewController *accessory);
    static QFileDialog *makeOpenPanel(QWidget *window);
    // Window-modal, deleted when closed: the parts of a file that could not be read, whether
    // saving over the file loses any of them, and whether some are kept for the save.
    static QMessageBox *makeReadProblemsMessage(QWidget *window, const QString &message, const QStringList &problems,
                                                bool savingLoses, bool someKept);
    // Replace, Save As… and Cancel before a damaged design replaces its own file.
    static QMessageBox *makeReplaceDamagedQuestion(QWidget *window, const QString &fileName);
    // The answer of a closed replace question.
    static CADocumentManager::ReplaceAnswer replaceAnswer(const QMessageBox &question);
    // "Another program changed the file": Replace ("replaceButton") or Cancel ("cancelButton",
    // what Return and Escape choose).
    static QMessageBox *makeReplaceChangedQuestion(QWidget *window, const QString &displayName);
    // How many problems the message names itself; the rest are in its details.
    static constexpr int kProblemsShown = 5;
};
