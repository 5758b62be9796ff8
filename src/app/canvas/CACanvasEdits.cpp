// The per-object setters: each reads the value it replaces, registers itself with that value as
// its inverse, and only then changes the component.
#include "app/canvas/CACanvasEdits.h"

#include "app/canvas/CADocView.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/address/CFTCounterField.h"
#include "kernel/address/CFTFileField.h"
#include "kernel/address/FTStoredPerson.h"
#include "kernel/base/CDDString.h"
#include "kernel/base/FTClassID.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/component/CFTDefComponentBox.h"
#include "kernel/component/CFTDefComponentText.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CFTACapitalsTyping.h"
#include "platform/PWFont.h"
#include "platform/PWImage.h"
#include "platform/PWUserDefaults.h"

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcCanvas)

CACanvasEdits::CACanvasEdits(CADocView &canvas)
    : m_canvas(canvas)
{
}

CACanvasEdits::~CACanvasEdits()
{
    // The inverses point at this canvas; a document that outlives it must not run them.
    if (m_registeredOn)
        m_registeredOn->removeAllActionsWithTarget(this);
}

CACanvasEdits::Step::Step(CACanvasEdits &edits, const QString &actionKey, bool nameAlways)
    : m_undo(edits.undoManager())
    , m_actionKey(actionKey)
    , m_nameAlways(nameAlways)
    , m_registrationsBefore(edits.registrations())
    , m_edits(edits)
{
    m_edits.m_canvas.beginEditBatch();
    if (m_undo)
        m_undo->beginUndoGrouping();
}

CACanvasEdits::Step::~Step()
{
    if (m_undo) {
        if (m_nameAlways || m_edits.registrations() != m_registrationsBefore)
            m_undo->setActionName(m_actionKey);
        m_undo->endUndoGrouping();
    }
    // The panels hear of the command once, when it is complete.
    m_edits.m_canvas.endEditBatch();
}

PWUndoManager *CACanvasEdits::undoManager() const
{
    CADocument *doc = document();
    return doc ? doc->undoManager() : nullptr;
}

CADocument *CACanvasEdits::document() const
{
    return m_canvas.document();
}

CFTADocument *CACanvasEdits::design() const
{
    CADocument *doc = document();
    return doc ? doc->ftDocument() : nullptr;
}

CFTAView *CACanvasEdits::view() const
{
    return m_canvas.ftView();
}

QRectF CACanvasEdits::frameOf(const CFTComponent *component)
{
    return component ? QRectF(component->GetOriginX(), component->GetOriginY(), component->GetSizeX(),
                              component->GetSizeY())
                     : QRectF();
}

void CACanvasEdits::changed(CFTComponent *component, bool postSelection)
{
    m_canvas.invalidateObject(component);
    if (postSelection)
        m_canvas.selectionChangedByEdit();
    Q_EMIT m_canvas.designEdited();
}

// --- Whole texts --------------------------------------------------------------------------------

namespace {

std::shared_ptr<CDDText> copyOf(const CDDText *text)
{
    if (!text)
        return nullptr;
    auto copy = std::make_shared<CDDText>(text->isCircleText());
    copy->copy(text);
    return copy;
}

} // namespace

CACanvasEdits::TextState CACanvasEdits::captureText(CFTComponent *component)
{
    TextState state;
    state.frame = frameOf(component);
    state.text = copyOf(component->GetText());
    // A text typed into under capitals holds the characters typed meanwhile: kept as it shows.
    if (state.text)
        CFTACapitalsTyping::settle(state.text->getContents());
    if (const auto *field = dynamic_cast<const CFTAAddressText *>(component))
        state.label = copyOf(field->getLabel());
    return state;
}

void CACanvasEdits::restoreTextForObject(CFTComponent *component, const TextState &state)
{
    if (!component)
        return;
    TextState now = captureText(component);
    registerInverse([this, component, now] { restoreTextForObject(component, now); });
    applyTextState(component, state);
    changed(component, true);
}

