// The open documents without windows: numbering, saving and reading back, the questions on close
// and quit, reverting, exporting and the recent files.
#include "ShellTestSupport.h"

#include "platform/PWSaveFile.h"

#include <QFileInfo>

namespace {

using SaveAnswer = CADocumentManager::SaveAnswer;

class CADocumentManagerTest : public shelltest::Test
{
public:
    void SetUp() override
    {
        shelltest::Test::SetUp();
        CADocumentManager::Questions &q = plain.questions();
        q.saveChanges = [this](QWidget *, const QString &name) {
            asked.append(name);
            return saveAnswer;
        };
        q.savePath = [this](QWidget *, CADocumentManager::SaveKind, const QString &, QString *type) {
            if (type && !exportType.isEmpty())
                *type = exportType;
            return savePath;
        };
        q.confirmRevert = [](QWidget *, const QString &) { return true; };
        q.report = [this](QWidget *, const QString &message) { reports.append(message); };
    }
    // Something the user changed in the design, and the change noted.
    void edit(const std::shared_ptr<CAOpenDocument> &document, double width = 300)
    {
        document->document->ftDocument()->setDocumentSizeX(width);
        plain.updateChangeCount(document, 1);
    }
    CADocumentManager plain;
};

TEST_F(CADocumentManagerTest, UntitledDocumentsAreNumberedWithTheLowestFreeNumber)
{
    const auto first = plain.newDocument();
    const auto second = plain.newDocument();
    const auto third = plain.newDocument();
    EXPECT_EQ(CADocumentManager::displayName(*first), u"Untitled"_s);
    EXPECT_EQ(CADocumentManager::displayName(*second), u"Untitled 2"_s);
    EXPECT_EQ(CADocumentManager::displayName(*third), u"Untitled 3"_s);
    ASSERT_TRUE(plain.closeDocument(second));
    EXPECT_EQ(CADocumentManager::displayName(*plain.newDocument()), u"Untitled 2"_s);
    EXPECT_EQ(CADocumentManager::displayName(*plain.newDocument()), u"Untitled 4"_s);
}

TEST_F(CADocumentManagerTest, SavedDocumentReadsBackToTheSameBytes)
{
    // Envelopes and postcards have no sheet grid (0 rows and columns); that too must come back.
    CADocument::setPreparedDocumentSource([] { return CADocumentController::isReadyFTDoc(); });
    for (documentType kind : {dtLabel, dtEnvelope, dtPostcard}) {
        CADocumentController::prepareDocument(kind);
        const auto document = plain.newDocument();
        ASSERT_EQ(document->document->ftDocument()->getDocumentType(), kind);
        edit(document, 250);
        savePath = path(u"card-%1"_s.arg(int(kind)));
        ASSERT_TRUE(plain.saveDocument(document));
        EXPECT_EQ(document->filePath, savePath + u".pwdc"_s) << "the extension is added";
        EXPECT_FALSE(document->isEdited());
        EXPECT_EQ(CADocumentManager::displayName(*document), u"card-%1"_s.arg(int(kind)));
        const QByteArray saved = pwtest::readFile(document->filePath);
        ASSERT_FALSE(saved.isEmpty());

        CADocumentManager other;
        const auto reopened = other.openDocument(document->filePath);
        ASSERT_TRUE(reopened);
        EXPECT_DOUBLE_EQ(reopened->document->ftDocument()->getCardSizeX(), 250);
        EXPECT_EQ(reopened->document->rowCount(), document->document->rowCount());
        EXPECT_EQ(reopened->document->colCount(), document->document->colCount());
        other.questions().savePath = [&](QWidget *, CADocumentManager::SaveKind, const QString &, QString *) {
            return path(u"again.pwdc"_s);
        };
        ASSERT_TRUE(other.saveDocumentAs(reopened));
        EXPECT_EQ(pwtest::readFile(path(u"again.pwdc"_s)), saved) << "kind " << kind;
    }
    CADocument::setPreparedDocumentSource(nullptr);
}

TEST_F(CADocumentManagerTest, ClosingAnEditedDocumentAsksAndFollowsTheAnswer)
{
    const struct
    {
        SaveAnswer answer;
        bool closed, written;
    } cases[] = {
        {SaveAnswer::Save, true, true},
        {SaveAnswer::DontSave, true, false},
        {SaveAnswer::Cancel, false, false},
    };
    int n = 0;
    for (const auto &c : cases) {
        const auto document = plain.newDocument();
        edit(document);
        savePath = path(u"answer%1.pwdc"_s.arg(++n));
        saveAnswer = c.answer;
        asked.clear();
        const QString name = CADocumentManager::displayName(*document);
        EXPECT_EQ(plain.closeDocument(document), c.closed);
        EXPECT_EQ(asked, QStringList {name});
        EXPECT_EQ(plain.documents().contains(document), !c.closed);
        EXPECT_EQ(QFile::exists(savePath), c.written);
    }
}

TEST_F(CADocumentManagerTest, SaveCancelledInThePanelKeepsTheDocumentOpen)
{
    const auto document = plain.newDocument();
    edit(document);
    saveAnswer = SaveAnswer::Save;
    savePath.clear();
    EXPECT_FALSE(plain.closeDocument(document));
    EXPECT_TRUE(plain.documents().contains(document));
    EXPECT_TRUE(document->isEdited());
}

TEST_F(CADocumentManagerTest, UneditedDocumentClosesWithoutAQuestion)
{
    const auto document = plain.newDocument();
    EXPECT_TRUE(plain.closeDocument(document));
    EXPECT_TRUE(asked.isEmpty());
}

TEST_F(CADocumentManagerTest, QuitAsksForEveryEditedDocumentAndStopsAtCancel)
{
    const auto a = plain.newDocument();
    const auto b = plain.newDocument();
    const auto c = plain.newDocument();
    edit(a), edit(c);
    saveAnswer = SaveAnswer::DontSave;
    plain.questions().saveChanges = [&](QWidget *, const QString &name) {
        asked.append(name);
        return asked.size() == 1 ? SaveAnswer::DontSave : SaveAnswer::Cancel;
    };
    EXPECT_FALSE(plain.closeAllDocuments());
    EXPECT_EQ(asked, (QStringList {u"Untitled"_s, u"Untitled 3"_s}));
    EXPECT_EQ(plain.documents(), (QList<std::shared_ptr<CAOpenDocument>> {c}));

    plain.questions().saveChanges = [&](QWidget *, const QString &) { return SaveAnswer::DontSave; };
    EXPECT_TRUE(plain.closeAllDocuments());
    EXPECT_TRUE(plain.documents().isEmpty());
}

TEST_F(CADocumentManagerTest, FileThatIsNotADesignIsRefusedWithItsReason)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        {"text.pwdc", "this is not a design"},
        {"empty.pwdc", ""},
        {"list.pwdc", "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><string>x</string></array></plist>"},
    };
    for (const auto &c : cases) {
        const QString file = path(QString::fromLatin1(c.name));
        ASSERT_TRUE(pwtest::writeFile(file, c.bytes));
        reports.clear();
        EXPECT_EQ(plain.openDocument(file), nullptr);
        ASSERT_EQ(reports.size(), 1);
        EXPECT_TRUE(reports[0].startsWith(u"“%1” — The document could not be opened: "_s.arg(QString::fromLatin1(c.name))))
            << reports[0].toStdString();
        EXPECT_FALSE(reports[0].section(u": "_s, 1).trimmed().isEmpty()) << "names the reason";
    }
    reports.clear();
    EXPECT_EQ(plain.openDocument(path(u"missing.pwdc"_s)), nullptr);
    EXPECT_EQ(reports.size(), 1);
    EXPECT_TRUE(plain.documents().isEmpty());
    EXPECT_TRUE(plain.recentDocuments().isEmpty());
}

