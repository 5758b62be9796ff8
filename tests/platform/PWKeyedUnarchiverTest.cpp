#include "platform/PWKeyedUnarchiver.h"

#include "PWTextSamples.h"
#include "TestSupport.h"

#include <QDir>
#include <QTextBlockFormat>

#include <gtest/gtest.h>

// Archives in the standard layout that we did not write: those of make_archives.py beside the
// fixtures, and those of another archiver (shared beside the project).
namespace {

QByteArray archive(const QString &name)
{
    return pwtest::readFixture(QStringLiteral("keyed-archives/") + name);
}

// The standard envelope around a table of objects, with the root at the given entry.
PWPlist keyedArchive(const PWPlist::Array &objects, quint64 root)
{
    return PWPlist::Dictionary {
        {QStringLiteral("$archiver"), PWPlist::fromString(QStringLiteral("NSKeyedArchiver"))},
        {QStringLiteral("$version"), PWPlist::fromInteger(100000)},
        {QStringLiteral("$top"), PWPlist::Dictionary {{QStringLiteral("root"), PWPlist::fromUid(root)}}},
        {QStringLiteral("$objects"), objects}};
}

struct ColorCase { const char *file; PWColor expected; };

using KeyedColorFixtureTest = testing::TestWithParam<ColorCase>;

TEST_P(KeyedColorFixtureTest, DecodesToTheColourOfItsSpace)
{
    QString error;
    const std::optional<PWColor> color =
        PWKeyedUnarchiver::unarchiveColor(archive(QLatin1String(GetParam().file)), &error);
    ASSERT_TRUE(color) << error.toStdString();
    EXPECT_EQ(*color, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Spaces, KeyedColorFixtureTest,
    testing::Values(ColorCase {"colour-calibrated-rgb.plist", PWColor::calibratedRGB(1.0f, 0.5f, 0.25f)},
                    ColorCase {"colour-device-rgb-alpha.plist", PWColor::deviceRGB(0.0f, 0.25f, 1.0f, 0.5f)},
                    ColorCase {"colour-calibrated-white.plist", PWColor::calibratedWhite(0.75f)},
                    ColorCase {"colour-device-white-alpha.plist", PWColor::deviceWhite(0.25f, 0.5f)},
                    ColorCase {"colour-cmyk.plist", PWColor::deviceCMYK(0.125f, 0.25f, 0.5f, 0.75f, 1.0f)},
                    ColorCase {
                        "colour-catalogue.plist",
                        PWColor::named(QStringLiteral("Crayons"), QStringLiteral("Cantaloupe"), 0.5f, 0.25f, 0.0f)},
                    // The exact components win over the older approximate text.
                    ColorCase {"colour-components.plist", PWColor::calibratedRGB(1.0f, 0.0f, 0.0f, 1.0f)}),
    [](const testing::TestParamInfo<ColorCase> &info) {
        return QString::fromLatin1(info.param.file).section(QLatin1Char('.'), 0, 0).replace(QLatin1Char('-'), QLatin1Char('_')).toStdString();
    });

TEST(PWKeyedUnarchiverTest, FontKeepsItsNameSizeAndFlags)
{
    QString error;
    const std::optional<PWFont> font =
        PWKeyedUnarchiver::unarchiveFont(archive(QStringLiteral("font-helvetica-boldoblique.plist")), &error);
    ASSERT_TRUE(font) << error.toStdString();
    EXPECT_EQ(*font, PWFont(QStringLiteral("Helvetica-BoldOblique"), 14.5, 16));
}

// One check per kind of attribute: font, colours, underline, kerning, baseline, strike-through,
// superscript, custom keys, every paragraph setting.
TEST(PWKeyedUnarchiverTest, StyledTextKeepsEveryRunAndAttribute)
{
    QString error;
    const std::optional<PWAttributedString> text =
        PWKeyedUnarchiver::unarchiveAttributedString(archive(QStringLiteral("styled-text.plist")), &error);
    ASSERT_TRUE(text) << error.toStdString();
    ASSERT_EQ(text->string(), QStringLiteral("Bold red, plain\ntabbed"));
    ASSERT_EQ(text->runs().size(), 3) << testing::PrintToString(*text);
    QTextCharFormat bold = pwtest::fontFormat(QStringLiteral("Helvetica-Bold"), 18.0);
    bold.setForeground(QColor(255, 0, 0));
    EXPECT_EQ(PWAttributedString(QStringLiteral("x"), text->charFormatAt(0)), PWAttributedString(QStringLiteral("x"), bold));
    const QTextCharFormat second = text->charFormatAt(9);
    EXPECT_EQ(second.background().color(), QColor::fromRgbF(0.5f, 0.5f, 0.5f));
    EXPECT_EQ(second.underlineStyle(), QTextCharFormat::SingleUnderline);
    EXPECT_DOUBLE_EQ(second.doubleProperty(PWTextAttributes::Kerning), 1.5);
    const QTextCharFormat third = text->charFormatAt(16);
    EXPECT_DOUBLE_EQ(third.doubleProperty(PWTextAttributes::BaselineOffset), -2.0);
    EXPECT_TRUE(third.fontStrikeOut());
    EXPECT_EQ(third.verticalAlignment(), QTextCharFormat::AlignSuperScript);
    // A plain value under an unknown key is kept; an object of an unknown class is left out.
    EXPECT_EQ(third.property(PWTextAttributes::CustomAttributes).toMap(),
              (QVariantMap {{QStringLiteral("CCDataField"), QStringLiteral("Company")}}));
    using Tab = PWParagraphStyle::TabType;
    const PWParagraphStyle centred {
        .alignment = PWTextAlignment::Center, .tabStops = {}, .lineSpacing = 2.0, .paragraphSpacing = 6.0};
    EXPECT_EQ(PWParagraphStyle::fromBlockFormat(text->blockFormatAt(15)), centred) << "the newline belongs to it";
    const PWParagraphStyle right {
        .alignment = PWTextAlignment::Right, .tabStops = {{36.0, Tab::Left}, {72.0, Tab::Center}, {144.0, Tab::Right}},
        .paragraphSpacingBefore = 3.0, .headIndent = 10.0, .firstLineHeadIndent = 20.0, .tailIndent = -5.0,
        .lineBreakMode = 4, .minimumLineHeight = 12.0, .maximumLineHeight = 30.0, .lineHeightMultiple = 1.5};
    EXPECT_EQ(PWParagraphStyle::fromBlockFormat(text->blockFormatAt(16)), right);
}

TEST(PWKeyedUnarchiverTest, TextStorageOfOneRunHasOneDictionaryAndNoRunTable)
{
    QString error;
    const std::optional<PWAttributedString> text =
        PWKeyedUnarchiver::unarchiveAttributedString(archive(QStringLiteral("text-storage.plist")), &error);
    ASSERT_TRUE(text) << error.toStdString();
    EXPECT_EQ(*text, PWAttributedString(QStringLiteral("fixed"), pwtest::fontFormat(QStringLiteral("Courier"), 9.0)));
}

TEST(PWKeyedUnarchiverTest, ObjectsOfUnknownClassesAreLeftOut)
{
    QString error;
    const std::optional<QVariant> value =
        PWKeyedUnarchiver::unarchiveObject(archive(QStringLiteral("unknown-class.plist")), &error);
    ASSERT_TRUE(value) << error.toStdString();
    EXPECT_EQ(*value, (QVariantList {QStringLiteral("before"), QVariant::fromValue<qlonglong>(42)}));
}

// A table where each of depth arrays holds the next one twice: decoding it naively would visit
// 2^depth objects.
TEST(PWKeyedUnarchiverTest, SharedReferencesCannotMultiplyTheWork)
{
    const int depth = 40;
    PWPlist::Array objects {PWPlist::fromString(QStringLiteral("$null"))};
    objects.append(
        PWPlist::Dictionary {{QStringLiteral("$classname"), PWPlist::fromString(QStringLiteral("NSArray"))}});
    for (int level = 0; level < depth; ++level) {
        const quint64 next = quint64(objects.size() + 1);
        const PWPlist reference = level + 1 < depth ? PWPlist::fromUid(next) : PWPlist::fromUid(0);
        objects.append(PWPlist::Dictionary {{QStringLiteral("$class"), PWPlist::fromUid(1)},
                                            {QStringLiteral("NS.objects"), PWPlist::Array {reference, reference}}});
    }
    QString error;
    const std::optional<PWKeyedArchive> table = PWKeyedArchive::fromPlist(keyedArchive(objects, 2), &error);
    ASSERT_TRUE(table) << error.toStdString();
    PWKeyedUnarchiver unarchiver(*table);
    EXPECT_FALSE(unarchiver.decodeObject(table->rootUid()));
    EXPECT_FALSE(unarchiver.error().isEmpty());
}

TEST(PWKeyedUnarchiverTest, NoObjectAtTheRootIsNilNotAFailure)
{
    const PWPlist plist = keyedArchive({PWPlist::fromString(QStringLiteral("$null"))}, 0);
    bool nil = false;
    QString error = QStringLiteral("unset");
    EXPECT_FALSE(PWKeyedUnarchiver::unarchiveColor(plist.toBinary(), &error, &nil));
    EXPECT_TRUE(nil);
    EXPECT_TRUE(error.isEmpty());
    EXPECT_FALSE(PWKeyedUnarchiver::unarchiveFont(plist.toBinary(), &error));
    EXPECT_FALSE(error.isEmpty()) << "a font is required where no nil is allowed";
}

// Every malformed archive is refused by every entry point, with a reason.
using KeyedMalformedTest = testing::TestWithParam<QString>;

TEST_P(KeyedMalformedTest, IsRefusedWithAReason)
{
    const QByteArray bytes = archive(GetParam());
    ASSERT_FALSE(bytes.isEmpty());
    QString error;
    EXPECT_FALSE(PWKeyedUnarchiver::unarchiveObject(bytes, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(PWKeyedUnarchiver::unarchiveColor(bytes, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(PWKeyedUnarchiver::unarchiveAttributedString(bytes, &error));
    EXPECT_FALSE(error.isEmpty());
}

QStringList malformedArchives()
{
    return QDir(pwtest::dataPath(QStringLiteral("keyed-archives")))
        .entryList({QStringLiteral("malformed-*.plist"), QStringLiteral("fuzz-crash-*")}, QDir::Files, QDir::Name);
}

INSTANTIATE_TEST_SUITE_P(Corpus, KeyedMalformedTest, testing::ValuesIn(malformedArchives()),
                         [](const testing::TestParamInfo<QString> &info) {
                             QString name = info.param.section(QLatin1Char('.'), 0, 0);
                             name.replace(QLatin1Char('-'), QLatin1Char('_'));
                             return name.toStdString();
                         });

// --- Archives another archiver wrote -------------------------------------------------------------

class SharedKeyedFixtureTest : public testing::Test
{
protected:
    QByteArray shared(const QString &name)
    {
        const QString path = pwtest::sharedFixturesPath(QStringLiteral("keyed-archives/") + name);
        return path.isEmpty() ? QByteArray() : pwtest::readFile(path);
    }
    void SetUp() override
    {
        if (pwtest::sharedFixturesPath(QStringLiteral("keyed-archives")).isEmpty())
            GTEST_SKIP() << "the shared keyed-archive fixtures are not there";
    }
};

// Plain values, and a text with a run table and a colour in the newer layout.
TEST_F(SharedKeyedFixtureTest, ValuesAndTextsDecode)
{
    EXPECT_EQ(PWKeyedUnarchiver::unarchiveObject(shared(QStringLiteral("plainString.plist"))),
              QVariant(QStringLiteral("Some string!")));
    EXPECT_EQ(PWKeyedUnarchiver::unarchiveObject(shared(QStringLiteral("nsData.plist"))),
              QVariant(QByteArray("Some data!")));
    EXPECT_EQ(PWKeyedUnarchiver::unarchiveObject(shared(QStringLiteral("simpleArray.plist"))),
              QVariant(QVariantList {QStringLiteral("value1"), QStringLiteral("value2"),
                                     QVariantList {QStringLiteral("innerValue3"), QStringLiteral("innerValue4")}}));
    const QVariantList numbers {QVariant::fromValue<qlonglong>(1), QVariant::fromValue<qlonglong>(2),
                                QVariant::fromValue<qlonglong>(3)};
    EXPECT_EQ(PWKeyedUnarchiver::unarchiveObject(shared(QStringLiteral("simpleDict.plist"))),
              QVariant(QVariantMap {{QStringLiteral("First key"), QStringLiteral("First value")},
                                    {QStringLiteral("Second key"), QStringLiteral("Second value")},
                                    {QStringLiteral("Array key"), numbers}}));
    QString error;
    const std::optional<PWAttributedString> text =
        PWKeyedUnarchiver::unarchiveAttributedString(shared(QStringLiteral("NSMutableAttributedString.plist")), &error);
    ASSERT_TRUE(text) << error.toStdString();
    EXPECT_EQ(text->string(), QStringLiteral("firstsecondthird"));
    ASSERT_EQ(text->runs().size(), 2) << testing::PrintToString(*text);
    EXPECT_EQ(text->runs().at(0).length, 5);
    EXPECT_EQ(text->charFormatAt(0).foreground().color(), QColor(255, 0, 0));
    EXPECT_FALSE(text->charFormatAt(5).hasProperty(QTextFormat::ForegroundBrush));
}

} // namespace

// A text whose attributes do not read keeps its characters and is told of: its font and size
// fall back to the defaults, which no reader may pass over in silence.
namespace {

struct AttributesDamage
{
    const char *name;
    // The value put under "NSAttributes" of the text (null: the key removed).
    PWPlist value;
    bool named;
};

void PrintTo(const AttributesDamage &damage, std::ostream *stream)
{
    *stream << damage.name;
}

using KeyedAttributesDamageTest = testing::TestWithParam<AttributesDamage>;

TEST_P(KeyedAttributesDamageTest, KeepsTheCharactersAndNamesTheLoss)
{
    PWPlist::Dictionary root = PWPlist::parse(archive(QStringLiteral("text-storage.plist")))->toDictionary();
    PWPlist::Array objects = root.value(QStringLiteral("$objects")).toArray();
    qsizetype text = -1;
    qsizetype string = -1;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        if (objects.at(i).isDictionary() && objects.at(i).toDictionary().contains(QStringLiteral("NSAttributes")))
            text = i;
        if (objects.at(i).isString() && string < 0 && i > 0)
            string = i;
    }
    ASSERT_GE(text, 0);
    PWPlist::Dictionary entry = objects.at(text).toDictionary();
    // A reference to the first text of the table stands for an object of another kind.
    const PWPlist value = GetParam().value.isUid() ? PWPlist::fromUid(quint64(string)) : GetParam().value;
    if (value.isNull())
        entry.remove(QStringLiteral("NSAttributes"));
    else if (!GetParam().value.isBool())
        entry.insert(QStringLiteral("NSAttributes"), value);
    objects[text] = PWPlist(entry);
    root.insert(QStringLiteral("$objects"), PWPlist(objects));

    QString error;
    QStringList notes;
    const std::optional<PWAttributedString> read =
        PWKeyedUnarchiver::unarchiveAttributedString(PWPlist(root).toBinary(), &error, &notes);
    ASSERT_TRUE(read) << error.toStdString();
    EXPECT_EQ(read->string(), QStringLiteral("fixed"));
    EXPECT_EQ(notes.join(u'\n').contains(QStringLiteral("keep the default")), GetParam().named)
        << notes.join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    EveryDamage, KeyedAttributesDamageTest,
    testing::Values(AttributesDamage {"Untouched", PWPlist::fromBool(true), false},
                    AttributesDamage {"Removed", PWPlist(), true},
                    AttributesDamage {"AWord", PWPlist::fromString(QStringLiteral("abc")), true},
                    AttributesDamage {"AList", PWPlist(PWPlist::Array {}), true},
                    AttributesDamage {"AnObjectOfAnotherKind", PWPlist::fromUid(1), true}),
    [](const testing::TestParamInfo<AttributesDamage> &info) { return std::string(info.param.name); });

} // namespace
