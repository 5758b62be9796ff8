#include "kernel/address/FTTextCategories.h"

#include "AddressTestSupport.h"

namespace {

TEST(FTTextCategoriesTest, CountryCodeOfATextOrNothing)
{
    // Text, code. Codes are tried in the resource's order: Georgia's comes before the United
    // States', whichever word is last; a country named in full wins over a one-word name inside it.
    const std::pair<QString, QString> cases[] = {
        {u"Berlin Germany"_s, u"de"_s}, {u"   UNITED KINGDOM\n"_s, u"uk"_s}, {u"Kingdom United"_s, QString()},
        {u"日本"_s, u"jp"_s}, {u"Atlanta Georgia USA"_s, u"ge"_s}, {u"South Sudan"_s, u"ss"_s},
        {u"Springfield"_s, QString()}, {u""_s, QString()}};
    for (const auto &[text, expected] : cases) {
        const QString code = FTTextCategories::getCountryCodeFromString(text);
        EXPECT_EQ(code, expected) << text.toStdString();
        EXPECT_EQ(code.isNull(), expected.isNull());
    }
}

} // namespace
