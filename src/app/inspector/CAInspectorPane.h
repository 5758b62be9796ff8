#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class CACanvasEdits;
class CADocView;
class CFTAView;
class QSlider;
class CFTComponent;
class CDDColor;

// What every pane of the inspector shares. A pane remembers the canvas it was last shown for only
// through a guarded pointer, and forgets it on an update without a canvas: the canvas and its
// document may go away while the inspector stays, and an action must then change nothing rather
// than reach a destroyed design. Components are never kept across updates; an action reads the
// selection of the remembered canvas when it runs.
class CAInspectorPane : public QWidget
{
    Q_OBJECT
public:
    explicit CAInspectorPane(QWidget *parent = nullptr);

    // The controls exist (the form made them as this pane's children): find and wire them.
    virtual void awakeFromNib() = 0;
    // Null disables the controls; a canvas is remembered and the controls show its selection.
    virtual void updateWithView(CADocView *view) = 0;
    // Whether one of this pane's colour wells is receiving the colour panel.
    virtual bool colorActive() const;
    virtual bool hasFontSizeControls() const { return false; }
    virtual void setFontSizeControls(float) {}

    CADocView *docView() const;

    // Applies what was typed into a field and not confirmed yet, to the canvas the pane shows.
    void commitEditing();

    // What the font panel buttons do: the panel lives with the application, which installs this.
    using FontPanelHook = std::function<void(bool show)>;
    static void setFontPanelHook(FontPanelHook hook);

protected:
    void remember(CADocView *view);
    void forget();
    CFTAView *ftView() const;
    // The remembered canvas's edits, or null without a usable canvas.
    CACanvasEdits *edits() const;
    std::vector<CFTComponent *> selection() const;
    // apply(edits, component) for every selected object, as one undo step named key.
    void each(const char *key, const std::function<void(CACanvasEdits &, CFTComponent *)> &apply);
    // The selection's font size moved to size as one "CHANGE_FONT" step: grown by the difference
    // from base, or, with no size shown (base 0), set outright.
    void applyFontSize(float size, float base);
    // The size typed into the field, or nothing for text that is no positive number, in which
    // case the field shows the size shown before again. A size past the sizes a design holds
    // is the nearest it holds, and the field shows it.
    static std::optional<float> typedFontSize(QLineEdit *field, float shown);
    // The number typed into a field wired with onTyped, or nothing for text that is no number
    // (a word, an empty entry, "nan"), in which case the field shows again what the pane last
    // showed in it and nothing is applied.
    static std::optional<double> typedNumber(QLineEdit *field);
    // A change of what new items get, made with nothing selected: no undo step (defaults are not
    // undone), but a design saves its defaults, so a change that reaches the saved design marks
    // it edited, and one that does not marks nothing.
    void changeDefaults(const std::function<void()> &change);
    // With nothing selected, the change goes to what new texts and panels start with (through
    // changeDefaults) and the answer is true; false when a selection (or no canvas) takes it.
    bool changeTextDefaults(const std::function<void(CFTComponent &defaults)> &change);
    // The same for any of the defaults (the box's, or the text's under the text tool): an edit
    // of a selection or of the background changes that alone, never what new items get.
    bool changeNewItemDefaults(CFTComponent *defaults, const std::function<void(CFTComponent &defaults)> &change);
    // The settings new texts and panels start with, as the Text and Address panes change them.
    static void alignDefaults(CFTComponent &defaults, int tag);
    // The colour behind new texts; whether they are given a background stays as it was.
    static void setDefaultBackColor(CFTComponent &defaults, const CDDColor &color);
    // Wires a typed field: its action runs on Return, and also when the field loses the focus or
    // commitEditing() comes while it holds text typed since the pane last set it.
    void onTyped(QLineEdit *field, std::function<void()> action);
    // The font panel button's action: shows the panel when on, closes it when off.
    static void showFontPanel(bool show);
    template <typename T>
    T *control(const char *name) const
    {
        return findChild<T *>(QString::fromLatin1(name));
    }

private:
    struct TypedField
    {
        QPointer<QLineEdit> field;
        std::function<void()> action;
    };
    // Runs the field's action once for what was typed.
    static void commit(const TypedField &typed);

    QPointer<CADocView> m_docView;
    std::vector<TypedField> m_typedFields;
};

// A pane's edits run only while updating is not under way: setting a control from the selection
// must never reach the design again.
class CAPaneUpdateGuard
{
public:
    explicit CAPaneUpdateGuard(bool &flag)
        : m_flag(flag)
        , m_previous(flag)
    {
        m_flag = true;
    }
    ~CAPaneUpdateGuard() { m_flag = m_previous; }
    CAPaneUpdateGuard(const CAPaneUpdateGuard &) = delete;
    CAPaneUpdateGuard &operator=(const CAPaneUpdateGuard &) = delete;

private:
    bool &m_flag;
    bool m_previous;
};

// The font size a size slider's position stands for: a value within a tenth of a whole number
// is that number.
float sliderFontSize(double value);
// The size sliders move in hundredths of a point, so that a size near a whole number can be
// told from it; arrow keys and page keys still step by whole points.
void setUpSizeSlider(QSlider *slider);
int sizeSliderValue(double size);
double sizeOfSliderValue(int value);
