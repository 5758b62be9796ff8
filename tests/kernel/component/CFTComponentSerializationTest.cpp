#include "kernel/component/CFTComponent.h"

#include "ComponentTestSupport.h"
#include "kernel/address/CFTABarcode.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/component/FTComponentFactory.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using comptest::LogCapture;
using comptest::ProbeComponent;

CDDArchive stored(CFTComponent &component)
{
    CDDArchive archive(true);
    component.Serialize(archive, nullptr);
    return archive;
}

CDDArchive loadingArchive(const PWPlist::Dictionary &dictionary, int bundleVersion = 100)
{
    CDDArchive archive(false);
    archive.Attach(PWPlist(dictionary));
    archive.setBundleVersion(bundleVersion);
    return archive;
}

TEST(CFTComponentSerializationTest, RoundTripKeepsEveryCommonAttributeAndNoShadowWritesNoShadowKey)
{
    CFTComponent plain(0, 0, 5, 5);
    const CDDArchive archive = stored(plain);
    EXPECT_FALSE(archive.getDict().toDictionary().contains(key_ShadowHorizontalOffset) || archive.getDict().toDictionary().contains(key_ShadowColor));
    CFTComponent target;
    target.SetDefaultShadow(true);
    CDDArchive loading = archive;
    loading.setStoring(false);
    target.Serialize(loading, nullptr);
    EXPECT_FALSE(target.HasShadow());
    CFTComponent original(10.5, 20.25, 100, 50);
    original.SetAngle(0.75);
    const CDDColor fill(0.2f, 0.4f, 0.6f, 0.5f), outline(0.9f, 0.1f, 0.1f, 1.0f), shadow(0, 0, 0.5f, 0.6f);
    original.SetFillColor(&fill);
    original.SetStrokeColor(&outline);
    original.SetLineWidth(2.5);
    original.SetDefaultShadow(true);
    original.SetShadowOffset(3, -7);
    original.SetShadowColor(&shadow);
    original.SetWrapType(twTextOnRight);
    original.SetWrapInset(4.5);
    original.setRepresentationType(orUpperCase, false);
    CDDArchive saved = stored(original);
    saved.setStoring(false);
    CFTComponent loaded;
    ASSERT_TRUE(loaded.Serialize(saved, nullptr));
    EXPECT_EQ(loaded.GetNSBoundRect(), QRectF(10.5, 20.25, 100, 50));
    EXPECT_NEAR(loaded.GetAngle(), 0.75, 1e-6);
    EXPECT_EQ(QList<CDDColor>({*loaded.GetFillColor(), *loaded.GetStrokeColor(), *loaded.GetShadowColor()}),
              QList<CDDColor>({fill, outline, shadow}));
    EXPECT_TRUE(loaded.IsStroked() && loaded.HasShadow());
    EXPECT_EQ(QList<double>({loaded.GetStrokeWidth(), loaded.GetShadowOffsetX(), loaded.GetShadowOffsetY(), loaded.GetShadowBlurRadius(),
                             loaded.GetWrapInset()}), QList<double>({2.5, 3, -7, 10, 4.5}));
    EXPECT_EQ(QList<int>({loaded.GetWrapType(), loaded.representationType()}), QList<int>({twTextOnRight, orUpperCase}));
}

TEST(CFTComponentSerializationTest, AbsentKeysKeepOriginAndFillWrongValueKindsAreLeftOut)
{
    CFTComponent component(7, 8, 9, 10);
    const CDDColor fill(1, 0, 0, 1);
    component.SetFillColor(&fill);
    component.SetAngle(1.0);
    // Present offset, absent rest: both missing shadow values start at 0.
    CDDArchive archive = loadingArchive({{key_ShadowHorizontalOffset, PWPlist::fromString(QStringLiteral("2"))}});
    component.Serialize(archive, nullptr);
    EXPECT_EQ(QList<double>({component.GetOriginX(), component.GetSizeX(), component.GetAngle(), component.GetShadowOffsetX(),
                             component.GetShadowOffsetY(), component.GetShadowBlurRadius()}), QList<double>({7, 0, 0, 2, 0, 0}));
    EXPECT_EQ(*component.GetFillColor(), fill);
    EXPECT_TRUE(component.HasShadow());
    EXPECT_EQ(*component.GetShadowColor(), CDDColor());
    CFTComponent loaded(1, 2, 3, 4);
    CDDArchive wrongKinds = loadingArchive({{key_Bounds, PWPlist::fromData("not a rectangle")}, {key_Angle, PWPlist(PWPlist::Array {})},
        {key_Color, PWPlist::fromString(QStringLiteral("1, 2"))}, {key_Stroke, PWPlist::fromString(QStringLiteral("yes"))},
        {key_PenWidth, PWPlist::fromString(QStringLiteral("3"))}});
    EXPECT_TRUE(loaded.Serialize(wrongKinds, nullptr));
    EXPECT_EQ(QList<double>({loaded.GetOriginX(), loaded.GetAngle(), loaded.GetStrokeWidth()}), QList<double>({1, 0, 3}));
    EXPECT_EQ(*loaded.GetFillColor(), CDDColor());
    EXPECT_FALSE(loaded.IsStroked());
}

