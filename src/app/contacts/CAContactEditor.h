#pragma once

#include "app/contacts/CAPersonListDictionary.h"
#include "kernel/base/FTComponentTypes.h"
#include "kernel/base/FTTypes.h"

#include <QDialog>
#include <QWidget>

#include <memory>

class CAContactTableModel;
class QComboBox;
class QLineEdit;
class QTabBar;

namespace Ui {
class ContactEditor;
}

// The fields of one person of a list: names, company, dates, a custom field, a related name and,
// per address type (home, work, other), the postal address, telephones, e-mail and a messaging
// address. It edits a copy: the list's person changes only when the copy is stored, as a sheet's
// OK does, or, in live mode (beside a print list), whenever a field's editing ends. Empty fields
// show their caption as a placeholder, so a caption is never taken for a value.
class CAContactEditor : public QWidget
{
    Q_OBJECT
public:
    // The address types of the tabs, in tab order.
    static constexpr addressType kTabTypes[3] = {adHome, adWork, adOther};

    explicit CAContactEditor(QWidget *parent = nullptr);
    ~CAContactEditor() override;

    // Edits a copy of the row's person of the table (no row: an empty person, as setEmptyPerson).
    void setPersonByIndex(int row, CAContactTableModel *table);
    // A new empty person belonging to no row; the home tab is shown.
    void setEmptyPerson();
    // Live mode: every finished edit puts the copy into the row at once and is announced by
    // editingPersonDidChange.
    void setLiveMode(bool live) { m_live = live; }

    // Puts a fresh copy of the edited person into the table's row (the sheet's OK).
    void storeChangesToPrintList();
    // After any field's editing ended: the fields go into the copy and, in live mode, the copy
    // into the row.
    void synchronizeChanges();

    std::shared_ptr<PWPerson> editedPerson() const { return m_copy; }
    // Whether a field shows text that is not in the copy yet (the user is typing in it).
    bool hasUnsavedField() const;
    int editedRow() const { return m_row; }
    addressType currentAddressType() const { return m_type; }
    // The button box a sheet uses; hidden when the editor sits inside another window.
    QWidget *buttonBox() const;
    QLineEdit *fieldOfCategory(textCategory category) const;

    // The categories behind the pop-up items, by item index.
    static const QList<textCategory> &customCategories();
    static const QList<textCategory> &relatedCategories();
    static const QList<textCategory> &imCategories();

Q_SIGNALS:
    void editingPersonDidChange(const std::shared_ptr<PWPerson> &person);

private:
    struct Field
    {
        QLineEdit *edit;
        textCategory category;
    };
    void fillPopups();
    void fillAllFields();
    void fillCommonFields();
    void fillMultipleFields();
    void fillChosen(QLineEdit *edit, const QList<textCategory> &categories, int item);
    static void showText(QLineEdit *edit, const QString &text);
    void saveCommonFields();
    void saveMultipleFields();
    void saveChosen(QLineEdit *edit, const QList<textCategory> &categories, int item);
    void savePersonData();
    void saveField(QLineEdit *edit, textCategory category);
    QString stringForField(textCategory category) const;
    void popupChanged(QComboBox *popup, QLineEdit *edit, const QList<textCategory> &categories, int *last);
    void tabChanged(int index);

    std::unique_ptr<Ui::ContactEditor> m_ui;
    QList<Field> m_commonFields;
    QList<Field> m_typeFields;
    CAContactTableModel *m_table = nullptr;
    int m_row = -1;
    std::shared_ptr<PWPerson> m_copy;
    addressType m_type = adWork;
    int m_lastCustom = 0;
    int m_lastRelated = 0;
    int m_lastIm = 0;
    bool m_preventTabHandler = false;
    bool m_live = false;
    // Whether a field gave the person a value of its own since it was chosen: until then the
    // list keeps the person it holds.
    bool m_edited = false;
};

// The editor as a window-modal sheet with OK and Cancel: exec() answers 2 for OK (the row then
// holds a copy of the edited person) and 0 for Cancel (nothing written).
class CAContactEditorSheet : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kOK = 2;
    static constexpr int kCancel = 0;

    explicit CAContactEditorSheet(QWidget *parent = nullptr);
    CAContactEditor *editor() const { return m_editor; }
    // Edits the row of the table and waits for OK or Cancel.
    int editRow(int row, CAContactTableModel *table);

private:
    CAContactEditor *m_editor;
};
