#include "app/canvas/CACanvasClipboard.h"

#include "app/canvas/CACanvasAddressEdits.h"
#include "app/canvas/CACanvasCards.h"
#include "app/canvas/CACanvasDragOut.h"
#include "app/canvas/CACanvasDrop.h"
#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CACanvasGeometry.h"
#include "app/canvas/CADocView.h"
#include "app/pictures/CCInternetPictureLoad.h"
#include "app/pictures/CCPictImageResolver.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/FTClassID.h"
#include "kernel/component/FTComponentFactory.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWFileReader.h"
#include "platform/PWImage.h"
#include "platform/PWPasteboardTypes.h"
#include "platform/PWPerson.h"
#include "platform/PWPlist.h"
#include "platform/PWRtfReader.h"
#include "platform/PWRtfd.h"
#include "platform/PWUndoManager.h"

#include <QClipboard>
#include <QImage>
#include <QImageReader>
#include <QLoggingCategory>
#include <QMimeData>

#include <algorithm>

Q_DECLARE_LOGGING_CATEGORY(lcCanvas)

namespace {

using namespace PWPasteboardTypes;

// The bundle version objects made in this session carry.
constexpr int kNewObjectBundle = FTComponentFactory::kLastOldBundleVersion + 1;
// A picture's name is a file name, never a text of any length.
constexpr qsizetype kImageNameLimit = 4096;

bool refuse(const QString &what)
{
    qCWarning(lcCanvas).noquote() << what;
    return false;
}

// The picture types the canvas reads, in the order it prefers them.
QStringList imageMimeTypes(const QMimeData &data)
{
    QStringList types;
    for (const char *name : {kTIFF, kPNG})
        if (data.hasFormat(mimeTypeOf(name)))
            types.append(mimeTypeOf(name));
    const QList<QByteArray> readable = QImageReader::supportedMimeTypes();
    for (const QString &format : data.formats()) {
        if (!types.contains(format) && format.startsWith(u"image/") && readable.contains(format.toLatin1()))
            types.append(format);
    }
    if (data.hasFormat(mimeTypeOf(kPDF)))
        types.append(mimeTypeOf(kPDF));
    return types;
}

} // namespace

CACanvasClipboard::~CACanvasClipboard() = default;

CACanvasClipboard::CACanvasClipboard(CADocView &canvas)
    : m_canvas(canvas)
{
}

CACanvasEdits &CACanvasClipboard::edits() const
{
    return m_canvas.edits();
}

QPointF CACanvasClipboard::pageCentre() const
{
    const CFTADocument *design = edits().design();
    return design ? QPointF(design->getDocumentSizeX(0) / 2.0, design->getDocumentSizeY(0) / 2.0) : QPointF();
}

// --- What the data offers -------------------------------------------------------------------------

QString CACanvasClipboard::designMimeType(const QMimeData &data)
{
    for (const char *name : {kProductDocument, kAddressDocument})
        if (data.hasFormat(mimeTypeOf(name)))
            return mimeTypeOf(name);
    return QString();
}

bool CACanvasClipboard::hasImage(const QMimeData &data)
{
    return !imageMimeTypes(data).isEmpty();
}

bool CACanvasClipboard::hasText(const QMimeData &data)
{
    for (const char *name : {kRTFD, kRTF, kString})
        if (data.hasFormat(mimeTypeOf(name)))
            return true;
    return false;
}

QStringList CACanvasClipboard::fileNames(const QMimeData &data)
{
    QStringList files;
    if (!data.hasUrls())
        return files;
    for (const QUrl &url : data.urls())
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    return files;
}

QList<QUrl> CACanvasClipboard::remoteUrls(const QMimeData &data)
{
    QList<QUrl> urls;
    if (!data.hasUrls())
        return urls;
    for (const QUrl &url : data.urls())
        if (url.isValid() && !url.isLocalFile())
            urls.append(url);
    return urls;
}

// --- Copy, cut, paste, duplicate ------------------------------------------------------------------

