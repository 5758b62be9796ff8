#include "app/canvas/CACanvasAddressEdits.h"

#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CADocView.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CAddressFormatWrapper.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/address/CFTABarcode.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/address/FTTextCategories.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/FTClassID.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWPerson.h"
#include "platform/PWUndoManager.h"

#include <QPointer>
#include <QRectF>

#include <algorithm>
#include <optional>

namespace {

CAddressFormatController &catalogue()
{
    return CAddressFormatController::sharedAddressFormatController();
}

QString nameOf(const CDDString *name)
{
    return name ? name->getData() : QString();
}

// The country part's name of a format: the code of its country, or empty.
QString countryOf(const CAddressFormat *format)
{
    const CAddressFormat *part = format ? format->getFormatWithKey(tcAddress) : nullptr;
    return part ? nameOf(part->name()) : QString();
}

bool isPanel(const CFTComponent *component)
{
    return component && component->getClassID() == ciAddressPanel;
}

} // namespace

CACanvasAddressEdits::CACanvasAddressEdits(CADocView &canvas)
    : QObject(&canvas)
    , m_canvas(canvas)
{
}

CACanvasAddressEdits::~CACanvasAddressEdits() = default;

CADocument *CACanvasAddressEdits::document() const
{
    return m_canvas.document();
}

PWUndoManager *CACanvasAddressEdits::undoManager() const
{
    return document() ? document()->undoManager() : nullptr;
}

void CACanvasAddressEdits::registerUndo(std::function<void(CACanvasAddressEdits &)> action)
{
    PWUndoManager *undo = undoManager();
    if (!undo)
        return;
    QPointer<CACanvasAddressEdits> self(this);
    undo->registerUndo(&m_canvas, [self, action = std::move(action)] {
        if (self)
            action(*self);
    });
}

void CACanvasAddressEdits::registerSelectionChanged()
{
    registerUndo([](CACanvasAddressEdits &edits) { edits.selectionChanged(); });
}

void CACanvasAddressEdits::registerUpdateDocView()
{
    registerUndo([](CACanvasAddressEdits &edits) { edits.redisplay(); });
}

void CACanvasAddressEdits::selectionChanged()
{
    m_canvas.selectionChangedByEdit();
}

void CACanvasAddressEdits::redisplay()
{
    m_canvas.viewport()->update();
}

void CACanvasAddressEdits::invalidate(CFTComponent *component)
{
    m_canvas.invalidateObject(component);
}

void CACanvasAddressEdits::applyFormat(CFTComponent *component, const CAddressFormat *format, int flags)
{
    if (auto *panel = dynamic_cast<CFTAAddressPanel *>(component))
        (void)panel->replaceFormat(format, flags);
    else if (component)
        component->setFormat(format, flags);
}

QString CACanvasAddressEdits::countryCodeOfPerson(const PWPerson *person, addressType type)
{
    const QString code =
        FTTextCategories::getCountryCodeFromString(stringForPersonCategory(person, type, tcCountry, true));
    return code.isEmpty() ? CAEnvironment::defaultCountry() : code;
}

QPointF CACanvasAddressEdits::separateBarcodeOrigin(double pageWidth, double pageHeight, double width, double height)
{
    return {pageWidth - 171.0 - width / 2.0, pageHeight - 22.5 - height / 2.0};
}

bool CACanvasAddressEdits::isUpperCase(objectRepType type)
{
    return (int(type) & 4) != 0;
}

void CACanvasAddressEdits::refreshTexts(CFTComponent *component)
{
    if (component)
        refreshTexts({component}, component->GetToFrom());
}

void CACanvasAddressEdits::refreshTexts(const std::vector<CFTComponent *> &list, bool toFrom)
{
    CADocument *doc = document();
    if (!doc)
        return;
    std::shared_ptr<PWPerson> person = doc->currentPerson(toFrom);
    if (!person)
        person = PWPerson::create();
    doc->updateObjectsText(list, *person, toFrom);
}

// --- formats -------------------------------------------------------------------------------------

