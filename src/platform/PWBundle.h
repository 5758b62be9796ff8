#pragma once

#include "platform/PWPlist.h"

#include <QByteArray>
#include <QString>

// The application bundle: resources compiled in under ":/bundle", the Info dictionary
// (":/bundle/Info.plist") and key-based localized string tables
// (":/bundle/en.lproj/<table>.strings", XML property-list dictionaries of key to text).
class PWBundle
{
public:
    static PWBundle &mainBundle();

    // A bundle rooted at another folder (a resource path such as ":/bundle" or a directory).
    explicit PWBundle(const QString &root);

    QString root() const { return m_root; }

    // Path of resource "name.type" (type may be empty) in subdirectory, also looked for in the
    // localization folder "en.lproj"; empty when missing.
    QString pathForResource(const QString &name, const QString &type,
                            const QString &subdirectory = QString()) const;
    // Contents of that resource; empty when missing.
    QByteArray resourceData(const QString &name, const QString &type,
                            const QString &subdirectory = QString()) const;

    const PWPlist::Dictionary &infoDictionary() const;
    PWPlist objectForInfoDictionaryKey(const QString &key) const;
    // "CFBundleVersion" as an integer (0 when absent).
    int bundleVersion() const;
    QString shortVersionString() const;

    // The text for key in table (default "Localizable"); when missing, value if not empty, else
    // the key itself.
    QString localizedString(const QString &key, const QString &value = QString(),
                            const QString &table = QString()) const;

private:
    const PWPlist::Dictionary &table(const QString &name) const;

    QString m_root;
    mutable std::optional<PWPlist::Dictionary> m_info;
    mutable QHash<QString, PWPlist::Dictionary> m_tables;
};

// Shorthand for the main bundle's Localizable table.
QString PWLocalizedString(const QString &key);
