#include "app/shell/CAShellScreenshots.h"

#include "app/shell/CAAboutController.h"
#include "app/shell/CAFontManager.h"
#include "app/shell/CAHelpWindow.h"

#include "platform/PWBundle.h"

#include <QApplication>
#include <QFontDialog>

namespace {

void shootShown(const QString &name, QWidget *window,
                const std::function<void(const QString &, QWidget *)> &shoot)
{
    window->show();
    QApplication::processEvents();
    shoot(name, window);
    window->hide();
}

} // namespace

void showShellPanelsForScreenshots(const std::function<void(const QString &name, QWidget *window)> &shoot)
{
    {
        // Shown without its modal run, and kept still: a picture of the credits' first lines.
        CAAboutController about(PWBundle::mainBundle(),
                                [](std::chrono::milliseconds, std::function<void()>) {
                                    return std::make_unique<CAAboutController::Ticker>();
                                });
        shootShown(QStringLiteral("about"), about.panel(), shoot);
        about.stopScrollingAnimation();
    }
    {
        // Its own manager, so that the shared one's panel and selection stay as they are.
        CAFontManager fonts;
        fonts.setSelectedFont(PWFont(QStringLiteral("DejaVuSans"), 12.0), false);
        shootShown(QStringLiteral("fonts"), fonts.fontPanel(), shoot);
    }
    {
        CAHelpWindow help(PWBundle::mainBundle());
        help.showPage(QString());
        shootShown(QStringLiteral("help"), &help, shoot);
    }
}
