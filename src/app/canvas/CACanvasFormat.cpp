#include "app/canvas/CACanvasFormat.h"

#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CACanvasTextEditor.h"
#include "app/canvas/CADocView.h"
#include "kernel/base/CDDNumberRange.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/component/CFTDefComponentBox.h"
#include "kernel/component/CFTDefComponentText.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDText.h"
#include "kernel/render/CDDTextRuns.h"
#include "platform/PWTextAttributes.h"

#include <QCursor>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QWidget>

#include <algorithm>

namespace {

// The low four bits of an alignment are the horizontal alignment; the next four stay with the
// object.
textAlignment withHorizontal(textAlignment current, int alignment)
{
    return textAlignment((int(current) & 0xF0) | (alignment & 0x0F));
}

PWFont convertedFont(const CACanvasFormat::FontChange &change, const PWFont &font)
{
    if (!change.convertSize) {
        const PWFont converted = change.convert ? change.convert(font) : font;
        if (converted.pointSize() <= CDDRanges::kFontSize.highest)
            return converted;
        return PWFont(converted.postScriptName(), CDDRanges::kFontSize.highest, converted.flags());
    }
    const double size = change.isAbsoluteSize ? double(change.size) : font.pointSize() + double(change.size);
    // Within the sizes a design is read back with, as the text's own setters keep them.
    return PWFont(font.postScriptName(), std::clamp(size, CDDText::kMinFontSize, CDDRanges::kFontSize.highest),
                  font.flags());
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
    if (CFTDefComponentText *defaults = view->defText(); defaults && changesDefaults(*view))
        defaults->SetAlignment(withHorizontal(defaults->GetAlignment(), alignment));
    const std::vector<CFTComponent *> selection = view->getSelComponents();
    CACanvasEdits &edits = m_canvas.edits();
    CACanvasEdits::Step step(edits, QStringLiteral("CHANGE_ALIGNMENT"), !selection.empty());
    for (CFTComponent *component : selection)
        edits.setAlignmentForObject(withHorizontal(component->GetAlignment(), alignment), component);
}

bool CACanvasFormat::changeEditedText(const std::function<void(QTextCharFormat &)> &change, bool wholeWithoutSelection)
{
    if (!m_canvas.isEditingText())
        return false;
    CACanvasTextEditor *editor = m_canvas.fieldEditor();
    QTextDocument *contents = editor->document();
    QTextCursor cursor = editor->textCursor();
    if (!cursor.hasSelection()) {
        QTextCharFormat format = cursor.charFormat();
        change(format);
        cursor.setCharFormat(format);
        editor->setTextCursor(cursor);
        if (!wholeWithoutSelection || contents->isEmpty())
            return true;
    }
    // Runs are gathered first: a run restyled can merge with or split from its neighbours.
    struct Run
    {
        int from;
        int to;
        QTextCharFormat format;
    };
    std::vector<Run> runs;
    const int start = cursor.hasSelection() ? cursor.selectionStart() : 0;
    const int end = cursor.hasSelection() ? cursor.selectionEnd() : contents->characterCount() - 1;
    for (QTextBlock block = contents->findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int from = std::max(start, fragment.position());
            const int to = std::min(end, fragment.position() + fragment.length());
            if (from < to)
                runs.push_back({from, to, fragment.charFormat()});
        }
    }
    QTextCursor edit(contents);
    edit.beginEditBlock();
    for (Run &run : runs) {
        change(run.format);
        edit.setPosition(run.from);
        edit.setPosition(run.to, QTextCursor::KeepAnchor);
        edit.setCharFormat(run.format);
    }
    edit.endEditBlock();
    return true;
}

