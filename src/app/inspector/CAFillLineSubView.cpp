#include "app/inspector/CAFillLineSubView.h"

#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CADocView.h"
#include "app/inspector/CAColorWell.h"
#include "app/inspector/CAFieldRanges.h"
#include "kernel/base/CDDColor.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/component/CFTDefComponentBox.h"
#include "kernel/component/CFTDefComponentText.h"
#include "kernel/document/CFTAView.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QLocale>
#include <QSlider>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kLineWidths[] = {0.25, 0.5, 1.0, 2.0, 4.0, 8.0};

double radians(int degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

int degreesOf(double angle)
{
    return CAFillLineSubView::wholeDegrees(angle);
}

CDDColor colorOf(const QColor &color)
{
    return CDDColor(float(color.redF()), float(color.greenF()), float(color.blueF()), float(color.alphaF()));
}

QColor shownColor(const CDDColor *color, bool can)
{
    return can && color ? color->toQColor() : QColor(Qt::transparent);
}

} // namespace

CAFillLineSubView::CAFillLineSubView(QWidget *parent)
    : CAInspectorPane(parent)
{
}

int CAFillLineSubView::convertLineWidthToSliderMark(float width)
{
    const double wide = double(width);
    if (wide < 0.4)
        return 1;
    if (wide < 0.8)
        return 2;
    if (wide < 1.6)
        return 3;
    if (width < 3.0f)
        return 4;
    if (width < 6.0f)
        return 5;
    return 6;
}

double CAFillLineSubView::lineWidthForSliderMark(int mark)
{
    return kLineWidths[std::clamp(mark, 1, 6) - 1];
}

int CAFillLineSubView::snapSliderAngle(int degrees)
{
    const int magnitude = std::abs(degrees);
    if (magnitude > 85 && magnitude < 95)
        return degrees > 0 ? 90 : -90;
    if (magnitude < 5)
        return 0;
    return degrees;
}

namespace {

// A number shown in whole units, toward zero; one within noise of a whole number is that number.
int wholeTowardZero(double value, double noise)
{
    if (!std::isfinite(value))
        return 0;
    value = std::clamp(value, -1.0e9, 1.0e9);
    const double nearest = std::round(value);
    return int(std::abs(value - nearest) <= noise ? nearest : std::trunc(value));
}

} // namespace

int CAFillLineSubView::wholeDegrees(double angle)
{
    // A design keeps its angles in radians to three decimals: 45 degrees is stored as 0.785, a
    // hair under 45. Within that half thousandth of a radian the whole degree is the one typed.
    constexpr double kStoredNoise = 0.0005 * 180.0 / std::numbers::pi + 1e-9;
    return wholeTowardZero(angle * 180.0 / std::numbers::pi, kStoredNoise);
}

int CAFillLineSubView::wholePercent(float opacity)
{
    // Opacities are kept in single precision and stored to three decimals.
    constexpr double kStoredNoise = 0.0005 * 100.0 + 1e-9;
    return wholeTowardZero(double(opacity) * 100.0, kStoredNoise);
}

int CAFillLineSubView::normaliseAngle(int degrees)
{
    int value = degrees % 360;
    if (std::abs(value) > 180)
        value += value > 0 ? -360 : 360;
    return value;
}

std::optional<double> CAFillLineSubView::parseLineWidth(const QString &text)
{
    bool ok = false;
    const double width = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(width) || width < CAFieldRanges::kLineWidth.lowest)
        return std::nullopt;
    return std::min(width, CAFieldRanges::kLineWidth.highest);
}

