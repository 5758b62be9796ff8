#pragma once

// Contacts files of real names in the 8-bit code pages a guess weighs, made from the code pages
// themselves: for every two weighed encodings, the bytes that are letters in both and differ,
// and files of one and of three persons whose names hold such bytes, in each code page their
// language is written in. Shared by the reader's table, the batch's rows and the window's rows.
#include "app/contacts/CATextEncodings.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>

#include <algorithm>
#include <vector>

namespace eightbittest {

// A language, the code pages its 8-bit files are written in (its own, as the world writes them:
// not what the reader prefers), and real persons: first name, last name, city.
struct Language
{
    const char *code;
    QStringList codePages;
    QStringList persons;
};

inline const std::vector<Language> &languages()
{
    using namespace Qt::StringLiterals;
    static const std::vector<Language> all = {
        {"es", {u"windows-1252"_s}, {u"Ana,Peña,Logroño"_s, u"José,Muñoz,Cádiz"_s, u"Lucía,Fernández,Córdoba"_s, u"Begoña,Ibáñez,Málaga"_s}},
        {"fr", {u"windows-1252"_s, u"ISO-8859-15"_s}, {u"Hélène,Lefèvre,Genève"_s, u"François,Bérénger,Besançon"_s, u"Gaëlle,Noël,Orléans"_s, u"Chloé,Cœur,Nîmes"_s}},
        {"de", {u"windows-1252"_s}, {u"Jürgen,Müller,Köln"_s, u"Jörg,Schröder,Düsseldorf"_s, u"Käthe,Weiß,Mönchengladbach"_s, u"Björn,Bäcker,Lüneburg"_s}},
        {"is", {u"windows-1252"_s, u"ISO-8859-15"_s}, {u"Þórunn,Guðmundsdóttir,Reykjavík"_s, u"Sigurður,Þórðarson,Akureyri"_s, u"Ýr,Jónsdóttir,Ísafjörður"_s, u"Hörður,Eiríksson,Selfoss"_s}},
        {"pt", {u"windows-1252"_s}, {u"João,Gonçalves,São Paulo"_s, u"Conceição,Brandão,Évora"_s, u"Ângela,Magalhães,Lisboa"_s, u"Inês,Simões,Guimarães"_s}},
        {"cs", {u"windows-1250"_s, u"ISO-8859-2"_s}, {u"Jiří,Dvořák,Plzeň"_s, u"Tomáš,Novák,Brno"_s, u"Eva,Černá,Ostrava"_s, u"Růžena,Štěpánková,Žďár nad Sázavou"_s}},
        {"sk", {u"windows-1250"_s, u"ISO-8859-2"_s}, {u"Ľubomír,Šťastný,Žilina"_s, u"Ľudmila,Hrušková,Košice"_s, u"Ján,Ďurovič,Trenčín"_s, u"Mária,Kováčová,Prešov"_s}},
        {"hu", {u"windows-1250"_s, u"ISO-8859-2"_s}, {u"Péter,Szűcs,Győr"_s, u"Anna,Kőrösi,Debrecen"_s, u"Éva,Nagy,Pécs"_s, u"Ödön,Törő,Hódmezővásárhely"_s}},
        {"pl", {u"windows-1250"_s, u"ISO-8859-2"_s}, {u"Łukasz,Wróbel,Kraków"_s, u"Zofia,Wiśniewska,Łódź"_s, u"Piotr,Dąbrowski,Gdańsk"_s, u"Małgorzata,Żak,Wrocław"_s}},
        {"sl", {u"windows-1250"_s, u"ISO-8859-2"_s}, {u"Marko,Čeh,Ljubljana"_s, u"Žiga,Košir,Maribor"_s, u"Špela,Jerič,Celje"_s, u"Nataša,Žagar,Kranj"_s}},
        {"hr", {u"windows-1250"_s, u"ISO-8859-2"_s}, {u"Đurđa,Kovačević,Čakovec"_s, u"Luka,Babić,Šibenik"_s, u"Ivana,Horvat,Požega"_s, u"Mislav,Đurić,Osijek"_s}},
        {"ro", {u"windows-1250"_s, u"ISO-8859-2"_s}, {u"Ştefan,Brânzei,Brăila"_s, u"Mihai,Bălan,Iaşi"_s, u"Ioana,Ţăranu,Constanţa"_s, u"Andreea,Şerban,Timişoara"_s}},
        {"tr", {u"windows-1254"_s, u"ISO-8859-9"_s}, {u"Ayşe,Yılmaz,Beyoğlu"_s, u"Şükrü,Çelik,İzmir"_s, u"Gülşen,Doğan,Eskişehir"_s, u"Uğur,Yıldız,Çanakkale"_s}},
        {"ru", {u"windows-1251"_s, u"KOI8-R"_s, u"ISO-8859-5"_s}, {u"Иван,Петров,Москва"_s, u"Анна,Смирнова,Казань"_s, u"Сергей,Кузнецов,Санкт-Петербург"_s, u"Ольга,Соколова,Новосибирск"_s}},
        {"uk", {u"windows-1251"_s, u"KOI8-U"_s, u"ISO-8859-5"_s}, {u"Олена,Шевченко,Київ"_s, u"Андрій,Коваленко,Львів"_s, u"Юлія,Бондаренко,Одеса"_s, u"Євген,Ткаченко,Харків"_s}},
        {"bg", {u"windows-1251"_s, u"KOI8-R"_s, u"ISO-8859-5"_s}, {u"Георги,Иванов,София"_s, u"Мария,Петрова,Пловдив"_s, u"Йордан,Димитров,Варна"_s, u"Цветелина,Тодорова,Бургас"_s}},
        {"sr", {u"windows-1251"_s, u"ISO-8859-5"_s}, {u"Драган,Јовановић,Београд"_s, u"Милица,Ђорђевић,Нови Сад"_s, u"Никола,Петровић,Ниш"_s, u"Јелена,Николић,Крагујевац"_s}},
        {"el", {u"windows-1253"_s, u"ISO-8859-7"_s}, {u"Γιώργος,Παπαδόπουλος,Αθήνα"_s, u"Ελένη,Καραγιάννη,Πάτρα"_s, u"Νίκος,Οικονόμου,Θεσσαλονίκη"_s, u"Άννα,Παπαδοπούλου,Ηράκλειο"_s}},
    };
    return all;
}

// The text of bytes in a code page, by the toolkit's converter (not the reader's).
inline QString decodedIn(const QString &codePage, const QByteArray &bytes)
{
    QStringDecoder decoder(codePage.toLatin1().constData(), QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

// Whether a character is a letter a name is written in: one of capital and small letters (not
// an ordinal sign such as "ª", nor a mark such as the Greek "ͺ").
inline bool isNameLetter(QChar c)
{
    return c.isLetter() && (c.isUpper() || c.isLower());
}

// The bytes from 0x80 up that are letters of names in both code pages and different letters.
inline QSet<int> lettersThatDiffer(const QString &a, const QString &b)
{
    QSet<int> bytes;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const QByteArray one(1, char(byte));
        const QString inA = decodedIn(a, one);
        const QString inB = decodedIn(b, one);
        if (inA.size() == 1 && inB.size() == 1 && isNameLetter(inA.at(0)) && isNameLetter(inB.at(0)) && inA != inB)
            bytes.insert(byte);
    }
    return bytes;
}

struct NamesFile
{
    QString language;
    QString codePage;
    QStringList persons; // "first,last,city" each
    QByteArray bytes; // a header row, then the persons
    // The weighed encodings whose letters differ from the file's own at some byte of its names.
    QStringList differsFrom;

    QString text() const { return persons.join(u'\n') + u'\n'; }
    QString name() const
    {
        return QStringLiteral("%1-%2-%3").arg(language, codePage).arg(persons.size()) + QStringLiteral(".csv");
    }
};

// Every file of the table: for each language and code page of it among the weighed encodings,
// each person whose name holds a letter another weighed code page reads otherwise, alone, and
// three persons at once (twice, from the first and from the second).
inline std::vector<NamesFile> namesFiles()
{
    QStringList weighed;
    for (const quint32 encoding : CATextEncodings::weighedEncodings())
        weighed.append(CATextEncodings::name(encoding));
    std::vector<NamesFile> files;
    for (const Language &language : languages()) {
        for (const QString &codePage : language.codePages) {
            if (!weighed.contains(codePage, Qt::CaseInsensitive))
                continue;
            const auto make = [&](const QStringList &persons) {
                NamesFile file{QString::fromLatin1(language.code), codePage, persons, {}, {}};
                QStringEncoder encoder(codePage.toLatin1().constData());
                const QByteArray body = encoder.encode(file.text());
                if (encoder.hasError())
                    return;
                file.bytes = "First Name,Last Name,City\n" + body;
                for (const QString &other : weighed) {
                    if (other.compare(codePage, Qt::CaseInsensitive) == 0)
                        continue;
                    const QSet<int> differ = lettersThatDiffer(codePage, other);
                    if (std::any_of(body.cbegin(), body.cend(), [&](char byte) { return differ.contains(quint8(byte)); }))
                        file.differsFrom.append(other);
                }
                if (!file.differsFrom.isEmpty())
                    files.push_back(file);
            };
            for (const QString &person : language.persons)
                make({person});
            make(language.persons.mid(0, 3));
            make(language.persons.mid(1, 3));
        }
    }
    return files;
}

// The locales a file is read under: the C locale and each language's.
inline QStringList localeLanguages()
{
    QStringList all = {QStringLiteral("C")};
    for (const Language &language : languages())
        all.append(QString::fromLatin1(language.code));
    return all;
}

inline QStringList codePagesOf(const QString &language)
{
    for (const Language &own : languages()) {
        if (language == QLatin1String(own.code))
            return own.codePages;
    }
    return {};
}

// LC_ALL set for the scope, as a user's shell sets it; what stood there before comes back.
class LocaleScope
{
public:
    explicit LocaleScope(const QString &language)
        : m_had(qEnvironmentVariableIsSet("LC_ALL"))
        , m_before(qgetenv("LC_ALL"))
    {
        qputenv("LC_ALL", language == QLatin1String("C") ? QByteArray("C") : (language + u'_' + language.toUpper() + QStringLiteral(".UTF-8")).toLatin1());
    }
    ~LocaleScope()
    {
        if (m_had)
            qputenv("LC_ALL", m_before);
        else
            qunsetenv("LC_ALL");
    }
    LocaleScope(const LocaleScope &) = delete;
    LocaleScope &operator=(const LocaleScope &) = delete;

private:
    bool m_had;
    QByteArray m_before;
};

} // namespace eightbittest
