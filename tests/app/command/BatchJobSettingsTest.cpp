// The settings a batch job finds, as a user's script meets them: the job reads them and writes none
// (the settings file is left byte for byte as it was, damaged or not, and nothing is put beside
// it), names on standard error what it cannot use, and fails a job whose print list holds a
// person that does not read, without printing any of it.
#include "TestSupport.h"
#include "ProgramRunSupport.h"

#include "app/command/CACommandLine.h"
#include "app/contacts/CAPersonListDictionary.h"

#include "kernel/base/CDDString.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWImage.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWPlist.h"
#include "platform/PWUserDefaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

std::shared_ptr<PWPerson> settingsTestPerson(const QString &first, const QString &last)
{
    std::shared_ptr<PWPerson> person = PWPerson::create();
    person->setValueForProperty(kPWFirstNameProperty, PWPlist::fromString(first));
    person->setValueForProperty(kPWLastNameProperty, PWPlist::fromString(last));
    return person;
}

class BatchJobSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        QString error;
        ASSERT_TRUE(commandtest::writeAddressDesign(path(u"address.pwdc"_s), &error)) << qPrintable(error);
        // A picture kept in the design: printing it goes through the picture store.
        QImage sample(60, 40, QImage::Format_RGB32);
        sample.fill(Qt::darkGreen);
        CADocument document(std::make_unique<CFTADocument>(dtPostcard, CDDString(u"us"_s), CDDString(u"us"_s)));
        auto *picture = new CFTPicture(CDDPicture(PWImage::fromQImage(sample)));
        picture->SetOrigin(10.0, 10.0);
        picture->SetSize(120.0, 80.0);
        document.ftDocument()->AddObject(picture, 0, false);
        ASSERT_TRUE(document.writeToFile(path(u"picture.pwdc"_s), &error)) << qPrintable(error);

        m_settings = PWUserDefaults::standardUserDefaults().filePath();
        m_hadSettings = QFile::exists(m_settings);
        m_settingsBefore = pwtest::readFile(m_settings);
        ASSERT_TRUE(QDir().mkpath(QFileInfo(m_settings).absolutePath()));
    }
    void TearDown() override
    {
        const QDir folder = QFileInfo(m_settings).absoluteDir();
        for (const QString &aside : folder.entryList({QFileInfo(m_settings).fileName() + u".corrupt*"_s}, QDir::Files))
            QFile::remove(folder.filePath(aside));
        if (m_hadSettings)
            pwtest::writeFile(m_settings, m_settingsBefore);
        else
            QFile::remove(m_settings);
        PWUserDefaults::standardUserDefaults().reload();
    }

    QString path(const QString &name) const { return m_folder.filePath(name); }
    QStringList settingsFolder() const
    {
        return QFileInfo(m_settings).absoluteDir().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir m_folder;
    QString m_settings;
    bool m_hadSettings = false;
    QByteArray m_settingsBefore;
};

TEST_F(BatchJobSettingsTest, TheSettingsFileIsLeftAsTheJobFoundIt)
{
    // Sound files without what a job would add (the template switch of the picture store) and
    // with values in forms their readers refuse; damaged files a window start would move aside.
    const PWPlist::Dictionary refused {
        {u"DefaultCountry"_s, PWPlist(PWPlist::Array {PWPlist::fromString(u"de"_s)})},
        {u"FTSharedContentLibraryPath"_s, PWPlist::fromString(u"abc"_s)},
        {u"FTVectorPrinting"_s, PWPlist::fromBool(true)},
    };
    const struct
    {
        const char *name;
        QByteArray file;
        bool damaged;
    } rows[] = {
        {"sound, as text", PWPlist(refused).toXml(), false},
        {"sound, binary", PWPlist(refused).toBinary(), false},
        {"no country at all", PWPlist(PWPlist::Dictionary {{u"FTSnap"_s, PWPlist::fromBool(true)}}).toXml(), false},
        {"garbage", "garbage, no property list", true},
        {"a list at the top", PWPlist(PWPlist::Array {PWPlist::fromInteger(1)}).toXml(), true},
        {"cut short", PWPlist(refused).toXml().chopped(20), true},
        {"empty", QByteArray(), true},
    };
    const QStringList jobs[] = {
        {u"--print"_s, path(u"picture.pwdc"_s), u"--output"_s, path(u"out.pdf"_s)},
        {u"--export"_s, path(u"picture.pwdc"_s), path(u"out.tif"_s)},
        {u"--print"_s, path(u"address.pwdc"_s), u"--output"_s, path(u"out.pdf"_s)},
    };
    // What each job answers on settings that read: damage in them does not change it.
    QList<int> sound;
    for (const QStringList &job : jobs) {
        ASSERT_TRUE(pwtest::writeFile(m_settings, rows[2].file));
        sound.append(commandtest::runProgram(job).status);
        ASSERT_NE(sound.last(), CACommandLine::kUsage);
    }
    for (const auto &row : rows) {
        for (qsizetype j = 0; j < qsizetype(std::size(jobs)); ++j) {
            const QStringList &job = jobs[j];
            SCOPED_TRACE(std::string(row.name) + " " + job.first().toStdString());
            ASSERT_TRUE(pwtest::writeFile(m_settings, row.file));
            const QStringList before = settingsFolder();
            const commandtest::ProgramRun run = commandtest::runProgram(job);
            EXPECT_EQ(run.status, sound.at(j)) << qPrintable(run.err);
            EXPECT_EQ(pwtest::readFile(m_settings), row.file);
            EXPECT_EQ(settingsFolder(), before) << "nothing is put beside the settings";
            // A damaged file is named, with where it is; the job runs on the defaults.
            EXPECT_EQ(run.err.contains(u"the settings file %1 could not be read"_s.arg(m_settings)), row.damaged)
                << qPrintable(run.err);
        }
    }
}

