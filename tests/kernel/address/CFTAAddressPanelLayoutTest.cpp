#include "kernel/address/CFTAAddressPanel.h"

#include "AddressTestSupport.h"
#include "ReferenceImage.h"

#include "kernel/render/CDDDrawer.h"
#include "platform/PWJobReport.h"

#include <optional>

namespace {

using namespace addrtest;

double right(const CFTComponent *component)
{
    return component->GetOriginX() + component->GetSizeX();
}

double fontSize(const CFTComponent *component)
{
    return pointSize(component->GetFont(nullptr));
}

TEST(CFTAAddressPanelLayoutTest, RowsStackWithMarginsAndTheWidestRowSetsTheWidth)
{
    const auto made =
        handMadePanel({{tcCompany, 0, 0}, {tcStreet, 1, 0}, {tcCity, 2, 0}},
                      {{tcCompany, u"Co"_s}, {tcStreet, u"A much longer street line"_s}, {tcCity, u"Town"_s}});
    CFTAAddressPanel &panel = *made;
    panel.SetOrigin(30.0, 40.0);
    field(panel, tcStreet)->SetFontSize(18.0);
    panel.updateFormat();
    const double heights =
        field(panel, tcCompany)->GetSizeY() + field(panel, tcStreet)->GetSizeY() + field(panel, tcCity)->GetSizeY();
    EXPECT_NEAR(panel.GetSizeY(), heights + 10.0, 1e-9);
    EXPECT_NEAR(panel.GetSizeX(), field(panel, tcStreet)->GetSizeX() + 10.0, 1e-9);
    EXPECT_DOUBLE_EQ(field(panel, tcCompany)->GetOriginY(), 45.0);
    EXPECT_NEAR(field(panel, tcStreet)->GetOriginY(), 45.0 + field(panel, tcCompany)->GetSizeY(), 1e-9);
    for (textCategory category : {tcCompany, tcStreet, tcCity})
        EXPECT_DOUBLE_EQ(field(panel, category)->GetOriginX(), 35.0);
    // Row spacing goes between rows, not after the last one.
    panel.setRowSpacing(4.0);
    panel.updateFormat();
    EXPECT_NEAR(panel.GetSizeY(), heights + 10.0 + 8.0, 1e-9);
}

TEST(CFTAAddressPanelLayoutTest, FieldsOfARowShareTheTallestBaselineAndColumnSpacingWidensEveryGap)
{
    const auto made = handMadePanel({{tcCity, 0, 0}, {tcState, 0, 1}, {tcZIP, 0, 2}},
                                    {{tcCity, u"Springfield"_s}, {tcState, u"IL"_s}, {tcZIP, u"62704"_s}});
    CFTAAddressPanel &panel = *made;
    field(panel, tcState)->SetFontSize(24.0);
    panel.updateFormat();
    const double baseline = field(panel, tcState)->GetBaseLineOffset();
    EXPECT_NEAR(field(panel, tcCity)->GetBaseLineOffset(), baseline, 1e-6);
    EXPECT_NEAR(field(panel, tcZIP)->GetBaseLineOffset(), baseline, 1e-6);
    EXPECT_DOUBLE_EQ(field(panel, tcState)->GetOriginY(), panel.GetOriginY() + 5.0);
    EXPECT_GT(field(panel, tcCity)->GetOriginY(), field(panel, tcState)->GetOriginY());
    // Side by side, in format order.
    const auto gaps = [&] {
        return std::pair {field(panel, tcState)->GetOriginX() - right(field(panel, tcCity)),
                          field(panel, tcZIP)->GetOriginX() - right(field(panel, tcState))};
    };
    const auto [gap1, gap2] = gaps();
    EXPECT_GT(gap1, 0.0);
    EXPECT_GT(gap2, 0.0);
    const double width = panel.GetSizeX();
    panel.setColumnSpacing(7.0);
    panel.updateFormat();
    EXPECT_NEAR(gaps().first, gap1 + 7.0, 1e-9);
    EXPECT_NEAR(gaps().second, gap2 + 7.0, 1e-9);
    EXPECT_NEAR(panel.GetSizeX(), width + 14.0, 1e-9);
}

TEST(CFTAAddressPanelLayoutTest, AHiddenPanelKeepsTheSmallestSize)
{
    CFTAAddressPanel hidden(true, handMadeFormat({{tcCompany, 0, 0}, {tcStreet, 1, 0}}).get(), nullptr, false);
    hidden.setMode(tcCompany, fmNever);
    hidden.setMode(tcStreet, fmNever);
    hidden.updateFormat();
    EXPECT_DOUBLE_EQ(hidden.GetSizeX(), 40.0);
    EXPECT_DOUBLE_EQ(hidden.GetSizeY(), 20.0);
    EXPECT_TRUE(hidden.isAuto()) << "an empty panel returns to its placeholder state";
}

TEST(CFTAAddressPanelLayoutTest, AlignedPanelKeepsItsAnchorWhileTheWidestRowChanges)
{
    const auto format = handMadeFormat({{tcCompany, 0, 0}, {tcStreet, 1, 0}});
    for (const textAlignment alignment : {taRight, taCenter}) {
        SCOPED_TRACE(int(alignment));
        CFTAAddressPanel panel(true, format.get(), nullptr, false);
        panel.SetAlignment(alignment);
        panel.SetOrigin(100.0, 50.0);
        fill(panel, tcCompany, u"Shorter Company"_s);
        const bool centred = alignment == taCenter;
        const auto anchor = [centred](const CFTComponent *c) {
            return centred ? c->GetOriginX() + c->GetSizeX() / 2.0 : right(c);
        };
        std::optional<double> before;
        for (const char *street : {"A rather long street name", "A far far longer street name than before", "Lane"}) {
            fill(panel, tcStreet, QLatin1String(street));
            panel.updateFormat();
            if (!before)
                before = anchor(&panel);
            EXPECT_NEAR(anchor(&panel), *before, 1e-9) << street;
            for (textCategory category : {tcCompany, tcStreet})
                EXPECT_NEAR(anchor(field(panel, category)), centred ? *before : *before - 5.0, 1e-9) << street;
        }
        EXPECT_NEAR(panel.GetSizeX(), field(panel, tcCompany)->GetSizeX() + 10.0, 1e-9) << "the company is widest";
    }
}

TEST(CFTAAddressPanelLayoutTest, SnapCoordinatesFollowAlignmentAndIgnoreTheVerticalBits)
{
    const auto format = handMadeFormat({{tcStreet, 0, 0}});
    CFTAAddressPanel panel(true, format.get(), nullptr, false);
    fill(panel, tcStreet, u"Road"_s);
    panel.SetOrigin(10.0, 20.0);
    panel.updateFormat();
    const auto xs = [&panel](bool to) {
        float values[2] = {-7, -7};
        const int count = to ? panel.getXSnapArrayTo(values) : panel.getXSnapArrayFrom(values);
        return QList<float>({float(count), values[0], values[1]});
    };
    // Left aligned: the text's left edge inside the margin and the right end of its content.
    EXPECT_EQ(xs(false), QList<float>({2, 15.0f, float(10.0 + panel.contentRight())}));

    // Centred: the content's two ends, standing in the middle of the panel; right aligned: the
    // right margin first, then where the widest row begins.
    panel.SetAlignment(taCenter);
    panel.updateFormat();
    const double width = panel.GetSizeX(), content = panel.contentRight() - 5.0;
    const QList<float> centred = xs(false);
    EXPECT_EQ(centred, QList<float>({2, float(10.0 + (width - content) / 2.0), float(10.0 + (width + content) / 2.0)}));
    EXPECT_EQ(xs(true), centred);
    for (int vertical : {16, 32}) {
        panel.SetAlignment(textAlignment(int(taCenter) | vertical));
        EXPECT_EQ(xs(false), centred) << vertical;
    }
    panel.SetAlignment(taRight);
    EXPECT_EQ(xs(false), QList<float>({2, float(10.0 + width - 5.0), float(10.0 + width - content - 5.0)}));
    // An alignment that names no horizontal place writes nothing and says so.
    panel.SetAlignment(textAlignment(3));
    EXPECT_EQ(xs(false), QList<float>({0, -7, -7}));

    panel.SetHaveBackColor(true);
    EXPECT_EQ(xs(true), QList<float>({2, float(panel.GetOriginX() + 0.5), float(right(&panel) - 0.5)}));
    float ys[2] = {-1, -1};
    ASSERT_EQ(panel.getYSnapArrayFrom(ys), 2);
    EXPECT_EQ(ys[1], float(20.0 + panel.GetSizeY()));
    EXPECT_EQ(panel.getMinSnapXTo(), 15.0f);
    EXPECT_EQ(panel.getMaxSnapYFrom(), float(20.0 + panel.GetSizeY() - 5.0));
}

TEST(CFTAAddressPanelLayoutTest, ScalingMovesARightAlignedPanelByItsRightEdgeAndBelowTheLimitShrinksFonts)
{
    const auto made = handMadePanel({{tcStreet, 0, 0}, {tcCity, 1, 0}}, {{tcStreet, u"Road"_s}});
    CFTAAddressPanel &panel = *made;
    panel.SetAlignment(taRight);
    panel.SetOrigin(100.0, 50.0);
    panel.updateFormat();
    const double width = panel.GetSizeX();
    const double rightEdge = right(&panel);
    const double fieldOffset = field(panel, tcStreet)->GetOriginX() - panel.GetOriginX();
    panel.updateCoordWithKoeff(2.0, 0.5, 0.0, 0.0);
    EXPECT_NEAR(right(&panel), rightEdge * 2.0, 1e-9);
    EXPECT_NEAR(panel.GetSizeX(), width, 1e-9);
    EXPECT_NEAR(panel.GetOriginY(), 25.0, 1e-9);
    EXPECT_NEAR(field(panel, tcStreet)->GetOriginX() - panel.GetOriginX(), fieldOffset, 1e-9);
    // A bottom limit above the content's bottom shrinks the fonts by the same share.
    const auto lowMade =
        handMadePanel({{tcStreet, 0, 0}, {tcCity, 1, 0}}, {{tcStreet, u"Road"_s}, {tcCity, u"Town"_s}});
    CFTAAddressPanel &low = *lowMade;
    low.SetOrigin(0.0, 100.0);
    low.updateFormat();
    const double size = fontSize(field(low, tcStreet));
    low.updateCoordWithKoeff(1.0, 1.0, 0.0, (low.contentBottom() + 100.0 + 4.5) / 2.0);
    EXPECT_NEAR(fontSize(field(low, tcStreet)), size / 2.0, 0.6);
    EXPECT_TRUE(low.needsUpdate());
}

// A panel drawn for printing may keep the rows that drawing laid out for its next print draw,
// once; a promise taken back, or spent, lets the next draw lay the rows out again.
TEST(CFTAAddressPanelLayoutTest, KeptPrintRowsServeOneDrawOnly)
{
    const auto format = catalogueFormat(u"us"_s, true, CAddressFormatController::kBarcodeBelow);
    const auto panel = filledPanel(*format, kUS, 20.0, 20.0);
    const auto printDraw = [&] { panel->Draw(nullptr, false, nullptr, false, true); };
    printDraw();
    const double narrow = panel->GetSizeX();
    const auto widenStreet = [&](const QString &street) {
        field(*panel, tcStreet)->GetText()->setString(street, nullptr);
        field(*panel, tcStreet)->ExpandByText();
    };

    widenStreet(u"1 Main Street, Building Forty-Two, Rear Entrance"_s);
    panel->keepPrintLayoutForNextDraw();
    printDraw();
    EXPECT_DOUBLE_EQ(panel->GetSizeX(), narrow) << "the kept rows";
    printDraw();
    const double wide = panel->GetSizeX();
    EXPECT_GT(wide, narrow + 20.0) << "laid out again once the promise is spent";

    widenStreet(u"1 Main St"_s);
    panel->keepPrintLayoutForNextDraw();
    panel->keepPrintLayoutForNextDraw(false);
    printDraw();
    EXPECT_LT(panel->GetSizeX(), wide - 20.0) << "a promise taken back keeps nothing";
}

// A print's check of an envelope's edges takes the layout the print just drew, once: a panel
// moved past the edge after its layout was taken, or printed while no job was reported, is
// measured where it stands.
TEST(CFTAAddressPanelLayoutTest, APrintsCheckTakesTheLayoutItDrewOnce)
{
    const struct
    {
        const char *name;
        bool reportWhilePrinting;
        bool checkedBeforeTheMove;
    } cases[] = {
        {"printed while no job was reported", false, false},
        {"its print's layout taken by an earlier check", true, true},
    };
    constexpr double kWidth = 400.0;
    constexpr double kHeight = 300.0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto format = catalogueFormat(u"us"_s);
        const auto panel = filledPanel(*format, kUS, 20.0, 20.0);
        {
            std::optional<PWJobReport> printing;
            if (c.reportWhilePrinting)
                printing.emplace();
            panel->Draw(nullptr, false, nullptr, false, true);
            if (c.checkedBeforeTheMove) {
                EXPECT_FALSE(panel->notePastOutput(kWidth, kHeight, u"envelope"_s, CFTAAddressPanel::Measured::AsPrinted));
            }
        }
        // Its left edge 20 points inside the right edge: the address runs past it.
        panel->SetOrigin(kWidth - 20.0, 20.0);
        const PWJobReport report;
        EXPECT_TRUE(panel->notePastOutput(kWidth, kHeight, u"envelope"_s, CFTAAddressPanel::Measured::AsPrinted));
        EXPECT_EQ(report.lines(PWJobReport::Kind::AddressPastEdge).size(), 1);
    }
}

