#include "kernel/foundation/CDDString.h"

#include "kernel/foundation/CDDText.h"

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

TEST(CDDStringTest, NullValueHasNoCharactersAndEqualsOnlyNull)
{
    CDDString value(QStringLiteral("x"));
    value.setData(nullptr);
    EXPECT_TRUE(value.isNull());
    EXPECT_TRUE(value.isEmpty());
    EXPECT_TRUE(value.UTF8String().isEmpty());
    EXPECT_NE(value, CDDString());
    EXPECT_FALSE(value.isEqualToData(QString()));
    const CDDString copy = value;
    EXPECT_TRUE(copy.isNull());
    EXPECT_EQ(copy, value);
    value.setData(QStringLiteral("back"));
    EXPECT_FALSE(value.isNull());
    EXPECT_TRUE(copy.isNull());
}

TEST(CDDStringTest, AppendReturnsTheValueAndTurnsAnyFormPlain)
{
    CDDString value(QStringLiteral("Hello"));
    CDDString &result = value.appendString(CDDString(QStringLiteral(", world")));
    EXPECT_EQ(&result, &value);
    EXPECT_EQ(value.UTF8String(), QByteArray("Hello, world"));
    CDDString null;
    null.setData(nullptr);
    null.appendString(CDDString(QStringLiteral("tail")));
    EXPECT_FALSE(null.isNull());
    EXPECT_EQ(null.getData(), QStringLiteral("tail"));
    CDDString label;
    ASSERT_TRUE(CDDString::initStringWithBarcodeLabel(label));
    label.appendString(CDDString(QStringLiteral("!")));
    EXPECT_FALSE(label.isAttributed());
    EXPECT_EQ(label.getData(), QStringLiteral("Enter ZIP to display barcode!"));
}

