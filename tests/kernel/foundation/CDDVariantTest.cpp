#include "kernel/foundation/CDDVariant.h"

#include <gtest/gtest.h>

namespace {

TEST(CDDVariantTest, DefaultIsEmptyButCarriesTheMomentItWasMade)
{
    const QDateTime before = QDateTime::currentDateTime().addMSecs(-1);
    const CDDVariant variant;
    const QDateTime after = QDateTime::currentDateTime().addMSecs(1);

    EXPECT_TRUE(variant.IsEmpty());
    EXPECT_EQ(variant.GetDataType(), variantEmpty);
    EXPECT_EQ(variant.GetStringValue(), QString());
    const QDateTime made = variant.GetDateTimeValue().toDateTime();
    EXPECT_LE(before, made);
    EXPECT_LE(made, after);
}

TEST(CDDVariantTest, TwoIntegersKeepTheThird)
{
    CDDVariant variant;
    variant.SetIntValues(1, 2, 9);
    variant.SetIntValues(2, 5);
    EXPECT_EQ(variant.GetDataType(), variantIntegers);
    EXPECT_EQ(variant.GetIntValue1(), 2);
    EXPECT_EQ(variant.GetIntValue2(), 5);
    EXPECT_EQ(variant.GetIntValue3(), 9);
    EXPECT_EQ(variant.GetStringValue(), QStringLiteral("2"));

    variant.SetDataType(variantEmpty);
    EXPECT_EQ(variant.GetStringValue(), QString());
    EXPECT_EQ(variant.GetIntValue1(), 2);
}

} // namespace