void CACanvasAddressEdits::registerFormatUndo(CFTComponent *component,
                                              std::function<void(CACanvasAddressEdits &)> inverse)
{
    // A panel keeps the fields a format made for it when it takes another format; the fields
    // the change is about to make go again with its undo, so that the panel is as it was.
    const auto *panel = dynamic_cast<const CFTAAddressPanel *>(component);
    const unsigned int count = panel ? panel->addressComponentCount() : 0;
    // The texts are filled again from the person after a change, without the punctuation the
    // panel's layout had added to them: they come back as they were, not as the person has them.
    std::vector<std::pair<const CFTAAddressText *, CDDString>> texts;
    for (unsigned int i = 0; i < count; ++i) {
        if (const CFTAAddressText *field = panel->addressComponentAtIndex(i))
            texts.emplace_back(field, field->GetString());
    }
    registerUndo([inverse = std::move(inverse), component, count, texts](CACanvasAddressEdits &edits) {
        inverse(edits);
        auto *changed = dynamic_cast<CFTAAddressPanel *>(component);
        if (!changed)
            return;
        while (changed->addressComponentCount() > count)
            delete changed->UngroupObjectWithCategory(textCategory(changed->addressComponentCount() - 1));
        // Only fields the panel holds now are touched.
        for (unsigned int i = 0; i < changed->addressComponentCount(); ++i) {
            CFTAAddressText *field = changed->addressComponentAtIndex(i);
            const auto kept = std::find_if(texts.begin(), texts.end(),
                                           [field](const auto &entry) { return entry.first == field; });
            if (field && kept != texts.end() && !(field->GetString() == kept->second))
                field->SetString(kept->second);
        }
    });
}

void CACanvasAddressEdits::changeAddressFormatWithCountry(const Wrapper &wrapper, CFTComponent *panel)
{
    const CAddressFormat *current = panel ? panel->getFormat() : nullptr;
    const CAddressFormat *country = wrapper ? wrapper->addressFormat() : nullptr;
    if (!current || !country)
        return;
    std::unique_ptr<CAddressFormat> changed = current->clone();
    const std::unique_ptr<CAddressFormat> replaced = changed->setFormat(tcAddress, country, false);
    const Wrapper previous = CAddressFormatWrapper::addressFormatWithAddressFormat(replaced.get());
    registerSelectionChanged();
    registerFormatUndo(panel, [previous, panel](CACanvasAddressEdits &edits) {
        edits.changeAddressFormatWithCountry(previous, panel);
    });
    const QString code = nameOf(country->name());
    if (!code.isEmpty() && document())
        document()->setCountryCode(panel->GetToFrom(), code);
    applyFormat(panel, changed.get(), 0);
    redisplay();
}

void CACanvasAddressEdits::restoreFormat(const Wrapper &wrapper, CFTComponent *panel)
{
    setAddressFormatWithTemplate(wrapper, panel);
    refreshTexts(panel);
}

void CACanvasAddressEdits::changeAddressFormatWithTemplate(const Wrapper &wrapper, CFTComponent *panel)
{
    if (!wrapper || !wrapper->addressFormat() || !panel)
        return;
    const CAddressFormat *current = panel->getFormat();
    const CAddressFormat *countryPart = current ? current->getFormatWithKey(tcAddress) : nullptr;
    const CAddressFormat *wanted = wrapper->addressFormat();
    std::unique_ptr<CAddressFormat> rebuilt;
    if (countryPart) {
        const bool barcode = isPanel(panel) && static_cast<CFTAAddressPanel *>(panel)->IsBarcodeVisible()
            && panel->GetToFrom();
        const int location = isPanel(panel) ? drawnBarcodeLocation(static_cast<CFTAAddressPanel *>(panel)) : 0;
        rebuilt = catalogue().formatWithTemplate(nameOf(wanted->name()), nameOf(countryPart->name()), barcode,
                                                 std::max(location, 0));
        if (rebuilt)
            wanted = rebuilt.get();
    }
    const Wrapper previous = CAddressFormatWrapper::addressFormatWithAddressFormat(current);
    registerSelectionChanged();
    registerFormatUndo(panel, [previous, panel](CACanvasAddressEdits &edits) {
        // The very format the panel had: built again from its names it could come out another.
        edits.restoreFormat(previous, panel);
    });
    applyFormat(panel, wanted, CFTAAddressPanel::kApplyLeafModes);
    refreshTexts(panel);
    selectionChanged();
    redisplay();
}

