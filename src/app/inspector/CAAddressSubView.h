#pragma once

#include "app/inspector/CAInspectorPane.h"
#include "kernel/base/FTComponentTypes.h"
#include "kernel/base/FTTypes.h"

#include <QList>

class CAColorWell;
class CFTAAddressPanel;
class QAbstractButton;
class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QMenu;
class QSlider;
class QToolButton;

// The address pane: text attributes of the selection and, for an address panel, its fields, the
// address it takes, whether it shows every field and its postal barcode.
class CAAddressSubView : public CAInspectorPane
{
    Q_OBJECT
public:
    explicit CAAddressSubView(QWidget *parent = nullptr);

    void awakeFromNib() override;
    void updateWithView(CADocView *view) override;
    bool hasFontSizeControls() const override { return true; }
    void setFontSizeControls(float size) override;

    // One entry of the fields menu: a category of the panels' formats, first panel's label and mode.
    struct FieldEntry
    {
        textCategory category;
        QString label;
        fieldMode mode;
    };
    // Each category once, in format order of the first panel that has it; never the barcode.
    static QList<FieldEntry> fieldEntries(const std::vector<CFTComponent *> &selected);
    // The address type an item of the address-source menu stands for.
    static addressType addressTypeForTag(int tag);
    // Whether a panel may show its postal barcode.
    static bool barcodeAllowed(const CFTAAddressPanel *panel);
    // The fields menu item state of a mode: 2 on, 0 off, anything else mixed.
    static Qt::CheckState stateForMode(fieldMode mode);

    QMenu *fieldsMenu() const { return m_fieldsMenu; }

private:
    void alignHRagio(int tag);
    void backColorCheckbox();
    void textSizeSliderAction();
    void textSizeTextFieldAction();
    void fieldChanged(QAction *item);
    void fieldModeChanged(int cell);
    void addressSourceChanged(int index);
    void preferredChanged();
    void onShowAllButtonClick();
    void barcodeCheckbox();
    void barcodeRadio(int tag);
    void capitalizeButton();
    void textColorChosen(const QColor &color);
    void backColorChosen(const QColor &color);
    void updateFieldsMenu(const std::vector<CFTComponent *> &selected);
    void updateFieldModeButton(const std::vector<CFTComponent *> &selected);
    void setPanelControlsEnabled(bool enabled);
    // The barcode controls as for a selection without a barcode: unticked, no place, disabled.
    void showNoBarcode();
    void showNewPanelSettings();
    std::vector<CFTComponent *> selectedPanels() const;

    QButtonGroup *_alignHRagio = nullptr;
    CAColorWell *_textColorWell = nullptr;
    CAColorWell *_backColorWell = nullptr;
    QCheckBox *_backColorCheckbox = nullptr;
    QSlider *_textSizeSlider = nullptr;
    QLineEdit *_textSizeTextField = nullptr;
    QCheckBox *_capitalizeButton = nullptr;
    QToolButton *_fieldsListButton = nullptr;
    QMenu *m_fieldsMenu = nullptr;
    QButtonGroup *_fieldModeButton = nullptr;
    QComboBox *_addressSourceButton = nullptr;
    QCheckBox *_preferredButton = nullptr;
    QCheckBox *_showAllFieldsButton = nullptr;
    QCheckBox *_barcodeCheckbox = nullptr;
    QButtonGroup *_barcodeRadio = nullptr;
    QList<QWidget *> m_alignCells;
    QList<QWidget *> m_modeCells;
    QList<QAbstractButton *> m_barcodeCells;
    // The category of the item last chosen in the fields menu (the pull-down's selected item).
    textCategory m_selectedField = tcNone;
    float _oldTextSize = 0.0f;
    bool m_updating = false;
};
