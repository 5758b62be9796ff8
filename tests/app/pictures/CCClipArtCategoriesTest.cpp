// The clip-art categories: which popup entry shows first, the category list of a folder, and
// category files that are damaged, of the wrong shape or reach outside the picture folder.
#include "app/pictures/CCClipArtCategories.h"

#include "platform/PWKeyedArchiver.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct PopupCase
{
    const char *name;
    int entryCount; // "-" included
    std::optional<qint64> stored;
    int expected;
};

class InitialPopupIndexTest : public ::testing::TestWithParam<PopupCase>
{
};

TEST_P(InitialPopupIndexTest, ChoosesTheEntryShownFirst)
{
    EXPECT_EQ(CCClipArtCategories::initialPopupIndex(GetParam().entryCount, GetParam().stored), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, InitialPopupIndexTest,
    ::testing::Values(PopupCase{"FourCategoriesNoDefault", 5, std::nullopt, 1},
                      PopupCase{"FiveCategoriesNoDefault", 6, std::nullopt, 5},
                      PopupCase{"TenCategoriesNoDefault", 11, std::nullopt, 5},
                      PopupCase{"OneCategoryNoDefault", 2, std::nullopt, 1},
                      PopupCase{"NoCategory", 1, std::nullopt, 0},
                      PopupCase{"NoCategoryIgnoresTheDefault", 1, 3, 0},
                      PopupCase{"StoredWithin", 11, 3, 3},
                      PopupCase{"StoredLast", 13, 12, 12},
                      PopupCase{"StoredPastTheEnd", 13, 40, 12},
                      PopupCase{"StoredNegative", 13, -2, 12},
                      PopupCase{"StoredDash", 13, 0, 0}),
    [](const ::testing::TestParamInfo<PopupCase> &info) { return std::string(info.param.name); });

QByteArray archive(const QVariant &root)
{
    return PWKeyedArchiver::archivedObject(root);
}

QVariantMap entry(const QString &name, const QString &hint)
{
    return {{u"name"_s, name}, {u"hint"_s, hint}};
}

class CategoryFolderTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString write(const QString &relative, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(relative);
        EXPECT_TRUE(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return path;
    }

    QTemporaryDir m_dir;
};

TEST_F(CategoryFolderTest, ListsIdxFilesAtAnyDepthSortedWithoutCase)
{
    const QByteArray empty = archive(QVariantMap{{u"values"_s, QVariantList()}});
    write(u"travel.idx"_s, empty);
    write(u"Animals.idx"_s, empty);
    write(u"Seasons/winter.idx"_s, empty);
    write(u"Seasons/Autumn.idx"_s, empty);
    write(u"notes.txt"_s, empty);
    write(u"Upper.IDX"_s, empty);
    write(u"backup.idx.bak"_s, empty);
    EXPECT_EQ(CCClipArtCategories::listCategories(m_dir.path()),
              QStringList({u"Animals"_s, u"Seasons/Autumn"_s, u"Seasons/winter"_s, u"travel"_s}));
}

TEST_F(CategoryFolderTest, AnEmptyFolderIsLoggedOnce)
{
    CCClipArtCategories categories(m_dir.filePath(u"none"_s));
    pwtest::LogCapture log;
    EXPECT_TRUE(categories.categoryNames().isEmpty());
    EXPECT_TRUE(categories.categoryNames().isEmpty());
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().startsWith(u"No categories index found in '"_s)) << log.lines().first().toStdString();
}

TEST_F(CategoryFolderTest, ReadsEntriesAndLeavesOutWhatIsNoPicture)
{
    QVariantList values;
    values << entry(u"tree.png"_s, u"Tree"_s);
    values << QVariant(u"just a string"_s);
    values << QVariantMap{{u"hint"_s, u"no name"_s}};
    values << QVariantMap{{u"name"_s, 42}, {u"hint"_s, u"number"_s}};
    values << entry(u"../../secret.png"_s, u"up and out"_s);
    values << entry(u"/etc/passwd"_s, u"absolute"_s);
    values << QVariantMap{{u"name"_s, u"sub/star.pdf"_s}, {u"hint"_s, 7}};
    const QString path = write(u"Mixed.idx"_s, archive(QVariantMap{{u"values"_s, values}, {u"other"_s, 1}}));
    int skipped = -1;
    const auto entries = CCClipArtCategories::readCategoryFile(path, nullptr, &skipped);
    ASSERT_TRUE(entries.has_value());
    ASSERT_EQ(entries->size(), 2);
    EXPECT_EQ(entries->at(0).name, u"tree.png"_s);
    EXPECT_EQ(entries->at(0).hint, u"Tree"_s);
    EXPECT_EQ(entries->at(1).name, u"sub/star.pdf"_s);
    EXPECT_EQ(entries->at(1).hint, QString()) << "a caption that is no string counts as none";
    EXPECT_EQ(skipped, 5);
}