void CACanvasAddressEdits::setAddressFormatWithTemplate(const Wrapper &wrapper, CFTComponent *panel)
{
    if (!wrapper || !wrapper->addressFormat() || !panel)
        return;
    const Wrapper previous = CAddressFormatWrapper::addressFormatWithAddressFormat(panel->getFormat());
    registerFormatUndo(panel, [previous, panel](CACanvasAddressEdits &edits) {
        edits.setAddressFormatWithTemplate(previous, panel);
    });
    applyFormat(panel, wrapper->addressFormat(), CFTAAddressPanel::kApplyLeafModes);
    selectionChanged();
    redisplay();
}

void CACanvasAddressEdits::updateAddressFormat(const std::vector<CFTComponent *> &list, const PWPerson *person,
                                               bool toFrom)
{
    for (CFTComponent *component : list) {
        auto *panel = dynamic_cast<CFTAAddressPanel *>(component);
        if (!panel || panel->GetToFrom() != toFrom)
            continue;
        const CFTComponent *countryField = panel->GetObjectForTextCategory(tcCountry);
        const addressType type = countryField ? countryField->GetAddressType() : adWork;
        const std::unique_ptr<CAddressFormat> format = catalogue().formatWithTemplate(
            QString(), countryCodeOfPerson(person, type), panel->IsBarcodeVisible(),
            std::max(drawnBarcodeLocation(panel), 0));
        const Wrapper wrapper = CAddressFormatWrapper::addressFormatWithAddressFormat(format.get());
        if (panel->getFormat())
            changeAddressFormatWithCountry(wrapper, panel);
        else
            setAddressFormatWithTemplate(wrapper, panel);
        panel->setAuto(false);
    }
}

void CACanvasAddressEdits::updateAddressFormatWithPerson(const PWPerson *person, bool toFrom)
{
    const CFTADocument *design = document() ? document()->ftDocument() : nullptr;
    if (!design)
        return;
    for (int side = 0; side < design->getSidesCount(); ++side) {
        for (const bool back : {true, false}) {
            const std::vector<CFTComponent *> copy = design->GetComponents(side, back);
            updateAddressFormat(copy, person, toFrom);
        }
    }
}

void CACanvasAddressEdits::undoChangeAddressFormatWithKeyTo(const QString &, const QString &, CFTComponent *panel)
{
    const CFTADocument *design = document() ? document()->ftDocument() : nullptr;
    if (!design)
        return;
    const QString to = design->GetCountryCodeTo().getData();
    const QString from = design->GetCountryCodeFrom().getData();
    registerUndo([to, from, panel](CACanvasAddressEdits &edits) { edits.undoChangeAddressFormatWithKeyTo(to, from, panel); });
    // The keyed format change has no effect of its own: the country of a panel changes through
    // changeAddressFormatWithCountry.
}

// --- field texts and modes -------------------------------------------------------------------------

void CACanvasAddressEdits::setStringForAddressPanel(const QString &text, textCategory category, CFTComponent *panel,
                                                    bool allowDisable)
{
    auto *addressPanel = dynamic_cast<CFTAAddressPanel *>(panel);
    if (!addressPanel)
        return;
    registerUpdateDocView();
    registerSelectionChanged();
    if (const CDDText *current = addressPanel->getText(category)) {
        const QString old = current->getString();
        registerUndo([old, category, panel, allowDisable](CACanvasAddressEdits &edits) {
            edits.setStringForAddressPanel(old, category, panel, allowDisable);
        });
    }
    addressPanel->SetString(addressPanel->GetToFrom(), category, addressPanel->GetAddressType(), CDDString(text), tcNone,
                            false);
    redisplay();
    selectionChanged();
}

void CACanvasAddressEdits::setStringForTextBox(const QString &text, CFTComponent *textBox)
{
    if (!textBox)
        return;
    registerUpdateDocView();
    if (const CDDText *current = textBox->GetText()) {
        const QString old = current->getString();
        registerUndo([old, textBox](CACanvasAddressEdits &edits) { edits.setStringForTextBox(old, textBox); });
    }
    textBox->SetString(CDDString(text));
}

