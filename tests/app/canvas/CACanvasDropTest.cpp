// Drops onto the canvas, delivered as the window system delivers them (QDragMoveEvent and
// QDropEvent on the viewport): design objects where they were grabbed, texts, pictures, files,
// contacts and colours, each drop one undo step, and data that is not what it claims refused.
#include "app/canvas/CACanvasClipboard.h"
#include "app/canvas/CACanvasDragOut.h"
#include "app/canvas/CACanvasDrop.h"
#include "app/pictures/CCPictCatalog.h"
#include "app/pictures/CCPictDragOut.h"

#include "CanvasEditsFixture.h"
#include "TestSupport.h"

#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/drawing/CFTSeparator.h"
#include "platform/PWBundle.h"
#include "platform/PWPasteboardTypes.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QDir>
#include <QDrag>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <functional>
#include <optional>

using namespace Qt::StringLiterals;

using PWPasteboardTypes::mimeTypeOf;

namespace {

QByteArray png()
{
    QImage bitmap(16, 8, QImage::Format_ARGB32);
    bitmap.fill(0xff8040c0);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    bitmap.save(&buffer, "PNG");
    return bytes;
}

const QByteArray kDroppedCard = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\nFN:Jane Doe\r\n"
                                "ADR;TYPE=WORK:;;1 Main St;Springfield;IL;62701;USA\r\nEND:VCARD\r\n";

class CACanvasDropTest : public ::testing::Test, public CanvasEditsFixture
{
protected:
    CACanvasDropTest()
    {
        separator = new CFTSeparator(20.0, 180.0, 80.0, 2.0, nullptr);
        document.ftDocument()->AddObject(separator, 0, false);
        view.resize(900, 700);
        // The window system delivers drops to shown windows only.
        view.show();
        document.undoManager()->setGroupsByEvent(false);
        document.undoManager()->removeAllActions();
    }

    // The window system's way: the drag enters over the point (which makes the canvas the drop
    // target), moves, then drops; answers the move's action.
    Qt::DropAction dropAt(QMimeData &data, const QPointF &documentPoint)
    {
        const QPointF at = view.geometry().widgetPoint(documentPoint);
        const Qt::DropActions actions = Qt::CopyAction | Qt::LinkAction;
        QDragEnterEvent enter(at.toPoint(), actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &enter);
        if (!enter.isAccepted())
            return Qt::IgnoreAction;
        QDragMoveEvent move(at.toPoint(), actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &move);
        const Qt::DropAction offered = move.isAccepted() ? move.dropAction() : Qt::IgnoreAction;
        QDropEvent drop(at, Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &drop);
        return offered;
    }
    // Where a drop at the point lands: the mouse position's design point, half a pixel back.
    QPointF landing(const QPointF &documentPoint) const
    {
        return view.geometry().documentPoint(view.geometry().widgetPoint(documentPoint).toPoint());
    }
    std::vector<CFTComponent *> added(size_t before) const
    {
        return std::vector<CFTComponent *>(list().begin() + qsizetype(before), list().end());
    }

