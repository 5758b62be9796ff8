// Designs opened in a window from files a user or another version wrote: the title shows the size
// in the unit the file gives, a refused tile scale is told of the picture it belongs to, and the
// layout guidelines a file holds go back into it unchanged when the design is saved.
#include "ShellTestSupport.h"

#include "app/shell/CACanvasCommands.h"
#include "app/shell/CASavePanel.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/drawing/CFTPicture.h"
#include "platform/PWImage.h"
#include "platform/PWPlist.h"

#include <QMessageBox>

#include <functional>

namespace {

class CADesignFileShellTest : public shelltest::Test
{
protected:
    // A label of 72 by 36 points with one shape, as the application saves it, changed by edit.
    bool writeDesign(const QString &file, const std::function<void(PWPlist::Dictionary &)> &edit)
    {
        CADocument document;
        document.ftDocument()->setDocumentSizeX(72.0);
        document.ftDocument()->setDocumentSizeY(36.0);
        document.ftDocument()->AddObject(new CFTBoxField(4.0, 4.0, 20.0, 10.0, nullptr), 0, false);
        auto *picture = new CFTPicture(CDDPicture(PWImage::fromQImage(QImage(6, 4, QImage::Format_ARGB32))));
        picture->SetOrigin(30.0, 4.0);
        picture->SetSize(20.0, 20.0);
        document.ftDocument()->AddObject(picture, 0, false);
        const std::optional<PWPlist> stored = PWPlist::parse(document.documentDataForComponents(nullptr));
        if (!stored || !stored->isDictionary())
            return false;
        PWPlist::Dictionary root = stored->toDictionary();
        edit(root);
        return pwtest::writeFile(file, PWPlist(root).toXml());
    }
    // Opens file through File > Open; the window it shows in.
    CAMainWindowController *openThroughMenu(const QString &file)
    {
        openPath = file;
        const qsizetype before = manager().documents().size();
        QAction *open = controller->mainMenu().itemForAction(u"openDocument"_s, 0);
        if (!open)
            return nullptr;
        open->trigger();
        if (manager().documents().size() != before + 1)
            return nullptr;
        return window(int(before));
    }
};

// Each component dictionary of the front side, changed by edit.
void editDesignComponents(PWPlist::Dictionary &root, const std::function<void(PWPlist::Dictionary &)> &edit)
{
    PWPlist::Dictionary side = root.value(key_FrontSide).toDictionary();
    PWPlist::Array components = side.value(key_Components).toArray();
    for (PWPlist &component : components) {
        PWPlist::Dictionary entry = component.toDictionary();
        edit(entry);
        component = PWPlist(entry);
    }
    side.insert(key_Components, PWPlist(components));
    root.insert(key_FrontSide, PWPlist(side));
}

// A design of any unit opens, and its title gives its size.
TEST_F(CADesignFileShellTest, TheTitleShowsTheSizeInMillimetresOrInches)
{
    const struct
    {
        const char *units;
        QString size;
    } cases[] = {
        // The title says millimetres for a design in millimetres and inches for any other, a
        // design in points included: a size in inches is still its size.
        {"0", u" - Size 25.4x12.7 mm"_s}, {"1", u" - Size 1.000x0.500 in"_s}, {"2", u" - Size 1.000x0.500 in"_s},
        {"-1", u" - Size 1.000x0.500 in"_s}, {"3", u" - Size 1.000x0.500 in"_s},
    };
    launch(1);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.units);
        const QString file = path(u"units "_s + QString::fromLatin1(c.units) + u".pwdc"_s);
        ASSERT_TRUE(writeDesign(file, [&c](PWPlist::Dictionary &root) {
            root.insert(key_Units, PWPlist::fromString(QString::fromLatin1(c.units)));
        }));
        CAMainWindowController *w = openThroughMenu(file);
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->windowTitle().endsWith(c.size)) << qPrintable(w->windowTitle());
        ASSERT_TRUE(manager().closeDocument(manager().documents().last()));
    }
}

