#include "kernel/component/CFTACoreDoc.h"

#include "ComponentTestSupport.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/drawing/CFTSeparator.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/component/CFTLayoutGuideline.h"
#include "kernel/component/FTComponentFactory.h"
#include "platform/PWBezierPath.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using comptest::LogCapture;
using comptest::ProbeComponent;
using comptest::TestCoreDoc;

const QString kSides = QStringLiteral("Sides");
const QString kBack = QStringLiteral("Back");
const QString kOrientation = QStringLiteral("Orientation");

// The document's sides as the test stores them: each side's components, its back components
// (inside a child archive, as both lists are written under "Components") and its guidelines.
QByteArray save(CFTACoreDoc &doc)
{
    CDDArchive top(true);
    top.SetData(key_BundleVersion);
    top.BeginArrayData();
    for (int s = 0; s < doc.getSidesCount(); ++s) {
        CDDArchive sideArchive(true);
        EXPECT_TRUE(CFTACoreDoc::SerializeComponents(sideArchive, doc.GetComponentsPtr(s, false), false));
        CDDArchive back(true);
        CFTACoreDoc::SerializeComponents(back, doc.GetComponentsPtr(s, true), false);
        sideArchive.SetData(kBack, back);
        EXPECT_TRUE(doc.SerializeLayoutGuidelines(sideArchive, s));
        sideArchive.SetData(kOrientation, doc.getPage(s)->getPageOrientation());
        top.SetData(kSides, sideArchive);
    }
    top.EndArrayData(kSides);
    return top.getDict().toXml();
}

bool load(const QByteArray &xml, CFTACoreDoc &doc)
{
    const std::optional<PWPlist> parsed = PWPlist::parse(xml);
    if (!parsed)
        return false;
    CDDArchive top(false);
    top.Attach(*parsed);
    int version = 0;
    top.GetData(key_BundleVersion, &version, CDDRanges::kInt);
    CDDArchive sides(false);
    top.GetData(kSides, sides);
    bool complete = true;
    for (int s = 0; s < sides.countObjectsInArray(); ++s) {
        if (s >= doc.getSidesCount())
            doc.addSide();
        CDDArchive sideArchive = sides.objectAtIndexInArray(s);
        sideArchive.setBundleVersion(version);
        complete &= CFTACoreDoc::SerializeComponents(sideArchive, doc.GetComponentsPtr(s, false), false);
        CDDArchive back(false);
        if (sideArchive.GetData(kBack, back)) {
            back.setBundleVersion(version);
            complete &= CFTACoreDoc::SerializeComponents(back, doc.GetComponentsPtr(s, true), false);
        }
        complete &= doc.SerializeLayoutGuidelines(sideArchive, s);
        int orientation = 0;
        sideArchive.GetData(kOrientation, &orientation, CDDRanges::kInt);
        doc.getPage(s)->setPageOrientation(orientation);
    }
    return complete;
}

CFTBoxField *shape(CFTACoreDoc &doc, int s, compType kind, QRectF frame, bool back = false)
{
    auto *box = new CFTBoxField(frame.x(), frame.y(), frame.width(), frame.height(), doc.getDefBox());
    box->setType(kind);
    doc.AddObject(box, s, back);
    return box;
}

void buildThreeSides(CFTACoreDoc &doc)
{
    doc.getDefBox()->Init();
    doc.addSide();
    doc.addSide();
    doc.SetHorizontal(false, 2);
    shape(doc, 0, ctRect, QRectF(10, 10, 100, 50));
    CFTBoxField *star = shape(doc, 0, ctStar8, QRectF(20.5, 30.25, 60, 60));
    star->SetAngle(0.5);
    star->setFlipX(true);
    star->SetCurveRadius(0.3);
    star->SetDefaultShadow(true);
    auto *rule = new CFTSeparator(5, 200, 180, 0, doc.getDefBox());
    rule->SetLineWidth(2.5);
    doc.AddObject(rule, 0, false);
    shape(doc, 0, ctWave, QRectF(0, 0, 300, 400), true);
    CFTBoxField *line = shape(doc, 1, ctLeftDiagonalLine, QRectF(40, 40, 80, 30));
    line->setFlipY(true);
    const CDDColor teal(0, 0.5f, 0.5f, 1);
    line->SetStrokeColor(&teal);
    doc.AddObject(new CFTSeparator(50, 10, 0, 120, nullptr), 1, false);
    shape(doc, 2, ctMoon, QRectF(1, 2, 3, 4));
    doc.AddLayoutGuideline(new CFTLayoutGuideline(gtVertical, 72), 0);
    auto *locked = new CFTLayoutGuideline(gtHorizontal, 144);
    locked->Lock();
    doc.AddLayoutGuideline(locked, 0);
    doc.AddLayoutGuideline(new CFTLayoutGuideline(gtHorizontal, 36), 2);
}

