#include "kernel/drawing/CFTPicture.h"

#include "PictureTestSupport.h"
#include "kernel/drawing/CFTExtPicture.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/CDDReadReport.h"
#include "platform/PWImage.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

QString frame(const CFTComponent &c)
{
    return QString::asprintf("%.2f,%.2f %.2fx%.2f", c.GetOriginX(), c.GetOriginY(), c.GetSizeX(), c.GetSizeY());
}

bool finiteFrame(const CFTComponent &c)
{
    return std::isfinite(c.GetOriginX() + c.GetOriginY() + c.GetSizeX() + c.GetSizeY());
}

// A picture of a quadrant image in the given frame.
template <class Picture = CFTPicture> std::unique_ptr<Picture> framed(double w, double h, int pw = 10, int ph = 10)
{
    auto picture = std::make_unique<Picture>(CDDPicture(pictest::quadrantImage(pw, ph)));
    picture->SetOrigin(0, 0); picture->SetSize(w, h);
    return picture;
}

template <class Picture = CFTPicture> std::unique_ptr<Picture> loaded(const PWPlist &dict, const QString &path = QString())
{
    CDDArchive in(false);
    in.Attach(dict);
    in.SetArchivePath(CDDString(path));
    auto picture = std::make_unique<Picture>();
    picture->Serialize(in, nullptr);
    return picture;
}

PWPlist::Dictionary stored(CFTComponent &component)
{
    CDDArchive out(true);
    EXPECT_TRUE(component.Serialize(out, nullptr));
    return out.getDict().toDictionary();
}

} // namespace

TEST(CFTPictureTest, NewImageKeepsAreaUnlessTiled)
{
    const auto picture = framed(100, 50), tiled = framed(100, 50);
    const auto background = framed<CFTExtPicture>(100, 50);
    tiled->SetDataPlacing(pmTiled);
    for (CFTPicture *p : {picture.get(), tiled.get(), static_cast<CFTPicture *>(background.get())})
        p->SetObjectData(pictest::quadrantImage(20, 20));
    EXPECT_EQ(QStringList({frame(*picture), frame(*tiled), frame(*background)}),
              QStringList({QStringLiteral("14.64,-10.36 70.71x70.71"), QStringLiteral("0.00,0.00 100.00x50.00"),
                           QStringLiteral("0.00,0.00 100.00x50.00")}));
}

TEST(CFTPictureTest, CropAndUncropKeepTheImageScale)
{
    const auto picture = framed(200, 100, 200, 100);
    picture->setSrcRect(50, 0, 100, 50);
    const QString first = frame(*picture);
    picture->setSrcRect(50, 0, 50, 50); // measured against the first crop
    const QString second = frame(*picture);
    picture->clearSrcRect();
    EXPECT_EQ(QStringList({first, second, frame(*picture)}),
              QStringList({QStringLiteral("50.00,50.00 100.00x50.00"), QStringLiteral("50.00,50.00 50.00x50.00"),
                           QStringLiteral("0.00,0.00 200.00x100.00")}));
    EXPECT_FALSE(picture->hasSrcRect());
    EXPECT_FLOAT_EQ(picture->getSrcRectWidth(), 200.0f) << "clearing keeps the values";
}

TEST(CFTPictureTest, ZeroSizesNeverPutNonFiniteValuesIntoTheFrame)
{
    CFTPicture noImage;
    noImage.SetSize(100, 50); noImage.setSrcRect(0, 0, 10, 10);
    EXPECT_TRUE(finiteFrame(noImage));
    noImage.setSrcRect(0, 0, 0, 0);
    noImage.setSrcRect(0, 0, 5, 5); // the current crop is empty: no ratio to scale by
    noImage.clearSrcRect();
    EXPECT_TRUE(finiteFrame(noImage));
    const auto flatFrame = framed(0, 0);
    flatFrame->SetObjectData(pictest::quadrantImage(20, 10));
    flatFrame->setDataWithoutChangingBounds(pictest::quadrantImage(20, 10));
    EXPECT_TRUE(finiteFrame(*flatFrame));
    CFTPicture emptyImage {CDDPicture(PWImage::create())};
    emptyImage.SetSize(30, 30); emptyImage.SetObjectData(PWImage::create());
    EXPECT_EQ(frame(emptyImage), QStringLiteral("0.00,0.00 30.00x30.00"));
    const auto flat = framed(0, 40);
    int handle = 5;
    double dx = 4, dy = 3;
    flat->StartOperation(operResize, nullptr, 0, handle);
    flat->ModifyVectorForConstrain(handle, &dx, &dy, 0);
    EXPECT_TRUE(std::isfinite(dx) && std::isfinite(dy));
}

