// Contacts files in the shapes mail programs, webmail and spreadsheets export them, printed on
// shipped sample designs: the job is done (exit 0) exactly when every person's name, street lines,
// city, state and ZIP are among the words of the output, and otherwise fails naming what is missing.
#include "TestSupport.h"
#include "ProgramRunSupport.h"
#include "../../kernel/merge/PrintingTestSupport.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

using commandtest::ProgramRun;
using commandtest::runProgram;

struct ShapePerson
{
    QString first, last, street, street2, city, state, zip;
    bool atHome = false; // where a file keeps home and business addresses apart
};

const ShapePerson kShapePersons[] = {
    {u"Ann"_s, u"Abbott"_s, u"1 Elm St"_s, u"Suite 5"_s, u"Springfield"_s, u"IL"_s, u"62701"_s},
    {u"Bob"_s, u"Baker"_s, u"9 Main St"_s, u""_s, u"Portland"_s, u"OR"_s, u"97201"_s, true},
    {u"Zoë"_s, u"Müller"_s, u"4 Lake Dr"_s, u"Apt 2"_s, u"Denver"_s, u"CO"_s, u"80202"_s},
    // A state without a city: no comma stands before it.
    {u"Cy"_s, u"Carver"_s, u"2 Oak Rd"_s, u"Floor 3"_s, u""_s, u"CA"_s, u"90001"_s, true},
    {u"Eve"_s, u"Großmann"_s, u"7 Bay St"_s, u""_s, u"Seattle"_s, u"WA"_s, u"98101"_s},
};

// The words a label of the person shows: names, street lines, the city with the comma of the
// format before the state and ZIP, the state, the ZIP.
QStringList shownWords(const ShapePerson &person)
{
    QStringList words = {person.first, person.last, person.state, person.zip};
    words += person.street.split(u' ');
    if (!person.street2.isEmpty())
        words += person.street2.split(u' ');
    if (!person.city.isEmpty())
        words.append(person.city + u',');
    return words;
}

// A field as exports write it: quoted when it holds the delimiter, a quote or a line break.
QString exportField(const QString &value, QChar delimiter)
{
    if (!value.contains(delimiter) && !value.contains(u'"') && !value.contains(u'\n'))
        return value;
    return u'"' + QString(value).replace(u"\""_s, u"\"\""_s) + u'"';
}

struct ExportShape
{
    const char *name;
    QChar delimiter;
    QStringList header;
    // The value of each column for a person; the columns not given are empty.
    std::function<QHash<QString, QString>(const ShapePerson &)> values;
    const char *charset = "UTF-8";
    QStringList columns = {}; // --column choices
    int status = 0;
    QString named = {}; // what the failure names
};

QByteArray exportOf(const ExportShape &shape)
{
    QStringList lines;
    lines.append(shape.header.join(shape.delimiter));
    for (const ShapePerson &person : kShapePersons) {
        const QHash<QString, QString> values = shape.values(person);
        QStringList fields;
        for (const QString &column : shape.header)
            fields.append(exportField(values.value(column), shape.delimiter));
        lines.append(fields.join(shape.delimiter));
    }
    QStringEncoder encoder(shape.charset);
    return encoder.encode(lines.join(u"\r\n"_s) + u"\r\n"_s);
}

QString cityLine(const ShapePerson &person)
{
    return (person.city.isEmpty() ? QString() : person.city + u", "_s) + person.state + u' ' + person.zip;
}

const QStringList kWebmailAddressColumns = {
    u"Address 1 - Type"_s,        u"Address 1 - Formatted"_s,   u"Address 1 - Street"_s,
    u"Address 1 - City"_s,        u"Address 1 - PO Box"_s,      u"Address 1 - Region"_s,
    u"Address 1 - Postal Code"_s, u"Address 1 - Country"_s,     u"Address 1 - Extended Address"_s};

QHash<QString, QString> webmailAddress(const ShapePerson &p, const QString &kind)
{
    const QString formatted = p.street + (p.street2.isEmpty() ? QString() : u'\n' + p.street2) + u'\n' + cityLine(p);
    return {{kind, u"Work"_s},
            {u"Address 1 - Formatted"_s, formatted},
            {u"Address 1 - Street"_s, p.street},
            {u"Address 1 - City"_s, p.city},
            {u"Address 1 - Region"_s, p.state},
            {u"Address 1 - Postal Code"_s, p.zip},
            {u"Address 1 - Extended Address"_s, p.street2}};
}

