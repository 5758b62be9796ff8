#include "platform/PWUserDefaults.h"

#include "PWPlistPrinter.h"
#include "TestSupport.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <limits>

namespace {

class PWUserDefaultsTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }
    // In a folder that does not exist yet: the store makes it.
    QString storePath() const { return m_folder.filePath(QStringLiteral("config/Parcelwick/Parcelwick.plist")); }
    QTemporaryDir m_folder;
};

TEST_F(PWUserDefaultsTest, RegisteredDefaultsAnswerUntilAValueIsSet)
{
    PWUserDefaults defaults(storePath());
    defaults.registerDefaults({{QStringLiteral("FTSnap"), PWPlist::fromBool(true)},
                               {QStringLiteral("FTStartingDocument"), PWPlist::fromInteger(0)}});
    EXPECT_TRUE(defaults.boolForKey(QStringLiteral("FTSnap")));
    EXPECT_FALSE(defaults.hasStoredValue(QStringLiteral("FTSnap")));
    // Registered defaults are never written.
    EXPECT_FALSE(QFile::exists(storePath()));
    defaults.setBool(QStringLiteral("FTSnap"), false);
    EXPECT_FALSE(defaults.boolForKey(QStringLiteral("FTSnap")));
    EXPECT_TRUE(defaults.hasStoredValue(QStringLiteral("FTSnap")));
    // A later registration does not hide a stored value.
    defaults.registerDefaults({{QStringLiteral("FTSnap"), PWPlist::fromBool(true)}});
    EXPECT_FALSE(defaults.boolForKey(QStringLiteral("FTSnap")));
    defaults.removeObject(QStringLiteral("FTSnap"));
    EXPECT_TRUE(defaults.boolForKey(QStringLiteral("FTSnap")));
    EXPECT_FALSE(defaults.hasStoredValue(QStringLiteral("FTSnap")));
    EXPECT_TRUE(PWUserDefaults(storePath()).storedValues().isEmpty());
}

TEST_F(PWUserDefaultsTest, ValuesOfEveryTypeSurviveARestart)
{
    const PWPlist::Dictionary values {
        {QStringLiteral("string"), PWPlist::fromString(QStringLiteral("Grüße 📦"))},
        {QStringLiteral("integer"), PWPlist::fromInteger(std::numeric_limits<qint64>::min())},
        {QStringLiteral("double"), PWPlist::fromReal(470.25)},
        {QStringLiteral("bool"), PWPlist::fromBool(true)},
        {QStringLiteral("data"), PWPlist::fromData(QByteArray("\0\1\2", 3))},
        {QStringLiteral("date"), PWPlist::fromDate(QDateTime(QDate(2024, 2, 29), QTime(8, 15, 30), Qt::UTC))},
        {QStringLiteral("array"), PWPlist::Array {PWPlist::fromString(QStringLiteral("a")), PWPlist::fromInteger(2)}},
        {QStringLiteral("dictionary"),
         PWPlist::Dictionary {
             {QStringLiteral("HP LaserJet"), PWPlist::Dictionary {{QStringLiteral("x"), PWPlist::fromReal(-1.5)}}}}},
    };
    {
        PWUserDefaults defaults(storePath());
        for (const PWPlist::Dictionary::Entry &entry : values)
            defaults.setObject(entry.first, entry.second);
    }
    PWUserDefaults restarted(storePath());
    EXPECT_EQ(restarted.storedValues(), values);
    EXPECT_EQ(restarted.storedValues().keys(), values.keys());
    // Container readers answer their own kind only.
    EXPECT_EQ(PWPlist(restarted.arrayForKey(QStringLiteral("array"))), values.value(QStringLiteral("array")));
    const QString text = QStringLiteral("string");
    EXPECT_TRUE(restarted.dataForKey(text).isEmpty() && restarted.arrayForKey(text).isEmpty()
                && restarted.dictionaryForKey(text).isEmpty());
}

