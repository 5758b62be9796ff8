// The document window's rules that need no window: the zoom slider, the zoom a slider value asks
// for, the title with the paper and its size, the tool bar's pictures and the page's place.
#include "ShellTestSupport.h"

#include "app/document/CAScrollView.h"
#include "app/shell/CModeCell.h"

TEST(CAMainWindowRulesTest, ZoomSliderSnapsNearOneAndBelowAThird)
{
    const struct
    {
        double scale;
        int slider;
    } cases[] = {
        {1.15, 100}, {1.25, 125}, {0.25, 0}, {0.5, 50}, {0.81, 100}, {1.19, 100},
        {0.79, 79},  {1.21, 121},  {0.3, 30}, {0.29, 0}, {2.999, 299}, {6.0, 600},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CAMainWindowController::zoomSliderValue(c.scale), c.slider) << "scale " << c.scale;
}

TEST(CAMainWindowRulesTest, SliderValueAsksForAtLeastTwentyAndSnapsToOneHundred)
{
    const struct
    {
        int value;
        int percent;
    } cases[] = {{5, 20}, {0, 20}, {85, 100}, {115, 100}, {80, 80}, {120, 120}, {81, 100}, {119, 100}, {300, 300}};
    for (const auto &c : cases)
        EXPECT_EQ(CAMainWindowController::zoomForSliderValue(c.value), c.percent) << "value " << c.value;
}

TEST(CAMainWindowRulesTest, TitleNamesKindPaperAndSizeInTheDocumentsUnits)
{
    const struct
    {
        documentType kind;
        cardUnits units;
        const char *manufacturer;
        const char *identifier;
        QString expected;
    } cases[] = {
        {dtLabel, cardUnits(0), "Avery", "05960", u"Untitled - Label Avery 05960 - Size 25.4x12.7 mm"_s},
        {dtLabel, cardUnits(1), "Avery", "05960", u"Untitled - Label Avery 05960 - Size 1.000x0.500 in"_s},
        {dtEnvelope, cardUnits(0), "Commercial", "10", u"Untitled - Envelope Commercial 10 - Size 25.4x12.7 mm"_s},
        // What the layout does not name leaves no gap: one blank between words, none at their ends.
        {dtPostcard, cardUnits(1), "", "", u"Untitled - Postcard - Size 1.000x0.500 in"_s},
        {dtPostcard, cardUnits(1), "", "4 x 6", u"Untitled - Postcard 4 x 6 - Size 1.000x0.500 in"_s},
        {dtEnvelope, cardUnits(0), "Commercial", "", u"Untitled - Envelope Commercial - Size 25.4x12.7 mm"_s},
        // A kind the application does not make has no kind word.
        {documentType(5), cardUnits(0), "Maker", "7", u"Untitled - Maker 7 - Size 25.4x12.7 mm"_s},
        {documentType(5), cardUnits(0), "", "", u"Untitled - Size 25.4x12.7 mm"_s},
    };
    for (const auto &c : cases) {
        CFTADocument design(c.kind, CDDString(u"us"_s), CDDString(u"us"_s));
        design.setDocumentType(c.kind);
        design.setDocumentSizeX(72);
        design.setDocumentSizeY(36);
        design.SetManufacturer(CDDString(QString::fromUtf8(c.manufacturer)));
        design.SetID(CDDString(QString::fromUtf8(c.identifier)));
        design.setUnits(c.units);
        EXPECT_EQ(CAMainWindowController::windowTitleForDocumentDisplayName(u"Untitled"_s, &design), c.expected);
    }
    EXPECT_EQ(CAMainWindowController::windowTitleForDocumentDisplayName(u"Untitled 2"_s, nullptr), u"Untitled 2"_s);
}

TEST(CAMainWindowRulesTest, FitScaleShowsTheWholeCardBetweenHalfAndThreeTimes)
{
    EXPECT_DOUBLE_EQ(CAMainWindowController::fitScale(QSizeF(200, 100), QSizeF(400, 400)), 2.0);
    EXPECT_DOUBLE_EQ(CAMainWindowController::fitScale(QSizeF(100, 50), QSizeF(1000, 1000)), 3.0);
    EXPECT_DOUBLE_EQ(CAMainWindowController::fitScale(QSizeF(2000, 1000), QSizeF(400, 400)), 0.5);
    EXPECT_DOUBLE_EQ(CAMainWindowController::fitScale(QSizeF(684, 297), QSizeF(684, 600)), 1.0);
}

TEST(CModeCellTest, BackgroundIsChosenByPositionAndState)
{
    const struct
    {
        int tag;
        bool highlighted, on;
        const char *name;
    } cases[] = {
        {12, false, true, "left_s2b"},     {1, false, false, "mid_normal"},  {10, true, false, "left_mouse"},
        {35, true, true, "right_s2b_mouse"}, {20, false, true, "mid_s2b"},  {39, false, false, "right_normal"},
        {40, true, false, "mid_mouse"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CModeCell::getFileName(c.tag, c.highlighted, c.on), QString::fromLatin1(c.name)) << c.tag;
}

TEST(CModeCellTest, IconIsCentredOnWholePixelsPlusAHalf)
{
    EXPECT_EQ(CModeCell::iconRect(QRectF(10, 0, 31, 24), QSizeF(16, 16)), QRectF(17.5, 4, 16, 16));
    EXPECT_EQ(CModeCell::iconRect(QRectF(0, 3, 32, 23), QSizeF(16, 16)), QRectF(8.5, 6, 16, 16));
}

TEST(CModeCellTest, EveryBackgroundPictureIsInTheBundle)
{
    for (int tag : {10, 20, 30})
        for (bool highlighted : {false, true})
            for (bool on : {false, true})
                EXPECT_TRUE(QFile::exists(u":/bundle/ModeCell/%1.svg"_s.arg(CModeCell::getFileName(tag, highlighted, on))));
}

TEST(CAScrollViewTest, PageIsCentredWhenSmallerAndKeptAgainstTheEdgesWhenLarger)
{
    const QRectF bounds(0, 0, 400, 300);
    const struct
    {
        QRectF page;
        QPointF origin;
    } cases[] = {
        {{-50, 80, 200, 100}, {100, 100}},  // smaller both ways: centred
        {{30, -20, 600, 100}, {0, 100}},    // wider: no gap at the left
        {{-300, 0, 600, 500}, {-200, 0}},   // dragged too far: the right edge meets the container's
        {{-50, -400, 300, 500}, {50, -200}}, // narrower but too high: centred, the bottom edge meets
        {{-100, -50, 600, 500}, {-100, -50}}, // inside: stays
    };
    for (const auto &c : cases)
        EXPECT_EQ(CAScrollView::checkedOrigin(c.page, bounds), c.origin) << c.page.x() << "," << c.page.y();
}
