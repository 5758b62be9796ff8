#include "kernel/text/CFTAText.h"

#include "TextTestSupport.h"
#include "kernel/foundation/CDDDrawer.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

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
    text->StartOperation(omResize, nullptr, 0, 14);
    text->EndOperation(omResize);
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
