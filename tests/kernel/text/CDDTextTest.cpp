#include "text/CDDText.h"

#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

TEST(CDDTextTest, NewTextIsEmptyWithDefaultTextM)
{
    const CDDText text;
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(text.getString(), QString());
    EXPECT_EQ(text.getDefValue()->toPlainText(), QStringLiteral("M"));
    EXPECT_FALSE(text.isCircleText());
    EXPECT_TRUE(CDDText(true).isCircleText());
}

TEST(CDDTextTest, StringKeepsTheCharactersAsTyped)
{
    CDDText text;
    QTextCursor cursor(text.getContents());
    cursor.insertText(QStringLiteral("One\u00a0two"));
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("three\u2028four"));
    EXPECT_FALSE(text.isEmpty());
    EXPECT_EQ(text.getString(), QStringLiteral("One\u00a0two\nthree\u2028four"));
}

TEST(CDDTextTest, AnEmptyParagraphIsNotAnEmptyText)
{
    CDDText text;
    QTextCursor(text.getContents()).insertBlock();
    EXPECT_FALSE(text.isEmpty());
    EXPECT_EQ(text.getString(), QStringLiteral("\n"));
}

} // namespace
