// Several processes of this program on one settings file, started together, each running a random
// sequence of the changes the print-multiple window makes to the print lists, the senders and My
// Recipients (the invocable operations of its list editor, and edits typed into its contact editor)
// on persons whose UIDs repeat or are missing. Each process logs what it saw and what it meant to
// store; the file at the end must hold the merge that follows from those logs alone, person by
// person and field by field, whatever the order the processes wrote in.
#include "ContactsWindowTestSupport.h"

#include "app/contacts/CAContactEditor.h"
#include "app/contacts/CAContactTableModel.h"
#include "app/contacts/CAPrintListEditor.h"
#include "app/contacts/CAStoredListMerge.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/address/FTStoredPerson.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMetaMethod>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QSet>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <map>
#include <set>

using namespace Qt::StringLiterals;

namespace {

constexpr char kProcessFile[] = "PW_LIST_PROCESS_FILE";
constexpr char kProcessLog[] = "PW_LIST_PROCESS_LOG";
constexpr char kProcessSeed[] = "PW_LIST_PROCESS_SEED";
constexpr char kProcessIndex[] = "PW_LIST_PROCESS_INDEX";

const QString kSendersScope = u"senders"_s;
const QString kLocalScope = u"local"_s;
const QStringList kFields = {u"home.city"_s, u"home.state"_s, u"work.city"_s, u"work.state"_s, u"other.city"_s,
                             u"other.state"_s};

// The seeded persons: UIDs repeated ("uid-shared"), missing and unique; keys of another program
// stored beside some cards.
PWPlist seededPerson(const QString &scope, int i)
{
    std::shared_ptr<PWPerson> made = contactstest::person(u"Ann"_s, u"S%1%2"_s.arg(scope.left(1)).arg(i));
    setStringForPersonCategory(made.get(), u"City%1"_s.arg(i), adHome, tcCity);
    setStringForPersonCategory(made.get(), u"State%1"_s.arg(i), adWork, tcState);
    PWPlist::Dictionary stored = FTStoredPerson::convertToStoringData(*made);
    QByteArray card = stored.value(u"personData"_s).toData();
    QByteArray uid;
    if (i % 3 == 0)
        uid = "UID:uid-shared\r\n";
    else if (i % 3 == 1)
        uid = "UID:uid-" + scope.toUtf8() + QByteArray::number(i) + "\r\n";
    // Every UID line the card had is replaced by the one chosen, or by none.
    QList<QByteArray> lines = card.split('\n');
    lines.removeIf([](const QByteArray &line) { return line.startsWith("UID:"); });
    card = lines.join('\n');
    card.replace("END:VCARD", uid + "END:VCARD");
    stored.insert(u"personData"_s, PWPlist::fromData(card));
    if (i % 2 == 0)
        stored.insert(u"OtherProgram"_s, PWPlist::fromString(u"kept %1"_s.arg(i)));
    return PWPlist(stored);
}

PWPlist::Array seededPersons(const QString &scope)
{
    PWPlist::Array persons;
    for (int i = 0; i < 6; ++i)
        persons.append(seededPerson(scope, i));
    return persons;
}

QString seededSharedFile(const QString &folder)
{
    const QString path = folder + u"/Parcelwick.plist"_s;
    PWUserDefaults seed(path);
    PWPlist::Array lists;
    for (const QString &name : {u"Club"_s, u"Team"_s})
        lists.append(PWPlist(PWPlist::Dictionary {{u"Name"_s, PWPlist::fromString(name)},
                                                  {u"Persons"_s, PWPlist(seededPersons(name))},
                                                  {u"Sort"_s, PWPlist::fromInteger(CAPersonListDictionary::kNoSorting)}}));
    seed.setObject(u"PrintListArray"_s, PWPlist(lists));
    seed.setObject(u"SenderList"_s, PWPlist(seededPersons(u"Senders"_s)));
    seed.setObject(u"LocalContactBase"_s, PWPlist(seededPersons(u"Local"_s)));
    return path;
}

QJsonObject fieldsOf(const PWPerson &person)
{
    QJsonObject fields;
    for (const QString &field : kFields) {
        const addressType type = field.startsWith(u"home"_s) ? adHome : field.startsWith(u"work"_s) ? adWork : adOther;
        const textCategory category = field.endsWith(u"city"_s) ? tcCity : tcState;
        fields.insert(field, stringForPersonCategory(&person, type, category, false));
    }
    return fields;
}

// A scope's persons: last name to fields, and the names in order (repeats show).
QJsonObject scopeOf(const CAPersonList &persons)
{
    QJsonObject byName;
    QJsonArray order;
    for (const std::shared_ptr<PWPerson> &person : persons) {
        byName.insert(person->stringForProperty(kPWLastNameProperty), fieldsOf(*person));
        order.append(person->stringForProperty(kPWLastNameProperty));
    }
    return QJsonObject {{u"persons"_s, byName}, {u"order"_s, order}};
}

struct ProcessInstance
{
    explicit ProcessInstance(const QString &path)
        : defaults(path)
        , senders(defaults, [] { return std::shared_ptr<PWPerson>(); })
        , localBase(defaults)
        , printLists(defaults)
        , editor(printLists, senders, localBase, defaults)
    {
        printLists.load();
        senders.load();
        localBase.load();
    }
    // Every scope as this instance holds it; the print list shown in the editor as its rows.
    QJsonObject state(bool withRows) const
    {
        QJsonObject lists;
        for (int i = 0; i < printLists.count(); ++i) {
            const bool shown = withRows && editor.showsList() && i == editor.currentListIndex();
            lists.insert(printLists.getPrintListNameAt(i),
                         scopeOf(shown ? editor.persons()->sourceContent() : printLists.getPrintListAt(i)));
        }
        QJsonObject state {{u"lists"_s, lists}};
        const bool rows = withRows && editor.mode() != CAPrintListEditor::Closed && !editor.editsPrintLists();
        state.insert(kSendersScope, scopeOf(rows && editor.mode() == CAPrintListEditor::Senders
                                                ? editor.persons()->sourceContent()
                                                : senders.personListDict().personList()));
        state.insert(kLocalScope, scopeOf(rows && editor.mode() == CAPrintListEditor::LocalBase
                                              ? editor.persons()->sourceContent()
                                              : localBase.personListDict().personList()));
        return state;
    }
    PWUserDefaults defaults;
    CASenderList senders;
    CALocalContactBase localBase;
    CAPrintListArray printLists;
    CAPrintListEditor editor;
};

// One process's random sessions: the window opened on a list, one to three of its changes, OK.
// Each session is logged as the state seen at opening, the state meant at OK and the print lists
// renamed, added and removed.
QJsonArray runSessions(const QString &path, quint32 seed, int process)
{
    ProcessInstance instance(path);
    QRandomGenerator random(seed);
    QList<QMetaMethod> operations;
    const QMetaObject &meta = CAPrintListEditor::staticMetaObject;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i)
        if (meta.method(i).methodType() == QMetaMethod::Method)
            operations.append(meta.method(i));
    EXPECT_GE(operations.size(), 6) << "the editor's changes are invocable";
    int made = 0;
    const auto fresh = [&](const QString &prefix) { return u"%1%2x%3"_s.arg(prefix).arg(process).arg(made++); };
    const auto edit = [&](int row, const QString &last) {
        // Typed into the contact editor beside the list, as the user does.
        CAContactEditor typing;
        typing.setLiveMode(true);
        typing.setPersonByIndex(row, instance.editor.persons());
        if (!last.isEmpty()) {
            typing.fieldOfCategory(tcLastName)->setText(last);
            Q_EMIT typing.fieldOfCategory(tcLastName)->editingFinished();
        }
        QLineEdit *field = typing.fieldOfCategory(random.bounded(2) ? tcCity : tcState);
        field->setText(fresh(u"v"_s));
        Q_EMIT field->editingFinished();
    };
    QJsonArray sessions;
    const int count = 4 + int(random.bounded(5));
    for (int session = 0; session < count; ++session) {
        const auto mode = std::array {CAPrintListEditor::PrintLists, CAPrintListEditor::Senders,
                                      CAPrintListEditor::LocalBase}[random.bounded(3)];
        CAPrintListEditor &editor = instance.editor;
        editor.prepare(mode);
        QJsonObject logged {{u"mode"_s, int(mode)}, {u"seen"_s, instance.state(false)}};
        QJsonArray renamed;
        const int changes = 1 + int(random.bounded(3));
        for (int change = 0; change < changes; ++change) {
            const int rows = editor.persons()->rowCount();
            // One change in four is a field typed into the contact editor.
            if (random.bounded(4) == 0) {
                if (rows > 0)
                    edit(int(random.bounded(rows)), QString());
                continue;
            }
            const QMetaMethod method = operations.at(int(random.bounded(int(operations.size()))));
            const QByteArray name = method.name();
            const bool onNames = name.endsWith("List");
            if (onNames && !editor.editsPrintLists())
                continue;
            const int lists = instance.printLists.count();
            if (name == "removeList" && lists <= 1)
                continue;
            const int anyRow = rows > 0 ? int(random.bounded(rows)) : 0;
            const int anyList = lists > 0 ? int(random.bounded(lists)) : 0;
            const QString before = instance.printLists.getPrintListNameAt(anyList);
            int answer = -1;
            QString answered;
            bool invoked = false;
            const QList<QByteArray> types = method.parameterTypes();
            if (types.isEmpty()) {
                invoked = method.invoke(&editor, Qt::DirectConnection, Q_RETURN_ARG(int, answer));
            } else if (types == QList<QByteArray> {"int"}) {
                // A sorting is one the sort menu offers: its entries but the separators.
                QList<int> sortings = CAAddressWindow::sortEntries();
                sortings.removeAll(-1);
                const int value = name == "changeSorting" ? sortings.at(int(random.bounded(int(sortings.size()))))
                                  : onNames               ? anyList
                                                          : anyRow;
                invoked = method.returnType() == QMetaType::Void
                              ? method.invoke(&editor, Qt::DirectConnection, Q_ARG(int, value))
                              : method.invoke(&editor, Qt::DirectConnection, Q_RETURN_ARG(int, answer), Q_ARG(int, value));
            } else if (types == QList<QByteArray> {"int", "QString"}) {
                const QString typed = fresh(u"L"_s);
                invoked = method.invoke(&editor, Qt::DirectConnection, Q_RETURN_ARG(QString, answered),
                                        Q_ARG(int, anyList), Q_ARG(QString, typed));
                renamed.append(QJsonArray {before, answered});
            } else if (types == QList<QByteArray> {"CAPersonList"}) {
                // New persons: a UID of their own, the one the seeded persons share, or none.
                CAPersonList chosen;
                for (int n = 0; n < 1 + int(random.bounded(2)); ++n) {
                    std::shared_ptr<PWPerson> added = contactstest::person(u"New"_s, fresh(u"N"_s));
                    setStringForPersonCategory(added.get(), fresh(u"c"_s), adHome, tcCity);
                    chosen.append(added);
                }
                invoked = method.invoke(&editor, Qt::DirectConnection, Q_RETURN_ARG(int, answer),
                                        Q_ARG(CAPersonList, chosen));
            } else if (types == QList<QByteArray> {"QList<int>"}) {
                invoked = rows == 0 || method.invoke(&editor, Qt::DirectConnection, Q_RETURN_ARG(int, answer),
                                                     Q_ARG(QList<int>, QList<int> {anyRow}));
            }
            EXPECT_TRUE(invoked) << name.constData() << " " << method.methodSignature().constData();
            // What the window does next: a new list is named as the user types its name, a new
            // person is filled in.
            if (name == "addList" && answer >= 0) {
                const QString typed = fresh(u"L"_s);
                renamed.append(QJsonArray {QString(), editor.renameList(answer, typed)});
            } else if (name == "addBlankPerson" && answer >= 0) {
                edit(answer, fresh(u"B"_s));
            } else if (name == "removeList") {
                renamed.append(QJsonArray {before, QString()});
            }
        }
        logged.insert(u"meant"_s, instance.state(true));
        logged.insert(u"renamed"_s, renamed);
        editor.save();
        EXPECT_TRUE(instance.defaults.waitForPendingWrite(pwtest::kEventWaitMs));
        sessions.append(logged);
    }
    return sessions;
}