void CACanvasFormat::changeFont(const FontChange &change)
{
    CFTAView *view = m_canvas.ftView();
    if (!view)
        return;
    if (!change.convertSize && !change.convert)
        return;
    const QTextDocument *edited = m_canvas.fieldEditor()->document();
    const bool inPlace = changeEditedText([&change, edited](QTextCharFormat &format) {
        const PWFont font = PWFont::fromQFont(textruns::fontOf(format, edited),
                                              format.property(PWTextAttributes::PostScriptFontName).toString());
        convertedFont(change, font).applyTo(&format);
        textruns::applyLayoutExtras(&format, edited);
    });
    if (inPlace)
        return;
    if (CFTDefComponentText *defaults = view->defText(); defaults && changesDefaults(*view)) {
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
    if (changeEditedText([&attributes](QTextCharFormat &format) { format.merge(attributes); }))
        return;
    // Only the changed attributes: new texts keep their font, size and colour.
    if (CFTDefComponentText *defaults = view->defText(); defaults && changesDefaults(*view))
        defaults->MergeFontAttr(attributes);
    const std::vector<CFTComponent *> selection = view->getSelComponents();
    CACanvasEdits &edits = m_canvas.edits();
    CACanvasEdits::Step step(edits, QStringLiteral("CHANGE_FONT"), !selection.empty());
    for (CFTComponent *component : selection)
        // An object without a text of its own (a shape) has no attributes to change; a text of
        // several styles keeps each, with the changed attributes over it.
        if (component->GetFontAttr(nullptr))
            edits.mergeFontAttrForObject(attributes, component);
}

// --- Colours --------------------------------------------------------------------------------------

void CACanvasFormat::changeColor(const CDDColor &color)
{
    CFTAView *view = m_canvas.ftView();
    if (!view)
        return;
    // Typing in place, the colour is the typed characters': the words selected, else what is
    // typed next, as the text's other attributes. A field of a panel with the caret in it and no
    // word selected is the field the user points at: its text is each person's in turn, so a
    // colour for what is typed next alone would not outlast the next person; the whole field
    // takes it.
    const QColor typed = color.toQColor();
    if (changeEditedText([&typed](QTextCharFormat &format) { format.setForeground(typed); }, caretInField()))
        return;
    CACanvasEdits &edits = m_canvas.edits();
    const bool defaults = changesDefaults(*view);
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
    if (!defaults)
        return;
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

bool CACanvasFormat::caretInField() const
{
    const CFTAView *view = m_canvas.ftView();
    const CFTComponent *operated = view ? view->getOperObject() : nullptr;
    return m_canvas.isEditingText() && operated && operated->getClassID() == ciAddressPanel;
}

std::optional<QColor> CACanvasFormat::colorShown() const
{
    const CFTAView *view = m_canvas.ftView();
    if (!view)
        return std::nullopt;
    if (m_canvas.isEditingText()) {
        const QBrush typed = m_canvas.fieldEditor()->textCursor().charFormat().foreground();
        return typed.style() == Qt::NoBrush ? QColor(Qt::black) : typed.color();
    }
    // Shown opaque: a swatch picked next keeps the panel's opacity, and a clear fill would
    // otherwise give an invisible colour.
    const auto shown = [](const CDDColor *color) -> std::optional<QColor> {
        if (!color)
            return std::nullopt;
        QColor opaque = color->toQColor();
        opaque.setAlpha(255);
        return opaque;
    };
    if (view->needEditBackground())
        return view->getBackground() ? shown(view->getBackground()->GetFillColor()) : std::nullopt;
    const std::vector<CFTComponent *> selection = view->getSelComponents();
    if (selection.empty() || !selection.front())
        return std::nullopt;
    CFTComponent *first = selection.front();
    switch (first->getType()) {
    case ctText:
    case ctAddressText:
        return shown(first->GetTextColor());
    case ctAddressPanel:
    case ctSeparator:
        return shown(first->GetStrokeColor());
    default:
        return shown(first->GetFillColor());
    }
}

// The settings new objects of the current tool take: a text's, else a box's.
CFTComponent *CACanvasFormat::toolDefaults(CFTAView &view)
{
    return view.getToolMode() == toolText ? static_cast<CFTComponent *>(view.defText())
                                          : static_cast<CFTComponent *>(view.defBox());
}

bool CACanvasFormat::changesDefaults(const CFTAView &view)
{
    return view.getSelComponents().empty() && !view.needEditBackground();
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
    if (CFTComponent *defaults = toolDefaults(*view); defaults && changesDefaults(*view))
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
    if (CFTComponent *defaults = toolDefaults(*view); defaults && changesDefaults(*view))
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
