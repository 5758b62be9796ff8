// What a batch print puts on paper: the sheet a layout's paper-size name gives, a layout that lost
// the margins or gaps of its sheet, an envelope larger than the default page, and the postal
// barcode of the design's own person, judged by the exit status, standard error and the PDF's
// pages, words and pixels.
#include "TestSupport.h"
#include "ProgramRunSupport.h"
#include "../../kernel/merge/PrintingTestSupport.h"
#include "TextTestSupport.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/CDDString.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CATemplateFormat.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWPlist.h"
#include "platform/PWVCardReader.h"

#include <QRegion>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

class BatchJobPaperTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        CAEnvironment::setDefaultCountry(u"us"_s);
        CADocument::setDefaultSenderSource([] { return std::shared_ptr<PWPerson>(); });
    }
    QString path(const QString &name) const { return m_folder.filePath(name); }
    // Prints one copy of design.pwdc into out.pdf.
    commandtest::ProgramRun printOne()
    {
        QFile::remove(path(u"out.pdf"_s));
        return commandtest::runProgram(
            {u"--print"_s, path(u"design.pwdc"_s), u"--copies"_s, u"1"_s, u"--output"_s, path(u"out.pdf"_s)});
    }

    QTemporaryDir m_folder;
};

// A word of its own at (x, y) of the design.
void addPaperWord(CADocument &document, const QString &word, double x, double y)
{
    auto *text = new CFTAText(x, y, nullptr);
    text->SetFontAttr(texttest::sans(14));
    text->SetString(CDDString(word));
    text->ExpandByText();
    document.ftDocument()->AddObject(text, 0, false);
}

bool writePaperDesign(const QString &file, const CATemplateFormat &layout, const std::function<void(CADocument &)> &fill)
{
    CADocument document(std::make_unique<CFTADocument>(documentType(layout.getDocumentType()), CDDString(u"us"_s),
                                                       CDDString(u"us"_s)));
    document.setLayoutArangeComponents(layout, false);
    fill(document);
    QString error;
    return document.writeToFile(file, &error);
}

// The design file with the keys taken out of its layout dictionary (predefined or custom).
bool removeLayoutKeys(const QString &file, const QStringList &keys)
{
    std::optional<PWPlist> design = PWPlist::readFile(file);
    if (!design || !design->isDictionary())
        return false;
    PWPlist::Dictionary root = design->toDictionary();
    for (const QString &which : {u"Predefined Layout"_s, u"Custom Layout"_s}) {
        if (!root.value(which).isDictionary())
            continue;
        PWPlist::Dictionary layout = root.value(which).toDictionary();
        for (const QString &key : keys)
            layout.remove(key);
        root.insert(which, PWPlist(layout));
    }
    return pwtest::writeFile(file, PWPlist(root).toXml());
}

// A small sheet of 2 by 3 cards that fits every paper of the table below.
CATemplateFormat paperSheetNamed(const QString &pageSize)
{
    CATemplateFormat layout;
    layout.setDocumentType(dtLabel);
    layout.setManufacturer(u"Custom"_s);
    layout.setID(u"Paper test"_s);
    layout.setPageSize(pageSize);
    layout.setColumns(2), layout.setRows(3);
    layout.setItemWidth(144.0f), layout.setItemHeight(72.0f), layout.setPrintableWidth(144.0f), layout.setPrintableHeight(72.0f);
    layout.setTopMargin(36.0f), layout.setLeftMargin(36.0f), layout.setHSpace(9.0f), layout.setVSpace(9.0f);
    return layout;
}

