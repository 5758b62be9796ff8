#include "app/canvas/CACanvasPictures.h"

#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CACanvasFormat.h"
#include "app/canvas/CADocView.h"
#include "app/pictures/CCPictImageResolver.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWImage.h"

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcCanvas)

namespace CACanvasPictures {

placingMode convertTagToMode(int tag)
{
    switch (tag) {
    case 0:
        return placingMode(3);
    case 1:
        return placingMode(2);
    default:
        return placingMode(1);
    }
}

bool isInternetImage(const QString &name)
{
    return name.startsWith(QStringLiteral("PREFIX_URL"));
}

std::shared_ptr<PWImage> imageForBrowserCell(const QString &name, const std::shared_ptr<PWImage> &cellImage)
{
    if (name.isEmpty())
        return nullptr;
    if (name.startsWith(CCPictImageResolver::kFullSizePrefix) || isInternetImage(name))
        return cellImage;
    if (std::shared_ptr<PWImage> full = CAEnvironment::loadFullSizedImage(name))
        return full;
    return PWImage::imageNamed(name);
}

std::shared_ptr<PWImage> imageForPhotoFile(const QString &path)
{
    if (path.isEmpty())
        return nullptr;
    const QString name = CCPictImageResolver::kFilePrefix + path;
    if (std::shared_ptr<PWImage> known = PWImage::imageNamed(name))
        return known;
    QString error;
    std::shared_ptr<PWImage> image = PWImage::fromFile(path, &error);
    if (!image) {
        qCWarning(lcCanvas).noquote() << "Picture refused:" << error;
        return nullptr;
    }
    image->setName(name);
    return image;
}

namespace {

bool replaceOrInsert(CADocView &canvas, std::shared_ptr<PWImage> image)
{
    CFTAView *view = canvas.ftView();
    const CFTADocument *design = canvas.document() ? canvas.document()->ftDocument() : nullptr;
    if (!view || !design || !image)
        return false;
    // A replaced picture says where it came from as much as an inserted one does.
    Q_EMIT canvas.internetPictureChanged(isInternetImage(image->name()));
    CACanvasEdits &edits = canvas.edits();
    std::vector<CFTComponent *> takers = view->getSelComponents();
    std::erase_if(takers, [](CFTComponent *component) { return !component->canSetImage(); });
    if (!takers.empty()) {
        CACanvasEdits::Step step(edits, QStringLiteral("CHANGE_IMAGE"), true);
        for (CFTComponent *component : takers)
            edits.replaceImageForObject(image, component);
        return true;
    }
    CACanvasEdits::Step step(edits, QStringLiteral("INSERT_OBJECT"));
    return edits.insertImageAtPoint(std::move(image), QPointF(design->getDocumentSizeX(0) / 2.0,
                                                              design->getDocumentSizeY(0) / 2.0))
        != nullptr;
}

} // namespace

bool replaceImage(CADocView &canvas, std::shared_ptr<PWImage> image)
{
    if (!image || !canvas.ftView())
        return false;
    return replaceOrInsert(canvas, std::move(image));
}

bool replaceImageFromFile(CADocView &canvas, const QString &path)
{
    if (path.isEmpty())
        return false;
    QString error;
    std::shared_ptr<PWImage> image = PWImage::fromFile(path, &error);
    if (!image) {
        qCWarning(lcCanvas).noquote() << "Picture refused:" << error;
        return false;
    }
    return replaceOrInsert(canvas, std::move(image));
}

void changeBackground(CADocView &canvas, std::shared_ptr<PWImage> image, int placingTag)
{
    CFTAView *view = canvas.ftView();
    if (!view || !image)
        return;
    CACanvasEdits &edits = canvas.edits();
    // The background and its placing are one step.
    CACanvasEdits::Step step(edits, QStringLiteral("SET_BACKGROUND"));
    edits.setBackground(std::move(image));
    CFTComponent *background = view->getBackground();
    if (!background)
        return;
    canvas.format().setToolMode(toolBackground);
    canvas.notifySelectionChanged();
    edits.setDataPlacingForObject(convertTagToMode(placingTag), background);
}

int convertModeToTag(placingMode mode)
{
    switch (mode) {
    case pmStretched2:
        return 1;
    case pmTiled:
        return 2;
    default:
        return 0;
    }
}

bool insertBackgroundFromFile(CADocView &canvas, const QString &path)
{
    CFTAView *view = canvas.ftView();
    if (!view || path.isEmpty())
        return false;
    QString error;
    std::shared_ptr<PWImage> image = PWImage::fromFile(path, &error);
    if (!image) {
        qCWarning(lcCanvas).noquote() << "Background refused:" << error;
        return false;
    }
    CFTComponent *previous = view->getBackground();
    changeBackground(canvas, std::move(image), previous ? convertModeToTag(previous->GetDataPlacing()) : 0);
    return view->getBackground() != previous;
}

void setBackPlacing(CADocView &canvas, int tag)
{
    CFTAView *view = canvas.ftView();
    CFTComponent *background = view ? view->getBackground() : nullptr;
    if (!background)
        return;
    CACanvasEdits &edits = canvas.edits();
    CACanvasEdits::Step step(edits, QStringLiteral("CHANGE_IMAGEPLACING"), true);
    edits.setDataPlacingForObject(convertTagToMode(tag), background);
}

void tileImage(CADocView &canvas)
{
    CFTAView *view = canvas.ftView();
    if (!view)
        return;
    const std::vector<CFTComponent *> selection = view->getSelComponents();
    if (selection.empty())
        return;
    // The whole selection follows the first object.
    const bool tile = int(selection.front()->GetDataPlacing()) != 1;
    {
        CACanvasEdits &edits = canvas.edits();
        CACanvasEdits::Step step(edits, QStringLiteral("SET_TILE"), true);
        for (CFTComponent *component : selection)
            edits.setTileForObject(tile, component);
    }
    canvas.notifySelectionChanged();
}

} // namespace CACanvasPictures
