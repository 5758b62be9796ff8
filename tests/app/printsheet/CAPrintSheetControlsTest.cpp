// The print sheet's own texts and controls as a user sees and drives them: what the job is, the
// persons of the list, alignment and paper feed, and the preview's hand drag and zoom.
#include "app/contacts/CAPrintListArray.h"
#include "app/printsheet/CAPrintJob.h"
#include "app/printsheet/CAPrintJobTexts.h"
#include "app/printsheet/CAPrintPreview.h"
#include "app/printsheet/CAPrintViewController.h"
#include "app/document/CAScrollView.h"

#include "PrintSheetTestSupport.h"

#include "kernel/base/CAEnvironment.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "kernel/merge/CAEnvelopePrintingView.h"
#include "kernel/printing/CACalibrationSettings.h"
#include "kernel/printing/CAEnvironmentLayout.h"
#include "kernel/printing/CATemplateFormat.h"
#include "platform/PWPerson.h"
#include "platform/PWUserDefaults.h"
#include "platform/PWVCardReader.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using printsheettest::design;

class PrintSheetControlsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PWUserDefaults::standardUserDefaults().removeObject(CACalibrationSettings::kDefaultsKey);
        PWUserDefaults::standardUserDefaults().removeObject(u"FTEnvelopePrintAlign"_s);
    }
    void TearDown() override { PWUserDefaults::standardUserDefaults().removeObject(u"FTEnvelopePrintAlign"_s); }

    // Persons of a print list, or (fromList false) the design's own list of a script's import.
    CAPrintViewController *openSheet(const std::shared_ptr<CADocument> &document, int persons, bool fromList = true)
    {
        if (persons > 0)
            document->printSettings().personList = fromList;
        m_sheet = printsheettest::shownSheet(document, printsheettest::personChoice(persons, fromList, true),
                                             QSize(900, 640));
        return m_sheet.get();
    }
    template <typename T> T *child(const char *name) { return m_sheet->findChild<T *>(QLatin1String(name)); }

    std::unique_ptr<CAPrintViewController> m_sheet;
};

// The texts say what the job is: the layout by maker and ID, the persons, the items a sheet
// holds named as the design's kind; the table lists the persons of the list.
TEST_F(PrintSheetControlsTest, TextsAndTableDescribeTheJob)
{
    const struct
    {
        const char *name;
        int type, persons;
        bool fromList;
        const char *people;
        const char *items;
        // The items the design's own address prints: a full sheet of labels, else one.
        const char *own;
    } rows[] = {{"LabelsForThree", dtLabel, 3, true, "3 people", "3 labels", "%1 labels"},
                {"LabelsForOne", dtLabel, 1, true, "1 person", "1 label", "%1 labels"},
                {"EnvelopesOfTheDesignsOwnList", dtEnvelope, 2, false, "2 people", "2 envelopes", "1 envelope"},
                {"EnvelopeOfItsOwnAddress", dtEnvelope, 0, true, "1 person", "1 envelope", "1 envelope"},
                {"PostcardOfItsOwnAddress", dtPostcard, 0, true, "1 person", "1 card", "1 card"}};
    for (const auto &row : rows) {
        const std::shared_ptr<CADocument> document = design(row.type);
        const CATemplateFormat layout = CATemplateFormat::initFromDocument(*document->ftDocument());
        openSheet(document, row.persons, row.fromList);
        EXPECT_EQ(child<QLabel>("_peopleCountText")->text(), QString::fromLatin1(row.people)) << row.name;
        ASSERT_FALSE(layout.ID().isEmpty()) << row.name;
        const QString layoutText = layout.Manufacturer().isEmpty() ? u"ID: %1"_s.arg(layout.ID())
                                                                   : u"%1 (ID: %2)"_s.arg(layout.Manufacturer(), layout.ID());
        EXPECT_EQ(child<QLabel>("_layoutText")->text(), layoutText) << row.name;
        EXPECT_FALSE(child<QLabel>("_layoutText")->text().startsWith(u' ')) << row.name;
        // The items the job prints, as many as the copies field says, not the sheet's grid.
        EXPECT_EQ(child<QLabel>("_cardsPerPageText")->text(), QString::fromLatin1(row.items)) << row.name;
        EXPECT_EQ(child<QLabel>("_cardsPerPageText")->text().split(u' ').front(), child<QSpinBox>("_copiesEdit")->text())
            << row.name;
        auto *table = child<QTableWidget>("_personListTableView");
        ASSERT_NE(table, nullptr) << row.name;
        ASSERT_EQ(table->rowCount(), row.persons) << row.name;
        if (row.persons > 0) {
            EXPECT_EQ(table->item(row.persons - 1, 0)->text(), u"Sam Person%1"_s.arg(row.persons - 1)) << row.name;
            EXPECT_EQ(table->item(0, 1)->text(), u"Firm0"_s) << row.name;
        }
        // The design's own address: the table empties and the text follows.
        QTest::mouseClick(child<QRadioButton>("_personSourceOwn"), Qt::LeftButton, {}, QPoint(6, 6));
        EXPECT_EQ(table->rowCount(), 0) << row.name;
        EXPECT_EQ(child<QLabel>("_peopleCountText")->text(), u"1 person"_s) << row.name;
        const QString own = QString::fromLatin1(row.own);
        EXPECT_EQ(child<QLabel>("_cardsPerPageText")->text(),
                  own.contains(u"%1"_s) ? own.arg(layout.Columns() * layout.Rows()) : own)
            << row.name;
        // Typed copies: the text follows as the number is typed.
        auto *copies = child<QSpinBox>("_copiesEdit");
        copies->setFocus();
        copies->selectAll();
        QTest::keyClicks(copies, u"2"_s);
        EXPECT_EQ(child<QLabel>("_cardsPerPageText")->text(), CAPrintJobTexts::itemCount(documentType(row.type), 2))
            << row.name;
    }
}

