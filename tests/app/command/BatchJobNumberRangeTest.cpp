// A design printed by the batch as a user runs it, with one number changed by hand to NaN, an
// infinity or a value no page can hold: the job names that number, keeps it out, prints the rest
// of the address and fails after writing its output.
#include "TestSupport.h"
#include "ProgramRunSupport.h"

#include "kernel/address/CFTCounterField.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWFont.h"
#include "platform/PWImage.h"
#include "platform/PWPlist.h"
#include "platform/PWTextAttributes.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

using commandtest::ProgramRun;
using commandtest::runProgram;

// Every number of the table is tried with each of these, as a hand edit would leave it.
const QStringList kValues = {u"nan"_s, u"inf"_s, u"-inf"_s, u"-1e30"_s, u"1e30"_s};

// The person printed, and the words of the address the printed label must hold (the city with
// the comma its format puts before the state).
const QByteArray kPeople = "First Name,Last Name,Company,Street,City,State,Zip\r\n"
                           "Ada,Quill,Harbour Lane Books,12 Harbour Lane,Portland,ME,04101\r\n";
const QStringList kAddressWords = {u"Ada"_s,  u"Quill"_s,      u"Harbour"_s, u"Lane"_s, u"Books"_s,
                                   u"12"_s,   u"Portland,"_s, u"ME"_s,       u"04101"_s};

// A change made to the design's property list: value put under the number the row names.
using ValueEdit = std::function<void(PWPlist::Dictionary &design, const PWPlist &value)>;

// Applies change to every dictionary in value, at any depth (components, fields, format nodes,
// objects of an archived text).
void eachDictionary(PWPlist &value, const std::function<void(PWPlist::Dictionary &)> &change)
{
    if (value.isDictionary()) {
        PWPlist::Dictionary dictionary = value.toDictionary();
        change(dictionary);
        for (const QString &key : dictionary.keys()) {
            PWPlist inner = dictionary.value(key);
            if (!inner.isDictionary() && !inner.isArray())
                continue;
            eachDictionary(inner, change);
            dictionary.insert(key, inner);
        }
        value = PWPlist(dictionary);
    } else if (value.isArray()) {
        PWPlist::Array array = value.toArray();
        for (PWPlist &element : array)
            eachDictionary(element, change);
        value = PWPlist(array);
    }
}

void eachComponent(PWPlist::Dictionary &design, const QString &className,
                   const std::function<void(PWPlist::Dictionary &)> &change)
{
    PWPlist front(design.value(key_FrontSide));
    PWPlist::Dictionary side = front.toDictionary();
    PWPlist::Array components = side.value(key_Components).toArray();
    for (PWPlist &component : components) {
        PWPlist::Dictionary entry = component.toDictionary();
        if (entry.value(key_ClassID).toString() == className) {
            change(entry);
            component = PWPlist(entry);
        }
    }
    side.insert(key_Components, PWPlist(components));
    design.insert(key_FrontSide, PWPlist(side));
}

// key of the components of class className.
ValueEdit componentKey(const QString &className, const QString &key)
{
    return [=](PWPlist::Dictionary &design, const PWPlist &value) {
        eachComponent(design, className, [&](PWPlist::Dictionary &entry) { entry.insert(key, value); });
    };
}

// The number of the bounds of the components of class className that pattern finds (its first
// group is kept).
ValueEdit boundsNumber(const QString &className, const QString &pattern)
{
    return [=](PWPlist::Dictionary &design, const PWPlist &value) {
        eachComponent(design, className, [&](PWPlist::Dictionary &entry) {
            QString bounds = entry.value(key_Bounds).toString();
            bounds.replace(QRegularExpression(pattern), u"\\1"_s + value.toString());
            entry.insert(key_Bounds, PWPlist::fromString(bounds));
        });
    };
}

// The first number of the address panel's bounds (its left edge).
ValueEdit panelLeftEdge()
{
    return boundsNumber(classStringKeys.at(ciAddressPanel), u"^(\\{\\{)[^,]*(?=,)"_s);
}

// key of the sheet layout the design prints on.
ValueEdit layoutKey(const QString &key)
{
    return [=](PWPlist::Dictionary &design, const PWPlist &value) {
        for (const QString &layoutName : {key_PredefinedLayout, key_CustomLayout}) {
            if (!design.contains(layoutName))
                continue;
            PWPlist::Dictionary layout = design.value(layoutName).toDictionary();
            layout.insert(key, value);
            design.insert(layoutName, PWPlist(layout));
        }
    };
}