TEST(CDDStringTest, CopiesPlainCharactersOfAText)
{
    CDDText text;
    text.getContents()->setPlainText(QStringLiteral("First line\nSecond\u00a0line"));
    const CDDString value(text);
    EXPECT_EQ(value.getData(), QStringLiteral("First line\nSecond\u00a0line"));
    CDDString assigned(QStringLiteral("old"));
    assigned.setData(nullptr);
    assigned = text;
    EXPECT_FALSE(assigned.isNull());
    EXPECT_EQ(assigned, value);
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

TEST_F(CDDStringFileLabel, NamesTheFileAndTheField)
{
    EXPECT_EQ(CDDString::initStringWithFileFieldParameters(CDDString(touch(QStringLiteral("addresses.txt"))), 2).getData(),
              QStringLiteral("addres... Col 2"));
    EXPECT_EQ(CDDString::initStringWithFileFieldParameters(CDDString(touch(QStringLiteral("abcde.txt"))), 0).getData(),
              QStringLiteral("abcde.txt Each line"));
    QDir(m_dir.path()).mkdir(QStringLiteral("lists"));
    EXPECT_EQ(CDDString::initStringWithFileFieldParameters(CDDString(m_dir.filePath(QStringLiteral("lists/"))), 3).getData(),
              QStringLiteral("lists Col 3"));
}

TEST_F(CDDStringFileLabel, ShortensWithoutSplittingACharacter)
{
    // A clef outside the basic plane is two code units; six units would cut it in half.
    const QString name = QStringLiteral("abcde\U0001D11Efgh.txt");
    const QString label = CDDString::initStringWithFileFieldParameters(CDDString(touch(name)), 0).getData();
    EXPECT_EQ(label, QStringLiteral("abcde.... Each line"));
}

TEST_F(CDDStringFileLabel, MissingEmptyAndNullPaths)
{
    CDDString null;
    null.setData(nullptr);
    const CDDString fromNull = CDDString::initStringWithFileFieldParameters(null, 1);
    EXPECT_TRUE(fromNull.isEmpty());
    EXPECT_FALSE(fromNull.isNull());
    EXPECT_EQ(CDDString::initStringWithFileFieldParameters(CDDString(), 1).getData(), QStringLiteral("File Data"));
    EXPECT_EQ(CDDString::initStringWithFileFieldParameters(CDDString(m_dir.filePath(QStringLiteral("gone.txt"))), 1).getData(),
              QStringLiteral("File doesn't exist"));
}

struct SeparatorCase
{
    const char *name;
    const char *separator;
    const char *reference;
    const char *text;
    bool onlyWhenMissing;
    bool onlyAfterSeparator;
    const char *appended;
    const char *removed;
};

class CDDStringSeparator : public ::testing::TestWithParam<SeparatorCase> {};

TEST_P(CDDStringSeparator, AppendsAndRemoves)
{
    const SeparatorCase &c = GetParam();
    const QString separator = QString::fromUtf8(c.separator);
    const CDDString reference(QString::fromUtf8(c.reference));
    const CDDString text(QString::fromUtf8(c.text));
    const auto appended = CDDString::createStringByAppendingString(separator, reference, text, c.onlyWhenMissing,
                                                                   c.onlyAfterSeparator);
    EXPECT_EQ(appended->getData(), QString::fromUtf8(c.appended));
    const auto removed = CDDString::createStringByRemovingString(separator, reference, text, c.onlyWhenMissing,
                                                                 c.onlyAfterSeparator);
    EXPECT_EQ(removed->getData(), QString::fromUtf8(c.removed));
}

INSTANTIATE_TEST_SUITE_P(Cases, CDDStringSeparator, ::testing::Values(
        SeparatorCase {"missing", ",", "", "Smith", true, false, "Smith,", "Smith"},
        SeparatorCase {"always", ",", "", "Smith,", false, false, "Smith,,", "Smith"},
        SeparatorCase {"trailingBlank", ",", "", "Smith, ", true, false, "Smith, ,", "Smith"},
        SeparatorCase {"blankBeforeSeparatorStays", ",", "", "Smith ,\t ", true, false, "Smith ,\t ,", "Smith "},
        SeparatorCase {"emptySeparator", "", "", "Smith, ", true, false, "Smith, ", "Smith, "},
        SeparatorCase {"multiCharacter", "--", "", "A-- ", true, false, "A-- --", "A"},
        SeparatorCase {"afterSeparatorFound", ",", "Jones ,\t", "Smith", true, true, "Smith,", "Smith"},
        SeparatorCase {"afterSeparatorMissing", ",", "Jones", "Smith", true, true, "Smith", "Smith"},
        SeparatorCase {"afterSeparatorIgnoredWhenAlways", ",", "Jones", "Smith", false, true, "Smith,", "Smith"}),
    [](const auto &info) { return std::string(info.param.name); });

struct CapitalizeCase { const char *name; const char *text; bool upper; const char *expected; };

class CDDStringCapitalize : public ::testing::TestWithParam<CapitalizeCase> {};

TEST_P(CDDStringCapitalize, FirstUpperRestLower)
{
    const auto result = CDDString::createStringWithCapitalize(CDDString(QString::fromUtf8(GetParam().text)),
                                                              GetParam().upper);
    EXPECT_EQ(result->getData(), QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Cases, CDDStringCapitalize,
                         ::testing::Values(CapitalizeCase {"mixed", "hELLO", false, "Hello"},
                                           CapitalizeCase {"flagIgnoredForLonger", "hELLO", true, "Hello"},
                                           CapitalizeCase {"oneLetterUpper", "a", true, "A"},
                                           CapitalizeCase {"oneCapitalLowered", "A", false, "a"},
                                           CapitalizeCase {"empty", "", true, ""},
                                           CapitalizeCase {"accented", "ÉCOLE", false, "École"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(CDDStringTest, UppercaseUsesFullCaseMapping)
{
    EXPECT_EQ(CDDString::createStringWithUppercase(CDDString(QStringLiteral("Straße 5")))->getData(),
              QStringLiteral("STRASSE 5"));
}

} // namespace
