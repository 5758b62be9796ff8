// The label printer chosen for a label layout by the make and model of the installed printers,
// and the paper the printer is asked for.
#include "TestSupport.h"

#include "app/printing/CAPrinter.h"
#include "app/printing/CAPrinterChoice.h"

#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"

#include <QPageLayout>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Printers as a print system lists them; the office printer is the default.
const QList<CAPrinterDescription> kPrinters = {
    {u"Office"_s, u"Acme OfficeJet 9000"_s, true},
    {u"Desk-Labels"_s, u"dymo LabelWriter 450 Turbo"_s, false},
    {u"Second-Labels"_s, u"DYMO LabelWriter 4XL"_s, false},
    {u"Receipts"_s, u"SII SLP 650"_s, false},
    {u"Mislabelled"_s, u"SII Receipt Printer"_s, false},
    {u"Tape"_s, u"Brother P-touch PT-9700PC"_s, false},
};

TEST(CAPrinterChoiceTest, SearchMatchesMakeAndModelWithoutCase)
{
    const struct
    {
        QString type;
        QString maker;
        QString expected;
    } cases[] = {
        {u"DYMO"_s, u"DYMO"_s, u"Desk-Labels"_s},        // first of two, whatever its case
        {u"SLP"_s, u"Brother"_s, QString()},             // both texts must be there
        {u"SLP"_s, u"SII"_s, u"Receipts"_s},
        {u"P-touch"_s, u"Brother"_s, u"Tape"_s},
        {u"receipt"_s, QString(), u"Mislabelled"_s},    // an empty text is not tested
        {u"Zebra"_s, QString(), QString()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CAPrinterChoice::systemPrinterNameWithTypeManufacturer(kPrinters, c.type, c.maker), c.expected)
            << qPrintable(c.type + u'/' + c.maker);
}

class CAPrinterChoiceDocumentTest : public ::testing::Test
{
protected:
    void SetUp() override { document.ftDocument()->SetManufacturer(CDDString(u"DYMO"_s)); }
    CADocument document;
};

TEST_F(CAPrinterChoiceDocumentTest, LabelLayoutOfAKnownMakerTakesItsPrinter)
{
    ASSERT_EQ(document.docType(), dtLabel);
    // The default printer is an office printer: the first label printer of the maker is chosen.
    EXPECT_TRUE(CAPrinterChoice::autoSelectPrinter(document, kPrinters));
    EXPECT_EQ(document.printSettings().printerName, u"Desk-Labels"_s);

    // A printer of the maker that the user picked stays.
    document.printSettings().printerName = u"Second-Labels"_s;
    EXPECT_FALSE(CAPrinterChoice::autoSelectPrinter(document, kPrinters));
    EXPECT_EQ(document.printSettings().printerName, u"Second-Labels"_s);

    const struct
    {
        QString maker;
        QString expected;
    } makers[] = {{u"Brother"_s, u"Tape"_s}, {u"Seiko"_s, u"Receipts"_s}, {u"dymo"_s, u"Desk-Labels"_s},
                  {u"Dymo"_s, u"Desk-Labels"_s}, {u"BROTHER"_s, u"Tape"_s},
                  {u"Avery"_s, u"Office"_s}};
    for (const auto &m : makers) {
        document.printSettings().printerName = u"Office"_s;
        document.ftDocument()->SetManufacturer(CDDString(m.maker));
        CAPrinterChoice::autoSelectPrinter(document, kPrinters);
        EXPECT_EQ(document.printSettings().printerName, m.expected) << qPrintable(m.maker);
    }
}

TEST_F(CAPrinterChoiceDocumentTest, NoMatchingPrinterOrNoLabelKeepsThePrinter)
{
    const QList<CAPrinterDescription> officeOnly = {kPrinters.first()};
    EXPECT_FALSE(CAPrinterChoice::autoSelectPrinter(document, officeOnly));
    EXPECT_TRUE(document.printSettings().printerName.isEmpty());

    // The default printer already is a label printer of the maker.
    const QList<CAPrinterDescription> labelDefault = {{u"Office"_s, u"Acme"_s, false},
                                                      {u"Labels"_s, u"Dymo LabelWriter"_s, true},
                                                      {u"Other"_s, u"DYMO LabelWriter Wireless"_s, false}};
    EXPECT_FALSE(CAPrinterChoice::autoSelectPrinter(document, labelDefault));
    EXPECT_TRUE(document.printSettings().printerName.isEmpty());
}

TEST(CAPrinterTest, StandardPapersGoByTheirIdsOthersAreCustom)
{
    const struct
    {
        QSizeF points;
        QPageSize::PageSizeId id;
        bool landscape;
    } cases[] = {
        {{595.28, 841.89}, QPageSize::A4, false},
        {{594.72, 841.68}, QPageSize::A4, false},
        {{841.89, 595.28}, QPageSize::A4, true},
        {{612.0, 792.0}, QPageSize::Letter, false},
        {{792.0, 612.0}, QPageSize::Letter, true},
        {{600.0, 1000.0}, QPageSize::Custom, false},
        {{252.0, 81.0}, QPageSize::Custom, false},
        {{590.0, 841.89}, QPageSize::Custom, false},
    };
    for (const auto &c : cases) {
        bool landscape = !c.landscape;
        const QPageSize size = CAPrinter::pageSizeForPaper(c.points, &landscape);
        EXPECT_EQ(size.id(), c.id) << c.points.width() << 'x' << c.points.height();
        EXPECT_EQ(landscape, c.landscape) << c.points.width() << 'x' << c.points.height();
        if (c.id == QPageSize::Custom) {
            EXPECT_NEAR(size.size(QPageSize::Point).width(), c.points.width(), 1.0);
            EXPECT_NEAR(size.size(QPageSize::Point).height(), c.points.height(), 1.0);
        }
    }
}

TEST(CAPrinterTest, PrinterTakesTheStandardIdForACustomLayoutOfThatSize)
{
    CAPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    // A sheet a template measured a little over A4, and A4 lying across: Qt keeps both custom.
    const struct
    {
        QSizeF points;
        QPageLayout::Orientation orientation;
    } sheets[] = {{{596.5, 842.9}, QPageLayout::Portrait}, {{841.89, 595.28}, QPageLayout::Landscape}};
    for (const auto &sheet : sheets) {
        const QPageSize custom(sheet.points * (25.4 / 72.0), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
        ASSERT_EQ(custom.id(), QPageSize::Custom);
        ASSERT_TRUE(printer.setPageLayout(QPageLayout(custom, QPageLayout::Portrait, QMarginsF(), QPageLayout::Point)));
        EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A4);
        EXPECT_EQ(printer.pageLayout().orientation(), sheet.orientation);
    }
    const QPageSize roll(QSizeF(89.0, 28.0), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    ASSERT_TRUE(printer.setPageLayout(QPageLayout(roll, QPageLayout::Portrait, QMarginsF(), QPageLayout::Point)));
    EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::Custom);
    EXPECT_NEAR(printer.pageLayout().pageSize().size(QPageSize::Millimeter).width(), 89.0, 0.5);
}

} // namespace
