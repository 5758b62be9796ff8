#pragma once

#include <QPointF>
#include <QWidget>

#include <functional>
#include <memory>

class CADYMOPrintingView;
class CADocView;
class CADocument;
class CAPrintingView;
class QLabel;
class QPushButton;
class QSlider;
class QStackedWidget;

// The print sheet's editing tab: one printed item opened on a canvas of its own, with its own
// zoom, until the user is done with it. The item is a copy the printing view hands out; when
// editing ends the copy goes back into the view's map and stands for that item from then on.
class CAPrintEditingTab : public QWidget
{
    Q_OBJECT
public:
    explicit CAPrintEditingTab(QWidget *parent = nullptr);
    ~CAPrintEditingTab() override;

    // A click at point (page points) on page of the view: opens the item there the way the view
    // decides (a double click, or one click in the view's edit-on-click mode). Answers whether an
    // item was opened.
    bool openItemAt(CAPrintingView &view, const QPointF &point, int clickCount, int page);
    // Opens the one item of a roll or envelope page; false for views with several to a page.
    bool openPage(CAPrintingView &view, int page);
    // Shows a copy of an item on a fresh canvas fitted into the tab.
    bool startEditing(std::shared_ptr<CADocument> document);
    // Ends the text being typed and hands the edited copy back to the view (which draws that item
    // from it from now on); the canvas goes. Nothing happens while nothing is edited.
    void finishEditing(CAPrintingView &view);
    // Drops the item being edited without writing it back (the view it came from is gone).
    void abandonEditing();

    bool isEditing() const { return m_document != nullptr; }
    CADocument *editedDocument() const { return m_document.get(); }
    CADocView *editingView() const { return m_canvas; }
    QSlider *editorZoom() const { return m_zoom; }

    // The editor slider's value for a canvas zoom factor: near 1 snaps to 100, below 0.3 to 0.
    static int sliderValueForZoom(double factor);

Q_SIGNALS:
    // The user is done with the item (the close button).
    void closeRequested();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    bool openFromRoll(CADYMOPrintingView &roll, const std::function<void()> &open);
    void setEditorZoom(int percent);
    void canvasZoomChanged(double zoom);
    void fitCanvas();

    std::shared_ptr<CADocument> m_document;
    CADocView *m_canvas = nullptr;
    QStackedWidget *m_stack = nullptr;
    QWidget *m_canvasHolder = nullptr;
    QLabel *m_note = nullptr;
    QSlider *m_zoom = nullptr;
    QPushButton *m_zoomIn = nullptr;
    QPushButton *m_zoomOut = nullptr;
    QPushButton *m_close = nullptr;
    bool m_fitPending = false;
};
