// The questions as the user meets them: the real message boxes of the save panel, answered by
// clicks and keys, on a design window opened from a damaged file and on an edited one.
#include "ShellTestSupport.h"

#include "app/shell/CASavePanel.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

using ReplaceAnswer = CADocumentManager::ReplaceAnswer;

class CASavePanelTest : public shelltest::Test
{
public:
    // Puts the application's own dialogs behind the questions this test answers by hand.
    void useRealDialogs()
    {
        const CADocumentManager::Questions real = CASavePanel::questions();
        CADocumentManager::Questions &q = manager().questions();
        q.saveChanges = real.saveChanges;
        q.confirmReplace = real.confirmReplace;
        q.reportReadProblems = real.reportReadProblems;
    }
    // Once the next modal box runs, hands it to answer; the box must come.
    void whenAsked(std::function<void(QMessageBox *box)> answer)
    {
        m_seen = std::make_shared<QString>();
        auto *poll = new QTimer(controller.get());
        poll->setInterval(10);
        std::shared_ptr<QString> seen = m_seen;
        QObject::connect(poll, &QTimer::timeout, poll, [poll, answer, seen] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            poll->stop();
            poll->deleteLater();
            *seen = box->objectName();
            answer(box);
        });
        poll->start();
    }
    QString askedBox() const { return m_seen ? *m_seen : QString(); }
    static void click(QMessageBox *box, const char *button)
    {
        auto *target = box->findChild<QPushButton *>(QString::fromLatin1(button));
        ASSERT_NE(target, nullptr) << button;
        QTest::mouseClick(target, Qt::LeftButton);
    }
    static void clickStandard(QMessageBox *box, QMessageBox::StandardButton which)
    {
        QAbstractButton *target = box->button(which);
        ASSERT_NE(target, nullptr);
        QTest::mouseClick(target, Qt::LeftButton);
    }

private:
    std::shared_ptr<QString> m_seen;
};

TEST_F(CASavePanelTest, DamagedDesignIsReportedInAWindowModalMessageNamingTheProblems)
{
    const QString file = path(u"party.pwdc"_s);
    ASSERT_TRUE(pwtest::writeFile(file, shelltest::damagedDesign()));
    launch(1);
    useRealDialogs();
    openPath = file;
    controller->router().perform(u"openDocument"_s);
    ASSERT_EQ(manager().documents().size(), 2);
    CAMainWindowController *w = window(1);
    ASSERT_NE(w, nullptr);
    auto *box = w->findChild<QMessageBox *>(u"readProblemsMessage"_s);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_EQ(box->text(), u"“party.pwdc” was opened with parts that could not be read."_s);
    const QString problem = w->document()->readProblems().value(0);
    ASSERT_FALSE(problem.isEmpty());
    EXPECT_TRUE(box->informativeText().contains(problem)) << box->informativeText().toStdString();
    EXPECT_TRUE(reports.isEmpty());
    // Read, and out of the way: the window is the user's again.
    QTest::keyClick(box, Qt::Key_Return);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w->findChild<QMessageBox *>(u"readProblemsMessage"_s), nullptr);
    EXPECT_TRUE(w->isVisible());
}

// A number no page can hold is one of the problems the window names, and the shape keeps the rest
// of its bounds.
TEST_F(CASavePanelTest, ANumberNoPageCanHoldIsNamedAmongTheReadProblems)
{
    CADocument source;
    source.ftDocument()->AddObject(new CFTBoxField(10.0, 12.0, 50.0, 30.0, nullptr), 0, false);
    QByteArray bytes = source.documentDataForComponents(nullptr);
    const QByteArray bounds = "<string>{{10, 12}, {50, 30}}</string>";
    ASSERT_TRUE(bytes.contains(bounds));
    bytes.replace(bounds, "<string>{{nan, 12}, {50, 30}}</string>");
    const QString file = path(u"shape.pwdc"_s);
    ASSERT_TRUE(pwtest::writeFile(file, bytes));
    launch(1);
    useRealDialogs();
    openPath = file;
    controller->router().perform(u"openDocument"_s);
    ASSERT_EQ(manager().documents().size(), 2);
    CAMainWindowController *w = window(1);
    ASSERT_NE(w, nullptr);
    auto *box = w->findChild<QMessageBox *>(u"readProblemsMessage"_s);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_TRUE(box->informativeText().contains(
        u"\"Bounds\" of a component of class \"Square Field\" is out of range ({{nan, 12}, {50, 30}}); kept {{0, 12}, {50, 30}}"_s))
        << box->informativeText().toStdString();
    const auto components = w->document()->ftDocument()->GetComponents(0, false);
    ASSERT_EQ(components.size(), 1u);
    EXPECT_EQ(components.front()->GetOriginY(), 12.0);
    EXPECT_EQ(components.front()->GetSizeX(), 50.0);
    QTest::keyClick(box, Qt::Key_Return);
}

