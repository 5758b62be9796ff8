// New address panels, grouping free fields into a panel and back, and the baseline and kerning
// steps of the canvas's address commands.
#include "app/canvas/CACanvasAddressCommands.h"

#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CADocView.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/FTClassID.h"
#include "kernel/component/CFTACoreDoc.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDText.h"
#include "platform/PWBundle.h"
#include "platform/PWPerson.h"
#include "platform/PWUndoManager.h"

#include <QPointer>

#include <algorithm>
#include <cmath>

// What a panel held while it stood ungrouped: its fields in their order, and those that did not
// go onto the side (hidden ones), owned here until the panel takes them back.
struct CACanvasAddressCommands::PanelFields
{
    std::vector<CFTAAddressText *> order;
    std::vector<std::unique_ptr<CFTComponent>> hidden;
    // Where the panel and its fields stood in the side's list, to stand there again.
    int panelIndex = -1;
    QRectF frame;
    std::vector<QRectF> fieldFrames;
    // Taking a panel apart lays it out with every field shown, and its punctuation rules rewrite
    // the field texts then: the texts as they were come back with the panel.
    std::vector<CDDString> fieldTexts;
    std::vector<std::pair<CFTComponent *, int>> fieldIndexes;
};

namespace {

// The shown side's list the canvas edits.
std::vector<CFTComponent *> *editedList(const CADocView &canvas)
{
    const CFTAView *view = canvas.ftView();
    CFTADocument *design = canvas.document() ? canvas.document()->ftDocument() : nullptr;
    return view && design ? design->GetComponentsPtr(view->getCurrentSide(), false) : nullptr;
}

int indexIn(const std::vector<CFTComponent *> *list, const CFTComponent *component)
{
    if (!list)
        return -1;
    const auto found = std::find(list->begin(), list->end(), component);
    return found == list->end() ? -1 : int(found - list->begin());
}

// Moves a listed component to the index (clamped to the list).
void placeAt(std::vector<CFTComponent *> *list, CFTComponent *component, int index)
{
    const int at = indexIn(list, component);
    if (at < 0 || index < 0)
        return;
    list->erase(list->begin() + at);
    list->insert(list->begin() + std::min<std::ptrdiff_t>(index, std::ptrdiff_t(list->size())), component);
}

// Integer part, as the row bands are cut.
int cut(double value)
{
    return int(std::trunc(value));
}

// Two horizontal strips of the same width overlap: both have height and each starts before the
// other ends.
bool bandsOverlap(int top0, int bottom0, int top1, int bottom1)
{
    return bottom0 > top0 && bottom1 > top1 && top0 < bottom1 && top1 < bottom0;
}

} // namespace

std::vector<std::vector<CFTComponent *>> CACanvasAddressCommands::groupRows(std::vector<CFTComponent *> components)
{
    std::vector<std::vector<CFTComponent *>> rows;
    if (components.empty())
        return rows;
    std::stable_sort(components.begin(), components.end(), [](const CFTComponent *a, const CFTComponent *b) {
        return a->GetOriginY() < b->GetOriginY();
    });
    const double d = 0.2 * components.front()->GetSizeY();
    while (!components.empty()) {
        const CFTComponent *first = components.front();
        int top = cut(first->GetOriginY() + d);
        int bottom = cut(first->GetOriginY() + first->GetSizeY() - d);
        std::vector<CFTComponent *> row;
        for (CFTComponent *component : components) {
            const int own0 = cut(component->GetOriginY());
            const int own1 = cut(component->GetOriginY() + component->GetSizeY());
            // The first one always belongs to its row, even when its band is empty: otherwise a
            // flat component would join no row and the rows would never run out.
            if (component != first && !bandsOverlap(own0, own1, top, bottom))
                continue;
            row.push_back(component);
            top = std::min(top, cut(own0 + d));
            bottom = std::max(bottom, cut(own1 - d));
        }
        std::stable_sort(row.begin(), row.end(), [](const CFTComponent *a, const CFTComponent *b) {
            return a->GetOriginX() < b->GetOriginX();
        });
        std::erase_if(components, [&row](const CFTComponent *component) {
            return std::find(row.begin(), row.end(), component) != row.end();
        });
        rows.push_back(std::move(row));
    }
    return rows;
}

