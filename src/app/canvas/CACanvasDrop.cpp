#include "app/canvas/CACanvasDrop.h"

#include "app/canvas/CACanvasAddressCommands.h"
#include "app/canvas/CACanvasAddressEdits.h"
#include "app/canvas/CACanvasCards.h"
#include "app/canvas/CACanvasClipboard.h"
#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CADocView.h"
#include "kernel/base/CDDColor.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTAView.h"
#include "platform/PWPasteboardTypes.h"
#include "platform/PWPerson.h"
#include "platform/PWUndoManager.h"

#include <QColor>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMimeData>

#include <cmath>

Q_DECLARE_LOGGING_CATEGORY(lcCanvas)

namespace {

using namespace PWPasteboardTypes;

// The kinds a dropped colour reaches (getType): separator, picture, text.
constexpr int kSeparatorKind = 2;
constexpr int kPictureKind = 3;
constexpr int kTextKind = 4;

bool offers(const QMimeData &data, const char *name)
{
    return data.hasFormat(mimeTypeOf(name));
}

// One undo group for the whole drop, named once the drop knows what it did.
class DropStep
{
public:
    explicit DropStep(PWUndoManager *undo)
        : m_undo(undo)
    {
        if (m_undo)
            m_undo->beginUndoGrouping();
    }
    ~DropStep()
    {
        if (!m_undo)
            return;
        if (!m_name.isEmpty())
            m_undo->setActionName(m_name);
        m_undo->endUndoGrouping();
    }
    DropStep(const DropStep &) = delete;
    DropStep &operator=(const DropStep &) = delete;
    void name(const QString &key) { m_name = key; }

private:
    PWUndoManager *m_undo;
    QString m_name;
};

const QString kInsertObject = QStringLiteral("INSERT_OBJECT");
const QString kChangePerson = QStringLiteral("CHANGE_PERSON");

} // namespace

CACanvasDrop::CACanvasDrop(CADocView &canvas)
    : m_canvas(canvas)
{
}

std::optional<QPointF> CACanvasDrop::dragStart(const QMimeData &data)
{
    if (!offers(data, kDragAndDropStartX) || !offers(data, kDragAndDropStartY))
        return std::nullopt;
    bool xOk = false;
    bool yOk = false;
    const double x = QString::fromLatin1(data.data(mimeTypeOf(kDragAndDropStartX)).left(64)).toDouble(&xOk);
    const double y = QString::fromLatin1(data.data(mimeTypeOf(kDragAndDropStartY)).left(64)).toDouble(&yOk);
    if (!xOk || !yOk)
        return std::nullopt;
    return QPointF(x, y);
}

std::optional<QRectF> CACanvasDrop::dragImageFrame(const QMimeData &data)
{
    if (!offers(data, kDragImageFrame))
        return std::nullopt;
    // Four numbers and their spaces: anything longer is no frame.
    constexpr qsizetype kLongest = 256;
    const QByteArray text = data.data(mimeTypeOf(kDragImageFrame));
    if (text.size() > kLongest)
        return std::nullopt;
    const QList<QByteArray> parts = text.simplified().split(' ');
    if (parts.size() != 4)
        return std::nullopt;
    double values[4] = {};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = QString::fromLatin1(parts[i]).toDouble(&ok);
        // A picture hangs near its pointer: a frame far off is no drag's.
        constexpr double kFarthest = 1.0e5;
        if (!ok || !std::isfinite(values[i]) || std::fabs(values[i]) > kFarthest)
            return std::nullopt;
    }
    if (values[2] < 0 || values[3] < 0)
        return std::nullopt;
    return QRectF(values[0], values[1], values[2], values[3]);
}

bool CACanvasDrop::isVCardFile(const QString &path)
{
    return QFileInfo(path).suffix().compare(u"vcf", Qt::CaseInsensitive) == 0;
}

CFTComponent *CACanvasDrop::objectAt(const QPointF &point) const
{
    const CFTAView *view = m_canvas.ftView();
    if (!view)
        return nullptr;
    bool selected = false;
    actionType action{};
    return view->PickObject(point.x(), point.y(), selected, action, 0);
}

bool CACanvasDrop::namesOnlyRemoteFiles(const QMimeData &data)
{
    return CACanvasClipboard::fileNames(data).isEmpty() && !CACanvasClipboard::remoteUrls(data).isEmpty();
}

Qt::DropAction CACanvasDrop::dragOperation(const QMimeData &data, const QPointF &point) const
{
    if (!m_canvas.ftView() || namesOnlyRemoteFiles(data))
        return Qt::IgnoreAction;
    if (offers(data, kVCard))
        return Qt::CopyAction;
    if (offers(data, kColor)) {
        if (objectAt(point))
            return Qt::LinkAction;
    } else if (data.hasUrls()) {
        return Qt::CopyAction;
    }
    if (CACanvasClipboard::hasImage(data) || CACanvasClipboard::hasText(data)
        || !CACanvasClipboard::designMimeType(data).isEmpty() || offers(data, kNamedImage))
        return Qt::CopyAction;
    return Qt::IgnoreAction;
}

