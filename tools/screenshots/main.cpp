#include "Screenshots.h"

#include "app/shell/CAAddressCommands.h"
#include "app/shell/CAAddressWindowPanel.h"
#include "app/shell/CAAssistantController.h"
#include "app/shell/CACanvasCommands.h"
#include "app/shell/CACanvasFormatCommands.h"
#include "app/shell/CAChangeLayoutSheet.h"
#include "app/shell/CADesignWindowPanel.h"
#include "app/shell/CADocumentManager.h"
#include "app/shell/CADocumentController.h"
#include "app/shell/CAFloatingPanels.h"
#include "app/shell/CAMainWindowController.h"
#include "app/shell/CAPrintCommands.h"
#include "app/shell/CAPropertiesPanel.h"
#include "app/shell/CASampleDesignLibrary.h"
#include "app/shell/CAShellScreenshots.h"
#include "kernel/FTKernelStartup.h"
#include "platform/PWUserDefaults.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QScreen>
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
    // The screen of a common desktop, 1920 x 1080, rather than the headless platform's small one.
    QFile screens(home.filePath(QStringLiteral("screens.json")));
    if (screens.open(QIODevice::WriteOnly)
        && screens.write(R"({"screens": [{"name": "desktop", "x": 0, "y": 0, "width": 1920, "height": 1080,)"
                         R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
               > 0) {
        screens.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toLocal8Bit());
    }

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
    installDesignWindow(application);
    installPropertiesPanel(application);
    application.applicationWillFinishLaunching();
    // A first start as a user sees it: a new label and every panel opened beside it.
    PWUserDefaults::standardUserDefaults().setInteger(u"FTStartingDocument"_s, 1);
    application.openStartupDocuments({});
    application.applicationDidFinishLaunching();
    QCoreApplication::processEvents();
    const QPixmap desktop = QGuiApplication::primaryScreen()->grabWindow(0);
    // Each picture opens what it shows; the first launch's panels and document wait for their own.
    for (int panel = 0; panel < CAFloatingPanels::PanelCount; ++panel)
        application.panels().close(static_cast<CAFloatingPanels::Panel>(panel));
    application.manager().closeAllDocuments();

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
    const QString desktopFile = QDir(output).filePath(u"desktop-first-start.png"_s);
    if (!desktop.save(desktopFile, "PNG")) {
        std::fprintf(stderr, "desktop-first-start: cannot write %s\n", qPrintable(desktopFile));
        ++failures;
    }
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
