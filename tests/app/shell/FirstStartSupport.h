#pragma once

// The start with windows that main() makes, run in this process as a new user's first start: no
// starting document chosen yet, a content library of its own still to be copied, and the settings
// put back afterwards.
#include "ShellTestSupport.h"

#include "app/command/CACommandLine.h"
#include "app/command/CACommandLineStart.h"
#include "app/shell/CASampleDesignLibrary.h"

#include <QMessageBox>
#include <QTimer>

#include <functional>

namespace shelltest {

class FirstStartTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        forgetEarlierStarts();
        PWUserDefaults::standardUserDefaults().setObject(u"FTSharedContentLibraryPath"_s,
                                                         PWPlist::fromString(folder.filePath(u"Library"_s)));
    }
    void TearDown() override
    {
        CASampleDesignLibrary::waitForContent();
        QCoreApplication::processEvents();
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (qobject_cast<QMessageBox *>(widget))
                widget->close();
        unregisterMenuCommands();
        // The panels outlive a start; the next one finds them closed, as a new process does.
        if (start && start->controller())
            for (int panel = 0; panel < CAFloatingPanels::PanelCount; ++panel)
                start->controller()->panels().close(static_cast<CAFloatingPanels::Panel>(panel));
        start.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        settingsBefore.putBack();
    }

    // Starts as main() does with the arguments (no running instance, no door); meanwhile runs
    // every 10 ms while the start opens its windows, inside the modal runs among them too.
    void startAsMain(const QStringList &arguments, const std::function<void()> &meanwhile)
    {
        const QStringList texts = QStringList {u"parcelwick"_s} + arguments;
        QString error;
        const std::optional<CACommandRequest> request = CACommandLine::parse(texts, folder.path(), &error);
        ASSERT_TRUE(request) << qPrintable(error);
        start = std::make_unique<CACommandLineStart>(*request, CACommandLineStart::arguments(texts), QString());
        ASSERT_FALSE(start->handOverOrBecomeInstance());
        QTimer watch;
        watch.setInterval(10);
        QObject::connect(&watch, &QTimer::timeout, meanwhile);
        watch.start();
        start->openRequested();
        start->finishLaunching();
        QCoreApplication::processEvents();
    }

    QTemporaryDir folder;
    KeptSettings settingsBefore;
    std::unique_ptr<CACommandLineStart> start;
};

} // namespace shelltest