TEST(CFTACoreDocArchiveTest, ThreeSidedDocumentLoadsBackEqual)
{
    TestCoreDoc original;
    buildThreeSides(original);
    const QByteArray xml = save(original);
    ASSERT_TRUE(PWPlist::parse(xml));
    TestCoreDoc loaded;
    ASSERT_TRUE(load(xml, loaded));
    ASSERT_EQ(loaded.getSidesCount(), 3);
    EXPECT_EQ(save(loaded), xml);
    // What saving leaves out would be lost twice over: spot checks of values the writer may skip.
    EXPECT_EQ(loaded.GetComponents(0, true).front()->getType(), ctWave);
    EXPECT_TRUE(loaded.GetComponents(0, false)[1]->HasShadow());
    EXPECT_FALSE(loaded.IsHorizontal(2));
    EXPECT_TRUE(loaded.GetLayoutGuidelines(0)[1]->isLocked());
}

TEST(CFTACoreDocArchiveTest, EmptyListsWriteNoKeyAndListsWithBadEntriesLoadWhatTheyCan)
{
    TestCoreDoc doc;
    CDDArchive archive(true);
    EXPECT_TRUE(CFTACoreDoc::SerializeComponents(archive, doc.GetComponentsPtr(0, false), false));
    EXPECT_TRUE(doc.SerializeLayoutGuidelines(archive, 0));
    EXPECT_TRUE(archive.getDict().toDictionary().isEmpty());
    archive.setStoring(false);
    EXPECT_TRUE(CFTACoreDoc::SerializeComponents(archive, doc.GetComponentsPtr(0, false), false));
    EXPECT_TRUE(doc.GetComponents(0, false).empty());
    const auto entry = [](const QString &className) {
        return PWPlist(PWPlist::Dictionary {{key_ClassID, PWPlist::fromString(className)},
                                            {key_Bounds, PWPlist::fromString(QStringLiteral("{{1, 1}, {9, 9}}"))}});
    };
    const PWPlist::Array entries = {entry(QStringLiteral("Square Field")), entry(QStringLiteral("CLeaf")),
        PWPlist::fromString(QStringLiteral("not a dictionary")), PWPlist(PWPlist::Dictionary {{key_Bounds, PWPlist::fromInteger(3)}}),
        entry(QStringLiteral("Separator")),
        PWPlist(PWPlist::Dictionary {{key_ClassID, PWPlist::fromString(QStringLiteral("Square Field"))},
            {key_ComponentType, PWPlist(PWPlist::Array {})}, {key_SideCount, PWPlist::fromString(QStringLiteral("2000000000"))},
            {key_FlipX, PWPlist::fromInteger(1)}})};
    CDDArchive withBadEntries(false);
    withBadEntries.Attach(PWPlist(PWPlist::Dictionary {{key_Components, PWPlist(entries)}}));
    withBadEntries.setBundleVersion(100);
    TestCoreDoc loaded;
    LogCapture log;
    EXPECT_FALSE(CFTACoreDoc::SerializeComponents(withBadEntries, loaded.GetComponentsPtr(0, false), false));
    const std::vector<CFTComponent *> &list = loaded.GetComponents(0, false);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(QList<int>({list[0]->getClassID(), list[1]->getClassID(), list[2]->getType(), list[2]->IsFlipX()}),
              QList<int>({1, 2, ctRect, false}));
    EXPECT_TRUE(LogCapture::lines().contains(QStringLiteral("Unknown nClassID (=13)")));
    // An absurd side count must not make drawing endless.
    list[2]->SetSize(40, 40);
    list[2]->setType(ctStar5);
    list[2]->SetSideCount(2e9);
    EXPECT_FALSE(list[2]->GetPath(nullptr)->path().isEmpty());
}

