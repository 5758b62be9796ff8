// The block model of flowing text: linked blocks in container order over one shared storage, the
// inset rule, and the attribute commands whose stored values must read back.
#include "kernel/text/CDDTextBlock.h"

#include "kernel/base/CDDColor.h"
#include "kernel/text/CCBlockLayoutManager.h"
#include "kernel/text/CCTextExtContainer.h"
#include "kernel/text/CCTextView.h"
#include "platform/PWTextAttributes.h"

#include <QFont>
#include <QImage>
#include <QTextDocument>
#include <QTextLayout>

#include <cmath>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

PWAttributedString lines(const QString &text, double size = 12.0)
{
    QTextCharFormat format;
    format.setFontFamilies({u"DejaVu Sans"_s});
    format.setFontPointSize(size);
    return PWAttributedString(text, format);
}

QTextCharFormat tagged(int tag)
{
    QTextCharFormat format;
    format.setFontFamilies({u"DejaVu Sans"_s});
    format.setFontPointSize(12.0);
    if (tag)
        format.setProperty(PWTextAttributes::CustomAttributes, QVariantMap {{u"FTTextTag"_s, tag}});
    return format;
}

TEST(CDDTextBlockTest, ABlockOfItsOwnGetsTheDefaultContainerAndNoHyphenation)
{
    CDDTextBlock block;
    block.setLayoutManager(nullptr, 0);
    ASSERT_NE(block.getContainer(), nullptr);
    EXPECT_EQ(block.getContainer()->containerSize(), QSizeF(240, 180));
    EXPECT_TRUE(block.getContents()->isEmpty());
    EXPECT_FALSE(block.IsHyphenation());
    EXPECT_TRUE(block.isEmpty());
}

TEST(CDDTextBlockTest, LinkedBlocksStandInJoiningOrderAndAFrontBlockGoesFirst)
{
    CDDTextBlock first;
    first.setLayoutManager(nullptr, 0);
    const auto manager = first.getLayoutManager();
    CDDTextBlock second;
    second.setLayoutManager(manager, 0);
    CDDTextBlock third;
    third.setLayoutManager(manager, 0);
    CDDTextBlock front;
    front.setLayoutManager(manager, 1);
    const std::vector<CCTextExtContainer *> expected = {front.getContainer(), first.getContainer(),
                                                        second.getContainer(), third.getContainer()};
    EXPECT_EQ(manager->textContainers(), expected);
}

TEST(CDDTextBlockTest, TheSharedStorageGoesOnceWithTheLastBlock)
{
    std::weak_ptr<CCBlockLayoutManager> watched;
    auto first = std::make_unique<CDDTextBlock>();
    first->setLayoutManager(nullptr, 0);
    watched = first->getLayoutManager();
    auto second = std::make_unique<CDDTextBlock>();
    second->setLayoutManager(first->getLayoutManager(), 0);
    second->setAttributedString(lines(u"kept"_s));
    first.reset();
    ASSERT_FALSE(watched.expired()) << "the first block's going must not release the shared text";
    EXPECT_EQ(second->getContents()->toPlainText(), u"kept"_s);
    EXPECT_EQ(watched.lock()->textContainers().size(), 1u);
    second.reset();
    EXPECT_TRUE(watched.expired());
}

TEST(CDDTextBlockTest, TextFlowsFromBlockToBlockAndOverflowsPastTheLast)
{
    CDDTextBlock first;
    first.setLayoutManager(nullptr, 0);
    CDDTextBlock second;
    second.setLayoutManager(first.getLayoutManager(), 0);
    first.setAttributedString(lines(u"one\ntwo\nthree\nfour\nfive"_s));
    // Room for two lines of 12 points in each block.
    first.invalidateLayout(nullptr, 0, 0, 200, 36, 0);
    second.invalidateLayout(nullptr, 0, 100, 200, 36, 0);
    EXPECT_EQ(first.getContainerText().string(), u"one\ntwo\n"_s);
    EXPECT_EQ(second.getContainerText().string(), u"three\nfour\n"_s);
    EXPECT_EQ(first.getContainerTextLength(), 8);
    EXPECT_EQ(second.getContainerTextLength(), 19);
    EXPECT_FALSE(first.showsOverflow());
    EXPECT_TRUE(second.showsOverflow());
}

