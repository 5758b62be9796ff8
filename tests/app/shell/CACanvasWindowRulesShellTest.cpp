// Smaller rules of the canvas in its window, each through a user's path: a release on a
// selection without web addresses hides the internet strip, the font manager hears the
// selected text's attributes, the page centre vertically from the Arrange menu, and a new
// address panel announces the address selection.
#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CACanvasSelection.h"
#include "app/canvas/CADocView.h"
#include "app/shell/CAAddressCommands.h"
#include "app/shell/CACanvasCommands.h"
#include "app/shell/CAChangeLayoutSheet.h"
#include "app/shell/CAFontManager.h"
#include "app/shell/CAMainMenu.h"
#include "app/shell/CDocScrollView.h"
#include "kernel/base/CDDColor.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWImage.h"
#include "platform/PWNotificationCenter.h"

#include "ShellTestSupport.h"

#include <QAction>
#include <QBuffer>
#include <QDropEvent>
#include <QMimeData>
#include <QLabel>

using namespace shelltest;

namespace {

class CACanvasWindowRulesShellTest : public shelltest::Test
{
public:
    void SetUp() override
    {
        shelltest::Test::SetUp();
        launch(1);
        installChangeLayoutSheet();
        installCanvasCommands();
        installAddressCommands();
        w = window(0);
        ASSERT_TRUE(w);
        canvas = w->docView();
        CFTADocument *design = canvas->document()->ftDocument();
        box = new CFTBoxField(40.0, 40.0, 50.0, 30.0, nullptr);
        const CDDColor yellow(0.98f, 0.86f, 0.24f, 1.0f);
        box->SetFillColor(&yellow);
        box->SetFilled(true);
        design->AddObject(box, 0, false);
        text = new CFTAText(120.0, 40.0, 90.0, 24.0, nullptr);
        text->GetText()->setString(u"Hello"_s, nullptr);
        design->AddObject(text, 0, false);
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    }
    void click(double x, double y)
    {
        QTest::mouseClick(canvas->viewport(), Qt::LeftButton, {}, canvas->geometry().widgetPoint(QPointF(x, y)).toPoint());
    }
    QAction *item(const char *action, int tag = 0)
    {
        controller->mainMenu().validate();
        return controller->mainMenu().itemForAction(QString::fromLatin1(action), tag);
    }

    CAMainWindowController *w = nullptr;
    CADocView *canvas = nullptr;
    CFTBoxField *box = nullptr;
    CFTAText *text = nullptr;
};

} // namespace

TEST_F(CACanvasWindowRulesShellTest, AReleaseOnASelectionWithoutWebAddressesHidesTheInternetStrip)
{
    CAMainWindowController::setInternetPaneFactory([](CAMainWindowController &) { return new QLabel(u"strip"_s); });
    struct Case
    {
        const char *name;
        QPointF at;
        bool stripStays;
    };
    // Empty paper clears the selection: nothing is asked of the strip.
    const Case cases[] = {{"a shape", QPointF(60, 50), false}, {"empty paper", QPointF(30, 150), true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        canvas->ftView()->deselectAll();
        w->showInternet();
        ASSERT_TRUE(w->scrollView()->internetPane());
        click(c.at.x(), c.at.y());
        EXPECT_EQ(w->scrollView()->internetPane() != nullptr, c.stripStays);
    }
}

TEST_F(CACanvasWindowRulesShellTest, EveryPictureThatComesInShowsOrHidesTheInternetStrip)
{
    CAMainWindowController::setInternetPaneFactory([](CAMainWindowController &) { return new QLabel(u"strip"_s); });
    QImage bitmap(24, 16, QImage::Format_ARGB32);
    bitmap.fill(0xff3366cc);
    // One found on the internet, put in by a command: the strip shows.
    std::shared_ptr<PWImage> found = PWImage::fromQImage(bitmap);
    found->setName(u"PREFIX_URL http://127.0.0.1/cat.png"_s);
    ASSERT_FALSE(w->scrollView()->internetPane());
    ASSERT_TRUE(canvas->edits().insertImageAtPoint(found, QPointF(100, 80)));
    EXPECT_TRUE(w->scrollView()->internetPane());
    // One dropped from elsewhere: the strip, which spoke of the other, goes.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(bitmap.save(&buffer, "PNG"));
    QMimeData data;
    data.setData(u"image/png"_s, png);
    const std::size_t before = canvas->document()->ftDocument()->GetComponents(0, false).size();
    const QPoint at = canvas->geometry().widgetPoint(QPointF(150, 90)).toPoint();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas->viewport(), &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas->viewport(), &drop);
    ASSERT_EQ(canvas->document()->ftDocument()->GetComponents(0, false).size(), before + 1) << "the picture came in";
    EXPECT_FALSE(w->scrollView()->internetPane());
}

TEST_F(CACanvasWindowRulesShellTest, TheFontManagerHearsTheSelectedTextsAttributes)
{
    QTextCharFormat underlined;
    underlined.setFontUnderline(true);
    text->SetFontAttr(underlined);
    click(130, 50);
    const std::optional<QTextCharFormat> &heard = CAFontManager::sharedFontManager().selectedAttributes();
    ASSERT_TRUE(heard.has_value());
    EXPECT_TRUE(heard->fontUnderline());
    EXPECT_FALSE(CAFontManager::sharedFontManager().attributesAreMultiple());
}

TEST_F(CACanvasWindowRulesShellTest, CenterOnPageGoesEitherWayFromTheArrangeMenu)
{
    const CFTADocument *design = canvas->document()->ftDocument();
    struct Case
    {
        const char *name;
        int tag;
        bool horizontal;
    };
    const Case cases[] = {{"horizontally", 0, true}, {"vertically", 101, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        box->SetOrigin(40.0, 40.0);
        click(60, 50);
        QAction *centre = item("alignComponentsToDocumentCenter", c.tag);
        ASSERT_TRUE(centre && centre->isEnabled());
        centre->trigger();
        const QRectF frame = CACanvasEdits::frameOf(box);
        if (c.horizontal) {
            EXPECT_NEAR(frame.center().x(), design->getDocumentSizeX(0) / 2, 0.01);
            EXPECT_DOUBLE_EQ(frame.y(), 40.0);
        } else {
            EXPECT_NEAR(frame.center().y(), design->getDocumentSizeY(0) / 2, 0.01);
            EXPECT_DOUBLE_EQ(frame.x(), 40.0);
        }
    }
}

TEST_F(CACanvasWindowRulesShellTest, ANewAddressPanelAnnouncesTheAddressSelection)
{
    int heard = 0;
    const int token = PWNotificationCenter::defaultCenter().addObserver(
        CACanvasSelection::kChangeAddressSelectionNotify, nullptr, [&heard](const PWNotification &) { ++heard; });
    QAction *recipient = item("addressTo");
    ASSERT_TRUE(recipient && recipient->isEnabled());
    recipient->trigger();
    PWNotificationCenter::defaultCenter().removeObserver(token);
    EXPECT_GE(heard, 1);
}