TEST(CFTAAddressPanelLayoutTest, BarcodeHeightIsTakenOutOfTheTextThatShrinksToFit)
{
    const auto format = catalogueFormat(u"us"_s, true, CAddressFormatController::kBarcodeBelow);
    const auto panel = filledPanel(*format, kUS, 20.0, 20.0);
    // The content box height the fit works on (no background: inside the margins).
    const auto contentHeight = [&] { return panel->GetSizeY() - 10.0; };
    CFTAAddressText *barcode = field(*panel, tcBarcode);
    ASSERT_NE(barcode, nullptr);
    const double size = fontSize(field(*panel, tcStreet));
    const double h = contentHeight();
    const double b = barcode->GetSizeY() + barcode->GetPaddedTopSizeY() + barcode->GetPaddedBottomSizeY();
    ASSERT_GT(h, b);
    const double maxHeight = 25.0 + h * 0.8;
    const double k = 1.0 - (25.0 + h - double(float(maxHeight))) / h;
    ASSERT_GT(h * k, 35.0);
    EXPECT_TRUE(panel->updatePositionToFitSize(1000.0, maxHeight, false));
    const double expected = (h * k - b) / (h - b);
    EXPECT_GT(expected, 0.3);
    EXPECT_NEAR(fontSize(field(*panel, tcStreet)), size * expected, 0.6);
    // The text plus the unchanged barcode fills the area the factor aimed at.
    panel->updateFormat();
    EXPECT_NEAR(contentHeight(), h * k, 0.1 * h);
}

