#include "kernel/component/CFTDocumentController.h"

#include "ComponentTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using comptest::TestCoreDoc;

class CountedDoc : public TestCoreDoc
{
public:
    explicit CountedDoc(int *freed) : mFreed(freed) {}
    ~CountedDoc() override { ++*mFreed; }
    int *mFreed;
};

TEST(CFTDocumentControllerTest, AddingTwiceKeepsOneEntryAndIndexesOutOfRangeAnswerNull)
{
    int freed = 0;
    {
        CFTDocumentController controller;
        auto *doc = new CountedDoc(&freed);
        EXPECT_EQ(controller.AddDocument(std::unique_ptr<CFTACoreDoc>(doc)), 0);
        EXPECT_EQ(controller.AddDocument(std::unique_ptr<CFTACoreDoc>(doc)), -1);
        EXPECT_EQ(controller.GetDocumentsCount(), 1);
        EXPECT_EQ(controller.AddDocument(nullptr), -1);
        EXPECT_EQ(controller.AddDocument(std::make_unique<CountedDoc>(&freed)), 1);
    }
    EXPECT_EQ(freed, 2);
    CFTDocumentController controller;
    controller.AddDocument(std::make_unique<TestCoreDoc>());
    EXPECT_NE(controller.GetDocumentByIndex(0), nullptr);
    EXPECT_TRUE(controller.GetDocumentByIndex(1) == nullptr && controller.GetDocumentByIndex(0xffffffffu) == nullptr);
    controller.SetCurrentIndex(3);
    EXPECT_EQ(controller.GetCurrentDocument(), nullptr);
    controller.Init();
    EXPECT_EQ(controller.GetCurrentIndex(), 0u);
    EXPECT_NE(controller.GetCurrentDocument(), nullptr);
}

} // namespace
