#include "app/pictures/CCSwishIndexer.h"

#include "TestSupport.h"
#include "../../../tools/clipart/SwishIndexBuilder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

namespace {

QString u8(const char *text)
{
    return QString::fromUtf8(text);
}

// --- the prefix query -------------------------------------------------------------------------

struct TokenizeCase
{
    const char *query;
    const char *expected;
};

class TokenizeQueryTest : public ::testing::TestWithParam<TokenizeCase>
{
};

TEST_P(TokenizeQueryTest, MakesThePrefixQuery)
{
    EXPECT_EQ(CCSwishIndexer::tokenizeQuery(u8(GetParam().query)), u8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Table, TokenizeQueryTest,
                         ::testing::Values(TokenizeCase{"red car", "red* car* not (red car)"},
                                           TokenizeCase{"ox", "ox not (ox)"},
                                           TokenizeCase{"cat*", "cat* not (cat*)"},
                                           TokenizeCase{"ab cd", "ab cd not (ab cd)"},
                                           TokenizeCase{"a  b", "a  b not (a  b)"},
                                           TokenizeCase{"star* dog", "star* dog* not (star* dog)"},
                                           TokenizeCase{"abc", "abc* not (abc)"},
                                           TokenizeCase{" tree", " tree* not ( tree)"}));

// --- document paths to picture entries -------------------------------------------------------

struct EntryCase
{
    const char *documentPath;
    const char *name;
    const char *hint;
};

class DocumentPathEntryTest : public ::testing::TestWithParam<EntryCase>
{
};

TEST_P(DocumentPathEntryTest, SplitsFileAndCaption)
{
    const QVariantMap entry = CCSwishIndexer::entryForDocumentPath(u8(GetParam().documentPath));
    EXPECT_EQ(entry.value(QStringLiteral("name")).toString(), u8(GetParam().name));
    EXPECT_EQ(entry.value(QStringLiteral("hint")).toString(), u8(GetParam().hint));
    EXPECT_EQ(entry.size(), 2);
}

INSTANTIATE_TEST_SUITE_P(Table, DocumentPathEntryTest,
                         ::testing::Values(EntryCase{"tree.png,Christmas tree", "tree.png", "Christmas tree"},
                                           EntryCase{"Images/Holidays/tree.png,Tree", "tree.png", "Tree"},
                                           EntryCase{"car.pdf", "car.pdf", "car.pdf"},
                                           EntryCase{"a/b/car.pdf", "car.pdf", "car.pdf"},
                                           EntryCase{"cat.jpg,Cat, black", "cat.jpg", "Cat"},
                                           EntryCase{"a/cat.jpg,Cat,black,extra", "cat.jpg", "Cat"},
                                           EntryCase{"dog.hpi,", "dog.hpi", ""}));

// --- Mac OS Roman -----------------------------------------------------------------------------

TEST(MacRomanTest, EncodesWhatItHoldsAndRefusesTheRest)
{
    EXPECT_EQ(CCSwishIndexer::encodeMacRoman(u8("caf\u00e9")), QByteArray("caf\x8e"));
    EXPECT_EQ(CCSwishIndexer::encodeMacRoman(u8("\u20ac \u00ff")), QByteArray("\xdb \xd8"));
    EXPECT_FALSE(CCSwishIndexer::encodeMacRoman(u8("\u732b")).has_value());
    EXPECT_FALSE(CCSwishIndexer::encodeMacRoman(u8("tree \u0141")).has_value());
    // Every byte decodes to a character that encodes back to the same byte.
    QByteArray all;
    for (int byte = 1; byte < 256; ++byte)
        all.append(char(byte));
    const QString text = CCSwishIndexer::decodeMacRoman(all);
    EXPECT_EQ(text.size(), 255);
    EXPECT_EQ(CCSwishIndexer::encodeMacRoman(text), all);
}

// --- queries against a small index ------------------------------------------------------------

QList<QString> indexedNames(const QList<QVariantMap> &entries)
{
    QList<QString> result;
    for (const QVariantMap &entry : entries)
        result.append(entry.value(QStringLiteral("name")).toString());
    std::sort(result.begin(), result.end());
    return result;
}

class SwishIndexTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        // A blank in the folder: the index list the library takes is blank-separated.
        ASSERT_TRUE(QDir(m_folder.path()).mkpath(QStringLiteral("clip art")));
        m_indexPath = m_folder.filePath(QStringLiteral("clip art/clipart.idx"));
        const std::vector<SwishDocument> documents = {
            {"Images/Holidays/tree.png,Christmas tree", "christmas tree holiday winter"},
            {"cat.jpg,Cat, black", "cat black animal pet"},
            {"car.pdf", "car red travel"},
            {"cart.hpi,Shopping cart", "cart shopping food"},
            {"carrot.pdf,Carrot", "carrot food vegetable"},
            {"caf\x8e.png,Caf\x8e", "caf\x8e drink coffee"},
        };
        QString error;
        ASSERT_TRUE(buildSwishIndex(QStringLiteral(PW_SWISHE_PROGRAM), m_indexPath, documents, &error))
            << error.toStdString();
    }

