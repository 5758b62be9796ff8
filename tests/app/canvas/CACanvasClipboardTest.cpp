// Copy, cut, paste and duplicate on the canvas: where pasted objects land, that they are the
// objects copied (the same saved bytes, also in another document), one named step each, and
// clipboard data that is not what it claims refused with nothing changed.
#include "app/canvas/CACanvasClipboard.h"

#include "CanvasEditsFixture.h"
#include "TestSupport.h"

#include "kernel/address/FTStoredPerson.h"
#include "kernel/base/FTClassID.h"
#include "platform/PWBundle.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWPasteboardTypes.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

using namespace Qt::StringLiterals;

using PWPasteboardTypes::mimeTypeOf;

namespace {

QByteArray pictureBytes(const char *format, QRgb color = 0xff20a040)
{
    QImage bitmap(24, 12, QImage::Format_ARGB32);
    bitmap.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    bitmap.save(&buffer, format);
    return bytes;
}

class CACanvasClipboardTest : public ::testing::Test, public CanvasEditsFixture
{
protected:
    CACanvasClipboard &clipboard() { return view.clipboard(); }
    QClipboard *system() { return QGuiApplication::clipboard(); }
    std::vector<CFTComponent *> added(size_t before) const
    {
        return std::vector<CFTComponent *>(list().begin() + qsizetype(before), list().end());
    }
    QByteArray bytesOf(CFTComponent *component) const
    {
        const std::vector<CFTComponent *> one{component};
        return document.documentDataForComponents(&one);
    }
};

TEST_F(CACanvasClipboardTest, CopyCarriesTheDesignTypeWithItsRenderings)
{
    selectOnly(box);
    ASSERT_TRUE(clipboard().copy(system()));
    const QMimeData *data = system()->mimeData();
    ASSERT_TRUE(data);
    EXPECT_EQ(data->data(mimeTypeOf(PWPasteboardTypes::kProductDocument)), bytesOf(box));
    EXPECT_TRUE(data->data(mimeTypeOf(PWPasteboardTypes::kPDF)).startsWith("%PDF"));
    const QByteArray tiff = data->data(mimeTypeOf(PWPasteboardTypes::kTIFF));
    EXPECT_TRUE(tiff.startsWith("II*") || tiff.startsWith("MM")) << "a TIFF, not " << tiff.left(4).toHex().constData();
    EXPECT_FALSE(data->hasFormat(mimeTypeOf(PWPasteboardTypes::kDragAndDropStartX))) << "a copy is no drag";
    EXPECT_EQ(clipboard().pasteDelta(), 10.0);
}

TEST_F(CACanvasClipboardTest, PastesLandTenTwentyAndThirtyPointsOffAndAPictureResetsTheOffset)
{
    selectOnly(box);
    ASSERT_TRUE(clipboard().copy(system()));
    const QRectF original = CACanvasEdits::frameOf(box);
    for (int n = 1; n <= 3; ++n) {
        const size_t before = list().size();
        ASSERT_TRUE(clipboard().paste(system()->mimeData()));
        const std::vector<CFTComponent *> made = added(before);
        ASSERT_EQ(made.size(), 1u) << "paste " << n;
        EXPECT_EQ(CACanvasEdits::frameOf(made[0]), original.translated(10.0 * n, 10.0 * n)) << "paste " << n;
        EXPECT_TRUE(view.ftView()->isSelected(made[0]));
        EXPECT_EQ(view.ftView()->getSelComponents().size(), 1u);
    }
    auto picture = std::make_unique<QMimeData>();
    picture->setData(mimeTypeOf(PWPasteboardTypes::kPNG), pictureBytes("PNG"));
    ASSERT_TRUE(clipboard().paste(picture.get()));
    EXPECT_EQ(clipboard().pasteDelta(), 0.0);
    // The clipboard still holds the copy: the next design paste lies on the copied object.
    const size_t before = list().size();
    ASSERT_TRUE(clipboard().paste(system()->mimeData()));
    ASSERT_EQ(added(before).size(), 1u);
    EXPECT_EQ(CACanvasEdits::frameOf(added(before)[0]), original);
}

TEST_F(CACanvasClipboardTest, PastedObjectsAreTheCopiedOnesInThisAndAnotherDocument)
{
    view.ftView()->deselectAll();
    view.ftView()->select(text);
    view.ftView()->select(box);
    const std::vector<CFTComponent *> copied = view.ftView()->getSelComponentsWithDocZOrder();
    ASSERT_TRUE(clipboard().copy(system()));

    // Another document's canvas has never copied: its first paste lands on the copied place.
    CADocument other;
    CADocView otherView;
    otherView.setScreenResolution(72.0);
    ASSERT_TRUE(otherView.setDocument(&other));
    other.undoManager()->removeAllActions();
    const size_t otherBefore = other.ftDocument()->GetComponents(0, false).size();
    ASSERT_TRUE(otherView.clipboard().paste(system()->mimeData()));
    const std::vector<CFTComponent *> &otherList = other.ftDocument()->GetComponents(0, false);
    ASSERT_EQ(otherList.size(), otherBefore + 2);
    const std::vector<CFTComponent *> pasted(otherList.end() - 2, otherList.end());
    EXPECT_EQ(other.documentDataForComponents(&pasted), document.documentDataForComponents(&copied))
        << "back to front, byte for byte";

    // In the same document they are the same objects 10 points off.
    const size_t before = list().size();
    ASSERT_TRUE(clipboard().paste(system()->mimeData()));
    const std::vector<CFTComponent *> here = added(before);
    ASSERT_EQ(here.size(), 2u);
    for (CFTComponent *component : here)
        component->Move(-10.0, -10.0, view.ftView());
    EXPECT_EQ(document.documentDataForComponents(&here), document.documentDataForComponents(&copied));
}

TEST_F(CACanvasClipboardTest, CopyWithNothingSelectedTouchesNeitherClipboardNorOffset)
{
    selectOnly(box);
    ASSERT_TRUE(clipboard().copy(system()));
    ASSERT_TRUE(clipboard().paste(system()->mimeData()));
    ASSERT_EQ(clipboard().pasteDelta(), 20.0);
    const QByteArray held = system()->mimeData()->data(mimeTypeOf(PWPasteboardTypes::kProductDocument));
    view.ftView()->deselectAll();
    EXPECT_FALSE(clipboard().copy(system()));
    EXPECT_EQ(system()->mimeData()->data(mimeTypeOf(PWPasteboardTypes::kProductDocument)), held);
    EXPECT_EQ(clipboard().pasteDelta(), 20.0);
}

TEST_F(CACanvasClipboardTest, CutRemovesTheSelectionAsOneStepThatUndoPutsBack)
{
    const QByteArray before = saved();
    const int place = indexOf(text);
    selectOnly(text);
    view.ftView()->select(picture);
    clipboard().cut(system());
    EXPECT_EQ(indexOf(text), -1);
    EXPECT_EQ(indexOf(picture), -1);
    EXPECT_TRUE(system()->mimeData()->hasFormat(mimeTypeOf(PWPasteboardTypes::kProductDocument)));
    EXPECT_EQ(undo().undoActionName(), PWLocalizedString(u"CUT_OBJECT"_s));
    undo().undo();
    EXPECT_FALSE(undo().canUndo()) << "one step";
    EXPECT_EQ(indexOf(text), place);
    EXPECT_TRUE(sameDesign(saved(), before));
}

TEST_F(CACanvasClipboardTest, PasteIsOneNamedStepThatUndoTakesBack)
{
    const QByteArray before = saved();
    selectOnly(box);
    view.ftView()->select(counter);
    ASSERT_TRUE(clipboard().copy(system()));
    ASSERT_TRUE(clipboard().paste(system()->mimeData()));
    EXPECT_EQ(undo().undoActionName(), PWLocalizedString(u"PASTE_OBJECT"_s));
    undo().undo();
    EXPECT_FALSE(undo().canUndo());
    EXPECT_TRUE(sameDesign(saved(), before));
}

// A card copied in a contacts program, or its file copied in a file manager, each with its
// text beside it: Paste makes it the recipient as a drop does, keeping the card as it came, in one
// step that undo takes back.
TEST_F(CACanvasClipboardTest, ACopiedCardIsTheRecipientInOneStepThatUndoTakesBack)
{
    const QByteArray card = "BEGIN:VCARD\r\nVERSION:4.0\r\nKIND:individual\r\nN:Doe;Jane;;;\r\nFN:Jane Doe\r\n"
                            "GENDER:F\r\nTEL;VALUE=uri;TYPE=cell:tel:+1-555-0100\r\n"
                            "ADR;TYPE=work:;;1 Main St;Portland;OR;97201;USA\r\nUID:jane-1\r\nEND:VCARD\r\n";
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid() && pwtest::writeFile(folder.filePath(u"jane.vcf"_s), card));
    const QUrl file = QUrl::fromLocalFile(folder.filePath(u"jane.vcf"_s));
    for (const bool asFile : {false, true}) {
        SCOPED_TRACE(asFile ? "the card's file" : "the card");
        document.setCurrentPerson(nullptr, true, true, true);
        undo().removeAllActions();
        const QByteArray before = saved();
        const size_t count = list().size();
        auto *data = new QMimeData;
        if (asFile) {
            data->setUrls({file});
            data->setText(file.toString());
        } else {
            data->setData(mimeTypeOf(PWPasteboardTypes::kVCard), card);
            data->setText(QString::fromUtf8(card));
        }
        system()->setMimeData(data);
        ASSERT_TRUE(clipboard().paste(system()->mimeData()));
        EXPECT_EQ(document.currentPerson(true)->stringForProperty(kPWLastNameProperty), u"Doe"_s);
        EXPECT_EQ(FTStoredPerson::convertToStoringData(*document.currentPerson(true)).value(u"personData"_s).toData(), card)
            << "the card as it came, its UID too";
        for (CFTComponent *component : added(count))
            EXPECT_EQ(component->getClassID(), ciAddressPanel) << "no text, no picture";
        EXPECT_EQ(undo().undoActionName(), PWLocalizedString(u"CHANGE_PERSON"_s));
        undo().undo();
        EXPECT_FALSE(undo().canUndo());
        EXPECT_TRUE(document.currentPerson(true)->stringForProperty(kPWLastNameProperty).isEmpty());
        EXPECT_TRUE(sameDesign(saved(), before));
    }
}

