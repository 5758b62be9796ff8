#pragma once

#include <QDialog>
#include <QRectF>
#include <QSizeF>
#include <QStringList>

#include <memory>

class CCImageEditorView;
class CCImageFilterPlugIn;
class ICoreImageFilter;
class PWImage;
class QScrollArea;
class QSlider;
namespace Ui {
class ImageEditor;
}

// The one modal image editor. Opened on a picture's image and its crop rectangle, it lets the
// user choose a new crop rectangle (or none) on the crop canvas; when an image-filter plug-in is
// installed the plug-in's own dialog does the work instead and may make a new image. The caller
// reads the results after an accepted run and applies them itself, as one undoable edit.
class CCImageEditorController : public QDialog
{
    Q_OBJECT

public:
    // The shared editor, made on first use; null without a widget application.
    static CCImageEditorController *sharedImageEditor();

    explicit CCImageEditorController(QWidget *parent = nullptr);
    ~CCImageEditorController() override;

    // Runs the editor modally on image; rect is the crop rectangle to start from when
    // useSelection is set; sourceSize is the picture's size on the design, for the plug-in only.
    // Answers whether the user accepted.
    bool startEditorUseSelectionWithRectSourceSize(std::shared_ptr<PWImage> image, bool useSelection,
                                                   const QRectF &rect, const QSizeF &sourceSize);
    // The editor's own window made ready on image (picture, opening scale, slider, selection),
    // without running it; false for an image without a size.
    bool prepareEditor(std::shared_ptr<PWImage> image, bool useSelection, const QRectF &rect);

    // The plug-in's new image of the last accepted run; null without a plug-in or when it made none.
    std::shared_ptr<PWImage> outputImage() const;
    bool isSelected() const;
    // The chosen crop rectangle, normalised and inside the edited image.
    QRectF getSelectedRect() const;
    void setSelectedRect(const QRectF &rect);

    // The plug-in, looked for again at each call until one is found and kept.
    ICoreImageFilter *createCIFPlugInInstance();
    // Where the plug-in is looked for when the setting names none (the machine's folder, then
    // the application's, unless replaced).
    void setDefaultPlugInPaths(const QStringList &paths) { m_defaultPlugInPaths = paths; }
    // A filter the caller owns, used instead of looking for a plug-in; null looks again.
    void setFilter(ICoreImageFilter *filter) { m_filter = filter; }

    CCImageEditorView *pictureView() const;
    QScrollArea *scrollView() const;
    QSlider *scaleSlider() const;

public Q_SLOTS:
    // Set (non-zero tag) accepts, Cancel (zero) does not.
    void onCloseEditor(int tag);
    void onScaleSlider();
    void zoomIn();
    void zoomOut();
    // The canvas changed its own scale: the slider follows.
    void scrollWheelDidChange();

    // Every way out of the window (Set, Cancel, Escape, closing) keeps its frame for the next run.
    void done(int result) override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void setSliderFromScale(double scale);
    bool runFilter(ICoreImageFilter &filter, bool useSelection, const QRectF &rect, const QSizeF &sourceSize);

    std::unique_ptr<Ui::ImageEditor> m_ui;
    std::shared_ptr<PWImage> m_picture;
    QSizeF m_pictureSize;
    std::unique_ptr<CCImageFilterPlugIn> m_plugIn;
    ICoreImageFilter *m_filter = nullptr;
    // Whether the last opening went to the plug-in.
    bool m_filterUsed = false;
    QStringList m_defaultPlugInPaths;
};
