#include "address/CFTAAddressPanel.h"

#include "AddressPanelTestSupport.h"
#include "../drawing/ReferenceImage.h"

#include "address/CFTABarcode.h"
#include "drawing/CDDDrawer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

using paneltest::catalogueFormat;

std::unique_ptr<CAddressFormat> handMadeFormat(std::initializer_list<std::tuple<textCategory, int, int>> leaves)
{
    std::unique_ptr<CAddressFormat> root = CAddressFormat::createRoot(tcRootFormat, CDDString(QStringLiteral("Hand")));
    for (const auto &[category, row, column] : leaves)
        root->addKey(category, row, column, CDDString(QStringLiteral("L%1").arg(int(category))), CDDString(),
                     CDDString(), CDDString(), fmUnset, tcNone, tcNone);
    return root;
}

void fill(CFTAAddressPanel &panel, textCategory category, const QString &text)
{
    panel.SetString(panel.GetToFrom(), category, panel.GetAddressType(), CDDString(text), tcNone, false);
}

CFTAAddressText *field(const CFTAAddressPanel &panel, textCategory category)
{
    return panel.getAddressComponentWithTextCategory(category);
}

double right(const CFTComponent *component)
{
    return component->GetOriginX() + component->GetSizeX();
}

double fontSize(const CFTComponent *component)
{
    const std::optional<PWFont> font = component->GetFont(nullptr);
    return font ? font->pointSize() : 0.0;
}

bool isBlank(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                return false;
    return true;
}

// --- Rows, baselines and size ----------------------------------------------------------------------

TEST(CFTAAddressPanelLayoutTest, RowsStackWithMarginsAndTheWidestRowSetsTheWidth)
{
    const auto format = handMadeFormat({{tcCompany, 0, 0}, {tcStreet, 1, 0}, {tcCity, 2, 0}});
    CFTAAddressPanel panel(true, format.get(), nullptr, false);
    panel.SetOrigin(30.0, 40.0);
    fill(panel, tcCompany, QStringLiteral("Co"));
    fill(panel, tcStreet, QStringLiteral("A much longer street line"));
    fill(panel, tcCity, QStringLiteral("Town"));
    field(panel, tcStreet)->SetFontSize(18.0);
    panel.updateFormat();

    const double heights = field(panel, tcCompany)->GetSizeY() + field(panel, tcStreet)->GetSizeY()
                           + field(panel, tcCity)->GetSizeY();
    EXPECT_NEAR(panel.GetSizeY(), heights + 10.0, 1e-9);
    EXPECT_NEAR(panel.GetSizeX(), field(panel, tcStreet)->GetSizeX() + 10.0, 1e-9);
    EXPECT_DOUBLE_EQ(field(panel, tcCompany)->GetOriginY(), 45.0);
    EXPECT_NEAR(field(panel, tcStreet)->GetOriginY(), 45.0 + field(panel, tcCompany)->GetSizeY(), 1e-9);
    for (textCategory category : {tcCompany, tcStreet, tcCity})
        EXPECT_DOUBLE_EQ(field(panel, category)->GetOriginX(), 35.0);
    EXPECT_FALSE(panel.isEmpty());
    EXPECT_FALSE(panel.needsUpdate());
    EXPECT_FLOAT_EQ(panel.contentRight(), float(field(panel, tcStreet)->GetSizeX() + 5.0));
    EXPECT_FLOAT_EQ(panel.contentBottom(), float(panel.GetSizeY() - 5.0));

    // Row spacing goes between rows, not after the last one.
    panel.setRowSpacing(4.0);
    panel.updateFormat();
    EXPECT_NEAR(panel.GetSizeY(), heights + 10.0 + 8.0, 1e-9);
}