TEST_F(PWUserDefaultsTest, EverySetterWritesThroughAtOnce)
{
    PWUserDefaults defaults(storePath());
    defaults.setString(QStringLiteral("a"), QStringLiteral("one"));
    defaults.setInteger(QStringLiteral("b"), 2);
    defaults.setDouble(QStringLiteral("c"), 3.5);
    defaults.setBool(QStringLiteral("d"), true);
    // Read by an independent reader while the store is still alive: nothing waits for a flush.
    const std::optional<PWPlist> onDisk = PWPlist::readFile(storePath());
    EXPECT_EQ(onDisk, PWPlist(PWPlist::Dictionary {{QStringLiteral("a"), PWPlist::fromString(QStringLiteral("one"))},
                                                   {QStringLiteral("b"), PWPlist::fromInteger(2)},
                                                   {QStringLiteral("c"), PWPlist::fromReal(3.5)},
                                                   {QStringLiteral("d"), PWPlist::fromBool(true)}}));
    EXPECT_TRUE(pwtest::readFile(storePath()).startsWith("<?xml"));
    defaults.removeObject(QStringLiteral("a"));
    defaults.setObject(QStringLiteral("b"), PWPlist());
    const std::optional<PWPlist> after = PWPlist::readFile(storePath());
    ASSERT_TRUE(after);
    EXPECT_EQ(after->toDictionary().keys(), (QStringList {QStringLiteral("c"), QStringLiteral("d")}));
}

TEST_F(PWUserDefaultsTest, TheFileIsReplacedAtomicallyWithNoTemporaryFileLeft)
{
    PWUserDefaults defaults(storePath());
    for (int i = 0; i < 20; ++i)
        defaults.setInteger(QStringLiteral("counter"), i);
    EXPECT_TRUE(defaults.synchronize());
    const QDir folder = QFileInfo(storePath()).absoluteDir();
    // Beside the file only the lock every write holds, which is never renamed.
    EXPECT_EQ(folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
              (QStringList {QStringLiteral("Parcelwick.plist"), QStringLiteral("Parcelwick.plist.lock")}));
    EXPECT_EQ(PWUserDefaults(storePath()).integerForKey(QStringLiteral("counter")), 19);
}

TEST_F(PWUserDefaultsTest, AFailedWriteIsReportedAndKeepsTheValueInMemory)
{
    // A file where the folder should be: no folder can be made, so nothing can be written.
    ASSERT_TRUE(pwtest::writeFile(m_folder.filePath(QStringLiteral("blocked")), "x"));
    PWUserDefaults defaults(m_folder.filePath(QStringLiteral("blocked/Parcelwick.plist")));
    defaults.setInteger(QStringLiteral("k"), 5);
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("k")), 5);
    EXPECT_FALSE(defaults.synchronize());
}

class PWUserDefaultsCorruptTest : public PWUserDefaultsTest, public testing::WithParamInterface<QByteArray> {};

TEST_P(PWUserDefaultsCorruptTest, IsSetAsideAndTheStoreStartsEmpty)
{
    const QByteArray corrupt = GetParam();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(storePath()).absolutePath()));
    ASSERT_TRUE(pwtest::writeFile(storePath(), corrupt));
    ASSERT_TRUE(pwtest::writeFile(storePath() + QStringLiteral(".corrupt"), "an older casualty"));
    PWUserDefaults defaults(storePath());
    EXPECT_TRUE(defaults.storedValues().isEmpty());
    EXPECT_FALSE(QFile::exists(storePath()));
    // A copy kept at an earlier start is never replaced: this one takes the next free name.
    EXPECT_EQ(pwtest::readFile(storePath() + QStringLiteral(".corrupt")), "an older casualty");
    EXPECT_EQ(pwtest::readFile(storePath() + QStringLiteral(".corrupt-2")), corrupt);
    // The next setting starts a sound file and leaves the set-aside ones alone.
    defaults.setInteger(QStringLiteral("k"), 1);
    EXPECT_EQ(PWUserDefaults(storePath()).integerForKey(QStringLiteral("k")), 1);
    EXPECT_EQ(pwtest::readFile(storePath() + QStringLiteral(".corrupt")), "an older casualty");
    EXPECT_EQ(pwtest::readFile(storePath() + QStringLiteral(".corrupt-2")), corrupt);
}

