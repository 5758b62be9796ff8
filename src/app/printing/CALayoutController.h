#pragma once

#include "app/printing/CALayoutState.h"
#include "app/printing/CATemplateFilter.h"
#include "kernel/printing/CATemplateFormat.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>

class CADocument;
class CATemplateTableModel;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QTabWidget;
class QTableView;
class QWidget;

// The controls with which the user picks the paper template of a design: the predefined
// templates of the design's kind narrowed by pop-ups and a search text, the user's own templates
// with New, Duplicate, Edit and Delete, and the recently used ones. The controls live in the
// form of whoever shows the chooser (the template sheet, the assistant) and are found there by
// their object names; any of them may be missing. The chooser works on the catalogue's shared
// lists and writes them to the user defaults when a template is applied.
class CALayoutController : public QObject
{
    Q_OBJECT
public:
    using TemplatePtr = std::shared_ptr<CATemplateFormat>;
    using TemplateList = CATemplateFormat::TemplateList;
    enum Table { StandardTable, CustomTable, RecentTable };
    // The tag of the button that starts a custom template from the selected standard one.
    static constexpr int kFromSelectedTag = 35;
    // Posted when the category changes, for the assistant's Next button.
    static const QString UpdateNextButtonInAssistant;

    explicit CALayoutController(QObject *parent = nullptr);
    ~CALayoutController() override;

    // Finds the controls below root and connects them. Writes the label filters' first defaults.
    void bindControls(QWidget *root);

    // --- set-up ----------------------------------------------------------------------------------

    void setupFromDocument(CADocument *document);
    void setupFromAssistant(int documentType);
    // The custom and recent lists change under a chooser kept from run to run: another chooser (a
    // document's layout sheet) adds to them, and makes them when there were none. Shows them as
    // they are now, the chosen layout still chosen.
    void followLists();
    // Restores the filter choices from the user defaults, filters, and shows the orientation.
    void selectPopups();
    // Stores the filter choices of the kind in the user defaults.
    void setPopups();
    void selectCategory(const QString &title);
    // Whether the chosen category is one of those the templates brought (between the separators).
    bool isCategoryWithOutDesign() const;

    // --- the lists ---------------------------------------------------------------------------------

    void updateFilteredAll();
    void setFilter(const QString &text);
    // The search field changed: finds the first listed template whose ID the text starts, then
    // narrows the list to the text and selects what was found.
    void searchID(const QString &text);
    void updateControls();
    // Stores a custom template: a copy of format (the document's layout when null), appended when
    // new, else replacing the selected custom template. Answers the stored template.
    TemplatePtr addLayout(const TemplatePtr &format, bool createNew);
    QString generateName(const QString &name) const;

    // A copy of the selected template as it would be applied, or null.
    TemplatePtr getSelectedFormat() const;
    // The template the user chose: the standard list's, else the custom list's, else the recent
    // list's; standard tells whether it takes the window and orientation controls.
    TemplatePtr chosenTemplate(bool *standard) const;
    // The assistant's apply: the selected template to a new document, components rearranged.
    void applyForDocument(CADocument &document);

    // --- actions -----------------------------------------------------------------------------------

    void manufacturerPopup();
    void paperSizePopup();
    void typePopup();
    void categoryPopup();
    void btnCreateCustom(int tag);
    void btnDuplicate();
    void btnEdit();
    void btnDelete();
    void btnOK();
    void btnCancel();
    void orientationMatrix(int tag);

    // --- state -------------------------------------------------------------------------------------

    int docType() const { return m_docType; }
    CADocument *document() const { return m_document; }
    const TemplateList &filteredLayouts() const { return m_filteredLayouts; }
    const TemplateList *customLayouts() const { return m_customLayouts; }
    const TemplateList *recentLayouts() const { return m_recentLayouts; }
    QTableView *tableView(Table table) const;
    CATemplateTableModel *model(Table table) const;
    TemplatePtr selectedTemplate(Table table) const;
    int selectedRow(Table table) const;
    // Selects and shows the row (or deselects the table for -1).
    void selectRow(Table table, int row);

    // Called whenever the chooser changed the document's layout (see CALayoutChanged).
    void setLayoutChangedHandler(CALayoutChanged handler) { m_layoutChanged = std::move(handler); }

protected:
    // What the form that shows the chooser does on OK and Cancel and to edit a template.
    virtual void layoutOK() {}
    virtual void layoutCancel() {}
    virtual void startEditor(const TemplatePtr &format, bool createNew);
    // Keeps the three tables showing the same template.
    virtual void tableViewSelectionDidChange(Table table);

    bool windowChecked() const;
    bool horizontalChosen() const;
    const TemplateList *listOf(Table table) const;
    void reloadTable(Table table);
    // The kind's recent list, made (empty) when none was ever stored.
    void ensureRecentList();
    void notifyLayoutChanged(int delta) const;

    QPointer<QWidget> m_root;
    QPointer<QTabWidget> _tabView;
    QPointer<QTableView> _tableView;
    QPointer<QTableView> _tableCustomView;
    QPointer<QTableView> _tableRecentView;
    QPointer<QComboBox> _categoryPopup;
    QPointer<QComboBox> _manufacturerPopup;
    QPointer<QComboBox> _paperSizePopup;
    QPointer<QComboBox> _typePopup;
    QPointer<QAbstractButton> _btnCreateNew;
    QPointer<QAbstractButton> _btnDuplicate;
    QPointer<QAbstractButton> _btnEdit;
    QPointer<QAbstractButton> _btnDelete;
    QPointer<QAbstractButton> _btnCreateCustom;
    QPointer<QCheckBox> _chkUseWindow;
    QPointer<QButtonGroup> _orientationMatrix;
    QPointer<QAbstractButton> _btnOK;
    QPointer<QAbstractButton> _btnCancel;
    QPointer<QLineEdit> _search;

    TemplateList m_filteredLayouts;
    const TemplateList *m_predefLayouts = nullptr;
    TemplateList *m_customLayouts = nullptr;
    TemplateList *m_recentLayouts = nullptr;
    CADocument *m_document = nullptr;
    int m_docType = 0;
    QString m_filterString;
    // The document's layout when the chooser was set up: what Cancel keeps and undo restores.
    std::optional<CALayoutState> m_originalLayout;
    CALayoutChanged m_layoutChanged;

private:
    void fillPopups();
    CATemplateFilter currentFilter() const;
    CATemplateTableModel *m_models[3] = {};
    int m_selectionDepth = 0;
};
