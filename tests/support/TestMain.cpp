#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

// Every suite runs headless, in the C locale, with a private home so that settings and content
// folders never touch the developer's own.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("LC_ALL", "C");
    std::setlocale(LC_ALL, "C");

    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/pw-test-home-XXXXXX"));
    if (!home.isValid())
        return 2;
    const QByteArray homePath = home.path().toLocal8Bit();
    qputenv("HOME", homePath);
    qputenv("XDG_CONFIG_HOME", homePath + "/.config");
    qputenv("XDG_DATA_HOME", homePath + "/.local/share");
    qputenv("XDG_CACHE_HOME", homePath + "/.cache");
    QDir().mkpath(home.path() + QStringLiteral("/.config"));
    QDir().mkpath(home.path() + QStringLiteral("/.local/share"));

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Parcelwick"));
    QApplication::setOrganizationName(QStringLiteral("Parcelwick"));
    QLocale::setDefault(QLocale::c());

    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
