// Contacts files in the shapes mail programs, webmail and spreadsheets export them, each header as
// its program writes it, in the encodings they come in: every field of every person lands in its
// field, or the reading names the column it leaves out; printed on a label, an envelope and an
// envelope with a window, the job is done (exit 0) exactly when every person prints whole.
#include "ExportShapesSupport.h"
#include "ProgramRunSupport.h"
#include "../../kernel/merge/PrintingTestSupport.h"

#include "app/contacts/CADelimitedText.h"
#include "app/contacts/CATextFileSource.h"
#include "platform/PWMultiValue.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace exportshapes;

namespace {

using commandtest::ProgramRun;
using commandtest::runProgram;

// The fields a shape writes for a person, by the columns of its header.
QSet<Field> fieldsWritten(const Shape &shape, const QStringList &header, const ShapePerson &person)
{
    QSet<Field> written;
    for (const QString &column : header) {
        const Field field = shape.field(column, person.block);
        if (!person.value(field).isEmpty())
            written.insert(field);
    }
    return written;
}

// The street lines the person's address holds after reading: the street, its next lines, the PO box.
QString streetLines(const ShapePerson &person, const QSet<Field> &written)
{
    QStringList lines;
    for (const Field field : {Field::Street, Field::Street2, Field::Street3, Field::PoBox}) {
        if (written.contains(field))
            lines.append(person.value(field));
    }
    return lines.join(u'\n');
}

QString labelOf(Block block)
{
    return block == Block::Work ? kPWAddressWorkLabel : block == Block::Home ? kPWAddressHomeLabel : u"other"_s;
}

struct Read
{
    std::optional<CAPersonList> persons;
    QStringList problems;
    CATextFileSource::ColumnsRead columns;
};

Read readFile(const QString &path)
{
    Read read;
    std::optional<QStringList> nameless;
    qsizetype takenByQuotes = 0;
    read.persons = CATextFileSource::personsFromTextFile(path, {}, &read.problems, &nameless, &takenByQuotes, &read.columns);
    EXPECT_FALSE(nameless.has_value());
    EXPECT_EQ(takenByQuotes, 0);
    return read;
}

class BatchJobExportShapesTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }
    QString path(const QString &name) const { return m_folder.filePath(name); }
    QTemporaryDir m_folder;
};

TEST_F(BatchJobExportShapesTest, EveryColumnOfEveryShapeAndEncodingLandsInItsFieldOrIsNamed)
{
    const QList<std::pair<Field, const QString *>> single = {
        {Field::Prefix, &kPWTitleProperty},       {Field::First, &kPWFirstNameProperty},
        {Field::Middle, &kPWMiddleNameProperty},  {Field::Last, &kPWLastNameProperty},
        {Field::Suffix, &kPWSuffixProperty},      {Field::Company, &kPWOrganizationProperty},
        {Field::JobTitle, &kPWJobTitleProperty},
    };
    for (const Shape &shape : shapes()) {
        SCOPED_TRACE(shape.name);
        const QStringList header = headerOf(shape);
        ASSERT_GT(header.size(), 5);
        for (const Encoding &encoding : encodings()) {
            SCOPED_TRACE(encoding.name);
            ASSERT_TRUE(pwtest::writeFile(path(u"contacts.csv"_s), exportOf(shape, encoding)));
            const Read read = readFile(path(u"contacts.csv"_s));
            ASSERT_TRUE(read.persons.has_value()) << read.problems.join(u'\n').toStdString();
            EXPECT_TRUE(read.problems.isEmpty()) << read.problems.join(u'\n').toStdString();
            // A file a guess read in an 8-bit encoding says so once, naming the file.
            EXPECT_EQ(read.columns.notes,
                      encoding.readAs.isEmpty()
                          ? QStringList()
                          : QStringList{u"contacts.csv: The file is not UTF-8 text; it was read as "_s + encoding.readAs + u'.'});
            const QList<ShapePerson> people = encoding.persons();
            ASSERT_EQ(read.persons->size(), people.size());
            for (qsizetype i = 0; i < people.size(); ++i) {
                const ShapePerson &person = people.at(i);
                const PWPerson &got = *read.persons->at(i);
                SCOPED_TRACE(person.first.toStdString());
                const QSet<Field> written = fieldsWritten(shape, header, person);
                for (const auto &[field, property] : single) {
                    if (written.contains(field)) {
                        EXPECT_EQ(got.stringForProperty(*property), person.value(field)) << property->toStdString();
                    }
                }
                if (written.contains(Field::Department)) {
                    EXPECT_EQ(got.stringForProperty(u"ABDepartment"_s), person.department);
                }
                // The address under the label of its kind, the country's name rather than its code.
                const std::optional<PWMultiValue> addresses = got.multiValueForProperty(kPWAddressProperty);
                ASSERT_TRUE(addresses.has_value());
                ASSERT_EQ(addresses->count(), 1);
                EXPECT_EQ(addresses->labelAtIndex(0), labelOf(shape.slot(person.block)));
                const PWPlist address = addresses->valueAtIndex(0);
                EXPECT_EQ(address.value(kPWAddressStreetKey).toString(), streetLines(person, written));
                for (const auto &[field, key] : {std::pair{Field::City, &kPWAddressCityKey}, std::pair{Field::State, &kPWAddressStateKey},
                                                 std::pair{Field::Zip, &kPWAddressZIPKey}, std::pair{Field::Country, &kPWAddressCountryKey}}) {
                    EXPECT_EQ(address.value(*key).toString(), written.contains(field) ? person.value(field) : QString())
                        << key->toStdString();
                }
            }
            // Every column a person field of the program is read; only the others are named unread.
            for (qsizetype column = 0; column < header.size(); ++column) {
                const Field field = shape.field(header.at(column), people.first().block);
                const bool personField = field != Field::None && field != Field::Empty && field != Field::Kind
                                         && field != Field::FullName && field != Field::Formatted
                                         && field != Field::CountryCode;
                if (personField) {
                    EXPECT_FALSE(read.columns.unread.contains(header.at(column))) << qPrintable(header.at(column));
                }
            }
        }
    }
}