// A fit applied on the rows a check laid out ends where a fit from scratch does: same answer,
// frame, field places and font sizes, for every alignment and for each way of overflowing.
struct LaidOutFitCase {
    textAlignment alignment;
    double x;
    double maxWidth;
    double maxHeight;
    bool fits;
};

void PrintTo(const LaidOutFitCase &c, std::ostream *out)
{
    *out << "alignment " << int(c.alignment) << " at " << c.x << " into " << c.maxWidth << " x " << c.maxHeight;
}

class LaidOutFitTest : public ::testing::TestWithParam<LaidOutFitCase> {};

TEST_P(LaidOutFitTest, FitOnTheCheckedLayoutEqualsAFreshFit)
{
    const LaidOutFitCase &c = GetParam();
    const auto format = catalogueFormat(u"us"_s, true, CAddressFormatController::kBarcodeBelow);
    const auto checked = filledPanel(*format, kUS, c.x, 20.0);
    const auto fresh = filledPanel(*format, kUS, c.x, 20.0);
    for (CFTAAddressPanel *panel : {checked.get(), fresh.get()})
        panel->SetAlignment(c.alignment);
    const double size = fontSize(field(*fresh, tcStreet));

    EXPECT_EQ(checked->updatePositionToFitSize(c.maxWidth, c.maxHeight, true), !c.fits);
    EXPECT_DOUBLE_EQ(fontSize(field(*checked, tcStreet)), size); // a check changes nothing
    EXPECT_EQ(checked->fitLaidOutRows(c.maxWidth, c.maxHeight, false), !c.fits);
    EXPECT_EQ(fresh->updatePositionToFitSize(c.maxWidth, c.maxHeight, false), !c.fits);

    if (c.fits)
        EXPECT_DOUBLE_EQ(fontSize(field(*checked, tcStreet)), size);
    else
        EXPECT_LT(fontSize(field(*checked, tcStreet)), size);
    EXPECT_DOUBLE_EQ(checked->GetOriginX(), fresh->GetOriginX());
    EXPECT_DOUBLE_EQ(checked->GetOriginY(), fresh->GetOriginY());
    EXPECT_DOUBLE_EQ(checked->GetSizeX(), fresh->GetSizeX());
    EXPECT_DOUBLE_EQ(checked->GetSizeY(), fresh->GetSizeY());
    for (textCategory category : {tcFirstName, tcCompany, tcStreet, tcCity, tcZIP, tcBarcode}) {
        SCOPED_TRACE(int(category));
        const CFTAAddressText *a = field(*checked, category);
        const CFTAAddressText *b = field(*fresh, category);
        ASSERT_NE(a, nullptr);
        ASSERT_NE(b, nullptr);
        EXPECT_DOUBLE_EQ(a->GetOriginX(), b->GetOriginX());
        EXPECT_DOUBLE_EQ(a->GetOriginY(), b->GetOriginY());
        EXPECT_DOUBLE_EQ(a->GetSizeX(), b->GetSizeX());
        EXPECT_DOUBLE_EQ(fontSize(a), fontSize(b));
    }
}

