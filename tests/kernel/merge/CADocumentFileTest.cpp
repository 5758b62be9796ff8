#include "kernel/merge/CADocument.h"

#include "DocumentTestSupport.h"

#include "FileSizeLimit.h"
#include "TestSupport.h"

#include "kernel/base/FTClassID.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/text/CFTAText.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <csignal>

#include <sys/resource.h>

namespace {

class CADocumentFileTest : public doctest::Test
{
protected:
    // A shape, a text, a recipient panel with its barcode and a sender panel, persons on both sides
    // and a print list: what a file keeps besides its components' own archives.
    static std::unique_ptr<CADocument> fullDesign()
    {
        auto document = std::make_unique<CADocument>();
        CFTADocument &kernel = *document->ftDocument();
        kernel.AddObject(new CFTBoxField(10.0, 10.0, 50.0, 30.0, nullptr), 0, false);
        auto *text = new CFTAText(70.0, 10.0, 90.0, 20.0, nullptr);
        text->GetText()->setString(u"Season's greetings"_s, nullptr);
        kernel.AddObject(text, 0, false);
        kernel.AddObject(makePanel(true, u"us"_s, true).release(), 0, false);
        kernel.AddObject(makePanel(false, u"us"_s, false).release(), 0, false);
        document->setCurrentPerson(personFromVCard(doctest::kUsPerson).get(), true, true, false);
        document->setCurrentPerson(personFromVCard(doctest::kCaPerson).get(), false, true, false);
        document->setPrintListName(u"Holiday cards"_s);
        return document;
    }
    template <typename List> static std::vector<int> classIDs(const List &components)
    {
        std::vector<int> ids;
        for (const auto &component : components)
            ids.push_back(component->getClassID());
        return ids;
    }
    static PWPlist parsed(const QByteArray &bytes) { return PWPlist::parse(bytes).value_or(PWPlist::fromString(u"unreadable"_s)); }
    QString path(const QString &name) const { return m_folder.filePath(name); }
    QTemporaryDir m_folder;
};

TEST_F(CADocumentFileTest, FullDesignReadBackIsSavedByteIdentical)
{
    const std::unique_ptr<CADocument> made = fullDesign();
    const QByteArray first = made->documentDataForComponents(nullptr);
    CADocument reread;
    CADocument again;
    ASSERT_TRUE(reread.loadDataRepresentation(first, CADocument::kAddressDocumentType));
    EXPECT_EQ(classIDs(reread.ftDocument()->GetComponents(0, false)), classIDs(made->ftDocument()->GetComponents(0, false)));
    EXPECT_EQ(valueOf(reread.currentPerson(true), tcZIP) + valueOf(reread.currentPerson(false), tcCity), u"62701-1234Toronto"_s);
    EXPECT_EQ(reread.getPrintListName(), std::optional<QString>(u"Holiday cards"_s));
    EXPECT_EQ(reread.documentDataForComponents(nullptr), first);
    // Reading again changes nothing either: no frame creeps from one reading to the next.
    ASSERT_TRUE(again.loadDataRepresentation(reread.documentDataForComponents(nullptr), CADocument::kAddressDocumentType));
    EXPECT_EQ(again.documentDataForComponents(nullptr), first);
}

TEST_F(CADocumentFileTest, PasteboardFormHoldsOnlyTheGivenComponents)
{
    const std::unique_ptr<CADocument> document = fullDesign();
    const std::vector<CFTComponent *> &all = document->ftDocument()->GetComponents(0, false);
    const std::vector<CFTComponent *> chosen {all[0], all[1], all[2]};
    const QByteArray data = document->documentDataForComponents(&chosen);
    EXPECT_EQ(parsed(data).toDictionary().keys(), QStringList {u"Components"_s});
    QString error;
    EXPECT_EQ(classIDs(CADocument::componentsFromData(data, &error)), classIDs(chosen));
    EXPECT_TRUE(CADocument::componentsFromData(QByteArray("<plist"), &error).empty());
    EXPECT_TRUE(error.startsWith(u"The components could not be read"_s)) << error.toStdString();
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
    const QByteArray bytes = pwtest::readFile(path(u"design.bin"_s));
    ASSERT_TRUE(bytes.startsWith("bplist00"));
    // The converter saw every value we wrote, with its kind.
    EXPECT_EQ(parsed(bytes), parsed(document->documentDataForComponents(nullptr)));
}

TEST_F(CADocumentFileTest, WriteReplacesTheFileAndFailedWritesAndReadsAnswerAnError)
{
    const QString target = path(u"design.pwdc"_s);
    const std::unique_ptr<CADocument> document = fullDesign();
    ASSERT_TRUE(document->writeToFile(target));
    ASSERT_TRUE(CADocument().writeToFile(target));
    CADocument reread;
    ASSERT_TRUE(reread.readFromFile(target));
    EXPECT_TRUE(reread.ftDocument()->GetComponents(0, false).empty());
    QString error;
    EXPECT_TRUE(!document->writeToFile(path(u"missing/folder/design.pwdc"_s), &error) && error.startsWith(u"The document could not be saved"_s));
    // A folder standing where the file should go is left as it is.
    ASSERT_TRUE(QDir(m_folder.path()).mkdir(u"taken.pwdc"_s));
    EXPECT_TRUE(!document->writeToFile(path(u"taken.pwdc"_s), &error) && QFileInfo(path(u"taken.pwdc"_s)).isDir());
    // Reading a missing file is refused and keeps the document.
    const CFTADocument *kernel = reread.ftDocument();
    EXPECT_TRUE(!reread.readFromFile(path(u"absent.pwdc"_s), &error) && error.startsWith(u"The document could not be opened"_s));
    EXPECT_EQ(reread.ftDocument(), kernel);
}

TEST_F(CADocumentFileTest, WriteThatRunsOutOfRoomLeavesTheOldFileIntact)
{
    const QString target = path(u"design.pwdc"_s);
    ASSERT_TRUE(CADocument().writeToFile(target));
    const QByteArray old = pwtest::readFile(target);
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
    EXPECT_EQ(pwtest::readFile(target), old);
    // No half-written file is left beside it.
    EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files), QStringList {u"design.pwdc"_s});
}

