#pragma once

#include "app/printing/CALayoutController.h"

#include <QImage>

class QLabel;

// The chooser with a picture of the selected template beside the lists, and the clearing of the
// recent list. The picture holds a share of its template, so deleting a custom template while it
// is shown leaves a valid picture behind.
class CALayoutControllerWithPreview : public CALayoutController
{
    Q_OBJECT
public:
    explicit CALayoutControllerWithPreview(QObject *parent = nullptr);

    void bindControls(QWidget *root);

    // The template last selected in any list; null when the list that changed has no selection.
    const TemplatePtr &previewedFormat() const { return m_format; }
    // The picture shown.
    QImage previewImage() const { return m_image; }

    // The window check box was clicked: the envelope is drawn again with or without its window.
    void enableWindow();
    // Empties the kind's recent list and stores that at once.
    void clearRecents();
    void drawPreview();

protected:
    void tableViewSelectionDidChange(Table table) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    QPointer<QLabel> _imageView;

private:
    // The label as the event filter compares it, which stays a plain address while the label is
    // being destroyed.
    const QObject *m_watchedImageView = nullptr;
    TemplatePtr m_format;
    QImage m_image;
};
