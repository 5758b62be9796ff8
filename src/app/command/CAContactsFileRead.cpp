#include "app/command/CAContactsFileRead.h"

#include "app/command/CACommandLine.h"
#include "app/contacts/CADelimitedText.h"
#include "app/contacts/CATextEncodings.h"
#include "app/contacts/CAVCFSource.h"

#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/document/CFTADocument.h"
#include "platform/PWDescriptor.h"
#include "platform/PWJobReport.h"
#include "platform/PWPathStatus.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace CAContactsFileRead {

namespace {

using Kind = PWJobReport::Kind;

// "A", "A and B", "A, B and C".
QString listed(const QStringList &items)
{
    if (items.size() < 2)
        return items.join(QString());
    return items.first(items.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") + items.last();
}

// The fields the design's recipient addresses show that no column of a contacts file gives, as the
// user knows them; each with the keys of the import any of which gives it (a key ends so: the
// work, home and other city are each a city). A country is left out: a list of one country has
// no column for it, and the design prints none for its own.
QStringList fieldsWithoutColumn(const CADocument &document, const QStringList &placed)
{
    struct Field
    {
        textCategory category;
        const char *name;
        std::initializer_list<const char *> keys;
    };
    static const Field kFields[] = {
        {tcFullName, "Name", {"firstname", "lastname"}},
        {tcFirstName, "First Name", {"firstname"}},
        {tcLastName, "Last Name", {"lastname"}},
        {tcPrefix, "Title", {"prefix"}},
        {tcSuffix, "Suffix", {"suffix"}},
        {tcJobTitle, "Job Title", {"title"}},
        {tcCompany, "Company", {"companyname"}},
        {tcDepartment, "Department", {"department"}},
        {tcStreet, "Street", {"street"}},
        {tcCityLine, "City, State and ZIP", {"city", "state", "zip"}},
        {tcCity, "City", {"city"}},
        {tcState, "State", {"state"}},
        {tcZIP, "ZIP", {"zip"}},
    };
    const CFTADocument *kernel = document.ftDocument();
    if (!kernel)
        return {};
    QSet<int> shown;
    for (int side = 0; side < kernel->getSidesCount(); ++side)
        for (const bool back : {true, false})
            for (const CFTComponent *component : kernel->GetComponents(side, back)) {
                // Every field the address may show: one the design leaves empty is filled per person.
                if (!component || component->getClassID() != ciAddressPanel || !component->GetToFrom()
                    || component->IsHidden())
                    continue;
                const auto *panel = static_cast<const CFTAAddressPanel *>(component);
                for (unsigned int i = 0; i < panel->addressComponentCount(); ++i)
                    if (const CFTAAddressText *field = panel->addressComponentAtIndex(i); field && field->isEnabled(true))
                        shown.insert(field->GetTextCategory());
            }
    QStringList missing;
    for (const Field &field : kFields) {
        if (!shown.contains(field.category))
            continue;
        const bool given = std::any_of(placed.cbegin(), placed.cend(), [&field](const QString &key) {
            return std::any_of(field.keys.begin(), field.keys.end(),
                               [&key](const char *end) { return key.endsWith(QLatin1String(end)); });
        });
        if (!given)
            missing.append(QString::fromLatin1(field.name));
    }
    return missing;
}

// The problems of a file that gave persons: each one fails the job after its output.
void addProblems(std::vector<CADocument::PersonsNote> &notes, const QStringList &problems, qsizetype takenByQuotes)
{
    for (qsizetype i = 0; i < problems.size(); ++i)
        notes.push_back({Kind::ContactsNotAsRead, QString::number(i), problems.at(i)});
    if (takenByQuotes > 0)
        notes.push_back({Kind::ContactsNotAsRead, QStringLiteral("quotes"),
                         QStringLiteral("quoted fields of the contacts file took %1 lines that look like persons of their own")
                             .arg(takenByQuotes)});
}

// The notes of a file whose persons print as designed: lines read otherwise than written, columns
// no field takes, the fields the design shows that no column gives.
void addNotes(std::vector<CADocument::PersonsNote> &notes, const QString &path, const QStringList &readOtherwise,
              const QStringList &unread, const QStringList &withoutColumn, const QList<quint32> &otherReadings = {},
              quint32 taken = 0)
{
    // A reading the letters did not decide says how to choose another, and this one for good.
    QString choose;
    if (!otherReadings.isEmpty()) {
        QStringList options;
        for (const quint32 encoding : otherReadings)
            options.append(QStringLiteral("--encoding ") + CATextEncodings::name(encoding));
        options.append(QStringLiteral("--encoding ") + CATextEncodings::name(taken));
        choose = QStringLiteral(" Choose with %1.").arg(options.join(QStringLiteral(" or ")));
    }
    // The note of the file's encoding comes first.
    for (qsizetype i = 0; i < readOtherwise.size(); ++i)
        notes.push_back({Kind::ContactsReadOtherwise, QString::number(i), readOtherwise.at(i) + (i == 0 ? choose : QString())});
    const QString file = QFileInfo(path).fileName();
    if (!unread.isEmpty()) {
        // An export of a mail program has dozens of columns no label prints: a few are named, and
        // every part of an address among them (the reader lists those first).
        const qsizetype named = std::max<qsizetype>(
            8, std::count_if(unread.cbegin(), unread.cend(), &CADelimitedText::namesAnAddressPart));
        QStringList quoted;
        for (const QString &column : unread.first(std::min(unread.size(), named)))
            quoted.append(QStringLiteral("\"%1\"").arg(column));
        if (unread.size() > named)
            quoted.append(QStringLiteral("%1 more").arg(unread.size() - named));
        notes.push_back({Kind::ColumnsNotRead, path,
                         (unread.size() == 1 ? QStringLiteral("%1: the column %2 holds no field the program knows and is not read")
                                             : QStringLiteral("%1: the columns %2 hold no field the program knows and are not read"))
                             .arg(file, listed(quoted))});
    }
    if (!withoutColumn.isEmpty())
        notes.push_back({Kind::FieldsWithoutColumn, path,
                         QStringLiteral("%1: no column gives the %2 that the design's address shows; it prints without %3")
                             .arg(file, listed(withoutColumn),
                                  withoutColumn.size() == 1 ? QStringLiteral("it") : QStringLiteral("them"))});
}

// Why the contacts file at path is not there: missing, or the system's reason it cannot be
// reached (a name past the system's length, a loop of links).
QString notThere(const QString &path, int error)
{
    const QString why = PWPathStatus::missingReason(error);
    if (why.isEmpty())
        return QStringLiteral("the contacts file does not exist: %1").arg(path);
    return QStringLiteral("the contacts file cannot be reached (%1): %2").arg(why, path);
}

} // namespace

std::optional<Result> read(const QString &path, const CATextFileSource::ColumnChoices &columns, Format format,
                           const CADocument *design, QString *reason, const CATextFileSource::EncodingChoice &encoding)
{
    const QByteArray bytes = CACommandLine::pathBytes(path);
    int error = 0;
    const PWPathStatus::Kind kind = PWPathStatus::kindAt(bytes, &error);
    if (kind == PWPathStatus::Kind::Missing) {
        *reason = notThere(path, error);
        return std::nullopt;
    }
    // A pipe would hold the job for good, a device would never end: refused before any open.
    if (kind != PWPathStatus::Kind::RegularFile) {
        *reason = QStringLiteral("the contacts file cannot be read: %1: not a regular file").arg(path);
        return std::nullopt;
    }
    // An open file named by its bytes, and a name the readers of the toolkit can open it by.
    const PWDescriptor opened = PWDescriptor::openToRead(bytes);
    if (!PWPathStatus::isReadable(bytes)) {
        *reason = QStringLiteral("the contacts file cannot be read: %1").arg(path);
        return std::nullopt;
    }
    // A name that is text is read by itself, so that what the readers report names it.
    const QString readable = QFile::encodeName(path) == bytes ? path : QString::fromLatin1(opened.processPath());
    Result result;
    // The extension decides whatever its case: "CARDS.VCF" is a vCard file too.
    const bool vCard = format == Format::VCard
                       || (format == Format::ByExtension
                           && QFileInfo(path).suffix().compare(QStringLiteral("vcf"), Qt::CaseInsensitive) == 0);
    if (vCard) {
        if (encoding.encoding) {
            *reason = QStringLiteral("--encoding is for delimited text; a vCard file names its own: %1").arg(path);
            return std::nullopt;
        }
        QString failure;
        QStringList readOtherwise;
        result.persons = CAVCFSource::personFromVCFFile(readable, &failure, {}, &readOtherwise);
        if (result.persons.isEmpty()) {
            *reason = QStringLiteral("no persons in the contacts file %1%2")
                          .arg(path, failure.isEmpty() ? QString() : QStringLiteral(": ") + failure);
            return std::nullopt;
        }
        if (!failure.isEmpty())
            addProblems(result.notes, {failure}, 0);
        addNotes(result.notes, path, readOtherwise, {}, {});
        return result;
    }
    QStringList problems;
    std::optional<QStringList> nameless;
    qsizetype takenByQuotes = 0;
    CATextFileSource::ColumnsRead read;
    std::optional<CAPersonList> persons =
        CATextFileSource::personsFromTextFile(readable, columns, &problems, &nameless, &takenByQuotes, &read, encoding);
    if (read.cancelled) {
        *reason = QStringLiteral("the reading of the contacts file was cancelled: %1").arg(path);
        return std::nullopt;
    }
    if (nameless) {
        // Labels without names are no merge: nothing prints, and the reason says what to place.
        QStringList quoted;
        for (const QString &column : std::as_const(*nameless))
            quoted.append(QStringLiteral("\"%1\"").arg(column));
        *reason = quoted.isEmpty()
                      ? QStringLiteral("no column of the contacts file %1 holds a name (first, last or company name) "
                                       "and no header row names its columns; place them with --column \"HEADER=KEY\"")
                            .arg(path)
                      : QStringLiteral("no column of the contacts file %1 holds a name (first, last or company name); "
                                       "the columns %2 are not read: place them with --column \"HEADER=KEY\"")
                            .arg(path, quoted.join(QStringLiteral(", ")));
        return std::nullopt;
    }
    if (!persons || persons->isEmpty()) {
        // Every problem counts here: the one that explains an empty result (no column holds a
        // person field) need not be the first.
        *reason = QStringLiteral("no persons in the contacts file %1%2")
                      .arg(path, problems.isEmpty() ? QString() : QStringLiteral(": ") + problems.join(u' '));
        return std::nullopt;
    }
    result.persons = std::move(*persons);
    addProblems(result.notes, problems, takenByQuotes);
    addNotes(result.notes, path, read.notes, read.unread, design ? fieldsWithoutColumn(*design, read.placed) : QStringList(),
             read.otherReadings, read.encoding);
    return result;
}

void noteAll(const std::vector<CADocument::PersonsNote> &notes)
{
    for (const CADocument::PersonsNote &note : notes)
        PWJobReport::note(note.kind, note.key, note.line);
}

} // namespace CAContactsFileRead
