#include "app/inspector/CAInspectorPane.h"

#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CADocView.h"
#include "app/inspector/CAColorWell.h"
#include "app/inspector/CAFieldRanges.h"
#include "kernel/base/CDDColor.h"
#include "kernel/component/CFTDefComponentText.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"

#include <QApplication>
#include <QLocale>
#include <QSlider>

#include <cmath>

namespace {

// What the pane last showed in a typed field, put back when what is typed there is refused.
const char *const kShownText = "pwShownText";

CAInspectorPane::FontPanelHook &fontPanelHook()
{
    static CAInspectorPane::FontPanelHook hook;
    return hook;
}

} // namespace

void CAInspectorPane::setFontPanelHook(FontPanelHook hook)
{
    fontPanelHook() = std::move(hook);
}

void CAInspectorPane::showFontPanel(bool show)
{
    if (fontPanelHook())
        fontPanelHook()(show);
}

CAInspectorPane::CAInspectorPane(QWidget *parent)
    : QWidget(parent)
{
}

bool CAInspectorPane::colorActive() const
{
    const QList<CAColorWell *> wells = findChildren<CAColorWell *>();
    for (const CAColorWell *well : wells) {
        if (well->isActive())
            return true;
    }
    return false;
}

CADocView *CAInspectorPane::docView() const
{
    return m_docView.data();
}

void CAInspectorPane::remember(CADocView *view)
{
    m_docView = view;
}

void CAInspectorPane::forget()
{
    m_docView = nullptr;
}

void CAInspectorPane::onTyped(QLineEdit *field, std::function<void()> action)
{
    if (!field)
        return;
    const TypedField typed {field, std::move(action)};
    m_typedFields.push_back(typed);
    // Return applies the field whatever it holds; the end of editing that follows it, a focus
    // lost or a commit apply only text typed since, so that nothing is applied twice and a
    // field merely passed through changes nothing.
    connect(field, &QLineEdit::returnPressed, this, [typed] {
        typed.field->setModified(false);
        typed.action();
    });
    connect(field, &QLineEdit::editingFinished, this, [typed] { commit(typed); });
    // Text the pane puts there (never typing, which marks the field modified) is what it shows.
    field->setProperty(kShownText, field->text());
    connect(field, &QLineEdit::textChanged, this, [field](const QString &text) {
        if (!field->isModified())
            field->setProperty(kShownText, text);
    });
}

std::optional<double> CAInspectorPane::typedNumber(QLineEdit *field)
{
    bool ok = false;
    const double typed = QLocale::c().toDouble(field->text().trimmed(), &ok);
    if (ok && std::isfinite(typed))
        return typed;
    QApplication::beep();
    field->setText(field->property(kShownText).toString());
    field->setModified(false);
    return std::nullopt;
}

void CAInspectorPane::changeDefaults(const std::function<void()> &change)
{
    CADocView *canvas = docView();
    CADocument *document = canvas ? canvas->document() : nullptr;
    if (!document) {
        change();
        return;
    }
    const QByteArray before = document->dataRepresentationOfType(CADocument::kAddressDocumentType);
    change();
    if (document->dataRepresentationOfType(CADocument::kAddressDocumentType) != before)
        Q_EMIT canvas->editedBeyondUndo();
}

bool CAInspectorPane::changeTextDefaults(const std::function<void(CFTComponent &)> &change)
{
    CFTAView *view = ftView();
    if (!view || !view->getSelComponents().empty())
        return false;
    if (CFTComponent *defaults = view->defText())
        changeDefaults([&] { change(*defaults); });
    return true;
}

bool CAInspectorPane::changeNewItemDefaults(CFTComponent *defaults, const std::function<void(CFTComponent &)> &change)
{
    CFTAView *view = ftView();
    if (!view || !view->getSelComponents().empty() || view->needEditBackground())
        return false;
    if (defaults)
        changeDefaults([&] { change(*defaults); });
    return true;
}

void CAInspectorPane::alignDefaults(CFTComponent &defaults, int tag)
{
    defaults.SetAlignment(textAlignment((int(defaults.GetAlignment()) & 0xF0) | tag));
}

void CAInspectorPane::setDefaultBackColor(CFTComponent &defaults, const CDDColor &color)
{
    const bool painted = defaults.GetHaveBackColor();
    defaults.SetFillColor(&color);
    defaults.SetHaveBackColor(painted);
}

void CAInspectorPane::commit(const TypedField &typed)
{
    if (!typed.field || !typed.field->isModified())
        return;
    typed.field->setModified(false);
    typed.action();
}

void CAInspectorPane::commitEditing()
{
    // A copy: an action refreshes the pane, which may wire nothing new but must not be walked
    // while it changes.
    const std::vector<TypedField> fields = m_typedFields;
    for (const TypedField &typed : fields)
        commit(typed);
}

CFTAView *CAInspectorPane::ftView() const
{
    return m_docView ? m_docView->ftView() : nullptr;
}

CACanvasEdits *CAInspectorPane::edits() const
{
    return ftView() ? &m_docView->edits() : nullptr;
}

void CAInspectorPane::applyFontSize(float size, float base)
{
    CACanvasEdits *canvas = edits();
    if (!canvas)
        return;
    CACanvasEdits::Step step(*canvas, QStringLiteral("CHANGE_FONT"));
    for (CFTComponent *component : selection()) {
        if (base > 0.0f)
            canvas->changeFontSizeForObject(size - base, component);
        else
            canvas->setFontSizeForObject(size, component);
    }
}

std::optional<float> CAInspectorPane::typedFontSize(QLineEdit *field, float shown)
{
    bool ok = false;
    const double typed = QLocale::c().toDouble(field->text().trimmed(), &ok);
    if (!ok || !std::isfinite(typed) || typed <= 0.0) {
        field->setText(QLocale::c().toString(double(shown), 'g', 6));
        return std::nullopt;
    }
    const float size = float(CAFieldRanges::within(typed, CAFieldRanges::kTypeSize));
    field->setText(QLocale::c().toString(double(size), 'g', 6));
    return size;
}

void CAInspectorPane::each(const char *key, const std::function<void(CACanvasEdits &, CFTComponent *)> &apply)
{
    CACanvasEdits *canvas = edits();
    if (!canvas)
        return;
    CACanvasEdits::Step step(*canvas, QString::fromLatin1(key), true);
    for (CFTComponent *component : selection())
        apply(*canvas, component);
}

std::vector<CFTComponent *> CAInspectorPane::selection() const
{
    // A copy: the setters post selection changes that may rebuild the view's list.
    const CFTAView *view = ftView();
    return view ? view->getSelComponents() : std::vector<CFTComponent *>();
}

float sliderFontSize(double value)
{
    const double whole = std::round(value);
    return float(std::abs(whole - value) < 0.1 ? whole : value);
}

namespace {
constexpr int kSizeSliderSteps = 100;
}

void setUpSizeSlider(QSlider *slider)
{
    slider->setRange(4 * kSizeSliderSteps, 144 * kSizeSliderSteps);
    slider->setSingleStep(kSizeSliderSteps);
    slider->setPageStep(10 * kSizeSliderSteps);
    slider->setTracking(false);
}

int sizeSliderValue(double size)
{
    return int(std::lround(size * kSizeSliderSteps));
}

double sizeOfSliderValue(int value)
{
    return double(value) / kSizeSliderSteps;
}
