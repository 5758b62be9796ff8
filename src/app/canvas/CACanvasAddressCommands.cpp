#include "app/canvas/CACanvasAddressCommands.h"

#include "app/canvas/CACanvasAddressEdits.h"
#include "app/canvas/CADocView.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CAddressFormatWrapper.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/address/FTTextCategories.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/FTClassID.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWPerson.h"
#include "platform/PWUndoManager.h"
#include "platform/PWUserDefaults.h"

namespace {

CAddressFormatController &catalogue()
{
    return CAddressFormatController::sharedAddressFormatController();
}

QString countryPartName(const CFTComponent *component)
{
    const CAddressFormat *format = component ? component->getFormat() : nullptr;
    const CAddressFormat *part = format ? format->getFormatWithKey(tcAddress) : nullptr;
    const CDDString *name = part ? part->name() : nullptr;
    return name ? name->getData() : QString();
}

} // namespace

CACanvasAddressCommands::CACanvasAddressCommands(CADocView &canvas, CACanvasAddressEdits &edits)
    : QObject(&canvas)
    , m_canvas(canvas)
    , m_edits(edits)
{
}

CACanvasAddressCommands::~CACanvasAddressCommands() = default;

addressType CACanvasAddressCommands::addressTypeForTag(int tag)
{
    // Tag 0 is "main": the person's primary address, not "other".
    switch (tag) {
    case 0:
        return adMain;
    case 1:
        return adWork;
    case 2:
        return adHome;
    default:
        return adOther;
    }
}

bool CACanvasAddressCommands::changeCountryPreference()
{
    const PWPlist stored = PWUserDefaults::standardUserDefaults().objectForKey(QStringLiteral("FTChangeCountry"));
    return stored.isNull() || PWUserDefaults::standardUserDefaults().boolForKey(QStringLiteral("FTChangeCountry"));
}

CADocument *CACanvasAddressCommands::document() const
{
    return m_canvas.document();
}

PWUndoManager *CACanvasAddressCommands::undoManager() const
{
    return document() ? document()->undoManager() : nullptr;
}

std::vector<CFTComponent *> CACanvasAddressCommands::selection() const
{
    const CFTAView *view = m_canvas.ftView();
    return view ? view->getSelComponents() : std::vector<CFTComponent *>();
}

void CACanvasAddressCommands::command(const QString &actionKey, const std::function<void()> &body)
{
    PWUndoManager *undo = undoManager();
    m_canvas.beginEditBatch();
    if (undo)
        undo->beginUndoGrouping();
    body();
    if (undo) {
        undo->setActionName(actionKey);
        undo->endUndoGrouping();
    }
    m_canvas.selectionChangedByEdit();
    m_canvas.endEditBatch();
    Q_EMIT m_canvas.designEdited();
}

// --- persons ---------------------------------------------------------------------------------------

void CACanvasAddressCommands::changePersonWithABPerson(const std::shared_ptr<PWPerson> &person, bool toFrom)
{
    const CFTADocument *design = document() ? document()->ftDocument() : nullptr;
    if (!person || !design)
        return;
    // A field typed in belongs to the person it shows: the typing ends (and reaches that person)
    // before another person fills the fields, and the editor does not stay behind over them.
    m_canvas.endEditText();
    command(QStringLiteral("CHANGE_PERSON"), [&] {
        if (changeCountryPreference()) {
            for (int side = 0; side < design->getSidesCount(); ++side) {
                for (const bool back : {true, false}) {
                    const std::vector<CFTComponent *> copy = design->GetComponents(side, back);
                    for (CFTComponent *component : copy) {
                        auto *panel = dynamic_cast<CFTAAddressPanel *>(component);
                        if (!panel || panel->GetToFrom() != toFrom)
                            continue;
                        m_edits.updateAddressFormat({panel}, person.get(), toFrom);
                    }
                }
            }
        }
        m_edits.setCurrentPerson(person, toFrom);
    });
}

void CACanvasAddressCommands::changeFormatForAddressPanel(CFTComponent *panel, const PWPerson *person,
                                                          addressType type)
{
    const CFTADocument *design = document() ? document()->ftDocument() : nullptr;
    if (!design)
        return;
    QString code = FTTextCategories::getCountryCodeFromString(stringForPersonCategory(person, type, tcCountry, true));
    if (code.isEmpty())
        code = CAEnvironment::defaultCountry();
    if (!changeCountryPreference())
        return;
    const QString mix = QStringLiteral("_MIX");
    const QString keyTo = design->GetCountryCodeTo().getData().startsWith(CAddressFormatController::CustomFormatPrefix)
        ? mix + code
        : code;
    const QString keyFrom =
        design->GetCountryCodeFrom().getData().startsWith(CAddressFormatController::CustomFormatPrefix) ? mix + code
                                                                                                        : code;
    m_edits.undoChangeAddressFormatWithKeyTo(keyTo, keyFrom, panel);
}

