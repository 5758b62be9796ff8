#include <gtest/gtest.h>

#include <functional>

#include "app/canvas/CACanvasPictures.h"
#include "app/canvas/CACanvasSelection.h"
#include "app/inspector/CAImageSubView.h"
#include "app/inspector/CAPropertiesController.h"
#include "app/pictures/CCMaskCatalog.h"
#include "app/pictures/CCMaskCell.h"
#include "app/pictures/CCMaskImageView.h"

#include "../canvas/CanvasEditsFixture.h"
#include "DeferredPictureSupport.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWBundle.h"
#include "kernel/drawing/CDDPicture.h"
#include "platform/PWImage.h"
#include "platform/PWImageRep.h"
#include "platform/PWNotificationCenter.h"
#include "platform/PWPasteboardTypes.h"
#include "TestSupport.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <numbers>

namespace {

TEST(ImagePaneRules, TileScaleFollowsTheCubeOfTheSlider)
{
    EXPECT_FLOAT_EQ(CAImageSubView::tileScaleForSlider(4.0f), 7621.3125f);
    EXPECT_FLOAT_EQ(CAImageSubView::tileScaleForSlider(1.0f), 487764.0f);
    EXPECT_NEAR(CAImageSubView::sliderForTileScale(7621.0f), 4.0f, 1e-3f);
    for (float s : {1.0f, 2.5f, 7.0f, 20.0f})
        EXPECT_NEAR(CAImageSubView::sliderForTileScale(CAImageSubView::tileScaleForSlider(s)), s, 1e-3f) << s;
}

struct InspectedPicture : CanvasEditsFixture
{
    InspectedPicture()
    {
        undo().setGroupsByEvent(false);
        inspector = CAPropertiesController::sharedPropertiesController();
        inspector->showWindow();
        pane = static_cast<CAImageSubView *>(inspector->pane(CAPropertiesController::ImageTab));
    }
    void show(std::initializer_list<CFTComponent *> components)
    {
        view.ftView()->deselectAll();
        for (CFTComponent *component : components)
            view.ftView()->select(component);
        view.notifySelectionChanged();
    }
    template <typename T>
    T *child(const char *name) const
    {
        return pane->findChild<T *>(QString::fromLatin1(name));
    }
    void press(const char *button)
    {
        auto *widget = child<QWidget>(button);
        widget->setFocus();
        QTest::keyClick(widget, Qt::Key_Space);
    }

