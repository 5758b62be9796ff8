#include "platform/PWBundle.h"

#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString fixtureRoot()
{
    return pwtest::dataPath(QStringLiteral("bundle"));
}

bool writeFile(const QString &path, const QByteArray &contents)
{
    return QDir().mkpath(QFileInfo(path).absolutePath()) && pwtest::writeFile(path, contents);
}

QByteArray plistWithDictionaryBody(const QByteArray &body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\"><dict>"
        + body + "</dict></plist>\n";
}

} // namespace

struct LocalizedCase { const char *name, *key, *value, *table, *expected; };

using PWBundleLocalizedStringTest = ::testing::TestWithParam<LocalizedCase>;

TEST_P(PWBundleLocalizedStringTest, AnswersTextValueOrKey)
{
    const LocalizedCase &c = GetParam();
    const PWBundle bundle(fixtureRoot());
    EXPECT_EQ(bundle.localizedString(QString::fromUtf8(c.key), QString::fromUtf8(c.value), QString::fromUtf8(c.table)),
              QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Lookups, PWBundleLocalizedStringTest,
    ::testing::Values(LocalizedCase {"Found", "MOVE_OBJECT", "", "", "Move"},
                      LocalizedCase {"FoundEmptyTextStaysEmpty", "EMPTY_TEXT", "Fallback", "", ""},
                      LocalizedCase {"MissingAnswersValue", "NO_SUCH_KEY", "Fallback", "", "Fallback"},
                      LocalizedCase {"NonStringEntryCountsAsMissing", "NOT_A_STRING", "", "", "NOT_A_STRING"},
                      LocalizedCase {"OtherTable", "MOVE_OBJECT", "", "Alerts", "Moving is not possible"},
                      LocalizedCase {"MissingTableWithValue", "MOVE_OBJECT", "Fallback", "NoSuchTable", "Fallback"},
                      LocalizedCase {"EmptyKeyAnswersValue", "", "Fallback", "", "Fallback"}),
    [](const ::testing::TestParamInfo<LocalizedCase> &info) { return std::string(info.param.name); });

// An empty expectedRelative: not found.
struct ResourceCase { const char *name, *resource, *type, *subdirectory, *expectedRelative; };

using PWBundleResourceTest = ::testing::TestWithParam<ResourceCase>;

TEST_P(PWBundleResourceTest, FindsResourceInRootThenLocalization)
{
    const ResourceCase &c = GetParam();
    const PWBundle bundle(fixtureRoot());
    const QString relative = QString::fromUtf8(c.expectedRelative);
    const QString expected =
        relative.isEmpty() ? QString() : QDir::cleanPath(fixtureRoot() + QLatin1Char('/') + relative);
    EXPECT_EQ(bundle.pathForResource(QString::fromUtf8(c.resource), QString::fromUtf8(c.type),
                                     QString::fromUtf8(c.subdirectory)),
              expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lookups, PWBundleResourceTest,
    ::testing::Values(ResourceCase {"InSubdirectory", "Sample", "txt", "Templates", "Templates/Sample.txt"},
                      ResourceCase {"InLocalizationFolder", "Localizable", "strings", "", "en.lproj/Localizable.strings"},
                      ResourceCase {"FolderWithoutType", "Templates", "", "", "Templates"},
                      ResourceCase {"WrongSubdirectory", "Sample", "txt", "", ""},
                      ResourceCase {"Missing", "NoSuchResource", "txt", "", ""},
                      ResourceCase {"DotsThatStayInside", "../Info", "plist", "Templates", "Info.plist"}),
    [](const ::testing::TestParamInfo<ResourceCase> &info) { return std::string(info.param.name); });

TEST(PWBundleTest, ResourceDataReadsTheFile)
{
    const PWBundle bundle(fixtureRoot());
    EXPECT_EQ(bundle.resourceData(QStringLiteral("Sample"), QStringLiteral("txt"), QStringLiteral("Templates")),
              QByteArray("Sample template resource\n"));
}

TEST(PWBundleTest, RootResourceWinsOverLocalizedOne)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("Both.txt")), "root"));
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("en.lproj/Both.txt")), "localized"));
    const PWBundle bundle(dir.path());
    EXPECT_EQ(bundle.resourceData(QStringLiteral("Both"), QStringLiteral("txt")), QByteArray("root"));
}