std::string laidOutFitName(const ::testing::TestParamInfo<LaidOutFitCase> &info)
{
    const LaidOutFitCase &c = info.param;
    const std::string alignment = c.alignment == taLeft ? "Left" : c.alignment == taCenter ? "Centre" : "Right";
    const std::string overflow = c.fits ? "Fits" : c.x < 0.0 ? "OffPage" : c.maxWidth < c.maxHeight ? "TooWide" : "TooTall";
    return alignment + overflow + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(CFTAAddressPanelLayoutTest, LaidOutFitTest,
                         ::testing::Values(LaidOutFitCase {taLeft, 20.0, 1000.0, 1000.0, true},
                                           LaidOutFitCase {taRight, 20.0, 1000.0, 1000.0, true},
                                           LaidOutFitCase {taLeft, 20.0, 1000.0, 70.0, false},
                                           LaidOutFitCase {taCenter, 20.0, 1000.0, 70.0, false},
                                           LaidOutFitCase {taRight, 20.0, 1000.0, 70.0, false},
                                           LaidOutFitCase {taLeft, 20.0, 90.0, 1000.0, false},
                                           LaidOutFitCase {taRight, 20.0, 90.0, 1000.0, false},
                                           LaidOutFitCase {taLeft, -15.0, 1000.0, 1000.0, false},
                                           LaidOutFitCase {taCenter, -15.0, 1000.0, 90.0, false}),
                         laidOutFitName);

QImage drawPanel(CFTAAddressPanel &panel, const QSizeF &size, bool selected)
{
    return drawtest::render(size, 2.0, [&](CDDDrawer &drawer) {
        panel.Draw(&drawer, selected, nullptr, false, false);
        if (selected)
            panel.DrawSelection(&drawer, nullptr);
    });
}

// The delimiter stays before the state; each country's rows are checked on its format.
TEST(CFTAAddressPanelLayoutTest, FilledPanelIsLaidOutAndDrawn)
{
    const auto panel = filledPanel(*catalogueFormat(u"us"_s), kUS, 20.0, 30.0);
    EXPECT_EQ(shownRows(*panel), (QStringList {u"Ada|Lovelace"_s, u"Engines Inc"_s, u"12 Main Street"_s,
                                               u"Springfield,|IL|62704"_s, u"USA"_s}));
    EXPECT_TRUE(drawtest::matchesReference(drawPanel(*panel, {260.0, 140.0}, true), u"address-panel-us"_s));
}

TEST(CFTAAddressPanelLayoutTest, PrintingLeavesEmptyFieldsOut)
{
    const auto made = handMadePanel({{tcCompany, 0, 0}, {tcStreet, 1, 0}}, {{tcStreet, u"Road"_s}});
    CFTAAddressPanel &panel = *made;
    panel.setMode(tcCompany, fmAlways);
    panel.updateFormat();
    const double screenHeight = panel.GetSizeY();
    panel.setPrintMode();
    panel.updateFormat();
    EXPECT_NEAR(panel.GetSizeY(), field(panel, tcStreet)->GetSizeY() + 10.0, 1e-9);
    EXPECT_LT(panel.GetSizeY(), screenHeight);
}

TEST(CFTAAddressPanelLayoutTest, AReadingIsShownOnlyWithTheNameItReads)
{
    std::unique_ptr<CAddressFormat> root = handMadeFormat({{tcFirstName, 1, 0}, {tcStreet, 2, 0}});
    root->addKey(tcNickName, 0, 0, CDDString(), CDDString(), CDDString(), CDDString(), fmUnset, tcFirstName, tcNone);
    CFTAAddressPanel panel(true, root.get(), nullptr, false);
    fill(panel, tcNickName, u"Reading"_s);
    fill(panel, tcStreet, u"Road"_s);
    panel.updateFormat();
    const double streetOnly = panel.GetSizeY();
    EXPECT_NEAR(streetOnly, field(panel, tcStreet)->GetSizeY() + 10.0, 1e-9);
    fill(panel, tcFirstName, u"Name"_s);
    panel.updateFormat();
    EXPECT_DOUBLE_EQ(field(panel, tcNickName)->GetOriginY(), panel.GetOriginY() + 5.0);
    EXPECT_GT(panel.GetSizeY(), streetOnly);
}

TEST(CFTAAddressPanelLayoutTest, MissingFormatIsReportedOncePerPanel)
{
    pwtest::LogCapture log;
    CFTAAddressPanel panel;
    EXPECT_TRUE(isBlank(drawPanel(panel, QSizeF(60.0, 40.0), false)));
    drawPanel(panel, QSizeF(60.0, 40.0), false);
    EXPECT_EQ(pwtest::LogCapture::lines().count(u"Error: No format Specified!!"_s), 1);
    CFTAAddressPanel other;
    drawPanel(other, QSizeF(60.0, 40.0), false);
    EXPECT_EQ(pwtest::LogCapture::lines().count(u"Error: No format Specified!!"_s), 2);
}

// A filled US recipient panel with the barcode above the name, laid out at (20, 30); its company
// stays empty and so hidden.
class PanelEditingTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_format = catalogueFormat(u"us"_s, true, CAddressFormatController::kBarcodeAbove);
        ASSERT_TRUE(m_format);
        m_panel = filledPanel(*m_format, u"Ada|Lovelace||12 Main Street|Springfield|IL|62704|USA"_s, 20, 30);
    }
    CFTAAddressText *field(textCategory category) const { return addrtest::field(*m_panel, category); }
    // Tab pressed in the field being edited: editing ends there and goes on in the next field.
    textCategory tab()
    {
        m_panel->endEditText(nullptr);
        m_panel->startEditText(nullptr, nullptr);
        return m_panel->GetTextCategory();
    }
    std::unique_ptr<CAddressFormat> m_format;
    std::unique_ptr<CFTAAddressPanel> m_panel;
};

