#include "CatalogueTestSupport.h"

#include "platform/PWPlist.h"

#include <QSet>

#include <cmath>

namespace {

TEST(CatalogueParseTest, WidthTextGivesPointsAndTheTemplateUnit)
{
    const struct
    {
        const char *text;
        float points;
        cardUnits units;
    } cases[] = {{"2.625", 189.0f, cuInches},
                 {"66.7mm", 66.7f * kMm, cuMillimeters},
                 // A "m" anywhere means millimetres, so centimetres read as millimetres.
                 {"2cm", 2.0f * kMm, cuMillimeters},
                 {"\n  66.7 mm\n  ", 66.7f * kMm, cuMillimeters},
                 {"-1", 0.0f, cuInches},
                 {"1 2", 72.0f, cuInches}};
    for (const auto &c : cases) {
        const CATemplateFormat format = readOne(QByteArray("<LabelWidth>") + c.text + "</LabelWidth>");
        EXPECT_NEAR(format.ItemWidth(), c.points, 1e-3) << c.text;
        EXPECT_EQ(format.Units(), c.units) << c.text;
    }
}

TEST(CatalogueParseTest, OnlyTheWidthSetsTheUnit)
{
    const CATemplateFormat format = readOne("<LabelWidth>3.5</LabelWidth><LabelHeight>38.1mm</LabelHeight>");
    EXPECT_FLOAT_EQ(format.ItemWidth(), 252.0f);
    EXPECT_NEAR(format.ItemHeight(), 108.0f, 1e-3);
    EXPECT_EQ(format.Units(), cuInches);
    const CATemplateFormat envelope =
        readOne("<EnvelopeHeight>4</EnvelopeHeight><EnvelopeWidth>220mm</EnvelopeWidth>", dtEnvelope);
    EXPECT_EQ(envelope.Units(), cuMillimeters);
    EXPECT_FLOAT_EQ(envelope.ItemHeight(), 288.0f);
}

TEST(CatalogueParseTest, AnyWindowLengthTurnsTheWindowOn)
{
    const CATemplateFormat defaults;
    const CATemplateFormat format = readOne("<WinWidth>4</WinWidth>", dtEnvelope);
    EXPECT_TRUE(format.hasWindow());
    EXPECT_FLOAT_EQ(format.getWinWidth(), 288.0f);
    EXPECT_EQ(format.getWinHeight(), defaults.getWinHeight());
    for (const char *key : {"WinHeight", "WinBottomOffset", "WinLeftOffset"}) {
        const QByteArray element(key);
        EXPECT_TRUE(readOne("<" + element + ">1</" + element + ">").hasWindow()) << key;
    }
    EXPECT_FALSE(readOne("<LabelWidth>1</LabelWidth>").hasWindow());
}

TEST(CatalogueParseTest, EveryFieldIsRead)
{
    const CATemplateFormat format = readOne(kEveryField);
    EXPECT_EQ(QStringList({format.Manufacturer(), format.Category(), format.Type(), format.Description(),
                           format.PageSize(), format.ID()}),
              QStringList({QStringLiteral("Maker"), QStringLiteral("Shipping Labels"), QStringLiteral("Laser"),
                           QStringLiteral("Big & bold"), QStringLiteral("A4"), QStringLiteral("L1")}));
    EXPECT_EQ(format.Columns(), 2);
    EXPECT_EQ(format.Rows(), 5);
    EXPECT_EQ(format.Units(), cuMillimeters);
    // In the order of lengthFields(): millimetres first, then inches.
    const float expected[] = {99.1f * kMm, 57.0f * kMm, 3.0f * kMm, 90.0f * kMm, 50.0f * kMm, 6.0f * kMm,
                              4.65f * kMm, 2.5f * kMm,  1.0f * kMm, 72.0f,       144.0f,      216.0f,
                              288.0f,      360.0f,      432.0f,     36.0f,       18.0f};
    ASSERT_EQ(std::size(expected), lengthFields().size());
    for (std::size_t i = 0; i < lengthFields().size(); ++i)
        EXPECT_NEAR((format.*lengthFields()[i].get)(), expected[i], 1e-3) << lengthFields()[i].name;
    EXPECT_EQ(format.sizeGroup(), QStringLiteral("Shipping4"));
    EXPECT_TRUE(format.isPredef());
    EXPECT_EQ(format.getDocumentType(), dtLabel);
}

TEST(CatalogueParseTest, KeysIgnoreCaseAndNameIsTheID)
{
    const CATemplateFormat format = readOne("<name>Monarch</name><ENVELOPEWIDTH>7.5</ENVELOPEWIDTH>"
                                            "<columns>2</columns><hspace>0.25</hspace>",
                                            dtEnvelope);
    EXPECT_EQ(format.ID(), QStringLiteral("Monarch"));
    EXPECT_FLOAT_EQ(format.ItemWidth(), 540.0f);
    EXPECT_EQ(format.Columns(), 2);
    EXPECT_FLOAT_EQ(format.getHSpace(), 18.0f);
    EXPECT_EQ(format.getDocumentType(), dtEnvelope);
}

TEST(CatalogueParseTest, IntegersReadLikeAtoiAndALaterKeyWinsAndUnknownOrEmptyOnesChangeNothing)
{
    EXPECT_EQ(readOne("<Columns> 12abc</Columns>").Columns(), 12);
    EXPECT_EQ(readOne("<Columns>-3</Columns>").Columns(), -3);
    EXPECT_EQ(readOne("<Columns>x3</Columns>").Columns(), 0);
    const CATemplateFormat format = readOne("<ID>first</ID><Colour>red</Colour><ID>second</ID><Rows></Rows>"
                                            "<Description>   </Description><Rows><b>4</b></Rows>");
    EXPECT_EQ(format.ID(), QStringLiteral("second"));
    EXPECT_EQ(format.Rows(), 0);
    EXPECT_TRUE(format.Description().isEmpty());
}

TEST(CatalogueParseTest, TemplatesKeepFileOrderAndEmptyOnesAreSkipped)
{
    const auto list = CATemplateFormat::readCatalogue(
        catalogue("<!-- note --><A><ID>1</ID></A>\n  <B/>\n<C>text only</C><D>\n  </D><E><ID>2</ID></E>"), dtPostcard);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 2);
    EXPECT_EQ(list->at(0)->ID() + list->at(1)->ID(), QStringLiteral("12"));
    EXPECT_EQ(list->at(1)->getDocumentType(), dtPostcard);
}

