#include "app/contacts/CAScriptedSource.h"

#include "app/contacts/CAContactsLog.h"
#include "app/contacts/CAEntourageCards.h"
#include "app/contacts/CAHelperAnswer.h"
#include "app/contacts/CAImportWorker.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWBundle.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWUserDefaults.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>

namespace {

// How often a waiting import looks at the Stop button.
constexpr int kPollMs = 50;
// Entries that are no records are named one by one up to this many, then counted.
constexpr qsizetype kNamedProblems = 10;

QMutex folderMutex;
QString folderOverride;

const QString kEmpty;
const QString kEntourage = QStringLiteral("Entourage");

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

} // namespace

QString CAScriptedSource::valueText(const QJsonValue &value)
{
    if (value.isString())
        return value.toString();
    if (value.isDouble())
        return QString::number(value.toDouble(), 'g', 15);
    if (value.isBool())
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    return {};
}

QList<CAScriptedSource::Source> CAScriptedSource::sources()
{
    const auto display = [](const QString &global, const QString &key) {
        return global.isEmpty() ? PWLocalizedString(key) : global;
    };
    return {{display(ContactsEntourage, QStringLiteral("MS Entourage")), kEntourage, true},
            {display(ContactsEudora, QStringLiteral("Eudora")), QStringLiteral("Eudora"), false},
            {display(ContactsNowContacts, QStringLiteral("NowContacts")), QStringLiteral("NowContacts"), false}};
}

