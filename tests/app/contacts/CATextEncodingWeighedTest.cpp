// The 8-bit code pages a guess weighs, by the files users reported: each file, made by the
// toolkit's encoder from its UTF-8 text, reads back as that text under the locale it was read
// under, said in one note. The names of encodings: every name ICU gives a converter this system decodes
// chooses an encoding that reads bytes as ICU's converter of that name does, and no other name
// chooses one. A damaged table of letter pairs is refused with its reason.
#include "EightBitCorpusSupport.h"

#include "app/contacts/CADelimitedText.h"
#include "app/contacts/CALetterPairs.h"
#include "app/contacts/CATextEncodings.h"

#include <QStringEncoder>

#include <gtest/gtest.h>

#include <unicode/ucnv.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

TEST(CATextEncodingWeighed, FilesOfTheWeighedCodePagesReadBackAsWritten)
{
    const struct
    {
        const char *codePage;
        const char *locale;
        QString persons;
    } cases[] = {
        // The files of the report: the corpus holds more of each kind.
        {"windows-1250", "C.UTF-8", u"Péter,Szűcs,Győr\n"_s},
        {"windows-1252", "pl_PL.UTF-8", u"Hélène,Lefèvre,Genève\n"_s},
        {"windows-1254", "tr_TR.UTF-8", u"Ayşe,Yılmaz,Beyoğlu\n"_s},
        {"KOI8-U", "C.UTF-8", u"Олена,Шевченко,Київ\n"_s},
        // A euro sign, which no name of the corpus holds.
        {"ISO-8859-15", "de_DE.UTF-8", u"Jürgen,Müller,Preis 5 €\n"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.codePage) + " under " + c.locale + ": " + c.persons.toStdString());
        QStringEncoder encoder(c.codePage);
        const QByteArray bytes = "First Name,Last Name,City\n" + encoder.encode(c.persons);
        ASSERT_FALSE(encoder.hasError());
        const eightbitcorpus::LocaleNamed locale(c.locale);
        const CADelimitedText text(bytes);
        QString read;
        for (const QStringList &record : text.personData())
            read += record.join(u',') + u'\n';
        EXPECT_EQ(read, c.persons) << qPrintable(text.notes().join(u'\n'));
        EXPECT_TRUE(text.problems().isEmpty()) << qPrintable(text.problems().join(u'\n'));
        EXPECT_EQ(text.notes().size(), 1);
    }
}

// The characters of bytes 0x20 to 0xFF by ICU's converter of a name.
QString byIcu(const char *name)
{
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UConverter, decltype(&ucnv_close)> converter(ucnv_open(name, &status), &ucnv_close);
    if (U_FAILURE(status))
        return QString();
    QByteArray bytes;
    for (int byte = 0x20; byte <= 0xFF; ++byte)
        bytes.append(char(byte));
    QString text(bytes.size() * 2, QChar());
    const int32_t length = ucnv_toUChars(converter.get(), reinterpret_cast<UChar *>(text.data()), int32_t(text.size()),
                                         bytes.constData(), int32_t(bytes.size()), &status);
    return U_FAILURE(status) ? QString() : text.left(length);
}

TEST(CATextEncodingNames, EveryNameIcuGivesAKnownConverterChoosesIt)
{
    int names = 0;
    QList<QByteArray> known;
    for (const QString &name : CATextEncodings::names()) {
        const QByteArray own = name.toLatin1();
        UErrorCode status = U_ZERO_ERROR;
        const uint16_t aliases = ucnv_countAliases(own.constData(), &status);
        if (U_FAILURE(status) || aliases == 0)
            continue;
        known.append(ucnv_getAlias(own.constData(), 0, &status));
        const QString expected = byIcu(own.constData());
        for (uint16_t i = 0; i < aliases; ++i) {
            status = U_ZERO_ERROR;
            const char *alias = ucnv_getAlias(own.constData(), i, &status);
            // A name that ICU itself gives another converter first ("ibm-943") is that one's.
            UErrorCode resolved = U_ZERO_ERROR;
            if (U_FAILURE(status) || !alias || qstrcmp(ucnv_getAlias(alias, 0, &resolved), known.last()) != 0)
                continue;
            SCOPED_TRACE(std::string(alias) + " of " + name.toStdString());
            const std::optional<quint32> chosen = CATextEncodings::fromName(QString::fromLatin1(alias));
            ASSERT_TRUE(chosen.has_value());
            EXPECT_EQ(byIcu(CATextEncodings::name(*chosen).toLatin1().constData()), expected);
            ++names;
        }
    }
    EXPECT_GT(names, 100);
    // The names users type for the code pages of Central Europe, Western Europe with the euro,
    // Turkey and Ukraine are among them.
    for (const char *typed : {"latin2", "latin9", "ISO-8859-9", "KOI8-U", "l5", "iso_8859-15", "cp1254"}) {
        const std::optional<quint32> chosen = CATextEncodings::fromName(QString::fromLatin1(typed));
        ASSERT_TRUE(chosen.has_value()) << typed;
        EXPECT_EQ(byIcu(CATextEncodings::name(*chosen).toLatin1().constData()), byIcu(typed)) << typed;
    }
    // Converters ICU has that this system does not offer choose nothing.
    int others = 0;
    for (int32_t i = 0; i < ucnv_countAvailable(); ++i) {
        const char *converter = ucnv_getAvailableName(i);
        UErrorCode status = U_ZERO_ERROR;
        const char *canonical = ucnv_getAlias(converter, 0, &status);
        if (U_FAILURE(status) || known.contains(QByteArray(canonical)))
            continue;
        EXPECT_FALSE(CATextEncodings::fromName(QString::fromLatin1(converter)).has_value()) << converter;
        ++others;
    }
    EXPECT_GT(others, 50);
    EXPECT_FALSE(CATextEncodings::fromName(u"klingon"_s).has_value());
    EXPECT_FALSE(CATextEncodings::fromName(u"latin2\u0000"_s).has_value());
}

TEST(CALetterPairsTable, ADamagedTableIsRefusedWithItsReason)
{
    const struct
    {
        const char *name;
        QByteArray text;
        bool reads;
    } cases[] = {
        {"two languages", "cs Latn _a:5 ab:3 b_:2\nru Cyrl _\xd0\xb0:4 \xd0\xb0_:4\n", true},
        {"comments and blank lines", "# pairs\n\ncs Latn _a:5 a_:5\n", true},
        {"no language", "# nothing\n", false},
        {"an unknown script", "xx Zzzz _a:5\n", false},
        {"no pairs", "cs Latn\n", false},
        {"a count that is no number", "cs Latn _a:five\n", false},
        {"a negative count", "cs Latn _a:-5\n", false},
        {"a count past the bound", "cs Latn _a:99999999999\n", false},
        {"three letters", "cs Latn abc:5\n", false},
        {"a digit", "cs Latn a1:5\n", false},
        {"a capital, which no folded table holds", "cs Latn Ab:5\n", false},
        {"no colon", "cs Latn ab5\n", false},
        {"bytes of no text", "cs Latn \xff\xfe:5\n", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QString error;
        const std::optional<CALetterPairs> table = CALetterPairs::fromText(c.text, &error);
        EXPECT_EQ(table.has_value(), c.reads) << qPrintable(error);
        EXPECT_EQ(error.isEmpty(), c.reads) << qPrintable(error);
    }
}

} // namespace