    CAPropertiesController *inspector = nullptr;
    CAImageSubView *pane = nullptr;
};

TEST(ImagePane, EveryControlChangesThePictureAndUndoRestoresTheSavedDesign)
{
    InspectedPicture canvas;
    const QByteArray before = canvas.saved();
    canvas.show({canvas.picture});
    ASSERT_EQ(canvas.inspector->tabView()->currentIndex(), int(CAPropertiesController::ImageTab));
    ASSERT_TRUE(canvas.child<QSlider>("m_imageOpacitySlider")->isEnabled());

    canvas.child<QSlider>("m_imageOpacitySlider")->setValue(40);
    EXPECT_FLOAT_EQ(canvas.picture->GetOpacity(), 0.4f);
    EXPECT_EQ(canvas.undo().undoActionName(), PWLocalizedString(QStringLiteral("CHANGE_OPACITY")));

    QLineEdit *angle = canvas.child<QLineEdit>("m_imageRotateEdit");
    angle->selectAll();
    QTest::keyClicks(angle, QStringLiteral("450"));
    QTest::keyClick(angle, Qt::Key_Return);
    EXPECT_NEAR(canvas.picture->GetAngle(), std::numbers::pi / 2.0, 1e-9);
    canvas.child<QSlider>("m_imageRotateSlider")->setValue(-93);
    EXPECT_NEAR(canvas.picture->GetAngle(), -std::numbers::pi / 2.0, 1e-9);

    QSlider *tileScale = canvas.child<QSlider>("m_tileScaleSlider");
    EXPECT_FALSE(tileScale->isEnabled());
    canvas.press("m_TileCheckbox");
    EXPECT_EQ(int(canvas.picture->GetDataPlacing()), 1);
    EXPECT_TRUE(tileScale->isEnabled());
    EXPECT_FLOAT_EQ(canvas.picture->GetTileScale(), CAImageSubView::tileScaleForSlider(float(tileScale->value())));
    tileScale->setValue(tileScale->value() == 4 ? 5 : 4);
    tileScale->setValue(4);
    EXPECT_FLOAT_EQ(canvas.picture->GetTileScale(), 7621.3125f);
    EXPECT_EQ(canvas.undo().undoActionName(), PWLocalizedString(QStringLiteral("SET_TILE_SCALE")));

    if (canvas.child<QCheckBox>("m_tintCheckbox")->isEnabled()) {
        const bool tinted = canvas.picture->IsFilled();
        canvas.press("m_tintCheckbox");
        EXPECT_NE(canvas.picture->IsFilled(), tinted);
    }
    QTest::mouseClick(canvas.child<QAbstractButton>("m_imageFlipXButton"), Qt::LeftButton);
    EXPECT_TRUE(canvas.picture->IsFlipX());

    while (canvas.undo().canUndo())
        canvas.undo().undo();
    EXPECT_TRUE(sameDesign(canvas.saved(), before));
}

TEST(ImagePane, AMaskFromAFileMasksThePictureAsOneStep)
{
    InspectedPicture canvas;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("oval.png"));
    QImage oval(32, 32, QImage::Format_ARGB32);
    oval.fill(Qt::black);
    ASSERT_TRUE(oval.save(path));
    const QByteArray before = canvas.saved();
    canvas.show({canvas.picture});
    ASSERT_TRUE(canvas.picture->canMasked());
    CAImageSubView::setFileChooser([&](QWidget *) { return path; });
    canvas.press("_browseMaskButton");
    CAImageSubView::setFileChooser([](QWidget *) { return QString(); });
    EXPECT_TRUE(canvas.picture->IsMasked());
    EXPECT_TRUE(canvas.child<QCheckBox>("m_maskCheckbox")->isChecked());
    EXPECT_EQ(canvas.undo().undoActionName(), PWLocalizedString(QStringLiteral("CHANGE_MASK")));
    // Switched off and on again, the same mask comes back.
    canvas.press("m_maskCheckbox");
    EXPECT_FALSE(canvas.picture->IsMasked());
    canvas.press("m_maskCheckbox");
    EXPECT_TRUE(canvas.picture->IsMasked());
    while (canvas.undo().canUndo())
        canvas.undo().undo();
    EXPECT_TRUE(sameDesign(canvas.saved(), before));
}

TEST(ImagePane, DisabledWithNothingToShowAndAfterItsDocumentCloses)
{
    auto canvas = std::make_unique<InspectedPicture>();
    canvas->show({canvas->picture});
    CAImageSubView *pane = canvas->pane;
    QSlider *opacity = pane->findChild<QSlider *>(QStringLiteral("m_imageOpacitySlider"));
    EXPECT_TRUE(opacity->isEnabled());
    pane->updateWithView(&canvas->view);
    canvas->view.ftView()->deselectAll();
    pane->updateWithView(&canvas->view);
    EXPECT_FALSE(opacity->isEnabled());
    canvas->show({canvas->picture});
    canvas.reset();
    EXPECT_EQ(pane->docView(), nullptr);
    opacity->setValue(opacity->value() == 10 ? 20 : 10);
    PWNotificationCenter::defaultCenter().postNotification(CACanvasSelection::kChangeSelectionNotify, nullptr);
    EXPECT_FALSE(opacity->isEnabled());
}