// A sheet prints on the paper its name gives, in any letter case; a name no paper has fails the
// job, named, and is printed on the paper the job had, as is a sheet that names no paper.
TEST_F(BatchJobPaperTest, ASheetPrintsOnThePaperItsNameGivesAndAnUnknownNameFailsTheJob)
{
    const struct
    {
        const char *name;
        QSizeF paper; // empty: the job's own paper, not asserted
        int status;
        QString told;
    } cases[] = {
        {"Legal", QSizeF(612.0, 1008.0), 0, QString()},
        {"A5", QSizeF(419.5, 595.3), 0, QString()},
        {"Tabloid", QSizeF(792.0, 1224.0), 0, QString()},
        {"a4", QSizeF(594.7, 841.7), 0, QString()},
        {"Elephant Folio", QSizeF(), 1, u"the layout's paper \"Elephant Folio\" is no paper size this system knows"_s},
        // A layout that names no paper prints on the job's paper, as it always has.
        {"", QSizeF(612.0, 792.0), 0, QString()},
        // A name past what a line quotes is cut, and a line break in it is none on standard error.
        {"WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW\nWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW", QSizeF(), 1, u"the layout's paper \"WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW WWWWWWWWWWWWWWWWWWW...\" is no paper size"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writePaperDesign(path(u"design.pwdc"_s), paperSheetNamed(QString::fromLatin1(c.name)),
                                     [](CADocument &document) { addPaperWord(document, u"Sheetword"_s, 10.0, 10.0); }));
        const commandtest::ProgramRun run = printOne();
        EXPECT_EQ(run.status, c.status) << qPrintable(run.err);
        if (!c.told.isEmpty()) {
            EXPECT_TRUE(run.err.contains(u"parcelwick: "_s + c.told)) << qPrintable(run.err);
        } else {
            EXPECT_FALSE(run.err.contains(u"paper"_s)) << qPrintable(run.err);
        }
        const printtest::PrintedPdf pdf(path(u"out.pdf"_s));
        ASSERT_EQ(pdf.pageCount(), 1) << qPrintable(run.err);
        if (!c.paper.isEmpty()) {
            EXPECT_NEAR(pdf.pageSize(0).width(), c.paper.width(), 0.6);
            EXPECT_NEAR(pdf.pageSize(0).height(), c.paper.height(), 0.6);
        }
        // The first label's word, at its place on the sheet.
        const QRectF word = pdf.wordBox(0, u"Sheetword"_s);
        EXPECT_NEAR(word.left(), 46.0, 3.0);
        EXPECT_NEAR(word.top(), 46.0, 6.0);
    }
}

// A predefined layout whose file lost margins or gaps of its catalogue sheet prints every label
// off its die-cut place: the job names what it lacks and fails. As written, and a custom layout
// without margins (a file leaves out lengths of none), print as they are.
TEST_F(BatchJobPaperTest, ALayoutLackingTheMarginsOfItsSheetFailsTheJob)
{
    const std::shared_ptr<CATemplateFormat> avery =
        CATemplateFormat::findPredefLayoutManufacturerID(dtLabel, u"Avery"_s, u"03112"_s);
    ASSERT_TRUE(avery);
    CATemplateFormat custom = *avery;
    custom.setPredef(false);
    custom.setManufacturer(u"Custom"_s);
    const struct
    {
        const char *name;
        CATemplateFormat layout;
        QStringList removed;
        int status;
        double wordLeft; // points from the paper's left edge
    } cases[] = {
        {"as written", *avery, {}, 0, 36.0 + 4.0},
        {"without its margins", *avery, {u"TopMargin"_s, u"LeftMargin"_s}, 1, 4.0},
        {"custom, without its margins", custom, {u"TopMargin"_s, u"LeftMargin"_s}, 0, 4.0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writePaperDesign(path(u"design.pwdc"_s), c.layout,
                                     [](CADocument &document) { addPaperWord(document, u"Dotword"_s, 4.0, 40.0); }));
        ASSERT_TRUE(removeLayoutKeys(path(u"design.pwdc"_s), c.removed));
        const commandtest::ProgramRun run = printOne();
        EXPECT_EQ(run.status, c.status) << qPrintable(run.err);
        EXPECT_EQ(run.err.contains(u"parcelwick: the layout Avery 03112 has no top margin, left margin, which its sheet "
                                   "has: every label was printed off its die-cut place"_s),
                  c.status == 1)
            << qPrintable(run.err);
        const printtest::PrintedPdf pdf(path(u"out.pdf"_s));
        ASSERT_EQ(pdf.pageCount(), 1) << qPrintable(run.err);
        EXPECT_NEAR(pdf.wordBox(0, u"Dotword"_s).left(), c.wordLeft, 3.0);
    }
}

// The design file with key of its layout dictionary set to value (predefined or custom).
bool setLayoutValue(const QString &file, const QString &key, const PWPlist &value)
{
    std::optional<PWPlist> design = PWPlist::readFile(file);
    if (!design || !design->isDictionary())
        return false;
    PWPlist::Dictionary root = design->toDictionary();
    for (const QString &which : {u"Predefined Layout"_s, u"Custom Layout"_s}) {
        if (!root.value(which).isDictionary())
            continue;
        PWPlist::Dictionary layout = root.value(which).toDictionary();
        layout.insert(key, value);
        root.insert(which, PWPlist(layout));
    }
    return pwtest::writeFile(file, PWPlist(root).toXml());
}