TEST(CFTAAddressPanelLayoutTest, FieldsOfARowShareTheTallestFieldsBaseline)
{
    const auto format = handMadeFormat({{tcCity, 0, 0}, {tcState, 0, 1}, {tcZIP, 0, 2}});
    CFTAAddressPanel panel(true, format.get(), nullptr, false);
    fill(panel, tcCity, QStringLiteral("Springfield"));
    fill(panel, tcState, QStringLiteral("IL"));
    fill(panel, tcZIP, QStringLiteral("62704"));
    field(panel, tcState)->SetFontSize(24.0);
    panel.updateFormat();

    const double baseline = field(panel, tcState)->GetBaseLineOffset();
    EXPECT_NEAR(field(panel, tcCity)->GetBaseLineOffset(), baseline, 1e-6);
    EXPECT_NEAR(field(panel, tcZIP)->GetBaseLineOffset(), baseline, 1e-6);
    EXPECT_DOUBLE_EQ(field(panel, tcState)->GetOriginY(), panel.GetOriginY() + 5.0);
    EXPECT_GT(field(panel, tcCity)->GetOriginY(), field(panel, tcState)->GetOriginY());
    // Side by side, in format order.
    EXPECT_LT(right(field(panel, tcCity)), field(panel, tcState)->GetOriginX());
    EXPECT_LT(right(field(panel, tcState)), field(panel, tcZIP)->GetOriginX());
}

TEST(CFTAAddressPanelLayoutTest, ColumnSpacingWidensEveryGapOfARow)
{
    const auto format = handMadeFormat({{tcCity, 0, 0}, {tcState, 0, 1}, {tcZIP, 0, 2}});
    CFTAAddressPanel panel(true, format.get(), nullptr, false);
    fill(panel, tcCity, QStringLiteral("Springfield"));
    fill(panel, tcState, QStringLiteral("IL"));
    fill(panel, tcZIP, QStringLiteral("62704"));
    panel.updateFormat();
    const double gap1 = field(panel, tcState)->GetOriginX() - right(field(panel, tcCity));
    const double gap2 = field(panel, tcZIP)->GetOriginX() - right(field(panel, tcState));
    const double width = panel.GetSizeX();
    panel.setColumnSpacing(7.0);
    panel.updateFormat();
    EXPECT_NEAR(field(panel, tcState)->GetOriginX() - right(field(panel, tcCity)), gap1 + 7.0, 1e-9);
    EXPECT_NEAR(field(panel, tcZIP)->GetOriginX() - right(field(panel, tcState)), gap2 + 7.0, 1e-9);
    EXPECT_NEAR(panel.GetSizeX(), width + 14.0, 1e-9);
}

TEST(CFTAAddressPanelLayoutTest, CountryStylesSetTheGapsAfterCityStateAndZIP)
{
    const auto gaps = [](const QString &country, bool toFrom) {
        CFTAAddressPanel panel(toFrom, catalogueFormat(country).get(), nullptr, false);
        fill(panel, tcCity, QStringLiteral("Town"));
        fill(panel, tcState, QStringLiteral("ST"));
        fill(panel, tcZIP, QStringLiteral("12345"));
        panel.updateFormat();
        return field(panel, tcZIP)->GetOriginX() - right(field(panel, tcState));
    };
    const double oneBlank = gaps(QStringLiteral("ca"), false);
    EXPECT_GT(oneBlank, 0.0);
    EXPECT_GT(gaps(QStringLiteral("ca"), true), 1.5 * oneBlank);
    EXPECT_GT(gaps(QStringLiteral("us"), true), oneBlank);
}

TEST(CFTAAddressPanelLayoutTest, EmptyOrHiddenPanelKeepsTheSmallestSize)
{
    const auto format = handMadeFormat({{tcCompany, 0, 0}, {tcStreet, 1, 0}});
    CFTAAddressPanel panel(true, format.get(), nullptr, false);
    panel.setMode(tcCompany, fmNever);
    panel.setMode(tcStreet, fmNever);
    panel.updateFormat();
    EXPECT_DOUBLE_EQ(panel.GetSizeX(), 40.0);
    EXPECT_DOUBLE_EQ(panel.GetSizeY(), 20.0);
    EXPECT_TRUE(panel.isEmpty());
    // An empty panel returns to its placeholder state.
    EXPECT_TRUE(panel.isAuto());
}

