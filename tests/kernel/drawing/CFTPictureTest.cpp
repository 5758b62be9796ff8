#include "kernel/drawing/CFTPicture.h"

#include "PictureTestSupport.h"
#include "kernel/drawing/CFTExtPicture.h"
#include "kernel/foundation/CDDArchive.h"
#include "kernel/foundation/CDDArchiveKeys.h"
#include "kernel/foundation/FTComponentFactory.h"
#include "platform/PWImage.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Frame
{
    double x, y, w, h;
};

Frame frameOf(CFTComponent &c)
{
    return {c.GetOriginX(), c.GetOriginY(), c.GetSizeX(), c.GetSizeY()};
}

void expectFrame(CFTComponent &c, Frame f, double tolerance = 1e-3)
{
    EXPECT_NEAR(c.GetOriginX(), f.x, tolerance);
    EXPECT_NEAR(c.GetOriginY(), f.y, tolerance);
    EXPECT_NEAR(c.GetSizeX(), f.w, tolerance);
    EXPECT_NEAR(c.GetSizeY(), f.h, tolerance);
}

bool finiteFrame(CFTComponent &c)
{
    const Frame f = frameOf(c);
    return std::isfinite(f.x) && std::isfinite(f.y) && std::isfinite(f.w) && std::isfinite(f.h);
}

std::unique_ptr<CFTComponent> reload(CFTComponent &component, const QString &archivePath = QString())
{
    CDDArchive out(true);
    EXPECT_TRUE(component.Serialize(out, nullptr));
    CDDArchive in(false);
    in.Attach(out.getDict());
    in.SetArchivePath(CDDString(archivePath));
    return CFTComponent::CreateFromArchive(in, nullptr, nullptr);
}

} // namespace

TEST(CFTPictureTest, ComponentFromPictureHasItsDefaults)
{
    CFTPicture picture{CDDPicture(pictest::quadrantImage(10, 10))};
    EXPECT_EQ(picture.getType(), ctPicture);
    EXPECT_EQ(picture.getClassID(), 6);
    EXPECT_FLOAT_EQ(picture.GetOpacity(), 1.0f);
    EXPECT_FLOAT_EQ(picture.GetTileScale(), 7621.0f);
    EXPECT_EQ(picture.GetDataPlacing(), pmStretched);
    EXPECT_FALSE(picture.hasSrcRect());
    EXPECT_FALSE(picture.IsFilled());
    EXPECT_FALSE(picture.isReplaceable());
    EXPECT_EQ(picture.GetFillColor()->toQColor(), QColor::fromRgbF(0, 0, 1, 0.5));

    const CDDColor red(1, 0, 0, 1);
    picture.SetFillColor(&red);
    EXPECT_TRUE(picture.IsFilled());
    picture.SetFilled(false);
    EXPECT_FALSE(picture.IsFilled());
    EXPECT_EQ(picture.GetFillColor()->toQColor(), QColor(Qt::red));

    CFTExtPicture background{CDDPicture(pictest::quadrantImage(10, 10))};
    EXPECT_EQ(background.getClassID(), 7);
    EXPECT_EQ(background.GetDataPlacing(), pmCover);
    EXPECT_FLOAT_EQ(background.GetTileScale(), 7621.0f);
}

TEST(CFTPictureTest, NewImageKeepsAreaUnlessTiled)
{
    CFTPicture picture{CDDPicture(pictest::quadrantImage(10, 10))};
    picture.SetOrigin(0, 0);
    picture.SetSize(100, 50);
    picture.SetObjectData(pictest::quadrantImage(20, 20));
    expectFrame(picture, {50 - 35.355, 25 - 35.355, 70.711, 70.711});

    CFTPicture tiled{CDDPicture(pictest::quadrantImage(10, 10))};
    tiled.SetOrigin(0, 0);
    tiled.SetSize(100, 50);
    tiled.SetDataPlacing(pmTiled);
    tiled.SetObjectData(pictest::quadrantImage(20, 20));
    expectFrame(tiled, {0, 0, 100, 50});

    CFTExtPicture background{CDDPicture(pictest::quadrantImage(10, 10))};
    background.SetOrigin(0, 0);
    background.SetSize(100, 50);
    background.SetObjectData(pictest::quadrantImage(20, 20));
    expectFrame(background, {0, 0, 100, 50});
}