TEST_F(CACanvasClipboardTest, DuplicateCopiesTheSelectionTenPointsOffSelectedAndUndoesAtOnce)
{
    const QByteArray before = saved();
    view.ftView()->deselectAll();
    clipboard().duplicate();
    EXPECT_FALSE(undo().canUndo()) << "nothing selected, no step";

    selectOnly(box);
    view.ftView()->select(picture);
    const size_t count = list().size();
    clipboard().duplicate();
    const std::vector<CFTComponent *> copies = added(count);
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(CACanvasEdits::frameOf(copies[0]), CACanvasEdits::frameOf(box).translated(10, 10));
    EXPECT_EQ(CACanvasEdits::frameOf(copies[1]), CACanvasEdits::frameOf(picture).translated(10, 10));
    EXPECT_EQ(view.ftView()->getSelComponents(), copies);
    EXPECT_EQ(undo().undoActionName(), PWLocalizedString(u"DUPLICATE_OBJECT"_s));
    EXPECT_EQ(clipboard().pasteDelta(), 0.0) << "a duplicate leaves the paste offset alone";
    undo().undo();
    EXPECT_TRUE(sameDesign(saved(), before));
}

// Duplicated again and again from the card's corner, each copy lands on the card and on the place
// of no object there: never back on the one copied, nor on an earlier copy.
TEST_F(CACanvasClipboardTest, DuplicatesAtTheCardsCornerNeverLandOnAnObjectsPlace)
{
    const CFTADocument *design = document.ftDocument();
    const QRectF card(0.0, 0.0, design->getDocumentSizeX(0), design->getDocumentSizeY(0));
    const QRectF frame = CACanvasEdits::frameOf(box);
    box->SetOrigin(card.width() - frame.width() - 4.0, card.height() - frame.height() - 4.0);
    selectOnly(box);
    for (int copy = 1; copy <= 5; ++copy) {
        const size_t count = list().size();
        clipboard().duplicate();
        ASSERT_EQ(added(count).size(), 1u) << copy;
    }
    QList<QRectF> places;
    for (const CFTComponent *component : list()) {
        const QRectF place = CACanvasEdits::frameOf(component);
        for (const QRectF &other : std::as_const(places))
            EXPECT_FALSE(std::abs(place.left() - other.left()) < 0.01 && std::abs(place.top() - other.top()) < 0.01
                         && place.size() == other.size())
                << "two objects at " << place.left() << "," << place.top();
        places << place;
    }
    for (const CFTComponent *component : list()) {
        if (component != box && CACanvasEdits::frameOf(component).size() == frame.size()) {
            EXPECT_TRUE(card.contains(CACanvasEdits::frameOf(component))) << "a copy off the card";
        }
    }
}

