#pragma once

#include <QString>
#include <QVariant>

#include <optional>

class CADocView;

// What the canvas's menu items depend on, gathered once per validation so that the rules stay a
// plain function of it.
struct CACanvasMenuState
{
    // Screen pixels per design point over the screen's own; 1 is 100 %.
    double scale = 1.0;
    bool clipboardHasString = false;
    int selected = 0;
    int selectedPictures = 0;
    // Whether the first selected object is tiled: Tile Picture switches the selection from it.
    bool firstTiled = false;
    // Selected objects whose text style can change.
    int selectedStyled = 0;
    // Selected objects an address block of the default template and country may take, and that
    // can be grouped.
    int selectedGroupable = 0;
    int selectedUngroupable = 0;
    // The object a context menu was opened on (or the last one operated).
    bool hasOperated = false;
    // Its format's country and template names; nothing without a format or a name.
    std::optional<QString> operatedCountry;
    std::optional<QString> operatedTemplate;
    int operatedAddressType = 0;
    bool operatedToFrom = true;
    bool drawsGuidelines = false;
    bool isLabel = true;
    bool fimVisible = false;
    bool designPanelVisible = false;
    int designPanelIndex = 0;
    // The design pad shown in the panel, when one is.
    std::optional<int> designPadIndex;
};

struct CACanvasMenuItem
{
    QString action;
    int tag = 0;
    QString title;
    QVariant represented;
};

struct CACanvasMenuAnswer
{
    bool enabled = true;
    // Set when the rule decides the item's check mark.
    std::optional<bool> checked;
    // Set when the rule decides the item's title.
    std::optional<QString> title;
};

// The canvas's menu rules, tried in order; the first that matches the item decides, and an item
// no rule matches is enabled.
CACanvasMenuAnswer validateCanvasMenuItem(const CACanvasMenuItem &item, const CACanvasMenuState &state);

// Whether the rules speak about the item at all.
bool isCanvasMenuItem(const CACanvasMenuItem &item);

// The state of a canvas (the clipboard and the design panel are the caller's to fill in).
CACanvasMenuState canvasMenuState(const CADocView &canvas);
