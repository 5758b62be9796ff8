// Closing a document window in any state the user can leave it in (typing in a field, a sheet up,
// the floating panels showing), with Close or with Quit: the program goes on, the other document
// keeps its unsaved work, and typing in place counts as unsaved work when the program is quit.
#include "app/canvas/CADocView.h"
#include "app/contacts/CAAddressWindow.h"
#include "app/inspector/CADesignWindow.h"
#include "app/inspector/CAPropertiesController.h"
#include "app/shell/CAAddressCommands.h"
#include "app/shell/CAAddressWindowPanel.h"
#include "app/shell/CACanvasCommands.h"
#include "app/shell/CACanvasFormatCommands.h"
#include "app/shell/CAChangeLayoutSheet.h"
#include "app/shell/CADesignWindowPanel.h"
#include "app/shell/CAPropertiesPanel.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/render/CDDText.h"
#include "platform/PWPerson.h"
#include "platform/PWVCardReader.h"

#include "ShellTestSupport.h"

#include <QHash>
#include <QToolButton>

#include <functional>
#include <string>

using namespace shelltest;

namespace {

const QByteArray kCard = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\nFN:Jane Doe\r\nORG:Acme Widgets;\r\n"
                         "ADR;TYPE=WORK:;;1 Main St;Springfield;IL;62701;USA\r\nEND:VCARD\r\n";

class CAClosingWindowsShellTest;

// A state the user leaves the closed window in, entered with clicks and keys.
struct WindowState
{
    const char *name;
    std::function<void(CAClosingWindowsShellTest &, CAMainWindowController &)> enter;
    // Whether the state holds unsaved work, so that closing asks about it.
    bool edited;
    // A sheet blocks its window: the window's own keys do nothing, and Quit comes from the other.
    bool blocksItsWindow = false;
};

struct ClosingCase
{
    friend void PrintTo(const ClosingCase &c, std::ostream *stream)
    {
        *stream << c.state.name << (c.quit ? " quit" : " close");
    }

    WindowState state;
    // Quit (Ctrl+Q) instead of closing the one window (Ctrl+W).
    bool quit;
};

class CAClosingWindowsShellTest : public shelltest::Test, public ::testing::WithParamInterface<ClosingCase>
{
public:
    // Two documents, each with a recipient panel filled from a person; the second also holds a
    // shape added since it was last saved.
    void start()
    {
        launch(1);
        // The inspector is the application's one; a test before may have left it up.
        CAPropertiesController::sharedPropertiesController()->close();
        installChangeLayoutSheet();
        installCanvasCommands();
        installCanvasFormatCommands(*controller);
        installAddressCommands();
        installAddressWindow(*controller);
        installDesignWindow(*controller);
        installPropertiesPanel(*controller);
        controller->newDocument(0);
        ASSERT_EQ(manager().documents().size(), 2);
        for (int index = 0; index < 2; ++index) {
            CADocView *canvas = window(index)->docView();
            const std::unique_ptr<CAddressFormat> format =
                CAddressFormatController::sharedAddressFormatController().formatWithTemplate(u"Name+Company"_s,
                                                                                             u"us"_s, false, 1);
            std::unique_ptr<CFTComponent> made = canvas->ftView()->CreateAddressPanel(true, format.get());
            ASSERT_TRUE(made);
            panels[window(index)] = dynamic_cast<CFTAAddressPanel *>(made.get());
            made->SetOrigin(30.0, 30.0);
            canvas->ftView()->InsertComponent(made.release(), false);
            CADocument *document = canvas->document();
            if (const std::shared_ptr<PWPerson> person = PWVCardReader::personFromData(kCard))
                document->setCurrentPerson(person.get(), true, true, true);
            document->ftDocument()->arrangeAddressPanel();
        }
        QCoreApplication::processEvents();
        for (const auto &record : manager().documents()) {
            record->changeCount = 0;
            record->editedBeyondUndo = false;
        }
        other = manager().documents().at(1);
        shape = new CFTBoxField(200.0, 40.0, 50.0, 30.0, nullptr);
        other->document->ftDocument()->AddObject(shape, 0, false);
        manager().updateChangeCount(other, 1);
        // Closing the window under test throws its work away; the other document's is kept.
        manager().questions().saveChanges = [this](QWidget *, const QString &name) {
            asked.append(name);
            return name == otherName() ? CADocumentManager::SaveAnswer::Cancel : CADocumentManager::SaveAnswer::DontSave;
        };
    }

