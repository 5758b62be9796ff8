#include "kernel/address/CFTAAddressPanel.h"

#include "AddressTestSupport.h"

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
    void fill(textCategory category, const QString &text) { addrtest::fill(*m_panel, category, text); }
    QString text(textCategory category) const { return addrtest::text(*m_panel, category); }
    std::unique_ptr<CAddressFormat> m_format;
    std::unique_ptr<CFTAAddressPanel> m_panel;
};

TEST_F(PanelRulesTest, DelimiterFollowsTheNextShownTextOfTheRow)
{
    // City, state, ZIP, state hidden, the city after the rule.
    const std::tuple<const char *, const char *, const char *, bool, const char *> cases[] = {
        {"Springfield", "IL", "", false, "Springfield,"},
        {"Springfield", "", "62704", false, "Springfield,"}, // an empty state passes the question on
        {"Springfield,", "", "", false, "Springfield"},
        {"Springfield,  ", "", "", false, "Springfield"}, // trailing blanks go with the delimiter
        {"Springfield,", "IL", "", true, "Springfield"},  // a hidden follower does not keep it
        {"", "IL", "", false, ""}};                       // an empty field never gets one
    for (const auto &[city, state, zip, stateHidden, expected] : cases) {
        SCOPED_TRACE(std::string(city) + "/" + state + "/" + zip);
        m_panel = std::make_unique<CFTAAddressPanel>(true, m_format.get(), nullptr, false);
        fill(tcCity, QLatin1String(city));
        fill(tcState, QLatin1String(state));
        fill(tcZIP, QLatin1String(zip));
        if (stateHidden)
            m_panel->setMode(tcState, fmNever);
        EXPECT_EQ(m_panel->updateFormatRules(), 0);
        EXPECT_EQ(text(tcCity), QLatin1String(expected));
        m_panel->updateFormatRules();
        EXPECT_EQ(text(tcCity), QLatin1String(expected)) << "applied again: no doubled comma";
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

TEST(CFTAAddressPanelRulesTest, RepeatedCategoryInARowEndsTheSearch)
{
    std::unique_ptr<CAddressFormat> root = CAddressFormat::createRoot(tcRootFormat, CDDString(u"T"_s));
    root->addKey(tcStreet, 0, 0, CDDString(), CDDString(), CDDString(u";"_s), CDDString(), fmUnset, tcNone, tcNone);
    root->addKey(tcStreet, 0, 1, CDDString(), CDDString(), CDDString(), CDDString(), fmUnset, tcNone, tcNone);
    root->addKey(tcCity, 1, 0, CDDString(), CDDString(), CDDString(u";"_s), CDDString(), fmUnset, tcNone, tcNone);
    CFTAAddressPanel panel(true, root.get(), nullptr, false);
    addrtest::fill(panel, tcCity, u"Town"_s);
    EXPECT_EQ(panel.updateFormatRules(), 0);
    EXPECT_EQ(addrtest::text(panel, tcCity), u"Town"_s);
}

} // namespace