INSTANTIATE_TEST_SUITE_P(Contents, PWUserDefaultsCorruptTest,
                         testing::Values(QByteArray("garbage, not a property list"),
                                         PWPlist(PWPlist::Array {PWPlist::fromInteger(1)}).toXml(), QByteArray()),
                         [](const testing::TestParamInfo<QByteArray> &info) {
                             return (std::array {"Garbage", "ArrayAtTheTop", "Empty"})[info.index];
                         });

TEST_F(PWUserDefaultsTest, EveryDamagedFileIsKeptUnderANameOfItsOwnAndNamed)
{
    // Starts on a damaged file, one after the other: none of the copies replaces another.
    const QByteArray damaged[] = {"<plist><dict><key>PrintListArray</key>", "\xff\xfe garbage", "",
                                  PWPlist(PWPlist::fromString(QStringLiteral("a text"))).toXml()};
    const QString keptNames[] = {QStringLiteral(".corrupt"), QStringLiteral(".corrupt-2"), QStringLiteral(".corrupt-3"),
                                 QStringLiteral(".corrupt-4")};
    ASSERT_TRUE(QDir().mkpath(QFileInfo(storePath()).absolutePath()));
    for (size_t i = 0; i < std::size(damaged); ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(pwtest::writeFile(storePath(), damaged[i]));
        PWUserDefaults defaults(storePath());
        ASSERT_EQ(defaults.problems().size(), 1);
        EXPECT_TRUE(defaults.problems().first().contains(storePath() + keptNames[i])) << qPrintable(defaults.problems().first());
        defaults.setInteger(QStringLiteral("k"), 1);
        for (size_t j = 0; j <= i; ++j)
            EXPECT_EQ(pwtest::readFile(storePath() + keptNames[j]), damaged[j]) << j;
    }
    // A file that reads names nothing.
    EXPECT_TRUE(PWUserDefaults(storePath()).problems().isEmpty());
}

TEST_F(PWUserDefaultsTest, AFolderInTheFilesPlaceIsNamedAndNeverReplaced)
{
    ASSERT_TRUE(QDir().mkpath(storePath() + QStringLiteral("/inside")));
    PWUserDefaults defaults(storePath());
    ASSERT_EQ(defaults.problems().size(), 1);
    EXPECT_TRUE(defaults.problems().first().contains(QStringLiteral("cannot be used (not a regular file)"))) << qPrintable(defaults.problems().first());
    // Values set live in memory; the write is refused and told like any failed write.
    QSignalSpy failed(&defaults, &PWUserDefaults::writeFailed);
    defaults.setInteger(QStringLiteral("k"), 1);
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("k")), 1);
    EXPECT_FALSE(defaults.isSaved());
    EXPECT_EQ(failed.count(), 1);
    EXPECT_TRUE(QFileInfo(storePath() + QStringLiteral("/inside")).isDir());
}

TEST_F(PWUserDefaultsTest, AJobLeavesTheFileAsItFoundIt)
{
    PWUserDefaults::setLeavesFileAsFound(true);
    const auto restore = qScopeGuard([] { PWUserDefaults::setLeavesFileAsFound(false); });
    ASSERT_TRUE(QDir().mkpath(QFileInfo(storePath()).absolutePath()));
    const QByteArray sound = PWPlist(PWPlist::Dictionary {{QStringLiteral("k"), PWPlist::fromInteger(1)}}).toXml();
    for (const QByteArray &found : {QByteArray("garbage, not a property list"), sound}) {
        ASSERT_TRUE(pwtest::writeFile(storePath(), found));
        PWUserDefaults defaults(storePath());
        EXPECT_EQ(defaults.problems().size(), found == sound ? 0 : 1);
        // Set, removed and written: held for the job, never put into the file.
        defaults.setBool(QStringLiteral("FTSaveAsTemplate"), false);
        defaults.removeObject(QStringLiteral("k"));
        EXPECT_TRUE(defaults.synchronize());
        EXPECT_TRUE(defaults.boolForKey(QStringLiteral("FTSaveAsTemplate")) == false
                    && defaults.hasStoredValue(QStringLiteral("FTSaveAsTemplate")));
        EXPECT_EQ(pwtest::readFile(storePath()), found);
        EXPECT_FALSE(QFile::exists(storePath() + QStringLiteral(".corrupt")));
    }
}