// --- the oracle: what the logs say the file must hold ---

struct Change
{
    int process;
    QString field;
    QString value;
    QString from; // the value the process saw when it made the change
};

struct PersonFacts
{
    QJsonObject first;                       // the fields it was seeded or added with
    QList<QJsonObject> removedSeeing;        // the fields each removal saw
    QList<Change> edits;
    std::map<int, std::map<QString, QString>> lastByProcess;
};

struct Facts
{
    // scope ("senders", "local", "list:<first name>") to person to facts
    std::map<QString, std::map<QString, PersonFacts>> scopes;
    std::map<QString, QString> rootOfName;           // any name a list had to its first
    std::map<QString, std::map<int, QString>> names; // first name to each process's last name for it
    std::set<QString> removedLists;
};

QString rootOf(const Facts &facts, const QString &name)
{
    const auto found = facts.rootOfName.find(name);
    return found == facts.rootOfName.end() ? name : found->second;
}

void learnScope(Facts &facts, const QString &scope, const QJsonObject &seen, const QJsonObject &meant, int process)
{
    const QJsonObject before = seen.value(u"persons"_s).toObject();
    const QJsonObject after = meant.value(u"persons"_s).toObject();
    std::map<QString, PersonFacts> &persons = facts.scopes[scope];
    for (auto it = before.begin(); it != before.end(); ++it)
        if (!after.contains(it.key()))
            persons[it.key()].removedSeeing.append(it.value().toObject());
    for (auto it = after.begin(); it != after.end(); ++it) {
        PersonFacts &person = persons[it.key()];
        if (!before.contains(it.key())) {
            if (person.first.isEmpty())
                person.first = it.value().toObject();
            continue;
        }
        const QJsonObject was = before.value(it.key()).toObject();
        for (const QString &field : kFields) {
            const QString value = it.value().toObject().value(field).toString();
            if (value != was.value(field).toString()) {
                person.edits.append(Change {process, field, value, was.value(field).toString()});
                person.lastByProcess[process][field] = value;
            }
        }
    }
}