TEST(CFTPictureTest, CropAndUncropKeepTheImageScale)
{
    CFTPicture picture{CDDPicture(pictest::quadrantImage(200, 100))};
    picture.SetOrigin(0, 0);
    picture.SetSize(200, 100);
    picture.setSrcRect(50, 0, 100, 50);
    expectFrame(picture, {50, 50, 100, 50});
    // A second crop is measured against the first.
    picture.setSrcRect(50, 0, 50, 50);
    expectFrame(picture, {50, 50, 50, 50});
    picture.clearSrcRect();
    expectFrame(picture, {0, 0, 200, 100});
    EXPECT_FALSE(picture.hasSrcRect());
    EXPECT_FLOAT_EQ(picture.getSrcRectWidth(), 200.0f) << "clearing keeps the values";
}

TEST(CFTPictureTest, ZeroSizesNeverPutNonFiniteValuesIntoTheFrame)
{
    CFTPicture noImage;
    noImage.SetOrigin(10, 10);
    noImage.SetSize(100, 50);
    noImage.setSrcRect(0, 0, 10, 10);
    EXPECT_TRUE(finiteFrame(noImage));
    noImage.setSrcRect(0, 0, 0, 0);
    noImage.setSrcRect(0, 0, 5, 5); // the current crop is empty: no ratio to scale by
    EXPECT_TRUE(finiteFrame(noImage));
    noImage.clearSrcRect();
    EXPECT_TRUE(finiteFrame(noImage));

    CFTPicture flatFrame{CDDPicture(pictest::quadrantImage(10, 10))};
    flatFrame.SetSize(0, 0);
    flatFrame.SetObjectData(pictest::quadrantImage(20, 10));
    flatFrame.setDataWithoutChangingBounds(pictest::quadrantImage(20, 10));
    EXPECT_TRUE(finiteFrame(flatFrame));

    CFTPicture emptyImage{CDDPicture(PWImage::create())};
    emptyImage.SetSize(30, 30);
    emptyImage.SetObjectData(PWImage::create());
    EXPECT_TRUE(finiteFrame(emptyImage));
    expectFrame(emptyImage, {0, 0, 30, 30});

    CFTPicture flat{CDDPicture(pictest::quadrantImage(10, 10))};
    flat.SetSize(0, 40);
    int handle = 5;
    double dx = 4, dy = 3;
    flat.StartOperation(omResize, nullptr, 0, handle);
    flat.ModifyVectorForConstrain(handle, &dx, &dy, 0);
    EXPECT_TRUE(std::isfinite(dx) && std::isfinite(dy));
}

TEST(CFTPictureTest, CornersKeepProportionsUnlessShiftIsHeld)
{
    CFTPicture picture{CDDPicture(pictest::quadrantImage(10, 10))};
    picture.SetSize(200, 100);
    picture.StartOperation(omResize, nullptr, 0, 15);
    double dx = 20, dy = 0;
    picture.ModifyVectorForConstrain(15, &dx, &dy, 0);
    EXPECT_DOUBLE_EQ(dy, 10.0);
    dx = 20, dy = 0;
    picture.ModifyVectorForConstrain(7, &dx, &dy, 0);
    EXPECT_DOUBLE_EQ(dy, -10.0);
    dx = 20, dy = 0;
    picture.ModifyVectorForConstrain(15, &dx, &dy, CFTPicture::kShiftKeyMask);
    EXPECT_DOUBLE_EQ(dy, 0.0);
    dx = 20, dy = 0;
    picture.ModifyVectorForConstrain(4, &dx, &dy, 0);
    EXPECT_DOUBLE_EQ(dy, 0.0) << "side handles are free";
}

