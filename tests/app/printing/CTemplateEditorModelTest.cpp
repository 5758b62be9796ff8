#include "app/printing/CEnvelopeEditorModel.h"
#include "app/printing/CLabelEditorModel.h"

#include "TemplateTestSupport.h"

using namespace templatetest;

namespace {

// A label-sheet template in millimetres on A4, without a grid position yet.
CATemplateFormat labelSheet(double width = 60, double height = 30, int columns = 3, int rows = 9)
{
    CATemplateFormat format;
    format.setID(u"Mine"_s);
    format.setDescription(u"My labels"_s);
    format.setPageSize(u"A4"_s);
    format.setUnits(cuMillimeters);
    format.setItemWidth(float(width * kMm));
    format.setItemHeight(float(height * kMm));
    format.setColumns(columns);
    format.setRows(rows);
    format.setCategory(u"Mailing Labels"_s);
    return format;
}

CATemplateFormat envelope()
{
    CATemplateFormat format;
    format.setID(u"C5"_s);
    format.setUnits(cuMillimeters);
    format.setItemWidth(float(229 * kMm));
    format.setItemHeight(float(162 * kMm));
    format.setDocumentType(dtEnvelope);
    return format;
}

void type(CTemplateEditorModel &model, int tag, const QString &text)
{
    model.setText(tag, text);
    EXPECT_TRUE(model.commit(tag)) << "tag " << tag << " refused " << text.toStdString();
}

} // namespace

TEST(LabelEditorPlacementTest, AutomaticPlacementCentresTheLabelsWithoutGaps)
{
    struct Case
    {
        int pageItem;
        float width;
        float height;
        int columns;
        int rows;
        float left;
        float top;
    };
    const float mm = float(kMm);
    for (const Case &c : {
             // A4 (594 x 840.96): 60 x 30 mm gives 3 x 9, about 14.775 mm and 13.336 mm.
             Case{0, 60 * mm, 30 * mm, 3, 9, (594.0f - 3 * 60 * mm) / 2, (840.96f - 9 * 30 * mm) / 2},
             // Letter (612 x 792): 2.625 x 1 in gives 3 x 11 and no top margin.
             Case{1, 189.0f, 72.0f, 3, 11, 22.5f, 0.0f},
             // Wider and taller than the page: one of each, at the edges.
             Case{0, 700.0f, 900.0f, 1, 1, 0.0f, 0.0f},
             Case{1, 612.0f, 792.0f, 1, 1, 0.0f, 0.0f},
         }) {
        SCOPED_TRACE(::testing::Message() << c.pageItem << " " << c.width << "x" << c.height);
        const auto placement = CLabelEditorModel::autoPlacement(CLabelEditorModel::pageSizeForItem(c.pageItem), c.width,
                                                                c.height);
        EXPECT_EQ(placement.columns, c.columns);
        EXPECT_EQ(placement.rows, c.rows);
        EXPECT_NEAR(placement.left, c.left, 0.001);
        EXPECT_NEAR(placement.top, c.top, 0.001);
    }
    const auto a4 = CLabelEditorModel::autoPlacement(CLabelEditorModel::pageSizeForItem(0), 60 * mm, 30 * mm);
    EXPECT_NEAR(a4.left / kMm, 14.775, 0.001);
    EXPECT_NEAR(a4.top / kMm, 13.336, 0.001);
}

