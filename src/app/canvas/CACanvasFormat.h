#pragma once

#include "kernel/base/CDDColor.h"
#include "kernel/base/FTTypes.h"
#include "kernel/component/CFTACoreView.h"
#include "platform/PWFont.h"

#include <QTextCharFormat>

#include <functional>
#include <optional>

class CADocView;
class CFTAView;
class CFTComponent;

// The tool modes of one canvas and the Format menu's text, font and colour commands: each change
// of an object is one undoable setter, the command one named step; the attributes new objects
// take change with them, without undo. A colour the colour panel sends goes to each selected
// object by its kind, and the kind it went to last decides which default takes a colour chosen
// with nothing selected (the colour-target flags; the text and field tools set them too).
class CACanvasFormat
{
public:
    // At most one is set.
    struct ColorTargets
    {
        bool text = false;
        bool field = false;
        bool separator = false;
        bool address = false;
        bool operator==(const ColorTargets &) const = default;
    };

    // A font change as the font manager describes it: a forced size, absolute or added to each
    // font's own, or else a conversion of each font.
    struct FontChange
    {
        bool convertSize = false;
        bool isAbsoluteSize = false;
        float size = 0.0f;
        std::function<PWFont(const PWFont &)> convert;
    };

    explicit CACanvasFormat(CADocView &canvas);

    const ColorTargets &colorTargets() const { return m_targets; }

    // The tool commands (select, text, field, separator): background editing ends, the tool is
    // set, the cursor follows and the colour-target flags are reset as the tool asks.
    void setToolMode(toolMode mode);
    void showGuidelineAreas();
    // Envelopes and postcards only; a label has no facing identification mark.
    void showFIMBarcode();

    // The horizontal alignment (taLeft, taCenter, taRight) of the default text and of every
    // selected object; the other bits of each object's alignment stay. "CHANGE_ALIGNMENT".
    void alignText(int alignment);
    // "CHANGE_FONT" when anything was selected. While a text is edited in place the change goes
    // to the editor's selection (or to what is typed next) alone, as typing does: no step.
    void changeFont(const FontChange &change);
    // The attributes the font panel changed (underline, strike-out, ...): only the properties the
    // format holds change, every other attribute of each object's text stays. Edited in place,
    // as changeFont.
    void changeAttributes(const QTextCharFormat &attributes);

    // The colour panel's colour: to the background while it is edited, else to each selected
    // object by kind; then to the default the flags name. "CHANGE_FORECOLOR". Typing in place, to
    // the characters selected (or typed next) alone.
    void changeColor(const CDDColor &color);
    // The colour changeColor would replace, opaque: the typed characters' at the cursor, the
    // background's while it is edited, else the first selected object's of the kind it colours;
    // nothing with nothing selected.
    std::optional<QColor> colorShown() const;
    // The colour wells: only while the canvas has its window's focus. Text colour reaches the
    // selection alone; line and fill colour also the default of the current tool.
    void textColor(const CDDColor &color);
    void foreColor(const CDDColor &color);
    void backColor(const CDDColor &color);

private:
    bool isFirstResponder() const;
    static CFTComponent *toolDefaults(CFTAView &view);
    // Whether a change goes to what new objects get: only when it edits nothing else (no
    // selection, no background), since a change of those is no step that undo takes back.
    static bool changesDefaults(const CFTAView &view);
    // Applies the change to each run of the in-place editor's selection, or to the format the
    // next typed characters take, and with wholeWithoutSelection then to every run as well;
    // false when no text is edited in place.
    bool changeEditedText(const std::function<void(QTextCharFormat &)> &change, bool wholeWithoutSelection = false);
    // A field of an address panel is typed in place.
    bool caretInField() const;
    void setTargets(bool text, bool field, bool separator, bool address);

    CADocView &m_canvas;
    ColorTargets m_targets;
};