TEST_F(CADocumentManagerTest, OpeningAnOpenFileGivesTheOpenDocument)
{
    const auto document = plain.newDocument();
    savePath = path(u"once.pwdc"_s);
    ASSERT_TRUE(plain.saveDocumentAs(document));
    EXPECT_EQ(plain.openDocument(path(u"once.pwdc"_s)), document);
    EXPECT_EQ(plain.documents().size(), 1);
}

TEST_F(CADocumentManagerTest, RevertReadsTheSavedDesignAgain)
{
    const auto document = plain.newDocument();
    edit(document, 200);
    savePath = path(u"revert.pwdc"_s);
    ASSERT_TRUE(plain.saveDocument(document));
    EXPECT_FALSE(plain.revertDocumentToSaved(document)) << "nothing to revert";
    edit(document, 400);
    ASSERT_TRUE(plain.revertDocumentToSaved(document));
    EXPECT_DOUBLE_EQ(document->document->ftDocument()->getCardSizeX(), 200);
    EXPECT_FALSE(document->isEdited());
}

TEST_F(CADocumentManagerTest, ExportWritesTheChosenFormatAndKeepsTheDocument)
{
    const auto document = plain.newDocument();
    edit(document);
    const struct
    {
        QString type;
        const char *file;
        const char *written;
        QByteArray magic;
    } cases[] = {
        {CADocument::kPDFType, "export", "export.pdf", "%PDF"},
        {CADocument::kTIFFType, "export-image", "export-image.tiff", "II*"},
        // A name typed with a known extension chooses its format, whatever the pop-up said.
        {CADocument::kPDFType, "typed.tif", "typed.tif", "II*"},
        {CADocument::kTIFFType, "typed-image.PDF", "typed-image.PDF", "%PDF"},
        {CADocument::kTIFFType, "kept.tif", "kept.tif", "II*"},
        {CADocument::kPDFType, "notes.v2", "notes.v2.pdf", "%PDF"},
    };
    for (const auto &c : cases) {
        exportType = c.type;
        savePath = path(QString::fromLatin1(c.file));
        ASSERT_TRUE(plain.saveDocumentTo(document));
        const QString written = path(QString::fromLatin1(c.written));
        EXPECT_TRUE(pwtest::readFile(written).startsWith(c.magic)) << written.toStdString();
        if (QString::fromLatin1(c.file) != QString::fromLatin1(c.written)) {
            EXPECT_FALSE(QFileInfo::exists(savePath)) << c.file;
        }
    }
    EXPECT_TRUE(document->filePath.isEmpty());
    EXPECT_TRUE(document->isEdited());
}

