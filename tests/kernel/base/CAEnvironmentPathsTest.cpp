#include "kernel/base/CAEnvironment.h"

#include "TestSupport.h"
#include "platform/PWUserDefaults.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

const QString kLibraryKey = QStringLiteral("FTSharedContentLibraryPath");

class ContentLibrary : public ::testing::Test
{
protected:
    void SetUp() override { defaults().removeObject(kLibraryKey); }
    void TearDown() override { defaults().removeObject(kLibraryKey); }
    static PWUserDefaults &defaults() { return PWUserDefaults::standardUserDefaults(); }
};

} // namespace

TEST_F(ContentLibrary, TheSettingIsTakenWithItsLinksResolvedUnlessEmptyOrNotText)
{
    QTemporaryDir folder;
    const QString real = folder.filePath(QStringLiteral("real-library"));
    const QString link = folder.filePath(QStringLiteral("linked-library"));
    ASSERT_TRUE(QDir().mkpath(real));
    ASSERT_TRUE(QFile::link(real, link));
    defaults().setString(kLibraryKey, link + QLatin1Char('/'));
    EXPECT_EQ(CAEnvironment::maskPath(), QFileInfo(real).canonicalFilePath() + QStringLiteral("/Masks/Images"));
    // A folder that does not exist is used as written; nothing checks for it.
    defaults().setString(kLibraryKey, QStringLiteral("/nonexistent/library"));
    EXPECT_EQ(CAEnvironment::basicShapePath(), QStringLiteral("/nonexistent/library/BasicShapes"));
    defaults().setString(kLibraryKey, QStringLiteral("~/My Library"));
    EXPECT_EQ(CAEnvironment::sharedContentLibraryPath(), pwtest::homePath() + QStringLiteral("/My Library"));
    for (const PWPlist &value : {PWPlist::fromString(QString()), PWPlist::fromInteger(7)}) {
        defaults().setObject(kLibraryKey, value);
        EXPECT_EQ(CAEnvironment::sharedContentLibraryPath(), CAEnvironment::defaultContentLibraryPath());
    }
}

TEST(CAEnvironmentPathsTest, PreferredLocalizationFollowsTheUsersLanguages)
{
    const QStringList available = {QStringLiteral("en"), QStringLiteral("de"), QStringLiteral("pt-BR"), QStringLiteral("German")};
    const auto preferred = [&](const char *languages) {
        return CAEnvironment::preferredLocalization(available, QString::fromLatin1(languages).split(u' '));
    };
    EXPECT_EQ(QStringList({preferred("de-DE en"), preferred("pt_BR"), preferred("German"), preferred("fr-FR C")}),
              QStringList({QStringLiteral("de"), QStringLiteral("pt-BR"), QStringLiteral("German"), QStringLiteral("en")}));
    EXPECT_EQ(CAEnvironment::preferredLocalization({QStringLiteral("fr")}, {QStringLiteral("ja")}), QStringLiteral("fr"));
    EXPECT_EQ(CAEnvironment::preferredLocalization({}, {QStringLiteral("ja")}), QStringLiteral("en"));
}

TEST(CAEnvironmentInstanceTest, TheInstanceFixesThePaperSizeAndRegistersPersonPropertiesLate)
{
    CAEnvironment::sharedEnvironment();
    const QSizeF paper = CAEnvironment::defaultPageSize();
    EXPECT_TRUE(paper == QSizeF(595, 842) || paper == QSizeF(612, 792)) << paper.width() << " x " << paper.height();
    // A paper source set later does not change what the environment took at creation.
    CAEnvironment::setPaperSizeSource([] { return QSizeF(100, 100); });
    EXPECT_EQ(CAEnvironment::defaultPageSize(), paper);
    CAEnvironment::setPaperSizeSource(nullptr);
    CAEnvironment::sharedEnvironment();
    QStringList registered;
    CAEnvironment::setPersonPropertiesRegistration([&registered](const QStringList &names) { registered = names; });
    CAEnvironment::setPersonPropertiesRegistration(nullptr);
    EXPECT_TRUE(registered.contains(QStringLiteral("ABDepartment"))) << registered.join(QLatin1Char(' ')).toStdString();
}

