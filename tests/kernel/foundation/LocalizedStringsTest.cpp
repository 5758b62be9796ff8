// The strings table must hold every key the value classes localize; a missing key would show
// the key itself, which for most of them reads right and so hides the omission.
#include "platform/PWPlist.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

TEST(LocalizedStringsTest, TableHoldsEveryKeyOfTheValueClasses)
{
    QFile file(QStringLiteral(":/bundle/en.lproj/Localizable.strings"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const std::optional<PWPlist> table = PWPlist::parse(file.readAll());
    ASSERT_TRUE(table && table->isDictionary());
    for (const char *key : {"Enter ZIP to display barcode", "Counter", "by", "File Data", "File doesn't exist",
                            "Each line", "Col", "TextLabel", "none", "First Name, Last Name", "Company", "Activity",
                            "Title", "Address", "City, State, ZIP", "Phone", "Fax", "Mobile", "E-mail", "URL",
                            "Custom", "Prefix", "Department", "Suffix"}) {
        const PWPlist text = table->value(QString::fromUtf8(key));
        EXPECT_TRUE(text.isString() && !text.toString().isEmpty()) << key;
    }
}

} // namespace
