// A design whose content-library picture the library lacks, opened in a window: the user is told
// which picture is missing and that a save keeps it, and Ctrl+S writes the design back over its
// file without a question, the picture's name still in it.
#include "ShellTestSupport.h"

#include "app/shell/CASavePanel.h"

#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTPicture.h"
#include "platform/PWImage.h"
#include "platform/PWPlist.h"

#include <QMessageBox>

#include <functional>
#include <optional>

namespace {

// A card saved as a design for the content library, its picture by the library name given.
bool writeCardByName(const QString &path, const QString &libraryName)
{
    QImage thumbnail(8, 8, QImage::Format_RGB32);
    thumbnail.fill(Qt::magenta);
    std::shared_ptr<PWImage> image = PWImage::fromQImage(thumbnail);
    image->setName(u"FULLSIZE_"_s + libraryName);
    CADocument document(std::make_unique<CFTADocument>(dtPostcard, CDDString(u"us"_s), CDDString(u"us"_s)));
    auto *picture = new CFTPicture(CDDPicture(image));
    picture->SetOrigin(10.0, 10.0);
    picture->SetSize(100.0, 100.0);
    document.ftDocument()->AddObject(picture, 0, false);
    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    defaults.setBool(u"FTSaveAsTemplate"_s, true);
    const bool written = document.writeToFile(path);
    defaults.removeObject(u"FTSaveAsTemplate"_s);
    return written;
}

class CAMissingPictureShellTest : public shelltest::Test
{
};

} // namespace

TEST_F(CAMissingPictureShellTest, TheWindowNamesTheMissingPictureAndSavingKeepsItsName)
{
    const struct
    {
        const char *name;
        QString libraryName;
    } cases[] = {{"in a folder", u"Flowers/lost-rose.png"_s}, {"plain", u"lost-tulip.pdf"_s}};
    launch(1);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QString::fromLatin1(c.name) + u".pwdc"_s);
        ASSERT_TRUE(writeCardByName(file, c.libraryName));
        QStringList told;
        QStringList replaceAsked;
        CADocumentManager::Questions &q = manager().questions();
        q.reportReadProblems = [&](QWidget *, const QString &, const QStringList &problems, bool, bool) { told += problems; };
        q.confirmReplace = [&](QWidget *, const CAOpenDocument &, const QString &where) {
            replaceAsked.append(where);
            return CADocumentManager::ReplaceAnswer::Cancel;
        };
        const auto document = manager().openDocument(file);
        ASSERT_NE(document, nullptr);
        ASSERT_EQ(told.size(), 1);
        EXPECT_TRUE(told.first().contains(u"\"%1\" is not in the content library"_s.arg(c.libraryName)))
            << told.first().toStdString();

        auto *w = qobject_cast<CAMainWindowController *>(document->window.data());
        ASSERT_NE(w, nullptr);
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
        manager().updateChangeCount(document, 1);
        const QByteArray before = pwtest::readFile(file);
        QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier);
        EXPECT_TRUE(replaceAsked.isEmpty()) << "nothing is lost by the save";
        EXPECT_TRUE(reports.isEmpty()) << reports.join(u'\n').toStdString();
        EXPECT_FALSE(w->isWindowModified()) << "saved";
        const QByteArray after = pwtest::readFile(file);
        EXPECT_TRUE(after.contains(c.libraryName.toUtf8()));
        EXPECT_EQ(after.size(), before.size());
        ASSERT_TRUE(manager().closeDocument(document));
    }
}

// The message a window shows on opening a design says what a save does with what it names: a
// picture the library lacks is kept by name, a part that could not be read is lost.
TEST_F(CAMissingPictureShellTest, TheOpeningMessageSaysWhatASaveKeeps)
{
    const QString kept = u"They are drawn as placeholders, and saving keeps them as they were: the file loses nothing."_s;
    const QString lost = u"What could not be read is left out of the design. Saving over the file loses it for good"_s;
    const QString mixed = u"but for the parts said to be kept. Saving over the file loses what was left out for good"_s;
    const struct
    {
        const char *name;
        std::function<bool(const QString &path)> write;
        QString told;
    } cases[] = {
        {"a picture the library lacks", [](const QString &file) { return writeCardByName(file, u"lost-rose.png"_s); },
         kept},
        {"a part that could not be read",
         [](const QString &file) { return pwtest::writeFile(file, shelltest::damagedDesign()); }, lost},
        // Both: the picture's line says it is kept, the closing words that the rest is lost.
        {"a picture the library lacks beside a part that could not be read",
         [](const QString &file) {
             if (!writeCardByName(file, u"lost-rose.png"_s))
                 return false;
             std::optional<PWPlist> design = PWPlist::readFile(file);
             if (!design)
                 return false;
             PWPlist::Dictionary entries = design->toDictionary();
             entries.insert(u"Card Width"_s, PWPlist::fromString(u"wide"_s));
             return pwtest::writeFile(file, PWPlist(entries).toXml());
         },
         mixed},
    };
    launch(1);
    manager().questions().reportReadProblems = CASavePanel::questions().reportReadProblems;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        openPath = path(QString::fromLatin1(c.name) + u".pwdc"_s);
        ASSERT_TRUE(c.write(openPath));
        controller->router().perform(u"openDocument"_s);
        ASSERT_EQ(manager().documents().size(), 2);
        CAMainWindowController *w = window(1);
        ASSERT_NE(w, nullptr);
        auto *box = w->findChild<QMessageBox *>(u"readProblemsMessage"_s);
        ASSERT_NE(box, nullptr);
        for (const QString &closing : {kept, lost, mixed})
            EXPECT_EQ(box->informativeText().contains(closing), closing == c.told) << box->informativeText().toStdString();
        // A picture kept by its name says so on its own line, whatever the rest.
        EXPECT_EQ(box->informativeText().contains(u"lost-rose.png\" is not in the content library; it is drawn as a "
                                                  "placeholder and kept by its name"_s),
                  QString::fromLatin1(c.name).startsWith(u"a picture the library lacks"_s))
            << box->informativeText().toStdString();
        QTest::keyClick(box, Qt::Key_Return);
        ASSERT_TRUE(manager().closeDocument(manager().documents().at(1)));
    }
}
