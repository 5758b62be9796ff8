#pragma once

#include "app/inspector/CAAddressFormatGrid.h"
#include "platform/PWPlist.h"

#include <QWidget>

#include <functional>
#include <memory>

class CAAddressFormatGridView;
class CADocument;
class CATrashImageView;
class PWUndoManager;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;

// The custom address format editor: a list page (add, remove, edit, apply) and a design page
// (the field palette, the layout grid, a trash, the name, OK, Cancel and Clear). Every change is
// written to the user default "CustomAddressFormat" at once, the catalogue reads it again and
// the open windows are told (validateDocumentsView); the editor keeps no copy of the list.
class CACustomFormatEditor : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kSelectionPage = 0;
    static constexpr int kTemplatePage = 1;

    explicit CACustomFormatEditor(QWidget *parent = nullptr);
    ~CACustomFormatEditor() override;

    // After every stored change: the address menus and the design window's lists are rebuilt.
    void setValidateDocumentsView(std::function<void()> validate) { m_validate = std::move(validate); }
    // Apply: the marker {"index", "title"} of the chosen format goes to the editor's document.
    void setApplyMarker(std::function<void(const PWPlist &marker)> apply) { m_apply = std::move(apply); }
    // The document the editor was opened for; the editor only names it, its owner keeps it.
    void setDocument(const CADocument *document) { m_document = document; }
    const CADocument *document() const { return m_document; }

    // The next free name: the base alone, else the base followed by one more than the largest
    // number that follows it in a stored name.
    static QString nextUntitledName(const QString &base, const PWPlist::Array &stored);
    static PWPlist::Array storedFormats();

    void doAddCustomFormat();
    void doDeleteCustomFormat();
    void doEditCustomFormat();
    void onApplyButton();
    void onOkButton();
    void onDesignOkButton();
    void onDesignCancelButton();
    void onDesignClearButton();

    int currentPage() const;
    int editingIndex() const { return m_editingCustomFormatIndex; }
    bool isAddNew() const { return m_isAddNew; }
    CAAddressFormatGrid &grid() { return m_grid; }
    PWUndoManager *undoManager() const { return m_undo.get(); }
    QListWidget *formatsTable() const { return m_table; }
    QLineEdit *nameField() const { return m_nameField; }
    CAAddressFormatGridView *paletteView() const { return m_paletteView; }
    CAAddressFormatGridView *layoutView() const { return m_layoutView; }
    CATrashImageView *trashView() const { return m_trash; }

protected:
    // Escape cancels the format being designed, and closes the list of formats.
    void keyPressEvent(QKeyEvent *event) override;

private:
    static void store(const PWPlist::Array &formats);
    void storedChanged();
    void reloadTable();
    void selectRow(int row);
    int selectedRow() const;
    void updateCtrl();
    void displaySelectionView();
    void displayTemplateView();

    CAAddressFormatGrid m_grid;
    std::unique_ptr<PWUndoManager> m_undo;
    QStackedWidget *m_pages;
    QListWidget *m_table;
    QPushButton *m_addButton;
    QPushButton *m_removeButton;
    QPushButton *m_editButton;
    QPushButton *m_applyButton;
    QLineEdit *m_nameField;
    CAAddressFormatGridView *m_paletteView;
    CAAddressFormatGridView *m_layoutView;
    CATrashImageView *m_trash;
    int m_editingCustomFormatIndex = -1;
    bool m_isAddNew = false;
    std::function<void()> m_validate;
    std::function<void(const PWPlist &)> m_apply;
    const CADocument *m_document = nullptr;
};
