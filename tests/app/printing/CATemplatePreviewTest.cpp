#include "app/printing/CATemplatePreview.h"

#include "ReferenceImage.h"
#include "TemplateTestSupport.h"

using namespace templatetest;

namespace {

// 2.625 x 1 in labels, 3 by 10 on Letter: the common address sheet.
CATemplateFormat letterSheet()
{
    CATemplateFormat format;
    format.setPageSize(u"Letter"_s);
    format.setItemWidth(189.0f);
    format.setItemHeight(72.0f);
    format.setCornerRadius(9.0f);
    format.setColumns(3);
    format.setRows(10);
    format.setTopMargin(36.0f);
    format.setLeftMargin(13.5f);
    format.setHSpace(9.0f);
    return format;
}

// 70 x 37 mm labels, 3 by 8 on A4, edge to edge.
CATemplateFormat a4Sheet()
{
    CATemplateFormat format;
    format.setPageSize(u"A4"_s);
    format.setItemWidth(float(70 * kMm));
    format.setItemHeight(float(37 * kMm));
    format.setColumns(3);
    format.setRows(8);
    format.setTopMargin(float(0.5 * kMm));
    return format;
}

CATemplateFormat windowEnvelope()
{
    CATemplateFormat format;
    format.setItemWidth(684.0f);
    format.setItemHeight(297.0f);
    format.setHasWindow(true);
    format.setWinWidth(324.0f);
    format.setWinHeight(81.0f);
    format.setWinBottomOffset(36.0f);
    format.setWinLeftOffset(63.0f);
    return format;
}

CATemplateFormat roll()
{
    CATemplateFormat format;
    format.setPageSize(u"Label Roll"_s);
    format.setItemWidth(79.0f);
    format.setItemHeight(252.0f);
    format.setCornerRadius(6.0f);
    return format;
}

CATemplateFormat postcard()
{
    CATemplateFormat format;
    format.setItemWidth(432.0f);
    format.setItemHeight(288.0f);
    return format;
}

const QSizeF kRoom(220, 260);

} // namespace

TEST(TemplatePreviewTest, PicturesMatchTheirReferences)
{
    struct Case
    {
        const char *name;
        QImage image;
    };
    const Case cases[] = {
        {"template-preview-letter-sheet", CATemplatePreview::drawForKind(dtLabel, letterSheet(), kRoom, false)},
        {"template-preview-a4-sheet", CATemplatePreview::drawForKind(dtLabel, a4Sheet(), kRoom, false)},
        {"template-preview-envelope-window", CATemplatePreview::drawForKind(dtEnvelope, windowEnvelope(), kRoom, true)},
        {"template-preview-roll", CATemplatePreview::drawForKind(dtLabel, roll(), kRoom, false)},
        {"template-preview-postcard", CATemplatePreview::drawForKind(dtPostcard, postcard(), kRoom, false)},
        {"template-editor-label-sheet", CATemplatePreview::drawLabelEditorSheet(a4Sheet(), false, 260)},
        {"template-editor-envelope", CATemplatePreview::drawEnvelopeEditor(windowEnvelope(), QSizeF(300, 220))},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.image.isNull());
        EXPECT_TRUE(drawtest::matchesReference(c.image, QString::fromLatin1(c.name)));
    }
}

TEST(TemplatePreviewTest, LetterPagesAreEightAndAHalfByElevenAndAllOthersNarrower)
{
    const QImage letter = CATemplatePreview::drawLabel(letterSheet(), kRoom);
    const QImage a4 = CATemplatePreview::drawLabel(a4Sheet(), kRoom);
    // Both fill the room's height; the A4 page is the narrower.
    EXPECT_EQ(letter.height(), 260);
    EXPECT_EQ(a4.height(), 260);
    EXPECT_EQ(letter.width(), int(8.5 * (260 / 11.0)));
    EXPECT_EQ(a4.width(), int(8.25 * (260 / 11.68)));
    // A postcard sheet with a grid is drawn as a sheet too.
    CATemplateFormat sheet = a4Sheet();
    EXPECT_EQ(CATemplatePreview::drawForKind(dtPostcard, sheet, kRoom, false).size(), a4.size());
    // A single postcard lies turned: its picture is taller than wide.
    const QImage card = CATemplatePreview::drawForKind(dtPostcard, postcard(), kRoom, false);
    EXPECT_GT(card.height(), card.width());
}

TEST(TemplatePreviewTest, TheWindowIsDrawnOnlyWhenAskedFor)
{
    const QImage with = CATemplatePreview::drawEnvelope(windowEnvelope(), kRoom, true);
    const QImage without = CATemplatePreview::drawEnvelope(windowEnvelope(), kRoom, false);
    ASSERT_EQ(with.size(), without.size());
    // The envelope fills the room's width; the window's centre in picture units.
    const double s = kRoom.width() / 684.0;
    const QPoint centre(int((63 + 162) * s), int((297 - 81 - 36 + 40.5) * s));
    EXPECT_EQ(with.pixelColor(centre), QColor(230, 240, 255));
    EXPECT_EQ(without.pixelColor(centre), QColor(Qt::white));
}

TEST(TemplatePreviewTest, SharperAtAHigherPixelRatioAndNothingWithoutASize)
{
    const QImage twice = CATemplatePreview::drawLabel(letterSheet(), kRoom, 2.0);
    EXPECT_EQ(twice.deviceIndependentSize().toSize(), CATemplatePreview::drawLabel(letterSheet(), kRoom).size());
    EXPECT_EQ(twice.height(), 520);
    EXPECT_TRUE(CATemplatePreview::drawEnvelope(CATemplateFormat(), kRoom, true).isNull());
    EXPECT_TRUE(CATemplatePreview::drawEnvelopeEditor(CATemplateFormat(), kRoom).isNull());
}

TEST(TemplatePreviewTest, LetterIsRecognizedByItsLiteralAndByAnOldLocalizedTitle)
{
    EXPECT_TRUE(CATemplatePreview::isLetterPageSize(u"Letter"_s, u"Lettre"_s));
    EXPECT_TRUE(CATemplatePreview::isLetterPageSize(u"Lettre"_s, u"Lettre"_s));
    EXPECT_FALSE(CATemplatePreview::isLetterPageSize(u"A4"_s, u"Lettre"_s));
    EXPECT_FALSE(CATemplatePreview::isLetterPageSize(QString(), QString()));
    EXPECT_FALSE(CATemplatePreview::isLetterPageSize(u"letter"_s, u"Letter"_s));
}
