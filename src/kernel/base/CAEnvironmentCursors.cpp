#include "kernel/base/CAEnvironment.h"

#include "kernel/base/CAEnvironmentInternal.h"
#include "platform/PWBundle.h"
#include "platform/PWLog.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>

#include <array>

namespace {

struct CursorPicture
{
    const char *name; // a PNG in the bundle's "Cursors" folder; null for the system cursors
    int hotX;
    int hotY;
};

const std::array<CursorPicture, 10> kCursorPictures = {{
    {"resizeHCursor", 7, 7},
    {"resizeVCursor", 7, 7},
    {"resizeD1Cursor", 7, 7},
    {"resizeD2Cursor", 7, 7},
    {"boxCursor", 5, 6},
    {"sepCursor", 6, 6},
    {nullptr, 0, 0}, // the I-beam
    {nullptr, 0, 0}, // the arrow
    {"openhandCursor", 5, 6},
    {"closedhandCursor", 5, 6},
}};

const QCursor &arrowCursor()
{
    static const QCursor cursor(Qt::ArrowCursor);
    return cursor;
}

std::optional<QUrl> urlFromText(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return std::nullopt;
    return url;
}

std::optional<QString> infoText(const char *key)
{
    const PWPlist value = PWBundle::mainBundle().objectForInfoDictionaryKey(QString::fromLatin1(key));
    if (!value.isString() || value.toString().isEmpty())
        return std::nullopt;
    return value.toString();
}

bool open(const std::optional<QUrl> &url)
{
    if (!url)
        return false;
    return QDesktopServices::openUrl(*url);
}

} // namespace

QString CAEnvironmentInternal::fillVersionSlot(const QString &text, const QString &version)
{
    QString filled = text;
    const qsizetype slot = filled.indexOf(QLatin1String("%@"));
    if (slot >= 0)
        filled.replace(slot, 2, version);
    return filled;
}

const QCursor &CAEnvironment::cursorFromType(int type)
{
    if (type == 6) {
        static const QCursor iBeam(Qt::IBeamCursor);
        return iBeam;
    }
    if (type < 0 || type >= int(kCursorPictures.size()) || !kCursorPictures[size_t(type)].name)
        return arrowCursor();
    // Pixmaps need the GUI application; without one there is nothing to point with anyway.
    if (!qGuiApp)
        return arrowCursor();

    static std::array<std::optional<QCursor>, kCursorPictures.size()> kept;
    std::optional<QCursor> &cursor = kept[size_t(type)];
    if (!cursor) {
        const CursorPicture &picture = kCursorPictures[size_t(type)];
        const QString name = QString::fromLatin1(picture.name);
        const QString path = PWBundle::mainBundle().pathForResource(name, QStringLiteral("png"),
                                                                    QStringLiteral("Cursors"));
        const QImage image(path);
        if (path.isEmpty() || image.isNull()) {
            PWLog::message(lcEnvironment(), QStringLiteral("cursor picture \"%1\" is missing").arg(name));
            return arrowCursor();
        }
        cursor.emplace(QPixmap::fromImage(image), picture.hotX, picture.hotY);
    }
    return *cursor;
}

std::optional<QUrl> CAEnvironment::homePageURL()
{
    const std::optional<QString> value = infoText("FTHomePageURL");
    return value ? urlFromText(*value) : std::nullopt;
}

std::optional<QUrl> CAEnvironment::feedBackURL()
{
    const std::optional<QString> value = infoText("FTFeedbackMailURL");
    return value ? urlFromText(*value + bundleVersion() + QLatin1Char(')')) : std::nullopt;
}

std::optional<QUrl> CAEnvironment::checkUpdatesURL()
{
    const std::optional<QString> value = infoText("FTCheckUpdateURL");
    if (!value)
        return std::nullopt;
    return urlFromText(CAEnvironmentInternal::fillVersionSlot(*value, bundleVersion()));
}

std::optional<QUrl> CAEnvironment::usefulResourcesURL()
{
    const std::optional<QString> value = infoText("FTUsefulRecourcesURL");
    return value ? urlFromText(*value) : std::nullopt;
}

bool CAEnvironment::gotoHomePage()
{
    return open(homePageURL());
}

bool CAEnvironment::sendFeedBack()
{
    return open(feedBackURL());
}

bool CAEnvironment::checkUpdates()
{
    return open(checkUpdatesURL());
}

bool CAEnvironment::gotoUsefulResources()
{
    return open(usefulResourcesURL());
}