    QString otherName() const { return CADocumentManager::displayName(*other); }
    static void activate(QWidget *window)
    {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
    static bool holds(CADocument &document, const CFTComponent *wanted)
    {
        bool found = false;
        document.ftDocument()->forEachComponent([&](const CFTComponent *component) { found |= component == wanted; });
        return found;
    }
    // Clicks the company line of the window's panel until typing in place starts there.
    CFTAAddressText *clickCompanyLine(CAMainWindowController &w)
    {
        CFTAAddressPanel *panel = panels.value(&w);
        CFTAAddressText *field = panel ? panel->getAddressComponentWithTextCategory(tcCompany) : nullptr;
        if (!field)
            return nullptr;
        CADocView *canvas = w.docView();
        canvas->viewport()->repaint();
        const QPointF middle(field->GetOriginX() + field->GetSizeX() / 2, field->GetOriginY() + field->GetSizeY() / 2);
        const QPoint at = canvas->geometry().widgetPoint(middle).toPoint();
        for (int click = 0; click < 3 && !canvas->isEditingText(); ++click)
            QTest::mouseClick(canvas->viewport(), Qt::LeftButton, {}, at);
        return canvas->isEditingText() ? field : nullptr;
    }
    static void clickButton(CAMainWindowController &w, const char *name)
    {
        auto *button = w.findChild<QToolButton *>(QString::fromLatin1(name));
        ASSERT_TRUE(button) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    static QString text(CFTComponent *component) { return component->GetText()->getContents()->toPlainText(); }

    std::shared_ptr<CAOpenDocument> other;
    CFTBoxField *shape = nullptr;
    QHash<const CAMainWindowController *, CFTAAddressPanel *> panels;
};

void typeInCompanyLine(CAClosingWindowsShellTest &test, CAMainWindowController &w)
{
    ASSERT_TRUE(test.clickCompanyLine(w));
    // The click placed the caret where it landed: the typing goes at the line's end.
    QTest::keyClick(w.docView(), Qt::Key_End);
    QTest::keyClicks(w.docView(), u" Ltd"_s);
}

const WindowState kStates[] = {
    {"Untouched", [](CAClosingWindowsShellTest &, CAMainWindowController &) {}, false},
    {"EditingAField",
     [](CAClosingWindowsShellTest &test, CAMainWindowController &w) {
         ASSERT_TRUE(test.clickCompanyLine(w));
     },
     false},
    {"TypingInAField", typeInCompanyLine, true},
    {"TypingANewText",
     [](CAClosingWindowsShellTest &, CAMainWindowController &w) {
         CAClosingWindowsShellTest::clickButton(w, "textModeCell");
         CADocView *canvas = w.docView();
         QTest::mouseClick(canvas->viewport(), Qt::LeftButton, {},
                           canvas->geometry().widgetPoint(QPointF(20.0, 120.0)).toPoint());
         ASSERT_TRUE(canvas->isEditingText());
         QTest::keyClicks(canvas, u"Hello"_s);
     },
     true},
    {"ChangeLayoutSheetOpen",
     [](CAClosingWindowsShellTest &, CAMainWindowController &w) {
         CAClosingWindowsShellTest::clickButton(w, "changeLayoutButton");
         ASSERT_TRUE(w.isSheetActive());
     },
     false, true},
    {"InspectorShowingTheField",
     [](CAClosingWindowsShellTest &test, CAMainWindowController &w) {
         CAClosingWindowsShellTest::clickButton(w, "_butInspector");
         ASSERT_TRUE(CAPropertiesController::isPanelVisible());
         CAClosingWindowsShellTest::activate(&w);
         ASSERT_TRUE(test.clickCompanyLine(w));
         ASSERT_EQ(CAPropertiesController::sharedPropertiesController()->inspectedView(), w.docView());
     },
     false},
    {"DesignWindowShowing",
     [](CAClosingWindowsShellTest &, CAMainWindowController &w) {
         CAClosingWindowsShellTest::clickButton(w, "_butDesign");
         ASSERT_TRUE(sharedDesignWindow() && sharedDesignWindow()->isVisible());
     },
     false},
    {"AddressWindowShowing",
     [](CAClosingWindowsShellTest &, CAMainWindowController &w) {
         CAClosingWindowsShellTest::clickButton(w, "_butAddress");
         ASSERT_TRUE(sharedAddressWindow() && sharedAddressWindow()->isVisible());
     },
     false},
    {"EveryPanelWhileTyping",
     [](CAClosingWindowsShellTest &test, CAMainWindowController &w) {
         for (const char *button : {"_butAddress", "_butDesign", "_butInspector"})
             CAClosingWindowsShellTest::clickButton(w, button);
         CAClosingWindowsShellTest::activate(&w);
         typeInCompanyLine(test, w);
     },
     true},
};

std::vector<ClosingCase> everyCase()
{
    std::vector<ClosingCase> cases;
    for (const WindowState &state : kStates)
        for (bool quit : {false, true})
            cases.push_back({state, quit});
    return cases;
}

} // namespace

TEST_P(CAClosingWindowsShellTest, TheOtherDocumentAndTheProgramOutliveTheClosedWindow)
{
    const ClosingCase c = GetParam();
    start();
    CAMainWindowController *closing = window(0);
    const QString closingName = CADocumentManager::displayName(*manager().documents().at(0));
    activate(closing);
    c.state.enter(*this, *closing);
    if (HasFatalFailure())
        return;
    auto *kept = qobject_cast<CAMainWindowController *>(other->window.data());
    ASSERT_TRUE(kept);
    // The keys go where the user's keyboard is: the field typed in, the sheet, the window; with
    // a sheet up, Quit is pressed in the other window.
    if (c.quit && c.state.blocksItsWindow)
        activate(kept);
    QWidget *focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : closing, c.quit ? Qt::Key_Q : Qt::Key_W, Qt::ControlModifier);

