#include "app/printing/CASheetController.h"
#include "app/shell/CAChangeLayoutSheet.h"
#include "kernel/printing/CATemplateFormat.h"
#include "platform/PWUndoManager.h"

#include "ShellTestSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QLineEdit>

using namespace shelltest;

namespace {

class CAChangeLayoutSheetTest : public shelltest::Test
{
protected:
    void TearDown() override
    {
        CAMainWindowController::setChangeLayoutSheet(nullptr);
        CAMainWindowController::unregisterCommand(u"undo"_s);
        CAMainWindowController::unregisterCommand(u"redo"_s);
        shelltest::Test::TearDown();
    }

    CASheetController *openSheet()
    {
        EXPECT_TRUE(controller->router().perform(u"openChangeLayoutDialog"_s));
        for (QDialog *dialog : window(0)->findChildren<QDialog *>())
            if (dialog->isVisible())
                return dialog->findChild<CASheetController *>();
        return nullptr;
    }
};

} // namespace

TEST_F(CAChangeLayoutSheetTest, TheDocumentWindowOpensTheSheetAndUndoesWhatItApplied)
{
    // A new label starts with the most recent layout; earlier tests of this process may have left
    // the one chosen below at the top.
    if (CATemplateFormat::TemplateList *recent = CATemplateFormat::recentLayouts(dtLabel))
        recent->clear();
    launch(1);
    CAMainWindowController *w = window(0);
    ASSERT_TRUE(w);
    EXPECT_FALSE(controller->router().validate(u"openChangeLayoutDialog"_s, nullptr));
    installChangeLayoutSheet();
    EXPECT_TRUE(controller->router().validate(u"openChangeLayoutDialog"_s, nullptr));
    EXPECT_FALSE(controller->router().validate(u"undo"_s, nullptr));
    const QString original = manager().documents().first()->document->ftDocument()->GetID().getData();

    CASheetController *sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(w->isSheetActive());
    EXPECT_EQ(sheet->window()->windowModality(), Qt::WindowModal);
    EXPECT_EQ(sheet->window()->parentWidget(), w);
    auto *search = sheet->window()->findChild<QLineEdit *>(u"_search"_s);
    search->setFocus();
    QTest::keyClicks(search, u"5163"_s);
    QTest::mouseClick(sheet->window()->findChild<QAbstractButton *>(u"_btnOK"_s), Qt::LeftButton);

    EXPECT_FALSE(w->isSheetActive());
    const auto record = manager().documents().first();
    EXPECT_TRUE(record->isEdited());
    EXPECT_TRUE(w->windowTitle().contains(u"05163"_s)) << w->windowTitle().toStdString();

    QAction item(u"Undo"_s);
    ASSERT_TRUE(controller->router().validate(u"undo"_s, &item));
    EXPECT_EQ(item.text(), u"Undo Change Layout"_s);
    EXPECT_TRUE(controller->router().perform(u"undo"_s));
    EXPECT_EQ(record->document->ftDocument()->GetID().getData(), original);
    EXPECT_NE(original, u"05163"_s);
    EXPECT_FALSE(record->isEdited());
    EXPECT_TRUE(controller->router().validate(u"redo"_s, nullptr));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
