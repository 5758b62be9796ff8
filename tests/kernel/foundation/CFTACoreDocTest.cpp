// The core document: sides, z-order, the deferred-delete pools, smart fields, series printing,
// snapshots and bounds.

#include "kernel/foundation/CFTACoreDoc.h"

#include "ComponentTestSupport.h"
#include "kernel/foundation/CFTLayoutGuideline.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using comptest::ProbeComponent;
using comptest::TestCoreDoc;

class CFTACoreDocTest : public ::testing::Test
{
protected:
    // Added to side 0's components list, owned by the document.
    ProbeComponent *add(int classID = 0, textCategory category = tcNone, int sideIndex = 0, bool back = false)
    {
        auto *component = new ProbeComponent(classID, category, &destroyed);
        doc.AddObject(component, sideIndex, back);
        return component;
    }
    std::vector<CFTComponent *> order(int sideIndex = 0) const { return doc.GetComponents(sideIndex, false); }
    int destroyed = 0;
    TestCoreDoc doc;
};

TEST_F(CFTACoreDocTest, SidesOutOfRangeAnswerNothing)
{
    EXPECT_EQ(doc.getSidesCount(), 1);
    EXPECT_EQ(doc.getPage(1), nullptr);
    EXPECT_EQ(doc.GetComponentsPtr(-1, false), nullptr);
    EXPECT_TRUE(doc.GetComponents(5, true).empty());
}

TEST_F(CFTACoreDocTest, VerticalSideSwapsTheCardSize)
{
    doc.setDocumentSizeX(300);
    doc.setDocumentSizeY(200);
    doc.addSide();
    doc.SetHorizontal(false, 1);
    EXPECT_DOUBLE_EQ(doc.getDocumentSizeX(0), 300);
    EXPECT_DOUBLE_EQ(doc.getDocumentSizeX(1), 200);
    EXPECT_DOUBLE_EQ(doc.getDocumentSizeY(1), 300);
    doc.getPage(1)->setPageOrientation(2);
    EXPECT_TRUE(doc.IsHorizontal(1));
}

TEST_F(CFTACoreDocTest, AddingTwiceDoesNotDuplicate)
{
    ProbeComponent *date = add(0, tcSmartDate);
    date->values.clear();
    doc.AddObject(date, 0, false);
    EXPECT_EQ(order().size(), 1u);
    // The smart-field values are refreshed all the same.
    EXPECT_EQ(date->values.size(), 1u);
}

TEST_F(CFTACoreDocTest, DeletedComponentsStayAliveInThePoolUntilTheDocumentGoes)
{
    int freed = 0;
    {
        TestCoreDoc local;
        auto *kept = new ProbeComponent(0, tcNone, &freed);
        auto *deleted = new ProbeComponent(0, tcNone, &freed);
        local.AddObject(kept, 0, false);
        local.AddObject(deleted, 0, true);
        EXPECT_TRUE(local.DeleteObject(deleted, 0, true));
        EXPECT_TRUE(local.isInDeletedPool(deleted));
        EXPECT_FALSE(local.DeleteObject(deleted, 0, true));
        EXPECT_EQ(local.deletedPoolSize(), 1);
        EXPECT_EQ(freed, 0);
        // Undo puts it back: out of the pool, into the list.
        local.AddObject(deleted, 0, true);
        EXPECT_FALSE(local.isInDeletedPool(deleted));
        EXPECT_TRUE(local.DeleteObject(deleted, 0, true));
    }
    EXPECT_EQ(freed, 2);
}

TEST_F(CFTACoreDocTest, DeletingFromTheWrongListChangesNothing)
{
    ProbeComponent *component = add();
    EXPECT_FALSE(doc.DeleteObject(component, 0, true));
    EXPECT_FALSE(doc.DeleteObject(component, 3, false));
    EXPECT_EQ(doc.deletedPoolSize(), 0);
    EXPECT_EQ(order().size(), 1u);
}

TEST_F(CFTACoreDocTest, ErasingHandsTheComponentToTheCaller)
{
    ProbeComponent *component = add();
    std::unique_ptr<CFTComponent> owned = doc.EreaseObject(component, 0, false);
    EXPECT_EQ(owned.get(), component);
    EXPECT_EQ(doc.deletedPoolSize(), 0);
    EXPECT_TRUE(order().empty());
    EXPECT_EQ(doc.EreaseObject(component, 0, false), nullptr);
    owned.reset();
    EXPECT_EQ(destroyed, 1);
}

