#include "app/shell/CAShellCommands.h"

#include "app/document/CAHelpButton.h"
#include "app/shell/CAAboutController.h"
#include "app/shell/CAActionError.h"
#include "app/shell/CADocumentController.h"
#include "app/shell/CAFloatingPanels.h"
#include "app/shell/CAFontManager.h"
#include "app/shell/CAHelpWindow.h"
#include "app/shell/CAPanelDocumentKeys.h"
#include "app/shell/CAPreferencesController.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWBundle.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFontDialog>
#include <QUrl>

#include <optional>

namespace {

struct WebLink
{
    const char *action;
    std::optional<QUrl> (*url)();
    bool (*open)();
};

// The companion product's page: its own key of the Info dictionary.
std::optional<QUrl> companionProductURL()
{
    const PWPlist value = PWBundle::mainBundle().objectForInfoDictionaryKey(QStringLiteral("FTCompanionProductURL"));
    if (!value.isString())
        return std::nullopt;
    const QUrl url(value.toString(), QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return std::nullopt;
    return url;
}

bool gotoCompanionProduct()
{
    const std::optional<QUrl> url = companionProductURL();
    return url && QDesktopServices::openUrl(*url);
}

constexpr WebLink kWebLinks[] = {
    {"gotoHomePage", &CAEnvironment::homePageURL, &CAEnvironment::gotoHomePage},
    {"checkUpdates", &CAEnvironment::checkUpdatesURL, &CAEnvironment::checkUpdates},
    {"sendFeedBack", &CAEnvironment::feedBackURL, &CAEnvironment::sendFeedBack},
    {"gotoUsefulResources", &CAEnvironment::usefulResourcesURL, &CAEnvironment::gotoUsefulResources},
    {"gotoCompanionProduct", &companionProductURL, &gotoCompanionProduct},
};

QString tr(const char *text)
{
    return QCoreApplication::translate("CAShellCommands", text);
}

} // namespace

void installShellCommands(CADocumentController &controller)
{
    // Every window's help button opens its page in the application's help book.
    CAHelpButton::setPageOpener(&GoToMyHelpAnchor);
    // A new panel each time, run until a key or a click closes it.
    controller.registerCommand(QStringLiteral("aboutWindow"), {nullptr, [](QAction *) {
                                                                   CAAboutController about;
                                                                   about.showPanel();
                                                               }});
    controller.registerCommand(QStringLiteral("showHelp"),
                               {[](QAction *) { return !CAHelpWindow::helpBookPath(PWBundle::mainBundle()).isEmpty(); },
                                [](QAction *) { GoToMyHelpAnchor(QString()); }});
    for (const WebLink &link : kWebLinks) {
        // A link the Info dictionary lacks is not offered; one that nothing could open is said so.
        controller.registerCommand(QString::fromLatin1(link.action),
                                   {[url = link.url](QAction *) { return url().has_value(); },
                                    [url = link.url, open = link.open](QAction *) {
                                        if (!open())
                                            throw CAActionError(tr("The page “%1” could not be opened.")
                                                                    .arg(url().value_or(QUrl()).toDisplayString()));
                                    }});
    }

    // Made now, so that the settings file holds every default from the first launch on.
    CAPreferencesController::sharedPreferencesController();
    controller.registerCommand(QStringLiteral("preferences"), {nullptr, [&controller](QAction *) {
                                   CAPreferencesController &preferences =
                                       CAPreferencesController::sharedPreferencesController();
                                   preferences.setClosedHook([&controller] { controller.validateDocumentsView(); });
                                   preferences.showWindow();
                               }});

    // The panel is made when first shown, so that a launch without it builds no font dialog.
    controller.panels().install(CAFloatingPanels::FontPanel,
                                {[] { return CAFontManager::sharedFontManager().isFontPanelVisible(); },
                                 [menu = &controller.mainMenu()] {
                                     CAFontManager &fonts = CAFontManager::sharedFontManager();
                                     fonts.orderFrontFontPanel();
                                     passDocumentKeys(fonts.fontPanel(), *menu);
                                 },
                                 [] { CAFontManager::sharedFontManager().closeFontPanel(); },
                                 [] { return static_cast<QWidget *>(CAFontManager::sharedFontManager().fontPanel()); }});
}