TEST(LabelEditorModelTest, AutoFillsAndLocksThePlacementFieldsAndFollowsThePageSize)
{
    CLabelEditorModel model;
    model.setFormat(labelSheet(), true);
    ASSERT_TRUE(model.setAuto(true));
    EXPECT_EQ(model.text(CLabelEditorModel::ColumnsTag), u"3"_s);
    EXPECT_EQ(model.text(CLabelEditorModel::RowsTag), u"9"_s);
    EXPECT_EQ(model.text(CLabelEditorModel::LeftMarginTag), u"14.775"_s);
    EXPECT_EQ(model.text(CLabelEditorModel::TopMarginTag), u"13.336"_s);
    EXPECT_EQ(model.text(CLabelEditorModel::HSpaceTag), u"0"_s);
    for (int tag = CLabelEditorModel::ColumnsTag; tag <= CLabelEditorModel::VSpaceTag; ++tag)
        EXPECT_FALSE(model.isEnabled(tag)) << tag;
    EXPECT_EQ(model.format().Columns(), 3);
    EXPECT_EQ(model.format().Rows(), 9);

    // Letter is wider and shorter: the same counts, new margins, and the page size stored as the
    // literal.
    model.setPageSizeItem(1);
    EXPECT_EQ(model.format().PageSize(), u"Letter"_s);
    EXPECT_EQ(model.format().Rows(), 9);
    EXPECT_NEAR(model.format().getLeftMargin(), (612.0 - 3 * 60 * kMm) / 2, 0.001);
    EXPECT_NEAR(model.format().getTopMargin(), (792.0 - 9 * 30 * kMm) / 2, 0.001);

    // A new width lays the labels out again.
    type(model, CLabelEditorModel::WidthTag, u"100"_s);
    EXPECT_EQ(model.format().Columns(), 2);

    model.setAuto(false);
    for (int tag = CLabelEditorModel::ColumnsTag; tag <= CLabelEditorModel::VSpaceTag; ++tag)
        EXPECT_TRUE(model.isEnabled(tag)) << tag;
    EXPECT_EQ(model.format().Columns(), 2);
}

TEST(LabelEditorModelTest, ATemplateWithoutAGridKeepsItsCountsEmpty)
{
    CLabelEditorModel model;
    model.setFormat(labelSheet(60, 30, 0, 0), true);
    EXPECT_TRUE(model.text(CLabelEditorModel::ColumnsTag).isEmpty());
    EXPECT_FALSE(model.isEnabled(CLabelEditorModel::ColumnsTag));
    EXPECT_FALSE(model.isEnabled(CLabelEditorModel::RowsTag));
    EXPECT_TRUE(model.setAuto(true));
    EXPECT_TRUE(model.text(CLabelEditorModel::RowsTag).isEmpty());
    ASSERT_TRUE(model.save());
    EXPECT_EQ(model.format().Columns(), 0);
    EXPECT_EQ(model.format().Rows(), 0);
}

TEST(LabelEditorModelTest, TheCornerRadiusIsHeldToHalfTheShorterSide)
{
    CATemplateFormat format = labelSheet(15, 20);
    format.setCornerRadius(float(10 * kMm));
    CLabelEditorModel model;
    model.setFormat(format, false);
    // Loading already applies the limit of the 15 mm width.
    EXPECT_EQ(model.text(CLabelEditorModel::CornerRadiusTag), u"7.5"_s);
    type(model, CLabelEditorModel::HeightTag, u"12"_s);
    EXPECT_EQ(model.text(CLabelEditorModel::CornerRadiusTag), u"6"_s);
    EXPECT_NEAR(model.format().getCornerRadius(), 6 * kMm, 0.0001);
    // More than the limit is refused and changes nothing.
    model.setText(CLabelEditorModel::CornerRadiusTag, u"6.5"_s);
    EXPECT_FALSE(model.commit(CLabelEditorModel::CornerRadiusTag));
    EXPECT_NEAR(model.format().getCornerRadius(), 6 * kMm, 0.0001);
}

TEST(LabelEditorModelTest, ChangingTheUnitShowsTheSameLengthsInTheOtherUnit)
{
    CLabelEditorModel model;
    model.setFormat(labelSheet(25.4, 12.7), false);
    ASSERT_TRUE(model.changeUnits(1));
    EXPECT_EQ(model.text(CLabelEditorModel::WidthTag), u"1"_s);
    EXPECT_EQ(model.text(CLabelEditorModel::HeightTag), u"0.5"_s);
    EXPECT_EQ(model.format().Units(), cuInches);
    EXPECT_NEAR(model.format().ItemWidth(), 72.0, 0.0001);
    ASSERT_TRUE(model.save());
    EXPECT_NEAR(model.format().ItemWidth(), 72.0, 0.0001);
}