TEST(CatalogueParseTest, MalformedBytesGiveNothingAndAReason)
{
    for (const char *bytes : {"", "<?xml version=\"1.0\"?>", "<Labels><Label><ID>1</ID></Label>",
                              "<Labels><Label><ID>1</Label></ID></Labels>", "<Labels/><Labels/>", "\x01\x02\xff\xfe",
                              "<Labels><L><ID>&bogus;</ID></L></Labels>"}) {
        QString error;
        EXPECT_FALSE(CATemplateFormat::readCatalogue(QByteArray(bytes), dtLabel, &error)) << bytes;
        EXPECT_FALSE(error.isEmpty()) << bytes;
    }
}

TEST(CatalogueParseTest, DeepNestingIsPassedOverWithoutHarm)
{
    QByteArray deep;
    for (int i = 0; i < 5000; ++i)
        deep += "<x>";
    deep += "9";
    for (int i = 0; i < 5000; ++i)
        deep += "</x>";
    const auto list = CATemplateFormat::readCatalogue(catalogue("<T><ID>1</ID><Rows>" + deep + "</Rows></T>"), dtLabel);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 1);
    EXPECT_EQ(list->first()->Rows(), 0);
}

using ShippedCatalogueTest = CatalogueTest;

// Figures in the sheet's own unit (millimetres on A4, inches on Letter).
struct CommonSheet
{
    const char *id;
    int columns;
    int rows;
    float width;
    float height;
    float left;
    float top;
    float gap;
};

class ShippedSheets : public CatalogueTest, public ::testing::WithParamInterface<CommonSheet>
{
};

TEST_P(ShippedSheets, CommonSheetsHaveTheMakersFiguresAndFillTheWidth)
{
    const CommonSheet s = GetParam();
    const auto sheet =
        CATemplateFormat::findPredefLayoutManufacturerID(dtLabel, QStringLiteral("Avery"), QLatin1String(s.id));
    ASSERT_TRUE(sheet) << s.id;
    const bool letter = s.id[0] == '0';
    EXPECT_EQ(sheet->PageSize(), letter ? QStringLiteral("Letter") : QStringLiteral("A4"));
    EXPECT_EQ(sheet->Units(), letter ? cuInches : cuMillimeters);
    EXPECT_TRUE(sheet->isPredef());
    EXPECT_FALSE(sheet->isLabelRoll());
    EXPECT_EQ(sheet->Columns(), s.columns);
    EXPECT_EQ(sheet->Rows(), s.rows);
    const float unit = letter ? 72.0f : kMm;
    EXPECT_NEAR(sheet->ItemWidth(), s.width * unit, 0.01);
    EXPECT_NEAR(sheet->ItemHeight(), s.height * unit, 0.01);
    EXPECT_NEAR(sheet->getLeftMargin(), s.left * unit, 0.01);
    EXPECT_NEAR(sheet->getTopMargin(), s.top * unit, 0.01);
    EXPECT_NEAR(sheet->getHSpace(), s.gap * unit, 0.01);
    EXPECT_EQ(sheet->getVSpace(), 0.0f);
    const double across = 2.0 * s.left + s.columns * s.width + (s.columns - 1) * s.gap;
    EXPECT_NEAR(across, letter ? 8.5 : 210.0, 0.1);
}

INSTANTIATE_TEST_SUITE_P(Cases, ShippedSheets,
                         ::testing::Values(CommonSheet {"05960", 3, 10, 2.625f, 1.0f, 0.1875f, 0.5f, 0.125f},
                                           CommonSheet {"L7163", 2, 7, 99.1f, 38.1f, 4.65f, 15.15f, 2.5f}),
                         [](const auto &info) { return std::string(info.param.id); });

