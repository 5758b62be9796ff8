#pragma once

#include "app/contacts/CADataSourceContainer.h"
#include "app/contacts/CAHelperAnswer.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

// What a contact helper may take before it is ended as broken or hung.
struct CAScriptedHelperLimits
{
    // Waited for between two answers on standard output (what the helper writes on its standard
    // error does not count).
    int silenceMs = 120000;
    // The whole import, however busy the helper keeps itself.
    int totalMs = 15 * 60 * 1000;
    // Bytes of its standard error kept for the reason of a failure; the rest is dropped.
    qsizetype maxErrorText = 2048;
    CAHelperAnswer::Limits answer;
};

// Contact sources read from other programs through a helper program of their own: the helper
// talks to its program however it must, and answers this system in a small protocol of JSON
// lines on its standard output:
//
//   {"count": N}                         the number of records it will send (progress)
//   {"index": I}                         the record it is at (progress)
//   {"records": [{label: value, ...}]}   the records, the last line
//   {"error": {"number": N, "message": "..."}}   instead of the records
//
// Entourage's helper may answer its contacts as vCards instead of records:
//   {"vcards": ["BEGIN:VCARD...", ...], "groups": [["Club"], [], ...]}
// one list of group names per card, in the cards' order (see CAEntourageCards).
//
// It is started as "<helper> <cache name>", with the request {"request": "records", "source":
// <cache name>} as one line on its standard input, and must end with status 0. A record's labels
// are "firstname", "lastname", "companyname", "homestreet" ... "homecountry", "workstreet" ...
// "workcountry", "primaryaddress" ("home" or "work") and "_groups" (a list of group names);
// others are ignored. Helpers live in "$XDG_DATA_HOME/Parcelwick/Helpers/", each named by the
// cache name of its source; a source without its helper is not offered at all.
class CAScriptedSource
{
public:
    struct Source
    {
        QString displayName;
        QString cacheName;
        bool withGroups;
    };
    // Entourage (with its groups), Eudora and Now Contacts.
    static QList<Source> sources();

    // The persons of a record list, and the groups the records name; the home address comes
    // before the work address, each only when one of its parts has text, and "primaryaddress"
    // makes the first address of its label primary.
    // An entry of the list that is no JSON object is left out, named in problems (when given).
    static CADataSourceContainer::ImportResult personsFromRecords(const QJsonArray &records,
                                                                  QStringList *problems = nullptr);

    // The text of a value a helper sent: a number in up to 15 digits, a truth value as "true" or
    // "false"; empty for anything else.
    static QString valueText(const QJsonValue &value);

    // "$XDG_DATA_HOME/Parcelwick/Helpers"; a test may point it elsewhere.
    static QString helperFolder();
    static void setHelperFolder(const QString &folder);
    // The helper of a source, when installed (an executable file); empty otherwise. The user
    // default "ApplicationPath<cache name>" (the helper, or a folder holding it) comes before
    // the helper folder.
    static QString helperForSource(const QString &cacheName);

    using HelperLimits = CAScriptedHelperLimits;

    // Starts the helper as "<helper> <cache name>", sends the request as one line and reads its
    // answer to the end. Nothing, with a reason, when it could not be started, reported an
    // error, ended badly, went past its limits, or was stopped ("stopped"); what it answered is
    // the caller's to judge.
    static std::optional<CAHelperAnswer> runRequest(const QString &helper, const QString &cacheName,
                                                    const QJsonObject &request, CAImportProgress *progress,
                                                    QString *error, const HelperLimits &limits = HelperLimits());

    // Runs the helper and answers its records; nothing, with a reason, when it could not be
    // started, reported an error, ended badly, answered no well-formed records, went past its
    // limits, or was stopped. Records past the answer's limit are left out, said in problems.
    static std::optional<QJsonArray> runHelper(const QString &helper, const QString &cacheName,
                                               CAImportProgress *progress, QString *error,
                                               QStringList *problems = nullptr,
                                               const HelperLimits &limits = HelperLimits());

    // The generic import: the records of the source's helper as persons (and groups), or for
    // Entourage its vCards with their groups, card by card with progress. At least
    // one record clears the container's import error flag; a failure, or no record, sets it and
    // gives nothing, so that the cache and the persons read before stay.
    static std::optional<CADataSourceContainer::ImportResult> importDataFrom(const QString &cacheName,
                                                                             CADataSourceContainer &container,
                                                                             QStringList &problems,
                                                                             CAImportProgress *progress = nullptr);

    // Registers each source whose helper is installed; answers their display names.
    static QStringList registerInstalled(CADataSourceContainer &container);
};