// A layout without a paper name or without margins holds what a file leaves out when there is
// none: it prints on the job's paper, or with no margin, and the job is done. A value that is
// there but no text or no number is named and fails the job; the rest prints as without it.
TEST_F(BatchJobPaperTest, WhatALayoutLeavesOutPrintsAsNoneAndWhatCannotBeReadIsNamed)
{
    const struct
    {
        const char *name;
        QStringList removed;
        QString key; // set to value when not empty
        PWPlist value;
        int status;
        QString told;
        double wordLeft; // points from the paper's left edge
    } cases[] = {
        {"an empty paper name", {}, u"PageSize"_s, PWPlist::fromString(QString()), 0, QString(), 46.0},
        {"a blank paper name", {}, u"PageSize"_s, PWPlist::fromString(u"   "_s), 0, QString(), 46.0},
        {"no margins", {u"TopMargin"_s, u"LeftMargin"_s}, QString(), PWPlist(), 0, QString(), 10.0},
        {"a paper name that is no text", {}, u"PageSize"_s, PWPlist::fromData("Letter"), 1,
         u"\"PageSize\" of the design could not be read: a text was expected"_s, 46.0},
        {"a left margin that is no number", {}, u"LeftMargin"_s, PWPlist::fromString(u"wide"_s), 1,
         u"\"LeftMargin\" of the design is not a number (wide)"_s, 10.0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writePaperDesign(path(u"design.pwdc"_s), paperSheetNamed(u"Letter"_s),
                                     [](CADocument &document) { addPaperWord(document, u"Sheetword"_s, 10.0, 10.0); }));
        ASSERT_TRUE(removeLayoutKeys(path(u"design.pwdc"_s), c.removed));
        if (!c.key.isEmpty()) {
            ASSERT_TRUE(setLayoutValue(path(u"design.pwdc"_s), c.key, c.value));
        }
        const commandtest::ProgramRun run = printOne();
        EXPECT_EQ(run.status, c.status) << qPrintable(run.err);
        if (c.told.isEmpty()) {
            EXPECT_FALSE(run.err.contains(u"could not be read"_s) || run.err.contains(u"paper"_s)) << qPrintable(run.err);
        } else {
            EXPECT_TRUE(run.err.contains(u"parcelwick: part of the design could not be read: "_s + c.told))
                << qPrintable(run.err);
        }
        const printtest::PrintedPdf pdf(path(u"out.pdf"_s));
        ASSERT_EQ(pdf.pageCount(), 1) << qPrintable(run.err);
        // The job's paper, the test's Letter.
        EXPECT_NEAR(pdf.pageSize(0).width(), 612.0, 0.6);
        EXPECT_NEAR(pdf.pageSize(0).height(), 792.0, 0.6);
        EXPECT_NEAR(pdf.wordBox(0, u"Sheetword"_s).left(), c.wordLeft, 3.0);
    }
}