TEST(LabelEditorModelTest, BadValuesAreRefusedAndKeepTheEditorOpen)
{
    struct Case
    {
        int tag;
        QString text;
    };
    for (const Case &c : {Case{CLabelEditorModel::WidthTag, u"3.8"_s}, Case{CLabelEditorModel::HeightTag, u"abc"_s},
                          Case{CLabelEditorModel::WidthTag, QString()}, Case{CLabelEditorModel::TopMarginTag, u"-1"_s},
                          Case{CLabelEditorModel::ColumnsTag, u"0"_s}, Case{CLabelEditorModel::RowsTag, u"1e9"_s},
                          Case{CLabelEditorModel::HSpaceTag, u"1,5"_s}}) {
        SCOPED_TRACE(::testing::Message() << c.tag << " " << c.text.toStdString());
        CLabelEditorModel model;
        const CATemplateFormat original = labelSheet();
        model.setFormat(original, true);
        model.setText(c.tag, c.text);
        EXPECT_FALSE(model.commit(c.tag));
        // Neither OK, nor a change of unit, nor automatic placement gets past the bad field.
        EXPECT_FALSE(model.save());
        EXPECT_EQ(model.refusedTag(), c.tag);
        EXPECT_FALSE(model.changeUnits(1));
        EXPECT_EQ(model.format().Units(), cuMillimeters);
        EXPECT_FALSE(model.setAuto(true));
        EXPECT_FALSE(model.isAuto());
        EXPECT_EQ(model.format(), original);
    }
}

TEST(LabelEditorModelTest, SavingWritesEveryFieldAndStampsTheTemplateAsTheUsers)
{
    CLabelEditorModel model;
    const CATemplateFormat original = labelSheet();
    model.setFormat(original, true);
    model.setText(CLabelEditorModel::NameTag, u"Shelf labels"_s);
    model.setText(CLabelEditorModel::DescriptionTag, u"For the pantry"_s);
    model.setText(CLabelEditorModel::LeftMarginTag, u"7.5"_s);
    model.setText(CLabelEditorModel::VSpaceTag, u"2"_s);
    ASSERT_TRUE(model.save());
    const CATemplateFormat &saved = model.format();
    EXPECT_EQ(saved.ID(), u"Shelf labels"_s);
    EXPECT_EQ(saved.Description(), u"For the pantry"_s);
    EXPECT_EQ(saved.Manufacturer(), u"Custom"_s);
    EXPECT_NEAR(saved.getLeftMargin(), 7.5 * kMm, 0.0001);
    EXPECT_NEAR(saved.getVSpace(), 2 * kMm, 0.0001);
    // Unchanged fields keep their exact lengths, and what the editor does not show stays.
    EXPECT_EQ(saved.ItemWidth(), original.ItemWidth());
    EXPECT_EQ(saved.Category(), original.Category());
    EXPECT_TRUE(model.contextInfo());
}

TEST(LabelEditorModelTest, PageSizeIsTheLiteralLetterOrAnOldLocalizedTitleAndElseA4)
{
    struct Case
    {
        QString stored;
        int item;
        QString saved;
    };
    for (const Case &c : {Case{u"Letter"_s, 1, u"Letter"_s}, Case{u"A4"_s, 0, u"A4"_s}, Case{u"A5"_s, 0, u"A4"_s},
                          Case{QString(), 0, u"A4"_s}}) {
        SCOPED_TRACE(c.stored.toStdString());
        CATemplateFormat format = labelSheet();
        format.setPageSize(c.stored);
        CLabelEditorModel model;
        model.setFormat(format, false);
        EXPECT_EQ(model.pageSizeItem(), c.item);
        ASSERT_TRUE(model.save());
        EXPECT_EQ(model.format().PageSize(), c.saved);
    }
}

TEST(EnvelopeEditorModelTest, NegativeWindowSizesAndOffsetsAreRefused)
{
    for (int tag : {int(CEnvelopeEditorModel::WinWidthTag), int(CEnvelopeEditorModel::WinHeightTag),
                    int(CEnvelopeEditorModel::WinBottomOffsetTag), int(CEnvelopeEditorModel::WinLeftOffsetTag)}) {
        SCOPED_TRACE(tag);
        CATemplateFormat format = envelope();
        format.setHasWindow(true);
        CEnvelopeEditorModel model;
        model.setFormat(format, false);
        model.setText(tag, u"-5"_s);
        EXPECT_FALSE(model.commit(tag));
        EXPECT_FALSE(model.save());
        EXPECT_EQ(model.format(), format);
        // Zero is a length.
        model.setText(tag, u"0"_s);
        EXPECT_TRUE(model.save());
    }
}