void CAFillLineSubView::awakeFromNib()
{
    m_fillCheckbox = control<QCheckBox>("m_fillCheckbox");
    m_fillColorWell = control<CAColorWell>("m_fillColorWell");
    m_fillOpacitySlider = control<QSlider>("m_fillOpacitySlider");
    m_fillOpacityTextField = control<QLineEdit>("m_fillOpacityTextField");
    m_lineCheckbox = control<QCheckBox>("m_lineCheckbox");
    m_lineColorWell = control<CAColorWell>("m_lineColorWell");
    m_lineWidthSlider = control<QSlider>("m_lineWidthSlider");
    m_lineWidthTextField = control<QLineEdit>("m_lineWidthTextField");
    m_rotateSlider = control<QSlider>("m_rotateSlider");
    m_rotateEdit = control<QLineEdit>("m_rotateEdit");
    m_FlipXButton = control<QAbstractButton>("m_FlipXButton");
    m_FlipYButton = control<QAbstractButton>("m_FlipYButton");
    m_sideCountSlider = control<QSlider>("m_sideCountSlider");
    m_radiusValueSlider = control<QSlider>("m_radiusValueSlider");

    m_lineWidthSlider->setRange(1, 6);
    m_lineWidthSlider->setTickInterval(1);
    m_lineWidthSlider->setPageStep(1);
    m_fillOpacitySlider->setRange(0, 100);
    m_rotateSlider->setRange(-180, 180);
    // Sliders apply where the user lets go (or at each key step), not at every pixel of a drag.
    for (QSlider *slider : {m_lineWidthSlider, m_fillOpacitySlider, m_rotateSlider, m_sideCountSlider,
                            m_radiusValueSlider})
        slider->setTracking(false);

    connect(m_fillCheckbox, &QCheckBox::clicked, this, &CAFillLineSubView::fillCheckboxAction);
    connect(m_lineCheckbox, &QCheckBox::clicked, this, &CAFillLineSubView::lineCheckboxAction);
    connect(m_lineWidthSlider, &QSlider::valueChanged, this, &CAFillLineSubView::lineWidthSliderAction);
    onTyped(m_lineWidthTextField, [this] { lineWidthTextFieldAction(); });
    connect(m_fillOpacitySlider, &QSlider::valueChanged, this, &CAFillLineSubView::fillOpacitySlider);
    onTyped(m_fillOpacityTextField, [this] { fillOpacityTextField(); });
    connect(m_rotateSlider, &QSlider::valueChanged, this, &CAFillLineSubView::rotateSlider);
    onTyped(m_rotateEdit, [this] { rotateEdit(); });
    connect(m_sideCountSlider, &QSlider::valueChanged, this, &CAFillLineSubView::sideCountSliderAction);
    connect(m_radiusValueSlider, &QSlider::valueChanged, this, &CAFillLineSubView::radiusValueSliderAction);
    connect(m_FlipXButton, &QAbstractButton::clicked, this, [this] { flip(true); });
    connect(m_FlipYButton, &QAbstractButton::clicked, this, [this] { flip(false); });
    connect(m_fillColorWell, &CAColorWell::colorChosen, this, &CAFillLineSubView::fillColorChosen);
    connect(m_lineColorWell, &CAColorWell::colorChosen, this, &CAFillLineSubView::lineColorChosen);
    setEnabledAll(false);
}

void CAFillLineSubView::setEnabledAll(bool enabled)
{
    for (QWidget *widget : std::initializer_list<QWidget *>{
             m_fillCheckbox, m_fillColorWell, m_fillOpacitySlider, m_fillOpacityTextField, m_lineCheckbox,
             m_lineColorWell, m_lineWidthSlider, m_lineWidthTextField, m_rotateSlider, m_rotateEdit, m_FlipXButton,
             m_FlipYButton, m_sideCountSlider, m_radiusValueSlider})
        widget->setEnabled(enabled);
}

void CAFillLineSubView::updateWithView(CADocView *view)
{
    const CAPaneUpdateGuard guard(m_updating);
    if (!view || !view->ftView()) {
        m_fillColorWell->deactivate();
        m_lineColorWell->deactivate();
        setEnabledAll(false);
        forget();
        return;
    }
    remember(view);
    const std::vector<CFTComponent *> selected = selection();
    CFTComponent *shown = selected.empty() ? static_cast<CFTComponent *>(ftView()->defBox()) : selected.front();
    const bool single = selected.size() == 1;

    const bool canFill = shown->canFill();
    m_fillCheckbox->setEnabled(canFill);
    m_fillCheckbox->setChecked(shown->IsFilled());
    m_fillColorWell->setEnabled(canFill);
    if (single)
        m_fillColorWell->setColor(shownColor(shown->GetFillColor(), canFill));
    const int opacity = wholePercent(shown->GetOpacity());
    m_fillOpacitySlider->setEnabled(canFill);
    m_fillOpacityTextField->setEnabled(canFill);
    m_fillOpacitySlider->setValue(opacity);
    m_fillOpacityTextField->setText(QString::number(opacity));

    const bool canStroke = shown->canStrok();
    m_lineCheckbox->setEnabled(canStroke);
    m_lineCheckbox->setChecked(shown->IsStroked());
    m_lineColorWell->setEnabled(canStroke);
    if (single)
        m_lineColorWell->setColor(shownColor(shown->GetStrokeColor(), canStroke));
    m_lineWidthSlider->setEnabled(canStroke);
    m_lineWidthTextField->setEnabled(canStroke);
    m_lineWidthSlider->setValue(convertLineWidthToSliderMark(shown->GetStrokeWidth()));
    m_lineWidthTextField->setText(QLocale::c().toString(double(shown->GetStrokeWidth()), 'g', 6));

    m_sideCountSlider->setEnabled(false);
    m_radiusValueSlider->setEnabled(false);
    if (selected.empty())
        return;
    const int degrees = degreesOf(shown->GetAngle());
    m_rotateSlider->setEnabled(true);
    m_rotateEdit->setEnabled(true);
    m_rotateSlider->setValue(degrees);
    m_rotateEdit->setText(QString::number(degrees));
    m_FlipXButton->setEnabled(true);
    m_FlipYButton->setEnabled(true);
    m_FlipXButton->setChecked(shown->IsFlipX());
    m_FlipYButton->setChecked(shown->IsFlipY());
    m_sideCountSlider->setEnabled(shown->canChangeSideCount());
    m_sideCountSlider->setValue(int(std::lround(shown->GetSideCount())));
    m_radiusValueSlider->setEnabled(shown->canCurved());
    m_radiusValueSlider->setValue(int(std::lround(shown->GetCurveRadius())));
}