std::unique_ptr<QMimeData> CACanvasClipboard::copyData() const
{
    const CFTAView *view = edits().view();
    const CADocument *document = edits().document();
    if (!view || !document)
        return nullptr;
    const std::vector<CFTComponent *> selection = view->getSelComponentsWithDocZOrder();
    if (selection.empty())
        return nullptr;
    // The drag's data less where a drag started: a paste places by its own offset.
    std::unique_ptr<QMimeData> data = CACanvasDragOut::mimeDataForComponents(*document, selection, QPointF());
    data->removeFormat(mimeTypeOf(kDragAndDropStartX));
    data->removeFormat(mimeTypeOf(kDragAndDropStartY));
    return data;
}

bool CACanvasClipboard::copy(QClipboard *clipboard)
{
    std::unique_ptr<QMimeData> data = copyData();
    if (!data || !clipboard)
        return false;
    clipboard->setMimeData(data.release());
    m_pasteDelta = kPasteStep;
    return true;
}

void CACanvasClipboard::cut(QClipboard *clipboard)
{
    if (!copy(clipboard))
        return;
    // The delete's own step folds into this one, which closes last and so names it.
    CACanvasEdits::Step step(edits(), QStringLiteral("CUT_OBJECT"));
    edits().deleteSelection();
}

bool CACanvasClipboard::paste(const QMimeData *data)
{
    if (!data || !edits().view())
        return false;
    if (const std::optional<bool> changed = pastePerson(*data))
        return *changed;
    const QPointF centre = pageCentre();
    CACanvasEdits::Step step(edits(), QStringLiteral("PASTE_OBJECT"));

    const QString design = designMimeType(*data);
    if (!design.isEmpty()) {
        if (makeNewObjectsWithData(data->data(design), QPointF(m_pasteDelta, m_pasteDelta))) {
            m_pasteDelta += kPasteStep;
            return true;
        }
    } else if (const QStringList files = fileNames(*data); !files.isEmpty()) {
        // Every picture at the same point; a picture inserted this way ends the paste, so that the
        // same picture offered again as picture data is not inserted a second time. A card among
        // them is the recipient, as when it is dropped.
        bool inserted = false;
        CACanvasCards cards;
        for (const QString &path : files) {
            if (CACanvasDrop::isVCardFile(path)) {
                if (m_canvas.drops().changePerson(cards.readFile(path), cards)) {
                    inserted = true;
                    step.nameAlways();
                }
            } else {
                inserted |= makeNewImageFromContentsOfFile(path, centre);
            }
        }
        m_pasteDelta = 0.0;
        m_canvas.drops().tell(cards);
        if (inserted)
            return true;
    } else if (const QList<QUrl> urls = remoteUrls(*data); !urls.isEmpty()) {
        m_pasteDelta = 0.0;
        if (makeNewImageFromURL(urls.first(), centre))
            return true;
    } else if (hasText(*data)) {
        m_pasteDelta = 0.0;
        return makeNewTextFromPasteboard(*data, centre);
    }
    m_pasteDelta = 0.0;
    return makeNewImageFromPasteboard(*data, centre);
}

std::optional<bool> CACanvasClipboard::pastePerson(const QMimeData &data)
{
    if (!designMimeType(data).isEmpty())
        return std::nullopt;
    const QStringList files = fileNames(data);
    const bool onlyCards = !files.isEmpty() && std::all_of(files.cbegin(), files.cend(), CACanvasDrop::isVCardFile);
    // A contacts program copies a card as its text too: the card comes first.
    const bool card = files.isEmpty() && data.hasFormat(mimeTypeOf(kVCard));
    if (!onlyCards && !card)
        return std::nullopt;
    CACanvasCards cards;
    bool changed = false;
    {
        CACanvasEdits::Step step(edits(), QStringLiteral("CHANGE_PERSON"));
        m_pasteDelta = 0.0;
        if (card) {
            changed = m_canvas.drops().changePerson(cards.read(data.data(mimeTypeOf(kVCard))), cards);
        } else {
            for (const QString &path : files)
                changed |= m_canvas.drops().changePerson(cards.readFile(path), cards);
        }
        if (changed)
            step.nameAlways();
    }
    m_canvas.drops().tell(cards);
    return changed;
}