QList<ExportShape> exportShapes()
{
    QStringList webmailNew = {u"First Name"_s, u"Middle Name"_s, u"Last Name"_s, u"Phonetic First Name"_s,
                              u"Nickname"_s, u"File As"_s, u"Organization Name"_s, u"Organization Title"_s,
                              u"Birthday"_s, u"Notes"_s, u"Labels"_s, u"E-mail 1 - Label"_s, u"E-mail 1 - Value"_s,
                              u"Phone 1 - Label"_s, u"Phone 1 - Value"_s};
    webmailNew += kWebmailAddressColumns;
    webmailNew[webmailNew.indexOf(u"Address 1 - Type"_s)] = u"Address 1 - Label"_s;
    QStringList webmailOld = {u"Name"_s, u"Given Name"_s, u"Additional Name"_s, u"Family Name"_s, u"Name Prefix"_s,
                              u"Name Suffix"_s, u"Nickname"_s, u"Group Membership"_s, u"E-mail 1 - Type"_s,
                              u"E-mail 1 - Value"_s};
    webmailOld += kWebmailAddressColumns;
    const auto webmailOldValues = [](const ShapePerson &p) {
        QHash<QString, QString> values = webmailAddress(p, u"Address 1 - Type"_s);
        values.insert(u"Name"_s, p.first + u' ' + p.last);
        values.insert(u"Given Name"_s, p.first);
        values.insert(u"Family Name"_s, p.last);
        values.insert(u"Group Membership"_s, u"* My Contacts"_s);
        values.insert(u"E-mail 1 - Type"_s, u"* Home"_s);
        return values;
    };
    const QStringList desktop = {u"Title"_s, u"First Name"_s, u"Middle Name"_s, u"Last Name"_s, u"Suffix"_s,
                                 u"Company"_s, u"Department"_s, u"Job Title"_s, u"Business Street"_s,
                                 u"Business Street 2"_s, u"Business Street 3"_s, u"Business City"_s,
                                 u"Business State"_s, u"Business Postal Code"_s, u"Business Country/Region"_s,
                                 u"Home Street"_s, u"Home Street 2"_s, u"Home City"_s, u"Home State"_s,
                                 u"Home Postal Code"_s, u"Business Phone"_s, u"E-mail Address"_s, u"Notes"_s};
    // Some persons at home: each address kind with its own second line.
    const auto desktopValues = [](const ShapePerson &p) {
        const QString kind = p.atHome ? u"Home"_s : u"Business"_s;
        return QHash<QString, QString>{{u"First Name"_s, p.first},
                                       {u"Last Name"_s, p.last},
                                       {kind + u" Street"_s, p.street},
                                       {kind + u" Street 2"_s, p.street2},
                                       {kind + u" City"_s, p.city},
                                       {kind + u" State"_s, p.state},
                                       {kind + u" Postal Code"_s, p.zip},
                                       {u"Notes"_s, u"met at the fair, twice"_s}};
    };
    const QStringList client = {u"First Name"_s, u"Last Name"_s, u"Display Name"_s, u"Nickname"_s,
                                u"Primary Email"_s, u"Work Phone"_s, u"Home Address"_s, u"Home Address 2"_s,
                                u"Home City"_s, u"Home State"_s, u"Home ZipCode"_s, u"Home Country"_s,
                                u"Job Title"_s, u"Organization"_s, u"Notes"_s};
    const auto clientValues = [](const ShapePerson &p) {
        return QHash<QString, QString>{{u"First Name"_s, p.first},       {u"Last Name"_s, p.last},
                                       {u"Display Name"_s, p.first},     {u"Home Address"_s, p.street},
                                       {u"Home Address 2"_s, p.street2}, {u"Home City"_s, p.city},
                                       {u"Home State"_s, p.state},       {u"Home ZipCode"_s, p.zip}};
    };
    const QStringList sheet = {u"First Name"_s, u"Last Name"_s, u"Street"_s, u"Street 2"_s, u"City"_s,
                               u"State"_s, u"ZIP"_s};
    const auto sheetValues = [](const ShapePerson &p) {
        return QHash<QString, QString>{{u"First Name"_s, p.first}, {u"Last Name"_s, p.last},
                                       {u"Street"_s, p.street},    {u"Street 2"_s, p.street2},
                                       {u"City"_s, p.city},        {u"State"_s, p.state},
                                       {u"ZIP"_s, p.zip}};
    };
    return {
        {"webmail, new", u',', webmailNew,
         [](const ShapePerson &p) {
             QHash<QString, QString> values = webmailAddress(p, u"Address 1 - Label"_s);
             values.insert(u"First Name"_s, p.first);
             values.insert(u"Last Name"_s, p.last);
             values.insert(u"Labels"_s, u"* myContacts"_s);
             values.insert(u"Phone 1 - Label"_s, u"Mobile"_s);
             values.insert(u"Phone 1 - Value"_s, u"+1 555 0100"_s);
             return values;
         }},
        // Its names are headed by words the header keywords do not know: nothing prints, and the
        // reason says how to place them; placed, every person prints whole.
        {"webmail, old", u',', webmailOld, webmailOldValues, "UTF-8", {}, 1, u"--column \"HEADER=KEY\""_s},
        {"webmail, old, names placed", u',', webmailOld, webmailOldValues, "UTF-8",
         {u"Given Name=firstname"_s, u"Family Name=lastname"_s}},
        {"a desktop mail program", u',', desktop, desktopValues},
        {"a mail client", u',', client, clientValues},
        {"a spreadsheet, semicolons", u';', sheet, sheetValues},
        {"a desktop mail program, Windows Latin 1", u',', desktop, desktopValues, "windows-1252"},
    };
}

class BatchJobExportShapesTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }
    QString path(const QString &name) const { return m_folder.filePath(name); }
    QTemporaryDir m_folder;
};

TEST_F(BatchJobExportShapesTest, EveryPersonPrintsWholeOnTheSampleDesignsOrTheJobSaysWhy)
{
    const QString library = QStringLiteral(PW_SAMPLE_LIBRARY_DIR) + u"/Parcelwick/Templates/en.lproj/"_s;
    const QString designs[] = {library + u"Mailing1/Business/Classic.pwdc"_s, library + u"Envelope2/Business/Classic.pwdc"_s};
    for (const ExportShape &shape : exportShapes()) {
        SCOPED_TRACE(shape.name);
        ASSERT_TRUE(pwtest::writeFile(path(u"contacts.csv"_s), exportOf(shape)));
        for (const QString &design : designs) {
            SCOPED_TRACE(design.toStdString());
            ASSERT_TRUE(QFile::exists(design));
            QFile::remove(path(u"out.pdf"_s));
            QStringList arguments = {u"--print"_s, design, u"--contacts"_s, path(u"contacts.csv"_s)};
            for (const QString &column : shape.columns)
                arguments += {u"--column"_s, column};
            const ProgramRun run = runProgram(arguments + QStringList{u"--output"_s, path(u"out.pdf"_s)});
            ASSERT_EQ(run.status, shape.status) << qPrintable(run.err);
            if (shape.status != 0) {
                EXPECT_TRUE(run.err.contains(shape.named)) << qPrintable(run.err);
                continue;
            }
            EXPECT_FALSE(run.err.contains(u"the job was done, but"_s)) << qPrintable(run.err);
            QStringList words;
            const printtest::PrintedPdf printed(path(u"out.pdf"_s));
            for (int page = 0; page < printed.pageCount(); ++page)
                for (const auto &[word, box] : printed.words(page))
                    words.append(word);
            for (const ShapePerson &person : kShapePersons)
                for (const QString &word : shownWords(person))
                    EXPECT_TRUE(words.contains(word)) << qPrintable(word + u" in: "_s + words.join(u' '));
            // No kind of address printed as a street, no comma before a missing city.
            for (const QString &stray : {u"Work"_s, u"Home"_s, u","_s, u",CA"_s})
                EXPECT_FALSE(words.contains(stray)) << qPrintable(stray + u" in: "_s + words.join(u' '));
            const bool western = QByteArray(shape.charset) != "UTF-8";
            EXPECT_EQ(run.err.contains(u"The file is not UTF-8 text; it was read as Western (Windows Latin 1)."_s), western)
                << qPrintable(run.err);
        }
    }
}

} // namespace
