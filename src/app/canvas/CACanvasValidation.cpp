#include "app/canvas/CACanvasValidation.h"

#include "app/canvas/CADocView.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWBundle.h"

#include <cmath>

namespace {

// The tags of the rules that go by tag.
constexpr int kSelectionTag = 123;
constexpr int kCountryItemTag = 200;

bool isOneOf(const QString &action, std::initializer_list<const char *> names)
{
    for (const char *name : names)
        if (action == QLatin1String(name))
            return true;
    return false;
}

CACanvasMenuAnswer enabled(bool on)
{
    CACanvasMenuAnswer answer;
    answer.enabled = on;
    return answer;
}

CACanvasMenuAnswer checkedIf(bool on, bool checked)
{
    CACanvasMenuAnswer answer = enabled(on);
    answer.checked = checked;
    return answer;
}

CACanvasMenuAnswer titled(bool on, const char *key)
{
    CACanvasMenuAnswer answer = enabled(on);
    answer.title = PWLocalizedString(QString::fromLatin1(key));
    return answer;
}

const auto kSelectionActions = {"copy", "cut", "duplicate", "stepBack", "stepFront", "orderBack", "orderFront"};
const auto kAlignActions = {"alignComponentsLeft",   "alignComponentsRight",
                            "alignComponentsTop",    "alignComponentsBottom",
                            "alignComponentsCenterHorizontally", "alignComponentsCenterVertically"};
const auto kDistributeActions = {"distributeComponentsSpacingHorizontally", "distributeComponentsSpacingVertically",
                                 "distributeComponentsCenterHorizontally", "distributeComponentsCenterVertically"};
const auto kTextStyleActions = {"raiseBaseline", "lowerBaseline",    "loosenKerning",
                                "tightenKerning", "increaseFontSize", "decreaseFontSize"};

} // namespace

CACanvasMenuAnswer validateCanvasMenuItem(const CACanvasMenuItem &item, const CACanvasMenuState &state)
{
    const QString &action = item.action;
    const double s = state.scale;
    if (action == u"setZoom") {
        const int percent = int(std::trunc(s * 100.0));
        return checkedIf(true, item.title == QStringLiteral("%1%").arg(percent));
    }
    if (action == u"zoomIn")
        return enabled(s < 6.0);
    if (action == u"zoomOut")
        return enabled(s > 0.5);
    if (action == u"pasteAddress")
        return enabled(state.clipboardHasString);
    if (isOneOf(action, kSelectionActions) || item.tag == kSelectionTag)
        return enabled(state.selected >= 1);
    if (isOneOf(action, kAlignActions))
        return enabled(state.selected >= 2);
    if (isOneOf(action, kDistributeActions))
        return enabled(state.selected >= 3);
    if (action == u"alignComponentsToDocumentCenter")
        return enabled(state.selected >= 1);
    if (item.tag == kCountryItemTag)
        return enabled(state.hasOperated);
    if (action == u"changeCountryWithMenu") {
        if (!state.hasOperated || !state.operatedCountry)
            return enabled(false);
        return checkedIf(true, *state.operatedCountry == item.represented.toString());
    }
    if (action == u"changeTemplateWithMenu") {
        if (!state.hasOperated || !state.operatedTemplate)
            return enabled(false);
        return checkedIf(true, *state.operatedTemplate == item.title);
    }
    if (action == u"changeAddressTypeWithMenu") {
        CACanvasMenuAnswer answer = enabled(state.hasOperated);
        if (item.tag >= 0 && item.tag <= 3)
            answer.checked = item.tag == state.operatedAddressType;
        return answer;
    }
    if (action == u"changeToFromWithMenu")
        return checkedIf(state.hasOperated, (item.tag == 1) == state.operatedToFrom);
    if (action == u"showGuidelineAreas")
        return titled(true, state.drawsGuidelines ? "Hide Postal Guidelines" : "Show Postal Guidelines");
    if (action == u"showFIMBarcode")
        return titled(!state.isLabel, state.fimVisible ? "Hide FIM-A" : "Show FIM-A");
    if (action == u"openImageEditorDialog")
        return enabled(state.selected == 1 && state.selectedPictures == 1);
    if (action == u"tileImage")
        return checkedIf(state.selectedPictures >= 1, state.firstTiled);
    if (isOneOf(action, kTextStyleActions))
        return enabled(state.selectedStyled >= 1);
    if (action == u"group")
        return enabled(state.selectedGroupable >= 2);
    if (action == u"ungroup")
        return enabled(state.selectedUngroupable >= 1);
    if (action == u"displayDesignPanel") {
        CACanvasMenuAnswer answer;
        if (state.designPanelVisible)
            answer.checked =
                item.tag == 100 * state.designPanelIndex + state.designPadIndex.value_or(0) + 101;
        return answer;
    }
    return CACanvasMenuAnswer();
}

bool isCanvasMenuItem(const CACanvasMenuItem &item)
{
    static const auto others = {"setZoom", "zoomIn", "zoomOut", "pasteAddress", "alignComponentsToDocumentCenter",
                                "changeCountryWithMenu", "changeTemplateWithMenu", "changeAddressTypeWithMenu",
                                "changeToFromWithMenu", "showGuidelineAreas", "showFIMBarcode",
                                "openImageEditorDialog", "tileImage", "group", "ungroup", "displayDesignPanel"};
    return item.tag == kSelectionTag || item.tag == kCountryItemTag || isOneOf(item.action, kSelectionActions)
        || isOneOf(item.action, kAlignActions) || isOneOf(item.action, kDistributeActions)
        || isOneOf(item.action, kTextStyleActions) || isOneOf(item.action, others);
}

CACanvasMenuState canvasMenuState(const CADocView &canvas)
{
    CACanvasMenuState state;
    state.scale = canvas.zoom();
    const CFTAView *view = canvas.ftView();
    const CADocument *document = canvas.document();
    if (!view || !document)
        return state;
    const CAddressFormatController &formats = CAddressFormatController::sharedAddressFormatController();
    const QString defaultTemplate = CAEnvironment::defaultTemplate();
    const QString defaultCountry = CAEnvironment::defaultCountry();
    for (CFTComponent *component : view->getSelComponents()) {
        if (state.selected == 0)
            state.firstTiled = component->GetDataPlacing() == placingMode(1);
        ++state.selected;
        if (component->getType() == 3)
            ++state.selectedPictures;
        if (component->canChangeTextStyle())
            ++state.selectedStyled;
        if (formats.allowCategory(component->GetTextCategory(), defaultTemplate, defaultCountry)
            && component->canGroup())
            ++state.selectedGroupable;
        if (component->canUngroup())
            ++state.selectedUngroupable;
    }
    if (const CFTComponent *operated = view->getOperObject()) {
        state.hasOperated = true;
        if (const CAddressFormat *format = operated->getFormat()) {
            if (const CDDString *country = format->name(tcAddress))
                state.operatedCountry = country->getData();
            if (const CDDString *name = format->name(tcRootFormat))
                state.operatedTemplate = name->getData();
        }
        state.operatedAddressType = int(operated->GetAddressType());
        state.operatedToFrom = operated->GetToFrom();
    }
    state.drawsGuidelines = view->NeedDrawGuidelines();
    state.isLabel = document->docType() == dtLabel;
    if (const CFTADocument *design = document->ftDocument())
        state.fimVisible = design->isFIMBarcodeVisible();
    return state;
}