void CACanvasEdits::applyTextState(CFTComponent *component, const TextState &state)
{
    m_canvas.invalidateObject(component);
    if (CDDText *text = component->GetText(); text && state.text)
        text->copy(state.text.get());
    if (const auto *field = dynamic_cast<const CFTAAddressText *>(component); field && state.label) {
        // The label is the field's own; it hands it out read-only for drawing.
        const_cast<CDDText *>(field->getLabel())->copy(state.label.get());
    }
    component->SetOrigin(state.frame.x(), state.frame.y());
    component->SetSize(state.frame.width(), state.frame.height());
    component->InvalidateShadow();
}

CACanvasEdits::Typing CACanvasEdits::captureTyping(CFTComponent *owner, CFTComponent *typed) const
{
    Typing typing;
    typing.owner = owner;
    typing.typed = typed;
    typing.text = captureText(typed);
    typing.ownerFrame = frameOf(owner);
    if (const auto *field = dynamic_cast<const CFTAAddressText *>(typed))
        typing.keptAsTyped = field->isResetFormatRules();
    if (const auto *plain = dynamic_cast<const CFTAText *>(typed))
        typing.typedCharacters = plain->typedCharacters();
    const textCategory category = typed ? typed->GetTextCategory() : tcNone;
    if (CADocument *doc = m_canvas.document();
        doc && category != tcNone && category != tcSimpleText && dynamic_cast<const CFTAAddressText *>(typed)) {
        typing.personKept = true;
        if (const std::shared_ptr<PWPerson> person = doc->currentPerson(typed->GetToFrom()))
            typing.person = FTStoredPerson::copyWithIdentity(*person);
    }
    return typing;
}

void CACanvasEdits::beginTyping(CFTComponent *owner, CFTComponent *typed)
{
    m_typing.reset();
    if (owner && typed && typed->GetText())
        m_typing = captureTyping(owner, typed);
}

void CACanvasEdits::endTyping(bool changed)
{
    std::optional<Typing> before = std::move(m_typing);
    m_typing.reset();
    PWUndoManager *undo = undoManager();
    // An edit ended by an undo or a redo is that step's business, not a new one.
    if (!before || !changed || (undo && (undo->isUndoing() || undo->isRedoing())))
        return;
    Step step(*this, QStringLiteral("TYPING"));
    registerInverse([this, before = *before] { restoreTyping(before); });
}

void CACanvasEdits::restoreTyping(const Typing &typing)
{
    // The text must not be under the editor while its contents are replaced.
    m_canvas.endEditText();
    const Typing now = captureTyping(typing.owner, typing.typed);
    registerInverse([this, now] { restoreTyping(now); });
    // Typing taken back gives the field back to its panel's punctuation as well; typing put back
    // is the field's own text again, which its person takes once the whole text is back (the
    // text comes back piece by piece, and no piece is the person's).
    auto *field = dynamic_cast<CFTAAddressText *>(typing.typed);
    const bool quiet = field && !m_canvas.isPersonUpdating();
    if (field) {
        field->resetFormatRules(typing.keptAsTyped);
        if (typing.keptAsTyped && typing.text.text)
            field->keepOwnStringAs(typing.text.text->getString());
    }
    if (quiet)
        m_canvas.beginUpdatePerson();
    applyTextState(typing.typed, typing.text);
    if (auto *plain = dynamic_cast<CFTAText *>(typing.typed); plain && typing.typedCharacters)
        plain->restoreTypedCharacters(*typing.typedCharacters);
    if (quiet)
        m_canvas.endUpdatePerson();
    if (typing.owner != typing.typed) {
        typing.owner->SetOrigin(typing.ownerFrame.x(), typing.ownerFrame.y());
        typing.owner->SetSize(typing.ownerFrame.width(), typing.ownerFrame.height());
        typing.owner->InvalidateShadow();
    }
    // What was typed into an address reached the person; taking it back takes it back there too.
    // The same words restyled are no typing the person heard of: read back, the field would give
    // it the punctuation it shows.
    const bool sameWords = now.text.text && typing.text.text
                           && now.text.text->getString() == typing.text.text->getString();
    CADocument *doc = document();
    if (doc && typing.personKept && !m_canvas.isPersonUpdating()) {
        // The person as it was, exactly: read back from the field, it would take the field's letters
        // (and a side that had none would keep one).
        const bool freeField = typing.typed->getClassID() == ciAddressText;
        m_canvas.beginUpdatePerson();
        doc->restoreCurrentPerson(typing.person ? FTStoredPerson::copyWithIdentity(*typing.person) : nullptr,
                                  typing.typed->GetToFrom(), freeField && typing.person && !sameWords);
        m_canvas.endUpdatePerson();
    } else if (doc && !sameWords && !m_canvas.isPersonUpdating()) {
        doc->updatePersonWithComponent(typing.typed);
    }
    changed(typing.owner, true);
}

