#include "app/shell/CACanvasFormatCommands.h"

#include "app/canvas/CACanvasAddressEdits.h"
#include "app/canvas/CACanvasBarcode.h"
#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CACanvasFormat.h"
#include "app/canvas/CACanvasPictures.h"
#include "app/canvas/CACanvasSelection.h"
#include "app/canvas/CADocView.h"
#include "app/inspector/CAPropertiesController.h"
#include "app/shell/CAActionRouter.h"
#include "app/shell/CACanvasCommands.h"
#include "app/shell/CADocumentController.h"
#include "app/shell/CAFloatingPanels.h"
#include "app/shell/CAFontManager.h"
#include "app/shell/CAMainWindowController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/base/FTClassID.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWNotificationCenter.h"

#include <QAction>
#include <QColorDialog>
#include <QFileDialog>
#include <QPointer>
#include <QSignalBlocker>

#include <algorithm>

namespace {

std::function<QString(QWidget *)> &replaceImageChooser()
{
    static std::function<QString(QWidget *)> chooser = [](QWidget *parent) {
        return QFileDialog::getOpenFileName(parent, QString(), QString(), CACanvasEdits::imageFileFilter());
    };
    return chooser;
}

// The canvas of the window, while no sheet covers it.
CADocView *canvasOf(CAMainWindowController &window)
{
    CADocView *canvas = window.docView();
    return canvas && canvas->ftView() && !window.isSheetActive() ? canvas : nullptr;
}

CADocView *activeCanvas(const CADocumentController &controller)
{
    auto *window = qobject_cast<CAMainWindowController *>(controller.router().activeWindow());
    return window ? canvasOf(*window) : nullptr;
}

CDDColor kernelColor(const QColor &color)
{
    return CDDColor(float(color.redF()), float(color.greenF()), float(color.blueF()), float(color.alphaF()));
}

void markChecked(QAction *item, bool checked)
{
    if (!item)
        return;
    item->setCheckable(true);
    item->setChecked(checked);
}

int tagOf(const QAction *item)
{
    return item ? item->data().toInt() : 0;
}

using Validate = std::function<bool(CADocView &canvas, QAction *item)>;
using Perform = std::function<void(CADocView &canvas, QAction *item)>;

void registerOnCanvas(const char *action, Validate validate, Perform perform)
{
    CAMainWindowController::registerCommand(
        QString::fromLatin1(action),
        {[validate](CAMainWindowController &window, QAction *item) {
             CADocView *canvas = canvasOf(window);
             return canvas && (!validate || validate(*canvas, item));
         },
         [perform](CAMainWindowController &window, QAction *item) {
             if (CADocView *canvas = canvasOf(window))
                 perform(*canvas, item);
         }});
}

// Enabled by the canvas's menu rules.
void registerRuled(const char *action, Perform perform)
{
    CAMainWindowController::registerCommand(
        QString::fromLatin1(action),
        {[action](CAMainWindowController &window, QAction *item) {
             return canvasOf(window) && canvasMenuRuleAllows(window, action, item);
         },
         [perform](CAMainWindowController &window, QAction *item) {
             if (CADocView *canvas = canvasOf(window))
                 perform(*canvas, item);
         }});
}

void registerTools()
{
    const struct
    {
        const char *action;
        toolMode mode;
    } tools[] = {{"selectMode", toolSelect}, {"textMode", toolText}, {"fieldMode", toolField},
                 {"separatorMode", toolSeparator}};
    for (const auto &tool : tools) {
        const toolMode mode = tool.mode;
        registerOnCanvas(
            tool.action,
            [mode](CADocView &canvas, QAction *item) {
                markChecked(item, canvas.ftView()->getToolMode() == mode);
                return true;
            },
            [mode](CADocView &canvas, QAction *) {
                canvas.endEditText();
                canvas.format().setToolMode(mode);
            });
    }
    registerRuled("showGuidelineAreas", [](CADocView &canvas, QAction *) { canvas.format().showGuidelineAreas(); });
    registerRuled("showFIMBarcode", [](CADocView &canvas, QAction *) { canvas.format().showFIMBarcode(); });
}

void registerText()
{
    const struct
    {
        const char *action;
        int alignment;
    } alignments[] = {{"alignLeft", taLeft}, {"alignCenter", taCenter}, {"alignRight", taRight}};
    for (const auto &entry : alignments) {
        const int alignment = entry.alignment;
        // With nothing selected the alignment is what new texts get; a selection takes it only
        // where something selected has a text to align.
        registerOnCanvas(entry.action, [](CADocView &canvas, QAction *) {
            const std::vector<CFTComponent *> &selection = canvas.ftView()->getSelComponents();
            return selection.empty() || std::any_of(selection.begin(), selection.end(), [](const CFTComponent *component) {
                       return component->canChangeTextStyle();
                   });
        }, [alignment](CADocView &canvas, QAction *) {
            canvas.format().alignText(alignment);
        });
    }
    // One point a step, through the font manager, which sends the change back to the canvas.
    registerRuled("increaseFontSize",
                  [](CADocView &, QAction *) { CAFontManager::sharedFontManager().sendActionWithSize(1.0, false); });
    registerRuled("decreaseFontSize",
                  [](CADocView &, QAction *) { CAFontManager::sharedFontManager().sendActionWithSize(-1.0, false); });
}

void registerPictures()
{
    registerRuled("tileImage", [](CADocView &canvas, QAction *) { CACanvasPictures::tileImage(canvas); });
    // It replaces the selected pictures (or, with none among the selection, puts the picture
    // beside it): with nothing selected there is nothing it would replace.
    registerOnCanvas(
        "replaceImage", [](CADocView &canvas, QAction *) { return !canvas.ftView()->getSelComponents().empty(); },
        [](CADocView &canvas, QAction *) {
            const QString path = replaceImageChooser() ? replaceImageChooser()(canvas.window()) : QString();
            CACanvasPictures::replaceImageFromFile(canvas, path);
        });
    const auto hasBackground = [](CADocView &canvas, QAction *) { return canvas.ftView()->getBackground() != nullptr; };
    registerOnCanvas(
        "setBackPlacing",
        [](CADocView &canvas, QAction *item) {
            CFTComponent *background = canvas.ftView()->getBackground();
            if (background)
                markChecked(item, background->GetDataPlacing() == CACanvasPictures::convertTagToMode(tagOf(item)));
            return background != nullptr;
        },
        [](CADocView &canvas, QAction *item) { CACanvasPictures::setBackPlacing(canvas, tagOf(item)); });
    registerOnCanvas("removeBackground", hasBackground,
                     [](CADocView &canvas, QAction *) { canvas.edits().removeBackground(); });
}

std::vector<CFTComponent *> componentsOf(const std::vector<CFTAAddressPanel *> &panels)
{
    return std::vector<CFTComponent *>(panels.begin(), panels.end());
}

// The selected address panels that have a format, which their barcode switch rebuilds.
std::vector<CFTComponent *> selectedPanels(CADocView &canvas)
{
    std::vector<CFTComponent *> panels;
    for (CFTComponent *component : canvas.ftView()->getSelComponents())
        if (component->getClassID() == ciAddressPanel)
            if (auto *panel = static_cast<CFTAAddressPanel *>(component); panel->getFormat())
                panels.push_back(panel);
    return panels;
}

void registerBarcode()
{
    // The address panel's own postal barcode, on or off at the place it has, as the inspector's
    // switch does; the first selected panel decides for all.
    registerOnCanvas(
        "showBarcode",
        [](CADocView &canvas, QAction *item) {
            const std::vector<CFTComponent *> panels = selectedPanels(canvas);
            if (panels.empty())
                return false;
            markChecked(item, CACanvasBarcode::isShown(canvas, static_cast<CFTAAddressPanel *>(panels.front())));
            return true;
        },
        // The router validates the item just before it acts, which puts its check mark back to
        // the state it shows: the switch goes from that state, whatever the mark says.
        [](CADocView &canvas, QAction *) {
            const std::vector<CFTComponent *> panels = selectedPanels(canvas);
            if (!panels.empty())
                CACanvasBarcode::show(canvas, !CACanvasBarcode::isShown(canvas, static_cast<CFTAAddressPanel *>(panels.front())),
                                      panels);
        });
    // The design's postal barcode: the recipient panel's, wherever it is drawn, when there is a
    // panel that may show one (the selected ones, else the design's recipient); otherwise a
    // barcode of its own. Ticked while one is drawn, so that it never makes a second one.
    registerOnCanvas(
        "barcode",
        [](CADocView &canvas, QAction *item) {
            const std::vector<CFTAAddressPanel *> panels = CACanvasBarcode::reached(canvas);
            markChecked(item, canvas.edits().separateBarcode() || CACanvasBarcode::anyShown(canvas, panels));
            return true;
        },
        [](CADocView &canvas, QAction *) {
            const std::vector<CFTAAddressPanel *> panels = CACanvasBarcode::reached(canvas);
            if (panels.empty()) {
                CACanvasEdits &edits = canvas.edits();
                CACanvasEdits::Step step(edits, QStringLiteral("SHOW_BARCODE"), true);
                edits.showBarcode(edits.separateBarcode() == nullptr);
                return;
            }
            // A barcode apart counts as the recipient panel's: it is hidden with the panel's.
            CACanvasBarcode::show(canvas, !CACanvasBarcode::anyShown(canvas, panels), componentsOf(panels));
        });
    // Where the panel's barcode stands, by the same rule as the inspector's places: the one drawn
    // (or kept while hidden) is ticked, a label offers no place apart, and a move keeps the
    // barcode shown or hidden as it is.
    registerOnCanvas(
        "barcodeLocationRadio",
        [](CADocView &canvas, QAction *item) {
            const std::vector<CFTAAddressPanel *> panels = CACanvasBarcode::reached(canvas);
            if (!panels.empty())
                markChecked(item, CACanvasBarcode::place(canvas, panels.front()) == tagOf(item));
            else
                markChecked(item, false);
            return !canvas.ftView()->getSelComponents().empty() && !panels.empty()
                && CACanvasBarcode::offersPlace(canvas, tagOf(item));
        },
        [](CADocView &canvas, QAction *item) {
            const std::vector<CFTAAddressPanel *> panels = CACanvasBarcode::reached(canvas);
            if (canvas.ftView()->getSelComponents().empty() || panels.empty()
                || !CACanvasBarcode::offersPlace(canvas, tagOf(item)))
                return;
            CACanvasBarcode::move(canvas, tagOf(item), componentsOf(panels));
        });
}

CACanvasFormat::FontChange fontChangeOf(const CAFontManager &manager)
{
    CACanvasFormat::FontChange change;
    change.convertSize = manager.getConvertSize();
    change.isAbsoluteSize = manager.getIsAbsoluteSize();
    change.size = manager.getFontSize();
    change.convert = [&manager](const PWFont &font) { return manager.convertFont(font); };
    return change;
}

} // namespace