// key of the first-name field of the address panel, or of its address format's first-name node.
ValueEdit firstNameKey(const QString &key, const QString &categoryKey)
{
    return [=](PWPlist::Dictionary &design, const PWPlist &value) {
        eachComponent(design, classStringKeys.at(ciAddressPanel), [&](PWPlist::Dictionary &panel) {
            PWPlist whole(panel);
            eachDictionary(whole, [&](PWPlist::Dictionary &node) {
                if (node.value(categoryKey).toString() == QString::number(tcFirstName))
                    node.insert(key, value);
            });
            panel = whole.toDictionary();
        });
    };
}

// key of the objects of the text component's archived styled text that carry it (font sizes,
// paragraph styles, the kerning and baseline offset of its runs).
ValueEdit textAttribute(const QString &key)
{
    return [=](PWPlist::Dictionary &design, const PWPlist &value) {
        eachComponent(design, classStringKeys.at(ciText), [&](PWPlist::Dictionary &entry) {
            std::optional<PWPlist> archive = PWPlist::parse(entry.value(key_TextStorage2).toData());
            ASSERT_TRUE(archive.has_value());
            bool changed = false;
            PWPlist::Array objects = archive->toDictionary().value(u"$objects"_s).toArray();
            for (PWPlist &object : objects) {
                if (!object.isDictionary())
                    continue;
                const PWPlist::Dictionary fields = object.toDictionary();
                // A run's attribute points at its number among the objects.
                const PWPlist::Array keys = fields.value(u"NS.keys"_s).toArray();
                for (qsizetype i = 0; i < keys.size(); ++i) {
                    const PWPlist name = keys.at(i).isUid() ? objects.at(qsizetype(keys.at(i).toUid())) : PWPlist();
                    if (name.isString() && name.toString() == key) {
                        objects[qsizetype(fields.value(u"NS.objects"_s).toArray().at(i).toUid())] =
                            PWPlist::fromReal(value.toString().toDouble());
                        changed = true;
                    }
                }
                if (fields.contains(key)) {
                    PWPlist::Dictionary edited = fields;
                    edited.insert(key, PWPlist::fromReal(value.toString().toDouble()));
                    object = PWPlist(edited);
                    changed = true;
                }
            }
            ASSERT_TRUE(changed) << qPrintable(key);
            PWPlist::Dictionary root = archive->toDictionary();
            root.insert(u"$objects"_s, PWPlist(objects));
            entry.insert(key_TextStorage2, PWPlist::fromData(PWPlist(root).toXml()));
        });
    };
}

// The words pdftotext reads from a PDF.
QStringList wordsReadBack(const QString &pdf)
{
    QProcess reader;
    reader.start(u"pdftotext"_s, {pdf, u"-"_s});
    if (!reader.waitForFinished(120000))
        return {};
    return QString::fromUtf8(reader.readAllStandardOutput()).split(QRegularExpression(u"\\s+"_s), Qt::SkipEmptyParts);
}

class BatchJobNumberRangeFixture
{
protected:
    // The address design of the batch tests with a counter, a styled text and a polygon.
    void writeSample()
    {
        ASSERT_TRUE(m_folder.isValid());
        QString error;
        ASSERT_TRUE(commandtest::writeAddressDesign(path(u"address.pwdc"_s), &error)) << qPrintable(error);
        CADocument document;
        ASSERT_TRUE(document.readFromFile(path(u"address.pwdc"_s), &error)) << qPrintable(error);
        CFTADocument *design = document.ftDocument();
        auto *counter = new CFTCounterField(140.0, 4.0, nullptr);
        counter->SetLeadingZeros(true);
        counter->SetZerosDigits(4);
        counter->SetStartNumber(m_counterStart);
        design->AddObject(counter, 0, false);
        auto *text = new CFTAText(110.0, 26.0, 50.0, 14.0, nullptr);
        QTextCharFormat style;
        PWFont(u"Helvetica"_s, 9.0).applyTo(&style);
        style.setProperty(PWTextAttributes::Kerning, 0.5);
        style.setProperty(PWTextAttributes::BaselineOffset, 0.5);
        text->GetText()->setString(u"Sample text"_s, &style);
        QTextBlockFormat paragraph;
        paragraph.setLeftMargin(1.0);
        paragraph.setBottomMargin(1.0);
        paragraph.setProperty(PWTextAttributes::FirstLineHeadIndent, 2.0);
        paragraph.setProperty(PWTextAttributes::LineSpacing, 1.0);
        QTextCursor(text->GetText()->getContents()).mergeBlockFormat(paragraph);
        design->AddObject(text, 0, false);
        auto *polygon = new CFTBoxField(170.0, 20.0, 12.0, 12.0, nullptr);
        polygon->setType(ctPolygon);
        design->AddObject(polygon, 0, false);
        auto *picture = new CFTPicture(CDDPicture(PWImage::fromQImage(QImage(4, 4, QImage::Format_ARGB32))));
        picture->SetOrigin(190.0, 4.0);
        picture->SetSize(8.0, 8.0);
        design->AddObject(picture, 0, false);
        ASSERT_TRUE(document.writeToFile(path(u"sample.pwdc"_s), &error)) << qPrintable(error);
        ASSERT_TRUE(pwtest::writeFile(path(u"people.csv"_s), kPeople));
    }

