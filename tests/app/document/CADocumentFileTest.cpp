#include "app/document/CADocument.h"

#include "DocumentTestSupport.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/resource.h>

namespace {

std::unique_ptr<CADocument> fullDesign()
{
    auto document = std::make_unique<CADocument>();
    doctest::addEveryKindOfComponent(*document->ftDocument());
    const std::shared_ptr<PWPerson> to = doctest::personFromVCard(doctest::kUsPerson);
    const std::shared_ptr<PWPerson> from = doctest::personFromVCard(doctest::kCaPerson);
    document->setCurrentPerson(to.get(), true, true, false);
    document->setCurrentPerson(from.get(), false, true, false);
    document->setPrintListName(u"Holiday cards"_s);
    return document;
}

PWPlist parsed(const QByteArray &bytes)
{
    QString error;
    const std::optional<PWPlist> plist = PWPlist::parse(bytes, &error);
    EXPECT_TRUE(plist.has_value()) << error.toStdString();
    return plist.value_or(PWPlist());
}

class CADocumentFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        doctest::prepareProcess();
        ASSERT_TRUE(m_folder.isValid());
    }

    QString path(const QString &name) const { return m_folder.filePath(name); }

    QTemporaryDir m_folder;
};

TEST_F(CADocumentFileTest, FullDesignReadBackIsSavedByteIdentical)
{
    // Straight from code: nothing has measured the texts yet, and the file field names no file.
    const std::unique_ptr<CADocument> made = fullDesign();
    const QByteArray first = made->documentDataForComponents(nullptr);
    ASSERT_FALSE(first.isEmpty());

    CADocument reread;
    QString error;
    ASSERT_TRUE(reread.loadDataRepresentation(first, CADocument::kAddressDocumentType, &error)) << error.toStdString();
    EXPECT_EQ(doctest::classIDs(*reread.ftDocument()), doctest::classIDs(*made->ftDocument()));
    EXPECT_EQ(doctest::classIDs(*reread.ftDocument()), (std::vector<int> {1, 2, 3, 19, 6, 10, 9, 14, 15, 8, 8}));
    ASSERT_NE(reread.currentPerson(true), nullptr);
    ASSERT_NE(reread.currentPerson(false), nullptr);
    EXPECT_EQ(stringForPersonCategory(reread.currentPerson(true).get(), adWork, tcZIP, true), u"62701-1234"_s);
    EXPECT_EQ(stringForPersonCategory(reread.currentPerson(false).get(), adWork, tcCity, true), u"Toronto"_s);
    EXPECT_EQ(reread.getPrintListName(), std::optional<QString>(u"Holiday cards"_s));

    const QByteArray second = reread.documentDataForComponents(nullptr);
    EXPECT_EQ(second, first);

    // Reading again changes nothing either: no frame creeps from one reading to the next.
    CADocument again;
    ASSERT_TRUE(again.loadDataRepresentation(second, CADocument::kAddressDocumentType, &error)) << error.toStdString();
    EXPECT_EQ(again.documentDataForComponents(nullptr), first);
}

