#include "app/inspector/CAImageSubView.h"

#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CADocView.h"
#include "app/inspector/CAColorWell.h"
#include "app/inspector/CAFillLineSubView.h"
#include "app/pictures/CCMaskCatalog.h"
#include "app/pictures/CCMaskImageView.h"
#include "app/pictures/CCPicturesLog.h"
#include "kernel/base/CDDColor.h"
#include "kernel/base/FTImageUtilities.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/document/CFTAView.h"
#include "platform/PWImage.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QLocale>
#include <QSlider>

#include <cmath>
#include <numbers>

namespace {

constexpr float kTileVolume = 487764.0f;

CAImageSubView::FileChooser &fileChooser()
{
    static CAImageSubView::FileChooser chooser = [](QWidget *parent) {
        return QFileDialog::getOpenFileName(parent);
    };
    return chooser;
}

double radians(int degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

int tickValue(int value, int interval)
{
    if (interval <= 0)
        return value;
    return int(std::lround(double(value) / interval)) * interval;
}

} // namespace

CAImageSubView::CAImageSubView(QWidget *parent)
    : CAInspectorPane(parent)
{
}

float CAImageSubView::tileScaleForSlider(float s)
{
    const float cube = s * s * s;
    return cube > 0.0f ? kTileVolume / cube : kTileVolume;
}

float CAImageSubView::sliderForTileScale(float scale)
{
    return scale > 0.0f ? float(std::cbrt(double(kTileVolume) / double(scale))) : 1.0f;
}

void CAImageSubView::setFileChooser(FileChooser chooser)
{
    fileChooser() = std::move(chooser);
}

void CAImageSubView::awakeFromNib()
{
    m_tintCheckbox = control<QCheckBox>("m_tintCheckbox");
    m_tintColorWell = control<CAColorWell>("m_tintColorWell");
    m_maskCheckbox = control<QCheckBox>("m_maskCheckbox");
    _browseMaskButton = control<QAbstractButton>("_browseMaskButton");
    _customMaskImageView = control<CCMaskImageView>("_customMaskImageView");
    _maskCatalog = control<CCMaskCatalog>("_maskCatalog");
    m_opacitySlider = control<QSlider>("m_imageOpacitySlider");
    m_rotateSlider = control<QSlider>("m_imageRotateSlider");
    m_rotateEdit = control<QLineEdit>("m_imageRotateEdit");
    m_FlipXButton = control<QAbstractButton>("m_imageFlipXButton");
    m_FlipYButton = control<QAbstractButton>("m_imageFlipYButton");
    m_TileCheckbox = control<QCheckBox>("m_TileCheckbox");
    m_tileScaleSlider = control<QSlider>("m_tileScaleSlider");
    _editButton = control<QAbstractButton>("_editButton");

    m_opacitySlider->setRange(0, 100);
    m_rotateSlider->setRange(-180, 180);
    m_rotateSlider->setTickInterval(15);
    m_tileScaleSlider->setRange(1, 20);
    for (QSlider *slider : {m_opacitySlider, m_rotateSlider, m_tileScaleSlider})
        slider->setTracking(false);

    connect(m_tintCheckbox, &QCheckBox::clicked, this, &CAImageSubView::tintCheckboxAction);
    connect(m_maskCheckbox, &QCheckBox::clicked, this, &CAImageSubView::maskCheckboxAction);
    connect(_browseMaskButton, &QAbstractButton::clicked, this, &CAImageSubView::openMaskImage);
    connect(_maskCatalog, &CCMaskCatalog::action, this, &CAImageSubView::maskCatalogAction);
    connect(_customMaskImageView, &CCMaskImageView::action, this, &CAImageSubView::maskWellAction);
    connect(m_opacitySlider, &QSlider::valueChanged, this, &CAImageSubView::imageOpacitySlider);
    connect(m_rotateSlider, &QSlider::valueChanged, this, &CAImageSubView::rotateSlider);
    onTyped(m_rotateEdit, [this] { rotateEdit(); });
    connect(m_TileCheckbox, &QCheckBox::clicked, this, &CAImageSubView::tileImage);
    connect(m_tileScaleSlider, &QSlider::valueChanged, this, &CAImageSubView::tileScaleSlider);
    connect(m_tintColorWell, &CAColorWell::colorChosen, this, &CAImageSubView::tintChosen);
    connect(m_FlipXButton, &QAbstractButton::clicked, this, [this] { flip(true); });
    connect(m_FlipYButton, &QAbstractButton::clicked, this, [this] { flip(false); });
    connect(_editButton, &QAbstractButton::clicked, this, [this] {
        if (docView())
            Q_EMIT docView()->imageEditorRequested();
    });
    setEnabledAll(false);
}

void CAImageSubView::setEnabledAll(bool enabled)
{
    if (!enabled)
        m_tintColorWell->deactivate();
    for (QWidget *widget : std::initializer_list<QWidget *>{
             m_tintCheckbox, m_tintColorWell, m_maskCheckbox, _browseMaskButton, _maskCatalog, m_opacitySlider,
             m_rotateSlider, m_rotateEdit, m_FlipXButton, m_FlipYButton, m_TileCheckbox, m_tileScaleSlider, _editButton})
        widget->setEnabled(enabled);
}

std::vector<CFTComponent *> CAImageSubView::targets() const
{
    const CFTAView *view = ftView();
    if (view && view->needEditBackground())
        return {view->getBackground()};
    return selection();
}

void CAImageSubView::updateWithView(CADocView *view)
{
    const CAPaneUpdateGuard guard(m_updating);
    if (!view || !view->ftView()) {
        setEnabledAll(false);
        forget();
        return;
    }
    remember(view);
    const std::vector<CFTComponent *> selected = selection();
    const bool background = ftView()->needEditBackground();
    if (selected.empty() && !background) {
        setEnabledAll(false);
        return;
    }
    CFTComponent *shown = background ? ftView()->getBackground() : selected.front();
    setEnabledAll(true);
    m_tintCheckbox->setEnabled(shown->canFill());
    m_tintCheckbox->setChecked(shown->IsFilled());
    const bool tiled = int(shown->GetDataPlacing()) == 1;
    m_TileCheckbox->setChecked(tiled);
    m_tileScaleSlider->setValue(int(std::lround(sliderForTileScale(shown->GetTileScale()))));
    m_tileScaleSlider->setEnabled(tiled);
    m_tintColorWell->setEnabled(shown->canFill());
    if (selected.size() == 1 || background) {
        const CDDColor *fill = shown->GetFillColor();
        m_tintColorWell->setColor(shown->canFill() && fill ? fill->toQColor() : QColor(Qt::transparent));
    }
    m_maskCheckbox->setEnabled(shown->canMasked());
    m_maskCheckbox->setChecked(shown->IsMasked());
    showMask(shown);
    m_opacitySlider->setValue(CAFillLineSubView::wholePercent(shown->GetOpacity()));
    // The background turns in steps of the slider's marks only.
    m_rotateSlider->setSingleStep(background ? m_rotateSlider->tickInterval() : 1);
    m_rotateSlider->setPageStep(m_rotateSlider->tickInterval());
    const int degrees = CAFillLineSubView::wholeDegrees(shown->GetAngle());
    m_rotateSlider->setValue(degrees);
    m_rotateEdit->setText(QString::number(degrees));
    m_FlipXButton->setChecked(shown->IsFlipX());
    m_FlipYButton->setChecked(shown->IsFlipY());
}

void CAImageSubView::setImageMask(const std::shared_ptr<PWImage> &mask)
{
    CACanvasEdits *canvas = edits();
    if (!canvas || !mask)
        return;
    CACanvasEdits::Step step(*canvas, QStringLiteral("CHANGE_MASK"), true);
    for (CFTComponent *component : selection())
        canvas->setMaskForObject(mask, component);
}

void CAImageSubView::tintCheckboxAction()
{
    CACanvasEdits *canvas = edits();
    if (!canvas)
        return;
    const bool on = m_tintCheckbox->isChecked();
    CACanvasEdits::Step step(*canvas, QStringLiteral("SET_TINT"), true);
    for (CFTComponent *component : targets())
        canvas->setFilledForObject(on, component);
}

void CAImageSubView::maskCheckboxAction()
{
    CACanvasEdits *canvas = edits();
    if (m_maskCheckbox->isChecked()) {
        // On again: the mask the controls show, the custom well's when its cell is on.
        if (_customMaskImageView->state())
            maskWellAction();
        else if (_maskCatalog->selectedCell())
            maskCatalogAction();
        // With no mask shown to apply, the switch says what the picture is.
        if (const std::vector<CFTComponent *> shown = targets(); !shown.empty() && shown.front())
            m_maskCheckbox->setChecked(shown.front()->IsMasked());
        return;
    }
    if (!canvas)
        return;
    CACanvasEdits::Step step(*canvas, QStringLiteral("SET_MASK"), true);
    for (CFTComponent *component : targets())
        canvas->setMaskedForObject(false, component);
}

void CAImageSubView::openMaskImage()
{
    const QString path = fileChooser()(window());
    if (path.isEmpty())
        return;
    std::shared_ptr<PWImage> mask = PWImage::fromFile(path);
    if (!mask)
        return;
    mask->setName(CCMaskImageView::kMaskPrefix + path);
    _customMaskImageView->setMaskImage(mask);
    _customMaskImageView->setImage(mask);
    maskWellAction();
}

std::shared_ptr<PWImage> CAImageSubView::loadCatalogMask(const QString &name, const QString &maskFolder)
{
    const QString fullName = QStringLiteral("FULLSIZE_") + name;
    std::shared_ptr<PWImage> mask = PWImage::imageNamed(fullName);
    if (!mask) {
        mask = PWImage::fromFile(QDir(maskFolder).filePath(name));
        if (!mask) {
            qCWarning(lcPictures).noquote() << QStringLiteral("Can't load mask image '%1'").arg(name);
            return nullptr;
        }
    }
    std::shared_ptr<PWImage> converted = mask->copy();
    convertMaskImage(converted.get());
    converted->setName(fullName);
    return converted;
}

void CAImageSubView::maskCatalogAction()
{
    const CCMaskCell *cell = _maskCatalog->selectedCell();
    if (!cell)
        return;
    std::shared_ptr<PWImage> mask = loadCatalogMask(cell->name(), _maskCatalog->maskPath());
    if (!mask)
        return;
    setImageMask(mask);
    _customMaskImageView->selectCellByImage(nullptr);
}

void CAImageSubView::maskWellAction()
{
    std::shared_ptr<PWImage> mask = _customMaskImageView->maskImage();
    if (!mask)
        return;
    setImageMask(mask);
    _maskCatalog->deselectAllCells();
    _customMaskImageView->selectCellByImage(mask);
}

void CAImageSubView::showMask(CFTComponent *shown)
{
    _maskCatalog->setup();
    // The picture's own mask, also while its masking is off: the switch turned on again applies
    // the mask the controls show. A picture that never had a mask leaves the controls with the
    // last mask chosen, which ticking Mask then gives it.
    const CDDPicture *picture = shown ? shown->getMask() : nullptr;
    const std::shared_ptr<PWImage> mask = picture ? picture->getData() : nullptr;
    if (!mask)
        return;
    if (_maskCatalog->selectCellByImage(mask.get()))
        _customMaskImageView->selectCellByImage(nullptr);
    else
        _customMaskImageView->selectCellByImage(mask);
}

void CAImageSubView::imageOpacitySlider()
{
    CACanvasEdits *canvas = edits();
    if (m_updating || !canvas)
        return;
    const float opacity = float(m_opacitySlider->value()) / 100.0f;
    CACanvasEdits::Step step(*canvas, QStringLiteral("CHANGE_OPACITY"), true);
    for (CFTComponent *component : targets())
        canvas->setOpacityForObject(opacity, component);
}

void CAImageSubView::rotateSlider()
{
    if (m_updating)
        return;
    int entered = m_rotateSlider->value();
    const bool background = ftView() && ftView()->needEditBackground();
    if (background) {
        // A drag stops anywhere; the background takes the nearest mark, and the slider shows it.
        entered = tickValue(entered, m_rotateSlider->tickInterval());
        const QSignalBlocker quiet(m_rotateSlider);
        m_rotateSlider->setValue(entered);
    }
    m_rotateEdit->setText(QString::number(entered));
    CACanvasEdits *canvas = edits();
    if (!canvas)
        return;
    CACanvasEdits::Step step(*canvas, QStringLiteral("SET_ANGLE"), true);
    if (background) {
        canvas->setAngleForObject(radians(entered), ftView()->getBackground());
        return;
    }
    const int degrees = CAFillLineSubView::snapSliderAngle(entered);
    for (CFTComponent *component : selection())
        canvas->setAngleForObject(radians(degrees), component);
}

void CAImageSubView::rotateEdit()
{
    if (m_updating)
        return;
    const std::optional<double> typed = typedNumber(m_rotateEdit);
    if (!typed)
        return;
    const int degrees = CAFillLineSubView::normaliseAngle(int(std::clamp(*typed, -2.0e9, 2.0e9)));
    {
        const QSignalBlocker quiet(m_rotateSlider);
        m_rotateSlider->setValue(degrees);
    }
    m_rotateEdit->setText(QString::number(degrees));
    CACanvasEdits *canvas = edits();
    if (!canvas)
        return;
    CACanvasEdits::Step step(*canvas, QStringLiteral("SET_ANGLE"), true);
    for (CFTComponent *component : targets())
        canvas->setAngleForObject(radians(degrees), component);
}

void CAImageSubView::tileImage()
{
    CACanvasEdits *canvas = edits();
    if (!canvas)
        return;
    const bool on = m_TileCheckbox->isChecked();
    const float scale = tileScaleForSlider(float(m_tileScaleSlider->value()));
    {
        CACanvasEdits::Step step(*canvas, QStringLiteral("SET_TILE"), true);
        for (CFTComponent *component : selection()) {
            canvas->setTileForObject(on, component);
            if (int(component->GetDataPlacing()) == 1)
                canvas->setTileScaleForObject(scale, component);
        }
    }
    if (docView())
        docView()->notifySelectionChanged();
}

void CAImageSubView::tileScaleSlider()
{
    CACanvasEdits *canvas = edits();
    if (m_updating || !canvas)
        return;
    const float scale = tileScaleForSlider(float(m_tileScaleSlider->value()));
    CACanvasEdits::Step step(*canvas, QStringLiteral("SET_TILE_SCALE"), true);
    for (CFTComponent *component : selection())
        canvas->setTileScaleForObject(scale, component);
}

void CAImageSubView::tintChosen(const QColor &color)
{
    CACanvasEdits *canvas = edits();
    if (!canvas)
        return;
    const CDDColor chosen(float(color.redF()), float(color.greenF()), float(color.blueF()), float(color.alphaF()));
    CACanvasEdits::Step step(*canvas, QStringLiteral("CHANGE_BACKCOLOR"));
    for (CFTComponent *component : targets())
        canvas->setBackColorForObject(chosen, component);
}

void CAImageSubView::flip(bool horizontal)
{
    CACanvasEdits *canvas = edits();
    if (!canvas)
        return;
    const bool on = (horizontal ? m_FlipXButton : m_FlipYButton)->isChecked();
    const std::vector<CFTComponent *> flipped = targets();
    if (flipped.empty())
        return;
    CACanvasEdits::Step step(*canvas, QStringLiteral("SET_FLIP"), true);
    for (CFTComponent *component : flipped) {
        if (horizontal)
            canvas->setFlipXForObject(on, component);
        else
            canvas->setFlipYForObject(on, component);
    }
}
