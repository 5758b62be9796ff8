// The undo steps of mouse gestures, the keys of the canvas and changes of a text's category.
#include "app/canvas/CACanvasEdits.h"

#include "app/canvas/CADocView.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/address/CFTCounterField.h"
#include "kernel/address/CFTFileField.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/CDDString.h"
#include "kernel/component/CFTAOperationReport.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDText.h"
#include "platform/PWPerson.h"

#include <algorithm>
#include <unordered_set>

void CACanvasEdits::endOperation(const CFTAOperationReport &report)
{
    using Kind = CFTAOperationReport::Kind;
    if (report.kind == Kind::Create) {
        // The view made and added the objects; their undo takes them out again.
        Step step(*this, QStringLiteral("CREATE_OBJECT"), true);
        for (const CFTAOperationReport::Entry &entry : report.entries) {
            if (CFTComponent *made = entry.component)
                registerInverse([this, made] { deleteObjectDeselect(made, true); });
        }
        return;
    }
    if (report.kind != Kind::Move && report.kind != Kind::Resize)
        return;
    Step step(*this, report.kind == Kind::Resize ? QStringLiteral("CHANGE_BOUND") : QStringLiteral("MOVE_OBJECT"));
    // A set: a drag of every object of a large design would search a list once per object.
    std::unordered_set<const CFTComponent *> covered;
    for (const CFTAOperationReport::Entry &entry : report.entries) {
        CFTComponent *moved = entry.component;
        if (!moved)
            continue;
        covered.insert(moved);
        const QRectF before = entry.frameBefore;
        const double angle = entry.angleBefore;
        if (angle != moved->GetAngle())
            registerInverse([this, angle, moved] { setAngleForObject(angle, moved); });
        registerInverse([this, before, moved] { setObjectBound(moved, before); });
    }
    // The next block of a text chain follows its block's resize; it goes back with it.
    for (const CFTAOperationReport::Entry &entry : report.entries) {
        CFTComponent *linked = entry.component ? entry.component->GetLinked() : nullptr;
        if (!linked || covered.contains(linked))
            continue;
        const QRectF before = linked->GetNSLastRect();
        registerInverse([this, before, linked] { setObjectBound(linked, before); });
    }
}

// --- Keys ---------------------------------------------------------------------------------------

bool CACanvasEdits::handleKey(int key, Qt::KeyboardModifiers)
{
    switch (key) {
    case Qt::Key_Left:
        moveLeft();
        return true;
    case Qt::Key_Right:
        moveRight();
        return true;
    case Qt::Key_Up:
        moveUp();
        return true;
    case Qt::Key_Down:
        moveDown();
        return true;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        deleteSelection();
        return true;
    default:
        return false;
    }
}

void CACanvasEdits::moveSelectedByPoint(const QPointF &offset)
{
    CFTAView *editing = view();
    if (!editing || editing->getSelComponents().empty())
        return;
    Step step(*this, QStringLiteral("MOVE_OBJECT"), true);
    const std::vector<CFTComponent *> selection = editing->getSelComponents();
    for (CFTComponent *component : selection) {
        // Undo puts each part back where it stood rather than moving back, so no rounding
        // accumulates and no panel is laid out anew.
        keepPlaceForUndo(component);
        if (component->isEditing())
            m_canvas.endEditText();
        m_canvas.invalidateObject(component);
        component->Move(offset.x(), offset.y(), editing);
        changed(component, false);
    }
}

// One screen pixel, whatever the zoom.
void CACanvasEdits::moveLeft()
{
    moveSelectedByPoint(QPointF(-1.0 / m_canvas.scale(), 0.0));
}

void CACanvasEdits::moveRight()
{
    moveSelectedByPoint(QPointF(1.0 / m_canvas.scale(), 0.0));
}

void CACanvasEdits::moveUp()
{
    moveSelectedByPoint(QPointF(0.0, -1.0 / m_canvas.scale()));
}

void CACanvasEdits::moveDown()
{
    moveSelectedByPoint(QPointF(0.0, 1.0 / m_canvas.scale()));
}

