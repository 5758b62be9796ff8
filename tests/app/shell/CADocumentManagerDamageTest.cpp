// A design opened with parts that could not be read: the user is told once it shows, and a save
// over its own file asks first (Replace, Save As…, Cancel), exactly when the design itself would
// refuse to replace the file.
#include "ShellTestSupport.h"

namespace {

using ReplaceAnswer = CADocumentManager::ReplaceAnswer;

class CADocumentManagerDamageTest : public shelltest::Test
{
public:
    void SetUp() override
    {
        shelltest::Test::SetUp();
        damaged = shelltest::damagedDesign();
        ASSERT_FALSE(damaged.isEmpty());
        source = path(u"party.pwdc"_s);
        ASSERT_TRUE(pwtest::writeFile(source, damaged));
        CADocumentManager::Questions &q = plain.questions();
        q.savePath = [this](QWidget *, CADocumentManager::SaveKind, const QString &, QString *) {
            ++savePanels;
            return savePath;
        };
        q.report = [this](QWidget *, const QString &message) { reports.append(message); };
        q.reportReadProblems = [this](QWidget *, const QString &message, const QStringList &problems, bool, bool) {
            told.append(message);
            toldProblems = problems;
        };
        q.confirmReplace = [this](QWidget *, const CAOpenDocument &document, const QString &where) {
            // Asked exactly when the design would refuse.
            EXPECT_TRUE(document.document->needsReplaceConfirmation(where));
            replaceAsked.append(where);
            return replaceAnswer;
        };
    }
    std::shared_ptr<CAOpenDocument> openEdited()
    {
        const auto document = plain.openDocument(source);
        if (document) {
            document->document->ftDocument()->setDocumentSizeX(260);
            plain.updateChangeCount(document, 1);
        }
        return document;
    }