TEST_F(PanelEditingTest, InsideAnswersThePanelAndTheBoxLabelItsParts)
{
    bool selected = true;
    actionType action = actionUnset;
    EXPECT_EQ(m_panel->PickMe(30.0, 40.0, selected, 3.0, action, 0), m_panel.get());
    EXPECT_EQ(action, actionType(6));
    // Find a point on each part of the tab above the top edge.
    const double x = m_panel->GetOriginX();
    const double y = m_panel->GetOriginY();
    const double w = m_panel->GetSizeX();
    const double h = m_panel->GetSizeY();
    const auto findRegion = [&](int wanted) -> std::optional<QPointF> {
        for (double ty = y - 1.0; ty > y - 20.0; ty -= 0.5)
            for (double tx = x; tx < x + w; tx += 0.5)
                if (CDDDrawer::regionIndexForBoxLabel(tx, ty, x, y, w, h, 5.0, true, m_panel->templateName()) == wanted)
                    return QPointF(tx, ty);
        return std::nullopt;
    };
    for (const auto &[region, wanted] : {std::pair {0, actionType(5)}, std::pair {1, actionType(4)}}) {
        const std::optional<QPointF> point = findRegion(region);
        ASSERT_TRUE(point);
        action = actionUnset;
        EXPECT_EQ(m_panel->PickMe(point->x(), point->y(), selected, 0.0, action, 0), m_panel.get());
        EXPECT_EQ(action, wanted);
    }
    // On the border: found, and the selection flag cleared; far away: nothing.
    selected = true;
    EXPECT_EQ(m_panel->PickMe(x + w + 1.0, y + h / 2.0, selected, 3.0, action, 0), m_panel.get());
    EXPECT_FALSE(selected);
    EXPECT_EQ(m_panel->PickMe(x + w + 50.0, y + h + 50.0, selected, 3.0, action, 0), nullptr);
    EXPECT_EQ(m_panel->PickMyDot(x, y, 3.0), 0);
}