// The categories a design's recipient addresses show.
QSet<int> shownCategories(const QString &design)
{
    CADocument document;
    QString error;
    EXPECT_TRUE(document.readFromFile(design, &error)) << qPrintable(error);
    QSet<int> shown;
    const CFTADocument *kernel = document.ftDocument();
    for (int side = 0; kernel && side < kernel->getSidesCount(); ++side)
        for (const bool back : {true, false})
            for (const CFTComponent *component : kernel->GetComponents(side, back)) {
                if (!component || component->getClassID() != ciAddressPanel || !component->GetToFrom())
                    continue;
                const auto *panel = static_cast<const CFTAAddressPanel *>(component);
                for (unsigned int i = 0; i < panel->addressComponentCount(); ++i)
                    if (const CFTAAddressText *text = panel->addressComponentAtIndex(i); text && text->isEnabled(true))
                        shown.insert(text->GetTextCategory());
            }
    return shown;
}

bool shows(const QSet<int> &shown, Field field)
{
    const QHash<Field, QList<int>> categories = {
        {Field::Prefix, {tcPrefix}},        {Field::First, {tcFirstName, tcFullName}},
        {Field::Middle, {tcMiddleName}},    {Field::Last, {tcLastName, tcFullName}},
        {Field::Suffix, {tcSuffix}},        {Field::Company, {tcCompany}},
        {Field::JobTitle, {tcJobTitle}},    {Field::Department, {tcDepartment}},
        {Field::Street, {tcStreet}},        {Field::Street2, {tcStreet}},
        {Field::Street3, {tcStreet}},       {Field::PoBox, {tcStreet}},
        {Field::City, {tcCity, tcCityLine}}, {Field::State, {tcState, tcCityLine}},
        {Field::Zip, {tcZIP, tcCityLine}},
    };
    const QList<int> any = categories.value(field);
    return std::any_of(any.cbegin(), any.cend(), [&shown](int category) { return shown.contains(category); });
}

// An envelope with an address window, its recipient beside the window: nothing is cut.
bool writeWindowEnvelope(const QString &file, QString *error)
{
    CAEnvironment::setDefaultCountry(u"us"_s);
    const std::shared_ptr<CATemplateFormat> predefined =
        CATemplateFormat::findPredefLayoutManufacturerID(dtEnvelope, QString(), u"10 Window"_s);
    if (!predefined || !predefined->hasWindow()) {
        *error = u"no envelope with a window"_s;
        return false;
    }
    // The window moved to the right, so that a panel as wide as the recipient's fits beside it.
    auto layout = std::make_shared<CATemplateFormat>(*predefined);
    layout->setWinLeftOffset(float(layout->ItemWidth() - 250.0));
    layout->setWinWidth(230.0f);
    CADocument document(std::make_unique<CFTADocument>(dtEnvelope, CDDString(u"us"_s), CDDString(u"us"_s)));
    document.setLayoutArangeComponents(*layout, false);
    const std::unique_ptr<CAddressFormat> format = CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
        u"Name+Title+Company"_s, u"us"_s, true, CAddressFormatController::kBarcodeBelow);
    auto panel = std::make_unique<CFTAAddressPanel>(true, format.get(), nullptr, false);
    // Left of the window, level with its top: nothing prints over the window's film.
    panel->SetOrigin(18.0, layout->ItemHeight() - layout->getWinBottomOffset() - layout->getWinHeight());
    document.ftDocument()->AddObject(panel.release(), 0, false);
    return document.writeToFile(file, error);
}

