#pragma once

#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWUserDefaults.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace contactstest {

inline std::shared_ptr<PWPerson> person(const QString &first, const QString &last, const QString &company = QString())
{
    std::shared_ptr<PWPerson> made = PWPerson::create();
    if (!first.isNull())
        made->setValueForProperty(kPWFirstNameProperty, PWPlist::fromString(first));
    if (!last.isNull())
        made->setValueForProperty(kPWLastNameProperty, PWPlist::fromString(last));
    if (!company.isNull())
        made->setValueForProperty(kPWOrganizationProperty, PWPlist::fromString(company));
    return made;
}

inline QStringList lastNames(const QList<std::shared_ptr<PWPerson>> &persons)
{
    QStringList names;
    for (const std::shared_ptr<PWPerson> &each : persons)
        names << each->stringForProperty(kPWLastNameProperty);
    return names;
}

// A user-defaults file of its own, which a second store on the same file reads as a restart would.
class ScratchDefaults
{
public:
    ScratchDefaults()
        : m_defaults(std::make_unique<PWUserDefaults>(path()))
    {
    }
    PWUserDefaults &defaults() { return *m_defaults; }
    // The store read again from its file.
    PWUserDefaults &restart()
    {
        m_defaults = std::make_unique<PWUserDefaults>(path());
        return *m_defaults;
    }

private:
    QString path() const { return m_folder.path() + QStringLiteral("/Parcelwick.plist"); }

    QTemporaryDir m_folder;
    std::unique_ptr<PWUserDefaults> m_defaults;
};

} // namespace contactstest