void setReplaceImageChooser(std::function<QString(QWidget *)> chooser)
{
    replaceImageChooser() = std::move(chooser);
}

void installCanvasFormatCommands(CADocumentController &controller)
{
    registerTools();
    registerText();
    registerPictures();
    registerBarcode();

    // The font panel and the size commands reach the canvas of the window the user works in.
    CAFontManager &fonts = CAFontManager::sharedFontManager();
    QObject::connect(&fonts, &CAFontManager::changeFont, &controller, [&controller](CAFontManager *sender) {
        if (CADocView *canvas = activeCanvas(controller); canvas && sender)
            canvas->format().changeFont(fontChangeOf(*sender));
    });
    QObject::connect(&fonts, &CAFontManager::changeAttributes, &controller,
                     [&controller](const QTextCharFormat &attributes) {
                         if (CADocView *canvas = activeCanvas(controller))
                             canvas->format().changeAttributes(attributes);
                     });
    if (QColorDialog *panel = controller.panels().colorPanel()) {
        QObject::connect(panel, &QColorDialog::currentColorChanged, &controller, [&controller](const QColor &color) {
            // While an inspector well is active the colour is that well's.
            if (CAPropertiesController::isPanelVisible()
                && CAPropertiesController::sharedPropertiesController()->colorActive())
                return;
            if (CADocView *canvas = activeCanvas(controller); canvas && color.isValid())
                canvas->format().changeColor(kernelColor(color));
        });
        // The panel shows the colour of what is selected, so that picking any other colour
        // reaches it: a colour the panel already showed would change nothing. Showing is no pick.
        PWNotificationCenter::defaultCenter().addObserver(
            CACanvasSelection::kChangeSelectionNotify, nullptr,
            [&controller, panel = QPointer<QColorDialog>(panel)](const PWNotification &notification) {
                CADocView *canvas = activeCanvas(controller);
                if (!panel || !canvas || notification.object != canvas
                    || (CAPropertiesController::isPanelVisible()
                        && CAPropertiesController::sharedPropertiesController()->colorActive()))
                    return;
                if (const std::optional<QColor> shown = canvas->format().colorShown(); shown && shown->isValid()) {
                    const QSignalBlocker quiet(panel.data());
                    panel->setCurrentColor(*shown);
                }
            },
            &controller);
    }
}