TEST(CFTPictureTest, PickingInsideAndOnTheBorder)
{
    CFTPicture picture{CDDPicture(pictest::quadrantImage(10, 10))};
    picture.SetOrigin(10, 10);
    picture.SetSize(100, 50);
    for (bool selected : {false, true}) {
        actionType action = atNone;
        EXPECT_EQ(picture.PickMe(50, 30, selected, 3, action, 0), &picture);
        EXPECT_EQ(action, atNothing);
    }
    bool selected = true;
    actionType action = atNone;
    EXPECT_EQ(picture.PickMe(111, 30, selected, 3, action, 0), &picture);
    EXPECT_EQ(action, atBorder);
    EXPECT_EQ(picture.PickMe(150, 30, selected, 3, action, 0), nullptr);
}

TEST(CFTPictureTest, StoreAndLoadKeepEveryKey)
{
    CFTPicture picture{CDDPicture(pictest::quadrantImage(40, 20))};
    picture.SetOrigin(5, 6);
    picture.SetSize(80, 40);
    picture.SetOpacity(0.25f);
    picture.SetDataPlacing(pmTiled);
    picture.SetTileScale(900.0f);
    picture.setFlipX(true);
    picture.flipReplaceable();
    picture.setSrcRect(0, 0, 20, 10);
    picture.setDataRef(CDDString(QStringLiteral("/somewhere/own.png")));

    const std::unique_ptr<CFTComponent> loaded = reload(picture);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(picture.getDataRef().getData(), QStringLiteral("/somewhere/own.png")) << "storing keeps the reference";
    auto *copy = dynamic_cast<CFTPicture *>(loaded.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_FLOAT_EQ(copy->GetOpacity(), 0.25f);
    EXPECT_EQ(copy->GetDataPlacing(), pmTiled);
    EXPECT_FLOAT_EQ(copy->GetTileScale(), 900.0f);
    EXPECT_TRUE(copy->IsFlipX());
    EXPECT_FALSE(copy->IsFlipY());
    EXPECT_TRUE(copy->isReplaceable());
    ASSERT_TRUE(copy->hasSrcRect());
    EXPECT_FLOAT_EQ(copy->getSrcRectWidth(), 20.0f);
    EXPECT_EQ(copy->getImageSizeX(), 40.0);
    expectFrame(*copy, {5, 6, 80, 40});
}

TEST(CFTPictureTest, BackgroundKeepsItsOwnPlacingMode)
{
    CFTExtPicture background{CDDPicture(pictest::quadrantImage(10, 10))};
    background.SetDataPlacing(pmStretched2);
    const std::unique_ptr<CFTComponent> loaded = reload(background);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->getClassID(), 7);
    EXPECT_EQ(loaded->GetDataPlacing(), pmStretched2);
}

TEST(CFTPictureTest, MissingTileScaleBecomesTheImageArea)
{
    for (const auto &[size, expected] : {std::pair{QSize(30, 20), 600.0f}, std::pair{QSize(1, 1), 1.0f}}) {
        CFTPicture picture{CDDPicture(pictest::quadrantImage(size.width(), size.height()))};
        CDDArchive out(true);
        picture.Serialize(out, nullptr);
        PWPlist::Dictionary dict = out.getDict().toDictionary();
        dict.remove(key_TileScale);
        CDDArchive in(false);
        in.Attach(PWPlist(dict));
        CFTPicture loaded;
        loaded.Serialize(in, nullptr);
        EXPECT_FLOAT_EQ(loaded.GetTileScale(), expected);
    }
}