// What the window tells names the picture and what it is tiled with, not a value it kept.
TEST_F(CADesignFileShellTest, ARefusedTileScaleIsToldOfThePictureInTheReadProblems)
{
    launch(1);
    manager().questions().reportReadProblems = CASavePanel::questions().reportReadProblems;
    const QString file = path(u"tiles.pwdc"_s);
    ASSERT_TRUE(writeDesign(file, [](PWPlist::Dictionary &root) {
        editDesignComponents(root, [](PWPlist::Dictionary &entry) {
            if (entry.value(key_ClassID).toString() != classStringKeys.at(ciPicture))
                return;
            entry.insert(key_TileScale, PWPlist::fromString(u"0"_s));
            entry.insert(key_DataRef, PWPlist::fromString(u"harbour.png"_s));
        });
    }));
    CAMainWindowController *w = openThroughMenu(file);
    ASSERT_NE(w, nullptr);
    auto *box = w->findChild<QMessageBox *>(u"readProblemsMessage"_s);
    ASSERT_NE(box, nullptr);
    const QString told = box->informativeText() + box->detailedText();
    EXPECT_TRUE(told.contains(u"\"Tile Scale\" of a component of class \"Picture\" is out of range (0); the picture "
                              "\"harbour.png\" is tiled at its own size"_s))
        << qPrintable(told);
    EXPECT_FALSE(told.contains(u"kept 0"_s)) << qPrintable(told);
    QTest::keyClick(box, Qt::Key_Return);
}

// No command of the window adds a guideline; those a file holds, whole or damaged, are written
// back exactly as stored when the user saves an edit of the design.
TEST_F(CADesignFileShellTest, TheGuidelinesAFileHoldsAreSavedAsStored)
{
    const PWPlist::Dictionary vertical {{key_ClassID, PWPlist::fromString(u"Layout Guideline"_s)},
                                        {u"Origin"_s, PWPlist::fromString(u"72.000"_s)},
                                        {u"Locked"_s, PWPlist::fromString(u"NO"_s)},
                                        {u"Layout Guideline Type"_s, PWPlist::fromString(u"0"_s)}};
    const PWPlist::Dictionary lockedHorizontal {{key_ClassID, PWPlist::fromString(u"Layout Guideline"_s)},
                                                {u"Origin"_s, PWPlist::fromString(u"18.500"_s)},
                                                {u"Locked"_s, PWPlist::fromString(u"YES"_s)},
                                                {u"Layout Guideline Type"_s, PWPlist::fromString(u"1"_s)}};
    const PWPlist::Dictionary damaged {{key_ClassID, PWPlist::fromString(u"Layout Guideline"_s)},
                                       {u"Origin"_s, PWPlist::fromString(u"abc"_s)},
                                       {u"Layout Guideline Type"_s, PWPlist::fromString(u"7"_s)}};
    const PWPlist guidelines(PWPlist::Array {PWPlist(vertical), PWPlist(lockedHorizontal), PWPlist(damaged),
                                             PWPlist::fromString(u"not a guideline"_s)});
    launch(1);
    installCanvasCommands();
    const QString file = path(u"guided.pwdc"_s);
    ASSERT_TRUE(writeDesign(file, [&guidelines](PWPlist::Dictionary &root) {
        PWPlist::Dictionary side = root.value(key_FrontSide).toDictionary();
        side.insert(key_LayoutGuidelines, guidelines);
        root.insert(key_FrontSide, PWPlist(side));
    }));
    CAMainWindowController *w = openThroughMenu(file);
    ASSERT_NE(w, nullptr);
    const auto record = manager().documents().last();
    ASSERT_EQ(record->document->ftDocument()->GetComponents(0, false).size(), 2u);

    // An edit through the menu, then File > Save over the same file.
    ASSERT_TRUE(controller->router().perform(u"selectAll"_s));
    ASSERT_TRUE(controller->router().perform(u"delete"_s));
    ASSERT_TRUE(record->isEdited());
    QAction *save = controller->mainMenu().itemForAction(u"saveDocument"_s, 0);
    ASSERT_NE(save, nullptr);
    save->trigger();
    ASSERT_FALSE(record->isEdited()) << qPrintable(reports.join(u'\n'));

    const std::optional<PWPlist> saved = PWPlist::readFile(file);
    ASSERT_TRUE(saved && saved->isDictionary());
    const PWPlist::Dictionary side = saved->toDictionary().value(key_FrontSide).toDictionary();
    EXPECT_TRUE(side.value(key_Components).isNull() || side.value(key_Components).toArray().isEmpty())
        << "the edit was saved";
    EXPECT_EQ(PWPlist(side.value(key_LayoutGuidelines)).toXml(), guidelines.toXml());

    // Reopened and saved once more, they are still there as they were.
    ASSERT_TRUE(manager().closeDocument(record));
    w = openThroughMenu(file);
    ASSERT_NE(w, nullptr);
    manager().updateChangeCount(manager().documents().last(), 1);
    save->trigger();
    const std::optional<PWPlist> again = PWPlist::readFile(file);
    ASSERT_TRUE(again && again->isDictionary());
    EXPECT_EQ(PWPlist(again->toDictionary().value(key_FrontSide).toDictionary().value(key_LayoutGuidelines)).toXml(),
              guidelines.toXml());
}

} // namespace