// Every kind and number a Job box may name, the ones no sheet reaches included: one label, several
// envelopes; a layout without a maker or an ID leaves no blank or brackets in their place.
TEST(PrintJobTextsTest, NameTheItemsByKindAndTheLayoutWithoutGaps)
{
    const struct
    {
        documentType kind;
        int count;
        const char *text;
    } items[] = {{dtLabel, 1, "1 label"},       {dtLabel, 30, "30 labels"}, {dtEnvelope, 1, "1 envelope"},
                 {dtEnvelope, 2, "2 envelopes"}, {dtPostcard, 1, "1 card"},  {dtPostcard, 4, "4 cards"}};
    for (const auto &item : items)
        EXPECT_EQ(CAPrintJobTexts::itemCount(item.kind, item.count), QString::fromLatin1(item.text)) << item.text;
    const struct
    {
        const char *maker, *id, *text;
    } layouts[] = {{"Avery", "5160", "Avery (ID: 5160)"}, {"", "10", "ID: 10"}, {"Maker", "", "Maker"}, {"", "", ""}};
    for (const auto &layout : layouts)
        EXPECT_EQ(CAPrintJobTexts::layoutDescription(QString::fromLatin1(layout.maker), QString::fromLatin1(layout.id)),
                  QString::fromLatin1(layout.text))
            << layout.text;
}

// The envelope's alignment is the design's own, the paper feed the user's last choice; a click in
// either sets both, the view and the stored choice, and the printer's own settings leave the
// feed to the printer.
TEST_F(PrintSheetControlsTest, AlignmentAndPaperFeedAreSeparateChoices)
{
    PWUserDefaults::standardUserDefaults().setInteger(u"FTEnvelopePrintAlign"_s, 1);
    const std::shared_ptr<CADocument> document = design(dtEnvelope);
    document->printSettings().envelopeAlignment = 2;
    CAPrintViewController *sheet = openSheet(document, 0);
    EXPECT_TRUE(child<QRadioButton>("_align2")->isChecked());
    EXPECT_TRUE(child<QRadioButton>("_feed1")->isChecked());
    auto *view = dynamic_cast<CAEnvelopePrintingView *>(sheet->printView());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->alignment(), 2);

    const struct
    {
        const char *button;
        int alignment;
    } clicks[] = {{"_feed0", 0}, {"_align1", 1}, {"_feed2", 2}};
    for (const auto &click : clicks) {
        QTest::mouseClick(child<QRadioButton>(click.button), Qt::LeftButton, {}, QPoint(6, 6));
        view = dynamic_cast<CAEnvelopePrintingView *>(sheet->printView());
        EXPECT_EQ(view->alignment(), click.alignment) << click.button;
        EXPECT_EQ(document->printSettings().envelopeAlignment, click.alignment) << click.button;
        EXPECT_EQ(view->printSettings().envelopeAlignment, click.alignment) << click.button;
        EXPECT_EQ(PWUserDefaults::standardUserDefaults().integerForKey(u"FTEnvelopePrintAlign"_s), click.alignment);
        EXPECT_TRUE(child<QRadioButton>(QStringLiteral("_align%1").arg(click.alignment).toLatin1().constData())->isChecked());
        EXPECT_TRUE(child<QRadioButton>(QStringLiteral("_feed%1").arg(click.alignment).toLatin1().constData())->isChecked());
    }
    auto *own = child<QCheckBox>("_printerSettings");
    QTest::mouseClick(own, Qt::LeftButton, {}, QPoint(6, own->height() / 2));
    ASSERT_TRUE(own->isChecked());
    EXPECT_FALSE(child<QRadioButton>("_feed0")->isEnabled());
    EXPECT_TRUE(child<QRadioButton>("_align0")->isEnabled());
}

