#include "kernel/foundation/CDDArchiveKeys.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

template<std::size_t N>
bool allDistinct(const std::array<QString, N> &names)
{
    QSet<QString> seen;
    for (const QString &name : names)
        seen.insert(name);
    return seen.size() == qsizetype(N);
}

TEST(ArchiveKeysTest, NameTablesAreIndexedByNumber)
{
    EXPECT_TRUE(allDistinct(classStringKeys));
    EXPECT_TRUE(allDistinct(documentTypeKeys));
    EXPECT_EQ(classStringKeys[7], QStringLiteral("Background Picture"));
    EXPECT_EQ(classStringKeys[19], QStringLiteral("Smart Field"));
    EXPECT_EQ(documentTypeKeys[25], QStringLiteral("CustomElement"));
    EXPECT_EQ(documentTypeKeys[26], QStringLiteral("Postcard"));
}

// The texts are the file format, spelling mistakes included.
TEST(ArchiveKeysTest, KeysKeepTheirStoredSpelling)
{
    EXPECT_EQ(key_FiledsCount, QStringLiteral("FiledsCount"));
    EXPECT_EQ(key_Delimeter, QStringLiteral("Delimeter"));
    EXPECT_EQ(key_TextWrapping, QStringLiteral("Text wrapping"));
    EXPECT_EQ(key_HasWindow, QStringLiteral("Has window"));
    EXPECT_EQ(key_MaskPicture, QStringLiteral("Picture Mask"));
    EXPECT_EQ(key_BackColor, QStringLiteral("Background Color"));
    EXPECT_EQ(key_DYMOPaperWidth, QStringLiteral("DYMO Paper width"));
    EXPECT_EQ(key_HasSrcRect, QStringLiteral("Has SrcRect"));
}

} // namespace
