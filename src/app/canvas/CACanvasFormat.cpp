#include "app/canvas/CACanvasFormat.h"

#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CADocView.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/component/CFTDefComponentBox.h"
#include "kernel/component/CFTDefComponentText.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"

#include <QCursor>
#include <QWidget>

namespace {

// The low four bits of an alignment are the horizontal alignment; the next four stay with the
// object.
textAlignment withHorizontal(textAlignment current, int alignment)
{
    return textAlignment((int(current) & 0xF0) | (alignment & 0x0F));
}

} // namespace

CACanvasFormat::CACanvasFormat(CADocView &canvas)
    : m_canvas(canvas)
{
}

void CACanvasFormat::setTargets(bool text, bool field, bool separator, bool address)
{
    m_targets = {text, field, separator, address};
}

// --- Tools and display switches -------------------------------------------------------------------

void CACanvasFormat::setToolMode(toolMode mode)
{
    CFTAView *view = m_canvas.ftView();
    if (!view)
        return;
    if (view->getToolMode() == toolBackground) {
        view->setEditBackground(false);
        m_canvas.invalidateObject(view->getBackground());
        m_canvas.viewport()->update();
    }
    view->setToolMode(mode);
    // The separator tool colours no default of its own: a colour then goes nowhere until an
    // object or another tool says where.
    setTargets(mode == toolText, mode == toolField, false, false);
    m_canvas.updateCursorAt(m_canvas.viewport()->mapFromGlobal(QCursor::pos()));
    Q_EMIT m_canvas.toolModeChanged();
}

void CACanvasFormat::showGuidelineAreas()
{
    if (CFTAView *view = m_canvas.ftView())
        view->SetDrawGuidelines(!view->NeedDrawGuidelines());
    m_canvas.viewport()->update();
}

void CACanvasFormat::showFIMBarcode()
{
    CADocument *document = m_canvas.document();
    CFTADocument *design = document ? document->ftDocument() : nullptr;
    if (!design || document->docType() == dtLabel)
        return;
    design->setFIMBarcodeVisible(!design->isFIMBarcodeVisible());
    m_canvas.viewport()->update();
}

// --- Text and font --------------------------------------------------------------------------------

void CACanvasFormat::alignText(int alignment)
{
    CFTAView *view = m_canvas.ftView();
    if (!view)
        return;
    if (CFTDefComponentText *defaults = view->defText())
        defaults->SetAlignment(withHorizontal(defaults->GetAlignment(), alignment));
    const std::vector<CFTComponent *> selection = view->getSelComponents();
    CACanvasEdits &edits = m_canvas.edits();
    CACanvasEdits::Step step(edits, QStringLiteral("CHANGE_ALIGNMENT"), !selection.empty());
    for (CFTComponent *component : selection)
        edits.setAlignmentForObject(withHorizontal(component->GetAlignment(), alignment), component);
}

void CACanvasFormat::changeFont(const FontChange &change)
{
    CFTAView *view = m_canvas.ftView();
    if (!view)
        return;
    if (!change.convertSize && !change.convert)
        return;
    if (CFTDefComponentText *defaults = view->defText()) {
        if (change.convertSize && change.isAbsoluteSize)
            defaults->SetFontSize(change.size);
        else if (change.convertSize)
            defaults->ChangeFontSize(change.size);
        else if (const std::optional<PWFont> font = defaults->GetFont(nullptr))
            defaults->SetFont(change.convert(*font));
    }
    const std::vector<CFTComponent *> selection = view->getSelComponents();
    CACanvasEdits &edits = m_canvas.edits();
    {
        CACanvasEdits::Step step(edits, QStringLiteral("CHANGE_FONT"), !selection.empty());
        for (CFTComponent *component : selection) {
            if (change.convertSize && change.isAbsoluteSize) {
                edits.setFontSizeForObject(change.size, component);
            } else if (change.convertSize) {
                edits.changeFontSizeForObject(change.size, component);
            } else if (const std::optional<PWFont> font = component->GetFont(nullptr)) {
                // An object without characters of its own (a shape) has no font to convert.
                edits.setFontForObject(change.convert(*font), component);
            }
        }
    }
    // The font panel and the inspector's size show the changed font.
    if (!selection.empty())
        m_canvas.notifySelectionChanged();
}