CADataSourceContainer::ImportResult CAScriptedSource::personsFromRecords(const QJsonArray &records,
                                                                        QStringList *problems)
{
    CADataSourceContainer::ImportResult result;
    CADataSourceContainer::Groups groups;
    qsizetype number = 0;
    qsizetype notRecords = 0;
    const auto leaveOut = [&](const QString &problem) {
        if (problems && notRecords < kNamedProblems)
            problems->append(problem);
        ++notRecords;
    };
    for (const QJsonValue &item : records) {
        ++number;
        // A number, a text, null or a list is no record: as a person it would print a blank label.
        if (!item.isObject()) {
            leaveOut(QStringLiteral("Record %1 of the helper's answer is no record; it was left out.").arg(number));
            continue;
        }
        const QJsonObject record = item.toObject();
        std::shared_ptr<PWPerson> person = PWPerson::create();
        AddressParts home, work;
        QString primaryLabel;
        QStringList groupNames;
        bool usable = false;
        for (auto field = record.constBegin(); field != record.constEnd(); ++field) {
            const QString label = field.key();
            if (label == QLatin1String("_groups")) {
                for (const QJsonValue &name : field.value().toArray())
                    groupNames.append(valueText(name));
                continue;
            }
            const QString value = valueText(field.value());
            if (value.isEmpty())
                continue;
            if (label == QLatin1String("firstname")) {
                usable = true;
                person->setValueForProperty(kPWFirstNameProperty, PWPlist::fromString(value));
            } else if (label == QLatin1String("lastname")) {
                usable = true;
                person->setValueForProperty(kPWLastNameProperty, PWPlist::fromString(value));
            } else if (label == QLatin1String("companyname")) {
                usable = true;
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
        // A record with no name, company or address part would print a blank label, whatever
        // groups or primary address it names.
        if (!usable && home.isEmpty() && work.isEmpty()) {
            leaveOut(QStringLiteral("Record %1 of the helper's answer holds no name, company or address; it was left out.")
                         .arg(number));
            continue;
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
    if (problems && notRecords > kNamedProblems)
        problems->append(QStringLiteral("%1 more entries of the helper's answer were no usable records and were left out.")
                             .arg(notRecords - kNamedProblems));
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

std::optional<CAHelperAnswer> CAScriptedSource::runRequest(const QString &helper, const QString &cacheName,
                                                           const QJsonObject &request, CAImportProgress *progress,
                                                           QString *error, const HelperLimits &limits)
{
    QProcess process;
    QByteArray complaint;
    const auto fail = [&](const QString &reason) -> std::optional<CAHelperAnswer> {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
        if (error) {
            const QString said = QString::fromUtf8(complaint).simplified();
            *error = said.isEmpty() ? reason : QStringLiteral("%1 (it said: %2)").arg(reason, said);
        }
        return std::nullopt;
    };
    // What the helper writes on its standard error is kept only up to a few lines, for the
    // reason of a failure; the rest is read and dropped as it comes (also while waiting for
    // standard output), so that a helper flooding it costs no memory.
    const auto readComplaint = [&] {
        const QByteArray text = process.readAllStandardError();
        if (complaint.size() < limits.maxErrorText)
            complaint += text.left(limits.maxErrorText - complaint.size());
    };
    QObject::connect(&process, &QProcess::readyReadStandardError, readComplaint);
    process.setProgram(helper);
    process.setArguments({cacheName});
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start();
    if (!process.waitForStarted())
        return fail(QStringLiteral("the helper %1 could not be started: %2").arg(helper, process.errorString()));
    process.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
    process.closeWriteChannel();

    CAHelperAnswer answer(limits.answer);
    QElapsedTimer clock;
    clock.start();
    // Only standard output is a sign of life: a helper that only complains is as hung as a
    // silent one.
    qint64 lastAnswerMs = 0;
    for (;;) {
        if (progress && progress->stopRequested) {
            complaint.clear();
            return fail(QStringLiteral("stopped"));
        }
        process.waitForReadyRead(kPollMs);
        readComplaint();
        const QByteArray said = process.readAllStandardOutput();
        if (!said.isEmpty())
            lastAnswerMs = clock.elapsed();
        if (!answer.feed(said))
            return fail(QStringLiteral("the helper %1 was stopped: %2").arg(helper, answer.failure()));
        if (progress && answer.count())
            progress->recordCount = *answer.count();
        if (progress && answer.index())
            progress->recordIndex = *answer.index();
        if (process.state() == QProcess::NotRunning)
            break;
        if (clock.elapsed() - lastAnswerMs > limits.silenceMs)
            return fail(QStringLiteral("the helper %1 stopped answering").arg(helper));
        // A helper that keeps reporting progress but never ends is as hung as a silent one.
        if (clock.elapsed() > limits.totalMs)
            return fail(QStringLiteral("the helper %1 did not finish within %2 seconds").arg(helper).arg(limits.totalMs / 1000));
    }
    readComplaint();
    if (!answer.feed(process.readAllStandardOutput()))
        return fail(QStringLiteral("the helper %1 was stopped: %2").arg(helper, answer.failure()));
    answer.finish();
    if (!answer.reportedError().isEmpty())
        return fail(answer.reportedError());
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return fail(QStringLiteral("the helper %1 ended with status %2").arg(helper).arg(process.exitCode()));
    return answer;
}

std::optional<QJsonArray> CAScriptedSource::runHelper(const QString &helper, const QString &cacheName,
                                                      CAImportProgress *progress, QString *error,
                                                      QStringList *problems, const HelperLimits &limits)
{
    const QJsonObject request {{QStringLiteral("request"), QStringLiteral("records")},
                               {QStringLiteral("source"), cacheName}};
    const std::optional<CAHelperAnswer> answer = runRequest(helper, cacheName, request, progress, error, limits);
    if (!answer)
        return std::nullopt;
    if (!answer->records()) {
        if (error)
            *error = QStringLiteral("the helper %1 answered no records").arg(helper);
        return std::nullopt;
    }
    if (answer->recordsLeftOut() > 0 && problems)
        problems->append(QStringLiteral("The helper for %1 sent %2 records; the first %3 were read and the rest left out.")
                             .arg(cacheName)
                             .arg(answer->records()->size() + answer->recordsLeftOut())
                             .arg(answer->records()->size()));
    return answer->records();
}

std::optional<CADataSourceContainer::ImportResult> CAScriptedSource::importDataFrom(const QString &cacheName,
                                                                                    CADataSourceContainer &container,
                                                                                    QStringList &problems,
                                                                                    CAImportProgress *progress)
{
    const QString helper = helperForSource(cacheName);
    QString error;
    std::optional<CAHelperAnswer> answer;
    if (helper.isEmpty()) {
        error = QStringLiteral("no helper for %1 is installed").arg(cacheName);
    } else {
        const QJsonObject request {{QStringLiteral("request"), QStringLiteral("records")},
                                   {QStringLiteral("source"), cacheName}};
        answer = runRequest(helper, cacheName, request, progress, &error);
    }
    std::optional<CADataSourceContainer::ImportResult> result;
    bool answered = false;
    if (answer && answer->vCards() && cacheName == kEntourage) {
        answered = true;
        if (answer->vCardsLeftOut() > 0)
            problems.append(QStringLiteral("The helper for %1 sent %2 cards; the first %3 were read and the rest left out.")
                                .arg(cacheName)
                                .arg(answer->vCards()->size() + answer->vCardsLeftOut())
                                .arg(answer->vCards()->size()));
        result = CAEntourageCards::personsFromCards(*answer->vCards(), answer->vCardGroups().value_or(QJsonArray()),
                                                    &problems, CAImportProgress::reporter(progress));
        if (!result)
            error = QStringLiteral("stopped");
    } else if (answer && answer->records()) {
        answered = true;
        if (answer->recordsLeftOut() > 0)
            problems.append(QStringLiteral("The helper for %1 sent %2 records; the first %3 were read and the rest left out.")
                                .arg(cacheName)
                                .arg(answer->records()->size() + answer->recordsLeftOut())
                                .arg(answer->records()->size()));
        result = personsFromRecords(*answer->records(), &problems);
    } else if (answer) {
        error = QStringLiteral("the helper %1 answered no records").arg(helper);
    }
    if (!result || result->persons.isEmpty()) {
        // Nothing read: the cache and the persons read before stay, and the windows are told
        // through the flag not to reload.
        container.setErrorDuringImporting(true);
        if (answered && result)
            error = QStringLiteral("the helper for %1 answered no contacts").arg(cacheName);
        if (error != QLatin1String("stopped")) {
            problems.append(QStringLiteral("The contacts of %1 could not be read: %2.").arg(cacheName, error));
            qCWarning(lcContacts).noquote() << "scripted import failed:" << cacheName << error;
        }
        return std::nullopt;
    }
    container.setErrorDuringImporting(false);
    return result;
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
