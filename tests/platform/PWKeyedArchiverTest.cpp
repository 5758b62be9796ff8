#include "platform/PWKeyedArchiver.h"

#include "PWTextSamples.h"
#include "PythonRunner.h"
#include "TestSupport.h"
#include "platform/PWKeyedUnarchiver.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

using KeyedColorRoundTripTest = testing::TestWithParam<PWColor>;

TEST_P(KeyedColorRoundTripTest, ComesBackInItsSpaceWithItsComponents)
{
    QString error;
    const std::optional<PWColor> read =
        PWKeyedUnarchiver::unarchiveColor(PWKeyedArchiver::archivedData(GetParam()), &error);
    ASSERT_TRUE(read) << error.toStdString();
    EXPECT_EQ(*read, GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Spaces, KeyedColorRoundTripTest,
    testing::Values(PWColor::calibratedRGB(0.1f, 0.2f, 0.3f), PWColor::deviceRGB(1.0f, 0.0f, 0.5f, 0.25f),
                    PWColor::calibratedWhite(0.33333334f), PWColor::deviceWhite(0.0f, 0.0f),
                    PWColor::deviceCMYK(0.1f, 0.9f, 0.0f, 0.05f, 0.75f),
                    PWColor::named(QStringLiteral("System"), QStringLiteral("textColor"), 0.0f, 0.0f, 0.0f),
                    // Out-of-gamut components are kept, not clamped.
                    PWColor::calibratedRGB(1.25f, -0.5f, 3.0e-7f)));

TEST(PWKeyedArchiverTest, FontComesBackWithNameSizeAndFlags)
{
    const PWFont font(QStringLiteral("TimesNewRomanPS-BoldItalicMT"), 9.25, 1044);
    EXPECT_EQ(PWKeyedUnarchiver::unarchiveFont(PWKeyedArchiver::archivedData(font)), font);
}

TEST(PWKeyedArchiverTest, TextsComeBackWithEveryAttribute)
{
    using Kind = PWKeyedArchiver::StringClass;
    for (const auto &[text, kind] : {std::pair {pwtest::styledSample(true), Kind::AttributedString},
                                     std::pair {pwtest::styledSample(true), Kind::TextStorage},
                                     std::pair {PWAttributedString(), Kind::AttributedString},
                                     std::pair {PWAttributedString(QStringLiteral("plain")), Kind::AttributedString}}) {
        const std::optional<PWAttributedString> read =
            PWKeyedUnarchiver::unarchiveAttributedString(PWKeyedArchiver::archivedData(text, kind));
        ASSERT_TRUE(read);
        EXPECT_EQ(*read, text);
    }
}

TEST(PWKeyedArchiverTest, PlainValuesComeBack)
{
    const QVariantMap value {
        {QStringLiteral("text"), QStringLiteral("Grüße")},
        {QStringLiteral("number"), QVariant::fromValue<qlonglong>(-7)},
        {QStringLiteral("real"), 2.5},
        {QStringLiteral("flag"), true},
        {QStringLiteral("bytes"), QByteArray("\0\1", 2)},
        {QStringLiteral("when"), QDateTime(QDate(2024, 2, 29), QTime(12, 30, 15, 250), QTimeZone::utc())},
        {QStringLiteral("list"), QVariantList {QStringLiteral("a"), QVariantMap {{QStringLiteral("b"), false}}}},
    };
    EXPECT_EQ(PWKeyedUnarchiver::unarchiveObject(PWKeyedArchiver::archivedObject(value)), QVariant(value));
    EXPECT_EQ(PWKeyedUnarchiver::unarchiveObject(PWKeyedArchiver::archivedObject(QVariant())), QVariant());
}

// --- What we write is the standard object graph, as another reader sees it -----------------------

// Checks the layout every keyed archive shares, resolves the root into plain Python values
// (objects as {"class": name, fields...}) and compares them with the expected value, given as a
// Python expression.
const char *const kGraphChecker = R"(
import plistlib, sys
archive = plistlib.load(open(sys.argv[1], 'rb'))
assert archive['$archiver'] == 'NSKeyedArchiver', archive['$archiver']
assert archive['$version'] == 100000
objects = archive['$objects']
assert objects[0] == '$null'
def check(value):
    if isinstance(value, plistlib.UID):
        assert 0 <= value.data < len(objects), value
    elif isinstance(value, list):
        for v in value: check(v)
    elif isinstance(value, dict):
        for v in value.values(): check(v)
for entry in objects:
    check(entry)
    if isinstance(entry, dict) and '$class' in entry:
        described = objects[entry['$class'].data]
        assert described['$classname'] == described['$classes'][0], described
        assert described['$classes'][-1] == 'NSObject', described
def resolve(value, depth=0):
    assert depth < 50
    if isinstance(value, plistlib.UID):
        if value.data == 0:
            return None
        value = objects[value.data]
        if isinstance(value, dict) and '$class' in value:
            result = {'class': objects[value['$class'].data]['$classname']}
            for key, field in value.items():
                if key != '$class':
                    result[key] = resolve(field, depth + 1)
            return result
        return value
    if isinstance(value, list):
        return [resolve(v, depth + 1) for v in value]
    return value
root = resolve(archive['$top']['root'])
expected = eval(sys.argv[2])
if root != expected:
    print('read    ', root)
    print('expected', expected)
    sys.exit(1)
)";

class KeyedGraphTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_python = pwtest::pythonWith(QStringLiteral("plistlib"));
        if (m_python.isEmpty())
            GTEST_SKIP() << "python3 with plistlib is not available";
    }
    void expectGraph(const QByteArray &archive, const QString &expected)
    {
        const QString path = m_folder.filePath(QStringLiteral("archive.plist"));
        ASSERT_TRUE(pwtest::writeFile(path, archive));
        QByteArray output;
        EXPECT_TRUE(pwtest::run(m_python, {QStringLiteral("-c"), QString::fromLatin1(kGraphChecker), path, expected},
                                &output))
            << output.toStdString();
    }
    QString m_python;
    QTemporaryDir m_folder;
};

// A named colour carries its fallback, an RGB one, inside; the styled text carries a font and a
// run table; plain values become the collection classes.
TEST_F(KeyedGraphTest, ColoursTextsAndPlainValues)
{
    expectGraph(PWKeyedArchiver::archivedData(PWColor::deviceWhite(0.1f, 0.25f)),
                QStringLiteral("{'class': 'NSColor', 'NSColorSpace': 4, 'NSWhite': b'0.1000000015 0.25\\x00'}"));
    expectGraph(
        PWKeyedArchiver::archivedData(PWColor::named(QStringLiteral("System"), QStringLiteral("red"), 1, 0.5f, 0)),
        QStringLiteral("{'class': 'NSColor', 'NSColorSpace': 6, 'NSCatalogName': 'System', 'NSColorName': 'red',"
                       " 'NSColor': {'class': 'NSColor', 'NSColorSpace': 1, 'NSRGB': b'1 0.5 0\\x00'}}"));
    const PWParagraphStyle style {.alignment = PWTextAlignment::Center,
                                  .tabStops = {{28.0, PWParagraphStyle::TabType::Right}}};
    PWAttributedString text;
    text.append(QStringLiteral("ab"), pwtest::fontFormat(QStringLiteral("Helvetica"), 12.0), style.toBlockFormat());
    QTextCharFormat red = pwtest::fontFormat(QStringLiteral("Helvetica"), 12.0);
    red.setForeground(QBrush(QColor(255, 0, 0)));
    text.append(QStringLiteral("c"), red);
    text.append(QStringLiteral("de"), pwtest::fontFormat(QStringLiteral("Helvetica"), 12.0), style.toBlockFormat());
    const QString font = QStringLiteral("{'class': 'NSFont', 'NSName': 'Helvetica', 'NSSize': 12.0, 'NSfFlags': 16}");
    const QString paragraph = QStringLiteral("{'class': 'NSParagraphStyle', 'NSAlignment': 2, 'NSTabStops': "
                                             "{'class': 'NSArray', 'NS.objects': [{'class': 'NSTextTab', "
                                             "'NSLocation': 28.0, 'NSTabStopType': 1}]}}");
    expectGraph(
        PWKeyedArchiver::archivedData(text, PWKeyedArchiver::StringClass::MutableAttributedString),
        QStringLiteral("{'class': 'NSMutableAttributedString', 'NSString': 'abcde', "
                       "'NSAttributes': {'class': 'NSArray', 'NS.objects': ["
                       "{'class': 'NSDictionary', 'NS.keys': ['NSFont', 'NSParagraphStyle'], 'NS.objects': [%1, %2]}, "
                       "{'class': 'NSDictionary', 'NS.keys': ['NSFont', 'NSColor'], 'NS.objects': [%1, "
                       "{'class': 'NSColor', 'NSColorSpace': 1, 'NSRGB': b'1 0 0\\x00'}]}]}, "
                       "'NSAttributeInfo': b'\\x02\\x00\\x01\\x01\\x02\\x00'}")
            .arg(font, paragraph));
    const QVariantMap value {{QStringLiteral("list"), QVariantList {QStringLiteral("x"), 3, 1.5, true}},
                             {QStringLiteral("when"), QDateTime(QDate(2001, 1, 2), QTime(0, 0), QTimeZone::utc())}};
    expectGraph(PWKeyedArchiver::archivedObject(value),
                QStringLiteral("{'class': 'NSDictionary', 'NS.keys': ['list', 'when'], 'NS.objects': ["
                               "{'class': 'NSArray', 'NS.objects': ['x', 3, 1.5, True]}, "
                               "{'class': 'NSDate', 'NS.time': 86400.0}]}"));
}

} // namespace
