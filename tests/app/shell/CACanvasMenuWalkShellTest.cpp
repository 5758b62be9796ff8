// The Edit, Arrange, Format and View menus walked as a user meets them, with each kind of object
// selected in turn: every item some command answers, the items that can act enabled and those
// that cannot disabled, and every enabled edit changing the design as one step that one undo
// takes back to the same saved bytes.
#include "app/canvas/CACanvasAddressCommands.h"
#include "app/canvas/CADocView.h"
#include "app/shell/CAActionRouter.h"
#include "app/shell/CAAddressCommands.h"
#include "app/shell/CACanvasCommands.h"
#include "app/shell/CACanvasFormatCommands.h"
#include "app/shell/CAChangeLayoutSheet.h"
#include "app/shell/CAMainMenu.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/base/FTClassID.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/drawing/CFTSeparator.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWImage.h"
#include "platform/PWUndoManager.h"

#include "ShellTestSupport.h"

#include <QAction>
#include <QImage>
#include <QMenu>

#include <map>
#include <set>

using namespace shelltest;
using namespace Qt::StringLiterals;

namespace {

const QStringList kWalkedMenus = {u"Edit"_s, u"Arrange"_s, u"Format"_s, u"View"_s};

// Items no command answers here: the document background colour changes nothing, the picture
// editor comes with the image editor, and the address format editor with the design window.
const std::set<QString> kUnanswered = {u"changeDocumentBackgroundColor"_s, u"openImageEditorDialog"_s,
                                       u"customAddressFormatEditor"_s};

class CACanvasMenuWalkShellTest : public shelltest::Test
{
protected:
    // A window as the application starts it, with one object of each kind between two fillers,
    // so that every order command has somewhere to move it.
    bool start()
    {
        launch(1);
        installChangeLayoutSheet();
        installCanvasCommands();
        installCanvasFormatCommands(*controller);
        installAddressCommands();
        CAMainWindowController *w = window(0);
        if (!w)
            return false;
        canvas = w->docView();
        CFTADocument *design = canvas->document()->ftDocument();
        design->AddObject(new CFTBoxField(10.0, 10.0, 20.0, 20.0, nullptr), 0, false);
        objects[u"shape"_s] = new CFTBoxField(40.0, 40.0, 50.0, 30.0, nullptr);
        auto *text = new CFTAText(120.0, 40.0, 90.0, 24.0, nullptr);
        text->GetText()->setString(u"Hello"_s, nullptr);
        objects[u"text"_s] = text;
        QImage bitmap(40, 20, QImage::Format_ARGB32);
        bitmap.fill(0xff3366cc);
        CFTComponent *picture = CFTAView::CreatePicture(CDDPicture(PWImage::fromQImage(bitmap))).release();
        picture->SetOrigin(60.0, 90.0);
        picture->SetSize(40.0, 20.0);
        objects[u"picture"_s] = picture;
        objects[u"separator"_s] = new CFTSeparator(20.0, 150.0, 80.0, 2.0, nullptr);
        for (const auto &[kind, component] : objects)
            design->AddObject(component, 0, false);
        canvas->addressCommands().addressPanel(true);
        for (CFTComponent *component : canvas->ftView()->GetCurrentComponents())
            if (component->getClassID() == ciAddressPanel)
                objects[u"address panel"_s] = component;
        design->AddObject(new CFTBoxField(200.0, 120.0, 20.0, 20.0, nullptr), 0, false);
        // Drawn once, as a window shows it: an empty address panel becomes a placeholder when it
        // is first laid out.
        canvas->grab();
        undo().setGroupsByEvent(false);
        undo().removeAllActions();
        return objects.size() == 5;
    }
    PWUndoManager &undo() { return *canvas->document()->undoManager(); }
    // The whole design file, with the document's own settings, and the capitals flag persons
    // arrive with.
    QByteArray design() const
    {
        return canvas->document()->dataRepresentationOfType(CADocument::kAddressDocumentType)
            + (canvas->document()->isCapitalizedAddressPanel() ? "capitals" : "");
    }
    // The objects alone, without the attributes new objects take (which change without undo).
    QByteArray saved() const
    {
        const std::vector<CFTComponent *> all = canvas->ftView()->GetCurrentComponents();
        return canvas->document()->documentDataForComponents(&all);
    }
    void selectOnly(const QString &kind)
    {
        canvas->ftView()->deselectAll();
        if (!kind.isEmpty())
            canvas->ftView()->select(objects.at(kind));
    }
    // The item as the menu shows it now: enabled or not.
    bool enabled(const QString &action)
    {
        QAction *item = controller->mainMenu().itemForAction(action);
        return controller->router().validate(action, item);
    }