TEST_F(CASavePanelTest, ManyProblemsAreCountedAndAllInTheDetails)
{
    QStringList problems;
    for (int i = 1; i <= 8; ++i)
        problems.append(u"Component %1 was left out"_s.arg(i));
    std::unique_ptr<QMessageBox> box(CASavePanel::makeReadProblemsMessage(nullptr, u"“many.pwdc”"_s, problems, true, false));
    for (int i = 1; i <= CASavePanel::kProblemsShown; ++i)
        EXPECT_TRUE(box->informativeText().contains(problems[i - 1]));
    EXPECT_FALSE(box->informativeText().contains(problems[CASavePanel::kProblemsShown]));
    EXPECT_TRUE(box->informativeText().contains(u"… and 3 more."_s)) << box->informativeText().toStdString();
    EXPECT_EQ(box->detailedText(), problems.join(u'\n'));
}

struct ReplaceClick
{
    const char *name;
    // The button clicked, or null for the Escape key.
    const char *button;
    bool replaced;
    bool savedElsewhere;
};

void PrintTo(const ReplaceClick &c, std::ostream *stream)
{
    *stream << c.name;
}

class CASavePanelReplaceTest : public CASavePanelTest, public ::testing::WithParamInterface<ReplaceClick>
{
};

TEST_P(CASavePanelReplaceTest, SavingADamagedDesignFromTheKeyboardAsksAndFollowsTheClick)
{
    const ReplaceClick &c = GetParam();
    const QString file = path(u"party.pwdc"_s);
    const QByteArray damaged = shelltest::damagedDesign();
    ASSERT_TRUE(pwtest::writeFile(file, damaged));
    launch(1);
    useRealDialogs();
    manager().questions().reportReadProblems = nullptr;
    ASSERT_NE(manager().openDocument(file), nullptr);
    CAMainWindowController *w = window(1);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    manager().updateChangeCount(manager().documents()[1], 1);
    savePath = path(u"elsewhere.pwdc"_s);

    QString question;
    QList<QString> buttons;
    whenAsked([&](QMessageBox *box) {
        question = box->text();
        for (QAbstractButton *button : box->buttons())
            buttons.append(button->text());
        EXPECT_EQ(box->windowModality(), Qt::WindowModal);
        EXPECT_EQ(box->parentWidget(), w);
        EXPECT_EQ(box->defaultButton()->objectName(), u"saveAsButton"_s) << "Return loses nothing";
        if (c.button)
            click(box, c.button);
        else
            QTest::keyClick(box, Qt::Key_Escape);
    });
    QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(askedBox(), u"replaceDamagedQuestion"_s);
    EXPECT_EQ(question, u"The file was opened with parts that could not be read; replacing it loses them."_s);
    EXPECT_TRUE(buttons.contains(u"Replace"_s) && buttons.contains(u"Save As…"_s) && buttons.contains(u"Cancel"_s))
        << QStringList(buttons).join(u", "_s).toStdString();
    EXPECT_EQ(pwtest::readFile(file) == damaged, !c.replaced);
    EXPECT_EQ(QFile::exists(savePath), c.savedElsewhere);
    EXPECT_EQ(w->isWindowModified(), !c.replaced && !c.savedElsewhere);
    EXPECT_TRUE(reports.isEmpty()) << reports.join(u'\n').toStdString();
    EXPECT_TRUE(w->isVisible());
}

