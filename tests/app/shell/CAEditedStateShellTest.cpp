// The edited mark of a document window follows its undo history: undoing back to the saved
// design clears it, undoing past a save sets it, and a person chosen for the design is a step
// like any other.
#include "app/canvas/CADocView.h"
#include "app/shell/CACanvasCommands.h"
#include "app/shell/CAChangeLayoutSheet.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWUndoManager.h"
#include "platform/PWVCardReader.h"

#include "ShellTestSupport.h"

using namespace shelltest;

namespace {

class CAEditedStateShellTest : public shelltest::Test
{
protected:
    // What the launch left in an open event group closes with the event-loop turn; the test
    // starts from a saved, unedited document with no history.
    void startClean(const std::shared_ptr<CAOpenDocument> &record)
    {
        QCoreApplication::processEvents();
        record->document->undoManager()->removeAllActions();
        record->changeCount = 0;
    }
};

TEST_F(CAEditedStateShellTest, UndoingBackToTheSavedDesignLeavesItUnedited)
{
    launch(1);
    installChangeLayoutSheet();
    installCanvasCommands();
    CAMainWindowController *w = window(0);
    ASSERT_TRUE(w);
    const auto record = manager().documents().first();
    CADocView *canvas = w->docView();
    auto *first = new CFTBoxField(40.0, 40.0, 50.0, 30.0, nullptr);
    auto *second = new CFTBoxField(120.0, 40.0, 50.0, 30.0, nullptr);
    canvas->document()->ftDocument()->AddObject(first, 0, false);
    canvas->document()->ftDocument()->AddObject(second, 0, false);
    startClean(record);
    ASSERT_FALSE(record->isEdited());

    canvas->ftView()->select(first);
    ASSERT_TRUE(perform("delete"));
    EXPECT_TRUE(record->isEdited());
    EXPECT_TRUE(w->isWindowModified());
    ASSERT_TRUE(perform("undo"));
    EXPECT_FALSE(record->isEdited()) << "every step undone";
    EXPECT_FALSE(w->isWindowModified());
    ASSERT_TRUE(perform("redo"));
    EXPECT_TRUE(record->isEdited());

    // Saved here: undoing moves away from the saved design, redoing comes back to it.
    savePath = path(u"edited.pwdc"_s);
    ASSERT_TRUE(manager().saveDocument(record));
    ASSERT_FALSE(record->isEdited());
    ASSERT_TRUE(perform("undo"));
    EXPECT_TRUE(record->isEdited());
    ASSERT_TRUE(perform("redo"));
    EXPECT_FALSE(record->isEdited());

    // One step past the saved design and back; one more undo goes behind it.
    canvas->ftView()->deselectAll();
    canvas->ftView()->select(second);
    ASSERT_TRUE(perform("delete"));
    EXPECT_TRUE(record->isEdited());
    ASSERT_TRUE(perform("undo"));
    EXPECT_FALSE(record->isEdited());
    ASSERT_TRUE(perform("undo"));
    EXPECT_TRUE(record->isEdited());
}

TEST_F(CAEditedStateShellTest, AChosenPersonIsAStepThatUndoTakesBack)
{
    launch(1);
    installChangeLayoutSheet();
    CAMainWindowController *w = window(0);
    ASSERT_TRUE(w);
    const auto record = manager().documents().first();
    startClean(record);
    const std::shared_ptr<PWPerson> before = record->document->currentPerson(true);
    const std::shared_ptr<PWPerson> person = PWVCardReader::personFromData(
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\nFN:Jane Doe\r\n"
        "ADR;TYPE=WORK:;;1 Main St;Springfield;IL;62701;USA\r\nEND:VCARD\r\n");
    ASSERT_TRUE(person);

    CAMainWindowController::changePerson(manager(), record->document.get(), *person, 1, true);
    ASSERT_TRUE(record->document->currentPerson(true));
    EXPECT_EQ(record->document->currentPerson(true)->stringForProperty(kPWLastNameProperty), u"Doe"_s);
    EXPECT_TRUE(record->isEdited());
    ASSERT_TRUE(perform("undo"));
    EXPECT_EQ(record->document->currentPerson(true), before) << "the person the design had";
    EXPECT_FALSE(record->isEdited());

    // The sender side is a step of its own too.
    CAMainWindowController::changePerson(manager(), record->document.get(), *person, 1, false);
    ASSERT_TRUE(record->document->currentPerson(false));
    EXPECT_EQ(record->document->currentPerson(false)->stringForProperty(kPWLastNameProperty), u"Doe"_s);
    ASSERT_TRUE(perform("undo"));
    EXPECT_FALSE(record->isEdited());
}

} // namespace