void CACanvasAddressEdits::setModeForAddressText(fieldMode mode, textCategory category, CFTComponent *field)
{
    if (!field)
        return;
    registerUpdateDocView();
    registerSelectionChanged();
    const fieldMode oldMode = field->getMode();
    const textCategory oldCategory = field->GetTextCategory();
    const auto *addressText = dynamic_cast<const CFTAAddressText *>(field);
    const QString oldLabel = addressText && addressText->getLabel() ? addressText->getLabel()->getString() : QString();
    registerUndo([oldMode, oldCategory, oldLabel, field](CACanvasAddressEdits &edits) {
        edits.setModeForAddressText(oldMode, oldCategory, field);
        // The label the field had, which need not be its category's.
        field->setLabel(CDDString(oldLabel));
    });
    field->setMode(mode);
    field->SetTextCategory(category, nullptr);
    const std::optional<PWPlist::Dictionary> descriptor =
        catalogue().formatDescriptorForCountryCode(CAEnvironment::defaultCountry());
    field->setLabel(CDDString(catalogue().labelForTextCategory(category, descriptor ? &*descriptor : nullptr)));
    redisplay();
}

void CACanvasAddressEdits::setModeForTextCategory(fieldMode mode, textCategory category, CFTComponent *panel)
{
    auto *addressPanel = dynamic_cast<CFTAAddressPanel *>(panel);
    if (!addressPanel)
        return;
    registerUpdateDocView();
    registerSelectionChanged();
    const fieldMode old = addressPanel->getMode(category);
    registerUndo([old, category, panel](CACanvasAddressEdits &edits) { edits.setModeForTextCategory(old, category, panel); });
    // The panel is laid out again: a field editor left on it would show the old lines.
    if (addressPanel->isEditing() || (m_canvas.ftView() && m_canvas.ftView()->getOperObject() == panel))
        m_canvas.endEditText();
    addressPanel->setMode(category, mode);
    m_canvas.invalidateObject(panel);
}

// --- side, address type, preference, barcode, capitals ---------------------------------------------

void CACanvasAddressEdits::setToFrom(bool toFrom, CFTComponent *panel)
{
    if (!panel || !document())
        return;
    registerUpdateDocView();
    registerSelectionChanged();
    const Wrapper before = CAddressFormatWrapper::addressFormatWithAddressFormat(panel->getFormat());
    registerFormatUndo(panel, [before, panel](CACanvasAddressEdits &edits) {
        edits.restoreFormat(before, panel);
    });
    const bool old = panel->GetToFrom();
    registerUndo([old, panel](CACanvasAddressEdits &edits) { edits.setToFrom(old, panel); });
    panel->SetToFrom(toFrom);
    const std::shared_ptr<PWPerson> person = document()->currentPerson(toFrom);
    updateAddressFormat({panel}, person.get(), toFrom);
    refreshTexts({panel}, toFrom);

    const CAddressFormat *root = panel->getFormat() ? panel->getFormat()->getFormatWithKey(tcRootFormat) : nullptr;
    const QString templateName = root ? nameOf(root->name()) : CAEnvironment::defaultTemplate();
    const QString country = root ? countryOf(root) : QString();
    // Only recipient panels carry a postal barcode.
    const bool barcode = toFrom && catalogue().allowCategory(tcBarcode, templateName, country);
    const std::unique_ptr<CAddressFormat> rebuilt = catalogue().formatWithTemplate(templateName, country, barcode, 0);
    changeAddressFormatWithTemplate(CAddressFormatWrapper::addressFormatWithAddressFormat(rebuilt.get()), panel);
    invalidate(panel);
}

