// An address block fitted into its label for printing: it shrinks until it lies inside, is never
// made larger than designed, and one that stands over the edge even in the smallest type is named
// in the job's report.
#include "kernel/address/CFTAAddressPanel.h"

#include "AddressTestSupport.h"

#include "kernel/render/CDDText.h"
#include "platform/PWJobReport.h"

#include <limits>

namespace {

using namespace addrtest;

constexpr double kTolerance = 0.01;

struct Laid
{
    double left = 0.0;
    double right = 0.0;
    double bottom = 0.0;
    double largest = 0.0;
};

// Where the shown fields begin and end and the largest type among them.
Laid laidOut(const CFTAAddressPanel &panel)
{
    Laid laid;
    laid.left = std::numeric_limits<double>::max();
    for (unsigned int i = 0; i < panel.addressComponentCount(); ++i) {
        const CFTAAddressText *field = panel.addressComponentAtIndex(i);
        if (!field || field->GetString().getData().isEmpty())
            continue;
        laid.left = std::min(laid.left, field->GetOriginX());
        laid.right = std::max(laid.right, field->GetOriginX() + field->GetSizeX());
        laid.bottom = std::max(laid.bottom, field->GetOriginY() + field->GetSizeY());
        laid.largest = std::max(laid.largest, pointSize(field->GetFont(nullptr)));
    }
    return laid;
}

struct GuardCase
{
    const char *name;
    double size;
    QString street;
    // Where the panel stands: left of the area's edge when negative.
    double originX;
    // The area, as the share of the laid-out block's right and bottom edge it leaves.
    double widthShare;
    double heightShare;
};

class AddressFitGuardTest : public ::testing::TestWithParam<GuardCase>
{
};

// A fitted block lies inside its area, in type no larger than designed. A block of small type a
// little over the bottom would be raised towards the smallest readable height: it keeps its size.
// A long line, in large type or one word that cannot wrap, keeps shrinking past the first cut
// until it ends inside. A block starting left of the area is moved in far enough, and not so far
// down that its type must shrink to stay above the bottom.
TEST_P(AddressFitGuardTest, FitsWithoutGrowing)
{
    const GuardCase &c = GetParam();
    const auto made = [&c](double size) {
        auto panel = handMadePanel({{tcFirstName, 0, 0}, {tcStreet, 1, 0}, {tcCity, 2, 0}},
                                   {{tcFirstName, u"Ann"_s}, {tcStreet, c.street}, {tcCity, u"Town"_s}});
        panel->SetOrigin(c.originX, 10.0);
        for (textCategory category : {tcFirstName, tcStreet, tcCity})
            field(*panel, category)->SetFontSize(size);
        panel->updateFormat();
        return panel;
    };
    const auto panel = made(c.size);
    const Laid before = laidOut(*panel);
    ASSERT_DOUBLE_EQ(before.largest, c.size);
    const double maxWidth = before.right * c.widthShare;
    const double maxHeight = before.bottom * c.heightShare;
    ASSERT_GT(maxWidth, 0.0);

    const PWJobReport job;
    EXPECT_TRUE(panel->updatePositionToFitSize(maxWidth, maxHeight, false));
    const Laid after = laidOut(*panel);
    EXPECT_LE(after.largest, c.size);
    EXPECT_GE(after.left, -kTolerance);
    EXPECT_LE(after.right, maxWidth + kTolerance);
    EXPECT_LE(after.bottom, maxHeight + kTolerance);
    EXPECT_TRUE(job.isEmpty());
    // Shrunk no further than needed: a point more stands over the area (a block moved in from the
    // left shrinks as it moves, by the share it stood over).
    if (c.originX >= 0.0) {
        const Laid larger = laidOut(*made(after.largest + 1.0));
        EXPECT_TRUE(larger.right > maxWidth || larger.bottom > maxHeight) << after.largest;
    }
}

INSTANTIATE_TEST_SUITE_P(
    CFTAAddressPanelFitTest, AddressFitGuardTest,
    ::testing::Values(GuardCase {"SmallTypeIsNotEnlarged", 6.0, u"1 Elm St"_s, 10.0, 2.0, 0.97},
                      GuardCase {"SmallTypeLeftOfItsLabelIsNotEnlarged", 6.0, u"1 Elm St"_s, -8.0, 3.0, 3.0},
                      GuardCase {"LongLineEndsInsideItsLabel", 12.0,
                                 u"1234 Extraordinarily Long Avenue of the Gardens"_s, 10.0, 0.5, 2.0},
                      GuardCase {"LargeTypeEndsInsideItsLabel", 36.0,
                                 u"1234 Extraordinarily Long Avenue of the Gardens"_s, 10.0, 0.7, 3.0},
                      GuardCase {"WordThatCannotWrapEndsInsideItsLabel", 12.0, u"Extraordinarily"_s, 10.0, 0.5, 3.0},
                      GuardCase {"ShortBlockLeftOfItsLabelIsNotPushedOverTheBottom", 8.0, u"1234 Long Avenue"_s, -8.0,
                                 3.0, 0.8},
                      GuardCase {"BlockALittleLeftOfItsLabelIsMovedIn", 12.0, u"1234 Extraordinarily Long Avenue"_s,
                                 -60.0, 2.0, 3.0}),
    [](const auto &info) { return std::string(info.param.name); });

struct TooLongCase
{
    const char *name;
    QString first;
    QString last;
    QString named;
};

class AddressTooLongTest : public ::testing::TestWithParam<TooLongCase>
{
};

const QString kEndlessStreet = u"1 "_s + QString(u"Extraordinarily Long Avenue "_s).repeated(8);

// A street no label holds even in the smallest type: the fit goes down to it, and the job's report
// names the person once, on one line of plain text, however often the label is fitted.
TEST_P(AddressTooLongTest, IsNamedOnce)
{
    const TooLongCase &c = GetParam();
    const auto panel = handMadePanel({{tcFirstName, 0, 0}, {tcLastName, 0, 1}, {tcStreet, 1, 0}},
                                     {{tcFirstName, c.first}, {tcLastName, c.last}, {tcStreet, kEndlessStreet}});
    panel->SetOrigin(10.0, 10.0);
    panel->updateFormat();
    const PWJobReport job;
    for (int fit = 0; fit < 2; ++fit)
        EXPECT_TRUE(panel->updatePositionToFitSize(144.0, 72.0, false));
    EXPECT_DOUBLE_EQ(pointSize(field(*panel, tcStreet)->GetFont(nullptr)), CDDText::kMinFontSize);
    EXPECT_GT(laidOut(*panel).right, 144.0);
    EXPECT_EQ(job.lines(PWJobReport::Kind::AddressTooLong),
              QStringList {u"the address of %1 does not fit its label, even in the smallest type"_s.arg(c.named)});
    EXPECT_TRUE(job.lines(PWJobReport::Kind::Placeholder).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    CFTAAddressPanelFitTest, AddressTooLongTest,
    ::testing::Values(TooLongCase {"Plain", u"Bob"_s, u"Long"_s, u"Bob Long"_s},
                      TooLongCase {"ControlsAndMarkup", u"Eve\x1b[2J\nX"_s, u"<b>Mal</b>"_s, u"Eve[2J X <b>Mal</b>"_s},
                      TooLongCase {"Nameless", QString(), QString(), kEndlessStreet.simplified().left(80)}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
