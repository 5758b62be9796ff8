// The structural edits: objects in and out of the shown side, their order, exchanges, the
// separate barcode, pictures, backgrounds and basic shapes.
#include "app/canvas/CACanvasEdits.h"

#include "app/canvas/CACanvasPictures.h"
#include "app/canvas/CACanvasSelection.h"
#include "app/canvas/CADocView.h"
#include "kernel/base/FTClassID.h"
#include "kernel/base/FTUtilities.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/drawing/CFTExtPicture.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWImage.h"
#include "platform/PWUserDefaults.h"

#include <QFileDialog>
#include <QImageReader>
#include <QLoggingCategory>

#include <algorithm>
#include <cmath>

Q_DECLARE_LOGGING_CATEGORY(lcCanvas)

int CACanvasEdits::indexOf(const CFTComponent *component) const
{
    const CFTAView *editing = view();
    if (!editing)
        return -1;
    const std::vector<CFTComponent *> &list = editing->GetCurrentComponents();
    const auto found = std::find(list.begin(), list.end(), component);
    return found == list.end() ? -1 : int(found - list.begin());
}

void CACanvasEdits::moveToIndex(CFTComponent *component, int index)
{
    CFTADocument *doc = design();
    CFTAView *editing = view();
    if (!doc || !editing)
        return;
    std::vector<CFTComponent *> *list = doc->GetComponentsPtr(editing->getCurrentSide(), false);
    const int current = indexOf(component);
    if (!list || current < 0 || index < 0 || index >= int(list->size()) || index == current)
        return;
    registerInverse([this, component, current] { moveToIndex(component, current); });
    list->erase(list->begin() + current);
    list->insert(list->begin() + index, component);
    changed(component, false);
}

// --- In and out ---------------------------------------------------------------------------------

void CACanvasEdits::insertObjectSelect(CFTComponent *component, bool select)
{
    CFTAView *editing = view();
    if (!component || !editing)
        return;
    registerInverse([this, component] { deleteObjectDeselect(component, true); });
    editing->InsertComponent(component, select);
    changed(component, true);
    // Address panels, address texts and barcodes announce their own kind.
    if (const int kind = component->getType(); kind == ctAddressPanel || kind == ctAddressText || kind == ctBarcode)
        m_canvas.classSelectionChanged(kind);
}

void CACanvasEdits::deleteObjectDeselect(CFTComponent *component, bool deselect)
{
    CFTAView *editing = view();
    const int index = indexOf(component);
    if (!component || !editing || index < 0)
        return;
    const bool wasSelected = editing->isSelected(component);
    // Back where it stood: an insert alone would put it in front of everything.
    registerInverse([this, component, wasSelected, index] {
        insertObjectSelect(component, wasSelected);
        CFTADocument *doc = design();
        CFTAView *current = view();
        const int now = indexOf(component);
        std::vector<CFTComponent *> *list = doc && current ? doc->GetComponentsPtr(current->getCurrentSide(), false)
                                                           : nullptr;
        if (list && now >= 0 && index < int(list->size()) && now != index) {
            list->erase(list->begin() + now);
            list->insert(list->begin() + index, component);
        }
    });
    component->onDelete();
    if (component->isEditing())
        m_canvas.endEditText();
    m_canvas.invalidateObject(component);
    editing->DeleteComponent(component, deselect);
    changed(nullptr, true);
}

// --- Order --------------------------------------------------------------------------------------

#define PW_ORDER_PRIMITIVE(Method, Operation)                                                                       \
    void CACanvasEdits::Method(CFTComponent *component)                                                             \
    {                                                                                                               \
        CFTAView *editing = view();                                                                                 \
        const int before = indexOf(component);                                                                      \
        if (!editing || before < 0)                                                                                 \
            return;                                                                                                 \
        /* The place it had, not the opposite end: undo restores exactly, and redo repeats exactly. */             \
        if (!editing->Operation(component))                                                                         \
            return;                                                                                                 \
        registerInverse([this, component, before] { moveToIndex(component, before); });                           \
        changed(component, false);                                                                                  \
    }

PW_ORDER_PRIMITIVE(sendToBack, SendToBack)
PW_ORDER_PRIMITIVE(sendToFront, SendToFront)
PW_ORDER_PRIMITIVE(stepToBack, StepToBack)
PW_ORDER_PRIMITIVE(stepToFront, StepToFront)

#undef PW_ORDER_PRIMITIVE

// --- Exchange -----------------------------------------------------------------------------------