    CFTSeparator *separator = nullptr;
};

TEST_F(CACanvasDropTest, OwnDragDroppedBackLandsMovedByTheWayTheMouseWent)
{
    const QPointF grabbed(60.0, 50.0);
    const QPointF start = view.viewport()->mapTo(&view, view.geometry().widgetPoint(grabbed).toPoint());
    std::unique_ptr<QMimeData> data = CACanvasDragOut::mimeDataForComponents(document, {box}, start);
    const size_t before = list().size();
    EXPECT_EQ(dropAt(*data, grabbed + QPointF(30.0, 20.0)), Qt::CopyAction);
    const std::vector<CFTComponent *> made = added(before);
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(CACanvasEdits::frameOf(made[0]), CACanvasEdits::frameOf(box).translated(30.0, 20.0));
    EXPECT_EQ(undo().undoActionName(), PWLocalizedString(u"INSERT_OBJECT"_s));
}

TEST_F(CACanvasDropTest, DesignItemWithoutStartIsPlacedByTheDropPoint)
{
    const std::vector<CFTComponent *> one{box};
    QMimeData data;
    data.setData(mimeTypeOf(PWPasteboardTypes::kAddressDocument), document.documentDataForComponents(&one));
    const size_t before = list().size();
    dropAt(data, QPointF(100.0, 80.0));
    ASSERT_EQ(added(before).size(), 1u);
    const QPointF at = landing(QPointF(100.0, 80.0));
    EXPECT_EQ(CACanvasEdits::frameOf(added(before)[0]), CACanvasEdits::frameOf(box).translated(at.x(), at.y()));
}

TEST_F(CACanvasDropTest, DesignItemsComeInAsOneInsertStepAndAnEmptySimpleTextIsTypedInto)
{
    struct Case
    {
        const char *name;
        QString contents;
        bool editing;
    };
    const Case cases[] = {{"empty simple text", QString(), true}, {"simple text with words", u"Dear"_s, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const CDDString label(u"Text"_s);
        CFTAAddressText item(0.0, 0.0, tcSimpleText, &label, nullptr);
        if (!c.contents.isEmpty())
            item.SetString(CDDString(c.contents));
        const std::vector<CFTComponent *> one{&item};
        QMimeData data;
        data.setData(mimeTypeOf(PWPasteboardTypes::kAddressDocument), document.documentDataForComponents(&one));
        const size_t before = list().size();
        dropAt(data, QPointF(60.0, 150.0));
        ASSERT_EQ(added(before).size(), 1u);
        EXPECT_EQ(view.isEditingText(), c.editing);
        view.endEditText();
        EXPECT_EQ(undo().undoActionName(), PWLocalizedString(u"INSERT_OBJECT"_s));
    }
}

TEST_F(CACanvasDropTest, StyledTextBecomesASimpleTextStartingAtTheDropPoint)
{
    QMimeData data;
    data.setData(mimeTypeOf(PWPasteboardTypes::kRTF), "{\\rtf1\\ansi {\\b Bold} words}");
    data.setText(u"plain words"_s);
    const size_t before = list().size();
    EXPECT_EQ(dropAt(data, QPointF(150.0, 120.0)), Qt::CopyAction);
    const std::vector<CFTComponent *> made = added(before);
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0]->GetTextCategory(), tcSimpleText);
    EXPECT_EQ(made[0]->GetText()->getString().trimmed(), u"Bold words"_s) << "the styled text is preferred";
    const QRectF frame = CACanvasEdits::frameOf(made[0]);
    EXPECT_LE(frame.left(), 150.0);
    EXPECT_LT(frame.top(), 120.0) << "the first line stands on the drop point";
    EXPECT_GT(frame.bottom(), 120.0 - frame.height());
}

// A shapes pane whose drags end on the canvas at a chosen point, as the window system ends them;
// it keeps the picture the drag showed and the point it was held by.
class ShapesPaneOverCanvas : public CCPictCatalog
{
public:
    std::function<void(QMimeData &)> dropOnCanvas;
    QSize pictureSize;
    QPoint hotSpot;

protected:
    Qt::DropAction execDrag(QDrag &drag) override
    {
        pictureSize = drag.pixmap().size();
        hotSpot = drag.hotSpot();
        if (dropOnCanvas && drag.mimeData())
            dropOnCanvas(*drag.mimeData());
        return Qt::CopyAction;
    }
};

// The shape lands with its origin where its picture showed it (a pixel in from the picture's top
// left corner) and at its own size in points, at any zoom and screen resolution.
TEST_F(CACanvasDropTest, AShapeFromTheShapesPaneLandsWhereItsPictureShowedIt)
{
    QTemporaryDir folder;
    const QString path = folder.path() + u"/BasicShapes/Circle.png"_s;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage picture(40, 30, QImage::Format_ARGB32);
    picture.fill(0xff3366cc);
    // 72 dots per inch: a pixel is a point.
    picture.setDotsPerMeterX(2835);
    picture.setDotsPerMeterY(2835);
    ASSERT_TRUE(picture.save(path, "PNG"));
    const struct
    {
        double dotsPerInch;
        double zoom;
    } views[] = {{72.0, 1.0}, {96.0, 1.0}, {96.0, 2.32}, {96.0, 0.5}};
    for (const auto &shown : views) {
        SCOPED_TRACE(testing::Message() << shown.dotsPerInch << " dpi, zoom " << shown.zoom);
        view.setScreenResolution(shown.dotsPerInch);
        view.setZoom(shown.zoom);
        ShapesPaneOverCanvas pane;
        pane.resize(200, 200);
        pane.show();
        pane.changeBySearchInFolder({{u"BasicShapes/Circle.png"_s, {}}}, folder.path());
        const QPointF released(150.0, 110.0);
        pane.dropOnCanvas = [&](QMimeData &data) { dropAt(data, released); };
        const size_t before = list().size();
        ASSERT_TRUE(pane.startDragForCell(0, 0));
        const std::vector<CFTComponent *> made = added(before);
        ASSERT_EQ(made.size(), 1u);
        const QRectF frame = CACanvasEdits::frameOf(made[0]);
        EXPECT_NEAR(frame.width(), 40.0, 0.01);
        EXPECT_NEAR(frame.height(), 30.0, 0.01);
        ASSERT_FALSE(pane.pictureSize.isEmpty());
        // On the screen: the pointer let go, less the point the picture was held by, is the
        // picture's top left; the shape is drawn a pixel in from it.
        const QPointF pointer = view.geometry().widgetPoint(released).toPoint();
        const QPointF origin = view.geometry().widgetPoint(frame.topLeft());
        EXPECT_NEAR(origin.x(), pointer.x() - pane.hotSpot.x() + 1.0, 1.0);
        EXPECT_NEAR(origin.y(), pointer.y() - pane.hotSpot.y() + 1.0, 1.0);
    }
}

