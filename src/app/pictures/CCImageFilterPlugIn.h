#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class ICoreImageFilter;
class QPluginLoader;

// Finding and loading the outside image-filter plug-in. A plug-in is used only when it loads and
// its root object offers ICoreImageFilter; anything else is refused with a reason.
class CCImageFilterPlugIn
{
public:
    // The setting naming the plug-in file; used as it stands, without a test that it exists.
    static QString pathSettingKey();
    static QString fileName();
    // The machine-wide plug-in folder, then the application's own.
    static QStringList defaultPaths();
    // The setting when it holds a path; else the first default path where a file exists; else
    // the first default path (which then fails to load).
    static QString pathFor(const QString &setting, const QStringList &defaults);

    CCImageFilterPlugIn();
    ~CCImageFilterPlugIn();
    CCImageFilterPlugIn(const CCImageFilterPlugIn &) = delete;
    CCImageFilterPlugIn &operator=(const CCImageFilterPlugIn &) = delete;

    // Loads the plug-in at path; false, with the reason, when it cannot be used. A plug-in once
    // loaded stays loaded while this object lives.
    bool load(const QString &path, QString *reason);
    ICoreImageFilter *instance() const { return m_instance; }

private:
    std::unique_ptr<QPluginLoader> m_loader;
    ICoreImageFilter *m_instance = nullptr;
};
