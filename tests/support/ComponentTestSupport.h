#pragma once

#include "TestSupport.h"

// Stand-ins for the parts of the system above the component base: a concrete core document (the
// kernel document implements the snap queries and the wrap query) and a component that can pose
// as any class and records the series-printing calls it receives.

#include "kernel/base/CDDVariant.h"
#include "kernel/component/CFTACoreDoc.h"
#include "kernel/component/CFTACoreView.h"
#include "kernel/component/CFTComponent.h"

#include <QStringList>
#include <QtGlobal>

#include <vector>

namespace comptest {

class TestCoreDoc : public CFTACoreDoc
{
public:
    int getXSnapArrayFrom(std::span<float>) const override { return 0; }
    int getYSnapArrayFrom(std::span<float>) const override { return 0; }
    int getXSnapArrayTo(std::span<float>) const override { return 0; }
    int getYSnapArrayTo(std::span<float>) const override { return 0; }
    float getMinSnapYTo() const override { return 0.0f; }
    float getMaxSnapYTo() const override { return 0.0f; }
    float getMinSnapXTo() const override { return 0.0f; }
    float getMaxSnapXTo() const override { return 0.0f; }
    float getMinSnapYFrom() const override { return 0.0f; }
    float getMaxSnapYFrom() const override { return 0.0f; }
    float getMinSnapXFrom() const override { return 0.0f; }
    float getMaxSnapXFrom() const override { return 0.0f; }
    std::vector<CDDWrappingPath *> GetIntersectPathForRect(const QRectF &, double, double, double, double, double,
                                                           const void *, textWrap) const override
    {
        return {};
    }
};

// An editing view that draws nothing: what remains is the selection, the hit tests and the drags.
class TestCoreView : public CFTACoreView
{
public:
    explicit TestCoreView(CFTDocumentController *controller = nullptr)
        : CFTACoreView(controller)
    {
    }
    void Draw(double, double, double, double) override { }
    void DrawBack() override { }
    void FillSnapArrays(bool forResize) override { fillSnapTables(forResize); }
    std::vector<CDDWrappingPath *> GetIntersectPathForRect(const QRectF &, double, double, double, double, double,
                                                           const void *, textWrap) const override
    {
        return {};
    }
};

// Poses as the class and text category it is given; counts its own destruction so that tests can
// see when the owner frees it.
class ProbeComponent : public CFTComponent
{
public:
    explicit ProbeComponent(int classID = 0, textCategory category = tcNone, int *destroyed = nullptr)
        : CFTComponent(10, 10, 20, 20), mClassID(classID), mCategory(category), mDestroyed(destroyed)
    {
    }
    ~ProbeComponent() override
    {
        if (mDestroyed)
            ++*mDestroyed;
    }

    classID getClassID() const override { return static_cast<classID>(mClassID); }
    textCategory GetTextCategory() const override { return mCategory; }
    void Reset() override { calls << QStringLiteral("Reset"); }
    void Clear() override { calls << QStringLiteral("Clear"); }
    void Next() override { calls << QStringLiteral("Next"); }
    void SetValue(int number) override { calls << QStringLiteral("SetValue %1").arg(number); }
    void SetValue(CDDVariant value) override { values.push_back(value); }

    QStringList calls;
    std::vector<CDDVariant> values;

private:
    int mClassID;
    textCategory mCategory;
    int *mDestroyed;
};

using pwtest::LogCapture;

} // namespace comptest