    QString path(const QString &name) const { return m_folder.filePath(name); }

    // The sample with edit made with value, as design.pwdc.
    void writeEdited(const ValueEdit &edit, const PWPlist &value)
    {
        std::optional<PWPlist> sample = PWPlist::readFile(path(u"sample.pwdc"_s));
        ASSERT_TRUE(sample && sample->isDictionary());
        PWPlist::Dictionary design = sample->toDictionary();
        edit(design, value);
        ASSERT_TRUE(pwtest::writeFile(path(u"design.pwdc"_s), PWPlist(design).toXml()));
    }

    ProgramRun print(const QString &design)
    {
        QFile::remove(path(u"out.pdf"_s));
        return runProgram({u"--print"_s, path(design), u"--contacts"_s, path(u"people.csv"_s), u"--output"_s,
                           path(u"out.pdf"_s)});
    }

    QTemporaryDir m_folder;
    int m_counterStart = 1;
};

struct NumberCase
{
    const char *name;
    ValueEdit edit;
    // What standard error names for every value.
    QString named;
};

void PrintTo(const NumberCase &c, std::ostream *os)
{
    *os << c.name;
}

class BatchJobNumberRangeTest : public BatchJobNumberRangeFixture, public ::testing::TestWithParam<NumberCase>
{
protected:
    void SetUp() override { writeSample(); }
};

TEST_P(BatchJobNumberRangeTest, TheNumberIsNamedAndKeptOutAndTheAddressPrints)
{
    for (const QString &value : kValues) {
        SCOPED_TRACE(value.toStdString());
        writeEdited(GetParam().edit, PWPlist::fromString(value));
        const ProgramRun run = print(u"design.pwdc"_s);
        EXPECT_EQ(run.status, 1) << qPrintable(run.err);
        EXPECT_TRUE(run.err.contains(u"part of the design could not be read: "_s + GetParam().named)) << qPrintable(run.err);
        EXPECT_TRUE(run.err.contains(u"the job was done, but part of the design could not be read"_s))
            << qPrintable(run.err);
        const QStringList words = wordsReadBack(path(u"out.pdf"_s));
        for (const QString &word : kAddressWords)
            EXPECT_TRUE(words.contains(word)) << qPrintable(word) << " not in " << qPrintable(words.join(u' '));
    }
}

const QString kPanel = u"of a component of class \"Address Panel\""_s;
const QString kField = u"of a component of class \"Address Text\""_s;

