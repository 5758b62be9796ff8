// The Colors panel as a user meets it beside a design window: a swatch clicked colours what the
// user points at (the word selected in a field typed in place, not the panel's other fields),
// asks for no border an address panel did not have, and reaches an item newly selected even when
// the colour is the one last picked, since the panel shows the colour of what is selected.
#include "app/canvas/CADocView.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWPlist.h"
#include "platform/PWVCardReader.h"

#include "../inspector/PanesWindowFixture.h"

#include <QColorDialog>
#include <QTextBlock>
#include <QTextDocument>

namespace {

// Every value of a "Stroke" key in the saved design, by where it stands.
void collectStrokes(const PWPlist &value, const QString &at, QStringList *found)
{
    if (value.isDictionary()) {
        for (const PWPlist::Dictionary::Entry &entry : value.toDictionary()) {
            const QString where = at + u'/' + entry.first;
            if (entry.first == u"Stroke"_s)
                found->append(where + u'=' + entry.second.toString());
            collectStrokes(entry.second, where, found);
        }
    } else if (value.isArray()) {
        const PWPlist::Array items = value.toArray();
        for (qsizetype i = 0; i < items.size(); ++i)
            collectStrokes(items.at(i), at + u'[' + QString::number(i) + u']', found);
    }
}

QRgb textColorOf(const CFTComponent *field)
{
    CDDColor color;
    if (const CDDText *text = field ? const_cast<CFTComponent *>(field)->GetText() : nullptr)
        text->getTextColor(color);
    return color.toQColor().rgb();
}

class CAColorsPanelShellTest : public paneswindow::Test
{
protected:
    bool startWithColors()
    {
        if (!start())
            return false;
        controller->panels().show(CAFloatingPanels::ColorPanel);
        colors = controller->panels().colorPanel();
        return colors && QTest::qWaitForWindowExposed(colors);
    }
    // The panel's grid of basic colours (six rows of eight, filled column by column).
    QWidget *basicColors() const
    {
        QWidget *grid = nullptr;
        for (QWidget *child : colors->findChildren<QWidget *>())
            if (QByteArray(child->metaObject()->className()).contains("WellArray") && child->isVisible()
                && (!grid || child->height() > grid->height()))
                grid = child;
        return grid;
    }
    // A click on the basic colour of that index, as the user picks it.
    QColor pick(int index)
    {
        QWidget *grid = basicColors();
        if (!grid)
            return QColor();
        constexpr int kRows = 6;
        constexpr int kCellWidth = 28;
        constexpr int kCellHeight = 24;
        const QPoint cell((index / kRows) * kCellWidth + kCellWidth / 2, (index % kRows) * kCellHeight + kCellHeight / 2);
        QTest::mouseClick(grid, Qt::LeftButton, {}, cell);
        paint();
        return QColorDialog::standardColor(index);
    }
    CFTBoxField *addShape(double x, const QColor &fill)
    {
        auto *shape = new CFTBoxField(x, 20.0, 40.0, 30.0, nullptr);
        const CDDColor color(float(fill.redF()), float(fill.greenF()), float(fill.blueF()), 1.0f);
        shape->SetFillColor(&color);
        shape->SetFilled(true);
        canvas->document()->ftDocument()->AddObject(shape, 0, false);
        paint();
        return shape;
    }
    QStringList strokes()
    {
        QStringList found;
        collectStrokes(PWPlist::parse(bytes()).value_or(PWPlist()), QString(), &found);
        return found;
    }