void CACanvasEdits::restorePanelStyle(CFTAAddressPanel *panel, const std::shared_ptr<CDDText> &style)
{
    CDDText *own = panel ? const_cast<CFTDefComponentText &>(panel->defaultText()).GetText() : nullptr;
    if (!own || !style)
        return;
    registerInverse([this, panel, now = copyOf(own)] { restorePanelStyle(panel, now); });
    own->copy(style.get());
    changed(panel, true);
}

void CACanvasEdits::keepTextForUndo(CFTComponent *component)
{
    // A panel's texts are its fields and the style it gives them; a step applied to each and
    // stepped back leaves attributes set that were not, so all are kept whole.
    if (auto *panel = dynamic_cast<CFTAAddressPanel *>(component)) {
        for (unsigned int i = 0; i < panel->addressComponentCount(); ++i)
            keepTextForUndo(panel->addressComponentAtIndex(i));
        if (CDDText *own = const_cast<CFTDefComponentText &>(panel->defaultText()).GetText())
            registerInverse([this, panel, style = copyOf(own)] { restorePanelStyle(panel, style); });
        return;
    }
    if (!component || !component->GetText())
        return;
    TextState state = captureText(component);
    registerInverse([this, component, state] { restoreTextForObject(component, state); });
}

void CACanvasEdits::keepPlaceForUndo(CFTComponent *component)
{
    if (!component)
        return;
    Places places {{component, frameOf(component).topLeft()}};
    if (auto *panel = dynamic_cast<CFTAAddressPanel *>(component))
        for (unsigned int i = 0; i < panel->addressComponentCount(); ++i)
            if (CFTComponent *field = panel->addressComponentAtIndex(i))
                places.emplace_back(field, frameOf(field).topLeft());
    registerInverse([this, component, places] { restorePlace(component, places); });
}

void CACanvasEdits::restorePlace(CFTComponent *component, const Places &places)
{
    keepPlaceForUndo(component);
    m_canvas.invalidateObject(component);
    // Moved as a whole first, so that what moves with the component follows it; then each part
    // exactly where it stood (a panel's own origin set anew would lay its fields out again).
    const QPointF at = places.front().second;
    component->Move(at.x() - component->GetOriginX(), at.y() - component->GetOriginY(), view());
    if (component->GetOriginX() != at.x() || component->GetOriginY() != at.y())
        component->CFTComponent::SetOrigin(at.x(), at.y());
    for (auto part = places.begin() + 1; part != places.end(); ++part)
        if (part->first->GetOriginX() != part->second.x() || part->first->GetOriginY() != part->second.y())
            part->first->SetOrigin(part->second.x(), part->second.y());
    changed(component, false);
}

// --- Plain values -------------------------------------------------------------------------------

void CACanvasEdits::setAlignmentForObject(textAlignment alignment, CFTComponent *component)
{
    if (!component)
        return;
    // An alignment lays the text, or each field of a panel, out again: undone, each takes back
    // the frame it had, which a new layout would give back only to the rounding.
    keepTextForUndo(component);
    const textAlignment old = component->GetAlignment();
    registerInverse([this, old, component] { setAlignmentForObject(old, component); });
    m_canvas.invalidateObject(component);
    component->SetAlignment(alignment);
    changed(component, true);
}

void CACanvasEdits::moveComponentDxDyForObject(double dx, double dy, CFTComponent *component)
{
    if (!component)
        return;
    keepPlaceForUndo(component);
    m_canvas.invalidateObject(component);
    component->Move(dx, dy, view());
    changed(component, false);
}