void CACanvasAddressEdits::setAddressType(addressType type, CFTComponent *panel)
{
    if (!panel || !document())
        return;
    registerUpdateDocView();
    registerSelectionChanged();
    // The old source laid out again would not give the panel back as it stood (a frame grown for
    // the other person's lines stays grown): its texts and frames come back as they were, once
    // the old source is back.
    const std::shared_ptr<const KeptTexts> shown = captureTexts(panel);
    registerUndo([panel, shown](CACanvasAddressEdits &edits) { edits.restoreTexts(panel, shown); });
    const addressType old = panel->GetAddressType();
    registerUndo([old, panel](CACanvasAddressEdits &edits) { edits.setAddressType(old, panel); });
    panel->SetAddressType(type);
    const bool side = panel->GetToFrom();
    const std::shared_ptr<PWPerson> person = document()->currentPerson(side);
    updateAddressFormat({panel}, person.get(), side);
    refreshTexts({panel}, side);
    invalidate(panel);
}

void CACanvasAddressEdits::setPreferredAddress(bool preferred, CFTComponent *panel)
{
    if (!panel)
        return;
    registerUpdateDocView();
    registerSelectionChanged();
    const bool old = panel->IsPreferredAddress();
    registerUndo([old, panel](CACanvasAddressEdits &edits) { edits.setPreferredAddress(old, panel); });
    panel->SetPreferredAddress(preferred);
    invalidate(panel);
}

void CACanvasAddressEdits::setShowAllFields(bool showAll, bool placeholder, CFTComponent *component)
{
    auto *panel = dynamic_cast<CFTAAddressPanel *>(component);
    if (!panel)
        return;
    registerSelectionChanged();
    const bool wasShowingAll = panel->isShowAllFieldsSet();
    const bool wasPlaceholder = panel->isAuto();
    registerUndo([wasShowingAll, wasPlaceholder, component](CACanvasAddressEdits &edits) {
        edits.setShowAllFields(wasShowingAll, wasPlaceholder, component);
    });
    panel->setAuto(placeholder);
    panel->setShowAllFields(showAll);
    invalidate(panel);
}

void CACanvasAddressEdits::setBarcodeVisible(bool visible, CFTComponent *component)
{
    auto *panel = dynamic_cast<CFTAAddressPanel *>(component);
    if (!panel)
        return;
    const bool old = panel->IsBarcodeVisible();
    registerUndo([old, component](CACanvasAddressEdits &edits) { edits.setBarcodeVisible(old, component); });
    panel->SetBarcodeVisible(visible);
    invalidate(panel);
}

int CACanvasAddressEdits::drawnBarcodeLocation(const CFTAAddressPanel *panel)
{
    if (!panel)
        return -1;
    const CAddressFormat *format = panel->getFormat();
    if (const CAddressFormat *barcode = format ? format->getFormatWithKey(tcBarcode) : nullptr)
        return barcode->getRow() == 0 ? CAddressFormatController::kBarcodeAbove : CAddressFormatController::kBarcodeBelow;
    return panel->GetBarcodeLocation();
}