TEST_F(CADocumentFileTest, PasteboardFormHoldsOnlyTheGivenComponents)
{
    const std::unique_ptr<CADocument> document = fullDesign();
    const std::vector<CFTComponent *> &all = document->ftDocument()->GetComponents(0, false);
    const std::vector<CFTComponent *> chosen {all[0], all[4], all[9]};
    const QByteArray data = document->documentDataForComponents(&chosen);
    const PWPlist root = parsed(data);
    EXPECT_EQ(root.toDictionary().keys(), QStringList {u"Components"_s});

    QString error;
    const std::vector<std::unique_ptr<CFTComponent>> copies = CADocument::componentsFromData(data, &error);
    ASSERT_EQ(copies.size(), 3u) << error.toStdString();
    EXPECT_EQ(copies[0]->getClassID(), 1);
    EXPECT_EQ(copies[1]->getClassID(), 6);
    EXPECT_EQ(copies[2]->getClassID(), 8);
    EXPECT_DOUBLE_EQ(copies[1]->GetOriginX(), all[4]->GetOriginX());
    EXPECT_TRUE(CADocument::componentsFromData(QByteArray("<plist"), &error).empty());
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(CADocumentFileTest, SavedFileIsReadByPlistutil)
{
    const QString tool = QStandardPaths::findExecutable(u"plistutil"_s);
    if (tool.isEmpty())
        GTEST_SKIP() << "plistutil is not installed";
    const std::unique_ptr<CADocument> document = fullDesign();
    ASSERT_TRUE(document->writeToFile(path(u"design.pwdc"_s)));
    QProcess process;
    process.start(tool, {u"-i"_s, path(u"design.pwdc"_s), u"-o"_s, path(u"design.bin"_s), u"-f"_s, u"bin"_s});
    ASSERT_TRUE(process.waitForFinished(30000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    QFile binary(path(u"design.bin"_s));
    ASSERT_TRUE(binary.open(QIODevice::ReadOnly));
    const QByteArray bytes = binary.readAll();
    ASSERT_TRUE(bytes.startsWith("bplist00"));
    // The converter saw every value we wrote, with its kind.
    EXPECT_EQ(parsed(bytes), parsed(document->documentDataForComponents(nullptr)));
}

TEST_F(CADocumentFileTest, WriteReplacesTheFileAndFailedWritesAndReadsAnswerAnError)
{
    const QString target = path(u"design.pwdc"_s);
    const std::unique_ptr<CADocument> document = fullDesign();
    ASSERT_TRUE(document->writeToFile(target));
    CADocument empty;
    ASSERT_TRUE(empty.writeToFile(target));
    CADocument reread;
    ASSERT_TRUE(reread.readFromFile(target));
    EXPECT_TRUE(reread.ftDocument()->GetComponents(0, false).empty());

    QString error;
    EXPECT_FALSE(document->writeToFile(path(u"missing/folder/design.pwdc"_s), &error));
    EXPECT_TRUE(error.startsWith(u"The document could not be saved"_s)) << error.toStdString();
    // A folder standing where the file should go is left as it is.
    ASSERT_TRUE(QDir(m_folder.path()).mkdir(u"taken.pwdc"_s));
    EXPECT_FALSE(document->writeToFile(path(u"taken.pwdc"_s), &error));
    EXPECT_TRUE(QFileInfo(path(u"taken.pwdc"_s)).isDir());

    // Reading a missing file is refused and keeps the document.
    const CFTADocument *kernel = reread.ftDocument();
    EXPECT_FALSE(reread.readFromFile(path(u"absent.pwdc"_s), &error));
    EXPECT_TRUE(error.startsWith(u"The document could not be opened"_s));
    EXPECT_EQ(reread.ftDocument(), kernel);
}

TEST_F(CADocumentFileTest, WriteThatRunsOutOfRoomLeavesTheOldFileIntact)
{
    const QString target = path(u"design.pwdc"_s);
    CADocument small;
    ASSERT_TRUE(small.writeToFile(target));
    QFile before(target);
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray old = before.readAll();
    before.close();

    const std::unique_ptr<CADocument> large = fullDesign();
    ASSERT_GT(large->documentDataForComponents(nullptr).size(), old.size() + 4096);
    // Files of this process may not grow past the old file's size (plus a little): the new,
    // larger design cannot be written whole.
    rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const sighandler_t previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = rlim_t(old.size() + 1024);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    QString error;
    const bool written = large->writeToFile(target, &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(written);
    EXPECT_TRUE(error.startsWith(u"The document could not be saved"_s)) << error.toStdString();
    QFile after(target);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), old);
    // No half-written file is left beside it.
    EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files), QStringList {u"design.pwdc"_s});
}

struct RefusedCase
{
    const char *name;
    QByteArray bytes;
    QString type = CADocument::kAddressDocumentType;
};

class RefusedFileTest : public ::testing::TestWithParam<RefusedCase>
{
protected:
    void SetUp() override { doctest::prepareProcess(); }
};

TEST_P(RefusedFileTest, RefusedWithAReasonAndTheDocumentUnchanged)
{
    const std::unique_ptr<CADocument> document = fullDesign();
    const CFTADocument *kernel = document->ftDocument();
    const QByteArray before = document->documentDataForComponents(nullptr);
    QString error;
    EXPECT_FALSE(document->loadDataRepresentation(GetParam().bytes, GetParam().type, &error));
    EXPECT_TRUE(error.startsWith(u"The document could not be opened: "_s)) << error.toStdString();
    EXPECT_GT(error.size(), u"The document could not be opened: "_s.size());
    EXPECT_EQ(document->ftDocument(), kernel);
    EXPECT_EQ(document->documentDataForComponents(nullptr), before);
}

// A property list file around the body, closed unless it is to be cut short.
QByteArray plistFile(const QByteArray &body, bool closed = true)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + body
        + (closed ? "</plist>\n" : "");
}