TEST_F(PanelEditingTest, ClickEditsTheShownFieldUnderItAndBetweenFieldsNothing)
{
    CFTAAddressText *const street = field(tcStreet);
    const double sx = street->GetOriginX() + 2.0;
    const double sy = street->GetOriginY() + street->GetSizeY() / 2.0;
    EXPECT_TRUE(m_panel->PickText(sx, sy, 0.0));
    m_panel->startEditText(nullptr, nullptr, sx, sy);
    EXPECT_TRUE(street->isEditing());
    EXPECT_EQ(m_panel->currentText(), street);
    EXPECT_DOUBLE_EQ(m_panel->GetEditingOriginX(), street->GetOriginX());
    EXPECT_DOUBLE_EQ(m_panel->GetEditingSizeY(), street->GetSizeY());
    m_panel->endEditText(nullptr);
    EXPECT_FALSE(street->isEditing());
    // The focus stays, but no editing geometry is reported any more.
    EXPECT_EQ(m_panel->currentText(), street);
    EXPECT_EQ(m_panel->GetEditingOriginX(), 0.0);
    EXPECT_EQ(m_panel->GetEditingSizeY(), 0.0);
    // A click right of the short country line, inside the panel.
    CFTAAddressText *const country = field(tcCountry);
    const double px = country->GetOriginX() + country->GetSizeX() + 10.0;
    const double py = country->GetOriginY() + country->GetSizeY() / 2.0;
    ASSERT_LT(px, m_panel->GetOriginX() + m_panel->GetSizeX());
    EXPECT_FALSE(m_panel->PickText(px, py, 0.0));
    m_panel->startEditText(nullptr, nullptr, px, py);
    EXPECT_FALSE(m_panel->isEditing());
}

