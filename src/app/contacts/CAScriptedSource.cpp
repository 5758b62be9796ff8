#include "app/contacts/CAScriptedSource.h"

#include "app/contacts/CAContactsLog.h"
#include "app/contacts/CAImportWorker.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWBundle.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWUserDefaults.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>

namespace {

// A helper that stops talking is waited for this long between lines before it counts as hung.
constexpr int kSilenceLimitMs = 120000;
// How often a waiting import looks at the Stop button.
constexpr int kPollMs = 50;
// No contact list is this large; a helper that sends more is broken.
constexpr qsizetype kMaxOutput = 256 * 1024 * 1024;

QMutex folderMutex;
QString folderOverride;

const QString kEmpty;

struct AddressParts
{
    QString street, city, state, zip, country;

    bool isEmpty() const
    {
        return street.isEmpty() && city.isEmpty() && state.isEmpty() && zip.isEmpty() && country.isEmpty();
    }
    PWPlist::Dictionary dictionary() const
    {
        // Every key is there, empty or not, the country code always empty: the shape the
        // address panels expect of an imported address.
        return {{kPWAddressStreetKey, PWPlist::fromString(street)},
                {kPWAddressCityKey, PWPlist::fromString(city)},
                {kPWAddressStateKey, PWPlist::fromString(state)},
                {kPWAddressZIPKey, PWPlist::fromString(zip)},
                {kPWAddressCountryKey, PWPlist::fromString(country)},
                {kPWAddressCountryCodeKey, PWPlist::fromString(kEmpty)}};
    }
};

QString *addressPart(AddressParts &address, QStringView part)
{
    if (part == u"street")
        return &address.street;
    if (part == u"city")
        return &address.city;
    if (part == u"state")
        return &address.state;
    if (part == u"zip")
        return &address.zip;
    if (part == u"country")
        return &address.country;
    return nullptr;
}

QString textOf(const QJsonValue &value)
{
    if (value.isString())
        return value.toString();
    if (value.isDouble())
        return QString::number(value.toDouble(), 'g', 15);
    if (value.isBool())
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    return {};
}

} // namespace

QList<CAScriptedSource::Source> CAScriptedSource::sources()
{
    const auto display = [](const QString &global, const QString &key) {
        return global.isEmpty() ? PWLocalizedString(key) : global;
    };
    return {{display(ContactsEntourage, QStringLiteral("MS Entourage")), QStringLiteral("Entourage"), true},
            {display(ContactsEudora, QStringLiteral("Eudora")), QStringLiteral("Eudora"), false},
            {display(ContactsNowContacts, QStringLiteral("NowContacts")), QStringLiteral("NowContacts"), false}};
}

CADataSourceContainer::ImportResult CAScriptedSource::personsFromRecords(const QJsonArray &records)
{
    CADataSourceContainer::ImportResult result;
    CADataSourceContainer::Groups groups;
    for (const QJsonValue &item : records) {
        const QJsonObject record = item.toObject();
        std::shared_ptr<PWPerson> person = PWPerson::create();
        AddressParts home, work;
        QString primaryLabel;
        QStringList groupNames;
        for (auto field = record.constBegin(); field != record.constEnd(); ++field) {
            const QString label = field.key();
            if (label == QLatin1String("_groups")) {
                for (const QJsonValue &name : field.value().toArray())
                    groupNames.append(textOf(name));
                continue;
            }
            const QString value = textOf(field.value());
            if (value.isEmpty())
                continue;
            if (label == QLatin1String("firstname")) {
                person->setValueForProperty(kPWFirstNameProperty, PWPlist::fromString(value));
            } else if (label == QLatin1String("lastname")) {
                person->setValueForProperty(kPWLastNameProperty, PWPlist::fromString(value));
            } else if (label == QLatin1String("companyname")) {
                person->setValueForProperty(kPWOrganizationProperty, PWPlist::fromString(value));
            } else if (label == QLatin1String("primaryaddress")) {
                if (value == QLatin1String("work"))
                    primaryLabel = kPWAddressWorkLabel;
                else if (value == QLatin1String("home"))
                    primaryLabel = kPWAddressHomeLabel;
            } else if (label.startsWith(QLatin1String("home"))) {
                if (QString *part = addressPart(home, QStringView(label).mid(4)))
                    *part = value;
            } else if (label.startsWith(QLatin1String("work"))) {
                if (QString *part = addressPart(work, QStringView(label).mid(4)))
                    *part = value;
            }
        }
        PWMultiValue addresses;
        if (!home.isEmpty())
            addresses.addValue(PWPlist(home.dictionary()), kPWAddressHomeLabel);
        if (!work.isEmpty())
            addresses.addValue(PWPlist(work.dictionary()), kPWAddressWorkLabel);
        if (!primaryLabel.isEmpty()) {
            const qsizetype index = addresses.indexOfLabel(primaryLabel);
            if (index >= 0)
                addresses.setPrimaryIdentifier(addresses.identifierAtIndex(index));
        }
        person->setMultiValueForProperty(kPWAddressProperty, addresses);
        result.persons.append(person);
        for (const QString &name : std::as_const(groupNames))
            groups[name].append(person);
    }
    result.groups = groups;
    return result;
}

QString CAScriptedSource::helperFolder()
{
    QMutexLocker lock(&folderMutex);
    if (!folderOverride.isEmpty())
        return folderOverride;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Parcelwick/Helpers");
}

void CAScriptedSource::setHelperFolder(const QString &folder)
{
    QMutexLocker lock(&folderMutex);
    folderOverride = folder;
}