TEST_F(CACanvasDropTest, ADroppedTextStandsOnTheBottomEdgeOfItsDraggedPicture)
{
    const QPointF released(150.0, 120.0);
    const auto dropText = [&](const char *pictureFrame) {
        QMimeData data;
        data.setText(u"words"_s);
        if (pictureFrame)
            data.setData(mimeTypeOf(PWPasteboardTypes::kDragImageFrame), pictureFrame);
        const size_t before = list().size();
        dropAt(data, released);
        const std::vector<CFTComponent *> made = added(before);
        return made.size() == 1 ? CACanvasEdits::frameOf(made[0]) : QRectF();
    };
    const QRectF plain = dropText(nullptr);
    ASSERT_FALSE(plain.isNull());
    // The picture hung 10 points left of the pointer and reached 12 points below it.
    const QRectF held = dropText("-10.000000 -8.000000 60.000000 20.000000");
    ASSERT_FALSE(held.isNull());
    EXPECT_NEAR(held.left() - plain.left(), -10.0, 1e-6);
    EXPECT_NEAR(held.top() - plain.top(), 12.0, 1e-6);
}

TEST(CACanvasDropNamesTest, ThePicturesFrameIsReadOnlyWhenItIsOne)
{
    const struct
    {
        const char *name;
        QByteArray text;
        std::optional<QRectF> frame;
    } cases[] = {
        {"four numbers", "-20.5 -15 40 30", QRectF(-20.5, -15, 40, 30)},
        {"spaces round them", "  0 0\t8 9\n", QRectF(0, 0, 8, 9)},
        {"three numbers", "1 2 3", std::nullopt},
        {"five numbers", "1 2 3 4 5", std::nullopt},
        {"a word", "1 2 wide 4", std::nullopt},
        {"not a number", "nan 0 1 1", std::nullopt},
        {"far away", "1e9 0 1 1", std::nullopt},
        {"negative size", "0 0 -4 4", std::nullopt},
        {"very long", QByteArray(300, '1'), std::nullopt},
    };
    for (const auto &c : cases) {
        QMimeData data;
        data.setData(mimeTypeOf(PWPasteboardTypes::kDragImageFrame), c.text);
        EXPECT_EQ(CACanvasDrop::dragImageFrame(data), c.frame) << c.name;
    }
    EXPECT_EQ(CACanvasDrop::dragImageFrame(QMimeData()), std::nullopt) << "nothing said";
}

TEST_F(CACanvasDropTest, ColourGoesToTheTextPictureOrSeparatorUnderIt)
{
    struct Case
    {
        const char *name;
        CFTComponent *target;
        bool takesIt;
        // Undo gives back the saved bytes exactly, the outline switch the colour turned on
        // included.
        bool exactUndo;
    };
    for (const Case &c : {Case{"text", text, true, true}, Case{"picture", picture, true, true},
                          Case{"separator", separator, true, true}, Case{"shape", box, false, true}}) {
        const QByteArray before = saved();
        QMimeData data;
        data.setColorData(QColor(10, 200, 30));
        const QRectF frame = CACanvasEdits::frameOf(c.target);
        const Qt::DropAction offered = dropAt(data, frame.center());
        EXPECT_EQ(offered, Qt::LinkAction) << c.name << ": an object lies under the colour";
        if (c.takesIt) {
            EXPECT_FALSE(sameDesign(saved(), before)) << c.name;
            ASSERT_TRUE(undo().canUndo()) << c.name;
            undo().undo();
        } else {
            EXPECT_FALSE(undo().canUndo()) << c.name;
        }
        if (c.exactUndo) {
            EXPECT_TRUE(sameDesign(saved(), before)) << c.name;
        }
        undo().removeAllActions();
    }
    QMimeData data;
    data.setColorData(QColor(Qt::red));
    const QByteArray before = saved();
    EXPECT_EQ(dropAt(data, QPointF(5.0, 5.0)), Qt::IgnoreAction) << "nothing under it";
    EXPECT_TRUE(sameDesign(saved(), before));
}

