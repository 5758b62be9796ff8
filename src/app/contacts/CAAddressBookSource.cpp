#include "app/contacts/CAAddressBookSource.h"

#include "platform/PWAddressBook.h"
#include "platform/PWBundle.h"
#include "platform/PWUserDefaults.h"

#include <algorithm>

namespace {

const QString kGroupKey = QStringLiteral("ContactAddressBookGroup");
const QString kSortingKeys = QStringLiteral("ContactSortingKey");

} // namespace

const QString CAAddressBookSource::kName = QStringLiteral("Address Book");

QString CAAddressBookSource::allGroupsName()
{
    return PWLocalizedString(QStringLiteral("All"));
}

CAAddressBookSource::CAAddressBookSource(PWAddressBook &book, PWUserDefaults &defaults, QObject *parent)
    : QObject(parent)
    , m_book(book)
    , m_defaults(defaults)
    , m_selectedGroupName(defaults.stringForKey(kGroupKey))
{
    if (m_selectedGroupName.isEmpty())
        m_selectedGroupName = allGroupsName();
}

QStringList CAAddressBookSource::groupNames() const
{
    QStringList names;
    for (const PWGroup &group : m_book.groups())
        names.append(group.name());
    std::stable_sort(names.begin(), names.end(),
                     [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    names.prepend(allGroupsName());
    return names;
}

CAPersonList CAAddressBookSource::membersOf(const QString &name) const
{
    const QList<PWGroup> groups = m_book.groups();
    for (auto group = groups.crbegin(); group != groups.crend(); ++group) {
        if (group->name() == name)
            return m_book.peopleInGroup(group->uniqueId());
    }
    return m_book.people();
}

CAPersonList CAAddressBookSource::changeGroupWithName(const QString &name)
{
    m_selectedGroupName = name;
    m_defaults.setString(kGroupKey, name);
    m_defaults.synchronize();
    Q_EMIT groupChanged(name);
    return membersOf(name);
}

CAPersonList CAAddressBookSource::selectedContent() const
{
    return membersOf(m_selectedGroupName);
}

CAPersonList CAAddressBookSource::sourceContent() const
{
    return m_book.people();
}

int CAAddressBookSource::initialSortingKey() const
{
    const PWPlist stored = m_defaults.objectForKey(kSortingKeys).value(kName);
    return stored.isNumber() ? int(stored.toInteger()) : kDefaultSortingKey;
}

std::shared_ptr<PWPerson> CAAddressBookSource::me() const
{
    return m_book.me();
}