struct DamagedCase
{
    const char *name;
    QByteArray bytes;
    const char *reason;
};

class DamagedCategoryFileTest : public CategoryFolderTest, public ::testing::WithParamInterface<DamagedCase>
{
};

TEST_P(DamagedCategoryFileTest, IsRefusedWithAReason)
{
    const QString path = write(u"Bad.idx"_s, GetParam().bytes);
    QString why;
    EXPECT_FALSE(CCClipArtCategories::readCategoryFile(path, &why).has_value());
    EXPECT_TRUE(why.contains(QString::fromLatin1(GetParam().reason))) << why.toStdString();
}

QByteArray truncated()
{
    const QByteArray whole = archive(QVariantMap{{u"values"_s, QVariantList{entry(u"a.png"_s, u"A"_s)}}});
    return whole.left(whole.size() / 2);
}

QByteArray plainPropertyList()
{
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                             "<key>values</key><array/></dict></plist>");
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedCategoryFileTest,
    ::testing::Values(DamagedCase{"Text", QByteArrayLiteral("Animals, Food, Travel\n"), "property list"},
                      DamagedCase{"Empty", QByteArray(), ""},
                      DamagedCase{"Truncated", truncated(), "no keyed archive"},
                      DamagedCase{"PlainPropertyList", plainPropertyList(), "no keyed archive"},
                      DamagedCase{"RootIsAnArray", archive(QVariantList{entry(u"a.png"_s, u"A"_s)}), "no dictionary"},
                      DamagedCase{"NoValues", archive(QVariantMap{{u"pictures"_s, QVariantList()}}), "\"values\""},
                      DamagedCase{"ValuesIsAString", archive(QVariantMap{{u"values"_s, u"a.png"_s}}), "\"values\""}),
    [](const ::testing::TestParamInfo<DamagedCase> &info) { return std::string(info.param.name); });

TEST_F(CategoryFolderTest, AFailedCategoryIsLoggedOnceAndTriedAgain)
{
    const QString path = write(u"Food.idx"_s, QByteArrayLiteral("damaged"));
    CCClipArtCategories categories(m_dir.path());
    pwtest::LogCapture log;
    EXPECT_EQ(categories.category(u"Food"_s), nullptr);
    EXPECT_EQ(categories.category(u"Food"_s), nullptr);
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().startsWith(u"Error while loading category index '"_s + path + u"'"_s))
        << log.lines().first().toStdString();
    EXPECT_FALSE(categories.isCached(u"Food"_s));

    // Mended, the file is read at the next choice and then kept, even when it goes again.
    write(u"Food.idx"_s, archive(QVariantMap{{u"values"_s, QVariantList{entry(u"cake.png"_s, u"Cake"_s)}}}));
    CCClipArtCategories::Category *food = categories.category(u"Food"_s);
    ASSERT_NE(food, nullptr);
    EXPECT_EQ(food->name, u"Food"_s);
    EXPECT_EQ(food->pos, 0);
    ASSERT_EQ(food->values.size(), 1);
    food->pos = 211;
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(categories.category(u"Food"_s), food);
    EXPECT_EQ(categories.category(u"Food"_s)->pos, 211);
    EXPECT_EQ(log.lines().size(), 1);
}

TEST_F(CategoryFolderTest, NamesReachingOutOfTheFolderReadNothing)
{
    write(u"inside/Secret.idx"_s, archive(QVariantMap{{u"values"_s, QVariantList{entry(u"a.png"_s, u"A"_s)}}}));
    CCClipArtCategories categories(m_dir.filePath(u"inside/below"_s));
    pwtest::LogCapture log;
    EXPECT_EQ(categories.category(u"../Secret"_s), nullptr);
    EXPECT_EQ(log.lines().size(), 1);
}

} // namespace