// An envelope the default page holds neither way (C4, or 1,200 by 900 points) is printed whole on
// a page of its own size, with a note; one the page holds stays on the default page. Either way
// the sender's corner and the far corner are on the page.
TEST_F(BatchJobPaperTest, AnEnvelopeLargerThanTheDefaultPageIsPrintedWholeOnItsOwnPaper)
{
    const std::shared_ptr<CATemplateFormat> c4 = CATemplateFormat::findPredefLayoutManufacturerID(dtEnvelope, QString(), u"C4"_s);
    const std::shared_ptr<CATemplateFormat> ten = CATemplateFormat::findPredefLayoutManufacturerID(dtEnvelope, QString(), u"10"_s);
    ASSERT_TRUE(c4 && ten);
    CATemplateFormat huge = *ten;
    huge.setPredef(false);
    huge.setItemWidth(1200.0f), huge.setItemHeight(900.0f), huge.setPrintableWidth(1200.0f), huge.setPrintableHeight(900.0f);
    const struct
    {
        const char *name;
        CATemplateFormat layout;
        bool ownPaper;
    } cases[] = {
        {"C4", *c4, true},
        {"1200 x 900", huge, true},
        {"#10", *ten, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QSizeF envelope(c.layout.ItemWidth(), c.layout.ItemHeight());
        ASSERT_TRUE(writePaperDesign(path(u"design.pwdc"_s), c.layout, [&envelope](CADocument &document) {
            addPaperWord(document, u"Sendername"_s, 20.0, 20.0);
            addPaperWord(document, u"Farcorner"_s, envelope.width() - 110.0, envelope.height() - 40.0);
        }));
        const commandtest::ProgramRun run = printOne();
        EXPECT_EQ(run.status, 0) << qPrintable(run.err);
        EXPECT_EQ(run.err.contains(u"it was printed whole, on a page of its own size"_s), c.ownPaper) << qPrintable(run.err);
        const printtest::PrintedPdf pdf(path(u"out.pdf"_s));
        ASSERT_EQ(pdf.pageCount(), 1) << qPrintable(run.err);
        const QSizeF page = pdf.pageSize(0);
        const QSizeF lying(std::max(page.width(), page.height()), std::min(page.width(), page.height()));
        if (c.ownPaper) {
            EXPECT_NEAR(lying.width(), envelope.width(), 1.0);
            EXPECT_NEAR(lying.height(), envelope.height(), 1.0);
        } else {
            EXPECT_GT(lying.width(), envelope.width() + 10.0);
        }
        for (const QString &word : {u"Sendername"_s, u"Farcorner"_s}) {
            const QRectF box = pdf.wordBox(0, word);
            EXPECT_FALSE(box.isEmpty()) << qPrintable(word);
            EXPECT_TRUE(QRectF(QPointF(), page).contains(box)) << qPrintable(word);
        }
    }
}

// The postal barcode of the design's own person encodes the address printed above it, whatever
// ZIP the file stored for the barcode: a stored one of another address, or none, prints and
// exports the same bars as the stored one of this address.
TEST_F(BatchJobPaperTest, TheOwnPersonsBarcodeEncodesTheAddressAboveIt)
{
    const std::shared_ptr<CATemplateFormat> ten = CATemplateFormat::findPredefLayoutManufacturerID(dtEnvelope, QString(), u"10"_s);
    ASSERT_TRUE(ten);
    ASSERT_TRUE(writePaperDesign(path(u"written.pwdc"_s), *ten, [](CADocument &document) {
        const std::unique_ptr<CAddressFormat> format = CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
            u"Name+Company"_s, u"us"_s, true, CAddressFormatController::kBarcodeBelow);
        auto panel = std::make_unique<CFTAAddressPanel>(true, format.get(), nullptr, false);
        panel->SetOrigin(250.0, 120.0);
        document.ftDocument()->AddObject(panel.release(), 0, false);
        const std::shared_ptr<PWPerson> own = PWVCardReader::personFromData(
            "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Abbott;Ann;;;\r\nADR;TYPE=WORK:;;12 Elm St;Springfield;IL;62704;\r\nEND:VCARD\r\n");
        ASSERT_TRUE(own);
        document.setCurrentPerson(own.get(), true, true, true);
    }));
    const std::optional<PWPlist> written = PWPlist::readFile(path(u"written.pwdc"_s));
    ASSERT_TRUE(written);
    for (const bool print : {true, false}) {
        std::optional<QImage> asWritten;
        for (const QString &stored : {u"62704"_s, u"99999"_s, QString()}) {
            SCOPED_TRACE((print ? u"print, stored "_s : u"export, stored "_s).toStdString() + stored.toStdString());
            ASSERT_TRUE(pwtest::writeFile(
                path(u"design.pwdc"_s),
                pwtest::withEveryEntrySet(*written, u"ZIP for Barcode"_s, PWPlist::fromString(stored)).toXml()));
            QFile::remove(path(u"out.pdf"_s));
            const commandtest::ProgramRun run =
                print ? printOne() : commandtest::runProgram({u"--export"_s, path(u"design.pwdc"_s), path(u"out.pdf"_s)});
            EXPECT_EQ(run.status, 0) << qPrintable(run.err);
            const printtest::PrintedPdf pdf(path(u"out.pdf"_s));
            ASSERT_EQ(pdf.pageCount(), 1) << qPrintable(run.err);
            const QImage page = pdf.render(0);
            if (asWritten) {
                EXPECT_EQ(page, *asWritten);
                continue;
            }
            // Bars: dark marks where no word is (the default page may turn the envelope).
            ASSERT_FALSE(pdf.wordBox(0, u"62704"_s).isEmpty());
            QRegion words;
            for (const auto &[word, box] : pdf.words(0))
                words += QRectF(box.topLeft() * 2.0, box.size() * 2.0).adjusted(-4, -4, 4, 4).toAlignedRect();
            int dark = 0;
            for (int y = 0; y < page.height(); ++y)
                for (int x = 0; x < page.width(); ++x)
                    dark += qGray(page.pixel(x, y)) < 100 && !words.contains(QPoint(x, y)) ? 1 : 0;
            EXPECT_GT(dark, 100);
            asWritten = page;
        }
    }
}

} // namespace
