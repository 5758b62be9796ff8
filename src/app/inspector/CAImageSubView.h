#pragma once

#include "app/inspector/CAInspectorPane.h"

#include <functional>
#include <memory>

class CAColorWell;
class CCMaskCatalog;
class CCMaskImageView;
class CFTComponent;
class PWImage;
class QAbstractButton;
class QCheckBox;
class QLineEdit;
class QSlider;

// The image pane: tint, mask, opacity, rotation, flips and tiling of the selected pictures, or of
// the background picture while it is edited.
class CAImageSubView : public CAInspectorPane
{
    Q_OBJECT
public:
    explicit CAImageSubView(QWidget *parent = nullptr);

    void awakeFromNib() override;
    void updateWithView(CADocView *view) override;

    // The tile scale a slider position stands for, and back.
    static float tileScaleForSlider(float s);
    static float sliderForTileScale(float scale);

    // Asks for a mask file; an empty answer chooses nothing.
    using FileChooser = std::function<QString(QWidget *parent)>;
    static void setFileChooser(FileChooser chooser);

    // Gives every selected picture the mask (masking it when it was not) as one step.
    void setImageMask(const std::shared_ptr<PWImage> &mask);
    // The full-size mask of a catalogue cell's name (a path below the mask folder), converted
    // and named "FULLSIZE_" plus that name; null when it cannot be read.
    static std::shared_ptr<PWImage> loadCatalogMask(const QString &name, const QString &maskFolder);

private:
    void tintCheckboxAction();
    void maskCheckboxAction();
    void openMaskImage();
    void maskCatalogAction();
    void maskWellAction();
    // Marks the catalogue cell of the shown picture's mask, else puts that mask into the well.
    void showMask(CFTComponent *shown);
    void imageOpacitySlider();
    void rotateSlider();
    void rotateEdit();
    void tileImage();
    void tileScaleSlider();
    void tintChosen(const QColor &color);
    void flip(bool horizontal);
    void setEnabledAll(bool enabled);
    // The background while it is edited, else the selection.
    std::vector<CFTComponent *> targets() const;

    QCheckBox *m_tintCheckbox = nullptr;
    CAColorWell *m_tintColorWell = nullptr;
    QCheckBox *m_maskCheckbox = nullptr;
    QAbstractButton *_browseMaskButton = nullptr;
    CCMaskImageView *_customMaskImageView = nullptr;
    CCMaskCatalog *_maskCatalog = nullptr;
    QSlider *m_opacitySlider = nullptr;
    QSlider *m_rotateSlider = nullptr;
    QLineEdit *m_rotateEdit = nullptr;
    QAbstractButton *m_FlipXButton = nullptr;
    QAbstractButton *m_FlipYButton = nullptr;
    QCheckBox *m_TileCheckbox = nullptr;
    QSlider *m_tileScaleSlider = nullptr;
    QAbstractButton *_editButton = nullptr;
    bool m_updating = false;
};
