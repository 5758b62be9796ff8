#include "CatalogueTestSupport.h"

#include "kernel/base/CAEnvironment.h"
#include "kernel/printing/CAEnvironmentLayout.h"

namespace {

std::shared_ptr<CATemplateFormat> predefined(const char *manufacturer, const char *id)
{
    return CATemplateFormat::findPredefLayoutManufacturerID(dtLabel, QLatin1String(manufacturer), QLatin1String(id));
}

std::shared_ptr<CATemplateFormat> customLabel(const QString &id)
{
    auto format = std::make_shared<CATemplateFormat>();
    format->setManufacturer(QStringLiteral("Custom")); format->setID(id); format->setPageSize(QStringLiteral("A4"));
    format->setUnits(cuMillimeters); format->setItemWidth(66.7f * kMm); format->setItemHeight(33.9f * kMm);
    return format;
}

using TemplateListsTest = CatalogueTest;

TEST_F(TemplateListsTest, CustomTemplatesSurviveARestart)
{
    CATemplateFormat::TemplateList *custom = CATemplateFormat::customLayouts(dtLabel);
    ASSERT_TRUE(custom);
    custom->append(customLabel(QStringLiteral("Jam")));
    custom->append(customLabel(QStringLiteral("Honey")));
    CATemplateFormat::saveCustomLayouts();
    // The file itself holds the list, not only this process's store.
    PWUserDefaults onDisk(PWUserDefaults::standardUserDefaults().filePath());
    ASSERT_EQ(onDisk.arrayForKey(QStringLiteral("FTCustomLabelLayout")).size(), 2);
    restart();
    EXPECT_EQ(CATemplateFormat::sharedCustomLayouts(dtLabel), nullptr);
    const CATemplateFormat::TemplateList *back = CATemplateFormat::customLayouts(dtLabel);
    ASSERT_TRUE(back && back->size() == 2);
    EXPECT_EQ(back->at(0)->ID() + back->at(1)->ID(), QStringLiteral("JamHoney"));
    EXPECT_FALSE(back->at(0)->isPredef());
}

TEST_F(TemplateListsTest, RecentEntriesComeBackAsTheCatalogueObjects)
{
    CATemplateFormat::saveRecentLayouts(dtLabel);
    CATemplateFormat::TemplateList *recent = CATemplateFormat::recentLayouts(dtLabel);
    ASSERT_TRUE(recent);
    CATemplateFormat::TemplateList *custom = CATemplateFormat::customLayouts(dtLabel);
    custom->append(customLabel(QStringLiteral("Jam")));
    const auto l7163 = predefined("Avery", "L7163");
    const auto avery = predefined("Avery", "05960");
    ASSERT_TRUE(l7163 && avery);
    recent->append(custom->first());
    recent->append(l7163);
    recent->append(avery);
    CATemplateFormat::saveCustomLayouts(dtLabel);
    CATemplateFormat::saveRecentLayouts(dtLabel);
    restart();
    const CATemplateFormat::TemplateList *back = CATemplateFormat::recentLayouts(dtLabel);
    ASSERT_TRUE(back && back->size() == 3);
    // The very entries of the predefined and custom lists, in the saved order.
    EXPECT_EQ(*back, (CATemplateFormat::TemplateList {CATemplateFormat::sharedCustomLayouts(dtLabel)->first(),
                                                      predefined("Avery", "L7163"), predefined("Avery", "05960")}));
    EXPECT_NE(back->at(2), avery) << "a restart makes new objects";
}

TEST_F(TemplateListsTest, RecentEntryWithinAHundredthResolvesAndAChangedOneIsDropped)
{
    const auto avery = predefined("Avery", "05960");
    ASSERT_TRUE(avery);
    CATemplateFormat nearly = *avery;
    nearly.setTopMargin(avery->getTopMargin() + 0.006f);
    CATemplateFormat renamed = *avery;
    renamed.setDescription(QStringLiteral("Address labels, white"));
    PWPlist::Array stored {PWPlist(renamed.toDictionary()), PWPlist(nearly.toDictionary())};
    PWUserDefaults::standardUserDefaults().setObject(QStringLiteral("FTRecentLabelLayout"), PWPlist(stored));
    restart();
    const CATemplateFormat::TemplateList *recent = CATemplateFormat::recentLayouts(dtLabel);
    ASSERT_TRUE(recent && recent->size() == 1);
    EXPECT_EQ(recent->first(), predefined("Avery", "05960"));
    // The stale entry leaves the defaults at the next save.
    CATemplateFormat::saveRecentLayouts(dtLabel);
    EXPECT_EQ(PWUserDefaults::standardUserDefaults().arrayForKey(QStringLiteral("FTRecentLabelLayout")).size(), 1);
}

using DefaultLayoutTest = CatalogueTest;

TEST_F(DefaultLayoutTest, WithoutARecentTemplateNewLabelsStartOnTheStandardOne)
{
    CATemplateFormat::saveRecentLayouts(dtLabel);
    ASSERT_TRUE(CATemplateFormat::recentLayouts(dtLabel));
    EXPECT_EQ(defaultLayout(dtLabel), predefined("Avery", "05960"));
}

} // namespace