// A design smaller than the write buffer saved over itself with no room left: the failure shows
// only when the buffer is written out, and must still keep the file as it was.
TEST_F(CADocumentFileTest, SmallDesignSavedOverItselfWithoutRoomStaysWhole)
{
    const QString target = path(u"design.pwdc"_s);
    const auto design = std::make_unique<CADocument>();
    design->ftDocument()->AddObject(new CFTBoxField(10.0, 10.0, 50.0, 30.0, nullptr), 0, false);
    ASSERT_TRUE(design->writeToFile(target));
    const QByteArray old = pwtest::readFile(target);
    ASSERT_LT(old.size(), 16384);
    QString error;
    bool written = true;
    {
        const pwtest::FileSizeLimit limit(rlim_t(old.size() / 4));
        ASSERT_TRUE(limit.isActive());
        written = design->writeToFile(target, &error);
    }
    EXPECT_FALSE(written);
    EXPECT_TRUE(error.contains(u"larger than this system allows"_s)) << error.toStdString();
    EXPECT_EQ(pwtest::readFile(target), old);
    EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files), QStringList {u"design.pwdc"_s});
}

TEST_F(CADocumentFileTest, RefusedFilesAnswerAReasonAndLeaveTheDocumentUnchanged)
{
    const std::unique_ptr<CADocument> document = fullDesign();
    const CFTADocument *kernel = document->ftDocument();
    const QByteArray before = document->documentDataForComponents(nullptr);
    const auto file = [](const char *body) {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + QByteArray(body)
            + "</plist>\n";
    };
    const QString design = CADocument::kAddressDocumentType;
    for (const auto &[bytes, type] : std::initializer_list<std::pair<QByteArray, QString>> {
             {"This is a letter, not a design.\n", design}, {file("<array><string>Label</string></array>"), design},
             {file("<dict><key>CFBundleName</key><string>Other</string></dict>"), design},
             {file("<dict><key>Front Side</key><string>x</string></dict>"), design},
             {file("<dict><key>Front Side</key><dict><key>Components</key><integer>3</integer></dict></dict>"), design},
             {file("<dict><key>Document Type</key><integer>0</integer></dict>"), design},
             {file((QByteArray("<array>").repeated(400) + QByteArray("</array>").repeated(400)).constData()), design},
             {file("<dict><key>Document Type</key><string>Label</string></dict>"), u"NSPDFPboardType"_s}}) {
        QString error;
        EXPECT_FALSE(document->loadDataRepresentation(bytes, type, &error)) << bytes.left(60).toStdString();
        EXPECT_TRUE(error.startsWith(u"The document could not be opened: "_s) && !error.endsWith(u": "_s)) << error.toStdString();
    }
    EXPECT_EQ(document->ftDocument(), kernel);
    EXPECT_EQ(document->documentDataForComponents(nullptr), before);
}