// A drag on the enlarged preview pans the page in mouse mode 0 and not in mode 1; the wheel with
// Control zooms keeping the page point under the pointer where it is.
TEST_F(PrintSheetControlsTest, PreviewPansByDragAndZoomsAboutThePointer)
{
    // A design that prints its persons: the sheet has nothing to note under its preview.
    CAPrintViewController *sheet = openSheet(printsheettest::withRecipient(design(dtLabel)), 3);
    auto *container = child<CAScrollView>("_scrollView");
    auto *preview = child<CAPrintPreview>("_imageView");
    ASSERT_TRUE(container && preview);
    ASSERT_EQ(container->page(), preview);
    child<QSlider>("_zoom")->setValue(200);
    ASSERT_GT(preview->width(), container->width());

    const auto drag = [&](QPoint from, QPoint to) {
        QTest::mousePress(preview, Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), preview->mapToGlobal(QPointF(to)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(preview, &move);
        QTest::mouseRelease(preview, Qt::LeftButton, {}, to);
    };
    const QPoint before = preview->pos();
    const QPoint inside = preview->mapFrom(container, QPoint(container->width() / 2, container->height() / 2));
    drag(inside, inside - QPoint(40, 30));
    EXPECT_EQ(preview->pos(), before - QPoint(40, 30)) << "mode 0 pans";

    QTest::mouseClick(child<QPushButton>("_guiModeButton"), Qt::LeftButton);
    ASSERT_EQ(container->guiMode(), 1);
    ASSERT_EQ(sheet->printView()->guiMode(), 1);
    const QPoint held = preview->pos();
    const QPoint again = preview->mapFrom(container, QPoint(container->width() / 2, container->height() / 2));
    drag(again, again - QPoint(40, 30));
    EXPECT_EQ(preview->pos(), held) << "mode 1 keeps the page still";
    QTest::mouseClick(child<QPushButton>("_guiModeButton"), Qt::LeftButton);
    ASSERT_EQ(container->guiMode(), 0);

    const QPoint pointer(container->width() / 3, container->height() / 3);
    const QPointF underPointer = preview->pagePoint(QPointF(preview->mapFrom(container, pointer)));
    QWheelEvent wheel(QPointF(preview->mapFrom(container, pointer)), QPointF(preview->mapToGlobal(preview->mapFrom(container, pointer))),
                      QPoint(), QPoint(0, 120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(preview, &wheel);
    EXPECT_EQ(child<QSlider>("_zoom")->value(), 300);
    const QPointF after = preview->pagePoint(QPointF(preview->mapFrom(container, pointer)));
    EXPECT_NEAR(after.x(), underPointer.x(), 1.0);
    EXPECT_NEAR(after.y(), underPointer.y(), 1.0);
}

// A design that names a print list (as the assistant's print lists leave it) offers that list on
// a sheet opened for its own address: the sheet starts on the design's address, the pop-up shows
// the design's list, and choosing the list prints its persons. Without a name the current list
// is offered.
TEST_F(PrintSheetControlsTest, TheDesignsPrintListIsOfferedWhenTheSheetStartsOnItsAddress)
{
    CAPrintListArray &lists = CAPrintListArray::getShared();
    while (lists.count() > 0)
        lists.removePrintListAt(0);
    for (const QString &name : {u"Club"_s, u"Team"_s}) {
        lists.insertPrintListAt(lists.count());
        lists.renamePrintListAt(lists.count() - 1, name);
    }
    lists.replacePrintListAt(1, {printsheettest::person(0), printsheettest::person(1)});
    lists.setCurrentPrintListIndex(0);
    struct Row
    {
        const char *name;
        std::optional<QString> designsList;
        QString offered;
    };
    const Row rows[] = {{"named by the design", u"Team"_s, u"Team"_s}, {"none named", std::nullopt, u"Club"_s}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const std::shared_ptr<CADocument> document = design(dtLabel);
        document->setPrintListName(row.designsList);
        m_sheet = printsheettest::shownSheet(document, CAPrintJob::choosePersons(*document, false, lists), QSize(900, 640));
        EXPECT_TRUE(child<QRadioButton>("_personSourceOwn")->isChecked()) << "printed without asking for the list";
        EXPECT_EQ(child<QComboBox>("_personListButton")->currentText(), row.offered);
    }
    QTest::mouseClick(child<QRadioButton>("_personSourceList"), Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_EQ(child<QTableWidget>("_personListTableView")->rowCount(), 0) << "the current list, Club, is empty";
    const std::shared_ptr<CADocument> named = design(dtLabel);
    named->setPrintListName(u"Team"_s);
    m_sheet = printsheettest::shownSheet(named, CAPrintJob::choosePersons(*named, false, lists), QSize(900, 640));
    QTest::mouseClick(child<QRadioButton>("_personSourceList"), Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_EQ(child<QTableWidget>("_personListTableView")->rowCount(), 2) << "Team's persons";
    while (lists.count() > 0)
        lists.removePrintListAt(0);
}

} // namespace