Facts factsOf(const QList<QJsonArray> &logs)
{
    Facts facts;
    for (const QString &scope : {kSendersScope, kLocalScope})
        for (const PWPlist &entry : seededPersons(scope == kSendersScope ? u"Senders"_s : u"Local"_s))
            facts.scopes[scope][FTStoredPerson::initWithStoredData(entry.toDictionary())->stringForProperty(kPWLastNameProperty)]
                .first = fieldsOf(*FTStoredPerson::initWithStoredData(entry.toDictionary()));
    for (const QString &list : {u"Club"_s, u"Team"_s})
        for (const PWPlist &entry : seededPersons(list))
            facts.scopes[u"list:"_s + list][FTStoredPerson::initWithStoredData(entry.toDictionary())->stringForProperty(kPWLastNameProperty)]
                .first = fieldsOf(*FTStoredPerson::initWithStoredData(entry.toDictionary()));
    // Names first: every name a list is given is new, so each leads back to one first name.
    for (int process = 0; process < logs.size(); ++process) {
        for (const QJsonValue &session : logs.at(process)) {
            for (const QJsonValue &pair : session.toObject().value(u"renamed"_s).toArray()) {
                const QString from = pair.toArray().at(0).toString();
                const QString to = pair.toArray().at(1).toString();
                if (to.isEmpty()) {
                    facts.removedLists.insert(rootOf(facts, from));
                    continue;
                }
                const QString root = from.isEmpty() ? to : rootOf(facts, from);
                facts.rootOfName[to] = root;
                facts.names[root][process] = to;
            }
        }
    }
    for (int process = 0; process < logs.size(); ++process) {
        for (const QJsonValue &value : logs.at(process)) {
            const QJsonObject session = value.toObject();
            const QJsonObject seen = session.value(u"seen"_s).toObject();
            const QJsonObject meant = session.value(u"meant"_s).toObject();
            const int mode = session.value(u"mode"_s).toInt();
            if (mode == CAPrintListEditor::Senders || mode == CAPrintListEditor::LocalBase) {
                const QString scope = mode == CAPrintListEditor::Senders ? kSendersScope : kLocalScope;
                learnScope(facts, scope, seen.value(scope).toObject(), meant.value(scope).toObject(), process);
                continue;
            }
            const QJsonObject seenLists = seen.value(u"lists"_s).toObject();
            const QJsonObject meantLists = meant.value(u"lists"_s).toObject();
            std::map<QString, std::pair<QJsonObject, QJsonObject>> byRoot;
            for (auto it = seenLists.begin(); it != seenLists.end(); ++it)
                byRoot[rootOf(facts, it.key())].first = it.value().toObject();
            for (auto it = meantLists.begin(); it != meantLists.end(); ++it)
                byRoot[rootOf(facts, it.key())].second = it.value().toObject();
            for (const auto &[root, states] : byRoot)
                if (!states.second.isEmpty())
                    learnScope(facts, u"list:"_s + root, states.first, states.second, process);
        }
    }
    return facts;
}

