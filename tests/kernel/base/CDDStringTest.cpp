#include "kernel/base/CDDString.h"

#include "kernel/render/CDDText.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <ostream>

void PrintTo(const CDDString &value, std::ostream *os)
{
    *os << (value.isNull() ? std::string("<null>") : '"' + value.getData().toStdString() + '"');
}

namespace {

TEST(CDDStringTest, NullValuesEqualOnlyNullAppendingTurnsAnyFormPlainAndTextsGiveTheirCharacters)
{
    CDDString value(QStringLiteral("x"));
    value.setData(nullptr);
    EXPECT_TRUE(value.isNull() && value.isEmpty() && value.UTF8String().isEmpty());
    EXPECT_NE(value, CDDString());
    EXPECT_FALSE(value.isEqualToData(QString()));
    const CDDString copy = value;
    EXPECT_TRUE(copy.isNull());
    EXPECT_EQ(copy, value);
    value.setData(QStringLiteral("back"));
    EXPECT_FALSE(value.isNull());
    EXPECT_TRUE(copy.isNull());
    CDDString greeting(QStringLiteral("Hello"));
    CDDString &result = greeting.appendString(CDDString(QStringLiteral(", world")));
    EXPECT_EQ(&result, &greeting);
    EXPECT_EQ(greeting.UTF8String(), QByteArray("Hello, world"));
    CDDString null;
    null.setData(nullptr);
    EXPECT_EQ(null.appendString(CDDString(QStringLiteral("tail"))), CDDString(QStringLiteral("tail")));
    CDDString label;
    ASSERT_TRUE(CDDString::initStringWithBarcodeLabel(label));
    label.appendString(CDDString(QStringLiteral("!")));
    EXPECT_FALSE(label.isAttributed());
    EXPECT_EQ(label.getData(), QStringLiteral("Enter ZIP to display barcode!"));
    CDDString assigned(QStringLiteral("old"));
    assigned.setData(nullptr);
    EXPECT_TRUE(assigned.isNull());
    assigned.setData(QStringLiteral("First line"));
    EXPECT_FALSE(assigned.isNull());
}

class CDDStringFileLabel : public ::testing::Test
{
protected:
    QString touch(const QString &name)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return path;
    }
    QTemporaryDir m_dir;
};

TEST_F(CDDStringFileLabel, NamesTheFileShortenedAndTheFieldOrTellsWhyNot)
{
    EXPECT_EQ(CDDString::initStringWithFileFieldParameters(CDDString(touch(QStringLiteral("addresses.txt"))), 2).getData(),
              QStringLiteral("addres... Col 2"));
    EXPECT_EQ(CDDString::initStringWithFileFieldParameters(CDDString(touch(QStringLiteral("abcde.txt"))), 0).getData(),
              QStringLiteral("abcde.txt Each line"));
    QDir(m_dir.path()).mkdir(QStringLiteral("lists"));
    EXPECT_EQ(CDDString::initStringWithFileFieldParameters(CDDString(m_dir.filePath(QStringLiteral("lists/"))), 3).getData(),
              QStringLiteral("lists Col 3"));
    // A clef outside the basic plane is two code units; six units would cut it in half.
    const QString name = QStringLiteral("abcde\U0001D11Efgh.txt");
    EXPECT_EQ(CDDString::initStringWithFileFieldParameters(CDDString(touch(name)), 0).getData(), QStringLiteral("abcde.... Each line"));
    CDDString null;
    null.setData(nullptr);
    const CDDString fromNull = CDDString::initStringWithFileFieldParameters(null, 1);
    EXPECT_TRUE(fromNull.isEmpty() && !fromNull.isNull());
    EXPECT_EQ(CDDString::initStringWithFileFieldParameters(CDDString(), 1).getData(), QStringLiteral("File Data"));
    EXPECT_EQ(CDDString::initStringWithFileFieldParameters(CDDString(m_dir.filePath(QStringLiteral("gone.txt"))), 1).getData(),
              QStringLiteral("File doesn't exist"));
}

TEST(CDDStringTest, SeparatorsAreAppendedAndRemoved)
{
    const struct { const char *separator, *reference, *text; bool onlyWhenMissing, onlyAfterSeparator; const char *appended, *removed; } cases[] = {
        {",", "", "Smith", true, false, "Smith,", "Smith"}, {",", "", "Smith,", false, false, "Smith,,", "Smith"},
        {",", "", "Smith, ", true, false, "Smith, ,", "Smith"}, {",", "", "Smith ,\t ", true, false, "Smith ,\t ,", "Smith "},
        {"", "", "Smith, ", true, false, "Smith, ", "Smith, "}, {"--", "", "A-- ", true, false, "A-- --", "A"},
        {",", "Jones ,\t", "Smith", true, true, "Smith,", "Smith"}, {",", "Jones", "Smith", true, true, "Smith", "Smith"},
        {",", "Jones", "Smith", false, true, "Smith,", "Smith"}};
    for (const auto &c : cases) {
        const QString separator = QString::fromUtf8(c.separator);
        const CDDString reference(QString::fromUtf8(c.reference)), text(QString::fromUtf8(c.text));
        const auto appended = CDDString::createStringByAppendingString(separator, reference, text, c.onlyWhenMissing, c.onlyAfterSeparator);
        const auto removed = CDDString::createStringByRemovingString(separator, reference, text, c.onlyWhenMissing, c.onlyAfterSeparator);
        EXPECT_EQ(appended->getData() + QLatin1Char('|') + removed->getData(),
                  QString::fromUtf8(c.appended) + QLatin1Char('|') + QString::fromUtf8(c.removed))
            << c.text << " " << c.reference;
    }
}

TEST(CDDStringTest, CapitalizeAndUppercaseMapCasesInFull)
{
    // The flag counts for one letter only.
    const struct { const char *text; bool upper; const char *expected; } cases[] = {{"hELLO", false, "Hello"}, {"hELLO", true, "Hello"},
        {"a", true, "A"}, {"A", false, "a"}, {"", true, ""}, {"ÉCOLE", false, "École"}};
    for (const auto &c : cases)
        EXPECT_EQ(CDDString::createStringWithCapitalize(CDDString(QString::fromUtf8(c.text)), c.upper)->getData(),
                  QString::fromUtf8(c.expected))
            << c.text;
    EXPECT_EQ(CDDString::createStringWithUppercase(CDDString(QStringLiteral("Straße 5")))->getData(), QStringLiteral("STRASSE 5"));
}

} // namespace