void CACanvasAddressCommands::addressPanel(bool toFrom)
{
    CFTAView *view = m_canvas.ftView();
    CADocument *doc = document();
    if (!view || !doc)
        return;
    const QString defaultTemplate = CAEnvironment::defaultTemplate();
    const CFTComponent *last = nullptr;
    for (const CFTComponent *component : view->GetCurrentComponents()) {
        const CAddressFormat *format = component->getFormat();
        const CDDString *templateName = format ? format->name(tcRootFormat) : nullptr;
        if (component->getClassID() == ciAddressPanel && component->GetToFrom() == toFrom && templateName
            && templateName->getData() == defaultTemplate)
            last = component;
    }
    const std::unique_ptr<CAddressFormat> format = CAddressFormatController::sharedAddressFormatController()
                                                       .formatWithTemplate(defaultTemplate,
                                                                           CAEnvironment::defaultCountry(), false, 0);
    std::unique_ptr<CFTComponent> panel = view->CreateAddressPanel(toFrom, format.get());
    if (!panel)
        return;
    if (last)
        panel->SetOrigin(last->GetOriginX() + 10.0, last->GetOriginY() + 10.0);
    else
        panel->SetOrigin(9.0, 9.0);
    CFTComponent *made = panel.release();
    command(QStringLiteral("CREATE_OBJECT"), [&] {
        view->deselectAll();
        m_canvas.edits().insertObjectSelect(made, true);
        std::shared_ptr<PWPerson> person = doc->currentPerson(toFrom);
        if (!person)
            person = PWPerson::create();
        doc->updateObjectsText({made}, *person, toFrom);
        // Laid out now, not when first drawn: the canvas draws it and fits its frame at its real
        // size, and its tabs answer clicks at once.
        static_cast<CFTAAddressPanel *>(made)->layOutForEditing();
    });
    m_canvas.invalidateObject(made);
    m_canvas.refitFrame();
}

void CACanvasAddressCommands::group()
{
    CFTAView *view = m_canvas.ftView();
    if (!view || !document())
        return;
    const CAddressFormatController &formats = CAddressFormatController::sharedAddressFormatController();
    const QString defaultTemplate = CAEnvironment::defaultTemplate();
    std::vector<CFTComponent *> fields;
    for (CFTComponent *component : view->getSelComponentsWithDocZOrder()) {
        if (formats.allowCategory(component->GetTextCategory(), defaultTemplate, QStringLiteral("us"))
            && component->canGroup() && dynamic_cast<CFTAAddressText *>(component))
            fields.push_back(component);
    }
    if (fields.empty())
        return;
    double left = 0, top = 0, right = 0, bottom = 0;
    CFTACoreDoc::GetBoundForComponents(&left, &top, &right, &bottom, fields);

    const QString title = PWLocalizedString(QStringLiteral("Custom Template"));
    std::unique_ptr<CAddressFormat> root = CAddressFormat::createRoot(tcRootFormat, CDDString(title));
    const std::optional<PWPlist::Dictionary> descriptor =
        formats.formatDescriptorForCountryCode(CAEnvironment::defaultCountry());
    const std::vector<std::vector<CFTComponent *>> rows = groupRows(fields);
    for (size_t row = 0; row < rows.size(); ++row) {
        for (size_t column = 0; column < rows[row].size(); ++column) {
            CFTComponent *field = rows[row][column];
            const textCategory category = field->GetTextCategory();
            const CDDString label(formats.labelForTextCategory(category, descriptor ? &*descriptor : nullptr));
            // A free text and a barcode keep what they show; other fields are filled from persons.
            const bool literal = category == tcSimpleText || category == tcBarcode;
            const CDDText *text = field->GetText();
            const CDDString shown(literal && text ? text->getString() : QString());
            root->addKey(category, int(row), int(column), label, shown, CDDString(), CDDString(), fmWhenFilled,
                         tcNone, tcNone);
        }
    }
    root->setCustomFormat(true);
    auto *panel = new CFTAAddressPanel(true, root.get(), fields.front(), true);
    command(QStringLiteral("GROUP"), [&] {
        groupObjects(fields, panel, nullptr);
        if (const CAddressFormat *barcode = root->getFormatWithKey(tcBarcode)) {
            panel->SetBarcodeVisible(true);
            panel->SetBarcodeLocation(barcodeLocation(barcode->getRow() == 0 ? 0 : 1));
        }
        panel->SetOrigin(left - 5.0, top - 5.0);
    });
}

