#pragma once

#include "app/inspector/CAInspectorPane.h"
#include "kernel/base/FTComponentTypes.h"
#include "kernel/base/FTTypes.h"

#include <QList>

#include <functional>

class CAColorWell;
class QAbstractButton;
class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QSlider;
class QStackedWidget;
class QToolButton;

// The text pane: what a text shows (a person field and which, a counter, a file's data or its
// own text), its side, alignment, colours, size, rotation, address and capitals, and the
// settings of counters and file-data fields.
class CATextSubView : public CAInspectorPane
{
    Q_OBJECT
public:
    explicit CATextSubView(QWidget *parent = nullptr);

    void awakeFromNib() override;
    void updateWithView(CADocView *view) override;
    bool hasFontSizeControls() const override { return true; }
    void setFontSizeControls(float size) override;

    // A data file's name as the pane shows it: the last part of the path, cut to six characters
    // and three points when longer than nine.
    static QString shortenedFileName(const QString &path);
    // The address type an item of the address-source menu stands for.
    static addressType addressTypeForTag(int tag);
    // The categories of the category menu and of its three submenus, in menu order (-1: separator).
    static const QList<int> &categoryMenuTags();
    static const QList<int> &relatedNamesTags();
    static const QList<int> &instantMessagingTags();
    static const QList<int> &customTags();

    // Asks for the data file, starting at the path given; an empty answer chooses nothing.
    using FileChooser = std::function<QString(QWidget *parent, const QString &start)>;
    static void setFileChooser(FileChooser chooser);

    QMenu *categoryMenu() const { return _categoryMenu; }

private:
    void categoryChosen(int tag);
    void toFromRadio(int tag);
    void alignHRagio(int tag);
    void backColorCheckbox();
    void textSizeSliderAction();
    void textSizeTextFieldAction();
    void addressSourceChanged(int index);
    void preferredButton();
    void capitalizeButton();
    void rotateSlider();
    void rotateEdit();
    void counterEdit(QLineEdit *field);
    void leadingZerosCheckbox();
    void changeFile();
    void linesCountRadio(int row);
    void numberFieldEdit();
    void delimeterEdit();
    void delimeterPopup(int index);
    void textColorChosen(const QColor &color);
    void backColorChosen(const QColor &color);
    void showCategory(int category);
    // The category popup showing no field of a person.
    void showNoCategory();
    // With nothing selected: what a new text starts with.
    void showNewTextSettings();

    QComboBox *_dataTypePopup = nullptr;
    QToolButton *_categoryPopup = nullptr;
    QMenu *_categoryMenu = nullptr;
    QButtonGroup *_toFromRadio = nullptr;
    QButtonGroup *m_alignHRagio = nullptr;
    CAColorWell *m_textColorWell = nullptr;
    QCheckBox *m_backColorCheckbox = nullptr;
    CAColorWell *m_backColorWell = nullptr;
    QSlider *m_textSizeSlider = nullptr;
    QLineEdit *m_textSizeTextField = nullptr;
    QSlider *m_rotateSlider = nullptr;
    QLineEdit *m_rotateEdit = nullptr;
    QCheckBox *m_capitalizeButton = nullptr;
    QComboBox *_addressSourceButton = nullptr;
    QCheckBox *_preferredButton = nullptr;
    QStackedWidget *_propertiesTabView = nullptr;
    QLineEdit *_startNumberEdit = nullptr;
    QLineEdit *_incrementEdit = nullptr;
    QLineEdit *_numberOfDigitsEdit = nullptr;
    QCheckBox *_leadingZerosCheckbox = nullptr;
    QAbstractButton *_browseButton = nullptr;
    QButtonGroup *_linesCountRadio = nullptr;
    QLineEdit *_numberFieldEdit = nullptr;
    QLineEdit *_delimeterEdit = nullptr;
    QComboBox *_delimeterPopup = nullptr;
    QLabel *_fileNameText = nullptr;
    QList<QAbstractButton *> m_toFromCells;
    QList<QAbstractButton *> m_alignCells;
    QList<QAbstractButton *> m_lineCells;
    // Whether a component was ever shown: until then no category can be chosen.
    bool m_shownComponent = false;
    float _oldTextSize = 0.0f;
    bool m_updating = false;
};