TEST_F(CFTACoreDocTest, ComponentInTwoListsIsFreedOnce)
{
    int freed = 0;
    {
        TestCoreDoc local;
        auto *shared = new ProbeComponent(0, tcNone, &freed);
        local.AddObject(shared, 0, false);
        local.AddObject(shared, 0, true);
        // Still listed in the back list: not pooled.
        EXPECT_TRUE(local.DeleteObject(shared, 0, false));
        EXPECT_FALSE(local.isInDeletedPool(shared));
    }
    EXPECT_EQ(freed, 1);
}

class ZOrderTest : public CFTACoreDocTest
{
protected:
    void SetUp() override
    {
        a = add();
        b = add();
        c = add();
    }
    ProbeComponent *a = nullptr;
    ProbeComponent *b = nullptr;
    ProbeComponent *c = nullptr;
};

TEST_F(ZOrderTest, SteppingSwapsSendingMovesToTheEndsAndNothingMovesPastThem)
{
    EXPECT_FALSE(doc.StepToFront(sdFront, false, c));
    EXPECT_FALSE(doc.StepToBack(sdFront, false, a));
    EXPECT_FALSE(doc.SendToBack(sdFront, false, a));
    EXPECT_FALSE(doc.SendToFront(sdFront, false, c));
    ProbeComponent stranger;
    EXPECT_FALSE(doc.SendToFront(sdFront, false, &stranger));
    EXPECT_FALSE(doc.StepToFront(sdFront, true, a));
    EXPECT_EQ(order(), (std::vector<CFTComponent *> {a, b, c}));
    EXPECT_TRUE(doc.StepToFront(sdFront, false, a));
    EXPECT_EQ(order(), (std::vector<CFTComponent *> {b, a, c}));
    EXPECT_TRUE(doc.StepToBack(sdFront, false, c));
    EXPECT_EQ(order(), (std::vector<CFTComponent *> {b, c, a}));
    EXPECT_TRUE(doc.SendToBack(sdFront, false, a));
    EXPECT_EQ(order(), (std::vector<CFTComponent *> {a, b, c}));
    EXPECT_TRUE(doc.SendToFront(sdFront, false, a));
    EXPECT_EQ(order(), (std::vector<CFTComponent *> {b, c, a}));
}

TEST_F(CFTACoreDocTest, SmartFieldsGetTheirDateOrPage)
{
    doc.addSide();
    doc.addSide();
    ProbeComponent *date = add(19, tcSmartDate, 0);
    ProbeComponent *page = add(19, textCategory(131), 1);
    ProbeComponent *pages = add(19, textCategory(133), 2, true);
    ProbeComponent *nothing = add(19, textCategory(130), 1);
    ProbeComponent *plain = add(3, tcNone, 2);
    for (ProbeComponent *probe : {date, page, pages, nothing, plain})
        probe->values.clear();
    doc.validateObjectsValue();
    ASSERT_EQ(date->values.size(), 1u);
    EXPECT_EQ(date->values[0].GetDataType(), variantObject);
    ASSERT_EQ(page->values.size(), 1u);
    EXPECT_EQ(page->values[0].GetIntValue1(), 2);
    EXPECT_EQ(page->values[0].GetIntValue2(), 3);
    ASSERT_EQ(pages->values.size(), 1u);
    EXPECT_EQ(pages->values[0].GetIntValue1(), 3);
    EXPECT_TRUE(nothing->values.empty());
    EXPECT_TRUE(plain->values.empty());
}

TEST_F(CFTACoreDocTest, SeriesStepsReachCountersAndFileFieldsOfTheFrontSideOnly)
{
    doc.addSide();
    ProbeComponent *counter = add(14);
    ProbeComponent *backFile = add(15, tcNone, 0, true);
    ProbeComponent *text = add(3);
    ProbeComponent *otherSide = add(14, tcNone, 1);
    doc.resetObjects();
    doc.setValueObjects(4);
    doc.nextStepObjects();
    doc.clearObjects();
    const QStringList steps = {QStringLiteral("Reset"), QStringLiteral("SetValue 4"), QStringLiteral("Next"),
                               QStringLiteral("Clear")};
    EXPECT_EQ(counter->calls, steps);
    EXPECT_EQ(backFile->calls, steps);
    EXPECT_TRUE(text->calls.isEmpty());
    EXPECT_TRUE(otherSide->calls.isEmpty());
}