// What a job sets stays in memory and is saved as far as the job is concerned, whatever is in the
// file's place: a job that writes nothing has no write to fail.
TEST_F(PWUserDefaultsTest, AJobsSettingsAreNeverAFailedWrite)
{
    PWUserDefaults::setLeavesFileAsFound(true);
    const auto restore = qScopeGuard([] { PWUserDefaults::setLeavesFileAsFound(false); });
    ASSERT_TRUE(QDir().mkpath(storePath() + QStringLiteral("/inside")));
    PWUserDefaults defaults(storePath());
    EXPECT_EQ(defaults.problems().size(), 1);
    QSignalSpy failed(&defaults, &PWUserDefaults::writeFailed);
    defaults.setInteger(QStringLiteral("k"), 1);
    EXPECT_TRUE(defaults.synchronize());
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("k")), 1);
    EXPECT_TRUE(defaults.isSaved());
    EXPECT_EQ(failed.count(), 0);
    EXPECT_TRUE(QFileInfo(storePath() + QStringLiteral("/inside")).isDir());
}

TEST_F(PWUserDefaultsTest, ChangesAreSignalledOnlyWhenTheValueChanges)
{
    PWUserDefaults defaults(storePath());
    QSignalSpy spy(&defaults, &PWUserDefaults::valueChanged);
    defaults.setInteger(QStringLiteral("k"), 1);
    defaults.setInteger(QStringLiteral("k"), 1);
    defaults.setDouble(QStringLiteral("k"), 1.0);
    defaults.removeObject(QStringLiteral("k"));
    defaults.removeObject(QStringLiteral("k"));
    EXPECT_EQ(spy.count(), 3);
}

TEST_F(PWUserDefaultsTest, ReloadPicksUpAnotherWriterAndSignalsTheChangedKeys)
{
    PWUserDefaults first(storePath());
    first.setInteger(QStringLiteral("kept"), 1);
    first.setInteger(QStringLiteral("changed"), 2);
    first.setInteger(QStringLiteral("removed"), 3);
    PWUserDefaults second(storePath());
    second.setInteger(QStringLiteral("changed"), 20);
    second.removeObject(QStringLiteral("removed"));
    second.setInteger(QStringLiteral("added"), 4);
    QSignalSpy spy(&first, &PWUserDefaults::valueChanged);
    EXPECT_TRUE(first.reload());
    QStringList keys;
    for (const QList<QVariant> &arguments : std::as_const(spy))
        keys.append(arguments.at(0).toString());
    keys.sort();
    EXPECT_EQ(keys.join(QLatin1Char(' ')), QStringLiteral("added changed removed"));
    EXPECT_EQ(first.integerForKey(QStringLiteral("changed")), 20);
    EXPECT_FALSE(first.hasStoredValue(QStringLiteral("removed")));
}

// --- Typed readers ------------------------------------------------------------------------------

// What each reader makes of each kind of stored value: "bool integer double string", "-" for no string.
class PWUserDefaultsReaderTest : public PWUserDefaultsTest, public testing::WithParamInterface<std::pair<PWPlist, const char *>> {};

TEST_P(PWUserDefaultsReaderTest, Converts)
{
    PWUserDefaults defaults(storePath());
    const QString key = QStringLiteral("key");
    defaults.setObject(key, GetParam().first);
    const QString string = defaults.stringForKey(key);
    EXPECT_EQ(QStringLiteral("%1 %2 %3 %4")
                  .arg(int(defaults.boolForKey(key)))
                  .arg(defaults.integerForKey(key))
                  .arg(defaults.doubleForKey(key))
                  .arg(string.isNull() ? QStringLiteral("-") : string),
              QString::fromUtf8(GetParam().second));
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, PWUserDefaultsReaderTest,
    testing::Values(std::pair {PWPlist::fromBool(true), "1 1 1 1"}, std::pair {PWPlist::fromInteger(-3), "1 -3 -3 -3"},
                    std::pair {PWPlist::fromInteger(0), "0 0 0 0"}, std::pair {PWPlist::fromReal(-0.5), "1 0 -0.5 -0.5"},
                    std::pair {PWPlist::fromString(QStringLiteral("yes")), "1 0 0 yes"},
                    std::pair {PWPlist::fromString(QStringLiteral("NO")), "0 0 0 NO"},
                    std::pair {PWPlist::fromString(QStringLiteral(" -42 ")), "1 -42 -42  -42 "},
                    std::pair {PWPlist::fromString(QStringLiteral("470.5")), "1 470 470.5 470.5"},
                    std::pair {PWPlist::fromString(QStringLiteral("1,5")), "0 0 0 1,5"},
                    std::pair {PWPlist::fromData("1"), "0 0 0 -"}, std::pair {PWPlist(), "0 0 0 -"}));

