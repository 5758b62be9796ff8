#include "app/contacts/CAVCFSource.h"

#include "app/contacts/CAImportWorker.h"

#include "app/contacts/CAContactsLog.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWBundle.h"
#include "platform/PWFileReader.h"
#include "platform/PWPerson.h"
#include "platform/PWUserDefaults.h"
#include "platform/PWVCardKept.h"
#include "platform/PWVCardParser.h"
#include "platform/PWVCardReader.h"

#include <QFileInfo>

namespace {

const QString kFolderKey = QStringLiteral("VCFFileOpenDialogDirectory");

// The "BEGIN:VCARD" in the bytes, whatever their case, counted without a copy of the bytes.
quint32 countBeginLines(QByteArrayView bytes)
{
    quint32 count = 0;
    for (qsizetype colon = bytes.indexOf(':'); colon >= 0; colon = bytes.indexOf(':', colon + 1)) {
        if (colon >= 5 && bytes.size() - colon > 5 && qstrnicmp(bytes.data() + colon - 5, "BEGIN", 5) == 0
            && qstrnicmp(bytes.data() + colon + 1, "VCARD", 5) == 0)
            ++count;
    }
    return count;
}

} // namespace

const QString CAVCFSource::kCacheName = QStringLiteral("VCFSource");

QString CAVCFSource::name()
{
    return ContactsVCFSource.isEmpty() ? PWLocalizedString(QStringLiteral("VCFFile")) : ContactsVCFSource;
}

CAPersonList CAVCFSource::personFromVCFFile(const QString &path, QString *error, const CardReport &report,
                                            QStringList *notes)
{
    CAPersonList persons;
    const QString fileName = QFileInfo(path).fileName();
    const PWFileReader::Result file = PWFileReader::read(path, PWFileReader::kVCardLimit);
    if (!file.ok()) {
        if (error)
            *error = QStringLiteral("%1 could not be read: %2.").arg(fileName, file.reason);
        qCWarning(lcContacts).noquote() << "vCard file not read:" << path << file.reason;
        return persons;
    }
    QString reason;
    int begins = 0;
    int cards = 0;
    bool stopped = false;
    // The count a progress bar needs, before the reading: the cards' first lines.
    const quint32 expected = report ? countBeginLines(file.bytes) : 0;
    QStringList leftOut;
    QStringList readOtherwise;
    const bool parsed = PWVCardParser::parseEachWithSource(
        file.bytes,
        [&](PWVCard &card, PWVCardSource &source) {
            if (stopped)
                return;
            if (report && report(quint32(cards), expected)) {
                stopped = true;
                return;
            }
            ++cards;
            // Each person keeps its card, so that a list, a design or a sender stores it as the
            // file has it.
            if (std::shared_ptr<PWPerson> person = PWVCardKept::person(card, source, PWVCardReader::Options()))
                persons.append(std::move(person));
        },
        &reason, &begins, &leftOut, &readOtherwise);
    if (stopped) {
        persons.clear();
        if (error)
            *error = QStringLiteral("stopped");
        return persons;
    }
    if (!parsed) {
        persons.clear();
        if (error)
            *error = QStringLiteral("%1 holds no contacts that can be read: %2.").arg(fileName, reason);
        qCWarning(lcContacts).noquote() << "vCard file not read:" << path << reason;
        return persons;
    }
    if (notes) {
        for (const QString &note : std::as_const(readOtherwise))
            notes->append(QStringLiteral("%1: %2").arg(fileName, note));
    }
    if (!leftOut.isEmpty() && error) {
        // What the parser names says more than a count.
        *error = QStringLiteral("%1: %2").arg(fileName, leftOut.join(QLatin1Char(' ')));
    } else if (begins > cards && error) {
        *error = QStringLiteral("%1: %2 of %3 cards could not be read and were left out.")
                     .arg(fileName)
                     .arg(begins - cards)
                     .arg(begins);
        qCWarning(lcContacts).noquote() << *error;
    }
    return persons;
}

std::optional<CADataSourceContainer::ImportResult>
CAVCFSource::importDataFromVCFSource(QWidget *window, QStringList &problems, PWUserDefaults &defaults,
                                     const CAContactImportHooks &hooks, CAImportProgress *progress)
{
    const std::optional<CAContactImportHooks::ChosenFiles> chosen =
        hooks.chooseFilesFrom(window, defaults, kFolderKey, {QStringLiteral("*.vcf")});
    if (!chosen) {
        // With a chooser to ask, nothing chosen is the user's cancel.
        if (hooks.chooseFiles)
            CAImportProgress::noteCancelled(progress);
        return std::nullopt;
    }
    CADataSourceContainer::ImportResult result;
    bool anyRead = false;
    for (const QString &path : chosen->paths) {
        QString error;
        const CAPersonList persons = personFromVCFFile(path, &error, CAImportProgress::reporter(progress));
        if (progress && progress->stopRequested)
            return std::nullopt;
        if (!error.isEmpty())
            problems.append(error);
        if (!persons.isEmpty())
            anyRead = true;
        result.persons.append(persons);
    }
    // Files that gave nothing must not replace what was read before.
    if (!anyRead)
        return std::nullopt;
    return result;
}

void CAVCFSource::registerWith(CADataSourceContainer &container)
{
    container.registerProgressSource(name(), kCacheName,
                             CADataSourceContainer::ProgressImportFunction(
                                 [](QWidget *window, QStringList &problems, CAImportProgress *progress) {
                                     return importDataFromVCFSource(window, problems,
                                                                    PWUserDefaults::standardUserDefaults(),
                                                                    CAContactImportHooks::shared(), progress);
                                 }));
}

CAVCFSource::CAVCFSource(CADataSourceContainer &container, QObject *parent)
    : QObject(parent)
    , m_container(container)
{
}

void CAVCFSource::loadDataFromVCFFile(QWidget *window, bool direct)
{
    if (m_source)
        return;
    m_source = m_container.contactsForSource(name(), window, direct);
    Q_EMIT sourceChanged();
}

bool CAVCFSource::updateCache(QWidget *window)
{
    m_source.reset();
    loadDataFromVCFFile(window, true);
    m_container.updateCacheForSource(name());
    return true;
}

void CAVCFSource::synchronize(QWidget *window)
{
    m_source = m_container.contactsForSource(name(), window, false);
    Q_EMIT sourceChanged();
}

bool CAVCFSource::isUpdateAllowed() const
{
    return m_container.isAllowUpdateCacheForSource(name());
}
