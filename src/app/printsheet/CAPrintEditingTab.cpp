#include "app/printsheet/CAPrintEditingTab.h"

#include "app/canvas/CACanvasSelection.h"
#include "app/canvas/CADocView.h"
#include "kernel/merge/CADYMOPrintingView.h"
#include "kernel/merge/CADocument.h"
#include "kernel/merge/CALabelPrintingView.h"
#include "platform/PWBundle.h"
#include "platform/PWNotificationCenter.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <cmath>

namespace {
constexpr int kMinimumZoom = 10;
constexpr int kMaximumZoom = 400;
} // namespace

CAPrintEditingTab::CAPrintEditingTab(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    m_stack = new QStackedWidget(this);
    m_note = new QLabel(PWLocalizedString(QStringLiteral("Double-click a printed item in the preview to edit it here.")), m_stack);
    m_note->setObjectName(QStringLiteral("_editingNote"));
    m_note->setAlignment(Qt::AlignCenter);
    m_note->setWordWrap(true);
    m_stack->addWidget(m_note);
    auto *scroll = new QScrollArea(m_stack);
    scroll->setObjectName(QStringLiteral("_scrollEditingView"));
    scroll->setAlignment(Qt::AlignCenter);
    scroll->setWidgetResizable(false);
    scroll->setBackgroundRole(QPalette::Mid);
    m_canvasHolder = scroll;
    m_stack->addWidget(scroll);
    layout->addWidget(m_stack, 1);

    auto *row = new QHBoxLayout;
    auto *caption = new QLabel(PWLocalizedString(QStringLiteral("Zoom:")), this);
    m_zoomOut = new QPushButton(QStringLiteral("−"), this);
    m_zoomOut->setObjectName(QStringLiteral("editingZoomOut"));
    m_zoomOut->setToolTip(PWLocalizedString(QStringLiteral("Zoom Out")));
    m_zoom = new QSlider(Qt::Horizontal, this);
    m_zoom->setObjectName(QStringLiteral("_editorZoom"));
    m_zoom->setAccessibleName(PWLocalizedString(QStringLiteral("Editor Zoom")));
    m_zoom->setRange(kMinimumZoom, kMaximumZoom);
    m_zoom->setValue(100);
    caption->setBuddy(m_zoom);
    m_zoomIn = new QPushButton(QStringLiteral("+"), this);
    m_zoomIn->setObjectName(QStringLiteral("editingZoomIn"));
    m_zoomIn->setToolTip(PWLocalizedString(QStringLiteral("Zoom In")));
    m_close = new QPushButton(PWLocalizedString(QStringLiteral("Done Editing")), this);
    m_close->setObjectName(QStringLiteral("_closeEditorButton"));
    m_close->setToolTip(PWLocalizedString(QStringLiteral("Keep the changes for this item and go back to the preview")));
    row->addWidget(caption);
    row->addWidget(m_zoomOut);
    row->addWidget(m_zoom, 1);
    row->addWidget(m_zoomIn);
    row->addStretch();
    row->addWidget(m_close);
    layout->addLayout(row);
    for (QPushButton *button : {m_zoomOut, m_zoomIn, m_close})
        button->setAutoDefault(false);
    m_zoom->setMinimumWidth(80);

    connect(m_zoom, &QSlider::valueChanged, this, &CAPrintEditingTab::setEditorZoom);
    connect(m_zoomIn, &QPushButton::clicked, this,
            [this] { m_zoom->setValue(std::min(m_zoom->maximum(), int(m_zoom->value() * 1.5))); });
    connect(m_zoomOut, &QPushButton::clicked, this,
            [this] { m_zoom->setValue(std::max(m_zoom->minimum(), int(m_zoom->value() / 1.5))); });
    connect(m_close, &QPushButton::clicked, this, &CAPrintEditingTab::closeRequested);
    for (QWidget *control : std::initializer_list<QWidget *>{m_zoomOut, m_zoom, m_zoomIn, m_close})
        control->setEnabled(false);
}

CAPrintEditingTab::~CAPrintEditingTab()
{
    // The canvas refers to the document: it goes first.
    delete m_canvas;
}

int CAPrintEditingTab::sliderValueForZoom(double factor)
{
    if (std::abs(factor - 1.0) < 0.2)
        factor = 1.0;
    else if (factor < 0.3)
        factor = 0.0;
    return int(factor * 100.0);
}

