#include "platform/PWTextAlignment.h"

#include <gtest/gtest.h>

namespace {

class PWTextAlignmentRoundTrip : public ::testing::TestWithParam<PWTextAlignment> {};

TEST_P(PWTextAlignmentRoundTrip, SurvivesQtFlags)
{
    EXPECT_EQ(fromQtAlignment(toQtAlignment(GetParam())), GetParam());
}

INSTANTIATE_TEST_SUITE_P(All, PWTextAlignmentRoundTrip,
                         ::testing::Values(PWTextAlignment::Left, PWTextAlignment::Right,
                                           PWTextAlignment::Center, PWTextAlignment::Justified,
                                           PWTextAlignment::Natural));

TEST(PWTextAlignmentTest, QtFlagsMapByTheirHorizontalPart)
{
    EXPECT_EQ(fromQtAlignment(Qt::AlignLeft), PWTextAlignment::Natural);
    EXPECT_EQ(fromQtAlignment(Qt::AlignLeft | Qt::AlignAbsolute), PWTextAlignment::Left);
    EXPECT_EQ(fromQtAlignment(Qt::AlignRight), PWTextAlignment::Right);
    EXPECT_EQ(fromQtAlignment(Qt::AlignHCenter | Qt::AlignVCenter), PWTextAlignment::Center);
    EXPECT_EQ(fromQtAlignment(Qt::AlignTop), PWTextAlignment::Natural);
    EXPECT_EQ(toQtAlignment(static_cast<PWTextAlignment>(9)), Qt::Alignment(Qt::AlignLeading));
}

} // namespace
