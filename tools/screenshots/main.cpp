#include "Screenshots.h"

#include "app/shell/CAAddressCommands.h"
#include "app/shell/CAAddressWindowPanel.h"
#include "app/shell/CAAssistantController.h"
#include "app/shell/CACanvasCommands.h"
#include "app/shell/CACanvasFormatCommands.h"
#include "app/shell/CAChangeLayoutSheet.h"
#include "app/shell/CADocumentController.h"
#include "app/shell/CAFloatingPanels.h"
#include "app/shell/CAMainWindowController.h"
#include "app/shell/CAPrintCommands.h"
#include "app/shell/CASampleDesignLibrary.h"
#include "app/shell/CAShellScreenshots.h"
#include "kernel/FTKernelStartup.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <cstdio>

using namespace Qt::StringLiterals;

// Writes build/screenshots/<name>.png for every entry of screenshots(), headless, in a private
// home so that no one's own settings show. The output folder is the first argument.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("LC_ALL", "C");
    std::setlocale(LC_ALL, "C");
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/pw-shots-home-XXXXXX"));
    const QByteArray homePath = home.path().toLocal8Bit();
    qputenv("HOME", homePath);
    qputenv("XDG_CONFIG_HOME", homePath + "/.config");
    qputenv("XDG_DATA_HOME", homePath + "/.local/share");
    qputenv("XDG_CACHE_HOME", homePath + "/.cache");

    QApplication app(argc, argv);
    startKernel();
    QLocale::setDefault(QLocale::c());
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    if (!QDir().mkpath(output)) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(output));
        return 1;
    }

    CADocumentController application;
    // The modules the application installs at start-up, so that menus and buttons show as a user sees them.
    installChangeLayoutSheet();
    installPrintCommands();
    installCanvasCommands();
    installCanvasFormatCommands(application);
    installAddressCommands();
    installAddressWindow(application);
    installAssistant(application);
    // The masks are seeded as the application seeds them at start-up.
    CASampleDesignLibrary::installMasksForUser();
    application.applicationWillFinishLaunching();
    application.applicationDidFinishLaunching();
    // Each picture opens what it shows; the first launch's colour panel waits for its own.
    application.panels().close(CAFloatingPanels::ColorPanel);

    int failures = 0;
    const auto write = [&](const QString &name, QWidget *widget) {
        if (!qobject_cast<QMenu *>(widget))
            (void)QTest::qWaitForWindowExposed(widget);
        QCoreApplication::processEvents();
        const QString file = QDir(output).filePath(name + QStringLiteral(".png"));
        if (!widget->grab().save(file, "PNG")) {
            std::fprintf(stderr, "%s: cannot write %s\n", qPrintable(name), qPrintable(file));
            ++failures;
        } else {
            std::printf("%s\n", qPrintable(file));
        }
    };
    for (const Screenshot &shot : screenshots()) {
        QWidget *widget = shot.make(application);
        if (!widget) {
            std::fprintf(stderr, "%s: nothing to show\n", qPrintable(shot.name));
            ++failures;
            continue;
        }
        write(shot.name, widget);
        if (qobject_cast<CAMainWindowController *>(widget) || widget == static_cast<QWidget *>(application.panels().colorPanel()) ||
            qobject_cast<QMenu *>(widget) || widget->objectName() == u"Properties"_s)
            widget->hide();
        else
            delete widget;
    }
    // The About panel, the font panel and the help window, made and closed again by the shell.
    showShellPanelsForScreenshots([&](const QString &name, QWidget *window) {
        write((name == u"help"_s ? u"window-"_s : u"panel-"_s) + name, window);
    });
    return failures == 0 ? 0 : 1;
}