void CACanvasClipboard::duplicate()
{
    const CFTAView *view = edits().view();
    const CADocument *document = edits().document();
    if (!view || !document)
        return;
    const std::vector<CFTComponent *> selection = view->getSelComponentsWithDocZOrder();
    if (selection.empty())
        return;
    const auto drawn = [](const CFTComponent *component) {
        double left = 0, top = 0, right = 0, bottom = 0;
        component->GetDrawRect(&left, &top, &right, &bottom, false);
        return QRectF(QPointF(left, top), QPointF(right, bottom)).normalized();
    };
    // The copy lands on the card, also when the selection lies at its right or bottom edge, and
    // never on the place of an object already there (the one copied, an earlier copy).
    QRectF objects;
    QList<QRectF> moving;
    for (const CFTComponent *component : selection) {
        moving << drawn(component);
        objects |= moving.back();
    }
    QList<QRectF> places;
    for (const CFTComponent *component : view->GetCurrentComponents())
        if (component)
            places << drawn(component);
    const auto taken = [&moving, &places](const QPointF &move) {
        constexpr double kSamePlace = 0.01;
        const auto same = [](const QRectF &a, const QRectF &b) {
            return std::abs(a.left() - b.left()) < kSamePlace && std::abs(a.top() - b.top()) < kSamePlace
                   && std::abs(a.right() - b.right()) < kSamePlace && std::abs(a.bottom() - b.bottom()) < kSamePlace;
        };
        for (const QRectF &rect : moving)
            for (const QRectF &place : places)
                if (same(rect.translated(move), place))
                    return true;
        return false;
    };
    const CFTADocument *design = edits().design();
    const int side = view->getCurrentSide();
    const QSizeF card = design ? QSizeF(design->getDocumentSizeX(side), design->getDocumentSizeY(side)) : QSizeF();
    CACanvasEdits::Step step(edits(), QStringLiteral("DUPLICATE_OBJECT"));
    makeNewObjectsWithData(document->documentDataForComponents(&selection),
                           CACanvasGeometry::duplicateOffset(objects, card, kPasteStep, taken));
}

void CACanvasClipboard::capitalizeSelection()
{
    const CFTAView *view = edits().view();
    if (!view)
        return;
    // The kinds capitals reach (getType).
    constexpr int kAddressTextKind = 7;
    const std::vector<CFTComponent *> selection = view->getSelComponents();
    CACanvasAddressEdits &address = m_canvas.addressEdits();
    PWUndoManager *undo = edits().undoManager();
    if (undo)
        undo->beginUndoGrouping();
    QString key;
    for (CFTComponent *component : selection) {
        if (component->getClassID() == ciAddressPanel) {
            auto *panel = static_cast<CFTAAddressPanel *>(component);
            for (unsigned int i = 0; i < panel->addressComponentCount(); ++i) {
                CFTComponent *field = panel->addressComponentAtIndex(i);
                const CDDText *text = field ? field->GetText() : nullptr;
                if (!text || text->isEmpty())
                    continue;
                address.setStringForAddressPanel(text->getString().toUpper(), field->GetTextCategory(), panel, false);
            }
            address.setCapitalizedAddressPanel(true);
            key = QStringLiteral("SET_ADDRESS_UPPERCASE");
        } else if (component->getType() == kAddressTextKind) {
            const CDDText *text = component->GetText();
            if (!text || text->isEmpty())
                continue;
            address.setStringForTextBox(text->getString().toUpper(), component);
            m_canvas.viewport()->update();
            key = QStringLiteral("SET_TEXT_UPPERCASE");
        }
    }
    if (undo) {
        if (!key.isEmpty())
            undo->setActionName(key);
        undo->endUndoGrouping();
    }
}

// --- Builders -------------------------------------------------------------------------------------