// Text and address-text classes come from other subsystems; here stand-ins registered under
// their IDs tell which one was made, and with which parent.
class ClassFactoryTest : public ::testing::Test
{
protected:
    FTComponentFactory::Creator probe(int classID)
    {
        return [this, classID](CFTComponent *parent) {
            lastParent = parent;
            return std::make_unique<ProbeComponent>(classID);
        };
    }
    FTComponentFactory::ScopedOverride m_text {3, probe(3)};
    FTComponentFactory::ScopedOverride m_addressText {10, probe(10)};
    FTComponentFactory::ScopedOverride m_picture {6, probe(6)};
    std::unique_ptr<CFTComponent> create(const QString &className, int bundleVersion)
    {
        lastParent = &sentinel;
        return CFTComponent::CreateFromArchive(
            loadingArchive({{key_ClassID, PWPlist::fromString(className)}}, bundleVersion), nullptr, &parent);
    }
    CFTComponent parent;
    CFTComponent sentinel;
    CFTComponent *lastParent = nullptr;
};

// Which class an old file's text becomes is tested with the document's lists.
TEST_F(ClassFactoryTest, OnlyPlainTextsAreMadeWithTheirParentAndUnknownClassIDsMakeNothing)
{
    ASSERT_NE(create(QStringLiteral("Text"), 72), nullptr);
    EXPECT_EQ(lastParent, &parent);
    const std::unique_ptr<CFTComponent> made = create(QStringLiteral("Titled Text"), 0);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->getClassID(), 3);
    EXPECT_EQ(lastParent, nullptr);
    ASSERT_NE(create(QStringLiteral("Picture"), 100), nullptr);
    EXPECT_EQ(lastParent, nullptr);
    LogCapture log;
    for (const char *name : {"Abstract Component", "Circle Text", "CKnot", "Layout Guideline"})
        EXPECT_EQ(create(QString::fromLatin1(name), 100), nullptr) << name;
    EXPECT_EQ(create(QStringLiteral("Hovercraft"), 100), nullptr);
    EXPECT_EQ(CFTComponent::CreateFromArchive(loadingArchive({}), nullptr, nullptr), nullptr);
    EXPECT_EQ(LogCapture::lines().join(u','), QStringLiteral("Unknown nClassID (=0),Unknown nClassID (=4),Unknown nClassID (=12),"
                                                             "Unknown nClassID (=18),Unknown nClassID (=-1),Unknown nClassID (=-1)"));
}

TEST_F(ClassFactoryTest, LoadedComponentsAreAppendedToTheListButUnregisteredClassesOrStoringArchivesMakeNothing)
{
    // Every built-in class is registered by now: take one out for the test and put it back.
    {
        const FTComponentFactory::ScopedOverride noBarcode(9, nullptr);
        LogCapture log;
        EXPECT_EQ(create(QStringLiteral("Barcode"), 100), nullptr);
        ASSERT_EQ(LogCapture::lines().size(), 1);
        EXPECT_TRUE(LogCapture::lines().front().startsWith(QStringLiteral("nClassID (=9) has no registered class")));
    }
    EXPECT_TRUE(FTComponentFactory::isRegistered(9));
    EXPECT_FALSE(FTComponentFactory::registerClass(18, [](CFTComponent *) { return std::make_unique<CFTComponent>(); }));
    std::vector<CFTComponent *> list;
    CDDArchive storing(true);
    storing.SetClassID(1);
    EXPECT_EQ(CFTComponent::SerializeFromArchive(storing, &list, nullptr), nullptr);
    EXPECT_TRUE(list.empty());
    CFTComponent *made = CFTComponent::SerializeFromArchive(loadingArchive({{key_ClassID, PWPlist::fromString(QStringLiteral("Square Field"))},
        {key_Bounds, PWPlist::fromString(QStringLiteral("{{1, 2}, {30, 40}}"))}}), &list, nullptr);
    ASSERT_EQ(list.size(), 1u);
    const std::unique_ptr<CFTComponent> owned(list.front());
    EXPECT_EQ(made, owned.get());
    EXPECT_EQ(owned->GetNSBoundRect(), QRectF(1, 2, 30, 40));
}

} // namespace