TEST_F(PanelEditingTest, TabVisitsTheShownFieldsInFormatOrderAndWraps)
{
    EXPECT_EQ(m_panel->GetTextCategory(), tcBarcode);
    std::vector<textCategory> visited;
    for (int i = 0; i < 8; ++i)
        visited.push_back(tab());
    // The hidden company and the barcode are passed over.
    EXPECT_EQ(visited, (std::vector<textCategory> {tcFirstName, tcLastName, tcStreet, tcCity, tcState, tcZIP,
                                                   tcCountry, tcFirstName}));
    EXPECT_TRUE(field(tcFirstName)->isEditing());
    EXPECT_FALSE(field(tcCountry)->isEditing());
    // A forced panel visits the empty company too.
    m_panel->setShowAllFields(true);
    EXPECT_EQ(tab(), tcLastName);
    EXPECT_EQ(tab(), tcCompany);
}

TEST(CFTAAddressPanelEditingTest, NoFormatMeansNoEditing)
{
    CFTAAddressPanel bare;
    bare.startEditText(nullptr, nullptr);
    bare.startEditText(nullptr, nullptr, 1.0, 1.0);
    EXPECT_FALSE(bare.isEditing());
    EXPECT_EQ(bare.endEditText(nullptr), nullptr);
}

TEST(CFTAAddressPanelEditingTest, CursorRectanglesStopAtSixtyFive)
{
    std::unique_ptr<CAddressFormat> root = CAddressFormat::createRoot(tcRootFormat, CDDString(u"Many"_s));
    for (int i = 0; i < 70; ++i)
        root->addKey(textCategory(i), i, 0, CDDString(u"F%1"_s.arg(i)), CDDString(), CDDString(), CDDString(), fmAlways,
                     tcNone, tcNone);
    CFTAAddressPanel panel(true, root.get(), nullptr, false);
    panel.updateFormat();
    std::vector<SRect> rects(80);
    EXPECT_EQ(panel.getCursorRectsByType(cursorType(6), rects.data(), true, 3.0), 65);
    EXPECT_DOUBLE_EQ(rects[1].y, panel.addressComponentAtIndex(1)->GetOriginY());
    EXPECT_DOUBLE_EQ(rects[1].height, panel.addressComponentAtIndex(1)->GetSizeY());
    EXPECT_EQ(panel.getCursorRectsByType(cursorType(2), rects.data(), true, 3.0), 0);
    EXPECT_EQ(panel.getCursorRectsByType(cursorType(6), nullptr, true, 3.0), 0);
}

