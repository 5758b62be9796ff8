#include "app/contacts/CATextFileSource.h"

#include "app/contacts/CAImportWorker.h"

#include "app/contacts/CAContactsLog.h"
#include "app/contacts/CATextFileImport.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWBundle.h"
#include "platform/PWFileReader.h"
#include "platform/PWUserDefaults.h"

#include <QFileInfo>

#include <algorithm>

namespace {

const QString kFolderKey = QStringLiteral("textFileOpenDialogDirectory");

// Text has no NUL byte in its first few kilobytes, unless it is UTF-16, whose zeros alternate
// or follow a byte-order mark; anything else chosen by mistake is refused before it is read whole.
bool looksLikeText(QByteArrayView head)
{
    if (head.size() >= 2 && ((quint8(head[0]) == 0xFF && quint8(head[1]) == 0xFE)
                             || (quint8(head[0]) == 0xFE && quint8(head[1]) == 0xFF)))
        return true;
    qsizetype zeros[2] = {0, 0};
    for (qsizetype i = 0; i < head.size(); ++i) {
        if (head[i] == 0)
            ++zeros[i % 2];
    }
    if (zeros[0] == 0 && zeros[1] == 0)
        return true;
    // UTF-16 without a mark: the zeros all in one of the two places.
    return zeros[0] == 0 || zeros[1] == 0;
}

PWFileReader::Signature textSignature()
{
    PWFileReader::Signature signature;
    signature.matches = &looksLikeText;
    signature.headBytes = 4096;
    signature.refusal = QStringLiteral("the file holds binary data, not text");
    return signature;
}

} // namespace

const QString CATextFileSource::kCacheName = QStringLiteral("TextFileSource");

QString CATextFileSource::name()
{
    return ContactsTextFileSource.isEmpty() ? PWLocalizedString(QStringLiteral("TextFile")) : ContactsTextFileSource;
}

std::optional<CAPersonList> CATextFileSource::personsFromTextFile(const QString &path, QStringList *problems)
{
    return readTextFile(path, nullptr, problems, nullptr, nullptr, nullptr, EncodingChoice());
}

std::optional<CAPersonList> CATextFileSource::personsFromTextFile(const QString &path, const ColumnChoices &columns,
                                                                  QStringList *problems, std::optional<QStringList> *nameless,
                                                                  qsizetype *takenByQuotes, ColumnsRead *columnsRead,
                                                                  const EncodingChoice &encoding)
{
    return readTextFile(path, &columns, problems, nameless, takenByQuotes, columnsRead, encoding);
}

std::optional<CAPersonList> CATextFileSource::readTextFile(const QString &path, const ColumnChoices *columns,
                                                           QStringList *problems, std::optional<QStringList> *nameless,
                                                           qsizetype *takenByQuotes, ColumnsRead *columnsRead,
                                                           const EncodingChoice &encoding)
{
    PWFileReader::Result file = PWFileReader::read(path, PWFileReader::kDelimitedTextLimit, textSignature());
    if (!file.ok()) {
        if (problems)
            problems->append(QStringLiteral("%1 could not be read: %2.").arg(QFileInfo(path).fileName(), file.reason));
        qCWarning(lcContacts).noquote() << "text file not read:" << path << file.reason;
        return std::nullopt;
    }
    QStringList read;
    // The choices a user makes in the import dialog, made here from the caller's column list:
    // each named header's column holds its field, and the header row is a header. The columns
    // that end up holding no field are named.
    CAContactImportHooks hooks;
    CATextImportOptions options;
    bool refusedNameless = false;
    bool cancelled = false;
    if (columns) {
        options.showDialog = true;
        hooks.confirmTextImport = [columns, &read, &refusedNameless, &cancelled, nameless, takenByQuotes, columnsRead,
                                   &encoding](CADelimitedText &text, const CATextImportOptions &, QWidget *) {
            if (encoding.encoding) {
                text.setEncoding(*encoding.encoding);
            } else if (!text.decidedByLetters() && encoding.askWhenUndecided) {
                if (!encoding.askWhenUndecided(text)) {
                    cancelled = true;
                    if (columnsRead)
                        columnsRead->cancelled = true;
                    return false;
                }
            }
            if (takenByQuotes)
                *takenByQuotes = text.recordsTakenByQuotes();
            const QStringList header = text.row(0);
            CADelimitedText::Registry registry = text.registry();
            // Columns the caller chose to leave unread: no column to name as unread by mistake.
            QList<qsizetype> skipped;
            for (const auto &[name, key] : *columns) {
                qsizetype column = -1;
                for (qsizetype i = 0; i < header.size() && column < 0; ++i) {
                    if (header.at(i).trimmed().compare(name, Qt::CaseInsensitive) == 0)
                        column = i;
                }
                if (column < 0) {
                    read.append(QStringLiteral("No column is headed \"%1\".").arg(name));
                    continue;
                }
                // As in the dialog a column holds one field: the choice takes the place of what
                // the header's keywords gave the column, and "skip" leaves it unread. A key has
                // one column, so choosing it for this one takes it from any other.
                for (auto it = registry.begin(); it != registry.end();)
                    it = it.value() == int(column) ? registry.erase(it) : std::next(it);
                if (key != QLatin1String("skip"))
                    registry.insert(key, int(column));
                else
                    skipped.append(column);
                text.setHasHeader(true);
            }
            text.setRegistry(registry);
            const QList<int> placed = registry.values();
            QStringList unplaced;
            if (text.hasHeader()) {
                for (qsizetype i = 0; i < header.size(); ++i) {
                    if (!placed.contains(int(i)) && !skipped.contains(i) && !header.at(i).trimmed().isEmpty())
                        unplaced.append(header.at(i).trimmed());
                }
                // A part of an address unread is what a reader of the list must not miss: first.
                std::stable_partition(unplaced.begin(), unplaced.end(), &CADelimitedText::namesAnAddressPart);
            }
            // Persons without any name print as labels without names: the merge is refused and the
            // caller is told which columns were not read.
            static const QStringList kNameKeys = {QStringLiteral("firstname"), QStringLiteral("lastname"),
                                                  QStringLiteral("companyname")};
            const bool named = std::any_of(kNameKeys.cbegin(), kNameKeys.cend(),
                                           [&registry](const QString &key) { return registry.contains(key); });
            if (nameless && !named && text.recordsCount() > 0) {
                nameless->emplace(unplaced);
                refusedNameless = true;
                return false;
            }
            if (columnsRead) {
                columnsRead->unread = unplaced;
                columnsRead->placed = registry.keys();
                columnsRead->notes = text.notes();
                columnsRead->encoding = text.encoding();
                if (const std::optional<CATextEncodings::EightBitReading> reading = text.eightBitReading();
                    reading && !text.decidedByLetters())
                    columnsRead->otherReadings = reading->alternatives;
                return true;
            }
            for (const QString &column : std::as_const(unplaced))
                read.append(QStringLiteral("The column \"%1\" holds no known field and is not read.").arg(column));
            return true;
        };
    }
    QStringList codeNotes;
    std::optional<CAPersonList> persons = CATextFileImport::peopleFromData(
        std::move(file.bytes), options, nullptr, &read, hooks, CATextFileImport::RecordReport(),
        columnsRead ? &codeNotes : nullptr);
    if (columnsRead)
        columnsRead->notes.append(codeNotes);
    if (refusedNameless || cancelled)
        return std::nullopt;
    if (columnsRead) {
        // Said as every problem is, of the file by its name.
        for (QString &note : columnsRead->notes) {
            read.removeOne(note);
            note = QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), note);
        }
    }
    if (problems) {
        for (const QString &problem : std::as_const(read))
            problems->append(QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), problem));
    }
    return persons;
}