// Lines follow one another the font's own height apart, not a height rounded up to whole points.
TEST(CDDTextBlockTest, LinesStandTheFontsOwnHeightApart)
{
    constexpr double kSize = 13.0;
    QFont font(u"DejaVu Sans"_s);
    font.setPointSizeF(kSize);
    // Measured in hundredths of a point.
    QImage fine(1, 1, QImage::Format_ARGB32_Premultiplied);
    fine.setDotsPerMeterX(qRound(7200.0 / 0.0254));
    fine.setDotsPerMeterY(qRound(7200.0 / 0.0254));
    QTextLayout probe(u"one"_s, font, &fine);
    probe.beginLayout();
    const QTextLine line = probe.createLine();
    probe.endLayout();
    const double height = line.height() / 100.0;
    ASSERT_GT(std::abs(height - std::round(height)), 0.05) << "a font whose height is no whole number of points: " << height;

    CDDTextBlock block;
    block.setLayoutManager(nullptr, 0);
    block.setAttributedString(lines(u"one\ntwo\nthree"_s, kSize));
    block.invalidateLayout(nullptr, 0, 0, 200, 300, 0);
    const std::vector<CCBlockLayoutManager::Line> found =
        block.getLayoutManager()->linesForTextContainer(block.getContainer());
    ASSERT_EQ(found.size(), 3u);
    EXPECT_NEAR(found[1].origin.y() - found[0].origin.y(), height, 0.05);
    EXPECT_NEAR(found[2].origin.y() - found[1].origin.y(), height, 0.05);
    EXPECT_NEAR(found[1].ascent, found[0].ascent, 1e-9);
}

struct InsetCase
{
    const char *name;
    double inset;
    double height;
    bool always;
    QRectF expected;
};

class CDDTextBlockInsetTest : public testing::TestWithParam<InsetCase>
{
};

