#include "app/shell/CACanvasCommands.h"

#include "app/canvas/CACanvasArrange.h"
#include "app/canvas/CACanvasClipboard.h"
#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CACanvasPictures.h"
#include "app/canvas/CACanvasValidation.h"
#include "app/canvas/CADocView.h"
#include "app/shell/CAMainWindowController.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/drawing/CFTPicture.h"

#include <QAction>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMimeData>

namespace {

std::function<QString(QWidget *)> &backgroundFileChooser()
{
    static std::function<QString(QWidget *)> chooser;
    return chooser;
}

QString chooseBackgroundFile(QWidget *parent)
{
    if (backgroundFileChooser())
        return backgroundFileChooser()(parent);
    return QFileDialog::getOpenFileName(parent, QString(), QString(), CACanvasEdits::imageFileFilter());
}

CACanvasEdits *editsOf(CAMainWindowController &window)
{
    CADocView *canvas = window.docView();
    return canvas && canvas->ftView() && !window.isSheetActive() ? &canvas->edits() : nullptr;
}

bool hasSelection(CAMainWindowController &window)
{
    const CACanvasEdits *edits = editsOf(window);
    return edits && !edits->view()->getSelComponents().empty();
}

// The primitive for each selected object in selection order, as one step named when anything
// was selected.
CAMainWindowController::Command orderCommand(void (CACanvasEdits::*primitive)(CFTComponent *), const char *key,
                                             const char *action)
{
    return {[action](CAMainWindowController &window, QAction *item) { return canvasMenuRuleAllows(window, action, item); },
            [primitive, key](CAMainWindowController &window, QAction *) {
                CACanvasEdits *edits = editsOf(window);
                if (!edits || edits->view()->getSelComponents().empty())
                    return;
                CACanvasEdits::Step step(*edits, QString::fromLatin1(key), true);
                const std::vector<CFTComponent *> selection = edits->view()->getSelComponents();
                for (CFTComponent *component : selection)
                    (edits->*primitive)(component);
            }};
}

// While a text is edited, the clipboard commands belong to the text.
CACanvasClipboard *clipboardOf(CAMainWindowController &window)
{
    return editsOf(window) && !window.docView()->isEditingText() ? &window.docView()->clipboard() : nullptr;
}

CAMainWindowController::Command selectionClipboardCommand(const char *action, void (*perform)(CACanvasClipboard &))
{
    return {[action](CAMainWindowController &window, QAction *item) {
                return clipboardOf(window) && canvasMenuRuleAllows(window, action, item);
            },
            [perform](CAMainWindowController &window, QAction *) {
                if (CACanvasClipboard *clipboard = clipboardOf(window))
                    perform(*clipboard);
            }};
}

// A command on the canvas enabled by the canvas's menu rules.
template <typename Perform>
void registerRuled(const char *action, Perform perform)
{
    CAMainWindowController::registerCommand(
        QString::fromLatin1(action),
        {[action](CAMainWindowController &window, QAction *item) {
             return clipboardOf(window) && canvasMenuRuleAllows(window, action, item);
         },
         [perform](CAMainWindowController &window, QAction *item) {
             if (clipboardOf(window))
                 perform(*window.docView(), item);
         }});
}

// A switch of the Format or Arrange menu goes from the state of the first target, which its check
// mark shows: the router validates the item just before it acts, which puts the mark back to that
// state whatever the click made of it.
void markChecked(QAction *item, bool checked)
{
    if (!item)
        return;
    item->setCheckable(true);
    item->setChecked(checked);
}

// The objects a flip reaches: the background while it is edited, else the selected shapes and
// pictures (texts, address panels and separators keep no flip).
std::vector<CFTComponent *> flippable(CADocView &canvas)
{
    CFTAView *view = canvas.ftView();
    if (view->needEditBackground())
        return {view->getBackground()};
    std::vector<CFTComponent *> targets;
    for (CFTComponent *component : view->getSelComponents())
        if (dynamic_cast<CFTBoxField *>(component) || dynamic_cast<CFTPicture *>(component))
            targets.push_back(component);
    return targets;
}

// Flip the background alone while it is edited, else every selected object; one step "SET_FLIP".
// The switch goes from the first object that keeps a flip, whose state the check mark shows.
void flip(CADocView &canvas, bool horizontally)
{
    CACanvasEdits &edits = canvas.edits();
    CFTAView *view = canvas.ftView();
    const std::vector<CFTComponent *> shown = flippable(canvas);
    if (shown.empty() || !shown.front())
        return;
    const std::vector<CFTComponent *> targets = view->needEditBackground() ? shown : view->getSelComponents();
    const bool state = !(horizontally ? shown.front()->IsFlipX() : shown.front()->IsFlipY());
    CACanvasEdits::Step step(edits, QStringLiteral("SET_FLIP"), true);
    for (CFTComponent *component : targets) {
        if (horizontally)
            edits.setFlipXForObject(state, component);
        else
            edits.setFlipYForObject(state, component);
    }
}

} // namespace

