#include "app/shell/CAAssistantDesingController.h"
#include "app/shell/CAAssistantTabView.h"

#include "AssistantTestSupport.h"

#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CATemplateFormat.h"
#include "platform/PWNotificationCenter.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>

using namespace assistanttest;

namespace {

// A content library of our own in a scratch folder, and the step's controls in a plain window.
class DesignStepTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(library.isValid());
        useContentLibrary(library.path());
        templates = QDir(library.path()).filePath(u"Parcelwick/Templates/en.lproj"_s);
        auto *layout = new QVBoxLayout(&root);
        popup = new QComboBox;
        popup->setObjectName(u"_categoryPopup"_s);
        table = new QTableWidget;
        table->setObjectName(u"_designTableView"_s);
        well = new QLabel;
        well->setObjectName(u"_previewWell"_s);
        well->setMinimumSize(200, 120);
        layout->addWidget(popup);
        layout->addWidget(table);
        layout->addWidget(well);
        step.bindControls(&root);
        root.show();
    }
    void TearDown() override { PWUserDefaults::standardUserDefaults().removeObject(u"FTSharedContentLibraryPath"_s); }

    // A copy of a sample design at path below the scratch templates folder.
    void putSample(const QString &relative, const QString &sample = u"Mailing3/Business/Classic.pwdc"_s)
    {
        const QString target = QDir(templates).filePath(relative);
        ASSERT_TRUE(QDir().mkpath(QFileInfo(target).absolutePath()));
        QFile::remove(target);
        ASSERT_TRUE(QFile::copy(QDir(sampleTemplates()).filePath(sample), target)) << target.toStdString();
    }
    void putBytes(const QString &relative, const QByteArray &bytes)
    {
        const QString target = QDir(templates).filePath(relative);
        ASSERT_TRUE(QDir().mkpath(QFileInfo(target).absolutePath()));
        ASSERT_TRUE(pwtest::writeFile(target, bytes));
    }

    QTemporaryDir library;
    QString templates;
    QWidget root;
    QComboBox *popup = nullptr;
    QTableWidget *table = nullptr;
    QLabel *well = nullptr;
    CAAssistantDesingController step;
};

TEST_F(DesignStepTest, ListsCategoryFoldersAndDesignsAtAnyDepthWithTheExactExtension)
{
    putSample(u"Mailing3/Business/Classic.pwdc"_s);
    putSample(u"Mailing3/Business/Older/Framed.pwdc"_s, u"Mailing3/Business/Framed.pwdc"_s);
    putSample(u"Mailing3/Business/Shouting.PWDC"_s);
    putBytes(u"Mailing3/Business/readme.txt"_s, "not a design");
    putSample(u"Mailing3/Handling/Fragile.pwdc"_s, u"Mailing3/Handling/Fragile.pwdc"_s);
    putBytes(u"Mailing3/stray.pwdc"_s, "a file is no category");

    step.initControls(u"Mailing3"_s);
    EXPECT_EQ(step.categories(), (QStringList{u"Business"_s, u"Handling"_s}));
    EXPECT_TRUE(popup->isEnabled());
    EXPECT_EQ(popup->currentText(), u"Business"_s);
    EXPECT_EQ(step.designs(), (QStringList{u"Classic.pwdc"_s, u"Older/Framed.pwdc"_s}));
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->item(1, 0)->text(), u"Framed"_s);
    // The first design is chosen and previewed.
    EXPECT_EQ(step.currentDocPath(), QDir(templates).filePath(u"Mailing3/Business/Classic.pwdc"_s));
    EXPECT_FALSE(well->pixmap().isNull());
    EXPECT_FALSE(step.finishAssistant());

    int retitles = 0;
    const int token = PWNotificationCenter::defaultCenter().addObserver(u"Update Next Button In Assistant"_s, nullptr,
                                                                        [&retitles](const PWNotification &) { ++retitles; });
    ASSERT_TRUE(chooseItem(popup, u"Handling"_s));
    PWNotificationCenter::defaultCenter().removeObserver(token);
    EXPECT_TRUE(step.finishAssistant());
    EXPECT_GE(retitles, 1);
    EXPECT_EQ(step.designs(), QStringList{u"Fragile.pwdc"_s});
    EXPECT_TRUE(step.currentDocPath().endsWith(u"Handling/Fragile.pwdc"_s));
}

