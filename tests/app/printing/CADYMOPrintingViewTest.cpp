#include "app/printing/CADYMOPrintingView.h"

#include "PrintingTestSupport.h"

#include <QTemporaryDir>

using namespace printtest;

namespace {

constexpr double kMm = 72.0 / 25.4;

CAPrintSettings rollPaper(const QString &printer = QString())
{
    CAPrintSettings settings;
    settings.paperSize = QSizeF(300.0, 120.0);
    settings.printerName = printer;
    return settings;
}

// The preview of a page, two pixels a point, on a background no drawing uses.
QImage previewPage(CADYMOPrintingView &view, int page)
{
    return drawnPage(view, page, view.paperSize());
}

class CADYMOPrintingViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        prepareProcess();
        ASSERT_TRUE(m_folder.isValid());
    }

    std::unique_ptr<CADYMOPrintingView> makeView(const DesignGeometry &geometry,
                                                 std::optional<CAPrintingView::PersonList> persons,
                                                 const CAPrintSettings &settings = rollPaper())
    {
        auto view = std::make_unique<CADYMOPrintingView>(CAPrintingView::DocumentList {makeDesign(geometry)},
                                                         std::move(persons), settings, true);
        // Images the view made with the system's renderer while it was built are cached: drop them.
        view->setItemRenderer(plainRenderer());
        view->clearDocMapPreviewCache();
        view->refreshDocumentMap();
        return view;
    }

    PrintedPdf print(CADYMOPrintingView &view, const QString &name)
    {
        return printed(view, m_folder.filePath(name), 288);
    }

    QTemporaryDir m_folder;
};

const QStringList kNames {u"Ann"_s, u"Bob"_s, u"Cid"_s, u"Dee"_s, u"Eve"_s};

TEST_F(CADYMOPrintingViewTest, PrintsOnePagePerPersonAtTheRollOffsetsWithThePageNumberInItsCounters)
{
    const DesignGeometry geometry {.offsetX = 10.0, .offsetY = 6.0, .counter = true};
    std::unique_ptr<CADYMOPrintingView> view = makeView(geometry, persons(kNames));
    ASSERT_EQ(view->pageCount(), 5);

    const PrintedPdf pdf = print(*view, u"roll.pdf"_s);
    ASSERT_TRUE(pdf.isValid());
    ASSERT_EQ(pdf.pageCount(), 5);
    for (int page = 0; page < 5; ++page) {
        SCOPED_TRACE(page + 1);
        EXPECT_NEAR(pdf.pageSize(page).width(), 300.0, 0.5);
        EXPECT_NEAR(pdf.pageSize(page).height(), 120.0, 0.5);
        // The item stands on the paper's bottom edge, moved right and up by the roll offsets.
        const QImage image = pdf.render(page);
        expectRectNear(boxOfColour(image, colourForName(kNames[page])), QRectF(10.0, 120.0 - 6.0 - 79.0, 252.0, 79.0));
        // No other person's colour on this page.
        for (int other = 0; other < 5; ++other) {
            if (other != page) {
                EXPECT_TRUE(boxOfColour(image, colourForName(kNames[other])).isNull()) << other;
            }
        }
        EXPECT_EQ(pdf.text(page), QString::number(page + 1));
    }
}

struct ImageRectCase
{
    const char *name;
    bool labelRoll;
    double printableWidth;
    double printableHeight;
    int mode;
    // Where the design area lands on 300 × 120 paper with roll offsets (20, 10).
    QRectF expected;
};

class CADYMOImageRectTest : public CADYMOPrintingViewTest, public ::testing::WithParamInterface<ImageRectCase>
{
};