bool CACanvasClipboard::makeNewObjectsWithData(const QByteArray &data, const QPointF &offset)
{
    CFTAView *view = edits().view();
    if (!view)
        return false;
    // The one bounded reading of such bytes, the one a design file's components go through.
    QString error;
    bool complete = false;
    std::vector<std::unique_ptr<CFTComponent>> read = CADocument::componentsFromData(data, &error, &complete);
    if (read.empty())
        return refuse(QStringLiteral("Design objects refused: %1").arg(error));
    if (!complete)
        return refuse(QStringLiteral("Design objects refused: some of the objects could not be read"));
    std::vector<CFTComponent *> list;
    list.reserve(read.size());
    for (std::unique_ptr<CFTComponent> &component : read)
        list.push_back(component.release());
    insertComponents(list, offset);
    return true;
}

void CACanvasClipboard::insertComponents(std::vector<CFTComponent *> &made, const QPointF &offset)
{
    CFTAView *view = edits().view();
    CADocument *document = edits().document();
    view->deselectAll();
    bool toFrom = true;
    for (CFTComponent *component : made) {
        component->Move(offset.x(), offset.y(), view);
        toFrom = component->GetToFrom();
        edits().insertObjectSelect(component, true);
        if (component->getClassID() == ciAddressPanel)
            static_cast<CFTAAddressPanel *>(component)->setAuto(false);
        // An empty simple text is there to be typed into.
        CDDText *text = component->GetText();
        if (component->GetTextCategory() == tcSimpleText && text && text->isEmpty()) {
            m_canvas.endEditText();
            view->deselectAll();
            view->select(component);
            m_canvas.startEditText(component);
        }
    }
    if (document) {
        const std::shared_ptr<PWPerson> person = document->currentPerson(toFrom);
        m_canvas.addressEdits().updateAddressFormat(made, person.get(), toFrom);
        if (person)
            document->updateObjectsText(made, *person, toFrom);
    }
    m_canvas.notifySelectionChanged();
}

bool CACanvasClipboard::makeNewImageFromURL(const QUrl &url, const QPointF &point)
{
    if (url.isLocalFile())
        return makeNewImageFromContentsOfFile(url.toLocalFile(), point);
    // A picture from the network comes through the picture browsers, which load it in the
    // background; a paste or drop never waits on one.
    return refuse(QStringLiteral("Picture refused: %1 is not a local file").arg(url.toDisplayString()));
}

bool CACanvasClipboard::makeNewImageFromContentsOfFile(const QString &path, const QPointF &point)
{
    QString error;
    std::shared_ptr<PWImage> image = PWImage::fromFile(path, &error);
    if (!image)
        return refuse(QStringLiteral("Picture refused: %1").arg(error));
    return edits().insertImageAtPoint(std::move(image), point) != nullptr;
}

bool CACanvasClipboard::makeNewImageFromPasteboard(const QMimeData &data, const QPointF &point)
{
    const QString namedType = mimeTypeOf(kNamedImage);
    if (data.hasFormat(namedType)) {
        const QByteArray bytes = data.data(namedType);
        if (bytes.size() > kImageNameLimit)
            return refuse(QStringLiteral("Picture refused: a name of %1 bytes names no picture").arg(bytes.size()));
        const QString name = QString::fromUtf8(bytes).trimmed();
        if (name.startsWith(CCPictImageResolver::kUrlPrefix)) {
            insertInternetPicture(name, point);
            return false;
        }
        std::shared_ptr<PWImage> image = name.isEmpty() ? nullptr : CAEnvironment::loadFullSizedImage(name);
        if (!image && !name.isEmpty())
            image = PWImage::imageNamed(name);
        if (!image)
            return refuse(QStringLiteral("Picture refused: there is no picture named \"%1\"").arg(name));
        return edits().insertImageAtPoint(std::move(image), point) != nullptr;
    }
    for (const QString &type : imageMimeTypes(data)) {
        const QByteArray bytes = data.data(type);
        if (bytes.size() > PWFileReader::kImageLimit) {
            refuse(QStringLiteral("Picture refused: %1 bytes of %2 is more than a picture holds").arg(bytes.size()).arg(type));
            continue;
        }
        QString error;
        std::shared_ptr<PWImage> image = PWImage::fromData(bytes, &error);
        if (!image) {
            refuse(QStringLiteral("Picture refused: the %1 data is no picture (%2)").arg(type, error));
            continue;
        }
        return edits().insertImageAtPoint(std::move(image), point) != nullptr;
    }
    return false;
}

