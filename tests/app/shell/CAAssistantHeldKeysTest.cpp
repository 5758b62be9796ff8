// While the sample designs are copied the assistant's design step holds the keys meant for its
// design list and Next; its other controls, and the popups they open, work meanwhile.
#include "ShellTestSupport.h"

#include "AssistantTestSupport.h"

#include "app/shell/CAAssistantController.h"
#include "app/shell/CAAssistantDesingController.h"
#include "app/shell/CASampleDesignLibrary.h"

#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>

#include <functional>
#include <future>
#include <utility>

using namespace assistanttest;

namespace {

// The shipped designs copied into library, each size group with an empty category that comes
// first, and one design still owed by an earlier copy: the next seeding copies it, and the test
// holds that copy.
bool libraryOwingOneDesign(const QString &library)
{
    const QDir from(sampleTemplates());
    const QString to = QDir(library).filePath(u"Parcelwick/Templates/en.lproj"_s);
    const QStringList designs = sampleDesigns();
    if (designs.isEmpty())
        return false;
    QDirIterator it(sampleTemplates(), QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = QDir(to).filePath(from.relativeFilePath(source));
        if (QFileInfo(source).isDir() ? !QDir().mkpath(target) : !QFile::copy(source, target))
            return false;
    }
    for (const QString &group : QDir(to).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (!QDir(to).mkpath(group + u"/0 Empty"_s))
            return false;
    return QFile::remove(QDir(to).filePath(designs.first())) &&
           pwtest::writeFile(QDir(to).filePath(u".parcelwick-owed"_s), QFile::encodeName(designs.first()) + '\n');
}

class AssistantHeldKeysTest : public shelltest::Test
{
protected:
    void SetUp() override
    {
        shelltest::Test::SetUp();
        PWUserDefaults::standardUserDefaults().removeObject(CAAssistantController::kRecentLayoutViewKey);
        launch(1);
        installAssistant(*controller);
    }
    void TearDown() override
    {
        shelltest::Test::TearDown();
        settingsBefore.putBack();
    }

    shelltest::KeptSettings settingsBefore;
};

struct PopupCase
{
    const char *name;
    // Opens the category popup's list before the keys (else the keys go to the closed popup).
    bool openList;
    std::vector<Qt::Key> keys;
};

class AssistantHeldKeysPopupTest : public AssistantHeldKeysTest, public ::testing::WithParamInterface<PopupCase>
{
};

TEST_P(AssistantHeldKeysPopupTest, ThePopupChoosesWhileTheDesignsAreCopied)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString library = home.filePath(u"Library"_s);
    ASSERT_TRUE(libraryOwingOneDesign(library));
    useContentLibrary(library);
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    bool let = false;
    const auto letGo = [&] {
        if (!std::exchange(let, true))
            release.set_value();
    };
    CASampleDesignLibrary::setCopyHook([released](const QString &) { released.wait(); });
    CASampleDesignLibrary::installAllForUserInBackground();

    bool held = false;
    int chosen = -1;
    int designRows = -1;
    CAAssistantController &wizard = CAAssistantController::sharedWizard();
    QTimer poll;
    poll.setInterval(10);
    // The steps of the user, in a function of their own so that a failed check still ends the run.
    const auto drive = [&] {
        auto *kind = wizard.window()->findChild<QRadioButton *>(u"_kindEnvelope"_s);
        auto *popup = wizard.window()->findChild<QComboBox *>(u"_categoryPopup"_s);
        ASSERT_TRUE(kind && popup);
        QTest::mouseClick(kind, Qt::LeftButton, {}, QPoint(8, kind->height() / 2));
        QTest::mouseClick(wizard.nextButton(), Qt::LeftButton);
        ASSERT_TRUE(CASampleDesignLibrary::isSeeding());
        ASSERT_EQ(wizard.currentStepIdentifier(), u"2"_s);
        ASSERT_GT(popup->count(), 1);
        ASSERT_EQ(popup->currentText(), u"0 Empty"_s);
        popup->setFocus();
        QWidget *receiver = popup;
        if (GetParam().openList) {
            popup->showPopup();
            ASSERT_NE(QApplication::activePopupWidget(), nullptr);
            receiver = QApplication::activePopupWidget()->focusWidget();
            ASSERT_NE(receiver, nullptr);
        }
        for (const Qt::Key key : GetParam().keys)
            QTest::keyClick(receiver, key);
        chosen = popup->currentIndex();
        designRows = wizard.window()->findChild<QTableWidget *>(u"_designTableView"_s)->rowCount();
    };
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (held || !wizard.isRunning() || !wizard.window() || !wizard.window()->isVisible())
            return;
        held = true;
        drive();
        letGo();
        CASampleDesignLibrary::waitForContent();
        wizard.cancel();
    });
    poll.start();
    // The shared assistant keeps the category of an earlier run; this one lists as a first start.
    if (CAAssistantDesingController *designs = wizard.designController())
        designs->initControls(QString());
    perform("runAssistant");
    letGo();
    CASampleDesignLibrary::waitForContent();
    CASampleDesignLibrary::setCopyHook(nullptr);
    ASSERT_TRUE(held) << "the assistant was not shown";
    EXPECT_EQ(chosen, 1) << "the keys to the popup were held";
    EXPECT_GT(designRows, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, AssistantHeldKeysPopupTest,
    ::testing::Values(PopupCase{"DownAndReturnInItsOpenList", true, {Qt::Key_Down, Qt::Key_Return}},
                      PopupCase{"DownOnTheClosedPopup", false, {Qt::Key_Down}}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