TEST(CFTACoreDocArchiveTest, WrongKindsOfListsAreRefusedAndGuidelineListsSkipOtherClasses)
{
    CDDArchive archive(false);
    archive.Attach(PWPlist(PWPlist::Dictionary {{key_Components, PWPlist::fromString(QStringLiteral("x"))},
                                                {key_LayoutGuidelines, PWPlist::fromInteger(4)}}));
    TestCoreDoc doc;
    LogCapture log;
    EXPECT_FALSE(CFTACoreDoc::SerializeComponents(archive, doc.GetComponentsPtr(0, false), false));
    EXPECT_TRUE(doc.SerializeLayoutGuidelines(archive, 0));
    EXPECT_TRUE(doc.GetComponents(0, false).empty() && doc.GetLayoutGuidelines(0).empty());
    CDDArchive mixedGuidelines(false);
    const PWPlist::Array entries = {PWPlist(PWPlist::Dictionary {{key_ClassID, PWPlist::fromString(QStringLiteral("Square Field"))}}),
        PWPlist(PWPlist::Dictionary {{key_Origin, PWPlist::fromString(QStringLiteral("12"))}})};
    mixedGuidelines.Attach(PWPlist(PWPlist::Dictionary {{key_LayoutGuidelines, PWPlist(entries)}}));
    TestCoreDoc loaded;
    LogCapture mixedLog;
    EXPECT_FALSE(loaded.SerializeLayoutGuidelines(mixedGuidelines, 0));
    ASSERT_EQ(loaded.GetLayoutGuidelines(0).size(), 1u);
    EXPECT_DOUBLE_EQ(loaded.GetLayoutGuidelines(0)[0]->getOrigin(), 12);
}

// A plain text stand-in, so that the class a "Text" entry becomes can be seen.
class TextClassTest : public ::testing::Test
{
protected:
    FTComponentFactory::ScopedOverride m_text {3, [](CFTComponent *) { return std::make_unique<ProbeComponent>(3); }};
    FTComponentFactory::ScopedOverride m_addressText {10, [](CFTComponent *) { return std::make_unique<ProbeComponent>(10); }};
};

TEST_F(TextClassTest, CopiedSideKeepsPlainTextsPlain)
{
    TestCoreDoc doc;
    doc.AddObject(new ProbeComponent(3), 0, false);
    doc.AddObject(new ProbeComponent(3), 0, true);
    doc.AddLayoutGuideline(new CFTLayoutGuideline(gtVertical, 5), 0);
    doc.SetHorizontal(false, 0);
    const std::unique_ptr<CFTACoreDoc::ftSide> copy = doc.getPage(0)->clone();
    ASSERT_EQ(QList<size_t>({copy->maComponents.size(), copy->maBackComponents.size(), copy->maLayoutGuidelines.size()}),
              QList<size_t>({1, 1, 1}));
    EXPECT_EQ(QList<int>({copy->maComponents[0]->getClassID(), copy->maBackComponents[0]->getClassID(),
                          copy->maLayoutGuidelines[0]->getType(), copy->getPageOrientation()}), QList<int>({3, 3, gtVertical, 1}));
    EXPECT_NE(copy->maComponents[0], doc.GetComponents(0, false)[0]);
}

TEST_F(TextClassTest, TextsOfOldFilesBecomeAddressTextsInBothLists)
{
    TestCoreDoc original;
    original.AddObject(new ProbeComponent(3), 0, false);
    original.AddObject(new ProbeComponent(3), 0, true);
    const std::optional<PWPlist> parsed = PWPlist::parse(save(original));
    ASSERT_TRUE(parsed);
    // A null version: the key is absent.
    const struct { const char *bundleVersion; int classMade; } cases[] = {{nullptr, 10}, {"72", 10}, {"73", 3}};
    for (const auto &c : cases) {
        PWPlist::Dictionary top = parsed->toDictionary();
        if (c.bundleVersion)
            top.insert(key_BundleVersion, PWPlist::fromString(QString::fromLatin1(c.bundleVersion)));
        else
            top.remove(key_BundleVersion);
        TestCoreDoc loaded;
        ASSERT_TRUE(load(PWPlist(top).toXml(), loaded));
        EXPECT_EQ(loaded.GetComponents(0, false).at(0)->getClassID(), c.classMade) << (c.bundleVersion ? c.bundleVersion : "none");
        EXPECT_EQ(loaded.GetComponents(0, true).at(0)->getClassID(), c.classMade) << (c.bundleVersion ? c.bundleVersion : "none");
    }
}

} // namespace
