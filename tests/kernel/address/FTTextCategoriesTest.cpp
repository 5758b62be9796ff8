#include "kernel/address/FTTextCategories.h"

#include "AddressTestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(FTTextCategoriesTest, CountryCodeOfATextOrNothing)
{
    const struct
    {
        const char *name;
        QString text;
        QString code;
    } cases[] = {
        {"CityAndCountry", u"Berlin Germany"_s, u"de"_s},
        {"CapitalsBlanksAndLineEnd", u"   UNITED KINGDOM\n"_s, u"uk"_s},
        {"TwoWordNameOnlyWhole", u"Kingdom United"_s, QString()},
        {"NativeName", u"日本"_s, u"jp"_s},
        // Codes are tried in the resource's order: Georgia's code comes before the United
        // States', whichever word is last.
        {"EarlierCodeWins", u"Atlanta Georgia USA"_s, u"ge"_s},
        // A country named in full wins over a one-word name inside it.
        {"WholeNameBeforeWords", u"South Sudan"_s, u"ss"_s},
        {"NoCountry", u"Springfield"_s, QString()},
        {"Empty", u""_s, QString()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString code = FTTextCategories::getCountryCodeFromString(c.text);
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(code.isNull(), c.code.isNull());
    }
}

} // namespace
