// The inspector among document windows: a size typed into it and not confirmed with Return counts
// as soon as the field loses the focus or a window closes (so that the save question knows of it
// and Save writes it), or the design is saved, exported or printed while the field still has the
// keyboard, or Undo or Redo is chosen then (as a step of its own); and the inspector shows the
// selection of whichever document window the user turns to.
#include "app/canvas/CACanvasAddressCommands.h"
#include "app/canvas/CADocView.h"
#include "app/inspector/CAPropertiesController.h"
#include "app/shell/CAChangeLayoutSheet.h"
#include "app/shell/CAMainMenu.h"
#include "app/shell/CAPropertiesPanel.h"
#include "kernel/document/CFTAView.h"
#include "kernel/render/CDDText.h"

#include "ShellTestSupport.h"

#include <QLineEdit>
#include <QTabWidget>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>

using namespace shelltest;

namespace {

class CAInspectorShellTest : public shelltest::Test
{
public:
    // Documents, each holding a text and a shape that were there when it was last saved, with
    // the inspector up.
    void start(int documents)
    {
        launch(1);
        inspector = CAPropertiesController::sharedPropertiesController();
        inspector->close();
        installPropertiesPanel(*controller);
        for (int i = 1; i < documents; ++i)
            controller->newDocument(0);
        ASSERT_EQ(manager().documents().size(), documents);
        for (int i = 0; i < documents; ++i) {
            CFTADocument *design = window(i)->docView()->document()->ftDocument();
            auto *text = new CFTAText(40.0, 40.0, 160.0, 30.0, nullptr);
            text->GetText()->setString(u"Hello"_s, nullptr);
            design->AddObject(text, 0, false);
            texts.append(text);
            auto *shape = new CFTBoxField(40.0, 100.0, 50.0, 30.0, nullptr);
            design->AddObject(shape, 0, false);
            shapes.append(shape);
            manager().documents().at(i)->changeCount = 0;
        }
        controller->panels().show(CAFloatingPanels::PropertiesWindow);
        ASSERT_TRUE(CAPropertiesController::isPanelVisible());
    }
    void select(int index, CFTComponent *component)
    {
        CADocView *canvas = window(index)->docView();
        canvas->ftView()->deselectAll();
        canvas->ftView()->select(component);
        canvas->notifySelectionChanged();
    }
    static void activate(QWidget *window)
    {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
    QLineEdit *sizeField() const
    {
        return inspector->window()->findChild<QLineEdit *>(u"m_textSizeTextField"_s);
    }
    // Clicks into the inspector's size field and types the size, without Return.
    void typeSize(const QString &size)
    {
        activate(inspector->window());
        QLineEdit *field = sizeField();
        QTest::mouseClick(field, Qt::LeftButton);
        ASSERT_TRUE(field->hasFocus());
        field->selectAll();
        QTest::keyClicks(field, size);
    }
    static double sizeOf(CFTComponent *text)
    {
        const std::optional<PWFont> font = text->GetFont(nullptr);
        return font ? font->pointSize() : 0.0;
    }

    CAPropertiesController *inspector = nullptr;
    QList<CFTComponent *> texts;
    QList<CFTComponent *> shapes;
};

struct TypedCase
{
    const char *name;
    // The design held other unsaved changes before the size was typed.
    bool otherChanges;
    std::function<void(CAInspectorShellTest &)> end;
    CADocumentManager::SaveAnswer answer;
    // The end of typing closes the document, which is asked about.
    bool closes;
};

class TypedSize : public CAInspectorShellTest, public ::testing::WithParamInterface<TypedCase>
{
};

TEST_P(TypedSize, CountsWhenTheFieldLosesTheFocusOrAWindowCloses)
{
    const TypedCase &row = GetParam();
    start(1);
    const QString name = CADocumentManager::displayName(*manager().documents().at(0));
    activate(window(0));
    select(0, texts.at(0));
    ASSERT_EQ(inspector->tabView()->currentIndex(), int(CAPropertiesController::TextTab));
    ASSERT_NE(sizeOf(texts.at(0)), 11.0);
    if (row.otherChanges)
        manager().updateChangeCount(manager().documents().at(0), 1);
    savePath = path(u"typed.pwdc"_s);
    saveAnswer = row.answer;

    typeSize(u"11"_s);
    row.end(*this);

    if (row.closes) {
        EXPECT_EQ(asked, QStringList{name});
    }
    if (row.answer == CADocumentManager::SaveAnswer::Save) {
        CADocument saved;
        QString error;
        ASSERT_TRUE(saved.readFromFile(savePath, &error)) << error.toStdString();
        const std::vector<CFTComponent *> &read = saved.ftDocument()->GetComponents(0, false);
        const auto text = std::find_if(read.begin(), read.end(),
                                       [](CFTComponent *c) { return dynamic_cast<CFTAText *>(c) != nullptr; });
        ASSERT_NE(text, read.end());
        EXPECT_DOUBLE_EQ(sizeOf(*text), 11.0);
        return;
    }
    ASSERT_EQ(manager().documents().size(), 1);
    EXPECT_DOUBLE_EQ(sizeOf(texts.at(0)), 11.0);
    EXPECT_TRUE(manager().documents().at(0)->isEdited());
}

INSTANTIATE_TEST_SUITE_P(
    Inspector, TypedSize,
    ::testing::Values(
        TypedCase {"document_window_closes_with_no_other_change", false, [](CAInspectorShellTest &t) { t.window(0)->close(); },
                   CADocumentManager::SaveAnswer::Cancel, true},
        TypedCase {"document_window_closes_and_saves_with_other_changes", true,
                   [](CAInspectorShellTest &t) { t.window(0)->close(); }, CADocumentManager::SaveAnswer::Save, true},
        TypedCase {"quit", false, [](CAInspectorShellTest &t) { EXPECT_FALSE(t.controller->terminate()); },
                   CADocumentManager::SaveAnswer::Cancel, true},
        TypedCase {"inspector_closes", false,
                   [](CAInspectorShellTest &t) { t.controller->panels().close(CAFloatingPanels::PropertiesWindow); },
                   CADocumentManager::SaveAnswer::Cancel, false},
        TypedCase {"tab_to_the_next_field", false, [](CAInspectorShellTest &t) { QTest::keyClick(t.sizeField(), Qt::Key_Tab); },
                   CADocumentManager::SaveAnswer::Cancel, false},
        TypedCase {"back_to_the_document_window", false, [](CAInspectorShellTest &t) { CAInspectorShellTest::activate(t.window(0)); },
                   CADocumentManager::SaveAnswer::Cancel, false}),
    [](const ::testing::TestParamInfo<TypedCase> &info) { return std::string(info.param.name); });

struct WriteCase
{
    const char *name;
    // How the user asks, with the keyboard still in the size field.
    std::function<void(CAInspectorShellTest &)> ask;
    // The design file is written (else it is exported or printed, which asks nothing of the file).
    bool saves;
};

class WrittenWhileTyping : public CAInspectorShellTest, public ::testing::WithParamInterface<WriteCase>
{
};

TEST_P(WrittenWhileTyping, HoldsTheSizeTypedIntoTheField)
{
    const WriteCase &row = GetParam();
    start(1);
    activate(window(0));
    select(0, texts.at(0));
    ASSERT_EQ(inspector->tabView()->currentIndex(), int(CAPropertiesController::TextTab));
    ASSERT_NE(sizeOf(texts.at(0)), 11.0);
    // The size the design had when the save, export or print reached it.
    double sizeWhenAsked = 0.0;
    savePath = path(u"written.pwdc"_s);
    manager().questions().savePath = [&](QWidget *, CADocumentManager::SaveKind, const QString &, QString *) {
        sizeWhenAsked = sizeOf(texts.at(0));
        return savePath;
    };
    CAMainWindowController::registerCommand(
        u"printDocument"_s, {[](CAMainWindowController &, QAction *) { return true; },
                             [&](CAMainWindowController &, QAction *) { sizeWhenAsked = sizeOf(texts.at(0)); }});
    controller->mainMenu().validate();

    typeSize(u"11"_s);
    ASSERT_TRUE(sizeField()->hasFocus());
    row.ask(*this);

    EXPECT_DOUBLE_EQ(sizeWhenAsked, 11.0);
    if (!row.saves)
        return;
    CADocument saved;
    QString error;
    ASSERT_TRUE(saved.readFromFile(savePath, &error)) << error.toStdString();
    const std::vector<CFTComponent *> &read = saved.ftDocument()->GetComponents(0, false);
    const auto text =
        std::find_if(read.begin(), read.end(), [](CFTComponent *c) { return dynamic_cast<CFTAText *>(c) != nullptr; });
    ASSERT_NE(text, read.end());
    EXPECT_DOUBLE_EQ(sizeOf(*text), 11.0);
    EXPECT_FALSE(manager().documents().at(0)->isEdited());
}

void keyIntoField(CAInspectorShellTest &t, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(t.sizeField(), key, modifiers);
}

void chooseMenuItem(CAInspectorShellTest &t, const char *action)
{
    QAction *item = t.controller->mainMenu().itemForAction(QString::fromLatin1(action));
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(item->isEnabled());
    item->trigger();
}

INSTANTIATE_TEST_SUITE_P(
    Inspector, WrittenWhileTyping,
    ::testing::Values(
        WriteCase {"ctrl_s", [](CAInspectorShellTest &t) { keyIntoField(t, Qt::Key_S, Qt::ControlModifier); }, true},
        WriteCase {"file_save", [](CAInspectorShellTest &t) { chooseMenuItem(t, "saveDocument"); }, true},
        WriteCase {"ctrl_shift_s",
                   [](CAInspectorShellTest &t) { keyIntoField(t, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier); },
                   true},
        WriteCase {"file_save_as", [](CAInspectorShellTest &t) { chooseMenuItem(t, "saveDocumentAs"); }, true},
        WriteCase {"ctrl_e", [](CAInspectorShellTest &t) { keyIntoField(t, Qt::Key_E, Qt::ControlModifier); }, false},
        WriteCase {"ctrl_p", [](CAInspectorShellTest &t) { keyIntoField(t, Qt::Key_P, Qt::ControlModifier); }, false},
        WriteCase {"file_print", [](CAInspectorShellTest &t) { chooseMenuItem(t, "printDocument"); }, false}),
    [](const ::testing::TestParamInfo<WriteCase> &info) { return std::string(info.param.name); });

struct UndoCase
{
    const char *name;
    // Edit > Undo is chosen once before the typing, so that there is a step to redo.
    bool undoneBefore;
    // How the user asks, with the keyboard still in the size field.
    std::function<void(CAInspectorShellTest &)> ask;
    // The text's size after the asking, also once the field has lost the keyboard (0: the size
    // the text had at first).
    double size;
    // The Edit menu command chosen next, and the size it leaves.
    const char *next;
    double sizeAfterNext;
};

void PrintTo(const UndoCase &row, std::ostream *stream)
{
    *stream << row.name;
}

class UndoneWhileTyping : public CAInspectorShellTest, public ::testing::WithParamInterface<UndoCase>
{
};

TEST_P(UndoneWhileTyping, TakesTheTypedSizeAsAStepOfItsOwn)
{
    const UndoCase &row = GetParam();
    start(1);
    // Edit > Undo and Redo as the application installs them.
    installChangeLayoutSheet();
    activate(window(0));
    select(0, texts.at(0));
    ASSERT_EQ(inspector->tabView()->currentIndex(), int(CAPropertiesController::TextTab));
    const double first = sizeOf(texts.at(0));
    ASSERT_NE(first, 14.0);
    const auto expected = [first](double size) { return size == 0.0 ? first : size; };
    // One size confirmed with Return: a step the design's undo holds.
    typeSize(u"14"_s);
    QTest::keyClick(sizeField(), Qt::Key_Return);
    ASSERT_DOUBLE_EQ(sizeOf(texts.at(0)), 14.0);
    controller->mainMenu().validate();
    if (row.undoneBefore) {
        chooseMenuItem(*this, "undo");
        ASSERT_DOUBLE_EQ(sizeOf(texts.at(0)), first);
        controller->mainMenu().validate();
    }

    typeSize(u"11"_s);
    ASSERT_TRUE(sizeField()->hasFocus());
    row.ask(*this);
    EXPECT_DOUBLE_EQ(sizeOf(texts.at(0)), expected(row.size));
    EXPECT_DOUBLE_EQ(sizeField()->text().toDouble(), expected(row.size));
    activate(window(0));
    EXPECT_DOUBLE_EQ(sizeOf(texts.at(0)), expected(row.size)) << "nothing typed is applied afterwards";

    controller->mainMenu().validate();
    chooseMenuItem(*this, row.next);
    EXPECT_DOUBLE_EQ(sizeOf(texts.at(0)), expected(row.sizeAfterNext));
}

INSTANTIATE_TEST_SUITE_P(
    Inspector, UndoneWhileTyping,
    ::testing::Values(
        // The typed size is a step, undone at once and redone after.
        UndoCase {"edit_undo", false, [](CAInspectorShellTest &t) { chooseMenuItem(t, "undo"); }, 14.0, "redo", 11.0},
        // The typed size is a step after the one undone, so nothing is left to redo, and Undo
        // takes back the typed size.
        UndoCase {"edit_redo", true, [](CAInspectorShellTest &t) { chooseMenuItem(t, "redo"); }, 11.0, "undo", 0.0},
        // The field undoes its own typing; the design's steps stay as they were.
        UndoCase {"ctrl_z_in_the_field", false,
                  [](CAInspectorShellTest &t) { keyIntoField(t, Qt::Key_Z, Qt::ControlModifier); }, 14.0, "undo", 0.0}),
    [](const ::testing::TestParamInfo<UndoCase> &info) { return std::string(info.param.name); });

TEST_F(CAInspectorShellTest, FollowsTheDocumentWindowTheUserTurnsTo)
{
    start(2);
    activate(window(0));
    select(0, shapes.at(0));
    activate(window(1));
    select(1, texts.at(1));
    const struct
    {
        int window;
        CAPropertiesController::Tab tab;
    } turns[] = {{0, CAPropertiesController::FillTab}, {1, CAPropertiesController::TextTab},
                 {0, CAPropertiesController::FillTab}};
    for (const auto &turn : turns) {
        SCOPED_TRACE(turn.window);
        activate(window(turn.window));
        QCoreApplication::processEvents();
        EXPECT_EQ(inspector->inspectedView(), window(turn.window)->docView());
        EXPECT_EQ(inspector->tabView()->currentIndex(), int(turn.tab));
    }

    // A size typed while the second window's text is shown goes to that text, not to the text
    // of the window turned to.
    select(0, texts.at(0));
    activate(window(1));
    ASSERT_EQ(inspector->inspectedView(), window(1)->docView());
    typeSize(u"11"_s);
    activate(window(0));
    EXPECT_DOUBLE_EQ(sizeOf(texts.at(1)), 11.0);
    EXPECT_NE(sizeOf(texts.at(0)), 11.0);
    EXPECT_EQ(inspector->inspectedView(), window(0)->docView());
}

// A design with a changed panel closed without saving takes its selection out of the inspector:
// the address pane shows what the window the user turns to holds, and a size typed then reaches
// that window's panel.
TEST_F(CAInspectorShellTest, ADocumentClosedWithoutSavingLeavesNothingOfItInTheInspector)
{
    start(2);
    const auto addressSize = [this] { return inspector->window()->findChild<QLineEdit *>(u"_textSizeTextField"_s); };
    // Clicked into, typed and confirmed with Return.
    const auto typeInto = [this](QLineEdit *field, const QString &size) {
        activate(inspector->window());
        QTest::mouseClick(field, Qt::LeftButton);
        ASSERT_TRUE(field->hasFocus());
        field->selectAll();
        QTest::keyClicks(field, size);
        QTest::keyClick(field, Qt::Key_Return);
    };
    QList<CFTComponent *> panels;
    for (int i = 0; i < 2; ++i) {
        CADocView *canvas = window(i)->docView();
        canvas->addressCommands().addressPanel(true);
        const std::vector<CFTComponent *> &all = canvas->document()->ftDocument()->GetComponents(0, false);
        const auto panel = std::find_if(all.begin(), all.end(),
                                        [](CFTComponent *c) { return c->getType() == ctAddressPanel; });
        ASSERT_NE(panel, all.end());
        panels.append(*panel);
    }
    activate(window(1));
    select(1, panels.at(1));
    const double otherSize = sizeOf(panels.at(1));
    ASSERT_NE(otherSize, 15.0);
    activate(window(0));
    select(0, panels.at(0));
    ASSERT_EQ(inspector->tabView()->currentIndex(), int(CAPropertiesController::AddressTab));
    typeInto(addressSize(), u"15"_s);
    ASSERT_DOUBLE_EQ(sizeOf(panels.at(0)), 15.0);
    ASSERT_TRUE(manager().documents().at(0)->isEdited());
    CADocView *closing = window(0)->docView();

    saveAnswer = CADocumentManager::SaveAnswer::DontSave;
    window(0)->close();
    ASSERT_EQ(manager().documents().size(), 1);
    EXPECT_NE(inspector->inspectedView(), closing);
    // Whatever window comes to the front, the closed design's size is no longer offered.
    EXPECT_FALSE(addressSize()->isEnabled() && addressSize()->text() == u"15"_s);
    QCoreApplication::processEvents();
    EXPECT_NE(inspector->inspectedView(), closing);

    // The window left is the one the user works in: its panel is shown and takes a typed size.
    activate(window(0));
    select(0, panels.at(1));
    EXPECT_EQ(inspector->inspectedView(), window(0)->docView());
    ASSERT_TRUE(addressSize()->isEnabled());
    EXPECT_EQ(addressSize()->text().toDouble(), otherSize);
    typeInto(addressSize(), u"20"_s);
    EXPECT_DOUBLE_EQ(sizeOf(panels.at(1)), 20.0);
}

// With nothing selected the address pane is about the front design's defaults for new texts: a
// document closed with a size typed into it leaves that size nowhere, the pane shows the size new
// texts of the design left take, and a size typed then is the size they take, the design's
// objects untouched.
TEST_F(CAInspectorShellTest, WithNothingSelectedTheAddressPaneShowsAndSetsTheDefaultsForNewTexts)
{
    start(2);
    QLineEdit *size = inspector->window()->findChild<QLineEdit *>(u"_textSizeTextField"_s);
    ASSERT_NE(size, nullptr);
    const auto typeInto = [this, size](const QString &typed) {
        activate(inspector->window());
        QTest::mouseClick(size, Qt::LeftButton);
        ASSERT_TRUE(size->hasFocus());
        size->selectAll();
        QTest::keyClicks(size, typed);
        QTest::keyClick(size, Qt::Key_Return);
    };
    QList<CFTComponent *> panels;
    for (int i = 0; i < 2; ++i) {
        CADocView *canvas = window(i)->docView();
        canvas->addressCommands().addressPanel(true);
        const std::vector<CFTComponent *> &all = canvas->document()->ftDocument()->GetComponents(0, false);
        const auto panel = std::find_if(all.begin(), all.end(),
                                        [](CFTComponent *c) { return c->getType() == ctAddressPanel; });
        ASSERT_NE(panel, all.end());
        panels.append(*panel);
    }
    activate(window(0));
    select(0, panels.at(0));
    ASSERT_EQ(inspector->tabView()->currentIndex(), int(CAPropertiesController::AddressTab));
    typeInto(u"15"_s);
    ASSERT_DOUBLE_EQ(sizeOf(panels.at(0)), 15.0);
    saveAnswer = CADocumentManager::SaveAnswer::DontSave;
    window(0)->close();
    ASSERT_EQ(manager().documents().size(), 1);

    // The design left, turned to with nothing selected.
    activate(window(0));
    CADocView *canvas = window(0)->docView();
    canvas->ftView()->deselectAll();
    canvas->notifySelectionChanged();
    QCoreApplication::processEvents();
    ASSERT_EQ(inspector->inspectedView(), canvas);
    ASSERT_EQ(inspector->tabView()->currentIndex(), int(CAPropertiesController::AddressTab));
    CFTComponent *defaults = canvas->ftView()->defText();
    const double defaultSize = sizeOf(defaults);
    ASSERT_GT(defaultSize, 0.0);
    ASSERT_NE(defaultSize, 15.0);
    const double panelSize = sizeOf(panels.at(1));
    ASSERT_TRUE(size->isEnabled());
    EXPECT_DOUBLE_EQ(size->text().toDouble(), defaultSize) << "the size shown is the closed design's";

    typeInto(u"21"_s);
    EXPECT_DOUBLE_EQ(sizeOf(defaults), 21.0) << "the typed size changed nothing";
    EXPECT_DOUBLE_EQ(sizeOf(panels.at(1)), panelSize);
    EXPECT_DOUBLE_EQ(size->text().toDouble(), 21.0);
}

} // namespace