// The common shape of the setters whose getter and setter take the same type.
#define PW_SIMPLE_SETTER(Method, Type, Getter, Setter, PostSelection)                                               \
    void CACanvasEdits::Method(Type value, CFTComponent *component)                                                 \
    {                                                                                                               \
        if (!component)                                                                                             \
            return;                                                                                                 \
        const auto old = component->Getter();                                                                       \
        registerInverse([this, old, component] { Method(old, component); });                                      \
        m_canvas.invalidateObject(component);                                                                       \
        component->Setter(value);                                                                                   \
        changed(component, PostSelection);                                                                          \
    }

PW_SIMPLE_SETTER(setFlipXForObject, bool, IsFlipX, setFlipX, true)
PW_SIMPLE_SETTER(setFlipYForObject, bool, IsFlipY, setFlipY, true)
PW_SIMPLE_SETTER(setShadowForObject, bool, IsShadowed, SetShadow, true)
PW_SIMPLE_SETTER(setTileScaleForObject, float, GetTileScale, SetTileScale, true)
PW_SIMPLE_SETTER(setDataPlacingForObject, placingMode, GetDataPlacing, SetDataPlacing, true)
PW_SIMPLE_SETTER(setFilledForObject, bool, IsFilled, SetFilled, true)
PW_SIMPLE_SETTER(setStrokedForObject, bool, IsStroked, SetStroked, true)
PW_SIMPLE_SETTER(setMaskedForObject, bool, IsMasked, SetMasked, true)
PW_SIMPLE_SETTER(setAngleForObject, double, GetAngle, SetAngle, true)
PW_SIMPLE_SETTER(setShowNamedForObject, bool, IsShowNamed, SetShowNamed, true)
PW_SIMPLE_SETTER(setHaveBackColorForObject, bool, GetHaveBackColor, SetHaveBackColor, true)
PW_SIMPLE_SETTER(setSideCountForObject, double, GetSideCount, SetSideCount, true)
PW_SIMPLE_SETTER(setCurveRadiusForObject, double, GetCurveRadius, SetCurveRadius, true)

#undef PW_SIMPLE_SETTER

void CACanvasEdits::setTileForObject(bool tile, CFTComponent *component)
{
    if (!component)
        return;
    // Back to the placing it had, which may be neither of the two a switch chooses.
    const placingMode old = component->GetDataPlacing();
    registerInverse([this, old, component] { setDataPlacingForObject(old, component); });
    m_canvas.invalidateObject(component);
    component->SetDataPlacing(tile ? placingMode(1) : placingMode(0));
    changed(component, true);
}

void CACanvasEdits::setLineWidthForObject(double width, CFTComponent *component)
{
    if (!component)
        return;
    // A width is no outline: an object whose line is off keeps it off, with the width for when
    // the line is turned on (the object's own setter would turn it on without a word).
    const bool stroked = component->IsStroked();
    const double old = component->GetStrokeWidth();
    registerInverse([this, old, component] { setLineWidthForObject(old, component); });
    m_canvas.invalidateObject(component);
    component->SetLineWidth(width);
    if (!stroked && component->IsStroked())
        component->SetStroked(false);
    changed(component, true);
}

void CACanvasEdits::setOpacityForObject(double opacity, CFTComponent *component)
{
    if (!component)
        return;
    const double old = component->GetOpacity();
    registerInverse([this, old, component] { setOpacityForObject(old, component); });
    m_canvas.invalidateObject(component);
    component->SetOpacity(float(opacity));
    changed(component, true);
}

void CACanvasEdits::setBoxDefault(BoxDefault which, double value)
{
    CFTAView *editing = view();
    CFTDefComponentBox *box = editing ? editing->defBox() : nullptr;
    if (!box)
        return;
    double old = 0.0;
    switch (which) {
    case BoxDefault::LineWidth:
        old = double(box->GetStrokeWidth());
        break;
    case BoxDefault::Opacity:
        old = double(box->GetOpacity());
        break;
    case BoxDefault::Angle:
        old = box->GetAngle();
        break;
    }
    registerInverse([this, which, old] { setBoxDefault(which, old); });
    switch (which) {
    case BoxDefault::LineWidth: {
        const bool stroked = box->IsStroked();
        box->SetLineWidth(value);
        box->SetStroked(stroked);
        break;
    }
    case BoxDefault::Opacity:
        box->SetOpacity(float(value));
        break;
    case BoxDefault::Angle:
        box->SetAngle(value);
        break;
    }
}

