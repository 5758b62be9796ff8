#pragma once

#include "app/inspector/CAInspectorPane.h"

#include <optional>

class CAColorWell;
class QAbstractButton;
class QCheckBox;
class QLineEdit;
class QSlider;

// The fill and line pane: fill and outline switches and colours, opacity, line width, rotation,
// flips, side count and corner radius of the selected shapes and separators.
class CAFillLineSubView : public CAInspectorPane
{
    Q_OBJECT
public:
    explicit CAFillLineSubView(QWidget *parent = nullptr);

    void awakeFromNib() override;
    void updateWithView(CADocView *view) override;

    // The line-width slider's six positions and the widths they stand for.
    static int convertLineWidthToSliderMark(float width);
    static double lineWidthForSliderMark(int mark);
    // A slider angle near a right angle or near zero snaps to it (degrees).
    static int snapSliderAngle(int degrees);
    // A typed angle brought into -180 to 180 degrees.
    static int normaliseAngle(int degrees);
    // The whole degrees shown for an angle in radians, toward zero (29.6 shows 29), where a whole
    // number of degrees saved as radians to a few decimals reads back as that number (45 stays 45).
    static int wholeDegrees(double angle);
    // The whole percent shown for an opacity of 0 to 1, the same way (0.756 shows 75).
    static int wholePercent(float opacity);
    // A typed line width: a finite number of at least 0, else nothing; one wider than any pen
    // a design holds is the widest.
    static std::optional<double> parseLineWidth(const QString &text);

private:
    void fillCheckboxAction();
    void lineCheckboxAction();
    void lineWidthSliderAction();
    void lineWidthTextFieldAction();
    void fillOpacitySlider();
    void fillOpacityTextField();
    void rotateSlider();
    void rotateEdit();
    void sideCountSliderAction();
    void radiusValueSliderAction();
    void fillColorChosen(const QColor &color);
    void lineColorChosen(const QColor &color);
    void flip(bool horizontal);
    void applyOpacity(int percent);
    void applyLineWidth(double width);
    void applyAngle(int degrees, int backgroundDegrees);
    void setEnabledAll(bool enabled);
    // What new items of the tool in hand start with: texts under the text tool, shapes otherwise.
    CFTComponent *toolDefaults() const;

    QCheckBox *m_fillCheckbox = nullptr;
    CAColorWell *m_fillColorWell = nullptr;
    QSlider *m_fillOpacitySlider = nullptr;
    QLineEdit *m_fillOpacityTextField = nullptr;
    QCheckBox *m_lineCheckbox = nullptr;
    CAColorWell *m_lineColorWell = nullptr;
    QSlider *m_lineWidthSlider = nullptr;
    QLineEdit *m_lineWidthTextField = nullptr;
    QSlider *m_rotateSlider = nullptr;
    QLineEdit *m_rotateEdit = nullptr;
    QAbstractButton *m_FlipXButton = nullptr;
    QAbstractButton *m_FlipYButton = nullptr;
    QSlider *m_sideCountSlider = nullptr;
    QSlider *m_radiusValueSlider = nullptr;
    bool m_updating = false;
};