// A device is no regular file and is refused before a byte is read. A front side that lost its
// list of components (one changed byte) is refused, not opened as an empty design.
TEST_F(CADocumentFileTest, EndlessDevicesAndFrontSidesWithoutTheirListAreRefused)
{
    CADocument document;
    QString error;
    EXPECT_TRUE(!document.readFromFile(u"/dev/zero"_s, &error) && error.endsWith(u"not a regular file"_s)) << error.toStdString();
    QByteArray damaged = fullDesign()->documentDataForComponents(nullptr);
    const qsizetype at = damaged.indexOf("<key>Components</key>", damaged.indexOf("<key>Front Side</key>"));
    ASSERT_GT(at, 0);
    damaged.replace(at + 8, 1, "k");
    EXPECT_FALSE(document.loadDataRepresentation(damaged, CADocument::kAddressDocumentType, &error));
    EXPECT_TRUE(error.contains(u"\"Comkonents\""_s)) << error.toStdString();
    // An empty design writes no list at all and opens.
    EXPECT_TRUE(document.loadDataRepresentation(CADocument().documentDataForComponents(nullptr), CADocument::kAddressDocumentType));
}

// Save To writes the whole design as PDF or as a TIFF at 600 dots per inch.
TEST_F(CADocumentFileTest, SaveToAnswersPdfAndTiffData)
{
    const std::unique_ptr<CADocument> document = fullDesign();
    EXPECT_TRUE(document->dataRepresentationOfType(CADocument::kPDFType).startsWith("%PDF"));
    const QImage tiff = QImage::fromData(document->dataRepresentationOfType(CADocument::kTIFFType), "TIFF");
    EXPECT_EQ(qRound(tiff.dotsPerMeterX() * 0.0254), 600);
}

TEST_F(CADocumentFileTest, PersonsAreRebuiltFromAddressTextsWhenTheFileHasNone)
{
    const std::unique_ptr<CADocument> document = fullDesign();
    document->setPrintListName(std::nullopt);
    PWPlist::Dictionary dictionary = parsed(document->documentDataForComponents(nullptr)).toDictionary();
    dictionary.remove(u"Person To"_s);
    dictionary.remove(u"Person From"_s);
    CADocument reread;
    ASSERT_TRUE(reread.loadDataRepresentation(PWPlist(dictionary).toXml(), CADocument::kAddressDocumentType));
    EXPECT_EQ(QStringList({valueOf(reread.currentPerson(true), tcLastName), valueOf(reread.currentPerson(true), tcCity),
                           valueOf(reread.currentPerson(false), tcLastName)}), QStringList({u"Doe"_s, u"Springfield"_s, u"Tremblay"_s}));
    EXPECT_FALSE(reread.getPrintListName().has_value());
}

