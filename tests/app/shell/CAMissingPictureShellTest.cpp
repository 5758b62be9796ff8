// A design whose content-library picture the library lacks, opened in a window: the user is told
// which picture is missing and that a save keeps it, and Ctrl+S writes the design back over its
// file without a question, the picture's name still in it.
#include "ShellTestSupport.h"

#include "app/shell/CASavePanel.h"

#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDReadReport.h"
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

// The message a window shows on opening a design says what became of each part it names and what
// a save does with it, by the kind of part the reading's report makes of it, and sums up what a
// save does with them all: a picture the library lacks is drawn as a placeholder and kept by name,
// a key the design lacks takes the value a new design has, a panel without a format prints
// nothing; each of these is kept. A part that could not be read is lost.
TEST_F(CAMissingPictureShellTest, TheOpeningMessageSaysWhatASaveKeeps)
{
    const QString kept = u"Saving keeps every part as the file has it: the file loses nothing."_s;
    const QString lost = u"Saving over the file asks first: replacing it loses the parts left out for good; Save As"_s;
    const QString mixed = u"replacing it loses the parts left out for good and keeps the others; Save As"_s;
    using Kind = CDDReadReport::Kind;
    // A card whose design is changed by edit before it is written.
    const auto cardEdited = [](const QString &file, const std::function<void(PWPlist::Dictionary &)> &edit) {
        if (!writeCardByName(file, u"lost-rose.png"_s))
            return false;
        std::optional<PWPlist> design = PWPlist::readFile(file);
        if (!design)
            return false;
        PWPlist::Dictionary entries = design->toDictionary();
        edit(entries);
        return pwtest::writeFile(file, PWPlist(entries).toXml());
    };
    const struct
    {
        const char *name;
        std::function<bool(const QString &path)> write;
        QString told;
        // What the box says of each part, in part, and the kind of part it is.
        QList<std::pair<QString, Kind>> parts;
    } cases[] = {
        {"a picture the library lacks", [](const QString &file) { return writeCardByName(file, u"lost-rose.png"_s); },
         kept, {{u"\"lost-rose.png\" is not in the content library; it is drawn as a placeholder"_s, Kind::Kept}}},
        {"a part that could not be read",
         [](const QString &file) { return pwtest::writeFile(file, shelltest::damagedDesign()); }, lost,
         {{u"Component 1 was left out"_s, Kind::LeftOut}}},
        // Both: the picture's line says it is kept, the closing words that the rest is lost.
        {"a picture the library lacks beside a part that could not be read",
         [&](const QString &file) {
             return cardEdited(file, [](PWPlist::Dictionary &entries) {
                 entries.insert(u"Card Width"_s, PWPlist::fromString(u"wide"_s));
             });
         },
         mixed,
         {{u"it is drawn as a placeholder"_s, Kind::Kept}, {u"\"Card Width\" of the design"_s, Kind::LeftOut}}},
        // A key left out reads as a new design has it, without a word beside the picture's.
        {"a key every design holds taken away",
         [&](const QString &file) {
             return cardEdited(file, [](PWPlist::Dictionary &entries) { entries.remove(u"Units"_s); });
         },
         kept,
         {{u"it is drawn as a placeholder"_s, Kind::Kept}}},
        {"a panel without its format",
         [&](const QString &file) {
             return cardEdited(file, [](PWPlist::Dictionary &entries) {
                 auto panel = std::make_unique<CFTAAddressPanel>(
                     true,
                     CAddressFormatController::sharedAddressFormatController()
                         .formatWithTemplate(u"Name+Company"_s, u"us"_s, false, CAddressFormatController::kBarcodeBelow)
                         .get(),
                     nullptr, false);
                 PWPlist::Dictionary stored = CFTACoreDoc::GetArchiveFromObject(panel.get(), nullptr).getDict().toDictionary();
                 stored.remove(u"Address Format"_s);
                 PWPlist::Dictionary front = entries.value(u"Front Side"_s).toDictionary();
                 PWPlist::Array components = front.value(u"Components"_s).toArray();
                 components.append(PWPlist(stored));
                 front.insert(u"Components"_s, PWPlist(components));
                 entries.insert(u"Front Side"_s, PWPlist(front));
             });
         },
         kept,
         // It prints no address: named, and kept as the file has it.
         {{u"it is drawn as a placeholder"_s, Kind::Kept}, {u"has no address format"_s, Kind::Kept}}},
    };
    // Every kind of part the report makes is met.
    for (int k = 0; k < CDDReadReport::kKindCount; ++k) {
        bool met = false;
        for (const auto &c : cases)
            for (const auto &part : c.parts)
                met = met || part.second == Kind(k);
        EXPECT_TRUE(met) << "no case for the kind " << k;
    }
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
        const QString shown = box->informativeText();
        for (const QString &closing : {kept, lost, mixed})
            EXPECT_EQ(shown.contains(closing), closing == c.told) << shown.toStdString();
        // Each part on a line of its own, which ends saying what a save does with its kind; no
        // other part is called a placeholder.
        const QStringList lines = shown.split(u'\n');
        for (const auto &[part, kind] : c.parts) {
            const QStringList of = lines.filter(part);
            ASSERT_EQ(of.size(), 1) << part.toStdString() << "\n" << shown.toStdString();
            EXPECT_TRUE(of.first().endsWith(CDDReadReport::fateOf(kind))) << of.first().toStdString();
        }
        // And no other part: a key left out is none.
        qsizetype told = 0;
        for (const QString &line : lines)
            for (int k = 0; k < CDDReadReport::kKindCount; ++k)
                told += line.endsWith(CDDReadReport::fateOf(Kind(k))) ? 1 : 0;
        EXPECT_EQ(told, qsizetype(c.parts.size())) << shown.toStdString();
        qsizetype placeholders = 0;
        for (const auto &part : c.parts)
            placeholders += part.first.contains(u"placeholder"_s) ? 1 : 0;
        EXPECT_EQ(lines.filter(u"placeholder"_s).size(), placeholders)
            << shown.toStdString();
        QTest::keyClick(box, Qt::Key_Return);
        ASSERT_TRUE(manager().closeDocument(manager().documents().at(1)));
    }
}
