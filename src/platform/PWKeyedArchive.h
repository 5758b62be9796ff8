#pragma once

#include "platform/PWPlist.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The object table of a keyed archive (the layout of the original platform's keyed archiver: a
// property list with "$archiver" "NSKeyedArchiver", "$version" 100000, "$top" {"root": UID} and
// "$objects" holding "$null" at 0, objects as dictionaries whose "$class" refers to a
// "$classname"/"$classes" dictionary). It is the first stage of unarchiving: the whole table is
// checked when it is made (every UID in range, every class reference a class description), so
// that the decoders of PWKeyedUnarchiver never meet a dangling reference.
class PWKeyedArchive
{
public:
    // Objects of a table; an archive with more is refused.
    static constexpr qsizetype kMaxObjects = 1 << 20;
    // Nesting of plain values inside one table entry (arrays of references, inline dictionaries).
    static constexpr int kMaxPlistDepth = 32;

    // The one entry point for bytes (binary or XML property list): the checked table, or
    // nothing and the reason in error.
    static std::optional<PWKeyedArchive> parse(const QByteArray &bytes, QString *error = nullptr);
    static std::optional<PWKeyedArchive> fromPlist(const PWPlist &plist, QString *error = nullptr);

    quint64 rootUid() const { return m_root; }
    qsizetype count() const { return m_objects.size(); }
    // The table entry; valid UIDs only (all UIDs reachable from the table are).
    const PWPlist &object(quint64 uid) const { return m_objects.at(qsizetype(uid)); }
    // True for UID 0, the "$null" entry that stands for no object.
    static bool isNil(quint64 uid) { return uid == 0; }

    // The class of an object entry ("$classname"), empty for a plain value.
    QString className(quint64 uid) const;
    // The class and its ancestors ("$classes"), or just the class name when the chain is absent.
    QStringList classChain(quint64 uid) const;
    bool isKindOf(quint64 uid, const QString &className) const;

private:
    PWKeyedArchive(PWPlist::Array objects, quint64 root);

    PWPlist::Array m_objects;
    quint64 m_root = 0;
};
