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
    document.SetColCount(1);
    document.SetRowCount(1);
    document.setDocumentSizeX(79.37);
    document.setDocumentSizeY(252.28);
    document.SetCornerRadius(5.67);
    document.setPrintableSizeX(70.0);
    document.setPrintableSizeY(240.0);
    document.SetTopMargin(1.5);
    document.SetLeftMargin(2.5);
    document.SetHSpace(3.5);
    document.SetVSpace(4.5);
    document.setUnits(cuMillimeters);
    document.SetHasWindow(true);
    document.SetWinWindth(100.0);
    document.SetWinHeight(50.0);
    document.SetWinBottomOffset(20.0);
    document.SetWinLeftOffset(30.0);
    document.SetWinCornerRadius(6.0);
    document.SetDYMOPaperWidth(90.0);
    document.SetDYMOPaperHeight(260.0);
    document.SetDYMOOffsetX(3.0);
    document.SetDYMOOffsetY(5.0);
    document.SetPredefinedLayout(true);

    const CATemplateFormat format = CATemplateFormat::initFromDocument(document);
    EXPECT_EQ(format.Manufacturer() + format.PageSize(), QStringLiteral("DymoLabel Roll"));
    EXPECT_EQ(QList<int>({format.isHorizontal(), format.Columns(), format.Rows(), format.isLabelRoll(), format.Units(),
                          format.hasWindow(), format.isPredef(), format.getDocumentType()}),
              QList<int>({0, 1, 1, 1, cuMillimeters, 1, 1, dtLabel}));
    // In the order of lengthFields(). A roll answers its long side as the width, whichever way the
    // document stores it, and its printable size lying.
    const float expected[] = {252.28f, 79.37f, 5.67f, 240.0f, 70.0f, 1.5f,  2.5f, 3.5f, 4.5f,
                              100.0f,  50.0f,  20.0f, 30.0f,  90.0f, 260.0f, 3.0f, 5.0f};
    ASSERT_EQ(std::size(expected), lengthFields().size());
    for (std::size_t i = 0; i < lengthFields().size(); ++i)
        EXPECT_FLOAT_EQ((format.*lengthFields()[i].get)(), expected[i]) << lengthFields()[i].name;
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
