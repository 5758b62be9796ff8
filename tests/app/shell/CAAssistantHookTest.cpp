// The assistant as the application installs it: the menu command and a command naming a kind
// show it, its document joins the open ones, and a first start fills the user's empty library.
#include "app/shell/CAAssistantController.h"

#include "ShellTestSupport.h"

#include "AssistantTestSupport.h"

#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

namespace {

class AssistantHookTest : public shelltest::Test
{
public:
    void SetUp() override
    {
        shelltest::Test::SetUp();
        PWUserDefaults::standardUserDefaults().removeObject(u"FTSharedContentLibraryPath"_s);
        PWUserDefaults::standardUserDefaults().removeObject(CAAssistantController::kRecentLayoutViewKey);
    }
    // Clicks a button of the shared assistant once it runs, after looking at it.
    void whenShown(const char *button, std::function<void()> look = {})
    {
        QTimer::singleShot(0, [button, look] {
            CAAssistantController &wizard = CAAssistantController::sharedWizard();
            if (look)
                look();
            if (auto *target = wizard.window()->findChild<QPushButton *>(QString::fromLatin1(button)))
                QTest::mouseClick(target, Qt::LeftButton);
            // A run the button did not end is cancelled, so that a failure cannot hang the suite.
            if (wizard.isRunning() && wizard.window()->isVisible())
                wizard.window()->done(CAAssistantController::Cancelled);
        });
    }
};

TEST_F(AssistantHookTest, ACommandNamingAKindOpensItsChooserAndTheDocumentJoinsTheOpenOnes)
{
    launch(1);
    installAssistant(*controller);
    const qsizetype before = manager().documents().size();
    int shownKind = -1;
    whenShown("_newBlankButton", [&shownKind] {
        shownKind = CAAssistantController::sharedWizard().layoutTabView()->currentIndex();
    });
    runAssistantForDocumentType(*controller, dtPostcard);
    EXPECT_EQ(shownKind, 2);
    ASSERT_EQ(manager().documents().size(), before + 1);
    EXPECT_EQ(manager().documents().last()->document->docType(), dtPostcard);
    // A blank document is not marked edited.
    EXPECT_FALSE(manager().documents().last()->isEdited());
}

TEST_F(AssistantHookTest, TheMenuCommandShowsTheAssistantAndCancelMakesNothing)
{
    launch(1);
    installAssistant(*controller);
    ASSERT_TRUE(controller->respondsToAction(u"runAssistant"_s));
    const qsizetype before = manager().documents().size();
    bool ran = false;
    whenShown("_cancelButton", [&ran] { ran = CAAssistantController::sharedWizard().isRunning(); });
    controller->performAction(u"runAssistant"_s, nullptr);
    EXPECT_TRUE(ran);
    EXPECT_EQ(manager().documents().size(), before);
}

TEST_F(AssistantHookTest, AFirstStartCopiesTheSampleDesignsIntoAnEmptyLibrary)
{
    const QString templates = CAEnvironment::templatePath();
    QDir(templates).removeRecursively();
    launch(1);
    installAssistant(*controller);
    const QStringList copied = QDir(templates).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    const QStringList shipped = QDir(assistanttest::sampleTemplates()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    EXPECT_FALSE(copied.isEmpty());
    EXPECT_EQ(copied, shipped);
}

} // namespace