TEST(CFTPictureTest, MissingMaskIsDroppedAndTheRestIsRead)
{
    CFTPicture picture{CDDPicture(pictest::quadrantImage(10, 10))};
    picture.SetDataPlacing(pmTiled);
    picture.SetTileScale(250.0f);
    picture.setFlipY(true);
    picture.setSrcRect(0, 0, 5, 5);
    CDDArchive out(true);
    picture.Serialize(out, nullptr);
    PWPlist::Dictionary dict = out.getDict().toDictionary();
    dict.insert(key_Mask, PWPlist::fromString(QStringLiteral("YES")));
    dict.insert(key_MaskDataRef, PWPlist::fromString(QStringLiteral("gone-mask.png")));
    dict.remove(key_MaskPicture);
    QTemporaryDir folder;
    CDDArchive in(false);
    in.Attach(PWPlist(dict));
    in.SetArchivePath(CDDString(folder.path()));
    CFTPicture loaded;
    loaded.Serialize(in, nullptr);
    EXPECT_FALSE(loaded.IsMasked());
    EXPECT_EQ(loaded.GetDataPlacing(), pmTiled);
    EXPECT_FLOAT_EQ(loaded.GetTileScale(), 250.0f);
    EXPECT_TRUE(loaded.IsFlipY());
    EXPECT_TRUE(loaded.hasSrcRect());
}

TEST(CFTPictureTest, StoredReferencesStayInsideTheDocumentFolder)
{
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("doc.pwd")));
    const QString docPath = root.filePath(QStringLiteral("doc.pwd"));
    const QImage bitmap = pictest::quadrantBitmap(8, 8);
    ASSERT_TRUE(bitmap.save(docPath + QStringLiteral("/inside.png")));
    ASSERT_TRUE(bitmap.save(root.filePath(QStringLiteral("outside.png"))));

    struct Case
    {
        QString ref;
        QString expected;
    };
    for (const Case &c : {Case{QStringLiteral("inside.png"), docPath + QStringLiteral("/inside.png")},
                          Case{QStringLiteral("../outside.png"), QString()},
                          Case{root.filePath(QStringLiteral("outside.png")), QString()},
                          Case{QStringLiteral("a/../../outside.png"), QString()}}) {
        CDDArchive in(false);
        in.Attach(PWPlist(PWPlist::Dictionary{{key_DataRef, PWPlist::fromString(c.ref)}}));
        in.SetArchivePath(CDDString(docPath));
        CFTPicture loaded;
        loaded.Serialize(in, nullptr);
        EXPECT_EQ(loaded.getDataRef().getData(), c.expected) << c.ref.toStdString();
    }
    EXPECT_EQ(CDDPicture::pathInsideFolder(docPath, QStringLiteral("sub/./x.png")), QString());
    EXPECT_EQ(CDDPicture::pathInsideFolder(docPath, QStringLiteral("sub//x.png")), docPath + QStringLiteral("/sub/x.png"));
}

TEST(CFTPictureTest, FactoryMakesBothPictureClasses)
{
    EXPECT_TRUE(FTComponentFactory::isRegistered(6));
    EXPECT_TRUE(FTComponentFactory::isRegistered(7));
    EXPECT_EQ(FTComponentFactory::createComponent(6, 100, nullptr)->getClassID(), 6);
    EXPECT_EQ(FTComponentFactory::createComponent(7, 100, nullptr)->getClassID(), 7);
}

TEST(CFTPictureTest, NonFiniteValuesFromAFileAreNotTaken)
{
    const double nan = std::nan("");
    CDDArchive in(false);
    in.Attach(PWPlist(PWPlist::Dictionary{{key_Opacity, PWPlist::fromReal(nan)},
                                          {key_TileScale, PWPlist::fromReal(-5.0)},
                                          {key_HasSrcRect, PWPlist::fromString(QStringLiteral("YES"))},
                                          {key_SrcRectX, PWPlist::fromReal(nan)},
                                          {key_SrcRectWidth, PWPlist::fromReal(10.0)}}));
    CFTPicture loaded;
    loaded.Serialize(in, nullptr);
    EXPECT_FLOAT_EQ(loaded.GetOpacity(), 1.0f);
    EXPECT_FLOAT_EQ(loaded.GetTileScale(), 1.0f);
    EXPECT_TRUE(std::isfinite(loaded.getSrcRectX()));

    CDDArchive out(true);
    loaded.Serialize(out, nullptr);
    const PWPlist written = out.getDict();
    for (const auto &[key, value] : written.toDictionary())
        EXPECT_FALSE(value.isReal() && !std::isfinite(value.toReal())) << key.toStdString();
}
