// Editing the fields of a real address panel in place: the shared field editor lies over the field
// the user double-clicked, and Tab and Backtab walk the panel's fields in both directions.
#include "app/canvas/CACanvasAddressCommands.h"
#include "app/canvas/CACanvasItem.h"
#include "app/canvas/CACanvasTextEditor.h"
#include "app/canvas/CADocView.h"
#include "kernel/render/CDDText.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDDrawer.h"
#include "platform/PWFont.h"
#include "platform/PWPerson.h"
#include "platform/PWVCardReader.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kCard = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\nFN:Jane Doe\r\nORG:Acme Widgets;\r\n"
                         "ADR;TYPE=WORK:;;1 Main St;Springfield;IL;62701;USA\r\nEND:VCARD\r\n";

// A design with a recipient panel filled from a person, on a canvas shown at once or left hidden
// (and so never drawn) until the test shows it.
struct PanelCanvas
{
    // Without a card the panel stays empty, its fields shown by their labels.
    explicit PanelCanvas(bool shown = true, const QByteArray &card = kCard)
    {
        const std::unique_ptr<CAddressFormat> format =
            CAddressFormatController::sharedAddressFormatController().formatWithTemplate(u"Name+Company"_s, u"us"_s,
                                                                                         false, 1);
        CFTAView maker(document.ftDocumentController());
        std::unique_ptr<CFTComponent> made = maker.CreateAddressPanel(true, format.get());
        panel = dynamic_cast<CFTAAddressPanel *>(made.get());
        made->SetOrigin(20.0, 20.0);
        maker.InsertComponent(made.release(), false);
        if (const std::shared_ptr<PWPerson> person = PWVCardReader::personFromData(card))
            document.setCurrentPerson(person.get(), true, true, true);
        document.ftDocument()->arrangeAddressPanel();
        view.setScreenResolution(96.0);
        EXPECT_TRUE(view.setDocument(&document));
        view.setZoom(2.0);
        if (shown)
            show();
    }
    void show()
    {
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    // The field's frame as the canvas paints it.
    static QRectF frame(const CFTComponent *field)
    {
        return {field->GetOriginX(), field->GetOriginY(), field->GetSizeX(), field->GetSizeY()};
    }
    QPoint at(const QPointF &point) const { return view.geometry().widgetPoint(point).toPoint(); }
    void paint()
    {
        view.viewport()->repaint();
        QApplication::processEvents();
    }
    CFTAAddressText *field(textCategory category) const
    {
        return panel ? panel->getAddressComponentWithTextCategory(category) : nullptr;
    }

    CADocument document;
    CFTAAddressPanel *panel = nullptr;
    CADocView view;
};

std::string describe(const QRectF &rect)
{
    return "field at (" + std::to_string(rect.x()) + ", " + std::to_string(rect.y()) + ") "
        + std::to_string(rect.width()) + " wide";
}

// The editor's lines stand where the field draws its lines, inside its line inset: the editor's
// top-left corner on the field's moved in by the inset, its width the field's less the inset at
// either side. A point off is the rounding of the layout.
void expectEditorOver(const CACanvasTextEditor *editor, const CFTComponent *field)
{
    const QRectF over = PanelCanvas::frame(field).adjusted(CDDText::kLinePadding, 0.0, -CDDText::kLinePadding, 0.0);
    const QRectF shown = editor->mapRectToScene(QRectF(QPointF(0.0, 0.0), QSizeF(editor->textWidth(), 1.0)));
    EXPECT_NEAR(shown.left(), over.left(), 1.0) << describe(over);
    EXPECT_NEAR(shown.top(), over.top(), 1.0) << describe(over);
    EXPECT_NEAR(shown.width(), over.width(), 1.0) << describe(over);
    EXPECT_TRUE(editor->sceneBoundingRect().contains(over.center())) << describe(over);
}

class CADocViewFieldTest : public ::testing::TestWithParam<textCategory>
{
};

TEST_P(CADocViewFieldTest, DoubleClickedFieldIsEditedUnderTheEditor)
{
    PanelCanvas c;
    ASSERT_NE(c.panel, nullptr);
    c.paint();
    CFTAAddressText *field = c.field(GetParam());
    ASSERT_NE(field, nullptr);
    // Twice: once to select the panel, once more to open the field under the pointer.
    const QPoint target = c.at(PanelCanvas::frame(field).center());
    QTest::mouseDClick(c.view.viewport(), Qt::LeftButton, {}, target);
    if (!c.view.isEditingText())
        QTest::mouseDClick(c.view.viewport(), Qt::LeftButton, {}, target);
    ASSERT_TRUE(c.view.isEditingText());
    ASSERT_EQ(c.panel->currentText(), field);
    CACanvasTextEditor *editor = c.view.fieldEditor();
    EXPECT_EQ(editor->document(), field->GetText()->getContents());
    expectEditorOver(editor, field);
    // The panel lays itself out again when it is drawn: the editor stays where the field is.
    c.paint();
    expectEditorOver(editor, field);
    QTest::keyClicks(&c.view, u"x"_s);
    c.paint();
    expectEditorOver(editor, field);
}

INSTANTIATE_TEST_SUITE_P(Fields, CADocViewFieldTest, ::testing::Values(tcCompany, tcStreet, tcCity, tcState, tcZIP),
                         [](const ::testing::TestParamInfo<textCategory> &info) { return std::to_string(info.param); });

TEST(CADocViewAddressTest, EditingStartedBeforeTheFirstDrawingIsOverItsField)
{
    PanelCanvas c(false);
    ASSERT_NE(c.panel, nullptr);
    c.view.ftView()->select(c.panel);
    c.view.startEditText(c.panel);
    ASSERT_TRUE(c.view.isEditingText());
    CFTAAddressText *field = c.panel->currentText();
    ASSERT_NE(field, nullptr);
    expectEditorOver(c.view.fieldEditor(), field);
    c.show();
    c.paint();
    expectEditorOver(c.view.fieldEditor(), field);
}

TEST(CADocViewAddressTest, TabAfterAFieldGrewOpensTheNextFieldWhereItNowStands)
{
    PanelCanvas c;
    ASSERT_NE(c.panel, nullptr);
    c.paint();
    CFTAAddressText *city = c.field(tcCity);
    CFTAAddressText *state = c.field(tcState);
    ASSERT_TRUE(city && state);
    const QPoint target = c.at(PanelCanvas::frame(city).center());
    QTest::mouseDClick(c.view.viewport(), Qt::LeftButton, {}, target);
    if (!c.view.isEditingText())
        QTest::mouseDClick(c.view.viewport(), Qt::LeftButton, {}, target);
    ASSERT_EQ(c.panel->currentText(), city);
    const double stateWasAt = state->GetOriginX();
    // The city grows without a drawing in between: the state beside it has to make room.
    QTest::keyClicks(&c.view, u" Heights"_s);
    QTest::keyClick(&c.view, Qt::Key_Tab);
    ASSERT_EQ(c.panel->currentText(), state);
    EXPECT_GT(state->GetOriginX(), stateWasAt + 10.0);
    expectEditorOver(c.view.fieldEditor(), state);
    c.paint();
    expectEditorOver(c.view.fieldEditor(), state);
}

// Reading order: higher up, or on the same row further left.
bool readsBefore(const CFTComponent *first, const CFTComponent *second)
{
    const double rows = second->GetOriginY() - first->GetOriginY();
    return rows > 1.0 || (std::abs(rows) <= 1.0 && first->GetOriginX() < second->GetOriginX());
}

TEST(CADocViewAddressTest, TabAndBacktabWalkTheFieldsBothWays)
{
    PanelCanvas c;
    ASSERT_NE(c.panel, nullptr);
    c.paint();
    CFTAAddressText *city = c.field(tcCity);
    ASSERT_NE(city, nullptr);
    const QPoint target = c.at(PanelCanvas::frame(city).center());
    QTest::mouseDClick(c.view.viewport(), Qt::LeftButton, {}, target);
    if (!c.view.isEditingText())
        QTest::mouseDClick(c.view.viewport(), Qt::LeftButton, {}, target);
    ASSERT_EQ(c.panel->currentText(), city);

    QTest::keyClick(&c.view, Qt::Key_Tab);
    const CFTAAddressText *next = c.panel->currentText();
    ASSERT_NE(next, city);
    EXPECT_TRUE(readsBefore(city, next));
    QTest::keyClick(&c.view, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(c.panel->currentText(), city);
    QTest::keyClick(&c.view, Qt::Key_Backtab, Qt::ShiftModifier);
    const CFTAAddressText *previous = c.panel->currentText();
    ASSERT_NE(previous, city);
    EXPECT_NE(previous, next);
    EXPECT_TRUE(readsBefore(previous, city));
    ASSERT_TRUE(c.view.isEditingText());
    expectEditorOver(c.view.fieldEditor(), previous);
    QTest::keyClick(&c.view, Qt::Key_Tab);
    EXPECT_EQ(c.panel->currentText(), city);
    // Moving is all Tab did: no tab was typed into a field.
    for (const CFTAAddressText *field : {static_cast<const CFTAAddressText *>(city), next, previous})
        EXPECT_FALSE(field->GetString().getData().contains(u'\t'));
}

TEST(CADocViewAddressTest, TypingAfterTabOrBacktabReplacesTheFieldsText)
{
    PanelCanvas c;
    ASSERT_NE(c.panel, nullptr);
    c.paint();
    CFTAAddressText *city = c.field(tcCity);
    CFTAAddressText *state = c.field(tcState);
    ASSERT_TRUE(city && state);
    const QPoint target = c.at(PanelCanvas::frame(city).center());
    QTest::mouseDClick(c.view.viewport(), Qt::LeftButton, {}, target);
    if (!c.view.isEditingText())
        QTest::mouseDClick(c.view.viewport(), Qt::LeftButton, {}, target);
    ASSERT_EQ(c.panel->currentText(), city);
    QTest::keyClick(&c.view, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(&c.view, u"Springfield"_s);
    QTest::keyClick(&c.view, Qt::Key_Tab);
    ASSERT_EQ(c.panel->currentText(), state);
    EXPECT_TRUE(c.view.fieldEditor()->hasSelectedText()) << "the next field comes with its text selected";
    QTest::keyClicks(&c.view, u"MA"_s);
    QTest::keyClick(&c.view, Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_EQ(c.panel->currentText(), city);
    QTest::keyClicks(&c.view, u"Boston"_s);
    QTest::keyClick(&c.view, Qt::Key_Return);
    // Left, the city shows what was typed, without the comma its format puts before the state;
    // the typed text is the city's own.
    EXPECT_EQ(city->GetString().getData(), u"Boston"_s);
    EXPECT_EQ(city->personString(), u"Boston"_s);
    EXPECT_EQ(state->GetString().getData(), u"MA"_s);
}

TEST(CADocViewAddressTest, AnotherContactEndsTheTypingAndLeavesNoEditorBehind)
{
    PanelCanvas c;
    ASSERT_NE(c.panel, nullptr);
    c.paint();
    CFTAAddressText *city = c.field(tcCity);
    ASSERT_NE(city, nullptr);
    const QPoint target = c.at(PanelCanvas::frame(city).center());
    QTest::mouseDClick(c.view.viewport(), Qt::LeftButton, {}, target);
    if (!c.view.isEditingText())
        QTest::mouseDClick(c.view.viewport(), Qt::LeftButton, {}, target);
    ASSERT_TRUE(c.view.isEditingText());
    // A word selected in the field, then another contact chosen (double-clicked in the contacts).
    QTest::mouseDClick(c.view.viewport(), Qt::LeftButton, {}, target);
    const std::shared_ptr<PWPerson> other = PWVCardReader::personFromData(
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Roe;Rick;;;\r\nFN:Rick Roe\r\n"
        "ADR;TYPE=WORK:;;9 Elm Rd;Boston;MA;02101;USA\r\nEND:VCARD\r\n");
    ASSERT_TRUE(other);
    c.view.addressCommands().changePersonWithABPerson(other, true);
    EXPECT_FALSE(c.view.isEditingText());
    EXPECT_FALSE(c.view.fieldEditor()->isVisible()) << "no editor stays over the fields";
    const CFTAAddressText *shown = c.field(tcCity);
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(shown->isEditing());
    EXPECT_EQ(shown->GetString().getData(), u"Boston"_s);
}

double fontSize(CFTAAddressText *field)
{
    const std::optional<PWFont> font = field->GetText()->GetFont();
    return font ? font->pointSize() : 0.0;
}

// An address typed by hand into an empty panel, field by field with Tab or Backtab, or the fields
// merely passed through: each field types in its own style and keeps it, for every later merge.
TEST(CADocViewAddressTest, FieldsEnteredByTabTypeInTheirOwnStyleAndKeepIt)
{
    const struct
    {
        const char *name;
        Qt::Key key;
        bool typing;
    } cases[] = {{"passed through with Tab", Qt::Key_Tab, false},
                 {"passed through with Backtab", Qt::Key_Backtab, false},
                 {"typed with Tab", Qt::Key_Tab, true},
                 {"typed with Backtab", Qt::Key_Backtab, true}};
    constexpr double kPanelSize = 30.0;
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        PanelCanvas c(true, QByteArray());
        ASSERT_NE(c.panel, nullptr);
        ASSERT_TRUE(c.panel->isEmpty());
        c.panel->SetFontSize(kPanelSize);
        c.paint();
        std::vector<CFTAAddressText *> fields;
        for (unsigned int i = 0; i < c.panel->addressComponentCount(); ++i) {
            CFTAAddressText *field = c.panel->addressComponentAtIndex(i);
            if (field && field->GetTextCategory() != tcBarcode && field->isEnabled(true))
                fields.push_back(field);
        }
        ASSERT_GE(fields.size(), 5u);
        for (CFTAAddressText *field : fields)
            ASSERT_DOUBLE_EQ(fontSize(field), kPanelSize) << field->GetTextCategory();
        CFTAAddressText *first = c.field(tcFirstName);
        ASSERT_NE(first, nullptr);
        const QPoint target = c.at(PanelCanvas::frame(first).center());
        QTest::mouseDClick(c.view.viewport(), Qt::LeftButton, {}, target);
        if (!c.view.isEditingText())
            QTest::mouseDClick(c.view.viewport(), Qt::LeftButton, {}, target);
        ASSERT_TRUE(c.view.isEditingText());
        const Qt::KeyboardModifiers keys = row.key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (row.typing)
                QTest::keyClicks(&c.view, u"w%1"_s.arg(i));
            QTest::keyClick(&c.view, row.key, keys);
        }
        QTest::keyClick(&c.view, Qt::Key_Return);
        ASSERT_FALSE(c.view.isEditingText());
        for (CFTAAddressText *field : fields) {
            EXPECT_EQ(field->GetText()->isEmpty(), !row.typing) << field->GetTextCategory();
            EXPECT_DOUBLE_EQ(fontSize(field), kPanelSize) << field->GetTextCategory();
        }

        // Merged with a person, every field shows the person in the panel's style.
        const std::shared_ptr<PWPerson> person = PWVCardReader::personFromData(kCard);
        ASSERT_TRUE(person);
        c.document.setCurrentPerson(person.get(), true, true, true);
        c.paint();
        for (CFTAAddressText *field : fields) {
            if (!field->GetText()->isEmpty()) {
                EXPECT_DOUBLE_EQ(fontSize(field), kPanelSize) << field->GetTextCategory();
            }
        }
        EXPECT_TRUE(c.field(tcCity)->GetString().getData().startsWith(u"Springfield"_s));
    }
}

// An empty field entered by a click or by Tab gets an editor one line high, over its own line:
// the editor's frame does not reach down over the field on the next line.
TEST(CADocViewAddressTest, TheEditorOverAnEmptyFieldIsOneLineHigh)
{
    const struct
    {
        const char *name;
        textCategory field;
        bool byTab; // else by a double click on the field
    } cases[] = {{"clicked", tcCompany, false}, {"clicked", tcCity, false}, {"tabbed", tcLastName, true},
                 {"tabbed", tcState, true}};
    for (const auto &row : cases) {
        SCOPED_TRACE(std::string(row.name) + " " + std::to_string(row.field));
        PanelCanvas c(true, QByteArray());
        ASSERT_NE(c.panel, nullptr);
        ASSERT_TRUE(c.panel->isEmpty());
        c.paint();
        CFTAAddressText *field = c.field(row.field);
        ASSERT_NE(field, nullptr);
        // Tab comes from the field before it in reading order: the first field, walked on.
        CFTAAddressText *clicked = row.byTab ? c.field(tcFirstName) : field;
        ASSERT_NE(clicked, nullptr);
        const QPoint target = c.at(PanelCanvas::frame(clicked).center());
        QTest::mouseDClick(c.view.viewport(), Qt::LeftButton, {}, target);
        if (!c.view.isEditingText())
            QTest::mouseDClick(c.view.viewport(), Qt::LeftButton, {}, target);
        ASSERT_TRUE(c.view.isEditingText());
        for (int tabs = 0; row.byTab && c.panel->currentText() != field && tabs < 20; ++tabs)
            QTest::keyClick(&c.view, Qt::Key_Tab);
        ASSERT_EQ(c.panel->currentText(), field);
        ASSERT_TRUE(field->GetText()->isEmpty());
        const QRectF line = PanelCanvas::frame(field);
        const QRectF editor = c.view.fieldEditor()->sceneBoundingRect();
        EXPECT_NEAR(editor.top(), line.top(), 1.0);
        EXPECT_LE(editor.height(), line.height() + 1.0) << "the editor is " << editor.height() << " high over a line of "
                                                        << line.height();
        EXPECT_GE(editor.height(), line.height() - 1.0);
    }
}

TEST(CADocViewAddressTest, TabsOfASelectedPanelAtThePageTopShowAboveThePage)
{
    PanelCanvas c(false);
    // Flush with the page's top edge: its tabs stand wholly above the page.
    c.panel->SetOrigin(40.0, 0.0);
    c.view.refitFrame();
    const QRectF frame = c.view.geometry().frame();
    EXPECT_LE(frame.top(), -CDDDrawer::kBoxLabelHeight) << "the frame makes room for the tabs";
    EXPECT_DOUBLE_EQ(frame.left(), 0.0) << "only the side the tabs stand out of grows";
    const double top = frame.top();
    c.view.ftView()->select(c.panel);
    c.show();
    c.paint();
    EXPECT_DOUBLE_EQ(c.view.geometry().frame().top(), top) << "selecting shifts nothing";
    const QImage image = c.view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);

    // The darkest pixel of a band of design points above the page, between x0 and x1.
    const auto darkest = [&](double x0, double x1) {
        const QPoint from = c.at(QPointF(x0, -CDDDrawer::kBoxLabelHeight + 1.0));
        const QPoint to = c.at(QPointF(x1, -1.0));
        int value = 255;
        for (int y = std::max(from.y(), 0); y <= std::min(to.y(), image.height() - 1); ++y)
            for (int x = std::max(from.x(), 0); x <= std::min(to.x(), image.width() - 1); ++x)
                value = std::min(value, qGray(image.pixel(x, y)));
        return value;
    };
    // The tab is at most 85 points wide; right of it, above the page, lies the bare desk.
    const double besideTab = c.panel->GetOriginX() + 100.0;
    ASSERT_LT(besideTab, frame.right() - 4.0);
    const int desk = qGray(image.pixel(c.at(QPointF(frame.right() - 2.0, -4.0))));
    EXPECT_NEAR(desk, qGray(CACanvasItem::deskColor().rgb()), 2);
    const int tab = darkest(c.panel->GetOriginX() + 2.0, c.panel->GetOriginX() + 40.0);
    // The tab's caption and edge are drawn over the veil, not faded under it.
    EXPECT_LT(tab, desk - 40) << "tab " << tab << ", desk " << desk;
    EXPECT_GE(darkest(besideTab, frame.right() - 4.0), desk - 2) << "beside the tab lies the bare desk";

    // Moved back onto the page, the panel gives the room up again.
    c.panel->SetOrigin(40.0, 40.0);
    c.view.refitFrame();
    EXPECT_DOUBLE_EQ(c.view.geometry().frame().top(), 0.0);
}

} // namespace