INSTANTIATE_TEST_SUITE_P(
    Files, RefusedFileTest,
    ::testing::Values(
        RefusedCase {"NotAPropertyList", QByteArray("This is a letter, not a design.\n")},
        RefusedCase {"Empty", QByteArray()},
        RefusedCase {"TruncatedXml", plistFile("<dict><key>Document Type</key><string>Lab", false)},
        RefusedCase {"ArrayAtTheTop", plistFile("<array><string>Label</string></array>")},
        RefusedCase {"ForeignDictionary", plistFile("<dict><key>CFBundleName</key><string>Other</string></dict>")},
        RefusedCase {"FrontSideNotADictionary",
                     plistFile("<dict><key>Document Type</key><string>Label</string>"
                               "<key>Front Side</key><string>x</string></dict>")},
        RefusedCase {"ComponentsNotAList",
                     plistFile("<dict><key>Front Side</key><dict><key>Components</key><integer>3</integer>"
                               "</dict></dict>")},
        RefusedCase {"DocumentTypeNotAText", plistFile("<dict><key>Document Type</key><integer>0</integer></dict>")},
        RefusedCase {"NestedTooDeep",
                     plistFile(QByteArray("<array>").repeated(400) + QByteArray("</array>").repeated(400))},
        RefusedCase {"OtherType", plistFile("<dict><key>Document Type</key><string>Label</string></dict>"),
                     u"NSPDFPboardType"_s}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(CADocumentFileTest, PersonsAreRebuiltFromAddressTextsWhenTheFileHasNone)
{
    const std::unique_ptr<CADocument> document = fullDesign();
    document->setPrintListName(std::nullopt);
    PWPlist root = parsed(document->documentDataForComponents(nullptr));
    PWPlist::Dictionary dictionary = root.toDictionary();
    dictionary.remove(u"Person To"_s);
    dictionary.remove(u"Person From"_s);

    CADocument reread;
    ASSERT_TRUE(reread.loadDataRepresentation(PWPlist(dictionary).toXml(), CADocument::kAddressDocumentType));
    ASSERT_NE(reread.currentPerson(true), nullptr);
    ASSERT_NE(reread.currentPerson(false), nullptr);
    EXPECT_EQ(stringForPersonCategory(reread.currentPerson(true).get(), adWork, tcLastName, false), u"Doe"_s);
    EXPECT_EQ(stringForPersonCategory(reread.currentPerson(true).get(), adWork, tcCity, false), u"Springfield"_s);
    EXPECT_EQ(stringForPersonCategory(reread.currentPerson(false).get(), adWork, tcLastName, false), u"Tremblay"_s);
    EXPECT_FALSE(reread.getPrintListName().has_value());
}

TEST_F(CADocumentFileTest, OldFilesAreConvertedAndTheirPersonsTaken)
{
    CADocument document;
    QString error;
    ASSERT_TRUE(document.readFromFile(pwtest::dataPath(u"documents/version72-vcard-persons.pwdc"_s), &error))
        << error.toStdString();
    CFTADocument *kernel = document.ftDocument();
    EXPECT_EQ(document.docType(), dtEnvelope);
    EXPECT_EQ(document.countryCodeTo(), u"ca"_s);
    EXPECT_EQ(document.countryCodeFrom(), u"uk"_s);
    EXPECT_DOUBLE_EQ(kernel->getCardSizeX(), 684.0);
    // Plain texts of old files are address fields.
    EXPECT_EQ(doctest::classIDs(*kernel), (std::vector<int> {10, 1}));
    // "ABPerson To" is taken over "Person To"; "ABPerson From" stands alone.
    ASSERT_NE(document.currentPerson(true), nullptr);
    EXPECT_EQ(stringForPersonCategory(document.currentPerson(true).get(), adWork, tcLastName, true), u"Fromthecard"_s);
    ASSERT_NE(document.currentPerson(false), nullptr);
    EXPECT_EQ(stringForPersonCategory(document.currentPerson(false).get(), adWork, tcCity, true), u"London"_s);

    // A file with stored persons only.
    CADocument stored;
    ASSERT_TRUE(stored.readFromFile(pwtest::dataPath(u"documents/version72-stored-persons.pwdc"_s), &error))
        << error.toStdString();
    EXPECT_EQ(stored.docType(), dtLabel);
    EXPECT_EQ(stored.countryCodeTo(), u"us"_s);
    ASSERT_NE(stored.currentPerson(true), nullptr);
    EXPECT_EQ(stringForPersonCategory(stored.currentPerson(true).get(), adWork, tcLastName, true),
              u"Fromthestoredform"_s);
    EXPECT_EQ(stored.getPrintListName(), std::optional<QString>(u"Club members"_s));
}

} // namespace