TEST_F(CADocumentFileTest, OldFilesGiveTheirPersons)
{
    CADocument document;
    QString error;
    ASSERT_TRUE(document.readFromFile(pwtest::dataPath(u"documents/version72-vcard-persons.pwdc"_s), &error)) << error.toStdString();
    // "ABPerson To" is taken over "Person To"; "ABPerson From" stands alone.
    EXPECT_EQ(valueOf(document.currentPerson(true), tcLastName), u"Fromthecard"_s);
    EXPECT_EQ(valueOf(document.currentPerson(false), tcCity), u"London"_s);
    CADocument stored;
    ASSERT_TRUE(stored.readFromFile(pwtest::dataPath(u"documents/version72-stored-persons.pwdc"_s), &error)) << error.toStdString();
    EXPECT_EQ(valueOf(stored.currentPerson(true), tcLastName), u"Fromthestoredform"_s);
    EXPECT_EQ(stored.getPrintListName(), std::optional<QString>(u"Club members"_s));
}

} // namespace

struct VersionCase
{
    const char *name;
    // The "Bundle Version" the file carries, null for none.
    const char *version;
    // Keys every current design holds, taken out of the file.
    QStringList dropped;
    // Words of the read problem; empty when none is expected.
    const char *problem;
    // The design saves again exactly as it was written: nothing was converted as old.
    bool unconverted;
};

class CADocumentVersionTest : public CADocumentFileTest, public ::testing::WithParamInterface<VersionCase>
{
};