QString CAScriptedSource::helperForSource(const QString &cacheName)
{
    const auto usable = [](const QFileInfo &helper) { return helper.isFile() && helper.isExecutable(); };
    // Where the user pointed the preferences: the helper itself, or a folder holding it by the
    // source's name. A path that holds none falls back to the default folder.
    const QString chosen =
        PWUserDefaults::standardUserDefaults().stringForKey(QStringLiteral("ApplicationPath") + cacheName);
    if (!chosen.isEmpty()) {
        const QFileInfo path(chosen);
        if (usable(path))
            return path.absoluteFilePath();
        const QFileInfo inFolder(chosen + QLatin1Char('/') + cacheName);
        if (path.isDir() && usable(inFolder))
            return inFolder.absoluteFilePath();
    }
    const QFileInfo helper(helperFolder() + QLatin1Char('/') + cacheName);
    return usable(helper) ? helper.absoluteFilePath() : QString();
}

std::optional<QJsonArray> CAScriptedSource::runHelper(const QString &helper, const QString &cacheName,
                                                      CAImportProgress *progress, QString *error)
{
    const auto fail = [error](const QString &reason) -> std::optional<QJsonArray> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    QProcess process;
    process.setProgram(helper);
    process.setArguments({cacheName});
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start();
    if (!process.waitForStarted())
        return fail(QStringLiteral("the helper %1 could not be started: %2").arg(helper, process.errorString()));
    QJsonObject request {{QStringLiteral("request"), QStringLiteral("records")}, {QStringLiteral("source"), cacheName}};
    process.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
    process.closeWriteChannel();

    std::optional<QJsonArray> records;
    QString reported;
    QByteArray pending;
    qsizetype received = 0;
    int silentMs = 0;
    const auto takeLines = [&] {
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(end).trimmed();
            pending.remove(0, end + 1);
            if (line.isEmpty())
                continue;
            const QJsonObject message = QJsonDocument::fromJson(line).object();
            if (message.contains(QLatin1String("count")) && progress)
                progress->recordCount = quint32(qMax(0.0, message.value(QLatin1String("count")).toDouble()));
            if (message.contains(QLatin1String("index")) && progress)
                progress->recordIndex = quint32(qMax(0.0, message.value(QLatin1String("index")).toDouble()));
            if (message.value(QLatin1String("records")).isArray())
                records = message.value(QLatin1String("records")).toArray();
            if (message.value(QLatin1String("error")).isObject()) {
                const QJsonObject failure = message.value(QLatin1String("error")).toObject();
                reported = QStringLiteral("error #%1 - \"%2\"")
                               .arg(textOf(failure.value(QLatin1String("number"))),
                                    failure.value(QLatin1String("message")).toString());
            }
        }
    };
    for (;;) {
        if (progress && progress->stopRequested) {
            process.kill();
            process.waitForFinished();
            return fail(QStringLiteral("stopped"));
        }
        const bool ready = process.waitForReadyRead(kPollMs);
        const QByteArray chunk = process.readAllStandardOutput();
        received += chunk.size();
        if (received > kMaxOutput) {
            process.kill();
            process.waitForFinished();
            return fail(QStringLiteral("the helper %1 sent more than any contact list holds").arg(helper));
        }
        pending += chunk;
        takeLines();
        if (process.state() == QProcess::NotRunning)
            break;
        silentMs = ready ? 0 : silentMs + kPollMs;
        if (silentMs > kSilenceLimitMs) {
            process.kill();
            process.waitForFinished();
            return fail(QStringLiteral("the helper %1 stopped answering").arg(helper));
        }
    }
    pending += process.readAllStandardOutput() + '\n';
    takeLines();
    if (!reported.isEmpty())
        return fail(reported);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return fail(QStringLiteral("the helper %1 ended with status %2").arg(helper).arg(process.exitCode()));
    if (!records)
        return fail(QStringLiteral("the helper %1 answered no records").arg(helper));
    return records;
}

std::optional<CADataSourceContainer::ImportResult> CAScriptedSource::importDataFrom(const QString &cacheName,
                                                                                    CADataSourceContainer &container,
                                                                                    QStringList &problems,
                                                                                    CAImportProgress *progress)
{
    const QString helper = helperForSource(cacheName);
    QString error;
    std::optional<QJsonArray> records;
    if (helper.isEmpty())
        error = QStringLiteral("no helper for %1 is installed").arg(cacheName);
    else
        records = runHelper(helper, cacheName, progress, &error);
    if (!records || records->isEmpty()) {
        // Nothing read: the cache and the persons read before stay, and the windows are told
        // through the flag not to reload.
        container.setErrorDuringImporting(true);
        if (records)
            error = QStringLiteral("the helper for %1 answered no contacts").arg(cacheName);
        if (error != QLatin1String("stopped")) {
            problems.append(QStringLiteral("The contacts of %1 could not be read: %2.").arg(cacheName, error));
            qCWarning(lcContacts).noquote() << "scripted import failed:" << cacheName << error;
        }
        return std::nullopt;
    }
    container.setErrorDuringImporting(false);
    return personsFromRecords(*records);
}

QStringList CAScriptedSource::registerInstalled(CADataSourceContainer &container)
{
    QStringList registered;
    for (const Source &source : sources()) {
        if (helperForSource(source.cacheName).isEmpty())
            continue;
        const QString cacheName = source.cacheName;
        const bool withGroups = source.withGroups;
        container.registerProgressSource(
            source.displayName, cacheName,
            CADataSourceContainer::ProgressImportFunction(
                [cacheName, withGroups, &container](QWidget *, QStringList &problems, CAImportProgress *progress) {
                    std::optional<CADataSourceContainer::ImportResult> result =
                        importDataFrom(cacheName, container, problems, progress);
                    // Only the sources that show groups keep them.
                    if (result && !withGroups)
                        result->groups.reset();
                    return result;
                }),
            withGroups);
        registered.append(source.displayName);
    }
    return registered;
}
