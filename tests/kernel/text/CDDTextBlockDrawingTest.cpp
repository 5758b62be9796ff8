// A text block drawn, hit and edited in place: background and frame, the text (also while it is
// edited), the overflow marker of the last block, and the editor's frame and turn.
#include "kernel/text/CDDTextBlock.h"

#include "kernel/base/CDDColor.h"
#include "kernel/render/CDDDrawer.h"
#include "kernel/text/CCTextView.h"

#include <QImage>
#include <QPainter>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <numbers>

using namespace Qt::StringLiterals;

namespace {

PWAttributedString words(const QString &text)
{
    QTextCharFormat format;
    format.setFontFamilies({u"DejaVu Sans"_s});
    format.setFontPointSize(12.0);
    format.setForeground(Qt::black);
    return PWAttributedString(text, format);
}

struct Counts
{
    int red = 0;   // the overflow marker's cross
    int black = 0; // glyphs
    int yellow = 0; // background
};

Counts countColours(const QImage &image)
{
    Counts counts;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 180 && c.green() < 90 && c.blue() < 90)
                ++counts.red;
            else if (c.red() < 60 && c.green() < 60 && c.blue() < 60)
                ++counts.black;
            else if (c.red() > 200 && c.green() > 200 && c.blue() < 60)
                ++counts.yellow;
        }
    }
    return counts;
}

struct DrawCase
{
    const char *name;
    const char *text;
    bool editing;
    bool secondBlock; // a second block follows in the chain, so this one is not the last
    bool fill;
    bool withColour;
    bool marker;
    bool glyphs;
    bool background;
};

class CDDTextBlockDrawTest : public testing::TestWithParam<DrawCase>
{
};

// A 100 by 40 block at (20, 20); a long text overflows it.
TEST_P(CDDTextBlockDrawTest, WhatABlockShows)
{
    const DrawCase &c = GetParam();
    CDDTextBlock block;
    block.setLayoutManager(nullptr, 0);
    CDDTextBlock next;
    if (c.secondBlock)
        next.setLayoutManager(block.getLayoutManager(), 0);
    block.setAttributedString(words(QString::fromUtf8(c.text)));
    block.invalidateLayout(nullptr, 20, 20, 100, 40, 0);
    if (c.editing)
        block.startEditing(20, 20, 100, 40, 0, true, !c.secondBlock);
    QImage image(160, 90, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        CDDDrawer drawer(true, &painter);
        const CDDColor yellow(1.0f, 1.0f, 0.0f, 1.0f);
        block.draw(20, 20, 100, 40, false, c.fill, c.withColour ? &yellow : nullptr, taLeft, &drawer, 0.0, nullptr,
                   nullptr);
    }
    const Counts counts = countColours(image);
    EXPECT_EQ(counts.red > 0, c.marker);
    EXPECT_EQ(counts.black > 20, c.glyphs);
    EXPECT_EQ(counts.yellow > 1000, c.background);
}

const char *const kLong = "one two three four five six seven eight nine ten eleven twelve thirteen fourteen";

INSTANTIATE_TEST_SUITE_P(
    Cases, CDDTextBlockDrawTest,
    testing::Values(DrawCase {"Plain", "short", false, false, false, false, false, true, false},
                    DrawCase {"FilledWithoutAColourDrawsNoBackground", "short", false, false, true, false, false, true,
                              false},
                    DrawCase {"Filled", "short", false, false, true, true, false, true, true},
                    DrawCase {"OverflowingNotEditedHasNoMarker", kLong, false, false, false, false, false, true, false},
                    DrawCase {"OverflowingEditedLastBlockHasTheMarker", kLong, true, false, false, false, true, true,
                              false},
                    DrawCase {"OverflowingEditedFirstOfTwoHasNoMarker", kLong, true, true, false, false, false, true,
                              false},
                    DrawCase {"EditedShowsItsText", "short", true, false, false, false, false, true, false},
                    DrawCase {"EmptyShowsNothing", "", false, false, false, false, false, false, false}),
    [](const testing::TestParamInfo<DrawCase> &info) { return std::string(info.param.name); });

TEST(CDDTextBlockDrawingTest, OnlyTheGlyphsAreHitNotTheEmptyFrameBelowThem)
{
    CDDTextBlock block;
    block.setLayoutManager(nullptr, 0);
    EXPECT_FALSE(block.hitPoint(5, 5)) << "no text";
    block.setAttributedString(words(u"hello"_s));
    block.invalidateLayout(nullptr, 0, 0, 200, 100, 0);
    EXPECT_TRUE(block.hitPoint(5, 5));
    EXPECT_FALSE(block.hitPoint(5, 60)) << "inside the frame, beyond the last line";
    EXPECT_FALSE(block.hitPoint(150, 5)) << "beyond the line's end";
}

struct EditorCase
{
    const char *name;
    double inset;
    QRectF frame;
    double angle;
    QRectF editor;   // the editor's frame after starting
    double rotation; // degrees
};

class CDDTextBlockEditorTest : public testing::TestWithParam<EditorCase>
{
};

TEST_P(CDDTextBlockEditorTest, TheEditorLiesOverTheTextAreaTurnedWithTheBlock)
{
    const EditorCase &c = GetParam();
    CDDTextBlock block;
    block.setLayoutManager(nullptr, 0);
    block.SetInsetOffset(c.inset);
    block.setEditingOrigin(1, 1); // not editing: nothing
    block.startEditing(c.frame.x(), c.frame.y(), c.frame.width(), c.frame.height(), c.angle, true, true);
    const QRectF frame = block.getEditor()->frame();
    EXPECT_NEAR(frame.x(), c.editor.x(), 1e-9);
    EXPECT_NEAR(frame.y(), c.editor.y(), 1e-9);
    EXPECT_NEAR(frame.width(), c.editor.width(), 1e-9);
    EXPECT_NEAR(frame.height(), c.editor.height(), 1e-9);
    EXPECT_NEAR(block.getEditor()->frameRotation(), c.rotation, 1e-9);
    // Fitting to the same frame unturned takes any turn away.
    block.alignEditorFrame(0.0, c.frame.x(), c.frame.y(), c.frame.width(), c.frame.height());
    EXPECT_EQ(block.getEditor()->frameRotation(), 0.0);
    block.getEditor()->setSpellChecker(true);
    block.endEditing();
    EXPECT_FALSE(block.isEditing());
    EXPECT_FALSE(block.getEditor()->spellChecker()) << "a spelling check ends with the edit";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CDDTextBlockEditorTest,
    testing::Values(EditorCase {"Upright", 0, QRectF(10, 20, 100, 50), 0.0, QRectF(10, 20, 100, 50), 0.0},
                    EditorCase {"Inset", 5, QRectF(10, 20, 100, 50), 0.0, QRectF(10, 25, 100, 40), 0.0},
                    EditorCase {"NoHeightTakesTheLowerHalf", 0, QRectF(10, 20, 100, 0), 0.0, QRectF(10, 20, 100, 0),
                                0.0},
                    // A half turn puts the frame's corner on the opposite corner.
                    EditorCase {"HalfTurn", 0, QRectF(10, 20, 100, 50), std::numbers::pi, QRectF(110, 70, 100, 50),
                                180.0}),
    [](const testing::TestParamInfo<EditorCase> &info) { return std::string(info.param.name); });

} // namespace
