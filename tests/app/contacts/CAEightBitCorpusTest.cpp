// The corpus of 8-bit contacts files of over twenty languages, read as the batch reads them under
// the C locale, English and the file's own language: every file an earlier build read right is
// read right, or its bytes spell real words in another code page as well (words of the corpus's
// originals), and then the note names the right one and the file's own locale reads it right. A
// reading the letters decide alone is right; a file in a weighed code page is read right under its
// own language's locale.
#include "EightBitCorpusSupport.h"

#include <gtest/gtest.h>

#include <iostream>
#include <map>

using namespace Qt::StringLiterals;

namespace {

using namespace eightbitcorpus;

TEST(CAEightBitCorpus, ReadsRightWhatEarlierBuildsReadRight)
{
    const std::vector<CorpusFile> files = corpusFiles();
    ASSERT_GT(files.size(), 300u);
    QSet<QString> languages;
    for (const CorpusFile &file : files) {
        languages.insert(file.language);
        // Each file carries the readings of both earlier builds under the three locales.
        ASSERT_EQ(file.readings.size(), 6) << qPrintable(file.file);
    }
    ASSERT_GE(languages.size(), 20);

    std::map<QString, std::map<char, int>> counts;
    QHash<QString, bool> rightUnderOwn;
    // The file's own locale first: a reading wrong elsewhere is excused only by it.
    for (const QString &locale : {u"own"_s, u"C"_s, u"en"_s}) {
        for (const CorpusFile &file : files) {
            SCOPED_TRACE(qPrintable(file.file + u" under "_s + locale));
            const LocaleNamed scope(localeName(locale, file.language));
            const CADelimitedText text(file.bytes());
            ASSERT_TRUE(text.isValid()) << qPrintable(text.errorString());
            const bool right = recordsRead(text) == file.original();
            const bool noted = !right && noteNamesTheRightReading(text, file);
            ++counts[locale][right ? 'R' : noted ? 'N' : 'W'];
            if (locale == u"own")
                rightUnderOwn.insert(file.file, right);
            if (file.earlierRight(locale)) {
                // The words the reading spells otherwise than the original are real words too.
                const QSet<QString> misread = wordsOf(recordsRead(text)).subtract(wordsOf(file.original()));
                const bool allReal = std::all_of(misread.cbegin(), misread.cend(), [](const QString &word) {
                    return eightbitcorpus::realWords().contains(word);
                });
                EXPECT_TRUE(right || (noted && allReal && rightUnderOwn.value(file.file)))
                    << qPrintable(recordsRead(text) + text.notes().join(u'\n') + text.problems().join(u'\n'));
            }
            if (!codePageWeighed(file))
                continue;
            // Letters that decide alone decide right; no line is named in a file of one code page.
            EXPECT_TRUE(text.problems().isEmpty()) << qPrintable(text.problems().join(u'\n'));
            if (!text.notes().value(0).contains(u"as well"_s)) {
                EXPECT_TRUE(right) << qPrintable(recordsRead(text) + text.notes().join(u'\n'));
            }
            if (locale == u"own") {
                EXPECT_TRUE(right) << qPrintable(recordsRead(text) + text.notes().join(u'\n'));
            }
        }
    }
    for (const auto &[locale, count] : counts) {
        std::cout << "under " << locale.toStdString() << ": right " << count.at('R') << ", noted "
                  << (count.count('N') ? count.at('N') : 0) << ", wrong " << (count.count('W') ? count.at('W') : 0)
                  << std::endl;
    }
}

} // namespace