INSTANTIATE_TEST_SUITE_P(EveryButton, CASavePanelReplaceTest,
                         ::testing::Values(ReplaceClick {"Replace", "replaceButton", true, false},
                                           ReplaceClick {"SaveAs", "saveAsButton", false, true},
                                           ReplaceClick {"Cancel", "cancelButton", false, false},
                                           ReplaceClick {"Escape", nullptr, false, false}),
                         [](const ::testing::TestParamInfo<ReplaceClick> &info) { return std::string(info.param.name); });

// Another program (another user's instance) writes the file between its opening here and Save:
// the save asks before it replaces what that program wrote, and Cancel keeps the window's work
// unsaved; a file nobody else changed is saved without a question, one only touched too.
struct ChangedClick
{
    const char *name;
    // What the other program writes: nothing, bytes of another size, bytes of the same size (and,
    // for SameSizeAndTime, the file's time of change given back as it was, so that only the bytes
    // tell), the same bytes with a new time (Touched), or other bytes while the window that
    // read the file is being made (WhileOpening).
    enum { Nothing, OtherSize, SameSize, SameSizeAndTime, Touched, WhileOpening } written;
    // The button clicked, or null for the Escape key.
    const char *button;
    bool replaced;
};

void PrintTo(const ChangedClick &c, std::ostream *stream)
{
    *stream << c.name;
}

class CASavePanelChangedTest : public CASavePanelTest, public ::testing::WithParamInterface<ChangedClick>
{
};

TEST_P(CASavePanelChangedTest, SavingOverAFileAnotherProgramChangedAsksFirst)
{
    const ChangedClick &c = GetParam();
    const QString file = path(u"shared.pwdc"_s);
    {
        CADocument design;
        QString error;
        ASSERT_TRUE(design.writeToFile(file, &error)) << qPrintable(error);
    }
    const QByteArray original = pwtest::readFile(file);
    const QByteArray theirs = c.written == ChangedClick::OtherSize ? original + "<!-- saved elsewhere -->\n"
                              : c.written == ChangedClick::Touched  ? original
                                                                    : QByteArray(original).replace("<plist", "<PLIST");
    const bool asks = c.written != ChangedClick::Nothing && c.written != ChangedClick::Touched;
    launch(1);
    useRealDialogs();
    manager().questions().confirmReplaceChanged = CASavePanel::questions().confirmReplaceChanged;
    if (c.written == ChangedClick::WhileOpening) {
        QObject::connect(&manager(), &CADocumentManager::documentsChanged, controller.get(),
                         [&] { pwtest::writeFile(file, theirs); }, Qt::SingleShotConnection);
    }
    const auto record = manager().openDocument(file);
    ASSERT_NE(record, nullptr);
    CAMainWindowController *w = window(1);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    record->document->ftDocument()->setDocumentSizeX(260);
    manager().updateChangeCount(record, 1);

    const QByteArray name = QFile::encodeName(file);
    struct stat before {};
    ASSERT_EQ(::stat(name.constData(), &before), 0);
    if (c.written != ChangedClick::Nothing && c.written != ChangedClick::WhileOpening) {
        ASSERT_TRUE(pwtest::writeFile(file, theirs));
    }
    if (c.written == ChangedClick::SameSizeAndTime || c.written == ChangedClick::Touched) {
        timespec times[2] = {before.st_atim, before.st_mtim};
        if (c.written == ChangedClick::Touched)
            times[1].tv_sec += 10;
        ASSERT_EQ(::utimensat(AT_FDCWD, name.constData(), times, 0), 0);
        struct stat after {};
        ASSERT_EQ(::stat(name.constData(), &after), 0);
        ASSERT_EQ(after.st_size, before.st_size);
        ASSERT_EQ(after.st_mtim.tv_sec == before.st_mtim.tv_sec && after.st_mtim.tv_nsec == before.st_mtim.tv_nsec,
                  c.written == ChangedClick::SameSizeAndTime);
    }

    QString question;
    QString defaultButton;
    if (asks) {
        whenAsked([&](QMessageBox *box) {
            question = box->text();
            defaultButton = box->defaultButton() ? box->defaultButton()->objectName() : QString();
            EXPECT_EQ(box->windowModality(), Qt::WindowModal);
            EXPECT_EQ(box->parentWidget(), w);
            if (c.button)
                click(box, c.button);
            else
                QTest::keyClick(box, Qt::Key_Escape);
        });
    }
    QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(askedBox().isEmpty(), !asks) << qPrintable(askedBox());
    if (asks) {
        EXPECT_EQ(askedBox(), u"replaceChangedQuestion"_s);
        EXPECT_EQ(question, u"“shared” was changed by another program since you opened it."_s);
        EXPECT_EQ(defaultButton, u"cancelButton"_s) << "Return loses nothing";
    }
    const QByteArray now = pwtest::readFile(file);
    EXPECT_EQ(now == theirs, !c.replaced) << "the other program's file stays unless replaced";
    EXPECT_EQ(w->isWindowModified(), !c.replaced);
    EXPECT_TRUE(reports.isEmpty()) << reports.join(u'\n').toStdString();
    if (!c.replaced)
        return;
    CADocument reread;
    QString error;
    ASSERT_TRUE(reread.readFromFile(file, &error)) << qPrintable(error);
    EXPECT_NE(now, original) << "the window's design is what the file holds";

    // The file written here is the one the window knows: the next save asks nothing.
    record->document->ftDocument()->setDocumentSizeX(270);
    manager().updateChangeCount(record, 1);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(w->isWindowModified());
    EXPECT_NE(pwtest::readFile(file), now);
}