    // The closed window's question comes first; a quit goes on to the other document, whose
    // answer (Cancel) keeps it and the program. A window under its sheet does not close.
    const bool closes = c.quit || !c.state.blocksItsWindow;
    QStringList expected;
    if (c.state.edited && closes)
        expected.append(closingName);
    if (c.quit)
        expected.append(otherName());
    EXPECT_EQ(asked, expected);
    EXPECT_EQ(openWindowCount(), closes ? 1 : 2);
    ASSERT_EQ(manager().documents().size(), closes ? 1 : 2);
    ASSERT_EQ(manager().documents().last(), other);
    ASSERT_TRUE(kept && kept->isVisible());
    EXPECT_TRUE(other->isEdited());
    EXPECT_TRUE(kept->isWindowModified());
    EXPECT_TRUE(holds(*other->document, shape)) << "the unsaved shape";
    if (CAPropertiesController::isPanelVisible()) {
        const CADocView *inspected = CAPropertiesController::sharedPropertiesController()->inspectedView();
        EXPECT_TRUE(!inspected || inspected == kept->docView());
    }

    // The window left keeps working: typing in place there is asked about at the next quit.
    activate(kept);
    CFTAAddressText *field = clickCompanyLine(*kept);
    ASSERT_TRUE(field);
    QTest::keyClick(kept->docView(), Qt::Key_End);
    QTest::keyClicks(kept->docView(), u" Inc"_s);
    asked.clear();
    QTest::keyClick(kept->docView(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(asked, QStringList {otherName()});
    EXPECT_EQ(openWindowCount(), 1);
    EXPECT_TRUE(text(field).endsWith(u" Inc"_s)) << text(field).toStdString();
}

INSTANTIATE_TEST_SUITE_P(EveryState, CAClosingWindowsShellTest, ::testing::ValuesIn(everyCase()),
                         [](const ::testing::TestParamInfo<ClosingCase> &info) {
                             return std::string(info.param.state.name) + (info.param.quit ? "Quit" : "Close");
                         });

namespace {
class CAQuitWhileTypingShellTest : public CAClosingWindowsShellTest
{
};
} // namespace

// Typing in place is unsaved work: Quit asks about it, and a cancel keeps the typed text.
TEST_F(CAQuitWhileTypingShellTest, QuittingWhileTypingInPlaceAsksAboutTheTypedText)
{
    start();
    CAMainWindowController *w = window(0);
    const QString name = CADocumentManager::displayName(*manager().documents().at(0));
    manager().questions().saveChanges = [this](QWidget *, const QString &asking) {
        asked.append(asking);
        return CADocumentManager::SaveAnswer::Cancel;
    };
    activate(w);
    CFTAAddressText *field = clickCompanyLine(*w);
    ASSERT_TRUE(field);
    const QString before = text(field);
    QTest::keyClick(w->docView(), Qt::Key_End);
    QTest::keyClicks(w->docView(), u"!"_s);
    ASSERT_EQ(text(field), before + u"!"_s);
    QTest::keyClick(w->docView(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(asked, QStringList {name}) << "the first document stops the quit";
    EXPECT_EQ(openWindowCount(), 2);
    EXPECT_TRUE(manager().documents().at(0)->isEdited());
    EXPECT_EQ(text(field), before + u"!"_s);
}
