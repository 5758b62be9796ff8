#include "kernel/foundation/CDDVariant.h"

#include <QRegularExpression>
#include <QTimeZone>

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

TEST(CDDVariantTest, ObjectTypeDescribesTheDate)
{
    CDDVariant variant(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9), QTimeZone(3600)));
    variant.SetDataType(variantObject);
    EXPECT_FALSE(variant.IsEmpty());
    EXPECT_EQ(variant.GetStringValue(), QStringLiteral("2024-03-05 14:07:09 +0100"));

    CDDVariant now;
    now.SetDataType(variantObject);
    const QRegularExpression shape(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d [+-]\\d{4}$"));
    EXPECT_TRUE(shape.match(now.GetStringValue()).hasMatch()) << now.GetStringValue().toStdString();
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

TEST(CDDVariantTest, CopiesCarryAllFields)
{
    CDDVariant original(QDateTime(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc()));
    original.SetIntValues(3, 4, 5);
    const CDDVariant copy = original;
    EXPECT_EQ(copy, original);
    CDDVariant assigned;
    assigned = original;
    EXPECT_EQ(assigned.GetDateTimeValue(), original.GetDateTimeValue());
    EXPECT_EQ(assigned.GetIntValue3(), 5);
    assigned.SetIntValues(3, 4, 6);
    EXPECT_NE(assigned, original);
}

} // namespace