void CACanvasAddressEdits::showBarcode(bool show, int location, CFTComponent *component)
{
    auto *panel = dynamic_cast<CFTAAddressPanel *>(component);
    const CFTADocument *design = document() ? document()->ftDocument() : nullptr;
    if (!panel || !panel->getFormat() || !design)
        return;
    const int drawnAt = shownBarcodeLocation(panel);
    // A place chosen for a hidden barcode is only kept, for when it is shown.
    if (!show && drawnAt < 0 && !panel->IsBarcodeVisible()) {
        keepBarcodeLocation(location, component);
        return;
    }
    registerUpdateDocView();
    registerSelectionChanged();
    // Laid out again for the old format, the panel would not stand as it stood (a frame grown for
    // typed lines shrinks to the person's, a placeholder stops being one): its texts, frames and
    // placeholder flag come back last of all.
    const std::shared_ptr<const KeptTexts> shown = captureTexts(panel);
    registerUndo([component, shown](CACanvasAddressEdits &edits) { edits.restoreTexts(component, shown); });
    // The place kept and the panel's frame (which grew round the barcode) come back last when
    // this is undone, after the format that the undo puts back (and with it a barcode field,
    // which keeps the place in the design).
    const int kept = panel->GetBarcodeLocation();
    const auto frameOf = [](const CFTComponent *shown) {
        return QRectF(shown->GetOriginX(), shown->GetOriginY(), shown->GetSizeX(), shown->GetSizeY());
    };
    const QRectF frame = frameOf(panel);
    // A barcode field the format leaves out stays where it stood last.
    const CFTAAddressText *field = panel->getAddressComponentWithTextCategory(tcBarcode);
    const QRectF fieldFrame = field ? frameOf(field) : QRectF();
    registerUndo([kept, frame, field, fieldFrame, component](CACanvasAddressEdits &edits) {
        auto *changed = dynamic_cast<CFTAAddressPanel *>(component);
        if (!changed)
            return;
        changed->restoreBarcodeLocation(kept);
        changed->SetOrigin(frame.x(), frame.y());
        changed->SetSize(frame.width(), frame.height());
        if (CFTAAddressText *barcode = changed->getAddressComponentWithTextCategory(tcBarcode); barcode && barcode == field) {
            barcode->SetOrigin(fieldFrame.x(), fieldFrame.y());
            barcode->SetSize(fieldFrame.width(), fieldFrame.height());
        }
        edits.invalidate(changed);
    });
    // A barcode standing apart is the panel's, shown there, whatever the panel's own flag says.
    const bool apart = drawnAt == 2;
    const bool wasShown = apart || panel->IsBarcodeVisible();
    const int wasAt = apart ? 2 : drawnBarcodeLocation(panel);
    // Registered after the format's own undo, so that undoing asks the panel for its barcode
    // before the old format takes the barcode field away: the redo then knows where it stood.
    const auto registerInverse = [&] {
        registerUndo([wasShown, wasAt, component](CACanvasAddressEdits &edits) {
            // A panel without a barcode field answers no location; it goes back to showing none.
            edits.showBarcode(wasShown, wasAt < 0 ? 0 : wasAt, component);
        });
    };
    const CAddressFormat *current = panel->getFormat();
    const QString templateName = nameOf(current->name());
    QString country = countryOf(current);
    if (country.isEmpty())
        country = CAEnvironment::defaultCountry();
    const Wrapper before = CAddressFormatWrapper::addressFormatWithAddressFormat(current);
    const bool side = panel->GetToFrom();

    if (location == 0 || location == 1) {
        const std::unique_ptr<CAddressFormat> rebuilt =
            catalogue().formatWithTemplate(templateName, country, show, location);
        registerFormatUndo(component, [before, component](CACanvasAddressEdits &edits) {
            edits.restoreFormat(before, component);
        });
        registerInverse();
        (void)panel->replaceFormat(rebuilt.get(), 0);
        panel->SetBarcodeVisible(show);
        panel->SetBarcodeLocation(barcodeLocation(location));
        // Shown in the panel or hidden, the barcode stands apart no longer.
        if (side)
            removeSeparateBarcodes();
        const std::shared_ptr<PWPerson> person = document()->currentPerson(side);
        updateAddressFormat({panel}, person.get(), side);
        refreshTexts({panel}, side);
        selectionChanged();
        return;
    }
    if (location != 2)
        return;
    const std::unique_ptr<CAddressFormat> rebuilt = catalogue().formatWithTemplate(templateName, country, false, 0);
    registerFormatUndo(component, [before, component](CACanvasAddressEdits &edits) {
        edits.restoreFormat(before, component);
    });
    registerInverse();
    (void)panel->replaceFormat(rebuilt.get(), 0);
    panel->SetBarcodeVisible(false);
    // Hidden from apart, it comes back apart.
    panel->SetBarcodeLocation(blStandalone);
    // Hiding takes the barcode away wherever it stood; showing apart keeps one that already
    // stands apart, so that the side never holds two.
    if (!show && side)
        removeSeparateBarcodes();
    if (show && !m_canvas.edits().separateBarcode()) {
        auto barcode = std::make_unique<CFTABarcode>(0.0, 0.0);
        barcode->SetLocation(barcodeLocation(2));
        barcode->setFormat(rebuilt.get(), 0);
        CFTComponent *made = barcode.release();
        // The insertion registers the barcode's removal.
        m_canvas.edits().insertObjectSelect(made, false);
        refreshTexts({panel, made}, side);
        const QPointF origin = separateBarcodeOrigin(design->getDocumentSizeX(0), design->getDocumentSizeY(0),
                                                     made->GetSizeX(), made->GetSizeY());
        made->SetOrigin(origin.x(), origin.y());
    }
    selectionChanged();
    redisplay();
}