TEST_F(CFTACoreDocTest, SnapshotsCoverEverySideAndList)
{
    doc.addSide();
    ProbeComponent *front = add();
    ProbeComponent *back = add(0, tcNone, 1, true);
    doc.snapshotObjects();
    front->SetOrigin(500, 500);
    back->SetSize(1, 1);
    doc.restoreObjects();
    EXPECT_DOUBLE_EQ(front->GetOriginX(), 10);
    EXPECT_DOUBLE_EQ(back->GetSizeX(), 20);
}

TEST_F(CFTACoreDocTest, BoundsOfAList)
{
    double l = 7, t = 7, r = 7, b = 7;
    CFTACoreDoc::GetBoundForComponents(&l, &t, &r, nullptr, order());
    EXPECT_DOUBLE_EQ(l, 7);
    CFTACoreDoc::GetBoundForComponents(&l, &t, &r, &b, order());
    EXPECT_DOUBLE_EQ(l, 1e6);
    EXPECT_DOUBLE_EQ(b, -1e6);
    add()->SetOrigin(-5, 40);
    add()->SetSize(100, 5);
    CFTACoreDoc::GetBoundForComponents(&l, &t, &r, &b, order());
    EXPECT_DOUBLE_EQ(l, -5);
    EXPECT_DOUBLE_EQ(t, 10);
    EXPECT_DOUBLE_EQ(r, 110);
    EXPECT_DOUBLE_EQ(b, 60);
    double x, y, w, h;
    CFTACoreDoc::GetSelectionRectForComponents(&x, &y, &w, &h, order());
    EXPECT_DOUBLE_EQ(w, 115);
    EXPECT_DOUBLE_EQ(h, 50);
}

class CountedGuideline : public CFTLayoutGuideline
{
public:
    CountedGuideline(guidelineType type, double position, int *freed)
        : CFTLayoutGuideline(type, position), mFreed(freed)
    {
    }
    ~CountedGuideline() override { ++*mFreed; }

private:
    int *mFreed;
};

TEST(CFTACoreDocGuidelineTest, GuidelinesArePooledAndFreedWithTheDocument)
{
    int freed = 0;
    {
        TestCoreDoc doc;
        auto *kept = new CountedGuideline(gtVertical, 10, &freed);
        auto *removed = new CountedGuideline(gtHorizontal, 20, &freed);
        auto *cleared = new CountedGuideline(gtHorizontal, 30, &freed);
        doc.AddLayoutGuideline(kept, 0);
        doc.AddLayoutGuideline(kept, 0);
        doc.AddLayoutGuideline(removed, 0);
        EXPECT_EQ(doc.GetLayoutGuidelines(0).size(), 2u);
        EXPECT_TRUE(doc.DeleteLayoutGuideline(removed, 0));
        EXPECT_FALSE(doc.DeleteLayoutGuideline(removed, 0));
        EXPECT_TRUE(doc.isInDeletedPool(removed));
        doc.AddLayoutGuideline(removed, 0);
        EXPECT_FALSE(doc.isInDeletedPool(removed));
        doc.addSide();
        doc.AddLayoutGuideline(cleared, 1);
        doc.DeleteLayoutGuidelines(1);
        EXPECT_TRUE(doc.GetLayoutGuidelines(1).empty());
        EXPECT_TRUE(doc.isInDeletedPool(cleared));
        EXPECT_EQ(doc.deletedLayoutGuidelinesPoolSize(), 1);
        EXPECT_EQ(freed, 0);
    }
    EXPECT_EQ(freed, 3);
}

TEST_F(CFTACoreDocTest, DrawingGoesThroughTheListInOrder)
{
    class Recorder : public CFTComponent
    {
    public:
        Recorder(QStringList *log, QString name) : mLog(log), mName(std::move(name)) {}
        void Draw(CDDDrawer *, bool, const CFTComponentsInterface *others, bool, bool) override
        {
            *mLog << mName + (others ? QStringLiteral(" with interface") : QString());
        }
        void DrawSelected(CDDDrawer *, bool, const CFTComponentsInterface *, bool, bool) override
        {
            *mLog << mName + QStringLiteral(" selected");
        }
    private:
        QStringList *mLog;
        QString mName;
    };
    QStringList log;
    doc.AddObject(new Recorder(&log, QStringLiteral("first")), 0, false);
    doc.AddObject(new Recorder(&log, QStringLiteral("second")), 0, false);
    doc.DrawComponents(order(), nullptr, false, nullptr);
    doc.DrawComponents(order(), nullptr, true, nullptr);
    EXPECT_EQ(log, (QStringList {QStringLiteral("first with interface"), QStringLiteral("second with interface"),
                                 QStringLiteral("first selected"), QStringLiteral("second selected")}));
}

} // namespace