TEST_F(DesignStepTest, ClickingADesignChoosesItAndTheSameSizeGroupAgainChoosesTheFirst)
{
    putSample(u"Mailing3/Business/Classic.pwdc"_s);
    putSample(u"Mailing3/Business/Framed.pwdc"_s, u"Mailing3/Business/Framed.pwdc"_s);
    step.initControls(u"Mailing3"_s);
    clickRow(table, 1);
    EXPECT_TRUE(step.currentDocPath().endsWith(u"Framed.pwdc"_s));
    step.initControls(u"Mailing3"_s);
    EXPECT_TRUE(step.currentDocPath().endsWith(u"Classic.pwdc"_s));
}

TEST_F(DesignStepTest, AGroupWithoutFolderDisablesThePopupAndOffersNothing)
{
    putSample(u"Mailing3/Business/Classic.pwdc"_s);
    step.initControls(u"Mailing3"_s);
    ASSERT_FALSE(step.currentDocPath().isEmpty());
    pwtest::LogCapture log;
    step.initControls(u"Envelope9"_s);
    EXPECT_FALSE(popup->isEnabled());
    EXPECT_EQ(popup->count(), 0);
    EXPECT_TRUE(step.designs().isEmpty());
    EXPECT_TRUE(step.currentDocPath().isEmpty());
    EXPECT_EQ(table->rowCount(), 0);
    EXPECT_TRUE(log.lines().join(u'\n').contains(u"No templates found in"_s));
}

TEST_F(DesignStepTest, AnUnreadableDesignIsChosenWithoutPreviewAndReportsBothSides)
{
    putBytes(u"Return5/Business/Broken.pwdc"_s, QByteArray("<?xml version=\"1.0\"?>\xff\xfe\xfd<plist>", 25));
    putBytes(u"Return5/Business/Words.pwdc"_s, "just some words");
    for (const QString &name : {u"Broken"_s, u"Words"_s}) {
        SCOPED_TRACE(name.toStdString());
        const QString path = QDir(templates).filePath(u"Return5/Business/"_s + name + u".pwdc"_s);
        EXPECT_TRUE(step.imageWithPath(path).isNull());
        EXPECT_EQ(step.currentDocPath(), path);
        EXPECT_EQ(step.createCurrentFTDoc(), nullptr);
        step.checkDocSenderAndRecipient();
        EXPECT_TRUE(step.isDocHasSender());
        EXPECT_TRUE(step.isDocHasRecipient());
    }
}

// Previews are kept by path, a bounded number, and drawn again when their file changed.
TEST_F(DesignStepTest, PreviewCacheIsKeyedByPathCappedAndNoticesChangedFiles)
{
    const int designs = CAAssistantDesingController::kPreviewCacheSize + 6;
    QStringList paths;
    for (int i = 0; i < designs; ++i) {
        const QString relative = u"Mailing3/Business/Copy %1.pwdc"_s.arg(i);
        putSample(relative);
        paths << QDir(templates).filePath(relative);
    }
    for (const QString &path : std::as_const(paths))
        ASSERT_FALSE(step.imageWithPath(path).isNull());
    EXPECT_EQ(step.renderedPreviewCount(), designs);
    EXPECT_LE(step.cachedPreviewCount(), CAAssistantDesingController::kPreviewCacheSize);

    // The latest is kept: choosing it again draws nothing.
    step.imageWithPath(paths.last());
    EXPECT_EQ(step.renderedPreviewCount(), designs);
    // The first was let go to stay within the bound.
    step.imageWithPath(paths.first());
    EXPECT_EQ(step.renderedPreviewCount(), designs + 1);

    // Another design written over a kept path is drawn anew, not served from the cache.
    const QImage before = step.imageWithPath(paths.last());
    putSample(u"Mailing3/Business/Copy %1.pwdc"_s.arg(designs - 1), u"Mailing3/Handling/Fragile.pwdc"_s);
    QFile touched(paths.last());
    ASSERT_TRUE(touched.open(QIODevice::ReadWrite));
    touched.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
    touched.close();
    const QImage after = step.imageWithPath(paths.last());
    EXPECT_EQ(step.renderedPreviewCount(), designs + 2);
    EXPECT_NE(before, after);
}