TEST_F(CACanvasClipboardTest, PlainTextBecomesOneSimpleTextAtThePageCentre)
{
    QMimeData data;
    data.setText(u"Dear friend"_s);
    const size_t before = list().size();
    ASSERT_TRUE(clipboard().paste(&data));
    const std::vector<CFTComponent *> made = added(before);
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0]->GetTextCategory(), tcSimpleText);
    EXPECT_EQ(made[0]->GetText()->getString().trimmed(), u"Dear friend"_s);
    const QRectF frame = CACanvasEdits::frameOf(made[0]);
    const CFTADocument *design = document.ftDocument();
    const double centreX = design->getDocumentSizeX(0) / 2.0;
    const double centreY = design->getDocumentSizeY(0) / 2.0;
    EXPECT_LE(frame.left(), centreX);
    EXPECT_GT(frame.right(), centreX) << "the text starts at the centre";
    EXPECT_LT(frame.top(), centreY) << "the first line stands on the centre";
    EXPECT_EQ(undo().undoActionName(), PWLocalizedString(u"PASTE_OBJECT"_s));
}

TEST_F(CACanvasClipboardTest, PictureFilesAllLandAtThePageCentreAndAreNotPastedTwice)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QList<QUrl> urls;
    for (const char *name : {"one.png", "two.png"}) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(pictureBytes("PNG"));
        urls.append(QUrl::fromLocalFile(file.fileName()));
    }
    QMimeData data;
    data.setUrls(urls);
    // The same picture offered once more as picture data must not come in a third time.
    data.setData(mimeTypeOf(PWPasteboardTypes::kPNG), pictureBytes("PNG"));
    const size_t before = list().size();
    ASSERT_TRUE(clipboard().paste(&data));
    const std::vector<CFTComponent *> made = added(before);
    ASSERT_EQ(made.size(), 2u);
    const CFTADocument *design = document.ftDocument();
    const QPointF centre(design->getDocumentSizeX(0) / 2.0, design->getDocumentSizeY(0) / 2.0);
    for (CFTComponent *picture : made) {
        EXPECT_EQ(picture->getType(), 3);
        EXPECT_EQ(CACanvasEdits::frameOf(picture).center(), centre);
    }
}