    QColorDialog *colors = nullptr;
};

// The basic colours the tests pick: a green and a red, told apart from black and each other.
constexpr int kGreen = 13;
constexpr int kRed = 6;

TEST_F(CAColorsPanelShellTest, AColourGoesToTheWordSelectedInPlaceAlone)
{
    ASSERT_TRUE(startWithColors());
    CFTAAddressPanel *panel = addRecipientPanel();
    ASSERT_NE(panel, nullptr);
    CFTAAddressText *city = panel->getAddressComponentWithTextCategory(tcCity);
    ASSERT_NE(city, nullptr);
    std::map<const CFTComponent *, QRgb> before;
    for (unsigned int i = 0; i < panel->addressComponentCount(); ++i)
        before[panel->addressComponentAtIndex(i)] = textColorOf(panel->addressComponentAtIndex(i));
    const QPoint at = pointOf(city);
    QTest::mouseDClick(canvas->viewport(), Qt::LeftButton, {}, at);
    if (!canvas->isEditingText())
        QTest::mouseDClick(canvas->viewport(), Qt::LeftButton, {}, at);
    ASSERT_TRUE(canvas->isEditingText());
    QTest::keyClick(canvas, Qt::Key_A, Qt::ControlModifier);

    const QColor green = pick(kGreen);
    ASSERT_NE(green.rgb(), before[city]);
    ASSERT_EQ(colors->currentColor().rgb(), green.rgb()) << "the swatch clicked is the one meant";
    click(nullptr);
    ASSERT_FALSE(canvas->isEditingText());

    EXPECT_EQ(textColorOf(city), green.rgb()) << "the word selected takes the colour";
    for (const auto &[field, color] : before) {
        if (field != city) {
            EXPECT_EQ(textColorOf(field), color) << "another field of the panel changed";
        }
    }
}

// One click on a field of the selected panel puts the caret in it, nothing selected: the field
// is what the user points at, and it takes the colour whole, as one undo step. Only coloured,
// it keeps the punctuation its format gives it, as a field opened and left does.
TEST_F(CAColorsPanelShellTest, AColourGoesToTheFieldClickedInTheSelectedPanel)
{
    ASSERT_TRUE(startWithColors());
    CFTAAddressPanel *panel = addRecipientPanel();
    ASSERT_NE(panel, nullptr);
    canvas->document()->setCurrentPerson(
        PWVCardReader::personFromData("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\nFN:Jane Doe\r\n"
                                      "ADR;TYPE=WORK:;;1 Main St;Portland;OR;97201;USA\r\nEND:VCARD\r\n")
            .get(),
        true, true, true);
    paint();
    CFTAAddressText *city = panel->getAddressComponentWithTextCategory(tcCity);
    ASSERT_NE(city, nullptr);
    ASSERT_EQ(city->GetString().getData(), u"Portland,"_s);
    std::map<const CFTComponent *, QRgb> before;
    for (unsigned int i = 0; i < panel->addressComponentCount(); ++i)
        before[panel->addressComponentAtIndex(i)] = textColorOf(panel->addressComponentAtIndex(i));
    forgetHistory();

    click(panel);
    QTest::mouseClick(canvas->viewport(), Qt::LeftButton, {}, pointOf(city));
    ASSERT_TRUE(canvas->isEditingText()) << "the click put the caret in the field";
    ASSERT_FALSE(canvas->fieldEditor()->textCursor().hasSelection());
    const QColor green = pick(kGreen);
    ASSERT_NE(green.rgb(), before[city]);
    ASSERT_EQ(colors->currentColor().rgb(), green.rgb());
    click(nullptr);

    EXPECT_EQ(textColorOf(city), green.rgb()) << "the field clicked takes the colour";
    for (const auto &[field, color] : before) {
        if (field != city) {
            EXPECT_EQ(textColorOf(field), color) << "another field of the panel changed";
        }
    }
    EXPECT_EQ(city->GetString().getData(), u"Portland,"_s) << "a colour is no typing";
    ASSERT_TRUE(choose("undo"));
    EXPECT_EQ(textColorOf(city), before[city]) << "undone, the field has its colour back";
    EXPECT_EQ(city->GetString().getData(), u"Portland,"_s);
}

// The caret in a plain text with nothing selected: the colour is what is typed next, as any other
// attribute would be; the letters already there keep theirs.
TEST_F(CAColorsPanelShellTest, ACaretInAPlainTextColoursWhatIsTypedNextAlone)
{
    ASSERT_TRUE(startWithColors());
    auto *text = new CFTAText(40.0, 40.0, 160.0, 30.0, nullptr);
    text->GetText()->setString(u"Hello"_s, nullptr);
    canvas->document()->ftDocument()->AddObject(text, 0, false);
    paint();
    const QRgb before = textColorOf(text);
    forgetHistory();
    const QPoint at = pointOf(text);
    QTest::mouseDClick(canvas->viewport(), Qt::LeftButton, {}, at);
    if (!canvas->isEditingText())
        QTest::mouseDClick(canvas->viewport(), Qt::LeftButton, {}, at);
    ASSERT_TRUE(canvas->isEditingText());
    QTest::keyClick(canvas, Qt::Key_End);
    ASSERT_FALSE(canvas->fieldEditor()->textCursor().hasSelection());
    const QColor green = pick(kGreen);
    ASSERT_NE(green.rgb(), before);
    ASSERT_EQ(colors->currentColor().rgb(), green.rgb());
    QTest::keyClick(canvas, Qt::Key_Exclam, Qt::ShiftModifier);
    click(nullptr);
    ASSERT_FALSE(canvas->isEditingText());

    // Each letter's colour, as the text stores it.
    const QTextDocument *contents = text->GetText()->getContents();
    ASSERT_EQ(contents->toPlainText(), u"Hello!"_s);
    QString colours;
    for (QTextBlock block = contents->begin(); block.isValid(); block = block.next())
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QBrush brush = it.fragment().charFormat().foreground();
            const QRgb rgb = brush.style() == Qt::NoBrush ? QColor(Qt::black).rgb() : brush.color().rgb();
            colours += QString(it.fragment().length(), rgb == green.rgb() ? u'g' : rgb == before ? u'-' : u'?');
        }
    EXPECT_EQ(colours, u"-----g"_s) << "g: green, -: as before";
}