// Two image pixels a point, the corners outside a rounded label left clear, the inside drawn.
TEST_F(DesignStepTest, PreviewIsTwoPixelsAPointClippedToTheSurfaceOutline)
{
    std::shared_ptr<CATemplateFormat> round;
    for (const auto &format : *CATemplateFormat::predefLayouts(dtLabel))
        if (format->getCornerRadius() > 20.0 && !format->isLabelRoll()) {
            round = format;
            break;
        }
    ASSERT_NE(round, nullptr);
    CADocument document(std::make_unique<CFTADocument>(dtLabel, CDDString(u"us"_s), CDDString(u"us"_s)));
    document.setLayoutArangeComponents(*round, false);
    CFTADocument *design = document.ftDocument();
    const double width = design->getDocumentSizeX(0);
    const double height = design->getDocumentSizeY(0);
    auto box = std::make_unique<CFTBoxField>(0.0, 0.0, width, height, nullptr);
    box->SetFilled(true);
    const CDDColor black(0.0f, 0.0f, 0.0f, 1.0f);
    box->SetFillColor(&black);
    CFTAView(document.ftDocumentController()).InsertComponent(box.release(), false);
    const QString path = QDir(templates).filePath(u"Round/Business/Dot.pwdc"_s);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    ASSERT_TRUE(document.writeToFile(path));

    const QImage preview = step.imageWithPath(path);
    ASSERT_FALSE(preview.isNull());
    EXPECT_EQ(preview.size(), QSize(qRound(width * 2.0), qRound(height * 2.0)));
    EXPECT_EQ(qAlpha(preview.pixel(1, 1)), 0) << "a corner outside the outline was drawn";
    const QRgb middle = preview.pixel(preview.width() / 2, preview.height() / 2);
    EXPECT_EQ(qAlpha(middle), 255);
    EXPECT_LT(qGray(middle), 40);
}

// --- the tab frame ------------------------------------------------------------------------------

QImage solid(int w, int h, QColor colour)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

struct FrameCase
{
    const char *name;
    // The edges' thickness across the frame, and their length along it.
    int edgeAcross;
    int edgeAlong;
};

class TabFrame : public ::testing::TestWithParam<FrameCase>
{
};

// The edges are placed by their own sizes: as wide as the corners they close the frame and leave
// the corners whole; the inside is the flat grey.
TEST_P(TabFrame, EdgesArePlacedByTheirOwnSizes)
{
    const FrameCase c = GetParam();
    const auto images = [&c](const QString &name) {
        if (name.endsWith(u"_left"_s) || name.endsWith(u"_right"_s)) {
            if (name.startsWith(u"w_top"_s) || name.startsWith(u"w_bottom"_s))
                return solid(8, 8, Qt::red);
            return solid(c.edgeAcross, c.edgeAlong, Qt::blue);
        }
        return solid(c.edgeAlong, c.edgeAcross, Qt::green);
    };
    QImage canvas(100, 60, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    CAAssistantTabView::drawFrame(painter, canvas.size(), images);
    painter.end();

    const bool cornersKept = c.edgeAlong >= 8;
    for (const QPoint corner : {QPoint(4, 4), QPoint(95, 4), QPoint(4, 55), QPoint(95, 55)})
        EXPECT_EQ(canvas.pixel(corner) == QColor(Qt::red).rgb(), cornersKept) << corner.x() << "," << corner.y();
    EXPECT_EQ(canvas.pixel(50, 0), QColor(Qt::green).rgb());
    EXPECT_EQ(canvas.pixel(50, 59), QColor(Qt::green).rgb());
    EXPECT_EQ(canvas.pixel(0, 30), QColor(Qt::blue).rgb());
    EXPECT_EQ(canvas.pixel(99, 30), QColor(Qt::blue).rgb());
    EXPECT_EQ(canvas.pixel(50, 30), QColor::fromRgbF(0.847f, 0.847f, 0.847f).rgb());
}

INSTANTIATE_TEST_SUITE_P(Assistant, TabFrame,
                         ::testing::Values(FrameCase{"EdgesAsLongAsTheCorners", 8, 8},
                                           FrameCase{"OnePixelEdgesCoverTheCorners", 8, 1}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(AssistantTabViewTest, TheBundleFrameClosesWithoutCoveringItsCorners)
{
    // The shipped pieces: the corner's rounded outline survives the edges drawn after it.
    const QImage corner = CAAssistantTabView::bundleImage(u"w_top_left"_s);
    const QImage top = CAAssistantTabView::bundleImage(u"w_top"_s);
    const QImage left = CAAssistantTabView::bundleImage(u"w_left"_s);
    ASSERT_FALSE(corner.isNull());
    EXPECT_EQ(top.width(), corner.width());
    EXPECT_EQ(left.height(), corner.height());
    QImage canvas(64, 48, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    CAAssistantTabView::drawFrame(painter, canvas.size(), &CAAssistantTabView::bundleImage);
    painter.end();
    EXPECT_EQ(canvas.copy(0, 0, corner.width(), corner.height()), corner);
}

} // namespace