// The file as the program reads it: each scope's persons and their stored records.
struct Found
{
    std::map<QString, QJsonObject> scopes;          // scope to scopeOf()
    std::map<QString, std::map<QString, PWPlist>> records;
    std::map<QString, QString> listNames;           // scope to the list's name now
};

Found foundIn(const QString &path, const Facts &facts)
{
    Found found;
    ProcessInstance reread(path);
    const QJsonObject state = reread.state(false);
    found.scopes[kSendersScope] = state.value(kSendersScope).toObject();
    found.scopes[kLocalScope] = state.value(kLocalScope).toObject();
    const QJsonObject lists = state.value(u"lists"_s).toObject();
    for (auto it = lists.begin(); it != lists.end(); ++it) {
        const QString scope = u"list:"_s + rootOf(facts, it.key());
        EXPECT_FALSE(found.scopes.count(scope)) << "two lists come from " << scope.toStdString();
        found.scopes[scope] = it.value().toObject();
        found.listNames[scope] = it.key();
    }
    const auto keep = [&found](const QString &scope, const PWPlist &persons) {
        for (const PWPlist &entry : persons.toArray())
            if (const auto person = FTStoredPerson::initWithStoredData(entry.toDictionary()))
                found.records[scope][person->stringForProperty(kPWLastNameProperty)] = entry;
    };
    keep(kSendersScope, reread.defaults.objectForKey(u"SenderList"_s));
    keep(kLocalScope, reread.defaults.objectForKey(u"LocalContactBase"_s));
    for (const PWPlist &list : reread.defaults.objectForKey(u"PrintListArray"_s).toArray())
        keep(u"list:"_s + rootOf(facts, list.value(u"Name"_s).toString()), list.value(u"Persons"_s));
    return found;
}