TEST_F(CADocumentManagerTest, RecentFilesAreNewestFirstWithoutRepeatsAndAtMostTen)
{
    for (int i = 0; i < 12; ++i)
        plain.noteRecentDocument(u"/designs/%1.pwdc"_s.arg(i));
    plain.noteRecentDocument(u"/designs/5.pwdc"_s);
    const QStringList recent = plain.recentDocuments();
    ASSERT_EQ(recent.size(), CADocumentManager::kMaximumRecentDocuments);
    EXPECT_EQ(recent.first(), u"/designs/5.pwdc"_s);
    EXPECT_EQ(recent.count(u"/designs/5.pwdc"_s), 1);
    EXPECT_EQ(recent[1], u"/designs/11.pwdc"_s);
    EXPECT_FALSE(recent.contains(u"/designs/0.pwdc"_s));
    plain.clearRecentDocuments();
    EXPECT_TRUE(plain.recentDocuments().isEmpty());
}

TEST_F(CADocumentManagerTest, DocumentWithoutADesignIsRefused)
{
    bool windowMade = false;
    plain.setWindowFactory([&](const std::shared_ptr<CAOpenDocument> &) -> QWidget * {
        windowMade = true;
        return nullptr;
    });
    EXPECT_EQ(plain.addDocument(nullptr), nullptr);
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].contains(u"m_Document is nil"_s));
    EXPECT_TRUE(plain.documents().isEmpty());
    EXPECT_FALSE(windowMade);
}

TEST_F(CADocumentManagerTest, WindowThatCannotBeMadeLeavesNoDocument)
{
    plain.setWindowFactory([](const std::shared_ptr<CAOpenDocument> &) -> QWidget * {
        throw std::runtime_error("no room for a window");
    });
    EXPECT_EQ(plain.newDocument(), nullptr);
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].contains(u"no room for a window"_s));
    EXPECT_TRUE(plain.documents().isEmpty());
}

} // namespace