TEST_P(CADYMOImageRectTest, PlacesTheDesignAreaOnThePage)
{
    const ImageRectCase &c = GetParam();
    const DesignGeometry geometry {.printableWidth = c.printableWidth,
                                   .printableHeight = c.printableHeight,
                                   .labelRoll = c.labelRoll,
                                   .offsetX = 20.0,
                                   .offsetY = 10.0};
    std::unique_ptr<CADYMOPrintingView> view = makeView(geometry, std::nullopt);
    QImage image;
    if (c.mode == CAPrintingView::kPrintMode) {
        const PrintedPdf pdf = print(*view, u"rect.pdf"_s);
        ASSERT_EQ(pdf.pageCount(), 1);
        image = pdf.render(0);
    } else {
        image = previewPage(*view, 1);
    }
    expectRectNear(boxOfColour(image, colourForName(QString())), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, CADYMOImageRectTest,
    ::testing::Values(
        // The 50-point bleed of label-roll paper lies outside the design area.
        ImageRectCase {"LabelRollPrint", true, 0, 0, 0, QRectF(20.0, 31.0, 252.0, 79.0)},
        ImageRectCase {"LabelRollPreview", true, 0, 0, 1, QRectF(20.0, 31.0, 252.0, 79.0)},
        // Print centres the layout-size image on the printable area.
        ImageRectCase {"PrintableAreaPrint", false, 240, 70, 0, QRectF(14.0, 35.5, 252.0, 79.0)},
        // Preview squeezes the image into the printable area.
        ImageRectCase {"PrintableAreaPreview", false, 240, 70, 1, QRectF(20.0, 40.0, 240.0, 70.0)},
        // A printable size that truncates to 0 counts as none.
        ImageRectCase {"TinyPrintableAreaIsIgnored", false, 0.5, 70, 0, QRectF(20.0, 31.0, 252.0, 79.0)}),
    [](const ::testing::TestParamInfo<ImageRectCase> &info) { return std::string(info.param.name); });

TEST_F(CADYMOPrintingViewTest, CalibrationPageIsOnePageCentredOnTheLabel)
{
    struct Case
    {
        float printableWidth;
        float printableHeight;
        QPointF centre;
    };
    for (const Case &c : {Case {0.0f, 0.0f, QPointF(126.0, 39.5)}, Case {200.0f, 90.0f, QPointF(100.0, 45.0)}}) {
        SCOPED_TRACE(c.printableWidth);
        CATemplateFormat layout;
        layout.setPageSize(u"Label Roll"_s);
        layout.setItemWidth(79.0f);
        layout.setItemHeight(252.0f);
        layout.setPrintableWidth(c.printableWidth);
        layout.setPrintableHeight(c.printableHeight);
        CADYMOPrintingView view(layout, rollPaper());
        EXPECT_EQ(view.pageCount(), 1);

        const QImage image = drawnPage(view, 1, QSizeF(300.0, 120.0), 4.0, Qt::white);
        const QRectF ink = boxOfColour(image, QColor(Qt::black), 4.0);
        ASSERT_FALSE(ink.isNull());
        EXPECT_NEAR(ink.center().x(), c.centre.x(), 0.5);
        EXPECT_NEAR(ink.center().y(), c.centre.y(), 0.5);
        EXPECT_NEAR(ink.width(), CADYMOPrintingView::calibrationDrawingSize().width(), 1.0);
        EXPECT_NEAR(ink.height(), CADYMOPrintingView::calibrationDrawingSize().height(), 1.0);
        // The centre is marked.
        EXPECT_EQ(QColor(image.pixel(int(c.centre.x() * 4), int(c.centre.y() * 4))), QColor(Qt::black));
    }

    CATemplateFormat layout;
    layout.setItemWidth(252.0f);
    layout.setItemHeight(79.0f);
    CADYMOPrintingView view(layout, rollPaper());
    const PrintedPdf pdf = print(view, u"calibration.pdf"_s);
    EXPECT_EQ(pdf.pageCount(), 1);
}

TEST_F(CADYMOPrintingViewTest, ClicksOnTheDrawnItemOpenItsPageForEditing)
{
    const DesignGeometry geometry {.width = 200.0, .height = 60.0, .labelRoll = false, .offsetX = 30.0};
    std::unique_ptr<CADYMOPrintingView> view = makeView(geometry, persons(kNames));
    std::vector<std::shared_ptr<CADocument>> opened;
    view->setEditingHandler([&opened](std::shared_ptr<CADocument> document) { opened.push_back(std::move(document)); });

    view->setCurPage(2);
    previewPage(*view, 2);
    const std::optional<CADYMOPrintingView::HitRecord> hit = view->hitRecordForMapIndex(1);
    ASSERT_TRUE(hit.has_value());
    EXPECT_EQ(hit->page, 2);
    expectRectNear(hit->rect, QRectF(30.0, 60.0, 200.0, 60.0), 1e-6);

    // In the normal mode one click does nothing, a double click on the item opens it, elsewhere not.
    EXPECT_EQ(view->clickAtPoint(QPointF(100.0, 90.0), 1, 2), 0);
    EXPECT_EQ(view->clickAtPoint(QPointF(10.0, 90.0), 2, 2), 0);
    EXPECT_EQ(view->clickAtPoint(QPointF(100.0, 30.0), 2, 2), 0);
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(view->clickAtPoint(QPointF(100.0, 90.0), 2, 2), 2);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(view->editingIndex(), 1);
    ASSERT_NE(opened[0]->currentPerson(true), nullptr);
    EXPECT_EQ(stringForPersonCategory(opened[0]->currentPerson(true).get(), adWork, tcLastName, true), u"Bob"_s);
    // The hit record of another page does not answer for this one.
    EXPECT_EQ(view->clickAtPoint(QPointF(100.0, 90.0), 2, 3), 0);

    // Edit mode opens the current page at once, and then one click is enough.
    view->setCurPage(4);
    view->setGUIMode(1);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(view->editingIndex(), 3);
    EXPECT_EQ(stringForPersonCategory(opened[1]->currentPerson(true).get(), adWork, tcLastName, true), u"Dee"_s);
    previewPage(*view, 4);
    EXPECT_EQ(view->clickAtPoint(QPointF(100.0, 90.0), 1, 4), 4);
    EXPECT_EQ(opened.size(), 3u);

    // Pages outside the map open nothing.
    view->startEditingPage(9);
    view->startEditingPage(0);
    EXPECT_EQ(opened.size(), 3u);
}

} // namespace