TEST(CAEnvironmentInstanceTest, TheStopRequestReachesAWorkerAndClearingItStartsTheProgressAgain)
{
    CAEnvironment &environment = CAEnvironment::sharedEnvironment();
    environment.setImportRecordCount(120);
    environment.setCurrentImportRecordIndex(57);
    environment.setTerminateScriptExecutionFlag(true);
    EXPECT_TRUE(environment.isTerminateScriptExecutionFlag());
    EXPECT_EQ(std::pair(environment.importRecordCount(), environment.currentImportRecordIndex()), std::pair(120u, 57u));
    environment.setTerminateScriptExecutionFlag(false);
    EXPECT_FALSE(environment.isTerminateScriptExecutionFlag());
    EXPECT_EQ(std::pair(environment.importRecordCount(), environment.currentImportRecordIndex()), std::pair(0u, 0u));
    CAEnvironment &shared = CAEnvironment::sharedEnvironment();
    shared.setTerminateScriptExecutionFlag(false);
    std::atomic<std::uint32_t> recordsDone {0};
    // The worker imports until it is told to stop, or gives up after a bounded number of records
    // so that a lost stop request fails the test instead of hanging it.
    constexpr std::uint32_t kGiveUp = 50'000'000;
    std::thread worker([&shared, &recordsDone] {
        while (!shared.isTerminateScriptExecutionFlag() && recordsDone < kGiveUp)
            shared.setCurrentImportRecordIndex(++recordsDone);
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (shared.currentImportRecordIndex() < 100 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    shared.setTerminateScriptExecutionFlag(true);
    worker.join();
    EXPECT_LT(recordsDone.load(), kGiveUp) << "the worker never saw the stop request";
    EXPECT_GE(shared.currentImportRecordIndex(), 100u);
    EXPECT_EQ(shared.currentImportRecordIndex(), recordsDone.load());
    shared.setTerminateScriptExecutionFlag(false);
}

// A folder the setting names relative to nothing would be one of wherever the program was started
// from, and the first start would copy the library into it: the default library is taken instead,
// the setting is named and kept as it is.
TEST_F(ContentLibrary, AFolderThatIsNoFullPathIsRefusedNamedAndKept)
{
    const struct
    {
        PWPlist stored;
        bool taken;
        const char *named; // in what the settings' problems say; empty: nothing
    } rows[] = {
        {PWPlist::fromString(QStringLiteral("abc")), false, "\"abc\" in the settings"},
        {PWPlist::fromString(QStringLiteral("./Library")), false, "\"./Library\""},
        {PWPlist::fromString(QStringLiteral("../up/Library")), false, "\"../up/Library\""},
        {PWPlist::fromString(QStringLiteral("Library/")), false, "\"Library/\""},
        {PWPlist::fromString(QStringLiteral("~user/Library")), false, "\"~user/Library\""},
        {PWPlist(PWPlist::Array {PWPlist::fromString(QStringLiteral("/tmp"))}), false, "is a list, not a folder"},
        {PWPlist::fromData("/srv/library"), false, "is data, not a folder"},
        {PWPlist::fromString(QStringLiteral("/srv/library")), true, ""},
        {PWPlist::fromString(QStringLiteral("~/Library")), true, ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.stored.toXml().toStdString());
        defaults().setObject(kLibraryKey, row.stored);
        const QStringList before = defaults().problems();
        const QString path = CAEnvironment::sharedContentLibraryPath();
        EXPECT_EQ(path == CAEnvironment::defaultContentLibraryPath(), !row.taken) << qPrintable(path);
        EXPECT_TRUE(QDir::isAbsolutePath(path)) << qPrintable(path);
        const QStringList named = defaults().problems().mid(before.size());
        if (row.named[0] == '\0') {
            EXPECT_TRUE(named.isEmpty()) << qPrintable(named.join(u'\n'));
        } else {
            // Named once, however often the library is asked for.
            CAEnvironment::clipArtPath();
            ASSERT_EQ(defaults().problems().size(), before.size() + 1);
            EXPECT_TRUE(named.value(0).contains(QLatin1String(row.named))) << qPrintable(named.value(0));
        }
        EXPECT_EQ(defaults().objectForKey(kLibraryKey), row.stored) << "the setting is kept";
    }
}
