#include "kernel/foundation/CDDVariant.h"

#include <gtest/gtest.h>

namespace {

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