// The canvas's menu rules for the item; its check mark and title follow them.
bool canvasMenuRuleAllows(CAMainWindowController &window, const char *action, QAction *item)
{
    const CADocView *canvas = window.docView();
    if (!canvas || !canvas->ftView() || window.isSheetActive())
        return false;
    CACanvasMenuItem menuItem;
    menuItem.action = QString::fromLatin1(action);
    if (item) {
        menuItem.tag = item->data().toInt();
        menuItem.title = item->text();
        menuItem.represented = item->data();
    }
    CACanvasMenuState state = canvasMenuState(*canvas);
    const QMimeData *clipboard = QGuiApplication::clipboard()->mimeData();
    state.clipboardHasString = clipboard && clipboard->hasText();
    const CACanvasMenuAnswer answer = validateCanvasMenuItem(menuItem, state);
    if (item && answer.checked) {
        item->setCheckable(true);
        item->setChecked(*answer.checked);
    }
    if (item && answer.title)
        item->setText(*answer.title);
    return answer.enabled;
}

void installCanvasCommands()
{
    using namespace CACanvasArrange;
    const auto aligning = [](Align how) { return [how](CADocView &canvas, QAction *) { align(canvas, how); }; };
    const auto distributing = [](Distribute how) {
        return [how](CADocView &canvas, QAction *) { distribute(canvas, how); };
    };
    const auto withSelection = [](CAMainWindowController &window, QAction *) {
        return clipboardOf(window) && hasSelection(window);
    };
    CAMainWindowController::registerCommand(
        QStringLiteral("setShadow"),
        {[withSelection](CAMainWindowController &window, QAction *item) {
             if (!withSelection(window, item))
                 return false;
             markChecked(item, window.docView()->ftView()->getSelComponents().front()->IsShadowed());
             return true;
         },
         [](CAMainWindowController &window, QAction *) {
             if (!clipboardOf(window))
                 return;
             CACanvasEdits &edits = window.docView()->edits();
             const std::vector<CFTComponent *> selection = edits.view()->getSelComponents();
             if (selection.empty())
                 return;
             const bool state = !selection.front()->IsShadowed();
             CACanvasEdits::Step step(edits, QStringLiteral("SET_SHADOW"), true);
             for (CFTComponent *component : selection)
                 edits.setShadowForObject(state, component);
         }});
    for (const bool horizontally : {true, false}) {
        CAMainWindowController::registerCommand(
            horizontally ? QStringLiteral("flipX") : QStringLiteral("flipY"),
            {[horizontally](CAMainWindowController &window, QAction *item) {
                 if (!clipboardOf(window))
                     return false;
                 // Shapes and pictures are drawn and saved mirrored; texts, address panels and
                 // separators keep no flip, so the item would change nothing for them.
                 const std::vector<CFTComponent *> targets = flippable(*window.docView());
                 if (targets.empty() || !targets.front())
                     return false;
                 markChecked(item, horizontally ? targets.front()->IsFlipX() : targets.front()->IsFlipY());
                 return true;
             },
             [horizontally](CAMainWindowController &window, QAction *) {
                 if (clipboardOf(window))
                     flip(*window.docView(), horizontally);
             }});
    }
    registerRuled("openImageEditorDialog", [](CADocView &canvas, QAction *) { canvas.openImageEditorDialog(); });
    // Capitals reach address panels and address texts only: with none of them selected the item
    // would do nothing.
    CAMainWindowController::registerCommand(
        QStringLiteral("capitalizeSelection"),
        {[](CAMainWindowController &window, QAction *item) {
             if (!clipboardOf(window) || !canvasMenuRuleAllows(window, "capitalizeSelection", item))
                 return false;
             for (const CFTComponent *component : window.docView()->ftView()->getSelComponents())
                 if (component->getType() == ctAddressPanel || component->getType() == ctAddressText)
                     return true;
             return false;
         },
         [](CAMainWindowController &window, QAction *) {
             if (clipboardOf(window))
                 window.docView()->clipboard().capitalizeSelection();
         }});
    registerRuled("alignComponentsLeft", aligning(Align::Left));
    registerRuled("alignComponentsRight", aligning(Align::Right));
    registerRuled("alignComponentsTop", aligning(Align::Top));
    registerRuled("alignComponentsBottom", aligning(Align::Bottom));
    registerRuled("alignComponentsCenterVertically", aligning(Align::CentersVertically));
    registerRuled("alignComponentsCenterHorizontally", aligning(Align::CentersHorizontally));
    registerRuled("alignComponentsToDocumentCenter", [](CADocView &canvas, QAction *item) {
        alignToPageCentre(canvas, item ? item->data().toInt() : 100);
    });
    registerRuled("distributeComponentsSpacingHorizontally", distributing(Distribute::SpacingHorizontally));
    registerRuled("distributeComponentsSpacingVertically", distributing(Distribute::SpacingVertically));
    registerRuled("distributeComponentsCenterHorizontally", distributing(Distribute::CentersHorizontally));
    registerRuled("distributeComponentsCenterVertically", distributing(Distribute::CentersVertically));
    CAMainWindowController::registerCommand(
        QStringLiteral("copy"),
        selectionClipboardCommand("copy", [](CACanvasClipboard &c) { c.copy(QGuiApplication::clipboard()); }));
    CAMainWindowController::registerCommand(
        QStringLiteral("cut"),
        selectionClipboardCommand("cut", [](CACanvasClipboard &c) { c.cut(QGuiApplication::clipboard()); }));
    CAMainWindowController::registerCommand(QStringLiteral("duplicate"),
                                            selectionClipboardCommand("duplicate", [](CACanvasClipboard &c) { c.duplicate(); }));
    CAMainWindowController::registerCommand(
        QStringLiteral("paste"),
        {[](CAMainWindowController &window, QAction *) {
             const QMimeData *data = QGuiApplication::clipboard()->mimeData();
             return clipboardOf(window) && data && !data->formats().isEmpty();
         },
         [](CAMainWindowController &window, QAction *) {
             if (CACanvasClipboard *clipboard = clipboardOf(window))
                 clipboard->paste(QGuiApplication::clipboard()->mimeData());
         }});
    CAMainWindowController::registerCommand(
        QStringLiteral("selectAll"),
        {[](CAMainWindowController &window, QAction *) { return clipboardOf(window) != nullptr; },
         [](CAMainWindowController &window, QAction *) {
             if (!clipboardOf(window))
                 return;
             CADocView *canvas = window.docView();
             canvas->ftView()->selectAll();
             for (CFTComponent *component : canvas->ftView()->getSelComponents())
                 canvas->invalidateObject(component);
         }});
    CAMainWindowController::registerCommand(QStringLiteral("stepBack"),
                                            orderCommand(&CACanvasEdits::stepToBack, "STEP_BACK", "stepBack"));
    CAMainWindowController::registerCommand(QStringLiteral("stepFront"),
                                            orderCommand(&CACanvasEdits::stepToFront, "STEP_FRONT", "stepFront"));
    CAMainWindowController::registerCommand(QStringLiteral("orderBack"),
                                            orderCommand(&CACanvasEdits::sendToBack, "SEND_BACK", "orderBack"));
    CAMainWindowController::registerCommand(QStringLiteral("orderFront"),
                                            orderCommand(&CACanvasEdits::sendToFront, "SEND_FRONT", "orderFront"));
    CAMainWindowController::registerCommand(
        QStringLiteral("delete"),
        // While a text is edited, Delete belongs to the text.
        {[](CAMainWindowController &window, QAction *) {
             return hasSelection(window) && !window.docView()->isEditingText();
         },
         [](CAMainWindowController &window, QAction *) {
             CACanvasEdits *edits = editsOf(window);
             if (edits && !window.docView()->isEditingText())
                 edits->deleteSelection();
         }});
    CAMainWindowController::registerCommand(
        QStringLiteral("insertImage"),
        {[](CAMainWindowController &window, QAction *) { return editsOf(window) != nullptr; },
         [](CAMainWindowController &window, QAction *) {
             if (CACanvasEdits *edits = editsOf(window))
                 edits->insertImage();
         }});
    CAMainWindowController::registerCommand(
        QStringLiteral("insertBackground"),
        {[](CAMainWindowController &window, QAction *) { return editsOf(window) != nullptr; },
         [](CAMainWindowController &window, QAction *) {
             // With its placing, as the background browser sets one: one step.
             if (editsOf(window))
                 CACanvasPictures::insertBackgroundFromFile(*window.docView(), chooseBackgroundFile(&window));
         }});
}

void setBackgroundFileChooser(std::function<QString(QWidget *)> chooser)
{
    backgroundFileChooser() = std::move(chooser);
}