bool CACanvasDrop::changePerson(const std::shared_ptr<PWPerson> &person, CACanvasCards &cards) const
{
    if (!person)
        return false;
    cards.used();
    // A contact needs an address to go to: a design without one gets a recipient panel first.
    if (!m_canvas.edits().isAddressPanelToFromActive())
        m_canvas.addressCommands().addressPanel(true);
    m_canvas.addressEdits().setCurrentPerson(person, m_canvas.activeToFrom());
    m_canvas.viewport()->update();
    return true;
}

bool CACanvasDrop::dropColor(const QMimeData &data, const QPointF &point)
{
    CFTComponent *object = objectAt(point);
    const QColor color = qvariant_cast<QColor>(data.colorData());
    if (!object || !color.isValid())
        return false;
    const CDDColor value(float(color.redF()), float(color.greenF()), float(color.blueF()), float(color.alphaF()));
    CACanvasEdits &edits = m_canvas.edits();
    switch (object->getType()) {
    case kTextKind:
    case kSeparatorKind:
        edits.setForeColorForObject(value, object);
        return true;
    case kPictureKind:
        edits.setBackColorForObject(value, object);
        return true;
    default:
        // Shapes, address panels, address texts and barcodes keep their colours.
        return false;
    }
}

void CACanvasDrop::tell(const CACanvasCards &cards) const
{
    if (const QString line = cards.line(); !line.isEmpty())
        Q_EMIT m_canvas.userNotice(line);
}

bool CACanvasDrop::drop(const QMimeData &data, const QPointF &point, const std::optional<QPointF> &start)
{
    CACanvasCards cards;
    const bool changed = dropInOneStep(data, point, start, cards);
    // Said once the drop's step is closed: the line stands for the whole drop.
    tell(cards);
    return changed;
}

bool CACanvasDrop::dropInOneStep(const QMimeData &data, const QPointF &point, const std::optional<QPointF> &start,
                                 CACanvasCards &cards)
{
    if (!m_canvas.ftView())
        return false;
    // A drop never waits on the network, and whatever else a browser's drag carries (the address
    // as text, a rendering) is not what the user pointed at.
    if (namesOnlyRemoteFiles(data)) {
        qCWarning(lcCanvas).noquote() << "Drop refused:" << CACanvasClipboard::remoteUrls(data).first().toDisplayString()
                                      << "is not a local file";
        return false;
    }
    CACanvasClipboard &builders = m_canvas.clipboard();
    DropStep step(m_canvas.edits().undoManager());

    // Without word of the picture, it hung from the pointer by its top left. Its frame is told
    // in screen pixels about the pointer: in design points it is that over the canvas's scale.
    const QRectF shown = dragImageFrame(data).value_or(QRectF());
    const double scale = m_canvas.scale() > 0 ? m_canvas.scale() : 1.0;
    const QRectF picture(shown.topLeft() / scale, shown.size() / scale);
    if (const QString design = CACanvasClipboard::designMimeType(data); !design.isEmpty()) {
        // Back where the objects were grabbed, moved by the way the mouse went; without a start
        // (items of the design window and shapes, which stand at the origin), their origin goes
        // to the top left of the picture that was dragged.
        const QPointF offset = start ? point - *start : point + picture.topLeft();
        const bool inserted = builders.makeNewObjectsWithData(data.data(design), offset);
        if (inserted)
            step.name(kInsertObject);
        return inserted;
    }
    const QStringList files = CACanvasClipboard::fileNames(data);
    const QList<QUrl> urls = CACanvasClipboard::remoteUrls(data);
    const bool hasUrls = !files.isEmpty() || !urls.isEmpty();
    const bool hasColor = offers(data, kColor);
    const bool hasVCard = offers(data, kVCard);
    bool changed = false;
    if (hasUrls && offers(data, kTIFF)) {
        changed = builders.makeNewImageFromPasteboard(data, point);
    } else if (hasVCard) {
        // Contacts programs offer the card as text too, and file managers the file's address:
        // what the drag carries comes before the words for it.
        if (changePerson(cards.read(data.data(mimeTypeOf(kVCard))), cards)) {
            step.name(kChangePerson);
            return true;
        }
        return false;
    } else if (!files.isEmpty()) {
        for (const QString &path : files)
            changed |= isVCardFile(path) ? changePerson(cards.readFile(path), cards)
                                         : builders.makeNewImageFromContentsOfFile(path, point);
    } else if (CACanvasClipboard::hasText(data)) {
        // The text's first line stands on the bottom edge of the dragged picture.
        changed = builders.makeNewTextFromPasteboard(data, point + picture.bottomLeft());
    } else if (!hasColor && !hasUrls) {
        changed = builders.makeNewImageFromPasteboard(data, point);
    } else if (hasColor) {
        // The colour primitives name no step of their own here.
        return dropColor(data, point);
    } else {
        changed = builders.makeNewImageFromURL(urls.first(), point);
    }
    if (changed)
        step.name(kInsertObject);
    return changed;
}
