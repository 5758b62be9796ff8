#include "app/canvas/CADocView.h"

#include "app/canvas/CACanvasEdits.h"
#include "app/pictures/CCImageEditorController.h"
#include "kernel/base/FTClassID.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CFTPicture.h"
#include "platform/PWImage.h"
#include "platform/PWLog.h"

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcCanvas)

bool CADocView::openImageEditorDialog(CCImageEditorController *editor)
{
    if (!editor)
        editor = CCImageEditorController::sharedImageEditor();
    if (!editor) {
        PWLog::message(lcCanvas(), QStringLiteral("Can't load image editor"));
        return false;
    }
    if (!m_view)
        return false;
    const std::vector<CFTComponent *> selection = m_view->getSelComponents();
    if (selection.empty() || selection.front()->getType() != 3 || selection.front()->getClassID() != ciPicture)
        return false;
    auto *picture = static_cast<CFTPicture *>(selection.front());
    std::shared_ptr<PWImage> image = picture->GetObjectData();
    if (!image)
        return false;
    const QSizeF edited = image->size();
    const QRectF crop(picture->getSrcRectX(), picture->getSrcRectY(), picture->getSrcRectWidth(),
                      picture->getSrcRectHeight());
    endEditText();
    if (!editor->startEditorUseSelectionWithRectSourceSize(image, picture->hasSrcRect(), crop,
                                                          QSizeF(picture->GetSizeX(), picture->GetSizeY())))
        return false;

    std::shared_ptr<PWImage> made = editor->outputImage();
    const bool replaced = made != nullptr;
    // A crop shrinks the frame: where the picture stood before is painted again too.
    invalidateObject(picture);
    CACanvasEdits::Step step(*m_edits, replaced ? QStringLiteral("EDIT_IMAGE") : QStringLiteral("CROP_IMAGE"), true);
    if (replaced)
        m_edits->replaceImageForObject(std::move(made), picture);
    // A selection without an area would crop to nothing: it shows the whole picture instead.
    const QRectF chosen = editor->isSelected() ? editor->getSelectedRect() : QRectF();
    const std::shared_ptr<PWImage> now = picture->GetObjectData();
    if (chosen.width() > 0.0 && chosen.height() > 0.0 && now && edited.width() > 0.0 && edited.height() > 0.0) {
        // The selection was made on the image the editor opened with.
        const double sx = now->size().width() / edited.width();
        const double sy = now->size().height() / edited.height();
        m_edits->setSourceRectIsClearForObject(
            QRectF(chosen.x() * sx, chosen.y() * sy, chosen.width() * sx, chosen.height() * sy), false, picture);
    } else {
        m_edits->setSourceRectIsClearForObject(QRectF(), true, picture);
    }
    invalidateObject(picture);
    return true;
}