TEST_F(ShippedCatalogueTest, EverySheetFitsItsPageAndEveryRollIsARoll)
{
    const CATemplateFormat::TemplateList *labels = CATemplateFormat::predefLayouts(dtLabel);
    ASSERT_TRUE(labels);
    EXPECT_GT(labels->size(), 500);
    QSet<QString> categories;
    QSet<QString> names;
    int rolls = 0;
    for (const auto &label : *labels) {
        const QString name = label->Manufacturer() + QLatin1Char('/') + label->ID();
        EXPECT_FALSE(names.contains(name)) << "twice: " << name.toStdString();
        names.insert(name);
        categories.insert(label->Category());
        EXPECT_GT(label->ItemWidth(), 0.0f) << name.toStdString();
        EXPECT_GT(label->ItemHeight(), 0.0f) << name.toStdString();
        if (label->isLabelRoll()) {
            ++rolls;
            EXPECT_GE(label->ItemWidth(), label->ItemHeight());
            EXPECT_GT(label->getDYMOOffsetX(), 0.0f) << name.toStdString();
            EXPECT_GT(label->getDYMOOffsetY(), 0.0f) << name.toStdString();
            EXPECT_GT(label->getDYMOPaperWidth(), 0.0f) << name.toStdString();
            continue;
        }
        ASSERT_TRUE(label->PageSize() == QLatin1String("Letter") || label->PageSize() == QLatin1String("A4"))
            << name.toStdString();
        const bool letter = label->PageSize() == QLatin1String("Letter");
        const float pageWidth = letter ? 612.0f : 595.28f;
        const float pageHeight = letter ? 792.0f : 841.89f;
        EXPECT_GE(label->Columns(), 1);
        EXPECT_GE(label->Rows(), 1);
        const float across = label->getLeftMargin() + label->Columns() * label->ItemWidth()
            + (label->Columns() - 1) * label->getHSpace();
        const float down =
            label->getTopMargin() + label->Rows() * label->ItemHeight() + (label->Rows() - 1) * label->getVSpace();
        EXPECT_LE(across, pageWidth + 1.0f) << name.toStdString();
        EXPECT_LE(down, pageHeight + 1.0f) << name.toStdString();
        EXPECT_LE(label->getCornerRadius(), std::min(label->ItemWidth(), label->ItemHeight()) / 2.0f + 0.01f)
            << name.toStdString();
    }
    EXPECT_GE(rolls, 5);
    for (const char *category :
         {"Mailing Labels", "Shipping Labels", "Return Address Labels", "File Folder Labels", "Round Labels"})
        EXPECT_TRUE(categories.contains(QLatin1String(category))) << category;
}

TEST_F(ShippedCatalogueTest, CommercialTenIsTheStandardBusinessEnvelope)
{
    const CATemplateFormat::TemplateList *envelopes = CATemplateFormat::predefLayouts(dtEnvelope);
    ASSERT_TRUE(envelopes);
    std::shared_ptr<CATemplateFormat> ten;
    QSet<QString> ids;
    for (const auto &envelope : *envelopes) {
        ids.insert(envelope->ID());
        EXPECT_EQ(envelope->getDocumentType(), dtEnvelope);
        EXPECT_GT(envelope->ItemWidth(), envelope->ItemHeight()) << envelope->ID().toStdString();
        if (envelope->hasWindow()) {
            EXPECT_LE(envelope->getWinLeftOffset() + envelope->getWinWidth(), envelope->ItemWidth());
            EXPECT_LE(envelope->getWinBottomOffset() + envelope->getWinHeight(), envelope->ItemHeight());
        }
        if (envelope->ID() == QLatin1String("10"))
            ten = envelope;
    }
    ASSERT_TRUE(ten);
    EXPECT_EQ(ten->Category(), QStringLiteral("Commercial/Official"));
    EXPECT_FLOAT_EQ(ten->ItemWidth(), 684.0f);
    EXPECT_FLOAT_EQ(ten->ItemHeight(), 297.0f);
    EXPECT_FALSE(ten->hasWindow());
    for (const char *id : {"DL", "C5", "C6", "Monarch", "A2", "9", "DL Window"})
        EXPECT_TRUE(ids.contains(QLatin1String(id))) << id;
}

TEST_F(ShippedCatalogueTest, PostcardsComeSingleAndOnSheets)
{
    const CATemplateFormat::TemplateList *cards = CATemplateFormat::predefLayouts(dtPostcard);
    ASSERT_TRUE(cards);
    int single = 0;
    int sheets = 0;
    for (const auto &card : *cards) {
        EXPECT_EQ(card->sizeGroup(), QStringLiteral("Postcard1"));
        (card->Columns() == 0 && card->Rows() == 0 ? single : sheets)++;
    }
    EXPECT_GE(single, 2);
    EXPECT_GE(sheets, 2);
}

} // namespace