void CACanvasEdits::deleteSelection()
{
    CFTAView *editing = view();
    if (!editing || editing->getSelComponents().empty())
        return;
    Step step(*this, QStringLiteral("DELETE_OBJECT"), true);
    const std::vector<CFTComponent *> selection = editing->getSelComponents();
    for (CFTComponent *component : selection)
        deleteObjectDeselect(component, false);
    editing->deselectAll();
    m_canvas.selectionChangedByEdit();
}

// --- Address objects ----------------------------------------------------------------------------

bool CACanvasEdits::isAddressPanelToActive() const
{
    const CADocument *doc = document();
    return doc && doc->hasAddressControls(true);
}

bool CACanvasEdits::isAddressPanelFromActive() const
{
    const CADocument *doc = document();
    return doc && doc->hasAddressControls(false);
}

bool CACanvasEdits::isAddressPanelToFromActive() const
{
    return isAddressPanelToActive() || isAddressPanelFromActive();
}

// --- Text categories ----------------------------------------------------------------------------

namespace {

// A text made anew as another kind keeps how it looks: its characters' style and colour, its
// alignment and its background. Copy carries them between texts of one kind only, so a plain
// text becoming a counter would come out in the size and colour of no text at all.
void carryTextLook(CFTComponent &made, CFTComponent &from)
{
    if (const std::optional<QTextCharFormat> style = from.GetFontAttr(nullptr))
        made.SetFontAttr(*style);
    CDDColor color;
    if (CDDText *text = from.GetText())
        text->getTextColor(color);
    else if (from.GetTextColor())
        color = *from.GetTextColor();
    made.SetTextColor(&color);
    made.SetAlignment(from.GetAlignment());
    if (const CDDColor *fill = from.GetFillColor())
        made.SetFillColor(fill);
    made.SetHaveBackColor(from.GetHaveBackColor());
}

} // namespace

CFTComponent *CACanvasEdits::changeTextObjectIfNeeded(CFTComponent *component, textCategory category)
{
    CFTAView *editing = view();
    if (!component || !editing)
        return component;
    const textCategory current = component->GetTextCategory();
    const bool counterAlike = (category == tcCounter) == (current == tcCounter);
    const bool fileAlike = (category == tcFileData) == (current == tcFileData);
    if (counterAlike && fileAlike)
        return component;
    std::unique_ptr<CFTComponent> replacement;
    if (category == tcFileData) {
        if (editing->isTextEditing())
            m_canvas.endEditText();
        auto field = std::make_unique<CFTFileField>(nullptr);
        field->Copy(component);
        field->SetDelimeter(CDDString(QStringLiteral(" ")));
        replacement = std::move(field);
    } else if (category == tcCounter) {
        if (editing->isTextEditing())
            m_canvas.endEditText();
        auto counter = std::make_unique<CFTCounterField>(nullptr);
        counter->Copy(component);
        replacement = std::move(counter);
    } else {
        auto text = std::make_unique<CFTAAddressText>(nullptr);
        text->Copy(component);
        replacement = std::move(text);
    }
    carryTextLook(*replacement, *component);
    // From here the document's lists (or, once replaced again, its pool) own it.
    CFTComponent *made = replacement.release();
    exchangeObjectOnObjectSideIsBack(component, made, editing->getCurrentSide(), false);
    return made;
}

void CACanvasEdits::setTextCategoryForObject(textCategory category, CFTComponent *component)
{
    CFTAView *editing = view();
    CADocument *doc = document();
    if (!component || !editing || !doc)
        return;
    const textCategory old = component->GetTextCategory();
    keepTextForUndo(component);
    registerInverse([this, old, component] { setTextCategoryForObject(old, component); });
    CFTComponent *holder = changeTextObjectIfNeeded(component, category);
    const CAddressFormatController &formats = CAddressFormatController::sharedAddressFormatController();
    const std::optional<PWPlist::Dictionary> descriptor =
        formats.formatDescriptorForCountryCode(CAEnvironment::defaultCountry());
    const CDDString label(formats.labelForTextCategory(category, descriptor ? &*descriptor : nullptr));
    holder->SetTextCategory(category, nullptr);
    holder->setLabel(label);
    const bool toFrom = holder->GetToFrom();
    if (std::shared_ptr<PWPerson> person = doc->currentPerson(toFrom))
        doc->updateObjectsText({holder}, *person, toFrom);
    changed(holder, true);
    if (!editing->isSelected(holder))
        editing->select(holder);
}
