#include "kernel/address/CFTAAddressPanel.h"

#include "AddressTestSupport.h"

#include "kernel/foundation/CDDDrawer.h"

namespace {

// A filled US recipient panel with the barcode above the name, laid out at (20, 30); its company
// stays empty and so hidden.
class PanelEditingTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_format = addrtest::catalogueFormat(u"us"_s, true, CAddressFormatController::kBarcodeAbove);
        ASSERT_TRUE(m_format);
        m_panel = addrtest::filledPanel(*m_format, u"Ada|Lovelace||12 Main Street|Springfield|IL|62704|USA"_s, 20, 30);
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
    actionType action = atNone;
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
        action = atNone;
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

TEST(CFTAAddressPanelEditingTest, TabStaysOnASingleShownFieldAndNoFormatMeansNoEditing)
{
    const auto format = addrtest::catalogueFormat(u"us"_s);
    CFTAAddressPanel panel(true, format.get(), nullptr, false);
    addrtest::fill(panel, tcCity, u"Springfield"_s);
    panel.updateFormat();
    for (int i = 0; i < 2; ++i) {
        panel.endEditText(nullptr);
        panel.startEditText(nullptr, nullptr);
        EXPECT_EQ(panel.GetTextCategory(), tcCity);
    }
    EXPECT_TRUE(panel.isEditing());
    // A panel without a format does not edit at all.
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
    const double streetSize = addrtest::pointSize(field(tcStreet)->GetFont(nullptr));
    const double emptySize = addrtest::pointSize(company->GetFont(nullptr));
    const double labelSize = addrtest::pointSize(company->getLabel()->GetFont());
    ASSERT_GT(streetSize, 0.0);
    m_panel->IncreaseFontSize();
    m_panel->IncreaseFontSize();
    EXPECT_DOUBLE_EQ(addrtest::pointSize(field(tcStreet)->GetFont(nullptr)), streetSize + 2.0);
    EXPECT_DOUBLE_EQ(addrtest::pointSize(company->GetFont(nullptr)), emptySize + 2.0);
    EXPECT_DOUBLE_EQ(addrtest::pointSize(company->getLabel()->GetFont()), labelSize + 2.0);
    // The next layout measures the larger text.
    const double height = m_panel->GetSizeY();
    m_panel->updateFormat();
    EXPECT_GT(m_panel->GetSizeY(), height);
    // One size for the whole panel until a field differs.
    bool mixed = true;
    ASSERT_TRUE(m_panel->GetFont(&mixed));
    EXPECT_FALSE(mixed);
    m_panel->SetFontSize(15.0);
    EXPECT_DOUBLE_EQ(addrtest::pointSize(m_panel->GetFont(&mixed)), 15.0);
    EXPECT_FALSE(mixed);
    field(tcCity)->SetFontSize(9.0);
    m_panel->GetFont(&mixed);
    EXPECT_TRUE(mixed);
}

} // namespace
