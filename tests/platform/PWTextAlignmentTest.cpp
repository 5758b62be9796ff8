#include "platform/PWTextAlignment.h"

#include <gtest/gtest.h>

namespace {

TEST(PWTextAlignmentTest, QtFlagsMapByTheirHorizontalPartAndBack)
{
    for (PWTextAlignment alignment : {PWTextAlignment::Left, PWTextAlignment::Right, PWTextAlignment::Center,
                                      PWTextAlignment::Justified, PWTextAlignment::Natural})
        EXPECT_EQ(fromQtAlignment(toQtAlignment(alignment)), alignment) << int(alignment);
    EXPECT_EQ(fromQtAlignment(Qt::AlignLeft), PWTextAlignment::Natural);
    EXPECT_EQ(fromQtAlignment(Qt::AlignLeft | Qt::AlignAbsolute), PWTextAlignment::Left);
    EXPECT_EQ(fromQtAlignment(Qt::AlignHCenter | Qt::AlignVCenter), PWTextAlignment::Center);
    EXPECT_EQ(fromQtAlignment(Qt::AlignTop), PWTextAlignment::Natural);
    EXPECT_EQ(toQtAlignment(static_cast<PWTextAlignment>(9)), Qt::Alignment(Qt::AlignLeading));
}

} // namespace
