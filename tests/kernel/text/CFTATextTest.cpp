#include "kernel/text/CFTAText.h"

#include "TextTestSupport.h"
#include "kernel/render/CDDDrawer.h"
#include "kernel/base/FTGeometry.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <numbers>

using texttest::sans;

namespace {

// A text at (100, 100) in DejaVu Sans 12 whose frame fits its characters.
std::unique_ptr<CFTAText> fittedText(const QString &string, textAlignment alignment = taLeft)
{
    auto text = std::make_unique<CFTAText>(100, 100, nullptr);
    text->SetFontAttr(sans(12)); text->SetAlignment(alignment); text->SetString(CDDString(string));
    text->ExpandByText();
    return text;
}

void drawOnce(CFTAText &text)
{
    QImage image(10, 10, QImage::Format_RGB32);
    QPainter painter(&image);
    CDDDrawer drawer(false, &painter);
    text.Draw(&drawer, false, nullptr, false, false);
}

TEST(CFTATextTest, SetStringFitsAtTheNextDrawAndFarTooWideFitsOnlyTheHeight)
{
    CFTAText text(0, 0, 10, 15, nullptr);
    text.SetString(CDDString(QStringLiteral("A much longer text")));
    EXPECT_DOUBLE_EQ(text.GetSizeX(), 10.0);
    drawOnce(text);
    EXPECT_DOUBLE_EQ(text.GetSizeX(), text.GetText()->getContSizeX());
    CFTAText wide(0, 0, 40, 200, nullptr);
    wide.ExpandBySize(CDDText::kContainerSize, 30);
    EXPECT_EQ(QSizeF(wide.GetSizeX(), wide.GetSizeY()), QSizeF(40, 30));
}

TEST(CFTATextTest, TouchedFrameKeepsItsWidthUntilTheTextNeedsMore)
{
    const std::unique_ptr<CFTAText> text = fittedText(QStringLiteral("abc"));
    text->StartOperation(operResize, nullptr, 0, 14);
    text->EndOperation(operResize);
    ASSERT_TRUE(text->IsTouched());
    text->SetSize(300, text->GetSizeY()); text->SetFontSize(14);
    EXPECT_DOUBLE_EQ(text->GetSizeX(), 300.0) << "a hand-sized frame wider than its text stays";
    text->SetString(CDDString(QString(80, QLatin1Char('W'))));
    text->ExpandByText();
    EXPECT_GT(text->GetSizeX(), 300.0);
    EXPECT_FALSE(text->IsTouched());
    text->SetString(CDDString(QStringLiteral("W")));
    text->ExpandByText();
    EXPECT_LT(text->GetSizeX(), 50.0) << "untouched again, the frame follows the text";
}

TEST(CFTATextTest, SideHandlesStopAtTheTextWidthAndTheMouseMustPassTheLimitAgain)
{
    const std::unique_ptr<CFTAText> text = fittedText(QStringLiteral("abcdef"));
    text->SetSize(200, text->GetSizeY());
    const double need = text->GetText()->getContSizeX();
    int dot = 14;
    text->StartOperation(operResize, nullptr, 0, dot);
    text->MoveDot(dot, -300, 0, nullptr);
    EXPECT_NEAR(text->GetSizeX(), need, 1e-9);
    // Further left and back: the edge moves only once the mouse passes the limit again.
    text->MoveDot(dot, -50, 0, nullptr);
    text->MoveDot(dot, 100, 0, nullptr);
    EXPECT_NEAR(text->GetSizeX(), need, 1e-9);
    // The mouse is now at 200 - 300 - 50 + 100 + 200 = 150 points from the left edge.
    text->MoveDot(dot, 200, 0, nullptr);
    ASSERT_LT(need, 150.0);
    EXPECT_NEAR(text->GetSizeX(), 150.0, 1e-9);
    EXPECT_EQ(dot, 14);

    const std::unique_ptr<CFTAText> left = fittedText(QStringLiteral("abcdef"));
    left->SetSize(200, left->GetSizeY());
    const double right = left->GetOriginX() + left->GetSizeX();
    dot = 6;
    left->StartOperation(operResize, nullptr, 0, dot);
    left->MoveDot(dot, 500, 0, nullptr);
    EXPECT_NEAR(left->GetOriginX(), right - need, 1e-9);
    EXPECT_NEAR(left->GetOriginX() + left->GetSizeX(), right, 1e-9);
    EXPECT_EQ(dot, 6) << "a text never mirrors";
}

TEST(CFTATextTest, TurnedTextKeepsItsFixedEdgeOnThePage)
{
    const std::unique_ptr<CFTAText> text = fittedText(QStringLiteral("abc"));
    text->SetSize(100, 20);
    text->SetAngle(std::numbers::pi / 2);
    // The left edge's middle, on the page.
    const auto leftMiddle = [&text] {
        double x = text->GetOriginX();
        double y = text->GetOriginY() + text->GetSizeY() / 2.0;
        rotatePoint(&x, &y, text->GetAngle(), text->GetOriginX() + text->GetSizeX() / 2.0,
                    text->GetOriginY() + text->GetSizeY() / 2.0);
        return QPointF(x, y);
    };
    const QPointF before = leftMiddle();
    int dot = 14;
    text->StartOperation(operResize, nullptr, 0, dot);
    // Down the page is along the turned frame's width.
    text->MoveDot(dot, 0, 30, nullptr);
    EXPECT_NEAR(text->GetSizeX(), 130.0, 1e-9);
    EXPECT_NEAR(leftMiddle().x(), before.x(), 1e-9);
    EXPECT_NEAR(leftMiddle().y(), before.y(), 1e-9);
}

TEST(CFTATextTest, HandlesCursorSquaresAndPickingOnTheGlyphsOrTheBorder)
{
    CFTAText narrow(10, 10, 4, 20, nullptr);
    EXPECT_EQ(QList<int>({narrow.PickMyDot(12, 20, 3), narrow.PickMyDot(14.5, 20, 1), narrow.PickMyDot(12, 40, 3)}),
              QList<int>({6, 14, 0}))
        << "the left handle wins when both are near";
    SRect rects[2];
    EXPECT_EQ(narrow.getCursorRectsByType(cursorResizeHorizontal, rects, true, 2), 2);
    EXPECT_EQ(rects[0], (SRect {8, 10, 4, 20}));
    EXPECT_EQ(rects[1], (SRect {12, 10, 4, 20}));
    EXPECT_EQ(narrow.getCursorRectsByType(cursorResizeVertical, rects, true, 2), 0);
    EXPECT_EQ(narrow.getCursorRectsByType(cursorResizeHorizontal, rects, false, 2), 0);

    const std::unique_ptr<CFTAText> text = fittedText(QStringLiteral("MMM"));
    text->SetSize(300, text->GetSizeY());
    bool selected = false;
    actionType action = actionUnset;
    const double y = text->GetOriginY() + text->GetSizeY() / 2.0;
    EXPECT_EQ(text->PickMe(text->GetOriginX(), y, selected, 1, action, 0), nullptr) << "the border is outside";
    EXPECT_EQ(action, actionUnset);
    EXPECT_EQ(text->PickMe(text->GetOriginX() + 5, y, selected, 1, action, 0), text.get());
    EXPECT_EQ(action, actionNone);
    EXPECT_EQ(text->PickMe(text->GetOriginX() + 250, y, selected, 1, action, 0), text.get());
    EXPECT_EQ(action, actionFrame);
    text->SetHaveBackColor(true);
    text->PickMe(text->GetOriginX() + 250, y, selected, 1, action, 0);
    EXPECT_EQ(action, actionNone) << "a filled text is solid";
}

TEST(CFTATextTest, CopyTakesTextKindStateButNotTheCharacters)
{
    const std::unique_ptr<CFTAText> source = fittedText(QStringLiteral("source"), taRight);
    const CDDColor red(1, 0, 0, 1);
    source->SetFillColor(&red); source->SetFontAttr(sans(22));
    CFTAText copy(0, 0, nullptr);
    copy.Copy(source.get());
    EXPECT_EQ(QList<double>({double(copy.GetAlignment()), double(*copy.GetFillColor() == red), double(copy.GetText()->isEmpty()),
                             copy.GetFont(nullptr)->pointSize()}), QList<double>({double(taRight), 1, 1, 22}));
}

} // namespace
