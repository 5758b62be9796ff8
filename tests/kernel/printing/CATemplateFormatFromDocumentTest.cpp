#include "kernel/printing/CATemplateFormat.h"

#include "CatalogueTestSupport.h"

#include "kernel/document/CFTADocument.h"

#include <gtest/gtest.h>

namespace {

TEST(CATemplateFormatFromDocumentTest, TheTemplateDescribesTheDocumentsLayout)
{
    CFTADocument document(dtLabel, CDDString(QStringLiteral("us")), CDDString(QStringLiteral("us")));
    document.SetManufacturer(CDDString(QStringLiteral("Dymo")));
    document.SetPageSize(CDDString(QStringLiteral("Label Roll")));
    document.SetHorizontal(false, 0);
    document.SetColCount(1); document.SetRowCount(1);
    document.setDocumentSizeX(79.37); document.setDocumentSizeY(252.28); document.SetCornerRadius(5.67);
    document.setPrintableSizeX(70.0); document.setPrintableSizeY(240.0);
    document.SetTopMargin(1.5); document.SetLeftMargin(2.5); document.SetHSpace(3.5); document.SetVSpace(4.5);
    document.setUnits(cuMillimeters);
    document.SetHasWindow(true);
    document.SetWinWindth(100.0); document.SetWinHeight(50.0); document.SetWinBottomOffset(20.0); document.SetWinLeftOffset(30.0);
    document.SetWinCornerRadius(6.0);
    document.SetDYMOPaperWidth(90.0); document.SetDYMOPaperHeight(260.0); document.SetDYMOOffsetX(3.0); document.SetDYMOOffsetY(5.0);
    document.SetPredefinedLayout(true);
    const CATemplateFormat format = CATemplateFormat::initFromDocument(document);
    EXPECT_EQ(format.Manufacturer() + format.PageSize(), QStringLiteral("DymoLabel Roll"));
    EXPECT_EQ(QList<int>({format.isHorizontal(), format.Columns(), format.Rows(), format.isLabelRoll(), format.Units(),
                          format.hasWindow(), format.isPredef(), format.getDocumentType()}),
              QList<int>({0, 1, 1, 1, cuMillimeters, 1, 1, dtLabel}));
    // A roll answers its long side as the width, whichever way the document stores it, and its
    // printable size lying.
    EXPECT_EQ(lengths(format), QStringLiteral("252.28 79.37 5.67 240.00 70.00 1.50 2.50 3.50 4.50 100.00 50.00 20.00 30.00 90.00 260.00 3.00 5.00"));
    EXPECT_FLOAT_EQ(format.getWinCornerRadius(), 6.0f);
}

TEST(CATemplateFormatFromDocumentTest, AnEnvelopeKeepsItsKindAndComputesItsSizeGroup)
{
    CFTADocument document(dtEnvelope, CDDString(QStringLiteral("de")), CDDString(QStringLiteral("de")));
    document.setDocumentSizeX(684.0);
    document.setDocumentSizeY(297.0);
    document.SetPageSize(CDDString(QStringLiteral("Label Roll")));
    const CATemplateFormat format = CATemplateFormat::initFromDocument(document);
    EXPECT_EQ(QList<int>({format.getDocumentType(), format.isLabelRoll(), format.isHorizontal(), format.isPredef()}),
              QList<int>({dtEnvelope, 0, 1, 0}));
    const std::optional<QString> group = format.sizeGroup();
    ASSERT_TRUE(group);
    EXPECT_TRUE(group->startsWith(QStringLiteral("Envelope"))) << group->toStdString();
}

} // namespace
