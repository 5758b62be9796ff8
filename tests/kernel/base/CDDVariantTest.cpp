#include "kernel/base/CDDVariant.h"

#include <gtest/gtest.h>

namespace {

TEST(CDDVariantTest, TwoIntegersKeepTheThird)
{
    CDDVariant variant;
    variant.SetIntValues(1, 2, 9);
    variant.SetIntValues(2, 5);
    EXPECT_EQ(QList<int>({variant.GetDataType(), variant.GetIntValue1(), variant.GetIntValue2(), variant.GetIntValue3()}),
              QList<int>({variantIntegers, 2, 5, 9}));
    EXPECT_EQ(variant.GetStringValue(), QStringLiteral("2"));
    variant.SetDataType(variantEmpty);
    EXPECT_EQ(variant.GetStringValue(), QString());
    EXPECT_EQ(variant.GetIntValue1(), 2);
}

} // namespace
