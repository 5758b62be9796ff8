#pragma once

#include <QPointer>
#include <QWidget>

#include <array>
#include <memory>

class CADocView;
class CAInspectorPane;
class CFTAView;
class QTabWidget;
namespace Ui {
class Properties;
}

// The one inspector window all documents share: a tab per kind of selection, the tab chosen by
// the kind of the inspected canvas's selection at each "Change Selection Notification". Made on
// first use; the window (and its observation of selections) exists once something asks for it.
class CAPropertiesController : public QObject
{
    Q_OBJECT
public:
    enum Tab { FillTab = 0, ImageTab = 1, TextTab = 2, AddressTab = 3 };

    static CAPropertiesController *sharedPropertiesController();
    // Whether the inspector is shown; never makes it.
    static bool isPanelVisible();
    // The tab for a selection type of the kernel view, -1 for a type that keeps the tab shown.
    static int tabForSelectionType(int selectionType);

    ~CAPropertiesController() override;

    QWidget *window();
    void showWindow();
    void close();
    bool colorActive();
    void setFontSizeControls(float size);

    CADocView *inspectedView() const;
    CFTAView *ftView() const;
    CAInspectorPane *pane(int tab) const;
    QTabWidget *tabView() const { return m_tabView; }

    // The selection of view changed (null: no canvas is inspected any more).
    void selectionChanged(CADocView *view);
    // Applies the values typed into the panes and not confirmed yet, to the canvas they were
    // typed for.
    void commitEditing();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    CAPropertiesController();
    void loadWindow();
    void windowDidUpdate();
    void tabWillChange(int index);
    void inspect(CADocView *view);

    QPointer<CADocView> m_inspectingDocView;
    QMetaObject::Connection m_viewConnection;
    QMetaObject::Connection m_fontConnection;
    QMetaObject::Connection m_destroyedConnection;
    // The window of the inspected canvas: a value typed for its design counts before it closes.
    QPointer<QWidget> m_inspectedWindow;
    bool m_bNeedsUpdate = false;
    bool m_choosingTab = false;
    int m_shownTab = 0;
    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<Ui::Properties> m_ui;
    QTabWidget *m_tabView = nullptr;
    std::array<QPointer<CAInspectorPane>, 4> m_panes;
};