    CADocView *canvas = nullptr;
    std::map<QString, CFTComponent *> objects;
};

TEST_F(CACanvasMenuWalkShellTest, EveryItemOfTheCanvasMenusIsAnswered)
{
    ASSERT_TRUE(start());
    QStringList unanswered;
    for (const CAMainMenu::Item &item : CAMainMenu::table()) {
        const QString top = item.menu.section(u'/', 0, 0);
        if (!kWalkedMenus.contains(top) || item.action.isEmpty() || kUnanswered.count(item.action))
            continue;
        if (!controller->router().targetForAction(item.action))
            unanswered << item.menu + u" > "_s + item.title;
    }
    EXPECT_TRUE(unanswered.isEmpty()) << unanswered.join(u", "_s).toStdString();
}

TEST_F(CACanvasMenuWalkShellTest, ItemsAreEnabledExactlyWhenTheSelectionLetsThemAct)
{
    ASSERT_TRUE(start());
    struct Case
    {
        QString kind;
        QStringList on;
        QStringList off;
    };
    const QStringList always = {u"selectAll"_s,  u"selectMode"_s,         u"textMode"_s,     u"fieldMode"_s,
                                u"separatorMode"_s, u"zoomIn"_s,          u"zoomOut"_s,      u"setZoom100"_s,
                                u"showGuidelineAreas"_s, u"insertImage"_s, u"insertBackground"_s, u"addressTo"_s};
    const QStringList oneObject = {u"copy"_s,      u"cut"_s,      u"delete"_s,     u"duplicate"_s,
                                   u"stepFront"_s, u"stepBack"_s, u"orderFront"_s, u"orderBack"_s,
                                   u"alignComponentsToDocumentCenter"_s};
    const Case cases[] = {
        {QString(), always,
         {u"copy"_s, u"cut"_s, u"delete"_s, u"duplicate"_s, u"stepFront"_s, u"flipX"_s, u"setShadow"_s,
          u"tileImage"_s, u"showBarcode"_s, u"ungroup"_s, u"alignComponentsToDocumentCenter"_s,
          u"capitalizeSelection"_s, u"barcodeLocationRadio"_s}},
        {u"shape"_s, oneObject + QStringList{u"flipX"_s, u"flipY"_s, u"setShadow"_s},
         {u"alignComponentsLeft"_s, u"distributeComponentsSpacingHorizontally"_s, u"tileImage"_s, u"showBarcode"_s,
          u"ungroup"_s}},
        {u"text"_s, oneObject + QStringList{u"increaseFontSize"_s, u"decreaseFontSize"_s, u"alignCenter"_s},
         {u"tileImage"_s, u"showBarcode"_s, u"ungroup"_s, u"flipX"_s, u"capitalizeSelection"_s}},
        {u"picture"_s, oneObject + QStringList{u"tileImage"_s, u"replaceImage"_s, u"flipY"_s},
         {u"showBarcode"_s, u"ungroup"_s, u"capitalizeSelection"_s, u"alignCenter"_s}},
        {u"separator"_s, oneObject, {u"tileImage"_s, u"showBarcode"_s, u"ungroup"_s, u"flipX"_s, u"alignRight"_s}},
        {u"address panel"_s, oneObject + QStringList{u"showBarcode"_s, u"ungroup"_s, u"capitalizeSelection"_s},
         {u"tileImage"_s, u"flipY"_s}},
    };
    for (const Case &c : cases) {
        selectOnly(c.kind);
        for (const QString &action : c.on)
            EXPECT_TRUE(enabled(action)) << action.toStdString() << " with " << c.kind.toStdString() << " selected";
        for (const QString &action : c.off)
            EXPECT_FALSE(enabled(action)) << action.toStdString() << " with " << c.kind.toStdString()
                                          << " selected";
    }
}

// An enabled edit that changes nothing would be an item that does not do what it says.
TEST_F(CACanvasMenuWalkShellTest, EveryEnabledEditChangesTheDesignAsOneStep)
{
    ASSERT_TRUE(start());
    const QStringList edits = {u"cut"_s,      u"delete"_s,      u"duplicate"_s,          u"stepFront"_s,
                               u"stepBack"_s, u"orderFront"_s,  u"orderBack"_s,          u"flipX"_s,
                               u"flipY"_s,    u"setShadow"_s,   u"alignComponentsToDocumentCenter"_s,
                               u"tileImage"_s, u"showBarcode"_s, u"capitalizeSelection"_s, u"alignCenter"_s,
                               u"alignRight"_s, u"increaseFontSize"_s, u"decreaseFontSize"_s, u"raiseBaseline"_s,
                               u"lowerBaseline"_s, u"loosenKerning"_s, u"tightenKerning"_s, u"ungroup"_s,
                               u"barcode"_s};
    for (const auto &[kind, component] : objects) {
        for (const QString &action : edits) {
            selectOnly(kind);
            if (!enabled(action))
                continue;
            const std::string what = action.toStdString() + " on the " + kind.toStdString();
            const QByteArray before = saved();
            const QByteArray designBefore = design();
            // As the user chooses it: the menu validated as it opens, then the item triggered.
            controller->mainMenu().validate();
            QAction *item = controller->mainMenu().itemForAction(action);
            ASSERT_TRUE(item && item->isEnabled()) << what;
            item->trigger();
            EXPECT_TRUE(saved() != before || design() != designBefore) << what << " changed nothing";
            ASSERT_TRUE(undo().canUndo()) << what << " made no step";
            ASSERT_TRUE(controller->router().perform(u"undo"_s)) << what;
            // Drawn again, as the window does before anyone could save.
            canvas->grab();
            const QByteArray after = saved();
            if (after != before) {
                const QList<QByteArray> a = after.split('\n');
                const QList<QByteArray> b = before.split('\n');
                for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i)
                    if (a.value(i) != b.value(i)) {
                        ADD_FAILURE() << what << ": one undo gives the design back; line " << i + 1 << " (after "
                                      << a.value(i - 1).trimmed().left(80).constData() << "): "
                                      << a.value(i).trimmed().left(160).constData() << " instead of "
                                      << b.value(i).trimmed().left(160).constData();
                        break;
                    }
            }
            undo().removeAllActions();
        }
    }
}

} // namespace