void CACanvasAddressEdits::keepBarcodeLocation(int location, CFTComponent *component)
{
    auto *panel = dynamic_cast<CFTAAddressPanel *>(component);
    if (!panel || panel->GetBarcodeLocation() == location)
        return;
    const int old = panel->GetBarcodeLocation();
    registerUndo([old, component](CACanvasAddressEdits &edits) { edits.keepBarcodeLocation(old, component); });
    panel->restoreBarcodeLocation(location);
    selectionChanged();
}

int CACanvasAddressEdits::shownBarcodeLocation(const CFTAAddressPanel *panel) const
{
    if (!panel)
        return -1;
    const CAddressFormat *format = panel->getFormat();
    if (format && format->getFormatWithKey(tcBarcode))
        return drawnBarcodeLocation(panel);
    // A recipient's barcode made apart is a barcode of its own on the panel's side.
    if (panel->GetToFrom() && m_canvas.edits().separateBarcode())
        return 2;
    return -1;
}

void CACanvasAddressEdits::removeSeparateBarcodes()
{
    // Each removal registers its way back.
    while (CFTComponent *barcode = m_canvas.edits().separateBarcode())
        m_canvas.edits().deleteObjectDeselect(barcode, true);
}

struct CACanvasAddressEdits::KeptTexts
{
    struct Text
    {
        CFTComponent *component = nullptr;
        objectRepType representation = objectRepType(0);
        QRectF frame;
        std::shared_ptr<CDDText> contents;
        CFTAText::TypedCharacters typed;
        std::optional<CFTAAddressText::OwnText> own;
    };
    objectRepType representation = objectRepType(0);
    QRectF frame;
    // A panel's: whether it shows every field as a placeholder does.
    bool placeholder = false;
    std::vector<Text> texts;
};

namespace {

QRectF frameOf(const CFTComponent *component)
{
    return QRectF(component->GetOriginX(), component->GetOriginY(), component->GetSizeX(), component->GetSizeY());
}

} // namespace

std::shared_ptr<const CACanvasAddressEdits::KeptTexts> CACanvasAddressEdits::captureTexts(CFTComponent *component)
{
    auto kept = std::make_shared<KeptTexts>();
    kept->representation = component->representationType();
    kept->frame = frameOf(component);
    const auto keep = [&kept](CFTComponent *text) {
        const CDDText *contents = text ? text->GetText() : nullptr;
        if (!contents)
            return;
        KeptTexts::Text entry;
        entry.component = text;
        entry.representation = text->representationType();
        entry.frame = frameOf(text);
        entry.contents = std::make_shared<CDDText>(contents->isCircleText());
        entry.contents->copy(contents);
        if (const auto *plain = dynamic_cast<const CFTAText *>(text))
            entry.typed = plain->typedCharacters();
        if (const auto *field = dynamic_cast<const CFTAAddressText *>(text))
            entry.own = field->ownText();
        kept->texts.push_back(std::move(entry));
    };
    if (const auto *panel = dynamic_cast<const CFTAAddressPanel *>(component)) {
        kept->placeholder = panel->isAuto();
        for (unsigned int i = 0; i < panel->addressComponentCount(); ++i)
            keep(panel->addressComponentAtIndex(i));
    } else {
        keep(component);
    }
    return kept;
}