void CACanvasEdits::exchangeObjectOnObjectSideIsBack(CFTComponent *oldComponent, CFTComponent *newComponent,
                                                     int sideIndex, bool back)
{
    CFTAView *editing = view();
    const int index = indexOf(oldComponent);
    if (!editing || !newComponent || index < 0)
        return;
    registerInverse([this, oldComponent, newComponent, sideIndex, back] {
        exchangeObjectOnObjectSideIsBack(newComponent, oldComponent, sideIndex, back);
    });
    m_canvas.invalidateObject(oldComponent);
    editing->DeleteComponent(oldComponent, true);
    editing->InsertComponent(newComponent, false);
    // The replacement takes the replaced object's place in the stack.
    if (CFTADocument *doc = design()) {
        std::vector<CFTComponent *> *list = doc->GetComponentsPtr(editing->getCurrentSide(), false);
        const int now = indexOf(newComponent);
        if (list && now >= 0 && now != index && index < int(list->size())) {
            list->erase(list->begin() + now);
            list->insert(list->begin() + index, newComponent);
        }
    }
    changed(newComponent, false);
}

// --- Barcode ------------------------------------------------------------------------------------

void CACanvasEdits::setBarcodeLocation(int location)
{
    CFTADocument *doc = design();
    if (!doc)
        return;
    const int old = doc->getBarcodeLocation();
    registerInverse([this, old] { setBarcodeLocation(old); });
    doc->setBarcodeLocation(location);
    changed(const_cast<CFTComponent *>(doc->barcode()), true);
}

CFTComponent *CACanvasEdits::separateBarcode() const
{
    const CFTAView *editing = view();
    if (!editing)
        return nullptr;
    for (CFTComponent *component : editing->GetCurrentComponents()) {
        if (component->getClassID() == ciBarcode)
            return component;
    }
    return nullptr;
}

void CACanvasEdits::showBarcode(bool show)
{
    CFTAView *editing = view();
    if (!editing)
        return;
    // The flag decides: showing adds the barcode of its own, hiding takes it away; the insert and
    // delete primitives register the way back to what was there.
    if (!show) {
        while (CFTComponent *barcode = separateBarcode())
            deleteObjectDeselect(barcode, true);
        return;
    }
    if (separateBarcode())
        return;
    if (CFTComponent *made = editing->CreateBarcodeWithMousePos())
        insertObjectSelect(made, false);
}

// --- Pictures -----------------------------------------------------------------------------------

QSizeF CACanvasEdits::prepareImageSize(const QSizeF &natural) const
{
    const CFTADocument *doc = design();
    if (!doc)
        return natural;
    return CACanvasSelection::prepareImageSize(natural, QSizeF(doc->getDocumentSizeX(0), doc->getDocumentSizeY(0)));
}

QSizeF CACanvasEdits::prepareShapeSize(int kind) const
{
    const CFTADocument *doc = design();
    const double side = doc ? doc->getDocumentSizeY(0) / 3.0 : 0.0;
    return QSizeF(kind == 23 ? side + side / 3.0 : side, side);
}

namespace {

void logImageName(const QString &name)
{
    if (name.isEmpty() || !PWUserDefaults::standardUserDefaults().boolForKey(QStringLiteral("FTShowImageName")))
        return;
    const QString prefix = QStringLiteral("FULLSIZE_");
    qCInfo(lcCanvas).noquote() << (name.startsWith(prefix) ? name.mid(prefix.size()) : name);
}

} // namespace

CFTComponent *CACanvasEdits::insertImageAtPoint(std::shared_ptr<PWImage> image, const QPointF &point)
{
    // Whatever brings the picture in, the internet strip follows it: shown for one found on the
    // internet, hidden for any other, so that it never speaks of a picture no longer chosen.
    const QString name = image ? image->name() : QString();
    Q_EMIT m_canvas.internetPictureChanged(CACanvasPictures::isInternetImage(name));
    CFTAView *editing = view();
    if (!image || !editing || !document())
        return nullptr;
    std::unique_ptr<CFTComponent> made = CFTAView::CreatePicture(CDDPicture(image));
    if (!made)
        return nullptr;
    const CDDPicture picture(image);
    const QSizeF size = prepareImageSize(QSizeF(picture.getImageSizeX(), picture.getImageSizeY()));
    made->SetOrigin(point.x() - size.width() / 2.0, point.y() - size.height() / 2.0);
    made->SetSize(size.width(), size.height());
    editing->deselectAll();
    CFTComponent *inserted = made.release();
    insertObjectSelect(inserted, true);
    logImageName(name);
    return inserted;
}