INSTANTIATE_TEST_SUITE_P(EveryWay, CASavePanelChangedTest,
                         ::testing::Values(ChangedClick {"NobodyElse", ChangedClick::Nothing, nullptr, true},
                                           ChangedClick {"Replace", ChangedClick::OtherSize, "replaceButton", true},
                                           ChangedClick {"Cancel", ChangedClick::OtherSize, "cancelButton", false},
                                           ChangedClick {"Escape", ChangedClick::OtherSize, nullptr, false},
                                           ChangedClick {"SameSizeCancel", ChangedClick::SameSize, "cancelButton", false},
                                           ChangedClick {"SameSizeReplace", ChangedClick::SameSize, "replaceButton", true},
                                           ChangedClick {"SameSizeAndTimeCancel", ChangedClick::SameSizeAndTime,
                                                         "cancelButton", false},
                                           ChangedClick {"Touched", ChangedClick::Touched, nullptr, true},
                                           ChangedClick {"WhileOpeningCancel", ChangedClick::WhileOpening,
                                                         "cancelButton", false}),
                         [](const ::testing::TestParamInfo<ChangedClick> &info) { return std::string(info.param.name); });

TEST_F(CASavePanelTest, ClosingAnEditedWindowAsksInTheRealQuestionEachWay)
{
    launch(1);
    useRealDialogs();
    CAMainWindowController *w = window(0);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    manager().updateChangeCount(manager().documents()[0], 1);

    // Cancel: the window stays, still edited.
    whenAsked([](QMessageBox *box) { clickStandard(box, QMessageBox::Cancel); });
    QTest::keyClick(w, Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(askedBox(), u"saveChangesQuestion"_s);
    EXPECT_EQ(openWindowCount(), 1);
    EXPECT_TRUE(w->isWindowModified());

    // Save: written where the save panel says, then closed.
    savePath = path(u"kept.pwdc"_s);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    whenAsked([](QMessageBox *box) { clickStandard(box, QMessageBox::Save); });
    QTest::keyClick(w, Qt::Key_W, Qt::ControlModifier);
    EXPECT_TRUE(QFile::exists(savePath));
    EXPECT_EQ(openWindowCount(), 0);

    // Don't Save: closed and nothing written.
    controller->newDocument(0);
    CAMainWindowController *second = window(0);
    manager().updateChangeCount(manager().documents()[0], 1);
    second->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(second));
    savePath = path(u"never.pwdc"_s);
    whenAsked([](QMessageBox *box) { clickStandard(box, QMessageBox::Discard); });
    QTest::keyClick(second, Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(askedBox(), u"saveChangesQuestion"_s);
    EXPECT_FALSE(QFile::exists(savePath));
    EXPECT_EQ(openWindowCount(), 0);
}

struct ExportChoice
{
    const char *name;
    // Typed into the name field, then the pop-up's entry chosen (none to leave it).
    const char *typed;
    const char *chosen;
    // The pop-up and the name just before Save is clicked, and the file's first bytes.
    const char *shownFormat;
    const char *shownName;
    const char *written;
    QByteArray magic;
};

void PrintTo(const ExportChoice &c, std::ostream *stream)
{
    *stream << c.name;
}

class CASavePanelExportTest : public CASavePanelTest, public ::testing::WithParamInterface<ExportChoice>
{
};

// File > Export from the keyboard, answered in the real panel: the name and the format pop-up
// follow each other, and the file written is the one the panel showed.
TEST_P(CASavePanelExportTest, NameAndFormatAgreeAndTheFileIsWhatThePanelShowed)
{
    const ExportChoice &c = GetParam();
    launch(1);
    manager().questions().savePath = CASavePanel::questions().savePath;
    CAMainWindowController *w = window(0);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));

    QString format;
    QString name;
    bool answered = false;
    auto *poll = new QTimer(controller.get());
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [&, poll] {
        auto *panel = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!panel || !panel->isVisible())
            return;
        poll->stop();
        answered = true;
        panel->setDirectory(folder.path());
        auto *field = panel->findChild<QLineEdit *>(u"fileNameEdit"_s);
        auto *popup = panel->findChild<QComboBox *>(u"_savePopup"_s);
        auto *buttons = panel->findChild<QDialogButtonBox *>(u"buttonBox"_s);
        if (!field || !popup || !buttons) {
            ADD_FAILURE() << "the export panel lacks its name field, format pop-up or buttons";
            panel->reject();
            return;
        }
        field->selectAll();
        QTest::keyClicks(field, QString::fromUtf8(c.typed));
        if (c.chosen) {
            popup->setFocus();
            const int wanted = popup->findText(QString::fromUtf8(c.chosen));
            while (popup->currentIndex() != wanted && wanted >= 0)
                QTest::keyClick(popup, wanted > popup->currentIndex() ? Qt::Key_Down : Qt::Key_Up);
        }
        format = popup->currentText();
        name = field->text();
        QTest::mouseClick(buttons->button(QDialogButtonBox::Save), Qt::LeftButton);
    });
    poll->start();
    QTest::keyClick(w, Qt::Key_E, Qt::ControlModifier);
    ASSERT_TRUE(answered) << "File > Export shows the panel";
    EXPECT_EQ(format, QString::fromUtf8(c.shownFormat));
    EXPECT_EQ(name, QString::fromUtf8(c.shownName));
    const QStringList written = QDir(folder.path()).entryList(QDir::Files);
    EXPECT_EQ(written, QStringList{QString::fromUtf8(c.written)});
    EXPECT_TRUE(pwtest::readFile(path(QString::fromUtf8(c.written))).startsWith(c.magic));
    EXPECT_TRUE(reports.isEmpty()) << reports.join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Choices, CASavePanelExportTest,
    ::testing::Values(
        ExportChoice{"TypedTifChoosesTiff", "envelope.tif", nullptr, "TIFF Image", "envelope.tif", "envelope.tif", "II*"},
        ExportChoice{"TypedUpperCasePdfKeepsPdf", "card.PDF", nullptr, "PDF Document", "card.PDF", "card.PDF", "%PDF"},
        ExportChoice{"PopupPutsItsExtensionOnTheName", "label.pdf", "TIFF Image", "TIFF Image", "label.tiff", "label.tiff", "II*"},
        ExportChoice{"PopupBackToPdf", "label.tif", "PDF Document", "PDF Document", "label.pdf", "label.pdf", "%PDF"},
        ExportChoice{"NameWithoutExtensionGetsTheFormats", "notes.v2", nullptr, "PDF Document", "notes.v2", "notes.v2.pdf", "%PDF"}),
    [](const ::testing::TestParamInfo<ExportChoice> &info) { return std::string(info.param.name); });

} // namespace