bool CACanvasClipboard::isLoadingInternetPicture() const
{
    return m_internetLoad && m_internetLoad->isRunning();
}

void CACanvasClipboard::insertInternetPicture(const QString &name, const QPointF &point)
{
    std::shared_ptr<PWImage> thumbnail = PWImage::imageNamed(name);
    if (!thumbnail) {
        // Dropped from another window of ours that has the thumbnail: the name is enough.
        QImage blank(1, 1, QImage::Format_ARGB32);
        blank.fill(Qt::transparent);
        thumbnail = PWImage::fromQImage(blank);
        thumbnail->setName(name);
    }
    if (!m_internetLoad) {
        m_internetLoad = std::make_unique<CCInternetPictureLoad>();
        m_internetLoad->setBusyWidget(m_canvas.viewport());
    }
    m_internetLoad->start(std::move(thumbnail), [this, point](std::shared_ptr<PWImage> picture, const QString &error) {
        if (!picture) {
            refuse(QStringLiteral("Picture refused: %1").arg(error));
            return;
        }
        CACanvasEdits::Step step(edits(), QStringLiteral("INSERT_OBJECT"));
        edits().insertImageAtPoint(std::move(picture), point);
    });
}

bool CACanvasClipboard::makeNewTextFromPasteboard(const QMimeData &data, const QPointF &point)
{
    CFTAView *view = edits().view();
    if (!view)
        return false;
    std::optional<PWAttributedString> styled;
    QString plain;
    QString error;
    if (data.hasFormat(mimeTypeOf(kRTFD))) {
        const QByteArray bytes = data.data(mimeTypeOf(kRTFD));
        if (bytes.size() > PWRtfd::kMaxInputSize)
            return refuse(QStringLiteral("Text refused: %1 bytes of RTFD is no label text").arg(bytes.size()));
        styled = PWRtfd::readAttributedString(bytes, &error);
        if (!styled)
            return refuse(QStringLiteral("Text refused: the RTFD data cannot be read (%1)").arg(error));
    } else if (data.hasFormat(mimeTypeOf(kRTF))) {
        const QByteArray bytes = data.data(mimeTypeOf(kRTF));
        if (bytes.size() > kTextLimit)
            return refuse(QStringLiteral("Text refused: %1 bytes of RTF is no label text").arg(bytes.size()));
        styled = PWRtfReader::read(bytes, &error);
        if (!styled)
            return refuse(QStringLiteral("Text refused: the RTF data cannot be read (%1)").arg(error));
    } else if (data.hasFormat(mimeTypeOf(kString))) {
        const QByteArray bytes = data.data(mimeTypeOf(kString));
        if (bytes.size() > kTextLimit)
            return refuse(QStringLiteral("Text refused: %1 bytes is no label text").arg(bytes.size()));
        plain = QString::fromUtf8(bytes);
    } else {
        return false;
    }
    if (styled ? styled->string().isEmpty() : plain.isEmpty())
        return refuse(QStringLiteral("Text refused: there is no text"));

    std::unique_ptr<CFTComponent> made =
        FTComponentFactory::createComponent(ciAddressText, kNewObjectBundle, view->defText());
    auto *text = dynamic_cast<CFTAText *>(made.get());
    if (!text)
        return false;
    const CAddressFormatController &formats = CAddressFormatController::sharedAddressFormatController();
    const std::optional<PWPlist::Dictionary> descriptor =
        formats.formatDescriptorForCountryCode(CAEnvironment::defaultCountry());
    const CDDString label(formats.labelForTextCategory(tcSimpleText, descriptor ? &*descriptor : nullptr));
    made->SetOrigin(point.x(), point.y());
    made->SetTextCategory(tcSimpleText, &label);
    if (styled)
        text->SetAttributedString(*styled);
    else
        text->SetString(CDDString(plain));
    made->ExpandByText();
    // The point is where the first line starts, on its baseline.
    made->Move(-text->getContOffsetX(), -text->getContSizeY(), view);
    view->deselectAll();
    edits().insertObjectSelect(made.release(), true);
    m_canvas.notifySelectionChanged();
    return true;
}