TEST(EnvelopeEditorModelTest, AWindowKeepsItsFractionsAndItsMeasurementsWhenSwitchedOff)
{
    CEnvelopeEditorModel model;
    model.setFormat(envelope(), true);
    EXPECT_FALSE(model.isEnabled(CEnvelopeEditorModel::WinWidthTag));
    model.setWindowEnabled(true);
    EXPECT_TRUE(model.isEnabled(CEnvelopeEditorModel::WinWidthTag));
    type(model, CEnvelopeEditorModel::WinWidthTag, u"101.5"_s);
    type(model, CEnvelopeEditorModel::WinHeightTag, u"38.5"_s);
    EXPECT_FLOAT_EQ(model.format().getWinWidth(), float(101.5 * 2.8346457));
    EXPECT_FLOAT_EQ(model.format().getWinHeight(), float(38.5 * 2.8346457));

    model.setWindowEnabled(false);
    ASSERT_TRUE(model.save());
    EXPECT_FALSE(model.format().hasWindow());
    EXPECT_FLOAT_EQ(model.format().getWinWidth(), float(101.5 * 2.8346457));
    EXPECT_EQ(model.format().Manufacturer(), u"Custom"_s);
}

TEST(EnvelopeEditorModelTest, ARefusedWindowValueIsDroppedWhenTheWindowIsSwitchedOff)
{
    CATemplateFormat format = envelope();
    format.setHasWindow(true);
    CEnvelopeEditorModel model;
    model.setFormat(format, false);
    model.setText(CEnvelopeEditorModel::WinLeftOffsetTag, u"-3"_s);
    EXPECT_FALSE(model.save());
    model.setWindowEnabled(false);
    EXPECT_TRUE(model.save());
    EXPECT_EQ(model.format().getWinLeftOffset(), format.getWinLeftOffset());
}

TEST(EnvelopeEditorModelTest, TheCallersTemplateIsNeverChanged)
{
    const CATemplateFormat format = envelope();
    CATemplateFormat given = format;
    CEnvelopeEditorModel model;
    model.setFormat(given, false);
    type(model, CEnvelopeEditorModel::WidthTag, u"250"_s);
    model.changeUnits(1);
    ASSERT_TRUE(model.save());
    EXPECT_EQ(given, format);
    EXPECT_NEAR(model.format().ItemWidth(), 250 * kMm, 0.001);
}

// The numbers a refused field names are taken when typed, in either unit, for a label's and an
// envelope's every measured field, with a corner radius whose top falls between two shown numbers.
TEST(TemplateEditorNamedRangeTest, BothEndsNamedToTheUserAreTaken)
{
    CLabelEditorModel label;
    // 25 by 25.0005 mm: the corner radius may reach 12.5 mm.
    label.setFormat(labelSheet(25, 25.0005), true);
    EXPECT_EQ(label.shownRange(CLabelEditorModel::CornerRadiusTag)->second, u"12.5"_s);
    CEnvelopeEditorModel envelopeModel;
    envelopeModel.setFormat(envelope(), true);
    for (CTemplateEditorModel *model : {static_cast<CTemplateEditorModel *>(&label), static_cast<CTemplateEditorModel *>(&envelopeModel)}) {
        for (int item : {0, 1}) {
            ASSERT_TRUE(model->changeUnits(item));
            for (int tag : model->tags()) {
                const auto named = model->shownRange(tag);
                if (!named)
                    continue;
                SCOPED_TRACE(::testing::Message() << "unit " << item << ", tag " << tag << ": " << named->first.toStdString()
                                                  << " to " << named->second.toStdString());
                EXPECT_TRUE(model->isAcceptableText(tag, named->first));
                EXPECT_TRUE(model->isAcceptableText(tag, named->second));
                // Nothing past the top is taken: the top named is the last one the field shows.
                const double step = item == 0 ? 0.001 : 0.0001;
                EXPECT_FALSE(model->isAcceptableText(tag, QString::number(named->second.toDouble() + step, 'f', item == 0 ? 3 : 4)));
            }
        }
    }
}