// --- Where the store lives ----------------------------------------------------------------------

TEST(PWUserDefaultsPathTest, HonoursXdgConfigHomeAndFallsBackToDotConfig)
{
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const auto restore = qScopeGuard([&saved] { qputenv("XDG_CONFIG_HOME", saved); });
    qputenv("XDG_CONFIG_HOME", "/somewhere/config");
    EXPECT_EQ(PWUserDefaults::defaultFilePath(), QStringLiteral("/somewhere/config/Parcelwick/Parcelwick.plist"));
    const QString fallback = QDir::homePath() + QStringLiteral("/.config/Parcelwick/Parcelwick.plist");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(PWUserDefaults::defaultFilePath(), fallback);
    qputenv("XDG_CONFIG_HOME", "");
    EXPECT_EQ(PWUserDefaults::defaultFilePath(), fallback);
    qputenv("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(PWUserDefaults::defaultFilePath(), fallback);
}

// A write that fails is reported with the key and the reason, every time; the store is unsaved
// until a write succeeds again, which is reported once. A file where the folder should be stops
// even root.
TEST_F(PWUserDefaultsTest, FailedWritesAreReportedAndTheRecoveryOnce)
{
    PWUserDefaults defaults(storePath());
    QSignalSpy failed(&defaults, &PWUserDefaults::writeFailed);
    QSignalSpy recovered(&defaults, &PWUserDefaults::writeRecovered);
    const QString folder = QFileInfo(storePath()).absolutePath();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(folder).absolutePath()));
    const auto block = [&folder](bool blocked) {
        QDir(folder).removeRecursively();
        QFile::remove(folder);
        if (blocked) {
            QFile stand(folder);
            ASSERT_TRUE(stand.open(QIODevice::WriteOnly));
        }
    };
    const struct
    {
        const char *name;
        bool blocked;
        std::function<void()> change;
        QString key;
        int failures;
        int recoveries;
        bool saved;
    } steps[] = {
        {"set while blocked", true, [&] { defaults.setInteger(QStringLiteral("a"), 1); }, QStringLiteral("a"), 1, 0, false},
        {"removed while blocked", true, [&] { defaults.removeObject(QStringLiteral("a")); }, QStringLiteral("a"), 2, 0,
         false},
        {"synchronized while blocked", true, [&] { EXPECT_FALSE(defaults.synchronize()); }, QString(), 3, 0, false},
        {"written again", false, [&] { defaults.setInteger(QStringLiteral("b"), 2); }, QString(), 3, 1, true},
        {"written once more", false, [&] { defaults.setInteger(QStringLiteral("b"), 3); }, QString(), 3, 1, true},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.name);
        block(step.blocked);
        step.change();
        ASSERT_EQ(failed.size(), step.failures);
        EXPECT_EQ(recovered.size(), step.recoveries);
        EXPECT_EQ(defaults.isSaved(), step.saved);
        if (step.blocked) {
            EXPECT_EQ(failed.last().at(0).toString(), step.key);
            EXPECT_FALSE(failed.last().at(1).toString().isEmpty());
        }
    }
    // Everything set meanwhile reached the file with the first write that succeeded.
    EXPECT_EQ(PWUserDefaults(storePath()).integerForKey(QStringLiteral("b")), 3);
    EXPECT_FALSE(PWUserDefaults(storePath()).hasStoredValue(QStringLiteral("a")));
}