void CAFillLineSubView::fillCheckboxAction()
{
    CACanvasEdits *canvas = edits();
    if (!canvas)
        return;
    const bool on = m_fillCheckbox->isChecked();
    // What new items of the tool in hand get follows the switch, as no step of its own.
    if (CFTComponent *defaults = toolDefaults())
        changeDefaults([defaults, on] { defaults->SetFilled(on); });
    const std::vector<CFTComponent *> selected = selection();
    if (selected.empty())
        return;
    CACanvasEdits::Step step(*canvas, QStringLiteral("SET_FILL"), true);
    for (CFTComponent *component : selected)
        canvas->setFilledForObject(on, component);
}

void CAFillLineSubView::lineCheckboxAction()
{
    CACanvasEdits *canvas = edits();
    if (!canvas)
        return;
    const bool on = m_lineCheckbox->isChecked();
    if (CFTComponent *defaults = toolDefaults())
        changeDefaults([defaults, on] { defaults->SetStroked(on); });
    const std::vector<CFTComponent *> selected = selection();
    if (selected.empty())
        return;
    CACanvasEdits::Step step(*canvas, QStringLiteral("SET_STROKE"), true);
    for (CFTComponent *component : selected)
        canvas->setStrokedForObject(on, component);
}

void CAFillLineSubView::applyLineWidth(double width)
{
    CACanvasEdits *canvas = edits();
    if (!canvas)
        return;
    // New shapes take the width too, in the same step.
    CACanvasEdits::Step step(*canvas, QStringLiteral("CHANGE_LINEWIDTH"), true);
    for (CFTComponent *component : selection())
        canvas->setLineWidthForObject(width, component);
    canvas->setBoxDefault(CACanvasEdits::BoxDefault::LineWidth, width);
}

void CAFillLineSubView::lineWidthSliderAction()
{
    if (m_updating)
        return;
    const double width = lineWidthForSliderMark(m_lineWidthSlider->value());
    // The field first: the edit refreshes the pane from the components again.
    m_lineWidthTextField->setText(QLocale::c().toString(width, 'g', 6));
    applyLineWidth(width);
}

void CAFillLineSubView::lineWidthTextFieldAction()
{
    if (m_updating)
        return;
    const std::optional<double> width = parseLineWidth(m_lineWidthTextField->text());
    if (!width) {
        // A width below nothing or no number at all never reaches a shape: the field goes back to
        // the width the slider stands for.
        QApplication::beep();
        m_lineWidthTextField->setText(
            QLocale::c().toString(lineWidthForSliderMark(m_lineWidthSlider->value()), 'g', 6));
        if (docView())
            updateWithView(docView());
        return;
    }
    {
        const QSignalBlocker quiet(m_lineWidthSlider);
        m_lineWidthSlider->setValue(convertLineWidthToSliderMark(float(*width)));
    }
    m_lineWidthTextField->setText(QLocale::c().toString(*width, 'g', 6));
    applyLineWidth(*width);
}

void CAFillLineSubView::applyOpacity(int percent)
{
    CACanvasEdits *canvas = edits();
    if (!canvas)
        return;
    const float opacity = float(percent) / 100.0f;
    CACanvasEdits::Step step(*canvas, QStringLiteral("CHANGE_OPACITY"), true);
    for (CFTComponent *component : selection())
        canvas->setOpacityForObject(opacity, component);
    canvas->setBoxDefault(CACanvasEdits::BoxDefault::Opacity, opacity);
}

void CAFillLineSubView::fillOpacitySlider()
{
    if (m_updating)
        return;
    const int percent = m_fillOpacitySlider->value();
    m_fillOpacityTextField->setText(QString::number(percent));
    applyOpacity(percent);
}

void CAFillLineSubView::fillOpacityTextField()
{
    if (m_updating)
        return;
    const std::optional<double> typed = typedNumber(m_fillOpacityTextField);
    if (!typed)
        return;
    const int percent = int(CAFieldRanges::within(*typed, CAFieldRanges::kOpacityPercent));
    m_fillOpacityTextField->setText(QString::number(percent));
    {
        const QSignalBlocker quiet(m_fillOpacitySlider);
        m_fillOpacitySlider->setValue(percent);
    }
    applyOpacity(percent);
}