INSTANTIATE_TEST_SUITE_P(
    EveryNumberOfADesign, BatchJobNumberRangeTest,
    ::testing::Values(
        NumberCase {"PanelBounds", panelLeftEdge(), u"\"Bounds\" "_s + kPanel + u" is out of range"_s},
        NumberCase {"PanelAngle", componentKey(classStringKeys.at(ciAddressPanel), key_Angle), u"\"Angle\" "_s + kPanel},
        NumberCase {"PanelInset", componentKey(classStringKeys.at(ciAddressPanel), key_TextWrappingInset),
                    u"\"Text Wrapping Inset\" "_s + kPanel},
        NumberCase {"PanelWrapping", componentKey(classStringKeys.at(ciAddressPanel), key_TextWrapping),
                    u"\"Text wrapping\" "_s + kPanel},
        NumberCase {"FieldCategory", firstNameKey(key_TextCategory, key_TextCategory), u"\"Text Category\" "_s + kField},
        NumberCase {"FieldMode", firstNameKey(key_FieldMode, key_TextCategory), u"\"Field Mode\" "_s + kField},
        NumberCase {"FormatCategory", firstNameKey(u"tc"_s, u"tc"_s), u"\"tc\" of "_s},
        NumberCase {"FormatRow", firstNameKey(u"row"_s, u"tc"_s), u"\"row\" of "_s},
        NumberCase {"FormatColumn", firstNameKey(u"col"_s, u"tc"_s), u"\"col\" of "_s},
        NumberCase {"CounterStart", componentKey(classStringKeys.at(ciCounter), key_StartNumber), u"\"Start Number\""_s},
        NumberCase {"CounterIncrement", componentKey(classStringKeys.at(ciCounter), key_Increment), u"\"Increment\""_s},
        NumberCase {"CounterDigits", componentKey(classStringKeys.at(ciCounter), key_DigitsCount), u"\"Digits Count\""_s},
        NumberCase {"FontSize", textAttribute(u"NSSize"_s), u"\"Text Storage 2\""_s},
        NumberCase {"BaselineOffset", textAttribute(u"NSBaselineOffset"_s), u"\"Text Storage 2\""_s},
        NumberCase {"Kerning", textAttribute(u"NSKern"_s), u"\"Text Storage 2\""_s},
        NumberCase {"HeadIndent", textAttribute(u"NSHeadIndent"_s), u"\"Text Storage 2\""_s},
        NumberCase {"FirstLineIndent", textAttribute(u"NSFirstLineHeadIndent"_s), u"\"Text Storage 2\""_s},
        NumberCase {"LineSpacing", textAttribute(u"NSLineSpacing"_s), u"\"Text Storage 2\""_s},
        NumberCase {"ParagraphSpacing", textAttribute(u"NSParagraphSpacing"_s), u"\"Text Storage 2\""_s},
        NumberCase {"ShapePen", componentKey(classStringKeys.at(ciShape), key_PenWidth), u"\"Pen Width\""_s},
        NumberCase {"ShapeSides", componentKey(classStringKeys.at(ciShape), key_SideCount), u"\"Side Count\""_s},
        NumberCase {"ShapeRadius", componentKey(classStringKeys.at(ciShape), key_CurveRadius), u"\"Curve Radius\""_s},
        NumberCase {"ShapeShadow", componentKey(classStringKeys.at(ciShape), key_ShadowHorizontalOffset),
                    u"\"Shadow Horizontal Offset\""_s}),
    [](const auto &info) { return std::string(info.param.name); });

// A number of a design with a value of another kind or one just outside its range: the job names
// it, keeps it out and prints the rest; the ends of the range are read without a word.
struct TypedCase
{
    const char *name;
    ValueEdit edit;
    QString named;
    QList<PWPlist> refused;
    QStringList taken;
};

void PrintTo(const TypedCase &c, std::ostream *os)
{
    *os << c.name;
}

class BatchJobNumberTypeTest : public BatchJobNumberRangeFixture, public ::testing::TestWithParam<TypedCase>
{
protected:
    void SetUp() override { writeSample(); }
};

TEST_P(BatchJobNumberTypeTest, AValueOfAnotherKindOrPastTheEndIsNamedAndTheEndsAreRead)
{
    for (const PWPlist &value : GetParam().refused) {
        SCOPED_TRACE(value.isString() ? value.toString().toStdString() : PWPlist(value).toXml().toStdString());
        writeEdited(GetParam().edit, value);
        const ProgramRun run = print(u"design.pwdc"_s);
        EXPECT_EQ(run.status, 1) << qPrintable(run.err);
        EXPECT_TRUE(run.err.contains(u"part of the design could not be read: "_s + GetParam().named)) << qPrintable(run.err);
        const QStringList words = wordsReadBack(path(u"out.pdf"_s));
        for (const QString &word : kAddressWords)
            EXPECT_TRUE(words.contains(word)) << qPrintable(word) << " not in " << qPrintable(words.join(u' '));
    }
    for (const QString &value : GetParam().taken) {
        SCOPED_TRACE(value.toStdString());
        writeEdited(GetParam().edit, PWPlist::fromString(value));
        const ProgramRun run = print(u"design.pwdc"_s);
        EXPECT_EQ(run.status, 0) << qPrintable(run.err);
        EXPECT_FALSE(run.err.contains(u"could not be read"_s)) << qPrintable(run.err);
    }
}

PWPlist text(const char *value)
{
    return PWPlist::fromString(QString::fromLatin1(value));
}

const PWPlist kDictionary(PWPlist::Dictionary {{u"n"_s, PWPlist::fromString(u"1"_s)}});
const PWPlist kList(PWPlist::Array {PWPlist::fromString(u"1"_s)});
const PWPlist kData = PWPlist::fromData("1");