TEST(CFTPictureTest, CornersKeepTheProportionsUnlessShiftIsHeldAndSidesAreFree)
{
    const struct
    {
        int handle;
        int modifiers;
        double dy;
    } drags[] = {{15, 0, 10}, {7, 0, -10}, {13, 0, -10}, {5, 0, 10}, {15, modifierShift, 0}, {4, 0, 0}};
    for (const auto &c : drags) {
        const auto picture = framed(200, 100);
        picture->StartOperation(operResize, nullptr, 0, 15);
        double dx = 20, dy = 0;
        picture->ModifyVectorForConstrain(c.handle, &dx, &dy, c.modifiers);
        EXPECT_EQ(QPointF(dx, dy), QPointF(20, c.dy)) << c.handle << " with " << c.modifiers;
    }
}

TEST(CFTPictureTest, PickedInsideAndOnItsBorderWhenSelected)
{
    const auto picture = framed(100, 50);
    picture->SetOrigin(10, 10);
    for (bool selected : {false, true}) {
        actionType action = actionUnset;
        EXPECT_EQ(picture->PickMe(50, 30, selected, 3, action, 0), picture.get());
        EXPECT_EQ(action, actionNone);
    }
    bool selected = true;
    actionType action = actionUnset;
    EXPECT_EQ(picture->PickMe(111, 30, selected, 3, action, 0), picture.get());
    EXPECT_EQ(action, actionFrame);
    EXPECT_EQ(picture->PickMe(150, 30, selected, 3, action, 0), nullptr);
}

TEST(CFTPictureTest, StoreAndLoadKeepEveryKeyOfBothPictureClasses)
{
    const auto picture = framed(80, 40, 40, 20);
    picture->SetOrigin(5, 6); picture->SetOpacity(0.25f); picture->SetDataPlacing(pmTiled); picture->SetTileScale(900.0f);
    picture->setFlipX(true); picture->flipReplaceable(); picture->setSrcRect(0, 0, 20, 10);
    picture->setDataRef(CDDString(QStringLiteral("/somewhere/own.png")));
    CDDArchive in(false);
    in.Attach(PWPlist(stored(*picture)));
    const std::unique_ptr<CFTComponent> loadedPicture = CFTComponent::CreateFromArchive(in, nullptr, nullptr);
    EXPECT_EQ(picture->getDataRef().getData(), QStringLiteral("/somewhere/own.png")) << "storing keeps the reference";
    auto *copy = dynamic_cast<CFTPicture *>(loadedPicture.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(QList<double>({copy->GetOpacity(), double(copy->GetDataPlacing()), copy->GetTileScale(), double(copy->IsFlipX()),
                             double(copy->isReplaceable()), double(copy->hasSrcRect()), copy->getSrcRectWidth(), copy->getImageSizeX()}),
              QList<double>({0.25, double(pmTiled), 900, 1, 1, 1, 20, 40}));
    EXPECT_EQ(frame(*copy), QStringLiteral("5.00,6.00 80.00x40.00"));
    // The background comes back as a background, with its own placing mode.
    const auto background = framed<CFTExtPicture>(10, 10);
    background->SetDataPlacing(pmStretched2);
    CDDArchive backIn(false);
    backIn.Attach(PWPlist(stored(*background)));
    const std::unique_ptr<CFTComponent> loadedBackground = CFTComponent::CreateFromArchive(backIn, nullptr, nullptr);
    ASSERT_TRUE(loadedBackground);
    EXPECT_EQ(loadedBackground->getClassID(), background->getClassID());
    EXPECT_EQ(loadedBackground->GetDataPlacing(), pmStretched2);
}

TEST(CFTPictureTest, MissingTileScaleBecomesTheImageAreaAndAMissingMaskIsDropped)
{
    const auto picture = framed(10, 10, 30, 20);
    picture->SetTileScale(250.0f); picture->setSrcRect(0, 0, 5, 5);
    PWPlist::Dictionary dict = stored(*picture);
    PWPlist::Dictionary noScale = dict;
    noScale.remove(key_TileScale);
    EXPECT_FLOAT_EQ(loaded(PWPlist(noScale))->GetTileScale(), 600.0f);
    dict.insert(key_Mask, PWPlist::fromString(QStringLiteral("YES")));
    dict.insert(key_MaskDataRef, PWPlist::fromString(QStringLiteral("gone-mask.png")));
    dict.remove(key_MaskPicture);
    QTemporaryDir folder;
    const auto masked = loaded(PWPlist(dict), folder.path());
    EXPECT_EQ(QList<double>({double(masked->IsMasked()), masked->GetTileScale(), double(masked->hasSrcRect())}), QList<double>({0, 250, 1}));
}

TEST(CFTPictureTest, StoredReferencesStayInsideTheDocumentFolder)
{
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("doc.pwd")));
    const QString docPath = root.filePath(QStringLiteral("doc.pwd"));
    const QImage bitmap = pictest::quadrantBitmap(8, 8);
    ASSERT_TRUE(bitmap.save(docPath + QStringLiteral("/inside.png")) && bitmap.save(root.filePath(QStringLiteral("outside.png"))));
    for (const auto &[ref, expected] : {std::pair {QStringLiteral("inside.png"), docPath + QStringLiteral("/inside.png")},
                                        {QStringLiteral("../outside.png"), QString()}, {root.filePath(QStringLiteral("outside.png")), QString()},
                                        {QStringLiteral("a/../../outside.png"), QString()}}) {
        const auto picture = loaded(PWPlist(PWPlist::Dictionary {{key_DataRef, PWPlist::fromString(ref)}}), docPath);
        EXPECT_EQ(picture->getDataRef().getData(), expected) << ref.toStdString();
    }
    EXPECT_EQ(CDDPicture::pathInsideFolder(docPath, QStringLiteral("sub/./x.png")), QString());
    EXPECT_EQ(CDDPicture::pathInsideFolder(docPath, QStringLiteral("sub//x.png")), docPath + QStringLiteral("/sub/x.png"));
}