// The values of a field that one who sees value has seen: value, and each value an edit was made
// from that led to one seen.
QSet<QString> seenValues(const QList<Change> &edits, const QString &field, const QString &value)
{
    QSet<QString> seen {value};
    for (bool grew = true; grew;) {
        grew = false;
        for (const Change &edit : edits)
            if (edit.field == field && seen.contains(edit.value) && !seen.contains(edit.from))
                grew = seen.insert(edit.from) != seen.end();
    }
    return seen;
}

// What differs between the file and the merge the logs call for; empty when they agree.
QStringList mismatches(const QString &path, const QList<QJsonArray> &logs)
{
    const Facts facts = factsOf(logs);
    const Found found = foundIn(path, facts);
    QStringList wrong;
    std::map<QString, PWPlist::Array> seeds {{kSendersScope, seededPersons(u"Senders"_s)},
                                             {kLocalScope, seededPersons(u"Local"_s)},
                                             {u"list:Club"_s, seededPersons(u"Club"_s)},
                                             {u"list:Team"_s, seededPersons(u"Team"_s)}};
    for (const auto &[scope, persons] : facts.scopes) {
        const QString root = scope.mid(5);
        const bool list = scope.startsWith(u"list:"_s);
        if (list && facts.removedLists.count(root))
            continue; // a list removed comes back only with changes made without seeing it go
        if (!found.scopes.count(scope)) {
            wrong << u"%1 is gone"_s.arg(scope);
            continue;
        }
        if (list && facts.names.count(root)) {
            QStringList last;
            for (const auto &[process, name] : facts.names.at(root))
                last << name;
            if (!last.contains(found.listNames.at(scope)))
                wrong << u"%1 is named %2, not one of %3"_s.arg(scope, found.listNames.at(scope), last.join(u", "_s));
        }
        const QJsonObject now = found.scopes.at(scope).value(u"persons"_s).toObject();
        const QJsonArray order = found.scopes.at(scope).value(u"order"_s).toArray();
        if (order.size() != now.size())
            wrong << u"%1 holds a person twice: %2"_s.arg(scope, QString::fromUtf8(QJsonDocument(order).toJson(QJsonDocument::Compact)));
        for (const QString &name : now.keys())
            if (!persons.count(name))
                wrong << u"%1 holds %2, whom no process gave it"_s.arg(scope, name);
        for (const auto &[name, person] : persons) {
            // Present unless removed, or removed without seeing an edit. A removal saw an edit
            // when it saw its value, or a value changed from it by one who had seen it.
            bool present = person.removedSeeing.isEmpty();
            for (const Change &edit : person.edits) {
                bool seen = false;
                for (const QJsonObject &removal : person.removedSeeing)
                    seen = seen || seenValues(person.edits, edit.field, removal.value(edit.field).toString()).contains(edit.value);
                present = present || !seen;
            }
            if (present != now.contains(name)) {
                wrong << u"%1: %2 is %3"_s.arg(scope, name, present ? u"missing"_s : u"there though removed"_s);
                continue;
            }
            if (!present)
                continue;
            const QJsonObject fields = now.value(name).toObject();
            for (const QString &field : kFields) {
                QStringList allowed;
                for (const auto &[process, values] : person.lastByProcess)
                    if (values.count(field))
                        allowed << values.at(field);
                if (allowed.isEmpty() || !person.removedSeeing.isEmpty())
                    allowed << person.first.value(field).toString();
                if (!person.removedSeeing.isEmpty())
                    for (const Change &edit : person.edits)
                        if (edit.field == field)
                            allowed << edit.value;
                if (!allowed.contains(fields.value(field).toString()))
                    wrong << u"%1: %2's %3 is \"%4\", not one of \"%5\""_s.arg(
                        scope, name, field, fields.value(field).toString(), allowed.join(u"\", \""_s));
            }
            // A seeded person no process changed is stored as it was, byte for byte.
            if (person.edits.isEmpty() && person.removedSeeing.isEmpty() && seeds.count(scope)) {
                for (const PWPlist &seed : seeds.at(scope))
                    if (FTStoredPerson::initWithStoredData(seed.toDictionary())->stringForProperty(kPWLastNameProperty) == name
                        && (!found.records.count(scope) || !found.records.at(scope).count(name)
                            || found.records.at(scope).at(name) != seed))
                        wrong << u"%1: %2 is not stored as it was"_s.arg(scope, name);
            }
        }
    }
    return wrong;
}