    QTemporaryDir m_folder;
    QString m_indexPath;
};

TEST_F(SwishIndexTest, ExactAndNearHits)
{
    const auto indexer = CCSwishIndexer::open(m_indexPath);
    ASSERT_TRUE(indexer);
    const auto exact = indexer->queryString(QStringLiteral("car"));
    ASSERT_TRUE(exact.has_value());
    EXPECT_EQ(indexedNames(*exact), QList<QString>({QStringLiteral("car.pdf")}));
    // The near hits begin with the word and leave out what the exact query found.
    const auto near = indexer->queryString(CCSwishIndexer::tokenizeQuery(QStringLiteral("car")));
    ASSERT_TRUE(near.has_value());
    EXPECT_EQ(indexedNames(*near), QList<QString>({QStringLiteral("carrot.pdf"), QStringLiteral("cart.hpi")}));
    const auto both = indexer->queryString(QStringLiteral("food cart"));
    ASSERT_TRUE(both.has_value());
    EXPECT_EQ(indexedNames(*both), QList<QString>({QStringLiteral("cart.hpi")}));
}

TEST_F(SwishIndexTest, NoHitsIsAnEmptyAnswerAndARejectedQueryNone)
{
    const auto indexer = CCSwishIndexer::open(m_indexPath);
    ASSERT_TRUE(indexer);
    const auto none = indexer->queryString(QStringLiteral("zebra"));
    ASSERT_TRUE(none.has_value());
    EXPECT_TRUE(none->isEmpty());
    EXPECT_FALSE(indexer->queryString(QStringLiteral("(((")).has_value());
    EXPECT_FALSE(indexer->queryString(QString()).has_value());
}

TEST_F(SwishIndexTest, CaptionsAndFoldersOfTheDocumentPath)
{
    const auto indexer = CCSwishIndexer::open(m_indexPath);
    ASSERT_TRUE(indexer);
    const auto tree = indexer->queryString(QStringLiteral("winter"));
    ASSERT_TRUE(tree.has_value());
    ASSERT_EQ(tree->size(), 1);
    EXPECT_EQ(tree->first().value(QStringLiteral("name")).toString(), QStringLiteral("tree.png"));
    EXPECT_EQ(tree->first().value(QStringLiteral("hint")).toString(), QStringLiteral("Christmas tree"));
    const auto cat = indexer->queryString(QStringLiteral("pet"));
    ASSERT_TRUE(cat.has_value());
    ASSERT_EQ(cat->size(), 1);
    // Only the second field is the caption: the rest of a caption with a comma is not.
    EXPECT_EQ(cat->first().value(QStringLiteral("hint")).toString(), QStringLiteral("Cat"));
    const auto car = indexer->queryString(QStringLiteral("travel"));
    ASSERT_TRUE(car.has_value());
    ASSERT_EQ(car->size(), 1);
    EXPECT_EQ(car->first().value(QStringLiteral("hint")).toString(), QStringLiteral("car.pdf"));
}