TEST_P(CDDTextBlockInsetTest, TextAreaOfTheFrame)
{
    const InsetCase &c = GetParam();
    EXPECT_EQ(CDDTextBlock::textArea(c.inset, 5, 20, 100, c.height, c.always), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CDDTextBlockInsetTest,
    testing::Values(InsetCase {"NotMoreThanThreeInsets", 10, 30, false, {5, 35, 100, 15}},
                    InsetCase {"MoreThanThreeInsets", 10, 31, false, {5, 30, 100, 11}},
                    InsetCase {"NoInset", 0, 30, false, {5, 20, 100, 30}},
                    InsetCase {"EditingWithNoInsetAndNoHeight", 0, 0, true, {5, 20, 100, 0}}),
    [](const testing::TestParamInfo<InsetCase> &info) { return std::string(info.param.name); });

TEST(CDDTextBlockTest, InvalidateLayoutAppliesTheInsetToTheContainer)
{
    CDDTextBlock block;
    block.setLayoutManager(nullptr, 0);
    block.SetInsetOffset(10);
    block.invalidateLayout(nullptr, 0, 40, 100, 31, 0.25);
    EXPECT_EQ(block.getContainer()->containerSize(), QSizeF(100, 11));
    EXPECT_DOUBLE_EQ(block.getContainer()->getOriginY(), 50.0);
    EXPECT_DOUBLE_EQ(block.getContainer()->getAngle(), 0.25);
    EXPECT_DOUBLE_EQ(block.GetInsetOffset(), 10.0);
}

struct SpacingCase
{
    const char *name;
    paragraphSpacingType type;
};

class CDDTextBlockSpacingTest : public testing::TestWithParam<SpacingCase>
{
};

TEST_P(CDDTextBlockSpacingTest, EveryTypeReadsBackWhatWasSet)
{
    CDDTextBlock block;
    block.setLayoutManager(nullptr, 0);
    block.setAttributedString(lines(u"a\nb"_s));
    block.SetParagraphSpacing(GetParam().type, 6.0f);
    EXPECT_FLOAT_EQ(block.GetParagraphSpacing(GetParam().type), 6.0f);
    for (paragraphSpacingType other : {pstLine, pstBeforeParagraph, pstAfterParagraph}) {
        if (other != GetParam().type) {
            EXPECT_FLOAT_EQ(block.GetParagraphSpacing(other), 0.0f);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CDDTextBlockSpacingTest,
                         testing::Values(SpacingCase {"Line", pstLine}, SpacingCase {"Before", pstBeforeParagraph},
                                         SpacingCase {"After", pstAfterParagraph}),
                         [](const testing::TestParamInfo<SpacingCase> &info) { return std::string(info.param.name); });

TEST(CDDTextBlockTest, HyphenationIsSetToWhatTheArgumentSays)
{
    CDDTextBlock block;
    block.setLayoutManager(nullptr, 0);
    block.SetHyphenation(true);
    EXPECT_TRUE(block.IsHyphenation());
    block.SetHyphenation(true);
    EXPECT_TRUE(block.IsHyphenation()) << "a second 'on' must not switch it off";
    block.SetHyphenation(false);
    EXPECT_FALSE(block.IsHyphenation());
    block.getLayoutManager()->setHyphenationFactor(0.04);
    EXPECT_FALSE(block.IsHyphenation());
    block.getLayoutManager()->setHyphenationFactor(0.05);
    EXPECT_TRUE(block.IsHyphenation());
}

TEST(CDDTextBlockTest, DataFieldsAreCountedInOrderOfFirstAppearance)
{
    CDDTextBlock block;
    block.setLayoutManager(nullptr, 0);
    PWAttributedString text;
    text.append(u"x"_s, tagged(0));
    text.append(u"AAA"_s, tagged(5));
    text.append(u" "_s, tagged(0));
    text.append(u"BB"_s, tagged(3));
    text.append(u" "_s, tagged(0));
    text.append(u"A"_s, tagged(5));
    block.setAttributedString(text);
    EXPECT_EQ(block.numberOfDataFields(), 2);
    EXPECT_EQ(block.containDataFields(), std::optional<QStringList>(QStringList {u"5"_s, u"3"_s}));
}

TEST(CDDTextBlockTest, HighlightedFieldTakesTheColourAlone)
{
    CDDTextBlock block;
    block.setLayoutManager(nullptr, 0);
    PWAttributedString text;
    text.append(u"Dear "_s, tagged(0));
    text.append(u"NAME"_s, tagged(3));
    text.append(u", hello "_s, tagged(0));
    text.append(u"NAME"_s, tagged(3));
    block.setAttributedString(text);
    block.SetHighlightedDataField(3);
    block.setTextColor(CDDColor(1.0f, 0.0f, 0.0f, 1.0f));
    const PWAttributedString after = *block.getAttributedString();
    EXPECT_EQ(after.charFormatAt(5).foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(after.charFormatAt(17).foreground().color(), QColor(255, 0, 0));
    EXPECT_FALSE(after.charFormatAt(0).hasProperty(QTextFormat::ForegroundBrush));
}

TEST(CDDTextBlockTest, BaselineStepsAndUnderlineToggle)
{
    CDDTextBlock block;
    block.setLayoutManager(nullptr, 0);
    PWAttributedString text;
    QTextCharFormat raised = tagged(0);
    raised.setProperty(PWTextAttributes::BaselineOffset, 2.0);
    raised.setUnderlineStyle(QTextCharFormat::SingleUnderline);
    text.append(u"ab"_s, raised);
    text.append(u"cd"_s, tagged(0));
    block.setAttributedString(text);
    block.raiseBaseline();
    PWAttributedString after = *block.getAttributedString();
    EXPECT_NEAR(after.charFormatAt(0).doubleProperty(PWTextAttributes::BaselineOffset), 2.1, 1e-6);
    EXPECT_NEAR(after.charFormatAt(3).doubleProperty(PWTextAttributes::BaselineOffset), 0.1, 1e-6);
    block.lowerBaseline();
    block.underline();
    after = *block.getAttributedString();
    EXPECT_NEAR(after.charFormatAt(3).doubleProperty(PWTextAttributes::BaselineOffset), 0.0, 1e-6);
    EXPECT_EQ(after.charFormatAt(3).underlineStyle(), QTextCharFormat::NoUnderline);
    EXPECT_EQ(after.charFormatAt(0).underlineStyle(), QTextCharFormat::NoUnderline);
}

TEST(CDDTextBlockTest, ParagraphRangesIncludeTheirLineEnds)
{
    CDDTextBlock block;
    block.setLayoutManager(nullptr, 0);
    block.setAttributedString(lines(u"ab\ncd\nef"_s));
    using R = CCTextStorage::Range;
    EXPECT_EQ(block.paragraphsRangeForRange({1, 3}), (std::vector<R> {{0, 3}, {3, 3}}));
    EXPECT_EQ(block.paragraphsRangeForRange({8, 0}), (std::vector<R> {{6, 2}}));
    EXPECT_EQ(block.paragraphsForRange({4, 0}).front().string(), u"cd\n"_s);
}

TEST(CDDTextBlockTest, SetStringLeavesAnEqualTextAlone)
{
    CDDTextBlock block;
    block.setLayoutManager(nullptr, 0);
    block.setAttributedString(lines(u"same"_s, 20.0));
    block.setString(u"same"_s, nullptr);
    EXPECT_DOUBLE_EQ(block.getAttributedString()->charFormatAt(0).fontPointSize(), 20.0);
    block.setString(u"other"_s, nullptr);
    EXPECT_EQ(block.getContents()->toPlainText(), u"other"_s);
}

} // namespace