TEST_F(CACanvasDropTest, FilesBecomePicturesAtOnePointAndVCardsOfAnyCaseThePerson)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QList<QUrl> urls;
    const auto write = [&](const char *name, const QByteArray &bytes) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        urls.append(QUrl::fromLocalFile(file.fileName()));
    };
    write("one.png", png());
    write("JANE.VCF", kDroppedCard);
    write("two.png", png());
    QMimeData data;
    data.setUrls(urls);
    const QByteArray before = saved();
    const size_t count = list().size();
    EXPECT_EQ(dropAt(data, QPointF(120.0, 90.0)), Qt::CopyAction);
    const std::vector<CFTComponent *> made = added(count);
    // Two pictures, and the recipient panel the contact needed.
    std::vector<CFTComponent *> pictures;
    for (CFTComponent *component : made)
        if (component->getType() == 3)
            pictures.push_back(component);
    ASSERT_EQ(pictures.size(), 2u);
    EXPECT_EQ(CACanvasEdits::frameOf(pictures[0]).center(), landing(QPointF(120.0, 90.0)));
    EXPECT_EQ(CACanvasEdits::frameOf(pictures[1]).center(), landing(QPointF(120.0, 90.0)));
    ASSERT_TRUE(document.currentPerson(true));
    EXPECT_EQ(document.currentPerson(true)->stringForProperty(kPWLastNameProperty), u"Doe"_s);
    EXPECT_EQ(undo().undoActionName(), PWLocalizedString(u"INSERT_OBJECT"_s));
    undo().undo();
    EXPECT_FALSE(undo().canUndo()) << "the whole drop is one step";
    EXPECT_TRUE(sameDesign(saved(), before));
}

TEST_F(CACanvasDropTest, AContactOnADesignWithoutAddressGetsARecipientPanelFirst)
{
    for (CFTComponent *address : std::vector<CFTComponent *>{street, counter, fileField})
        view.edits().deleteObjectDeselect(address, true);
    undo().removeAllActions();
    ASSERT_FALSE(view.edits().isAddressPanelToFromActive());
    QMimeData data;
    data.setData(mimeTypeOf(PWPasteboardTypes::kVCard), kDroppedCard);
    const size_t count = list().size();
    EXPECT_EQ(dropAt(data, QPointF(5.0, 5.0)), Qt::CopyAction);
    const std::vector<CFTComponent *> made = added(count);
    ASSERT_EQ(made.size(), 1u);
    auto *panel = dynamic_cast<CFTAAddressPanel *>(made[0]);
    ASSERT_TRUE(panel);
    EXPECT_TRUE(panel->GetToFrom());
    ASSERT_TRUE(document.currentPerson(true));
    EXPECT_EQ(document.currentPerson(true)->stringForProperty(kPWLastNameProperty), u"Doe"_s);
    EXPECT_EQ(undo().undoActionName(), PWLocalizedString(u"CHANGE_PERSON"_s));
    undo().undo();
    EXPECT_EQ(list().size(), count);
}

TEST_F(CACanvasDropTest, DataThatIsNotWhatItClaimsChangesNothing)
{
    struct Case
    {
        const char *name;
        const char *type;
        QByteArray bytes;
    };
    for (const Case &c : {Case{"empty vCard", PWPasteboardTypes::kVCard, QByteArray("  \r\n")},
                          Case{"no card", PWPasteboardTypes::kVCard, QByteArray("BEGIN:VCARD\r\nVERSION:3.0")},
                          Case{"broken design", PWPasteboardTypes::kProductDocument, QByteArray("<?xml <plist")},
                          Case{"no picture", PWPasteboardTypes::kPNG, QByteArray("\x89PNG\r\n\x1a\n", 8)}}) {
        const QByteArray before = saved();
        QMimeData data;
        data.setData(mimeTypeOf(c.type), c.bytes);
        dropAt(data, QPointF(60.0, 60.0));
        EXPECT_TRUE(sameDesign(saved(), before)) << c.name;
        EXPECT_FALSE(undo().canUndo()) << c.name;
        EXPECT_FALSE(document.currentPerson(true) && !document.currentPerson(true)->stringForProperty(kPWLastNameProperty).isEmpty())
            << c.name;
    }
}