void CACanvasAddressCommands::setCapitalizedAddressPanel(bool capitalized)
{
    m_edits.setCapitalizedAddressPanel(capitalized);
}

// --- formats, side and type from the menus -----------------------------------------------------

void CACanvasAddressCommands::changeAddressTypeWithMenu(int tag)
{
    const std::vector<CFTComponent *> selected = selection();
    if (selected.empty())
        return;
    const addressType type = addressTypeForTag(tag);
    command(QStringLiteral("CHANGE_ADDRESS_TYPE"), [&] {
        for (CFTComponent *component : selected)
            m_edits.setAddressType(type, component);
    });
}

void CACanvasAddressCommands::changeCountryWithMenu(const QString &countryCode)
{
    const std::vector<CFTComponent *> selected = selection();
    if (selected.empty())
        return;
    const std::unique_ptr<CAddressFormat> format = catalogue().formatWithTemplate(QString(), countryCode, false, 0);
    const CACanvasAddressEdits::Wrapper wrapper = CAddressFormatWrapper::addressFormatWithAddressFormat(format.get());
    command(QStringLiteral("CHANGE_COUNTRY"), [&] {
        for (CFTComponent *component : selected)
            m_edits.changeAddressFormatWithCountry(wrapper, component);
    });
}

void CACanvasAddressCommands::changeTemplateWithMenu(int tag, const PWPlist &represented)
{
    const std::vector<CFTComponent *> selected = selection();
    if (selected.empty() || !document())
        return;
    if (tag != 0) {
        command(QStringLiteral("CHANGE_TEMPLATE"), [&] { changeAddressFormatWithCustomTemplateMarker(represented); });
        return;
    }
    changeTemplateFromDesignPanel(1, represented.toString(), -1, QString());
}

void CACanvasAddressCommands::changeAddressFormatWithCustomTemplateMarker(const PWPlist &marker)
{
    const qint64 index = marker.value(QStringLiteral("index")).toInteger();
    const QString title = marker.value(QStringLiteral("title")).toString();
    const PWPlist::Array &custom = catalogue().customTemplates();
    if (index < 0 || index >= custom.size() || !custom.at(index).isDictionary())
        return;
    const std::unique_ptr<CAddressFormat> format = catalogue().formatWithDesc(custom.at(index).toDictionary(), title);
    if (!format)
        return;
    const CACanvasAddressEdits::Wrapper wrapper = CAddressFormatWrapper::addressFormatWithAddressFormat(format.get());
    const CAddressFormat *barcodeField = format->getFormatWithKey(tcBarcode);
    for (CFTComponent *component : selection()) {
        m_edits.setAddressFormatWithTemplate(wrapper, component);
        auto *panel = dynamic_cast<CFTAAddressPanel *>(component);
        if (panel && barcodeField) {
            // Undone with the format: a barcode shown by the template goes with it.
            m_edits.setBarcodeVisible(true, panel);
            panel->SetBarcodeLocation(barcodeLocation(barcodeField->getRow() == 0 ? 0 : 1));
        }
    }
}

void CACanvasAddressCommands::changeToFromWithMenu(int tag)
{
    const std::vector<CFTComponent *> selected = selection();
    if (selected.empty())
        return;
    command(QStringLiteral("CHANGE_TOFROM"), [&] {
        for (CFTComponent *component : selected)
            m_edits.setToFrom(tag == 1, component);
    });
}

void CACanvasAddressCommands::changeTemplateFromDesignPanel(int type, const QString &name, int customIndex,
                                                            const QString &title)
{
    const std::vector<CFTComponent *> selected = selection();
    if (selected.empty() || !document())
        return;
    if (type == 1) {
        command(QStringLiteral("CHANGE_TEMPLATE"), [&] {
            for (CFTComponent *component : selected) {
                if (component->isEditing())
                    m_canvas.endEditText();
                // The template is built for the country of the panel it goes to: a sender panel
                // keeps the sender's country.
                QString country = countryPartName(component);
                if (country.isEmpty())
                    country = document()->countryCode(component->GetToFrom());
                const std::unique_ptr<CAddressFormat> format = catalogue().formatWithTemplate(name, country, false, 0);
                m_edits.changeAddressFormatWithTemplate(
                    CAddressFormatWrapper::addressFormatWithAddressFormat(format.get()), component);
            }
        });
    } else if (type == 2) {
        const PWPlist::Array &custom = catalogue().customTemplates();
        if (customIndex < 0 || customIndex >= custom.size() || !custom.at(customIndex).isDictionary())
            return;
        const std::unique_ptr<CAddressFormat> format =
            catalogue().formatWithDesc(custom.at(customIndex).toDictionary(), title);
        const CACanvasAddressEdits::Wrapper wrapper =
            CAddressFormatWrapper::addressFormatWithAddressFormat(format.get());
        command(QStringLiteral("CHANGE_TEMPLATE"), [&] {
            for (CFTComponent *component : selected)
                m_edits.setAddressFormatWithTemplate(wrapper, component);
        });
    }
}