TEST_F(SwishIndexTest, KeepsToMacOSRoman)
{
    const auto indexer = CCSwishIndexer::open(m_indexPath);
    ASSERT_TRUE(indexer);
    const auto cafe = indexer->queryString(u8("caf\u00e9"));
    ASSERT_TRUE(cafe.has_value());
    ASSERT_EQ(cafe->size(), 1);
    EXPECT_EQ(cafe->first().value(QStringLiteral("hint")).toString(), u8("Caf\u00e9"));
    pwtest::LogCapture log;
    EXPECT_FALSE(indexer->queryString(u8("\u732b")).has_value());
    EXPECT_FALSE(indexer->queryString(u8("car \u0141")).has_value());
    EXPECT_TRUE(log.lines().isEmpty());
}

// A missing or damaged index opens as nothing, logs one line and leaves the process running;
// the truncated index is one on which the library itself gives up and ends its process.
TEST_F(SwishIndexTest, MissingOrDamagedIndexesOpenAsNothing)
{
    QFile whole(m_indexPath);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    ASSERT_GT(bytes.size(), 4000);
    const QString damagedFolder = m_folder.filePath(QStringLiteral("damaged"));
    ASSERT_TRUE(QDir().mkpath(damagedFolder));
    const auto write = [&](const QString &name, const QByteArray &contents, bool withProperties) {
        const QString path = QDir(damagedFolder).filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
        file.close();
        if (withProperties) {
            EXPECT_TRUE(QFile::copy(m_indexPath + QStringLiteral(".prop"), path + QStringLiteral(".prop")));
        }
        return path;
    };
    const QString cases[] = {
        QDir(damagedFolder).filePath(QStringLiteral("missing.idx")),
        write(QStringLiteral("garbage.idx"), QByteArray(5000, 'x'), true),
        write(QStringLiteral("noproperties.idx"), bytes, false),
        write(QStringLiteral("truncated.idx"), bytes.left(bytes.size() / 2), true),
        write(QStringLiteral("empty.idx"), QByteArray(), true),
    };
    for (const QString &path : cases) {
        pwtest::LogCapture log;
        EXPECT_FALSE(CCSwishIndexer::open(path)) << path.toStdString();
        EXPECT_EQ(log.lines().filter(QStringLiteral("Error loading index at")).size(), 1) << path.toStdString();
    }
    // The good index beside them still opens.
    EXPECT_TRUE(CCSwishIndexer::open(m_indexPath));
}

// The trial reading is a fresh start of the program, never a copy of this threaded one: a lock
// that another thread holds meanwhile (here the one of standard error, where the library writes
// its complaints about a damaged index before it ends its process) cannot hold the trial up until
// it is given up as one that does not end.
TEST_F(SwishIndexTest, TheTrialReadingWaitsForNoLockOfAnotherThread)
{
    QFile whole(m_indexPath);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    const QString truncated = m_folder.filePath(QStringLiteral("truncated.idx"));
    ASSERT_TRUE(pwtest::writeFile(truncated, bytes.left(bytes.size() / 2)));
    ASSERT_TRUE(QFile::copy(m_indexPath + QStringLiteral(".prop"), truncated + QStringLiteral(".prop")));

    std::mutex mutex;
    std::condition_variable changed;
    bool held = false;
    bool done = false;
    std::thread holder([&] {
        flockfile(stderr);
        std::unique_lock lock(mutex);
        held = true;
        changed.notify_all();
        // Given back at the latest after ten minutes, should the test itself hang.
        changed.wait_for(lock, std::chrono::minutes(10), [&] { return done; });
        funlockfile(stderr);
    });
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return held; });
    }
    QStringList lines;
    bool opened = true;
    {
        pwtest::LogCapture log;
        opened = CCSwishIndexer::open(truncated) != nullptr;
        lines = log.lines().filter(QStringLiteral("Error loading index at"));
    }
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    changed.notify_all();
    holder.join();
    EXPECT_FALSE(opened);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_FALSE(lines.first().contains(QStringLiteral("not end"))) << qPrintable(lines.first());
    EXPECT_FALSE(lines.first().contains(QStringLiteral("did not end"))) << qPrintable(lines.first());
}

} // namespace