// --- Fonts --------------------------------------------------------------------------------------

void CACanvasEdits::setFontForObject(const PWFont &font, CFTComponent *component)
{
    if (!component)
        return;
    keepTextForUndo(component);
    if (const std::optional<PWFont> old = component->GetFont(nullptr))
        registerInverse([this, old = *old, component] { setFontForObject(old, component); });
    m_canvas.invalidateObject(component);
    component->SetFont(font);
    changed(component, false);
}

void CACanvasEdits::setFontAttrForObject(const QTextCharFormat &attributes, CFTComponent *component)
{
    changeFontAttrForObject(component, [&attributes](CFTComponent &target) { target.SetFontAttr(attributes); });
}

void CACanvasEdits::mergeFontAttrForObject(const QTextCharFormat &attributes, CFTComponent *component)
{
    changeFontAttrForObject(component, [&attributes](CFTComponent &target) { target.MergeFontAttr(attributes); });
}

void CACanvasEdits::changeFontAttrForObject(CFTComponent *component, const std::function<void(CFTComponent &)> &change)
{
    if (!component)
        return;
    // The text is kept whole (a merge changes each run in its own way); an object whose text it
    // does not keep (a text block) gets its first run's attributes back over the whole text.
    keepTextForUndo(component);
    if (const std::optional<QTextCharFormat> old = component->GetFontAttr(nullptr))
        registerInverse([this, old = *old, component] { setFontAttrForObject(old, component); });
    m_canvas.invalidateObject(component);
    change(*component);
    changed(component, false);
}

void CACanvasEdits::changeFontSizeForObject(float delta, CFTComponent *component)
{
    if (!component)
        return;
    keepTextForUndo(component);
    registerInverse([this, delta, component] { changeFontSizeForObject(-delta, component); });
    m_canvas.invalidateObject(component);
    component->ChangeFontSize(delta);
    changed(component, true);
}

void CACanvasEdits::setFontSizeForObject(float size, CFTComponent *component)
{
    if (!component)
        return;
    keepTextForUndo(component);
    if (const std::optional<PWFont> old = component->GetFont(nullptr)) {
        const float oldSize = float(old->pointSize());
        registerInverse([this, oldSize, component] { setFontSizeForObject(oldSize, component); });
    }
    m_canvas.invalidateObject(component);
    component->SetFontSize(size);
    changed(component, true);
}

// --- Colours ------------------------------------------------------------------------------------

namespace {

CDDColor colorOf(const CDDColor *color)
{
    return color ? *color : CDDColor();
}

} // namespace

void CACanvasEdits::setTextColorForObject(const CDDColor &color, CFTComponent *component)
{
    if (!component)
        return;
    keepTextForUndo(component);
    const CDDColor old = colorOf(component->GetTextColor());
    registerInverse([this, old, component] { setTextColorForObject(old, component); });
    m_canvas.invalidateObject(component);
    component->SetTextColor(&color);
    changed(component, true);
}

