#include "kernel/drawing/CFTPicture.h"

#include "PictureTestSupport.h"
#include "kernel/drawing/CFTExtPicture.h"
#include "kernel/foundation/CDDArchive.h"
#include "kernel/foundation/CDDArchiveKeys.h"
#include "platform/PWImage.h"

#include <QDir>
#include <QLineF>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Frame
{
    double x, y, w, h;
};

void expectFrame(CFTComponent &c, Frame f)
{
    EXPECT_NEAR(QLineF(c.GetOriginX(), c.GetOriginY(), f.x, f.y).length() + std::abs(c.GetSizeX() - f.w)
                    + std::abs(c.GetSizeY() - f.h), 0.0, 2e-3)
        << c.GetOriginX() << "," << c.GetOriginY() << " " << c.GetSizeX() << "x" << c.GetSizeY();
}

bool finiteFrame(CFTComponent &c)
{
    return std::isfinite(c.GetOriginX()) && std::isfinite(c.GetOriginY()) && std::isfinite(c.GetSizeX())
        && std::isfinite(c.GetSizeY());
}

// A picture of a quadrant image in the given frame.
template <class Picture = CFTPicture> std::unique_ptr<Picture> framed(double w, double h)
{
    auto picture = std::make_unique<Picture>(CDDPicture(pictest::quadrantImage(10, 10)));
    picture->SetOrigin(0, 0);
    picture->SetSize(w, h);
    return picture;
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

TEST(CFTPictureTest, NewImageKeepsAreaUnlessTiled)
{
    const auto picture = framed(100, 50);
    picture->SetObjectData(pictest::quadrantImage(20, 20));
    expectFrame(*picture, {50 - 35.355, 25 - 35.355, 70.711, 70.711});
    const auto tiled = framed(100, 50);
    tiled->SetDataPlacing(pmTiled);
    tiled->SetObjectData(pictest::quadrantImage(20, 20));
    expectFrame(*tiled, {0, 0, 100, 50});
    const auto background = framed<CFTExtPicture>(100, 50);
    background->SetObjectData(pictest::quadrantImage(20, 20));
    expectFrame(*background, {0, 0, 100, 50});
}

TEST(CFTPictureTest, CropAndUncropKeepTheImageScale)
{
    CFTPicture picture {CDDPicture(pictest::quadrantImage(200, 100))};
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

    CFTPicture flatFrame {CDDPicture(pictest::quadrantImage(10, 10))};
    flatFrame.SetSize(0, 0);
    flatFrame.SetObjectData(pictest::quadrantImage(20, 10));
    flatFrame.setDataWithoutChangingBounds(pictest::quadrantImage(20, 10));
    EXPECT_TRUE(finiteFrame(flatFrame));

    CFTPicture emptyImage {CDDPicture(PWImage::create())};
    emptyImage.SetSize(30, 30);
    emptyImage.SetObjectData(PWImage::create());
    EXPECT_TRUE(finiteFrame(emptyImage));
    expectFrame(emptyImage, {0, 0, 30, 30});

    CFTPicture flat {CDDPicture(pictest::quadrantImage(10, 10))};
    flat.SetSize(0, 40);
    int handle = 5;
    double dx = 4, dy = 3;
    flat.StartOperation(omResize, nullptr, 0, handle);
    flat.ModifyVectorForConstrain(handle, &dx, &dy, 0);
    EXPECT_TRUE(std::isfinite(dx) && std::isfinite(dy));
}

TEST(CFTPictureTest, CornersKeepProportionsUnlessShiftIsHeldAndSidesAreFree)
{
    const auto picture = framed(200, 100);
    picture->StartOperation(omResize, nullptr, 0, 15);
    for (const auto &[handle, modifiers, expected] :
         {std::tuple {15, 0, 10.0}, std::tuple {7, 0, -10.0}, std::tuple {15, int(CFTPicture::kShiftKeyMask), 0.0},
          std::tuple {4, 0, 0.0}}) {
        double dx = 20, dy = 0;
        picture->ModifyVectorForConstrain(handle, &dx, &dy, modifiers);
        EXPECT_DOUBLE_EQ(dy, expected) << handle;
    }
}

TEST(CFTPictureTest, PickingInsideAndOnTheBorder)
{
    const auto picture = framed(100, 50);
    picture->SetOrigin(10, 10);
    bool selected = false;
    actionType action = atNone;
    EXPECT_EQ(picture->PickMe(50, 30, selected, 3, action, 0), picture.get());
    EXPECT_EQ(action, atNothing);
    selected = true;
    EXPECT_EQ(picture->PickMe(111, 30, selected, 3, action, 0), picture.get());
    EXPECT_EQ(action, atBorder);
    EXPECT_EQ(picture->PickMe(150, 30, selected, 3, action, 0), nullptr);
}

TEST(CFTPictureTest, StoreAndLoadKeepEveryKeyOfBothPictureClasses)
{
    CFTPicture picture {CDDPicture(pictest::quadrantImage(40, 20))};
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
    EXPECT_EQ(QList<double>({copy->GetOpacity(), double(copy->GetDataPlacing()), copy->GetTileScale(),
                             double(copy->IsFlipX()), double(copy->isReplaceable()), double(copy->hasSrcRect()),
                             copy->getSrcRectWidth(), copy->getImageSizeX()}),
              QList<double>({0.25, double(pmTiled), 900, 1, 1, 1, 20, 40}));
    expectFrame(*copy, {5, 6, 80, 40});

    // The background comes back as a background, with its own placing mode.
    const auto background = framed<CFTExtPicture>(10, 10);
    background->SetDataPlacing(pmStretched2);
    const std::unique_ptr<CFTComponent> loadedBackground = reload(*background);
    ASSERT_TRUE(loadedBackground);
    EXPECT_EQ(loadedBackground->getClassID(), background->getClassID());
    EXPECT_EQ(loadedBackground->GetDataPlacing(), pmStretched2);
}

TEST(CFTPictureTest, MissingTileScaleBecomesTheImageArea)
{
    for (const auto &[size, expected] : {std::pair {QSize(30, 20), 600.0f}, std::pair {QSize(1, 1), 1.0f}}) {
        CFTPicture picture {CDDPicture(pictest::quadrantImage(size.width(), size.height()))};
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
    CFTPicture picture {CDDPicture(pictest::quadrantImage(10, 10))};
    picture.SetTileScale(250.0f);
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
    EXPECT_EQ(QList<double>({double(loaded.IsMasked()), loaded.GetTileScale(), double(loaded.hasSrcRect())}),
              QList<double>({0, 250, 1}));
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
    for (const Case &c : {Case {QStringLiteral("inside.png"), docPath + QStringLiteral("/inside.png")},
                          Case {QStringLiteral("../outside.png"), QString()},
                          Case {root.filePath(QStringLiteral("outside.png")), QString()},
                          Case {QStringLiteral("a/../../outside.png"), QString()}}) {
        CDDArchive in(false);
        in.Attach(PWPlist(PWPlist::Dictionary {{key_DataRef, PWPlist::fromString(c.ref)}}));
        in.SetArchivePath(CDDString(docPath));
        CFTPicture loaded;
        loaded.Serialize(in, nullptr);
        EXPECT_EQ(loaded.getDataRef().getData(), c.expected) << c.ref.toStdString();
    }
    EXPECT_EQ(CDDPicture::pathInsideFolder(docPath, QStringLiteral("sub/./x.png")), QString());
    EXPECT_EQ(CDDPicture::pathInsideFolder(docPath, QStringLiteral("sub//x.png")),
              docPath + QStringLiteral("/sub/x.png"));
}

TEST(CFTPictureTest, NonFiniteValuesFromAFileAreNotTaken)
{
    const double nan = std::nan("");
    CDDArchive in(false);
    in.Attach(PWPlist(PWPlist::Dictionary {{key_Opacity, PWPlist::fromReal(nan)},
                                           {key_TileScale, PWPlist::fromReal(-5.0)},
                                           {key_HasSrcRect, PWPlist::fromString(QStringLiteral("YES"))},
                                           {key_SrcRectX, PWPlist::fromReal(nan)},
                                           {key_SrcRectWidth, PWPlist::fromReal(10.0)}}));
    CFTPicture loaded;
    loaded.Serialize(in, nullptr);
    EXPECT_EQ(QList<double>({loaded.GetOpacity(), loaded.GetTileScale(), double(std::isfinite(loaded.getSrcRectX()))}),
              QList<double>({1, 1, 1}));

    CDDArchive out(true);
    loaded.Serialize(out, nullptr);
    const PWPlist written = out.getDict();
    for (const auto &[key, value] : written.toDictionary())
        EXPECT_FALSE(value.isReal() && !std::isfinite(value.toReal())) << key.toStdString();
}