// A version that is no number is a problem named to the user; it alone never has a design
// converted as an old one.
TEST_P(CADocumentVersionTest, DamagedVersionIsNamedAndNeverAloneMakesAnOldFile)
{
    const QByteArray written = fullDesign()->documentDataForComponents(nullptr);
    PWPlist::Dictionary dictionary = parsed(written).toDictionary();
    if (GetParam().version)
        dictionary.insert(u"Bundle Version"_s, PWPlist::fromString(QString::fromLatin1(GetParam().version)));
    else
        dictionary.remove(u"Bundle Version"_s);
    for (const QString &key : GetParam().dropped)
        dictionary.remove(key);
    CADocument reread;
    QString error;
    ASSERT_TRUE(reread.loadDataRepresentation(PWPlist(dictionary).toXml(), CADocument::kAddressDocumentType, &error))
        << error.toStdString();
    const QString problems = reread.readProblems().join(u'\n');
    if (*GetParam().problem) {
        EXPECT_TRUE(problems.contains(QLatin1String(GetParam().problem))) << problems.toStdString();
    } else {
        EXPECT_FALSE(problems.contains(u"Bundle Version"_s)) << problems.toStdString();
    }
    if (GetParam().unconverted) {
        EXPECT_EQ(reread.documentDataForComponents(nullptr), written);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Versions, CADocumentVersionTest,
    ::testing::Values(VersionCase {"OneCharacterDamaged", "1?0", {}, "\"Bundle Version\" is damaged (1?0)", true},
                      VersionCase {"NoNumberAtAll", "version", {}, "\"Bundle Version\" is damaged (version)", true},
                      VersionCase {"Empty", "", {}, "\"Bundle Version\" is damaged", true},
                      VersionCase {"DamagedInAnOldFile", "7?", {u"Units"_s, u"Paper Color"_s}, "was read as an old design", false},
                      VersionCase {"Absent", nullptr, {}, "", false}),
    [](const auto &info) { return std::string(info.param.name); });

// A panel's own damaged version is taken for the design's, never for an old one.
TEST_F(CADocumentFileTest, DamagedPanelVersionKeepsThePanelAsWritten)
{
    const QByteArray written = fullDesign()->documentDataForComponents(nullptr);
    PWPlist::Dictionary dictionary = parsed(written).toDictionary();
    PWPlist::Dictionary front = dictionary.value(u"Front Side"_s).toDictionary();
    PWPlist::Array components = front.value(u"Components"_s).toArray();
    int damaged = 0;
    for (PWPlist &component : components) {
        PWPlist::Dictionary entry = component.toDictionary();
        if (!entry.contains(u"Bundle Version"_s))
            continue;
        entry.insert(u"Bundle Version"_s, PWPlist::fromString(u"1?0"_s));
        component = PWPlist(entry);
        ++damaged;
    }
    ASSERT_EQ(damaged, 2);
    front.insert(u"Components"_s, PWPlist(components));
    dictionary.insert(u"Front Side"_s, PWPlist(front));
    CADocument reread;
    ASSERT_TRUE(reread.loadDataRepresentation(PWPlist(dictionary).toXml(), CADocument::kAddressDocumentType));
    EXPECT_TRUE(reread.readProblems().join(u'\n').contains(u"of an address panel is damaged"_s))
        << reread.readProblems().join(u'\n').toStdString();
    EXPECT_EQ(reread.documentDataForComponents(nullptr), written);
}

namespace {

// A file from elsewhere lists a text, a shape and a background behind its side. Every round of
// open, nudge of one component, save gives back the same back list and the same four components.
TEST_F(CADocumentFileTest, TheBackListIsWrittenBackAsReadAndNeverJoinsTheComponents)
{
    const std::unique_ptr<CADocument> made = fullDesign();
    PWPlist::Dictionary file = parsed(made->documentDataForComponents(nullptr)).toDictionary();
    PWPlist::Dictionary front = file.value(u"Front Side"_s).toDictionary();
    ASSERT_EQ(front.value(u"Components"_s).toArray().size(), 4);
    const auto entry = [](const char *classID, const char *bounds) {
        return PWPlist(PWPlist::Dictionary {{u"Class ID"_s, PWPlist::fromString(QString::fromLatin1(classID))},
                                            {u"Bounds"_s, PWPlist::fromString(QString::fromLatin1(bounds))},
                                            {u"Elsewhere"_s, PWPlist::fromString(u"kept"_s)}});
    };
    const PWPlist::Array back {entry("Text", "{{5, 5}, {80, 20}}"), entry("Square Field", "{{0, 0}, {20, 20}}"),
                               entry("Background Picture", "{{0, 0}, {100, 100}}")};
    front.insert(u"Back Components"_s, PWPlist(back));
    file.insert(u"Front Side"_s, PWPlist(front));
    QByteArray bytes = PWPlist(file).toXml();
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        CADocument document;
        QString error;
        ASSERT_TRUE(document.loadDataRepresentation(bytes, CADocument::kAddressDocumentType, &error)) << qPrintable(error);
        // Drawn first among the side's components, the background behind them all.
        const std::vector<CFTComponent *> &list = document.ftDocument()->GetComponents(0, false);
        ASSERT_EQ(classIDs(list), (std::vector<int> {ciAddressText, ciShape, ciShape, ciText, ciAddressPanel, ciAddressPanel}));
        list.back()->Move(1.0, 0.0, nullptr);
        bytes = document.documentDataForComponents(nullptr);
        const PWPlist saved = parsed(bytes).value(u"Front Side"_s);
        EXPECT_EQ(saved.value(u"Back Components"_s), PWPlist(back));
        EXPECT_EQ(saved.value(u"Components"_s).toArray().size(), 4);
    }
    // A component of the back list the user moved is saved there as it is now, the rest as read.
    CADocument document;
    ASSERT_TRUE(document.loadDataRepresentation(bytes, CADocument::kAddressDocumentType));
    document.ftDocument()->GetComponents(0, false).at(1)->Move(0.0, 2.0, nullptr);
    const PWPlist::Array saved =
        parsed(document.documentDataForComponents(nullptr)).value(u"Front Side"_s).value(u"Back Components"_s).toArray();
    ASSERT_EQ(saved.size(), 3);
    EXPECT_EQ(saved.at(0), back.at(0));
    EXPECT_EQ(saved.at(1).value(u"Bounds"_s).toString(), u"{{0, 2}, {20, 20}}"_s);
    EXPECT_EQ(saved.at(2), back.at(2));
}

} // namespace