void CACanvasEdits::setForeColorForObject(const CDDColor &color, CFTComponent *component)
{
    if (!component)
        return;
    // A panel's colour is each of its fields': after the colour, each field takes back its own,
    // and its text as it was.
    keepTextForUndo(component);
    if (auto *panel = dynamic_cast<CFTAAddressPanel *>(component)) {
        for (unsigned int i = 0; i < panel->addressComponentCount(); ++i) {
            CFTComponent *field = panel->addressComponentAtIndex(i);
            if (!field)
                continue;
            registerInverse([this, own = colorOf(field->GetTextColor()), field] { setTextColorForObject(own, field); });
        }
    }
    // Choosing an outline colour for a shape without an outline means wanting the outline; a
    // panel's colour is its fields' text, and asks for no border.
    if (component->getType() != ctAddressPanel && component->canStrok() && !component->IsStroked())
        setStrokedForObject(true, component);
    const CDDColor old = colorOf(component->GetStrokeColor());
    // Setting a colour also switches the saved outline on, and a kind whose line is always
    // drawn (a separator) answers "stroked" whatever the switch says: the switch itself goes
    // back with the colour.
    const bool hadOutline = component->CFTComponent::IsStroked();
    registerInverse([this, old, hadOutline, component] {
        setForeColorForObject(old, component);
        if (component->CFTComponent::IsStroked() != hadOutline)
            component->SetStroked(hadOutline);
    });
    m_canvas.invalidateObject(component);
    component->SetStrokeColor(&color);
    changed(component, true);
}

void CACanvasEdits::setBackColorForObject(const CDDColor &color, CFTComponent *component)
{
    if (!component)
        return;
    if (component->canFill() && !component->IsFilled())
        setFilledForObject(true, component);
    const CDDColor old = colorOf(component->GetFillColor());
    // A colour given also switches a text's or a panel's background on, and a panel answers
    // "not filled" whatever its background says: the switch itself goes back with the colour.
    const bool hadBackground = component->GetHaveBackColor();
    registerInverse([this, old, hadBackground, component] {
        setBackColorForObject(old, component);
        if (component->GetHaveBackColor() != hadBackground)
            component->SetHaveBackColor(hadBackground);
    });
    m_canvas.invalidateObject(component);
    component->SetFillColor(&color);
    changed(component, true);
}

// --- Bounds -------------------------------------------------------------------------------------

void CACanvasEdits::setObjectBound(CFTComponent *component, const QRectF &bound)
{
    if (!component)
        return;
    const QRectF old = frameOf(component);
    registerInverse([this, old, component] { setObjectBound(component, old); });
    if (component->isEditing())
        m_canvas.endEditText();
    m_canvas.invalidateObject(component);
    component->SetOrigin(bound.x(), bound.y());
    component->SetSize(bound.width(), bound.height());
    changed(component, true);
}

// --- Counter and file fields --------------------------------------------------------------------

namespace {

CFTCounterField *counterField(CFTComponent *component)
{
    return component && component->getClassID() == ciCounter ? static_cast<CFTCounterField *>(component) : nullptr;
}

CFTFileField *fileField(CFTComponent *component)
{
    return component && component->getClassID() == ciFileField ? static_cast<CFTFileField *>(component) : nullptr;
}

} // namespace

#define PW_FIELD_SETTER(Method, Type, Cast, Getter, Setter, PostSelection)                                          \
    void CACanvasEdits::Method(Type value, CFTComponent *component)                                                 \
    {                                                                                                               \
        auto *field = Cast(component);                                                                              \
        if (!field)                                                                                                 \
            return;                                                                                                 \
        const auto old = field->Getter();                                                                           \
        keepTextForUndo(component);                                                                                 \
        registerInverse([this, old, component] { Method(old, component); });                                      \
        field->Setter(value);                                                                                       \
        changed(component, PostSelection);                                                                          \
    }

PW_FIELD_SETTER(setCounterStartNumberForObject, int, counterField, GetStartNumber, SetStartNumber, true)
PW_FIELD_SETTER(setCounterIncrementForObject, int, counterField, GetIncrement, SetIncrement, true)
PW_FIELD_SETTER(setCounterNumberOfDigitsForObject, int, counterField, GetZerosDigits, SetZerosDigits, true)
PW_FIELD_SETTER(setCounterLeadingZerosForObject, bool, counterField, IsLeadingZeros, SetLeadingZeros, false)
PW_FIELD_SETTER(setFileCountFieldsForObject, fieldsCount, fileField, GetCountFields, SetCountFields, true)
PW_FIELD_SETTER(setFileNumberFieldForObject, int, fileField, GetNumberField, SetNumberField, true)

#undef PW_FIELD_SETTER

