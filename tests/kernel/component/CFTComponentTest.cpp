#include "kernel/component/CFTComponent.h"

#include "kernel/base/CDDWrappingPath.h"
#include "platform/PWBezierPath.h"

#include <gtest/gtest.h>

#include <numbers>
#include <span>

namespace {

TEST(CFTComponentTest, WrapOutlineAndItsTypeAreKeptUntilTheGeometryChanges)
{
    CFTComponent component(10, 20, 100, 50);
    CDDWrappingPath *first = component.GetPathForTextWrap(nullptr);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(component.GetPathForTextWrap(nullptr), first);
    EXPECT_EQ(first->getPath()->path().boundingRect(), QRectF(10, 20, 100, 50));
    component.SetAngle(std::numbers::pi / 2.0);
    EXPECT_EQ(component.GetLastPath(), nullptr);
    CDDWrappingPath *turned = component.GetPathForTextWrap(nullptr);
    ASSERT_NE(turned, nullptr);
    // A quarter turn about the centre stands the outline on its end.
    EXPECT_EQ(turned->getPath()->path().boundingRect().size(), QSizeF(50, 100));
    component.updateCoordWithVector(5, 5);
    EXPECT_EQ(component.GetLastPath(), turned);
    component.Move(5, 5, nullptr);
    EXPECT_EQ(component.GetLastPath(), nullptr);
    CFTComponent wrapped(0, 0, 10, 10);
    wrapped.SetWrapType(twTextOnLeft);
    wrapped.GetPathForTextWrap(nullptr)->setWrapType(twMostSpace);
    EXPECT_EQ(wrapped.GetWrapType(), twMostSpace);
}

TEST(CFTComponentTest, SnapArraysCoverTheTurnedRectangleSnapshotsRestoreOriginAndSizeAndCopiesTakeGeometryAndFill)
{
    CFTComponent component(0, 0, 100, 20);
    float values[2] = {-1, -1};
    EXPECT_EQ(component.getYSnapArrayFrom({}), 2) << "no room: only counted";
    EXPECT_EQ(component.getYSnapArrayFrom(std::span<float>(values, 1)), 0) << "too little room: nothing written";
    EXPECT_EQ(values[0], -1);
    EXPECT_EQ(component.getXSnapArrayFrom(values), 2);
    EXPECT_EQ(QList<float>({values[0], values[1]}), QList<float>({0, 100}));
    component.SetAngle(std::numbers::pi / 2.0);
    EXPECT_EQ(component.getXSnapArrayTo(values), 2);
    EXPECT_NEAR(QLineF(values[0], values[1], 40, 60).length(), 0, 1e-4);
    EXPECT_EQ(component.getYSnapArrayTo(values), 2);
    EXPECT_NEAR(QLineF(values[0], values[1], -40, 60).length(), 0, 1e-4);
    // The min and max queries look at the unturned rectangle.
    EXPECT_EQ(QList<float>({component.getMinSnapXTo(), component.getMaxSnapXTo(), component.getMaxSnapYFrom()}), QList<float>({0, 100, 20}));
    CFTComponent restored(1, 2, 3, 4);
    restored.snapshotObject();
    restored.SetOrigin(50, 60);
    restored.SetSize(70, 80);
    restored.GetPathForTextWrap(nullptr);
    restored.SetAngle(0.5);
    restored.GetPathForTextWrap(nullptr);
    restored.restoreObject();
    EXPECT_EQ(restored.GetNSBoundRect(), QRectF(1, 2, 3, 4));
    EXPECT_EQ(restored.GetAngle(), 0.5);
    EXPECT_EQ(restored.GetLastPath(), nullptr);
    CFTComponent source(5, 6, 7, 8);
    source.SetAngle(0.3);
    const CDDColor green(0, 1, 0, 1);
    source.SetFillColor(&green);
    source.SetLineWidth(4);
    CFTComponent copy;
    copy.Copy(&source);
    copy.Copy(nullptr);
    EXPECT_EQ(QList<double>({copy.GetOriginX(), copy.GetSizeY(), copy.GetAngle()}), QList<double>({5, 8, 0.3}));
    EXPECT_EQ(*copy.GetFillColor(), green);
    EXPECT_FALSE(copy.IsStroked());
}

} // namespace