TEST_F(CAColorsPanelShellTest, AColourForAnAddressPanelAsksForNoBorder)
{
    ASSERT_TRUE(startWithColors());
    CFTAAddressPanel *panel = addRecipientPanel();
    ASSERT_NE(panel, nullptr);
    click(nullptr);
    forgetHistory();
    const QStringList strokesBefore = strokes();
    ASSERT_FALSE(strokesBefore.isEmpty()) << "the design keeps its outline switches";
    click(panel);
    ASSERT_EQ(canvas->ftView()->getSelComponents(), std::vector<CFTComponent *> {panel});

    const QColor red = pick(kRed);
    ASSERT_EQ(colors->currentColor().rgb(), red.rgb());
    for (unsigned int i = 0; i < panel->addressComponentCount(); ++i)
        EXPECT_EQ(textColorOf(panel->addressComponentAtIndex(i)), red.rgb()) << "field " << i;
    EXPECT_EQ(strokes(), strokesBefore) << "an outline was switched on";
    // Undone, the design is as it was.
    ASSERT_TRUE(choose("undo"));
    EXPECT_EQ(strokes(), strokesBefore);
}

TEST_F(CAColorsPanelShellTest, ThePanelFollowsTheSelectionSoTheLastColourStillReachesANewItem)
{
    ASSERT_TRUE(startWithColors());
    CFTBoxField *first = addShape(20.0, QColor(250, 250, 0));
    CFTBoxField *second = addShape(120.0, QColor(0, 0, 250));
    click(first);
    EXPECT_EQ(colors->currentColor().rgb(), first->GetFillColor()->toQColor().rgb()) << "the panel shows the selection";
    const QColor red = pick(kRed);
    EXPECT_EQ(first->GetFillColor()->toQColor().rgb(), red.rgb());
    forgetHistory();

    click(second);
    EXPECT_EQ(colors->currentColor().rgb(), second->GetFillColor()->toQColor().rgb()) << "the panel shows the selection";
    EXPECT_FALSE(canvas->document()->undoManager()->canUndo()) << "showing the colour changed the design";
    pick(kRed);
    EXPECT_EQ(second->GetFillColor()->toQColor().rgb(), red.rgb()) << "the colour picked last reaches the new item";
}

} // namespace