// The masks of the library and the well, each applied to the picture as one step, and the pane
// marking where the picture's mask came from.
TEST(ImagePane, MasksFromTheCatalogueAndTheWell)
{
    QTemporaryDir library;
    for (const char *name : {"Oval", "Star"}) {
        QImage mask(30, 20, QImage::Format_Grayscale8);
        mask.fill(255);
        QDir().mkpath(library.filePath(QStringLiteral("Masks/Images")));
        QDir().mkpath(library.filePath(QStringLiteral("Masks/Thumbnails")));
        ASSERT_TRUE(mask.save(library.filePath(QStringLiteral("Masks/Images/%1.png").arg(QLatin1String(name)))));
        ASSERT_TRUE(mask.save(library.filePath(QStringLiteral("Masks/Thumbnails/%1.jpg").arg(QLatin1String(name)))));
    }
    const pwtest::ScopedDefault libraryPath(QStringLiteral("FTSharedContentLibraryPath"), library.path());
    InspectedPicture canvas;
    auto *catalog = canvas.child<CCMaskCatalog>("_maskCatalog");
    ASSERT_TRUE(catalog);
    // The inspector is shared by the whole process, so its grid may have been read by an earlier
    // test: pointed at this library's folders, it reads them again.
    ASSERT_EQ(CAEnvironment::maskPath(), library.filePath(QStringLiteral("Masks/Images")));
    catalog->setMaskFolders(CAEnvironment::maskPath(), CAEnvironment::thumbMaskPath());
    const QByteArray before = canvas.saved();
    canvas.show({canvas.picture});
    ASSERT_TRUE(catalog->isInited());
    ASSERT_TRUE(canvas.picture->canMasked());
    auto *well = canvas.child<CCMaskImageView>("_customMaskImageView");
    ASSERT_TRUE(well);
    ASSERT_EQ(catalog->cellCount(), 2);
    EXPECT_EQ(catalog->selectedIndex(), -1);

    QTest::mouseClick(catalog, Qt::LeftButton, {}, catalog->cellFrameAtRowColumn(0, 1).center().toPoint());
    ASSERT_TRUE(canvas.picture->IsMasked());
    ASSERT_TRUE(canvas.picture->getMask() && canvas.picture->getMask()->getData());
    EXPECT_EQ(canvas.picture->getMask()->getData()->name(), QStringLiteral("FULLSIZE_Star.png"));
    EXPECT_EQ(canvas.undo().undoActionName(), PWLocalizedString(QStringLiteral("CHANGE_MASK")));
    EXPECT_FALSE(well->state());

    // Shown again, the pane marks the catalogue cell of the picture's mask.
    catalog->deselectAllCells();
    canvas.show({canvas.picture});
    EXPECT_EQ(catalog->selectedIndex(), 1);

    // A picture dropped on the well becomes the mask, and the catalogue lets go of its cell.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("mine.png"));
    QImage mine(12, 12, QImage::Format_Grayscale8);
    mine.fill(200);
    ASSERT_TRUE(mine.save(file));
    QMimeData data;
    data.setData(PWPasteboardTypes::mimeTypeOf(PWPasteboardTypes::kNamedImage), (QStringLiteral("PREFIX_FILE") + file).toUtf8());
    const QPoint at(10, 10);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(well, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(well, &move);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(well, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(canvas.picture->getMask()->getData()->name(), QStringLiteral("PREFIX_MASK") + file);
    EXPECT_EQ(catalog->selectedIndex(), -1);
    EXPECT_TRUE(well->state());
    // Shown again: no cell has this mask, so the well holds and marks it.
    canvas.show({canvas.picture});
    EXPECT_EQ(catalog->selectedIndex(), -1);
    EXPECT_TRUE(well->state());

    // Switched off, the controls keep the mask they show; switched on again, that mask comes
    // back, whichever control holds it.
    struct Retick
    {
        const char *name;
        std::function<void()> choose;
        QString mask;
    };
    const Retick reticks[] = {
        {"catalogue",
         [&] { QTest::mouseClick(catalog, Qt::LeftButton, {}, catalog->cellFrameAtRowColumn(0, 0).center().toPoint()); },
         QStringLiteral("FULLSIZE_Oval.png")},
        {"well", [&] { QTest::mouseClick(well, Qt::LeftButton, {}, well->rect().center()); }, QStringLiteral("PREFIX_MASK") + file},
    };
    for (const Retick &r : reticks) {
        SCOPED_TRACE(r.name);
        r.choose();
        ASSERT_EQ(canvas.picture->getMask()->getData()->name(), r.mask);
        const int cell = catalog->selectedIndex();
        const bool wellOn = well->state();
        canvas.press("m_maskCheckbox");
        ASSERT_FALSE(canvas.picture->IsMasked());
        EXPECT_EQ(catalog->selectedIndex(), cell);
        EXPECT_EQ(well->state(), wellOn);
        canvas.press("m_maskCheckbox");
        ASSERT_TRUE(canvas.picture->IsMasked());
        EXPECT_EQ(canvas.picture->getMask()->getData()->name(), r.mask);
    }

    while (canvas.undo().canUndo())
        canvas.undo().undo();
    EXPECT_TRUE(sameDesign(canvas.saved(), before));
}

TEST(ImagePane, CatalogueMaskThatCannotBeReadIsLoggedAndNotApplied)
{
    QTemporaryDir folder;
    EXPECT_EQ(CAImageSubView::loadCatalogMask(QStringLiteral("gone.png"), folder.path()), nullptr);
    QImage grey(5, 5, QImage::Format_Grayscale8);
    grey.fill(10);
    ASSERT_TRUE(grey.save(folder.filePath(QStringLiteral("here.png"))));
    const std::shared_ptr<PWImage> mask = CAImageSubView::loadCatalogMask(QStringLiteral("here.png"), folder.path());
    ASSERT_TRUE(mask);
    EXPECT_EQ(mask->name(), QStringLiteral("FULLSIZE_here.png"));
    ASSERT_EQ(mask->representations().size(), 1);
    EXPECT_TRUE(mask->representations().first().hasAlpha());
}

} // namespace

namespace {

// A library with two masks, the circle first in the catalogue and the star second.
struct TwoMaskLibrary
{
    TwoMaskLibrary()
    {
        QDir().mkpath(folder.filePath(QStringLiteral("Masks/Images")));
        QDir().mkpath(folder.filePath(QStringLiteral("Masks/Thumbnails")));
        for (const char *name : {"Circle", "Star"}) {
            QImage mask(30, 20, QImage::Format_Grayscale8);
            mask.fill(255);
            EXPECT_TRUE(mask.save(folder.filePath(QStringLiteral("Masks/Images/%1.png").arg(QLatin1String(name)))));
            EXPECT_TRUE(mask.save(folder.filePath(QStringLiteral("Masks/Thumbnails/%1.jpg").arg(QLatin1String(name)))));
        }
    }
    QTemporaryDir folder;
    pwtest::ScopedDefault libraryPath {QStringLiteral("FTSharedContentLibraryPath"), folder.path()};
};

enum class SunMask { None, Circle, Star, File };

struct MaskCase
{
    const char *name;
    SunMask sun;
    // The sun's Mask switch is turned off again after its mask was chosen.
    bool switchedOff;
    // What the controls show once the sun is selected after the daisy.
    int cellShown;
    bool wellShown;
    // The sun's mask in the end, Mask ticked where it was off; None: the sun stays unmasked.
    SunMask after;
};

class ImagePaneMasks : public ::testing::TestWithParam<MaskCase>
{
};

// Mask the sun (or not), mask the daisy with the circle, select the daisy and then the sun: the
// controls show the sun's own mask whatever its switch (a sun that never had one finds the
// daisy's circle still shown), and ticking Mask gives the sun the mask shown.
TEST_P(ImagePaneMasks, TheControlsShowTheSelectedPicturesOwnMask)
{
    const MaskCase &row = GetParam();
    TwoMaskLibrary library;
    InspectedPicture canvas;
    CFTComponent *sun = canvas.picture;
    CFTComponent *daisy
        = CFTAView::CreatePicture(CDDPicture(CanvasEditsFixture::image(30, 30, 0xffffffff, QStringLiteral("daisy")))).release();
    daisy->SetOrigin(120.0, 160.0);
    canvas.document.ftDocument()->AddObject(daisy, 0, false);
    auto *catalog = canvas.child<CCMaskCatalog>("_maskCatalog");
    auto *well = canvas.child<CCMaskImageView>("_customMaskImageView");
    auto *maskSwitch = canvas.child<QCheckBox>("m_maskCheckbox");
    ASSERT_TRUE(catalog && well && maskSwitch);
    catalog->setMaskFolders(CAEnvironment::maskPath(), CAEnvironment::thumbMaskPath());
    const auto clickCell = [&](int column) {
        QTest::mouseClick(catalog, Qt::LeftButton, {}, catalog->cellFrameAtRowColumn(0, column).center().toPoint());
    };

    canvas.show({sun});
    ASSERT_EQ(catalog->cellCount(), 2);
    QTemporaryDir files;
    const QString file = files.filePath(QStringLiteral("sun-mask.png"));
    if (row.sun == SunMask::Star) {
        clickCell(1);
    } else if (row.sun == SunMask::File) {
        QImage own(16, 16, QImage::Format_Grayscale8);
        own.fill(128);
        ASSERT_TRUE(own.save(file));
        CAImageSubView::setFileChooser([&](QWidget *) { return file; });
        canvas.press("_browseMaskButton");
        CAImageSubView::setFileChooser([](QWidget *) { return QString(); });
    }
    ASSERT_EQ(sun->IsMasked(), row.sun != SunMask::None);
    if (row.switchedOff && sun->IsMasked()) {
        canvas.press("m_maskCheckbox");
        ASSERT_FALSE(sun->IsMasked());
    }

    canvas.show({daisy});
    clickCell(0);
    ASSERT_TRUE(daisy->IsMasked());
    ASSERT_EQ(daisy->getMask()->getData()->name(), QStringLiteral("FULLSIZE_Circle.png"));
    canvas.show({daisy});
    canvas.show({sun});

    EXPECT_EQ(catalog->selectedIndex(), row.cellShown);
    EXPECT_EQ(well->state(), row.wellShown);
    EXPECT_TRUE(catalog->isEnabled());
    EXPECT_EQ(maskSwitch->isChecked(), sun->IsMasked());
    if (!maskSwitch->isChecked())
        canvas.press("m_maskCheckbox");
    EXPECT_EQ(sun->IsMasked(), row.after != SunMask::None);
    if (row.after != SunMask::None) {
        ASSERT_TRUE(sun->getMask() && sun->getMask()->getData());
        const QString expected = row.after == SunMask::File   ? CCMaskImageView::kMaskPrefix + file
                                 : row.after == SunMask::Star ? QStringLiteral("FULLSIZE_Star.png")
                                                              : QStringLiteral("FULLSIZE_Circle.png");
        EXPECT_EQ(sun->getMask()->getData()->name(), expected);
    }
    EXPECT_EQ(daisy->getMask()->getData()->name(), QStringLiteral("FULLSIZE_Circle.png"));
}

INSTANTIATE_TEST_SUITE_P(
    SunAndDaisy, ImagePaneMasks,
    ::testing::Values(MaskCase {"star_switched_off", SunMask::Star, true, 1, false, SunMask::Star},
                      MaskCase {"star_still_on", SunMask::Star, false, 1, false, SunMask::Star},
                      MaskCase {"own_file_switched_off", SunMask::File, true, -1, true, SunMask::File},
                      MaskCase {"never_masked", SunMask::None, false, 0, false, SunMask::Circle}),
    [](const ::testing::TestParamInfo<MaskCase> &info) { return std::string(info.param.name); });

// The custom well is enabled or not by its window; no selection, picture or mask changes that.
TEST(ImagePane, TheCustomWellKeepsItsEnabledState)
{
    InspectedPicture canvas;
    auto *well = canvas.child<CCMaskImageView>("_customMaskImageView");
    ASSERT_TRUE(well);
    const std::vector<std::vector<CFTComponent *>> selections = {{canvas.picture}, {}, {canvas.box}, {canvas.picture}};
    for (const bool enabled : {true, false}) {
        well->setEnabled(enabled);
        for (const std::vector<CFTComponent *> &selection : selections) {
            canvas.view.ftView()->deselectAll();
            for (CFTComponent *component : selection)
                canvas.view.ftView()->select(component);
            canvas.view.notifySelectionChanged();
            EXPECT_EQ(well->isEnabled(), enabled) << selection.size();
        }
    }
    well->setEnabled(true);
}

TEST(ImagePane, TheEditedBackgroundTurnsByTheSliderMarksOnly)
{
    InspectedPicture canvas;
    CACanvasPictures::changeBackground(canvas.view, CanvasEditsFixture::image(50, 40, 0xff884422), 1);
    CFTComponent *background = canvas.ftView().getBackground();
    ASSERT_TRUE(background && canvas.ftView().needEditBackground());
    canvas.view.notifySelectionChanged();
    ASSERT_EQ(canvas.inspector->tabView()->currentIndex(), int(CAPropertiesController::ImageTab));
    auto *slider = canvas.child<QSlider>("m_imageRotateSlider");
    auto *field = canvas.child<QLineEdit>("m_imageRotateEdit");
    ASSERT_TRUE(slider->isEnabled());
    EXPECT_TRUE(canvas.child<CCMaskCatalog>("_maskCatalog")->isEnabled());

    // A drag let go between two marks: the nearest mark.
    const struct
    {
        int released;
        int mark;
    } drags[] = {{37, 30}, {-8, -15}, {7, 0}, {173, 180}, {45, 45}};
    for (const auto &drag : drags) {
        SCOPED_TRACE(drag.released);
        slider->setValue(drag.released);
        EXPECT_EQ(slider->value(), drag.mark);
        EXPECT_EQ(field->text(), QString::number(drag.mark));
        EXPECT_NEAR(background->GetAngle(), drag.mark * std::numbers::pi / 180.0, 1e-9);
    }
    // The arrow keys go from mark to mark.
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(slider->value(), 60);
    EXPECT_NEAR(background->GetAngle(), std::numbers::pi / 3.0, 1e-9);

    // A picture of the selection turns to any angle.
    canvas.ftView().setEditBackground(false);
    canvas.show({canvas.picture});
    slider->setValue(37);
    EXPECT_EQ(slider->value(), 37);
    EXPECT_NEAR(canvas.picture->GetAngle(), 37 * std::numbers::pi / 180.0, 1e-9);
}

} // namespace

namespace {

class ImagePaneWellPictures : public ::testing::TestWithParam<deferredpicture::Picture>
{
};

// Selecting a picture whose mask is a PDF or EPS shows that mask in the well without waiting for
// its rendering; the well paints it when the rendering ends.
TEST_P(ImagePaneWellPictures, TheSelectedPicturesMaskShowsWithoutWaiting)
{
    using namespace deferredpicture;
    const ShortDeadline deadline;
    const std::shared_ptr<PWImage> mask = GetParam().make();
    ASSERT_TRUE(mask);
    InspectedPicture canvas;
    canvas.picture->setMask(CDDPicture(mask));
    canvas.picture->SetMasked(true);
    auto *well = canvas.child<CCMaskImageView>("_customMaskImageView");
    ASSERT_TRUE(well);

    const FirstPaint first = firstPaint(well, [&] { canvas.show({canvas.picture}); });
    ASSERT_EQ(well->image(), mask);
    const QPoint at = insidePicture(CCMaskCell::drawingRectForBounds(QRectF(well->rect())));
    ASSERT_TRUE(first.shown.valid(at));
    const QColor empty = well->palette().color(QPalette::Base);
    EXPECT_TRUE(pictest::near(first.shown.pixelColor(at), empty, 8)) << qPrintable(first.shown.pixelColor(at).name());

    EXPECT_TRUE(showsLater(well, at, GetParam().rendered));
    // The inspector outlives the test: its well lets the picture go.
    well->setImage(nullptr);
    well->setMaskImage(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Masks, ImagePaneWellPictures, ::testing::ValuesIn(deferredpicture::kPictures),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
