// Short files of real names in every 8-bit code page the reader weighs, read under every locale:
// each reads right, or reads in another encoding whose letters read as words too and says so,
// naming the reading that is right; under the locale of the file's own language the reading is
// one of that language's code pages; and a file whose letters decide reads right everywhere.
#include "EightBitNamesSupport.h"

#include "app/contacts/CADelimitedText.h"
#include "app/contacts/CATextEncodings.h"

#include <gtest/gtest.h>

#include <iostream>
#include <map>

using namespace Qt::StringLiterals;

namespace {

using namespace eightbittest;

// Every two weighed encodings that read some byte as different letters have files that hold
// such a byte, in each of the two: the table reaches every pair the reader must tell apart.
TEST(CAEightBitReadingTable, ReachesEveryPairOfWeighedEncodingsThatShareLetters)
{
    const std::vector<NamesFile> files = namesFiles();
    QStringList weighed;
    for (const quint32 encoding : CATextEncodings::weighedEncodings())
        weighed.append(CATextEncodings::name(encoding));
    ASSERT_GE(weighed.size(), 8);
    int pairs = 0;
    for (const QString &own : weighed) {
        for (const QString &other : weighed) {
            if (own == other || lettersThatDiffer(own, other).isEmpty())
                continue;
            ++pairs;
            const bool reached = std::any_of(files.cbegin(), files.cend(), [&](const NamesFile &file) {
                return file.codePage.compare(own, Qt::CaseInsensitive) == 0 && file.differsFrom.contains(other);
            });
            EXPECT_TRUE(reached) << qPrintable(own + u" against "_s + other);
        }
    }
    EXPECT_GT(pairs, 40);
}

TEST(CAEightBitReadingTable, EachFileReadsRightOrNamesTheRightReadingUnderEveryLocale)
{
    const std::vector<NamesFile> files = namesFiles();
    ASSERT_GT(files.size(), 100u);
    std::map<QString, int> counts;
    for (const QString &locale : localeLanguages()) {
        const LocaleScope scope(locale);
        for (const NamesFile &file : files) {
            SCOPED_TRACE(qPrintable(file.name() + u" under "_s + locale));
            const CADelimitedText text(file.bytes);
            ASSERT_TRUE(text.isValid()) << qPrintable(text.errorString());
            // Nothing that fails a job: a reading of one encoding throughout is a note.
            EXPECT_TRUE(text.problems().isEmpty()) << qPrintable(text.problems().join(u'\n'));
            ASSERT_EQ(text.notes().size(), 1) << qPrintable(text.notes().join(u'\n'));
            const QString note = text.notes().first();
            EXPECT_TRUE(note.contains(CATextEncodings::displayName(text.encoding()))) << qPrintable(note);
            QStringList read;
            for (qsizetype record = 0; record < text.recordsCount(); ++record)
                read.append(text.row(record + 1).join(u','));
            const bool right = read == file.persons;
            // The readings the note names, each read by the toolkit's own converter.
            bool rightNamed = false;
            for (const quint32 encoding : CATextEncodings::weighedEncodings()) {
                if (encoding != text.encoding() && note.contains(u"as well"_s)
                    && note.section(u"read as words in "_s, 1).contains(CATextEncodings::displayName(encoding)))
                    rightNamed = rightNamed || decodedIn(CATextEncodings::name(encoding), file.bytes).section(u'\n', 1) == file.text();
            }
            EXPECT_TRUE(right || rightNamed) << qPrintable(read.join(u" | ") + u"\n"_s + note);
            ++counts[right ? u"right"_s : rightNamed ? u"noted"_s : u"wrong"_s];
            // Letters that decide alone decide right.
            if (!note.contains(u"as well"_s)) {
                EXPECT_TRUE(right) << qPrintable(note);
                EXPECT_TRUE(text.decidedByLetters());
            }
            // Under its own language's locale a file is read in one of that language's code pages.
            if (file.language == locale) {
                const bool ownCodePage = std::any_of(codePagesOf(locale).cbegin(), codePagesOf(locale).cend(),
                                                     [&](const QString &page) {
                                                         return CATextEncodings::fromName(page) == text.encoding();
                                                     });
                EXPECT_TRUE(right || ownCodePage) << qPrintable(CATextEncodings::name(text.encoding()) + u": "_s + note);
            }
        }
    }
    EXPECT_EQ(counts[u"wrong"_s], 0);
    std::cout << "files " << files.size() << " locales " << localeLanguages().size() << ": read right "
              << counts[u"right"_s] << ", noted with the right reading " << counts[u"noted"_s] << ", wrong "
              << counts[u"wrong"_s] << std::endl;
}

// The rare letter or sign that is no evidence of another encoding: the file is read in its own
// and says so plainly, under every locale, with nothing that fails a job.
TEST(CAEightBitReadingTable, RareLettersAndSignsNeitherTurnNorFailAFile)
{
    const struct
    {
        const char *name;
        const char *codePage;
        QString persons;
    } cases[] = {
        {"a euro sign before a word", "windows-1252", u"Jürgen,€uro Markt,Köln\n"_s},
        {"a euro sign among three persons", "windows-1252", u"Jürgen,€uro Markt,Köln\nAnna,Weiß,Essen\nBo,Bäcker,Jena\n"_s},
        {"a Greek word opening with a dialytika", "windows-1253",
         u"Γιώργος,Ϋψηλάντης,Αθήνα\nΕλένη,Καραγιάννη,Πάτρα\nΝίκος,Οικονόμου,Θεσσαλονίκη\n"_s},
        {"the Greek capital alpha with tonos of ISO 8859-7", "ISO-8859-7", u"Άννα,Παπαδοπούλου,Ηράκλειο\n"_s},
    };
    for (const QString &locale : localeLanguages()) {
        const LocaleScope scope(locale);
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(c.name) + " under " + locale.toStdString());
            QStringEncoder encoder(c.codePage);
            const QByteArray bytes = "First Name,Last Name,City\n" + encoder.encode(c.persons);
            const CADelimitedText text(bytes);
            EXPECT_TRUE(text.problems().isEmpty()) << qPrintable(text.problems().join(u'\n'));
            QStringList read;
            for (qsizetype record = 0; record < text.recordsCount(); ++record)
                read.append(text.row(record + 1).join(u','));
            const bool right = read.join(u'\n') + u'\n' == c.persons;
            const QString note = text.notes().value(0);
            EXPECT_TRUE(right || note.section(u"read as words in "_s, 1).contains(CATextEncodings::displayName(*CATextEncodings::fromName(QString::fromLatin1(c.codePage)))))
                << qPrintable(read.join(u" | ") + u"\n"_s + note);
            if (locale == u"C" || locale == u"el" || QString::fromLatin1(c.codePage) == u"windows-1252") {
                EXPECT_TRUE(right) << qPrintable(read.join(u" | ") + u"\n"_s + note);
            }
        }
    }
}

} // namespace