TEST(CFTAAddressPanelLayoutTest, AnEmptyPanelShowsEveryFieldWithItsLabel)
{
    const auto format = catalogueFormat(QStringLiteral("us"));
    CFTAAddressPanel panel(true, format.get(), nullptr, false);
    panel.updateFormat();
    EXPECT_TRUE(panel.isEmpty());
    EXPECT_EQ(paneltest::shownRows(panel).size(), 5);
    EXPECT_GT(panel.GetSizeY(), 5 * 10.0);

    fill(panel, tcStreet, QStringLiteral("1 Road"));
    panel.setAuto(false);
    panel.updateFormat();
    EXPECT_FALSE(panel.isEmpty());
    EXPECT_EQ(paneltest::shownRows(panel), QStringList {QStringLiteral("1 Road")});
}

struct AnchorCase
{
    const char *name;
    textAlignment alignment;
};

class PanelAnchorTest : public testing::TestWithParam<AnchorCase>
{
};

TEST_P(PanelAnchorTest, AlignedPanelKeepsItsAnchorWhileTheWidestRowChanges)
{
    const auto format = handMadeFormat({{tcCompany, 0, 0}, {tcStreet, 1, 0}});
    CFTAAddressPanel panel(true, format.get(), nullptr, false);
    panel.SetAlignment(GetParam().alignment);
    panel.SetOrigin(100.0, 50.0);
    fill(panel, tcCompany, QStringLiteral("Shorter Company"));
    fill(panel, tcStreet, QStringLiteral("A rather long street name"));
    panel.updateFormat();
    const bool centred = GetParam().alignment == taCenter;
    const auto anchor = [&panel, centred] {
        return centred ? panel.GetOriginX() + panel.GetSizeX() / 2.0 : right(&panel);
    };
    const double before = anchor();
    const auto rowsAnchored = [&] {
        for (textCategory category : {tcCompany, tcStreet}) {
            const CFTAAddressText *f = field(panel, category);
            if (centred)
                EXPECT_NEAR(f->GetOriginX() + f->GetSizeX() / 2.0, before, 1e-9) << int(category);
            else
                EXPECT_NEAR(right(f), before - 5.0, 1e-9) << int(category);
        }
    };
    rowsAnchored();

    for (const QString &street : {QStringLiteral("A far far longer street name than before"), QStringLiteral("Lane")}) {
        fill(panel, tcStreet, street);
        panel.updateFormat();
        EXPECT_NEAR(anchor(), before, 1e-9);
        rowsAnchored();
    }
    // The widest row is now the company line.
    EXPECT_NEAR(panel.GetSizeX(), field(panel, tcCompany)->GetSizeX() + 10.0, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Alignments, PanelAnchorTest,
                         testing::Values(AnchorCase {"Right", taRight}, AnchorCase {"Centre", taCenter}),
                         [](const testing::TestParamInfo<AnchorCase> &info) { return std::string(info.param.name); });

TEST(CFTAAddressPanelLayoutTest, ScalingTheSideMovesARightAlignedPanelByItsRightEdge)
{
    const auto format = handMadeFormat({{tcStreet, 0, 0}});
    CFTAAddressPanel panel(true, format.get(), nullptr, false);
    panel.SetAlignment(taRight);
    panel.SetOrigin(100.0, 50.0);
    fill(panel, tcStreet, QStringLiteral("Road"));
    panel.updateFormat();
    const double width = panel.GetSizeX();
    const double rightEdge = right(&panel);
    const double fieldOffset = field(panel, tcStreet)->GetOriginX() - panel.GetOriginX();
    panel.updateCoordWithKoeff(2.0, 0.5, 0.0, 0.0);
    EXPECT_NEAR(right(&panel), rightEdge * 2.0, 1e-9);
    EXPECT_NEAR(panel.GetSizeX(), width, 1e-9);
    EXPECT_NEAR(panel.GetOriginY(), 25.0, 1e-9);
    EXPECT_NEAR(field(panel, tcStreet)->GetOriginX() - panel.GetOriginX(), fieldOffset, 1e-9);
}

TEST(CFTAAddressPanelLayoutTest, ScalingAboveTheBottomLimitShrinksTheFonts)
{
    const auto format = handMadeFormat({{tcStreet, 0, 0}, {tcCity, 1, 0}});
    CFTAAddressPanel panel(true, format.get(), nullptr, false);
    fill(panel, tcStreet, QStringLiteral("Road"));
    fill(panel, tcCity, QStringLiteral("Town"));
    panel.SetOrigin(0.0, 100.0);
    panel.updateFormat();
    const double size = fontSize(field(panel, tcStreet));
    const double bottom = panel.contentBottom() + 100.0 + 4.5;
    panel.updateCoordWithKoeff(1.0, 1.0, 0.0, bottom / 2.0);
    EXPECT_NEAR(fontSize(field(panel, tcStreet)), size / 2.0, 0.6);
    EXPECT_TRUE(panel.needsUpdate());
}

// --- Snapping ------------------------------------------------------------------------------------

TEST(CFTAAddressPanelLayoutTest, SnapCoordinatesFollowAlignmentAndIgnoreTheVerticalBits)
{
    const auto format = handMadeFormat({{tcStreet, 0, 0}});
    CFTAAddressPanel panel(true, format.get(), nullptr, false);
    fill(panel, tcStreet, QStringLiteral("Road"));
    panel.SetOrigin(10.0, 20.0);
    panel.updateFormat();
    float plain[2] = {-1, -1};
    ASSERT_EQ(panel.getXSnapArrayFrom(plain), 2);
    EXPECT_FLOAT_EQ(plain[0], 15.0f);
    EXPECT_FLOAT_EQ(plain[1], float(10.0 + panel.contentRight()));

    panel.SetAlignment(taCenter);
    panel.updateFormat();
    float centred[2] = {-1, -1};
    ASSERT_EQ(panel.getXSnapArrayFrom(centred), 2);
    for (int vertical : {16, 32}) {
        panel.SetAlignment(textAlignment(int(taCenter) | vertical));
        float withBits[2] = {-1, -1};
        ASSERT_EQ(panel.getXSnapArrayFrom(withBits), 2) << vertical;
        EXPECT_FLOAT_EQ(withBits[0], centred[0]);
        EXPECT_FLOAT_EQ(withBits[1], centred[1]);
    }
    // An alignment that names no horizontal place writes nothing and says so.
    panel.SetAlignment(textAlignment(3));
    float untouched[2] = {-7, -7};
    EXPECT_EQ(panel.getXSnapArrayFrom(untouched), 0);
    EXPECT_FLOAT_EQ(untouched[0], -7.0f);
    EXPECT_EQ(panel.getXSnapArrayFrom(nullptr), 0);

    panel.SetHaveBackColor(true);
    float framed[2] = {-1, -1};
    ASSERT_EQ(panel.getXSnapArrayTo(framed), 2);
    EXPECT_FLOAT_EQ(framed[0], float(panel.GetOriginX() + 0.5));
    EXPECT_FLOAT_EQ(framed[1], float(right(&panel) - 0.5));
    float ys[2] = {-1, -1};
    ASSERT_EQ(panel.getYSnapArrayFrom(ys), 2);
    EXPECT_FLOAT_EQ(ys[1], float(20.0 + panel.GetSizeY()));
    EXPECT_FLOAT_EQ(panel.getMinSnapXTo(), 15.0f);
    EXPECT_FLOAT_EQ(panel.getMaxSnapYFrom(), float(20.0 + panel.GetSizeY() - 5.0));
}

// --- Fitting into an area ------------------------------------------------------------------------

class PanelFitTest : public testing::Test
{
protected:
    void makePanel(bool barcode)
    {
        m_format = catalogueFormat(QStringLiteral("us"), barcode, CAddressFormatController::kBarcodeBelow);
        m_panel = std::make_unique<CFTAAddressPanel>(true, m_format.get(), nullptr, false);
        m_panel->SetOrigin(20.0, 20.0);
        paneltest::fillFromPerson(*m_panel, *paneltest::makePerson(
                                                paneltest::Address {QStringLiteral("Ada"), QStringLiteral("Lovelace"),
                                                                    QStringLiteral("Engines Inc"), QStringLiteral("12 Main Street"),
                                                                    QStringLiteral("Springfield"), QStringLiteral("IL"),
                                                                    QStringLiteral("62704"), QStringLiteral("USA")}));
        m_panel->setAuto(false);
        m_panel->updateFormat();
    }
    // The content box height the fit works on (no background: inside the margins).
    double contentHeight() const { return m_panel->GetSizeY() - 10.0; }

    std::unique_ptr<CAddressFormat> m_format;
    std::unique_ptr<CFTAAddressPanel> m_panel;
};

TEST_F(PanelFitTest, CheckingOnlyTellsWhetherTheContentOverflows)
{
    makePanel(false);
    const double size = fontSize(field(*m_panel, tcStreet));
    EXPECT_FALSE(m_panel->updatePositionToFitSize(1000.0, 1000.0, true));
    EXPECT_TRUE(m_panel->updatePositionToFitSize(1000.0, 40.0, true));
    EXPECT_TRUE(m_panel->updatePositionToFitSize(60.0, 1000.0, true));
    EXPECT_DOUBLE_EQ(fontSize(field(*m_panel, tcStreet)), size);
    EXPECT_FALSE(m_panel->updatePositionToFitSize(1000.0, 1000.0, false));
    EXPECT_DOUBLE_EQ(fontSize(field(*m_panel, tcStreet)), size);
}

TEST_F(PanelFitTest, OverflowScalesTheFontsByTheOverflowingShare)
{
    makePanel(false);
    const double size = fontSize(field(*m_panel, tcStreet));
    const double h = contentHeight();
    ASSERT_GT(h * 0.9, 35.0);
    // Ten per cent too tall.
    const double maxHeight = 25.0 + h * 0.9;
    EXPECT_TRUE(m_panel->updatePositionToFitSize(1000.0, maxHeight, false));
    const double k = 1.0 - (25.0 + h - double(float(maxHeight))) / h;
    EXPECT_NEAR(fontSize(field(*m_panel, tcStreet)), size * k, 0.6);
}

TEST_F(PanelFitTest, ScalingStopsAtThirtyFivePointsOfContent)
{
    makePanel(false);
    const double size = fontSize(field(*m_panel, tcStreet));
    const double h = contentHeight();
    EXPECT_TRUE(m_panel->updatePositionToFitSize(1000.0, 30.0, false));
    // Font sizes come out in whole points.
    EXPECT_NEAR(fontSize(field(*m_panel, tcStreet)), size * 35.0 / h, 0.6);
}

TEST_F(PanelFitTest, BarcodeHeightIsTakenOutOfTheTextThatShrinks)
{
    makePanel(true);
    CFTAAddressText *barcode = field(*m_panel, tcBarcode);
    ASSERT_NE(barcode, nullptr);
    const double size = fontSize(field(*m_panel, tcStreet));
    const double h = contentHeight();
    const double b = barcode->GetSizeY() + barcode->GetPaddedTopSizeY() + barcode->GetPaddedBottomSizeY();
    ASSERT_GT(h, b);
    const double maxHeight = 25.0 + h * 0.8;
    const double k = 1.0 - (25.0 + h - double(float(maxHeight))) / h;
    ASSERT_GT(h * k, 35.0);
    EXPECT_TRUE(m_panel->updatePositionToFitSize(1000.0, maxHeight, false));
    const double expected = (h * k - b) / (h - b);
    EXPECT_GT(expected, 0.3);
    EXPECT_NEAR(fontSize(field(*m_panel, tcStreet)), size * expected, 0.6);
    // The text plus the unchanged barcode fills the area the factor aimed at.
    m_panel->updateFormat();
    EXPECT_NEAR(contentHeight(), h * k, 0.1 * h);
}

// --- Drawing -------------------------------------------------------------------------------------

constexpr double kResolution = 2.0;

QImage drawPanel(CFTAAddressPanel &panel, const QSizeF &size, bool selected, bool printing)
{
    return drawtest::render(size, kResolution, [&](CDDDrawer &drawer) {
        panel.Draw(&drawer, selected, nullptr, false, printing);
        if (selected)
            panel.DrawSelection(&drawer, nullptr);
    });
}

struct CountryCase
{
    const char *name;
    QString code;
    paneltest::Address address;
    QStringList rows;
};

class PanelReferenceTest : public testing::TestWithParam<CountryCase>
{
};

TEST_P(PanelReferenceTest, FilledPanelIsLaidOutAndDrawn)
{
    const auto format = catalogueFormat(GetParam().code);
    ASSERT_TRUE(format);
    CFTAAddressPanel panel(true, format.get(), nullptr, true);
    panel.SetOrigin(20.0, 30.0);
    paneltest::fillFromPerson(panel, *paneltest::makePerson(GetParam().address));
    panel.setAuto(false);
    panel.updateFormat();
    EXPECT_EQ(paneltest::shownRows(panel), GetParam().rows);

    const QImage image = drawPanel(panel, QSizeF(260.0, 140.0), true, false);
    EXPECT_TRUE(drawtest::matchesReference(image, QStringLiteral("address-panel-%1").arg(GetParam().code)));
    // Some ink inside the first row, none right of the panel.
    bool inked = false;
    for (int x = 25 * int(kResolution); x < 60 * int(kResolution) && !inked; ++x)
        for (int y = 36 * int(kResolution); y < 45 * int(kResolution) && !inked; ++y)
            inked = drawtest::isDark(image, x, y);
    EXPECT_TRUE(inked);
}

INSTANTIATE_TEST_SUITE_P(
    Countries, PanelReferenceTest,
    testing::Values(
        CountryCase {"us", QStringLiteral("us"),
                     {QStringLiteral("Ada"), QStringLiteral("Lovelace"), QStringLiteral("Engines Inc"),
                      QStringLiteral("12 Main Street"), QStringLiteral("Springfield"), QStringLiteral("IL"),
                      QStringLiteral("62704"), QStringLiteral("USA")},
                     {QStringLiteral("Ada|Lovelace"), QStringLiteral("Engines Inc"), QStringLiteral("12 Main Street"),
                      QStringLiteral("Springfield,|IL|62704"), QStringLiteral("USA")}},
        CountryCase {"uk", QStringLiteral("uk"),
                     {QStringLiteral("Isambard"), QStringLiteral("Brunel"), QString(), QStringLiteral("4 Dock Row"),
                      QStringLiteral("Bristol"), QString(), QStringLiteral("BS1 4RN"), QStringLiteral("United Kingdom")},
                     {QStringLiteral("Isambard|Brunel"), QStringLiteral("4 Dock Row"), QStringLiteral("Bristol"),
                      QStringLiteral("BS1 4RN"), QStringLiteral("United Kingdom")}},
        CountryCase {"ca", QStringLiteral("ca"),
                     {QStringLiteral("Emily"), QStringLiteral("Carr"), QStringLiteral("Gallery"),
                      QStringLiteral("750 Hornby St"), QStringLiteral("Vancouver"), QStringLiteral("BC"),
                      QStringLiteral("V6Z 2H7"), QStringLiteral("Canada")},
                     {QStringLiteral("Emily|Carr"), QStringLiteral("Gallery"), QStringLiteral("750 Hornby St"),
                      QStringLiteral("Vancouver|BC|V6Z 2H7"), QStringLiteral("Canada")}},
        CountryCase {"de", QStringLiteral("de"),
                     {QStringLiteral("Karl"), QStringLiteral("Benz"), QString(), QStringLiteral("Ringstraße 131"),
                      QStringLiteral("Mannheim"), QString(), QStringLiteral("68159"), QStringLiteral("Germany")},
                     {QStringLiteral("Karl|Benz"), QStringLiteral("Ringstraße 131"), QStringLiteral("68159|Mannheim"),
                      QStringLiteral("Germany")}}),
    [](const testing::TestParamInfo<CountryCase> &info) { return std::string(info.param.name); });

TEST(CFTAAddressPanelLayoutTest, SelectedEmptyPanelShowsPlaceholdersAndPrintsNothing)
{
    const auto format = catalogueFormat(QStringLiteral("us"));
    CFTAAddressPanel panel(true, format.get(), nullptr, false);
    panel.SetOrigin(20.0, 30.0);
    panel.SetHaveBackColor(true);
    const CDDColor yellow(1.0f, 1.0f, 0.0f, 1.0f);
    panel.SetFillColor(&yellow);
    EXPECT_FALSE(isBlank(drawPanel(panel, QSizeF(200.0, 140.0), true, false)));
    EXPECT_TRUE(isBlank(drawPanel(panel, QSizeF(200.0, 140.0), false, true)));
    // Printing leaves the panel to be laid out again for the screen.
    EXPECT_TRUE(panel.needsUpdate());
}

TEST(CFTAAddressPanelLayoutTest, PrintingLeavesEmptyFieldsOut)
{
    const auto format = handMadeFormat({{tcCompany, 0, 0}, {tcStreet, 1, 0}});
    CFTAAddressPanel panel(true, format.get(), nullptr, false);
    panel.setMode(tcCompany, fmAlways);
    fill(panel, tcStreet, QStringLiteral("Road"));
    panel.updateFormat();
    const double screenHeight = panel.GetSizeY();
    panel.setPrintMode();
    panel.updateFormat();
    EXPECT_NEAR(panel.GetSizeY(), field(panel, tcStreet)->GetSizeY() + 10.0, 1e-9);
    EXPECT_LT(panel.GetSizeY(), screenHeight);
}

TEST(CFTAAddressPanelLayoutTest, AReadingIsShownOnlyWithTheNameItReads)
{
    std::unique_ptr<CAddressFormat> root = CAddressFormat::createRoot(tcRootFormat, CDDString(QStringLiteral("T")));
    root->addKey(tcNickName, 0, 0, CDDString(), CDDString(), CDDString(), CDDString(), fmUnset, tcFirstName, tcNone);
    root->addKey(tcFirstName, 1, 0, CDDString(), CDDString(), CDDString(), CDDString(), fmUnset, tcNone, tcNone);
    root->addKey(tcStreet, 2, 0, CDDString(), CDDString(), CDDString(), CDDString(), fmUnset, tcNone, tcNone);
    CFTAAddressPanel panel(true, root.get(), nullptr, false);
    fill(panel, tcNickName, QStringLiteral("Reading"));
    fill(panel, tcStreet, QStringLiteral("Road"));
    panel.updateFormat();
    const double streetOnly = panel.GetSizeY();
    EXPECT_NEAR(streetOnly, field(panel, tcStreet)->GetSizeY() + 10.0, 1e-9);

    fill(panel, tcFirstName, QStringLiteral("Name"));
    panel.updateFormat();
    EXPECT_DOUBLE_EQ(field(panel, tcNickName)->GetOriginY(), panel.GetOriginY() + 5.0);
    EXPECT_GT(panel.GetSizeY(), streetOnly);
}

TEST(CFTAAddressPanelLayoutTest, MissingFormatIsReportedOncePerPanel)
{
    paneltest::LogCapture log;
    CFTAAddressPanel panel;
    const QImage image = drawPanel(panel, QSizeF(60.0, 40.0), false, false);
    drawPanel(panel, QSizeF(60.0, 40.0), false, false);
    EXPECT_EQ(paneltest::LogCapture::lines().count(QStringLiteral("Error: No format Specified!!")), 1);
    CFTAAddressPanel other;
    drawPanel(other, QSizeF(60.0, 40.0), false, false);
    EXPECT_EQ(paneltest::LogCapture::lines().count(QStringLiteral("Error: No format Specified!!")), 2);
    EXPECT_TRUE(isBlank(image));
}

} // namespace