void CACanvasAddressCommands::groupObjects(const std::vector<CFTComponent *> &fields, CFTAAddressPanel *panel)
{
    groupObjects(fields, panel, nullptr);
}

void CACanvasAddressCommands::groupObjects(const std::vector<CFTComponent *> &fields, CFTAAddressPanel *panel,
                                           const std::shared_ptr<PanelFields> &kept)
{
    CFTAView *view = m_canvas.ftView();
    CFTADocument *design = document() ? document()->ftDocument() : nullptr;
    std::vector<CFTComponent *> *list = editedList(m_canvas);
    if (!view || !design || !panel || !list)
        return;
    std::vector<std::pair<CFTComponent *, int>> fieldIndexes;
    std::vector<std::pair<CFTComponent *, QRectF>> frames;
    panel->initEnumerator();
    const auto takeFromSide = [&](CFTComponent *component) -> CFTAAddressText * {
        if (component->isEditing())
            m_canvas.endEditText();
        fieldIndexes.emplace_back(component, indexIn(list, component));
        // The panel lays its fields out anew; back on the side they stand as they stood.
        frames.emplace_back(component, QRectF(component->GetOriginX(), component->GetOriginY(),
                                              component->GetSizeX(), component->GetSizeY()));
        view->deselect(component);
        std::unique_ptr<CFTComponent> taken = design->EreaseObject(component, view->getCurrentSide(), false);
        return dynamic_cast<CFTAAddressText *>(taken.release());
    };
    if (kept) {
        // The panel comes back as it stood: every field in its old place, hidden ones included.
        for (CFTAAddressText *field : kept->order) {
            const auto hidden = std::find_if(kept->hidden.begin(), kept->hidden.end(),
                                             [field](const auto &owned) { return owned.get() == field; });
            if (hidden != kept->hidden.end()) {
                (void)hidden->release();
                kept->hidden.erase(hidden);
                panel->appendAddressComponent(field);
            } else if (std::find(fields.begin(), fields.end(), field) != fields.end()) {
                m_canvas.edits().setAngleForObject(0.0, field);
                panel->appendAddressComponent(takeFromSide(field));
            }
        }
    } else {
        for (CFTComponent *component : fields) {
            m_canvas.edits().setAngleForObject(0.0, component);
            CFTAAddressText *field = takeFromSide(component);
            if (!field)
                continue;
            // In the place of the panel's own next field of the category, else at the end.
            if (!panel->replaceAddressComponent(field->GetTextCategory(), field))
                panel->appendAddressComponent(field);
        }
    }
    view->InsertComponent(panel, true);
    if (kept) {
        placeAt(list, panel, kept->panelIndex);
        panel->SetSize(kept->frame.width(), kept->frame.height());
        // The fields stand in the panel where they stood before it was taken apart.
        for (size_t i = 0; i < kept->order.size() && i < kept->fieldTexts.size(); ++i) {
            if (!(kept->order[i]->GetString() == kept->fieldTexts[i]))
                kept->order[i]->SetString(kept->fieldTexts[i]);
        }
        for (size_t i = 0; i < kept->order.size() && i < kept->fieldFrames.size(); ++i) {
            const QRectF &frame = kept->fieldFrames[i];
            kept->order[i]->SetOrigin(frame.x(), frame.y());
            kept->order[i]->SetSize(frame.width(), frame.height());
        }
    }
    // Laid out again before it is next drawn or saved, as after any move.
    panel->SetOrigin(panel->GetOriginX(), panel->GetOriginY());
    m_canvas.viewport()->update();
    QPointer<CACanvasAddressCommands> self(this);
    if (PWUndoManager *undo = undoManager()) {
        undo->registerUndo(&m_canvas, [self, panel, fieldIndexes, frames] {
            if (!self)
                return;
            self->ungroupObject(panel);
            for (const auto &[field, frame] : frames) {
                field->SetOrigin(frame.x(), frame.y());
                field->SetSize(frame.width(), frame.height());
            }
            // The fields stand where they stood before they joined the panel: each index was
            // taken with the fields before it already gone, so they go back last one first.
            for (auto entry = fieldIndexes.rbegin(); entry != fieldIndexes.rend(); ++entry)
                placeAt(editedList(self->m_canvas), entry->first, entry->second);
        });
    }
}