INSTANTIATE_TEST_SUITE_P(
    EveryNumberOfADesign, BatchJobNumberTypeTest,
    ::testing::Values(
        TypedCase {"PanelAddressSource", componentKey(classStringKeys.at(ciAddressPanel), key_AddressSource),
                   u"\"Address Source\" "_s + kPanel, {text("abc"), kDictionary, text("-2"), text("4")}, {u"-1"_s, u"3"_s}},
        TypedCase {"Columns", layoutKey(key_Columns), u"\"Columns\""_s,
                   {text("abc"), kData, text("12abc"), text("-1"), text("1001"), text("2.5")}, {u"0"_s, u"1000"_s}},
        TypedCase {"Rows", layoutKey(key_Rows), u"\"Rows\""_s, {text("abc"), kList, text("-1"), text("1001")},
                   {u"0"_s, u"1000"_s}},
        TypedCase {"FormatCategory", firstNameKey(u"tc"_s, u"tc"_s), u"\"tc\" of "_s,
                   {text("abc"), kList, text("-2"), text("134")}, {u"-1"_s, u"133"_s}},
        // -1 lies within the range but names no field: read, and named.
        TypedCase {"FieldCategory", firstNameKey(key_TextCategory, key_TextCategory), u"\"Text Category\" "_s + kField,
                   {text("abc"), kDictionary, text("-2"), text("134"), text("-1")}, {u"0"_s, u"133"_s}},
        TypedCase {"FieldMode", firstNameKey(key_FieldMode, key_TextCategory), u"\"Field Mode\" "_s + kField,
                   {text("abc"), kData, text("-2"), text("3")}, {u"-1"_s, u"2"_s}},
        TypedCase {"Opacity", componentKey(classStringKeys.at(ciPicture), key_Opacity), u"\"Opacity\""_s,
                   {text("abc"), kDictionary, text("-0.0001"), text("1.0001"), text("-1e30")}, {u"0"_s, u"1"_s}},
        TypedCase {"TileScale", componentKey(classStringKeys.at(ciPicture), key_TileScale), u"\"Tile Scale\""_s,
                   {text("abc"), kList, text("0.999"), text("1.7e9")}, {u"1"_s, u"1.6e9"_s}},
        TypedCase {"ColourComponent", componentKey(classStringKeys.at(ciShape), key_Color), u"\"Color\""_s,
                   {text("0.5, abc, 0, 1"), text("0, 0, 0, 1.0001"), text("-0.0001, 0, 0, 1")},
                   {u"0, 0, 0, 1"_s, u"1, 1, 1, 0"_s}},
        TypedCase {"TextAlignment", componentKey(classStringKeys.at(ciText), key_HorizontalAlignment),
                   u"\"Horizontal Alignment\""_s, {text("abc"), kData, text("1.5"), text("2147483648")},
                   {u"0"_s, u"4"_s, u"17"_s, u"34"_s, u"-1"_s, u"5"_s}},
        TypedCase {"TextWidth", boundsNumber(classStringKeys.at(ciText), u"^(\\{\\{[^}]*\\},\\s*\\{)[^,]*(?=,)"_s),
                   u"\"Bounds\""_s, {text("abc"), text(""), text("1100001")}, {u"0"_s, u"1100000"_s}},
        TypedCase {"FontSize", textAttribute(u"NSSize"_s), u"\"Text Storage 2\" of a component of class \"Text\" has a font size"_s,
                   {text("0.999"), text("-1"), text("1001")}, {u"1"_s, u"0"_s}}),
    [](const auto &info) { return std::string(info.param.name); });

class BatchJobCounterTest : public BatchJobNumberRangeFixture, public ::testing::Test
{
};

// A counter that starts below zero keeps its sign in front of its leading zeros.
TEST_F(BatchJobCounterTest, ANegativeCounterPutsItsZerosAfterTheSign)
{
    m_counterStart = -5;
    writeSample();
    const ProgramRun run = print(u"sample.pwdc"_s);
    ASSERT_EQ(run.status, 0) << qPrintable(run.err);
    const QStringList words = wordsReadBack(path(u"out.pdf"_s));
    EXPECT_TRUE(words.contains(u"-005"_s)) << qPrintable(words.join(u' '));
    EXPECT_FALSE(words.contains(u"00-5"_s));
}

// The sample as it stands reads whole: every name above is owed to its one change.
TEST_F(BatchJobCounterTest, TheSampleItselfIsReadWhole)
{
    writeSample();
    const ProgramRun run = print(u"sample.pwdc"_s);
    EXPECT_EQ(run.status, 0) << qPrintable(run.err);
    EXPECT_FALSE(run.err.contains(u"could not be read"_s)) << qPrintable(run.err);
    const QStringList words = wordsReadBack(path(u"out.pdf"_s));
    for (const QString &word : kAddressWords)
        EXPECT_TRUE(words.contains(word)) << qPrintable(word) << " not in " << qPrintable(words.join(u' '));
}

} // namespace