QJsonArray readLog(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QJsonArray();
    return QJsonDocument::fromJson(file.readAll()).array();
}

// One process of the property: waits for the word to start, then runs its sessions on the file
// it is given and logs them. Run alone, it is the property with one process.
TEST(ListProcesses, OneProcessRunsItsSessions)
{
    QTemporaryDir folder;
    const QString given = qEnvironmentVariable(kProcessFile);
    const QString path = given.isEmpty() ? seededSharedFile(folder.path()) : given;
    const quint32 seed = qEnvironmentVariableIsSet(kProcessSeed) ? qEnvironmentVariable(kProcessSeed).toUInt() : 7;
    const int process = qEnvironmentVariableIntValue(kProcessIndex);
    if (!given.isEmpty()) {
        std::puts("ready");
        std::fflush(stdout);
        char word[8] = {};
        ASSERT_NE(std::fgets(word, sizeof word, stdin), nullptr);
    }
    const QJsonArray sessions = runSessions(path, seed, process);
    ASSERT_FALSE(sessions.isEmpty());
    if (!given.isEmpty()) {
        QFile log(qEnvironmentVariable(kProcessLog));
        ASSERT_TRUE(log.open(QIODevice::WriteOnly));
        log.write(QJsonDocument(sessions).toJson(QJsonDocument::Compact));
        return;
    }
    EXPECT_EQ(mismatches(path, {sessions}), QStringList());
}