void CACanvasAddressCommands::ungroupObject(CFTAAddressPanel *panel)
{
    CFTAView *view = m_canvas.ftView();
    std::vector<CFTComponent *> *list = editedList(m_canvas);
    if (!view || !panel || !list)
        return;
    if (panel->isEditing())
        m_canvas.endEditText();
    auto kept = std::make_shared<PanelFields>();
    for (unsigned int i = 0; i < panel->addressComponentCount(); ++i) {
        CFTAAddressText *field = panel->addressComponentAtIndex(i);
        kept->order.push_back(field);
        kept->fieldFrames.emplace_back(field->GetOriginX(), field->GetOriginY(), field->GetSizeX(), field->GetSizeY());
        kept->fieldTexts.push_back(field->GetString());
    }
    kept->panelIndex = indexIn(list, panel);
    kept->frame = QRectF(panel->GetOriginX(), panel->GetOriginY(), panel->GetSizeX(), panel->GetSizeY());
    std::vector<CFTComponent *> shown;
    std::vector<CFTComponent *> hidden;
    panel->Ungroup(shown, &hidden);
    for (CFTComponent *field : hidden)
        kept->hidden.emplace_back(field);
    for (CFTComponent *field : shown)
        view->InsertComponent(field, true);
    view->DeleteComponent(panel, true);
    m_canvas.viewport()->update();
    QPointer<CACanvasAddressCommands> self(this);
    if (PWUndoManager *undo = undoManager()) {
        undo->registerUndo(&m_canvas, [self, shown, panel, kept] {
            if (self)
                self->groupObjects(shown, panel, kept);
        });
    }
}

void CACanvasAddressCommands::ungroup()
{
    const CFTAView *view = m_canvas.ftView();
    if (!view)
        return;
    const std::vector<CFTComponent *> selected = view->getSelComponentsWithDocZOrder();
    command(QStringLiteral("UNGROUP"), [&] {
        for (CFTComponent *component : selected) {
            if (component->isEditing())
                m_canvas.endEditText();
            if (auto *panel = dynamic_cast<CFTAAddressPanel *>(component); panel && panel->canUngroup())
                ungroupObject(panel);
        }
    });
}

void CACanvasAddressCommands::eachSelected(const QString &actionKey,
                                           const std::function<void(CFTComponent *)> &primitive)
{
    // Named also when nothing was selected.
    const std::vector<CFTComponent *> selected = selection();
    command(actionKey, [&] {
        for (CFTComponent *component : selected)
            primitive(component);
    });
}

void CACanvasAddressCommands::raiseBaseline()
{
    eachSelected(QStringLiteral("RAISE_BASELINE"),
                 [this](CFTComponent *component) { m_canvas.edits().raiseBaselineForObject(component); });
}

void CACanvasAddressCommands::lowerBaseline()
{
    eachSelected(QStringLiteral("LOWER_BASELINE"),
                 [this](CFTComponent *component) { m_canvas.edits().lowerBaselineForObject(component); });
}

void CACanvasAddressCommands::loosenKerning()
{
    eachSelected(QStringLiteral("LOOSEN_KERNING"),
                 [this](CFTComponent *component) { m_canvas.edits().loosenKerningForObject(component); });
}

void CACanvasAddressCommands::tightenKerning()
{
    eachSelected(QStringLiteral("TIGHTEN_KERNING"),
                 [this](CFTComponent *component) { m_canvas.edits().tightenKerningForObject(component); });
}

void CACanvasAddressCommands::changeTextCategoryFromDesignPanel(textCategory category)
{
    CFTAView *view = m_canvas.ftView();
    if (!view || view->getSelComponents().empty())
        return;
    const std::vector<CFTComponent *> selected = view->getSelComponents();
    view->deselectAll();
    command(QStringLiteral("CHANGE_CATEGORY"), [&] {
        for (CFTComponent *component : selected) {
            if (component->getClassID() == ciAddressText)
                m_canvas.edits().setTextCategoryForObject(category, component);
        }
    });
}
