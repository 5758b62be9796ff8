#include "CatalogueTestSupport.h"

#include "platform/PWPlist.h"

#include <QSet>

#include <cmath>

namespace {

constexpr float kMm = 2.8346457f;

QByteArray catalogue(const QByteArray &templates)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Catalogue>\n" + templates + "</Catalogue>\n";
}

CATemplateFormat readOne(const QByteArray &fields, int type = dtLabel)
{
    QString error;
    const auto list = CATemplateFormat::readCatalogue(catalogue("<T>" + fields + "</T>"), type, &error);
    EXPECT_TRUE(list) << error.toStdString();
    if (!list || list->size() != 1) {
        ADD_FAILURE() << "expected one template";
        return CATemplateFormat();
    }
    return *list->first();
}

// --- the parse rules ------------------------------------------------------------------------------

struct LengthCase
{
    const char *name;
    const char *text;
    float points;
    cardUnits units;
};

class CatalogueLengths : public ::testing::TestWithParam<LengthCase>
{
};

TEST_P(CatalogueLengths, WidthTextGivesPointsAndTheTemplateUnit)
{
    const LengthCase c = GetParam();
    const CATemplateFormat format = readOne(QByteArray("<LabelWidth>") + c.text + "</LabelWidth>");
    EXPECT_NEAR(format.ItemWidth(), c.points, 1e-3) << c.text;
    EXPECT_EQ(format.Units(), c.units) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CatalogueLengths,
    ::testing::Values(LengthCase {"inches", "2.625", 189.0f, cuInches},
                      LengthCase {"millimetres", "66.7mm", 66.7f * kMm, cuMillimeters},
                      LengthCase {"millimetresAfterABlank", "66.7 mm", 66.7f * kMm, cuMillimeters},
                      // A "m" anywhere means millimetres, so centimetres read as millimetres.
                      LengthCase {"centimetres", "2cm", 2.0f * kMm, cuMillimeters},
                      LengthCase {"inchSuffix", "3in", 216.0f, cuInches},
                      LengthCase {"leadingBlanks", "   2.625", 189.0f, cuInches},
                      LengthCase {"surroundingNewlines", "\n  66.7mm\n  ", 66.7f * kMm, cuMillimeters},
                      LengthCase {"sign", "-1", 0.0f, cuInches},
                      LengthCase {"onlyTheFirstNumberCounts", "1 2", 72.0f, cuInches}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CatalogueParseTest, OnlyTheWidthSetsTheUnit)
{
    const CATemplateFormat format = readOne("<LabelWidth>3.5</LabelWidth><LabelHeight>38.1mm</LabelHeight>");
    EXPECT_FLOAT_EQ(format.ItemWidth(), 252.0f);
    EXPECT_NEAR(format.ItemHeight(), 108.0f, 1e-3);
    EXPECT_EQ(format.Units(), cuInches);
    const CATemplateFormat envelope = readOne("<EnvelopeHeight>4</EnvelopeHeight><EnvelopeWidth>220mm</EnvelopeWidth>",
                                              dtEnvelope);
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
    EXPECT_EQ(format.getWinBottomOffset(), defaults.getWinBottomOffset());
    EXPECT_EQ(format.getWinLeftOffset(), defaults.getWinLeftOffset());
    EXPECT_EQ(format.getWinCornerRadius(), defaults.getWinCornerRadius());
    for (const char *key : {"WinHeight", "WinBottomOffset", "WinLeftOffset"}) {
        const QByteArray element(key);
        EXPECT_TRUE(readOne("<" + element + ">1</" + element + ">").hasWindow()) << key;
    }
    EXPECT_FALSE(readOne("<LabelWidth>1</LabelWidth>").hasWindow());
}

TEST(CatalogueParseTest, EveryFieldIsRead)
{
    const CATemplateFormat format = readOne(
        "<Manufacturer>Maker</Manufacturer><Category>Shipping Labels</Category><Type>Laser</Type>"
        "<Description>Big &amp; bold</Description><PageSize>A4</PageSize><ID>L1</ID>"
        "<Columns>2</Columns><Rows>5</Rows><LabelWidth>99.1mm</LabelWidth><LabelHeight>57mm</LabelHeight>"
        "<CornerRadius>3mm</CornerRadius><PrintableWidth>90mm</PrintableWidth>"
        "<PrintableHeight>50mm</PrintableHeight><TopMargin>6mm</TopMargin><LeftMargin>4.65mm</LeftMargin>"
        "<HSpace>2.5mm</HSpace><VSpace>1mm</VSpace><WinWidth>1</WinWidth><WinHeight>2</WinHeight>"
        "<WinBottomOffset>3</WinBottomOffset><WinLeftOffset>4</WinLeftOffset>"
        "<DYMOPaperWidth>5</DYMOPaperWidth><DYMOPaperHeight>6</DYMOPaperHeight>"
        "<DYMOOffsetX>0.5</DYMOOffsetX><DYMOOffsetY>0.25</DYMOOffsetY><SizeGroup>Shipping4</SizeGroup>");
    EXPECT_EQ(format.Manufacturer(), QStringLiteral("Maker"));
    EXPECT_EQ(format.Category(), QStringLiteral("Shipping Labels"));
    EXPECT_EQ(format.Type(), QStringLiteral("Laser"));
    EXPECT_EQ(format.Description(), QStringLiteral("Big & bold"));
    EXPECT_EQ(format.PageSize(), QStringLiteral("A4"));
    EXPECT_EQ(format.ID(), QStringLiteral("L1"));
    EXPECT_EQ(format.Columns(), 2);
    EXPECT_EQ(format.Rows(), 5);
    EXPECT_EQ(format.Units(), cuMillimeters);
    EXPECT_NEAR(format.ItemWidth(), 99.1f * kMm, 1e-3);
    EXPECT_NEAR(format.ItemHeight(), 57.0f * kMm, 1e-3);
    EXPECT_NEAR(format.getCornerRadius(), 3.0f * kMm, 1e-3);
    EXPECT_NEAR(format.PrintableWidth(), 90.0f * kMm, 1e-3);
    EXPECT_NEAR(format.PrintableHeight(), 50.0f * kMm, 1e-3);
    EXPECT_NEAR(format.getTopMargin(), 6.0f * kMm, 1e-3);
    EXPECT_NEAR(format.getLeftMargin(), 4.65f * kMm, 1e-3);
    EXPECT_NEAR(format.getHSpace(), 2.5f * kMm, 1e-3);
    EXPECT_NEAR(format.getVSpace(), 1.0f * kMm, 1e-3);
    EXPECT_FLOAT_EQ(format.getWinWidth(), 72.0f);
    EXPECT_FLOAT_EQ(format.getWinHeight(), 144.0f);
    EXPECT_FLOAT_EQ(format.getWinBottomOffset(), 216.0f);
    EXPECT_FLOAT_EQ(format.getWinLeftOffset(), 288.0f);
    EXPECT_FLOAT_EQ(format.getDYMOPaperWidth(), 360.0f);
    EXPECT_FLOAT_EQ(format.getDYMOPaperHeight(), 432.0f);
    EXPECT_FLOAT_EQ(format.getDYMOOffsetX(), 36.0f);
    EXPECT_FLOAT_EQ(format.getDYMOOffsetY(), 18.0f);
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

TEST(CatalogueParseTest, IntegersReadLikeAtoi)
{
    EXPECT_EQ(readOne("<Columns> 12abc</Columns>").Columns(), 12);
    EXPECT_EQ(readOne("<Columns>-3</Columns>").Columns(), -3);
    EXPECT_EQ(readOne("<Columns>x3</Columns>").Columns(), 0);
}

TEST(CatalogueParseTest, ALaterKeyWinsAndUnknownOrEmptyOnesChangeNothing)
{
    const CATemplateFormat format = readOne("<ID>first</ID><Colour>red</Colour><ID>second</ID><Rows></Rows>"
                                            "<Description>   </Description><Rows><b>4</b></Rows>");
    EXPECT_EQ(format.ID(), QStringLiteral("second"));
    EXPECT_EQ(format.Rows(), 0);
    EXPECT_TRUE(format.Description().isEmpty());
}

TEST(CatalogueParseTest, LabelRollComesFromThePaperSizeName)
{
    const QByteArray fields =
        "<PageSize>Label Roll</PageSize><LabelWidth>28mm</LabelWidth><LabelHeight>89mm</LabelHeight>";
    const CATemplateFormat roll = readOne(fields);
    EXPECT_TRUE(roll.isLabelRoll());
    EXPECT_NEAR(roll.ItemWidth(), 89.0f * kMm, 1e-3);
    EXPECT_NEAR(roll.ItemHeight(), 28.0f * kMm, 1e-3);
    const CATemplateFormat postcard = readOne(fields, dtPostcard);
    EXPECT_FALSE(postcard.isLabelRoll());
    EXPECT_NEAR(postcard.ItemWidth(), 28.0f * kMm, 1e-3);
}

TEST(CatalogueParseTest, TemplatesKeepFileOrderAndEmptyOnesAreSkipped)
{
    const auto list = CATemplateFormat::readCatalogue(
        catalogue("<!-- note --><A><ID>1</ID></A>\n  <B/>\n<C>text only</C><D>\n  </D><E><ID>2</ID></E>"), dtPostcard);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 2);
    EXPECT_EQ(list->at(0)->ID(), QStringLiteral("1"));
    EXPECT_EQ(list->at(1)->ID(), QStringLiteral("2"));
    EXPECT_EQ(list->at(1)->getDocumentType(), dtPostcard);
    EXPECT_NE(list->at(0), list->at(1));
}

struct BadCatalogue
{
    const char *name;
    const char *bytes;
};

class RefusedCatalogues : public ::testing::TestWithParam<BadCatalogue>
{
};

TEST_P(RefusedCatalogues, MalformedBytesGiveNothingAndAReason)
{
    QString error;
    EXPECT_FALSE(CATemplateFormat::readCatalogue(QByteArray(GetParam().bytes), dtLabel, &error));
    EXPECT_FALSE(error.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedCatalogues,
    ::testing::Values(BadCatalogue {"empty", ""}, BadCatalogue {"declarationOnly", "<?xml version=\"1.0\"?>"},
                      BadCatalogue {"unclosed", "<Labels><Label><ID>1</ID></Label>"},
                      BadCatalogue {"mismatched", "<Labels><Label><ID>1</Label></ID></Labels>"},
                      BadCatalogue {"twoRoots", "<Labels/><Labels/>"},
                      BadCatalogue {"binary", "\x01\x02\xff\xfe"},
                      BadCatalogue {"undefinedEntity", "<Labels><L><ID>&bogus;</ID></L></Labels>"}),
    [](const auto &info) { return std::string(info.param.name); });

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

// --- the shipped catalogues -----------------------------------------------------------------------

class ShippedCatalogueTest : public CatalogueTest
{
};

TEST_F(ShippedCatalogueTest, AddressSheet05960HasTheMakersFigures)
{
    const auto sheet = CATemplateFormat::findPredefLayoutManufacturerID(dtLabel, QStringLiteral("Avery"),
                                                                        QStringLiteral("05960"));
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->PageSize(), QStringLiteral("Letter"));
    EXPECT_EQ(sheet->Columns(), 3);
    EXPECT_EQ(sheet->Rows(), 10);
    EXPECT_FLOAT_EQ(sheet->ItemWidth(), 189.0f);
    EXPECT_FLOAT_EQ(sheet->ItemHeight(), 72.0f);
    EXPECT_FLOAT_EQ(sheet->getTopMargin(), 36.0f);
    EXPECT_FLOAT_EQ(sheet->getLeftMargin(), 13.5f);
    EXPECT_FLOAT_EQ(sheet->getHSpace(), 9.0f);
    EXPECT_FLOAT_EQ(sheet->getVSpace(), 0.0f);
    EXPECT_EQ(sheet->Units(), cuInches);
    EXPECT_EQ(sheet->Category(), QStringLiteral("Mailing Labels"));
    EXPECT_TRUE(sheet->isPredef());
    EXPECT_FALSE(sheet->isLabelRoll());
}

struct A4Sheet
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

class ShippedA4Sheets : public CatalogueTest, public ::testing::WithParamInterface<A4Sheet>
{
};

TEST_P(ShippedA4Sheets, CommonSheetsHaveTheMakersFiguresAndFillTheWidth)
{
    const A4Sheet s = GetParam();
    const auto sheet = CATemplateFormat::findPredefLayoutManufacturerID(dtLabel, QStringLiteral("Avery"),
                                                                        QLatin1String(s.id));
    ASSERT_TRUE(sheet) << s.id;
    EXPECT_EQ(sheet->PageSize(), QStringLiteral("A4"));
    EXPECT_EQ(sheet->Units(), cuMillimeters);
    EXPECT_EQ(sheet->Columns(), s.columns);
    EXPECT_EQ(sheet->Rows(), s.rows);
    EXPECT_NEAR(sheet->ItemWidth(), s.width * kMm, 0.01);
    EXPECT_NEAR(sheet->ItemHeight(), s.height * kMm, 0.01);
    EXPECT_NEAR(sheet->getLeftMargin(), s.left * kMm, 0.01);
    EXPECT_NEAR(sheet->getTopMargin(), s.top * kMm, 0.01);
    EXPECT_NEAR(sheet->getHSpace(), s.gap * kMm, 0.01);
    const double across = 2.0 * s.left + s.columns * s.width + (s.columns - 1) * s.gap;
    EXPECT_NEAR(across, 210.0, 0.1);
}

INSTANTIATE_TEST_SUITE_P(Cases, ShippedA4Sheets,
                         ::testing::Values(A4Sheet {"L7160", 3, 7, 63.5f, 38.1f, 7.21f, 15.15f, 2.54f},
                                           A4Sheet {"L7162", 2, 8, 99.1f, 33.9f, 4.65f, 12.9f, 2.5f},
                                           A4Sheet {"L7163", 2, 7, 99.1f, 38.1f, 4.65f, 15.15f, 2.5f},
                                           A4Sheet {"L7165", 2, 4, 99.1f, 67.7f, 4.65f, 13.1f, 2.5f}),
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
        const float down = label->getTopMargin() + label->Rows() * label->ItemHeight()
                           + (label->Rows() - 1) * label->getVSpace();
        EXPECT_LE(across, pageWidth + 1.0f) << name.toStdString();
        EXPECT_LE(down, pageHeight + 1.0f) << name.toStdString();
        EXPECT_LE(label->getCornerRadius(), std::min(label->ItemWidth(), label->ItemHeight()) / 2.0f + 0.01f)
            << name.toStdString();
    }
    EXPECT_GE(rolls, 5);
    for (const char *category : {"Mailing Labels", "Shipping Labels", "Return Address Labels", "File Folder Labels",
                                 "Round Labels"})
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

TEST_F(ShippedCatalogueTest, OtherKindsHaveNoCatalogue)
{
    EXPECT_EQ(CATemplateFormat::predefLayouts(dtLetterhead), nullptr);
    EXPECT_EQ(CATemplateFormat::customLayouts(dtLetterhead), nullptr);
    EXPECT_EQ(CATemplateFormat::recentLayouts(dtLetterhead), nullptr);
    EXPECT_FALSE(CATemplateFormat::customPrefKey(dtLetterhead));
    EXPECT_FALSE(CATemplateFormat::recentPrefKey(-1));
    EXPECT_EQ(CATemplateFormat::findPredefLayoutManufacturerID(dtLetterhead, QStringLiteral("Avery"),
                                                               QStringLiteral("05960")),
              nullptr);
}

TEST_F(ShippedCatalogueTest, ListsAreLoadedOnceAndKept)
{
    EXPECT_EQ(CATemplateFormat::sharedPredefLayouts(dtLabel), nullptr);
    CATemplateFormat::TemplateList *first = CATemplateFormat::predefLayouts(dtLabel);
    ASSERT_TRUE(first);
    EXPECT_EQ(CATemplateFormat::sharedPredefLayouts(dtLabel), first);
    const auto entry = first->first();
    EXPECT_EQ(CATemplateFormat::predefLayouts(dtLabel)->first(), entry);
    EXPECT_EQ(CATemplateFormat::sharedPredefLayouts(dtEnvelope), nullptr);
}

} // namespace