std::optional<CADataSourceContainer::ImportResult>
CATextFileSource::importDataFromTextFileSource(QWidget *window, QStringList &problems, PWUserDefaults &defaults,
                                               const CAContactImportHooks &hooks, CAImportProgress *progress)
{
    const std::optional<CAContactImportHooks::ChosenFiles> chosen =
        hooks.chooseFilesFrom(window, defaults, kFolderKey, {});
    if (!chosen) {
        // With a chooser to ask, nothing chosen is the user's cancel.
        if (hooks.chooseFiles)
            CAImportProgress::noteCancelled(progress);
        return std::nullopt;
    }
    CATextImportOptions options;
    options.showDialog = true;
    options.delimiterChoice = true;
    options.encodingChoice = true;
    CADataSourceContainer::ImportResult result;
    bool anyList = false;
    // Whether the user said no to the import dialog of every file chosen.
    bool everyDialogCancelled = !chosen->paths.isEmpty();
    for (const QString &path : chosen->paths) {
        const QString fileName = QFileInfo(path).fileName();
        PWFileReader::Result file = PWFileReader::read(path, PWFileReader::kDelimitedTextLimit, textSignature());
        if (!file.ok()) {
            everyDialogCancelled = false;
            problems.append(QStringLiteral("%1 could not be read: %2.").arg(fileName, file.reason));
            qCWarning(lcContacts).noquote() << "text file not read:" << path << file.reason;
            continue;
        }
        QStringList read;
        const std::optional<CAPersonList> persons = CATextFileImport::peopleFromData(
            std::move(file.bytes), options, window, &read, hooks, CAImportProgress::reporter(progress));
        if (progress && progress->stopRequested)
            return std::nullopt;
        // Nothing at all, rather than a list, is the dialog's Cancel.
        if (persons)
            everyDialogCancelled = false;
        for (const QString &problem : std::as_const(read))
            problems.append(QStringLiteral("%1: %2").arg(fileName, problem));
        if (persons && persons->isEmpty())
            problems.append(QStringLiteral("%1 holds no records.").arg(fileName));
        if (!persons || persons->isEmpty())
            continue;
        anyList = true;
        result.persons.append(*persons);
    }
    // Files that gave nothing must not replace what was read before. Cancelled in every dialog, the
    // import is the user's cancel, no failure.
    if (!anyList) {
        if (everyDialogCancelled)
            CAImportProgress::noteCancelled(progress);
        return std::nullopt;
    }
    return result;
}

void CATextFileSource::registerWith(CADataSourceContainer &container)
{
    container.registerProgressSource(name(), kCacheName,
                             CADataSourceContainer::ProgressImportFunction(
                                 [](QWidget *window, QStringList &problems, CAImportProgress *progress) {
                                     return importDataFromTextFileSource(window, problems,
                                                                         PWUserDefaults::standardUserDefaults(),
                                                                         CAContactImportHooks::shared(), progress);
                                 }));
}

CATextFileSource::CATextFileSource(CADataSourceContainer &container, QObject *parent)
    : QObject(parent)
    , m_container(container)
{
}

void CATextFileSource::updateFromDataSource(QWidget *window, bool force)
{
    m_source = m_container.contactsForSource(name(), window, force);
    Q_EMIT sourceChanged();
}

bool CATextFileSource::updateCache(QWidget *window)
{
    updateFromDataSource(window, true);
    m_container.updateCacheForSource(name());
    return true;
}

void CATextFileSource::synchronize(QWidget *window)
{
    if (!m_container.getCachedDataForSource(kCacheName))
        return;
    m_source = m_container.contactsForSource(name(), window, false);
    Q_EMIT sourceChanged();
}

bool CATextFileSource::isUpdateAllowed() const
{
    return m_container.isAllowUpdateCacheForSource(name());
}