TEST_F(BatchJobSettingsTest, APrintListPersonThatDoesNotReadFailsTheJobAndIsNamed)
{
    const PWPlist::Array good = CAPersonListDictionary::storedPersons(
        {settingsTestPerson(u"Ann"_s, u"Baker"_s), settingsTestPerson(u"Eve"_s, u"Young"_s)});
    const QByteArray garbled = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ada Byron\r\n\x01\x02 garbage\r\n";
    const struct
    {
        const char *name;
        std::optional<PWPlist> damaged; // none: the list reads whole
        QString named;
    } rows[] = {
        {"no damage", std::nullopt, {}},
        {"garbage for a vCard", PWPlist(PWPlist::Dictionary {{u"personData"_s, PWPlist::fromData("garbage")}}),
         u"its vCard does not read"_s},
        {"a garbled vCard", PWPlist(PWPlist::Dictionary {{u"personData"_s, PWPlist::fromData(garbled)}}), u"\"Ada Byron\""_s},
        {"no vCard", PWPlist(PWPlist::Dictionary {{u"additionalPersonData"_s, PWPlist(PWPlist::Array {})}}),
         u"it holds no vCard"_s},
        {"a text", PWPlist::fromString(u"Ada Byron"_s), u"stored as a text"_s},
        {"a number", PWPlist::fromInteger(7), u"stored as a number"_s},
        {"a list", PWPlist(PWPlist::Array {good.first()}), u"stored as a list"_s},
        {"a date", PWPlist::fromDate(QDateTime(QDate(2001, 2, 3), QTime(4, 5), Qt::UTC)), u"stored as a date"_s},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        PWPlist::Array persons = good;
        if (row.damaged)
            persons.insert(1, *row.damaged);
        const PWPlist::Dictionary list {{u"Name"_s, PWPlist::fromString(u"Club"_s)},
                                        {u"Persons"_s, PWPlist(persons)},
                                        {u"Sort"_s, PWPlist::fromInteger(134)}};
        const QByteArray file =
            PWPlist(PWPlist::Dictionary {{u"PrintListArray"_s, PWPlist(PWPlist::Array {PWPlist(list)})}}).toXml();
        ASSERT_TRUE(pwtest::writeFile(m_settings, file));
        QFile::remove(path(u"out.pdf"_s));
        const commandtest::ProgramRun run = commandtest::runProgram(
            {u"--print"_s, path(u"address.pwdc"_s), u"--print-list"_s, u"Club"_s, u"--output"_s, path(u"out.pdf"_s)});
        if (!row.damaged) {
            EXPECT_EQ(run.status, CACommandLine::kSuccess) << qPrintable(run.err);
            EXPECT_TRUE(QFile::exists(path(u"out.pdf"_s)));
        } else {
            EXPECT_EQ(run.status, CACommandLine::kFailure) << qPrintable(run.err);
            EXPECT_TRUE(run.err.contains(u"person 2"_s) && run.err.contains(u"of the print list \"Club\" could not be read"_s))
                << qPrintable(run.err);
            EXPECT_TRUE(run.err.contains(row.named)) << qPrintable(run.err);
            EXPECT_TRUE(run.err.contains(u"1 of the 3 persons of the print list \"Club\" could not be read"_s))
                << qPrintable(run.err);
            EXPECT_FALSE(QFile::exists(path(u"out.pdf"_s))) << "no list printed with a person missing";
        }
        EXPECT_EQ(pwtest::readFile(m_settings), file);
    }
}

} // namespace