void CACanvasAddressEdits::restoreTexts(CFTComponent *component, const std::shared_ptr<const KeptTexts> &kept)
{
    if (!component || !kept)
        return;
    registerSelectionChanged();
    const std::shared_ptr<const KeptTexts> now = captureTexts(component);
    registerUndo([component, now](CACanvasAddressEdits &edits) { edits.restoreTexts(component, now); });
    auto *panel = dynamic_cast<CFTAAddressPanel *>(component);
    const auto held = [panel, component](const CFTComponent *text) {
        if (!panel)
            return text == component;
        for (unsigned int i = 0; i < panel->addressComponentCount(); ++i)
            if (panel->addressComponentAtIndex(i) == text)
                return true;
        return false;
    };
    m_canvas.invalidateObject(component);
    // Letters coming back are no news for the person, who never took the capitals.
    const bool wasUpdating = m_canvas.isPersonUpdating();
    m_canvas.beginUpdatePerson();
    // Only the flags: the panel would show each field anew in or out of capitals.
    component->CFTComponent::setRepresentationType(kept->representation, false);
    for (const KeptTexts::Text &text : kept->texts) {
        // Only texts the component holds now are touched.
        if (!held(text.component))
            continue;
        text.component->setRepresentationType(text.representation, false);
        if (CDDText *contents = text.component->GetText())
            contents->copy(text.contents.get());
        if (auto *plain = dynamic_cast<CFTAText *>(text.component))
            plain->restoreTypedCharacters(text.typed);
        if (auto *field = dynamic_cast<CFTAAddressText *>(text.component); field && text.own)
            field->restoreOwnText(*text.own);
        text.component->SetOrigin(text.frame.x(), text.frame.y());
        text.component->SetSize(text.frame.width(), text.frame.height());
        text.component->InvalidateShadow();
    }
    if (panel) {
        // Not laid out anew: the fields stand where they stood.
        component->CFTComponent::SetOrigin(kept->frame.x(), kept->frame.y());
        component->CFTComponent::SetSize(kept->frame.width(), kept->frame.height());
        panel->setAuto(kept->placeholder);
        component->InvalidateShadow();
    }
    if (!wasUpdating)
        m_canvas.endUpdatePerson();
    selectionChanged();
    invalidate(component);
}

void CACanvasAddressEdits::setRepresentationType(objectRepType type, CFTComponent *component)
{
    if (!component)
        return;
    // The field editor is not left on letters that change under it: the text is ended first,
    // with what was typed into it.
    const CFTAView *view = m_canvas.ftView();
    if (m_canvas.isEditingText() && view && view->getOperObject() == component)
        m_canvas.endEditText();
    registerSelectionChanged();
    const std::shared_ptr<const KeptTexts> before = captureTexts(component);
    registerUndo([component, before](CACanvasAddressEdits &edits) { edits.restoreTexts(component, before); });
    m_canvas.invalidateObject(component);
    // The person keeps its own letters: capitals are the design's way of showing them.
    const bool wasUpdating = m_canvas.isPersonUpdating();
    m_canvas.beginUpdatePerson();
    component->setRepresentationType(type, true);
    refreshTexts(component);
    if (!wasUpdating)
        m_canvas.endUpdatePerson();
    invalidate(component);
}

void CACanvasAddressEdits::setCapitalizedAddressPanel(bool capitalized)
{
    CADocument *doc = document();
    if (!doc)
        return;
    const bool old = doc->isCapitalizedAddressPanel();
    registerUndo([old](CACanvasAddressEdits &edits) { edits.setCapitalizedAddressPanel(old); });
    doc->setCapitalizedAddressPanel(capitalized);
}

// --- persons -------------------------------------------------------------------------------------

void CACanvasAddressEdits::setCurrentPerson(const std::shared_ptr<PWPerson> &person, bool toFrom)
{
    storeCurrentPerson(person, toFrom, false);
}

void CACanvasAddressEdits::storeCurrentPerson(const std::shared_ptr<PWPerson> &person, bool toFrom, bool restore)
{
    CADocument *doc = document();
    if (!doc)
        return;
    // The stored object itself comes back on undo, so that it keeps its identifier.
    const std::shared_ptr<PWPerson> old = doc->currentPerson(toFrom);
    registerUndo([old, toFrom](CACanvasAddressEdits &edits) { edits.storeCurrentPerson(old, toFrom, true); });
    // The texts filled from the person must not write themselves back into it.
    const bool wasUpdating = m_canvas.isPersonUpdating();
    m_canvas.beginUpdatePerson();
    if (restore)
        doc->restoreCurrentPerson(person, toFrom);
    else
        doc->setCurrentPerson(person.get(), toFrom, true, false);
    if (!wasUpdating)
        m_canvas.endUpdatePerson();
    redisplay();
}
