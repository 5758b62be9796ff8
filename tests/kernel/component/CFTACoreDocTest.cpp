#include "kernel/component/CFTACoreDoc.h"

#include "ComponentTestSupport.h"
#include "kernel/component/CFTLayoutGuideline.h"

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

TEST_F(CFTACoreDocTest, SidesOutOfRangeAnswerNothingAndVerticalSidesSwapTheCardSize)
{
    EXPECT_EQ(doc.getSidesCount(), 1);
    EXPECT_EQ(doc.getPage(1), nullptr);
    EXPECT_EQ(doc.GetComponentsPtr(-1, false), nullptr);
    EXPECT_TRUE(doc.GetComponents(5, true).empty());
    doc.setDocumentSizeX(300);
    doc.setDocumentSizeY(200);
    doc.addSide();
    doc.SetHorizontal(false, 1);
    EXPECT_EQ(QList<double>({doc.getDocumentSizeX(0), doc.getDocumentSizeX(1), doc.getDocumentSizeY(1)}), QList<double>({300, 200, 300}));
    doc.getPage(1)->setPageOrientation(2);
    EXPECT_TRUE(doc.IsHorizontal(1));
}

TEST_F(CFTACoreDocTest, AddingTwiceDoesNotDuplicateAndDeletedComponentsStayPooledUntilTheDocumentGoes)
{
    ProbeComponent *date = add(0, tcSmartDate);
    date->values.clear();
    doc.AddObject(date, 0, false);
    EXPECT_EQ(order().size(), 1u);
    // The smart-field values are refreshed all the same.
    EXPECT_EQ(date->values.size(), 1u);
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

TEST_F(CFTACoreDocTest, DeletingFromTheWrongListChangesNothingAndErasingHandsTheComponentOver)
{
    ProbeComponent *component = add();
    EXPECT_FALSE(doc.DeleteObject(component, 0, true) || doc.DeleteObject(component, 3, false));
    EXPECT_EQ(doc.deletedPoolSize(), 0);
    EXPECT_EQ(order().size(), 1u);
    ProbeComponent *erased = add();
    std::unique_ptr<CFTComponent> owned = doc.EreaseObject(erased, 0, false);
    EXPECT_EQ(owned.get(), erased);
    EXPECT_EQ(doc.deletedPoolSize(), 0);
    EXPECT_EQ(order(), std::vector<CFTComponent *> {component});
    EXPECT_EQ(doc.EreaseObject(erased, 0, false), nullptr);
    owned.reset();
    EXPECT_EQ(destroyed, 1);
}

TEST_F(CFTACoreDocTest, ComponentsInTwoListsAreFreedOnceAndSteppingOrSendingMovesWithinTheEnds)
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
    ProbeComponent *a = add(), *b = add(), *c = add();
    ProbeComponent stranger;
    EXPECT_FALSE(doc.StepToFront(sdFront, false, c) || doc.StepToBack(sdFront, false, a) || doc.SendToBack(sdFront, false, a)
                 || doc.SendToFront(sdFront, false, c) || doc.SendToFront(sdFront, false, &stranger)
                 || doc.StepToFront(sdFront, true, a));
    using Order = std::vector<CFTComponent *>;
    EXPECT_EQ(order(), (Order {a, b, c}));
    EXPECT_TRUE(doc.StepToFront(sdFront, false, a));
    EXPECT_EQ(order(), (Order {b, a, c}));
    EXPECT_TRUE(doc.StepToBack(sdFront, false, c));
    EXPECT_EQ(order(), (Order {b, c, a}));
    EXPECT_TRUE(doc.SendToBack(sdFront, false, a));
    EXPECT_EQ(order(), (Order {a, b, c}));
    EXPECT_TRUE(doc.SendToFront(sdFront, false, a));
    EXPECT_EQ(order(), (Order {b, c, a}));
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
    ASSERT_EQ(QList<size_t>({date->values.size(), page->values.size(), pages->values.size(), nothing->values.size(), plain->values.size()}),
              QList<size_t>({1, 1, 1, 0, 0}));
    EXPECT_EQ(date->values[0].GetDataType(), variantObject);
    EXPECT_EQ(QList<int>({page->values[0].GetIntValue1(), page->values[0].GetIntValue2(), pages->values[0].GetIntValue1()}),
              QList<int>({2, 3, 3}));
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
    const QString steps = QStringLiteral("Reset,SetValue 4,Next,Clear");
    EXPECT_EQ(QStringList({counter->calls.join(u','), backFile->calls.join(u','), text->calls.join(u','), otherSide->calls.join(u',')}),
              QStringList({steps, steps, QString(), QString()}));
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
    EXPECT_EQ(QList<double>({front->GetOriginX(), back->GetSizeX()}), QList<double>({10, 20}));
}

TEST_F(CFTACoreDocTest, BoundsOfAList)
{
    double l = 7, t = 7, r = 7, b = 7;
    CFTACoreDoc::GetBoundForComponents(&l, &t, &r, nullptr, order());
    EXPECT_EQ(l, 7);
    CFTACoreDoc::GetBoundForComponents(&l, &t, &r, &b, order());
    EXPECT_EQ(QList<double>({l, b}), QList<double>({1e6, -1e6}));
    add()->SetOrigin(-5, 40);
    add()->SetSize(100, 5);
    CFTACoreDoc::GetBoundForComponents(&l, &t, &r, &b, order());
    EXPECT_EQ(QList<double>({l, t, r, b}), QList<double>({-5, 10, 110, 60}));
    double x, y, w, h;
    CFTACoreDoc::GetSelectionRectForComponents(&x, &y, &w, &h, order());
    EXPECT_EQ(QSizeF(w, h), QSizeF(115, 50));
}

class CountedGuideline : public CFTLayoutGuideline
{
public:
    CountedGuideline(guidelineType type, double position, int *freed) : CFTLayoutGuideline(type, position), mFreed(freed) {}
    ~CountedGuideline() override { ++*mFreed; }
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
        void DrawSelected(CDDDrawer *, bool, const CFTComponentsInterface *, bool, bool) override { *mLog << mName + QStringLiteral(" selected"); }
        QStringList *mLog;
        QString mName;
    };
    QStringList log;
    doc.AddObject(new Recorder(&log, QStringLiteral("first")), 0, false);
    doc.AddObject(new Recorder(&log, QStringLiteral("second")), 0, false);
    doc.DrawComponents(order(), nullptr, false, nullptr);
    doc.DrawComponents(order(), nullptr, true, nullptr);
    EXPECT_EQ(log.join(u','), QStringLiteral("first with interface,second with interface,first selected,second selected"));
}

} // namespace
