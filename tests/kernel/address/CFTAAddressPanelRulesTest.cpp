#include "kernel/address/CFTAAddressPanel.h"

#include "AddressTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Recipient panel of the US format, whose city leaf carries the delimiter ",", City, State and
// ZIP sharing one row.
class PanelRulesTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_format = addrtest::catalogueFormat(u"us"_s);
        ASSERT_TRUE(m_format);
        ASSERT_EQ(m_format->getFormatWithKey(tcCity)->getDelimiter()->getData(), u","_s);
        m_panel = std::make_unique<CFTAAddressPanel>(true, m_format.get(), nullptr, false);
    }
    void fill(textCategory category, const QString &text)
    {
        m_panel->SetString(true, category, adWork, CDDString(text), tcNone, false);
    }
    QString text(textCategory category) const
    {
        return m_panel->getAddressComponentWithTextCategory(category)->GetString().getData();
    }

    std::unique_ptr<CAddressFormat> m_format;
    std::unique_ptr<CFTAAddressPanel> m_panel;
};

TEST_F(PanelRulesTest, DelimiterFollowsTheNextShownTextOfTheRow)
{
    struct Case
    {
        const char *city;
        const char *state;
        const char *zip;
        bool stateHidden;
        const char *expected;
    };
    const Case cases[] = {
        {"Springfield", "IL", "", false, "Springfield,"},
        // An empty state passes the question on to the ZIP.
        {"Springfield", "", "62704", false, "Springfield,"},
        {"Springfield,", "", "", false, "Springfield"},
        // Trailing blanks go with the delimiter.
        {"Springfield,  ", "", "", false, "Springfield"},
        // A hidden follower does not keep the delimiter.
        {"Springfield,", "IL", "", true, "Springfield"},
        // An empty field never gets one.
        {"", "IL", "", false, ""},
    };
    for (const Case &c : cases) {
        m_panel = std::make_unique<CFTAAddressPanel>(true, m_format.get(), nullptr, false);
        fill(tcCity, QLatin1String(c.city));
        fill(tcState, QLatin1String(c.state));
        fill(tcZIP, QLatin1String(c.zip));
        if (c.stateHidden)
            m_panel->setMode(tcState, fmNever);
        EXPECT_EQ(m_panel->updateFormatRules(), 0);
        EXPECT_EQ(text(tcCity), QLatin1String(c.expected)) << c.city << "/" << c.state << "/" << c.zip;
        // Applying the rule again changes nothing: no doubled comma.
        m_panel->updateFormatRules();
        EXPECT_EQ(text(tcCity), QLatin1String(c.expected));
    }
}

TEST_F(PanelRulesTest, UserEditedFieldKeepsItsTextUntilTheFormatIsAppliedAgain)
{
    fill(tcCity, u"Springfield"_s);
    fill(tcState, u"IL"_s);
    m_panel->getAddressComponentWithTextCategory(tcCity)->resetFormatRules(true);
    m_panel->updateFormatRules();
    EXPECT_EQ(text(tcCity), u"Springfield"_s);

    m_panel->setFormat(m_format.get(), 1);
    m_panel->updateFormatRules();
    EXPECT_EQ(text(tcCity), u"Springfield,"_s);
}

TEST_F(PanelRulesTest, LayoutAppliesTheRuleButPrintingDoesNot)
{
    fill(tcCity, u"Springfield"_s);
    fill(tcState, u"IL"_s);
    m_panel->setPrintMode();
    m_panel->updateFormat();
    EXPECT_EQ(text(tcCity), u"Springfield"_s);
    m_panel->Draw(nullptr, false, nullptr, false, false);
    EXPECT_EQ(text(tcCity), u"Springfield,"_s);
}

TEST_F(PanelRulesTest, CommaRuleStripsCommasThatSeparateNothing)
{
    fill(tcStreet, u"12 Main Street,"_s);
    fill(tcCity, u"Springfield,"_s);
    fill(tcState, u"IL"_s);

    EXPECT_EQ(m_panel->updatePhoneticRules(true), 1);
    EXPECT_EQ(text(tcStreet), u"12 Main Street"_s);
    EXPECT_EQ(text(tcCity), u"Springfield,"_s);
    EXPECT_EQ(m_panel->updatePhoneticRules(true), 0);

    EXPECT_EQ(m_panel->updatePhoneticRules(false), 1);
    EXPECT_EQ(text(tcCity), u"Springfield"_s);
    EXPECT_EQ(m_panel->updatePhoneticRules(false), 0);
}

TEST_F(PanelRulesTest, NeighboursAreFoundWithinTheRow)
{
    CFTAAddressText *const city = m_panel->getAddressComponentWithTextCategory(tcCity);
    CFTAAddressText *const state = m_panel->getAddressComponentWithTextCategory(tcState);
    CFTAAddressText *const zip = m_panel->getAddressComponentWithTextCategory(tcZIP);
    CFTAAddressText *const street = m_panel->getAddressComponentWithTextCategory(tcStreet);
    EXPECT_EQ(m_panel->getAddressComponentNextToComponent(city, true, nullptr), state);
    EXPECT_EQ(m_panel->getAddressComponentNextToComponent(state, true, nullptr), zip);
    EXPECT_EQ(m_panel->getAddressComponentNextToComponent(zip, true, nullptr), nullptr);
    EXPECT_EQ(m_panel->getAddressComponentNextToComponent(street, true, nullptr), nullptr);
    EXPECT_EQ(m_panel->getAddressComponentNextToComponent(city, false, nullptr), nullptr);
    EXPECT_EQ(m_panel->getAddressComponentPrevToComponent(state, true, nullptr), city);
    EXPECT_EQ(m_panel->getAddressComponentPrevToComponent(zip, true, nullptr), state);
    EXPECT_EQ(m_panel->getAddressComponentPrevToComponent(city, true, nullptr), nullptr);
    // Walking a copy of the format gives the same answers.
    const std::unique_ptr<CAddressFormat> copy = m_panel->getFormat()->clone();
    EXPECT_EQ(m_panel->getAddressComponentNextToComponent(city, true, copy.get()), state);
}

TEST(CFTAAddressPanelRulesTest, RepeatedCategoryInARowEndsTheSearch)
{
    std::unique_ptr<CAddressFormat> root = CAddressFormat::createRoot(tcRootFormat, CDDString(u"T"_s));
    root->addKey(tcStreet, 0, 0, CDDString(), CDDString(), CDDString(u";"_s), CDDString(), fmUnset, tcNone, tcNone);
    root->addKey(tcStreet, 0, 1, CDDString(), CDDString(), CDDString(), CDDString(), fmUnset, tcNone, tcNone);
    root->addKey(tcCity, 1, 0, CDDString(), CDDString(), CDDString(u";"_s), CDDString(), fmUnset, tcNone, tcNone);
    CFTAAddressPanel panel(true, root.get(), nullptr, false);
    panel.SetString(true, tcCity, adWork, CDDString(u"Town"_s), tcNone, false);
    EXPECT_EQ(panel.updateFormatRules(), 0);
    EXPECT_EQ(panel.getAddressComponentWithTextCategory(tcCity)->GetString().getData(), u"Town"_s);
}

} // namespace
