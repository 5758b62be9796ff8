#pragma once

// Contacts files in the shapes mail programs, webmail and spreadsheets write: each shape's header
// as its program writes it (test data), what the program puts in each of its columns, and persons
// whose letters each encoding holds.
#include "TestSupport.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringEncoder>
#include <QStringList>

#include <functional>

namespace exportshapes {

using namespace Qt::StringLiterals;

// What a program writes into a column.
enum class Field {
    None, // a column no address prints: it gets a token no label may show
    Empty, // a part of an address the person does not have: left empty
    Kind, // "Work", "Home" or "Other": the kind of the address beside it
    FullName,
    Formatted, // the whole address in one text
    Prefix,
    First,
    Middle,
    Last,
    Suffix,
    Company,
    JobTitle,
    Department,
    Street,
    Street2,
    Street3,
    PoBox,
    City,
    State,
    Zip,
    Country,
    CountryCode,
};

enum class Block { Work, Home, Other };

struct ShapePerson
{
    QString prefix, first, middle, last, suffix, company, jobTitle, department;
    QString street, street2, street3, poBox, city, state, zip, country, countryCode;
    Block block = Block::Work;

    QString value(Field field) const
    {
        switch (field) {
        case Field::None:
        case Field::Empty:
            return QString();
        case Field::Kind:
            return block == Block::Work ? u"Work"_s : block == Block::Home ? u"Home"_s : u"Other"_s;
        case Field::FullName:
            return first + u' ' + last;
        case Field::Formatted:
            return QStringList{street, street2, street3, poBox, city + u' ' + state + u' ' + zip, country}
                .filter(QRegularExpression(u"\\S"_s))
                .join(u'\n');
        case Field::Prefix:
            return prefix;
        case Field::First:
            return first;
        case Field::Middle:
            return middle;
        case Field::Last:
            return last;
        case Field::Suffix:
            return suffix;
        case Field::Company:
            return company;
        case Field::JobTitle:
            return jobTitle;
        case Field::Department:
            return department;
        case Field::Street:
            return street;
        case Field::Street2:
            return street2;
        case Field::Street3:
            return street3;
        case Field::PoBox:
            return poBox;
        case Field::City:
            return city;
        case Field::State:
            return state;
        case Field::Zip:
            return zip;
        case Field::Country:
            return country;
        case Field::CountryCode:
            return countryCode;
        }
        return QString();
    }
};

// Names, streets and cities of one script; the rest of each person the same in every set: a full
// business address of three street lines, a home address of a PO box only, an address of the
// Other kind alone, a street with a PO box after it and no city, a home address abroad.
inline QList<ShapePerson> persons(const QStringList &names, const QStringList &streets, const QStringList &cities)
{
    QList<ShapePerson> made = {
        {u"Mr."_s, names[0], u"J."_s, names[1], u"Jr."_s, u"Acme"_s, u"Editor"_s, u"Sales"_s, u"1 "_s + streets[0],
         u"Suite 5"_s, u"Floor 2"_s, {}, cities[0], u"IL"_s, u"62701"_s, {}, {}, Block::Work},
        {{}, names[2], {}, names[3], {}, {}, {}, {}, {}, {}, {}, u"PO Box 12"_s, cities[1], u"NV"_s, u"89501"_s, {}, {},
         Block::Home},
        {u"Ms."_s, names[4], {}, names[5], {}, {}, {}, {}, u"4 "_s + streets[1], u"Apt 2"_s, {}, {}, cities[2], u"CO"_s,
         u"80202"_s, {}, {}, Block::Other},
        {{}, names[6], {}, names[7], {}, u"Bay Ltd"_s, {}, {}, u"2 "_s + streets[2], {}, {}, u"PO Box 7"_s, {}, u"CA"_s,
         u"90001"_s, {}, {}, Block::Work},
        {{}, names[8], {}, names[9], {}, {}, {}, {}, u"7 "_s + streets[3], {}, {}, {}, cities[3], u"TX"_s, u"78701"_s,
         u"Mexico"_s, u"MX"_s, Block::Home},
    };
    return made;
}

inline QList<ShapePerson> westernPersons()
{
    return persons({u"Ann"_s, u"Abbott"_s, u"Fay"_s, u"Nguyen"_s, u"Zoë"_s, u"Müller"_s, u"Cy"_s, u"Carver"_s, u"Eve"_s,
                    u"Großmann"_s},
                   {u"Elm St"_s, u"Lake Dr"_s, u"Oak Rd"_s, u"Bay St"_s}, {u"Springfield"_s, u"Reno"_s, u"Denver"_s, u"Austin"_s});
}

inline QList<ShapePerson> centralEuropeanPersons()
{
    return persons({u"Łukasz"_s, u"Wróbel"_s, u"Zsófia"_s, u"Kovács"_s, u"Tomáš"_s, u"Dvořák"_s, u"Małgorzata"_s,
                    u"Wiśniewska"_s, u"Jiří"_s, u"Żółtek"_s},
                   {u"Długa"_s, u"Šťastná"_s, u"Győri út"_s, u"Poznańska"_s}, {u"Kraków"_s, u"Łódź"_s, u"Plzeň"_s, u"Győr"_s});
}

inline QList<ShapePerson> cyrillicPersons()
{
    return persons({u"Иван"_s, u"Петров"_s, u"Анна"_s, u"Смирнова"_s, u"Ольга"_s, u"Иванова"_s, u"Дмитрий"_s,
                    u"Соколов"_s, u"Мария"_s, u"Кузнецова"_s},
                   {u"ул. Ленина"_s, u"Садовая"_s, u"Тверская"_s, u"Невский"_s}, {u"Москва"_s, u"Казань"_s, u"Самара"_s, u"Тула"_s});
}

inline QList<ShapePerson> greekPersons()
{
    return persons({u"Γιώργος"_s, u"Παπαδόπουλος"_s, u"Ελένη"_s, u"Καραγιάννη"_s, u"Νίκος"_s, u"Οικονόμου"_s,
                    u"Μαρία"_s, u"Γεωργίου"_s, u"Δημήτρης"_s, u"Αλεξίου"_s},
                   {u"Ερμού"_s, u"Σταδίου"_s, u"Πανεπιστημίου"_s, u"Αθηνάς"_s}, {u"Αθήνα"_s, u"Πάτρα"_s, u"Λάρισα"_s, u"Βόλος"_s});
}

struct Encoding
{
    const char *name;
    const char *codec;
    bool bom;
    // The display name a note gives the encoding a guess read the file in; empty for Unicode.
    QString readAs;
    std::function<QList<ShapePerson>()> persons;
};

// Unicode files hold persons of every script at once.
inline QList<ShapePerson> mixedPersons()
{
    QList<ShapePerson> mixed = westernPersons();
    mixed[1] = centralEuropeanPersons()[1];
    mixed[2] = cyrillicPersons()[2];
    mixed[3] = greekPersons()[3];
    return mixed;
}

inline const QList<Encoding> &encodings()
{
    static const QList<Encoding> list = {
        {"UTF-8", "UTF-8", false, {}, mixedPersons},
        {"UTF-8 with BOM", "UTF-8", true, {}, mixedPersons},
        {"UTF-16", "UTF-16LE", true, {}, mixedPersons},
        {"Windows-1250", "windows-1250", false, u"Central European (Windows Latin 2)"_s, centralEuropeanPersons},
        {"Windows-1251", "windows-1251", false, u"Cyrillic (Windows)"_s, cyrillicPersons},
        {"Windows-1252", "windows-1252", false, u"Western (Windows Latin 1)"_s, westernPersons},
        {"Windows-1253", "windows-1253", false, u"Greek (Windows)"_s, greekPersons},
    };
    return list;
}

inline const Encoding &encodingNamed(const char *name)
{
    for (const Encoding &encoding : encodings()) {
        if (QByteArray(encoding.name) == name)
            return encoding;
    }
    return encodings().first();
}

struct Shape
{
    const char *name;
    const char *headerFile; // under tests/data/delimited-text/export-headers
    QChar delimiter;
    // What the program writes into a column for a person of the block.
    std::function<Field(const QString &column, Block block)> field;
    // The encodings a print is made in (the others are read only).
    QStringList printedIn;
    // The address a person of the block has after reading: a program that keeps no kind in its
    // column names gives every address the first block's.
    std::function<Block(Block)> slot = [](Block block) { return block; };
};

inline QString blockWord(Block block, const char *work, const char *home, const char *other)
{
    return QString::fromLatin1(block == Block::Work ? work : block == Block::Home ? home : other);
}

// A webmail's names and organisation, and its numbered addresses: every person's one address is
// its first, the kind in a column of its own.
inline Field webmailField(const QString &column, Block)
{
    static const QHash<QString, Field> own = {
        {u"Name"_s, Field::FullName},         {u"Given Name"_s, Field::First},
        {u"First Name"_s, Field::First},       {u"Additional Name"_s, Field::Middle},
        {u"Middle Name"_s, Field::Middle},     {u"Family Name"_s, Field::Last},
        {u"Last Name"_s, Field::Last},         {u"Name Prefix"_s, Field::Prefix},
        {u"Name Suffix"_s, Field::Suffix},     {u"Organization 1 - Name"_s, Field::Company},
        {u"Organization Name"_s, Field::Company}, {u"Organization 1 - Title"_s, Field::JobTitle},
        {u"Organization Title"_s, Field::JobTitle}, {u"Organization 1 - Department"_s, Field::Department},
        {u"Organization Department"_s, Field::Department}, {u"Address 1 - Type"_s, Field::Kind},
        {u"Address 1 - Label"_s, Field::Kind}, {u"Address 1 - Formatted"_s, Field::Formatted},
        {u"Address 1 - Street"_s, Field::Street}, {u"Address 1 - Extended Address"_s, Field::Street2},
        {u"Address 1 - PO Box"_s, Field::PoBox}, {u"Address 1 - City"_s, Field::City},
        {u"Address 1 - Region"_s, Field::State}, {u"Address 1 - Postal Code"_s, Field::Zip},
        {u"Address 1 - Country"_s, Field::Country},
    };
    if (own.contains(column))
        return own.value(column);
    return column.startsWith(u"Address "_s) ? Field::Empty : Field::None;
}

inline const QHash<QString, Field> &desktopAddressParts()
{
    static const QHash<QString, Field> parts = {
        {u"Street"_s, Field::Street},  {u"Street 2"_s, Field::Street2},         {u"Street 3"_s, Field::Street3},
        {u"City"_s, Field::City},      {u"State"_s, Field::State},              {u"Postal Code"_s, Field::Zip},
        {u"Country/Region"_s, Field::Country}, {u"Address PO Box"_s, Field::PoBox},
    };
    return parts;
}

// A desktop mail program: Title is the honorific; Business, Home and Other blocks.
inline Field desktopField(const QString &column, Block block)
{
    static const QHash<QString, Field> own = {
        {u"Title"_s, Field::Prefix},     {u"First Name"_s, Field::First}, {u"Middle Name"_s, Field::Middle},
        {u"Last Name"_s, Field::Last},   {u"Suffix"_s, Field::Suffix},    {u"Company"_s, Field::Company},
        {u"Department"_s, Field::Department}, {u"Job Title"_s, Field::JobTitle},
    };
    if (own.contains(column))
        return own.value(column);
    const QString prefix = blockWord(block, "Business ", "Home ", "Other ");
    if (column.startsWith(prefix) && desktopAddressParts().contains(column.mid(prefix.size())))
        return desktopAddressParts().value(column.mid(prefix.size()));
    for (const char *other : {"Business ", "Home ", "Other "}) {
        if (column.startsWith(QLatin1String(other)) && desktopAddressParts().contains(column.mid(qstrlen(other))))
            return Field::Empty;
    }
    return Field::None;
}

// A mail client: Home and Work blocks; a person of the Other kind is kept at home.
inline Field clientField(const QString &column, Block block)
{
    static const QHash<QString, Field> own = {
        {u"First Name"_s, Field::First},       {u"Last Name"_s, Field::Last}, {u"Display Name"_s, Field::FullName},
        {u"Job Title"_s, Field::JobTitle},     {u"Department"_s, Field::Department},
        {u"Organization"_s, Field::Company},
    };
    static const QHash<QString, Field> parts = {
        {u"Address"_s, Field::Street}, {u"Address 2"_s, Field::Street2}, {u"City"_s, Field::City},
        {u"State"_s, Field::State},    {u"ZipCode"_s, Field::Zip},       {u"Country"_s, Field::Country},
    };
    if (own.contains(column))
        return own.value(column);
    const QString prefix = blockWord(block, "Work ", "Home ", "Home ");
    if (column.startsWith(prefix) && parts.contains(column.mid(prefix.size())))
        return parts.value(column.mid(prefix.size()));
    for (const char *other : {"Work ", "Home "}) {
        if (column.startsWith(QLatin1String(other)) && parts.contains(column.mid(qstrlen(other))))
            return Field::Empty;
    }
    return Field::None;
}

inline Field spreadsheetField(const QString &column, Block)
{
    static const QHash<QString, Field> own = {
        {u"First Name"_s, Field::First},   {u"Last Name"_s, Field::Last},         {u"Company"_s, Field::Company},
        {u"Job Title"_s, Field::JobTitle}, {u"Address Line 1"_s, Field::Street},  {u"Address Line 2"_s, Field::Street2},
        {u"Address Line 3"_s, Field::Street3}, {u"City"_s, Field::City},          {u"State"_s, Field::State},
        {u"Postal Code"_s, Field::Zip},    {u"Country"_s, Field::Country},        {u"Country Code"_s, Field::CountryCode},
    };
    return own.value(column, Field::None);
}

inline Field tabField(const QString &column, Block)
{
    static const QHash<QString, Field> own = {
        {u"Last"_s, Field::Last},     {u"First"_s, Field::First}, {u"Organization"_s, Field::Company},
        {u"Street"_s, Field::Street}, {u"City"_s, Field::City},   {u"State"_s, Field::State},
        {u"ZIP"_s, Field::Zip},       {u"Country"_s, Field::Country},
    };
    return own.value(column, Field::None);
}

inline Block firstBlock(Block)
{
    return Block::Work;
}

inline const QList<Shape> &shapes()
{
    static const QList<Shape> list = {
        {"a webmail export with given and family names", "webmail-given-name.csv", u',', webmailField, {u"UTF-8"_s},
         firstBlock},
        {"a webmail export with first and last names", "webmail-first-name.csv", u',', webmailField,
         {u"Windows-1251"_s}, firstBlock},
        {"a desktop mail program", "desktop-mail.csv", u',', desktopField, {u"Windows-1252"_s, u"UTF-16"_s}},
        {"a mail client", "mail-client.csv", u',', clientField, {u"Windows-1253"_s},
         [](Block block) { return block == Block::Work ? Block::Work : Block::Home; }},
        {"a spreadsheet with semicolons", "spreadsheet-semicolon.csv", u';', spreadsheetField, {u"UTF-8 with BOM"_s},
         firstBlock},
        {"a tab-delimited file", "tab-last-first.tsv", u'\t', tabField, {u"Windows-1250"_s}, firstBlock},
    };
    return list;
}

// The header as the program writes it: its columns, quotes taken off.
inline QStringList headerOf(const Shape &shape)
{
    QString line = QString::fromUtf8(pwtest::readFixture(u"delimited-text/export-headers/"_s + QLatin1String(shape.headerFile)));
    if (line.startsWith(QChar(0xFEFF)))
        line.remove(0, 1);
    QStringList columns = line.trimmed().split(shape.delimiter);
    for (QString &column : columns) {
        if (column.size() >= 2 && column.startsWith(u'"') && column.endsWith(u'"'))
            column = column.mid(1, column.size() - 2);
    }
    return columns;
}

// The token a column no address prints holds: a word no label may show.
inline QString tokenOf(qsizetype column)
{
    return u"tok"_s + QString::number(column);
}

// A field as exports write it: quoted when it holds the delimiter, a quote or a line break.
inline QString exportField(const QString &value, QChar delimiter)
{
    if (!value.contains(delimiter) && !value.contains(u'"') && !value.contains(u'\n'))
        return value;
    return u'"' + QString(value).replace(u"\""_s, u"\"\""_s) + u'"';
}

inline QByteArray exportOf(const Shape &shape, const Encoding &encoding)
{
    const QStringList header = headerOf(shape);
    // The header line as the program wrote it, quotes and all.
    QStringList lines = {QString::fromUtf8(pwtest::readFixture(u"delimited-text/export-headers/"_s
                                                               + QLatin1String(shape.headerFile)))
                             .remove(QChar(0xFEFF))
                             .trimmed()};
    for (const ShapePerson &person : encoding.persons()) {
        QStringList fields;
        for (qsizetype i = 0; i < header.size(); ++i) {
            const Field field = shape.field(header.at(i), person.block);
            fields.append(exportField(field == Field::None ? tokenOf(i) : person.value(field), shape.delimiter));
        }
        lines.append(fields.join(shape.delimiter));
    }
    QStringEncoder encoder(encoding.codec, encoding.bom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
    return encoder.encode(lines.join(u"\r\n"_s) + u"\r\n"_s);
}

} // namespace exportshapes