bool CAPrintEditingTab::openItemAt(CAPrintingView &view, const QPointF &point, int clickCount, int page)
{
    if (auto *sheet = dynamic_cast<CALabelPrintingView *>(&view)) {
        std::shared_ptr<CADocument> item = sheet->startEditingAtPoint(point, clickCount);
        return item && startEditing(std::move(item));
    }
    if (auto *roll = dynamic_cast<CADYMOPrintingView *>(&view))
        return openFromRoll(*roll, [&] { roll->clickAtPoint(point, clickCount, page); });
    return false;
}

bool CAPrintEditingTab::openPage(CAPrintingView &view, int page)
{
    if (auto *roll = dynamic_cast<CADYMOPrintingView *>(&view))
        return openFromRoll(*roll, [&] { roll->startEditingPage(page); });
    return false;
}

bool CAPrintEditingTab::openFromRoll(CADYMOPrintingView &roll, const std::function<void()> &open)
{
    std::shared_ptr<CADocument> item;
    roll.setEditingHandler([&item](std::shared_ptr<CADocument> document) { item = std::move(document); });
    open();
    roll.setEditingHandler({});
    if (item && startEditing(std::move(item)))
        return true;
    roll.setEditingIndex(-1);
    return false;
}

bool CAPrintEditingTab::startEditing(std::shared_ptr<CADocument> document)
{
    if (!document)
        return false;
    auto *canvas = new CADocView;
    canvas->setObjectName(QStringLiteral("_editingView"));
    if (!canvas->setDocument(document.get())) {
        delete canvas;
        return false;
    }
    // An earlier canvas goes before the document it shows.
    auto *scroll = static_cast<QScrollArea *>(m_canvasHolder);
    delete scroll->takeWidget();
    m_canvas = canvas;
    m_document = std::move(document);
    scroll->setWidget(canvas);
    m_stack->setCurrentWidget(scroll);
    connect(canvas, &CADocView::zoomChanged, this, &CAPrintEditingTab::canvasZoomChanged);
    for (QWidget *control : std::initializer_list<QWidget *>{m_zoomOut, m_zoom, m_zoomIn, m_close})
        control->setEnabled(true);
    fitCanvas();
    // The tab may not be laid out yet: fit again once it has its size.
    m_fitPending = !isVisible();
    canvas->setFocus();
    // The inspector follows the edited item.
    PWNotificationCenter::defaultCenter().postNotification(CACanvasSelection::kChangeSelectionNotify, canvas);
    return true;
}

void CAPrintEditingTab::finishEditing(CAPrintingView &view)
{
    if (!m_document)
        return;
    m_canvas->endEditText();
    view.printControllerEndEditing(m_document);
    abandonEditing();
}

void CAPrintEditingTab::abandonEditing()
{
    if (!m_document)
        return;
    auto *scroll = static_cast<QScrollArea *>(m_canvasHolder);
    if (m_canvas)
        m_canvas->endEditText();
    delete scroll->takeWidget();
    m_canvas = nullptr;
    m_document.reset();
    m_stack->setCurrentWidget(m_note);
    for (QWidget *control : std::initializer_list<QWidget *>{m_zoomOut, m_zoom, m_zoomIn, m_close})
        control->setEnabled(false);
    PWNotificationCenter::defaultCenter().postNotification(CACanvasSelection::kChangeSelectionNotify, nullptr);
}

void CAPrintEditingTab::setEditorZoom(int percent)
{
    if (m_canvas)
        m_canvas->setZoom(std::max(kMinimumZoom, percent) / 100.0);
}

void CAPrintEditingTab::canvasZoomChanged(double zoom)
{
    const QSignalBlocker block(m_zoom);
    m_zoom->setValue(sliderValueForZoom(zoom));
}

void CAPrintEditingTab::fitCanvas()
{
    if (!m_canvas)
        return;
    const QSize room = static_cast<QScrollArea *>(m_canvasHolder)->viewport()->size();
    if (room.width() < 40 || room.height() < 40)
        return;
    m_canvas->setZoom(m_canvas->fitZoom(QSizeF(room)));
    canvasZoomChanged(m_canvas->zoom());
}

void CAPrintEditingTab::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_fitPending && isVisible()) {
        m_fitPending = false;
        fitCanvas();
    }
}

void CAPrintEditingTab::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_fitPending) {
        m_fitPending = false;
        fitCanvas();
    }
}