TEST_F(PanelEditingTest, FontSizeStepsAndSizesReachEveryFieldAndItsLabel)
{
    CFTAAddressText *const company = field(tcCompany);
    ASSERT_TRUE(company->GetString().isEmpty());
    const auto sizes = [&] {
        return std::vector<double> {pointSize(field(tcStreet)->GetFont(nullptr)), pointSize(company->GetFont(nullptr)),
                                    pointSize(company->getLabel()->GetFont())};
    };
    const std::vector<double> before = sizes();
    ASSERT_GT(before[0], 0.0);
    m_panel->IncreaseFontSize();
    m_panel->IncreaseFontSize();
    EXPECT_EQ(sizes(), (std::vector<double> {before[0] + 2.0, before[1] + 2.0, before[2] + 2.0}));
    // One size for the whole panel until a field differs.
    bool mixed = true;
    ASSERT_TRUE(m_panel->GetFont(&mixed));
    EXPECT_FALSE(mixed);
    m_panel->SetFontSize(15.0);
    EXPECT_DOUBLE_EQ(pointSize(m_panel->GetFont(&mixed)), 15.0);
    EXPECT_FALSE(mixed);
    field(tcCity)->SetFontSize(9.0);
    m_panel->GetFont(&mixed);
    EXPECT_TRUE(mixed);
}

} // namespace