TEST(PWBundleTest, NeverAnswersAFileOutsideTheBundle)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("secret.txt")), "outside"));
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("Bundle/Info.plist")), plistWithDictionaryBody("")));
    const PWBundle bundle(dir.filePath(QStringLiteral("Bundle")));
    EXPECT_TRUE(
        bundle.pathForResource(QStringLiteral("secret"), QStringLiteral("txt"), QStringLiteral("..")).isEmpty());
    EXPECT_TRUE(bundle.pathForResource(QStringLiteral("../secret"), QStringLiteral("txt")).isEmpty());
    EXPECT_TRUE(bundle.resourceData(QStringLiteral("../../secret"), QStringLiteral("txt"), QStringLiteral("en.lproj"))
                    .isEmpty());
}

TEST(PWBundleTest, RelativeRootIsMadeAbsolute)
{
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(pwtest::dataPath()));
    const PWBundle bundle(QStringLiteral("bundle"));
    QDir::setCurrent(saved);
    EXPECT_EQ(bundle.bundleVersion(), 101);
}

// entry: the CFBundleVersion key and value, or nothing.
struct VersionCase { const char *name; QByteArray entry; int expected; };

using PWBundleVersionTest = ::testing::TestWithParam<VersionCase>;

TEST_P(PWBundleVersionTest, ParsesTheVersionAsAnInteger)
{
    const VersionCase &c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("Info.plist")), plistWithDictionaryBody(c.entry)));
    EXPECT_EQ(PWBundle(dir.path()).bundleVersion(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, PWBundleVersionTest,
    ::testing::Values(VersionCase {"Plain", "<key>CFBundleVersion</key><string>73</string>", 73},
                      VersionCase {"DottedTakesLeadingDigits", "<key>CFBundleVersion</key><string>101.2</string>", 101},
                      VersionCase {"IntegerValue", "<key>CFBundleVersion</key><integer>120</integer>", 120},
                      VersionCase {"TooLargeIsClamped", "<key>CFBundleVersion</key><string>99999999999</string>",
                                   2147483647},
                      VersionCase {"Absent", "<key>CFBundleName</key><string>x</string>", 0}),
    [](const ::testing::TestParamInfo<VersionCase> &info) { return std::string(info.param.name); });

TEST(PWBundleTest, MissingOrMalformedFilesAreLoggedAndAnswerDefaults)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("en.lproj/Localizable.strings")), "<plist><dict><key>A</key>"));
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("en.lproj/Listed.strings")),
                          "<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>"));
    const PWBundle bundle(dir.path());
    const pwtest::LogCapture log;
    EXPECT_EQ(bundle.localizedString(QStringLiteral("A")), QStringLiteral("A"));
    EXPECT_EQ(bundle.localizedString(QStringLiteral("A"), QString(), QStringLiteral("Listed")), QStringLiteral("A"));
    EXPECT_EQ(bundle.bundleVersion(), 0);
    EXPECT_TRUE(bundle.infoDictionary().isEmpty());
    // The property-list reader may add lines of its own; the bundle names the file it gave up on,
    // once: a table is read once, and asking again neither re-reads nor logs again.
    EXPECT_EQ(bundle.localizedString(QStringLiteral("B"), QStringLiteral("b")), QStringLiteral("b"));
    const QStringList lines = pwtest::LogCapture::lines().filter(dir.path());
    EXPECT_EQ(lines.size(), 3) << lines.join(QLatin1Char('\n')).toStdString();
    for (const char *part : {"Localizable.strings", "not a dictionary", "Info.plist"})
        EXPECT_TRUE(lines.join(QLatin1Char('\n')).contains(QLatin1String(part))) << part;
}