// A run that ends otherwise is copied into a folder of this name, its file, logs and each
// process's standard error with it, to reason from.
void keepFailedRun(const QString &folder, int run, const QStringList &wrong)
{
    const QString keep = qEnvironmentVariable("PW_LIST_PROCESS_KEEP");
    if (keep.isEmpty())
        return;
    const QString into = u"%1/run-%2-%3"_s.arg(keep).arg(QCoreApplication::applicationPid()).arg(run);
    QDir().mkpath(into);
    for (const QFileInfo &entry : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden))
        QFile::copy(entry.filePath(), into + u'/' + entry.fileName());
    QFile why(into + u"/mismatches.txt"_s);
    if (why.open(QIODevice::WriteOnly))
        why.write(wrong.join(u'\n').toUtf8() + '\n');
    std::printf("run %d kept in %s\n", run, qPrintable(into));
}

// The property itself: a few seeded runs of two to six processes (PW_LIST_PROCESS_RUNS and
// PW_LIST_PROCESS_COUNT set more, PW_LIST_PROCESS_FIRST_SEED other seeds), each run's file
// checked against the logs.
TEST(ListProcesses, ProcessesStartedTogetherLeaveTheStatedMerge)
{
    const int runs = qEnvironmentVariableIsSet("PW_LIST_PROCESS_RUNS") ? qEnvironmentVariableIntValue("PW_LIST_PROCESS_RUNS") : 3;
    const int fixedCount = qEnvironmentVariableIntValue("PW_LIST_PROCESS_COUNT");
    const quint32 firstSeed = qEnvironmentVariable("PW_LIST_PROCESS_FIRST_SEED").toUInt();
    const bool keeping = qEnvironmentVariableIsSet("PW_LIST_PROCESS_KEEP");
    int agreed = 0;
    for (int run = 0; run < runs; ++run) {
        const int count = fixedCount > 0 ? fixedCount : 2 + (run * 2) % 5;
        const quint32 runSeed = firstSeed + 1000 * quint32(run);
        SCOPED_TRACE(u"run %1 (seed %2), %3 processes"_s.arg(run).arg(runSeed).arg(count).toStdString());
        QTemporaryDir folder;
        const QString path = seededSharedFile(folder.path());
        std::vector<std::unique_ptr<QProcess>> processes;
        for (int index = 0; index < count; ++index) {
            auto child = std::make_unique<QProcess>();
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QString::fromLatin1(kProcessFile), path);
            environment.insert(QString::fromLatin1(kProcessLog), folder.filePath(u"log-%1.json"_s.arg(index)));
            environment.insert(QString::fromLatin1(kProcessSeed), QString::number(runSeed + 17 * quint32(index) + 3));
            environment.insert(QString::fromLatin1(kProcessIndex), QString::number(index));
            child->setProcessEnvironment(environment);
            if (keeping)
                child->setStandardErrorFile(folder.filePath(u"stderr-%1.txt"_s.arg(index)));
            else
                child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child->start(QCoreApplication::applicationFilePath(), {u"--gtest_filter=ListProcesses.OneProcessRunsItsSessions"_s});
            ASSERT_TRUE(child->waitForStarted(pwtest::kEventWaitMs));
            processes.push_back(std::move(child));
        }
        // Every process is up before any starts: they run together.
        for (const auto &child : processes) {
            QByteArray said;
            while (!said.contains("ready") && child->state() == QProcess::Running
                   && (child->bytesAvailable() > 0 || child->waitForReadyRead(pwtest::kEventWaitMs)))
                said += child->readAllStandardOutput();
        }
        for (const auto &child : processes)
            child->write("go\n");
        QList<QJsonArray> logs;
        bool ran = true;
        for (int index = 0; index < count; ++index) {
            QProcess &child = *processes.at(index);
            ASSERT_TRUE(child.waitForFinished(pwtest::kEventWaitMs));
            EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
            ran = ran && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
            logs.append(readLog(folder.filePath(u"log-%1.json"_s.arg(index))));
        }
        const QStringList wrong = ran ? mismatches(path, logs) : QStringList {u"a process failed"_s};
        EXPECT_TRUE(wrong.isEmpty()) << wrong.join(u'\n').toStdString();
        agreed += wrong.isEmpty() ? 1 : 0;
        if (!wrong.isEmpty())
            keepFailedRun(folder.path(), run, wrong);
    }
    std::printf("%d of %d runs ended with the stated merge\n", agreed, runs);
}

} // namespace