void CACanvasEdits::setBackgroundComponent(CFTExtPicture *background)
{
    CFTADocument *doc = design();
    CFTAView *editing = view();
    if (!doc || !editing)
        return;
    const int sideIndex = editing->getCurrentSide();
    CFTExtPicture *previous = doc->getBackground(sideIndex);
    if (previous == background)
        return;
    registerInverse([this, previous] { setBackgroundComponent(previous); });
    // The one it replaces waits in the document's pool for the undo.
    doc->setBackground(background, sideIndex);
    m_canvas.viewport()->update();
    Q_EMIT m_canvas.designEdited();
}

void CACanvasEdits::setBackground(std::shared_ptr<PWImage> image)
{
    CFTAView *editing = view();
    if (!image || !editing)
        return;
    std::unique_ptr<CFTComponent> made = editing->CreateBackground(CDDPicture(std::move(image)));
    if (!made || made->getClassID() != ciBackgroundPicture)
        return;
    Step step(*this, QStringLiteral("SET_BACKGROUND"));
    // The document's lists own what they hold.
    setBackgroundComponent(static_cast<CFTExtPicture *>(made.release()));
}

void CACanvasEdits::removeBackground()
{
    Step step(*this, QStringLiteral("REMOVE_BACKGROUND"));
    setBackgroundComponent(nullptr);
}

QString CACanvasEdits::imageFileFilter()
{
    QStringList patterns;
    for (const QByteArray &format : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.") + QString::fromLatin1(format);
    patterns << QStringLiteral("*.pdf") << QStringLiteral("*.eps");
    patterns.removeDuplicates();
    return QFileDialog::tr("Images (%1)").arg(patterns.join(QLatin1Char(' ')));
}

void CACanvasEdits::insertImage()
{
    const QString path = QFileDialog::getOpenFileName(&m_canvas, QString(), QString(), imageFileFilter());
    const CFTADocument *doc = design();
    if (path.isEmpty() || !doc)
        return;
    std::shared_ptr<PWImage> image = PWImage::fromFile(path);
    if (!image)
        return;
    Step step(*this, QStringLiteral("INSERT_OBJECT"));
    insertImageAtPoint(std::move(image), QPointF(doc->getDocumentSizeX(0) / 2.0, doc->getDocumentSizeY(0) / 2.0));
}

// --- Basic shapes -------------------------------------------------------------------------------

void CACanvasEdits::replaceBasicShapeForObject(compType kind, CFTComponent *component)
{
    if (!component)
        return;
    // Change nothing now, but put both back should the new kind change them.
    setSideCountForObject(component->GetSideCount(), component);
    setCurveRadiusForObject(component->GetCurveRadius(), component);
    const compType old = component->getType();
    registerInverse([this, old, component] { replaceBasicShapeForObject(old, component); });
    m_canvas.invalidateObject(component);
    component->setType(kind);
    changed(component, true);
}

CFTComponent *CACanvasEdits::insertBasicShapeAtPoint(compType kind, const QPointF &point)
{
    CFTAView *editing = view();
    if (!editing || !design())
        return nullptr;
    auto *shape = new CFTBoxField(editing->defBox());
    shape->setType(kind);
    const QSizeF size = prepareShapeSize(kind);
    shape->SetOrigin(point.x() - size.width() / 2.0, point.y() - size.height() / 2.0);
    shape->SetSize(size.width(), size.height());
    editing->deselectAll();
    insertObjectSelect(shape, true);
    return shape;
}

void CACanvasEdits::replaceBasicShape(const QString &shapeName)
{
    CFTAView *editing = view();
    const CFTADocument *doc = design();
    if (shapeName.isEmpty() || !editing || !doc)
        return;
    const compType kind = componentTypeByFileName(shapeName);
    bool replaced = false;
    if (!editing->getSelComponents().empty()) {
        Step step(*this, QStringLiteral("CHANGE_IMAGE"), true);
        const std::vector<CFTComponent *> selection = editing->getSelComponents();
        for (CFTComponent *component : selection) {
            if (component->canSetShape()) {
                replaceBasicShapeForObject(kind, component);
                replaced = true;
            }
        }
    }
    if (replaced)
        return;
    Step step(*this, QStringLiteral("INSERT_OBJECT"));
    insertBasicShapeAtPoint(kind, QPointF(doc->getDocumentSizeX(0) / 2.0, doc->getDocumentSizeY(0) / 2.0));
}
