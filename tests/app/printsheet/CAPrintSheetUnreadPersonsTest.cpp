// A print list holding persons that did not read, on the print sheet: the sheet names them under
// the page as soon as it shows, and Print and Save as PDF ask before a job that would print their
// items empty, as a batch job refuses the list. A list that read whole prints without a question.
#include "app/contacts/CAPersonListDictionary.h"
#include "app/printsheet/CAPrintViewController.h"

#include "PrintSheetTestSupport.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct UnreadCase
{
    const char *name;
    int unread;
    // The sheet's button that starts the job.
    const char *button;
};

class PrintSheetUnreadPersonsTest : public ::testing::TestWithParam<UnreadCase>
{
protected:
    void TearDown() override
    {
        CAPrintViewController::setPdfPathChooser([](QWidget *, const QString &) { return QString(); });
    }
};

// The question the sheet shows now (one answered before may linger hidden until deleted).
QMessageBox *question(CAPrintViewController &sheet)
{
    for (QMessageBox *box : sheet.findChildren<QMessageBox *>(u"_unreadPersons"_s))
        if (box->isVisible())
            return box;
    return nullptr;
}

TEST_P(PrintSheetUnreadPersonsTest, TheSheetNamesThemAndAsksBeforeTheJob)
{
    const UnreadCase &c = GetParam();
    CAPrintJob::PersonChoice choice = printsheettest::personChoice(4, true, false);
    choice.listName = u"Club"_s;
    for (int i = 0; i < c.unread; ++i)
        (*choice.persons)[std::size_t(1 + i)] =
            CAPersonListDictionary::keepUnreadable(PWPlist::fromString(u"Ada"_s), u"it is stored as a text"_s);
    const std::unique_ptr<CAPrintViewController> sheet =
        printsheettest::shownSheet(printsheettest::design(dtLabel), choice);
    ASSERT_TRUE(sheet && sheet->printView());

    const QString named = u"%1 of the 4 persons of the print list \"Club\" could not be read"_s.arg(c.unread);
    auto *note = sheet->findChild<QLabel *>(u"_fitNote"_s);
    ASSERT_NE(note, nullptr);
    // The note may name other things of the job (a design without a recipient); what it says of
    // unread persons is what counts.
    if (c.unread > 0) {
        EXPECT_TRUE(note->isVisible());
    }
    EXPECT_EQ(note->text().contains(named), c.unread > 0) << qPrintable(note->text());

    int exports = 0;
    QTemporaryDir folder;
    CAPrintViewController::setPdfPathChooser([&exports, &folder](QWidget *, const QString &) {
        ++exports;
        return folder.filePath(u"labels.pdf"_s);
    });
    const auto jobStarted = [&] { return sheet->result() == CAPrintViewController::Print || exports > 0; };
    auto *start = sheet->findChild<QPushButton *>(QString::fromLatin1(c.button));
    ASSERT_NE(start, nullptr);
    QTest::mouseClick(start, Qt::LeftButton);
    if (c.unread == 0) {
        EXPECT_EQ(question(*sheet), nullptr);
        EXPECT_TRUE(jobStarted());
        return;
    }
    QMessageBox *box = question(*sheet);
    ASSERT_NE(box, nullptr) << "the job asks first";
    EXPECT_TRUE(box->informativeText().contains(named)) << qPrintable(box->informativeText());
    QTest::mouseClick(box->button(QMessageBox::Cancel), Qt::LeftButton);
    EXPECT_FALSE(jobStarted()) << "Cancel prints nothing";
    EXPECT_TRUE(sheet->isVisible());

    QTest::mouseClick(start, Qt::LeftButton);
    box = question(*sheet);
    ASSERT_NE(box, nullptr);
    QTest::mouseClick(box->findChild<QPushButton *>(u"_printAnyway"_s), Qt::LeftButton);
    EXPECT_TRUE(jobStarted()) << "the user chose to print the list as it is";
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, PrintSheetUnreadPersonsTest,
    ::testing::Values(UnreadCase {"PrintOfAListThatReadWhole", 0, "_printButton"},
                      UnreadCase {"PrintWithOneUnread", 1, "_printButton"},
                      UnreadCase {"PrintWithTwoUnread", 2, "_printButton"},
                      UnreadCase {"SaveAsPdfWithOneUnread", 1, "_exportButton"},
                      UnreadCase {"SaveAsPdfOfAListThatReadWhole", 0, "_exportButton"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