    CADocumentManager plain;
    QByteArray damaged;
    QString source;
    ReplaceAnswer replaceAnswer = ReplaceAnswer::Cancel;
    int savePanels = 0;
    QStringList told;
    QStringList toldProblems;
    QStringList replaceAsked;
};

TEST_F(CADocumentManagerDamageTest, OpeningNamesTheFileAndEveryPartThatCouldNotBeRead)
{
    const auto document = plain.openDocument(source);
    ASSERT_NE(document, nullptr);
    ASSERT_TRUE(document->document->isDamaged());
    EXPECT_EQ(told, QStringList {u"“party.pwdc” was opened with parts that could not be read."_s});
    EXPECT_EQ(toldProblems, document->document->readProblems());
    ASSERT_EQ(toldProblems.size(), 1);
    EXPECT_TRUE(toldProblems.first().contains(u"Component 1 was left out"_s)) << toldProblems.first().toStdString();
    EXPECT_EQ(document->document->ftDocument()->GetComponents(0, false).size(), 1u) << "the text is kept";

    // Reading the file again says it again; a whole design says nothing.
    plain.updateChangeCount(document, 1);
    ASSERT_TRUE(plain.revertDocumentToSaved(document));
    EXPECT_EQ(told.size(), 2);
    const auto whole = plain.newDocument();
    savePath = path(u"whole.pwdc"_s);
    ASSERT_TRUE(plain.saveDocumentAs(whole));
    ASSERT_TRUE(plain.closeDocument(whole));
    ASSERT_NE(plain.openDocument(savePath), nullptr);
    EXPECT_EQ(told.size(), 2);
}

struct SaveCase
{
    const char *name;
    ReplaceAnswer answer;
    bool saved;
    // Where the design is afterwards; empty: the file it came from.
    const char *savedAs;
};

void PrintTo(const SaveCase &c, std::ostream *stream)
{
    *stream << c.name;
}

class CADocumentManagerReplaceTest : public CADocumentManagerDamageTest, public ::testing::WithParamInterface<SaveCase>
{
};

TEST_P(CADocumentManagerReplaceTest, SavingOverItsOwnFileFollowsTheAnswer)
{
    const SaveCase &c = GetParam();
    const auto document = openEdited();
    ASSERT_NE(document, nullptr);
    replaceAnswer = c.answer;
    savePath = c.savedAs ? path(QString::fromLatin1(c.savedAs)) : QString();
    ASSERT_TRUE(document->document->needsReplaceConfirmation(source));

    EXPECT_EQ(plain.saveDocument(document), c.saved);
    EXPECT_EQ(replaceAsked, QStringList {source});
    EXPECT_EQ(savePanels, c.answer == ReplaceAnswer::SaveAs ? 1 : 0);
    EXPECT_EQ(document->isEdited(), !c.saved);
    EXPECT_TRUE(reports.isEmpty()) << reports.join(u'\n').toStdString();
    const QString where = c.savedAs ? savePath : source;
    EXPECT_EQ(document->filePath, c.saved ? where : source);
    // Only Replace gives up what the file held beyond the design.
    if (c.answer == ReplaceAnswer::Replace) {
        CADocument reread;
        ASSERT_TRUE(reread.readFromFile(source));
        EXPECT_FALSE(reread.isDamaged());
        EXPECT_EQ(reread.ftDocument()->getCardSizeX(), 260);
        EXPECT_FALSE(document->document->needsReplaceConfirmation(source));
    } else {
        EXPECT_EQ(pwtest::readFile(source), damaged);
        EXPECT_TRUE(document->document->needsReplaceConfirmation(source));
    }
    if (c.saved && c.savedAs) {
        CADocument copy;
        ASSERT_TRUE(copy.readFromFile(savePath));
        EXPECT_EQ(copy.ftDocument()->getCardSizeX(), 260);
    }

    // Later saves over a file without those parts lose nothing and ask nothing.
    if (c.saved) {
        plain.updateChangeCount(document, 1);
        replaceAsked.clear();
        EXPECT_TRUE(plain.saveDocument(document));
        EXPECT_TRUE(replaceAsked.isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(EveryAnswer, CADocumentManagerReplaceTest,
                         ::testing::Values(SaveCase {"Replace", ReplaceAnswer::Replace, true, nullptr},
                                           SaveCase {"SaveAs", ReplaceAnswer::SaveAs, true, "elsewhere.pwdc"},
                                           // Save As, then the save panel cancelled.
                                           SaveCase {"SaveAsCancelled", ReplaceAnswer::SaveAs, false, nullptr},
                                           SaveCase {"Cancel", ReplaceAnswer::Cancel, false, nullptr}),
                         [](const ::testing::TestParamInfo<SaveCase> &info) { return std::string(info.param.name); });

// A damaged design whose file name is no UTF-8 asks the same before Save replaces that file.
TEST_F(CADocumentManagerDamageTest, ItsOwnFileNamedByBytesIsReplacedOnlyWhenTheUserSaysSo)
{
    const QByteArray name = QFile::encodeName(folder.path()) + "/f\xeate.pwdc";
    ASSERT_TRUE(pwtest::writeFileAtBytes(name, damaged));
    plain.questions().confirmReplace = [this](QWidget *, const CAOpenDocument &, const QString &where) {
        replaceAsked.append(where);
        return replaceAnswer;
    };
    const struct
    {
        ReplaceAnswer answer;
        bool saved;
    } rows[] = {{ReplaceAnswer::Cancel, false}, {ReplaceAnswer::Replace, true}};
    const auto document = plain.openDocumentAtBytes(name);
    ASSERT_NE(document, nullptr);
    ASSERT_TRUE(document->document->isDamaged());
    for (const auto &row : rows) {
        SCOPED_TRACE(row.saved ? "Replace" : "Cancel");
        replaceAsked.clear();
        replaceAnswer = row.answer;
        document->document->ftDocument()->setDocumentSizeX(260);
        plain.updateChangeCount(document, 1);
        EXPECT_EQ(plain.saveDocument(document), row.saved);
        EXPECT_EQ(replaceAsked.size(), 1);
        EXPECT_EQ(savePanels, 0);
        EXPECT_EQ(pwtest::readFileAtBytes(name) == damaged, !row.saved);
    }
    CADocument reread;
    ASSERT_TRUE(reread.readFromFileAtBytes(name));
    EXPECT_FALSE(reread.isDamaged());
    EXPECT_EQ(reread.ftDocument()->getCardSizeX(), 260);
    ::unlink(name.constData());
}

TEST_F(CADocumentManagerDamageTest, SaveAsOntoItsOwnFileAsksAgainAndAnotherChoiceWritesThere)
{
    const auto document = openEdited();
    ASSERT_NE(document, nullptr);
    // The panel first gives the damaged file back; asked, the user goes on to another file.
    QStringList answers {source, path(u"second.pwdc"_s)};
    plain.questions().savePath = [&](QWidget *, CADocumentManager::SaveKind, const QString &, QString *) {
        ++savePanels;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    };
    replaceAnswer = ReplaceAnswer::SaveAs;
    ASSERT_TRUE(plain.saveDocumentAs(document));
    EXPECT_EQ(savePanels, 2);
    EXPECT_EQ(replaceAsked, QStringList {source});
    EXPECT_EQ(document->filePath, path(u"second.pwdc"_s));
    EXPECT_EQ(pwtest::readFile(source), damaged);
}

TEST_F(CADocumentManagerDamageTest, AnotherExistingFileIsReplacedWithoutTheQuestion)
{
    const auto document = openEdited();
    ASSERT_NE(document, nullptr);
    savePath = path(u"other.pwdc"_s);
    ASSERT_TRUE(pwtest::writeFile(savePath, "old"));
    EXPECT_FALSE(document->document->needsReplaceConfirmation(savePath));
    ASSERT_TRUE(plain.saveDocumentAs(document));
    EXPECT_TRUE(replaceAsked.isEmpty());
    EXPECT_NE(pwtest::readFile(savePath), QByteArray("old"));
}

TEST_F(CADocumentManagerDamageTest, WithoutTheQuestionTheDesignsRefusalIsReported)
{
    plain.questions().confirmReplace = nullptr;
    const auto document = openEdited();
    ASSERT_NE(document, nullptr);
    EXPECT_FALSE(plain.saveDocument(document));
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports.first().contains(u"it was opened with parts that could not be read"_s))
        << reports.first().toStdString();
    EXPECT_EQ(pwtest::readFile(source), damaged);
    EXPECT_TRUE(document->isEdited());
}

TEST_F(CADocumentManagerDamageTest, ClosingWithSaveAndCancelInTheQuestionKeepsTheDocumentOpen)
{
    plain.questions().saveChanges = [](QWidget *, const QString &) { return CADocumentManager::SaveAnswer::Save; };
    const auto document = openEdited();
    ASSERT_NE(document, nullptr);
    replaceAnswer = ReplaceAnswer::Cancel;
    EXPECT_FALSE(plain.closeDocument(document));
    EXPECT_EQ(plain.documents().size(), 1);
    EXPECT_EQ(pwtest::readFile(source), damaged);
    replaceAnswer = ReplaceAnswer::Replace;
    EXPECT_TRUE(plain.closeAllDocuments());
    EXPECT_TRUE(plain.documents().isEmpty());
    EXPECT_NE(pwtest::readFile(source), damaged);
}

} // namespace

// While a request from another start or a script is answered, nothing waits on the user: what
// went wrong is told once the answer is out, from the event loop, and only then.
TEST_F(CADocumentManagerDamageTest, AHeldReportIsToldAfterTheRequestIsAnswered)
{
    const QString unreadable = path(u"unreadable.pwdc"_s);
    ASSERT_TRUE(pwtest::writeFile(unreadable, "no design"));
    const struct
    {
        const char *name;
        QString file;
        bool opens;
        const QStringList *list;
    } cases[] = {
        {"a file that is no design", unreadable, false, &reports},
        {"a design with parts that could not be read", source, true, &told},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        reports.clear();
        told.clear();
        {
            const CADocumentManager::ReportHold outer(plain);
            {
                const CADocumentManager::ReportHold inner(plain);
                EXPECT_EQ(plain.openDocument(c.file) != nullptr, c.opens);
            }
            QCoreApplication::processEvents();
            EXPECT_TRUE(reports.isEmpty() && told.isEmpty()) << "told while the request was still being answered";
        }
        EXPECT_TRUE(reports.isEmpty() && told.isEmpty()) << "told before the event loop ran";
        QCoreApplication::processEvents();
        EXPECT_EQ(c.list->size(), 1);
    }
    // Without a hold the user is told at once, as before.
    reports.clear();
    EXPECT_EQ(plain.openDocument(unreadable), nullptr);
    EXPECT_EQ(reports.size(), 1);
}