TEST_F(CACanvasClipboardTest, NamedImageAnswersThatItInserted)
{
    const std::shared_ptr<PWImage> named = image(30, 30, 0xffcc2222, u"clipboard-test-red"_s);
    QMimeData data;
    data.setData(mimeTypeOf(PWPasteboardTypes::kNamedImage), "clipboard-test-red");
    const size_t before = list().size();
    EXPECT_TRUE(clipboard().makeNewImageFromPasteboard(data, QPointF(50, 50)));
    EXPECT_EQ(added(before).size(), 1u);

    QMimeData unknown;
    unknown.setData(mimeTypeOf(PWPasteboardTypes::kNamedImage), "no-such-picture-anywhere");
    EXPECT_FALSE(clipboard().makeNewImageFromPasteboard(unknown, QPointF(50, 50)));
    EXPECT_EQ(added(before).size(), 1u);
}

struct BadData
{
    const char *name;
    const char *type;
    // Made when the case runs, on a running application.
    QByteArray (*bytes)();
};

class CACanvasClipboardBadDataTest : public CACanvasClipboardTest, public ::testing::WithParamInterface<BadData>
{
};

TEST_P(CACanvasClipboardBadDataTest, IsRefusedAndNothingChanges)
{
    selectOnly(box);
    ASSERT_TRUE(clipboard().copy(system()));
    const QByteArray before = saved();
    QMimeData data;
    data.setData(mimeTypeOf(GetParam().type), GetParam().bytes());
    EXPECT_FALSE(clipboard().paste(&data));
    EXPECT_TRUE(sameDesign(saved(), before));
    EXPECT_FALSE(undo().canUndo());
    EXPECT_EQ(view.ftView()->getSelComponents(), std::vector<CFTComponent *>{box});
}

