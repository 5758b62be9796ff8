#include "app/pictures/CCImageFilterPlugIn.h"

#include "app/pictures/ICoreImageFilter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>

QString CCImageFilterPlugIn::pathSettingKey()
{
    return QStringLiteral("CIFPlugInPath");
}

QString CCImageFilterPlugIn::fileName()
{
    return QStringLiteral("CoreImageFilter.so");
}

QStringList CCImageFilterPlugIn::defaultPaths()
{
    const QString own = QCoreApplication::applicationDirPath();
    return {QStringLiteral("/usr/lib/parcelwick/PlugIns/") + fileName(),
            QDir::cleanPath(own + QStringLiteral("/../lib/parcelwick/PlugIns/") + fileName())};
}

QString CCImageFilterPlugIn::pathFor(const QString &setting, const QStringList &defaults)
{
    if (!setting.isEmpty())
        return setting;
    for (const QString &path : defaults) {
        if (QFileInfo(path).isFile())
            return path;
    }
    return defaults.isEmpty() ? QString() : defaults.front();
}

CCImageFilterPlugIn::CCImageFilterPlugIn() = default;

CCImageFilterPlugIn::~CCImageFilterPlugIn() = default;

bool CCImageFilterPlugIn::load(const QString &path, QString *reason)
{
    const auto refuse = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    if (m_instance)
        return true;
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return refuse(QStringLiteral("no image filter plug-in at \"%1\"").arg(path));
    auto loader = std::make_unique<QPluginLoader>(path);
    QObject *root = loader->instance();
    if (!root)
        return refuse(QStringLiteral("the image filter plug-in \"%1\" could not be loaded: %2")
                          .arg(path, loader->errorString()));
    auto *filter = qobject_cast<ICoreImageFilter *>(root);
    if (!filter) {
        loader->unload();
        return refuse(QStringLiteral("\"%1\" is no image filter plug-in: it does not offer %2")
                          .arg(path, QString::fromLatin1(ICoreImageFilter_iid)));
    }
    m_loader = std::move(loader);
    m_instance = filter;
    return true;
}