TEST(CFTPictureTest, NegativeTileScaleFromAFileIsNotTaken)
{
    EXPECT_FLOAT_EQ(loaded(PWPlist(PWPlist::Dictionary {{key_TileScale, PWPlist::fromReal(-5.0)}}))->GetTileScale(), 1.0f);
}

// The crop the image editor writes lies within the picture, and a picture may be wider or taller
// than any page: the whole of such a picture, cropped, reads back whole and without a word; a
// crop past what single precision holds is named and left out.
TEST(CFTPictureTest, ACropWithinAPictureWiderThanAnyPageReadsBackWithoutAWord)
{
    struct Case
    {
        QSize pixels;
        QRectF crop;
    };
    const Case cases[] = {
        {QSize(120000, 2), QRectF(0, 0, 120000, 2)},
        {QSize(2, 150000), QRectF(0, 0, 2, 150000)},
        {QSize(120000, 2), QRectF(119999, 1, 1, 1)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.pixels.width() << "x" << c.pixels.height() << " crop " << c.crop.width());
        const auto picture = framed(40, 20, c.pixels.width(), c.pixels.height());
        picture->setSrcRect(float(c.crop.x()), float(c.crop.y()), float(c.crop.width()), float(c.crop.height()));
        CDDArchive in(false);
        in.Attach(PWPlist(stored(*picture)));
        const auto report = std::make_shared<CDDReadReport>();
        in.setReadReport(report);
        CFTPicture copy;
        copy.Serialize(in, nullptr);
        EXPECT_EQ(report->problems().join(u'\n'), QString());
        ASSERT_TRUE(copy.hasSrcRect());
        EXPECT_EQ(QList<float>({copy.getSrcRectX(), copy.getSrcRectY(), copy.getSrcRectWidth(), copy.getSrcRectHeight()}),
                  QList<float>({float(c.crop.x()), float(c.crop.y()), float(c.crop.width()), float(c.crop.height())}));
    }
    // Past single precision: named, and the crop left out whole.
    PWPlist::Dictionary damaged = stored(*framed(40, 20));
    damaged.insert(key_HasSrcRect, PWPlist::fromString(QStringLiteral("YES")));
    for (const QString &key : {key_SrcRectX, key_SrcRectY, key_SrcRectHeight})
        damaged.insert(key, PWPlist::fromString(QStringLiteral("1.000")));
    damaged.insert(key_SrcRectWidth, PWPlist::fromString(QStringLiteral("1e39")));
    CDDArchive in(false);
    in.Attach(PWPlist(damaged));
    const auto report = std::make_shared<CDDReadReport>();
    in.setReadReport(report);
    CFTPicture copy;
    copy.Serialize(in, nullptr);
    EXPECT_EQ(report->problems().size(), 1);
    EXPECT_FALSE(copy.hasSrcRect());
}