QByteArray brokenDesign()
{
    CanvasEditsFixture source;
    const std::vector<CFTComponent *> one{source.box};
    QByteArray bytes = source.document.documentDataForComponents(&one);
    return bytes.left(bytes.size() / 2);
}

// A whole, well-formed list of one component more than a design holds: only a count made before
// the parse refuses it at once, where a parse would build every one of them.
QByteArray moreObjectsThanADesignHolds()
{
    const QByteArray entry = "<dict><key>Class ID</key><string>Separator</string></dict>\n";
    QByteArray bytes = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>Components</key><array>\n";
    bytes.reserve(bytes.size() + 1000001 * entry.size() + 32);
    for (int i = 0; i < 1000001; ++i)
        bytes += entry;
    return bytes + "</array></dict></plist>";
}

QByteArray truncatedTiff()
{
    const QByteArray whole = pictureBytes("TIFF");
    return whole.left(whole.size() / 3);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, CACanvasClipboardBadDataTest,
    ::testing::Values(
        BadData{"BrokenDesignList", PWPasteboardTypes::kProductDocument, &brokenDesign},
        BadData{"DesignWithoutObjects", PWPasteboardTypes::kAddressDocument,
                [] {
                    return QByteArray("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>Components</key>"
                                      "<string>none</string></dict></plist>");
                }},
        BadData{"ObjectOfNoKnownKind", PWPasteboardTypes::kProductDocument,
                [] {
                    return QByteArray("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>Components</key>"
                                      "<array><dict><key>Class ID</key><integer>9999</integer></dict></array>"
                                      "</dict></plist>");
                }},
        BadData{"MoreObjectsThanADesignHolds", PWPasteboardTypes::kProductDocument, &moreObjectsThanADesignHolds},
        BadData{"TruncatedTiff", PWPasteboardTypes::kTIFF, &truncatedTiff},
        BadData{"HugeString", PWPasteboardTypes::kString, [] { return QByteArray(50 * 1024 * 1024, 'x'); }},
        BadData{"EmptyString", PWPasteboardTypes::kString, [] { return QByteArray(); }},
        BadData{"BrokenRtf", PWPasteboardTypes::kRTF, [] { return QByteArray("{\\rtf1 {{{{ unbalanced"); }}),
    [](const ::testing::TestParamInfo<BadData> &info) { return std::string(info.param.name); });

} // namespace