void CACanvasEdits::setFileFieldFileNameForObject(const QString &path, CFTComponent *component)
{
    CFTFileField *field = fileField(component);
    if (!field)
        return;
    const QString old = field->GetFileName().getData();
    keepTextForUndo(component);
    registerInverse([this, old, component] { setFileFieldFileNameForObject(old, component); });
    field->SetFile(CDDString(path));
    changed(component, true);
}

void CACanvasEdits::setDelimeterForObject(const QString &delimiter, CFTComponent *component)
{
    CFTFileField *field = fileField(component);
    if (!field)
        return;
    const QString old = field->GetDelimeter().getData();
    keepTextForUndo(component);
    registerInverse([this, old, component] { setDelimeterForObject(old, component); });
    field->SetDelimeter(CDDString(delimiter));
    changed(component, true);
}

// --- Baseline and kerning: each step is the other's inverse -------------------------------------

#define PW_STEP_SETTER(Method, Operation, Inverse)                                                                  \
    void CACanvasEdits::Method(CFTComponent *component)                                                             \
    {                                                                                                               \
        if (!component)                                                                                             \
            return;                                                                                                 \
        keepTextForUndo(component);                                                                                 \
        registerInverse([this, component] { Inverse(component); });                                                \
        component->Operation();                                                                                     \
        changed(component, false);                                                                                  \
    }

PW_STEP_SETTER(raiseBaselineForObject, raiseBaseline, lowerBaselineForObject)
PW_STEP_SETTER(lowerBaselineForObject, lowerBaseline, raiseBaselineForObject)
PW_STEP_SETTER(loosenKerningForObject, loosenKerning, tightenKerningForObject)
PW_STEP_SETTER(tightenKerningForObject, tightenKerning, loosenKerningForObject)

#undef PW_STEP_SETTER

// --- Pictures -----------------------------------------------------------------------------------

void CACanvasEdits::setMaskForObject(std::shared_ptr<PWImage> mask, CFTComponent *component)
{
    if (!component || !component->canMasked())
        return;
    if (!component->IsMasked())
        setMaskedForObject(true, component);
    const CDDPicture *current = component->getMask();
    std::shared_ptr<PWImage> old = current ? current->getData() : nullptr;
    registerInverse([this, old, component] { setMaskForObject(old, component); });
    component->setMask(CDDPicture(std::move(mask)));
    changed(component, true);
}

void CACanvasEdits::replaceImageForObject(std::shared_ptr<PWImage> image, CFTComponent *component)
{
    if (!component)
        return;
    setSourceRectIsClearForObject(QRectF(), true, component);
    std::shared_ptr<PWImage> old = component->GetObjectData();
    registerInverse([this, old, component] { replaceImageForObject(old, component); });
    const QString name = image ? image->name() : QString();
    component->SetObjectData(std::move(image));
    changed(component, true);
    if (PWUserDefaults::standardUserDefaults().boolForKey(QStringLiteral("FTShowImageName")) && !name.isEmpty()) {
        const QString prefix = QStringLiteral("FULLSIZE_");
        qCInfo(lcCanvas).noquote() << (name.startsWith(prefix) ? name.mid(prefix.size()) : name);
    }
}

void CACanvasEdits::setSourceRectIsClearForObject(const QRectF &rect, bool isClear, CFTComponent *component)
{
    if (!component || component->getClassID() != ciPicture)
        return;
    auto *picture = static_cast<CFTPicture *>(component);
    // Undone in the reverse order: the crop, then the bounds it came with, then the redraw.
    registerInverse([this, component] { m_canvas.invalidateObject(component); });
    const QRectF bound = frameOf(component);
    registerInverse([this, bound, component] { setObjectBound(component, bound); });
    const QRectF crop(picture->getSrcRectX(), picture->getSrcRectY(), picture->getSrcRectWidth(),
                      picture->getSrcRectHeight());
    const bool wasClear = !picture->hasSrcRect();
    registerInverse([this, crop, wasClear, component] { setSourceRectIsClearForObject(crop, wasClear, component); });
    if (!isClear)
        picture->setSrcRect(float(rect.x()), float(rect.y()), float(rect.width()), float(rect.height()));
    else
        picture->clearSrcRect();
}