void CACanvasFormat::changeAttributes(const QTextCharFormat &attributes)
{
    CFTAView *view = m_canvas.ftView();
    if (!view)
        return;
    if (CFTDefComponentText *defaults = view->defText())
        defaults->SetFontAttr(attributes);
    const std::vector<CFTComponent *> selection = view->getSelComponents();
    CACanvasEdits &edits = m_canvas.edits();
    CACanvasEdits::Step step(edits, QStringLiteral("CHANGE_FONT"), !selection.empty());
    for (CFTComponent *component : selection)
        edits.setFontAttrForObject(attributes, component);
}

// --- Colours --------------------------------------------------------------------------------------

void CACanvasFormat::changeColor(const CDDColor &color)
{
    CFTAView *view = m_canvas.ftView();
    if (!view)
        return;
    CACanvasEdits &edits = m_canvas.edits();
    if (view->needEditBackground()) {
        CACanvasEdits::Step step(edits, QStringLiteral("CHANGE_FORECOLOR"), true);
        edits.setBackColorForObject(color, view->getBackground());
        setTargets(false, true, false, false);
    } else {
        const std::vector<CFTComponent *> selection = view->getSelComponents();
        CACanvasEdits::Step step(edits, QStringLiteral("CHANGE_FORECOLOR"), !selection.empty());
        for (CFTComponent *component : selection) {
            switch (component->getType()) {
            case ctText:
            case ctAddressText:
                edits.setTextColorForObject(color, component);
                setTargets(true, false, false, false);
                break;
            case ctAddressPanel:
                edits.setForeColorForObject(color, component);
                setTargets(false, false, false, true);
                break;
            case ctSeparator:
                edits.setForeColorForObject(color, component);
                setTargets(false, false, true, false);
                break;
            default:
                edits.setBackColorForObject(color, component);
                setTargets(false, true, false, false);
                break;
            }
        }
    }
    // An address panel's colour is no default of anything.
    if (m_targets.field)
        if (CFTDefComponentBox *box = view->defBox())
            box->SetFillColor(&color);
    if (m_targets.separator)
        if (CFTDefComponentBox *box = view->defBox())
            box->SetStrokeColor(&color);
    if (m_targets.text)
        if (CFTDefComponentText *text = view->defText())
            text->SetStrokeColor(&color);
}

bool CACanvasFormat::isFirstResponder() const
{
    const QWidget *window = m_canvas.window();
    return window && window->focusWidget() == &m_canvas;
}

void CACanvasFormat::textColor(const CDDColor &color)
{
    CFTAView *view = m_canvas.ftView();
    if (!view || !isFirstResponder())
        return;
    const std::vector<CFTComponent *> selection = view->getSelComponents();
    if (selection.empty())
        return;
    CACanvasEdits &edits = m_canvas.edits();
    CACanvasEdits::Step step(edits, QStringLiteral("CHANGE_TEXTCOLOR"), true);
    for (CFTComponent *component : selection)
        edits.setTextColorForObject(color, component);
}

void CACanvasFormat::foreColor(const CDDColor &color)
{
    CFTAView *view = m_canvas.ftView();
    if (!view || !isFirstResponder())
        return;
    CFTComponent *defaults = view->getToolMode() == toolText ? static_cast<CFTComponent *>(view->defText())
                                                             : static_cast<CFTComponent *>(view->defBox());
    if (defaults)
        defaults->SetStrokeColor(&color);
    const std::vector<CFTComponent *> selection = view->getSelComponents();
    if (selection.empty())
        return;
    CACanvasEdits &edits = m_canvas.edits();
    CACanvasEdits::Step step(edits, QStringLiteral("CHANGE_FORECOLOR"), true);
    for (CFTComponent *component : selection)
        edits.setForeColorForObject(color, component);
}

void CACanvasFormat::backColor(const CDDColor &color)
{
    CFTAView *view = m_canvas.ftView();
    if (!view || !isFirstResponder())
        return;
    CFTComponent *defaults = view->getToolMode() == toolText ? static_cast<CFTComponent *>(view->defText())
                                                             : static_cast<CFTComponent *>(view->defBox());
    if (defaults)
        defaults->SetFillColor(&color);
    CACanvasEdits &edits = m_canvas.edits();
    if (view->needEditBackground()) {
        // Undoable, under no name of its own.
        CACanvasEdits::Step step(edits, QString());
        edits.setBackColorForObject(color, view->getBackground());
        return;
    }
    const std::vector<CFTComponent *> selection = view->getSelComponents();
    if (selection.empty())
        return;
    CACanvasEdits::Step step(edits, QStringLiteral("CHANGE_BACKCOLOR"), true);
    for (CFTComponent *component : selection)
        edits.setBackColorForObject(color, component);
}