TEST_F(CACanvasDropTest, NetworkAddressesAreRefusedWhateverElseTheDragCarries)
{
    struct Case
    {
        const char *name;
        QList<QUrl> urls;
        bool withText;
        bool withPicture;
    };
    const QList<Case> cases = {
        {"one picture address", {QUrl(u"https://example.org/cat.png"_s)}, false, false},
        {"address with its text", {QUrl(u"http://example.org/a.jpg"_s)}, true, false},
        {"address with a rendering", {QUrl(u"https://example.org/b.png"_s)}, false, true},
        {"two addresses", {QUrl(u"http://example.org/1.png"_s), QUrl(u"https://example.org/2.png"_s)}, true, true},
    };
    for (const Case &c : cases) {
        const QByteArray before = saved();
        const size_t count = list().size();
        QMimeData data;
        data.setUrls(c.urls);
        if (c.withText)
            data.setText(c.urls.first().toString());
        if (c.withPicture)
            data.setData(mimeTypeOf(PWPasteboardTypes::kPNG), png());
        EXPECT_EQ(view.drops().dragOperation(data, QPointF(60.0, 60.0)), Qt::IgnoreAction) << c.name;
        EXPECT_FALSE(view.drops().drop(data, QPointF(60.0, 60.0), std::nullopt)) << c.name;
        EXPECT_EQ(list().size(), count) << c.name;
        EXPECT_TRUE(sameDesign(saved(), before)) << c.name;
        EXPECT_FALSE(undo().canUndo()) << c.name;
    }

    // A list that names a local picture file among them is a drop of that file.
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile file(folder.filePath(u"local.png"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(png());
    file.close();
    QMimeData mixed;
    mixed.setUrls({QUrl(u"https://example.org/far.png"_s), QUrl::fromLocalFile(file.fileName())});
    const size_t count = list().size();
    EXPECT_TRUE(view.drops().drop(mixed, QPointF(60.0, 60.0), std::nullopt));
    EXPECT_EQ(list().size(), count + 1);
}

// What a file manager or a contacts program drags carries its text too (the file's address, the
// card's text): the file or the card is what the drop takes, never that text.
TEST_F(CACanvasDropTest, FilesAndCardsComeBeforeTheTextBesideThem)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const auto write = [&](const QString &name, const QByteArray &bytes) {
        EXPECT_TRUE(pwtest::writeFile(folder.filePath(name), bytes));
        return QUrl::fromLocalFile(folder.filePath(name));
    };
    struct Case
    {
        const char *name;
        std::function<void(QMimeData &)> offer;
        int pictures;
        bool person;
    };
    const QUrl picture = write(u"photo.png"_s, png());
    const QUrl card = write(u"jane.vcf"_s, kDroppedCard);
    const QList<Case> cases = {
        {"a picture file", [&](QMimeData &d) { d.setUrls({picture}); d.setText(picture.toString()); }, 1, false},
        {"a card file", [&](QMimeData &d) { d.setUrls({card}); d.setText(card.toString()); }, 0, true},
        {"a card", [&](QMimeData &d) { d.setData(mimeTypeOf(PWPasteboardTypes::kVCard), kDroppedCard);
                                       d.setText(QString::fromUtf8(kDroppedCard)); }, 0, true},
    };
    for (const Case &c : cases) {
        document.setCurrentPerson(nullptr, true, true, true);
        const size_t count = list().size();
        QMimeData data;
        c.offer(data);
        EXPECT_EQ(dropAt(data, QPointF(120.0, 90.0)), Qt::CopyAction) << c.name;
        int pictures = 0;
        for (CFTComponent *component : added(count)) {
            EXPECT_NE(component->getType(), 7) << c.name << ": no text of what was dragged";
            pictures += component->getType() == 3 ? 1 : 0;
        }
        EXPECT_EQ(pictures, c.pictures) << c.name;
        EXPECT_EQ(document.currentPerson(true)->stringForProperty(kPWLastNameProperty), c.person ? u"Doe"_s : QString())
            << c.name;
    }
}

TEST(CACanvasDropNamesTest, VCardFilesAreKnownByTheirExtensionInAnyCase)
{
    for (const char *path : {"/a/b.vcf", "/a/b.VCF", "c.Vcf"})
        EXPECT_TRUE(CACanvasDrop::isVCardFile(QString::fromLatin1(path))) << path;
    for (const char *path : {"/a/b.vcf.png", "/a/vcf", "b.vcard"})
        EXPECT_FALSE(CACanvasDrop::isVCardFile(QString::fromLatin1(path))) << path;
}

} // namespace
