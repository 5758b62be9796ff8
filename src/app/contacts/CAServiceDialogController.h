#pragma once

#include "app/contacts/CAServiceImportForm.h"

#include <QDialog>
#include <QHash>

#include <memory>

class PWPerson;
class QLineEdit;

namespace Ui {
class ServiceImport;
}

// The address confirmation sheet: the eleven values read from a text, shown in editable fields
// on the window of the document that will receive them. OK (tag 1) confirms; Cancel or Escape
// (any other tag) leaves the document as it was.
class CAServiceDialogController : public QDialog
{
    Q_OBJECT
public:
    // The code that confirms the sheet.
    static constexpr int kConfirmTag = 1;

    explicit CAServiceDialogController(QWidget *parent = nullptr);
    ~CAServiceDialogController() override;

    // Fills a sheet on the window (none: a window of its own), runs it modally and answers the
    // confirmed person, or none when the sheet was cancelled.
    static std::shared_ptr<PWPerson> openDialog(const CAPersonDictionary &dictionary, QWidget *window);

    void initFormWithDictionary(const CAPersonDictionary &dictionary);
    std::shared_ptr<PWPerson> initDictionarWithForm() const { return m_form.initDictionarWithForm(); }
    const CAServiceImportForm &form() const { return m_form; }
    // The field of a dictionary key; null for any other key.
    QLineEdit *field(const QString &key) const { return m_fields.value(key); }

public Q_SLOTS:
    // Ends the sheet with the tag as its code.
    void closeWithTag(int tag);

private:
    std::unique_ptr<Ui::ServiceImport> m_ui;
    CAServiceImportForm m_form;
    QHash<QString, QLineEdit *> m_fields;
};
