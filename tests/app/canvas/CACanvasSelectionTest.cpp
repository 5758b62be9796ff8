// The canvas's answers about its selection as plain functions: the notification of each kind, the
// font the font panel shows, the side a contact goes to, and the sizes of new pictures and shapes.
#include "app/canvas/CACanvasSelection.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/base/CDDString.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CFTAText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

TEST(CACanvasSelectionTest, AddressKindsShareOneNotificationNameAndEveryOtherKindTheSelectionOne)
{
    const struct
    {
        int type;
        QString name;
    } cases[] = {
        {ctAddressPanel, u"Change Address Selection Notification"_s},
        {ctAddressText, u"Change Address Selection Notification"_s},
        {ctBarcode, u"Change Address Selection Notification"_s},
        {ctText, u"Change Selection Notification"_s},
        {ctRect, u"Change Selection Notification"_s},
        {ctPicture, u"Change Selection Notification"_s},
        {0, u"Change Selection Notification"_s},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CACanvasSelection::notificationForSelectionType(c.type), c.name) << c.type;
}

TEST(CACanvasSelectionTest, FontPanelShowsTheFirstTextsFontAndSeveralObjectsCountAsSeveralFonts)
{
    CFTAText first(10, 10, 100, 20, nullptr);
    first.GetText()->setString(u"One"_s, nullptr);
    first.SetFont(PWFont(u"DejaVuSans-Bold"_s, 18.0));
    CFTAText second(10, 40, 100, 20, nullptr);
    second.GetText()->setString(u"Two"_s, nullptr);
    second.SetFont(PWFont(u"DejaVuSerif"_s, 9.0));

    const auto one = CACanvasSelection::fontForSelection({&first}, ctText);
    ASSERT_TRUE(one.has_value());
    EXPECT_EQ(one->font.pointSize(), 18.0);
    EXPECT_FALSE(one->isMultiple);
    EXPECT_TRUE(one->attributes.has_value());

    const auto two = CACanvasSelection::fontForSelection({&second, &first}, ctText);
    ASSERT_TRUE(two.has_value());
    EXPECT_EQ(two->font.pointSize(), 9.0);
    EXPECT_TRUE(two->isMultiple);
    EXPECT_TRUE(two->attributesMultiple);

    CFTBoxField box(0, 0, 10, 10, nullptr);
    EXPECT_FALSE(CACanvasSelection::fontForSelection({&box}, ctRect).has_value());
    EXPECT_FALSE(CACanvasSelection::fontForSelection({}, ctText).has_value());
}

// Address texts of either side; the custom category does not count for a side.
struct Sides
{
    std::unique_ptr<CFTAAddressText> make(bool toFrom, textCategory category = tcFullName)
    {
        const CDDString label;
        return std::make_unique<CFTAAddressText>(toFrom, category, addressType {}, &label, nullptr);
    }
};

TEST(CACanvasSelectionTest, ContactGoesToTheSideMostSelectedFieldsBelongTo)
{
    Sides sides;
    const auto to1 = sides.make(true);
    const auto to2 = sides.make(true);
    const auto from1 = sides.make(false);
    const auto from2 = sides.make(false);
    const auto customTo1 = sides.make(true, tcCustom);
    const auto customTo2 = sides.make(true, tcCustom);
    const struct
    {
        std::vector<CFTComponent *> selected;
        bool hasTo, hasFrom, expected;
    } cases[] = {
        // Nothing selected: the design's fields decide, the recipient when it has both or none.
        {{}, true, true, true},
        {{}, true, false, true},
        {{}, false, true, false},
        {{}, false, false, true},
        {{from1.get()}, true, true, false},
        {{from1.get(), to1.get()}, false, true, true}, // a tie goes to the recipient
        {{from1.get(), from2.get(), to1.get()}, true, true, false},
        {{to1.get(), to2.get(), from1.get()}, false, true, true},
        // Custom fields are left out of the count.
        {{customTo1.get(), customTo2.get(), from1.get()}, true, true, false},
        {{customTo1.get()}, false, true, false},
    };
    int row = 0;
    for (const auto &c : cases) {
        EXPECT_EQ(CACanvasSelection::activeToFrom(c.selected, c.hasTo, c.hasFrom), c.expected) << "row " << row;
        ++row;
    }
}

TEST(CACanvasSelectionTest, PictureLargerThanThePageIsInsertedAtHalfThePageAreaWithItsProportions)
{
    const QSizeF page(200, 100);
    // Smaller or equal in area: kept, even when one side is longer than the page's.
    EXPECT_EQ(CACanvasSelection::prepareImageSize(QSizeF(50, 30), page), QSizeF(50, 30));
    EXPECT_EQ(CACanvasSelection::prepareImageSize(QSizeF(400, 50), page), QSizeF(400, 50));
    const struct
    {
        QSizeF natural;
    } larger[] = {{QSizeF(400, 200)}, {QSizeF(300, 900)}, {QSizeF(1000, 101)}};
    for (const auto &c : larger) {
        const QSizeF size = CACanvasSelection::prepareImageSize(c.natural, page);
        EXPECT_NEAR(size.width() * size.height(), 200.0 * 100.0 / 2.0, 1e-6) << c.natural.width();
        EXPECT_NEAR(size.width() / size.height(), c.natural.width() / c.natural.height(), 1e-9);
    }
    const QSizeF exact = CACanvasSelection::prepareImageSize(QSizeF(400, 200), page);
    EXPECT_NEAR(exact.height(), std::sqrt(5000.0), 1e-9);
    EXPECT_NEAR(exact.width(), 2 * std::sqrt(5000.0), 1e-9);
}

TEST(CACanvasSelectionTest, ShapesAreAThirdOfThePageHighAndTheSquashedOneAThirdWider)
{
    const struct
    {
        int kind;
        double height;
        QSizeF size;
    } cases[] = {
        {ctRect, 90, {30, 30}},
        {ctTriangleLeft, 90, {30, 30}},
        {ctSquashedRect, 90, {40, 30}},
        {ctSquashedRect, 288, {128, 96}},
    };
    for (const auto &c : cases) {
        const QSizeF size = CACanvasSelection::prepareShapeSize(c.kind, c.height);
        EXPECT_DOUBLE_EQ(size.width(), c.size.width()) << c.kind;
        EXPECT_DOUBLE_EQ(size.height(), c.size.height()) << c.kind;
    }
}

} // namespace