// Two stores on one file, as two instances sharing a home: a write of A, which read the file
// before B wrote it, takes in each key B changed and A did not, and gives the key both changed to
// its merge, else to A.
TEST_F(PWUserDefaultsTest, AWriteTakesInWhatAnotherStoreWroteSinceItRead)
{
    const auto text = [](const char *value) { return PWPlist::fromString(QString::fromLatin1(value)); };
    const auto otherStoreSets = [this](const QString &key, const PWPlist &value) {
        PWUserDefaults other(storePath());
        other.setObject(key, value);
    };
    {
        PWUserDefaults seed(storePath());
        for (const char *key : {"keptByA", "changedByB", "removedByB", "both", "changedByA"})
            seed.setObject(QString::fromLatin1(key), text("read"));
    }
    PWUserDefaults a(storePath());
    a.setMergeForKey(QStringLiteral("both"), [](const PWPlist &base, const PWPlist &mine, const PWPlist &theirs) {
        return PWPlist::fromString(base.toString() + QLatin1Char('+') + mine.toString() + QLatin1Char('+') + theirs.toString());
    });
    {
        PWUserDefaults b(storePath());
        b.setObject(QStringLiteral("changedByB"), text("b"));
        b.removeObject(QStringLiteral("removedByB"));
        b.setObject(QStringLiteral("addedByB"), text("b"));
        b.setObject(QStringLiteral("both"), text("b"));
    }
    QSignalSpy taken(&a, &PWUserDefaults::takenFromFile);
    a.setObject(QStringLiteral("both"), text("a"));
    // Without a merge the key both changed is A's.
    otherStoreSets(QStringLiteral("keptByA"), text("c"));
    a.setObject(QStringLiteral("keptByA"), text("a"));
    a.setObject(QStringLiteral("changedByA"), text("a"));

    const PWUserDefaults after(storePath());
    const PWPlist::Dictionary expected {{QStringLiteral("keptByA"), text("a")},
                                        {QStringLiteral("changedByB"), text("b")},
                                        {QStringLiteral("both"), text("read+a+b")},
                                        {QStringLiteral("changedByA"), text("a")},
                                        {QStringLiteral("addedByB"), text("b")}};
    EXPECT_EQ(after.storedValues(), expected);
    EXPECT_EQ(a.storedValues(), expected) << "A holds what it took in";
    ASSERT_EQ(taken.count(), 1) << "taken in at A's first write, which found the file changed";
    QStringList keys = taken.at(0).at(0).toStringList();
    keys.sort();
    EXPECT_EQ(keys, (QStringList {QStringLiteral("addedByB"), QStringLiteral("both"), QStringLiteral("changedByB"),
                                  QStringLiteral("removedByB")}));
}

// A store that starts watching the file takes in what another store wrote before the watch began,
// at its first idle moment and without a write of its own, and then each later write, key by key.
TEST_F(PWUserDefaultsTest, WatchingTakesInWhatWasWrittenBeforeItBeganAndAfter)
{
    const auto otherStoreSets = [this](const QString &key, const QString &value) {
        PWUserDefaults other(storePath());
        other.setString(key, value);
    };
    otherStoreSets(QStringLiteral("seeded"), QStringLiteral("read"));
    PWUserDefaults a(storePath());
    otherStoreSets(QStringLiteral("before"), QStringLiteral("b"));
    QSignalSpy taken(&a, &PWUserDefaults::takenFromFile);
    a.watchOtherWrites();
    ASSERT_TRUE(taken.count() > 0 || taken.wait(pwtest::kEventWaitMs)) << "what was written before the watch";
    EXPECT_EQ(taken.at(0).at(0).toStringList(), QStringList {QStringLiteral("before")});
    EXPECT_EQ(a.stringForKey(QStringLiteral("before")), QStringLiteral("b"));

    otherStoreSets(QStringLiteral("after"), QStringLiteral("c"));
    ASSERT_TRUE(taken.count() > 1 || taken.wait(pwtest::kEventWaitMs)) << "what was written after";
    EXPECT_EQ(taken.at(1).at(0).toStringList(), QStringList {QStringLiteral("after")});
    EXPECT_EQ(a.stringForKey(QStringLiteral("seeded")), QStringLiteral("read"));
}

} // namespace