void CAFillLineSubView::applyAngle(int degrees, int backgroundDegrees)
{
    CACanvasEdits *canvas = edits();
    if (!canvas)
        return;
    CFTAView *view = ftView();
    backgroundDegrees = int(CAFieldRanges::within(backgroundDegrees, CAFieldRanges::kAngleDegrees));
    CACanvasEdits::Step step(*canvas, QStringLiteral("SET_ANGLE"), true);
    if (view->needEditBackground()) {
        canvas->setAngleForObject(radians(backgroundDegrees), view->getBackground());
        degrees = backgroundDegrees;
    } else {
        for (CFTComponent *component : selection())
            canvas->setAngleForObject(radians(degrees), component);
    }
    // New shapes start turned as the last angle chosen, in the same step.
    canvas->setBoxDefault(CACanvasEdits::BoxDefault::Angle, radians(degrees));
}

void CAFillLineSubView::rotateSlider()
{
    if (m_updating)
        return;
    const int entered = m_rotateSlider->value();
    const bool background = ftView() && ftView()->needEditBackground();
    const int degrees = background ? entered : snapSliderAngle(entered);
    m_rotateEdit->setText(QString::number(degrees));
    applyAngle(degrees, entered);
}

void CAFillLineSubView::rotateEdit()
{
    if (m_updating)
        return;
    const std::optional<double> typed = typedNumber(m_rotateEdit);
    if (!typed)
        return;
    const int entered = int(std::clamp(*typed, -2.0e9, 2.0e9));
    const int degrees = normaliseAngle(entered);
    {
        const QSignalBlocker quiet(m_rotateSlider);
        m_rotateSlider->setValue(degrees);
    }
    m_rotateEdit->setText(QString::number(degrees));
    applyAngle(degrees, entered);
}

void CAFillLineSubView::sideCountSliderAction()
{
    CACanvasEdits *canvas = edits();
    if (m_updating || !canvas)
        return;
    CACanvasEdits::Step step(*canvas, QStringLiteral("SET_SIDECOUNT"), true);
    for (CFTComponent *component : selection())
        canvas->setSideCountForObject(double(m_sideCountSlider->value()), component);
}

void CAFillLineSubView::radiusValueSliderAction()
{
    CACanvasEdits *canvas = edits();
    if (m_updating || !canvas)
        return;
    CACanvasEdits::Step step(*canvas, QStringLiteral("SET_CURVERADIUS"), true);
    for (CFTComponent *component : selection())
        canvas->setCurveRadiusForObject(double(m_radiusValueSlider->value()), component);
}

void CAFillLineSubView::fillColorChosen(const QColor &color)
{
    CACanvasEdits *canvas = edits();
    if (!canvas)
        return;
    const CDDColor chosen = colorOf(color);
    if (changeNewItemDefaults(ftView()->defBox(), [&chosen](CFTComponent &defaults) { defaults.SetFillColor(&chosen); }))
        return;
    CACanvasEdits::Step step(*canvas, QStringLiteral("CHANGE_BACKCOLOR"));
    for (CFTComponent *component : selection())
        canvas->setBackColorForObject(chosen, component);
}

void CAFillLineSubView::lineColorChosen(const QColor &color)
{
    CACanvasEdits *canvas = edits();
    if (!canvas)
        return;
    const CDDColor chosen = colorOf(color);
    if (changeNewItemDefaults(ftView()->defBox(), [&chosen](CFTComponent &defaults) { defaults.SetStrokeColor(&chosen); }))
        return;
    CACanvasEdits::Step step(*canvas, QStringLiteral("CHANGE_FORECOLOR"));
    for (CFTComponent *component : selection())
        canvas->setForeColorForObject(chosen, component);
}

CFTComponent *CAFillLineSubView::toolDefaults() const
{
    CFTAView *view = ftView();
    if (!view)
        return nullptr;
    return view->getToolMode() == toolText ? static_cast<CFTComponent *>(view->defText())
                                           : static_cast<CFTComponent *>(view->defBox());
}

void CAFillLineSubView::flip(bool horizontal)
{
    CACanvasEdits *canvas = edits();
    if (!canvas)
        return;
    CFTAView *view = ftView();
    const bool on = (horizontal ? m_FlipXButton : m_FlipYButton)->isChecked();
    std::vector<CFTComponent *> targets = selection();
    if (view->needEditBackground())
        targets = {view->getBackground()};
    if (targets.empty())
        return;
    CACanvasEdits::Step step(*canvas, QStringLiteral("SET_FLIP"), true);
    for (CFTComponent *component : targets) {
        if (horizontal)
            canvas->setFlipXForObject(on, component);
        else
            canvas->setFlipYForObject(on, component);
    }
}