TEST_F(BatchJobExportShapesTest, EveryPersonPrintsWholeOnTheSampleDesignsOrTheJobSaysWhy)
{
    const QString library = QStringLiteral(PW_SAMPLE_LIBRARY_DIR) + u"/Parcelwick/Templates/en.lproj/"_s;
    QString error;
    ASSERT_TRUE(writeWindowEnvelope(path(u"window.pwdc"_s), &error)) << qPrintable(error);
    const QString designs[] = {library + u"Mailing1/Business/Classic.pwdc"_s, library + u"Envelope2/Business/Classic.pwdc"_s,
                               path(u"window.pwdc"_s)};
    for (const Shape &shape : shapes()) {
        SCOPED_TRACE(shape.name);
        const QStringList header = headerOf(shape);
        for (const QString &encodingName : shape.printedIn) {
            const Encoding &encoding = encodingNamed(encodingName.toLatin1().constData());
            SCOPED_TRACE(encoding.name);
            ASSERT_TRUE(pwtest::writeFile(path(u"contacts.csv"_s), exportOf(shape, encoding)));
            const QStringList unread = readFile(path(u"contacts.csv"_s)).columns.unread;
            for (const QString &design : designs) {
                SCOPED_TRACE(design.toStdString());
                ASSERT_TRUE(QFile::exists(design));
                const QSet<int> shown = shownCategories(design);
                QFile::remove(path(u"out.pdf"_s));
                const ProgramRun run = runProgram(
                    {u"--print"_s, design, u"--contacts"_s, path(u"contacts.csv"_s), u"--output"_s, path(u"out.pdf"_s)});
                ASSERT_EQ(run.status, 0) << qPrintable(run.err);
                QStringList words;
                const printtest::PrintedPdf printed(path(u"out.pdf"_s));
                for (int page = 0; page < printed.pageCount(); ++page)
                    for (const auto &[word, box] : printed.words(page))
                        words.append(word);
                const QString all = words.join(u' ');
                for (const ShapePerson &person : encoding.persons()) {
                    const QSet<Field> written = fieldsWritten(shape, header, person);
                    for (const Field field : written) {
                        if (!shows(shown, field))
                            continue;
                        for (const QString &word : person.value(field).split(u' '))
                            EXPECT_TRUE(words.contains(word) || words.contains(word + u',')) << qPrintable(word + u" in: "_s + all);
                    }
                    // The city line as the format of the country writes it: the comma before the
                    // state only after a city, the state before the ZIP (never the country in its
                    // place).
                    if (shows(shown, Field::State) && shows(shown, Field::Zip) && person.country.isEmpty()) {
                        const QString line = (person.city.isEmpty() ? QString() : person.city + u", "_s) + person.state + u' ' + person.zip;
                        EXPECT_TRUE(all.contains(line)) << qPrintable(line + u" in: "_s + all);
                    }
                }
                // No column no address prints, no kind of an address and no country's code.
                static const QRegularExpression strays(u"\\b(tok[0-9]+|Work|Home|Other|MX)\\b"_s);
                EXPECT_FALSE(strays.match(all).hasMatch()) << qPrintable(all);
                // The note names every column left unread that holds a part of an address; the
                // rest it may count.
                const QString note = run.err.section(u"contacts.csv: the column"_s, 1).section(u'\n', 0, 0);
                EXPECT_EQ(note.isEmpty(), unread.isEmpty()) << qPrintable(run.err);
                qsizetype told = note.count(u'"') / 2;
                static const QRegularExpression more(u"(\\d+) more"_s);
                if (const QRegularExpressionMatch counted = more.match(note); counted.hasMatch())
                    told += counted.captured(1).toInt();
                EXPECT_EQ(told, unread.size()) << qPrintable(note);
                for (const QString &column : unread) {
                    if (CADelimitedText::namesAnAddressPart(column)) {
                        EXPECT_TRUE(note.contains(u'"' + column + u'"')) << qPrintable(column + u" in: "_s + note);
                    }
                }
                EXPECT_EQ(run.err.contains(u"contacts.csv: The file is not UTF-8 text; it was read as "_s + encoding.readAs + u'.'),
                          !encoding.readAs.isEmpty())
                    << qPrintable(run.err);
            }
        }
    }
}

} // namespace
