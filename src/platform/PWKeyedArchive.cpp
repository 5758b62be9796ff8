#include "platform/PWKeyedArchive.h"

namespace {

const QString kArchiver = QStringLiteral("$archiver");
const QString kVersion = QStringLiteral("$version");
const QString kTop = QStringLiteral("$top");
const QString kObjects = QStringLiteral("$objects");
const QString kClass = QStringLiteral("$class");
const QString kClassName = QStringLiteral("$classname");
const QString kClasses = QStringLiteral("$classes");
const QString kNull = QStringLiteral("$null");

constexpr qint64 kArchiveVersion = 100000;

// Every UID inside value (nested at most PWKeyedArchive::kMaxPlistDepth deep, which the parser
// already enforced for bytes) must name an entry of a table of count objects.
bool checkUids(const PWPlist &value, qsizetype count, int depth, QString *error)
{
    if (depth > PWKeyedArchive::kMaxPlistDepth) {
        *error = QStringLiteral("values nested too deeply");
        return false;
    }
    switch (value.type()) {
    case PWPlist::Type::Uid:
        if (value.toUid() >= quint64(count)) {
            *error = QStringLiteral("object reference %1 outside the %2 objects").arg(value.toUid()).arg(count);
            return false;
        }
        return true;
    case PWPlist::Type::Array:
        for (const PWPlist &element : value.toArray()) {
            if (!checkUids(element, count, depth + 1, error))
                return false;
        }
        return true;
    case PWPlist::Type::Dictionary:
        for (const PWPlist::Dictionary::Entry &entry : value.toDictionary()) {
            if (!checkUids(entry.second, count, depth + 1, error))
                return false;
        }
        return true;
    default:
        return true;
    }
}

bool isClassDescription(const PWPlist &entry)
{
    if (!entry.isDictionary() || !entry.value(kClassName).isString())
        return false;
    const PWPlist classes = entry.value(kClasses);
    if (classes.isNull())
        return true;
    if (!classes.isArray())
        return false;
    for (const PWPlist &name : classes.toArray()) {
        if (!name.isString())
            return false;
    }
    return true;
}

} // namespace

PWKeyedArchive::PWKeyedArchive(PWPlist::Array objects, quint64 root)
    : m_objects(std::move(objects)), m_root(root)
{
}

std::optional<PWKeyedArchive> PWKeyedArchive::parse(const QByteArray &bytes, QString *error)
{
    QString reason;
    const std::optional<PWPlist> plist = PWPlist::parse(bytes, &reason, kMaxPlistDepth + 2);
    if (!plist) {
        if (error)
            *error = QStringLiteral("not a property list: %1").arg(reason);
        return std::nullopt;
    }
    return fromPlist(*plist, error);
}

std::optional<PWKeyedArchive> PWKeyedArchive::fromPlist(const PWPlist &plist, QString *errorOut)
{
    const auto fail = [errorOut](const QString &reason) -> std::optional<PWKeyedArchive> {
        if (errorOut)
            *errorOut = reason;
        return std::nullopt;
    };
    if (!plist.isDictionary())
        return fail(QStringLiteral("the archive is not a dictionary"));
    if (plist.value(kArchiver).toString() != QLatin1String("NSKeyedArchiver"))
        return fail(QStringLiteral("\"$archiver\" is not \"NSKeyedArchiver\""));
    const PWPlist version = plist.value(kVersion);
    if (!version.isInteger() || version.toInteger() != kArchiveVersion)
        return fail(QStringLiteral("unknown \"$version\""));
    const PWPlist root = plist.value(kTop).value(QStringLiteral("root"));
    if (!root.isUid())
        return fail(QStringLiteral("no \"root\" reference in \"$top\""));
    const PWPlist objects = plist.value(kObjects);
    if (!objects.isArray() || objects.toArray().isEmpty())
        return fail(QStringLiteral("no \"$objects\""));
    const PWPlist::Array &table = objects.toArray();
    if (table.size() > kMaxObjects)
        return fail(QStringLiteral("%1 objects are more than an archive may hold").arg(table.size()));
    if (table.first().toString() != kNull)
        return fail(QStringLiteral("the first object is not \"$null\""));

    QString error;
    if (!checkUids(root, table.size(), 0, &error))
        return fail(error);
    for (qsizetype i = 1; i < table.size(); ++i) {
        const PWPlist &entry = table.at(i);
        if (!checkUids(entry, table.size(), 0, &error))
            return fail(QStringLiteral("object %1: %2").arg(i).arg(error));
        const PWPlist classRef = entry.value(kClass);
        if (classRef.isNull())
            continue;
        if (!classRef.isUid() || !isClassDescription(table.at(qsizetype(classRef.toUid()))))
            return fail(QStringLiteral("object %1 has no valid class").arg(i));
    }
    if (errorOut)
        errorOut->clear();
    return PWKeyedArchive(table, root.toUid());
}

QString PWKeyedArchive::className(quint64 uid) const
{
    const PWPlist classRef = object(uid).value(kClass);
    if (!classRef.isUid())
        return QString();
    return object(classRef.toUid()).value(kClassName).toString();
}

QStringList PWKeyedArchive::classChain(quint64 uid) const
{
    const PWPlist classRef = object(uid).value(kClass);
    if (!classRef.isUid())
        return {};
    const PWPlist &description = object(classRef.toUid());
    QStringList chain;
    for (const PWPlist &name : description.value(kClasses).toArray())
        chain.append(name.toString());
    if (chain.isEmpty())
        chain.append(description.value(kClassName).toString());
    return chain;
}

bool PWKeyedArchive::isKindOf(quint64 uid, const QString &className) const
{
    return classChain(uid).contains(className);
}
