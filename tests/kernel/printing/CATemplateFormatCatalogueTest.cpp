#include "CatalogueTestSupport.h"

#include "platform/PWPlist.h"

#include <QSet>

namespace {

TEST(CatalogueParseTest, WidthTextGivesPointsAndTheTemplateUnit)
{
    // A "m" anywhere means millimetres, so centimetres read as millimetres.
    for (const auto &[text, points, units] : {std::tuple {"2.625", 189.0f, cuInches}, {"66.7mm", 66.7f * kMm, cuMillimeters},
                                              {"2cm", 2.0f * kMm, cuMillimeters}, {"\n  66.7 mm\n  ", 66.7f * kMm, cuMillimeters},
                                              {"-1", 0.0f, cuInches}, {"1 2", 72.0f, cuInches}}) {
        const CATemplateFormat format = readOne(QByteArray("<LabelWidth>") + text + "</LabelWidth>");
        EXPECT_NEAR(format.ItemWidth(), points, 1e-3) << text;
        EXPECT_EQ(format.Units(), units) << text;
    }
    // Only the width sets the unit.
    const CATemplateFormat format = readOne("<LabelWidth>3.5</LabelWidth><LabelHeight>38.1mm</LabelHeight>");
    EXPECT_EQ(lengths(format).left(13) + QString::number(format.Units()), QStringLiteral("252.00 108.00") + QString::number(cuInches));
    const CATemplateFormat envelope = readOne("<EnvelopeHeight>4</EnvelopeHeight><EnvelopeWidth>220mm</EnvelopeWidth>", dtEnvelope);
    EXPECT_EQ(envelope.Units(), cuMillimeters);
    EXPECT_FLOAT_EQ(envelope.ItemHeight(), 288.0f);
}

TEST(CatalogueParseTest, AnyWindowLengthTurnsTheWindowOn)
{
    for (const char *key : {"WinWidth", "WinHeight", "WinBottomOffset", "WinLeftOffset"}) {
        const QByteArray element(key);
        EXPECT_TRUE(readOne("<" + element + ">1</" + element + ">").hasWindow()) << key;
    }
    EXPECT_FALSE(readOne("<LabelWidth>1</LabelWidth>").hasWindow());
}

TEST(CatalogueParseTest, EveryFieldIsRead)
{
    const CATemplateFormat f = readOne(kEveryField);
    EXPECT_EQ(QStringList({f.Manufacturer(), f.Category(), f.Type(), f.Description(), f.PageSize(), f.ID(), *f.sizeGroup()}).join(u'|'),
              QStringLiteral("Maker|Shipping Labels|Laser|Big & bold|A4|L1|Shipping4"));
    EXPECT_EQ(QList<int>({f.Columns(), f.Rows(), f.Units(), f.isPredef(), f.getDocumentType()}), QList<int>({2, 5, cuMillimeters, 1, dtLabel}));
    // Millimetres first, then inches.
    EXPECT_EQ(lengths(f),
              QStringLiteral("280.91 161.57 8.50 255.12 141.73 17.01 13.18 7.09 2.83 72.00 144.00 216.00 288.00 360.00 "
                             "432.00 36.00 18.00"));
}

TEST(CatalogueParseTest, KeysIgnoreCaseAndNameIsTheID)
{
    const CATemplateFormat f = readOne("<name>Monarch</name><ENVELOPEWIDTH>7.5</ENVELOPEWIDTH><columns>2</columns><hspace>0.25</hspace>", dtEnvelope);
    EXPECT_EQ(QStringLiteral("%1 %2 %3 %4 %5").arg(f.ID()).arg(f.ItemWidth()).arg(f.Columns()).arg(f.getHSpace()).arg(f.getDocumentType()),
              QStringLiteral("Monarch 540 2 18 %1").arg(dtEnvelope));
}

TEST(CatalogueParseTest, IntegersReadLikeAtoiAndALaterKeyWinsAndUnknownOrEmptyOnesChangeNothing)
{
    EXPECT_EQ(QList<int>({readOne("<Columns> 12abc</Columns>").Columns(), readOne("<Columns>-3</Columns>").Columns(),
                          readOne("<Columns>x3</Columns>").Columns()}), QList<int>({12, -3, 0}));
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
    ASSERT_TRUE(list && list->size() == 2);
    EXPECT_EQ(list->at(0)->ID() + list->at(1)->ID(), QStringLiteral("12"));
    EXPECT_EQ(list->at(1)->getDocumentType(), dtPostcard);
}

TEST(CatalogueParseTest, MalformedBytesGiveNothingAndAReason)
{
    for (const char *bytes : {"", "<?xml version=\"1.0\"?>", "<Labels><Label><ID>1</ID></Label>", "<Labels><Label><ID>1</Label></ID></Labels>",
                              "<Labels/><Labels/>", "\x01\x02\xff\xfe", "<Labels><L><ID>&bogus;</ID></L></Labels>"}) {
        QString error;
        EXPECT_FALSE(CATemplateFormat::readCatalogue(QByteArray(bytes), dtLabel, &error)) << bytes;
        EXPECT_FALSE(error.isEmpty()) << bytes;
    }
}

TEST(CatalogueParseTest, DeepNestingIsPassedOverWithoutHarm)
{
    const QByteArray deep = QByteArray("<x>").repeated(5000) + "9" + QByteArray("</x>").repeated(5000);
    const auto list = CATemplateFormat::readCatalogue(catalogue("<T><ID>1</ID><Rows>" + deep + "</Rows></T>"), dtLabel);
    ASSERT_TRUE(list && list->size() == 1);
    EXPECT_EQ(list->first()->Rows(), 0);
}

using ShippedCatalogueTest = CatalogueTest;

TEST_F(ShippedCatalogueTest, EverySheetFitsItsPageAndEveryRollIsARoll)
{
    const CATemplateFormat::TemplateList *labels = CATemplateFormat::predefLayouts(dtLabel);
    ASSERT_TRUE(labels);
    EXPECT_GT(labels->size(), 500);
    QSet<QString> names;
    int rolls = 0;
    for (const auto &label : *labels) {
        const std::string name = (label->Manufacturer() + QLatin1Char('/') + label->ID()).toStdString();
        EXPECT_FALSE(names.contains(QString::fromStdString(name))) << "twice: " << name;
        names.insert(QString::fromStdString(name));
        EXPECT_TRUE(label->ItemWidth() > 0.0f && label->ItemHeight() > 0.0f) << name;
        if (label->isLabelRoll()) {
            ++rolls;
            EXPECT_TRUE(label->ItemWidth() >= label->ItemHeight() && label->getDYMOOffsetX() > 0.0f && label->getDYMOOffsetY() > 0.0f
                        && label->getDYMOPaperWidth() > 0.0f) << name;
            continue;
        }
        ASSERT_TRUE(label->PageSize() == QLatin1String("Letter") || label->PageSize() == QLatin1String("A4")) << name;
        const bool letter = label->PageSize() == QLatin1String("Letter");
        EXPECT_TRUE(label->Columns() >= 1 && label->Rows() >= 1) << name;
        const float across = label->getLeftMargin() + label->Columns() * label->ItemWidth() + (label->Columns() - 1) * label->getHSpace();
        const float down = label->getTopMargin() + label->Rows() * label->ItemHeight() + (label->Rows() - 1) * label->getVSpace();
        EXPECT_TRUE(across <= (letter ? 612.0f : 595.28f) + 1.0f && down <= (letter ? 792.0f : 841.89f) + 1.0f) << name;
        EXPECT_LE(label->getCornerRadius(), std::min(label->ItemWidth(), label->ItemHeight()) / 2.0f + 0.01f) << name;
    }
    EXPECT_GE(rolls, 5);
}

} // namespace
